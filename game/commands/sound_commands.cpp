#include "game/commands/sound_commands.h"

#include <windows.h>

#include "framework/sound/audio_fade_tasks.h"
#include "framework/sound/sound_decoder_host.h"
#include "framework/sound/sound_device.h"
#include "framework/sound/sound_manager.h"
#include "framework/sound/static_sound_buffer.h"
#include "framework/sound/wave_export.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/file_script_words.h"
#include "game/commands/sound_routines.h"
#include "game/script/script_memory.h"

using command_args::Bool;
using command_args::Byte;
using command_args::HandleWord;
using command_args::Int;
using command_args::Result;
using file_script_words::PutOptionalOut;
using file_script_words::Text;

namespace {

#define SOUND_COMMAND(name, failure)                            \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

const char kNoDirectSound[] =
    "サウンドカードが正常に接続されていないか\n対応していないため、DirectSoundを利用できません。\nサウンドを再生できません。";

// A music file group: the intro flag word, 65535 for none (loop on, the intro word unread).
struct BgmFiles {
    const char* intro = nullptr;
    bool loop = true;
};
BgmFiles FilesOf(const std::uint32_t* flagAndIntro) {
    BgmFiles files;
    if (flagAndIntro[0] == command_args::kGroupAbsent) return files;
    files.loop = Bool(flagAndIntro[0]);
    files.intro = Text(flagAndIntro[1]);
    return files;
}

// Type 2 index 0 switches the general group; a group mask of 0 would switch none.
constexpr std::uint8_t kGeneralGroup = 1;

SoundBuffer* Buffer(std::uint32_t word) { return SoundBuffers().Find(word); }
SoundDevice* Device() { return CommandSoundDevice(); }
SoundManager* Manager() { return CommandSoundManager(); }
TaskScheduler* Scheduler() { return CommandSoundScheduler(); }

// A task that did not start is still the caller's.
template <class Task>
std::int32_t Started(Task* task, std::int32_t code) {
    if (code != 0) delete task;
    return code;
}

// ---- Device, plug-ins and buffers ----

std::uint32_t CmdOpenSoundDeviceBody(std::uint32_t* w) {
    std::int32_t block[3] = {Int(w[0]), Int(w[1]), Int(w[2])};
    SoundCommandPort* const settings = CommandSoundSettings();
    settings->OpenDevice(block);
    if (block[0] > 0 && settings->DeviceWarningOn()) {
        settings->ShowDeviceWarning(kNoDirectSound);
        settings->ClearDeviceWarning();
    }
    return Result(block[0]);
}

std::uint32_t CmdSetSoundDecoderOptionBody(std::uint32_t* w) {
    if (g_soundDecoderHost) {
        g_soundDecoderHost->SetWholeFile(w[0] > 1 ? CommandSoundSettings()->WholeFileSetting() : w[0] != 0);
    }
    return 0;
}

std::uint32_t CmdLoadSoundPluginBody(std::uint32_t* w) {
    const char* const path = Text(w[0]);
    if (!g_soundDecoderHost) return 5;
    if (!path) return 1;
    return Result(g_soundDecoderHost->LoadPlugin(path));
}

std::uint32_t CmdScanSoundPluginFolderBody(std::uint32_t* w) {
    const char* const folder = Text(w[0]);
    if (!g_soundDecoderHost || !folder) return Result(-1);
    return Result(g_soundDecoderHost->ScanFolder(folder));
}

std::uint32_t CmdUnloadSoundPluginBody(std::uint32_t* w) {
    if (!g_soundDecoderHost) return 0;
    if (Int(w[0]) == -1) {
        g_soundDecoderHost->UnloadAll();
    } else {
        g_soundDecoderHost->UnloadByType(Int(w[0]));
    }
    return 0;
}

std::uint32_t CmdCallSoundPluginAssistBody(std::uint32_t* w) {
    const SllAssistFunc2Ptr assist = g_soundDecoderHost ? g_soundDecoderHost->FindAssistFunc2(Int(w[0])) : nullptr;
    if (!assist) return Result(-2);
    return Result(assist(w + 1));
}

std::uint32_t CmdDestroyAllSoundBuffersBody(std::uint32_t*) {
    if (Device()) Device()->DestroyAllBuffers();
    return 0;
}

// A creation's handle: the buffer when the device made it, else 0.
template <class Create>
std::uint32_t Made(Create create) {
    SoundBuffer* buffer = nullptr;
    return create(&buffer) == 0 ? HandleWord(buffer) : 0;
}

std::uint32_t CmdCreateSoundBufferBody(std::uint32_t* w) {
    if (!Device()) return 0;
    return Made([&](SoundBuffer** buffer) { return Device()->CreateBufferFromFile(buffer, Text(w[0]), Byte(w[1])); });
}

std::uint32_t CmdDuplicateSoundBufferBody(std::uint32_t* w) {
    SoundBuffer* const source = Buffer(w[0]);
    if (!source) return 0;
    // Scripts may test for 2; it names no buffer.
    if (source->IsStreaming()) return 2;
    if (!Device()) return 0;
    return Made([&](SoundBuffer** buffer) { return Device()->CreateBufferFromMemory(buffer, static_cast<StaticSoundBuffer*>(source)); });
}

std::uint32_t CmdCreateStreamingBufferBody(std::uint32_t* w) {
    if (!Device()) return 0;
    return Made([&](SoundBuffer** buffer) { return Device()->CreateStreamingBuffer(buffer, Text(w[0]), nullptr); });
}

std::uint32_t CmdCreateStreamingBufferPairBody(std::uint32_t* w) {
    if (!Device()) return 0;
    return Made([&](SoundBuffer** buffer) { return Device()->CreateStreamingBuffer(buffer, Text(w[0]), Text(w[1])); });
}

std::uint32_t CmdDestroySoundBufferBody(std::uint32_t* w) {
    std::uint32_t handle = 0;
    if (!file_script_words::ReadWord(w[0], &handle) || handle == 0) return 1;
    SoundBuffer* const buffer = Buffer(handle);
    // A word of no live buffer, or of a player's or channel's, is not the device's to delete.
    if (!buffer || !Device()) return 2;
    const std::int32_t code = Device()->DestroyBuffer(buffer);
    if (code == 0) script_memory::WriteWord(w[0], 0);
    return Result(code);
}

// One buffer's operation; `null` for a word that names no live buffer.
template <class Operation>
std::uint32_t OnBuffer(std::uint32_t word, std::int32_t null, Operation operation) {
    SoundBuffer* const buffer = Buffer(word);
    if (!buffer) return Result(null);
    return operation(*buffer);
}

std::uint32_t CmdPlaySoundBufferBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [](SoundBuffer& b) { return Result(b.Play()); });
}
std::uint32_t CmdPlaySoundBufferLoopBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [](SoundBuffer& b) { return Result(b.PlayLoop()); });
}
std::uint32_t CmdPauseSoundBufferBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [](SoundBuffer& b) { return Result(b.Pause()); });
}
std::uint32_t CmdResumeSoundBufferBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [](SoundBuffer& b) { return Result(b.Resume()); });
}
std::uint32_t CmdStopSoundBufferBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [](SoundBuffer& b) { return Result(b.StopAndRewind()); });
}
std::uint32_t CmdFadeInSoundBufferBody(std::uint32_t* w) {
    return OnBuffer(w[0], -2, [w](SoundBuffer& b) { return Result(b.FadeIn(Scheduler(), w[1], Bool(w[2]))); });
}
std::uint32_t CmdFadeOutSoundBufferBody(std::uint32_t* w) {
    return OnBuffer(w[0], -2, [w](SoundBuffer& b) { return Result(b.FadeOut(Scheduler(), w[1])); });
}

