// Every MMX kernel must end with EMMS: the MMX registers alias the x87 stack, and floating-point
// code that runs after a kernel which forgot it computes NaN.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "graphics/image/copy_kernels.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/gradient_kernels.h"
#include "graphics/image/mix_kernels.h"
#include "tests/graphics/image/pixel_case_harness.h"

using namespace kerneltest;

namespace {

// Eight x87 loads and adds: a stack whose tags MMX left in use makes this NaN.
double X87Sum() {
    volatile double values[8] = {0.5, 1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5};
    double a = values[0], b = values[1], c = values[2], d = values[3];
    double e = values[4], f = values[5], g = values[6], h = values[7];
    return ((a + b) + (c + d)) + ((e + f) + (g + h));
}

TEST(MmxKernels, LeaveTheFloatingPointUnitUsable) {
    std::array<std::uint8_t, 256> row{};
    for (int i = 0; i < 256; ++i) row[i] = static_cast<std::uint8_t>(i);
    const std::uint8_t* r = row.data();
    const std::array<std::uint32_t, 256> palette{};
    const std::uint32_t* pal = palette.data();
    const BilinearStep bilinear = {0, 0, 1ull << 31, 1ull << 31};
    auto stretch = [](Planes& p) {
        return MakeStretch(p.src.width, p.dst.width, p.src.height, p.dst.height);
    };
    const std::vector<std::pair<const char*, PlanesRun>> kernels = {
        {"CopyMmx", KT_TWO(KernelCopyMmx)},
        {"StretchCopyMmx",
         [=](Planes& p) {
             KernelStretchCopyMmx(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Pitch(), 4, 2,
                                  stretch(p));
         }},
        {"CopyMirroredMmx",
         [](Planes& p) { KernelCopyMirroredMmx(p.dst.Row(0), p.src.Row(0) + 4, 0, 0, 4, 1); }},
        {"AlphaBlendMmx", KT_TWO(KernelAlphaBlendMmx)},
        {"CopyColourMmx", KT_TWO(KernelCopyColourMmx)},
        {"CopyColourKeyedMmx", KT_TWO(KernelCopyColourKeyedMmx, kKey)},
        {"CopyAlphaMmx", KT_TWO(KernelCopyAlphaMmx)},
        {"FillColourKeepAlphaMmx", KT_RECT(KernelFillColourKeepAlphaMmx, 0x123456u)},
        {"BlendWeightsMmx", KT_TWO(KernelBlendWeightsMmx, 0x7F7F7Fu, 0x808080u)},
        {"BlendOpacityMmx", KT_TWO(KernelBlendOpacityMmx, std::uint8_t{9})},
        {"AverageKeyedMmx", KT_TWO(KernelAverageKeyedMmx, kKey)},
        {"StretchAddSaturateMmx",
         [=](Planes& p) {
             KernelStretchAddSaturateMmx(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Pitch(),
                                         4, 2, stretch(p));
         }},
        {"SubSaturateMmx", KT_TWO(KernelSubSaturateMmx)},
        {"AddColourMmx", KT_RECT(KernelAddColourMmx, 0x10u)},
        {"SubColourKeyedMmx", KT_RECT(KernelSubColourKeyedMmx, 0x10u, kKey)},
        {"GreyscaleMmx", KT_RECT(KernelGreyscaleMmx)},
        {"ColourBalanceMmx", KT_RECT(KernelColourBalanceMmx, 128, 128, 128, 0, 0, 0)},
        {"InvertMmx", KT_RECT(KernelInvertMmx, 0)},
        {"MaskBlendColourMmx", KT_MASK(KernelMaskBlendColourMmx, 0x10u, r)},
        {"MaskAddColourMmx", KT_MASK(KernelMaskAddColourMmx, 0x10u, r)},
        {"MaskSubColourMmx", KT_MASK(KernelMaskSubColourMmx, 0x10u, r)},
        {"AddOpacityMmx", KT_TWO(KernelAddOpacityMmx, std::uint8_t{9})},
        {"SubOpacityMmx", KT_TWO(KernelSubOpacityMmx, std::uint8_t{9})},
        {"AlphaBlendTableMmx", KT_TWO(KernelAlphaBlendTableMmx, r)},
        {"AddBlendTableMmx", KT_TWO(KernelAddBlendTableMmx, r)},
        {"SubBlendTableMmx", KT_TWO(KernelSubBlendTableMmx, r)},
        {"BlendOpacityOverAlphaMmx", KT_TWO(KernelBlendOpacityOverAlphaMmx, r)},
        {"MaskColourOverAlphaMmx", KT_MASK(KernelMaskColourOverAlphaMmx, 0x10u, r)},
        {"RuleBlendMmx",
         [=](Planes& p) {
             KernelRuleBlendMmx(p.dst.Row(0), p.src.Row(0), 0, 0, 4, 1, p.mask.Row(0), 0, r);
         }},
        {"RuleBlendPlaneMmx",
         [=](Planes& p) {
             KernelRuleBlendPlaneMmx(p.dst.Row(0), p.src.Row(0), 0, 0, 4, 1, nullptr, 0, r);
         }},
        {"BilinearMmx",
         [=](Planes& p) {
             KernelBilinearMmx(p.dst.Row(0), p.src.Row(0), 0, p.src.Pitch(), 2, 1, bilinear);
         }},
        {"BilinearPaletteMmx",
         [=](Planes& p) {
             KernelBilinearPaletteMmx(p.dst.Row(0), p.mask.Row(0), 0, p.mask.Pitch(), 2, 1, pal,
                                      bilinear);
         }},
        {"GradientOverRowsMmx",
         [=](Planes& p) {
             KernelGradientOverRowsMmx(p.dst.Row(0), p.mask.Row(0), 0, 0, 4, 1, pal, r);
         }},
        {"GradientBlendColumnsMmx",
         [=](Planes& p) {
             KernelGradientBlendColumnsMmx(p.dst.Row(0), p.mask.Row(0), 0, 0, 4, 1, pal, r);
         }},
    };
    const double expected = X87Sum();
    for (const auto& kernel : kernels) {
        Planes planes(4, 2, false);
        kernel.second(planes);
        EXPECT_EQ(expected, X87Sum()) << kernel.first;
    }
}

}  // namespace
