// The screen device's display-mode decisions on records: letterbox geometry, the search for the
// game's full-screen mode, the monitor list and the choice of monitor and depth.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/device/screen_device.h"
#include "graphics/device/screen_modes.h"
#include "graphics/surfaces/gdi_screen.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct LetterboxCase {
    std::int32_t w, h, gw, gh;
    bool allowSame;
    std::int32_t result;
    std::uint8_t letterbox, bars;
    RECT dest, bar1, bar2;
};

TEST(ScreenLetterbox, Cases) {
    const LetterboxCase cases[] = {
        {1280, 1024, 640, 480, false, 0, 1, 1, {0, 32, 1280, 960}, {0, 0, 1280, 32}, {0, 992, 1280, 1024}},
        {1920, 1080, 640, 480, false, 0, 1, 1, {240, 0, 1440, 1080}, {0, 0, 240, 1080}, {1680, 0, 1920, 1080}},
        {640, 480, 640, 480, false, -1, 0, 0, {}, {}, {}},
        {1024, 768, 640, 480, false, 0, 1, 0, {0, 0, 1024, 768}, {}, {}},
        {1024, 768, 640, 480, true, 0, 0, 0, {}, {}, {}},
        // Odd remainders split by an arithmetic shift.
        {640, 481, 640, 480, false, 0, 1, 1, {0, 0, 640, 480}, {0, 0, 640, 0}, {0, 480, 640, 481}},
    };
    for (const LetterboxCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        LetterboxGeometry g;
        ASSERT_EQ(c.result, ComputeLetterbox(g, c.w, c.h, c.gw, c.gh, c.allowSame));
        EXPECT_EQ(c.letterbox, g.letterbox);
        EXPECT_EQ(c.bars, g.bars);
        if (c.letterbox) {
            EXPECT_TRUE(SameRect(c.dest, g.dest));
            EXPECT_EQ(c.w, g.displayWidth);
            EXPECT_EQ(c.h, g.displayHeight);
        } else {
            EXPECT_EQ(c.gw, g.displayWidth);
            EXPECT_EQ(c.gh, g.displayHeight);
        }
        if (c.bars) {
            EXPECT_TRUE(SameRect(c.bar1, g.bar1));
            EXPECT_TRUE(SameRect(c.bar2, g.bar2));
        }
    }
}

TEST(ScreenLetterbox, NonPositiveSizesChangeNothing) {
    const std::int32_t sizes[][4] = {{0, 480, 640, 480}, {640, -1, 640, 480}, {640, 480, 0, 480}, {640, 480, 640, 0}};
    for (const auto& s : sizes) {
        LetterboxGeometry g;
        g.displayWidth = 77;
        EXPECT_EQ(1, ComputeLetterbox(g, s[0], s[1], s[2], s[3], false));
        EXPECT_EQ(77, g.displayWidth);
    }
    ScreenDevice device;
    ASSERT_EQ(0, device.SetGameSize(640, 480));
    ASSERT_EQ(0, device.SetLetterbox(1280, 1024, false));
    EXPECT_EQ(1, device.SetLetterbox(0, 1024, false));
    EXPECT_EQ(1280, device.displaySize.cx) << "a rejected size keeps the geometry";
    EXPECT_EQ(1, device.letterbox);
    EXPECT_EQ(1, device.SetGameSize(0, 480));
    EXPECT_EQ(640, device.gameRect.right);
}

DisplayModeRecord Mode(std::uint32_t w, std::uint32_t h, std::uint32_t bits, std::uint32_t hz = 60) {
    return DisplayModeRecord{w, h, bits, hz};
}

