// The screen device's stretch test and Direct3D scaler on Wine's DirectDraw, in a real window:
// the stretch test against the test's own stretch of stripes, the scaler's picture read back
// from the primary surface.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"
#include "tests/support/present_window.h"

namespace {

DDPIXELFORMAT Xrgb() { return testsupport::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0); }

class ScreenWineScaler : public ddimage::DirectDrawImageFixture {
protected:
    testsupport::PresentWindow m_window{64, 48};
};

IDirectDrawSurface7* Plain(IDirectDraw7* dd, DWORD side) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = desc.dwHeight = side;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.ddpfPixelFormat = Xrgb();
    IDirectDrawSurface7* s = nullptr;
    return SUCCEEDED(dd->CreateSurface(&desc, &s, nullptr)) ? s : nullptr;
}

// Stripes one pixel wide, white and black, stretched to twice their size: any grey on row 100
// near the middle means the stretch blends.
bool OwnStretchBlends(IDirectDraw7* dd) {
    IDirectDrawSurface7* small = Plain(dd, 100);
    IDirectDrawSurface7* large = Plain(dd, 200);
    bool blends = false;
    if (small && large) {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        if (SUCCEEDED(small->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
            for (int y = 0; y < 100; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(desc.lpSurface) + y * desc.lPitch);
                for (int x = 0; x < 100; ++x) row[x] = x % 2 == 0 ? 0xFFFFFF : 0;
            }
            small->Unlock(nullptr);
        }
        large->Blt(nullptr, small, nullptr, DDBLT_WAIT, nullptr);
        desc = {};
        desc.dwSize = sizeof(desc);
        if (SUCCEEDED(large->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) {
            const auto* row =
                reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(desc.lpSurface) + 100 * desc.lPitch);
            for (int x = 90; x < 110; ++x) {
                const std::uint32_t rgb = row[x] & 0xFFFFFF;
                if (rgb != 0 && rgb != 0xFFFFFF) blends = true;
            }
            large->Unlock(nullptr);
        }
    }
    if (small) small->Release();
    if (large) large->Release();
    return blends;
}

TEST_F(ScreenWineScaler, StretchTestAgreesWithTheStripesAndRunsOnce) {
    const bool blends = OwnStretchBlends(m_device.DirectDraw());
    ddimage::ShimmedDisplay display(m_device.DirectDraw(), Xrgb(), 32);
    ScreenDevice device;
    device.AdoptDirectDraw(&display.shim, false);
    EXPECT_EQ(0, device.stretchFilterResult);
    EXPECT_EQ(blends, device.TestStretchFiltering());
    EXPECT_EQ(blends ? 2 : 1, device.stretchFilterResult);
    const int creates = display.shim.creates;
    EXPECT_EQ(2, creates);
    EXPECT_EQ(blends, device.TestStretchFiltering());
    EXPECT_EQ(creates, display.shim.creates) << "tested once";
}

// The primary's pixel at client point (x, y) of the window, as 0x00RRGGBB.
std::uint32_t PrimaryPixel(IDirectDrawSurface7* primary, HWND window, LONG x, LONG y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    if (FAILED(primary->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) return 0xFFFFFFFFu;
    const auto* row = static_cast<const std::uint8_t*>(desc.lpSurface) + p.y * desc.lPitch;
    const std::uint32_t value = reinterpret_cast<const std::uint32_t*>(row)[p.x] & 0xFFFFFF;
    primary->Unlock(nullptr);
    return value;
}

TEST_F(ScreenWineScaler, ModeThreeDrawsTheCanvasThroughTheScalerInAWindow) {
    ScreenDevice device;
    GdiScreen* canvas = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreen(&canvas, 32, 24, 32, 0));
    ASSERT_EQ(0, device.AttachGameImage(canvas));
    device.hardwareCanvasMode = 3;
    device.windowedHardwareCanvas = 1;
    device.smoothScaling = 0;
    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), true, false, false));
    if (device.GetPresentMode() != 2) GTEST_SKIP() << "no Direct3D HAL device on this Wine";
    HDC dc = canvas->PresentSourceDC();
    ASSERT_NE(nullptr, dc);
    const std::uint32_t colours[4] = {0xC80A14, 0x14C80A, 0x0A14C8, 0xC8C814};
    for (int q = 0; q < 4; ++q) {
        RECT r{(q % 2) * 16, (q / 2) * 12, (q % 2) * 16 + 16, (q / 2) * 12 + 12};
        const std::uint32_t c = colours[q];
        HBRUSH brush = CreateSolidBrush(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    GdiFlush();
    ASSERT_TRUE(m_window.Fill(0x00FF00));
    ASSERT_EQ(0, device.Present());
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(colours[q], PrimaryPixel(device.primarySurface, m_window.Handle(), (q % 2) * 16 + 8, (q / 2) * 12 + 6))
            << "quadrant " << q;
    }
    EXPECT_EQ(0x00FF00u, PrimaryPixel(device.primarySurface, m_window.Handle(), 40, 30)) << "outside the game";
}

}  // namespace
