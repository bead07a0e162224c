// CursorGlideTask: moves the system pointer to a game point over a time, eased by an exponent.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/task_scheduling.h"

class FrameworkApp;

class CursorGlideTask : public WithDeletingDestructor<CursorGlideTask, ScheduledTask> {
public:
    enum : std::int32_t { kKind = 20000 };

    // 0 started, 1 no scheduler or application, 2 refused by the scheduler, -1 the application
    // is inactive (mode 2 then puts the pointer on the target at once). Mode 0 leaves a
    // cancelled glide where it is, 1 lands it on the target while active, 2 always lands it.
    // started (when not null) receives the running task, or null when none runs.
    static std::int32_t Start(TaskScheduler* scheduler, FrameworkApp* app, std::int32_t gameX,
                              std::int32_t gameY, std::uint32_t duration, double exponent,
                              std::uint8_t mode, CursorGlideTask** started = nullptr);

    std::int32_t XM_METHOD Kind() override { return kKind; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override;

    std::uint8_t State() const { return m_state; }

private:
    CursorGlideTask() = default;

    std::uint32_t m_duration = 0;
    std::uint32_t m_startTime = 0;
    std::uint8_t m_state = 0;
    FrameworkApp* m_app = nullptr;
    std::int32_t m_distanceX = 0;
    std::int32_t m_distanceY = 0;
    std::int32_t m_startX = 0;
    std::int32_t m_startY = 0;
    double m_exponent = 0.0;
    std::uint8_t m_mode = 0;
};
