// The classification of DirectDraw pixel formats that the surface and blit code shares, and the
// rectangle fill of a DirectDraw surface in the surface's own format.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

enum PixelFormatCode : std::int32_t {
    kPixelFormatOther = 1,
    kPixelFormatPalette8 = 2,
    kPixelFormatRgb555 = 4,
    kPixelFormatRgb565 = 8,
    kPixelFormatRgb24 = 16,
    kPixelFormatXrgb32 = 32,
    kPixelFormatArgb1555 = 64,
    kPixelFormatArgb4444 = 128,
    kPixelFormatArgb32 = 256,
};

// Component order of the three arrays: red, green, blue, alpha.
struct PixelFormatInfo {
    std::uint8_t bitCount;
    std::uint32_t masks[4];
    // Set bits of each mask.
    std::uint8_t bits[4];
    // Trailing zero bits of each mask; 32 for an empty mask.
    std::uint8_t shifts[4];
};

// The code of pixelFormat or, when it is null, of the surface's own format; 0 when neither is
// given or the surface's format cannot be read. info, when given, is filled.
std::int32_t ClassifyPixelFormat(IDirectDrawSurface7* surface, PixelFormatInfo* info,
                                 const DDPIXELFORMAT* pixelFormat);

// A colour as a colour-key value of the format: above 8 bits each of red, green and blue cut to
// its channel's width and moved to its place; at 8 bits or fewer red, as a palette index.
std::int32_t PackColourKey(const PixelFormatInfo& info, std::int32_t r, std::int32_t g,
                           std::int32_t b);

// Fills rect (null: the whole surface) with the colour in the surface's format: by a colour-fill
// blit, or, when the surface refuses it, by writing the pixels of the part of rect that lies on
// the surface. 0 done; 1 no surface, or no info and the format cannot be read; 2 the surface
// cannot be locked.
std::int32_t FillSurfaceRect(IDirectDrawSurface7* surface, const PixelFormatInfo* info,
                             std::int32_t red, std::int32_t green, std::int32_t blue,
                             const RECT* rect, std::int32_t alpha);
