#include "game/script/compiled_code.h"
#include "game/script/script_address.h"
#include "game/script/script_engine.h"
#include "tests/game/script/script_game.h"
#include "tests/game/script/sob_snippet.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using gametest::ModuleCommand;
using gametest::NumberOf;
using gametest::ScriptGame;
using gametest::Trace;
using sobtest::kFaultCases;
using sobtest::kInstructionCases;
using sobtest::kOut;
using sobtest::Snippet;
using testsupport::AssembleSob;
using testsupport::SobInitFile;
using testsupport::SobModule;
using testsupport::SobUserVar;
using Mode = Snippet::Mode;

// Runs a snippet interpreted, compiled and compiled-but-interpreted and expects one outcome; the
// compiled forms compile only the instructions before `endLabel` when it is given.
// Returns the interpreted run; nullopt when the snippet does not compile.
std::optional<Snippet::RunState> RunEveryWay(Snippet& snippet, const std::vector<std::string>& stack,
                                             std::uint32_t accumulator, std::uint32_t nativeEntries,
                                             const char* endLabel = nullptr) {
    const std::optional<Snippet::RunState> interpreted = snippet.Run(stack, accumulator, Mode::kInterpreted);
    const std::optional<Snippet::RunState> compiled = snippet.Run(stack, accumulator, Mode::kCompiled, endLabel);
    const std::optional<Snippet::RunState> byInterpreter =
        snippet.Run(stack, accumulator, Mode::kCompiledByInterpreter, endLabel);
    if (!compiled) {
        EXPECT_FALSE(byInterpreter.has_value());
        return std::nullopt;
    }
    EXPECT_EQ(nativeEntries, compiled->nativeEntries);
    EXPECT_EQ(0u, byInterpreter->nativeEntries);
    EXPECT_TRUE(*interpreted == *compiled) << "compiled: result " << compiled->result << ", pc " << compiled->pc;
    EXPECT_TRUE(*interpreted == *byInterpreter) << "by the interpreter: result " << byInterpreter->result;
    return interpreted;
}

TEST(CompiledExecution, EveryInstructionAsTheInterpreter) {
    for (const sobtest::InstructionCase& row : kInstructionCases) {
        SCOPED_TRACE(row.name);
        Snippet snippet(row.source + kOut);
        ASSERT_TRUE(snippet.Linked());
        // A sound program runs in one go: native code never hands over.
        const auto state = RunEveryWay(snippet, row.stack, row.accumulator, 1);
        ASSERT_TRUE(state.has_value());
        EXPECT_EQ(row.result, state->result);
    }
}

TEST(CompiledExecution, EveryFaultAsTheInterpreter) {
    for (const sobtest::FaultCase& row : kFaultCases) {
        SCOPED_TRACE(row.name);
        Snippet snippet(row.source + kOut);
        ASSERT_TRUE(snippet.Linked());
        // The faulting instruction's check hands over and the interpreter faults on it.
        const auto state = RunEveryWay(snippet, row.stack, 0, 1);
        EXPECT_EQ(row.compiles, state.has_value());
        if (state) {
            EXPECT_EQ(kSobInvalidScript, state->result);
        }
    }
}

