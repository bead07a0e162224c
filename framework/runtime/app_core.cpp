#include "framework/runtime/app_core.h"

namespace {

const UINT kErrorBoxFlags = MB_OK | MB_ICONHAND | MB_SYSTEMMODAL | MB_SETFOREGROUND;

bool IsMouseMoveClass(UINT message) {
    return message == WM_SETCURSOR || message == WM_NCHITTEST || message == WM_NCMOUSEMOVE ||
           message == WM_MOUSEMOVE;
}

}  // namespace

AppCore::AppCore(bool useMessageLoop)
    : m_instance(nullptr),
      m_previousInstance(nullptr),
      m_commandLine(nullptr),
      m_showCommand(0),
      m_accelerators(nullptr),
      m_acceleratorWindow(nullptr),
      m_useMessageLoop(useMessageLoop),
      m_quit(false) {}

std::int32_t AppCore::RunOnce() { return 0; }

std::int32_t AppCore::Exit(std::int32_t code) { return 0; }

bool AppCore::PreTranslate(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD time,
                           LONG x, LONG y) {
    return false;
}

const char* AppCore::ErrorTitle() { return nullptr; }

std::int32_t AppCore::Run(HINSTANCE instance, HINSTANCE previousInstance, char* commandLine,
                          std::int32_t showCommand) {
    m_instance = instance;
    m_previousInstance = previousInstance;
    m_commandLine = commandLine;
    m_showCommand = showCommand;

    const std::int32_t started = Initialize();
    if (started != 0) {
        Exit(started);
        return started;
    }
    if (!m_useMessageLoop) {
        RunOnce();
        Exit(0);
        return 0;
    }
    while (!m_quit) {
        MSG message;
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) break;
        if (got == -1) {
            const char* title = ErrorTitle();
            MessageBoxA(GetDesktopWindow(), "GetMessage()でエラーが発生しました",
                        title ? title : "エラー", kErrorBoxFlags);
            break;
        }
        if (PreTranslate(message.hwnd, message.message, message.wParam, message.lParam,
                         message.time, message.pt.x, message.pt.y)) {
            continue;
        }
        Deliver(message);
    }
    Exit(0);
    return 0;
}

std::int32_t AppCore::PumpMessages(bool all) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!all && IsMouseMoveClass(message.message)) continue;
        if (PreTranslate(message.hwnd, message.message, message.wParam, message.lParam,
                         message.time, message.pt.x, message.pt.y)) {
            continue;
        }
        if (message.message == WM_QUIT) {
            m_quit = true;
            return 1;
        }
        Deliver(message);
    }
    return 0;
}

bool AppCore::LoadAccelerators(std::uint32_t resourceId) {
    m_accelerators = ::LoadAcceleratorsA(m_instance, MAKEINTRESOURCEA(resourceId & 0xFFFF));
    return m_accelerators != nullptr;
}

void AppCore::Deliver(MSG& message) {
    if (m_accelerators && TranslateAcceleratorA(m_acceleratorWindow, m_accelerators, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}
