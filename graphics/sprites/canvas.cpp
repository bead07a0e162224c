#include "graphics/sprites/canvas.h"

#include "graphics/sprites/drawable.h"

bool g_stripRedraw = true;
bool g_coalesceDirty = true;

std::int32_t StripHeightForWidth(std::int32_t width) {
    if (width < 40) return 128;
    if (width < 80) return 64;
    if (width < 160) return 32;
    if (width < 320) return 16;
    return 8;
}

Canvas::Canvas() { m_sprites.m_canvas = this; }

Canvas::~Canvas() {
    AttachOverlay(nullptr);
    m_sprites.Clear();
    m_sprites.m_canvas = nullptr;
}

std::int32_t Canvas::SetTarget(Image* image, bool redraw) {
    if (!image || !image->Bits()) return 1;
    m_target = image;
    if (redraw) InvalidateAll();
    return 0;
}

void Canvas::AttachOverlay(SpriteList* overlay) {
    if (m_overlay == overlay) return;
    // A list is the overlay of one canvas at a time.
    if (overlay && overlay->m_canvas && overlay->m_canvas->m_overlay == overlay)
        overlay->m_canvas->AttachOverlay(nullptr);
    if (m_overlay) m_overlay->m_canvas = nullptr;
    m_overlay = overlay;
    if (overlay) overlay->m_canvas = this;
}

std::int32_t Canvas::InvalidateAll() {
    if (!m_target) return 1;
    for (SpriteList* list : {&m_sprites, m_overlay}) {
        if (!list) continue;
        list->WalkFromHead([](SpriteListNode& node) {
            if (!node.drawable->IsVisible() || !node.drawable) return;
            if (node.drawable->Alpha() == 0 || !node.drawable) return;
            node.drawable->SetDirty(1);
            node.lastRect.left = -1;
        });
    }
    m_dirty.Clear();
    m_dirty.Add(RECT{0, 0, m_target->Width(), m_target->Height()});
    return 0;
}

bool Canvas::InvalidateRect(const RECT* rect) {
    if (!m_target) return false;
    RECT r = rect ? *rect : RECT{0, 0, m_target->Width(), m_target->Height()};
    if (rect && !m_target->ClipToClipRect(&r)) return false;
    m_dirty.Add(r);
    return true;
}

bool Canvas::ClipInvalidate(RECT* rect) {
    if (!m_target) return false;
    if (m_target->ClipToClipRect(rect)) m_dirty.Add(*rect);
    return true;
}

void Canvas::ResetDirty() {
    for (SpriteList* list : {&m_sprites, m_overlay}) {
        if (list) list->WalkFromHead([](SpriteListNode& node) { node.drawable->SetDirty(0); });
    }
    m_dirty.Clear();
}

void Canvas::CollectDirty(SpriteListNode** ownLast, SpriteListNode** overlayLast) {
    SpriteList* lists[2] = {&m_sprites, m_overlay};
    SpriteListNode** lasts[2] = {ownLast, overlayLast};
    for (int i = 0; i < 2; ++i) {
        SpriteList* list = lists[i];
        if (list) {
            // Each call into a drawable may remove it: the node then holds no drawable.
            list->WalkFromHead([this](SpriteListNode& node) {
                if (!node.drawable->IsDirty() || !node.drawable) return;
                if (node.lastRect.left != -1) m_dirty.Add(node.lastRect);
                RECT bounds;
                node.drawable->GetBounds(&bounds);
                if (!node.drawable) return;
                node.drawable->SetDirty(0);
                if (!node.drawable) return;
                if (m_target->ClipToClipRect(&bounds)) {
                    m_dirty.Add(bounds);
                    node.lastRect = bounds;
                } else {
                    node.lastRect.left = -1;
                }
            });
        }
        if (lasts[i]) *lasts[i] = list ? list->LastLive() : nullptr;
    }
    if (g_coalesceDirty) m_dirty.Coalesce();
}

std::vector<RECT> Canvas::TakeRegion() {
    std::vector<RECT> rects;
    rects.reserve(static_cast<std::size_t>(m_dirty.Count()));
    if (m_dirty.Count() != 0) {
        const RectNode* node = m_dirty.Head();
        do {
            rects.push_back(RECT{node->left, node->top, node->right, node->bottom});
            node = node->next;
        } while (node != m_dirty.Head());
    }
    m_dirty.Clear();
    return rects;
}

bool Canvas::AnyDrawables() const {
    return m_sprites.HasDrawables() || (m_overlay && m_overlay->HasDrawables());
}

std::uint8_t Canvas::BackgroundDepth() const {
    if (!m_background) return 0;
    return m_background->Kind() == kSurfacePixelBuffer
               ? static_cast<PixelBuffer*>(m_background)->Depth()
               : 32;
}

void Canvas::FillBackground(Image* into, const RECT* rect) {
    if (into->Depth() == 8)
        into->FillRect(static_cast<std::int32_t>((m_colour >> 16) & 0xFF), 0, 0, rect);
    else
        into->FillValue(m_colour, rect);
}

POINT Canvas::BackgroundOffset() const {
    return POINT{m_zeroOffsetX ? 0 : m_backgroundOffset.x, m_zeroOffsetY ? 0 : m_backgroundOffset.y};
}

