#include "framework/interfaces/task_scheduling.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "framework/interfaces/deleting_destructor.h"
#include "tests/support/fake_clock.h"

using testsupport::FakeClock;

namespace {

// What happened to one task; kept outside the task, which the scheduler deletes.
struct TaskLog {
    std::vector<std::uint32_t> steps;
    int finishes = 0;
    bool deleted = false;
};

class ProbeTask : public WithDeletingDestructor<ProbeTask, ScheduledTask> {
public:
    explicit ProbeTask(TaskLog& log, std::int32_t kind = 0) : m_log(log), m_kind(kind) {}
    ~ProbeTask() { m_log.deleted = true; }

    std::int32_t XM_METHOD Kind() override { return m_kind; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override {
        m_log.steps.push_back(now);
        if (onStep) onStep();
        return finishAfterStep != 0 && static_cast<int>(m_log.steps.size()) >= finishAfterStep;
    }
    void XM_METHOD Finish() override {
        ++m_log.finishes;
        if (onFinish) onFinish();
    }

    std::function<void()> onStep;
    std::function<void()> onFinish;
    int finishAfterStep = 0;  // 0: never reports the end itself

private:
    TaskLog& m_log;
    std::int32_t m_kind;
};

using Times = std::vector<std::uint32_t>;

struct TimingCase {
    const char* name;
    std::uint32_t addedAt;
    std::uint32_t delay;
    std::uint32_t period;
    std::uint32_t count;
    bool catchUp;
    Times runs;
    Times steps;
    bool deleted;
};

void PrintTo(const TimingCase& c, std::ostream* os) { *os << c.name; }

class TaskSchedulerTiming : public ::testing::TestWithParam<TimingCase> {};

TEST_P(TaskSchedulerTiming, StepsAtTheExpectedRuns) {
    const TimingCase& c = GetParam();
    FakeClock clock(c.addedAt);
    TaskScheduler scheduler(clock);
    TaskLog log;
    ASSERT_EQ(TaskScheduler::kAdded, scheduler.Add(new ProbeTask(log), c.delay, c.period, c.count));
    for (std::uint32_t now : c.runs) {
        if (c.catchUp) {
            scheduler.RunDueCatchUp(now);
        } else {
            scheduler.RunDue(now);
        }
    }
    EXPECT_EQ(c.steps, log.steps);
    EXPECT_EQ(c.deleted, log.deleted);
    EXPECT_EQ(c.deleted ? 0 : 1, scheduler.TaskCount());
    EXPECT_EQ(0, log.finishes);  // ending by itself or by count is not a Finish
}

const std::uint32_t kNearWrap = 0xFFFFFFC0u;

INSTANTIATE_TEST_SUITE_P(
    Cases, TaskSchedulerTiming,
    ::testing::Values(
        TimingCase{"NoPeriodNoCountStepsEveryRun", 1000, 0, 0, 0, false, {1000, 1000, 1001, 5000},
                   {1000, 1000, 1001, 5000}, false},
        TimingCase{"NoPeriodCountThreeStepsThreeTimes", 1000, 0, 0, 3, false, {1000, 1000, 1000, 1000},
                   {1000, 1000, 1000}, true},
        TimingCase{"DelayHoldsTheFirstStep", 1000, 50, 0, 0, false, {1000, 1049, 1050}, {1050}, false},
        TimingCase{"PeriodSpacesTheSteps", 1000, 0, 100, 0, false, {1000, 1050, 1099, 1100, 1150, 1200},
                   {1000, 1100, 1200}, false},
        TimingCase{"LateRunDropsMissedPeriods", 1000, 0, 100, 0, false, {1350, 1449, 1450},
                   {1350, 1450}, false},
        TimingCase{"CountEndsAPeriodicTask", 1000, 10, 100, 2, false, {1010, 1110, 1210}, {1010, 1110},
                   true},
        TimingCase{"WrapDoesNotFireEarly", kNearWrap, 0x20, 0x40, 0, false,
                   {0xFFFFFFDFu, 0xFFFFFFE0u, 0xFFFFFFF0u, 0x1F, 0x20}, {0xFFFFFFE0u, 0x20}, false},
        TimingCase{"WrapDoesNotStall", kNearWrap, 0x3F, 0, 0, false, {0xFFFFFFFEu, 0x10, 0x11},
                   {0x10, 0x11}, false},
        TimingCase{"CatchUpStepsEveryMissedPeriod", 1000, 0, 100, 0, true, {1350, 1399, 1400},
                   {1350, 1350, 1350, 1350, 1400}, false},
        TimingCase{"CatchUpStopsAtTheCount", 1000, 0, 100, 3, true, {1500}, {1500, 1500, 1500}, true},
        TimingCase{"CatchUpWithoutPeriodStepsOnce", 1000, 0, 0, 0, true, {1500, 1500}, {1500, 1500},
                   false},
        TimingCase{"CatchUpAcrossTheWrap", kNearWrap, 0x20, 0x40, 0, true, {0x25, 0x5F, 0x60},
                   {0x25, 0x25, 0x60}, false}),
    [](const ::testing::TestParamInfo<TimingCase>& info) { return info.param.name; });

TEST(TaskScheduler, RunDueAndCatchUpLeaveDifferentDueTimes) {
    FakeClock clock(1000);
    TaskScheduler plain(clock);
    TaskScheduler catchingUp(clock);
    TaskLog plainLog, catchUpLog;
    auto* plainTask = new ProbeTask(plainLog);
    auto* catchUpTask = new ProbeTask(catchUpLog);
    plain.Add(plainTask, 0, 100, 0);
    catchingUp.Add(catchUpTask, 0, 100, 0);
    plain.RunDue(1350);
    catchingUp.RunDueCatchUp(1350);
    EXPECT_EQ(1u, plainLog.steps.size());
    EXPECT_EQ(1450u, plainTask->DueTime());
    EXPECT_EQ(4u, catchUpLog.steps.size());
    EXPECT_EQ(1400u, catchUpTask->DueTime());
}

TEST(TaskScheduler, RunWithoutTimeReadsTheClock) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog log;
    scheduler.Add(new ProbeTask(log), 30, 0, 0);
    clock.SetMs(1029);
    scheduler.RunDue(0);
    clock.SetMs(1030);
    scheduler.RunDue(0);
    EXPECT_EQ(Times{1030}, log.steps);
}

TEST(TaskScheduler, AddRefusesNullAndTwice) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog log;
    auto* task = new ProbeTask(log);
    EXPECT_EQ(TaskScheduler::kNullTask, scheduler.Add(nullptr, 0, 0, 0));
    EXPECT_EQ(TaskScheduler::kAdded, scheduler.Add(task, 0, 0, 0));
    EXPECT_EQ(TaskScheduler::kAlreadyQueued, scheduler.Add(task, 0, 0, 0));
    EXPECT_EQ(1, scheduler.TaskCount());
    EXPECT_EQ(task, task->Key());
    EXPECT_TRUE(scheduler.Contains(task));
}

