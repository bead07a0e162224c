#include "framework/app/startup_log.h"

#include "framework/app/framework_app.h"
#include "framework/system/cpu_info.h"
#include "framework/system/report_formatters.h"
#include "framework/util/string_format.h"

namespace {

constexpr std::uint32_t kBltStretch = 0x200;
constexpr std::uint32_t kSystemMemory = 0x800;

const char* Mark(std::uint8_t present) { return present != 0 ? "○" : "×"; }
// The log's yes and no keep one width, except in the Direct3D lines.
const char* YesNo(bool yes) { return yes ? "Yes" : "No "; }
const char* YesNoShort(bool yes) { return yes ? "Yes" : "No"; }
int Mb(SIZE_T bytes) { return static_cast<int>(static_cast<std::uint32_t>(bytes) >> 20); }

void AppendTime(std::string& out, const char* format, const StartupLogSources& sources) {
    SYSTEMTIME t = {};
    if (sources.localTime) t = sources.localTime();
    else GetLocalTime(&t);
    AppendFormat(out, format, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

BOOL CALLBACK CollectTitle(HWND window, LPARAM data) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
    char title[257] = {};
    if (GetWindowTextA(window, title, 256) > 0)
        reinterpret_cast<std::vector<std::string>*>(data)->push_back(title);
    return TRUE;
}

}  // namespace

StartupLogSources RealStartupLogSources() {
    StartupLogSources sources;
    sources.windowTitles = [] {
        std::vector<std::string> titles;
        EnumWindows(&CollectTitle, reinterpret_cast<LPARAM>(&titles));
        return titles;
    };
    sources.measureClockMhz = &MeasureProcessorClock;
    return sources;
}

bool StartupLog::Open() {
    std::string folder;
    const char* save = m_app.Description().saveFolderMode == 1 ? nullptr : m_app.SaveFolder();
    if (save != nullptr) {
        folder = save;
    } else {
        char current[MAX_PATH + 1] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        folder = current;
    }
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return m_file.Create((folder + "SYS_LOG.TXT").c_str(), true) == 0;
}

void StartupLog::Put(const std::string& text) {
    m_file.Write(text.data(), static_cast<std::uint32_t>(text.size()));
}

void StartupLog::WriteMachine() { Put(MachineText()); }
void StartupLog::WriteDevices() {
    DeviceReportValues values;
    m_app.FillDeviceReportValues(values);
    std::vector<ReportSoundOutput> outputs;
    if (values.fillSoundOutputs) values.fillSoundOutputs(outputs);
    Put(DevicesText(values.input, m_app.Settings().block1[kInputMethod], outputs));
}

void StartupLog::WriteScreen() {
    ReportScreenValues screen;
    ScreenPort* port = m_app.Screen();
    if (port != nullptr) port->FillReportValues(screen);
    Put(ScreenText(screen, port != nullptr && port->IsEmulated(), m_app.Settings()));
}
void StartupLog::WriteClosing() { Put(ClosingText()); }

std::string StartupLog::MachineText() {
    const StartupLogSources& sources = m_app.logSources;
    const SystemInfo& system = m_app.System();
    const AppDescription& d = m_app.Description();
    std::string out;
    AppendTime(out, "< Initialize Start...  %04d/%02d/%02d  %02d:%02d:%02d >\r\n\r\n", sources);
    AppendFormat(out, "「%s」Version %s\r\n", m_app.ProductName().c_str(),
                 FormatApplicationVersion(d.versionMajor, d.versionMinor, d.versionLetter).c_str());
    if (!m_app.Notice().empty()) out += m_app.Notice() + "\r\n";
    if (!m_app.WebAddress().empty()) out += m_app.WebAddress() + "\r\n";
    const char* language = system.LanguageName();
    AppendFormat(out, "\r\n[ System ]\r\nOS       : %s (%s)\r\nLanguage : %s\r\n", system.OsName().c_str(),
                 system.VersionText().c_str(), language != nullptr ? language : "");
    const MEMORYSTATUS& memory = system.Memory();
    AppendFormat(out, "Memory   : %dMB (Avail %dMB)\r\n", Mb(memory.dwTotalPhys), Mb(memory.dwAvailPhys));
    out += "Display  : ";
    const auto& monitors = m_app.Display().Monitors();
    if (monitors.empty()) {
        AppendFormat(out, "%d x %d  %dbit %dHz (Not MonitorInfo)\r\n", system.ScreenWidth(),
                     system.ScreenHeight(), system.BitsPerPixel(), system.RefreshRate());
    } else {
        for (size_t i = 0; i < monitors.size(); ++i) {
            const MonitorRecord& m = monitors[i];
            if (i > 0) out += "\r\n           ";
            AppendFormat(out, "%d x %d  %dbit %dHz", static_cast<int>(m.rect.right - m.rect.left),
                         static_cast<int>(m.rect.bottom - m.rect.top), m.depth, m.refresh);
            if (m.primary && monitors.size() > 1) out += " (Primary)";
        }
        out += "\r\n";
    }
    out += "DirectX  : " + FormatDirectXVersion(system.DirectXVersionHigh(), system.DirectXVersionLow());
    AppendFormat(out, "\r\nPageFile : %dMB (Avail %dMB)", Mb(memory.dwTotalPageFile), Mb(memory.dwAvailPageFile));
    const std::string folder = sources.programFolder.empty() ? m_app.ProgramFolder() : sources.programFolder;
    AppendFormat(out, "\r\nModule   : %s\r\nDirectory: %s\r\n\r\n\r\n", ReadProgramPath(m_app.SystemSourceRef()).c_str(), folder.c_str());
    const CpuInfoRecord& cpu = g_cpuInfo;
    out += "[ CPU ]\r\nName    : " + FormatProcessorName(cpu);
    AppendFormat(out, "\r\nVender  : %s\r\n          Type %d / Family %d / Model %d / Stepping %d\r\n", cpu.vendor,
                 cpu.type, cpu.family, cpu.model, cpu.stepping);
    if (m_app.Settings().block1[kMeasureClock] != 0) {
        const double mhz = sources.measureClockMhz ? sources.measureClockMhz() : 0.0;
        AppendFormat(out, "CpuClock: %s (%d CPU)\r\n", FormatClock(mhz > 0 ? static_cast<std::uint32_t>(mhz) : 0).c_str(),
                     system.ProcessorCount());
    }
    out += "Cache   : " + FormatCaches(cpu);
    AppendFormat(out, "\r\nSupport : FPU %s / TSC %s / CMOV %s\r\n", Mark(cpu.fpu), Mark(cpu.tsc), Mark(cpu.cmov));
    AppendFormat(out,
                 "          MMX %s / SSE %s / SSE2 %s / SSE3 %s / MMX+ %s / 3DNow! %s / 3DNow!+ %s / HTT %s\r\n\r\n\r\n",
                 Mark(cpu.mmx), Mark(cpu.sse), Mark(cpu.sse2), Mark(cpu.sse3), Mark(cpu.amdMmxExt),
                 Mark(cpu.amd3DNow), Mark(cpu.amd3DNowExt), Mark(cpu.hyperThreading));
    return out;
}

std::string StartupLog::DevicesText(const ReportInputValues& input, std::uint8_t inputMethod,
                                    const std::vector<ReportSoundOutput>& outputs) {
    std::string out;
    switch (inputMethod) {
    case 0:
        AppendFormat(out, "[ DirectInput ]\r\nKeyBoard: %d Key\r\nMouse   : %d Axes / %d Button",
                     static_cast<int>(input.keyboardKeys), static_cast<int>(input.mouseAxes),
                     static_cast<int>(input.mouseButtons));
        break;
    case 1: out += "[ Input Windows API ]"; break;
    default: out += "[ Input Window Message ]"; break;
    }
    out += "\r\nJoyStick: ";
    if (input.hasJoystick) {
        AppendFormat(out, "No.%d / %s / %d Axes / %d Button", static_cast<int>(input.joystickNumber),
                     input.joystickName.c_str(), static_cast<int>(input.joystickAxes),
                     static_cast<int>(input.joystickButtons));
    } else {
        out += "None";
    }
    out += "\r\n\r\n\r\n[ DirectSound ]\r\n";
    int number = 0;
    for (const ReportSoundOutput& output : outputs) {
        if (!output.hasGuid) continue;
        AppendFormat(out, "<Device %d>\r\nDriver Name: %s\r\nDriver File: %s\r\n", ++number,
                     output.description.c_str(), output.module.c_str());
    }
    out += outputs.empty() ? "Unknown\r\n\r\n\r\n" : "\r\n\r\n";
    return out;
}

std::string StartupLog::ScreenText(const ReportScreenValues& s, bool emulated,
                                   const PlayerSettings& settings) {
    std::string out;
    if (s.screenMode == 1) {
        out += "[ FullScreen Mode ]\r\nDisplay : ";
        if (s.usesMonitorRecord) out += s.monitorName + "\r\n          ";
        AppendFormat(out, "%d x %d  %dbit\r\n", static_cast<int>(s.fullScreenWidth),
                     static_cast<int>(s.fullScreenHeight), static_cast<int>(s.fullScreenDepth));
    } else {
        out += "[ Window Mode ]\r\n";
    }
    if (!s.hasDirectDraw) {
        out += "< GDI >\r\n\r\n\r\n";
        return out;
    }
    AppendFormat(out, "< DirectDraw >\r\nDriver Name   : %s\r\nDriver File   : %s\r\n", s.adapterDescription.c_str(),
                 s.driverFile.c_str());
    AppendFormat(out, "Driver Version: %d.%d.%d.%d\r\n", static_cast<int>(s.driverVersionHigh >> 16),
                 static_cast<int>(s.driverVersionHigh & 0xFFFF), static_cast<int>(s.driverVersionLow >> 16),
                 static_cast<int>(s.driverVersionLow & 0xFFFF));
    out += "DirectDraw    : ";
    out += emulated ? "HEL" : "HAL";
    AppendFormat(out, "\r\nHAL StretchBlt: %s\r\n", YesNo((s.driverCaps & kBltStretch) != 0));
    if (s.totalVideoMemory != 0) {
        AppendFormat(out, "VideoMemory   : %.3f MB (free: %.3f MB)\r\n", s.totalVideoMemory / 1048576.0,
                     s.freeVideoMemory / 1048576.0);
    } else {
        out += "VideoMemory   : Unknown\r\n";
    }
    if (s.hasPrimarySurface) {
        AppendFormat(out, "Primary       : VRAM[%s]  Caps[0x%08x]\r\n", YesNo((s.primaryCaps & kSystemMemory) == 0),
                     static_cast<unsigned>(s.primaryCaps));
        AppendFormat(out, "Secondary     : VRAM[%s]  Caps[0x%08x]\r\n", YesNo((s.backCaps & kSystemMemory) == 0),
                     static_cast<unsigned>(s.backCaps));
        AppendFormat(out, "Pixel         : %dbit  Type[0x%04x]  RGB %d%d%d / %08x:%08x:%08x\r\n",
                     static_cast<int>(s.pixelDepth), static_cast<unsigned>(s.pixelFormatCode),
                     static_cast<int>(s.redBits), static_cast<int>(s.greenBits), static_cast<int>(s.blueBits),
                     static_cast<unsigned>(s.redMask), static_cast<unsigned>(s.greenMask),
                     static_cast<unsigned>(s.blueMask));
    }
    if (settings.block1[kDirect3DDetail] != 0) {
        static const char* const kKinds[] = {"HEL", "HAL", "T&L"};
        AppendFormat(out, "< Direct3D >\r\nDevice : %s\r\n", s.direct3DKind < 3 ? kKinds[s.direct3DKind] : "");
        if (settings.block1[kDepthBuffer] != 0)
            AppendFormat(out, "ZBuffer: %dbit\r\n", static_cast<int>(settings.block1[kDepthBuffer]));
        out += "\r\n<Support Texture>\r\n";
        static const struct {
            std::uint32_t bit;
            const char* line;
        } kFormats[] = {{0x4, "16bpp   RGB    5,5,5\r\n"},  {0x8, "16bpp   RGB    5,6,5\r\n"},
                        {0x40, "16bpp  ARGB  1,5,5,5\r\n"}, {0x80, "16bpp  ARGB  4,4,4,4\r\n"},
                        {0x10, "24bpp   RGB    8,8,8\r\n"}, {0x20, "32bpp   RGB    8,8,8\r\n"},
                        {0x100, "32bpp  ARGB  8,8,8,8\r\n"}};
        for (const auto& format : kFormats)
            if (s.textureFormats & format.bit) out += format.line;
        AppendFormat(out, "\r\nMax Texture Stages: %d\r\nMin Texture Size  : %d x %d\r\nMax Texture Size  : %d x %d\r\n\r\n",
                     static_cast<int>(s.textureStages), static_cast<int>(s.minTextureWidth),
                     static_cast<int>(s.minTextureHeight), static_cast<int>(s.maxTextureWidth),
                     static_cast<int>(s.maxTextureHeight));
        AppendFormat(out,
                     "DrawPrimitiveVertex: %s\r\nGouraudAlpha       : %s\r\nAlphaTest          : %s\r\n"
                     "ZBufferLessHSR     : %s\r\n",
                     YesNoShort(s.alphaBlending), YesNoShort(s.gouraudAlpha), YesNoShort(s.alphaTest),
                     YesNoShort(s.hiddenSurfaceRemoval));
        AppendFormat(out,
                     "\r\n<Caps>\r\nTextureCaps  : 0x%08x\r\nTextureOpCaps: 0x%08x\r\nSrcBlendCaps : 0x%08x\r\n"
                     "DestBlendCaps: 0x%08x\r\n",
                     static_cast<unsigned>(s.textureCaps), static_cast<unsigned>(s.textureOpCaps),
                     static_cast<unsigned>(s.sourceBlendCaps), static_cast<unsigned>(s.destBlendCaps));
        out += "\r\n<Texture Limitation>\r\n";
        if (s.textureCaps & 0x2) out += "The square of 2\r\n";
        if (s.textureCaps & 0x100) out += "No Limitation\r\n";
        if (s.textureCaps & 0x20) out += "Only a square\r\n";
        out += "\r\n\r\n";
    } else if (s.presentMode == 2) {
        AppendFormat(out, "< Direct3D >\r\nTexture       : %d x %d  Type[0x%04x]\r\nDirectBlt     : %s\r\n",
                     static_cast<int>(s.presentTextureWidth), static_cast<int>(s.presentTextureHeight),
                     static_cast<unsigned>(s.presentTextureFormat), YesNo(s.directBlit));
    }
    out += "\r\n\r\n";
    return out;
}

std::string StartupLog::ClosingText() {
    const StartupLogSources& sources = m_app.logSources;
    const SystemInfo& system = m_app.System();
    std::string out = "[ Drive Info ]\r\n";
    for (const DriveReport& drive : ListDrives(system, *sources.drives)) {
        AppendFormat(out, " [%s] ", drive.root.c_str());
        switch (drive.type) {
        case DRIVE_REMOVABLE: out += "Removable Drive\r\n"; break;
        case DRIVE_REMOTE: out += "Network Drive\r\n"; break;
        case DRIVE_CDROM: out += "CD/DVD-ROM Drive\r\n"; break;
        case DRIVE_RAMDISK: out += "RAM-Disk Drive\r\n"; break;
        case DRIVE_FIXED:
            if (drive.sizeKnown) out += FormatDriveFree(drive.freeMb) + FormatDriveTotal(drive.totalMb);
            if (!drive.windowsFolder.empty()) out += " (" + drive.windowsFolder + ")";
            out += "\r\n";
            break;
        default: out += "Unknown\r\n"; break;
        }
    }
    out += "\r\n\r\n[ Application ]\r\n";
    if (sources.windowTitles)
        for (const std::string& title : sources.windowTitles()) out += title + "\r\n";
    out += "\r\n\r\n[ Process ]\r\n";
    std::vector<std::string> names;
    if (!ListProcesses(system.IsNtFamily(), *sources.processes, names)) out += "Error\r\n";
    for (const std::string& name : names) out += name + "\r\n";
    AppendTime(out, "\r\n< Initialize Done...  %04d/%02d/%02d  %02d:%02d:%02d >\r\n", sources);
    return out;
}
