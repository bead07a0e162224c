// The screen device's Direct3D scaler (the display canvas drawn as a filtered quad) and the test
// of whether DirectDraw's own stretch blit blends.
#include "graphics/device/screen_device.h"

namespace {

template <class T>
void ReleaseCom(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

HRESULT MakeTexture(IDirectDraw7* dd, SIZE size, bool xrgb32, IDirectDrawSurface7** out) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(size.cx);
    desc.dwHeight = static_cast<DWORD>(size.cy);
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    if (xrgb32) {
        desc.dwFlags |= DDSD_PIXELFORMAT;
        desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
        desc.ddpfPixelFormat.dwRGBBitCount = 32;
        desc.ddpfPixelFormat.dwRBitMask = 0xFF0000;
        desc.ddpfPixelFormat.dwGBitMask = 0xFF00;
        desc.ddpfPixelFormat.dwBBitMask = 0xFF;
    }
    return dd->CreateSurface(&desc, out, nullptr);
}

}  // namespace

void ScreenDevice::ReleaseScaler() {
    ReleaseCom(scalerTexture);
    ReleaseCom(scalerDevice);
    ReleaseCom(scalerDirect3D);
}

std::int32_t ScreenDevice::CreateScaler() {
    if (!m_directDraw || !backSurface) return 1;
    ReleaseScaler();
    std::int32_t code = 0;
    D3DDEVICEDESC7 caps = {};
    SIZE size = {0, 0};
    PixelFormatInfo format = {};
    if (FAILED(m_directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&scalerDirect3D))) ||
        !scalerDirect3D) {
        scalerDirect3D = nullptr;
        code = 2;
    } else if (FAILED(scalerDirect3D->CreateDevice(IID_IDirect3DHALDevice, backSurface, &scalerDevice)) ||
               !scalerDevice) {
        scalerDevice = nullptr;
        code = 3;
    } else if (FAILED(scalerDevice->GetCaps(&caps))) {
        code = 4;
    } else if (ScalerTextureSize(caps, gameRect.right, gameRect.bottom, powerOfTwoTextures != 0, size) != 0) {
        code = 5;
    } else {
        scalerTextureIs32Bit = 1;
        if (FAILED(MakeTexture(m_directDraw, size, true, &scalerTexture)) || !scalerTexture) {
            scalerTexture = nullptr;
            scalerTextureIs32Bit = 0;
            if (FAILED(MakeTexture(m_directDraw, size, false, &scalerTexture)) || !scalerTexture) {
                scalerTexture = nullptr;
                code = 6;
            }
        }
        if (code == 0) {
            scalerFormat = ClassifyPixelFormat(scalerTexture, &format, nullptr);
            if (scalerFormat <= kPixelFormatPalette8) code = 7;
        }
    }
    if (code != 0) {
        ReleaseScaler();
        return code;
    }
    scalerTextureSize = size;
    const bool scaled = letterboxInUse != 0;
    MakeScalerQuad(scalerQuad, scaled ? letterboxDest.right : gameRect.right,
                   scaled ? letterboxDest.bottom : gameRect.bottom, gameRect.right, gameRect.bottom, size);
    return 0;
}

bool ScreenDevice::TestStretchFiltering() {
    if (stretchFilterResult != 0) return stretchFilterResult == 2;
    stretchFilterResult = 1;
    if (!m_directDraw) return false;
    auto make = [this](DWORD side, IDirectDrawSurface7** out) {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = desc.dwHeight = side;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        if (FAILED(m_directDraw->CreateSurface(&desc, out, nullptr))) *out = nullptr;
    };
    IDirectDrawSurface7* small = nullptr;
    IDirectDrawSurface7* large = nullptr;
    make(100, &small);
    make(200, &large);
    DDPIXELFORMAT pf = {};
    pf.dwSize = sizeof(pf);
    if (small && large && SUCCEEDED(small->GetPixelFormat(&pf)) && pf.dwRGBBitCount >= 16) {
        const DWORD white = pf.dwRBitMask | pf.dwGBitMask | pf.dwBBitMask;
        DDBLTFX fx = {};
        fx.dwSize = sizeof(fx);
        for (LONG x = 0; x < 100; ++x) {
            RECT column{x, 0, x + 1, 100};
            fx.dwFillColor = (x % 2 == 0) ? white : 0;
            small->Blt(&column, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        }
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        if (SUCCEEDED(large->Blt(nullptr, small, nullptr, DDBLT_WAIT, nullptr)) &&
            SUCCEEDED(large->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) {
            const auto* row = static_cast<const std::uint8_t*>(desc.lpSurface) + 100 * desc.lPitch;
            const DWORD bytes = pf.dwRGBBitCount / 8;
            for (DWORD x = 90; x < 110; ++x) {
                DWORD value = 0;
                for (DWORD b = 0; b < bytes; ++b) value |= static_cast<DWORD>(row[x * bytes + b]) << (8 * b);
                value &= white;
                if (value != 0 && value != white) stretchFilterResult = 2;
            }
            large->Unlock(nullptr);
        }
    }
    ReleaseCom(small);
    ReleaseCom(large);
    return stretchFilterResult == 2;
}
