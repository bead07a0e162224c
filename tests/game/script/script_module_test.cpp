#include "game/script/command_table.h"
#include "game/script/script_engine.h"
#include "game/script/script_address.h"
#include "game/script/script_start.h"
#include "tests/game/script/script_game.h"
#include "tests/game/script/sob_snippet.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using gametest::ModuleCommand;
using gametest::NumberOf;
using gametest::ScriptGame;
using gametest::Trace;
using testsupport::AssembleSob;
using testsupport::SobInitFile;
using testsupport::SobModule;
using testsupport::SobUserVar;

std::uint32_t ImageWord(ModuleRecord& module, std::uint32_t offset) {
    std::uint32_t word;
    std::memcpy(&word, module.ImageBytes() + offset, sizeof(word));
    return word;
}

// A module file that parses but does not link: its terminator is not 0.
std::vector<std::uint8_t> UnlinkableModule() {
    SobModule module = AssembleSob("ret\n");
    module.terminator = 1;
    return module.Sob0();
}

// Variable 0 is the trace number of the tests.
SobUserVar TraceVariables() {
    SobUserVar vars;
    vars.AddNumber(0);
    return vars;
}

// Every module test runs on plain files and on a QPK archive.
class ScriptModules : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { m_game.Write("USER_VAR.SOB", TraceVariables().Bytes()); }

    int Load(ScriptEngine& engine) {
        const int init = engine.LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true);
        return init != 0 ? -init : engine.LoadModule("MAIN", nullptr);
    }

    ScriptGame m_game{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(PlainFilesAndArchive, ScriptModules, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Archive" : "PlainFiles"; });

TEST_P(ScriptModules, CallsYieldReturnJumpAndEnd) {
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 8, 8}, {"SUB", 8, 8}, {"NEXT", 8, 8}, {"GLOBAL", 8, 8}}));
    m_game.WriteModule("MAIN", Trace(1) + ModuleCommand(0, "SUB") + "stop\n" + Trace(3) + ModuleCommand(1, "NEXT") + "ret\n");
    m_game.WriteModule("SUB", Trace(2) + "stop\nret\n");
    m_game.WriteModule("NEXT", Trace(4) + ModuleCommand(2, "") + "stop\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    std::uint8_t* const main = engine.CurrentCode();

    EXPECT_EQ(kStepYielded, engine.Step());
    EXPECT_EQ(12, NumberOf(engine, 0));
    EXPECT_EQ(1u, ModuleControl().callDepth);
    EXPECT_EQ(2u, engine.ModuleCount());
    EXPECT_EQ(1, engine.CurrentFlagRecord());
    EXPECT_NE(main, engine.CurrentCode());

    EXPECT_EQ(kStepEnded, engine.Step());
    EXPECT_EQ(1234, NumberOf(engine, 0));
    EXPECT_EQ(0u, ModuleControl().callDepth);
    EXPECT_EQ(1u, engine.ModuleCount());
    EXPECT_EQ(2, engine.CurrentFlagRecord());
    EXPECT_EQ(engine.Module(0).ImageBytes(), engine.CurrentCode());
}

TEST_P(ScriptModules, ReturnFromACallRestoresTheCallersImageAndFlags) {
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 8, 8}, {"SUB", 8, 8}, {"GLOBAL", 8, 8}}));
    m_game.WriteModule("MAIN", ModuleCommand(0, "SUB") + "stop\nstop\nret\n");
    m_game.WriteModule("SUB", "ret\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    std::uint8_t* const main = engine.CurrentCode();
    EXPECT_EQ(kStepYielded, engine.Step());
    EXPECT_EQ(main, engine.CurrentCode());
    EXPECT_EQ(0, engine.CurrentFlagRecord());
}

