// The frame's text output on real message windows: hand-over with frame image, speaker, voice
// and history line; pages; the in-text font change; font faces; the screen flashes.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "framework/plugins/transition_registry.h"
#include "scenario/tgs/tgs_frame.h"
#include "tests/scenario/text/tgs_message_window_fixture.h"
#include "tests/support/command_doubles.h"
#include "tests/support/fake_tgs_host.h"
#include "tests/support/stub_plugin_objects.h"

namespace texttest {
namespace {

std::vector<std::int32_t>& CrossFades() {
    static std::vector<std::int32_t> fades;
    return fades;
}

// "cross": records the duration it is set up with.
class CrossDouble : public testsupport::StubTransition<CrossDouble> {
public:
    std::uint8_t XM_METHOD Kind() override { return 0; }
    const char* XM_METHOD Name() override { return "cross"; }
    std::int32_t XM_METHOD Setup(ScreenBuffer*, const std::int32_t* params) override {
        CrossFades().push_back(params[0]);
        return 0;
    }
};
TransCallback* XM_CDECL MakeCross(std::int32_t) { return new CrossDouble; }

// A screen on which a transition runs for `frames` looks, recording whether the application's
// frame skipping was on at each.
class TransitionScreen : public testsupport::FakeBackBuffer {
public:
    TransitionScreen() : FakeBackBuffer(kSurfacePixelBuffer, nullptr, nullptr, nullptr) {}
    std::int32_t XM_METHOD BeginTransition(TransCallback* t, TransitionMode, bool, bool) override {
        if (refuse) return 1;
        running = t;
        left = frames;
        return 0;
    }
    bool XM_METHOD InTransition() override {
        if (!running) return false;
        if (skipping) skippingSeen.push_back(*skipping);
        if (left-- > 0) return true;
        ReleaseObject(running);
        running = nullptr;
        return false;
    }
    void XM_METHOD EndTransition(bool) override {
        ++ended;
        ReleaseObject(running);
        running = nullptr;
    }
    TransCallback* running = nullptr;
    int frames = 3;
    int left = 0;
    int ended = 0;
    bool refuse = false;
    bool* skipping = nullptr;
    std::vector<bool> skippingSeen;
};

// The later parts of the frame, as a test sets them.
class StageDouble : public TgsFrameStage {
public:
    std::int32_t CheckSettingSkip() override { return msPerChar; }
    bool IsSkipRequested(std::uint32_t) override { return skip; }
    void StopWindowEffect(std::int32_t window) override { log.push_back("stop effect " + std::to_string(window)); }
    std::int32_t VoiceCharacter(const char* voice) override {
        const auto it = voices.find(voice);
        return it != voices.end() ? it->second : -1;
    }
    ScreenBuffer* FrontScreen() override { return &screen; }
    TransitionRegistry* Transitions() override { return &registry; }
    void ClearPage(bool back, std::uint32_t colour) override {
        log.push_back(std::string(back ? "clear back " : "clear front ") + std::to_string(colour));
    }
    void ClearSlots() override { log.push_back("clear slots"); }
    bool SetBackPageBackground(const char* name) override {
        log.push_back(std::string("background ") + (name ? name : "-"));
        return name && images.count(name) != 0;
    }
    void FinishPageChange() override { log.push_back("finish page"); }
    void ExchangePages() override { log.push_back("exchange"); }
    bool FrameSkipping() override { return frameSkipping; }
    void SetFrameSkipping(bool on) override { frameSkipping = on; }
    void FillFontList(FontList& list) override {
        ++fills;
        for (const char* face : faces) {
            LOGFONTA font{};
            lstrcpyA(font.lfFaceName, face);
            list.Add(font, TRUETYPE_FONTTYPE);
        }
    }
    const char* PlayerFace() override { return playerFace; }

