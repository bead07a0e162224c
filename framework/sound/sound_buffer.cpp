#include "framework/sound/sound_buffer.h"

#include <cmath>
#include <new>

#include "framework/sound/buffer_fade_task.h"
#include "framework/sound/direct_sound_device.h"

namespace {

constexpr std::int32_t kPanLimit = 10000;
constexpr std::int32_t kLowestFrequency = 100;
constexpr std::int32_t kHighestFrequency = 100000;
constexpr DWORD kFullControl = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high) {
    return value < low ? low : value > high ? high : value;
}

}  // namespace

LONG DirectSoundVolume(std::int32_t volume) {
    if (volume <= 0) return DSBVOLUME_MIN;
    if (volume > SoundBuffer::kFullVolume) volume = SoundBuffer::kFullVolume;
    return static_cast<LONG>(2000.0 * std::log10(volume / 256.0));
}

HandleTable<SoundBuffer>& SoundBuffers() {
    static HandleTable<SoundBuffer> table;
    return table;
}

SoundBuffer::SoundBuffer(DirectSoundDevice* device) {
    if (device) g_currentSoundDevice = device;
    SoundBuffers().Add(this);
}

SoundBuffer::~SoundBuffer() {
    SoundBuffers().Remove(this);
    CancelFade();
}

