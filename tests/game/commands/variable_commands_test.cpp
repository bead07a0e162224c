// The variable commands (26-36) as SOB programs: one variable per scope class and storage kind,
// the selectors each touches, and the variable files in the save folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "game/script/script_files.h"
#include "tests/game/commands/command_program.h"
#include "tests/support/win_test_env.h"

namespace {

using cmdtest::CommandProgram;
using cmdtest::Num;
using cmdtest::ProgramRun;
using cmdtest::Var;

// Variables [class][kind] with their first values; variable 0 (the result) is class 0, kind 0,
// and is left out of the checks.
struct Grid {
    std::uint32_t entry[3][3];

    explicit Grid(CommandProgram& program) {
        for (std::uint8_t c = 0; c < 3; ++c) {
            for (std::uint8_t k = 0; k < 3; ++k) entry[c][k] = program.Variable(k, c, Initial(c, k));
        }
    }
    static std::string Initial(int c, int k) { return "v" + std::to_string(c) + std::to_string(k); }
    // True when the variable holds its first value, false when it is all zero; fails otherwise.
    static bool Holds(ProgramRun& run, std::uint32_t entry, int c, int k) {
        const std::string now = run.Text(entry);
        EXPECT_TRUE(now.empty() || now == Initial(c, k)) << now;
        return now == Initial(c, k);
    }
};

bool ClassIn(std::uint32_t scope, int c) {
    switch (scope) {
    case 1: return c == 0;
    case 2: return c == 1;
    case 3: return c != 2;  // every variable not of scope class 2
    default: return true;
    }
}

bool KindIn(std::uint32_t kind, int k) { return kind == 0 || kind > 3 || static_cast<int>(kind) == k + 1; }

const std::uint32_t kScopes[] = {1, 2, 3, 0, 4};
const std::uint32_t kKinds[] = {0, 1, 2, 3, 4};

TEST(VariableCommands, ClearTouchesTheSelectedClassesAndKinds) {
    for (std::uint32_t scope : kScopes) {
        for (std::uint32_t kind : kKinds) {
            SCOPED_TRACE(std::to_string(scope) + "," + std::to_string(kind));
            CommandProgram program;
            Grid grid(program);
            program.Call(27, {Num(scope), Num(kind)});
            ProgramRun run(program);
            ASSERT_EQ(kStepEnded, run.Run());
            for (int c = 0; c < 3; ++c) {
                for (int k = 0; k < 3; ++k) {
                    EXPECT_EQ(Grid::Holds(run, grid.entry[c][k], c, k), !(ClassIn(scope, c) && KindIn(kind, k)))
                        << "class " << c << " kind " << k;
                }
            }
        }
    }
}

// 26 from the save copy, 29 from the choice copy (28 having stored everything): after all was
// cleared, exactly the selected variables come back.
TEST(VariableCommands, RestoresBringBackTheSelectedVariables) {
    for (int opcode : {26, 29}) {
        for (std::uint32_t scope : kScopes) {
            for (std::uint32_t kind : kKinds) {
                SCOPED_TRACE(std::to_string(opcode) + ": " + std::to_string(scope) + "," + std::to_string(kind));
                CommandProgram program;
                Grid grid(program);
                program.Call(28, {"0", "0"});
                program.Call(27, {"0", "0"});
                program.Call(opcode, {Num(scope), Num(kind)});
                ProgramRun run(program);
                ASSERT_EQ(kStepEnded, run.Run());
                for (int c = 0; c < 3; ++c) {
                    for (int k = 0; k < 3; ++k) {
                        EXPECT_EQ(Grid::Holds(run, grid.entry[c][k], c, k), ClassIn(scope, c) && KindIn(kind, k))
                            << "class " << c << " kind " << k;
                    }
                }
            }
        }
    }
}

// 28 stores only what it selects: the rest of the choice copy keeps its first values.
TEST(VariableCommands, StoreTakesOnlyTheSelectedVariables) {
    CommandProgram program;
    Grid grid(program);
    program.Call(27, {"0", "0"});
    program.Call(28, {"3", "3"});
    program.Call(29, {"0", "0"});
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    for (int c = 0; c < 3; ++c) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(Grid::Holds(run, grid.entry[c][k], c, k), !(c != 2 && k == 2)) << c << k;
        }
    }
}

TEST(VariableCommands, WithoutTheCopiesNothingIsRestored) {
    for (int opcode : {26, 29}) {
        SCOPED_TRACE(opcode);
        CommandProgram program;
        Grid grid(program);
        program.Call(27, {"0", "0"});
        program.Call(opcode, {"0", "0"});
        ProgramRun run(program, false);
        ASSERT_EQ(kStepEnded, run.Run());
        EXPECT_EQ(run.Number(0), 0);
        EXPECT_FALSE(Grid::Holds(run, grid.entry[1][0], 1, 0));
    }
}

