#include "framework/interfaces/deleting_destructor.h"
#include "framework/files/virtual_file_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/framework/plugin_test_files.h"
#include "tests/support/test_archive_writer.h"
#include "tests/framework/vfs_test_fixture.h"

namespace {

using testsupport::QpkEntryOptions;
using testsupport::QpkWriter;

bool WriteQpk(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries,
              bool compress = false) {
    QpkWriter writer;
    for (const auto& entry : entries) writer.Add(entry.first, entry.second, QpkEntryOptions{compress});
    return writer.Write(path);
}

class VirtualFileSystemTest : public VfsTestBase {};

TEST_F(VirtualFileSystemTest, PlainFilesThenSearchFoldersThenArchives) {
    ASSERT_TRUE(testsupport::WriteFile(Game("a.txt"), std::string("plain-a")));
    ASSERT_TRUE(testsupport::WriteFile(m_folder.File("extra\\a.txt"), std::string("search-a")));
    ASSERT_TRUE(testsupport::WriteFile(m_folder.File("extra\\b.txt"), std::string("search-b")));
    ASSERT_TRUE(WriteQpk(Game("DATA.QPK"),
                         {{"a.txt", "archive-a"}, {"b.txt", "archive-b"}, {"c.txt", "archive-c"}}));
    ASSERT_TRUE(WriteQpk(m_folder.File("extra\\EXTRA.QPK"), {{"d.txt", "extra-d"}}));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 1, false, true, nullptr));
    ASSERT_EQ(0, m_vfs.MountArchive(m_folder.File("extra\\EXTRA.QPK").c_str(), 2, false, true, nullptr));
    ASSERT_EQ(0, m_vfs.AddSearchDir(m_folder.File("extra").c_str(), true));

    struct Case {
        const char* name;
        const char* content;
        std::string path;  // resolved path that LoadFile reports
    };
    const Case cases[] = {
        {"a.txt", "plain-a", Game("a.txt")},
        {"B.TXT", "search-b", LowerCase(m_folder.File("extra\\")) + "B.TXT"},
        {"c.txt", "archive-c", Game("c.txt")},
        {"d.txt", "extra-d", LowerCase(m_folder.File("extra\\")) + "d.txt"},
        {"e.txt", "<code 3>", ""},
        {"..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\x", "<code 5>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string resolved;
        EXPECT_EQ(c.content, Load(c.name, &resolved));
        EXPECT_EQ(c.path, resolved);
        EXPECT_EQ(c.content, Stream(c.name));
    }
    // An absolute name is never looked for in the search folders.
    ASSERT_TRUE(testsupport::WriteFile(m_folder.File("extra\\s.txt"), std::string("search-s")));
    EXPECT_EQ("search-s", Load("s.txt"));
    EXPECT_EQ("<code 3>", Load(Game("s.txt").c_str()));
}

TEST_F(VirtualFileSystemTest, FrontMountsOverrideAndEndMountsFillGaps) {
    ASSERT_TRUE(WriteQpk(Game("FIRST.QPK"), {{"x", "first-x"}, {"y", "first-y"}}));
    ASSERT_TRUE(WriteQpk(Game("SECOND.QPK"), {{"x", "second-x"}}));
    ASSERT_TRUE(WriteQpk(Game("THIRD.QPK"), {{"x", "third-x"}, {"z", "third-z"}}));
    ASSERT_EQ(0, m_vfs.MountArchive("FIRST.QPK", 1, false, true, nullptr));
    ASSERT_EQ(0, m_vfs.MountArchive("SECOND.QPK", 2, false, false, nullptr));
    ASSERT_EQ(0, m_vfs.MountArchive("THIRD.QPK", 3, false, true, nullptr));
    EXPECT_EQ("second-x", Load("x"));
    EXPECT_EQ("first-y", Load("Y"));
    EXPECT_EQ("third-z", Stream("z"));

    m_vfs.RemoveMount(nullptr, 2, 0);
    EXPECT_EQ("first-x", Load("x"));
    m_vfs.RemoveMount(GetBaseDirectory(), 0, 0);
    EXPECT_EQ(0, m_vfs.MountCount());
    EXPECT_EQ("<code 3>", Load("x"));
}

