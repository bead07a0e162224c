#include "framework/input/message_keyboard.h"

#include "framework/input/event_nibbles.h"
#include "framework/input/key_code_table.h"

namespace {

constexpr LPARAM kPreviousKeyState = LPARAM(1) << 30;

}  // namespace

MessageKeyboard::MessageKeyboard(InputPlatform& platform)
    : KeyboardDevice(platform), m_codeOfVirtualKey(), m_eventSelector(0) {
    for (const KeyCodePair& pair : KeyCodeTable) {
        m_codeOfVirtualKey[pair.virtualKey] = pair.directInputCode;
    }
}

bool MessageKeyboard::IsDown(std::uint8_t code) {
    return StateByteDown(eventnibbles::LoadHeld(Held()[code]));
}

bool MessageKeyboard::IsTriggered(std::uint8_t code) {
    const std::uint8_t selector = eventnibbles::LoadSelector(m_eventSelector);
    return (eventnibbles::Readable(Events()[code], selector) & eventnibbles::kPress) != 0;
}

bool MessageKeyboard::IsRepeated(std::uint8_t code) {
    const std::uint8_t selector = eventnibbles::LoadSelector(m_eventSelector);
    return (eventnibbles::Readable(Events()[code], selector) & eventnibbles::kRepeat) != 0;
}

std::int32_t MessageKeyboard::FirstDown() {
    for (int code = 0; code < 256; ++code) {
        if (IsDown(static_cast<std::uint8_t>(code))) return code;
    }
    return -1;
}

std::int32_t MessageKeyboard::FirstTriggered() {
    for (int code = 0; code < 256; ++code) {
        if (IsTriggered(static_cast<std::uint8_t>(code))) return code;
    }
    return -1;
}

std::int32_t MessageKeyboard::Poll() {
    ScopedLock guard(m_feedLock);
    eventnibbles::Advance(Events(), 256, m_eventSelector);
    return 0;
}

void MessageKeyboard::ClearState() {
    ScopedLock guard(m_feedLock);
    KeyboardDevice::ClearState();
}

void MessageKeyboard::OnKeyDown(WPARAM virtualKey, LPARAM lParam) {
    const std::uint8_t code = CodeOf(virtualKey);
    ScopedLock guard(m_feedLock);
    const std::uint8_t selector = eventnibbles::LoadSelector(m_eventSelector);
    eventnibbles::StoreHeld(Held()[code], true);
    const bool autoRepeat = (lParam & kPreviousKeyState) != 0;
    if (m_repeat) {
        const std::uint8_t bits = autoRepeat ? eventnibbles::kPress | eventnibbles::kRepeat
                                             : eventnibbles::kPress;
        eventnibbles::RecordFirst(Events()[code], selector, bits);
    } else if (!autoRepeat) {
        eventnibbles::RecordFirst(Events()[code], selector, eventnibbles::kPress);
    }
}

void MessageKeyboard::OnKeyUp(WPARAM virtualKey) {
    ScopedLock guard(m_feedLock);
    eventnibbles::StoreHeld(Held()[CodeOf(virtualKey)], false);
}
