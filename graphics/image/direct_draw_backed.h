// The surfaces whose pixels live in a DirectDraw surface (DirectDraw images, text bitmaps,
// textures, the device surfaces) add one operation after the Surface table: the underlying
// DirectDraw surface, through which GDI can read them.
#pragma once

#include "graphics/image/clipped_surface.h"

struct IDirectDrawSurface7;

class DirectDrawBacked : public ClippedSurface {
public:
    // The surface itself, or null while it has none; no reference is added.
    virtual IDirectDrawSurface7* XM_METHOD GetSurface() = 0;

protected:
    DirectDrawBacked() = default;
    ~DirectDrawBacked() = default;
};
