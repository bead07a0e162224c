// Rectangle helpers of the graphics tests. RECT has no comparison of its own: SameRect compares
// rectangles side by side.
#pragma once

#include <windows.h>

namespace graphicstest {

inline bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace graphicstest
