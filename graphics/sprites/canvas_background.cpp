// The canvas's background: an image at an offset, a copy of it scaled or turned to the target's
// size, or a colour.
#include <cmath>
#include <utility>

#include "graphics/compose/math_tables.h"
#include "graphics/sprites/canvas.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "graphics/sprites/drawable.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::int32_t FloorHalf(std::int32_t v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

}  // namespace

bool Canvas::SetSource(Surface* image, std::int32_t offsetX, std::int32_t offsetY, bool redraw) {
    if (image && !image->Bits()) return false;
    if (image) m_pivot = POINT{FloorHalf(image->Width()), FloorHalf(image->Height())};
    DropScaled();
    m_background = image;
    m_backgroundOffset = POINT{offsetX, offsetY};
    if (redraw) InvalidateAll();
    return true;
}

void Canvas::SetBackgroundRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                              bool redraw) {
    SetBackgroundColour((m_colour & 0xFF000000u) | (std::uint32_t{red} << 16) |
                            (std::uint32_t{green} << 8) | blue,
                        redraw);
}

void Canvas::SetBackgroundColour(std::uint32_t colour, bool redraw) {
    m_background = nullptr;
    DropScaled();
    m_colour = colour;
    if (redraw) InvalidateAll();
}

void Canvas::GetBackground(Surface** image, std::int32_t* offsetX, std::int32_t* offsetY,
                           std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue) const {
    if (image) *image = m_background;
    if (offsetX) *offsetX = m_backgroundOffset.x;
    if (offsetY) *offsetY = m_backgroundOffset.y;
    if (red) *red = static_cast<std::uint8_t>(m_colour >> 16);
    if (green) *green = static_cast<std::uint8_t>(m_colour >> 8);
    if (blue) *blue = static_cast<std::uint8_t>(m_colour);
}

std::int32_t Canvas::SwapBackground(Canvas* other, bool redraw) {
    if (!other) return 1;
    std::swap(m_background, other->m_background);
    std::swap(m_backgroundOffset, other->m_backgroundOffset);
    std::swap(m_colour, other->m_colour);
    std::swap(m_scaled, other->m_scaled);
    std::swap(m_scaledSerial, other->m_scaledSerial);
    std::swap(m_filter, other->m_filter);
    std::swap(m_zoomOffset, other->m_zoomOffset);
    std::swap(m_scaledSize, other->m_scaledSize);
    std::swap(m_scaledSource, other->m_scaledSource);
    std::swap(m_angle, other->m_angle);
    std::swap(m_zoom, other->m_zoom);
    std::swap(m_pivot, other->m_pivot);
    if (redraw) {
        InvalidateAll();
        other->InvalidateAll();
    }
    return 0;
}

void Canvas::ClearScaledState() {
    m_scaledSize = SIZE{0, 0};
    m_angle = 0;
    m_zoom = 0.0;
}

void Canvas::DropScaled() {
    m_scaled.reset();
    ClearScaledState();
}

std::int32_t Canvas::CreateScaled(bool recreate) {
    if (!m_target) return 1;
    if (recreate) m_scaled.reset();
    if (!m_scaled) {
        auto scaled = std::make_unique<Image>();
        const std::uint8_t depth = m_background ? BackgroundDepth() : m_target->Depth();
        if (scaled->Create(m_target->Width(), m_target->Height(), depth, 0) != 0) return 2;
        const Image* background = dynamic_cast<const Image*>(m_background);
        if (depth == 8 && background) scaled->CopyPalette(background);
        m_scaled = std::move(scaled);
        static std::uint32_t lastSerial = 0;
        if (++lastSerial == 0) ++lastSerial;
        m_scaledSerial = lastSerial;
    }
    ClearScaledState();
    return 0;
}