std::uint32_t CmdPauseAllSoundBuffersBody(std::uint32_t*) {
    if (Device()) Device()->PauseAllBuffers();
    return 0;
}
std::uint32_t CmdResumeAllSoundBuffersBody(std::uint32_t*) {
    if (Device()) Device()->ResumeAllBuffers();
    return 0;
}
std::uint32_t CmdStopAllSoundBuffersBody(std::uint32_t*) {
    if (Device()) Device()->StopAllBuffers();
    return 0;
}

std::uint32_t CmdSetSoundBufferPositionBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [w](SoundBuffer& b) { return Result(b.SetPositionMs(w[1])); });
}

std::uint32_t CmdGetSoundBufferFormatBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [w](SoundBuffer& b) {
        std::int32_t channels = 0, rate = 0, bits = 0;
        const std::int32_t code = b.GetFormat(&channels, &rate, &bits);
        if (code == 0) {
            PutOptionalOut<std::int32_t>(w[1], channels);
            PutOptionalOut<std::int32_t>(w[2], rate);
            PutOptionalOut<std::int32_t>(w[3], bits);
        }
        return Result(code);
    });
}

std::uint32_t CmdGetSoundBufferLengthBody(std::uint32_t* w) {
    return OnBuffer(w[0], 0, [](SoundBuffer& b) { return b.LengthMs(); });
}
std::uint32_t CmdGetSoundBufferPositionBody(std::uint32_t* w) {
    return OnBuffer(w[0], 0, [](SoundBuffer& b) { return Result(b.PositionMs()); });
}

