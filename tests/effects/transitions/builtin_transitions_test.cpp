// The eight built-in transitions: set-up codes, the clock's ends, strips against the whole
// draw, the present, registration, and the mended faults (64-bit clocks and products, the
// whole routine word of "trans", running without the pixel-operation library).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "effects/transitions/builtin_transitions.h"
#include "framework/plugins/transition_registry.h"
#include "tests/effects/transitions/transition_fixture.h"
#include "tests/graphics/surfaces/screen_test_support.h"

namespace {

using transtest::Held;
using transtest::Pixels;
using transtest::PixelsOf;
using transtest::TransitionFixture;

// An 8-bit rule picture of one kind: 0 a ramp along the rows, 1 a two-level checker, 2 constant.
bool RulePicture(Image& rule, std::int32_t width, std::int32_t height, int pattern) {
    if (rule.Create(width, height, 8, 0) != 0) return false;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t v = 128;
            if (pattern == 0) v = static_cast<std::uint8_t>(x * 255 / (width - 1));
            if (pattern == 1) v = ((x + y) & 1) ? 200 : 40;
            rule.Row(y)[x] = v;
        }
    return true;
}

enum class End { From, To, Colour };

struct Case {
    const char* name;
    TransCreateFunc create;
    std::vector<std::int32_t> words;  // word 0 the duration
    End start;
    End end;
};

constexpr std::uint32_t kTone = 0x80336699;

class BuiltinTransitionTest : public TransitionFixture {
protected:
    void SetUp() override {
        TransitionFixture::SetUp();
        ASSERT_TRUE(RulePicture(m_rule, m_width, m_height, 0));
    }
    std::vector<Case> Cases() {
        const std::int32_t rule = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(&m_rule));
        return {
            {"cross", &CreateCrossTransCallback, {400}, End::From, End::To},
            {"rule", &CreateRuleTransCallback, {400, rule, 64}, End::From, End::To},
            {"scroll slide in", &CreateScrollTransCallback, {400, 0, 0, 0}, End::From, End::To},
            {"scroll push up", &CreateScrollTransCallback, {400, 3, 2, 0}, End::From, End::To},
            {"scroll fading", &CreateScrollTransCallback, {400, 1, 4, 0}, End::From, End::To},
            {"wave", &CreateWaveTransCallback, {400, 0, 5, 300, 0x11223344, 0x55667788},
             End::From, End::To},
            {"mosaic", &CreateMosaicTransCallback, {400, 0, 4, 1}, End::From, End::To},
            {"rotaxis", &CreateRotAxisTransCallback, {400, 2}, End::From, End::To},
            {"trans", &CreateTransTransCallback, {400, 75, 0}, End::From, End::To},
            {"trans reversed", &CreateTransTransCallback, {400, 80, 1}, End::To, End::From},
            {"tone", &CreateToneTransCallback, {400, static_cast<std::int32_t>(kTone), 0},
             End::From, End::Colour},
            {"tone reversed", &CreateToneTransCallback, {400, static_cast<std::int32_t>(kTone), 1},
             End::Colour, End::From},
        };
    }
    Held SetUpCase(const Case& c) {
        Held held(c.create(0));
        std::vector<std::int32_t> words = c.words;
        words.resize(8, 0);
        EXPECT_EQ(held->Setup(&m_screen, words.data()), 0) << c.name;
        return held;
    }
    Pixels Picture(End end) {
        if (end == End::From) return PixelsOf(m_from);
        if (end == End::To) return PixelsOf(m_to);
        return Pixels(static_cast<std::size_t>(m_width * m_height), kTone);
    }

    Image m_rule;
};

TEST_F(BuiltinTransitionTest, StartAndEndFramesShowTheirPicturesAndStatusEndsOnlyAfterTheEnd) {
    for (const Case& c : Cases()) {
        Held t = SetUpCase(c);
        ResetTarget();
        EXPECT_EQ(t->Update(7000), 0);
        EXPECT_EQ(DrawWhole(*t), 0) << c.name;
        EXPECT_EQ(PixelsOf(m_target), Picture(c.start)) << c.name << " start";
        EXPECT_EQ(t->Status(), 0) << c.name;
        t->Update(7000 + 399);
        EXPECT_EQ(t->Status(), 0) << c.name << " just before the end";
        t->Update(7000 + 400);
        ResetTarget();
        EXPECT_EQ(DrawWhole(*t), 0) << c.name;
        EXPECT_EQ(PixelsOf(m_target), Picture(c.end)) << c.name << " end";
        EXPECT_EQ(t->Status(), -1) << c.name;
    }
}

TEST_F(BuiltinTransitionTest, ResumedFiveHoursAfterTheStartTheyShowTheEndFrame) {
    const std::uint32_t fiveHours = 5u * 3600u * 1000u;
    for (Case c : Cases()) {
        c.words[0] = 20000;  // 18 000 000 x 256 / 20 000 would wrap in 32 bits
        Held t = SetUpCase(c);
        t->Update(100);
        t->Update(100 + fiveHours);
        ResetTarget();
        EXPECT_EQ(DrawWhole(*t), 0) << c.name;
        EXPECT_EQ(PixelsOf(m_target), Picture(c.end)) << c.name;
        EXPECT_EQ(t->Status(), -1) << c.name;
    }
}

