#include "effects/objects/sprite_gradient_fade_effect.h"

#include <algorithm>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/motion/easing.h"
#include "graphics/image/pixel_buffer.h"
#include "graphics/sprites/sprite.h"

namespace {

// The sprite's picture when its pixels are 32-bit and can be reached, else null.
PixelBuffer* AlphaPixels(Sprite* sprite) {
    Surface* image = sprite->GetImage();
    if (!image || image->Kind() != kSurfacePixelBuffer) return nullptr;
    auto* pixels = static_cast<PixelBuffer*>(image);
    return pixels->Depth() == 32 && pixels->Bits() ? pixels : nullptr;
}

}  // namespace

std::int32_t XM_METHOD SpriteGradientFadeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer*,
                                                       const std::int32_t* params) {
    if (!scheduler || !params) return 1;
    Sprite* sprite = EffectWords()->ImageSprite(static_cast<std::uint32_t>(params[0]));
    if (!sprite) return 1;
    m_duration = static_cast<std::uint32_t>(params[1]);
    if (m_duration == 0) {
        sprite->SetVisible(1);
        return -1;
    }
    const auto direction = static_cast<std::uint32_t>(params[2]);
    m_direction = static_cast<std::uint8_t>(direction > 3 ? 3 : direction);
    m_width = static_cast<std::uint16_t>(params[3]);
    const char* exponent = EffectWords()->Text(static_cast<std::uint32_t>(params[4]));
    m_exponent = ReadEffectReal(
        static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(exponent)), 0.0);
    m_source = sprite->SourceRect();
    m_x = sprite->X();
    m_y = sprite->Y();
    const bool horizontal = m_direction < 2;
    m_length = horizontal ? m_source.right - m_source.left : m_source.bottom - m_source.top;
    m_travel = std::int64_t{m_length} + m_width;
    if (m_width > 0) {
        const bool falling = m_direction == 0 || m_direction == 2;
        if (!AlphaPixels(sprite) ||
            m_ramp.Build(m_width, falling ? 255 : 0, falling ? 0 : 255, 8) != 0) {
            return 3;
        }
        const std::int32_t across =
            horizontal ? m_source.bottom - m_source.top : m_source.right - m_source.left;
        if (m_kept.Create(horizontal ? m_width : across, horizontal ? across : m_width, 8, 0) != 0)
            return 3;
    }
    m_sprite = sprite;
    sprite->SetVisible(0);
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        sprite->SetVisible(1);
        m_sprite = nullptr;
        return 5;
    }
    // Word 4 does two things: it carries the exponent, and any non-null address there also
    // counts the effect in the busy counter, as the effect has always done.
    if (params[4]) OnCreated();
    return 0;
}

std::int32_t XM_METHOD SpriteGradientFadeEffect::Step(std::uint32_t now) {
    if (!m_sprite) return 1;
    if (!m_started) {
        m_started = true;
        m_start = now;
    }
    const std::uint32_t elapsed = now - m_start;
    if (elapsed >= m_duration) {
        Complete();
        return 1;
    }
    const double eased = EaseFraction(static_cast<double>(elapsed) / m_duration, m_exponent);
    Reveal(static_cast<std::uint32_t>(m_duration * eased));
    return 0;
}

void SpriteGradientFadeEffect::RestoreStrip() {
    PixelBuffer* pixels = AlphaPixels(m_sprite);
    if (!pixels || m_strip.right <= m_strip.left || m_strip.bottom <= m_strip.top) return;
    for (std::int32_t y = m_strip.top; y < m_strip.bottom; ++y) {
        std::uint8_t* row = pixels->Row(y);
        const std::uint8_t* kept = m_kept.Row(y - m_strip.top);
        for (std::int32_t x = m_strip.left; x < m_strip.right; ++x)
            row[4 * x + 3] = kept[x - m_strip.left];
    }
    m_sprite->InvalidateArea(m_strip);
    m_strip = {0, 0, 0, 0};
}

void SpriteGradientFadeEffect::Reveal(std::uint32_t eased) {
    if (!m_sprite || m_done) return;
    const std::int64_t b = std::int64_t{eased} * m_travel / m_duration;
    if (b <= 0 || b == m_last) return;
    if (!m_shown) {
        m_sprite->SetVisible(1);
        m_shown = true;
    } else if (m_width > 0) {
        RestoreStrip();
    }
    const RECT& s = m_source;
    const bool horizontal = m_direction < 2;
    const std::int64_t w = m_width;
    if (m_width > 0) {
        // Where the ramp's first entry lies along the direction.
        std::int64_t first = 0;
        switch (m_direction) {
        case 0: first = s.left + b - w; break;
        case 1: first = s.right - b; break;
        case 2: first = s.top + b - w; break;
        default: first = s.bottom - b; break;
        }
        const std::int64_t low = horizontal ? s.left : s.top;
        const std::int64_t high = horizontal ? s.right : s.bottom;
        const auto from = static_cast<std::int32_t>(std::max(first, low));
        const auto to = static_cast<std::int32_t>(std::min(first + w, high));
        PixelBuffer* pixels = AlphaPixels(m_sprite);
        if (pixels && from < to) {
            m_strip = horizontal ? RECT{from, s.top, to, s.bottom} : RECT{s.left, from, s.right, to};
            const auto* ramp = static_cast<const std::uint8_t*>(m_ramp.Entries());
            for (std::int32_t y = m_strip.top; y < m_strip.bottom; ++y) {
                std::uint8_t* row = pixels->Row(y);
                std::uint8_t* kept = m_kept.Row(y - m_strip.top);
                for (std::int32_t x = m_strip.left; x < m_strip.right; ++x) {
                    const std::uint8_t alpha = row[4 * x + 3];
                    kept[x - m_strip.left] = alpha;
                    const std::uint32_t weight = ramp[(horizontal ? x : y) - first];
                    row[4 * x + 3] = static_cast<std::uint8_t>((weight * alpha + 127) / 255);
                }
            }
            m_sprite->InvalidateArea(m_strip);
        }
        if (b > m_length) m_sprite->SetDirty(1);
    }
    const auto shown = static_cast<std::int32_t>(std::min<std::int64_t>(b, m_length));
    RECT cut = s;
    std::int32_t x = m_x, y = m_y;
    switch (m_direction) {
    case 0: cut.right = s.left + shown; break;
    case 1: cut.left = s.right - shown; x = m_x + m_length - shown; break;
    case 2: cut.bottom = s.top + shown; break;
    default: cut.top = s.bottom - shown; y = m_y + m_length - shown; break;
    }
    m_sprite->SetSourceRect(&cut);
    m_sprite->SetPosition(x, y);
    m_last = b;
}

void SpriteGradientFadeEffect::Complete() {
    if (!m_sprite || m_done) return;
    m_done = true;
    if (m_shown) {
        m_sprite->SetSourceRect(&m_source);
        m_sprite->SetPosition(m_x, m_y);
        if (m_width > 0) RestoreStrip();
        m_sprite->SetDirty(1);
    }
    // Shown even when the edge never moved far enough to show a first line.
    m_sprite->SetVisible(1);
}
