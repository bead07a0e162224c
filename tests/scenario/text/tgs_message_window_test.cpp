#include "tests/scenario/text/tgs_message_window_fixture.h"

#include <algorithm>

namespace texttest {
namespace {

using testsupport::TgsTextArgument;
using testsupport::TgsTextWriter;

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// Lines of n two-byte characters each, broken by the in-text line break.
TgsTextWriter Lines(const std::vector<int>& counts) {
    TgsTextWriter text;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (i != 0) text.Command(kNewLineOp);
        text.Text(Repeat("あ", counts[i]));
    }
    return text;
}

std::unique_ptr<Image> Snapshot(Image& image) {
    auto copy = std::make_unique<Image>();
    EXPECT_EQ(0, copy->CopyFrom(&image, 0));
    return copy;
}

// --- Reveal on the fake clock ---

TEST_F(TgsMessageWindowTest, RevealLastsMsPerCharTimesCharactersWhateverTheLines) {
    MakeMessage(600, 120);
    ASSERT_EQ(0, message.SetFadeWidth(48));
    message.msPerChar = 100;
    const struct {
        const char* name;
        std::vector<int> lines;
    } cases[] = {{"one line of 30", {30}}, {"three uneven lines", {10, 4, 16}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetMessage(Lines(c.lines));
        ASSERT_EQ(0, message.Show(true));
        EXPECT_EQ(TgsMessageWindow::kPrepared, message.GetRevealState());
        EXPECT_EQ(30, message.CharsShown());
        EXPECT_EQ(3000, message.RevealDuration());
        clock.SetMs(5000);
        message.Update(clock.Milliseconds());
        EXPECT_EQ(TgsMessageWindow::kRevealing, message.GetRevealState());
        EXPECT_EQ(2, message.Show(false)) << "a new show while revealing";
        clock.AdvanceMs(2999);
        message.Update(clock.Milliseconds());
        EXPECT_EQ(TgsMessageWindow::kRevealing, message.GetRevealState());
        clock.AdvanceMs(1);
        message.Update(clock.Milliseconds());
        EXPECT_EQ(TgsMessageWindow::kIdle, message.GetRevealState());
    }
}

TEST_F(TgsMessageWindowTest, FinishRevealShowsTheWholeTextAsTheTimedRevealDoes) {
    MakeMessage(600, 120);
    ASSERT_EQ(0, message.SetFadeWidth(48));
    message.msPerChar = 50;
    const TgsTextWriter text = Lines({7, 3, 9});
    SetMessage(text);
    ASSERT_EQ(0, message.Show(true));
    for (std::uint32_t t = 0; t <= 1000; t += 100) message.Update(10000 + t);
    ASSERT_EQ(TgsMessageWindow::kIdle, message.GetRevealState());
    const auto timed = Snapshot(message.WindowImage());

    EXPECT_EQ(0, message.FinishReveal()) << "idle";
    struct Case {
        const char* name;
        int updates;
        std::uint8_t state;
    } cases[] = {{"prepared", 0, TgsMessageWindow::kPrepared},
                 {"half way", 3, TgsMessageWindow::kRevealing}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetMessage(text);
        ASSERT_EQ(0, message.Show(true));
        for (int i = 0; i < c.updates; ++i) message.Update(20000 + 150 * i);
        ASSERT_EQ(c.state, message.GetRevealState());
        EXPECT_EQ(1, message.FinishReveal());
        EXPECT_EQ(TgsMessageWindow::kIdle, message.GetRevealState());
        EXPECT_EQ(0, Differences(*timed, message.WindowImage()));
    }
}

// --- The soft edge ---

// Three lines (10, 4 and 16 characters at 16 pixels, from (8, 8) with a pitch of 20) revealed
// over 3000 ms with a 48-pixel edge: after every frame the window holds the finished text where
// the reveal has passed, the background where it has not come yet, and within the edge the
// text fades from nearly opaque to nothing.
TEST_F(TgsMessageWindowTest, SoftEdgeUncoversAlongTheLinesAndLeavesTheRestAlone) {
    MakeMessage(400, 90);
    ASSERT_EQ(0, message.SetFadeWidth(48));
    message.msPerChar = 100;
    const std::vector<int> counts = {10, 4, 16};
    SetMessage(Lines(counts));
    ASSERT_EQ(0, message.Show(true));
    const auto background = Snapshot(message.WindowImage());
    ASSERT_EQ(528, [&] {
        message.Update(50000);
        return message.RevealLength();
    }());

    struct Frame {
        std::int32_t position;
        std::unique_ptr<Image> image;
        std::int32_t uncoveredLength = 0;
        std::int32_t edgePieces = 0;
        std::int32_t edgeLength = 0;
    };
    std::vector<Frame> frames;
    for (std::uint32_t t = 75; t < 3000; t += 75) {
        message.blends.clear();
        message.Update(50000 + t);
        Frame f{static_cast<std::int32_t>(t * 528 / 3000), Snapshot(message.WindowImage())};
        for (const auto& b : message.blends) {
            (b.edge ? f.edgeLength : f.uncoveredLength) += b.piece.width;
            f.edgePieces += b.edge ? 1 : 0;
            EXPECT_EQ(16, b.piece.height);
        }
        frames.push_back(std::move(f));
    }
    message.blends.clear();
    message.Update(53000);
    ASSERT_EQ(TgsMessageWindow::kIdle, message.GetRevealState());
    const auto final = Snapshot(message.WindowImage());

    // Each column is uncovered once; the edge never covers more than the fade width.
    std::int32_t uncovered = 0;
    for (const auto& b : message.blends) uncovered += b.edge ? 0 : b.piece.width;
    for (const Frame& f : frames) {
        uncovered += f.uncoveredLength;
        EXPECT_LE(f.edgeLength, 48);
        EXPECT_LE(f.edgePieces, 4);
    }
    EXPECT_EQ(480, uncovered);

    bool sawOpaqueEdge = false;
    for (const Frame& f : frames) {
        SCOPED_TRACE("position " + std::to_string(f.position));
        for (std::int32_t y = 0; y < 90; ++y) {
            for (std::int32_t x = 0; x < 400; ++x) {
                std::int32_t at = -1;  // reveal position of the pixel, -1 outside every line
                std::int32_t start = 0;
                for (std::size_t i = 0; i < counts.size(); ++i) {
                    const std::int32_t top = 8 + 20 * static_cast<std::int32_t>(i);
                    if (y >= top && y < top + 16 && x >= 8 && x < 8 + 16 * counts[i]) {
                        at = start + x - 8;
                    }
                    start += 16 * counts[i];
                }
                const std::uint32_t pixel = f.image->GetPixel(x, y);
                if (at < 0 || at >= f.position) {
                    ASSERT_EQ(background->GetPixel(x, y), pixel) << x << "," << y;
                } else if (at < f.position - 48) {
                    ASSERT_EQ(final->GetPixel(x, y), pixel) << x << "," << y;
                } else if (at == f.position - 1) {
                    ASSERT_EQ(background->GetPixel(x, y), pixel) << "the ramp ends at 0";
                } else if (at == f.position - 48) {
                    EXPECT_NE(background->GetPixel(x, y), pixel) << "the ramp starts opaque";
                    sawOpaqueEdge = true;
                }
            }
        }
    }
    EXPECT_TRUE(sawOpaqueEdge);
    const auto* ramp = static_cast<const std::uint8_t*>(message.FadeRamp().Entries());
    ASSERT_NE(nullptr, ramp);
    EXPECT_GE(ramp[0], 250);
    EXPECT_EQ(0, ramp[47]);
    for (int i = 1; i < 48; ++i) EXPECT_LE(ramp[i], ramp[i - 1]);
}

TEST_F(TgsMessageWindowTest, SoftEdgeCrossingLineEndsSplitsIntoAtMostFourPieces) {
    MakeMessage(200, 160);
    ASSERT_EQ(0, message.SetFadeWidth(48));
    message.msPerChar = 100;
    SetMessage(Lines({1, 1, 1, 1, 1, 1}));
    ASSERT_EQ(0, message.Show(true));
    message.Update(1000);
    std::int32_t most = 0;
    for (std::uint32_t t = 1; t < 600; t += 7) {
        message.blends.clear();
        message.Update(1000 + t);
        std::int32_t pieces = 0;
        for (const auto& b : message.blends) pieces += b.edge ? 1 : 0;
        most = std::max(most, pieces);
    }
    EXPECT_EQ(4, most);
}

TEST_F(TgsMessageWindowTest, VerticalSoftEdgeLeavesTheBackgroundOutsideTheText) {
    MakeMessage(120, 300);
    ASSERT_EQ(0, message.SetVertical(true, true));
    ASSERT_EQ(0, message.SetFadeWidth(48));
    message.msPerChar = 100;
    SetMessage(Lines({8, 3, 5}));
    ASSERT_EQ(0, message.Show(true));
    const auto background = Snapshot(message.WindowImage());
    std::vector<std::unique_ptr<Image>> images;
    std::int32_t uncovered = 0;
    for (std::uint32_t t = 0; t <= 1700; t += 100) {
        message.blends.clear();
        message.Update(7000 + t);
        images.push_back(Snapshot(message.WindowImage()));
        for (const auto& b : message.blends) {
            if (!b.edge) uncovered += b.piece.height;
            EXPECT_EQ(16, b.piece.width);
        }
    }
    ASSERT_EQ(TgsMessageWindow::kIdle, message.GetRevealState());
    EXPECT_EQ(16 * 16, uncovered);
    Image& final = message.WindowImage();
    EXPECT_GT(Differences(*background, final), 0);
    for (const auto& image : images) {
        for (std::int32_t y = 0; y < 300; ++y)
            for (std::int32_t x = 0; x < 120; ++x)
                if (final.GetPixel(x, y) == background->GetPixel(x, y))
                    ASSERT_EQ(background->GetPixel(x, y), image->GetPixel(x, y)) << x << "," << y;
    }
}

// --- Placement ---

TEST_F(TgsMessageWindowTest, SelfSizingWindowsSitAtTheirAnchorInsideTheClamp) {
    BoxFont big(20);
    MakeSelfSizing(&big);
    ASSERT_EQ(0, message.SetMargins(10, 10, 10, 10, false));
    const struct {
        const char* name;
        std::uint8_t mode;
        std::int32_t anchorX, anchorY;
        RECT clamp;
        std::int32_t x, y;
    } cases[] = {
        {"centre", 0, 500, 100, {-1, 0, 0, 0}, 350, 100},
        {"left edge", 1, 500, 100, {-1, 0, 0, 0}, 500, 100},
        {"right edge at 1000", 2, 1000, 100, {-1, 0, 0, 0}, 700, 100},
        {"right edge clamped to 900", 2, 1000, 100, {0, 0, 900, 600}, 600, 100},
        {"centre clamped to the left", 0, 100, 100, {0, 0, 900, 600}, 0, 100},
        {"below the clamp's bottom", 1, 50, 590, {0, 0, 900, 600}, 50, 560},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        message.SetAutoPlacement(c.mode, c.anchorX, c.anchorY, c.clamp.left, c.clamp.top,
                                 c.clamp.right, c.clamp.bottom);
        SetMessage(TgsTextWriter().Text(Repeat("あ", 14)));
        ASSERT_EQ(0, message.Show(true));
        EXPECT_EQ(300, message.GetWidth());
        EXPECT_EQ(40, message.GetHeight());
        EXPECT_EQ(c.x, message.GetX());
        EXPECT_EQ(c.y, message.GetY());
    }
}

TEST_F(TgsMessageWindowTest, ShadowAndOutlineRoomWidenLineBoxesAndOffsetTheLayer) {
    MakeMessage(400, 90);
    message.msPerChar = 10;
    const struct {
        const char* name;
        std::uint8_t effect;
        std::int32_t sx, sy;
        std::int32_t extraW, extraH, originX, originY;
    } cases[] = {
        {"plain", 0, 0, 0, 0, 0, 8, 8},
        {"shadow left and down", 1, -2, 3, 2, 3, 6, 8},
        {"shadow right and up", 1, 4, -1, 4, 1, 8, 7},
        {"outline of 1", 2, 0, 0, 2, 2, 7, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        box.effect = c.effect;
        box.effectOffsetX = c.sx;
        box.effectOffsetY = c.sy;
        SetMessage(Lines({3, 5}));
        ASSERT_EQ(0, message.Show(true));
        ASSERT_EQ(2u, message.Lines().size());
        EXPECT_EQ(48 + c.extraW, message.Lines()[0].width);
        EXPECT_EQ(16 + c.extraH, message.Lines()[0].height);
        EXPECT_EQ(80 + c.extraW, message.Lines()[1].width);
        EXPECT_EQ(80 + c.extraW, message.Layer().Width());
        EXPECT_EQ(36 + c.extraH, message.Layer().Height());
        EXPECT_EQ(c.originX, message.LayerOriginX());
        EXPECT_EQ(c.originY, message.LayerOriginY());
        message.FinishReveal();
    }
}

// --- The measure pass ---

TEST_F(TgsMessageWindowTest, AnOpeningBracketIndentsTheMessagesFollowingLinesOnly) {
    MakeMessage(400, 90);
    message.SetIndentChars(std::string("「『").c_str());
    SetMessage(TgsTextWriter().Text("「ああ").Command(kNewLineOp).Text("いい"));
    ASSERT_EQ(0, message.Show(true));
    ASSERT_EQ(2u, message.Lines().size());
    EXPECT_EQ(8 + 16, message.Lines()[1].penX);
    EXPECT_EQ(message.WindowImage().GetPixel(30, 30) >> 24, 0xFFu) << "text after the indent";
    EXPECT_EQ(message.WindowImage().GetPixel(10, 30), 0x80000000u) << "nothing under the indent";

    SetMessage(TgsTextWriter().Text("ああ").Command(kNewLineOp).Text("いい"));
    ASSERT_EQ(0, message.Show(true));
    EXPECT_EQ(8, message.Lines()[1].penX) << "the next message starts without indent";
    EXPECT_EQ(0, message.Indent());
}

TEST_F(TgsMessageWindowTest, ACommandAskingToStopWhileMeasuringDrawsNothing) {
    MakeMessage(400, 90);
    SetMessage(TgsTextWriter().Text("ああ"));
    ASSERT_EQ(0, message.Show(true));
    const auto before = Snapshot(message.WindowImage());
    frame.results[40] = 1;
    frame.commands.clear();
    SetMessage(TgsTextWriter().Text("いい").Command(40).Text("うう"));
    EXPECT_EQ(3, message.Show(false));
    EXPECT_EQ(0, Differences(*before, message.WindowImage()));
    EXPECT_EQ(std::vector<std::uint32_t>{40}, frame.commands) << "no draw pass";

    frame.results[40] = 0;
    frame.commands.clear();
    ASSERT_EQ(0, message.Show(true));
    EXPECT_EQ((std::vector<std::uint32_t>{40, 40}), frame.commands) << "measured and drawn";
    EXPECT_EQ(4, message.CharsShown());
}

TEST_F(TgsMessageWindowTest, WithoutAFrameBlocksAreSkippedByTheirLength) {
    MakeMessage(400, 90);
    TgsTextWriter text;
    text.Text("ああ").Command(40, {{1, 7}, {3, 0, std::string("いいいい") + '\0'}}).Text("う");
    const std::vector<char> closed = text.Closed();
    message.SetFrame(nullptr);
    RECT box{};
    EXPECT_EQ(1, message.MeasureText(closed.data(), static_cast<std::int32_t>(closed.size()), &box,
                                     true, false));
    EXPECT_EQ(8 + 48, box.right);
    EXPECT_TRUE(frame.commands.empty());
    message.SetFrame(&frame);
    EXPECT_EQ(1, message.MeasureText(closed.data(), static_cast<std::int32_t>(closed.size()), &box,
                                     true, false));
    EXPECT_EQ(std::vector<std::uint32_t>{40}, frame.commands);
    EXPECT_EQ(8 + 48, box.right);
}

// History text comes from save files: a block that is shorter than its own header or that
// reaches past the text ends the text there, and nothing of it runs.
TEST_F(TgsMessageWindowTest, ABrokenCommandBlockEndsTheText) {
    MakeMessage(400, 90);
    const struct {
        const char* name;
        TgsTextWriter text;
    } cases[] = {
        {"length below the header", TgsTextWriter().Text("ああ").Command(40, {}, 8).Text("いい")},
        {"length past the text", TgsTextWriter().Text("ああ").Command(40, {}, 1000).Text("いい")},
        {"length one past the end", TgsTextWriter().Text("ああ").Command(40, {}, 15)},
        {"header cut", TgsTextWriter().Text("ああ").Raw({0x00, '[', 12, 0, 0, 0, 40, 0})},
        {"length word cut", TgsTextWriter().Text("ああ").Raw({0x00, '[', 12})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frame.commands.clear();
        message.Home(false);
        const std::vector<char> closed = c.text.Closed();
        RECT box{};
        EXPECT_EQ(1, message.MeasureText(closed.data(), static_cast<std::int32_t>(closed.size()),
                                         &box, true, false));
        EXPECT_EQ(8 + 32, box.right);
        SetMessage(c.text);
        ASSERT_EQ(0, message.Show(true));
        EXPECT_EQ(2, message.CharsShown());
        EXPECT_TRUE(frame.commands.empty());
    }
}

// --- Set-up operations ---

TEST_F(TgsMessageWindowTest, FadeWidthCodes) {
    EXPECT_EQ(1, message.SetFadeWidth(48)) << "no sprite list";
    MakeMessage(200, 60);
    EXPECT_EQ(0, message.SetFadeWidth(48));
    EXPECT_EQ(48, message.FadeRamp().Count());
    const struct {
        const char* name;
        std::int32_t width;
        std::int32_t code;
        std::int32_t rampCount;
    } cases[] = {
        {"below the character size keeps the old ramp", 15, 2, 48},
        {"zero keeps the old ramp", 0, 2, 48},
        {"the character size", 16, 0, 16},
        {"negative frees the ramp", -1, 0, 0},
        {"after freeing, below the size still refused", 10, 2, 0},
        {"a new width", 72, 0, 72},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.code, message.SetFadeWidth(c.width));
        EXPECT_EQ(c.rampCount, message.FadeRamp().Count());
    }
}

TEST_F(TgsMessageWindowTest, SpeakerNamesAreCutAtAWholeCharacter) {
    MakeMessage(200, 60);
    const struct {
        const char* name;
        std::string in1, in2, out1, out2;
    } cases[] = {
        {"fits", std::string("あいう"), "voice", std::string("あいう"), "voice"},
        {"exactly 16 and 15", Repeat(std::string("あ"), 8), "a" + Repeat(std::string("あ"), 7),
         Repeat(std::string("あ"), 8), "a" + Repeat(std::string("あ"), 7)},
        {"a pair across the end", "a" + Repeat(std::string("あ"), 8), Repeat(std::string("あ"), 8),
         "a" + Repeat(std::string("あ"), 7), Repeat(std::string("あ"), 7)},
        {"long one-byte names", std::string(40, 'x'), std::string(40, 'y'), std::string(16, 'x'),
         std::string(15, 'y')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        message.SetSpeakerNames(c.in1.c_str(), c.in2.c_str());
        EXPECT_EQ(c.out1, message.SpeakerName());
        EXPECT_EQ(c.out2, message.SpeakerName2());
    }
    message.SetSpeakerNames(nullptr, nullptr);
    EXPECT_STREQ("", message.SpeakerName());
    EXPECT_STREQ("", message.SpeakerName2());
}

TEST_F(TgsMessageWindowTest, ShowNeedsTextAndFrameAndNewTextEndsAReveal) {
    MakeMessage(200, 60);
    EXPECT_EQ(1, message.Show(true)) << "no text";
    SetMessage(TgsTextWriter().Text("ああ"));
    message.SetFrame(nullptr);
    EXPECT_EQ(1, message.Show(true)) << "no frame";
    message.SetFrame(&frame);
    message.msPerChar = 10;
    ASSERT_EQ(0, message.Show(true));
    EXPECT_EQ(TgsMessageWindow::kPrepared, message.GetRevealState());
    SetMessage(TgsTextWriter().Text("いい"));
    EXPECT_EQ(TgsMessageWindow::kIdle, message.GetRevealState());
    message.ClearText();
    EXPECT_EQ(nullptr, message.Text());
}

}  // namespace
}  // namespace texttest

namespace texttest {
namespace {

using testsupport::TgsTextWriter;

// --- The wait cursor ---

TEST_F(TgsMessageWindowTest, WaitCursorShowsOnlyOnceTheMessageIsWholeAndWhenTheFrameWantsIt) {
    MakeMessage(400, 90);
    ASSERT_EQ(0, message.SetFadeWidth(16));
    MakeCursor();
    EXPECT_EQ(1, message.SetWaitCursor(nullptr, &cursor, 0, true));
    EXPECT_EQ(1, message.SetWaitCursor(&scheduler, nullptr, 0, true));
    ASSERT_EQ(0, message.SetWaitCursor(&scheduler, &cursor, 0, true));
    const struct {
        const char* name;
        std::int32_t msPerChar;
        std::uint8_t atEnd;
        std::int32_t revealMode;
        bool afterShow;
        bool afterReveal;
    } cases[] = {
        {"at once without a speed", 0, 1, 0, true, true},
        {"auto mode", 0, 1, 1, true, true},
        {"choices shown", 0, 1, 2, false, false},
        {"skipping", 0, 1, 3, false, false},
        {"not the current window", 0, 0, 0, false, false},
        {"only after the reveal", 100, 1, 0, false, true},
        {"not after a skipped reveal", 100, 1, 3, false, false},
    };
    // After "ああ" the pen stands at (40, 8): an 8 x 8 cursor sits on the baseline at (40, 16).
    auto cursorShown = [&] {
        scheduler.RunDue(clock.Milliseconds());
        const std::uint32_t pixel = message.WindowImage().GetPixel(43, 20);
        // A cell blended over at full opacity: green or blue.
        const std::uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        if (r < 0x10 && ((g >= 0xF0 && b < 0x10) || (b >= 0xF0 && g < 0x10))) return true;
        EXPECT_EQ(0x80000000u, pixel) << "background where no cursor is";
        return false;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        message.msPerChar = c.msPerChar;
        message.waitCursorAtEnd = c.atEnd;
        frame.revealMode = c.revealMode;
        SetMessage(TgsTextWriter().Text("ああ"));
        ASSERT_EQ(0, message.Show(true));
        EXPECT_EQ(c.afterShow, message.WaitCursorShown());
        clock.AdvanceMs(10);
        EXPECT_EQ(c.afterShow, cursorShown());
        message.Update(clock.Milliseconds());
        clock.AdvanceMs(100);
        message.Update(clock.Milliseconds());
        EXPECT_EQ(c.afterShow, message.WaitCursorShown()) << "half way";
        clock.AdvanceMs(100);
        message.Update(clock.Milliseconds());
        EXPECT_EQ(c.afterReveal, message.WaitCursorShown());
        clock.AdvanceMs(10);
        EXPECT_EQ(c.afterReveal, cursorShown());
    }
    message.ClearText();
    EXPECT_FALSE(message.WaitCursorShown());
    EXPECT_FALSE(cursorShown()) << "hiding puts the background back";
}

TEST_F(TgsMessageWindowTest, SelfSizingWindowsKeepRoomForTheWaitCursorAfterTheLastLine) {
    BoxFont big(20);
    MakeSelfSizing(&big);
    ASSERT_EQ(0, message.SetMargins(10, 10, 10, 10, false));
    MakeCursor();
    ASSERT_EQ(0, message.SetWaitCursor(&scheduler, &cursor, 24, true));
    const struct {
        const char* name;
        std::vector<int> lines;
        std::int32_t width;
    } cases[] = {
        {"one line", {14}, 324},
        {"an earlier line ahead by less than the room", {14, 13}, 324},
        {"an earlier line ahead by the room", {14, 12}, 300},
        {"the last line the longest", {10, 14}, 324},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetMessage(Lines(c.lines));
        ASSERT_EQ(0, message.Show(true));
        EXPECT_EQ(c.width, message.GetWidth());
    }
}

}  // namespace
}  // namespace texttest
