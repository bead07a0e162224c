#include "framework/sound/sound_manager.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "framework/sound/audio_fade_tasks.h"
#include "framework/util/byte_cursor.h"

namespace {

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high) {
    return std::min(std::max(value, low), high);
}

bool SameName(const std::string& kept, const char* name) {
    return _stricmp(kept.c_str(), name) == 0;
}

bool HasName(const char* name) { return name && *name; }

// strlen + 1 as stored in a save's length byte, 0 for no name.
std::uint32_t StoredLength(const std::string& name) {
    return name.empty() ? 0 : static_cast<std::uint32_t>(name.size() + 1);
}

bool WriteName(ByteCursor& cursor, const std::string& name) {
    const std::uint32_t length = StoredLength(name);
    return cursor.WriteU8(static_cast<std::uint8_t>(length)) &&
           cursor.WriteBytes(name.c_str(), length);
}

// A stored name: a length byte of 0 (none) or strlen + 1 with the NUL last and nowhere
// before it. False when the bytes run out or the name is malformed.
bool ReadName(ByteCursor& cursor, std::string& name) {
    std::uint8_t length = 0;
    if (!cursor.ReadU8(length)) return false;
    name.clear();
    if (length == 0) return true;
    std::vector<char> bytes(length);
    if (!cursor.ReadBytes(bytes.data(), length)) return false;
    if (length < 2 || bytes[length - 1] != '\0' || std::memchr(bytes.data(), 0, length - 1)) {
        return false;
    }
    name.assign(bytes.data(), length - 1);
    return true;
}

struct SavedChannel {
    std::uint8_t kind = 0;  // 0 none, 1 streaming, 2 static
    std::string name;
    std::uint8_t levelMode = 0;
    std::int32_t volume = 0;
    std::int32_t pan = 0;
    std::uint8_t looped = 0;
    std::uint8_t group = 1;
};

struct SavedState {
    std::int32_t pan = 0;
    std::string track;
    std::string intro;
    std::int32_t trackVolume = 0;
    std::uint8_t loop = 0;
    std::vector<SavedChannel> channels;
};

// The smallest channel record: kind 0 and its fixed fields.
constexpr std::uint32_t kEmptyChannelRecord = 11;

// Reads the whole record before anything is changed, so a damaged one leaves the game's sound
// as it was.
bool ParseSave(ByteCursor& cursor, SavedState& state) {
    std::uint32_t count = 0;
    if (!cursor.ReadI32(state.pan) || !ReadName(cursor, state.track) ||
        !ReadName(cursor, state.intro) || !cursor.ReadI32(state.trackVolume) ||
        !cursor.ReadU8(state.loop) || !cursor.ReadU32(count)) {
        return false;
    }
    if (count > cursor.Remaining() / kEmptyChannelRecord) return false;
    state.channels.resize(count);
    for (SavedChannel& channel : state.channels) {
        if (!cursor.ReadU8(channel.kind) || channel.kind > 2) return false;
        if (channel.kind != 0) {
            if (!ReadName(cursor, channel.name) || channel.name.empty() ||
                !cursor.ReadU8(channel.levelMode) ||
                channel.levelMode > StaticSoundBuffer::kLevelEnvelope) {
                return false;
            }
        }
        if (!cursor.ReadI32(channel.volume) || !cursor.ReadI32(channel.pan) ||
            !cursor.ReadU8(channel.looped) || !cursor.ReadU8(channel.group)) {
            return false;
        }
    }
    return true;
}

}  // namespace

SoundManager::SoundManager() = default;

SoundManager::~SoundManager() {
    CancelBgmFades();
    DestroyChannels();
}

bool SoundManager::NameFits(const char* name) {
    return !name || std::strlen(name) <= kMaxNameLength;
}

bool SoundManager::GroupEnabled(std::uint8_t group) const {
    switch (group) {
    case 1: return m_group1Enabled;
    case 2: return m_group2Enabled;
    case 4: return m_group4Enabled;
    default: return false;
    }
}

std::int32_t SoundManager::BgmEffectiveVolume(const BgmPlayer& player) const {
    return player.trackVolume * m_bgmUserVolume / 100 * m_masterVolume >> 8;
}

std::int32_t SoundManager::ChannelEffectiveVolume(const SoundChannel& channel) const {
    std::int32_t volume = channel.userVolume * channel.volume / 100 * m_masterVolume >> 8;
    if (channel.group == 4) volume = volume * m_group4Volume >> 8;
    return volume;
}

