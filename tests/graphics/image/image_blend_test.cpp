// The blends' single behaviours: result codes, zero opacities, unknown types, alpha channels,
// the crossfade step, SetAllAlpha, images blended into themselves, the rule and blur
// dispatchers, and the library-only operations.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/image/image.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "tests/graphics/image_pixels.h"
#include "tests/graphics/pixel_configs.h"

namespace {

using testsupport::PixelConfig;
using testsupport::PixelConfigScope;

using graphicstest::PixelsOf;

void Make(Image& image, std::int32_t w, std::int32_t h, std::uint32_t seed, std::uint8_t depth = 32) {
    ASSERT_EQ(0, image.Create(w, h, depth, kImageDirtyRegion));
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint32_t v = (x * 2654435761u) ^ (y * 40503u) ^ seed;
            v ^= v >> 13;
            v *= 0x5bd1e995u;
            image.SetPixel(x, y, depth == 8 ? (v >> 24) : v ^ (v >> 15));
        }
    }
    image.GetDirtyRegion()->Clear();
    image.SetModified(false);
}

bool Untouched(Image& image) {
    return image.GetDirtyRegion()->Count() == 0 && !image.Modified();
}

class BlendInEveryConfig : public ::testing::TestWithParam<PixelConfig> {
protected:
    void SetUp() override {
        m_scope = std::make_unique<PixelConfigScope>(GetParam());
        ASSERT_TRUE(m_scope->Ready());
    }
    void TearDown() override { m_scope.reset(); }
    bool Library() const { return testsupport::UsesLibrary(GetParam()); }

private:
    std::unique_ptr<PixelConfigScope> m_scope;
};

TEST_P(BlendInEveryConfig, MissingPixelsGiveOneAndDepthsTwo) {
    Image dest, source, empty, mask;
    Make(dest, 4, 4, 1);
    Make(source, 4, 4, 2);
    Make(mask, 4, 4, 3, 8);
    EXPECT_EQ(1, dest.AlphaBlend(nullptr, 0, 0, nullptr, false));
    EXPECT_EQ(1, dest.BlendWeighted(&empty, 100, 0, 0, nullptr));
    EXPECT_EQ(1, empty.AlphaBlend(&source, 0, 0, nullptr, false));
    EXPECT_EQ(2, dest.AlphaBlend(&mask, 0, 0, nullptr, false));
    EXPECT_EQ(2, dest.BlendWeighted(&mask, 100, 0, 0, nullptr));
    EXPECT_EQ(2, dest.CopyAlphaChannel(&source, 0, 0, nullptr, false));  // 32 from 32
    EXPECT_EQ(2, mask.CopyAlphaChannel(&mask, 0, 0, nullptr, false));    // 8 from 8
    EXPECT_EQ(2, dest.BlendTable(0, &mask, 100, 0, 0, nullptr));
    EXPECT_EQ(2, dest.BlitFromIndexed(0, &source, 100, 1, 2, 3, 0, 0, nullptr));
    EXPECT_EQ(2, dest.RuleBlend(&source, nullptr, 255, 100, 10, 0, 0, nullptr));
    EXPECT_EQ(2, dest.RuleBlend(&source, &dest, 255, 100, 10, 0, 0, nullptr));
    EXPECT_TRUE(Untouched(dest));
}

TEST_P(BlendInEveryConfig, ZeroOpacityDrawsAndRecordsNothing) {
    Image dest, source;
    Make(dest, 6, 5, 1);
    Make(source, 6, 5, 2);
    const auto before = PixelsOf(dest);
    // A library call that drew leaves its rectangle behind; a zero opacity must not report it.
    dest.AlphaBlend(&source, 0, 0, nullptr, false);
    Make(dest, 6, 5, 1);
    EXPECT_EQ(0, dest.BlendWeighted(&source, 0, 0, 0, nullptr));
    EXPECT_EQ(0, dest.StretchBlendWeighted(&source, 0, nullptr, 0, 0, nullptr));
    EXPECT_EQ(0, dest.BlendTable(0, &source, 0, 0, 0, nullptr));
    EXPECT_EQ(0, dest.BlendOpacity(&source, 0, 0, 0, nullptr));
    EXPECT_EQ(0, dest.BlitOpacityA(&source, 0, 0, 0, nullptr));
    EXPECT_EQ(0, dest.CrossfadeOver(&source, 0, 0, 0, nullptr));
    EXPECT_EQ(0, dest.BlendChannelWeights(&source, 0x00FFFFFF, 0, 0, 0, nullptr));
    EXPECT_EQ(before, PixelsOf(dest));
    EXPECT_TRUE(Untouched(dest));
}

