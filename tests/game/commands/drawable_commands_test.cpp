// The device-drawable commands on a real screen device whose Direct3D device is the recording
// one: creation with the polygon's pairs and primitive table, the refusals that leave nothing
// made, the drawing list, the setters per kind (read back from the drawables and from the
// vertex arrays the recording device receives), the bounds outs and the release through a
// variable. Argument blocks lie in a guarded script-memory region.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "game/commands/command_services.h"
#include "game/commands/device_command_services.h"
#include "game/script/command_table.h"
#include "game/script/script_fault.h"
#include "graphics/compose/math_tables.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/device/screen_device.h"
#include "graphics/device/state_blocks.h"
#include "graphics/device/surface_sprites.h"
#include "graphics/image/image.h"
#include "tests/game/commands/guarded_script_region.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/support/fake_direct3d_device.h"

namespace {

using commandtest::GuardedRegion;

std::uint32_t WordOf(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }

class DrawableCommands : public ::testing::Test {
protected:
    void SetUp() override {
        g_mathTables = &m_tables;
        ASSERT_EQ(0, m_device.AdoptDevice(m_log.Interface()));
        m_saved = Services();
        DeviceServices().screen = &m_device;
        Services().graphics = &m_device;
    }
    void TearDown() override {
        Services() = m_saved;
        m_device.DestroyAllObjects();
        m_device.ReleaseDevice();
        g_mathTables = nullptr;
        TakeScriptFault();
    }

    // Runs the handler on the words placed at `offset` bytes into the guarded region.
    std::int32_t Call(int opcode, const std::vector<std::uint32_t>& words, std::size_t offset = 0) {
        std::uint8_t* const at = m_region.Bytes() + offset;
        std::memcpy(at, words.data(), words.size() * 4);
        const std::uint32_t result = kCommandTable[opcode].handler(reinterpret_cast<std::uint32_t*>(at));
        EXPECT_TRUE(m_region.GuardsIntact()) << "opcode " << opcode;
        return static_cast<std::int32_t>(result);
    }
    // A word of the region's last bytes, for outs and arrays.
    std::uint32_t Slot(std::size_t offset) { return WordOf(m_region.Bytes() + offset); }
    std::uint32_t At(std::size_t offset) {
        std::uint32_t v;
        std::memcpy(&v, m_region.Bytes() + offset, 4);
        return v;
    }
    void Put(std::size_t offset, const std::vector<std::uint32_t>& words) {
        std::memcpy(m_region.Bytes() + offset, words.data(), words.size() * 4);
    }

    std::uint32_t Rect(std::uint32_t colour = 0xFF102030) { return Call(263, {10, 20, colour, 5, 6}); }
    std::uint32_t Triangle() { return Call(264, {0, 0, 10, 0, 0, 10, 0xFF00FF00, 1, 2}); }
    std::uint32_t Polygon(std::uint32_t primitive, const std::vector<std::uint32_t>& pairs) {
        std::vector<std::uint32_t> words = {primitive, 0xFFFFFFFF, static_cast<std::uint32_t>(pairs.size() / 2)};
        words.insert(words.end(), pairs.begin(), pairs.end());
        return static_cast<std::uint32_t>(Call(262, words));
    }
    std::vector<ColouredVertex> DrawnColoured() {
        m_log.draws.clear();
        m_device.DrawingList().Draw(nullptr, nullptr, &m_device);
        std::vector<ColouredVertex> out;
        for (const auto& draw : m_log.draws) {
            for (std::size_t i = 0; i + sizeof(ColouredVertex) <= draw.bytes.size(); i += sizeof(ColouredVertex)) {
                ColouredVertex v;
                std::memcpy(&v, draw.bytes.data() + i, sizeof v);
                out.push_back(v);
            }
        }
        return out;
    }
    std::vector<std::uint32_t> ListOrder() {
        std::vector<std::uint32_t> out;
        m_device.DrawingList().ForEach([&](DeviceDrawable* d, std::uint32_t priority, std::uint8_t group) {
            out.push_back(WordOf(d));
            out.push_back(priority);
            out.push_back(group);
        });
        return out;
    }

