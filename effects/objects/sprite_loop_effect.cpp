#include "effects/objects/sprite_loop_effect.h"

#include "effects/interfaces/effect_word_resolver.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

std::int32_t XM_METHOD SpriteLoopEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                               const std::int32_t* params) {
    if (!scheduler || !target || !params) return 1;
    const char* name = EffectWords()->Text(static_cast<std::uint32_t>(params[0]));
    if (!name || m_ownImage.Load(name, nullptr, 0, 0) != 0 || !m_ownImage.Bits()) return 2;
    if (Place(target->GetCanvas(), &m_ownImage, params[1], params[2], params[3],
              static_cast<std::uint8_t>(params[4]), params[5],
              static_cast<std::uint8_t>(params[6]), static_cast<std::uint32_t>(params[7]),
              params[8]) != 0) {
        return 3;
    }
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) return 4;
    if (params[9]) OnCreated();
    return 0;
}

std::int32_t XM_METHOD SpriteLoopEffect::Place(Canvas* canvas, Image* image, std::int32_t x,
                                               std::int32_t y, std::int32_t window,
                                               std::uint8_t opacity, std::int32_t priority,
                                               std::uint8_t direction, std::uint32_t period,
                                               std::int32_t repeat) {
    if (!canvas || !image || !image->Bits()) return 1;
    m_direction = direction > 3 ? 3 : direction;
    m_length = Horizontal() ? image->Width() : image->Height();
    if (window <= 0) window = m_length;
    if (window > m_length) return 2;
    m_image = image;
    m_x = x;
    m_y = y;
    m_window = window;
    m_period = period == 0 ? 1 : period;
    m_repeat = repeat;
    for (Sprite& sprite : m_sprite) {
        if (sprite.SetImage(image, nullptr, x, y) != 0) return 3;
        sprite.SetAlpha(opacity);
        if (canvas->Sprites().Add(&sprite, static_cast<std::uint32_t>(priority), 0) != 0)
            return 3;
    }
    m_sprite[1].SetVisible(0);
    m_drawn = false;
    Draw(0);
    return 0;
}

std::int32_t XM_METHOD SpriteLoopEffect::Step(std::uint32_t now) {
    if (!m_image) return 5;
    if (!m_started) {
        m_started = true;
        m_start = now;
    }
    std::uint32_t elapsed = now - m_start;
    if (elapsed >= m_period) {
        if (m_repeat > 0) {
            if (m_repeat == 1) return -1;
            --m_repeat;
        } else if (m_stop) {
            return -1;
        }
        // Whole periods at once; the cycle goes on from where it is within the present one.
        const std::uint32_t periods = elapsed / m_period;
        m_start += periods * m_period;
        elapsed -= periods * m_period;
    }
    Draw(std::int64_t{elapsed} * m_length / m_period);
    return 0;
}

void SpriteLoopEffect::Draw(std::int64_t offset) {
    if (!m_image) return;
    if (!m_visible) {
        // Drawn when shown again.
        m_offset = offset;
        m_drawn = false;
        return;
    }
    if (m_drawn && offset == m_offset) return;
    m_offset = offset;
    m_drawn = true;
    std::int64_t c = offset == m_length ? 0 : offset;
    if (m_direction & 1) c = m_length - c;
    if (c >= m_length) c = 0;  // the reversed start shows the same picture as offset 0
    const auto from = static_cast<std::int32_t>(c);
    const std::int64_t end = c + m_window;
    const bool split = end > m_length;
    const std::int32_t W = m_image->Width(), H = m_image->Height();
    const auto first = static_cast<std::int32_t>(split ? m_length : end);
    const RECT part = Horizontal() ? RECT{from, 0, first, H} : RECT{0, from, W, first};
    m_sprite[0].SetSourceRect(&part);
    m_sprite[0].SetPosition(m_x, m_y);
    if (!split) {
        m_sprite[1].SetVisible(0);
        return;
    }
    const auto rest = static_cast<std::int32_t>(end - m_length);
    const RECT wrap = Horizontal() ? RECT{0, 0, rest, H} : RECT{0, 0, W, rest};
    m_sprite[1].SetSourceRect(&wrap);
    const std::int32_t after = m_length - from;
    if (Horizontal()) m_sprite[1].SetPosition(m_x + after, m_y);
    else m_sprite[1].SetPosition(m_x, m_y + after);
    m_sprite[1].SetVisible(1);
}

std::int32_t XM_METHOD SpriteLoopEffect::ChangeParams(const std::int32_t* params) {
    if (!m_image || !params) return 1;
    switch (params[0]) {
    case 0: m_stop = true; break;
    case 1:
        m_visible = params[1] != 0;
        if (m_visible) {
            m_sprite[0].SetVisible(1);
            m_drawn = false;
            Draw(m_offset < 0 ? 0 : m_offset);
        } else {
            m_sprite[0].SetVisible(0);
            m_sprite[1].SetVisible(0);
        }
        break;
    case 2:
        m_x = params[1];
        m_y = params[2];
        m_drawn = false;
        Draw(m_offset < 0 ? 0 : m_offset);
        break;
    case 3:
        for (Sprite& sprite : m_sprite) sprite.SetAlpha(static_cast<std::uint8_t>(params[1]));
        break;
    default: break;
    }
    return 0;
}
