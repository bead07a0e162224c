// BgLoopEffect ("bg_loop"): scrolls the background through the canvas's cache in an endless
// cycle, the picture wrapping round at its end.
//
// Setup words: 0 direction (low byte: 0 the picture moves left, 1 right, 2 up, 3 down; above 3
// counts as 3), 1 period P of one cycle in ms (0 counts as 1), 2 cycles (0 or less: endless),
// 3 count in the busy counter. Codes: 1 no scheduler, canvas or 32-bit source picture; 2 the
// canvas's cache is in use or cannot be made; 3 a horizontal loop on a source narrower than
// the cache, 4 a vertical one on a source shorter than it; 5 the scheduler refused it. A Setup
// that fails after taking the cache drops it again.
//
// At time t in the cycle the offset is c = t x range / P (range: the source's width or
// height), the picture starting at c (directions 0 and 2) or range - c (1 and 3) along the
// loop; across the loop the canvas's source offset is kept (clamped into the source; rows or
// columns the source lacks get the canvas colour). At the end of a cycle the last one, or a
// stop request (ChangeParams word 0 = 0, honoured whether the cycles are counted or not),
// drops the cache and ends the effect with -1; Finish does the same. Each draw reads the cache
// and the source from the canvas again and does nothing once either is gone.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "effects/objects/bg_layer_cache.h"
#include "effects/objects/effect_base.h"

class Canvas;

class BgLoopEffect : public WithDeletingDestructor<BgLoopEffect, EffectBase> {
public:
    static constexpr const char* kName = "bg_loop";

    std::int32_t XM_METHOD Kind() override { return 14000; }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 0; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { m_cache.Release(true); }
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

    bool HoldsCache() const { return m_cache.Get() != nullptr; }

    ~BgLoopEffect() { m_cache.Release(true); }

private:
    bool Horizontal() const { return m_direction < 2; }
    void Draw(std::int64_t offset);

    Canvas* m_canvas = nullptr;
    BgLayerCache m_cache;
    std::uint8_t m_direction = 0;
    std::int64_t m_period = 1;
    std::int32_t m_cycles = 0;
    std::int64_t m_range = 0;
    bool m_started = false;
    std::uint32_t m_start = 0;
    bool m_drawn = false;
    std::int64_t m_offset = 0;
    bool m_stop = false;
};
