// TextureImage: a picture loaded into a Direct3D texture for the textured quads. The texture's
// size follows the texture capabilities of CurrentDirect3DDevice (powers of two, square, the
// minimum and maximum sizes); a picture larger than the maximum is shrunk into the largest
// texture allowed, and U and V map picture pixels to texture coordinates either way.
//
// The sizing rule and the coordinate rule are free functions that TextureScreen shares.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "graphics/interfaces/texture.h"
#include "graphics/surfaces/direct_draw_image.h"

class Direct3DDevice;

// The texture for a picture of width x height: rounded up to powers of two when the caps ask
// for it (D3DPTEXTURECAPS_POW2 without NONPOW2CONDITIONAL), square when they ask for it
// (SQUAREONLY), at least the minimum; a side above the maximum (0: none) becomes the maximum and
// tooLarge is set.
struct TextureSize {
    std::int32_t width;
    std::int32_t height;
    bool tooLarge;
};
TextureSize TextureSizeFor(std::int32_t width, std::int32_t height, std::uint32_t textureCaps,
                           std::uint32_t minWidth, std::uint32_t minHeight,
                           std::uint32_t maxWidth, std::uint32_t maxHeight);
TextureSize TextureSizeFor(std::int32_t width, std::int32_t height, const Direct3DDevice& device);

// The texture coordinate of the centre of picture pixel x when the picture is `picture` pixels
// across and the texture `texture` texels: (x + 0.5) / texture, or for a shrunk picture
// (x × texture / picture + 0.5) / texture. Single precision throughout, x × texture rounded to
// single precision first.
float TextureCoordinate(std::int32_t x, std::int32_t texture, std::int32_t picture);

class TextureImage final : public Texture, public DirectDrawImage {
public:
    // A device given becomes CurrentDirect3DDevice; the DirectDraw part keeps the current
    // DirectDraw device.
    explicit TextureImage(Direct3DDevice* device = nullptr);
    ~TextureImage();

    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override;
    SurfaceKind XM_METHOD Kind() override { return kSurfaceTextureImage; }
    std::int32_t XM_METHOD TextureWidth() override { return m_width; }
    std::int32_t XM_METHOD TextureHeight() override { return m_height; }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) override {
        return DirectDrawImage::SetColourKeyRgb(r, g, b);
    }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override {
        return DirectDrawImage::SetColourKeyFromPixel(x, y);
    }
    std::int32_t XM_METHOD ColourKey() override { return m_keyValue; }
    std::int32_t XM_METHOD ClearColourKey() override { return DirectDrawImage::ClearColourKey(); }
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return m_surface; }
    std::int32_t XM_METHOD FormatCode() override { return m_formatCode; }
    std::int32_t XM_METHOD PictureWidth() override { return m_pictureWidth; }
    std::int32_t XM_METHOD PictureHeight() override { return m_pictureHeight; }
    float XM_METHOD U(std::int32_t x) override { return TextureCoordinate(x, m_width, m_pictureWidth); }
    float XM_METHOD V(std::int32_t y) override { return TextureCoordinate(y, m_height, m_pictureHeight); }
    // Reloads the picture from its file (only when the texture reports itself lost, if asked):
    // 0; 1 reloading failed (also for a picture loaded from memory); 2 no memory for the name;
    // 5 or 6 the colour key (from a colour, from a pixel) cannot be set again.
    std::int32_t XM_METHOD Restore(bool onlyIfLost) override;

    // 0; 1 no Direct3D device; 2 the device has no texture format for formatCode; 3 the file is
    // missing or unreadable, or no data was given; 4 no image-loader host, or the picture
    // cannot be decoded; 5 the texture cannot be made; 6 it cannot be locked; 7 the temporary
    // surface for shrinking cannot be made; 8 the conversion failed; 9 the shrinking blit
    // failed; 10 any other failure. On failure the texture is empty.
    std::int32_t Load(std::int32_t formatCode, const char* fileName, const std::uint8_t* data,
                      std::uint32_t size, bool systemMemory);
    // Releases the texture.
    void FreeTexture();

private:
    std::int32_t LoadUnguarded(std::int32_t formatCode, const LoadSource& source);
    // ELG data straight into the locked texture: 0, 4 broken, 6 the lock failed.
    std::int32_t DecodeElgIntoTexture(const PictureSource& picture);

    std::int32_t m_pictureWidth = 0;
    std::int32_t m_pictureHeight = 0;
};
