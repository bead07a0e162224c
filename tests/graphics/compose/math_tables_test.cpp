// The trigonometric tables and the rotation of a picture's corners.
#include <gtest/gtest.h>

#include <limits>

#include "graphics/compose/math_tables.h"

namespace {

TEST(MathTables, FixedTablesAtTheirCorners) {
    MathTables tables;
    const std::int32_t* cosFixed = tables.CosFixed();
    struct Case {
        int index;
        std::int32_t value;
    };
    for (const Case& c :
         {Case{0, 65536}, Case{128, 0}, Case{256, -65536}, Case{384, 0}, Case{1, 65531},
          Case{64, 46340}, Case{127, 804}, Case{385, 804}, Case{511, 65531}, Case{255, -65531},
          Case{257, -65531}, Case{192, -46340}}) {
        EXPECT_EQ(c.value, cosFixed[c.index]) << "cos " << c.index;
    }
    for (int k = 1; k < 128; ++k) {
        ASSERT_EQ(cosFixed[k], cosFixed[512 - k]);
        ASSERT_EQ(-cosFixed[k], cosFixed[256 - k]);
        ASSERT_GT(cosFixed[k - 1], cosFixed[k]);
    }
    const std::int16_t* atanFixed = tables.AtanFixed();
    for (const Case& c : {Case{0, 0}, Case{1, 40}, Case{128, 4836}, Case{255, 8171}}) {
        EXPECT_EQ(c.value, atanFixed[c.index]) << "atan " << c.index;
    }
}

TEST(MathTables, FloatTableIsBuiltOnDemand) {
    MathTables tables;
    EXPECT_EQ(nullptr, tables.CosFloat());
    ASSERT_TRUE(tables.BuildFloatCosTable());
    const double* cosFloat = tables.CosFloat();
    EXPECT_EQ(1.0, cosFloat[0]);
    EXPECT_EQ(0.0, cosFloat[128]);
    EXPECT_EQ(-1.0, cosFloat[256]);
    EXPECT_EQ(0.0, cosFloat[384]);
    EXPECT_EQ(cosFloat[1], cosFloat[511]);
    EXPECT_EQ(-cosFloat[1], cosFloat[255]);
    EXPECT_EQ(tables.CosFixed()[64], static_cast<std::int32_t>(cosFloat[64] * 65536.0));
    EXPECT_TRUE(tables.BuildFloatCosTable());
    EXPECT_EQ(cosFloat, tables.CosFloat());
}

class RotateQuadTest : public testing::Test {
protected:
    void SetUp() override { g_mathTables = &m_tables; }
    void TearDown() override { g_mathTables = nullptr; }

    MathTables m_tables;
};

TEST_F(RotateQuadTest, RefusesWithoutWritingAnything) {
    struct Case {
        const char* name;
        std::int32_t angle;
        double zoom;
        std::int32_t offsetX;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const Case& c :
         {Case{"zoom 0", 64, 0.0, 0}, Case{"identity", 512, 1.0, 0},
          Case{"identity at 0", 0, 1.0, 0}, Case{"infinite zoom", 64, inf, 0},
          Case{"negative infinite zoom", 64, -inf, 0},
          Case{"zoom not a number", 64, std::numeric_limits<double>::quiet_NaN(), 0},
          Case{"size beyond int32", 64, 1e8, 0}, Case{"size just beyond int32", 0, 2.2e7, 0},
          Case{"corner beyond int32", 256, 1.5, -2147483600}}) {
        SCOPED_TRACE(c.name);
        QuadPoint quad[4] = {{7, 7}, {7, 7}, {7, 7}, {7, 7}};
        std::int32_t width = -1, height = -1;
        EXPECT_FALSE(RotateQuad(quad, c.offsetX, 0, c.angle, c.zoom, 100, 50, 0, 0, &width, &height,
                                nullptr, nullptr));
        EXPECT_EQ(7.0, quad[0].x);
        EXPECT_EQ(-1, width);
    }
    QuadPoint quad[4];
    EXPECT_FALSE(
        RotateQuad(nullptr, 0, 0, 64, 1.0, 100, 50, 0, 0, nullptr, nullptr, nullptr, nullptr));
    g_mathTables = nullptr;
    EXPECT_FALSE(
        RotateQuad(quad, 0, 0, 64, 1.0, 100, 50, 0, 0, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RotateQuadTest, OutputSizes) {
    struct Case {
        const char* name;
        std::int32_t angle;
        double zoom;
        std::int32_t width, height, pivotX, pivotY;
        std::int32_t outWidth, outHeight;
    };
    const Case cases[] = {
        {"zoom only", 0, 2.0, 100, 50, 0, 0, 200, 100},
        {"quarter turn", 128, 1.0, 100, 50, 50, 25, 50, 100},
        {"eighth turn", 64, 1.0, 100, 100, 0, 0, 141, 141},
        {"half turn", 256, 1.0, 30, 20, 0, 0, 30, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QuadPoint quad[4];
        std::int32_t width = 0, height = 0;
        ASSERT_TRUE(RotateQuad(quad, 0, 0, c.angle, c.zoom, c.width, c.height, c.pivotX, c.pivotY,
                               &width, &height, nullptr, nullptr));
        EXPECT_EQ(c.outWidth, width);
        EXPECT_EQ(c.outHeight, height);
    }
}

TEST_F(RotateQuadTest, QuarterTurnCornersAndOffset) {
    QuadPoint quad[4];
    std::int32_t width, height, ox, oy;
    ASSERT_TRUE(RotateQuad(quad, 0, 0, 128, 1.0, 100, 50, 50, 25, &width, &height, &ox, &oy));
    EXPECT_EQ(25, ox);
    EXPECT_EQ(-24, oy);  // -24.5 truncated toward zero
    // Counter-clockwise on screen: the top-left corner lands at the output's bottom-left.
    const QuadPoint expected[4] = {{-0.5, 99.5}, {-0.5, -0.5}, {49.5, 99.5}, {49.5, -0.5}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].x, quad[i].x) << i;
        EXPECT_EQ(expected[i].y, quad[i].y) << i;
    }

    // Without the offset outputs the offsets move the quad instead.
    ASSERT_TRUE(
        RotateQuad(quad, 10, 20, 128, 1.0, 100, 50, 50, 25, nullptr, nullptr, nullptr, &oy));
    EXPECT_EQ(-4, oy);
    EXPECT_EQ(34.5, quad[0].x);
    EXPECT_EQ(99.5, quad[0].y);
}

}  // namespace
