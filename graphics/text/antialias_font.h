// AntialiasFont: fetches each character as a glyph bitmap from GDI (three anti-alias levels,
// with a magnified fallback when GDI has no grey bitmap), keeps finished glyphs in a cache and
// draws them into pictures itself, with shadow, outline, gradient and inline pictures.
#pragma once

#include <cstdint>

#include "graphics/compose/gradient_table.h"
#include "graphics/text/font.h"
#include "graphics/text/glyph_cache.h"
#include "graphics/text/glyph_draw.h"

class GlyphSource;
class PictureGlyphSet;

class AntialiasFont : public Font {
public:
    AntialiasFont();
    ~AntialiasFont() override;

    FontKind Kind() override { return kFontAntialias; }
    void ReleaseGdiObjects() override;
    std::int32_t SetFont(std::int32_t size, bool bold, std::uint8_t italic,
                         const char* face) override;
    std::int32_t CreateFont() override;
    std::int32_t SetFace(const char* face) override;
    std::int32_t SetSize(std::int32_t size) override;
    std::int32_t SetBold(bool bold, std::uint8_t italic) override;
    std::int32_t SetEscapement(std::int32_t angle) override;
    void SetLevel(std::uint8_t level) override;
    std::int32_t TextExtent(const char* text, std::int32_t size[2], std::int32_t* offsetX,
                            std::int32_t* offsetY, bool withEffect, std::int32_t* count) override;
    std::int32_t BlendString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                             const char* text, RECT* rect, std::int32_t pen[2]) override;
    std::int32_t DrawString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                            const char* text, RECT* rect, std::int32_t pen[2]) override;
    // As BlendString, composited over the target's alpha at every level (32-bit pictures; on
    // other depths only the pen moves).
    std::int32_t DrawText(PixelBuffer* target, std::int32_t x, std::int32_t y, const char* text,
                          RECT* rect, std::int32_t pen[2]);

    void SetGlyphCacheCapacity(std::uint32_t n);
    std::int32_t SetGradient(bool enable, std::uint32_t top, std::uint32_t bottom, bool rebuild);
    void SetOutline(std::int32_t strength, std::int32_t width);
    // Inline pictures from an 8-bit picture file. 0; 1 cannot load; 2 too small; 3 no memory;
    // -1 a count or cell size <= 0 (nothing touched).
    std::int32_t LoadImageGlyphs(const char* imageName, std::int32_t count,
                                 std::int32_t cellWidth, std::int32_t cellHeight,
                                 std::uint8_t flags);
    // As LoadImageGlyphs, from a picture already in memory.
    std::int32_t LoadPictureGlyphs(const PixelBuffer& image, std::int32_t count,
                                   std::int32_t cellWidth, std::int32_t cellHeight,
                                   std::uint8_t flags);
    // A finished glyph, or null when none can be made. Cached glyphs belong to the cache.
    Glyph* GetGlyph(std::uint32_t code, std::int32_t size, std::uint32_t outline,
                    std::uint32_t bold, std::uint32_t italic, bool picture);

    void SetGlyphSource(GlyphSource* source) { m_source = source; }
    GlyphCache& Cache() { return m_cache; }
    PictureGlyphSet* Pictures() { return m_pictures; }

    std::uint32_t gradientTop = 0xFFFFFF;
    std::uint32_t gradientBottom = 0;
    std::uint8_t gradientEnabled = 0;
    HFONT regularFont = nullptr;
    HDC regularDc = nullptr;
    std::int32_t outlineStrength = 1024;
    std::int32_t outlineWidth = 2;
    std::int32_t outlineNormaliser = 1872;
    std::int32_t baselineX = 0;
    std::int32_t baselineY = 0;

private:
    enum class Pass : std::uint8_t { Blend, Over };

    void ReleaseRegularFont();
    Glyph* MakeGlyph(std::uint32_t code, std::int32_t size, std::uint32_t outline,
                     std::uint32_t bold);
    std::int32_t CharWidth(std::uint32_t code);
    // Takes a hold on a glyph so cache evictions cannot free it while it is drawn; Drop gives
    // it back (freeing an uncached glyph).
    Glyph* Hold(Glyph* glyph, bool picture);
    // The glyph of this font's size and style, held (see Hold).
    Glyph* HeldGlyph(std::uint32_t code, std::uint32_t outline, bool picture);
    GradientSource Gradient() const;
    // Walks the text from (x, y): line breaks move the line start; every character goes to
    // drawChar(code, picture, &penX, &penY, &rect), which draws it and advances the pen.
    template <typename DrawChar>
    void WalkText(std::int32_t x, std::int32_t y, const char* text, RECT* rect,
                  std::int32_t pen[2], DrawChar drawChar);
    std::int32_t DrawGlyphs(PixelBuffer* target, std::int32_t x, std::int32_t y,
                            const char* text, RECT* rect, std::int32_t pen[2], Pass pass);
    RECT DrawOne(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                 std::uint32_t colour, bool useGradient, Pass pass);

    GlyphCache m_cache;
    PictureGlyphSet* m_pictures = nullptr;
    GradientTable m_gradient;
    GlyphSource* m_source;
};
