// MMX and MMX-ext forms of the unstretched alpha, constant-alpha and additive-alpha blends
// (words 27, 28, 29, 31, 36, 37, 38, 40, 77).
//
// All four bytes of a pixel are blended as 16-bit lanes, so the alpha byte is blended like a
// colour except in the hold-alpha forms. Pixels are paired on 8-byte boundaries of the
// destination, and each pair is tested on its alpha bytes: an opaque pair is copied and a
// transparent pair costs no store. The main loops take two pairs per step behind one test of
// all four pixels' words, so the opaque and transparent runs of a sprite cost a few integer
// operations per pixel; the pairing, and with it every result, is that of one pair per step.
//
// The pairs that are blended go through the hand-scheduled steps of mmx_pair_blend.h, in which
// the even and odd bytes of both pixels share the lanes; the additive opacity form (38) uses
// the same lane layout through intrinsics. The MMX-ext forms spread the alpha bytes with
// pshufw and prefetch the source.
#include "pixelops/library/blend_tables.h"
#include "pixelops/kernels/mmx_lanes.h"
#include "pixelops/kernels/mmx_pair_blend.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

constexpr Pixel kOpaque = 0xFF000000u;     // a word at or above has alpha 255
constexpr Pixel kSomeAlpha = 0x01000000u;  // a word below has alpha 0

std::uint32_t AlphaOf(Pixel p) {
    return p >> 24;
}

bool Aligned8(const void* p) {
    return (reinterpret_cast<std::uintptr_t>(p) & 7) == 0;
}

// One pixel's four lanes.
__m64 Widen(Pixel p) {
    return Lo(_mm_cvtsi32_si64(static_cast<int>(p)));
}

// A packed pair's even bytes (blue, red of each pixel) and odd bytes (green, alpha), each in
// a 16-bit lane.
__m64 EvenBytes(__m64 pair) {
    return _mm_and_si64(pair, Splat(0xFF));
}
__m64 OddBytes(__m64 pair) {
    return _mm_srli_pi16(pair, 8);
}
// The weights (w0, w0, w1, w1) of a pair from its odd lanes (g0, a0, g1, a1): the alpha bytes.
template <bool Ext>
__m64 PairAlpha(__m64 odd) {
    if (Ext) {
        __m64 spread;
        __asm__("pshufw $0xF5, %1, %0" : "=y"(spread) : "y"(odd));
        return spread;
    }
    const __m64 alpha = _mm_srli_pi32(odd, 16);
    return _mm_or_si64(alpha, _mm_slli_pi32(alpha, 16));
}

// The alpha lane of a widened pixel in all four lanes.
template <bool Ext>
__m64 AlphaLanes(__m64 lanes) {
    if (Ext) {
        __m64 spread;
        __asm__("pshufw $0xFF, %1, %0" : "=y"(spread) : "y"(lanes));
        return spread;
    }
    const __m64 high = _mm_unpackhi_pi16(lanes, lanes);
    return _mm_unpackhi_pi32(high, high);
}

// All four lanes of d interpolated toward s by w.
Pixel Blend1(Pixel d, Pixel s, int w) {
    const __m64 r = Interpolate(Widen(d), Widen(s), Splat(w));
    return static_cast<Pixel>(_mm_cvtsi64_si32(Pack(r, r)));
}

// One pair of the alpha blend (source words s0, s1 at src): copied when both are opaque, kept
// when both are transparent, otherwise interpolated by their own source alpha.
template <bool Ext>
inline __attribute__((always_inline)) void AlphaPair(Pixel* dst, const Pixel* src, Pixel s0,
                                                     Pixel s1, __m64 mask) {
    if ((s0 & s1) >= kOpaque) {
        dst[0] = s0;
        dst[1] = s1;
    } else if ((s0 | s1) >= kSomeAlpha) {
        BlendPairBySourceAlpha<Ext>(dst, src, mask);
    }
}

