// DirectInputKeyboard: the system keyboard through DirectInput, shared with other programs and
// read only while the window is in front.
#pragma once

#include "framework/input/direct_input.h"
#include "framework/input/keyboard_device.h"

class DirectInputKeyboard : public KeyboardDevice {
public:
    explicit DirectInputKeyboard(InputPlatform& platform = SystemInputPlatform());
    ~DirectInputKeyboard() override;

    ::DeviceKind DeviceKind() const override { return ::DeviceKind::DirectInput; }
    void Acquire() override;
    void Unacquire() override;
    std::int32_t Poll() override;

    // 0, or 1 no interface, 2 CreateDevice failed, 3 SetDataFormat failed, 4
    // SetCooperativeLevel failed. Releases the device held before.
    std::int32_t Open(IDirectInputA* input, HWND window);
    // Releases the device, clears the state and the key count.
    void Release();

private:
    IDirectInputDeviceA* m_device;
};
