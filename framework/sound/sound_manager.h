// SoundManager: the game's mixer over the sound buffers. Music plays on two streaming players
// that take turns, so one track can fade out while the next fades in; numbered channels hold a
// static or a streaming sound for effects and voices, each in one of the groups 1, 2 and 4, which
// can be switched off or, for group 4, weighted. It lowers the music while a voice plays
// (ducking) and writes its state into, and reads it back from, the game's save data.
//
// Volumes: master, the music user volume, channel user volumes and the group-4 volume run
// 0..256; track and channel volumes 0..100 (percent). The buffers receive
//   music:   track x user / 100 x master >> 8
//   channel: user x channel / 100 x master >> 8, then x group-4 volume >> 8 for group byte 4
// in integer arithmetic in that order.
//
// Threads: script commands and the fade tasks run on the same thread (the script thread and
// the frame function's scheduler pass); the lock guards what the buffers' refill threads may
// observe while a player is swapped or reopened.
//
// Names kept here and written into saves are the names the sounds were asked for (relative to
// the game), at most 254 characters, so a save stays valid when the game folder moves and every
// name fits its one-byte length.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/interfaces/task_scheduling.h"
#include "framework/runtime/recursive_lock.h"
#include "framework/sound/static_sound_buffer.h"
#include "framework/sound/streaming_sound_buffer.h"

class ByteCursor;
class BgmDuckTask;

// Task kinds of the sound fades, by which a command cancels a whole family.
enum : std::int32_t {
    kBgmFadeKind = 10000,
    kBgmChangeKind = 10001,
    // Cancelled with the music fades; no task uses it.
    kBgmReservedKind = 10002,
    kBgmDuckKind = 10003,
    kChannelFadeKind = 10004,
};

// The music fade in progress (SoundManager::BgmFadeState).
enum : std::uint8_t {
    kBgmNoFade = 0,
    kBgmVolumeFade = 1,
    kBgmFadingIn = 2,
    kBgmFadingOut = 3,
    kBgmChanging = 4,
};

// A channel's fade in progress (SoundChannel::fadeState).
enum : std::uint8_t {
    kChannelNoFade = 0,
    kChannelVolumeFade = 1,
    kChannelFadingIn = 2,
    kChannelFadingOut = 3,
};

// A channel's play state.
enum : std::uint8_t { kChannelStopped = 0, kChannelPlayingOnce = 1, kChannelPlayingLooped = 2 };

struct BgmPlayer {
    StreamingSoundBuffer buffer;
    // The track file, or the repeated part when an intro is used; empty: none.
    std::string track;
    std::string intro;
    std::int32_t trackVolume = 100;
    // Pauses made through SoundManager::PauseBgm and not yet resumed.
    std::int32_t pauseCount = 0;
    bool loop = false;

    bool HasTrack() const { return !track.empty(); }
    void ForgetNames() {
        track.clear();
        intro.clear();
    }
};

struct SoundChannel {
    // The streaming or static buffer that holds the loaded sound, null when none.
    SoundBuffer* active = nullptr;
    StreamingSoundBuffer streaming;
    StaticSoundBuffer staticBuffer;
    // The name the sound was loaded with and, for a static sound, its level-data mode.
    std::string name;
    std::int32_t levelMode = StaticSoundBuffer::kNoLevelData;
    std::int32_t volume = 100;
    std::int32_t userVolume = 256;
    std::int32_t pan = 0;
    std::uint8_t state = kChannelStopped;
    std::uint8_t fadeState = kChannelNoFade;
    // Bits 1, 2 and 4 select the groups.
    std::uint8_t group = 1;
    // The running fade task and the scheduler it runs on; the task is null once it has ended.
    TaskPointer<ScheduledTask> fadeTask;
    TaskScheduler* fadeScheduler = nullptr;
};

class SoundManager {
public:
    // Results of Load.
    enum : std::int32_t { kLoaded = 0, kNoCursor = 1, kDamagedRecord = 2 };
    // Names longer than this are refused where they enter.
    static constexpr std::size_t kMaxNameLength = 254;
    // Each channel holds two buffers and an event; far more than any game plays at once.
    static constexpr std::int32_t kMaxChannels = 4096;

