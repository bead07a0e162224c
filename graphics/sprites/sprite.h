// Sprite: the drawable that shows a rectangle of an image, plain, stretched to another size, or
// rotated and zoomed about a pivot, with an alpha and a blend mode. A stretched or rotated
// picture is rendered once into a cache image and again only when something that shapes it
// changes.
//
// The image is not owned. The cache is shared: a sprite that borrows another's cache
// (ShareFrom) keeps the picture alive for as long as it shows it, and an owner never draws into
// a cache somebody else still shows (it renders into a fresh one instead).
//
// Blend modes: an unkeyed 32-bit picture goes to the library's BlendRect with the mode as it is
// (0..31); a keyed 32-bit picture draws in modes 0 (copy), 2 (alpha), 4 (add) and 5 (subtract)
// only; an 8-bit picture is always copied.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/compose/math_tables.h"
#include "graphics/sprites/drawable.h"

class Surface;

class Sprite : public Drawable {
public:
    Sprite();
    ~Sprite() override;

    std::int32_t Width() const override { return m_source.right - m_source.left; }
    std::int32_t Height() const override { return m_source.bottom - m_source.top; }
    std::int32_t Kind() const override { return 0; }
    // Above 31: 1.
    std::int32_t SetBlendMode(std::uint8_t mode) override;
    // The stretch size: SetStretch.
    bool SetSize(std::int32_t width, std::int32_t height) override { return SetStretch(width, height); }
    // rect in image coordinates.
    bool InvalidateArea(const RECT& rect) override;
    // With opaqueOnly, the pixel shown at (x, y) must be opaque (alpha not 0, or not the key).
    bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) override;
    std::int32_t Render(Image* target, RECT* outRect) override;
    void RenderClipped(Image* target, const RECT& clip) override;
    void Reset() override;

    // 1 no image or no pixels; 2 the pixel-operation library is not loaded; 3 sourceRect lies
    // outside the image (the sprite is then reset); 0 done. sourceRect null: the image's clip
    // rectangle. An image with alpha gets blend mode 2.
    std::int32_t SetImage(Surface* image, const RECT* sourceRect, std::int32_t x, std::int32_t y);
    // Keeps the geometry; 1 no (new) image.
    std::int32_t ReplaceImage(Surface* image);
    // 1 no image or a borrowed cache; 2 rect outside the image; 3 the cache cannot be rendered.
    std::int32_t SetSourceRect(const RECT* rect);
    // Moves the source by the change of (sx, sy); the bounds stay. 1 no image or borrowed.
    std::int32_t ScrollSource(std::int32_t sx, std::int32_t sy);
    // Low four bits 0..3 (nearest, bilinear, tent, B-spline), high four 0 or 1.
    bool SetFilter(std::uint8_t filter);
    // 1 no image or borrowed; 2 the cache cannot be made. Clears stretch and rotation.
    std::int32_t CreateCache(std::int32_t width, std::int32_t height);
    // (0, 0): plain again; a value of 0 or less means the source's width or height.
    bool SetStretch(std::int32_t width, std::int32_t height);
    // Sizes the cache for any rotation at zoom. 1 no image or borrowed; 2 the size cannot be
    // worked out; 3 the cache cannot be made.
    std::int32_t ReserveRotationCache(double zoom);
    // type 0..3 the corners, 4 the centre, other (px, py).
    bool SetPivot(std::int32_t type, std::int32_t px, std::int32_t py);
    // 1 changed; 0 refused (8-bit image, borrowed cache, a zoom that is not finite or whose
    // picture does not fit, no memory) or unchanged.
    std::int32_t SetRotationZoom(std::int32_t angle, double zoom);
    // The image changed: re-renders the cache, or passes the image's dirty rectangles within
    // the source to the list's canvas.
    bool RefreshCache(bool clearImageDirty);
    // Takes every field of other, with a cache of its own. Copying itself changes nothing.
    std::int32_t CopyFrom(const Sprite* other);
    // Takes other's fields, except list and owner key, and shows other's cache.
    std::int32_t ShareFrom(const Sprite* other);
    void DropCache();

    Surface* GetImage() const { return m_image; }
    const RECT& SourceRect() const { return m_source; }
    const Image* Cache() const { return m_cache.get(); }
    bool CacheBorrowed() const { return m_cacheBorrowed != 0; }
    SIZE Stretch() const { return m_stretch; }
    SIZE RotatedSize() const { return m_rotatedSize; }
    POINT RotatedOffset() const { return m_rotatedOffset; }
    POINT Pivot() const { return m_pivot; }
    std::int32_t Angle() const { return m_angle; }
    double Zoom() const { return m_zoom; }
    std::uint8_t Filter() const { return m_filter; }
    bool Rotated() const { return m_rotatedSize.cx != 0; }
    bool Stretched() const { return m_stretch.cx != 0 || m_stretch.cy != 0; }

protected:
    void UpdateBounds() override;
    bool ShowsSomething() const override { return m_image != nullptr; }

private:
    // Every field that shapes what the sprite shows and where, from other.
    void TakeLook(const Sprite& other);
    std::uint8_t ImageDepth() const;
    // Neither stretched nor rotated (angle 0, zoom 1).
    void ClearShape();
    POINT Centre() const;
    // A cache of that size and depth that no other sprite shows: the present one when it fits,
    // else a new one; null without memory.
    std::shared_ptr<Image> FreshCache(std::int32_t width, std::int32_t height,
                                      std::uint8_t depth) const;
    // 0 done, else the failing step.
    std::int32_t RenderStretched(Image* into, std::int32_t width, std::int32_t height);
    std::int32_t RenderRotation(Image* into, std::int32_t width, std::int32_t height);
    // Turns and zooms into a new or fresh cache; false (nothing changed) on any failure.
    bool BuildRotation(std::int32_t angle, double zoom);
    // Renders the stretched or rotated picture again; true when there is nothing to render.
    bool RenderCache();
    // What to draw and which part of it (the cache or the image).
    bool Choose(Surface** from, RECT* rect) const;
    // Draws the part of the chosen picture that falls into area of the target. 0, 2 or 3.
    std::int32_t DrawWithin(Image* target, const RECT& area);

    Surface* m_image = nullptr;
    std::shared_ptr<Image> m_cache;
    RECT m_source = {0, 0, 0, 0};
    POINT m_scroll = {0, 0};
    SIZE m_stretch = {0, 0};
    std::int32_t m_angle = 0;
    double m_zoom = 1.0;
    POINT m_pivot = {0, 0};
    POINT m_rotatedOffset = {0, 0};
    SIZE m_rotatedSize = {0, 0};
    std::uint8_t m_filter = 0;
    QuadPoint m_quad[4] = {};
    std::uint8_t m_cacheBorrowed = 0;
};
