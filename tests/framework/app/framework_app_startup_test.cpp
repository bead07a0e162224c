#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "framework/files/path_utilities.h"
#include "framework/system/cpu_info.h"
#include "tests/framework/app/app_test_fixture.h"
#include "tests/framework/app/file_settings_app.h"
#include "tools/content/settings_file_writer.h"
#include "tests/support/win_test_env.h"

using apptest::AppParts;
using apptest::TestApp;
using apptest::Watchdog;

namespace {

// Puts the process's processor record back when a test that changed it ends.
struct CpuRecordGuard {
    CpuInfoRecord saved = g_cpuInfo;
    ~CpuRecordGuard() { g_cpuInfo = saved; }
};

constexpr UINT kDesktopBox = MB_SYSTEMMODAL | MB_SETFOREGROUND;

struct StartCase {
    const char* name;
    void (*arrange)(AppParts&, TestApp&);
    std::int32_t code;
    // Empty: no box.
    const char* box;
    UINT boxType;
};

const StartCase kStartCases[] = {
    {"startup hook fails", [](AppParts&, TestApp& a) { a.startupResult = 1; }, 1, "", 0},
    {"before-window hook fails", [](AppParts&, TestApp& a) { a.beforeWindowResult = 1; }, 8, "", 0},
    {"device hook fails", [](AppParts&, TestApp& a) { a.startDevicesResult = 1; }, 13, "", 0},
    {"window only at 8 bits",
     [](AppParts& p, TestApp& a) {
         p.system.bitsPerPixel = 8;
         a.System().ReadScreen();
         a.Description().screenMode = 0;
     },
     5, "画面モードをHighColor(16bit)以上にして起動して下さい", MB_ICONINFORMATION},
    {"window only without a monitor that holds it",
     [](AppParts&, TestApp& a) {
         a.Description().screenMode = 0;
         a.Description().gameWidth = 2000;
     },
     5, "画面解像度を現在の設定より大きくして起動して下さい", MB_ICONINFORMATION},
    {"no display modes while full screen is required",
     [](AppParts& p, TestApp& a) {
         a.Description().screenMode = 1;
         p.screen.enumerateResult = 1;
     },
     5, "ディスプレイデバイスの情報を取得できません。", MB_ICONHAND},
    {"canvas cannot be made",
     [](AppParts& p, TestApp& a) {
         a.Settings().block1[kDisplayCanvas] = 1;
         p.screen.canvasResult = 1;
     },
     7, "ディスプレイキャンバスの作成に失敗", MB_ICONHAND},
    {"screen mode refused", [](AppParts& p, TestApp&) { p.screen.changeResults = {2}; }, 12,
     "画面の初期化に失敗 : 3", MB_ICONHAND},
    {"game thread cannot start",
     [](AppParts&, TestApp& a) {
         a.Settings().block1[kThreadedMode] = 1;
         a.failThreadStart = true;
     },
     14, "ゲームスレッドの開始に失敗", MB_ICONHAND},
};

TEST(FrameworkAppStartup, FailuresEndWithTheirCodeAndBox) {
    for (const StartCase& c : kStartCases) {
        SCOPED_TRACE(c.name);
        AppParts parts;
        Watchdog watchdog(120000);
        {
            TestApp app(parts);
            c.arrange(parts, app);
            EXPECT_EQ(c.code, app.Run(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW));
            EXPECT_FALSE(app.MainWindow().Exists());
        }
        if (c.box[0] == '\0') {
            EXPECT_TRUE(parts.platform.boxes.empty());
        } else {
            ASSERT_EQ(1u, parts.platform.boxes.size());
            EXPECT_EQ(c.box, parts.platform.boxes[0].text);
            EXPECT_EQ(GetDesktopWindow(), parts.platform.boxes[0].owner);
            EXPECT_EQ(c.boxType | MB_OK | kDesktopBox, parts.platform.boxes[0].type);
        }
    }
}

TEST(FrameworkAppStartup, TitleClassAlreadyRegisteredFailsWith11) {
    AppParts parts;
    Watchdog watchdog(120000);
    TestApp app(parts);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = app.title.c_str();
    ASSERT_NE(0, RegisterClassExA(&wc));
    EXPECT_EQ(11, app.Run(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW));
    ASSERT_EQ(1u, parts.platform.boxes.size());
    EXPECT_EQ("ウィンドウの作成に失敗", parts.platform.boxes[0].text);
}

TEST(FrameworkAppStartup, MissingDisplayModesFallBackToWindowOnly) {
    AppParts parts;
    Watchdog watchdog(120000);
    TestApp app(parts);
    parts.screen.enumerateResult = 1;
    app.Settings().screenMode = 1;
    ASSERT_EQ(0, app.Initialize());
    ASSERT_EQ(1u, parts.platform.boxes.size());
    EXPECT_EQ("ディスプレイデバイスの情報取得に失敗しました。\nウィンドウモードのみ利用可能です。",
              parts.platform.boxes[0].text);
    EXPECT_EQ(UINT(MB_ICONEXCLAMATION | kDesktopBox), parts.platform.boxes[0].type);
    EXPECT_EQ(0, app.Description().screenMode);
    EXPECT_EQ(2, app.Settings().screenMode);
    EXPECT_EQ(0, app.windowFlags & 4);
    EXPECT_TRUE(parts.screen.Called("ChangeMode window"));
    app.Exit(0);
}

TEST(FrameworkAppStartup, FullScreenOnlyDescriptionOverridesAWindowedPlayer) {
    AppParts parts;
    Watchdog watchdog(120000);
    TestApp app(parts);
    app.Description().screenMode = 1;
    app.Settings().screenMode = 2;
    ASSERT_EQ(0, app.Initialize());
    EXPECT_TRUE(parts.screen.Called("ChangeMode full"));
    EXPECT_EQ(1, app.Settings().screenMode);
    app.Exit(0);
}

TEST(FrameworkAppStartup, Direct3DFailureRetriesAndExitReportsFatalTwo) {
    AppParts parts;
    Watchdog watchdog(120000);
    TestApp app(parts);
    parts.screen.direct3D = true;
    parts.screen.changeResults = {4};
    EXPECT_EQ(0, app.Run(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW));
    EXPECT_TRUE(parts.screen.Called("ClearAcceleratedChoices"));
    EXPECT_EQ(2, app.fatalError);
    ASSERT_EQ(1u, parts.platform.boxes.size());
    EXPECT_EQ("予期せぬエラーが発生したため、強制終了しました。ErrorCode：2", parts.platform.boxes[0].text);
}

TEST(FrameworkAppStartup, LogThatCannotBeCreatedFailsWith6) {
    AppParts parts;
    Watchdog watchdog(120000);
    testsupport::TempFolder folder;
    // A folder where the file should be stops every user, root included.
    ASSERT_TRUE(CreateDirectoryA(folder.File("SYS_LOG.TXT").c_str(), nullptr));
    TestApp app(parts);
    app.Settings().block1[kWriteStartupLog] = 1;
    app.Description().saveFolderMode = 0;
    app.saveFolder = folder.Path();
    EXPECT_EQ(6, app.Run(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW));
    ASSERT_EQ(1u, parts.platform.boxes.size());
    EXPECT_EQ("ログファイルの作成に失敗", parts.platform.boxes[0].text);
}

TEST(FrameworkAppStartup, RealWindowStartupWritesTheLogAndExitsCleanly) {
    AppParts parts;
    Watchdog watchdog(180000);
    testsupport::TempFolder folder;
    TestApp app(parts);
    app.Settings().block1[kWriteStartupLog] = 1;
    app.Description().saveFolderMode = 0;
    app.saveFolder = folder.Path();
    // The features the player turned off are still shown as the processor has them.
    DetectProcessor();
    CpuRecordGuard cpuGuard;
    g_cpuInfo.mmx = g_cpuInfo.sse = 1;
    app.Settings().block1[kAllowMmx] = 0;
    app.Settings().block1[kAllowSse] = 0;
    ASSERT_EQ(0, app.Initialize());
    HWND window = app.MainWindow().Handle();
    char text[128] = {};
    GetClassNameA(window, text, sizeof(text));
    EXPECT_EQ(app.title, text);
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_EQ(app.title, text);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(240, client.bottom);
    EXPECT_EQ(FALSE, parts.platform.screenSaver);
    EXPECT_EQ(FALSE, parts.platform.lowPower);
    ASSERT_EQ(1u, parts.platform.executionStates.size());
    EXPECT_EQ(EXECUTION_STATE(ES_CONTINUOUS | ES_SYSTEM_REQUIRED), parts.platform.executionStates[0]);
    EXPECT_EQ(0, g_cpuInfo.mmx);
    EXPECT_EQ(0, g_cpuInfo.sse);

    app.Exit(0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TRUE, parts.platform.screenSaver);
    EXPECT_EQ(TRUE, parts.platform.lowPower);
    EXPECT_EQ(FALSE, parts.platform.powerOff);
    ASSERT_EQ(2u, parts.platform.executionStates.size());
    EXPECT_EQ(EXECUTION_STATE(ES_CONTINUOUS | ES_DISPLAY_REQUIRED), parts.platform.executionStates[1]);
    EXPECT_TRUE(parts.platform.boxes.empty());

    std::ifstream file(folder.File("SYS_LOG.TXT"), std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    const std::string log = content.str();
    EXPECT_EQ(0u, log.find("< Initialize Start...  "));
    EXPECT_NE(std::string::npos, log.find("[ Input Window Message ]\r\nJoyStick: None\r\n"));
    EXPECT_NE(std::string::npos, log.find("[ Window Mode ]\r\n< GDI >\r\n"));
    EXPECT_NE(std::string::npos, log.find("\r\n< Initialize Done...  "));
    EXPECT_NE(std::string::npos, log.find("          MMX ○ / SSE ○ / SSE2 "));
}

TEST(FrameworkAppStartup, DescriptionAndSettingsComeFromTheProgramFolder) {
    testsupport::TempFolder folder;
    std::vector<std::uint8_t> record = testsupport::DefaultAppSysRecord();
    record[0] = 400 & 0xFF;
    record[1] = 400 >> 8;
    record[2] = 300 & 0xFF;
    record[3] = 300 >> 8;
    record[18] = 0;  // no single-instance mutex
    record[21] = 0;  // the start-up log goes into the save folder
    ASSERT_TRUE(testsupport::WriteFile(folder.File("SCRIPT\\QL_APP.SYS"), testsupport::BuildAppSysFile(record)));
    testsupport::UserCfgBlocks cfg;
    const PlayerSettings defaults;
    cfg.blocks[0].assign(defaults.block1, defaults.block1 + sizeof(defaults.block1));
    cfg.blocks[0].resize(72, 0);
    cfg.blocks[0][kInputMethod] = 1;
    cfg.blocks[0][kJoysticks] = 0;
    cfg.blocks[0][kWriteStartupLog] = 1;
    cfg.blocks[0][kDisplayCanvas] = 2;
    // Window mode at (30, 40), a menu delay of 250 ms.
    cfg.blocks[1] = {2, 3, 30, 0, 0, 0, 40, 0, 0, 0, 1, 250, 0, 0};
    cfg.blocks[2].assign(17, 0);
    ASSERT_TRUE(testsupport::WriteFile(folder.File("USER.CFG"), testsupport::BuildUserCfgFile(cfg)));

    AppParts parts;
    Watchdog watchdog(180000);
    const std::string savedBase = GetBaseDirectory();
    ASSERT_EQ(0, SetBaseDirectory(folder.Path().c_str()));
    apptest::FileSettingsApp app(parts);
    SetBaseDirectory(savedBase.c_str());
    app.saveFolder = folder.Path();
    ASSERT_EQ(0, app.Initialize());
    EXPECT_EQ(folder.Path(), app.ProgramFolder());
    HWND window = app.MainWindow().Handle();
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(400, client.right);
    EXPECT_EQ(300, client.bottom);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(30, outer.left);
    EXPECT_EQ(40, outer.top);
    EXPECT_EQ(0, app.Description().singleInstance);
    EXPECT_EQ(250, app.Settings().menuRevealDelay);
    EXPECT_TRUE(parts.screen.Called("CreateCanvas 2"));
    EXPECT_TRUE(parts.screen.Called("ChangeMode window"));
    app.Exit(0);

    const std::vector<std::uint8_t> bytes = testsupport::ReadFile(folder.File("SYS_LOG.TXT"));
    const std::string log(bytes.begin(), bytes.end());
    EXPECT_NE(std::string::npos, log.find("[ Input Windows API ]\r\n"));
    EXPECT_NE(std::string::npos, log.find("Directory: " + folder.Path() + "\r\n"));
}

TEST(FrameworkAppStartup, HandlersFollowTheRunMode) {
    struct ModeCase {
        std::uint8_t threaded;
        std::uint8_t inputMethod;
    };
    for (const ModeCase& c : {ModeCase{0, 2}, ModeCase{0, 1}, ModeCase{1, 1}}) {
        SCOPED_TRACE(testing::Message() << "threaded " << int(c.threaded) << " input " << int(c.inputMethod));
        AppParts parts;
        Watchdog watchdog(120000);
        TestApp app(parts);
        app.Settings().block1[kThreadedMode] = c.threaded;
        app.Settings().block1[kInputMethod] = c.inputMethod;
        ASSERT_EQ(0, app.Initialize());
        HWND window = app.MainWindow().Handle();
        SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
        EXPECT_EQ(c.threaded ? 0 : 1, app.inSizeMove);
        app.gameCursor = {1, 1};
        SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
        MouseDevice* mouse = app.Input().Mouse();
        ASSERT_NE(nullptr, mouse);
        if (c.inputMethod == 2) {
            EXPECT_TRUE(mouse->IsDown(0));
        }
        // 0x9005 destroys the window only in the threaded mode.
        if (!c.threaded) {
            SendMessageA(window, kMsgDestroy, 0, 0);
            EXPECT_TRUE(IsWindow(window));
        }
        app.Exit(0);
    }
}

TEST(FrameworkAppStartup, SecondInstanceEndsWith3AndRestoresTheFirst) {
    AppParts parts;
    Watchdog watchdog(120000);
    TestApp first(parts);
    first.Description().singleInstance = 1;
    ASSERT_EQ(0, first.Initialize());
    HWND window = first.MainWindow().Handle();
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));

    AppParts otherParts;
    TestApp second(otherParts);
    second.title = first.title;
    second.Description().singleInstance = 1;
    EXPECT_EQ(3, second.Initialize());
    EXPECT_TRUE(otherParts.platform.boxes.empty());
    EXPECT_FALSE(IsIconic(window));
    first.Exit(0);
}

}  // namespace
