#include "framework/runtime/stopwatch.h"

Stopwatch::Stopwatch(Clock& clock) : m_clock(clock), m_start(0), m_pauseStart(0), m_pauseCount(0) {
    Reset();
}

std::uint32_t Stopwatch::Reset() {
    m_start = m_clock.Milliseconds();
    m_pauseCount = 0;
    return m_start;
}

std::uint32_t Stopwatch::Elapsed() {
    if (m_pauseCount > 0) return m_pauseStart - m_start;
    return m_clock.Milliseconds() - m_start;
}

std::uint32_t Stopwatch::SetElapsed(std::uint32_t ms) {
    const std::uint32_t reference = m_pauseCount > 0 ? m_pauseStart : m_clock.Milliseconds();
    m_start = reference - ms;
    return m_start;
}

void Stopwatch::Pause() {
    if (m_pauseCount++ == 0) m_pauseStart = m_clock.Milliseconds();
}

void Stopwatch::Resume() {
    // The paused span does not count as elapsed time.
    if (m_pauseCount-- == 1) m_start += m_clock.Milliseconds() - m_pauseStart;
}
