// FrameRateController: paces the game's frames. The frame function asks it once per turn
// whether a frame is due, how many frames were missed and how long it may sleep; it also
// measures the frames actually shown per second.
#pragma once

#include <cstdint>

#include "framework/runtime/clock.h"

class FrameRateController {
public:
    // rate: frames per second (0 or below: no time between frames). useCounter: pace with the
    // high-resolution counter when there is one, else with the millisecond clock.
    FrameRateController(std::int32_t rate, bool useCounter, Clock& clock = SystemClock());
    virtual ~FrameRateController() = default;

    virtual void SetRate(std::int32_t rate, bool useCounter);
    // True when a frame is due now. Also sets CatchUpCount, SuggestedWait and MeasuredRate.
    virtual bool WaitFrame();

    std::int32_t Rate() const { return m_rate; }
    bool UsesCounter() const { return m_useCounter; }
    bool Unlimited() const { return m_unlimited; }
    // A change of mode restarts the period and the measuring second from now (the measured
    // rate stays until the next second is complete).
    void SetUnlimited(bool unlimited);
    bool SkipEnabled() const { return m_skipEnabled; }
    void SetSkipEnabled(bool enabled) { m_skipEnabled = enabled; }

    // Frames missed before the one the last WaitFrame reported.
    std::int32_t CatchUpCount() const { return m_catchUpCount; }
    // Milliseconds the caller may sleep before asking again.
    std::uint32_t SuggestedWait() const { return m_suggestedWait; }
    std::int32_t MeasuredRate() const { return m_measuredRate; }
    std::uint32_t MsPerFrame() const { return m_msPerFrame; }

private:
    // The last frame time is now, and nothing has accumulated yet.
    void RestartPeriod();
    bool WaitFrameLimitedCounter();
    bool WaitFrameLimitedMs();
    bool WaitFrameUnlimitedCounter();
    bool WaitFrameUnlimitedMs();

    Clock& m_clock;
    std::int32_t m_rate;
    bool m_useCounter;
    bool m_unlimited;
    bool m_skipEnabled;
    std::int32_t m_catchUpCount;
    std::int32_t m_measuredRate;
    std::int32_t m_frameCount;
    std::int64_t m_frequency;
    std::int64_t m_ticksPerFrame;
    std::int64_t m_lastFrameTime;
    // Limited: ticks of frame time in the current measuring second. Unlimited: the counter
    // value of the previous call.
    std::int64_t m_counterAccumulator;
    std::int64_t m_halfFrame;
    std::uint32_t m_msPerFrame;
    std::uint32_t m_lastFrameTimeMs;
    // As m_counterAccumulator, in milliseconds.
    std::uint32_t m_msAccumulator;
    std::uint32_t m_suggestedWait;
};
