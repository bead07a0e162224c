// The timed surface effects of image_draw_commands.h (386-389), through the application's
// SurfaceEffectFactory.
#include "effects/surface/surface_effect.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_task_table.h"
#include "game/commands/image_draw_commands.h"
#include "game/commands/image_draw_forms.h"
#include "game/commands/surface_resolution.h"
#include "graphics/image/image.h"

using command_args::HandleWord;
using command_args::Result;

namespace {

#define EFFECT_COMMAND(name, failure)                           \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

const void* Key(std::uint32_t word) { return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word)); }

// kind, time, target surface, source surface or 0, then the optional group.
std::uint32_t CmdCreateSurfaceEffectBody(std::uint32_t* w) {
    SurfaceEffectFactory* const factory = CurrentSurfaceEffectFactory();
    TaskScheduler* const scheduler = factory ? factory->Scheduler() : nullptr;
    if (!scheduler) return 0;
    Image* const target = ImageOfSurface(w[2]);
    if (!target) return 0;
    Image* source = nullptr;
    if (w[3] != 0) {
        source = ImageOfSurface(w[3]);
        if (!source) return 0;
    }
    const auto group = image_draw_forms::ReadSurfaceEffectGroup(w + 4);
    const std::uint32_t* const v = group.values;
    SurfaceEffect* const effect = factory->Create(w[0], w[1], target, source, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    if (!effect) return 0;
    // The effect draws into both images until it ends: releasing either cancels it first.
    CommandTaskTable& tasks = CommandTasks();
    tasks.EnterTask(*scheduler, effect);
    tasks.AddObject(effect, w[2]);
    tasks.AddObject(effect, w[3]);
    return HandleWord(effect);
}

std::uint32_t CmdFinishSurfaceEffectBody(std::uint32_t* w) {
    SurfaceEffectFactory* const factory = CurrentSurfaceEffectFactory();
    return factory ? Result(factory->Finish(Key(w[0]))) : 1;
}

std::uint32_t CmdCancelSurfaceEffectBody(std::uint32_t* w) {
    SurfaceEffectFactory* const factory = CurrentSurfaceEffectFactory();
    return factory ? Result(factory->Cancel(Key(w[0]))) : 1;
}

std::uint32_t CmdIsSurfaceEffectRunningBody(std::uint32_t* w) {
    SurfaceEffectFactory* const factory = CurrentSurfaceEffectFactory();
    return factory && factory->IsRunning(Key(w[0])) ? 1 : 0;
}

}  // namespace

EFFECT_COMMAND(CmdCreateSurfaceEffect, 0)
EFFECT_COMMAND(CmdFinishSurfaceEffect, 1)
EFFECT_COMMAND(CmdCancelSurfaceEffect, 1)
EFFECT_COMMAND(CmdIsSurfaceEffectRunning, 0)
