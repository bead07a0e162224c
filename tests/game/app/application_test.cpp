// The application object's own rules: menu features, the busy counter, frame counts, the run
// loop over real assembled modules, the return to the title and the close question.
#include <gtest/gtest.h>

#include "graphics/compose/math_tables.h"

#include "tests/game/app/game_app_fixture.h"
#include "tests/support/fake_clock.h"

#include <cstring>

#include "game/interfaces/script_settings_targets.h"
#include "game/script/script_engine.h"
#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/poisoning_delete.h"

namespace gameapptest {
namespace {

TEST(GameApplication, EnableMenuItemFeatures) {
    const struct {
        const char* name;
        std::uint32_t feature;
        bool enable;
        std::uint8_t policy;
        std::int32_t result;
        std::uint8_t flag;  // the feature flag after the call
    } cases[] = {
        {"settings off", 0, false, 2, 0, 0},
        {"save on", 1, true, 2, 0, 1},
        {"load on", 2, true, 2, 0, 1},
        {"return to title on", 3, true, 2, 0, 1},
        {"screen mode off", 4, false, 2, 0, 0},
        {"screen mode off, window-only policy: nothing", 4, false, 0, 0, 1},
        {"screen mode off, full-screen-only policy", 4, false, 1, 0, 0},
        {"feature 5 is unknown", 5, true, 2, -1, 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("Menu");
        GameApp app(game);
        app.app->AppSys().bytes[SettingsFiles::AppSys::kScreenModePolicy] = row.policy;
        EXPECT_EQ(row.result, app.app->EnableMenuItem(row.feature, row.enable));
        if (row.feature < kFeatureCount) {
            EXPECT_EQ(row.flag, app.app->Feature(row.feature));
        }
    }
}

TEST(GameApplication, BusyCounter) {
    GameFolder game("Busy");
    GameApp app(game);
    Application& a = *app.app;
    a.UserCfg().block3[SettingsFiles::Block3::kNoBusyRedraw] = 1;
    EXPECT_EQ(-1, BusyCounterEnter());
    EXPECT_EQ(0, BusyCount());
    EXPECT_EQ(0, BusyCounterLeave());

    a.UserCfg().block3[SettingsFiles::Block3::kNoBusyRedraw] = 0;
    EXPECT_EQ(0, BusyCounterEnter());
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(GetCurrentThread()));
    EXPECT_EQ(1, BusyCounterEnter());
    EXPECT_EQ(2, BusyCount());
    EXPECT_EQ(2, BusyCounterLeave());
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(GetCurrentThread()));
    EXPECT_EQ(1, BusyCounterLeave());
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(GetCurrentThread()));
    EXPECT_EQ(0, BusyCounterLeave());

    // Threaded mode with no game thread: answered 2, nothing counted, so Leave finds 0.
    a.Settings().block1[kThreadedMode] = 1;
    EXPECT_EQ(2, BusyCounterEnter());
    EXPECT_EQ(0, BusyCount());
    EXPECT_EQ(0, BusyCounterLeave());
}

namespace B3 = SettingsFiles::Block3;

// A millisecond clock that moves `step` ms at every reading (0: stands still), so that a frame
// loop which waits for the next frame gets there after a few turns.
class SteppingClock : public Clock {
public:
    std::uint32_t Milliseconds() override { return m_ms += step; }
    std::int64_t CounterFrequency() override { return 0; }
    std::int64_t Counter() override { return 0; }
    std::uint32_t step = 1;

private:
    std::uint32_t m_ms = 1000;
};

// `count` stops, then the end of MAIN.
std::string Stops(int count) {
    std::string main;
    for (int i = 0; i < count; ++i) main += "stop\n";
    return main + "ret\n";
}

// 100 frames a second on the millisecond clock, frame skipping on, scripts started.
void StartPaced(Application& a) {
    a.UserCfg().block3[B3::kFrameSkip] = 1;
    a.UserCfg().block3[B3::kPreciseWait] = 0;
    a.ApplyFrameTiming(100);
    ASSERT_EQ(0, a.StartScripts());
}

