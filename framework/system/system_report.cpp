#include "framework/system/system_report.h"

#include "framework/files/path_utilities.h"
#include "framework/system/report_formatters.h"
#include "framework/util/string_format.h"

namespace {

// DDCAPS_NOHARDWARE, DDCAPS_BLTSTRETCH and DDSCAPS_SYSTEMMEMORY, without DirectDraw's header.
constexpr std::uint32_t kNoHardware = 0x2000000;
constexpr std::uint32_t kBltStretch = 0x200;
constexpr std::uint32_t kSystemMemory = 0x800;
// Blank column under a "xxxxxxxx: " heading, for the second and later monitors.
const char kDisplayIndent[] = "                  ";

const char* OnOff(bool on) { return on ? "有効" : "無効"; }
const char* Used(bool used) { return used ? "使用する" : "使用しない"; }
const char* Mark(std::uint8_t present) { return present != 0 ? "○" : "×"; }
const char* HalOrHel(const ReportScreenValues& screen) {
    return (screen.driverCaps & kNoHardware) != 0 ? "HEL" : "HAL";
}
const char* DeviceKind(std::uint8_t kind) {
    static const char* const kKinds[] = {"HEL", "HAL", "T&L"};
    return kind < 3 ? kKinds[kind] : "不明";
}
bool FlipsOnVSync(const ReportScreenValues& screen) {
    return screen.fullScreenModeHeld && screen.vsyncMode == 2;
}
const ReportSoundOutput* FirstWithGuid(const ReportSoundValues& sound) {
    for (const ReportSoundOutput& output : sound.outputs) {
        if (output.hasGuid) return &output;
    }
    return nullptr;
}
int Mb(SIZE_T bytes) { return static_cast<int>(static_cast<std::uint32_t>(bytes) >> 20); }
double MbExact(double bytes) { return bytes / 1048576.0; }

void AppendHeader(std::string& out, const ReportApplicationValues& app) {
    AppendFormat(out, "「%s」Version %s\r\n", app.productName.c_str(),
                 FormatApplicationVersion(app.versionMajor, app.versionMinor, app.versionLetter).c_str());
    if (!app.notice.empty()) out += app.notice + "\r\n";
    if (!app.webAddress.empty()) out += app.webAddress + "\r\n";
}

void AppendDisplays(std::string& out, const SystemInfo& system, const DisplayInfo* display) {
    out += "ディスプレイ    : ";
    if (display == nullptr || display->Monitors().empty()) {
        AppendFormat(out, "%dx%d %dbit", system.ScreenWidth(), system.ScreenHeight(), system.BitsPerPixel());
        if (system.RefreshRate() != 0) AppendFormat(out, " %dHz", system.RefreshRate());
        out += "\r\n";
        return;
    }
    const auto& monitors = display->Monitors();
    for (size_t i = 0; i < monitors.size(); ++i) {
        const MonitorRecord& monitor = monitors[i];
        if (i > 0) out += kDisplayIndent;
        AppendFormat(out, "%dx%d %dbit", static_cast<int>(monitor.rect.right - monitor.rect.left),
                     static_cast<int>(monitor.rect.bottom - monitor.rect.top), monitor.depth);
        if (monitor.refresh != 0) AppendFormat(out, " %dHz", monitor.refresh);
        if (monitor.primary && monitors.size() > 1) out += " (Primary)";
        out += "\r\n";
    }
}

void AppendSystem(std::string& out, bool detailed, const SystemInfo& system, const CpuInfoRecord& cpu,
                  const DeviceReportValues& devices, const FrameRateController& frameRate,
                  const DisplayInfo* display, const SystemReportSources& sources) {
    const char* language = system.LanguageName();
    AppendFormat(out, "\r\n------ システム ------\r\nOS              : %s (%s) %s\r\nDirectX         : ",
                 system.OsName().c_str(), system.VersionText().c_str(), language != nullptr ? language : "");
    out += FormatDirectXVersion(system.DirectXVersionHigh(), system.DirectXVersionLow()) + "\r\n";
    if (!detailed) out += "CPU             : " + FormatProcessorName(cpu) + "\r\n";
    const MEMORYSTATUS& memory = system.Memory();
    AppendFormat(out, "メモリ          : %dMB (%dMB 使用可能)\r\n", Mb(memory.dwTotalPhys), Mb(memory.dwAvailPhys));
    const ReportScreenValues& screen = devices.screen;
    if (screen.totalVideoMemory != 0) {
        const double total = screen.totalVideoMemory;
        const double free = screen.freeVideoMemory;
        if (screen.hasDirectDraw) {
            AppendFormat(out, "ビデオメモリ    : %.3f MB (%.3fMB 使用中 / %.3fMB 使用可能)\r\n", MbExact(total),
                         MbExact(total - free), MbExact(free));
        } else {
            AppendFormat(out, "ビデオメモリ    : %.3f MB\r\n", MbExact(total));
        }
    }
    AppendFormat(out, "ページファイル  : %dMB 使用中 / %dMB 使用可能\r\n",
                 Mb(memory.dwTotalPageFile) - Mb(memory.dwAvailPageFile), Mb(memory.dwAvailPageFile));
    AppendDisplays(out, system, display);
    if (screen.presentationSet) {
        static const char* const kModes[] = {"GDI", "DirectDraw", "Direct3D"};
        AppendFormat(out, "画面更新方法    : %s\r\n", screen.presentMode < 3 ? kModes[screen.presentMode] : "不明");
    }
    AppendFormat(out, "実行ファイル    : %s\r\n作業フォルダ    : %s", ReadProgramPath(*sources.system).c_str(),
                 GetBaseDirectory());
    AppendFormat(out, "\r\n高分解能タイマー: %s\r\nフレームスキップ: %s\r\n\r\n", OnOff(frameRate.UsesCounter()),
                 OnOff(frameRate.SkipEnabled()));
}

void AppendShortDevices(std::string& out, const CpuInfoRecord& cpu, const DeviceReportValues& devices) {
    const ReportScreenValues& screen = devices.screen;
    out += "------ デバイス ------";
    if (screen.hasDirectDraw) out += "\r\nビデオカード    : " + screen.adapterDescription;
    out += "\r\nサウンドカード  : ";
    if (devices.sound.outputs.empty()) {
        out += "不明";
    } else if (const ReportSoundOutput* output = FirstWithGuid(devices.sound)) {
        out += output->description;
    }
    out += "\r\nDirectDraw      : ";
    if (screen.hasDirectDraw) {
        AppendFormat(out, "%s\r\n", HalOrHel(screen));
        if (screen.hasPrimarySurface) {
            if (devices.application.direct3DSetting) {
                AppendFormat(out, "Direct3D        : %s\r\n", DeviceKind(screen.direct3DKind));
            }
            AppendFormat(out, "VSync待ち描画   : %s\r\n", OnOff(screen.vsyncMode != 0));
            AppendFormat(out, "DirectDraw Flip : %s\r\n", OnOff(FlipsOnVSync(screen)));
        }
    } else {
        out += "未初期化\r\n";
    }
    AppendFormat(out, "DirectSound     : %s\r\n", OnOff(devices.sound.hasDirectSound));
    AppendFormat(out, "DirectInput     : %s\r\n", OnOff(devices.application.inputMethod == 0));
    AppendFormat(out, "ジョイスティック: %s\r\n", OnOff(devices.input.hasJoystick));
    AppendFormat(out, "MMX命令         : %s\r\n", Used(cpu.mmx != 0));
    AppendFormat(out, "SSE命令         : %s\r\n", Used(cpu.sse != 0));
}

void AppendDirect3D(std::string& out, const ReportScreenValues& screen) {
    AppendFormat(out, "------ Direct3D ------\r\n動作モード            : %s\r\n", DeviceKind(screen.direct3DKind));
    AppendFormat(out,
                 "αブレンディング      : %s\r\nグーローαブレンド    : %s\r\nαテスト              : %s\r\n"
                 "隠れサーフェスの除去  : %s\r\n",
                 OnOff(screen.alphaBlending), OnOff(screen.gouraudAlpha), OnOff(screen.alphaTest),
                 OnOff(screen.hiddenSurfaceRemoval));
    AppendFormat(out, "最大テクスチャステージ: %d\r\n最小テクスチャサイズ  : %d x %d\r\n最大テクスチャサイズ  : %d x %d\r\n",
                 static_cast<int>(screen.textureStages), static_cast<int>(screen.minTextureWidth),
                 static_cast<int>(screen.minTextureHeight), static_cast<int>(screen.maxTextureWidth),
                 static_cast<int>(screen.maxTextureHeight));
    AppendFormat(out,
                 "テクスチャ能力        : 0x%08x\r\nテクスチャブレンド能力: 0x%08x\r\n転送元αブレンド能力  : 0x%08x\r\n"
                 "転送先αブレンド能力  : 0x%08x\r\nテクスチャサイズ制限  : ",
                 static_cast<unsigned>(screen.textureCaps), static_cast<unsigned>(screen.textureOpCaps),
                 static_cast<unsigned>(screen.sourceBlendCaps), static_cast<unsigned>(screen.destBlendCaps));
    static const struct {
        std::uint32_t bit;
        const char* text;
    } kLimits[] = {{0x2, "幅と高さは2の二乗"}, {0x20, "正方形のみ"}, {0x100, "特定条件下で制限なし"}};
    bool first = true;
    for (const auto& limit : kLimits) {
        if ((screen.textureCaps & limit.bit) == 0) continue;
        if (!first) out += " / ";
        out += limit.text;
        first = false;
    }
    out += "\r\n<サポートテクスチャフォーマット>\r\n";
    static const struct {
        std::uint32_t bit;
        const char* line;
    } kFormats[] = {{0x4, "  16bpp   RGB    5,5,5\r\n"},  {0x8, "  16bpp   RGB    5,6,5\r\n"},
                    {0x40, "  16bpp  ARGB  1,5,5,5\r\n"}, {0x80, "  16bpp  ARGB  4,4,4,4\r\n"},
                    {0x10, "  24bpp   RGB    8,8,8\r\n"}, {0x20, "  32bpp   RGB    8,8,8\r\n"},
                    {0x100, "  32bpp  ARGB  8,8,8,8\r\n"}};
    for (const auto& format : kFormats) {
        if (screen.textureFormats & format.bit) out += format.line;
    }
}

void AppendDetailedScreen(std::string& out, const DeviceReportValues& devices) {
    const ReportScreenValues& screen = devices.screen;
    if (screen.screenMode == 1) {
        out += "------ フルスクリーンモード ------\r\nディスプレイ      : ";
        if (screen.usesMonitorRecord) out += screen.monitorName + "\r\n                    ";
        AppendFormat(out, "%dx%d %dbit\r\n", static_cast<int>(screen.fullScreenWidth),
                     static_cast<int>(screen.fullScreenHeight), static_cast<int>(screen.fullScreenDepth));
    } else {
        out += "------ ウィンドウモード ------\r\n";
    }
    if (!screen.hasDirectDraw) {
        out += "GDI描画\r\n\r\n";
        return;
    }
    out += "< DirectDraw >\r\nビデオカード      : " + screen.adapterDescription;
    out += "\r\nドライバファイル  : " + screen.driverFile;
    AppendFormat(out, "\r\nドライバ Version  : %d.%d.%d.%d\r\n動作モード        : ",
                 static_cast<int>(screen.driverVersionHigh >> 16), static_cast<int>(screen.driverVersionHigh & 0xFFFF),
                 static_cast<int>(screen.driverVersionLow >> 16), static_cast<int>(screen.driverVersionLow & 0xFFFF));
    AppendFormat(out, "%s\r\nハードウェア拡縮  : %s\r\n", HalOrHel(screen), OnOff((screen.driverCaps & kBltStretch) != 0));
    if (screen.hasPrimarySurface) {
        auto memory = [](std::uint32_t caps) { return (caps & kSystemMemory) != 0 ? "システムメモリ" : "VRAM"; };
        AppendFormat(out, "プライマリバッファ: %s / Caps[0x%08x]\r\n", memory(screen.primaryCaps),
                     static_cast<unsigned>(screen.primaryCaps));
        AppendFormat(out, "バックバッファ    : %s / Caps[0x%08x]\r\n", memory(screen.backCaps),
                     static_cast<unsigned>(screen.backCaps));
        AppendFormat(out, "ピクセル情報      : %dbit Type[0x%04x] RGB%d%d%d/%08x:%08x:%08x\r\n",
                     static_cast<int>(screen.pixelDepth), static_cast<unsigned>(screen.pixelFormatCode),
                     static_cast<int>(screen.redBits), static_cast<int>(screen.greenBits),
                     static_cast<int>(screen.blueBits), static_cast<unsigned>(screen.redMask),
                     static_cast<unsigned>(screen.greenMask), static_cast<unsigned>(screen.blueMask));
        AppendFormat(out, "VSync待ち描画     : %s\r\n", OnOff(screen.vsyncMode != 0));
        AppendFormat(out, "DirectDraw Flip   : %s\r\n", OnOff(FlipsOnVSync(screen)));
    }
    if (devices.application.direct3DSetting) {
        AppendDirect3D(out, screen);
    } else if (screen.presentMode == 2) {
        out += "< Direct3D >\r\n";
        AppendFormat(out, "テクスチャ        : %dx%d Type[0x%04x]\r\n", static_cast<int>(screen.presentTextureWidth),
                     static_cast<int>(screen.presentTextureHeight), static_cast<unsigned>(screen.presentTextureFormat));
        AppendFormat(out, "テクスチャ直接転送: %s\r\n", OnOff(screen.directBlit));
    }
    out += "\r\n";
}

void AppendCpu(std::string& out, const SystemInfo& system, const CpuInfoRecord& cpu, std::uint32_t clockMhz) {
    out += "------ CPU ------\r\nCPU情報    : " + FormatProcessorName(cpu) + "\r\n";
    AppendFormat(out, "             Vender %s / Type %d / Family %d / Model %d / Stepping %d\r\n", cpu.vendor,
                 cpu.type, cpu.family, cpu.model, cpu.stepping);
    AppendFormat(out, "CPUクロック: %s (%d CPU)\r\nキャッシュ : ", FormatClock(clockMhz).c_str(),
                 system.ProcessorCount());
    out += FormatCaches(cpu);
    AppendFormat(out,
                 "\r\n拡張機能   : FPU %s / TSC %s / CMOV %s\r\n             MMX %s / SSE %s / SSE2 %s / SSE3 %s\r\n"
                 "             MMX+ %s / 3DNow! %s / 3DNow!+ %s / HTT %s\r\n\r\n",
                 Mark(cpu.fpu), Mark(cpu.tsc), Mark(cpu.cmov), Mark(cpu.mmx), Mark(cpu.sse), Mark(cpu.sse2),
                 Mark(cpu.sse3), Mark(cpu.amdMmxExt), Mark(cpu.amd3DNow), Mark(cpu.amd3DNowExt),
                 Mark(cpu.hyperThreading));
}

void AppendSound(std::string& out, const ReportSoundValues& sound) {
    out += "----- DirectSound -----\r\n";
    if (sound.outputs.empty()) {
        out += "利用できません\r\n";
        return;
    }
    AppendFormat(out, "DirectSound状態 : %s\r\n", OnOff(sound.hasDirectSound));
    if (const ReportSoundOutput* output = FirstWithGuid(sound)) {
        AppendFormat(out, "サウンドカード  : %s\r\nドライバファイル: %s\r\n", output->description.c_str(),
                     output->module.c_str());
    }
    size_t withGuid = 0;
    for (const ReportSoundOutput& output : sound.outputs) withGuid += output.hasGuid ? 1 : 0;
    if (withGuid > 1) out += "※複数のサウンドデバイスが接続されています。\r\n";
}

void AppendInput(std::string& out, const DeviceReportValues& devices) {
    const ReportInputValues& input = devices.input;
    out += "\r\n----- 入力デバイス -----\r\n入力検知方式    : ";
    switch (devices.application.inputMethod) {
        case 0:
            AppendFormat(out, "DirectInput\r\nキーボード      : %d キー\r\n", static_cast<int>(input.keyboardKeys));
            AppendFormat(out, "マウス          : %d 軸 / %d ボタン\r\n", static_cast<int>(input.mouseAxes),
                         static_cast<int>(input.mouseButtons));
            break;
        case 1:
            out += "Windows API\r\n";
            break;
        case 2:
            out += "Window Message\r\n";
            break;
        default:
            out += "不明\r\n";
            break;
    }
    out += "ジョイスティック: ";
    if (input.hasJoystick) {
        AppendFormat(out, "No.%d / %s / %d 軸 / %d ボタン", static_cast<int>(input.joystickNumber),
                     input.joystickName.c_str(), static_cast<int>(input.joystickAxes),
                     static_cast<int>(input.joystickButtons));
    } else {
        out += "無効";
    }
    out += "\r\n\r\n----- ドライブ情報 -----\r\n";
}

void AppendDrives(std::string& out, const SystemInfo& system, DriveSource& drives) {
    for (const DriveReport& drive : ListDrives(system, drives)) {
        AppendFormat(out, " [%s] ", drive.root.c_str());
        switch (drive.type) {
            case DRIVE_REMOVABLE:
                out += "リムーバブルドライブ";
                break;
            case DRIVE_FIXED:
                if (drive.sizeKnown) out += FormatDriveFree(drive.freeMb) + FormatDriveTotal(drive.totalMb);
                if (!drive.windowsFolder.empty()) out += " (" + drive.windowsFolder + ")";
                break;
            case DRIVE_REMOTE:
                out += "ネットワークドライブ";
                break;
            case DRIVE_CDROM:
                out += "CD/DVD-ROM ドライブ";
                break;
            case DRIVE_RAMDISK:
                out += "RAM-DISK ドライブ";
                break;
            default:
                out += "不明";
                break;
        }
        out += "\r\n";
    }
}

void AppendProcesses(std::string& out, const SystemInfo& system, ProcessSource& processes) {
    out += "\r\n----- プロセス -----\r\n";
    std::vector<std::string> names;
    if (!ListProcesses(system.IsNtFamily(), processes, names)) {
        out += "スナップショットの作成に失敗\r\n";
        return;
    }
    for (const std::string& name : names) out += name + "\r\n";
}

}  // namespace

