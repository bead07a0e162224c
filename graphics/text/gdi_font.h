// GdiFont: lets GDI draw whole lines with TextOutA, onto a device context directly or, for
// BlendString and DrawString, into an 8-bit mask that is then laid into the picture. At a
// nonzero level the mask is drawn at four times the size and reduced, which smooths the text
// without glyph outlines. It keeps no glyph cache and has no "@" escapes.
#pragma once

#include <cstdint>

#include "graphics/text/font.h"

class GdiFont : public Font {
public:
    GdiFont() = default;
    ~GdiFont() override;

    FontKind Kind() override { return kFontGdi; }
    void ReleaseGdiObjects() override;
    std::int32_t SetFont(std::int32_t size, bool bold, std::uint8_t italic,
                         const char* face) override;
    std::int32_t CreateFont() override;
    std::int32_t SetFace(const char* face) override;
    std::int32_t SetSize(std::int32_t size) override;
    std::int32_t SetBold(bool bold, std::uint8_t italic) override;
    std::int32_t SetEscapement(std::int32_t angle) override;
    void SetLevel(std::uint8_t newLevel) override { level = newLevel; }
    std::int32_t TextExtent(const char* text, std::int32_t size[2], std::int32_t* offsetX,
                            std::int32_t* offsetY, bool withEffect, std::int32_t* count) override;
    std::int32_t BlendString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                             const char* text, RECT* rect, std::int32_t pen[2]) override;
    std::int32_t DrawString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                            const char* text, RECT* rect, std::int32_t pen[2]) override;

    std::int32_t SetOption(std::uint8_t underline, std::uint8_t strikeOut);
    std::int32_t SetOption2(std::uint8_t quality);
    void SetBackground(std::uint8_t mode, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    // Draws the text line by line with TextOutA at (x, y). 0; 1 without font or text.
    std::int32_t DrawLines(HDC target, std::int32_t x, std::int32_t y, const char* text);

    std::uint8_t backgroundMode = 1;

private:
    struct Mask;
    // The text measured (with effects) for (x, y), reported in rect and pen, and drawn into a
    // new mask; 0, 2 no buffer, 3 drawing failed.
    std::int32_t MakeMask(const char* text, std::int32_t x, std::int32_t y, Mask* mask,
                          RECT* rect, std::int32_t pen[2]);
    std::int32_t RedrawMask(const char* text, Mask* mask, std::uint8_t maskEffect);
    // A line's height: GDI answers 0 for an empty line, which would cut the lines after it off
    // the mask.
    std::int32_t LineHeight(const char* line, std::int32_t length, SIZE* size);
};
