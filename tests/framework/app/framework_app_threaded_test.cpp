#include <gtest/gtest.h>

#include <windows.h>

#include "tests/framework/app/app_test_fixture.h"

using apptest::AppParts;
using apptest::TestApp;
using apptest::Watchdog;

namespace {

// Pumps the window thread until `done` or the time is up.
template <class Done>
bool PumpUntil(Done done, DWORD ms = 60000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return done();
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
    return true;
}

TestApp* StartThreaded(AppParts& parts, void (*frame)(TestApp&)) {
    auto* app = new TestApp(parts);
    app->Settings().block1[kThreadedMode] = 1;
    app->frameBody = frame;
    EXPECT_EQ(0, app->Initialize());
    return app;
}

TEST(FrameworkAppThreaded, GameThreadRequestsRunOnTheWindowThreadAndCloseEndsTheRun) {
    AppParts parts;
    Watchdog watchdog(180000);
    TestApp app(parts);
    app.Settings().block1[kThreadedMode] = 1;
    app.frameBody = [](TestApp& a) {
        if (a.sent != 0) return;
        a.sent = 1;
        a.lastResult = a.RequestMessageBox(1, "from the game", 3, nullptr) ? 1 : 0;
        a.lastResult = a.lastResult * 10 + a.RequestScreenModeSwitch(1, 32, kSwitchAlways);
        a.sent = 2;
        a.MainWindow().Post(WM_CLOSE, 0, 0);
    };
    parts.platform.answers = {IDYES};
    const DWORD windowThread = GetCurrentThreadId();
    EXPECT_EQ(0, app.Run(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW));
    EXPECT_EQ(2, app.sent);
    EXPECT_EQ(10, app.lastResult);
    ASSERT_EQ(1u, parts.platform.boxes.size());
    EXPECT_EQ(windowThread, parts.platform.boxes[0].thread);
    EXPECT_TRUE(parts.screen.Called("ChangeMode full"));
    EXPECT_FALSE(app.MainWindow().Exists());
    EXPECT_FALSE(app.GameThread().IsRunning());
}

TEST(FrameworkAppThreaded, WaitWorkerHandsOverThePause) {
    AppParts parts;
    Watchdog watchdog(180000);
    TestApp* app = StartThreaded(parts, [](TestApp& a) {
        // The frame function acknowledges a pause request and idles while it lasts.
        InterlockedCompareExchange(&a.pauseRequest, 2, 1);
    });
    HWND window = app->MainWindow().Handle();
    EXPECT_EQ(0, app->WaitWorker(&window));
    EXPECT_EQ(2, app->pauseRequest);
    EXPECT_FALSE(IsWindowEnabled(window));
    app->EnableMainWindow(window);
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(0, app->pauseRequest);

    // Asked from the game thread itself.
    app->frameBody = [](TestApp& a) {
        if (a.lastResult != -100) return;
        HWND none = nullptr;
        a.lastResult = a.WaitWorker(&none);
    };
    ASSERT_TRUE(PumpUntil([&] { return app->lastResult != -100; }));
    EXPECT_EQ(1, app->lastResult);

    // A game thread that stops instead of taking the pause.
    app->frameBody = nullptr;
    app->holdAtEnd = true;
    app->GameThread().RequestStop();
    EXPECT_EQ(-2, app->WaitWorker(&window));
    app->holdAtEnd = false;
    EXPECT_EQ(0, app->Exit(0));
    delete app;
}

TEST(FrameworkAppThreaded, WaitWorkerEndsAtQuit) {
    AppParts parts;
    Watchdog watchdog(180000);
    TestApp* app = StartThreaded(parts, nullptr);
    HWND window = app->MainWindow().Handle();
    PostQuitMessage(0);
    EXPECT_EQ(-1, app->WaitWorker(&window));
    EXPECT_EQ(nullptr, window);
    app->pauseRequest = 0;
    app->Exit(0);
    delete app;
}

TEST(FrameworkAppThreaded, StrayQuitWhileFramesSendRequestsExitsCleanly) {
    AppParts parts;
    Watchdog watchdog(180000);
    TestApp app(parts);
    app.Settings().block1[kThreadedMode] = 1;
    app.frameBody = [](TestApp& a) {
        a.RequestScreenModeSwitch(2, 32, kSwitchIfChanged);
        a.MainWindow().Send(kMsgShowCursor, 1, 0);
        if (++a.sent == 3) PostThreadMessageA(GetWindowThreadProcessId(a.MainWindow().Handle(), nullptr), WM_QUIT, 0, 0);
    };
    EXPECT_EQ(0, app.Run(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW));
    EXPECT_FALSE(app.GameThread().IsRunning());
    EXPECT_FALSE(app.MainWindow().Exists());
    EXPECT_TRUE(parts.screen.Called("Release"));
}

}  // namespace
