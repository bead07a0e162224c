// The transition commands (opcodes 252 to 259): a transition routine drawn between two surfaces
// at a given progress, and the screen transitions that a screen's back buffer runs against its
// partner screen frame by frame.
//
// Script words: surface words are looked up among the screen device's live surfaces; a word of
// no live screen gets the row's "not a screen" result. 256 hands the words from its fifth on to
// the transition as its parameter words, as they stand in the block.
//
// Choices of this program where the commands leave room:
// - 252 refuses a routine outside 0..86 (compared unsigned, so no negative number reaches the
//   routine table) with -1, whatever the surfaces.
// - 254 answers a partner only while it is a listed surface of the device.
// - 255 swaps the canvas settings as the canvases' background state (picture, offset, colour,
//   zoom and turn); without a partner nothing is swapped and the answer is still 1.
// - 256 hands the back buffer the only reference the command holds: on a refusal it is
//   released, so a refused transition does not live on.
// - 256 takes a type above 2, which no back buffer knows, as type 0 (the two pictures as they
//   are), so that no frame looks for a picture that mode does not prepare.
// - 259 answers the work image's address; it is no listed surface, so no surface command takes
//   it.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdDrawTransition(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTransitionPartner(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetTransitionPartner(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSwapWithPartner(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartScreenTransition(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdEndScreenTransition(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsScreenTransitionRunning(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetTransitionWorkImage(std::uint32_t* arguments);
