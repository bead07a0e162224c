// MMX and MMX-ext forms of the unstretched alpha, constant-alpha and additive-alpha blends
// (words 27, 28, 29, 31, 36, 37, 38, 40, 77).
//
// All four bytes of a pixel travel as 16-bit lanes, so the alpha byte is blended like a colour
// except in the hold-alpha forms. Pairs of pixels are tested together on their alpha bytes:
// an opaque pair becomes one 8-byte copy and a transparent pair costs no store. The MMX-ext
// forms are the same code with prefetch hints.
#include "pixelops/library/blend_tables.h"
#include "pixelops/kernels/mmx_lanes.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

std::uint32_t AlphaOf(Pixel p) {
    return p >> 24;
}

bool Aligned8(const void* p) {
    return (reinterpret_cast<std::uintptr_t>(p) & 7) == 0;
}

// All four lanes of d interpolated toward s by w.
Pixel Blend1(Pixel d, Pixel s, int w) {
    const __m64 r = Interpolate(Lo(_mm_cvtsi32_si64(static_cast<int>(d))),
                                Lo(_mm_cvtsi32_si64(static_cast<int>(s))), Splat(w));
    return static_cast<Pixel>(_mm_cvtsi64_si32(Pack(r, r)));
}
__m64 Blend2(__m64 d, __m64 s, int w0, int w1) {
    return Pack(Interpolate(Lo(d), Lo(s), Splat(w0)), Interpolate(Hi(d), Hi(s), Splat(w1)));
}
// The alpha lane of a widened pixel in all four lanes, by two unpack steps.
__m64 AlphaInEveryLane(__m64 lanes) {
    const __m64 high = _mm_unpackhi_pi16(lanes, lanes);
    return _mm_unpackhi_pi32(high, high);
}
// Both pixels of a pair interpolated by their own source alpha.
__m64 BlendBySourceAlpha(__m64 d, __m64 s) {
    const __m64 s0 = Lo(s), s1 = Hi(s);
    return Pack(Interpolate(Lo(d), s0, AlphaInEveryLane(s0)),
                Interpolate(Hi(d), s1, AlphaInEveryLane(s1)));
}

template <bool Ahead>
void AlphaBlend(Pixel* dst, const Pixel* src, std::int32_t count) {
    if (count <= 0) return;
    std::int32_t i = 0;
    auto single = [&](std::int32_t k) {
        const std::uint32_t sa = AlphaOf(src[k]);
        dst[k] = sa == 255 ? src[k] : Blend1(dst[k], src[k], static_cast<int>(sa));
    };
    if (count > 4) {
        if (!Aligned8(dst)) single(i++);
        for (; count - i > 4; i += 2) {
            if (Ahead) Prefetch(src + i, 4);
            const std::uint32_t a0 = AlphaOf(src[i]), a1 = AlphaOf(src[i + 1]);
            if (a0 == 255 && a1 == 255)
                Store2(dst + i, Load2(src + i));
            else if (a0 != 0 || a1 != 0)
                Store2(dst + i, BlendBySourceAlpha(Load2(dst + i), Load2(src + i)));
        }
    }
    for (; i < count; ++i) single(i);
    _mm_empty();
}

template <bool Ahead>
void AlphaBlendHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    for (std::int32_t i = count - 1; i >= 0; --i) {
        if (Ahead) Prefetch(src + i, -2);
        const int sa = static_cast<int>(AlphaOf(src[i]));
        const __m64 r = Interpolate(Lo(Load1(dst + i)), Lo(Load1(src + i)), Lanes(sa, sa, sa, 0));
        Store1(dst + i, Pack(r, r));
    }
    _mm_empty();
}

// The walk of the opacity and additive forms: above two pixels, one pixel to bring dst to 8
// bytes, pairs while more than two remain, then single pixels.
template <bool Ahead, class Pair, class Single>
void PairWalk(Pixel* dst, const Pixel* src, std::int32_t count, Pair pair, Single single) {
    if (count <= 0) return;
    std::int32_t i = 0;
    if (count > 2) {
        if (!Aligned8(dst)) single(i++);
        for (; count - i > 2; i += 2) {
            if (Ahead) Prefetch(src + i, 4);
            pair(i);
        }
    }
    for (; i < count; ++i) single(i);
    _mm_empty();
}

template <bool Ahead>
void AlphaBlendOpacity(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity) {
    opacity &= 0xFF;
    PairWalk<Ahead>(
        dst, src, count,
        [=](std::int32_t i) {
            const std::uint32_t a0 = AlphaOf(src[i]), a1 = AlphaOf(src[i + 1]);
            if (a0 == 0 && a1 == 0) return;
            Store2(dst + i,
                   Blend2(Load2(dst + i), Load2(src + i), static_cast<int>((a0 * opacity) >> 8),
                          static_cast<int>((a1 * opacity) >> 8)));
        },
        [=](std::int32_t i) {
            // A single pixel takes its weight from the whole source word times the opacity.
            const auto w = static_cast<int>((static_cast<std::uint64_t>(src[i]) * opacity) >> 32);
            dst[i] = Blend1(dst[i], src[i], w);
        });
}