    MathTables m_tables;
    testsupport::LoggingDirect3DDevice m_log;
    ScreenDevice m_device;
    GuardedRegion m_region;
    CommandServices m_saved;
};

TEST_F(DrawableCommands, PolygonTakesItsPairsInOrderWithThePrimitiveTable) {
    const D3DPRIMITIVETYPE expected[6] = {D3DPT_TRIANGLELIST, D3DPT_TRIANGLESTRIP, D3DPT_TRIANGLEFAN,
                                          D3DPT_LINELIST,     D3DPT_LINESTRIP,     D3DPT_POINTLIST};
    for (std::uint32_t primitive = 0; primitive < 6; ++primitive) {
        SCOPED_TRACE(primitive);
        const std::uint32_t polygon = Polygon(primitive, {1, 2, 30, 4, 5, 60});
        ASSERT_NE(0u, polygon);
        ASSERT_EQ(0, Call(271, {polygon, 1, 0}));
        m_log.draws.clear();
        m_device.DrawingList().Draw(nullptr, nullptr, &m_device);
        ASSERT_EQ(1u, m_log.draws.size());
        EXPECT_EQ(expected[primitive], m_log.draws[0].type);
        const std::vector<ColouredVertex> v = DrawnColoured();
        ASSERT_EQ(3u, v.size());
        EXPECT_EQ((std::vector<float>{1, 2, 30, 4, 5, 60}),
                  (std::vector<float>{v[0].x, v[0].y, v[1].x, v[1].y, v[2].x, v[2].y}));
        ASSERT_EQ(0, Call(273, {polygon}));
    }
    // 305 with the same table, and a primitive past it changes nothing.
    const std::uint32_t polygon = Polygon(0, {0, 0, 1, 1, 2, 0});
    ASSERT_EQ(0, Call(271, {polygon, 1, 0}));
    EXPECT_EQ(1, Call(305, {polygon, 3}));
    EXPECT_EQ(0, Call(305, {polygon, 6}));
    EXPECT_EQ(0, Call(305, {polygon, 0xFFFFFFFF}));
    m_log.draws.clear();
    m_device.DrawingList().Draw(nullptr, nullptr, &m_device);
    ASSERT_EQ(1u, m_log.draws.size());
    EXPECT_EQ(D3DPT_LINELIST, m_log.draws[0].type);
}

// Counts of 0 or less, counts whose pairs run past the block's memory (also where 2n or 8n
// would wrap in 32 bits) and primitives past the table make nothing.
TEST_F(DrawableCommands, PolygonRefusalsMakeNothing) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> words;
        std::size_t offset;
    };
    const std::size_t nearEnd = GuardedRegion::kSize - 5 * 4;  // room for the three words and one pair
    const std::vector<Case> cases = {
        {"primitive 6", {6, 0, 1, 1, 1}, 0},
        {"primitive -1", {0xFFFFFFFF, 0, 1, 1, 1}, 0},
        {"count 0", {0, 0, 0, 1, 1}, 0},
        {"count -1", {0, 0, 0xFFFFFFFF, 1, 1}, 0},
        {"count INT_MIN", {0, 0, 0x80000000, 1, 1}, 0},
        {"2n past a 32-bit int", {0, 0, 0x7FFFFFFF, 1, 1}, 0},
        {"8n wraps in 32 bits", {0, 0, 0x40000000, 1, 1}, 0},
        {"second pair past the region", {0, 0, 2, 1, 1}, nearEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(0, Call(262, c.words, c.offset));
        EXPECT_EQ(0, m_device.DrawableCount());
    }
    EXPECT_NE(0, Call(262, {0, 0, 1, 7, 8}, nearEnd)) << "one pair fits exactly";
}