TEST(ScreenModeSearch, AspectHeightWinsElseGameHeightElseLastSeen) {
    struct Case {
        const char* name;
        std::vector<DisplayModeRecord> modes;
        std::int32_t aspect;
        std::int32_t height;
        std::uint32_t mask;
        std::uint8_t gameSize, has60;
    } cases[] = {
        {"aspect first", {Mode(640, 480, 16), Mode(640, 512, 32, 75), Mode(640, 480, 32)}, 512, 512,
         ModeDepthBit(32), 0, 0},
        {"game height", {Mode(640, 480, 16), Mode(640, 400, 32), Mode(800, 512, 32)}, 512, 480,
         ModeDepthBit(16), 1, 1},
        {"last seen", {Mode(640, 350, 8), Mode(640, 400, 32, 70), Mode(640, 400, 16)}, 512, 400,
         ModeDepthBit(32) | ModeDepthBit(16), 0, 1},
        {"no width", {Mode(800, 480, 32)}, 512, 0, 0, 0, 0},
        {"no known depth", {Mode(640, 480, 15)}, 512, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorModeEntry e;
        e.modeWidth = 5;
        SearchGameMode(c.modes, 640, 480, c.aspect, e);
        EXPECT_EQ(c.height, e.modeHeight);
        EXPECT_EQ(c.height ? 640 : 0, e.modeWidth);
        EXPECT_EQ(c.mask, e.depthMask);
        EXPECT_EQ(c.gameSize, e.modeIsGameSize);
        EXPECT_EQ(c.has60, e.has60Hz);
    }
}

MonitorRecord Monitor(std::uintptr_t handle, RECT rect, bool primary, const char* device, const char* adapter,
                      std::uint8_t depth = 32) {
    MonitorRecord r = {};
    r.monitor = reinterpret_cast<HMONITOR>(handle);
    r.depth = depth;
    r.rect = rect;
    r.work = rect;
    std::strncpy(r.deviceName, device, sizeof(r.deviceName) - 1);
    std::strncpy(r.adapter, adapter, sizeof(r.adapter) - 1);
    r.primary = primary;
    return r;
}

DisplayAdapterRecord Driver(std::uintptr_t monitor, unsigned char guidByte, std::vector<DisplayModeRecord> modes) {
    DisplayAdapterRecord d;
    d.id = GUID{};
    d.id.Data4[0] = guidByte;
    d.flag = guidByte == 0 ? 1 : 0;
    d.monitor = reinterpret_cast<HMONITOR>(monitor);
    d.modes = std::move(modes);
    DisplayDeviceRecord soft{GUID{1, 0, 0, {}}, "soft", 0x100, false};
    DisplayDeviceRecord hal{GUID{2, 0, 0, {guidByte}}, "hal", 0x500, true};
    d.devices = {soft, hal};
    return d;
}

std::vector<std::string> listedNames;
std::vector<DisplayModeRecord> RecordingLister(const char* name) {
    listedNames.push_back(name);
    return {Mode(640, 480, 32)};
}

TEST(ScreenMonitors, EntriesPerMonitorWithTheirDrivers) {
    const std::vector<MonitorRecord> monitors = {
        Monitor(0x10, {0, 0, 1280, 1024}, true, "\\\\.\\DISPLAY1", "Card A"),
        Monitor(0x20, {1280, 0, 3200, 1080}, false, "\\\\.\\DISPLAY2", "Card B", 16),
        Monitor(0x30, {-800, 0, 0, 600}, false, "\\\\.\\DISPLAY3", "Card C"),
    };
    const std::vector<DisplayAdapterRecord> drivers = {
        Driver(0, 0, {Mode(640, 512, 32), Mode(640, 512, 16)}),
        Driver(0x20, 7, {Mode(640, 360, 32), Mode(640, 480, 16)}),
    };
    ScreenDevice device;
    ASSERT_EQ(0, device.EnumDisplayModesFrom(monitors, drivers, 640, 480, true, nullptr));
    const std::vector<MonitorModeEntry>& e = device.Monitors();
    ASSERT_EQ(3u, e.size());
    EXPECT_EQ("Card A (Primary)", e[0].description);
    EXPECT_EQ("Card B", e[1].description);
    EXPECT_EQ(0, e[0].driverGuid.Data4[0]) << "no own driver: the default one";
    EXPECT_EQ(7, e[1].driverGuid.Data4[0]);
    EXPECT_EQ(2u, e[1].deviceGuid.Data1) << "the first hardware device";
    EXPECT_EQ(0x500u, e[1].deviceRenderDepths);
    EXPECT_EQ(1, e[0].driverWindowed);
    EXPECT_EQ(0, e[1].driverWindowed);
    EXPECT_EQ(512, e[0].modeHeight) << "aspect height of 1280x1024";
    EXPECT_EQ(360, e[1].modeHeight) << "aspect height of 1920x1080";
    EXPECT_EQ(16, e[1].currentDepth);
    EXPECT_EQ(1, device.useDirectDrawModes);

    // One monitor: no " (Primary)"; the modes by device name through the lister.
    listedNames.clear();
    ASSERT_EQ(0, device.EnumDisplayModesFrom({monitors[0]}, drivers, 640, 480, false, RecordingLister));
    EXPECT_EQ("Card A", device.Monitors()[0].description);
    ASSERT_EQ(1u, listedNames.size());
    EXPECT_EQ("\\\\.\\DISPLAY1", listedNames[0]);
    EXPECT_EQ(480, device.Monitors()[0].modeHeight);
    EXPECT_EQ(0, device.useDirectDrawModes);

    // No default driver for a monitor without its own, or no monitors: -1 and an empty list.
    EXPECT_EQ(-1, device.EnumDisplayModesFrom(monitors, {drivers[1]}, 640, 480, true, nullptr));
    EXPECT_TRUE(device.Monitors().empty());
    EXPECT_EQ(-1, device.EnumDisplayModesFrom({}, drivers, 640, 480, true, nullptr));
    EXPECT_EQ(1, device.SelectMonitor(true, nullptr, 0, 32, nullptr));
}

class ScreenSelectMonitor : public ::testing::Test {
protected:
    void SetUp() override {
        m_monitors = {Monitor(0x10, {0, 0, 1280, 1024}, true, "\\\\.\\DISPLAY1", "A"),
                      Monitor(0x20, {1280, 0, 3200, 1080}, false, "\\\\.\\DISPLAY2", "B", 16)};
        m_drivers = {Driver(0x10, 1, {Mode(640, 480, 16), Mode(640, 480, 32)}),
                     Driver(0x20, 2, {Mode(640, 360, 8)})};
        ASSERT_EQ(0, m_device.SetGameSize(640, 480));
        ASSERT_EQ(0, m_device.EnumDisplayModesFrom(m_monitors, m_drivers, 640, 480, true, nullptr));
    }
    std::vector<MonitorRecord> m_monitors;
    std::vector<DisplayAdapterRecord> m_drivers;
    ScreenDevice m_device;
};

TEST_F(ScreenSelectMonitor, DepthFallsBackToThe32BitMode) {
    ASSERT_EQ(0, m_device.SelectMonitor(true, nullptr, 0, 24, &m_monitors));
    EXPECT_EQ(32, m_device.fullScreenDepth);
    EXPECT_EQ(1, m_device.changeModeForFullScreen);
    EXPECT_EQ(0, m_device.letterbox) << "a game-size mode needs no letterbox";
    EXPECT_EQ(640, m_device.displaySize.cx);
    EXPECT_EQ((1u << 0) | (1u << 2), m_device.m_modeDepthMask);
    EXPECT_EQ(1, m_device.m_modeHas60Hz);
    EXPECT_EQ(reinterpret_cast<HMONITOR>(0x10), m_device.monitorHandle);
}

TEST_F(ScreenSelectMonitor, NoUsableDepthOnlyMattersWithAModeChange) {
    // Monitor B offers 640x360 at 8 bits only.
    EXPECT_EQ(3, m_device.SelectMonitor(true, reinterpret_cast<HMONITOR>(0x20), 0, 32, &m_monitors));
    // Without a mode change the desktop's depth is used and the monitor's shape is fitted.
    ASSERT_EQ(0, m_device.SelectMonitor(false, reinterpret_cast<HMONITOR>(0x20), 0, 32, &m_monitors));
    EXPECT_EQ(0, m_device.changeModeForFullScreen);
    EXPECT_EQ(16, m_device.fullScreenDepth);
    EXPECT_EQ(1920, m_device.displaySize.cx);
    EXPECT_EQ(1, m_device.letterbox);
    EXPECT_TRUE(SameRect(RECT{240, 0, 1440, 1080}, m_device.letterboxDest));
}

TEST_F(ScreenSelectMonitor, IndexOutOfRangePicksTheFirstEntry) {
    ASSERT_EQ(0, m_device.SelectMonitor(false, nullptr, 1, 0, &m_monitors));
    EXPECT_EQ(&m_device.Monitors()[1], m_device.CurrentMonitor());
    ASSERT_EQ(0, m_device.SelectMonitor(false, nullptr, 5, 0, &m_monitors));
    EXPECT_EQ(&m_device.Monitors()[0], m_device.CurrentMonitor());
    EXPECT_EQ(1280, m_device.displaySize.cx);
    EXPECT_TRUE(SameRect(RECT{0, 32, 1280, 960}, m_device.letterboxDest));
    ASSERT_EQ(0, m_device.SelectMonitor(false, nullptr, -1, 0, &m_monitors));
    EXPECT_EQ(&m_device.Monitors()[0], m_device.CurrentMonitor());
}

TEST(ScreenSelectMonitorDesktop, ModelessFullScreenOnThePlainDesktop) {
    // The real display: one monitor, no mode of an unusual width; without a mode change the
    // choice still succeeds with the desktop's own depth.
    HDC screen = GetDC(nullptr);
    const int desktopBits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    ScreenDevice device;
    ASSERT_EQ(0, device.SetGameSize(642, 480));
    std::vector<MonitorRecord> one = {Monitor(0x10, {0, 0, 1024, 768}, true, "", "X", 0)};
    ASSERT_EQ(0, device.EnumDisplayModesFrom(one, {Driver(0, 0, {})}, 642, 480, false, ListDisplaySettings));
    ASSERT_EQ(0, device.SelectMonitor(true, nullptr, 0, 16, nullptr));
    EXPECT_EQ(0, device.changeModeForFullScreen);
    EXPECT_EQ(desktopBits, device.fullScreenDepth);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), device.displaySize.cx);
}

