// Colour rectangles: set-up, sizes, colours and the three colour operations.
#include <gtest/gtest.h>

#include "graphics/compose/blend_tables.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "tests/graphics/rect_helpers.h"
#include "tests/support/test_pictures.h"

namespace {

using graphicstest::RectText;
using graphicstest::SameRect;

TEST(FillRectSprite, SetupSplitsAlphaAndColour) {
    FillRectSprite f;
    EXPECT_EQ(0, f.Setup(100, 50, 0x80FF0000, 10, 20));
    EXPECT_EQ(0x80, f.Alpha());
    EXPECT_EQ(0xFF0000u, f.Colour());
    EXPECT_TRUE(SameRect(RECT{10, 20, 110, 70}, f.BoundsRef()));
    EXPECT_TRUE(f.IsDirty());
    EXPECT_EQ(1, f.Kind());
}

TEST(FillRectSprite, SizesAndSetterAnswers) {
    FillRectSprite f;
    f.Setup(100, 50, 0xFF000000, 10, 20);
    struct Step {
        const char* name;
        bool (*change)(FillRectSprite&);
        bool answer;
        RECT bounds;
    };
    const Step steps[] = {
        {"display size", [](FillRectSprite& t) { return t.SetSize(30, 40); }, true,
         RECT{10, 20, 40, 60}},
        {"same display size", [](FillRectSprite& t) { return t.SetSize(30, 40); }, false,
         RECT{10, 20, 40, 60}},
        {"negative base size", [](FillRectSprite& t) { return t.SetBaseSize(-1, 5); }, false,
         RECT{10, 20, 40, 60}},
        {"current base size", [](FillRectSprite& t) { return t.SetBaseSize(100, 50); }, false,
         RECT{10, 20, 40, 60}},
        {"new base size clears the display size",
         [](FillRectSprite& t) { return t.SetBaseSize(60, 5); }, true, RECT{10, 20, 70, 25}},
        {"SetRect moves and sizes",
         [](FillRectSprite& t) { return t.SetRect(60, 5, 0, 1); }, true, RECT{0, 1, 60, 6}},
        {"same colour", [](FillRectSprite& t) { return t.SetColour(0x12000000); }, false,
         RECT{0, 1, 60, 6}},
        {"new colour", [](FillRectSprite& t) { return t.SetColour(0x00123456); }, true,
         RECT{0, 1, 60, 6}},
        {"same colour and alpha",
         [](FillRectSprite& t) { return t.SetColourAlpha(0xFF123456); }, false,
         RECT{0, 1, 60, 6}},
        {"new alpha", [](FillRectSprite& t) { return t.SetColourAlpha(0x7F123456); }, true,
         RECT{0, 1, 60, 6}},
    };
    for (const Step& s : steps) {
        f.SetDirty(0);
        EXPECT_EQ(s.answer, s.change(f)) << s.name;
        EXPECT_EQ(s.answer, f.IsDirty()) << s.name;
        EXPECT_TRUE(SameRect(s.bounds, f.BoundsRef())) << s.name << " " << RectText(f.BoundsRef());
    }
    EXPECT_EQ(1, f.SetBlendMode(4));
    EXPECT_EQ(0, f.SetBlendMode(3));
}

TEST(FillRectSprite, TheColourOperations) {
    InitBlendTables();
    struct Case {
        const char* name;
        std::uint8_t mode;
        std::uint32_t argb;
        std::uint32_t under;
        int result;
        std::uint32_t expected;
    };
    const Case cases[] = {
        // Red 255 at alpha 128 adds (255 * 128 + 127) / 255 = 128.
        {"add at 128", 2, 0x80FF0000, 0xFF102030, 0, 0xFF902030},
        {"add opaque", 2, 0xFF204060, 0xFF102030, 0, 0xFF306090},
        {"subtract at 128", 3, 0x80FF0000, 0xFFA02030, 0, 0xFF202030},
        {"mode 1 draws nothing", 1, 0xFFFFFFFF, 0xFF102030, 2, 0xFF102030},
    };
    for (const Case& c : cases) {
        Image target;
        ASSERT_EQ(0, target.Create(4, 4, 32, 0));
        target.FillValue(c.under, nullptr);
        FillRectSprite f;
        f.Setup(2, 2, c.argb, 1, 1);
        f.SetBlendMode(c.mode);
        EXPECT_EQ(c.result, f.Render(&target, nullptr)) << c.name;
        EXPECT_EQ(c.expected, target.GetPixel(1, 1) | (c.under & 0xFF000000)) << c.name;
        EXPECT_EQ(c.under, target.GetPixel(0, 0)) << c.name;
    }
    Image target;
    ASSERT_EQ(0, target.Create(4, 4, 32, 0));
    target.FillValue(0xFF000000, nullptr);
    FillRectSprite blend;
    blend.Setup(4, 4, 0x80FF0000, 0, 0);
    Image expected;
    ASSERT_EQ(0, expected.CopyFrom(&target, 0));
    ASSERT_EQ(0, expected.FillAlpha(255, 0, 0, 0x80, nullptr));
    RECT drawn;
    EXPECT_EQ(0, blend.Render(&target, &drawn));
    EXPECT_EQ(expected.GetPixel(2, 2), target.GetPixel(2, 2));
    EXPECT_TRUE(SameRect(RECT{0, 0, 4, 4}, drawn));
}

TEST(FillRectSprite, WidthZeroDrawsNothingEvenWithADisplaySize) {
    Image target;
    ASSERT_EQ(0, target.Create(4, 4, 32, 0));
    target.FillValue(0xFF000000, nullptr);
    FillRectSprite f;
    f.Setup(0, 4, 0xFFFFFFFF, 0, 0);
    f.SetSize(4, 4);
    EXPECT_EQ(0, f.Render(&target, nullptr));
    f.RenderClipped(&target, RECT{0, 0, 4, 4});
    EXPECT_EQ(0xFF000000u, target.GetPixel(1, 1));
    EXPECT_FALSE(f.HitTest(1, 1, false));
    FillRectSprite other;
    other.Setup(4, 4, 0xFF000000, 0, 0);
    EXPECT_FALSE(f.Overlaps(&other));
    EXPECT_TRUE(other.Overlaps(&other));
}

}  // namespace
