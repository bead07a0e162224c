#include "framework/sound/static_sound_buffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/files/path_utilities.h"
#include "framework/files/virtual_file_system.h"
#include "framework/sound/direct_sound_device.h"
#include "framework/sound/sound_decoder_host.h"

namespace {

constexpr std::uint32_t kEnvelopeBlock = 32;

// Turns level data into its envelope: every whole block of 32 samples within the bytes read gets
// the block's mean distance from silence. Returns the largest block value.
std::uint32_t MakeEnvelope(std::uint8_t* data, std::uint32_t bytesRead, bool sixteenBit) {
    std::uint32_t peak = 0;
    if (sixteenBit) {
        auto* samples = reinterpret_cast<std::int16_t*>(data);
        const std::uint32_t blocks = bytesRead / 2 / kEnvelopeBlock;
        for (std::uint32_t b = 0; b < blocks; ++b) {
            std::int16_t* block = samples + b * kEnvelopeBlock;
            std::uint32_t sum = 0;
            for (std::uint32_t i = 0; i < kEnvelopeBlock; ++i) sum += std::abs(block[i]);
            const std::uint32_t mean = sum / kEnvelopeBlock;
            for (std::uint32_t i = 0; i < kEnvelopeBlock; ++i) block[i] = static_cast<std::int16_t>(mean);
            if (mean > peak) peak = mean;
        }
    } else {
        const std::uint32_t blocks = bytesRead / kEnvelopeBlock;
        for (std::uint32_t b = 0; b < blocks; ++b) {
            std::uint8_t* block = data + b * kEnvelopeBlock;
            std::uint32_t sum = 0;
            for (std::uint32_t i = 0; i < kEnvelopeBlock; ++i) sum += std::abs(block[i] - 128);
            const std::uint32_t mean = sum / kEnvelopeBlock;
            std::memset(block, static_cast<int>(mean), kEnvelopeBlock);
            if (mean > peak) peak = mean;
        }
    }
    return peak;
}

}  // namespace

StaticSoundBuffer::StaticSoundBuffer(DirectSoundDevice* device) : SoundBuffer(device) {}

StaticSoundBuffer::~StaticSoundBuffer() {
    CancelFade();
    Release();
}

void StaticSoundBuffer::Release() {
    StopAndRewind();
    ReleaseDirectSoundBuffer();
    m_fileName.clear();
    m_length = 0;
    m_playMode = 0;
    m_presetPosition = false;
    m_pauseCount = 0;
    m_levelData.reset();
    m_levelWidth = 0;
    m_levelPeak = 0;
    m_levelMode = kNoLevelData;
}

std::int32_t StaticSoundBuffer::Load(const char* name, std::int32_t levelMode) {
    if (!g_currentSoundDevice || !name || !g_currentSoundDevice->DirectSound()) return 1;
    if (!g_virtualFileSystem) return 2;
    char path[kPathCapacity] = "";
    if (g_virtualFileSystem->LocateFile(path, name, nullptr) > 0) return 2;
    // The same file in the same mode is already here; another mode needs other level data.
    if (!m_fileName.empty() && m_fileName == path && m_levelMode == levelMode) return 0;
    return Decode(path, levelMode);
}

