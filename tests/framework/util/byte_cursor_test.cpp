#include <gtest/gtest.h>

#include <cstdint>

#include "framework/util/byte_cursor.h"

TEST(ByteCursorTest, WritesAndReadsLittleEndianUpToItsEnd) {
    std::uint8_t bytes[6] = {};
    ByteCursor writer(bytes, sizeof bytes);
    EXPECT_TRUE(writer.WriteI32(-2));
    EXPECT_TRUE(writer.WriteU8(7));
    EXPECT_FALSE(writer.WriteU32(1));  // three bytes short: nothing written, nothing moved
    EXPECT_EQ(1u, writer.Remaining());
    EXPECT_EQ(0, bytes[5]);

    const std::uint8_t* readOnly = bytes;
    ByteCursor reader(readOnly, sizeof bytes);
    std::int32_t value = 0;
    std::uint8_t byte = 0;
    EXPECT_TRUE(reader.ReadI32(value));
    EXPECT_EQ(-2, value);
    EXPECT_TRUE(reader.ReadU8(byte));
    EXPECT_EQ(7, byte);
    std::uint32_t word = 0;
    EXPECT_FALSE(reader.ReadU32(word));
    EXPECT_EQ(1u, reader.Remaining());
    EXPECT_FALSE(reader.WriteU8(1));
    EXPECT_FALSE(reader.Skip(2));
    EXPECT_TRUE(reader.Skip(1));
}
