#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/system/cpu_info.h"
#include "tests/framework/app/app_test_fixture.h"
#include "tests/support/win_test_env.h"

using apptest::AppParts;
using apptest::TestApp;

namespace {

class LogFixture : public testing::Test {
protected:
    void SetUp() override {
        saved = g_cpuInfo;
        CpuInfoRecord cpu = {};
        std::strcpy(cpu.vendor, "GenuineIntel");
        std::strcpy(cpu.brand, "Intel(R) Pentium(R) 4 CPU 2.40GHz");
        std::strcpy(cpu.modelName, "Pentium 4");
        cpu.traceCacheKuops = 12;
        cpu.l1DataKb = 8;
        cpu.l2Kb = 512;
        cpu.family = 15;
        cpu.model = 2;
        cpu.stepping = 9;
        cpu.fpu = cpu.tsc = cpu.cmov = cpu.mmx = cpu.sse = cpu.sse2 = cpu.hyperThreading = 1;
        g_cpuInfo = cpu;

        parts.display.AddMonitor({1024, 0, 1024 + 1280, 1024});
        drives.drives = {{"C:\\", DRIVE_FIXED, 1000ull << 20, 40000ull << 20}, {"D:\\", DRIVE_CDROM}};
        processes.processes = {{0, "[System Process]", ""}, {4, "System", ""},
                               {100, "explorer.exe", "C:\\WINDOWS\\explorer.exe"}};
    }
    void TearDown() override { g_cpuInfo = saved; }

    void Arrange(TestApp& app) {
        app.SetTexts("ソラハネ", "ソラハネ", "notice line", "http://example.invalid/");
        app.Description().versionMajor = 1;
        app.Description().versionMinor = 2;
        app.Description().versionLetter = 10;
        app.Settings().block1[kMeasureClock] = 1;
        app.Display().Refresh();
        app.Display().ReadAdapterNames();
        int* calls = &timeCalls;
        app.logSources.localTime = [calls] {
            SYSTEMTIME t = {};
            t.wYear = 2026;
            t.wMonth = 12;
            t.wDay = 10;
            t.wHour = 9;
            t.wMinute = 5;
            t.wSecond = static_cast<WORD>(7 + 2 * (*calls)++);
            return t;
        };
        app.logSources.drives = &drives;
        app.logSources.processes = &processes;
        app.logSources.windowTitles = [] { return std::vector<std::string>{"ソラハネ", "メモ帳"}; };
        app.logSources.measureClockMhz = [] { return 2394.0; };
        app.logSources.programFolder = "C:\\GAME\\";
    }

