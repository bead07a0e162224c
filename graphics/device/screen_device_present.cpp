// The screen device's window and full-screen switches and its presentation: GDI from the
// display canvas, or DirectDraw from the back surface to the primary (blit or flip).
#include <cstring>

#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"

namespace {

void ReleaseInterface(IDirectDrawSurface7*& surface) {
    if (surface) surface->Release();
    surface = nullptr;
}

RECT Moved(RECT r, LONG dx, LONG dy) {
    OffsetRect(&r, dx, dy);
    return r;
}

bool IsZeroGuid(const GUID& g) {
    static const GUID zero = {};
    return std::memcmp(&g, &zero, sizeof(GUID)) == 0;
}

std::uint8_t DesktopBits() {
    HDC screen = GetDC(nullptr);
    const int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return static_cast<std::uint8_t>(bits);
}

// A flip or blit that the hardware refuses while it is still drawing is asked again with the
// wait flag, so that the frame is not silently dropped.
template <class Call>
HRESULT WithWaitRetry(Call call, DWORD flags, DWORD waitFlag) {
    HRESULT hr = call(flags);
    if (hr == DDERR_WASSTILLDRAWING) hr = call((flags & ~DDBLT_ASYNC) | waitFlag);
    return hr;
}

}  // namespace

POINT ScreenDevice::ClientOrigin() const {
    POINT p = {0, 0};
    if (window) ClientToScreen(window, &p);
    return p;
}

void ScreenDevice::WaitForBlank() {
    if (!m_directDraw) return;
    BOOL inBlank = FALSE;
    if (SUCCEEDED(m_directDraw->GetVerticalBlankStatus(&inBlank)) && inBlank) return;
    m_directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
}

void ScreenDevice::ReleaseSurfaces() {
    ReleaseScaler();
    clipper.Release();
    gdiOverlay = 0;
    // The back buffer of a flip chain was handed out with a reference of its own.
    ReleaseInterface(backSurface);
    ReleaseInterface(primarySurface);
    flipChain = 0;
    tripleBuffer = 0;
}

std::int32_t ScreenDevice::ClearBackSurface() {
    if (!backSurface) return 1;
    return FillSurfaceRect(backSurface, &backPixelFormat, backgroundColour[0], backgroundColour[1],
                           backgroundColour[2], nullptr, 255);
}

namespace {

HRESULT MakePlain(IDirectDraw7* dd, std::int32_t width, std::int32_t height, bool direct3DCaps,
                  IDirectDrawSurface7** out) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = direct3DCaps ? DDSCAPS_3DDEVICE : DDSCAPS_OFFSCREENPLAIN;
    return dd->CreateSurface(&desc, out, nullptr);
}

HRESULT MakePrimary(IDirectDraw7* dd, IDirectDrawSurface7** out) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    return dd->CreateSurface(&desc, out, nullptr);
}

DWORD CapsOf(IDirectDrawSurface7* surface) {
    DDSCAPS2 caps = {};
    if (!surface || FAILED(surface->GetCaps(&caps))) return 0;
    return caps.dwCaps;
}

}  // namespace

