// Drawable: anything a SpriteList orders and a Canvas composites onto its target image: a
// position, visible and dirty flags, an alpha and a blend mode, bounds on the canvas, and the
// knowledge of how to render itself, whole or clipped to a rectangle. Sprite and FillRectSprite
// are the two kinds.
//
// A drawable reports nothing to a dirty region itself: every change that alters its look or
// place sets its dirty flag, and the canvas adds the old and new bounds when it next collects.
// It is in at most one list and never owned by it; destroying it takes it out of its list.
#pragma once

#include <windows.h>

#include <cstdint>

class Image;
class SpriteList;

// a + b held to the int32 range, so that positions far out stay far out instead of wrapping.
std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b);

class Drawable {
public:
    Drawable() = default;
    virtual ~Drawable();

    Drawable(const Drawable&) = delete;
    Drawable& operator=(const Drawable&) = delete;

    virtual bool IsVisible() const { return m_visible != 0; }
    virtual void SetVisible(std::uint8_t visible);
    virtual bool IsDirty() const { return m_dirty != 0; }
    virtual void SetDirty(std::uint8_t dirty) { m_dirty = dirty; }
    virtual std::int32_t X() const { return m_x; }
    virtual std::int32_t Y() const { return m_y; }
    virtual std::uint8_t BlendMode() const { return m_blendMode; }
    virtual std::uint8_t Alpha() const { return m_alpha; }
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    // 0 Sprite, 1 FillRectSprite.
    virtual std::int32_t Kind() const = 0;
    // 1 for a mode the drawable does not know, else 0; dirty only when it changed.
    virtual std::int32_t SetBlendMode(std::uint8_t mode) = 0;
    virtual std::int32_t SetAlpha(std::uint8_t alpha);
    // False when nothing changed.
    virtual bool SetPosition(std::int32_t x, std::int32_t y);
    virtual bool MoveBy(std::int32_t dx, std::int32_t dy);
    virtual bool SetSize(std::int32_t width, std::int32_t height) = 0;
    virtual bool SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x,
                                    std::int32_t y);
    // A part of the picture changed (in the drawable's own coordinates).
    virtual bool InvalidateArea(const RECT& rect) = 0;
    virtual bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) = 0;
    // Strict overlap of the bounds (touching edges do not overlap).
    virtual bool Overlaps(Drawable* other);
    virtual const RECT& BoundsRef() const { return m_bounds; }
    virtual void GetBounds(RECT* out) { *out = m_bounds; }
    // Render without a rectangle, the dirty flag as it was.
    virtual std::int32_t DrawKeepDirty(Image* target);
    // Draws the whole drawable; outRect (may be null) receives its bounds clipped by the
    // target's clip rectangle, left = -1 when nothing is left. 0 done (also when hidden);
    // 1 no target or nothing to show; 2 and 3 failures of its kind.
    virtual std::int32_t Render(Image* target, RECT* outRect) = 0;
    // Draws the part inside clip, whatever the visibility (the canvas tests it).
    virtual void RenderClipped(Image* target, const RECT& clip) = 0;
    virtual void Reset() = 0;

    // Leaves its list, if any.
    void Detach();
    SpriteList* List() const { return m_list; }
    std::int32_t OwnerKey() const { return m_ownerKey; }
    void SetOwnerKey(std::int32_t key) { m_ownerKey = key; }

protected:
    // Recomputes m_bounds from the geometry and marks the drawable dirty.
    virtual void UpdateBounds() = 0;
    // Whether there is anything to overlap (an image, a nonzero width).
    virtual bool ShowsSomething() const = 0;
    // 1 above highest; else stores the mode, dirty when it changed, 0.
    std::int32_t StoreBlendMode(std::uint8_t mode, std::uint8_t highest);
    // Passes rect, moved by (dx, dy) into canvas coordinates, to the list's canvas.
    void InvalidateOnCanvas(const RECT& rect, std::int32_t dx, std::int32_t dy);
    // Writes the bounds clipped by the target's clip rectangle into outRect (when given).
    void ReportDrawn(Image* target, RECT* outRect) const;

    std::int32_t m_ownerKey = 0;
    std::uint8_t m_visible = 1;
    std::uint8_t m_dirty = 0;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::uint8_t m_blendMode = 0;
    std::uint8_t m_alpha = 255;
    RECT m_bounds = {0, 0, 0, 0};

private:
    friend class SpriteList;
    SpriteList* m_list = nullptr;
};