    CpuInfoRecord saved;
    AppParts parts;
    testsupport::FakeDriveSource drives;
    testsupport::FakeProcessSource processes;
    int timeCalls = 0;
};

TEST_F(LogFixture, GoldenLog) {
    TestApp app(parts);
    Arrange(app);
    StartupLog log(app);

    ReportInputValues input;
    input.keyboardKeys = 256;
    input.mouseAxes = 3;
    input.mouseButtons = 4;
    input.hasJoystick = true;
    input.joystickNumber = 1;
    input.joystickName = "Pad";
    input.joystickAxes = 2;
    input.joystickButtons = 10;
    std::vector<ReportSoundOutput> outputs = {{false, "プライマリ サウンド ドライバ", ""},
                                              {true, "Null Output", "null.drv"},
                                              {true, "Second Card", "card2.drv"}};
    ReportScreenValues screen;
    screen.hasDirectDraw = true;
    screen.screenMode = 1;
    screen.usesMonitorRecord = true;
    screen.monitorName = "Fake Display Adapter";
    screen.fullScreenWidth = 800;
    screen.fullScreenHeight = 600;
    screen.fullScreenDepth = 32;
    screen.adapterDescription = "Mesa";
    screen.driverFile = "mesa.drv";
    screen.driverVersionHigh = 0x00060005;
    screen.driverVersionLow = 0x00010A28;
    screen.driverCaps = 0;
    screen.totalVideoMemory = 64u << 20;
    screen.freeVideoMemory = 48u << 20;
    screen.hasPrimarySurface = true;
    screen.primaryCaps = 0x4200;
    screen.backCaps = 0x800;
    screen.pixelDepth = 32;
    screen.pixelFormatCode = 0x0888;
    screen.redBits = screen.greenBits = screen.blueBits = 8;
    screen.redMask = 0xFF0000;
    screen.greenMask = 0xFF00;
    screen.blueMask = 0xFF;
    screen.direct3DKind = 1;
    screen.textureFormats = 0x8 | 0x100;
    screen.textureStages = 8;
    screen.minTextureWidth = screen.minTextureHeight = 1;
    screen.maxTextureWidth = screen.maxTextureHeight = 2048;
    screen.alphaBlending = true;
    screen.textureCaps = 0x102;
    screen.textureOpCaps = 0x1;
    screen.sourceBlendCaps = 0x2;
    screen.destBlendCaps = 0x3;
    PlayerSettings settings;
    settings.block1[kDirect3DDetail] = 1;
    settings.block1[kDepthBuffer] = 16;

    // In the order start-up writes them: the two time stamps differ.
    std::string text = log.MachineText();
    text += StartupLog::DevicesText(input, 0, outputs);
    text += StartupLog::ScreenText(screen, false, settings);
    text += log.ClosingText();
    const std::string expected =
        "< Initialize Start...  2026/12/10  09:05:07 >\r\n\r\n"
        "「ソラハネ」Version 1.02a\r\nnotice line\r\nhttp://example.invalid/\r\n"
        "\r\n[ System ]\r\nOS       : Windows XP Professional (5.01.2600 Service Pack 2)\r\n"
        "Language : 日本語\r\nMemory   : 512MB (Avail 300MB)\r\n"
        "Display  : 1024 x 768  32bit 60Hz (Primary)\r\n           1280 x 1024  32bit 60Hz\r\n"
        "DirectX  : DirectX 9 (4.09.00.0904)"
        "\r\nPageFile : 1024MB (Avail 700MB)\r\nModule   : C:\\GAME\\SORAHANE.EXE\r\nDirectory: C:\\GAME\\\r\n\r\n\r\n"
        "[ CPU ]\r\nName    : Intel(R) Pentium(R) 4 CPU 2.40GHz [ Pentium 4 ]\r\nVender  : GenuineIntel\r\n"
        "          Type 0 / Family 15 / Model 2 / Stepping 9\r\n"
        "CpuClock: 2.39GHz (2 CPU)\r\n"
        "Cache   : L1 T-Cache 12KμOPs / L1 D-Cache 8KB / L2 Cache 512KB"
        "\r\nSupport : FPU ○ / TSC ○ / CMOV ○\r\n"
        "          MMX ○ / SSE ○ / SSE2 ○ / SSE3 × / MMX+ × / 3DNow! × / 3DNow!+ × / HTT ○\r\n\r\n\r\n"
        "[ DirectInput ]\r\nKeyBoard: 256 Key\r\nMouse   : 3 Axes / 4 Button"
        "\r\nJoyStick: No.1 / Pad / 2 Axes / 10 Button\r\n\r\n\r\n"
        "[ DirectSound ]\r\n<Device 1>\r\nDriver Name: Null Output\r\nDriver File: null.drv\r\n"
        "<Device 2>\r\nDriver Name: Second Card\r\nDriver File: card2.drv\r\n\r\n\r\n"
        "[ FullScreen Mode ]\r\nDisplay : Fake Display Adapter\r\n          800 x 600  32bit\r\n"
        "< DirectDraw >\r\nDriver Name   : Mesa\r\nDriver File   : mesa.drv\r\nDriver Version: 6.5.1.2600\r\n"
        "DirectDraw    : HAL\r\nHAL StretchBlt: No \r\n"
        "VideoMemory   : 64.000 MB (free: 48.000 MB)\r\n"
        "Primary       : VRAM[Yes]  Caps[0x00004200]\r\n"
        "Secondary     : VRAM[No ]  Caps[0x00000800]\r\n"
        "Pixel         : 32bit  Type[0x0888]  RGB 888 / 00ff0000:0000ff00:000000ff\r\n"
        "< Direct3D >\r\nDevice : HAL\r\nZBuffer: 16bit\r\n"
        "\r\n<Support Texture>\r\n16bpp   RGB    5,6,5\r\n32bpp  ARGB  8,8,8,8\r\n"
        "\r\nMax Texture Stages: 8\r\nMin Texture Size  : 1 x 1\r\nMax Texture Size  : 2048 x 2048\r\n\r\n"
        "DrawPrimitiveVertex: Yes\r\nGouraudAlpha       : No\r\nAlphaTest          : No\r\nZBufferLessHSR     : No\r\n"
        "\r\n<Caps>\r\nTextureCaps  : 0x00000102\r\nTextureOpCaps: 0x00000001\r\nSrcBlendCaps : 0x00000002\r\n"
        "DestBlendCaps: 0x00000003\r\n"
        "\r\n<Texture Limitation>\r\nThe square of 2\r\nNo Limitation\r\n\r\n\r\n"
        "\r\n\r\n"
        "[ Drive Info ]\r\n [C:\\]       1,000 /      40,000 MB (C:\\WINDOWS)\r\n [D:\\] CD/DVD-ROM Drive\r\n"
        "\r\n\r\n[ Application ]\r\nソラハネ\r\nメモ帳\r\n"
        "\r\n\r\n[ Process ]\r\nC:\\WINDOWS\\explorer.exe\r\n"
        "\r\n< Initialize Done...  2026/12/10  09:05:09 >\r\n";
    EXPECT_EQ(expected, text);
    // The marks in the code page of the file.
    EXPECT_NE(std::string::npos, text.find("FPU \x81\x9B"));
    EXPECT_NE(std::string::npos, text.find("SSE3 \x81\x7E"));
    EXPECT_NE(std::string::npos, text.find("12K\x83\xCAOPs"));
    EXPECT_EQ(0u, text.find("< Initialize Start...  2026/12/10  09:05:07 >\r\n\r\n\x81\x75"));
    EXPECT_NE(std::string::npos, text.find("\x81\x76Version 1.02a"));
}

TEST_F(LogFixture, AnUnmeasuredClockIsWrittenWithQuestionMarks) {
    TestApp app(parts);
    Arrange(app);
    app.logSources.measureClockMhz = [] { return 0.0; };
    const std::string machine = StartupLog(app).MachineText();
    EXPECT_NE(std::string::npos, machine.find("CpuClock: \x81\x48\x81\x48MHz (2 CPU)\r\n"));
}

TEST_F(LogFixture, TheFileGoesWhereTheSaveFolderModeSays) {
    struct FolderCase {
        const char* name;
        std::uint8_t mode;
        bool saveFolderGiven;
        bool inSaveFolder;
    };
    const FolderCase cases[] = {
        {"mode 1 ignores the save folder", 1, true, false},
        {"mode 0 with a save folder", 0, true, true},
        {"mode 0 without one", 0, false, false},
        {"mode 3 with a save folder", 3, true, true},
    };
    char savedCurrent[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(MAX_PATH, savedCurrent);
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempFolder current;
        testsupport::TempFolder save;
        ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
        {
            TestApp app(parts);
            app.Description().saveFolderMode = c.mode;
            if (c.saveFolderGiven) app.saveFolder = save.Path();
            StartupLog log(app);
            EXPECT_TRUE(log.Open());
        }
        EXPECT_EQ(c.inSaveFolder, testsupport::FileExists(save.File("SYS_LOG.TXT")));
        EXPECT_EQ(!c.inSaveFolder, testsupport::FileExists(current.File("SYS_LOG.TXT")));
        SetCurrentDirectoryA(savedCurrent);
    }
}

TEST_F(LogFixture, InputAndSoundVariants) {
    struct DeviceCase {
        std::uint8_t method;
        bool joystick;
        bool sound;
        const char* expected;
    };
    const DeviceCase cases[] = {
        {1, false, false,
         "[ Input Windows API ]\r\nJoyStick: None\r\n\r\n\r\n[ DirectSound ]\r\nUnknown\r\n\r\n\r\n"},
        {2, true, false,
         "[ Input Window Message ]\r\nJoyStick: No.0 / J / 6 Axes / 2 Button\r\n\r\n\r\n[ DirectSound ]\r\n"
         "Unknown\r\n\r\n\r\n"},
        {0, false, true,
         "[ DirectInput ]\r\nKeyBoard: 106 Key\r\nMouse   : 2 Axes / 3 Button\r\nJoyStick: None\r\n\r\n\r\n"
         "[ DirectSound ]\r\n\r\n\r\n"},
    };
    for (const DeviceCase& c : cases) {
        SCOPED_TRACE(int(c.method));
        ReportInputValues input;
        input.keyboardKeys = 106;
        input.mouseAxes = 2;
        input.mouseButtons = 3;
        input.hasJoystick = c.joystick;
        input.joystickName = "J";
        input.joystickAxes = 6;
        input.joystickButtons = 2;
        std::vector<ReportSoundOutput> outputs;
        if (c.sound) outputs.push_back({false, "primary", ""});
        EXPECT_EQ(c.expected, StartupLog::DevicesText(input, c.method, outputs));
    }
}

TEST_F(LogFixture, WindowModeWithoutDirectDrawAndOneMonitor) {
    AppParts single;
    TestApp app(single);
    Arrange(app);
    app.Description().versionLetter = 0;
    app.Settings().block1[kMeasureClock] = 0;
    const std::string machine = StartupLog(app).MachineText();
    EXPECT_NE(std::string::npos, machine.find("Version 1.02\r\n"));
    EXPECT_NE(std::string::npos, machine.find("Display  : 1024 x 768  32bit 60Hz\r\nDirectX"));
    EXPECT_EQ(std::string::npos, machine.find("CpuClock"));
    EXPECT_EQ("[ Window Mode ]\r\n< GDI >\r\n\r\n\r\n",
              StartupLog::ScreenText(ReportScreenValues(), false, PlayerSettings()));
}

}  // namespace
