// The TGS frame in the real engine: a SOB module creates the frame and runs TOB modules from a
// QPK archive through commands 791-794; read flags persist in TEXT_LOG.DAT.
#include <gtest/gtest.h>

#include "game/script/script_engine.h"
#include "scenario/tgs/tgs_frame.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/game/script/script_game.h"
#include "tools/content/tob_writer.h"

namespace {

using testsupport::TobCode;
using testsupport::TobCondition;
using testsupport::TobOperand;
using testsupport::TobWriter;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const std::string& path) {
    Bytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
    return bytes;
}

TobCode Sob(const std::string& source) { return TobCode::FromSob(testsupport::AssembleSob(source)); }

TEST(TgsFrameGame, ASobModuleRunsTobModulesFromAnArchive) {
    gametest::ScriptGame game(true);
    testsupport::SobUserVar vars;
    for (int i = 0; i < 16; ++i) vars.AddNumber(0);
    game.Write("USER_VAR.SOB", vars.Bytes());
    game.Write("SOB_INIT.DAT", testsupport::SobInitFile({{"MAIN", 8, 8}}));
    game.Write("TGS_INIT.DAT", testsupport::TgsInitFile({{"START", 8, 2}, {"SUB", 4, 0}}));

    TobWriter sub;
    sub.Text("sub").Label("entry");
    sub.Inline(Sob("mov 9, var:5\nret\n"));  // odd addresses are fine for SOB code in the text
    sub.Instruction(9, TobCondition::Always(), {TobOperand::Omitted()});
    game.Write("SUB.TOB", sub.Bytes());
    TobWriter start;
    start.Text("hello").Line();
    start.Instruction(7, TobCondition::Expression(Sob("mov 1, sym:0\nret\n")),
                      {TobOperand::String("entry"), TobOperand::String("sub")});
    start.Instruction(7, TobCondition::Element(6, 0), {TobOperand::LabelRef("never")});
    start.Inline(Sob("cmd cmd:2, blk, res\nstop\nret\n.data\nblk: .word 0\nres: .word 0\n"));  // quit
    start.Label("never").Text("not reached");
    game.Write("START.TOB", start.Bytes());

    commandtest::CallProgram program;
    program.Call(794, {"0", "var:1"});
    program.Call(791, {"0", "0", "0"}, "var:2");
    program.Call(793, {"0", program.Text("start")}, "var:3");
    program.Line("copy sym:0, var:4");
    // Command 58's frame queries: flag totals and set flags of all modules or of one named
    // case-blind, whether all are set, and a name word that is no text.
    program.Call(58, {"9", "0", "0"}, "var:8");
    program.Call(58, {"9", "1", "0"}, "var:9");
    program.Call(58, {"9", "1", program.Text("sub")}, "var:10");
    program.Call(58, {"9", "0", program.Text("Start")}, "var:11");
    program.Call(58, {"9", "2", program.Text("SUB")}, "var:12");
    program.Call(58, {"9", "1", "16"}, "var:13");
    program.Call(58, {"9", "7", "0"}, "var:14");
    program.Call(58, {"8"}, "var:15");
    program.Line("stop");
    program.Call(792, {});
    program.Call(58, {"9", "1", "0"}, "var:9");
    game.Write("MAIN.SOB", testsupport::AssembleSob(program.Source()).Sob0());

    const std::string saveFolder = game.Folder().File("save\\");
    CreateDirectoryA(game.Folder().File("save").c_str(), nullptr);
    const std::string textLog = saveFolder + "TEXT_LOG.DAT";
    {
        const Bytes log = testsupport::TextLogFile({{"START", 8, {0x08}, 2, {0x02}}, {"SUB", 4, {0x01}, 0, {}}}, false);
        FILE* file = std::fopen(textLog.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        std::fwrite(log.data(), 1, log.size(), file);
        std::fclose(file);
    }

    std::unique_ptr<ScriptEngine> engine(new ScriptEngine);
    engine->SetSaveFolder(saveFolder.c_str());
    ASSERT_EQ(0, engine->LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true,
                                       true));
    ASSERT_EQ(0, engine->LoadModule("MAIN", nullptr));
    ASSERT_EQ(kStepYielded, engine->Step());
    EXPECT_EQ(0, gametest::NumberOf(*engine, 2)) << "791";
    EXPECT_EQ(1, gametest::NumberOf(*engine, 3)) << "793: the quit leaves the screen up";
    EXPECT_EQ(-1, gametest::NumberOf(*engine, 4)) << "retTgsExp";
    EXPECT_EQ(9, gametest::NumberOf(*engine, 5)) << "the SUB module's SOB code ran";
    EXPECT_EQ(12, gametest::NumberOf(*engine, 8)) << "58/9 query 0, all modules";
    EXPECT_EQ(2, gametest::NumberOf(*engine, 9)) << "58/9 query 1, all modules";
    EXPECT_EQ(1, gametest::NumberOf(*engine, 10)) << "58/9 query 1, \"sub\"";
    EXPECT_EQ(8, gametest::NumberOf(*engine, 11)) << "58/9 query 0, \"Start\"";
    EXPECT_EQ(0, gametest::NumberOf(*engine, 12)) << "58/9 query 2, \"SUB\"";
    EXPECT_EQ(0, gametest::NumberOf(*engine, 13)) << "58/9 with a name word that is no text";
    EXPECT_EQ(0, gametest::NumberOf(*engine, 14)) << "58/9 other queries";
    EXPECT_EQ(0, gametest::NumberOf(*engine, 15)) << "58/8";
    ASSERT_NE(nullptr, TgsFrame::Current());
    EXPECT_EQ(2u, TgsFrame::Current()->FlagSetCount(nullptr)) << "flags read from TEXT_LOG.DAT";
    EXPECT_EQ(1u, TgsFrame::Current()->ModuleSet().callLoaded.size()) << "SUB's return freed it";
    DeleteFileA(textLog.c_str());

    EXPECT_EQ(kStepEnded, engine->Step());
    EXPECT_EQ(nullptr, TgsFrame::Current()) << "792";
    EXPECT_EQ(0, gametest::NumberOf(*engine, 9)) << "58/9 without a frame";
    std::vector<TgsTextLogRecord> records;
    const Bytes written = ReadAll(textLog);
    ASSERT_EQ(0, ParseTextLog(written.data(), static_cast<std::uint32_t>(written.size()), records));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("START", records[0].name);
    EXPECT_EQ(Bytes{0x08}, records[0].readBytes);
    EXPECT_EQ(Bytes{0x02}, records[0].choiceBytes);
    EXPECT_EQ(Bytes{0x01}, records[1].readBytes);
}

