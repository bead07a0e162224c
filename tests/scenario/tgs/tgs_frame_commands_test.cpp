// The frame's side of commands 791-794, the run loop's ends, and the flag queries.
#include "tests/scenario/tgs/tgs_frame_fixture.h"

namespace tgstest {
namespace {

class TgsFrameCommands : public ::testing::Test {
protected:
    TgsFrameCommands() {
        TgsFrame::SetFileSourceForNewFrames(host.Files());
        host.files["SCRIPT\\TGS_INIT.DAT"] = testsupport::TgsInitFile({{"START", 4, 1}, {"EMPTY", 0, 0}});
    }
    ~TgsFrameCommands() override {
        TgsFrame::DestroyFrame();
        TgsFrame::SetFileSourceForNewFrames(nullptr);
    }
    void AddTob(const std::string& name, const Bytes& bytes) { host.files["SCRIPT\\" + name + ".TOB"] = bytes; }
    std::int32_t RunWithHandler(std::int32_t handlerResult) {
        TobWriter tob;
        tob.Instruction(40, TobCondition::Always(), {});
        AddTob("START", tob.Bytes());
        EXPECT_EQ(0, TgsFrame::CreateFrame(host, 0));
        TgsFrame::Current()->SetOpHandler(40, [handlerResult](TgsFrame&, std::uint32_t*) { return handlerResult; });
        return TgsFrame::RunScript(host, 0, "start");
    }

    FakeTgsHost host;
};

TEST_F(TgsFrameCommands, RunScriptReportsAMissingFrameAndAnUnlistedScript) {
    EXPECT_EQ(1, TgsFrame::RunScript(host, 0, "START"));
    ASSERT_EQ(1u, host.messages.size());
    EXPECT_EQ(std::string("TGSフレームが初期化されていません。"), host.messages[0]);
    ASSERT_EQ(0, TgsFrame::CreateFrame(host, 0));
    EXPECT_EQ(2, TgsFrame::RunScript(host, 0, "OTHER"));
    EXPECT_EQ(std::string("TGSスクリプト「OTHER」のロードに失敗。"), host.messages[1]);
    AddTob("EMPTY", TobWriter().Bytes());
    EXPECT_EQ(0, TgsFrame::RunScript(host, 0, "empty"));
    EXPECT_EQ(0u, host.symbols[0]);
    EXPECT_EQ(nullptr, TgsFrame::Current()->Modules().current) << "the screen closed and released the modules";
    EXPECT_EQ(0, TgsFrame::RunScript(host, 0, "empty")) << "so the next script starts";
}

TEST_F(TgsFrameCommands, RunResultsReachRetTgsExpAndTheCommandResult) {
    struct Case {
        std::int32_t handler;
        bool returnToTitle;
        std::int32_t command;
        std::int32_t retTgsExp;
        bool modulesLeft;  // the screen stays up
    };
    const Case cases[] = {
        {-7, false, 0, -4, false},        {0x7FFFFFFF, false, 0, 0, false}, {1, false, 0, 1, false},
        {2, false, 0, 2, false},          {3, false, 0, 3, false},          {-1, false, 1, -1, true},
        {-1, true, 0, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.handler);
        host.returnToTitle = c.returnToTitle;
        EXPECT_EQ(c.command, RunWithHandler(c.handler));
        EXPECT_EQ(static_cast<std::uint32_t>(c.retTgsExp), host.symbols[0]);
        EXPECT_EQ(c.modulesLeft, TgsFrame::Current()->Modules().current != nullptr);
    }
}

TEST_F(TgsFrameCommands, ASecondFrameReplacesTheFirstAndTheLogIsWrittenOnDestruction) {
    ASSERT_EQ(0, TgsFrame::CreateFrame(host, 0));
    TgsFrame* first = TgsFrame::Current();
    AddTob("START", TobWriter().Bytes());
    ASSERT_EQ(0, first->StartScript("START"));
    first->SetReadFlag(2);
    ASSERT_EQ(0, TgsFrame::CreateFrame(host, 0));
    EXPECT_EQ(1, host.writes) << "the first frame wrote its log when it went";
    EXPECT_EQ(1u, TgsFrame::Current()->FlagSetCount("START")) << "and the second read it";
    EXPECT_EQ(1u, TgsFrameQuery(1, nullptr));
    EXPECT_EQ(4u, TgsFrameQuery(0, "start"));
    EXPECT_EQ(0u, TgsFrameQuery(2, "START"));
    EXPECT_EQ(0u, TgsFrameQuery(3, nullptr));
    TgsFrame::Current()->Modes().settingSkip = 1;
    EXPECT_EQ(1u, TgsFrameQuery(3, nullptr));
    EXPECT_EQ(0, TgsFrame::DestroyFrame());
    EXPECT_EQ(2, host.writes);
    EXPECT_EQ(nullptr, TgsFrame::Current());
    EXPECT_EQ(0u, TgsFrameQuery(0, nullptr));

    host.files["SCRIPT\\TGS_INIT.DAT"] = Bytes{9, 0, 0, 0};
    EXPECT_EQ(3, TgsFrame::CreateFrame(host, 0));
    EXPECT_EQ(nullptr, TgsFrame::Current());
}

TEST_F(TgsFrameCommands, AStateSavedInAResidentModuleResumes) {
    TobWriter res;
    res.Text("r").Label("in").Text("R");
    AddTob("RES", res.Bytes());
    TobWriter start;
    start.Instruction(10, TobCondition::Always(), {TobOperand::String("RES")});
    start.Instruction(8, TobCondition::Always(), {TobOperand::String("in"), TobOperand::String("RES")});
    AddTob("START", start.Bytes());
    host.files["SCRIPT\\TGS_INIT.DAT"] = testsupport::TgsInitFile({{"START", 1, 1}, {"RES", 1, 1}});
    ASSERT_EQ(0, TgsFrame::CreateFrame(host, 0));
    TgsFrame& frame = *TgsFrame::Current();
    ASSERT_EQ(0, frame.StartScript("START"));
    // Run up to the jump: the start module is freed, and no call-loaded module is left.
    std::uint8_t* pc = frame.ExecuteInstruction(frame.Pc() + 1);
    pc = frame.ExecuteInstruction(pc + 1);
    ASSERT_NE(nullptr, pc);
    frame.ModuleSet().pc = pc;
    EXPECT_TRUE(frame.Modules().callLoaded.empty());
    Bytes state(frame.StateSize());
    ByteCursor writer(state.data(), state.size());
    ASSERT_EQ(0, frame.SaveState(&writer));
    frame.ReleaseModules();
    ByteCursor reader(state.data(), state.size());
    ASSERT_EQ(0, frame.LoadState(&reader));
    EXPECT_EQ(0, frame.Run()) << "no current module would answer -2";
    EXPECT_EQ("R", std::string(frame.Executor().output, frame.Executor().outputLength));
}

}  // namespace
}  // namespace tgstest
