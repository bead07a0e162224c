#include "graphics/sprites/fill_rect_sprite.h"

#include "graphics/compose/blend_tables.h"
#include "graphics/compose/dirty_region.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite_list.h"

void FillRectSprite::Reset() {
    m_alpha = 255;
    m_blendMode = 0;
    m_width = 0;
    m_height = 0;
    m_displayWidth = 0;
    m_displayHeight = 0;
}

void FillRectSprite::UpdateBounds() {
    m_bounds = RECT{m_x, m_y, SaturatingAdd(m_x, CoveredWidth()),
                    SaturatingAdd(m_y, CoveredHeight())};
    SetDirty(1);
}

std::int32_t FillRectSprite::SetBlendMode(std::uint8_t mode) { return StoreBlendMode(mode, 3); }

bool FillRectSprite::SetSize(std::int32_t width, std::int32_t height) {
    if (width == m_displayWidth && height == m_displayHeight) return false;
    m_displayWidth = width;
    m_displayHeight = height;
    UpdateBounds();
    return true;
}

std::int32_t FillRectSprite::Setup(std::int32_t width, std::int32_t height, std::uint32_t argb,
                                   std::int32_t x, std::int32_t y) {
    Reset();
    m_width = width;
    m_height = height;
    m_x = x;
    m_y = y;
    m_alpha = static_cast<std::uint8_t>(argb >> 24);
    m_colour = argb & 0xFFFFFF;
    UpdateBounds();
    return 0;
}

bool FillRectSprite::SetColour(std::uint32_t rgb) {
    if ((rgb & 0xFFFFFF) == m_colour) return false;
    m_colour = rgb & 0xFFFFFF;
    SetDirty(1);
    return true;
}

bool FillRectSprite::SetColourAlpha(std::uint32_t argb) {
    const std::uint8_t alpha = static_cast<std::uint8_t>(argb >> 24);
    const std::uint32_t colour = argb & 0xFFFFFF;
    if (alpha == m_alpha && colour == m_colour) return false;
    m_alpha = alpha;
    m_colour = colour;
    SetDirty(1);
    return true;
}

bool FillRectSprite::SetBaseSize(std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0 || (width == m_width && height == m_height)) return false;
    m_width = width;
    m_height = height;
    m_displayWidth = 0;
    m_displayHeight = 0;
    UpdateBounds();
    return true;
}

bool FillRectSprite::SetRect(std::int32_t width, std::int32_t height, std::int32_t x,
                             std::int32_t y) {
    const bool moved = SetPosition(x, y);
    const bool sized = SetBaseSize(width, height);
    return moved || sized;
}

bool FillRectSprite::InvalidateArea(const RECT& rect) {
    if (!List()) return false;
    RECT part = rect;
    const RECT covered = {0, 0, CoveredWidth(), CoveredHeight()};
    if (!IntersectRects(&part, rect, covered)) return false;
    InvalidateOnCanvas(part, m_x, m_y);
    return true;
}

bool FillRectSprite::HitTest(std::int32_t x, std::int32_t y, bool) {
    return m_width != 0 && x >= m_bounds.left && y >= m_bounds.top && x < m_bounds.right &&
           y < m_bounds.bottom;
}

std::int32_t FillRectSprite::Fill(Image* target, const RECT& rect) {
    std::int32_t r = static_cast<std::int32_t>((m_colour >> 16) & 0xFF);
    std::int32_t g = static_cast<std::int32_t>((m_colour >> 8) & 0xFF);
    std::int32_t b = static_cast<std::int32_t>(m_colour & 0xFF);
    if (m_blendMode == 0) return target->FillAlpha(r, g, b, m_alpha, &rect);
    if (m_alpha != 255) {
        r = g_blendTables.multiply[r][m_alpha];
        g = g_blendTables.multiply[g][m_alpha];
        b = g_blendTables.multiply[b][m_alpha];
    }
    return m_blendMode == 2 ? target->FillAdd(r, g, b, &rect) : target->FillSubtract(r, g, b, &rect);
}

std::int32_t FillRectSprite::Render(Image* target, RECT* outRect) {
    if (!IsVisible() || m_alpha == 0 || m_width == 0) return 0;
    if (!target) return 1;
    if (m_blendMode == 1) return 2;
    if (Fill(target, m_bounds) != 0) return 3;
    ReportDrawn(target, outRect);
    return 0;
}

void FillRectSprite::RenderClipped(Image* target, const RECT& clip) {
    RECT area;
    if (!target || m_blendMode == 1 || m_width == 0 || !IntersectRects(&area, m_bounds, clip))
        return;
    Fill(target, area);
}