TEST_F(DrawableCommands, CreationsOnWrongOrMissingSurfacesMakeNothing) {
    Image* image = nullptr;
    ASSERT_EQ(0, m_device.CreateImage(&image, 8, 8, 32, 0));
    const std::uint32_t soft = WordOf(image);
    for (std::uint32_t surface : {0u, soft, 0x12345678u}) {
        SCOPED_TRACE(surface);
        for (int opcode : {260, 261, 267, 268}) {
            EXPECT_EQ(0, Call(opcode, {surface, 65535, 9, 9, 9, 9, 9})) << opcode;
            EXPECT_EQ(0, Call(opcode, {surface, 0, 0, 4, 4, 1, 1})) << opcode;
        }
        EXPECT_EQ(0, Call(269, {0, surface, 1, 0, 0, 0}));
        EXPECT_EQ(0, Call(269, {surface, surface, 1, 65535, 0, 0}));
    }
    EXPECT_EQ(0, m_device.DrawableCount());
}

TEST_F(DrawableCommands, ListInsertsByPriorityAndGroup) {
    const std::uint32_t a = Rect(), b = Rect(), c = Rect(), d = Triangle();
    EXPECT_EQ(0, Call(271, {a, 0xFFFFFFFF, 7})) << "-1: priority 0 and group 0 whatever the group word";
    EXPECT_EQ(0, Call(271, {b, 5, 0x102}));
    EXPECT_EQ(0, Call(272, {c, 5, 3}));
    EXPECT_EQ(0, Call(272, {d, 0xFFFFFFFF, 9}));
    EXPECT_EQ(2, Call(271, {a, 1, 1})) << "already listed";
    EXPECT_EQ(1, Call(271, {0, 1, 1})) << "null";
    EXPECT_EQ(1, Call(272, {0x5A5A5A5A, 1, 1})) << "forged";
    EXPECT_EQ((std::vector<std::uint32_t>{c, 5, 3, b, 5, 2, d, 0, 0, a, 0, 0}), ListOrder());

    // 278: 65535 any priority and group; else priority and group must match (-1 any).
    EXPECT_EQ(0, Call(278, {0, 65535, 3}));
    for (std::uint32_t w : {a, b, c, d}) EXPECT_EQ(0, Call(277, {w}));
    EXPECT_EQ(0, Call(278, {1, 5, 2}));
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0}),
              (std::vector<int>{Call(277, {a}), Call(277, {b}), Call(277, {c}), Call(277, {d})}));
    EXPECT_EQ(0, Call(278, {1, 0xFFFFFFFF, 0}));
    EXPECT_EQ((std::vector<int>{1, 1, 0, 1}),
              (std::vector<int>{Call(277, {a}), Call(277, {b}), Call(277, {c}), Call(277, {d})}));
    EXPECT_EQ(1, Call(276, {c, 3})) << "bit 0";
    EXPECT_EQ(1, Call(277, {c}));
    EXPECT_EQ(0, Call(276, {0, 1}));

    // Reprioritise, with the flag the unchanged priority is no move.
    EXPECT_EQ(0, Call(279, {b, 5, 1}));
    EXPECT_EQ(1, Call(279, {b, 5, 0}));
    EXPECT_EQ(1, Call(280, {a, 5, 1}));
    EXPECT_EQ((std::vector<std::uint32_t>{a, 5, 0, c, 5, 3, b, 5, 2, d, 0, 0}), ListOrder());
    EXPECT_EQ(0, Call(280, {0x5A5A5A5A, 5, 0}));

    EXPECT_EQ(0, Call(275, {0x303}));
    EXPECT_EQ(0, Call(274, {0}));
    EXPECT_EQ((std::vector<std::uint32_t>{a, 5, 0, b, 5, 2}), ListOrder());
    EXPECT_EQ(0, Call(273, {b}));
    EXPECT_EQ(0, Call(273, {0x5A5A5A5A}));
    EXPECT_EQ((std::vector<std::uint32_t>{a, 5, 0}), ListOrder());
}

