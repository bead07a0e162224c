// The sprite, sprite-list and canvas commands (402-465) on a real screen device: GDI screens made
// with canvas modes 0 (none), 1 (a canvas) and 2 (a canvas with a second list), software images
// and sprites with the program's pixel library, a kind-2 drawable standing in for the sprite
// movie, and the task table with a task entered by hand.
#include "game/commands/sprite_commands.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "game/commands/command_task_table.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/game/commands/device_command_fixture.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/support/command_doubles.h"
#include "tools/content/demo_pictures.h"

namespace devicetest {
namespace {

constexpr std::uint32_t kAbsent = 0xFFFF;
constexpr std::uint32_t kMinus1 = 0xFFFFFFFFu;

std::uint32_t U(std::int32_t value) { return static_cast<std::uint32_t>(value); }

// Stands in for the sprite movie: a kind-2 drawable of the sprite table.
class MovieDouble final : public Drawable {
public:
    std::int32_t Width() const override { return 8; }
    std::int32_t Height() const override { return 8; }
    std::int32_t Kind() const override { return 2; }
    std::int32_t SetBlendMode(std::uint8_t mode) override { return StoreBlendMode(mode, 3); }
    bool SetSize(std::int32_t, std::int32_t) override { return false; }
    bool InvalidateArea(const RECT&) override { return false; }
    bool HitTest(std::int32_t, std::int32_t, bool) override { return false; }
    std::int32_t Render(Image*, RECT*) override { return 0; }
    void RenderClipped(Image*, const RECT&) override {}
    void Reset() override {}

protected:
    void UpdateBounds() override { m_bounds = RECT{m_x, m_y, m_x + 8, m_y + 8}; }
    bool ShowsSomething() const override { return true; }
};

// A task that, when it ends, reads the sprite it moves (as a motion applies its final state).
class SpriteReadingTask final : public WithDeletingDestructor<SpriteReadingTask, ScheduledTask> {
public:
    explicit SpriteReadingTask(Drawable* target) : m_target(target) {}
    std::int32_t XM_METHOD Kind() override { return 77; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return 0; }
    void XM_METHOD Finish() override {
        seenX = m_target->X();
        ++finishes;
    }
    static std::int32_t seenX;
    static int finishes;

private:
    Drawable* m_target;
};
std::int32_t SpriteReadingTask::seenX = 0;
int SpriteReadingTask::finishes = 0;

class SpriteCommands : public DeviceCommandTest {
protected:
    void SetUp() override {
        DeviceCommandTest::SetUp();
        ASSERT_TRUE(m_kernels.Ready()) << "qmxgl.dll did not load";
        m_picture = NewImage(16, 12);
        for (std::int32_t y = 0; y < 12; ++y)
            for (std::int32_t x = 0; x < 16; ++x) m_picture->SetPixel(x, y, 0xFF000000u | (x << 16) | (y << 8));
        for (std::uint8_t mode = 0; mode < 3; ++mode) {
            GdiScreen* screen = nullptr;
            ASSERT_EQ(0, m_device.CreateGdiScreen(&screen, 64, 48, 32, mode));
            m_screens[mode] = WordOf(static_cast<Surface*>(screen));
        }
    }
    Canvas* CanvasOfMode(int mode) { return m_device.FindScreenBuffer(m_screens[mode])->GetCanvas(); }
    SpriteList* SecondOf(int mode) { return m_device.FindScreenBuffer(m_screens[mode])->GetOverlayList(); }
    std::uint32_t NewSprite(std::int32_t x = 0, std::int32_t y = 0) {
        return U(Call(402, {WordOf(static_cast<Surface*>(m_picture)), 0, 0, 16, 12, U(x), U(y)}));
    }
    std::uint32_t NewFill() { return U(Call(404, {10, 6, 0x80FF0000u, 3, 4})); }
    std::uint32_t NewMovie() {
        auto* movie = new MovieDouble;
        m_device.AdoptSprite(movie);
        return WordOf(static_cast<Drawable*>(movie));
    }
    Drawable* Of(std::uint32_t word) { return m_device.FindSpriteDrawable(word); }
    // Each rectangle of a region.
    template <class Visit>
    static void ForEachRect(const DirtyRegion& region, Visit visit) {
        if (region.Count() == 0) return;
        const RectNode* node = region.Head();
        do {
            visit(RECT{node->left, node->top, node->right, node->bottom});
            node = node->next;
        } while (node && node != region.Head());
    }
    static RECT Union(const DirtyRegion& region) {
        RECT all = {0, 0, 0, 0};
        ForEachRect(region, [&](const RECT& r) { UnionRect(&all, &all, &r); });
        return all;
    }