TEST(TaskScheduler, PauseAndResumeShiftTheDueTime) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog log;
    auto* task = new ProbeTask(log);
    scheduler.Add(task, 100, 0, 0);
    clock.SetMs(1020);
    EXPECT_TRUE(scheduler.Pause(task));
    scheduler.RunDue(1300);
    clock.SetMs(1520);
    EXPECT_TRUE(scheduler.Resume(task));
    EXPECT_EQ(1600u, task->DueTime());
    scheduler.RunDue(1599);
    scheduler.RunDue(1600);
    EXPECT_EQ(Times{1600}, log.steps);
}

TEST(TaskScheduler, PausesNestAndKindsSelectTasks) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog seven, eight;
    scheduler.Add(new ProbeTask(seven, 7), 0, 0, 0);
    scheduler.Add(new ProbeTask(eight, 8), 0, 0, 0);
    scheduler.PauseKind(7);
    scheduler.PauseKind(-1);
    scheduler.RunDue(1000);
    EXPECT_TRUE(seven.steps.empty());
    EXPECT_TRUE(eight.steps.empty());
    scheduler.ResumeKind(-1);
    scheduler.RunDue(1000);
    EXPECT_TRUE(seven.steps.empty());  // still paused once
    EXPECT_EQ(1u, eight.steps.size());
    scheduler.ResumeKind(7);
    scheduler.RunDue(1000);
    EXPECT_EQ(1u, seven.steps.size());
}

// A task queued while the others were paused is not left paused by the resume of everything.
TEST(TaskScheduler, ResumeWithoutPauseLeavesTheTaskRunning) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog early, late;
    scheduler.Add(new ProbeTask(early), 0, 0, 0);
    scheduler.PauseKind(-1);
    scheduler.Add(new ProbeTask(late), 0, 0, 0);
    scheduler.ResumeKind(-1);
    scheduler.RunDue(1000);
    EXPECT_EQ(1u, early.steps.size());
    EXPECT_EQ(1u, late.steps.size());
}

