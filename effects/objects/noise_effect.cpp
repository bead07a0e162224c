#include "effects/objects/noise_effect.h"

#include <exception>

#include "effects/objects/subtractive_random.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

std::int32_t XM_METHOD NoiseEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                          const std::int32_t* params) {
    if (!EffectRandom() || !scheduler || !target || !params) return 1;
    Canvas* canvas0 = target->GetCanvas();
    ScreenBuffer* linked = target->GetAlternate();
    Canvas* canvas1 = linked ? linked->GetCanvas() : nullptr;
    Image* picture = target->GetImage();
    if (!canvas0 || !canvas1) return 2;
    try {
        if (m_noise.Load(kPicture, nullptr, 0, 0) != 0 || !m_noise.Bits()) return 3;
        // The ring is read as 32-bit pixels.
        if (m_noise.Depth() != 32 && m_noise.ConvertDepth(32) != 0) return 3;
        m_target = target;
        m_shown[0] = params[2] != 0;
        m_shown[1] = params[3] != 0;
        if (!picture || m_working.Create(picture->Width(), picture->Height(), 32, 0) != 0)
            return 4;
        Canvas* canvases[2] = {canvas0, canvas1};
        for (int n = 0; n < 2; ++n) {
            Sprite& sprite = m_sprite[n];
            if (sprite.SetImage(&m_working, nullptr, 0, 0) != 0) return 4;
            sprite.SetAlpha(static_cast<std::uint8_t>(params[0]));
            if (canvases[n]->Sprites().Add(&sprite, static_cast<std::uint32_t>(params[1]), 0) != 0)
                return 4;
            sprite.SetVisible(m_shown[n] ? 1 : 0);
        }
        Render();
        if (scheduler->Add(this, 100, 100, 0) != TaskScheduler::kAdded) return 5;
    } catch (const std::exception&) {
        return 5;
    }
    return 0;
}

void NoiseEffect::Render() {
    const std::int32_t ringWidth = m_noise.Width();
    const std::uint32_t ring = static_cast<std::uint32_t>(ringWidth) *
                               static_cast<std::uint32_t>(m_noise.Height());
    if (ring == 0) return;
    std::uint32_t index = EffectRandom()->Next() % ring;
    for (std::int32_t y = 0; y < m_working.Height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(m_working.Row(y));
        for (std::int32_t x = 0; x < m_working.Width(); ++x) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(
                m_noise.Row(static_cast<std::int32_t>(index / ringWidth)));
            row[x] = from[index % ringWidth];
            if (++index == ring) index = 0;
        }
    }
    for (int n = 0; n < 2; ++n)
        if (m_shown[n]) m_sprite[n].SetDirty(1);
}

std::int32_t XM_METHOD NoiseEffect::Step(std::uint32_t) {
    if (EffectRandom()) Render();
    return 0;
}

void XM_METHOD NoiseEffect::Finish() {
    for (int n = 0; n < 2; ++n)
        if (m_shown[n]) m_sprite[n].SetVisible(0);
}

std::int32_t XM_METHOD NoiseEffect::ChangeParams(const std::int32_t* params) {
    if (!params) return -1;
    // Canvases may have been swapped between the two screens since Setup: the sprite in the
    // target's canvas takes word 0 whichever it is.
    Canvas* canvas0 = m_target ? m_target->GetCanvas() : nullptr;
    const bool swapped = canvas0 && m_sprite[1].List() == &canvas0->Sprites();
    m_shown[swapped ? 1 : 0] = params[0] != 0;
    m_shown[swapped ? 0 : 1] = params[1] != 0;
    for (int n = 0; n < 2; ++n) m_sprite[n].SetVisible(m_shown[n] ? 1 : 0);
    return 0;
}
