#include <gtest/gtest.h>

#include <windows.h>

#include "framework/app/cursor_glide_task.h"
#include "framework/interfaces/task_scheduling.h"
#include "tests/framework/app/app_test_fixture.h"
#include "tests/support/fake_pointer_sprite.h"

using apptest::AppParts;
using apptest::TestApp;
using apptest::StartedApp;

namespace {

TEST(FrameworkAppCursor, MappingInAScaledWindowAndInLetterbox) {
    StartedApp s;
    s.parts.screen.scalesWindow = true;
    s.parts.screen.scaledClient = {640, 480};
    POINT point = {160, 120};
    s.app.MapGamePointToScreen(point);
    const POINT origin = s.ClientOrigin();
    EXPECT_EQ(origin.x + 320, point.x);
    EXPECT_EQ(origin.y + 240, point.y);
    s.app.gameCursor = {160, 120};
    EXPECT_TRUE(s.app.IsCursorAtGamePoint(160, 120));
    // Another point, taken through the scale and back, is not the cursor's.
    EXPECT_FALSE(s.app.IsCursorAtGamePoint(161, 120));

    s.parts.screen.fullScreen = true;
    s.parts.screen.letterbox = true;
    s.parts.screen.gameArea = {80, 0, 80 + 640, 480};
    s.parts.screen.displayOrigin = {1000, 10};
    point = {320, 240};
    s.app.MapGamePointToScreen(point);
    EXPECT_EQ(1000 + 80 + 640, point.x);
    EXPECT_EQ(10 + 480, point.y);
    s.app.SetGameCursorPos(320, 100);
    EXPECT_EQ(-1, s.app.gameCursor.x);
    s.app.SetGameCursorPos(319, 100);
    EXPECT_EQ(319, s.app.gameCursor.x);
    EXPECT_EQ(1000 + 80 + 638, s.parts.platform.cursor.x);
}

TEST(FrameworkAppCursor, WindowTrackingSetsTheCornerZoneOnce) {
    StartedApp s;
    const POINT origin = s.ClientOrigin();
    s.parts.platform.cursor = {origin.x + 10, origin.y + 20};
    EXPECT_TRUE(s.app.TrackCursor());
    EXPECT_EQ(10, s.app.gameCursor.x);
    EXPECT_EQ(20, s.app.gameCursor.y);
    EXPECT_EQ(0, s.app.edgeZone);

    s.parts.platform.cursor = {origin.x - 5, origin.y - 5};
    EXPECT_FALSE(s.app.TrackCursor());
    EXPECT_EQ(7, s.app.edgeZone);
    EXPECT_EQ(-1, s.app.gameCursor.x);
    // Along the outside the first zone stays.
    s.parts.platform.cursor = {origin.x + 100, origin.y - 5};
    s.app.TrackCursor();
    EXPECT_EQ(7, s.app.edgeZone);
    s.parts.platform.cursor = {origin.x + 100, origin.y + 5};
    s.app.TrackCursor();
    EXPECT_EQ(0, s.app.edgeZone);
    s.parts.platform.cursor = {origin.x + 400, origin.y + 5};
    s.app.TrackCursor();
    EXPECT_EQ(6, s.app.edgeZone);
}

TEST(FrameworkAppCursor, WindowTrackingHidesAndShowsThePointerAndForgetsTheButtons) {
    StartedApp s;
    MouseDevice* mouse = s.app.Input().Mouse();
    ASSERT_NE(nullptr, mouse);
    // With a drawn pointer the system one is hidden over the game.
    testsupport::FakePointerSprite sprite;
    ASSERT_EQ(0, mouse->SetCursorSprite(&sprite, 1, 100, false, 0, 0));
    const POINT origin = s.ClientOrigin();
    const POINT inside = {origin.x + 50, origin.y + 60};
    const POINT outside = {origin.x - 5, origin.y + 60};

    s.parts.platform.cursor = outside;
    EXPECT_FALSE(s.app.TrackCursor());
    EXPECT_EQ(std::vector<WPARAM>{1}, s.app.cursorRequests);
    s.parts.platform.cursor = inside;
    EXPECT_TRUE(s.app.TrackCursor());
    EXPECT_EQ((std::vector<WPARAM>{1, 0}), s.app.cursorRequests);
    EXPECT_FALSE(mouse->SystemCursorShown());

    SendMessageA(s.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 60));
    ASSERT_TRUE(mouse->IsDown(0));
    // Leaving the client area shows the system pointer and forgets the held button, whose
    // release the window will not see.
    s.parts.platform.cursor = outside;
    EXPECT_FALSE(s.app.TrackCursor());
    EXPECT_EQ(4, s.app.edgeZone);
    EXPECT_EQ((std::vector<WPARAM>{1, 0, 1}), s.app.cursorRequests);
    EXPECT_TRUE(mouse->SystemCursorShown());
    s.parts.platform.cursor = inside;
    EXPECT_TRUE(s.app.TrackCursor());
    EXPECT_FALSE(mouse->IsDown(0));
    mouse->SetCursorSprite(nullptr, 0, 0, false, 0, 0);
}

