#include "framework/input/input_manager.h"

#include <new>

#include "framework/input/async_key_keyboard.h"
#include "framework/input/async_key_mouse.h"
#include "framework/input/direct_input_joystick.h"
#include "framework/input/direct_input_keyboard.h"
#include "framework/input/direct_input_mouse.h"
#include "framework/input/message_keyboard.h"
#include "framework/input/message_mouse.h"

InputManager::InputManager(InputPlatform& platform, Clock& clock, const WinmmJoystickApi& winmm)
    : m_platform(platform),
      m_clock(clock),
      m_winmm(winmm),
      m_active(false),
      m_joystickPolling(true) {}

InputManager::~InputManager() {
    ReleaseDevices();
    m_holder.reset();
}

std::int32_t InputManager::InitDirectInput(bool useDirectInput, HINSTANCE instance) {
    ReleaseDevices();
    m_holder.reset();
    if (!useDirectInput) return 0;
    if (!instance) return 1;
    m_holder.reset(new (std::nothrow) DirectInputHolder);
    if (!m_holder) return 2;
    if (m_holder->Create(instance) != 0) {
        m_holder.reset();
        return 3;
    }
    return 0;
}

void InputManager::AttachDirectInput(IDirectInputA* input) {
    ReleaseDevices();
    m_holder.reset();
    if (!input) return;
    m_holder.reset(new DirectInputHolder);
    m_holder->Attach(input);
}

std::int32_t InputManager::CreateDevices(HWND window, std::uint8_t keyboardKind,
                                         std::uint8_t mouseKind) {
    ReleaseDevices();
    const std::int32_t keyboard = CreateKeyboard(window, keyboardKind);
    if (keyboard != 0) return keyboard;
    return CreateMouse(window, mouseKind);
}

std::int32_t InputManager::CreateKeyboard(HWND window, std::uint8_t kind) {
    if (m_holder) {
        auto keyboard = std::unique_ptr<DirectInputKeyboard>(new (std::nothrow)
                                                                 DirectInputKeyboard(m_platform));
        if (!keyboard || keyboard->Open(m_holder->Interface(), window) != 0) {
            ReleaseDevices();
            return 4;
        }
        m_keyboard = std::move(keyboard);
        return 0;
    }
    switch (kind) {
    case 1: m_keyboard.reset(new (std::nothrow) AsyncKeyKeyboard(m_platform)); break;
    case 2: m_keyboard.reset(new (std::nothrow) MessageKeyboard(m_platform)); break;
    case 3: m_keyboard.reset(new (std::nothrow) AsyncKeySubsetKeyboard(m_platform)); break;
    default: return 1;
    }
    return m_keyboard ? 0 : 3;
}

std::int32_t InputManager::CreateMouse(HWND window, std::uint8_t kind) {
    if (m_holder) {
        auto mouse = std::unique_ptr<DirectInputMouse>(new (std::nothrow)
                                                           DirectInputMouse(m_platform, m_clock));
        if (!mouse || mouse->Open(m_holder->Interface(), window, false) != 0) {
            ReleaseDevices();
            return 5;
        }
        m_mouse = std::move(mouse);
        return 0;
    }
    switch (kind) {
    case 1: m_mouse.reset(new (std::nothrow) AsyncKeyMouse(m_platform, m_clock)); break;
    case 2: m_mouse.reset(new (std::nothrow) MessageMouse(m_platform, m_clock)); break;
    default: return 2;
    }
    if (m_mouse) return 0;
    ReleaseDevices();
    return 3;
}

std::int32_t InputManager::CreateJoystick(std::int32_t id, HWND window) {
    if (m_holder) {
        auto joystick = std::unique_ptr<DirectInputJoystick>(new (std::nothrow) DirectInputJoystick);
        if (!joystick || joystick->Open(m_holder->Interface(), window, id, false) != 0) return 1;
        m_joysticks.push_back(std::move(joystick));
    } else {
        auto joystick = std::unique_ptr<WinmmJoystick>(new (std::nothrow) WinmmJoystick(m_winmm));
        if (!joystick || joystick->Open(id, false, true) != 0) return 2;
        m_joysticks.push_back(std::move(joystick));
    }
    return static_cast<std::int32_t>(m_joysticks.size()) - 1;
}

