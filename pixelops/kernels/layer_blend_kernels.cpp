// The sixteen layer blend modes in their four forms (words 171-234).
#include "pixelops/kernels/pixel_math.h"
#include "pixelops/kernels/row_kernels.h"

namespace pixelops {

namespace {

// The modes' functions f(s, d) of one colour channel; Screen may give 256, which the
// interpolation brings back into range.
struct Normal {
    static std::int32_t F(std::int32_t s, std::int32_t) { return s; }
};
struct Additive {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return d + s > 255 ? 255 : d + s; }
};
struct Subtractive {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return d + s > 255 ? d + s - 255 : 0; }
};
struct Multiply {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return (d * s) >> 8; }
};
struct Screen {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return d + s - ((d * s) >> 8); }
};
struct Overlay {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return T_overlay[s * 256 + d]; }
};
struct HardLight {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return T_overlay[d * 256 + s]; }
};
struct SoftLight {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return T_softlight[s * 256 + d]; }
};
struct ColorDodge {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return T_dodge[s * 256 + d]; }
};
struct ColorBurn {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return T_burn[s * 256 + d]; }
};
struct Lighten {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return s > d ? s : d; }
};
struct Darken {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return s < d ? s : d; }
};
struct Difference {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return d > s ? d - s : s - d; }
};
struct Exclusion {
    static std::int32_t F(std::int32_t s, std::int32_t d) { return d + s - ((2 * d * s) >> 8); }
};

// The pre-alpha modes store their value of the weighted source directly.
struct ColorDodgePreAlpha {
    static std::int32_t F(std::int32_t p, std::int32_t d) { return T_dodge[p * 256 + d]; }
};
struct DifferencePreAlpha {
    static std::int32_t F(std::int32_t p, std::int32_t d) { return d > p ? d - p : p - d; }
};

std::uint32_t Weight(Pixel s, bool withOpacity, std::uint32_t op) {
    return withOpacity ? (Alpha(s) * op) >> 8 : Alpha(s);
}

// d + floor((f - d) w / 256) per colour channel; alpha 0 or the destination's.
template <class Mode>
void Interpolating(Pixel* dst, const Pixel* src, std::int32_t count, bool withOpacity,
                   std::uint32_t opacity, bool holdAlpha) {
    const std::uint32_t op = opacity & 0xFF;
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel d = dst[i], s = src[i];
        const std::int32_t w = static_cast<std::int32_t>(Weight(s, withOpacity, op));
        std::uint32_t out[3];
        for (int c = 0; c < 3; ++c) {
            const std::int32_t dc = static_cast<std::int32_t>(Channel(d, c));
            const std::int32_t f = Mode::F(static_cast<std::int32_t>(Channel(s, c)), dc);
            out[c] = static_cast<std::uint32_t>(dc + (((f - dc) * w) >> 8));
        }
        dst[i] = MakePixel(out[0], out[1], out[2], holdAlpha ? Alpha(d) : 0);
    }
}

template <class Mode>
void PreAlpha(Pixel* dst, const Pixel* src, std::int32_t count, bool withOpacity,
              std::uint32_t opacity, bool holdAlpha) {
    const std::uint32_t op = opacity & 0xFF;
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel d = dst[i], s = src[i];
        const std::uint32_t w = Weight(s, withOpacity, op);
        std::uint32_t out[3];
        for (int c = 0; c < 3; ++c) {
            const std::int32_t p = static_cast<std::int32_t>((Channel(s, c) * w) >> 8);
            out[c] =
                static_cast<std::uint32_t>(Mode::F(p, static_cast<std::int32_t>(Channel(d, c))));
        }
        dst[i] = MakePixel(out[0], out[1], out[2], holdAlpha ? Alpha(d) : 0);
    }
}

}  // namespace

