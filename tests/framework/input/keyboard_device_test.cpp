#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <thread>

#include "framework/input/async_key_keyboard.h"
#include "framework/input/direct_input_keyboard.h"
#include "framework/input/key_code_table.h"
#include "framework/input/message_keyboard.h"
#include "tests/support/fake_direct_input.h"
#include "tests/support/fake_input_platform.h"

using testsupport::FakeDirectInput;
using testsupport::FakeDirectInputDevice;
using testsupport::FakeInputPlatform;

namespace {

// Presses and releases keys on one keyboard kind and polls it, so that one table of steps runs
// against every kind.
class KeyboardDriver {
public:
    virtual ~KeyboardDriver() = default;
    virtual KeyboardDevice& Device() = 0;
    // `row` is a KeyCodeTable row: its virtual key for the Windows kinds, its DirectInput code
    // for DirectInput.
    virtual void Press(const KeyCodePair& key) = 0;
    virtual void Release(const KeyCodePair& key) = 0;
    void Poll() { EXPECT_EQ(0, Device().Poll()); }
};

class AsyncKeyDriver : public KeyboardDriver {
public:
    explicit AsyncKeyDriver(bool subset)
        : m_keyboard(subset ? std::unique_ptr<KeyboardDevice>(new AsyncKeySubsetKeyboard(m_platform))
                            : std::unique_ptr<KeyboardDevice>(new AsyncKeyKeyboard(m_platform))) {}
    KeyboardDevice& Device() override { return *m_keyboard; }
    void Press(const KeyCodePair& key) override { m_platform.Press(key.virtualKey); }
    void Release(const KeyCodePair& key) override { m_platform.Release(key.virtualKey); }

private:
    FakeInputPlatform m_platform;
    std::unique_ptr<KeyboardDevice> m_keyboard;
};

class MessageDriver : public KeyboardDriver {
public:
    MessageDriver() : m_keyboard(m_platform) {}
    KeyboardDevice& Device() override { return m_keyboard; }
    void Press(const KeyCodePair& key) override { m_keyboard.OnKeyDown(key.virtualKey, 0); }
    void Release(const KeyCodePair& key) override { m_keyboard.OnKeyUp(key.virtualKey); }

private:
    FakeInputPlatform m_platform;
    MessageKeyboard m_keyboard;
};

class DirectInputDriver : public KeyboardDriver {
public:
    DirectInputDriver() : m_keyboard(m_platform) {
        m_device.buttons = 128;
        m_device.SetKeys({});
        m_input.AddDevice(GUID_SysKeyboard, &m_device);
        EXPECT_EQ(0, m_keyboard.Open(&m_input, nullptr));
    }
    KeyboardDevice& Device() override { return m_keyboard; }
    void Press(const KeyCodePair& key) override { m_device.state[key.directInputCode] = 0x80; }
    void Release(const KeyCodePair& key) override { m_device.state[key.directInputCode] = 0; }

private:
    FakeInputPlatform m_platform;
    FakeDirectInputDevice m_device;
    FakeDirectInput m_input;
    DirectInputKeyboard m_keyboard;
};

const KeyCodePair kKeyA = {DIK_A, 'A'};
const KeyCodePair kKeyS = {DIK_S, 'S'};

struct KindCase {
    const char* name;
    std::function<std::unique_ptr<KeyboardDriver>()> make;
};

class EveryKeyboardKind : public ::testing::TestWithParam<KindCase> {};

// The subset keyboard knows neither A nor S; Z and X take their place there.
const KeyCodePair kKeyZ = {DIK_Z, 'Z'};
const KeyCodePair kKeyX = {DIK_X, 'X'};

TEST_P(EveryKeyboardKind, PressAndReleaseAroundPolls) {
    auto driver = GetParam().make();
    KeyboardDevice& keyboard = driver->Device();
    const bool subset = keyboard.DeviceKind() == DeviceKind::WindowsApiSubset;
    const KeyCodePair low = subset ? kKeyZ : kKeyA;
    const KeyCodePair high = subset ? kKeyX : kKeyS;
    ASSERT_LT(low.directInputCode, high.directInputCode);

    struct Step {
        const char* what;
        std::function<void()> act;
        bool lowDown, lowTriggered, highDown, highTriggered;
        int firstDown, firstTriggered;
    };
    const int lowCode = low.directInputCode, highCode = high.directInputCode;
    const Step steps[] = {
        {"nothing pressed", [] {}, false, false, false, false, -1, -1},
        {"high key pressed", [&] { driver->Press(high); }, false, false, true, true, highCode,
         highCode},
        {"high key still held", [] {}, false, false, true, false, highCode, -1},
        {"low key pressed too", [&] { driver->Press(low); }, true, true, true, false, lowCode,
         lowCode},
        {"low key released", [&] { driver->Release(low); }, false, false, true, false, highCode,
         -1},
        {"high key released", [&] { driver->Release(high); }, false, false, false, false, -1, -1},
        {"low key pressed again", [&] { driver->Press(low); }, true, true, false, false, lowCode,
         lowCode},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        driver->Poll();
        EXPECT_EQ(step.lowDown, keyboard.IsDown(low.directInputCode));
        EXPECT_EQ(step.lowTriggered, keyboard.IsTriggered(low.directInputCode));
        EXPECT_EQ(step.highDown, keyboard.IsDown(high.directInputCode));
        EXPECT_EQ(step.highTriggered, keyboard.IsTriggered(high.directInputCode));
        EXPECT_EQ(step.firstDown, keyboard.FirstDown());
        EXPECT_EQ(step.firstTriggered, keyboard.FirstTriggered());
    }
    keyboard.Unacquire();
    EXPECT_FALSE(keyboard.IsDown(low.directInputCode));
    EXPECT_EQ(-1, keyboard.FirstDown());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EveryKeyboardKind,
    ::testing::Values(
        KindCase{"DirectInput", [] { return std::unique_ptr<KeyboardDriver>(new DirectInputDriver); }},
        KindCase{"WindowsApi", [] { return std::unique_ptr<KeyboardDriver>(new AsyncKeyDriver(false)); }},
        KindCase{"WindowMessages", [] { return std::unique_ptr<KeyboardDriver>(new MessageDriver); }},
        KindCase{"WindowsApiSubset", [] { return std::unique_ptr<KeyboardDriver>(new AsyncKeyDriver(true)); }}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

// The DirectInput codes the polled keyboard reports while only `virtualKey` is down.
std::set<int> CodesDownFor(KeyboardDevice& keyboard, FakeInputPlatform& platform, int virtualKey) {
    platform.ReleaseAll();
    platform.Press(virtualKey);
    keyboard.Poll();
    std::set<int> codes;
    for (int code = 0; code < 256; ++code) {
        if (keyboard.IsDown(static_cast<std::uint8_t>(code))) codes.insert(code);
    }
    return codes;
}

TEST(AsyncKeyKeyboard, EveryRowLandsOnItsDirectInputCode) {
    FakeInputPlatform platform;
    AsyncKeyKeyboard keyboard(platform);
    for (std::size_t row = 0; row < kKeyCodeTableRows; ++row) {
        SCOPED_TRACE(row);
        const KeyCodePair& pair = KeyCodeTable[row];
        std::set<int> expected;
        for (const KeyCodePair& other : KeyCodeTable) {
            if (other.virtualKey == pair.virtualKey) expected.insert(other.directInputCode);
        }
        EXPECT_EQ(expected, CodesDownFor(keyboard, platform, pair.virtualKey));
    }
}

TEST(AsyncKeyKeyboard, SubsetReadsOnlyItsRows) {
    FakeInputPlatform platform;
    AsyncKeySubsetKeyboard keyboard(platform);
    std::set<int> inSubset;
    for (std::uint8_t row : AsyncKeySubset) inSubset.insert(row);
    for (std::size_t row = 0; row < kKeyCodeTableRows; ++row) {
        SCOPED_TRACE(row);
        const KeyCodePair& pair = KeyCodeTable[row];
        std::set<int> expected;
        for (std::size_t other = 0; other < kKeyCodeTableRows; ++other) {
            if (KeyCodeTable[other].virtualKey == pair.virtualKey && inSubset.count(int(other))) {
                expected.insert(KeyCodeTable[other].directInputCode);
            }
        }
        EXPECT_EQ(expected, CodesDownFor(keyboard, platform, pair.virtualKey));
    }
    // Polling reads exactly the subset's 47 virtual keys.
    platform.asyncKeyReads = 0;
    keyboard.Poll();
    EXPECT_EQ(47, platform.asyncKeyReads);
}

TEST(KeyCodeTable, EscapeReadsAsNoConvertOnPolledKeyboardsOnly) {
    FakeInputPlatform platform;
    AsyncKeyKeyboard polled(platform);
    EXPECT_EQ((std::set<int>{DIK_ESCAPE, DIK_NOCONVERT}), CodesDownFor(polled, platform, VK_ESCAPE));

    MessageKeyboard fed(platform);
    fed.OnKeyDown(VK_ESCAPE, 0);
    fed.Poll();
    EXPECT_TRUE(fed.IsDown(DIK_ESCAPE));
    EXPECT_TRUE(fed.IsTriggered(DIK_ESCAPE));
    EXPECT_FALSE(fed.IsDown(DIK_NOCONVERT));
    EXPECT_FALSE(fed.IsTriggered(DIK_NOCONVERT));
}

TEST(MessageKeyboard, TheLaterRowWinsForSharedVirtualKeys) {
    FakeInputPlatform platform;
    MessageKeyboard keyboard(platform);
    EXPECT_EQ(DIK_RETURN, keyboard.CodeOf(VK_RETURN));
    EXPECT_EQ(DIK_LSHIFT, keyboard.CodeOf(VK_SHIFT));
    EXPECT_EQ(DIK_LCONTROL, keyboard.CodeOf(VK_CONTROL));
    EXPECT_EQ(DIK_LMENU, keyboard.CodeOf(VK_MENU));
    EXPECT_EQ(0, keyboard.CodeOf(VK_F13));
    // Only the low byte of wParam picks the key.
    EXPECT_EQ(DIK_A, keyboard.CodeOf(0x100 + 'A'));
}

TEST(MessageKeyboard, APressBetweenPollsIsTriggeredForExactlyOnePollAndNeverDown) {
    FakeInputPlatform platform;
    MessageKeyboard keyboard(platform);
    keyboard.Poll();
    keyboard.OnKeyDown('A', 0);
    keyboard.OnKeyUp('A');
    EXPECT_FALSE(keyboard.IsTriggered(DIK_A));
    keyboard.Poll();
    EXPECT_TRUE(keyboard.IsTriggered(DIK_A));
    EXPECT_FALSE(keyboard.IsDown(DIK_A));
    EXPECT_EQ(DIK_A, keyboard.FirstTriggered());
    EXPECT_EQ(-1, keyboard.FirstDown());
    keyboard.Poll();
    EXPECT_FALSE(keyboard.IsTriggered(DIK_A));
    EXPECT_EQ(-1, keyboard.FirstTriggered());
}

TEST(MessageKeyboard, APendingEventRecordsNothingMore) {
    FakeInputPlatform platform;
    MessageKeyboard keyboard(platform);
    keyboard.OnKeyDown('A', 0);
    keyboard.OnKeyDown('A', LPARAM(1) << 30);
    keyboard.Poll();
    EXPECT_TRUE(keyboard.IsTriggered(DIK_A));
    EXPECT_FALSE(keyboard.IsRepeated(DIK_A));
}

TEST(MessageKeyboard, RepeatFlagDecidesWhetherAutoRepeatCounts) {
    const LPARAM autoRepeat = LPARAM(1) << 30;
    struct Case {
        bool repeatFlag;
        LPARAM lParam;
        bool triggered, repeated;
    } cases[] = {
        {true, 0, true, false},
        {true, autoRepeat, true, true},
        {false, 0, true, false},
        {false, autoRepeat, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flag " << c.repeatFlag << " lParam " << c.lParam);
        FakeInputPlatform platform;
        MessageKeyboard keyboard(platform);
        EXPECT_TRUE(keyboard.RepeatFlag());
        keyboard.SetRepeatFlag(c.repeatFlag);
        keyboard.OnKeyDown(VK_DOWN, c.lParam);
        keyboard.Poll();
        EXPECT_TRUE(keyboard.IsDown(DIK_DOWN));
        EXPECT_EQ(c.triggered, keyboard.IsTriggered(DIK_DOWN));
        EXPECT_EQ(c.repeated, keyboard.IsRepeated(DIK_DOWN));
    }
}

TEST(AsyncKeyKeyboard, IsRepeatedIsAlwaysFalse) {
    FakeInputPlatform platform;
    AsyncKeyKeyboard keyboard(platform);
    platform.Press(VK_DOWN);
    keyboard.Poll();
    keyboard.Poll();
    EXPECT_TRUE(keyboard.IsDown(DIK_DOWN));
    EXPECT_FALSE(keyboard.IsRepeated(DIK_DOWN));
}

TEST(KeyboardDevice, LockStatesFollowOnlyTheThreeLockKeys) {
    FakeInputPlatform platform;
    AsyncKeyKeyboard keyboard(platform);
    platform.toggled[VK_CAPITAL] = true;
    platform.toggled[VK_NUMLOCK] = true;
    platform.toggled[VK_SCROLL] = true;
    keyboard.UpdateLockKey('A');
    keyboard.UpdateLockKey(VK_SHIFT);
    EXPECT_EQ(0, keyboard.CapsLockState());
    EXPECT_EQ(0, keyboard.NumLockState());
    EXPECT_EQ(0, keyboard.ScrollLockState());
    keyboard.UpdateLockKey(VK_CAPITAL);
    EXPECT_EQ(1, keyboard.CapsLockState());
    EXPECT_EQ(0, keyboard.NumLockState());
    keyboard.UpdateLockKey(VK_NUMLOCK);
    keyboard.UpdateLockKey(VK_SCROLL);
    EXPECT_EQ(1, keyboard.NumLockState());
    EXPECT_EQ(1, keyboard.ScrollLockState());
    platform.toggled[VK_CAPITAL] = false;
    platform.toggled[VK_SCROLL] = false;
    keyboard.RefreshLockKeys();
    EXPECT_EQ(0, keyboard.CapsLockState());
    EXPECT_EQ(1, keyboard.NumLockState());
    EXPECT_EQ(0, keyboard.ScrollLockState());
}

// The window thread feeds key messages while the game thread polls; every press must be seen.
TEST(MessageKeyboard, NoPressIsLostWhileAnotherThreadPolls) {
    FakeInputPlatform platform;
    MessageKeyboard keyboard(platform);
    std::atomic<int> seen{0};
    std::atomic<bool> stop{false};
    std::thread poller([&] {
        while (!stop.load()) {
            keyboard.Poll();
            if (keyboard.IsTriggered(DIK_SPACE)) seen.fetch_add(1);
        }
    });
    const int kPresses = 2000;
    int lost = 0;
    for (int press = 0; press < kPresses && lost == 0; ++press) {
        keyboard.OnKeyDown(VK_SPACE, 0);
        keyboard.OnKeyUp(VK_SPACE);
        const DWORD start = GetTickCount();
        while (seen.load() <= press) {
            if (GetTickCount() - start > 2000) {
                lost = press + 1;
                break;
            }
            Sleep(0);
        }
    }
    stop.store(true);
    poller.join();
    EXPECT_EQ(0, lost) << "press " << lost << " was never seen";
    EXPECT_EQ(kPresses, seen.load());
}

}  // namespace
