#include "framework/input/joystick_slot_table.h"

namespace {

JoystickSlotTable g_slots = {};

}  // namespace

JoystickSlotTable& JoystickSlots() { return g_slots; }

void ResetJoystickSlotTable() { g_slots = JoystickSlotTable{}; }
