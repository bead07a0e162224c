#include "framework/runtime/timer_resolution.h"


namespace {

// Below this minimum period the multimedia timer is worth its cost; GetTickCount's own
// granularity is about 10 ms.
const UINT kUsefulMinimumPeriod = 10;

volatile bool g_useTimeGetTime = false;

}  // namespace

std::uint32_t CurrentTimeMs() { return g_useTimeGetTime ? timeGetTime() : GetTickCount(); }

bool UsesTimeGetTime() { return g_useTimeGetTime; }

TimerResolution::TimerResolution() : m_caps(), m_done(false) { Acquire(); }

TimerResolution::~TimerResolution() {
    if (g_useTimeGetTime) timeEndPeriod(m_caps.wPeriodMin);
}

std::uint32_t TimerResolution::Acquire() {
    if (m_done) return m_caps.wPeriodMin;
    m_done = true;
    if (timeGetDevCaps(&m_caps, sizeof(m_caps)) == TIMERR_NOERROR &&
        m_caps.wPeriodMin < kUsefulMinimumPeriod) {
        g_useTimeGetTime = true;
        timeBeginPeriod(m_caps.wPeriodMin);
    } else {
        g_useTimeGetTime = false;
        m_caps.wPeriodMin = 1;
    }
    return m_caps.wPeriodMin;
}

// Lives in this file so that every program that reads CurrentTimeMs also links the object
// that raises the resolution before its entry point.
TimerResolution g_timerResolution;

TimerResolution& TimerResolution::Instance() { return g_timerResolution; }
