// Clock: where the timing classes read the time. The program reads the system's clocks;
// tests hand in a clock that they move by hand, so no timing test ever sleeps.
#pragma once

#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;

    // CurrentTimeMs: unsigned milliseconds that wrap.
    virtual std::uint32_t Milliseconds() = 0;
    // Ticks per second of the high-resolution counter; 0 when there is none.
    virtual std::int64_t CounterFrequency() = 0;
    virtual std::int64_t Counter() = 0;
};

// The system's clocks: CurrentTimeMs and QueryPerformanceCounter.
Clock& SystemClock();
