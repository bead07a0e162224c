#include "game/commands/sound_routines.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/files/virtual_file_system.h"
#include "framework/sound/audio_fade_tasks.h"
#include "framework/sound/sound_device.h"
#include "framework/sound/sound_manager.h"
#include "game/app/application.h"
#include "game/commands/command_services.h"
#include "game/interfaces/settings_files.h"
#include "game/script/script_engine.h"
#include "game/script/voice_table.h"

namespace {

// The program's settings: the warning byte of USER.CFG and the window thread of the application.
// The BGM-duck and voice-replay settings are not kept by the settings files yet: ducking is
// automatic and voices are not marked for replay.
class ProgramSoundSettings final : public SoundCommandPort {
public:
    std::int32_t BgmDuckSetting() override { return 50; }
    bool VoiceReplayOn() override { return false; }
    bool WholeFileSetting() override { return false; }
    bool DeviceWarningOn() override {
        Application* const app = Application::Current();
        return app && app->UserCfg().block3[SettingsFiles::Block3::kWarnNoSound] != 0;
    }
    void ClearDeviceWarning() override {
        if (Application* const app = Application::Current()) app->UserCfg().block3[SettingsFiles::Block3::kWarnNoSound] = 0;
    }
    void ShowDeviceWarning(const char* text) override {
        if (Application* const app = Application::Current()) app->RequestMessageDialog(text, 1, nullptr, nullptr, true);
    }
    void OpenDevice(std::int32_t* block) override {
        AppWindowPort* const window = Services().window;
        if (!window) {
            block[0] = 1;
            return;
        }
        window->SendToMainWindow(WM_COMMAND, kCmdSoundFormat, static_cast<LPARAM>(reinterpret_cast<std::uintptr_t>(block)));
    }
};

template <class Task>
void StartOrDelete(Task* task, std::int32_t code) {
    if (code != 0) delete task;
}

}  // namespace

SoundCommandServices& SoundServices() {
    static SoundCommandServices services;
    return services;
}

SoundDevice* CommandSoundDevice() {
    if (SoundServices().device) return SoundServices().device;
    Application* const app = Application::Current();
    return app ? &app->Sound() : nullptr;
}

SoundManager* CommandSoundManager() {
    if (SoundServices().manager) return SoundServices().manager;
    ScriptEngine* const engine = ScriptEngine::Current();
    return engine ? &engine->Sound() : nullptr;
}

TaskScheduler* CommandSoundScheduler() {
    if (SoundServices().scheduler) return SoundServices().scheduler;
    SoundManager* const manager = CommandSoundManager();
    return manager ? manager->FadeScheduler() : nullptr;
}

VoiceTable* CommandVoiceTable() {
    if (SoundServices().voices) return SoundServices().voices;
    ScriptEngine* const engine = ScriptEngine::Current();
    return engine ? &engine->Voices() : nullptr;
}

SoundCommandPort* CommandSoundSettings() {
    static ProgramSoundSettings program;
    return SoundServices().settings ? SoundServices().settings : &program;
}

SoundSchedulerLock::SoundSchedulerLock() : m_lock(SoundServices().schedulerLock) {
    if (!m_lock) {
        Application* const app = Application::Current();
        m_lock = app ? &app->SoundLock() : nullptr;
    }
    if (m_lock) m_lock->Enter();
}

SoundSchedulerLock::~SoundSchedulerLock() {
    if (m_lock) m_lock->Leave();
}

std::int32_t PlayBgmTrack(std::int32_t track, std::uint32_t fadeTime, bool loop) {
    SoundManager* const manager = CommandSoundManager();
    if (!manager) return 0;
    std::int32_t& current = SoundServices().currentTrack;
    if (track == current) {
        if (track == 0) manager->StopBgm();
        return 0;
    }
    const std::int32_t previous = current;
    TaskScheduler* const scheduler = CommandSoundScheduler();
    if (track == 0) {
        current = 0;
        if (fadeTime == 0) {
            manager->StopBgm();
        } else {
            auto* const task = new BgmFadeOutTask(fadeTime);
            StartOrDelete(task, task->Start(scheduler, manager, &manager->CurrentPlayer()));
        }
        return 0;
    }
    char loopFile[32];
    char introFile[32];
    std::snprintf(loopFile, sizeof loopFile, "BGM\\BGM%02d.OGG", track);
    const char* intro = nullptr;
    char found[1024];
    const std::int32_t located = g_virtualFileSystem ? g_virtualFileSystem->LocateFile(found, loopFile, nullptr) : 2;
    if (located != 0 && located != -1) {
        std::snprintf(loopFile, sizeof loopFile, "BGM\\BGM%02dB.OGG", track);
        std::snprintf(introFile, sizeof introFile, "BGM\\BGM%02dA.OGG", track);
        intro = introFile;
    }
    std::int32_t code;
    if (fadeTime == 0) {
        code = manager->PlayBgm(loopFile, intro, loop);
    } else if (previous != 0) {
        auto* const task = new BgmChangeTask(fadeTime, fadeTime);
        code = task->Start(scheduler, manager, loopFile, intro, loop, -1);
        StartOrDelete(task, code);
    } else {
        auto* const task = new BgmFadeInTask(fadeTime);
        code = task->Start(scheduler, manager, &manager->CurrentPlayer(), loopFile, intro, loop);
        StartOrDelete(task, code);
    }
    // A start that failed leaves the previous track current, so the same call tries again.
    if (code <= 0) current = track;
    return fadeTime == 0 && code > 0 ? 1 : 0;
}

