#include "effects/transitions/routine_skeleton.h"

#include <algorithm>

#include "effects/transitions/transition_routines.h"
#include "effects/transitions/transition_surface_port.h"
#include "graphics/image/image.h"

namespace {

TransitionSurfacePort* g_port = nullptr;

}  // namespace

void SetTransitionSurfacePort(TransitionSurfacePort* port) { g_port = port; }
TransitionSurfacePort* CurrentTransitionSurfacePort() { return g_port; }

bool RoutineCanvas::Begin(Surface* destination, Surface* source, std::int32_t progress,
                          std::int32_t x, std::int32_t y, std::int32_t mode,
                          ScreenDevice* device, std::int32_t* result) {
    *result = 0;
    if (progress <= 0) return false;
    m_mode = mode;
    m_source = source;
    if (mode == kDrawDirectDraw) {
        m_target = g_port ? g_port->TargetSurface(destination, device, &m_clip) : nullptr;
        if (!m_target) {
            *result = 1;
            return false;
        }
        m_sourceSurface = g_port->SourceSurface(source);
        m_key = source->ColourKey();
        if (device) {
            m_extentRight = m_clip.right;
            m_extentBottom = m_clip.bottom;
        }
    } else {
        // The driver lets only Images through in modes 0 and 1.
        m_image = static_cast<Image*>(destination);
    }
    if (mode != kDrawDirectDraw || !device) {
        m_extentRight = destination->Width();
        m_extentBottom = destination->Height();
    }
    m_width = source->Width();
    m_height = source->Height();
    if (progress < 256) {
        if (m_image && m_image->GetDirtyRegion()) {
            m_image->SetRecordingDirty(false);
            m_dirtyPaused = true;
        }
        return true;
    }
    switch (mode) {
        case kDrawCopy:
            *result = m_image->Blit(source, x, y, nullptr, false);
            break;
        case kDrawAlphaBlend:
            *result = m_image->AlphaBlend(source, x, y, nullptr, false);
            break;
        case kDrawDirectDraw:
            *result = g_port->BltFastClipped(m_target, m_sourceSurface, x, y,
                                             source->ClipRectPtr(), &m_clip, m_key);
            break;
        default:
            break;
    }
    return false;
}

void RoutineCanvas::Cover(std::int32_t left, std::int32_t top, std::int32_t right,
                          std::int32_t bottom) {
    if (left >= right || top >= bottom) return;
    if (m_drawn.left >= m_drawn.right || m_drawn.top >= m_drawn.bottom) {
        m_drawn = RECT{left, top, right, bottom};
        return;
    }
    m_drawn.left = std::min<LONG>(m_drawn.left, left);
    m_drawn.top = std::min<LONG>(m_drawn.top, top);
    m_drawn.right = std::max<LONG>(m_drawn.right, right);
    m_drawn.bottom = std::max<LONG>(m_drawn.bottom, bottom);
}

void RoutineCanvas::MarkDrawn() {
    if (!m_dirtyPaused) return;
    m_dirtyPaused = false;
    m_image->SetRecordingDirty(true);
    // A piece draws nowhere outside its rectangle at (dx, dy), nor outside the image's clip.
    RECT box = m_drawn;
    const RECT* clip = m_image->ClipRectPtr();
    box.left = std::max<LONG>(box.left, std::max<LONG>(clip->left, 0));
    box.top = std::max<LONG>(box.top, std::max<LONG>(clip->top, 0));
    box.right = std::min<LONG>(box.right, std::min<LONG>(clip->right, m_image->Width()));
    box.bottom = std::min<LONG>(box.bottom, std::min<LONG>(clip->bottom, m_image->Height()));
    if (box.left < box.right && box.top < box.bottom) m_image->MarkChanged(box);
    m_drawn = RECT{0, 0, 0, 0};
}

void RoutineCanvas::Piece(const RECT& rect, std::int32_t dx, std::int32_t dy) {
    if (m_dirtyPaused)
        Cover(dx, dy, dx + (rect.right - rect.left), dy + (rect.bottom - rect.top));
    RECT r = rect;
    switch (m_mode) {
        case kDrawCopy:
            m_image->Blit(m_source, dx, dy, &r, false);
            break;
        case kDrawAlphaBlend:
            m_image->AlphaBlend(m_source, dx, dy, &r, false);
            break;
        case kDrawDirectDraw:
            g_port->BltFastClipped(m_target, m_sourceSurface, dx, dy, &r, &m_clip, m_key);
            break;
        default:
            break;
    }
}

void RoutineCanvas::Stretched(const RECT& rect, const SIZE& size, std::int32_t dx,
                              std::int32_t dy) {
    if (size.cx <= 0 || size.cy <= 0) return;
    if (m_dirtyPaused) Cover(dx, dy, dx + size.cx, dy + size.cy);
    RECT r = rect;
    SIZE s = size;
    switch (m_mode) {
        case kDrawCopy:
            m_image->StretchBlit(m_source, &s, dx, dy, &r, false);
            break;
        case kDrawAlphaBlend:
            m_image->StretchAlphaBlend(m_source, &s, dx, dy, &r, false);
            break;
        case kDrawDirectDraw:
            g_port->BltClipped(m_target, m_sourceSurface, &s, dx, dy, &r, &m_clip, m_key);
            break;
        default:
            break;
    }
}
