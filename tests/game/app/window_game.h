// A game started on its window through the framework's whole start-up, with an in-memory
// DirectSound and the fake screen, for tests that drive the window.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/game/app/game_app_fixture.h"
#include "tests/support/fake_direct_sound.h"

namespace gameapptest {

// A started game whose window has a menu with the game's command items.
struct WindowGame {
    GameFolder game;
    testsupport::FakeDirectSound sound;
    std::unique_ptr<GameApp> app;
    std::int32_t start = 0;
    // `prepare` changes the game's files and the fake parts before the start; the start is
    // expected to answer `expectedStart`.
    explicit WindowGame(const std::string& title,
                        const std::function<void(GameFolder&, GameApp&)>& prepare = nullptr,
                        std::int32_t expectedStart = 0)
        : game(title) {
        game.appSys[18] = 0;  // one instance is not needed
        sound.Install();
        app = std::make_unique<GameApp>(game);
        if (prepare) prepare(game, *app);
        game.WriteFiles();
        start = App().Initialize();
        EXPECT_EQ(expectedStart, start);
        if (start != 0) return;
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
        App().Exit(start);
        app.reset();
    }
    Application& App() { return *app->app; }
    HWND Window() { return App().MainWindow().Handle(); }
    bool Grey(UINT id) { return (GetMenuState(GetMenu(Window()), id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
    bool MaximizeBox() { return (GetWindowLongA(Window(), GWL_STYLE) & WS_MAXIMIZEBOX) != 0; }
};

}  // namespace gameapptest