// Every transfer whose target is not compiled (its opcode word is an instruction below 48) hands
// over; the interpreter runs the tail and goes back into native code where it meets compiled code
// again. Only the instructions before `tail` are compiled.
TEST(CompiledExecution, ATransferToCodeThatIsNotCompiledHandsOverAndComesBack) {
    const struct {
        const char* name;
        const char* source;
        std::vector<std::string> stack;
    } cases[] = {
        {"jump", "jmp tail\nback: mov 2, out2\nret\ntail: mov 1, out\njmp back", {"0"}},
        {"jump when zero", "jz 0, tail\nback: mov 2, out2\nret\ntail: mov 1, out\njmp back", {"0"}},
        {"table jump", "jtab 2, back, tail\nback: mov 2, out2\nret\ntail: mov 1, out\njmp back", {"0"}},
        {"call", "call tail\nmov 2, out2\nret\ntail: mov 1, out\nret", {"0"}},
        {"return", "ret\nback: mov 2, out2\nret\ntail: mov 1, out\njmp back", {"0", "tail"}},
        {"return with value", "retv 7\nback: mov 2, out2\nret\ntail: mov 1, out\njmp back", {"0", "tail"}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        Snippet snippet(row.source + kOut);
        ASSERT_TRUE(snippet.Linked());
        const auto state = RunEveryWay(snippet, row.stack, 0, 2, "tail");
        ASSERT_TRUE(state.has_value());
        EXPECT_EQ(kSobReturned, state->result);
        EXPECT_EQ(1u, snippet.WordAtLabel("out"));
        EXPECT_EQ(2u, snippet.WordAtLabel("out2"));
    }
}

// A script that copies a compiled opcode word (a native address) somewhere else and jumps there
// must not reach native code: only an instruction start whose word is its own native address is
// compiled code. The interpreter then finds no compiled instruction there either.
TEST(CompiledExecution, ANativeAddressOutsideItsInstructionIsNeverJumpedTo) {
    const struct {
        const char* name;
        const char* source;
        const char* target;
        std::uint32_t targetOffset;
    } cases[] = {
        {"in an operand", "copy last, mid+4\njmp mid+4\nmid: mov 1, out\nlast: ret", "mid", 4},
        {"in another instruction's opcode word", "copy last, mid\njmp mid\nmid: mov 1, out\nlast: ret", "mid", 0},
        {"in an operand, reached by a table jump", "copy last, t+8\njtab 1, t+8\nt: jtab 1, 0\nlast: ret", "t", 8},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        Snippet snippet(row.source + kOut);
        ASSERT_TRUE(snippet.Linked());
        const auto code = snippet.StartCompiled({"0"}, 0);
        ASSERT_NE(nullptr, code);
        EXPECT_EQ(kSobInvalidScript, snippet.Context().Interpret());
        EXPECT_EQ(snippet.Resolve(row.target) + row.targetOffset, snippet.Context().Pc());
        EXPECT_EQ(0u, snippet.WordAtLabel("out"));
        EXPECT_EQ(1u, snippet.Context().StackDepth());
        EXPECT_EQ(1u, snippet.Context().NativeEntries());
    }
}

// Code compiled for one context reads and writes that context's fields: a transfer into it from
// native code of another context hands over, and the other context interprets it for itself.
TEST(CompiledExecution, ATransferIntoCodeCompiledForAnotherContextIsInterpreted) {
    Snippet owner("entry: mov 1, out\nret" + kOut);
    Snippet caller("jmp 0\nret" + kOut);
    ASSERT_TRUE(owner.Linked());
    ASSERT_TRUE(caller.Linked());
    const auto ownerCode = owner.StartCompiled({"0"}, 0);
    ASSERT_NE(nullptr, ownerCode);
    const std::uint32_t target = owner.Resolve("entry");
    std::memcpy(caller.Image() + 4, &target, sizeof(target));
    const auto callerCode = caller.StartCompiled({"0"}, 0);
    ASSERT_NE(nullptr, callerCode);
    EXPECT_EQ(kSobReturned, caller.Context().Interpret());
    EXPECT_EQ(1u, owner.WordAtLabel("out"));
    EXPECT_EQ(0u, caller.Context().StackDepth());
    EXPECT_EQ(1u, caller.Context().NativeEntries());
    EXPECT_EQ(1u, owner.Context().StackDepth());
    EXPECT_EQ(0u, owner.Context().NativeEntries());
}

TEST(CompiledExecution, AThrowingHandlerLeavesPcAtItsCommand) {
    Snippet snippet("mov 1, out\nat: cmd cmd:2, out, out2\nmov 2, out\nret" + kOut);
    ASSERT_TRUE(snippet.Linked());
    const auto state = RunEveryWay(snippet, {"0"}, 0, 1);
    ASSERT_TRUE(state.has_value());
    EXPECT_TRUE(state->threw);
    EXPECT_EQ(snippet.Resolve("at"), state->pc);
    EXPECT_EQ(1u, snippet.WordAtLabel("out"));
}

TEST(CompiledExecution, AFaultingHandlerEndsTheRunAsAnInvalidScriptAtItsCommand) {
    Snippet snippet("mov 1, out\nat: cmd cmd:3, out, out2\nmov 2, out\nret" + kOut);
    ASSERT_TRUE(snippet.Linked());
    const auto state = RunEveryWay(snippet, {"0"}, 0, 1);
    ASSERT_TRUE(state.has_value());
    EXPECT_FALSE(state->threw);
    EXPECT_EQ(kSobInvalidScript, state->result);
    EXPECT_EQ(snippet.Resolve("at"), state->pc);
    // The handler's result is not stored and nothing after the command ran.
    EXPECT_EQ(1u, snippet.WordAtLabel("out"));
    EXPECT_NE(9u, snippet.WordAtLabel("out2"));
    // The mark was taken with the run: the next command call starts clean.
    EXPECT_FALSE(TakeScriptFault());
}

TEST(CompiledExecution, StopThenInterpretResumesNatively) {
    Snippet snippet("mov 1, out\nstop\nmov 2, out\nstop\nmov 3, out\nret" + kOut);
    ASSERT_TRUE(snippet.Linked());
    const auto code = snippet.StartCompiled({"0"}, 0);
    ASSERT_NE(nullptr, code);
    SobExecContext& context = snippet.Context();
    for (std::uint32_t expected : {1u, 2u}) {
        EXPECT_EQ(kSobYielded, context.Interpret());
        EXPECT_EQ(expected, snippet.WordAtLabel("out"));
    }
    EXPECT_EQ(kSobReturned, context.Interpret());
    EXPECT_EQ(3u, snippet.WordAtLabel("out"));
    EXPECT_EQ(3u, context.NativeEntries());
}

TEST(CompiledExecution, SwitchingCompiledExecutionOffStillRunsCompiledCode) {
    Snippet snippet("mov 1, out\nstop\nmov 2, out\nret" + kOut);
    ASSERT_TRUE(snippet.Linked());
    const auto code = snippet.StartCompiled({"0"}, 0);
    ASSERT_NE(nullptr, code);
    SobExecContext& context = snippet.Context();
    EXPECT_EQ(kSobYielded, context.Interpret());
    EXPECT_EQ(0, context.SetUseCompiled(0));
    EXPECT_EQ(kSobReturned, context.Interpret());
    EXPECT_EQ(2u, snippet.WordAtLabel("out"));
    EXPECT_EQ(1u, context.NativeEntries());
}

// The stack address at which a handler was last called.
std::uint32_t g_handlerStack = 0;
int g_handlerCalls = 0;
int g_handlerMoves = 0;

std::uint32_t XM_CDECL LogStackAddress(std::uint32_t* /*arguments*/) {
    volatile std::uint32_t local = 0;
    const std::uint32_t address = AddressOf(const_cast<std::uint32_t*>(&local));
    if (g_handlerCalls++ > 0 && address != g_handlerStack) {
        ++g_handlerMoves;
    }
    g_handlerStack = address;
    return 0;
}

TEST(CompiledExecution, NativeCodeDoesNotGrowTheMachineStack) {
    Snippet snippet(
        "loop: call sub\n"
        "cmd 0, 0, out\n"
        "dec count\n"
        "copy count, test+4\n"
        "test: jz 0, done\n"
        "jmp loop\n"
        "sub: push 1\n"
        "pop out2\n"
        "ret\n"
        "done: ret\n"
        ".data\n"
        "count: .word 5000" + kOut);
    ASSERT_TRUE(snippet.Linked());
    std::uint32_t handler = AddressOf(reinterpret_cast<void*>(&LogStackAddress));
    std::memcpy(snippet.Image() + snippet.Module().Label("loop") + 12, &handler, sizeof(handler));
    const auto code = snippet.StartCompiled({"0"}, 0);
    ASSERT_NE(nullptr, code);
    SobExecContext& context = snippet.Context();
    g_handlerCalls = 0;
    g_handlerMoves = 0;
    EXPECT_EQ(kSobReturned, context.Interpret());
    EXPECT_EQ(5000, g_handlerCalls);
    EXPECT_EQ(0, g_handlerMoves);
    EXPECT_EQ(1u, context.NativeEntries());
    EXPECT_EQ(0u, context.StackDepth());
}

// A game whose modules and library run on the core context.
class CompiledGame : public ::testing::Test {
protected:
    void SetUp() override {
        SobUserVar vars;
        vars.AddNumber(0);
        m_game.Write("USER_VAR.SOB", vars.Bytes());
    }

    int Load(ScriptCore& core, bool compiled) {
        if (compiled && core.Context().SetUseCompiled(1) != 0) {
            return -100;
        }
        const int init = core.LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true);
        // By path: the engine's own loader takes a module name.
        return init != 0 ? -init : core.ScriptCore::LoadModule("SCRIPT\\MAIN.SOB", nullptr);
    }

    ScriptGame m_game;
};

