// Memory commands (opcodes 75-80): the blocks scripts allocate, and filling and copying bytes.
//
// An allocated block is script memory until it is freed; only addresses the set of allocated
// blocks holds are freed. Destinations lie in writable script memory and byte-copy sources in a
// region, each with its whole count: a count past the region's end (a negative count is one) is
// a bad word and gives the command's null-pointer result, nothing changed.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdAllocateBlock(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAllocateZeroedBlock(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFreeBlock(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillWords(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillBytes(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyBytes(std::uint32_t* arguments);
