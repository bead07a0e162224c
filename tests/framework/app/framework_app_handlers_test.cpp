#include <gtest/gtest.h>

#include <windows.h>

#include "tests/framework/app/app_test_fixture.h"
#include "tests/support/win_test_env.h"

using apptest::AppParts;
using apptest::TestApp;
using apptest::StartedApp;

namespace {

TEST(FrameworkAppHandlers, PreTranslateFiltersSystemKeys) {
    struct KeyCase {
        std::uint8_t keyMode;
        bool fullScreen;
        UINT message;
        WPARAM key;
        bool swallowed;
    };
    const KeyCase cases[] = {
        {1, false, WM_SYSKEYUP, VK_F10, true},     {0, false, WM_SYSKEYUP, VK_F10, true},
        {0, false, WM_SYSKEYUP, VK_MENU, true},    {0, false, WM_SYSKEYUP, 'A', true},
        {0, false, WM_SYSKEYDOWN, VK_MENU, false}, {0, false, WM_SYSKEYDOWN, VK_F4, false},
        {0, false, WM_SYSKEYDOWN, VK_F10, false},  {0, false, WM_SYSKEYDOWN, VK_ESCAPE, true},
        {0, false, WM_SYSKEYDOWN, 'A', true},      {1, false, WM_SYSKEYDOWN, 'A', false},
        {1, false, WM_SYSKEYUP, VK_MENU, false},   {1, false, WM_SYSKEYUP, VK_ESCAPE, false},
        {1, true, WM_SYSKEYUP, VK_ESCAPE, true},   {1, true, WM_SYSKEYUP, VK_MENU, false},
        {1, true, WM_SYSKEYDOWN, VK_ESCAPE, false}, {0, true, WM_SYSKEYDOWN, VK_F4, false},
        {0, true, WM_KEYDOWN, 'A', false},         {1, true, WM_KEYUP, VK_ESCAPE, false},
    };
    AppParts parts;
    TestApp app(parts);
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.keyMode) << " full " << c.fullScreen << " msg 0x"
                                        << std::hex << c.message << " key 0x" << c.key);
        app.windowFlags = static_cast<std::uint8_t>((app.windowFlags & ~3) | c.keyMode);
        parts.screen.fullScreen = c.fullScreen;
        EXPECT_EQ(c.swallowed, app.PreTranslate(nullptr, c.message, c.key, 0, 0, 0, 0));
    }
}

TEST(FrameworkAppHandlers, ActivateAppInFullScreen) {
    struct ActivateCase {
        const char* name;
        bool fullScreen;
        std::uint8_t pending;
        bool letterbox;
        bool modeHeld;
        std::uint8_t minimise;
        bool activate;
        std::int32_t setResult;
        std::int32_t restoreResult;
        std::vector<std::string> calls;
        std::uint8_t fatal;
        std::uint8_t pendingAfter;
        bool minimised;
    };
    const ActivateCase cases[] = {
        {"window mode", false, 0, false, false, 1, true, 0, 0, {}, 0, 0, false},
        {"restore kind 1", false, 1, false, false, 1, true, 0, 0,
         {"SetFullscreenMode 640x480", "RestoreLostSurfaces"}, 0, 0, false},
        {"restore kind 2 takes the letterbox size", false, 2, true, false, 1, true, 0, 0,
         {"SetFullscreenMode 800x600", "RestoreLostSurfaces"}, 0, 0, false},
        {"failed restore is fatal 2", false, 1, false, false, 1, true, 5, 0,
         {"SetFullscreenMode 640x480", "RestoreLostSurfaces"}, 2, 0, false},
        {"lost surfaces are fatal 1", true, 0, false, true, 1, true, 0, 2, {"RestoreLostSurfaces"}, 1, 0, false},
        {"background minimises in letterbox", true, 0, true, true, 1, false, 0, 0, {"SetWindowedMode"}, 0, 2, true},
        {"background minimises", true, 0, false, true, 1, false, 0, 0, {"SetWindowedMode"}, 0, 1, true},
        {"setting off keeps the mode", true, 0, false, true, 0, false, 0, 0, {}, 0, 0, false},
    };
    for (const ActivateCase& c : cases) {
        SCOPED_TRACE(c.name);
        StartedApp s;
        s.parts.screen.calls.clear();
        s.parts.screen.fullScreen = c.fullScreen;
        s.parts.screen.letterbox = c.letterbox;
        s.parts.screen.modeHeld = c.modeHeld;
        s.parts.screen.setFullscreenResult = c.setResult;
        s.parts.screen.restoreResult = c.restoreResult;
        s.app.restorePending = c.pending;
        s.app.Settings().block1[kMinimiseInBackground] = c.minimise;
        SendMessageA(s.Window(), WM_ACTIVATEAPP, c.activate ? TRUE : FALSE, 0);
        EXPECT_EQ(c.calls, s.parts.screen.calls);
        EXPECT_EQ(c.fatal, s.app.fatalError);
        EXPECT_EQ(c.pendingAfter, s.app.restorePending);
        EXPECT_EQ(c.minimised, IsIconic(s.Window()) != FALSE);
        EXPECT_EQ(c.activate ? 1 : 0, s.app.active);
        s.app.fatalError = 0;
        s.parts.screen.fullScreen = false;
    }
}

