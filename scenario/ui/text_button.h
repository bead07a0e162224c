// TextButton: the push button scripts put on the screen (type 0), one sprite showing one face
// of a horizontal strip: normal, hover, pressed (optional for picture buttons) and disabled
// (optional). Three forms: a drawn raised button with an optional caption in a script font, a
// button whose strip is loaded from a picture file (owned), and one whose strip is an image
// object a script holds (borrowed).
//
// Borrowed objects scripts may release (the caption font, the image object, the sprite list)
// are forgotten through DropReferencesTo before they go: a dropped font leaves captions
// undrawable (SetCaption answers 2), a dropped image object resets the sprite, a dropped list
// takes the sprite out (placement then answers 1 until MoveToSpriteList).
#pragma once

#include <cstdint>

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "scenario/ui/text_button_part_base.h"

class SpriteList;

class TextButton : public TextButtonPartBase {
public:
    // The drawn button's sizes below this need a caption font.
    static constexpr std::int32_t kMinDrawnSize = 8;

    TextButton();
    ~TextButton() override;

    std::int32_t GetX() override { return m_sprite.X(); }
    std::int32_t GetY() override { return m_sprite.Y(); }
    // 1 without a face.
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override { return m_sprite.IsVisible(); }
    std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) override;
    std::int32_t GetPriority() override { return m_priority; }
    void SetAlpha(std::uint8_t alpha) override { m_sprite.SetAlpha(alpha); }
    std::uint8_t GetAlpha() override { return m_sprite.Alpha(); }
    void DropReferencesTo(const void* object) override;

    void Release() override;
    std::int32_t SetCaption(const char* text) override;
    std::int32_t SetImageFile(const char* fileName) override;
    void SetState(std::uint8_t state) override;
    bool HitTestShape(std::int32_t x, std::int32_t y) override;

    // 1 the button has no list, list is null or the sprite is in no list; else 0. A button whose
    // list was dropped goes into the new one.
    virtual std::int32_t MoveToSpriteList(SpriteList* list);
    // 1 no list, no image or an image without pixels; 2 the sprite refused it; 0 made.
    virtual std::int32_t CreateFromImage(SpriteList* list, std::int32_t priority, Image* image,
                                         bool withDisabledFace, bool withPressedFace, std::int32_t x,
                                         std::int32_t y, std::uint8_t blendMode, std::uint8_t alpha,
                                         std::int32_t tag);
    // Colour key: keyY >= 0 the pixel (keyX, keyY) when it lies in the strip, else none; keyY
    // negative and keyX not -1: keyX as 0xRRGGBB; else none. 1 no list or no name; 2 the load
    // failed; 0 made.
    virtual std::int32_t CreateFromFile(SpriteList* list, std::int32_t priority, const char* fileName,
                                        bool withDisabledFace, bool withPressedFace, std::int32_t x,
                                        std::int32_t y, std::uint8_t blendMode, std::uint8_t alpha,
                                        std::int32_t keyX, std::int32_t keyY, std::int32_t tag);
    // The drawn button. A width (height) of 0 with a font: the caption's + 8. 1 no list, or
    // without a font a size below 8; 2 the faces could not be made; -1 any other failure.
    virtual std::int32_t Create(SpriteList* list, std::int32_t priority, const char* caption, Font* font,
                                std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                bool withDisabledFace, std::int32_t tag);
    // Draws over a face's interior (disabled: the disabled face); nothing here.
    virtual void DecorateFace(Image* image, const RECT& rect, bool disabled);

    Sprite& ButtonSprite() { return m_sprite; }
    // The strip the sprite shows: the owned one or the image object.
    Image* FaceImage();
    Image* ExternalImage() const { return m_externalImage; }
    SpriteList* List() const { return m_spriteList; }

private:
    // Step 1 of every Create: a list the button already uses is forgotten first, so the
    // release keeps the sprite in it.
    void TakeList(SpriteList* list);
    // Places the sprite on the strip's first face; 0 or the sprite's code.
    std::int32_t ShowStrip(Image* strip, std::int32_t faces, std::int32_t x, std::int32_t y);
    void DrawCaption(Image* image, std::int32_t x, std::int32_t y, const char* text);
    std::int32_t DrawFaces(const char* caption, std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height, bool withDisabledFace);

    SpriteList* m_spriteList = nullptr;
    std::int32_t m_priority = 0;
    std::int32_t m_tag = 0;
    std::uint8_t m_blendMode = 0;
    std::uint8_t m_alpha = 255;
    // A caption font was dropped: captions cannot be drawn any more.
    bool m_fontDropped = false;
    // The sprite list was dropped while the sprite was in it.
    bool m_listDropped = false;
    Image m_image;
    Image* m_externalImage = nullptr;
    Sprite m_sprite;
};
