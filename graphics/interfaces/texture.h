// Texture: the second face of every texture (texture images, texture text, texture screens)
// besides Surface, through which the textured quads and the script commands hold them.
//
// Declared like the other interfaces of the graphics core: slot 0 is the deleting destructor
// (flags word, bit 0 frees the memory), every operation is __thiscall and none is overloaded,
// so the slot order below is fixed. The object that carries the face owns the DirectDraw surface
// GetSurface returns; callers that keep the surface add their own reference.
#pragma once

#include <ddraw.h>

#include <cstdint>

#include "framework/interfaces/cross_module.h"
#include "graphics/interfaces/surface.h"

class Texture {
public:
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    // 2 texture image, 3 texture text, 8 texture screen.
    virtual SurfaceKind XM_METHOD Kind() = 0;
    virtual std::int32_t XM_METHOD TextureWidth() = 0;
    virtual std::int32_t XM_METHOD TextureHeight() = 0;
    virtual std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) = 0;
    virtual std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) = 0;
    // The key as a raw pixel value of the surface, -1 none.
    virtual std::int32_t XM_METHOD ColourKey() = 0;
    virtual std::int32_t XM_METHOD ClearColourKey() = 0;
    // The surface to bind with SetTexture, null when the texture is empty.
    virtual IDirectDrawSurface7* XM_METHOD GetSurface() = 0;
    // PixelFormatCode of the surface.
    virtual std::int32_t XM_METHOD FormatCode() = 0;
    virtual std::int32_t XM_METHOD PictureWidth() = 0;
    virtual std::int32_t XM_METHOD PictureHeight() = 0;
    // Texture coordinates of the centre of picture column x and row y.
    virtual float XM_METHOD U(std::int32_t x) = 0;
    virtual float XM_METHOD V(std::int32_t y) = 0;

protected:
    ~Texture() = default;
};