std::vector<std::string> settingsNames;
// Per call: the width asked for, 0 for a reset to the registry's mode.
std::vector<DWORD> settingsWidths;
DWORD settingsWidth = 0;
LONG settingsAnswer = DISP_CHANGE_SUCCESSFUL;
LONG WINAPI RecordingSettings(LPCSTR name, DEVMODEA* mode, HWND, DWORD, LPVOID) {
    settingsNames.push_back(name ? name : "(null)");
    settingsWidths.push_back(mode ? mode->dmPelsWidth : 0);
    if (mode) settingsWidth = mode->dmPelsWidth;
    return mode ? settingsAnswer : DISP_CHANGE_SUCCESSFUL;
}

TEST(ScreenDisplaySettings, ChangeNamesTheDeviceAndIsUndoneOnce) {
    ScreenDisplaySettingsCall = RecordingSettings;
    settingsNames.clear();
    settingsWidths.clear();
    {
        ScreenDevice device;
        EXPECT_EQ(1, device.RestoreDisplaySettings());
        ASSERT_EQ(0, device.ChangeDisplaySettings(800, 600, "\\\\.\\DISPLAY2"));
        EXPECT_EQ(800u, settingsWidth);
        ASSERT_EQ(0, device.ChangeDisplaySettings(1024, 768, "\\\\.\\DISPLAY2"));
        settingsAnswer = DISP_CHANGE_BADMODE;
        EXPECT_EQ(1, device.ChangeDisplaySettings(640, 480, "\\\\.\\DISPLAY2"));
        settingsAnswer = DISP_CHANGE_SUCCESSFUL;
        EXPECT_EQ(1, device.RestoreDisplaySettings()) << "the refused change left nothing to undo";
        ASSERT_EQ(0, device.ChangeDisplaySettings(800, 600, "\\\\.\\DISPLAY1"));
    }  // the destructor undoes the last change
    ScreenDisplaySettingsCall = ChangeDisplaySettingsExA;
    // Undoing puts back the mode in force before the change (the display itself never changed
    // here), not a reset to the registry's mode; for a device whose mode cannot be read (no
    // DISPLAY2 here) it resets.
    const DWORD before = static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN));
    const std::vector<DWORD> widths = {800, 0, 1024, 0, 640, 800, before};
    EXPECT_EQ(widths, settingsWidths);
    ASSERT_EQ(7u, settingsNames.size());
    EXPECT_EQ("\\\\.\\DISPLAY2", settingsNames[1]);
    EXPECT_EQ("\\\\.\\DISPLAY1", settingsNames[6]);
}