TEST_P(ScriptModules, NestedCallsUnwindOneDepthPerReturn) {
    m_game.WriteModule("MAIN", Trace(1) + ModuleCommand(0, "A") + "stop\n" + Trace(5) + "ret\n");
    m_game.WriteModule("A", Trace(2) + ModuleCommand(0, "B") + "stop\n" + Trace(4) + "ret\n");
    m_game.WriteModule("B", Trace(3) + "stop\nret\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    EXPECT_EQ(kStepYielded, engine.Step());
    EXPECT_EQ(2u, ModuleControl().callDepth);
    EXPECT_EQ(3u, engine.ModuleCount());
    EXPECT_EQ(kStepEnded, engine.Step());
    EXPECT_EQ(12345, NumberOf(engine, 0));
    EXPECT_EQ(0u, ModuleControl().callDepth);
}

struct ControlFaultCase {
    const char* name;
    std::string main;
    int firstStep;
    int trace;  // after a second step, -1 when none follows
};

TEST_P(ScriptModules, ModuleControlFailures) {
    const std::string longName(ModuleControlState::kNameSize, 'A');
    const ControlFaultCase cases[] = {
        {"a call to a missing module keeps the caller", Trace(1) + ModuleCommand(0, "NOPE") + "stop\n" + Trace(2) + "ret\n",
         kStepCallFailed, 12},
        {"a call to a module that does not link keeps the caller",
         Trace(1) + ModuleCommand(0, "BROKEN") + "stop\n" + Trace(2) + "ret\n", kStepCallFailed, 12},
        {"a call with a name longer than its buffer fails",
         Trace(1) + ModuleCommand(0, longName) + "stop\n" + Trace(2) + "ret\n", kStepCallFailed, 12},
        {"a call with a name too long for the path fails",
         Trace(1) + ModuleCommand(0, std::string(53, 'A')) + "stop\n" + Trace(2) + "ret\n", kStepCallFailed, 12},
        {"a jump to a missing module", ModuleCommand(1, "NOPE") + "ret\n", kStepJumpFailed, -1},
        {"a jump followed by a stop", ModuleCommand(1, "MAIN") + "stop\n", kStepInvalidScript, -1},
        {"a call followed by a return", ModuleCommand(0, "MAIN") + "ret\n", kStepInvalidScript, -1},
        {"a faulting instruction", "div 1, 0, 0\n", kStepInvalidScript, -1},
    };
    m_game.Write("BROKEN.SOB", UnlinkableModule());
    for (const ControlFaultCase& row : cases) {
        SCOPED_TRACE(row.name);
        m_game.WriteModule("MAIN", row.main);
        ScriptEngine engine;
        ASSERT_EQ(0, Load(engine));
        std::uint8_t* const main = engine.CurrentCode();
        EXPECT_EQ(row.firstStep, engine.Step());
        if (row.firstStep == kStepJumpFailed) {
            // The jumping module is gone: nothing is left to run.
            EXPECT_EQ(0u, engine.ModuleCount());
            EXPECT_EQ(0u, engine.Context().Pc());
            EXPECT_EQ(kStepInvalidScript, engine.Step());
        }
        if (row.trace >= 0) {
            EXPECT_EQ(main, engine.CurrentCode());
            EXPECT_EQ(1u, engine.ModuleCount());
            EXPECT_EQ(0u, ModuleControl().callDepth);
            EXPECT_EQ(kStepEnded, engine.Step());
            EXPECT_EQ(row.trace, NumberOf(engine, 0));
        }
    }
}

TEST_P(ScriptModules, AFailedLinkLeavesThePreviousModuleAndFlagRecordCurrent) {
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 8, 8}, {"BROKEN", 8, 8}, {"GLOBAL", 8, 8}}));
    m_game.WriteModule("MAIN", ModuleCommand(0, "BROKEN") + "stop\n" + Trace(7) + "ret\n");
    m_game.Write("BROKEN.SOB", UnlinkableModule());
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    std::uint8_t* const main = engine.CurrentCode();
    EXPECT_EQ(kStepCallFailed, engine.Step());
    EXPECT_EQ(main, engine.CurrentCode());
    EXPECT_EQ(0, engine.CurrentFlagRecord());
    EXPECT_EQ(kStepEnded, engine.Step());
    EXPECT_EQ(7, NumberOf(engine, 0));
}

TEST_P(ScriptModules, ModuleNamesAgainstTheFlagRecords) {
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 8, 8}, {"SUB", 8, 8}, {"GLOBAL", 8, 8}}));
    m_game.WriteModule("MAIN", "ret\n");
    m_game.WriteModule("sub", "ret\n");
    m_game.WriteModule("OTHER", "ret\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    EXPECT_EQ(kModuleLoaded, engine.LoadModule("sub", nullptr));
    EXPECT_EQ(1, engine.CurrentFlagRecord());
    EXPECT_EQ(kModuleBadFile, engine.LoadModule("OTHER", nullptr));
    EXPECT_EQ(1, engine.CurrentFlagRecord());
    EXPECT_EQ(kModuleFileMissing, engine.LoadModule(std::string(53, 'A').c_str(), nullptr));
    EXPECT_EQ(kModuleFileMissing, engine.LoadModule("", nullptr));
}

