#include "game/commands/command_args.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "game/commands/command_guard.h"
#include "game/script/command_table.h"
#include "game/script/script_fault.h"
#include "tests/support/command_harness.h"

namespace {

using testsupport::ArgBlock;

TEST(CommandArgs, BooleanAndByteWords) {
    EXPECT_FALSE(command_args::Bool(0));
    EXPECT_TRUE(command_args::Bool(0x100));  // not just its low byte
    EXPECT_EQ(0x34, command_args::Byte(0x12345634u));
    EXPECT_EQ(0xFF, command_args::Byte(0xFFFFFFFFu));
}

TEST(CommandArgs, AGroupIsAbsentOnlyWhenItsFirstWordIs65535) {
    struct Case {
        const char* name;
        std::uint32_t words[4];
        bool present;
    };
    const Case cases[] = {
        {"65535 with valid others", {0xFFFF, 1, 10, 10}, false},
        {"-1 is a real coordinate", {0xFFFFFFFFu, 1, 10, 10}, true},
        {"0", {0, 0, 0, 0}, true},
        {"65534", {0xFFFE, 0, 1, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT rect{111, 111, 111, 111};
        EXPECT_EQ(c.present, command_args::Rect(c.words, &rect));
        if (c.present) {
            EXPECT_EQ(static_cast<LONG>(c.words[0]), rect.left);
            EXPECT_EQ(static_cast<LONG>(c.words[3]), rect.bottom);
        } else {
            EXPECT_EQ(111, rect.left);  // untouched
        }
    }
}

TEST(CommandArgs, OutPointersAreSkippedWhenNull) {
    std::int32_t value = 5;
    command_args::WriteOut<std::int32_t>(0, 9);
    command_args::WriteOut<std::int32_t>(command_args::HandleWord(&value), -3);
    EXPECT_EQ(-3, value);
}

// The harness reaches handlers by opcode through the program's table.
TEST(CommandHarness, CallsHandlersByOpcodeThroughTheTable) {
    ArgBlock block;
    block.Int(1).Text("abc").AbsentGroup(4);
    ASSERT_EQ(6u, block.Size());
    EXPECT_EQ(0xFFFFu, block.Words()[2]);
    EXPECT_STREQ("abc", command_args::Text(block.Words()[1]));
    EXPECT_EQ(0u, testsupport::CallCommand(37, block));  // a no-operation opcode
    EXPECT_EQ(kCommandNotBuilt, testsupport::CallCommand(700, block));  // a command not built yet
}

std::uint32_t Throws(std::uint32_t* /*arguments*/) { throw std::runtime_error("escaping"); }
std::uint32_t Answers(std::uint32_t* arguments) { return arguments[0] + 1; }

TEST(GuardedCommand, AnEscapingExceptionBecomesTheFailureValueOrTheFault) {
    std::uint32_t words[1] = {4};
    TakeScriptFault();
    EXPECT_EQ(5u, (GuardedCommand<Answers, -1>(words)));
    EXPECT_EQ(0xFFFFFFFFu, (GuardedCommand<Throws, -1>(words)));
    EXPECT_EQ(2u, (GuardedCommand<Throws, 2>(words)));
    EXPECT_FALSE(TakeScriptFault());

    GuardedCommand<Throws, kFailWithScriptFault>(words);
    EXPECT_TRUE(TakeScriptFault());
    EXPECT_FALSE(TakeScriptFault());  // taken once
}

}  // namespace
