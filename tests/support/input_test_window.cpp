#include "tests/support/input_test_window.h"

#include "tests/support/win_test_env.h"

namespace testsupport {

namespace {

const char kWindowClass[] = "SorahaneInputTestWindow";

}  // namespace

InputTestWindow::InputTestWindow(bool visible) {
    RegisterTestWindowClass(kWindowClass);
    m_window = CreateWindowExA(0, kWindowClass, "input test", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    if (visible) {
        ShowWindow(m_window, SW_SHOW);
        UpdateWindow(m_window);
    }
}

InputTestWindow::~InputTestWindow() {
    if (m_window) {
        SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    PumpMessagesFor(50);
}

bool InputTestWindow::BringToFront(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        SetForegroundWindow(m_window);
        SetActiveWindow(m_window);
        SetFocus(m_window);
        PumpMessagesFor(20);
        if (GetForegroundWindow() == m_window) return true;
        if (GetTickCount() - start >= ms) return false;
    }
}

LRESULT CALLBACK InputTestWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = reinterpret_cast<InputTestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) {
        auto found = self->m_handlers.find(message);
        if (found != self->m_handlers.end()) return found->second(wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace testsupport
