#include "effects/objects/bg_anime_effect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/files/preload_thread.h"
#include "graphics/data/qad_animation.h"
#include "tests/effects/screen_effect_fixture.h"
#include "tests/support/animation_file_writer.h"
#include "tools/content/qpk_writer.h"

namespace {

using namespace effecttest;
using testsupport::QadFrameSpec;

// The composite is 8 x 6; every picture is a 2 x 2 square of one colour.
constexpr std::uint16_t kAnimeWidth = 8;
constexpr std::uint16_t kAnimeHeight = 6;
const char kNames[] = "A.ELG\0B.ELG\0C.ELG\0D.ELG\0E.ELG\0F.ELG";
constexpr int kPictures = 6;

std::uint32_t PictureColour(char name) { return 0xFF000000u | (0x21u * static_cast<std::uint32_t>(name - 'A' + 1)) << 8 | 0x40; }

QadFrameSpec Pic(char name, std::int32_t time, std::int16_t x = 0, std::int16_t y = 0) {
    return QadFrameSpec{name - 'A', time, x, y, static_cast<std::uint32_t>((name - 'A') * 6)};
}
QadFrameSpec Ctl(std::int32_t code) { return QadFrameSpec{-1, code, 0, 0, 0}; }
const QadFrameSpec kEnd = Ctl(0);
const QadFrameSpec kLabel = Ctl(1);
const QadFrameSpec kLoopBack = Ctl(2);

// Loads the batches it is given on the caller's thread, noting the slots it loads.
class InlinePreload : public PreloadThread {
public:
    std::int32_t Start() override {
        Run();
        return kStarted;
    }
    bool KeepRunning() override { return true; }
    std::vector<std::uint16_t> loaded;

protected:
    void BeforeLoad(std::uint16_t slot) override { loaded.push_back(slot); }
};

class BgAnimeTest : public ScreenEffectTest {
protected:
    void SetUp() override {
        ScreenEffectTest::SetUp();
        SetAnimeCatchUp(std::vector<std::int32_t>{0}.data());
        ASSERT_TRUE(CreateDirectoryA(Game("ANIME").c_str(), nullptr));
        for (int k = 0; k < kPictures; ++k) {
            const char name = static_cast<char>('A' + k);
            ASSERT_TRUE(testsupport::WriteFile(Game("ANIME\\") + name + ".ELG", PictureFile(name)));
        }
    }
    void TearDown() override {
        m_effect.Reset();
        SetAnimeCatchUp(std::vector<std::int32_t>{0}.data());
        ScreenEffectTest::TearDown();
    }

    static std::vector<std::uint8_t> PictureFile(char name) {
        return testsupport::EncodeElgPicture(32, 2, 2, std::vector<std::uint32_t>(4, PictureColour(name)));
    }
    // An animation of `ranges` ranges; the header's slot and range-length words say `h4`, `h5`.
    void Load(const std::vector<QadFrameSpec>& frames, std::uint16_t ranges = 1, std::uint16_t h4 = 8,
              std::uint16_t h5 = 16) {
        const std::uint16_t header[6] = {kAnimeWidth, kAnimeHeight, 0, ranges, h4, h5};
        const testsupport::AnimationFile file =
            testsupport::WriteQad(header, std::vector<char>(kNames, kNames + sizeof(kNames)), frames, {});
        ASSERT_EQ(0, m_qad.LoadFromMemory(file.bytes.data(), static_cast<std::uint32_t>(file.bytes.size())));
    }
    // Sets an effect up on screen 0: 0 or Setup's code (the effect is then deleted).
    std::int32_t Start(std::int32_t range, std::int32_t frame, bool loop, bool now,
                       std::unique_ptr<PreloadThread> preload = nullptr, const char* folder = "ANIME") {
        if (!preload) {
            auto inlinePreload = std::make_unique<InlinePreload>();
            m_preload = inlinePreload.get();
            preload = std::move(inlinePreload);
        }
        auto* effect = new BgAnimeEffect(std::move(preload));
        const std::int32_t words[6] = {Word(&m_qad), TextWord(folder), range, frame, loop ? 1 : 0, now ? 1 : 0};
        const std::int32_t code = effect->Setup(&m_scheduler, &m_screen[0], words);
        if (code != 0) {
            effect->DeletingDestructor(1);
            return code;
        }
        m_effect.Reset(effect);
        return 0;
    }
    std::int32_t Change(std::int32_t code, std::int32_t a = 0, std::int32_t b = 0) {
        const std::int32_t words[3] = {code, a, b};
        return m_effect->ChangeParams(words);
    }
    std::int32_t Query(std::int32_t which) { return m_effect->Control(&which); }
    static std::int32_t Word(const void* p) { return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p)); }
    std::uint32_t CompositeAt(std::int32_t x, std::int32_t y) {
        return reinterpret_cast<const std::uint32_t*>(m_effect->Composite().Row(y))[x];
    }
    bool CanvasShowsComposite() {
        Surface* source = nullptr;
        CanvasOf(0)->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
        return m_effect && source == &m_effect->Composite();
    }
    // The picture at (0, 0) of the composite, as its letter ('?' for none).
    char Shown() {
        for (int k = 0; k < kPictures; ++k)
            if (CompositeAt(0, 0) == PictureColour(static_cast<char>('A' + k))) return static_cast<char>('A' + k);
        return '?';
    }
    // The letters shown at the steps at t0 + period, t0 + 2 period, ...
    std::string Play(std::uint32_t t0, std::uint32_t period, int steps) {
        std::string shown;
        for (int i = 1; i <= steps; ++i) {
            m_scheduler.RunDue(t0 + i * period);
            shown += m_effect ? Shown() : '-';
        }
        return shown;
    }

    QadAnimation m_qad;
    InlinePreload* m_preload = nullptr;
    TaskPointer<BgAnimeEffect> m_effect;
};

