// A top-level test window for the input tests: visible when asked (DirectInput reads the
// keyboard only for the window in front), with handlers the test installs per message, e.g.
// the framework's private cursor message 0x9000. Destroyed with the object.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

namespace testsupport {

class InputTestWindow {
public:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;

    explicit InputTestWindow(bool visible);
    ~InputTestWindow();
    InputTestWindow(const InputTestWindow&) = delete;
    InputTestWindow& operator=(const InputTestWindow&) = delete;

    HWND Handle() const { return m_window; }
    void OnMessage(UINT message, Handler handler) { m_handlers[message] = std::move(handler); }
    // Brings the window in front and gives it the focus (there is no window manager under the
    // test display); pumps messages for at most `ms` until it is the foreground window.
    bool BringToFront(DWORD ms);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::map<UINT, Handler> m_handlers;
};

}  // namespace testsupport
