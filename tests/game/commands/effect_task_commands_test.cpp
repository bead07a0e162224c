// The second scheduler's task commands and the named effects (211-221) on the real scheduler
// (fake clock), the real effect registry with the named effects and a fake effect, and screens
// of the real screen device: held and gone tasks, the quake on a screen, refusals, Setup
// failures, the script's word resolver, and releasing objects under running effects while
// freed memory is poisoned.
#include "game/commands/effect_task_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/objects/effect_base.h"
#include "effects/objects/subtractive_random.h"
#include "effects/register_effects.h"
#include "framework/interfaces/deleting_destructor.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "tests/game/commands/device_command_fixture.h"
#include "tests/graphics/poisoning_delete.h"

namespace devicetest {
namespace {

// A task of a chosen kind that counts its steps.
class CountingTask final : public WithDeletingDestructor<CountingTask, ScheduledTask> {
public:
    explicit CountingTask(std::int32_t kind) : m_kind(kind) {}
    std::int32_t XM_METHOD Kind() override { return m_kind; }
    std::int32_t XM_METHOD Step(std::uint32_t) override {
        ++steps;
        return 0;
    }
    void XM_METHOD Finish() override {}
    int steps = 0;

private:
    std::int32_t m_kind;
};

// What the fake effect does and saw.
struct FakePlan {
    std::int32_t setupCode = 0;
    // Joins the scheduler before answering setupCode.
    bool joinFirst = false;
    std::uint8_t busyAtSetup = 0xFF;
    int deletions = 0;
    int finishes = 0;
    bool finishNow = false;
    Sprite* sprite = nullptr;
    ScreenBuffer* screen = nullptr;
    const char* text = nullptr;
    void* out = nullptr;
};
FakePlan g_plan;

// Params: 0 a sprite word, 1 a screen word, 2 a text word, 3 an out word (4 bytes).
class FakeEffect final : public WithDeletingDestructor<FakeEffect, EffectBase> {
public:
    ~FakeEffect() { ++g_plan.deletions; }
    std::int32_t XM_METHOD Kind() override { return 14001; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return g_plan.finishNow ? 1 : 0; }
    void XM_METHOD Finish() override { ++g_plan.finishes; }
    const char* XM_METHOD Name() override { return "fake"; }
    std::uint8_t XM_METHOD Category() override { return 1; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer*, const std::int32_t* params) override {
        g_plan.busyAtSetup = BusyState();
        g_plan.sprite = EffectWords()->ImageSprite(static_cast<std::uint32_t>(params[0]));
        g_plan.screen = EffectWords()->ScreenBufferOf(static_cast<std::uint32_t>(params[1]));
        g_plan.text = EffectWords()->Text(static_cast<std::uint32_t>(params[2]));
        g_plan.out = EffectWords()->OutWord(static_cast<std::uint32_t>(params[3]), 4);
        if (g_plan.joinFirst || g_plan.setupCode == 0) scheduler->Add(this, 0, 0, 0);
        return g_plan.setupCode;
    }
    std::int32_t XM_METHOD ChangeParams(const std::int32_t* params) override { return params[0] * 2; }
    std::int32_t XM_METHOD Control(const std::int32_t* params) override { return params[0] + 100; }
};

EffectObject* XM_CDECL CreateFake(std::int32_t) { return new FakeEffect; }

// The fake's list-taking assist: the sum of its words, -7 when the installed resolver lets a
// forged text through.
std::uint32_t g_forgedText = 0;
std::int32_t XM_CDECL FakeAssist(const std::int32_t* words) {
    if (EffectWords()->Text(g_forgedText) != nullptr) return -7;
    return words[0] + words[1];
}

class EffectTaskCommands : public DeviceCommandTest {
protected:
    void SetUp() override {
        DeviceCommandTest::SetUp();
        g_plan = FakePlan();
        m_random.Seed(20261211);
        SetEffectRandom(&m_random);
        ASSERT_EQ(0, RegisterNamedEffects(m_effects));
        ASSERT_EQ(0, m_effects.RegisterBuiltin(&CreateFake, "fake", 1, nullptr,
                                               reinterpret_cast<EffectAssistFunc>(&FakeAssist), 0));
        for (int n = 0; n < 2; ++n) {
            m_screen[n] = NewScreen(32, 24);
            ASSERT_NE(nullptr, m_screen[n]);
            m_background[n] = NewImage(132, 84);
            ASSERT_TRUE(CanvasOf(n)->SetSource(m_background[n], 50, 30, true));
        }
        ASSERT_EQ(0, BufferOf(0)->SetAlternate(BufferOf(1)));
    }
    void TearDown() override {
        DeviceCommandTest::TearDown();
        SetEffectRandom(nullptr);
    }