TEST_P(ScriptModules, AModuleIsRefusedWhenTheStackCannotTakeItsMark) {
    m_game.WriteModule("MAIN", "ret\n");
    m_game.WriteModule("SUB", "ret\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    while (engine.Context().Push(1) == 0) {
    }
    const std::uint32_t pc = engine.Context().Pc();
    EXPECT_EQ(kModuleLinkFailed, engine.LoadModule("SUB", nullptr));
    EXPECT_EQ(1u, engine.ModuleCount());
    EXPECT_EQ(pc, engine.Context().Pc());
    EXPECT_EQ(engine.Module(0).ImageBytes(), engine.CurrentCode());
}

TEST_P(ScriptModules, WithoutFlagRecordsAnyModuleLoads) {
    m_game.WriteModule("MAIN", "ret\n");
    m_game.WriteModule("ANY", "ret\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    // A module that starts with a return ends at once on the mark its loading pushed.
    EXPECT_EQ(1u, engine.Context().StackDepth());
    EXPECT_EQ(kStepEnded, engine.Step());
    EXPECT_EQ(0u, engine.Context().StackDepth());
    EXPECT_EQ(kModuleLoaded, engine.LoadModule("ANY", nullptr));
    EXPECT_EQ(-1, engine.CurrentFlagRecord());
}

TEST_P(ScriptModules, RestartMainGivesTheBootFlagAndKeepsTheLibrary) {
    m_game.Write("FUNC_LIB.SOB", AssembleSob("ret\n").Sob2());
    m_game.WriteModule("MAIN", "copy sym:1, var:0\nret\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    EXPECT_EQ(kStepEnded, engine.Step());
    EXPECT_EQ(0, NumberOf(engine, 0));
    EXPECT_EQ(1, engine.BootNumber());
    for (const auto& [argument, flag] : {std::pair<std::uint32_t, int>{0, -1}, {1, 1}, {7, 1}}) {
        EXPECT_EQ(0, engine.RestartMain(argument));
        EXPECT_EQ(2u, engine.ModuleCount());
        EXPECT_EQ(kStepEnded, engine.Step());
        EXPECT_EQ(flag, NumberOf(engine, 0));
    }
}

TEST_P(ScriptModules, RestartMainForgetsCallsAndPendingActions) {
    m_game.WriteModule("MAIN", ModuleCommand(0, "SUB") + "stop\n" + Trace(1) + "ret\n");
    m_game.WriteModule("SUB", ModuleCommand(2, "") + "stop\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    EXPECT_EQ(kStepEnded, engine.Step());
    EXPECT_EQ(1u, ModuleControl().callDepth);
    EXPECT_EQ(0, engine.RestartMain(1));
    EXPECT_EQ(1u, engine.ModuleCount());
    EXPECT_EQ(0u, ModuleControl().callDepth);
    EXPECT_EQ(1u, engine.Context().StackDepth());
    m_game.WriteModule("MAIN", Trace(5) + "ret\n");
    EXPECT_EQ(0, engine.RestartMain(1));
    EXPECT_EQ(kStepEnded, engine.Step());
    EXPECT_EQ(5, NumberOf(engine, 0));
}

TEST_P(ScriptModules, ARestartWhoseMainDoesNotLoadLeavesNothingToRun) {
    m_game.WriteModule("MAIN", ModuleCommand(0, "SUB") + "stop\nret\n");
    m_game.WriteModule("SUB", "stop\nret\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    EXPECT_EQ(kStepYielded, engine.Step());
    m_game.Write("MAIN.SOB", UnlinkableModule());
    EXPECT_EQ(1, engine.RestartMain(0));
    EXPECT_EQ(0u, engine.ModuleCount());
    EXPECT_EQ(-1, engine.ScriptBootFlg());
    EXPECT_EQ(0u, engine.Context().Pc());
    EXPECT_EQ(kStepInvalidScript, engine.Step());
}

TEST_P(ScriptModules, EachFixupKindPatchesItsAbsoluteAddress) {
    SobUserVar vars = TraceVariables();
    vars.AddText(1, 0, 16, "pointer");
    m_game.Write("USER_VAR.SOB", vars.Bytes());
    m_game.Write("FUNC_LIB.SOB", AssembleSob("ret\n.data\n.word 0, 0, 0\n").Sob2());
    const SobModule main = AssembleSob(
        "ret\n.data\nv0: .word var:0\nv1: .word var:1\nc2: .word cmd:2\nc808: .word cmd:808\n"
        "s0: .word sym:0\ns1: .word sym:1\nl8: .word lib:8\ni: .word v1+2\n");
    m_game.Write("MAIN.SOB", main.Sob0());
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    ModuleRecord& module = engine.Module(1);
    const VariableTable& live = engine.LiveVariables();
    const std::uint32_t slot = live.Entries()[1].address;
    const struct {
        const char* label;
        std::uint32_t expected;
    } cases[] = {
        {"v0", AddressOf(live.Data(0))},
        {"v1", slot},
        {"c2", AddressOf(reinterpret_cast<void*>(CmdEndScript))},
        {"c808", AddressOf(reinterpret_cast<void*>(engine.Commands()[808]))},
        {"l8", AddressOf(engine.LibraryCode() + 8)},
        {"i", AddressOf(module.ImageBytes() + main.Label("v1") + 2)},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(row.expected, ImageWord(module, main.Label(row.label)));
    }
    // A text held through a pointer: the slot holds the text buffer's address.
    EXPECT_STREQ("pointer", PointerAt<const char>(*PointerAt<const std::uint32_t>(slot)));
    // Named symbols: 0 is a core word and 1 "ScriptBootFlg"; a store through 1 is what MAIN sees.
    EXPECT_NE(ImageWord(module, main.Label("s0")), ImageWord(module, main.Label("s1")));
    *PointerAt<std::int32_t>(ImageWord(module, main.Label("s1"))) = 42;
    EXPECT_EQ(42, engine.ScriptBootFlg());
}

TEST_P(ScriptModules, LibraryCodeRunsFromAModule) {
    const SobModule library = AssembleSob("mov 0, 0\nentry: " + Trace(9) + "ret\n");
    m_game.Write("FUNC_LIB.SOB", library.Sob2());
    const std::uint32_t entry = library.Label("entry");
    m_game.WriteModule("MAIN", Trace(1) + "call lib:" + std::to_string(entry) + "\n" + Trace(2) + "ret\n");
    ScriptEngine engine;
    ASSERT_EQ(0, Load(engine));
    EXPECT_EQ(kStepEnded, engine.Step());
    EXPECT_EQ(192, NumberOf(engine, 0));
}

// Breaks a module body in one way; the load must fail with `expected` and change nothing.
struct ModuleDamage {
    const char* name;
    std::function<std::vector<std::uint8_t>(SobModule&)> make;
    int expected;
};

TEST_P(ScriptModules, DamagedModulesAreRefusedAndChangeNothing) {
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 8, 8}, {"BAD", 8, 8}, {"GLOBAL", 8, 8}}));
    m_game.Write("FUNC_LIB.SOB", AssembleSob("ret\n.data\n.word 0\n").Sob2());
    m_game.WriteModule("MAIN", "ret\n");
    const std::string source = "push var:0\nret\n.data\n.word x, cmd:2, sym:1, lib:4\nx: .word 0\n";
    auto sob0 = [](SobModule& m) { return m.Sob0(); };
    const std::uint32_t imageSize = static_cast<std::uint32_t>(AssembleSob(source).image.size());
    const ModuleDamage cases[] = {
        {"intact", sob0, kModuleLoaded},
        {"wrong magic", [](SobModule& m) { return m.Sob2(); }, kModuleBadFile},
        {"shorter than its magic", [](SobModule&) { return std::vector<std::uint8_t>{'S', 'O'}; }, kModuleBadFile},
        {"terminator 1", [&](SobModule& m) { m.terminator = 1; return sob0(m); }, kModuleLinkFailed},
        {"fixup section larger than the file", [&](SobModule& m) { m.fixupSectionSizeField = 0x7FFFFFF0; return sob0(m); }, kModuleLinkFailed},
        {"fixup section too small for its lists", [&](SobModule& m) { m.fixupSectionSizeField = 12; return sob0(m); }, kModuleLinkFailed},
        {"image larger than the file", [&](SobModule& m) { m.imageSizeField = imageSize + 4; return sob0(m); }, kModuleLinkFailed},
        {"image size near 4 GB", [&](SobModule& m) { m.imageSizeField = 0xFFFFFFFC; return sob0(m); }, kModuleLinkFailed},
        {"instructions larger than the image", [&](SobModule& m) { m.instructionSize = imageSize + 4; return sob0(m); }, kModuleLinkFailed},
        {"file cut short", [&](SobModule& m) { auto f = sob0(m); f.resize(f.size() - 1); return f; }, kModuleLinkFailed},
        {"fixup word past the image", [&](SobModule& m) { m.fixups[testsupport::kSobFixInternal][0].at = imageSize - 2; return sob0(m); }, kModuleLinkFailed},
        {"fixup offset wrapping past 4 GB", [&](SobModule& m) { m.fixups[testsupport::kSobFixCommand][0].at = 0xFFFFFFFE; return sob0(m); }, kModuleLinkFailed},
        {"variable number past the table", [&](SobModule& m) { m.fixups[testsupport::kSobFixVariable][0].value = 1; return sob0(m); }, kModuleLinkFailed},
        {"command number past the table", [&](SobModule& m) { m.fixups[testsupport::kSobFixCommand][0].value = 809; return sob0(m); }, kModuleLinkFailed},
        {"symbol number past the table", [&](SobModule& m) { m.fixups[testsupport::kSobFixSymbol][0].value = 3; return sob0(m); }, kModuleLinkFailed},
        {"library offset past the library", [&](SobModule& m) { m.fixups[testsupport::kSobFixLibrary][0].value = 12; return sob0(m); }, kModuleLinkFailed},
        {"internal offset past the image", [&](SobModule& m) { m.fixups[testsupport::kSobFixInternal][0].value = imageSize + 1; return sob0(m); }, kModuleLinkFailed},
        {"a list count larger than the section", [&](SobModule& m) {
             auto f = sob0(m);
             f[8] = 0xFF;  // count of the variable list, right after the magic and H
             f[9] = 0xFF;
             return f;
         }, kModuleLinkFailed},
    };
    for (const ModuleDamage& row : cases) {
        SCOPED_TRACE(row.name);
        ScriptEngine engine;
        ASSERT_EQ(0, Load(engine));
        SobModule module = AssembleSob(source);
        m_game.Write("BAD.SOB", row.make(module));
        std::uint8_t* const main = engine.CurrentCode();
        const std::uint32_t pc = engine.Context().Pc();
        EXPECT_EQ(row.expected, engine.LoadModule("BAD", nullptr));
        if (row.expected != kModuleLoaded) {
            EXPECT_EQ(2u, engine.ModuleCount());
            EXPECT_EQ(main, engine.CurrentCode());
            EXPECT_EQ(0, engine.CurrentFlagRecord());
            EXPECT_EQ(pc, engine.Context().Pc());
            EXPECT_EQ(1u, engine.Context().StackDepth());
        }
    }
}

