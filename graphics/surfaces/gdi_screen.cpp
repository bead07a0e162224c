#include "graphics/surfaces/gdi_screen.h"

#include <memory>
#include <vector>

#include "framework/runtime/timer_resolution.h"
#include "graphics/compose/gdi_blit.h"
#include "graphics/compose/surface_transfer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/present_helpers.h"

using namespace present_helpers;

std::int32_t GdiScreen::Present(HWND window, HDC dc, IDirectDrawSurface7* surface,
                                std::int32_t formatCode, bool dirtyOnly) {
    if (m_transition) return TransitionFrame(window, dc, nullptr, surface, formatCode);
    if (m_useCanvas && m_canvas) {
        if (!dirtyOnly) m_canvas->InvalidateAll();
        return surface ? m_canvas->PresentToSurface(surface, formatCode, 0, 0)
                       : m_canvas->PresentToDc(window, dc, nullptr, 0, 0);
    }
    return dirtyOnly ? PresentDirty(window, dc, surface, formatCode)
                     : PresentWhole(window, dc, surface, formatCode);
}

std::int32_t GdiScreen::PresentDirty(HWND window, HDC dc, IDirectDrawSurface7* surface,
                                     std::int32_t formatCode) {
    DirtyRegion* region = m_image.GetDirtyRegion();
    if (!m_image.Modified() || !region) return -1;
    if (g_coalesceDirty) region->Coalesce();
    const RECT clip = {0, 0, m_image.Width(), m_image.Height()};
    if (surface) {
        if (SurfaceBytesPerPixel(formatCode) == 0) return 3;
        LockedSurface locked(surface);
        if (!locked.Locked()) return 2;
        for (const RECT& r : RegionRects(*region)) {
            if (CopyImageToSurface(surface, formatCode, &clip, &m_image, r.left, r.top, &r,
                                   &locked.Desc()) == 2)
                return 2;
        }
    } else {
        PresentDc target(window, dc);
        if (!target.Get()) return 1;
        for (const RECT& r : RegionRects(*region))
            g_gdiBitBlt(target.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                        m_image.MemoryDc(), r.left, r.top, SRCCOPY);
    }
    region->Clear();
    m_image.SetModified(false);
    return 0;
}

std::int32_t GdiScreen::PresentWhole(HWND window, HDC dc, IDirectDrawSurface7* surface,
                                     std::int32_t formatCode) {
    if (surface) {
        const RECT clip = {0, 0, m_image.Width(), m_image.Height()};
        return CopyImageToSurface(surface, formatCode, &clip, &m_image, 0, 0, nullptr, nullptr);
    }
    PresentDc target(window, dc);
    if (!target.Get()) return 1;
    g_gdiBitBlt(target.Get(), 0, 0, m_image.Width(), m_image.Height(), m_image.MemoryDc(), 0, 0,
                SRCCOPY);
    return 0;
}

std::int32_t ScreenCore::TransitionFrame(HWND window, HDC dc, IDirectDrawSurface7* dcSurface,
                                         IDirectDrawSurface7* surface, std::int32_t formatCode) {
    if (m_transition->Update(CurrentTimeMs()) != 0) {
        EndTransition(m_swapAtEnd);
        return 0;
    }
    Image* first = nullptr;
    Image* second = nullptr;
    TransitionSources(&first, &second);
    Image* into = m_transitionImage.get();
    const std::int32_t width = m_image.Width();
    const std::int32_t height = m_image.Height();
    {
        // Opened after the sources are redrawn; closed before the transition may end.
        std::unique_ptr<LockedSurface> locked;
        std::unique_ptr<PresentDc> target;
        if (surface) {
            if (SurfaceBytesPerPixel(formatCode) == 0) return 3;
            locked.reset(new LockedSurface(surface));
            if (!locked->Locked()) return 2;
            if (m_image.Depth() == 8) {
                if (!m_image.Palette() && m_image.SetPalette(nullptr, 256, 0) != 0) return 2;
                if (!into->CopyPalette(&m_image)) return 2;
            }
        } else {
            target.reset(new PresentDc(window, dc, dcSurface));
            if (!target->Get()) return dcSurface && !window ? 2 : 1;
        }
        const std::int32_t step = (m_transition->Kind() & 1) || !g_stripRedraw
                                      ? height
                                      : StripHeightForWidth(width);
        for (std::int32_t y = 0; y < height; y += step) {
            const std::int32_t rows = height - y < step ? height - y : step;
            const TransitionBlit blit = {0, y, width, rows, into, 0, y,
                                         first, 0, y, second, 0, y};
            m_transition->Draw(&blit);
            const RECT strip = {0, y, width, y + rows};
            DrawTransitionSprites(strip);
            if (locked) {
                if (!WriteImageToLockedSurface(locked->Desc(), formatCode, into, strip, 0, 0))
                    return 2;
            } else {
                g_gdiBitBlt(target->Get(), 0, y, width, rows, into->MemoryDc(), 0, y, SRCCOPY);
            }
        }
    }
    if (m_transition->Status() != 0) EndTransition(m_swapAtEnd);
    return 0;
}

std::int32_t ScreenCore::UpdateDeviceSurface(IDirectDrawSurface7* surface,
                                             std::int32_t formatCode, bool dirtyOnly) {
    const bool viaDc = m_image.MemoryDc() != nullptr;
    if (m_transition)
        return viaDc ? TransitionFrame(nullptr, nullptr, surface, nullptr, 0)
                     : TransitionFrame(nullptr, nullptr, nullptr, surface, formatCode);
    if (m_useCanvas && m_canvas) {
        if (!dirtyOnly) m_canvas->InvalidateAll();
        const std::int32_t r = viaDc ? m_canvas->PresentToDc(nullptr, nullptr, surface, 0, 0)
                                     : m_canvas->PresentToSurface(surface, formatCode, 0, 0);
        return r == -1 ? 0 : r == 0 ? 0 : r + 1;
    }
    DirtyRegion* region = m_image.GetDirtyRegion();
    if (dirtyOnly && (!m_image.Modified() || !region)) return -1;
    const RECT whole = {0, 0, m_image.Width(), m_image.Height()};
    if (viaDc) {
        HDC dc = nullptr;
        if (FAILED(surface->GetDC(&dc)) || !dc) return 2;
        if (dirtyOnly) {
            if (g_coalesceDirty) region->Coalesce();
            for (const RECT& r : RegionRects(*region))
                g_gdiBitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top,
                            m_image.MemoryDc(), r.left, r.top, SRCCOPY);
            region->Clear();
            m_image.SetModified(false);
        } else {
            g_gdiBitBlt(dc, 0, 0, whole.right, whole.bottom, m_image.MemoryDc(), 0, 0, SRCCOPY);
        }
        return FAILED(surface->ReleaseDC(dc)) ? 3 : 0;
    }
    if (!dirtyOnly) {
        // The copy's own codes: 2 lock or palette, 3 no converter.
        return CopyImageToSurface(surface, formatCode, &whole, &m_image, 0, 0, nullptr, nullptr);
    }
    if (SurfaceBytesPerPixel(formatCode) == 0) return 3;
    LockedSurface locked(surface, DDLOCK_WAIT);
    if (!locked.Locked()) return 2;
    if (g_coalesceDirty) region->Coalesce();
    for (const RECT& r : RegionRects(*region)) {
        const std::int32_t code = CopyImageToSurface(surface, formatCode, &whole, &m_image, r.left,
                                                     r.top, &r, &locked.Desc());
        if (code != 0) return code;
    }
    region->Clear();
    m_image.SetModified(false);
    return 0;
}
