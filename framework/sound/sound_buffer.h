// SoundBuffer: one sound played through a DirectSound secondary buffer, with the volume on the
// program's 0..256 scale, a counted pause and an optional timed fade. StaticSoundBuffer decodes a
// whole file into its buffer; StreamingSoundBuffer decodes while it plays.
//
// Threads: each buffer's lock guards its DirectSound buffer and bookkeeping. A streaming
// buffer's refill thread takes it for every refill; the script thread takes it for fades, pause,
// resume, stop and volume changes; fade tasks take it on the thread that runs their scheduler.
// Only that thread touches the scheduler: a buffer stopped by its refill thread leaves its fade
// task queued, and the task finishes itself at its next step.
//
// Results: 0 success, 1 no DirectSound buffer, further codes per operation.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>

#include "framework/interfaces/task_scheduling.h"
#include "framework/runtime/recursive_lock.h"
#include "framework/util/handle_table.h"

class BufferFadeTask;
class DirectSoundDevice;

// The fade in progress.
enum : std::uint8_t { kFadeNone = 0, kFadingIn = 1, kFadingOut = 2 };

class SoundBuffer {
public:
    static constexpr std::int32_t kFullVolume = 256;

    // A buffer made with a device makes it the current sound device.
    explicit SoundBuffer(DirectSoundDevice* device = nullptr);
    virtual ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    virtual IDirectSoundBuffer* GetBuffer() { return m_buffer; }
    virtual std::int32_t GetVolume() { return m_volume; }
    virtual bool IsStreaming() = 0;
    virtual void Release() = 0;
    virtual std::int32_t Play() = 0;
    virtual std::int32_t PlayLoop() = 0;
    virtual std::int32_t Pause() = 0;
    virtual std::int32_t Resume() = 0;
    virtual std::int32_t StopAndRewind() = 0;
    // Bytes of PCM data.
    virtual std::uint32_t Length() = 0;
    virtual std::uint32_t LengthMs() = 0;
    virtual std::int32_t SetPositionMs(std::uint32_t milliseconds) = 0;
    virtual std::int32_t PositionMs() = 0;
    // True while playing; the cursors go to the outs (which may be null).
    virtual bool GetPlayState(DWORD* outPlay, DWORD* outWrite) = 0;
    // v <= 0 stores 0 (DirectSound's minimum); else min(v, 256), set as 2000 x log10(v / 256)
    // hundredths of a decibel. -1 without a buffer (the volume is stored anyway), 0, 1 refused.
    virtual std::int32_t SetVolume(std::int32_t volume);
    // Passed on unchanged: 0; 1 no buffer; 2 refused.
    virtual std::int32_t SetPan(std::int32_t pan);
    virtual std::int32_t SetFrequency(std::int32_t hertz);
    // Changes by the given amounts (pan clamped to -10000..10000, frequency to 100..100000):
    // 0; 1 no buffer; 2 volume, 3 pan, 4 frequency refused.
    virtual std::int32_t AdjustVolumePanFrequency(std::int32_t volumeChange,
                                                  std::int32_t panChange,
                                                  std::int32_t frequencyChange);
    // The stored volume is written even without a buffer: 0; 1 no buffer; 2 GetPan failed;
    // 3 GetFrequency failed. Null outs are skipped.
    virtual std::int32_t GetVolumePanFrequency(std::int32_t* outVolume, std::int32_t* outPan,
                                               std::int32_t* outFrequency);
    // 0; 1 no buffer; 2 failed.
    virtual std::int32_t GetFormat(std::int32_t* outChannels, std::int32_t* outRate,
                                   std::int32_t* outBits);

    // Starts the buffer silent and raises it to its volume over `duration` ms: 0; 1 no buffer
    // or scheduler; 2 already fading in; 3 resume failed; 4 play failed; 5 out of memory;
    // -1 the volume is 0 (playing, silent).
    std::int32_t FadeIn(TaskScheduler* scheduler, std::uint32_t duration, bool loop);
    // Lowers the volume to 0 over `duration` ms, then pauses: 0; 1 no buffer or scheduler;
    // 2 not playing; 3 already fading out; 4 out of memory; -1 the volume is 0 (paused now).
    std::int32_t FadeOut(TaskScheduler* scheduler, std::uint32_t duration);
    // Ends a running fade through its scheduler (its finish step runs at once). Called on the
    // thread that runs the scheduler.
    void CancelFade();

    std::uint8_t FadeState() const { return m_fadeState; }
    std::int32_t PauseCount() const { return m_pauseCount; }
    // True when DirectSound reports the buffer playing.
    bool IsPlaying();

protected:
    friend class BufferFadeTask;
    friend class FadeInTask;
    friend class FadeOutTask;

    // Creates the secondary buffer for `format` and `bytes`: 0, -1 made with volume control
    // only, or 1 when both attempts failed. `extraFlags` is added to the device's options.
    std::int32_t CreateDirectSoundBuffer(const WAVEFORMATEX* format, DWORD bytes,
                                         DWORD extraFlags);
    void ReleaseDirectSoundBuffer();
    // The device's PlaySilence for this buffer, when there is a device.
    void PlaySilence();
    // Queues a new fade task (false when there is none: out of memory), under the lock.
    bool StartFadeTask(BufferFadeTask* task, std::uint8_t state, TaskScheduler* scheduler,
                       std::uint32_t duration);

    IDirectSoundBuffer* m_buffer = nullptr;
    std::int32_t m_volume = kFullVolume;
    std::int32_t m_pauseCount = 0;
    RecursiveLock m_lock;
    std::uint8_t m_fadeState = kFadeNone;
    TaskScheduler* m_fadeScheduler = nullptr;
    TaskPointer<BufferFadeTask> m_fadeTask;
};

// Every live sound buffer (the device's, the music players', the channels'), entered when it is
// made and taken out when it goes, so that a word naming a buffer is checked before use.
HandleTable<SoundBuffer>& SoundBuffers();

// DirectSound's volume in hundredths of a decibel for a volume on the 0..256 scale.
LONG DirectSoundVolume(std::int32_t volume);
