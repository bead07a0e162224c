// The exclusive full-screen level and the display mode on Wine's DirectDraw. These change the
// display for the whole session, so CTest runs them alone (SERIAL_SUITES in the CMake file).
#include "graphics/device/direct_draw_device.h"

#include <gtest/gtest.h>

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

}  // namespace
