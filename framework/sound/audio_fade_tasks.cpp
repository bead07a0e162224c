#include "framework/sound/audio_fade_tasks.h"

#include <algorithm>

#include "framework/sound/sound_manager.h"

namespace {

void CancelMusicFades(TaskScheduler* scheduler) {
    scheduler->CancelKind(kBgmFadeKind);
    scheduler->CancelKind(kBgmChangeKind);
}

// Moves the current player's track volume.
void SetTrackVolume(SoundManager* manager, std::int32_t volume) {
    manager->SetBgmVolume(volume, -1, true);
}

bool Plays(BgmPlayer* player) { return player->buffer.IsPlaying(); }

}  // namespace

std::int32_t XM_METHOD AudioFadeTask::Step(std::uint32_t now) {
    if (m_state == kFinished) return 1;
    if (m_state == kRegistered) {
        m_state = kRunning;
        m_startTime = now;
    }
    if (!Advance(now, now - m_startTime)) return 0;
    Finish();
    return 1;
}

void XM_METHOD AudioFadeTask::Finish() {
    if (m_state == kFinished) return;
    // Marked first: the finish may stop the sound, which cancels this very task.
    m_state = kFinished;
    OnFinish();
}

// Music volume fade.

BgmVolumeFadeTask::BgmVolumeFadeTask(std::int32_t target, std::uint32_t duration)
    : m_target(std::min(std::max(target, 0), 100)), m_duration(duration) {}

std::int32_t BgmVolumeFadeTask::Start(TaskScheduler* scheduler, SoundManager* manager,
                                      BgmPlayer* player) {
    if (!scheduler || !manager || !player) return 1;
    CancelMusicFades(scheduler);
    m_manager = manager;
    m_player = player;
    m_startVolume = player->trackVolume;
    m_delta = m_startVolume - m_target;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) return 2;
    manager->SetBgmFadeState(kBgmVolumeFade);
    return 0;
}

bool BgmVolumeFadeTask::Advance(std::uint32_t, std::uint32_t elapsed) {
    if (!Plays(m_player) || elapsed >= m_duration) return true;
    SetTrackVolume(m_manager, m_startVolume - m_delta * static_cast<std::int32_t>(elapsed) /
                                                  static_cast<std::int32_t>(m_duration));
    return false;
}

void BgmVolumeFadeTask::OnFinish() {
    SetTrackVolume(m_manager, m_target);
    m_manager->SetBgmFadeState(kBgmNoFade);
}

// Music fade-in.

std::int32_t BgmFadeInTask::Start(TaskScheduler* scheduler, SoundManager* manager,
                                  BgmPlayer* player, const char* track, const char* intro,
                                  bool loop) {
    if (!scheduler || !manager || !player) return 1;
    CancelMusicFades(scheduler);
    m_manager = manager;
    m_player = player;
    m_target = player->trackVolume;
    SetTrackVolume(manager, 0);
    const std::int32_t played = manager->PlayBgm(track, intro, loop);
    if (played != 0) {
        SetTrackVolume(manager, m_target);
        return played < 0 ? played : 2;
    }
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        SetTrackVolume(manager, m_target);
        return 3;
    }
    manager->SetBgmFadeState(kBgmFadingIn);
    return 0;
}

bool BgmFadeInTask::Advance(std::uint32_t, std::uint32_t elapsed) {
    if (!Plays(m_player) || elapsed >= m_duration) return true;
    SetTrackVolume(m_manager, static_cast<std::int32_t>(
                                  elapsed * static_cast<std::uint32_t>(m_target) / m_duration));
    return false;
}

void BgmFadeInTask::OnFinish() {
    SetTrackVolume(m_manager, m_target);
    m_manager->SetBgmFadeState(kBgmNoFade);
}

// Music fade-out.

std::int32_t BgmFadeOutTask::Start(TaskScheduler* scheduler, SoundManager* manager,
                                   BgmPlayer* player) {
    if (!scheduler || !manager || !player) return 1;
    CancelMusicFades(scheduler);
    if (!Plays(player)) {
        manager->StopBgm();
        return -1;
    }
    m_manager = manager;
    m_player = player;
    m_startVolume = player->trackVolume;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) return 2;
    manager->SetBgmFadeState(kBgmFadingOut);
    return 0;
}

