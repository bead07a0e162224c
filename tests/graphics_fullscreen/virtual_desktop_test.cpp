// The screen device full screen in the 1280x1024 virtual desktop: the modes it offers, a
// letterboxed display canvas without a mode change (read back from the primary surface), mode
// changes by the display settings and by DirectDraw, and the desktop's size coming back.
//
// Tests that take the exclusive full-screen level are listed in
// tests/emulation_excluded_tests.txt: under qemu's i386 emulation that level ends the Wine
// process with an X error.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <set>
#include <tuple>
#include <vector>

#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/support/present_window.h"

namespace {

constexpr std::int32_t kDesktopW = 1280;
constexpr std::int32_t kDesktopH = 1024;

SIZE DesktopSize() { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// Whether the mode list offers the desktop's own size. Some Wine versions list only the sizes up
// to the X screen's: there no explicit change can bring the desktop's size back, and a reset
// gives the X screen's size.
bool DesktopSizeIsListed() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    for (DWORD i = 0; EnumDisplaySettingsExA(nullptr, i, &mode, 0); ++i)
        if (mode.dmPelsWidth == 1280 && mode.dmPelsHeight == 1024) return true;
    return false;
}

// The colours of the canvas's four quadrants: top left, top right, bottom left, bottom right.
constexpr std::uint32_t kQuadrants[4] = {0xC80A14, 0x14C80A, 0x0A14C8, 0xE0E040};

// An 800x600 display canvas of four one-colour quadrants.
GdiScreen* FourColourCanvas(ScreenDevice& device) {
    GdiScreen* canvas = nullptr;
    EXPECT_EQ(0, device.CreateGdiScreen(&canvas, 800, 600, 32, 0));
    if (!canvas) return nullptr;
    HDC dc = canvas->PresentSourceDC();
    EXPECT_NE(nullptr, dc);
    for (int q = 0; q < 4; ++q) {
        const RECT r{(q % 2) * 400, (q / 2) * 300, (q % 2) * 400 + 400, (q / 2) * 300 + 300};
        const std::uint32_t c = kQuadrants[q];
        HBRUSH brush = CreateSolidBrush(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    GdiFlush();
    EXPECT_EQ(0, device.AttachGameImage(canvas));
    return canvas;
}

// The RGB of a 32-bit surface's pixels at the points, read under a read-only lock.
std::vector<std::uint32_t> ReadSurface(IDirectDrawSurface7* surface, const std::vector<POINT>& points) {
    std::vector<std::uint32_t> out;
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_READONLY | DDLOCK_WAIT, nullptr))) return out;
    if (desc.ddpfPixelFormat.dwRGBBitCount == 32) {
        for (const POINT& p : points) {
            const auto* row = static_cast<const std::uint8_t*>(desc.lpSurface) + p.y * desc.lPitch;
            out.push_back(reinterpret_cast<const std::uint32_t*>(row)[p.x] & 0xFFFFFF);
        }
    }
    surface->Unlock(nullptr);
    return out;
}

// Handles the paints Wine posts after a window changes (a late erase would paint over a present).
void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class VirtualDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        const SIZE size = DesktopSize();
        ASSERT_EQ(kDesktopW, size.cx) << "not in the 1280x1024 virtual desktop (scripts/env.sh)";
        ASSERT_EQ(kDesktopH, size.cy);
    }
};