TEST(FrameworkAppHandlers, PaintRepaintsOnlyWhileTheFrameLoopDoesNot) {
    struct PaintCase {
        const char* name;
        void (*arrange)(AppParts&, TestApp&);
        bool presents;
    };
    const PaintCase cases[] = {
        {"frames running", [](AppParts&, TestApp&) {}, false},
        {"Direct3D device", [](AppParts& p, TestApp&) { p.screen.direct3D = true; }, true},
        {"size or move loop", [](AppParts&, TestApp& a) { a.inSizeMove = 1; }, true},
        {"frames disabled", [](AppParts&, TestApp& a) { a.framesEnabled = 0; }, true},
        {"frames disabled by a switch", [](AppParts&, TestApp& a) { a.framesEnabled = 0; a.switchingMode = 1; }, false},
        {"inactive without the setting", [](AppParts&, TestApp& a) { a.active = 0; }, false},
        {"inactive with the setting", [](AppParts&, TestApp& a) { a.active = 0; a.Settings().repaintWhileInactive = 1; }, true},
        {"game thread paused", [](AppParts&, TestApp& a) { a.pauseRequest = 2; }, true},
        {"movie in full screen", [](AppParts& p, TestApp& a) { a.inSizeMove = 1; a.moviePlaying = 1; p.screen.fullScreen = true; }, false},
        {"movie in full screen, Direct3D without movie surface",
         [](AppParts& p, TestApp& a) { a.moviePlaying = 1; p.screen.fullScreen = true; p.screen.direct3D = true; }, true},
    };
    for (const PaintCase& c : cases) {
        SCOPED_TRACE(c.name);
        StartedApp s;
        s.app.active = 1;
        c.arrange(s.parts, s.app);
        s.parts.screen.calls.clear();
        InvalidateRect(s.Window(), nullptr, FALSE);
        SendMessageA(s.Window(), WM_PAINT, 0, 0);
        EXPECT_EQ(c.presents, s.parts.screen.Called("PresentRect"));
        s.parts.screen.fullScreen = false;
        s.app.moviePlaying = 0;
        s.app.pauseRequest = 0;
    }
}

TEST(FrameworkAppHandlers, AltSoonAfterHidingTheMenuDoesNotReopenIt) {
    StartedApp s([](TestApp& a) {
        a.Description().menuId = 0;
        a.Description().menuBarMode = 1;
    });
    // The menu id is read at the key: a game with a menu resource sets it.
    s.app.Description().menuId = 100;
    s.parts.screen.fullScreen = true;
    s.app.active = 1;
    s.app.menuHiddenTime = s.parts.platform.ticks - 250;
    EXPECT_EQ(0, SendMessageA(s.Window(), WM_SYSKEYUP, VK_MENU, 0));
    EXPECT_EQ(0, s.app.menuShown);
    EXPECT_FALSE(s.app.MenuWindow().Exists());

    s.app.menuHiddenTime = s.parts.platform.ticks - 251;
    SendMessageA(s.Window(), WM_SYSKEYUP, VK_MENU, 0);
    EXPECT_EQ(1, s.app.menuShown);
    ASSERT_TRUE(s.app.MenuWindow().Exists());
    EXPECT_EQ(1, s.app.keyMenus);
    HWND menuWindow = s.app.MenuWindow().Handle();

    // Shown for the menu already: swallowed without reopening.
    EXPECT_EQ(0, SendMessageA(s.Window(), WM_SYSKEYUP, VK_MENU, 0));
    // Hidden and opened again: the same window.
    SendMessageA(s.Window(), kMsgHideMenu, 0, 0);
    EXPECT_FALSE(IsWindowVisible(menuWindow));
    EXPECT_EQ(-1, s.app.OpenFullScreenMenu());
    EXPECT_EQ(menuWindow, s.app.MenuWindow().Handle());
    EXPECT_TRUE(IsWindowVisible(menuWindow));
    s.parts.screen.fullScreen = false;
}

TEST(FrameworkAppHandlers, MessageBoxRequests) {
    AppParts parts;
    TestApp idle(parts);
    EXPECT_FALSE(idle.RequestMessageBox(1, "text", 3, nullptr));
    EXPECT_TRUE(parts.platform.boxes.empty());

    StartedApp s;
    s.parts.platform.answers = {IDNO, IDNO, IDOK};
    EXPECT_TRUE(s.app.RequestMessageBox(0, "zero", 1, "caption"));
    EXPECT_FALSE(s.app.RequestMessageBox(1, "yes no", 3, nullptr));
    EXPECT_TRUE(s.app.RequestMessageBox(2, "ok cancel", 4, nullptr));
    ASSERT_EQ(3u, s.parts.platform.boxes.size());
    EXPECT_EQ(UINT(MB_OK | MB_ICONEXCLAMATION), s.parts.platform.boxes[0].type);
    EXPECT_EQ("caption", s.parts.platform.boxes[0].caption);
    EXPECT_EQ(s.Window(), s.parts.platform.boxes[0].owner);
    EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), s.parts.platform.boxes[1].type);
    EXPECT_EQ(s.app.title, s.parts.platform.boxes[1].caption);
    EXPECT_EQ(UINT(MB_OKCANCEL | MB_ICONHAND), s.parts.platform.boxes[2].type);
    EXPECT_EQ(1, s.app.framesEnabled);
    EXPECT_EQ(0, s.app.modalOpen);
}

TEST(FrameworkAppHandlers, WaitWorkerOutsideTheThreadedMode) {
    StartedApp s;
    HWND window = s.Window();
    EXPECT_EQ(0, s.app.WaitWorker(&window));
    EXPECT_EQ(0, s.app.pauseRequest);
}

}  // namespace
