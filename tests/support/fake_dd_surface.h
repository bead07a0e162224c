#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport {

// An RGB pixel format, with the alpha flag when an alpha mask is given.
inline DDPIXELFORMAT RgbFormat(DWORD bitCount, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
    DDPIXELFORMAT f = {};
    f.dwSize = sizeof(DDPIXELFORMAT);
    f.dwFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
    f.dwRGBBitCount = bitCount;
    f.dwRBitMask = red;
    f.dwGBitMask = green;
    f.dwBBitMask = blue;
    f.dwRGBAlphaBitMask = alpha;
    return f;
}

// A DirectDraw surface in memory: the operations that the fills, the transfers into surface
// memory and the DirectDraw images use, in their slots of the IDirectDrawSurface7 table, with
// guard bytes around the pixels (a write outside the surface shows), a Lock that can be made to
// fail, to report a blit still in progress unless the caller waits (DDLOCK_WAIT), or to report
// the surface lost, and counts of the calls. It may be smaller than the picture copied into it.
// Its GetDC answers dcAnswers in turn (a memory DC on DD_OK) and fails once they run out. Its references are counted, never freeing it: the
// test owns the object.
class FakeDdSurface {
    // First, where a COM object keeps its table.
    void* const* m_table;

public:
    static constexpr std::uint8_t kGuard = 0xCD;

    // Rows are rowPadding bytes longer than their pixels; a guard row lies above and below.
    FakeDdSurface(int width, int height, const DDPIXELFORMAT& format, int rowPadding = 8)
        : m_width(width), m_height(height), m_format(format) {
        m_bytesPerPixel = (format.dwRGBBitCount + 7) / 8;
        m_pitch = width * m_bytesPerPixel + rowPadding;
        m_memory.assign((height + 2) * m_pitch, kGuard);
        static void* table[33] = {};
        table[0] = reinterpret_cast<void*>(&QueryInterface);
        table[1] = reinterpret_cast<void*>(&AddRef);
        table[2] = reinterpret_cast<void*>(&Release);
        table[5] = reinterpret_cast<void*>(&Blt);
        table[11] = reinterpret_cast<void*>(&Flip);
        table[14] = reinterpret_cast<void*>(&GetCaps);
        table[17] = reinterpret_cast<void*>(&GetDC);
        table[21] = reinterpret_cast<void*>(&GetPixelFormat);
        table[22] = reinterpret_cast<void*>(&GetSurfaceDesc);
        table[24] = reinterpret_cast<void*>(&IsLost);
        table[25] = reinterpret_cast<void*>(&Lock);
        table[26] = reinterpret_cast<void*>(&ReleaseDC);
        table[27] = reinterpret_cast<void*>(&Restore);
        table[28] = reinterpret_cast<void*>(&SetClipper);
        table[29] = reinterpret_cast<void*>(&SetColorKey);
        table[32] = reinterpret_cast<void*>(&Unlock);
        m_table = table;
    }

    IDirectDrawSurface7* Interface() { return reinterpret_cast<IDirectDrawSurface7*>(this); }

    // Byte i of the pixel at (x, y).
    std::uint8_t Byte(int x, int y, int i) const {
        return m_memory[(y + 1) * m_pitch + x * m_bytesPerPixel + i];
    }
    std::uint32_t Pixel32(int x, int y) const {
        std::uint32_t v = 0;
        for (int i = 0; i < m_bytesPerPixel && i < 4; ++i) v |= std::uint32_t{Byte(x, y, i)} << (8 * i);
        return v;
    }
    void SetPixel32(int x, int y, std::uint32_t value) {
        for (int i = 0; i < m_bytesPerPixel && i < 4; ++i)
            m_memory[(y + 1) * m_pitch + x * m_bytesPerPixel + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Pitch() const { return m_pitch; }
    // Every byte outside the pixels still holds the guard.
    bool OnlyPixelsWritten() const { return OnlyAreaWritten(RECT{0, 0, m_width, m_height}); }
    // Every byte outside the pixels of area still holds the guard.
    bool OnlyAreaWritten(const RECT& area) const {
        std::vector<bool> inArea(m_memory.size(), false);
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x) {
                for (int i = 0; i < m_bytesPerPixel; ++i)
                    inArea[(y + 1) * m_pitch + x * m_bytesPerPixel + i] = true;
            }
        }
        for (std::size_t i = 0; i < m_memory.size(); ++i) {
            if (!inArea[i] && m_memory[i] != kGuard) return false;
        }
        return true;
    }

