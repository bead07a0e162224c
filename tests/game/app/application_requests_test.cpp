// The window-thread requests of the menu and the game thread: the version dialog, the settings
// sheet, text input, the file dialogs, the folder browser and the script's message dialogs. Each
// dialog is a recording stand-in that notes how the game stood while it was open.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/dialogs/common_dialog_platform.h"
#include "tests/support/command_harness.h"
#include "tests/support/hdrop_builder.h"
#include "tests/game/app/game_app_fixture.h"

namespace gameapptest {
namespace {

// How the game stood while a dialog ran.
struct Seen {
    int calls = 0;
    std::uint8_t modalOpen = 0;
    std::uint8_t framesEnabled = 1;
    std::uint8_t modalState = 0;
};

Application* g_app = nullptr;
Seen* g_seen = nullptr;

void Note() {
    ++g_seen->calls;
    g_seen->modalOpen = g_app->modalOpen;
    g_seen->framesEnabled = g_app->framesEnabled;
    g_seen->modalState = g_app->modalState;
}

BOOL WINAPI RecordingOpen(LPOPENFILENAMEA dialog) {
    Note();
    std::strcpy(dialog->lpstrFile, "C:\\chosen.txt");
    dialog->nFilterIndex = 2;
    return TRUE;
}

// Every dialog of the application records into `seen`; the common dialogs are replaced while
// the object lives.
struct RecordingDialogs {
    GameFolder game;
    GameApp app;
    Seen seen;
    std::string browserAnswer = "C:\\games";
    CommonDialogPlatform saved;

    explicit RecordingDialogs(const std::string& title) : game(title), app(game) {
        app.sources.browseForFolder = [this](const char*, const char*) {
            Note();
            return browserAnswer;
        };
        app.Remake();
        Application& a = *app.app;
        g_app = &a;
        g_seen = &seen;
        a.Dialogs().version = [](HWND) { Note(); };
        a.Dialogs().settingsSheet = [](HWND) { Note(); };
        a.Dialogs().textInput = [](HWND, TextInputRequest& request, const char* initial) {
            Note();
            request.result = std::string(initial) + " answered";
        };
        a.Dialogs().messageDialog = [](HWND, MessageDialogRequest& request) {
            Note();
            request.result = 1;
            return true;
        };
        CommonDialogPlatform fake = DefaultCommonDialogPlatform();
        fake.getOpenFileName = RecordingOpen;
        fake.getSaveFileName = RecordingOpen;
        saved = SetCommonDialogPlatform(fake);
    }
    ~RecordingDialogs() {
        SetCommonDialogPlatform(saved);
        g_app = nullptr;
        g_seen = nullptr;
    }
    Application& App() { return *app.app; }
};

// One request of each kind, with its own record.
struct Requests {
    char text[32] = "initial";
    char file[FileDialog::kFileCapacity] = "";
    char fileTitle[FileDialog::kFileTitleCapacity] = "";
    FileDialogRequest open;
    FileDialogRequest save;
    char folder[MAX_PATH] = "";
    FolderRequest browse;
    MessageDialogRequest question;

