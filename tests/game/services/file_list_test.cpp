#include "game/services/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "framework/files/path_utilities.h"
#include "tests/support/file_tree_writer.h"
#include "tests/support/win_test_env.h"

namespace {

using testsupport::TreeItem;
using testsupport::UtcTime;

struct Item {
    TreeItem tree;
    int weekday;  // of the UTC date: the tests run with the local time zone UTC
};

TreeItem File(const char* path, std::uint32_t size, std::uint32_t seed, SYSTEMTIME time, DWORD attributes = 0) {
    TreeItem item;
    item.path = path;
    item.size = size;
    item.seed = seed;
    item.lastWrite = time;
    item.attributes = attributes;
    return item;
}

TreeItem Folder(const char* path, SYSTEMTIME time, DWORD attributes = 0) {
    return File(path, 0, 0, time, attributes);
}

const std::vector<Item>& TreeItems() {
    static const std::vector<Item> items = {
        {File("a.txt", 10, 1, UtcTime(2003, 4, 5, 6, 7, 8), FILE_ATTRIBUTE_HIDDEN), 6},
        {File("b.dat", 70000, 2, UtcTime(1999, 12, 31, 23, 59, 58), FILE_ATTRIBUTE_SYSTEM), 5},
        {Folder("sub1\\", UtcTime(2010, 1, 1, 0, 0, 0)), 5},
        {File("sub1\\c.txt", 3, 3, UtcTime(2021, 2, 28, 12, 34, 56), FILE_ATTRIBUTE_READONLY), 0},
        {Folder("sub1\\deep\\", UtcTime(2015, 7, 19, 8, 9, 10)), 0},
        {File("sub1\\deep\\d.txt", 0, 4, UtcTime(2008, 2, 29, 13, 14, 15)), 5},
        {File("sub1\\e.dat", 5, 5, UtcTime(2024, 11, 11, 1, 2, 3)), 1},
        {Folder("sub2\\", UtcTime(2024, 11, 11, 22, 33, 44), FILE_ATTRIBUTE_HIDDEN), 1},
    };
    return items;
}

bool IsFolderName(const std::string& name) { return !name.empty() && name.back() == '\\'; }

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The flags an entry should carry for what the file system says of the item.
std::uint8_t FlagsOnDisk(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path;
    std::uint8_t flags = 0;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) flags |= 16;
    if (attributes & FILE_ATTRIBUTE_ARCHIVE) flags |= 8;
    if (attributes & FILE_ATTRIBUTE_SYSTEM) flags |= 4;
    if (attributes & FILE_ATTRIBUTE_HIDDEN) flags |= 2;
    if (attributes & FILE_ATTRIBUTE_READONLY) flags |= 1;
    return flags;
}

// The order the listing promises; the file system's order within a folder is its own.
void ExpectListingOrder(const std::vector<std::string>& names) {
    std::set<std::string> folders;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        for (std::size_t cut = name.find('\\'); cut != std::string::npos; cut = name.find('\\', cut + 1)) {
            folders.insert(name.substr(0, cut + 1));
        }
        if (IsFolderName(name)) {
            for (std::size_t j = 0; j < names.size(); ++j) {
                if (j != i && StartsWith(names[j], name)) {
                    EXPECT_LT(i, j) << name << " comes before " << names[j];
                }
            }
        } else {
            const std::string parent = name.substr(0, name.rfind('\\') + 1);
            for (std::size_t j = 0; j < names.size(); ++j) {
                if (StartsWith(names[j], parent) && names[j].find('\\', parent.size()) != std::string::npos) {
                    EXPECT_LT(j, i) << names[j] << ", in a folder beside it, comes before " << name;
                }
            }
        }
    }
    for (const std::string& folder : folders) {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (StartsWith(names[i], folder)) at.push_back(i);
        }
        EXPECT_EQ(at.size() - 1, at.back() - at.front()) << "what lies under " << folder << " is one run";
    }
}

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = m_folder.File("tree\\");
        ASSERT_TRUE(CreateDirectoryA(m_folder.File("tree").c_str(), nullptr));
        std::vector<TreeItem> tree;
        for (const Item& item : TreeItems()) tree.push_back(item.tree);
        ASSERT_TRUE(testsupport::WriteTree(m_root, tree));
        m_savedBase = GetBaseDirectory();
    }
    void TearDown() override { SetBaseDirectory(m_savedBase.c_str()); }

    static std::vector<std::string> Names(const FileList& list) {
        std::vector<std::string> names;
        for (std::uint32_t i = 0; i < list.Count(); ++i) names.push_back(list.EntryName(i));
        return names;
    }

    // Every entry against the tree: size, local time, weekday and flags.
    void ExpectEntriesMatchTheTree(const FileList& list) {
        for (std::uint32_t i = 0; i < list.Count(); ++i) {
            const FileListEntry* entry = list.Entry(i);
            ASSERT_NE(nullptr, entry);
            SCOPED_TRACE(entry->name);
            const auto item = std::find_if(TreeItems().begin(), TreeItems().end(),
                                           [&](const Item& it) { return it.tree.path == entry->name; });
            ASSERT_NE(TreeItems().end(), item);
            const SYSTEMTIME& time = item->tree.lastWrite;
            EXPECT_EQ(item->tree.size, entry->size);
            EXPECT_EQ(time.wYear, entry->year);
            EXPECT_EQ(time.wMonth, entry->month);
            EXPECT_EQ(time.wDay, entry->day);
            EXPECT_EQ(item->weekday, entry->weekday);
            EXPECT_EQ(time.wHour, entry->hour);
            EXPECT_EQ(time.wMinute, entry->minute);
            EXPECT_EQ(time.wSecond, entry->second);
            std::string path = m_root + entry->name;
            if (IsFolderName(path)) path.pop_back();
            EXPECT_EQ(FlagsOnDisk(path), entry->flags);
        }
    }

    testsupport::TempFolder m_folder;
    std::string m_root;
    std::string m_savedBase;
};

