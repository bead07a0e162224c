// BgLayerCache: a background layer effect's hold on the canvas cache, the canvas's scaled copy
// of its background (Canvas::CreateScaled / DropScaled). A cache is in use while the copy
// exists, whoever made it; an effect only takes a free one.
//
// The canvas owns the copy and drops it on any background change, so the effect never keeps
// the image: every draw asks Get again, which answers null once the copy is gone or when the
// copy the canvas holds is no longer the one this effect made (told apart by the canvas's copy
// serial, not by address), and the draw then does nothing.
// Release drops the copy only when this effect made it and the canvas still holds it, so an
// effect that was refused, or whose copy was dropped and replaced, never takes another's.
// Used from the drawing thread only.
#pragma once

#include <cstdint>

class Canvas;
class Image;

class BgLayerCache {
public:
    BgLayerCache() = default;
    BgLayerCache(const BgLayerCache&) = delete;
    BgLayerCache& operator=(const BgLayerCache&) = delete;

    // Whether the canvas has a cache now (null: false).
    static bool InUse(const Canvas* canvas);

    // Takes the canvas's cache in the size of its target: 0 taken; inUseCode when the canvas
    // already has one (nothing changes); createCode when there is no canvas or target or the
    // copy cannot be made.
    std::int32_t Take(Canvas* canvas, std::int32_t inUseCode, std::int32_t createCode);
    // The cache this effect made, read from the canvas now; null once it is gone.
    Image* Get() const;
    // Drops the cache when this effect made it and the canvas still holds it; with redraw the
    // whole canvas is marked for repainting, so it shows its source again. Safe to repeat.
    void Release(bool redraw);

    // Whether this effect made a cache and has not released it (it may have been dropped since).
    bool Made() const { return m_serial != 0; }
    Canvas* Owner() const { return m_canvas; }

private:
    Canvas* m_canvas = nullptr;
    // The canvas's serial of the copy this effect made; 0 none.
    std::uint32_t m_serial = 0;
};
