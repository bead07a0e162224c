// The TGS module host: .TOB, TGS_INIT.DAT and TEXT_LOG.DAT readers, modules, calls and returns,
// flags and the module state.
#include <gtest/gtest.h>

#include "scenario/tgs/tgs_script.h"
#include "tests/support/fake_tgs_host.h"
#include "tests/support/image_buffer.h"
#include "tests/support/text_mutator.h"
#include "tools/content/tob_writer.h"

using testsupport::FakeTgsHost;
using testsupport::TgsInitEntry;
using testsupport::TobCondition;
using testsupport::TobOperand;
using testsupport::TobWriter;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes SimpleTob(const std::string& text = "abc") {
    TobWriter tob;
    tob.Label("top").Line().Text(text).Label("end").Line();
    return tob.Bytes();
}

class TgsScriptTest : public ::testing::Test {
protected:
    TgsScriptTest() : script(host) { script.SetFileSource(host.Files()); }

    void Init(const std::vector<TgsInitEntry>& entries) {
        host.files["SCRIPT\\TGS_INIT.DAT"] = testsupport::TgsInitFile(entries);
        ASSERT_EQ(0, script.LoadInitFile("TGS_INIT.DAT"));
    }
    void AddTob(const std::string& name, const Bytes& bytes) { host.files["SCRIPT\\" + name + ".TOB"] = bytes; }

    FakeTgsHost host;
    TgsScript script;
};

