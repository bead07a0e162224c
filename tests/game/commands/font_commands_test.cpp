// The font and text commands (166-195) on the real screen device with the IPA faces: the kind
// table over both font kinds and every word that names no font, release and default, the
// measures with and without decoration, text drawn onto images and screens, the bounded printf
// form, and the font list.
#include "game/commands/font_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/interfaces/screen_buffer.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/gdi_font.h"
#include "tests/game/commands/device_command_fixture.h"
#include "tests/game/commands/script_call_program.h"

namespace devicetest {
namespace {

class FontCommands : public DeviceCommandTest {
protected:
    Font* FontOf(std::uint32_t word) { return m_device.FindFont(word); }
};

// One row per opcode: the words after the font, and the answers for a GdiFont, an
// AntialiasFont and a word that names no listed font.
TEST_F(FontCommands, KindTableOverBothKindsAndWordsThatNameNoFont) {
    const std::uint32_t gdi = NewFont(false);
    const std::uint32_t antialias = NewFont(true);
    const std::uint32_t released = NewFont(true);
    Font* releasedFont = FontOf(released);
    ASSERT_EQ(0, m_device.ReleaseFont(&releasedFont));
    const std::uint32_t surface = WordOf(NewImage(8, 8));
    testsupport::NoAccessPage forged;
    forged.Revoke();
    const std::uint32_t text = Text("abc");
    struct Row {
        int opcode;
        std::vector<std::uint32_t> words;
        std::int32_t onGdi;
        std::int32_t onAntialias;
        std::int32_t onNone;
    };
    const Row rows[] = {
        {171, {Text("Arial")}, 0, 0, -1},
        {172, {24}, 0, 0, -1},
        {173, {1, 0}, 0, 0, -1},
        {174, {900}, 0, 0, -1},
        {175, {1}, 1, 1, 0},
        {176, {1, 2, 3}, 1, 1, 0},
        {177, {1, 2, 3}, 1, 1, 0},
        {178, {1, 2, 3}, 1, 1, 0},
        {179, {1, 1, 2, 3}, 1, 1, 0},
        {180, {4}, 1, 1, 0},
        {181, {1, 0}, 0, -2, -1},
        {182, {4}, 0, -2, -1},
        {183, {64}, 0, 1, 0},
        {184, {0, 10, 8, 8, 0}, -2, 1, -1},
        {185, {1, 0xFF0000, 0x00FF00}, -2, 0, -1},
        {186, {1024, 3}, 0, 1, 0},
        {187, {text, 0, 0, 0, 0}, 1, 1, -1},
        {188, {text, 0, 0, 0, 0}, 1, 1, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.opcode);
        const auto call = [&](std::uint32_t font) {
            std::vector<std::uint32_t> words = {font};
            words.insert(words.end(), row.words.begin(), row.words.end());
            return Call(row.opcode, words);
        };
        EXPECT_EQ(row.onGdi, call(gdi));
        EXPECT_EQ(row.onAntialias, call(antialias));
        for (const std::uint32_t none : {0u, forged.Word(), released, surface}) {
            EXPECT_EQ(row.onNone, call(none)) << "word " << none;
        }
        EXPECT_FALSE(TakeScriptFault());
    }
    EXPECT_TRUE(m_region.GuardsIntact());
}

TEST_F(FontCommands, SettingsReachTheFontFieldsAndOtherKindsStayUnchanged) {
    const std::uint32_t gdi = NewFont(false);
    const std::uint32_t word = NewFont(true);
    auto* font = static_cast<AntialiasFont*>(FontOf(word));
    ASSERT_EQ(0, Call(172, {word, static_cast<std::uint32_t>(-30)}));
    EXPECT_EQ(-30, font->logFont.lfHeight) << "a negative size counts as its absolute value";
    ASSERT_EQ(0, Call(173, {word, 0x101, 1}));
    EXPECT_EQ(700, font->logFont.lfWeight) << "bold counts by its low byte";
    EXPECT_EQ(1, font->logFont.lfItalic);
    ASSERT_EQ(0, Call(174, {word, 900}));
    EXPECT_EQ(900, font->logFont.lfEscapement);
    EXPECT_EQ(900, font->logFont.lfOrientation);
    ASSERT_EQ(1, Call(176, {word, 0x110, 0x20, 0x30}));
    EXPECT_EQ((std::vector<int>{0x10, 0x20, 0x30}), (std::vector<int>{font->colour[0], font->colour[1], font->colour[2]}));
    ASSERT_EQ(1, Call(179, {word, 1, 7, 8, 9}));
    EXPECT_EQ((std::vector<int>{7, 8, 9}), (std::vector<int>{font->background[0], font->background[1], font->background[2]}));
    ASSERT_EQ(1, Call(186, {word, 900, 3}));
    EXPECT_EQ(900, font->outlineStrength);
    EXPECT_EQ(3, font->outlineWidth);
    ASSERT_EQ(0, Call(185, {word, 2, 0x405060, 0x0A0B0C}));
    EXPECT_EQ(2, font->effect);
    EXPECT_EQ(1, font->outlineWidth) << "size 1";
    EXPECT_EQ((std::vector<int>{0x40, 0x50, 0x60}), (std::vector<int>{font->colour[0], font->colour[1], font->colour[2]}));
    EXPECT_EQ((std::vector<int>{10, 11, 12}),
              (std::vector<int>{font->effectColour[0], font->effectColour[1], font->effectColour[2]}));
    EXPECT_EQ(-1, Call(185, {word, 3, 0, 0})) << "no such mode";
    EXPECT_EQ(2, font->effect) << "nothing changed";

    Font* const plain = FontOf(gdi);
    const LOGFONTA before = plain->logFont;
    EXPECT_EQ(0, Call(186, {gdi, 900, 3}));
    EXPECT_EQ(-2, Call(185, {gdi, 1, 0, 0}));
    EXPECT_EQ(0, plain->effect);
    EXPECT_EQ(0, std::memcmp(&before, &plain->logFont, sizeof before));
}

TEST_F(FontCommands, CreationReleaseAndTheDefaultFont) {
    const std::int32_t gdi = Call(167, {Text(kGothic), static_cast<std::uint32_t>(-18)});
    const std::int32_t antialias = Call(168, {Text(kGothic), 22});
    ASSERT_NE(nullptr, FontOf(gdi));
    ASSERT_NE(nullptr, FontOf(antialias));
    EXPECT_EQ(kFontGdi, FontOf(gdi)->Kind());
    EXPECT_EQ(kFontAntialias, FontOf(antialias)->Kind());
    EXPECT_EQ(-18, FontOf(gdi)->logFont.lfHeight);

    EXPECT_EQ(1, Call(170, {static_cast<std::uint32_t>(antialias)}));
    EXPECT_EQ(FontOf(antialias), DefaultFont);
    EXPECT_EQ(0, Call(170, {0}));
    EXPECT_EQ(0, Call(170, {WordOf(NewImage(4, 4))})) << "a surface is no font";
    EXPECT_EQ(FontOf(antialias), DefaultFont) << "kept";

    const std::uint32_t variable = Out(4);
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(variable)), &antialias, 4);
    EXPECT_EQ(0, Call(169, {variable}));
    EXPECT_EQ(0, At(variable));
    EXPECT_EQ(nullptr, DefaultFont) << "the device lets go of its default";
    EXPECT_EQ(1, Call(169, {variable})) << "the variable holds 0";
    const std::uint32_t image = WordOf(NewImage(4, 4));
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(variable)), &image, 4);
    EXPECT_EQ(2, Call(169, {variable}));
    EXPECT_EQ(static_cast<std::int32_t>(image), At(variable)) << "kept";
    EXPECT_EQ(1, Call(169, {0}));

    EXPECT_EQ(0, Call(166, {}));
    EXPECT_EQ(0, m_device.FontCount());
    EXPECT_EQ(nullptr, FontOf(gdi));
}

