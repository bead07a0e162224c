#include "tests/game/script/sob_snippet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using sobtest::FaultCase;
using sobtest::InstructionCase;
using sobtest::kFaultCases;
using sobtest::kInstructionCases;
using sobtest::kOut;
using sobtest::Snippet;

TEST(SobInterpreter, EveryInstruction) {
    for (const InstructionCase& row : kInstructionCases) {
        SCOPED_TRACE(row.name);
        Snippet snippet(row.source + kOut);
        ASSERT_TRUE(snippet.Linked());
        snippet.Start(row.stack, row.accumulator);
        EXPECT_EQ(row.result, snippet.Context().Interpret());
        for (const auto& [label, value] : row.memory) {
            EXPECT_EQ(snippet.Resolve(value), snippet.WordAtLabel(label)) << label;
        }
        std::vector<std::uint32_t> expectedStack;
        for (const std::string& word : row.expectedStack) {
            expectedStack.push_back(snippet.Resolve(word));
        }
        EXPECT_EQ(expectedStack, snippet.Stack());
        EXPECT_EQ(row.expectedAccumulator, snippet.Context().Accumulator());
        if (row.pcLabel) {
            EXPECT_EQ(snippet.Resolve(row.pcLabel), snippet.Context().Pc());
        }
    }
}

TEST(SobInterpreter, StopThenInterpretResumesAfterTheStop) {
    Snippet snippet("mov 1, out\nstop\nmov 2, out\nstop\nmov 3, out\nret" + kOut);
    ASSERT_TRUE(snippet.Linked());
    snippet.Start({"0"}, 0);
    for (std::uint32_t expected : {1u, 2u}) {
        EXPECT_EQ(kSobYielded, snippet.Context().Interpret());
        EXPECT_EQ(expected, snippet.WordAtLabel("out"));
    }
    EXPECT_EQ(kSobReturned, snippet.Context().Interpret());
    EXPECT_EQ(3u, snippet.WordAtLabel("out"));
}

TEST(SobInterpreter, FaultsBecomeTheInvalidScriptResult) {
    for (const FaultCase& row : kFaultCases) {
        SCOPED_TRACE(row.name);
        Snippet snippet(row.source + kOut);
        ASSERT_TRUE(snippet.Linked());
        snippet.Start(row.stack, 0);
        EXPECT_EQ(kSobInvalidScript, snippet.Context().Interpret());
        EXPECT_EQ(0u, snippet.WordAtLabel("out"));
    }
}

TEST(SobInterpreter, StackHoldsExactly16384Words) {
    Snippet snippet("ret" + kOut);
    ASSERT_TRUE(snippet.Linked());
    snippet.Start({}, 0);
    // Against the number, not kDefaultStackWords, so that a change of the constant shows here.
    for (std::uint32_t i = 0; i < 16384; ++i) {
        ASSERT_EQ(0, snippet.Context().Push(i));
    }
    EXPECT_EQ(1, snippet.Context().Push(1));
    EXPECT_EQ(16384u, snippet.Context().StackDepth());
}

}  // namespace