bool BgmFadeOutTask::Advance(std::uint32_t, std::uint32_t elapsed) {
    if (!Plays(m_player) || elapsed >= m_duration) return true;
    const std::uint32_t start = static_cast<std::uint32_t>(m_startVolume);
    SetTrackVolume(m_manager, static_cast<std::int32_t>(start - elapsed * start / m_duration));
    return false;
}

void BgmFadeOutTask::OnFinish() {
    m_manager->StopBgm();
    // Kept for the next track.
    SetTrackVolume(m_manager, m_startVolume);
    m_manager->SetBgmFadeState(kBgmNoFade);
}

// Track change.

BgmChangeTask::BgmChangeTask(std::uint32_t fade, std::uint32_t overlap)
    : m_total(fade - std::min(fade, overlap) + fade),
      m_fade(fade),
      m_delay(fade - std::min(fade, overlap)) {}

std::int32_t BgmChangeTask::Start(TaskScheduler* scheduler, SoundManager* manager,
                                  const char* track, const char* intro, bool loop,
                                  std::int32_t newVolume) {
    if (!scheduler || !manager) return 1;
    if (!track || !*track || !SoundManager::NameFits(track) || !SoundManager::NameFits(intro)) {
        return 2;
    }
    CancelMusicFades(scheduler);
    m_manager = manager;
    ScopedLock hold(manager->Lock());
    BgmPlayer& old = manager->CurrentPlayer();
    if (old.HasTrack() && _stricmp(old.track.c_str(), track) == 0 &&
        (!intro || _stricmp(old.intro.c_str(), intro) == 0) && Plays(&old)) {
        return -1;
    }
    m_oldTarget = old.trackVolume;
    m_newTarget = newVolume < 0 ? old.trackVolume : std::min(newVolume, 100);
    m_watched = &old;

    manager->SwapBgmPlayer();
    BgmPlayer& fresh = manager->CurrentPlayer();
    fresh.trackVolume = 0;
    fresh.pauseCount = 0;
    fresh.ForgetNames();
    fresh.track = track;
    if (intro && *intro) fresh.intro = intro;
    fresh.loop = loop;
    if (!manager->IsBgmAudible()) {
        // Nothing to cross-fade: the new track waits as the current one until music is
        // switched on.
        manager->SetBgmVolume(m_newTarget, -1, true);
        return -2;
    }
    if (SoundManager::OpenPlayer(fresh) > 0) {
        fresh.ForgetNames();
        manager->SwapBgmPlayer();
        return 2;
    }
    fresh.buffer.SetPan(manager->BgmPan());
    manager->SetBgmVolume(0, -1, true);
    manager->SwapBgmPlayer();
    m_started = false;
    m_oldFading = true;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        manager->OtherPlayer().buffer.Release();
        manager->OtherPlayer().ForgetNames();
        return 3;
    }
    manager->SetBgmFadeState(kBgmChanging);
    return 0;
}

void BgmChangeTask::StartNewPlayer() {
    m_manager->SwapBgmPlayer();
    SoundManager::StartPlayer(m_manager->CurrentPlayer());
    m_started = true;
    m_watched = &m_manager->CurrentPlayer();
    m_manager->SwapBgmPlayer();
}

bool BgmChangeTask::Advance(std::uint32_t, std::uint32_t t) {
    if (m_started && t - m_delay < m_fade) {
        m_manager->SwapBgmPlayer();
        SetTrackVolume(m_manager, static_cast<std::int32_t>(
                                      (t - m_delay) * static_cast<std::uint32_t>(m_newTarget) /
                                      m_fade));
        m_manager->SwapBgmPlayer();
    }
    if (!m_started) {
        // An old track that ended before the delay leaves nothing to cross-fade: the new one
        // starts now, and the finish gives it its volume.
        const bool oldEnded = !Plays(m_watched);
        if (oldEnded || t >= m_delay) StartNewPlayer();
        if (oldEnded) return true;
    }
    if (!Plays(m_watched) || t >= m_total) return true;
    if (m_oldFading) {
        if (t < m_fade) {
            const std::uint32_t old = static_cast<std::uint32_t>(m_oldTarget);
            SetTrackVolume(m_manager, static_cast<std::int32_t>(old - t * old / m_fade));
        } else {
            // Not StopBgm: that would cancel this task in the middle of its change.
            m_manager->ReleaseCurrentPlayer();
            SetTrackVolume(m_manager, m_oldTarget);
            m_oldFading = false;
        }
    }
    return false;
}

