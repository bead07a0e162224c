#include "graphics/device/direct3d_device.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/interfaces/texture.h"
#include "tests/support/fake_dd_surface.h"
#include "tests/support/fake_direct3d_device.h"

namespace {

using testsupport::CountedSurface;
using testsupport::DeviceCall;
using testsupport::LoggingDirect3DDevice;
using testsupport::Render;
using testsupport::RgbFormat;
using testsupport::Stage;

class Direct3DCache : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_device.AdoptDevice(m_log.Interface()), 0); }
    void TearDown() override { m_device.ReleaseDevice(); }

    LoggingDirect3DDevice m_log;
    Direct3DDevice m_device;
};

TEST_F(Direct3DCache, AValueTwiceIsSentOnceAndARefusalKeepsTheCache) {
    EXPECT_EQ(m_device.SetAlphaBlendEnable(1), 0);
    EXPECT_EQ(m_device.SetAlphaBlendEnable(1), 0);
    EXPECT_EQ(m_log.calls, (std::vector<DeviceCall>{Render(D3DRENDERSTATE_ALPHABLENDENABLE, 1)}));
    m_log.refuseStates = true;
    EXPECT_EQ(m_device.SetAlphaBlendEnable(0), 2);
    m_log.refuseStates = false;
    // The refused value was not cached: asking again sends it; the old one was kept.
    EXPECT_EQ(m_device.SetAlphaBlendEnable(1), 0);
    EXPECT_EQ(m_device.SetAlphaBlendEnable(0), 0);
    EXPECT_EQ(m_log.calls, (std::vector<DeviceCall>{Render(D3DRENDERSTATE_ALPHABLENDENABLE, 1),
                                                    Render(D3DRENDERSTATE_ALPHABLENDENABLE, 0)}));
}

TEST_F(Direct3DCache, WithoutADeviceEverySetterAnswersOne) {
    Direct3DDevice bare;
    EXPECT_EQ(bare.SetCullMode(1), 1);
    EXPECT_EQ(bare.SetTextureFactor(5), 1);
    EXPECT_EQ(bare.SetTexture(nullptr), 1);
    EXPECT_EQ(bare.ReapplyStates(), 0);
}

// Wine's own defaults (ALPHAREF 0, TEXTUREFACTOR opaque white) are the unset markers.
TEST_F(Direct3DCache, ReapplySendsEachSetStateOnceInItsOrderAndSkipsTheDefaults) {
    m_device.SetAlphaFunc(7);
    m_device.SetAlphaRef(0);
    m_device.SetTextureFactor(0xFFFFFFFF);
    m_device.SetColorArg2(2);
    m_device.SetCullMode(1);
    m_device.SetAlphaRef(9);
    m_device.SetTextureFactor(0x80402010);
    m_log.calls.clear();
    EXPECT_EQ(m_device.ReapplyStates(), 0);
    EXPECT_EQ(m_log.calls,
              (std::vector<DeviceCall>{Render(D3DRENDERSTATE_CULLMODE, 1), Render(D3DRENDERSTATE_TEXTUREFACTOR, 0x80402010),
                                       Stage(D3DTSS_COLORARG2, 2), Render(D3DRENDERSTATE_ALPHAREF, 9),
                                       Render(D3DRENDERSTATE_ALPHAFUNC, 7)}));
    m_log.calls.clear();
    m_device.SetCullMode(1);
    EXPECT_TRUE(m_log.calls.empty());
    m_log.refuseStates = true;
    EXPECT_EQ(m_device.ReapplyStates(), 2);
    m_log.refuseStates = false;
    // What was refused goes out with the next call.
    m_device.SetCullMode(1);
    EXPECT_EQ(m_log.calls, (std::vector<DeviceCall>{Render(D3DRENDERSTATE_CULLMODE, 1)}));
}