// Every step's result and the trace after it.
std::vector<std::pair<int, std::int32_t>> RunSteps(ScriptEngine& engine) {
    std::vector<std::pair<int, std::int32_t>> steps;
    for (int i = 0; i < 10; ++i) {
        const int result = engine.Step();
        steps.emplace_back(result, NumberOf(engine, 0));
        if (result != kStepYielded) {
            break;
        }
    }
    return steps;
}

TEST_F(CompiledGame, ModulesCallEachOtherAndTheLibraryAsInterpreted) {
    const SobModule library = AssembleSob("twice: call once\ncall once\nret\nonce: " + Trace(7) + "ret\n");
    m_game.Write("FUNC_LIB.SOB", library.Sob2());
    const std::string twice = "call lib:" + std::to_string(library.Label("twice")) + "\n";
    m_game.WriteModule("MAIN", Trace(1) + twice + ModuleCommand(0, "SUB") + "stop\n" + Trace(4) + "stop\n" +
                                   ModuleCommand(0, "SUB") + "stop\n" + Trace(5) + "ret\n");
    m_game.WriteModule("SUB", Trace(2) + "call inner\n" + twice + "ret\ninner: " + Trace(3) + "stop\nret\n");

    std::vector<std::pair<int, std::int32_t>> runs[2];
    for (bool compiled : {false, true}) {
        SCOPED_TRACE(compiled ? "compiled" : "interpreted");
        ScriptEngine engine;
        ASSERT_EQ(0, Load(engine, compiled));
        EXPECT_EQ(compiled, engine.Module(0).compiled != nullptr);
        runs[compiled] = RunSteps(engine);
        EXPECT_EQ(compiled, engine.Context().NativeEntries() > 0);
    }
    EXPECT_EQ(runs[0], runs[1]);
    ASSERT_FALSE(runs[1].empty());
    EXPECT_EQ(kStepEnded, runs[1].back().first);
}

