// Extension lists that plug-ins hand the archive and image hosts.
#include "framework/plugins/plugin_module.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(ReadExtensionList, NamesUpToTheEmptyOne) {
    const char list[] = "QPK\0DAT\0\0IGNORED\0";
    EXPECT_EQ((Names{"QPK", "DAT"}), ReadExtensionList(list));
    EXPECT_EQ(Names{}, ReadExtensionList("\0"));
    EXPECT_EQ(Names{}, ReadExtensionList(nullptr));
}

TEST(ReadExtensionList, NamesOfUpTo255CharactersAreKept) {
    std::string list = std::string(255, 'L');
    list.push_back('\0');
    list += "BMP";
    list.push_back('\0');
    list.push_back('\0');
    EXPECT_EQ((Names{std::string(255, 'L'), "BMP"}), ReadExtensionList(list.c_str()));
}

TEST(ReadExtensionList, ANameWithoutEndStopsTheList) {
    // 256 characters and no terminator within them: nothing further is read.
    std::string list = "ELG";
    list.push_back('\0');
    list += std::string(256, 'X');
    list.push_back('\0');
    list += "BMP";
    list.push_back('\0');
    list.push_back('\0');
    EXPECT_EQ(Names{"ELG"}, ReadExtensionList(list.c_str()));
}

TEST(ReadExtensionList, AtMost256Names) {
    std::string list;
    for (int i = 0; i < 300; ++i) {
        list += "E" + std::to_string(i);
        list.push_back('\0');
    }
    list.push_back('\0');
    const Names names = ReadExtensionList(list.c_str());
    ASSERT_EQ(256u, names.size());
    EXPECT_EQ("E0", names.front());
    EXPECT_EQ("E255", names.back());
}

}  // namespace