TEST(TaskScheduler, SetNextTimeMovesTheDueTime) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog log;
    auto* task = new ProbeTask(log);
    scheduler.Add(task, 0, 0, 0);
    clock.SetMs(1100);
    scheduler.SetNextTime(task, 25);
    scheduler.RunDue(1124);
    scheduler.RunDue(1125);
    EXPECT_EQ(Times{1125}, log.steps);
}

TEST(TaskScheduler, CancelFinishesOnceAndTheNextRunDeletesEvenWhilePaused) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog log;
    TaskPointer<ProbeTask> owner;
    auto* task = new ProbeTask(log, 5);
    owner.Reset(task);
    scheduler.Add(task, 0, 0, 0);
    scheduler.Pause(task);
    EXPECT_TRUE(scheduler.Cancel(task));
    EXPECT_EQ(1, log.finishes);
    EXPECT_FALSE(owner);
    EXPECT_FALSE(scheduler.Cancel(task));
    scheduler.CancelKind(5);
    EXPECT_EQ(1, log.finishes);
    EXPECT_TRUE(scheduler.Contains(task));
    EXPECT_EQ(nullptr, scheduler.FindByKind(5));
    scheduler.RunDue(1000);
    EXPECT_TRUE(log.deleted);
    EXPECT_TRUE(log.steps.empty());
    EXPECT_FALSE(scheduler.Contains(task));
    scheduler.Clear();
    EXPECT_EQ(1, log.finishes);
}

TEST(TaskScheduler, CancelKindEndsOnlyThatKind) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog a, b, c;
    scheduler.Add(new ProbeTask(a, 10000), 0, 0, 0);
    auto* other = new ProbeTask(b, 10004);
    scheduler.Add(other, 0, 0, 0);
    scheduler.Add(new ProbeTask(c, 10000), 0, 0, 0);
    EXPECT_EQ(other, scheduler.FindByKind(10004));
    scheduler.CancelKind(10000);
    scheduler.RunDue(1000);
    EXPECT_EQ(1, a.finishes);
    EXPECT_EQ(1, c.finishes);
    EXPECT_EQ(0, b.finishes);
    EXPECT_EQ(1u, b.steps.size());
    EXPECT_EQ(1, scheduler.TaskCount());
}

TEST(TaskScheduler, ClearFinishesUnfinishedTasksAndDeletesAll) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog running, cancelled;
    TaskPointer<ProbeTask> owner;
    auto* task = new ProbeTask(running);
    owner.Reset(task);
    scheduler.Add(task, 0, 0, 0);
    auto* done = new ProbeTask(cancelled);
    scheduler.Add(done, 0, 0, 0);
    scheduler.Cancel(done);
    scheduler.Clear();
    EXPECT_EQ(1, running.finishes);
    EXPECT_EQ(1, cancelled.finishes);
    EXPECT_TRUE(running.deleted);
    EXPECT_TRUE(cancelled.deleted);
    EXPECT_FALSE(owner);
    EXPECT_EQ(0, scheduler.TaskCount());
}

// The scheduler's end tells every owner that its task is gone.
TEST(TaskScheduler, DestructionClearsOwnersPointers) {
    FakeClock clock(1000);
    TaskLog log;
    TaskPointer<ProbeTask> owner;
    ProbeTask* plainOwner = nullptr;
    {
        TaskScheduler scheduler(clock);
        owner.Reset(new ProbeTask(log));
        scheduler.Add(owner.Get(), 0, 0, 0);
        plainOwner = new ProbeTask(log);
        plainOwner->SetOwner(&plainOwner);
        scheduler.Add(plainOwner, 0, 0, 0);
    }
    EXPECT_FALSE(owner);
    EXPECT_EQ(nullptr, plainOwner);
    EXPECT_EQ(0, log.finishes);
}

// An owner that goes before the scheduler leaves nothing for the task to write into.
TEST(TaskScheduler, OwnerGoneFirstIsNotWrittenTo) {
    FakeClock clock(1000);
    TaskLog log;
    alignas(TaskPointer<ProbeTask>) unsigned char storage[sizeof(TaskPointer<ProbeTask>)];
    {
        TaskScheduler scheduler(clock);
        auto* owner = new (storage) TaskPointer<ProbeTask>();
        owner->Reset(new ProbeTask(log));
        scheduler.Add(owner->Get(), 0, 0, 0);
        owner->~TaskPointer<ProbeTask>();
        std::memset(storage, 0xAB, sizeof(storage));
    }
    EXPECT_TRUE(log.deleted);
    for (unsigned char byte : storage) EXPECT_EQ(0xAB, byte);
}

