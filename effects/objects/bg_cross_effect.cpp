#include "effects/objects/bg_cross_effect.h"

#include <algorithm>

#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

namespace {

Image* SourcePicture(Canvas* canvas, std::int32_t* offsetX, std::int32_t* offsetY) {
    if (!canvas) return nullptr;
    Surface* surface = nullptr;
    canvas->GetBackground(&surface, offsetX, offsetY, nullptr, nullptr, nullptr);
    Image* image = dynamic_cast<Image*>(surface);
    return image && image->Bits() && image->Depth() == 32 ? image : nullptr;
}

// A copy of the whole picture; false when it cannot be made.
bool Snapshot(Image* into, Image* picture) {
    if (into->Create(picture->Width(), picture->Height(), 32, 0) != 0 || !into->Bits())
        return false;
    for (std::int32_t y = 0; y < picture->Height(); ++y)
        std::copy_n(picture->Row(y), static_cast<std::size_t>(picture->Width()) * 4,
                    into->Row(y));
    return true;
}

}  // namespace

std::int32_t XM_METHOD BgCrossEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                            const std::int32_t* params) {
    Canvas* canvas = target ? target->GetCanvas() : nullptr;
    if (!scheduler || !params || !SourcePicture(canvas, nullptr, nullptr)) return 1;
    if (!CurrentPixelOpLibrary()) return 6;
    m_mode = static_cast<std::uint8_t>(params[2]);
    ScreenBuffer* linked = target->GetAlternate();
    Canvas* other = linked ? linked->GetCanvas() : nullptr;
    if (!SourcePicture(other, nullptr, nullptr)) return 3;
    if (params[3]) std::swap(canvas, other);
    Image* own = SourcePicture(canvas, nullptr, nullptr);
    Image* theirs = SourcePicture(other, nullptr, nullptr);
    if (own->Width() != theirs->Width() || own->Height() != theirs->Height()) return 4;
    const std::int32_t taken = m_cache.Take(canvas, 5, 5);
    if (taken != 0) return taken;
    if ((m_mode == 1 && !Snapshot(&m_own, theirs)) || (m_mode == 2 && !Snapshot(&m_own, own))) {
        m_cache.Release(true);
        return 5;
    }
    m_drawing = canvas;
    m_other = other;
    m_width = own->Width();
    m_height = own->Height();
    Draw(0);
    m_period = params[0] == 0 ? 1 : params[0];
    m_cycles = params[1] > 0 ? params[1] : 0;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        m_cache.Release(true);
        return 3;
    }
    if (params[4]) OnCreated();
    return 0;
}

std::int32_t XM_METHOD BgCrossEffect::Step(std::uint32_t now) {
    if (!m_drawing) return 1;
    if (!m_started) {
        m_started = true;
        m_start = now;
    }
    std::int64_t t = static_cast<std::uint32_t>(now - m_start);
    const std::int64_t period = m_period < 0 ? -m_period : m_period;
    if (t >= period) {
        if (m_stop || m_cycles == 1) {
            m_cache.Release(true);
            return 1;
        }
        if (m_cycles > 1) --m_cycles;
        const std::int64_t whole = t / period * period;
        m_start += static_cast<std::uint32_t>(whole);
        t -= whole;
    }
    std::int64_t level = t * 510 / period;
    if (level > 255) level = 510 - level;
    Draw(level);
    return 0;
}

void BgCrossEffect::Draw(std::int64_t level) {
    if (m_drawn && level == m_level) return;
    Image* cache = m_cache.Get();
    std::int32_t x = 0, y = 0;
    Image* drawn = SourcePicture(m_drawing, &x, &y);
    Image* other = SourcePicture(m_other, nullptr, nullptr);
    if (!cache || !drawn || !other || !CurrentPixelOpLibrary()) return;
    if (drawn->Width() != m_width || drawn->Height() != m_height ||
        other->Width() != m_width || other->Height() != m_height)
        return;
    Image* picture1 = m_mode == 2 ? &m_own : drawn;
    Image* picture2 = m_mode == 1 ? &m_own : other;
    const std::int32_t w = std::min(cache->Width(), m_width);
    const std::int32_t h = std::min(cache->Height(), m_height);
    x = std::clamp(x, 0, m_width - w);
    y = std::clamp(y, 0, m_height - h);
    if (cache->Crossfade(picture1, picture2, static_cast<std::uint32_t>(level), 0, 0, 0, w, h, x,
                         y, x, y) != 0)
        return;
    m_drawn = true;
    m_level = level;
    m_drawing->InvalidateAll();
}
