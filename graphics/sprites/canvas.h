// Canvas: the software compositor behind every screen. It draws into a target image it does
// not own, over a background (an image, a scaled or turned copy of one, or a colour), the
// drawables of its own SpriteList and of an attached overlay list (owned elsewhere, drawn
// above). Changes only mark rectangles dirty; Redraw repaints exactly those, background first
// and then the drawables from back to front, and the present operations repaint and copy the
// same rectangles out to a device context or into DirectDraw surface memory.
//
// Redraw and the presents paint a snapshot of the dirty region: whatever drawing adds to it
// meanwhile stays for the next frame. Used from the drawing thread only.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/compose/dirty_region.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite_list.h"


// Process-wide switches, both on at start: paint dirty rectangles in horizontal strips (set
// from the settings at start-up), and coalesce the region after collecting.
extern bool g_stripRedraw;
extern bool g_coalesceDirty;

// The strip height for a dirty rectangle of this width when drawables are present.
std::int32_t StripHeightForWidth(std::int32_t width);

class Canvas {
public:
    Canvas();
    virtual ~Canvas();

    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // 1 no image or no pixels.
    std::int32_t SetTarget(Image* image, bool redraw);
    Image* Target() const { return m_target; }
    SpriteList& Sprites() { return m_sprites; }
    // Attaches a list drawn above the canvas's own (null detaches); both back-pointers are set,
    // and a list destroyed first detaches itself.
    void AttachOverlay(SpriteList* overlay);
    SpriteList* Overlay() const { return m_overlay; }

    // False when image is given without pixels.
    bool SetSource(Surface* image, std::int32_t offsetX, std::int32_t offsetY, bool redraw);
    void SetBackgroundRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue, bool redraw);
    void SetBackgroundColour(std::uint32_t colour, bool redraw);
    void GetBackground(Surface** image, std::int32_t* offsetX, std::int32_t* offsetY,
                       std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue) const;
    // 1 other null.
    std::int32_t SwapBackground(Canvas* other, bool redraw);
    void DropScaled();
    // 1 no target; 2 no memory.
    std::int32_t CreateScaled(bool recreate);
    // Shows rect of the background (null: all of it) scaled to width x height at (x, y).
    bool SetSourceRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                       const RECT* rect);
    // Shows the background turned and zoomed about the pivot and moved by (x, y). 1 changed;
    // 0 refused (no 32-bit background or target, a zoom that is not finite or too large) or
    // unchanged.
    std::int32_t SetZoom(std::int32_t x, std::int32_t y, std::int32_t angle, double zoom);
    bool SetPivot(std::int32_t type, std::int32_t px, std::int32_t py);
    void SetFilter(std::uint8_t filter) { m_filter = filter; }
    // The view SetSourceRect or SetZoom put on the background, for effects that move it on from
    // where it is. A source rectangle is shown while the scaled copy holds one (an effect's own
    // cache, made by CreateScaled, holds none); the turn is on while the angle is not 0 or the
    // zoom not 0.0.
    bool ShowsSourceRect() const {
        return m_scaled && (m_scaledSize.cx != 0 || m_scaledSize.cy != 0);
    }
    const RECT& ShownSourceRect() const { return m_scaledSource; }
    POINT ZoomOffset() const { return m_zoomOffset; }
    std::int32_t ZoomAngle() const { return m_angle; }
    double ZoomFactor() const { return m_zoom; }
    POINT Pivot() const { return m_pivot; }

    // 1 no target.
    std::int32_t InvalidateAll();
    // null: the whole target; false without target or when nothing is left after clipping.
    bool InvalidateRect(const RECT* rect);
    // Clips rect in place; false only without target.
    bool ClipInvalidate(RECT* rect);
    void ResetDirty();

    // 0 done (also while frozen); 1 no target; -1 nothing dirty (nothing drawn). outRegion
    // receives each repainted rectangle moved by (dx, dy) and cut to clip (null: the target).
    std::int32_t Redraw(DirtyRegion* outRegion, const RECT* clip, std::int32_t dx,
                        std::int32_t dy);
    // The whole canvas into destination. filterType 0 all drawables, 1 those with owner key
    // key, 2 the others, else none. 1 no destination pixels; 2 no target or another size.
    std::int32_t Render(Image* destination, std::int32_t filterType, std::int32_t key,
                        bool withOverlay);
    // Repaints and copies the dirty rectangles to (x + left, y + top) of the window's, the
    // surface's or the given device context. -1 nothing dirty; 1 no device context or a target
    // without a memory DC (the region is kept); 2 the surface's DC could not be released.
    std::int32_t PresentToDc(HWND window, HDC dc, IDirectDrawSurface7* surface, std::int32_t x,
                             std::int32_t y);
    // The same into the surface's memory, converted to formatCode and clipped to the surface.
    // -1 nothing dirty; 1 no target or surface, or the surface cannot be locked (the region is
    // kept); 2 no palette for an 8-bit target; 3 a format without converter (before locking).
    std::int32_t PresentToSurface(IDirectDrawSurface7* surface, std::int32_t formatCode,
                                  std::int32_t x, std::int32_t y);

    // The drawables that stay above a screen transition, into clip of another image, tail to
    // head: the own list when withOwn (unless hidden), then the overlay (unless hidden).
    void DrawOnTop(Image* into, const RECT& clip, bool withOwn);

    const DirtyRegion& Dirty() const { return m_dirty; }
    void SetFrozen(bool on) { m_frozen = on; }
    void SetNoBackground(bool on) { m_noBackground = on; }
    void SetHideSprites(bool on) { m_hideSprites = on; }
    void SetHideOverlay(bool on) { m_hideOverlay = on; }
    const Image* Scaled() const { return m_scaled.get(); }
    // The cached background for effects that draw into it themselves (a shake that fills what
    // the moved picture uncovers); null when there is none. Any background change drops it.
    Image* MutableScaled() { return m_scaled.get(); }
    // Names the cached background the canvas holds now (0 none): every copy made gets a number
    // no other copy in the process had, so a holder can tell its copy from a later one made at
    // the same address. A swap of backgrounds moves the number with the copy.
    std::uint32_t ScaledSerial() const { return m_scaled ? m_scaledSerial : 0; }
    std::uint32_t Colour() const { return m_colour; }
    // The colour word alone: the background and its cached copy stay, nothing is repainted.
    void StoreColour(std::uint32_t colour) { m_colour = colour; }

    // The origin scripts give the canvas; false when it is the one already stored (the caller
    // repaints the whole canvas after a change).
    bool SetOrigin(std::int32_t x, std::int32_t y);
    POINT Origin() const { return m_origin; }
    // While a switch is on, drawing the background uses 0 for the first (x) or second (y)
    // offset given with SetSource.
    void SetOffsetSwitches(bool zeroX, bool zeroY) {
        m_zeroOffsetX = zeroX;
        m_zeroOffsetY = zeroY;
    }
    bool ZeroOffsetX() const { return m_zeroOffsetX; }
    bool ZeroOffsetY() const { return m_zeroOffsetY; }
    // While on, every Redraw repaints the whole target whatever the dirty region holds. Returns
    // the previous state.
    bool SetFullRedraw(bool on);
    bool FullRedraw() const { return m_fullRedraw; }
    bool NoBackground() const { return m_noBackground; }

