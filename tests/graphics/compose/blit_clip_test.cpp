// The clipping steps the blits share.
#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/compose/blit_clip.h"
#include "tests/graphics/rect_helpers.h"

using graphicstest::SameRect;

namespace {

TEST(ClipBlitRects, CutsTheSourceWithTheDestination) {
    struct Case {
        const char* name;
        std::int32_t x, y;
        bool stretched;
        SIZE size;
        std::int32_t result;
        RECT clippedSource;
        RECT dest;
    };
    const RECT sourceRect{0, 0, 100, 50};
    const Case cases[] = {
        {"inside", 10, 20, false, {}, 0, {0, 0, 100, 50}, {10, 20, 110, 70}},
        {"left of the clip", -10, 0, false, {}, 0, {10, 0, 100, 50}, {0, 0, 90, 50}},
        {"over the bottom-right", 600, 460, false, {}, 0, {0, 0, 40, 20}, {600, 460, 640, 480}},
        {"wholly outside", 700, 0, false, {}, -1, {0, 0, -60, 50}, {700, 0, 640, 50}},
        {"stretched, left", -10, 0, true, {200, 50}, 0, {5, 0, 100, 50}, {0, 0, 190, 50}},
        {"stretched cuts truncate", -3, 0, true, {200, 50}, 0, {1, 0, 100, 50}, {0, 0, 197, 50}},
        {"stretched, right", 500, 0, true, {200, 50}, 0, {0, 0, 70, 50}, {500, 0, 640, 50}},
        {"stretched, bottom", 0, 470, true, {100, 20}, 0, {0, 0, 100, 25}, {0, 470, 100, 480}},
        {"zero size", 0, 0, true, {0, 50}, -1, {0, 0, 100, 50}, {0, 0, 0, 50}},
        {"stretched, outside", 0, 500, true, {100, 20}, -1, {0, 0, 100, -50}, {0, 500, 100, 480}},
    };
    const RECT clip{0, 0, 640, 480};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT source = sourceRect;
        RECT dest{};
        EXPECT_EQ(c.result,
                  ClipBlitRects(c.x, c.y, &source, &dest, &clip, c.stretched ? &c.size : nullptr));
        EXPECT_TRUE(SameRect(c.clippedSource, source));
        EXPECT_TRUE(SameRect(c.dest, dest));
    }
    RECT source = sourceRect;
    RECT dest{};
    EXPECT_EQ(1, ClipBlitRects(0, 0, &source, &dest, nullptr, nullptr));
}

// Positions and sizes come from scripts: a blit placed at the ends of the 32-bit range lies
// outside any clip, and must not wrap round into a rectangle that reaches back into it.
TEST(ClipBlitRects, BlitsAtTheEndsOfTheRangeAreEmpty) {
    struct Case {
        const char* name;
        std::int32_t x, y;
        RECT source;
        const SIZE* size;
    };
    const SIZE wide{200, 50};
    const SIZE huge{0x7FFFFFFF, 0x7FFFFFFF};
    const Case cases[] = {
        {"just below the largest x", 0x7FFFFFF0, 0, {0, 0, 100, 50}, nullptr},
        {"the smallest x", INT32_MIN, 0, {0, 0, 100, 50}, nullptr},
        {"the smallest y", 0, INT32_MIN, {0, 0, 100, 50}, nullptr},
        {"stretched, just below the largest x", 0x7FFFFFF0, 0, {0, 0, 100, 50}, &wide},
        {"stretched, the smallest x", INT32_MIN, 0, {0, 0, 100, 50}, &wide},
        {"a huge source far to the left", INT32_MIN, 0, {INT32_MIN, 0, 0x7FFFFFFF, 50}, &huge},
    };
    const RECT clip{0, 0, 640, 480};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT source = c.source;
        RECT dest{};
        EXPECT_EQ(-1, ClipBlitRects(c.x, c.y, &source, &dest, &clip, c.size));
    }
    // A huge stretched source that does reach the clip keeps its proportions.
    RECT source{0, 0, 0x40000000, 0x40000000};
    RECT dest{};
    const SIZE size{0x40000000, 0x40000000};
    EXPECT_EQ(0, ClipBlitRects(-0x20000000, -0x20000000, &source, &dest, &clip, &size));
    EXPECT_TRUE(SameRect(RECT{0x20000000, 0x20000000, 0x20000000 + 640, 0x20000000 + 480},
                         source));
    EXPECT_TRUE(SameRect(clip, dest));
}

TEST(ClipRectTo, IntersectsOrRefuses) {
    const RECT clip{0, 0, 10, 10};
    RECT rect{-5, 2, 5, 20};
    EXPECT_TRUE(ClipRectTo(&rect, &clip));
    EXPECT_TRUE(SameRect(RECT{0, 2, 5, 10}, rect));
    rect = RECT{20, 0, 30, 5};
    EXPECT_FALSE(ClipRectTo(&rect, &clip));
    rect = RECT{1, 1, 2, 2};
    EXPECT_FALSE(ClipRectTo(&rect, nullptr));
}

}  // namespace
