// Presenting a canvas: its dirty rectangles repainted and copied to a device context or into
// locked DirectDraw surface memory in one pass.
#include "graphics/compose/gdi_blit.h"
#include "graphics/compose/surface_transfer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/drawable.h"

std::int32_t Canvas::PresentToDc(HWND window, HDC dc, IDirectDrawSurface7* surface,
                                 std::int32_t x, std::int32_t y) {
    // Without a memory DC nothing could be copied: refused, the region kept.
    if (!m_target || !m_target->MemoryDc()) return 1;
    CollectDirty(nullptr, nullptr);
    if (m_dirty.Count() == 0) return -1;
    HDC target = dc;
    if (window) {
        target = GetDC(window);
    } else if (surface) {
        target = nullptr;
        if (FAILED(surface->GetDC(&target))) target = nullptr;
    }
    if (!target) return 1;
    const bool anyDrawables = AnyDrawables();
    HDC memory = m_target->MemoryDc();
    for (const RECT& r : TakeRegion()) {
        PaintRect(m_target, r, anyDrawables, [&](const RECT& s) {
            g_gdiBitBlt(target, SaturatingAdd(x, s.left), SaturatingAdd(y, s.top), s.right - s.left,
                   s.bottom - s.top, memory, s.left, s.top, SRCCOPY);
        });
    }
    if (window) {
        ReleaseDC(window, target);
    } else if (surface) {
        if (FAILED(surface->ReleaseDC(target))) return 2;
    }
    return 0;
}

std::int32_t Canvas::PresentToSurface(IDirectDrawSurface7* surface, std::int32_t formatCode,
                                      std::int32_t x, std::int32_t y) {
    if (!m_target || !surface) return 1;
    if (SurfaceBytesPerPixel(formatCode) == 0) return 3;
    CollectDirty(nullptr, nullptr);
    if (m_dirty.Count() == 0) return -1;
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    if (FAILED(surface->Lock(nullptr, &locked, 0, nullptr))) return 1;
    if (m_target->Depth() == 8 && !m_target->Palette() &&
        m_target->SetPalette(nullptr, 256, 0) != 0) {
        surface->Unlock(nullptr);
        return 2;
    }
    const bool anyDrawables = AnyDrawables();
    for (const RECT& r : TakeRegion()) {
        PaintRect(m_target, r, anyDrawables, [&](const RECT& s) {
            WriteImageToLockedSurface(locked, formatCode, m_target, s, x, y);
        });
    }
    surface->Unlock(nullptr);
    return 0;
}
