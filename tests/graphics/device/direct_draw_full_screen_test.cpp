// The exclusive full-screen level and the display mode on Wine's DirectDraw. These change the
// display for the whole session, so CTest runs them alone (SERIAL_SUITES in the CMake file).
#include "graphics/device/direct_draw_device.h"

#include <gtest/gtest.h>

#include "graphics/surfaces/direct_draw_image.h"
#include "graphics/surfaces/direct_draw_screen.h"
#include "tests/support/display_shim.h"
#include "tests/support/fake_dd_surface.h"

namespace {

class DirectDrawFullScreen : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "DirectDrawFullScreenTest";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, windowClass.lpszClassName, "full screen", WS_POPUP, 0, 0, 64, 64, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(m_window, nullptr);
    }
    void TearDown() override {
        CurrentDirectDrawDevice = nullptr;
        m_device.ReleaseDirectDraw();
        DestroyWindow(m_window);
    }
    HWND m_window = nullptr;
    DirectDrawDevice m_device;
};

TEST_F(DirectDrawFullScreen, TakesTheScreensModeOnceAndGoesBackToTheWindow) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(m_device.CreateDirectDraw(false, false, nullptr, nullptr, 0, false, width, height, false, true, false),
              0);
    ASSERT_EQ(m_device.SetFullscreenMode(m_window, width, height, 32, true), 0);
    EXPECT_EQ(m_device.m_cooperativeLevel, 1);
    EXPECT_EQ(m_device.m_displayModeState, 1);
    EXPECT_EQ(m_device.m_displayDepth, 32);
    EXPECT_EQ(m_device.m_refreshRate, 60);
    EXPECT_EQ(m_device.SetFullscreenMode(m_window, width, height, 32, true), 1);
    // The display offers its size at 32 bits only.
    EXPECT_EQ(m_device.SetFullscreenMode(m_window, width, height, 16, true), 2);
    ASSERT_EQ(m_device.SetWindowedMode(false), 0);
    EXPECT_EQ(m_device.m_cooperativeLevel, 2);
    EXPECT_EQ(m_device.m_displayModeState, 2);
    EXPECT_EQ(m_device.m_refreshRate, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
}

// Taking the exclusive level loses every surface made before, still after the return to the
// window, until Restore. The fault this guards: a blank image came back black, its fill colour
// forgotten with the old surface.
TEST_F(DirectDrawFullScreen, ImagesLostToTheExclusiveLevelComeBackFilledAndKeyed) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(m_device.CreateDirectDraw(false, false, nullptr, nullptr, 0, false, width, height, false, true, false),
              0);
    ASSERT_EQ(m_device.SetWindowedMode(false), 0);
    m_device.m_displayDepth = 32;
    CurrentDirectDrawDevice = &m_device;
    {
        DirectDrawImage byColour, byPixel;
        ASSERT_EQ(byColour.Create(8, 4, false, false, nullptr), 0);
        ASSERT_EQ(byColour.FillColour(0x20, 0x40, 0x80), 0);
        ASSERT_EQ(byColour.SetColourKeyRgb(0x20, 0x40, 0x80), 0);
        ASSERT_EQ(byPixel.Create(8, 4, false, false, nullptr), 0);
        ASSERT_EQ(byPixel.FillColour(0x60, 0x50, 0x40), 0);
        ASSERT_EQ(byPixel.SetColourKeyFromPixel(3, 2), 0);
        IDirectDrawSurface7* before = byColour.GetSurface();
        EXPECT_EQ(byColour.Restore(true), 0);
        EXPECT_EQ(byColour.GetSurface(), before) << "intact: left alone";

        ASSERT_EQ(m_device.SetFullscreenMode(m_window, width, height, 32, true), 0);
        EXPECT_EQ(byColour.GetSurface()->IsLost(), DDERR_SURFACELOST);
        EXPECT_EQ(byColour.GetPixel(0, 0), -1);
        ASSERT_EQ(m_device.SetWindowedMode(false), 0);
        EXPECT_EQ(byPixel.GetSurface()->IsLost(), DDERR_SURFACELOST);

        for (DirectDrawImage* image : {&byColour, &byPixel}) {
            ASSERT_EQ(image->Restore(true), 0);
            EXPECT_EQ(image->GetSurface()->IsLost(), DD_OK);
        }
        EXPECT_EQ(byColour.GetPixel(7, 3), 0x204080);
        EXPECT_EQ(byColour.FillColourValue(), 0x204080);
        EXPECT_EQ(byColour.ColourKey(), 0x204080);
        EXPECT_EQ(byPixel.GetPixel(0, 0), 0x605040);
        EXPECT_EQ(byPixel.ColourKey(), 0x605040);
        EXPECT_EQ(byPixel.KeyPixelX(), 3);
        DDCOLORKEY key = {};
        ASSERT_EQ(byPixel.GetSurface()->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, 0x605040u);
    }
}

