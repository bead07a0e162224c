#include "game/commands/tgs_commands.h"

#include <string>

#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_services.h"
#include "game/commands/variable_commands.h"
#include "game/script/script_engine.h"
#include "game/script/script_memory.h"
#include "graphics/interfaces/graphics_object_lookup.h"
#include "graphics/interfaces/surface.h"
#include "scenario/tgs/tgs_frame.h"

namespace {

using command_args::Int;

// The longest script name read from a script word.
constexpr std::size_t kNameLimit = 260;

std::uint32_t CreateFrame(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    if (!engine) return static_cast<std::uint32_t>(-1);
    if (a[2] != 0) {
        GraphicsObjectLookup* const graphics = Services().graphics;
        Surface* const screen = graphics ? graphics->FindSurface(a[2]) : nullptr;
        if (!screen || screen->Kind() != kSurfaceGdiScreen) return 1;
    }
    const std::int32_t result = TgsFrame::CreateFrame(engine->Tgs(), a[2]);
    if (result == 0) {
        // Command 35 lets the frame write its text log.
        TgsVariableGroupSaver() = [] {
            if (TgsFrame* frame = TgsFrame::Current()) frame->SaveTextLog(nullptr);
        };
    }
    return static_cast<std::uint32_t>(result);
}

std::uint32_t DestroyFrame(std::uint32_t*) { return static_cast<std::uint32_t>(TgsFrame::DestroyFrame()); }

std::uint32_t RunScript(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    if (!engine) return 1;
    const std::int32_t start = Int(a[0]);
    std::string name;
    std::size_t length = 0;
    if (start >= 0 && script_memory::TextLength(a[1], &length, kNameLimit)) {
        name.assign(command_args::Text(a[1]), length);
    }
    return static_cast<std::uint32_t>(TgsFrame::RunScript(engine->Tgs(), start, name.c_str()));
}

std::uint32_t SetStartParameter(std::uint32_t* a) {
    if (ScriptEngine* const engine = ScriptEngine::Current()) engine->SetTgsStartParameter(Int(a[0]), a[1]);
    return 0;
}

}  // namespace

std::uint32_t XM_CDECL CmdTgsCreateFrame(std::uint32_t* a) { return GuardedCommand<CreateFrame, -1>(a); }
std::uint32_t XM_CDECL CmdTgsDestroyFrame(std::uint32_t* a) { return GuardedCommand<DestroyFrame, 0>(a); }
std::uint32_t XM_CDECL CmdTgsRunScript(std::uint32_t* a) { return GuardedCommand<RunScript, 1>(a); }
std::uint32_t XM_CDECL CmdTgsSetStartParameter(std::uint32_t* a) { return GuardedCommand<SetStartParameter, 0>(a); }
