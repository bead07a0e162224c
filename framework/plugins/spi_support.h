// What the SPI adapters share: the progress thunk handed to plug-ins, taking over the blocks
// they return, reading their texts with a bound, and a configuration dialog in the hosts'
// calling convention.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/interfaces/image_plugin.h"
#include "framework/interfaces/spi_plugin.h"

// The host's progress function and its argument; a plug-in gets the pair's address as its
// progress value.
struct SpiProgressPair {
    GllProgress function;  // may be null
    void* argument;
};

// The progress callback of every GetPicture and GetFile call: forwards to the pair that
// `pair` points at, or answers 0 when it holds no function.
std::int32_t XM_STDCALL SpiProgressThunk(std::int32_t done, std::int32_t total, std::intptr_t pair);

// Takes over a block that a plug-in returned. The hosts free what they hold with GlobalFree on
// the address they were given, so they need fixed blocks: a fixed block (one that locks at its
// own address) comes back as it is; a moveable one is copied into a new fixed block and freed.
// Null, with the plug-in's block freed, when it does not lock or the copy cannot be made.
HGLOBAL SpiTakeFixedBlock(HANDLE block);

// A text from a field of `fieldSize` bytes that need not end in a NUL.
std::string SpiFieldText(const char* field, std::size_t fieldSize);

// GetPluginInfo(index) as a text; empty when the plug-in writes nothing.
std::string SpiPluginInfo(SpiGetPluginInfoFunc getPluginInfo, std::int32_t index);

// The hosts call configuration dialogs as __cdecl functions, SPI plug-ins export theirs as
// __stdcall: this gives a __cdecl entry that calls `dialog`, or null when `dialog` is null or
// every entry is taken. The entry stays valid until SpiReleaseConfigDialog.
GllConfigDlgFunc SpiClaimConfigDialog(SpiConfigurationDlgFunc dialog);
void SpiReleaseConfigDialog(GllConfigDlgFunc entry);
