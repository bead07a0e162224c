#include "graphics/compose/pixel_format.h"

#include <algorithm>

#include "graphics/compose/blit_clip.h"

namespace {

std::uint8_t CountBits(std::uint32_t mask) {
    std::uint8_t count = 0;
    for (; mask; mask &= mask - 1) ++count;
    return count;
}

std::uint8_t TrailingZeros(std::uint32_t mask) {
    if (!mask) return 32;
    std::uint8_t count = 0;
    for (; !(mask & 1); mask >>= 1) ++count;
    return count;
}

bool MasksAre(const PixelFormatInfo& f, std::uint32_t red, std::uint32_t green,
              std::uint32_t blue) {
    return f.masks[0] == red && f.masks[1] == green && f.masks[2] == blue;
}

std::int32_t Classify(const PixelFormatInfo& f) {
    switch (f.bitCount) {
    case 8:
        return kPixelFormatPalette8;
    case 16:
        if (f.masks[3] == 0x8000 && MasksAre(f, 0x7C00, 0x03E0, 0x001F))
            return kPixelFormatArgb1555;
        if (f.masks[3] == 0xF000 && MasksAre(f, 0x0F00, 0x00F0, 0x000F))
            return kPixelFormatArgb4444;
        if (MasksAre(f, 0x7C00, 0x03E0, 0x001F)) return kPixelFormatRgb555;
        if (MasksAre(f, 0xF800, 0x07E0, 0x001F)) return kPixelFormatRgb565;
        return kPixelFormatOther;
    case 24:
        return MasksAre(f, 0xFF0000, 0x00FF00, 0x0000FF) ? kPixelFormatRgb24 : kPixelFormatOther;
    case 32:
        if (!MasksAre(f, 0xFF0000, 0x00FF00, 0x0000FF)) return kPixelFormatOther;
        if (f.masks[3] == 0) return kPixelFormatXrgb32;
        if (f.masks[3] == 0xFF000000u) return kPixelFormatArgb32;
        return kPixelFormatOther;
    default:
        return kPixelFormatOther;
    }
}

}  // namespace

std::int32_t ClassifyPixelFormat(IDirectDrawSurface7* surface, PixelFormatInfo* info,
                                 const DDPIXELFORMAT* pixelFormat) {
    DDPIXELFORMAT queried = {};
    if (!pixelFormat) {
        if (!surface) return 0;
        queried.dwSize = sizeof(DDPIXELFORMAT);
        if (FAILED(surface->GetPixelFormat(&queried))) return 0;
        pixelFormat = &queried;
    }
    PixelFormatInfo f = {};
    f.bitCount = static_cast<std::uint8_t>(pixelFormat->dwRGBBitCount);
    f.masks[0] = pixelFormat->dwRBitMask;
    f.masks[1] = pixelFormat->dwGBitMask;
    f.masks[2] = pixelFormat->dwBBitMask;
    f.masks[3] = pixelFormat->dwRGBAlphaBitMask;
    for (int i = 0; i < 4; ++i) {
        f.bits[i] = CountBits(f.masks[i]);
        f.shifts[i] = TrailingZeros(f.masks[i]);
    }
    if (info) *info = f;
    return Classify(f);
}

std::int32_t FillSurfaceRect(IDirectDrawSurface7* surface, const PixelFormatInfo* info,
                             std::int32_t red, std::int32_t green, std::int32_t blue,
                             const RECT* rect, std::int32_t alpha) {
    if (!surface) return 1;
    PixelFormatInfo own;
    if (!info) {
        if (ClassifyPixelFormat(surface, &own, nullptr) == 0) return 1;
        info = &own;
    }
    std::uint32_t components[4] = {
        static_cast<std::uint32_t>(red), static_cast<std::uint32_t>(green),
        static_cast<std::uint32_t>(blue), static_cast<std::uint32_t>(alpha)};
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        if (info->bitCount == 16) components[i] >>= 8 - std::min<int>(info->bits[i], 8);
        // A component without a mask has no place in the pixel.
        if (info->shifts[i] < 32) value |= components[i] << info->shifts[i];
    }
    // A palettised surface has no masks: red is the palette index, for the blit as for the
    // pixels written below.
    if (info->bitCount == 8) value = static_cast<std::uint8_t>(red);

    DDBLTFX fx = {};
    fx.dwSize = sizeof(DDBLTFX);
    fx.dwFillColor = value;
    if (SUCCEEDED(surface->Blt(const_cast<RECT*>(rect), nullptr, nullptr,
                               DDBLT_COLORFILL | DDBLT_WAIT, &fx))) {
        return 0;
    }

    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(DDSURFACEDESC2);
    // A blit of the surface may still be in progress (the sprites do not wait for theirs).
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return 2;
    // The blit may have been refused for a rectangle that leaves the surface: only the part on
    // the surface is written.
    RECT area{0, 0, static_cast<LONG>(desc.dwWidth), static_cast<LONG>(desc.dwHeight)};
    if (rect) ClipRectTo(&area, rect);
    std::uint8_t* base = static_cast<std::uint8_t*>(desc.lpSurface);
    for (LONG y = area.top; y < area.bottom; ++y) {
        std::uint8_t* row = base + y * desc.lPitch;
        for (LONG x = area.left; x < area.right; ++x) {
            switch (info->bitCount) {
            case 8:
                row[x] = static_cast<std::uint8_t>(red);
                break;
            case 16:
                reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(value);
                break;
            case 24:
                row[3 * x] = static_cast<std::uint8_t>(value);
                row[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
                row[3 * x + 2] = static_cast<std::uint8_t>(value >> 16);
                break;
            case 32:
                reinterpret_cast<std::uint32_t*>(row)[x] = value;
                break;
            default:
                break;
            }
        }
    }
    surface->Unlock(nullptr);
    return 0;
}

std::int32_t PackColourKey(const PixelFormatInfo& info, std::int32_t r, std::int32_t g,
                           std::int32_t b) {
    if (info.bitCount <= 8) return r & 0xFF;
    const std::uint32_t channels[3] = {static_cast<std::uint32_t>(r & 0xFF),
                                       static_cast<std::uint32_t>(g & 0xFF),
                                       static_cast<std::uint32_t>(b & 0xFF)};
    std::uint32_t key = 0;
    for (int i = 0; i < 3; ++i) {
        if (info.shifts[i] >= 32) continue;
        const std::uint32_t value = info.bits[i] <= 8 ? channels[i] >> (8 - info.bits[i])
                                                      : channels[i] << (info.bits[i] - 8);
        key |= value << info.shifts[i];
    }
    return static_cast<std::int32_t>(key);
}