TEST(ScreenGameImage, AttachedCanvasSurvivesScriptReleasesUntilReplaced) {
    ScreenDevice device;
    GdiScreen* first = nullptr;
    GdiScreen* second = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreen(&first, 40, 30, 32, 0));
    ASSERT_EQ(0, device.CreateGdiScreen(&second, 20, 10, 32, 0));
    ASSERT_EQ(0, device.AttachGameImage(first));
    EXPECT_EQ(40, device.gameRect.right);
    EXPECT_EQ(30, device.gameRect.bottom);
    EXPECT_EQ(3, device.ReleaseImage(static_cast<Surface*>(first))) << "pinned while attached";
    device.ReleaseDrawablesByOwner(0, 1);
    device.DestroyAllObjects();
    ASSERT_EQ(1, device.SurfaceCount()) << "only the attached canvas is left";
    EXPECT_EQ(first, device.GameImage());

    ASSERT_EQ(0, device.CreateGdiScreen(&second, 20, 10, 32, 0));
    ASSERT_EQ(0, device.AttachGameImage(second));
    EXPECT_EQ(20, device.gameRect.right);
    EXPECT_EQ(0, device.ReleaseImage(static_cast<Surface*>(first))) << "the replaced canvas is unpinned";
    EXPECT_EQ(3, device.ReleaseImage(static_cast<Surface*>(second)));
}

}  // namespace
