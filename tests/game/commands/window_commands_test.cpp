// The window commands on a started game's window (Xvfb): the screen-mode switch feature and the
// keyboard hook options of 3, the script's screen-mode switch 13 and its switched bit 38.
#include <gtest/gtest.h>

#include <windows.h>

#include "game/commands/window_commands.h"
#include "game/interfaces/settings_files.h"
#include "tests/game/app/window_game.h"
#include "tests/support/command_harness.h"

namespace {

using gameapptest::WindowGame;

std::uint32_t Call(int opcode, std::initializer_list<std::int32_t> words) {
    testsupport::ArgBlock block;
    for (std::int32_t word : words) block.Int(word);
    return testsupport::CallCommand(opcode, block);
}

void SetPolicy(WindowGame& w, std::uint8_t policy) {
    w.App().AppSys().bytes[SettingsFiles::AppSys::kScreenModePolicy] = policy;
}

TEST(WindowCommands, ScreenModeFeatureUnderEachPolicy) {
    WindowGame w("WindowFeature");
    Application& app = w.App();
    struct Row {
        std::uint8_t policy;
        std::int32_t value;
        bool grey;
        bool bit;
        bool maximiseBox;
    } rows[] = {
        // Policy 0: nothing changes (the item stays grey, the bit clear, the box as it was).
        {0, 1, true, false, false},
        {1, 1, false, true, false},
        {1, 0, true, false, false},
        {2, 1, false, true, true},
        {2, 0, true, false, false},
    };
    EnableMenuItem(GetMenu(w.Window()), kCmdScreenMode, MF_BYCOMMAND | MF_GRAYED);
    SetWindowLongA(w.Window(), GWL_STYLE, GetWindowLongA(w.Window(), GWL_STYLE) & ~WS_MAXIMIZEBOX);
    app.windowFlags &= ~0x04;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.policy) + "," + std::to_string(row.value));
        SetPolicy(w, row.policy);
        EXPECT_EQ(Call(3, {0, row.value}), 0u);
        EXPECT_EQ(w.Grey(kCmdScreenMode), row.grey);
        EXPECT_EQ((app.windowFlags & 0x04) != 0, row.bit);
        EXPECT_EQ(w.MaximizeBox(), row.maximiseBox);
    }
}

TEST(WindowCommands, KeyboardHookOptions) {
    WindowGame w("WindowHook");
    Application& app = w.App();
    EXPECT_EQ(Call(3, {1, 6}), 0u);
    EXPECT_EQ(app.SystemKeyMode(), 2);
    EXPECT_EQ(Call(3, {1, 0}), 0u);
    EXPECT_EQ(app.SystemKeyMode(), 0);
    const std::uint8_t flags = app.windowFlags;
    EXPECT_EQ(Call(3, {7, 1}), 0u);
    EXPECT_EQ(app.windowFlags, flags);
}

TEST(WindowCommands, SwitchToFullScreenAndTheSwitchedBit) {
    WindowGame w("SwitchFull");
    Application& app = w.App();
    SetPolicy(w, 2);
    app.windowFlags |= 0x04;
    app.windowFlags &= ~0x08;
    EXPECT_EQ(Call(13, {2}), 0u);
    EXPECT_TRUE(w.app->parts.screen.Called("ChangeMode full"));
    EXPECT_EQ(app.Settings().screenMode, 1);
    EXPECT_EQ(Call(38, {}), 1u);
    EXPECT_EQ(Call(38, {}), 0u);
    w.app->parts.screen.fullScreen = false;
}

TEST(WindowCommands, AFailedProbeShowsABoxAndRestoresTheBytes) {
    WindowGame w("SwitchProbe");
    Application& app = w.App();
    SetPolicy(w, 2);
    app.windowFlags |= 0x04;
    app.AppCfg().bytes[SettingsFiles::AppCfg::kMonitor] = 99;
    const std::uint8_t mode = app.Settings().screenMode;
    const std::uint8_t depth = app.Settings().colourDepth;
    EXPECT_EQ(Call(13, {-1}), 2u);
    EXPECT_EQ(app.Settings().screenMode, mode);
    EXPECT_EQ(app.Settings().colourDepth, depth);
    testsupport::PumpMessagesFor(200);
    ASSERT_EQ(w.app->Boxes().size(), 1u);
    EXPECT_EQ(w.app->Boxes()[0].text, kScreenModeProbeFailed);
    EXPECT_FALSE(w.app->parts.screen.Called("ChangeMode full"));
}

TEST(WindowCommands, AFailedSwitchIsFatal) {
    WindowGame w("SwitchFails");
    Application& app = w.App();
    SetPolicy(w, 2);
    app.windowFlags |= 0x04;
    const std::uint8_t mode = app.Settings().screenMode;
    const std::uint8_t depth = app.Settings().colourDepth;
    w.app->parts.screen.changeResults = {5};
    EXPECT_EQ(Call(13, {1}), 3u);
    EXPECT_EQ(app.fatalError, 2);
    EXPECT_EQ(app.Settings().screenMode, mode);
    EXPECT_EQ(app.Settings().colourDepth, depth);
    app.fatalError = 0;
}

// Back to window mode on a work area exactly as wide as the game: the window goes to the work
// area's horizontal centre.
TEST(WindowCommands, WindowModeOnAWorkAreaAsWideAsTheGame) {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG workWidth = work.right - work.left;
    WindowGame w("SwitchWindow", [workWidth](gameapptest::GameFolder& game, gameapptest::GameApp&) {
        game.appSys[SettingsFiles::AppSys::kGameWidth] = static_cast<std::uint8_t>(workWidth & 0xFF);
        game.appSys[SettingsFiles::AppSys::kGameWidth + 1] = static_cast<std::uint8_t>(workWidth >> 8);
    });
    Application& app = w.App();
    ASSERT_EQ(app.gameWidth, workWidth);
    SetPolicy(w, 2);
    app.windowFlags |= 0x04;
    EXPECT_EQ(Call(13, {3}), 0u);
    EXPECT_EQ(app.Settings().screenMode, 2);
    RECT outer = {};
    GetWindowRect(w.Window(), &outer);
    EXPECT_EQ(outer.left, work.left + (workWidth - (outer.right - outer.left)) / 2);
}

}  // namespace