// Records are named by the folder that their own-folder prefix ends in.
struct MarkerStep {
    const char* action;   // "+x/a" mount front, "*x/a" mount at the end, "-tag" remove
    std::int32_t tag;
    std::vector<std::string> order;
    std::vector<std::int32_t> markers;  // heads: 1000 + characters shared beyond the game folder
};

TEST_F(VirtualFileSystemTest, GroupMarkersStayRightAcrossInsertionsAndRemovals) {
    for (const char* name : {"x\\A.QPK", "x\\B.QPK", "y\\C.QPK", "y\\D.QPK"}) {
        ASSERT_TRUE(WriteQpk(Game(name), {{"entry", name}}));
    }
    const std::int32_t base = static_cast<std::int32_t>(std::strlen(GetBaseDirectory()));
    const MarkerStep steps[] = {
        {"+x\\A.QPK", 1, {"a"}, {0}},
        {"+x\\B.QPK", 2, {"b", "a"}, {1002, -1}},
        {"*y\\C.QPK", 3, {"b", "a", "c"}, {1000, 0, -1}},
        {"+y\\D.QPK", 4, {"d", "b", "a", "c"}, {1000, 0, 0, -1}},
        {"-", 4, {"b", "a", "c"}, {1000, 0, -1}},
        {"-", 3, {"b", "a"}, {1000, -1}},
        {"-", 2, {"a"}, {0}},
        {"*x\\B.QPK", 2, {"a", "b"}, {1002, -1}},
        {"+x\\A.QPK", 5, {"a", "a", "b"}, {1002, 0, -1}},
        {"-", 1, {"a", "b"}, {1002, -1}},
        {"-", 2, {"a"}, {0}},
    };
    for (const MarkerStep& step : steps) {
        SCOPED_TRACE(std::string(step.action) + " tag " + std::to_string(step.tag));
        if (step.action[0] == '-') {
            m_vfs.RemoveMount(nullptr, step.tag, 0);
        } else {
            ASSERT_EQ(0, m_vfs.MountArchive(step.action + 1, step.tag, true, step.action[0] == '*',
                                            nullptr));
        }
        std::vector<std::string> order;
        for (std::int32_t i = 0; i < m_vfs.MountCount(); ++i) {
            const std::string prefix = m_vfs.GetMountPrefix(-1, i);
            order.push_back(prefix.substr(prefix.size() - 2, 1));
        }
        EXPECT_EQ(step.order, order);
        std::vector<std::int32_t> expected = step.markers;
        for (std::int32_t& marker : expected) {
            if (marker >= 1000) marker = marker - 1000 + base;
        }
        EXPECT_EQ(expected, m_vfs.MountMarkers());
    }
}

TEST_F(VirtualFileSystemTest, CompressedEntriesOpenOnlyWithExtraction) {
    const std::string text(5000, 'q');
    ASSERT_TRUE(WriteQpk(Game("PACKED.QPK"), {{"big.txt", text}}, true));
    ASSERT_EQ(0, m_vfs.MountArchive("PACKED.QPK", 1, false, true, nullptr));
    EXPECT_EQ("<code 3>", Stream("big.txt", false));
    std::int32_t code = -1;
    ByteStream* stream = m_vfs.OpenFile("big.txt", nullptr, &code, true);
    ASSERT_NE(nullptr, stream);
    EXPECT_EQ(0, code);
    EXPECT_NE(nullptr, stream->Detach(0));  // a memory stream of the whole entry
    EXPECT_EQ(text.size(), stream->Size());
    ReleaseObject(stream);
    EXPECT_EQ(text, Load("big.txt"));
}

