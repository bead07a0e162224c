#include "graphics/image/clipped_surface.h"

#include <algorithm>

std::int32_t ClippedSurface::Width() { return m_width; }
std::int32_t ClippedSurface::Height() { return m_height; }
std::int32_t ClippedSurface::Pitch() { return m_pitch; }

RECT* ClippedSurface::GetRect(RECT* out) {
    *out = RECT{0, 0, m_width, m_height};
    return out;
}

std::int32_t ClippedSurface::ColourKey() { return m_colourKey; }

bool ClippedSurface::SetClipRect(const RECT* rect) {
    if (!rect) {
        GetRect(&m_clipRect);
        return true;
    }
    if (rect->top >= rect->bottom || rect->left >= rect->right) return false;
    // Not tested for emptiness on purpose: a rectangle wholly beyond the surface is kept as an
    // empty clip, so that every later clipping against it fails.
    m_clipRect = RECT{std::max<LONG>(0, rect->left), std::max<LONG>(0, rect->top),
                      std::min<LONG>(rect->right, m_width), std::min<LONG>(rect->bottom, m_height)};
    return true;
}

RECT* ClippedSurface::GetClipRect(RECT* out) {
    *out = m_clipRect;
    return out;
}

const RECT* ClippedSurface::ClipRectPtr() { return &m_clipRect; }

bool ClippedSurface::ClipToClipRect(RECT* rect) {
    rect->left = std::max(rect->left, m_clipRect.left);
    rect->right = std::min(rect->right, m_clipRect.right);
    if (rect->left >= rect->right) return false;
    rect->top = std::max(rect->top, m_clipRect.top);
    rect->bottom = std::min(rect->bottom, m_clipRect.bottom);
    return rect->top < rect->bottom;
}

std::int32_t ClippedSurface::OriginX() { return m_originX; }
std::int32_t ClippedSurface::OriginY() { return m_originY; }
void ClippedSurface::SetOriginX(std::int32_t x) { m_originX = x; }
void ClippedSurface::SetOriginY(std::int32_t y) { m_originY = y; }
void ClippedSurface::SetOwnerKey(std::uint32_t key) { m_ownerKey = key; }
std::uint32_t ClippedSurface::OwnerKey() { return m_ownerKey; }
