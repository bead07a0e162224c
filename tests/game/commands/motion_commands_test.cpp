// The motion commands (315, 316, 446-450) and the size motion (54): the set-up values each
// command hands a recording motion factory, with the option group present and absent, the power
// texts, the point arrays' bounds and the failure paths; then real motions on a real screen
// device: one moves a sprite, and releasing a moving drawable (270, 202, 200) cancels the motion
// while the drawable is still whole.
#include "game/commands/motion_commands.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/interfaces/deleting_destructor.h"
#include "graphics/device/primitive_sprites.h"
#include "game/commands/surface_resolution.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "tests/game/commands/device_command_fixture.h"
#include "tests/graphics/poisoning_delete.h"

#include <gtest/gtest.h>

namespace {

using testsupport::WordOf;

constexpr std::uint32_t W = 0xFFFF;

// The task a recorded motion puts on the scheduler; counts its deletions.
class RecordedTask final : public WithDeletingDestructor<RecordedTask, ScheduledTask> {
public:
    explicit RecordedTask(int* deleted) : m_deleted(deleted) {}
    ~RecordedTask() { ++*m_deleted; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return 0; }
    void XM_METHOD Finish() override {}

private:
    int* m_deleted;
};

struct Record {
    ScriptMotionKind kind{};
    MotionSetup setup;
    std::string text;
    std::vector<std::int32_t> points;
    TaskScheduler* scheduler = nullptr;
    const void* object = nullptr;
    const void* sprite = nullptr;
};

class RecordingFactory final : public ScriptMotionFactory {
public:
    class Motion final : public ScriptMotion {
    public:
        Motion(RecordingFactory& factory, Record& record)
            : m_factory(factory), m_record(record), m_task(new RecordedTask(&factory.deleted)) {}
        ~Motion() override {
            if (!m_queued) m_task->DeletingDestructor(xm::kDeleteMemory);
        }
        std::int32_t Parse(const char* text) override {
            m_record.text = text;
            return m_factory.parseResult;
        }
        std::int32_t SetPoints(std::int32_t count, const std::int32_t* words) override {
            m_record.points.assign(words, words + 3 * count);
            return 0;
        }
        std::int32_t StartOnObject(TaskScheduler& scheduler, DeviceDrawable* object) override {
            m_record.object = object;
            return Start(scheduler);
        }
        std::int32_t StartOnSprite(TaskScheduler& scheduler, Drawable* sprite) override {
            m_record.sprite = sprite;
            return Start(scheduler);
        }
        ScheduledTask* Task() override { return m_task; }

    private:
        std::int32_t Start(TaskScheduler& scheduler) {
            m_record.scheduler = &scheduler;
            if (m_factory.startResult != 0) return m_factory.startResult;
            m_queued = scheduler.Add(m_task, 0, 0, 0) == TaskScheduler::kAdded;
            return m_queued ? 0 : 2;
        }
        RecordingFactory& m_factory;
        Record& m_record;
        RecordedTask* m_task;
        bool m_queued = false;
    };

    ScriptMotion* Create(ScriptMotionKind kind, const MotionSetup& setup) override {
        records.emplace_back();
        records.back().kind = kind;
        records.back().setup = setup;
        return new Motion(*this, records.back());
    }

    std::vector<Record> records{};
    int deleted = 0;
    std::int32_t parseResult = 0;
    std::int32_t startResult = 0;

    RecordingFactory() { records.reserve(64); }
};

class MotionCommands : public devicetest::DeviceCommandTest {
protected:
    void SetUp() override {
        DeviceCommandTest::SetUp();
        SetScriptMotionFactory(&m_factory);
        ASSERT_EQ(0, m_device.CreateColourRect(&m_rect, 10, 8, 0xFF00FF00, 4, 5));
        m_image = NewImage(10, 8);
        ASSERT_EQ(0, m_device.CreateSprite(&m_sprite, m_image, nullptr, 3, 2));
    }
    void TearDown() override {
        SetScriptMotionFactory(nullptr);
        DeviceCommandTest::TearDown();
    }
    std::uint32_t RectWord() { return WordOf(m_rect); }
    std::uint32_t SpriteWord() { return WordOf(m_sprite); }
    // count triples in the region; their word.
    std::uint32_t Points(const std::vector<std::int32_t>& words) {
        const std::uint32_t at = Out(words.size() * 4);
        std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(at)), words.data(), words.size() * 4);
        return at;
    }
    bool Held(std::uint32_t word) { return m_scheduler.Contains(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word))); }

    RecordingFactory m_factory;
    ColourRectSprite* m_rect = nullptr;
    Image* m_image = nullptr;
    Sprite* m_sprite = nullptr;
};