bool SoundBuffer::IsPlaying() {
    DWORD status = 0;
    return m_buffer && SUCCEEDED(m_buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

void SoundBuffer::PlaySilence() {
    if (g_currentSoundDevice) g_currentSoundDevice->PlaySilence(m_buffer);
}

std::int32_t SoundBuffer::CreateDirectSoundBuffer(const WAVEFORMATEX* format, DWORD bytes,
                                                  DWORD extraFlags) {
    IDirectSound* directSound = g_currentSoundDevice ? g_currentSoundDevice->DirectSound() : nullptr;
    if (!directSound) return 1;
    WAVEFORMATEX copy = *format;
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(DSBUFFERDESC1);
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = &copy;
    const DWORD options = g_currentSoundDevice->OptionFlags() | extraFlags;
    // A device without pan and frequency control still plays, at the volume it is given.
    const DWORD controls[] = {kFullControl, DSBCAPS_CTRLVOLUME};
    for (int attempt = 0; attempt < 2; ++attempt) {
        description.dwFlags = controls[attempt] | options;
        IDirectSoundBuffer* buffer = nullptr;
        if (SUCCEEDED(directSound->CreateSoundBuffer(&description, &buffer, nullptr)) && buffer) {
            m_buffer = buffer;
            return attempt == 0 ? 0 : -1;
        }
    }
    return 1;
}

void SoundBuffer::ReleaseDirectSoundBuffer() {
    if (m_buffer) m_buffer->Release();
    m_buffer = nullptr;
}

std::int32_t SoundBuffer::SetVolume(std::int32_t volume) {
    ScopedLock guard(m_lock);
    m_volume = Clamp(volume, 0, kFullVolume);
    if (!m_buffer) return -1;
    return SUCCEEDED(m_buffer->SetVolume(DirectSoundVolume(m_volume))) ? 0 : 1;
}

std::int32_t SoundBuffer::SetPan(std::int32_t pan) {
    if (!m_buffer) return 1;
    return SUCCEEDED(m_buffer->SetPan(pan)) ? 0 : 2;
}

std::int32_t SoundBuffer::SetFrequency(std::int32_t hertz) {
    if (!m_buffer) return 1;
    return SUCCEEDED(m_buffer->SetFrequency(static_cast<DWORD>(hertz))) ? 0 : 2;
}

std::int32_t SoundBuffer::AdjustVolumePanFrequency(std::int32_t volumeChange,
                                                   std::int32_t panChange,
                                                   std::int32_t frequencyChange) {
    if (!m_buffer) return 1;
    if (volumeChange != 0) {
        // Both words may be anything a script passes: the sum is taken wide and held in range.
        const std::int64_t wanted = static_cast<std::int64_t>(m_volume) + volumeChange;
        const auto volume = static_cast<std::int32_t>(wanted < 0 ? 0 : wanted > kFullVolume ? kFullVolume : wanted);
        if (SetVolume(volume) != 0) return 2;
    }
    if (panChange != 0) {
        LONG pan = 0;
        m_buffer->GetPan(&pan);
        const std::int64_t wanted = static_cast<std::int64_t>(pan) + panChange;
        const auto clamped = static_cast<LONG>(wanted < -kPanLimit  ? -kPanLimit
                                               : wanted > kPanLimit ? kPanLimit
                                                                    : wanted);
        if (FAILED(m_buffer->SetPan(clamped))) return 3;
    }
    if (frequencyChange != 0) {
        DWORD frequency = 0;
        m_buffer->GetFrequency(&frequency);
        const std::int64_t wanted = static_cast<std::int64_t>(frequency) + frequencyChange;
        const auto clamped = static_cast<DWORD>(wanted < kLowestFrequency    ? kLowestFrequency
                                                : wanted > kHighestFrequency ? kHighestFrequency
                                                                             : wanted);
        if (FAILED(m_buffer->SetFrequency(clamped))) return 4;
    }
    return 0;
}

std::int32_t SoundBuffer::GetVolumePanFrequency(std::int32_t* outVolume, std::int32_t* outPan,
                                                std::int32_t* outFrequency) {
    if (outVolume) *outVolume = m_volume;
    if (!m_buffer) return 1;
    if (outPan) {
        LONG pan = 0;
        if (FAILED(m_buffer->GetPan(&pan))) return 2;
        *outPan = pan;
    }
    if (outFrequency) {
        DWORD frequency = 0;
        if (FAILED(m_buffer->GetFrequency(&frequency))) return 3;
        *outFrequency = static_cast<std::int32_t>(frequency);
    }
    return 0;
}

std::int32_t SoundBuffer::GetFormat(std::int32_t* outChannels, std::int32_t* outRate,
                                    std::int32_t* outBits) {
    if (!m_buffer) return 1;
    WAVEFORMATEX format = {};
    if (FAILED(m_buffer->GetFormat(&format, sizeof format, nullptr))) return 2;
    if (outChannels) *outChannels = format.nChannels;
    if (outRate) *outRate = static_cast<std::int32_t>(format.nSamplesPerSec);
    if (outBits) *outBits = format.wBitsPerSample;
    return 0;
}

void SoundBuffer::CancelFade() {
    ScopedLock guard(m_lock);
    if (m_fadeTask && m_fadeScheduler) m_fadeScheduler->Cancel(m_fadeTask.Get());
    m_fadeTask.Reset();
}

std::int32_t SoundBuffer::FadeIn(TaskScheduler* scheduler, std::uint32_t duration, bool loop) {
    bool paused;
    {
        ScopedLock guard(m_lock);
        if (!m_buffer || !scheduler) return 1;
        if (m_fadeState == kFadingIn) return 2;
        if (m_fadeState == kFadingOut) CancelFade();
        m_buffer->SetVolume(DSBVOLUME_MIN);
        paused = m_pauseCount > 0;
        if (paused) m_pauseCount = 1;
    }
    // Starting a streaming buffer joins its refill thread, which must not wait for our lock.
    const std::int32_t started = paused ? Resume() : loop ? PlayLoop() : Play();
    ScopedLock guard(m_lock);
    if (started != 0) {
        if (m_buffer) m_buffer->SetVolume(DirectSoundVolume(m_volume));
        return paused ? 3 : 4;
    }
    if (m_volume == 0) return -1;
    return StartFadeTask(new (std::nothrow) FadeInTask(this, duration), kFadingIn, scheduler,
                         duration)
               ? 0
               : 5;
}

std::int32_t SoundBuffer::FadeOut(TaskScheduler* scheduler, std::uint32_t duration) {
    ScopedLock guard(m_lock);
    if (!m_buffer || !scheduler) return 1;
    if (!IsPlaying()) return 2;
    if (m_fadeState == kFadingOut) return 3;
    if (m_fadeState == kFadingIn) CancelFade();
    if (m_volume == 0) {
        Pause();
        return -1;
    }
    return StartFadeTask(new (std::nothrow) FadeOutTask(this, duration), kFadingOut, scheduler,
                         duration)
               ? 0
               : 4;
}

bool SoundBuffer::StartFadeTask(BufferFadeTask* task, std::uint8_t state, TaskScheduler* scheduler,
                                std::uint32_t duration) {
    if (!task) return false;
    m_fadeState = state;
    m_fadeScheduler = scheduler;
    m_fadeTask.Reset(task);
    scheduler->Add(task, 0, FadePeriod(duration, m_volume), 0);
    return true;
}
