#include "effects/objects/quake_effect.h"

#include <algorithm>
#include <cstdlib>

#include "effects/objects/subtractive_random.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/math_tables.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

namespace {

const MathTables& Tables() {
    if (g_mathTables) return *g_mathTables;
    static const MathTables own;
    return own;
}

// The 16.16 sine of a 512-step angle.
std::int64_t Sine(std::int64_t phase) {
    return Tables().CosFixed()[static_cast<std::uint32_t>(phase - 128) & 511];
}

std::int32_t Truncate(double value) { return static_cast<std::int32_t>(value); }

void FillClipped(Image* image, std::uint32_t value, RECT r) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, image->Width());
    r.bottom = std::min<LONG>(r.bottom, image->Height());
    if (r.left < r.right && r.top < r.bottom) image->FillValue(value, &r);
}

}  // namespace

std::int32_t XM_METHOD QuakeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                          const std::int32_t* params) {
    if (!EffectRandom()) return 5;
    if (!scheduler || !target || !params) return 1;
    Canvas* canvas0 = target->GetCanvas();
    ScreenBuffer* linked = target->GetAlternate();
    Canvas* canvas1 = linked ? linked->GetCanvas() : nullptr;
    if (!canvas0 || !canvas1) return 1;

    m_fill = params[5] != 0;
    m_shake[0] = params[6] != 0;
    m_shake[1] = params[7] != 0;
    m_canvas[0] = canvas0;
    m_canvas[1] = canvas1;
    if (m_fill) {
        for (int n = 0; n < 2; ++n) {
            if (!m_shake[n] || m_canvas[n]->CreateScaled(false) == 0) continue;
            // Leave no cache behind from the canvas that made one.
            for (int k = 0; k < n; ++k)
                if (m_shake[k]) m_canvas[k]->DropScaled();
            return 4;
        }
    }
    for (int n = 0; n < 2; ++n)
        m_canvas[n]->GetBackground(nullptr, &m_savedX[n], &m_savedY[n], nullptr, nullptr, nullptr);
    m_duration = static_cast<std::uint32_t>(params[3]);
    m_wave = m_duration != 0 ? std::int64_t{params[0]} * 256 : std::llabs(std::int64_t{params[0]});
    m_ampX = params[1];
    m_ampY = params[2];
    m_endScale = ReadEffectReal(params[4], 0.0);
    // A new cache holds nothing yet: it shows the unmoved picture until the first step.
    if (m_fill)
        for (int n = 0; n < 2; ++n)
            if (m_shake[n]) Move(n, 0, 0);
    m_firstStep = true;
    m_stop = 0;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        if (m_fill)
            for (int n = 0; n < 2; ++n)
                if (m_shake[n]) m_canvas[n]->DropScaled();
        return 5;
    }
    if (params[8] != 0) OnCreated();
    return 0;
}

std::int32_t XM_METHOD QuakeEffect::ChangeParams(const std::int32_t* params) {
    if (params && params[0] == 0 && m_stop == 0) m_stop = 1;
    return 0;
}