std::string FormatSystemReport(bool detailed, const SystemInfo& system, const CpuInfoRecord& cpu,
                               DeviceReportValues& devices, const FrameRateController& frameRate,
                               const DisplayInfo* display, const SystemReportSources& sources) {
    std::uint32_t clockMhz = 0;
    if (detailed) {
        const double measured = sources.measureClockMhz ? sources.measureClockMhz() : 0.0;
        clockMhz = measured > 0 ? static_cast<std::uint32_t>(measured) : 0;
        if (devices.sound.outputs.empty() && devices.fillSoundOutputs) devices.fillSoundOutputs(devices.sound.outputs);
    }
    std::string out;
    AppendHeader(out, devices.application);
    AppendSystem(out, detailed, system, cpu, devices, frameRate, display, sources);
    if (!detailed) {
        AppendShortDevices(out, cpu, devices);
        return out;
    }
    AppendDetailedScreen(out, devices);
    AppendCpu(out, system, cpu, clockMhz);
    AppendSound(out, devices.sound);
    AppendInput(out, devices);
    AppendDrives(out, system, *sources.drives);
    AppendProcesses(out, system, *sources.processes);
    return out;
}

void BuildSystemReport(HWND edit, bool detailed, const SystemInfo& system, const CpuInfoRecord& cpu,
                       DeviceReportValues& devices, const FrameRateController& frameRate,
                       const DisplayInfo* display, const SystemReportSources& sources) {
    const std::string text = FormatSystemReport(detailed, system, cpu, devices, frameRate, display, sources);
    SetWindowTextA(edit, "");
    // A long process list must not be cut at the control's default limit.
    if (static_cast<size_t>(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0)) < text.size()) {
        SendMessageA(edit, EM_SETLIMITTEXT, text.size(), 0);
    }
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}
