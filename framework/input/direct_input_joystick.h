// DirectInputJoystick: a game controller through DirectInput. The first open (or one that asks
// for a rescan) enumerates the attached controllers into the JoystickSlotTable; a slot stays in
// use from a successful open until the joystick is released or deleted.
#pragma once

#include "framework/input/joystick_device.h"

class DirectInputJoystick : public JoystickDevice {
public:
    DirectInputJoystick();
    ~DirectInputJoystick() override;

    void Acquire() override;
    void Unacquire() override;
    std::int32_t Poll() override;

    // id: a slot 0-15, or -1 for the first present slot that is free. 0, or 1 no interface or
    // id above 15, 2 no such present slot free, 3 CreateDevice or the IDirectInputDevice2
    // query failed, 4 SetDataFormat or SetCooperativeLevel failed, 5 reading the capabilities
    // or an axis range failed. Releases the device held before.
    std::int32_t Open(IDirectInputA* input, HWND window, std::int32_t id, bool rescan);
    // Releases the device and frees its slot.
    void Release();

private:
    std::int32_t OpenSlot(IDirectInputA* input, HWND window, std::int32_t slot);

    IDirectInputDevice2A* m_device;
};
