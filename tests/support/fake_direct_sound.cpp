#include "tests/support/fake_direct_sound.h"

#include <cstring>

#include "framework/sound/direct_sound_device.h"

namespace testsupport {

namespace {

FakeDirectSound* g_installed = nullptr;

HRESULT MakeInstalled(IDirectSound** out) {
    if (!g_installed) return E_FAIL;
    g_installed->AddRef();
    *out = g_installed;
    return S_OK;
}

// The largest buffer the fake makes, far above any test's.
constexpr DWORD kMaxBufferBytes = 64u << 20;

class SectionGuard {
public:
    explicit SectionGuard(CRITICAL_SECTION& section) : m_section(section) {
        EnterCriticalSection(&m_section);
    }
    ~SectionGuard() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION& m_section;
};

// Waits (bounded) until `done` holds, woken by `changed`.
template <class Done>
bool WaitUntil(HANDLE changed, DWORD ms, Done done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return done();
        WaitForSingleObject(changed, ms - spent < 20 ? ms - spent : 20);
    }
    return true;
}

}  // namespace

class FakeSoundBuffer::Notify final : public IDirectSoundNotify {
public:
    explicit Notify(FakeSoundBuffer* buffer) : m_buffer(buffer) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        return m_buffer->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_buffer->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_buffer->Release(); }
    HRESULT STDMETHODCALLTYPE SetNotificationPositions(DWORD count,
                                                       LPCDSBPOSITIONNOTIFY positions) override {
        if (m_buffer->m_owner->refuseNotifications || !positions) return DSERR_INVALIDPARAM;
        SectionGuard guard(m_buffer->m_section);
        m_buffer->m_positions.assign(positions, positions + count);
        return DS_OK;
    }

private:
    FakeSoundBuffer* m_buffer;
};

FakeSoundBuffer::FakeSoundBuffer(FakeDirectSound* owner, const DSBUFFERDESC& description,
                                 std::shared_ptr<std::vector<std::uint8_t>> memory)
    : m_owner(owner), m_memory(std::move(memory)), m_flags(description.dwFlags) {
    InitializeCriticalSection(&m_section);
    m_changed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (description.lpwfxFormat) m_format = *description.lpwfxFormat;
    m_frequency = m_format.nSamplesPerSec;
}

FakeSoundBuffer::~FakeSoundBuffer() {
    CloseHandle(m_changed);
    DeleteCriticalSection(&m_section);
}