ScheduledTask* StartBgmDuck(std::int32_t channel, const char* levelText) {
    SoundManager* const manager = CommandSoundManager();
    if (!manager) return nullptr;
    float level;
    if (levelText) {
        level = static_cast<float>(std::strtod(levelText, nullptr));
    } else {
        const std::int32_t setting = CommandSoundSettings()->BgmDuckSetting();
        level = setting == 50 ? -1.0f : static_cast<float>(setting) * 0.01f;
    }
    // "nan" reads as a number that compares with nothing: refused like a level of 1 or more.
    if (!(level < 1.0f)) return nullptr;
    return manager->StartBgmDuck(CommandSoundScheduler(), channel, level);
}

bool IsSoundTaskScheduled(const void* task) {
    if (!task) return false;
    SoundSchedulerLock hold;
    TaskScheduler* const scheduler = CommandSoundScheduler();
    if (!scheduler || !scheduler->Contains(task)) return false;
    // A queued task's key is the task itself; one that has ended waits only to be deleted.
    return !static_cast<const ScheduledTask*>(task)->IsFinished();
}

std::int32_t CancelSoundTask(std::uint32_t* taskVariable) {
    if (!taskVariable) return 0;
    const std::uint32_t word = *taskVariable;
    *taskVariable = 0;
    if (word == 0) return 0;
    SoundSchedulerLock hold;
    TaskScheduler* const scheduler = CommandSoundScheduler();
    if (!scheduler) return 0;
    return scheduler->Cancel(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word))) ? 1 : 0;
}

namespace {

bool StartsWith(const std::string& prefix, const char* name) {
    return std::strncmp(prefix.c_str(), name, prefix.size()) == 0;
}

std::int32_t LoadVoiceFile(SoundManager& manager, std::int32_t channel, const std::string& path, std::int32_t mode) {
    return manager.LoadChannel(channel, path.c_str(), mode, false) == 0 ? 0 : -4;
}

}  // namespace

std::int32_t PlayVoice(std::int32_t channel, const char* name, std::int32_t count, const std::uint32_t* list,
                       std::size_t listWords) {
    VoiceTable* const table = CommandVoiceTable();
    SoundManager* const manager = CommandSoundManager();
    if (!table || !manager || table->voices.empty()) return -5;
    if (!name) return -3;
    const bool voicesOn = SoundServices().switches.voiceEnabled && manager->MasterEnabled();
    if (table->names.empty()) {
        if (!voicesOn) return -2;
        if (LoadVoiceFile(*manager, channel, std::string("VOICE\\") + name + ".OGG", 0) != 0) return -4;
        return -1;
    }
    std::int32_t entry = -1;
    for (std::size_t i = 0; i < table->names.size(); ++i) {
        if (StartsWith(table->names[i].name, name)) {
            entry = static_cast<std::int32_t>(i);
            break;
        }
    }
    if (entry < 0 || table->names[entry].voice >= table->voices.size()) return -3;
    const std::uint32_t voiceNumber = table->names[entry].voice;
    if (channel < 0) return channel == -1 ? entry : static_cast<std::int32_t>(voiceNumber);
    VoiceEntry& record = table->voices[voiceNumber];
    record.marker = 0;
    if (!voicesOn || record.enabled == 0) return -2;
    std::int32_t position = -1;
    for (std::int32_t j = 0; j < count && static_cast<std::size_t>(j) < listWords; ++j) {
        if (list[j] == static_cast<std::uint32_t>(entry)) {
            position = j;
            break;
        }
    }
    const std::string extension(table->folder, strnlen(table->folder, VoiceTable::kFolderTextSize));
    const std::int32_t mode =
        position >= 0 && CommandSoundSettings()->VoiceReplayOn() ? StaticSoundBuffer::kLevelEnvelope : StaticSoundBuffer::kNoLevelData;
    if (LoadVoiceFile(*manager, channel, std::string("VOICE\\") + name + "." + extension, mode) != 0) return -4;
    manager->SetChannelVolume(channel, -1, record.volume);
    return count > 0 ? position : entry;
}