TEST_F(VirtualFileSystemTest, LocateFileTellsPlainFilesFromArchiveEntries) {
    ASSERT_TRUE(testsupport::WriteFile(Game("plain.txt"), std::string("p")));
    ASSERT_TRUE(WriteQpk(Game("DATA.QPK"), {{"inside.txt", "i"}}));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 1, false, true, nullptr));
    char path[kPathCapacity];
    WIN32_FIND_DATAA data;
    EXPECT_EQ(0, m_vfs.LocateFile(path, "plain.txt", &data));
    EXPECT_EQ(1u, data.nFileSizeLow);
    EXPECT_EQ(-1, m_vfs.LocateFile(path, "INSIDE.TXT", nullptr));
    EXPECT_EQ(2, m_vfs.LocateFile(path, "missing.txt", nullptr));
    EXPECT_EQ(1, m_vfs.LocateFile(path, std::string(300, 'n').c_str(), nullptr));
    EXPECT_EQ(0, m_vfs.FindFile(path, "plain.txt", nullptr));
    EXPECT_EQ(3, m_vfs.FindFile(path, "inside.txt", nullptr));
    EXPECT_EQ(2, m_vfs.FindFile(path, Game("missing.txt").c_str(), nullptr));
    HANDLE handle = INVALID_HANDLE_VALUE;
    EXPECT_EQ(0, m_vfs.OpenRawHandle(&handle, "plain.txt", true, path));
    EXPECT_EQ(Game("plain.txt"), path);
    CloseHandle(handle);
    EXPECT_EQ(2, m_vfs.OpenRawHandle(&handle, "inside.txt", true, nullptr));
}

TEST_F(VirtualFileSystemTest, QpkIsFoundWhateverTheCaseOfItsExtension) {
    for (const char* path : {"c:\\x\\data.qpk", "C:\\X\\DATA.QPK", "c:\\x\\Data.Qpk"}) {
        SCOPED_TRACE(path);
        ASSERT_NE(nullptr, m_vfs.FindDecoderByExtension(path));
    }
    EXPECT_EQ(nullptr, m_vfs.FindDecoderByExtension("c:\\x.qpk\\data"));
    EXPECT_EQ(nullptr, m_vfs.FindDecoderByExtension("c:\\x\\data.qp"));
    ASSERT_TRUE(WriteQpk(Game("patch.qpk"), {{"p.txt", "patched"}}));
    ASSERT_EQ(0, m_vfs.MountArchive("patch.qpk", 1, false, true, nullptr));
    EXPECT_EQ("patched", Load("p.txt"));
}

// A decoder that refuses every archive without saying why.
class SilentDecoder final : public WithDeletingDestructor<SilentDecoder, ArchiveDecoder> {
public:
    Archive* XM_METHOD Open(const char*, HANDLE, std::int32_t*) override { return nullptr; }
    std::int32_t XM_METHOD Assist(ArchiveOptionRecord) override { return 0; }
};

TEST_F(VirtualFileSystemTest, MountFailuresAreReportedAndLeaveNoMount) {
    ASSERT_EQ(0, m_vfs.RegisterBuiltinDecoder(new SilentDecoder, "SIL\0", "silent", 5, nullptr,
                                              nullptr, nullptr));
    EXPECT_EQ(1, m_vfs.RegisterBuiltinDecoder(nullptr, "X\0", "none", 6, nullptr, nullptr, nullptr));
    ASSERT_TRUE(testsupport::WriteFile(Game("A.SIL"), std::string("anything")));
    ASSERT_TRUE(testsupport::WriteFile(Game("JUNK.DAT"), std::string("neither format")));
    ASSERT_TRUE(testsupport::WriteFile(Game("BAD.QPK"), std::string("QPK0 not really")));
    EXPECT_EQ(1, m_vfs.MountArchive("A.SIL", 1, false, true, nullptr));
    EXPECT_EQ(1, m_vfs.MountArchive("JUNK.DAT", 1, false, true, nullptr));
    EXPECT_EQ(1, m_vfs.MountArchive("BAD.QPK", 1, false, true, nullptr));
    EXPECT_EQ(5, m_vfs.MountArchive("MISSING.QPK", 1, false, true, nullptr));
    EXPECT_EQ(0, m_vfs.MountCount());
    // Nothing holds the refused files open.
    EXPECT_TRUE(DeleteFileA(Game("A.SIL").c_str()));
    EXPECT_TRUE(DeleteFileA(Game("JUNK.DAT").c_str()));
}

