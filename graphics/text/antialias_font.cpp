#include "graphics/text/antialias_font.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/image/image.h"
#include "graphics/text/glyph_maths.h"
#include "graphics/text/glyph_source.h"
#include "graphics/text/picture_glyph_set.h"
#include "graphics/text/text_syntax.h"

namespace {

class RealGlyphSource final : public GlyphSource {
public:
    DWORD GlyphOutline(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD size,
                       void* buffer, const MAT2* matrix) override {
        return GetGlyphOutlineA(dc, code, format, metrics, size, buffer, matrix);
    }
    BOOL TextExtent(HDC dc, const char* text, int length, SIZE* size) override {
        return GetTextExtentPoint32A(dc, text, length, size);
    }
};

std::int32_t Shift16(std::int64_t v) {
    return static_cast<std::int32_t>(v >> 16);
}

// The one or two bytes of a character code.
int CodeBytes(std::uint32_t code, char bytes[2]) {
    if (code > 0xFF) {
        bytes[0] = static_cast<char>(code >> 8);
        bytes[1] = static_cast<char>(code);
        return 2;
    }
    bytes[0] = static_cast<char>(code);
    return 1;
}

}  // namespace

GlyphSource& GdiGlyphSource() {
    static RealGlyphSource source;
    return source;
}

AntialiasFont::AntialiasFont() : m_source(&GdiGlyphSource()) {}

AntialiasFont::~AntialiasFont() {
    delete m_pictures;
    ReleaseGdiObjects();
    m_gradient.Free();
    m_cache.Flush();
}

void AntialiasFont::ReleaseRegularFont() {
    if (regularDc != nullptr) {
        DeleteDC(regularDc);
        regularDc = nullptr;
    }
    if (regularFont != nullptr) {
        DeleteObject(regularFont);
        regularFont = nullptr;
    }
}

void AntialiasFont::ReleaseGdiObjects() {
    ReleaseRegularFont();
    ReleaseMainFont();
}

std::int32_t AntialiasFont::CreateFont() {
    if (logFont.lfWeight == FW_BOLD) {
        LOGFONTA regular = logFont;
        regular.lfWeight = FW_NORMAL;
        if (const std::int32_t code = CreateSelected(regular, &regularFont, &regularDc)) {
            ReleaseGdiObjects();
            return code;
        }
    } else {
        ReleaseRegularFont();
    }
    if (const std::int32_t code = CreateSelected(logFont, &font, &dc)) {
        ReleaseGdiObjects();
        return code == 1 ? 2 : code;
    }
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    std::int32_t ascent = metrics.tmAscent;
    OUTLINETEXTMETRICA outline{};
    if (metrics.tmInternalLeading > 0 && GetOutlineTextMetricsA(dc, sizeof(outline), &outline)) {
        ascent = outline.otmAscent;
    }
    std::int32_t c = 0;
    const std::int32_t k = AngleIndex(logFont.lfOrientation);
    if (k != 0 && TableCos(k + 128, &c)) {
        std::int32_t cosK = 0;
        TableCos(k, &cosK);
        baselineX = -Shift16(static_cast<std::int64_t>(ascent) * c);
        baselineY = Shift16(static_cast<std::int64_t>(ascent) * cosK);
    } else {
        baselineX = 0;
        baselineY = ascent;
    }
    return 0;
}

std::int32_t AntialiasFont::SetFont(std::int32_t size, bool bold, std::uint8_t italic,
                                    const char* face) {
    if (face != nullptr) {
        m_cache.Flush();
        CopyFaceName(logFont.lfFaceName, face);
    }
    const std::int32_t height = -std::abs(size);
    if (logFont.lfHeight != height) {
        logFont.lfHeight = height;
        if (gradientEnabled) {
            SetGradient(true, gradientTop, gradientBottom, true);
        }
    }
    logFont.lfItalic = italic;
    logFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return CreateFont();
}