TEST(GameFrames, CatchUpCounts) {
    const struct {
        std::int32_t catchUp;
        std::int32_t single;
        std::int32_t workerSteps;
    } cases[] = {{0, -1, 1}, {1, 1, 2}, {3, 3, 4}, {4, 4, 5}, {5, -1, 1}, {7, -1, 1}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.catchUp);
        EXPECT_EQ(row.single, SingleFrameResult(row.catchUp));
        EXPECT_EQ(row.workerSteps, WorkerScriptSteps(row.catchUp));
        const std::uint32_t late = 10 * static_cast<std::uint32_t>(row.catchUp + 1);
        // The game thread's turn runs exactly its steps: a MAIN one stop shorter ends inside
        // the turn, a MAIN of that many stops is still running after it.
        {
            testsupport::FakeClock clock;
            StartedGame started("CatchUpEnds" + std::to_string(row.catchUp), Stops(row.workerSteps - 1), &clock);
            StartPaced(started.App());
            clock.AdvanceMs(late);
            EXPECT_EQ(-1, started.App().FrameStep());
        }
        testsupport::FakeClock clock;
        StartedGame started("CatchUpRuns" + std::to_string(row.catchUp), Stops(row.workerSteps), &clock);
        Application& a = started.App();
        StartPaced(a);
        clock.AdvanceMs(late);
        EXPECT_EQ(0, a.FrameStep());
        EXPECT_EQ(1, started.app.frame.presents);
        // The single-threaded frame, equally late, answers its own count.
        clock.AdvanceMs(late);
        EXPECT_EQ(row.single, a.FrameSingle());
    }
}

TEST(GameFrames, BusyRedrawPresentsBetweenFrames) {
    SteppingClock clock;
    StartedGame started("BusyRedraw", Stops(4), &clock);
    Application& a = started.App();
    FakeScreenFrame& frame = started.app.frame;
    StartPaced(a);
    // Idle: the single frame presents the last frame once, then sleeps until the next is due.
    EXPECT_EQ(-1, a.FrameSingle());
    EXPECT_EQ(1, frame.presents);
    EXPECT_EQ(1, frame.draws);

    ASSERT_EQ(0, BusyCounterEnter());
    frame.presents = frame.draws = 0;
    EXPECT_EQ(-1, a.FrameSingle());
    EXPECT_GE(frame.presents, 2);
    EXPECT_GE(frame.draws, 2);

    // The game thread's turn with no frame due: a busy turn draws and presents, an idle one not.
    clock.step = 0;
    frame.presents = frame.draws = 0;
    EXPECT_EQ(0, a.FrameStep());
    EXPECT_EQ(1, frame.presents);
    EXPECT_EQ(1, frame.draws);
    EXPECT_EQ(1, BusyCounterLeave());
    frame.presents = frame.draws = 0;
    EXPECT_EQ(0, a.FrameStep());
    EXPECT_EQ(0, frame.presents);
    EXPECT_EQ(0, frame.draws);
}