void BgmChangeTask::OnFinish() {
    ScopedLock hold(m_manager->Lock());
    m_manager->ReleaseCurrentPlayer();
    SetTrackVolume(m_manager, m_oldTarget);
    // Not started here means cancelled before the delay ran out (StopBgm, a fade, another
    // change, the manager going): the new track stays prepared as the current one and silent;
    // starting it would play music that whoever cancelled meant to end or replace.
    m_manager->SwapBgmPlayer();
    SetTrackVolume(m_manager, m_newTarget);
    m_manager->SetBgmFadeState(kBgmNoFade);
}

// Ducking.

std::int32_t BgmDuckTask::Start(TaskScheduler* scheduler, SoundManager* manager,
                                std::int32_t voiceChannel, float level) {
    // Written so that a level that is not a number is refused too.
    if (!scheduler || !manager || !(level < 1.0f)) return 1;
    if (!manager->IsChannelPlaying(voiceChannel)) return -1;
    if (!manager->IsBgmPlaying()) return -2;
    m_manager = manager;
    m_voiceChannel = voiceChannel;
    BgmDuckTask* running = static_cast<BgmDuckTask*>(scheduler->FindByKind(10003));
    m_restoreLevel = running ? running->m_restoreLevel : manager->BgmUserVolume();
    // In double the product is exact on x87 and SSE alike, so the truncation never depends on
    // the floating-point unit.
    m_duckedLevel = level < 0.0f ? m_restoreLevel >> 1
                                 : static_cast<std::int32_t>(static_cast<double>(m_restoreLevel) *
                                                             static_cast<double>(level));
    if (running && (running->m_phase == kHolding || running->m_phase == kWaiting)) {
        m_phase = kHolding;
    } else {
        m_phase = kStarting;
        m_rampStart = manager->BgmUserVolume();
        m_rampAmount = m_rampStart - m_duckedLevel;
    }
    if (running) {
        // Taken over: it must not bring the music up on its way out.
        running->m_done = true;
        scheduler->Cancel(running);
    }
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        SetLevel(m_restoreLevel);
        return 2;
    }
    return 0;
}

void BgmDuckTask::SetLevel(std::int32_t level) { m_manager->SetBgmVolume(-1, level, false); }

std::int32_t XM_METHOD BgmDuckTask::Step(std::uint32_t now) {
    if (m_done) return 1;
    if (!m_manager->IsBgmPlaying()) {
        Finish();
        return 1;
    }
    const std::uint32_t t = now - m_phaseStart;
    switch (m_phase) {
    case kStarting:
        m_phaseStart = now;
        m_phase = kGoingDown;
        break;
    case kGoingDown:
        // Signed, so that a take-over whose music already lies below the new ducked level
        // rises to it over the same 500 ms instead of waiting and jumping.
        if (t < 500) {
            SetLevel(m_rampStart - m_rampAmount * static_cast<std::int32_t>(t) / 500);
        } else {
            SetLevel(m_rampStart - m_rampAmount);
            m_phase = kHolding;
        }
        break;
    case kHolding:
        if (!m_manager->IsChannelPlaying(m_voiceChannel)) {
            m_phaseStart = now;
            m_phase = kWaiting;
        }
        break;
    case kWaiting:
        if (t > 1000) {
            m_phaseStart = now;
            m_rampAmount = m_restoreLevel - m_duckedLevel;
            m_phase = kGoingUp;
        }
        break;
    default:
        if (t < 1000) {
            SetLevel(m_duckedLevel + m_rampAmount * static_cast<std::int32_t>(t) / 1000);
        } else {
            Finish();
            return 1;
        }
        break;
    }
    return 0;
}

void XM_METHOD BgmDuckTask::Finish() {
    if (m_done) return;
    m_done = true;
    SetLevel(m_restoreLevel);
}

// Channel fades.

bool ChannelFadeTask::ChannelPlays() {
    SoundChannel* channel = m_manager->GetChannel(m_channel);
    return channel && channel->active == m_buffer && m_buffer && m_buffer->IsPlaying();
}