bool Canvas::SetSourceRect(std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height, const RECT* rect) {
    if (!m_background || !m_target) return false;
    RECT whole;
    m_background->GetRect(&whole);
    const RECT source = rect ? *rect : whole;
    if (m_scaled && x == m_zoomOffset.x && y == m_zoomOffset.y && width == m_scaledSize.cx &&
        height == m_scaledSize.cy && SameRect(source, m_scaledSource))
        return false;
    const std::int32_t tw = m_target->Width();
    const std::int32_t th = m_target->Height();
    if ((width == 0 && height == 0) ||
        (x == 0 && y == 0 && width == tw && height == th && SameRect(source, whole))) {
        DropScaled();
        InvalidateAll();
        return true;
    }
    const SIZE size = {width > 0 ? width : tw, height > 0 ? height : th};
    if (CreateScaled(false) != 0) return false;
    const bool partial = x > 0 || y > 0 || SaturatingAdd(x, size.cx) < tw ||
                         SaturatingAdd(y, size.cy) < th;
    if (partial) FillBackground(m_scaled.get(), nullptr);
    std::int32_t result;
    if (BackgroundDepth() == 32)
        result = m_scaled->StretchBlendRect(m_background, 0, m_filter, 255, 0, &size, x, y,
                                            &source);
    else if (m_filter & 0x0F)
        result = m_scaled->StretchBlitSmooth(m_background, &size, x, y, &source);
    else
        result = m_scaled->StretchBlit(m_background, &size, x, y, &source, false);
    if (result != 0 && !partial) FillBackground(m_scaled.get(), nullptr);
    m_zoomOffset = POINT{x, y};
    m_scaledSource = source;
    m_scaledSize = SIZE{width, height};
    m_angle = 0;
    m_zoom = 0.0;
    InvalidateAll();
    return true;
}

std::int32_t Canvas::SetZoom(std::int32_t x, std::int32_t y, std::int32_t angle, double zoom) {
    if (!m_background || BackgroundDepth() != 32 || !m_target) return 0;
    if (m_scaled && x == m_zoomOffset.x && y == m_zoomOffset.y && angle == m_angle &&
        zoom == m_zoom)
        return 0;
    QuadPoint quad[4];
    if (RotateQuad(quad, x, y, angle, zoom, m_background->Width(), m_background->Height(),
                   m_pivot.x, m_pivot.y, nullptr, nullptr, nullptr, nullptr)) {
        if (CreateScaled(false) != 0) return 0;
        const pixelops::AffineBlendPoints points = {quad[0].x, quad[0].y, quad[1].x,
                                                    quad[1].y, quad[2].x, quad[2].y};
        if (m_scaled->AffineBlendRect(m_background, &points, nullptr, 0, m_filter, 255, 0, 1,
                                      m_colour, nullptr) != 0)
            m_scaled->FillValue(m_colour, nullptr);
        m_zoomOffset = POINT{x, y};
    } else {
        const bool identity = zoom == 1.0 && (angle & 511) == 0 && x == 0 && y == 0;
        // Any other refusal (a zoom that is not finite or too large) changes nothing.
        if (!identity && zoom != 0.0) return 0;
        DropScaled();
        zoom = 0.0;
        angle = 0;
    }
    m_zoom = zoom;
    m_angle = angle;
    m_scaledSize = SIZE{0, 0};
    InvalidateAll();
    return 1;
}

bool Canvas::SetPivot(std::int32_t type, std::int32_t px, std::int32_t py) {
    if (!m_background) return false;
    const std::int32_t w = m_background->Width();
    const std::int32_t h = m_background->Height();
    switch (type) {
        case 0: m_pivot = POINT{0, 0}; break;
        case 1: m_pivot = POINT{w, 0}; break;
        case 2: m_pivot = POINT{0, h}; break;
        case 3: m_pivot = POINT{w, h}; break;
        case 4: m_pivot = POINT{FloorHalf(w), FloorHalf(h)}; break;
        default: m_pivot = POINT{px, py}; break;
    }
    return true;
}