// Each setter on the kinds it does not serve: null, a forged word, a state block, a colour
// rectangle or a polygon where that kind is not served.
TEST_F(DrawableCommands, SettersAnswerTheirFixedValueOnKindsTheyDoNotServe) {
    const std::uint32_t block = Call(265, {});
    const std::uint32_t rect = Rect();
    const std::uint32_t polygon = Polygon(0, {0, 0, 1, 0, 0, 1});
    ASSERT_NE(0u, block);
    struct Row {
        int opcode;
        std::int32_t value;
        std::vector<std::uint32_t> others;  // served kinds that still answer the fixed value
    };
    const std::vector<Row> rows = {
        {281, -1, {rect, polygon}}, {282, 0, {rect, polygon}}, {289, 0, {}},          {290, 0, {}},
        {291, 0, {}},               {292, 0, {}},              {293, 0, {}},          {294, 0, {polygon}},
        {295, 0, {rect, polygon}},  {296, 0, {}},              {297, 0, {}},          {298, 0, {polygon}},
        {299, 0, {rect, polygon}},  {300, 0, {rect, polygon}}, {301, 0, {rect, polygon}}, {302, 0, {rect, polygon}},
        {303, 0, {polygon}},        {304, 0, {polygon}},       {305, 0, {rect}},      {306, 0, {rect}},
        {307, 0, {rect}},           {308, 0, {rect, polygon}}, {309, -1, {rect, polygon}}, {310, 0, {rect, polygon}},
        {311, -1, {rect, polygon}}, {312, 0, {rect, polygon}}, {313, 0, {rect, polygon}},
    };
    for (const Row& row : rows) {
        std::vector<std::uint32_t> words = {0, 0, 0, 0, 0, 0, 0, 0, 0};
        std::vector<std::uint32_t> targets = {0, 0x5A5A5A5A, block};
        targets.insert(targets.end(), row.others.begin(), row.others.end());
        for (std::uint32_t target : targets) {
            words[0] = target;
            EXPECT_EQ(row.value, Call(row.opcode, words)) << "opcode " << row.opcode << " on " << target;
        }
    }
    // The operations of every kind answer 0 only for null and forged words.
    for (int opcode : {283, 284, 285, 286, 287, 288, 314}) {
        EXPECT_EQ(0, Call(opcode, {0, 1, 1, 0, 0})) << opcode;
        EXPECT_EQ(0, Call(opcode, {0x5A5A5A5A, 1, 1, 0, 0})) << opcode;
    }
    EXPECT_EQ(1, Call(283, {block, 1, 1}));
}

TEST_F(DrawableCommands, ColourRectSettersReachTheVerticesDrawn) {
    const std::uint32_t rect = Rect(0xFF102030);
    ASSERT_EQ(0, Call(271, {rect, 1, 0}));
    std::vector<ColouredVertex> v = DrawnColoured();
    ASSERT_EQ(4u, v.size());
    EXPECT_EQ((std::vector<float>{5, 6, 15, 26}), (std::vector<float>{v[0].x, v[0].y, v[3].x, v[3].y}));
    EXPECT_EQ(DWORD{0xFF102030}, v[0].diffuse);

    EXPECT_EQ(1, Call(283, {rect, 100, 50}));
    EXPECT_EQ(1, Call(286, {rect, -1u, 2}));
    EXPECT_EQ(1, Call(292, {rect, 0x00ABCDEF}));
    EXPECT_EQ(1, Call(297, {rect, 3, 0x40}));
    EXPECT_EQ(1, Call(293, {rect, 1, 0x00010203}));
    v = DrawnColoured();
    ASSERT_EQ(4u, v.size());
    EXPECT_EQ((std::vector<float>{99, 52, 109, 72}), (std::vector<float>{v[0].x, v[0].y, v[3].x, v[3].y}));
    EXPECT_EQ((std::vector<DWORD>{0xFFABCDEF, 0xFF010203, 0xFFABCDEF, 0x40ABCDEF}),
              (std::vector<DWORD>{v[0].diffuse, v[1].diffuse, v[2].diffuse, v[3].diffuse}));

    EXPECT_EQ(1, Call(294, {rect, 1, 2, 3, 4}));
    EXPECT_EQ(1, Call(298, {rect, 0, 300, -5u, 7}));
    EXPECT_EQ(1, Call(303, {rect, 4, 3}));
    v = DrawnColoured();
    ASSERT_EQ(4u, v.size());
    EXPECT_EQ((std::vector<DWORD>{0x00000001, 0xFF000002, 0x00000003, 0x07000004}),
              (std::vector<DWORD>{v[0].diffuse, v[1].diffuse, v[2].diffuse, v[3].diffuse}))
        << "alphas held to 0..255";
    EXPECT_EQ(103.0f, v[3].x);
    EXPECT_EQ(55.0f, v[3].y);

    // Hit test and bounds.
    EXPECT_EQ(1, Call(287, {rect, 100, 53, 0}));
    EXPECT_EQ(0, Call(287, {rect, 103, 53, 0}));
    const std::uint32_t other = Rect();
    EXPECT_EQ(0, Call(288, {rect, other}));
    EXPECT_EQ(1, Call(283, {other, 101, 54}));
    EXPECT_EQ(1, Call(288, {rect, other}));
    EXPECT_EQ(0, Call(288, {rect, 0x5A5A5A5A}));
}