JoystickDevice* InputManager::GetJoystick(std::int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_joysticks.size()) return nullptr;
    return m_joysticks[static_cast<std::size_t>(index)].get();
}

std::int32_t InputManager::CreateActionMap(std::uint32_t actionCount, ActionMap** map) {
    if (map) *map = nullptr;
    auto made = std::unique_ptr<ActionMap>(new (std::nothrow) ActionMap(this));
    if (!made) return 1;
    if (made->Init(actionCount) != 0) return 2;
    if (map) *map = made.get();
    m_actionMaps.push_back(std::move(made));
    return 0;
}

void InputManager::ReleaseDevices() {
    m_actionMaps.clear();
    m_keyboard.reset();
    m_mouse.reset();
    m_joysticks.clear();
}

void InputManager::AcquireAll() {
    m_active = true;
    if (m_keyboard) {
        m_keyboard->Acquire();
        m_keyboard->RefreshLockKeys();
    }
    if (m_mouse) m_mouse->Acquire();
    for (auto& joystick : m_joysticks) joystick->Acquire();
}

void InputManager::UnacquireAll() {
    m_active = false;
    if (m_keyboard) m_keyboard->Unacquire();
    if (m_mouse) m_mouse->Unacquire();
    for (auto& joystick : m_joysticks) joystick->Unacquire();
}

void InputManager::Poll() {
    if (!m_active) {
        if (m_mouse) m_mouse->UpdateCursorSprite();
        return;
    }
    if (m_keyboard) m_keyboard->Poll();
    if (m_mouse) {
        m_mouse->Poll();
        m_mouse->UpdateCursorSprite();
    }
    if (m_joystickPolling) {
        for (auto& joystick : m_joysticks) joystick->Poll();
    }
}

void InputManager::SetJoystickPolling(bool on) {
    m_joystickPolling = on;
    if (!on) {
        for (auto& joystick : m_joysticks) joystick->ClearState();
    }
}

bool InputManager::OnKeyDown(WPARAM virtualKey, LPARAM lParam) {
    if (!m_keyboard) return false;
    m_keyboard->UpdateLockKey(static_cast<int>(virtualKey));
    if (m_keyboard->DeviceKind() != DeviceKind::WindowMessages) return false;
    static_cast<MessageKeyboard*>(m_keyboard.get())->OnKeyDown(virtualKey, lParam);
    return true;
}

bool InputManager::OnKeyUp(WPARAM virtualKey, LPARAM) {
    if (!m_keyboard || m_keyboard->DeviceKind() != DeviceKind::WindowMessages) return false;
    static_cast<MessageKeyboard*>(m_keyboard.get())->OnKeyUp(virtualKey);
    return true;
}

bool InputManager::OnMouseWheel(WPARAM wParam) {
    return m_mouse ? m_mouse->OnWheelMessage(wParam) : false;
}

bool InputManager::FeedButton(std::uint8_t button, bool down) {
    if (!m_mouse || m_mouse->DeviceKind() != DeviceKind::WindowMessages) return false;
    auto* mouse = static_cast<MessageMouse*>(m_mouse.get());
    if (down) {
        mouse->OnButtonDown(button);
    } else {
        mouse->OnButtonUp(button);
    }
    return true;
}

bool InputManager::OnLeftButtonDown() { return FeedButton(0, true); }
bool InputManager::OnLeftButtonUp() { return FeedButton(0, false); }
bool InputManager::OnRightButtonDown() { return FeedButton(1, true); }
bool InputManager::OnRightButtonUp() { return FeedButton(1, false); }
bool InputManager::OnMiddleButtonDown() { return FeedButton(2, true); }
bool InputManager::OnMiddleButtonUp() { return FeedButton(2, false); }
