// Colour operations and effects in place (brightness, grey, colour balance, inversion, alpha
// level and balance, blur, mosaic) and the copies from device surfaces through GDI.
#include <ddraw.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "graphics/compose/blend_tables.h"
#include "graphics/image/direct_draw_backed.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/image.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/pixel_area.h"
#include "graphics/image/pixel_math.h"
#include "graphics/image/plane_kernels.h"
#include "graphics/interfaces/screen_buffer.h"

namespace {

std::uint8_t Multiply(std::uint32_t i, std::uint32_t j) { return g_blendTables.multiply[i][j]; }

std::uint8_t Clamp(std::int32_t v) { return g_blendTables.clamp[v + kClampOffset]; }

// level 0..255 scales towards 0; 256.. moves towards 255 by level - base.
std::uint8_t Level(std::uint32_t level, std::uint32_t base, std::uint32_t v) {
    if (level < base) return Multiply(level, v);
    const std::uint32_t k = level - base;
    return static_cast<std::uint8_t>(Multiply(255 - k, v) + k);
}

std::uint8_t Balance(std::int32_t factor, std::int32_t offset, std::uint32_t v) {
    return Clamp(((factor * static_cast<std::int32_t>(v)) >> 7) + offset);
}

// Applies f to the colour bytes of each palette entry; the reserved byte stays.
template <class F>
void MapPaletteColours(const std::uint32_t* from, std::uint32_t* to, F f) {
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t e = from[i];
        to[i] = (e & 0xFF000000u) | (static_cast<std::uint32_t>(f(2, (e >> 16) & 0xFF)) << 16) |
                (static_cast<std::uint32_t>(f(1, (e >> 8) & 0xFF)) << 8) | f(0, e & 0xFF);
    }
}

// Applies f to one byte of every pixel of an area: the alpha byte of 32-bit pixels, the index
// of 8-bit ones.
template <class F>
void MapAreaBytes(std::uint8_t* bits, std::int32_t pitch, std::uint8_t depth, const RECT& area,
                  F f) {
    const std::int32_t bytes = depth / 8;
    const std::int32_t offset = depth == 32 ? 3 : 0;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::uint8_t* p = bits + static_cast<std::ptrdiff_t>(y) * pitch + area.left * bytes + offset;
        for (std::int32_t x = area.left; x < area.right; ++x, p += bytes) *p = f(*p);
    }
}

}  // namespace

void Image::PaletteChanged(const RECT& marked) {
    // The next brightness change starts from the palette as it now is.
    DropSavedPalette();
    WriteColourTable();
    m_colourKey = -1;
    MarkChanged(marked);
}

std::int32_t Image::ApplyBrightness(std::uint16_t level, const RECT* rect) {
    if (!m_bits || level > 510) return 0;
    RECT area;
    if (m_depth == 32) {
        if (!ClipToOperation(rect, &area)) return 0;
        if (level == 255) return 1;
        const PixelArea32 a(*this, area);
        if (level < 255) {
            KernelScaleColour(a.first, a.pitch, a.width, a.height,
                              static_cast<std::uint8_t>(level));
        } else {
            KernelBlendColour(a.first, a.pitch, a.width, a.height,
                              static_cast<std::uint8_t>(level - 255), 255, 255, 255);
        }
    } else {
        if (rect || !m_palette) return 0;
        area = m_clipRect;
        // Every change starts from the colours before the first one, so steps do not add up.
        if (!m_savedPalette) {
            m_savedPalette = new (std::nothrow) std::uint32_t[256];
            if (!m_savedPalette) return 0;
            std::memcpy(m_savedPalette, m_palette, 256 * sizeof(std::uint32_t));
        }
        MapPaletteColours(m_savedPalette, m_palette,
                          [&](int, std::uint32_t v) { return Level(level, 255, v); });
        WriteColourTable();
    }
    MarkChanged(area);
    return 1;
}

std::int32_t Image::Greyscale(const RECT* rect) {
    if (!m_bits) return 1;
    if (m_depth == 8) {
        if (rect) return 3;
        if (!m_palette) return 0;
        std::uint8_t* grey = new (std::nothrow) std::uint8_t[256];
        if (!grey) return 2;
        for (int i = 0; i < 256; ++i) {
            const std::uint32_t e = m_palette[i];
            grey[i] = static_cast<std::uint8_t>(
                pixel_math::Grey((e >> 16) & 0xFF, (e >> 8) & 0xFF, e & 0xFF));
            m_palette[i] = (e & 0xFF000000u) | GreyEntry(static_cast<std::uint32_t>(i));
        }
        const RECT whole = {0, 0, m_width, m_height};
        MapAreaBytes(m_bits, m_pitch, 8, whole, [&](std::uint8_t v) { return grey[v]; });
        delete[] grey;
        PaletteChanged(whole);
        return 0;
    }
    RECT area;
    if (!ClipToOperation(rect, &area)) return 0;
    const PixelArea32 a(*this, area);
    if (m_colourKey != -1) {
        KernelGreyscaleKeyed(a.first, a.skip, a.width, a.height,
                             static_cast<std::uint32_t>(m_colourKey));
    } else {
        (UseMmxKernels() ? KernelGreyscaleMmx : KernelGreyscale)(a.first, a.skip, a.width,
                                                                 a.height);
    }
    MarkChanged(area);
    return 0;
}