TEST_F(BgAnimeTest, FramesAreDrawnIntoTheCompositeAtTheirPositionsAndTheCanvasShowsIt) {
    Load({Pic('A', 100, 0, 0), Pic('B', 100, 3, 2), Pic('C', 100, 6, 4)});
    ASSERT_EQ(0, Start(0, 0, false, true));
    EXPECT_EQ(BgAnimeEffect::kPlaying, Query(0));
    EXPECT_TRUE(CanvasShowsComposite());
    EXPECT_EQ(PictureColour('A'), CompositeAt(1, 1));
    EXPECT_EQ(0u, CompositeAt(3, 2)) << "B is not drawn yet";
    m_scheduler.RunDue(1000);  // the first step starts the frame's clock
    m_scheduler.RunDue(1099);
    EXPECT_EQ(0, Query(3));
    m_scheduler.RunDue(1100);
    EXPECT_EQ(1, Query(3));
    EXPECT_EQ(PictureColour('B'), CompositeAt(3, 2));
    EXPECT_EQ(PictureColour('B'), CompositeAt(4, 3));
    EXPECT_EQ(PictureColour('A'), CompositeAt(0, 0)) << "earlier frames stay under later ones";
    m_scheduler.RunDue(1200);
    EXPECT_EQ(PictureColour('C'), CompositeAt(7, 5));
    const std::vector<std::uint32_t> view = Rendered(0);
    EXPECT_EQ(PictureColour('A'), view[0]);
    EXPECT_EQ(PictureColour('B'), view[2 * kWidth + 3]);
    EXPECT_EQ(PictureColour('C'), view[5 * kWidth + 7]);
}

TEST_F(BgAnimeTest, TheLoopFlagStartsAgainAtTheFirstFrame) {
    const struct {
        bool loop;
        const char* shown;
        std::uint8_t state;
    } cases[] = {{false, "BCCC", BgAnimeEffect::kStopped}, {true, "BCAB", BgAnimeEffect::kPlaying}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.loop);
        m_scheduler.Clear();
        Load({Pic('A', 100), Pic('B', 100), Pic('C', 100)});
        ASSERT_EQ(0, Start(0, 0, c.loop, true));
        m_scheduler.RunDue(1000);
        EXPECT_EQ(c.shown, Play(1000, 100, 4));
        EXPECT_EQ(c.state, Query(0));
        EXPECT_TRUE(CanvasShowsComposite()) << "the end of the frames keeps the last one shown";
    }
}

