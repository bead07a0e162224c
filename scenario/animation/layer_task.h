// LayerTask: what the layer animation tasks (cel animations, cell strips, lip sync) share on the
// scheduler that runs layer tasks once per drawn frame: a counted pause that moves the due time
// on by the paused span, with a hook for a task that keeps its own time base.
//
// The scheduler's Pause and Resume slots (TaskScheduler::Pause, PauseKind and their resumes)
// land on PauseNow and ResumeNow, so a script's pause of a kind and the owner's own pause are
// one and the same. Used on the thread that runs the scheduler.
#pragma once

#include <cstdint>

#include "framework/interfaces/task_scheduling.h"

class LayerTask : public ScheduledTask {
public:
    void XM_METHOD Pause(std::uint32_t now) override { PauseNow(now); }
    void XM_METHOD Resume(std::uint32_t now) override { ResumeNow(now); }
    // The first pause records when it began; pauses nest.
    virtual void XM_METHOD PauseNow(std::uint32_t now) {
        if (PauseCount() == 0) m_pausedAt = now;
        ScheduledTask::Pause(now);
    }
    // The last resume moves the due time on by the paused span and tells Resumed about it; a
    // resume without a pause does nothing.
    virtual void XM_METHOD ResumeNow(std::uint32_t now) {
        if (PauseCount() <= 0) return;
        const bool last = PauseCount() == 1;
        ScheduledTask::Resume(now);
        if (last) Resumed(now - m_pausedAt);
    }

protected:
    LayerTask() = default;
    ~LayerTask() = default;

    // After the last resume: span is how long the task was paused.
    virtual void Resumed(std::uint32_t span) { (void)span; }

private:
    std::uint32_t m_pausedAt = 0;
};
