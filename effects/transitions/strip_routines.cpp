// The staggered strips (table entries 71 to 78) and the edge-smear wipes (79 to 82).
#include <algorithm>

#include "effects/transitions/routine_skeleton.h"
#include "effects/transitions/transition_routines.h"

namespace {

// Strip j of n, each s wide, with k steps taken: strip j has grown by k - j lines (at most s).
// [first, last) receives the lines counted from the leading edge, cut to [0, extent).
bool StripLines(std::int32_t j, std::int32_t s, std::int32_t k, std::int32_t extent,
                bool fromLeading, std::int32_t* first, std::int32_t* last) {
    const std::int32_t len = std::min(s, k - j);
    std::int32_t a, b;
    if (fromLeading) {
        a = j * s;
        b = j * s + len;
    } else {
        a = extent - j * s - len;
        b = extent - j * s;
    }
    *first = std::max(a, 0);
    *last = std::min(b, extent);
    return *first < *last;
}

}  // namespace

std::int32_t StaggeredColumnStrips(Surface* destination, Surface* source, std::int32_t progress,
                                   std::int32_t x, std::int32_t y, bool fromLeft,
                                   std::int32_t mode, std::int32_t stripWidth,
                                   ScreenDevice* device) {
    RoutineCanvas canvas;
    std::int32_t result;
    if (!canvas.Begin(destination, source, progress, x, y, mode, device, &result)) return result;
    const std::int32_t w = canvas.SourceWidth(), h = canvas.SourceHeight();
    const std::int32_t s = stripWidth;
    const std::int32_t n = (w + s + 1) / s;
    if (n <= 0) return 0;
    const std::int32_t k = (n + s) * progress / 256;
    for (std::int32_t j = 0; j < std::min(k, n); ++j) {
        std::int32_t left, right;
        if (!StripLines(j, s, k, w, fromLeft, &left, &right)) continue;
        canvas.Piece(RECT{left, 0, right, h}, x + left, y);
    }
    return 0;
}

std::int32_t StaggeredRowStrips(Surface* destination, Surface* source, std::int32_t progress,
                                std::int32_t x, std::int32_t y, bool fromTop, std::int32_t mode,
                                std::int32_t stripHeight, ScreenDevice* device) {
    RoutineCanvas canvas;
    std::int32_t result;
    if (!canvas.Begin(destination, source, progress, x, y, mode, device, &result)) return result;
    const std::int32_t w = canvas.SourceWidth(), h = canvas.SourceHeight();
    const std::int32_t s = stripHeight;
    const std::int32_t n = (h + s + 1) / s;
    if (n <= 0) return 0;
    const std::int32_t k = (n + s) * progress / 256;
    for (std::int32_t j = 0; j < std::min(k, n); ++j) {
        std::int32_t top, bottom;
        if (!StripLines(j, s, k, h, fromTop, &top, &bottom)) continue;
        canvas.Piece(RECT{0, top, w, bottom}, x, y + top);
    }
    return 0;
}

std::int32_t EdgeSmearWipeColumns(Surface* destination, Surface* source, std::int32_t progress,
                                  std::int32_t x, std::int32_t y, bool fromRight,
                                  std::int32_t mode, ScreenDevice* device) {
    RoutineCanvas canvas;
    std::int32_t result;
    if (!canvas.Begin(destination, source, progress, x, y, mode, device, &result)) return result;
    const std::int32_t w = canvas.SourceWidth(), h = canvas.SourceHeight();
    const std::int32_t r = progress * w >> 8;
    std::int32_t column, left, width;
    if (fromRight) {
        if (r > 0) canvas.Piece(RECT{w - r, 0, w, h}, x + w - r, y);
        column = w - r - 1;
        left = 0;
        width = x + w - r;
    } else {
        if (r > 0) canvas.Piece(RECT{0, 0, r, h}, x, y);
        column = r;
        left = x + r;
        width = canvas.ExtentRight() - (x + r);
    }
    const RECT smear = {std::max(column, 0), 0, std::min(column + 1, w), h};
    canvas.Stretched(smear, SIZE{width, h}, left, y);
    return 0;
}

std::int32_t EdgeSmearWipeRows(Surface* destination, Surface* source, std::int32_t progress,
                               std::int32_t x, std::int32_t y, bool fromBottom,
                               std::int32_t mode, ScreenDevice* device) {
    RoutineCanvas canvas;
    std::int32_t result;
    if (!canvas.Begin(destination, source, progress, x, y, mode, device, &result)) return result;
    const std::int32_t w = canvas.SourceWidth(), h = canvas.SourceHeight();
    const std::int32_t r = progress * h >> 8;
    std::int32_t row, top, height;
    if (fromBottom) {
        if (r > 0) canvas.Piece(RECT{0, h - r, w, h}, x, y + h - r);
        row = h - r - 1;
        top = 0;
        height = y + h - r;
    } else {
        if (r > 0) canvas.Piece(RECT{0, 0, w, r}, x, y);
        row = r;
        top = y + r;
        height = canvas.ExtentBottom() - (y + r);
    }
    const RECT smear = {0, std::max(row, 0), w, std::min(row + 1, h)};
    canvas.Stretched(smear, SIZE{w, height}, x, top);
    return 0;
}
