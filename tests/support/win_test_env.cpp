#include "tests/support/win_test_env.h"

#include <atomic>

namespace testsupport {

namespace {

const char kWindowClass[] = "SorahaneTestMessageWindow";

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = folder + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(full + "\\");
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

void RegisterTestWindowClass(const char* name) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    // A second registration of the same name fails harmlessly.
    RegisterClassA(&wc);
}

MessageWindow::MessageWindow() {
    RegisterTestWindowClass(kWindowClass);
    m_window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

MessageWindow::~MessageWindow() {
    if (m_window) DestroyWindow(m_window);
}

LRESULT CALLBACK MessageWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) self->m_received.push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

int PumpMessagesFor(DWORD ms, bool untilEmpty) {
    const DWORD start = GetTickCount();
    int dispatched = 0;
    for (;;) {
        MSG msg;
        bool any = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            ++dispatched;
            if (GetTickCount() - start >= ms) return dispatched;
        }
        if (!any && untilEmpty) return dispatched;
        if (GetTickCount() - start >= ms) return dispatched;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void DrainMessageQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TempFolder::TempFolder() {
    static std::atomic<unsigned> serial{0};
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    for (;;) {
        char name[MAX_PATH];
        wsprintfA(name, "%ssorahane_test_%lu_%u\\", base, GetCurrentProcessId(), serial++);
        if (CreateDirectoryA(name, nullptr)) {
            m_path = name;
            break;
        }
    }
}

TempFolder::~TempFolder() { DeleteTree(m_path); }

std::string TempFolder::File(const std::string& relative) const {
    return m_path + NormaliseSeparators(relative);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(NormaliseSeparators(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(NormaliseSeparators(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace testsupport
