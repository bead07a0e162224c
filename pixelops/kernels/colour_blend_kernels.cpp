// Constant-colour blends, fills and the arithmetic blend modes (words 105-136, 150-153).
#include "pixelops/kernels/pixel_math.h"
#include "pixelops/kernels/row_kernels.h"

namespace pixelops {

namespace {

// Applies `f(d, s)` to each colour byte; the alpha byte comes from `alpha(d, s)`.
template <class F, class A>
Pixel PerColour(Pixel d, Pixel s, F f, A alpha) {
    return MakePixel(f(Channel(d, 0), Channel(s, 0)), f(Channel(d, 1), Channel(s, 1)),
                     f(Channel(d, 2), Channel(s, 2)), alpha(Alpha(d), Alpha(s)));
}

// The three alpha rules of the arithmetic modes.
std::uint32_t AlphaZero(std::uint32_t, std::uint32_t) {
    return 0;
}
std::uint32_t AlphaKept(std::uint32_t da, std::uint32_t) {
    return da;
}
std::uint32_t AlphaFull(std::uint32_t, std::uint32_t) {
    return 255;
}

std::uint32_t Sub(std::uint32_t d, std::uint32_t s) {
    return d + s > 255 ? d + s - 255 : 0;
}
std::uint32_t Mul(std::uint32_t d, std::uint32_t s) {
    return (d * s) >> 8;
}
std::uint32_t Dodge(std::uint32_t d, std::uint32_t s) {
    return 255 - s > d ? 255 * d / (255 - s) : 255;
}
std::uint32_t Min(std::uint32_t d, std::uint32_t s) {
    return d < s ? d : s;
}
std::uint32_t Max(std::uint32_t d, std::uint32_t s) {
    return d > s ? d : s;
}
std::uint32_t Screen(std::uint32_t d, std::uint32_t s) {
    return 255 - (((255 - d) * (255 - s)) >> 8);
}

// The source faded towards white (255 - ((255 - s) op >> 8)) or towards black (s op >> 8).
std::uint32_t TowardsWhite(std::uint32_t s, std::uint32_t op) {
    return 255 - (((255 - s) * op) >> 8);
}
std::uint32_t TowardsBlack(std::uint32_t s, std::uint32_t op) {
    return (s * op) >> 8;
}

template <class F, class A>
void Arithmetic(Pixel* dst, const Pixel* src, std::int32_t count, F f, A alpha) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = PerColour(dst[i], src[i], f, alpha);
}

// Opacity forms: the source colour is faded first, then the mode applies.
template <class Fade, class F, class A>
void ArithmeticFaded(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity,
                     Fade fade, F f, A alpha) {
    const std::uint32_t op = opacity & 0xFF;
    Arithmetic(
        dst, src, count,
        [op, fade, f](std::uint32_t d, std::uint32_t s) { return f(d, fade(s, op)); }, alpha);
}

// Darken and lighten opacity forms interpolate towards the mode's value.
template <class F, class A>
void ArithmeticLerp(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t opacity, F f,
                    A alpha) {
    const std::uint32_t op = opacity & 0xFF;
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel d = dst[i];
        const Pixel target = PerColour(d, src[i], f, AlphaZero);
        dst[i] = LerpColour(d, target, op) | (alpha(Alpha(d), Alpha(src[i])) << 24);
    }
}

}  // namespace

void QMXGL_CALL ConstColorAlphaBlendLine(Pixel* row, std::int32_t count, std::uint32_t colour,
                                         std::uint32_t opacity) {
    const std::uint32_t op = opacity & 0xFF;
    const Pixel c = colour;
    for (std::int32_t i = 0; i < count; ++i)
        row[i] = PerColour(
            row[i], c,
            [op](std::uint32_t d, std::uint32_t s) { return (s * op + d * (255 - op)) >> 8; },
            AlphaKept);
}

void QMXGL_CALL ConstColorAlphaBlendLineOntoAlpha(Pixel* row, std::int32_t count,
                                                  std::uint32_t colour, std::uint32_t opacity) {
    const std::uint32_t op = opacity & 0xFF;
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel d = row[i];
        const std::uint32_t da = Alpha(d);
        const std::uint32_t a = 255 - (((255 - op) * (255 - da)) >> 8);
        row[i] = LerpColour(d, colour, T_weight[op * 256 + da]) | (a << 24);
    }
}

void QMXGL_CALL ConstColorAlphaBlendLineOntoAdditiveAlpha(Pixel* row, std::int32_t count,
                                                          std::uint32_t colour,
                                                          std::uint32_t opacity) {
    const std::uint32_t op = opacity & 0xFF;
    const Pixel scaled = ScaleColour(colour, op);
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel d = row[i];
        const std::uint32_t da = Alpha(d);
        std::uint32_t a = da + op - ((op * da) >> 8);
        if (a > 255) a = 255;
        row[i] = (AddSat(ScaleColour(d, 255 - op), scaled) & 0x00FFFFFF) | (a << 24);
    }
}

