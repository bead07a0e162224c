// The engine owns the game's sound manager and hands it the scheduler that runs the sound fades.
#include "game/script/script_engine.h"

#include <gtest/gtest.h>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/task_scheduling.h"
#include "tests/support/fake_clock.h"

namespace {

// Stands in for a music fade: counts the finishes that ending it from outside gives.
class MusicFadeProbe final : public WithDeletingDestructor<MusicFadeProbe, ScheduledTask> {
public:
    explicit MusicFadeProbe(int& finishes) : m_finishes(finishes) {}
    std::int32_t XM_METHOD Kind() override { return kBgmFadeKind; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return 0; }
    void XM_METHOD Finish() override { ++m_finishes; }

private:
    int& m_finishes;
};

TEST(ScriptEngineSound, TheManagerEndsItsFadesOnTheSchedulerTheEngineWasGiven) {
    testsupport::FakeClock clock;
    TaskScheduler scheduler(clock);
    int finishes = 0;
    {
        ScriptEngine engine(&scheduler);
        EXPECT_EQ(&scheduler, engine.Sound().FadeScheduler());
        ASSERT_EQ(TaskScheduler::kAdded, scheduler.Add(new MusicFadeProbe(finishes), 0, 0, 0));
        // Stopping the music ends the music fades queued there.
        engine.Sound().StopBgm();
        EXPECT_EQ(1, finishes);
        scheduler.RunDue(clock.Milliseconds());
        EXPECT_EQ(0, scheduler.TaskCount());
        ASSERT_EQ(TaskScheduler::kAdded, scheduler.Add(new MusicFadeProbe(finishes), 0, 0, 0));
    }
    // So does the engine going, with its manager.
    EXPECT_EQ(2, finishes);
    scheduler.RunDue(clock.Milliseconds());
    EXPECT_EQ(0, scheduler.TaskCount());

    ScriptEngine without;
    EXPECT_EQ(nullptr, without.Sound().FadeScheduler());
}

}  // namespace