std::int32_t XM_METHOD QuakeEffect::Step(std::uint32_t now) {
    if (m_firstStep) {
        m_start = now;
        m_sign = false;
        m_firstStep = false;
    }
    std::uint32_t elapsed = now - m_start;
    double scale = 1.0;
    std::int64_t phase = 0;
    if (m_duration != 0) {
        // A stop request means nothing while a duration runs.
        if (elapsed >= m_duration) {
            Restore();
            return -1;
        }
        const double t = static_cast<double>(elapsed) / m_duration;
        scale = 1.0 - t * (1.0 - m_endScale);
        if (m_wave != 0) phase = static_cast<std::int64_t>(static_cast<double>(m_wave) * t);
    } else if (m_wave != 0) {
        if (elapsed >= m_wave) {
            m_start = now;
            elapsed = static_cast<std::uint32_t>(m_wave);
            if (m_stop == 1) m_stop = 2;
        }
        // In reals: elapsed / W in integers is 0 until the wave's end, and the shake would
        // never move.
        phase = static_cast<std::int64_t>(static_cast<double>(elapsed) / m_wave * 511.0);
    } else if (m_stop == 1) {
        m_stop = 2;
    }
    if (m_stop == 2) {
        Restore();
        return -1;
    }

    std::int32_t dx = 0;
    std::int32_t dy = 0;
    if (m_wave != 0) {
        const std::int64_t s = Sine(phase);
        dx = Truncate(scale * static_cast<double>((std::int64_t{Truncate(m_ampX)} * s) >> 16));
        dy = Truncate(scale * static_cast<double>((std::int64_t{Truncate(m_ampY)} * s) >> 16));
    } else {
        SubtractiveRandom& random = *EffectRandom();
        auto draw = [&random] { return random.Next() * 1e-9; };
        const double ax = m_ampX;
        const double ay = m_ampY;
        if (ax == ay) {
            dx = Truncate(scale * (draw() * ax - ax / 2));
            dy = Truncate(scale * (draw() * ay - ay / 2));
        } else if (ax < ay) {
            dx = Truncate(scale * (draw() * ax - ax / 2));
            dy = m_sign ? Truncate(scale * (draw() * ay)) : Truncate(scale * (-draw() * ay));
        } else {
            dx = m_sign ? Truncate(scale * (draw() * ax)) : Truncate(scale * (-draw() * ax));
            dy = Truncate(scale * (draw() * ay - ay / 2));
        }
        m_sign = !m_sign;
    }
    for (int n = 0; n < 2; ++n)
        if (Shakes(n)) Move(n, -dx, -dy);
    return 0;
}

void QuakeEffect::Move(int n, std::int32_t ox, std::int32_t oy) {
    Canvas* canvas = m_canvas[n];
    Surface* source = nullptr;
    std::int32_t x = 0;
    std::int32_t y = 0;
    canvas->GetBackground(&source, &x, &y, nullptr, nullptr, nullptr);
    if (!source) return;
    const std::int32_t nx = m_savedX[n] + ox;
    const std::int32_t ny = m_savedY[n] + oy;
    if (!m_fill) {
        if (nx != x || ny != y) {
            canvas->SetSource(source, nx, ny, false);
            canvas->InvalidateAll();
        }
        return;
    }
    Image* cache = canvas->MutableScaled();
    if (!cache) return;
    const std::int32_t cw = cache->Width();
    const std::int32_t ch = cache->Height();
    const std::int32_t w = source->Width();
    const std::int32_t h = source->Height();
    const std::uint32_t fill = canvas->Colour();
    const std::int32_t destX = std::max(-nx, 0);
    const std::int32_t destY = std::max(-ny, 0);
    if (destX < cw && destY < ch) {
        const RECT from = {std::max(nx, 0), std::max(ny, 0), w, h};
        // A source moved wholly out of sight leaves nothing to copy: the strips cover it all.
        if (from.left < from.right && from.top < from.bottom)
            cache->Blit(source, destX, destY, &from, false);
        else
            cache->FillValue(fill, nullptr);
        if (destX > 0)
            FillClipped(cache, fill, RECT{0, 0, destX, ch});
        else if (w - nx < cw)
            FillClipped(cache, fill, RECT{w - nx, 0, cw, ch});
        if (destY > 0)
            FillClipped(cache, fill, RECT{destX, 0, destX + w, destY});
        else if (h - ny < ch)
            FillClipped(cache, fill, RECT{destX, h - ny, destX + w, ch});
    } else {
        cache->FillValue(fill, nullptr);
    }
    canvas->InvalidateAll();
}

void QuakeEffect::Restore() {
    if (m_fill) {
        for (int n = 0; n < 2; ++n) {
            if (!Shakes(n)) continue;
            m_canvas[n]->DropScaled();
            m_canvas[n]->InvalidateAll();
        }
        m_fill = false;
    }
    for (int n = 0; n < 2; ++n) {
        if (!Shakes(n)) continue;
        Surface* source = nullptr;
        std::int32_t x = 0;
        std::int32_t y = 0;
        m_canvas[n]->GetBackground(&source, &x, &y, nullptr, nullptr, nullptr);
        if (!source || (x == m_savedX[n] && y == m_savedY[n])) continue;
        m_canvas[n]->SetSource(source, m_savedX[n], m_savedY[n], false);
        m_canvas[n]->InvalidateAll();
    }
}
