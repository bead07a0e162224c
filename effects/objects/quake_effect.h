// QuakeEffect ("quake"): shakes the pictures of the target screen's canvas and of its linked
// screen's canvas by moving their source position, or, in fill mode, by drawing a shifted copy
// of the source into each canvas's cached background with the uncovered strips filled in the
// canvas's fill value. The shake follows a sine wave (a number of half waves over a duration,
// or waves of a given length until stopped) or random jitter, scaled down towards an end scale
// over the duration. Ending, by itself or by cancel, puts every source position back and drops
// the caches.
//
// Parameter words: 0 wave value (0 random; with a duration the half waves over it; without, the
// wave length in ms), 1 x amplitude, 2 y amplitude, 3 duration in ms (0 until stopped), 4 the
// address of the end scale's decimal text (null 0), 5 fill mode, 6 shake canvas 0, 7 shake
// canvas 1, 8 count the effect as busy. ChangeParams with word 0 = 0 asks a shake without
// duration to stop: at the end of its current wave, or at the next step for random jitter.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "effects/objects/effect_base.h"

class Canvas;

class QuakeEffect final : public WithDeletingDestructor<QuakeEffect, EffectBase> {
public:
    static constexpr const char* kName = "quake";

    std::int32_t XM_METHOD Kind() override { return 14003; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { Restore(); }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 3; }
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

private:
    void Move(int n, std::int32_t ox, std::int32_t oy);
    void Restore();
    bool Shakes(int n) const { return m_shake[n]; }

    Canvas* m_canvas[2] = {nullptr, nullptr};
    bool m_fill = false;
    bool m_shake[2] = {false, false};
    std::uint32_t m_duration = 0;
    // Word 0 times 256 with a duration (kept in 64 bits: the product leaves 32 bits), else the
    // wave length in ms.
    std::int64_t m_wave = 0;
    double m_ampX = 0.0;
    double m_ampY = 0.0;
    double m_endScale = 0.0;
    std::int32_t m_savedX[2] = {0, 0};
    std::int32_t m_savedY[2] = {0, 0};
    std::uint32_t m_start = 0;
    bool m_firstStep = false;
    bool m_sign = false;
    std::uint8_t m_stop = 0;  // 0 running, 1 stop requested, 2 stop now
};
