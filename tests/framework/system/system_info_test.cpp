#include "framework/system/system_info.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/files/path_utilities.h"
#include "framework/system/report_formatters.h"
#include "tests/support/fake_system_source.h"

using testsupport::FakeDriveSource;
using testsupport::FakeSystemSource;

namespace {

struct OsCase {
    const char* name;
    DWORD platform, major, minor;
    const char* servicePack;
    WORD suite;
    // GetProductInfo: -1 missing, else the type it answers.
    int product;
    const char* expected;
    // NT, NT 5 or later, 95, NT 4 SP3, XP or later, Vista or later.
    const char* flags;
};

void PrintTo(const OsCase& c, std::ostream* os) { *os << c.name; }

class OsName : public ::testing::TestWithParam<OsCase> {};

TEST_P(OsName, NamesTheSystemAndSetsItsFlags) {
    const OsCase& c = GetParam();
    FakeSystemSource source;
    source.SetVersion(c.platform, c.major, c.minor, 1000, c.servicePack, c.suite);
    source.hasProductInfo = c.product >= 0;
    source.productType = static_cast<DWORD>(c.product);
    SystemInfo info(source);
    EXPECT_EQ(c.expected, info.OsName());
    const std::string flags = {info.IsNtFamily() ? 'n' : '-', info.IsNt5OrLater() ? '5' : '-',
                               info.IsWindows95() ? '9' : '-', info.IsNt4Sp3OrLater() ? '3' : '-',
                               info.IsXpOrLater() ? 'x' : '-', info.IsVistaOrLater() ? 'v' : '-'};
    EXPECT_EQ(c.flags, flags);
    EXPECT_LT(info.OsName().size(), 64u);
}

constexpr DWORD k9x = VER_PLATFORM_WIN32_WINDOWS;
constexpr DWORD kNt = VER_PLATFORM_WIN32_NT;

INSTANTIATE_TEST_SUITE_P(
    Cases, OsName,
    ::testing::Values(
        OsCase{"Win32s", VER_PLATFORM_WIN32s, 3, 10, "", 0, -1, "Win32s", "------"},
        OsCase{"Windows95", k9x, 4, 0, "", 0, -1, "Windows 95", "--9---"},
        OsCase{"Windows98", k9x, 4, 10, " ", 0, -1, "Windows 98", "------"},
        OsCase{"Windows98SecondEdition", k9x, 4, 10, " A ", 0, -1, "Windows 98 Second Edition", "------"},
        OsCase{"WindowsMe", k9x, 4, 90, " ", 0, -1, "Windows Me", "------"},
        OsCase{"After9x", k9x, 4, 91, "", 0, -1, "Windows Me以降", "------"},
        OsCase{"Nt351", kNt, 3, 51, "", 0, -1, "Windows NT", "n-----"},
        OsCase{"Nt4Sp2", kNt, 4, 0, "Service Pack 2", 0, -1, "Windows NT", "n-----"},
        OsCase{"Nt4Sp3", kNt, 4, 0, "Service Pack 3", 0, -1, "Windows NT 4.0", "n--3--"},
        OsCase{"Nt4Sp6", kNt, 4, 0, "Service Pack 6", 0, -1, "Windows NT 4.0", "n--3--"},
        OsCase{"Windows2000", kNt, 5, 0, "", 0, -1, "Windows 2000", "n5----"},
        OsCase{"Windows2000Datacenter", kNt, 5, 0, "", 0x82, -1, "Windows 2000 Datacenter Server", "n5----"},
        OsCase{"Windows2000Advanced", kNt, 5, 0, "", 0x2, -1, "Windows 2000 Advanced Server", "n5----"},
        OsCase{"XpHome", kNt, 5, 1, "", 0x200, -1, "Windows XP Home Edition", "n5--x-"},
        OsCase{"XpProfessional", kNt, 5, 1, "", 0x100, -1, "Windows XP Professional", "n5--x-"},
        OsCase{"Server2003Datacenter", kNt, 5, 2, "", 0x82, -1, "Windows Server 2003 Datacenter Edition", "n5----"},
        OsCase{"Server2003Enterprise", kNt, 5, 2, "", 0x2, -1, "Windows Server 2003 Enterprise Edition", "n5----"},
        OsCase{"Server2003Web", kNt, 5, 2, "", 0x400, -1, "Windows Server 2003 Web Edition", "n5----"},
        OsCase{"Server2003WebAmongOthers", kNt, 5, 2, "", 0x410, -1, "Windows Server 2003 Standard Edition", "n5----"},
        OsCase{"Server2003Standard", kNt, 5, 2, "", 0, -1, "Windows Server 2003 Standard Edition", "n5----"},
        OsCase{"AfterServer2003", kNt, 5, 3, "", 0, -1, "Windows Server 2003以降", "n5----"},
        OsCase{"VistaUltimate", kNt, 6, 0, "", 0, 1, "Windows Vista Ultimate", "n5--xv"},
        OsCase{"VistaHomeBasic", kNt, 6, 0, "", 0, 2, "Windows Vista Home Basic", "n5--xv"},
        OsCase{"SevenHomePremium", kNt, 6, 1, "", 0, 3, "Windows 7 Home Premium", "n5--xv"},
        OsCase{"SevenEnterprise", kNt, 6, 1, "", 0, 4, "Windows 7 Enterprise", "n5--xv"},
        OsCase{"VistaBusiness", kNt, 6, 0, "", 0, 6, "Windows Vista Business", "n5--xv"},
        OsCase{"SevenStarter", kNt, 6, 1, "", 0, 11, "Windows 7 Starter", "n5--xv"},
        OsCase{"SevenProfessional", kNt, 6, 1, "", 0, 48, "Windows 7 Professional", "n5--xv"},
        OsCase{"SevenOtherEdition", kNt, 6, 1, "", 0, 0x1B, "Windows 7 [Edition:0x1b]", "n5--xv"},
        OsCase{"SevenWithoutProductInfo", kNt, 6, 1, "", 0, -1, "Windows 7", "n5--xv"},
        OsCase{"UnknownSixPointTwo", kNt, 6, 2, "", 0, 48, "Windows NT6.x(unknown) Professional", "n5--xv"},
        OsCase{"MajorSeven", kNt, 7, 0, "", 0, 48, "Windows Vista以降", "n5--xv"},
        OsCase{"UnknownPlatform", 3, 5, 1, "", 0, -1, "Unknown Windows", "------"}),
    [](const ::testing::TestParamInfo<OsCase>& info) { return std::string(info.param.name); });

TEST(SystemInfo, VersionTextCarriesATrimmedServicePack) {
    FakeSystemSource source;
    source.SetVersion(kNt, 5, 1, 2600, "  Service Pack 2  ");
    EXPECT_EQ("5.01.2600 Service Pack 2", SystemInfo(source).VersionText());
    source.SetVersion(kNt, 5, 1, 2600, "    ");
    EXPECT_EQ("5.01.2600", SystemInfo(source).VersionText());
    // Windows 9x keeps its version in the build number's high word.
    source.SetVersion(k9x, 4, 10, 0x040A07CE, " A ");
    SystemInfo ninetyEight(source);
    EXPECT_EQ("4.10.1998 A", ninetyEight.VersionText());
    EXPECT_EQ(0x040A07CEu, ninetyEight.BuildNumber());
    EXPECT_EQ(4u, ninetyEight.MajorVersion());
    EXPECT_EQ(static_cast<std::uint32_t>(k9x), ninetyEight.PlatformId());
}

TEST(SystemInfo, FailingVersionQueryGivesAnUnknownSystem) {
    FakeSystemSource source;
    source.versionFails = true;
    SystemInfo info(source);
    EXPECT_EQ("Win32s", info.OsName());
    EXPECT_EQ("0.00.0000", info.VersionText());
    EXPECT_EQ(0u, info.MajorVersion());
    EXPECT_FALSE(info.IsNtFamily());
}

struct DirectXCase {
    const char* name;
    std::string bytes;
    std::uint32_t high;
    std::uint32_t low;
    const char* text;
};

void PrintTo(const DirectXCase& c, std::ostream* os) { *os << c.name; }

class DirectXVersion : public ::testing::TestWithParam<DirectXCase> {};

TEST_P(DirectXVersion, ReadsTheDottedRegistryText) {
    const DirectXCase& c = GetParam();
    FakeSystemSource source;
    source.SetDirectXBytes(c.bytes);
    SystemInfo info(source);
    EXPECT_EQ(c.high, info.DirectXVersionHigh());
    EXPECT_EQ(c.low, info.DirectXVersionLow());
    EXPECT_EQ(c.text, FormatDirectXVersion(info.DirectXVersionHigh(), info.DirectXVersionLow()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirectXVersion,
    ::testing::Values(
        DirectXCase{"Nine", std::string("4.09.00.0904\0", 13), (4u << 16) | 9, 904, "DirectX 9 (4.09.00.0904)"},
        DirectXCase{"Eight", std::string("4.08.01.0881\0", 13), (4u << 16) | 8, (1u << 16) | 881,
                    "DirectX 8 (4.08.01.0881)"},
        DirectXCase{"TwoParts", "4.09", (4u << 16) | 9, 0, "DirectX 9 (4.09.00.0000)"},
        DirectXCase{"Empty", "", 0, 0, "Unknown"},
        // The whole buffer without a terminator: the text ends where the buffer does.
        DirectXCase{"NoTerminator", "4.07.00.0700" + std::string(248, ' '), (4u << 16) | 7, 700,
                    "DirectX 7 (4.07.00.0700)"}),
    [](const ::testing::TestParamInfo<DirectXCase>& info) { return std::string(info.param.name); });

TEST(SystemInfo, NoDirectXValueGivesZero) {
    FakeSystemSource source;
    source.hasDirectX = false;
    SystemInfo info(source);
    EXPECT_EQ(0u, info.DirectXVersionHigh());
    EXPECT_EQ(0u, info.DirectXVersionLow());
}

TEST(SystemInfo, MachineValuesComeFromTheSource) {
    FakeSystemSource source;
    source.processors = 4;
    source.screen = SIZE{1280, 1024};
    source.bitsPerPixel = 16;
    source.refresh = 75;
    SystemInfo info(source);
    EXPECT_EQ(4, info.ProcessorCount());
    EXPECT_EQ(1280, info.ScreenWidth());
    EXPECT_EQ(1024, info.ScreenHeight());
    EXPECT_EQ(16, info.BitsPerPixel());
    EXPECT_EQ(75, info.RefreshRate());
    EXPECT_STREQ("日本語", info.LanguageName());
    EXPECT_EQ(512u << 20, info.Memory().dwTotalPhys);

    source.hasLanguage = false;
    EXPECT_EQ(nullptr, SystemInfo(source).LanguageName());

    info.SetScreen(800, 600, 8);
    EXPECT_EQ(800, info.ScreenWidth());
    EXPECT_EQ(600, info.ScreenHeight());
    EXPECT_EQ(8, info.BitsPerPixel());
}

TEST(SystemInfo, RefreshRateOnlyOnNtAndAboveOne) {
    FakeSystemSource source;
    source.refresh = 1;
    EXPECT_EQ(0, SystemInfo(source).RefreshRate());
    source.refresh = 2;
    EXPECT_EQ(2, SystemInfo(source).RefreshRate());
    source.SetVersion(k9x, 4, 10, 2222, "");
    source.refresh = 60;
    EXPECT_EQ(0, SystemInfo(source).RefreshRate());
}

struct DiskCase {
    const char* name;
    DWORD platform;
    DWORD build;
    bool hasEx;
    bool exFails;
    char call;
};

void PrintTo(const DiskCase& c, std::ostream* os) { *os << c.name; }

class DiskSpace : public ::testing::TestWithParam<DiskCase> {};

TEST_P(DiskSpace, ChoosesTheCallBySystem) {
    const DiskCase& c = GetParam();
    FakeSystemSource source;
    source.SetVersion(c.platform, 4, 10, c.build, "");
    SystemInfo info(source);
    FakeDriveSource drives;
    drives.drives.push_back(testsupport::FakeDrive{"C:\\", DRIVE_FIXED, 3ull << 30, 5ull << 30});
    drives.hasFreeSpaceEx = c.hasEx;
    drives.freeSpaceExFails = c.exFails;
    std::uint64_t available = 0, total = 0;
    ASSERT_TRUE(info.GetDiskSpace("C:\\", available, total, drives));
    EXPECT_EQ(c.call, drives.lastCall);
    EXPECT_EQ(3ull << 30, available);
    EXPECT_EQ(5ull << 30, total);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskSpace,
    ::testing::Values(DiskCase{"NtUsesEx", kNt, 100, true, false, 'x'},
                      DiskCase{"NtWithoutExUsesOld", kNt, 100, false, false, 'o'},
                      DiskCase{"NtFailingExUsesOld", kNt, 100, true, true, 'o'},
                      DiskCase{"NinetyXAbove1000UsesEx", k9x, 0x040A0401, true, false, 'x'},
                      DiskCase{"NinetyXAt1000UsesOld", k9x, 0x040003E8, true, false, 'o'},
                      DiskCase{"Win32sUsesOld", VER_PLATFORM_WIN32s, 2000, true, false, 'o'}),
    [](const ::testing::TestParamInfo<DiskCase>& info) { return std::string(info.param.name); });

TEST(SystemInfo, UnknownDriveHasNoSpace) {
    FakeSystemSource source;
    FakeDriveSource drives;
    std::uint64_t available = 0, total = 0;
    EXPECT_FALSE(SystemInfo(source).GetDiskSpace("Q:\\", available, total, drives));
}

TEST(ReadProgramPath, ReturnsLongPathsWhole) {
    FakeSystemSource source;
    std::string path = "C:\\";
    while (path.size() < 296) path += "LONG\\";
    path = path.substr(0, 296) + ".EXE";
    ASSERT_EQ(300u, path.size());
    source.programPath = path;
    EXPECT_EQ(path, ReadProgramPath(source));
    source.programPath = "C:\\GAME\\SORAHANE.EXE";
    EXPECT_EQ("C:\\GAME\\SORAHANE.EXE", ReadProgramPath(source));
    // Exactly the first buffer's room.
    source.programPath = std::string(260, 'P');
    EXPECT_EQ(source.programPath, ReadProgramPath(source));
}

TEST(SystemInfo, RealSystemIsDescribed) {
    SystemInfo info;
    EXPECT_EQ(0u, info.OsName().rfind("Windows ", 0)) << info.OsName();
    EXPECT_TRUE(info.IsNtFamily());
    EXPECT_NE(std::string::npos, info.VersionText().find('.'));
    EXPECT_GE(info.ProcessorCount(), 1);
    EXPECT_NE(nullptr, info.LanguageName());
    EXPECT_GT(info.Memory().dwTotalPhys, 0u);
    EXPECT_GT(info.ScreenWidth(), 0);
    EXPECT_GT(info.ScreenHeight(), 0);
    EXPECT_GT(info.BitsPerPixel(), 0);
    const std::string program = ReadProgramPath(RealSystemSource());
    ASSERT_GT(program.size(), 4u);
    EXPECT_EQ(".exe", LowerCopy(program.substr(program.size() - 4).c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(program.c_str()));
}

}  // namespace
