// Row walkers shared by the program's own pixel kernels.
//
// Every kernel family (copies, keys, palettes, blends, masks) comes in up to four walking
// forms: straight, mirrored, stretched and mirrored-stretched; bilinear, rule, gradient,
// blur and mosaic kernels have walks of their own, shared by their 32-bit, plane and MMX
// forms. The walkers below own the pointer stepping once, and each kernel only supplies what
// happens to one pixel. The few scalar helpers that both forms need (the level weight, the
// invert mask) live here too. All of it is included by the plain and the MMX translation
// units alike; the unnamed namespace keeps each unit's instantiations to itself, so no
// MMX-built copy can stand in for a plain one.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <new>

#include "graphics/image/bilinear_step.h"
#include "graphics/image/stretch_step.h"

// Callers clip before they call and never pass an empty rectangle: a zero size is a caller's
// fault, caught here in debug builds.
#define KERNEL_ASSERT_SIZE(width, height) assert((width) >= 1 && (height) >= 1)

namespace kernel_walk {
namespace {

// The lane weight of a level: 0 stays 0, anything else gains one, so 255 weighs a full 256.
inline std::int32_t Weight(std::uint32_t level) {
    return level ? static_cast<std::int32_t>(level) + 1 : 0;
}

template <class T>
inline T* Advance(T* p, std::int32_t bytes) {
    return reinterpret_cast<T*>(
        const_cast<std::uint8_t*>(reinterpret_cast<const std::uint8_t*>(p)) + bytes);
}

// Plain copies of one pixel of any size, and with a colour key: source pixels equal to the key
// leave the destination alone.
template <class T>
struct CopyPixel {
    void operator()(T& d, T s) const { d = s; }
};

template <class T>
struct CopyPixelKeyed {
    T key;
    void operator()(T& d, T s) const {
        if (s != key) d = s;
    }
};

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

// Stretched rows, walked rightwards (Direction 1) or mirrored (-1): the column error restarts
// at xErr on every row, the row error carries. A mirrored walk starts just after the rightmost
// source pixel; each destination pixel takes the pixel left of it, and the position moves
// leftwards.
template <int Direction, class D, class S, class Op>
inline void StretchWalk(D* dst, const S* src, std::int32_t dstSkip, std::int32_t srcPitch,
                        std::int32_t width, std::int32_t height, const StretchStep& step, Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    std::int32_t yErr = step.yErr;
    for (std::int32_t y = 0; y < height; ++y) {
        const S* p = src;
        std::int32_t xErr = step.xErr;
        for (std::int32_t x = 0; x < width; ++x) {
            op(*dst++, Direction > 0 ? p[0] : p[-1]);
            p += Direction * step.xStep;
            xErr += step.xRem;
            if (xErr >= 0) {
                p += Direction;
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

template <class D, class S, class Op>
inline void StretchRows(D* dst, const S* src, std::int32_t dstSkip, std::int32_t srcPitch,
                        std::int32_t width, std::int32_t height, const StretchStep& step, Op op) {
    StretchWalk<1>(dst, src, dstSkip, srcPitch, width, height, step, op);
}

template <class D, class S, class Op>
inline void StretchMirroredRows(D* dst, const S* src, std::int32_t dstSkip, std::int32_t srcPitch,
                                std::int32_t width, std::int32_t height, const StretchStep& step,
                                Op op) {
    StretchWalk<-1>(dst, src, dstSkip, srcPitch, width, height, step, op);
}

// Bilinear rows: each destination pixel blends the 2 x 2 source pixels at its 32.32 position.
// makeRow(fy) gives, once a row, the operation that makes a destination pixel from the pixel
// pairs at p and below and the column weight fx (both weights 0 to 255).
template <class D, class S, class MakeRow>
inline void BilinearRows(D* dst, const S* src, std::int32_t dstSkip, std::int32_t srcPitch,
                         std::int32_t width, std::int32_t height, const BilinearStep& step,
                         MakeRow makeRow) {
    KERNEL_ASSERT_SIZE(width, height);
    const std::uint32_t stepXFrac = static_cast<std::uint32_t>(step.stepX);
    const std::int32_t stepXWhole = static_cast<std::int32_t>(step.stepX >> 32);
    const std::uint32_t stepYFrac = static_cast<std::uint32_t>(step.stepY);
    const std::int32_t stepYWhole = static_cast<std::int32_t>(step.stepY >> 32);
    std::uint32_t fracY = step.fracY;
    for (std::int32_t y = 0; y < height; ++y) {
        const auto pixel = makeRow(static_cast<std::int32_t>(fracY >> 24));
        const S* p = src;
        const S* below = Advance(src, srcPitch);
        std::uint32_t fracX = step.fracX;
        for (std::int32_t x = 0; x < width; ++x) {
            *dst++ = pixel(p, below, static_cast<std::int32_t>(fracX >> 24));
            const std::uint32_t before = fracX;
            fracX += stepXFrac;
            const std::int32_t advance = stepXWhole + (fracX < before ? 1 : 0);
            p += advance;
            below += advance;
        }
        dst = Advance(dst, dstSkip);
        const std::uint32_t before = fracY;
        fracY += stepYFrac;
        src = Advance(src, (stepYWhole + (fracY < before ? 1 : 0)) * srcPitch);
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

// Rule rows: the 8-bit rule plane, rulePitch bytes a row (null where a kernel takes its rule
// from elsewhere), is walked alongside, and blend(d, s, ruleRow, x) gives the new pixel x.
template <class Blend>
inline void RuleRows(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                     std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                     const std::uint8_t* rule, std::int32_t rulePitch, Blend blend) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) dst[x] = blend(dst[x], src[x], rule, x);
        dst = Advance(dst + width, dstSkip);
        src = Advance(src + width, srcSkip);
        if (rule) rule += rulePitch;
    }
}

// Masked gradient rows: entryOf(x, y) picks the gradient entry of a pixel, the coverage byte
// picks its level, and combine(d, entry, level) gives the new pixel.
template <class EntryOf, class Combine>
inline void GradientRows(std::uint32_t* dst, const std::uint8_t* coverage, std::int32_t dstSkip,
                         std::int32_t coverageSkip, std::int32_t width, std::int32_t height,
                         const std::uint8_t* levels, EntryOf entryOf, Combine combine) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            *dst = combine(*dst, entryOf(x, y), levels[*coverage++]);
            ++dst;
        }
        dst = Advance(dst, dstSkip);
        coverage += coverageSkip;
    }
}

// Sum of the 3 x 3 stencil around pixel x of `current`, each pixel as read(pixel) gives it,
// and the shift that divides it. above and below are null on the first and last rows: the one
// neighbouring row then stands in for the missing one.
template <class T, class Read>
inline std::uint32_t BlurStencil(const T* above, const T* current, const T* below, std::int32_t x,
                                 std::int32_t last, Read read, int& shift) {
    const std::uint32_t self = read(current[x]);
    if (!above || !below) {
        const std::uint32_t other = read(above ? above[x] : below[x]);
        shift = 2;
        if (x == 0) return other + 2 * self + read(current[1]);
        if (x == last) return other + 2 * self + read(current[last - 1]);
        return self + other + read(current[x - 1]) + read(current[x + 1]);
    }
    if (x == 0 || x == last) {
        shift = 2;
        return self + read(above[x]) + read(below[x]) + read(current[x == 0 ? 1 : last - 1]);
    }
    shift = 3;
    return read(above[x]) + read(below[x]) +
           2 * (read(current[x - 1]) + self + read(current[x + 1]));
}

// A 3 x 3 blur rewritten in place from the top row down: blur(above, current, below, x, last)
// makes pixel x of a row from the old values of the row above (null on the first row), of the
// row itself and of the row below (null on the last row). 0, or 2 when there is no memory.
template <class T, class Blur>
inline std::int32_t Blur3x3Rows(T* picture, std::int32_t pitch, std::int32_t width,
                                std::int32_t height, Blur blur) {
    // Old values of the row above and of the current row; the row below is still unchanged
    // in the picture when the current row is rewritten.
    T* buffer = new (std::nothrow) T[2 * static_cast<std::size_t>(width)];
    if (!buffer) return 2;
    T* above = buffer;
    T* current = buffer + width;
    for (std::int32_t x = 0; x < width; ++x) current[x] = picture[x];
    for (std::int32_t y = 0; y < height; ++y) {
        T* row = Advance(picture, y * pitch);
        const T* below = y + 1 < height ? Advance(row, pitch) : nullptr;
        const T* up = y > 0 ? above : nullptr;
        for (std::int32_t x = 0; x < width; ++x) row[x] = blur(up, current, below, x, width - 1);
        T* swap = above;
        above = current;
        current = swap;
        if (below) {
            for (std::int32_t x = 0; x < width; ++x) current[x] = below[x];
        }
    }
    delete[] buffer;
    return 0;
}

// What an invert XORs: the colour bytes (mode 0), the whole pixel (1) or the alpha byte.
inline std::uint32_t InvertMask(std::int32_t mode) {
    return mode == 0 ? 0x00FFFFFF : mode == 1 ? 0xFFFFFFFF : 0xFF000000;
}

// First cell width or band height of a mosaic along one axis.
inline std::int32_t MosaicFirstCell(std::int32_t length, std::int32_t cellSize, bool fromFarEdge,
                                    bool centred) {
    std::int32_t first = cellSize;
    if (centred) {
        first = length > cellSize ? ((length - cellSize) >> 1) % cellSize : cellSize;
    } else if (fromFarEdge) {
        first = length % cellSize;
    }
    return first == 0 ? cellSize : first;
}

// Mosaic cells: each cell of cellSize pixels takes the value of its top-left pixel; alignment
// 1 top-left, 2 right, 3 bottom, 4 bottom-right, anything else centred. Nothing happens for an
// area below 3 x 3 or a cell below 2.
template <class T>
inline void MosaicCells(T* dst, std::int32_t pitch, std::int32_t width, std::int32_t height,
                        std::int32_t cellSize, std::int32_t alignment) {
    if (width < 3 || height < 3 || cellSize < 2) return;
    const bool centred = alignment < 1 || alignment > 4;
    const std::int32_t firstWidth =
        MosaicFirstCell(width, cellSize, alignment == 2 || alignment == 4, centred);
    const std::int32_t firstHeight =
        MosaicFirstCell(height, cellSize, alignment == 3 || alignment == 4, centred);
    for (std::int32_t top = 0, bandHeight = firstHeight; top < height;
         top += bandHeight, bandHeight = cellSize) {
        const std::int32_t rows = bandHeight < height - top ? bandHeight : height - top;
        T* band = Advance(dst, top * pitch);
        for (std::int32_t left = 0, cellWidth = firstWidth; left < width;
             left += cellWidth, cellWidth = cellSize) {
            const std::int32_t columns = cellWidth < width - left ? cellWidth : width - left;
            const T value = band[left];
            for (std::int32_t y = 0; y < rows; ++y) {
                T* p = Advance(band, y * pitch) + left;
                for (std::int32_t x = 0; x < columns; ++x) p[x] = value;
            }
        }
    }
}

}  // namespace
}  // namespace kernel_walk
