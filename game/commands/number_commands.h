// Number commands (opcodes 81-93): fixed-point trigonometry over the 512-step cosine table, the
// two random generators, float arithmetic on 32-bit words and the index of the largest or
// smallest of a list of words.
//
// Angles count by their low 9 bits (a negative angle too). The subtractive generator is the
// script machine's shared one; the Mersenne Twister is created by the first 86 or 87, 86
// seeding it from the tick count.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdSine(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCosine(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPointOnCircle(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRandom(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSeedRandom(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRandomMt(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSeedRandomMt(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAddFloat(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSubtractFloat(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMultiplyFloat(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDivideFloat(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIndexOfMaximum(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIndexOfMinimum(std::uint32_t* arguments);

// Where 86 reads the tick count that seeds a new generator (null: GetTickCount).
void SetRandomMtTickSource(std::uint32_t (*ticks)());
// Drops the Mersenne Twister, so that the next 86 or 87 creates it again.
void DropRandomMt();
