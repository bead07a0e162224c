// MMX forms of the stretched, affine, line-doubling and line-averaging kernels (words 44, 52,
// 53, 56, 69, 72, 82, 83, 88, 89, 137-141, 143, 144).
//
// Positions are 16.16 fixed point taken apart with logical shifts; bilinear samples are three
// four-lane interpolations. These forms blend the alpha byte like a colour and use the lane
// rule of the additive-alpha blends (the destination scaled down by the source alpha in every
// lane); the affine bilinear forms take the horizontal fraction unwidened.
#include "pixelops/kernels/mmx_lanes.h"
#include "pixelops/kernels/mmx_pair_blend.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

__m64 Unpack(Pixel p) {
    return Lo(_mm_cvtsi32_si64(static_cast<int>(p)));
}
Pixel PackOne(__m64 lanes) {
    return static_cast<Pixel>(_mm_cvtsi64_si32(Pack(lanes, lanes)));
}
std::uint32_t Whole(std::int32_t position) {
    return static_cast<std::uint32_t>(position) >> 16;
}
int Fraction(std::int32_t position) {
    return static_cast<int>((static_cast<std::uint32_t>(position) >> 8) & 0xFF);
}
int Widen(int f) {
    return f + (f >> 7);
}

__m64 Bilinear(const Pixel* top, const Pixel* bottom, int fx, int fy) {
    const __m64 x = Splat(fx);
    const __m64 upper = Interpolate(Unpack(top[0]), Unpack(top[1]), x);
    const __m64 lower = Interpolate(Unpack(bottom[0]), Unpack(bottom[1]), x);
    return Interpolate(upper, lower, Splat(fy));
}

// Every lane min(255, d - floor(d sa / 256) + s).
Pixel AdditiveRule(Pixel d, __m64 sample) {
    const int sa = _mm_cvtsi64_si32(_mm_srli_si64(sample, 48));
    const __m64 dl = Unpack(d);
    const __m64 kept = _mm_sub_pi16(dl, ScaleDown(dl, Splat(sa)));
    return static_cast<Pixel>(
        _mm_cvtsi64_si32(_mm_adds_pu8(Pack(kept, kept), Pack(sample, sample))));
}

// ---- Nearest stretched lines.

// Eight pixels per step in 8-byte MMX loads and stores (written out: left to itself the
// compiler moves the bytes through integer registers), then single pixels.
void CopyPixels(Pixel* dst, const Pixel* src, std::int32_t count) {
    std::int32_t i = 0;
    for (; count - i >= 8; i += 8)
        __asm__ volatile(
            "movq (%[s]), %%mm0\n\t"
            "movq 8(%[s]), %%mm1\n\t"
            "movq 16(%[s]), %%mm2\n\t"
            "movq 24(%[s]), %%mm3\n\t"
            "movq %%mm0, (%[d])\n\t"
            "movq %%mm1, 8(%[d])\n\t"
            "movq %%mm2, 16(%[d])\n\t"
            "movq %%mm3, 24(%[d])\n\t"
            :
            : [d] "r"(dst + i), [s] "r"(src + i)
            : "memory", "mm0", "mm1", "mm2", "mm3");
    for (; i < count; ++i) dst[i] = src[i];
    _mm_empty();
}

// Two samples per step gathered into a pair for `pairOp` (dst, the samples), then one pixel by
// `single`; the blends of these walks have no shortcuts, so the grouping leaves every pixel as
// the one-pixel rule makes it.
template <class PairOp, class Single>
void StretchPairWalk(Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t x,
                     std::int32_t step, PairOp pairOp, Single single) {
    std::int32_t i = 0;
    Pixel samples[2];
    for (; count - i >= 2; i += 2) {
        samples[0] = src[Whole(x)];
        samples[1] = src[Whole(x + step)];
        x += 2 * step;
        pairOp(dst + i, samples);
    }
    if (i < count) dst[i] = single(dst[i], src[Whole(x)]);
    _mm_empty();
}

