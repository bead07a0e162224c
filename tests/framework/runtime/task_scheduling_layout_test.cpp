// Effect objects of plug-ins are ScheduledTasks built by another compiler, and they queue
// themselves on the scheduler they are given. These tests use both tables and the task's
// fields only the way such a module does: by slot number, __thiscall, and by offset.
#include "framework/interfaces/task_scheduling.h"

#include "framework/interfaces/effect_plugin.h"

#include <gtest/gtest.h>

#include "framework/interfaces/deleting_destructor.h"
#include "tests/support/fake_clock.h"
#include "tests/support/stub_plugin_objects.h"
#include "tests/support/table_slots.h"

using testsupport::FakeClock;
using testsupport::FieldAt;
using testsupport::Slot;
using testsupport::SlotAs;

namespace {

class SlotTask : public WithDeletingDestructor<SlotTask, ScheduledTask> {
public:
    SlotTask(int& steps, int& finishes, bool& deleted)
        : m_steps(steps), m_finishes(finishes), m_deleted(deleted) {}
    ~SlotTask() { m_deleted = true; }
    std::int32_t XM_METHOD Kind() override { return 14003; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override {
        ++m_steps;
        return 0;
    }
    void XM_METHOD Finish() override { ++m_finishes; }

private:
    int& m_steps;
    int& m_finishes;
    bool& m_deleted;
};

class LayoutEffect : public testsupport::StubEffect<LayoutEffect> {
public:
    explicit LayoutEffect(bool& deleted) : m_deleted(deleted) {}
    ~LayoutEffect() { m_deleted = true; }
    std::int32_t XM_METHOD Kind() override { return 14001; }
    std::int32_t XM_METHOD Step(std::uint32_t) override {
        ++m_steps;
        return 0;
    }
    void XM_METHOD Finish() override { ++m_finishes; }
    const char* XM_METHOD Name() override { return "layout"; }
    std::uint8_t XM_METHOD Category() override { return 1; }
    std::int32_t XM_METHOD Prepare(const void*) override { return 0; }
    // Parameter words: delay, period and count of the scheduler's Add.
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer*,
                                 const std::int32_t* params) override {
        return scheduler->Add(this, params[0], params[1], params[2]);
    }

    int m_steps = 0;
    int m_finishes = 0;

private:
    bool& m_deleted;
};

using VoidNoArgs = void(XM_METHOD*)(void*);
using Int32NoArgs = std::int32_t(XM_METHOD*)(void*);
using BoolNoArgs = bool(XM_METHOD*)(void*);
using Int32Time = std::int32_t(XM_METHOD*)(void*, std::uint32_t);
using VoidTime = void(XM_METHOD*)(void*, std::uint32_t);
using AddSlot = std::int32_t(XM_METHOD*)(void*, ScheduledTask*, std::uint32_t, std::uint32_t, std::uint32_t);
using KeySlot = bool(XM_METHOD*)(void*, const void*);
using KindSlot = void(XM_METHOD*)(void*, std::int32_t);
using DestroySlot = void*(XM_METHOD*)(void*, std::uint32_t);
using NameSlot = const char*(XM_METHOD*)(void*);
using SetupSlot = std::int32_t(XM_METHOD*)(void*, TaskScheduler*, ScreenBuffer*, const std::int32_t*);

}  // namespace

TEST(TaskSchedulingLayout, TaskSlotsAndFields) {
    FakeClock clock(5000);
    TaskScheduler scheduler(clock);
    int steps = 0, finishes = 0;
    bool deleted = false;
    auto* task = new SlotTask(steps, finishes, deleted);
    SlotTask* owner = task;
    task->SetOwner(&owner);
    ASSERT_EQ(TaskScheduler::kAdded, scheduler.Add(task, 20, 40, 3));

    EXPECT_EQ(14003, SlotAs<Int32NoArgs>(task, 1)(task));
    EXPECT_EQ(0, SlotAs<Int32Time>(task, 2)(task, 5020));
    EXPECT_EQ(1, steps);
    EXPECT_EQ(0, SlotAs<Int32NoArgs>(task, 4)(task));
    EXPECT_FALSE(SlotAs<BoolNoArgs>(task, 5)(task));
    EXPECT_FALSE(SlotAs<BoolNoArgs>(task, 6)(task));
    SlotAs<VoidTime>(task, 7)(task, 5100);
    SlotAs<VoidTime>(task, 7)(task, 5150);

    // Fields after the table pointer: key, due time, period, count, finished (byte), pause
    // count, pause start, owner back-pointer.
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(task), FieldAt(task, 4));
    EXPECT_EQ(5020u, FieldAt(task, 8));
    EXPECT_EQ(40u, FieldAt(task, 12));
    EXPECT_EQ(3u, FieldAt(task, 16));
    EXPECT_EQ(0, static_cast<const char*>(static_cast<void*>(task))[20]);
    EXPECT_EQ(2u, FieldAt(task, 24));
    EXPECT_EQ(5100u, FieldAt(task, 28));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&owner), FieldAt(task, 32));

    // Resume returns nothing: the due time moves at the last one only.
    SlotAs<VoidTime>(task, 8)(task, 5300);
    EXPECT_EQ(5020u, task->DueTime());
    SlotAs<VoidTime>(task, 8)(task, 5300);
    EXPECT_EQ(5220u, task->DueTime());
    SlotAs<VoidNoArgs>(task, 3)(task);
    EXPECT_EQ(1, finishes);

    int looseSteps = 0, looseFinishes = 0;
    bool looseDeleted = false;
    auto* loose = new SlotTask(looseSteps, looseFinishes, looseDeleted);
    SlotTask* looseOwner = loose;
    loose->SetOwner(&looseOwner);
    SlotAs<DestroySlot>(loose, 0)(loose, xm::kDeleteMemory);
    EXPECT_TRUE(looseDeleted);
    EXPECT_EQ(nullptr, looseOwner);
}