struct InitFilesCase {
    const char* name;
    std::function<void(ScriptGame&)> write;
    int expected;
};

TEST(ScriptInitFiles, ResultsOfLoadInitFiles) {
    auto userVar = [](const std::function<void(SobUserVar&)>& change) {
        SobUserVar vars;
        vars.AddNumber(0);
        vars.AddText(1, 1, 8);
        vars.relocations.push_back({0, 4});
        change(vars);
        return vars.Bytes();
    };
    const InitFilesCase cases[] = {
        {"no files at all", [](ScriptGame&) {}, kInitLoaded},
        {"all three intact", [&](ScriptGame& g) {
             g.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 1, 1}}));
             g.Write("USER_VAR.SOB", userVar([](SobUserVar&) {}));
             g.Write("FUNC_LIB.SOB", AssembleSob("ret\n").Sob2());
         }, kInitLoaded},
        {"variable module with a wrong magic", [&](ScriptGame& g) {
             auto f = userVar([](SobUserVar&) {});
             f[3] = '0';
             g.Write("USER_VAR.SOB", f);
         }, kInitUserVarBadMagic},
        {"variable module with terminator 1", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.terminator = 1; }));
         }, kInitUserVarBadTerminator},
        {"library with a wrong magic", [](ScriptGame& g) { g.Write("FUNC_LIB.SOB", AssembleSob("ret\n").Sob0()); }, kInitLibraryBadMagic},
        {"library that does not link", [](ScriptGame& g) {
             SobModule lib = AssembleSob("ret\n");
             lib.terminator = 1;
             g.Write("FUNC_LIB.SOB", lib.Sob2());
         }, kInitLibraryLinkFailed},
        {"init file cut inside a record", [](ScriptGame& g) {
             auto f = SobInitFile({{"MAIN", 1, 1}});
             f.pop_back();
             g.Write("SOB_INIT.DAT", f);
         }, kInitSobInitDamaged},
        {"init file counting more records than it holds", [](ScriptGame& g) {
             g.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 1, 1}}, 2));
         }, kInitSobInitDamaged},
        {"init name without its zero", [](ScriptGame& g) {
             g.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 1, 1, false}}));
         }, kInitSobInitDamaged},
        {"area size larger than the file", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.areaSizeField = 0x10000; }));
         }, kInitUserVarDamaged},
        {"definition count larger than the file", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.definitionCountField = 0x0FFFFFFF; }));
         }, kInitUserVarDamaged},
        {"variable past the area", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.definitions[1].size = 9; }));
         }, kInitUserVarDamaged},
        {"variable offset wrapping past 4 GB", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.definitions[0].offset = 0xFFFFFFFE; }));
         }, kInitUserVarDamaged},
        {"unknown variable kind", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.definitions[0].kind = 3; }));
         }, kInitUserVarDamaged},
        {"relocated word past the area", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.relocations[0].at = 10; }));
         }, kInitUserVarDamaged},
        {"relocation target past the area", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.relocations[0].value = 13; }));
         }, kInitUserVarDamaged},
        {"relocation count larger than the file", [&](ScriptGame& g) {
             g.Write("USER_VAR.SOB", userVar([](SobUserVar& v) { v.relocationCountField = 1000; }));
         }, kInitUserVarDamaged},
    };
    for (const InitFilesCase& row : cases) {
        SCOPED_TRACE(row.name);
        ScriptGame game;
        row.write(game);
        ScriptEngine engine;
        EXPECT_EQ(row.expected, engine.LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true));
        EXPECT_EQ(kInitAlreadyLoaded, engine.LoadInitFiles("SCRIPT\\SOB_INIT.DAT", nullptr, nullptr, true, true));
    }
}

