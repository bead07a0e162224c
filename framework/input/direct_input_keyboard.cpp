#include "framework/input/direct_input_keyboard.h"

DirectInputKeyboard::DirectInputKeyboard(InputPlatform& platform)
    : KeyboardDevice(platform), m_device(nullptr) {}

DirectInputKeyboard::~DirectInputKeyboard() { Release(); }

void DirectInputKeyboard::Acquire() {
    if (m_device) m_device->Acquire();
}

void DirectInputKeyboard::Unacquire() {
    if (m_device) m_device->Unacquire();
    ClearState();
}

std::int32_t DirectInputKeyboard::Poll() {
    if (!m_device) return 1;
    if (SUCCEEDED(ReadDirectInputState(m_device, 256, WritingHalf()))) {
        Flip();
        return 0;
    }
    ClearState();
    return 2;
}

std::int32_t DirectInputKeyboard::Open(IDirectInputA* input, HWND window) {
    Release();
    if (!input) return 1;
    const std::int32_t code =
        OpenDirectInputDevice(input, GUID_SysKeyboard, &c_dfDIKeyboard, window, &m_device);
    if (code != 0) return code;
    DIDEVCAPS caps = {};
    caps.dwSize = sizeof(caps);
    if (SUCCEEDED(m_device->GetCapabilities(&caps))) m_keyCount = static_cast<std::int32_t>(caps.dwButtons);
    m_device->Acquire();
    return 0;
}

void DirectInputKeyboard::Release() {
    ReleaseInterface(m_device);
    ClearState();
    m_keyCount = 0;
}