std::int32_t AntialiasFont::SetFace(const char* face) {
    if (face == nullptr) {
        return 3;
    }
    if (!AdoptFace(face)) {
        return 0;
    }
    m_cache.Flush();
    return CreateFont();
}

std::int32_t AntialiasFont::SetSize(std::int32_t size) {
    const std::int32_t height = -std::abs(size);
    if (logFont.lfHeight == height) {
        return 0;
    }
    logFont.lfHeight = height;
    if (gradientEnabled) {
        SetGradient(true, gradientTop, gradientBottom, true);
    }
    return CreateFont();
}

std::int32_t AntialiasFont::SetBold(bool bold, std::uint8_t italic) {
    const LONG weight = bold ? FW_BOLD : FW_NORMAL;
    if (logFont.lfWeight == weight && logFont.lfItalic == italic) {
        return 0;
    }
    logFont.lfWeight = weight;
    logFont.lfItalic = italic;
    return CreateFont();
}

std::int32_t AntialiasFont::SetEscapement(std::int32_t angle) {
    if (logFont.lfEscapement == angle) {
        return 0;
    }
    m_cache.Flush();
    logFont.lfEscapement = angle;
    logFont.lfOrientation = angle;
    if (m_pictures != nullptr) {
        m_pictures->Reorient(angle);
    }
    return CreateFont();
}

void AntialiasFont::SetLevel(std::uint8_t newLevel) {
    if (level == newLevel) {
        return;
    }
    m_cache.Flush();
    level = newLevel;
}

void AntialiasFont::SetGlyphCacheCapacity(std::uint32_t n) {
    m_cache.SetCapacity(n);
}

std::int32_t AntialiasFont::SetGradient(bool enable, std::uint32_t top, std::uint32_t bottom,
                                        bool rebuild) {
    if (enable) {
        gradientTop = top;
        gradientBottom = bottom;
        const std::int32_t count = CellHeight();
        if (rebuild && !(m_gradient.Count() == count &&
                         m_gradient.ColourA() == static_cast<std::int32_t>(top) &&
                         m_gradient.ColourB() == static_cast<std::int32_t>(bottom))) {
            const std::int32_t code = m_gradient.Build(count, static_cast<std::int32_t>(top),
                                                       static_cast<std::int32_t>(bottom), 32);
            if (code != 0) {
                gradientEnabled = 0;
                return code;
            }
        }
    }
    gradientEnabled = enable ? 1 : 0;
    return 0;
}

void AntialiasFont::SetOutline(std::int32_t strength, std::int32_t width) {
    if (strength == outlineStrength && width == outlineWidth) {
        return;
    }
    m_cache.Flush();
    outlineStrength = strength;
    outlineWidth = width;
    outlineNormaliser = OutlineNormaliser(std::abs(width));
    if (m_pictures != nullptr) {
        m_pictures->SetOutline(strength, width, outlineNormaliser);
    }
}

std::int32_t AntialiasFont::LoadImageGlyphs(const char* imageName, std::int32_t count,
                                            std::int32_t cellWidth, std::int32_t cellHeight,
                                            std::uint8_t flags) {
    if (count <= 0 || cellWidth <= 0 || cellHeight <= 0) {
        return -1;
    }
    Image image;
    if (image.LoadIndexed(imageName, nullptr, 0, 0) != 0) {
        return 1;
    }
    return LoadPictureGlyphs(image, count, cellWidth, cellHeight, flags);
}

std::int32_t AntialiasFont::LoadPictureGlyphs(const PixelBuffer& image, std::int32_t count,
                                              std::int32_t cellWidth, std::int32_t cellHeight,
                                              std::uint8_t flags) {
    if (count <= 0 || cellWidth <= 0 || cellHeight <= 0) {
        return -1;
    }
    auto& source = const_cast<PixelBuffer&>(image);
    if (source.Depth() != 8 || source.Bits() == nullptr) {
        return 1;
    }
    if (m_pictures == nullptr) {
        m_pictures = new (std::nothrow) PictureGlyphSet;
        if (m_pictures == nullptr) {
            return 3;
        }
        m_pictures->escapement = logFont.lfEscapement;
        m_pictures->SetOutline(outlineStrength, outlineWidth, outlineNormaliser);
    }
    return m_pictures->Load(source.Bits(), source.Pitch(), source.Width(), source.Height(), count,
                            cellWidth, cellHeight, flags);
}

