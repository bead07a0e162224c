// DirtyRegion keeps a set of non-overlapping rectangles whatever is added to it.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/compose/dirty_region.h"
#include "tests/graphics/rect_helpers.h"

using graphicstest::RegionRects;
using graphicstest::SameRect;

namespace {

std::string Describe(const std::vector<RECT>& rects) {
    std::string text;
    for (const RECT& r : rects) {
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ") ";
    }
    return text;
}

// Coverage of the rectangles on a grid of cells from -kMargin to kSize + kMargin.
constexpr int kSize = 48;
constexpr int kMargin = 8;
constexpr int kSpan = kSize + 2 * kMargin;

void Paint(std::vector<int>* cells, const RECT& r) {
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) ++(*cells)[(y + kMargin) * kSpan + (x + kMargin)];
    }
}

// Sorted by (top, left), nothing empty, nothing overlapping, bounds hold everything, and the
// covered cells are exactly those of `added`.
void ExpectSoundRegion(const DirtyRegion& region, const std::vector<int>& added) {
    const std::vector<RECT> rects = RegionRects(&region);
    std::vector<int> cells(kSpan * kSpan, 0);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const RECT& r = rects[i];
        ASSERT_LT(r.left, r.right) << Describe(rects);
        ASSERT_LT(r.top, r.bottom) << Describe(rects);
        if (i > 0) {
            const RECT& p = rects[i - 1];
            ASSERT_TRUE(p.top < r.top || (p.top == r.top && p.left < r.left))
                << "order: " << Describe(rects);
        }
        const RECT& b = region.Bounds();
        ASSERT_TRUE(b.left <= r.left && b.top <= r.top && b.right >= r.right &&
                    b.bottom >= r.bottom)
            << "bounds: " << Describe(rects);
        Paint(&cells, r);
    }
    for (int i = 0; i < kSpan * kSpan; ++i) {
        ASSERT_LE(cells[i], 1) << "overlap at cell " << i << ": " << Describe(rects);
        ASSERT_EQ(added[i] > 0 ? 1 : 0, cells[i])
            << "coverage at cell " << i << ": " << Describe(rects);
    }
}

struct AddCase {
    const char* name;
    std::vector<RECT> adds;
    bool coalesce;
    std::vector<RECT> expected;
};

TEST(DirtyRegion, AddSequences) {
    const AddCase cases[] = {
        {"empty rectangles are ignored", {{0, 0, 0, 10}, {5, 5, 4, 9}, {0, 10, 10, 10}}, false, {}},
        {"equal rectangle", {{0, 0, 10, 10}, {0, 0, 10, 10}}, false, {{0, 0, 10, 10}}},
        {"right neighbour joins", {{0, 0, 10, 10}, {10, 0, 20, 10}}, false, {{0, 0, 20, 10}}},
        {"left neighbour joins", {{10, 0, 20, 10}, {0, 0, 10, 10}}, false, {{0, 0, 20, 10}}},
        {"three become one",
         {{0, 0, 10, 10}, {20, 0, 30, 10}, {10, 0, 20, 10}},
         false,
         {{0, 0, 30, 10}}},
        {"overlap splits the older one",
         {{0, 0, 10, 10}, {5, 5, 15, 15}},
         false,
         {{0, 0, 10, 5}, {0, 5, 5, 10}, {5, 5, 15, 15}}},
        {"inside an older one", {{0, 0, 100, 100}, {40, 40, 60, 60}}, false, {{0, 0, 100, 100}}},
        {"around an older one", {{40, 40, 60, 60}, {0, 0, 100, 100}}, false, {{0, 0, 100, 100}}},
        {"a new rectangle over two, the first split joining the second",
         {{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 0, 30, 10}},
         false,
         {{0, 0, 30, 10}}},
        {"a new rectangle over a row whose fragments rejoin",
         {{0, 0, 10, 10}, {10, 0, 20, 5}, {20, 0, 30, 10}, {5, 0, 25, 10}},
         false,
         {{0, 0, 30, 10}}},
        {"a band over three stacked nodes",
         {{0, 0, 30, 4}, {0, 4, 10, 8}, {20, 4, 30, 8}, {0, 2, 30, 6}},
         false,
         {{0, 0, 30, 2}, {0, 2, 30, 6}, {0, 6, 10, 8}, {20, 6, 30, 8}}},
        {"touching the bounds along an edge",
         {{0, 0, 10, 10}, {10, 10, 20, 20}},
         false,
         {{0, 0, 10, 10}, {10, 10, 20, 20}}},
        {"coalesce across a row step",
         {{0, 0, 10, 10}, {10, 5, 20, 10}},
         true,
         {{0, 0, 10, 5}, {0, 5, 20, 10}}},
        {"coalesce across a row step, the lower one reaching further down",
         {{0, 0, 10, 10}, {10, 5, 20, 15}},
         true,
         {{0, 0, 10, 5}, {0, 5, 20, 10}, {10, 10, 20, 15}}},
        {"coalesce across a row step on the left",
         {{10, 0, 20, 10}, {0, 5, 10, 10}},
         true,
         {{10, 0, 20, 5}, {0, 5, 20, 10}}},
        {"coalesce across a row step on the left, the lower one reaching further down",
         {{10, 0, 20, 10}, {0, 5, 10, 15}},
         true,
         {{10, 0, 20, 5}, {0, 5, 20, 10}, {0, 10, 10, 15}}},
        {"coalesce after a split",
         {{0, 0, 10, 10}, {5, 5, 15, 15}},
         true,
         {{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}}},
        {"stacked rows stay apart on add",
         {{0, 0, 10, 5}, {0, 5, 10, 10}},
         false,
         {{0, 0, 10, 5}, {0, 5, 10, 10}}},
        {"coalesce joins stacked rows", {{0, 0, 10, 5}, {0, 5, 10, 10}}, true, {{0, 0, 10, 10}}},
        {"coalesce joins a column",
         {{0, 0, 10, 10}, {0, 10, 10, 20}, {0, 20, 10, 30}},
         true,
         {{0, 0, 10, 30}}},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.name);
        DirtyRegion region;
        for (const RECT& r : c.adds) EXPECT_TRUE(region.Add(r));
        if (c.coalesce) region.Coalesce();
        const std::vector<RECT> rects = RegionRects(&region);
        ASSERT_EQ(c.expected.size(), rects.size()) << Describe(rects);
        for (std::size_t i = 0; i < rects.size(); ++i)
            EXPECT_TRUE(SameRect(c.expected[i], rects[i])) << Describe(rects);
    }
}

