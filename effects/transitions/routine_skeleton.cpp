#include "effects/transitions/routine_skeleton.h"

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
    if (progress < 256) return true;
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

void RoutineCanvas::Piece(const RECT& rect, std::int32_t dx, std::int32_t dy) {
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