TEST_F(VirtualFileSystemTest, SearchFoldersAreNormalisedAndOrdered) {
    EXPECT_EQ(0, m_vfs.AddSearchDir("One", true));
    EXPECT_EQ(0, m_vfs.AddSearchDir("two/", true));
    EXPECT_EQ(0, m_vfs.AddSearchDir("Zero\\", false));
    EXPECT_EQ(1, m_vfs.AddSearchDir(std::string(300, 'f').c_str(), true));
    ASSERT_EQ(3, m_vfs.SearchDirCount());
    const std::string base = LowerCase(GetBaseDirectory());
    EXPECT_EQ(base + "zero\\", m_vfs.GetSearchDir(0));
    EXPECT_EQ(base + "two\\", m_vfs.GetSearchDir(-1));
    EXPECT_EQ(nullptr, m_vfs.GetSearchDir(3));
    EXPECT_EQ(0, m_vfs.RemoveSearchDir("ONE\\", 0));
    EXPECT_EQ(-1, m_vfs.RemoveSearchDir("one", 0));
    EXPECT_EQ(0, m_vfs.RemoveSearchDir(nullptr, -1));
    EXPECT_EQ(-1, m_vfs.RemoveSearchDir(nullptr, 5));
    EXPECT_EQ(base + "zero\\", m_vfs.GetSearchDir(-1));
    m_vfs.ClearSearchDirs();
    EXPECT_EQ(0, m_vfs.SearchDirCount());
}

TEST_F(VirtualFileSystemTest, ExtractFromMountNamesWhatItExtracted) {
    QpkWriter writer;
    writer.Add("first.txt", std::string("one"));
    writer.Add("second.txt", std::string("two"));
    ASSERT_TRUE(writer.Write(Game("DATA.QPK")));
    Archive* archive = nullptr;
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 7, true, true, &archive));
    EXPECT_EQ(archive, m_vfs.GetMountArchive(7, 0));
    EXPECT_EQ(archive, m_vfs.GetMountArchive(-1, -1));
    EXPECT_EQ(LowerCase(Game("data\\")), m_vfs.GetMountPrefix(7, 0));
    EXPECT_EQ("two", Load("data\\second.txt"));

    GlobalBlock pair;
    char name[kPathCapacity];
    ASSERT_EQ(0, m_vfs.ExtractFromMount(7, 1, nullptr, GlobalAllocBlock, GlobalFreeBlock, &pair, name));
    EXPECT_EQ("two", std::string(static_cast<char*>(pair.block), pair.size));
    EXPECT_EQ(LowerCase(Game("data\\")) + "000001.DAT", name);
    GlobalFreeBlock(&pair);
    ASSERT_EQ(0, m_vfs.ExtractFromMount(7, -1, "first.txt", GlobalAllocBlock, GlobalFreeBlock, &pair,
                                        name));
    EXPECT_EQ(LowerCase(Game("data\\")) + "first.txt", name);
    GlobalFreeBlock(&pair);
    EXPECT_EQ(3, m_vfs.ExtractFromMount(7, -1, "none.txt", GlobalAllocBlock, GlobalFreeBlock, &pair,
                                        nullptr));
    EXPECT_EQ(nullptr, pair.block);
    EXPECT_EQ(3, m_vfs.ExtractFromMount(8, 0, nullptr, GlobalAllocBlock, GlobalFreeBlock, &pair,
                                        nullptr));
}

}  // namespace
