// SpriteLoopEffect ("sp_loop"): scrolls a picture endlessly through a fixed window on a canvas.
// Two sprites show it: the first the window's part of the picture, the second, when the window
// runs past the picture's end, the part from the picture's start that follows.
//
// Setup words: 0 the picture's file name, 1 x, 2 y, 3 the window's length (0 or less: the
// whole picture), 4 opacity, 5 priority, 6 direction (0 horizontal, 1 horizontal the other way,
// 2 vertical, 3 vertical the other way), 7 the period of one cycle in ms (0 counts as 1), 8 the
// repeat count (0 or less: endless), 9 count the effect in the busy counter. Answers 1 (no
// scheduler or target), 2 (the picture cannot be loaded), 3 (Place refused it), 4 (the
// scheduler refused it), else 0. ChangeParams word 0: 0 stop at the end of the cycle; 1 show
// (word 1 nonzero) or hide; 2 move to (word 1, word 2); 3 opacity (word 1); a show or a move
// redraws at once. Finish leaves the sprites; deleting the effect takes them away.
//
// Offsets are worked out in 64 bits, so a long period over a long picture never wraps; after a
// long gap the cycle moves on by whole periods at once.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "effects/objects/effect_base.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"

class Canvas;

class SpriteLoopEffect : public WithDeletingDestructor<SpriteLoopEffect, EffectBase> {
public:
    static constexpr const char* kName = "sp_loop";

    std::int32_t XM_METHOD Kind() override { return 14001; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override {}
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 1; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    std::int32_t XM_METHOD ChangeParams(const std::int32_t* params) override;
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = ChangeParams(WordsFrom(rest));
        va_end(rest);
        return result;
    }
    // Puts both sprites on the canvas at the priority and shows the window at offset 0. 0; 1 no
    // canvas or no picture; 2 a window longer than the picture along the direction; 3 the
    // sprites cannot be placed. The picture stays the caller's.
    virtual std::int32_t XM_METHOD Place(Canvas* canvas, Image* image, std::int32_t x,
                                         std::int32_t y, std::int32_t window,
                                         std::uint8_t opacity, std::int32_t priority,
                                         std::uint8_t direction, std::uint32_t period,
                                         std::int32_t repeat);

    const Sprite& SpriteOf(int n) const { return m_sprite[n]; }
    std::int64_t Offset() const { return m_offset; }

private:
    void Draw(std::int64_t offset);
    bool Horizontal() const { return m_direction < 2; }

    // The picture comes before the sprites, which must go first.
    Image m_ownImage;
    Image* m_image = nullptr;
    Sprite m_sprite[2];
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_window = 0;
    std::uint8_t m_direction = 0;
    std::uint32_t m_period = 1;
    std::int32_t m_repeat = 0;
    std::uint32_t m_start = 0;
    bool m_started = false;
    std::int32_t m_length = 0;
    std::int64_t m_offset = -1;
    bool m_drawn = false;
    bool m_stop = false;
    bool m_visible = true;
};