TEST(TgsFrameGame, RunScriptWithoutAFrameOrWithAnUnlistedScript) {
    gametest::ScriptGame game(true);
    testsupport::SobUserVar vars;
    for (int i = 0; i < 4; ++i) vars.AddNumber(0);
    game.Write("USER_VAR.SOB", vars.Bytes());
    game.Write("SOB_INIT.DAT", testsupport::SobInitFile({{"MAIN", 8, 8}}));
    game.Write("TGS_INIT.DAT", testsupport::TgsInitFile({{"START", 1, 1}}));
    commandtest::CallProgram program;
    program.Call(793, {"0", program.Text("start")}, "var:0");
    program.Call(791, {"0", "0", "0"});
    program.Call(793, {"0", program.Text("other")}, "var:1");
    program.Call(794, {"6", "var:2"}, "var:2");
    game.Write("MAIN.SOB", testsupport::AssembleSob(program.Source()).Sob0());
    std::unique_ptr<ScriptEngine> engine(new ScriptEngine);
    ASSERT_EQ(0, engine->LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true,
                                       true));
    ASSERT_EQ(0, engine->LoadModule("MAIN", nullptr));
    EXPECT_EQ(kStepEnded, engine->Step());
    EXPECT_EQ(1, gametest::NumberOf(*engine, 0));
    EXPECT_EQ(2, gametest::NumberOf(*engine, 1));
    EXPECT_EQ(0, gametest::NumberOf(*engine, 2));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(0u, engine->TgsStartParameter(i));
    ASSERT_NE(nullptr, TgsFrame::Current());
    engine.reset();
    EXPECT_EQ(nullptr, TgsFrame::Current()) << "the engine's destructor deletes the frame";
}

}  // namespace
