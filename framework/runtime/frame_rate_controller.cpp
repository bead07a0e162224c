#include "framework/runtime/frame_rate_controller.h"

namespace {
const std::uint32_t kMsPerSecond = 1000;
}

FrameRateController::FrameRateController(std::int32_t rate, bool useCounter, Clock& clock)
    : m_clock(clock),
      m_rate(0),
      m_useCounter(false),
      m_unlimited(false),
      m_skipEnabled(false),
      m_catchUpCount(0),
      m_measuredRate(0),
      m_frameCount(0),
      m_frequency(0),
      m_ticksPerFrame(0),
      m_lastFrameTime(0),
      m_counterAccumulator(0),
      m_halfFrame(0),
      m_msPerFrame(0),
      m_lastFrameTimeMs(0),
      m_msAccumulator(0),
      m_suggestedWait(0) {
    SetRate(rate, useCounter);
}

void FrameRateController::SetRate(std::int32_t rate, bool useCounter) {
    m_useCounter = false;
    m_msPerFrame = 0;
    if (rate > 0) {
        if (m_frequency == 0 && useCounter) m_frequency = m_clock.CounterFrequency();
        m_msPerFrame = kMsPerSecond / static_cast<std::uint32_t>(rate);
        m_ticksPerFrame = m_frequency / rate;
        m_useCounter = useCounter && m_frequency != 0 && m_ticksPerFrame != 0;
    }
    if (m_useCounter) m_halfFrame = m_ticksPerFrame >> 1;
    RestartPeriod();
    m_measuredRate = 0;
    m_rate = rate;
}

void FrameRateController::SetUnlimited(bool unlimited) {
    if (unlimited == m_unlimited) return;
    m_unlimited = unlimited;
    // The accumulators hold frame time in the limited modes and the previous call's time in
    // the unlimited ones; carried across, one would be read as the other (a catch-up count of
    // hundreds, a rate measured over a fraction of a second).
    RestartPeriod();
}

void FrameRateController::RestartPeriod() {
    if (m_useCounter) {
        m_lastFrameTime = m_clock.Counter();
        m_counterAccumulator = 0;
    } else {
        m_lastFrameTimeMs = m_clock.Milliseconds();
        m_msAccumulator = 0;
    }
    m_frameCount = 0;
}

bool FrameRateController::WaitFrame() {
    m_catchUpCount = 0;
    if (m_unlimited) return m_useCounter ? WaitFrameUnlimitedCounter() : WaitFrameUnlimitedMs();
    return m_useCounter ? WaitFrameLimitedCounter() : WaitFrameLimitedMs();
}

bool FrameRateController::WaitFrameLimitedCounter() {
    const std::int64_t now = m_clock.Counter();
    const std::int64_t elapsed = now - m_lastFrameTime;
    bool due = false;
    if (elapsed >= m_ticksPerFrame) {
        due = true;
        if (m_skipEnabled) {
            m_catchUpCount = static_cast<std::int32_t>(elapsed / m_ticksPerFrame - 1);
            if (m_catchUpCount != 0) m_suggestedWait = m_msPerFrame >> 1;
        }
        // The next period starts when this frame was seen due, so late frames do not pile up.
        m_lastFrameTime = now;
        ++m_frameCount;
        m_counterAccumulator += elapsed;
    } else if (elapsed < m_halfFrame) {
        // Early in the period: sleep as long as has already passed, never past the frame.
        m_suggestedWait = static_cast<std::uint32_t>(m_msPerFrame * elapsed / m_ticksPerFrame);
    } else {
        m_suggestedWait = 0;
    }
    if (m_counterAccumulator >= m_frequency) {
        m_measuredRate = m_frameCount;
        m_counterAccumulator = 0;
        m_frameCount = 0;
    }
    return due;
}

bool FrameRateController::WaitFrameLimitedMs() {
    const std::uint32_t now = m_clock.Milliseconds();
    const std::uint32_t elapsed = now - m_lastFrameTimeMs;
    bool due = false;
    if (elapsed >= m_msPerFrame) {
        due = true;
        if (m_skipEnabled && m_msPerFrame != 0) {
            m_catchUpCount = static_cast<std::int32_t>(elapsed / m_msPerFrame - 1);
            if (m_catchUpCount != 0) m_suggestedWait = m_msPerFrame >> 1;
        }
        ++m_frameCount;
        m_msAccumulator += elapsed;
        m_lastFrameTimeMs = now;
    } else {
        m_suggestedWait = m_msPerFrame - elapsed;
    }
    if (m_msAccumulator >= kMsPerSecond) {
        m_measuredRate = m_frameCount;
        m_frameCount = 0;
        m_msAccumulator = 0;
    }
    return due;
}

bool FrameRateController::WaitFrameUnlimitedCounter() {
    const std::int64_t now = m_clock.Counter();
    ++m_frameCount;
    if (m_skipEnabled) {
        if (m_counterAccumulator != 0) {
            const std::int64_t missed = (now - m_counterAccumulator) / m_ticksPerFrame - 1;
            m_catchUpCount = missed > 0 ? static_cast<std::int32_t>(missed) : 0;
            m_suggestedWait = 0;
        }
        m_counterAccumulator = now;
    }
    if (now - m_lastFrameTime >= m_frequency) {
        m_lastFrameTime = now;
        m_measuredRate = m_frameCount;
        m_frameCount = 0;
    }
    return true;
}

bool FrameRateController::WaitFrameUnlimitedMs() {
    const std::uint32_t now = m_clock.Milliseconds();
    ++m_frameCount;
    if (m_skipEnabled && m_msPerFrame != 0) {
        if (m_msAccumulator != 0) {
            const std::int32_t missed =
                static_cast<std::int32_t>((now - m_msAccumulator) / m_msPerFrame) - 1;
            m_catchUpCount = missed > 0 ? missed : 0;
            m_suggestedWait = 0;
        }
        m_msAccumulator = now;
    }
    if (now - m_lastFrameTimeMs >= kMsPerSecond) {
        m_measuredRate = m_frameCount;
        m_frameCount = 0;
        m_lastFrameTimeMs = now;
    }
    return true;
}
