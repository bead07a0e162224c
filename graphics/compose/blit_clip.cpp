#include "graphics/compose/blit_clip.h"

#include <algorithm>

namespace {

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// part * whole / total, truncated toward zero, without overflowing on the way.
LONG Proportion(LONG part, LONG whole, LONG total) {
    return static_cast<LONG>(static_cast<std::int64_t>(part) * whole / total);
}

}  // namespace

std::int32_t ClipBlitRects(std::int32_t x, std::int32_t y, RECT* source, RECT* dest, const RECT* clip, const SIZE* size) {
    if (!clip) return 1;
    if (!size) {
        *dest = RECT{x, y, x + (source->right - source->left), y + (source->bottom - source->top)};
        if (dest->left < clip->left) {
            source->left += clip->left - x;
            dest->left = clip->left;
        }
        if (dest->top < clip->top) {
            source->top += clip->top - y;
            dest->top = clip->top;
        }
        if (dest->right > clip->right) {
            source->right -= dest->right - clip->right;
            dest->right = clip->right;
        }
        if (dest->bottom > clip->bottom) {
            source->bottom -= dest->bottom - clip->bottom;
            dest->bottom = clip->bottom;
        }
        return IsEmpty(*source) ? -1 : 0;
    }

    const LONG w = size->cx;
    const LONG h = size->cy;
    *dest = RECT{x, y, x + w, y + h};
    if (w == 0 || h == 0) return -1;
    const LONG sourceWidth = source->right - source->left;
    const LONG sourceHeight = source->bottom - source->top;
    if (dest->left < clip->left) {
        source->left += Proportion(clip->left - dest->left, sourceWidth, w);
        dest->left = clip->left;
    }
    if (dest->top < clip->top) {
        source->top += Proportion(clip->top - dest->top, sourceHeight, h);
        dest->top = clip->top;
    }
    if (dest->right > clip->right) {
        source->right -= Proportion(dest->right - clip->right, sourceWidth, w);
        dest->right = clip->right;
    }
    if (dest->bottom > clip->bottom) {
        source->bottom -= Proportion(dest->bottom - clip->bottom, sourceHeight, h);
        dest->bottom = clip->bottom;
    }
    return IsEmpty(*source) || IsEmpty(*dest) ? -1 : 0;
}

bool ClipRectTo(RECT* rect, const RECT* clip) {
    if (!clip) return false;
    rect->left = std::max(rect->left, clip->left);
    rect->top = std::max(rect->top, clip->top);
    rect->right = std::min(rect->right, clip->right);
    rect->bottom = std::min(rect->bottom, clip->bottom);
    return !IsEmpty(*rect);
}
