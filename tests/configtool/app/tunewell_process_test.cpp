// Tunewell.exe as a player meets it: started on a game folder, its window found by caption, one
// item changed, Save pressed, and the change found in USER.CFG.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "configtool/resources/tunewell_resources.h"
#include "framework/files/path_utilities.h"
#include "tests/support/config_description_writer.h"
#include "tools/content/qpk_writer.h"
#include "tools/content/settings_file_writer.h"
#include "tests/support/win_test_env.h"

namespace {

// Bounds, not timings: a second Wine process can take minutes to start on a loaded machine.
constexpr DWORD kStartTimeoutMs = 240000;
constexpr DWORD kStepTimeoutMs = 60000;

// Ends the process when a step does not finish in time, so that the test can never hang.
class ChildProcess {
public:
    bool Start(const std::string& commandLine) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string line = commandLine;
        return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info) != 0;
    }
    ~ChildProcess() {
        if (!m_info.hProcess) return;
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, kStepTimeoutMs);
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }
    bool WaitForExit() { return WaitForSingleObject(m_info.hProcess, kStepTimeoutMs) == WAIT_OBJECT_0; }

private:
    PROCESS_INFORMATION m_info = {};
};

HWND WaitForWindow(const char* caption) {
    for (DWORD waited = 0; waited < kStartTimeoutMs; waited += 50) {
        if (HWND window = FindWindowA(nullptr, caption)) return window;
        Sleep(50);
    }
    return nullptr;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kStepTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

TEST(TunewellProgramTest, APlayerChangesAnItemAndSavesIt) {
    testsupport::TempFolder game;
    testsupport::DescriptionGroup group{
        "表示", {testsupport::MakeDescriptionItem(0, 4, 1, 1, "VSync", {"自動", "オフ", "オン"}, 1)}};
    testsupport::QpkWriter script;
    script.Add("config.dat", testsupport::BuildConfigDescription({group}));
    script.Add("ql_app.sys", testsupport::BuildAppSysFile(testsupport::DefaultAppSysRecord()));
    script.Add("ql_app.inf", testsupport::BuildAppInfFile(1, 2, 11, {"Sample"}));
    ASSERT_TRUE(script.Write(game.File("SCRIPT.QPK")));
    testsupport::UserCfgBlocks userCfg = testsupport::PatternedUserCfg();
    userCfg.blocks[2][1] = 1;
    ASSERT_TRUE(testsupport::WriteFile(game.File("USER.CFG"), testsupport::BuildUserCfgFile(userCfg)));

    char program[kPathCapacity];
    GetModuleFileNameA(nullptr, program, kPathCapacity);
    CutToParentDir(program);
    ChildProcess tunewell;
    ASSERT_TRUE(tunewell.Start("\"" + std::string(program) + "Tunewell.exe\" /P" + game.Path()));
    HWND window = WaitForWindow("環境設定 [ Sample Version 1.02b ]");
    ASSERT_NE(nullptr, window);

    HWND tree = GetDlgItem(window, IDC_ITEM_TREE);
    HTREEITEM groupItem = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    ASSERT_NE(nullptr, groupItem);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(groupItem)));
    ASSERT_NE(nullptr, item);
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    HWND combo = GetDlgItem(window, IDC_CHOICE_COMBO);
    EXPECT_EQ(3, Send(combo, CB_GETCOUNT, 0, 0));
    Send(combo, CB_SETCURSEL, 2, 0);
    Send(window, WM_COMMAND, MAKEWPARAM(IDC_CHOICE_COMBO, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    Send(window, WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED),
         reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_SAVE)));
    ASSERT_TRUE(tunewell.WaitForExit());

    const std::vector<std::uint8_t> saved = testsupport::ReadFile(game.File("USER.CFG"));
    ASSERT_EQ(2u + 72 + 2 + 14 + 2 + 17 + 2, saved.size());
    EXPECT_EQ(2, saved[2 + 72 + 2 + 14 + 2 + 1]);
}

}  // namespace
