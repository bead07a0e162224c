#include "graphics/text/texture_text.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "graphics/compose/pixel_format.h"
#include "graphics/device/direct3d_device.h"
#include "graphics/image/image.h"
#include "graphics/surfaces/dib_surface_conversion.h"
#include "graphics/surfaces/surface_effects.h"
#include "graphics/surfaces/texture_image.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/default_font.h"
#include "graphics/text/gdi_font.h"

namespace {

// A drawing step's code for a format with alpha the converters cannot write (13 in all).
constexpr std::int32_t kNoConverter = 9;

// One 8-bit channel placed into a mask of a pixel format.
DWORD PackChannel(std::uint8_t value, DWORD mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const DWORD top = mask >> shift;
    return ((static_cast<DWORD>(value) * top + 127) / 255) << shift;
}

// Writes a 32-bit top-down DIB section (colour and alpha) into locked texture memory.
bool WriteWithAlpha(Image& picture, std::uint8_t* bits, std::int32_t pitch, std::int32_t formatCode) {
    const std::int32_t w = picture.Width();
    const std::int32_t h = picture.Height();
    if (formatCode == kPixelFormatArgb32) {
        for (std::int32_t y = 0; y < h; ++y) std::memcpy(bits + y * pitch, picture.Row(y), static_cast<std::size_t>(w) * 4);
        return true;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const RECT rect = {0, 0, w, h};
    const POINT origin = {0, 0};
    if (formatCode == kPixelFormatArgb1555)
        return ConvertDibTo1555(bits, rect, pitch, &info, picture.Bits(), picture.Pitch(), origin) == 1;
    if (formatCode == kPixelFormatArgb4444)
        return ConvertDibTo4444(bits, rect, pitch, &info, picture.Bits(), picture.Pitch(), origin) == 1;
    return false;
}

}  // namespace

TextureText::TextureText(Direct3DDevice* device) {
    if (device) CurrentDirect3DDevice = device;
}

TextureText::~TextureText() = default;

void* TextureText::DeletingDestructor(std::uint32_t flags) {
    this->~TextureText();
    if (flags & xm::kDeleteMemory) ::operator delete(this);
    return this;
}

float TextureText::TexCoordU(std::int32_t x) const { return TextureCoordinate(x, m_width, m_textWidth); }
float TextureText::TexCoordV(std::int32_t y) const { return TextureCoordinate(y, m_height, m_textHeight); }

std::int32_t TextureText::SetText(std::int32_t formatCode, const char* text, Font* font) {
    if (!CurrentDirectDrawDevice || !text || !CurrentDirect3DDevice) return 1;
    FreeText();
    Free();
    const std::size_t length = std::strlen(text);
    m_text = new (std::nothrow) char[length + 1];
    if (!m_text) return 2;
    std::memcpy(m_text, text, length + 1);
    if (font) m_font = font;
    m_formatCode = formatCode;
    const std::int32_t result = Render();
    return result != 0 ? result + 2 : 0;
}

std::int32_t TextureText::Restore(bool onlyIfLost) {
    if (!m_surface) return 0;
    if (onlyIfLost && SUCCEEDED(m_surface->IsLost())) return 0;
    return Render() != 0 ? 1 : 0;
}

std::int32_t TextureText::Render() {
    std::int32_t result;
    try {
        result = RenderUnguarded();
    } catch (...) {
        result = 13;
    }
    if (result != 0) {
        FreeText();
        Free();
        m_textWidth = m_textHeight = 0;
    }
    return result;
}

std::int32_t TextureText::RenderUnguarded() {
    Font* font = m_font ? m_font : DefaultFont;
    if (!m_text || !font || (font->Kind() != kFontGdi && font->Kind() != kFontAntialias)) return 1;
    Direct3DDevice* device = CurrentDirect3DDevice;
    const DDPIXELFORMAT* format = device ? device->TextureFormatFor(m_formatCode) : nullptr;
    if (!format) return 2;
    const std::int32_t formatCode = m_formatCode;
    std::int32_t size[2] = {0, 0};
    std::int32_t ox = 0;
    std::int32_t oy = 0;
    font->TextExtent(m_text, size, &ox, &oy, true, nullptr);
    std::int32_t x = -ox;
    std::int32_t y = -oy;
    if (font->Kind() == kFontAntialias) {
        RECT box;
        font->GetRotatedTextBounds(&box, ox, oy, size[0], size[1]);
        size[0] = box.right - box.left;
        size[1] = box.bottom - box.top;
        x = -box.left;
        y = -box.top;
    }
    const TextureSize texture = TextureSizeFor(size[0], size[1], *device);
    const std::int32_t made = Create(texture.width, texture.height, false, true, format);
    if (made != 0) return made + 2;
    m_formatCode = formatCode;
    m_textWidth = size[0];
    m_textHeight = size[1];

    std::int32_t drawn;
    if (texture.tooLarge) {
        DirectDrawImage full;
        const std::int32_t fullMade = full.Create(size[0], size[1], false, true, format);
        if (fullMade != 0) return fullMade + 2;
        drawn = RenderInto(full.GetSurface(), size[0], size[1], font, x, y, *format);
        if (drawn == 0 && FAILED(m_surface->Blt(nullptr, full.GetSurface(), nullptr, DDBLT_WAIT, nullptr))) return 15;
    } else {
        drawn = RenderInto(m_surface, size[0], size[1], font, x, y, *format);
    }
    if (drawn != 0) return drawn + 4;

    const std::uint8_t r = font->background[0];
    const std::uint8_t g = font->background[1];
    const std::uint8_t b = font->background[2];
    const bool keyed = font->Kind() == kFontGdi ? static_cast<GdiFont*>(font)->backgroundMode == 1 : formatCode < 64;
    if (keyed) {
        if (SetColourKeyRgb(r, g, b) != 0) return 8 + 4;
    } else if (font->Kind() == kFontGdi) {
        ClearColourKey();
    }
    return 0;
}

std::int32_t TextureText::RenderInto(IDirectDrawSurface7* target, std::int32_t w, std::int32_t h, Font* font,
                                     std::int32_t x, std::int32_t y, const DDPIXELFORMAT& format) {
    const bool withAlpha = m_formatCode >= 64;
    const std::uint8_t r = font->background[0];
    const std::uint8_t g = font->background[1];
    const std::uint8_t b = font->background[2];
    const std::uint32_t backgroundValue = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    RECT rect;
    std::int32_t pen[2];
    auto copyByDc = [&](Image& picture) -> std::int32_t {
        HDC dc = nullptr;
        if (FAILED(target->GetDC(&dc))) return 3;
        BitBlt(dc, 0, 0, w, h, picture.MemoryDc(), 0, 0, SRCCOPY);
        if (FAILED(target->ReleaseDC(dc))) return 4;
        return 0;
    };
    auto writeLocked = [&](Image& picture) -> std::int32_t {
        DDSURFACEDESC2 locked = {};
        locked.dwSize = sizeof(locked);
        if (FAILED(target->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) return 6;
        const bool written =
            WriteWithAlpha(picture, static_cast<std::uint8_t*>(locked.lpSurface), locked.lPitch, m_formatCode);
        if (FAILED(target->Unlock(nullptr))) return 7;
        return written ? 0 : kNoConverter;
    };

    const bool gdiLevel0 = font->Kind() == kFontGdi && font->level == 0;
    if (!gdiLevel0) {
        Image picture;
        if (picture.Create(w, h, 32, kImageDibSection) != 0) return 1;
        if (withAlpha) {
            if (font->effect == 0) picture.FillValue(0, nullptr);
            if (font->DrawString(&picture, x, y, m_text, &rect, pen) != 0) return 2;
            GdiFlush();
            return writeLocked(picture);
        }
        picture.FillValue(backgroundValue, nullptr);
        std::int32_t blended;
        if (font->Kind() == kFontGdi) {
            auto* gdi = static_cast<GdiFont*>(font);
            const std::uint8_t mode = gdi->backgroundMode;
            gdi->SetBackground(0, r, g, b);
            blended = font->BlendString(&picture, x, y, m_text, &rect, pen);
            gdi->SetBackground(mode, r, g, b);
        } else {
            blended = font->BlendString(&picture, x, y, m_text, &rect, pen);
        }
        if (blended != 0) return 2;
        GdiFlush();
        return copyByDc(picture);
    }

    // GDI at level 0 draws on the texture itself. GDI clears the alpha of what it draws, so in a
    // format with alpha the background is laid opaque and the alpha bits are flipped after.
    auto* gdi = static_cast<GdiFont*>(font);
    DDBLTFX fx = {};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = PackChannel(r, format.dwRBitMask) | PackChannel(g, format.dwGBitMask) |
                     PackChannel(b, format.dwBBitMask) | (withAlpha ? format.dwRGBAlphaBitMask : 0);
    if (FAILED(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx))) return 5;
    HDC dc = nullptr;
    if (FAILED(target->GetDC(&dc))) return 3;
    const std::uint8_t mode = gdi->backgroundMode;
    gdi->SetBackground(1, 0, 0, 0);
    const std::int32_t drawn = gdi->DrawLines(dc, x, y, m_text);
    gdi->SetBackground(mode, r, g, b);
    if (FAILED(target->ReleaseDC(dc))) return 4;
    if (drawn != 0) return 2;
    if (!withAlpha) return 0;
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    if (FAILED(target->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) return 6;
    const RECT whole = {0, 0, w, h};
    InvertSurfaceMemory(kInvertAlpha, m_formatCode, static_cast<std::uint8_t*>(locked.lpSurface), locked.lPitch,
                        &whole, nullptr);
    if (FAILED(target->Unlock(nullptr))) return 7;
    return 0;
}
