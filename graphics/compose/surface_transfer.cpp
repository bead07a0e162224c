#include "graphics/compose/surface_transfer.h"

#include <algorithm>
#include <cstring>

#include "graphics/compose/blit_clip.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/image/image.h"

namespace {

std::uint16_t To555(std::uint32_t p) {
    return static_cast<std::uint16_t>(((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) |
                                      ((p >> 3) & 0x001F));
}
std::uint16_t To565(std::uint32_t p) {
    return static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) |
                                      ((p >> 3) & 0x001F));
}
std::uint16_t To4444(std::uint32_t p) {
    return static_cast<std::uint16_t>(((p >> 16) & 0xF000) | ((p >> 12) & 0x0F00) |
                                      ((p >> 8) & 0x00F0) | ((p >> 4) & 0x000F));
}

void Put16(std::uint8_t* d, std::uint16_t v) { std::memcpy(d, &v, 2); }
void Put32(std::uint8_t* d, std::uint32_t v) { std::memcpy(d, &v, 4); }

// One pixel into the destination format; palette entries differ from ARGB pixels only in
// what becomes of the fourth byte.
void WritePixel(std::int32_t code, std::uint8_t* d, std::uint32_t p, bool fromPalette) {
    switch (code) {
        case kPixelFormatRgb555: Put16(d, To555(p)); break;
        case kPixelFormatRgb565: Put16(d, To565(p)); break;
        case kPixelFormatRgb24:
            d[0] = static_cast<std::uint8_t>(p);
            d[1] = static_cast<std::uint8_t>(p >> 8);
            d[2] = static_cast<std::uint8_t>(p >> 16);
            break;
        case kPixelFormatXrgb32: Put32(d, fromPalette ? p : (p & 0x00FFFFFF)); break;
        case kPixelFormatArgb1555:
            Put16(d, static_cast<std::uint16_t>(To555(p) |
                                                (fromPalette ? 0x8000 : ((p >> 16) & 0x8000))));
            break;
        case kPixelFormatArgb4444:
            Put16(d, fromPalette ? static_cast<std::uint16_t>(To4444(p) | 0xF000) : To4444(p));
            break;
        case kPixelFormatArgb32: Put32(d, fromPalette ? (p | 0xFF000000) : p); break;
        default: break;
    }
}

template <class Read>
bool Convert(std::int32_t code, std::uint8_t* dst, std::int32_t dx, std::int32_t dy,
             std::int32_t dstPitch, const std::uint8_t* src, std::int32_t srcPitch,
             std::int32_t width, std::int32_t height, bool fromPalette, Read read) {
    const std::int32_t bpp = SurfaceBytesPerPixel(code);
    if (bpp == 0) return false;
    std::uint8_t* row = dst + static_cast<std::ptrdiff_t>(dy) * dstPitch + dx * bpp;
    for (std::int32_t j = 0; j < height; ++j, row += dstPitch, src += srcPitch) {
        if (code == kPixelFormatArgb32 && !fromPalette) {
            std::memcpy(row, src, static_cast<std::size_t>(width) * 4);
            continue;
        }
        for (std::int32_t i = 0; i < width; ++i) WritePixel(code, row + i * bpp, read(src, i),
                                                             fromPalette);
    }
    return true;
}

}  // namespace

std::int32_t SurfaceBytesPerPixel(std::int32_t formatCode) {
    switch (formatCode) {
        case kPixelFormatRgb555:
        case kPixelFormatRgb565:
        case kPixelFormatArgb1555:
        case kPixelFormatArgb4444: return 2;
        case kPixelFormatRgb24: return 3;
        case kPixelFormatXrgb32:
        case kPixelFormatArgb32: return 4;
        default: return 0;
    }
}

bool ConvertArgbToSurface(std::int32_t formatCode, std::uint8_t* destinationBits,
                          std::int32_t destinationX, std::int32_t destinationY,
                          std::int32_t destinationPitch, const std::uint8_t* sourceBits,
                          std::int32_t sourcePitch, std::int32_t width, std::int32_t height) {
    return Convert(formatCode, destinationBits, destinationX, destinationY, destinationPitch,
                   sourceBits, sourcePitch, width, height, false,
                   [](const std::uint8_t* row, std::int32_t i) {
                       std::uint32_t p;
                       std::memcpy(&p, row + i * 4, 4);
                       return p;
                   });
}

