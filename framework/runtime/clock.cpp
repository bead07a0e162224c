#include "framework/runtime/clock.h"

#include <windows.h>

#include "framework/runtime/timer_resolution.h"

namespace {

class SystemClockImpl : public Clock {
public:
    std::uint32_t Milliseconds() override { return CurrentTimeMs(); }

    std::int64_t CounterFrequency() override {
        LARGE_INTEGER frequency;
        if (!QueryPerformanceFrequency(&frequency)) return 0;
        return frequency.QuadPart;
    }

    std::int64_t Counter() override {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        return counter.QuadPart;
    }
};

}  // namespace

Clock& SystemClock() {
    static SystemClockImpl clock;
    return clock;
}
