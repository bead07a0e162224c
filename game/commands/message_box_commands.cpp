#include "game/commands/message_box_commands.h"

#include "game/commands/app_routines.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/file_script_words.h"
#include "game/commands/sound_routines.h"
#include "game/script/command_table.h"
#include "game/script/script_engine.h"
#include "game/script/script_memory.h"

using command_args::Bool;
using command_args::Byte;
using command_args::HandleWord;
using command_args::Int;
using command_args::Result;

namespace {

// 3: the task variable must be a word the script may write; any other word is the null one.
std::uint32_t CancelTaskOf(std::uint32_t variableWord) {
    std::uint32_t task = 0;
    if (!file_script_words::ReadWord(variableWord, &task)) return Result(CancelSoundTask(nullptr));
    std::uint32_t* const variable = reinterpret_cast<std::uint32_t*>(static_cast<std::uintptr_t>(variableWord));
    return static_cast<std::uint8_t>(CancelSoundTask(variable));
}

std::uint32_t GlideTask(const std::uint32_t* w) {
    std::uint32_t task = 0;
    const std::int32_t code = StartCursorGlide(Int(w[0]), Int(w[1]), w[2], Bool(w[3]), Byte(w[4]),
                                               HandleWord(&task));
    return code == 0 ? task : 0;
}

// 9: the TGS frame's flag totals and state, which come with the frame.
std::uint32_t QueryTgsFrame(const std::uint32_t* /*w*/) { return kCommandNotBuilt; }

std::uint32_t VariableIndex(std::uint32_t address) {
    ScriptEngine* const engine = ScriptEngine::Current();
    return Result(engine ? engine->FindVariableIndex(address) : -1);
}

std::uint32_t CmdGameMessageBoxControlBody(std::uint32_t* w) {
    switch (w[0]) {
    case 0:
        return Result(PlayBgmTrack(Int(w[1]), w[2], Bool(w[3])));
    case 1:
        return Result(SoundServices().currentTrack);
    case 2:
        return IsSoundTaskScheduled(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(w[1]))) ? 1 : 0;
    case 3:
        return CancelTaskOf(w[1]);
    case 4:
        return GlideTask(w + 1);
    case 5:
    case 6:
    case 7:
    case 8:
        return kCommandNotBuilt;
    case 9:
        return QueryTgsFrame(w + 1);
    case 10:
        return VariableIndex(w[1]);
    default:
        return 1;
    }
}

}  // namespace

std::uint32_t XM_CDECL CmdGameMessageBoxControl(std::uint32_t* arguments) {
    return GuardedCommand<CmdGameMessageBoxControlBody, 1>(arguments);
}
