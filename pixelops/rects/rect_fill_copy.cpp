// Rectangle fills and copies (words 2-8) and the two clipping patterns every rectangle
// operation shares.
#include <cstring>

#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/rects/rect_operations.h"
#include "pixelops/rects/rect_support.h"

namespace pixelops {

CopyRectOp g_copyRect = CopyRectOwn;

namespace {

constexpr std::int64_t kLargeFillPixels = 0x4000;

// One axis of the copy clipping: the source span [lo, hi) against the source size, then the
// destination span [pos, pos + hi - lo) against the destination size. 64-bit, since script
// commands pass arbitrary numbers.
bool ClipCopyAxis(std::int64_t srcSize, std::int64_t destSize, std::int32_t& pos, LONG& lo,
                  LONG& hi) {
    std::int64_t p = pos, l = lo, h = hi;
    if (l < 0) {
        p -= l;
        l = 0;
    }
    if (h > srcSize) h = srcSize;
    bool visible = l < h;
    if (visible) {
        if (p < 0) {
            l -= p;
            p = 0;
        }
        const std::int64_t end = p + (h - l);
        if (end > destSize) h -= end - destSize;
        visible = l < h;
    }
    lo = SaturateToInt32(l);
    hi = SaturateToInt32(h);
    pos = SaturateToInt32(p);
    return visible;
}

// Never called on overlapping rows (those go through CopyRowOverlapping's buffer).
void CopyPixels(Pixel* dst, const Pixel* src, std::int32_t count) {
    if (count > 0) std::memcpy(dst, src, static_cast<std::size_t>(count) * sizeof(Pixel));
}

// One row of a copy of the given type.
void CopyRow(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t type) {
    if (type == kCopyColour)
        Slot<RowKernel>(kWordCopyColorLine)(dst, src, count);
    else if (type == kCopyAlpha)
        Slot<RowKernel>(kWordCopyAlphaLine)(dst, src, count);
    else
        CopyPixels(dst, src, count);
}

// A row whose source and destination may overlap: through a small buffer, in chunks taken from
// the end that the destination moves away from.
void CopyRowOverlapping(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t type) {
    constexpr std::int32_t kChunk = 256;
    Pixel buffer[kChunk];
    const bool backward = dst > src;
    for (std::int32_t done = 0; done < count;) {
        const std::int32_t n = count - done < kChunk ? count - done : kChunk;
        const std::int32_t start = backward ? count - done - n : done;
        CopyPixels(buffer, src + start, n);
        CopyRow(dst + start, buffer, n, type);
        done += n;
    }
}

struct ByteSpan {
    std::uintptr_t first, end;
};

ByteSpan SpanOf(const void* firstRow, std::int32_t pitch, std::int32_t width, std::int32_t height) {
    const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(firstRow);
    const std::uintptr_t b = a + static_cast<std::intptr_t>(pitch) * (height - 1);
    const std::uintptr_t low = a < b ? a : b, high = a < b ? b : a;
    return ByteSpan{low, high + static_cast<std::uintptr_t>(width) * 4};
}

std::int32_t CopyClipped(Surface* dest, Surface* src, std::int32_t x, std::int32_t y, RECT* srcRect,
                         std::uint32_t type, bool hostRoutines) {
    type &= 0xFF;
    // A type that copies nothing must not answer as a finished copy.
    if (type != kCopyColour && type != kCopyAlpha && type != kCopyPixels) return kRectRefused;
    RECT local;
    RECT& r = srcRect ? *srcRect : *src->GetRect(&local);
    if (!ClipCopyRects(dest, src, x, y, r)) return kRectCopyNothingVisible;

    const std::int32_t w = r.right - r.left, h = r.bottom - r.top;
    const std::int32_t dp = dest->Pitch(), sp = src->Pitch();
    Pixel* d = PixelAt(dest, x, y);
    const Pixel* s = PixelAt(src, r.left, r.top);
    const ByteSpan ds = SpanOf(d, dp, w, h), ss = SpanOf(s, sp, w, h);
    const bool overlap = ds.first < ss.end && ss.first < ds.end;

    if (overlap) {
        // Rows are taken in the order in which no source row is overwritten before it is read.
        const std::intptr_t ahead =
            reinterpret_cast<std::intptr_t>(d) - reinterpret_cast<std::intptr_t>(s);
        const bool lastRowFirst = (ahead > 0) == (dp > 0) && ahead != 0;
        for (std::int32_t i = 0; i < h; ++i) {
            const std::int32_t row = lastRowFirst ? h - 1 - i : i;
            CopyRowOverlapping(NextRow(d, dp * row), NextRow(s, sp * row), w, type);
        }
    } else if (hostRoutines) {
        const HostCopyRoutine routine = type == kCopyColour  ? g_hostCopyRoutines.copyColor
                                        : type == kCopyAlpha ? g_hostCopyRoutines.copyAlpha
                                                             : g_hostCopyRoutines.copyPixels;
        routine(d, s, dp - 4 * w, sp - 4 * w, w, h);
    } else {
        for (std::int32_t i = 0; i < h; ++i, d = NextRow(d, dp), s = NextRow(s, sp))
            CopyRow(d, s, w, type);
    }
    SetLastUpdated(x, y, x + w, y + h);
    return kRectDone;
}

}  // namespace

bool ClipToClipRect(Surface* surface, const RECT* rect, RECT& out) {
    const RECT* clip = surface->ClipRectPtr();
    if (rect) {
        out.left = rect->left > clip->left ? rect->left : clip->left;
        out.top = rect->top > clip->top ? rect->top : clip->top;
        out.right = rect->right < clip->right ? rect->right : clip->right;
        out.bottom = rect->bottom < clip->bottom ? rect->bottom : clip->bottom;
    } else {
        surface->GetClipRect(&out);
    }
    // Differences in 64 bits: a rectangle from a script may span more than 2^31.
    return static_cast<std::int64_t>(out.right) - out.left >= 1 &&
           static_cast<std::int64_t>(out.bottom) - out.top >= 1;
}

bool ClipCopyRects(Surface* dest, Surface* src, std::int32_t& x, std::int32_t& y, RECT& srcRect) {
    return ClipCopyAxis(src->Width(), dest->Width(), x, srcRect.left, srcRect.right) &&
           ClipCopyAxis(src->Height(), dest->Height(), y, srcRect.top, srcRect.bottom);
}

std::int32_t QMXGL_CALL FillRectArgb(Surface* dest, std::uint32_t colour, const RECT* rect) {
    RECT r;
    if (!ClipToClipRect(dest, rect, r)) return 0;
    const std::int64_t area = static_cast<std::int64_t>(r.right - r.left) * (r.bottom - r.top);
    const ValueKernel fill =
        Slot<ValueKernel>(area < kLargeFillPixels ? kWordFillArgbLine : kWordFillArgbLineLarge);
    return ForEachRow(dest, r, [&](Pixel* row, std::int32_t n) { fill(row, n, colour); });
}

std::int32_t QMXGL_CALL FillRect8(Surface* dest, std::uint32_t value, const RECT* rect) {
    RECT r;
    if (!ClipToClipRect(dest, rect, r)) return 0;
    const std::uint8_t byte = static_cast<std::uint8_t>(value);
    const std::uint32_t word = byte * 0x01010101u;
    const std::int32_t width = r.right - r.left;
    const std::int32_t pitch = dest->Pitch();
    std::uint8_t* row = BytesAt(dest, r.left, r.top, 1);
    for (std::int32_t y = r.top; y < r.bottom; ++y, row = NextRow(row, pitch)) {
        std::uint8_t* p = row;
        for (std::int32_t i = 0; i < width / 4; ++i, p += 4) std::memcpy(p, &word, 4);
        for (std::int32_t i = 0; i < width % 4; ++i) p[i] = byte;
    }
    SetLastUpdated(r);
    return 1;
}

std::int32_t QMXGL_CALL FillRectColor(Surface* dest, std::uint32_t colour, std::uint32_t opacity,
                                      const RECT* rect) {
    opacity &= 0xFF;
    if (opacity == 0) return 1;
    if (opacity == 255) {
        const ValueKernel fill = Slot<ValueKernel>(kWordFillColorLine);
        return ForEachClippedRow(dest, rect,
                                 [&](Pixel* row, std::int32_t n) { fill(row, n, colour); });
    }
    const ColourOpacityKernel blend = Slot<ColourOpacityKernel>(kWordConstColorAlphaBlendLine);
    return ForEachClippedRow(dest, rect,
                             [&](Pixel* row, std::int32_t n) { blend(row, n, colour, opacity); });
}

std::int32_t QMXGL_CALL FillRectColorWithAlpha(Surface* dest, std::uint32_t colour,
                                               std::uint32_t opacity, const RECT* rect,
                                               std::uint32_t additiveAlpha) {
    opacity &= 0xFF;
    if (opacity == 0) return 1;
    if (opacity == 255) {
        const ValueKernel fill = Slot<ValueKernel>(kWordFillArgbLine);
        const std::uint32_t opaque = colour | 0xFF000000;
        return ForEachClippedRow(dest, rect,
                                 [&](Pixel* row, std::int32_t n) { fill(row, n, opaque); });
    }
    const ColourOpacityKernel blend = Slot<ColourOpacityKernel>(
        (additiveAlpha & 0xFF) ? kWordConstColorAlphaBlendLineOntoAdditiveAlpha
                               : kWordConstColorAlphaBlendLineOntoAlpha);
    return ForEachClippedRow(dest, rect,
                             [&](Pixel* row, std::int32_t n) { blend(row, n, colour, opacity); });
}

std::int32_t QMXGL_CALL RemoveRectOpacity(Surface* dest, std::uint32_t opacity, const RECT* rect) {
    opacity &= 0xFF;
    if (opacity == 0) return 1;
    const bool all = opacity == 255;
    const ValueKernel kernel = Slot<ValueKernel>(all ? kWordFillAlphaLine : kWordRemoveOpacityLine);
    const std::uint32_t value = all ? 0 : opacity;
    return ForEachClippedRow(dest, rect,
                             [&](Pixel* row, std::int32_t n) { kernel(row, n, value); });
}

std::int32_t QMXGL_CALL SetRectAlpha(Surface* dest, std::uint32_t alpha, const RECT* rect) {
    const ValueKernel fill = Slot<ValueKernel>(kWordFillAlphaLine);
    const std::uint32_t value = alpha & 0xFF;
    return ForEachClippedRow(dest, rect, [&](Pixel* row, std::int32_t n) { fill(row, n, value); });
}

std::int32_t QMXGL_CALL CopyRectOwn(Surface* dest, Surface* src, std::int32_t x, std::int32_t y,
                                    RECT* srcRect, std::uint32_t type) {
    return CopyClipped(dest, src, x, y, srcRect, type, false);
}

std::int32_t QMXGL_CALL CopyRectWithHostRoutines(Surface* dest, Surface* src, std::int32_t x,
                                                 std::int32_t y, RECT* srcRect,
                                                 std::uint32_t type) {
    return CopyClipped(dest, src, x, y, srcRect, type, true);
}

}  // namespace pixelops