TEST_F(DrawableCommands, BoundsGoToTheWantedOutsOnly) {
    const std::uint32_t rect = Rect();
    const std::size_t outs = 256;
    Put(outs, {0xA1, 0xA2, 0xA3, 0xA4});
    EXPECT_EQ(1, Call(314, {rect, Slot(outs), 0, Slot(outs + 8), Slot(outs + 12)}));
    EXPECT_EQ((std::vector<std::uint32_t>{5, 0xA2, 15, 26}),
              (std::vector<std::uint32_t>{At(outs), At(outs + 4), At(outs + 8), At(outs + 12)}));

    // A polygon has no bounds: nothing written.
    const std::uint32_t polygon = Polygon(0, {0, 0, 1, 0, 0, 1});
    Put(outs, {0xA1, 0xA2, 0xA3, 0xA4});
    EXPECT_EQ(0, Call(314, {polygon, Slot(outs), Slot(outs + 4), Slot(outs + 8), Slot(outs + 12)}));
    EXPECT_EQ(0xA1u, At(outs));

    // An out outside script memory is the script fault, before anything is written.
    std::uint32_t outside[4] = {};
    TakeScriptFault();
    EXPECT_EQ(0, Call(314, {rect, Slot(outs), WordOf(outside), 0, 0}));
    EXPECT_TRUE(TakeScriptFault());
    EXPECT_EQ(0xA1u, At(outs));
    EXPECT_EQ(0u, outside[0]);
}

TEST_F(DrawableCommands, PolygonVerticesComeFromArraysInsideScriptMemory) {
    const std::uint32_t polygon = Polygon(0, {0, 0, 1, 0, 0, 1});
    ASSERT_EQ(0, Call(271, {polygon, 1, 0}));
    const std::size_t xs = 200, ys = 240;
    Put(xs, {10, 20, 30});
    Put(ys, {11, 21, 31});
    const std::size_t end = GuardedRegion::kSize;
    struct Case {
        const char* name;
        std::vector<std::uint32_t> words;
    };
    const std::vector<Case> refused = {
        {"count 0", {polygon, 0, Slot(xs), Slot(ys)}},
        {"count -1", {polygon, 0xFFFFFFFF, Slot(xs), Slot(ys)}},
        {"more than the polygon has", {polygon, 4, Slot(xs), Slot(ys)}},
        {"x array past the region", {polygon, 2, Slot(end - 4), Slot(ys)}},
        {"y array past the region", {polygon, 3, Slot(xs), Slot(end - 8)}},
        {"4n wraps in 32 bits", {polygon, 0x40000001, Slot(xs), Slot(ys)}},
        {"null arrays", {polygon, 1, 0, 0}},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(0, Call(307, c.words));
        const std::vector<ColouredVertex> v = DrawnColoured();
        ASSERT_EQ(3u, v.size());
        EXPECT_EQ(1.0f, v[1].x) << "unchanged";
    }
    EXPECT_EQ(1, Call(307, {polygon, 2, Slot(xs), Slot(ys)}));
    const std::vector<ColouredVertex> v = DrawnColoured();
    ASSERT_EQ(3u, v.size());
    EXPECT_EQ((std::vector<float>{10, 11, 20, 21, 0, 1}),
              (std::vector<float>{v[0].x, v[0].y, v[1].x, v[1].y, v[2].x, v[2].y}));
    EXPECT_EQ(1, Call(306, {polygon, 2, 7, 8}));
    EXPECT_EQ(0, Call(306, {polygon, 3, 7, 8}));
    EXPECT_EQ(0, Call(306, {polygon, 0xFFFFFFFF, 7, 8}));
}