template <bool Ahead>
void ConstAlphaBlend(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity) {
    const int w = static_cast<int>(opacity & 0xFF);
    const __m64 weight = Splat(w);
    PairWalk<Ahead>(
        dst, src, count,
        [=](std::int32_t i) {
            const __m64 d = Load2(dst + i), s = Load2(src + i);
            Store2(dst + i,
                   Pack(Interpolate(Lo(d), Lo(s), weight), Interpolate(Hi(d), Hi(s), weight)));
        },
        [=](std::int32_t i) { dst[i] = Blend1(dst[i], src[i], w); });
}

// Straight-alpha source over straight-alpha destination: the colour by T_weight; the alpha of a
// paired pixel by the product divided by 256, of a single one from T_alpha.
__m64 OntoAlphaLanes(__m64 d, __m64 s, Pixel dp, Pixel sp, bool paired) {
    const std::uint32_t sa = AlphaOf(sp), da = AlphaOf(dp);
    const int w = T_weight[sa * 256 + da];
    const __m64 colour = Interpolate(d, s, Lanes(w, w, w, 0));
    const int alpha =
        paired ? static_cast<int>(255 - (((255 - sa) * (255 - da)) >> 8)) : T_alpha[sa * 256 + da];
    return _mm_or_si64(_mm_and_si64(colour, Const(kColourLanes)), Lanes(0, 0, 0, alpha));
}

template <bool Ahead>
void AlphaBlendOntoAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    if (count <= 0) return;
    std::int32_t i = 0;
    for (; count - i >= 2; i += 2) {
        if (Ahead) {
            Prefetch(src + i, 4);
            Prefetch(dst + i, 4);
        }
        const std::uint32_t a0 = AlphaOf(src[i]), a1 = AlphaOf(src[i + 1]);
        if (a0 == 255 && a1 == 255) {
            Store2(dst + i, Load2(src + i));
        } else if (a0 != 0 || a1 != 0) {
            const __m64 d = Load2(dst + i), s = Load2(src + i);
            Store2(dst + i, Pack(OntoAlphaLanes(Lo(d), Lo(s), dst[i], src[i], true),
                                 OntoAlphaLanes(Hi(d), Hi(s), dst[i + 1], src[i + 1], true)));
        }
    }
    if (i < count) {
        const __m64 r =
            OntoAlphaLanes(Lo(Load1(dst + i)), Lo(Load1(src + i)), dst[i], src[i], false);
        Store1(dst + i, Pack(r, r));
    }
    _mm_empty();
}

// Premultiplied source over the destination: every lane min(255, d - floor(d sa / 256) + s).
__m64 AdditiveLanes(__m64 d, int sa) {
    return _mm_sub_pi16(d, ScaleDown(d, Splat(sa)));
}
__m64 Additive2(__m64 d, __m64 s, int sa0, int sa1) {
    return _mm_adds_pu8(Pack(AdditiveLanes(Lo(d), sa0), AdditiveLanes(Hi(d), sa1)), s);
}
Pixel Additive1(Pixel d, Pixel s) {
    const __m64 scaled =
        AdditiveLanes(Lo(_mm_cvtsi32_si64(static_cast<int>(d))), static_cast<int>(AlphaOf(s)));
    return static_cast<Pixel>(_mm_cvtsi64_si32(
        _mm_adds_pu8(Pack(scaled, scaled), _mm_cvtsi32_si64(static_cast<int>(s)))));
}

template <bool Ahead>
void AdditiveBlend(Pixel* dst, const Pixel* src, std::int32_t count) {
    PairWalk<Ahead>(
        dst, src, count,
        [=](std::int32_t i) {
            if (src[i] == 0 && src[i + 1] == 0) return;
            const std::uint32_t a0 = AlphaOf(src[i]), a1 = AlphaOf(src[i + 1]);
            if (a0 == 255 && a1 == 255)
                Store2(dst + i, Load2(src + i));
            else
                Store2(dst + i, Additive2(Load2(dst + i), Load2(src + i), static_cast<int>(a0),
                                          static_cast<int>(a1)));
        },
        [=](std::int32_t i) { dst[i] = Additive1(dst[i], src[i]); });
}

// The destination's alpha lane is kept out of the scaling and the source's alpha byte out of
// the add, so the destination alpha stays.
template <bool Ahead>
void AdditiveBlendHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    auto lanes = [](__m64 d, int sa) {
        return _mm_sub_pi16(d, _mm_and_si64(ScaleDown(d, Splat(sa)), Const(kColourLanes)));
    };
    std::int32_t i = 0;
    for (; count - i >= 2; i += 2) {
        if (Ahead) Prefetch(src + i, 4);
        const __m64 d = Load2(dst + i);
        const __m64 scaled = Pack(lanes(Lo(d), static_cast<int>(AlphaOf(src[i]))),
                                  lanes(Hi(d), static_cast<int>(AlphaOf(src[i + 1]))));
        Store2(dst + i, _mm_adds_pu8(scaled, _mm_and_si64(Load2(src + i), Const(kColourBytes))));
    }
    if (i < count && count > 0) {
        const __m64 scaled = lanes(Lo(Load1(dst + i)), static_cast<int>(AlphaOf(src[i])));
        Store1(dst + i, _mm_adds_pu8(Pack(scaled, scaled),
                                     _mm_and_si64(Load1(src + i), Const(kColourBytes))));
    }
    _mm_empty();
}

