// JoystickSlotTable: the program's one record of which game controllers exist and which are in
// use, shared by both joystick kinds (only one kind exists in a run). It is filled once, by the
// first open or by an open that asks for a rescan, and kept for the run. Joysticks are opened
// on the thread that runs start-up and the frame function, so it takes no lock.
#pragma once

#include <windows.h>

#include <cstdint>

struct JoystickSlot {
    GUID instance;  // only the DirectInput enumeration fills it
    bool present;
    bool inUse;
};

struct JoystickSlotTable {
    static constexpr std::int32_t kSlots = 16;

    JoystickSlot slots[kSlots];
    std::int32_t slotCount;
};

JoystickSlotTable& JoystickSlots();

// Forgets every slot, as at program start. For tests.
void ResetJoystickSlotTable();