    ScreenBuffer* BufferOf(int n) { return static_cast<ScreenBuffer*>(m_screen[n]); }
    Canvas* CanvasOf(int n) { return BufferOf(n)->GetCanvas(); }
    std::uint32_t ScreenWord(int n) { return WordOf(static_cast<Surface*>(m_screen[n])); }
    POINT SourceOf(int n) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        CanvasOf(n)->GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
        return POINT{x, y};
    }
    // A quake of one half wave over a second on screen 0 and its linked screen.
    std::int32_t StartQuake() {
        return Call(218, {ScreenWord(0), Text("quake"), 1, 40, 20, 1000, Text("1"), 0, 1, 1, 0});
    }
    void RunFor(std::uint32_t ms) {
        m_clock.AdvanceMs(ms);
        m_scheduler.RunDue(m_clock.Milliseconds());
    }

    SubtractiveRandom m_random;
    MemoryScreen* m_screen[2] = {};
    Image* m_background[2] = {};
};

TEST_F(EffectTaskCommands, TaskCommandsOnHeldAndGoneTasks) {
    auto* first = new CountingTask(5);
    auto* second = new CountingTask(6);
    ASSERT_EQ(0, m_scheduler.Add(first, 0, 0, 0));
    ASSERT_EQ(0, m_scheduler.Add(second, 0, 0, 0));
    const std::uint32_t a = WordOf(first);
    const std::uint32_t b = WordOf(second);
    testsupport::NoAccessPage forged;
    forged.Revoke();

    EXPECT_EQ(1, Call(211, {a}));
    for (const std::uint32_t none : {0u, forged.Word(), ScreenWord(0)}) {
        EXPECT_EQ(0, Call(211, {none}));
        EXPECT_EQ(0, Call(214, {none}));
        EXPECT_EQ(0, Call(216, {none}));
    }
    EXPECT_EQ(1, Call(214, {a}));
    RunFor(10);
    EXPECT_EQ(0, first->steps) << "paused";
    EXPECT_EQ(1, second->steps);
    EXPECT_EQ(1, Call(216, {a}));
    RunFor(10);
    EXPECT_EQ(1, first->steps);

    EXPECT_EQ(0, Call(215, {6}));
    const int firstBefore = first->steps;
    const int secondBefore = second->steps;
    RunFor(10);
    EXPECT_EQ(secondBefore, second->steps) << "kind 6 paused";
    EXPECT_EQ(firstBefore + 1, first->steps);
    EXPECT_EQ(0, Call(217, {static_cast<std::uint32_t>(-1)}));
    RunFor(10);
    EXPECT_EQ(secondBefore + 1, second->steps) << "every kind resumed";
    EXPECT_EQ(0, Call(215, {static_cast<std::uint32_t>(-1)}));
    const int stepsBefore = first->steps + second->steps;
    RunFor(10);
    EXPECT_EQ(stepsBefore, first->steps + second->steps) << "every kind paused";
    EXPECT_EQ(0, Call(217, {static_cast<std::uint32_t>(-1)}));

    const std::uint32_t variable = Out(4);
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(variable)), &a, 4);
    EXPECT_EQ(1, Call(212, {variable}));
    EXPECT_EQ(0, At(variable));
    RunFor(10);
    EXPECT_EQ(0, Call(211, {a})) << "gone";
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(variable)), &a, 4);
    EXPECT_EQ(0, Call(212, {variable})) << "no longer held";
    EXPECT_EQ(0, At(variable)) << "the variable is cleared all the same";
    EXPECT_EQ(0, Call(212, {0}));
    EXPECT_EQ(0, Call(213, {6}));
    RunFor(10);
    EXPECT_EQ(0, Call(211, {b}));
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(EffectTaskCommands, QuakeShakesTheScreenAndEndsOnItsOwn) {
    const std::int32_t quake = StartQuake();
    ASSERT_NE(0, quake);
    EXPECT_EQ(1, Call(211, {static_cast<std::uint32_t>(quake)}));
    EXPECT_TRUE(CommandTasks().Uses(quake, ScreenWord(0)));
    EXPECT_TRUE(CommandTasks().Uses(quake, WordOf(BufferOf(1))));
    RunFor(0);
    RunFor(500);
    for (int n = 0; n < 2; ++n) {
        const POINT at = SourceOf(n);
        EXPECT_EQ(50 - 40, at.x) << "a half wave peaks mid-way";
        EXPECT_EQ(30 - 20, at.y);
    }
    EXPECT_EQ(-2, Call(220, {static_cast<std::uint32_t>(quake), 1})) << "the quake has no controls";
    RunFor(600);
    RunFor(10);
    for (int n = 0; n < 2; ++n) EXPECT_EQ(50, SourceOf(n).x) << "put back at the end";
    EXPECT_EQ(0, Call(211, {static_cast<std::uint32_t>(quake)}));
    EXPECT_EQ(-1, Call(219, {static_cast<std::uint32_t>(quake), 0})) << "after the end";
    EXPECT_EQ(-1, Call(220, {static_cast<std::uint32_t>(quake), 0}));
    EXPECT_EQ(0, CommandTasks().LiveCount());
}

