// Helpers shared by the rectangle operations: pixel addressing, the two clipping patterns and
// the kernel slots as typed pointers.
#pragma once

#include <cstdint>
#include <limits>

#include "graphics/interfaces/surface.h"
#include "pixelops/interfaces/pixel_op_library.h"
#include "pixelops/library/kernel_dispatch.h"
#include "pixelops/library/library_object.h"

namespace pixelops {

template <class Kernel>
inline Kernel Slot(int word) {
    return reinterpret_cast<Kernel>(KernelSlot(word));
}

inline std::uint8_t* BytesAt(Surface* surface, std::int32_t x, std::int32_t y, int pixelSize) {
    return surface->Bits() + static_cast<std::intptr_t>(y) * surface->Pitch() +
           static_cast<std::intptr_t>(x) * pixelSize;
}
inline Pixel* PixelAt(Surface* surface, std::int32_t x, std::int32_t y) {
    return reinterpret_cast<Pixel*>(BytesAt(surface, x, y, 4));
}

// Script commands pass arbitrary numbers, so wider intermediate results are pinned to the
// 32-bit range rather than wrapped.
inline std::int32_t SaturateToInt32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

inline bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

inline void SetLastUpdated(std::int32_t left, std::int32_t top, std::int32_t right,
                           std::int32_t bottom) {
    g_lastUpdatedRect = LastUpdatedRect{left, top, right, bottom};
}
inline void SetLastUpdated(const RECT& r) {
    SetLastUpdated(r.left, r.top, r.right, r.bottom);
}

// The fills' clipping: a given rectangle intersected with the clip rectangle, or the clip
// rectangle itself. False when nothing is left.
bool ClipToClipRect(Surface* surface, const RECT* rect, RECT& out);

// The copies' and blends' clipping against both bitmaps' sizes (clip rectangles take no part).
// `srcRect` is clipped in place and (x, y) moved with it. False when nothing is left.
bool ClipCopyRects(Surface* dest, Surface* src, std::int32_t& x, std::int32_t& y, RECT& srcRect);

// The stretched row kernel of a blend mode, which the affine operation shares for mappings that
// keep source rows horizontal.
struct StretchChoice {
    int word;  // 0: the mode draws nothing
    bool opacity;
    bool bilinear;
};
// False for a mode the stretched path cannot draw.
bool ChooseStretchKernel(std::int32_t mode, bool full, bool hold, bool bilinearType,
                         StretchChoice& out);

// The row `pitch` bytes after `row` (pitch may be negative).
template <class Row>
inline Row* NextRow(Row* row, std::int32_t pitch) {
    return reinterpret_cast<Row*>(reinterpret_cast<std::uintptr_t>(row) +
                                  static_cast<std::intptr_t>(pitch));
}

// Runs `op`(first pixel, width) on every row of `r`, then records `r` as updated; true (1).
template <class RowOp>
std::int32_t ForEachRow(Surface* dest, const RECT& r, RowOp op) {
    const std::int32_t width = r.right - r.left;
    const std::int32_t pitch = dest->Pitch();
    Pixel* row = PixelAt(dest, r.left, r.top);
    for (std::int32_t y = r.top; y < r.bottom; ++y, row = NextRow(row, pitch)) op(row, width);
    SetLastUpdated(r);
    return 1;
}

// ForEachRow over the rectangle clipped as the fills clip; false (0) when nothing is left.
template <class RowOp>
std::int32_t ForEachClippedRow(Surface* dest, const RECT* rect, RowOp op) {
    RECT r;
    if (!ClipToClipRect(dest, rect, r)) return 0;
    return ForEachRow(dest, r, op);
}

}  // namespace pixelops
