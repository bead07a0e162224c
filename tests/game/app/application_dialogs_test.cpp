// The game program's real dialogs on a started game's window: the menu commands and the
// window-thread requests open them, the menu's questions are the game's yes/no dialog, the
// script's message dialogs come from the game thread, and the application serves the command
// routines' window and pointer glide while its devices exist.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "game/commands/app_routines.h"
#include "game/commands/command_services.h"
#include "game/dialogs/information_dialog.h"
#include "game/dialogs/message_dialog.h"
#include "game/dialogs/text_input_dialog.h"
#include "tests/game/app/window_game.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/win_test_env.h"

using testsupport::DialogDriver;

namespace gameapptest {
namespace {

// A started game whose application uses the game's own dialogs.
struct RealDialogsGame {
    WindowGame w;
    explicit RealDialogsGame(const std::string& title)
        : w(title, [](GameFolder&, GameApp& app) {
              Application::UseGameDialogs(app.sources);
              app.Remake();
          }) {}
    Application& App() { return w.App(); }
    HWND Window() { return w.Window(); }
};

TEST(GameDialogs, MenuCommandsOpenTheRealDialogs) {
    RealDialogsGame g("RealMenus");
    DialogDriver driver;
    std::string version;
    driver.ThenClose([&](HWND dialog) { version = testsupport::ItemText(dialog, kInfoVersion); });
    driver.ThenClose();
    driver.ThenClose();
    SendMessageA(g.Window(), WM_COMMAND, kCmdVersion, 0);
    SendMessageA(g.Window(), WM_COMMAND, kCmdSettings, 0);
    SendMessageA(g.Window(), WM_COMMAND, kCmdSettings2, 0);
    ASSERT_EQ(3, driver.Opened());
    EXPECT_EQ("バージョン情報", driver.Captions()[0]);
    EXPECT_EQ("Version 1.00 ", version);
    EXPECT_EQ("入力・その他設定", driver.Captions()[1]);
    EXPECT_EQ("入力・その他設定", driver.Captions()[2]);
    EXPECT_EQ(0, driver.ForcedClosed());
    EXPECT_EQ(kModalNone, g.App().modalState);
}

TEST(GameDialogs, TextInputAnswersThroughTheRequest) {
    RealDialogsGame g("RealTextInput");
    g.App().TextInput().Setup("題", "問い", 0, 4, 0, 0, -1, -1);
    DialogDriver driver;
    std::string initial;
    driver.Then([&](HWND dialog) {
        initial = testsupport::ItemText(dialog, kTextInputField);
        testsupport::SetItemText(dialog, kTextInputField, "answer");
        testsupport::Click(dialog, IDOK);
        return true;
    });
    char text[] = "start";
    SendMessageA(g.Window(), WM_COMMAND, kCmdTextInput, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ("start", initial);
    EXPECT_EQ("answ", g.App().TextInput().result);
}

// The close question is the game's yes/no dialog: "いいえ" keeps the window.
TEST(GameDialogs, CloseQuestionIsAYesNoDialog) {
    RealDialogsGame g("RealClose");
    DialogDriver driver;
    std::string no;
    driver.Then([&](HWND dialog) {
        no = testsupport::ItemText(dialog, IDCANCEL);
        testsupport::Click(dialog, IDCANCEL);
        return true;
    });
    SendMessageA(g.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(1, driver.Opened());
    EXPECT_EQ("いいえ", no);
    EXPECT_TRUE(IsWindow(g.Window()));
    EXPECT_EQ(kModalNone, g.App().modalState);
}

TEST(GameDialogs, StartUpBindsThePlayersKeys) {
    RealDialogsGame g("RealBindings");
    ActionMap* map = g.App().Actions();
    ASSERT_NE(nullptr, map);
    std::uint8_t code = 0;
    ASSERT_EQ(0, map->GetBinding(4, 0, 2, &code, nullptr));
    EXPECT_EQ(44, code) << "Z after Enter and the keypad's Enter";
    ASSERT_EQ(0, map->GetBinding(12, 1, 0, &code, nullptr));
    EXPECT_EQ(1, code) << "the right button opens the system menu";
}

// The script's message dialog asked on the window's own thread (the single-threaded mode).
TEST(GameDialogs, MessageDialogRequestOnTheWindowThread) {
    RealDialogsGame g("RealRequest");
    DialogDriver driver;
    std::string text;
    driver.Then([&](HWND dialog) {
        text = testsupport::ItemText(dialog, kMessageText);
        testsupport::Click(dialog, IDOK);
        return true;
    });
    driver.ThenClose();
    EXPECT_EQ(1, g.App().RequestMessageDialog("続けますか？", 2, nullptr, "質問", true));
    EXPECT_EQ("続けますか？", text);
    EXPECT_EQ(0, g.App().RequestMessageDialog("続けますか？", 3, nullptr, nullptr, false)) << "closed";
    EXPECT_EQ(0, g.App().RequestMessageDialog(nullptr, 2, nullptr, nullptr, false));
    ASSERT_EQ(2, driver.Opened());
    EXPECT_EQ("質問", driver.Captions()[0]);
    EXPECT_EQ("RealRequest", driver.Captions()[1]) << "no caption: the title";
}

// Refused while another of the game's modal windows is open: nobody saw the question.
TEST(GameDialogs, RefusedRequestIsNoYes) {
    RealDialogsGame g("RealRefused");
    DialogDriver driver;
    g.App().modalState = kModalCloseQuestion;
    EXPECT_EQ(0, g.App().RequestMessageDialog("続けますか？", 2, nullptr, nullptr, false));
    EXPECT_EQ(0, g.App().RequestMessageDialog("続けますか？", 3, nullptr, nullptr, false));
    g.App().modalState = kModalNone;
    EXPECT_EQ(0, driver.Opened());
}

// The game thread asks; the window thread (the test's) shows the dialog and answers.
TEST(GameDialogs, MessageDialogRequestFromTheGameThread) {
    RealDialogsGame g("RealGameThread");
    g.App().Settings().block1[kThreadedMode] = 1;
    DialogDriver driver;
    driver.Then([&](HWND dialog) {
        testsupport::Click(dialog, IDOK);
        return true;
    });
    std::atomic<int> answer{-1};
    std::thread game([&] { answer = g.App().RequestMessageDialog("続けますか？", 2, nullptr, nullptr, true); });
    for (int i = 0; i < 600 && answer < 0; ++i) testsupport::PumpMessagesFor(50);
    game.join();
    EXPECT_EQ(1, answer.load());
    EXPECT_EQ(1, driver.Opened());
}

TEST(GameDialogs, CommandServicesFollowTheDevices) {
    HWND window = nullptr;
    {
        // Nothing here opens a dialog; should the posted command reach the window, the driver
        // ends the dialog it opens.
        DialogDriver driver(2000);
        RealDialogsGame g("RealServices");
        window = g.Window();
        ASSERT_NE(nullptr, Services().window);
        ASSERT_NE(nullptr, Services().glide);
        EXPECT_EQ(window, Services().window->MainWindow());
        g.App().EnableMenuItem(kFeatureSave, false);
        EXPECT_FALSE(Services().window->MenuEntryEnabled(kCmdSave));
        EXPECT_TRUE(Services().window->MenuEntryEnabled(kCmdVersion));
        MSG message = {};
        while (PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
        }
        EXPECT_EQ(1, PostMenuCommand(kRequestVersion, false, 0));
        EXPECT_TRUE(PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE));
        EXPECT_EQ(static_cast<WPARAM>(kCmdVersion), message.wParam);
        EXPECT_EQ(0, PostMenuCommand(kRequestSave, false, 0)) << "the save entry is off";
        EXPECT_EQ(0, driver.Opened());
    }
    EXPECT_EQ(nullptr, Services().window);
    EXPECT_EQ(nullptr, Services().glide);
}

}  // namespace
}  // namespace gameapptest
