// For the dialog tests that open a real dialog: a thread CBT hook that cancels the first
// window the thread activates, and a watchdog that fails the test instead of letting a dialog
// that never closes hang it.
#pragma once

#include <windows.h>

namespace dialogtest {

class CancelOnActivate {
public:
    CancelOnActivate() { s_hook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId()); }
    ~CancelOnActivate() {
        if (s_hook) UnhookWindowsHookEx(s_hook);
        s_hook = nullptr;
    }
    CancelOnActivate(const CancelOnActivate&) = delete;
    CancelOnActivate& operator=(const CancelOnActivate&) = delete;

    bool Installed() const { return s_hook != nullptr; }
    static int Activations() { return s_activations; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE) {
            ++s_activations;
            PostMessageA(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDCANCEL, 0);
        }
        return CallNextHookEx(s_hook, code, wParam, lParam);
    }

    static inline HHOOK s_hook = nullptr;
    static inline int s_activations = 0;
};

// Started before a dialog opens on the calling thread. Should the dialog still be open after
// the limit, the watchdog cancels every window of that thread and records it; should even that
// not end it, the watchdog ends the process, so the test run fails rather than hangs.
class DialogWatchdog {
public:
    explicit DialogWatchdog(DWORD limitMs = 400000)
        : m_thread(GetCurrentThreadId()), m_limit(limitMs), m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        m_watcher = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    }
    ~DialogWatchdog() {
        SetEvent(m_done);
        if (m_watcher) {
            WaitForSingleObject(m_watcher, INFINITE);
            CloseHandle(m_watcher);
        }
        CloseHandle(m_done);
    }
    DialogWatchdog(const DialogWatchdog&) = delete;
    DialogWatchdog& operator=(const DialogWatchdog&) = delete;

    bool Fired() const { return m_fired != 0; }

private:
    static BOOL CALLBACK CancelWindow(HWND window, LPARAM) {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    }
    static DWORD WINAPI Watch(void* argument) {
        auto* self = static_cast<DialogWatchdog*>(argument);
        if (WaitForSingleObject(self->m_done, self->m_limit) != WAIT_TIMEOUT) return 0;
        InterlockedExchange(&self->m_fired, 1);
        EnumThreadWindows(self->m_thread, CancelWindow, 0);
        if (WaitForSingleObject(self->m_done, 60000) == WAIT_TIMEOUT) ExitProcess(3);
        return 0;
    }

    DWORD m_thread;
    DWORD m_limit;
    HANDLE m_done;
    HANDLE m_watcher = nullptr;
    volatile LONG m_fired = 0;
};

}  // namespace dialogtest
