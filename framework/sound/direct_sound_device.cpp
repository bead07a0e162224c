#include "framework/sound/direct_sound_device.h"

#include <cstring>

#include "framework/runtime/com_init.h"

DirectSoundDevice* g_currentSoundDevice = nullptr;

namespace {

HRESULT CreateWithCom(IDirectSound** out) {
    return CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound,
                            reinterpret_cast<void**>(out));
}

DirectSoundFactory g_factory = CreateWithCom;

// 100 ms of 8-bit mono silence at 8000 samples per second.
constexpr DWORD kSilentBytes = 800;

}  // namespace

void SetDirectSoundFactory(DirectSoundFactory factory) {
    g_factory = factory ? factory : CreateWithCom;
}

DirectSoundDevice::DirectSoundDevice() { m_comReady = ComInitForThread() == 0; }

DirectSoundDevice::~DirectSoundDevice() {
    Release();
    if (m_comReady) ComUninitForThread();
    if (g_currentSoundDevice == this) g_currentSoundDevice = nullptr;
}

DWORD DirectSoundDevice::OptionFlags() const {
    return (m_globalFocus ? DSBCAPS_GLOBALFOCUS : 0) |
           (m_softwareBuffers ? DSBCAPS_LOCSOFTWARE : 0);
}

std::int32_t DirectSoundDevice::Create(HWND window, bool globalFocus, bool softwareBuffers,
                                       const GUID* deviceGuid) {
    if (!m_comReady) return kSoundDeviceNoCom;
    Release();
    IDirectSound* object = nullptr;
    if (FAILED(g_factory(&object)) || !object) return kSoundDeviceCreateFailed;
    m_directSound = object;
    if (FAILED(object->Initialize(deviceGuid))) {
        Release();
        return kSoundDeviceInitializeFailed;
    }
    m_window = window;
    if (SetCooperativeLevel(DSSCL_PRIORITY) != 0 && SetCooperativeLevel(DSSCL_NORMAL) != 0) {
        Release();
        return kSoundDeviceNoCooperativeLevel;
    }
    m_globalFocus = globalFocus;
    m_softwareBuffers = softwareBuffers;
    if (CreateSilentBuffer() != 0) {
        Release();
        return kSoundDeviceNoSilentBuffer;
    }
    return kSoundDeviceOk;
}

std::int32_t DirectSoundDevice::SetCooperativeLevel(DWORD level) {
    if (!m_directSound) return 1;
    if (FAILED(m_directSound->SetCooperativeLevel(m_window, level))) return 2;
    m_cooperativeLevel = level;
    return 0;
}

std::int32_t DirectSoundDevice::CreateSilentBuffer() {
    if (m_silentBuffer) m_silentBuffer->Release();
    m_silentBuffer = nullptr;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 8000;
    format.nAvgBytesPerSec = 8000;
    format.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(DSBUFFERDESC1);
    description.dwFlags = OptionFlags();
    description.dwBufferBytes = kSilentBytes;
    description.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(m_directSound->CreateSoundBuffer(&description, &buffer, nullptr)) || !buffer) {
        return 2;
    }
    void* part = nullptr;
    DWORD partBytes = 0;
    const HRESULT locked = RetryIfLost(
        [&] { return buffer->Lock(0, kSilentBytes, &part, &partBytes, nullptr, nullptr, 0); },
        [&] { return SUCCEEDED(buffer->Restore()); });
    if (FAILED(locked)) {
        buffer->Release();
        return 3;
    }
    if (part) std::memset(part, 0x80, partBytes);
    if (FAILED(buffer->Unlock(part, partBytes, nullptr, 0))) {
        buffer->Release();
        return 4;
    }
    m_silentBuffer = buffer;
    return 0;
}

std::int32_t DirectSoundDevice::PlaySilence(IDirectSoundBuffer* buffer) {
    if (!m_silentBuffer || !buffer) return 1;
    DWORD status = 0;
    if (SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING)) {
        m_silentBuffer->Play(0, 0, 0);
    }
    return 0;
}

void DirectSoundDevice::Release() {
    if (m_silentBuffer) m_silentBuffer->Release();
    m_silentBuffer = nullptr;
    if (m_directSound) m_directSound->Release();
    m_directSound = nullptr;
    m_window = nullptr;
    m_cooperativeLevel = 0;
}
