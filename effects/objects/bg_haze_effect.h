// BgHazeEffect ("bg_haze"): a heat shimmer. Each row is displaced along its diagonal by an
// entry of a periodic table built from wave triples (see BgWaveEffect for the cache, the
// envelope and the set-up codes; the envelope's strength runs from 0 to 512).
//
// Setup words: 0 the wave text, 1 the table length N, 2 period P (0 counts as 1), 3 sustain D,
// 4 fade-in I, 5 fade-out O, 6 edge fill, 7 count in the busy counter. Codes: 1 no cosine
// table; 2 no scheduler, canvas or 32-bit source, or no table (N of 0 or less, a text without
// "(", no memory); 3-5 as the wave effects'; 7 the scheduler refused it.
//
// At time t the table index is (t mod P) x N / P; row r takes d = table[(index + r) mod N] and
// l = s x d >> 9 at strength s, and pixel (x, r) shows source pixel (x + l, r + l) of the
// source window. A position outside the window leaves the pixel as the cache held it, or with
// edge fill paints the canvas colour.
#pragma once

#include <cstdint>
#include <vector>

#include "effects/objects/bg_wave_effect.h"

// Builds the displacement table of N entries from the triples "(f, p, a)" of the text: entry j
// is the mean over the triples of a x cos((f x j x 512 / N + p) mod 512) in 16.16, shifted down
// to whole pixels. The triples are as many as the "(" of the text (a Shift-JIS lead byte takes
// the byte after it along, and a lead byte in last place ends the text); each reads three
// integers, a missing one being 0. 0 built; 2 null text, no "(", N of 0 or less, or no memory
// for the table (out is then left as it was).
std::int32_t BuildHazeTable(const char* text, std::int32_t n, std::vector<std::int32_t>* out);

class BgHazeEffect : public WithDeletingDestructor<BgHazeEffect, BgWaveEffect> {
public:
    static constexpr const char* kName = "bg_haze";

    const char* XM_METHOD Name() override { return kName; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;

    const std::vector<std::int32_t>& Table() const { return m_table; }

private:
    void DrawAt(std::int64_t t, std::int64_t strength) override;

    std::vector<std::int32_t> m_table;
    std::int64_t m_period = 1;
    bool m_drawn = false;
    std::int64_t m_lastIndex = 0;
    std::int64_t m_lastStrength = 0;
};