template <bool Ext>
void AlphaBlend(Pixel* dst, const Pixel* src, std::int32_t count) {
    if (count <= 0) return;
    std::int32_t i = 0;
    auto single = [&](std::int32_t k) {
        const Pixel s = src[k];
        dst[k] = s >= kOpaque ? s : Blend1(dst[k], s, static_cast<int>(AlphaOf(s)));
    };
    if (count > 4) {
        if (!Aligned8(dst)) single(i++);
        const __m64 mask = ByteMask();
        // Pairs while more than four pixels remain: two per step while both qualify.
        for (; count - i > 6; i += 4) {
            if (Ext) Prefetch(src + i, 16);
            const Pixel s0 = src[i], s1 = src[i + 1], s2 = src[i + 2], s3 = src[i + 3];
            if ((s0 & s1 & s2 & s3) >= kOpaque) {
                dst[i] = s0;
                dst[i + 1] = s1;
                dst[i + 2] = s2;
                dst[i + 3] = s3;
            } else if ((s0 | s1 | s2 | s3) >= kSomeAlpha) {
                AlphaPair<Ext>(dst + i, src + i, s0, s1, mask);
                AlphaPair<Ext>(dst + i + 2, src + i + 2, s2, s3, mask);
            }
        }
        if (count - i > 4) {
            AlphaPair<Ext>(dst + i, src + i, src[i], src[i + 1], mask);
            i += 2;
        }
    }
    for (; i < count; ++i) single(i);
    _mm_empty();
}

// Walks from the last pixel to the first; a transparent source leaves the pixel as it is.
template <bool Ext>
void AlphaBlendHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    const __m64 colourLanes = Const(kColourLanes);
    for (std::int32_t i = count - 1; i >= 0; --i) {
        if (Ext) Prefetch(src + i, -2);
        const Pixel s = src[i];
        if (s < kSomeAlpha) continue;
        const __m64 sl = Widen(s);
        const __m64 weight = _mm_and_si64(AlphaLanes<Ext>(sl), colourLanes);
        const __m64 r = Interpolate(Widen(dst[i]), sl, weight);
        Store1(dst + i, Pack(r, r));
    }
    _mm_empty();
}

// The walk of the opacity and additive forms: above two pixels, one pixel to bring dst to 8
// bytes, pairs while more than two remain, then single pixels. `quad` takes two pairs at once
// and serves while both pairs qualify.
template <bool Ahead, class Quad, class Pair, class Single>
inline __attribute__((always_inline)) void PairWalk(Pixel* dst, const Pixel* src,
                                                    std::int32_t count, Quad quad, Pair pair,
                                                    Single single) {
    if (count <= 0) return;
    std::int32_t i = 0;
    if (count > 2) {
        if (!Aligned8(dst)) single(i++);
        for (; count - i > 4; i += 4) {
            if (Ahead) Prefetch(src + i, 16);
            quad(i);
        }
        if (count - i > 2) {
            pair(i);
            i += 2;
        }
    }
    for (; i < count; ++i) single(i);
    _mm_empty();
}

// A pair weighted by floor(sa * opacity / 256); a transparent pair is left alone.
template <bool Ext>
inline __attribute__((always_inline)) void OpacityPair(Pixel* dst, const Pixel* src, Pixel s0,
                                                       Pixel s1, __m64 mask, __m64 opacity) {
    if ((s0 | s1) >= kSomeAlpha) BlendPairBySourceAlphaOpacity<Ext>(dst, src, mask, opacity);
}

template <bool Ext>
void AlphaBlendOpacity(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity) {
    opacity &= 0xFF;
    // Every weight is 0, and interpolating by 0 keeps the destination.
    if (opacity == 0) return;
    const __m64 o = Splat(static_cast<int>(opacity)), mask = ByteMask();
    PairWalk<Ext>(
        dst, src, count,
        [=](std::int32_t i) {
            const Pixel s0 = src[i], s1 = src[i + 1], s2 = src[i + 2], s3 = src[i + 3];
            if ((s0 | s1 | s2 | s3) < kSomeAlpha) return;
            OpacityPair<Ext>(dst + i, src + i, s0, s1, mask, o);
            OpacityPair<Ext>(dst + i + 2, src + i + 2, s2, s3, mask, o);
        },
        [=](std::int32_t i) { OpacityPair<Ext>(dst + i, src + i, src[i], src[i + 1], mask, o); },
        [=](std::int32_t i) {
            // A single pixel takes its weight from the whole source word times the opacity.
            const auto w = static_cast<int>((static_cast<std::uint64_t>(src[i]) * opacity) >> 32);
            dst[i] = Blend1(dst[i], src[i], w);
        });
}

