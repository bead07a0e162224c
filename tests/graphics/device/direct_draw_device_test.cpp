// The DirectDraw and Direct3D devices on Wine's DirectDraw 7 and Direct3D 7 (the test display),
// at the normal cooperative level and without a window (Wine is set up for them in
// tests/support/wine_direct3d_setup.h).
#include "graphics/device/direct3d_device.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/device/device_drawable.h"
#include "graphics/device/state_blocks.h"

namespace {

const GUID kTnLHalDevice = {0xf5049e78, 0x4861, 0x11d2, {0xa4, 0x07, 0x00, 0xa0, 0xc9, 0x06, 0x29, 0xa8}};

IDirectDrawSurface7* MakeOffscreen(IDirectDraw7* directDraw, DWORD size, DWORD extraCaps) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = size;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | extraCaps;
    IDirectDrawSurface7* surface = nullptr;
    return directDraw->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

TEST(DirectDrawDeviceOnWine, MakesTheObjectAndReadsTheScreensMode) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    DirectDrawDevice device;
    ASSERT_TRUE(device.m_comReady);
    ASSERT_EQ(device.CreateDirectDraw(false, false, nullptr, nullptr, 0, false, width, height, false, true, false), 0);
    EXPECT_NE(device.DirectDraw(), nullptr);
    EXPECT_EQ(device.m_deviceGuidPtr, nullptr);
    EXPECT_TRUE(device.m_modeDepthMask & 1);
    EXPECT_EQ(device.m_modeHas60Hz, 1);
    EXPECT_GT(device.GetFreeVideoMemory(true), 0u);
    EXPECT_EQ(device.GetFreeVideoMemory(false), device.m_videoMemoryFree);
    EXPECT_FALSE(device.m_driverDescription.empty());
    EXPECT_EQ(device.SetWindowedMode(false), 0);
    EXPECT_EQ(device.m_cooperativeLevel, 2);
    EXPECT_EQ(device.m_displayModeState, 2);
    // A size the display does not offer leaves the mask empty, so no full-screen depth is taken.
    ASSERT_EQ(device.CreateDirectDraw(false, false, nullptr, nullptr, 0, false, 640, 480, false, true, false), 0);
    EXPECT_EQ(device.m_modeDepthMask, 0);
    EXPECT_EQ(device.SetFullscreenMode(nullptr, 640, 480, 32, true), 2);
    device.ReleaseDirectDraw();
    EXPECT_EQ(device.m_cooperativeLevel, 0);
    EXPECT_EQ(device.GetFreeVideoMemory(true), 0u);
    EXPECT_EQ(device.SetWindowedMode(false), 1);
    EXPECT_EQ(device.SetFullscreenMode(nullptr, width, height, 32, true), 1);
}

class Direct3DOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_device.CreateDirectDraw(false, true, nullptr, nullptr, 0, false, 0, 0, false, true, false), 0);
        ASSERT_EQ(m_device.SetWindowedMode(false), 0);
        m_target = MakeOffscreen(m_device.DirectDraw(), 32, DDSCAPS_3DDEVICE);
        ASSERT_NE(m_target, nullptr);
    }
    void TearDown() override {
        m_device.ReleaseDevice();
        if (m_target) m_target->Release();
    }
    Direct3DDevice m_device;
    IDirectDrawSurface7* m_target = nullptr;
};

TEST_F(Direct3DOnWine, TheChosenTnLHalDeviceIsMadeWithAViewportAndAZBuffer) {
    EXPECT_TRUE(IsEqualGUID(m_device.m_deviceGuid, kTnLHalDevice));
    EXPECT_EQ(m_device.m_deviceKind, 2);
    const RECT viewport = {0, 0, 32, 32};
    ASSERT_EQ(m_device.CreateDevice(m_target, &viewport, true), 0);
    EXPECT_EQ(m_device.m_textureFormatMask, 0x1ECu);
    EXPECT_EQ(m_device.m_zDepth, 32);
    EXPECT_NE(m_device.m_zBuffer, nullptr);
    EXPECT_EQ(m_device.m_maxTextureWidth, 16384u);
    EXPECT_NE(m_device.TextureFormatFor(256), nullptr);
    EXPECT_EQ(m_device.TextureFormatFor(16), nullptr);
    EXPECT_EQ(m_device.CreateDevice(nullptr, &viewport, true), 1);
}

TEST_F(Direct3DOnWine, ATargetWithoutThe3DCapIsRefusedAfterTheRetry) {
    IDirectDrawSurface7* plain = MakeOffscreen(m_device.DirectDraw(), 32, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(m_device.CreateDevice(plain, nullptr, false), 3);
    EXPECT_EQ(m_device.Device(), nullptr);
    plain->Release();
}

// A quad of one vertex colour, drawn through the states set before it.
class ColourQuad final : public StateBlockDrawable {
public:
    DeviceDrawableKind Kind() const override { return kDrawableColourRect; }
    std::int32_t Draw(IDirectDrawSurface7*, const RECT* area, Direct3DDevice* device) override {
        struct Vertex {
            float x, y, z, rhw;
            DWORD colour;
        } v[4];
        const float r = static_cast<float>(area->right), b = static_cast<float>(area->bottom);
        const float corners[4][2] = {{0, 0}, {r, 0}, {0, b}, {r, b}};
        for (int i = 0; i < 4; ++i) v[i] = {corners[i][0], corners[i][1], 0.0f, 1.0f, 0x80FF0000};
        return FAILED(device->Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZRHW | D3DFVF_DIFFUSE, v, 4, 0))
                   ? 9
                   : 0;
    }
};

TEST_F(Direct3DOnWine, TheListDrawsABlendBlockAndAQuadThatReadBackAsPixels) {
    const RECT area = {0, 0, 32, 32};
    ASSERT_EQ(m_device.CreateDevice(m_target, &area, true), 0);
    ASSERT_EQ(m_device.Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0x204060, 1.0f, 0), D3D_OK);
    RenderStateBlock blend;
    blend.m_values[0] = D3DCULL_NONE;
    blend.m_values[3] = 1;
    blend.m_values[4] = D3DBLEND_SRCALPHA;
    blend.m_values[5] = D3DBLEND_INVSRCALPHA;
    ColourQuad quad;
    DeviceDrawableList list;
    ASSERT_EQ(list.InsertAfterEquals(&blend, 10, 0), 0);
    ASSERT_EQ(list.InsertAfterEquals(&quad, 5, 0), 0);
    ASSERT_EQ(list.Draw(m_target, &area, &m_device), 0);
    list.Clear();
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(m_target->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
    const DWORD pixel = static_cast<const DWORD*>(locked.lpSurface)[16 * locked.lPitch / 4 + 16];
    m_target->Unlock(nullptr);
    const int expected[3] = {0x90, 0x20, 0x30};
    for (int c = 0; c < 3; ++c) {
        const int got = static_cast<int>((pixel >> (16 - 8 * c)) & 0xFF);
        EXPECT_LE(std::abs(got - expected[c]), 2) << "channel " << c << " of " << std::hex << pixel;
    }
}

}  // namespace
