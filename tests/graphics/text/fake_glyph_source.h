// A glyph source of made-up shapes for font tests: each character is a grid of grey values
// (0..64) with an origin and an advance; GDI's three formats and its magnified 1-bit fallback
// are derived from it, and any format can be made to fail per character.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "graphics/text/glyph_source.h"

namespace texttest {

struct Shape {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t originX = 0;  // GDI's gmptGlyphOrigin, y upwards from the baseline
    std::int32_t originY = 0;
    std::int32_t advance = 10;
    std::vector<std::uint8_t> grey;  // width * height values 0..64
};

class FakeGlyphSource final : public GlyphSource {
public:
    std::map<std::uint32_t, Shape> shapes;
    std::set<std::uint32_t> failGrey;
    std::set<std::uint32_t> failMono;
    // Every query: (format, magnification); and every character asked for.
    std::vector<std::pair<UINT, int>> queries;
    std::set<std::uint32_t> asked;

    void Solid(std::uint32_t code, std::int32_t w, std::int32_t h, std::uint8_t value = 64,
               std::int32_t advance = 10) {
        Shape s;
        s.width = w;
        s.height = h;
        s.originY = h;
        s.advance = advance;
        s.grey.assign(w * h, value);
        shapes[code] = s;
    }

    DWORD GlyphOutline(HDC, UINT code, UINT format, GLYPHMETRICS* gm, DWORD size, void* buffer,
                       const MAT2* matrix) override {
        const int scale = matrix->eM11.value;
        queries.push_back({format, scale});
        asked.insert(code);
        const bool mono = format == GGO_BITMAP;
        if ((mono ? failMono : failGrey).count(code)) {
            return GDI_ERROR;
        }
        const Shape& s = shapes[code];
        *gm = GLYPHMETRICS{};
        if (s.height == 0) {
            gm->gmBlackBoxX = gm->gmBlackBoxY = 1;
            return 0;
        }
        const std::int32_t w = s.width * scale;
        const std::int32_t h = s.height * scale;
        gm->gmBlackBoxX = w;
        gm->gmBlackBoxY = h;
        gm->gmptGlyphOrigin.x = s.originX * scale;
        gm->gmptGlyphOrigin.y = s.originY * scale;
        const std::int32_t pitch = mono ? ((w + 31) / 32) * 4 : (w + 3) & ~3;
        const DWORD need = static_cast<DWORD>(pitch * h);
        if (size == 0) {
            return need;
        }
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::int32_t r = 0; r < h; ++r) {
            for (std::int32_t c = 0; c < w; ++c) {
                const std::uint8_t v = s.grey[(r / scale) * s.width + c / scale];
                if (mono) {
                    if (v >= 32) {
                        out[r * pitch + (c >> 3)] |= static_cast<std::uint8_t>(0x80 >> (c & 7));
                    }
                } else {
                    out[r * pitch + c] = format == GGO_GRAY4_BITMAP ? v / 4 : v;
                }
            }
        }
        return need;
    }

    BOOL TextExtent(HDC, const char* text, int length, SIZE* size) override {
        std::uint32_t code = static_cast<std::uint8_t>(text[0]);
        if (length == 2) {
            code = (code << 8) | static_cast<std::uint8_t>(text[1]);
        }
        asked.insert(code);
        size->cx = shapes.count(code) ? shapes[code].advance : 10;
        size->cy = 16;
        return TRUE;
    }
};

}  // namespace texttest
