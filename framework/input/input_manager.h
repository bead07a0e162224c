// InputManager: owns the program's input devices (one keyboard, one mouse, any number of
// joysticks), the DirectInput interface some of them use, and the action maps over them.
//
// The framework application creates the devices during start-up:
//   1. with the player's input kind 0, InitDirectInput(true, instance); when that fails the
//      input kind becomes 1 (Windows API) for the rest of the run;
//   2. CreateDevices(main window, kind, kind);
//   3. with the joystick setting on, CreateJoystick(-1, main window);
//   4. Mouse()->SetGamePoint(the window's pointer position in game coordinates).
// The window procedure then feeds it:
//   WM_KEYDOWN, WM_SYSKEYDOWN      -> OnKeyDown(wParam, lParam)
//   WM_KEYUP                       -> OnKeyUp(wParam, lParam)
//   WM_MOUSEWHEEL                  -> OnMouseWheel(wParam)
//   WM_LBUTTONDOWN ... WM_MBUTTONUP -> the button feed of the same name
//   WM_ACTIVATE                    -> AcquireAll when LOWORD(wParam) != WA_INACTIVE, else
//                                     UnacquireAll (under the framework's screen lock)
// and the frame function calls Poll once per due frame. The feeds take no lock: they write
// single bytes, atomically where the game thread's poll changes the same bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/input/action_map.h"
#include "framework/input/direct_input_holder.h"
#include "framework/input/input_platform.h"
#include "framework/input/joystick_device.h"
#include "framework/input/keyboard_device.h"
#include "framework/input/mouse_device.h"
#include "framework/input/winmm_joystick.h"
#include "framework/runtime/clock.h"

class InputManager {
public:
    explicit InputManager(InputPlatform& platform = SystemInputPlatform(),
                          Clock& clock = SystemClock(),
                          const WinmmJoystickApi& winmm = SystemWinmmJoystickApi());
    ~InputManager();
    InputManager(const InputManager&) = delete;
    InputManager& operator=(const InputManager&) = delete;

    // Releases every device and the DirectInput interface, then, when asked, makes the
    // interface. 0 ok or not asked; 1 no instance handle; 2 out of memory; 3 DirectInput could
    // not be made.
    std::int32_t InitDirectInput(bool useDirectInput, HINSTANCE instance);
    // Releases every device and uses `input` (tests hand in a fake) as the DirectInput
    // interface; null goes without DirectInput.
    void AttachDirectInput(IDirectInputA* input);

    // Releases every device, then makes the keyboard and the mouse: DirectInput ones when the
    // interface exists, else by kind (keyboard 1 Windows API, 2 window messages, 3 the
    // Windows-API subset; mouse 1 Windows API, 2 window messages). 0 ok; 1 unknown keyboard
    // kind (nothing made); 2 unknown mouse kind (the keyboard stays); 3 out of memory; 4 the
    // DirectInput keyboard or 5 the DirectInput mouse could not be opened (nothing stays).
    std::int32_t CreateDevices(HWND window, std::uint8_t keyboardKind, std::uint8_t mouseKind);
    // Opens a joystick (-1: the first free one) of the kind that goes with the interface and
    // appends it. Its index in the joysticks, or 1 (DirectInput) or 2 (winmm) when it could
    // not be opened.
    std::int32_t CreateJoystick(std::int32_t id, HWND window);
    // Null for a negative index or one past the end.
    JoystickDevice* GetJoystick(std::int32_t index) const;
    std::int32_t JoystickCount() const { return static_cast<std::int32_t>(m_joysticks.size()); }
    // 0 ok (the map is appended and returned), 1 out of memory, 2 the map's Init failed.
    std::int32_t CreateActionMap(std::uint32_t actionCount, ActionMap** map);
    // Deletes the action maps first (they hold the devices), then the keyboard, the mouse and
    // every joystick.
    void ReleaseDevices();

    void AcquireAll();
    void UnacquireAll();
    // Polls every device once; while inactive only keeps the pointer sprite in place.
    void Poll();
    // Off clears every joystick's state, so nothing reads as down.
    void SetJoystickPolling(bool on);

    // Window-message feeds; each returns whether a device of its kind took the message.
    bool OnKeyDown(WPARAM virtualKey, LPARAM lParam);
    bool OnKeyUp(WPARAM virtualKey, LPARAM lParam);
    bool OnMouseWheel(WPARAM wParam);
    bool OnLeftButtonDown();
    bool OnLeftButtonUp();
    bool OnRightButtonDown();
    bool OnRightButtonUp();
    bool OnMiddleButtonDown();
    bool OnMiddleButtonUp();

    bool IsActive() const { return m_active; }
    bool JoystickPolling() const { return m_joystickPolling; }
    // Null without DirectInput.
    IDirectInputA* DirectInput() const { return m_holder ? m_holder->Interface() : nullptr; }
    KeyboardDevice* Keyboard() const { return m_keyboard.get(); }
    MouseDevice* Mouse() const { return m_mouse.get(); }

private:
    std::int32_t CreateKeyboard(HWND window, std::uint8_t kind);
    std::int32_t CreateMouse(HWND window, std::uint8_t kind);
    bool FeedButton(std::uint8_t button, bool down);

    InputPlatform& m_platform;
    Clock& m_clock;
    const WinmmJoystickApi& m_winmm;
    bool m_active;
    bool m_joystickPolling;
    std::unique_ptr<DirectInputHolder> m_holder;
    std::unique_ptr<KeyboardDevice> m_keyboard;
    std::unique_ptr<MouseDevice> m_mouse;
    std::vector<std::unique_ptr<JoystickDevice>> m_joysticks;
    std::vector<std::unique_ptr<ActionMap>> m_actionMaps;
};
