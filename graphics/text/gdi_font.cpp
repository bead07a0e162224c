#include "graphics/text/gdi_font.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/image/pixel_buffer.h"
#include "graphics/image/plane_kernels.h"
#include "graphics/text/glyph_draw.h"
#include "graphics/text/glyph_maths.h"
#include "graphics/text/text_syntax.h"

namespace {

// Calls f(start, length) for each "\n"-separated line, measured in place (script lines are
// longer than any fixed buffer); a lead byte before the terminator ends the text.
template <typename F>
void ForEachLine(const char* text, F f) {
    const char* start = text;
    const char* cursor = text;
    for (;;) {
        const char* before = cursor;
        const TextToken token = NextTextToken(&cursor, false);
        if (token.kind == TextTokenKind::End) {
            f(start, static_cast<int>(before - start));
            return;
        }
        if (token.kind == TextTokenKind::LineBreak) {
            f(start, static_cast<int>(before - start));
            start = cursor;
        }
    }
}

// The mask as a glyph, to reuse the glyph primitives.
Glyph MaskGlyph(PixelBuffer& mask, std::int32_t width, std::int32_t height) {
    Glyph g;
    g.bits = mask.Bits();
    g.pitch = mask.Pitch();
    g.width = width;
    g.height = height;
    return g;
}

// The soft one-pixel outline of the text in a mask: the mask's inner (w - 2) x (h - 2) spread
// over the whole w x h, into new bits the caller frees.
bool MaskOutline(const Glyph& mask, Glyph* outline) {
    *outline = mask;
    outline->width = std::max(mask.width - 2, 1);
    outline->height = std::max(mask.height - 2, 1);
    outline->bits = new (std::nothrow) std::uint8_t[mask.pitch * outline->height];
    if (outline->bits == nullptr) {
        return false;
    }
    std::memcpy(outline->bits, mask.bits, mask.pitch * outline->height);
    if (!SoftOutline(*outline, 512, 1, 6553)) {
        delete[] outline->bits;
        return false;
    }
    return true;
}

COLORREF Colour(const std::uint8_t rgb[3]) {
    return RGB(rgb[0], rgb[1], rgb[2]);
}

}  // namespace

struct GdiFont::Mask {
    PixelBuffer buffer;
    std::int32_t width = 0;   // measured size
    std::int32_t height = 0;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::int32_t scale = 1;
    RECT box{0, 0, 0, 0};  // where the measured text lies in the target
};

GdiFont::~GdiFont() {
    ReleaseGdiObjects();
}

void GdiFont::ReleaseGdiObjects() {
    ReleaseMainFont();
}

std::int32_t GdiFont::CreateFont() {
    const std::int32_t code = CreateSelected(logFont, &font, &dc);
    if (code != 0) {
        ReleaseGdiObjects();
    }
    return code;
}

std::int32_t GdiFont::SetFont(std::int32_t size, bool bold, std::uint8_t italic,
                              const char* face) {
    if (face != nullptr) {
        CopyFaceName(logFont.lfFaceName, face);
    }
    logFont.lfHeight = -std::abs(size);
    logFont.lfItalic = italic;
    logFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return CreateFont();
}

std::int32_t GdiFont::SetFace(const char* face) {
    if (face == nullptr) {
        return 2;
    }
    return AdoptFace(face) ? CreateFont() : 0;
}

std::int32_t GdiFont::SetSize(std::int32_t size) {
    if (logFont.lfHeight == -std::abs(size)) {
        return 0;
    }
    logFont.lfHeight = -std::abs(size);
    return CreateFont();
}

std::int32_t GdiFont::SetBold(bool bold, std::uint8_t italic) {
    logFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = italic;
    return CreateFont();
}

std::int32_t GdiFont::SetEscapement(std::int32_t angle) {
    if (logFont.lfEscapement == angle) {
        return 0;
    }
    logFont.lfEscapement = angle;
    logFont.lfOrientation = angle;
    return CreateFont();
}

std::int32_t GdiFont::SetOption(std::uint8_t underline, std::uint8_t strikeOut) {
    logFont.lfUnderline = underline;
    logFont.lfStrikeOut = strikeOut;
    return CreateFont();
}

std::int32_t GdiFont::SetOption2(std::uint8_t quality) {
    logFont.lfQuality = quality;
    return CreateFont();
}

void GdiFont::SetBackground(std::uint8_t mode, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    backgroundMode = mode;
    background[0] = r;
    background[1] = g;
    background[2] = b;
}

std::int32_t GdiFont::LineHeight(const char* line, std::int32_t length, SIZE* size) {
    *size = SIZE{0, 0};
    GetTextExtentPoint32A(dc, line, length, size);
    if (length == 0 || size->cy == 0) {
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        size->cy = metrics.tmHeight;
    }
    return size->cy;
}

