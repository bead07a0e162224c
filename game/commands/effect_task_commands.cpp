#include "game/commands/effect_task_commands.h"

#include "framework/interfaces/effect_plugin.h"
#include "framework/interfaces/task_scheduling.h"
#include "framework/plugins/effect_registry.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_task_table.h"
#include "game/commands/device_command_services.h"
#include "game/commands/file_script_words.h"
#include "game/commands/script_effect_words.h"
#include "game/commands/surface_resolution.h"
#include "game/script/script_memory.h"
#include "graphics/interfaces/screen_buffer.h"

using command_args::HandleWord;
using command_args::Int;
using command_args::Result;
using file_script_words::Text;

namespace {

#define EFFECT_COMMAND(name, failure)                           \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

// An effect's list-taking second assist function.
typedef std::int32_t(XM_CDECL* EffectListAssist)(const std::int32_t* arguments);

TaskScheduler* Scheduler() { return CommandEffectScheduler(); }

const void* Key(std::uint32_t word) { return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word)); }

// The scheduler's own task with that word, or null; the word is only compared.
ScheduledTask* HeldTask(std::uint32_t word) {
    TaskScheduler* const scheduler = Scheduler();
    if (word == 0 || !scheduler || !scheduler->Contains(Key(word))) return nullptr;
    return reinterpret_cast<ScheduledTask*>(static_cast<std::uintptr_t>(word));
}

const std::int32_t* Words(std::uint32_t* from) { return reinterpret_cast<const std::int32_t*>(from); }

// ---- Tasks ----

std::uint32_t CmdIsEffectTaskScheduledBody(std::uint32_t* w) { return HeldTask(w[0]) ? 1 : 0; }

std::uint32_t CmdCancelEffectTaskBody(std::uint32_t* w) {
    std::uint32_t held = 0;
    if (!file_script_words::ReadWord(w[0], &held)) return 0;
    script_memory::WriteWord(w[0], 0);
    TaskScheduler* const scheduler = Scheduler();
    return scheduler && held != 0 && scheduler->Cancel(Key(held)) ? 1 : 0;
}

std::uint32_t CmdCancelEffectTaskKindBody(std::uint32_t* w) {
    if (Scheduler()) Scheduler()->CancelKind(Int(w[0]));
    return 0;
}

std::uint32_t CmdPauseEffectTaskBody(std::uint32_t* w) {
    ScheduledTask* const task = HeldTask(w[0]);
    return task && Scheduler()->Pause(task) ? 1 : 0;
}

std::uint32_t CmdPauseEffectTaskKindBody(std::uint32_t* w) {
    if (Scheduler()) Scheduler()->PauseKind(Int(w[0]));
    return 0;
}

std::uint32_t CmdResumeEffectTaskBody(std::uint32_t* w) {
    ScheduledTask* const task = HeldTask(w[0]);
    return task && Scheduler()->Resume(task) ? 1 : 0;
}

std::uint32_t CmdResumeEffectTaskKindBody(std::uint32_t* w) {
    if (Scheduler()) Scheduler()->ResumeKind(Int(w[0]));
    return 0;
}

// ---- Named effects ----

// Deletes an effect whose Setup failed, unless it joined the scheduler before failing: the
// scheduler owns it then and deletes it once it is cancelled.
void DropFailedEffect(TaskScheduler& scheduler, EffectObject* effect) {
    if (scheduler.Contains(effect)) {
        scheduler.Cancel(effect);
        return;
    }
    ReleaseObject(effect);
}

std::uint32_t CmdCreateEffectBody(std::uint32_t* w) {
    ScreenBuffer* const target = BackBufferOfScreen(w[0]);
    const char* const name = Text(w[1]);
    TaskScheduler* const scheduler = Scheduler();
    EffectRegistry* const registry = CommandEffectRegistry();
    if (!target || !name || !scheduler || !registry) return 0;
    EffectObject* const effect = registry->CreateByName(name);
    if (!effect) return 0;
    if (CommandDeviceSettings()->ContinuousRedrawOff() && effect->BusyState() == 1) effect->SetBusyState(0);

    CommandTaskTable& tasks = CommandTasks();
    tasks.EnterTask(*scheduler, effect, true);
    tasks.AddObject(effect, w[0]);
    tasks.AddObject(effect, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(target)));
    if (ScreenBuffer* const linked = target->GetAlternate()) {
        tasks.AddObject(effect, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(linked)));
    }
    std::int32_t code;
    {
        ScopedScriptEffectWords words(effect);
        code = effect->Setup(scheduler, target, Words(w + 2));
    }
    if (code != 0) {
        tasks.ForgetTask(effect);
        DropFailedEffect(*scheduler, effect);
        return 0;
    }
    return HandleWord(effect);
}

// An effect of 218 that the scheduler still holds, or null.
EffectObject* HeldEffect(std::uint32_t word) {
    if (!HeldTask(word)) return nullptr;
    return static_cast<EffectObject*>(CommandTasks().FindEffect(word));
}

std::uint32_t CmdChangeEffectParamsBody(std::uint32_t* w) {
    EffectObject* const effect = HeldEffect(w[0]);
    if (!effect) return Result(-1);
    ScopedScriptEffectWords words(effect);
    return Result(effect->ChangeParams(Words(w + 1)));
}

std::uint32_t CmdControlEffectBody(std::uint32_t* w) {
    EffectObject* const effect = HeldEffect(w[0]);
    if (!effect) return Result(-1);
    ScopedScriptEffectWords words(effect);
    return Result(effect->Control(Words(w + 1)));
}

std::uint32_t CmdCallEffectAssistBody(std::uint32_t* w) {
    const char* const name = Text(w[0]);
    EffectRegistry* const registry = CommandEffectRegistry();
    const EffectAssistFunc assist = name && registry ? registry->FindAssistFunc2(name) : nullptr;
    if (!assist) return Result(-1);
    ScopedScriptEffectWords words(nullptr);
    return Result(reinterpret_cast<EffectListAssist>(assist)(Words(w + 1)));
}

}  // namespace

EFFECT_COMMAND(CmdIsEffectTaskScheduled, 0)
EFFECT_COMMAND(CmdCancelEffectTask, 0)
EFFECT_COMMAND(CmdCancelEffectTaskKind, 0)
EFFECT_COMMAND(CmdPauseEffectTask, 0)
EFFECT_COMMAND(CmdPauseEffectTaskKind, 0)
EFFECT_COMMAND(CmdResumeEffectTask, 0)
EFFECT_COMMAND(CmdResumeEffectTaskKind, 0)
EFFECT_COMMAND(CmdCreateEffect, 0)
EFFECT_COMMAND(CmdChangeEffectParams, -1)
EFFECT_COMMAND(CmdControlEffect, -1)
EFFECT_COMMAND(CmdCallEffectAssist, -1)
