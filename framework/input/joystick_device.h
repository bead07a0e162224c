// JoystickDevice: four directions and up to 32 buttons of one game controller, in two kinds:
// DirectInput, and the multimedia joystick functions of winmm. Both also work outside the input
// manager: the settings pages open a private winmm one to test buttons.
//
// Joystick codes: 0 up, 1 down, 2 left, 3 right (the stick beyond a third of its range from the
// centre), 4 + n button n. The state halves have the layout of DIJOYSTATE.
#pragma once

#include <cstdint>
#include <string>

#include "framework/input/direct_input.h"
#include "framework/input/input_device.h"

class JoystickDevice : public InputDevice {
public:
    static constexpr std::int32_t kMaxButtons = 32;

    JoystickDevice();
    JoystickDevice(const JoystickDevice&) = delete;
    JoystickDevice& operator=(const JoystickDevice&) = delete;

    bool IsDown(std::uint8_t code) override;
    bool IsTriggered(std::uint8_t code) override;
    std::int32_t FirstDown() override;
    std::int32_t FirstTriggered() override;
    // Nothing pressed, and the stick at the low thresholds, which reads as no direction.
    void ClearState() override;
    virtual void Acquire();
    virtual void Unacquire();
    // 0 ok, 1 not open, 2 read failed.
    virtual std::int32_t Poll() = 0;

    // The slot in the JoystickSlotTable (the winmm device id), -1 while closed.
    std::int32_t Slot() const { return m_slot; }
    std::int32_t ReportedButtonCount() const { return m_reportedButtons; }
    std::int32_t UsableButtonCount() const { return m_usableButtons; }
    std::uint16_t AxisCount() const { return m_axisCount; }
    const std::string& Name() const { return m_name; }
    std::int32_t XLow() const { return m_xLow; }
    std::int32_t XHigh() const { return m_xHigh; }
    std::int32_t YLow() const { return m_yLow; }
    std::int32_t YHigh() const { return m_yHigh; }

protected:
    // Whether code `code` is down in `state` (buttons past the usable count never are).
    bool Holds(const DIJOYSTATE& state, std::uint8_t code) const;
    const DIJOYSTATE& Newest() const { return m_state[m_currentHalf ^ 1]; }
    const DIJOYSTATE& Previous() const { return m_state[m_currentHalf]; }
    DIJOYSTATE& WritingHalf() { return m_state[m_currentHalf]; }
    void Flip() { m_currentHalf ^= 1; }
    // Both counts from the device's; only 32 button bytes exist in a half.
    void SetButtonCount(std::int32_t count);
    // Thresholds a third of the range in from either end, truncated toward zero; 64-bit
    // intermediates, so no range can overflow.
    void SetThresholds(std::int64_t xMin, std::int64_t xMax, std::int64_t yMin, std::int64_t yMax);
    // The device's product name, or "Unknown" when it gives none.
    void SetName(const char* productName);
    // Back to closed: no slot, no counts, state and thresholds zeroed.
    void ResetClosed();

    std::int32_t m_slot;
    std::uint8_t m_currentHalf;
    DIJOYSTATE m_state[2];
    std::int32_t m_xLow;
    std::int32_t m_xHigh;
    std::int32_t m_yLow;
    std::int32_t m_yHigh;
    std::int32_t m_reportedButtons;
    std::int32_t m_usableButtons;
    std::uint16_t m_axisCount;
    std::string m_name;
};
