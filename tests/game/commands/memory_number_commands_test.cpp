// The memory (75-80) and number (81-93) commands as SOB programs, and their bad words.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "effects/objects/subtractive_random.h"
#include "game/commands/number_commands.h"
#include "game/script/script_address.h"
#include "game/script/script_memory.h"
#include "tests/game/commands/command_program.h"
#include "tests/support/command_harness.h"
#include "tests/support/random_models.h"

namespace {

using cmdtest::CommandProgram;
using cmdtest::Num;
using cmdtest::ProgramRun;
using cmdtest::Var;

// Stores variable `from` into word `index` of the argument block at `label`, as compiled
// scripts pass values to later instructions.
std::string Pass(std::uint32_t from, const std::string& label, int index) {
    return "copy " + Var(from) + ", " + label + "+" + std::to_string(4 * index) + "\n";
}

TEST(MemoryCommands, BlocksAreScriptMemoryUntilFreed) {
    CommandProgram program;
    const std::uint32_t block = program.Number();
    const std::uint32_t fill = program.Number();
    const std::uint32_t copy = program.Number();
    const std::uint32_t firstFree = program.Number();
    const std::uint32_t secondFree = program.Number();
    const std::uint32_t afterFree = program.Number();
    const std::uint32_t foreign = program.Number();
    const std::uint32_t words = program.Number();
    const std::uint32_t zeroed = program.Number();
    const std::uint32_t buffer = program.Buffer(12, "............");
    const std::uint32_t wordTarget = program.Buffer(4, "....");

    program.Call(75, {Num(16)}, block);
    // The block's address goes into the fill, copy and free calls below.
    program.Code(Pass(block, "fillargs", 0) + Pass(block, "copyargs", 1) + Pass(block, "free1", 0) +
                 Pass(block, "free2", 0) + Pass(block, "after", 0));
    program.Code("cmd cmd:79, fillargs, " + Var(fill) + "\n");
    program.Code("cmd cmd:80, copyargs, " + Var(copy) + "\n");
    program.Code("cmd cmd:77, free1, " + Var(firstFree) + "\n");
    program.Code("cmd cmd:77, free2, " + Var(secondFree) + "\n");
    program.Code("cmd cmd:79, after, " + Var(afterFree) + "\n");
    program.Code("cmd cmd:77, foreignargs, " + Var(foreign) + "\n");
    program.Code("cmd cmd:78, wordargs, " + Var(words) + "\n");
    program.Call(76, {Num(8)}, zeroed);
    program.Code(".tail\nfillargs: .word 0, 0x1AB, 12\ncopyargs: .word " + Var(buffer) +
                 ", 0, 12\nfree1: .word 0\nfree2: .word 0\nafter: .word 0, 1, 1\nforeignargs: .word " + Var(buffer) +
                 "\nwordargs: .word " + Var(wordTarget) + ", 0x44434241, 1\n.endtail\n");
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_NE(run.Number(block), 0);
    EXPECT_EQ(run.Number(fill), 1);
    EXPECT_EQ(run.Number(copy), 1);
    EXPECT_EQ(run.Number(firstFree), 1);
    EXPECT_EQ(run.Number(secondFree), 0);
    EXPECT_EQ(run.Number(afterFree), 0) << "a freed block is no longer script memory";
    EXPECT_EQ(run.Number(foreign), 0);
    EXPECT_EQ(run.Bytes(buffer, 12), std::string(12, '\xAB'));
    EXPECT_EQ(run.Bytes(wordTarget, 4), "ABCD");
    ASSERT_NE(run.Number(zeroed), 0);
    const char* const zeroedBytes = PointerAt<const char>(static_cast<std::uint32_t>(run.Number(zeroed)));
    EXPECT_EQ(std::string(zeroedBytes, 8), std::string(8, '\0'));
    EXPECT_TRUE(script_memory::IsWritable(static_cast<std::uint32_t>(run.Number(zeroed)), 8));
    testsupport::ArgBlock freeZeroed;
    freeZeroed.Word(static_cast<std::uint32_t>(run.Number(zeroed)));
    EXPECT_EQ(testsupport::CallCommand(77, freeZeroed), 1u);
}

// 78-80 at and past the end of a block: the whole count must lie in it.
TEST(MemoryCommands, CountsAtAndPastTheRegionsEnd) {
    testsupport::ArgBlock allocate;
    allocate.Int(16);
    const std::uint32_t block = testsupport::CallCommand(75, allocate);
    ASSERT_NE(block, 0u);
    const std::uint32_t source = testsupport::CallCommand(76, allocate);
    struct Row {
        const char* name;
        int opcode;
        std::vector<std::uint32_t> words;
        std::uint32_t result;
    } rows[] = {
        {"78 four words fill the block", 78, {block, 7, 4}, 1},
        {"78 five pass its end", 78, {block, 7, 5}, 0},
        {"78 one word at end - 4", 78, {block + 12, 7, 1}, 1},
        {"78 one word at end - 3", 78, {block + 13, 7, 1}, 0},
        {"78 a negative count", 78, {block, 7, 0xFFFFFFFFu}, 0},
        {"78 a count whose byte size wraps", 78, {block, 7, 0x40000001u}, 0},
        {"79 to the end", 79, {block + 15, 1, 1}, 1},
        {"79 past the end", 79, {block + 15, 1, 2}, 0},
        {"79 at the end", 79, {block + 16, 1, 0}, 0},
        {"79 null", 79, {0, 1, 0}, 0},
        {"80 the whole block", 80, {block, source, 16}, 1},
        {"80 overlapping", 80, {block + 1, block, 15}, 1},
        {"80 a source past its region", 80, {block, source + 8, 9}, 0},
        {"80 a source in no region", 80, {block, AddressOf(&allocate), 4}, 0},
        {"80 null source", 80, {block, 0, 0}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::ArgBlock call;
        for (std::uint32_t word : row.words) call.Word(word);
        EXPECT_EQ(testsupport::CallCommand(row.opcode, call), row.result);
    }
    for (std::uint32_t address : {block, source}) {
        testsupport::ArgBlock release;
        release.Word(address);
        EXPECT_EQ(testsupport::CallCommand(77, release), 1u);
    }
}

struct NumberCase {
    const char* name;
    int opcode;
    std::vector<std::string> words;
    std::int64_t result;
};

std::string FloatWord(float value) {
    std::uint32_t word;
    std::memcpy(&word, &value, sizeof(word));
    return Num(word);
}

const float kInf = std::numeric_limits<float>::infinity();

const NumberCase kNumberCases[] = {
    {"81 sine of 128", 81, {"128"}, 65536},
    {"81 sine of 384", 81, {"384"}, -65536},
    {"81 sine of -128 is that of 384", 81, {"-128"}, -65536},
    {"81 sine of 0", 81, {"0"}, 0},
    {"81 sine of 640", 81, {"640"}, 65536},
    {"82 cosine of 256", 82, {"256"}, -65536},
    {"82 cosine of 512", 82, {"512"}, 65536},
    {"82 cosine of -256", 82, {"-256"}, -65536},
    {"82 cosine of INT_MIN", 82, {"0x80000000"}, 65536},
    {"82 cosine of -512", 82, {"-512"}, 65536},
    {"88 adds", 88, {FloatWord(1.5f), FloatWord(2.25f)}, 0x40700000},
    {"88 +0 + -0", 88, {FloatWord(0.0f), FloatWord(-0.0f)}, 0},
    {"88 -0 + -0", 88, {FloatWord(-0.0f), FloatWord(-0.0f)}, 0x80000000u},
    {"89 subtracts", 89, {FloatWord(1.0f), FloatWord(3.0f)}, 0xC0000000u},
    {"89 inf - inf is NaN", 89, {FloatWord(kInf), FloatWord(kInf)}, -1},
    {"90 multiplies", 90, {FloatWord(-1.5f), FloatWord(2.0f)}, 0xC0400000u},
    {"90 inf x 0 is NaN", 90, {FloatWord(kInf), FloatWord(0.0f)}, -1},
    {"91 divides", 91, {FloatWord(1.0f), FloatWord(4.0f)}, 0x3E800000},
    {"91 1/0 is +inf", 91, {FloatWord(1.0f), FloatWord(0.0f)}, 0x7F800000},
    {"91 -1/0 is -inf", 91, {FloatWord(-1.0f), FloatWord(0.0f)}, 0xFF800000u},
    {"91 1/-0 is -inf", 91, {FloatWord(1.0f), FloatWord(-0.0f)}, 0xFF800000u},
    {"92 (3, 5, 5)", 92, {"3", "3", "5", "5"}, 1},
    {"92 signed", 92, {"3", "-1", "2", "1"}, 1},
    {"92 n 1", 92, {"1", "9"}, 0},
    {"92 n 0", 92, {"0"}, 0},
    {"92 n -4", 92, {"-4"}, 0},
    {"93 (5, 3, 3)", 93, {"3", "5", "3", "3"}, 1},
    {"93 signed", 93, {"3", "1", "-2", "0x80000000"}, 2},
};

bool IsNan(std::uint32_t word) { return (word & 0x7F800000u) == 0x7F800000u && (word & 0x7FFFFF) != 0; }

TEST(NumberCommands, ProgramsOfOneCall) {
    for (const NumberCase& c : kNumberCases) {
        SCOPED_TRACE(c.name);
        CommandProgram program;
        program.Call(c.opcode, c.words);
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        const std::uint32_t result = static_cast<std::uint32_t>(run.Number(0));
        if (c.result == -1) {
            EXPECT_TRUE(IsNan(result)) << result;
        } else {
            EXPECT_EQ(result, static_cast<std::uint32_t>(c.result));
        }
    }
}

// The angle counts by its low 9 bits: a negative angle reads the same entry as the angle plus
// a whole number of turns, never before the table.
TEST(NumberCommands, AnglesByTheirLowNineBits) {
    const std::int32_t angles[] = {-1, 511, 512, -129, INT_MIN, INT_MAX, 383};
    for (std::int32_t angle : angles) {
        SCOPED_TRACE(angle);
        for (int opcode : {81, 82}) {
            testsupport::ArgBlock plain, turned;
            plain.Int(angle);
            turned.Word(static_cast<std::uint32_t>(angle) & 511u);
            EXPECT_EQ(testsupport::CallCommand(opcode, plain), testsupport::CallCommand(opcode, turned));
        }
    }
}

TEST(NumberCommands, PointOnCircleWithoutOverflow) {
    struct Row {
        std::int32_t angle;
        std::int32_t radius;
        std::int32_t x;
        std::int32_t y;
    } rows[] = {
        {0, 100000, 100010, 20},
        {512, 100000, 100010, 20},
        {128, 100000, 10, -99980},
        {-128, 100000, 10, 100020},
        {384, 100000, 10, 100020},
        {256, -100000, 100010, 20},
        {INT_MIN, 100000, 100010, 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.angle);
        CommandProgram program;
        const std::uint32_t x = program.Number(-7);
        const std::uint32_t y = program.Number(-7);
        program.Call(83, {Num(row.angle), Num(row.radius), "10", "20", Var(x), Var(y)});
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        EXPECT_EQ(run.Number(0), 0);
        EXPECT_EQ(run.Number(x), row.x);
        EXPECT_EQ(run.Number(y), row.y);
    }
    // An out word that is no writable script memory is the script fault, nothing written.
    CommandProgram program;
    const std::uint32_t x = program.Number(-7);
    program.Call(83, {"0", "1", "0", "0", Var(x), "16"});
    ProgramRun run(program);
    EXPECT_EQ(kStepInvalidScript, run.Run());
    EXPECT_EQ(run.Number(x), -7);
}

TEST(NumberCommands, TheSubtractiveGeneratorAgainstItsModel) {
    struct Row {
        std::uint32_t seed;
        std::uint32_t n;
    } rows[] = {{12345, 100}, {1000000005u, 7}, {0xFFFFFFFFu, 1000}, {42, 0x80000005u}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seed);
        CommandProgram program;
        const std::uint32_t zero = program.Number(-1);
        const std::uint32_t one = program.Number(-1);
        const std::uint32_t first = program.Number();
        const std::uint32_t second = program.Number();
        program.Call(85, {Num(row.seed)});
        program.Call(84, {"0"}, zero);
        program.Call(84, {"1"}, one);
        program.Call(84, {Num(row.n)}, first);
        program.Call(84, {Num(row.n)}, second);
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        testsupport::SubtractiveModel model(row.seed % 1000000000u);
        EXPECT_EQ(run.Number(zero), 0);
        EXPECT_EQ(run.Number(one), 0);
        model.Next();  // n = 1 draws; n = 0 did not
        EXPECT_EQ(static_cast<std::uint32_t>(run.Number(first)), static_cast<std::uint32_t>(model.Next()) % row.n);
        EXPECT_EQ(static_cast<std::uint32_t>(run.Number(second)), static_cast<std::uint32_t>(model.Next()) % row.n);
    }
}

std::uint32_t FixedTicks() { return 777; }

TEST(NumberCommands, TheMersenneTwisterAgainstItsModel) {
    SetRandomMtTickSource(FixedTicks);
    DropRandomMt();
    {
        // 86 first creates the generator seeded from the tick count.
        CommandProgram program;
        const std::uint32_t first = program.Number();
        const std::uint32_t zero = program.Number(-1);
        const std::uint32_t second = program.Number();
        program.Call(86, {"1000"}, first);
        program.Call(86, {"0"}, zero);
        program.Call(86, {"0x80000001"}, second);
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        std::mt19937 model = testsupport::StandardGeneratorIn1998State(777);
        EXPECT_EQ(static_cast<std::uint32_t>(run.Number(first)), model() % 1000u);
        EXPECT_EQ(run.Number(zero), 0);
        EXPECT_EQ(static_cast<std::uint32_t>(run.Number(second)), model() % 0x80000001u);
    }
    DropRandomMt();
    {
        // 87 creates it too and seeds it with its word.
        CommandProgram program;
        const std::uint32_t seeded = program.Number();
        const std::uint32_t drawn = program.Number();
        program.Call(87, {"0xDEADBEEF"}, seeded);
        program.Call(86, {"0xFFFFFFFF"}, drawn);
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        std::mt19937 model = testsupport::StandardGeneratorIn1998State(0xDEADBEEFu);
        EXPECT_EQ(run.Number(seeded), 1);
        EXPECT_EQ(static_cast<std::uint32_t>(run.Number(drawn)), model() % 0xFFFFFFFFu);
    }
    SetRandomMtTickSource(nullptr);
    DropRandomMt();
}

// 92/93 take their n words from the block: a count past the module's end is the script fault.
TEST(NumberCommands, ACountPastTheBlocksRegionIsTheScriptFault) {
    CommandProgram program;
    program.Call(92, {"100", "1", "2"});
    ProgramRun run(program);
    EXPECT_EQ(kStepInvalidScript, run.Run());
}

}  // namespace
