#include "framework/app/cursor_glide_task.h"

#include <cmath>

#include "framework/app/framework_app.h"

std::int32_t CursorGlideTask::Start(TaskScheduler* scheduler, FrameworkApp* app, std::int32_t gameX,
                                    std::int32_t gameY, std::uint32_t duration, double exponent,
                                    std::uint8_t mode, CursorGlideTask** started) {
    if (started) *started = nullptr;
    if (scheduler == nullptr || app == nullptr) return 1;
    POINT target = {gameX, gameY};
    app->MapGamePointToScreen(target);
    if (!app->active) {
        if (mode == 2) app->Platform().SetCursor(target.x, target.y);
        return -1;
    }
    scheduler->CancelKind(kKind);
    auto* task = new CursorGlideTask();
    POINT start = {};
    app->Platform().GetCursor(start);
    task->m_app = app;
    task->m_startX = start.x;
    task->m_startY = start.y;
    task->m_distanceX = target.x - start.x;
    task->m_distanceY = target.y - start.y;
    task->m_duration = duration;
    task->m_exponent = exponent;
    task->m_mode = mode;
    if (scheduler->Add(task, 0, 0, 0) != 0) {
        task->DeletingDestructor(xm::kDeleteMemory);
        return 2;
    }
    if (started) *started = task;
    return 0;
}

std::int32_t CursorGlideTask::Step(std::uint32_t now) {
    if (m_state == 0) {
        m_startTime = now;
        m_state = 1;
    }
    std::uint32_t t = now - m_startTime;
    if (t > m_duration) t = m_duration;
    std::int64_t offsetX = m_distanceX;
    std::int64_t offsetY = m_distanceY;
    // A glide of no duration lands on its first step.
    if (m_duration != 0) {
        const double d = m_duration;
        double eased = t;
        if (m_exponent < 0) eased = d * (1.0 - std::pow(1.0 - t / d, -m_exponent));
        else if (m_exponent > 0) eased = d * std::pow(t / d, m_exponent);
        t = static_cast<std::uint32_t>(eased);
        offsetX = static_cast<std::int64_t>(m_distanceX) * t / static_cast<std::int64_t>(m_duration);
        offsetY = static_cast<std::int64_t>(m_distanceY) * t / static_cast<std::int64_t>(m_duration);
    } else {
        t = 0;
    }
    if (!m_app->active && m_mode != 2) return 1;
    m_app->Platform().SetCursor(m_startX + static_cast<std::int32_t>(offsetX),
                                m_startY + static_cast<std::int32_t>(offsetY));
    if (t == m_duration) {
        m_state = 2;
        return 1;
    }
    return 0;
}

void CursorGlideTask::Finish() {
    if (m_state == 2) return;
    m_state = 2;
    if ((m_mode == 1 && m_app->active) || m_mode == 2)
        m_app->Platform().SetCursor(m_startX + m_distanceX, m_startY + m_distanceY);
}