TEST_F(EffectTaskCommands, RefusedTargetsNamesAndWords) {
    EXPECT_EQ(0, Call(218, {WordOf(m_background[0]), Text("quake"), 1, 40, 20, 1000, 0, 0, 1, 1, 0}))
        << "a software image is no screen";
    EXPECT_EQ(0, Call(218, {ScreenWord(0), Text("no such effect")}));
    EXPECT_EQ(0, Call(218, {ScreenWord(0), 0}));
    EXPECT_EQ(0, Call(218, {0, Text("quake")}));
    EXPECT_EQ(0, m_scheduler.TaskCount());
    auto* task = new CountingTask(14001);
    ASSERT_EQ(0, m_scheduler.Add(task, 0, 0, 0));
    EXPECT_EQ(-1, Call(219, {WordOf(task), 1})) << "a held task that no effect command made";
    EXPECT_EQ(-1, Call(220, {WordOf(task), 1}));
    EXPECT_EQ(-1, Call(219, {0, 1}));
    EXPECT_EQ(-1, Call(221, {Text("quake"), 1, 2})) << "no assist function";
    EXPECT_EQ(-1, Call(221, {Text("unknown"), 1, 2}));
    EXPECT_EQ(-1, Call(221, {0}));
    testsupport::NoAccessPage forged;
    forged.Revoke();
    g_forgedText = forged.Word();
    EXPECT_EQ(7, Call(221, {Text("fake"), 3, 4})) << "the script's resolver is installed around the call";
    EXPECT_EQ(nullptr, EffectWords()->ImageSprite(0)) << "and taken away after it";
}