std::int32_t AntialiasFont::CharWidth(std::uint32_t code) {
    char bytes[2];
    const int length = CodeBytes(code, bytes);
    SIZE size{0, 0};
    if (logFont.lfWeight >= FW_BOLD && regularDc != nullptr) {
        m_source->TextExtent(regularDc, bytes, length, &size);
        return size.cx + size.cx / 50 + 1;
    }
    m_source->TextExtent(dc, bytes, length, &size);
    return size.cx;
}

Glyph* AntialiasFont::MakeGlyph(std::uint32_t code, std::int32_t size, std::uint32_t outline,
                                std::uint32_t bold) {
    static const UINT kFormats[3] = {GGO_BITMAP, GGO_GRAY4_BITMAP, GGO_GRAY8_BITMAP};
    const std::int32_t lv = std::min<std::int32_t>(level, 2);
    UINT format = kFormats[lv];
    MAT2 matrix{};
    matrix.eM11.value = 1;
    matrix.eM22.value = 1;
    std::int32_t shift = 0;
    GLYPHMETRICS gm{};
    DWORD need = m_source->GlyphOutline(dc, code, format, &gm, 0, nullptr, &matrix);
    if (need == GDI_ERROR) {
        if (format == GGO_BITMAP) {
            gm = GLYPHMETRICS{};
            need = 0;
        } else {
            shift = lv == 1 ? 2 : 3;
            matrix.eM11.value = matrix.eM22.value = static_cast<short>(1 << shift);
            format = GGO_BITMAP;
            gm = GLYPHMETRICS{};
            need = m_source->GlyphOutline(dc, code, format, &gm, 0, nullptr, &matrix);
            if (need == GDI_ERROR) {
                return nullptr;
            }
        }
    }
    auto* glyph = new (std::nothrow) Glyph;
    if (glyph == nullptr) {
        return nullptr;
    }
    const std::int32_t w = CharWidth(code);
    const std::int32_t angle = logFont.lfEscapement;
    std::int32_t c = 0;
    if (angle == 0) {
        glyph->advanceX = w;
    } else if (angle == 2700) {
        glyph->advanceY = w;
    } else if (TableCos(AngleIndex(angle), &c)) {
        std::int32_t s = 0;
        TableCos(AngleIndex(angle) - 128, &s);
        glyph->advanceX = Shift16(static_cast<std::int64_t>(w) * c);
        glyph->advanceY = Shift16(-(static_cast<std::int64_t>(w) * s));
    } else {
        glyph->advanceX = w;
    }
    glyph->x = baselineX + (gm.gmptGlyphOrigin.x >> shift);
    glyph->y = baselineY - (gm.gmptGlyphOrigin.y >> shift);
    if (need == 0 || gm.gmBlackBoxY == 0) {
        return glyph;
    }
    glyph->width = static_cast<std::int32_t>(gm.gmBlackBoxX);
    glyph->height = static_cast<std::int32_t>(gm.gmBlackBoxY);
    glyph->pitch = format == GGO_BITMAP ? ((glyph->width + 7) / 8 + 3) & ~3
                                        : (glyph->width + 3) & ~3;
    // GDI's answer is trusted no further than the rows the box needs.
    const DWORD bytes = std::max<DWORD>(need, static_cast<DWORD>(glyph->pitch * glyph->height));
    glyph->bits = new (std::nothrow) std::uint8_t[bytes]();
    GLYPHMETRICS again{};
    if (glyph->bits == nullptr ||
        m_source->GlyphOutline(dc, code, format, &again, need, glyph->bits, &matrix) ==
            GDI_ERROR) {
        ReleaseGlyph(glyph);
        return nullptr;
    }
    bool ok = true;
    if (bold && (shift != 0 || !g_fontSystemIsNt)) {
        const std::int32_t n = std::min(8, std::abs(size << shift) / 50 + 1);
        ok = format == GGO_BITMAP ? WidenMono(*glyph, n) : WidenGrey(*glyph, n);
    }
    if (ok && lv == 0) {
        ok = ExpandMono(*glyph);
    } else if (ok) {
        if (shift != 0) {
            ok = ReduceBlocks(*glyph, 1 << shift);
        }
        if (ok && glyph->bits != nullptr) {
            ScaleLevels(glyph->bits, glyph->pitch, glyph->width, glyph->height, lv);
        }
    }
    if (ok && outline && glyph->bits != nullptr) {
        ok = lv == 0 ? HardOutline(*glyph, std::abs(outlineWidth))
                     : SoftOutline(*glyph, outlineStrength, outlineWidth, outlineNormaliser);
    }
    if (!ok) {
        ReleaseGlyph(glyph);
        return nullptr;
    }
    return glyph;
}

