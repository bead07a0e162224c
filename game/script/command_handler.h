// CommandHandler: how SOB scripts reach the rest of the program. A handler takes the address of
// its block of 32-bit argument words (texts and out-buffers are addresses inside the block) and
// returns one 32-bit word, a result or a status, which the command-call instruction stores.
// Compiled script code calls handlers directly, so the calling convention is fixed: cdecl.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

using CommandHandler = std::uint32_t(XM_CDECL*)(std::uint32_t* arguments);

// Scripts and the script machine pass addresses as 32-bit words.
static_assert(sizeof(void*) == sizeof(std::uint32_t), "the SOB machine is a 32-bit machine");
