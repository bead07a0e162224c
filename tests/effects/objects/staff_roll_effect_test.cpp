#include "effects/objects/staff_roll_effect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/effects/screen_effect_fixture.h"
#include "tests/support/staff_layout_writer.h"

namespace effecttest {
namespace {

using testsupport::StaffLayout;

// The music stand-in: records what the roll asks of it.
class RecordingMusic : public StaffMusic {
public:
    void Start(const char* name) override {
        calls.push_back(std::string("start ") + name);
        playing = true;
    }
    void Stop() override {
        calls.push_back("stop");
        playing = false;
    }
    bool Playing() override { return playing; }
    std::uint32_t Length() override { return length; }
    void FadeOut(std::uint32_t ms) override { calls.push_back("fade " + std::to_string(ms)); }

    std::vector<std::string> calls;
    bool playing = false;
    std::uint32_t length = 8000;
};

class StaffRollTest : public ScreenEffectTest {
protected:
    void SetUp() override {
        ScreenEffectTest::SetUp();
        std::vector<std::uint32_t> pixels(4 * 3, 0xFF112233u);
        WritePicture("SYS\\G0.ELG", 4, 3, pixels);
        WritePicture("SYS\\G1.ELG", 4, 3, pixels);
        SetStaffRollMusic(&m_music);
    }
    void TearDown() override {
        ScreenEffectTest::TearDown();
        SetStaffRollMusic(nullptr);
    }

    void WriteLayout(const std::string& text) {
        ASSERT_TRUE(testsupport::WriteFile(Game("STAFF.TXT"), text));
    }
    // Setup's code; on success the roll runs with m_handle as its owner's variable.
    std::int32_t Start(const std::string& layout) {
        WriteLayout(layout);
        m_roll = new StaffRollEffect;
        const std::int32_t code = m_roll->SetupV(&m_scheduler, &m_screen[0], TextWord("STAFF.TXT"));
        if (code != 0) {
            ReleaseObject(m_roll);
            m_roll = nullptr;
            return code;
        }
        m_handle = m_roll;
        m_roll->SetOwner(&m_handle);
        return 0;
    }
    void RunAt(std::uint32_t now) {
        m_clock.SetMs(now);
        m_scheduler.RunDue(now);
    }
    StaffLine& Line(std::size_t i) { return *m_roll->Lines()[i]; }
    StaffGroup& Group(std::size_t i) { return *m_roll->Groups()[i]; }
    std::int32_t Sprites() { return CanvasOf(0)->Sprites().Count(); }

    RecordingMusic m_music;
    StaffRollEffect* m_roll = nullptr;
    EffectObject* m_handle = nullptr;
};

TEST_F(StaffRollTest, TextLinesScrollUpByTheHeightOverTheDurationThenEnd) {
    ASSERT_EQ(0, Start(StaffLayout({"init 10000", "text 0, 0, \"Staff\"", "text 5, 40, \"AB\"",
                                    "text -5, 40, \"C\""})));
    EXPECT_EQ(1, m_hooks.started);
    ASSERT_EQ(3u, m_roll->Lines().size());
    EXPECT_EQ(3, Sprites());
    const std::int32_t height = 80 + Line(2).image.Height();
    EXPECT_EQ(height, m_roll->Height());
    const std::int32_t layoutY[3] = {0, 40, 80};
    const std::int32_t ownX[3] = {0, 5, -5};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::int32_t width = Line(i).image.Width();
        EXPECT_EQ(ownX[i] + ((800 - width) >> 1), Line(i).x);  // centred in the fixed 800
        EXPECT_EQ(layoutY[i], Line(i).layoutY);
        EXPECT_EQ(2, Line(i).sprite.BlendMode());
        EXPECT_GT(width, 0);
    }
    for (std::uint32_t t : {0u, 2500u, 5000u, 9999u}) {
        RunAt(1000 + t);
        const std::int32_t position = static_cast<std::int32_t>(t / 10000.0 * height);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(Line(i).x, Line(i).sprite.X()) << t;
            EXPECT_EQ(layoutY[i] - position, Line(i).sprite.Y()) << t;
        }
    }
    RunAt(11000);  // hold and fade 0: the roll ends at once
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(0, Sprites());
    EXPECT_EQ(1, m_hooks.ended);
    EXPECT_TRUE(m_music.calls.empty());  // no music named, none touched
}

