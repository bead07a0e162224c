// The application on its window: started through the framework's whole start-up with an
// in-memory DirectSound and the fake screen, then driven by messages.
#include <gtest/gtest.h>

#include "tests/game/app/game_app_fixture.h"
#include "tests/support/fake_direct_sound.h"

namespace gameapptest {
namespace {

// A started game whose window has a menu with the game's command items.
struct WindowGame {
    GameFolder game;
    testsupport::FakeDirectSound sound;
    std::unique_ptr<GameApp> app;
    explicit WindowGame(const std::string& title) : game(title) {
        game.appSys[18] = 0;  // one instance is not needed
        game.WriteFiles();
        sound.Install();
        app = std::make_unique<GameApp>(game);
        EXPECT_EQ(0, App().Initialize());
        HMENU menu = CreateMenu();
        for (UINT id = kCmdScreenMode; id <= kCmdLoad; ++id) AppendMenuA(menu, MF_STRING, id, "item");
        SetMenu(Window(), menu);
    }
    ~WindowGame() {
        End();
        testsupport::FakeDirectSound::Uninstall();
    }
    // What AppCore::Run and WinMain do at the end: Exit, then the object goes.
    void End() {
        if (!app) return;
        App().Exit(0);
        app.reset();
    }
    Application& App() { return *app->app; }
    HWND Window() { return App().MainWindow().Handle(); }
    bool Grey(UINT id) { return (GetMenuState(GetMenu(Window()), id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
    bool MaximizeBox() { return (GetWindowLongA(Window(), GWL_STYLE) & WS_MAXIMIZEBOX) != 0; }
};

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
    const std::vector<std::uint8_t> written = testsupport::ReadFile(persistent);

    // At the end the engine goes before everything it writes with: the persistent file lands in
    // the save folder again, whole.
    DeleteFileA(persistent.c_str());
    w.End();
    EXPECT_EQ(written, testsupport::ReadFile(persistent));
}

}  // namespace
}  // namespace gameapptest
