#include "effects/objects/bg_wave_effect.h"

#include <algorithm>
#include <cstring>

#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

void BgFadeEnvelope::Set(std::int64_t full, std::int32_t fadeIn, std::int32_t sustain,
                         std::int32_t fadeOut) {
    m_full = full;
    m_fadeIn = fadeIn;
    m_sustain = sustain;
    m_fadeOut = fadeOut;
    m_phase = kFadingIn;
    m_value = 0;
}

bool BgFadeEnvelope::Advance(std::int64_t t, std::int64_t* value) {
    if (m_phase == kFadingIn) {
        if (t < m_fadeIn) {
            m_value = m_full * t / m_fadeIn;
        } else {
            m_phase = kSustaining;
        }
    }
    if (m_phase == kSustaining) {
        m_value = m_full;
        if (m_sustain != 0 && t - m_fadeIn >= m_sustain) {
            m_from = m_full;
            m_phase = kStopAsked;
        }
    }
    if (m_phase == kStopAsked) {
        m_phase = kFadingOut;
        m_fadeStart = t;
    }
    if (m_phase == kFadingOut) {
        const std::int64_t gone = t - m_fadeStart;
        if (gone >= m_fadeOut) return false;
        m_value = m_from - m_from * gone / m_fadeOut;
    }
    *value = m_value;
    return true;
}

std::int32_t BgFadeEnvelope::Stop() {
    if (m_phase == kStopAsked || m_phase == kFadingOut) return 1;
    m_from = m_phase == kSustaining ? m_full : m_value;
    m_phase = kStopAsked;
    return 0;
}

void CopyPixels(std::uint32_t* to, const std::uint32_t* from, std::int64_t count) {
    if (count > 0) std::memmove(to, from, static_cast<std::size_t>(count) * 4);
}

void FillPixels(std::uint32_t* to, std::uint32_t colour, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) to[i] = colour;
}

namespace {

// The 32-bit picture the canvas shows as its background now, or null.
Image* SourcePicture(Canvas* canvas, std::int32_t* offsetX, std::int32_t* offsetY) {
    Surface* surface = nullptr;
    canvas->GetBackground(&surface, offsetX, offsetY, nullptr, nullptr, nullptr);
    Image* image = dynamic_cast<Image*>(surface);
    return image && image->Bits() && image->Depth() == 32 ? image : nullptr;
}

}  // namespace

std::int32_t BgWaveEffect::TakeCache(TaskScheduler* scheduler, ScreenBuffer* target,
                                     bool edgeFill) {
    if (!g_mathTables || !g_mathTables->CosFixed()) return 1;
    Canvas* canvas = target ? target->GetCanvas() : nullptr;
    if (!scheduler || !canvas || !SourcePicture(canvas, nullptr, nullptr)) return 2;
    const std::int32_t taken = m_cache.Take(canvas, 3, 4);
    if (taken != 0) return taken;
    m_canvas = canvas;
    m_edgeFill = edgeFill;
    BgSourceWindow w;
    if (!Window(&w)) {
        m_cache.Release(true);
        return 5;
    }
    if (!edgeFill) {
        for (std::int32_t r = 0; r < w.height; ++r)
            CopyPixels(reinterpret_cast<std::uint32_t*>(w.cache->Row(r)),
                       reinterpret_cast<const std::uint32_t*>(w.source->Row(w.y + r)) + w.x,
                       w.width);
    }
    return 0;
}

std::int32_t BgWaveEffect::Join(TaskScheduler* scheduler, std::int32_t count,
                                std::int32_t failCode) {
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        m_cache.Release(true);
        return failCode;
    }
    if (count) OnCreated();
    return 0;
}

bool BgWaveEffect::Window(BgSourceWindow* out) {
    Image* cache = m_cache.Get();
    if (!cache || !cache->Bits() || cache->Depth() != 32) return false;
    std::int32_t x = 0, y = 0;
    Image* source = SourcePicture(m_canvas, &x, &y);
    if (!source) return false;
    const std::int32_t w = cache->Width(), h = cache->Height();
    if (w > source->Width() || h > source->Height()) return false;
    out->cache = cache;
    out->source = source;
    out->x = std::clamp(x, 0, source->Width() - w);
    out->y = std::clamp(y, 0, source->Height() - h);
    out->width = w;
    out->height = h;
    return true;
}

std::int32_t XM_METHOD BgWaveEffect::Step(std::uint32_t now) {
    if (!m_canvas) return 1;
    if (!m_started) {
        m_started = true;
        m_start = now;
    }
    const std::int64_t t = static_cast<std::uint32_t>(now - m_start);
    std::int64_t value = 0;
    if (!m_envelope.Advance(t, &value)) {
        m_cache.Release(true);
        return 1;
    }
    DrawAt(t, value);
    return 0;
}