TEST(ScriptInitFiles, RelocationsPointIntoEachCopyOfTheArea) {
    ScriptGame game;
    SobUserVar vars;
    vars.AddNumber(0);
    vars.AddNumber(0);
    vars.relocations.push_back({0, 4});
    game.Write("USER_VAR.SOB", vars.Bytes());
    ScriptEngine engine;
    ASSERT_EQ(0, engine.LoadInitFiles(nullptr, "SCRIPT\\USER_VAR.SOB", nullptr, true, true));
    for (VariableTable* table : {&engine.LiveVariables(), engine.SaveCopy(), engine.AutoSaveCopy()}) {
        ASSERT_NE(nullptr, table);
        std::uint32_t word;
        std::memcpy(&word, table->Data(0), 4);
        EXPECT_EQ(AddressOf(table->Data(1)), word);
    }
}

class RecordingHost : public ScriptStartHost {
public:
    const char* SaveFolder() override { return "C:\\SAVE\\"; }
    void ShowStopMessage(const char* text) override { messages.push_back(text); }
    bool UseCompiledScripts() override { return compiled; }
    std::vector<std::string> messages;
    bool compiled = false;
};

TEST(ScriptStart, ResultsAndMessages) {
    const struct {
        const char* name;
        std::vector<std::uint8_t> main;
        std::vector<std::uint8_t> init;
        int expected;
        const char* message;
    } cases[] = {
        {"MAIN loads", AssembleSob("ret\n").Sob0(), {}, 0, nullptr},
        {"MAIN missing", {}, {}, 3, "メインスクリプトを開けません"},
        {"MAIN not a module", AssembleSob("ret\n").Sob2(), {}, 4, "メインスクリプトが不正です"},
        {"MAIN without a flag record", AssembleSob("ret\n").Sob0(), SobInitFile({{"TITLE", 1, 1}}), 4, "メインスクリプトが不正です"},
        {"MAIN does not link", UnlinkableModule(), {}, 5, "デバッグモード用のスクリプトです"},
        {"damaged init file", AssembleSob("ret\n").Sob0(), {1, 0}, 2, "スクリプト初期化ファイルのロードに失敗"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        ScriptGame game;
        if (!row.main.empty()) {
            game.Write("MAIN.SOB", row.main);
        }
        if (!row.init.empty()) {
            game.Write("SOB_INIT.DAT", row.init);
        }
        RecordingHost host;
        std::unique_ptr<ScriptEngine> engine;
        EXPECT_EQ(row.expected, StartScriptEngine(host, engine));
        ASSERT_NE(nullptr, engine);
        EXPECT_EQ("C:\\SAVE\\", engine->SaveFolder());
        EXPECT_EQ(row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{}, host.messages);
    }
}

// The same game interpreted and, with the setting on, compiled.
class ScriptStartGame : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(InterpretedAndCompiled, ScriptStartGame, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Compiled" : "Interpreted"; });

TEST_P(ScriptStartGame, RunsAGameFromAnArchive) {
    ScriptGame game(true);
    game.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 8, 8}, {"CHAPTER", 8, 8}, {"END", 8, 8}, {"GLOBAL", 8, 8}}));
    SobUserVar vars = TraceVariables();
    vars.AddText(1, 0, 16, "start");
    game.Write("USER_VAR.SOB", vars.Bytes());
    const SobModule library = AssembleSob("add2: " + Trace(2) + "ret\n");
    game.Write("FUNC_LIB.SOB", library.Sob2());
    game.WriteModule("MAIN", Trace(1) + "call lib:" + std::to_string(library.Label("add2")) + "\n" +
                                 ModuleCommand(0, "CHAPTER") + "stop\n" + Trace(4) + ModuleCommand(1, "END") + "ret\n");
    game.WriteModule("CHAPTER", Trace(3) + "copyptr var:1, var:0\nstop\nret\n");
    game.WriteModule("END", Trace(5) + ModuleCommand(2, "") + "stop\n");
    RecordingHost host;
    host.compiled = GetParam();
    std::unique_ptr<ScriptEngine> engine;
    ASSERT_EQ(0, StartScriptEngine(host, engine));
    EXPECT_EQ(GetParam(), engine->Context().UsesCompiled());
    for (std::size_t i = 0; i < engine->ModuleCount(); ++i) {
        EXPECT_EQ(GetParam(), engine->Module(i).compiled != nullptr) << i;
    }
    EXPECT_EQ(kStepYielded, engine->Step());
    // CHAPTER read the first word of the text through its pointer slot.
    std::int32_t start;
    std::memcpy(&start, "star", 4);
    EXPECT_EQ(start, NumberOf(*engine, 0));
    EXPECT_EQ(1, engine->CurrentFlagRecord());
    EXPECT_EQ(kStepEnded, engine->Step());
    EXPECT_EQ(static_cast<std::int32_t>(static_cast<std::uint32_t>(start) * 100u + 45u), NumberOf(*engine, 0));
    EXPECT_EQ(2, engine->CurrentFlagRecord());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(GetParam(), engine->Context().NativeEntries() > 0);
}

