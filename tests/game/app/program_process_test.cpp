// SORAHANE.exe itself, started as a process of its own on a game folder whose start-up fails.
// Any box the program opens is answered and noted, so that nothing waits for a player.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "tests/framework/plugin_test_files.h"
#include "tests/game/app/game_app_fixture.h"

namespace {

// The boxes of one process: each is read once and answered with OK.
struct BoxAnswerer {
    DWORD process = 0;
    std::set<HWND> answered;
    std::vector<std::string> texts;

    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
        auto* answerer = reinterpret_cast<BoxAnswerer*>(self);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char className[16] = "";
        GetClassNameA(window, className, sizeof(className));
        if (owner != answerer->process || std::string(className) != "#32770" || !IsWindowVisible(window) ||
            !answerer->answered.insert(window).second)
            return TRUE;
        char text[1024] = "";
        // The box's text is its static control 0xFFFF.
        GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
        answerer->texts.push_back(text);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
};

struct ProgramRun {
    DWORD exitCode = 0;
    bool ended = false;
    std::vector<std::string> boxes;
};

// Runs `program` in `folder` until it ends, answering its boxes. A program that has not ended
// after a generous limit is ended, so that a hang fails the test instead of the run.
ProgramRun RunAnsweringBoxes(const std::string& program, const std::string& folder) {
    ProgramRun run;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + program + "\"";
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return run;
    BoxAnswerer answerer;
    answerer.process = process.dwProcessId;
    for (int turn = 0; turn < 6000; ++turn) {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) {
            run.ended = true;
            break;
        }
        EnumWindows(BoxAnswerer::Visit, reinterpret_cast<LPARAM>(&answerer));
    }
    if (!run.ended) TerminateProcess(process.hProcess, 255);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.boxes = answerer.texts;
    return run;
}

TEST(GameProgram, AFailedStartEndsTheProcessWithTheStartUpCode) {
    // A complete game that runs as one instance, while another instance of it (this test, holding
    // its mutex) runs: the start-up ends with 3 before any window or box. (The failures that show
    // a box need Wine's desktop process, which does not survive qemu's i386 emulation.)
    gameapptest::GameFolder game("ProgramAlreadyRunning");
    game.WriteFiles();
    ASSERT_EQ(1, game.appSys[SettingsFiles::AppSys::kSingleInstance]);
    HANDLE other = CreateMutexA(nullptr, TRUE, ("Orvane DX" + game.title).c_str());
    ASSERT_NE(nullptr, other);
    const std::string program = game.Game() + "SORAHANE.exe";
    ASSERT_TRUE(CopyFileA(plugintest::BinaryFile("SORAHANE.exe").c_str(), program.c_str(), FALSE));

    const ProgramRun run = RunAnsweringBoxes(program, game.Game());
    CloseHandle(other);
    ASSERT_TRUE(run.ended) << "the program did not end";
    // The start-up's code, not the 0 of a clean end.
    EXPECT_EQ(3u, run.exitCode);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front();
}

}  // namespace
