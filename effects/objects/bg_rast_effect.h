// BgRastEffect ("bg_rast"): shifts every row of the background sideways along a sine wave that
// travels with time (see BgWaveEffect for the cache, the envelope and the set-up codes).
//
// Setup words: 0 amplitude A (pixels), 1 wave length L (rows per full wave), 2 period P (ms
// per cycle in time), 3 sustain D (ms, 0 until asked to stop), 4 fade-in I, 5 fade-out O,
// 6 edge fill, 7 count in the busy counter. L and P of 0 count as 1. Codes 1-5 as the wave
// effects', 6 the scheduler refused it.
//
// At time t the angle is (t mod P) x 512 / P and row r's angle is angle + r x 512 / L, taken
// as a 16.16 value (r x 0x2000000 / L per row, so a quarter wave lands on its row exactly); the
// shift is m = a x sine(angle) in 16.16, a the envelope's amplitude. A row moves by the whole
// pixels of m, right for m above 0 and left below: a shift is the whole pixels of |m| with
// m's sign, so a shift smaller than one pixel either way leaves the row as it is and the wave
// stays symmetric. The pixels a shift uncovers get the canvas colour with edge fill and keep
// what the cache held without it; nothing is read from outside the row of the source window,
// so a shift of the cache's width or more uncovers the whole row.
#pragma once

#include <cstdint>

#include "effects/objects/bg_wave_effect.h"

class BgRastEffect : public WithDeletingDestructor<BgRastEffect, BgWaveEffect> {
public:
    static constexpr const char* kName = "bg_rast";

    const char* XM_METHOD Name() override { return kName; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;

    // The row's shift in pixels for amplitude a at a 16.16 angle (whole turns are 512 << 16).
    static std::int64_t RowShift(std::int64_t amplitude, std::int64_t angle16);

private:
    void DrawAt(std::int64_t t, std::int64_t amplitude) override;

    std::int64_t m_amplitude = 0;
    std::int64_t m_waveLength = 1;
    std::int64_t m_period = 1;
    bool m_drawn = false;
    std::int64_t m_lastAngle = 0;
    std::int64_t m_lastAmplitude = 0;
};
