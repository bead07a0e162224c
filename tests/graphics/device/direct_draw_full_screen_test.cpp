// The exclusive full-screen level and the display mode on Wine's DirectDraw. These change the
// display for the whole session, so CTest runs them alone (SERIAL_SUITES in the CMake file).
#include "graphics/device/direct_draw_device.h"

#include <gtest/gtest.h>

#include "graphics/surfaces/direct_draw_image.h"

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

}  // namespace
