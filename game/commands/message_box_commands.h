// Command 58, the game-message-box control: its sub-command in the first word picks a shared
// sound or cursor routine (0-4), an operation of the in-game message box or the TGS frame (5-9)
// or the variable-table position of an address (10); any other sub-command does nothing and
// answers 1.
//
// Not in the program yet: sub-commands 5-8 (the in-game message box) and 9 (the TGS frame's
// queries) answer kCommandNotBuilt.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdGameMessageBoxControl(std::uint32_t* arguments);