HRESULT FakeSoundBuffer::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(riid, IID_IDirectSoundNotify)) {
        if (!(m_flags & DSBCAPS_CTRLPOSITIONNOTIFY) || m_owner->noNotifyInterface) {
            return E_NOINTERFACE;
        }
        // One view per request; it holds a reference on the buffer and deletes itself with it.
        *out = new Notify(this);
        AddRef();
        m_notifyViews.push_back(static_cast<Notify*>(*out));
        return S_OK;
    }
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectSoundBuffer)) {
        AddRef();
        *out = static_cast<IDirectSoundBuffer*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG FakeSoundBuffer::AddRef() { return ++m_references; }

ULONG FakeSoundBuffer::Release() {
    const LONG left = --m_references;
    if (left == 0) {
        for (Notify* view : m_notifyViews) delete view;
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT FakeSoundBuffer::GetCaps(LPDSBCAPS caps) {
    if (!caps) return DSERR_INVALIDPARAM;
    caps->dwFlags = m_flags;
    caps->dwBufferBytes = Size();
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetCurrentPosition(LPDWORD play, LPDWORD write) {
    SectionGuard guard(m_section);
    const DWORD size = Size();
    if (play) *play = m_play;
    if (write) *write = size ? (m_play + m_writeLead) % size : 0;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetFormat(LPWAVEFORMATEX format, DWORD size, LPDWORD written) {
    if (!format) return DSERR_INVALIDPARAM;
    const DWORD copied = size < sizeof(WAVEFORMATEX) ? size : sizeof(WAVEFORMATEX);
    std::memcpy(format, &m_format, copied);
    if (written) *written = copied;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetVolume(LPLONG volume) {
    if (volume) *volume = m_volume;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetPan(LPLONG pan) {
    if (!(m_flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan) *pan = m_pan;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetFrequency(LPDWORD frequency) {
    if (!(m_flags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency) *frequency = m_frequency;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    SectionGuard guard(m_section);
    *status = (m_playing ? DSBSTATUS_PLAYING : 0) | (m_playing && m_looping ? DSBSTATUS_LOOPING : 0) |
              (m_lost ? DSBSTATUS_BUFFERLOST : 0);
    return DS_OK;
}

HRESULT FakeSoundBuffer::Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) {
    return DSERR_ALREADYINITIALIZED;
}

HRESULT FakeSoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* first, LPDWORD firstBytes,
                              LPVOID* second, LPDWORD secondBytes, DWORD) {
    SectionGuard guard(m_section);
    if (m_loseOnLock > 0) {
        --m_loseOnLock;
        m_lost = true;
    }
    if (m_lost) return DSERR_BUFFERLOST;
    const DWORD size = Size();
    if (!first || !firstBytes || offset >= size || bytes == 0 || bytes > size) {
        return DSERR_INVALIDPARAM;
    }
    const DWORD head = bytes < size - offset ? bytes : size - offset;
    *first = m_memory->data() + offset;
    *firstBytes = head;
    if (head < bytes) {
        if (!second || !secondBytes) return DSERR_INVALIDPARAM;
        *second = m_memory->data();
        *secondBytes = bytes - head;
    } else {
        if (second) *second = nullptr;
        if (secondBytes) *secondBytes = 0;
    }
    return DS_OK;
}

HRESULT FakeSoundBuffer::Play(DWORD, DWORD, DWORD flags) {
    SectionGuard guard(m_section);
    if (m_loseOnPlay > 0) {
        --m_loseOnPlay;
        m_lost = true;
    }
    if (m_lost) return DSERR_BUFFERLOST;
    m_playing = true;
    m_looping = (flags & DSBPLAY_LOOPING) != 0;
    ++m_plays;
    SetEvent(m_changed);
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetCurrentPosition(DWORD position) {
    SectionGuard guard(m_section);
    if (position >= Size()) return DSERR_INVALIDPARAM;
    m_play = position;
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetFormat(LPCWAVEFORMATEX format) {
    if (!(m_flags & DSBCAPS_PRIMARYBUFFER)) return DSERR_INVALIDCALL;
    if (!format || m_owner->failSetFormat) return DSERR_BADFORMAT;
    m_format = *format;
    m_owner->primaryFormat = *format;
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetVolume(LONG volume) {
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    m_volume = volume;
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetPan(LONG pan) {
    if (!(m_flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    m_pan = pan;
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetFrequency(DWORD frequency) {
    if (!(m_flags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency != 0 && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX)) {
        return DSERR_INVALIDPARAM;
    }
    m_frequency = frequency ? frequency : m_format.nSamplesPerSec;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Stop() {
    SectionGuard guard(m_section);
    m_playing = false;
    ++m_stops;
    SetEvent(m_changed);
    return DS_OK;
}

HRESULT FakeSoundBuffer::Unlock(LPVOID, DWORD, LPVOID, DWORD) {
    ++m_unlocks;
    SetEvent(m_changed);
    return DS_OK;
}

HRESULT FakeSoundBuffer::Restore() {
    SectionGuard guard(m_section);
    m_lost = false;
    ++m_restores;
    return DS_OK;
}

void FakeSoundBuffer::Advance(std::uint32_t bytes) {
    SectionGuard guard(m_section);
    const DWORD size = Size();
    if (!m_playing || size == 0) return;
    for (std::uint32_t i = 0; i < bytes; ++i) {
        m_played.push_back((*m_memory)[m_play]);
        m_play = (m_play + 1) % size;
        if (m_play == 0 && !m_looping) {
            m_playing = false;
            break;
        }
    }
}

void FakeSoundBuffer::MoveCursor(DWORD position) {
    SectionGuard guard(m_section);
    if (Size() != 0) m_play = position % Size();
}

bool FakeSoundBuffer::WaitForUnlocksOrStop(std::uint32_t count, DWORD ms) {
    return WaitUntil(m_changed, ms, [&] { return m_unlocks >= count || !m_playing; });
}

bool FakeSoundBuffer::WaitForStop(DWORD ms) {
    return WaitUntil(m_changed, ms, [&] { return !m_playing; });
}

std::vector<std::uint8_t> FakeSoundBuffer::Played() {
    SectionGuard guard(m_section);
    return m_played;
}

std::vector<std::uint8_t> FakeSoundBuffer::Memory() {
    SectionGuard guard(m_section);
    return *m_memory;
}

std::vector<DSBPOSITIONNOTIFY> FakeSoundBuffer::NotifyPositions() {
    SectionGuard guard(m_section);
    return m_positions;
}

FakeDirectSound::FakeDirectSound() = default;

FakeDirectSound::~FakeDirectSound() {
    if (g_installed == this) Uninstall();
    for (FakeSoundBuffer* buffer : m_buffers) buffer->Release();
}

void FakeDirectSound::Install() {
    g_installed = this;
    SetDirectSoundFactory(MakeInstalled);
}

void FakeDirectSound::Uninstall() {
    g_installed = nullptr;
    SetDirectSoundFactory(nullptr);
}

HRESULT FakeDirectSound::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectSound)) {
        AddRef();
        *out = static_cast<IDirectSound*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

// The fake lives on the test's stack: references are only counted.
ULONG FakeDirectSound::AddRef() { return static_cast<ULONG>(++m_references); }

ULONG FakeDirectSound::Release() { return static_cast<ULONG>(--m_references); }

HRESULT FakeDirectSound::CreateSoundBuffer(LPCDSBUFFERDESC description, LPLPDIRECTSOUNDBUFFER out,
                                           IUnknown*) {
    if (!description || !out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (failCreates > 0) {
        --failCreates;
        return DSERR_OUTOFMEMORY;
    }
    const DWORD flags = description->dwFlags;
    if (volumeControlOnly && (flags & (DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY))) {
        return DSERR_CONTROLUNAVAIL;
    }
    DWORD bytes = 0;
    if (!(flags & DSBCAPS_PRIMARYBUFFER)) {
        if (!description->lpwfxFormat || description->dwBufferBytes == 0 ||
            description->dwBufferBytes > kMaxBufferBytes) {
            return DSERR_INVALIDPARAM;
        }
        bytes = description->dwBufferBytes;
    }
    auto memory = std::make_shared<std::vector<std::uint8_t>>(bytes, 0xEE);
    FakeSoundBuffer* buffer = new FakeSoundBuffer(this, *description, std::move(memory));
    m_buffers.push_back(buffer);
    buffer->AddRef();
    *out = buffer;
    return DS_OK;
}

HRESULT FakeDirectSound::GetCaps(LPDSCAPS caps) {
    if (!caps) return DSERR_INVALIDPARAM;
    std::memset(caps, 0, sizeof *caps);
    caps->dwSize = sizeof *caps;
    return DS_OK;
}

HRESULT FakeDirectSound::DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                              LPLPDIRECTSOUNDBUFFER out) {
    if (!original || !out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (failDuplicate) return DSERR_OUTOFMEMORY;
    auto* source = static_cast<FakeSoundBuffer*>(original);
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(DSBUFFERDESC1);
    description.dwFlags = source->Flags();
    description.dwBufferBytes = source->Size();
    WAVEFORMATEX format = source->Format();
    description.lpwfxFormat = &format;
    FakeSoundBuffer* buffer = new FakeSoundBuffer(this, description, source->m_memory);
    m_buffers.push_back(buffer);
    buffer->AddRef();
    *out = buffer;
    return DS_OK;
}

HRESULT FakeDirectSound::SetCooperativeLevel(HWND, DWORD level) {
    if ((level == DSSCL_PRIORITY && refusePriority) || (level == DSSCL_NORMAL && refuseNormal)) {
        return DSERR_INVALIDPARAM;
    }
    cooperativeLevel = level;
    return DS_OK;
}

HRESULT FakeDirectSound::GetSpeakerConfig(LPDWORD config) {
    if (config) *config = DSSPEAKER_STEREO;
    return DS_OK;
}

HRESULT FakeDirectSound::Initialize(LPCGUID) {
    return failInitialize ? DSERR_NODRIVER : DS_OK;
}

}  // namespace testsupport
