// MMX forms of the add, subtract, multiply, darken, lighten and screen row kernels
// (words 109-120, 125, 126, 129, 130, 133-136).
//
// Add, subtract, minimum and maximum stay on packed bytes with saturating arithmetic; only the
// multiplying modes widen to 16-bit lanes. The hold-alpha forms keep the destination alpha by
// masking the source's alpha out, or by giving the alpha lane a factor of 256.
#include "pixelops/kernels/mmx_lanes.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

__m64 ColourOnly(__m64 v) {
    return _mm_and_si64(v, Const(kColourBytes));
}
// Lane values with the alpha lane replaced by 256, so that a product shifted by 8 returns the
// other factor's alpha.
__m64 AlphaLaneUnit(__m64 lanes) {
    return _mm_or_si64(_mm_and_si64(lanes, Const(kColourLanes)), Const(kAlphaLane256));
}

void QMXGL_CALL AddBlendLineMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count, [](__m64 d, __m64 s) { return _mm_adds_pu8(d, s); });
}
void QMXGL_CALL AddBlendLineHoldAlphaMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count, [](__m64 d, __m64 s) { return _mm_adds_pu8(d, ColourOnly(s)); });
}
void QMXGL_CALL AddBlendLineOpacityMmx(Pixel* dst, const Pixel* src, std::int32_t count,
                                       std::uint32_t opacity) {
    const __m64 w = Lanes(opacity & 0xFF, opacity & 0xFF, opacity & 0xFF, 0);
    Walk(dst, src, count, [w](__m64 d, __m64 s) {
        return _mm_adds_pu8(d, Pack(ScaleDown(Lo(s), w), ScaleDown(Hi(s), w)));
    });
}
void QMXGL_CALL SubBlendLineMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count, [](__m64 d, __m64 s) { return _mm_subs_pu8(d, Not(s)); });
}
void QMXGL_CALL SubBlendLineHoldAlphaMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count, [](__m64 d, __m64 s) { return _mm_subs_pu8(d, ColourOnly(Not(s))); });
}
void QMXGL_CALL SubBlendLineOpacityMmx(Pixel* dst, const Pixel* src, std::int32_t count,
                                       std::uint32_t opacity) {
    const __m64 w = Lanes(opacity & 0xFF, opacity & 0xFF, opacity & 0xFF, 0);
    Walk(dst, src, count, [w](__m64 d, __m64 s) {
        const __m64 inverse = Not(s);
        return _mm_subs_pu8(d, Pack(ScaleDown(Lo(inverse), w), ScaleDown(Hi(inverse), w)));
    });
}

template <bool Hold>
void Multiply(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count, [](__m64 d, __m64 s) {
        return PerPixel(
            d, s, [](__m64 dl, __m64 sl) { return ScaleDown(dl, Hold ? AlphaLaneUnit(sl) : sl); });
    });
}
// The faded source 255 - floor((255 - s) op / 256) as ((255 - s) op) XOR 0xFFFF, shifted.
template <bool Hold>
void MultiplyOpacity(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity) {
    const __m64 w = Splat(static_cast<int>(opacity & 0xFF));
    Walk(dst, src, count, [w](__m64 d, __m64 s) {
        return PerPixel(d, s, [w](__m64 dl, __m64 sl) {
            const __m64 product = _mm_mullo_pi16(_mm_sub_pi16(Splat(255), sl), w);
            const __m64 faded = _mm_srli_pi16(_mm_xor_si64(product, Splat(0xFFFF)), 8);
            return ScaleDown(dl, Hold ? AlphaLaneUnit(faded) : faded);
        });
    });
}
void QMXGL_CALL MulBlendLineMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Multiply<false>(dst, src, count);
}
void QMXGL_CALL MulBlendLineHoldAlphaMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Multiply<true>(dst, src, count);
}
void QMXGL_CALL MulBlendLineOpacityMmx(Pixel* dst, const Pixel* src, std::int32_t count,
                                       std::uint32_t opacity) {
    MultiplyOpacity<false>(dst, src, count, opacity);
}
void QMXGL_CALL MulBlendLineHoldAlphaOpacityMmx(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity) {
    MultiplyOpacity<true>(dst, src, count, opacity);
}