TEST_F(BgAnimeTest, CatchUpPassesEveryFrameDueButAtMostOneAfterALongDelay) {
    const struct {
        bool catchUp;
        std::uint32_t late;
        std::int32_t frame;      // the frame shown after the late step
        std::uint32_t nextDue;   // when the frame after it comes
    } cases[] = {
        {false, 250, 1, 1350}, {true, 250, 2, 1300},    // 250 ms late: one frame, or two caught up
        {false, 3000, 1, 4100}, {true, 3000, 1, 4100},  // far behind: one frame either way
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.catchUp << " " << c.late);
        m_scheduler.Clear();
        SetAnimeCatchUp(std::vector<std::int32_t>{c.catchUp ? 1 : 0}.data());
        Load({Pic('A', 100), Pic('B', 100), Pic('C', 100), Pic('D', 100), Pic('E', 100)});
        ASSERT_EQ(0, Start(0, 0, true, true));
        m_scheduler.RunDue(1000);
        m_scheduler.RunDue(1000 + c.late);
        EXPECT_EQ(c.frame, Query(3));
        m_scheduler.RunDue(c.nextDue - 1);
        EXPECT_EQ(c.frame, Query(3));
        m_scheduler.RunDue(c.nextDue);
        EXPECT_EQ(c.frame + 1, Query(3));
    }
}

TEST_F(BgAnimeTest, ALabelLoopRepeatsUntilCode5ReleasesIt) {
    Load({kLabel, Pic('A', 100), Pic('B', 100), kLoopBack, Pic('C', 100), Pic('D', 100)});
    ASSERT_EQ(0, Start(0, 0, false, true));
    EXPECT_EQ('A', Shown());
    m_scheduler.RunDue(1000);
    EXPECT_EQ("BABAB", Play(1000, 100, 5));
    EXPECT_EQ(1, Query(1)) << "looping at the label";
    EXPECT_EQ(0, Change(5));
    EXPECT_EQ(0, Query(1));
    EXPECT_EQ("CDDD", Play(1500, 100, 4));
    EXPECT_EQ(BgAnimeEffect::kStopped, Query(0));
}

TEST_F(BgAnimeTest, CodesThatDoNotFitTheStateAreRefusedAndChangeNothing) {
    Load({Pic('A', 100), Pic('B', 100)});
    ASSERT_EQ(0, Start(-1, 0, false, false));
    EXPECT_EQ(BgAnimeEffect::kStopped, Query(0));
    EXPECT_EQ(3, Change(1)) << "start without a loaded range";
    EXPECT_EQ(3, Change(2)) << "pause while stopped";
    EXPECT_EQ(3, Change(3)) << "resume while stopped";
    EXPECT_EQ(3, Change(5)) << "no label";
    EXPECT_EQ(2, Change(6));
    EXPECT_EQ(2, Change(-1));
    EXPECT_EQ(BgAnimeEffect::kStopped, Query(0));
    EXPECT_FALSE(CanvasShowsComposite());
    EXPECT_EQ(0, Change(0, 0, 1));
    EXPECT_EQ(BgAnimeEffect::kReady, Query(0));
    EXPECT_EQ(1, Query(3)) << "the start frame given";
    EXPECT_EQ(0, Change(1));
    EXPECT_EQ('B', Shown());
    EXPECT_EQ(3, Change(3)) << "resume while playing";
    EXPECT_EQ(0, Change(2));
    EXPECT_EQ(BgAnimeEffect::kPaused, Query(0));
    m_scheduler.RunDue(5000);
    EXPECT_EQ(1, Query(3)) << "paused";
    EXPECT_EQ(0, Change(3));
    EXPECT_EQ(0, Change(4));
    EXPECT_EQ(BgAnimeEffect::kStopped, Query(0));
    EXPECT_FALSE(CanvasShowsComposite()) << "stopping hides the animation";
}

