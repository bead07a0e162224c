// The timed fades of a sound buffer, run by a TaskScheduler: FadeInTask raises the buffer from
// silence to the volume it had when the fade began, FadeOutTask lowers it to 0 and pauses the
// buffer. Both step under the buffer's lock on the scheduler's thread and share the finish step,
// which puts the buffer's stored volume back to where the fade began and clears its fade state.
// A fade of 0 ms completes at its first step.
#pragma once

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/task_scheduling.h"

class SoundBuffer;

class BufferFadeTask : public ScheduledTask {
public:
    // Ended from outside (the buffer cancelled it): the finish step, at once.
    void XM_METHOD Finish() override;

protected:
    BufferFadeTask(SoundBuffer* buffer, std::uint32_t duration);
    ~BufferFadeTask() = default;

    // Takes the start time (and, for a fade-in, the target) at the first step.
    void BeginAt(std::uint32_t now);

    SoundBuffer* m_buffer;
    std::uint32_t m_duration;
    bool m_firstStep = true;
    std::uint32_t m_start = 0;
    std::int32_t m_target;
};

class FadeInTask final : public WithDeletingDestructor<FadeInTask, BufferFadeTask> {
public:
    FadeInTask(SoundBuffer* buffer, std::uint32_t duration)
        : WithDeletingDestructor(buffer, duration) {}
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
};

class FadeOutTask final : public WithDeletingDestructor<FadeOutTask, BufferFadeTask> {
public:
    FadeOutTask(SoundBuffer* buffer, std::uint32_t duration)
        : WithDeletingDestructor(buffer, duration) {}
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
};

// The step period of a fade: one step per volume unit, never faster than every 20 ms.
std::uint32_t FadePeriod(std::uint32_t duration, std::int32_t volume);
