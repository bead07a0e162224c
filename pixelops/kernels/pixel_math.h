// Per-pixel building blocks shared by the portable row kernels.
//
// Colour arithmetic runs on packed words: red and blue together under 0x00FF00FF, green (or
// alpha and green) under the other mask. A negative difference borrows from the lane above and
// the addition of the base gives the borrow back, so each byte comes out as
// x + floor((y - x) w / 256) exactly for w in 0..256.
#pragma once

#include <cstdint>

#include "pixelops/library/blend_tables.h"
#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {

inline std::uint32_t Alpha(Pixel p) {
    return p >> 24;
}
inline std::uint32_t Channel(Pixel p, int index) {
    return (p >> (8 * index)) & 0xFF;
}
inline Pixel MakePixel(std::uint32_t b, std::uint32_t g, std::uint32_t r, std::uint32_t a) {
    return b | (g << 8) | (r << 16) | (a << 24);
}

// Colour bytes x + floor((y - x) w / 256); alpha byte 0.
inline Pixel LerpColour(Pixel x, Pixel y, std::uint32_t w) {
    const std::uint32_t xrb = x & 0x00FF00FF, yrb = y & 0x00FF00FF;
    const std::uint32_t xg = x & 0x0000FF00, yg = y & 0x0000FF00;
    const std::uint32_t rb = (xrb + (((yrb - xrb) * w) >> 8)) & 0x00FF00FF;
    const std::uint32_t g = (xg + (((yg - xg) * w) >> 8)) & 0x0000FF00;
    return rb | g;
}

// All four bytes x + floor((y - x) w / 256).
inline Pixel BlendArgb(Pixel x, Pixel y, std::uint32_t w) {
    const std::uint32_t xrb = x & 0x00FF00FF, yrb = y & 0x00FF00FF;
    const std::uint32_t xag = (x >> 8) & 0x00FF00FF, yag = (y >> 8) & 0x00FF00FF;
    const std::uint32_t rb = (xrb + (((yrb - xrb) * w) >> 8)) & 0x00FF00FF;
    const std::uint32_t ag = (xag + (((yag - xag) * w) >> 8)) & 0x00FF00FF;
    return rb | (ag << 8);
}

// Each byte times k, >> 8.
inline Pixel Scale4(Pixel p, std::uint32_t k) {
    const std::uint32_t rb = ((p & 0x00FF00FF) * k >> 8) & 0x00FF00FF;
    const std::uint32_t ag = (((p >> 8) & 0x00FF00FF) * k >> 8) & 0x00FF00FF;
    return rb | (ag << 8);
}

// Each colour byte times alpha, >> 8; alpha kept.
inline Pixel Premultiply(Pixel p) {
    return (Scale4(p, Alpha(p)) & 0x00FFFFFF) | (p & 0xFF000000);
}

// Colour bytes times k, >> 8; alpha byte 0.
inline Pixel ScaleColour(Pixel p, std::uint32_t k) {
    return Scale4(p, k) & 0x00FFFFFF;
}

// Per byte min(255, x + y).
inline Pixel AddSat(Pixel x, Pixel y) {
    const std::uint32_t rb = (x & 0x00FF00FF) + (y & 0x00FF00FF);
    const std::uint32_t ag = ((x >> 8) & 0x00FF00FF) + ((y >> 8) & 0x00FF00FF);
    // A lane that overflowed has bit 8 set; widen it to a full byte of ones.
    const std::uint32_t rbOver = ((rb >> 8) & 0x00010001) * 0xFF;
    const std::uint32_t agOver = ((ag >> 8) & 0x00010001) * 0xFF;
    return ((rb | rbOver) & 0x00FF00FF) | (((ag | agOver) & 0x00FF00FF) << 8);
}

// Per byte floor average.
inline Pixel Average(Pixel a, Pixel b) {
    return (a & b) + (((a ^ b) >> 1) & 0x7F7F7F7F);
}

// Premultiplied s over a plain destination: colour AddSat(d (255 - sa) >> 8, s), alpha sa.
inline Pixel AdditiveAlphaOver(Pixel d, Pixel s) {
    return AddSat(ScaleColour(d, 255 - Alpha(s)), s);
}

// Premultiplied s over a premultiplied destination.
inline Pixel AdditiveOntoAdditive(Pixel d, Pixel s) {
    const std::uint32_t sa = Alpha(s), da = Alpha(d);
    std::uint32_t a = da + sa - ((sa * da) >> 8);
    if (a > 255) a = 255;
    return (AddSat(ScaleColour(d, 255 - sa), s & 0x00FFFFFF) & 0x00FFFFFF) | (a << 24);
}

// Straight-alpha "over": the source colour weighted by T_weight, alpha from T_alpha.
inline Pixel OverAlpha(Pixel d, Pixel s, std::uint32_t a) {
    const std::uint32_t index = a * 256 + Alpha(d);
    return LerpColour(d, s, T_weight[index]) | (static_cast<std::uint32_t>(T_alpha[index]) << 24);
}

