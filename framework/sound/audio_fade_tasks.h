// The timed changes of music and channel volumes, run as tasks on a TaskScheduler (the sound
// manager's fade scheduler): music volume fade, fade-in of a new track, fade-out, track change
// with a cross-fade, ducking of the music under a voice, and the channel volume fade, fade-in and
// fade-out. Each is made with its timing, then Start registers it (the scheduler owns it from
// then on; on a non-zero result the caller still owns it).
//
// A task steps at every scheduler pass with the pass time until it is done. Its finish step
// reaches the end state (target volume set, faded-out sound stopped with its volume put back,
// music level restored) when the step sees the end or when the task is cancelled, and does its
// work once only. Kinds: 10000 music fades, 10001 track change, 10003 ducking, 10004 channel
// fades.
#pragma once

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/task_scheduling.h"

class SoundManager;
class SoundBuffer;
struct BgmPlayer;

// The state byte, the start time and the once-only finish shared by the fade tasks.
class AudioFadeTask : public ScheduledTask {
public:
    enum : std::uint8_t { kRegistered = 0, kRunning = 1, kFinished = 2 };

    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override;
    std::uint8_t State() const { return m_state; }

protected:
    AudioFadeTask() = default;
    ~AudioFadeTask() = default;

    // One step with the time since the first step: true when the end is reached.
    virtual bool Advance(std::uint32_t now, std::uint32_t elapsed) = 0;
    virtual void OnFinish() = 0;

    SoundManager* m_manager = nullptr;
    std::uint32_t m_startTime = 0;
    std::uint8_t m_state = kRegistered;
};

class BgmVolumeFadeTask final : public WithDeletingDestructor<BgmVolumeFadeTask, AudioFadeTask> {
public:
    BgmVolumeFadeTask(std::int32_t target, std::uint32_t duration);
    std::int32_t XM_METHOD Kind() override { return 10000; }
    // 0; 1 a null argument; 2 not registered.
    std::int32_t Start(TaskScheduler* scheduler, SoundManager* manager, BgmPlayer* player);

private:
    bool Advance(std::uint32_t now, std::uint32_t elapsed) override;
    void OnFinish() override;

    std::int32_t m_target;
    std::uint32_t m_duration;
    std::int32_t m_startVolume = 0;
    std::int32_t m_delta = 0;
    BgmPlayer* m_player = nullptr;
};

class BgmFadeInTask final : public WithDeletingDestructor<BgmFadeInTask, AudioFadeTask> {
public:
    explicit BgmFadeInTask(std::uint32_t duration) : m_duration(duration) {}
    std::int32_t XM_METHOD Kind() override { return 10000; }
    // Plays the track from silence: 0; 1 a null argument; -1 the names already play; -2 music
    // is switched off; 2 PlayBgm failed; 3 not registered.
    std::int32_t Start(TaskScheduler* scheduler, SoundManager* manager, BgmPlayer* player,
                       const char* track, const char* intro, bool loop);

private:
    bool Advance(std::uint32_t now, std::uint32_t elapsed) override;
    void OnFinish() override;

    std::uint32_t m_duration;
    std::int32_t m_target = 0;
    BgmPlayer* m_player = nullptr;
};

class BgmFadeOutTask final : public WithDeletingDestructor<BgmFadeOutTask, AudioFadeTask> {
public:
    explicit BgmFadeOutTask(std::uint32_t duration) : m_duration(duration) {}
    std::int32_t XM_METHOD Kind() override { return 10000; }
    // 0; 1 a null argument; -1 nothing plays (the music is stopped at once); 2 not registered.
    std::int32_t Start(TaskScheduler* scheduler, SoundManager* manager, BgmPlayer* player);

private:
    bool Advance(std::uint32_t now, std::uint32_t elapsed) override;
    void OnFinish() override;

    std::uint32_t m_duration;
    std::int32_t m_startVolume = 0;
    BgmPlayer* m_player = nullptr;
};

// The new track is prepared on the other player, starts after `fade - min(fade, overlap)` ms
// (at once when the old one ends sooner) and rises over `fade` ms while the old one falls over
// `fade` ms. A change cancelled before the new track started leaves it current but silent.
class BgmChangeTask final : public WithDeletingDestructor<BgmChangeTask, AudioFadeTask> {
public:
    BgmChangeTask(std::uint32_t fade, std::uint32_t overlap);
    std::int32_t XM_METHOD Kind() override { return 10001; }
    // 0; 1 a null scheduler or manager; -1 the names already play; -2 music is switched off
    // (the new track waits on the other player, now current, and nothing is scheduled); 2 the
    // new track did not open (or a name is over 254 characters); 3 not registered.
    std::int32_t Start(TaskScheduler* scheduler, SoundManager* manager, const char* track,
                       const char* intro, bool loop, std::int32_t newVolume);

private:
    bool Advance(std::uint32_t now, std::uint32_t elapsed) override;
    void OnFinish() override;
    void StartNewPlayer();