TEST_F(BgAnimeTest, AFrameOfDurationZeroHoldsTheAnimationWhenAStepStartsOnIt) {
    const struct {
        bool catchUp;
        std::int32_t startFrame;
        const char* shown;
    } cases[] = {
        {false, 0, "BBBB"},
        {true, 1, "BBBB"},
        // Catching up, a step passes every frame whose time has come, one of no time included.
        {true, 0, "CACA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.catchUp << " " << c.startFrame);
        m_scheduler.Clear();
        SetAnimeCatchUp(std::vector<std::int32_t>{c.catchUp ? 1 : 0}.data());
        Load({Pic('A', 100), Pic('B', 0), Pic('C', 100)});
        ASSERT_EQ(0, Start(0, c.startFrame, true, true));
        m_scheduler.RunDue(1000);
        EXPECT_EQ(c.shown, Play(1000, 100, 4));
    }
}

TEST_F(BgAnimeTest, QueriesFindTheNextLabelInTheRangeAndTheNextRangeWithOne) {
    Load({Pic('A', 100), Pic('B', 100), kEnd, Pic('C', 100), kEnd, Pic('D', 100), kLabel, Pic('E', 100), kLoopBack}, 3);
    ASSERT_EQ(0, Start(0, 0, false, true));
    EXPECT_EQ(0, Query(2));
    EXPECT_EQ(-1, Query(4)) << "no label left in range 0";
    EXPECT_EQ(2, Query(5)) << "range 1 has none, range 2 has one";
    EXPECT_EQ(-2, Query(6));
    ASSERT_EQ(0, Change(0, 2, 0));
    EXPECT_EQ(5, Query(3));
    EXPECT_EQ(6, Query(4));
    EXPECT_EQ(-1, Query(5)) << "no later range";
}

TEST_F(BgAnimeTest, RangesPlayFromBothRowsOfPreloadSlots) {
    // Three ranges of two pictures each: row 0 is slots 0-1, row 1 slots 2-3.
    Load({Pic('A', 100), Pic('B', 100), Pic('A', 100), kEnd, Pic('C', 100), Pic('D', 100), kEnd, Pic('E', 100),
          Pic('F', 100)},
         3);
    ASSERT_EQ(0, Start(0, 0, true, true));
    EXPECT_EQ(2, m_effect->ImagesPerRow());
    EXPECT_EQ(0, m_effect->RowRange(0));
    EXPECT_EQ(1, m_effect->RowRange(1));
    EXPECT_EQ((std::vector<std::uint16_t>{0, 1, 2, 3}), m_preload->loaded);
    m_scheduler.RunDue(1000);
    EXPECT_EQ("BACDEFABACDE", Play(1000, 100, 12));
    EXPECT_EQ(2, Query(2)) << "E is range 2's";
    EXPECT_EQ(1, m_effect->CurrentRow()) << "the rows alternate: range 2 is in row 1 on the second pass";
}

TEST_F(BgAnimeTest, AnUnknownControlCodeEndsTheEffectWith3) {
    Load({Pic('A', 100), Ctl(7), Pic('B', 100)});
    for (bool catchUp : {false, true}) {
        SCOPED_TRACE(catchUp);
        m_scheduler.Clear();
        SetAnimeCatchUp(std::vector<std::int32_t>{catchUp ? 1 : 0}.data());
        ASSERT_EQ(0, Start(0, 0, false, true));
        EXPECT_EQ(0, m_effect->Step(1000));
        EXPECT_EQ(3, m_effect->Step(1100));
        EXPECT_FALSE(CanvasShowsComposite());
    }
    m_scheduler.Clear();
    ASSERT_EQ(0, Start(0, 0, false, true));
    m_scheduler.RunDue(1000);
    m_scheduler.RunDue(1100);
    EXPECT_FALSE(m_effect) << "the scheduler deleted it";
    Surface* source = nullptr;
    CanvasOf(0)->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(nullptr, source);
}

// A step may pass at most frame-count + 1 frames that take no time in a row.
TEST_F(BgAnimeTest, FramesThatTakeNoTimeCannotHoldAStep) {
    const struct {
        const char* what;
        std::vector<QadFrameSpec> frames;
        bool catchUp;
        std::int32_t result;
    } cases[] = {
        {"a label looping back at once", {Pic('A', 100), kLabel, kLoopBack}, false, -1},
        {"a label looping back at once", {Pic('A', 100), kLabel, kLoopBack}, true, -1},
        {"pictures of no time in a label loop", {Pic('A', 100), kLabel, Pic('B', 0), Pic('C', 0), kLoopBack}, true, -1},
        // Without catch-up a step stops at the next picture, which then holds.
        {"pictures of no time in a label loop", {Pic('A', 100), kLabel, Pic('B', 0), Pic('C', 0), kLoopBack}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << ", catch-up " << c.catchUp);
        m_scheduler.Clear();
        SetAnimeCatchUp(std::vector<std::int32_t>{c.catchUp ? 1 : 0}.data());
        Load(c.frames);
        ASSERT_EQ(0, Start(0, 0, true, true));
        EXPECT_EQ(0, m_effect->Step(1000));
        EXPECT_EQ(c.result, m_effect->Step(1100));
        EXPECT_EQ(c.result == 0, CanvasShowsComposite());
    }
}

TEST_F(BgAnimeTest, FramesThatTakeTimeAreNotLimited) {
    // 40 frames of 10 ms in a label loop, caught up over 990 ms: 99 frames in one step.
    std::vector<QadFrameSpec> frames = {kLabel};
    for (int i = 0; i < 20; ++i) {
        frames.push_back(Pic('A', 10));
        frames.push_back(Pic('B', 10));
    }
    frames.push_back(kLoopBack);
    Load(frames);
    SetAnimeCatchUp(std::vector<std::int32_t>{1}.data());
    ASSERT_EQ(0, Start(0, 0, true, true));
    EXPECT_EQ(1, Query(3));
    EXPECT_EQ(0, m_effect->Step(1000));
    EXPECT_EQ(0, m_effect->Step(1990));
    // 99 frames on from frame 1 through the 40-frame loop: 19 on, frame 20.
    EXPECT_EQ(20, Query(3));
    EXPECT_EQ('B', Shown());
}

TEST_F(BgAnimeTest, TablesAreSizedFromTheRangesNotFromAnUnderstatingHeader) {
    // The header claims one picture slot per range and ranges of one frame.
    Load({Pic('A', 100), Pic('B', 100), Pic('C', 100), Pic('D', 100), Pic('B', 100), Pic('E', 100)}, 1, 1, 1);
    ASSERT_EQ(0, Start(0, 0, false, true));
    EXPECT_EQ(5, m_effect->ImagesPerRow());
    EXPECT_EQ(6, m_effect->MapLength());
    m_scheduler.RunDue(1000);
    EXPECT_EQ("BCDBE", Play(1000, 100, 5));
}

TEST_F(BgAnimeTest, PicturesComeFromAFolderOrAnArchive) {
    for (bool archive : {false, true}) {
        SCOPED_TRACE(archive);
        m_scheduler.Clear();
        if (archive) {
            // Other colours under the same names, in a folder only the archive has.
            testsupport::QpkWriter qpk;
            qpk.Add("PACKED\\A.ELG", PictureFile('C'));
            qpk.Add("PACKED\\B.ELG", PictureFile('D'));
            ASSERT_TRUE(qpk.Write(Game("DATA.QPK")));
            ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 0, false, true, nullptr));
        }
        Load({Pic('A', 100), Pic('B', 100)});
        ASSERT_EQ(0, Start(0, 0, false, true, nullptr, archive ? "PACKED" : "ANIME"));
        std::string shown(1, Shown());
        m_scheduler.RunDue(1000);
        shown += Play(1000, 100, 1);
        EXPECT_EQ(archive ? "CD" : "AB", shown);
    }
}

