#include "graphics/compose/blit_clip.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The sides are worked in 64 bits: positions and sizes come from scripts, and a blit placed
// near the end of the 32-bit range must come out empty rather than wrap into a huge one.
struct Sides {
    std::int64_t left, top, right, bottom;

    bool Empty() const { return right <= left || bottom <= top; }
    RECT ToRect() const {
        return RECT{NarrowToLong(left), NarrowToLong(top), NarrowToLong(right),
                    NarrowToLong(bottom)};
    }
};

Sides SidesOf(const RECT& r) { return Sides{r.left, r.top, r.right, r.bottom}; }

// part * whole / total, truncated toward zero. A product beyond 64 bits only arises when the
// whole destination is cut away; the cut then reaches past every 32-bit side.
std::int64_t Proportion(std::int64_t part, std::int64_t whole, std::int64_t total) {
    constexpr std::int64_t kBeyond = std::int64_t{1} << 40;
    std::int64_t product;
    if (__builtin_mul_overflow(part, whole, &product)) {
        return (part < 0) != (whole < 0) ? -kBeyond : kBeyond;
    }
    return product / total;
}

}  // namespace

std::int32_t ClipBlitRects(std::int32_t x, std::int32_t y, RECT* source, RECT* dest,
                           const RECT* clip, const SIZE* size) {
    if (!clip) return 1;
    Sides src = SidesOf(*source);
    const std::int64_t sourceWidth = src.right - src.left;
    const std::int64_t sourceHeight = src.bottom - src.top;
    const std::int64_t w = size ? size->cx : sourceWidth;
    const std::int64_t h = size ? size->cy : sourceHeight;
    Sides dst{x, y, x + w, y + h};
    if (size && (w == 0 || h == 0)) {
        *dest = dst.ToRect();
        return -1;
    }
    // Unstretched, the source loses exactly what the destination loses.
    auto cut = [&](std::int64_t part, std::int64_t whole, std::int64_t total) {
        return size ? Proportion(part, whole, total) : part;
    };
    if (dst.left < clip->left) {
        src.left += cut(clip->left - dst.left, sourceWidth, w);
        dst.left = clip->left;
    }
    if (dst.top < clip->top) {
        src.top += cut(clip->top - dst.top, sourceHeight, h);
        dst.top = clip->top;
    }
    if (dst.right > clip->right) {
        src.right -= cut(dst.right - clip->right, sourceWidth, w);
        dst.right = clip->right;
    }
    if (dst.bottom > clip->bottom) {
        src.bottom -= cut(dst.bottom - clip->bottom, sourceHeight, h);
        dst.bottom = clip->bottom;
    }
    *source = src.ToRect();
    *dest = dst.ToRect();
    return src.Empty() || dst.Empty() ? -1 : 0;
}

LONG NarrowToLong(std::int64_t v) {
    const std::int64_t low = std::numeric_limits<LONG>::min();
    const std::int64_t high = std::numeric_limits<LONG>::max();
    return static_cast<LONG>(std::clamp(v, low, high));
}

bool ClipRectTo(RECT* rect, const RECT* clip) {
    if (!clip) return false;
    rect->left = std::max(rect->left, clip->left);
    rect->top = std::max(rect->top, clip->top);
    rect->right = std::min(rect->right, clip->right);
    rect->bottom = std::min(rect->bottom, clip->bottom);
    return !IsEmpty(*rect);
}
