#include "graphics/image/gradient_kernels.h"

#include "graphics/image/kernel_walk.h"
#include "graphics/image/over_math.h"
#include "graphics/image/pixel_math.h"

using kernel_walk::Advance;

namespace {

// entryOf(x, y) picks the gradient entry; combine(d, entry, t) gives the new pixel.
template <class EntryOf, class Combine>
void GradientRows(std::uint32_t* dst, const std::uint8_t* coverage, std::int32_t dstPitch,
                  std::int32_t coveragePitch, std::int32_t width, std::int32_t height,
                  const std::uint8_t* levels, EntryOf entryOf, Combine combine) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            dst[x] = combine(dst[x], entryOf(x, y), levels[coverage[x]]);
        }
        dst = Advance(dst, dstPitch);
        coverage += coveragePitch;
    }
}

std::uint32_t Blend(std::uint32_t d, std::uint32_t entry, std::uint8_t t) {
    return pixel_math::BlendColour(d, entry, pixel_math::Weight(t));
}

}  // namespace

#define GRADIENT_DEFINE(name, entry, combine)                                                  \
    void Kernel##name(std::uint32_t* dst, const std::uint8_t* coverage, std::int32_t dstPitch, \
                      std::int32_t coveragePitch, std::int32_t width, std::int32_t height,     \
                      const std::uint32_t* gradient, const std::uint8_t* levels) {             \
        GradientRows(                                                                          \
            dst, coverage, dstPitch, coveragePitch, width, height, levels,                     \
            [gradient](std::int32_t x, std::int32_t y) { return gradient[entry]; }, combine);  \
    }

GRADIENT_DEFINE(GradientBlendColumns, x, Blend)
GRADIENT_DEFINE(GradientBlendRows, y, Blend)
GRADIENT_DEFINE(GradientOverColumns, x, over_math::Over)
GRADIENT_DEFINE(GradientOverRows, y, over_math::Over)
