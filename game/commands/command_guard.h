// GuardedCommand: the wrapper around every command handler. An exception must not cross into
// the script machine (compiled script code has no unwind information), so one that escapes the
// handler's body becomes the command's failure value, or, for a command that has none, the
// script fault that ends the run.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"
#include "game/script/script_fault.h"

// The failure "value" of a command that answers an unusable argument with the script fault.
constexpr std::int64_t kFailWithScriptFault = INT64_MIN;

template <std::uint32_t (*Body)(std::uint32_t* arguments), std::int64_t Failure>
std::uint32_t XM_CDECL GuardedCommand(std::uint32_t* arguments) {
    try {
        return Body(arguments);
    } catch (...) {
        if constexpr (Failure == kFailWithScriptFault) {
            RaiseScriptFault();
            return 0;
        } else {
            return static_cast<std::uint32_t>(Failure);
        }
    }
}