void QMXGL_CALL StretchCopyLineMmx(Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t x,
                                   std::int32_t step) {
    // A step of exactly one pixel reads consecutive pixels: a straight 8-byte copy, while the
    // whole part of the position stays below the 16-bit wrap and the rows do not overlap
    // (over an overlap the walk below repeats pixels).
    if (step == 0x10000 && count > 0 &&
        Whole(x) + static_cast<std::uint32_t>(count) - 1 <= 0xFFFF) {
        const Pixel* from = src + Whole(x);
        const auto d = reinterpret_cast<std::uintptr_t>(dst);
        const auto s = reinterpret_cast<std::uintptr_t>(from);
        const std::uintptr_t bytes = static_cast<std::uintptr_t>(count) * sizeof(Pixel);
        if (d >= s + bytes || s >= d + bytes) {
            CopyPixels(dst, from, count);
            return;
        }
    }
    std::int32_t i = 0;
    for (; count - i >= 4; i += 4) {
        const Pixel a = src[Whole(x)], b = src[Whole(x + step)];
        const Pixel c = src[Whole(x + 2 * step)], d = src[Whole(x + 3 * step)];
        x += 4 * step;
        Store2(dst + i, _mm_unpacklo_pi32(_mm_cvtsi32_si64(static_cast<int>(a)),
                                          _mm_cvtsi32_si64(static_cast<int>(b))));
        Store2(dst + i + 2, _mm_unpacklo_pi32(_mm_cvtsi32_si64(static_cast<int>(c)),
                                              _mm_cvtsi32_si64(static_cast<int>(d))));
    }
    for (; i < count; ++i, x += step) dst[i] = src[Whole(x)];
    _mm_empty();
}
void QMXGL_CALL StretchConstAlphaBlendLineMmx(Pixel* dst, std::int32_t count, const Pixel* src,
                                              std::int32_t x, std::int32_t step,
                                              std::uint32_t opacity) {
    const __m64 w = Splat(static_cast<int>(opacity & 0xFF)), mask = ByteMask();
    StretchPairWalk(
        dst, count, src, x, step,
        [w, mask](Pixel* d, const Pixel* s) { BlendPairByWeight(d, s, mask, w); },
        [w](Pixel d, Pixel s) { return PackOne(Interpolate(Unpack(d), Unpack(s), w)); });
}
void QMXGL_CALL StretchAlphaBlendLineMmx(Pixel* dst, std::int32_t count, const Pixel* src,
                                         std::int32_t x, std::int32_t step) {
    const __m64 mask = ByteMask();
    StretchPairWalk(
        dst, count, src, x, step,
        [mask](Pixel* d, const Pixel* s) { BlendPairBySourceAlpha<false>(d, s, mask); },
        [](Pixel d, Pixel s) {
            return PackOne(Interpolate(Unpack(d), Unpack(s), Splat(static_cast<int>(s >> 24))));
        });
}
void QMXGL_CALL StretchAdditiveAlphaBlendLineMmx(Pixel* dst, std::int32_t count, const Pixel* src,
                                                 std::int32_t x, std::int32_t step) {
    const __m64 mask = ByteMask();
    StretchPairWalk(
        dst, count, src, x, step,
        [mask](Pixel* d, const Pixel* s) { AdditivePairBySourceAlpha<false>(d, s, mask); },
        [](Pixel d, Pixel s) { return AdditiveRule(d, Unpack(s)); });
}

// ---- Bilinear stretched lines: the raw horizontal fraction, blendY widened.

template <class Op>
void BilinearStretchWalk(Pixel* dst, std::int32_t count, const Pixel* row0, const Pixel* row1,
                         std::uint32_t blendY, std::int32_t x, std::int32_t step, Op op) {
    const int fy = Widen(static_cast<int>(blendY & 0xFF));
    for (std::int32_t i = 0; i < count; ++i, x += step) {
        const std::uint32_t k = Whole(x);
        dst[i] = op(dst[i], Bilinear(row0 + k, row1 + k, Fraction(x), fy));
    }
    _mm_empty();
}

void QMXGL_CALL BilinearStretchCopyLineMmx(Pixel* dst, std::int32_t count, const Pixel* row0,
                                           const Pixel* row1, std::uint32_t blendY, std::int32_t x,
                                           std::int32_t step) {
    BilinearStretchWalk(dst, count, row0, row1, blendY, x, step,
                        [](Pixel, __m64 sample) { return PackOne(sample); });
}
void QMXGL_CALL BilinearStretchConstAlphaBlendLineMmx(Pixel* dst, std::int32_t count,
                                                      const Pixel* row0, const Pixel* row1,
                                                      std::uint32_t blendY, std::int32_t x,
                                                      std::int32_t step, std::uint32_t opacity) {
    const __m64 w = Splat(Widen(static_cast<int>(opacity & 0xFF)));
    BilinearStretchWalk(dst, count, row0, row1, blendY, x, step, [w](Pixel d, __m64 sample) {
        return PackOne(Interpolate(Unpack(d), sample, w));
    });
}
void QMXGL_CALL BilinearStretchAdditiveAlphaBlendLineMmx(Pixel* dst, std::int32_t count,
                                                         const Pixel* row0, const Pixel* row1,
                                                         std::uint32_t blendY, std::int32_t x,
                                                         std::int32_t step) {
    BilinearStretchWalk(dst, count, row0, row1, blendY, x, step,
                        [](Pixel d, __m64 sample) { return AdditiveRule(d, sample); });
}
void QMXGL_CALL BilinearStretchAdditiveAlphaBlendLineOpacityMmx(
    Pixel* dst, std::int32_t count, const Pixel* row0, const Pixel* row1, std::uint32_t blendY,
    std::int32_t x, std::int32_t step, std::uint32_t opacity) {
    const __m64 o = Splat(Widen(static_cast<int>(opacity & 0xFF)));
    BilinearStretchWalk(dst, count, row0, row1, blendY, x, step, [o](Pixel d, __m64 sample) {
        return AdditiveRule(d, ScaleDown(sample, o));
    });
}