TEST_F(FontCommands, ExtentsWithNullAndGivenOutsAndTheirDecorationGrowth) {
    const std::uint32_t word = NewFont(true);
    const std::uint32_t text = Text("AB\x88\x9F");
    const std::uint32_t outs = Out(16);
    const auto measure = [&](int opcode) {
        std::memset(reinterpret_cast<void*>(static_cast<std::uintptr_t>(outs)), 0xEE, 16);
        EXPECT_EQ(1, Call(opcode, {word, text, outs, outs + 4, outs + 8, outs + 12}));
        return std::vector<std::int32_t>{At(outs), At(outs + 4), At(outs + 8), At(outs + 12)};
    };
    const std::vector<std::int32_t> plain = measure(187);
    EXPECT_GT(plain[0], 20);
    EXPECT_GT(plain[1], 10);
    EXPECT_EQ(0, plain[2]);
    EXPECT_EQ(0, plain[3]);
    EXPECT_EQ(1, Call(187, {word, text, 0, 0, 0, 0})) << "null outs are skipped";

    ASSERT_EQ(1, Call(177, {word, 1, static_cast<std::uint32_t>(-3), 5}));
    EXPECT_EQ((std::vector<std::int32_t>{plain[0] + 3, plain[1] + 5, -3, 0}), measure(187)) << "shadow";
    ASSERT_EQ(1, Call(177, {word, 2, 0, 0}));
    const std::int32_t width = static_cast<AntialiasFont*>(FontOf(word))->outlineWidth;
    EXPECT_EQ((std::vector<std::int32_t>{plain[0] + 2 * width, plain[1] + 2 * width, -width, -width}), measure(187))
        << "outline";

    ASSERT_EQ(1, Call(177, {word, 0, 0, 0}));
    const std::vector<std::int32_t> level = measure(188);
    EXPECT_EQ(plain[0], level[0]);
    EXPECT_EQ(plain[1], level[1]);
    ASSERT_EQ(0, Call(174, {word, 900}));
    const std::vector<std::int32_t> turned = measure(188);
    const std::vector<std::int32_t> upright = measure(187);
    EXPECT_NEAR(upright[1], turned[0], 1) << "a quarter turn swaps the sides";
    EXPECT_NEAR(upright[0], turned[1], 1);
    EXPECT_EQ(0, Call(187, {word, 0, outs, outs + 4, 0, 0})) << "no text measures nothing";
    EXPECT_TRUE(m_region.GuardsIntact());
}

