// The screen device's Direct3D scaler on fake caps and fake surfaces: the texture size, the
// texture's format, the quad, each failing step, and a canvas frame drawn through it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/support/fake_dd_surface.h"
#include "tests/support/fake_direct3d_device.h"

namespace {

using testsupport::FakeDdSurface;

DDPIXELFORMAT Xrgb() { return testsupport::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0); }

DDPIXELFORMAT Palette8() {
    DDPIXELFORMAT f = {};
    f.dwSize = sizeof(f);
    f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    f.dwRGBBitCount = 8;
    return f;
}

// An IDirectDraw7 that gives the logging Direct3D and makes textures as the test says.
class ScalerDirectDraw {
    void* const* m_table;

public:
    explicit ScalerDirectDraw(testsupport::LoggingDirect3D* direct3D) : m_direct3D(direct3D) {
        static void* table[21] = {};
        table[0] = reinterpret_cast<void*>(&QueryInterface);
        table[1] = reinterpret_cast<void*>(&AddRef);
        table[2] = reinterpret_cast<void*>(&Release);
        table[6] = reinterpret_cast<void*>(&CreateSurface);
        table[11] = reinterpret_cast<void*>(&GetCaps);
        table[19] = reinterpret_cast<void*>(&RestoreDisplayMode);
        table[20] = reinterpret_cast<void*>(&SetCooperativeLevel);
        m_table = table;
    }
    IDirectDraw7* Interface() { return reinterpret_cast<IDirectDraw7*>(this); }

    bool refuseDirect3D = false;
    // Answers CreateSurface (null: refused).
    std::function<FakeDdSurface*(const DDSURFACEDESC2&)> make;
    std::vector<DDSURFACEDESC2> asked;
    std::vector<std::unique_ptr<FakeDdSurface>> made;

private:
    static HRESULT __stdcall QueryInterface(ScalerDirectDraw* self, REFIID, void** out) {
        if (self->refuseDirect3D) return E_NOINTERFACE;
        *out = self->m_direct3D;
        return S_OK;
    }
    static ULONG __stdcall AddRef(ScalerDirectDraw*) { return 2; }
    static ULONG __stdcall Release(ScalerDirectDraw*) { return 1; }
    static HRESULT __stdcall GetCaps(ScalerDirectDraw*, DDCAPS*, DDCAPS*) { return DDERR_GENERIC; }
    static HRESULT __stdcall RestoreDisplayMode(ScalerDirectDraw*) { return DD_OK; }
    static HRESULT __stdcall SetCooperativeLevel(ScalerDirectDraw*, HWND, DWORD) { return DD_OK; }
    static HRESULT __stdcall CreateSurface(ScalerDirectDraw* self, DDSURFACEDESC2* desc, IDirectDrawSurface7** out,
                                           IUnknown*) {
        self->asked.push_back(*desc);
        FakeDdSurface* s = self->make ? self->make(*desc) : nullptr;
        if (!s) return DDERR_INVALIDPIXELFORMAT;
        self->made.emplace_back(s);
        *out = s->Interface();
        return DD_OK;
    }
    testsupport::LoggingDirect3D* m_direct3D;
};

D3DDEVICEDESC7 Caps(DWORD textureCaps, DWORD minimum, DWORD maximum) {
    D3DDEVICEDESC7 caps = {};
    caps.dpcTriCaps.dwTextureCaps = textureCaps;
    caps.dwMinTextureWidth = caps.dwMinTextureHeight = minimum;
    caps.dwMaxTextureWidth = caps.dwMaxTextureHeight = maximum;
    return caps;
}

