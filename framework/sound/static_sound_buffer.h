// StaticSoundBuffer: a sound decoded whole into one DirectSound buffer when it is loaded. It can
// keep level data of the sound (a copy of the samples, or their envelope) for lip-sync, and a
// buffer that DirectSound lost is decoded again from its file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/sound/sound_buffer.h"

class StaticSoundBuffer final : public SoundBuffer {
public:
    // Level-data modes of Load.
    enum : std::int32_t { kNoLevelData = 0, kLevelCopy = 1, kLevelEnvelope = 2 };

    explicit StaticSoundBuffer(DirectSoundDevice* device = nullptr);
    ~StaticSoundBuffer() override;

    // Decodes the file into a new buffer: 0; -1 loaded with volume control only; 1 no current
    // sound device, name or DirectSound object; 2 the file is missing or no decoder accepts it;
    // 3 CreateSoundBuffer failed twice; 4 Lock failed; 5 nothing decoded; 6 Unlock failed;
    // 7 any other failure. A positive result leaves the buffer released. The same file loaded
    // again in the same mode is kept as it is (0).
    std::int32_t Load(const char* name, std::int32_t levelMode);
    // Shares the sound data of another static buffer: 0; 1 no device, other buffer or its
    // DirectSound buffer; 2 DuplicateSoundBuffer failed.
    std::int32_t Duplicate(StaticSoundBuffer* other);
    // When DirectSound lost the buffer: decoded again from its file (without level data), or
    // restored by DirectSound when it has none. 0, 1 no buffer, or the decode's code.
    std::int32_t Restore();
    // The level data at a byte offset: an unsigned byte (8-bit data) or a signed sample.
    std::int32_t GetSampleAt(std::uint32_t offset);
    // The level at a byte offset scaled to `range` steps (0: the raw level, at most 255).
    std::uint32_t GetLevelAt(std::uint32_t offset, std::uint32_t range);

    const char* FileName() const { return m_fileName.empty() ? nullptr : m_fileName.c_str(); }
    std::uint8_t LevelWidth() const { return m_levelWidth; }
    std::uint16_t LevelPeak() const { return m_levelPeak; }

    bool IsStreaming() override { return false; }
    void Release() override;
    std::int32_t Play() override { return Start(false); }
    std::int32_t PlayLoop() override { return Start(true); }
    std::int32_t Pause() override;
    std::int32_t Resume() override;
    std::int32_t StopAndRewind() override;
    std::uint32_t Length() override { return m_length; }
    std::uint32_t LengthMs() override;
    std::int32_t SetPositionMs(std::uint32_t milliseconds) override;
    std::int32_t PositionMs() override;
    bool GetPlayState(DWORD* outPlay, DWORD* outWrite) override;

private:
    std::int32_t Start(bool loop);
    // Load from the decoder on: the resolved path, the level mode.
    std::int32_t Decode(const std::string& path, std::int32_t levelMode);
    // Plays as the play mode says, with one restore of a lost buffer: 0 or 1 failed.
    std::int32_t PlayAsMode();
    // Bytes per second of the buffer's format, 0 when it cannot be read.
    std::uint32_t BytesPerSecond();

    std::string m_fileName;
    std::int32_t m_levelMode = kNoLevelData;
    std::uint32_t m_length = 0;
    std::uint8_t m_playMode = 0;  // 0 not started, 1 once, 2 looped
    bool m_presetPosition = false;
    std::uint8_t m_levelWidth = 0;
    std::uint16_t m_levelPeak = 0;
    std::unique_ptr<std::uint8_t[]> m_levelData;
};
