// The TGS instruction executor: text, conditions, operands, ops 0-11, handlers, linking, SOB code
// and damaged text.
#include <cstring>

#include "tests/scenario/tgs/tgs_frame_fixture.h"
#include "tests/support/image_buffer.h"
#include "tests/support/text_mutator.h"

namespace tgstest {
namespace {

TEST_F(TgsFrameTest, TextIsCopiedWholeCharactersAndBracketsAreDropped) {
    TobWriter tob;
    tob.Text("a[xb").Bytes({0x83, '[', ' ', 'c'});  // a pair whose trail byte is '[' before a blank
    tob.Instruction(5, TobCondition::Always(), {TobOperand::Number(-12)});
    tob.Instruction(6, TobCondition::Always(), {TobOperand::String("あい")});
    tob.Text("z");
    EXPECT_EQ(0, RunTob(tob.Bytes()));
    // The literal is compiled to Shift-JIS: あ 82 A0, い 82 A2.
    EXPECT_EQ(std::string("axb\x83[ c-12\x82\xA0\x82\xA2z"), Output());
}

TEST_F(TgsFrameTest, ConditionsDecideWhetherAnInstructionRuns) {
    host.arrays[1][2] = 5;
    struct Case {
        const char* name;
        TobCondition condition;
        bool runs;  // for a recording op; opcode 0 runs on the opposite
    };
    const Case cases[] = {
        {"immediate 0", TobCondition::Immediate(0), false},
        {"immediate 3", TobCondition::Immediate(3), true},
        {"always", TobCondition::Always(), true},
        {"element holding 5", TobCondition::Element(1, 2), true},
        {"element holding 0", TobCondition::Element(1, 1), false},
        {"expression giving 1", TobCondition::Expression(SetResult(1)), true},
        {"expression giving 0", TobCondition::Expression(SetResult(0)), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ops.clear();
        TobWriter recording;
        recording.Instruction(12, c.condition, {}).Text("after");
        EXPECT_EQ(0, RunTob(recording.Bytes()));
        EXPECT_EQ(c.runs ? 1u : 0u, ops.size());
        frame.Executor().outputLength = 0;
        TobWriter jump;
        jump.Instruction(0, c.condition, {TobOperand::LabelRef("target")}).Text("skipped").Label("target").Text("T");
        EXPECT_EQ(0, RunTob(jump.Bytes()));
        EXPECT_EQ(c.runs ? "skippedT" : "T", Output());
        frame.Executor().outputLength = 0;
    }
}

TEST_F(TgsFrameTest, AFailedConditionEvaluatesNoOperandAndSkipsByItsField) {
    TobWriter tob;
    tob.Instruction(12, TobCondition::Immediate(0), {TobOperand::Expression(StoreAndSet(2, 7))},
                    -1);
    tob.Text("kept");
    EXPECT_EQ(0, RunTob(tob.Bytes()));
    EXPECT_EQ(0u, host.arrays[2][0]);
    EXPECT_EQ(0, host.calls);
    EXPECT_EQ("kept", Output());

    frame.Executor().outputLength = 0;
    TobWriter skipping;
    // The skip counts from its own field: 4 + the operand count byte + 1 + 4 land 2 bytes on.
    skipping.Instruction(12, TobCondition::Immediate(0), {TobOperand::Number(1)}, 4 + 1 + 1 + 4 + 2);
    skipping.Text("xxkept");
    EXPECT_EQ(0, RunTob(skipping.Bytes()));
    EXPECT_EQ("kept", Output());
}

TEST_F(TgsFrameTest, OperandsOfEverySourceReachTheHandler) {
    host.arrays[0][3] = 44;
    TobWriter tob;
    tob.Instruction(20, TobCondition::Always(),
                    {TobOperand::Omitted(), TobOperand::Number(-5), TobOperand::Value(9, 4), TobOperand::String("ab"),
                     TobOperand::NullString(), TobOperand::Element(0, 3), TobOperand::Expression(StoreAndSet(2, 8)),
                     TobOperand::LabelRef("end")});
    tob.Label("end");
    EXPECT_EQ(0, RunTob(tob.Bytes()));
    ASSERT_EQ(1u, ops.size());
    const std::vector<std::uint32_t>& o = ops[0].operands;
    ASSERT_EQ(16u, o.size());
    EXPECT_EQ((std::vector<std::uint32_t>{0, 0, 0, static_cast<std::uint32_t>(-5), 4, 9}),
              std::vector<std::uint32_t>(o.begin(), o.begin() + 6));
    EXPECT_EQ(3u, o[6]);
    EXPECT_EQ(std::vector<std::string>{"ab"}, ops[0].strings);
    EXPECT_EQ(3u, o[8]);
    EXPECT_EQ(0u, o[9]);
    EXPECT_EQ(44u, o[11]);
    EXPECT_EQ(8u, o[13]);
    EXPECT_EQ(8u, host.arrays[2][0]);
    EXPECT_EQ(0xFFu, o[14]);
    EXPECT_EQ(tob.LabelOffset("end"), o[15]);
    EXPECT_EQ(0u, frame.Operands().top) << "the operands were given back";
}

TEST_F(TgsFrameTest, HandlerResultsEndTheRun) {
    struct Case {
        std::int32_t handler;
        std::int32_t run;
    };
    for (const Case& c : {Case{-7, -4}, Case{0x7FFFFFFF, 0}, Case{5, 5}, Case{-1, -1}, Case{-2, -4}}) {
        handlerResult = c.handler;
        TobWriter tob;
        tob.Instruction(12, TobCondition::Always(), {}).Text("not reached");
        EXPECT_EQ(c.run, RunTob(tob.Bytes())) << c.handler;
    }
    handlerResult = 0;
    frame.Executor().outputLength = 0;
    frame.Executor().skipChain = 3;
    TobWriter tob;
    tob.Instruction(12, TobCondition::Always(), {});
    EXPECT_EQ(0, RunTob(tob.Bytes()));
    EXPECT_EQ(0u, frame.Executor().skipChain) << "a handler that left the counter ends the chain";
}

TEST_F(TgsFrameTest, ExpressionsAreLinkedOnceAndAReloadedModuleRelinks) {
    TobCode code = SetResult(1);
    code.fixups[4].push_back({4, 12});  // a = the code's own address + 12
    TobWriter tob;
    tob.Instruction(12, TobCondition::Expression(code), {});
    const Bytes bytes = tob.Bytes();
    ASSERT_EQ(0, RunTob(bytes));
    std::uint8_t* const text = frame.ModuleSet().current->Text();
    std::uint8_t* const codeStart = text + 2 + 4 + 1 + 2;
    std::uint32_t first = 0;
    std::memcpy(&first, codeStart + 4, 4);
    EXPECT_EQ(reinterpret_cast<std::uint32_t>(codeStart) + 12, first);
    EXPECT_EQ(1, codeStart[24]) << "the linked mark";
    frame.ModuleSet().pc = text;
    std::memcpy(codeStart + 4, "\x01\x00\x00\x00", 4);  // what a second linking would overwrite
    EXPECT_EQ(0, frame.Run());
    EXPECT_EQ(2u, ops.size());
    std::uint32_t second = 0;
    std::memcpy(&second, codeStart + 4, 4);
    EXPECT_EQ(1u, second) << "not linked again";
    ASSERT_EQ(0, RunTob(bytes));
    EXPECT_EQ(3u, ops.size()) << "a reloaded module links again";
}

TEST_F(TgsFrameTest, DamagedTextEndsTheRunWithItsOwnResult) {
    TobCode badVariable = SetResult(1);
    badVariable.fixups[0].push_back({0, 99});
    TobCode outside = SetResult(1);
    outside.fixups[4].push_back({22, 0});
    TobCode markedInFile = SetResult(1);
    markedInFile.mark = 1;
    TobCode faulting;
    faulting.code = FakeTgsHost::Op(5);
    TobCode longFixups = SetResult(1);
    longFixups.fixupLengthField = 40;
    struct Case {
        const char* name;
        std::function<void(TobWriter&)> write;
    };
    const Case cases[] = {
        {"opcode above 129", [](TobWriter& t) { t.Instruction(130, TobCondition::Always(), {}); }},
        {"cut instruction", [](TobWriter& t) { t.Bytes({'[', ' ', 12, 0, 0}); }},
        {"jump outside", [](TobWriter& t) { t.Instruction(0, TobCondition::Immediate(0), {TobOperand::Offset(999)}); }},
        {"skip outside", [](TobWriter& t) { t.Instruction(12, TobCondition::Immediate(0), {}, 999); }},
        {"array outside", [](TobWriter& t) { t.Instruction(12, TobCondition::Element(9, 0), {}); }},
        {"element outside", [](TobWriter& t) { t.Instruction(12, TobCondition::Always(), {TobOperand::Element(0, 4)}); }},
        {"unknown condition", [](TobWriter& t) { TobCondition c; c.kind = 4; t.Instruction(12, c, {}); }},
        {"string without its 0", [](TobWriter& t) { t.Bytes({'[', ' ', 12, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 'a'}); }},
        {"fixup naming no variable", [&](TobWriter& t) { t.Instruction(12, TobCondition::Expression(badVariable), {}); }},
        {"fixup outside its code", [&](TobWriter& t) { t.Inline(outside); }},
        {"mark set in the file", [&](TobWriter& t) { t.Instruction(12, TobCondition::Expression(markedInFile), {}); }},
        {"fixup part longer than its lists", [&](TobWriter& t) { t.Inline(longFixups); t.Text("padding padding padding padding"); }},
        {"SOB code faulting", [&](TobWriter& t) { t.Inline(faulting); }},
        {"return stack full", [](TobWriter& t) { t.Label("loop").Instruction(7, TobCondition::Always(), {TobOperand::LabelRef("loop")}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TobWriter tob;
        c.write(tob);
        tob.Text("tail");
        EXPECT_EQ(kTgsDamagedScript, RunTob(tob.Bytes()));
        EXPECT_TRUE(ops.empty());
    }
    // Nothing is patched when one fixup is bad.
    TobCode half = SetResult(1);
    half.fixups[4].push_back({4, 0});
    half.fixups[0].push_back({0, 99});
    TobWriter tob;
    tob.Inline(half);
    EXPECT_EQ(kTgsDamagedScript, RunTob(tob.Bytes()));
    std::uint32_t word = 0;
    std::memcpy(&word, frame.ModuleSet().current->Text() + 6 + 4, 4);
    EXPECT_EQ(1u, word);
}

TEST_F(TgsFrameTest, CallsJumpsAndReturnsAcrossModules) {
    TobWriter sub;
    sub.Text("s").Label("entry").Text("S");
    sub.Instruction(9, TobCondition::Always(), {TobOperand::Omitted()});
    AddTob("SUB", sub.Bytes());
    TobWriter res;
    res.Text("r").Instruction(9, TobCondition::Always(), {TobOperand::Omitted()});
    AddTob("RES", res.Bytes());
    TobWriter main;
    main.Instruction(7, TobCondition::Always(), {TobOperand::String("entry"), TobOperand::String("sub")});
    main.Text("1");
    main.Instruction(10, TobCondition::Always(), {TobOperand::String("RES")});
    main.Instruction(7, TobCondition::Always(), {TobOperand::Offset(0), TobOperand::String("res")});
    main.Text("2");
    main.Instruction(8, TobCondition::Always(), {TobOperand::LabelRef("end")});
    main.Text("x").Label("end");
    main.Instruction(9, TobCondition::Always(), {});
    EXPECT_EQ(0, RunTob(main.Bytes())) << "a return with an empty stack ends the run with 0";
    EXPECT_EQ("S1r2", Output());
    EXPECT_EQ(1u, frame.ModuleSet().resident.size());
    EXPECT_EQ(1u, frame.ModuleSet().callLoaded.size()) << "the return freed SUB";
}

TEST_F(TgsFrameTest, SobCodeCallsModulesAndHandlesRequests) {
    const std::uint32_t target = reinterpret_cast<std::uint32_t>(host.arrays[0].data());
    Bytes sub = FakeTgsHost::Op(1, 5, target);
    Bytes end = FakeTgsHost::Op(0);
    sub.insert(sub.end(), end.begin(), end.end());
    host.sobModules["SUB"] = sub;
    static const char kSub[] = "SUB";
    static const char kNone[] = "NONE";
    auto block = [](std::uint32_t request, const char* name) {
        TobCode code;
        code.code = FakeTgsHost::Op(4, request, reinterpret_cast<std::uint32_t>(name));
        for (const Bytes& op : {FakeTgsHost::Op(3), FakeTgsHost::Op(0)}) code.code.insert(code.code.end(), op.begin(), op.end());
        return code;
    };
    TobWriter call;
    call.Inline(block(2, kSub)).Text("ok");
    EXPECT_EQ(0, RunTob(call.Bytes()));
    EXPECT_EQ(5u, host.arrays[0][0]);
    EXPECT_EQ(0, host.loadedSob) << "the called module was unloaded";
    EXPECT_EQ("ok", Output());

    struct Case {
        const char* name;
        std::uint32_t request;
        const char* module;
        int framesBeforeQuit;
        const char* message;
    };
    const Case cases[] = {
        {"jump refused", 1, kSub, 100, "システムスクリプト中でJump命令は使用できません"},
        {"call fails to load", 2, kNone, 100, "Call命令でスクリプトのロードに失敗"},
        {"quit", 3, kNone, 100, nullptr},
        {"frame function quits", 0, kNone, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.messages.clear();
        host.frames = 0;
        host.framesBeforeQuit = c.framesBeforeQuit;
        TobWriter tob;
        tob.Inline(block(c.request, c.module)).Text("not reached");
        frame.Executor().outputLength = 0;
        EXPECT_EQ(-1, RunTob(tob.Bytes()));
        EXPECT_EQ("", Output());
        ASSERT_EQ(c.message ? 1u : 0u, host.messages.size());
        if (c.message) {
            EXPECT_EQ(std::string(c.message), host.messages[0]);
        }
        EXPECT_EQ(0u, host.request);
        EXPECT_EQ(0, host.loadedSob);
    }
    host.framesBeforeQuit = 100;
    host.frames = 0;
    // A yielding condition runs on through the frame function as an inline block does.
    TobCode yielding = SetResult(1);
    Bytes yield = FakeTgsHost::Op(3);
    yielding.code.insert(yielding.code.begin(), yield.begin(), yield.end());
    yielding.fixups[2][0].at += 12;
    TobWriter tob;
    tob.Instruction(12, TobCondition::Expression(yielding), {});
    EXPECT_EQ(0, RunTob(tob.Bytes()));
    EXPECT_EQ(1, host.frames);
    EXPECT_EQ(1u, ops.size());
}

TEST_F(TgsFrameTest, SystemScriptsMayJump) {
    static const char kNext[] = "NEXT";
    Bytes saveLoad = FakeTgsHost::Op(4, 1, reinterpret_cast<std::uint32_t>(kNext));
    for (const Bytes& op : {FakeTgsHost::Op(0)}) saveLoad.insert(saveLoad.end(), op.begin(), op.end());
    host.sobModules["SaveLoad"] = saveLoad;
    host.sobModules["NEXT"] = FakeTgsHost::Op(0);
    EXPECT_EQ(0, frame.RunSystemScript("SaveLoad"));
    EXPECT_EQ((std::vector<std::string>{"SaveLoad", "NEXT"}), host.loads);
    EXPECT_EQ(0, host.loadedSob);
    host.sobModules.erase("NEXT");
    EXPECT_EQ(2, frame.RunSystemScript("SaveLoad"));
    EXPECT_EQ(std::string("Jump命令でスクリプトのロードに失敗"), host.messages.back());
    EXPECT_EQ(0, host.loadedSob);
    EXPECT_EQ(2, frame.RunSystemScript("Missing"));
}

TEST_F(TgsFrameTest, EmbeddedCommandsRoundTrip) {
    const char text[] = "文字";
    std::uint32_t operands[] = {0, 42, 3, reinterpret_cast<std::uint32_t>(text), 0xFF, 17, 3, 0};
    ASSERT_EQ(0, frame.EncodeInstruction(33, operands, 4));
    const std::uint8_t* cursor = reinterpret_cast<const std::uint8_t*>(frame.Executor().output);
    const std::uint8_t* end = cursor + frame.Executor().outputLength;
    std::uint32_t opcode = 0;
    std::uint32_t count = 0;
    std::uint32_t decoded[12] = {};
    std::uint32_t small[9] = {};
    const std::uint8_t* start = cursor;
    EXPECT_EQ(1, TgsFrame::DecodeInstruction(start, end, &opcode, small, 9, &count)) << "strings need room";
    EXPECT_EQ(cursor, start);
    ASSERT_EQ(0, TgsFrame::DecodeInstruction(cursor, end, &opcode, decoded, 12, &count));
    EXPECT_EQ(end, cursor);
    EXPECT_EQ(33u, opcode);
    ASSERT_EQ(4u, count);
    EXPECT_EQ(42u, decoded[1]);
    EXPECT_STREQ(text, reinterpret_cast<const char*>(decoded[3]));
    EXPECT_EQ(reinterpret_cast<std::uint32_t>(decoded + 8), decoded[3]) << "copied behind the operands";
    EXPECT_EQ(0xFFu, decoded[4]);
    EXPECT_EQ(17u, decoded[5]) << "a label operand stays a number";
    EXPECT_EQ(0u, decoded[7]);
    EXPECT_EQ(1, frame.EncodeInstruction(1, nullptr, 1));
}

TEST_F(TgsFrameTest, TheOutputDropsWhatDoesNotFitWhole) {
    TobWriter tob;
    tob.Text(std::string(4095, 'a')).Bytes({0x82, 0xA0}).Text("b");
    EXPECT_EQ(0, RunTob(tob.Bytes()));
    EXPECT_EQ(4096u, frame.Executor().outputLength);
    EXPECT_EQ('b', frame.Executor().output[4095]) << "the pair was dropped whole";
    std::uint32_t number[] = {0, 1};
    EXPECT_EQ(2, frame.EncodeInstruction(40, number, 1));
    EXPECT_EQ(4096u, frame.Executor().outputLength);
}

TEST_F(TgsFrameTest, StartParametersAreUsedOnlyWhereScriptMemoryIsWritable) {
    host.startParameters[0] = reinterpret_cast<std::uint32_t>(&host.arrays[1][0]);
    host.startParameters[1] = 0x1234;
    ASSERT_EQ(0, TgsFrame::CreateFrame(host, 0));
    TgsFrame* current = TgsFrame::Current();
    current->WriteStartParameter(0, 77);
    current->WriteStartParameter(1, 77);
    EXPECT_EQ(77u, host.arrays[1][0]);
    EXPECT_EQ(77u, current->ReadStartParameter(0));
    EXPECT_EQ(0u, current->ReadStartParameter(1));
    TgsFrame::DestroyFrame();
}

TEST_F(TgsFrameTest, MutatedModulesRunToAListedResult) {
    host.inert = true;
    host.framesBeforeQuit = 3;
    TobCode inline_ = SetResult(1);
    for (int list = 0; list < 5; ++list) inline_.fixups[list].push_back({0, 0});
    TobWriter tob;
    tob.Label("start").Line().Text("あ[x");
    tob.Instruction(12, TobCondition::Immediate(1), {TobOperand::Number(3), TobOperand::String("s")});
    tob.Instruction(13, TobCondition::Element(0, 1), {TobOperand::Element(1, 2), TobOperand::LabelRef("end")});
    tob.Instruction(14, TobCondition::Expression(SetResult(1)), {TobOperand::Expression(inline_)});
    tob.Inline(inline_);
    // Forward only: a mutated jump backwards would loop without a wait, as any script loop does.
    tob.Label("end").Line().Instruction(15, TobCondition::Always(), {});
    for (const Bytes& copy : testsupport::MutatedCopies(tob.Bytes(), 5301, 300)) {
        auto guarded = std::make_shared<testsupport::GuardedBytes>(copy);
        frame.ReleaseModules();
        frame.SetFileSource([guarded](const std::string&, TgsFileImage& image) {
            auto bytes = std::make_shared<Bytes>(guarded->Data(), guarded->Data() + guarded->Size());
            // The module image ends at a page that may not be read.
            auto writable = std::make_shared<testsupport::GuardedBytes>(*bytes);
            image.keeper = writable;
            image.data = const_cast<std::uint8_t*>(writable->Data());
            image.size = writable->Size();
            return true;
        });
        if (frame.StartScript("M") != 0) continue;
        const std::int32_t result = frame.Run();
        ASSERT_TRUE(result == 0 || result == -1 || result == kTgsDamagedScript) << result;
    }
}

}  // namespace
}  // namespace tgstest

namespace tgstest {
namespace {

TEST_F(TgsFrameTest, TheOperandAreaIsNeverWrittenPastItsEnd) {
    TobWriter tob;
    tob.Instruction(12, TobCondition::Always(), {TobOperand::Number(1)});
    AddTob("M", tob.Bytes());
    ASSERT_EQ(0, frame.StartScript("M"));
    frame.Operands().top = TgsOperandArea::kWords - 1;
    EXPECT_EQ(kTgsDamagedScript, frame.Run()) << "two words do not fit in one";
    EXPECT_TRUE(ops.empty());

    // Op 5's digits go above the operands: "-2147483648" and its 0 need 3 words.
    TobWriter digits;
    digits.Instruction(5, TobCondition::Always(), {TobOperand::Number(INT32_MIN)});
    AddTob("D", digits.Bytes());
    for (std::uint32_t free : {5u, 4u}) {
        frame.ReleaseModules();
        ASSERT_EQ(0, frame.StartScript("D"));
        frame.Operands().top = TgsOperandArea::kWords - free;
        frame.Executor().outputLength = 0;
        EXPECT_EQ(free == 5 ? 0 : kTgsDamagedScript, frame.Run()) << free;
        EXPECT_EQ(free == 5 ? "-2147483648" : "", Output());
    }
}

}  // namespace
}  // namespace tgstest
