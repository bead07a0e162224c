#include "tests/framework/app/app_test_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace apptest {

std::string NextTitle() {
    static int counter = 0;
    char title[64];
    std::snprintf(title, sizeof(title), "SorahaneAppTest%lu_%d", GetCurrentProcessId(), ++counter);
    return title;
}

namespace {

HANDLE g_armed = nullptr;
volatile LONG g_deadlineMs = 0;
volatile LONG g_active = 0;
volatile LONG g_startedMs = 0;

DWORD WINAPI WatchdogProc(void*) {
    for (;;) {
        WaitForSingleObject(g_armed, INFINITE);
        while (g_active) {
            if (GetTickCount() - static_cast<DWORD>(g_startedMs) > static_cast<DWORD>(g_deadlineMs)) {
                std::fprintf(stderr, "watchdog: a start-up or shutdown did not end in time\n");
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 99);
            }
            Sleep(50);
        }
    }
}

// Where 32-bit code runs through qemu's emulation, a second thread running beside the test
// kills the Wine process; there the test program's own time limit stands in for the watchdog.
bool WatchdogWanted() {
    const char* emulated = std::getenv("SORAHANE_EMULATED_I386");
    return emulated == nullptr || std::strcmp(emulated, "1") != 0;
}

}  // namespace

Watchdog::Watchdog(DWORD ms) {
    if (!WatchdogWanted()) return;
    if (g_armed == nullptr) {
        g_armed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(CreateThread(nullptr, 0, &WatchdogProc, nullptr, 0, nullptr));
    }
    InterlockedExchange(&g_startedMs, static_cast<LONG>(GetTickCount()));
    InterlockedExchange(&g_deadlineMs, static_cast<LONG>(ms));
    InterlockedExchange(&g_active, 1);
    SetEvent(g_armed);
}

Watchdog::~Watchdog() { InterlockedExchange(&g_active, 0); }

}  // namespace apptest