    bool acceptBlt = false;
    bool failFormat = false;
    bool failLock = false;
    // Unlock answers DDERR_NOTLOCKED.
    bool failUnlock = false;
    // Lock without DDLOCK_WAIT answers DDERR_WASSTILLDRAWING.
    bool stillDrawing = false;
    // IsLost and Lock answer DDERR_SURFACELOST.
    bool lost = false;
    bool failDesc = false;
    bool refuseKey = false;
    long references = 1;
    // The source key last set (keySet false after SetColorKey with no key).
    bool keySet = false;
    DWORD key = 0;
    int blts = 0;
    int lockCalls = 0;
    int locks = 0;
    int unlocks = 0;
    DWORD fillColour = 0;
    // Blts that are not colour fills (and Flips) answer these in turn, recorded with their flags
    // in presents; with none left they answer DDERR_INVALIDRECT.
    std::vector<HRESULT> presentAnswers;
    struct PresentCall {
        bool flip;
        DWORD flags;
        RECT dest;
        bool hasDest;
    };
    std::vector<PresentCall> presents;
    // Restore answers this; Restore clears lost when it succeeds.
    HRESULT restoreAnswer = DD_OK;
    int restores = 0;
    int clipperSets = 0;
    std::vector<HRESULT> dcAnswers;
    int dcCalls = 0;

private:
    static HRESULT NextPresent(FakeDdSurface* self, bool flip, DWORD flags, const RECT* dest) {
        self->presents.push_back(PresentCall{flip, flags, dest ? *dest : RECT{}, dest != nullptr});
        if (self->presentAnswers.empty()) return DDERR_INVALIDRECT;
        const HRESULT hr = self->presentAnswers.front();
        self->presentAnswers.erase(self->presentAnswers.begin());
        return hr;
    }
    static HRESULT __stdcall Flip(FakeDdSurface* self, IDirectDrawSurface7*, DWORD flags) {
        return NextPresent(self, true, flags, nullptr);
    }
    static HRESULT __stdcall GetCaps(FakeDdSurface*, DDSCAPS2* caps) {
        *caps = DDSCAPS2{};
        caps->dwCaps = DDSCAPS_OFFSCREENPLAIN;
        return DD_OK;
    }
    static HRESULT __stdcall Restore(FakeDdSurface* self) {
        ++self->restores;
        if (SUCCEEDED(self->restoreAnswer)) self->lost = false;
        return self->restoreAnswer;
    }
    static HRESULT __stdcall SetClipper(FakeDdSurface* self, IDirectDrawClipper*) {
        ++self->clipperSets;
        return DD_OK;
    }
    static HRESULT __stdcall Blt(FakeDdSurface* self, RECT* dest, IDirectDrawSurface7* source, RECT*,
                                 DWORD flags, DDBLTFX* fx) {
        if (source && !(flags & DDBLT_COLORFILL)) return NextPresent(self, false, flags, dest);
        ++self->blts;
        if (!self->acceptBlt || flags != (DDBLT_COLORFILL | DDBLT_WAIT) || fx->dwSize != 100)
            return DDERR_INVALIDRECT;
        self->fillColour = fx->dwFillColor;
        return DD_OK;
    }
    static HRESULT __stdcall GetPixelFormat(FakeDdSurface* self, DDPIXELFORMAT* format) {
        if (self->failFormat || format->dwSize != 32) return DDERR_INVALIDPARAMS;
        *format = self->m_format;
        return DD_OK;
    }
    static HRESULT __stdcall QueryInterface(FakeDdSurface*, REFIID, void**) { return E_NOINTERFACE; }
    static ULONG __stdcall AddRef(FakeDdSurface* self) { return ++self->references; }
    static ULONG __stdcall Release(FakeDdSurface* self) { return --self->references; }
    static HRESULT __stdcall GetDC(FakeDdSurface* self, HDC* out) {
        ++self->dcCalls;
        if (self->dcAnswers.empty()) return DDERR_CANTCREATEDC;
        const HRESULT hr = self->dcAnswers.front();
        self->dcAnswers.erase(self->dcAnswers.begin());
        if (FAILED(hr)) return hr;
        *out = CreateCompatibleDC(nullptr);
        return DD_OK;
    }
    static HRESULT __stdcall ReleaseDC(FakeDdSurface*, HDC dc) {
        if (!dc) return DDERR_NODC;
        DeleteDC(dc);
        return DD_OK;
    }
    static HRESULT __stdcall GetSurfaceDesc(FakeDdSurface* self, DDSURFACEDESC2* desc) {
        if (self->failDesc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
        desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
        desc->dwWidth = self->m_width;
        desc->dwHeight = self->m_height;
        desc->lPitch = self->m_pitch;
        desc->ddpfPixelFormat = self->m_format;
        desc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        return DD_OK;
    }
    static HRESULT __stdcall IsLost(FakeDdSurface* self) { return self->lost ? DDERR_SURFACELOST : DD_OK; }
    static HRESULT __stdcall SetColorKey(FakeDdSurface* self, DWORD flags, DDCOLORKEY* colourKey) {
        if (self->refuseKey || flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
        self->keySet = colourKey != nullptr;
        self->key = colourKey ? colourKey->dwColorSpaceLowValue : 0;
        if (colourKey && colourKey->dwColorSpaceHighValue != self->key) return DDERR_INVALIDPARAMS;
        return DD_OK;
    }
    static HRESULT __stdcall Lock(FakeDdSurface* self, RECT*, DDSURFACEDESC2* desc, DWORD flags, HANDLE) {
        ++self->lockCalls;
        if (self->failLock) return DDERR_SURFACEBUSY;
        if (self->lost) return DDERR_SURFACELOST;
        if (self->stillDrawing && !(flags & DDLOCK_WAIT)) return DDERR_WASSTILLDRAWING;
        ++self->locks;
        if (desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
        desc->dwWidth = self->m_width;
        desc->dwHeight = self->m_height;
        desc->lPitch = self->m_pitch;
        desc->lpSurface = self->m_memory.data() + self->m_pitch;
        desc->ddpfPixelFormat = self->m_format;
        return DD_OK;
    }
    static HRESULT __stdcall Unlock(FakeDdSurface* self, RECT*) {
        ++self->unlocks;
        return self->failUnlock ? DDERR_NOTLOCKED : DD_OK;
    }

    int m_width;
    int m_height;
    DDPIXELFORMAT m_format;
    int m_bytesPerPixel;
    int m_pitch;
    std::vector<std::uint8_t> m_memory;
};

}  // namespace testsupport