TEST(ScriptStart, WithoutExecutableMemoryTheScriptsRunInterpreted) {
    ScriptGame game;
    game.WriteModule("MAIN", Trace(1) + "ret\n");
    game.Write("USER_VAR.SOB", TraceVariables().Bytes());
    sobtest::NoExecutableMemory none;
    ExecutableMemory* const previous = ReplaceDefaultExecutableMemory(&none);
    RecordingHost host;
    host.compiled = true;
    std::unique_ptr<ScriptEngine> engine;
    const int result = StartScriptEngine(host, engine);
    ReplaceDefaultExecutableMemory(previous);
    ASSERT_EQ(0, result);
    EXPECT_FALSE(engine->Context().UsesCompiled());
    EXPECT_EQ(nullptr, engine->Module(0).compiled);
    EXPECT_EQ(kStepEnded, engine->Step());
    EXPECT_EQ(1, NumberOf(*engine, 0));
    EXPECT_TRUE(host.messages.empty());
}

// Opcode numbers and command names as the command groups list them: both ends of every group
// and the handlers that several opcodes share. Compiled modules are linked by these numbers.
const struct {
    std::size_t opcode;
    const char* name;
} kOpcodeAnchors[] = {
    {0, "CmdCallModule"}, {1, "CmdJumpModule"}, {2, "CmdEndScript"}, {3, "CmdSetWindowFeature"},
    {36, "CmdLoadVariableGroups"}, {37, "CmdNoOperation"}, {38, "CmdTakeScreenModeChanged"},
    {39, "CmdSetSaveParameters"}, {54, "CmdStartSizeMotion"}, {55, "CmdNoOperation"}, {56, "CmdNoOperation"},
    {57, "CmdGetGameMessageBox"}, {58, "CmdGameMessageBoxControl"}, {59, "CmdCopyString"},
    {95, "CmdGetBaseDirectory"}, {96, "CmdAddSearchDir"}, {165, "CmdGetFileTime"}, {166, "CmdReleaseAllFonts"},
    {221, "CmdCallEffectAssist"}, {222, "CmdCreateDirectDrawImage"}, {314, "CmdGetDrawableBounds"},
    {315, "CmdStartDrawablePathText"}, {316, "CmdStartDrawablePathPoints"}, {317, "CmdConvertImageDepth"},
    {356, "CmdBlitFromIndexed"}, {401, "CmdRuleTransition"}, {402, "CmdCreateSprite"}, {438, "CmdSetSpriteAlpha"},
    {439, "CmdIsSoundBufferPlaying"}, {440, "CmdSetSpriteOwner"}, {445, "CmdRenderSprite"},
    {446, "CmdStartSpritePathText"}, {450, "CmdStartValueMotionText"}, {451, "CmdSetSpriteStretch"},
    {465, "CmdSetFillSpriteRect"}, {466, "CmdSetHistorySize"}, {504, "CmdDrawMessage"},
    {505, "CmdCopyMessageText"}, {509, "CmdIsChoiceTaken"}, {510, "CmdLoadQag"}, {540, "CmdCellImageImage"},
    {541, "CmdGetTime"}, {595, "CmdIsJoystickDown"}, {596, "CmdOpenSoundDevice"}, {622, "CmdIsSoundBufferPlaying"},
    {631, "CmdExportSoundAsWave"}, {632, "CmdOpenMovie"}, {651, "CmdGetSpriteMovie"}, {652, "CmdSetSoundSetting"},
    {684, "CmdStartBgmDuck"}, {685, "CmdNewTextButton"}, {722, "CmdPopPartGroupState"}, {723, "CmdSetPartId"},
    {742, "CmdSetUnusedPair"}, {790, "CmdCopyChoiceMarkSource"}, {791, "CmdTgsCreateFrame"},
    {794, "CmdTgsSetStartParam"}, {795, "CmdNoOperation"}, {796, "CmdMessageBox"}, {799, "CmdMessageDialog"},
    {800, "CmdNoOperation"}, {801, "CmdNoOperation"}, {802, "CmdOpenDocument"}, {808, "CmdStartScreenSaver"},
};

