// Stopwatch: a pausable millisecond stopwatch over the program's clock. Pauses nest; the
// caller balances every Pause with one Resume.
#pragma once

#include <cstdint>

#include "framework/runtime/clock.h"

class StopwatchBase {
public:
    virtual ~StopwatchBase() = default;
    // Returns the new start time.
    virtual std::uint32_t Reset() = 0;
    virtual std::uint32_t Elapsed() = 0;
    // Returns the new start time.
    virtual std::uint32_t SetElapsed(std::uint32_t ms) = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
};

class Stopwatch : public StopwatchBase {
public:
    explicit Stopwatch(Clock& clock = SystemClock());

    std::uint32_t Reset() override;
    std::uint32_t Elapsed() override;
    std::uint32_t SetElapsed(std::uint32_t ms) override;
    void Pause() override;
    void Resume() override;

    bool IsPaused() const { return m_pauseCount > 0; }

private:
    Clock& m_clock;
    std::uint32_t m_start;
    std::uint32_t m_pauseStart;
    std::int32_t m_pauseCount;
};