void QMXGL_CALL RemoveOpacityLine(Pixel* row, std::int32_t count, std::uint32_t value) {
    const std::uint32_t op = value & 0xFF;
    for (std::int32_t i = 0; i < count; ++i)
        row[i] = (row[i] & 0x00FFFFFF) | (((Alpha(row[i]) * (255 - op)) >> 8) << 24);
}

// Add.
void QMXGL_CALL AddBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = AddSat(dst[i], src[i]);
}
void QMXGL_CALL AddBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = AddSat(dst[i], src[i] & 0x00FFFFFF);
}
void QMXGL_CALL AddBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                    std::uint32_t opacity) {
    const std::uint32_t op = opacity & 0xFF;
    for (std::int32_t i = 0; i < count; ++i) dst[i] = AddSat(dst[i], ScaleColour(src[i], op));
}
void QMXGL_CALL AddBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity) {
    AddBlendLineOpacity(dst, src, count, opacity);
}

// Subtract: the source is the complement of what is taken away.
void QMXGL_CALL SubBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Sub, Sub);
}
void QMXGL_CALL SubBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Sub, AlphaKept);
}
void QMXGL_CALL SubBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                    std::uint32_t opacity) {
    ArithmeticFaded(dst, src, count, opacity, TowardsWhite, Sub, AlphaKept);
}
void QMXGL_CALL SubBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity) {
    SubBlendLineOpacity(dst, src, count, opacity);
}

// Multiply.
void QMXGL_CALL MulBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Mul, AlphaZero);
}
void QMXGL_CALL MulBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Mul, AlphaKept);
}
void QMXGL_CALL MulBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                    std::uint32_t opacity) {
    ArithmeticFaded(dst, src, count, opacity, TowardsWhite, Mul, AlphaZero);
}
void QMXGL_CALL MulBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity) {
    ArithmeticFaded(dst, src, count, opacity, TowardsWhite, Mul, AlphaKept);
}

// Colour dodge.
void QMXGL_CALL ColorDodgeBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Dodge, AlphaZero);
}
void QMXGL_CALL ColorDodgeBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Dodge, AlphaKept);
}
void QMXGL_CALL ColorDodgeBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                           std::uint32_t opacity) {
    ArithmeticFaded(dst, src, count, opacity, TowardsBlack, Dodge, AlphaZero);
}
void QMXGL_CALL ColorDodgeBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                    std::int32_t count, std::uint32_t opacity) {
    ArithmeticFaded(dst, src, count, opacity, TowardsBlack, Dodge, AlphaKept);
}

// Darken.
void QMXGL_CALL DarkenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Min, Min);
}
void QMXGL_CALL DarkenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Min, AlphaKept);
}
void QMXGL_CALL DarkenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                       std::uint32_t opacity) {
    ArithmeticLerp(dst, src, count, opacity, Min, AlphaZero);
}
void QMXGL_CALL DarkenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity) {
    ArithmeticLerp(dst, src, count, opacity, Min, AlphaKept);
}

// Lighten.
void QMXGL_CALL LightenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Max, Max);
}
void QMXGL_CALL LightenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Max, AlphaKept);
}
void QMXGL_CALL LightenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                        std::uint32_t opacity) {
    ArithmeticLerp(dst, src, count, opacity, Max, AlphaZero);
}
void QMXGL_CALL LightenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                 std::uint32_t opacity) {
    ArithmeticLerp(dst, src, count, opacity, Max, AlphaKept);
}

// Screen.
void QMXGL_CALL ScreenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Screen, AlphaFull);
}
void QMXGL_CALL ScreenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    Arithmetic(dst, src, count, Screen, AlphaKept);
}
void QMXGL_CALL ScreenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                       std::uint32_t opacity) {
    ArithmeticFaded(dst, src, count, opacity, TowardsBlack, Screen, AlphaFull);
}
void QMXGL_CALL ScreenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity) {
    ArithmeticFaded(dst, src, count, opacity, TowardsBlack, Screen, AlphaKept);
}

// Fills.
void QMXGL_CALL FillArgbLine(Pixel* row, std::int32_t count, std::uint32_t value) {
    for (std::int32_t i = 0; i < count; ++i) row[i] = value;
}
void QMXGL_CALL FillColorLine(Pixel* row, std::int32_t count, std::uint32_t colour) {
    for (std::int32_t i = 0; i < count; ++i) row[i] = (row[i] & 0xFF000000) | (colour & 0x00FFFFFF);
}
void QMXGL_CALL FillAlphaLine(Pixel* row, std::int32_t count, std::uint32_t alpha) {
    for (std::int32_t i = 0; i < count; ++i) row[i] = (row[i] & 0x00FFFFFF) | (alpha << 24);
}

}  // namespace pixelops
