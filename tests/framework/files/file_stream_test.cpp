#include "framework/files/file_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/framework/vfs_test_fixture.h"

namespace {

class FileStreamTest : public VfsTestBase {
protected:
    // Loads `content` as a plain file of the game folder.
    void LoadText(FileStream& file, const std::string& content) {
        ASSERT_TRUE(testsupport::WriteFile(Game("lines.txt"), content));
        ASSERT_EQ(0, file.LoadFile("lines.txt"));
    }
};

struct LineCase {
    const char* name;
    std::string content;
    std::uint32_t size;
    std::vector<std::string> lines;  // what ReadLine delivers until it returns 0
    std::uint32_t stoppedAt;         // the position where reading stopped
};

TEST_F(FileStreamTest, ReadLineCases) {
    const std::string long1023(1023, 'L');
    const std::string long1024(1024, 'L');
    const LineCase cases[] = {
        {"lines with CR LF", "ab\r\n\r\ncd\r\n", 16, {"ab", "", "cd"}, 10},
        {"last line without CR LF", "ab\r\ncd", 16, {"ab", "cd"}, 6},
        {"final 0x1A dropped", "ab\r\ncd\x1A", 16, {"ab", "cd"}, 7},
        {"0x1A alone on the last line", "ab\r\n\x1A", 16, {"ab", ""}, 5},
        {"lone CR and LF are characters", "a\rb\nc\r\n", 16, {"a\rb\nc"}, 7},
        {"line of size - 1 fits", long1023 + "\r\nx", 1024, {long1023, "x"}, 1026},
        {"line of size stops the reading", long1024 + "\r\nx", 1024, {}, 0},
        {"line longer than the data left", "abcdef", 4, {}, 0},
        {"empty file", "", 16, {}, 0},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        FileStream file;
        LoadText(file, c.content);
        std::vector<char> buffer(c.size);
        std::vector<std::string> lines;
        for (;;) {
            const std::uint32_t needed = file.ReadLine(nullptr, 0);
            const std::uint32_t passed = file.ReadLine(buffer.data(), c.size);
            if (passed == 0) break;
            lines.push_back(buffer.data());
            EXPECT_EQ(lines.back().size() + 1, needed);
        }
        EXPECT_EQ(c.lines, lines);
        EXPECT_EQ(c.stoppedAt, static_cast<std::uint32_t>(file.Tell()));
    }
}

TEST_F(FileStreamTest, ReadLineNeedsALoadedFile) {
    ASSERT_TRUE(testsupport::WriteFile(Game("lines.txt"), std::string("ab\r\ncd")));
    FileStream file;
    ASSERT_EQ(0, file.OpenStream("lines.txt"));
    char buffer[16];
    EXPECT_EQ(0u, file.ReadLine(buffer, sizeof buffer));
    EXPECT_EQ(0u, file.ReadLine(nullptr, 0));
    EXPECT_EQ(nullptr, file.Data());
    EXPECT_EQ(6u, file.Size());
    EXPECT_EQ(2u, file.Read(buffer, 2));
    EXPECT_EQ(0, file.SeekEnd(1));
    EXPECT_EQ(1u, file.Read(buffer, 8));
    EXPECT_EQ('d', buffer[0]);
    EXPECT_TRUE(file.IsEof());
}

TEST_F(FileStreamTest, LoadsAndStreamsArchiveEntriesAsTheirFlagsAllow) {
    testsupport::QpkWriter writer;
    writer.Add("packed.txt", std::string(3000, 'p'), testsupport::QpkEntryOptions{true});
    writer.Add("stored.txt", std::string("stored"));
    ASSERT_TRUE(writer.Write(Game("DATA.QPK")));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 4, false, true, nullptr));

    FileStream file;
    EXPECT_EQ(3, file.OpenStream("packed.txt"));
    EXPECT_STREQ("", file.FileName());
    ASSERT_EQ(0, file.OpenStream("stored.txt"));
    EXPECT_EQ(6u, file.Size());
    ASSERT_EQ(0, file.LoadFile("PACKED.TXT"));
    EXPECT_EQ(3000u, file.Size());
    EXPECT_EQ(Game("PACKED.TXT"), file.FileName());
    ASSERT_NE(nullptr, file.Data());

    void* block = file.Detach();
    ASSERT_NE(nullptr, block);
    EXPECT_EQ('p', static_cast<char*>(block)[2999]);
    EXPECT_EQ(3000u, GlobalSize(block));
    GlobalFree(block);

    ASSERT_EQ(0, file.LoadFromMount(4, 1, nullptr));
    EXPECT_EQ(LowerCase(GetBaseDirectory()) + "000001.DAT", file.FileName());
    EXPECT_EQ(0, std::memcmp("stored", file.Data(), 6));
    EXPECT_EQ(3, file.LoadFromMount(5, 0, nullptr));
    EXPECT_EQ(-1, file.Tell());
}

