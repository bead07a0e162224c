// SpriteGradientFadeEffect ("sp_gfade"): reveals a hidden image sprite from one edge over a
// duration, with an optional soft edge: the strip of the picture under the moving edge has its
// alpha scaled by a ramp, and the alpha found there is kept and put back byte for byte when the
// edge moves on and at the end.
//
// Setup words: 0 the sprite, 1 the duration in ms (0: the sprite is shown at once, answering
// -1), 2 the direction (0 from the left edge, 1 from the right, 2 from the top, 3 from the
// bottom; larger values count as 3), 3 the soft edge's width in pixels (0: a hard wipe), 4 the
// address of a decimal text with the easing exponent (null: 0). Answers 1 (no scheduler, no
// sprite), 3 (the ramp or the kept-alpha picture cannot be made, or a soft edge on a picture
// without 32-bit pixels), 5 (the scheduler refused it), else 0. Finish shows the whole sprite.
#pragma once

#include <windows.h>

#include <cstdint>

#include "effects/objects/effect_base.h"
#include "graphics/compose/gradient_table.h"
#include "graphics/image/image.h"

class Sprite;

class SpriteGradientFadeEffect final
    : public WithDeletingDestructor<SpriteGradientFadeEffect, EffectBase> {
public:
    static constexpr const char* kName = "sp_gfade";

    std::int32_t XM_METHOD Kind() override { return 14001; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { Complete(); }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 1; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;

    // The revealed amount b for eased elapsed time e (b = e x travel / duration, in 64 bits).
    void Reveal(std::uint32_t eased);
    std::uint8_t Direction() const { return m_direction; }
    std::int64_t Revealed() const { return m_last; }

private:
    void Complete();
    // Puts back the alpha kept from the last strip.
    void RestoreStrip();

    Sprite* m_sprite = nullptr;
    std::uint32_t m_duration = 0;
    std::uint8_t m_direction = 0;
    std::uint16_t m_width = 0;
    double m_exponent = 0.0;
    GradientTable m_ramp;
    Image m_kept;
    RECT m_source = {0, 0, 0, 0};
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_length = 0;
    std::int64_t m_travel = 0;
    std::int64_t m_last = 0;
    // The strip in picture coordinates; empty when nothing is kept.
    RECT m_strip = {0, 0, 0, 0};
    std::uint32_t m_start = 0;
    bool m_started = false;
    bool m_shown = false;
    bool m_done = false;
};
