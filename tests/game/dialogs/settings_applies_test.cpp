// The binding applies over a real action map on fake devices (start-up's default bindings
// first), and the sound apply's calls in order.
#include "game/dialogs/settings_applies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/input/action_map.h"
#include "framework/input/input_manager.h"
#include "framework/input/joystick_slot_table.h"
#include "framework/sound/sound_manager.h"
#include "game/app/settings_records.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_input_platform.h"
#include "tests/support/fake_winmm_joystick.h"

namespace O = SettingsOffsets;

namespace {

constexpr int kKeyboard = 0;
constexpr int kMouse = 1;
constexpr int kJoystick = 2;

class SettingsBindings : public ::testing::Test {
protected:
    SettingsBindings() : manager(platform, clock, testsupport::FakeWinmmApi()) {
        ResetJoystickSlotTable();
        testsupport::TheFakeWinmm().Reset();
        testsupport::TheFakeWinmm().deviceCount = 1;
        testsupport::TheFakeWinmm().devices[0].capsOk = true;
        testsupport::TheFakeWinmm().devices[0].buttons = 8;
        EXPECT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
        EXPECT_EQ(0, manager.CreateJoystick(-1, nullptr));
        EXPECT_EQ(0, manager.CreateActionMap(20, &map));
        // Start-up's defaults: Enter and the keypad's Enter for action 4, Esc for action 5.
        map->AddBinding(4, kKeyboard, 28);
        map->AddBinding(4, kKeyboard, 156);
        map->AddBinding(5, kKeyboard, 1);
    }
    ~SettingsBindings() override { ResetJoystickSlotTable(); }

    std::vector<int> Codes(int action, int device) {
        std::vector<int> codes;
        std::uint8_t code = 0;
        for (int i = 0; map->GetBinding(action, device, i, &code, nullptr) == 0; ++i) codes.push_back(code);
        return codes;
    }