TEST_F(TgsScriptTest, DamagedModulesAreRefusedWithTheirOwnCode) {
    struct Case {
        const char* name;
        Bytes file;
        int start;  // StartScript's result
    };
    auto with = [](void (*edit)(TobWriter&)) {
        TobWriter tob;
        tob.Label("a").Line().Text("x");
        edit(tob);
        return tob.Bytes();
    };
    const Case cases[] = {
        {"good", SimpleTob(), 0},
        {"TOB1 reads alike", with([](TobWriter& t) { t.Magic("TOB1"); }), 0},
        {"wrong magic", with([](TobWriter& t) { t.Magic("TOB2"); }), 3},
        {"label block past the file", with([](TobWriter& t) { t.labelBlockLengthField = 0x7FFFFFF0; }), 5},
        {"label block under its header", with([](TobWriter& t) { t.labelBlockLengthField = 4; }), 5},
        {"more labels than the block holds", with([](TobWriter& t) { t.labelCountField = 2; }), 5},
        {"line block past the file", with([](TobWriter& t) { t.lineBlockLengthField = 0x1000; }), 5},
        {"more lines than the block holds", with([](TobWriter& t) { t.lineCountField = 0x40000000; }), 5},
        {"label outside the text", with([](TobWriter& t) { t.LabelAt("far", 100); }), 5},
        {"line outside the text", with([](TobWriter& t) { t.LineAt(100); }), 5},
        {"text without its final 0", with([](TobWriter& t) { t.terminate = false; }), 5},
        {"cut inside the header", Bytes{'T', 'O', 'B', '0', 8, 0}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTgsHost host;
        TgsScript fresh(host);
        fresh.SetFileSource(host.Files());
        host.files["SCRIPT\\M.TOB"] = c.file;
        EXPECT_EQ(c.start, fresh.StartScript("M"));
        EXPECT_EQ(c.start == 0, fresh.Modules().current != nullptr);
        EXPECT_EQ(c.start == 0 ? 1u : 0u, host.regions.size());
    }
    EXPECT_EQ(2, script.StartScript("MISSING"));
}

TEST_F(TgsScriptTest, MutatedModulesLoadOrAreRefusedWithinTheirBytes) {
    TobWriter tob;
    tob.Label("start").Line().Text("あい").Instruction(8, TobCondition::Always(), {TobOperand::LabelRef("end")});
    tob.Label("end").Line().Text("z");
    for (const Bytes& copy : testsupport::MutatedCopies(tob.Bytes(), 5201, 300)) {
        auto guarded = std::make_shared<testsupport::GuardedBytes>(copy);
        TgsScript fresh(host);
        fresh.SetFileSource([guarded](const std::string&, TgsFileImage& image) {
            image.keeper = guarded;
            image.data = const_cast<std::uint8_t*>(guarded->Data());
            image.size = guarded->Size();
            return true;
        });
        const int result = fresh.StartScript("M");
        ASSERT_TRUE(result == 0 || result == 3 || result == 5) << result;
    }
}

TEST_F(TgsScriptTest, WithoutTgsInitAnyModuleLoadsAndNoFlagsAreKept) {
    EXPECT_EQ(1, script.LoadInitFile("TGS_INIT.DAT"));
    AddTob("ANY", SimpleTob());
    ASSERT_EQ(0, script.StartScript("ANY"));
    EXPECT_EQ(-1, script.SetReadFlag(0));
    EXPECT_FALSE(script.TestReadFlag(0));
    EXPECT_EQ(0u, script.FlagTotal(nullptr));
    EXPECT_EQ(0u, script.FlagSetCount("ANY"));
    EXPECT_FALSE(script.AllFlagsSet(nullptr));
}

TEST_F(TgsScriptTest, NamesAreFoundByUpperCaseThatLeavesTrailBytesAlone) {
    // "ビ" is 0x83 0x72 and "コ" 0x83 0x52: their trail bytes differ only as 'r' and 'R' do.
    Init({{"SCENE1", 4, 2}, {"\x83\x52", 3, 0}});
    AddTob("scene1", SimpleTob());
    AddTob("\x83\x72", SimpleTob());
    EXPECT_EQ(4, script.StartScript("\x83\x72"));
    EXPECT_EQ(0, script.StartScript("scene1"));
    EXPECT_EQ(0, script.SetReadFlag(3));
    EXPECT_TRUE(script.TestReadFlag(3));
    EXPECT_EQ(4u, script.FlagTotal("Scene1"));
    EXPECT_EQ(0u, script.FlagTotal("\x83\x72"));
    EXPECT_EQ(7u, script.FlagTotal(nullptr));
    EXPECT_EQ(1u, script.FlagSetCount(nullptr));
}

TEST_F(TgsScriptTest, DamagedTgsInitLeavesNoTable) {
    const Bytes good = testsupport::TgsInitFile({{"A", 1, 1}});
    const Bytes cases[] = {
        testsupport::TgsInitFile({{"A", 1, 1}}, 2),
        testsupport::TgsInitFile({{"A", 1, 1}}, 0x40000000),
        testsupport::TgsInitFile({{"A", kTgsMaxFlagCount + 1, 0}}),
        Bytes(good.begin(), good.end() - 1),
        [&] { Bytes b = good; b[6] = 'x'; return b; }(),  // the name's 0
    };
    for (const Bytes& bytes : cases) {
        host.files["SCRIPT\\TGS_INIT.DAT"] = bytes;
        EXPECT_EQ(2, script.LoadInitFile("TGS_INIT.DAT"));
        EXPECT_FALSE(script.FlagTable().present);
    }
    host.files["SCRIPT\\TGS_INIT.DAT"] = testsupport::TgsInitFile({{"A", 0, 0}});
    EXPECT_EQ(0, script.LoadInitFile("TGS_INIT.DAT")) << "no flags is an empty array";
}

TEST_F(TgsScriptTest, TextLogRoundTripsPackedOrStored) {
    Init({{"A", 20, 3}, {"B", 9, 9}});
    AddTob("A", SimpleTob());
    ASSERT_EQ(0, script.StartScript("a"));
    script.SetReadFlag(0);
    script.SetReadFlag(19);
    script.SetSaveFolder("SAVE\\");
    script.SetTextLogName("TEXT_LOG.DAT");
    ASSERT_EQ(0, script.SaveTextLog(nullptr));
    const Bytes written = host.files.at("SAVE\\TEXT_LOG.DAT");
    for (bool pack : {true, false}) {
        SCOPED_TRACE(pack);
        std::vector<testsupport::TextLogRecord> records = {
            {"A", 20, {0x01, 0x00, 0x08}, 3, {0x05}}, {"B", 9, {0xFF, 0x01}, 9, {0x00, 0x01}}};
        host.files["SAVE\\TEXT_LOG.DAT"] = testsupport::TextLogFile(records, pack);
        TgsScript other(host);
        other.SetFileSource(host.Files());
        other.SetSaveFolder("SAVE\\");
        ASSERT_EQ(0, other.LoadInitFile("TGS_INIT.DAT"));
        ASSERT_EQ(0, other.LoadTextLog("TEXT_LOG.DAT"));
        EXPECT_EQ(2u, other.FlagSetCount("A"));
        EXPECT_EQ(9u, other.FlagSetCount("B"));
        EXPECT_TRUE(other.AllFlagsSet("b"));
        EXPECT_EQ(2u, other.FlagTable().entries[0]->choiceFlags.CountSet());
    }
    host.files["SAVE\\TEXT_LOG.DAT"] = written;
    TgsScript reread(host);
    reread.SetFileSource(host.Files());
    reread.SetSaveFolder("SAVE\\");
    reread.LoadInitFile("TGS_INIT.DAT");
    ASSERT_EQ(0, reread.LoadTextLog("TEXT_LOG.DAT"));
    EXPECT_TRUE(reread.FlagTable().entries[0]->readFlags.Test(19));
    EXPECT_EQ(2u, reread.FlagSetCount(nullptr));
}

TEST_F(TgsScriptTest, TextLogThatDoesNotMatchLoadsWhatMatches) {
    Init({{"A", 8, 8}, {"B", 8, 8}});
    script.SetSaveFolder("SAVE\\");
    std::vector<testsupport::TextLogRecord> records = {
        {"A", 9, {0xFF, 0x01}, 8, {0x0F}},  // read count differs: only the choices load
        {"X", 8, {0xFF}, 8, {0xFF}},        // no such module
    };
    host.files["SAVE\\TEXT_LOG.DAT"] = testsupport::TextLogFile(records, false);
    ASSERT_EQ(0, script.LoadTextLog("TEXT_LOG.DAT"));
    EXPECT_EQ(0u, script.FlagTable().entries[0]->readFlags.CountSet());
    EXPECT_EQ(4u, script.FlagTable().entries[0]->choiceFlags.CountSet());
    EXPECT_EQ(0u, script.FlagTable().entries[1]->choiceFlags.CountSet()) << "B had no record";
}

TEST_F(TgsScriptTest, DamagedTextLogChangesNoFlag) {
    Init({{"A", 8, 8}});
    script.SetSaveFolder("SAVE\\");
    script.SetTextLogName("TEXT_LOG.DAT");
    EXPECT_EQ(1, script.LoadTextLog(nullptr)) << "unreadable";
    const std::vector<testsupport::TextLogRecord> records = {{"A", 8, {0xFF}, 8, {0xFF}}};
    const Bytes good = testsupport::TextLogFile(records, false);
    std::vector<Bytes> damaged = {testsupport::TextLogFile(records, false, "TSLX")};
    damaged.push_back([&] { Bytes b = good; b[4] = 0x40; return b; }());           // stored size past the end
    damaged.push_back([&] { Bytes b = good; b[8] = 0; b[11] = 0x7F; return b; }());  // unpacked size too big
    damaged.push_back([&] { Bytes b = good; b[12] = 2; return b; }());             // a missing record
    damaged.push_back([&] { Bytes b = good; b[16 + 3 + 4] = 2; return b; }());     // bytes against bits
    for (const Bytes& bytes : damaged) {
        host.files["SAVE\\TEXT_LOG.DAT"] = bytes;
        EXPECT_EQ(2, script.LoadTextLog(nullptr));
        EXPECT_EQ(0u, script.FlagSetCount(nullptr));
    }
    for (const Bytes& copy : testsupport::MutatedCopies(testsupport::TextLogFile(records, true), 5202, 200)) {
        host.files["SAVE\\TEXT_LOG.DAT"] = copy;
        const int result = script.LoadTextLog(nullptr);
        EXPECT_TRUE(result == 0 || result == 2);
    }
    host.refuseWrites = true;
    EXPECT_EQ(1, script.SaveTextLog(nullptr));
}

TEST_F(TgsScriptTest, CallsJumpsAndReturnsMoveBetweenModules) {
    AddTob("MAIN", SimpleTob("main text"));
    AddTob("SUB", SimpleTob("sub text"));
    for (const char* name : {"A", "B", "C"}) AddTob(name, SimpleTob(name));
    ASSERT_EQ(0, script.StartScript("MAIN"));
    EXPECT_EQ(nullptr, script.ReturnFromCall(nullptr, nullptr, 0)) << "empty return stack";

    std::uint8_t* pc = script.CallLabel("sub", "end", 0);
    ASSERT_NE(nullptr, pc);
    EXPECT_EQ(2u, script.Modules().callLoaded.size()) << "a non-resident module loads onto the stack";
    EXPECT_EQ(script.Modules().current->Text() + 8, pc);
    pc = script.ReturnFromCall(nullptr, nullptr, 0);
    EXPECT_EQ(script.Modules().current->Text(), pc);
    EXPECT_EQ(1u, script.Modules().callLoaded.size()) << "the return frees it";
    EXPECT_EQ("MAIN", script.Modules().current->name);

    for (const char* name : {"A", "B", "C"}) ASSERT_EQ(0, script.LoadModule(name));
    const std::size_t regions = host.regions.size();
    ASSERT_NE(nullptr, script.JumpLabel("b", nullptr, 0));
    EXPECT_EQ(0u, script.Modules().callLoaded.size()) << "jumping out of MAIN freed it";
    EXPECT_EQ(regions - 1, host.regions.size()) << "a resident module is not loaded again";
    ASSERT_NE(nullptr, script.CallLabel("C", nullptr, 1));
    EXPECT_EQ(2, script.Modules().currentIndex);
    EXPECT_EQ(3, script.UnloadModule("C")) << "current";
    EXPECT_EQ(3, script.UnloadModule("B")) << "a return entry names it";
    EXPECT_EQ(2, script.UnloadModule("NONE"));
    EXPECT_EQ(0, script.UnloadModule("a"));
    EXPECT_EQ(0, script.Modules().returns[0].module) << "the stored index moved down";
    EXPECT_EQ(1, script.Modules().currentIndex);
    ASSERT_NE(nullptr, script.ReturnFromCall(nullptr, nullptr, 0));
    EXPECT_EQ("B", script.Modules().current->name);
    EXPECT_EQ(nullptr, script.JumpLabel(nullptr, "nowhere", 0));
    script.ReleaseModules();
    EXPECT_TRUE(host.regions.empty());
    EXPECT_EQ(1, script.UnloadModule(nullptr));
}

TEST_F(TgsScriptTest, JumpOutOfACallLoadedModuleFreesIt) {
    AddTob("MAIN", SimpleTob());
    AddTob("SUB", SimpleTob());
    ASSERT_EQ(0, script.StartScript("MAIN"));
    ASSERT_NE(nullptr, script.JumpLabel("SUB", nullptr, 0));
    EXPECT_EQ(1u, script.Modules().callLoaded.size());
    EXPECT_EQ("SUB", script.Modules().callLoaded[0]->name);
    EXPECT_EQ(1u, host.regions.size());
}

TEST_F(TgsScriptTest, ModuleStateRoundTripsAndRefusesWhatItCannotRestore) {
    Init({{"MAIN", 2, 2}, {"SUB", 1, 1}, {"RES", 1, 1}});
    AddTob("MAIN", SimpleTob("main"));
    AddTob("SUB", SimpleTob("subtext"));
    AddTob("RES", SimpleTob("resident"));
    ASSERT_EQ(0, script.StartScript("MAIN"));
    ASSERT_EQ(0, script.LoadModule("RES"));
    ASSERT_NE(nullptr, script.CallLabel("SUB", nullptr, 3));
    Bytes state(script.StateSize());
    ByteCursor writer(state.data(), state.size());
    ASSERT_EQ(0, script.SaveState(&writer));
    EXPECT_EQ(0u, writer.Remaining()) << "StateSize is what SaveState writes";

    TgsScript other(host);
    other.SetFileSource(host.Files());
    other.LoadInitFile("TGS_INIT.DAT");
    ByteCursor reader(state.data(), state.size());
    ASSERT_EQ(0, other.LoadState(&reader));
    EXPECT_EQ("SUB", other.Modules().current->name);
    EXPECT_EQ(other.Modules().current->Text() + 3, other.Pc());
    ASSERT_NE(nullptr, other.ReturnFromCall(nullptr, nullptr, 0));
    EXPECT_EQ("MAIN", other.Modules().current->name);

    // A module that left TGS_INIT.DAT: 2, and the modules loaded before stay.
    host.files["SCRIPT\\TGS_INIT.DAT"] = testsupport::TgsInitFile({{"MAIN", 2, 2}, {"RES", 1, 1}});
    other.LoadInitFile("TGS_INIT.DAT");
    ByteCursor again(state.data(), state.size());
    EXPECT_EQ(2, other.LoadState(&again));
    EXPECT_EQ("MAIN", other.Modules().current->name);

    // Index -1 with no call-loaded module, and a resident index past the list: 3.
    auto patched = [&](std::int32_t index) {
        Bytes b(4 + 4 + 2 + 4 + 4 + 4 + 4);
        ByteCursor c(b.data(), b.size());
        c.WriteU32(0);
        c.WriteU32(1);
        const std::uint8_t half[2] = {4, 0};
        c.WriteBytes(half, 2);
        c.WriteBytes("RES", 4);
        c.WriteU32(0);
        c.WriteI32(index);
        c.WriteU32(0);
        return b;
    };
    for (std::int32_t index : {-1, 1, -5}) {
        Bytes b = patched(index);
        ByteCursor c(b.data(), b.size());
        EXPECT_EQ(3, other.LoadState(&c)) << index;
    }
    Bytes ok = patched(0);
    ByteCursor c(ok.data(), ok.size());
    EXPECT_EQ(0, other.LoadState(&c)) << "a resident module may be current with no call-loaded one";
    EXPECT_EQ(1, other.LoadState(nullptr));
    for (const Bytes& copy : testsupport::MutatedCopies(state, 5203, 200)) {
        ByteCursor m(copy.data(), copy.size());
        const int result = other.LoadState(&m);
        EXPECT_TRUE(result >= 0 && result <= 4);
    }
}

}  // namespace