TEST_F(BuiltinTransitionTest, KindsZeroAndTwoDrawnInOddStripsEqualTheWholeDraw) {
    for (const Case& c : Cases()) {
        Held t = SetUpCase(c);
        if (t->Kind() == 1) continue;
        t->Update(1000);
        for (std::uint32_t at : {100u, 200u, 300u}) {
            t->Update(1000 + at);
            ResetTarget();
            DrawWhole(*t);
            const Pixels whole = PixelsOf(m_target);
            ResetTarget();
            DrawStrips(*t, {3, 1, 3});
            EXPECT_EQ(PixelsOf(m_target), whole) << c.name << " at " << at;
        }
    }
}

TEST_F(BuiltinTransitionTest, KindsNamesAndTheRegistryOrder) {
    TransitionRegistry registry;
    ASSERT_EQ(RegisterBuiltinTransitions(registry), 0);
    const char* names[] = {"cross", "rule", "scroll", "wave", "mosaic", "rotaxis", "trans", "tone"};
    const std::uint8_t kinds[] = {0, 0, 0, 0, 1, 1, 1, 2};
    ASSERT_EQ(registry.Entries().size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const TransitionEntry& e = registry.Entries()[i];
        EXPECT_STREQ(e.name, names[i]);
        EXPECT_EQ(e.category, kinds[i]) << names[i];
        EXPECT_EQ(e.createArgument, 0);
        EXPECT_EQ(e.init, nullptr);
        EXPECT_EQ(e.exit, nullptr);
        Held made(e.create(0));
        ASSERT_NE(made.callback, nullptr);
        EXPECT_STREQ(made->Name(), names[i]);
        EXPECT_EQ(made->Kind(), kinds[i]) << names[i];
        EXPECT_EQ(made->Control(0, 0), -2);
    }
    TransCallback* made = registry.CreateByNameAndSetup(&m_screen, "mosaic", 300, 1, 4, 0);
    ASSERT_NE(made, nullptr);
    ReleaseObject(made);
    EXPECT_EQ(registry.CreateByNameAndSetup(&m_screen, "mosaic", 0, 1, 4, 0), nullptr);
}

TEST_F(BuiltinTransitionTest, SetupCodesOfTheFurtherChecks) {
    Image rule32, ruleSmall, ruleGood;
    ASSERT_TRUE(testsupport::CodedPicture(rule32, m_width, m_height, 0));
    ASSERT_TRUE(RulePicture(ruleSmall, m_width - 1, m_height, 0));
    ASSERT_TRUE(RulePicture(ruleGood, m_width, m_height, 1));
    auto word = [](Image* image) {
        return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(image));
    };
    MemoryScreen paletted;
    ASSERT_EQ(paletted.CreateSimple(m_width, m_height, 8, false), 0);
    struct Row {
        const char* name;
        TransCreateFunc create;
        std::vector<std::int32_t> words;
        ScreenBuffer* target;
        std::int32_t expected;
    } rows[] = {
        {"rule without image", &CreateRuleTransCallback, {100, 0, 0}, &m_screen, 2},
        {"rule of 32 bits", &CreateRuleTransCallback, {100, word(&rule32), 0}, &m_screen, 2},
        {"rule narrower than the screen", &CreateRuleTransCallback,
         {100, word(&ruleSmall), 0}, &m_screen, 2},
        {"rule", &CreateRuleTransCallback, {100, word(&ruleGood), 0}, &m_screen, 0},
        {"rule on 8 bits", &CreateRuleTransCallback, {100, word(&ruleGood), 0}, &paletted, 2},
        {"wave with duration 0", &CreateWaveTransCallback, {0, 0, 1, 1, 0, 0}, &m_screen, 0},
        {"cross with duration 0", &CreateCrossTransCallback, {0}, &m_screen, 1},
        {"tone without target", &CreateToneTransCallback, {100, 0, 0}, nullptr, 1},
    };
    for (const Row& r : rows) {
        Held t(r.create(0));
        std::vector<std::int32_t> words = r.words;
        words.resize(8, 0);
        EXPECT_EQ(t->Setup(r.target, words.data()), r.expected) << r.name;
    }
    Held wave(CreateWaveTransCallback(0));
    EXPECT_EQ(wave->Setup(&m_screen, nullptr), 1);
    g_mathTables = nullptr;
    // Without the tables, before anything else.
    EXPECT_EQ(wave->Setup(nullptr, nullptr), 5);
    Held rotaxis(CreateRotAxisTransCallback(0));
    const std::int32_t words[] = {100, 0};
    EXPECT_EQ(rotaxis->Setup(&m_screen, words), 5);
}

