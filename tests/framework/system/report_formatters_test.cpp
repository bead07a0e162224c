#include "framework/system/report_formatters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/fake_system_source.h"

using testsupport::FakeDriveSource;
using testsupport::FakeProcessSource;
using testsupport::FakeSystemSource;

namespace {

TEST(ReportFormatters, Clock) {
    const struct {
        std::uint32_t mhz;
        const char* text;
    } cases[] = {{2394, "2.39GHz"}, {1000, "1.00GHz"}, {1009, "1.00GHz"}, {1010, "1.01GHz"},
                 {999, "999MHz"},   {1, "1MHz"},       {0, "？？MHz"}};
    for (const auto& c : cases) EXPECT_EQ(c.text, FormatClock(c.mhz)) << c.mhz;
}

TEST(ReportFormatters, Caches) {
    const struct {
        const char* name;
        std::int32_t trace, code, data, l2, l3;
        const char* text;
    } cases[] = {
        {"TraceCacheWinsOverCodeCache", 12, 16, 8, 512, 0, "L1 T-Cache 12KμOPs / L1 D-Cache 8KB / L2 Cache 512KB"},
        {"CodeCacheWithoutTrace", 0, 32, 32, 0, 0, "L1 C-Cache 32KB / L1 D-Cache 32KB"},
        {"NoSeparatorBeforeTheFirst", 0, 0, 0, 256, 0, "L2 Cache 256KB"},
        {"AllLevels", 0, 64, 64, 512, 2048, "L1 C-Cache 64KB / L1 D-Cache 64KB / L2 Cache 512KB / L3 Cache 2048KB"},
        {"OnlyThirdLevel", 0, 0, 0, 0, 8192, "L3 Cache 8192KB"},
        {"NothingKnown", 0, 0, 0, 0, 0, ""},
    };
    for (const auto& c : cases) {
        CpuInfoRecord cpu = {};
        cpu.traceCacheKuops = c.trace;
        cpu.l1CodeKb = c.code;
        cpu.l1DataKb = c.data;
        cpu.l2Kb = c.l2;
        cpu.l3Kb = c.l3;
        EXPECT_EQ(c.text, FormatCaches(cpu)) << c.name;
    }
}

TEST(ReportFormatters, DriveSizes) {
    const struct {
        std::uint32_t mb;
        const char* free;
        const char* total;
    } cases[] = {
        {0, "          0 / ", "          0 MB"},
        {999, "        999 / ", "        999 MB"},
        {1000, "      1,000 / ", "      1,000 MB"},
        {999999, "    999,999 / ", "    999,999 MB"},
        {1000000, "  1,000,000 / ", "  1,000,000 MB"},
        {12345678, " 12,345,678 / ", " 12,345,678 MB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.free, FormatDriveFree(c.mb)) << c.mb;
        EXPECT_EQ(c.total, FormatDriveTotal(c.mb)) << c.mb;
    }
}

TEST(ReportFormatters, VersionsAndProcessorName) {
    EXPECT_EQ("1.05", FormatApplicationVersion(1, 5, 0));
    EXPECT_EQ("1.05a", FormatApplicationVersion(1, 5, 10));
    EXPECT_EQ("2.10ff", FormatApplicationVersion(2, 10, 255));
    EXPECT_EQ("DirectX 9 (4.09.00.0904)", FormatDirectXVersion((4u << 16) | 9, 904));
    EXPECT_EQ("Unknown", FormatDirectXVersion(0, 904));

    CpuInfoRecord cpu = {};
    std::strcpy(cpu.modelName, "Athlon XP");
    EXPECT_EQ("Athlon XP", FormatProcessorName(cpu));
    std::strcpy(cpu.brand, "AMD Athlon(tm) XP 2500+");
    EXPECT_EQ("AMD Athlon(tm) XP 2500+ [ Athlon XP ]", FormatProcessorName(cpu));
}

TEST(ListDrives, SizesInMegabytesAndTheWindowsDrive) {
    FakeSystemSource source;
    SystemInfo system(source);
    FakeDriveSource drives;
    drives.windowsFolder = "d:\\WINNT";
    drives.drives = {{"C:\\", DRIVE_FIXED, (5ull << 20) + 12345, 7ull << 20},
                     {"D:\\", DRIVE_FIXED, 1ull << 40, 2ull << 40},
                     {"E:\\", DRIVE_CDROM, 1ull << 30, 1ull << 30}};
    const std::vector<DriveReport> list = ListDrives(system, drives);
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ("C:\\", list[0].root);
    EXPECT_TRUE(list[0].sizeKnown);
    EXPECT_EQ(5u, list[0].freeMb);
    EXPECT_EQ(7u, list[0].totalMb);
    EXPECT_EQ("", list[0].windowsFolder);
    EXPECT_EQ(1u << 20, list[1].freeMb);
    EXPECT_EQ("d:\\WINNT", list[1].windowsFolder);
    // Sizes are asked of fixed drives only.
    EXPECT_EQ(static_cast<UINT>(DRIVE_CDROM), list[2].type);
    EXPECT_FALSE(list[2].sizeKnown);
    EXPECT_EQ(0u, list[2].freeMb);
}

TEST(ListProcesses, ModulePathsOnNtExecutableNamesElsewhere) {
    FakeProcessSource processes;
    processes.processes = {{0, "[System Process]", "X:\\idle"}, {8, "a.exe", "C:\\A\\A.EXE"}, {9, "b.exe", ""}};
    std::vector<std::string> names;
    ASSERT_TRUE(ListProcesses(true, processes, names));
    EXPECT_EQ(std::vector<std::string>{"C:\\A\\A.EXE"}, names);
    names.clear();
    ASSERT_TRUE(ListProcesses(false, processes, names));
    EXPECT_EQ((std::vector<std::string>{"[System Process]", "a.exe", "b.exe"}), names);
    processes.snapshotFails = true;
    names.clear();
    EXPECT_FALSE(ListProcesses(true, processes, names));
    EXPECT_TRUE(names.empty());
}

TEST(ListDrives, RealDrivesIncludeTheWindowsDrive) {
    SystemInfo system;
    const std::vector<DriveReport> list = ListDrives(system, RealDriveSource());
    ASSERT_FALSE(list.empty());
    const auto windows = std::find_if(list.begin(), list.end(),
                                      [](const DriveReport& drive) { return !drive.windowsFolder.empty(); });
    ASSERT_NE(list.end(), windows);
    EXPECT_EQ(static_cast<UINT>(DRIVE_FIXED), windows->type);
    EXPECT_TRUE(windows->sizeKnown);
    EXPECT_GT(windows->totalMb, 0u);
    EXPECT_LE(windows->freeMb, windows->totalMb);
}

TEST(ListProcesses, RealSnapshotHoldsThisProcess) {
    std::vector<ProcessEntry> entries;
    ASSERT_TRUE(RealProcessSource().Processes(entries));
    const auto self = std::find_if(entries.begin(), entries.end(),
                                   [](const ProcessEntry& entry) { return entry.id == GetCurrentProcessId(); });
    ASSERT_NE(entries.end(), self);
    EXPECT_FALSE(self->exeName.empty());
    // Module snapshots are not promised (Wine cannot always take them); a path, when given, is one.
    std::string path;
    if (RealProcessSource().FirstModulePath(GetCurrentProcessId(), path)) {
        EXPECT_FALSE(path.empty());
    }
    std::vector<std::string> names;
    EXPECT_TRUE(ListProcesses(false, RealProcessSource(), names));
    EXPECT_EQ(entries.size(), names.size());
}

}  // namespace
