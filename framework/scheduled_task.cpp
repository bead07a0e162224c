#include "framework/interfaces/task_scheduling.h"

std::int32_t XM_METHOD ScheduledTask::Kind() { return 0; }

std::int32_t XM_METHOD ScheduledTask::ReservedSlot4() { return 0; }

bool XM_METHOD ScheduledTask::ReservedSlot5() { return false; }

bool XM_METHOD ScheduledTask::ReservedSlot6() { return false; }

void XM_METHOD ScheduledTask::Pause(std::uint32_t now) {
    if (m_pauseCount++ == 0) m_pauseStart = now;
}

std::uint32_t XM_METHOD ScheduledTask::Resume(std::uint32_t now) {
    // A resume without a pause (ResumeKind reaching a task queued after the PauseKind) must
    // not leave the task counting as paused, or it would never run again.
    if (m_pauseCount <= 0) return 0;
    if (--m_pauseCount > 0) return 0;
    const std::uint32_t span = now - m_pauseStart;
    m_dueTime += span;
    return span;
}