MotionSetup Values(std::uint32_t segment, std::uint32_t delay, bool show, double power, std::vector<std::uint32_t> options) {
    MotionSetup setup;
    setup.segmentTime = segment;
    setup.delay = delay;
    setup.show = show;
    setup.power = power;
    for (std::size_t i = 0; i < options.size(); ++i) setup.options[i] = options[i];
    return setup;
}

void ExpectSetup(const MotionSetup& expected, const MotionSetup& got, const std::string& name) {
    EXPECT_EQ(expected.segmentTime, got.segmentTime) << name;
    EXPECT_EQ(expected.delay, got.delay) << name;
    EXPECT_EQ(expected.show, got.show) << name;
    EXPECT_EQ(expected.power, got.power) << name;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(expected.options[i], got.options[i]) << name << " option " << i;
}

TEST_F(MotionCommands, EachCommandHandsOverItsSetUpValuesWithAndWithoutTheOptionGroup) {
    const std::uint32_t text = Text("(1,2,3)(4,5,6)");
    const std::uint32_t power = Text("2.5");
    const std::uint32_t points = Points({1, 2, 3, 4, 5, 6});
    struct Case {
        const char* name;
        int opcode;
        std::vector<std::uint32_t> words;
        ScriptMotionKind kind;
        MotionSetup expected;
        bool onSprite;
    };
    const std::uint32_t r = RectWord(), s = SpriteWord();
    const std::vector<Case> cases = {
        {"315 group", 315, {r, 40, text, 7, 1, 0x102, 1, power, 1, 3}, ScriptMotionKind::kPath, Values(40, 7, true, 2.5, {2, 1, 1, 3}), false},
        {"315 defaults", 315, {r, 40, text, 7, 0, W, 1, power, 1, 1}, ScriptMotionKind::kPath, Values(40, 7, false, 0, {1, 0, 0, 0}), false},
        {"316 group", 316, {r, 30, 2, points, 5, 1, 0, 0, power, 0, 1}, ScriptMotionKind::kPath, Values(30, 5, true, 2.5, {0, 0, 0, 1}), false},
        {"316 defaults", 316, {r, 30, 2, points, 5, 1, W, 1, power, 1, 1}, ScriptMotionKind::kPath, Values(30, 5, true, 0, {1, 0, 0, 0}), false},
        {"446 group", 446, {s, 20, text, 0, 0, 2, 0, power, 0, 0}, ScriptMotionKind::kPath, Values(20, 0, false, 2.5, {2, 0, 0, 0}), true},
        {"446 defaults", 446, {s, 20, text, 0, 0, W, 9, power, 9, 9}, ScriptMotionKind::kPath, Values(20, 0, false, 0, {1, 0, 0, 0}), true},
        {"447 group", 447, {s, 20, 2, points, 1, 0, 0, 1, power, 1, 0}, ScriptMotionKind::kPath, Values(20, 1, false, 2.5, {0, 1, 1, 0}), true},
        {"447 defaults", 447, {s, 20, 2, points, 1, 0, W, 1, power, 1, 0}, ScriptMotionKind::kPath, Values(20, 1, false, 0, {1, 0, 0, 0}), true},
        {"448 group", 448, {s, 10, text, 2, 1, 0, 2, 0, 1, power, 1, 0}, ScriptMotionKind::kTrack, Values(10, 2, true, 2.5, {0, 2, 0, 1, 1, 0}), true},
        {"448 defaults", 448, {s, 10, text, 2, 1, W, 0, 0, 0, power, 1, 1}, ScriptMotionKind::kTrack, Values(10, 2, true, 0, {1, 1, 1, 1, 0, 0}), true},
        {"449 group", 449, {s, 10, 2, points, 2, 1, 2, 0, 0, 0, power, 0, 1}, ScriptMotionKind::kTrack, Values(10, 2, true, 2.5, {2, 0, 0, 0, 0, 1}), true},
        {"449 defaults", 449, {s, 10, 2, points, 2, 1, W, 0, 0, 0, power, 0, 1}, ScriptMotionKind::kTrack, Values(10, 2, true, 0, {1, 1, 1, 1, 0, 0}), true},
        {"450 group", 450, {s, 15, text, 3, 0, 0, 1, power, 1, 1}, ScriptMotionKind::kValue, Values(15, 3, false, 2.5, {0, 1, 1, 1}), true},
        {"450 defaults", 450, {s, 15, text, 3, 0, W, 0, power, 1, 1}, ScriptMotionKind::kValue, Values(15, 3, false, 0, {1, 1, 0, 0}), true},
    };
    for (const Case& c : cases) {
        const std::size_t before = m_factory.records.size();
        const std::uint32_t handle = static_cast<std::uint32_t>(Call(c.opcode, c.words));
        ASSERT_EQ(before + 1, m_factory.records.size()) << c.name;
        const Record& record = m_factory.records.back();
        EXPECT_NE(0u, handle) << c.name;
        EXPECT_TRUE(Held(handle)) << c.name;
        EXPECT_EQ(c.kind, record.kind) << c.name;
        ExpectSetup(c.expected, record.setup, c.name);
        EXPECT_EQ(&m_scheduler, record.scheduler) << c.name;
        if (c.onSprite) {
            EXPECT_EQ(static_cast<const void*>(static_cast<Drawable*>(m_sprite)), record.sprite) << c.name;
        } else {
            EXPECT_EQ(static_cast<const void*>(static_cast<DeviceDrawable*>(m_rect)), record.object) << c.name;
        }
        if (c.opcode == 316 || c.opcode == 447 || c.opcode == 449) {
            EXPECT_EQ((std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}), record.points) << c.name;
        } else {
            EXPECT_EQ("(1,2,3)(4,5,6)", record.text) << c.name;
        }
        EXPECT_EQ(0, Call(c.opcode, [&] {
                      auto words = c.words;
                      words[0] = c.onSprite ? RectWord() : SpriteWord();
                      return words;
                  }()))
            << c.name << ": a word of the other family";
    }
    EXPECT_EQ(0, m_factory.deleted);
}

