// MessageKeyboard: the keyboard fed by the window's WM_KEYDOWN and WM_KEYUP messages.
//
// Half 1 of the key state holds the held keys (0x80 down), written at once by the feeds; half 0
// holds the press events in two nibbles per key (event_nibbles.h), so a key pressed and
// released between two polls is triggered for exactly one poll period and never reads as down.
// The feeds run on the window thread, the polls and queries on the game's.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/input/keyboard_device.h"
#include "framework/runtime/recursive_lock.h"

class MessageKeyboard : public KeyboardDevice {
public:
    explicit MessageKeyboard(InputPlatform& platform = SystemInputPlatform());

    bool IsDown(std::uint8_t code) override;
    bool IsTriggered(std::uint8_t code) override;
    std::int32_t FirstDown() override;
    std::int32_t FirstTriggered() override;
    bool IsRepeated(std::uint8_t code) override;
    ::DeviceKind DeviceKind() const override { return ::DeviceKind::WindowMessages; }
    std::int32_t Poll() override;
    void ClearState() override;

    // WM_KEYDOWN (and WM_SYSKEYDOWN): lParam bit 30 marks an auto-repeat.
    void OnKeyDown(WPARAM virtualKey, LPARAM lParam);
    void OnKeyUp(WPARAM virtualKey);

    // The DirectInput code a virtual key is reported under (0 for keys outside the table).
    std::uint8_t CodeOf(WPARAM virtualKey) const { return m_codeOfVirtualKey[virtualKey & 0xFF]; }

private:
    std::uint8_t* Held() { return m_keys[1]; }
    std::uint8_t* Events() { return m_keys[0]; }

    std::uint8_t m_codeOfVirtualKey[256];
    std::uint8_t m_eventSelector;
    // Taken by the feeds, Poll and ClearState (event_nibbles.h says why).
    RecursiveLock m_feedLock;
};
