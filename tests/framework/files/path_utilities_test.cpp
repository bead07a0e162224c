#include "framework/files/path_utilities.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/framework/plugin_test_files.h"

namespace {

// "表" (0x95 0x5C), "ソ" (0x83 0x5C) and "能" (0x94 0x5C) end in the byte of '\'.
static_assert(sizeof("表") == 3 && "表"[1] == '\\', "sources must be compiled to Shift-JIS");

struct FullPathCase {
    const char* name;
    std::string input;
    const char* base;
    std::int32_t result;
    std::string expected;
};

TEST(PathUtilitiesTest, MakeFullPathCases) {
    const FullPathCase cases[] = {
        {"parent folder", "..\\SAVE", "C:\\GAME\\DATA\\", 2, "C:\\GAME\\SAVE"},
        {"drive name taken as it is", "D:/X/Y", "C:\\GAME\\", 1, "D:\\X\\Y"},
        {"UNC name", "\\\\server/share/a", "C:\\GAME\\", 1, "\\\\server\\share\\a"},
        {"current folder and slashes", "./a/b.txt", "C:\\G\\", 2, "C:\\G\\a\\b.txt"},
        {"leading separator stays relative", "/a", "C:\\G\\", 2, "C:\\G\\a"},
        {"base without its separator", "a", "C:\\G", 2, "C:\\G\\a"},
        {"above the root", "..\\..\\x", "C:\\G\\", 0, ""},
        {"empty base", "a", "", 0, ""},
        {"Shift-JIS trail bytes untouched", "表/ソ.txt", "C:\\G\\", 2, "C:\\G\\表\\ソ.txt"},
        {"Shift-JIS base cut at real separators", "..\\b", "C:\\ゲーム表\\", 2, "C:\\b"},
        {"Shift-JIS drive name", "C:/能/x", nullptr, 1, "C:\\能\\x"},
        {"name too long", std::string(300, 'n'), "C:\\G\\", 0, ""},
        {"join too long", std::string(250, 'n'), "C:\\0123456789\\", 0, ""},
        {"join that just fits", std::string(259 - 5, 'n'), "C:\\G\\", 2,
         "C:\\G\\" + std::string(254, 'n')},
        {"absolute name too long", "C:\\" + std::string(300, 'n'), nullptr, 0, ""},
    };
    for (const FullPathCase& c : cases) {
        SCOPED_TRACE(c.name);
        char out[kPathCapacity] = "garbage";
        EXPECT_EQ(c.result, MakeFullPath(out, c.input.c_str(), c.base));
        EXPECT_EQ(c.expected, out);
    }
    char out[kPathCapacity];
    EXPECT_EQ(0, MakeFullPath(out, nullptr, "C:\\"));
}

struct CutCase {
    const char* input;
    std::int32_t result;
    const char* expected;
};

TEST(PathUtilitiesTest, CutToParentDirCases) {
    const CutCase cases[] = {
        {"C:\\A\\B\\file", 0, "C:\\A\\B\\"},
        {"C:\\A\\B\\", 0, "C:\\A\\"},
        {"C:/A/", 0, "C:/"},
        {"C:", 1, "C:"},
        {"abc", 1, "abc"},
        {"C:\\", 1, "C:\\"},
        {"C:\\ソ", 0, "C:\\"},
        {"C:\\表\\", 0, "C:\\"},
        {"ソ表", 1, "ソ表"},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.input);
        char path[kPathCapacity];
        std::strcpy(path, c.input);
        EXPECT_EQ(c.result, CutToParentDir(path));
        EXPECT_STREQ(c.expected, path);
    }
}

struct SplitCase {
    const char* input;
    const char* folder;     // SplitFileName: what stays of the path
    const char* fileName;   // SplitFileName: the name copied out
    const char* part0;      // SplitPathPart mode 0
    const char* part1;      // SplitPathPart mode 1
    const char* extension;  // GetExtensionPart
    const char* stripped;   // StripExtension: what stays of the path
};

TEST(PathUtilitiesTest, SplittingKeepsShiftJisPairsWhole) {
    const SplitCase cases[] = {
        {"C:\\表\\ソ.txt", "C:\\表\\", "ソ.txt", "ソ.txt", "ソ.txt", "txt", "C:\\表\\ソ"},
        {"C:\\A\\能\\", "C:\\A\\能\\", "", "", "能", "", "C:\\A\\能\\"},
        {"C:\\a.b\\表", "C:\\a.b\\", "表", "表", "表", "", "C:\\a.b\\表"},
        {"表", "", "表", "表", "表", "", "表"},
        {"d/x.tar.gz", "d/", "x.tar.gz", "x.tar.gz", "x.tar.gz", "gz", "d/x.tar"},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.input);
        char path[kPathCapacity];
        char out[kPathCapacity];
        std::strcpy(path, c.input);
        SplitFileName(path, out);
        EXPECT_STREQ(c.folder, path);
        EXPECT_STREQ(c.fileName, out);
        SplitPathPart(c.input, out, 0);
        EXPECT_STREQ(c.part0, out);
        SplitPathPart(c.input, out, 1);
        EXPECT_STREQ(c.part1, out);
        GetExtensionPart(c.input, out);
        EXPECT_STREQ(c.extension, out);
        std::strcpy(path, c.input);
        StripExtension(path, out);
        EXPECT_STREQ(c.stripped, path);
        EXPECT_STREQ(c.extension, out);
    }
}

TEST(PathUtilitiesTest, BaseDirectoryFollowsTheModuleOrTheGivenFolder) {
    const std::string saved = GetBaseDirectory();
    ASSERT_EQ(0, SetBaseDirectoryFromModule(nullptr));
    EXPECT_EQ(plugintest::BinaryFolder(), GetBaseDirectory());

    ASSERT_EQ(0, SetBaseDirectory("C:/games/表"));
    EXPECT_STREQ("C:\\games\\表\\", GetBaseDirectory());
    ASSERT_EQ(0, SetBaseDirectory("..\\save"));
    EXPECT_STREQ("C:\\games\\save\\", GetBaseDirectory());
    char out[kPathCapacity];
    EXPECT_EQ(2, MakeFullPath(out, "a.txt", nullptr));
    EXPECT_STREQ("C:\\games\\save\\a.txt", out);
    EXPECT_EQ(1, SetBaseDirectory(std::string(300, 'x').c_str()));
    EXPECT_STREQ("C:\\games\\save\\", GetBaseDirectory());
    ASSERT_EQ(0, SetBaseDirectory(saved.c_str()));
}

}  // namespace
