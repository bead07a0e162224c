#include "graphics/image/gradient_kernels.h"

#include "graphics/image/kernel_walk.h"
#include "graphics/image/over_math.h"
#include "graphics/image/pixel_math.h"

using kernel_walk::GradientRows;

namespace {

std::uint32_t Blend(std::uint32_t d, std::uint32_t entry, std::uint8_t t) {
    return pixel_math::BlendColour(d, entry, kernel_walk::Weight(t));
}

}  // namespace

#define GRADIENT_DEFINE(name, entry, combine)                                                  \
    void Kernel##name(std::uint32_t* dst, const std::uint8_t* coverage, std::int32_t dstPitch, \
                      std::int32_t coveragePitch, std::int32_t width, std::int32_t height,     \
                      const std::uint32_t* gradient, const std::uint8_t* levels) {             \
        GradientRows(                                                                          \
            dst, coverage, dstPitch - 4 * width, coveragePitch - width, width, height, levels, \
            [gradient](std::int32_t x, std::int32_t y) { return gradient[entry]; }, combine);  \
    }

GRADIENT_DEFINE(GradientBlendColumns, x, Blend)
GRADIENT_DEFINE(GradientBlendRows, y, Blend)
GRADIENT_DEFINE(GradientOverColumns, x, over_math::Over)
GRADIENT_DEFINE(GradientOverRows, y, over_math::Over)
