// PointerSprite: what the mouse needs of a device drawable to show an animated pointer. The
// graphics core's surface sprites (kind 0) and textured quads (kind 4) implement it; the mouse
// refuses every other kind.
//
// The mouse does not own the drawable: whoever deletes a drawable that is set as the pointer
// first takes it off the mouse (MouseDevice::SetCursorSprite with none). All calls come from
// the thread that runs the frame function.
#pragma once

#include <windows.h>

#include <cstdint>

class PointerSprite {
public:
    // The drawable kinds the mouse accepts.
    static constexpr std::uint8_t kSurfaceSprite = 0;
    static constexpr std::uint8_t kTexturedQuad = 4;

    // The drawable's kind number.
    virtual std::uint8_t Kind() = 0;
    // Whether it has a surface it can draw from.
    virtual bool HasUsableSurface() = 0;
    // Width of the source rectangle: the width of one animation frame.
    virtual std::int32_t SourceWidth() = 0;
    // The current source offset: where frame 0 lies in the surface.
    virtual POINT SourceOffset() = 0;
    // The source-offset operations of the two kinds; the mouse calls the one of the sprite's
    // kind (the surface sprite's for kind 0, the textured quad's for any other).
    virtual void SetSurfaceSpriteSourceOffset(std::int32_t x, std::int32_t y) = 0;
    virtual void SetTexturedQuadSourceOffset(std::int32_t x, std::int32_t y) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // The top-left corner in game coordinates.
    virtual void SetPosition(std::int32_t x, std::int32_t y) = 0;

protected:
    ~PointerSprite() = default;
};
