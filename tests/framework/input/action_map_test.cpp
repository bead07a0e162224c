#include "framework/input/action_map.h"

#include <gtest/gtest.h>

#include <climits>

#include "framework/input/input_manager.h"
#include "framework/input/joystick_slot_table.h"
#include "framework/input/key_code_table.h"
#include "framework/input/message_mouse.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_input_platform.h"
#include "tests/support/fake_winmm_joystick.h"

using testsupport::FakeClock;
using testsupport::FakeInputPlatform;
using testsupport::FakeWinmmApi;
using testsupport::TheFakeWinmm;

namespace {

constexpr int kKeyboard = 0;
constexpr int kMouse = 1;
constexpr int kJoystick0 = 2;

// The game's start-up: 20 actions with the default bindings, over polled devices (and a winmm
// joystick when asked).
class ActionMapTest : public ::testing::Test {
protected:
    ActionMapTest() : manager(platform, clock, FakeWinmmApi()) {
        ResetJoystickSlotTable();
        TheFakeWinmm().Reset();
    }
    ~ActionMapTest() override { ResetJoystickSlotTable(); }

    void Start(bool withJoystick, std::uint8_t kind = 1) {
        if (withJoystick) {
            TheFakeWinmm().deviceCount = 1;
            TheFakeWinmm().devices[0].capsOk = true;
            TheFakeWinmm().devices[0].buttons = 8;
        }
        ASSERT_EQ(0, manager.CreateDevices(nullptr, kind, kind));
        if (withJoystick) {
            ASSERT_EQ(0, manager.CreateJoystick(-1, nullptr));
        }
        ASSERT_EQ(0, manager.CreateActionMap(20, &map));
        const struct {
            int action, device, code;
        } defaults[] = {
            {0, kKeyboard, DIK_UP},     {0, kJoystick0, 0}, {1, kKeyboard, DIK_DOWN},
            {1, kJoystick0, 1},         {2, kKeyboard, DIK_LEFT}, {2, kJoystick0, 2},
            {3, kKeyboard, DIK_RIGHT},  {3, kJoystick0, 3}, {4, kKeyboard, DIK_RETURN},
            {4, kKeyboard, DIK_NUMPADENTER}, {5, kKeyboard, DIK_ESCAPE},
        };
        for (const auto& d : defaults) {
            const std::int32_t expected = d.device == kJoystick0 && !withJoystick ? 2 : 0;
            EXPECT_EQ(expected, map->AddBinding(d.action, d.device, static_cast<std::uint8_t>(d.code)));
        }
        manager.AcquireAll();
    }

    void PollWith(std::initializer_list<int> virtualKeys) {
        platform.ReleaseAll();
        for (int key : virtualKeys) platform.Press(key);
        manager.Poll();
    }

    std::vector<int> KeyboardCodes(int action) {
        std::vector<int> codes;
        std::uint8_t code = 0;
        for (int i = 0; map->GetBinding(action, kKeyboard, i, &code, nullptr) == 0; ++i) codes.push_back(code);
        return codes;
    }