TEST_F(StaffRollTest, EndLineAddsAGapHoldsFadesAndStops) {
    ASSERT_EQ(0, Start(StaffLayout({"init 1000", "text 0, 10, \"A\"", "end 100, 2000, 1000, 0"})));
    const std::int32_t height = 10 + Line(0).image.Height() + 100;
    EXPECT_EQ(height, m_roll->Height());
    RunAt(0);
    RunAt(1000);
    EXPECT_EQ(10 - height, Line(0).sprite.Y());
    struct Case {
        std::uint32_t now;
        std::uint8_t opacity;
        std::int32_t state;
    };
    for (const Case& c : {Case{2000, 255, 1}, Case{2999, 255, 1}, Case{3000, 255, 1},
                          Case{3500, 128, 1}, Case{3999, 1, 1}, Case{4000, 0, 2}}) {
        RunAt(c.now);
        EXPECT_EQ(c.opacity, Line(0).sprite.Alpha()) << c.now;
        EXPECT_EQ(c.state, m_roll->ControlV(0)) << c.now;
    }
    // Stopped: stays on its last frame until cancelled.
    RunAt(9000);
    EXPECT_EQ(m_roll, m_handle);
    EXPECT_EQ(1, Sprites());
    EXPECT_TRUE(m_scheduler.Cancel(m_roll));
    RunAt(9001);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(0, Sprites());
}

TEST_F(StaffRollTest, MusicLengthGivesTheDurationAndTheMusicFadesWithTheLines) {
    ASSERT_EQ(0, Start(StaffLayout({"init 0, \"BGM\\STAFF.OGG\"", "text 0, 0, \"A\"",
                                    "end 0, 500, 1000"})));
    EXPECT_TRUE(m_music.calls.empty());
    RunAt(100);
    EXPECT_EQ(std::vector<std::string>{"start BGM\\STAFF.OGG"}, m_music.calls);
    const std::int32_t height = m_roll->Height();
    RunAt(4100);  // half of the 8000 ms piece
    EXPECT_EQ(-(height / 2), Line(0).sprite.Y());
    RunAt(8100);
    EXPECT_EQ(-height, Line(0).sprite.Y());
    RunAt(8599);
    EXPECT_EQ(1u, m_music.calls.size());
    RunAt(8600);  // the hold is over: music and lines fade together
    EXPECT_EQ((std::vector<std::string>{"start BGM\\STAFF.OGG", "fade 1000"}), m_music.calls);
    RunAt(9600);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ((std::vector<std::string>{"start BGM\\STAFF.OGG", "fade 1000", "stop"}),
              m_music.calls);
}

TEST_F(StaffRollTest, MusicThatIsNotPlayingIsNotFadedButStillStopped) {
    ASSERT_EQ(0, Start(StaffLayout({"init 1000, \"M.OGG\"", "text 0, 0, \"A\"", "end 0, 0, 100"})));
    RunAt(0);
    m_music.playing = false;
    RunAt(1000);
    RunAt(1100);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ((std::vector<std::string>{"start M.OGG", "stop"}), m_music.calls);
}

TEST_F(StaffRollTest, AnUnquotedMusicNameIsIgnoredAndEmptyFieldsKeepTheirValues) {
    SetStaffRollMusic(nullptr);
    ASSERT_EQ(0, Start(StaffLayout({"init 700, M.OGG", "init , ", "text 0, 0, \"A\"",
                                    "end 4, , 9", "end , 6"})));
    EXPECT_TRUE(m_roll->MusicName().empty());
    EXPECT_EQ(700u, m_roll->Duration());
    EXPECT_EQ(6u, m_roll->Hold());
    EXPECT_EQ(9u, m_roll->Fade());
    EXPECT_TRUE(m_roll->FinishWhenDone());
    EXPECT_EQ(Line(0).image.Height() + 4, m_roll->Height());
}

