// The strip task on a fake clock: cycles forward and back, counted cycles and their end states,
// random cells, pauses between cycles, the owner's and the scheduler's pauses, moving with the
// background restored, a sprite as the target, and the start checks.
#include "scenario/animation/random_strip_animation_task.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/scenario/animation/strip_fixture.h"

namespace {

using animtest::BackgroundAt;
using animtest::CellColour;
using animtest::Change;
using animtest::kCellWidth;
using animtest::kStart;
using animtest::kStripHeight;

class RandomStripTest : public animtest::StripTest {
protected:
    // Starts a task with the scheduler; the scheduler owns it.
    RandomStripAnimationTask* StartTask(std::uint8_t cycles, std::uint32_t basePause = 0,
                                        std::uint32_t pauseRange = 0, bool startWithPause = false,
                                        SubtractiveRandom* generator = nullptr,
                                        Sprite* sprite = nullptr) {
        auto* task = new RandomStripAnimationTask(m_clock);
        const std::int32_t code = task->Start(&m_scheduler, &m_cells, sprite, cycles, basePause,
                                              pauseRange, startWithPause, generator);
        EXPECT_EQ(0, code);
        if (code != 0) {
            delete task;
            return nullptr;
        }
        return task;
    }
};

TEST_F(RandomStripTest, ForwardAndBackRunsOneCycleOverEveryCellAndBack) {
    MakeCells(4, 100, 1, 1, 0);
    RandomStripAnimationTask* task = StartTask(0);
    ASSERT_NE(nullptr, task);
    EXPECT_EQ(700u, task->CycleLength());
    // The next cycle starts on the cell the last one ended with.
    const std::vector<Change> expected = {{0, 0},   {100, 1}, {200, 2}, {300, 3},
                                          {400, 2}, {500, 1}, {600, 0}, {800, 1}};
    EXPECT_EQ(expected, RunUntil(900));
}

TEST_F(RandomStripTest, CountedCyclesEndInTheEndState) {
    struct Case {
        const char* name;
        std::int32_t endMode;
        std::int32_t shown;  // -2: the background put back
    };
    const Case cases[] = {
        {"1 leaves the last cell", 1, 2},
        {"0 draws the first cell", 0, 0},
        {"-1 draws cell 1", -1, 1},
        {"2 erases the strip", 2, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        m_clock.SetMs(kStart);
        MakeCells(3, 100, 0, c.endMode, 0);
        ASSERT_NE(nullptr, StartTask(3));
        RunUntil(900);
        EXPECT_EQ(1, m_scheduler.TaskCount()) << "still in its third cycle at 890 ms";
        EXPECT_EQ(2, Shown());
        RunUntil(910);
        EXPECT_EQ(0, m_scheduler.TaskCount());
        EXPECT_EQ(c.shown, Shown());
        if (c.shown == -2) {
            EXPECT_TRUE(BackgroundShown());
        }
    }
}

TEST_F(RandomStripTest, RandomCellsNeverRepeatAndAnOwnGeneratorIsSeededFromTheClock) {
    for (std::int32_t count : {2, 3, 5}) {
        SCOPED_TRACE(count);
        // The cells drawn at 100 steps of the cell duration.
        auto run = [&](SubtractiveRandom* generator) {
            SetUp();
            m_clock.SetMs(kStart);
            MakeCells(count, 100, 7, 1, 0);
            RandomStripAnimationTask* task = StartTask(0, 0, 0, false, generator);
            std::vector<std::int32_t> cells;
            if (!task) return cells;
            EXPECT_EQ(0u, task->CycleLength());
            m_scheduler.RunDue(kStart);
            for (int i = 0; i < 100; ++i) {
                m_clock.AdvanceMs(100);
                m_scheduler.RunDue(m_clock.Milliseconds());
                cells.push_back(Shown());
            }
            m_scheduler.Clear();
            return cells;
        };
        SubtractiveRandom given;
        given.Seed(kStart);
        const std::vector<std::int32_t> withGiven = run(&given);
        // No generator and no pauses (what the message windows pass): random cells still
        // need one, seeded from the clock as the given one was.
        const std::vector<std::int32_t> withOwn = run(nullptr);
        EXPECT_EQ(withGiven, withOwn);
        ASSERT_EQ(100u, withGiven.size());
        std::set<std::int32_t> seen;
        for (std::size_t i = 0; i < withGiven.size(); ++i) {
            ASSERT_GE(withGiven[i], 0);
            seen.insert(withGiven[i]);
            if (i > 0) {
                ASSERT_NE(withGiven[i - 1], withGiven[i]) << "step " << i;
            }
        }
        EXPECT_EQ(static_cast<std::size_t>(count), seen.size());
    }
}

TEST_F(RandomStripTest, PausesOfBasePlusRandomLengthComeBeforeEachCycle) {
    MakeCells(2, 100, 0, 1, 0);
    SubtractiveRandom generator, twin;
    generator.Seed(11);
    twin.Seed(11);
    RandomStripAnimationTask* task = StartTask(0, 50, 30, true, &generator);
    ASSERT_NE(nullptr, task);
    const std::uint32_t first = 50 + twin.Next() % 30;
    const std::uint32_t second = 50 + twin.Next() % 30;
    EXPECT_EQ(first, task->CurrentPause());
    const std::vector<Change> expected = {{first, 0},
                                          {first + 100, 1},
                                          {first + 200 + second, 0},
                                          {first + 300 + second, 1}};
    EXPECT_EQ(expected, RunUntil(first + second + 350, 1));
}

TEST_F(RandomStripTest, TheOwnersPauseHoldsTheCellAndResumesWhereItWas) {
    MakeCells(4, 100, 0, 1, 0);
    RandomStripAnimationTask* task = StartTask(0);
    ASSERT_NE(nullptr, task);
    EXPECT_EQ((std::vector<Change>{{0, 0}, {100, 1}}), RunUntil(150));
    task->RequestPause();
    EXPECT_TRUE(RunUntil(1150).empty());
    EXPECT_EQ(RandomStripAnimationTask::kPaused, task->PauseState());
    task->RequestResume();
    EXPECT_EQ((std::vector<Change>{{1200, 2}, {1300, 3}}), RunUntil(1350));
    EXPECT_EQ(RandomStripAnimationTask::kNotPaused, task->PauseState());
}

TEST_F(RandomStripTest, APauseBeforeTheFirstStepWaitsForTheResume) {
    MakeCells(4, 100, 0, 1, 0);
    RandomStripAnimationTask* task = StartTask(0);
    ASSERT_NE(nullptr, task);
    task->RequestPause();
    EXPECT_TRUE(RunUntil(500).empty());
    task->RequestResume();
    // The first step after the resume sets the time base.
    EXPECT_EQ((std::vector<Change>{{500, 0}, {600, 1}}), RunUntil(650));
}

TEST_F(RandomStripTest, TheSchedulersPauseAndResumeDrawTheCellAgain) {
    MakeCells(4, 100, 0, 1, 0);
    ASSERT_NE(nullptr, StartTask(0));
    RunUntil(150);
    ASSERT_EQ(1, Shown());
    m_scheduler.PauseKind(RandomStripAnimationTask::kKind);
    // Somebody draws over the strip meanwhile.
    for (std::int32_t y = 3; y < 3 + kStripHeight; ++y)
        for (std::int32_t x = 2; x < 2 + kCellWidth; ++x) m_target.SetPixel(x, y, BackgroundAt(x, y));
    RunUntil(180);
    EXPECT_EQ(-2, Shown()) << "nothing drawn while paused";
    m_scheduler.ResumeKind(RandomStripAnimationTask::kKind);
    m_scheduler.RunDue(m_clock.Milliseconds());
    EXPECT_EQ(1, Shown());
}

TEST_F(RandomStripTest, MoveWithRestorePutsTheBackgroundBack) {
    MakeCells(2, 100, 0, 2, 0);  // end mode 2 keeps a backup of the background
    RandomStripAnimationTask* task = StartTask(0);
    ASSERT_NE(nullptr, task);
    RunUntil(50);
    ASSERT_EQ(0, Shown());
    task->Move(20, 5, true);
    EXPECT_TRUE(BackgroundShown()) << "the old place restored, nothing drawn at the new one yet";
    RunUntil(150);
    EXPECT_EQ(20, m_cells.X());
    EXPECT_EQ(1, Shown());
    // Without restore the drawn cell stays where it was.
    task->Move(30, 1, false);
    EXPECT_EQ(CellColour(1), m_target.GetPixel(20, 5));
    EXPECT_EQ(30, m_cells.X());
    EXPECT_EQ(1, m_cells.Y());
    for (std::int32_t y = 5; y < 5 + kStripHeight; ++y)
        for (std::int32_t x = 20; x < 20 + kCellWidth; ++x) m_target.SetPixel(x, y, BackgroundAt(x, y));
    // Cancelling ends in the end state: the backup taken at (20, 5) is put back at (30, 1).
    EXPECT_TRUE(m_scheduler.Cancel(task));
    m_scheduler.RunDue(m_clock.Milliseconds());
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(BackgroundAt(20, 5), m_target.GetPixel(30, 1));
}

TEST_F(RandomStripTest, ASpritesImageIsTheTargetAndTheSpriteHearsOfTheChange) {
    testsupport::PixelConfigScope library(testsupport::PixelConfig::LibraryPortable);
    ASSERT_TRUE(library.Ready());
    MakeCells(2, 100, 0, 1, 0);
    Image other, screen;
    ASSERT_EQ(0, other.Create(40, 12, 32, 0));
    ASSERT_TRUE(other.FillValue(0, nullptr));  // a new image holds whatever the heap had
    ASSERT_EQ(0, screen.Create(60, 30, 32, 0));
    // The cell image's own target is not drawn into when a sprite is given.
    ASSERT_EQ(0, m_cells.Attach(&m_strip, 2, 100, nullptr, &other, 2, 3, 0, 1, 0));
    Canvas canvas;
    ASSERT_EQ(0, canvas.SetTarget(&screen, false));
    Sprite sprite;
    ASSERT_EQ(0, sprite.SetImage(&m_target, nullptr, 10, 10));
    ASSERT_EQ(0, canvas.Sprites().Add(&sprite, 0, 0));
    canvas.Redraw(nullptr, nullptr, 0, 0);
    EXPECT_EQ(BackgroundAt(2, 3), screen.GetPixel(12, 13));
    ASSERT_NE(nullptr, StartTask(0, 0, 0, false, nullptr, &sprite));
    m_scheduler.RunDue(kStart);
    EXPECT_EQ(0, canvas.Redraw(nullptr, nullptr, 0, 0));
    EXPECT_EQ(CellColour(0), screen.GetPixel(12, 13));
    EXPECT_EQ(0u, other.GetPixel(2, 3));
    m_scheduler.Clear();
}

TEST_F(RandomStripTest, StartRefusals) {
    MakeCells(3, 100, 0, 1, 0);
    CellImage unattached, noDuration;
    ASSERT_EQ(0, noDuration.Attach(&m_strip, 3, 100, nullptr, &m_target, 0, 0, 0, 1, 0));
    ASSERT_EQ(0, noDuration.Setup(3, 0, nullptr, &m_target, 0, 0, 0, 1, 0));
    Sprite noImage;
    struct Case {
        const char* name;
        TaskScheduler* scheduler;
        CellImage* cells;
        Sprite* sprite;
        std::int32_t code;
    };
    const Case cases[] = {
        {"no scheduler", nullptr, &m_cells, nullptr, 1},
        {"no cell image", &m_scheduler, nullptr, nullptr, 1},
        {"a cell image without target", &m_scheduler, &unattached, nullptr, 1},
        {"a cell duration of 0", &m_scheduler, &noDuration, nullptr, 1},
        {"a sprite without image", &m_scheduler, &m_cells, &noImage, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RandomStripAnimationTask task(m_clock);
        EXPECT_EQ(c.code, task.Start(c.scheduler, c.cells, c.sprite, 0, 0, 0, false, nullptr));
    }
    EXPECT_EQ(0, m_scheduler.TaskCount());
    RandomStripAnimationTask* task = StartTask(0);
    ASSERT_NE(nullptr, task);
    EXPECT_EQ(2, task->Start(&m_scheduler, &m_cells, nullptr, 0, 0, 0, false, nullptr))
        << "the scheduler refuses a task it already has";
}

}  // namespace