// Command 0 of the re-entry test: runs the library routine whose address is w0 on the core
// context, from inside the native code that called the command.
ScriptCore* g_core = nullptr;

std::uint32_t XM_CDECL CallLibraryRoutine(std::uint32_t* arguments) {
    return g_core->Call(arguments[0]) + 40;
}

TEST_F(CompiledGame, AHandlerReentersTheCoreContext) {
    const SobModule library = AssembleSob("routine: " + Trace(2) + "ret\n");
    m_game.Write("FUNC_LIB.SOB", library.Sob2());
    m_game.WriteModule("MAIN", Trace(1) + "cmd cmd:0, args, result\n" + Trace(3) + "ret\n.data\nargs: .word lib:" +
                                   std::to_string(library.Label("routine")) + "\nresult: .word 0\n");
    ScriptCore core;
    core.AddCommand(CallLibraryRoutine);
    g_core = &core;
    ASSERT_EQ(0, Load(core, true));
    const std::uint32_t depth = core.Context().StackDepth();
    EXPECT_EQ(kSobReturned, core.Context().Interpret());
    EXPECT_EQ(123, NumberOf(core, 0));
    EXPECT_EQ(2u, core.Context().NativeEntries());
    EXPECT_EQ(depth - 1, core.Context().StackDepth());
    // The handler's result went to the word after the argument block.
    std::uint32_t result;
    std::memcpy(&result, core.CurrentCode() + core.Module(1).instructionSize + 4, sizeof(result));
    EXPECT_EQ(40u, result);
}