TEST_P(BlendInEveryConfig, UnknownTypesMarkTheClippedAreaWithoutDrawing) {
    Image dest, source, mask;
    Make(dest, 6, 5, 1);
    Make(source, 4, 4, 2);
    Make(mask, 4, 4, 3, 8);
    const auto before = PixelsOf(dest);
    EXPECT_EQ(0, dest.BlendMode(3, &source, 4, 3, nullptr));
    EXPECT_EQ(0, dest.BlendTable(7, &source, 200, 4, 3, nullptr));
    EXPECT_EQ(0, dest.BlitFromIndexed(5, &mask, 200, 9, 9, 9, 4, 3, nullptr));
    EXPECT_EQ(before, PixelsOf(dest));
    const RECT& bounds = dest.GetDirtyRegion()->Bounds();
    EXPECT_EQ(4, bounds.left);
    EXPECT_EQ(3, bounds.top);
    EXPECT_EQ(6, bounds.right);
    EXPECT_EQ(5, bounds.bottom);
    EXPECT_TRUE(dest.Modified());
}

TEST_P(BlendInEveryConfig, AlphaChannelsMoveBetweenMaskAndAlphaBytes) {
    Image dest, mask, plane;
    Make(dest, 4, 3, 1);
    Make(mask, 4, 3, 2, 8);
    const auto before = PixelsOf(dest);
    ASSERT_EQ(0, dest.CopyAlphaChannelMirrored(&mask, 0, 0, 0, nullptr));
    for (std::int32_t y = 0; y < 3; ++y) {
        for (std::int32_t x = 0; x < 4; ++x) {
            const std::uint32_t want =
                (before[y * 4 + x] & 0x00FFFFFFu) | (mask.GetPixel(3 - x, y) << 24);
            EXPECT_EQ(want, dest.GetPixel(x, y)) << x << ", " << y;
        }
    }
    Make(plane, 4, 3, 3, 8);
    ASSERT_EQ(0, plane.CopyAlphaChannel(&dest, 0, 0, nullptr, true));
    for (std::int32_t y = 0; y < 3; ++y)
        for (std::int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(dest.GetPixel(x, 2 - y) >> 24, plane.GetPixel(x, y)) << x << ", " << y;
}

TEST_P(BlendInEveryConfig, MirroredModeFiveActsAsModeTwo) {
    Image a, b, source;
    Make(a, 7, 5, 1);
    Make(b, 7, 5, 1);
    Make(source, 5, 4, 2);
    const RECT part = {1, 0, 5, 3};
    ASSERT_EQ(0, a.AlphaBlendMirrored(&source, 5, 2, 1, &part));
    ASSERT_EQ(0, b.AlphaBlendMirrored(&source, 2, 2, 1, &part));
    EXPECT_EQ(PixelsOf(b), PixelsOf(a));
}

TEST_P(BlendInEveryConfig, FullCrossfadeIsABlitThatHonoursTheKey) {
    Image faded, blitted, source;
    Make(faded, 6, 4, 1);
    Make(blitted, 6, 4, 1);
    Make(source, 4, 3, 2);
    ASSERT_EQ(0, source.SetColourKeyFromPixel(1, 1));
    ASSERT_EQ(0, faded.CrossfadeOver(&source, 255, 1, 1, nullptr));
    ASSERT_EQ(0, blitted.Blit(&source, 1, 1, nullptr, false));
    EXPECT_EQ(PixelsOf(blitted), PixelsOf(faded));
    EXPECT_NE(source.GetPixel(1, 1), faded.GetPixel(2, 2));
}

TEST_P(BlendInEveryConfig, AnImageBlendedIntoItselfReadsWhatWasThere) {
    using Blend = std::int32_t (*)(Image& dest, Surface* source);
    struct Case {
        const char* name;
        bool libraryOnly;  // answers 2 without the library
        Blend blend;
    };
    static const Case cases[] = {
        {"AlphaBlend", false, [](Image& d, Surface* s) { return d.AlphaBlend(s, 2, 1, nullptr, false); }},
        {"StretchAlphaBlend", false,
         [](Image& d, Surface* s) {
             const SIZE size = {7, 5};
             return d.StretchAlphaBlend(s, &size, 1, 2, nullptr, false);
         }},
        {"BlendWeighted", false, [](Image& d, Surface* s) { return d.BlendWeighted(s, 90, 1, 1, nullptr); }},
        {"BlendTable", false, [](Image& d, Surface* s) { return d.BlendTable(0, s, 200, 2, 2, nullptr); }},
        {"BlitOpacityC", false, [](Image& d, Surface* s) { return d.BlitOpacityC(s, 2, 255, 1, 0, nullptr); }},
        {"BlitRectToQuad", false,
         [](Image& d, Surface* s) {
             const POINT quad[4] = {{3, 0}, {8, 2}, {1, 6}, {7, 7}};
             return d.BlitRectToQuad(s, quad, nullptr, nullptr);
         }},
        {"BlendRect", true,
         [](Image& d, Surface* s) { return d.BlendRect(s, 2, 200, 0, 2, 1, nullptr); }},
        {"StretchBlendRect", true,
         [](Image& d, Surface* s) {
             const SIZE size = {7, 5};
             return d.StretchBlendRect(s, 2, 0, 200, 0, &size, 1, 2, nullptr);
         }},
        {"AffineBlendRect", true,
         [](Image& d, Surface* s) {
             const pixelops::AffineBlendPoints points = {1.5, 0.5, 8.0, 2.5, 0.5, 7.0};
             return d.AffineBlendRect(s, &points, nullptr, 2, 0, 255, 0, 0, 0, nullptr);
         }},
        {"AffineBlendRectMatrix", true,
         [](Image& d, Surface* s) {
             const double matrix[6] = {0.9, 0.2, -0.25, 0.8, 2.0, 1.0};
             return d.AffineBlendRectMatrix(s, matrix, nullptr, 2, 0, 255, 0, 0, 0, nullptr);
         }},
        {"Crossfade", true,
         [](Image& d, Surface* s) { return d.Crossfade(s, s, 100, 0, 1, 1, 7, 6, 0, 0, 2, 1); }},
        {"RuleTransition", true,
         [](Image& d, Surface* s) {
             Image rule;
             Make(rule, 9, 8, 7, 8);
             return d.RuleTransition(s, s, &rule, 120, 64, 0, 1, 1, 7, 6, 0, 0, 2, 1, 0, 0);
         }},
    };
    for (const Case& c : cases) {
        Image self, other, copy;
        Make(self, 9, 8, 4);
        Make(other, 9, 8, 4);
        Make(copy, 9, 8, 4);
        const std::int32_t want = c.libraryOnly && !Library() ? 2 : 0;
        ASSERT_EQ(want, c.blend(other, &copy)) << c.name;
        ASSERT_EQ(want, c.blend(self, &self)) << c.name;
        if (want == 0) {
            Image untouched;
            Make(untouched, 9, 8, 4);
            EXPECT_NE(PixelsOf(untouched), PixelsOf(other)) << c.name << " drew nothing";
        }
        EXPECT_EQ(PixelsOf(other), PixelsOf(self)) << c.name;
    }
}

TEST_P(BlendInEveryConfig, RuleBlendDrawsWhereTheRuleIsAtOrBelowTheThreshold) {
    Image dest, source, rule;
    ASSERT_EQ(0, dest.Create(256, 1, 32, kImageDirtyRegion));
    ASSERT_EQ(0, source.Create(256, 1, 32, 0));
    ASSERT_EQ(0, rule.Create(256, 1, 8, 0));
    for (std::int32_t x = 0; x < 256; ++x) {
        dest.SetPixel(x, 0, 0x40102030u);
        source.SetPixel(x, 0, 0xFFC0B0A0u);
        rule.SetPixel(x, 0, static_cast<std::uint32_t>(x));
    }
    ASSERT_EQ(0, dest.RuleBlend(&source, &rule, 255, 128, 1, 0, 0, nullptr));
    for (std::int32_t x = 0; x < 256; ++x)
        EXPECT_EQ(x <= 127 ? 0x40C0B0A0u : 0x40102030u, dest.GetPixel(x, 0)) << x;
}

TEST_P(BlendInEveryConfig, RuleBlendArgumentsAndItsHalfwayPoint) {
    Image dest, source, rule, small;
    Make(dest, 8, 6, 1);
    Make(source, 8, 6, 2);
    Make(rule, 8, 6, 3, 8);
    Make(small, 4, 6, 3, 8);
    const auto before = PixelsOf(dest);
    EXPECT_EQ(0, dest.RuleBlend(&source, &rule, 255, 512, 10, 0, 0, nullptr));
    EXPECT_EQ(0, dest.RuleBlend(&source, &rule, 255, 0, 10, 0, 0, nullptr));
    EXPECT_EQ(3, dest.RuleBlend(&source, &rule, 255, 100, 0, 0, 0, nullptr));
    EXPECT_EQ(3, dest.RuleBlend(&source, &rule, 255, 513, 10, 0, 0, nullptr));
    EXPECT_EQ(3, dest.RuleBlend(&source, &rule, 255, 100, 512, 0, 0, nullptr));
    EXPECT_EQ(4, dest.RuleBlend(&source, &small, 255, 100, 10, 0, 0, nullptr));
    EXPECT_EQ(4, dest.RuleBlendPlane(&source, &small, 255, 100, 10, 0, 0, nullptr));
    EXPECT_EQ(before, PixelsOf(dest));
    EXPECT_TRUE(Untouched(dest));

    Image viaTable;
    Make(viaTable, 8, 6, 1);
    ASSERT_EQ(0, dest.RuleBlend(&source, &rule, 180, 256, 10, 1, 1, nullptr));
    ASSERT_EQ(0, viaTable.BlendTable(0, &source, 180, 1, 1, nullptr));
    EXPECT_EQ(PixelsOf(viaTable), PixelsOf(dest));
}

TEST_P(BlendInEveryConfig, RulePlaneWithoutRuleReadsTheSourceAlpha) {
    Image withRule, without, source, rule;
    Make(withRule, 8, 6, 1);
    Make(without, 8, 6, 1);
    Make(source, 8, 6, 2);
    ASSERT_EQ(0, rule.Create(8, 6, 8, 0));
    for (std::int32_t y = 0; y < 6; ++y)
        for (std::int32_t x = 0; x < 8; ++x) rule.SetPixel(x, y, source.GetPixel(x, y) >> 24);
    const RECT part = {1, 1, 7, 5};
    ASSERT_EQ(0, withRule.RuleBlendPlane(&source, &rule, 200, 300, 40, 0, 0, &part));
    ASSERT_EQ(0, without.RuleBlendPlane(&source, nullptr, 200, 300, 40, 0, 0, &part));
    EXPECT_EQ(PixelsOf(withRule), PixelsOf(without));
    Image untouched;
    Make(untouched, 8, 6, 1);
    EXPECT_NE(PixelsOf(untouched), PixelsOf(without));
}

TEST_P(BlendInEveryConfig, BoxBlurCapsItsRadiusAndRepeatsEdgePixels) {
    Image source;
    ASSERT_EQ(0, source.Create(3, 1, 32, 0));
    source.SetPixel(0, 0, 0x10203040u);
    source.SetPixel(1, 0, 0x70605040u);
    source.SetPixel(2, 0, 0xF0E0D0C0u);
    Image dest;
    Make(dest, 3, 1, 1);
    ASSERT_EQ(0, dest.BlitOpacityC(&source, 1, 255, 0, 0, nullptr));
    // Radius 1: pixel 0 averages (p0, p0, p1), pixel 2 (p1, p2, p2).
    auto average = [](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        std::uint32_t out = 0;
        for (int k = 0; k < 4; ++k) {
            const std::uint32_t sum = ((a >> (8 * k)) & 0xFF) + ((b >> (8 * k)) & 0xFF) +
                                      ((c >> (8 * k)) & 0xFF);
            out |= ((sum * (65536u / 3) + 32768u) >> 16) << (8 * k);
        }
        return out;
    };
    EXPECT_EQ(average(0x10203040u, 0x10203040u, 0x70605040u), dest.GetPixel(0, 0));
    EXPECT_EQ(average(0x70605040u, 0xF0E0D0C0u, 0xF0E0D0C0u), dest.GetPixel(2, 0));

    Image wide, capped, at127, narrow;
    Make(wide, 300, 2, 5);
    Make(capped, 300, 2, 6);
    Make(at127, 300, 2, 6);
    Make(narrow, 300, 2, 6);
    ASSERT_EQ(0, capped.BlitOpacityC(&wide, 200, 180, 0, 0, nullptr));
    ASSERT_EQ(0, at127.BlitOpacityC(&wide, 127, 180, 0, 0, nullptr));
    ASSERT_EQ(0, narrow.BlitOpacityC(&wide, 100, 180, 0, 0, nullptr));
    EXPECT_EQ(PixelsOf(at127), PixelsOf(capped));
    EXPECT_NE(PixelsOf(narrow), PixelsOf(capped));
}

TEST_P(BlendInEveryConfig, RadiusZeroFallsBackToThePlainBlends) {
    Image a, b, source;
    Make(a, 6, 5, 1);
    Make(b, 6, 5, 1);
    Make(source, 6, 5, 2);
    ASSERT_EQ(0, a.BlitOpacityD(&source, 0, 150, 1, 0, nullptr));
    ASSERT_EQ(0, b.BlendTable(0, &source, 150, 1, 0, nullptr));
    EXPECT_EQ(PixelsOf(b), PixelsOf(a));
    Make(a, 6, 5, 1);
    Make(b, 6, 5, 1);
    ASSERT_EQ(0, a.BlitOpacityC(&source, 0, 150, 1, 0, nullptr));
    ASSERT_EQ(0, b.BlendChannelWeights(&source, 105 * 0x010101u, 150 * 0x010101u, 1, 0, nullptr));
    EXPECT_EQ(PixelsOf(b), PixelsOf(a));
}

// Every operation of the library alone, each with arguments it draws with when the library is
// there: without it the answer, and nothing drawn or recorded.
TEST(LibraryOnlyOperations, RefuseWithoutTheLibrary) {
    PixelConfigScope scope(PixelConfig::PlainKernels);
    using Run = std::int32_t (*)(Image& dest, Image& source, Image& plane);
    constexpr std::int32_t kFalse = -1;  // the boolean operations' false
    struct Case {
        const char* name;
        std::int32_t want;
        bool onPlane;  // draws on the 8-bit picture
        Run run;
    };
    static const Case cases[] = {
        {"FillColourWithAlpha", 2, false,
         [](Image& d, Image&, Image&) { return d.FillColourWithAlpha(0x123456, 9, 0, nullptr); }},
        {"SetAlpha", 2, false, [](Image& d, Image&, Image&) { return d.SetAlpha(7, nullptr); }},
        {"BlendRect", 2, false,
         [](Image& d, Image& s, Image&) { return d.BlendRect(&s, 2, 255, 0, 0, 0, nullptr); }},
        {"StretchBlendRect", 2, false,
         [](Image& d, Image& s, Image&) {
             const SIZE size = {9, 5};
             return d.StretchBlendRect(&s, 2, 0, 255, 0, &size, 0, 0, nullptr);
         }},
        {"AffineBlendRect", 2, false,
         [](Image& d, Image& s, Image&) {
             const pixelops::AffineBlendPoints points = {0.5, 0.5, 5.5, 1.0, 1.0, 3.5};
             return d.AffineBlendRect(&s, &points, nullptr, 2, 0, 255, 0, 0, 0, nullptr);
         }},
        {"AffineBlendRectMatrix", 2, false,
         [](Image& d, Image& s, Image&) {
             const double matrix[6] = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
             return d.AffineBlendRectMatrix(&s, matrix, nullptr, 2, 0, 255, 0, 0, 0, nullptr);
         }},
        {"BoxBlur", 2, false, [](Image& d, Image&, Image&) { return d.BoxBlur(1, 1, nullptr, 0); }},
        {"FlipVertical", 1, false, [](Image& d, Image&, Image&) { return d.FlipVertical(nullptr); }},
        {"FlipHorizontal", 1, false,
         [](Image& d, Image&, Image&) { return d.FlipHorizontal(nullptr); }},
        {"FlipVertical 8-bit", 1, true,
         [](Image&, Image&, Image& p) { return p.FlipVertical(nullptr); }},
        {"FlipHorizontal 8-bit", 1, true,
         [](Image&, Image&, Image& p) { return p.FlipHorizontal(nullptr); }},
        {"ConvertAdditiveAlpha to additive", kFalse, false,
         [](Image& d, Image&, Image&) { return d.ConvertAdditiveAlpha(true) ? 0 : kFalse; }},
        {"ConvertAdditiveAlpha from additive", kFalse, false,
         [](Image& d, Image&, Image&) { return d.ConvertAdditiveAlpha(false) ? 0 : kFalse; }},
        {"BlendColourUnder", kFalse, false,
         [](Image& d, Image&, Image&) { return d.BlendColourUnder(0x336699) ? 0 : kFalse; }},
        {"KeyColourToAlpha", kFalse, false,
         [](Image& d, Image& s, Image&) {
             return d.KeyColourToAlpha(s.GetPixel(0, 0)) ? 0 : kFalse;
         }},
        {"Crossfade", 2, false,
         [](Image& d, Image& s, Image&) {
             return d.Crossfade(&s, &d, 100, 0, 0, 0, 6, 4, 0, 0, 0, 0);
         }},
        {"RuleTransition", 2, false,
         [](Image& d, Image& s, Image& p) {
             return d.RuleTransition(&s, &d, &p, 100, 64, 0, 0, 0, 6, 4, 0, 0, 0, 0, 0, 0);
         }},
    };
    for (const Case& c : cases) {
        Image dest, source, plane;
        Make(dest, 6, 4, 1);
        Make(source, 6, 4, 2);
        Make(plane, 6, 4, 3, 8);
        const auto destBefore = PixelsOf(dest);
        const auto planeBefore = PixelsOf(plane);
        EXPECT_EQ(c.want, c.run(dest, source, plane)) << c.name;
        EXPECT_EQ(destBefore, PixelsOf(dest)) << c.name;
        EXPECT_EQ(planeBefore, PixelsOf(plane)) << c.name;
        EXPECT_TRUE(Untouched(c.onPlane ? plane : dest)) << c.name;
    }
}

TEST_P(BlendInEveryConfig, LibraryOnlyOperationsDrawWithTheLibrary) {
    if (!Library()) return;  // LibraryOnlyOperations.RefuseWithoutTheLibrary
    Image dest, source, plane;
    Make(dest, 6, 4, 1);
    Make(source, 6, 4, 2);
    Make(plane, 6, 4, 3, 8);
    EXPECT_EQ(0, dest.SetAlpha(7, nullptr));
    EXPECT_EQ(7u, dest.GetPixel(5, 3) >> 24);
    const std::uint32_t top = plane.GetPixel(2, 0);
    EXPECT_EQ(0, plane.FlipVertical(nullptr));
    EXPECT_EQ(top, plane.GetPixel(2, 3));
    // Clipped here to the destination's clip rectangle: nothing left is the library's refusal.
    const RECT clip = {0, 0, 3, 2};
    dest.SetClipRect(&clip);
    EXPECT_EQ(3, dest.BlendRect(&source, 2, 255, 0, 4, 0, nullptr));
    const auto before = PixelsOf(dest);
    RECT part = {0, 0, 6, 4};
    ASSERT_EQ(0, dest.BlendRect(&source, 0, 255, 0, 1, 1, &part));
    EXPECT_EQ(6, part.right);
    for (std::int32_t y = 0; y < 4; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) {
            const bool drawn = x >= 1 && x < 3 && y == 1;
            EXPECT_EQ(drawn ? source.GetPixel(x - 1, y - 1) : before[y * 6 + x],
                      dest.GetPixel(x, y))
                << x << ", " << y;
        }
    }
}