std::uint32_t CmdIsSoundBufferPlayingBody(std::uint32_t* w) {
    return OnBuffer(w[0], 0, [w](SoundBuffer& b) {
        DWORD play = 0, write = 0;
        const bool playing = b.GetPlayState(&play, &write);
        PutOptionalOut<std::uint32_t>(w[1], play);
        PutOptionalOut<std::uint32_t>(w[2], write);
        return playing ? 1u : 0u;
    });
}

std::uint32_t CmdSetSoundBufferVolumeBody(std::uint32_t* w) {
    return OnBuffer(w[0], -2, [w](SoundBuffer& b) { return Result(b.SetVolume(Int(w[1]))); });
}
std::uint32_t CmdSetSoundBufferPanBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [w](SoundBuffer& b) { return Result(b.SetPan(Int(w[1]))); });
}
std::uint32_t CmdSetSoundBufferFrequencyBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [w](SoundBuffer& b) { return Result(b.SetFrequency(Int(w[1]))); });
}
std::uint32_t CmdAdjustSoundBufferBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1,
                    [w](SoundBuffer& b) { return Result(b.AdjustVolumePanFrequency(Int(w[1]), Int(w[2]), Int(w[3]))); });
}

std::uint32_t CmdGetSoundBufferVolumePanFrequencyBody(std::uint32_t* w) {
    return OnBuffer(w[0], -1, [w](SoundBuffer& b) {
        std::int32_t volume = 0, pan = 0, frequency = 0;
        const std::int32_t code = b.GetVolumePanFrequency(&volume, &pan, &frequency);
        PutOptionalOut<std::int32_t>(w[1], volume);
        if (code == 0 || code == 3) PutOptionalOut<std::int32_t>(w[2], pan);
        if (code == 0) PutOptionalOut<std::int32_t>(w[3], frequency);
        return Result(code);
    });
}

std::uint32_t CmdGetSoundBufferDataSizeBody(std::uint32_t* w) {
    return OnBuffer(w[0], 0, [](SoundBuffer& b) { return b.Length(); });
}

std::uint32_t CmdGetSoundSampleAtBody(std::uint32_t* w) {
    return OnBuffer(w[0], 0, [w](SoundBuffer& b) {
        return b.IsStreaming() ? 0u : Result(static_cast<StaticSoundBuffer&>(b).GetSampleAt(w[1]));
    });
}
std::uint32_t CmdGetSoundLevelAtBody(std::uint32_t* w) {
    return OnBuffer(w[0], 0, [w](SoundBuffer& b) {
        return b.IsStreaming() ? 0u : static_cast<StaticSoundBuffer&>(b).GetLevelAt(w[1], w[2]);
    });
}

std::uint32_t CmdExportSoundAsWaveBody(std::uint32_t* w) {
    return Result(ExportSoundAsWave(Text(w[0]), Text(w[1]), nullptr));
}

// ---- Sound manager ----

std::uint32_t CmdSetSoundSettingBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 0;
    const std::int32_t index = Int(w[1]);
    const std::int32_t value = Int(w[2]);
    ScriptSoundSwitches& switches = SoundServices().switches;
    switch (Int(w[0])) {
    case 0:
        m->SetBgmEnable(value != 0, false);
        break;
    case 1:
        m->SetGroupEnable(index != 0, Byte(w[2]), Bool(w[3]), Bool(w[4]));
        break;
    case 2:
        if (index == 0) m->SetGroupEnable(value != 0, kGeneralGroup, true, false);
        else if (index == 1) switches.voiceFlag1 = value != 0;
        else if (index == 2) switches.voiceEnabled = value != 0;
        break;
    case 3:
        if (index >= 0 && index <= 2) {
            std::int32_t volumes[3] = {m->DefaultUserVolume(0), m->DefaultUserVolume(1), m->DefaultUserVolume(2)};
            volumes[index] = value;
            m->SetDefaultUserVolumes(volumes[0], volumes[1], volumes[2]);
        }
        break;
    case 4:
        if (index == 0) m->SetMasterEnable(value != 0, Bool(w[3]));
        else if (index == 1) m->SetMasterVolume(value, Bool(w[4]));
        else if (index == 2) m->SetGroup4Volume(value);
        break;
    default:
        break;
    }
    return 0;
}

