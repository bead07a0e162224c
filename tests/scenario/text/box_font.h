// A font of fixed metrics for layout tests: a two-byte character is `size` wide, any other
// character half of it, every character `size` high; drawing fills each character's cell with
// the font's colour at full alpha. Layouts and reveals are then checked in pixels that are ours
// to decide, never in a face's glyphs.
#pragma once

#include <cstdint>
#include <cstring>

#include "graphics/image/pixel_buffer.h"
#include "graphics/text/font.h"
#include "graphics/text/text_syntax.h"

namespace texttest {

class BoxFont : public Font {
public:
    explicit BoxFont(std::int32_t size = 16) { logFont.lfHeight = -size; }

    FontKind Kind() override { return kFontGdi; }
    void ReleaseGdiObjects() override {}
    std::int32_t SetFont(std::int32_t size, bool, std::uint8_t, const char* face) override {
        logFont.lfHeight = -size;
        if (face != nullptr) CopyFaceName(logFont.lfFaceName, face);
        return 0;
    }
    std::int32_t CreateFont() override { return 0; }
    std::int32_t SetFace(const char* face) override {
        CopyFaceName(logFont.lfFaceName, face);
        return 0;
    }
    std::int32_t SetSize(std::int32_t size) override {
        logFont.lfHeight = -size;
        return 0;
    }
    std::int32_t SetBold(bool, std::uint8_t) override { return 0; }
    std::int32_t SetEscapement(std::int32_t angle) override {
        logFont.lfEscapement = angle;
        return 0;
    }
    void SetLevel(std::uint8_t value) override { level = value; }
    std::int32_t TextExtent(const char* text, std::int32_t size[2], std::int32_t* offsetX,
                            std::int32_t* offsetY, bool, std::int32_t* count) override {
        std::int32_t width = 0;
        std::int32_t n = 0;
        for (const char* cursor = text; *cursor != 0;) {
            width += Advance(NextTextToken(&cursor));
            ++n;
        }
        size[0] = width;
        size[1] = Size();
        if (offsetX) *offsetX = 0;
        if (offsetY) *offsetY = 0;
        if (count) *count = n;
        return 1;
    }
    std::int32_t BlendString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                             const char* text, RECT* rect, std::int32_t pen[2]) override {
        const std::uint32_t pixel =
            0xFF000000u | (colour[0] << 16) | (colour[1] << 8) | colour[2];
        const bool vertical = logFont.lfEscapement == 2700;
        std::int32_t at = 0;
        for (const char* cursor = text; *cursor != 0;) {
            const std::int32_t advance = Advance(NextTextToken(&cursor));
            if (vertical) {
                Fill(target, x - Size(), y + at, Size(), advance, pixel);
            } else {
                Fill(target, x + at, y, advance, Size(), pixel);
            }
            at += advance;
        }
        if (rect) {
            *rect = vertical ? RECT{x - Size(), y, x, y + at} : RECT{x, y, x + at, y + Size()};
        }
        if (pen) {
            pen[0] = vertical ? x : x + at;
            pen[1] = vertical ? y + at : y;
        }
        return 0;
    }
    std::int32_t DrawString(PixelBuffer* target, std::int32_t x, std::int32_t y, const char* text,
                            RECT* rect, std::int32_t pen[2]) override {
        return BlendString(target, x, y, text, rect, pen);
    }

    std::int32_t Size() const { return logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight; }

private:
    std::int32_t Advance(const TextToken& token) const {
        return token.kind == TextTokenKind::Character && token.code > 0xFF ? Size() : Size() / 2;
    }
    static void Fill(PixelBuffer* target, std::int32_t x, std::int32_t y, std::int32_t w,
                     std::int32_t h, std::uint32_t pixel) {
        for (std::int32_t j = y; j < y + h; ++j) {
            if (j < 0 || j >= target->Height()) continue;
            auto* row = reinterpret_cast<std::uint32_t*>(target->Row(j));
            for (std::int32_t i = x; i < x + w; ++i) {
                if (i >= 0 && i < target->Width()) row[i] = pixel;
            }
        }
    }
};

}  // namespace texttest
