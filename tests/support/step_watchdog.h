// StepWatchdog: ends the test program with a message when the guarded scope has not ended in
// time, so that a loop that never ends fails at once instead of at the test time limit. Where
// 32-bit code runs through qemu's emulation a second thread beside the test kills the Wine
// process, so there it stays off and the test program's time limit stands in.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testsupport {

class StepWatchdog {
public:
    StepWatchdog(DWORD ms, const char* what) : m_ms(ms), m_what(what) {
        const char* emulated = std::getenv("SORAHANE_EMULATED_I386");
        if (emulated != nullptr && std::strcmp(emulated, "1") == 0) return;
        m_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &Watch, this, 0, nullptr);
    }
    ~StepWatchdog() {
        if (!m_thread) return;
        SetEvent(m_done);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        CloseHandle(m_done);
    }
    StepWatchdog(const StepWatchdog&) = delete;
    StepWatchdog& operator=(const StepWatchdog&) = delete;

private:
    static DWORD WINAPI Watch(void* self) {
        auto* dog = static_cast<StepWatchdog*>(self);
        if (WaitForSingleObject(dog->m_done, dog->m_ms) == WAIT_TIMEOUT) {
            std::fprintf(stderr, "watchdog: %s did not end within %lu ms\n", dog->m_what,
                         static_cast<unsigned long>(dog->m_ms));
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 98);
        }
        return 0;
    }

    DWORD m_ms;
    const char* m_what;
    HANDLE m_done = nullptr;
    HANDLE m_thread = nullptr;
};

}  // namespace testsupport