void SoundManager::ApplyChannelVolume(SoundChannel& channel) {
    const std::int32_t volume = ChannelEffectiveVolume(channel);
    channel.streaming.SetVolume(volume);
    channel.staticBuffer.SetVolume(volume);
}

void SoundManager::CancelBgmFades() {
    if (!m_fadeScheduler) return;
    m_fadeScheduler->CancelKind(kBgmFadeKind);
    m_fadeScheduler->CancelKind(kBgmChangeKind);
    m_fadeScheduler->CancelKind(kBgmReservedKind);
}

void SoundManager::CancelDucking() {
    if (!m_duckScheduler) return;
    TaskScheduler* scheduler = m_duckScheduler;
    m_duckScheduler = nullptr;
    scheduler->CancelKind(kBgmDuckKind);
}

void SoundManager::SetMasterEnable(bool on, bool keepPlaying) {
    if (on == m_masterEnabled) return;
    m_masterEnabled = on;
    SetBgmEnable(m_bgmEnabled, true);
    SetGroupEnable(m_group1Enabled, 1, keepPlaying, true);
    SetGroupEnable(m_group2Enabled, 2, keepPlaying, true);
    SetGroupEnable(m_group4Enabled, 4, keepPlaying, true);
}

void SoundManager::SetMasterVolume(std::int32_t volume, bool longSoundsOnly) {
    m_masterVolume = Clamp(volume, 0, 256);
    // The ducking task puts back the level it lowered before the music volume is re-applied;
    // re-applying the lowered level would keep it as the player's setting for good.
    CancelDucking();
    SetBgmVolume(-1, m_bgmUserVolume, true);
    for (std::int32_t i = 0; i < m_channelCount; ++i) {
        SoundChannel& channel = *m_channels[i];
        if (longSoundsOnly &&
            !((channel.group & 1) && (channel.state == kChannelPlayingLooped ||
                                     channel.active == &channel.streaming))) {
            continue;
        }
        ApplyChannelVolume(channel);
    }
}

void SoundManager::SetGroup4Volume(std::int32_t volume) {
    m_group4Volume = Clamp(volume, 0, 256);
    for (std::int32_t i = 0; i < m_channelCount; ++i) {
        if (m_channels[i]->group & 4) ApplyChannelVolume(*m_channels[i]);
    }
}

std::int32_t SoundManager::OpenPlayer(BgmPlayer& player) {
    if (!player.intro.empty()) return player.buffer.Open(player.intro.c_str(), player.track.c_str());
    return player.buffer.Open(player.track.c_str(), nullptr);
}

std::int32_t SoundManager::StartPlayer(BgmPlayer& player) {
    return player.loop ? player.buffer.PlayLoop() : player.buffer.Play();
}

std::int32_t SoundManager::SetBgmEnable(bool on, bool force) {
    if (on == m_bgmEnabled && !force) return 0;
    ScopedLock hold(m_lock);
    m_bgmEnabled = on;
    BgmPlayer& player = *m_current;
    if (IsBgmAudible()) {
        if (player.buffer.IsPlaying() || player.pauseCount != 0 || !player.HasTrack()) return 0;
        const std::int32_t opened = OpenPlayer(player);
        if (opened <= 0) {
            player.buffer.SetPan(m_bgmPan);
            StartPlayer(player);
        }
        return opened;
    }
    for (BgmPlayer& each : m_players) {
        if (each.buffer.IsPlaying()) each.buffer.StopAndRewind();
    }
    return 0;
}

void SoundManager::StoreGroupEnable(bool on, std::uint8_t mask) {
    if (mask & 1) m_group1Enabled = on;
    if (mask & 2) m_group2Enabled = on;
    if (mask & 4) m_group4Enabled = on;
}

void SoundManager::SetGroupEnable(bool on, std::uint8_t mask, bool keepPlaying, bool force) {
    bool changed = false;
    bool* switches[] = {&m_group1Enabled, &m_group2Enabled, &m_group4Enabled};
    const std::uint8_t bits[] = {1, 2, 4};
    for (int i = 0; i < 3; ++i) {
        if ((mask & bits[i]) && *switches[i] != on) {
            *switches[i] = on;
            changed = true;
        }
    }
    if (!changed && !force) return;
    ScopedLock hold(m_lock);
    const bool audible = on && m_masterEnabled;
    for (std::int32_t i = 0; i < m_channelCount; ++i) {
        SoundChannel& channel = *m_channels[i];
        if (!(channel.group & mask)) continue;
        if (channel.state == kChannelPlayingLooped && channel.active) {
            if (audible) {
                channel.active->PlayLoop();
            } else {
                channel.active->StopAndRewind();
            }
        } else if (!audible && !keepPlaying) {
            StopChannel(i);
        }
    }
}