std::int32_t StaticSoundBuffer::Decode(const std::string& path, std::int32_t levelMode) {
    Release();
    std::int32_t code = 0;
    void* part = nullptr;
    DWORD partBytes = 0;
    try {
        if (!g_soundDecoderHost) throw 2;
        SoundDecoderPtr decoder(g_soundDecoderHost->OpenDecoder(path.c_str(), nullptr, true, nullptr));
        if (!decoder || !decoder->Format()) throw 2;
        const WAVEFORMATEX format = *decoder->Format();
        const std::uint32_t size = decoder->DataSize();
        const std::int32_t created = CreateDirectSoundBuffer(&format, size, 0);
        if (created > 0) throw 3;
        const HRESULT locked = RetryIfLost(
            [&] { return m_buffer->Lock(0, size, &part, &partBytes, nullptr, nullptr, 0); },
            [&] { return SUCCEEDED(m_buffer->Restore()); });
        if (FAILED(locked) || !part || partBytes < size) throw 4;
        const int silence = format.wBitsPerSample == 8 ? 0x80 : 0;
        const std::uint32_t room = size;
        std::uint32_t read = 0;
        if (levelMode != kNoLevelData && format.wBitsPerSample <= 16) {
            std::unique_ptr<std::uint8_t[]> level(new std::uint8_t[room]);
            read = decoder->Read(level.get(), room);
            if (read > room) read = 0;
            std::memset(level.get() + read, silence, room - read);
            std::memcpy(part, level.get(), room);
            m_levelPeak = 0;
            if (levelMode == kLevelEnvelope) {
                m_levelPeak = static_cast<std::uint16_t>(
                    MakeEnvelope(level.get(), read, format.wBitsPerSample == 16) / 4);
            }
            m_levelWidth = format.wBitsPerSample == 8 ? 1 : 2;
            m_levelData = std::move(level);
        } else {
            read = decoder->Read(part, room);
            if (read > room) read = 0;
            std::memset(static_cast<std::uint8_t*>(part) + read, silence, room - read);
        }
        const void* unlockPart = part;
        part = nullptr;
        if (read == 0) {
            m_buffer->Unlock(const_cast<void*>(unlockPart), partBytes, nullptr, 0);
            throw 5;
        }
        if (FAILED(m_buffer->Unlock(const_cast<void*>(unlockPart), partBytes, nullptr, 0))) throw 6;
        m_fileName = path;
        m_levelMode = levelMode;
        m_length = size;
        SetVolume(m_volume);
        code = created;
    } catch (int failure) {
        code = failure;
    } catch (...) {
        code = 7;
    }
    if (code > 0) {
        if (part) m_buffer->Unlock(part, partBytes, nullptr, 0);
        Release();
    }
    return code;
}

std::int32_t StaticSoundBuffer::Duplicate(StaticSoundBuffer* other) {
    IDirectSound* directSound = g_currentSoundDevice ? g_currentSoundDevice->DirectSound() : nullptr;
    if (!directSound || !other || !other->m_buffer) return 1;
    Release();
    IDirectSoundBuffer* copy = nullptr;
    if (FAILED(directSound->DuplicateSoundBuffer(other->m_buffer, &copy)) || !copy) return 2;
    m_buffer = copy;
    m_length = other->m_length;
    SetVolume(m_volume);
    return 0;
}

std::int32_t StaticSoundBuffer::Restore() {
    if (!m_buffer) return 1;
    DWORD status = 0;
    if (FAILED(m_buffer->GetStatus(&status)) || !(status & DSBSTATUS_BUFFERLOST)) return 0;
    if (m_fileName.empty()) return SUCCEEDED(m_buffer->Restore()) ? 0 : 1;
    const std::string path = m_fileName;
    const std::uint8_t playMode = m_playMode;
    const std::int32_t code = Decode(path, kNoLevelData);
    m_playMode = playMode;
    return code > 0 ? code : 0;
}

std::int32_t StaticSoundBuffer::PlayAsMode() {
    const DWORD flags = m_playMode == 2 ? DSBPLAY_LOOPING : 0;
    const HRESULT played = RetryIfLost([&] { return m_buffer->Play(0, 0, flags); },
                                       [&] { return Restore() == 0 && m_buffer; });
    return SUCCEEDED(played) ? 0 : 1;
}

std::int32_t StaticSoundBuffer::Start(bool loop) {
    ScopedLock guard(m_lock);
    if (!m_buffer) return 1;
    if (m_presetPosition) {
        m_presetPosition = false;
    } else {
        if (m_playMode != 0) m_buffer->Stop();
        m_buffer->SetCurrentPosition(0);
    }
    m_playMode = loop ? 2 : 1;
    m_pauseCount = 0;
    return PlayAsMode() == 0 ? 0 : 2;
}

std::int32_t StaticSoundBuffer::Pause() {
    ScopedLock guard(m_lock);
    if (!m_buffer) return 1;
    if (m_playMode == 0) return 2;
    if (m_pauseCount == 0) {
        if (!IsPlaying()) return 3;
        PlaySilence();
        if (FAILED(m_buffer->Stop())) return 2;
    }
    ++m_pauseCount;
    return 0;
}

