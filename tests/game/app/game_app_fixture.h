// A game folder with the settings files the start-up reads, made the base directory, and an
// Application over it with scripted boxes, a fake machine and screen, special folders inside the
// test's own folder and a scripted folder browser.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/files/path_utilities.h"
#include "game/app/application.h"
#include "graphics/screen/screen_frame.h"
#include "tests/framework/app/app_test_fixture.h"
#include "tests/support/win_test_env.h"
#include "tools/content/settings_file_writer.h"
#include "tools/content/sob_assembler.h"

namespace gameapptest {

// The frame side of the fake screen: counts presents and draws, answers as told.
class FakeScreenFrame : public ScreenFrame {
public:
    std::int32_t PresentGdi() override {
        ++presents;
        return presentResult;
    }
    void Present() override { ++presents; }
    void DrawDeviceDrawables() override { ++draws; }
    void UpdatePixelFormat() override {}
    std::uint8_t VSyncMode() override { return vsyncMode; }
    void SetVSyncMode(std::uint8_t mode) override { vsyncMode = mode; }
    bool HasHardwareVSync() override { return hardwareVSync; }
    std::uint32_t FullScreenRefreshRate() override { return 0; }
    void SetPrefer60Hz(bool on) override { prefer60 = on; }

    int presents = 0;
    int draws = 0;
    std::int32_t presentResult = 0;
    std::uint8_t vsyncMode = 0;
    bool hardwareVSync = false;
    bool prefer60 = false;
};

class GameFolder {
public:
    // `title` names the game, so that each test's save folders are its own.
    explicit GameFolder(const std::string& title) : title(title) {
        m_savedBase = GetBaseDirectory();
        SetBaseDirectory(Game().c_str());
        appSys = testsupport::DefaultAppSysRecord();
        user = testsupport::DefaultUserCfg();
        // Window messages for input, no joysticks, no log: nothing of the machine is needed.
        user.blocks[0][16] = 2;
        user.blocks[0][17] = 0;
    }
    // With `main`: the settings files and MAIN are written at once.
    GameFolder(const std::string& title, const std::string& main) : GameFolder(title) {
        WriteFiles();
        WriteModule("MAIN", main);
    }
    ~GameFolder() { SetBaseDirectory(m_savedBase.c_str()); }

    std::string Game() const { return folder.File("game\\"); }
    std::string Special(int csidl) const {
        switch (csidl) {
        case CSIDL_PERSONAL: return folder.File("docs");
        case CSIDL_APPDATA: return folder.File("appdata");
        case CSIDL_COMMON_APPDATA: return commonAppData ? folder.File("common") : std::string();
        default: return std::string();
        }
    }
    // Writes the description and USER.CFG (beside the program) as they stand.
    void WriteFiles() const {
        testsupport::WriteFile(Game() + "SCRIPT\\QL_APP.SYS", testsupport::BuildAppSysFile(appSys));
        testsupport::WriteFile(Game() + "SCRIPT\\QL_APP.INF", testsupport::BuildAppInfFile(1, 0, 0, {title, "Product"}));
        testsupport::WriteFile(Game() + "USER.CFG", testsupport::BuildUserCfgFile(user));
    }
    void WriteModule(const std::string& name, const std::string& source) const {
        testsupport::WriteFile(Game() + "SCRIPT\\" + name + ".SOB", testsupport::AssembleSob(source).Sob0());
    }

    testsupport::TempFolder folder;
    std::string title;
    std::vector<std::uint8_t> appSys;
    testsupport::UserCfgBlocks user;
    bool commonAppData = true;

private:
    std::string m_savedBase;
};

struct GameApp {
    apptest::AppParts parts;
    FakeScreenFrame frame;
    std::vector<std::string> browserCaptions;
    std::string browserAnswer;
    ApplicationSources sources;
    std::unique_ptr<Application> app;

    // `clock`: the frames' clock (the system's when null).
    explicit GameApp(const GameFolder& game, Clock* clock = nullptr) {
        if (clock != nullptr) sources.frameClock = clock;
        sources.framework = parts.Sources(nullptr);
        sources.specialFolder = [&game](int csidl) { return game.Special(csidl); };
        sources.browseForFolder = [this](const char* caption, const char*) {
            browserCaptions.push_back(caption);
            return browserAnswer;
        };
        Remake();
    }
    // A new application over the parts as they stand (the machine is read at construction).
    void Remake() {
        app.reset();
        app = std::make_unique<Application>(sources);
        app->SetScreenDevice(&parts.screen, &frame);
    }
    std::vector<apptest::ShownBox>& Boxes() { return parts.platform.boxes; }
    std::vector<int>& Answers() { return parts.platform.answers; }
};

// A game whose MAIN is `main`, written with the default settings files and started up.
struct StartedGame {
    GameFolder game;
    GameApp app;
    StartedGame(const std::string& title, const std::string& main, Clock* clock = nullptr)
        : game(title, main), app(game, clock) {
        EXPECT_EQ(0, app.app->Startup());
    }
    Application& App() { return *app.app; }
};

}  // namespace gameapptest