TEST(VariableCommands, OneVariableBackFromTheChoiceCopy) {
    CommandProgram program;
    Grid grid(program);
    const std::uint32_t atVariable = program.Number(-7);
    const std::uint32_t inside = program.Number(-7);
    program.Call(28, {"0", "0"});
    program.Call(27, {"0", "0"});
    program.Call(30, {Var(grid.entry[1][0])}, atVariable);
    // The address 4 bytes into a variable is no variable.
    program.Code("add " + Var(grid.entry[2][0]) + ", 4, insideargs\ncmd cmd:30, insideargs, " + Var(inside) +
                 "\n.tail\ninsideargs: .word 0\n.endtail\n");
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(run.Number(atVariable), 0);
    EXPECT_EQ(run.Number(inside), 2);
    EXPECT_TRUE(Grid::Holds(run, grid.entry[1][0], 1, 0));
    EXPECT_FALSE(Grid::Holds(run, grid.entry[2][0], 2, 0));

    CommandProgram without;
    const std::uint32_t number = without.Number(5);
    without.Call(30, {Var(number)});
    ProgramRun bare(without, false);
    ASSERT_EQ(kStepEnded, bare.Run());
    EXPECT_EQ(bare.Number(0), 1);
}

// A whole-file writer whose replace step fails: the temporary file is written, the old file stays.
class FailingReplace final : public WholeFileSteps {
public:
    bool Replace(const char*, const char*) override { return false; }
};

TEST(VariableCommands, VariableFilesRoundTripAndAFailedWriteKeepsTheOldFile) {
    CommandProgram program;
    const std::uint32_t header = program.Number(1234);
    const std::uint32_t title = program.Variable(1, 0, "chapter one", 32);
    const std::uint32_t saved = program.Variable(0, 1, "kept", 16);
    const std::uint32_t written = program.Number(-7);
    const std::uint32_t readHeader = program.Number(-7);
    const std::uint32_t readAll = program.Number(-7);
    const std::uint32_t badName = program.Number(-7);
    const std::string name = program.Text("VARS.DAT");
    program.Call(31, {name, Var(header), Var(title), "0"}, written);
    program.Call(27, {"0", "0"});
    program.Call(32, {name, Var(header), Var(title)}, readHeader);
    program.Call(33, {name}, readAll);
    program.Call(31, {"16", Var(header), Var(title), "0"}, badName);
    ProgramRun run(program);
    const std::string folder = run.Game().Folder().File("save\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    run.Engine().SetSaveFolder(folder.c_str());
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(run.Number(written), 0);
    EXPECT_EQ(run.Number(readHeader), 0);
    EXPECT_EQ(run.Number(readAll), 0);
    EXPECT_EQ(run.Number(badName), 1);
    EXPECT_EQ(run.Number(header), 1234);
    EXPECT_EQ(run.Text(title), "chapter one");
    EXPECT_EQ(run.Text(saved), "kept");

    std::vector<std::uint8_t> before;
    ASSERT_TRUE(ReadPlainFile(folder + "VARS.DAT", before));
    CommandProgram again;
    const std::uint32_t changed = again.Number(99);
    const std::uint32_t title2 = again.Variable(1, 0, "other", 32);
    again.Variable(0, 1, "kept", 16);
    const std::string name2 = again.Text("VARS.DAT");
    again.Call(31, {name2, Var(changed), Var(title2), "0"});
    ProgramRun failing(again);
    failing.Engine().SetSaveFolder(folder.c_str());
    FailingReplace steps;
    SetWholeFileSteps(&steps);
    ASSERT_EQ(kStepEnded, failing.Run());
    SetWholeFileSteps(nullptr);
    EXPECT_EQ(failing.Number(0), 1);
    std::vector<std::uint8_t> after;
    ASSERT_TRUE(ReadPlainFile(folder + "VARS.DAT", after));
    EXPECT_EQ(after, before);
}

TEST(VariableCommands, GroupFileNameAndTheGroupCommands) {
    CommandProgram program;
    const std::uint32_t saved = program.Number(-7);
    const std::uint32_t loaded = program.Number(-7);
    const std::uint32_t longName = program.Number(-7);
    const std::string name = program.Text("TLOGFILE");
    program.Call(34, {name});
    program.Call(35, {}, saved);
    program.Call(36, {}, loaded);
    program.Call(31, {program.Text(std::string(300, 'n')), "0", "0", "0"}, longName);
    ProgramRun run(program);
    run.Engine().SetSaveFolder(run.Game().Folder().File("").c_str());
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(run.Engine().VariableGroupFileName(), "TLOGFILE");
    // Without flag records nothing is written: the persistent file has no name and the group file
    // has no flags, which the engine reports as its own result.
    EXPECT_EQ(run.Number(saved), run.Engine().WritePersistentData());
    EXPECT_EQ(run.Number(loaded), run.Engine().ReadVariableGroups("TLOGFILE"));
    EXPECT_EQ(run.Number(longName), 1) << "a path past 260 characters";
}

}  // namespace
