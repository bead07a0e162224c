#include "game/services/timer_array.h"

#include <new>

TimerArray::TimerArray(Clock& clock) : m_clock(clock) {}

std::int32_t TimerArray::Create(std::uint16_t n) {
    if (n == 0) return 1;
    Clear();
    try {
        m_stopwatches.reserve(n);
        for (std::uint16_t i = 0; i < n; ++i) m_stopwatches.emplace_back(m_clock);
    } catch (const std::bad_alloc&) {
        Clear();
        return 2;
    }
    return 0;
}

void TimerArray::Clear() {
    std::vector<Stopwatch>().swap(m_stopwatches);
    m_paused = false;
}

std::int32_t TimerArray::Restart(std::uint16_t i) {
    Stopwatch* stopwatch = At(i);
    if (!stopwatch) return 0;
    stopwatch->Reset();
    return 1;
}

std::int32_t TimerArray::SetElapsed(std::uint16_t i, std::uint32_t ms) {
    Stopwatch* stopwatch = At(i);
    if (!stopwatch) return 0;
    stopwatch->SetElapsed(ms);
    return 1;
}

std::int32_t TimerArray::Pause(std::uint16_t i) {
    Stopwatch* stopwatch = At(i);
    if (!stopwatch) return 0;
    stopwatch->Pause();
    return 1;
}

std::int32_t TimerArray::Resume(std::uint16_t i) {
    Stopwatch* stopwatch = At(i);
    if (!stopwatch) return 0;
    stopwatch->Resume();
    return 1;
}

std::uint32_t TimerArray::Elapsed(std::uint16_t i) {
    Stopwatch* stopwatch = At(i);
    return stopwatch ? stopwatch->Elapsed() : 0;
}

std::int32_t TimerArray::PauseAll() {
    if (m_stopwatches.empty()) return 0;
    for (Stopwatch& stopwatch : m_stopwatches) stopwatch.Pause();
    m_paused = true;
    return 1;
}

std::int32_t TimerArray::ResumeAll() {
    if (m_stopwatches.empty()) return 0;
    for (Stopwatch& stopwatch : m_stopwatches) stopwatch.Resume();
    m_paused = false;
    return 1;
}
