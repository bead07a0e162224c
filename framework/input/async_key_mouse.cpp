#include "framework/input/async_key_mouse.h"

WheelMessageMouse::WheelMessageMouse(InputPlatform& platform, Clock& clock)
    : MouseDevice(platform, clock), m_wheel(0) {}

bool WheelMessageMouse::OnWheelMessage(WPARAM wParam) {
    __atomic_store_n(&m_wheel, static_cast<std::int16_t>(HIWORD(wParam)), __ATOMIC_RELEASE);
    return true;
}

std::int32_t WheelMessageMouse::TakeWheel() {
    return __atomic_exchange_n(&m_wheel, static_cast<std::int16_t>(0), __ATOMIC_ACQ_REL);
}

AsyncKeyMouse::AsyncKeyMouse(InputPlatform& platform, Clock& clock)
    : WheelMessageMouse(platform, clock) {}

std::int32_t AsyncKeyMouse::Poll() {
    static const int kButtonKeys[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    DIMOUSESTATE& half = WritingHalf();
    for (int button = 0; button < 3; ++button) {
        const auto state = static_cast<std::uint16_t>(m_platform.GetAsyncKeyState(kButtonKeys[button]));
        half.rgbButtons[button] = static_cast<BYTE>(state >> 8);
    }
    half.lZ = TakeWheel();
    Flip();
    return 0;
}
