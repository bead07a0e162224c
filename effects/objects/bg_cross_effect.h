// BgCrossEffect ("bg_cross"): fades the background of a screen into that of its linked screen
// and back, in the drawing canvas's cache, through the pixel-operation library's crossfade.
//
// Setup words: 0 period P of one back-and-forth in ms (0 counts as 1), 1 cycles (0 or less:
// endless), 2 mode (low byte: 1 mixes towards a snapshot of the other picture taken now, 2
// from a snapshot of the drawing canvas's own picture, else both live), 3 swap the roles (draw
// into the linked canvas and mix towards the target's picture), 4 count in the busy counter.
// Codes: 1 no scheduler, target canvas or 32-bit source picture; 3 the linked screen has no
// canvas with a 32-bit source, or the scheduler refused the effect; 4 the two pictures differ
// in size; 5 the drawing canvas's cache is in use or cannot be made (a snapshot that cannot be
// made too); 6 the pixel-operation library is not loaded. A Setup that fails after taking the
// cache drops it again.
//
// At time t in the period the level is t x 510 / P, run back above 255 (510 - level); the
// cache shows picture 1 mixed towards picture 2 at that level (0 picture 1, 255 picture 2),
// both read at the drawing canvas's source offset (clamped into the pictures). The pictures
// are read from the canvases at each draw; nothing is drawn while picture 2 is not of the
// pictures' size, once the cache is gone, or while the library is not loaded. At the end of a
// period the last cycle or a stop request (any ChangeParams) drops the cache and ends the
// effect with 1; Finish does the same.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "effects/objects/bg_layer_cache.h"
#include "effects/objects/effect_base.h"
#include "graphics/image/image.h"

class Canvas;

class BgCrossEffect : public WithDeletingDestructor<BgCrossEffect, EffectBase> {
public:
    static constexpr const char* kName = "bg_cross";

    std::int32_t XM_METHOD Kind() override { return 14000; }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 0; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { m_cache.Release(true); }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    std::int32_t XM_METHOD ChangeParams(const std::int32_t*) override {
        m_stop = true;
        return 0;
    }
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t, ...) override {
        m_stop = true;
        return 0;
    }

    bool HoldsCache() const { return m_cache.Get() != nullptr; }

    ~BgCrossEffect() { m_cache.Release(true); }

private:
    void Draw(std::int64_t level);

    Canvas* m_drawing = nullptr;
    Canvas* m_other = nullptr;
    BgLayerCache m_cache;
    Image m_own;
    std::uint8_t m_mode = 0;
    std::int64_t m_period = 1;
    std::int32_t m_cycles = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    bool m_started = false;
    std::uint32_t m_start = 0;
    bool m_drawn = false;
    std::int64_t m_level = 0;
    bool m_stop = false;
};