// ---- Affine lines.

const Pixel* SourceAt(const void* src, std::int32_t u, std::int32_t v, std::int32_t pitch) {
    return reinterpret_cast<const Pixel*>(static_cast<const std::uint8_t*>(src) +
                                          static_cast<std::int32_t>(Whole(v)) * pitch) +
           Whole(u);
}

template <class Op>
void AffineWalk(Pixel* dst, std::int32_t count, const void* src, std::int32_t u, std::int32_t v,
                std::int32_t du, std::int32_t dv, std::int32_t pitch, Op op) {
    for (std::int32_t i = 0; i < count; ++i, u += du, v += dv)
        dst[i] = op(dst[i], *SourceAt(src, u, v, pitch));
    _mm_empty();
}

template <class Op>
void BilinearAffineWalk(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                        std::int32_t v, std::int32_t du, std::int32_t dv, std::int32_t pitch,
                        Op op) {
    for (std::int32_t i = 0; i < count; ++i, u += du, v += dv) {
        const Pixel* top = SourceAt(src, u, v, pitch);
        const Pixel* bottom =
            reinterpret_cast<const Pixel*>(reinterpret_cast<const std::uint8_t*>(top) + pitch);
        dst[i] = op(dst[i], Bilinear(top, bottom, Fraction(u), Widen(Fraction(v))));
    }
    _mm_empty();
}

void QMXGL_CALL AffineCopyLineMmx(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                                  std::int32_t v, std::int32_t du, std::int32_t dv,
                                  std::int32_t pitch) {
    AffineWalk(dst, count, src, u, v, du, dv, pitch, [](Pixel, Pixel s) { return s; });
}
void QMXGL_CALL AffineConstAlphaBlendLineMmx(Pixel* dst, std::int32_t count, const void* src,
                                             std::int32_t u, std::int32_t v, std::int32_t du,
                                             std::int32_t dv, std::int32_t pitch,
                                             std::uint32_t opacity) {
    const __m64 w = Splat(static_cast<int>(opacity & 0xFF)), mask = ByteMask();
    std::int32_t i = 0;
    Pixel samples[2];
    for (; count - i >= 2; i += 2, u += 2 * du, v += 2 * dv) {
        samples[0] = *SourceAt(src, u, v, pitch);
        samples[1] = *SourceAt(src, u + du, v + dv, pitch);
        BlendPairByWeight(dst + i, samples, mask, w);
    }
    if (i < count)
        dst[i] = PackOne(Interpolate(Unpack(dst[i]), Unpack(*SourceAt(src, u, v, pitch)), w));
    _mm_empty();
}
void QMXGL_CALL BilinearAffineCopyLineMmx(Pixel* dst, std::int32_t count, const void* src,
                                          std::int32_t u, std::int32_t v, std::int32_t du,
                                          std::int32_t dv, std::int32_t pitch) {
    BilinearAffineWalk(dst, count, src, u, v, du, dv, pitch,
                       [](Pixel, __m64 sample) { return PackOne(sample); });
}
void QMXGL_CALL BilinearAffineConstAlphaBlendLineMmx(Pixel* dst, std::int32_t count,
                                                     const void* src, std::int32_t u,
                                                     std::int32_t v, std::int32_t du,
                                                     std::int32_t dv, std::int32_t pitch,
                                                     std::uint32_t opacity) {
    const __m64 w = Splat(Widen(static_cast<int>(opacity & 0xFF)));
    BilinearAffineWalk(dst, count, src, u, v, du, dv, pitch, [w](Pixel d, __m64 sample) {
        return PackOne(Interpolate(Unpack(d), sample, w));
    });
}
void QMXGL_CALL BilinearAffineAdditiveAlphaBlendLineMmx(Pixel* dst, std::int32_t count,
                                                        const void* src, std::int32_t u,
                                                        std::int32_t v, std::int32_t du,
                                                        std::int32_t dv, std::int32_t pitch) {
    BilinearAffineWalk(dst, count, src, u, v, du, dv, pitch,
                       [](Pixel d, __m64 sample) { return AdditiveRule(d, sample); });
}
void QMXGL_CALL BilinearAffineAdditiveAlphaBlendLineOpacityMmx(Pixel* dst, std::int32_t count,
                                                               const void* src, std::int32_t u,
                                                               std::int32_t v, std::int32_t du,
                                                               std::int32_t dv, std::int32_t pitch,
                                                               std::uint32_t opacity) {
    const __m64 o = Splat(Widen(static_cast<int>(opacity & 0xFF)));
    BilinearAffineWalk(dst, count, src, u, v, du, dv, pitch, [o](Pixel d, __m64 sample) {
        return AdditiveRule(d, ScaleDown(sample, o));
    });
}

