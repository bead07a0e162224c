// Typed-text capture from a subclassed window, and the IME of the main window.
#include "framework/app/framework_app.h"

#include "framework/files/shift_jis.h"

std::int32_t FrameworkApp::EnableIme(bool on) {
    HWND window = m_mainWindow.Handle();
    if (on) {
        if (imeAttached) return 0;
        const int result = m_imm->AssociateContextEx(window, nullptr, IACE_DEFAULT);
        if (result < 0) return 1;
        imeAttached = 1;
        return result == 0 ? 2 : 0;
    }
    if (!imeAttached) return 0;
    HIMC previous = m_imm->AssociateContext(window, nullptr);
    imeAttached = 0;
    return previous == nullptr ? 3 : 0;
}

std::int32_t FrameworkApp::AttachTextCapture(HWND window) {
    ScopedLock lock(m_textLock);
    if (m_capturedWindow != nullptr && m_previousProc != nullptr) {
        if (IsWindow(m_capturedWindow))
            SetWindowLongPtrA(m_capturedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        m_previousProc = nullptr;
    }
    if (window != nullptr) {
        if (!imeAttached) SendMessageA(window, kMsgIme, 1, 0);
        m_ime.Attach(window);
        m_capturedWindow = window;
        m_previousProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CaptureSubclassProc)));
    } else if (m_capturedWindow != nullptr) {
        if (imeAttached && IsWindow(m_capturedWindow)) SendMessageA(m_capturedWindow, kMsgIme, 0, 0);
        m_ime.Attach(nullptr);
        m_capturedWindow = nullptr;
    }
    m_lastKey = 0;
    m_textLength = 0;
    m_delivered = 0;
    m_leadPending = 0;
    return 0;
}

bool FrameworkApp::SendTextCaptureValue(std::uint32_t value) {
    if (m_capturedWindow == nullptr) return false;
    SendMessageA(m_capturedWindow, kMsgTextCaptureValue, value, 0);
    return true;
}

LRESULT CALLBACK FrameworkApp::CaptureSubclassProc(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    FrameworkApp* app = s_instance;
    if (app == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = app->CaptureWindowProc(window, message, wParam, lParam);
    if (message == WM_DESTROY) app->AttachTextCapture(nullptr);
    return result;
}

LRESULT FrameworkApp::CaptureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        m_lastKey = static_cast<std::uint32_t>(wParam);
    } else if (message == WM_CHAR) {
        ScopedLock lock(m_textLock);
        if (m_delivered != 0) {
            m_textLength = 0;
            m_delivered = 0;
        }
        const auto byte = static_cast<std::uint8_t>(wParam);
        if (m_textLength < sizeof(m_text)) {
            if (m_leadPending) m_leadPending = 0;
            else m_leadPending = IsShiftJisLeadByte(byte) ? 1 : 0;
            m_text[m_textLength++] = static_cast<char>(byte);
        } else if (m_leadPending) {
            --m_textLength;
            m_leadPending = 0;
        }
    } else if (message == kMsgTextCaptureValue) {
        m_ime.SetOpen(wParam != 0);
    }
    WNDPROC previous = m_previousProc;
    if (previous == nullptr)
        previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (previous == &CaptureSubclassProc) return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

std::uint8_t FrameworkApp::DeliverCapturedText(TextReceiver* receiver) {
    if (m_lastKey != 0) {
        const auto key = static_cast<std::uint8_t>(m_lastKey);
        m_lastKey = 0;
        return receiver != nullptr ? receiver->TakeKey(key) : 0;
    }
    ScopedLock lock(m_textLock);
    if (m_delivered == 0 && m_textLength > 0 && !m_leadPending) {
        m_delivered = m_textLength;
        return receiver != nullptr ? receiver->TakeText(m_text, m_textLength) : 0;
    }
    return 0;
}
