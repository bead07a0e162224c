// The sound routines several command groups share: music by track number, lowering the music
// under a voice, the sound tasks by handle, and voices by name through the voice table. They
// reach the sound device, the game's sound manager, the first task scheduler (with the lock its
// passes run under), the voice table and the player's sound settings through
// SoundCommandServices: what a test or the application put there, else the program's own.
//
// Choices of this program:
// - A voice's prefix entries are the voice table's names (each with its voice number), its
//   record the VoiceEntry of that number (the marker is its played byte) and its extension the
//   table's 8-byte folder text. A table with no voices at all is no table.
// - The voice group is the "voice enabled" switch of the sound settings (type 2, index 2).
// - PlayVoice only loads the channel; the caller plays it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/runtime/recursive_lock.h"

class ScheduledTask;
class SoundDevice;
class SoundManager;
class TaskScheduler;
struct VoiceTable;

// The player's settings and the window thread, as the sound commands need them.
class SoundCommandPort {
public:
    virtual ~SoundCommandPort() = default;
    // The BGM-duck setting: 50 automatic, else hundredths of the music level kept.
    virtual std::int32_t BgmDuckSetting() = 0;
    virtual bool VoiceReplayOn() = 0;
    // The sound decoders' option flag that the settings give.
    virtual bool WholeFileSetting() = 0;
    virtual bool DeviceWarningOn() = 0;
    virtual void ClearDeviceWarning() = 0;
    // The message dialog of kind 1 on the window thread.
    virtual void ShowDeviceWarning(const char* text) = 0;
    // Has the window thread set the primary format for block {channels or 0, rate code, bits};
    // the device's code is left in block[0].
    virtual void OpenDevice(std::int32_t* block) = 0;
};

// The switches and words of the sound settings that only scripts keep (type 2 indexes 1, 2).
struct ScriptSoundSwitches {
    bool voiceFlag1 = false;
    bool voiceEnabled = true;
};

struct SoundCommandServices {
    SoundDevice* device = nullptr;
    SoundManager* manager = nullptr;
    TaskScheduler* scheduler = nullptr;
    RecursiveLock* schedulerLock = nullptr;
    VoiceTable* voices = nullptr;
    SoundCommandPort* settings = nullptr;
    ScriptSoundSwitches switches;
    // The track PlayBgmTrack last started.
    std::int32_t currentTrack = 0;
};
SoundCommandServices& SoundServices();

// Each: the service set in SoundServices(), else the program's (null when there is none).
SoundDevice* CommandSoundDevice();
SoundManager* CommandSoundManager();
TaskScheduler* CommandSoundScheduler();
VoiceTable* CommandVoiceTable();
SoundCommandPort* CommandSoundSettings();

// Holds the first scheduler's lock (when there is one) for a look at its tasks.
class SoundSchedulerLock {
public:
    SoundSchedulerLock();
    ~SoundSchedulerLock();
    SoundSchedulerLock(const SoundSchedulerLock&) = delete;
    SoundSchedulerLock& operator=(const SoundSchedulerLock&) = delete;

private:
    RecursiveLock* m_lock;
};

// 0, or 1 for an unfaded start that PlayBgm refused with a positive code. The track becomes
// the current one only when its start did not fail, so that a retry plays.
std::int32_t PlayBgmTrack(std::int32_t track, std::uint32_t fadeTime, bool loop);
// The ducking task, or null. levelText null: the player's BGM-duck setting.
ScheduledTask* StartBgmDuck(std::int32_t channel, const char* levelText);
// Whether the first scheduler still holds the task (an ended task is unknown).
bool IsSoundTaskScheduled(const void* task);
// 0 for a null variable; else the variable becomes 0 and the scheduler's answer to cancelling
// the task it held.
std::int32_t CancelSoundTask(std::uint32_t* taskVariable);
// Loads a voice by name into the channel: -5 no table; -3 no name or no matching entry; for a
// negative channel the entry index (-1) or voice number (other); -2 voices or sound off or the
// voice disabled; -4 the load failed; else the position of the entry in the list (count > 0,
// -1 when absent) or the entry index.
// Only the first listWords numbers of the list are there to be read.
std::int32_t PlayVoice(std::int32_t channel, const char* name, std::int32_t count, const std::uint32_t* list,
                       std::size_t listWords);
