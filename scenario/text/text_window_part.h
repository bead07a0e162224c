// TextWindowPart: the text window (part type 5). Owns a 32-bit image shown by a sprite in a
// sprite list, draws its background from a skin (colour, two 8-bit alpha masks, a 32-bit
// decoration, optionally cut into a nine-slice frame) and puts characters, strings, inline
// images and upright runs where TextWindowPartBase says. With items enabled it keeps an 8-bit
// item map (item + 1 under each item's rectangles) and shows highlights as colour rectangles.
//
// The sprite list, fonts and skin images given as images are borrowed; DropReferencesTo
// forgets one before its owner deletes it. Skins loaded by name and the composite the window
// makes are owned.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "graphics/text/text_syntax.h"
#include "scenario/text/text_window_part_base.h"

class FillRectSprite;
class SpriteList;

class TextWindowPart : public TextWindowPartBase {
public:
    static constexpr std::int32_t kTypeCode = 5;

    TextWindowPart();
    ~TextWindowPart() override;

    std::int32_t TypeCode() override { return kTypeCode; }
    std::int32_t GetX() override { return m_sprite.X(); }
    std::int32_t GetY() override { return m_sprite.Y(); }
    std::int32_t GetWidth() override { return m_width; }
    std::int32_t GetHeight() override { return m_height; }
    // Moves the highlights along; 1 without an image.
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override { return m_sprite.IsVisible(); }
    // The highlights follow; 1 without a sprite list (or after it was dropped).
    std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool add) override;
    std::int32_t GetPriority() override { return m_priority; }
    // Sprite and highlights; nothing without an image.
    void SetAlpha(std::uint8_t alpha) override;
    std::uint8_t GetAlpha() override { return m_sprite.Alpha(); }
    // A dropped font leaves drawing a no-op; skin images given as images are forgotten as
    // ReleaseSkinImages forgets them; a dropped sprite list takes the window's sprites out.
    void DropReferencesTo(const void* object) override;

    virtual void Release();
    virtual std::int32_t SetFonts(Font* font, Font* rubyFont, bool redraw);
    virtual void ReleaseSkinImages(bool redraw);
    // A name of (const char*)-1 stands for "no mask, but build the skin as with one".
    virtual std::int32_t SetSkinImages(const char* decorationName, const char* maskAName,
                                       const char* maskBName, bool rebuild);
    virtual std::int32_t SetBackground(std::uint8_t frameMode, std::uint32_t colour,
                                       std::uint8_t alpha, bool redraw);
    virtual std::int32_t SetMargins(std::int32_t left, std::int32_t top, std::int32_t right,
                                    std::int32_t bottom, bool redraw);
    virtual std::int32_t SetItemSpacing(std::int32_t beforeX, std::int32_t beforeY,
                                        std::int32_t afterX, std::int32_t afterY, bool redraw);
    virtual std::int32_t Recreate(std::int32_t width, std::int32_t height);
    virtual std::int32_t EnableItems(bool on, bool redraw);
    virtual std::int32_t SetVertical(bool on, bool redraw);
    std::int32_t MoveTo(std::int32_t x, std::int32_t y) override;
    virtual void GetCharOrigin(std::int32_t* outX, std::int32_t* outY, std::int32_t w,
                               std::int32_t h);
    virtual std::int32_t Clear();
    virtual std::int32_t Home(bool clear);
    virtual std::int32_t HomeKeepIndent(bool clear);
    // 0 put; -1 put on a new line; 1 the page is full (nothing consumed).
    std::int32_t PutChar(const char** text) override;
    std::int32_t DrawString(const char* text, std::int32_t x, std::int32_t y,
                            bool moveFirst) override;
    virtual std::int32_t DrawImage(const char* name, std::int32_t keyX, std::int32_t keyY);
    virtual std::int32_t DrawUpright(const char* text);
    bool HitTestFrame(std::int32_t x, std::int32_t y) override;
    void MarkItemArea(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) override;
    std::int32_t ItemAtPoint(std::int32_t x, std::int32_t y) override;
    void ShowItemHighlight(std::int32_t index, bool on) override;
    virtual std::int32_t Create(SpriteList* spriteList, std::int32_t priority, std::int32_t width,
                                std::int32_t height, std::int32_t x, std::int32_t y, Font* font,
                                Font* rubyFont, std::int32_t tag);
    virtual std::int32_t SetSkinImagesFrom(Image* decoration, Image* maskA, Image* maskB,
                                           bool rebuild);
    virtual void ComposeFrame(bool modeChanged, bool colourChanged, bool alphaChanged);
    virtual bool SetNineSlice(std::int32_t left, std::int32_t top, std::int32_t tileWidth,
                              std::int32_t tileHeight);
    virtual std::int32_t Resize(std::int32_t width, std::int32_t height, bool inPlace);
    virtual std::int32_t DrawCharAt(const char** text, Image* target);

    Image& WindowImage() { return m_image; }
    Sprite& WindowSprite() { return m_sprite; }
    Image* Composite() const { return m_frameImage; }
    // The decoration skin image (given or loaded), null without one.
    Image* Decoration() const { return m_decorationImage; }
    Image* ItemMap() const { return m_itemMap; }
    std::int32_t LastCharPos() const { return m_lastCharPos; }
    std::int32_t ShownHighlights() const { return m_shownHighlights; }
    const std::deque<FillRectSprite*>& Highlights() const { return m_highlights; }
    std::uint32_t BackgroundColour() const { return m_backgroundColour; }
    std::uint8_t BackgroundAlpha() const { return m_backgroundAlpha; }

