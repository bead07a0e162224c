#include "scenario/ui/caller_word.h"

#include <gtest/gtest.h>

#include <cstring>

#include "game/interfaces/script_memory.h"

namespace {

// Script memory of one registered buffer at a script address; unregistering it makes every
// address unwritable, as when the script frees the block.
class BufferScriptMemory : public ScriptMemory {
public:
    void* WritableBytes(std::uint32_t address, std::uint32_t size) override {
        ++checks;
        if (!registered || address < base || size > sizeof buffer ||
            address - base > sizeof buffer - size) {
            return nullptr;
        }
        return buffer + (address - base);
    }

    static constexpr std::uint32_t base = 0x1000;
    unsigned char buffer[16] = {};
    bool registered = true;
    int checks = 0;
};

TEST(CallerWordTest, AProgramWordIsWrittenDirectly) {
    std::int32_t word = 0;
    const CallerWord reference = CallerWord::Program(&word);
    EXPECT_TRUE(reference.IsSet());
    EXPECT_TRUE(reference.Write(1));
    EXPECT_EQ(1, word);
    EXPECT_TRUE(reference.Write(-5));
    EXPECT_EQ(-5, word);
}

TEST(CallerWordTest, NothingIsWrittenThroughAnEmptyReference) {
    EXPECT_FALSE(CallerWord().IsSet());
    EXPECT_FALSE(CallerWord().Write(1));
    EXPECT_FALSE(CallerWord::Program(nullptr).Write(1));
    EXPECT_FALSE(CallerWord::Script(nullptr, 0x1000).Write(1));
}

TEST(CallerWordTest, AScriptWordIsWrittenOnlyWhileItIsScriptMemory) {
    BufferScriptMemory memory;
    // Unaligned, and the last word of the block.
    const CallerWord inside = CallerWord::Script(&memory, BufferScriptMemory::base + 3);
    const CallerWord last = CallerWord::Script(&memory, BufferScriptMemory::base + 12);
    const CallerWord straddling = CallerWord::Script(&memory, BufferScriptMemory::base + 13);
    const CallerWord below = CallerWord::Script(&memory, BufferScriptMemory::base - 1);
    EXPECT_TRUE(inside.Write(0x11223344));
    EXPECT_TRUE(last.Write(1));
    EXPECT_FALSE(straddling.Write(2));
    EXPECT_FALSE(below.Write(3));
    const unsigned char expected[16] = {0, 0, 0, 0x44, 0x33, 0x22, 0x11, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, memory.buffer, sizeof expected));

    memory.registered = false;
    const int checks = memory.checks;
    EXPECT_FALSE(inside.Write(7));
    EXPECT_FALSE(last.Write(7));
    EXPECT_EQ(checks + 2, memory.checks);
    EXPECT_EQ(0, std::memcmp(expected, memory.buffer, sizeof expected));
}

}  // namespace
