// The application under test: scripted boxes and system settings, a fake screen device, a fake
// machine with one 1024 x 768 monitor, and a watchdog that ends a hung start-up or shutdown.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/app/framework_app.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_display_source.h"
#include "tests/support/fake_screen_device.h"
#include "tests/support/fake_system_source.h"

namespace apptest {

struct ShownBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    DWORD thread;
};

class ScriptedPlatform : public AppPlatform {
public:
    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
        boxes.push_back({owner, text ? text : "", caption ? caption : "", type, GetCurrentThreadId()});
        if (answers.empty()) return IDOK;
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    BOOL SystemParameters(UINT action, UINT parameter, void* value, UINT) override {
        switch (action) {
        case SPI_GETSCREENSAVEACTIVE: *static_cast<BOOL*>(value) = screenSaver; return TRUE;
        case SPI_GETLOWPOWERACTIVE: *static_cast<BOOL*>(value) = lowPower; return TRUE;
        case SPI_GETPOWEROFFACTIVE: *static_cast<BOOL*>(value) = powerOff; return TRUE;
        case SPI_SETSCREENSAVEACTIVE: screenSaver = parameter; return TRUE;
        case SPI_SETLOWPOWERACTIVE: lowPower = parameter; return TRUE;
        case SPI_SETPOWEROFFACTIVE: powerOff = parameter; return TRUE;
        case SPI_GETWORKAREA: *static_cast<RECT*>(value) = {0, 0, 1024, 768}; return TRUE;
        default: return FALSE;
        }
    }
    EXECUTION_STATE SetExecutionState(EXECUTION_STATE state) override {
        executionStates.push_back(state);
        return ES_CONTINUOUS | ES_DISPLAY_REQUIRED;
    }
    BOOL GetCursor(POINT& point) override {
        point = cursor;
        return TRUE;
    }
    BOOL SetCursor(int x, int y) override {
        cursor = {x, y};
        moves.push_back(cursor);
        return TRUE;
    }
    DWORD TickCount() override { return ticks; }

    std::vector<ShownBox> boxes;
    std::vector<int> answers;
    BOOL screenSaver = TRUE;
    BOOL lowPower = TRUE;
    BOOL powerOff = FALSE;
    std::vector<EXECUTION_STATE> executionStates;
    POINT cursor = {0, 0};
    std::vector<POINT> moves;
    DWORD ticks = 100000;
};

// A unique window title per start-up: window classes stay registered for the whole process.
std::string NextTitle();

// Kills the process when a start-up or shutdown has not ended in time, so a hang fails the
// run instead of stalling it. One thread serves the whole program.
class Watchdog {
public:
    explicit Watchdog(DWORD ms);
    ~Watchdog();
};

struct AppParts {
    ScriptedPlatform platform;
    testsupport::FakeClock clock{1000};
    testsupport::FakeSystemSource system;
    testsupport::FakeDisplaySource display;
    testsupport::FakeScreenDevice screen;
    AppParts() { display.AddMonitor({0, 0, 1024, 768}); }
    FrameworkAppSources Sources(ImmApi* imm) {
        FrameworkAppSources sources;
        if (imm != nullptr) sources.imm = imm;
        sources.platform = &platform;
        sources.clock = &clock;
        sources.system = &system;
        sources.display = &display;
        return sources;
    }
};

class TestApp : public FrameworkApp {
public:
    explicit TestApp(AppParts& parts, ImmApi* imm = nullptr)
        : FrameworkApp(parts.Sources(imm)), title(NextTitle()) {
        SetScreen(&parts.screen);
        Settings().block1[kWriteStartupLog] = 0;
        Settings().block1[kSuspendScreenSaver] = 1;
        Settings().block1[kSuspendPowerSaving] = 1;
        Settings().block1[kKeepAwake] = 1;
        Settings().block1[kInputMethod] = 2;
        Settings().block1[kJoysticks] = 0;
        Settings().block1[kDisplayCanvas] = 0;
        Description().singleInstance = 0;
        Description().gameWidth = 320;
        Description().gameHeight = 240;
    }
    ~TestApp() override { GameThread().Join(); }

    std::int32_t Startup() override {
        SetTexts(title, "Probe", "", "");
        return startupResult;
    }
    const char* SaveFolder() override { return saveFolder.empty() ? nullptr : saveFolder.c_str(); }
    std::int32_t BeforeWindow() override { return beforeWindowResult; }
    std::int32_t StartDevices() override { return startDevicesResult; }
    std::int32_t StartGameThread() override {
        return failThreadStart ? 1 : FrameworkApp::StartGameThread();
    }
    std::int32_t FrameStep() override {
        ++frames;
        if (frameBody) frameBody(*this);
        Sleep(5);
        return 0;
    }
    void (*frameBody)(TestApp&) = nullptr;
    // Keeps a stopping game thread from ending (and destroying the window) while set.
    void WorkerEnd() override {
        for (int waited = 0; holdAtEnd && waited < 60000; waited += 5) Sleep(5);
    }
    std::atomic<bool> holdAtEnd{false};
    // The menu strip's keyboard-menu command would start a modal menu loop: recorded instead.
    std::int32_t BeforeMenuWindow() override {
        MenuWindow().SetMessageHandler(WM_SYSCOMMAND, BindOperation<&TestApp::OnStripCommand>(this));
        return 0;
    }
    std::int32_t OnStripCommand(WindowMessage& m) {
        if ((m.wParam & 0xFFF0) == SC_KEYMENU) {
            ++keyMenus;
            return 0;
        }
        return OnMenuWindowSysCommand(m);
    }
    int keyMenus = 0;
    // The wParam of every 0x9000 (show or hide the system pointer) the window received.
    std::int32_t OnShowCursorRequest(WindowMessage& m) override {
        cursorRequests.push_back(m.wParam);
        return FrameworkApp::OnShowCursorRequest(m);
    }
    std::vector<WPARAM> cursorRequests;

    std::string title;
    std::string saveFolder;
    std::int32_t startupResult = 0;
    std::int32_t beforeWindowResult = 0;
    std::int32_t startDevicesResult = 0;
    bool failThreadStart = false;
    std::atomic<int> frames{0};
    // Written by the game thread's frame bodies.
    std::atomic<int> sent{0};
    std::atomic<int> lastResult{-100};
};

// An application started in window mode, ended when the object goes.
struct StartedApp {
    AppParts parts;
    Watchdog watchdog{120000};
    TestApp app{parts};
    explicit StartedApp(void (*arrange)(TestApp&) = nullptr) {
        if (arrange) arrange(app);
        EXPECT_EQ(0, app.Initialize());
        parts.platform.boxes.clear();
        parts.platform.moves.clear();
    }
    ~StartedApp() {
        parts.screen.fullScreen = false;
        app.Exit(0);
    }
    HWND Window() { return app.MainWindow().Handle(); }
    POINT ClientOrigin() {
        POINT origin = {0, 0};
        ClientToScreen(Window(), &origin);
        return origin;
    }
};

}  // namespace apptest
