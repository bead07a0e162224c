// The box, dialog and desktop commands: boxes through the framework's presenter, the game's
// message dialog answered by the dialog driver, the shell and system calls through the desktop
// port's doubles, files copied out of archives, and the wallpaper and screen-saver settings
// really written into the test machine's registry and system.ini, then put back.
#include "game/commands/desktop_commands.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <string>
#include <vector>

#include "game/dialogs/message_dialog.h"
#include "game/script/script_files.h"
#include "tests/game/commands/input_commands_game.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/support/command_harness.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/win_test_env.h"
#include "tools/content/content_files.h"
#include "tools/content/qpk_writer.h"

namespace {

using inputtest::InputGame;

// Puts the process's desktop port back after a test changed it.
struct PortScope {
    DesktopPort saved = DesktopOfCommands();
    ~PortScope() { DesktopOfCommands() = saved; }
};

// ---- Boxes and the message dialog ----

TEST(DesktopCommands, BoxesThroughThePresenter) {
    InputGame g("Boxes", {{}});
    struct Row {
        int opcode;
        std::uint32_t icon;
        int answer;  // the presenter's
        std::uint32_t result;
        UINT buttons;
        UINT iconFlag;
    };
    const Row rows[] = {
        {796, 1, IDOK, 0, MB_OK, MB_ICONEXCLAMATION},
        {796, 0x100 + 2, IDOK, 0, MB_OK, MB_ICONINFORMATION},
        {797, 3, IDYES, 1, MB_YESNO, MB_ICONQUESTION},
        {797, 4, IDNO, 0, MB_YESNO, MB_ICONSTOP},
        {798, 1, IDOK, 1, MB_OKCANCEL, MB_ICONEXCLAMATION},
        {798, 1, IDCANCEL, 0, MB_OKCANCEL, MB_ICONEXCLAMATION},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.opcode) + " " + std::to_string(row.answer));
        g.app->Boxes().clear();
        g.app->Answers() = {row.answer};
        testsupport::ArgBlock block;
        // An owner naming no window of ours: the box is the main window's.
        block.Pointer(GetDesktopWindow()).Text("本文").Word(row.icon);
        EXPECT_EQ(row.result, testsupport::CallCommand(row.opcode, block));
        ASSERT_EQ(1u, g.app->Boxes().size());
        const apptest::ShownBox& box = g.app->Boxes()[0];
        EXPECT_EQ(g.Window(), box.owner);
        EXPECT_EQ("本文", box.text);
        EXPECT_EQ(row.buttons, box.type & MB_TYPEMASK);
        EXPECT_EQ(row.iconFlag, box.type & MB_ICONMASK);
        EXPECT_EQ(0u, box.type & MB_SYSTEMMODAL);
    }
}

TEST(DesktopCommands, QuestionsWithoutAnApplicationAreNo) {
    testsupport::ArgBlock block;
    block.Word(0).Text("?").Word(3);
    EXPECT_EQ(0u, testsupport::CallCommand(797, block));
    EXPECT_EQ(0u, testsupport::CallCommand(798, block));
    EXPECT_EQ(0u, testsupport::CallCommand(799, block));
}

TEST(DesktopCommands, MessageDialogThroughTheGamesDialog) {
    InputGame g("Dialogs", {{}}, [](gameapptest::GameFolder&, gameapptest::GameApp& app) {
        Application::UseGameDialogs(app.sources);
    });
    testsupport::DialogDriver driver;
    std::vector<std::string> texts;
    auto answer = [&](int button) {
        return [&texts, button](HWND dialog) {
            texts.push_back(testsupport::ItemText(dialog, kMessageText));
            testsupport::Click(dialog, button);
            return true;
        };
    };
    driver.Then(answer(IDOK)).Then(answer(IDCANCEL)).Then(answer(IDOK));
    auto call = [](std::uint32_t yesNo, const char* caption, const char* text) {
        testsupport::ArgBlock block;
        block.Word(yesNo);
        if (caption) block.Text(caption); else block.Word(0);
        if (text) block.Text(text); else block.Word(0);
        return testsupport::CallCommand(799, block);
    };
    EXPECT_EQ(1u, call(1, "質問", "続けますか？")) << "はい";
    EXPECT_EQ(0u, call(0x100, nullptr, "続けますか？")) << "いいえ";
    EXPECT_EQ(1u, call(0, nullptr, "お知らせ")) << "OK";
    EXPECT_EQ(0u, call(1, "質問", nullptr)) << "no text: nothing shown";
    ASSERT_EQ(3, driver.Opened());
    EXPECT_EQ("質問", driver.Captions()[0]);
    EXPECT_EQ("Dialogs", driver.Captions()[1]) << "no caption: the title";
    EXPECT_EQ((std::vector<std::string>{"続けますか？", "続けますか？", "お知らせ"}), texts);
    EXPECT_EQ(0, driver.ForcedClosed());
}

