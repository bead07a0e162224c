// Quadrilateral mapping and the rotate-zoom blits: identity mappings, the rectangle onto its
// own corners, a quarter turn, degenerate and random quadrilaterals against a poisoned source
// border, far corners and huge zooms, and the choice between the integer and library paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "tests/graphics/blit_reference.h"
#include "tests/graphics/pixel_configs.h"

namespace {

using testsupport::PixelConfig;
using testsupport::PixelConfigScope;

std::uint32_t Coded(std::int32_t x, std::int32_t y) { return blitref::Code32(x, y) | 0x7F000000u; }

void MakeCoded(Image& image, std::int32_t w, std::int32_t h) {
    ASSERT_EQ(0, image.Create(w, h, 32, 0));
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) image.SetPixel(x, y, Coded(x, y));
}

void MakeBackground(Image& image, std::int32_t w, std::int32_t h) {
    ASSERT_EQ(0, image.Create(w, h, 32, kImageDirtyRegion));
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) image.SetPixel(x, y, blitref::Background32(x, y));
    image.GetDirtyRegion()->Clear();
    image.SetModified(false);
}

class WithMathTables : public ::testing::TestWithParam<PixelConfig> {
protected:
    void SetUp() override {
        g_mathTables = &m_tables;
        m_scope = std::make_unique<PixelConfigScope>(GetParam());
        ASSERT_TRUE(m_scope->Ready());
    }
    void TearDown() override {
        m_scope.reset();
        g_mathTables = nullptr;
    }

private:
    MathTables m_tables;
    std::unique_ptr<PixelConfigScope> m_scope;
};

// The integer path: the kernels' configurations.
class IntegerPath : public WithMathTables {};

TEST_P(IntegerPath, UnitZoomWithoutTurnReproducesTheSourceForEveryAnchor) {
    struct Case {
        std::int32_t w, h;
    };
    for (const Case c : {Case{7, 5}, Case{10, 9}, Case{3000, 3}}) {
        Image source;
        MakeCoded(source, c.w, c.h);
        for (std::uint8_t anchor = 0; anchor <= 4; ++anchor) {
            Image dest;
            MakeBackground(dest, c.w + 4, c.h + 3);
            ASSERT_EQ(0, dest.BlitRotateZoom(&source, anchor, 2, 1, 0, 65536, nullptr, nullptr));
            int wrong = 0;
            for (std::int32_t y = 0; y < c.h + 3; ++y) {
                for (std::int32_t x = 0; x < c.w + 4; ++x) {
                    const bool inside = x >= 2 && x < c.w + 2 && y >= 1 && y < c.h + 1;
                    const std::uint32_t want =
                        inside ? Coded(x - 2, y - 1) : blitref::Background32(x, y);
                    if (dest.GetPixel(x, y) != want && ++wrong <= 3) {
                        ADD_FAILURE() << c.w << " x " << c.h << ", anchor " << int(anchor)
                                      << ": pixel (" << x << ", " << y << ") is " << std::hex
                                      << dest.GetPixel(x, y) << ", expected " << want;
                    }
                }
            }
        }
    }
}

TEST_P(IntegerPath, ARectangleOntoItsOwnLastPixelsShowsTheNextRow) {
    Image source, dest;
    MakeCoded(source, 6, 5);
    MakeBackground(dest, 8, 7);
    const POINT quad[4] = {{0, 0}, {5, 0}, {0, 4}, {5, 4}};
    ASSERT_EQ(0, dest.BlitRectToQuad(&source, quad, nullptr, nullptr));
    for (std::int32_t y = 0; y < 7; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            if (x < 5 && y < 4) {
                // Six texels over five pixels; every row drawn one step further down.
                const std::int32_t sx = static_cast<std::int32_t>((x * 5 * 1048576LL / 4) >> 20);
                EXPECT_EQ(Coded(sx, y + 1), dest.GetPixel(x, y)) << x << ", " << y;
            } else {
                EXPECT_EQ(blitref::Background32(x, y), dest.GetPixel(x, y)) << x << ", " << y;
            }
        }
    }
}

