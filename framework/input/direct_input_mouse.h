// DirectInputMouse: the system mouse through DirectInput, shared with other programs and read
// only while the window is in front. It does not take wheel messages: DirectInput reports the
// wheel itself.
#pragma once

#include "framework/input/mouse_device.h"

class DirectInputMouse : public MouseDevice {
public:
    explicit DirectInputMouse(InputPlatform& platform = SystemInputPlatform(),
                              Clock& clock = SystemClock());
    ~DirectInputMouse() override;

    ::DeviceKind DeviceKind() const override { return ::DeviceKind::DirectInput; }
    void Acquire() override;
    void Unacquire() override;
    std::int32_t Poll() override;

    // 0, or 1 no interface, 2 CreateDevice, 3 SetDataFormat, 4 SetCooperativeLevel, 5
    // SetProperty (the axis mode) failed. Releases the device held before.
    std::int32_t Open(IDirectInputA* input, HWND window, bool absolute);
    // Releases the device and zeroes the button and axis counts.
    void Release();

private:
    IDirectInputDeviceA* m_device;
};
