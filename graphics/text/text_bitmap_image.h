// TextBitmapImage: a DirectDraw picture (surface kind 1) that holds one string rendered with a
// font and renders it again when the display lost the surface. The font is borrowed (null: the
// DefaultFont of render time); whoever deletes a font first makes the text images that borrow
// it forget it (ForgetFont), as the screen device does for the images in its lists.
#pragma once

#include <cstdint>

#include "graphics/surfaces/direct_draw_image.h"

class Font;

class TextBitmapImage : public DirectDrawImage {
public:
    // A font given becomes DefaultFont, a device given CurrentDirectDrawDevice.
    explicit TextBitmapImage(Font* font = nullptr, DirectDrawDevice* device = nullptr);
    ~TextBitmapImage();

    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override;
    SurfaceKind XM_METHOD Kind() override { return kSurfaceTextBitmapImage; }
    // As DirectDrawImage's; the colour is kept for Restore.
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t red, std::int32_t green, std::int32_t blue) override;
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override;
    // 0 also with no key to clear; 1 no surface; 2 refused.
    std::int32_t XM_METHOD ClearColourKey() override;
    // No surface or (onlyIfLost) not lost: 0. Renders again (1 when that fails) and sets the
    // previous key again: the colour (5) or, without one, the key pixel (6); a key cleared
    // before stays cleared (5).
    std::int32_t XM_METHOD Restore(bool onlyIfLost) override;

    // 1 no DirectDraw device or no text; 2 no memory; else the render code + 2. The old text
    // and surface go first; on failure nothing is kept.
    std::int32_t SetText(const char* text, Font* font);
    // 0; 1 or 2 the surface cannot be made; 3 no text or no font (or a font of another kind);
    // otherwise the drawing step's code + 3 (see the .cpp); 11 anything else. On failure the
    // text and the surface are freed.
    std::int32_t Render();
    // Drops the font when it is that one (the text then renders with DefaultFont).
    void ForgetFont(const Font* font);

    const char* Text() const { return m_text; }
    Font* GetFont() const { return m_font; }

protected:
    void FreeText();

    char* m_text = nullptr;
    Font* m_font = nullptr;

private:
    std::int32_t RenderUnguarded(Font* font);
    std::int32_t MakeSurface(std::int32_t width, std::int32_t height);
    // Copies a 32-bit DIB section into the surface through its device context: 0, 3, 4.
    std::int32_t CopyThroughDc(class Image& picture);

    // 0x00RRGGBB of a key set by colour, -1 none.
    std::int32_t m_keyColour = -1;
};