std::int32_t Image::ColourBalance(std::uint16_t rFactor, std::uint16_t gFactor,
                                  std::uint16_t bFactor, std::int16_t rOffset,
                                  std::int16_t gOffset, std::int16_t bOffset, const RECT* rect) {
    if (!m_bits) return 1;
    if (rFactor > 256 || gFactor > 256 || bFactor > 256) return 3;
    for (std::int16_t offset : {rOffset, gOffset, bOffset}) {
        if (offset < -255 || offset > 255) return 3;
    }
    if (m_depth == 8) {
        if (rect) return 2;
        if (!m_palette) return 1;
        const std::int32_t factors[3] = {bFactor, gFactor, rFactor};
        const std::int32_t offsets[3] = {bOffset, gOffset, rOffset};
        MapPaletteColours(m_palette, m_palette, [&](int k, std::uint32_t v) {
            return Balance(factors[k], offsets[k], v);
        });
        PaletteChanged(m_clipRect);
        return 0;
    }
    RECT area;
    if (!ClipToOperation(rect, &area)) return 0;
    const PixelArea32 a(*this, area);
    if (m_colourKey != -1) {
        KernelColourBalanceKeyed(a.first, a.skip, a.width, a.height, rFactor, gFactor, bFactor,
                                 rOffset, gOffset, bOffset,
                                 static_cast<std::uint32_t>(m_colourKey));
    } else {
        (UseMmxKernels() ? KernelColourBalanceMmx : KernelColourBalance)(
            a.first, a.skip, a.width, a.height, rFactor, gFactor, bFactor, rOffset, gOffset,
            bOffset);
    }
    MarkChanged(area);
    return 0;
}

std::int32_t Image::Invert(std::uint8_t mode, const RECT* rect) {
    if (!m_bits) return 1;
    if (m_depth == 8 && mode == 0) {
        if (rect) return 2;
        if (!m_palette) return 1;
        MapPaletteColours(m_palette, m_palette, [](int, std::uint32_t v) { return 255 - v; });
        PaletteChanged(m_clipRect);
        return 0;
    }
    RECT area;
    if (!ClipToOperation(rect, &area)) return 0;
    if (m_depth == 8) {
        MapAreaBytes(m_bits, m_pitch, 8, area,
                     [](std::uint8_t v) { return static_cast<std::uint8_t>(255 - v); });
        m_colourKey = -1;
    } else {
        const PixelArea32 a(*this, area);
        if (m_colourKey != -1) {
            KernelInvertKeyed(a.first, a.skip, a.width, a.height, mode,
                              static_cast<std::uint32_t>(m_colourKey));
        } else {
            (UseMmxKernels() ? KernelInvertMmx : KernelInvert)(a.first, a.skip, a.width, a.height,
                                                               mode);
        }
    }
    MarkChanged(area);
    return 0;
}

bool Image::AlphaLevel(std::uint16_t level, const RECT* rect) {
    if (!m_bits || level > 511) return false;
    RECT area;
    if (!ClipToOperation(rect, &area)) return false;
    MapAreaBytes(m_bits, m_pitch, m_depth, area,
                 [&](std::uint8_t v) { return Level(level, 256, v); });
    // Sprites and canvases redraw only what is marked: the change must reach them.
    MarkChanged(area);
    return true;
}

bool Image::AlphaBalance(std::uint16_t factor, std::int16_t offset, const RECT* rect) {
    if (!m_bits || factor > 256 || offset < -255 || offset > 255) return false;
    RECT area;
    if (!ClipToOperation(rect, &area)) return false;
    MapAreaBytes(m_bits, m_pitch, m_depth, area,
                 [&](std::uint8_t v) { return Balance(factor, offset, v); });
    MarkChanged(area);
    return true;
}

