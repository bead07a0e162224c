// Variable commands (opcodes 26-36): the script variables by scope and kind against the save
// copy and the choice copy, and the variable files in the save folder.
//
// Scope selector w0: 1 scope class 0, 2 scope class 1, 3 every variable not of scope class 2,
// any other value every variable. Selector 3 is read as the command table gives it (scripts
// are compiled against the commands), not as "class 2 only", which the core's own selector 3
// means: it runs as class 0 and then class 1. Kind selector w1: 0 every kind, 1 plain, 2
// indirect (the storage its pointer names), 3 string.
//
// File names are texts in script memory; a bad name word gives 1, the commands' result for no
// name or a file error.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/interfaces/cross_module.h"

// 35 first lets the TGS script save its variable groups, when there is one: the scenario side
// fills this. Empty: no TGS script.
std::function<void()>& TgsVariableGroupSaver();

std::uint32_t XM_CDECL CmdRestoreVariablesFromSaveState(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdClearVariables(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStoreVariablesInChoiceState(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRestoreVariablesFromChoiceState(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRestoreVariableFromChoiceState(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdWriteVariableFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReadVariableFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReadVariableFileVariables(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetVariableGroupFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSaveVariableGroups(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadVariableGroups(std::uint32_t* arguments);