TEST_F(MotionCommands, PowerTextsThatAreNoFiniteNumberGiveLinear) {
    struct Case {
        const char* name;
        std::uint32_t word;
        double power;
    };
    const std::vector<Case> cases = {{"null", 0, 0.0},
                                     {"nan", Text("nan"), 0.0},
                                     {"1e999", Text("1e999"), 0.0},
                                     {"-inf", Text("-inf"), 0.0},
                                     {"no number", Text("fast"), 0.0},
                                     {"forged", 0x00000010, 0.0},
                                     {"negative", Text("-1.5"), -1.5}};
    const std::uint32_t text = Text("(1,2,3)(4,5,6)");
    for (const Case& c : cases) {
        ASSERT_NE(0, Call(446, {SpriteWord(), 20, text, 0, 0, 1, 0, c.word, 0, 0})) << c.name;
        EXPECT_EQ(c.power, m_factory.records.back().setup.power) << c.name;
    }
}

TEST_F(MotionCommands, AFailedParseOrStartLeavesNoTaskAndDeletesTheMotionOnce) {
    const std::uint32_t text = Text("(1,2,3)");
    m_factory.parseResult = 2;
    EXPECT_EQ(0, Call(446, {SpriteWord(), 20, text, 0, 0, W}));
    EXPECT_EQ(1, m_factory.deleted);
    EXPECT_EQ(0, CommandTasks().LiveCount());
    EXPECT_EQ(0, Call(450, {SpriteWord(), 20, 0, 0, 0, W})) << "a null points text";
    EXPECT_EQ(2, m_factory.deleted);

    m_factory.parseResult = 0;
    m_factory.startResult = -2;
    EXPECT_EQ(0, Call(448, {SpriteWord(), 0, text, 0, 0, W}));
    EXPECT_EQ(3, m_factory.deleted);
    EXPECT_EQ(0, CommandTasks().LiveCount());
}

