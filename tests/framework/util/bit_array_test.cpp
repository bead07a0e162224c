#include "framework/util/bit_array.h"

#include <gtest/gtest.h>

namespace {

TEST(BitArrayTest, CreateRefusesZeroAndClearsBits) {
    BitArray bits;
    EXPECT_EQ(1, bits.Create(0));
    EXPECT_EQ(nullptr, bits.Bytes());
    ASSERT_EQ(0, bits.Create(9));
    EXPECT_EQ(2u, bits.ByteCount());
    EXPECT_EQ(0u, bits.CountSet());
    ASSERT_EQ(0, bits.Set(8, true));
    // A second Create starts again from clear bits.
    ASSERT_EQ(0, bits.Create(9));
    EXPECT_FALSE(bits.Test(8));
}

TEST(BitArrayTest, BitsLieLeastSignificantFirst) {
    BitArray bits;
    ASSERT_EQ(0, bits.Create(16));
    ASSERT_EQ(0, bits.Set(0, true));
    ASSERT_EQ(0, bits.Set(9, true));
    ASSERT_EQ(0, bits.Set(15, true));
    EXPECT_EQ(0x01, bits.Bytes()[0]);
    EXPECT_EQ(0x82, bits.Bytes()[1]);
    ASSERT_EQ(0, bits.Set(15, false));
    EXPECT_EQ(0x02, bits.Bytes()[1]);
    EXPECT_EQ(2, bits.Set(16, true));
    EXPECT_FALSE(bits.Test(16));
}

TEST(BitArrayTest, EmptyArrayRefusesEverything) {
    BitArray bits;
    const std::uint8_t source[1] = {0xFF};
    EXPECT_EQ(1, bits.Set(0, true));
    EXPECT_FALSE(bits.Test(0));
    EXPECT_EQ(1, bits.LoadBytes(source, 1));
    EXPECT_EQ(0u, bits.CountSet());
    EXPECT_FALSE(bits.AllSet());
}

TEST(BitArrayTest, AllSetLooksOnlyAtTheBitsButCountSetAtEveryByte) {
    BitArray bits;
    ASSERT_EQ(0, bits.Create(8));
    const std::uint8_t seven[1] = {0x7F};
    ASSERT_EQ(0, bits.LoadBytes(seven, 1));
    EXPECT_FALSE(bits.AllSet());

    ASSERT_EQ(0, bits.Create(3));
    const std::uint8_t full[1] = {0xFF};
    EXPECT_EQ(1, bits.LoadBytes(full, 2));
    ASSERT_EQ(0, bits.LoadBytes(full, 1));
    EXPECT_TRUE(bits.AllSet());
    EXPECT_EQ(8u, bits.CountSet());
}

}  // namespace