TEST(Direct3DCaps, TextureFormatsAreKeptByCodeAndTheFirstOfACodeWins) {
    LoggingDirect3DDevice log;
    log.caps.dwDevCaps = D3DDEVCAPS_DRAWPRIMTLVERTEX;
    log.caps.dpcTriCaps.dwRasterCaps = 0;
    log.caps.dpcTriCaps.dwAlphaCmpCaps = D3DPCMPCAPS_ALWAYS;
    log.caps.dwMaxTextureWidth = 16384;
    log.textureFormats = {RgbFormat(16, 0x7C00, 0x3E0, 0x1F, 0), RgbFormat(16, 0x7C00, 0x3E0, 0x1F, 0x8000),
                          RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0),
                          RgbFormat(16, 0x7C00, 0x3E0, 0x1F, 0)};
    log.textureFormats.back().dwFourCC = 1;  // told apart from the first 5-5-5 only by this
    Direct3DDevice device;
    ASSERT_EQ(device.AdoptDevice(log.Interface()), 0);
    EXPECT_EQ(device.m_textureFormatMask, 4u | 32u | 64u | 256u);
    EXPECT_EQ(device.m_canDrawTLVertex, 1);
    EXPECT_EQ(device.m_alphaCompare, 0);
    EXPECT_EQ(device.m_maxTextureWidth, 16384u);
    ASSERT_NE(device.TextureFormatFor(4), nullptr);
    EXPECT_EQ(device.TextureFormatFor(5), device.TextureFormatFor(4));
    EXPECT_EQ(device.TextureFormatFor(5)->dwFourCC, 0u);
    EXPECT_EQ(device.TextureFormatFor(256)->dwRGBAlphaBitMask, 0xFF000000u);
    EXPECT_EQ(device.TextureFormatFor(8), nullptr);
    EXPECT_EQ(device.TextureFormatFor(3), nullptr);
    EXPECT_EQ(device.TextureFormatFor(512), nullptr);
    log.refuseCaps = true;
    EXPECT_EQ(device.AdoptDevice(log.Interface()), 4);
    EXPECT_EQ(device.Device(), nullptr);
}

TEST(PickZBufferFormat, TakesTheDepthAskedForAnd24For32) {
    auto z = [](DWORD depth) {
        DDPIXELFORMAT f = {};
        f.dwSize = sizeof(f);
        f.dwFlags = DDPF_ZBUFFER;
        f.dwZBufferBitDepth = depth;
        return f;
    };
    DDPIXELFORMAT notZ = z(32);
    notZ.dwFlags = DDPF_STENCILBUFFER;
    const std::vector<DDPIXELFORMAT> wine = {z(16), z(32), z(24)};
    const std::vector<DDPIXELFORMAT> no32 = {notZ, z(16), z(24)};
    struct Case {
        const char* name;
        const std::vector<DDPIXELFORMAT>* formats;
        std::uint8_t depth;
        DWORD found;  // 0: none
    } cases[] = {{"32 offered", &wine, 32, 32}, {"32 falls back to 24", &no32, 32, 24}, {"16", &no32, 16, 16},
                 {"24 does not fall back", &wine, 8, 0}, {"no formats", &no32, 15, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DDPIXELFORMAT* picked = PickZBufferFormat(*c.formats, c.depth);
        EXPECT_EQ(picked ? picked->dwZBufferBitDepth : 0u, c.found);
    }
}

// A texture that notes any call made after it was deleted (its memory is kept for that).
class NotingTexture final : public Texture {
public:
    explicit NotingTexture(IDirectDrawSurface7* surface) : m_surface(surface) {}
    void* XM_METHOD DeletingDestructor(std::uint32_t) override {
        deleted = true;
        return this;
    }
    SurfaceKind XM_METHOD Kind() override { return Note(kSurfaceTextureImage); }
    std::int32_t XM_METHOD TextureWidth() override { return Note(0); }
    std::int32_t XM_METHOD TextureHeight() override { return Note(0); }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t, std::int32_t, std::int32_t) override { return Note(0); }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t, std::int32_t) override { return Note(0); }
    std::int32_t XM_METHOD ColourKey() override { return Note(-1); }
    std::int32_t XM_METHOD ClearColourKey() override { return Note(0); }
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return Note(m_surface); }
    std::int32_t XM_METHOD FormatCode() override { return Note(32); }
    std::int32_t XM_METHOD PictureWidth() override { return Note(0); }
    std::int32_t XM_METHOD PictureHeight() override { return Note(0); }
    float XM_METHOD U(std::int32_t) override { return Note(0.0f); }
    float XM_METHOD V(std::int32_t) override { return Note(0.0f); }

    bool deleted = false;
    int callsAfterDeletion = 0;

