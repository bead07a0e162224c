// MMX forms of the effect and mask-blend kernels: four 16-bit lanes per pixel, constant
// operations two pixels a step.
#include <mmintrin.h>

#include "graphics/compose/blend_tables.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/kernel_walk.h"
#include "graphics/image/mmx_helpers.h"
#include "graphics/image/over_math_mmx.h"

using namespace kernel_walk;
using namespace mmx;

namespace {

// The colour's alpha byte is left out, as the plain forms leave it out: alpha never changes.
struct AddColour {
    __m64 colour;
    __m64 operator()(__m64 d) const { return _mm_adds_pu8(d, colour); }
};

struct SubColour {
    __m64 colour;
    __m64 operator()(__m64 d) const { return _mm_subs_pu8(d, colour); }
};

struct Invert {
    __m64 mask;
    __m64 operator()(__m64 d) const { return _mm_xor_si64(d, mask); }
};

// A per-pixel operation on lanes, applied to both pixels of a pair.
template <class Lanes>
struct EachPixel {
    Lanes lanes;
    __m64 operator()(__m64 d) const {
        const __m64 zero = _mm_setzero_si64();
        return _mm_packs_pu16(lanes(_mm_unpacklo_pi8(d, zero)), lanes(_mm_unpackhi_pi8(d, zero)));
    }
};

// The grey sums 29 b + 150 g + 77 r of both pixels in two multiply-adds; the grey byte is
// then spread over the three colour bytes and the alpha bytes are carried over.
struct Greyscale {
    __m64 operator()(__m64 d) const {
        const __m64 zero = _mm_setzero_si64();
        const __m64 weights = _mm_set_pi16(0, 77, 150, 29);
        const __m64 lo = _mm_madd_pi16(_mm_unpacklo_pi8(d, zero), weights);
        const __m64 hi = _mm_madd_pi16(_mm_unpackhi_pi8(d, zero), weights);
        const __m64 sums = _mm_add_pi32(_mm_unpacklo_pi32(lo, hi), _mm_unpackhi_pi32(lo, hi));
        const __m64 grey = _mm_srli_pi32(sums, 8);
        const __m64 spread =
            _mm_or_si64(_mm_or_si64(grey, _mm_slli_pi32(grey, 8)), _mm_slli_pi32(grey, 16));
        return _mm_or_si64(spread, _mm_and_si64(d, Splat(0xFF000000)));
    }
};

// ((factor * c) >> 7) + offset per lane; the alpha lane has factor 128 and offset 0, so it
// comes back unchanged, and the saturating pack clamps the colour lanes to 0..255.
struct BalanceLanes {
    __m64 factor;
    __m64 offset;
    __m64 operator()(__m64 lanes) const {
        const __m64 lo = _mm_mullo_pi16(lanes, factor);
        const __m64 hi = _mm_mulhi_pi16(lanes, factor);
        const __m64 shifted = _mm_or_si64(_mm_srli_pi16(lo, 7), _mm_slli_pi16(hi, 9));
        return _mm_adds_pi16(shifted, offset);
    }
};

// Per-pixel weighted combinations on lanes (w, w, w, 0).
inline std::uint32_t Blend(std::uint32_t d, std::uint32_t s, std::int32_t w) {
    return Pack(Lerp(Unpack(d), Unpack(s), ColourWeight(w)));
}
inline std::uint32_t Add(std::uint32_t d, std::uint32_t s, std::int32_t w) {
    return Pack(AddScaled(Unpack(d), Unpack(s), ColourWeight(w)));
}
inline std::uint32_t Sub(std::uint32_t d, std::uint32_t s, std::int32_t w) {
    return Pack(SubScaled(Unpack(d), Unpack(s), ColourWeight(w)));
}

template <class Combine>
void MaskRows(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
              std::int32_t maskSkip, std::int32_t width, std::int32_t height, std::uint32_t colour,
              const std::uint8_t* row, Combine combine) {
    Rows(dst, mask, dstSkip, maskSkip, width, height,
         [=](std::uint32_t& d, std::uint8_t m) { d = combine(d, colour, Weight(row[m])); });
    _mm_empty();
}

template <class Pixel>
void BilinearPixels(std::uint32_t* dst, const Pixel* src, std::int32_t dstSkip,
                    std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                    const BilinearStep& step, const std::uint32_t* palette) {
    auto lanes = [palette](Pixel p) {
        return Unpack(palette ? palette[p] : static_cast<std::uint32_t>(p));
    };
    BilinearRows(dst, src, dstSkip, srcPitch, width, height, step, [=](std::int32_t fy) {
        const __m64 wy = _mm_set1_pi16(static_cast<short>(fy));
        return [=](const Pixel* p, const Pixel* below, std::int32_t fx) {
            const __m64 wx = _mm_set1_pi16(static_cast<short>(fx));
            const __m64 top = Lerp(lanes(p[0]), lanes(p[1]), wx);
            const __m64 bottom = Lerp(lanes(below[0]), lanes(below[1]), wx);
            return Pack(Lerp(top, bottom, wy));
        };
    });
    _mm_empty();
}

}  // namespace

void KernelAddColourMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                        std::int32_t height, std::uint32_t colour) {
    RectBy2(dst, skip, width, height, AddColour{Splat(colour & 0x00FFFFFF)});
}

void KernelAddColourKeyedMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                             std::int32_t height, std::uint32_t colour, std::uint32_t key) {
    RectBy2(dst, skip, width, height,
            SkipKeyed<AddColour>{{Splat(colour & 0x00FFFFFF)}, Splat(key)});
}

void KernelSubColourMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                        std::int32_t height, std::uint32_t colour) {
    RectBy2(dst, skip, width, height, SubColour{Splat(colour & 0x00FFFFFF)});
}

void KernelSubColourKeyedMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                             std::int32_t height, std::uint32_t colour, std::uint32_t key) {
    RectBy2(dst, skip, width, height,
            SkipKeyed<SubColour>{{Splat(colour & 0x00FFFFFF)}, Splat(key)});
}

void KernelGreyscaleMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                        std::int32_t height) {
    RectBy2(dst, skip, width, height, Greyscale{});
}

void KernelColourBalanceMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                            std::int32_t height, std::int32_t rFactor, std::int32_t gFactor,
                            std::int32_t bFactor, std::int32_t rOffset, std::int32_t gOffset,
                            std::int32_t bOffset) {
    const BalanceLanes lanes{
        _mm_set_pi16(128, static_cast<short>(rFactor), static_cast<short>(gFactor),
                     static_cast<short>(bFactor)),
        _mm_set_pi16(0, static_cast<short>(rOffset), static_cast<short>(gOffset),
                     static_cast<short>(bOffset))};
    RectBy2(dst, skip, width, height, EachPixel<BalanceLanes>{lanes});
}

void KernelInvertMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                     std::int32_t mode) {
    RectBy2(dst, skip, width, height, Invert{Splat(InvertMask(mode))});
}

void KernelMaskBlendColourMmx(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                              std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                              std::uint32_t colour, const std::uint8_t* row) {
    MaskRows(dst, mask, dstSkip, maskSkip, width, height, colour, row, Blend);
}

void KernelMaskAddColourMmx(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                            std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                            std::uint32_t colour, const std::uint8_t* row) {
    MaskRows(dst, mask, dstSkip, maskSkip, width, height, colour, row, Add);
}

void KernelMaskSubColourMmx(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                            std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                            std::uint32_t colour, const std::uint8_t* row) {
    MaskRows(dst, mask, dstSkip, maskSkip, width, height, colour, row, Sub);
}

void KernelAddOpacityMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                         std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                         std::uint8_t opacity) {
    const std::int32_t w = Weight(opacity);
    Rows(dst, src, dstSkip, srcSkip, width, height,
         [w](std::uint32_t& d, std::uint32_t s) { d = Add(d, s, w); });
    _mm_empty();
}

void KernelSubOpacityMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                         std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                         std::uint8_t opacity) {
    const std::int32_t w = Weight(opacity);
    Rows(dst, src, dstSkip, srcSkip, width, height,
         [w](std::uint32_t& d, std::uint32_t s) { d = Sub(d, s, w); });
    _mm_empty();
}

