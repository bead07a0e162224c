// What the texture tests share: the DirectDraw image fixture (host, loaders, game folder) plus a
// Direct3D device of Wine's on a 3D-capable off-screen surface, current for textures and for
// DirectDraw, whose texture capability fields the tests set.
#pragma once

#include <d3d.h>

#include "graphics/device/direct3d_device.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"

namespace ddimage {

class TextureFixture : public DirectDrawImageFixture {
protected:
    void SetUp() override {
        DirectDrawImageFixture::SetUp();
        ASSERT_EQ(0, m_d3d.CreateDirectDraw(false, true, nullptr, nullptr, 0, false, 0, 0, false, true, false));
        ASSERT_EQ(0, m_d3d.SetWindowedMode(false));
        m_d3d.m_displayDepth = 32;
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = desc.dwHeight = 32;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        ASSERT_EQ(DD_OK, m_d3d.DirectDraw()->CreateSurface(&desc, &m_target, nullptr));
        ASSERT_EQ(0, m_d3d.CreateDevice(m_target, nullptr, false));
        m_wineCaps = m_d3d.m_textureCaps;
        CurrentDirectDrawDevice = &m_d3d;
        CurrentDirect3DDevice = &m_d3d;
    }
    void TearDown() override {
        CurrentDirect3DDevice = nullptr;
        CurrentDirectDrawDevice = &m_device;
        m_d3d.ReleaseDevice();
        if (m_target) m_target->Release();
        m_d3d.ReleaseDirectDraw();
        DirectDrawImageFixture::TearDown();
    }
    // Texture caps as a device asking for them would give, with Wine's limits.
    void Caps(std::uint32_t caps, std::uint32_t maxSide = 16384, std::uint32_t minSide = 1) {
        m_d3d.m_textureCaps = caps;
        m_d3d.m_maxTextureWidth = m_d3d.m_maxTextureHeight = maxSide;
        m_d3d.m_minTextureWidth = m_d3d.m_minTextureHeight = minSide;
    }

    Direct3DDevice m_d3d;
    IDirectDrawSurface7* m_target = nullptr;
    std::uint32_t m_wineCaps = 0;
};

// The raw 32-bit pixels of a surface's w x h top-left corner, top row first.
inline Units RawPixels(IDirectDrawSurface7* surface, std::int32_t w, std::int32_t h) {
    Units out;
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    if (surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return out;
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            out.push_back(reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.lpSurface) +
                                                                y * locked.lPitch)[x]);
    surface->Unlock(nullptr);
    return out;
}

}  // namespace ddimage
