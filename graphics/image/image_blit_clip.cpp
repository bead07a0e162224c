// Image::ClipBlit and its oriented forms: which destination pixels a blit draws and where in
// the source its kernels start.
//
// Every axis is one walk: destination pixel i of w reads the source at offset
// f(i) = i * step + carries(i) from the walk's start (the rectangle's near edge, or its far edge
// when the axis is reversed), where step = srcW / w, rem = srcW mod w and
// carries(i) = max(0, floor((i * rem - 1) / w)); an unstretched axis is the same walk with
// w = srcW. The stretched kernels reproduce f with an error term that starts at -w - 1 and
// carries whenever it reaches 0, so a walk that starts at pixel i0 needs the error the full walk
// has there, not one rebuilt from the cut alone.
//
// Pixel i is drawn when x + i lies in the clip rectangle and its source pixel in the source's
// clip rectangle. f only grows, so both conditions cut one interval of i. Everything is
// worked in 64 bits: positions and sizes come from scripts.
#include <algorithm>
#include <cstdint>

#include "graphics/compose/blit_clip.h"
#include "graphics/image/image.h"

namespace {

struct Walk {
    std::int64_t w;     // destination pixels of the whole (unclipped) walk
    std::int64_t srcW;  // source pixels it covers
    std::int64_t step;
    std::int64_t rem;

    Walk(std::int64_t destLength, std::int64_t srcLength)
        : w(destLength), srcW(srcLength), step(srcLength / destLength),
          rem(srcLength % destLength) {}

    std::int64_t Carries(std::int64_t i) const {
        const std::int64_t t = i * rem;
        return t >= 1 ? (t - 1) / w : 0;
    }
    std::int64_t Offset(std::int64_t i) const { return i * step + Carries(i); }
    // The walk's error after i pixels, as the kernels keep it.
    std::int64_t Error(std::int64_t i) const { return -w - 1 + i * rem - Carries(i) * w; }
    // The first pixel whose source offset is at least `offset` (w when none).
    std::int64_t FirstReaching(std::int64_t offset) const {
        if (offset <= 0) return 0;
        if (offset >= srcW) return w;
        std::int64_t low = 0;
        std::int64_t high = w;
        while (low < high) {
            const std::int64_t mid = low + (high - low) / 2;
            if (Offset(mid) >= offset) {
                high = mid;
            } else {
                low = mid + 1;
            }
        }
        return low;
    }
};

// One axis of a blit: the destination span [pos, pos + w), the source span [srcLo, srcHi).
struct AxisResult {
    std::int64_t destLo, destHi;
    std::int64_t srcLo, srcHi;  // the source pixels the drawn span shows
    std::int32_t step, rem, den, err;
};

bool ClipAxis(std::int64_t pos, std::int64_t w, std::int64_t srcLo, std::int64_t srcHi,
              const LONG* srcClipLo, const LONG* srcClipHi, LONG clipLo, LONG clipHi,
              bool reversed, AxisResult& out) {
    const Walk walk(w, srcHi - srcLo);
    std::int64_t first = std::max<std::int64_t>(0, clipLo - pos);
    std::int64_t end = std::min<std::int64_t>(w, clipHi - pos);
    if (srcClipLo) {
        // The source clip as offsets from the walk's start.
        const std::int64_t nearOffset = reversed ? srcHi - *srcClipHi : *srcClipLo - srcLo;
        const std::int64_t farOffset = reversed ? srcHi - *srcClipLo : *srcClipHi - srcLo;
        if (farOffset <= 0) return false;
        first = std::max(first, walk.FirstReaching(nearOffset));
        end = std::min(end, walk.FirstReaching(farOffset));
    }
    if (first >= end) return false;
    const std::int64_t offsetFirst = walk.Offset(first);
    const std::int64_t offsetLast = walk.Offset(end - 1);
    out.destLo = pos + first;
    out.destHi = pos + end;
    out.srcLo = reversed ? srcHi - offsetLast - 1 : srcLo + offsetFirst;
    out.srcHi = reversed ? srcHi - offsetFirst : srcLo + offsetLast + 1;
    out.den = static_cast<std::int32_t>(std::min<std::int64_t>(w, INT32_MAX));
    if (walk.step > INT32_MAX) {
        // Consecutive pixels lie further apart than any picture is wide, so at most one is
        // drawn and the kernels never step.
        out.step = 0;
        out.rem = 0;
        out.err = -1;
    } else {
        out.step = static_cast<std::int32_t>(walk.step);
        out.rem = static_cast<std::int32_t>(walk.rem);
        out.err = static_cast<std::int32_t>(walk.Error(first));
    }
    return true;
}

}  // namespace

