// The one place that includes <dinput.h>: every input file sees the DirectInput 5 layouts
// (DIDEVCAPS of 44 bytes, DIDEVICEINSTANCEA of 580, DIJOYSTATE of 80), whatever the SDK's
// default version is. The program never imports dinput.dll: the interface comes from
// CoCreateInstance, or from DirectInputCreateA looked up by name.
#pragma once

#define DIRECTINPUT_VERSION 0x0500
#include <windows.h>
#include <dinput.h>

#include <cstdint>

static_assert(sizeof(DIDEVCAPS) == 44, "DirectInput 5 capabilities record");
static_assert(sizeof(DIDEVICEINSTANCEA) == 580, "DirectInput 5 device record");
static_assert(sizeof(DIJOYSTATE) == 80, "DirectInput joystick state");
static_assert(sizeof(DIMOUSESTATE) == 16, "DirectInput mouse state");

// Cooperative level of every device the program opens: shared with other programs, and only
// while the window is in front.
constexpr DWORD kDirectInputCooperation = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;

// Sets the data format and the cooperative level of a freshly made device.
// 0, 3 SetDataFormat failed, 4 SetCooperativeLevel failed.
std::int32_t ConfigureDirectInputDevice(IDirectInputDeviceA* device, const DIDATAFORMAT* format,
                                        HWND window);

// Makes a system device (keyboard or mouse) and configures it; the device is released again on
// any failure after it was made. 0, 2 CreateDevice failed, 3 SetDataFormat, 4
// SetCooperativeLevel.
std::int32_t OpenDirectInputDevice(IDirectInputA* input, REFGUID guid, const DIDATAFORMAT* format,
                                   HWND window, IDirectInputDeviceA** device);

// Reads `size` bytes of device state into `state`. A device that lost its acquisition
// (DIERR_INPUTLOST, DIERR_NOTACQUIRED) is acquired again at once, so a later poll can succeed.
HRESULT ReadDirectInputState(IDirectInputDeviceA* device, DWORD size, void* state);

// Releases a COM interface and clears the pointer.
template <class Interface>
void ReleaseInterface(Interface*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}
