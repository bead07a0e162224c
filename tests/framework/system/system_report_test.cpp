#include "framework/system/system_report.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/files/path_utilities.h"
#include "tests/support/system_report_inputs.h"

using testsupport::SystemReportInputs;

namespace {

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

std::string SystemPart() {
    return std::string(
               "「空羽テスト」Version 1.05a\r\n"
               "(C) TEST\r\n"
               "http://example.jp/\r\n"
               "\r\n------ システム ------\r\n"
               "OS              : Windows XP Professional (5.01.2600 Service Pack 2) 日本語\r\n"
               "DirectX         : DirectX 9 (4.09.00.0904)\r\n");
}

std::string MachinePart() {
    return std::string(
               "メモリ          : 512MB (300MB 使用可能)\r\n"
               "ビデオメモリ    : 64.000 MB (48.000MB 使用中 / 16.000MB 使用可能)\r\n"
               "ページファイル  : 324MB 使用中 / 700MB 使用可能\r\n"
               "ディスプレイ    : 1024x768 32bit 60Hz (Primary)\r\n"
               "                  1280x1024 32bit\r\n"
               "画面更新方法    : DirectDraw\r\n"
               "実行ファイル    : C:\\GAME\\SORAHANE.EXE\r\n"
               "作業フォルダ    : ") +
           GetBaseDirectory() +
           "\r\n高分解能タイマー: 有効\r\n"
           "フレームスキップ: 無効\r\n"
           "\r\n";
}

TEST(SystemReport, ShortReport) {
    SystemReportInputs inputs;
    const std::string expected = SystemPart() +
                                 "CPU             : Intel(R) Pentium(R) 4 CPU 2.40GHz [ Pentium 4 ]\r\n" +
                                 MachinePart() +
                                 "------ デバイス ------"
                                 "\r\nビデオカード    : Fake Video"
                                 "\r\nサウンドカード  : Fake Audio A"
                                 "\r\nDirectDraw      : HAL\r\n"
                                 "Direct3D        : T&L\r\n"
                                 "VSync待ち描画   : 有効\r\n"
                                 "DirectDraw Flip : 無効\r\n"
                                 "DirectSound     : 有効\r\n"
                                 "DirectInput     : 有効\r\n"
                                 "ジョイスティック: 有効\r\n"
                                 "MMX命令         : 使用する\r\n"
                                 "SSE命令         : 使用する\r\n";
    EXPECT_EQ(expected, inputs.Format(false));
}

TEST(SystemReport, DetailedReport) {
    SystemReportInputs inputs;
    const std::string expected = SystemPart() + MachinePart() +
                                 "------ ウィンドウモード ------\r\n"
                                 "< DirectDraw >\r\n"
                                 "ビデオカード      : Fake Video\r\n"
                                 "ドライバファイル  : fake.dll\r\n"
                                 "ドライバ Version  : 6.5.1.2\r\n"
                                 "動作モード        : HAL\r\n"
                                 "ハードウェア拡縮  : 有効\r\n"
                                 "プライマリバッファ: VRAM / Caps[0x10000200]\r\n"
                                 "バックバッファ    : システムメモリ / Caps[0x00000804]\r\n"
                                 "ピクセル情報      : 32bit Type[0x0003] RGB888/00ff0000:0000ff00:000000ff\r\n"
                                 "VSync待ち描画     : 有効\r\n"
                                 "DirectDraw Flip   : 無効\r\n"
                                 "------ Direct3D ------\r\n"
                                 "動作モード            : T&L\r\n"
                                 "αブレンディング      : 有効\r\n"
                                 "グーローαブレンド    : 無効\r\n"
                                 "αテスト              : 有効\r\n"
                                 "隠れサーフェスの除去  : 無効\r\n"
                                 "最大テクスチャステージ: 8\r\n"
                                 "最小テクスチャサイズ  : 1 x 1\r\n"
                                 "最大テクスチャサイズ  : 2048 x 2048\r\n"
                                 "テクスチャ能力        : 0x00000022\r\n"
                                 "テクスチャブレンド能力: 0x00ffffff\r\n"
                                 "転送元αブレンド能力  : 0x00001fff\r\n"
                                 "転送先αブレンド能力  : 0x00001fff\r\n"
                                 "テクスチャサイズ制限  : 幅と高さは2の二乗 / 正方形のみ\r\n"
                                 "<サポートテクスチャフォーマット>\r\n"
                                 "  16bpp   RGB    5,5,5\r\n"
                                 "  16bpp   RGB    5,6,5\r\n"
                                 "  32bpp  ARGB  8,8,8,8\r\n"
                                 "\r\n"
                                 "------ CPU ------\r\n"
                                 "CPU情報    : Intel(R) Pentium(R) 4 CPU 2.40GHz [ Pentium 4 ]\r\n"
                                 "             Vender GenuineIntel / Type 0 / Family 15 / Model 2 / Stepping 9\r\n"
                                 "CPUクロック: 2.39GHz (2 CPU)\r\n"
                                 "キャッシュ : L1 T-Cache 12KμOPs / L1 D-Cache 8KB / L2 Cache 512KB\r\n"
                                 "拡張機能   : FPU ○ / TSC ○ / CMOV ○\r\n"
                                 "             MMX ○ / SSE ○ / SSE2 ○ / SSE3 ×\r\n"
                                 "             MMX+ × / 3DNow! × / 3DNow!+ × / HTT ○\r\n"
                                 "\r\n"
                                 "----- DirectSound -----\r\n"
                                 "DirectSound状態 : 有効\r\n"
                                 "サウンドカード  : Fake Audio A\r\n"
                                 "ドライバファイル: fakea.sys\r\n"
                                 "※複数のサウンドデバイスが接続されています。\r\n"
                                 "\r\n----- 入力デバイス -----\r\n"
                                 "入力検知方式    : DirectInput\r\n"
                                 "キーボード      : 256 キー\r\n"
                                 "マウス          : 3 軸 / 5 ボタン\r\n"
                                 "ジョイスティック: No.1 / Fake Pad / 2 軸 / 8 ボタン\r\n"
                                 "\r\n----- ドライブ情報 -----\r\n"
                                 " [A:\\] リムーバブルドライブ\r\n"
                                 " [C:\\]  12,345,678 /  99,999,999 MB (c:\\WINDOWS)\r\n"
                                 " [D:\\]         999 /       1,000 MB\r\n"
                                 " [E:\\] CD/DVD-ROM ドライブ\r\n"
                                 " [F:\\] ネットワークドライブ\r\n"
                                 " [G:\\] RAM-DISK ドライブ\r\n"
                                 " [H:\\] 不明\r\n"
                                 "\r\n----- プロセス -----\r\n"
                                 "C:\\WINDOWS\\system32\\ntoskrnl.exe\r\n"
                                 "C:\\GAME\\SORAHANE.EXE\r\n";
    EXPECT_EQ(expected, inputs.Format(true));
}

TEST(SystemReport, ShortReportNeverListsDrivesOrProcesses) {
    SystemReportInputs inputs;
    int measured = 0;
    inputs.sources.measureClockMhz = [&measured] { return ++measured, 1000.0; };
    const std::string text = inputs.Format(false);
    EXPECT_FALSE(Has(text, "ドライブ情報"));
    EXPECT_FALSE(Has(text, "C:\\WINDOWS\\system32"));
    EXPECT_FALSE(Has(text, "プロセス"));
    EXPECT_EQ(0, measured);
}

TEST(SystemReport, DisplayLines) {
    SystemReportInputs inputs;
    // One monitor: no " (Primary)".
    inputs.displaySource.monitors.pop_back();
    inputs.displaySource.devices.pop_back();
    inputs.displaySource.monitors[0].refresh = 75;
    inputs.Rebuild();
    EXPECT_TRUE(Has(inputs.Format(false), "ディスプレイ    : 1024x768 32bit 75Hz\r\n画面更新方法"));

    // No records: SystemInfo's screen, refresh left out when 0.
    inputs.displaySource.monitors.clear();
    inputs.systemSource.screen = SIZE{800, 600};
    inputs.systemSource.bitsPerPixel = 16;
    inputs.systemSource.refresh = 0;
    inputs.Rebuild();
    EXPECT_TRUE(Has(inputs.Format(false), "ディスプレイ    : 800x600 16bit\r\n"));
    inputs.systemSource.refresh = 85;
    inputs.Rebuild();
    EXPECT_TRUE(Has(inputs.Format(false), "ディスプレイ    : 800x600 16bit 85Hz\r\n"));
    EXPECT_TRUE(Has(FormatSystemReport(false, *inputs.system, inputs.cpu, inputs.devices, *inputs.frameRate,
                                       nullptr, inputs.sources),
                    "ディスプレイ    : 800x600 16bit 85Hz\r\n"));
}

TEST(SystemReport, SoundListFilledOnlyByTheDetailedReport) {
    SystemReportInputs inputs;
    inputs.devices.sound.outputs.clear();
    int fills = 0;
    inputs.devices.fillSoundOutputs = [&fills](std::vector<ReportSoundOutput>& list) {
        ++fills;
        list.push_back({false, "Primary Sound Driver", ""});
        list.push_back({true, "Filled Card", "filled.sys"});
    };
    const std::string shortText = inputs.Format(false);
    EXPECT_EQ(0, fills);
    EXPECT_TRUE(Has(shortText, "\r\nサウンドカード  : 不明\r\n"));

    const std::string detailed = inputs.Format(true);
    EXPECT_EQ(1, fills);
    EXPECT_TRUE(Has(detailed, "サウンドカード  : Filled Card\r\nドライバファイル: filled.sys\r\n\r\n"));
    EXPECT_FALSE(Has(detailed, "※"));
    // A list that is not empty is not filled again.
    inputs.Format(true);
    EXPECT_EQ(1, fills);
    // Only the primary driver: no card named.
    inputs.devices.sound.outputs.pop_back();
    EXPECT_TRUE(Has(inputs.Format(false), "\r\nサウンドカード  : \r\nDirectDraw"));
}

TEST(SystemReport, EmptySoundListIsUnavailable) {
    SystemReportInputs inputs;
    inputs.devices.sound.outputs.clear();
    EXPECT_TRUE(Has(inputs.Format(true), "----- DirectSound -----\r\n利用できません\r\n\r\n----- 入力デバイス"));
}

TEST(SystemReport, ScreenSectionsFollowTheDevice) {
    SystemReportInputs inputs;
    ReportScreenValues& screen = inputs.devices.screen;
    screen.screenMode = 1;
    screen.usesMonitorRecord = true;
    screen.monitorName = "\\\\.\\DISPLAY2";
    screen.fullScreenWidth = 1280;
    screen.fullScreenHeight = 1024;
    screen.fullScreenDepth = 32;
    screen.fullScreenModeHeld = true;
    screen.vsyncMode = 2;
    screen.driverCaps = 0x2000000;
    std::string text = inputs.Format(true);
    EXPECT_TRUE(Has(text, "------ フルスクリーンモード ------\r\nディスプレイ      : \\\\.\\DISPLAY2\r\n"
                          "                    1280x1024 32bit\r\n< DirectDraw >"));
    EXPECT_TRUE(Has(text, "動作モード        : HEL\r\nハードウェア拡縮  : 無効\r\n"));
    EXPECT_TRUE(Has(text, "DirectDraw Flip   : 有効\r\n"));
    EXPECT_TRUE(Has(inputs.Format(false), "DirectDraw      : HEL\r\n"));

    screen.usesMonitorRecord = false;
    screen.fullScreenWidth = 800;
    screen.fullScreenHeight = 600;
    screen.fullScreenDepth = 16;
    EXPECT_TRUE(Has(inputs.Format(true), "ディスプレイ      : 800x600 16bit\r\n< DirectDraw >"));

    // Direct3D presentation without the Direct3D setting.
    inputs.devices.application.direct3DSetting = false;
    screen.presentMode = 2;
    screen.presentTextureWidth = 1024;
    screen.presentTextureHeight = 512;
    screen.presentTextureFormat = 0x15;
    screen.directBlit = true;
    text = inputs.Format(true);
    EXPECT_TRUE(Has(text, "DirectDraw Flip   : 有効\r\n< Direct3D >\r\nテクスチャ        : 1024x512 Type[0x0015]\r\n"
                          "テクスチャ直接転送: 有効\r\n\r\n------ CPU"));
    EXPECT_FALSE(Has(text, "------ Direct3D"));
    EXPECT_FALSE(Has(inputs.Format(false), "Direct3D        :"));

    // Without DirectDraw.
    screen.hasDirectDraw = false;
    text = inputs.Format(true);
    EXPECT_TRUE(Has(text, "ディスプレイ      : 800x600 16bit\r\nGDI描画\r\n\r\n------ CPU"));
    EXPECT_TRUE(Has(text, "ビデオメモリ    : 64.000 MB\r\n"));
    const std::string shortText = inputs.Format(false);
    EXPECT_TRUE(Has(shortText, "------ デバイス ------\r\nサウンドカード  : Fake Audio A\r\nDirectDraw      : 未初期化\r\n"));

    // Unknown video memory leaves its line out.
    screen.totalVideoMemory = 0;
    EXPECT_FALSE(Has(inputs.Format(false), "ビデオメモリ"));
}

TEST(SystemReport, InputMethodsAndMissingJoystick) {
    SystemReportInputs inputs;
    inputs.devices.input.hasJoystick = false;
    inputs.devices.application.inputMethod = 1;
    std::string text = inputs.Format(true);
    EXPECT_TRUE(Has(text, "入力検知方式    : Windows API\r\nジョイスティック: 無効\r\n\r\n"));
    inputs.devices.application.inputMethod = 2;
    text = inputs.Format(true);
    EXPECT_TRUE(Has(text, "入力検知方式    : Window Message\r\nジョイスティック: 無効\r\n\r\n"));
    text = inputs.Format(false);
    EXPECT_TRUE(Has(text, "DirectInput     : 無効\r\nジョイスティック: 無効\r\n"));
}

TEST(SystemReport, ProcessesOnNineXAndAFailingSnapshot) {
    SystemReportInputs inputs;
    inputs.systemSource.SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE, " A ");
    inputs.Rebuild();
    EXPECT_TRUE(Has(inputs.Format(true), "\r\n----- プロセス -----\r\n[System Process]\r\nSystem\r\n"
                                         "SORAHANE.EXE\r\nlocked.exe\r\n"));
    inputs.processes.snapshotFails = true;
    const std::string text = inputs.Format(true);
    const std::string tail = "\r\n----- プロセス -----\r\nスナップショットの作成に失敗\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(tail, text.substr(text.size() - tail.size()));
}

