#include "graphics/sprites/sprite.h"

#include <cmath>

#include "graphics/compose/blit_clip.h"
#include "graphics/compose/dirty_region.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite_list.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"

namespace {

std::uint8_t DepthOf(Surface* surface) {
    return surface->Kind() == kSurfacePixelBuffer ? static_cast<PixelBuffer*>(surface)->Depth()
                                                  : 32;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Half a size, rounded toward minus infinity.
std::int32_t FloorHalf(std::int32_t v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

// The pixel at (x, y) of a surface; false outside it.
bool ReadPixel(Surface* surface, std::int32_t x, std::int32_t y, std::uint32_t* out) {
    if (x < 0 || y < 0 || x >= surface->Width() || y >= surface->Height()) return false;
    const std::uint8_t* row = surface->Row(y);
    if (!row) return false;
    if (DepthOf(surface) == 8) {
        *out = row[x];
    } else {
        *out = reinterpret_cast<const std::uint32_t*>(row)[x];
    }
    return true;
}

RECT MakeRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    return RECT{x, y, SaturatingAdd(x, w), SaturatingAdd(y, h)};
}

}  // namespace

Sprite::Sprite() { Sprite::Reset(); }

Sprite::~Sprite() {
    Detach();
    DropCache();
}

void Sprite::Reset() {
    m_alpha = 255;
    m_blendMode = 0;
    m_image = nullptr;
    m_scroll = POINT{0, 0};
    m_stretch = SIZE{0, 0};
    m_angle = 0;
    m_zoom = 1.0;
    m_rotatedSize = SIZE{0, 0};
    DropCache();
}

void Sprite::DropCache() {
    m_cache.reset();
    m_cacheBorrowed = 0;
}

std::uint8_t Sprite::ImageDepth() const { return m_image ? DepthOf(m_image) : 0; }

POINT Sprite::Centre() const { return POINT{FloorHalf(Width()), FloorHalf(Height())}; }

std::int32_t Sprite::SetBlendMode(std::uint8_t mode) { return StoreBlendMode(mode, 31); }

void Sprite::UpdateBounds() {
    if (Rotated()) {
        const std::int32_t left = SaturatingAdd(m_x, m_rotatedOffset.x);
        const std::int32_t top = SaturatingAdd(m_y, m_rotatedOffset.y);
        m_bounds = MakeRect(left, top, m_rotatedSize.cx, m_rotatedSize.cy);
    } else if (Stretched()) {
        m_bounds = MakeRect(m_x, m_y, m_stretch.cx, m_stretch.cy);
    } else {
        m_bounds = MakeRect(m_x, m_y, Width(), Height());
    }
    SetDirty(1);
}

std::int32_t Sprite::SetImage(Surface* image, const RECT* sourceRect, std::int32_t x,
                              std::int32_t y) {
    if (!image || !image->Bits()) return 1;
    if (!CurrentPixelOpLibrary()) return 2;
    Reset();
    RECT source = *image->ClipRectPtr();
    if (sourceRect) {
        source = *sourceRect;
        if (!image->ClipToClipRect(&source)) {
            Reset();
            return 3;
        }
    }
    m_image = image;
    m_source = source;
    const Image* asImage = dynamic_cast<const Image*>(image);
    if (asImage && asImage->HasAlpha()) m_blendMode = 2;
    m_x = x;
    m_y = y;
    m_pivot = Centre();
    UpdateBounds();
    return 0;
}

std::int32_t Sprite::ReplaceImage(Surface* image) {
    if (!image || !image->Bits() || !m_image) return 1;
    if (DepthOf(image) != ImageDepth() || m_cacheBorrowed) DropCache();
    m_image = image;
    SetDirty(1);
    return 0;
}

std::shared_ptr<Image> Sprite::FreshCache(std::int32_t width, std::int32_t height,
                                          std::uint8_t depth) const {
    if (m_cache && m_cache.use_count() == 1 && m_cache->Width() == width &&
        m_cache->Height() == height && m_cache->Depth() == depth)
        return m_cache;
    auto cache = std::make_shared<Image>();
    if (cache->Create(width, height, depth, 0) != 0) return nullptr;
    if (depth == 32) cache->FillValue(0, nullptr);
    const Image* asImage = dynamic_cast<const Image*>(m_image);
    if (depth == 8 && asImage) cache->CopyPalette(asImage);
    return cache;
}

std::int32_t Sprite::RenderStretched(Image* into, std::int32_t width, std::int32_t height) {
    const SIZE size = {width, height};
    if (ImageDepth() == 32)
        return into->StretchBlendRect(m_image, 0, m_filter, 255, 0, &size, 0, 0, &m_source) ? 1
                                                                                            : 0;
    if (m_filter & 0x0F) return into->StretchBlitSmooth(m_image, &size, 0, 0, &m_source) ? 2 : 0;
    // A plain copy of every pixel: the key must not leave holes in the cache.
    auto* buffer = static_cast<PixelBuffer*>(m_image);
    const std::int32_t key = buffer->ColourKey();
    buffer->ClearColourKey();
    const std::int32_t result = into->StretchBlit(m_image, &size, 0, 0, &m_source, false);
    buffer->SetColourKeyValue(key);
    return result ? 3 : 0;
}

std::int32_t Sprite::RenderRotation(Image* into, std::int32_t width, std::int32_t height) {
    const std::int32_t key = m_image->ColourKey();
    const pixelops::AffineBlendPoints points = {m_quad[0].x, m_quad[0].y, m_quad[1].x,
                                                m_quad[1].y, m_quad[2].x, m_quad[2].y};
    const RECT dest = {0, 0, width, height};
    return into->AffineBlendRect(m_image, &points, &m_source, 0, m_filter, 255, 0, 1,
                                 key == -1 ? 0 : static_cast<std::uint32_t>(key), &dest);
}

bool Sprite::BuildRotation(std::int32_t angle, double zoom) {
    QuadPoint quad[4];
    std::int32_t w = 0, h = 0, ox = 0, oy = 0;
    if (!RotateQuad(quad, 0, 0, angle, zoom, Width(), Height(), m_pivot.x, m_pivot.y, &w, &h,
                    &ox, &oy))
        return false;
    if (w <= 0 || h <= 0) return false;
    std::shared_ptr<Image> cache = FreshCache(w, h, 32);
    if (!cache) return false;
    cache->SetColourKeyValue(m_image->ColourKey());
    QuadPoint kept[4];
    for (int i = 0; i < 4; ++i) kept[i] = m_quad[i];
    for (int i = 0; i < 4; ++i) m_quad[i] = quad[i];
    if (RenderRotation(cache.get(), w, h) != 0) {
        for (int i = 0; i < 4; ++i) m_quad[i] = kept[i];
        return false;
    }
    m_cache = cache;
    m_rotatedSize = SIZE{w, h};
    m_rotatedOffset = POINT{ox, oy};
    return true;
}

bool Sprite::RenderCache() {
    if (m_cacheBorrowed || !m_image) return false;
    if (Rotated()) {
        std::shared_ptr<Image> cache = FreshCache(m_rotatedSize.cx, m_rotatedSize.cy, 32);
        if (!cache) return false;
        cache->SetColourKeyValue(m_image->ColourKey());
        if (RenderRotation(cache.get(), m_rotatedSize.cx, m_rotatedSize.cy) != 0) return false;
        m_cache = cache;
    } else if (Stretched()) {
        std::shared_ptr<Image> cache = FreshCache(m_stretch.cx, m_stretch.cy, ImageDepth());
        if (!cache) return false;
        cache->SetColourKeyValue(m_image->ColourKey());
        if (RenderStretched(cache.get(), m_stretch.cx, m_stretch.cy) != 0) return false;
        m_cache = cache;
    }
    return true;
}

std::int32_t Sprite::SetSourceRect(const RECT* rect) {
    if (!m_image || m_cacheBorrowed) return 1;
    RECT source = *m_image->ClipRectPtr();
    if (rect) {
        if (SameRect(*rect, m_source)) return 0;
        source = *rect;
        if (!m_image->ClipToClipRect(&source)) return 2;
    }
    m_source = source;
    m_scroll = POINT{0, 0};
    m_pivot = Centre();
    if (Rotated()) {
        if (!BuildRotation(m_angle, m_zoom)) return 3;
    } else if (Stretched() && !RenderCache()) {
        return 3;
    }
    UpdateBounds();
    return 0;
}

std::int32_t Sprite::ScrollSource(std::int32_t sx, std::int32_t sy) {
    if (!m_image || m_cacheBorrowed) return 1;
    if (sx == m_scroll.x && sy == m_scroll.y) return 0;
    const std::int32_t dx = SaturatingAdd(sx, -m_scroll.x);
    const std::int32_t dy = SaturatingAdd(sy, -m_scroll.y);
    m_source = RECT{SaturatingAdd(m_source.left, dx), SaturatingAdd(m_source.top, dy),
                    SaturatingAdd(m_source.right, dx), SaturatingAdd(m_source.bottom, dy)};
    m_scroll = POINT{sx, sy};
    RenderCache();
    SetDirty(1);
    return 0;
}

bool Sprite::SetFilter(std::uint8_t filter) {
    if (filter == m_filter || m_cacheBorrowed || (filter & 0x0F) > 3 || (filter >> 4) > 1)
        return false;
    m_filter = filter;
    RenderCache();
    SetDirty(1);
    return true;
}

void Sprite::ClearShape() {
    m_stretch = SIZE{0, 0};
    m_rotatedSize = SIZE{0, 0};
    m_angle = 0;
    m_zoom = 1.0;
}

std::int32_t Sprite::CreateCache(std::int32_t width, std::int32_t height) {
    if (!m_image || m_cacheBorrowed) return 1;
    std::shared_ptr<Image> cache = FreshCache(width > 0 ? width : Width(),
                                              height > 0 ? height : Height(), ImageDepth());
    if (!cache) return 2;
    m_cache = cache;
    ClearShape();
    return 0;
}

bool Sprite::SetStretch(std::int32_t width, std::int32_t height) {
    if (!m_image || m_cacheBorrowed) return false;
    if (width == m_stretch.cx && height == m_stretch.cy) return false;
    SIZE size = {0, 0};
    if (width != 0 || height != 0) {
        size = SIZE{width > 0 ? width : Width(), height > 0 ? height : Height()};
        std::shared_ptr<Image> cache = FreshCache(size.cx, size.cy, ImageDepth());
        if (!cache || RenderStretched(cache.get(), size.cx, size.cy) != 0) return false;
        cache->SetColourKeyValue(m_image->ColourKey());
        m_cache = cache;
    }
    ClearShape();
    m_stretch = size;
    UpdateBounds();
    return true;
}

std::int32_t Sprite::ReserveRotationCache(double zoom) {
    if (!m_image || m_cacheBorrowed) return 1;
    QuadPoint quad[4];
    std::int32_t w = 0, h = 0;
    if (!RotateQuad(quad, 0, 0, 64, zoom, Width(), Height(), m_pivot.x, m_pivot.y, &w, &h,
                    nullptr, nullptr) ||
        w <= 0 || h <= 0)
        return 2;
    std::shared_ptr<Image> cache = FreshCache(w, h, ImageDepth());
    if (!cache) return 3;
    m_cache = cache;
    ClearShape();
    return 0;
}

bool Sprite::SetPivot(std::int32_t type, std::int32_t px, std::int32_t py) {
    if (!m_image || m_cacheBorrowed) return false;
    POINT pivot;
    switch (type) {
        case 0: pivot = POINT{0, 0}; break;
        case 1: pivot = POINT{Width(), 0}; break;
        case 2: pivot = POINT{0, Height()}; break;
        case 3: pivot = POINT{Width(), Height()}; break;
        case 4: pivot = Centre(); break;
        default: pivot = POINT{px, py}; break;
    }
    if (pivot.x == m_pivot.x && pivot.y == m_pivot.y) return false;
    const POINT kept = m_pivot;
    m_pivot = pivot;
    if (Rotated()) {
        if (!BuildRotation(m_angle, m_zoom)) {
            m_pivot = kept;
            return false;
        }
        UpdateBounds();
    }
    return true;
}

std::int32_t Sprite::SetRotationZoom(std::int32_t angle, double zoom) {
    if (!m_image || ImageDepth() != 32 || m_cacheBorrowed) return 0;
    if (angle == m_angle && zoom == m_zoom) return 0;
    if ((angle & 511) != 0 || zoom != 1.0) {
        if (!BuildRotation(angle, zoom)) return 0;
    } else {
        m_rotatedSize = SIZE{0, 0};
    }
    m_zoom = zoom;
    m_angle = angle;
    m_stretch = SIZE{0, 0};
    UpdateBounds();
    return 1;
}

bool Sprite::RefreshCache(bool clearImageDirty) {
    Image* image = dynamic_cast<Image*>(m_image);
    if (!image || !List() || !image->GetDirtyRegion()) return false;
    DirtyRegion* region = image->GetDirtyRegion();
    if (Rotated() || Stretched()) {
        RenderCache();
        SetDirty(1);
    } else if (region->Count() != 0) {
        const RectNode* node = region->Head();
        do {
            RECT part;
            const RECT changed = {node->left, node->top, node->right, node->bottom};
            if (IntersectRects(&part, changed, m_source)) {
                InvalidateOnCanvas(part, m_bounds.left - m_source.left,
                                   m_bounds.top - m_source.top);
            }
            node = node->next;
        } while (node != region->Head());
    }
    if (clearImageDirty) {
        region->Clear();
        image->SetModified(false);
    }
    return true;
}

void Sprite::TakeLook(const Sprite& other) {
    m_visible = other.m_visible;
    m_x = other.m_x;
    m_y = other.m_y;
    m_blendMode = other.m_blendMode;
    m_alpha = other.m_alpha;
    m_bounds = other.m_bounds;
    m_image = other.m_image;
    m_source = other.m_source;
    m_scroll = other.m_scroll;
    m_stretch = other.m_stretch;
    m_angle = other.m_angle;
    m_zoom = other.m_zoom;
    m_pivot = other.m_pivot;
    m_rotatedOffset = other.m_rotatedOffset;
    m_rotatedSize = other.m_rotatedSize;
    m_filter = other.m_filter;
    for (int i = 0; i < 4; ++i) m_quad[i] = other.m_quad[i];
}

std::int32_t Sprite::CopyFrom(const Sprite* other) {
    if (other == this) return 0;
    if (!other || !other->m_image) return 1;
    Detach();
    DropCache();
    m_ownerKey = other->m_ownerKey;
    TakeLook(*other);
    if (m_stretch.cx == Width() && m_stretch.cy == Height()) m_stretch = SIZE{0, 0};
    if ((Rotated() || Stretched()) && other->m_cache) {
        auto cache = std::make_shared<Image>();
        if (cache->CopyFrom(other->m_cache.get(), 0) == 0) m_cache = cache;
    }
    SetDirty(0);
    return 0;
}

std::int32_t Sprite::ShareFrom(const Sprite* other) {
    if (other == this) return 0;
    if (!other) return 1;
    DropCache();
    TakeLook(*other);
    m_cache = other->m_cache;
    m_cacheBorrowed = m_cache ? 1 : 0;
    SetDirty(1);
    return 0;
}

bool Sprite::InvalidateArea(const RECT& rect) {
    if (rect.left >= m_source.right || rect.top >= m_source.bottom || rect.right < 1 ||
        rect.bottom < 1)
        return false;
    if (Rotated() || Stretched()) {
        RenderCache();
        SetDirty(1);
        return true;
    }
    if (!List()) return false;
    RECT part = rect;
    const RECT limit = {0, 0, m_source.right, m_source.bottom};
    if (!ClipRectTo(&part, &limit)) return false;
    InvalidateOnCanvas(part, m_bounds.left - m_source.left, m_bounds.top - m_source.top);
    return true;
}

bool Sprite::HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) {
    if (!m_image || !m_image->Bits()) return false;
    if (x < m_bounds.left || y < m_bounds.top || x >= m_bounds.right || y >= m_bounds.bottom)
        return false;
    if (!opaqueOnly) return true;
    Surface* picture = m_image;
    std::int32_t px = x - m_bounds.left;
    std::int32_t py = y - m_bounds.top;
    if (Rotated() || Stretched()) {
        if (!m_cache) return false;
        picture = m_cache.get();
    } else {
        // The pixel actually shown there, wherever the source rectangle starts.
        px = SaturatingAdd(px, m_source.left);
        py = SaturatingAdd(py, m_source.top);
    }
    std::uint32_t pixel;
    if (!ReadPixel(picture, px, py, &pixel)) return false;
    const std::int32_t key = picture->ColourKey();
    if (key != -1) return pixel != static_cast<std::uint32_t>(key);
    return DepthOf(picture) == 8 || (pixel >> 24) != 0;
}