void SoundManager::RefreshGroup(std::int32_t userVolume, bool longSoundsOnly, std::uint8_t mask) {
    for (std::int32_t i = 0; i < m_channelCount; ++i) {
        SoundChannel& channel = *m_channels[i];
        if (!(channel.group & mask)) continue;
        if (longSoundsOnly && channel.state != kChannelPlayingLooped &&
            channel.active != &channel.streaming) {
            continue;
        }
        SetChannelVolume(i, -1, userVolume);
    }
}

std::int32_t SoundManager::SetBgmVolume(std::int32_t track, std::int32_t user, bool cancelDucking) {
    if (track >= 0) m_current->trackVolume = std::min(track, 100);
    if (user >= 0) {
        if (cancelDucking) CancelDucking();
        m_bgmUserVolume = std::min(user, 256);
    }
    return m_current->buffer.SetVolume(BgmEffectiveVolume(*m_current));
}

void SoundManager::SetBgmPan(std::int32_t pan) {
    m_bgmPan = pan;
    m_current->buffer.SetPan(pan);
}

std::int32_t SoundManager::PlayBgm(const char* track, const char* intro, bool loop) {
    CancelBgmFades();
    ScopedLock hold(m_lock);
    if (!HasName(track) || !NameFits(track) || !NameFits(intro)) return 1;
    BgmPlayer& player = *m_current;
    player.pauseCount = 0;
    if (player.HasTrack() && SameName(player.track, track) &&
        (!intro || SameName(player.intro, intro)) && player.buffer.IsPlaying()) {
        return -1;
    }
    player.ForgetNames();
    player.track = track;
    if (HasName(intro)) player.intro = intro;
    player.loop = loop;
    if (!IsBgmAudible()) return -2;
    const std::int32_t opened = OpenPlayer(player);
    if (opened > 0) {
        player.ForgetNames();
        return opened;
    }
    player.buffer.SetPan(m_bgmPan);
    StartPlayer(player);
    return 0;
}

void SoundManager::StopBgm() {
    CancelBgmFades();
    ReleaseCurrentPlayer();
}

void SoundManager::ReleaseCurrentPlayer() {
    ScopedLock hold(m_lock);
    m_current->buffer.Release();
    m_current->ForgetNames();
    m_current->pauseCount = 0;
}

std::int32_t SoundManager::PauseBgm() {
    ++m_current->pauseCount;
    return m_current->buffer.Pause();
}

std::int32_t SoundManager::ResumeBgm() {
    --m_current->pauseCount;
    return m_current->buffer.Resume();
}

void SoundManager::SwapBgmPlayer() {
    m_currentIndex = 1 - m_currentIndex;
    m_current = &m_players[m_currentIndex];
}

bool SoundManager::IsBgmPlaying() {
    return m_players[0].buffer.IsPlaying() || m_players[1].buffer.IsPlaying();
}

void SoundManager::DestroyChannels() {
    if (m_channelCount > 0) CancelDucking();
    for (std::int32_t i = 0; i < m_channelCount; ++i) CancelChannelFade(i);
    m_channels.reset();
    m_channelCount = 0;
}

std::int32_t SoundManager::SetChannelCount(std::int32_t count) {
    if (count == m_channelCount) return 0;
    if (count <= 0) return 1;
    if (count > kMaxChannels) return 2;
    std::unique_ptr<std::unique_ptr<SoundChannel>[]> table(
        new (std::nothrow) std::unique_ptr<SoundChannel>[count]);
    if (!table) {
        DestroyChannels();
        return 2;
    }
    if (m_channelCount > 0) CancelDucking();
    const std::int32_t kept = std::min(count, m_channelCount);
    for (std::int32_t i = 0; i < kept; ++i) table[i] = std::move(m_channels[i]);
    for (std::int32_t i = kept; i < m_channelCount; ++i) CancelChannelFade(i);
    for (std::int32_t i = kept; i < count; ++i) {
        table[i].reset(new (std::nothrow) SoundChannel);
        if (!table[i]) {
            m_channels.reset();
            m_channelCount = 0;
            return 2;
        }
    }
    m_channels = std::move(table);
    m_channelCount = count;
    return 0;
}