    Image* m_picture = nullptr;
    std::uint32_t m_screens[3] = {};
};

TEST_F(SpriteCommands, CreationTakesTheSourceRuleAndRefusesWhatItCannotUse) {
    const std::uint32_t whole = U(Call(402, {WordOf(static_cast<Surface*>(m_picture)), kAbsent, 5, 5, 5, 30, 40}));
    ASSERT_NE(0u, whole);
    Sprite* sprite = m_device.FindSprite(whole);
    EXPECT_EQ(16, sprite->Width()) << "65535: the whole image";
    EXPECT_EQ(0, sprite->X()) << "and the position 0, 0 whatever the words";
    EXPECT_EQ(0, sprite->Y());

    const std::uint32_t part = U(Call(402, {WordOf(static_cast<Surface*>(m_picture)), 2, 3, 10, 7, 30, 40}));
    sprite = m_device.FindSprite(part);
    ASSERT_NE(nullptr, sprite);
    EXPECT_EQ(2, sprite->SourceRect().left);
    EXPECT_EQ(7, sprite->SourceRect().bottom);
    EXPECT_EQ(8, sprite->Width());
    EXPECT_EQ(30, sprite->X());
    EXPECT_EQ(40, sprite->Y());

    // A screen's back buffer serves as the image too.
    EXPECT_NE(0, Call(402, {m_screens[1], kAbsent, 0, 0, 0, 0, 0}));

    testsupport::NoAccessPage forged;
    forged.Revoke();
    const std::int32_t before = m_device.SpriteCount();
    for (const std::uint32_t bad : {0u, forged.Word(), whole}) EXPECT_EQ(0, Call(402, {bad, kAbsent, 0, 0, 0, 0, 0}));
    EXPECT_EQ(before, m_device.SpriteCount());

    const std::uint32_t fill = NewFill();
    ASSERT_NE(0u, fill);
    EXPECT_EQ(0x00FF0000u, static_cast<FillRectSprite*>(Of(fill))->Colour());
    EXPECT_EQ(0x80, Of(fill)->Alpha());
    EXPECT_EQ(10, Of(fill)->Width());
    EXPECT_EQ(3, Of(fill)->X());

    const std::uint32_t clone = U(Call(403, {part}));
    ASSERT_NE(0u, clone);
    EXPECT_EQ(30, Of(clone)->X());
    EXPECT_EQ(0, Call(403, {fill})) << "a fill sprite is not cloned";
    EXPECT_EQ(0, Call(403, {NewMovie()}));
    EXPECT_EQ(0, Call(403, {forged.Word()}));
}

TEST_F(SpriteCommands, ReleasesGiveTheirCodesAndKeepOwnersApart) {
    EXPECT_EQ(0, Call(406, {7}));
    const std::uint32_t seven = NewSprite();
    EXPECT_EQ(7, Call(406, {9})) << "the previous key";
    const std::uint32_t nine = NewSprite();
    const std::uint32_t nineFill = NewFill();
    EXPECT_EQ(7, Of(seven)->OwnerKey());

    const std::uint32_t variable = Out(4);
    script_memory::WriteWord(variable, seven);
    EXPECT_EQ(0, Call(408, {variable}));
    EXPECT_EQ(0, At(variable)) << "the variable is cleared";
    EXPECT_EQ(nullptr, Of(seven));
    EXPECT_EQ(1, Call(408, {variable})) << "a null sprite";
    script_memory::WriteWord(variable, seven);
    EXPECT_EQ(2, Call(408, {variable})) << "a released one";
    EXPECT_EQ(U(seven), U(At(variable)));
    ASSERT_TRUE(m_device.Pin(nine));
    script_memory::WriteWord(variable, nine);
    EXPECT_EQ(3, Call(408, {variable})) << "pinned";
    EXPECT_EQ(U(nine), U(At(variable)));
    ASSERT_TRUE(m_device.Unpin(nine));

    const std::uint32_t other = [&] {
        Call(406, {5});
        return NewSprite();
    }();
    EXPECT_EQ(0, Call(407, {9, 0x100}) ) << "the mode counts by its low byte: not inverted";
    EXPECT_EQ(nullptr, Of(nine));
    EXPECT_EQ(nullptr, Of(nineFill));
    ASSERT_NE(nullptr, Of(other));
    Call(406, {9});
    const std::uint32_t nineAgain = NewSprite();
    EXPECT_EQ(0, Call(407, {9, 1})) << "inverted: every other owner";
    EXPECT_EQ(nullptr, Of(other));
    ASSERT_NE(nullptr, Of(nineAgain));
    EXPECT_EQ(0, Call(405, {}));
    EXPECT_EQ(0, m_device.SpriteCount());
}

// Every release path cancels the tasks using the sprite while it is whole: the task's end reads
// the sprite, whose memory would be poisoned after the delete.
TEST_F(SpriteCommands, ReleasesCancelTheSpritesTasksFirst) {
    testsupport::PoisonFreedMemory poison;
    struct Path {
        const char* name;
        std::function<void(std::uint32_t)> release;
    };
    const std::vector<Path> paths = {
        {"408", [this](std::uint32_t word) {
             const std::uint32_t variable = Out(4);
             script_memory::WriteWord(variable, word);
             EXPECT_EQ(0, Call(408, {variable}));
         }},
        {"405", [this](std::uint32_t) { Call(405, {}); }},
        {"407", [this](std::uint32_t) { Call(407, {31, 0}); }},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        Call(406, {31});
        const std::uint32_t word = NewSprite(21, 0);
        auto* task = new SpriteReadingTask(Of(word));
        ASSERT_EQ(0, m_scheduler.Add(task, 0, 0, 0));
        CommandTasks().EnterTask(m_scheduler, task);
        CommandTasks().AddObject(task, word);
        SpriteReadingTask::seenX = 0;
        SpriteReadingTask::finishes = 0;
        path.release(word);
        EXPECT_EQ(nullptr, Of(word));
        EXPECT_EQ(1, SpriteReadingTask::finishes);
        EXPECT_EQ(21, SpriteReadingTask::seenX) << "the task ended before the sprite was freed";
        m_clock.AdvanceMs(10);
        m_scheduler.RunDue(m_clock.Milliseconds());
        EXPECT_EQ(0, m_scheduler.TaskCount());
    }
}

TEST_F(SpriteCommands, ListsOnCanvasModesZeroOneAndTwo) {
    const std::uint32_t a = NewSprite(), b = NewSprite(), fill = NewFill(), movie = NewMovie();
    // Mode 0: no canvas.
    EXPECT_EQ(-1, Call(409, {m_screens[0], a, 1, 0, 0}));
    EXPECT_EQ(-1, Call(410, {m_screens[0], fill, 1, 0, 0}));
    EXPECT_EQ(0, Call(411, {m_screens[0], a}));
    // Mode 1: the canvas's own list only.
    EXPECT_EQ(4, Call(409, {m_screens[1], a, 5, 0, 1})) << "no second list";
    EXPECT_EQ(0, Call(409, {m_screens[1], a, kMinus1, 3, 1})) << "priority -1 ignores tag and flag";
    SpriteListNode* node = CanvasOfMode(1)->Sprites().Find(Of(a));
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(0u, node->priority);
    EXPECT_EQ(0u, node->tag);
    EXPECT_EQ(2, Call(409, {m_screens[1], a, 5, 0, 0})) << "already listed";
    EXPECT_EQ(1, Call(409, {m_screens[1], 0, 5, 0, 0})) << "null";
    EXPECT_EQ(0, Call(410, {m_screens[1], fill, 5, 6, 0}));
    EXPECT_EQ(0, Call(409, {m_screens[1], movie, 5, 6, 0})) << "the movie is served without a kind test";
    // Mode 2: the second list.
    EXPECT_EQ(0, Call(409, {m_screens[2], b, 4, 8, 1}));
    EXPECT_NE(nullptr, SecondOf(2)->Find(Of(b)));
    EXPECT_EQ(nullptr, CanvasOfMode(2)->Sprites().Find(Of(b)));
    EXPECT_EQ(1, Call(414, {m_screens[2], b, 9, 0})) << "found in the second list";
    EXPECT_EQ(9u, SecondOf(2)->Find(Of(b))->priority);
    EXPECT_EQ(1, Call(415, {m_screens[2], b, 2, 0}));
    EXPECT_EQ(0, Call(414, {m_screens[2], a, 2, 0})) << "listed on another screen";
    EXPECT_EQ(2, Call(434, {b})) << "listed and visible";
    EXPECT_EQ(1, Call(411, {m_screens[2], b})) << "removed from the second list";
    EXPECT_EQ(0, Call(411, {m_screens[2], b}));
    EXPECT_EQ(0, Call(434, {b}));
    // 416 empties both lists.
    EXPECT_EQ(0, Call(409, {m_screens[2], b, 4, 8, 1}));
    EXPECT_EQ(0, Call(409, {m_screens[2], NewSprite(), 4, 8, 0}));
    EXPECT_EQ(0, Call(416, {m_screens[2]}));
    EXPECT_EQ(0, CanvasOfMode(2)->Sprites().Count());
    EXPECT_EQ(0, SecondOf(2)->Count());
}

TEST_F(SpriteCommands, MatchingTablesOnBothLists) {
    // Three sprites on mode 2: own list (priority 1, tag 10, owner 3), (2, 20, 4); second list
    // (1, 10, 4).
    std::uint32_t s[3];
    const std::uint32_t placement[3][4] = {{1, 10, 3, 0}, {2, 20, 4, 0}, {1, 10, 4, 1}};
    auto build = [&] {
        Call(405, {});
        for (int i = 0; i < 3; ++i) {
            Call(406, {placement[i][2]});
            s[i] = NewSprite();
            ASSERT_EQ(0, Call(409, {m_screens[2], s[i], placement[i][0], placement[i][1], placement[i][3]}));
        }
    };
    struct Case {
        const char* name;
        int opcode;
        std::vector<std::uint32_t> words;  // after the screen
        bool listed[3];                      // 412/413: still listed; 417: visible
    };
    const Case cases[] = {
        {"412 priority 1", 412, {1, 0}, {false, true, false}},
        {"412 priority 1 inverted", 412, {1, 1}, {true, false, true}},
        {"413 tag 10, any owner", 413, {10, kMinus1, 0}, {false, true, false}},
        {"413 any tag, owner 4", 413, {kMinus1, 4, 0}, {true, false, false}},
        {"413 tag 20, owner 3, inverted", 413, {20, 3, 1}, {true, true, false}},
        {"413 65535 is a tag like any other", 413, {kAbsent, kMinus1, 0}, {true, true, true}},
        {"417 hide priority 1", 417, {0, 1, kMinus1, kMinus1, 0}, {false, true, false}},
        {"417 hide tag 65535: any tag and owner", 417, {0, kMinus1, kAbsent, 3, 0}, {false, false, false}},
        {"417 hide owner 4, inverted", 417, {0, kMinus1, kMinus1, 4, 1}, {false, true, true}},
        {"417 hide tag 20 inverted by the low byte only", 417, {0, kMinus1, 20, kMinus1, 0x100}, {true, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        build();
        std::vector<std::uint32_t> words = {m_screens[2]};
        words.insert(words.end(), c.words.begin(), c.words.end());
        EXPECT_EQ(0, Call(c.opcode, words));
        for (int i = 0; i < 3; ++i) {
            const bool value = c.opcode == 417 ? Of(s[i])->IsVisible() : Of(s[i])->List() != nullptr;
            EXPECT_EQ(c.listed[i], value) << "sprite " << i;
        }
    }
}

TEST_F(SpriteCommands, CanvasSettings) {
    Canvas* canvas = CanvasOfMode(1);
    const std::uint32_t picture = WordOf(static_cast<Surface*>(m_picture));
    testsupport::NoAccessPage forged;
    forged.Revoke();

    EXPECT_EQ(0, Call(418, {m_screens[1], forged.Word(), 0, 0, 1})) << "a surface that does not resolve";
    EXPECT_EQ(1, Call(418, {m_screens[1], picture, 2, 3, 1}));
    EXPECT_EQ(0, Call(418, {m_screens[0], picture, 2, 3, 1})) << "no canvas";
    const std::uint32_t outs = Out(24);
    EXPECT_EQ(1, Call(424, {m_screens[1], outs, 0, outs + 8, 0, 0, outs + 20}));
    EXPECT_EQ(U(picture), U(At(outs)));
    EXPECT_EQ(U(0xEEEEEEEE), U(At(outs + 4))) << "a null out is left";
    EXPECT_EQ(3, At(outs + 8));
    EXPECT_EQ(1, Call(424, {m_screens[1], 0, 0, 0, 0, 0, 0})) << "every out may be null";

    // 419: mode 0 drops the background, mode 1 also repaints all, mode 2 only stores the colour.
    ASSERT_EQ(1, Call(418, {m_screens[1], picture, 0, 0, 0}));
    canvas->ResetDirty();
    EXPECT_EQ(1, Call(419, {m_screens[1], 0x123456, 2}));
    EXPECT_EQ(0x123456u, canvas->Colour());
    EXPECT_EQ(1, Call(424, {m_screens[1], outs, 0, 0, 0, 0, 0}));
    EXPECT_EQ(U(picture), U(At(outs))) << "mode 2 keeps the background";
    EXPECT_EQ(0, canvas->Dirty().Count());
    EXPECT_EQ(1, Call(419, {m_screens[1], 0x654321, 0x100}));
    EXPECT_EQ(1, Call(424, {m_screens[1], outs, 0, 0, 0, 0, 0}));
    EXPECT_EQ(0, At(outs)) << "mode 0 (by the low byte) drops it";
    EXPECT_EQ(0, canvas->Dirty().Count());
    EXPECT_EQ(1, Call(419, {m_screens[1], 0x111111, 1}));
    EXPECT_NE(0, canvas->Dirty().Count());
    EXPECT_EQ(0, Call(419, {m_screens[0], 0, 1}));

    // 420: the same origin changes nothing.
    canvas->ResetDirty();
    EXPECT_EQ(0, Call(420, {m_screens[1], 0, 0}));
    EXPECT_EQ(0, canvas->Dirty().Count());
    EXPECT_EQ(0, Call(420, {m_screens[1], 5, 6})) << "InvalidateAll's result";
    EXPECT_EQ(5, canvas->Origin().x);
    EXPECT_EQ(64, Union(canvas->Dirty()).right) << "the whole canvas";
    EXPECT_EQ(48, Union(canvas->Dirty()).bottom);
    EXPECT_EQ(-1, Call(420, {m_screens[0], 5, 6}));

    // 427: the previous state; 431, 430, 432 store their switches.
    EXPECT_EQ(0, Call(427, {m_screens[1], 1}));
    EXPECT_EQ(1, Call(427, {m_screens[1], 0}));
    EXPECT_EQ(0, Call(427, {forged.Word(), 1}));
    EXPECT_EQ(0, Call(431, {m_screens[1], 1}));
    EXPECT_TRUE(canvas->NoBackground());
    EXPECT_EQ(-1, Call(431, {m_screens[0], 1}));
    EXPECT_EQ(0, Call(430, {m_screens[1], 0, 1}));
    EXPECT_FALSE(canvas->ZeroOffsetX());
    EXPECT_TRUE(canvas->ZeroOffsetY());
    const bool strips = g_stripRedraw;
    EXPECT_EQ(0, Call(432, {0}));
    EXPECT_FALSE(g_stripRedraw);
    g_stripRedraw = strips;

    // 429: -1 for a target that does not resolve, -2 for a screen without a canvas.
    Image* target = NewImage(64, 48);
    EXPECT_EQ(-1, Call(429, {m_screens[1], forged.Word(), 0, 0, 0}));
    EXPECT_EQ(-2, Call(429, {m_screens[0], WordOf(static_cast<Surface*>(target)), 0, 0, 0}));
    EXPECT_EQ(0, Call(429, {m_screens[1], WordOf(static_cast<Surface*>(target)), 0, 0, 0}));
    EXPECT_EQ(-1, Call(428, {m_screens[0]}));
    EXPECT_EQ(-1, Call(425, {m_screens[0]}));
}

// The full-redraw switch repaints the whole canvas; the offset switches draw the background from
// offset 0; both seen in the composed picture.
TEST_F(SpriteCommands, FullRedrawAndOffsetSwitchesShowInThePicture) {
    Canvas* canvas = CanvasOfMode(1);
    Image* target = canvas->Target();
    ASSERT_EQ(1, Call(418, {m_screens[1], WordOf(static_cast<Surface*>(m_picture)), 3, 2, 1}));
    Call(428, {m_screens[1]});
    EXPECT_EQ(0xFF000000u | (3 << 16) | (2 << 8), target->GetPixel(0, 0) | 0xFF000000u);
    EXPECT_EQ(0, Call(430, {m_screens[1], 1, 1}));
    target->FillValue(0, nullptr);
    EXPECT_EQ(-1, Call(428, {m_screens[1]})) << "nothing dirty";
    EXPECT_EQ(0, Call(427, {m_screens[1], 1}));
    EXPECT_EQ(0, Call(428, {m_screens[1]}));
    EXPECT_EQ(0xFF000000u, target->GetPixel(0, 0) | 0xFF000000u) << "offset 0 in both directions";
    EXPECT_EQ(0xFF000000u | (5 << 16) | (4 << 8), target->GetPixel(5, 4) | 0xFF000000u);
}

// The dirty region: a command that changes nothing adds nothing; 441 adds the old and new bounds
// (what the canvas's next redraw repaints).
TEST_F(SpriteCommands, DirtyRegionOfMovesAndUnchangedSettings) {
    Canvas* canvas = CanvasOfMode(1);
    const std::uint32_t sprite = NewSprite(4, 5);
    ASSERT_EQ(0, Call(409, {m_screens[1], sprite, 1, 0, 0}));
    Call(428, {m_screens[1]});
    EXPECT_EQ(0, Call(441, {sprite, 0, 0}));
    EXPECT_EQ(0, Call(452, {sprite, 0, 0, 4, 5}));
    EXPECT_EQ(0, Call(433, {sprite, 1}));
    EXPECT_EQ(-1, Call(428, {m_screens[1]})) << "nothing changed, nothing to repaint";
    EXPECT_EQ(1, Call(441, {sprite, 10, 1}));
    DirtyRegion repainted;
    ASSERT_EQ(0, canvas->Redraw(&repainted, nullptr, 0, 0));
    const RECT all = Union(repainted);
    EXPECT_EQ(4, all.left);
    EXPECT_EQ(5, all.top);
    EXPECT_EQ(14 + 16, all.right);
    EXPECT_EQ(6 + 12, all.bottom);
    std::int64_t area = 0;
    ForEachRect(repainted,
                [&](const RECT& r) { area += static_cast<std::int64_t>(r.right - r.left) * (r.bottom - r.top); });
    EXPECT_LE(area, 2 * 16 * 12) << "the old and the new bounds, nothing more";
    EXPECT_EQ(m_picture->GetPixel(1, 0) | 0xFF000000u, canvas->Target()->GetPixel(15, 6) | 0xFF000000u);
}

// 433-445 over every kind of word: served, or the null column.
TEST_F(SpriteCommands, PropertiesOverEveryKindOfWord) {
    testsupport::NoAccessPage forged;
    forged.Revoke();
    const std::uint32_t stale = NewSprite();
    const std::uint32_t variable = Out(4);
    script_memory::WriteWord(variable, stale);
    ASSERT_EQ(0, Call(408, {variable}));
    const std::uint32_t target = WordOf(static_cast<Surface*>(NewImage(32, 32)));
    struct Word {
        const char* name;
        std::uint32_t word;
        bool live;
    };
    const Word words[] = {{"sprite", NewSprite(2, 3), true},  {"fill", NewFill(), true},
                          {"movie", NewMovie(), true},        {"0", 0, false},
                          {"forged", forged.Word(), false},   {"stale", stale, false}};
    for (const Word& w : words) {
        SCOPED_TRACE(w.name);
        const std::uint32_t s = w.word;
        const std::uint32_t outs = Out(16);
        EXPECT_EQ(0, Call(433, {s, 0}));
        EXPECT_EQ(0, Call(434, {s})) << "in no list";
        EXPECT_EQ(w.live ? 1 : 0, Call(435, {s}));
        EXPECT_EQ(w.live ? 0 : -2, Call(438, {s, 0x180}));
        EXPECT_EQ(w.live ? 0 : -2, Call(437, {s, 2}));
        EXPECT_EQ(w.live ? 1 : 0, Call(441, {s, 1, 1}));
        EXPECT_EQ(w.live ? 1 : 0, Call(444, {s, outs, outs + 4, 0, outs + 12}));
        EXPECT_EQ(w.live ? 1 : 0, Call(436, {s, U(-100), U(-100), 100, 100}));
        EXPECT_EQ(0, Call(436, {s, 200, 200, 300, 300}));
        EXPECT_EQ(0, Call(440, {s, 44})) << "the previous owner";
        EXPECT_EQ(w.live ? 44 : 0, Call(440, {s, 0}));
        EXPECT_EQ(w.live ? 1 : 0, Call(443, {s, s}));
        EXPECT_EQ(w.live ? 0 : -2, Call(445, {target, s}));
        if (w.live) {
            Drawable* d = Of(s);
            EXPECT_FALSE(d->IsVisible());
            EXPECT_EQ(0x80, d->Alpha()) << "the alpha by its low byte";
            RECT bounds;
            d->GetBounds(&bounds);
            EXPECT_EQ(bounds.left, At(outs));
            EXPECT_EQ(bounds.top, At(outs + 4));
            EXPECT_EQ(U(0xEEEEEEEE), U(At(outs + 8)));
            EXPECT_EQ(bounds.bottom, At(outs + 12));
            EXPECT_EQ(-1, Call(445, {forged.Word(), s}));
        }
    }
    EXPECT_TRUE(m_region.GuardsIntact());
}

// 451-465: the sprite-only and fill-only rows refuse the other kinds, and words that name no
// live sprite (0, forged, released), with their null value.
TEST_F(SpriteCommands, KindRowsServeTheirKindsOnly) {
    const std::uint32_t sprite = NewSprite(), fill = NewFill(), movie = NewMovie();
    testsupport::NoAccessPage forged;
    forged.Revoke();
    const std::uint32_t stale = NewSprite();
    const std::uint32_t variable = Out(4);
    script_memory::WriteWord(variable, stale);
    ASSERT_EQ(0, Call(408, {variable}));
    struct Row {
        int opcode;
        std::vector<std::uint32_t> words;  // after the sprite
        std::int32_t onSprite, onFill, onMovie, onNone;
    };
    const Row rows[] = {
        {451, {20, 10}, 1, 1, 0, 0},
        {452, {21, 11, 7, 7}, 1, 1, 0, 0},
        {453, {30, 20}, 0, -2, -2, -2},
        {454, {0, 0, 8, 6}, 0, -1, -1, -1},
        {455, {1, 1}, 0, -1, -1, -1},
        {456, {0x11}, 1, 0, 0, 0},
        {460, {}, 1, 0, 0, 0},
        {462, {1}, 0, 0, 0, 0},
        {463, {0x00FF00}, 0, 1, 0, 0},
        {464, {4, 4}, 0, 1, 0, 0},
        {465, {1, 2, 11, 8}, 0, 1, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.opcode);
        for (auto [word, expected] : {std::pair{sprite, row.onSprite}, {fill, row.onFill}, {movie, row.onMovie},
                                      {0u, row.onNone}, {forged.Word(), row.onNone}, {stale, row.onNone}}) {
            std::vector<std::uint32_t> words = {word};
            words.insert(words.end(), row.words.begin(), row.words.end());
            EXPECT_EQ(expected, Call(row.opcode, words)) << "word " << word;
        }
    }
    auto* f = static_cast<FillRectSprite*>(Of(fill));
    EXPECT_EQ(1, f->X());
    EXPECT_EQ(2, f->Y());
    EXPECT_EQ(10, f->Width()) << "465: right - left";
    EXPECT_EQ(6, f->Height());
    EXPECT_EQ(0, Call(465, {fill, U(INT32_MIN), 0, U(INT32_MAX), 5})) << "a width past 32 bits";
    EXPECT_EQ(1, f->X());
}

TEST_F(SpriteCommands, PivotRotationTextsAndImageReplacement) {
    const std::uint32_t sprite = NewSprite(6, 7);
    Sprite* s = m_device.FindSprite(sprite);
    struct Pivot {
        std::uint32_t anchor;
        POINT expected;
    };
    for (const Pivot& p : {Pivot{3, {16, 12}}, Pivot{4, {8, 6}}, Pivot{0, {0, 0}}, Pivot{5, {9, 2}},
                           Pivot{kMinus1, {3, 1}}}) {
        SCOPED_TRACE(p.anchor);
        EXPECT_EQ(1, Call(457, {sprite, p.anchor, p.anchor <= 4 ? 0u : (p.anchor == 5 ? 9u : 3u),
                                p.anchor <= 4 ? 0u : (p.anchor == 5 ? 2u : 1u)}));
        EXPECT_EQ(p.expected.x, s->Pivot().x);
        EXPECT_EQ(p.expected.y, s->Pivot().y);
    }

    // Texts: 0 is 1.0; "nan", "1e999" and an unreadable word are refused, the sprite unchanged.
    EXPECT_EQ(0, Call(458, {sprite, 0, 0})) << "angle 0, zoom 1.0: unchanged";
    EXPECT_EQ(1, Call(458, {sprite, 128, Text("1.5")}));
    EXPECT_EQ(1.5, s->Zoom());
    EXPECT_EQ(128, s->Angle());
    testsupport::NoAccessPage forged;
    forged.Revoke();
    for (const std::uint32_t bad : {Text("nan"), Text("1e999"), forged.Word()}) {
        EXPECT_EQ(0, Call(458, {sprite, 64, bad}));
        EXPECT_EQ(1.5, s->Zoom());
        EXPECT_EQ(128, s->Angle());
        EXPECT_EQ(2, Call(459, {sprite, bad})) << "the size cannot be worked out";
    }
    EXPECT_EQ(0, Call(459, {sprite, 0}));
    EXPECT_EQ(-2, Call(459, {NewFill(), 0}));
    EXPECT_EQ(0, Call(458, {NewFill(), 0, 0}));

    // 461: -1 keeps the rectangle and position, 65535 the whole image at (0, 0), else the given.
    Image* other = NewImage(20, 20);
    const std::uint32_t otherWord = WordOf(static_cast<Surface*>(other));
    ASSERT_EQ(0, Call(454, {sprite, 2, 2, 10, 8}));
    EXPECT_EQ(0, Call(461, {sprite, otherWord, kMinus1, 0, 0, 0, 50, 50}));
    EXPECT_EQ(other, s->GetImage());
    EXPECT_EQ(2, s->SourceRect().left);
    EXPECT_EQ(8, s->Width());
    EXPECT_EQ(6, s->X());
    EXPECT_EQ(0, Call(461, {sprite, otherWord, kAbsent, 1, 1, 1, 50, 50}));
    EXPECT_EQ(20, s->Width());
    EXPECT_EQ(0, s->X());
    EXPECT_EQ(0, Call(461, {sprite, otherWord, 1, 2, 5, 6, 30, 31}));
    EXPECT_EQ(4, s->Width());
    EXPECT_EQ(31, s->Y());
    EXPECT_EQ(-2, Call(461, {sprite, 0, kAbsent, 0, 0, 0, 0, 0}));
    EXPECT_EQ(-2, Call(461, {sprite, forged.Word(), kAbsent, 0, 0, 0, 0, 0}));
    EXPECT_EQ(-1, Call(461, {NewFill(), otherWord, kAbsent, 0, 0, 0, 0, 0}));
    EXPECT_EQ(-1, Call(461, {forged.Word(), otherWord, kAbsent, 0, 0, 0, 0, 0}));
}

// Outs of 424 and 444 that are no script memory raise the script fault before anything changes.
TEST_F(SpriteCommands, BadOutsRaiseTheScriptFault) {
    testsupport::NoAccessPage forged;
    forged.Revoke();
    const std::uint32_t sprite = NewSprite();
    EXPECT_EQ(0, Call(444, {sprite, 0, forged.Word(), 0, 0}));
    EXPECT_TRUE(TakeScriptFault());
    EXPECT_EQ(0, Call(424, {m_screens[1], 0, 0, 0, forged.Word(), 0, 0}));
    EXPECT_TRUE(TakeScriptFault());
    EXPECT_EQ(1, Call(444, {sprite, 0, 0, 0, 0})) << "null outs are allowed";
    EXPECT_FALSE(TakeScriptFault());
}

// Fixed-seed mutation runs: blocks of random words mixed with live and stale sprites, images,
// screens and forged words, for every opcode of the family; each answers a value and leaves the
// guards around the script region intact.
TEST_F(SpriteCommands, MutationRunsKeepTheGuards) {
    testsupport::NoAccessPage forged;
    forged.Revoke();
    std::uint32_t state = 0x5EED1234u;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state;
    };
    const bool strips = g_stripRedraw;
    for (int round = 0; round < 6; ++round) {
        const std::uint32_t stale = NewSprite();
        const std::uint32_t variable = Out(4);
        script_memory::WriteWord(variable, stale);
        Call(408, {variable});
        ColourRectSprite* drawable = nullptr;
        ASSERT_EQ(0, m_device.CreateColourRect(&drawable, 4, 4, 0xFF00FF00u, 0, 0));
        const std::uint32_t pool[] = {NewSprite(),  NewFill(),   NewMovie(),  stale,       forged.Word(),
                                      WordOf(static_cast<DeviceDrawable*>(drawable)),
                                      m_screens[0], m_screens[1], m_screens[2], WordOf(static_cast<Surface*>(m_picture)),
                                      0,            kAbsent,     kMinus1,     Out(4),      Text("2.5")};
        for (int opcode = 402; opcode <= 465; ++opcode) {
            if (opcode == 439 || (opcode >= 446 && opcode <= 450)) continue;
            for (int trial = 0; trial < 3; ++trial) {
                std::vector<std::uint32_t> words(8);
                for (std::uint32_t& word : words) {
                    const std::uint32_t pick = next();
                    word = pick % 3 == 0 ? pool[(pick >> 8) % (sizeof pool / sizeof pool[0])] : (pick >> 4) % 80;
                }
                Call(opcode, words);
                TakeScriptFault();
                ASSERT_TRUE(m_region.GuardsIntact()) << "opcode " << opcode;
            }
        }
    }
    g_stripRedraw = strips;
}

// The sample game's scene from its two pictures, as its MAIN makes it: the background on a GDI
// screen's canvas, a sprite of the disc listed on it and moved by (3, 1) a frame. The composed
// picture shows the background's colours in its corners and the disc, whole, where it moved.
TEST_F(SpriteCommands, SampleGameSceneComposes) {
    ASSERT_EQ(0, m_host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions, ElgImageLoader::kTypeString,
                                        2, nullptr, nullptr, nullptr));
    ImageLoaderHost* const host = g_imageLoaderHost;
    g_imageLoaderHost = &m_host;
    const std::vector<std::uint8_t> backgroundFile = testsupport::DemoBackgroundElg();
    const std::vector<std::uint8_t> discFile = testsupport::DemoSpriteElg();
    Image* background = nullptr;
    Image* disc = nullptr;
    ASSERT_EQ(0, m_device.LoadImage(&background, nullptr, backgroundFile.data(),
                                    static_cast<std::int32_t>(backgroundFile.size()), 1));
    ASSERT_EQ(0, m_device.LoadImage(&disc, nullptr, discFile.data(), static_cast<std::int32_t>(discFile.size()), 0));
    g_imageLoaderHost = host;
    ASSERT_EQ(800, background->Width());
    ASSERT_EQ(64, disc->Width());

    GdiScreen* screen = nullptr;
    ASSERT_EQ(0, m_device.CreateGdiScreen(&screen, 800, 600, 32, 1));
    const std::uint32_t game = WordOf(static_cast<Surface*>(screen));
    ASSERT_EQ(1, Call(418, {game, WordOf(static_cast<Surface*>(background)), 0, 0, 1}));
    const std::uint32_t sprite = U(Call(402, {WordOf(static_cast<Surface*>(disc)), 0, 0, 64, 64, 40, 200}));
    ASSERT_NE(0u, sprite);
    ASSERT_EQ(0, Call(409, {game, sprite, 10, 0, 0}));
    for (int frame = 0; frame < 60; ++frame) {
        ASSERT_EQ(1, Call(441, {sprite, 3, 1}));
        Call(428, {game});
    }
    Image* const shown = screen->GetImage();
    const POINT corners[4] = {{0, 0}, {799, 0}, {0, 599}, {799, 599}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(testsupport::kDemoBackgroundColours[i], shown->GetPixel(corners[i].x, corners[i].y) & 0xFFFFFF)
            << "corner " << i;
    // The library's alpha blend may give 254 for a full channel: the colour is taken within 2.
    auto isDisc = [](std::uint32_t pixel) {
        const std::uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        return r >= 0xFD && g <= 2 && b >= 0xFD;
    };
    int covered = 0;
    for (std::int32_t y = 0; y < 600; ++y)
        for (std::int32_t x = 0; x < 800; ++x)
            if (isDisc(shown->GetPixel(x, y))) ++covered;
    EXPECT_NEAR(3217, covered, 120) << "the disc, pi x 32 x 32, once";
    EXPECT_TRUE(isDisc(shown->GetPixel(40 + 180 + 32, 200 + 60 + 32))) << "the disc's centre after 60 frames";
    EXPECT_EQ(testsupport::kDemoBackgroundColours[0], shown->GetPixel(40 + 180 + 1, 200 + 60 + 1) & 0xFFFFFF)
        << "its transparent corner shows the background";
}

}  // namespace
}  // namespace devicetest
