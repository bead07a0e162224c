// The application on its window: started through the framework's whole start-up with an
// in-memory DirectSound and the fake screen, then driven by messages.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/game/app/game_app_fixture.h"
#include "tests/game/app/window_game.h"
#include "framework/sound/sound_manager.h"
#include "tests/support/fake_direct_sound.h"

namespace gameapptest {
namespace {

TEST(GameWindow, MenuFeaturesGreyTheirItems) {
    WindowGame w("MenuItems");
    Application& a = w.App();
    EXPECT_EQ(0, a.EnableMenuItem(kFeatureSettings, false));
    EXPECT_TRUE(w.Grey(kCmdSettings));
    EXPECT_TRUE(w.Grey(kCmdSettings2));
    EXPECT_EQ(0, a.EnableMenuItem(kFeatureSave, true));
    EXPECT_FALSE(w.Grey(kCmdSave));
    EXPECT_EQ(0, a.EnableMenuItem(kFeatureScreenMode, false));
    EXPECT_TRUE(w.Grey(kCmdScreenMode));
    EXPECT_FALSE(w.MaximizeBox());
    EXPECT_EQ(0, a.EnableMenuItem(kFeatureScreenMode, true));
    EXPECT_FALSE(w.Grey(kCmdScreenMode));
    EXPECT_TRUE(w.MaximizeBox());
}

TEST(GameWindow, MaximizeSwitchesTheScreenMode) {
    WindowGame w("Maximize");
    // The switch to full screen: the fake device takes it.
    SendMessageA(w.Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(w.app->parts.screen.Called("ChangeMode full"));
    EXPECT_EQ(1, w.App().Settings().screenMode);
    EXPECT_FALSE(IsZoomed(w.Window()));
}

TEST(GameWindow, CloseInFullScreenWaitsForActivation) {
    WindowGame w("CloseLater");
    Application& a = w.App();
    w.app->parts.screen.fullScreen = true;
    a.active = 0;
    w.app->Answers() = {IDNO};
    SendMessageA(w.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(1, a.closePending);
    EXPECT_TRUE(w.app->Boxes().empty());
    a.OnFullScreenActivated();
    EXPECT_EQ(0, a.closePending);
    a.active = 1;
    testsupport::PumpMessagesFor(200);
    ASSERT_EQ(1u, w.app->Boxes().size());
    EXPECT_NE(std::string::npos, w.app->Boxes()[0].text.find("を終了しますか？"));
    EXPECT_TRUE(IsWindow(w.Window()));
    w.app->parts.screen.fullScreen = false;
}

TEST(GameWindow, QueryEndSessionWritesThePersistentFileAndTheSettings) {
    WindowGame w("EndSession");
    w.game.WriteModule("MAIN", "stop\nret\n");
    Application& a = w.App();
    ASSERT_EQ(0, a.StartScripts());
    a.Engine()->SetPersistentFileName("PERSIST.DAT");
    const std::string save = a.SaveFolder();
    const std::string persistent = save + "PERSIST.DAT";
    DeleteFileA(a.UserCfgPath().c_str());
    DeleteFileA((save + "APP_CFG.DAT").c_str());
    EXPECT_EQ(1, SendMessageA(w.Window(), WM_QUERYENDSESSION, 0, 0));
    EXPECT_TRUE(testsupport::FileExists(persistent));
    EXPECT_EQ(111u, testsupport::ReadFile(a.UserCfgPath()).size());
    EXPECT_EQ(200u, testsupport::ReadFile(save + "APP_CFG.DAT").size());
}

// A task of the music-fade kind on the sound scheduler: the engine's end cancels it (its sound
// manager ends the fades it left), the scheduler's own end would delete it unfinished. It notes
// what of the application was still there when it was ended.
class EndWitness final : public ScheduledTask {
public:
    struct Notes {
        bool finished = false;
        bool deleted = false;
        bool applicationCurrent = false;
        bool soundDeviceCurrent = false;
        bool decoderHostCurrent = false;
    };
    EndWitness(Application& app, Notes& notes) : m_app(app), m_notes(notes) {}
    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override {
        m_notes.deleted = true;
        if (flags & 1) delete this;
        return this;
    }
    std::int32_t XM_METHOD Kind() override { return kBgmFadeKind; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return 0; }
    void XM_METHOD Finish() override {
        m_notes.finished = true;
        m_notes.applicationCurrent = Application::Current() == &m_app;
        m_notes.soundDeviceCurrent = g_currentSoundDevice == &m_app.Sound();
        m_notes.decoderHostCurrent = g_soundDecoderHost != nullptr;
    }

private:
    Application& m_app;
    Notes& m_notes;
};

TEST(GameWindow, TheEngineEndsBeforeWhatItsEndUses) {
    WindowGame w("EngineFirst");
    w.game.WriteModule("MAIN", "stop\nret\n");
    Application& a = w.App();
    ASSERT_EQ(0, a.StartScripts());
    a.Engine()->SetPersistentFileName("PERSIST.DAT");
    ASSERT_EQ(&a.Sound(), g_currentSoundDevice);
    EndWitness::Notes notes;
    ASSERT_EQ(TaskScheduler::kAdded, a.SoundScheduler().Add(new EndWitness(a, notes), 1000000, 0, 0));
    const std::string persistent = std::string(a.SaveFolder()) + "PERSIST.DAT";
    DeleteFileA(persistent.c_str());
    w.End();
    // Ended by the engine, while the scheduler, the sound device and the application were all
    // still in place; deleted later by the scheduler.
    EXPECT_TRUE(notes.finished);
    EXPECT_TRUE(notes.applicationCurrent);
    EXPECT_TRUE(notes.soundDeviceCurrent);
    EXPECT_TRUE(notes.decoderHostCurrent);
    EXPECT_TRUE(notes.deleted);
    // The persistent file lands in the save folder, whole.
    const std::vector<std::uint8_t> written = testsupport::ReadFile(persistent);
    ASSERT_GE(written.size(), 8u);
    EXPECT_EQ(written.size() - 8, written[0] | written[1] << 8 | written[2] << 16 | written[3] << 24);
}

TEST(GameWindow, ScriptMessageDialogsComeThroughTheWindow) {
    WindowGame w("DialogMessage");
    Application& a = w.App();
    std::uint8_t state = 0;
    a.Dialogs().messageDialog = [&](HWND owner, MessageDialogRequest& request) {
        state = a.modalState;
        EXPECT_EQ(w.Window(), owner);
        request.result = 1;
        return true;
    };
    MessageDialogRequest request;
    request.kind = 2;
    request.text = "Go on?";
    request.result = 0;
    SendMessageA(w.Window(), kMsgDialogRequest, reinterpret_cast<WPARAM>(&request), 0);
    EXPECT_EQ(kModalScriptDialog, state);
    EXPECT_EQ(1, request.result);
    EXPECT_EQ(kModalNone, a.modalState);
}

// Holds the Ctrl key down in this thread's key state while it lives.
class CtrlHeld {
public:
    CtrlHeld() {
        GetKeyboardState(m_saved);
        BYTE keys[256];
        std::memcpy(keys, m_saved, sizeof(keys));
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
    }
    ~CtrlHeld() { SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256] = {};
};

TEST(GameWindow, CtrlHeldAtTheStartGivesAWindow) {
    for (const bool ctrl : {false, true}) {
        SCOPED_TRACE(ctrl ? "Ctrl held" : "no key");
        std::unique_ptr<CtrlHeld> held;
        if (ctrl) held = std::make_unique<CtrlHeld>();
        WindowGame w(ctrl ? "CtrlWindow" : "NoCtrl", [](GameFolder& game, GameApp&) {
            game.appSys[SettingsFiles::AppSys::kScreenModePolicy] = 2;  // both modes
            game.user.blocks[1][0] = 1;                                 // the player chose full screen
        });
        EXPECT_EQ(ctrl ? 2 : 1, w.App().Settings().screenMode);
        EXPECT_EQ(!ctrl, w.app->parts.screen.Called("ChangeMode full"));
        w.app->parts.screen.fullScreen = false;
    }
}

TEST(GameWindow, StartDevicesPublishesTheDevicesAndAppliesTheFrameTiming) {
    WindowGame w("Devices", [](GameFolder& game, GameApp& app) {
        game.user.blocks[2][SettingsFiles::Block3::kVSync] = 2;
        game.user.blocks[2][SettingsFiles::Block3::kVSyncVariant] = 1;
        app.frame.hardwareVSync = true;
    });
    Application& a = w.App();
    EXPECT_EQ(&a.FileSystem(), g_virtualFileSystem);
    EXPECT_EQ(&a.Sound(), g_currentSoundDevice);
    ASSERT_NE(nullptr, g_soundDecoderHost);
    // The surface effects run on the second scheduler.
    EXPECT_EQ(&a.SurfaceEffects(), CurrentSurfaceEffectFactory());
    EXPECT_EQ(&a.LayerScheduler(), a.SurfaceEffects().Scheduler());
    // The player's VSync choice reached the screen device, and the frames wait for it.
    EXPECT_EQ(2, w.app->frame.vsyncMode);
    EXPECT_FALSE(a.FrameRate().UsesCounter());
    // The handlers of the game's window messages are in the window's map.
    w.app->Answers() = {IDNO};
    SendMessageA(w.Window(), WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(1u, w.app->Boxes().size());
}

TEST(GameWindow, MissingInputDevicesEndTheStart) {
    WindowGame w("NoInput", [](GameFolder& game, GameApp&) { game.user.blocks[0][16] = 9; }, 13);
    ASSERT_EQ(1u, w.app->Boxes().size());
    EXPECT_EQ("入力デバイスの初期化に失敗", w.app->Boxes()[0].text);
}

}  // namespace
}  // namespace gameapptest
