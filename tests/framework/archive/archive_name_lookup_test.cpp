#include "framework/archive/archive_name_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// A hand-made trie with 16-bit links holding "ab" (entry 5) and "b" (entry 7). A link counts
// from the end of its record.
const std::vector<std::uint8_t> kTrie = {
    2, 'a', 3, 0, 'b', 8, 0,  //  0: 'a' leads to 4 + 3 = 7, 'b' to 7 + 8 = 15
    1, 'b', 0, 0,             //  7: 'b' leads to 11
    1, 0, 5, 0,               // 11: end of "ab"
    1, 0, 7, 0,               // 15: end of "b"
};

TEST(ArchiveNameLookup, FollowsTheTrieWithTheAskedCasing) {
    const std::vector<std::uint8_t>& trie = kTrie;
    struct Case {
        const char* name;
        int casing;
        std::int32_t index;
    } cases[] = {
        {"ab", 0, 5}, {"b", 0, 7}, {"AB", 0, -1}, {"AB", 2, 5}, {"Ab", -1, 5}, {"ab", 1, -1},
        {"a", 0, -1}, {"abc", 0, -1}, {"", 0, -1}, {"c", 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.index, ArchiveNameLookup(trie.data(), static_cast<std::uint32_t>(trie.size()), false, c.name,
                                             c.casing));
    }
    EXPECT_EQ(-1, ArchiveNameLookup(nullptr, 10, false, "ab", 0));
    EXPECT_EQ(-1, ArchiveNameLookup(trie.data(), static_cast<std::uint32_t>(trie.size()), false, nullptr, 0));
}

TEST(ArchiveNameLookup, EntryIndexBeyondTheSignedRangeIsNoEntry) {
    // 32-bit links: "a" ends in entry 0x80000000, "b" in entry 0x7FFFFFFF.
    const std::vector<std::uint8_t> trie = {
        2, 'a', 5, 0, 0, 0, 'b', 6, 0, 0, 0,  //  0: 'a' leads to 6 + 5 = 11, 'b' to 11 + 6 = 17
        1, 0, 0, 0, 0, 0x80,                  // 11: end of "a"
        1, 0, 0xFF, 0xFF, 0xFF, 0x7F,         // 17: end of "b"
    };
    const std::uint32_t length = static_cast<std::uint32_t>(trie.size());
    EXPECT_EQ(-1, ArchiveNameLookup(trie.data(), length, true, "a", 0));
    EXPECT_EQ(0x7FFFFFFF, ArchiveNameLookup(trie.data(), length, true, "b", 0));
}

TEST(ArchiveNameLookup, NeverLeavesTheTrie) {
    struct Case {
        const char* what;
        const char* name;
        std::uint32_t length;  // the trie is cut to this length
        std::size_t at;        // a byte to change, or past the trie for none
        std::uint8_t value;
    } cases[] = {
        {"link past the end", "ab", 19, 2, 200},
        {"node count past the end", "ab", 19, 11, 9},
        {"trie cut inside a record", "b", 17, 99, 0},
        {"trie cut before the node a link leads to", "b", 15, 99, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The cut trie lies at the end of its own block, so a read past it would be noticed.
        std::unique_ptr<std::uint8_t[]> broken(new std::uint8_t[c.length]);
        std::copy(kTrie.begin(), kTrie.begin() + c.length, broken.get());
        if (c.at < c.length) broken[c.at] = c.value;
        EXPECT_EQ(-1, ArchiveNameLookup(broken.get(), c.length, false, c.name, 0));
    }
}

}  // namespace