    FakeInputPlatform platform;
    FakeClock clock;
    InputManager manager;
    ActionMap* map = nullptr;
};

TEST_F(ActionMapTest, EdgeCases) {
    Start(false);
    const std::int32_t big = INT32_MAX;
    struct Case {
        const char* what;
        std::int32_t got, expected;
    } cases[] = {
        {"IsHeld(20)", map->IsHeld(20), 0},
        {"IsHeld(-1)", map->IsHeld(-1), 0},
        {"IsTriggered(INT_MIN)", map->IsTriggered(INT_MIN), 0},
        {"AddBinding(20, 0, 1)", map->AddBinding(20, kKeyboard, 1), 1},
        {"AddBinding(-1, 0, 1)", map->AddBinding(-1, kKeyboard, 1), 1},
        {"AddBinding to device 7", map->AddBinding(6, 7, 1), 2},
        {"AddBinding to device -1", map->AddBinding(6, -1, 1), 2},
        {"RemoveBinding(20)", map->RemoveBinding(20, kKeyboard, 1), 1},
        {"RemoveBinding of no device", map->RemoveBinding(4, 9, DIK_RETURN), 2},
        {"RemoveBinding of no pair", map->RemoveBinding(4, kKeyboard, DIK_SPACE), 3},
        {"ChangeBinding(-3)", map->ChangeBinding(-3, kKeyboard, 1, -1), 1},
        {"ChangeBinding of no device", map->ChangeBinding(4, kJoystick0, 1, -1), 2},
        {"ChangeBinding without a match", map->ChangeBinding(4, kMouse, 1, -1), 3},
        {"BindingCount(4, keyboard)", map->BindingCount(4, kKeyboard), 2},
        {"BindingCount(0, any) without a joystick", map->BindingCount(0, -1), 1},
        {"BindingCount(4, mouse)", map->BindingCount(4, kMouse), 0},
        {"BindingCount(4, no device)", map->BindingCount(4, kJoystick0), 0},
        {"BindingCount(20, any)", map->BindingCount(20, -1), 0},
        {"GetBinding(20)", map->GetBinding(20, -1, 0, nullptr, nullptr), 1},
        {"GetBinding past all", map->GetBinding(4, -1, 2, nullptr, nullptr), 2},
        {"GetBinding at -1 of all", map->GetBinding(4, -1, -1, nullptr, nullptr), 2},
        {"GetBinding of no device", map->GetBinding(4, kJoystick0, 0, nullptr, nullptr), 3},
        {"GetBinding past the device's", map->GetBinding(4, kKeyboard, 2, nullptr, nullptr), 4},
        {"GetBinding at -1 of the device's", map->GetBinding(4, kKeyboard, -1, nullptr, nullptr), 4},
        {"GetBinding with null outs", map->GetBinding(4, kKeyboard, 1, nullptr, nullptr), 0},
        {"FirstHeld(-1, 5)", map->FirstHeld(-1, 5), -1},
        {"FirstTriggered(big, big)", map->FirstTriggered(big, big), -1},
        {"FirstTriggered(0, -1)", map->FirstTriggered(0, -1), -1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, c.got) << c.what;

    std::uint8_t code = 0;
    InputDevice* device = nullptr;
    ASSERT_EQ(0, map->GetBinding(4, -1, 1, &code, &device));
    EXPECT_EQ(DIK_NUMPADENTER, code);
    EXPECT_EQ(manager.Keyboard(), device);
}

TEST_F(ActionMapTest, FirstTriggeredScansTheGivenRange) {
    Start(false);
    // Actions 6..19 on the letters A S D F G H J K L Z X C V B.
    const KeyCodePair letters[] = {{DIK_A, 'A'}, {DIK_S, 'S'}, {DIK_D, 'D'}, {DIK_F, 'F'},
                                   {DIK_G, 'G'}, {DIK_H, 'H'}, {DIK_J, 'J'}, {DIK_K, 'K'},
                                   {DIK_L, 'L'}, {DIK_Z, 'Z'}, {DIK_X, 'X'}, {DIK_C, 'C'},
                                   {DIK_V, 'V'}, {DIK_B, 'B'}};
    for (int action = 6; action < 20; ++action) {
        ASSERT_EQ(0, map->AddBinding(action, kKeyboard, letters[action - 6].directInputCode));
    }
    struct Case {
        std::int32_t first, count;
        std::initializer_list<int> keys;
        std::int32_t expected;
    } cases[] = {
        {4, 0, {VK_UP, 'A'}, 6},  // 4 to 19: action 0 is not looked at
        {4, 0, {VK_UP}, -1},
        {0, 0, {VK_UP, 'A'}, 0},
        {18, 5, {'A', 'V'}, 18},  // clipped to 18 and 19
        {18, 5, {'A', 'C'}, -1},  // C is action 17
        {18, 5, {'B'}, 19},
        {6, 1, {'S'}, -1},
        {6, 2, {'S'}, 7},
        {4, 0, {VK_RETURN}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ", " << c.count);
        PollWith({});
        PollWith(c.keys);
        EXPECT_EQ(c.expected, map->FirstTriggered(c.first, c.count));
        EXPECT_EQ(c.expected, map->FirstHeld(c.first, c.count));
    }
    // Held, not newly pressed: only FirstHeld finds it.
    PollWith({'V'});
    PollWith({'V'});
    EXPECT_EQ(-1, map->FirstTriggered(18, 5));
    EXPECT_EQ(18, map->FirstHeld(18, 5));
}

TEST_F(ActionMapTest, RemovingEveryBindingOfAnAction) {
    Start(false);
    EXPECT_EQ(0, map->RemoveBinding(4, -1, 0));
    EXPECT_EQ(0, map->BindingCount(4, -1));
    PollWith({});
    PollWith({VK_RETURN, VK_SPACE, VK_ESCAPE});
    EXPECT_FALSE(map->IsTriggered(4));
    EXPECT_FALSE(map->IsHeld(4));
    EXPECT_TRUE(map->IsTriggered(5));
}

TEST_F(ActionMapTest, ChangeAndRemoveTakeTheFirstMatch) {
    Start(false);
    EXPECT_EQ(0, map->ChangeBinding(4, kKeyboard, DIK_SPACE, -1));
    EXPECT_EQ((std::vector<int>{DIK_SPACE, DIK_NUMPADENTER}), KeyboardCodes(4));
    PollWith({});
    PollWith({VK_SPACE});
    EXPECT_TRUE(map->IsTriggered(4));
    EXPECT_EQ(0, map->ChangeBinding(4, kKeyboard, DIK_Z, DIK_NUMPADENTER));
    EXPECT_EQ((std::vector<int>{DIK_SPACE, DIK_Z}), KeyboardCodes(4));
    // The same pair twice; codes compare as bytes (0x139 is 0x39, Space).
    EXPECT_EQ(0, map->AddBinding(4, kKeyboard, DIK_Z));
    EXPECT_EQ(0, map->RemoveBinding(4, kKeyboard, DIK_Z));
    EXPECT_EQ((std::vector<int>{DIK_SPACE, DIK_Z}), KeyboardCodes(4));
    EXPECT_EQ(0, map->RemoveBinding(4, kKeyboard, 0x100 + DIK_SPACE));
    EXPECT_EQ((std::vector<int>{DIK_Z}), KeyboardCodes(4));
}

TEST_F(ActionMapTest, JoystickBindingsNeedAJoystick) {
    Start(true);
    EXPECT_EQ(2, map->BindingCount(0, -1));
    EXPECT_EQ(1, map->BindingCount(0, kJoystick0));
    TheFakeWinmm().devices[0].y = 0;
    PollWith({});
    EXPECT_TRUE(map->IsTriggered(0));
    EXPECT_TRUE(map->IsHeld(0));
    EXPECT_EQ(0, map->FirstHeld(0, 0));
    // The stick back in the centre, the Up key pressed: the keyboard binding is newly down.
    TheFakeWinmm().devices[0].y = 32767;
    PollWith({VK_UP});
    EXPECT_TRUE(map->IsHeld(0));
    EXPECT_TRUE(map->IsTriggered(0));
    PollWith({VK_UP});
    EXPECT_TRUE(map->IsHeld(0));
    EXPECT_FALSE(map->IsTriggered(0));
}

// The player's key assignments, as the settings apply them: one player key behind the two
// defaults of action 4 and the one of action 5, one key on each of actions 6-19.
void ApplyKeyboardAssignments(ActionMap& map, const std::uint8_t (&codes)[16]) {
    for (int i = 0; i < 16; ++i) {
        const int action = 4 + i;
        const std::int32_t defaults = action == 4 ? 2 : action == 5 ? 1 : 0;
        const std::uint8_t code = codes[i];
        std::uint8_t current = 0;
        if (map.BindingCount(action, kKeyboard) == defaults) {
            if (code != 0) map.AddBinding(action, kKeyboard, code);
        } else if (map.GetBinding(action, kKeyboard, defaults, &current, nullptr) == 0) {
            if (code == 0) {
                map.RemoveBinding(action, kKeyboard, current);
            } else if (code != current) {
                map.ChangeBinding(action, kKeyboard, code, current);
            }
        }
    }
}

TEST_F(ActionMapTest, PlayerKeyAssignmentsReplayed) {
    Start(false);
    std::uint8_t codes[16] = {};
    codes[0] = DIK_SPACE;   // action 4
    codes[1] = DIK_BACK;    // action 5
    codes[2] = DIK_A;       // action 6
    codes[14] = DIK_PRIOR;  // action 18
    ApplyKeyboardAssignments(*map, codes);
    EXPECT_EQ((std::vector<int>{DIK_RETURN, DIK_NUMPADENTER, DIK_SPACE}), KeyboardCodes(4));
    EXPECT_EQ((std::vector<int>{DIK_ESCAPE, DIK_BACK}), KeyboardCodes(5));
    EXPECT_EQ((std::vector<int>{DIK_A}), KeyboardCodes(6));
    EXPECT_EQ((std::vector<int>{DIK_PRIOR}), KeyboardCodes(18));
    EXPECT_TRUE(KeyboardCodes(7).empty());

    // Changed in the settings: a new key replaces the player's, 0 removes it, the defaults stay.
    codes[0] = DIK_Z;
    codes[1] = 0;
    codes[2] = 0;
    codes[3] = DIK_S;
    ApplyKeyboardAssignments(*map, codes);
    EXPECT_EQ((std::vector<int>{DIK_RETURN, DIK_NUMPADENTER, DIK_Z}), KeyboardCodes(4));
    EXPECT_EQ((std::vector<int>{DIK_ESCAPE}), KeyboardCodes(5));
    EXPECT_TRUE(KeyboardCodes(6).empty());
    EXPECT_EQ((std::vector<int>{DIK_S}), KeyboardCodes(7));

    PollWith({});
    PollWith({'Z'});
    EXPECT_EQ(4, map->FirstTriggered(0, 0));
}

// The joystick part of the assignments: joystick polling on or off, then one binding on
// joystick 0 for each of actions 4-19 (a direction 0-3 or button code 4 and up; 0 for none):
// added when the action has no joystick binding yet, else its first one changed or removed.
void ApplyJoystickAssignments(InputManager& manager, ActionMap& map, bool polling,
                              const std::uint8_t (&codes)[16]) {
    manager.SetJoystickPolling(polling);
    for (int i = 0; i < 16; ++i) {
        const int action = 4 + i;
        const std::uint8_t code = codes[i];
        std::uint8_t current = 0;
        if (map.BindingCount(action, kJoystick0) == 0) {
            if (code != 0) map.AddBinding(action, kJoystick0, code);
        } else if (map.GetBinding(action, kJoystick0, 0, &current, nullptr) == 0) {
            if (code == 0) {
                map.RemoveBinding(action, kJoystick0, current);
            } else if (code != current) {
                map.ChangeBinding(action, kJoystick0, code, current);
            }
        }
    }
}

TEST_F(ActionMapTest, JoystickAssignmentsReplayed) {
    Start(true);
    std::uint8_t codes[16] = {};
    codes[0] = 4;    // action 4: button 1
    codes[1] = 5;    // action 5: button 2
    codes[2] = 1;    // action 6: the down direction, which action 1 has too
    codes[15] = 11;  // action 19: button 8, the joystick's last
    ApplyJoystickAssignments(manager, *map, true, codes);
    std::vector<int> bound;
    for (int action = 4; action < 20; ++action) bound.push_back(map->BindingCount(action, kJoystick0));
    EXPECT_EQ((std::vector<int>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}), bound);
    std::uint8_t code = 0;
    ASSERT_EQ(0, map->GetBinding(19, kJoystick0, 0, &code, nullptr));
    EXPECT_EQ(11, code);
    // The keyboard defaults of actions 4 and 5 and the direction defaults stay.
    EXPECT_EQ(2, map->BindingCount(4, kKeyboard));
    EXPECT_EQ(1, map->BindingCount(5, kKeyboard));
    EXPECT_EQ(1, map->BindingCount(1, kJoystick0));

    TheFakeWinmm().devices[0].buttonMask = 1u << 7;
    PollWith({});
    EXPECT_EQ(19, map->FirstTriggered(4, 0));
    TheFakeWinmm().devices[0].buttonMask = 1u << 0;
    PollWith({});
    EXPECT_TRUE(map->IsTriggered(4));
    EXPECT_FALSE(map->IsHeld(19));

    // Changed in the settings: action 4 moves to button 3, action 5 loses its button, action 7
    // gains button 1, action 6 keeps its direction.
    codes[0] = 6;
    codes[1] = 0;
    codes[3] = 4;
    ApplyJoystickAssignments(manager, *map, true, codes);
    ASSERT_EQ(0, map->GetBinding(4, kJoystick0, 0, &code, nullptr));
    EXPECT_EQ(6, code);
    EXPECT_EQ(1, map->BindingCount(4, kJoystick0));
    EXPECT_EQ(0, map->BindingCount(5, kJoystick0));
    ASSERT_EQ(0, map->GetBinding(6, kJoystick0, 0, &code, nullptr));
    EXPECT_EQ(1, code);
    ASSERT_EQ(0, map->GetBinding(7, kJoystick0, 0, &code, nullptr));
    EXPECT_EQ(4, code);

    TheFakeWinmm().devices[0].buttonMask = 0;
    PollWith({});
    TheFakeWinmm().devices[0].buttonMask = (1u << 0) | (1u << 2);
    TheFakeWinmm().devices[0].y = 65535;
    PollWith({});
    EXPECT_TRUE(map->IsTriggered(4));
    EXPECT_TRUE(map->IsTriggered(7));
    EXPECT_TRUE(map->IsHeld(6));
    EXPECT_TRUE(map->IsHeld(1));
    EXPECT_FALSE(map->IsHeld(5));

    // Polling turned off: the bindings stay, but the held buttons and stick read as released
    // and later polls do not read the joystick.
    ApplyJoystickAssignments(manager, *map, false, codes);
    EXPECT_EQ(1, map->BindingCount(4, kJoystick0));
    EXPECT_FALSE(map->IsHeld(4));
    EXPECT_FALSE(map->IsHeld(6));
    PollWith({});
    EXPECT_FALSE(map->IsHeld(7));
    EXPECT_EQ(-1, map->FirstHeld(4, 0));
    // And on again: the held button is a new press.
    ApplyJoystickAssignments(manager, *map, true, codes);
    PollWith({});
    EXPECT_TRUE(map->IsTriggered(7));
}

TEST_F(ActionMapTest, JoystickAssignmentsWithoutAJoystickBindNothing) {
    Start(false);
    std::uint8_t codes[16];
    for (int i = 0; i < 16; ++i) codes[i] = static_cast<std::uint8_t>(4 + i);
    ApplyJoystickAssignments(manager, *map, true, codes);
    // Every binding left is a keyboard default.
    for (int action = 4; action < 20; ++action) {
        EXPECT_EQ(map->BindingCount(action, kKeyboard), map->BindingCount(action, -1)) << action;
    }
    EXPECT_EQ(2, map->BindingCount(4, -1));
}

// The mouse part of the assignments: the right and middle buttons each to none or one of
// actions 12, 11, 6, 15, 7, 8; the wheel forward to 14 or 18; the wheel backward to 19 or
// nothing. Each change removes the previous binding of that mouse code first.
struct MouseAssignments {
    int applied[5] = {};  // by mouse code: the action bound last, 0 for none