bool ChannelFadeTask::Attach(SoundManager* manager, std::int32_t channel) {
    SoundChannel* record = manager->GetChannel(channel);
    if (!record || !record->active) return false;
    manager->CancelChannelFade(channel);
    m_manager = manager;
    m_channel = channel;
    m_buffer = record->active;
    return true;
}

bool ChannelFadeTask::Register(TaskScheduler* scheduler, std::uint8_t fadeState) {
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) return false;
    m_manager->SetChannelFadeTask(m_channel, this, scheduler);
    m_manager->SetChannelTag(m_channel, fadeState);
    return true;
}

void ChannelFadeTask::SetVolume(std::int32_t volume) {
    m_manager->SetChannelVolume(m_channel, volume, -1);
}

void ChannelFadeTask::ClearFadeState() { m_manager->SetChannelTag(m_channel, kChannelNoFade); }

ChannelVolumeFadeTask::ChannelVolumeFadeTask(std::int32_t target, std::uint32_t duration)
    : WithDeletingDestructor(duration), m_target(std::min(std::max(target, 0), 100)) {}

std::int32_t ChannelVolumeFadeTask::Start(TaskScheduler* scheduler, SoundManager* manager,
                                          std::int32_t channel) {
    if (!scheduler || !manager) return 1;
    if (!Attach(manager, channel)) return 2;
    m_startVolume = manager->GetChannel(channel)->volume;
    m_delta = m_startVolume - m_target;
    return Register(scheduler, kChannelVolumeFade) ? 0 : 3;
}

bool ChannelVolumeFadeTask::Advance(std::uint32_t, std::uint32_t elapsed) {
    if (!ChannelPlays() || elapsed >= m_duration) return true;
    SetVolume(m_startVolume - static_cast<std::int32_t>(elapsed) * m_delta /
                                  static_cast<std::int32_t>(m_duration));
    return false;
}

void ChannelVolumeFadeTask::OnFinish() {
    SetVolume(m_target);
    ClearFadeState();
}

std::int32_t ChannelFadeInTask::Start(TaskScheduler* scheduler, SoundManager* manager,
                                      const char* name, std::int32_t channel, bool loop,
                                      bool streaming) {
    if (!scheduler || !manager) return 1;
    manager->CancelChannelFade(channel);
    if (name && manager->LoadChannel(channel, name, 0, streaming) != 0) return 2;
    if (!Attach(manager, channel)) return 3;
    m_target = manager->GetChannel(channel)->volume;
    SetVolume(0);
    const std::int32_t played = manager->PlayChannel(channel, loop);
    if (played != 0) {
        SetVolume(m_target);
        return played < 0 ? played : 4;
    }
    if (!Register(scheduler, kChannelFadingIn)) {
        SetVolume(m_target);
        return 5;
    }
    return 0;
}

bool ChannelFadeInTask::Advance(std::uint32_t, std::uint32_t elapsed) {
    if (!ChannelPlays() || elapsed >= m_duration) return true;
    SetVolume(static_cast<std::int32_t>(elapsed * static_cast<std::uint32_t>(m_target) /
                                        m_duration));
    return false;
}

void ChannelFadeInTask::OnFinish() {
    SetVolume(m_target);
    ClearFadeState();
}

std::int32_t ChannelFadeOutTask::Start(TaskScheduler* scheduler, SoundManager* manager,
                                       std::int32_t channel) {
    if (!scheduler || !manager) return 1;
    if (!Attach(manager, channel)) return 2;
    if (!manager->IsChannelPlaying(channel)) {
        manager->StopChannel(channel);
        return -1;
    }
    m_startVolume = manager->GetChannel(channel)->volume;
    return Register(scheduler, kChannelFadingOut) ? 0 : 3;
}

bool ChannelFadeOutTask::Advance(std::uint32_t, std::uint32_t elapsed) {
    if (!ChannelPlays() || elapsed >= m_duration) return true;
    const std::uint32_t start = static_cast<std::uint32_t>(m_startVolume);
    SetVolume(static_cast<std::int32_t>(start - elapsed * start / m_duration));
    return false;
}

void ChannelFadeOutTask::OnFinish() {
    m_manager->StopChannel(m_channel);
    SetVolume(m_startVolume);
    ClearFadeState();
}