TEST(GameFrames, ApplyFrameTiming) {
    const struct {
        const char* name;
        bool hardwareVSync;
        std::uint8_t vsync;     // USER.CFG block 3 byte 1
        std::uint8_t precise;   // byte 2
        std::uint8_t variant;   // byte 3
        std::uint8_t mode;      // the screen device's VSync mode after
        bool preciseWait;
    } cases[] = {
        {"no hardware VSync: asked for, not used", false, 2, 1, 1, 0, true},
        {"VSync on: the variant + 1", true, 2, 1, 1, 2, false},
        {"VSync off", true, 1, 1, 0, 0, true},
        {"VSync off, precise wait off", true, 1, 0, 0, 0, false},
        {"automatic on a 60 Hz display", true, 0, 1, 0, 1, false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("Timing");
        GameApp app(game);
        app.frame.hardwareVSync = row.hardwareVSync;
        app.frame.vsyncMode = 9;
        Application& a = *app.app;
        a.UserCfg().block3[1] = row.vsync;
        a.UserCfg().block3[2] = row.precise;
        a.UserCfg().block3[3] = row.variant;
        a.ApplyFrameTiming(30);
        EXPECT_EQ(row.mode, app.frame.vsyncMode);
        EXPECT_EQ(30, a.FrameRate().Rate());
        EXPECT_EQ(row.preciseWait, a.FrameRate().UsesCounter());
    }
}

TEST(GameFrames, LayerPauseStates) {
    StartedGame started("LayerPause", "stop\nstop\nstop\nret\n");
    Application& a = started.App();
    ASSERT_EQ(0, a.StartScripts());
    a.Settings().block1[kThreadedMode] = 1;
    // The worker's turn walks the pause states: requested -> paused, paused stays, resume -> running.
    a.layerPause = 1;
    EXPECT_EQ(0, a.FrameStep());
    EXPECT_EQ(2, a.layerPause);
    EXPECT_EQ(0, a.FrameStep());
    EXPECT_EQ(2, a.layerPause);
    a.layerPause = 3;
    a.FrameStep();
    EXPECT_EQ(0, a.layerPause);
}

// The message a run loop ends with, for a MAIN that runs into each step fault.
TEST(GameRunLoop, StepFaultsEndTheRunWithTheirMessages) {
    const struct {
        const char* name;
        std::string main;
        const char* message;
    } cases[] = {
        {"a bad instruction", "stop\nop 99\n", "不正なスクリプトを実行しました"},
        {"a jump to a missing module", "cmd cmd:1, a, r\nret\n.data\na: .word n\nr: .word 0\nn: .text \"NOWHERE\"\n",
         "Jump命令でスクリプトのロードに失敗"},
        {"a call of a missing module", "cmd cmd:0, a, r\nstop\nstop\n.data\na: .word n\nr: .word 0\nn: .text \"NOWHERE\"\n",
         "Call命令でスクリプトのロードに失敗"},
        {"the end of the script", "stop\nstop\nret\n", nullptr},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        StartedGame started("StepFault" + std::to_string(serial++), row.main);
        GameApp& app = started.app;
        app.app->RunOnce();
        if (row.message == nullptr) {
            EXPECT_TRUE(app.Boxes().empty());
        } else {
            ASSERT_EQ(1u, app.Boxes().size());
            EXPECT_EQ(row.message, app.Boxes()[0].text);
        }
        EXPECT_GE(app.frame.presents, 1);
    }
}

TEST(GameRunLoop, ReturnToTitleRestartsMainInsteadOfQuitting) {
    StartedGame started("ReturnToTitle", "stop\nstop\nret\n");
    GameApp& app = started.app;
    Application& a = started.App();
    a.EnableMenuItem(kFeatureReturnToTitle, true);
    app.Answers() = {IDYES};
    // A forced VSync pending at the restart ends with it.
    a.Settings().block1[kDisplayCanvas] = 0;
    EXPECT_EQ(1, a.ForceVSyncBegin());
    EXPECT_EQ(2, a.UserCfg().block3[SettingsFiles::Block3::kVSync]);
    WindowMessage command = {&a.MainWindow(), WM_COMMAND, kCmdReturnToTitle, 0, 0};
    EXPECT_EQ(0, a.OnCommand(command));
    EXPECT_EQ(1, a.restartRequest);
    EXPECT_EQ(kModalNone, a.modalState);
    // The first frame sees the request and ends with 0; the run restarts MAIN and goes on to
    // the script's own end.
    a.RunOnce();
    EXPECT_EQ(0, a.restartRequest);
    ASSERT_NE(nullptr, a.Engine());
    EXPECT_LT(a.Engine()->ScriptBootFlg(), 0);
    EXPECT_EQ(1, a.UserCfg().block3[SettingsFiles::Block3::kVSync]);
    ASSERT_EQ(1u, app.Boxes().size());
    EXPECT_EQ("タイトルに戻ります。\nよろしいですか？", app.Boxes()[0].text);
}

// A restart request restarts MAIN before the next script step, with argument 0 (request 1, a
// return to the title: the boot flag negative) or 1 (request 2: positive), in both run modes.
TEST(GameRunLoop, RestartRequestsRestartMainBeforeTheNextStep) {
    const struct {
        const char* name;
        std::uint8_t request;
        bool threaded;
        std::int32_t bootFlag;
    } cases[] = {
        {"single, request 1", 1, false, -1},
        {"single, request 2", 2, false, 1},
        {"threaded, request 1", 1, true, -1},
        {"threaded, request 2", 2, true, 1},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        // The single run loop waits for its frames on the system clock; the game thread's turn is
        // given a due frame on a clock of its own.
        testsupport::FakeClock clock;
        StartedGame started("Restart" + std::to_string(serial++), Stops(3), row.threaded ? &clock : nullptr);
        Application& a = started.App();
        StartPaced(a);
        ASSERT_EQ(0, a.Engine()->ScriptBootFlg());
        a.restartRequest = row.request;
        if (row.threaded) {
            clock.AdvanceMs(10);
            EXPECT_EQ(0, a.FrameStep());
        } else {
            a.RunOnce();
        }
        EXPECT_EQ(0, a.restartRequest);
        EXPECT_EQ(row.bootFlag, a.Engine()->ScriptBootFlg());
        EXPECT_TRUE(started.app.Boxes().empty());
    }
}

TEST(GameRunLoop, ReturnToTitleWhileTheFeatureIsOffDoesNothing) {
    GameFolder game("TitleOff");
    GameApp app(game);
    WindowMessage command = {&app.app->MainWindow(), WM_COMMAND, kCmdReturnToTitle, 0, 0};
    EXPECT_EQ(0, app.app->OnCommand(command));
    EXPECT_EQ(0, app.app->restartRequest);
    EXPECT_TRUE(app.Boxes().empty());
}

TEST(GameRunLoop, CloseUnderAModalWindowAsksNothing) {
    GameFolder game("CloseModal");
    GameApp app(game);
    Application& a = *app.app;
    a.modalState = kModalReturnToTitle;
    WindowMessage close = {&a.MainWindow(), WM_CLOSE, 0, 0, 0};
    EXPECT_EQ(0, a.OnClose(close));
    EXPECT_TRUE(app.Boxes().empty());
    EXPECT_EQ(kModalReturnToTitle, a.modalState);
    a.modalState = kModalNone;
    app.Answers() = {IDNO};
    EXPECT_EQ(0, a.OnClose(close));
    ASSERT_EQ(1u, app.Boxes().size());
    EXPECT_NE(std::string::npos, app.Boxes()[0].text.find("を終了しますか？"));
    EXPECT_EQ(kModalNone, a.modalState);
}

TEST(GameRunLoop, UnrestorableLostSurfacesEndTheFrameWithFatalByteOne) {
    GameFolder game("LostSurfaces");
    GameApp app(game);
    app.frame.presentResult = 2;
    app.parts.screen.restoreResult = 2;
    EXPECT_EQ(0, app.app->FrameSingle());
    EXPECT_EQ(1, app.app->fatalError);
    app.app->fatalError = 0;
    app.parts.screen.restoreResult = 0;
    app.app->restartRequest = 1;  // ends the frame at its first turn
    EXPECT_EQ(0, app.app->FrameSingle());
    EXPECT_EQ(0, app.app->fatalError);
}

TEST(GameRunLoop, QueryEndSessionWritesTheSettings) {
    GameFolder game("EndSession");
    game.WriteFiles();
    GameApp app(game);
    ASSERT_EQ(0, app.app->Startup());
    DeleteFileA((game.Game() + "USER.CFG").c_str());
    WindowMessage query = {&app.app->MainWindow(), WM_QUERYENDSESSION, 0, 0, 0};
    EXPECT_EQ(0, app.app->OnQueryEndSession(query));
    EXPECT_EQ(1, query.result);
    EXPECT_EQ(111u, testsupport::ReadFile(game.Game() + "USER.CFG").size());
    EXPECT_EQ(200u, testsupport::ReadFile(game.Game() + "SAVEDATA\\APP_CFG.DAT").size());
}

}  // namespace
// The script services read the settings the application loaded, and see later changes.
TEST(GameFrames, ScriptSettingsReadTheApplicationsAppCfg) {
    struct Tooltips : SettingsTooltips {
        void SetTooltipTiming(bool enabled, std::uint32_t delayMs, std::uint32_t) override {
            shown = enabled;
            delay = delayMs;
        }
        bool shown = false;
        std::uint32_t delay = 0;
    } tooltips;
    StartedGame started("SettingsAppCfg", "stop\nret\n");
    Application& a = started.App();
    ASSERT_EQ(0, a.StartScripts());
    a.Engine()->SettingsServices().tooltips = &tooltips;
    // Bytes 16 (hints shown) and 20 (their delay).
    a.AppCfg().bytes[16] = 1;
    const std::uint32_t delay = 1234;
    std::memcpy(a.AppCfg().bytes + 20, &delay, 4);
    a.Engine()->ApplyHintSettings();
    EXPECT_TRUE(tooltips.shown);
    EXPECT_EQ(1234u, tooltips.delay);
    a.Engine()->SettingsServices().tooltips = nullptr;
}

}  // namespace gameapptest