TEST(FrameworkAppCursor, LetterboxZonesAreJudgedOnTheGameArea) {
    struct ZoneCase {
        POINT cursor;
        POINT position;
        std::uint8_t zone;
    };
    // Display 800 x 600 with the 320 x 240 game drawn 2x at (80, 60).
    const ZoneCase cases[] = {
        {{400, 300}, {160, 120}, 0},
        {{400, 60}, {160, 0}, 8},
        {{400, 538}, {160, 239}, 2},
        {{80, 300}, {0, 120}, 4},
        {{718, 300}, {319, 120}, 6},
        {{716, 300}, {318, 120}, 0},
        {{400, 20}, {160, -2}, 8},
        {{400, 590}, {160, -2}, 2},
        {{20, 300}, {-2, 120}, 4},
        {{760, 300}, {-2, 120}, 6},
        {{20, 60}, {-2, 0}, 8},
        {{20, 560}, {-2, 250}, 2},
        {{900, 300}, {-1, -1}, 6},
    };
    StartedApp s;
    s.parts.screen.fullScreen = true;
    s.parts.screen.letterbox = true;
    s.parts.screen.displaySize = {800, 600};
    s.parts.screen.displayModeSize = {800, 600};
    s.parts.screen.gameArea = {80, 60, 80 + 640, 60 + 480};
    for (const ZoneCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cursor.x << "," << c.cursor.y);
        s.parts.platform.cursor = c.cursor;
        EXPECT_TRUE(s.app.TrackCursor());
        EXPECT_EQ(c.position.x, s.app.gameCursor.x);
        EXPECT_EQ(c.position.y, s.app.gameCursor.y);
        EXPECT_EQ(c.zone, s.app.edgeZone);
    }
}

TEST(FrameworkAppCursor, MenuRevealWithoutDelayOpensOnTheFirstFrame) {
    StartedApp s;
    // Other programs on the test display may take the activation; losing it in full screen
    // leaves the display mode and closes the menu on its own. This test is about the cursor.
    s.app.MainWindow().SetMessageHandler(WM_ACTIVATEAPP, nullptr);
    s.app.Description().menuId = 100;
    s.app.menuBarHeight = 40;
    s.parts.screen.fullScreen = true;
    s.parts.screen.modeHeld = true;
    s.parts.platform.cursor = {100, 0};
    EXPECT_FALSE(s.app.TrackCursor());
    EXPECT_EQ(1, s.app.menuShown);
    EXPECT_TRUE(s.parts.screen.Called("BeginGdiOverlay"));
    EXPECT_TRUE(s.app.MenuWindow().Exists());
    // On the bar: kept open, no position.
    s.parts.platform.cursor = {100, 39};
    EXPECT_FALSE(s.app.TrackCursor());
    EXPECT_EQ(1, s.app.menuShown);
    EXPECT_EQ(-1, s.app.gameCursor.y);
    // At the bar's height it closes.
    s.parts.platform.cursor = {100, 40};
    EXPECT_FALSE(s.app.TrackCursor());
    EXPECT_EQ(0, s.app.menuShown);
    EXPECT_TRUE(s.parts.screen.Called("EndGdiOverlay"));
    EXPECT_FALSE(IsWindowVisible(s.app.MenuWindow().Handle()));
}