std::int32_t ScreenDevice::MakeFullScreenSurfaces(bool direct3DCaps, bool triple) {
    if (!m_directDraw) return 1;
    ReleaseSurfaces();
    const std::int32_t gw = gameRect.right, gh = gameRect.bottom;
    std::int32_t code = 0;
    if (NoHardware()) {
        if (FAILED(MakePlain(m_directDraw, gw, gh, direct3DCaps, &backSurface)) || !backSurface) code = 3;
    } else if (m_gameImage || letterbox || m_cooperativeLevel != 1) {
        // The scaler draws the canvas at its letterbox size.
        const bool scaled = direct3DCaps && m_gameImage && letterbox;
        if (FAILED(MakePlain(m_directDraw, scaled ? letterboxDest.right : gw, scaled ? letterboxDest.bottom : gh,
                             direct3DCaps, &backSurface)) ||
            !backSurface)
            code = 3;
        else if (FAILED(MakePrimary(m_directDraw, &primarySurface)) || !primarySurface) code = 2;
        else if (m_cooperativeLevel != 1 && clipper.Attach(m_directDraw, primarySurface, window) != 0) code = 4;
        if (code == 0 && letterboxBars) {
            DDBLTFX fx = {};
            fx.dwSize = sizeof(fx);
            primarySurface->Blt(&bar1, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
            primarySurface->Blt(&bar2, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        }
    } else {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = triple ? 2 : 1;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                              (direct3DCaps ? DDSCAPS_3DDEVICE : 0);
        if (FAILED(m_directDraw->CreateSurface(&desc, &primarySurface, nullptr)) || !primarySurface) {
            code = 2;
        } else {
            DDSCAPS2 caps = {};
            caps.dwCaps = DDSCAPS_BACKBUFFER;
            if (FAILED(primarySurface->GetAttachedSurface(&caps, &backSurface)) || !backSurface) {
                code = 3;
            } else {
                flipChain = 1;
                tripleBuffer = triple ? 1 : 0;
            }
        }
    }
    if (code != 0) {
        ReleaseSurfaces();
        return code;
    }
    primaryCaps = CapsOf(primarySurface);
    backCaps = CapsOf(backSurface);
    if (m_gameImage) m_transferWhole = true;
    return 0;
}

std::int32_t ScreenDevice::MakeWindowSurfaces(bool direct3DCaps) {
    if (!m_directDraw) return 1;
    ReleaseSurfaces();
    std::int32_t code = 0;
    if (FAILED(MakePlain(m_directDraw, gameRect.right, gameRect.bottom, direct3DCaps, &backSurface)) ||
        !backSurface) {
        code = 3;
    } else if (!NoHardware()) {
        if (FAILED(MakePrimary(m_directDraw, &primarySurface)) || !primarySurface) code = 2;
        else if (clipper.Attach(m_directDraw, primarySurface, window) != 0) code = 4;
    }
    if (code != 0) {
        ReleaseSurfaces();
        return code;
    }
    primaryCaps = CapsOf(primarySurface);
    backCaps = CapsOf(backSurface);
    if (m_gameImage) m_transferWhole = true;
    return 0;
}

std::int32_t ScreenDevice::FinishSurfaces(bool tryScaler) {
    backFormat = ClassifyPixelFormat(backSurface, &backPixelFormat, nullptr);
    if (backFormat == 0) {
        ReleaseSurfaces();
        return 7;
    }
    if (m_gameImage && backFormat == kPixelFormatArgb1555) backFormat = kPixelFormatRgb555;
    if (m_gameImage && backFormat == kPixelFormatArgb32) backFormat = kPixelFormatXrgb32;
    displayDepth = backPixelFormat.bitCount;
    m_displayDepth = displayDepth;
    if (primarySurface) {
        DDBLTFX fx = {};
        fx.dwSize = sizeof(fx);
        primarySurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    }
    ClearBackSurface();
    if (tryScaler && CreateScaler() != 0) {
        ReleaseSurfaces();
        hardwareCanvasMode = 0;
        return kScalerFailed;
    }
    if (!m_gameImage) RestoreObjects(false);
    m_modeSet = true;
    return 0;
}

bool ScreenDevice::WantsScaler() {
    if (!m_gameImage) return false;
    return (hardwareCanvasMode == 1 && !TestStretchFiltering()) || hardwareCanvasMode == 3;
}

std::int32_t ScreenDevice::ChangeMode(HWND targetWindow, bool windowed, bool triple, bool) {
    m_modeSet = false;
    if (gameRect.right - gameRect.left <= 0 || gameRect.bottom - gameRect.top <= 0) return 1;
    ReleaseSurfaces();
    if (m_device) ReleaseDevice();
    window = targetWindow;
    letterboxInUse = 0;
    bool gdi = false;
    if (!windowed) {
        displayState = 0;
        if (!m_directDraw) {
            const MonitorModeEntry* e = m_currentMonitor;
            const bool own = e && !IsZeroGuid(e->driverGuid);
            const std::int32_t made = CreateDirectDraw(
                false, false, own ? &e->driverGuid : nullptr,
                e && !IsZeroGuid(e->deviceGuid) ? &e->deviceGuid : nullptr, e ? e->deviceRenderDepths : 0,
                e ? e->driverWindowed != 0 : true, 0, 0, false, false, false);
            if (made != 0) return 1;
            m_ownsDirectDraw = true;
        }
        std::int32_t w = gameRect.right, h = gameRect.bottom;
        if (letterbox) {
            w = displaySize.cx;
            h = displaySize.cy;
            letterboxInUse = 1;
        }
        if (changeModeForFullScreen) {
            if (useDirectDrawModes) {
                if (SetFullscreenMode(targetWindow, w, h, fullScreenDepth, prefer60Hz != 0) != 0) return 2;
            } else {
                const char* name = m_currentMonitor ? m_currentMonitor->deviceName.c_str() : nullptr;
                if (ChangeDisplaySettings(w, h, name) != 0) return 2;
                if (SetWindowedMode(false) != 0) return 2;
            }
        } else if (SetWindowedMode(false) != 0) {
            return 2;
        }
        monitorOrigin = POINT{0, 0};
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        if (monitorHandle && GetMonitorInfoA(monitorHandle, &info)) {
            monitorOrigin = POINT{info.rcMonitor.left, info.rcMonitor.top};
        }
        displayState = 1;
        if (m_gameImage && !letterbox) {
            gdi = true;
        } else {
            bool tryScaler = WantsScaler();
            for (;;) {
                const std::int32_t made = MakeFullScreenSurfaces(tryScaler, triple);
                if (made != 0) {
                    if (!tryScaler) return made + 2;
                    tryScaler = false;
                    hardwareCanvasMode = 0;
                    continue;
                }
                const std::int32_t finished = FinishSurfaces(tryScaler);
                if (finished != kScalerFailed) return finished;
                tryScaler = false;
            }
        }
    } else {
        displayState = 2;
        if (m_ownsDirectDraw) {
            ReleaseDirectDraw();
            m_ownsDirectDraw = false;
        }
        if (!useDirectDrawModes) RestoreDisplaySettings();
        if (m_gameImage && (hardwareCanvasMode == 0 || windowedHardwareCanvas == 0)) {
            gdi = true;
        } else {
            if (!m_directDraw) {
                if (CreateDirectDraw(false, false, nullptr, nullptr, 0, true, 0, 0, false, false, false) != 0) {
                    return 1;
                }
                m_ownsDirectDraw = true;
            }
            if (SetWindowedMode(false) != 0) return 2;
            const bool tryScaler = WantsScaler();
            const std::int32_t made = MakeWindowSurfaces(tryScaler);
            if (made != 0 && !tryScaler) return made + 2;
            if (made != 0) {
                hardwareCanvasMode = 0;
                gdi = true;
            } else {
                const std::int32_t finished = FinishSurfaces(tryScaler);
                if (finished != kScalerFailed) return finished;
                gdi = true;
            }
            if (gdi && m_ownsDirectDraw) {
                ReleaseDirectDraw();
                m_ownsDirectDraw = false;
            }
        }
    }
    if (gdi) {
        displayDepth = DesktopBits();
        primaryCaps = backCaps = 0;
        backFormat = 0;
        m_transferWhole = true;
        m_modeSet = true;
        return 0;
    }
    return 0;
}

HRESULT ScreenDevice::DrawScalerQuad() {
    IDirect3DDevice7* d = scalerDevice;
    const DWORD filter = smoothScaling ? D3DTFG_LINEAR : D3DTFG_POINT;
    d->SetTexture(0, scalerTexture);
    d->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
    d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRENDERSTATE_ALPHATESTENABLE, FALSE);
    d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, smoothScaling ? D3DTFN_LINEAR : D3DTFN_POINT);
    d->SetTextureStageState(0, D3DTSS_MIPFILTER, smoothScaling ? D3DTFP_LINEAR : D3DTFP_POINT);
    d->SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_CLAMP);
    HRESULT hr = d->BeginScene();
    if (SUCCEEDED(hr)) {
        hr = d->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZRHW | D3DFVF_TEX1, scalerQuad, 4, D3DDP_WAIT);
        const HRESULT ended = d->EndScene();
        if (SUCCEEDED(hr)) hr = ended;
    }
    d->SetTexture(0, nullptr);
    return hr;
}