void QMXGL_CALL DarkenBlendLineMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count, [](__m64 d, __m64 s) { return _mm_sub_pi8(d, _mm_subs_pu8(d, s)); });
}
void QMXGL_CALL DarkenBlendLineHoldAlphaMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count,
         [](__m64 d, __m64 s) { return _mm_sub_pi8(d, ColourOnly(_mm_subs_pu8(d, s))); });
}
void QMXGL_CALL LightenBlendLineMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count, [](__m64 d, __m64 s) { return _mm_add_pi8(d, _mm_subs_pu8(s, d)); });
}
void QMXGL_CALL LightenBlendLineHoldAlphaMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count,
         [](__m64 d, __m64 s) { return _mm_add_pi8(d, ColourOnly(_mm_subs_pu8(s, d))); });
}

// 255 - floor((255 - d) inverseSource / 256) per lane.
__m64 ScreenLanes(__m64 dl, __m64 inverseSource) {
    return _mm_sub_pi16(Splat(255), ScaleDown(_mm_sub_pi16(Splat(255), dl), inverseSource));
}
template <bool Hold>
void Screen(Pixel* dst, const Pixel* src, std::int32_t count) {
    Walk(dst, src, count, [](__m64 d, __m64 s) {
        return PerPixel(d, s, [](__m64 dl, __m64 sl) {
            const __m64 inverse = _mm_sub_pi16(Splat(255), sl);
            return ScreenLanes(dl, Hold ? AlphaLaneUnit(inverse) : inverse);
        });
    });
}
// 255 - floor(s op / 256) as (s op) XOR 0xFFFF, shifted.
template <bool Hold>
void ScreenOpacity(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity) {
    const __m64 w = Splat(static_cast<int>(opacity & 0xFF));
    Walk(dst, src, count, [w](__m64 d, __m64 s) {
        return PerPixel(d, s, [w](__m64 dl, __m64 sl) {
            const __m64 inverse =
                _mm_srli_pi16(_mm_xor_si64(_mm_mullo_pi16(sl, w), Splat(0xFFFF)), 8);
            return ScreenLanes(dl, Hold ? AlphaLaneUnit(inverse) : inverse);
        });
    });
}
void QMXGL_CALL ScreenBlendLineMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Screen<false>(dst, src, count);
}
void QMXGL_CALL ScreenBlendLineHoldAlphaMmx(Pixel* dst, const Pixel* src, std::int32_t count) {
    Screen<true>(dst, src, count);
}
void QMXGL_CALL ScreenBlendLineOpacityMmx(Pixel* dst, const Pixel* src, std::int32_t count,
                                          std::uint32_t opacity) {
    ScreenOpacity<false>(dst, src, count, opacity);
}
void QMXGL_CALL ScreenBlendLineHoldAlphaOpacityMmx(Pixel* dst, const Pixel* src, std::int32_t count,
                                                   std::uint32_t opacity) {
    ScreenOpacity<true>(dst, src, count, opacity);
}

}  // namespace

SimdKernelGroup ArithmeticMmxKernels() {
    static const SimdKernelEntry entries[] = {
        Entry(109, kFormMmx, &AddBlendLineMmx),
        Entry(110, kFormMmx, &AddBlendLineHoldAlphaMmx),
        Entry(111, kFormMmx, &AddBlendLineOpacityMmx),
        Entry(113, kFormMmx, &SubBlendLineMmx),
        Entry(114, kFormMmx, &SubBlendLineHoldAlphaMmx),
        Entry(115, kFormMmx, &SubBlendLineOpacityMmx),
        Entry(117, kFormMmx, &MulBlendLineMmx),
        Entry(118, kFormMmx, &MulBlendLineHoldAlphaMmx),
        Entry(119, kFormMmx, &MulBlendLineOpacityMmx),
        Entry(120, kFormMmx, &MulBlendLineHoldAlphaOpacityMmx),
        Entry(125, kFormMmx, &DarkenBlendLineMmx),
        Entry(126, kFormMmx, &DarkenBlendLineHoldAlphaMmx),
        Entry(129, kFormMmx, &LightenBlendLineMmx),
        Entry(130, kFormMmx, &LightenBlendLineHoldAlphaMmx),
        Entry(133, kFormMmx, &ScreenBlendLineMmx),
        Entry(134, kFormMmx, &ScreenBlendLineHoldAlphaMmx),
        Entry(135, kFormMmx, &ScreenBlendLineOpacityMmx),
        Entry(136, kFormMmx, &ScreenBlendLineHoldAlphaOpacityMmx),
    };
    return SimdKernelGroup{entries, static_cast<int>(sizeof entries / sizeof entries[0])};
}

}  // namespace pixelops
