// In-memory stand-ins for DirectSound, for the tests of the sound device and buffers: a
// DirectSound object that makes FakeSoundBuffers, buffers whose memory is a plain ring with a
// play cursor the test moves, and their notification interface. Install one through
// SetDirectSoundFactory with FakeDirectSound::Install.
//
// A buffer hands out two-part locks across the end of its ring, records every call a test may
// ask about, and answers DSERR_BUFFERLOST on demand. Its write cursor runs a fixed lead ahead of
// the play cursor, as DirectSound's does. Refill threads call a buffer while the test moves its
// cursor: its state is guarded by a lock of its own, and the test waits (bounded) for Unlocks.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace testsupport {

class FakeDirectSound;

class FakeSoundBuffer final : public IDirectSoundBuffer {
public:
    FakeSoundBuffer(FakeDirectSound* owner, const DSBUFFERDESC& description,
                    std::shared_ptr<std::vector<std::uint8_t>> memory);
    ~FakeSoundBuffer();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS caps) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD play, LPDWORD write) override;
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX format, DWORD size,
                                        LPDWORD written) override;
    HRESULT STDMETHODCALLTYPE GetVolume(LPLONG volume) override;
    HRESULT STDMETHODCALLTYPE GetPan(LPLONG pan) override;
    HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD frequency) override;
    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD status) override;
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) override;
    HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* first, LPDWORD firstBytes,
                                   LPVOID* second, LPDWORD secondBytes, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Play(DWORD, DWORD, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD position) override;
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE SetPan(LONG pan) override;
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD frequency) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID first, DWORD firstBytes, LPVOID second,
                                     DWORD secondBytes) override;
    HRESULT STDMETHODCALLTYPE Restore() override;

    // Plays `bytes` from the play cursor on (wrapping), appending them to Played(), and moves
    // the cursor; a buffer that is not playing plays nothing.
    void Advance(std::uint32_t bytes);
    // Moves the play cursor without playing anything.
    void MoveCursor(DWORD position);
    // Waits until the buffer has been unlocked `count` times in all, or has stopped: false
    // after `ms`.
    bool WaitForUnlocksOrStop(std::uint32_t count, DWORD ms);
    // Waits until the buffer is stopped: false after `ms`.
    bool WaitForStop(DWORD ms);
    // The next `count` Locks (or Plays) answer DSERR_BUFFERLOST and mark the buffer lost.
    void LoseOnLock(int count) { m_loseOnLock = count; }
    void LoseOnPlay(int count) { m_loseOnPlay = count; }

    std::vector<std::uint8_t> Played();
    std::vector<std::uint8_t> Memory();
    std::uint32_t Size() const { return static_cast<std::uint32_t>(m_memory->size()); }
    DWORD Flags() const { return m_flags; }
    const WAVEFORMATEX& Format() const { return m_format; }
    bool IsPlaying() const { return m_playing; }
    bool IsLooping() const { return m_looping; }
    LONG Volume() const { return m_volume; }
    DWORD PlayCursor() const { return m_play; }
    std::uint32_t Unlocks() const { return m_unlocks; }
    int Restores() const { return m_restores; }
    int Plays() const { return m_plays; }
    int Stops() const { return m_stops; }
    // The positions and event of SetNotificationPositions (empty without one).
    std::vector<DSBPOSITIONNOTIFY> NotifyPositions();
    // Let the write cursor run this many bytes ahead of the play cursor (default 0).
    void SetWriteLead(DWORD lead) { m_writeLead = lead; }

private:
    friend class FakeDirectSound;
    class Notify;

    FakeDirectSound* m_owner;
    std::atomic<LONG> m_references{1};
    CRITICAL_SECTION m_section;
    HANDLE m_changed;
    std::shared_ptr<std::vector<std::uint8_t>> m_memory;
    WAVEFORMATEX m_format = {};
    DWORD m_flags;
    DWORD m_play = 0;
    DWORD m_writeLead = 0;
    std::atomic<bool> m_playing{false};
    bool m_looping = false;
    bool m_lost = false;
    LONG m_volume = 0;
    LONG m_pan = 0;
    DWORD m_frequency = 0;
    std::atomic<std::uint32_t> m_unlocks{0};
    int m_restores = 0;
    int m_plays = 0;
    int m_stops = 0;
    int m_loseOnLock = 0;
    int m_loseOnPlay = 0;
    std::vector<std::uint8_t> m_played;
    std::vector<DSBPOSITIONNOTIFY> m_positions;
    std::vector<Notify*> m_notifyViews;
};

class FakeDirectSound final : public IDirectSound {
public:
    FakeDirectSound();
    ~FakeDirectSound();

    // Makes the device's factory hand out this object (one reference per creation); Uninstall
    // puts CoCreateInstance back.
    void Install();
    static void Uninstall();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC description,
                                                LPLPDIRECTSOUNDBUFFER out, IUnknown*) override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS caps) override;
    HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                                   LPLPDIRECTSOUNDBUFFER out) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override;
    HRESULT STDMETHODCALLTYPE Compact() override { return DS_OK; }
    HRESULT STDMETHODCALLTYPE GetSpeakerConfig(LPDWORD config) override;
    HRESULT STDMETHODCALLTYPE SetSpeakerConfig(DWORD) override { return DS_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(LPCGUID guid) override;

    // Every buffer made so far, in order (the silent buffer first); they stay alive with the
    // fake.
    const std::vector<FakeSoundBuffer*>& Buffers() const { return m_buffers; }
    FakeSoundBuffer* LastBuffer() const { return m_buffers.empty() ? nullptr : m_buffers.back(); }
    LONG References() const { return m_references; }

    // Failure switches.
    bool failInitialize = false;
    bool refusePriority = false;
    bool refuseNormal = false;
    // Buffers asking for pan or frequency control are refused.
    bool volumeControlOnly = false;
    // The next this many CreateSoundBuffer calls fail.
    int failCreates = 0;
    bool failDuplicate = false;
    bool failSetFormat = false;
    // Buffers offer no notification interface, or one that refuses its positions.
    bool noNotifyInterface = false;
    bool refuseNotifications = false;

    DWORD cooperativeLevel = 0;
    WAVEFORMATEX primaryFormat = {};

private:
    friend class FakeSoundBuffer;

    std::atomic<LONG> m_references{1};
    std::vector<FakeSoundBuffer*> m_buffers;
};

}  // namespace testsupport