SoundChannel* SoundManager::GetChannel(std::int32_t index) {
    return ValidIndex(index) ? m_channels[index].get() : nullptr;
}

std::int32_t SoundManager::SetChannelVolume(std::int32_t index, std::int32_t volume,
                                            std::int32_t user) {
    if (!ValidIndex(index)) return 1;
    SoundChannel& channel = *m_channels[index];
    if (volume >= 0) channel.volume = std::min(volume, 100);
    if (user >= 0) channel.userVolume = std::min(user, 256);
    ApplyChannelVolume(channel);
    return 0;
}

std::int32_t SoundManager::SetChannelPan(std::int32_t index, std::int32_t pan) {
    if (!ValidIndex(index)) return 1;
    SoundChannel& channel = *m_channels[index];
    channel.pan = pan;
    if (channel.active) channel.active->SetPan(pan);
    return 0;
}

std::int32_t SoundManager::SetChannelGroup(std::int32_t index, std::uint8_t group) {
    if (!ValidIndex(index)) return 1;
    if (!(group & 7)) return 2;
    m_channels[index]->group = group;
    return 0;
}

void SoundManager::CancelChannelFade(std::int32_t index) {
    if (!ValidIndex(index)) return;
    SoundChannel& channel = *m_channels[index];
    ScheduledTask* task = channel.fadeTask.Get();
    TaskScheduler* scheduler = channel.fadeScheduler;
    channel.fadeTask.Reset();
    channel.fadeScheduler = nullptr;
    if (task && scheduler) scheduler->Cancel(task);
}

void SoundManager::SetChannelFadeTask(std::int32_t index, ScheduledTask* task,
                                      TaskScheduler* scheduler) {
    if (!ValidIndex(index)) return;
    m_channels[index]->fadeTask.Reset(task);
    m_channels[index]->fadeScheduler = scheduler;
}

std::int32_t SoundManager::UnloadChannel(std::int32_t index) {
    if (!ValidIndex(index)) return 1;
    SoundChannel& channel = *m_channels[index];
    CancelChannelFade(index);
    if (channel.active) channel.active->Release();
    channel.active = nullptr;
    channel.name.clear();
    channel.levelMode = StaticSoundBuffer::kNoLevelData;
    channel.state = kChannelStopped;
    return 0;
}

std::int32_t SoundManager::LoadChannel(std::int32_t index, const char* name,
                                       std::int32_t levelMode, bool streaming) {
    if (!ValidIndex(index) || !HasName(name)) return 1;
    UnloadChannel(index);
    if (!NameFits(name)) return 2;
    SoundChannel& channel = *m_channels[index];
    std::int32_t user = m_defaultUserVolume;
    if (channel.group == 2 && m_group2UserVolume >= 0) user = m_group2UserVolume;
    if (channel.group == 4 && m_group4UserVolume >= 0) user = m_group4UserVolume;
    channel.userVolume = Clamp(user, 0, 256);
    channel.volume = 100;
    const std::int32_t effective = ChannelEffectiveVolume(channel);
    SoundBuffer* buffer = nullptr;
    if (streaming) {
        channel.streaming.SetVolume(effective);
        if (channel.streaming.Open(name, nullptr) > 0) return 2;
        buffer = &channel.streaming;
        channel.levelMode = StaticSoundBuffer::kNoLevelData;
    } else {
        channel.staticBuffer.SetVolume(effective);
        if (channel.staticBuffer.Load(name, levelMode) > 0) return 2;
        buffer = &channel.staticBuffer;
        channel.levelMode = levelMode;
    }
    channel.name = name;
    channel.active = buffer;
    buffer->SetPan(channel.pan);
    return 0;
}

std::int32_t SoundManager::PlayChannel(std::int32_t index, bool loop) {
    if (!ValidIndex(index)) return 1;
    CancelChannelFade(index);
    ScopedLock hold(m_lock);
    SoundChannel& channel = *m_channels[index];
    channel.state = kChannelStopped;
    const bool groupOn =
        (channel.group == 1 || channel.group == 2 || channel.group == 4) ? GroupEnabled(channel.group)
                                                                         : loop;
    const bool audible = groupOn && m_masterEnabled;
    if (audible && channel.active) {
        const std::int32_t played = loop ? channel.active->PlayLoop() : channel.active->Play();
        if (played != 0) return played + 1;
    }
    channel.state = loop ? kChannelPlayingLooped : kChannelPlayingOnce;
    return audible ? 0 : -1;
}

