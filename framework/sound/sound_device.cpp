#include "framework/sound/sound_device.h"

#include <algorithm>
#include <new>

#include "framework/sound/output_devices.h"
#include "framework/sound/static_sound_buffer.h"
#include "framework/sound/streaming_sound_buffer.h"

std::uint32_t PrimaryRateFromCode(std::int32_t rateCode) {
    switch (rateCode) {
        case 8: return 8000;
        case 11: return 11025;
        case 22: return 22050;
        case 44: return 44100;
        default: return static_cast<std::uint32_t>(rateCode);
    }
}

SoundDevice::~SoundDevice() {
    DestroyAllBuffers();
    ReleasePrimary();
    Release();
    FreeOutputDevices();
}

void SoundDevice::ReleasePrimary() {
    if (m_primary) m_primary->Release();
    m_primary = nullptr;
}

std::int32_t SoundDevice::SetPrimaryFormat(HWND window, bool globalFocus, bool softwareBuffers,
                                           const GUID* deviceGuid, std::int32_t channels,
                                           std::int32_t rateCode, std::int32_t bitsPerSample) {
    if (!DirectSound()) {
        const std::int32_t created = Create(window, globalFocus, softwareBuffers, deviceGuid);
        if (created != 0) return created;
    }
    ReleasePrimary();
    if (CooperativeLevel() < DSSCL_PRIORITY) return -1;
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(DSBUFFERDESC1);
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    if (FAILED(DirectSound()->CreateSoundBuffer(&description, &m_primary, nullptr)) || !m_primary) {
        m_primary = nullptr;
        return 6;
    }
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels & 0xFF);
    format.nSamplesPerSec = PrimaryRateFromCode(rateCode);
    format.wBitsPerSample = static_cast<WORD>(bitsPerSample);
    format.nBlockAlign = static_cast<WORD>(format.nChannels * (bitsPerSample / 8));
    // Words from scripts can ask for any rate: a format whose bytes per second do not fit the
    // field (or that has no bytes at all) is refused before DirectSound sees it.
    const std::uint64_t bytesPerSecond = static_cast<std::uint64_t>(format.nSamplesPerSec) * format.nBlockAlign;
    if (bytesPerSecond == 0 || bytesPerSecond > 0xFFFFFFFFu) return -2;
    format.nAvgBytesPerSec = static_cast<DWORD>(bytesPerSecond);
    return SUCCEEDED(m_primary->SetFormat(&format)) ? 0 : -2;
}

template <class Buffer, class Load>
std::int32_t SoundDevice::AddLoaded(SoundBuffer** outBuffer, std::int32_t outOfMemory, Load load) {
    if (outBuffer) *outBuffer = nullptr;
    Buffer* buffer = new (std::nothrow) Buffer;
    if (!buffer) return outOfMemory;
    const std::int32_t code = load(buffer);
    if (code != 0) {
        delete buffer;
        return code;
    }
    try {
        m_buffers.push_back(buffer);
    } catch (...) {
        delete buffer;
        return outOfMemory;
    }
    if (outBuffer) *outBuffer = buffer;
    return 0;
}

std::int32_t SoundDevice::CreateBufferFromFile(SoundBuffer** outBuffer, const char* name,
                                               std::int32_t levelMode) {
    return AddLoaded<StaticSoundBuffer>(
        outBuffer, 8, [&](StaticSoundBuffer* buffer) { return buffer->Load(name, levelMode); });
}

std::int32_t SoundDevice::CreateBufferFromMemory(SoundBuffer** outBuffer,
                                                 StaticSoundBuffer* source) {
    return AddLoaded<StaticSoundBuffer>(
        outBuffer, 3, [&](StaticSoundBuffer* buffer) { return buffer->Duplicate(source); });
}

std::int32_t SoundDevice::CreateStreamingBuffer(SoundBuffer** outBuffer, const char* firstName,
                                                const char* secondName) {
    return AddLoaded<StreamingSoundBuffer>(outBuffer, 7, [&](StreamingSoundBuffer* buffer) {
        return buffer->Open(firstName, secondName);
    });
}

std::int32_t SoundDevice::DestroyBuffer(SoundBuffer* buffer) {
    if (!buffer) return 1;
    const auto it = std::find(m_buffers.begin(), m_buffers.end(), buffer);
    if (it == m_buffers.end()) return 2;
    m_buffers.erase(it);
    delete buffer;
    return 0;
}

void SoundDevice::PauseAllBuffers() {
    for (SoundBuffer* buffer : m_buffers) buffer->Pause();
}

void SoundDevice::ResumeAllBuffers() {
    for (SoundBuffer* buffer : m_buffers) buffer->Resume();
}

void SoundDevice::StopAllBuffers() {
    for (SoundBuffer* buffer : m_buffers) buffer->StopAndRewind();
}

void SoundDevice::DestroyAllBuffers() {
    std::vector<SoundBuffer*> buffers;
    buffers.swap(m_buffers);
    for (SoundBuffer* buffer : buffers) delete buffer;
}