std::int32_t StaticSoundBuffer::Resume() {
    ScopedLock guard(m_lock);
    if (!m_buffer) return 1;
    if (m_pauseCount == 0) return 2;
    if (--m_pauseCount > 0 || m_playMode == 0) return 0;
    return PlayAsMode() == 0 ? 0 : 3;
}

std::int32_t StaticSoundBuffer::StopAndRewind() {
    ScopedLock guard(m_lock);
    if (!m_buffer) return 1;
    PlaySilence();
    const HRESULT stopped = m_buffer->Stop();
    m_buffer->Stop();
    m_buffer->SetCurrentPosition(0);
    m_presetPosition = false;
    m_playMode = 0;
    m_pauseCount = 0;
    CancelFade();
    return SUCCEEDED(stopped) ? 0 : 2;
}

std::uint32_t StaticSoundBuffer::BytesPerSecond() {
    WAVEFORMATEX format = {};
    if (!m_buffer || FAILED(m_buffer->GetFormat(&format, sizeof format, nullptr))) return 0;
    return format.nAvgBytesPerSec;
}

std::uint32_t StaticSoundBuffer::LengthMs() {
    const std::uint32_t perSecond = BytesPerSecond();
    if (perSecond == 0) return 0;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(m_length) * 1000 / perSecond);
}

std::int32_t StaticSoundBuffer::SetPositionMs(std::uint32_t milliseconds) {
    ScopedLock guard(m_lock);
    if (!m_buffer) return 1;
    const std::uint32_t perSecond = BytesPerSecond();
    if (perSecond == 0) return 2;
    if (m_fadeState != kFadeNone || !IsPlaying()) {
        StopAndRewind();
        m_presetPosition = true;
    }
    const std::uint64_t offset = static_cast<std::uint64_t>(milliseconds) * perSecond / 1000;
    if (offset >= m_length) return 3;
    return SUCCEEDED(m_buffer->SetCurrentPosition(static_cast<DWORD>(offset))) ? 0 : 3;
}

std::int32_t StaticSoundBuffer::PositionMs() {
    const std::uint32_t perSecond = BytesPerSecond();
    DWORD play = 0;
    if (perSecond == 0 || FAILED(m_buffer->GetCurrentPosition(&play, nullptr))) return 0;
    return static_cast<std::int32_t>(static_cast<std::uint64_t>(play) * 1000 / perSecond);
}

bool StaticSoundBuffer::GetPlayState(DWORD* outPlay, DWORD* outWrite) {
    DWORD play = 0;
    DWORD write = 0;
    if (m_buffer) m_buffer->GetCurrentPosition(&play, &write);
    if (outPlay) *outPlay = play;
    if (outWrite) *outWrite = write;
    return IsPlaying();
}

std::uint32_t StaticSoundBuffer::GetLevelAt(std::uint32_t offset, std::uint32_t range) {
    if (!m_levelData || offset >= m_length) return 0;
    std::uint32_t level;
    std::uint32_t scaled;
    if (m_levelWidth == 1) {
        level = static_cast<std::uint32_t>(std::abs(m_levelData[offset] - 128));
        scaled = level * 2;
    } else {
        if (offset + 1 >= m_length) return 0;
        std::int16_t sample;
        std::memcpy(&sample, &m_levelData[offset], sizeof sample);
        level = static_cast<std::uint32_t>(std::abs(sample));
        scaled = level / 128;
    }
    if (range == 0) return scaled < 255 ? scaled : 255;
    if (m_levelPeak == 0) return 0;
    const std::uint32_t step = range * level / m_levelPeak;
    return step < range - 1 ? step : range - 1;
}

std::int32_t StaticSoundBuffer::GetSampleAt(std::uint32_t offset) {
    if (!m_levelData || offset >= m_length) return 0;
    if (m_levelWidth == 1) return m_levelData[offset];
    if (offset + 1 >= m_length) return 0;
    std::int16_t sample;
    std::memcpy(&sample, &m_levelData[offset], sizeof sample);
    return sample;
}