// Edge mode 1: the rectangle's corners bound spans that end before its last column, so five
// pixels step over the five texel widths 0 to 5 one texel each, where edge mode 0 stretches them.
TEST_P(IntegerPath, AQuadOntoARectangleEndsItsSpansBeforeTheLastColumn) {
    Image source, dest;
    MakeCoded(source, 6, 5);
    MakeBackground(dest, 8, 7);
    const POINT quad[4] = {{0, 0}, {5, 0}, {0, 4}, {5, 4}};
    const RECT rect = {0, 0, 6, 5};
    ASSERT_EQ(0, dest.BlitQuadToRect(&source, quad, &rect, nullptr));
    for (std::int32_t y = 0; y < 7; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            const std::uint32_t want =
                x < 5 && y < 4 ? Coded(x, y + 1) : blitref::Background32(x, y);
            EXPECT_EQ(want, dest.GetPixel(x, y)) << x << ", " << y;
        }
    }
    const RectNode* marked = dest.GetDirtyRegion()->Head();
    ASSERT_NE(nullptr, marked);
    EXPECT_EQ(0, marked->left);
    EXPECT_EQ(0, marked->top);
    EXPECT_EQ(5, marked->right);
    EXPECT_EQ(4, marked->bottom);
}

TEST_P(IntegerPath, AQuarterTurnPutsAPointRightOfThePivotAboveIt) {
    Image source, dest;
    ASSERT_EQ(0, source.Create(21, 21, 32, 0));
    source.FillValue(0xFF101010u, nullptr);
    source.SetPixel(18, 10, 0xFFFF0000u);
    MakeBackground(dest, 40, 40);
    // Anchor 4: the pivot is the centre (20, 20); the marked pixel lies 8 to its right.
    ASSERT_EQ(0, dest.BlitRotateZoom(&source, 4, 10, 10, 128, 65536, nullptr, nullptr));
    std::int32_t found = 0, fx = 0, fy = 0;
    for (std::int32_t y = 0; y < 40; ++y) {
        for (std::int32_t x = 0; x < 40; ++x) {
            if (dest.GetPixel(x, y) == 0xFFFF0000u) {
                ++found;
                fx = x;
                fy = y;
            }
        }
    }
    ASSERT_EQ(1, found);
    // Corners are whole pixels and every row is drawn one step further on, so the point lands
    // within two pixels of (20, 12).
    EXPECT_LE(std::abs(fx - 20), 1);
    EXPECT_LE(std::abs(fy - 12), 2);
}

TEST_P(IntegerPath, DegenerateQuadsDrawAndRecordNothing) {
    Image source, dest;
    MakeCoded(source, 6, 5);
    MakeBackground(dest, 10, 8);
    const POINT flat[4] = {{1, 3}, {8, 3}, {2, 3}, {6, 3}};
    ASSERT_EQ(0, dest.BlitRectToQuad(&source, flat, nullptr, nullptr));
    const POINT point[4] = {{4, 4}, {4, 4}, {4, 4}, {4, 4}};
    ASSERT_EQ(0, dest.BlitRectToQuad(&source, point, nullptr, nullptr));
    EXPECT_EQ(0, dest.GetDirtyRegion()->Count());
    EXPECT_FALSE(dest.Modified());
    for (std::int32_t y = 0; y < 8; ++y)
        for (std::int32_t x = 0; x < 10; ++x)
            EXPECT_EQ(blitref::Background32(x, y), dest.GetPixel(x, y));
}

TEST_P(IntegerPath, RandomQuadsStayInTheirBoxAndNeverReadThePoisonedBorder) {
    Image source, dest;
    ASSERT_EQ(0, source.Create(12, 10, 32, 0));
    const RECT sourceClip = {2, 1, 10, 8};
    for (std::int32_t y = 0; y < 10; ++y)
        for (std::int32_t x = 0; x < 12; ++x)
            source.SetPixel(x, y, blitref::Inside(sourceClip, x, y) ? Coded(x, y) : blitref::kPoison);
    source.SetClipRect(&sourceClip);
    std::mt19937 random(30);
    auto coordinate = [&](std::int32_t lo, std::int32_t hi) {
        return std::uniform_int_distribution<std::int32_t>(lo, hi)(random);
    };
    MakeBackground(dest, 20, 16);
    const RECT destClip = {2, 1, 17, 14};
    for (int i = 0; i < 150; ++i) {
        MakeBackground(dest, 20, 16);
        dest.SetClipRect(&destClip);
        POINT dq[4], sq[4];
        for (POINT& p : dq) p = POINT{coordinate(-6, 25), coordinate(-6, 21)};
        for (POINT& p : sq) p = POINT{coordinate(-3, 14), coordinate(-3, 12)};
        const RECT clip = {coordinate(0, 8), coordinate(0, 6), coordinate(10, 22),
                           coordinate(8, 18)};
        const bool blend = i % 2 == 1;
        ASSERT_EQ(0, blend ? dest.QuadMapBlend(&source, dq, sq, 200, &clip, i % 3 == 0)
                           : dest.QuadMap(&source, dq, sq, &clip, i % 3 == 0));
        RECT box = {dq[0].x, dq[0].y, dq[0].x, dq[0].y};
        for (const POINT& p : dq) {
            box.left = std::min(box.left, p.x);
            box.top = std::min(box.top, p.y);
            box.right = std::max(box.right, p.x);
            box.bottom = std::max(box.bottom, p.y);
        }
        RECT area;
        IntersectRect(&area, &clip, &destClip);
        RECT clipped;
        const bool any = IntersectRect(&clipped, &box, &area) != 0;
        for (std::int32_t y = 0; y < 16; ++y) {
            for (std::int32_t x = 0; x < 20; ++x) {
                const std::uint32_t got = dest.GetPixel(x, y);
                const bool mayChange = any && blitref::Inside(clipped, x, y);
                if (!mayChange) {
                    ASSERT_EQ(blitref::Background32(x, y), got) << "quad " << i << " at " << x
                                                                << ", " << y;
                }
                // A blend of poison would still carry its colour bytes' traces; a copy shows it
                // whole.
                if (!blend) {
                    ASSERT_NE(blitref::kPoison, got) << "quad " << i;
                }
            }
        }
        const DirtyRegion* region = dest.GetDirtyRegion();
        ASSERT_EQ(any ? 1 : 0, region->Count()) << "quad " << i;
        if (any) {
            const RectNode* n = region->Head();
            EXPECT_EQ(clipped.left, n->left) << "quad " << i;
            EXPECT_EQ(clipped.top, n->top) << "quad " << i;
            EXPECT_EQ(clipped.right, n->right) << "quad " << i;
            EXPECT_EQ(clipped.bottom, n->bottom) << "quad " << i;
        }
    }
}