void QMXGL_CALL LayerNormalBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Normal>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerNormalBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                            std::uint32_t opacity) {
    Interpolating<Normal>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerNormalBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Normal>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerNormalBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                     std::int32_t count, std::uint32_t opacity) {
    Interpolating<Normal>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerAdditiveBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Additive>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerAdditiveBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                              std::uint32_t opacity) {
    Interpolating<Additive>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerAdditiveBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Additive>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerAdditiveBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                       std::int32_t count, std::uint32_t opacity) {
    Interpolating<Additive>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerSubtractiveBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Subtractive>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerSubtractiveBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                 std::uint32_t opacity) {
    Interpolating<Subtractive>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerSubtractiveBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                   std::int32_t count) {
    Interpolating<Subtractive>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerSubtractiveBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                          std::int32_t count,
                                                          std::uint32_t opacity) {
    Interpolating<Subtractive>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerMultiplyBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Multiply>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerMultiplyBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                              std::uint32_t opacity) {
    Interpolating<Multiply>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerMultiplyBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Multiply>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerMultiplyBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                       std::int32_t count, std::uint32_t opacity) {
    Interpolating<Multiply>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerScreenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Screen>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerScreenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                            std::uint32_t opacity) {
    Interpolating<Screen>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerScreenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Screen>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerScreenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                     std::int32_t count, std::uint32_t opacity) {
    Interpolating<Screen>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerOverlayBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Overlay>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerOverlayBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity) {
    Interpolating<Overlay>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerOverlayBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Overlay>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerOverlayBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                      std::int32_t count, std::uint32_t opacity) {
    Interpolating<Overlay>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerHardLightBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<HardLight>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerHardLightBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity) {
    Interpolating<HardLight>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerHardLightBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<HardLight>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerHardLightBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count, std::uint32_t opacity) {
    Interpolating<HardLight>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerSoftLightBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<SoftLight>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerSoftLightBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity) {
    Interpolating<SoftLight>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerSoftLightBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<SoftLight>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerSoftLightBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count, std::uint32_t opacity) {
    Interpolating<SoftLight>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerColorDodgeBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<ColorDodge>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerColorDodgeBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity) {
    Interpolating<ColorDodge>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerColorDodgeBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                  std::int32_t count) {
    Interpolating<ColorDodge>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerColorDodgeBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                         std::int32_t count,
                                                         std::uint32_t opacity) {
    Interpolating<ColorDodge>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerColorDodgePreAlphaBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    PreAlpha<ColorDodgePreAlpha>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerColorDodgePreAlphaBlendLineOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count, std::uint32_t opacity) {
    PreAlpha<ColorDodgePreAlpha>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerColorDodgePreAlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                          std::int32_t count) {
    PreAlpha<ColorDodgePreAlpha>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerColorDodgePreAlphaBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                                 std::int32_t count,
                                                                 std::uint32_t opacity) {
    PreAlpha<ColorDodgePreAlpha>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerColorBurnBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<ColorBurn>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerColorBurnBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity) {
    Interpolating<ColorBurn>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerColorBurnBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<ColorBurn>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerColorBurnBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count, std::uint32_t opacity) {
    Interpolating<ColorBurn>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerLightenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Lighten>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerLightenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity) {
    Interpolating<Lighten>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerLightenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Lighten>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerLightenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                      std::int32_t count, std::uint32_t opacity) {
    Interpolating<Lighten>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerDarkenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Darken>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerDarkenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                            std::uint32_t opacity) {
    Interpolating<Darken>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerDarkenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Darken>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerDarkenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                     std::int32_t count, std::uint32_t opacity) {
    Interpolating<Darken>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerDifferenceBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Difference>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerDifferenceBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity) {
    Interpolating<Difference>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerDifferenceBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                  std::int32_t count) {
    Interpolating<Difference>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerDifferenceBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                         std::int32_t count,
                                                         std::uint32_t opacity) {
    Interpolating<Difference>(dst, src, count, true, opacity, true);
}

// Difference pre-alpha keeps the destination alpha in all four forms.
void QMXGL_CALL LayerDifferencePreAlphaBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    PreAlpha<DifferencePreAlpha>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerDifferencePreAlphaBlendLineOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count, std::uint32_t opacity) {
    PreAlpha<DifferencePreAlpha>(dst, src, count, true, opacity, true);
}
void QMXGL_CALL LayerDifferencePreAlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                          std::int32_t count) {
    PreAlpha<DifferencePreAlpha>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerDifferencePreAlphaBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                                 std::int32_t count,
                                                                 std::uint32_t opacity) {
    PreAlpha<DifferencePreAlpha>(dst, src, count, true, opacity, true);
}

void QMXGL_CALL LayerExclusionBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Exclusion>(dst, src, count, false, 0, false);
}
void QMXGL_CALL LayerExclusionBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity) {
    Interpolating<Exclusion>(dst, src, count, true, opacity, false);
}
void QMXGL_CALL LayerExclusionBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Interpolating<Exclusion>(dst, src, count, false, 0, true);
}
void QMXGL_CALL LayerExclusionBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count, std::uint32_t opacity) {
    Interpolating<Exclusion>(dst, src, count, true, opacity, true);
}

}  // namespace pixelops