std::int32_t SoundManager::StopChannel(std::int32_t index) {
    if (!ValidIndex(index)) return 1;
    CancelChannelFade(index);
    SoundChannel& channel = *m_channels[index];
    if (channel.active) channel.active->StopAndRewind();
    channel.state = kChannelStopped;
    return 0;
}

bool SoundManager::IsChannelPlaying(std::int32_t index) {
    SoundChannel* channel = GetChannel(index);
    return channel && channel->active && channel->active->IsPlaying();
}

std::uint8_t SoundManager::GetChannelTag(std::int32_t index) {
    SoundChannel* channel = GetChannel(index);
    return channel ? channel->fadeState : 0;
}

std::int32_t SoundManager::SetChannelTag(std::int32_t index, std::uint8_t value) {
    if (!ValidIndex(index)) return 1;
    m_channels[index]->fadeState = value;
    return 0;
}

BgmDuckTask* SoundManager::StartBgmDuck(TaskScheduler* scheduler, std::int32_t voiceChannel,
                                        float level) {
    BgmDuckTask* task = new (std::nothrow) BgmDuckTask;
    if (!task) return nullptr;
    if (task->Start(scheduler, this, voiceChannel, level) != 0) {
        task->DeletingDestructor(xm::kDeleteMemory);
        return nullptr;
    }
    m_duckScheduler = scheduler;
    return task;
}

std::uint32_t SoundManager::SaveSize() {
    std::uint32_t size = 15 + StoredLength(m_current->track) + StoredLength(m_current->intro);
    for (std::int32_t i = 0; i < m_channelCount; ++i) {
        const SoundChannel& channel = *m_channels[i];
        size += kEmptyChannelRecord;
        if (channel.active) size += StoredLength(channel.name) + 2;
    }
    return size;
}

std::int32_t SoundManager::Save(ByteCursor* cursor) {
    if (!cursor || cursor->Remaining() < SaveSize()) return 1;
    const BgmPlayer& player = *m_current;
    cursor->WriteI32(m_bgmPan);
    WriteName(*cursor, player.track);
    WriteName(*cursor, player.intro);
    cursor->WriteI32(player.trackVolume);
    cursor->WriteU8(player.loop ? 1 : 0);
    cursor->WriteU32(static_cast<std::uint32_t>(m_channelCount));
    for (std::int32_t i = 0; i < m_channelCount; ++i) {
        const SoundChannel& channel = *m_channels[i];
        if (!channel.active) {
            cursor->WriteU8(0);
        } else {
            const bool streaming = channel.active == &channel.streaming;
            cursor->WriteU8(streaming ? 1 : 2);
            WriteName(*cursor, channel.name);
            cursor->WriteU8(static_cast<std::uint8_t>(streaming ? 0 : channel.levelMode));
        }
        cursor->WriteI32(channel.volume);
        cursor->WriteI32(channel.pan);
        cursor->WriteU8(channel.state == kChannelPlayingLooped ? 1 : 0);
        cursor->WriteU8(channel.group);
    }
    return 0;
}

std::int32_t SoundManager::Load(ByteCursor* cursor) {
    if (!cursor) return kNoCursor;
    ByteCursor reader = *cursor;
    SavedState saved;
    if (!ParseSave(reader, saved)) return kDamagedRecord;
    *cursor = reader;

    StopBgm();
    SwapBgmPlayer();
    StopBgm();
    m_bgmPan = saved.pan;
    SetBgmVolume(saved.trackVolume, -1, true);
    if (!saved.track.empty()) {
        PlayBgm(saved.track.c_str(), saved.intro.empty() ? nullptr : saved.intro.c_str(),
                saved.loop != 0);
    }
    SetChannelCount(static_cast<std::int32_t>(saved.channels.size()));
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(saved.channels.size()) && i < m_channelCount;
         ++i) {
        const SavedChannel& channel = saved.channels[i];
        SetChannelVolume(i, channel.volume, -1);
        SetChannelPan(i, channel.pan);
        if (channel.kind != 0) {
            StopChannel(i);
            LoadChannel(i, channel.name.c_str(), channel.levelMode, channel.kind == 1);
            if (channel.looped == 1) PlayChannel(i, true);
        } else {
            UnloadChannel(i);
        }
        m_channels[i]->group = channel.group;
    }
    return kLoaded;
}
