// Where characters go: line metrics, automatic breaks with the line-break rules in both
// directions, the full page, the "@" escapes and the pen operations.
#include <string>

#include "tests/scenario/text/text_window_fixture.h"

namespace texttest {
namespace {

const std::string kA = "あ";

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct BreakCase {
    const char* name;
    std::string prefix;
    const char* probe;
    bool hangs;
};

// Width 200, margins 8, size 16, two-byte cells: the wrap limit is 160 and ten two-byte
// characters fill a line up to the pen position 168.
const BreakCase kBreaks[] = {
    {"full stop hangs", Repeat(kA, 10), "。", true},
    {"closing bracket hangs", Repeat(kA, 10), "」", true},
    {"small tsu hangs", Repeat(kA, 10), "っ", true},
    {"half-width closing parenthesis hangs", Repeat(kA, 10), ")", true},
    {"half-width exclamation hangs", Repeat(kA, 10), "!", true},
    {"ordinary character breaks", Repeat(kA, 10), "あ", false},
    {"second closing character past the margin breaks", Repeat(kA, 10) + "。", "」", false},
    {"after an opening bracket the next hangs", Repeat(kA, 9) + "「", "あ", true},
    {"after a half-width parenthesis the next hangs", Repeat(kA, 9) + "a(", "b", true},
    {"after a full-width parenthesis the next hangs", Repeat(kA, 9) + "（", "あ", true},
    {"a picture is character 0 and breaks", Repeat(kA, 10), "@1", false},
};

class TextWindowBreakTest : public TextWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TextWindowBreakTest, LineBreakRulesInBothDirections) {
    const bool vertical = GetParam();
    MakeWindow(200, 200);
    ASSERT_EQ(0, window.SetVertical(vertical, true));
    EXPECT_EQ(window.WrapLimit(), 160);
    EXPECT_EQ(window.LineHeight(), 16);
    EXPECT_EQ(window.LinePitch(), 20);
    const std::int32_t lineStart = vertical ? window.PenX() : window.PenY();
    EXPECT_EQ(lineStart, vertical ? 193 : 8);
    for (const BreakCase& c : kBreaks) {
        SCOPED_TRACE(c.name);
        window.Home(true);
        EXPECT_EQ(0, Put(c.prefix.c_str()));
        const std::int32_t along = vertical ? window.PenY() : window.PenX();
        ASSERT_GT(along, window.WrapLimit());
        const char* probe = c.probe;
        const std::int32_t result = window.PutChar(&probe);
        EXPECT_EQ(*probe, 0) << "the character was consumed";
        if (c.hangs) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(window.LastCharPos(), along);
            EXPECT_EQ(vertical ? window.PenX() : window.PenY(), lineStart);
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(window.LastCharPos(), 8);
            EXPECT_EQ(vertical ? window.PenX() : window.PenY(),
                      vertical ? lineStart - 20 : lineStart + 20);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Directions, TextWindowBreakTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Vertical" : "Horizontal");
                         });

TEST_F(TextWindowTest, CharactersDrawWhereTheSameFontDrawsThem) {
    MakeWindow(200, 80);
    const std::string text = Repeat(kA, 10) + "。" + "い";
    EXPECT_EQ(-1, Put(text.c_str()));
    EXPECT_EQ(0, Put("a"));
    Image expected;
    Blank(&expected);
    const std::int32_t w = Measure(kGothic, 16, "あ");
    for (int i = 0; i < 10; ++i) {
        font.DrawText(&expected, 8 + 16 * i + (16 - w) / 2, 8, "あ", nullptr, nullptr);
    }
    font.DrawText(&expected, 168 + (16 - Measure(kGothic, 16, "。")) / 2, 8, "。", nullptr,
                  nullptr);
    font.DrawText(&expected, 8 + (16 - Measure(kGothic, 16, "い")) / 2, 28, "い", nullptr,
                  nullptr);
    font.DrawText(&expected, 24, 28, "a", nullptr, nullptr);
    EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
    EXPECT_EQ(window.PenX(), 24 + Measure(kGothic, 16, "a"));
    EXPECT_FALSE(window.Untouched());
}

TEST_F(TextWindowTest, AFullPageMovesNothingAndKeepsTheCharacter) {
    MakeWindow(200, 68);
    EXPECT_FALSE(window.LastLine());
    const std::string text = Repeat(kA, 20);
    EXPECT_EQ(0, Put(text.c_str()));
    EXPECT_TRUE(window.LastLine()) << "the second line is the last that fits";
    EXPECT_EQ(window.PenY(), 28);
    const std::int32_t penX = window.PenX();
    const char* next = "い";
    EXPECT_EQ(window.PutChar(&next), 1);
    EXPECT_STREQ(next, "い");
    EXPECT_EQ(window.PenX(), penX);
    EXPECT_EQ(window.PenY(), 28);
    EXPECT_TRUE(window.NewLine());
    EXPECT_EQ(window.PenY(), 28);
    EXPECT_EQ(window.LinePitch(), 20);
    window.Clear();
    EXPECT_FALSE(window.LastLine());
}

TEST_F(TextWindowTest, EscapesAndALeadByteBeforeTheTerminator) {
    MakeWindow(300, 60);
    const std::int32_t at = Measure(kGothic, 16, "@");
    const std::int32_t x = Measure(kGothic, 16, "x");
    struct Case {
        const char* text;
        std::int32_t advance;
        std::size_t consumed;
        std::uint8_t drawn;  // what the image must show: 1 "@", 2 "@x", 0 nothing
    };
    const Case cases[] = {
        {"@@", at, 2, 1},
        {"@x", at + x, 2, 2},
        {"@12", 0, 3, 0},          // no pictures loaded: cell width 0
        {"@12345678", 0, 9, 0},    // seven digits make the picture; "8" is text again
        {"\x82", 0, 1, 0},         // lead byte before the terminator
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        window.Home(true);
        const char* p = c.text;
        while (*p != 0) {
            window.PutChar(&p);
        }
        EXPECT_EQ(static_cast<std::size_t>(p - c.text), c.consumed);
        if (c.drawn != 0) {
            Image expected;
            Blank(&expected);
            font.DrawText(&expected, 8, 8, c.drawn == 1 ? "@@" : "@@x", nullptr, nullptr);
            EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
        }
        if (c.text[1] != '1') {
            EXPECT_EQ(window.PenX(), 8 + c.advance);
        }
    }
    // Bytes after a lone lead byte's terminator are never read as its trail nor drawn.
    window.Home(true);
    const char buffer[] = "\x82\0Zz";
    const char* p = buffer;
    EXPECT_EQ(window.PutChar(&p), 0);
    EXPECT_EQ(p, buffer + 1);
    EXPECT_EQ(window.PenX(), 8);
    Image blank;
    Blank(&blank);
    EXPECT_EQ(Differences(window.WindowImage(), blank), 0);
}

TEST_F(TextWindowTest, LineMetricsWithRubyBandAndMinimumHeight) {
    AntialiasFont ruby;
    ASSERT_EQ(0, ruby.SetFont(8, false, 0, kMincho));
    window.rubyGap = 1;
    MakeWindow(200, 100, &ruby);
    struct Case {
        std::uint8_t band;
        std::int32_t minimum;
        std::int32_t height;
    };
    for (const Case& c : {Case{1, 0, 25}, Case{0, 0, 16}, Case{1, 30, 30}, Case{0, 12, 16}}) {
        window.rubyBand = c.band;
        window.minLineHeight = c.minimum;
        EXPECT_EQ(window.UpdateLineMetrics(), c.height + 4);
        EXPECT_EQ(window.LineHeight(), c.height);
        EXPECT_EQ(window.GetLineBaseOffset(), 2 + c.height);
    }
    // Vertical text reserves no ruby band.
    window.rubyBand = 1;
    window.minLineHeight = 0;
    ASSERT_EQ(0, window.SetVertical(true, true));
    EXPECT_EQ(window.LineHeight(), 16);
}

TEST_F(TextWindowTest, RubyIsCentredOverItsCharacterOnce) {
    AntialiasFont ruby;
    ASSERT_EQ(0, ruby.SetFont(8, false, 0, kMincho));
    window.rubyGap = 1;
    MakeWindow(200, 100, &ruby);
    ASSERT_TRUE(window.SetRuby("かん"));
    EXPECT_EQ(0, Put("漢字"));
    Image expected;
    Blank(&expected);
    const std::int32_t rubyWidth = Measure(kMincho, 8, "かん");
    // The character sits under the band of 8 + 1.
    font.DrawText(&expected, 8 + (16 - Measure(kGothic, 16, "漢")) / 2, 8 + 9, "漢", nullptr,
                  nullptr);
    font.DrawText(&expected, 24 + (16 - Measure(kGothic, 16, "字")) / 2, 8 + 9, "字", nullptr,
                  nullptr);
    ruby.DrawText(&expected, 8 + (16 - Measure(kGothic, 16, "漢")) / 2 + 8 - rubyWidth / 2,
                  17 - 1 - 8, "かん", nullptr, nullptr);
    EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
    TextWindowPart noRuby;
    EXPECT_FALSE(noRuby.SetRuby("x")) << "no ruby font";
}

TEST_F(TextWindowTest, PenOperations) {
    MakeWindow(200, 100);
    window.MoveTo(20, 30);
    EXPECT_EQ(window.PenX(), 28);
    EXPECT_EQ(window.PenY(), 38);
    window.MoveTo(-1, 4);
    EXPECT_EQ(window.PenX(), 28);
    EXPECT_EQ(window.PenY(), 12);
    window.MoveTo(5, -1);
    EXPECT_EQ(window.PenX(), 13);
    EXPECT_EQ(window.PenY(), 12);
    std::int32_t x = 0;
    std::int32_t y = 0;
    window.GetCharOrigin(&x, &y, 10, 6);
    EXPECT_EQ(x, 13);
    EXPECT_EQ(y, 12 + 16 - 6);
    window.SetIndentHere();
    EXPECT_EQ(window.Indent(), 5);
    window.HomeKeepIndent(false);
    EXPECT_EQ(window.PenX(), 13);
    EXPECT_EQ(window.PenY(), 8);
    EXPECT_EQ(window.Indent(), 5);
    EXPECT_EQ(-1, Put(Repeat(kA, 11).c_str()));
    EXPECT_EQ(window.PenX(), 13 + 16) << "new lines start at the indent";
    window.Home(false);
    EXPECT_EQ(window.PenX(), 8);
    EXPECT_EQ(window.Indent(), 0);
    ASSERT_EQ(0, window.SetVertical(true, true));
    EXPECT_EQ(window.PenX(), 193);
    window.GetCharOrigin(&x, &y, 10, 6);
    EXPECT_EQ(x, 193 - 3 - 10);
    EXPECT_EQ(y, 8);
}

}  // namespace
}  // namespace texttest