HRESULT ScreenDevice::BlitToPrimary(RECT* dest, RECT* source, DWORD flags) {
    primaryBlitPixels += static_cast<std::uint64_t>(dest->right - dest->left) * (dest->bottom - dest->top);
    return WithWaitRetry(
        [&](DWORD f) { return primarySurface->Blt(dest, backSurface, source, f, nullptr); }, flags, DDBLT_WAIT);
}

std::int32_t ScreenDevice::Present() {
    ScopedLock hold(m_lock);
    if (!m_gameImage) return PresentBackBuffer();
    const bool dirtyOnly = !m_transferWhole;
    if (!backSurface) {
        // GDI presentation: the canvas's changed parts straight to the window.
        const std::int32_t r = m_gameImage->Present(window, nullptr, nullptr, 0, dirtyOnly);
        if (r == 0 || r == -1) m_transferWhole = false;
        return 0;
    }
    std::int32_t r = 0;
    IDirectDrawSurface7* target = scalerTexture ? scalerTexture : backSurface;
    const bool byDc = transferThroughDc || (scalerTexture && !scalerTextureIs32Bit);
    if (byDc) {
        HDC dc = nullptr;
        HRESULT hr = target->GetDC(&dc);
        bool whole = !dirtyOnly;
        if (hr == DDERR_SURFACELOST || hr == DDERR_WRONGMODE) {
            target->Restore();
            hr = target->GetDC(&dc);
            whole = true;
        }
        if (FAILED(hr)) return scalerTexture ? 1 : 2;
        r = m_gameImage->Present(nullptr, dc, nullptr, 0, !whole);
        target->ReleaseDC(dc);
    } else {
        r = m_gameImage->Present(nullptr, nullptr, target, scalerTexture ? scalerFormat : backFormat, dirtyOnly);
        if (r != 0 && r != -1 && target->IsLost() == DDERR_SURFACELOST) {
            target->Restore();
            m_transferWhole = true;
            return 0;
        }
    }
    // Nothing changed (-1) or the transfer failed: nothing to show.
    if (r != 0) return 0;
    m_transferWhole = false;
    RECT source = gameRect;
    if (scalerTexture) {
        const HRESULT drawn = DrawScalerQuad();
        if (drawn == DDERR_SURFACELOST) {
            scalerTexture->Restore();
            backSurface->Restore();
            m_transferWhole = true;
            return 0;
        }
        if (FAILED(drawn)) return 3;
        if (letterboxInUse) source = RECT{0, 0, letterboxDest.right, letterboxDest.bottom};
    }
    if (!primarySurface) {
        HDC source = nullptr;
        if (FAILED(backSurface->GetDC(&source))) return 2;
        HDC windowDc = GetDC(window);
        BitBlt(windowDc, 0, 0, gameRect.right, gameRect.bottom, source, 0, 0, SRCCOPY);
        ReleaseDC(window, windowDc);
        backSurface->ReleaseDC(source);
        GdiFlush();
        return 0;
    }
    RECT dest = letterbox && letterboxInUse
                    ? RECT{letterboxDest.left, letterboxDest.top, letterboxDest.left + letterboxDest.right,
                           letterboxDest.top + letterboxDest.bottom}
                    : gameRect;
    if (displayState == 2) {
        const POINT o = ClientOrigin();
        dest = Moved(dest, o.x, o.y);
    }
    if (presentWait) WaitForBlank();
    const HRESULT hr = BlitToPrimary(&dest, &source, DDBLT_ASYNC);
    if (hr == DDERR_SURFACELOST) {
        primarySurface->Restore();
        backSurface->Restore();
        m_transferWhole = true;
        return 0;
    }
    return FAILED(hr) ? 4 : 0;
}