template <bool Ext>
void ConstAlphaBlend(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity) {
    const int w = static_cast<int>(opacity & 0xFF);
    // Interpolating by 0 keeps the destination.
    if (w == 0) return;
    const __m64 weight = Splat(w), mask = ByteMask();
    auto pair = [=](std::int32_t i) { BlendPairByWeight(dst + i, src + i, mask, weight); };
    PairWalk<Ext>(
        dst, src, count,
        [=](std::int32_t i) {
            pair(i);
            pair(i + 2);
        },
        pair, [=](std::int32_t i) { dst[i] = Blend1(dst[i], src[i], w); });
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
__m64 AdditiveLanes(__m64 d, __m64 alpha) {
    return _mm_sub_pi16(d, ScaleDown(d, alpha));
}
Pixel Additive1(Pixel d, Pixel s) {
    const __m64 scaled = AdditiveLanes(Widen(d), Splat(static_cast<int>(AlphaOf(s))));
    return static_cast<Pixel>(_mm_cvtsi64_si32(
        _mm_adds_pu8(Pack(scaled, scaled), _mm_cvtsi32_si64(static_cast<int>(s)))));
}

// The pair d scaled down by its weights lane by lane, then s added with saturation. The scaled
// lanes stay within 0..255, so they join without a mask.
__m64 AdditivePairLanes(__m64 d, __m64 s, __m64 weights) {
    const __m64 even = AdditiveLanes(EvenBytes(d), weights);
    const __m64 odd = AdditiveLanes(OddBytes(d), weights);
    return _mm_adds_pu8(_mm_or_si64(even, _mm_slli_pi16(odd, 8)), s);
}

// One pair of the additive blend: left alone when both source words are 0, copied when both
// are opaque.
template <bool Ext>
inline __attribute__((always_inline)) void AdditivePair(Pixel* dst, const Pixel* src, Pixel s0,
                                                        Pixel s1, __m64 mask) {
    if ((s0 | s1) == 0) return;
    if ((s0 & s1) >= kOpaque) {
        dst[0] = s0;
        dst[1] = s1;
        return;
    }
    AdditivePairBySourceAlpha<Ext>(dst, src, mask);
}

template <bool Ext>
void AdditiveBlend(Pixel* dst, const Pixel* src, std::int32_t count) {
    const __m64 mask = ByteMask();
    PairWalk<Ext>(
        dst, src, count,
        [=](std::int32_t i) {
            const Pixel s0 = src[i], s1 = src[i + 1], s2 = src[i + 2], s3 = src[i + 3];
            if ((s0 | s1 | s2 | s3) == 0) return;
            if ((s0 & s1 & s2 & s3) >= kOpaque) {
                dst[i] = s0;
                dst[i + 1] = s1;
                dst[i + 2] = s2;
                dst[i + 3] = s3;
                return;
            }
            AdditivePair<Ext>(dst + i, src + i, s0, s1, mask);
            AdditivePair<Ext>(dst + i + 2, src + i + 2, s2, s3, mask);
        },
        [=](std::int32_t i) { AdditivePair<Ext>(dst + i, src + i, src[i], src[i + 1], mask); },
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
template <bool Ext>
void AdditiveBlendOpacity(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity) {
    opacity &= 0xFF;
    // The scaled source is 0 and leaves the destination as it is.
    if (opacity == 0) return;
    const __m64 o = Splat(static_cast<int>(opacity + (opacity >> 7)));
    auto pair = [=](std::int32_t i) {
        const __m64 s = Load2(src + i);
        const __m64 even = ScaleDown(EvenBytes(s), o), odd = ScaleDown(OddBytes(s), o);
        const __m64 faded = _mm_or_si64(even, _mm_slli_pi16(odd, 8));
        Store2(dst + i, AdditivePairLanes(Load2(dst + i), faded, PairAlpha<Ext>(odd)));
    };
    PairWalk<Ext>(
        dst, src, count,
        [=](std::int32_t i) {
            pair(i);
            pair(i + 2);
        },
        pair,
        [=](std::int32_t i) {
            const __m64 s0 = ScaleDown(Lo(Load1(src + i)), o);
            const __m64 scaled = AdditiveLanes(Lo(Load1(dst + i)), AlphaLanes<Ext>(s0));
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