std::int32_t GdiFont::TextExtent(const char* text, std::int32_t size[2], std::int32_t* offsetX,
                                 std::int32_t* offsetY, bool withEffect, std::int32_t* count) {
    if (text == nullptr || dc == nullptr) {
        return 0;
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t lines = 0;
    ForEachLine(text, [&](const char* line, int length) {
        SIZE extent;
        height += LineHeight(line, length, &extent) + (lines > 0 ? lineSpacing : 0);
        width = std::max<std::int32_t>(width, extent.cx);
        ++lines;
    });
    if (logFont.lfItalic) {
        width += CellHeight() / 3;
    }
    std::int32_t ox = 0;
    std::int32_t oy = 0;
    if (withEffect && effect == 1) {
        width += std::abs(effectOffsetX);
        height += std::abs(effectOffsetY);
        ox = std::min(effectOffsetX, 0);
        oy = std::min(effectOffsetY, 0);
    } else if (withEffect && effect == 2) {
        width += 2;
        height += 2;
        ox = oy = -1;
    }
    size[0] = width;
    size[1] = height;
    if (offsetX != nullptr) {
        *offsetX = ox;
    }
    if (offsetY != nullptr) {
        *offsetY = oy;
    }
    if (count != nullptr) {
        std::int32_t chars = 0;
        const char* cursor = text;
        for (TextToken t; (t = NextTextToken(&cursor, false)).kind != TextTokenKind::End;) {
            chars += t.kind == TextTokenKind::Character ? 1 : 0;
        }
        *count = chars;
    }
    return lines;
}

std::int32_t GdiFont::DrawLines(HDC target, std::int32_t x, std::int32_t y, const char* text) {
    if (font == nullptr || text == nullptr) {
        return 1;
    }
    HGDIOBJ previous = SelectObject(target, font);
    HBRUSH brush = nullptr;
    if (backgroundMode == 1 || (effect != 0 && logFont.lfEscapement != 0)) {
        SetBkMode(target, TRANSPARENT);
    } else if (effect != 0) {
        brush = CreateSolidBrush(Colour(background));
        SetBkMode(target, TRANSPARENT);
    } else {
        SetBkMode(target, OPAQUE);
        SetBkColor(target, Colour(background));
    }
    std::int32_t stepX = 0;
    std::int32_t stepY = 0;
    LineStep(&stepX, &stepY);
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    ShadowOffset(true, &dx, &dy);
    ForEachLine(text, [&](const char* line, int length) {
        if (brush != nullptr) {
            SIZE extent;
            LineHeight(line, length, &extent);
            RECT box{x, y, x + extent.cx, y + extent.cy};
            if (effect == 1) {
                (dx < 0 ? box.left : box.right) += dx;
                (dy < 0 ? box.top : box.bottom) += dy;
            } else {
                InflateRect(&box, 1, 1);
            }
            if (logFont.lfItalic) {
                box.right += CellHeight() / 3;
            }
            FillRect(target, &box, brush);
        }
        if (effect != 0) {
            SetTextColor(target, Colour(effectColour));
            if (effect == 1) {
                TextOutA(target, x + dx, y + dy, line, length);
            } else {
                static const int kAround[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                                  {0, 1},   {1, -1}, {1, 0},  {1, 1}};
                for (const auto& o : kAround) {
                    TextOutA(target, x + o[0], y + o[1], line, length);
                }
            }
        }
        SetTextColor(target, Colour(colour));
        TextOutA(target, x, y, line, length);
        x += stepX;
        y += stepY;
    });
    if (brush != nullptr) {
        DeleteObject(brush);
    }
    SelectObject(target, previous);
    return 0;
}

std::int32_t GdiFont::RedrawMask(const char* text, Mask* mask, std::uint8_t maskEffect) {
    GdiFont painter;
    painter.logFont = logFont;
    painter.logFont.lfHeight = logFont.lfHeight * mask->scale;
    painter.lineSpacing = lineSpacing * mask->scale;
    const std::uint8_t ink = mask->scale == 1 ? 255 : 15;
    std::memset(painter.colour, ink, 3);
    std::memset(painter.effectColour, ink, 3);
    painter.effect = maskEffect;
    painter.effectOffsetX = effectOffsetX * mask->scale;
    painter.effectOffsetY = effectOffsetY * mask->scale;
    if (painter.CreateFont() != 0) {
        return 3;
    }
    PixelBuffer& b = mask->buffer;
    std::memset(b.Bits(), 0, static_cast<std::size_t>(b.Pitch()) * b.Height());
    const bool shifted = maskEffect != 0;
    if (painter.DrawLines(b.MemoryDc(), shifted ? -mask->offsetX * mask->scale : 0,
                          shifted ? -mask->offsetY * mask->scale : 0, text) != 0) {
        return 3;
    }
    GdiFlush();
    if (mask->scale != 1) {
        ReducePlane4x4(b.Bits(), b.Pitch(), mask->width, mask->height);
    }
    return 0;
}

std::int32_t GdiFont::MakeMask(const char* text, std::int32_t x, std::int32_t y, Mask* mask,
                              RECT* rect, std::int32_t pen[2]) {
    std::int32_t size[2] = {0, 0};
    TextExtent(text, size, &mask->offsetX, &mask->offsetY, true, nullptr);
    mask->width = std::max(size[0], 1);
    mask->height = std::max(size[1], 1);
    mask->scale = level != 0 ? 4 : 1;
    if (mask->buffer.Create(mask->width * mask->scale, mask->height * mask->scale, 8, true) != 0) {
        return 2;
    }
    mask->box = {x + mask->offsetX, y + mask->offsetY, x + mask->offsetX + mask->width,
                 y + mask->offsetY + mask->height};
    if (rect != nullptr) {
        *rect = mask->box;
    }
    if (pen != nullptr) {
        pen[0] = mask->box.right;
        pen[1] = y;
    }
    return RedrawMask(text, mask, level == 0 && effect == 2 ? 2 : 0);
}

std::int32_t GdiFont::BlendString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                                  const char* text, RECT* rect, std::int32_t pen[2]) {
    if (font == nullptr || target == nullptr || target->Bits() == nullptr || text == nullptr) {
        return 1;
    }
    Mask mask;
    if (const std::int32_t code = MakeMask(text, x, y, &mask, rect, pen)) {
        return code;
    }
    const RECT& box = mask.box;
    if (backgroundMode == 0) {
        target->FillRect(background[0], background[1], background[2], &box, nullptr);
    }
    Glyph glyph = MaskGlyph(mask.buffer, mask.width, mask.height);
    if (level != 0) {
        if (effect == 2) {
            Glyph outline;
            if (!MaskOutline(glyph, &outline)) {
                return 2;
            }
            DrawGlyphCoverage(*target, box.left, box.top, outline, EffectColourValue());
            delete[] outline.bits;
        } else if (effect == 1) {
            DrawGlyphCoverage(*target, x + effectOffsetX, y + effectOffsetY, glyph,
                              EffectColourValue());
        }
        DrawGlyphCoverage(*target, x, y, glyph, ColourValue());
        return 0;
    }
    if (effect == 2) {
        DrawGlyphThreshold(*target, box.left, box.top, glyph, EffectColourValue());
        if (RedrawMask(text, &mask, 0) != 0) {
            return 3;
        }
    } else if (effect == 1) {
        DrawGlyphThreshold(*target, x + effectOffsetX, y + effectOffsetY, glyph,
                           EffectColourValue());
    }
    DrawGlyphThreshold(*target, x, y, glyph, ColourValue());
    return 0;
}

