#include "graphics/sprites/drawable.h"

#include "graphics/compose/blit_clip.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite_list.h"

std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    return NarrowToLong(std::int64_t{a} + b);
}

Drawable::~Drawable() { Detach(); }

void Drawable::Detach() {
    if (m_list) m_list->Remove(this);
    m_list = nullptr;
}

void Drawable::SetVisible(std::uint8_t visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    SetDirty(1);
}

std::int32_t Drawable::StoreBlendMode(std::uint8_t mode, std::uint8_t highest) {
    if (mode > highest) return 1;
    if (mode != m_blendMode) {
        m_blendMode = mode;
        SetDirty(1);
    }
    return 0;
}

void Drawable::InvalidateOnCanvas(const RECT& rect, std::int32_t dx, std::int32_t dy) {
    if (!m_list) return;
    const RECT shown = {SaturatingAdd(rect.left, dx), SaturatingAdd(rect.top, dy),
                        SaturatingAdd(rect.right, dx), SaturatingAdd(rect.bottom, dy)};
    m_list->InvalidateRect(&shown);
}

std::int32_t Drawable::SetAlpha(std::uint8_t alpha) {
    if (alpha != m_alpha) {
        m_alpha = alpha;
        SetDirty(1);
    }
    return 0;
}

bool Drawable::SetPosition(std::int32_t x, std::int32_t y) {
    if (x == m_x && y == m_y) return false;
    m_x = x;
    m_y = y;
    UpdateBounds();
    return true;
}

bool Drawable::MoveBy(std::int32_t dx, std::int32_t dy) {
    if (dx == 0 && dy == 0) return false;
    m_x = SaturatingAdd(m_x, dx);
    m_y = SaturatingAdd(m_y, dy);
    UpdateBounds();
    return true;
}

bool Drawable::SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x,
                                  std::int32_t y) {
    const bool sized = SetSize(width, height);
    const bool moved = SetPosition(x, y);
    return sized || moved;
}

bool Drawable::Overlaps(Drawable* other) {
    if (!other || !ShowsSomething()) return false;
    RECT b;
    other->GetBounds(&b);
    return b.left < m_bounds.right && m_bounds.left < b.right && b.top < m_bounds.bottom &&
           m_bounds.top < b.bottom;
}

std::int32_t Drawable::DrawKeepDirty(Image* target) {
    const std::uint8_t dirty = m_dirty;
    const std::int32_t result = Render(target, nullptr);
    SetDirty(dirty);
    return result;
}

void Drawable::ReportDrawn(Image* target, RECT* outRect) const {
    if (!outRect) return;
    *outRect = m_bounds;
    if (!target->ClipToClipRect(outRect)) outRect->left = -1;
}