TEST_F(DrawableCommands, TriangleSetters) {
    const std::uint32_t triangle = Triangle();
    ASSERT_EQ(0, Call(271, {triangle, 1, 0}));
    EXPECT_EQ(1, Call(308, {triangle, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(1, Call(295, {triangle, 0x010101, 0x020202, 0x030303}));
    EXPECT_EQ(1, Call(299, {triangle, 0x10, 0x20, 0x30}));
    std::vector<ColouredVertex> v = DrawnColoured();
    ASSERT_EQ(3u, v.size());
    EXPECT_EQ((std::vector<float>{2, 4, 4, 6, 6, 8}),
              (std::vector<float>{v[0].x, v[0].y, v[1].x, v[1].y, v[2].x, v[2].y}));
    EXPECT_EQ((std::vector<DWORD>{0x10010101, 0x20020202, 0x30030303}),
              (std::vector<DWORD>{v[0].diffuse, v[1].diffuse, v[2].diffuse}));
    EXPECT_EQ(1, Call(290, {triangle, 3, 5, 6}));
    EXPECT_EQ(1, Call(284, {triangle, 0x20000, 0})) << "a 16.16 scale of 2";
    v = DrawnColoured();
    ASSERT_EQ(3u, v.size());
    EXPECT_EQ(9.0f, v[2].x) << "1 + (5 - 1) x 2";
    const std::uint8_t* blend = static_cast<TriangleSprite*>(m_device.FindDrawable(triangle))->Blend();
    EXPECT_EQ((std::vector<int>{1, 5, 6}), (std::vector<int>{blend[0], blend[1], blend[2]}));
}

TEST_F(DrawableCommands, ReleaseThroughTheVariable) {
    const std::uint32_t rect = Rect();
    const std::size_t variable = 300;
    Put(variable, {rect});
    EXPECT_EQ(0, Call(270, {Slot(variable)}));
    EXPECT_EQ(0u, At(variable));
    EXPECT_EQ(0, m_device.DrawableCount());
    Put(variable, {rect});
    EXPECT_EQ(2, Call(270, {Slot(variable)})) << "released already";
    EXPECT_EQ(rect, At(variable));
    Put(variable, {0});
    EXPECT_EQ(1, Call(270, {Slot(variable)}));
    std::uint32_t outside = Rect();
    EXPECT_EQ(1, Call(270, {WordOf(&outside)})) << "a variable outside script memory";
    EXPECT_EQ(1, m_device.DrawableCount());
    EXPECT_EQ(1, Call(270, {0}));
}

// The routine store compares unsigned: what is stored indexes the routine table.
TEST(TransitionSpriteRoutine, OnlyRoutinesOfTheTableAreStored) {
    TransitionSprite sprite;
    ASSERT_TRUE(sprite.SetRoutine(86));
    for (std::uint32_t routine : {87u, 0xFFFFFFFFu, 0x80000000u, 1000u}) {
        EXPECT_FALSE(sprite.SetRoutine(routine)) << routine;
        EXPECT_EQ(86, sprite.Routine());
    }
    sprite.SetParams(0x7FFFFFFF, -5);
    sprite.AddParams(1, 5);
    EXPECT_EQ(INT32_MIN, sprite.Param1()) << "wraps";
    EXPECT_EQ(0, sprite.Param2());
}

// A SOB program makes a rectangle, lists it, moves it and reads its bounds back.
TEST_F(DrawableCommands, ScriptProgramMakesAndListsARectangle) {
    commandtest::CallProgram program;
    const std::string outs = program.Buffer(16);
    program.Call(263, {"30", "40", "0xFF0000FF", "1", "2"}, "var:0")
        .Call(271, {"@var:0", "3", "1"}, "var:1")
        .Call(286, {"@var:0", "10", "20"}, "var:2")
        .Call(314, {"@var:0", outs, outs + "+4", outs + "+8", outs + "+12"}, "var:3");
    commandtest::ProgramRun run;
    ASSERT_EQ(kStepEnded, run.Run(program));
    const std::uint32_t rect = static_cast<std::uint32_t>(run.Var(0));
    EXPECT_NE(nullptr, m_device.FindDrawable(rect));
    EXPECT_EQ((std::vector<std::int32_t>{0, 1, 1}), (std::vector<std::int32_t>{run.Var(1), run.Var(2), run.Var(3)}));
    std::int32_t bounds[4];
    std::memcpy(bounds, run.At(outs), sizeof bounds);
    EXPECT_EQ((std::vector<std::int32_t>{11, 22, 41, 62}), std::vector<std::int32_t>(bounds, bounds + 4));
    EXPECT_EQ((std::vector<std::uint32_t>{rect, 3, 1}), ListOrder());
}

// Fixed-seed blocks of hostile words with live and released drawables of every kind that can be
// made here mixed in: each command answers a listed value or the script fault and writes
// nothing outside script memory.
TEST_F(DrawableCommands, DrawableCommandMutation) {
    Image* image = nullptr;
    ASSERT_EQ(0, m_device.CreateImage(&image, 8, 8, 32, 0));
    const std::uint32_t start = Slot(0);
    const std::uint32_t end = start + GuardedRegion::kSize;
    std::vector<std::uint32_t> live;
    auto refill = [&]() {
        live = {WordOf(image), static_cast<std::uint32_t>(Rect()), static_cast<std::uint32_t>(Triangle()),
                Polygon(1, {0, 0, 5, 5, 9, 0}), static_cast<std::uint32_t>(Call(265, {})),
                static_cast<std::uint32_t>(Call(266, {}))};
    };
    refill();
    const std::uint32_t released = live[1];
    ASSERT_EQ(0, m_device.ReleaseDrawable(m_device.FindDrawable(released)));
    const std::vector<std::uint32_t> edges = {0u, 1u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 65535u, 4096u,
                                              start, start + 400, end - 4, end, end - 8, released, 0x5A5A5A5A};
    std::mt19937 random(20261211);
    auto pick = [&]() -> std::uint32_t {
        switch (random() % 3) {
            case 0: return live[random() % live.size()];
            default: return edges[random() % edges.size()];
        }
    };
    std::map<int, std::set<std::int32_t>> listed;
    for (int opcode = 271; opcode <= 314; ++opcode) listed[opcode] = {0, 1};
    for (int opcode : {271, 272}) listed[opcode] = {0, 1, 2, 3};
    for (int opcode : {281, 309, 311}) listed[opcode] = {-1, 0, 1};
    listed[270] = {0, 1, 2, 3};
    for (int opcode = 260; opcode <= 314; ++opcode) {
        for (int round = 0; round < 60; ++round) {
            std::vector<std::uint32_t> words(12);
            for (std::uint32_t& w : words) w = pick();
            // Creation sizes from the edge values only.
            const std::int32_t result = Call(opcode, words, 64);
            const bool faulted = TakeScriptFault();
            const auto values = listed.find(opcode);
            if (!faulted && values != listed.end()) {
                ASSERT_TRUE(values->second.count(result)) << "opcode " << opcode << " answered " << result;
            }
            if (opcode < 270 && result != 0) {
                EXPECT_NE(nullptr, m_device.FindDrawable(static_cast<std::uint32_t>(result))) << opcode;
            }
            ASSERT_TRUE(m_region.GuardsIntact()) << "opcode " << opcode << " round " << round;
        }
        if (opcode == 270) refill();
    }
    // Every listed drawable still draws without fault.
    m_device.DrawingList().Draw(nullptr, nullptr, &m_device);
}

}  // namespace
