// TimerArray: the scripts' numbered stopwatches. Every stopwatch reads the clock the array was
// made with. Numbers are 16-bit, as the commands pass them.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/runtime/clock.h"
#include "framework/runtime/stopwatch.h"

class TimerArray {
public:
    explicit TimerArray(Clock& clock = SystemClock());
    virtual ~TimerArray() = default;
    TimerArray(const TimerArray&) = delete;
    TimerArray& operator=(const TimerArray&) = delete;

    // Replaces the stopwatches with n new ones, all running: 0; 1 for n = 0 (the old ones stay);
    // 2 out of memory (none are left).
    std::int32_t Create(std::uint16_t n);
    void Clear();

    // 1, or 0 when there is no stopwatch i. Restart starts stopwatch i at 0 and ends its pauses.
    std::int32_t Restart(std::uint16_t i);
    std::int32_t SetElapsed(std::uint16_t i, std::uint32_t ms);
    // Pauses nest: each Pause needs its Resume.
    std::int32_t Pause(std::uint16_t i);
    std::int32_t Resume(std::uint16_t i);
    // Milliseconds of stopwatch i, frozen while it is paused; 0 when there is none.
    std::uint32_t Elapsed(std::uint16_t i);
    // Every stopwatch, and the paused mark: 1, or 0 without stopwatches.
    std::int32_t PauseAll();
    std::int32_t ResumeAll();

    std::uint16_t Count() const { return static_cast<std::uint16_t>(m_stopwatches.size()); }
    // Set by PauseAll, cleared by ResumeAll and whenever the stopwatches are replaced or cleared.
    bool IsPaused() const { return m_paused; }

private:
    Stopwatch* At(std::uint16_t i) { return i < m_stopwatches.size() ? &m_stopwatches[i] : nullptr; }

    Clock& m_clock;
    std::vector<Stopwatch> m_stopwatches;
    bool m_paused = false;
};