// A DirectDraw screen on a 5-6-5 display loses its surface to the exclusive level too. The faults
// this guards: Restore read the packed key (0xFC01) back as a colour, so the rebuilt surface got
// the key 0x0000; and an update of a lost surface answered 0.
TEST_F(DirectDrawFullScreen, ScreensLostToTheExclusiveLevelReportItAndComeBackWithTheirKey) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(m_device.CreateDirectDraw(false, false, nullptr, nullptr, 0, false, width, height, false, true, false),
              0);
    ASSERT_EQ(m_device.SetWindowedMode(false), 0);
    m_device.m_displayDepth = 32;
    const std::uint8_t savedSwitch = DibBackBufferSwitch;
    for (std::uint8_t dib : {std::uint8_t{1}, std::uint8_t{0}}) {
        SCOPED_TRACE(dib ? "DIB back buffer" : "plain back buffer");
        DibBackBufferSwitch = dib;
        testsupport::DisplayShim shim(m_device.DirectDraw(), testsupport::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0));
        DirectDrawDevice shimmed;
        shimmed.AdoptDirectDraw(&shim, false);
        shimmed.m_displayDepth = 16;
        CurrentDirectDrawDevice = &shimmed;
        {
            DirectDrawScreen screen;
            ASSERT_EQ(screen.Create(8, 4, 32, 0), 0);
            const RECT area = {1, 1, 3, 3};
            ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &area));
            ASSERT_EQ(screen.SetColourKeyRgb(0xFF, 0x80, 0x08), 0);
            ASSERT_EQ(screen.ColourKey(), 0xFC01);
            ASSERT_EQ(m_device.SetFullscreenMode(m_window, width, height, 32, true), 0);
            ASSERT_EQ(m_device.SetWindowedMode(false), 0);
            ASSERT_EQ(screen.GetSurface()->IsLost(), DDERR_SURFACELOST);
            EXPECT_EQ(screen.UpdateSurface(false), 2);
            ASSERT_EQ(screen.Restore(true), 0);
            EXPECT_EQ(screen.GetSurface()->IsLost(), DD_OK);
            DDCOLORKEY key = {};
            ASSERT_EQ(screen.GetSurface()->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
            EXPECT_EQ(key.dwColorSpaceLowValue, 0xFC01u);
            DDSURFACEDESC2 locked = {};
            locked.dwSize = sizeof(locked);
            ASSERT_EQ(screen.GetSurface()->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
            const auto* row = reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(locked.lpSurface) +
                                                                    2 * locked.lPitch);
            EXPECT_EQ(row[2], 0xFC08) << "the back buffer copied in";
            EXPECT_EQ(row[0], 0);
            screen.GetSurface()->Unlock(nullptr);
        }
        CurrentDirectDrawDevice = nullptr;
        shimmed.ReleaseDirectDraw();
    }
    DibBackBufferSwitch = savedSwitch;
}

}  // namespace