TEST_F(MotionCommands, PointArraysMustLieWholeInScriptMemory) {
    const std::uint32_t points = Points({1, 2, 3, 4, 5, 6});
    const std::uint32_t regionEnd = WordOf(m_region.Bytes()) + commandtest::GuardedRegion::kSize;
    struct Case {
        const char* name;
        std::uint32_t count;
        std::uint32_t array;
    };
    const Case cases[] = {{"count 0", 0, points},
                          {"negative count", 0xFFFFFFFFu, points},
                          {"triples past the region", 2, regionEnd - 20},
                          {"a count whose size passes 32 bits", 0x15555556u, points},
                          {"a null array", 2, 0}};
    for (const Case& c : cases) {
        for (int opcode : {316, 447, 449}) {
            const std::uint32_t target = opcode == 316 ? RectWord() : SpriteWord();
            EXPECT_EQ(0, Call(opcode, {target, 20, c.count, c.array, 0, 0, W})) << c.name << " " << opcode;
        }
    }
    EXPECT_TRUE(m_factory.records.empty()) << "nothing is made";
    EXPECT_NE(0, Call(449, {SpriteWord(), 20, 1, regionEnd - 12, 0, 0, W})) << "the last triple of the region";
}

TEST_F(MotionCommands, StartedMotionsAreFoundBy211AndCancelledBy212) {
    const std::uint32_t handle = static_cast<std::uint32_t>(Call(446, {SpriteWord(), 20, Text("(1,2,3)"), 0, 0, W}));
    ASSERT_NE(0u, handle);
    EXPECT_EQ(1, Call(211, {handle}));
    const std::uint32_t variable = Out(4);
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(variable)), &handle, 4);
    EXPECT_EQ(1, Call(212, {variable}));
    m_scheduler.RunDue(m_clock.Milliseconds());
    EXPECT_EQ(0, Call(211, {handle}));
    EXPECT_EQ(1, m_factory.deleted);
}

TEST_F(MotionCommands, SizeMotionRefusesBadScaleTextsAndBuildsTwoTrackPoints) {
    struct Refused {
        const char* name;
        std::vector<std::uint32_t> words;
    };
    const std::vector<Refused> refused = {
        {"null scale", {SpriteWord(), 0, 100, 0, 0}},
        {"no number", {SpriteWord(), 0, 100, Text("big"), 0}},
        {"nan", {SpriteWord(), 0, 100, Text("nan"), 0}},
        {"1e999", {SpriteWord(), 0, 100, Text("1e999"), 0}},
        {"a scaled size past 32 bits", {SpriteWord(), 0, 100, Text("1e9"), 0}},
        {"mode 2", {SpriteWord(), 2, 100, Text("2"), 0}},
        {"no drawable", {0, 0, 100, Text("2"), 0}},
        {"a forged drawable", {0x5150, 0, 100, Text("2"), 0}},
    };
    for (const Refused& c : refused) EXPECT_EQ(0, Call(54, c.words)) << c.name;
    EXPECT_TRUE(m_factory.records.empty());

    ASSERT_NE(0, Call(54, {SpriteWord(), 0, 301, Text("1.5"), Text("-2")}));
    const Record& grow = m_factory.records.back();
    EXPECT_EQ(ScriptMotionKind::kTrack, grow.kind);
    ExpectSetup(Values(150, 0, false, -2.0, {1, 1, 1, 0, 0, 1}), grow.setup, "grow");
    EXPECT_EQ((std::vector<std::int32_t>{15, 12, 255, 10, 8, 255}), grow.points);

    ASSERT_NE(0, Call(54, {SpriteWord(), 0, 100, Text("0.25"), 0}));
    ExpectSetup(Values(50, 0, false, 0.0, {2, 2, 1, 0, 0, 1}), m_factory.records.back().setup, "shrink");
    ASSERT_NE(0, Call(54, {SpriteWord(), 1, 100, Text("0.25"), 0}));
    EXPECT_EQ(1u, m_factory.records.back().setup.options[0]) << "mode word 1";
}

// ---- Real motions ----

class RealMotionCommands : public MotionCommands {
protected:
    void SetUp() override {
        MotionCommands::SetUp();
        SetScriptMotionFactory(nullptr);
    }
    std::uint32_t Variable(std::uint32_t value) {
        const std::uint32_t at = Out(4);
        std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(at)), &value, 4);
        return at;
    }
    void Run(std::uint32_t ms) {
        m_clock.AdvanceMs(ms);
        m_scheduler.RunDue(m_clock.Milliseconds());
    }
};