private:
    template <class T>
    T Note(T value) {
        if (deleted) ++callsAfterDeletion;
        return value;
    }
    IDirectDrawSurface7* m_surface;
};

DWORD Address(CountedSurface& s) { return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(s.Interface())); }

TEST_F(Direct3DCache, ABoundTextureThatWasDeletedIsNeverCalledAgain) {
    CountedSurface surfaceA, surfaceB;
    NotingTexture a(surfaceA.Interface()), b(surfaceB.Interface());
    NotingTexture emptyTexture(nullptr);
    ASSERT_EQ(m_device.SetTexture(&a), 0);
    EXPECT_EQ(m_device.SetTexture(&a), 0);
    EXPECT_EQ(surfaceA.references, 2);
    a.DeletingDestructor(xm::kDeleteMemory);
    ASSERT_EQ(m_device.SetTexture(&b), 0);
    EXPECT_EQ(surfaceA.references, 1);
    EXPECT_EQ(m_device.ReapplyStates(), 0);
    EXPECT_EQ(m_device.SetTexture(&emptyTexture), 1);
    EXPECT_EQ(m_device.SetTexture(nullptr), 0);
    EXPECT_EQ(m_device.ReapplyStates(), 0);
    EXPECT_EQ(a.callsAfterDeletion, 0);
    EXPECT_EQ(surfaceB.references, 1);
    const DeviceCall bindA{DeviceCall::kTexture, 0, Address(surfaceA)};
    const DeviceCall bindB{DeviceCall::kTexture, 0, Address(surfaceB)};
    const DeviceCall unbind{DeviceCall::kTexture, 0, 0};
    EXPECT_EQ(m_log.calls, (std::vector<DeviceCall>{bindA, unbind, bindB, unbind}));
}

TEST_F(Direct3DCache, ANewDeviceGetsTheCachedStatesButNoTexture) {
    CountedSurface surface;
    NotingTexture texture(surface.Interface());
    ASSERT_EQ(m_device.SetTexture(&texture), 0);
    m_device.SetSrcBlend(5);
    LoggingDirect3DDevice fresh;
    // A new device forgets the texture: nothing is bound until a drawable binds one.
    ASSERT_EQ(m_device.AdoptDevice(fresh.Interface()), 0);
    EXPECT_EQ(surface.references, 1);
    EXPECT_EQ(m_device.ReapplyStates(), 0);
    EXPECT_EQ(fresh.calls, (std::vector<DeviceCall>{Render(D3DRENDERSTATE_SRCBLEND, 5)}));
    m_device.ReleaseDevice();
}

}  // namespace

namespace {

// CreateDevice's failures on the doubles; a missing z-buffer keeps the device and answers -1.
TEST(Direct3DCreateDevice, EachFailingStepAnswersItsCode) {
    struct Case {
        const char* name;
        bool refuseDirect3D, refuseDevice, refuseCaps, refuseViewport;
        std::int32_t result;
        bool deviceKept;
    } cases[] = {{"no IDirect3D7", true, false, false, false, 2, false},
                 {"the device refused, also after the retry with the chosen device", false, true, false, false, 3, false},
                 {"caps refused", false, false, true, false, 4, false},
                 {"viewport refused", false, false, false, true, 5, false},
                 {"no z-buffer format", false, false, false, false, -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoggingDirect3DDevice log;
        testsupport::LoggingDirect3D direct3D(&log);
        testsupport::DirectDrawAroundDevice directDraw(&direct3D);
        testsupport::DescribedTarget target(64, 64);
        log.refuseCaps = c.refuseCaps;
        log.refuseViewport = c.refuseViewport;
        direct3D.refuseDevice = c.refuseDevice;
        directDraw.refuseDirect3D = c.refuseDirect3D;
        Direct3DDevice device;
        device.AdoptDirectDraw(directDraw.Interface(), true);
        device.m_deviceGuid = IID_IDirect3DHALDevice;
        device.m_deviceGuidPtr = &device.m_deviceGuid;
        const RECT viewport = {0, 0, 64, 64};
        EXPECT_EQ(device.CreateDevice(target.Interface(), &viewport, true), c.result);
        EXPECT_EQ(device.Device() != nullptr, c.deviceKept);
        device.ReleaseDevice();
        EXPECT_EQ(log.references, 1);
        device.ReleaseDirectDraw();
    }
}

}  // namespace
