// The TGS frame's commands (791-794): create the frame, destroy it, run a TGS script on it and
// set the start parameters the next frame copies. They serve the engine of the run
// (ScriptEngine::Current()); the frame itself lives in scenario/tgs/.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

// w2: a screen object or 0. 0; 1 not a live screen of kind 9; 2 binding failed; 3 TGS_INIT.DAT
// is damaged; -1 another failure (no engine included).
std::uint32_t XM_CDECL CmdTgsCreateFrame(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdTgsDestroyFrame(std::uint32_t* arguments);
// w0: >= 0 start the script named by w1, < 0 resume the loaded state. 0; 1 no frame (or no
// engine), or the game is quitting; 2 the script does not load.
std::uint32_t XM_CDECL CmdTgsRunScript(std::uint32_t* arguments);
// w0: index 0-5 (others ignored); w1: the address of a SOB variable. 0.
std::uint32_t XM_CDECL CmdTgsSetStartParameter(std::uint32_t* arguments);