// Sampling. Stretched: src[(x + i step) >> 16]. Affine: row (v >> 16), column (u >> 16).
inline Pixel AffineSample(const void* src, std::int32_t u, std::int32_t v, std::int32_t pitch) {
    const std::uint8_t* row = static_cast<const std::uint8_t*>(src) + (v >> 16) * pitch;
    return reinterpret_cast<const Pixel*>(row)[u >> 16];
}

// Bits 8-15 of a 16.16 position: the 8-bit fraction of bilinear sampling.
inline std::uint32_t Fraction8(std::int32_t position) {
    return (static_cast<std::uint32_t>(position) >> 8) & 0xFF;
}
// An 8-bit fraction widened to 0..256 (255 becomes 256).
inline std::uint32_t WidenFraction(std::uint32_t f) {
    return f + (f >> 7);
}

// The 2 x 2 neighbourhood blended across by wx, then down by wy (weights 0..256).
inline Pixel Bilinear(Pixel topLeft, Pixel topRight, Pixel bottomLeft, Pixel bottomRight,
                      std::uint32_t wx, std::uint32_t wy) {
    return BlendArgb(BlendArgb(topLeft, topRight, wx), BlendArgb(bottomLeft, bottomRight, wx), wy);
}

inline Pixel BilinearStretchSample(const Pixel* row0, const Pixel* row1, std::uint32_t fy,
                                   std::int32_t x) {
    const std::int32_t x0 = x >> 16;
    return Bilinear(row0[x0], row0[x0 + 1], row1[x0], row1[x0 + 1], Fraction8(x),
                    WidenFraction(fy & 0xFF));
}

inline Pixel BilinearAffineSample(const void* src, std::int32_t u, std::int32_t v,
                                  std::int32_t pitch) {
    const std::uint8_t* row0 = static_cast<const std::uint8_t*>(src) + (v >> 16) * pitch;
    const Pixel* p0 = reinterpret_cast<const Pixel*>(row0) + (u >> 16);
    const Pixel* p1 = reinterpret_cast<const Pixel*>(row0 + pitch) + (u >> 16);
    return Bilinear(p0[0], p0[1], p1[0], p1[1], WidenFraction(Fraction8(u)),
                    WidenFraction(Fraction8(v)));
}

// A bilinear edge sample that the row kernels do not reach, put onto d as the bilinear kernels
// of `mode` (0 copy or constant alpha, 11 additive alpha) would put their samples.
inline Pixel PutBilinearEdge(std::int32_t mode, Pixel d, Pixel sample, std::uint32_t opacity) {
    if (mode == 0) return opacity == 255 ? sample : BlendArgb(d, sample, opacity);
    return AdditiveAlphaOver(d, opacity == 255 ? sample : Scale4(sample, opacity));
}

// Loops over the three sampling forms; `op(d, s)` gives the new destination pixel.
template <class Op>
inline void PlainLoop(Pixel* dst, const Pixel* src, std::int32_t count, Op op) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = op(dst[i], src[i]);
}

template <class Op>
inline void StretchLoop(Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t x,
                        std::int32_t step, Op op) {
    for (std::int32_t i = 0; i < count; ++i, x += step) dst[i] = op(dst[i], src[x >> 16]);
}

// count pixels from src to dst with memcpy when the two do not overlap (a forward pixel loop
// over an overlap would repeat pixels, which a block copy does not); false otherwise.
inline bool StraightCopy(Pixel* dst, const Pixel* src, std::int32_t count) {
    const auto d = reinterpret_cast<std::uintptr_t>(dst), s = reinterpret_cast<std::uintptr_t>(src);
    const std::uintptr_t bytes = static_cast<std::uintptr_t>(count) * sizeof(Pixel);
    if (d < s + bytes && s < d + bytes) return false;
    __builtin_memcpy(dst, src, bytes);
    return true;
}

template <class Op>
inline void BilinearStretchLoop(Pixel* dst, std::int32_t count, const Pixel* row0,
                                const Pixel* row1, std::uint32_t fy, std::int32_t x,
                                std::int32_t step, Op op) {
    for (std::int32_t i = 0; i < count; ++i, x += step)
        dst[i] = op(dst[i], BilinearStretchSample(row0, row1, fy, x));
}

// The affine walk with either sampler.
template <class Sampler, class Op>
inline void AffineWalk(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                       std::int32_t v, std::int32_t du, std::int32_t dv, std::int32_t pitch,
                       Sampler sample, Op op) {
    for (std::int32_t i = 0; i < count; ++i, u += du, v += dv)
        dst[i] = op(dst[i], sample(src, u, v, pitch));
}

template <class Op>
inline void AffineLoop(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                       std::int32_t v, std::int32_t du, std::int32_t dv, std::int32_t pitch,
                       Op op) {
    AffineWalk(dst, count, src, u, v, du, dv, pitch, AffineSample, op);
}

template <class Op>
inline void BilinearAffineLoop(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                               std::int32_t v, std::int32_t du, std::int32_t dv, std::int32_t pitch,
                               Op op) {
    AffineWalk(dst, count, src, u, v, du, dv, pitch, BilinearAffineSample, op);
}

}  // namespace pixelops
