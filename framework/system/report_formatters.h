// The pieces that the system report and the start-up log print alike: clock, caches, drive
// sizes, version texts, and the walks over the drives and the processes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/system/cpu_info.h"
#include "framework/system/drive_source.h"
#include "framework/system/system_info.h"

// "2.39GHz" above 999 MHz, "999MHz" above 0, else "？？MHz".
std::string FormatClock(std::uint32_t mhz);
// "L1 T-Cache %dKμOPs" (or, without a trace cache, "L1 C-Cache %dKB"), "L1 D-Cache %dKB",
// "L2 Cache %dKB", "L3 Cache %dKB", for those known, with " / " between them.
std::string FormatCaches(const CpuInfoRecord& cpu);
// Megabytes in groups of thousands, right-aligned: "%3d,%03d,%03d / " from 1 000 000,
// "    %3d,%03d / " from 1 000, else "        %3d / ".
std::string FormatDriveFree(std::uint32_t mb);
// As FormatDriveFree with " MB" in place of " / ".
std::string FormatDriveTotal(std::uint32_t mb);
// "DirectX 9 (4.09.00.0904)" from SystemInfo's two words, or "Unknown" when there is none.
std::string FormatDirectXVersion(std::uint32_t high, std::uint32_t low);
// "%s [ %s ]" with the brand text and the model name, or the model name alone without brand.
std::string FormatProcessorName(const CpuInfoRecord& cpu);
// "%d.%02d", then the letter in hexadecimal when it is not 0.
std::string FormatApplicationVersion(std::uint8_t major, std::uint8_t minor, std::uint8_t letter);

struct DriveReport {
    std::string root;
    // GetDriveTypeA's answer.
    UINT type;
    // Fixed drives: sizes in MB (bytes >> 20), when GetDiskSpace knew them.
    bool sizeKnown;
    std::uint32_t freeMb;
    std::uint32_t totalMb;
    // The Windows folder when the fixed drive holds it (letters compared upper-cased), else
    // empty.
    std::string windowsFolder;
};

// Every logical drive, in the system's order.
std::vector<DriveReport> ListDrives(const SystemInfo& system, DriveSource& drives);

// One text per process: on the NT family the full path of its first module (processes with
// id 0, and those whose modules cannot be read, are left out), elsewhere the executable name.
// False when no process snapshot can be taken.
bool ListProcesses(bool ntFamily, ProcessSource& processes, std::vector<std::string>& out);
