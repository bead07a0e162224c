// A clock that tests move by hand, for every class that takes a Clock.
#pragma once

#include <cstdint>

#include "framework/runtime/clock.h"

namespace testsupport {

class FakeClock : public Clock {
public:
    // frequency 0: no high-resolution counter.
    explicit FakeClock(std::uint32_t ms = 1000, std::int64_t frequency = 1000000,
                       std::int64_t counter = 5000000)
        : m_ms(ms), m_frequency(frequency), m_counter(counter) {}

    std::uint32_t Milliseconds() override { return m_ms; }
    std::int64_t CounterFrequency() override { return m_frequency; }
    std::int64_t Counter() override { return m_counter; }

    void SetMs(std::uint32_t ms) { m_ms = ms; }
    void AdvanceMs(std::uint32_t ms) { m_ms += ms; }
    void SetCounter(std::int64_t counter) { m_counter = counter; }
    void AdvanceCounter(std::int64_t ticks) { m_counter += ticks; }

private:
    std::uint32_t m_ms;
    std::int64_t m_frequency;
    std::int64_t m_counter;
};

}  // namespace testsupport