TEST_F(CompiledGame, AnInterpretedContextRunsACompiledLibraryRoutine) {
    const SobModule library = AssembleSob("routine: push 5\ncall add\npop var:0\n" + Trace(4) + "ret\nadd: ret\n");
    m_game.Write("FUNC_LIB.SOB", library.Sob2());
    m_game.WriteModule("MAIN", "ret\n");
    ScriptCore core;
    ASSERT_EQ(0, Load(core, true));
    ASSERT_NE(nullptr, core.Module(0).compiled);
    SobExecContext second;
    ASSERT_EQ(0, second.AllocateStack(16));
    const std::uint32_t corePc = core.Context().Pc();
    const std::uint32_t coreDepth = core.Context().StackDepth();
    EXPECT_EQ(kSobReturned, second.Call(AddressOf(core.LibraryCode() + library.Label("routine"))));
    EXPECT_EQ(54, NumberOf(core, 0));
    EXPECT_EQ(0u, second.StackDepth());
    EXPECT_EQ(0u, second.NativeEntries());
    EXPECT_EQ(corePc, core.Context().Pc());
    EXPECT_EQ(coreDepth, core.Context().StackDepth());
    EXPECT_EQ(0u, core.Context().NativeEntries());
}

TEST_F(CompiledGame, AModuleThatDoesNotCompileIsRefusedAsAFailedLink) {
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 8, 8}, {"BAD", 8, 8}, {"GLOBAL", 8, 8}}));
    m_game.WriteModule("MAIN", Trace(1) + "stop\nret\n");
    m_game.WriteModule("BAD", "mov 1, var:0\nop 48\nret\n");
    ScriptCore core;
    ASSERT_EQ(0, Load(core, true));
    std::uint8_t* const main = core.CurrentCode();
    const std::uint32_t pc = core.Context().Pc();
    const std::uint32_t depth = core.Context().StackDepth();
    EXPECT_EQ(kModuleLinkFailed, core.LoadModule("SCRIPT\\BAD.SOB", nullptr));
    EXPECT_EQ(1u, core.ModuleCount());
    EXPECT_EQ(main, core.CurrentCode());
    EXPECT_EQ(0, core.CurrentFlagRecord());
    EXPECT_EQ(pc, core.Context().Pc());
    EXPECT_EQ(depth, core.Context().StackDepth());
    EXPECT_EQ(kSobYielded, core.Context().Interpret());
    EXPECT_EQ(1, NumberOf(core, 0));
    // Interpreted, the same module loads: it is refused only where it would run as native code.
    ScriptCore interpreted;
    ASSERT_EQ(0, Load(interpreted, false));
    EXPECT_EQ(kModuleLoaded, interpreted.LoadModule("SCRIPT\\BAD.SOB", nullptr));
}

TEST_F(CompiledGame, ALibraryThatDoesNotCompileFailsTheInitFiles) {
    m_game.Write("FUNC_LIB.SOB", AssembleSob("op 47\nret\n").Sob2());
    m_game.WriteModule("MAIN", "ret\n");
    ScriptCore core;
    EXPECT_EQ(-kInitLibraryLinkFailed, Load(core, true));
    EXPECT_FALSE(core.HasLibrary());
    EXPECT_EQ(0u, core.ModuleCount());
    EXPECT_EQ(nullptr, core.LibraryCode());
}

TEST(CompiledExecutionSwitch, AFailedSwitchLeavesTheContextInterpreting) {
    sobtest::NoExecutableMemory none;
    ExecutableMemory* const previous = ReplaceDefaultExecutableMemory(&none);
    SobExecContext context;
    EXPECT_EQ(2, context.SetUseCompiled(1));
    EXPECT_FALSE(context.UsesCompiled());
    ReplaceDefaultExecutableMemory(previous);
    EXPECT_EQ(0, context.SetUseCompiled(1));
    EXPECT_TRUE(context.UsesCompiled());
    EXPECT_EQ(0, context.SetUseCompiled(0));
    EXPECT_FALSE(context.UsesCompiled());
}

}  // namespace