TEST_F(VirtualDesktop, OffersTheSmallSizesAndItsOwnAtThreeDepthsAnd60Hz) {
    std::set<std::tuple<DWORD, DWORD, DWORD>> modes;
    std::set<DWORD> rates;
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    for (DWORD i = 0; EnumDisplaySettingsExA(nullptr, i, &mode, 0); ++i) {
        modes.insert({mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel});
        rates.insert(mode.dmDisplayFrequency);
    }
    for (DWORD bits : {8u, 16u, 32u}) {
        SCOPED_TRACE(bits);
        EXPECT_EQ(1u, modes.count({320, 200, bits}));
        EXPECT_EQ(1u, modes.count({640, 480, bits}));
        EXPECT_EQ(1u, modes.count({800, 600, bits}));
        EXPECT_EQ(1u, modes.count({1024, 768, bits}));
        if (DesktopSizeIsListed()) EXPECT_EQ(1u, modes.count({1280, 1024, bits}));
    }
    ASSERT_TRUE(EnumDisplaySettingsExA(nullptr, ENUM_CURRENT_SETTINGS, &mode, 0));
    EXPECT_EQ(1280u, mode.dmPelsWidth);
    EXPECT_EQ(1024u, mode.dmPelsHeight);
    EXPECT_EQ(1u, rates.count(60));
}

// The device's own display-settings change and its undoing, by hand and by the destructor.
TEST_F(VirtualDesktop, DisplaySettingsChangeComesBackToTheDesktopSize) {
    {
        ScreenDevice device;
        EXPECT_EQ(1, device.RestoreDisplaySettings()) << "nothing changed yet";
        ASSERT_EQ(0, device.ChangeDisplaySettings(800, 600, nullptr));
        EXPECT_TRUE(device.DisplaySettingsChanged());
        EXPECT_EQ(800, DesktopSize().cx);
        EXPECT_EQ(600, DesktopSize().cy);
        EXPECT_EQ(1, device.ChangeDisplaySettings(801, 599, nullptr)) << "no such mode";
        EXPECT_EQ(1, device.RestoreDisplaySettings()) << "the refused change undid the earlier one";
        if (!DesktopSizeIsListed()) GTEST_SKIP() << "this Wine does not list the desktop's own size";
        EXPECT_EQ(kDesktopW, DesktopSize().cx);
        EXPECT_EQ(kDesktopH, DesktopSize().cy);
        ASSERT_EQ(0, device.ChangeDisplaySettings(640, 480, nullptr));
    }
    EXPECT_EQ(kDesktopW, DesktopSize().cx) << "the destroyed device restores the desktop";
    EXPECT_EQ(kDesktopH, DesktopSize().cy);
}

// Without a mode change the 800x600 canvas fills the width at 1280x960 between two black bars.
TEST_F(VirtualDesktop, CanvasWithoutModeChangeIsLetterboxedBetweenBlackBars) {
    testsupport::PresentWindow window(kDesktopW, kDesktopH);
    ScreenDevice device;
    ASSERT_NE(nullptr, FourColourCanvas(device));
    ASSERT_EQ(0, device.SetLetterbox(kDesktopW, kDesktopH, false));
    const RECT top{0, 0, 1280, 32}, bottom{0, 992, 1280, 1024};
    EXPECT_TRUE(EqualRect(&device.bar1, &top));
    EXPECT_TRUE(EqualRect(&device.bar2, &bottom));
    ASSERT_TRUE(window.Fill(0xFFFFFF));
    PumpMessages();
    ASSERT_EQ(0, device.ChangeMode(window.Handle(), false, false, false));
    EXPECT_EQ(1, device.displayState);
    EXPECT_EQ(1, device.letterboxInUse);
    EXPECT_EQ(1, device.GetPresentMode());
    ASSERT_NE(nullptr, device.primarySurface);
    PumpMessages();
    ASSERT_EQ(0, device.Present());
    const std::vector<std::uint32_t> seen = ReadSurface(
        device.primarySurface, {{640, 0}, {640, 31}, {5, 992}, {1275, 1023}, {320, 272}, {960, 272}, {320, 752}, {960, 752}});
    ASSERT_EQ(8u, seen.size()) << "the primary surface could not be read";
    for (int i = 0; i < 4; ++i) EXPECT_EQ(0u, seen[i]) << "bar point " << i;
    for (int q = 0; q < 4; ++q) EXPECT_EQ(kQuadrants[q], seen[4 + q]) << "quadrant " << q;
    EXPECT_EQ(kDesktopW, DesktopSize().cx) << "no mode change";
}