Glyph* AntialiasFont::GetGlyph(std::uint32_t code, std::int32_t size, std::uint32_t outline,
                               std::uint32_t bold, std::uint32_t italic, bool picture) {
    if (picture) {
        return m_pictures != nullptr ? m_pictures->Get(code, level, outline != 0) : nullptr;
    }
    const GlyphKey key{code, size, outline, bold, italic};
    if (m_cache.Capacity() != 0) {
        if (Glyph* hit = m_cache.Lookup(key)) {
            return hit;
        }
    }
    Glyph* glyph = MakeGlyph(code, size, outline, bold);
    if (glyph != nullptr && m_cache.Capacity() != 0) {
        m_cache.Insert(key, glyph);
    }
    return glyph;
}

Glyph* AntialiasFont::Hold(Glyph* glyph, bool picture) {
    // An uncached glyph is ours alone already; cached and picture glyphs get a reference.
    if (glyph != nullptr && (picture || m_cache.Capacity() != 0)) {
        AddGlyphRef(glyph);
    }
    return glyph;
}

GradientSource AntialiasFont::Gradient() const {
    GradientSource g{GradientMode::None, nullptr, 0, CellHeight()};
    if (!gradientEnabled || m_gradient.Depth() != 32) {
        return g;
    }
    if (logFont.lfEscapement == 0) {
        g.mode = GradientMode::Rows;
    } else if (logFont.lfEscapement == 2700) {
        g.mode = GradientMode::Columns;
    } else {
        return g;
    }
    g.entries = static_cast<const std::uint32_t*>(m_gradient.Entries());
    g.count = m_gradient.Count();
    return g;
}

std::int32_t AntialiasFont::TextExtent(const char* text, std::int32_t size[2],
                                       std::int32_t* offsetX, std::int32_t* offsetY,
                                       bool withEffect, std::int32_t* count) {
    if (text == nullptr || dc == nullptr) {
        return 0;
    }
    const std::int32_t cell = CellHeight();
    std::int32_t lines = 1;
    std::int32_t width = 0;
    std::int32_t line = 0;
    std::int32_t height = 0;
    std::int32_t chars = 0;
    for (;;) {
        const TextToken token = NextTextToken(&text);
        if (token.kind == TextTokenKind::End) {
            break;
        }
        if (token.kind == TextTokenKind::LineBreak) {
            width = std::max(width, line);
            line = 0;
            height += cell + lineSpacing;
            ++lines;
            continue;
        }
        line += token.kind == TextTokenKind::Picture
                    ? (m_pictures != nullptr ? m_pictures->CellWidth() : 0)
                    : CharWidth(token.code);
        ++chars;
    }
    width = std::max(width, line);
    height += cell;
    if (logFont.lfItalic) {
        width += cell / 3;
    }
    std::int32_t ox = 0;
    std::int32_t oy = 0;
    if (withEffect && effect == 1) {
        width += std::abs(effectOffsetX);
        height += std::abs(effectOffsetY);
        ox = std::min(effectOffsetX, 0);
        oy = std::min(effectOffsetY, 0);
    } else if (withEffect && effect == 2) {
        width += 2 * outlineWidth;
        height += 2 * outlineWidth;
        ox = oy = -outlineWidth;
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
        *count = chars;
    }
    return lines;
}

