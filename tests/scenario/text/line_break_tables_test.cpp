#include <gtest/gtest.h>

#include <string>

#include "scenario/text/line_break_tables.h"

namespace {

std::string Bytes(const char* text) { return std::string(text); }

TEST(LineBreakTables, OneByteTablesHoldTheCodePageBytes) {
    EXPECT_EQ(Bytes(kNoLineStartClosingOneByte), "%),:;]}\xA1\xA3\xDE\xDF");
    EXPECT_EQ(Bytes(kNoLineStartSmallOneByte),
              "!.?\xA4\xA5\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF\xB0");
    EXPECT_EQ(Bytes(kNoLineEndOpeningOneByte), "\\$([{\xA2");
}

TEST(LineBreakTables, TwoByteTablesHoldLeadTrailPairs) {
    struct Case {
        const char* table;
        std::size_t pairs;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {kNoLineStartClosingTwoByte, 31, "\x81\x42", "\x81\xF1"},  // 。 .. ‰
        {kNoLineStartSmallTwoByte, 26, "\x81\x45", "\x83\x96"},    // ・ .. ヶ
        {kNoLineEndOpeningTwoByte, 14, "\x81\x65", "\x81\x92"},    // ‘ .. ￡
    };
    for (const Case& c : cases) {
        const std::string table = c.table;
        ASSERT_EQ(table.size(), c.pairs * 2);
        EXPECT_EQ(table.substr(0, 2), c.first);
        EXPECT_EQ(table.substr(table.size() - 2), c.last);
    }
}

TEST(LineBreakTables, LookupsMatchWholePairsOnly) {
    EXPECT_TRUE(InTwoByteTable(kNoLineStartClosingTwoByte, 0x4281));   // 。
    EXPECT_TRUE(InTwoByteTable(kNoLineEndOpeningTwoByte, 0x7581));     // 「
    EXPECT_TRUE(InTwoByteTable(kNoLineStartClosingTwoByte, 0x4181));   // 、
    EXPECT_FALSE(InTwoByteTable(kNoLineStartClosingTwoByte, 0x4081));  // the full-width space
    EXPECT_FALSE(InTwoByteTable(kNoLineStartClosingTwoByte, 0x8142));  // bytes swapped
    EXPECT_FALSE(InTwoByteTable(kNoLineStartClosingTwoByte, 0));
    EXPECT_TRUE(InOneByteTable(kNoLineStartClosingOneByte, 0xA1));
    EXPECT_FALSE(InOneByteTable(kNoLineStartClosingOneByte, 0));
    EXPECT_FALSE(InOneByteTable(kNoLineStartClosingOneByte, 'a'));
}

}  // namespace
