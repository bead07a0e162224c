#include "framework/input/joystick_device.h"

#include <cstring>

namespace {

constexpr int kDirections = 4;
const char kUnnamed[] = "Unknown";

}  // namespace

JoystickDevice::JoystickDevice()
    : m_slot(-1),
      m_currentHalf(0),
      m_state(),
      m_xLow(0),
      m_xHigh(0),
      m_yLow(0),
      m_yHigh(0),
      m_reportedButtons(0),
      m_usableButtons(0),
      m_axisCount(0) {}

bool JoystickDevice::Holds(const DIJOYSTATE& state, std::uint8_t code) const {
    switch (code) {
    case 0: return state.lY < m_yLow;
    case 1: return state.lY > m_yHigh;
    case 2: return state.lX < m_xLow;
    case 3: return state.lX > m_xHigh;
    default: {
        const int button = code - kDirections;
        return button < m_usableButtons && StateByteDown(state.rgbButtons[button]);
    }
    }
}

bool JoystickDevice::IsDown(std::uint8_t code) { return Holds(Newest(), code); }

bool JoystickDevice::IsTriggered(std::uint8_t code) {
    return Holds(Newest(), code) && !Holds(Previous(), code);
}

std::int32_t JoystickDevice::FirstDown() {
    const int codes = kDirections + m_usableButtons;
    for (int code = 0; code < codes; ++code) {
        if (IsDown(static_cast<std::uint8_t>(code))) return code;
    }
    return -1;
}

std::int32_t JoystickDevice::FirstTriggered() {
    const int codes = kDirections + m_usableButtons;
    for (int code = 0; code < codes; ++code) {
        if (IsTriggered(static_cast<std::uint8_t>(code))) return code;
    }
    return -1;
}

void JoystickDevice::ClearState() {
    std::memset(m_state, 0, sizeof(m_state));
    // A zeroed stick lies below both low thresholds of a range such as 0..65535 and would read
    // as up and left; at the low thresholds it reads as no direction.
    for (DIJOYSTATE& half : m_state) {
        half.lX = m_xLow;
        half.lY = m_yLow;
    }
}

void JoystickDevice::Acquire() {}

void JoystickDevice::Unacquire() { ClearState(); }

void JoystickDevice::SetButtonCount(std::int32_t count) {
    m_reportedButtons = count;
    m_usableButtons = count < 0 ? 0 : (count > kMaxButtons ? kMaxButtons : count);
}

void JoystickDevice::SetThresholds(std::int64_t xMin, std::int64_t xMax, std::int64_t yMin,
                                   std::int64_t yMax) {
    m_xLow = static_cast<std::int32_t>((xMax + 2 * xMin) / 3);
    m_xHigh = static_cast<std::int32_t>((xMin + 2 * xMax) / 3);
    m_yLow = static_cast<std::int32_t>((yMax + 2 * yMin) / 3);
    m_yHigh = static_cast<std::int32_t>((yMin + 2 * yMax) / 3);
}

void JoystickDevice::SetName(const char* productName) {
    m_name = productName && productName[0] ? productName : kUnnamed;
}

void JoystickDevice::ResetClosed() {
    m_slot = -1;
    m_reportedButtons = 0;
    m_usableButtons = 0;
    m_axisCount = 0;
    m_xLow = m_xHigh = m_yLow = m_yHigh = 0;
    ClearState();
}