// How many pixels show red (the text colour) over the black picture, inside and outside a rectangle.
struct RedCount {
    int inside = 0;
    int outside = 0;
};
RedCount CountRed(Image& image, const RECT& box) {
    RedCount count;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) {
            const std::uint32_t p = static_cast<std::uint32_t>(image.GetPixel(x, y));
            if (((p >> 16) & 0xFF) < 0x40 || ((p >> 8) & 0xFF) > 0x20) continue;
            const bool in = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            ++(in ? count.inside : count.outside);
        }
    return count;
}

TEST_F(FontCommands, TextLandsInsideTheMeasuredExtentOnImagesAndScreens) {
    const std::uint32_t gdi = NewFont(false);
    const std::uint32_t antialias = NewFont(true);
    for (const std::uint32_t font : {gdi, antialias}) ASSERT_EQ(1, Call(176, {font, 255, 0, 0}));
    const std::uint32_t text = Text("W\x88\x9F");
    MemoryScreen* const screen = NewScreen(64, 40);
    struct Case {
        const char* name;
        int opcode;
        std::uint32_t font;
        bool onScreen;
        bool shows;
    };
    const Case cases[] = {
        {"gdi", 190, gdi, false, true},
        {"blend", 191, antialias, false, true},
        {"antialias", 192, antialias, false, true},
        {"antialias on a screen", 192, antialias, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image* image = nullptr;
        std::uint32_t target = 0;
        if (c.onScreen) {
            target = WordOf(static_cast<Surface*>(screen));
            image = static_cast<ScreenBuffer*>(screen)->GetImage();
        } else {
            ASSERT_EQ(0, m_device.CreateImage(&image, 64, 40, 32, kImageDibSection));
            target = WordOf(image);
        }
        ASSERT_NE(nullptr, image);
        ASSERT_TRUE(image->FillRect(0, 0, 0, nullptr));
        const std::uint32_t outs = Out(8);
        ASSERT_EQ(1, Call(187, {c.font, text, outs, outs + 4, 0, 0}));
        EXPECT_EQ(0, Call(c.opcode, {target, 10, 12, text, c.font}));
        const RedCount red = CountRed(*image, RECT{10, 12, 10 + At(outs), 12 + At(outs + 4)});
        if (c.shows) EXPECT_GT(red.inside, 10);
        EXPECT_EQ(0, red.outside);
    }
    EXPECT_EQ(2, Call(192, {WordOf(NewImage(8, 8)), 0, 0, text, gdi})) << "not an anti-aliased font";
    EXPECT_EQ(-1, Call(190, {gdi, 0, 0, text, gdi})) << "a font is no surface";
    EXPECT_EQ(-1, Call(191, {0, 0, 0, text, gdi}));
}

TEST_F(FontCommands, FormattedTextGoesThroughTheBoundedFormatter) {
    const std::uint32_t font = NewFont(false);
    ASSERT_EQ(1, Call(176, {font, 255, 0, 0}));
    ASSERT_EQ(1, Call(170, {font}));
    Image* image = nullptr;
    ASSERT_EQ(0, m_device.CreateImage(&image, 200, 40, 32, kImageDibSection));
    const std::uint32_t target = WordOf(image);
    const std::uint32_t outs = Out(8);
    // What "%d %s" gives, measured on its own.
    ASSERT_EQ(1, Call(187, {font, Text("-42 ok"), outs, outs + 4, 0, 0}));
    ASSERT_TRUE(image->FillRect(0, 0, 0, nullptr));
    EXPECT_EQ(0, Call(189, {target, 2, 3, Text("%d %s"), static_cast<std::uint32_t>(-42), Text("ok")}));
    const RedCount red = CountRed(*image, RECT{2, 3, 2 + At(outs), 3 + At(outs + 4)});
    EXPECT_GT(red.inside, 10);
    EXPECT_EQ(0, red.outside);

    ASSERT_TRUE(image->FillRect(0, 0, 0, nullptr));
    for (const char* refused : {"%f", "%n", "%p"}) {
        EXPECT_EQ(-1, Call(189, {target, 2, 3, Text(refused), 1, 2})) << refused;
    }
    {
        // The format's word would lie past the block's region: the block ends with the region.
        const std::uint32_t format = Text("%d");
        auto* const last = reinterpret_cast<std::uint32_t*>(m_region.Bytes() + commandtest::GuardedRegion::kSize - 16);
        const std::uint32_t words[] = {target, 2, 3, format};
        std::memcpy(last, words, sizeof words);
        EXPECT_EQ(-1, static_cast<std::int32_t>(kCommandTable[189].handler(last)));
    }
    EXPECT_EQ(0, CountRed(*image, RECT{0, 0, 0, 0}).outside) << "a refused format draws nothing";
    // Past 511 bytes the text is cut, at a whole character.
    EXPECT_EQ(0, Call(189, {target, 0, 0, Text("%510d\x88\x9F"), 7}));
    EXPECT_TRUE(m_region.GuardsIntact());
}

TEST_F(FontCommands, FontListNamesAndPointers) {
    const std::int32_t all = Call(193, {0, 0});
    ASSERT_GT(all, 0);
    EXPECT_EQ(all, m_fonts.Count());
    const std::int32_t trueType = Call(193, {1, 0});
    EXPECT_LE(trueType, all);
    const std::int32_t noVertical = Call(193, {4, 0});
    const std::int32_t shiftJis = Call(193, {0x108, SHIFTJIS_CHARSET}) ;
    EXPECT_LE(shiftJis, all);
    for (std::int32_t i = 0; i < m_fonts.Count(); ++i) EXPECT_EQ(SHIFTJIS_CHARSET, m_fonts.At(i).lfCharSet);
    ASSERT_EQ(noVertical, Call(193, {4, 0}));
    for (std::int32_t i = 0; i < m_fonts.Count(); ++i) EXPECT_NE('@', m_fonts.At(i).lfFaceName[0]);

    const std::int32_t count = m_fonts.Count();
    const std::uint32_t buffer = Out(40);
    EXPECT_EQ(1, Call(194, {0, buffer}));
    EXPECT_EQ(std::string(m_fonts.At(0).lfFaceName), TextAt(buffer));
    EXPECT_EQ(0, Call(194, {static_cast<std::uint32_t>(count), buffer}));
    EXPECT_EQ("", TextAt(buffer)) << "at the count: an empty name";
    EXPECT_EQ(0, Call(194, {0xFFFFFFFFu, buffer}));
    // Three bytes before the region's end: two of a name and the terminator.
    const std::uint32_t end = WordOf(m_region.Bytes() + commandtest::GuardedRegion::kSize);
    EXPECT_EQ(1, Call(194, {0, end - 3}));
    EXPECT_TRUE(m_region.GuardsIntact());

    EXPECT_EQ(WordOf(m_fonts.At(count - 1).lfFaceName), static_cast<std::uint32_t>(Call(195, {static_cast<std::uint32_t>(count - 1)})));
    EXPECT_EQ(0, Call(195, {static_cast<std::uint32_t>(count)}));
}

}  // namespace
}  // namespace devicetest

