// Font: the one interface through which the game measures and draws text into pictures. Two
// kinds implement it: AntialiasFont (glyphs from GetGlyphOutlineA, cached, blended by the
// program) and GdiFont (whole lines by TextOutA). Fonts live inside the program and are used by
// one thread at a time; the script commands set the colour, effect and spacing fields directly.
#pragma once

#include <windows.h>

#include <cstdint>

class PixelBuffer;
class SystemInfo;

enum FontKind : std::uint8_t {
    kFontGdi = 0,
    kFontAntialias = 1,
};

class Font {
public:
    Font();
    virtual ~Font() = default;

    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    virtual FontKind Kind() = 0;
    virtual void ReleaseGdiObjects() = 0;
    virtual std::int32_t SetFont(std::int32_t size, bool bold, std::uint8_t italic,
                                 const char* face) = 0;
    virtual std::int32_t CreateFont() = 0;
    virtual std::int32_t SetFace(const char* face) = 0;
    virtual std::int32_t SetSize(std::int32_t size) = 0;
    virtual std::int32_t SetBold(bool bold, std::uint8_t italic) = 0;
    virtual std::int32_t SetEscapement(std::int32_t angle) = 0;
    virtual void SetLevel(std::uint8_t level) = 0;
    // size receives width and height; offsetX/offsetY (may be null) where an effect reaches
    // left of or above the pen; count (may be null) the characters. Answers the lines.
    virtual std::int32_t TextExtent(const char* text, std::int32_t size[2], std::int32_t* offsetX,
                                    std::int32_t* offsetY, bool withEffect,
                                    std::int32_t* count) = 0;
    virtual std::int32_t BlendString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                                     const char* text, RECT* rect, std::int32_t pen[2]) = 0;
    virtual std::int32_t DrawString(PixelBuffer* target, std::int32_t x, std::int32_t y,
                                    const char* text, RECT* rect, std::int32_t pen[2]) = 0;

    // The box (x, y, w, h) turned by the escapement, as the smallest enclosing rectangle.
    void GetRotatedTextBounds(RECT* rect, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) const;

    HFONT font = nullptr;
    HDC dc = nullptr;
    LOGFONTA logFont;
    std::uint8_t level = 2;
    std::uint8_t colour[3] = {255, 255, 255};
    std::uint8_t effect = 0;
    std::uint8_t effectColour[3] = {0, 0, 0};
    std::int32_t effectOffsetX = 0;
    std::int32_t effectOffsetY = 0;
    std::int32_t lineSpacing = 0;
    std::uint8_t background[3] = {0, 255, 0};

protected:
    std::int32_t CellHeight() const { return logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight; }
    std::uint32_t ColourValue() const { return RgbValue(colour); }
    std::uint32_t EffectColourValue() const { return RgbValue(effectColour); }
    static std::uint32_t RgbValue(const std::uint8_t rgb[3]) {
        return (static_cast<std::uint32_t>(rgb[0]) << 16) | (rgb[1] << 8) | rgb[2];
    }
    // Copies a face name (as CopyFaceName does) unless it is the current one; false then.
    bool AdoptFace(const char* face);
    // Deletes dc and font when present.
    void ReleaseMainFont();
    // A GDI font from description, selected into *slotDc (made when missing); the previous
    // *slotFont is deleted and replaced. 0; 1 no font; -1 no DC (nothing replaced).
    static std::int32_t CreateSelected(const LOGFONTA& description, HFONT* slotFont,
                                       HDC* slotDc);
    // A memory DC compatible with the screen.
    static HDC CreateScreenCompatibleDc();
    // The shadow offset turned with the text (unturned at escapement 2700 when turnAt2700 is
    // false), and the step from one line start to the next.
    void ShadowOffset(bool turnAt2700, std::int32_t* dx, std::int32_t* dy) const;
    void LineStep(std::int32_t* dx, std::int32_t* dy) const;
};

// Angle (tenths of a degree) to an index of the 512-entry cosine table.
std::int32_t AngleIndex(std::int32_t angle);
// Cos[k] of the published math tables (16.16); false without them.
bool TableCos(std::int32_t k, std::int32_t* cosine);

// Copies a face name into the 32-byte LOGFONTA field: at most 31 bytes, never half of a
// Shift-JIS pair.
void CopyFaceName(char (&target)[LF_FACESIZE], const char* face);

// Whether the system is of the NT family, as SystemInfo says; where it is 0 bold glyphs are
// widened by the program (GDI does not embolden them there). It starts at 1. The game
// application's start-up must call PublishFontSystemInfo once with the framework application's
// SystemInfo, before any font is drawn: the framework itself cannot, as it does not reach the
// graphics code.
extern std::uint8_t g_fontSystemIsNt;
void PublishFontSystemInfo(const SystemInfo& info);
