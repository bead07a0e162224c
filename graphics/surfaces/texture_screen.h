// TextureScreen: a screen whose shown picture is a Direct3D texture, so that textured quads can
// show a whole composed screen stretched, rotated or blended, and transitions can run into it.
// Frames are composed in the software back buffer and brought into the texture by
// UpdateSurface, which the quad drawing the texture calls (with dirtyOnly) first.
//
// The texture may be larger than the screen (rounded to powers of two or squared for the
// device); it is never shrunk. Its Texture face reports the texture's size and maps the picture
// (the back buffer) into it with U and V; its Surface face is the back buffer's, geometry and
// pixels alike, so that code walking that face stays within the back buffer.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "graphics/interfaces/texture.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "graphics/surfaces/screen_core.h"
#include "graphics/surfaces/texture_image.h"

class Direct3DDevice;

class TextureScreen final : public Texture, public ScreenSurface<DirectDrawImage> {
public:
    // A device given becomes CurrentDirect3DDevice.
    explicit TextureScreen(Direct3DDevice* device = nullptr);
    ~TextureScreen();

    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override;
    SurfaceKind XM_METHOD Kind() override { return kSurfaceTextureScreen; }

    // Texture.
    std::int32_t XM_METHOD TextureWidth() override { return m_width; }
    std::int32_t XM_METHOD TextureHeight() override { return m_height; }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) override {
        return DirectDrawImage::SetColourKeyRgb(r, g, b);
    }
    // The back buffer's pixel (its palette colour at 8 bits) as the key: 0; 1 no texture or a
    // point outside the back buffer; else SetColourKeyRgb's codes.
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override;
    std::int32_t XM_METHOD ColourKey() override { return m_keyValue; }
    std::int32_t XM_METHOD ClearColourKey() override { return DirectDrawImage::ClearColourKey(); }
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return m_surface; }
    std::int32_t XM_METHOD FormatCode() override { return m_formatCode; }
    std::int32_t XM_METHOD PictureWidth() override { return m_image.Width(); }
    std::int32_t XM_METHOD PictureHeight() override { return m_image.Height(); }
    float XM_METHOD U(std::int32_t x) override { return TextureCoordinate(x, m_width, m_image.Width()); }
    float XM_METHOD V(std::int32_t y) override { return TextureCoordinate(y, m_height, m_image.Height()); }

    // Surface: the clip rectangle is the back buffer's.
    bool XM_METHOD SetClipRect(const RECT* rect) override { return m_image.SetClipRect(rect); }
    RECT* XM_METHOD GetClipRect(RECT* out) override { return m_image.GetClipRect(out); }
    const RECT* XM_METHOD ClipRectPtr() override { return m_image.ClipRectPtr(); }
    bool XM_METHOD ClipToClipRect(RECT* rect) override { return m_image.ClipToClipRect(rect); }
    // Makes the texture again from the back buffer (only when it reports itself lost, if
    // asked): 0; 1 the texture cannot be made again; 2 the back buffer cannot be copied into it;
    // 3 or 4 the key (from a colour, from a pixel) cannot be set again.
    std::int32_t XM_METHOD Restore(bool onlyIfLost) override;

    // ScreenBuffer: 0; 1 no texture; 2 the back buffer cannot be made (everything is then
    // released).
    std::int32_t XM_METHOD ChangeDepth(std::int32_t depth) override;

    // 0; 1 no Direct3D device; 2 the texture cannot be made (any code of CreateTexture); 3 the
    // back buffer cannot be made; 4 no memory for the canvas or the overlay list; 5 the canvas
    // refused the back buffer; 6 any other failure (everything is then released). The back
    // buffer is a DIB section when DibBackBufferSwitch is set and formatCode is 32 or less.
    std::int32_t Create(std::int32_t formatCode, std::int32_t width, std::int32_t height,
                        std::int32_t depth, std::int32_t canvasMode, bool systemMemory);
    // 0; 1 no Direct3D device; 2 no texture format for formatCode; 3 larger than the device's
    // maximum texture size (a screen is never shrunk); 4 the surface cannot be made.
    std::int32_t CreateTexture(std::int32_t formatCode, std::int32_t width, std::int32_t height,
                               bool systemMemory);
    // As DirectDrawScreen::UpdateSurface, into the texture.
    std::int32_t UpdateSurface(bool dirtyOnly);
    // Releases the back buffer, the canvas and the texture.
    void ReleaseAll();
};
