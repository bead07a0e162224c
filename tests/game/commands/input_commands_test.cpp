// The time and input commands as SOB programs on a started game: the clocks and stopwatches,
// the action map and the keyboard fed by window messages frame by frame, the mouse buttons and
// wheel, the pointer, and the first joystick.
#include "game/commands/input_commands.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "framework/input/mouse_device.h"
#include "game/script/script_memory.h"
#include "tests/game/commands/input_commands_game.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/support/command_harness.h"
#include "tests/support/fake_pointer_sprite.h"

namespace {

using inputtest::Column;
using inputtest::FrameCalls;
using inputtest::InputGame;
using inputtest::Repeat;
using Series = std::vector<std::uint32_t>;

std::string N(std::int64_t value) { return std::to_string(value); }

// ---- Time and stopwatches ----

TEST(InputCommands, ClockAndStopwatchesOnTheApplicationsClock) {
    const std::vector<FrameCalls> frames = {
        {{543, {"0"}}, {543, {N(0x10002)}}, {541, {}}, {545, {N(0x10001)}}, {545, {"2"}}},
        {{545, {"1"}}, {547, {"1"}}, {546, {"0", "40"}}, {545, {"0"}}, {544, {"5"}}, {541, {}}},
        {{545, {"1"}}, {545, {"0"}}, {548, {"1"}}, {549, {}}},
        {{545, {"0"}}, {545, {"1"}}, {550, {}}, {544, {N(0x10001)}}},
        {{545, {"1"}}, {545, {"0"}}},
    };
    InputGame g("Stopwatches", frames);
    testsupport::FakeClock& clock = g.app->parts.clock;
    const std::uint32_t advances[] = {0, 250, 100, 50, 30};
    for (std::size_t frame = 0; frame < frames.size(); ++frame) {
        clock.AdvanceMs(advances[frame]);
        ASSERT_TRUE(g.Frame()) << frame;
    }
    EXPECT_EQ(1u, g.At(0, 0)) << "no stopwatches";
    EXPECT_EQ(0u, g.At(0, 1)) << "two stopwatches (the low 16 bits)";
    EXPECT_EQ(1000u, g.At(0, 2));
    EXPECT_EQ(0u, g.At(0, 3)) << "stopwatch 1 just started";
    EXPECT_EQ(0u, g.At(0, 4)) << "no stopwatch 2";
    EXPECT_EQ(250u, g.At(1, 0));
    EXPECT_EQ(40u, g.At(1, 3)) << "set";
    EXPECT_EQ(0u, g.At(1, 4)) << "restart of a missing stopwatch";
    EXPECT_EQ(1250u, g.At(1, 5));
    EXPECT_EQ(250u, g.At(2, 0)) << "paused";
    EXPECT_EQ(140u, g.At(2, 1));
    EXPECT_EQ(140u, g.At(3, 0)) << "all paused";
    EXPECT_EQ(250u, g.At(3, 1));
    EXPECT_EQ(1u, g.At(3, 3)) << "restarted";
    EXPECT_EQ(30u, g.At(4, 0));
    EXPECT_EQ(170u, g.At(4, 1));
}

TEST(InputCommands, LocalTimeNeedsEveryOut) {
    SYSTEMTIME before = {};
    GetLocalTime(&before);
    commandtest::CallProgram p;
    std::vector<std::string> outs;
    for (int i = 0; i < 5; ++i) outs.push_back(p.Word("7"));
    p.Call(542, outs, "var:0");
    commandtest::ProgramRun run;
    ASSERT_EQ(kStepEnded, run.Run(p));
    SYSTEMTIME after = {};
    GetLocalTime(&after);
    EXPECT_EQ(0, run.Var(0));
    const std::uint32_t year = run.WordAt(outs[0]);
    EXPECT_TRUE(year == before.wYear || year == after.wYear);
    EXPECT_TRUE(run.WordAt(outs[1]) == before.wMonth || run.WordAt(outs[1]) == after.wMonth);
    EXPECT_TRUE(run.WordAt(outs[2]) == before.wDay || run.WordAt(outs[2]) == after.wDay);
    EXPECT_TRUE(run.WordAt(outs[3]) == before.wHour || run.WordAt(outs[3]) == after.wHour);
    EXPECT_TRUE(run.WordAt(outs[4]) == before.wMinute || run.WordAt(outs[4]) == after.wMinute);

    // A null or foreign out word: the script fault, no field written.
    for (const std::string& bad : {std::string("0"), N(0x10)}) {
        SCOPED_TRACE(bad);
        commandtest::CallProgram q;
        std::vector<std::string> words;
        for (int i = 0; i < 5; ++i) words.push_back(q.Word("7"));
        const std::vector<std::string> kept = words;
        words[3] = bad;
        q.Call(542, words, "var:0");
        commandtest::ProgramRun faulted;
        EXPECT_EQ(kStepInvalidScript, faulted.Run(q));
        for (int i : {0, 1, 2, 4}) EXPECT_EQ(7u, faulted.WordAt(kept[i]));
    }
}

// ---- Keys and actions, frame by frame ----

// Return goes down in frame 1, repeats in frame 3, goes up in frame 4.
void ReturnPressed(InputGame& g, int frame) {
    if (frame == 1) g.KeyDown(VK_RETURN);
    if (frame == 3) g.KeyDown(VK_RETURN, true);
    if (frame == 4) g.KeyUp(VK_RETURN);
}

TEST(InputCommands, ActionsAndKeysFollowThePressFrameByFrame) {
    const FrameCalls calls = {
        {558, {}}, {564, {}}, {551, {"4"}}, {552, {"4"}}, {572, {"28"}}, {573, {N(256 + 28)}},
        {553, {"0", "0"}}, {554, {"0", "0"}}, {553, {"5", "0"}}, {554, {"0", "4"}},
        {551, {"-1"}}, {552, {"20"}}, {552, {N(0x80000000LL)}}, {578, {"28"}}, {559, {}}, {565, {}},
    };
    // The repeat flag off from frame 1 on: an auto-repeated key is no new press.
    std::vector<FrameCalls> frames = Repeat(calls, 6);
    frames[0].push_back({577, {"0"}});
    InputGame g("ReturnFrames", frames);
    for (int frame = 0; frame < 6; ++frame) {
        ReturnPressed(g, frame);
        ASSERT_TRUE(g.Frame()) << frame;
    }
    const std::uint32_t none = static_cast<std::uint32_t>(-1);
    EXPECT_EQ(Series({0, 1, 0, 0, 0, 0}), g.Series(0, 6)) << "558 only in the press frame";
    EXPECT_EQ(Series({0, 1, 1, 1, 0, 0}), g.Series(1, 6)) << "564 while held";
    EXPECT_EQ(g.Series(0, 6), g.Series(2, 6));
    EXPECT_EQ(g.Series(1, 6), g.Series(3, 6));
    EXPECT_EQ(g.Series(0, 6), g.Series(4, 6)) << "key 28 triggered";
    EXPECT_EQ(g.Series(1, 6), g.Series(5, 6)) << "key 256 + 28 is key 28";
    EXPECT_EQ(Series({none, 4, none, none, none, none}), g.Series(6, 6));
    EXPECT_EQ(Series({none, 4, 4, 4, none, none}), g.Series(7, 6));
    EXPECT_EQ(Series(6, none), g.Series(8, 6)) << "from action 5 on";
    EXPECT_EQ(Series(6, none), g.Series(9, 6)) << "actions 0-3 only";
    for (int column : {10, 11, 12, 13, 14, 15}) EXPECT_EQ(Series(6, 0), g.Series(column, 6)) << column;
}

TEST(InputCommands, NumpadEnterAndEscapeReachTheirActions) {
    const FrameCalls calls = {{558, {}}, {559, {}}, {565, {}}};
    InputGame g("EnterEscape", Repeat(calls, 3));
    g.Post(WM_KEYDOWN, VK_RETURN, (0x1C << 16) | (1 << 24) | 1);  // the keypad's Enter is extended
    ASSERT_TRUE(g.Frame());
    g.KeyUp(VK_RETURN);
    g.KeyDown(VK_ESCAPE);
    ASSERT_TRUE(g.Frame());
    ASSERT_TRUE(g.Frame());
    EXPECT_EQ(Series({1, 0, 0}), g.Series(0, 3));
    EXPECT_EQ(Series({0, 1, 0}), g.Series(1, 3));
    EXPECT_EQ(Series({0, 1, 1}), g.Series(2, 3));
}

TEST(InputCommands, RepeatFlagMarksAutoRepeat) {
    std::vector<FrameCalls> frames = Repeat({{578, {"28"}}, {558, {}}}, 6);
    frames[0].insert(frames[0].begin(), Column{577, {N(0x101)}});
    InputGame g("RepeatFrames", frames);
    for (int frame = 0; frame < 6; ++frame) {
        ReturnPressed(g, frame);
        ASSERT_TRUE(g.Frame()) << frame;
    }
    EXPECT_EQ(0u, g.At(0, 0));
    EXPECT_EQ(0u, g.At(1, 0)) << "a first press is no repeat";
    EXPECT_EQ(0u, g.At(2, 0));
    EXPECT_EQ(1u, g.At(3, 0)) << "lParam bit 30";
    EXPECT_EQ(0u, g.At(4, 0));
}

TEST(InputCommands, BindingsChangeWhatTheActionsRead) {
    // Frame 0 rebinds, frame 1 reads with A (code 30) and Return down.
    const std::vector<FrameCalls> frames = {
        {{555, {"4", "0", N(256 + 30)}}, {555, {"4", "7", "30"}}, {555, {"40", "0", "30"}},
         {557, {"5", "0", "1", "57"}}, {557, {"5", "0", "99", "2"}},
         {556, {"4", "0", N(-1)}}, {555, {"4", "0", "30"}}, {556, {"4", "0", "44"}}, {556, {"4", "-1", "30"}},
         {556, {"40", "0", "30"}}},
        {{551, {"4"}}, {552, {"5"}}, {573, {"30"}}},
        {{551, {"5"}}},
    };
    InputGame g("BindingCommands", frames);
    ASSERT_TRUE(g.Frame());
    g.KeyDown('A');
    g.KeyDown(VK_RETURN);
    ASSERT_TRUE(g.Frame());
    g.KeyDown(VK_SPACE);
    ASSERT_TRUE(g.Frame());
    EXPECT_EQ(0u, g.At(0, 0)) << "added";
    EXPECT_EQ(2u, g.At(0, 1)) << "no device 7";
    EXPECT_EQ(1u, g.At(0, 2)) << "no action 40";
    EXPECT_EQ(0u, g.At(0, 3)) << "(old 1, new 57): Escape becomes Space";
    EXPECT_EQ(3u, g.At(0, 4)) << "no binding 99";
    EXPECT_EQ(0u, g.At(0, 5)) << "a negative code clears the keyboard's bindings of action 4";
    EXPECT_EQ(0u, g.At(0, 6));
    EXPECT_EQ(3u, g.At(0, 7)) << "not bound";
    EXPECT_EQ(2u, g.At(0, 8)) << "a negative device is no device";
    EXPECT_EQ(1u, g.At(0, 9));
    EXPECT_EQ(1u, g.At(1, 0)) << "A is action 4's only key: Return was dropped";
    EXPECT_EQ(1u, g.At(1, 2));
    EXPECT_EQ(0u, g.At(1, 1)) << "Escape no longer cancels";
    EXPECT_EQ(1u, g.At(2, 0)) << "Space does";
}

TEST(InputCommands, FastForwardKeysFollowTheSetting) {
    struct Row {
        const char* name;
        std::uint8_t setting;
        WPARAM key;
        Series down;
    };
    const Row rows[] = {
        {"Shift setting, Shift", 0, VK_SHIFT, {1, 1}},
        {"Shift setting, Ctrl", 0, VK_CONTROL, {0, 0}},
        {"Ctrl setting, Ctrl", 1, VK_CONTROL, {1, 1}},
        {"Ctrl setting, Shift", 1, VK_SHIFT, {0, 0}},
        {"Ctrl setting, another key", 1, VK_MENU, {0, 0}},
        {"another setting is Shift", 2, VK_SHIFT, {1, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InputGame g(std::string("FastForward") + N(row.setting) + N(row.key), Repeat({{570, {}}, {571, {}}}, 2));
        g.App().AppCfg().bytes[130] = row.setting;
        g.KeyDown(row.key);
        ASSERT_TRUE(g.Frame());
        ASSERT_TRUE(g.Frame());
        EXPECT_EQ(Series({row.down[0], 0}), g.Series(0, 2)) << "triggered in the press frame only";
        EXPECT_EQ(row.down, g.Series(1, 2));
    }
}

TEST(InputCommands, LockKeysReadTheToggles) {
    InputGame g("LockKeys", Repeat({{574, {}}, {575, {}}, {576, {}}}, 1));
    g.input.toggled[VK_CAPITAL] = true;
    g.KeyDown(VK_CAPITAL);
    ASSERT_TRUE(g.Frame());
    EXPECT_EQ(0u, g.At(0, 0));
    EXPECT_EQ(1u, g.At(0, 1));
    EXPECT_EQ(0u, g.At(0, 2));
}

// ---- Mouse ----

TEST(InputCommands, ButtonsAndWheelFrameByFrame) {
    const FrameCalls calls = {{585, {}}, {588, {}}, {586, {}}, {589, {}}, {587, {}}, {590, {}},
                              {591, {"out"}}, {592, {"0"}}, {592, {"out"}}};
    InputGame g("MouseFrames", Repeat(calls, 4));
    g.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    g.Post(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    ASSERT_TRUE(g.Frame());
    g.Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(g.Frame());
    g.Post(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    g.Post(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    g.Post(WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(g.Frame());
    g.Post(WM_MBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(g.Frame());
    EXPECT_EQ(Series({1, 0, 0, 0}), g.Series(0, 4));
    EXPECT_EQ(Series({1, 1, 0, 0}), g.Series(1, 4));
    EXPECT_EQ(Series({0, 1, 0, 0}), g.Series(2, 4));
    EXPECT_EQ(Series({0, 1, 0, 0}), g.Series(3, 4));
    EXPECT_EQ(Series({0, 0, 1, 0}), g.Series(4, 4));
    EXPECT_EQ(Series({0, 0, 1, 0}), g.Series(5, 4));
    EXPECT_EQ(Series({1, 0, 0, 0}), g.Series(6, 4)) << "one notch: one frame";
    EXPECT_EQ(static_cast<std::uint32_t>(WHEEL_DELTA), g.Out(0, 0)) << "the delta written";
    EXPECT_EQ(0u, g.Out(1, 0));
    EXPECT_EQ(Series(4, 0), g.Series(7, 4)) << "a null out is skipped";
    EXPECT_EQ(Series(4, 0), g.Series(8, 4));
    EXPECT_EQ(static_cast<std::uint32_t>(WHEEL_DELTA), g.Out(0, 1)) << "592 writes the same wheel value";
}

// ---- Pointer ----

std::uint32_t Call(int opcode, std::initializer_list<std::int64_t> words) {
    testsupport::ArgBlock block;
    for (std::int64_t word : words) block.Word(static_cast<std::uint32_t>(word));
    return testsupport::CallCommand(opcode, block);
}

HCURSOR Standard(LPCSTR id) { return reinterpret_cast<HCURSOR>(0x10000 + reinterpret_cast<ULONG_PTR>(id)); }

TEST(InputCommands, PointerShapesDropTheSprite) {
    InputGame g("Shapes", {{}});
    MouseDevice* mouse = g.App().Input().Mouse();
    ASSERT_NE(nullptr, mouse);
    g.input.resourceInstance = g.App().ModuleInstance();
    g.input.resourceId = 121;
    struct Row {
        std::uint32_t word;
        HCURSOR cursor;  // after the call; 0: the shape before it
        bool spriteDropped;
    };
    const Row rows[] = {
        {3, Standard(IDC_IBEAM), true},
        {0x100 + 12, Standard(IDC_WAIT), true},
        {14, reinterpret_cast<HCURSOR>(0x20000 + 121), true},
        {13, nullptr, true},  // resource 120 is missing here: no shape, as the mouse answers
        {17, Standard(IDC_SIZEALL), false},
        {255, Standard(IDC_SIZEALL), false},
    };
    testsupport::FakePointerSprite sprite;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.word);
        mouse->SetCursorShape(5, nullptr, 0);
        ASSERT_EQ(0, mouse->SetCursorSprite(&sprite, 1, 100, false, 0, 0));
        EXPECT_EQ(0u, Call(579, {row.word}));
        EXPECT_EQ(row.cursor, mouse->CursorHandle());
        EXPECT_EQ(row.spriteDropped ? nullptr : &sprite, mouse->CursorSprite());
    }
    mouse->SetCursorSprite(nullptr, 0, 0, false, 0, 0);
}

TEST(InputCommands, ShowCursorGoesThroughTheWindow) {
    InputGame g("ShowPointer", {{}});
    MouseDevice* mouse = g.App().Input().Mouse();
    EXPECT_EQ(0u, Call(581, {0}));
    EXPECT_FALSE(mouse->PointerWanted());
    EXPECT_FALSE(mouse->SystemCursorShown());
    EXPECT_EQ(0u, Call(581, {0x100}));
    EXPECT_TRUE(mouse->PointerWanted()) << "any nonzero word shows it, not only its low byte";
    EXPECT_TRUE(mouse->SystemCursorShown());
    EXPECT_EQ(0u, Call(581, {0}));
    EXPECT_FALSE(mouse->SystemCursorShown());
}

TEST(InputCommands, PointerPositionsMapBothWays) {
    struct Row {
        const char* name;
        bool scaled;
        bool letterbox;
        std::int32_t x, y;
        POINT screen;  // relative to the client origin in window mode
        POINT game;    // what 582 reads after
    };
    const Row rows[] = {
        {"window", false, false, 10, 20, {10, 20}, {10, 20}},
        {"window, outside", false, false, -5, 7, {-5, 7}, {-1, -1}},
        {"scaled window", true, false, 160, 120, {320, 240}, {160, 120}},
        {"letterbox", false, true, 160, 120, {100 + 320, 50 + 240}, {160, 120}},
        {"INT_MAX", true, false, INT_MAX, INT_MAX, {INT_MAX, INT_MAX}, {-1, -1}},
        {"INT_MIN, letterboxed: scaled to the lowest value, then placed", false, true, INT_MIN, INT_MIN, {INT_MIN + 100, INT_MIN + 50}, {-1, -1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InputGame g(std::string("Pointer") + (row.scaled ? "S" : "") + (row.letterbox ? "L" : "") + N(row.x),
                    {{{582, {"out", "out"}}, {582, {"0", "out"}}, {584, {}}}});
        Application& app = g.App();
        testsupport::FakeScreenDevice& screen = g.app->parts.screen;
        screen.scalesWindow = row.scaled;
        screen.scaledClient = {640, 480};
        app.gameWidth = 320;
        app.gameHeight = 240;
        POINT origin = {0, 0};
        if (row.letterbox) {
            screen.fullScreen = true;
            screen.letterbox = true;
            screen.gameArea = {100, 50, 740, 530};
            screen.displayOrigin = {0, 0};
        } else {
            ClientToScreen(g.Window(), &origin);
        }
        EXPECT_EQ(0u, Call(583, {row.x, row.y}));
        ASSERT_FALSE(g.app->parts.platform.moves.empty());
        const POINT moved = g.app->parts.platform.moves.back();
        const auto expect = [](std::int32_t relative, std::int32_t base) {
            const std::int64_t sum = static_cast<std::int64_t>(relative) + base;
            return static_cast<std::int32_t>(sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : sum);
        };
        EXPECT_EQ(expect(row.screen.x, origin.x), moved.x);
        EXPECT_EQ(expect(row.screen.y, origin.y), moved.y);
        EXPECT_EQ(row.game.x, app.gameCursor.x);
        EXPECT_EQ(row.game.y, app.gameCursor.y);
        screen.fullScreen = false;
        screen.letterbox = false;
    }
}

TEST(InputCommands, CursorPositionOutsAndEdgeAfterAFrame) {
    InputGame g("PointerOuts", {{{582, {"out", "out"}}, {582, {"0", "out"}}, {584, {}}},
                                {{584, {}}}});
    ASSERT_TRUE(g.Frame());
    EXPECT_EQ(5u, g.Out(0, 0)) << "the pointer sits at (5, 5) of the client area";
    EXPECT_EQ(5u, g.Out(0, 1));
    EXPECT_EQ(5u, g.Out(0, 2)) << "x not wanted, y written";
    EXPECT_EQ(0u, g.At(0, 2)) << "inside: no edge";
    POINT above = {5, -3};
    ClientToScreen(g.Window(), &above);
    g.app->parts.platform.cursor = above;
    ASSERT_TRUE(g.Frame());
    EXPECT_EQ(8u, g.At(1, 0)) << "above the client area";

    // A foreign out word is the script fault; without an application the pointer is (-1, -1).
    commandtest::CallProgram p;
    const std::string x = p.Word("7");
    p.Call(582, {x, "0x10"}, "var:0");
    commandtest::ProgramRun run;
    EXPECT_EQ(kStepInvalidScript, run.Run(p));
    EXPECT_EQ(7u, run.WordAt(x)) << "nothing written";
}

// ---- Joystick ----

TEST(InputCommands, FirstJoystickByName) {
    const std::vector<FrameCalls> frames = Repeat({{593, {}}, {594, {"4"}}, {595, {"4"}}, {595, {N(0x100 + 1)}}}, 3);
    InputGame g("Joystick", frames, [](gameapptest::GameFolder& game, gameapptest::GameApp&) {
        game.user.blocks[0][17] = 1;
        testsupport::FakeWinmm& winmm = testsupport::TheFakeWinmm();
        winmm.deviceCount = 1;
        winmm.devices[0].capsOk = true;
        winmm.devices[0].name = "Test Pad";
    });
    ASSERT_NE(nullptr, g.App().Input().GetJoystick(0));
    ASSERT_TRUE(g.Frame());
    testsupport::TheFakeWinmm().devices[0].buttonMask = 1;
    testsupport::TheFakeWinmm().devices[0].y = 65535;
    ASSERT_TRUE(g.Frame());
    ASSERT_TRUE(g.Frame());
    const char* name = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(g.At(0, 0)));
    ASSERT_NE(nullptr, name);
    EXPECT_STREQ("Test Pad", name);
    EXPECT_EQ(Series({0, 1, 0}), g.Series(1, 3));
    EXPECT_EQ(Series({0, 1, 1}), g.Series(2, 3));
    EXPECT_EQ(Series({0, 1, 1}), g.Series(3, 3)) << "down: code 1, the low byte of 0x101";
    testsupport::TheFakeWinmm().Reset();
}

TEST(InputCommands, NoJoystickAnswersZero) {
    InputGame g("NoJoystick", {{{593, {}}, {594, {"4"}}, {595, {"0"}}}});
    ASSERT_TRUE(g.Frame());
    EXPECT_EQ(0u, g.At(0, 0));
    EXPECT_EQ(0u, g.At(0, 1));
    EXPECT_EQ(0u, g.At(0, 2));
}

}  // namespace
