// Rectangle helpers of the graphics tests. RECT has no comparison of its own: SameRect compares
// rectangles side by side; RegionRects lists what a dirty region holds; RectText writes one out
// and Intersection cuts one by another.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/compose/dirty_region.h"

namespace graphicstest {

inline bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string RectText(const RECT& r) {
    std::ostringstream s;
    s << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
    return s.str();
}

inline RECT Intersection(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

// The rectangles of a region in list order (none for a null region), checking the links on
// the way: every node's successor points back to it, and the walk meets as many nodes as the
// region counts.
inline std::vector<RECT> RegionRects(const DirtyRegion* region) {
    std::vector<RECT> rects;
    if (!region) return rects;
    if (region->Count() == 0) {
        EXPECT_EQ(nullptr, region->Head());
        return rects;
    }
    const RectNode* node = region->Head();
    do {
        rects.push_back(RECT{node->left, node->top, node->right, node->bottom});
        EXPECT_EQ(node, node->next->prev);
        node = node->next;
    } while (node != region->Head() && rects.size() <= 100000);
    EXPECT_EQ(static_cast<std::size_t>(region->Count()), rects.size());
    return rects;
}

}  // namespace graphicstest