std::int32_t ScreenDevice::PresentBackBuffer() {
    if (!backSurface) return 1;
    if (NoHardware() || !primarySurface) {
        ScopedLock hold(m_lock);
        HDC source = nullptr;
        const HRESULT hr = backSurface->GetDC(&source);
        if (hr == DDERR_SURFACELOST) return 2;
        if (FAILED(hr)) return 3;
        HDC target = GetDC(window);
        BitBlt(target, 0, 0, gameRect.right, gameRect.bottom, source, 0, 0, SRCCOPY);
        ReleaseDC(window, target);
        backSurface->ReleaseDC(source);
        GdiFlush();
        return 0;
    }
    HRESULT hr = DD_OK;
    RECT source = gameRect;
    if (displayState != 2) {
        if (presentWait && !gdiOverlay && presentWait != 1 && flipChain) {
            hr = WithWaitRetry([&](DWORD f) { return primarySurface->Flip(nullptr, f); }, 0, DDFLIP_WAIT);
        } else {
            if (presentWait) WaitForBlank();
            RECT dest = letterboxInUse ? RECT{letterboxDest.left, letterboxDest.top,
                                              letterboxDest.left + letterboxDest.right,
                                              letterboxDest.top + letterboxDest.bottom}
                                       : gameRect;
            hr = BlitToPrimary(&dest, &source, DDBLT_ASYNC);
        }
    } else {
        ScopedLock hold(m_lock);
        const POINT o = ClientOrigin();
        RECT dest = Moved(gameRect, o.x, o.y);
        if (presentWait) WaitForBlank();
        hr = BlitToPrimary(&dest, &source, DDBLT_ASYNC);
    }
    if (hr == DDERR_SURFACELOST) return 2;
    return FAILED(hr) ? 3 : 0;
}

