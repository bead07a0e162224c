// MMX forms of the masked gradient blends (skips instead of pitches).
#include <mmintrin.h>

#include "graphics/image/gradient_kernels.h"
#include "graphics/image/kernel_walk.h"
#include "graphics/image/mmx_helpers.h"
#include "graphics/image/over_math_mmx.h"

using kernel_walk::GradientRows;
using namespace mmx;

namespace {

std::uint32_t Blend(std::uint32_t d, std::uint32_t entry, std::uint8_t t) {
    return Pack(Lerp(Unpack(d), Unpack(entry), ColourWeight(kernel_walk::Weight(t))));
}

}  // namespace

#define GRADIENT_DEFINE_MMX(name, entry, combine)                                                  \
    void Kernel##name##Mmx(std::uint32_t* dst, const std::uint8_t* coverage, std::int32_t dstSkip, \
                           std::int32_t coverageSkip, std::int32_t width, std::int32_t height,     \
                           const std::uint32_t* gradient, const std::uint8_t* levels) {            \
        GradientRows(                                                                              \
            dst, coverage, dstSkip, coverageSkip, width, height, levels,                           \
            [gradient](std::int32_t x, std::int32_t y) { return gradient[entry]; }, combine);      \
        _mm_empty();                                                                               \
    }

GRADIENT_DEFINE_MMX(GradientBlendColumns, x, Blend)
GRADIENT_DEFINE_MMX(GradientBlendRows, y, Blend)
GRADIENT_DEFINE_MMX(GradientOverColumns, x, over_math::OverMmx)
GRADIENT_DEFINE_MMX(GradientOverRows, y, over_math::OverMmx)