TEST_P(IntegerPath, FarCornersAndHugeZoomsEndAtOnce) {
    Image source, dest;
    MakeCoded(source, 8, 6);
    MakeBackground(dest, 16, 12);
    const POINT distant[4] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN + 5}, {INT_MIN + 3, INT_MAX},
                          {INT_MAX, INT_MAX}};
    ASSERT_EQ(0, dest.BlitRectToQuad(&source, distant, nullptr, nullptr));
    EXPECT_EQ(1, dest.GetDirtyRegion()->Count());
    // A zoom whose picture is far larger than the destination draws only what is visible.
    ASSERT_EQ(0, dest.BlitRotateZoom(&source, 4, 8, 6, 37, 65536 * 20000, nullptr, nullptr));
    // Corners beyond 32 bits are refused.
    EXPECT_EQ(1, dest.BlitRotateZoom(&source, 0, INT_MAX - 10, 0, 0, 65536 * 4, nullptr, nullptr));
    EXPECT_EQ(1, dest.BlitRotateZoom(&source, 5, 0, 0, 0, 65536, nullptr, nullptr));
}

TEST_P(IntegerPath, AQuadMapReadsTheSourceAsItIsNow) {
    Image source, dest;
    MakeCoded(source, 4, 4);
    MakeBackground(dest, 10, 10);
    const POINT quad[4] = {{0, 0}, {8, 0}, {0, 8}, {8, 8}};
    ASSERT_EQ(0, dest.BlitRectToQuad(&source, quad, nullptr, nullptr));
    ASSERT_EQ(0, source.Resize(6, 6));
    source.FillValue(0xFF00FF00u, nullptr);
    ASSERT_EQ(0, dest.BlitRectToQuad(&source, quad, nullptr, nullptr));
    EXPECT_EQ(0xFF00FF00u, dest.GetPixel(4, 4));
}

// The blend kernel's two forms round alike: the same quads at several opacities give the same
// pixels, and the ends of the alpha range copy or keep.
TEST(QuadMapBlendKernels, PlainAndMmxGiveTheSamePixels) {
    Image source;
    ASSERT_EQ(0, source.Create(12, 10, 32, 0));
    for (std::int32_t y = 0; y < 10; ++y) {
        for (std::int32_t x = 0; x < 12; ++x) {
            const std::uint32_t alphas[4] = {0, 255, 128, static_cast<std::uint32_t>(x * 21 + y)};
            source.SetPixel(x, y, (alphas[(x + y) % 4] << 24) | (Coded(x, y) & 0x00FFFFFFu) |
                                      (static_cast<std::uint32_t>(y * 25) << 16));
        }
    }
    std::mt19937 random(17);
    auto coordinate = [&](std::int32_t lo, std::int32_t hi) {
        return std::uniform_int_distribution<std::int32_t>(lo, hi)(random);
    };
    int changed = 0;
    for (int i = 0; i < 40; ++i) {
        POINT dq[4], sq[4];
        for (POINT& p : dq) p = POINT{coordinate(-4, 22), coordinate(-4, 18)};
        for (POINT& p : sq) p = POINT{coordinate(0, 11), coordinate(0, 9)};
        const std::uint8_t opacity = static_cast<std::uint8_t>((i * 97) % 256);
        std::vector<std::uint32_t> pixels[2];
        for (int form = 0; form < 2; ++form) {
            PixelConfigScope scope(form ? PixelConfig::MmxKernels : PixelConfig::PlainKernels);
            Image dest;
            MakeBackground(dest, 20, 16);
            ASSERT_EQ(0, dest.QuadMapBlend(&source, dq, sq, opacity, nullptr, i % 2));
            for (std::int32_t y = 0; y < 16; ++y)
                for (std::int32_t x = 0; x < 20; ++x) pixels[form].push_back(dest.GetPixel(x, y));
        }
        ASSERT_EQ(pixels[0], pixels[1]) << "quad " << i << ", opacity " << int(opacity);
        for (std::size_t k = 0; k < pixels[0].size(); ++k)
            changed += pixels[0][k] != blitref::Background32(static_cast<std::int32_t>(k % 20),
                                                             static_cast<std::int32_t>(k / 20));
    }
    EXPECT_GT(changed, 0);
}