bool Sprite::Choose(Surface** from, RECT* rect) const {
    if (Rotated()) {
        *from = m_cache.get();
        *rect = RECT{0, 0, m_rotatedSize.cx, m_rotatedSize.cy};
    } else if (Stretched()) {
        *from = m_cache.get();
        *rect = RECT{0, 0, m_stretch.cx, m_stretch.cy};
    } else {
        *from = m_image;
        *rect = m_source;
    }
    return *from != nullptr;
}

std::int32_t Sprite::DrawWithin(Image* target, const RECT& area) {
    Surface* from;
    RECT source;
    if (!Choose(&from, &source)) return 2;
    // The part of the bounds inside area, and the same cut taken from the source, so the
    // library is never asked to clip (it would cut the sprite's own rectangle for good).
    RECT drawn;
    if (!IntersectRects(&drawn, m_bounds, area) || !target->ClipToClipRect(&drawn)) return 0;
    source.left = SaturatingAdd(source.left, drawn.left - m_bounds.left);
    source.top = SaturatingAdd(source.top, drawn.top - m_bounds.top);
    source.right = SaturatingAdd(source.right, drawn.right - m_bounds.right);
    source.bottom = SaturatingAdd(source.bottom, drawn.bottom - m_bounds.bottom);
    if (source.left >= source.right || source.top >= source.bottom) return 0;
    const std::int32_t x = drawn.left;
    const std::int32_t y = drawn.top;
    std::int32_t result = 0;
    if (DepthOf(from) == 8) {
        result = target->Blit(from, x, y, &source, false);
    } else if (from->ColourKey() == -1) {
        result = target->BlendRect(from, m_blendMode, m_alpha, 0, x, y, &source);
    } else {
        const bool opaque = m_alpha == 255;
        switch (m_blendMode) {
            case 0:
                result = opaque ? target->Blit(from, x, y, &source, false)
                                : target->BlendWeighted(from, m_alpha, x, y, &source);
                break;
            case 2:
                result = opaque ? target->AlphaBlend(from, x, y, &source, false)
                                : target->BlendTable(0, from, m_alpha, x, y, &source);
                break;
            case 4:
                result = opaque ? target->BlendMode(1, from, x, y, &source)
                                : target->BlitOpacityA(from, m_alpha, x, y, &source);
                break;
            case 5:
                result = opaque ? target->BlendMode(2, from, x, y, &source)
                                : target->BlitOpacityB(from, m_alpha, x, y, &source);
                break;
            default: return 2;
        }
    }
    return result ? 3 : 0;
}

std::int32_t Sprite::Render(Image* target, RECT* outRect) {
    if (!IsVisible() || m_alpha == 0) return 0;
    if (!target || !m_image) return 1;
    const std::int32_t result = DrawWithin(target, *target->ClipRectPtr());
    if (result != 0) return result;
    ReportDrawn(target, outRect);
    return 0;
}

void Sprite::RenderClipped(Image* target, const RECT& clip) {
    if (target && m_image) DrawWithin(target, clip);
}
