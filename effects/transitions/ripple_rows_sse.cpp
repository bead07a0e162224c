// The extended-MMX pair: two pixels a step, their four bytes in 16-bit lanes as in the MMX pair
// (from x (256 - ratio) + to x ratio, then the high byte, so the same pixels), the weights
// spread with the extended shuffle. The unit is built for MMX only and the shuffle alone for the
// extensions: built for SSE as a whole, the compiler moves the loads through SSE registers and
// the stack.
#include <xmmintrin.h>

#include "effects/transitions/ripple_rows.h"

namespace {

template <bool kRight, bool kAbove>
inline std::int32_t Offset(const RippleRun& r, std::int32_t i) {
    const std::int16_t e = r.displacement[r.polar[kRight ? i : -i]];
    const std::int32_t dx = static_cast<std::int8_t>(e >> 8), dy = static_cast<std::int8_t>(e);
    const std::int32_t sx = kRight ? r.x + i - dx : r.x + i + dx;
    const std::int32_t sy = kAbove ? r.y + dy : r.y - dy;
    return sy * r.pitch + sx * 4;
}

inline __m64 Load(const std::uint8_t* p) {
    return _mm_cvtsi32_si64(*reinterpret_cast<const int*>(p));
}

// The value in all four lanes.
__attribute__((target("sse"))) __m64 Spread(std::int32_t v) {
    return _mm_shuffle_pi16(_mm_cvtsi32_si64(v), 0);
}

inline __m64 MixLanes(__m64 a, __m64 b, __m64 wFrom, __m64 wTo) {
    return _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(a, wFrom), _mm_mullo_pi16(b, wTo)), 8);
}

template <bool kRight, bool kAbove>
void ExtendedRow(const RippleRun& r) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 wTo = Spread(r.ratio);
    const __m64 wFrom = Spread(256 - r.ratio);
    std::int32_t i = 0;
    for (; i + 1 < r.count; i += 2) {
        const std::int32_t o0 = Offset<kRight, kAbove>(r, i), o1 = Offset<kRight, kAbove>(r, i + 1);
        const __m64 a = _mm_unpacklo_pi32(Load(r.from + o0), Load(r.from + o1));
        const __m64 b = _mm_unpacklo_pi32(Load(r.to + o0), Load(r.to + o1));
        const __m64 lo = MixLanes(_mm_unpacklo_pi8(a, zero), _mm_unpacklo_pi8(b, zero), wFrom, wTo);
        const __m64 hi = MixLanes(_mm_unpackhi_pi8(a, zero), _mm_unpackhi_pi8(b, zero), wFrom, wTo);
        *reinterpret_cast<__m64_u*>(r.dst + i) = _mm_packs_pu16(lo, hi);
    }
    if (i < r.count) {
        const std::int32_t o = Offset<kRight, kAbove>(r, i);
        const __m64 lane = MixLanes(_mm_unpacklo_pi8(Load(r.from + o), zero),
                                    _mm_unpacklo_pi8(Load(r.to + o), zero), wFrom, wTo);
        r.dst[i] = static_cast<std::uint32_t>(_mm_cvtsi64_si32(_mm_packs_pu16(lane, zero)));
    }
    _mm_empty();
}

}  // namespace

const RippleRowForm kRippleRowsExtended = {{ExtendedRow<true, true>, ExtendedRow<false, true>},
                                           {ExtendedRow<true, false>, ExtendedRow<false, false>}};
