// The cel task on a fake clock over QAG data from the animation writer, drawn by a sprite of a
// real canvas: loop counts, catch-up, the next range, start delays, pauses, the start checks,
// and ranges of zero durations under a watchdog.
#include "scenario/animation/cel_animation_task.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "graphics/data/qag_animation.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/animation_file_writer.h"
#include "tools/content/elg_writer.h"
#include "tests/support/fake_clock.h"
#include "tests/support/step_watchdog.h"

namespace {

using testsupport::QagItemSpec;

constexpr std::uint32_t kStart = 5000;
constexpr QagItemSpec kEnd = {-1, 0, 0, 0};

struct Change {
    std::uint32_t at;
    std::int32_t entry;
    bool operator==(const Change& o) const { return at == o.at && entry == o.entry; }
};
void PrintTo(const Change& c, std::ostream* os) { *os << "{" << c.at << ", " << c.entry << "}"; }

class CelAnimationTest : public ::testing::Test {
protected:
    CelAnimationTest() : m_scheduler(m_clock) {}

    void SetUp() override {
        ASSERT_TRUE(m_library.Ready());
        ASSERT_EQ(0, m_host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions,
                                            ElgImageLoader::kTypeString, 1, nullptr, nullptr,
                                            nullptr));
        g_imageLoaderHost = &m_host;
        ASSERT_EQ(0, m_screen.Create(64, 48, 32, 0));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_screen, false));
    }
    void TearDown() override {
        m_scheduler.Clear();
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
    }

    // Four 2 x 2 pictures of their own colour.
    void Load(std::uint16_t ranges, const std::vector<QagItemSpec>& items) {
        std::vector<testsupport::QagImageSpec> images;
        for (std::uint32_t i = 0; i < 4; ++i)
            images.push_back({testsupport::EncodeElgPicture(
                                  32, 2, 2, std::vector<std::uint32_t>(4, 0xFF102030u + i * 0x40)),
                              -1, 0});
        const auto file = testsupport::WriteQag(0, 0, ranges, 0, items, images);
        ASSERT_EQ(0, m_animation.LoadFromMemory(file.bytes.data(), file.bytes.size(), false));
    }
    // Range 0: entries 0-2 (pictures 0-2, 100 ms each, at (i, 2i)); range 1: entry 4 (picture
    // 3, 50 ms).
    void LoadTwoRanges() {
        Load(2, {{0, 100, 0, 0}, {1, 100, 1, 2}, {2, 100, 2, 4}, kEnd, {3, 50, 9, 9}, kEnd});
    }

    std::int32_t Start(std::int32_t range, std::int32_t loops, bool catchUp = true,
                       bool finishWhenHeld = true, bool releaseData = false,
                       std::uint32_t startDelay = 0, std::int32_t x = 0, std::int32_t y = 0) {
        auto* task = new CelAnimationTask;
        const std::int32_t code = task->Start(&m_scheduler, &m_canvas, &m_animation, range, loops,
                                              3, x, y, catchUp, finishWhenHeld, releaseData,
                                              startDelay);
        if (code != 0) {
            delete task;
            return code;
        }
        m_task.Reset(task);
        return 0;
    }

    // Runs the scheduler every `step` ms up to `until` ms after kStart; the entries shown, one
    // per change. m_endedAt: when the task went (0 while it runs).
    std::vector<Change> RunUntil(std::uint32_t until, std::uint32_t step = 10) {
        std::vector<Change> changes;
        while (m_task && m_clock.Milliseconds() - kStart < until) {
            const std::int32_t before = m_task->CurrentEntry();
            m_scheduler.RunDue(m_clock.Milliseconds());
            if (!m_task) {
                m_endedAt = m_clock.Milliseconds() - kStart;
                break;
            }
            if (m_task->CurrentEntry() != before)
                changes.push_back({m_clock.Milliseconds() - kStart, m_task->CurrentEntry()});
            m_clock.AdvanceMs(step);
        }
        return changes;
    }
    void StepAt(std::uint32_t at) {
        m_clock.SetMs(kStart + at);
        m_scheduler.RunDue(m_clock.Milliseconds());
    }

    testsupport::PixelConfigScope m_library{testsupport::PixelConfig::LibraryPortable};
    ImageLoaderHost m_host;
    testsupport::FakeClock m_clock{kStart};
    Image m_screen;
    Canvas m_canvas;
    QagAnimation m_animation;
    TaskScheduler m_scheduler;
    TaskPointer<CelAnimationTask> m_task;
    std::uint32_t m_endedAt = 0;
};

