#include "graphics/image/gradient_kernels.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/graphics/image/pixel_case_harness.h"

using namespace kerneltest;

namespace {

using Gradient = void (*)(std::uint32_t*, const std::uint8_t*, std::int32_t, std::int32_t,
                          std::int32_t, std::int32_t, const std::uint32_t*, const std::uint8_t*);

struct GradientCase {
    const char* name;
    Gradient plain;
    Gradient mmx;
    bool perRow;
    bool over;
};

// Coverage through a level row (here the multiply row of opacity 200), each pixel blended
// towards its column's or row's gradient entry; the plain form walks by pitches, the MMX form
// by skips, and both must give the formula's pixels.
TEST(GradientKernels, EveryFormAgainstTheFormula) {
    std::array<std::uint8_t, 256> levels{};
    for (std::uint32_t i = 0; i < 256; ++i)
        levels[i] = static_cast<std::uint8_t>(RefMultiply(200, i));
    const GradientCase cases[] = {
        {"BlendColumns", KernelGradientBlendColumns, KernelGradientBlendColumnsMmx, false, false},
        {"BlendRows", KernelGradientBlendRows, KernelGradientBlendRowsMmx, true, false},
        {"OverColumns", KernelGradientOverColumns, KernelGradientOverColumnsMmx, false, true},
        {"OverRows", KernelGradientOverRows, KernelGradientOverRowsMmx, true, true},
    };
    for (const GradientCase& c : cases) {
        for (bool corners : {false, true}) {
            for (std::int32_t w : kWidths) {
                SCOPED_TRACE(::testing::Message()
                             << c.name << " width " << w << " corners " << corners);
                Planes planes(w, 3, corners);
                std::vector<std::uint32_t> gradient(w > 3 ? w : 3);
                for (size_t i = 0; i < gradient.size(); ++i) gradient[i] = planes.src.pixels[i];
                Plane<std::uint32_t> expected = planes.dst;
                for (std::int32_t y = 0; y < 3; ++y) {
                    for (std::int32_t x = 0; x < w; ++x) {
                        const std::uint32_t entry = gradient[c.perRow ? y : x];
                        const std::uint32_t t = levels[planes.mask.At(x, y)];
                        std::uint32_t& e = expected.At(x, y);
                        e = c.over ? RefOver(e, entry, t) : RefBlend(e, entry, RefWeight(t));
                    }
                }
                Plane<std::uint32_t> plain = planes.dst, mmx = planes.dst;
                c.plain(plain.Row(0), planes.mask.Row(0), plain.Pitch(), planes.mask.Pitch(), w, 3,
                        gradient.data(), levels.data());
                c.mmx(mmx.Row(0), planes.mask.Row(0), mmx.Skip(), planes.mask.Skip(), w, 3,
                      gradient.data(), levels.data());
                ASSERT_EQ(expected.pixels, plain.pixels);
                ASSERT_EQ(expected.pixels, mmx.pixels);
            }
        }
    }
}

}  // namespace
