#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "effects/objects/effect_base.h"
#include "effects/objects/subtractive_random.h"
#include "effects/transitions/copy_rect.h"
#include "effects/transitions/screen_filters.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/compose/math_tables.h"
#include "graphics/interfaces/screen_buffer.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

namespace {

SubtractiveRandom* g_quakeRandom = nullptr;
SubtractiveRandom* g_zoomFlipRandom = nullptr;

const MathTables& Tables() {
    if (g_mathTables) return *g_mathTables;
    static const MathTables own;
    return own;
}

// The 16.16 sine of a 512-step angle.
std::int64_t Sine(std::int64_t phase) {
    return Tables().CosFixed()[static_cast<std::uint64_t>(phase - 128) & 511];
}

// A real limited to [-limit, limit] before it becomes an integer (NaN gives 0).
std::int32_t Limited(double value, std::int32_t limit) {
    if (!(value == value)) return 0;
    if (value > limit) return limit;
    if (value < -limit) return -limit;
    return static_cast<std::int32_t>(value);
}

}  // namespace

void SetQuakeTransRandom(SubtractiveRandom* generator) { g_quakeRandom = generator; }
SubtractiveRandom* QuakeTransRandom() { return g_quakeRandom; }
void SetZoomFlipTransRandom(SubtractiveRandom* generator) { g_zoomFlipRandom = generator; }
SubtractiveRandom* ZoomFlipTransRandom() { return g_zoomFlipRandom; }

std::int32_t XM_METHOD QuakeTransCallback::Setup(ScreenBuffer* target,
                                                 const std::int32_t* params) {
    if (!g_quakeRandom) return kTransSetupNoTable;
    // The duration is word 3 and may be 0.
    if (!params || !target) return kTransSetupBadParameters;
    if (target->Depth() != 32) return kTransSetupBadTarget;
    const bool fill = params[5] != 0;
    if (fill && !PixelLibraryLoaded()) return kTransSetupNoTable;
    Image* back = target->GetImage();
    m_limitX = back ? back->Width() + 1 : 0x7FFF;
    m_limitY = back ? back->Height() + 1 : 0x7FFF;
    m_duration = static_cast<std::uint32_t>(params[3]);
    // In 64 bits: word 0 x 256 leaves 32 bits from 2^23 on, and |INT_MIN| does not fit them.
    m_cycle = m_duration != 0 ? std::int64_t{params[0]} * 256 : std::llabs(std::int64_t{params[0]});
    m_amplitudeX = params[1];
    m_amplitudeY = params[2];
    // Any text: a damping beyond a million shakes past every picture size anyway.
    m_damping = std::clamp(ReadParameterReal(params[4], 0.0), -1e6, 1e6);
    if (!(m_damping == m_damping)) m_damping = 0;
    m_fill = fill;
    m_offsetX = m_offsetY = 0;
    m_state = 0;
    return kTransSetupOk;
}

std::int32_t XM_METHOD QuakeTransCallback::Update(std::uint32_t now) {
    if (m_state == 0) {
        m_startTime = now;
        m_state = 1;
        m_sign = false;
    }
    if (m_state == 2) return 0;
    std::uint32_t elapsed = now - m_startTime;
    double factor = 1.0;
    std::int64_t phase = 0;
    if (m_duration != 0) {
        if (elapsed >= m_duration) {
            m_state = 2;
            m_offsetX = m_offsetY = 0;
            return 0;
        }
        const double t = static_cast<double>(elapsed) / m_duration;
        factor = 1.0 - (1.0 - m_damping) * t;
        // cycle x t stays below |cycle| < 2^40.
        if (m_cycle != 0) phase = static_cast<std::int64_t>(static_cast<double>(m_cycle) * t);
    } else if (m_cycle != 0) {
        if (elapsed >= m_cycle) {
            m_startTime = now;
            elapsed = static_cast<std::uint32_t>(m_cycle);
        }
        // In reals: elapsed / cycle in integers is 0 until the cycle's end, and the shake
        // would never move.
        phase = static_cast<std::int64_t>(static_cast<double>(elapsed) / m_cycle * 511.0);
    }
    if (m_cycle != 0) {
        const std::int64_t s = Sine(phase);
        const std::int64_t ax = static_cast<std::int64_t>(m_amplitudeX);
        const std::int64_t ay = static_cast<std::int64_t>(m_amplitudeY);
        m_offsetX = Limited(factor * static_cast<double>((ax * s) >> 16), m_limitX);
        m_offsetY = Limited(factor * static_cast<double>((ay * s) >> 16), m_limitY);
        return 0;
    }
    SubtractiveRandom& random = *g_quakeRandom;
    const double r1 = random.Next() * 1e-9;
    const double r2 = random.Next() * 1e-9;
    const double ax = m_amplitudeX, ay = m_amplitudeY;
    double dx, dy;
    if (ax == ay) {
        dx = (r1 * ax - ax / 2) * factor;
        dy = (r2 * ay - ay / 2) * factor;
    } else if (ax < ay) {
        dx = (r1 * ax - ax / 2) * factor;
        dy = m_sign ? r2 * ay * factor : -r2 * ay * factor;
    } else {
        dx = m_sign ? r1 * ax * factor : -(r1 * ax * factor);
        dy = (r2 * ay - ay / 2) * factor;
    }
    m_offsetX = Limited(dx, m_limitX);
    m_offsetY = Limited(dy, m_limitY);
    m_sign = !m_sign;
    return 0;
}

std::int32_t XM_METHOD QuakeTransCallback::Draw(const TransitionBlit* b) {
    auto fill = BoundLibraryOp<pixelops::FillRectArgbOp>(pixelops::kWordFillRectArgb);
    if (m_fill && !fill) return 5;
    const std::int32_t width = b->from->Width(), height = b->from->Height();
    std::int32_t left = b->fromX - m_offsetX, top = b->fromY - m_offsetY;
    std::int32_t right = left + b->width, bottom = top + b->height;
    const std::int32_t areaLeft = b->targetX, areaTop = b->targetY;
    const std::int32_t areaRight = areaLeft + b->width, areaBottom = areaTop + b->height;
    std::int32_t dl = areaLeft, dt = areaTop, dr = areaRight, db = areaBottom;
    if (left < 0) {
        dl -= left;
        left = 0;
    }
    if (top < 0) {
        dt -= top;
        top = 0;
    }
    if (right > width) {
        dr -= right - width;
        right = width;
    }
    if (bottom > height) {
        db -= bottom - height;
        bottom = height;
    }
    if (m_fill) {
        // Each band is kept inside the area: a shift taller than a strip would otherwise
        // reach into the strips around it.
        const RECT bands[4] = {{areaLeft, areaTop, areaRight, dt},
                               {areaLeft, dt, dl, areaBottom},
                               {dr, dt, areaRight, areaBottom},
                               {dl, db, dr, areaBottom}};
        for (RECT band : bands) {
            band.left = std::max<LONG>(band.left, areaLeft);
            band.top = std::max<LONG>(band.top, areaTop);
            band.right = std::min<LONG>(band.right, areaRight);
            band.bottom = std::min<LONG>(band.bottom, areaBottom);
            if (band.left < band.right && band.top < band.bottom) fill(b->target, 0, &band);
        }
    }
    if (left < right && top < bottom) CopyRect(b->target, dl, dt, b->from, RECT{left, top, right, bottom});
    return 0;
}