// Tasks owning tasks of the same scheduler: either may be deleted first.
TEST(TaskScheduler, TasksOwningEachOtherGoInEitherOrder) {
    for (bool ownerFirst : {true, false}) {
        FakeClock clock(1000);
        TaskLog ownerLog, ownedLog;
        struct OwningTask : WithDeletingDestructor<OwningTask, ProbeTask> {
            using WithDeletingDestructor::WithDeletingDestructor;
            TaskPointer<ProbeTask> owned;
        };
        {
            TaskScheduler scheduler(clock);
            auto* owner = new OwningTask(ownerLog);
            auto* owned = new ProbeTask(ownedLog);
            owner->owned.Reset(owned);
            if (ownerFirst) {
                scheduler.Add(owner, 0, 0, 0);
                scheduler.Add(owned, 0, 0, 0);
            } else {
                scheduler.Add(owned, 0, 0, 0);
                scheduler.Add(owner, 0, 0, 0);
                scheduler.RunDue(1000);
                EXPECT_TRUE(owner->owned);
            }
        }
        EXPECT_TRUE(ownerLog.deleted);
        EXPECT_TRUE(ownedLog.deleted);
    }
}

TEST(TaskScheduler, TaskAddedDuringARunWaitsForTheNextRun) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog adder, added;
    auto* task = new ProbeTask(adder);
    task->finishAfterStep = 1;
    task->onStep = [&] { scheduler.Add(new ProbeTask(added), 0, 0, 0); };
    scheduler.Add(task, 0, 0, 0);
    scheduler.RunDue(1000);
    EXPECT_TRUE(adder.deleted);
    EXPECT_TRUE(added.steps.empty());
    scheduler.RunDueCatchUp(1000);
    EXPECT_EQ(1u, added.steps.size());
}

TEST(TaskScheduler, TaskCancellingOthersDuringARun) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog before, canceller, after;
    auto* first = new ProbeTask(before);
    scheduler.Add(first, 0, 0, 0);
    auto* middle = new ProbeTask(canceller);
    scheduler.Add(middle, 0, 0, 0);
    auto* last = new ProbeTask(after);
    scheduler.Add(last, 0, 0, 0);
    middle->onStep = [&] {
        scheduler.Cancel(first);
        scheduler.Cancel(last);
        scheduler.Cancel(middle);
    };
    scheduler.RunDue(1000);
    EXPECT_EQ(1u, before.steps.size());
    EXPECT_TRUE(after.steps.empty());
    EXPECT_TRUE(after.deleted);
    EXPECT_TRUE(canceller.deleted);
    EXPECT_EQ(1, canceller.finishes);
    EXPECT_FALSE(before.deleted);  // already passed: the next run removes it
    EXPECT_EQ(1, before.finishes);
    scheduler.RunDue(1000);
    EXPECT_TRUE(before.deleted);
    EXPECT_EQ(1u, before.steps.size());
    EXPECT_EQ(0, scheduler.TaskCount());
}

TEST(TaskScheduler, TaskClearingTheSchedulerDuringARun) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog first, clearer, last;
    scheduler.Add(new ProbeTask(first), 0, 0, 0);
    auto* task = new ProbeTask(clearer);
    task->onStep = [&] {
        scheduler.Clear();
        scheduler.RunDue(1000);  // a run inside a run does nothing
    };
    scheduler.Add(task, 0, 0, 0);
    scheduler.Add(new ProbeTask(last), 0, 0, 0);
    scheduler.RunDue(1000);
    EXPECT_EQ(1u, first.steps.size());
    EXPECT_EQ(1u, clearer.steps.size());
    EXPECT_TRUE(last.steps.empty());
    EXPECT_EQ(1, first.finishes);
    EXPECT_EQ(1, clearer.finishes);
    EXPECT_EQ(1, last.finishes);
    EXPECT_TRUE(clearer.deleted);
    EXPECT_TRUE(last.deleted);
    scheduler.RunDue(1000);
    EXPECT_TRUE(first.deleted);
    EXPECT_EQ(0, scheduler.TaskCount());
}

TEST(TaskScheduler, FinishThatQueuesAFollowerSurvivesClear) {
    FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    TaskLog fading, follower;
    auto* task = new ProbeTask(fading);
    task->onFinish = [&] { scheduler.Add(new ProbeTask(follower), 0, 0, 0); };
    scheduler.Add(task, 0, 0, 0);
    scheduler.Clear();
    EXPECT_TRUE(fading.deleted);
    EXPECT_EQ(1, scheduler.TaskCount());
    scheduler.RunDue(1000);
    EXPECT_EQ(1u, follower.steps.size());
}

}  // namespace
