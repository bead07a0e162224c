// The sample game's full-screen settings, written by the same content writer as
// scripts/make_demo_game, go through the start-up to the screen device: full screen with a change
// of the display mode to the game's 800x600, or full screen on the desktop as it is.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/interfaces/settings_files.h"
#include "graphics/screen/game_screen_device.h"
#include "tests/game/app/game_app_fixture.h"
#include "tools/content/content_files.h"
#include "tools/content/content_tool.h"

namespace {

using gameapptest::GameApp;
using gameapptest::GameFolder;

// One 1280x1024 monitor of 32 bits per pixel (the virtual desktop the program is given), whose
// driver offers the usual sizes at 16 and 32 bits and 60 Hz.
std::vector<MonitorRecord> OneMonitor() {
    MonitorRecord r = {};
    r.monitor = reinterpret_cast<HMONITOR>(0x10);
    r.depth = 32;
    r.rect = RECT{0, 0, 1280, 1024};
    r.work = r.rect;
    std::strcpy(r.adapter, "Desktop");
    r.primary = true;
    return {r};
}

std::vector<DisplayAdapterRecord> OneDriver() {
    DisplayAdapterRecord d;
    d.id = GUID{};
    d.flag = 1;
    d.monitor = reinterpret_cast<HMONITOR>(0x10);
    for (const SIZE size : {SIZE{640, 480}, SIZE{800, 600}, SIZE{1024, 768}, SIZE{1280, 1024}})
        for (std::uint32_t bits : {16u, 32u})
            d.modes.push_back(DisplayModeRecord{static_cast<std::uint32_t>(size.cx),
                                                static_cast<std::uint32_t>(size.cy), bits, 60});
    d.devices = {DisplayDeviceRecord{GUID{1, 0, 0, {}}, "soft", 0x100, false},
                 DisplayDeviceRecord{GUID{2, 0, 0, {}}, "hal", 0x500, true}};
    return {d};
}

// The same modes when they are listed by device name rather than by the driver.
std::vector<DisplayModeRecord> ListTheDriversModes(const char*) { return OneDriver()[0].modes; }

TEST(SampleGameFullScreen, SettingsReachTheScreenDeviceAsTheSampleAsksForThem) {
    const struct {
        const char* name;
        const char* appCfgLines;
        bool change;
    } rows[] = {
        {"full screen with a mode change", "@154 = 1\n", true},
        {"full screen on the desktop as it is", "@154 = 0\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GameFolder game(std::string("FullScreenSample") + (row.change ? "Change" : "Desktop"));
        game.appSys[SettingsFiles::AppSys::kGameWidth] = 800 & 0xFF;
        game.appSys[SettingsFiles::AppSys::kGameWidth + 1] = 800 >> 8;
        game.appSys[SettingsFiles::AppSys::kGameHeight] = 600 & 0xFF;
        game.appSys[SettingsFiles::AppSys::kGameHeight + 1] = 600 >> 8;
        game.WriteFiles();
        // The sample's player settings plus full screen; window-message input and no joysticks,
        // so that nothing of the machine is needed.
        testsupport::WriteFile(game.Game() + "USER.CFG",
                               testsupport::BuildSettingsFromLines(
                                   "user", "screen_mode = 1\nb3@6 = 0\ninput = 2\nb1@17 = 0\n"));
        CreateDirectoryA((game.Game() + "SAVEDATA").c_str(), nullptr);
        testsupport::WriteFile(game.Game() + "SAVEDATA\\APP_CFG.DAT",
                               testsupport::BuildSettingsFromLines("appcfg", row.appCfgLines));
        GameApp app(game);
        ASSERT_EQ(0, app.app->Startup());
        EXPECT_EQ(1, app.app->Settings().screenMode) << "full screen";
        ASSERT_EQ(1, app.parts.screen.displaySettingsTaken);
        const ScreenDisplaySettings& s = app.parts.screen.displaySettings;
        EXPECT_EQ(row.change, s.changeResolution);
        EXPECT_EQ(0, s.depth) << "the stored depth is no bit count: the monitor's own";
        EXPECT_EQ(800, s.windowRect.right - s.windowRect.left);
        EXPECT_EQ(600, s.windowRect.bottom - s.windowRect.top);

        // The program's screen device takes these choices and picks its full-screen mode.
        GameScreenDevice screen;
        screen.TakeDisplaySettings(s);
        ScreenDevice& d = screen.Device();
        ASSERT_EQ(0, d.SetGameSize(800, 600));
        const std::vector<MonitorRecord> monitors = OneMonitor();
        ASSERT_EQ(0, d.EnumDisplayModesFrom(monitors, OneDriver(), 800, 600, s.throughDirectDraw, ListTheDriversModes));
        ASSERT_EQ(0, d.SelectMonitor(s.changeResolution, nullptr, 0, s.depth, &monitors));
        ASSERT_NE(nullptr, d.CurrentMonitor());
        EXPECT_EQ(800, d.CurrentMonitor()->modeWidth);
        EXPECT_EQ(600, d.CurrentMonitor()->modeHeight);
        EXPECT_EQ(row.change ? 1 : 0, d.changeModeForFullScreen);
        EXPECT_EQ(32u, d.fullScreenDepth);
    }
}

}  // namespace