TEST(CommandTable, OpcodesKeepTheirNumbersNamesAndSharedHandlers) {
    ScriptEngine engine;
    ASSERT_EQ(kCommandCount, engine.Commands().size());
    for (const auto& anchor : kOpcodeAnchors) {
        EXPECT_STREQ(anchor.name, kCommandTable[anchor.opcode].name) << anchor.opcode;
    }
    // The engine binds the list in order, and a name shared by opcodes is one handler.
    std::map<std::string, CommandHandler> handlers;
    for (std::size_t opcode = 0; opcode < kCommandCount; ++opcode) {
        EXPECT_EQ(kCommandTable[opcode].handler, engine.Commands()[opcode]) << opcode;
        const auto named = handlers.emplace(kCommandTable[opcode].name, kCommandTable[opcode].handler).first;
        EXPECT_EQ(named->second, kCommandTable[opcode].handler) << opcode;
    }
    EXPECT_EQ(803u, handlers.size());
    // One do-nothing handler answers 0 for all six of its opcodes; 439 is the handler of 622.
    std::uint32_t arguments[4] = {};
    for (std::size_t opcode : {37, 55, 56, 795, 800, 801}) {
        EXPECT_EQ(engine.Commands()[37], engine.Commands()[opcode]) << opcode;
        EXPECT_EQ(0u, engine.Commands()[opcode](arguments)) << opcode;
    }
    EXPECT_EQ(engine.Commands()[622], engine.Commands()[439]);
    EXPECT_EQ(kCommandNotBuilt, engine.Commands()[750](arguments));
    EXPECT_EQ(kCommandNotBuilt, engine.Commands()[700](arguments));
}

}  // namespace