    void Bind(ActionMap& map, int mouseCode, int action) {
        if (applied[mouseCode] == action) return;
        if (applied[mouseCode] != 0) map.RemoveBinding(applied[mouseCode], kMouse, mouseCode);
        if (action != 0) map.AddBinding(action, kMouse, static_cast<std::uint8_t>(mouseCode));
        applied[mouseCode] = action;
    }

    void Apply(ActionMap& map, int rightChoice, int middleChoice, bool wheelToRewind,
               bool wheelBackToNextPage) {
        static const int kChoices[] = {0, 12, 11, 6, 15, 7, 8};
        Bind(map, 1, kChoices[rightChoice]);
        Bind(map, 2, kChoices[middleChoice]);
        Bind(map, 3, wheelToRewind ? 18 : 14);
        Bind(map, 4, wheelBackToNextPage ? 19 : 0);
    }
};

TEST_F(ActionMapTest, MouseAssignmentsReplayedWithTheMessageMouse) {
    Start(false, 2);
    MouseAssignments mouse;
    mouse.Apply(*map, 1, 2, false, true);
    EXPECT_EQ(1, map->BindingCount(12, kMouse));
    EXPECT_EQ(1, map->BindingCount(11, kMouse));
    EXPECT_EQ(1, map->BindingCount(14, kMouse));
    EXPECT_EQ(1, map->BindingCount(19, kMouse));
    mouse.Apply(*map, 3, 0, true, false);
    EXPECT_EQ(0, map->BindingCount(12, kMouse));
    EXPECT_EQ(1, map->BindingCount(6, kMouse));
    EXPECT_EQ(0, map->BindingCount(11, kMouse));
    EXPECT_EQ(0, map->BindingCount(14, kMouse));
    EXPECT_EQ(1, map->BindingCount(18, kMouse));
    EXPECT_EQ(0, map->BindingCount(19, kMouse));

    // A wheel notch holds action 18 for exactly the poll in which it arrived.
    manager.Poll();
    EXPECT_TRUE(manager.OnMouseWheel(MAKEWPARAM(0, 120)));
    manager.Poll();
    EXPECT_TRUE(map->IsHeld(18));
    EXPECT_TRUE(map->IsTriggered(18));
    EXPECT_EQ(18, map->FirstTriggered(4, 0));
    manager.Poll();
    EXPECT_FALSE(map->IsHeld(18));
    EXPECT_EQ(-1, map->FirstHeld(4, 0));

    EXPECT_TRUE(manager.OnRightButtonDown());
    EXPECT_TRUE(manager.OnRightButtonUp());
    manager.Poll();
    EXPECT_TRUE(map->IsTriggered(6));
    EXPECT_FALSE(map->IsHeld(6));
}

TEST(ActionMap, WithoutAManagerEverythingIsOutOfRange) {
    ActionMap map(nullptr);
    EXPECT_EQ(1, map.Init(0));
    EXPECT_EQ(0, map.Init(3));
    EXPECT_EQ(1, map.AddBinding(0, 0, 1));
    EXPECT_FALSE(map.IsHeld(0));
    EXPECT_EQ(-1, map.FirstHeld(0, 0));
    EXPECT_EQ(0, map.BindingCount(0, -1));
    EXPECT_EQ(1, map.GetBinding(0, -1, 0, nullptr, nullptr));
}

}  // namespace