namespace gameapptest {
namespace {

// The panel hears of what the screen device deletes while the application lives, and no longer
// once it is gone (the device outlives it).
TEST(GameApplication, ThePanelListensToTheObjectListsWhileTheApplicationLives) {
    GameFolder game("PanelListener");
    ScreenDevice device;
    MemoryScreen* screen = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreenSimple(&screen, 8, 8, 32, 1));
    {
        GameApp app(game);
        app.app->SetObjectLists(&device);
        UiPanel& panel = app.app->Panel();
        panel.BindCanvas(screen->GetCanvas());
        ASSERT_EQ(0, device.ReleaseImage(screen));
        EXPECT_EQ(nullptr, panel.BoundCanvas());
        ASSERT_EQ(0, device.CreateGdiScreenSimple(&screen, 8, 8, 32, 1));
        panel.BindCanvas(screen->GetCanvas());
    }
    EXPECT_EQ(nullptr, Services().parts);
    testsupport::PoisonFreedMemory poison;
    EXPECT_EQ(0, device.ReleaseImage(screen)) << "no notice reaches the panel that went";
}

// Polygons, turned pictures and turned text read the application's trigonometric tables: they
// exist while it lives, and what a test published before comes back after it.
TEST(GameApplication, PublishesItsMathTablesWhileItLives) {
    MathTables* const before = g_mathTables;
    MathTables own;
    g_mathTables = &own;
    {
        GameFolder game("MathTables");
        GameApp app(game);
        ASSERT_NE(nullptr, g_mathTables);
        EXPECT_NE(&own, g_mathTables);
        EXPECT_EQ(65536, g_mathTables->CosFixed()[0]);
        EXPECT_EQ(0, g_mathTables->CosFixed()[128]);
    }
    EXPECT_EQ(&own, g_mathTables);
    g_mathTables = before;
}

}  // namespace
}  // namespace gameapptest