private:
    friend class SpriteList;

    void AddToRegion(const RECT& rect) { m_dirty.Add(rect); }
    void CollectDirty(SpriteListNode** ownLast, SpriteListNode** overlayLast);
    // The dirty rectangles, the region emptied.
    std::vector<RECT> TakeRegion();
    bool AnyDrawables() const;
    // Paints r of into in strips (or whole), calling painted(strip) after each.
    void PaintRect(Image* into, const RECT& r, bool anyDrawables,
                   const std::function<void(const RECT&)>& painted);
    void PaintBackground(Image* into, const RECT& strip);
    void FillBackground(Image* into, const RECT* rect);
    // The drawables that Redraw and Render draw (filter as Render's), tail to head.
    void DrawLists(Image* into, const RECT* clip, std::int32_t filterType, std::int32_t key,
                   bool withOverlay, bool withOwn = true);
    void ClearScaledState();
    std::uint8_t BackgroundDepth() const;
    // The SetSource offset as drawing uses it (the offset switches applied).
    POINT BackgroundOffset() const;

    Image* m_target = nullptr;
    SpriteList m_sprites;
    SpriteList* m_overlay = nullptr;
    DirtyRegion m_dirty;
    Surface* m_background = nullptr;
    POINT m_backgroundOffset = {0, 0};
    std::uint32_t m_colour = 0;
    bool m_frozen = false;
    bool m_noBackground = false;
    bool m_hideSprites = false;
    bool m_hideOverlay = false;
    std::unique_ptr<Image> m_scaled;
    std::uint32_t m_scaledSerial = 0;
    std::uint8_t m_filter = 1;
    POINT m_zoomOffset = {0, 0};
    SIZE m_scaledSize = {0, 0};
    RECT m_scaledSource = {0, 0, 0, 0};
    std::int32_t m_angle = 0;
    double m_zoom = 0.0;
    POINT m_pivot = {0, 0};
    POINT m_origin = {0, 0};
    bool m_zeroOffsetX = false;
    bool m_zeroOffsetY = false;
    bool m_fullRedraw = false;
};