TEST(SystemReport, HeaderWithoutLetterNoticeOrAddress) {
    SystemReportInputs inputs;
    inputs.devices.application.versionLetter = 0;
    inputs.devices.application.notice.clear();
    inputs.devices.application.webAddress.clear();
    EXPECT_EQ(0u, inputs.Format(false).find("「空羽テスト」Version 1.05\r\n\r\n------ システム ------\r\n"));
}

TEST(SystemReport, UnknownClockAndDirectX) {
    SystemReportInputs inputs;
    inputs.sources.measureClockMhz = [] { return 0.0; };
    inputs.systemSource.hasDirectX = false;
    inputs.Rebuild();
    const std::string text = inputs.Format(true);
    EXPECT_TRUE(Has(text, "CPUクロック: ？？MHz (2 CPU)\r\n"));
    EXPECT_TRUE(Has(text, "DirectX         : Unknown\r\n"));
}

// A hidden edit control of the kind the version dialog shows the report in.
class ReportEdit {
public:
    ReportEdit()
        : m_edit(CreateWindowExA(0, "EDIT", "old text", WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 400, 300,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}
    ~ReportEdit() { DestroyWindow(m_edit); }
    HWND Handle() const { return m_edit; }
    std::string Text() const {
        const int length = GetWindowTextLengthA(m_edit);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        const LRESULT copied = SendMessageA(m_edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(copied));
        return text;
    }

private:
    HWND m_edit;
};

TEST(SystemReport, GoesIntoTheEditControlWithTheCaretAtTheStart) {
    for (bool detailed : {false, true}) {
        SystemReportInputs inputs;
        const std::string expected = inputs.Format(detailed);
        ReportEdit edit;
        ASSERT_NE(nullptr, edit.Handle());
        BuildSystemReport(edit.Handle(), detailed, *inputs.system, inputs.cpu, inputs.devices, *inputs.frameRate,
                          inputs.display.get(), inputs.sources);
        EXPECT_EQ(expected, edit.Text()) << detailed;
        DWORD start = 1, end = 1;
        SendMessageA(edit.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(0u, end);
    }
}

TEST(SystemReport, LongReportIsNotCutByTheControl) {
    SystemReportInputs inputs;
    for (DWORD id = 1000; id < 2500; ++id) {
        inputs.processes.processes.push_back({id, "p.exe", "C:\\Program Files\\Long Vendor Name\\p" + std::to_string(id) + ".exe"});
    }
    const std::string expected = inputs.Format(true);
    ASSERT_GT(expected.size(), 60000u);
    ReportEdit edit;
    BuildSystemReport(edit.Handle(), true, *inputs.system, inputs.cpu, inputs.devices, *inputs.frameRate,
                      inputs.display.get(), inputs.sources);
    EXPECT_EQ(expected, edit.Text());
}

TEST(SystemReport, RealMachineReportHasEverySection) {
    DetectProcessor();
    SystemInfo system;
    DisplayInfo display;
    FrameRateController frameRate(60, true);
    DeviceReportValues devices;
    SystemReportSources sources;
    sources.measureClockMhz = [] { return 1500.0; };
    const std::string text = FormatSystemReport(true, system, g_cpuInfo, devices, frameRate, &display, sources);
    for (const char* section : {"------ システム ------", "------ ウィンドウモード ------", "GDI描画", "------ CPU ------",
                                "----- DirectSound -----", "----- 入力デバイス -----", "----- ドライブ情報 -----",
                                "----- プロセス -----"}) {
        EXPECT_TRUE(Has(text, section)) << section;
    }
    EXPECT_TRUE(Has(text, "実行ファイル    : " + ReadProgramPath(RealSystemSource()) + "\r\n"));
}

}  // namespace