#define EFFECT_DEFINE_TABLE_KERNEL_MMX(name, combine)                                              \
    void Kernel##name##Mmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,     \
                           std::int32_t srcSkip, std::int32_t width, std::int32_t height,          \
                           const std::uint8_t* row) {                                              \
        Rows(dst, src, dstSkip, srcSkip, width, height, [row](std::uint32_t& d, std::uint32_t s) { \
            d = combine(d, s, Weight(row[s >> 24]));                                               \
        });                                                                                        \
        _mm_empty();                                                                               \
    }                                                                                              \
    void KernelStretch##name##Mmx(std::uint32_t* dst, const std::uint32_t* src,                    \
                                  std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width, \
                                  std::int32_t height, const StretchStep& step,                    \
                                  const std::uint8_t* row) {                                       \
        StretchRows(dst, src, dstSkip, srcPitch, width, height, step,                              \
                    [row](std::uint32_t& d, std::uint32_t s) {                                     \
                        d = combine(d, s, Weight(row[s >> 24]));                                   \
                    });                                                                            \
        _mm_empty();                                                                               \
    }

EFFECT_DEFINE_TABLE_KERNEL_MMX(AlphaBlendTable, Blend)
EFFECT_DEFINE_TABLE_KERNEL_MMX(AddBlendTable, Add)
EFFECT_DEFINE_TABLE_KERNEL_MMX(SubBlendTable, Sub)

void KernelBlendOpacityOverAlphaMmx(std::uint32_t* dst, const std::uint32_t* src,
                                    std::int32_t dstSkip, std::int32_t srcSkip, std::int32_t width,
                                    std::int32_t height, const std::uint8_t* row) {
    Rows(dst, src, dstSkip, srcSkip, width, height,
         [row](std::uint32_t& d, std::uint32_t s) { d = over_math::OverMmx(d, s, row[s >> 24]); });
    _mm_empty();
}

void KernelStretchBlendOpacityOverAlphaMmx(std::uint32_t* dst, const std::uint32_t* src,
                                           std::int32_t dstSkip, std::int32_t srcPitch,
                                           std::int32_t width, std::int32_t height,
                                           const StretchStep& step, const std::uint8_t* row) {
    StretchRows(
        dst, src, dstSkip, srcPitch, width, height, step,
        [row](std::uint32_t& d, std::uint32_t s) { d = over_math::OverMmx(d, s, row[s >> 24]); });
    _mm_empty();
}

void KernelMaskColourOverAlphaMmx(std::uint32_t* dst, const std::uint8_t* mask,
                                  std::int32_t dstSkip, std::int32_t maskSkip, std::int32_t width,
                                  std::int32_t height, std::uint32_t colour,
                                  const std::uint8_t* row) {
    Rows(dst, mask, dstSkip, maskSkip, width, height,
         [=](std::uint32_t& d, std::uint8_t m) { d = over_math::OverMmx(d, colour, row[m]); });
    _mm_empty();
}

void KernelRuleBlendMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                        std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                        const std::uint8_t* rule, std::int32_t rulePitch,
                        const std::uint8_t* table) {
    RuleRows(dst, src, dstSkip, srcSkip, width, height, rule, rulePitch,
             [table](std::uint32_t d, std::uint32_t s, const std::uint8_t* ruleRow,
                       std::int32_t x) {
                 return Blend(d, s, Weight(g_blendTables.multiply[table[ruleRow[x]]][s >> 24]));
             });
    _mm_empty();
}

void KernelRuleBlendPlaneMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                             std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                             const std::uint8_t* rule, std::int32_t rulePitch,
                             const std::uint8_t* table) {
    RuleRows(dst, src, dstSkip, srcSkip, width, height, rule, rulePitch,
             [table](std::uint32_t d, std::uint32_t s, const std::uint8_t* ruleRow,
                       std::int32_t x) {
                 const std::uint8_t v = ruleRow ? ruleRow[x] : static_cast<std::uint8_t>(s >> 24);
                 return Blend(d, s, Weight(table[v]));
             });
    _mm_empty();
}

void KernelBilinearMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                       std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                       const BilinearStep& step) {
    BilinearPixels(dst, src, dstSkip, srcPitch, width, height, step, nullptr);
}

void KernelBilinearPaletteMmx(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                              std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                              const std::uint32_t* palette, const BilinearStep& step) {
    BilinearPixels(dst, src, dstSkip, srcPitch, width, height, step, palette);
}