// The game thread asks; the window thread (the test's) shows the box or dialog and answers.
TEST(DesktopCommands, QuestionsFromTheGameThread) {
    InputGame g("ThreadedAsk", {{}}, [](gameapptest::GameFolder&, gameapptest::GameApp& app) {
        Application::UseGameDialogs(app.sources);
    });
    g.App().Settings().block1[kThreadedMode] = 1;
    g.app->Answers() = {IDYES};
    testsupport::DialogDriver driver;
    driver.Then([](HWND dialog) {
        testsupport::Click(dialog, IDOK);
        return true;
    });
    for (int opcode : {797, 799}) {
        SCOPED_TRACE(opcode);
        std::atomic<int> answer{-1};
        std::thread game([&] {
            testsupport::ArgBlock block;
            if (opcode == 797) block.Word(0).Text("続けますか？").Word(3);
            else block.Word(1).Word(0).Text("続けますか？");
            answer = static_cast<int>(testsupport::CallCommand(opcode, block));
        });
        for (int i = 0; i < 600 && answer < 0; ++i) testsupport::PumpMessagesFor(50);
        game.join();
        EXPECT_EQ(1, answer.load());
    }
    EXPECT_EQ(1u, g.app->Boxes().size());
    EXPECT_EQ(1, driver.Opened());
}

// ---- Shell ----

TEST(DesktopCommands, DocumentsAndFoldersGoToTheShell) {
    PortScope scope;
    std::vector<std::string> opened;
    std::vector<std::string> folders;
    DesktopOfCommands().openDocument = [&](const char* path) { opened.push_back(path); };
    DesktopOfCommands().openFolder = [&](const char* folder) {
        folders.push_back(folder);
        return 2;
    };
    testsupport::ArgBlock document;
    document.Text("readme.txt");
    EXPECT_EQ(0u, testsupport::CallCommand(802, document));
    testsupport::ArgBlock none;
    none.Word(0);
    EXPECT_EQ(0u, testsupport::CallCommand(802, none));
    testsupport::ArgBlock folder;
    folder.Text("SAVE");
    EXPECT_EQ(2u, testsupport::CallCommand(804, folder)) << "the explorer's answer";
    EXPECT_EQ(1u, testsupport::CallCommand(804, none)) << "no folder";
    EXPECT_EQ(std::vector<std::string>{"readme.txt"}, opened);
    EXPECT_EQ(std::vector<std::string>{"SAVE"}, folders);
}

TEST(DesktopCommands, SystemFoldersEndInABackslashOrAreLeftAlone) {
    PortScope scope;
    const std::string long259(259, 'd');
    struct Row {
        const char* name;
        std::int64_t which;
        const char* folder;  // the query's answer; null: it fails
        std::uint32_t result;
        std::string text;    // the buffer after
    };
    const std::string untouched(259, 'u');
    const Row rows[] = {
        {"Windows folder ending in '\\'", 0, "C:\\windows\\", 1, "C:\\windows\\"},
        {"documents", 1, "C:\\users\\me\\Documents", 1, "C:\\users\\me\\Documents\\"},
        {"desktop", 4, "C:\\users\\me\\Desktop", 1, "C:\\users\\me\\Desktop\\"},
        {"no folder 5", 5, "C:\\x", 0, untouched},
        {"no folder -1", -1, "C:\\x", 0, untouched},
        {"the query fails", 2, nullptr, 0, untouched},
        {"259 characters: no room for the '\\'", 3, long259.c_str(), 0, untouched},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::int32_t> asked;
        DesktopOfCommands().folder = [&](std::int32_t which, char* out) {
            asked.push_back(which);
            if (!row.folder) return false;
            std::strcpy(out, row.folder);
            return true;
        };
        commandtest::CallProgram p;
        const std::string buffer = p.Text(untouched);
        p.Call(803, {buffer, std::to_string(row.which)}, "var:0");
        commandtest::ProgramRun run;
        ASSERT_EQ(kStepEnded, run.Run(p));
        EXPECT_EQ(row.result, static_cast<std::uint32_t>(run.Var(0)));
        EXPECT_EQ(row.text, run.TextAt(buffer));
    }

    // The real Windows folder.
    DesktopOfCommands() = SystemDesktop();
    commandtest::CallProgram p;
    const std::string buffer = p.Buffer(260);
    p.Call(803, {buffer, "0"}, "var:0");
    commandtest::ProgramRun run;
    ASSERT_EQ(kStepEnded, run.Run(p));
    EXPECT_EQ(1, run.Var(0));
    const std::string folder = run.TextAt(buffer);
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ('\\', folder.back());
    EXPECT_NE('\\', folder[folder.size() - 2]) << "no second '\\'";
}