std::int32_t GdiFont::DrawString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                                 const char* text, RECT* rect, std::int32_t pen[2]) {
    if (font == nullptr || target == nullptr || target->Bits() == nullptr ||
        target->Depth() != 32 || text == nullptr) {
        return 1;
    }
    Mask mask;
    if (const std::int32_t code = MakeMask(text, x, y, &mask, rect, pen)) {
        return code;
    }
    const RECT& box = mask.box;
    Glyph glyph = MaskGlyph(mask.buffer, mask.width, mask.height);
    const std::uint8_t* fill = effect == 2 ? effectColour : colour;
    target->FillRect(fill[0], fill[1], fill[2], &box, nullptr);
    if (effect == 0) {
        GlyphToAlpha(*target, box.left, box.top, glyph, false);
        return 0;
    }
    if (effect == 1) {
        PaintGlyphColour(*target, x + effectOffsetX, y + effectOffsetY, glyph,
                         EffectColourValue());
        DrawGlyphCoverage(*target, x, y, glyph, ColourValue());
        if (RedrawMask(text, &mask, 1) != 0) {
            return 3;
        }
        GlyphToAlpha(*target, box.left, box.top, glyph, false);
        return 0;
    }
    DrawGlyphCoverage(*target, x, y, glyph, ColourValue());
    if (level != 0) {
        Glyph outline;
        if (!MaskOutline(glyph, &outline)) {
            return 3;
        }
        GlyphToAlpha(*target, box.left, box.top, outline, false);
        delete[] outline.bits;
        return 0;
    }
    if (RedrawMask(text, &mask, 2) != 0) {
        return 3;
    }
    GlyphToAlpha(*target, box.left, box.top, glyph, false);
    return 0;
}