RECT AntialiasFont::DrawOne(PixelBuffer& target, std::int32_t x, std::int32_t y,
                            const Glyph& glyph, std::uint32_t colour, bool useGradient,
                            Pass pass) {
    const GradientSource gradient = useGradient ? Gradient() : GradientSource{};
    const bool withGradient = gradient.mode != GradientMode::None && target.Depth() == 32;
    if (pass == Pass::Over) {
        return withGradient ? DrawGlyphGradient(target, x, y, glyph, gradient, GradientDraw::Over)
                            : DrawGlyphOver(target, x, y, glyph, colour);
    }
    if (level == 0) {
        return withGradient
                   ? DrawGlyphGradient(target, x, y, glyph, gradient, GradientDraw::Threshold)
                   : DrawGlyphThreshold(target, x, y, glyph, colour);
    }
    return withGradient ? DrawGlyphGradient(target, x, y, glyph, gradient, GradientDraw::Blend)
                        : DrawGlyphCoverage(target, x, y, glyph, colour);
}

template <typename DrawChar>
void AntialiasFont::WalkText(std::int32_t x, std::int32_t y, const char* text, RECT* rect,
                             std::int32_t pen[2], DrawChar drawChar) {
    RECT total{x, y, x, y};
    std::int32_t lineX = x;
    std::int32_t lineY = y;
    std::int32_t penX = x;
    std::int32_t penY = y;
    std::int32_t stepX = 0;
    std::int32_t stepY = 0;
    LineStep(&stepX, &stepY);
    while (text != nullptr) {
        const TextToken token = NextTextToken(&text);
        if (token.kind == TextTokenKind::End) {
            break;
        }
        if (token.kind == TextTokenKind::LineBreak) {
            lineX += stepX;
            lineY += stepY;
            penX = lineX;
            penY = lineY;
            continue;
        }
        drawChar(token.code, token.kind == TextTokenKind::Picture, &penX, &penY, &total);
    }
    if (rect != nullptr) {
        *rect = total;
    }
    if (pen != nullptr) {
        pen[0] = penX;
        pen[1] = penY;
    }
}

Glyph* AntialiasFont::HeldGlyph(std::uint32_t code, std::uint32_t outline, bool picture) {
    return Hold(GetGlyph(code, CellHeight(), outline, logFont.lfWeight >= FW_BOLD ? 1 : 0,
                         logFont.lfItalic ? 1 : 0, picture),
                picture);
}

std::int32_t AntialiasFont::DrawGlyphs(PixelBuffer* target, std::int32_t x, std::int32_t y,
                                       const char* text, RECT* rect, std::int32_t pen[2],
                                       Pass pass) {
    if (font == nullptr || target == nullptr || target->Bits() == nullptr) {
        return 1;
    }
    std::int32_t shadowX = 0;
    std::int32_t shadowY = 0;
    ShadowOffset(false, &shadowX, &shadowY);
    WalkText(x, y, text, rect, pen,
             [&](std::uint32_t code, bool picture, std::int32_t* penX, std::int32_t* penY,
                 RECT* total) {
                 if (effect == 2) {
                     Glyph* outline = HeldGlyph(code, 1, picture);
                     if (outline == nullptr) {
                         return;
                     }
                     UniteRect(total, DrawOne(*target, *penX + outline->x, *penY + outline->y,
                                              *outline, EffectColourValue(), false, pass));
                     ReleaseGlyph(outline);
                 }
                 Glyph* glyph = HeldGlyph(code, 0, picture);
                 if (glyph == nullptr) {
                     return;
                 }
                 if (glyph->bits != nullptr) {
                     if (effect == 1) {
                         UniteRect(total, DrawOne(*target, *penX + glyph->x + shadowX,
                                                  *penY + glyph->y + shadowY, *glyph,
                                                  EffectColourValue(), false, pass));
                     }
                     const RECT drawn = DrawOne(*target, *penX + glyph->x, *penY + glyph->y,
                                                *glyph, ColourValue(), true, pass);
                     if (effect != 2) {
                         UniteRect(total, drawn);
                     }
                 }
                 *penX += glyph->advanceX;
                 *penY += glyph->advanceY;
                 ReleaseGlyph(glyph);
             });
    return 0;
}