// Every source byte first scaled by the opacity widened to 0..256.
template <bool Ahead>
void AdditiveBlendOpacity(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity) {
    opacity &= 0xFF;
    const __m64 o = Splat(static_cast<int>(opacity + (opacity >> 7)));
    auto faded = [o](__m64 s) { return ScaleDown(s, o); };
    PairWalk<Ahead>(
        dst, src, count,
        [=](std::int32_t i) {
            const __m64 s = Load2(src + i), d = Load2(dst + i);
            const __m64 s0 = faded(Lo(s)), s1 = faded(Hi(s));
            const int a0 = _mm_cvtsi64_si32(_mm_srli_si64(s0, 48));
            const int a1 = _mm_cvtsi64_si32(_mm_srli_si64(s1, 48));
            Store2(dst + i, _mm_adds_pu8(Pack(AdditiveLanes(Lo(d), a0), AdditiveLanes(Hi(d), a1)),
                                         Pack(s0, s1)));
        },
        [=](std::int32_t i) {
            const __m64 s0 = faded(Lo(Load1(src + i)));
            const int a0 = _mm_cvtsi64_si32(_mm_srli_si64(s0, 48));
            const __m64 scaled = AdditiveLanes(Lo(Load1(dst + i)), a0);
            Store1(dst + i, _mm_adds_pu8(Pack(scaled, scaled), Pack(s0, s0)));
        });
}

QMXGL_MMX_FORMS(AlphaBlendLine, AlphaBlend, (Pixel * d, const Pixel* s, std::int32_t n), (d, s, n))
QMXGL_MMX_FORMS(AlphaBlendLineHoldAlpha, AlphaBlendHoldAlpha, (Pixel * d, const Pixel* s, std::int32_t n),
      (d, s, n))
QMXGL_MMX_FORMS(AlphaBlendLineOpacity, AlphaBlendOpacity,
      (Pixel * d, const Pixel* s, std::int32_t n, std::uint32_t o), (d, s, n, o))
QMXGL_MMX_FORMS(AlphaBlendLineOntoAlpha, AlphaBlendOntoAlpha, (Pixel * d, const Pixel* s, std::int32_t n),
      (d, s, n))
QMXGL_MMX_FORMS(ConstAlphaBlendLine, ConstAlphaBlend,
      (Pixel * d, const Pixel* s, std::int32_t n, std::uint32_t o), (d, s, n, o))
QMXGL_MMX_FORMS(AdditiveAlphaBlendLine, AdditiveBlend, (Pixel * d, const Pixel* s, std::int32_t n), (d, s, n))
QMXGL_MMX_FORMS(AdditiveAlphaBlendLineHoldAlpha, AdditiveBlendHoldAlpha,
      (Pixel * d, const Pixel* s, std::int32_t n), (d, s, n))
QMXGL_MMX_FORMS(AdditiveAlphaBlendLineOpacity, AdditiveBlendOpacity,
      (Pixel * d, const Pixel* s, std::int32_t n, std::uint32_t o), (d, s, n, o))
// Onto an additive-alpha destination the lane rule is the same as over a plain one.
QMXGL_MMX_FORMS(AdditiveAlphaBlendLineOntoAdditiveAlpha, AdditiveBlend,
      (Pixel * d, const Pixel* s, std::int32_t n), (d, s, n))

}  // namespace

SimdKernelGroup BlendMmxKernels() {
    static const SimdKernelEntry entries[] = {
        QMXGL_MMX_ENTRIES(27, AlphaBlendLine),
        QMXGL_MMX_ENTRIES(28, AlphaBlendLineHoldAlpha),
        QMXGL_MMX_ENTRIES(29, AlphaBlendLineOpacity),
        QMXGL_MMX_ENTRIES(31, AlphaBlendLineOntoAlpha),
        QMXGL_MMX_ENTRIES(36, AdditiveAlphaBlendLine),
        QMXGL_MMX_ENTRIES(37, AdditiveAlphaBlendLineHoldAlpha),
        QMXGL_MMX_ENTRIES(38, AdditiveAlphaBlendLineOpacity),
        QMXGL_MMX_ENTRIES(40, AdditiveAlphaBlendLineOntoAdditiveAlpha),
        QMXGL_MMX_ENTRIES(77, ConstAlphaBlendLine),
    };
    return SimdKernelGroup{entries, static_cast<int>(sizeof entries / sizeof entries[0])};
}

}  // namespace pixelops
