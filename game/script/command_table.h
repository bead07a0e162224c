// The command table of the SOB script machine: the opcode of a command is its index, and
// compiled modules are linked against those numbers. The engine fills its slots from this one
// list, opcodes 0-2 in ScriptEngineBase and 3 onwards in ScriptEngine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/script/command_handler.h"

struct CommandTableEntry {
    const char* name;
    CommandHandler handler;
};

constexpr std::size_t kCommandCount = 809;
// Opcodes below this one belong to ScriptEngineBase (module control).
constexpr std::size_t kModuleControlCommandCount = 3;

extern const CommandTableEntry kCommandTable[kCommandCount];

// What a command whose handler is not in the program yet returns to the script, so that a
// script can tell it from the command's own results (0, -1, -2 and small codes).
constexpr std::uint32_t kCommandNotBuilt = 0x7FFFFFFFu;

std::uint32_t XM_CDECL CmdNotBuilt(std::uint32_t* arguments);
// The one handler of the opcodes that do nothing (37, 55, 56, 795, 800, 801): returns 0.
std::uint32_t XM_CDECL CmdNoOperation(std::uint32_t* arguments);