std::int32_t AntialiasFont::BlendString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                                        const char* text, RECT* rect, std::int32_t pen[2]) {
    return DrawGlyphs(target, x, y, text, rect, pen, Pass::Blend);
}

std::int32_t AntialiasFont::DrawText(PixelBuffer* target, std::int32_t x, std::int32_t y,
                                     const char* text, RECT* rect, std::int32_t pen[2]) {
    return DrawGlyphs(target, x, y, text, rect, pen, Pass::Over);
}

std::int32_t AntialiasFont::DrawString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                                       const char* text, RECT* rect, std::int32_t pen[2]) {
    if (font == nullptr || target == nullptr || target->Bits() == nullptr ||
        target->Depth() != 32) {
        return 1;
    }
    if (effect != 0) {
        std::int32_t size[2] = {0, 0};
        std::int32_t ox = 0;
        std::int32_t oy = 0;
        TextExtent(text, size, &ox, &oy, true, nullptr);
        RECT box;
        GetRotatedTextBounds(&box, ox, oy, size[0], size[1]);
        OffsetRect(&box, x, y);
        const std::uint8_t* fill = effect == 1 ? colour : effectColour;
        target->FillRect(fill[0], fill[1], fill[2], &box, nullptr);
    }
    std::int32_t shadowX = 0;
    std::int32_t shadowY = 0;
    ShadowOffset(false, &shadowX, &shadowY);
    const GradientSource gradient = Gradient();
    WalkText(x, y, text, rect, pen, [&](std::uint32_t code, bool picture, std::int32_t* penX,
                                        std::int32_t* penY, RECT* total) {
        // Held while the outline glyph is fetched: with a small cache that fetch could
        // otherwise evict and free this glyph before it is drawn.
        Glyph* glyph = HeldGlyph(code, 0, picture);
        if (glyph == nullptr) {
            return;
        }
        const std::int32_t gx = *penX + glyph->x;
        const std::int32_t gy = *penY + glyph->y;
        if (glyph->bits != nullptr) {
            const Glyph* alphaGlyph = glyph;
            Glyph* outline = nullptr;
            if (effect != 0) {
                if (effect == 2) {
                    outline = HeldGlyph(code, 1, picture);
                }
                if (outline == nullptr) {
                    PaintGlyphColour(*target, gx + shadowX, gy + shadowY, *glyph,
                                     EffectColourValue());
                }
                DrawOne(*target, gx, gy, *glyph, ColourValue(), true, Pass::Blend);
                if (outline != nullptr) {
                    alphaGlyph = outline;
                } else {
                    UniteRect(total,
                              GlyphToAlpha(*target, gx + shadowX, gy + shadowY, *glyph, true));
                }
            } else if (gradient.mode != GradientMode::None) {
                FillGlyphBoxGradient(*target, gx, gy, *glyph, gradient);
            } else {
                FillGlyphBox(*target, gx, gy, *glyph, ColourValue());
            }
            UniteRect(total, GlyphToAlpha(*target, *penX + alphaGlyph->x, *penY + alphaGlyph->y,
                                          *alphaGlyph, effect != 0));
            ReleaseGlyph(outline);
        }
        *penX += glyph->advanceX;
        *penY += glyph->advanceY;
        ReleaseGlyph(glyph);
    });
    return 0;
}
