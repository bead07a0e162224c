// The list of DirectSound output devices, which the start-up log and the system report print.
// One global list, built by EnumerateOutputDevices and freed by FreeOutputDevices (the sound
// device's destructor frees it too); used on the thread that runs start-up.
#pragma once

#include <windows.h>

#include <cstdint>

struct OutputDevice {
    GUID guid;               // zero for the primary sound driver
    const GUID* guidPointer; // &guid, or null for the primary sound driver
    char* description;       // owned copy
    char* module;            // owned copy
    OutputDevice* next;
};

// Rebuilds the list: 0 at least one device, -1 none, 1 dsound.dll does not load, 2 it has no
// DirectSoundEnumerateA.
std::int32_t EnumerateOutputDevices();
void FreeOutputDevices();
// The first record of the list, or null.
const OutputDevice* OutputDevices();
