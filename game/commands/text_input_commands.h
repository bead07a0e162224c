// Text-input commands (opcodes 73, 74): the text-input dialog, shown by the window thread while
// the script's thread waits, and its set-up.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

// w0 buffer, also the initial text: 0 the answer copied (cut to the buffer's room), 1 an empty
// answer (the buffer keeps its text), 2 a null or bad buffer (the dialog still runs, empty).
std::uint32_t XM_CDECL CmdAskText(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetUpTextInput(std::uint32_t* arguments);
