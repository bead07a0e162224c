#include <algorithm>

#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "pixelops/interfaces/pixel_op_library.h"
#include "pixelops/interfaces/pixel_op_words.h"

std::int32_t XM_METHOD WaveTransCallback::Setup(ScreenBuffer* target,
                                                const std::int32_t* params) {
    if (!g_mathTables) return kTransSetupNoTable;
    const std::int32_t code = CheckCommon(target, params, false);
    if (code != 0) return code;
    Image* back = target->GetImage();
    if (!back) return kTransSetupBadTarget;
    if (!PixelLibraryLoaded()) return kTransSetupNoTable;
    // A half duration of 0 would divide by zero.
    if (m_duration < 2) m_duration = 2;
    m_half = m_duration / 2;
    m_height = back->Height();
    m_mode = static_cast<std::uint32_t>(params[1]);
    m_amplitude = params[2];
    m_step = params[3];
    m_startColour = static_cast<std::uint32_t>(params[4]);
    m_endColour = static_cast<std::uint32_t>(params[5]);
    Armed();
    return 0;
}

std::int32_t XM_METHOD WaveTransCallback::Update(std::uint32_t now) {
    StartIfFirst(now);
    const std::uint32_t e = Elapsed(now);
    const std::uint32_t d = m_duration;
    const std::uint32_t elapsed = std::min(e, d);
    const std::uint32_t tri = e < m_half ? e : e < d ? d - e : 0;
    const std::int32_t* cosine = g_mathTables->CosFixed();
    const std::int64_t s =
        cosine[(static_cast<std::uint64_t>(tri) * 128 / m_half - 128) & 511];
    // Script words may be anything: products in 64 bits.
    m_amplitudeNow = static_cast<std::int32_t>(m_amplitude * s >> 16);
    const std::int64_t g = m_step;
    switch (m_mode) {
        case 0: m_rowStep = static_cast<std::int32_t>(g * s >> 16); break;
        case 1: m_rowStep = static_cast<std::int32_t>(g * (d - elapsed) / d); break;
        case 2: m_rowStep = static_cast<std::int32_t>(g * elapsed / d); break;
        default: m_rowStep = m_step; break;
    }
    if (m_mode <= 2) {
        m_startPhase = 0u - static_cast<std::uint32_t>(m_height / 2) *
                                static_cast<std::uint32_t>(m_rowStep);
    } else {
        m_startPhase = static_cast<std::uint32_t>(g * elapsed / d) *
                       static_cast<std::uint32_t>(m_amplitude);
    }
    m_ratio = std::min<std::uint32_t>(ClockProgress(elapsed, 255, d), 255);
    const std::int32_t w = m_ratio == 0 ? 0 : static_cast<std::int32_t>(m_ratio) + 1;
    std::uint32_t colour = m_startColour & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::int32_t a = (m_startColour >> shift) & 0xFF;
        const std::int32_t b = (m_endColour >> shift) & 0xFF;
        colour |= static_cast<std::uint32_t>(a + (b - a) * w / 256) << shift;
    }
    m_edgeColour = colour;
    return 0;
}

std::int32_t XM_METHOD WaveTransCallback::Draw(const TransitionBlit* b) {
    auto crossfade = BoundLibraryOp<pixelops::CrossfadeKernel>(pixelops::kWordCrossfadeLine);
    if (!crossfade) return 5;
    const std::int32_t* cosine = g_mathTables->CosFixed();
    const std::int32_t wt = b->target->Width();
    const std::int32_t left = b->areaX, right = b->areaX + b->width;
    for (std::int32_t i = 0; i < b->height; ++i) {
        const std::uint32_t c = m_startPhase + static_cast<std::uint32_t>(b->areaY + i) *
                                                   static_cast<std::uint32_t>(m_rowStep);
        const std::int64_t raw =
            std::int64_t{cosine[((c >> 9) - 128) & 511]} * m_amplitudeNow >> 16;
        // A shift past the width leaves the whole row to the edge colour.
        const std::int32_t shift = static_cast<std::int32_t>(std::clamp<std::int64_t>(raw, -wt, wt));
        auto* dst = reinterpret_cast<std::uint32_t*>(b->target->Row(b->targetY + i)) +
                    b->targetX - left;  // indexed by screen x
        auto fill = [&](std::int32_t from, std::int32_t to) {
            for (std::int32_t x = from; x < to; ++x) dst[x] = m_edgeColour;
        };
        if (shift > 0) fill(std::max(0, left), std::min(shift, right));
        if (shift < 0) fill(std::max(wt + shift, left), std::min(wt, right));
        const std::int32_t first = std::max(shift, left), last = std::min(wt + shift, right);
        if (first >= last) continue;
        const auto* from = reinterpret_cast<const std::uint32_t*>(b->from->Row(b->fromY + i)) +
                           b->fromX - left;
        const auto* to = reinterpret_cast<const std::uint32_t*>(b->to->Row(b->toY + i)) +
                         b->toX - left;
        if (m_ratio == 0 || m_ratio == 255) {
            // As the crossfade of whole rectangles: the ends are the pictures themselves.
            const std::uint32_t* whole = (m_ratio == 0 ? from : to) + first - shift;
            std::copy(whole, whole + (last - first), dst + first);
        } else {
            crossfade(dst + first, from + first - shift, to + first - shift, last - first,
                      m_ratio);
        }
    }
    return 0;
}