    std::uint32_t m_total;
    std::uint32_t m_fade;
    std::uint32_t m_delay;
    std::int32_t m_newTarget = 0;
    std::int32_t m_oldTarget = 0;
    bool m_started = false;
    bool m_oldFading = false;
    BgmPlayer* m_watched = nullptr;
};

// Lowers the music user volume over 500 ms while the voice channel plays, holds it, waits
// 1000 ms after the voice ends and raises it again over 1000 ms. Made through
// SoundManager::StartBgmDuck.
class BgmDuckTask final : public WithDeletingDestructor<BgmDuckTask, ScheduledTask> {
public:
    enum : std::uint8_t { kStarting = 0, kGoingDown = 1, kHolding = 2, kWaiting = 3, kGoingUp = 4 };

    std::int32_t XM_METHOD Kind() override { return 10003; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override;
    // level: the fraction of the music level to keep, negative for half. 0; 1 a null argument
    // or a level of 1.0 or more; -1 the voice does not play; -2 no music plays; 2 not
    // registered (the music level is put back).
    std::int32_t Start(TaskScheduler* scheduler, SoundManager* manager, std::int32_t voiceChannel,
                       float level);

    std::uint8_t Phase() const { return m_phase; }
    std::int32_t RestoreLevel() const { return m_restoreLevel; }
    std::int32_t DuckedLevel() const { return m_duckedLevel; }

private:
    void SetLevel(std::int32_t level);

    SoundManager* m_manager = nullptr;
    std::int32_t m_voiceChannel = -1;
    std::int32_t m_restoreLevel = 0;
    std::int32_t m_duckedLevel = 0;
    std::int32_t m_rampStart = 0;
    std::int32_t m_rampAmount = 0;
    bool m_done = false;
    std::uint8_t m_phase = kStarting;
    std::uint32_t m_phaseStart = 0;
};

// What the three channel fades share: the channel, its buffer when the fade began, and the
// registration as the channel's one fade task.
class ChannelFadeTask : public AudioFadeTask {
protected:
    explicit ChannelFadeTask(std::uint32_t duration) : m_duration(duration) {}
    ~ChannelFadeTask() = default;

    // Binds the task to a channel that holds a sound, ending the channel's running fade: false
    // when there is no such channel or nothing is loaded.
    bool Attach(SoundManager* manager, std::int32_t channel);
    // True while the channel still plays the buffer the fade began with.
    bool ChannelPlays();
    // Registers the task and makes it the channel's fade task: false when refused.
    bool Register(TaskScheduler* scheduler, std::uint8_t fadeState);
    void SetVolume(std::int32_t volume);
    void ClearFadeState();

    SoundBuffer* m_buffer = nullptr;
    std::int32_t m_channel = -1;
    std::uint32_t m_duration;
};

class ChannelVolumeFadeTask final
    : public WithDeletingDestructor<ChannelVolumeFadeTask, ChannelFadeTask> {
public:
    ChannelVolumeFadeTask(std::int32_t target, std::uint32_t duration);
    std::int32_t XM_METHOD Kind() override { return 10004; }
    // 0; 1 a null argument; 2 no such channel or nothing loaded; 3 not registered.
    std::int32_t Start(TaskScheduler* scheduler, SoundManager* manager, std::int32_t channel);

private:
    bool Advance(std::uint32_t now, std::uint32_t elapsed) override;
    void OnFinish() override;

    std::int32_t m_target;
    std::int32_t m_startVolume = 0;
    std::int32_t m_delta = 0;
};

class ChannelFadeInTask final : public WithDeletingDestructor<ChannelFadeInTask, ChannelFadeTask> {
public:
    explicit ChannelFadeInTask(std::uint32_t duration) : WithDeletingDestructor(duration) {}
    std::int32_t XM_METHOD Kind() override { return 10004; }
    // Loads the file when one is named, then plays the channel from silence: 0; 1 a null
    // scheduler or manager; 2 the load failed; 3 no such channel or nothing loaded; -1 muted
    // (nothing registered); 4 playing failed; 5 not registered.
    std::int32_t Start(TaskScheduler* scheduler, SoundManager* manager, const char* name,
                       std::int32_t channel, bool loop, bool streaming);

private:
    bool Advance(std::uint32_t now, std::uint32_t elapsed) override;
    void OnFinish() override;

    std::int32_t m_target = 0;
};

class ChannelFadeOutTask final
    : public WithDeletingDestructor<ChannelFadeOutTask, ChannelFadeTask> {
public:
    explicit ChannelFadeOutTask(std::uint32_t duration) : WithDeletingDestructor(duration) {}
    std::int32_t XM_METHOD Kind() override { return 10004; }
    // 0; 1 a null argument; 2 no such channel or nothing loaded; -1 the channel does not play
    // (it is stopped at once); 3 not registered.
    std::int32_t Start(TaskScheduler* scheduler, SoundManager* manager, std::int32_t channel);

private:
    bool Advance(std::uint32_t now, std::uint32_t elapsed) override;
    void OnFinish() override;

    std::int32_t m_startVolume = 0;
};