TEST(FrameworkAppCursor, GlideTask) {
    StartedApp s;
    TaskScheduler scheduler(s.parts.clock);
    s.app.active = 1;
    const POINT origin = s.ClientOrigin();
    struct GlideCase {
        double exponent;
        POINT half;
    };
    // From the client origin to game point (100, 0) in 100 ms: at 50 ms.
    for (const GlideCase& c : {GlideCase{0.0, {50, 0}}, GlideCase{2.0, {25, 0}}, GlideCase{-2.0, {75, 0}}}) {
        SCOPED_TRACE(c.exponent);
        s.parts.platform.cursor = origin;
        ASSERT_EQ(0, CursorGlideTask::Start(&scheduler, &s.app, 100, 0, 100, c.exponent, 0));
        scheduler.RunDue(1000);
        scheduler.RunDue(1050);
        EXPECT_EQ(origin.x + c.half.x, s.parts.platform.cursor.x);
        scheduler.RunDue(1100);
        EXPECT_EQ(origin.x + 100, s.parts.platform.cursor.x);
        // Landed and gone: later runs move nothing.
        s.parts.platform.cursor = {1, 1};
        scheduler.RunDue(1200);
        EXPECT_EQ(1, s.parts.platform.cursor.x);
    }

    // No duration lands at the first step; a long distance does not overflow.
    s.parts.platform.cursor = origin;
    ASSERT_EQ(0, CursorGlideTask::Start(&scheduler, &s.app, 300, 200, 0, 0.0, 0));
    scheduler.RunDue(5000);
    EXPECT_EQ(origin.x + 300, s.parts.platform.cursor.x);
    EXPECT_EQ(origin.y + 200, s.parts.platform.cursor.y);
    s.parts.platform.cursor = {-2000000, 0};
    ASSERT_EQ(0, CursorGlideTask::Start(&scheduler, &s.app, 0, 0, 4000000, 0.0, 0));
    scheduler.RunDue(6000);
    scheduler.RunDue(6000 + 3000000);
    EXPECT_EQ(-2000000 + (origin.x + 2000000) * 3 / 4, s.parts.platform.cursor.x);
    scheduler.Clear();

    // A new glide cancels the running one; a cancelled mode-1 glide lands while active.
    s.parts.platform.cursor = origin;
    ASSERT_EQ(0, CursorGlideTask::Start(&scheduler, &s.app, 100, 0, 1000, 0.0, 1));
    scheduler.RunDue(7000);
    s.parts.platform.cursor = {5, 5};
    ASSERT_EQ(0, CursorGlideTask::Start(&scheduler, &s.app, 0, 0, 1000, 0.0, 0));
    EXPECT_EQ(origin.x + 100, s.parts.platform.cursor.x);
    scheduler.Clear();

    // Inactive: modes 0 and 1 do nothing, mode 2 jumps.
    s.app.active = 0;
    s.parts.platform.cursor = {5, 5};
    EXPECT_EQ(-1, CursorGlideTask::Start(&scheduler, &s.app, 10, 10, 100, 0.0, 1));
    EXPECT_EQ(5, s.parts.platform.cursor.x);
    EXPECT_EQ(-1, CursorGlideTask::Start(&scheduler, &s.app, 10, 10, 100, 0.0, 2));
    EXPECT_EQ(origin.x + 10, s.parts.platform.cursor.x);
    EXPECT_EQ(1, CursorGlideTask::Start(nullptr, &s.app, 10, 10, 100, 0.0, 2));

    // The running task is handed out; none when nothing runs.
    CursorGlideTask* started = reinterpret_cast<CursorGlideTask*>(1);
    EXPECT_EQ(-1, CursorGlideTask::Start(&scheduler, &s.app, 10, 10, 100, 0.0, 2, &started));
    EXPECT_EQ(nullptr, started);
    s.app.active = 1;
    ASSERT_EQ(0, CursorGlideTask::Start(&scheduler, &s.app, 10, 10, 100, 0.0, 0, &started));
    ASSERT_NE(nullptr, started);
    EXPECT_EQ(CursorGlideTask::kKind, started->Kind());
    scheduler.Clear();
}

