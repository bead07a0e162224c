#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/image/image.h"

namespace {

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ImageClipBlitBilinear, CutsBothSidesAndStartsTheWalk) {
    Image image;
    ASSERT_EQ(0, image.Create(100, 100, 32, 0));
    struct Row {
        const char* what;
        RECT dest, src, srcClip;
        bool result;
        RECT destAfter, srcAfter;
        std::uint32_t fracX, fracY;
    };
    const Row rows[] = {
        {"nothing to cut",
         {0, 0, 100, 50},
         {0, 0, 50, 25},
         {0, 0, 50, 25},
         true,
         {0, 0, 100, 50},
         {0, 0, 50, 25},
         0,
         0},
        {"left of the image: half a source pixel per destination pixel",
         {-10, 0, 90, 50},
         {0, 0, 50, 25},
         {0, 0, 50, 25},
         true,
         {0, 0, 90, 50},
         {5, 0, 50, 25},
         0,
         0},
        {"an odd cut leaves half a pixel in the fraction",
         {-3, 0, 97, 50},
         {0, 0, 50, 25},
         {0, 0, 50, 25},
         true,
         {0, 0, 97, 50},
         {1, 0, 50, 25},
         0x80000000u,
         0},
        {"source beyond its clip on the right",
         {0, 0, 100, 50},
         {0, 0, 50, 25},
         {0, 0, 40, 25},
         true,
         {0, 0, 79, 50},
         {0, 0, 40, 25},
         0,
         0},
        {"below the image",
         {0, 80, 100, 130},
         {0, 0, 50, 25},
         {0, 0, 50, 25},
         true,
         {0, 80, 100, 100},
         {0, 0, 50, 10},
         0,
         0},
        {"wholly right of the image",
         {200, 0, 300, 50},
         {0, 0, 50, 25},
         {0, 0, 50, 25},
         false,
         {},
         {},
         0,
         0},
        {"destination of width 0",
         {10, 0, 10, 50},
         {0, 0, 50, 25},
         {0, 0, 50, 25},
         false,
         {},
         {},
         0,
         0},
        {"reversed source", {0, 0, 100, 50}, {50, 0, 0, 25}, {0, 0, 50, 25}, false, {}, {}, 0, 0},
    };
    for (const Row& r : rows) {
        RECT dest = r.dest, src = r.src;
        BilinearStep step = {};
        EXPECT_EQ(r.result, image.ClipBlitBilinear(dest, src, r.srcClip, step)) << r.what;
        if (!r.result) continue;
        EXPECT_TRUE(dest == r.destAfter) << r.what;
        EXPECT_TRUE(src == r.srcAfter) << r.what;
        EXPECT_EQ(r.fracX, step.fracX) << r.what;
        EXPECT_EQ(r.fracY, step.fracY) << r.what;
        EXPECT_EQ(0x80000000ull, step.stepX) << r.what;
        EXPECT_EQ(0x80000000ull, step.stepY) << r.what;
    }
}

// Source rectangles come from scripts: a source reaching millions of pixels beyond its clip must
// still move the destination by the exact share, not by a product that ran past 64 bits.
TEST(ImageClipBlitBilinear, FarReachingSourcesCutInProportion) {
    Image image;
    ASSERT_EQ(0, image.Create(2000, 100, 32, 0));
    RECT dest{0, 0, 1000, 50};
    RECT src{-5000000, 0, 5000000, 25};
    const RECT srcClip{0, 0, 5000000, 25};
    BilinearStep step = {};
    ASSERT_TRUE(image.ClipBlitBilinear(dest, src, srcClip, step));
    EXPECT_TRUE(dest == (RECT{500, 0, 1000, 50}));
    EXPECT_TRUE(src == (RECT{0, 0, 5000000, 25}));
    EXPECT_EQ(10000ull << 32, step.stepX);
    EXPECT_EQ(0u, step.fracX);

    // The widest source there is, cut to a clip it covers only in part, leaves nothing here.
    dest = RECT{0, 0, 100, 50};
    src = RECT{INT32_MIN, 0, INT32_MAX, 25};
    EXPECT_FALSE(image.ClipBlitBilinear(dest, src, RECT{0, 0, 50, 25}, step));
}

}  // namespace