    std::int32_t msPerChar = 0;
    bool skip = false;
    std::map<std::string, std::int32_t> voices;
    std::map<std::string, int> images;
    std::vector<std::string> log;
    bool frameSkipping = true;
    std::vector<const char*> faces;
    int fills = 0;
    const char* playerFace = "Player";
    TransitionScreen screen;
    TransitionRegistry registry;
};

class TgsTextOutputTest : public TgsMessageWindowTest {
protected:
    void SetUp() override {
        TgsMessageWindowTest::SetUp();
        CrossFades().clear();
        ASSERT_EQ(0, stage.registry.RegisterBuiltin(MakeCross, "cross", 0, 0, nullptr, nullptr));
        stage.screen.skipping = &stage.frameSkipping;
        tgs.SetStage(&stage);
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(0, frameImages[i].Create(8, 8, 32, 0));
            frameImages[i].FillValue(0xFF000000u | static_cast<std::uint32_t>(0x10 * (i + 1)), nullptr);
            tgs.SetFrameImage(i, &frameImages[i]);
        }
    }
    void TearDown() override {
        history.Release();
        TgsMessageWindowTest::TearDown();
    }
    // Window 0 with a decoration skin of 300 x 60, current; a history window of 400 x 200.
    void MakeWindows(bool decoration = true) {
        if (decoration) {
            ASSERT_EQ(0, deco.Create(300, 60, 32, 0));
            deco.FillValue(0xFF777777u, nullptr);
            deco.SetHasAlpha(true);
            ASSERT_EQ(0, message.SetSkinImagesFrom(&deco, nullptr, nullptr, false));
            ASSERT_EQ(0, message.Create(&list, 10, 0, 0, 0, 0, &box, nullptr, 0));
        } else {
            MakeMessage(300, 60);
        }
        tgs.SetMessageWindow(0, &message);
        tgs.SelectCurrentWindow(0);
        tgs.SetMessageFonts(&box, &small);
        ASSERT_EQ(0, history.Create(&list, 10, 400, 200, 0, 0, &box, nullptr, 0));
        tgs.SetHistoryWindow(&history, &box, &small);
    }
    void SetColour(std::uint32_t text, std::uint32_t shadow) {
        for (Font* font : {static_cast<Font*>(&box), static_cast<Font*>(&small)}) {
            for (int i = 0; i < 3; ++i) {
                font->colour[i] = static_cast<std::uint8_t>(text >> (16 - 8 * i));
                font->effectColour[i] = static_cast<std::uint8_t>(shadow >> (16 - 8 * i));
            }
        }
    }
    static std::uint32_t Rgb(const std::uint8_t c[3]) {
        return (static_cast<std::uint32_t>(c[0]) << 16) | (c[1] << 8) | c[2];
    }
    void Output(const std::string& text) {
        std::memcpy(tgs.Executor().output, text.data(), text.size());
        tgs.Executor().outputLength = static_cast<std::uint32_t>(text.size());
    }