std::uint32_t CmdGetSoundSettingBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 0;
    const std::int32_t index = Int(w[1]);
    const ScriptSoundSwitches& switches = SoundServices().switches;
    switch (Int(w[0])) {
    case 0:
        return m->BgmEnabled() ? 1 : 0;
    case 1:
        return m->GroupEnabled(1) ? 1 : 0;
    case 2:
        if (index == 0) return m->GroupEnabled(1) ? 1 : 0;
        if (index == 1) return switches.voiceFlag1 ? 1 : 0;
        if (index == 2) return switches.voiceEnabled ? 1 : 0;
        return 0;
    case 3:
        return index >= 0 && index <= 2 ? Result(m->DefaultUserVolume(index)) : 0;
    case 4:
        if (index == 0) return m->MasterEnabled() ? 1 : 0;
        if (index == 1) return Result(m->MasterVolume());
        if (index == 2) return Result(m->Group4Volume());
        return 0;
    default:
        return 0;
    }
}

std::uint32_t CmdRefreshSoundGroupBody(std::uint32_t* w) {
    if (Manager()) Manager()->RefreshGroup(Int(w[0]), Bool(w[1]), Byte(w[2]));
    return 0;
}

std::uint32_t CmdSetBgmVolumeBody(std::uint32_t* w) {
    if (Manager()) Manager()->SetBgmVolume(Int(w[0]), Int(w[1]), true);
    return 0;
}

std::uint32_t CmdSetBgmPanBody(std::uint32_t* w) {
    if (Manager()) Manager()->SetBgmPan(Int(w[0]));
    return 0;
}

std::uint32_t CmdPlayBgmBody(std::uint32_t* w) {
    if (!Manager()) return 1;
    const BgmFiles files = FilesOf(w + 1);
    return Result(Manager()->PlayBgm(Text(w[0]), files.intro, files.loop));
}

std::uint32_t CmdStopBgmBody(std::uint32_t*) {
    if (Manager()) Manager()->StopBgm();
    return 0;
}
std::uint32_t CmdPauseBgmBody(std::uint32_t*) { return Manager() ? Result(Manager()->PauseBgm()) : 0; }
std::uint32_t CmdResumeBgmBody(std::uint32_t*) { return Manager() ? Result(Manager()->ResumeBgm()) : 0; }

std::uint32_t CmdFadeBgmVolumeBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 1;
    auto* const task = new BgmVolumeFadeTask(Int(w[0]), w[1]);
    return Result(Started(task, task->Start(Scheduler(), m, &m->CurrentPlayer())));
}

std::uint32_t CmdFadeInBgmBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 1;
    const BgmFiles files = FilesOf(w + 2);
    auto* const task = new BgmFadeInTask(w[0]);
    return Result(Started(task, task->Start(Scheduler(), m, &m->CurrentPlayer(), Text(w[1]), files.intro, files.loop)));
}

std::uint32_t CmdFadeOutBgmBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 1;
    auto* const task = new BgmFadeOutTask(w[0]);
    return Result(Started(task, task->Start(Scheduler(), m, &m->CurrentPlayer())));
}

std::uint32_t CmdChangeBgmBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 1;
    const BgmFiles files = FilesOf(w + 2);
    std::uint32_t overlap = w[0];
    std::int32_t startValue = -1;
    if (w[2] != command_args::kGroupAbsent && w[4] != command_args::kGroupAbsent) {
        overlap = w[4];
        startValue = Int(w[5]);
    }
    auto* const task = new BgmChangeTask(w[0], overlap);
    return Result(Started(task, task->Start(Scheduler(), m, Text(w[1]), files.intro, files.loop, startValue)));
}

std::uint32_t CmdIsBgmPlayingBody(std::uint32_t*) { return Manager() && Manager()->IsBgmPlaying() ? 1 : 0; }
std::uint32_t CmdGetBgmStateBody(std::uint32_t*) { return Manager() ? Manager()->BgmFadeState() : 0; }
std::uint32_t CmdGetBgmPlayerBody(std::uint32_t*) {
    return Manager() ? HandleWord<SoundBuffer>(&Manager()->CurrentPlayer().buffer) : 0;
}

