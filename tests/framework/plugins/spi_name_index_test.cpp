#include "framework/plugins/spi_name_index.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct EqualityCase {
    const char* what;
    const char* a;
    const char* b;
    bool equal;
};

const EqualityCase kEqualityCases[] = {
    {"case of ASCII letters", "Data\\BG01.bmp", "dATA\\bg01.BMP", true},
    {"different letters", "abc", "abd", false},
    {"a prefix", "abc", "ab", false},
    {"'/' and '\\' differ", "a/b", "a\\b", false},
    {"full-width capital and small A", "\x82\x60", "\x82\x81", true},
    {"full-width A and B", "\x82\x60", "\x82\x61", false},
    {"the same trails under another lead do not fold", "\x83\x60", "\x83\x81", false},
    {"other lead bytes", "\x83\x41", "\x84\x41", false},
    {"a pair against a single byte", "\x82\x60", "A", false},
    {"NEC and IBM capital one", "\x87\x54", "\xFA\x4A", true},
    {"NEC ten and IBM capital ten", "\x87\x5D", "\xFA\x53", true},
    {"IBM small and capital one", "\xFA\x40", "\xFA\x4A", true},
    {"IBM small one and NEC one", "\xFA\x40", "\x87\x54", true},
    {"NEC one and two", "\x87\x54", "\x87\x55", false},
    {"NEC beyond ten keeps its lead", "\x87\x5E", "\xFA\x54", false},
    {"a pair's trail is not a letter", "\x83" "a", "\x83" "A", false},
    {"text after pairs", "\x87\x54" "x.DAT", "\xFA\x4A" "X.dat", true},
};

TEST(SpiNameIndex, NamesCompareUnderTheFoldingAndEqualNamesHashAlike) {
    for (const EqualityCase& c : kEqualityCases) {
        EXPECT_EQ(c.equal, SpiNamesEqual(c.a, c.b)) << c.what;
        EXPECT_EQ(c.equal, SpiNamesEqual(c.b, c.a)) << c.what;
        if (c.equal) {
            EXPECT_EQ(SpiNameHash(c.a), SpiNameHash(c.b)) << c.what;
        }
    }
    EXPECT_EQ(0xFFFFFFFFu, SpiNameHash("")) << "a hash of 0 becomes all ones";
    EXPECT_NE(SpiNameHash("a"), SpiNameHash("b"));
}

ArchiveEntryInfo* NewEntry(std::int32_t index) {
    auto* entry = new ArchiveEntryInfo{};
    entry->index = index;
    return entry;
}

TEST(SpiNameIndex, InsertsFindsAndRefusesANameTwice) {
    SpiNameIndex index;
    constexpr int kNames = 300;  // several to a bucket
    for (int i = 0; i < kNames; ++i) {
        const std::string name = "folder\\name" + std::to_string(i) + ".dat";
        ASSERT_EQ(0, index.Insert(name.c_str(), SpiNameHash(name.c_str()), NewEntry(i)));
    }
    EXPECT_EQ(static_cast<std::uint32_t>(kNames), index.Count());
    ArchiveEntryInfo twice = {};
    EXPECT_EQ(-1, index.Insert("FOLDER\\NAME7.DAT", SpiNameHash("FOLDER\\NAME7.DAT"), &twice));
    EXPECT_EQ(1, index.Insert("x", SpiNameHash("x"), nullptr));
    EXPECT_EQ(static_cast<std::uint32_t>(kNames), index.Count());
    for (int i = 0; i < kNames; ++i) {
        const std::string name = "FOLDER\\Name" + std::to_string(i) + ".DAT";
        const char* stored = nullptr;
        const ArchiveEntryInfo* entry = index.Find(name.c_str(), &stored);
        ASSERT_NE(nullptr, entry) << name;
        EXPECT_EQ(i, entry->index);
        EXPECT_EQ("folder\\name" + std::to_string(i) + ".dat", stored);
        const char* byIndex = nullptr;
        EXPECT_EQ(entry, index.FindByIndex(i, &byIndex));
        EXPECT_EQ(stored, byIndex);
    }
    EXPECT_EQ(nullptr, index.Find("folder\\name300.dat"));
    EXPECT_EQ(nullptr, index.FindByIndex(kNames, nullptr));
}

TEST(SpiNameIndex, ClearingReleasesEachEntryOnce) {
    SpiNameIndex index;
    ArchiveEntryInfo* held = NewEntry(0);
    held->holders = 1;
    ASSERT_EQ(0, index.Insert("held", SpiNameHash("held"), held));
    ASSERT_EQ(0, index.Insert("owned", SpiNameHash("owned"), NewEntry(1)));
    index.Clear();
    EXPECT_EQ(0u, index.Count());
    EXPECT_EQ(nullptr, index.Find("held"));
    EXPECT_EQ(0u, held->holders) << "the other holder keeps it";
    delete held;
}

}  // namespace
