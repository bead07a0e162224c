// MessageMouse: the mouse fed by the window's button and wheel messages. The three button bytes
// use the event nibbles of the message keyboard (event_nibbles.h): the buttons of half 1 hold
// the held state, those of half 0 the press events, and the mouse's current half is the event
// selector; the wheel uses the two halves as the other kinds do.
#pragma once

#include "framework/input/async_key_mouse.h"
#include "framework/runtime/recursive_lock.h"

class MessageMouse : public WheelMessageMouse {
public:
    explicit MessageMouse(InputPlatform& platform = SystemInputPlatform(),
                          Clock& clock = SystemClock());

    ::DeviceKind DeviceKind() const override { return ::DeviceKind::WindowMessages; }
    std::int32_t Poll() override;
    void ClearState() override;

    // Buttons 0 left, 1 right, 2 middle; others are ignored.
    void OnButtonDown(std::uint8_t button);
    void OnButtonUp(std::uint8_t button);

protected:
    bool ButtonDown(std::uint8_t button) override;
    bool ButtonTriggered(std::uint8_t button) override;

private:
    // Taken by the button feeds, Poll and ClearState (event_nibbles.h says why).
    RecursiveLock m_feedLock;
};
