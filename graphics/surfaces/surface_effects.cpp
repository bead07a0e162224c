#include "graphics/surfaces/surface_effects.h"

#include <cstring>

#include "graphics/compose/blit_clip.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/kernel_form.h"

std::int32_t BltFastClipped(IDirectDrawSurface7* destination, IDirectDrawSurface7* source,
                            std::int32_t x, std::int32_t y, const RECT* sourceRect,
                            const RECT* clipRect, std::int32_t colourKey) {
    if (!destination || !source || !sourceRect || !clipRect) return 1;
    RECT from = *sourceRect;
    RECT to;
    if (ClipBlitRects(x, y, &from, &to, clipRect, nullptr) != 0) return 0;
    DWORD flags = DDBLTFAST_WAIT;
    if (colourKey != -1) flags |= DDBLTFAST_SRCCOLORKEY;
    return SUCCEEDED(destination->BltFast(static_cast<DWORD>(to.left), static_cast<DWORD>(to.top),
                                          source, &from, flags))
               ? 0
               : 2;
}

std::int32_t BltClipped(IDirectDrawSurface7* destination, IDirectDrawSurface7* source,
                        const SIZE* size, std::int32_t x, std::int32_t y, const RECT* sourceRect,
                        const RECT* clipRect, std::int32_t colourKey) {
    if (!destination || !source || !sourceRect || !clipRect) return 1;
    RECT from = *sourceRect;
    RECT to;
    if (ClipBlitRects(x, y, &from, &to, clipRect, size) != 0) return 0;
    DWORD flags = DDBLT_WAIT;
    if (colourKey != -1) flags |= DDBLT_KEYSRC;
    return SUCCEEDED(destination->Blt(&to, source, &from, flags, nullptr)) ? 0 : 2;
}

namespace {

// The area worked on: rect, or its intersection with clip (written back into clip). False when
// nothing is left.
bool EffectArea(const RECT* rect, RECT* clip, RECT* area) {
    if (!clip) {
        *area = *rect;
        return true;
    }
    if (!ClipRectTo(clip, rect)) return false;
    *area = *clip;
    return true;
}

std::int32_t BytesPerPixel(std::int32_t formatCode) {
    switch (formatCode) {
    case kPixelFormatRgb555:
    case kPixelFormatRgb565:
    case kPixelFormatArgb1555:
    case kPixelFormatArgb4444:
        return 2;
    case kPixelFormatRgb24:
        return 3;
    case kPixelFormatXrgb32:
    case kPixelFormatArgb32:
        return 4;
    default:
        return 0;
    }
}

std::uint8_t* PixelAt(std::uint8_t* bits, std::int32_t pitch, std::int32_t bytes, std::int32_t x,
                      std::int32_t y) {
    return bits + static_cast<std::int64_t>(pitch) * y + static_cast<std::int64_t>(bytes) * x;
}

void XorWords(std::uint8_t* bits, std::int32_t pitch, const RECT& area, std::uint16_t mask) {
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(PixelAt(bits, pitch, 2, area.left, y));
        for (std::int32_t x = 0; x < area.right - area.left; ++x) row[x] ^= mask;
    }
}

}  // namespace

std::int32_t InvertSurfaceMemory(std::uint8_t mode, std::int32_t formatCode, std::uint8_t* bits,
                                 std::int32_t pitch, const RECT* rect, RECT* clip) {
    if (!bits || !rect) return 1;
    if (mode == kInvertAlpha && formatCode >= kPixelFormatOther && formatCode <= kPixelFormatXrgb32)
        return 1;
    if (mode != kInvertColour &&
        (formatCode == kPixelFormatRgb555 || formatCode == kPixelFormatRgb565))
        return 1;
    if (BytesPerPixel(formatCode) == 0) return 2;
    RECT area;
    if (!EffectArea(rect, clip, &area)) return -1;
    const std::int32_t width = area.right - area.left;
    const std::int32_t height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return 0;

    switch (formatCode) {
    case kPixelFormatRgb555:
        XorWords(bits, pitch, area, 0x7FFF);
        break;
    case kPixelFormatRgb565:
        XorWords(bits, pitch, area, 0xFFFF);
        break;
    case kPixelFormatArgb1555:
        XorWords(bits, pitch, area,
                 mode == kInvertAlpha ? 0x8000 : mode == kInvertAll ? 0xFFFF : 0x7FFF);
        break;
    case kPixelFormatArgb4444:
        XorWords(bits, pitch, area,
                 mode == kInvertAlpha ? 0xF000 : mode == kInvertAll ? 0xFFFF : 0x0FFF);
        break;
    case kPixelFormatRgb24:
        for (std::int32_t y = area.top; y < area.bottom; ++y) {
            std::uint8_t* row = PixelAt(bits, pitch, 3, area.left, y);
            for (std::int32_t i = 0; i < 3 * width; ++i) row[i] ^= 0xFF;
        }
        break;
    default: {
        auto* first = reinterpret_cast<std::uint32_t*>(PixelAt(bits, pitch, 4, area.left, area.top));
        (UseMmxKernels() ? KernelInvertMmx : KernelInvert)(first, pitch - 4 * width, width, height,
                                                           mode);
        break;
    }
    }
    return 0;
}

std::int32_t MosaicSurfaceMemory(std::int32_t formatCode, std::uint8_t* bits, std::int32_t pitch,
                                 const RECT* rect, RECT* clip, std::int32_t cellSize,
                                 std::uint8_t anchor) {
    if (!bits || !rect) return 1;
    const std::int32_t bytes = BytesPerPixel(formatCode);
    if (bytes == 0) return 2;
    RECT area;
    if (!EffectArea(rect, clip, &area)) return -1;
    const std::int32_t w = area.right - area.left;
    const std::int32_t h = area.bottom - area.top;
    const std::int32_t c = cellSize;
    if (w <= 2 || h <= 2 || c <= 1) return 0;

    // The first column of cells is f pixels wide (0: a whole cell), the first band e rows high.
    std::int32_t e, f;
    switch (anchor) {
    case kMosaicTopLeft:
        e = c;
        f = 0;
        break;
    case kMosaicTopRight:
        e = c;
        f = w % c;
        break;
    case kMosaicBottomLeft:
        e = h % c ? h % c : c;
        f = 0;
        break;
    case kMosaicBottomRight:
        e = h % c ? h % c : c;
        f = w % c;
        break;
    default:
        f = c < w ? ((w - c) / 2) % c : 0;
        e = c < h ? ((h - c) / 2) % c : c;
        if (e == 0) e = c;
        break;
    }
    if (f == 0) f = c;

    for (std::int32_t top = 0, band = e; top < h; top += band, band = c) {
        const std::int32_t rows = h - top < band ? h - top : band;
        for (std::int32_t left = 0, cell = f; left < w; left += cell, cell = c) {
            const std::int32_t columns = w - left < cell ? w - left : cell;
            std::uint8_t pixel[4];
            std::memcpy(pixel, PixelAt(bits, pitch, bytes, area.left + left, area.top + top), bytes);
            for (std::int32_t y = 0; y < rows; ++y) {
                std::uint8_t* out = PixelAt(bits, pitch, bytes, area.left + left, area.top + top + y);
                for (std::int32_t x = 0; x < columns; ++x, out += bytes) std::memcpy(out, pixel, bytes);
            }
        }
    }
    return 0;
}