TEST_F(StaffRollTest, MusicOfLengthZeroScrollsAtOnce) {
    m_music.length = 0;
    ASSERT_EQ(0, Start(StaffLayout({"init 0, \"M.OGG\"", "text 0, 0, \"A\"", "end 0, 0, 0, 0"})));
    RunAt(50);
    EXPECT_EQ(-m_roll->Height(), Line(0).sprite.Y());
    EXPECT_EQ(2, m_roll->ControlV(0));
    EXPECT_EQ((std::vector<std::string>{"start M.OGG", "stop"}), m_music.calls);
}

TEST_F(StaffRollTest, CommentsAndKeywordPrefixes) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::size_t count;
    };
    const std::vector<Case> cases = {
        {"line comment", {"// text 0, 0, \"X\"", "text 0, 0, \"A\""}, 1},
        {"block", {"/*", "text 0, 0, \"X\"", "*/", "text 0, 0, \"A\""}, 1},
        {"opened and closed on one line stays open",
         {"/* note */", "text 0, 0, \"X\"", "*/ text 0, 0, \"Y\"", "text 0, 0, \"A\""}, 1},
        {"nested", {"/*", "/*", "*/", "text 0,0,\"X\"", "*/", "  text 0,0,\"A\""}, 1},
        {"bad keyword inside a comment", {"/*", "bogus", "*/", "text 0,0,\"A\""}, 1},
        {"blank lines", {"", "   ", "text 0,0,\"A\"", "\ttext 0,0,\"B\""}, 2},
        {"keywords are prefixes", {"text0, 0, \"A\"", "init500", "endless"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines = {"init 1000"};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        WriteLayout(text);
        StaffRollEffect roll;
        ASSERT_EQ(0, roll.LoadLayout("STAFF.TXT", CanvasOf(0)));
        EXPECT_EQ(c.count, roll.Lines().size());
        EXPECT_EQ(static_cast<std::int32_t>(c.count), Sprites());
    }
    EXPECT_EQ(0, Sprites());
}

TEST_F(StaffRollTest, FontLayoutAndEmptyFields) {
    WriteLayout(StaffLayout({
        "text 0, 0, \"AB\"",           // 0: size 24, centred
        "font , 32",                   // 1: the face kept, size 32
        "text 0, 0, \"AB\"",
        "layout 100, 2",               // 2: right-aligned at 100
        "text 0, 0, \"AB\"",
        "layout , 0",                  // 3: the offset kept, left
        "text 7, , \"AB\"",
        "layout 60, 9",                // 4: any other alignment: the line's own x
        "text 7, 3, \"AB\"",
        "layout 100, 1",               // 5: centred between 100 and 800
        "text 0, 0, \"AB\"",
        "end , 1500",
    }));
    StaffRollEffect roll;
    ASSERT_EQ(0, roll.LoadLayout("STAFF.TXT", CanvasOf(0)));
    const auto& lines = roll.Lines();
    ASSERT_EQ(6u, lines.size());
    EXPECT_GT(lines[1]->image.Height(), lines[0]->image.Height());
    EXPECT_GT(lines[1]->image.Width(), lines[0]->image.Width());
    const std::int32_t w = lines[2]->image.Width();
    EXPECT_EQ(lines[1]->image.Width(), w);
    EXPECT_EQ((800 - lines[0]->image.Width()) >> 1, lines[0]->x);
    EXPECT_EQ(100 - w, lines[2]->x);
    EXPECT_EQ(107, lines[3]->x);
    EXPECT_EQ(7, lines[4]->x);
    EXPECT_EQ(3, lines[4]->layoutY);
    EXPECT_EQ(100 + ((700 - w) >> 1), lines[5]->x);
    EXPECT_EQ(1500u, roll.Hold());
    EXPECT_EQ(3 + lines[5]->image.Height(), roll.Height());  // advances 3, no end gap
}

TEST_F(StaffRollTest, ScriptErrorsLeaveNoSprite) {
    struct Case {
        const char* line;
        std::int32_t code;
    };
    const std::vector<Case> cases = {
        {"font GOTHIC", 4},
        {"font \"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345\"", 4},
        {"text 0, 0, A", 5},
        {"text 0, 0, \"unclosed", 5},
        {"text 0, 0, \"\"", 6},
        {"gtext 0, 0, SYS\\G0.ELG", 7},
        {"gtext 0, 0, \"SYS\\NONE.ELG\"", 8},
        {"grp 0, 0, SYS\\G0.ELG", 9},
        {"grp 0, 0, \"SYS\\NONE.ELG\"", 10},
        {"bogus 1", 11},
    };
    // A sprite of someone else's stays where it was.
    Image other;
    ASSERT_EQ(0, other.Create(2, 2, 32, 0));
    Sprite mine;
    ASSERT_EQ(0, mine.SetImage(&other, nullptr, 0, 0));
    ASSERT_EQ(0, CanvasOf(0)->Sprites().Add(&mine, 5, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WriteLayout(StaffLayout({"init 1000", "text 0, 0, \"A\"", "grp 0, 0, \"SYS\\G0.ELG\"",
                                 c.line, "text 0, 0, \"B\""}));
        StaffRollEffect roll;
        EXPECT_EQ(c.code, roll.LoadLayout("STAFF.TXT", CanvasOf(0)));
        EXPECT_TRUE(roll.Lines().empty());
        EXPECT_TRUE(roll.Groups().empty());
        EXPECT_EQ(1, Sprites());
        EXPECT_EQ(2, Start(StaffLayout({"init 1000", "text 0, 0, \"A\"", c.line})));
        EXPECT_EQ(1, Sprites());
    }
    StaffRollEffect roll;
    EXPECT_EQ(2, roll.LoadLayout("MISSING.TXT", CanvasOf(0)));
    EXPECT_EQ(2, roll.LoadLayout(nullptr, CanvasOf(0)));
    EXPECT_EQ(-1, roll.LoadLayout("STAFF.TXT", nullptr));
    EXPECT_EQ(1, Sprites());
    EXPECT_EQ(0, m_hooks.started);
}

TEST_F(StaffRollTest, SetupCodesLeaveNoSprite) {
    MemoryScreen bare;
    ASSERT_EQ(0, bare.CreateSimple(kWidth, kHeight, 32, false));
    WriteLayout(StaffLayout({"init 1000", "text 0, 0, \"A\""}));
    const std::int32_t words[1] = {TextWord("STAFF.TXT")};
    {
        StaffRollEffect roll;
        EXPECT_EQ(1, roll.Setup(nullptr, &m_screen[0], words));
        EXPECT_EQ(1, roll.Setup(&m_scheduler, nullptr, words));
        EXPECT_EQ(1, roll.Setup(&m_scheduler, &m_screen[0], nullptr));
        EXPECT_EQ(1, roll.Setup(&m_scheduler, &bare, words));
    }
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        bool music;
        std::int32_t code;
    };
    const std::vector<Case> cases = {
        {"no line", {"init 1000", "grp 0, 0, \"SYS\\G0.ELG\""}, true, 3},
        {"duration 0 without music", {"init 0", "text 0, 0, \"A\""}, true, 2},
        {"no init line", {"text 0, 0, \"A\""}, true, 2},
        {"music without a player", {"init 0, \"M.OGG\"", "text 0, 0, \"A\""}, false, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetStaffRollMusic(c.music ? &m_music : nullptr);
        std::string text;
        for (const std::string& line : c.lines) text += line + "\r\n";
        EXPECT_EQ(c.code, Start(text));
        EXPECT_EQ(0, Sprites());
        EXPECT_EQ(0, m_hooks.started);
    }
    // A scheduler that already holds the roll refuses it again: 5, idle, its new lines gone.
    SetStaffRollMusic(&m_music);
    ASSERT_EQ(0, Start(StaffLayout({"init 1000", "text 0, 0, \"A\""})));
    EXPECT_EQ(1, Sprites());
    EXPECT_EQ(5, m_roll->Setup(&m_scheduler, &m_screen[0], words));
    EXPECT_EQ(0, Sprites());
    EXPECT_EQ(0, m_roll->ControlV(0));
}

TEST_F(StaffRollTest, TwoGroupsWithoutEgrpAndTheirFades) {
    ASSERT_EQ(0, Start(StaffLayout({
        "init 1000",
        "laygrp 0, -1, 100, 100, 7",
        "grp 10, 20, \"SYS\\G0.ELG\", 30, 60, 200",
        "text 0, 100, \"A\"",
        "grp 0, 0, \"SYS\\G1.ELG\"",
        "text 0, 100, \"B\"",
    })));
    ASSERT_EQ(2u, m_roll->Groups().size());
    const std::int32_t height = m_roll->Height();
    EXPECT_EQ(200 + Line(1).image.Height(), height);
    // The first ends where the second starts, the last at the height.
    EXPECT_EQ(0, Group(0).startPosition);
    EXPECT_EQ(100, Group(0).endPosition);
    EXPECT_EQ(100, Group(1).startPosition);
    EXPECT_EQ(height, Group(1).endPosition);
    EXPECT_EQ(4, Sprites());
    EXPECT_NE(nullptr, CanvasOf(0)->Sprites().Find(&Group(0).sprite));
    EXPECT_FALSE(Group(0).sprite.IsVisible());

    RunAt(0);  // spans grow by the fade-out time x speed
    const double speed = static_cast<double>(height) / 1000;
    const std::int32_t span0 = 100 + static_cast<std::int32_t>(100 * speed);
    EXPECT_EQ(span0, Group(0).span);
    EXPECT_EQ(1, Group(0).state);
    EXPECT_TRUE(Group(0).sprite.IsVisible());
    EXPECT_EQ(0, Group(0).sprite.Alpha());
    EXPECT_EQ(10, Group(0).sprite.X());
    EXPECT_EQ(20, Group(0).sprite.Y());
    RunAt(50);
    EXPECT_EQ(100, Group(0).sprite.Alpha());  // half of 200
    const std::int32_t p50 = static_cast<std::int32_t>(0.05 * height);
    const double u = static_cast<double>(p50) / span0;
    EXPECT_EQ(10 + static_cast<std::int32_t>(u * 20), Group(0).sprite.X());
    EXPECT_EQ(20 + static_cast<std::int32_t>(u * 40), Group(0).sprite.Y());
    EXPECT_EQ(0, Group(1).state);
    RunAt(100);
    EXPECT_EQ(200, Group(0).sprite.Alpha());
    EXPECT_EQ(2, Group(0).state);
    // Position 100 comes at 100 / height of the duration: the first fades out, the second in.
    const std::uint32_t at = static_cast<std::uint32_t>(100.0 / height * 1000) + 1;
    RunAt(at);
    EXPECT_EQ(3, Group(0).state);
    EXPECT_EQ(1, Group(1).state);
    RunAt(at + 50);
    EXPECT_EQ(100, Group(0).sprite.Alpha());
    RunAt(at + 100);
    EXPECT_EQ(4, Group(0).state);
    EXPECT_FALSE(Group(0).sprite.IsVisible());
    RunAt(1000);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(0, Sprites());
}

TEST_F(StaffRollTest, EgrpAndAGroupOfSpanZeroSitsAtItsEnd) {
    ASSERT_EQ(0, Start(StaffLayout({
        "init 1000",
        "laygrp 5, 0, 0, 0",
        "grp 10, 20, \"SYS\\G0.ELG\", 30, 60",
        "laygrp 0, -1, 0, 0",
        "grp 1, 2, \"SYS\\G1.ELG\", 3, 4",
        "text 0, 50, \"A\"",
        "egrp 7",
        "end 0, 0, 0, 0",
    })));
    EXPECT_EQ(5, Group(0).startPosition);
    EXPECT_EQ(0, Group(0).span);
    EXPECT_EQ(57, Group(1).endPosition);
    RunAt(0);
    RunAt(100);
    EXPECT_EQ(30, Group(0).sprite.X());
    EXPECT_EQ(60, Group(0).sprite.Y());
}

TEST_F(StaffRollTest, ChangeParamsSpeedsTheClockFromTheNextStep) {
    ASSERT_EQ(0, Start(StaffLayout({"init 10000", "text 0, 0, \"A\"", "end 0, 0, 0, 0"})));
    EXPECT_EQ(-1, m_roll->ChangeParamsV(1, 4));
    const std::int32_t height = m_roll->Height();
    auto position = [&](std::uint32_t e) {
        return -static_cast<std::int32_t>(e / 10000.0 * height);
    };
    RunAt(0);
    RunAt(1000);
    EXPECT_EQ(0, m_roll->ChangeParamsV(0, 4));
    RunAt(2000);
    EXPECT_EQ(position(2000), Line(0).sprite.Y());
    RunAt(3000);  // the last 1000 ms counted four times
    EXPECT_EQ(position(6000), Line(0).sprite.Y());
    EXPECT_EQ(0, m_roll->ChangeParamsV(0, -3));  // below 1: normal speed
    RunAt(3500);
    EXPECT_EQ(position(9500), Line(0).sprite.Y());
    RunAt(4000);
    EXPECT_EQ(position(10000), Line(0).sprite.Y());
    EXPECT_EQ(2, m_roll->ControlV(0));
}

TEST_F(StaffRollTest, AHugeFactorNeverWrapsTheClockBack) {
    // A column of some 5000 pixels, so that any step back shows.
    ASSERT_EQ(0, Start(StaffLayout({"init 10000", "text 0, 5000, \"A\"", "end 0, 3000, 1000, 0"})));
    RunAt(0);
    RunAt(1000);
    ASSERT_EQ(0, m_roll->ChangeParamsV(0, 0x7FFFFFFF));
    std::int32_t last = Line(0).sprite.Y();
    for (std::uint32_t now = 2000; now <= 2006; ++now) {
        RunAt(now);
        EXPECT_LE(Line(0).sprite.Y(), last) << now;
        last = Line(0).sprite.Y();
    }
    EXPECT_EQ(Line(0).layoutY - m_roll->Height(), Line(0).sprite.Y());
    EXPECT_EQ(0, Line(0).sprite.Alpha());
    EXPECT_EQ(2, m_roll->ControlV(0));
}

TEST_F(StaffRollTest, AFadeOfZeroEndsWhenTheHoldDoes) {
    ASSERT_EQ(0, Start(StaffLayout({"init 1000", "text 0, 0, \"A\"", "end 0, 500, 0"})));
    RunAt(0);
    RunAt(1000);
    RunAt(1499);
    EXPECT_EQ(m_roll, m_handle);
    EXPECT_EQ(255, Line(0).sprite.Alpha());
    RunAt(1500);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(0, Sprites());
}

// The roll's clock runs through a pause of its task, in step with music that plays on.
TEST_F(StaffRollTest, APauseDoesNotHoldTheClock) {
    ASSERT_EQ(0, Start(StaffLayout({"init 10000", "text 0, 0, \"A\"", "end 0, 0, 0, 0"})));
    RunAt(0);
    RunAt(1000);
    m_scheduler.PauseKind(14002);
    RunAt(3000);
    EXPECT_EQ(-static_cast<std::int32_t>(0.1 * m_roll->Height()), Line(0).sprite.Y());
    m_scheduler.ResumeKind(14002);
    RunAt(4000);
    EXPECT_EQ(-static_cast<std::int32_t>(0.4 * m_roll->Height()), Line(0).sprite.Y());
}

TEST_F(StaffRollTest, FinishAndDeletionRestoreTheSpriteLists) {
    Image other;
    ASSERT_EQ(0, other.Create(2, 2, 32, 0));
    Sprite mine;
    ASSERT_EQ(0, mine.SetImage(&other, nullptr, 0, 0));
    ASSERT_EQ(0, CanvasOf(0)->Sprites().Add(&mine, 500, 0));
    ASSERT_EQ(0, Start(StaffLayout({"init 1000", "text 0, 0, \"A\"", "grp 0, 0, \"SYS\\G0.ELG\"",
                                    "text 0, 10, \"B\""})));
    EXPECT_EQ(4, Sprites());
    EXPECT_EQ(0, CanvasOf(1)->Sprites().Count());
    RunAt(0);
    EXPECT_TRUE(m_scheduler.Cancel(m_roll));
    EXPECT_EQ(nullptr, m_handle);
    RunAt(10);
    EXPECT_EQ(1, Sprites());
    EXPECT_NE(nullptr, CanvasOf(0)->Sprites().Find(&mine));
    EXPECT_EQ(0, CanvasOf(1)->Sprites().Count());
    EXPECT_EQ(m_hooks.started, m_hooks.ended);
}

}  // namespace
}  // namespace effecttest
