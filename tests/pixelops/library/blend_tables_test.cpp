#include "pixelops/library/blend_tables.h"

#include <gtest/gtest.h>

#include "pixelops/library/kernel_dispatch.h"
#include "tests/pixelops/library/reference_tables.h"

using namespace pixelops;

namespace {

class BlendTablesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitPortableKernels(); }
};

struct Check {
    const std::uint8_t* table;
    const char* name;
    int row, column, value;
};

std::uint16_t ControlWord() {
    std::uint16_t cw = 0;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

}  // namespace

TEST_F(BlendTablesTest, CheckValues) {
    const Check checks[] = {
        {T_alpha, "alpha", 0, 0, 0},
        {T_alpha, "alpha", 128, 128, 192},
        {T_alpha, "alpha", 255, 17, 255},
        {T_alpha, "alpha", 1, 1, 2},
        {T_weight, "weight", 33, 255, 32},
        {T_weight, "weight", 128, 128, 170},
        {T_weight, "weight", 1, 1, 127},
        {T_weight, "weight", 100, 200, 115},
        {T_weight, "weight", 0, 0, 255},
        {T_weight, "weight", 0, 9, 0},
        {T_weight, "weight", 255, 200, 255},
        {T_div, "div", 128, 64, 127},
        {T_div, "div", 3, 1, 85},
        {T_div, "div", 255, 254, 254},
        {T_div, "div", 0, 200, 0},
        {T_div, "div", 10, 11, 255},
        {T_softlight, "softlight", 0, 128, 64},
        {T_softlight, "softlight", 64, 128, 90},
        {T_softlight, "softlight", 128, 128, 128},
        {T_softlight, "softlight", 128, 33, 32},
        {T_softlight, "softlight", 200, 100, 140},
        {T_softlight, "softlight", 255, 1, 15},
        {T_softlight, "softlight", 255, 128, 180},
        {T_overlay, "overlay", 0, 128, 1},
        {T_overlay, "overlay", 128, 128, 129},
        {T_overlay, "overlay", 64, 128, 65},
        {T_overlay, "overlay", 200, 100, 156},
        {T_overlay, "overlay", 255, 127, 254},
        {T_overlay, "overlay", 0, 127, 0},
        {T_dodge, "dodge", 64, 128, 170},
        {T_dodge, "dodge", 128, 33, 66},
        {T_dodge, "dodge", 127, 127, 253},
        {T_dodge, "dodge", 255, 0, 255},
        {T_burn, "burn", 128, 128, 2},
        {T_burn, "burn", 200, 100, 58},
        {T_burn, "burn", 100, 200, 115},
    };
    for (const Check& c : checks)
        EXPECT_EQ(c.value, c.table[c.row * 256 + c.column])
            << c.name << "[" << c.row << "][" << c.column << "]";
}

TEST_F(BlendTablesTest, WeightAndSoftLightMatchIeeeDoubleSteps) {
    const std::vector<std::uint8_t> weight = pixelopstest::ReferenceWeightTable();
    const std::vector<std::uint8_t> softLight = pixelopstest::ReferenceSoftLightTable();
    int weightMismatches = 0, softLightMismatches = 0;
    for (int i = 0; i < 65536; ++i) {
        if (weight[i] != T_weight[i] && weightMismatches++ < 5)
            ADD_FAILURE() << "T_weight[" << i / 256 << "][" << i % 256 << "] = " << int(T_weight[i])
                          << ", IEEE steps give " << int(weight[i]);
        if (softLight[i] != T_softlight[i] && softLightMismatches++ < 5)
            ADD_FAILURE() << "T_softlight[" << i / 256 << "][" << i % 256
                          << "] = " << int(T_softlight[i]) << ", IEEE steps give "
                          << int(softLight[i]);
    }
    EXPECT_EQ(0, weightMismatches);
    EXPECT_EQ(0, softLightMismatches);
}

TEST_F(BlendTablesTest, IntegerTablesFollowTheirFormulas) {
    for (int s = 0; s < 256; ++s) {
        for (int d = 0; d < 256; ++d) {
            const int i = s * 256 + d;
            ASSERT_EQ(255 - (255 - s) * (255 - d) / 255, T_alpha[i]) << s << "," << d;
            ASSERT_EQ(T_alpha[i], T_alpha[d * 256 + s]);
            ASSERT_EQ(s == 0 ? 0 : std::min(255, 255 * d / s), T_div[i]) << s << "," << d;
            const int overlay = d < 128 ? 2 * s * d / 255 : 2 * s + 2 * d - 2 * s * d / 255 - 255;
            ASSERT_EQ(overlay, T_overlay[i]) << s << "," << d;
            ASSERT_EQ(d < 255 - s ? 255 * d / (255 - s) : 255, T_dodge[i]) << s << "," << d;
            // The second form the burn curve is known by: 255 plus (255 d - 65025) / s, toward
            // zero.
            ASSERT_EQ(s > 255 - d ? 255 + (255 * d - 65025) / s : 0, T_burn[i]) << s << "," << d;
        }
    }
}

TEST_F(BlendTablesTest, EdgesOfTheCurves) {
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(255, T_weight[x * 256 + 0]);
        EXPECT_EQ(255, T_dodge[255 * 256 + x]);
        EXPECT_EQ(x, T_dodge[0 * 256 + x]);
        EXPECT_EQ(0, T_burn[0 * 256 + x]);
        EXPECT_EQ(x, T_burn[255 * 256 + x]);
        EXPECT_EQ(0, T_softlight[x * 256 + 0]);
        EXPECT_EQ(255, T_softlight[x * 256 + 255]);
        if (x > 0) {
            EXPECT_EQ(0, T_weight[0 * 256 + x]);
        }
    }
    // Row 128 of the soft-light curve has exponent 1 and still truncates 24 columns to d - 1.
    int below = 0;
    for (int d = 0; d < 256; ++d) below += T_softlight[128 * 256 + d] == d - 1;
    EXPECT_EQ(24, below);
}

TEST_F(BlendTablesTest, SinglePrecisionCallerStillGetsTheDoubleSteps) {
    // Direct3D 7 leaves the x87 unit at 24-bit precision in the thread that drives it.
    const std::uint16_t saved = ControlWord();
    const std::uint16_t single = static_cast<std::uint16_t>(saved & ~0x300);
    asm volatile("fldcw %0" : : "m"(single));
    BuildCompositeTables();
    BuildBlendCurveTables();
    const std::uint16_t after = ControlWord();
    asm volatile("fldcw %0" : : "m"(saved));
    EXPECT_EQ(single, after);
    EXPECT_EQ(pixelopstest::ReferenceWeightTable(),
              std::vector<std::uint8_t>(T_weight, T_weight + 65536));
    EXPECT_EQ(pixelopstest::ReferenceSoftLightTable(),
              std::vector<std::uint8_t>(T_softlight, T_softlight + 65536));
}

TEST_F(BlendTablesTest, BuildingLeavesTheControlWordAsItWas) {
    const std::uint16_t before = ControlWord();
    BuildCompositeTables();
    BuildBlendCurveTables();
    EXPECT_EQ(before, ControlWord());
}