TEST_F(BuiltinTransitionTest, WithoutThePixelLibrarySetupRefusesAndDrawDrawsNothing) {
    const std::vector<std::string> needing = {"cross", "rule", "scroll fading", "wave",
                                              "rotaxis", "tone", "tone reversed"};
    std::vector<Held> made;
    std::vector<Case> cases;
    for (const Case& c : Cases())
        for (const std::string& n : needing)
            if (n == c.name) {
                made.emplace_back(SetUpCase(c));
                cases.push_back(c);
            }
    for (Held& t : made) t->Update(100);
    UnloadLibrary();
    for (std::size_t i = 0; i < made.size(); ++i) {
        made[i]->Update(300);
        ResetTarget();
        EXPECT_EQ(DrawWhole(*made[i]), 5) << cases[i].name;
        EXPECT_EQ(PixelsOf(m_target), Pixels(m_width * m_height, transtest::kSentinel))
            << cases[i].name;
        Held fresh(cases[i].create(0));
        std::vector<std::int32_t> words = cases[i].words;
        words.resize(8, 0);
        EXPECT_EQ(fresh->Setup(&m_screen, words.data()), 5) << cases[i].name;
    }
    // The plain slides copy with the program's own kernels.
    Held slide(CreateScrollTransCallback(0));
    const std::int32_t words[] = {100, 0, 1, 0};
    EXPECT_EQ(slide->Setup(&m_screen, words), 0);
}

TEST_F(BuiltinTransitionTest, TransWithARoutineOutsideTheTableCopiesTheFromPictureAndAnswers5) {
    for (std::int32_t routine : {87, 300, -1}) {
        Held t(CreateTransTransCallback(0));
        const std::int32_t words[] = {100, routine, 0};
        ASSERT_EQ(t->Setup(&m_screen, words), 0);
        t->Update(10);
        t->Update(60);
        ResetTarget();
        EXPECT_EQ(DrawWhole(*t), 5) << routine;
        EXPECT_EQ(PixelsOf(m_target), PixelsOf(m_from)) << routine;
        t->Update(110);
        EXPECT_EQ(t->Status(), -1) << routine;
    }
}

TEST_F(BuiltinTransitionTest, AllEightRunThroughTheScreenPresent) {
    GdiScreen screen, other;
    ASSERT_EQ(screen.Create(320, 24, 32, 1), 0);
    ASSERT_EQ(other.Create(320, 24, 32, 1), 0);
    ASSERT_EQ(screen.SetAlternate(&other), 0);
    Image fromPicture, toPicture, rule;
    ASSERT_TRUE(testsupport::CodedPicture(fromPicture, 320, 24, 0xFF));
    ASSERT_TRUE(testsupport::CodedPicture(toPicture, 320, 24, 0xEE));
    ASSERT_TRUE(RulePicture(rule, 320, 24, 0));
    const std::int32_t ruleWord = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(&rule));
    const struct {
        TransCreateFunc create;
        std::vector<std::int32_t> words;
    } runs[] = {
        {&CreateCrossTransCallback, {1}},
        {&CreateRuleTransCallback, {1, ruleWord, 0}},
        {&CreateScrollTransCallback, {1, 0, 3, 0}},
        {&CreateWaveTransCallback, {1, 0, 5, 300, 0, 0}},
        {&CreateMosaicTransCallback, {1, 0, 8, 0}},
        {&CreateRotAxisTransCallback, {1, 0}},
        {&CreateTransTransCallback, {1, 71, 0}},
        {&CreateToneTransCallback, {1, static_cast<std::int32_t>(kTone), 0}},
    };
    for (const auto& run : runs) {
        screen.GetImage()->Blit(&fromPicture, 0, 0, nullptr, false);
        other.GetImage()->Blit(&toPicture, 0, 0, nullptr, false);
        Image window;
        ASSERT_TRUE(screentest::SentinelPicture(window, 320, 24));
        TransCallback* t = run.create(0);
        std::vector<std::int32_t> words = run.words;
        words.resize(8, 0);
        ASSERT_EQ(t->Setup(&screen, words.data()), 0) << t->Name();
        const std::string name = t->Name();
        ASSERT_EQ(screen.BeginTransition(t, kTransitionPictures, false, false), 0) << name;
        // The first frame shows the start; with a duration of 1 ms every later one the end.
        ASSERT_EQ(screen.Present(nullptr, window.MemoryDc(), nullptr, 0, false), 0) << name;
        Pixels shown = PixelsOf(window), expected = PixelsOf(fromPicture);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            shown[i] &= 0xFFFFFF;
            expected[i] &= 0xFFFFFF;
        }
        EXPECT_EQ(shown, expected) << name << " start";
        for (int frame = 0; frame < 100 && screen.InTransition(); ++frame)
            screen.Present(nullptr, window.MemoryDc(), nullptr, 0, false);
        EXPECT_FALSE(screen.InTransition()) << name;
        shown = PixelsOf(window);
        expected = name == "tone" ? Pixels(shown.size(), kTone) : PixelsOf(toPicture);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            shown[i] &= 0xFFFFFF;
            expected[i] &= 0xFFFFFF;
        }
        EXPECT_EQ(shown, expected) << name << " end";
    }
}

}  // namespace