TEST(ScreenScaler, TextureSizeFollowsTheDeviceCaps) {
    struct Row {
        const char* name;
        DWORD textureCaps, minimum, maximum;
        bool powerOfTwo;
        std::int32_t gw, gh, result, w, h;
    };
    const Row rows[] = {
        {"game size", 0, 1, 2048, false, 800, 600, 0, 800, 600},
        {"powers of two asked by the device", D3DPTEXTURECAPS_POW2, 1, 2048, false, 800, 600, 0, 1024, 1024},
        {"powers of two by the setting", 0, 1, 2048, true, 640, 480, 0, 1024, 512},
        {"square", D3DPTEXTURECAPS_SQUAREONLY, 1, 2048, false, 640, 480, 0, 640, 640},
        {"square powers of two", D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 1, 2048, false, 300, 100, 0,
         512, 512},
        {"raised to the minimum", 0, 256, 2048, false, 100, 50, 0, 256, 256},
        {"exact powers stay", D3DPTEXTURECAPS_POW2, 1, 1024, false, 1024, 512, 0, 1024, 512},
        {"above the maximum", D3DPTEXTURECAPS_POW2, 1, 512, false, 800, 600, 5, 0, 0},
        {"above the maximum without rounding", 0, 1, 799, false, 800, 600, 5, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SIZE size = {0, 0};
        EXPECT_EQ(row.result, ScalerTextureSize(Caps(row.textureCaps, row.minimum, row.maximum), row.gw, row.gh,
                                                row.powerOfTwo, size));
        EXPECT_EQ(row.w, size.cx);
        EXPECT_EQ(row.h, size.cy);
    }
}

struct ScalerFixture {
    testsupport::LoggingDirect3DDevice d3dDevice;
    testsupport::LoggingDirect3D direct3D{&d3dDevice};
    ScalerDirectDraw directDraw{&direct3D};
    FakeDdSurface back{8, 8, Xrgb()};
    ScreenDevice device;

    ScalerFixture(std::int32_t gw, std::int32_t gh) {
        d3dDevice.caps = Caps(D3DPTEXTURECAPS_POW2, 1, 2048);
        device.SetGameSize(gw, gh);
        device.AdoptDirectDraw(directDraw.Interface(), false);
        device.backSurface = back.Interface();
        back.references = 2;
    }
};

// The float of vertex v, field f (24 bytes a vertex: x, y, z, rhw, u, v).
float Field(const std::vector<std::uint8_t>& bytes, int v, int f) {
    float value = 0;
    std::memcpy(&value, bytes.data() + v * 24 + f * 4, 4);
    return value;
}

TEST(ScreenScaler, TextureFormatsAndTheQuad) {
    struct Row {
        const char* name;
        bool accept32, defaultPalettised, letterbox;
        std::int32_t result;
        std::uint8_t is32;
        std::int32_t format;
        int creates;
    };
    const Row rows[] = {
        {"32-bit xRGB", true, false, false, 0, 1, kPixelFormatXrgb32, 1},
        {"32-bit refused: the default format", false, false, false, 0, 0, kPixelFormatRgb565, 2},
        {"default format palettised", false, true, false, 7, 0, 0, 2},
        {"letterbox destination", true, false, true, 0, 1, kPixelFormatXrgb32, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScalerFixture f(640, 480);
        f.directDraw.make = [&row](const DDSURFACEDESC2& d) -> FakeDdSurface* {
            EXPECT_EQ(DWORD{DDSCAPS_TEXTURE}, d.ddsCaps.dwCaps);
            EXPECT_EQ(1024u, d.dwWidth);
            EXPECT_EQ(512u, d.dwHeight);
            if (d.dwFlags & DDSD_PIXELFORMAT) {
                EXPECT_EQ(0xFF0000u, d.ddpfPixelFormat.dwRBitMask);
                return row.accept32 ? new FakeDdSurface(4, 4, Xrgb()) : nullptr;
            }
            return new FakeDdSurface(4, 4, row.defaultPalettised ? Palette8()
                                                                 : testsupport::RgbFormat(16, 0xF800, 0x7E0, 0x1F, 0));
        };
        if (row.letterbox) {
            ASSERT_EQ(0, f.device.SetLetterbox(1280, 1024, false));
            f.device.letterboxInUse = 1;
        }
        EXPECT_EQ(row.result, f.device.CreateScaler());
        EXPECT_EQ(row.creates, static_cast<int>(f.directDraw.asked.size()));
        if (row.result != 0) {
            EXPECT_EQ(nullptr, f.device.scalerTexture);
            EXPECT_EQ(nullptr, f.device.scalerDevice);
            EXPECT_EQ(1, f.d3dDevice.references) << "the device is released again";
            EXPECT_EQ(0, f.directDraw.made.back()->references) << "the texture is released again";
            continue;
        }
        EXPECT_EQ(2, f.device.GetPresentMode());
        EXPECT_EQ(row.is32, f.device.scalerTextureIs32Bit);
        EXPECT_EQ(row.format, f.device.scalerFormat);
        EXPECT_EQ(1024, f.device.scalerTextureSize.cx);
        const float w = row.letterbox ? 1280.0f : 640.0f;
        const float h = row.letterbox ? 960.0f : 480.0f;
        const float expected[4][6] = {{-0.5f, -0.5f, 1, 1, 0, 0},
                                      {w - 0.5f, -0.5f, 1, 1, 0.625f, 0},
                                      {-0.5f, h - 0.5f, 1, 1, 0, 0.9375f},
                                      {w - 0.5f, h - 0.5f, 1, 1, 0.625f, 0.9375f}};
        for (int v = 0; v < 4; ++v)
            for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[v][i], f.device.scalerQuad[v][i]) << v << "," << i;
        f.device.ReleaseScaler();
        EXPECT_EQ(0, f.device.GetPresentMode() == 2);
        EXPECT_EQ(1, f.d3dDevice.references);
    }
}

TEST(ScreenScaler, EachFailingStep) {
    struct Row {
        const char* name;
        std::function<void(ScalerFixture&)> arrange;
        std::int32_t result;
    };
    const Row rows[] = {
        {"no back surface", [](ScalerFixture& f) { f.device.backSurface = nullptr; }, 1},
        {"no Direct3D", [](ScalerFixture& f) { f.directDraw.refuseDirect3D = true; }, 2},
        {"no HAL device", [](ScalerFixture& f) { f.direct3D.refuseDevice = true; }, 3},
        {"no caps", [](ScalerFixture& f) { f.d3dDevice.refuseCaps = true; }, 4},
        {"too large", [](ScalerFixture& f) { f.d3dDevice.caps.dwMaxTextureWidth = 256; }, 5},
        {"no texture", [](ScalerFixture& f) { f.directDraw.make = nullptr; }, 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScalerFixture f(640, 480);
        f.directDraw.make = [](const DDSURFACEDESC2&) { return new FakeDdSurface(4, 4, Xrgb()); };
        row.arrange(f);
        EXPECT_EQ(row.result, f.device.CreateScaler());
        EXPECT_EQ(nullptr, f.device.scalerTexture);
        EXPECT_EQ(nullptr, f.device.scalerDevice);
        EXPECT_EQ(nullptr, f.device.scalerDirect3D);
        EXPECT_EQ(1, f.d3dDevice.references);
    }
}

TEST(ScreenScaler, CanvasFrameDrawnThroughTheQuad) {
    for (const bool smooth : {true, false}) {
        SCOPED_TRACE(smooth ? "linear" : "point");
        ScalerFixture f(16, 8);
        FakeDdSurface primary(8, 8, Xrgb());
        f.device.primarySurface = primary.Interface();
        primary.references = 2;
        f.directDraw.make = [](const DDSURFACEDESC2&) { return new FakeDdSurface(16, 8, Xrgb()); };
        f.device.smoothScaling = smooth ? 1 : 0;
        f.device.displayState = 1;
        GdiScreen* canvas = nullptr;
        ASSERT_EQ(0, f.device.CreateGdiScreen(&canvas, 16, 8, 32, 0));
        ASSERT_EQ(0, f.device.AttachGameImage(canvas));
        ASSERT_EQ(0, f.device.CreateScaler());
        primary.presentAnswers = {DD_OK};
        ASSERT_EQ(0, f.device.Present());
        FakeDdSurface* texture = f.directDraw.made.back().get();
        EXPECT_GT(texture->locks, 0) << "the canvas went into the texture";
        ASSERT_EQ(1u, f.d3dDevice.draws.size());
        const auto& draw = f.d3dDevice.draws[0];
        EXPECT_EQ(D3DPT_TRIANGLESTRIP, draw.type);
        EXPECT_EQ(DWORD{D3DFVF_XYZRHW | D3DFVF_TEX1}, draw.format);
        EXPECT_EQ(4u, draw.count);
        EXPECT_EQ(DWORD{D3DDP_WAIT}, draw.flags);
        EXPECT_EQ(15.5f, Field(draw.bytes, 3, 0));
        EXPECT_EQ(1.0f, Field(draw.bytes, 3, 4));
        const DWORD filter = smooth ? D3DTFG_LINEAR : D3DTFG_POINT;
        const auto& calls = f.d3dDevice.calls;
        auto has = [&calls](const testsupport::DeviceCall& c) {
            for (const auto& x : calls)
                if (x == c) return true;
            return false;
        };
        EXPECT_TRUE(has(testsupport::Stage(D3DTSS_MAGFILTER, filter)));
        EXPECT_TRUE(has(testsupport::Stage(D3DTSS_ADDRESS, D3DTADDRESS_CLAMP)));
        EXPECT_TRUE(has(testsupport::Render(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE)));
        EXPECT_EQ(testsupport::DeviceCall::kTexture, calls.front().what);
        EXPECT_EQ(testsupport::DeviceCall::kTexture, calls.back().what);
        EXPECT_EQ(0u, calls.back().value) << "the texture is unset after the draw";
        ASSERT_EQ(1u, primary.presents.size());
        EXPECT_EQ(DWORD{DDBLT_ASYNC}, primary.presents[0].flags);

        f.d3dDevice.refuseDraw = true;
        f.device.AttachGameImage(canvas);
        EXPECT_EQ(3, f.device.Present()) << "a failed draw";
        f.device.primarySurface = nullptr;
    }
}

}  // namespace
