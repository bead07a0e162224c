// Text drawn into software images: an image made to the size of a string, and the three ways
// of drawing a string into an existing image with its dirty-rectangle bookkeeping.
#include <windows.h>

#include "graphics/image/image.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/default_font.h"
#include "graphics/text/gdi_font.h"

namespace {

Font* FontOrDefault(Font* font) { return font ? font : DefaultFont; }
bool Empty(const char* text) { return !text || !*text; }

std::uint32_t BackgroundValue(const Font& font) {
    return (static_cast<std::uint32_t>(font.background[0]) << 16) | (font.background[1] << 8) | font.background[2];
}

}  // namespace

std::int32_t Image::CreateFromText(const char* text, Font* font, std::uint8_t flags) {
    if (Empty(text)) return 1;
    font = FontOrDefault(font);
    if (!font) return 2;
    if (font->Kind() != kFontGdi && font->Kind() != kFontAntialias) return 5;
    std::int32_t size[2] = {0, 0};
    std::int32_t ox = 0;
    std::int32_t oy = 0;
    font->TextExtent(text, size, &ox, &oy, true, nullptr);
    const std::uint8_t r = font->background[0];
    const std::uint8_t g = font->background[1];
    const std::uint8_t b = font->background[2];

    if (font->Kind() == kFontGdi) {
        auto* gdi = static_cast<GdiFont*>(font);
        if (Create(size[0], size[1], 32, flags) != 0) return 3;
        std::int32_t drawn;
        if (font->level != 0) {
            SetHasAlpha(true);
            drawn = font->DrawString(this, -ox, -oy, text, nullptr, nullptr);
        } else {
            FillValue(BackgroundValue(*font), nullptr);
            const std::uint8_t mode = gdi->backgroundMode;
            gdi->SetBackground(1, 0, 0, 0);
            drawn = MemoryDc() ? DrawTextGdi(-ox, -oy, text, font) : DrawText(-ox, -oy, text, font);
            gdi->SetBackground(mode, r, g, b);
            if (drawn == 0 && mode == 1) SetColourKeyRgb(r, g, b);
        }
        if (drawn != 0) {
            Free();
            return 4;
        }
        return 0;
    }

    RECT box;
    font->GetRotatedTextBounds(&box, ox, oy, size[0], size[1]);
    if (Create(box.right - box.left, box.bottom - box.top, 32, flags) != 0) return 3;
    std::int32_t drawn;
    if (font->level != 0) {
        if (font->effect == 0) FillValue(0, nullptr);
        drawn = font->DrawString(this, -box.left, -box.top, text, nullptr, nullptr);
        SetHasAlpha(true);
    } else {
        FillValue(BackgroundValue(*font), nullptr);
        drawn = DrawText(-box.left, -box.top, text, font);
        if (drawn == 0) SetColourKeyRgb(r, g, b);
    }
    if (drawn != 0) {
        Free();
        return 4;
    }
    return 0;
}

std::int32_t Image::DrawTextGdi(std::int32_t x, std::int32_t y, const char* text, Font* font) {
    if (!MemoryDc() || Empty(text)) return 1;
    font = FontOrDefault(font);
    if (!font || font->Kind() != kFontGdi) return 2;
    std::int32_t size[2] = {0, 0};
    std::int32_t ox = 0;
    std::int32_t oy = 0;
    if (font->TextExtent(text, size, &ox, &oy, true, nullptr) <= 0) return 4;
    if (static_cast<GdiFont*>(font)->DrawLines(MemoryDc(), x, y, text) != 0) return 3;
    // The pixels are read straight from the section next.
    GdiFlush();
    RECT changed;
    font->GetRotatedTextBounds(&changed, ox, oy, size[0], size[1]);
    OffsetRect(&changed, x, y);
    if (ClipToClipRect(&changed)) MarkChanged(changed);
    return 0;
}

std::int32_t Image::DrawText(std::int32_t x, std::int32_t y, const char* text, Font* font) {
    if (!Bits() || Empty(text)) return 1;
    font = FontOrDefault(font);
    if (!font) return 2;
    RECT changed = {0, 0, 0, 0};
    std::int32_t pen[2] = {0, 0};
    const std::int32_t result = font->BlendString(this, x, y, text, &changed, pen);
    if (result != 0) return result + 2;
    if (ClipToClipRect(&changed)) MarkChanged(changed);
    return 0;
}

std::int32_t Image::DrawTextAntialias(std::int32_t x, std::int32_t y, const char* text, Font* font) {
    if (!Bits() || Empty(text)) return 1;
    font = FontOrDefault(font);
    if (!font || font->Kind() != kFontAntialias) return 2;
    RECT changed = {0, 0, 0, 0};
    std::int32_t pen[2] = {0, 0};
    const std::int32_t result = static_cast<AntialiasFont*>(font)->DrawText(this, x, y, text, &changed, pen);
    if (result != 0) return result + 2;
    if (ClipToClipRect(&changed)) MarkChanged(changed);
    return 0;
}
