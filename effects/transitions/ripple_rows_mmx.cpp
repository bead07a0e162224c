// The MMX pair: each pixel's four bytes in 16-bit lanes, from x (256 - ratio) + to x ratio, then
// the high byte; no lane can leave 16 bits, so the result is the plain one.
#include <mmintrin.h>

#include "effects/transitions/ripple_rows.h"

namespace {

template <bool kRight, bool kAbove>
void MmxRow(const RippleRun& r) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 wTo = _mm_set1_pi16(static_cast<short>(r.ratio));
    const __m64 wFrom = _mm_set1_pi16(static_cast<short>(256 - r.ratio));
    for (std::int32_t i = 0; i < r.count; ++i) {
        const std::int16_t e = r.displacement[r.polar[kRight ? i : -i]];
        const std::int32_t dx = static_cast<std::int8_t>(e >> 8), dy = static_cast<std::int8_t>(e);
        const std::int32_t sx = kRight ? r.x + i - dx : r.x + i + dx;
        const std::int32_t sy = kAbove ? r.y + dy : r.y - dy;
        const std::int32_t offset = sy * r.pitch + sx * 4;
        const __m64 a = _mm_unpacklo_pi8(
            _mm_cvtsi32_si64(*reinterpret_cast<const int*>(r.from + offset)), zero);
        const __m64 b = _mm_unpacklo_pi8(
            _mm_cvtsi32_si64(*reinterpret_cast<const int*>(r.to + offset)), zero);
        const __m64 sum = _mm_srli_pi16(
            _mm_add_pi16(_mm_mullo_pi16(a, wFrom), _mm_mullo_pi16(b, wTo)), 8);
        r.dst[i] = static_cast<std::uint32_t>(_mm_cvtsi64_si32(_mm_packs_pu16(sum, zero)));
    }
    _mm_empty();
}

}  // namespace

const RippleRowForm kRippleRowsMmx = {{MmxRow<true, true>, MmxRow<false, true>},
                                      {MmxRow<true, false>, MmxRow<false, false>}};