bool ConvertIndexedToSurface(std::int32_t formatCode, std::uint8_t* destinationBits,
                             std::int32_t destinationX, std::int32_t destinationY,
                             std::int32_t destinationPitch, const std::uint8_t* sourceBits,
                             std::int32_t sourcePitch, std::int32_t width, std::int32_t height,
                             const std::uint32_t* palette) {
    return Convert(formatCode, destinationBits, destinationX, destinationY, destinationPitch,
                   sourceBits, sourcePitch, width, height, true,
                   [palette](const std::uint8_t* row, std::int32_t i) { return palette[row[i]]; });
}

bool WriteImageToLockedSurface(const DDSURFACEDESC2& locked, std::int32_t formatCode, Image* image,
                               const RECT& area, std::int32_t x, std::int32_t y) {
    if (image->Depth() == 8 && !image->Palette() && image->SetPalette(nullptr, 256, 0) != 0)
        return false;
    // The image's part, then where it lands cut to the surface the lock describes.
    RECT source = area;
    if (!image->ClipToClipRect(&source)) return true;
    const RECT surfaceRect = {0, 0, static_cast<LONG>(locked.dwWidth),
                              static_cast<LONG>(locked.dwHeight)};
    RECT dest;
    if (ClipBlitRects(NarrowToLong(std::int64_t{x} + source.left),
                      NarrowToLong(std::int64_t{y} + source.top), &source, &dest,
                      &surfaceRect, nullptr) != 0)
        return true;
    auto* bits = static_cast<std::uint8_t*>(locked.lpSurface);
    const std::int32_t width = dest.right - dest.left;
    const std::int32_t height = dest.bottom - dest.top;
    const std::uint8_t* from = image->Row(source.top) + source.left * (image->Depth() / 8);
    if (image->Depth() == 8)
        ConvertIndexedToSurface(formatCode, bits, dest.left, dest.top, locked.lPitch, from,
                                image->Pitch(), width, height, image->Palette());
    else if (image->Depth() == 32)
        ConvertArgbToSurface(formatCode, bits, dest.left, dest.top, locked.lPitch, from,
                             image->Pitch(), width, height);
    return true;
}

std::int32_t CopyImageToSurface(IDirectDrawSurface7* surface, std::int32_t formatCode,
                                const RECT* clipRect, Image* image, std::int32_t x,
                                std::int32_t y, const RECT* sourceRect,
                                const DDSURFACEDESC2* lockedDescription) {
    if (!surface || !image || !image->Bits()) return 1;
    if (SurfaceBytesPerPixel(formatCode) == 0) return 3;
    RECT source = image->ClipRectPtr() ? *image->ClipRectPtr() : RECT{};
    if (sourceRect) {
        RECT wanted = *sourceRect;
        if (!image->ClipToClipRect(&wanted)) return 0;
        source = wanted;
    }
    // Where the source's top-left lands: (x, y), or the clip rectangle's trimmed corner.
    POINT at = {x, y};
    if (clipRect) {
        RECT dest;
        if (ClipBlitRects(x, y, &source, &dest, clipRect, nullptr) != 0) return 0;
        at = POINT{dest.left, dest.top};
    }
    DDSURFACEDESC2 own = {};
    const DDSURFACEDESC2* locked = lockedDescription;
    if (!locked) {
        own.dwSize = sizeof(own);
        if (FAILED(surface->Lock(nullptr, &own, 0, nullptr))) return 2;
        locked = &own;
    }
    const bool written = WriteImageToLockedSurface(
        *locked, formatCode, image, source, NarrowToLong(std::int64_t{at.x} - source.left),
        NarrowToLong(std::int64_t{at.y} - source.top));
    if (!lockedDescription) surface->Unlock(nullptr);
    return written ? 0 : 2;
}