TEST(TaskSchedulingLayout, SchedulerSlots) {
    FakeClock clock(5000);
    int steps = 0, finishes = 0;
    bool deleted = false;
    auto* scheduler = new TaskScheduler(clock);
    auto* task = new SlotTask(steps, finishes, deleted);

    EXPECT_EQ(TaskScheduler::kAdded, SlotAs<AddSlot>(scheduler, 1)(scheduler, task, 0, 0, 0));
    EXPECT_TRUE(SlotAs<KeySlot>(scheduler, 5)(scheduler, task));
    SlotAs<KindSlot>(scheduler, 8)(scheduler, 14003);   // PauseKind
    SlotAs<VoidTime>(scheduler, 12)(scheduler, 5000);   // RunDue
    EXPECT_EQ(0, steps);
    SlotAs<KindSlot>(scheduler, 10)(scheduler, 14003);  // ResumeKind
    SlotAs<VoidTime>(scheduler, 11)(scheduler, 5000);   // RunDueCatchUp
    EXPECT_EQ(1, steps);
    EXPECT_TRUE(SlotAs<KeySlot>(scheduler, 2)(scheduler, task));  // Cancel
    EXPECT_EQ(1, finishes);
    SlotAs<DestroySlot>(scheduler, 0)(scheduler, xm::kDeleteMemory);
    EXPECT_TRUE(deleted);
}

// An effect is a task whose table goes on after the task's last slot: slots 0 to 8 and the
// fields up to offset 32 are the task's, and the scheduler drives the effect through them.
TEST(TaskSchedulingLayout, EffectObjectExtendsTheTaskTable) {
    FakeClock clock(5000);
    int steps = 0, finishes = 0;
    bool taskDeleted = false, effectDeleted = false;
    SlotTask plainTask(steps, finishes, taskDeleted);
    auto* effect = new LayoutEffect(effectDeleted);
    LayoutEffect* owner = effect;
    effect->SetOwner(&owner);
    {
        TaskScheduler scheduler(clock);
        const std::int32_t params[3] = {20, 40, 3};
        ASSERT_EQ(TaskScheduler::kAdded,
                  SlotAs<SetupSlot>(effect, 13)(effect, &scheduler, nullptr, params));
        effect->AddHolder();
        effect->AddHolder();

        for (int slot = 4; slot <= 8; ++slot) {
            EXPECT_EQ(Slot(&plainTask, slot), Slot(effect, slot)) << "slot " << slot;
        }
        EXPECT_EQ(14001, SlotAs<Int32NoArgs>(effect, 1)(effect));
        EXPECT_STREQ("layout", SlotAs<NameSlot>(effect, 9)(effect));

        scheduler.PauseKind(14001);
        EXPECT_EQ(1u, FieldAt(effect, 24));
        EXPECT_EQ(5000u, FieldAt(effect, 28));
        clock.SetMs(5300);
        scheduler.ResumeKind(14001);

        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(effect), FieldAt(effect, 4));
        EXPECT_EQ(5320u, FieldAt(effect, 8));
        EXPECT_EQ(40u, FieldAt(effect, 12));
        EXPECT_EQ(3u, FieldAt(effect, 16));
        EXPECT_EQ(0u, FieldAt(effect, 24));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&owner), FieldAt(effect, 32));
        EXPECT_EQ(2u, FieldAt(effect, 36));
        EXPECT_EQ(1, static_cast<const char*>(static_cast<void*>(effect))[40]);

        scheduler.RunDue(5320);
        EXPECT_EQ(1, effect->m_steps);
        EXPECT_EQ(2u, FieldAt(effect, 16));
        EXPECT_TRUE(scheduler.Cancel(effect));
        EXPECT_EQ(1, effect->m_finishes);
        EXPECT_EQ(1, static_cast<const char*>(static_cast<void*>(effect))[20]);
        EXPECT_EQ(nullptr, owner);
    }
    EXPECT_TRUE(effectDeleted);
}
