// Row walkers shared by the program's own pixel kernels.
//
// Every kernel family (copies, keys, palettes, blends, masks) comes in up to four walking
// forms: straight, mirrored, stretched and mirrored-stretched. The walkers below own the
// pointer stepping once, and each kernel only supplies what happens to one pixel. They are
// included by the plain and the MMX translation units alike; the unnamed namespace keeps each
// unit's instantiations to itself, so no MMX-built copy can stand in for a plain one.
#pragma once

#include <cassert>
#include <cstdint>

#include "graphics/image/stretch_step.h"

// Callers clip before they call; a zero size is a caller's fault (the original counters
// would wrap round to four thousand million).
#define KERNEL_ASSERT_SIZE(width, height) assert((width) >= 1 && (height) >= 1)

namespace kernel_walk {
namespace {

template <class T>
inline T* Advance(T* p, std::int32_t bytes) {
    return reinterpret_cast<T*>(
        const_cast<std::uint8_t*>(reinterpret_cast<const std::uint8_t*>(p)) + bytes);
}

// Straight rows: both pointers move right, then on by their skips.
template <class D, class S, class Op>
inline void Rows(D* dst, const S* src, std::int32_t dstSkip, std::int32_t srcSkip,
                 std::int32_t width, std::int32_t height, Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) op(*dst++, *src++);
        dst = Advance(dst, dstSkip);
        src = Advance(src, srcSkip);
    }
}

// Mirrored rows: the source pointer starts just after the rightmost pixel and steps down one
// pixel before each read; its skip leads from the row's left end to the next row's end.
template <class D, class S, class Op>
inline void MirroredRows(D* dst, const S* src, std::int32_t dstSkip, std::int32_t srcSkip,
                         std::int32_t width, std::int32_t height, Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) op(*dst++, *--src);
        dst = Advance(dst, dstSkip);
        src = Advance(src, srcSkip);
    }
}

// Stretched rows: the column error restarts at xErr on every row, the row error carries.
template <class D, class S, class Op>
inline void StretchRows(D* dst, const S* src, std::int32_t dstSkip, std::int32_t srcPitch,
                        std::int32_t width, std::int32_t height, const StretchStep& step, Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    std::int32_t yErr = step.yErr;
    for (std::int32_t y = 0; y < height; ++y) {
        const S* p = src;
        std::int32_t xErr = step.xErr;
        for (std::int32_t x = 0; x < width; ++x) {
            op(*dst++, *p);
            p += step.xStep;
            xErr += step.xRem;
            if (xErr >= 0) {
                ++p;
                xErr -= step.xDen;
            }
        }
        dst = Advance(dst, dstSkip);
        src = Advance(src, step.yStep * srcPitch);
        yErr += step.yRem;
        if (yErr >= 0) {
            src = Advance(src, srcPitch);
            yErr -= step.yDen;
        }
    }
}

// Mirrored stretched rows: the position starts just after the rightmost source pixel; each
// destination pixel takes the pixel left of it, and the position moves leftwards.
template <class D, class S, class Op>
inline void StretchMirroredRows(D* dst, const S* src, std::int32_t dstSkip, std::int32_t srcPitch,
                                std::int32_t width, std::int32_t height, const StretchStep& step,
                                Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    std::int32_t yErr = step.yErr;
    for (std::int32_t y = 0; y < height; ++y) {
        const S* p = src;
        std::int32_t xErr = step.xErr;
        for (std::int32_t x = 0; x < width; ++x) {
            op(*dst++, p[-1]);
            p -= step.xStep;
            xErr += step.xRem;
            if (xErr >= 0) {
                --p;
                xErr -= step.xDen;
            }
        }
        dst = Advance(dst, dstSkip);
        src = Advance(src, step.yStep * srcPitch);
        yErr += step.yRem;
        if (yErr >= 0) {
            src = Advance(src, srcPitch);
            yErr -= step.yDen;
        }
    }
}

// One-image rectangles (fills, colour effects).
template <class D, class Op>
inline void Rect(D* dst, std::int32_t dstSkip, std::int32_t width, std::int32_t height, Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) op(*dst++);
        dst = Advance(dst, dstSkip);
    }
}

}  // namespace
}  // namespace kernel_walk