TEST_F(FileListTest, TheTreesAttributesReachTheFileSystem) {
    // Otherwise the flag checks below would prove little.
    EXPECT_EQ(2, FlagsOnDisk(m_root + "a.txt") & 2);
    EXPECT_EQ(4, FlagsOnDisk(m_root + "b.dat") & 4);
    EXPECT_EQ(1, FlagsOnDisk(m_root + "sub1\\c.txt") & 1);
    EXPECT_EQ(18, FlagsOnDisk(m_root + "sub2") & 18);
}

TEST_F(FileListTest, ListsByFolderModeAndRecursionInTheListingsOrder) {
    struct Case {
        std::uint8_t foldersMode;
        bool recurse;
        const char* pattern;
        std::set<std::string> names;
    };
    const Case cases[] = {
        {0, false, nullptr, {"a.txt", "b.dat"}},
        {0, true, nullptr, {"a.txt", "b.dat", "sub1\\c.txt", "sub1\\deep\\d.txt", "sub1\\e.dat"}},
        {1, false, nullptr, {"a.txt", "b.dat", "sub1\\", "sub2\\"}},
        {1, true, nullptr,
         {"a.txt", "b.dat", "sub1\\", "sub1\\c.txt", "sub1\\deep\\", "sub1\\deep\\d.txt", "sub1\\e.dat", "sub2\\"}},
        {2, false, nullptr, {"sub1\\", "sub2\\"}},
        {2, true, nullptr, {"sub1\\", "sub1\\deep\\", "sub2\\"}},
        // The pattern picks files; folders are looked into whatever their names.
        {0, true, "*.txt", {"a.txt", "sub1\\c.txt", "sub1\\deep\\d.txt"}},
        {1, true, "*.dat", {"b.dat", "sub1\\", "sub1\\deep\\", "sub1\\e.dat", "sub2\\"}},
        {2, true, "*.txt", {"sub1\\", "sub1\\deep\\", "sub2\\"}},
        {1, false, "nothing*", {"sub1\\", "sub2\\"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.foldersMode) + (c.recurse ? " recursive " : " flat ") +
                     (c.pattern ? c.pattern : "(no pattern)"));
        FileList list;
        EXPECT_EQ(c.names.size(), list.List(m_root.c_str(), c.pattern, c.foldersMode, c.recurse));
        const std::vector<std::string> names = Names(list);
        EXPECT_EQ(c.names, std::set<std::string>(names.begin(), names.end()));
        ExpectListingOrder(names);
        ExpectEntriesMatchTheTree(list);
    }
}

TEST_F(FileListTest, FindsTheFolderAsPathsAreResolved) {
    FileList reference;
    const std::uint32_t count = reference.List(m_root.c_str(), nullptr, 1, true);
    ASSERT_EQ(8u, count);
    const std::vector<std::string> expected = Names(reference);
    ASSERT_EQ(0, SetBaseDirectory(m_root.c_str()));
    const std::string plain = m_folder.File("tree");
    std::string slashes = m_root;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    const char* folders[] = {nullptr, plain.c_str(), m_root.c_str(), slashes.c_str()};
    for (const char* folder : folders) {
        SCOPED_TRACE(folder ? folder : "(null: the base directory)");
        FileList list;
        EXPECT_EQ(count, list.List(folder, nullptr, 1, true));
        EXPECT_EQ(expected, Names(list)) << "one file system, one order";
    }
    ASSERT_EQ(0, SetBaseDirectory(m_folder.Path().c_str()));
    FileList relative;
    EXPECT_EQ(2u, relative.List("tree\\sub1", nullptr, 0, false));
    const std::vector<std::string> names = Names(relative);
    EXPECT_EQ((std::set<std::string>{"c.txt", "e.dat"}), std::set<std::string>(names.begin(), names.end()));
}

TEST_F(FileListTest, AFolderThatDoesNotResolveGivesNoEntries) {
    const std::string tooLong(kPathCapacity + 10, 'x');
    std::string aboveTheRoot;
    for (int level = 0; level < 64; ++level) aboveTheRoot += "..\\";
    const char* folders[] = {tooLong.c_str(), aboveTheRoot.c_str()};
    for (const char* folder : folders) {
        FileList list;
        ASSERT_EQ(4u, list.List(m_root.c_str(), nullptr, 1, false));
        EXPECT_EQ(0u, list.List(folder, nullptr, 1, false));
        EXPECT_EQ(0u, list.Count()) << "the old entries are gone";
        EXPECT_EQ(nullptr, list.Entry(0));
    }
}

TEST_F(FileListTest, EntriesBeyondTheCountAreNullAndClearEmptiesTheList) {
    FileList list;
    ASSERT_EQ(2u, list.List(m_root.c_str(), nullptr, 0, false));
    EXPECT_NE(nullptr, list.Entry(1));
    EXPECT_EQ(nullptr, list.Entry(2));
    EXPECT_EQ(nullptr, list.EntryName(2));
    EXPECT_EQ(nullptr, list.EntryName(0xFFFFFFFFu));
    list.Clear();
    EXPECT_EQ(0u, list.Count());
    EXPECT_EQ(nullptr, list.EntryName(0));
}

}  // namespace
