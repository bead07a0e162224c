// TextureText: a string rendered into a Direct3D texture (surface kind 3), sized by the device's
// texture rules (powers of two, square, minimum and maximum; a string larger than the maximum
// is rendered at full size and scaled down into it). The texture face is the one scripts hold;
// the surface face is the TextBitmapImage beneath. A drawing step that fails is a failure of
// the whole render: no empty texture is reported as made.
#pragma once

#include <cstdint>

#include "graphics/interfaces/texture.h"
#include "graphics/text/text_bitmap_image.h"

class Direct3DDevice;

class TextureText final : public Texture, public TextBitmapImage {
public:
    // A device given becomes CurrentDirect3DDevice.
    explicit TextureText(Direct3DDevice* device = nullptr);
    ~TextureText();

    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override;
    SurfaceKind XM_METHOD Kind() override { return kSurfaceTextureText; }
    std::int32_t XM_METHOD TextureWidth() override { return m_width; }
    std::int32_t XM_METHOD TextureHeight() override { return m_height; }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) override {
        return TextBitmapImage::SetColourKeyRgb(r, g, b);
    }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override {
        return TextBitmapImage::SetColourKeyFromPixel(x, y);
    }
    std::int32_t XM_METHOD ColourKey() override { return m_keyValue; }
    std::int32_t XM_METHOD ClearColourKey() override { return TextBitmapImage::ClearColourKey(); }
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return m_surface; }
    std::int32_t XM_METHOD FormatCode() override { return m_formatCode; }
    std::int32_t XM_METHOD PictureWidth() override { return m_textWidth; }
    std::int32_t XM_METHOD PictureHeight() override { return m_textHeight; }
    float XM_METHOD U(std::int32_t x) override { return TexCoordU(x); }
    float XM_METHOD V(std::int32_t y) override { return TexCoordV(y); }
    // No surface or (onlyIfLost) not lost: 0; 1 rendering again failed.
    std::int32_t XM_METHOD Restore(bool onlyIfLost) override;

    // 1 no DirectDraw or Direct3D device, or no text; 2 no memory; else the render code + 2.
    std::int32_t SetText(std::int32_t formatCode, const char* text, Font* font);
    // 0; 1 no text or font, or a font of another kind; 2 no texture format for the code; the
    // surface's creation code + 2; a drawing step's code + 4 (1 no DIB section, 2 the font's
    // drawing failed, 3 no device context, 4 it cannot be given back, 5 the fill failed, 6 the
    // lock failed, 7 the unlock failed, 8 the key cannot be set); 13 anything else; 15 the
    // scaling blit failed. On failure nothing is kept.
    std::int32_t Render();

    float TexCoordU(std::int32_t x) const;
    float TexCoordV(std::int32_t y) const;

private:
    std::int32_t RenderUnguarded();
    // Draws the text into target (w x h, in the texture's format); the drawing step's code.
    std::int32_t RenderInto(IDirectDrawSurface7* target, std::int32_t w, std::int32_t h, Font* font,
                            std::int32_t x, std::int32_t y, const DDPIXELFORMAT& format);

    std::int32_t m_textWidth = 0;
    std::int32_t m_textHeight = 0;
};
