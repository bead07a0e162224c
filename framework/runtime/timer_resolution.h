// The program's millisecond clock and the process-wide timer resolution that decides it.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

// Milliseconds since some start, wrapping after 49.7 days: timeGetTime once the timer
// resolution was raised, GetTickCount before or without it. Compare two such times by their
// signed difference, never with < or >.
std::uint32_t CurrentTimeMs();

// True once TimerResolution raised the multimedia timer resolution.
bool UsesTimeGetTime();

// One object per process, built during static initialisation: it raises the timer resolution
// before the entry point runs and lowers it again at process exit.
class TimerResolution {
public:
    TimerResolution();
    ~TimerResolution();
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;

    // The minimum period in use (1 when the resolution was not raised). Only the first call
    // asks the system; later calls return the stored minimum.
    std::uint32_t Acquire();

    static TimerResolution& Instance();

private:
    TIMECAPS m_caps;
    bool m_done;
};
