#include <mmintrin.h>

#include "graphics/text/glyph_maths.h"

void ScaleLevelsMmx(std::uint8_t* bits, std::int32_t pitch, std::int32_t width,
                    std::int32_t height, std::int32_t level) {
    // Doubling with unsigned saturation k times is min(255, v << k) exactly.
    const int doublings = level == 1 ? 4 : 2;
    for (std::int32_t r = 0; r < height; ++r) {
        std::uint8_t* row = bits + r * pitch;
        std::int32_t c = 0;
        for (; c + 8 <= width; c += 8) {
            __m64 v = *reinterpret_cast<__m64_u*>(row + c);
            for (int i = 0; i < doublings; ++i) {
                v = _mm_adds_pu8(v, v);
            }
            *reinterpret_cast<__m64_u*>(row + c) = v;
        }
        for (; c < width; ++c) {
            const int v = row[c] << doublings;
            row[c] = static_cast<std::uint8_t>(v > 255 ? 255 : v);
        }
    }
    _mm_empty();
}

void AccumulateRowMmx(std::uint8_t* out, const std::uint8_t* src, std::int32_t count,
                      std::int32_t weight) {
    const __m64 w = _mm_set1_pi16(static_cast<short>(weight));
    const __m64 zero = _mm_setzero_si64();
    std::int32_t c = 0;
    for (; c + 8 <= count; c += 8) {
        const __m64 s = *reinterpret_cast<const __m64_u*>(src + c);
        // Coverage <= 255 and weight <= 32767: the signed high product is (s * w) >> 16.
        const __m64 lo = _mm_mulhi_pi16(_mm_unpacklo_pi8(s, zero), w);
        const __m64 hi = _mm_mulhi_pi16(_mm_unpackhi_pi8(s, zero), w);
        __m64 d = *reinterpret_cast<__m64_u*>(out + c);
        d = _mm_adds_pu8(d, _mm_packs_pu16(lo, hi));
        *reinterpret_cast<__m64_u*>(out + c) = d;
    }
    for (; c < count; ++c) {
        const int v = out[c] + ((src[c] * weight) >> 16);
        out[c] = static_cast<std::uint8_t>(v > 255 ? 255 : v);
    }
    _mm_empty();
}