TEST(DirtyRegion, BoundsGrowWithEveryAdd) {
    DirtyRegion region;
    region.Add(RECT{0, 0, 10, 10});
    region.Add(RECT{5, 5, 15, 15});
    EXPECT_TRUE(SameRect(RECT{0, 0, 15, 15}, region.Bounds()));
    region.Add(RECT{-3, 20, 1, 22});
    EXPECT_TRUE(SameRect(RECT{-3, 0, 15, 22}, region.Bounds()));
    region.Clear();
    EXPECT_EQ(0, region.Count());
    EXPECT_EQ(nullptr, region.Head());
    EXPECT_TRUE(RegionRects(&region).empty());
    EXPECT_TRUE(SameRect(RECT{0, 0, 0, 0}, region.Bounds()));
}

TEST(DirtyRegion, RandomRectanglesStayDisjointAndCoverWhatWasAdded) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> position(-kMargin, kSize + kMargin - 1);
    std::uniform_int_distribution<int> extent(0, 20);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        DirtyRegion region;
        std::vector<int> added(kSpan * kSpan, 0);
        const int adds = 1 + round % 25;
        for (int i = 0; i < adds; ++i) {
            const int left = position(random);
            const int top = position(random);
            const RECT r{left, top, std::min(left + extent(random), kSize + kMargin),
                         std::min(top + extent(random) / (1 + round % 3), kSize + kMargin)};
            ASSERT_TRUE(region.Add(r));
            Paint(&added, r);
            ASSERT_NO_FATAL_FAILURE(ExpectSoundRegion(region, added));
        }
        region.Coalesce();
        ASSERT_NO_FATAL_FAILURE(ExpectSoundRegion(region, added));
    }
}

TEST(IntersectRects, OverlapOrNothing) {
    RECT out{7, 7, 7, 7};
    EXPECT_FALSE(IntersectRects(&out, RECT{0, 0, 10, 10}, RECT{10, 0, 20, 10}));
    EXPECT_TRUE(SameRect(RECT{7, 7, 7, 7}, out));
    EXPECT_TRUE(IntersectRects(&out, RECT{0, 0, 10, 10}, RECT{5, 5, 20, 20}));
    EXPECT_TRUE(SameRect(RECT{5, 5, 10, 10}, out));
    EXPECT_TRUE(IntersectRects(nullptr, RECT{0, 0, 10, 10}, RECT{5, 5, 20, 20}));
}

// Node memory that runs out after a set number of nodes.
int g_nodesLeft = 0;
void* LimitedAllocate(std::size_t size) {
    if (g_nodesLeft <= 0) return nullptr;
    --g_nodesLeft;
    return std::malloc(size);
}

TEST(RectNodePool, RecyclesNodesAndKeepsOneUntilExit) {
    g_nodesLeft = 1000;
    RectNodePool pool(LimitedAllocate, std::free);
    RectNode* a = pool.Alloc();
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(256, pool.Created());  // one of them kept by the pool itself
    EXPECT_EQ(254, pool.FreeCount());
    pool.Free(a);
    EXPECT_EQ(a, pool.Alloc());  // last in, first out
    pool.Free(a);
    EXPECT_EQ(256, pool.Created());
}

TEST(RectNodePool, RunningOutFailsTheAddAndLeavesTheRegionAsItWas) {
    g_nodesLeft = 4;  // one kept by the pool, three for regions
    RectNodePool pool(LimitedAllocate, std::free);
    {
        DirtyRegion region(&pool);
        ASSERT_TRUE(region.Add(RECT{0, 0, 10, 10}));
        ASSERT_TRUE(region.Add(RECT{20, 20, 30, 30}));
        const std::vector<RECT> before = RegionRects(&region);
        // Each of these splits (0,0,10,10) and needs more nodes than are left.
        EXPECT_FALSE(region.Add(RECT{5, 5, 15, 15}));
        EXPECT_FALSE(region.Add(RECT{-5, 2, 5, 7}));
        const std::vector<RECT> after = RegionRects(&region);
        ASSERT_EQ(before.size(), after.size());
        for (std::size_t i = 0; i < before.size(); ++i) EXPECT_TRUE(SameRect(before[i], after[i]));
        EXPECT_TRUE(region.Add(RECT{40, 0, 45, 5}));
        EXPECT_FALSE(region.Add(RECT{50, 0, 55, 5}));
        EXPECT_EQ(3, region.Count());

        g_nodesLeft = 1000;
        EXPECT_TRUE(region.Add(RECT{-5, 2, 5, 7}));
        std::vector<int> added(kSpan * kSpan, 0);
        for (const RECT& r :
             {RECT{0, 0, 10, 10}, RECT{20, 20, 30, 30}, RECT{40, 0, 45, 5}, RECT{-5, 2, 5, 7}}) {
            Paint(&added, r);
        }
        ExpectSoundRegion(region, added);
    }
}

}  // namespace