    testsupport::FakeTgsHost host;
    TgsFrame tgs{host};
    StageDouble stage;
    BoxFont small{13};
    Image deco;
    Image frameImages[8];
    TgsMessageWindow history;
};

// The voice table's records are numbered apart from their characters: the frame image follows
// the character (speaker class), never the record number.
TEST_F(TgsTextOutputTest, FlushTextPicksTheFrameImageOfTheSpeakersCharacter) {
    MakeWindows();
    stage.voices = {{"V000", 2}, {"V001", 0}, {"V002", 5}, {"V003", 6}, {"V004", 11}};
    const struct {
        const char* name;
        const char* voice;
        std::int32_t image;
    } cases[] = {
        {"character 2, record 0", "V000", 3}, {"character 0, record 1", "V001", 1},
        {"character 5", "V002", 6},           {"character 6", "V003", 7},
        {"character 11", "V004", 7},          {"unknown voice", "V999", 0},
        {"no voice", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tgs.SetSpeaker("name", c.voice);
        Output("text");
        tgs.Placement(0).zoom = 1.5f;
        EXPECT_EQ(0, tgs.FlushText());
        EXPECT_EQ(c.image, tgs.Placement(0).frameImageShown);
        EXPECT_EQ(frameImages[c.image].GetPixel(0, 0), deco.GetPixel(3, 3));
        EXPECT_EQ(0.0f, tgs.Placement(0).zoom);
    }
    // A fixed frame image is left alone.
    tgs.Placement(0).frameImage = 4;
    tgs.SetSpeaker("name", "V002");
    Output("text");
    EXPECT_EQ(0, tgs.FlushText());
    EXPECT_EQ(0, tgs.Placement(0).frameImageShown);
    EXPECT_EQ(frameImages[0].GetPixel(0, 0), deco.GetPixel(3, 3));
    EXPECT_EQ("stop effect 0", stage.log.back());
}

TEST_F(TgsTextOutputTest, FlushTextHandsTheMessageWithNameVoiceAndSpeedToTheWindow) {
    MakeWindows();
    stage.msPerChar = 40;
    EXPECT_EQ(1, tgs.FlushText()) << "empty";
    tgs.SetSpeaker("NameOfSpeaker", "voice1");
    Output("ああいい");
    ASSERT_EQ(0, tgs.FlushText());
    EXPECT_EQ(std::string("ああいい"), std::string(message.Text()));
    EXPECT_STREQ("NameOfSpeaker", message.SpeakerName());
    EXPECT_STREQ("voice1", message.SpeakerName2());
    EXPECT_EQ(40, message.msPerChar);
    EXPECT_EQ(TgsMessageWindow::kPrepared, message.GetRevealState());
    EXPECT_EQ(0u, tgs.Executor().outputLength);
    EXPECT_STREQ("", tgs.SpeakerName());
    EXPECT_STREQ("", tgs.VoiceName());
    EXPECT_EQ("voice1", tgs.PendingVoice());
    EXPECT_EQ(0, tgs.PendingVoiceWindow());
    // A voice is pending already: the next one does not replace it.
    message.FinishReveal();
    tgs.SetSpeaker("B", "voice2");
    Output("う");
    ASSERT_EQ(0, tgs.FlushText());
    EXPECT_EQ("voice1", tgs.PendingVoice());
}

// Without a decoration image the window cannot take the speaker's frame image: nothing is handed
// over, and the text, name and voice are dropped (they were left to run into the next message).
TEST_F(TgsTextOutputTest, FlushTextThatCannotHandOverDropsTheText) {
    MakeWindows(false);
    stage.voices = {{"V", 1}};
    tgs.SetSpeaker("A", "V");
    Output("first");
    EXPECT_EQ(2, tgs.FlushText());
    EXPECT_EQ(0u, tgs.Executor().outputLength);
    EXPECT_STREQ("", tgs.SpeakerName());
    EXPECT_STREQ("", tgs.VoiceName());
    EXPECT_EQ(nullptr, message.Text());
    Output("second");
    EXPECT_EQ(0, tgs.FlushText()) << "no voice: frame image 0, as shown";
    EXPECT_EQ(std::string("second"), message.Text());
}

TEST_F(TgsTextOutputTest, FlushTextAddsOneHistoryLinePerMessage) {
    MakeWindows();
    const struct {
        const char* name;
        std::int32_t capacity;
        bool numbering;
        std::int32_t entries;
        std::uint8_t page;
    } cases[] = {
        {"no numbering: page 0", 5, false, 1, 0},
        {"numbering: the page counter", 5, true, 1, 7},
        {"capacity 0: none", 0, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tgs.History().Release();
        tgs.History().Resize(c.capacity);
        tgs.SetPageNumbering(c.numbering);
        tgs.SetPageCounter(7);
        tgs.SetSpeaker("Name", "Voice");
        Output("ああ");
        ASSERT_EQ(0, tgs.FlushText());
        ASSERT_EQ(c.entries, tgs.History().Count());
        if (c.entries == 0) continue;
        const HistoryEntry* entry = tgs.History().Entry(0);
        EXPECT_EQ(std::string("ああ") + std::string(2, '\0'), entry->message);
        EXPECT_EQ(16 + 4, entry->height);
        EXPECT_EQ(c.page, entry->page);
        EXPECT_EQ("Name", entry->name);
        EXPECT_EQ("Voice", entry->voice);
        EXPECT_FALSE(tgs.HistoryDrawing());
    }
}

TEST_F(TgsTextOutputTest, NewPageAdvancesTheCounterOnlyWhileNumbering) {
    const struct {
        const char* name;
        bool numbering;
        std::uint8_t before, after;
    } cases[] = {{"numbering", true, 4, 5}, {"after 255 comes 1", true, 255, 1}, {"off", false, 4, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tgs.SetPageNumbering(c.numbering);
        tgs.SetPageCounter(c.before);
        tgs.SetPendingVoice("v", 2);
        EXPECT_EQ(0, tgs.NewPage());
        EXPECT_EQ(c.after, tgs.PageCounter());
        EXPECT_FALSE(tgs.PageNumbering());
        EXPECT_EQ(-1, tgs.PendingVoiceWindow());
    }
}

// --- Fonts ---

TEST_F(TgsTextOutputTest, OpTwentyEightChangesTheFontAndRestoreUndoesIt) {
    MakeWindows();
    stage.faces = {"Installed"};
    auto string = [](const char* s) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(s)); };
    const std::uint32_t kS = 3;  // a string operand's type
    const struct {
        const char* name;
        std::vector<std::uint32_t> operands;
        std::int32_t size;
        std::uint32_t colour, shadow;  // from 0x010101 and 0x020202
        const char* face;
        std::uint8_t mark;
        std::int32_t restoredSize, restoredSmall;
        const char* restoredFace;
    } cases[] = {
        {"size", {1, 30}, 30, 0x010101, 0x020202, "Start", 1, 24, 16, "Start"},
        {"size 0 is 24", {1, 0}, 24, 0x010101, 0x020202, "Start", 1, 24, 16, "Start"},
        {"colour -1 is white", {0, 0, 1, 0xFFFFFFFF}, 16, 0xFFFFFF, 0x020202, "Start", 1, 24, 16, "Start"},
        {"colours", {0, 0, 1, 0x123456, 1, 0x654321}, 16, 0x123456, 0x654321, "Start", 1, 24, 16, "Start"},
        {"shadow -1 is black", {0, 0, 0, 0, 1, 0xFFFFFFFF}, 16, 0x010101, 0, "Start", 1, 24, 16, "Start"},
        {"face", {0, 0, 0, 0, 0, 0, kS, string("Missing,Installed")}, 16, 0x010101, 0x020202, "Installed", 2, 24, 13, "Player"},
        {"face and size", {1, 20, 0, 0, 0, 0, kS, string("Installed")}, 20, 0x010101, 0x020202, "Installed", 2, 24, 13, "Player"},
        {"missing face keeps it", {0, 0, 0, 0, 0, 0, kS, string("Missing")}, 16, 0x010101, 0x020202, "Start", 1, 24, 16, "Start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        box.SetFont(16, false, 0, "Start");
        small.SetFont(16, false, 0, "Start");
        SetColour(0x010101, 0x020202);
        tgs.ChangeMessageFont(c.operands.data(), static_cast<std::uint32_t>(c.operands.size() / 2));
        EXPECT_EQ(c.size, box.Size());
        EXPECT_EQ(c.colour, Rgb(box.colour));
        EXPECT_EQ(c.colour, Rgb(small.colour));
        EXPECT_EQ(c.shadow, Rgb(box.effectColour));
        EXPECT_STREQ(c.face, box.logFont.lfFaceName);
        EXPECT_EQ(c.mark, tgs.FontChangedMark());
        tgs.RestoreMessageFont();
        EXPECT_EQ(0, tgs.FontChangedMark());
        EXPECT_EQ(c.restoredSize, box.Size());
        EXPECT_EQ(c.restoredSmall, small.Size());
        EXPECT_STREQ(c.restoredFace, box.logFont.lfFaceName);
        EXPECT_EQ(0xFFFFFFu, Rgb(box.colour));
        EXPECT_EQ(0xFFFFFFu, Rgb(small.colour));
        EXPECT_EQ(0u, Rgb(box.effectColour));
    }
    // In the history window the shadow is brown.
    tgs.SetHistoryDrawing(true);
    const std::uint32_t shadow[] = {0, 0, 0, 0, 1, 0xFFFFFFFF};
    tgs.ChangeMessageFont(shadow, 3);
    EXPECT_EQ(0x543E28u, Rgb(box.effectColour));
    SetColour(0, 0);
    tgs.RestoreMessageFont();
    EXPECT_EQ(0x543E28u, Rgb(box.effectColour));
    tgs.SetHistoryDrawing(false);
}

TEST_F(TgsTextOutputTest, ResolveFontFaceTakesTheFirstInstalledName) {
    stage.faces = {"Alpha", "ＭＳ ゴシック", "Beta"};
    const struct {
        const char* name;
        const char* list;
        bool vertical;
        std::int32_t code;
        std::string face;
    } cases[] = {
        {"first installed wins", "Missing,Beta,Alpha", false, 0, "Beta"},
        {"blanks after a comma", "Missing,  ＭＳ ゴシック", false, 0, "ＭＳ ゴシック"},
        {"a leading @ is dropped, vertical adds it", "@Alpha", true, 0, "@Alpha"},
        {"none installed: empty", "Gamma,Delta", false, 0, ""},
        {"exact match only", "alpha,Alph", false, 0, ""},
        {"a name of 32 bytes", "Missing,ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", false, 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = "old";
        EXPECT_EQ(c.code, tgs.ResolveFontFace(&out, c.list, c.vertical));
        EXPECT_EQ(c.face, out);
    }
    std::string out;
    EXPECT_EQ(1, tgs.ResolveFontFace(&out, nullptr, false));
    EXPECT_EQ(1, stage.fills) << "the font list is filled once";
}

// --- Flashes ---

TEST_F(TgsTextOutputTest, FlashColourCrossFadesOutAndBack) {
    const struct {
        std::uint32_t ms;
        std::vector<std::int32_t> fades;
    } cases[] = {{0, {400, 200}}, {5, {400, 200}}, {6, {4, 2}}, {12, {8, 4}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        CrossFades().clear();
        stage.log.clear();
        std::uint32_t operands[] = {1, c.ms, 1, 0xFF0000};
        tgs.Executor().operandCount = 2;
        EXPECT_EQ(0, tgs.RunOpInText(115, operands));
        EXPECT_EQ(c.fades, CrossFades());
        EXPECT_EQ((std::vector<std::string>{"clear back 16711680", "finish page", "exchange", "finish page",
                                            "exchange"}),
                  stage.log);
    }
}

TEST_F(TgsTextOutputTest, FlashToImageCrossFadesToTheColourThenTheImage) {
    stage.images["PIC"] = 1;
    const struct {
        std::uint32_t ms;
        std::vector<std::int32_t> fades;
    } cases[] = {{7, {500, 300}}, {8, {5, 3}}, {800, {500, 300}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        CrossFades().clear();
        EXPECT_EQ(0, tgs.FlashToImage("PIC", c.ms, 0));
        EXPECT_EQ(c.fades, CrossFades());
    }
    CrossFades().clear();
    EXPECT_EQ(2, tgs.FlashToImage("NONE", 8, 0)) << "the image failed";
    EXPECT_EQ(2u, CrossFades().size());
}

TEST_F(TgsTextOutputTest, SkippingFlashesRunNoTransition) {
    stage.skip = true;
    EXPECT_EQ(0, tgs.FlashColour(100, 0x123));
    EXPECT_TRUE(CrossFades().empty());
    EXPECT_EQ(std::vector<std::string>{"clear back 291"}, stage.log);
    stage.log.clear();
    EXPECT_EQ(2, tgs.FlashToImage("NONE", 100, 5));
    EXPECT_EQ((std::vector<std::string>{"clear front 5", "clear slots", "background NONE", "finish page"}),
              stage.log);
    stage.images["PIC"] = 1;
    EXPECT_EQ(0, tgs.FlashToImage("PIC", 100, 5));
    EXPECT_TRUE(CrossFades().empty());
    stage.skip = false;
    tgs.Modes().settingSkip = 1;
    EXPECT_EQ(0, tgs.FlashColour(100, 0));
    EXPECT_TRUE(CrossFades().empty());
}

TEST_F(TgsTextOutputTest, TransitionsRunFramesWithFrameSkippingOff) {
    stage.screen.frames = 3;
    EXPECT_EQ(0, tgs.CrossFade(100, 0, 0));
    EXPECT_EQ(3, host.frames);
    EXPECT_EQ((std::vector<bool>{false, false, false, false}), stage.screen.skippingSeen);
    EXPECT_TRUE(stage.frameSkipping) << "back on afterwards";

    // The frame function says quit: -1, and the flash ends.
    host.frames = 0;
    host.framesBeforeQuit = 1;
    CrossFades().clear();
    EXPECT_EQ(-1, tgs.FlashColour(60, 0));
    EXPECT_EQ(1u, CrossFades().size()) << "no second cross-fade";
    EXPECT_TRUE(stage.frameSkipping);
    host.framesBeforeQuit = 1000;

    // Cut short by the player.
    stage.skip = true;
    EXPECT_EQ(1, tgs.CrossFade(100, 0, 3));
    EXPECT_EQ(1, stage.screen.ended);
    stage.skip = false;
    // Refused to start, and no transition at all.
    stage.screen.refuse = true;
    EXPECT_EQ(3, tgs.CrossFade(100, 0, 0));
    stage.screen.refuse = false;
    stage.registry.UnloadAll();
    EXPECT_EQ(2, tgs.CrossFade(100, 0, 0));
}

}  // namespace
}  // namespace texttest

namespace texttest {
namespace {

// The whole way of a line: op 25 names the speaker and voice, text runs into the output, the
// frame hands it to the window on a real canvas, which reveals it on the fake clock and then
// shows its wait cursor; the line is in the history, which saves and loads byte for byte.
TEST_F(TgsTextOutputTest, ANamedVoicedMessageIsRevealedAndEntersTheHistory) {
    MakeWindows();
    ASSERT_EQ(0, message.SetFadeWidth(16));
    MakeCursor();
    ASSERT_EQ(0, message.SetWaitCursor(&scheduler, &cursor, 0, true));
    message.waitCursorAtEnd = 1;
    tgs.History().Resize(8);
    stage.msPerChar = 100;
    stage.voices = {{"KA0001", 1}};

    std::uint32_t speaker[] = {3, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>("カナ")), 3,
                               static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>("KA0001"))};
    tgs.Executor().operandCount = 2;
    ASSERT_EQ(0, tgs.RunOpInText(25, speaker));
    Output("こんにちは");
    ASSERT_EQ(0, tgs.FlushText());
    EXPECT_STREQ("カナ", message.SpeakerName());
    EXPECT_EQ(2, tgs.Placement(0).frameImageShown);
    EXPECT_EQ(500, message.RevealDuration());
    EXPECT_FALSE(message.WaitCursorShown());
    for (std::uint32_t t = 0; t < 500; t += 100) {
        message.Update(clock.Milliseconds());
        EXPECT_FALSE(message.WaitCursorShown());
        clock.AdvanceMs(100);
    }
    message.Update(clock.Milliseconds());
    EXPECT_TRUE(message.WaitCursorShown());
    EXPECT_EQ(TgsMessageWindow::kIdle, message.GetRevealState());

    ASSERT_EQ(1, tgs.History().Count());
    const std::uint32_t first = tgs.History().Entry(0)->sequence;
    const std::uint32_t size = tgs.History().SaveSize(first, first);
    std::vector<std::uint8_t> saved(size);
    ByteCursor out(saved.data(), saved.size());
    ASSERT_EQ(0, tgs.History().Save(&out, first, first));
    TextHistoryStore loaded;
    loaded.Resize(8);
    ByteCursor in(static_cast<const void*>(saved.data()), saved.size());
    ASSERT_EQ(0, loaded.Load(&in, 1));
    ASSERT_EQ(1, loaded.Count());
    EXPECT_EQ("カナ", loaded.Entry(0)->name);
    EXPECT_EQ("KA0001", loaded.Entry(0)->voice);
    std::vector<std::uint8_t> again(loaded.SaveSize(loaded.Entry(0)->sequence, loaded.Entry(0)->sequence));
    ByteCursor out2(again.data(), again.size());
    ASSERT_EQ(0, loaded.Save(&out2, loaded.Entry(0)->sequence, loaded.Entry(0)->sequence));
    EXPECT_EQ(saved, again);
}

}  // namespace
}  // namespace texttest

namespace texttest {
namespace {

// The fields hold 17 and 16 bytes: "16 and 15 characters" are read as bytes, cut at a whole
// Shift-JIS character.
TEST_F(TgsTextOutputTest, OpTwentyFiveCutsNameAndVoiceAtAWholeCharacter) {
    const struct {
        const char* name;
        std::string inName, inVoice, outName, outVoice;
    } cases[] = {
        {"short", "カナ", "V1", "カナ", "V1"},
        {"a pair across the end", "a" + std::string("ああああああああ"), "ああああああああ",
         "a" + std::string("あああああああ"), "あああああああ"},
        {"one-byte names", std::string(30, 'n'), std::string(30, 'v'), std::string(16, 'n'),
         std::string(15, 'v')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t operands[] = {3, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(c.inName.c_str())),
                                    3, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(c.inVoice.c_str()))};
        tgs.Executor().operandCount = 2;
        ASSERT_EQ(0, tgs.RunOpInText(25, operands));
        EXPECT_EQ(c.outName, tgs.SpeakerName());
        EXPECT_EQ(c.outVoice, tgs.VoiceName());
    }
    // An omitted operand empties its field.
    std::uint32_t nameOnly[] = {3, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>("N"))};
    tgs.Executor().operandCount = 1;
    ASSERT_EQ(0, tgs.RunOpInText(25, nameOnly));
    EXPECT_STREQ("N", tgs.SpeakerName());
    EXPECT_STREQ("", tgs.VoiceName());
}

}  // namespace
}  // namespace texttest