std::uint32_t CmdSetSoundChannelCountBody(std::uint32_t* w) {
    return Manager() ? Result(Manager()->SetChannelCount(Int(w[0]))) : 2;
}
std::uint32_t CmdSetSoundChannelVolumeBody(std::uint32_t* w) {
    return Manager() ? Result(Manager()->SetChannelVolume(Int(w[0]), Int(w[1]), Int(w[2]))) : 1;
}
std::uint32_t CmdSetSoundChannelPanBody(std::uint32_t* w) {
    return Manager() ? Result(Manager()->SetChannelPan(Int(w[0]), Int(w[1]))) : 1;
}
std::uint32_t CmdSetSoundChannelGroupBody(std::uint32_t* w) {
    return Manager() ? Result(Manager()->SetChannelGroup(Int(w[0]), Byte(w[1]))) : 1;
}
std::uint32_t CmdLoadSoundChannelBody(std::uint32_t* w) {
    return Manager() ? Result(Manager()->LoadChannel(Int(w[0]), Text(w[1]), 0, false)) : 1;
}
std::uint32_t CmdLoadSoundChannelStreamingBody(std::uint32_t* w) {
    return Manager() ? Result(Manager()->LoadChannel(Int(w[0]), Text(w[1]), 0, true)) : 1;
}
std::uint32_t CmdUnloadSoundChannelBody(std::uint32_t* w) {
    if (Manager()) Manager()->UnloadChannel(Int(w[0]));
    return 0;
}
std::uint32_t CmdPlaySoundChannelBody(std::uint32_t* w) {
    return Manager() ? Result(Manager()->PlayChannel(Int(w[0]), Bool(w[1]))) : 1;
}
std::uint32_t CmdStopSoundChannelBody(std::uint32_t* w) {
    return Manager() ? Result(Manager()->StopChannel(Int(w[0]))) : 1;
}

std::uint32_t CmdFadeSoundChannelVolumeBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 0;
    auto* const task = new ChannelVolumeFadeTask(Int(w[1]), w[2]);
    Started(task, task->Start(Scheduler(), m, Int(w[0])));
    return 0;
}

std::uint32_t CmdFadeInSoundChannelBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 1;
    auto* const task = new ChannelFadeInTask(w[0]);
    return Result(Started(task, task->Start(Scheduler(), m, Text(w[1]), Int(w[2]), Bool(w[3]), Bool(w[4]))));
}

std::uint32_t CmdFadeOutSoundChannelBody(std::uint32_t* w) {
    SoundManager* const m = Manager();
    if (!m) return 1;
    auto* const task = new ChannelFadeOutTask(w[0]);
    return Result(Started(task, task->Start(Scheduler(), m, Int(w[1]))));
}

std::uint32_t CmdIsSoundChannelPlayingBody(std::uint32_t* w) {
    return Manager() && Manager()->IsChannelPlaying(Int(w[0])) ? 1 : 0;
}
std::uint32_t CmdGetSoundChannelTagBody(std::uint32_t* w) {
    return Manager() ? Manager()->GetChannelTag(Int(w[0])) : 0;
}

std::uint32_t CmdGetSoundChannelBufferBody(std::uint32_t* w) {
    SoundChannel* const channel = Manager() ? Manager()->GetChannel(Int(w[0])) : nullptr;
    if (!channel) return 0;
    if (channel->active == &channel->streaming) return HandleWord<SoundBuffer>(&channel->streaming);
    return HandleWord<SoundBuffer>(&channel->staticBuffer);
}

std::uint32_t CmdPlayVoiceBody(std::uint32_t* w) {
    const std::int32_t count = Int(w[2]);
    const std::size_t listWords = count > 0 ? script_memory::ArgumentWords(w, 3, static_cast<std::size_t>(count)) : 0;
    return Result(PlayVoice(Int(w[0]), Text(w[1]), count, w + 3, listWords));
}

std::uint32_t CmdStartBgmDuckBody(std::uint32_t* w) {
    return HandleWord(StartBgmDuck(Int(w[0]), w[1] == 0 ? nullptr : Text(w[1])));
}

}  // namespace

