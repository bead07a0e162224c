// StreamingSoundBuffer: a sound decoded while it plays, through a ring of four seconds that a
// refill thread of its own tops up from one decoder, or from a first decoder followed by a second
// one that repeats (a music track with an intro). The ring always loops in DirectSound; the
// refill thread stops it at the end of a sound that does not loop.
//
// With notifications (a player setting, SetUseNotifications) DirectSound wakes the refill thread
// at the ring's quarter points; without them the thread waits on the same event with a timeout
// until the play cursor reaches the next eighth of the ring. A stop sets the event, so the thread
// wakes at once either way. The thread never touches the fade task's scheduler, and the buffer's
// lock is never held while the thread is joined.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/sound_plugin.h"
#include "framework/runtime/thread.h"
#include "framework/sound/sound_buffer.h"

class StreamingSoundBuffer final : public SoundBuffer {
public:
    // Results of Refill.
    enum : std::int32_t { kRefillIdle = -1, kRefilled = 0, kRefillEnded = 1 };

    explicit StreamingSoundBuffer(DirectSoundDevice* device = nullptr);
    ~StreamingSoundBuffer() override;

    // Whether new streaming buffers ask DirectSound for notifications (a player setting).
    static void SetUseNotifications(bool use);
    static bool UseNotifications();

    // Opens the decoders and makes the ring: 0; -1 volume control only; -2 (-3 when also
    // volume-only) notifications wanted but unavailable; -4 (-5) notification positions refused;
    // 1 no current sound device, first name or DirectSound object; 2 the first file has no
    // decoder or a format of 0 bytes per second; 3 the second file has no decoder; 4 the files
    // differ in bytes per second; 5 CreateSoundBuffer failed twice; 6 any other failure. A
    // positive result leaves the buffer released; a negative one leaves it working.
    std::int32_t Open(const char* firstName, const char* secondName);
    // Fills the ring and starts it and the refill thread: 0; 1 no buffer; 2 Lock failed; 3 the
    // decoder read too much; 4 Unlock failed; 5 Play failed; 6 the thread did not start.
    std::int32_t StartPlayback(bool loop);
    // One top-up of the ring from `decoder` (mode 0 normal, 1 the first of two files, 2 forced):
    // -1 the cursor has not moved, 0, 1 the decoder is at its end, 2 Lock failed, 3 out of
    // memory, 4 Unlock failed.
    std::int32_t Refill(SoundDecoder* decoder, std::int32_t mode);

    bool IsStreaming() override { return true; }
    void Release() override;
    std::int32_t Play() override { return StartPlayback(false); }
    std::int32_t PlayLoop() override { return StartPlayback(true); }
    std::int32_t Pause() override;
    std::int32_t Resume() override;
    std::int32_t StopAndRewind() override;
    std::uint32_t Length() override;
    std::uint32_t LengthMs() override;
    std::int32_t SetPositionMs(std::uint32_t milliseconds) override;
    std::int32_t PositionMs() override;
    bool GetPlayState(DWORD* outPlay, DWORD* outWrite) override;

    std::uint32_t RingSize() const { return m_ringSize; }
    std::uint32_t BytesPerSecond() const { return m_bytesPerSecond; }
    std::uint32_t StreamPosition() const { return m_streamPosition; }
    bool NotifyActive() const { return m_notifyActive; }
    HANDLE Event() const { return m_event; }
    bool IsRefillThreadRunning() { return m_thread.IsRunning(); }

private:
    enum class AfterRefill { kWait, kAgain, kStop };

    void RefillThreadRun();
    // What the thread does after a refill of the part that repeats (`decoder`, whose end lies at
    // `end` bytes into the stream): wait for its turn, refill again at once (a loop went back to
    // its start), or stop the buffer (the end was played, or the refill failed).
    AfterRefill NextStep(std::int32_t result, SoundDecoder* decoder, std::uint32_t end,
                         bool& ended);
    void RunSingle();
    void RunWithIntro();
    // Under the lock: moves the stream position on by what was played since the last turn.
    void Bookkeeping();
    // Waits until the ring may want more: the event, or the next eighth of the ring.
    void WaitForTurn();
    // Stops the ring and rewinds both decoders: 0; 1 no buffer; 2 Stop failed. Only the script
    // thread (`fromRefillThread` false) ends the fade through its scheduler.
    std::int32_t StopBuffer(bool fromRefillThread);
    // Asks the refill thread to stop, wakes it and joins it, without the lock.
    void StopRefillThread();
    // Fills a locked region with the format's silence.
    void FillSilence(void* part, DWORD bytes);

    SoundDecoderPtr m_first;
    SoundDecoderPtr m_second;
    std::uint32_t m_bytesPerSecond = 0;
    std::uint32_t m_ringSize = 0;
    std::uint32_t m_blockAlign = 1;
    std::uint8_t m_silence = 0;
    volatile std::uint32_t m_streamPosition = 0;
    bool m_loop = false;
    bool m_notifyActive = false;
    HANDLE m_event = nullptr;
    DSBPOSITIONNOTIFY m_notifyPositions[5] = {};
    IDirectSoundNotify* m_notify = nullptr;
    Thread m_thread;
    std::uint32_t m_lastWrite = 0;
    std::uint32_t m_writeOffset = 0;
    std::uint32_t m_deficit = 0;
    std::uint32_t m_lastPlay = 0;
};
