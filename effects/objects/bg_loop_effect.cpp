#include "effects/objects/bg_loop_effect.h"

#include <algorithm>

#include "effects/objects/bg_wave_effect.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

namespace {

Image* SourcePicture(Canvas* canvas, std::int32_t* offsetX, std::int32_t* offsetY) {
    Surface* surface = nullptr;
    canvas->GetBackground(&surface, offsetX, offsetY, nullptr, nullptr, nullptr);
    Image* image = dynamic_cast<Image*>(surface);
    return image && image->Bits() && image->Depth() == 32 ? image : nullptr;
}

}  // namespace

std::int32_t XM_METHOD BgLoopEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                           const std::int32_t* params) {
    Canvas* canvas = target ? target->GetCanvas() : nullptr;
    if (!scheduler || !params || !canvas) return 1;
    Image* source = SourcePicture(canvas, nullptr, nullptr);
    if (!source) return 1;
    const auto direction = static_cast<std::uint8_t>(params[0]);
    m_direction = direction > 3 ? 3 : direction;
    const std::int32_t taken = m_cache.Take(canvas, 2, 2);
    if (taken != 0) return taken;
    m_canvas = canvas;
    Image* cache = m_cache.Get();
    if (Horizontal() && source->Width() < cache->Width()) {
        m_cache.Release(true);
        return 3;
    }
    if (!Horizontal() && source->Height() < cache->Height()) {
        m_cache.Release(true);
        return 4;
    }
    m_range = Horizontal() ? source->Width() : source->Height();
    m_period = params[1] == 0 ? 1 : params[1];
    m_cycles = params[2] > 0 ? params[2] : 0;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        m_cache.Release(true);
        return 5;
    }
    if (params[3]) OnCreated();
    return 0;
}

std::int32_t XM_METHOD BgLoopEffect::ChangeParams(const std::int32_t* params) {
    if (!params) return 1;
    if (params[0] == 0) m_stop = true;
    return 0;
}

std::int32_t XM_METHOD BgLoopEffect::Step(std::uint32_t now) {
    if (!m_canvas) return -1;
    if (!m_started) {
        m_started = true;
        m_start = now;
    }
    std::int64_t t = static_cast<std::uint32_t>(now - m_start);
    const std::int64_t period = m_period < 0 ? -m_period : m_period;
    if (t >= period) {
        if (m_stop || m_cycles == 1) {
            m_cache.Release(true);
            return -1;
        }
        if (m_cycles > 1) --m_cycles;
        // Whole cycles at once; the loop goes on from where it is within the present one.
        const std::int64_t whole = t / period * period;
        m_start += static_cast<std::uint32_t>(whole);
        t -= whole;
    }
    Draw(t * m_range / period);
    return 0;
}

void BgLoopEffect::Draw(std::int64_t offset) {
    if (m_drawn && offset == m_offset) return;
    Image* cache = m_cache.Get();
    std::int32_t sx = 0, sy = 0;
    Image* source = SourcePicture(m_canvas, &sx, &sy);
    if (!cache || !source || cache->Depth() != 32) return;
    const std::int64_t range = Horizontal() ? source->Width() : source->Height();
    if (range != m_range) return;
    m_drawn = true;
    m_offset = offset;
    std::int64_t c = offset == m_range ? 0 : offset;
    if (m_direction & 1) c = m_range - c;
    if (c >= m_range) c = 0;
    const std::int32_t w = cache->Width(), h = cache->Height();
    const std::int32_t sw = source->Width(), sh = source->Height();
    const std::uint32_t fill = m_canvas->Colour();
    if (Horizontal()) {
        const std::int32_t y0 = std::clamp(sy, 0, sh > h ? sh - h : 0);
        for (std::int32_t r = 0; r < h; ++r) {
            auto* to = reinterpret_cast<std::uint32_t*>(cache->Row(r));
            if (y0 + r >= sh) {
                FillPixels(to, fill, w);
                continue;
            }
            const auto* from = reinterpret_cast<const std::uint32_t*>(source->Row(y0 + r));
            const std::int64_t first = std::min<std::int64_t>(w, m_range - c);
            CopyPixels(to, from + c, first);
            CopyPixels(to + first, from, w - first);
        }
    } else {
        const std::int32_t x0 = std::clamp(sx, 0, sw > w ? sw - w : 0);
        const std::int64_t across = std::min<std::int64_t>(w, sw - x0);
        for (std::int32_t r = 0; r < h; ++r) {
            auto* to = reinterpret_cast<std::uint32_t*>(cache->Row(r));
            const auto row = static_cast<std::int32_t>((c + r) % m_range);
            CopyPixels(to, reinterpret_cast<const std::uint32_t*>(source->Row(row)) + x0, across);
            FillPixels(to + across, fill, w - across);
        }
    }
    m_canvas->InvalidateAll();
}
