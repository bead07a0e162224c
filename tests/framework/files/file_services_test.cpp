#include "framework/files/file_services.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/framework/vfs_test_fixture.h"
#include "tools/content/qpk_writer.h"

namespace {

FILETIME Time(std::uint32_t day) {
    SYSTEMTIME parts = {};
    parts.wYear = 2020;
    parts.wMonth = 3;
    parts.wDay = static_cast<WORD>(day);
    parts.wHour = 12;
    FILETIME time;
    SystemTimeToFileTime(&parts, &time);
    return time;
}

bool SetWriteTime(const std::string& path, const FILETIME& time) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const BOOL set = SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return set != FALSE;
}

std::string Content(const std::string& path) {
    const std::vector<std::uint8_t> bytes = testsupport::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

class FileServicesTest : public VfsTestBase {
protected:
    void TearDown() override {
        SetFileServicePlatform(DefaultFileServicePlatform());
        VfsTestBase::TearDown();
    }

    // A file in the game folder with the content and last-write time given.
    void MakeFile(const char* name, const std::string& content, std::uint32_t day) {
        ASSERT_TRUE(testsupport::WriteFile(Game(name), content));
        ASSERT_TRUE(SetWriteTime(Game(name), Time(day)));
    }
};

enum TargetState { kMissing, kOlder, kSameTime, kNewer, kReadOnlyOlder };

struct CopyCase {
    const char* what;
    TargetState target;
    std::int32_t mode;
    std::int32_t code;
    bool copied;
};

TEST_F(FileServicesTest, CopyFileIfNewerFollowsItsMode) {
    const CopyCase cases[] = {
        {"missing, always", kMissing, 1, 0, true},
        {"missing, only when missing", kMissing, 2, 0, true},
        {"missing, when newer", kMissing, 0, 0, true},
        {"older, always", kOlder, 1, 0, true},
        {"older, only when missing", kOlder, 2, 2, false},
        {"older, when newer", kOlder, 0, 0, true},
        {"same time, always", kSameTime, 1, 0, true},
        {"same time, only when missing", kSameTime, 2, 2, false},
        {"same time, when newer", kSameTime, 3, 1, false},
        {"newer, always", kNewer, 1, 0, true},
        {"newer, only when missing", kNewer, 2, 2, false},
        {"newer, when newer", kNewer, 0, 1, false},
        {"read-only, always", kReadOnlyOlder, 1, 0, true},
        {"read-only, only when missing", kReadOnlyOlder, 2, 2, false},
        {"read-only, when newer", kReadOnlyOlder, 0, 0, true},
    };
    for (const CopyCase& c : cases) {
        SetFileAttributesA(Game("target.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(Game("target.dat").c_str());
        MakeFile("source.dat", "source", 10);
        if (c.target != kMissing) {
            const std::uint32_t day = c.target == kSameTime ? 10 : c.target == kNewer ? 20 : 5;
            MakeFile("target.dat", "target", day);
            if (c.target == kReadOnlyOlder) SetFileAttributesA(Game("target.dat").c_str(), FILE_ATTRIBUTE_READONLY);
        }
        EXPECT_EQ(c.code, CopyFileIfNewer("target.dat", "source.dat", c.mode)) << c.what;
        EXPECT_EQ(c.copied ? "source" : "target", Content(Game("target.dat"))) << c.what;
    }
    SetFileAttributesA(Game("target.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(-1, CopyFileIfNewer("target.dat", "missing.dat", 1)) << "the copy fails";
    EXPECT_EQ(2, CopyFileIfNewer(nullptr, "source.dat", 1));
    EXPECT_EQ(2, CopyFileIfNewer("target.dat", std::string(300, 's').c_str(), 1));
}

TEST_F(FileServicesTest, IsFileNewerComparesNamedFilesOrGivenTimes) {
    MakeFile("old.dat", "old", 5);
    MakeFile("new.dat", "new", 10);
    MakeFile("same.dat", "same", 10);
    const FILETIME day7 = Time(7);
    const FILETIME day12 = Time(12);
    struct Case {
        const char* what;
        const char* first;
        const char* second;
        const FILETIME* firstTime;
        const FILETIME* secondTime;
        std::int32_t result;
    } cases[] = {
        {"newer", "new.dat", "old.dat", nullptr, nullptr, 1},
        {"older", "old.dat", "new.dat", nullptr, nullptr, 0},
        {"same time", "same.dat", "new.dat", nullptr, nullptr, 0},
        {"first missing", "missing.dat", "old.dat", nullptr, nullptr, -1},
        {"second missing", "old.dat", "missing.dat", nullptr, nullptr, 1},
        {"first unresolvable", "..\\..\\..\\..\\..\\..\\..\\..\\x", "old.dat", nullptr, nullptr, -1},
        {"neither name nor time", nullptr, "old.dat", nullptr, nullptr, -1},
        {"a name wins over a time", "old.dat", nullptr, &day12, &day7, 0},
        {"given times", nullptr, nullptr, &day12, &day7, 1},
        {"a given time against a file", nullptr, "new.dat", &day7, nullptr, 0},
        {"a file against a given time", "new.dat", nullptr, nullptr, &day7, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, IsFileNewer(c.first, c.second, c.firstTime, c.secondTime)) << c.what;
    }
}

TEST_F(FileServicesTest, SizesTimesAndExistenceComeFromPlainFilesOnly) {
    SYSTEMTIME local = {};
    local.wYear = 2019;
    local.wMonth = 11;
    local.wDay = 23;
    local.wHour = 14;
    local.wMinute = 35;
    local.wSecond = 50;
    FILETIME localTime, time;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &time));
    ASSERT_TRUE(testsupport::WriteFile(Game("here.dat"), std::string(1234, 'x')));
    ASSERT_TRUE(SetWriteTime(Game("here.dat"), time));
    std::int32_t parts[7] = {};
    ASSERT_EQ(0, GetFileTimeParts("here.dat", &parts[0], &parts[1], &parts[2], &parts[3], &parts[4], &parts[5],
                                  &parts[6]));
    EXPECT_EQ((std::vector<std::int32_t>{2019, 11, 23, 14, 35, 50, 6}), std::vector<std::int32_t>(parts, parts + 7))
        << "23 November 2019 was a Saturday";
    EXPECT_EQ(0, GetFileTimeParts("here.dat", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(3, GetFileTimeParts("missing.dat", &parts[0], nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1234, GetPlainFileSize("HERE.DAT"));
    EXPECT_EQ(-1, GetPlainFileSize("missing.dat"));

    // A search folder counts; a mounted archive does not.
    testsupport::TempFolder extra;
    ASSERT_TRUE(testsupport::WriteFile(extra.File("extra.dat"), std::string(7, 'e')));
    ASSERT_EQ(0, m_vfs.AddSearchDir(extra.Path().c_str(), true));
    testsupport::QpkWriter qpk;
    qpk.Add("packed.dat", "inside");
    ASSERT_TRUE(qpk.Write(Game("data.qpk")));
    ASSERT_EQ(0, m_vfs.MountArchive("data.qpk", 1, false, true, nullptr));
    ASSERT_EQ("inside", Load("packed.dat"));
    EXPECT_TRUE(FileExists("here.dat"));
    EXPECT_TRUE(FileExists("extra.dat"));
    EXPECT_EQ(7, GetPlainFileSize("extra.dat"));
    EXPECT_FALSE(FileExists("packed.dat"));
    EXPECT_EQ(-1, GetPlainFileSize("packed.dat"));
    EXPECT_FALSE(FileExists("missing.dat"));

    g_virtualFileSystem = nullptr;
    EXPECT_FALSE(FileExists("here.dat"));
    EXPECT_EQ(-1, GetPlainFileSize("here.dat"));
    EXPECT_EQ(3, GetFileTimeParts("here.dat", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(FileServices, SpecialFoldersExistAfterwards) {
    char path[MAX_PATH] = "";
    ASSERT_TRUE(GetSpecialFolderPath(path, CSIDL_PERSONAL));
    const DWORD attributes = GetFileAttributesA(path);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A machine whose drive Q: is a CD-ROM that holds what lies in a temporary folder, and whose
// other drives are hard disks.
struct FakeDrives {
    static DWORD WINAPI Logical() { return drives; }
    static UINT WINAPI Type(LPCSTR root) { return root[0] == 'Q' ? DRIVE_CDROM : DRIVE_FIXED; }
    static DWORD WINAPI Attributes(LPCSTR path) {
        if (path[0] != 'Q') return INVALID_FILE_ATTRIBUTES;
        return GetFileAttributesA((disc + (path + 3)).c_str());
    }
    static DWORD drives;
    static std::string disc;
};
DWORD FakeDrives::drives = 0;
std::string FakeDrives::disc;

TEST_F(FileServicesTest, FindCdromWithFileLooksOnlyOnCdromDrives) {
    testsupport::TempFolder disc;
    ASSERT_TRUE(testsupport::WriteFile(disc.File("setup\\game.dat"), std::string("disc")));
    FakeDrives::disc = disc.Path();
    FileServicePlatform platform = DefaultFileServicePlatform();
    platform.getLogicalDrives = FakeDrives::Logical;
    platform.getDriveType = FakeDrives::Type;
    platform.getFileAttributes = FakeDrives::Attributes;
    SetFileServicePlatform(platform);

    char root[4] = "?";
    FakeDrives::drives = 1u << ('C' - 'A');
    EXPECT_EQ(1, FindCdromWithFile("setup\\game.dat", root)) << "no CD-ROM drive";
    EXPECT_EQ(1, FindCdromWithFile(nullptr, root));
    FakeDrives::drives |= 1u << ('Q' - 'A');
    EXPECT_EQ(0, FindCdromWithFile("setup\\game.dat", root));
    EXPECT_STREQ("Q:\\", root);
    EXPECT_EQ(0, FindCdromWithFile("\\setup\\game.dat", nullptr));
    EXPECT_EQ(2, FindCdromWithFile("setup\\other.dat", root));
    EXPECT_EQ(2, FindCdromWithFile(std::string(400, 'n').c_str(), root)) << "too long to be on the disc";
    std::strcpy(root, "?");
    EXPECT_EQ(0, FindCdromWithFile(nullptr, root));
    EXPECT_STREQ("Q:\\", root);
}

TEST(FileServices, FindCdromWithFileOnThisMachineFindsNoDrive) {
    char root[4] = "";
    EXPECT_EQ(1, FindCdromWithFile("anything.dat", root));
}

// Records what would have been started.
struct RecordedStart {
    static BOOL WINAPI Create(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                              BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process) {
        line = commandLine;
        info = *startup;
        ZeroMemory(process, sizeof *process);
        return succeed;
    }
    static std::string line;
    static STARTUPINFOA info;
    static BOOL succeed;
};
std::string RecordedStart::line;
STARTUPINFOA RecordedStart::info;
BOOL RecordedStart::succeed = TRUE;

TEST_F(FileServicesTest, ExplorerAndProgramsStartWithTheCommandLineAndPositionGiven) {
    FileServicePlatform platform = DefaultFileServicePlatform();
    platform.createProcess = RecordedStart::Create;
    SetFileServicePlatform(platform);
    RecordedStart::succeed = TRUE;

    EXPECT_EQ(0, OpenFolderInExplorer("saves"));
    EXPECT_EQ("explorer " + Game("saves"), RecordedStart::line);
    EXPECT_EQ(1, OpenFolderInExplorer(nullptr));
    EXPECT_EQ(1, OpenFolderInExplorer(("C:\\" + std::string(250, 'f')).c_str())) << "too long to join";

    EXPECT_EQ(0, RunProgram("tool.exe /x", 0, 40, 50));
    EXPECT_EQ("tool.exe /x", RecordedStart::line);
    EXPECT_EQ(68u, RecordedStart::info.cb);
    EXPECT_EQ(40u, RecordedStart::info.dwX);
    EXPECT_EQ(50u, RecordedStart::info.dwY);
    EXPECT_EQ(0u, RecordedStart::info.dwFlags);

    RecordedStart::succeed = FALSE;
    EXPECT_EQ(2, OpenFolderInExplorer("saves"));
    EXPECT_EQ(1, RunProgram("tool.exe", 0, 0, 0));
    EXPECT_EQ(1, RunProgram(nullptr, 0, 0, 0));
}

}  // namespace
