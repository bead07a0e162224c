// A real DirectDraw object (Wine's, in the normal cooperative level) with one offscreen surface
// in system memory of a given size and RGB format, for tests that draw into or read from
// DirectDraw surfaces. Ready() is false when any step failed.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

namespace testsupport {

class OffscreenDirectDraw {
public:
    OffscreenDirectDraw(DWORD width, DWORD height, DWORD bitCount, DWORD red, DWORD green,
                        DWORD blue) {
        m_ddraw = LoadLibraryA("ddraw.dll");
        if (!m_ddraw) return;
        typedef HRESULT(WINAPI * CreateEx)(GUID*, void**, REFIID, IUnknown*);
        static const GUID kIidDirectDraw7 = {
            0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
        auto create = reinterpret_cast<CreateEx>(
            reinterpret_cast<void*>(GetProcAddress(m_ddraw, "DirectDrawCreateEx")));
        if (!create ||
            create(nullptr, reinterpret_cast<void**>(&m_dd), kIidDirectDraw7, nullptr) != DD_OK ||
            m_dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK)
            return;
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = width;
        desc.dwHeight = height;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
        desc.ddpfPixelFormat.dwRGBBitCount = bitCount;
        desc.ddpfPixelFormat.dwRBitMask = red;
        desc.ddpfPixelFormat.dwGBitMask = green;
        desc.ddpfPixelFormat.dwBBitMask = blue;
        if (m_dd->CreateSurface(&desc, &m_surface, nullptr) != DD_OK) m_surface = nullptr;
    }
    ~OffscreenDirectDraw() {
        if (m_surface) m_surface->Release();
        if (m_dd) m_dd->Release();
        if (m_ddraw) FreeLibrary(m_ddraw);
    }
    OffscreenDirectDraw(const OffscreenDirectDraw&) = delete;
    OffscreenDirectDraw& operator=(const OffscreenDirectDraw&) = delete;

    bool Ready() const { return m_surface != nullptr; }
    IDirectDrawSurface7* Surface() const { return m_surface; }

    // Calls visit(x, y, pixelBytes) for every pixel while the surface is locked.
    template <class Visit>
    bool ForEachPixel(Visit visit) {
        DDSURFACEDESC2 locked = {};
        locked.dwSize = sizeof(locked);
        if (m_surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) return false;
        const DWORD bytes = locked.ddpfPixelFormat.dwRGBBitCount / 8;
        for (DWORD y = 0; y < locked.dwHeight; ++y) {
            auto* row = static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch;
            for (DWORD x = 0; x < locked.dwWidth; ++x) visit(x, y, row + x * bytes);
        }
        m_surface->Unlock(nullptr);
        return true;
    }

private:
    HMODULE m_ddraw = nullptr;
    IDirectDraw7* m_dd = nullptr;
    IDirectDrawSurface7* m_surface = nullptr;
};

}  // namespace testsupport