// Runs the loader on its own thread (left out under the emulation).
TEST_F(BgAnimeTest, TheLoaderThreadFillsBothRows) {
    Load({Pic('A', 100), Pic('B', 100), kEnd, Pic('C', 100), Pic('D', 100)}, 2);
    ASSERT_EQ(0, Start(0, 0, true, true, std::make_unique<PreloadThread>()));
    EXPECT_EQ('A', Shown());
    m_scheduler.RunDue(1000);
    EXPECT_EQ("BCDABC", Play(1000, 100, 6));
}

TEST_F(BgAnimeTest, SetupCodes) {
    Load({Pic('A', 100), kEnd, kLabel, kEnd}, 2);
    auto* effect = new BgAnimeEffect;
    std::int32_t words[6] = {Word(&m_qad), TextWord("ANIME"), -1, 0, 0, 0};
    EXPECT_EQ(1, effect->Setup(nullptr, &m_screen[0], words));
    words[0] = 0;
    EXPECT_EQ(1, effect->Setup(&m_scheduler, &m_screen[0], words)) << "no animation";
    words[0] = Word(&m_qad);
    words[1] = 0;
    EXPECT_EQ(1, effect->Setup(&m_scheduler, &m_screen[0], words)) << "no folder";
    words[1] = TextWord("ANIME");
    ASSERT_EQ(0, m_scheduler.Add(effect, 0, 0, 0));
    EXPECT_EQ(4, effect->Setup(&m_scheduler, &m_screen[0], words)) << "the scheduler refuses it";
    m_scheduler.Clear();
    EXPECT_EQ(3, Start(1, 0, false, true)) << "range 1 has no picture";
    EXPECT_FALSE(CanvasShowsComposite());
    ASSERT_EQ(0, Start(0, 0, false, true));
    EXPECT_EQ(2, m_effect->Setup(&m_scheduler, &m_screen[0], words)) << "set up already";
    m_effect->Finish();
    EXPECT_EQ(BgAnimeEffect::kStopped, Query(0));
    Surface* source = nullptr;
    CanvasOf(0)->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(nullptr, source) << "Finish hides the animation";
}

}  // namespace