namespace devicetest {
namespace {

// The same commands as a compiled SOB program: the handle lives in a script variable, the
// extent goes to words of the module, and the release clears the variable.
TEST_F(FontCommands, AsAScriptProgram) {
    commandtest::CallProgram program;
    const std::string extent = program.Buffer(8);
    program.Call(168, {program.Text("Arial"), "20"}, "var:0")
        .Call(176, {"@var:0", "255", "0", "0"}, "var:1")
        .Call(187, {"@var:0", program.Text("AB"), extent, extent + "+4", "0", "0"}, "var:2")
        .Call(169, {"var:0"}, "var:3")
        .Call(169, {"var:0"}, "var:4");
    commandtest::ProgramRun run;
    ASSERT_EQ(kStepEnded, run.Run(program));
    EXPECT_EQ(0, run.Var(0)) << "released through the variable";
    EXPECT_EQ(1, run.Var(1));
    EXPECT_EQ(1, run.Var(2));
    EXPECT_GT(static_cast<std::int32_t>(run.WordAt(extent)), 10);
    std::int32_t height = 0;
    std::memcpy(&height, run.At(extent) + 4, sizeof height);
    EXPECT_GT(height, 10);
    EXPECT_EQ(0, run.Var(3));
    EXPECT_EQ(1, run.Var(4)) << "the variable holds 0";
    EXPECT_EQ(0, m_device.FontCount());
}

}  // namespace
}  // namespace devicetest
