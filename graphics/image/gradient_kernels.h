// Masked gradient blends: anti-aliased glyph coverage drawn in a gradient colour, one gradient
// entry per column or per row. For coverage c, t = levels[c] (the multiply row of the opacity,
// or the identity) and w = w(t) (0 for 0, else t + 1).
//  - Blend forms: blue, green and red move towards the entry by w; alpha stays.
//  - Over forms: the entry is laid over the pixel's own alpha: the share is
//    sourceWeight[destination alpha][t], the new alpha screen[destination alpha][t].
// The plain forms take the destination and coverage pitches, the MMX forms the skips; both
// give the same pixels. gradient points at the entry of the first column or row.
#pragma once

#include <cstdint>

#define GRADIENT_KERNEL(name, step)                                                             \
    void Kernel##name(std::uint32_t* dst, const std::uint8_t* coverage, std::int32_t dst##step, \
                      std::int32_t coverage##step, std::int32_t width, std::int32_t height,     \
                      const std::uint32_t* gradient, const std::uint8_t* levels);

GRADIENT_KERNEL(GradientBlendColumns, Pitch)
GRADIENT_KERNEL(GradientBlendColumnsMmx, Skip)
GRADIENT_KERNEL(GradientBlendRows, Pitch)
GRADIENT_KERNEL(GradientBlendRowsMmx, Skip)
GRADIENT_KERNEL(GradientOverColumns, Pitch)
GRADIENT_KERNEL(GradientOverColumnsMmx, Skip)
GRADIENT_KERNEL(GradientOverRows, Pitch)
GRADIENT_KERNEL(GradientOverRowsMmx, Skip)

#undef GRADIENT_KERNEL