    SoundManager();
    virtual ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Bytes that Save writes.
    virtual std::uint32_t SaveSize();
    // Writes the music and channel state through the cursor and moves it on: 0, or 1 when the
    // cursor is null or too short (nothing usable is written then).
    virtual std::int32_t Save(ByteCursor* cursor);
    // Restores what Save wrote: 0; 1 no cursor; 2 the record is damaged (cut, or a length or
    // count past the cursor's end, or a field out of its range): nothing is changed and the
    // cursor stays where it was.
    virtual std::int32_t Load(ByteCursor* cursor);

    // The scheduler that runs music and channel fades (the application's first scheduler). It
    // must outlive the manager, whose destructor ends the fades still queued there.
    void SetFadeScheduler(TaskScheduler* scheduler) { m_fadeScheduler = scheduler; }
    TaskScheduler* FadeScheduler() const { return m_fadeScheduler; }

    // Switches and volumes.
    void SetMasterEnable(bool on, bool keepPlaying);
    void SetMasterVolume(std::int32_t volume, bool longSoundsOnly);
    void SetGroup4Volume(std::int32_t volume);
    // 0, or the reopen result when the music was started again.
    std::int32_t SetBgmEnable(bool on, bool force);
    void SetGroupEnable(bool on, std::uint8_t mask, bool keepPlaying, bool force);
    // Stores the switches of the groups in the mask without touching any channel: they take
    // effect when channels next play.
    void StoreGroupEnable(bool on, std::uint8_t mask);
    void RefreshGroup(std::int32_t userVolume, bool longSoundsOnly, std::uint8_t mask);
    std::int32_t SetBgmVolume(std::int32_t track, std::int32_t user, bool cancelDucking);
    void SetBgmPan(std::int32_t pan);

    // Music.
    // 0 playing; -1 the same names already play; -2 music is switched off (it starts when it is
    // switched on); 1 no track name, or a name over 254 characters; or Open's positive result.
    std::int32_t PlayBgm(const char* track, const char* intro, bool loop);
    void StopBgm();
    std::int32_t PauseBgm();
    std::int32_t ResumeBgm();
    void SwapBgmPlayer();
    // Releases the current player and its names without cancelling any fade (the track change
    // stops its old player this way from inside its own step).
    void ReleaseCurrentPlayer();
    bool IsBgmPlaying();
    bool IsBgmAudible() const { return m_masterEnabled && m_bgmEnabled; }

    // Channels (an index outside 0..count-1 gives 1, or 0 / null for queries).
    // 0; 1 for n <= 0 (the table is kept); 2 above kMaxChannels (nothing is made or changed)
    // or out of memory.
    std::int32_t SetChannelCount(std::int32_t count);
    std::int32_t SetChannelVolume(std::int32_t index, std::int32_t volume, std::int32_t user);
    std::int32_t SetChannelPan(std::int32_t index, std::int32_t pan);
    // 2 when the value has none of the bits 1, 2, 4.
    std::int32_t SetChannelGroup(std::int32_t index, std::uint8_t group);
    // 0; 1 bad index or no name; 2 the load failed (also for a name over 254 characters).
    std::int32_t LoadChannel(std::int32_t index, const char* name, std::int32_t levelMode,
                             bool streaming);
    std::int32_t UnloadChannel(std::int32_t index);
    SoundChannel* GetChannel(std::int32_t index);
    // 0 playing; -1 muted (the state is still recorded); 1 bad index; else the buffer's
    // result + 1.
    std::int32_t PlayChannel(std::int32_t index, bool loop);
    std::int32_t StopChannel(std::int32_t index);
    bool IsChannelPlaying(std::int32_t index);
    std::uint8_t GetChannelTag(std::int32_t index);
    std::int32_t SetChannelTag(std::int32_t index, std::uint8_t value);
    // Ends the channel's fade task (its finish runs once); nothing without one.
    void CancelChannelFade(std::int32_t index);
    // Makes the task the channel's fade task, running on the scheduler.
    void SetChannelFadeTask(std::int32_t index, ScheduledTask* task, TaskScheduler* scheduler);