TEST(FrameworkAppCursor, KeyboardHookDecision) {
    struct HookCase {
        std::uint8_t playerMode;
        std::uint8_t keyMode;
        bool menu;
        bool modal;
        DWORD key;
        DWORD flags;
        bool ctrl;
        bool swallowed;
    };
    const HookCase cases[] = {
        {1, 0, false, false, VK_TAB, LLKHF_ALTDOWN, false, true},
        {1, 0, false, false, VK_TAB, 0, false, false},
        {1, 0, false, false, VK_ESCAPE, 0, true, true},
        {1, 0, false, false, VK_ESCAPE, LLKHF_ALTDOWN, false, true},
        {1, 0, false, false, VK_ESCAPE, 0, false, false},
        {1, 2, false, false, VK_LWIN, 0, false, true},
        {1, 2, false, false, VK_RWIN, 0, false, true},
        {1, 1, false, false, VK_TAB, LLKHF_ALTDOWN, false, false},
        {1, 1, false, true, VK_TAB, LLKHF_ALTDOWN, false, true},
        {1, 1, true, false, VK_LWIN, 0, false, true},
        {2, 0, false, false, VK_TAB, LLKHF_ALTDOWN, false, false},
        {1, 0, false, false, 'A', LLKHF_ALTDOWN, true, false},
    };
    for (const HookCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " mode " << int(c.keyMode));
        EXPECT_EQ(c.swallowed, KeyboardHookSwallows(c.playerMode, HC_ACTION, c.keyMode, c.menu, c.modal,
                                                    c.key, c.flags, c.ctrl));
    }
    EXPECT_FALSE(KeyboardHookSwallows(1, 1, 0, false, false, VK_LWIN, 0, false));

    StartedApp s;
    s.app.windowFlags &= ~3;
    s.app.Settings().screenMode = 1;
    EXPECT_EQ(0, s.app.InstallKeyboardHook());
    s.app.RemoveKeyboardHook();
}

TEST(FrameworkAppCursor, ScreenModeSwitches) {
    StartedApp s;
    HWND window = s.Window();
    const LONG windowStyle = GetWindowLongA(window, GWL_STYLE);
    s.parts.screen.calls.clear();
    EXPECT_EQ(0, s.app.SwitchScreenMode(2, 32, kSwitchIfChanged));
    EXPECT_TRUE(s.parts.screen.calls.empty());

    // Refused with 1: 2 comes back, the player's mode and the window's frame stay.
    s.parts.screen.changeResults = {1};
    s.app.Settings().screenMode = 2;
    EXPECT_EQ(2, s.app.SwitchScreenMode(1, 32, kSwitchAlways));
    EXPECT_EQ(2, s.app.Settings().screenMode);
    EXPECT_EQ(windowStyle, GetWindowLongA(window, GWL_STYLE));
    EXPECT_EQ(0, s.app.switchingMode);
    HMENU system = GetSystemMenu(window, FALSE);
    EXPECT_NE(static_cast<UINT>(-1), GetMenuState(system, SC_MOVE, MF_BYCOMMAND));

    // With a menu bar the refusal puts it back too.
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 40001, "File");
    ASSERT_TRUE(SetMenu(window, menu));
    s.app.mainMenu = menu;
    s.app.Description().menuId = 100;
    s.parts.screen.changeResults = {1};
    EXPECT_EQ(2, s.app.SwitchScreenMode(1, 32, kSwitchAlways));
    EXPECT_EQ(menu, GetMenu(window));
    EXPECT_EQ(windowStyle, GetWindowLongA(window, GWL_STYLE));
    SetMenu(window, nullptr);
    s.app.mainMenu = nullptr;
    s.app.Description().menuId = 0;
    DestroyMenu(menu);

    // A switch puts the cursor back on the remembered game point.
    s.app.gameCursor = {10, 20};
    s.parts.platform.moves.clear();
    EXPECT_EQ(0, s.app.SwitchScreenMode(1, 32, kSwitchAlways));
    EXPECT_EQ(1, s.app.Settings().screenMode);
    EXPECT_EQ(32, s.app.Settings().colourDepth);
    const LONG frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX), GetWindowLongA(window, GWL_STYLE) & frame);
    ASSERT_EQ(1u, s.parts.platform.moves.size());
    EXPECT_EQ(10, s.parts.platform.moves[0].x);
    EXPECT_EQ(20, s.parts.platform.moves[0].y);
    EXPECT_NE(0, s.app.windowFlags & 8);

    EXPECT_EQ(0, s.app.SwitchScreenMode(2, 32, kSwitchAlways));
    EXPECT_EQ(2, s.app.Settings().screenMode);
    EXPECT_EQ(3, s.app.Settings().colourDepth);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(240, client.bottom);
}

}  // namespace