// ---- Files out of archives ----

class FailingReplace : public WholeFileSteps {
public:
    bool Replace(const char*, const char*) override { return false; }
};

TEST(DesktopCommands, ExtractFileCopiesArchiveEntriesWhole) {
    commandtest::ProgramRun run;
    std::string big;
    for (int i = 0; i < 300; ++i) big += "packed text ";
    testsupport::QpkWriter writer;
    writer.Add("plain.txt", std::string("stored bytes"));
    writer.Add("packed.txt", big, testsupport::QpkEntryOptions{true});
    ASSERT_TRUE(writer.Write(run.File("PACK.QPK")));
    CreateDirectoryA(run.File("OUTDIR").c_str(), nullptr);
    testsupport::WriteFile(run.File("old.txt"), std::vector<std::uint8_t>{'o', 'l', 'd'});

    commandtest::CallProgram p;
    p.Call(107, {p.Text("PACK.QPK"), "5", "0", "1"}, "var:0");
    p.Call(805, {p.Text("plain.txt"), p.Text("a.out")}, "var:1");
    p.Call(805, {p.Text("packed.txt"), p.Text("b.out")}, "var:2");
    p.Call(805, {p.Text("missing.txt"), p.Text("c.out")}, "var:3");
    p.Call(805, {p.Text("plain.txt"), p.Text("OUTDIR")}, "var:4");
    p.Call(805, {p.Text("plain.txt"), p.Text(std::string(300, 'n'))}, "var:5");
    p.Call(805, {"0", p.Text("d.out")}, "var:6");
    p.Call(805, {p.Text("plain.txt"), "0"}, "var:7");
    ASSERT_EQ(kStepEnded, run.Run(p));
    EXPECT_EQ(0, run.Var(0));
    EXPECT_EQ(0, run.Var(1));
    EXPECT_EQ(0, run.Var(2));
    EXPECT_EQ(1, run.Var(3)) << "missing";
    EXPECT_EQ(2, run.Var(4)) << "a folder";
    EXPECT_EQ(2, run.Var(5)) << "over 260";
    EXPECT_EQ(1, run.Var(6));
    EXPECT_EQ(2, run.Var(7));
    const std::vector<std::uint8_t> plain = testsupport::ReadFile(run.File("a.out"));
    EXPECT_EQ("stored bytes", std::string(plain.begin(), plain.end()));
    const std::vector<std::uint8_t> packed = testsupport::ReadFile(run.File("b.out"));
    EXPECT_EQ(big, std::string(packed.begin(), packed.end()));
    EXPECT_FALSE(testsupport::FileExists(run.File("c.out")));

    // A failing write leaves the old target whole.
    FailingReplace failing;
    SetWholeFileSteps(&failing);
    commandtest::CallProgram q;
    q.Call(805, {q.Text("plain.txt"), q.Text("old.txt")}, "var:0");
    const int step = run.Run(q);
    SetWholeFileSteps(nullptr);
    ASSERT_EQ(kStepEnded, step);
    EXPECT_EQ(2, run.Var(0));
    const std::vector<std::uint8_t> old = testsupport::ReadFile(run.File("old.txt"));
    EXPECT_EQ("old", std::string(old.begin(), old.end()));
}

// ---- Wallpaper and screen saver ----

// A value of HKCU\Control Panel\desktop, saved and put back.
class DesktopValue {
public:
    explicit DesktopValue(const char* name) : m_name(name) { m_existed = Read(&m_old); }
    ~DesktopValue() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
        if (m_existed) {
            RegSetValueExA(key, m_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_old.c_str()),
                           static_cast<DWORD>(m_old.size() + 1));
        } else {
            RegDeleteValueA(key, m_name);
        }
        RegCloseKey(key);
    }
    // The value's text; its type and size go to the outs.
    bool Read(std::string* text, DWORD* type = nullptr, DWORD* size = nullptr) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        char buffer[64] = {};
        DWORD bytes = sizeof buffer - 1;
        DWORD kind = 0;
        const bool ok = RegQueryValueExA(key, m_name, nullptr, &kind, reinterpret_cast<BYTE*>(buffer), &bytes) == ERROR_SUCCESS;
        RegCloseKey(key);
        if (ok) {
            *text = buffer;
            if (type) *type = kind;
            if (size) *size = bytes;
        }
        return ok;
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_existed = false;
};