INSTANTIATE_TEST_SUITE_P(Kernels, IntegerPath,
                         ::testing::Values(PixelConfig::PlainKernels, PixelConfig::MmxKernels),
                         [](const ::testing::TestParamInfo<PixelConfig>& info) {
                             return info.param == PixelConfig::PlainKernels ? "plain" : "MMX";
                         });

class AnyPath : public WithMathTables {};

TEST_P(AnyPath, RotateZoomNeedsMathTablesAndThirtyTwoBits) {
    Image source, dest, plane;
    MakeCoded(source, 4, 4);
    MakeBackground(dest, 8, 8);
    ASSERT_EQ(0, plane.Create(4, 4, 8, 0));
    EXPECT_EQ(2, dest.BlitRotateZoom(&plane, 0, 0, 0, 0, 65536, nullptr, nullptr));
    EXPECT_EQ(1, dest.BlitRotateZoom(nullptr, 0, 0, 0, 0, 65536, nullptr, nullptr));
    MathTables* tables = g_mathTables;
    g_mathTables = nullptr;
    EXPECT_EQ(1, dest.BlitRotateZoom(&source, 0, 0, 0, 0, 65536, nullptr, nullptr));
    EXPECT_EQ(1, dest.BlendRotateZoom(&source, 0, 0, 0, 0, 65536, 255, nullptr, nullptr));
    g_mathTables = tables;
    EXPECT_EQ(0, dest.GetDirtyRegion()->Count());
}

TEST_P(AnyPath, RotateZoomStaysInsideTheClipRectangle) {
    Image source, dest;
    MakeCoded(source, 8, 8);
    MakeBackground(dest, 20, 20);
    const RECT clip = {5, 4, 12, 11};
    ASSERT_EQ(0, dest.BlitRotateZoom(&source, 4, 6, 6, 40, 90000, nullptr, &clip));
    ASSERT_EQ(0, dest.BlendRotateZoom(&source, 4, 6, 6, 300, 70000, 200, nullptr, &clip));
    bool changed = false;
    for (std::int32_t y = 0; y < 20; ++y) {
        for (std::int32_t x = 0; x < 20; ++x) {
            if (blitref::Inside(clip, x, y)) {
                changed = changed || dest.GetPixel(x, y) != blitref::Background32(x, y);
            } else {
                EXPECT_EQ(blitref::Background32(x, y), dest.GetPixel(x, y)) << x << ", " << y;
            }
        }
    }
    EXPECT_TRUE(changed);
    const RECT& marked = dest.GetDirtyRegion()->Bounds();
    EXPECT_TRUE(marked.left >= clip.left && marked.top >= clip.top &&
                marked.right <= clip.right && marked.bottom <= clip.bottom);
}

TEST_P(AnyPath, AColourKeyTakesTheIntegerPath) {
    Image source, viaKey;
    MakeCoded(source, 6, 6);
    ASSERT_EQ(0, source.SetColourKeyFromPixel(2, 2));
    MakeBackground(viaKey, 12, 12);
    ASSERT_EQ(0, viaKey.BlitRotateZoom(&source, 0, 3, 3, 0, 65536, nullptr, nullptr));
    // The key's pixel is skipped, every other one reproduced.
    EXPECT_EQ(blitref::Background32(5, 5), viaKey.GetPixel(5, 5));
    EXPECT_EQ(Coded(3, 2), viaKey.GetPixel(6, 5));
}

INSTANTIATE_TEST_SUITE_P(Configurations, AnyPath, ::testing::ValuesIn(testsupport::kPixelConfigs),
                         testsupport::PixelConfigTestName);

}  // namespace
