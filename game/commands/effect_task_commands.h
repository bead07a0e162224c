// The second task scheduler's task commands and the named effects (opcodes 211-221).
//
// Script words: a task word is compared with the second scheduler's tasks as a key and never
// touched unless the scheduler holds that task; an effect word counts only while it names an
// effect that 218 made and the scheduler still holds it (an effect that ended, or a word of any
// other task, gets the null-effect result). Every call into an effect runs with the script's
// word resolver installed (script_effect_words.h), and 218 enters the effect with its back
// buffer, the screen linked to it and every object the effect resolves in the command task
// table: deleting any of them cancels the effect first.
//
// Choices of this program where the commands leave room:
// - 212 answers 0 for a variable word that is no writable script memory.
// - 218: an effect whose Setup fails after it had joined the scheduler is cancelled (the
//   scheduler deletes it) rather than deleted under the scheduler; 0 either way.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdIsEffectTaskScheduled(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCancelEffectTask(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCancelEffectTaskKind(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPauseEffectTask(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPauseEffectTaskKind(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdResumeEffectTask(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdResumeEffectTaskKind(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateEffect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdChangeEffectParams(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdControlEffect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCallEffectAssist(std::uint32_t* arguments);
