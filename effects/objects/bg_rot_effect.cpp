#include "effects/objects/bg_rot_effect.h"

#include <cmath>

#include "effects/objects/layer_progress.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

std::int32_t XM_METHOD BgRotEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                          const std::int32_t* params) {
    if (!scheduler || !target || !params) return 1;
    Canvas* canvas = target->GetCanvas();
    const double zoom = ReadEffectReal(params[3], 1.0);
    if (!canvas || zoom == 0.0 || !std::isfinite(zoom)) return 1;
    Surface* source = nullptr;
    canvas->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!source) return 2;
    m_canvas = canvas;
    if (canvas->ZoomAngle() != 0 || canvas->ZoomFactor() != 0.0) {
        const POINT at = canvas->ZoomOffset();
        m_start = LayerTurn{at.x, at.y, canvas->ZoomAngle(), canvas->ZoomFactor()};
    } else {
        m_start = LayerTurn{0, 0, 0, 1.0};
    }
    m_end = LayerTurn{params[0], params[1], params[2], zoom};
    m_duration = static_cast<std::uint32_t>(params[5]);
    if (m_duration == 0) {
        Show(m_end);
        return -1;
    }
    m_exponent = ReadEffectReal(params[4], 0.0);
    m_started = false;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) return 3;
    OnCreated();
    return 0;
}

std::int32_t XM_METHOD BgRotEffect::Step(std::uint32_t now) {
    if (!m_started) {
        m_started = true;
        m_startTime = now;
    }
    const std::uint32_t t = now - m_startTime;
    if (t >= m_duration) {
        Show(m_end);
        return 1;
    }
    const double f = LayerProgress(t, m_duration, m_exponent);
    Show(LayerTurn{LayerBetween(m_start.x, m_end.x, f), LayerBetween(m_start.y, m_end.y, f),
                   LayerBetween(m_start.angle, m_end.angle, f),
                   m_start.zoom + f * (m_end.zoom - m_start.zoom)});
    return 0;
}

void BgRotEffect::Show(const LayerTurn& turn) {
    if (m_canvas) m_canvas->SetZoom(turn.x, turn.y, turn.angle, turn.zoom);
}