    testsupport::FakeInputPlatform platform;
    testsupport::FakeClock clock;
    InputManager manager;
    ActionMap* map = nullptr;
    AppCfgBlock block;
};

using List = std::vector<int>;

TEST_F(SettingsBindings, DefaultKeysJoinTheStartUpBindings) {
    ApplyKeyboardBindings(*map, block.bytes);
    EXPECT_EQ((List{28, 156, 44}), Codes(4, kKeyboard)) << "Z after the two defaults";
    EXPECT_EQ((List{1, 45}), Codes(5, kKeyboard)) << "X after Esc";
    EXPECT_EQ((List{30}), Codes(6, kKeyboard));
    EXPECT_EQ((List{210}), Codes(14, kKeyboard));
    EXPECT_EQ((List{201}), Codes(18, kKeyboard));
    EXPECT_EQ((List{209}), Codes(19, kKeyboard));
}

// A second apply with the code 0, the same code or another one.
TEST_F(SettingsBindings, ReapplyingChangesKeepsOrRemovesThePlayersKey) {
    ApplyKeyboardBindings(*map, block.bytes);
    const struct {
        const char* name;
        std::uint8_t code;
        List action4, action5, action6;
    } rows[] = {
        {"the same keys", 0xFF, {28, 156, 44}, {1, 45}, {30}},
        {"other keys", 16, {28, 156, 16}, {1, 16}, {16}},
        {"no keys", 0, {28, 156}, {1}, {}},
        {"keys again", 17, {28, 156, 17}, {1, 17}, {17}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.code != 0xFF) block.bytes[O::kKeys] = block.bytes[O::kKeys + 1] = block.bytes[O::kKeys + 2] = row.code;
        ApplyKeyboardBindings(*map, block.bytes);
        EXPECT_EQ(row.action4, Codes(4, kKeyboard));
        EXPECT_EQ(row.action5, Codes(5, kKeyboard));
        EXPECT_EQ(row.action6, Codes(6, kKeyboard));
    }
}

// A script removed the defaults of actions 4 and 5: the player's key is still bound, once.
TEST_F(SettingsBindings, KeysOfActionsWhoseDefaultsWereRemoved) {
    map->RemoveBinding(4, kKeyboard, 28);
    map->RemoveBinding(5, kKeyboard, 1);
    ApplyKeyboardBindings(*map, block.bytes);
    EXPECT_EQ((List{156, 44}), Codes(4, kKeyboard));
    EXPECT_EQ((List{45}), Codes(5, kKeyboard));
    ApplyKeyboardBindings(*map, block.bytes);
    EXPECT_EQ((List{156, 44}), Codes(4, kKeyboard));
    EXPECT_EQ((List{45}), Codes(5, kKeyboard));
    map->RemoveBinding(4, -1, 0);
    ApplyKeyboardBindings(*map, block.bytes);
    EXPECT_EQ((List{44}), Codes(4, kKeyboard));
}

TEST_F(SettingsBindings, JoystickCodes) {
    block.bytes[O::kJoystickCodes] = 5;
    block.bytes[O::kJoystickCodes + 3] = 9;
    AppliedMouseActions applied;
    ApplyPadAndMouseBindings(*map, block.bytes, applied);
    EXPECT_EQ((List{5}), Codes(4, kJoystick));
    EXPECT_EQ((List{9}), Codes(7, kJoystick));
    EXPECT_EQ((List{}), Codes(6, kJoystick));
    block.bytes[O::kJoystickCodes] = 0;
    block.bytes[O::kJoystickCodes + 3] = 6;
    ApplyPadAndMouseBindings(*map, block.bytes, applied);
    EXPECT_EQ((List{}), Codes(4, kJoystick));
    EXPECT_EQ((List{6}), Codes(7, kJoystick));
}

TEST_F(SettingsBindings, MouseChoicesMoveTheirBindings) {
    AppliedMouseActions applied;
    ApplyPadAndMouseBindings(*map, block.bytes, applied);
    // Defaults: right button the system menu, wheel button nothing, wheel up the history, wheel
    // down the next page.
    EXPECT_EQ((List{1}), Codes(12, kMouse));
    EXPECT_EQ((List{3}), Codes(14, kMouse));
    EXPECT_EQ((List{4}), Codes(19, kMouse));
    for (int action : {6, 7, 8, 11, 15, 18}) EXPECT_EQ((List{}), Codes(action, kMouse)) << action;

    block.bytes[O::kRightButton] = 5;
    block.bytes[O::kWheelButton] = 2;
    block.bytes[O::kWheelUpRewinds] = 1;
    block.bytes[O::kWheelDownNextPage] = 0;
    ApplyPadAndMouseBindings(*map, block.bytes, applied);
    EXPECT_EQ((List{}), Codes(12, kMouse)) << "the system menu lost the right button";
    EXPECT_EQ((List{1}), Codes(7, kMouse)) << "save took it";
    EXPECT_EQ((List{2}), Codes(11, kMouse));
    EXPECT_EQ((List{}), Codes(14, kMouse));
    EXPECT_EQ((List{3}), Codes(18, kMouse));
    EXPECT_EQ((List{}), Codes(19, kMouse));

    // The same choices again change nothing.
    ApplyPadAndMouseBindings(*map, block.bytes, applied);
    EXPECT_EQ((List{1}), Codes(7, kMouse));
    EXPECT_EQ((List{2}), Codes(11, kMouse));

    block.bytes[O::kRightButton] = 0;
    ApplyPadAndMouseBindings(*map, block.bytes, applied);
    EXPECT_EQ((List{}), Codes(7, kMouse));
    EXPECT_EQ(0, applied.action[0]);
}

TEST(SettingsChoices, MouseChoiceActions) {
    const std::int32_t expected[] = {0, 12, 11, 6, 15, 7, 8, 0, 0};
    for (std::uint8_t choice = 0; choice < 9; ++choice) EXPECT_EQ(expected[choice], MouseChoiceAction(choice)) << int(choice);
}

class RecordingSoundPort : public SoundSettingsPort {
public:
    void SetMasterEnable(bool on) override { Note("master on", on); }
    void SetMasterVolume(std::int32_t v) override { Note("master volume", v); }
    void SetBgmUserVolume(std::int32_t v) override { Note("bgm volume", v); }
    void SetBgmEnable(bool on) override { Note("bgm on", on); }
    void SetGroup1Enable(bool on) override { Note("group 1 on", on); }
    void SetDefaultUserVolume(std::int32_t v) override { Note("channel volume", v); }
    void StoreGroup2Enable(bool on) override { Note("group 2 stored", on); }
    void SetGroup2DefaultUserVolume(std::int32_t v) override { Note("group 2 volume", v); }
    void SetGroup4DefaultUserVolume(std::int32_t v) override { Note("group 4 default", v); }
    void SetGroup4Volume(std::int32_t v) override { Note("group 4 volume", v); }
    void StoreGroup4Enable(bool on) override { Note("group 4 stored", on); }
    std::vector<std::string> calls;

private:
    void Note(const char* what, std::int32_t value) { calls.push_back(std::string(what) + " " + std::to_string(value)); }
};

TEST(SoundSettings, CallsInOrder) {
    AppCfgBlock block;
    block.bytes[O::kSoundOn] = 1;
    block.bytes[O::kBgmOn] = 0;
    block.bytes[O::kGroup1On] = 1;
    block.bytes[O::kGroup2On] = 0;
    block.bytes[O::kGroup4On] = 1;
    WriteInt32(block.bytes, O::kMasterVolume, 200);
    WriteInt32(block.bytes, O::kBgmVolume, 180);
    WriteInt32(block.bytes, O::kChannelVolume, 160);
    WriteInt32(block.bytes, O::kGroup2Volume, 140);
    WriteInt32(block.bytes, O::kGroup4Volume, 120);
    RecordingSoundPort port;
    EXPECT_TRUE(ApplySoundSettings(&port, block.bytes));
    const std::vector<std::string> expected = {
        "master on 1",      "master volume 200",   "bgm volume 180",     "bgm on 0",
        "group 1 on 1",     "channel volume 160",  "group 2 stored 0",   "group 2 volume 140",
        "group 4 default 256", "group 4 volume 120", "group 4 stored 1",
    };
    EXPECT_EQ(expected, port.calls);
    EXPECT_FALSE(ApplySoundSettings(nullptr, block.bytes));
}

TEST(SoundSettings, ReachTheSoundManager) {
    AppCfgBlock block;
    block.bytes[O::kSoundOn] = 1;
    block.bytes[O::kGroup2On] = 0;
    block.bytes[O::kGroup4On] = 0;
    WriteInt32(block.bytes, O::kMasterVolume, 200);
    WriteInt32(block.bytes, O::kBgmVolume, 180);
    WriteInt32(block.bytes, O::kGroup4Volume, 120);
    SoundManager manager;
    SoundManagerSettingsPort port(manager);
    EXPECT_TRUE(ApplySoundSettings(&port, block.bytes));
    EXPECT_EQ(200, manager.MasterVolume());
    EXPECT_EQ(180, manager.BgmUserVolume());
    EXPECT_EQ(120, manager.Group4Volume());
    EXPECT_FALSE(manager.GroupEnabled(2));
    EXPECT_FALSE(manager.GroupEnabled(4));
    EXPECT_TRUE(manager.GroupEnabled(1));
}

TEST(SettingsBlocks, Int32LittleEndian) {
    std::uint8_t bytes[8] = {};
    WriteInt32(bytes, 2, -2);
    EXPECT_EQ(0xFE, bytes[2]);
    EXPECT_EQ(0xFF, bytes[5]);
    EXPECT_EQ(-2, ReadInt32(bytes, 2));
    WriteInt32(bytes, 2, 1230);
    EXPECT_EQ(1230, ReadInt32(bytes, 2));
}

}  // namespace