TEST_F(FileStreamTest, TempCopyOfAnArchiveEntryIsAPlainFileUntilClosed) {
    testsupport::QpkWriter writer;
    const std::string content(4000, 'z');
    writer.Add("movie.dat", content, testsupport::QpkEntryOptions{true});
    ASSERT_TRUE(writer.Write(Game("DATA.QPK")));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 1, false, true, nullptr));

    FileStream file;
    ASSERT_EQ(0, file.MakeTempCopy("movie.dat"));
    const std::string copy = file.FileName();
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    char longFolder[MAX_PATH];
    char longCopy[MAX_PATH];
    GetLongPathNameA(folder, longFolder, MAX_PATH);
    GetLongPathNameA(copy.c_str(), longCopy, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA(longFolder, std::string(longCopy).substr(0, std::strlen(longFolder)).c_str()));
    EXPECT_EQ(0, std::strncmp("ZLF", longCopy + std::strlen(longFolder), 3));
    EXPECT_EQ(4000u, file.Size());
    EXPECT_EQ(nullptr, file.Data());
    const std::vector<std::uint8_t> bytes = testsupport::ReadFile(copy);
    EXPECT_EQ(content, std::string(bytes.begin(), bytes.end()));

    file.Close();
    EXPECT_FALSE(testsupport::FileExists(copy));
    EXPECT_EQ(3, file.MakeTempCopy("missing.dat"));
    EXPECT_STREQ("", file.FileName());
}

TEST_F(FileStreamTest, WritingCreatesPlainFilesAndPrintfHasNoLengthLimit) {
    FileStream file;
    ASSERT_EQ(0, file.Create("./log.txt", false));
    EXPECT_EQ(Game("log.txt"), file.FileName());
    const std::string longWord(2000, 'w');
    EXPECT_EQ(3u, file.Write("abc", 3));
    EXPECT_EQ(0u, file.Write(nullptr, 3));
    EXPECT_EQ(2000u + 5u, file.Printf("[%s:%d]", longWord.c_str(), 42));
    file.Close();
    const std::vector<std::uint8_t> written = testsupport::ReadFile(Game("log.txt"));
    EXPECT_EQ("abc[" + longWord + ":42]", std::string(written.begin(), written.end()));

    EXPECT_EQ(3, file.Create("log.txt", false));
    EXPECT_STREQ("", file.FileName());
    EXPECT_EQ(5, file.Create(std::string(300, 'n').c_str(), true));
    EXPECT_EQ(0u, file.Printf("%d", 1));

    ASSERT_EQ(0, file.OpenReadWrite("log.txt"));
    EXPECT_EQ(written.size(), file.Size());
    EXPECT_EQ(0, file.SeekEnd(-2));
    char tail[2];
    EXPECT_EQ(2u, file.Read(tail, 2));
    EXPECT_EQ(']', tail[1]);
    EXPECT_TRUE(file.IsEof());
    EXPECT_EQ(3, file.OpenReadWrite("missing.txt"));
    EXPECT_EQ(3, file.SeekSet(0));
}

TEST_F(FileStreamTest, WithoutAFileSystemEveryLoadFails) {
    g_virtualFileSystem = nullptr;
    FileStream file;
    EXPECT_EQ(1, file.LoadFile("a.txt"));
    EXPECT_EQ(1, file.OpenStream("a.txt"));
    EXPECT_EQ(1, file.LoadFromMount(0, 0, nullptr));
    EXPECT_EQ(1, file.MakeTempCopy("a.txt"));
}

}  // namespace