// ---- Line doubling and averaging: per-byte floor averages.

__m64 Average(__m64 a, __m64 b) {
    const __m64 half = _mm_and_si64(_mm_srli_pi16(_mm_xor_si64(a, b), 1), _mm_set1_pi8(0x7F));
    return _mm_add_pi8(_mm_and_si64(a, b), half);
}

// Pairs (src[k], average of src[k] and its neighbour) while more than two outputs remain; the
// last one or two outputs copy the next source pixel.
void LineDouble(Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t step) {
    if (count <= 0) return;
    std::int32_t i = 0, k = 0;
    for (; count - i > 2; i += 2, k += step) {
        const __m64 a = Load1(src + k);
        Store2(dst + i, _mm_unpacklo_pi32(a, Average(a, Load1(src + k + step))));
    }
    for (; i < count; ++i) dst[i] = src[k];
    _mm_empty();
}

void QMXGL_CALL InterpolateLineDoubleForwardMmx(Pixel* dst, std::int32_t count, const Pixel* src) {
    LineDouble(dst, count, src, 1);
}
void QMXGL_CALL InterpolateLineDoubleBackwardMmx(Pixel* dst, std::int32_t count, const Pixel* src) {
    LineDouble(dst, count, src, -1);
}
void QMXGL_CALL AverageTwoLinesMmx(Pixel* dst, std::int32_t count, const Pixel* a, const Pixel* b) {
    std::int32_t i = 0;
    for (; count - i >= 4; i += 4) {
        Store2(dst + i, Average(Load2(a + i), Load2(b + i)));
        Store2(dst + i + 2, Average(Load2(a + i + 2), Load2(b + i + 2)));
    }
    for (; i < count; ++i) Store1(dst + i, Average(Load1(a + i), Load1(b + i)));
    _mm_empty();
}

}  // namespace

SimdKernelGroup ResampleMmxKernels() {
    static const SimdKernelEntry entries[] = {
        Entry(44, kFormMmx, &StretchAlphaBlendLineMmx),
        Entry(52, kFormMmx, &StretchAdditiveAlphaBlendLineMmx),
        Entry(53, kFormMmx, &BilinearStretchAdditiveAlphaBlendLineMmx),
        Entry(56, kFormMmx, &BilinearStretchAdditiveAlphaBlendLineOpacityMmx),
        Entry(69, kFormMmx, &BilinearAffineAdditiveAlphaBlendLineMmx),
        Entry(72, kFormMmx, &BilinearAffineAdditiveAlphaBlendLineOpacityMmx),
        Entry(82, kFormMmx, &StretchConstAlphaBlendLineMmx),
        Entry(83, kFormMmx, &BilinearStretchConstAlphaBlendLineMmx),
        Entry(88, kFormMmx, &AffineConstAlphaBlendLineMmx),
        Entry(89, kFormMmx, &BilinearAffineConstAlphaBlendLineMmx),
        Entry(137, kFormMmx, &StretchCopyLineMmx),
        Entry(138, kFormMmx, &BilinearStretchCopyLineMmx),
        Entry(139, kFormMmx, &InterpolateLineDoubleForwardMmx),
        Entry(140, kFormMmx, &InterpolateLineDoubleBackwardMmx),
        Entry(141, kFormMmx, &AverageTwoLinesMmx),
        Entry(143, kFormMmx, &AffineCopyLineMmx),
        Entry(144, kFormMmx, &BilinearAffineCopyLineMmx),
    };
    return SimdKernelGroup{entries, static_cast<int>(sizeof entries / sizeof entries[0])};
}

}  // namespace pixelops
