// Surface: the abstract drawing surface behind every picture and drawing target.
//
// This table of operations is shared with the pixel-operation library (qmxgl), a separate DLL
// that calls Width, Height, Pitch, GetRect, Bits, Row, GetClipRect and ClipRectPtr on the
// program's bitmaps. The slot order below is therefore part of the contract between the two
// modules: slot 0 is the deleting destructor (flags word, bit 0 frees the memory), every
// operation is __thiscall, and no virtual function is overloaded.
//
// Ownership: whoever created a surface deletes it through DeletingDestructor(kDeleteMemory)
// (or the SurfaceDelete helper). The library never deletes or keeps the surfaces it is given.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/cross_module.h"

// What a surface is, as Surface::Kind reports it.
enum SurfaceKind : std::uint8_t {
    kSurfaceDirectDrawImage = 0,
    kSurfaceTextBitmapImage = 1,
    kSurfaceTextureImage = 2,
    kSurfaceTextureText = 3,
    kSurfacePixelBuffer = 4,  // PixelBuffer and Image
    kSurfaceMemoryPixel = 5,
    kSurfaceVideoFrame = 6,
    kSurfaceDirectDrawScreen = 7,
    kSurfaceTextureScreen = 8,
    kSurfaceGdiScreen = 9,
    kSurfaceMemoryScreen = 10,
};

class Surface {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    virtual SurfaceKind XM_METHOD Kind() = 0;
    virtual std::int32_t XM_METHOD Width() = 0;
    virtual std::int32_t XM_METHOD Height() = 0;
    virtual std::int32_t XM_METHOD Pitch() = 0;
    virtual RECT* XM_METHOD GetRect(RECT* out) = 0;
    virtual std::uint8_t* XM_METHOD Bits() = 0;
    virtual std::uint8_t* XM_METHOD Row(std::int32_t y) = 0;
    virtual std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) = 0;
    virtual std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) = 0;
    virtual std::int32_t XM_METHOD ColourKey() = 0;
    virtual std::int32_t XM_METHOD ClearColourKey() = 0;
    virtual std::int32_t XM_METHOD Restore(bool onlyIfLost) = 0;
    virtual bool XM_METHOD SetClipRect(const RECT* rect) = 0;
    virtual RECT* XM_METHOD GetClipRect(RECT* out) = 0;
    virtual const RECT* XM_METHOD ClipRectPtr() = 0;
    virtual bool XM_METHOD ClipToClipRect(RECT* rect) = 0;
    virtual std::int32_t XM_METHOD OriginX() = 0;
    virtual std::int32_t XM_METHOD OriginY() = 0;
    virtual void XM_METHOD SetOriginX(std::int32_t x) = 0;
    virtual void XM_METHOD SetOriginY(std::int32_t y) = 0;
    virtual void XM_METHOD SetOwnerKey(std::uint32_t key) = 0;
    virtual std::uint32_t XM_METHOD OwnerKey() = 0;

protected:
    Surface() = default;
    // Never deleted through a plain delete; see DeletingDestructor.
    ~Surface() = default;

    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_pitch = 0;
    std::int32_t m_colourKey = -1;
    RECT m_clipRect = {0, 0, 0, 0};
    std::int32_t m_originX = 0;
    std::int32_t m_originY = 0;
    std::uint32_t m_ownerKey = 0;
};

// Deletes a surface through its own table (null is allowed).
inline void SurfaceDelete(Surface* surface) {
    if (surface) surface->DeletingDestructor(xm::kDeleteMemory);
}
