#include "effects/objects/bg_rast_effect.h"

#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"

std::int32_t XM_METHOD BgRastEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                           const std::int32_t* params) {
    if (!params) return 2;
    const std::int32_t code = TakeCache(scheduler, target, params[6] != 0);
    if (code != 0) return code;
    m_amplitude = params[0];
    m_waveLength = params[1] == 0 ? 1 : params[1];
    m_period = params[2] == 0 ? 1 : params[2];
    m_envelope.Set(m_amplitude, params[4], params[3], params[5]);
    return Join(scheduler, params[7], 6);
}

std::int64_t BgRastEffect::RowShift(std::int64_t amplitude, std::int64_t angle16) {
    const std::int64_t index = ((angle16 >> 16) - 128) & 511;
    const std::int64_t m = amplitude * g_mathTables->CosFixed()[index];
    return m >= 0 ? m >> 16 : -((-m) >> 16);
}

void BgRastEffect::DrawAt(std::int64_t t, std::int64_t amplitude) {
    const std::int64_t angle = t % m_period * 512 / m_period;
    if (m_drawn && angle == m_lastAngle && amplitude == m_lastAmplitude) return;
    BgSourceWindow w;
    if (!Window(&w)) return;
    m_drawn = true;
    m_lastAngle = angle;
    m_lastAmplitude = amplitude;
    const std::uint32_t fill = m_canvas->Colour();
    for (std::int32_t r = 0; r < w.height; ++r) {
        auto* to = reinterpret_cast<std::uint32_t*>(w.cache->Row(r));
        const auto* from = reinterpret_cast<const std::uint32_t*>(w.source->Row(w.y + r)) + w.x;
        const std::int64_t shift =
            RowShift(amplitude, angle * 65536 + r * 0x2000000LL / m_waveLength);
        const std::int64_t size = shift < 0 ? -shift : shift;
        const std::int64_t kept = size >= w.width ? 0 : w.width - size;
        const std::int64_t uncovered = w.width - kept;
        if (shift >= 0) {
            CopyPixels(to + uncovered, from, kept);
            if (m_edgeFill) FillPixels(to, fill, uncovered);
        } else {
            CopyPixels(to, from + uncovered, kept);
            if (m_edgeFill) FillPixels(to + kept, fill, uncovered);
        }
    }
    m_canvas->InvalidateAll();
}
