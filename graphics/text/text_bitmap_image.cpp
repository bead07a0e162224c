#include "graphics/text/text_bitmap_image.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "graphics/device/direct_draw_device.h"
#include "graphics/image/image.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/default_font.h"
#include "graphics/text/gdi_font.h"

TextBitmapImage::TextBitmapImage(Font* font, DirectDrawDevice* device) : DirectDrawImage(device) {
    if (font) DefaultFont = font;
}

TextBitmapImage::~TextBitmapImage() { FreeText(); }

void* TextBitmapImage::DeletingDestructor(std::uint32_t flags) {
    this->~TextBitmapImage();
    if (flags & xm::kDeleteMemory) ::operator delete(this);
    return this;
}

void TextBitmapImage::FreeText() {
    delete[] m_text;
    m_text = nullptr;
}

void TextBitmapImage::ForgetFont(const Font* font) {
    if (font && m_font == font) m_font = nullptr;
}

std::int32_t TextBitmapImage::SetColourKeyRgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
    const std::int32_t result = DirectDrawImage::SetColourKeyRgb(red, green, blue);
    if (result == 0) m_keyColour = ((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF);
    return result;
}

std::int32_t TextBitmapImage::SetColourKeyFromPixel(std::int32_t x, std::int32_t y) {
    const std::int32_t result = DirectDrawImage::SetColourKeyFromPixel(x, y);
    if (result == 0) m_keyColour = -1;
    return result;
}

std::int32_t TextBitmapImage::ClearColourKey() {
    if (m_keyValue == -1 && m_keyColour == -1) return 0;
    const std::int32_t result = DirectDrawImage::ClearColourKey();
    if (result == 0) m_keyColour = -1;
    return result;
}

std::int32_t TextBitmapImage::SetText(const char* text, Font* font) {
    if (!CurrentDirectDrawDevice || !text) return 1;
    FreeText();
    Free();
    const std::size_t length = std::strlen(text);
    m_text = new (std::nothrow) char[length + 1];
    if (!m_text) return 2;
    std::memcpy(m_text, text, length + 1);
    if (font) m_font = font;
    const std::int32_t result = Render();
    if (result != 0) return result + 2;
    return 0;
}

std::int32_t TextBitmapImage::MakeSurface(std::int32_t width, std::int32_t height) {
    const std::int32_t result = Create(width, height, false, false, nullptr);
    if (result == 0) return 0;
    return result == 1 ? 1 : 2;
}

std::int32_t TextBitmapImage::CopyThroughDc(Image& picture) {
    HDC dc = nullptr;
    if (FAILED(m_surface->GetDC(&dc))) return 3;
    BitBlt(dc, 0, 0, picture.Width(), picture.Height(), picture.MemoryDc(), 0, 0, SRCCOPY);
    if (FAILED(m_surface->ReleaseDC(dc))) return 4;
    return 0;
}

std::int32_t TextBitmapImage::Render() {
    Font* font = m_font ? m_font : DefaultFont;
    std::int32_t result;
    try {
        result = RenderUnguarded(font);
    } catch (...) {
        result = 11;
    }
    if (result != 0) {
        FreeText();
        Free();
    }
    return result;
}

// Drawing steps, answered + 3 by Render: 1 no DIB section, 2 drawing failed, 3 no device
// context, 4 it cannot be given back, 5 the fill failed, 6 the key cannot be set, 7 nor cleared.
std::int32_t TextBitmapImage::RenderUnguarded(Font* font) {
    if (!m_text || !font || (font->Kind() != kFontGdi && font->Kind() != kFontAntialias)) return 3;
    std::int32_t size[2] = {0, 0};
    std::int32_t ox = 0;
    std::int32_t oy = 0;
    font->TextExtent(m_text, size, &ox, &oy, true, nullptr);
    const std::uint8_t r = font->background[0];
    const std::uint8_t g = font->background[1];
    const std::uint8_t b = font->background[2];
    const std::uint32_t backgroundValue = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;

    if (font->Kind() == kFontAntialias) {
        RECT box;
        font->GetRotatedTextBounds(&box, ox, oy, size[0], size[1]);
        const std::int32_t made = MakeSurface(box.right - box.left, box.bottom - box.top);
        if (made != 0) return made;
        Image picture;
        if (picture.Create(Width(), Height(), 32, kImageDibSection) != 0) return 1 + 3;
        picture.FillValue(backgroundValue, nullptr);
        RECT rect;
        std::int32_t pen[2];
        if (font->BlendString(&picture, -box.left, -box.top, m_text, &rect, pen) != 0) return 2 + 3;
        GdiFlush();
        const std::int32_t copied = CopyThroughDc(picture);
        if (copied != 0) return copied + 3;
        if (SetColourKeyRgb(r, g, b) != 0) return 6 + 3;
        return 0;
    }

    auto* gdi = static_cast<GdiFont*>(font);
    const std::int32_t made = MakeSurface(size[0], size[1]);
    if (made != 0) return made;
    const std::uint8_t mode = gdi->backgroundMode;
    if (font->level != 0) {
        Image picture;
        if (picture.Create(Width(), Height(), 32, kImageDibSection) != 0) return 1 + 3;
        gdi->SetBackground(0, r, g, b);
        RECT rect;
        std::int32_t pen[2];
        const std::int32_t drawn = font->BlendString(&picture, -ox, -oy, m_text, &rect, pen);
        gdi->SetBackground(mode, r, g, b);
        if (drawn != 0) return 2 + 3;
        GdiFlush();
        const std::int32_t copied = CopyThroughDc(picture);
        if (copied != 0) return copied + 3;
    } else {
        if (FillColour(r, g, b) != 0) return 5 + 3;
        // The text is rebuilt from the string, never refilled.
        m_fillColour = -1;
        HDC dc = nullptr;
        if (FAILED(m_surface->GetDC(&dc))) return 3 + 3;
        gdi->SetBackground(1, 0, 0, 0);
        const std::int32_t drawn = gdi->DrawLines(dc, -ox, -oy, m_text);
        gdi->SetBackground(mode, r, g, b);
        if (FAILED(m_surface->ReleaseDC(dc))) return 4 + 3;
        if (drawn != 0) return 2 + 3;
    }
    if (mode == 1) {
        if (SetColourKeyRgb(r, g, b) != 0) return 6 + 3;
    } else if (ClearColourKey() != 0) {
        return 7 + 3;
    }
    return 0;
}

std::int32_t TextBitmapImage::Restore(bool onlyIfLost) {
    if (!m_surface) return 0;
    if (onlyIfLost && SUCCEEDED(m_surface->IsLost())) return 0;
    const std::int32_t keyColour = m_keyColour;
    const std::int32_t keyX = m_keyPixelX;
    const std::int32_t keyY = m_keyPixelY;
    const bool keyed = m_keyValue != -1;
    if (Render() != 0) return 1;
    if (keyColour != -1) {
        if (SetColourKeyRgb((keyColour >> 16) & 0xFF, (keyColour >> 8) & 0xFF, keyColour & 0xFF) != 0) return 5;
    } else if (keyed && keyX != -1) {
        if (SetColourKeyFromPixel(keyX, keyY) != 0) return 6;
    } else if (!keyed) {
        // A key cleared before the loss stays cleared: rendering alone would key the background.
        if (ClearColourKey() != 0) return 5;
    }
    return 0;
}