    Requests() {
        open.file = save.file = file;
        open.fileTitle = save.fileTitle = fileTitle;
        open.filter = save.filter = "Text\t*.txt\tAll\t*.*";
        save.defaultExtension = "txt";
        browse.folder = folder;
        browse.capacity = sizeof(folder);
        question.kind = 2;
        question.text = "Go on?";
    }
};

LPARAM Param(void* request) { return static_cast<LPARAM>(reinterpret_cast<std::uintptr_t>(request)); }

// Sends request `id` (a command, or 0x9009 as the window would deliver it).
void Send(Application& a, UINT id, Requests& r) {
    if (id == kMsgDialogRequest) {
        WindowMessage m = {&a.MainWindow(), kMsgDialogRequest, static_cast<std::uint32_t>(Param(&r.question)), 0, 0};
        a.OnDialogRequest(m);
        return;
    }
    LPARAM request = 0;
    switch (id) {
    case kCmdTextInput: request = Param(r.text); break;
    case kCmdOpenFile: request = Param(&r.open); break;
    case kCmdSaveFile: request = Param(&r.save); break;
    case kCmdBrowseFolder: request = Param(&r.browse); break;
    default: break;
    }
    WindowMessage m = {&a.MainWindow(), WM_COMMAND, id, static_cast<std::uint32_t>(request), 0};
    EXPECT_EQ(0, a.OnCommand(m));
}

const struct RequestCase {
    const char* name;
    UINT id;
    // The modal state while the dialog is open (0: the request keeps none of its own).
    std::uint8_t modalState;
    // Refused while another of the game's modal windows is open.
    bool waitsForModal;
} kRequests[] = {
    {"version 40004", kCmdVersion, kModalVersion, true},
    {"settings 40005", kCmdSettings, kModalSettings, true},
    {"settings 40006", kCmdSettings2, kModalSettings, true},
    {"text input 40026", kCmdTextInput, kModalNone, false},
    {"open file 40027", kCmdOpenFile, kModalNone, false},
    {"save file 40028", kCmdSaveFile, kModalNone, false},
    {"folder 40029", kCmdBrowseFolder, kModalNone, false},
    {"message dialog 0x9009", kMsgDialogRequest, kModalScriptDialog, true},
};

TEST(GameRequests, EachDialogRunsPausedInItsModalState) {
    for (const RequestCase& row : kRequests) {
        SCOPED_TRACE(row.name);
        RecordingDialogs d("Paused");
        Application& a = d.App();
        Requests r;
        Send(a, row.id, r);
        EXPECT_EQ(1, d.seen.calls);
        EXPECT_EQ(1, d.seen.modalOpen);
        EXPECT_EQ(0, d.seen.framesEnabled);
        EXPECT_EQ(row.modalState, d.seen.modalState);
        // Over again: the game runs, no modal window is left open.
        EXPECT_EQ(0, a.modalOpen);
        EXPECT_EQ(1, a.framesEnabled);
        EXPECT_EQ(kModalNone, a.modalState);
    }
}

TEST(GameRequests, UnderAnOpenModalWindow) {
    for (const RequestCase& row : kRequests) {
        SCOPED_TRACE(row.name);
        RecordingDialogs d("UnderModal");
        Application& a = d.App();
        // The close question is open: its box holds the pause.
        a.modalState = kModalCloseQuestion;
        a.PauseForModal();
        Requests r;
        Send(a, row.id, r);
        EXPECT_EQ(row.waitsForModal ? 0 : 1, d.seen.calls);
        // Either way the open window keeps its state and its pause.
        EXPECT_EQ(kModalCloseQuestion, a.modalState);
        EXPECT_EQ(1, a.modalOpen);
        EXPECT_EQ(0, a.framesEnabled);
        if (row.id == kMsgDialogRequest) {
            EXPECT_EQ(0, r.question.result) << "a question nobody saw";
        }
        a.ResumeAfterModal();
        a.modalState = kModalNone;
    }
}

TEST(GameRequests, SettingsWaitForTheirMenuFeature) {
    RecordingDialogs d("SettingsOff");
    Application& a = d.App();
    a.EnableMenuItem(kFeatureSettings, false);
    Requests r;
    Send(a, kCmdSettings, r);
    Send(a, kCmdSettings2, r);
    EXPECT_EQ(0, d.seen.calls);
    a.EnableMenuItem(kFeatureSettings, true);
    Send(a, kCmdSettings2, r);
    EXPECT_EQ(1, d.seen.calls);
}

TEST(GameRequests, DialogsNotYetAvailableAnswerAsCancelled) {
    GameFolder game("NoDialogs");
    GameApp app(game);
    Application& a = *app.app;
    Requests r;
    const UINT ids[] = {kCmdVersion, kCmdSettings, kCmdTextInput, kMsgDialogRequest};
    for (UINT id : ids) {
        SCOPED_TRACE(id);
        Send(a, id, r);
        EXPECT_EQ(kModalNone, a.modalState);
        EXPECT_EQ(0, a.modalOpen);
        EXPECT_EQ(1, a.framesEnabled);
    }
    EXPECT_TRUE(a.TextInput().result.empty());
    EXPECT_STREQ("initial", r.text);
    EXPECT_EQ(0, r.question.result);
}

TEST(GameRequests, DialogAnswers) {
    RecordingDialogs d("Answers");
    Application& a = d.App();
    Requests r;
    Send(a, kCmdTextInput, r);
    EXPECT_EQ("initial answered", a.TextInput().result);
    Send(a, kCmdOpenFile, r);
    EXPECT_EQ(1, r.open.result);
    EXPECT_STREQ("C:\\chosen.txt", r.file);
    // Save: 1 + the chosen filter.
    Send(a, kCmdSaveFile, r);
    EXPECT_EQ(3, r.save.result);
    Send(a, kMsgDialogRequest, r);
    EXPECT_EQ(1, r.question.result);
    // A request without its buffers opens nothing.
    r.open.file = nullptr;
    Send(a, kCmdOpenFile, r);
    EXPECT_EQ(0, r.open.result);
    EXPECT_EQ(4, d.seen.calls);
}

TEST(GameRequests, FolderBrowserAnswerFitsTheCallersBufferOrCountsAsNone) {
    constexpr std::uint32_t kCapacity = 16;
    const struct {
        const char* name;
        std::string answer;
        std::int32_t result;
        std::string folder;
    } cases[] = {
        {"cancelled", "", 0, ""},
        {"a backslash added", "C:\\games", 1, "C:\\games\\"},
        {"one already there", "C:\\games\\", 1, "C:\\games\\"},
        {"just fits with its backslash", std::string(kCapacity - 2, 'a'), 1, std::string(kCapacity - 2, 'a') + "\\"},
        {"ends in a backslash and just fits", std::string(kCapacity - 2, 'a') + "\\", 1,
         std::string(kCapacity - 2, 'a') + "\\"},
        {"one too long with its backslash", std::string(kCapacity - 1, 'a'), 0, ""},
        {"far too long", std::string(400, 'a'), 0, ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        RecordingDialogs d("Folder");
        d.browserAnswer = row.answer;
        char buffer[kCapacity + 8];
        std::memset(buffer, 'G', sizeof(buffer));
        FolderRequest request;
        request.folder = buffer;
        request.capacity = kCapacity;
        request.result = 7;
        WindowMessage m = {&d.App().MainWindow(), WM_COMMAND, kCmdBrowseFolder, static_cast<std::uint32_t>(Param(&request)), 0};
        d.App().OnCommand(m);
        EXPECT_EQ(1, d.seen.calls);
        EXPECT_EQ(row.result, request.result);
        EXPECT_EQ(row.folder, std::string(buffer));
        // Nothing past the caller's buffer is touched.
        EXPECT_EQ(std::string(8, 'G'), std::string(buffer + kCapacity, 8));
    }
}

}  // namespace
}  // namespace gameapptest

namespace gameapptest {
namespace {

TEST(GameRequests, DroppedFilesReachTheFileCommands) {
    GameFolder game("Drop");
    GameApp app(game);
    Application& a = *app.app;
    WindowMessage m = {&a.MainWindow(), WM_DROPFILES,
                       static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(
                           testsupport::BuildDropHandle({"C:\\one.txt", "C:\\two.txt"}))),
                       0, 0};
    a.OnDropFiles(m);
    testsupport::ArgBlock count;
    count.Int(-1);
    EXPECT_EQ(2u, testsupport::CallCommand(156, count));
    testsupport::ArgBlock second;
    second.Int(1);
    const std::uint32_t name = testsupport::CallCommand(156, second);
    ASSERT_NE(0u, name);
    EXPECT_STREQ("C:\\two.txt", reinterpret_cast<const char*>(static_cast<std::uintptr_t>(name)));
}

}  // namespace
}  // namespace gameapptest