TEST_F(CelAnimationTest, LoopCounts) {
    struct Case {
        const char* name;
        std::int32_t loops;
        bool finishWhenHeld;
        std::vector<Change> changes;
        std::uint32_t endedAt;  // 0: still running at 1000 ms
    };
    const Case cases[] = {
        {"loops 2 plays the range twice and ends", 2, true,
         {{100, 1}, {200, 2}, {300, 0}, {400, 1}, {500, 2}}, 600},
        {"loops 0 holds the last entry", 0, false, {{100, 1}, {200, 2}}, 0},
        {"loops 0 with finish-when-held ends at the next step", 0, true, {{100, 1}, {200, 2}}, 310},
        {"loops -1 repeats", -1, true,
         {{100, 1}, {200, 2}, {300, 0}, {400, 1}, {500, 2}, {600, 0}, {700, 1}, {800, 2}, {900, 0}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_clock.SetMs(kStart);
        m_endedAt = 0;
        LoadTwoRanges();
        ASSERT_EQ(0, Start(0, c.loops, true, c.finishWhenHeld));
        EXPECT_EQ(1, m_canvas.Sprites().Count());
        EXPECT_EQ(c.changes, RunUntil(1000));
        EXPECT_EQ(c.endedAt, m_endedAt);
        if (c.endedAt != 0) {
            EXPECT_EQ(0, m_canvas.Sprites().Count()) << "the sprite leaves with the task";
        } else {
            EXPECT_EQ(c.loops == 0 ? CelAnimationTask::kHolding : CelAnimationTask::kRunning,
                      m_task->State());
        }
        m_scheduler.Clear();
    }
}

TEST_F(CelAnimationTest, ALateStepCatchesUpOnlyWithCatchUp) {
    struct Case {
        bool catchUp;
        std::int32_t at500;
        std::int32_t at700;
    };
    // Durations 100, 150, 100, 200, 100, 100: 500 ms cover the first three entries.
    const Case cases[] = {{true, 3, 5}, {false, 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catchUp ? "catch-up" : "one entry per step");
        m_clock.SetMs(kStart);
        Load(1, {{0, 100, 0, 0}, {1, 150, 1, 1}, {2, 100, 2, 2}, {3, 200, 3, 3}, {0, 100, 4, 4},
                 {1, 100, 5, 5}, kEnd});
        ASSERT_EQ(0, Start(0, -1, c.catchUp, true, false, 0, 10, 20));
        StepAt(0);
        StepAt(500);
        EXPECT_EQ(c.at500, m_task->CurrentEntry());
        const QagItem& shown = m_animation.Item(c.at500);
        EXPECT_EQ(&m_animation.ImageAt(shown.image), m_task->GetSprite().GetImage());
        EXPECT_EQ(shown.x + 10, m_task->GetSprite().X());
        EXPECT_EQ(shown.y + 20, m_task->GetSprite().Y());
        StepAt(510);
        EXPECT_EQ(c.at500, m_task->CurrentEntry());
        StepAt(700);
        EXPECT_EQ(c.at700, m_task->CurrentEntry());
        m_scheduler.Clear();
    }
}

TEST_F(CelAnimationTest, TheNextRangeFollowsTheCurrentOne) {
    LoadTwoRanges();
    ASSERT_EQ(0, Start(0, -1));
    RunUntil(150);
    m_task->RequestNextRange(1);
    EXPECT_EQ((std::vector<Change>{{200, 2}, {300, 4}}), RunUntil(340));
    ASSERT_TRUE(m_task);
    EXPECT_EQ(1, m_task->Range());
    RunUntil(400);
    EXPECT_EQ(350u, m_endedAt) << "range 1 played once";
}

TEST_F(CelAnimationTest, AMissingNextRangeEndsTheTaskAndReleasesTheData) {
    // Range 1 exists but starts with its end mark; range 2 does not exist.
    Load(2, {{0, 100, 0, 0}, kEnd, kEnd});
    m_animation.refCount = 1;
    ASSERT_EQ(0, Start(0, -1, true, true, true));
    RunUntil(50);
    m_task->RequestNextRange(1);
    RunUntil(300);
    EXPECT_EQ(100u, m_endedAt);
    EXPECT_EQ(0, m_animation.refCount) << "the reference given up";
    LoadTwoRanges();
    m_animation.refCount = 1;
    m_clock.SetMs(kStart);
    m_endedAt = 0;
    ASSERT_EQ(0, Start(1, -1, true, true, true));
    RunUntil(20);
    m_task->RequestNextRange(1);
    RunUntil(300);
    EXPECT_EQ(50u, m_endedAt);
    EXPECT_EQ(0, m_animation.refCount);
}

TEST_F(CelAnimationTest, AStartDelayHidesTheSpriteUntilItHasPassed) {
    LoadTwoRanges();
    ASSERT_EQ(0, Start(0, -1, true, true, false, 250));
    EXPECT_FALSE(m_task->GetSprite().IsVisible());
    StepAt(0);
    StepAt(240);
    EXPECT_FALSE(m_task->GetSprite().IsVisible());
    EXPECT_EQ(0, m_task->CurrentEntry());
    StepAt(250);
    EXPECT_TRUE(m_task->GetSprite().IsVisible());
    StepAt(340);
    EXPECT_EQ(0, m_task->CurrentEntry());
    StepAt(350);
    EXPECT_EQ(1, m_task->CurrentEntry());
}

TEST_F(CelAnimationTest, APausedCelShowsTheSameEntryWhenResumed) {
    LoadTwoRanges();
    ASSERT_EQ(0, Start(0, -1));
    RunUntil(150);
    ASSERT_EQ(1, m_task->CurrentEntry());
    m_scheduler.PauseKind(CelAnimationTask::kKind);
    EXPECT_TRUE(RunUntil(1150).empty());
    m_scheduler.ResumeKind(CelAnimationTask::kKind);
    // Shown at 100 and paused for 1000 ms: the next entry is due at 1200.
    EXPECT_EQ((std::vector<Change>{{1200, 2}}), RunUntil(1250));
}

TEST_F(CelAnimationTest, StartRefusals) {
    Load(3, {{0, 100, 0, 0}, kEnd, {1, 100, 0, 0}, kEnd, kEnd});
    CelAnimationTask task;
    EXPECT_EQ(1, task.Start(nullptr, &m_canvas, &m_animation, 0, 1, 0, 0, 0, true, true, false, 0));
    EXPECT_EQ(1, task.Start(&m_scheduler, nullptr, &m_animation, 0, 1, 0, 0, 0, true, true, false, 0));
    EXPECT_EQ(1, task.Start(&m_scheduler, &m_canvas, nullptr, 0, 1, 0, 0, 0, true, true, false, 0));
    EXPECT_EQ(2, Start(-1, 1));
    EXPECT_EQ(2, Start(3, 1));
    EXPECT_EQ(3, Start(2, 1)) << "a range that starts with its end mark";
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(0, m_canvas.Sprites().Count());
    ASSERT_EQ(0, Start(1, 1));
    EXPECT_EQ(4, m_task->Start(&m_scheduler, &m_canvas, &m_animation, 0, 1, 0, 0, 0, true, true,
                               false, 0));
}

TEST_F(CelAnimationTest, AnEntryNamingAMissingImageKeepsThePictureShown) {
    Load(1, {{0, 100, 0, 0}, {7, 100, 0, 0}, {1, 100, 0, 0}, kEnd});  // four images
    ASSERT_EQ(0, Start(0, -1));
    StepAt(0);
    StepAt(100);
    EXPECT_EQ(1, m_task->CurrentEntry());
    EXPECT_EQ(&m_animation.ImageAt(0), m_task->GetSprite().GetImage());
    StepAt(200);
    EXPECT_EQ(&m_animation.ImageAt(1), m_task->GetSprite().GetImage());
}

TEST_F(CelAnimationTest, ARangeOfZeroDurationsPassesAtMostOncePerStep) {
    Load(1, {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, kEnd});
    ASSERT_EQ(0, Start(0, 2));
    testsupport::StepWatchdog watchdog(20000, "a step over entries of duration 0");
    StepAt(0);
    StepAt(10);
    ASSERT_TRUE(m_task) << "one pass, back at the first entry";
    EXPECT_EQ(0, m_task->CurrentEntry());
    EXPECT_EQ(1, m_task->Loops());
    StepAt(20);
    EXPECT_FALSE(m_task) << "the second pass was the last loop";
}

}  // namespace