protected:
    // One character of text as PutChar reads it ("@" rules included).
    struct GlyphRead {
        char glyph[2 + kPictureDigits + 1] = {};
        std::uint8_t character[2] = {0, 0};
        bool twoByte = false;
        // A lead byte right before the terminator: taken alone, nothing to draw.
        bool end = false;
        const char* next = nullptr;
    };
    static GlyphRead ReadGlyph(const char* text);
    // Whether the automatic line break comes before this character at the pen.
    bool BreaksBefore(const GlyphRead& read);
    // Where the character goes at the pen (the centring of two-byte characters and the baseline
    // rules included), its extent and the pen's advance. Needs a font.
    void PlaceGlyph(const GlyphRead& read, std::int32_t* x, std::int32_t* y,
                    std::int32_t extent[2], std::int32_t* advance);
    bool HasNineSlice() const { return m_sliceTileWidth != 0; }
    void SetLastCharPos(std::int32_t position) { m_lastCharPos = position; }

private:
    bool HasImage() { return m_image.Bits() != nullptr; }
    bool NineSlice() const { return m_sliceTileWidth != 0; }
    // Draws text with the font (AntialiasFont over the alpha, other fonts blended) and dirties
    // the sprite when it goes into the window's own image; receives the drawn rectangle.
    void DrawGlyphs(Font* font, Image* target, std::int32_t x, std::int32_t y, const char* text);
    void DirtySprite(const RECT& rect);
    void DeleteHighlights();
    void DeleteItemMap();
    // Creates a cleared item map of the window's size; false when it cannot.
    bool MakeItemMap();
    void ClearItemMap();
    void DrawNineSlice();
    // (x, y) of the window to the composite pixel it was copied from.
    bool CompositePoint(std::int32_t x, std::int32_t y, std::int32_t* cx, std::int32_t* cy) const;
    std::int32_t Rebuild();
    // Sets the face (with or without the leading "@") and escapement; false when it fails.
    static bool TurnFont(Font* font, bool vertical);

    SpriteList* m_spriteList = nullptr;
    std::int32_t m_priority = 0;
    Image m_image;
    Sprite m_sprite;
    Image* m_frameImage = nullptr;
    bool m_ownsFrame = false;
    Image* m_decorationImage = nullptr;
    bool m_ownsDecoration = false;
    Image* m_maskA = nullptr;
    Image* m_maskB = nullptr;
    bool m_ownsMasks = false;
    std::string m_decorationName;
    std::string m_maskAName;
    std::string m_maskBName;
    std::int32_t m_sliceTileWidth = 0;
    std::int32_t m_sliceTileHeight = 0;
    std::int32_t m_sliceLeft = 0;
    std::int32_t m_sliceTop = 0;
    std::int32_t m_sliceRight = 0;
    std::int32_t m_sliceBottom = 0;
    std::int32_t m_lastCharPos = 0;
    Image* m_itemMap = nullptr;
    std::deque<FillRectSprite*> m_highlights;
    std::int32_t m_shownHighlights = 0;
};
