#include "framework/input/direct_input_mouse.h"

DirectInputMouse::DirectInputMouse(InputPlatform& platform, Clock& clock)
    : MouseDevice(platform, clock), m_device(nullptr) {}

DirectInputMouse::~DirectInputMouse() { Release(); }

void DirectInputMouse::Acquire() {
    if (m_device) m_device->Acquire();
}

void DirectInputMouse::Unacquire() {
    if (m_device) m_device->Unacquire();
    ClearState();
}

std::int32_t DirectInputMouse::Poll() {
    if (!m_device) return 1;
    if (SUCCEEDED(ReadDirectInputState(m_device, sizeof(DIMOUSESTATE), &WritingHalf()))) {
        Flip();
        return 0;
    }
    ClearState();
    return 2;
}

std::int32_t DirectInputMouse::Open(IDirectInputA* input, HWND window, bool absolute) {
    Release();
    if (!input) return 1;
    const std::int32_t code =
        OpenDirectInputDevice(input, GUID_SysMouse, &c_dfDIMouse, window, &m_device);
    if (code != 0) return code;
    DIPROPDWORD mode = {};
    mode.diph.dwSize = sizeof(mode);
    mode.diph.dwHeaderSize = sizeof(mode.diph);
    mode.diph.dwObj = 0;
    mode.diph.dwHow = DIPH_DEVICE;
    mode.dwData = absolute ? DIPROPAXISMODE_ABS : DIPROPAXISMODE_REL;
    if (FAILED(m_device->SetProperty(DIPROP_AXISMODE, &mode.diph))) {
        ReleaseInterface(m_device);
        return 5;
    }
    DIDEVCAPS caps = {};
    caps.dwSize = sizeof(caps);
    if (SUCCEEDED(m_device->GetCapabilities(&caps))) {
        m_buttonCount = static_cast<std::uint16_t>(caps.dwButtons);
        m_axisCount = static_cast<std::uint16_t>(caps.dwAxes);
    }
    m_device->Acquire();
    return 0;
}

void DirectInputMouse::Release() {
    ReleaseInterface(m_device);
    m_buttonCount = 0;
    m_axisCount = 0;
}
