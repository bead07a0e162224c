// The blend tables and the colour ramp.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "graphics/compose/blend_tables.h"
#include "graphics/compose/gradient_table.h"

namespace {

class BlendTablesTest : public testing::Test {
protected:
    static void SetUpTestSuite() { InitBlendTables(); }
    const BlendTables& t = g_blendTables;
};

TEST_F(BlendTablesTest, TablesLieOneAfterAnother) {
    EXPECT_EQ(0u, offsetof(BlendTables, alphaWeights));
    EXPECT_EQ(2048u, offsetof(BlendTables, sourceWeight));
    EXPECT_EQ(2048u + 65536, offsetof(BlendTables, screen));
    EXPECT_EQ(2048u + 2 * 65536, offsetof(BlendTables, clamp));
    EXPECT_EQ(2048u + 2 * 65536 + 1792, offsetof(BlendTables, multiply));
}

TEST_F(BlendTablesTest, CornerValues) {
    struct Case {
        const char* name;
        int value;
        int expected;
    };
    const Case cases[] = {
        {"multiply 255 255", t.multiply[255][255], 255},
        {"multiply 128 128", t.multiply[128][128], 64},
        {"multiply 1 127 rounds down", t.multiply[1][127], 0},
        {"multiply 1 128 rounds up", t.multiply[1][128], 1},
        {"multiply 0 255", t.multiply[0][255], 0},
        {"screen 0 0", t.screen[0][0], 0},
        {"screen 255 0", t.screen[255][0], 255},
        {"screen 255 77", t.screen[255][77], 255},
        {"screen 128 128", t.screen[128][128], 192},
        {"screen 0 200", t.screen[0][200], 200},
        {"source weight 0 0", t.sourceWeight[0][0], 255},
        {"source weight 1 1", t.sourceWeight[1][1], 127},
        {"source weight 128 128", t.sourceWeight[128][128], 170},
        {"source weight 255 128", t.sourceWeight[255][128], 128},
        {"source weight 255 255", t.sourceWeight[255][255], 255},
        {"source weight 255 1", t.sourceWeight[255][1], 1},
        {"clamp -768", t.clamp[0], 0},
        {"clamp -1", t.clamp[kClampOffset - 1], 0},
        {"clamp 77", t.clamp[kClampOffset + 77], 77},
        {"clamp 300", t.clamp[kClampOffset + 300], 255},
        {"clamp 1023", t.clamp[kClampOffset + 1023], 255},
        {"alpha weight 1", t.alphaWeights[1][0], 2},
        {"alpha weight 255 red lane", t.alphaWeights[255][2], 256},
        {"alpha weight 255 alpha lane", t.alphaWeights[255][3], 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, c.value) << c.name;
    for (int lane = 0; lane < 4; ++lane) EXPECT_EQ(0, t.alphaWeights[0][lane]);
}

TEST_F(BlendTablesTest, WholeTableProperties) {
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(255, t.sourceWeight[0][i]);
        EXPECT_EQ(i, t.multiply[i][255]);
        EXPECT_EQ(i, t.screen[i][0]);
        for (int j = 0; j < 256; ++j) {
            ASSERT_EQ(t.multiply[i][j], t.multiply[j][i]);
            ASSERT_EQ(t.screen[i][j], t.screen[j][i]);
            ASSERT_GE(t.screen[i][j], t.multiply[i][j]);
        }
        if (i == 0) continue;
        EXPECT_EQ(0, t.sourceWeight[i][0]);
        EXPECT_EQ(255, t.sourceWeight[i][255]);
        for (int s = 1; s < 256; ++s) {
            // A more opaque source never takes a smaller share, a more opaque destination never a larger one.
            ASSERT_GE(t.sourceWeight[i][s], t.sourceWeight[i][s - 1]);
            ASSERT_LE(t.sourceWeight[i][s], t.sourceWeight[i - 1][s]);
        }
    }
}

TEST(GradientTable, EightBitRamps) {
    struct Case {
        const char* name;
        std::int32_t count, a, b;
        std::vector<std::uint8_t> expected;
    };
    const Case cases[] = {
        {"rising to 255 in quarter steps", 4, 0, 255, {0, 64, 128, 192}},
        {"falling from 255 ends at 0", 4, 255, 0, {192, 128, 64, 0}},
        {"between two values", 4, 10, 20, {10, 12, 15, 17}},
        {"downwards rounds towards minus infinity", 4, 20, 10, {20, 17, 14, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GradientTable table;
        ASSERT_EQ(0, table.Build(c.count, c.a, c.b, 8));
        ASSERT_EQ(c.count, table.Count());
        const std::uint8_t* entries = static_cast<const std::uint8_t*>(table.Entries());
        for (std::int32_t k = 0; k < c.count; ++k) EXPECT_EQ(c.expected[k], entries[k]) << k;
    }

    GradientTable full;
    ASSERT_EQ(0, full.Build(256, 0, 255, 8));
    const std::uint8_t* entries = static_cast<const std::uint8_t*>(full.Entries());
    for (int k = 0; k < 256; ++k) ASSERT_EQ(k, entries[k]);
}

TEST(GradientTable, ThirtyTwoBitRampKeepsTheFirstAlpha) {
    std::int32_t result = -5;
    GradientTable table(&result, 2, static_cast<std::int32_t>(0x800000FFu), 0x00FF0000, 32);
    ASSERT_EQ(0, result);
    EXPECT_EQ(32, table.Depth());
    const std::uint32_t* entries = static_cast<const std::uint32_t*>(table.Entries());
    EXPECT_EQ(0x800000FFu, entries[0]);
    EXPECT_EQ(0x8080007Eu, entries[1]);
}

TEST(GradientTable, RefusalsLeaveItEmpty) {
    GradientTable table;
    ASSERT_EQ(0, table.Build(8, 0, 255, 8));
    EXPECT_EQ(1, table.Build(1, 0, 255, 8));
    EXPECT_EQ(nullptr, table.Entries());
    EXPECT_EQ(0, table.Count());
    EXPECT_EQ(-1, table.ColourA());
    EXPECT_EQ(3, table.Build(16, 0, 0, 24));
    EXPECT_EQ(2, table.Build(0x7FFFFFFF, 0, 255, 32));
    EXPECT_EQ(nullptr, table.Entries());
    ASSERT_EQ(0, table.Build(8, 1, 2, 32));
    EXPECT_EQ(-1, table.Release());
    EXPECT_EQ(nullptr, table.Entries());
}

}  // namespace
