#include "tests/support/system_report_inputs.h"

#include <cstdio>

namespace testsupport {

namespace {

template <size_t N>
void Copy(char (&out)[N], const char* text) {
    std::snprintf(out, N, "%s", text);
}

std::uint64_t Mb(std::uint64_t mb) { return mb << 20; }

}  // namespace

SystemReportInputs::SystemReportInputs() {
    drives.drives = {
        {"A:\\", DRIVE_REMOVABLE},
        {"C:\\", DRIVE_FIXED, Mb(12345678), Mb(99999999)},
        {"D:\\", DRIVE_FIXED, Mb(999), Mb(1000)},
        {"E:\\", DRIVE_CDROM},
        {"F:\\", DRIVE_REMOTE},
        {"G:\\", DRIVE_RAMDISK},
        {"H:\\", DRIVE_UNKNOWN},
    };
    drives.windowsFolder = "c:\\WINDOWS";
    processes.processes = {
        {0, "[System Process]", ""},
        {4, "System", "C:\\WINDOWS\\system32\\ntoskrnl.exe"},
        {100, "SORAHANE.EXE", "C:\\GAME\\SORAHANE.EXE"},
        {200, "locked.exe", ""},
    };
    displaySource.AddMonitor(RECT{0, 0, 1024, 768});
    displaySource.AddMonitor(RECT{1024, 0, 2304, 1024});
    displaySource.monitors[1].refresh = 0;

    Copy(cpu.vendor, "GenuineIntel");
    Copy(cpu.brand, "Intel(R) Pentium(R) 4 CPU 2.40GHz");
    Copy(cpu.modelName, "Pentium 4");
    cpu.family = 15;
    cpu.model = 2;
    cpu.stepping = 9;
    cpu.traceCacheKuops = 12;
    cpu.l1DataKb = 8;
    cpu.l2Kb = 512;
    cpu.fpu = cpu.tsc = cpu.cmov = cpu.mmx = cpu.mmxExt = cpu.sse = cpu.sse2 = cpu.hyperThreading = 1;

    ReportApplicationValues& app = devices.application;
    app.versionMajor = 1;
    app.versionMinor = 5;
    app.versionLetter = 10;
    app.productName = "空羽テスト";
    app.notice = "(C) TEST";
    app.webAddress = "http://example.jp/";
    app.direct3DSetting = true;
    app.inputMethod = 0;

    ReportScreenValues& screen = devices.screen;
    screen.hasDirectDraw = true;
    screen.totalVideoMemory = 64u << 20;
    screen.freeVideoMemory = 16u << 20;
    screen.presentationSet = true;
    screen.presentMode = 1;
    screen.adapterDescription = "Fake Video";
    screen.driverFile = "fake.dll";
    screen.driverVersionHigh = 0x00060005;
    screen.driverVersionLow = 0x00010002;
    screen.driverCaps = 0x200;
    screen.hasPrimarySurface = true;
    screen.primaryCaps = 0x10000200;
    screen.backCaps = 0x00000804;
    screen.direct3DKind = 2;
    screen.vsyncMode = 3;
    screen.screenMode = 2;
    screen.pixelDepth = 32;
    screen.pixelFormatCode = 3;
    screen.redBits = screen.greenBits = screen.blueBits = 8;
    screen.redMask = 0x00FF0000;
    screen.greenMask = 0x0000FF00;
    screen.blueMask = 0x000000FF;
    screen.alphaBlending = true;
    screen.alphaTest = true;
    screen.textureStages = 8;
    screen.minTextureWidth = screen.minTextureHeight = 1;
    screen.maxTextureWidth = screen.maxTextureHeight = 2048;
    screen.textureCaps = 0x22;
    screen.textureOpCaps = 0x00FFFFFF;
    screen.sourceBlendCaps = 0x1FFF;
    screen.destBlendCaps = 0x1FFF;
    screen.textureFormats = 0x4 | 0x8 | 0x100;

    devices.sound.hasDirectSound = true;
    devices.sound.outputs = {{false, "Primary Sound Driver", ""},
                             {true, "Fake Audio A", "fakea.sys"},
                             {true, "Fake Audio B", "fakeb.sys"}};

    ReportInputValues& input = devices.input;
    input.keyboardKeys = 256;
    input.mouseAxes = 3;
    input.mouseButtons = 5;
    input.hasJoystick = true;
    input.joystickNumber = 1;
    input.joystickName = "Fake Pad";
    input.joystickAxes = 2;
    input.joystickButtons = 8;

    sources.system = &systemSource;
    sources.drives = &drives;
    sources.processes = &processes;
    sources.measureClockMhz = [] { return 2394.6; };
    Rebuild();
}

void SystemReportInputs::Rebuild() {
    system = std::make_unique<SystemInfo>(systemSource);
    display = std::make_unique<DisplayInfo>(displaySource);
    frameRate = std::make_unique<FrameRateController>(60, true, clock);
    frameRate->SetSkipEnabled(false);
}

std::string SystemReportInputs::Format(bool detailed) {
    return FormatSystemReport(detailed, *system, cpu, devices, *frameRate, display.get(), sources);
}

}  // namespace testsupport