TEST_P(BlendInEveryConfig, LibraryBlendsStayInsideBothClipRectangles) {
    Image dest, source;
    Make(dest, 8, 6, 1);
    Make(source, 8, 6, 2);
    const RECT destClip = {2, 1, 6, 5};
    const RECT sourceClip = {1, 1, 7, 4};
    dest.SetClipRect(&destClip);
    source.SetClipRect(&sourceClip);
    const auto before = PixelsOf(dest);
    RECT all = {0, 0, 8, 6};
    ASSERT_EQ(0, dest.AlphaBlend(&source, 0, 0, &all, false));
    EXPECT_EQ(0, all.left);
    EXPECT_EQ(8, all.right);
    for (std::int32_t y = 0; y < 6; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            if (x >= 2 && x < 6 && y >= 1 && y < 4) continue;
            EXPECT_EQ(before[y * 8 + x], dest.GetPixel(x, y)) << x << ", " << y;
        }
    }
    const RECT& marked = dest.GetDirtyRegion()->Bounds();
    EXPECT_EQ(2, marked.left);
    EXPECT_EQ(1, marked.top);
    EXPECT_EQ(6, marked.right);
    EXPECT_EQ(4, marked.bottom);
}

INSTANTIATE_TEST_SUITE_P(Configurations, BlendInEveryConfig,
                         ::testing::ValuesIn(testsupport::kPixelConfigs),
                         testsupport::PixelConfigTestName);