std::int32_t Image::ClipBlit(Surface* source, std::int32_t x, std::int32_t y,
                             const RECT* sourceRect, const SIZE* size, StretchStep* step,
                             RECT* clip) {
    return ClipBlitOriented(source, x, y, sourceRect, size, step, clip, false, false);
}

std::int32_t Image::ClipBlitMirrored(Surface* source, std::int32_t x, std::int32_t y,
                                     const RECT* sourceRect, const SIZE* size, StretchStep* step,
                                     RECT* clip) {
    return ClipBlitOriented(source, x, y, sourceRect, size, step, clip, true, false);
}

std::int32_t Image::ClipBlitOriented(Surface* source, std::int32_t x, std::int32_t y,
                                     const RECT* sourceRect, const SIZE* size, StretchStep* step,
                                     RECT* clip, bool mirror, bool flip) {
    RECT src;
    if (sourceRect) {
        src = *sourceRect;
    } else if (source) {
        source->GetClipRect(&src);
    } else {
        return 1;
    }
    if (size && !step) return 2;
    m_blitSourceRect = src;
    m_blitDestRect = RECT{x, y, x, y};
    // The caller's clip rectangle is narrowed whatever the blit then finds to draw.
    const RECT* k = &m_clipRect;
    if (clip) {
        if (!ClipRectTo(clip, &m_clipRect)) return -1;
        k = clip;
    }
    if (src.right <= src.left || src.bottom <= src.top) return -1;
    if (size && (size->cx <= 0 || size->cy <= 0)) return -1;
    const RECT* sourceClip = source ? source->ClipRectPtr() : nullptr;
    const std::int64_t srcW = static_cast<std::int64_t>(src.right) - src.left;
    const std::int64_t srcH = static_cast<std::int64_t>(src.bottom) - src.top;
    const std::int64_t w = size ? size->cx : srcW;
    const std::int64_t h = size ? size->cy : srcH;
    AxisResult ax, ay;
    if (!ClipAxis(x, w, src.left, src.right, sourceClip ? &sourceClip->left : nullptr,
                  sourceClip ? &sourceClip->right : nullptr, k->left, k->right, mirror, ax) ||
        !ClipAxis(y, h, src.top, src.bottom, sourceClip ? &sourceClip->top : nullptr,
                  sourceClip ? &sourceClip->bottom : nullptr, k->top, k->bottom, flip, ay)) {
        return -1;
    }
    // Drawn spans lie inside the clip rectangle and the source's own range, so they fit.
    m_blitDestRect = RECT{static_cast<LONG>(ax.destLo), static_cast<LONG>(ay.destLo),
                          static_cast<LONG>(ax.destHi), static_cast<LONG>(ay.destHi)};
    m_blitSourceRect = RECT{static_cast<LONG>(ax.srcLo), static_cast<LONG>(ay.srcLo),
                            static_cast<LONG>(ax.srcHi), static_cast<LONG>(ay.srcHi)};
    if (size) {
        *step = StretchStep{ax.err, ax.rem, ax.den, ax.step, ay.err, ay.rem, ay.den, ay.step};
    }
    return 0;
}
