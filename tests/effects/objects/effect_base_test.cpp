#include "effects/objects/effect_base.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/plugins/effect_registry.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/sprites/canvas.h"  // completes the screen core's members
#include "graphics/surfaces/screen_core.h"
#include "tests/effects/busy_hooks.h"
#include "tests/support/fake_clock.h"

namespace {

// Joins the scheduler when its first word is 0 (else fails with that code, after calling
// OnCreated as often as the second word says either way), ends at its first step when told to.
class ProbeEffect final : public WithDeletingDestructor<ProbeEffect, EffectBase> {
public:
    std::int32_t XM_METHOD Kind() override { return 14003; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return endAtStep ? 1 : 0; }
    void XM_METHOD Finish() override { ++finishes; }
    const char* XM_METHOD Name() override { return "probe"; }
    std::uint8_t XM_METHOD Category() override { return 3; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer*,
                                 const std::int32_t* params) override {
        if (!params) return 1;
        seenWords[0] = params[0];
        seenWords[1] = params[1];
        for (std::int32_t i = 0; i < params[1]; ++i) OnCreated();
        if (params[0] != 0) return params[0];
        return scheduler->Add(this, 0, 0, 0) == 0 ? 0 : 5;
    }

    bool endAtStep = false;
    std::int32_t seenWords[2] = {-1, -1};
    static inline int finishes = 0;
};

enum class Ending { Step, Cancel, Clear, SchedulerGone, FailedSetup };

const char* EndingName(Ending e) {
    switch (e) {
        case Ending::Step: return "step";
        case Ending::Cancel: return "cancel";
        case Ending::Clear: return "clear";
        case Ending::SchedulerGone: return "scheduler destroyed";
        default: return "failed setup";
    }
}

TEST(EffectBase, StartedAndEndedCountsMatchForEveryWayAnEffectEnds) {
    for (bool counting : {true, false}) {
        for (std::int32_t onCreated : {0, 1, 2}) {
            for (Ending ending : {Ending::Step, Ending::Cancel, Ending::Clear,
                                  Ending::SchedulerGone, Ending::FailedSetup}) {
                SCOPED_TRACE(std::string("counting ") + (counting ? "on" : "off") + ", OnCreated " +
                             std::to_string(onCreated) + "x, ended by " + EndingName(ending));
                effecttest::BusyHooks hooks;
                ProbeEffect::finishes = 0;
                testsupport::FakeClock clock(100);
                auto scheduler = std::make_unique<TaskScheduler>(clock);
                auto* effect = new ProbeEffect;
                EXPECT_EQ(1, effect->BusyState());
                if (!counting) effect->SetBusyState(0);
                EffectObject* holder = effect;
                effect->SetOwner(&holder);
                effect->endAtStep = ending == Ending::Step;
                const std::int32_t failCode = ending == Ending::FailedSetup ? 4 : 0;
                ASSERT_EQ(failCode, effect->SetupV(scheduler.get(), nullptr, failCode, onCreated));
                EXPECT_EQ(failCode, effect->seenWords[0]);
                EXPECT_EQ(onCreated, effect->seenWords[1]);
                const int expected = counting && onCreated > 0 ? 1 : 0;
                EXPECT_EQ(expected, hooks.started);
                EXPECT_EQ(0, hooks.ended);
                EXPECT_EQ(counting ? (onCreated > 0 ? 2 : 1) : 0, effect->BusyState());
                switch (ending) {
                    case Ending::Step: scheduler->RunDue(100); break;
                    case Ending::Cancel: EXPECT_TRUE(scheduler->Cancel(effect)); break;
                    case Ending::Clear: scheduler->Clear(); break;
                    case Ending::SchedulerGone: scheduler.reset(); break;
                    case Ending::FailedSetup: ReleaseObject(effect); break;
                }
                if (scheduler) scheduler->RunDue(200);  // a finished task goes at the next run
                EXPECT_EQ(nullptr, holder);
                EXPECT_EQ(expected, hooks.ended);
                EXPECT_EQ(ending == Ending::Cancel || ending == Ending::Clear ? 1 : 0,
                          ProbeEffect::finishes);
            }
        }
    }
}

TEST(EffectBase, MissingHooksAreSkippedAndLeaveTheEffectUncounted) {
    effecttest::BusyHooks hooks;
    g_effectBeginHook = nullptr;
    auto* effect = new ProbeEffect;
    effect->OnCreated();
    EXPECT_EQ(1, effect->BusyState());
    // The end hook is back by the time the effect goes; it was never counted in.
    g_effectBeginHook = hooks.begin;
    g_effectEndHook = hooks.end;
    effect->SetBusyState(1);
    ReleaseObject(effect);
    EXPECT_EQ(0, hooks.ended);

    // Counted in while both hooks were there, the end hook gone later: nothing is called.
    effect = new ProbeEffect;
    effect->OnCreated();
    EXPECT_EQ(2, effect->BusyState());
    g_effectEndHook = nullptr;
    ReleaseObject(effect);
    EXPECT_EQ(1, hooks.started);
    EXPECT_EQ(0, hooks.ended);
}

TEST(EffectBase, DefaultsAndVariadicForms) {
    ProbeEffect* effect = new ProbeEffect;
    const std::int32_t words[2] = {0, 0};
    EXPECT_EQ(0, effect->Reserved());
    EXPECT_EQ(0, effect->Prepare(words));
    EXPECT_EQ(-2, effect->ChangeParams(words));
    EXPECT_EQ(-2, effect->ChangeParamsV(0, 1));
    EXPECT_EQ(-2, effect->Control(words));
    EXPECT_EQ(-2, effect->ControlV(0, 1));
    // A holder count above 0 is lowered first; the effect goes with the last release.
    effect->AddHolder();
    ReleaseObject(effect);
    EXPECT_EQ(0, effect->Reserved());
    ReleaseObject(effect);
}

TEST(EffectBase, DecimalTextWords) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"0.5", 0.5}, {"-2", -2.0}, {"+1.25e1x", 12.5}, {"3e", 3.0}, {".5", 0.5},
                 {"abc", 0.0}, {"", 0.0}, {"-", 0.0}, {"inf", 0.0}, {"0x10", 0.0},
                 {"7.", 7.0}, {"1e-2", 0.01}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(c.value, ReadEffectReal(static_cast<std::int32_t>(
                                                     reinterpret_cast<std::uintptr_t>(c.text)),
                                                 9.0));
    }
    EXPECT_DOUBLE_EQ(9.0, ReadEffectReal(0, 9.0));
}

}  // namespace