TEST(ImageBlendChannelWeights, StretchedMmxWeightsAddUpToAFullStep) {
    PixelConfigScope scope(PixelConfig::MmxKernels);
    Image dest, source;
    Make(dest, 4, 2, 1);
    Make(source, 4, 2, 2);
    const auto d = PixelsOf(dest);
    const auto s = PixelsOf(source);
    ASSERT_EQ(0, dest.StretchBlendChannelWeights(&source, 64 * 0x010101u, 191 * 0x010101u,
                                                 nullptr, 0, 0, nullptr));
    for (std::size_t i = 0; i < d.size(); ++i) {
        std::uint32_t want = 0;
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t v =
                (((s[i] >> (8 * k)) & 0xFF) * 191 + ((d[i] >> (8 * k)) & 0xFF) * 65) / 256;
            want |= std::min<std::uint32_t>(v, 255) << (8 * k);
        }
        EXPECT_EQ(want, dest.GetPixel(static_cast<std::int32_t>(i % 4),
                                      static_cast<std::int32_t>(i / 4)))
            << i;
    }
}

TEST(ImageBlendTypeOne, StaysOnTheOwnKernelsWithTheLibrary) {
    Image own, withLibrary, source;
    Make(source, 6, 5, 2);
    Make(own, 6, 5, 1);
    Make(withLibrary, 6, 5, 1);
    {
        PixelConfigScope scope(PixelConfig::PlainKernels);
        ASSERT_EQ(0, own.BlendTable(1, &source, 170, 0, 0, nullptr));
    }
    PixelConfigScope scope(PixelConfig::LibraryPortable);
    ASSERT_TRUE(scope.Ready());
    ASSERT_EQ(0, withLibrary.BlendTable(1, &source, 170, 0, 0, nullptr));
    EXPECT_EQ(PixelsOf(own), PixelsOf(withLibrary));
}

TEST(SetAllAlpha, WritesEveryRowWithinTheWidthOfThirtyTwoBitPixelsOnly) {
    Image image, plane;
    ASSERT_EQ(0, image.Create(3, 4, 32, 0));
    image.FillValue(0x11223344u, nullptr);
    SetAllAlpha(&image, 0xAB);
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 3; ++x) EXPECT_EQ(0xAB223344u, image.GetPixel(x, y));
    // An 8-bit picture has no alpha bytes; its padded rows stay as they were.
    ASSERT_EQ(0, plane.Create(3, 4, 8, 0));
    std::vector<std::uint8_t> before(plane.Bits(), plane.Bits() + plane.Pitch() * 4);
    SetAllAlpha(&plane, 0xAB);
    EXPECT_EQ(before, std::vector<std::uint8_t>(plane.Bits(), plane.Bits() + plane.Pitch() * 4));
}

}  // namespace
