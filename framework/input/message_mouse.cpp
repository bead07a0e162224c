#include "framework/input/message_mouse.h"

#include "framework/input/event_nibbles.h"

MessageMouse::MessageMouse(InputPlatform& platform, Clock& clock)
    : WheelMessageMouse(platform, clock) {}

std::int32_t MessageMouse::Poll() {
    ScopedLock guard(m_feedLock);
    m_state[eventnibbles::LoadSelector(m_currentHalf)].lZ = TakeWheel();
    eventnibbles::Advance(m_state[0].rgbButtons, 3, m_currentHalf);
    return 0;
}

void MessageMouse::ClearState() {
    ScopedLock guard(m_feedLock);
    WheelMessageMouse::ClearState();
}

void MessageMouse::OnButtonDown(std::uint8_t button) {
    if (button >= 3) return;
    ScopedLock guard(m_feedLock);
    const std::uint8_t selector = eventnibbles::LoadSelector(m_currentHalf);
    eventnibbles::StoreHeld(m_state[1].rgbButtons[button], true);
    eventnibbles::Record(m_state[0].rgbButtons[button], selector, eventnibbles::kPress);
}

void MessageMouse::OnButtonUp(std::uint8_t button) {
    if (button >= 3) return;
    ScopedLock guard(m_feedLock);
    eventnibbles::StoreHeld(m_state[1].rgbButtons[button], false);
}

bool MessageMouse::ButtonDown(std::uint8_t button) {
    return StateByteDown(eventnibbles::LoadHeld(m_state[1].rgbButtons[button]));
}

bool MessageMouse::ButtonTriggered(std::uint8_t button) {
    const std::uint8_t selector = eventnibbles::LoadSelector(m_currentHalf);
    return (eventnibbles::Readable(m_state[0].rgbButtons[button], selector) &
            eventnibbles::kPress) != 0;
}