TEST_F(EffectTaskCommands, FakeEffectSetupOutcomesAndTheBusyOverride) {
    Sprite* sprite = nullptr;
    ASSERT_EQ(0, m_device.CreateSprite(&sprite, m_background[0], nullptr, 0, 0));
    const std::uint32_t out = Out(4);
    testsupport::NoAccessPage forged;
    forged.Revoke();
    struct Case {
        const char* name;
        std::int32_t code;
        bool joinFirst;
        bool redrawOff;
    };
    const Case cases[] = {
        {"set up", 0, false, false},
        {"set up, continuous redrawing off", 0, false, true},
        {"refused", 3, false, false},
        {"refused after joining", 3, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_plan = FakePlan();
        g_plan.setupCode = c.code;
        g_plan.joinFirst = c.joinFirst;
        m_settings.redrawOff = c.redrawOff;
        const std::int32_t effect =
            Call(218, {ScreenWord(1), Text("fake"), WordOf(sprite), ScreenWord(0), Text("words"), out});
        EXPECT_EQ(c.redrawOff ? 0 : 1, g_plan.busyAtSetup);
        EXPECT_EQ(sprite, g_plan.sprite);
        EXPECT_EQ(BufferOf(0), g_plan.screen);
        EXPECT_STREQ("words", g_plan.text);
        EXPECT_EQ(reinterpret_cast<void*>(static_cast<std::uintptr_t>(out)), g_plan.out);
        if (c.code == 0) {
            ASSERT_NE(0, effect);
            EXPECT_TRUE(CommandTasks().Uses(effect, WordOf(sprite)));
            EXPECT_TRUE(CommandTasks().Uses(effect, ScreenWord(0)));
            EXPECT_EQ(8, Call(219, {static_cast<std::uint32_t>(effect), 4}));
            EXPECT_EQ(104, Call(220, {static_cast<std::uint32_t>(effect), 4}));
            EXPECT_EQ(1, Call(214, {static_cast<std::uint32_t>(effect)}));
            EXPECT_EQ(0, Call(213, {14001}));
        } else {
            EXPECT_EQ(0, effect);
        }
        RunFor(10);
        EXPECT_EQ(1, g_plan.deletions) << "deleted once";
        EXPECT_EQ(0, m_scheduler.TaskCount());
        EXPECT_EQ(0, CommandTasks().LiveCount());
    }
    // Words the resolver refuses reach the effect as missing ones.
    g_plan = FakePlan();
    const std::int32_t effect = Call(218, {ScreenWord(1), Text("fake"), ScreenWord(0), WordOf(sprite), forged.Word(),
                                           forged.Word()});
    ASSERT_NE(0, effect);
    EXPECT_EQ(nullptr, g_plan.sprite) << "a screen is no sprite";
    EXPECT_EQ(nullptr, g_plan.screen) << "a sprite is no screen";
    EXPECT_EQ(nullptr, g_plan.text);
    EXPECT_EQ(nullptr, g_plan.out);
    EXPECT_TRUE(m_region.GuardsIntact());
}

// Releasing an object under a running effect cancels the effect first (its end puts the canvases
// back while they are whole); later frames never reach the freed objects, whose memory is
// poisoned.
TEST_F(EffectTaskCommands, ReleasingObjectsUnderRunningEffectsCancelsThemFirst) {
    testsupport::PoisonFreedMemory poison;
    {
        SCOPED_TRACE("the quaking screen");
        const std::int32_t quake = StartQuake();
        ASSERT_NE(0, quake);
        RunFor(0);
        RunFor(300);
        ASSERT_NE(50, SourceOf(1).x);
        ASSERT_EQ(0, m_device.ReleaseImage(m_screen[0]));
        EXPECT_EQ(50, SourceOf(1).x) << "the linked screen is put back";
        EXPECT_EQ(-1, Call(219, {static_cast<std::uint32_t>(quake), 0}));
        for (int frame = 0; frame < 3; ++frame) RunFor(100);
        EXPECT_EQ(0, m_scheduler.TaskCount());
    }
    {
        SCOPED_TRACE("the linked screen");
        m_screen[0] = NewScreen(32, 24);
        ASSERT_TRUE(CanvasOf(0)->SetSource(m_background[0], 50, 30, true));
        ASSERT_EQ(0, BufferOf(0)->SetAlternate(BufferOf(1)));
        const std::int32_t quake = StartQuake();
        ASSERT_NE(0, quake);
        RunFor(0);
        RunFor(300);
        ASSERT_EQ(0, m_device.ReleaseImage(m_screen[1]));
        EXPECT_EQ(50, SourceOf(0).x);
        for (int frame = 0; frame < 3; ++frame) RunFor(100);
        EXPECT_EQ(0, m_scheduler.TaskCount());
    }
    {
        SCOPED_TRACE("a sprite the effect resolved, then every object");
        m_screen[1] = NewScreen(32, 24);
        Sprite* sprite = nullptr;
        ASSERT_EQ(0, m_device.CreateSprite(&sprite, m_background[0], nullptr, 0, 0));
        const std::int32_t fake = Call(218, {ScreenWord(1), Text("fake"), WordOf(sprite), 0, 0, 0});
        ASSERT_NE(0, fake);
        ASSERT_EQ(0, m_device.ReleaseSprite(sprite));
        EXPECT_EQ(1, g_plan.finishes);
        EXPECT_EQ(nullptr, CommandTasks().FindEffect(fake));
        EXPECT_EQ(-1, Call(220, {static_cast<std::uint32_t>(fake), 0}));
        RunFor(10);
        ASSERT_NE(0, Call(218, {ScreenWord(1), Text("fake"), 0, 0, 0, 0}));
        EXPECT_EQ(0, Call(200, {}));
        EXPECT_EQ(2, g_plan.finishes) << "destroying every object ends the effect on a screen first";
        RunFor(10);
        EXPECT_EQ(0, m_scheduler.TaskCount());
    }
}

}  // namespace
}  // namespace devicetest
