#include "framework/runtime/app_core.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tests/support/win_test_env.h"

using testsupport::DrainMessageQueue;
using testsupport::MessageWindow;

namespace {

class TestApp : public AppCore {
public:
    explicit TestApp(bool useMessageLoop) : AppCore(useMessageLoop) {}

    std::int32_t Initialize() override {
        if (onInitialize) onInitialize();
        return initializeResult;
    }
    std::int32_t RunOnce() override {
        ++runOnceCalls;
        return 77;
    }
    std::int32_t Exit(std::int32_t code) override {
        exitCodes.push_back(code);
        return 5;
    }
    bool PreTranslate(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD time, LONG x,
                      LONG y) override {
        preTranslated.push_back(message);
        return consume && consume(message);
    }

    std::int32_t initializeResult = 0;
    std::function<void()> onInitialize;
    std::function<bool(UINT)> consume;
    int runOnceCalls = 0;
    std::vector<std::int32_t> exitCodes;
    std::vector<UINT> preTranslated;
};

bool StillQueued(UINT message) {
    MSG msg;
    return PeekMessageA(&msg, nullptr, message, message, PM_NOREMOVE) != FALSE;
}

struct PumpCase {
    const char* name;
    UINT message;
    bool all;
    bool delivered;
};

void PrintTo(const PumpCase& c, std::ostream* os) { *os << c.name; }

class AppCorePump : public ::testing::TestWithParam<PumpCase> {};

TEST_P(AppCorePump, DropsTheMouseMoveClassUnlessAll) {
    const PumpCase& c = GetParam();
    MessageWindow window;
    DrainMessageQueue();
    window.ClearReceived();
    TestApp app(true);
    PostMessageA(window.Handle(), c.message, 0, 0);
    EXPECT_EQ(0, app.PumpMessages(c.all));
    const std::vector<UINT> expected = c.delivered ? std::vector<UINT>{c.message} : std::vector<UINT>{};
    EXPECT_EQ(expected, window.Received());
    // Dropped messages are not pre-translated either, and not kept for later.
    EXPECT_EQ(expected, app.preTranslated);
    EXPECT_FALSE(StillQueued(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppCorePump,
    ::testing::Values(PumpCase{"MouseMoveDropped", WM_MOUSEMOVE, false, false},
                      PumpCase{"SetCursorDropped", WM_SETCURSOR, false, false},
                      PumpCase{"HitTestDropped", WM_NCHITTEST, false, false},
                      PumpCase{"NonClientMouseMoveDropped", WM_NCMOUSEMOVE, false, false},
                      PumpCase{"ButtonKept", WM_LBUTTONDOWN, false, true},
                      PumpCase{"UserMessageKept", WM_USER + 1, false, true},
                      PumpCase{"MouseMoveKeptWithAll", WM_MOUSEMOVE, true, true},
                      PumpCase{"SetCursorKeptWithAll", WM_SETCURSOR, true, true}),
    [](const ::testing::TestParamInfo<PumpCase>& info) { return info.param.name; });

TEST(AppCore, PumpStopsAtQuitAndLeavesLaterMessagesQueued) {
    MessageWindow window;
    DrainMessageQueue();
    window.ClearReceived();
    TestApp app(true);
    PostMessageA(window.Handle(), WM_USER + 1, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
    PostMessageA(window.Handle(), WM_USER + 2, 0, 0);
    EXPECT_EQ(1, app.PumpMessages(false));
    EXPECT_TRUE(app.QuitReceived());
    EXPECT_EQ(std::vector<UINT>{WM_USER + 1}, window.Received());
    EXPECT_TRUE(StillQueued(WM_USER + 2));
    EXPECT_EQ(0, app.PumpMessages(false));
    EXPECT_EQ((std::vector<UINT>{WM_USER + 1, WM_USER + 2}), window.Received());
    EXPECT_TRUE(app.QuitReceived());
}

TEST(AppCore, QuitConsumedByPreTranslateIsNotAQuit) {
    MessageWindow window;
    DrainMessageQueue();
    window.ClearReceived();
    TestApp app(true);
    app.consume = [](UINT message) { return message == WM_QUIT; };
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
    PostMessageA(window.Handle(), WM_USER + 3, 0, 0);
    EXPECT_EQ(0, app.PumpMessages(true));
    EXPECT_FALSE(app.QuitReceived());
    EXPECT_EQ(std::vector<UINT>{WM_USER + 3}, window.Received());
}

struct RunCase {
    const char* name;
    bool useMessageLoop;
    std::int32_t initializeResult;
    std::int32_t result;
    int runOnceCalls;
    std::vector<std::int32_t> exitCodes;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class AppCoreRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(AppCoreRun, ResultAndExitCode) {
    const RunCase& c = GetParam();
    DrainMessageQueue();
    TestApp app(c.useMessageLoop);
    app.initializeResult = c.initializeResult;
    app.onInitialize = [] { PostQuitMessage(0); };
    char commandLine[] = "-test";
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(c.result, app.Run(instance, nullptr, commandLine, SW_SHOWNORMAL));
    EXPECT_EQ(c.runOnceCalls, app.runOnceCalls);
    EXPECT_EQ(c.exitCodes, app.exitCodes);
    EXPECT_EQ(instance, app.Instance());
    EXPECT_EQ(commandLine, app.CommandLine());
    EXPECT_EQ(SW_SHOWNORMAL, app.ShowCommand());
    DrainMessageQueue();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppCoreRun,
    ::testing::Values(RunCase{"FailingStartUpEndsWithItsCode", true, 11, 11, 0, {11}},
                      RunCase{"FailingStartUpWithoutLoop", false, 3, 3, 0, {3}},
                      RunCase{"RunOnceResultIsNotUsed", false, 0, 0, 1, {0}},
                      RunCase{"LoopEndsAtQuit", true, 0, 0, 0, {0}}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return info.param.name; });

TEST(AppCore, LoopDispatchesAndStopsOnceAPumpTookTheQuit) {
    MessageWindow window;
    DrainMessageQueue();
    window.ClearReceived();
    TestApp app(true);
    app.onInitialize = [&] {
        PostMessageA(window.Handle(), WM_USER + 1, 0, 0);
        PostMessageA(window.Handle(), WM_USER + 2, 0, 0);
    };
    // A frame inside the loop pumps the queue itself and takes the quit; the loop must stop
    // on its flag instead of waiting for a message that will never come.
    app.consume = [&](UINT message) {
        if (message != WM_USER + 2) return false;
        PostQuitMessage(0);
        EXPECT_EQ(1, app.PumpMessages(true));
        return true;
    };
    EXPECT_EQ(0, app.Run(GetModuleHandleA(nullptr), nullptr, nullptr, 0));
    EXPECT_EQ(std::vector<UINT>{WM_USER + 1}, window.Received());
    EXPECT_EQ(std::vector<std::int32_t>{0}, app.exitCodes);
}

TEST(AppCore, MissingAcceleratorTableLoadsNothing) {
    TestApp app(true);
    app.initializeResult = 1;
    app.Run(GetModuleHandleA(nullptr), nullptr, nullptr, 0);
    EXPECT_FALSE(app.LoadAccelerators(0x10000 + 4321));
    EXPECT_EQ(nullptr, app.Accelerators());
}

}  // namespace