HRESULT ScreenDevice::PresentRect(HDC windowDc, const PAINTSTRUCT& paint) {
    RECT rect = paint.rcPaint;
    if (rect.left < 0) rect.left = 0;
    if (rect.top < 0) rect.top = 0;
    if (rect.right > gameRect.right) rect.right = gameRect.right;
    if (rect.bottom > gameRect.bottom) rect.bottom = gameRect.bottom;
    if (rect.right <= rect.left || rect.bottom <= rect.top) return S_OK;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (m_gameImage && !backSurface) {
        ScopedLock hold(m_lock);
        BitBlt(windowDc, rect.left, rect.top, w, h, m_gameImage->PresentSourceDC(), rect.left, rect.top, SRCCOPY);
        return S_OK;
    }
    if (!backSurface) return E_FAIL;
    if (NoHardware()) {
        ScopedLock hold(m_lock);
        HDC source = nullptr;
        const HRESULT hr = backSurface->GetDC(&source);
        if (FAILED(hr)) return hr;
        BitBlt(windowDc, rect.left, rect.top, w, h, source, rect.left, rect.top, SRCCOPY);
        backSurface->ReleaseDC(source);
        return S_OK;
    }
    if (!primarySurface) return E_FAIL;
    ScopedLock hold(m_lock);
    if (letterbox && letterboxInUse) {
        if (letterboxBars) {
            DDBLTFX fx = {};
            fx.dwSize = sizeof(fx);
            primarySurface->Blt(&bar1, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
            primarySurface->Blt(&bar2, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        }
        RECT dest{letterboxDest.left, letterboxDest.top, letterboxDest.left + letterboxDest.right,
                  letterboxDest.top + letterboxDest.bottom};
        RECT source = scalerTexture ? RECT{0, 0, letterboxDest.right, letterboxDest.bottom} : gameRect;
        return primarySurface->Blt(&dest, backSurface, &source, DDBLT_WAIT, nullptr);
    }
    RECT source = rect;
    RECT dest = rect;
    if (displayState == 2) {
        const POINT o = ClientOrigin();
        dest = Moved(dest, o.x, o.y);
    } else if (window && GetMenu(window)) {
        const int menu = GetSystemMetrics(SM_CYMENU);
        dest = Moved(dest, 0, menu);
        source = Moved(source, 0, menu);
    }
    return primarySurface->Blt(&dest, backSurface, &source, DDBLT_WAIT, nullptr);
}

std::int32_t ScreenDevice::RestoreLostSurfaces() {
    if (!m_modeSet) return 1;
    // GDI presentation has no surfaces to lose.
    if (!m_directDraw || !backSurface) return 0;
    bool lost = false;
    bool anew = false;
    for (IDirectDrawSurface7* s : {primarySurface, backSurface, scalerTexture}) {
        if (!s || s->IsLost() != DDERR_SURFACELOST) continue;
        lost = true;
        if (FAILED(s->Restore())) anew = true;
    }
    if (!lost) return 0;
    if (anew) {
        if (m_device) ReleaseDevice();
        const bool hadScaler = scalerTexture != nullptr;
        const std::int32_t made = displayState == 2 ? MakeWindowSurfaces(hadScaler)
                                                    : MakeFullScreenSurfaces(hadScaler, tripleBuffer != 0);
        if (made != 0) {
            m_modeSet = false;
            return 2;
        }
        if (hadScaler && CreateScaler() != 0) {
            ReleaseSurfaces();
            m_modeSet = false;
            return 3;
        }
        backFormat = ClassifyPixelFormat(backSurface, &backPixelFormat, nullptr);
        if (m_gameImage && backFormat == kPixelFormatArgb1555) backFormat = kPixelFormatRgb555;
        if (m_gameImage && backFormat == kPixelFormatArgb32) backFormat = kPixelFormatXrgb32;
    }
    RestoreObjects(true);
    // The next present transfers the whole canvas.
    if (m_gameImage) m_transferWhole = true;
    return 0;
}

std::int32_t ScreenDevice::BeginGdiOverlay() {
    if (NoHardware()) return 0;
    if (!primarySurface) return 1;
    clipper.Attach(m_directDraw, primarySurface, window);
    m_directDraw->FlipToGDISurface();
    gdiOverlay = 1;
    return 0;
}

std::int32_t ScreenDevice::EndGdiOverlay() {
    if (!primarySurface) return 1;
    primarySurface->SetClipper(nullptr);
    clipper.Release();
    gdiOverlay = 0;
    return 0;
}

std::int32_t ScreenDevice::DrawList() {
    if (!backSurface) return 0;
    return m_drawingList.Draw(backSurface, &gameRect, this);
}
