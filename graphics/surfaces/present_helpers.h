// What the screens' presents share: the device context they copy to, a surface locked for one
// present, and the rectangles of a dirty region.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <vector>

#include "graphics/compose/dirty_region.h"

namespace present_helpers {

// A device context for the present: the window's, a DirectDraw surface's (both released by the
// holder) or the one given.
class PresentDc {
public:
    PresentDc(HWND window, HDC dc, IDirectDrawSurface7* surface = nullptr)
        : m_window(window), m_surface(window ? nullptr : surface) {
        if (m_window) {
            m_dc = GetDC(window);
        } else if (m_surface) {
            if (FAILED(m_surface->GetDC(&m_dc))) m_dc = nullptr;
        } else {
            m_dc = dc;
        }
    }
    ~PresentDc() {
        if (m_window && m_dc) ReleaseDC(m_window, m_dc);
        if (m_surface && m_dc) m_surface->ReleaseDC(m_dc);
    }
    PresentDc(const PresentDc&) = delete;
    PresentDc& operator=(const PresentDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    IDirectDrawSurface7* m_surface;
    HDC m_dc = nullptr;
};

// A surface locked whole for the time of one present.
class LockedSurface {
public:
    explicit LockedSurface(IDirectDrawSurface7* surface, DWORD flags = 0) : m_surface(surface) {
        m_desc.dwSize = sizeof(m_desc);
        m_locked = SUCCEEDED(surface->Lock(nullptr, &m_desc, flags, nullptr));
    }
    ~LockedSurface() {
        if (m_locked) m_surface->Unlock(nullptr);
    }
    LockedSurface(const LockedSurface&) = delete;
    LockedSurface& operator=(const LockedSurface&) = delete;
    bool Locked() const { return m_locked; }
    const DDSURFACEDESC2& Desc() const { return m_desc; }

private:
    IDirectDrawSurface7* m_surface;
    DDSURFACEDESC2 m_desc = {};
    bool m_locked = false;
};

// The region's rectangles (its nodes form a ring starting at Head).
inline std::vector<RECT> RegionRects(const DirtyRegion& region) {
    std::vector<RECT> rects;
    const RectNode* head = region.Head();
    if (region.Count() == 0 || !head) return rects;
    const RectNode* n = head;
    do {
        rects.push_back(RECT{n->left, n->top, n->right, n->bottom});
        n = n->next;
    } while (n && n != head);
    return rects;
}

}  // namespace present_helpers