bool Canvas::SetOrigin(std::int32_t x, std::int32_t y) {
    if (m_origin.x == x && m_origin.y == y) return false;
    m_origin = POINT{x, y};
    return true;
}

bool Canvas::SetFullRedraw(bool on) {
    const bool previous = m_fullRedraw;
    m_fullRedraw = on;
    return previous;
}

void Canvas::PaintBackground(Image* into, const RECT& strip) {
    if (m_noBackground) return;
    Surface* source = m_scaled ? m_scaled.get() : m_background;
    if (!source) {
        FillBackground(into, &strip);
        return;
    }
    const POINT offset = m_scaled ? POINT{0, 0} : BackgroundOffset();
    const RECT from = {SaturatingAdd(strip.left, offset.x), SaturatingAdd(strip.top, offset.y),
                       SaturatingAdd(strip.right, offset.x),
                       SaturatingAdd(strip.bottom, offset.y)};
    into->Blit(source, strip.left, strip.top, &from, false);
}

void Canvas::DrawOnTop(Image* into, const RECT& clip, bool withOwn) {
    DrawLists(into, &clip, 0, 0, true, withOwn);
}

void Canvas::DrawLists(Image* into, const RECT* clip, std::int32_t filterType, std::int32_t key,
                       bool withOverlay, bool withOwn) {
    SpriteList* lists[2] = {m_hideSprites || !withOwn ? nullptr : &m_sprites,
                            withOverlay && !m_hideOverlay ? m_overlay : nullptr};
    for (SpriteList* list : lists) {
        if (!list) continue;
        list->WalkFromTail([&](SpriteListNode& node) {
            Drawable* d = node.drawable;
            if (filterType == 1 && d->OwnerKey() != key) return;
            if (filterType == 2 && d->OwnerKey() == key) return;
            if (filterType < 0 || filterType > 2) return;
            if (!d->IsVisible() || !node.drawable) return;
            if (d->Alpha() == 0 || !node.drawable) return;
            if (clip)
                d->RenderClipped(into, *clip);
            else
                d->Render(into, nullptr);
        });
    }
}

void Canvas::PaintRect(Image* into, const RECT& r, bool anyDrawables,
                       const std::function<void(const RECT&)>& painted) {
    const std::int32_t height = r.bottom - r.top;
    const std::int32_t step = !g_stripRedraw || !anyDrawables
                                  ? height
                                  : StripHeightForWidth(r.right - r.left);
    for (std::int32_t top = r.top; top < r.bottom;) {
        const std::int32_t bottom =
            r.bottom - top > step ? top + step : r.bottom;
        const RECT strip = {r.left, top, r.right, bottom};
        PaintBackground(into, strip);
        DrawLists(into, &strip, 0, 0, true);
        if (painted) painted(strip);
        top = bottom;
    }
}

std::int32_t Canvas::Redraw(DirtyRegion* outRegion, const RECT* clip, std::int32_t dx,
                            std::int32_t dy) {
    if (m_frozen) return 0;
    if (!m_target) return 1;
    CollectDirty(nullptr, nullptr);
    if (m_fullRedraw) InvalidateAll();
    const RECT outClip = clip ? *clip : RECT{0, 0, m_target->Width(), m_target->Height()};
    if (m_dirty.Count() == 0) return -1;
    const bool anyDrawables = AnyDrawables();
    for (const RECT& r : TakeRegion()) {
        PaintRect(m_target, r, anyDrawables, nullptr);
        if (!outRegion) continue;
        const RECT moved = {SaturatingAdd(r.left, dx), SaturatingAdd(r.top, dy),
                            SaturatingAdd(r.right, dx), SaturatingAdd(r.bottom, dy)};
        RECT shown;
        if (IntersectRects(&shown, moved, outClip)) outRegion->Add(shown);
    }
    return 0;
}

std::int32_t Canvas::Render(Image* destination, std::int32_t filterType, std::int32_t key,
                            bool withOverlay) {
    if (!destination || !destination->Bits()) return 1;
    if (!m_target || destination->Width() != m_target->Width() ||
        destination->Height() != m_target->Height())
        return 2;
    const bool listsDrawn = (!m_hideSprites && m_sprites.HasDrawables()) ||
                            (withOverlay && !m_hideOverlay && m_overlay &&
                             m_overlay->HasDrawables());
    const RECT whole = {0, 0, destination->Width(), destination->Height()};
    if (g_stripRedraw) {
        const std::int32_t step = listsDrawn ? StripHeightForWidth(whole.right) : whole.bottom;
        for (std::int32_t top = 0; top < whole.bottom; top += step) {
            const RECT strip = {0, top, whole.right,
                                whole.bottom - top > step ? top + step : whole.bottom};
            PaintBackground(destination, strip);
            DrawLists(destination, &strip, filterType, key, withOverlay);
        }
        return 0;
    }
    if (!m_noBackground) {
        Surface* source = m_scaled ? m_scaled.get() : m_background;
        const POINT offset = m_scaled ? POINT{0, 0} : BackgroundOffset();
        if (source)
            destination->Blit(source, -offset.x, -offset.y, nullptr, false);
        else
            FillBackground(destination, nullptr);
    }
    DrawLists(destination, nullptr, filterType, key, withOverlay);
    return 0;
}