// A change to the game's size by the display settings: the canvas goes by GDI, no surfaces;
// going back to a window, and destroying the device, restore the desktop's size.
TEST_F(VirtualDesktop, ModeChangeByTheDisplaySettingsPresentsTheCanvasByGdi) {
    testsupport::PresentWindow window(800, 600);
    {
        ScreenDevice device;
        ASSERT_NE(nullptr, FourColourCanvas(device));
        device.changeModeForFullScreen = 1;
        device.useDirectDrawModes = 0;
        ASSERT_EQ(0, device.ChangeMode(window.Handle(), false, false, false));
        EXPECT_TRUE(device.DisplaySettingsChanged());
        EXPECT_EQ(800, DesktopSize().cx);
        EXPECT_EQ(600, DesktopSize().cy);
        EXPECT_EQ(0, device.GetPresentMode());
        EXPECT_EQ(nullptr, device.primarySurface);
        EXPECT_EQ(nullptr, device.backSurface);
        EXPECT_EQ(0, device.RestoreLostSurfaces());

        ASSERT_EQ(0, device.ChangeMode(window.Handle(), true, false, false));
        EXPECT_FALSE(device.DisplaySettingsChanged());
        if (!DesktopSizeIsListed()) GTEST_SKIP() << "this Wine does not list the desktop's own size";
        EXPECT_EQ(kDesktopW, DesktopSize().cx);
        EXPECT_EQ(kDesktopH, DesktopSize().cy);

        ASSERT_EQ(0, device.ChangeMode(window.Handle(), false, false, false));
        EXPECT_EQ(800, DesktopSize().cx);
    }
    EXPECT_EQ(kDesktopW, DesktopSize().cx) << "the destroyed device restores the desktop";
    EXPECT_EQ(kDesktopH, DesktopSize().cy);
}

// The same change through DirectDraw (the exclusive level): with the canvas GDI and no
// surfaces; without one an exclusive flip chain that flips with presentWait 2.
TEST_F(VirtualDesktop, ModeChangeByDirectDrawTakesTheExclusiveLevel) {
    testsupport::PresentWindow window(800, 600);
    {
        ScreenDevice device;
        ASSERT_NE(nullptr, FourColourCanvas(device));
        device.changeModeForFullScreen = 1;
        device.useDirectDrawModes = 1;
        device.fullScreenDepth = 32;
        ASSERT_EQ(0, device.ChangeMode(window.Handle(), false, false, false));
        EXPECT_EQ(800, DesktopSize().cx);
        EXPECT_EQ(0, device.GetPresentMode());
        EXPECT_EQ(nullptr, device.primarySurface);
        ASSERT_EQ(0, device.ChangeMode(window.Handle(), true, false, false));
        EXPECT_EQ(kDesktopW, DesktopSize().cx);
    }
    {
        ScreenDevice device;
        ASSERT_EQ(0, device.SetGameSize(800, 600));
        device.changeModeForFullScreen = 1;
        device.useDirectDrawModes = 1;
        device.fullScreenDepth = 32;
        device.presentWait = 2;
        ASSERT_EQ(0, device.ChangeMode(window.Handle(), false, false, false));
        EXPECT_EQ(800, DesktopSize().cx);
        EXPECT_EQ(1, device.flipChain);
        ASSERT_NE(nullptr, device.backSurface);
        DDBLTFX fx = {};
        fx.dwSize = sizeof(fx);
        fx.dwFillColor = 0x336699;
        ASSERT_EQ(DD_OK, device.backSurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
        ASSERT_EQ(0, device.PresentBackBuffer());
        const std::vector<std::uint32_t> seen = ReadSurface(device.primarySurface, {{400, 300}});
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(0x336699u, seen[0]) << "the flip shows the filled back surface";
        ASSERT_EQ(0, device.ChangeMode(window.Handle(), true, false, false));
        EXPECT_EQ(kDesktopW, DesktopSize().cx);
    }
    EXPECT_EQ(kDesktopH, DesktopSize().cy);
}

}  // namespace