TEST_F(RealMotionCommands, APathMotionMovesASprite) {
    const std::uint32_t handle = static_cast<std::uint32_t>(Call(447, {SpriteWord(), 100, 2, Points({13, 2, 255, 13, 22, 255}), 0, 0, W}));
    ASSERT_NE(0u, handle);
    Run(0);  // the first step takes the start time
    Run(50);
    EXPECT_GT(m_sprite->X(), 3);
    EXPECT_LT(m_sprite->X(), 13);
    Run(300);
    EXPECT_EQ(13, m_sprite->X());
    EXPECT_EQ(22, m_sprite->Y());
    EXPECT_EQ(0, Call(211, {handle}));
}

TEST_F(RealMotionCommands, APathMotionMovesASpriteOnACanvas) {
    MemoryScreen* const screen = NewScreen(32, 24);
    Canvas* const canvas = CanvasOfScreen(WordOf(static_cast<Surface*>(screen)));
    ASSERT_NE(nullptr, canvas);
    Image* const picture = NewImage(4, 4);
    picture->FillValue(0xFFFF0000, nullptr);
    Sprite* sprite = nullptr;
    ASSERT_EQ(0, m_device.CreateSprite(&sprite, picture, nullptr, 2, 2));
    ASSERT_EQ(0, canvas->Sprites().Add(sprite, 0, 0));
    Image shot;
    ASSERT_EQ(0, shot.Create(32, 24, 32, 0));
    ASSERT_EQ(0, canvas->Render(&shot, 0, 0, false));
    EXPECT_EQ(0xFF0000u, shot.GetPixel(3, 3) & 0xFFFFFF);

    ASSERT_NE(0, Call(447, {WordOf(sprite), 40, 2, Points({12, 2, 255, 20, 14, 255}), 0, 0, 1, 1, 0, 0, 0}));
    Run(0);
    Run(200);
    ASSERT_EQ(0, canvas->Render(&shot, 0, 0, false));
    EXPECT_EQ(0xFF0000u, shot.GetPixel(21, 15) & 0xFFFFFF) << "the sprite at its last point";
    EXPECT_NE(0xFF0000u, shot.GetPixel(3, 3) & 0xFFFFFF) << "and no longer at its start";
}

TEST_F(RealMotionCommands, AStartWithSegmentTime0SetsTheEndAndAnswers0) {
    EXPECT_EQ(0, Call(447, {SpriteWord(), 0, 1, Points({40, 30, 255}), 0, 0, W}));
    EXPECT_EQ(40, m_sprite->X());
    EXPECT_EQ(0, CommandTasks().LiveCount());
}

// Each release of a moving drawable cancels the motion (its end state applied to the whole
// drawable) before the drawable goes; nothing touches it afterwards.
TEST_F(RealMotionCommands, ReleasingAMovingDrawableCancelsItsMotionFirst) {
    struct Case {
        const char* name;
        std::function<std::int32_t(MotionCommands&, std::uint32_t)> release;
    };
    const std::vector<Case> cases = {
        {"270", [this](MotionCommands&, std::uint32_t word) { return Call(270, {Variable(word)}); }},
        {"202", [this](MotionCommands&, std::uint32_t) { return Call(202, {0, 0}); }},
        {"200", [this](MotionCommands&, std::uint32_t) { return Call(200, {}); }},
    };
    for (const Case& c : cases) {
        ColourRectSprite* rect = nullptr;
        ASSERT_EQ(0, m_device.CreateColourRect(&rect, 6, 6, 0xFF0000FF, 0, 0));
        const std::uint32_t word = WordOf(rect);
        const std::uint32_t handle = static_cast<std::uint32_t>(Call(316, {word, 100, 2, Points({10, 0, 255, 20, 0, 255}), 0, 0, W}));
        ASSERT_NE(0u, handle) << c.name;
        Run(30);
        testsupport::PoisonFreedMemory poison;
        EXPECT_EQ(0, c.release(*this, word)) << c.name;
        EXPECT_EQ(nullptr, m_device.FindDrawable(word)) << c.name;
        EXPECT_GE(poison.FreedAt(rect), 0) << c.name;
        EXPECT_EQ(nullptr, CommandTasks().FindTask(handle)) << c.name << ": the motion still runs on a freed drawable";
        Run(500);
        EXPECT_EQ(0, Call(211, {handle})) << c.name;
        EXPECT_EQ(0, CommandTasks().LiveCount()) << c.name;
    }
}

}  // namespace
