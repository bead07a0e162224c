#include "framework/system/report_formatters.h"

#include "framework/util/string_format.h"

namespace {

// The three widths of a size in groups of thousands; `tail` follows the number.
std::string FormatThousands(std::uint32_t mb, const char* tail) {
    const int millions = static_cast<int>(mb / 1000000);
    const int thousands = static_cast<int>(mb / 1000 % 1000);
    const int units = static_cast<int>(mb % 1000);
    if (mb >= 1000000) return FormatString("%3d,%03d,%03d%s", millions, thousands, units, tail);
    if (mb >= 1000) return FormatString("    %3d,%03d%s", thousands, units, tail);
    return FormatString("        %3d%s", units, tail);
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string FormatClock(std::uint32_t mhz) {
    if (mhz > 999) return FormatString("%d.%02dGHz", static_cast<int>(mhz / 1000), static_cast<int>(mhz % 1000 / 10));
    if (mhz > 0) return FormatString("%dMHz", static_cast<int>(mhz));
    return "？？MHz";
}

std::string FormatCaches(const CpuInfoRecord& cpu) {
    std::string out;
    auto add = [&out](const char* format, std::int32_t value) {
        if (!out.empty()) out += " / ";
        AppendFormat(out, format, static_cast<int>(value));
    };
    if (cpu.traceCacheKuops != 0) {
        add("L1 T-Cache %dKμOPs", cpu.traceCacheKuops);
    } else if (cpu.l1CodeKb != 0) {
        add("L1 C-Cache %dKB", cpu.l1CodeKb);
    }
    if (cpu.l1DataKb != 0) add("L1 D-Cache %dKB", cpu.l1DataKb);
    if (cpu.l2Kb != 0) add("L2 Cache %dKB", cpu.l2Kb);
    if (cpu.l3Kb != 0) add("L3 Cache %dKB", cpu.l3Kb);
    return out;
}

std::string FormatDriveFree(std::uint32_t mb) { return FormatThousands(mb, " / "); }

std::string FormatDriveTotal(std::uint32_t mb) { return FormatThousands(mb, " MB"); }

std::string FormatDirectXVersion(std::uint32_t high, std::uint32_t low) {
    if (high == 0) return "Unknown";
    return FormatString("DirectX %d (%d.%02d.%02d.%04d)", static_cast<int>(high & 0xFFFF),
                        static_cast<int>(high >> 16), static_cast<int>(high & 0xFFFF),
                        static_cast<int>(low >> 16), static_cast<int>(low & 0xFFFF));
}

std::string FormatProcessorName(const CpuInfoRecord& cpu) {
    if (cpu.brand[0] != '\0') return FormatString("%s [ %s ]", cpu.brand, cpu.modelName);
    return cpu.modelName;
}

std::string FormatApplicationVersion(std::uint8_t major, std::uint8_t minor, std::uint8_t letter) {
    std::string out = FormatString("%d.%02d", major, minor);
    if (letter != 0) AppendFormat(out, "%x", letter);
    return out;
}

std::vector<DriveReport> ListDrives(const SystemInfo& system, DriveSource& drives) {
    const std::string windowsFolder = drives.WindowsFolder();
    const char windowsLetter = windowsFolder.empty() ? '\0' : UpperAscii(windowsFolder[0]);
    std::vector<DriveReport> out;
    for (const std::string& root : drives.LogicalDrives()) {
        DriveReport drive = {root, drives.DriveType(root.c_str()), false, 0, 0, std::string()};
        if (drive.type == DRIVE_FIXED) {
            std::uint64_t available = 0, total = 0;
            drive.sizeKnown = system.GetDiskSpace(root.c_str(), available, total, drives);
            drive.freeMb = static_cast<std::uint32_t>(available >> 20);
            drive.totalMb = static_cast<std::uint32_t>(total >> 20);
            if (windowsLetter != '\0' && !root.empty() && UpperAscii(root[0]) == windowsLetter) {
                drive.windowsFolder = windowsFolder;
            }
        }
        out.push_back(drive);
    }
    return out;
}

bool ListProcesses(bool ntFamily, ProcessSource& processes, std::vector<std::string>& out) {
    std::vector<ProcessEntry> entries;
    if (!processes.Processes(entries)) return false;
    for (const ProcessEntry& entry : entries) {
        if (!ntFamily) {
            out.push_back(entry.exeName);
            continue;
        }
        std::string path;
        if (entry.id != 0 && processes.FirstModulePath(entry.id, path)) out.push_back(path);
    }
    return true;
}
