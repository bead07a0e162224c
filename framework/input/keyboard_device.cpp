#include "framework/input/keyboard_device.h"

#include <cstring>

namespace {

std::uint8_t ToggleBit(InputPlatform& platform, int virtualKey) {
    return static_cast<std::uint8_t>(platform.GetKeyState(virtualKey) & 1);
}

}  // namespace

KeyboardDevice::KeyboardDevice(InputPlatform& platform)
    : m_platform(platform),
      m_currentHalf(0),
      m_keys(),
      m_scrollLock(0),
      m_capsLock(0),
      m_numLock(0),
      m_repeat(true),
      m_keyCount(0) {}

bool KeyboardDevice::IsDown(std::uint8_t code) { return StateByteDown(NewestHalf()[code]); }

bool KeyboardDevice::IsTriggered(std::uint8_t code) {
    return StateByteDown(NewestHalf()[code]) && !StateByteDown(PreviousHalf()[code]);
}

std::int32_t KeyboardDevice::FirstDown() { return FirstDownCode(NewestHalf(), 256); }

std::int32_t KeyboardDevice::FirstTriggered() {
    return FirstTriggeredCode(NewestHalf(), PreviousHalf(), 256);
}

void KeyboardDevice::ClearState() { std::memset(m_keys, 0, sizeof(m_keys)); }

bool KeyboardDevice::IsRepeated(std::uint8_t) { return false; }

void KeyboardDevice::Acquire() {}

void KeyboardDevice::Unacquire() { ClearState(); }

void KeyboardDevice::UpdateLockKey(int virtualKey) {
    switch (virtualKey) {
    case VK_CAPITAL: m_capsLock = ToggleBit(m_platform, VK_CAPITAL); break;
    case VK_NUMLOCK: m_numLock = ToggleBit(m_platform, VK_NUMLOCK); break;
    case VK_SCROLL: m_scrollLock = ToggleBit(m_platform, VK_SCROLL); break;
    default: break;
    }
}

void KeyboardDevice::RefreshLockKeys() {
    UpdateLockKey(VK_SCROLL);
    UpdateLockKey(VK_CAPITAL);
    UpdateLockKey(VK_NUMLOCK);
}