TEST(DesktopCommands, WallpaperWritesTheDesktopKey) {
    PortScope scope;
    DesktopValue tile("TileWallpaper");
    DesktopValue style("WallpaperStyle");
    struct Call {
        UINT action;
        std::string path;
        UINT winIni;
    };
    std::vector<Call> calls;
    BOOL answer = TRUE;
    DesktopOfCommands().systemParameters = [&](UINT action, UINT, void* value, UINT winIni) {
        calls.push_back({action, static_cast<const char*>(value), winIni});
        return answer;
    };
    struct Row {
        std::uint32_t style;
        const char* tile;
        const char* wallpaperStyle;
    };
    const Row rows[] = {{0, "0", "0"}, {1, "1", "0"}, {2, "0", "2"}, {0x100 + 2, "0", "2"}, {7, "0", "0"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.style);
        calls.clear();
        testsupport::ArgBlock block;
        block.Text("C:\\paper.bmp").Word(row.style);
        EXPECT_EQ(1u, testsupport::CallCommand(806, block));
        std::string text;
        DWORD type = 0;
        DWORD size = 0;
        ASSERT_TRUE(tile.Read(&text, &type, &size));
        EXPECT_EQ(row.tile, text);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ(2u, size);
        ASSERT_TRUE(style.Read(&text, &type, &size));
        EXPECT_EQ(row.wallpaperStyle, text);
        EXPECT_EQ(2u, size);
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(static_cast<UINT>(SPI_SETDESKWALLPAPER), calls[0].action);
        EXPECT_EQ("C:\\paper.bmp", calls[0].path);
        EXPECT_EQ(static_cast<UINT>(SPIF_UPDATEINIFILE | SPIF_SENDCHANGE), calls[0].winIni);
    }
    answer = FALSE;
    testsupport::ArgBlock refused;
    refused.Text("C:\\paper.bmp").Word(0);
    EXPECT_EQ(0u, testsupport::CallCommand(806, refused)) << "the system's answer";
    calls.clear();
    testsupport::ArgBlock none;
    none.Word(0).Word(1);
    EXPECT_EQ(0u, testsupport::CallCommand(806, none));
    EXPECT_TRUE(calls.empty());
}

std::string ScreenSaverEntry() {
    char text[MAX_PATH] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "<none>", text, sizeof text, "system.ini");
    return text;
}

TEST(DesktopCommands, ScreenSaverEntryAndActivation) {
    PortScope scope;
    const std::string old = ScreenSaverEntry();
    BOOL active = FALSE;
    std::vector<UINT> sets;
    std::vector<UINT> posts;
    DesktopOfCommands().systemParameters = [&](UINT action, UINT parameter, void* value, UINT) {
        if (action == SPI_GETSCREENSAVEACTIVE) {
            *static_cast<BOOL*>(value) = active;
        } else if (action == SPI_SETSCREENSAVEACTIVE) {
            sets.push_back(parameter);
            active = parameter;
        }
        return TRUE;
    };
    DesktopOfCommands().postToDesktop = [&](UINT message, WPARAM wParam, LPARAM) {
        EXPECT_EQ(static_cast<UINT>(WM_SYSCOMMAND), message);
        posts.push_back(static_cast<UINT>(wParam));
    };
    testsupport::ArgBlock none;
    none.Word(0);
    EXPECT_EQ(0u, testsupport::CallCommand(808, none));
    EXPECT_TRUE(posts.empty()) << "screen saving off: nothing posted";

    testsupport::ArgBlock saver;
    saver.Text("test.scr");
    EXPECT_EQ(0u, testsupport::CallCommand(807, saver));
    EXPECT_EQ("test.scr", ScreenSaverEntry());
    EXPECT_EQ(std::vector<UINT>{TRUE}, sets) << "switched on";
    EXPECT_EQ(0u, testsupport::CallCommand(807, saver));
    EXPECT_EQ(1u, sets.size()) << "already on";
    EXPECT_EQ(0u, testsupport::CallCommand(807, none));
    EXPECT_EQ("test.scr", ScreenSaverEntry()) << "a null text deletes nothing";

    EXPECT_EQ(0u, testsupport::CallCommand(808, none));
    EXPECT_EQ(std::vector<UINT>{SC_SCREENSAVE}, posts);

    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", old == "<none>" ? nullptr : old.c_str(), "system.ini");
    EXPECT_EQ(old, ScreenSaverEntry());
}

}  // namespace