    // Lowers the music while the voice channel plays; the new task, or null when it does not
    // start. The scheduler becomes the duck scheduler.
    BgmDuckTask* StartBgmDuck(TaskScheduler* scheduler, std::int32_t voiceChannel, float level);
    // Ends a running ducking task (the music level goes back) and forgets its scheduler.
    void CancelDucking();

    // Music fades cancelled by PlayBgm and StopBgm: kinds 10000, 10001 and 10002.
    void CancelBgmFades();

    BgmPlayer& CurrentPlayer() { return *m_current; }
    BgmPlayer& OtherPlayer() { return m_players[1 - m_currentIndex]; }
    std::int32_t CurrentPlayerIndex() const { return m_currentIndex; }
    std::int32_t ChannelCount() const { return m_channelCount; }
    std::int32_t MasterVolume() const { return m_masterVolume; }
    std::int32_t Group4Volume() const { return m_group4Volume; }
    std::int32_t BgmUserVolume() const { return m_bgmUserVolume; }
    std::int32_t BgmPan() const { return m_bgmPan; }
    bool MasterEnabled() const { return m_masterEnabled; }
    bool BgmEnabled() const { return m_bgmEnabled; }
    bool GroupEnabled(std::uint8_t group) const;
    std::uint8_t BgmFadeState() const { return m_bgmFadeState; }
    void SetBgmFadeState(std::uint8_t state) { m_bgmFadeState = state; }
    TaskScheduler* DuckScheduler() const { return m_duckScheduler; }
    RecursiveLock& Lock() { return m_lock; }

    // Defaults of the user volume that LoadChannel gives (script commands set them); -1 for a
    // group default means the general one.
    void SetDefaultUserVolumes(std::int32_t general, std::int32_t group2, std::int32_t group4) {
        m_defaultUserVolume = general;
        m_group2UserVolume = group2;
        m_group4UserVolume = group4;
    }

    // 0 the general default, 1 group 2's, 2 group 4's.
    std::int32_t DefaultUserVolume(std::int32_t which) const {
        return which == 0 ? m_defaultUserVolume : which == 1 ? m_group2UserVolume : m_group4UserVolume;
    }

    // The effective volumes on the buffers' 0..256 scale.
    std::int32_t BgmEffectiveVolume(const BgmPlayer& player) const;
    std::int32_t ChannelEffectiveVolume(const SoundChannel& channel) const;

    // Opens the player's names (intro first when there is one): Open's result.
    static std::int32_t OpenPlayer(BgmPlayer& player);
    // Starts the player by its loop flag.
    static std::int32_t StartPlayer(BgmPlayer& player);
    static bool NameFits(const char* name);

private:
    void DestroyChannels();
    void ApplyChannelVolume(SoundChannel& channel);
    bool ValidIndex(std::int32_t index) const { return index >= 0 && index < m_channelCount; }

    std::int32_t m_masterVolume = 256;
    std::int32_t m_group4Volume = 256;
    BgmPlayer m_players[2];
    BgmPlayer* m_current = &m_players[0];
    std::int32_t m_currentIndex = 0;
    std::int32_t m_bgmUserVolume = 256;
    std::int32_t m_bgmPan = 0;
    std::int32_t m_channelCount = 0;
    std::unique_ptr<std::unique_ptr<SoundChannel>[]> m_channels;
    std::int32_t m_defaultUserVolume = 256;
    std::int32_t m_group2UserVolume = -1;
    std::int32_t m_group4UserVolume = -1;
    bool m_masterEnabled = true;
    bool m_bgmEnabled = true;
    bool m_group1Enabled = true;
    bool m_group2Enabled = true;
    bool m_group4Enabled = true;
    std::uint8_t m_bgmFadeState = kBgmNoFade;
    TaskScheduler* m_fadeScheduler = nullptr;
    TaskScheduler* m_duckScheduler = nullptr;
    RecursiveLock m_lock;
};
