// The two mouse kinds that take the wheel from the window's WM_MOUSEWHEEL messages: the one
// that polls its buttons with GetAsyncKeyState, and (message_mouse.h) the one fed by the
// button messages too.
#pragma once

#include "framework/input/mouse_device.h"

class WheelMessageMouse : public MouseDevice {
public:
    // Keeps the message's signed delta, replacing one that no poll has taken yet; true.
    bool OnWheelMessage(WPARAM wParam) override;

protected:
    WheelMessageMouse(InputPlatform& platform, Clock& clock);
    // The delta since the poll before, sign-extended; the accumulator starts again at 0.
    std::int32_t TakeWheel();

private:
    // Written by the window thread, taken by the game thread's poll.
    std::int16_t m_wheel;
};

class AsyncKeyMouse : public WheelMessageMouse {
public:
    explicit AsyncKeyMouse(InputPlatform& platform = SystemInputPlatform(),
                           Clock& clock = SystemClock());

    ::DeviceKind DeviceKind() const override { return ::DeviceKind::WindowsApi; }
    std::int32_t Poll() override;
};