SOUND_COMMAND(CmdOpenSoundDevice, 1)
SOUND_COMMAND(CmdSetSoundDecoderOption, 0)
SOUND_COMMAND(CmdLoadSoundPlugin, 5)
SOUND_COMMAND(CmdScanSoundPluginFolder, -1)
SOUND_COMMAND(CmdUnloadSoundPlugin, 0)
SOUND_COMMAND(CmdCallSoundPluginAssist, -2)
SOUND_COMMAND(CmdDestroyAllSoundBuffers, 0)
SOUND_COMMAND(CmdCreateSoundBuffer, 0)
SOUND_COMMAND(CmdDuplicateSoundBuffer, 0)
SOUND_COMMAND(CmdCreateStreamingBuffer, 0)
SOUND_COMMAND(CmdCreateStreamingBufferPair, 0)
SOUND_COMMAND(CmdDestroySoundBuffer, 1)
SOUND_COMMAND(CmdPlaySoundBuffer, -1)
SOUND_COMMAND(CmdPlaySoundBufferLoop, -1)
SOUND_COMMAND(CmdPauseSoundBuffer, -1)
SOUND_COMMAND(CmdResumeSoundBuffer, -1)
SOUND_COMMAND(CmdStopSoundBuffer, -1)
SOUND_COMMAND(CmdFadeInSoundBuffer, -2)
SOUND_COMMAND(CmdFadeOutSoundBuffer, -2)
SOUND_COMMAND(CmdPauseAllSoundBuffers, 0)
SOUND_COMMAND(CmdResumeAllSoundBuffers, 0)
SOUND_COMMAND(CmdStopAllSoundBuffers, 0)
SOUND_COMMAND(CmdSetSoundBufferPosition, -1)
SOUND_COMMAND(CmdGetSoundBufferFormat, -1)
SOUND_COMMAND(CmdGetSoundBufferLength, 0)
SOUND_COMMAND(CmdGetSoundBufferPosition, 0)
SOUND_COMMAND(CmdIsSoundBufferPlaying, 0)
SOUND_COMMAND(CmdSetSoundBufferVolume, -2)
SOUND_COMMAND(CmdSetSoundBufferPan, -1)
SOUND_COMMAND(CmdSetSoundBufferFrequency, -1)
SOUND_COMMAND(CmdAdjustSoundBuffer, -1)
SOUND_COMMAND(CmdGetSoundBufferVolumePanFrequency, -1)
SOUND_COMMAND(CmdGetSoundBufferDataSize, 0)
SOUND_COMMAND(CmdGetSoundSampleAt, 0)
SOUND_COMMAND(CmdGetSoundLevelAt, 0)
SOUND_COMMAND(CmdExportSoundAsWave, 6)
SOUND_COMMAND(CmdSetSoundSetting, 0)
SOUND_COMMAND(CmdGetSoundSetting, 0)
SOUND_COMMAND(CmdRefreshSoundGroup, 0)
SOUND_COMMAND(CmdSetBgmVolume, 0)
SOUND_COMMAND(CmdSetBgmPan, 0)
SOUND_COMMAND(CmdPlayBgm, 1)
SOUND_COMMAND(CmdStopBgm, 0)
SOUND_COMMAND(CmdPauseBgm, 0)
SOUND_COMMAND(CmdResumeBgm, 0)
SOUND_COMMAND(CmdFadeBgmVolume, 1)
SOUND_COMMAND(CmdFadeInBgm, 1)
SOUND_COMMAND(CmdFadeOutBgm, 1)
SOUND_COMMAND(CmdChangeBgm, 1)
SOUND_COMMAND(CmdIsBgmPlaying, 0)
SOUND_COMMAND(CmdGetBgmState, 0)
SOUND_COMMAND(CmdGetBgmPlayer, 0)
SOUND_COMMAND(CmdSetSoundChannelCount, 2)
SOUND_COMMAND(CmdSetSoundChannelVolume, 1)
SOUND_COMMAND(CmdSetSoundChannelPan, 1)
SOUND_COMMAND(CmdSetSoundChannelGroup, 1)
SOUND_COMMAND(CmdLoadSoundChannel, 2)
SOUND_COMMAND(CmdLoadSoundChannelStreaming, 2)
SOUND_COMMAND(CmdUnloadSoundChannel, 0)
SOUND_COMMAND(CmdPlaySoundChannel, 1)
SOUND_COMMAND(CmdStopSoundChannel, 1)
SOUND_COMMAND(CmdFadeSoundChannelVolume, 0)
SOUND_COMMAND(CmdFadeInSoundChannel, 1)
SOUND_COMMAND(CmdFadeOutSoundChannel, 1)
SOUND_COMMAND(CmdIsSoundChannelPlaying, 0)
SOUND_COMMAND(CmdGetSoundChannelTag, 0)
SOUND_COMMAND(CmdGetSoundChannelBuffer, 0)
SOUND_COMMAND(CmdPlayVoice, -3)
SOUND_COMMAND(CmdStartBgmDuck, 0)