std::int32_t Image::Blur(std::uint8_t mode, const RECT* rect) {
    if (!m_bits) return 1;
    RECT area;
    if (!ClipToOperation(rect, &area)) return 0;
    const std::int32_t width = area.right - area.left;
    const std::int32_t height = area.bottom - area.top;
    const std::int32_t bytes = m_depth / 8;
    std::uint8_t* first = Row(area.top) + area.left * bytes;
    const std::int32_t failure =
        m_depth == 32 ? KernelBlur3x3(reinterpret_cast<std::uint32_t*>(first),
                                      m_pitch - width * 4, m_pitch, width, height, mode)
                      : KernelPlaneBlur3x3(first, m_pitch, width, height);
    if (failure != 0) return failure + 1;
    m_colourKey = -1;
    MarkChanged(area);
    return 0;
}

std::int32_t Image::Mosaic(std::uint32_t cellSize, std::uint8_t alignment, const RECT* rect) {
    if (!m_bits) return 1;
    if (cellSize <= 1) return 0;
    RECT area;
    if (!ClipToOperation(rect, &area)) return 0;
    const std::int32_t width = area.right - area.left;
    const std::int32_t height = area.bottom - area.top;
    // A cell larger than the area covers it all anyway; the kernels take a signed size.
    const std::int32_t cell =
        static_cast<std::int32_t>(std::min<std::uint32_t>(cellSize, std::max(width, height)));
    const std::int32_t bytes = m_depth / 8;
    std::uint8_t* first = Row(area.top) + area.left * bytes;
    if (m_depth == 32) {
        KernelMosaic(reinterpret_cast<std::uint32_t*>(first), m_pitch - width * 4, m_pitch, width,
                     height, cell, alignment);
    } else {
        KernelPlaneMosaic(first, m_pitch, width, height, cell, alignment);
    }
    m_colourKey = -1;
    MarkChanged(area);
    return 0;
}

std::int32_t Image::BltFromSurface(Surface* source, std::int32_t x, std::int32_t y,
                                   const RECT* sourceRect) {
    return CopyFromDeviceSurface(source, nullptr, x, y, sourceRect);
}

std::int32_t Image::StretchFromSurface(Surface* source, const SIZE* size, std::int32_t x,
                                       std::int32_t y, const RECT* sourceRect) {
    const SIZE whole = {m_width, m_height};
    return CopyFromDeviceSurface(source, size ? size : &whole, x, y, sourceRect);
}

std::int32_t Image::CopyFromDeviceSurface(Surface* source, const SIZE* size, std::int32_t x,
                                          std::int32_t y, const RECT* sourceRect) {
    if (!m_memoryDc || !m_bits || !source) return 1;
    const SurfaceKind kind = source->Kind();
    if (kind == kSurfacePixelBuffer) {
        return size ? StretchBlit(source, size, x, y, sourceRect, false)
                    : Blit(source, x, y, sourceRect, false);
    }
    // The screens shown through a DirectDraw surface or a texture are read from their back
    // buffers, which hold what the surface shows once updated.
    if (kind == kSurfaceDirectDrawScreen || kind == kSurfaceTextureScreen) {
        auto* screen = dynamic_cast<ScreenBuffer*>(source);
        Image* backBuffer = screen ? screen->GetImage() : nullptr;
        if (!backBuffer || !backBuffer->Bits()) return 1;
        return size ? StretchBlit(backBuffer, size, x, y, sourceRect, false)
                    : Blit(backBuffer, x, y, sourceRect, false);
    }
    // Pictures in DirectDraw surfaces (images, text bitmaps, textures) are read through the
    // surface's device context; the other kinds have nothing to read here.
    if (kind > kSurfaceTextureText) return 1;
    IDirectDrawSurface7* surface = static_cast<DirectDrawBacked*>(source)->GetSurface();
    if (!surface) return 1;

    RECT wanted;
    if (sourceRect) {
        wanted = *sourceRect;
    } else {
        source->GetRect(&wanted);
    }
    StretchStep step;
    if (ClipBlitOriented(source, x, y, &wanted, size, size ? &step : nullptr, nullptr, false,
                         false) != 0) {
        return 0;
    }
    HDC dc = nullptr;
    if (FAILED(surface->GetDC(&dc)) || !dc) return 2;
    const RECT& s = m_blitSourceRect;
    const RECT& d = m_blitDestRect;
    if (size) {
        StretchBlt(m_memoryDc, d.left, d.top, d.right - d.left, d.bottom - d.top, dc, s.left,
                   s.top, s.right - s.left, s.bottom - s.top, SRCCOPY);
    } else {
        BitBlt(m_memoryDc, d.left, d.top, d.right - d.left, d.bottom - d.top, dc, s.left, s.top,
               SRCCOPY);
    }
    surface->ReleaseDC(dc);
    GdiFlush();
    MarkChanged(d);
    return 0;
}
