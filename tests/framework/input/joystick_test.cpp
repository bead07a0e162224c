#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/input/direct_input_joystick.h"
#include "framework/input/joystick_slot_table.h"
#include "framework/input/winmm_joystick.h"
#include "tests/support/fake_direct_input.h"
#include "tests/support/fake_winmm_joystick.h"

using testsupport::FakeDirectInput;
using testsupport::FakeDirectInputDevice;
using testsupport::FakeWinmm;
using testsupport::FakeWinmmApi;
using testsupport::TheFakeWinmm;

namespace {

class DirectInputJoysticks : public ::testing::Test {
protected:
    DirectInputJoysticks() { ResetJoystickSlotTable(); }
    ~DirectInputJoysticks() override { ResetJoystickSlotTable(); }

    // A joystick device with 8 buttons over 0..65535, attached to the fake DirectInput.
    FakeDirectInputDevice& Attach() {
        devices.emplace_back(new FakeDirectInputDevice);
        FakeDirectInputDevice& device = *devices.back();
        device.buttons = 8;
        device.axes = 2;
        device.productName = "Test Pad";
        device.SetJoystick(32767, 32767);
        input.AddJoystick(&device);
        return device;
    }

    FakeDirectInput input;
    std::vector<std::unique_ptr<FakeDirectInputDevice>> devices;
};

TEST_F(DirectInputJoysticks, ThresholdsAreAThirdInFromEitherEnd) {
    struct Case {
        LONG min, max;
        std::int32_t low, high;
    } cases[] = {
        {0, 65535, 21845, 43690},
        {-1000, 1000, -333, 333},
        {-1, 1, 0, 0},
        {-2147483647 - 1, 2147483647, -715827883, 715827882},
        {0, 2147483647, 715827882, 1431655764},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max);
        ResetJoystickSlotTable();
        FakeDirectInput fresh;
        FakeDirectInputDevice device;
        device.xMin = device.yMin = c.min;
        device.xMax = device.yMax = c.max;
        fresh.AddJoystick(&device);
        DirectInputJoystick joystick;
        ASSERT_EQ(0, joystick.Open(&fresh, nullptr, -1, false));
        EXPECT_EQ(c.low, joystick.XLow());
        EXPECT_EQ(c.high, joystick.XHigh());
        EXPECT_EQ(c.low, joystick.YLow());
        EXPECT_EQ(c.high, joystick.YHigh());
    }
}

TEST_F(DirectInputJoysticks, DirectionsAndButtonsAroundPolls) {
    FakeDirectInputDevice& device = Attach();
    DirectInputJoystick joystick;
    ASSERT_EQ(0, joystick.Open(&input, nullptr, -1, false));
    EXPECT_EQ("Test Pad", joystick.Name());
    EXPECT_EQ(0, joystick.Slot());
    EXPECT_EQ(8, joystick.ReportedButtonCount());
    EXPECT_EQ(2, joystick.AxisCount());

    struct Step {
        const char* what;
        LONG x, y;
        std::vector<int> buttons;
        std::vector<int> down, triggered;
        int firstDown, firstTriggered;
    } steps[] = {
        {"centred", 32767, 32767, {}, {}, {}, -1, -1},
        {"at the thresholds", 21845, 43690, {}, {}, {}, -1, -1},
        {"up and left", 21844, 0, {}, {0, 2}, {0, 2}, 0, 0},
        {"still up, now right, button 3", 65535, 0, {3}, {0, 3, 7}, {3, 7}, 0, 3},
        {"down", 32767, 65535, {3}, {1, 7}, {1}, 1, 1},
        {"button 7 only", 32767, 32767, {7}, {11}, {11}, 11, 11},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        device.SetJoystick(step.x, step.y, step.buttons);
        ASSERT_EQ(0, joystick.Poll());
        for (int code = 0; code < 40; ++code) {
            const bool down = std::find(step.down.begin(), step.down.end(), code) != step.down.end();
            const bool triggered =
                std::find(step.triggered.begin(), step.triggered.end(), code) != step.triggered.end();
            EXPECT_EQ(down, joystick.IsDown(static_cast<std::uint8_t>(code))) << code;
            EXPECT_EQ(triggered, joystick.IsTriggered(static_cast<std::uint8_t>(code))) << code;
        }
        EXPECT_EQ(step.firstDown, joystick.FirstDown());
        EXPECT_EQ(step.firstTriggered, joystick.FirstTriggered());
    }
    EXPECT_EQ(80u, device.lastStateSize);
    EXPECT_EQ(6, device.polls);
}

TEST_F(DirectInputJoysticks, OnlyThirtyTwoButtonBytesAreEverRead) {
    FakeDirectInputDevice& device = Attach();
    device.buttons = 128;
    DirectInputJoystick joystick;
    ASSERT_EQ(0, joystick.Open(&input, nullptr, -1, false));
    EXPECT_EQ(128, joystick.ReportedButtonCount());
    EXPECT_EQ(32, joystick.UsableButtonCount());
    // Every byte of both state halves set: a read past the 32 button bytes would find a press.
    device.state.assign(80, 0x80);
    ASSERT_EQ(0, joystick.Poll());
    ASSERT_EQ(0, joystick.Poll());
    EXPECT_TRUE(joystick.IsDown(4 + 31));
    EXPECT_FALSE(joystick.IsDown(4 + 32));
    EXPECT_FALSE(joystick.IsDown(44));
    EXPECT_FALSE(joystick.IsDown(255));
    EXPECT_FALSE(joystick.IsTriggered(255));
}

TEST_F(DirectInputJoysticks, ALostDeviceIsAcquiredAgainAndReadsAtRest) {
    FakeDirectInputDevice& device = Attach();
    DirectInputJoystick joystick;
    ASSERT_EQ(0, joystick.Open(&input, nullptr, -1, false));
    device.SetJoystick(0, 0, {0});
    ASSERT_EQ(0, joystick.Poll());
    ASSERT_TRUE(joystick.IsDown(0));
    const int acquires = device.acquires;
    device.stateResult = DIERR_INPUTLOST;
    EXPECT_EQ(2, joystick.Poll());
    EXPECT_EQ(acquires + 1, device.acquires);
    EXPECT_EQ(-1, joystick.FirstDown());
    EXPECT_EQ(-1, joystick.FirstTriggered());
    device.stateResult = E_FAIL;
    EXPECT_EQ(2, joystick.Poll());
    EXPECT_EQ(acquires + 1, device.acquires);
}

TEST_F(DirectInputJoysticks, OpenCodes) {
    struct Case {
        const char* what;
        std::function<void(FakeDirectInputDevice&)> arrange;
        std::int32_t id;
        std::int32_t code;
    } cases[] = {
        {"ok", [](FakeDirectInputDevice&) {}, -1, 0},
        {"ok by id", [](FakeDirectInputDevice&) {}, 0, 0},
        {"id above 15", [](FakeDirectInputDevice&) {}, 16, 1},
        {"no such present slot", [](FakeDirectInputDevice&) {}, 1, 2},
        {"device query", [](FakeDirectInputDevice& d) { d.queryInterfaceResult = E_NOINTERFACE; }, -1, 3},
        {"data format", [](FakeDirectInputDevice& d) { d.setDataFormatResult = E_FAIL; }, -1, 4},
        {"cooperative level", [](FakeDirectInputDevice& d) { d.setCooperativeLevelResult = E_FAIL; }, -1, 4},
        {"capabilities", [](FakeDirectInputDevice& d) { d.capabilitiesResult = E_FAIL; }, -1, 5},
        {"x range", [](FakeDirectInputDevice& d) { d.rangeXResult = E_FAIL; }, -1, 5},
        {"y range", [](FakeDirectInputDevice& d) { d.rangeYResult = E_FAIL; }, -1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetJoystickSlotTable();
        FakeDirectInput fresh;
        FakeDirectInputDevice device;
        device.buttons = 4;
        c.arrange(device);
        fresh.AddJoystick(&device);
        {
            DirectInputJoystick joystick;
            EXPECT_EQ(c.code, joystick.Open(&fresh, nullptr, c.id, false));
            EXPECT_EQ(c.code == 0 ? 0 : -1, joystick.Slot());
            EXPECT_EQ(c.code == 0, JoystickSlots().slots[0].inUse);
        }
        // Whatever happened, the device is given back and the slot freed.
        EXPECT_EQ(1, device.references);
        EXPECT_FALSE(JoystickSlots().slots[0].inUse);
    }
    DirectInputJoystick joystick;
    EXPECT_EQ(1, joystick.Open(nullptr, nullptr, -1, false));
}

TEST_F(DirectInputJoysticks, CreateDeviceFailureIsThree) {
    input.AddJoystick(nullptr);
    DirectInputJoystick joystick;
    EXPECT_EQ(3, joystick.Open(&input, nullptr, -1, false));
}

TEST_F(DirectInputJoysticks, UnnamedDevicesAreUnknown) {
    FakeDirectInputDevice& device = Attach();
    device.productName.clear();
    DirectInputJoystick joystick;
    ASSERT_EQ(0, joystick.Open(&input, nullptr, -1, false));
    EXPECT_EQ("Unknown", joystick.Name());
    ResetJoystickSlotTable();
    device.deviceInfoResult = E_FAIL;
    DirectInputJoystick other;
    ASSERT_EQ(0, other.Open(&input, nullptr, -1, true));
    EXPECT_EQ("Unknown", other.Name());
}

TEST_F(DirectInputJoysticks, AtMostSixteenSlotsAndReleaseFreesOne) {
    for (int i = 0; i < 18; ++i) Attach();
    std::vector<std::unique_ptr<DirectInputJoystick>> open;
    for (int i = 0; i < 16; ++i) {
        open.emplace_back(new DirectInputJoystick);
        ASSERT_EQ(0, open.back()->Open(&input, nullptr, -1, false)) << i;
        EXPECT_EQ(i, open.back()->Slot());
    }
    EXPECT_EQ(16, JoystickSlots().slotCount);
    EXPECT_EQ(1, input.enumerations);
    DirectInputJoystick extra;
    EXPECT_EQ(2, extra.Open(&input, nullptr, -1, false));
    EXPECT_EQ(2, extra.Open(&input, nullptr, 5, false));
    open[5]->Release();
    EXPECT_EQ(-1, open[5]->Slot());
    EXPECT_EQ(0, extra.Open(&input, nullptr, -1, false));
    EXPECT_EQ(5, extra.Slot());
    EXPECT_EQ(1, input.enumerations);
}

TEST_F(DirectInputJoysticks, UnacquireLeavesTheStickAtRest) {
    FakeDirectInputDevice& device = Attach();
    DirectInputJoystick joystick;
    ASSERT_EQ(0, joystick.Open(&input, nullptr, -1, false));
    device.SetJoystick(0, 65535, {1});
    joystick.Poll();
    joystick.Poll();
    ASSERT_NE(-1, joystick.FirstDown());
    joystick.Unacquire();
    EXPECT_EQ(1, device.unacquires);
    EXPECT_EQ(-1, joystick.FirstDown());
}

class WinmmJoysticks : public ::testing::Test {
protected:
    WinmmJoysticks() : winmm(TheFakeWinmm()) {
        ResetJoystickSlotTable();
        winmm.Reset();
    }
    ~WinmmJoysticks() override { ResetJoystickSlotTable(); }

    void Plug(int id, UINT buttons = 4) {
        winmm.devices[id].capsOk = true;
        winmm.devices[id].buttons = buttons;
        winmm.devices[id].name = "Pad " + std::to_string(id);
    }

    FakeWinmm& winmm;
};

TEST_F(WinmmJoysticks, OpensTheFirstReadableSlot) {
    winmm.deviceCount = 16;
    Plug(2);
    WinmmJoystick joystick(FakeWinmmApi());
    ASSERT_EQ(0, joystick.Open(-1, false, true));
    EXPECT_EQ(2, joystick.Slot());
    EXPECT_EQ("Pad 2", joystick.Name());
    EXPECT_EQ(21845, joystick.XLow());
    EXPECT_EQ(43690, joystick.YHigh());
    EXPECT_TRUE(JoystickSlots().slots[2].inUse);
    joystick.Release();
    EXPECT_FALSE(JoystickSlots().slots[2].inUse);
}

TEST_F(WinmmJoysticks, ExclusiveAndSharedOpens) {
    winmm.deviceCount = 3;
    Plug(0);
    Plug(1);
    Plug(2);
    WinmmJoystick a(FakeWinmmApi()), b(FakeWinmmApi()), c(FakeWinmmApi()), d(FakeWinmmApi());
    ASSERT_EQ(0, a.Open(-1, false, true));
    ASSERT_EQ(0, b.Open(-1, false, true));
    ASSERT_EQ(0, c.Open(-1, false, true));
    EXPECT_EQ((std::vector<int>{0, 1, 2}), (std::vector<int>{a.Slot(), b.Slot(), c.Slot()}));
    // Every slot in use.
    EXPECT_EQ(2, d.Open(-1, false, true));
    EXPECT_EQ(2, d.Open(1, false, true));
    // Shared: the first slot whose capabilities can be read.
    EXPECT_EQ(0, d.Open(-1, false, false));
    EXPECT_EQ(0, d.Slot());
    // A shared joystick takes no slot and frees none.
    d.Release();
    EXPECT_TRUE(JoystickSlots().slots[0].inUse);
    // Exclusive with an id past the count.
    EXPECT_EQ(1, d.Open(3, false, true));
    EXPECT_EQ(3, d.Open(5, false, false));
}

TEST_F(WinmmJoysticks, OpenFailures) {
    winmm.deviceCount = 2;
    WinmmJoystick joystick(FakeWinmmApi());
    EXPECT_EQ(2, joystick.Open(-1, false, true));
    EXPECT_EQ(3, joystick.Open(1, false, true));
    Plug(1);
    winmm.devices[1].positionOk = false;
    EXPECT_EQ(4, joystick.Open(1, false, true));
    EXPECT_FALSE(JoystickSlots().slots[1].inUse);
    EXPECT_FALSE(joystick.IsOpen());
    EXPECT_EQ(1, joystick.Poll());
}

TEST_F(WinmmJoysticks, RescanMarksPresentSlotsAndOpensFromThem) {
    winmm.deviceCount = 4;
    Plug(3);
    WinmmJoystick joystick(FakeWinmmApi());
    ASSERT_EQ(0, joystick.Open(-1, true, true));
    EXPECT_EQ(3, joystick.Slot());
    const JoystickSlotTable& table = JoystickSlots();
    EXPECT_EQ(4, table.slotCount);
    EXPECT_EQ((std::vector<bool>{false, false, false, true}),
              (std::vector<bool>{table.slots[0].present, table.slots[1].present,
                                 table.slots[2].present, table.slots[3].present}));
    // After a scan only present slots count: the one present slot is taken now.
    WinmmJoystick second(FakeWinmmApi());
    EXPECT_EQ(2, second.Open(-1, true, true));
}

TEST_F(WinmmJoysticks, FourButtonsReadWithJoyGetPosMoreWithJoyGetPosEx) {
    winmm.deviceCount = 2;
    Plug(0, 4);
    Plug(1, 20);
    WinmmJoystick four(FakeWinmmApi()), twenty(FakeWinmmApi());
    ASSERT_EQ(0, four.Open(0, false, true));
    ASSERT_EQ(0, twenty.Open(1, false, true));
    winmm.devices[0].buttonMask = 0x9;
    winmm.devices[1].buttonMask = 0xFFFFFFFF;
    const int plain = winmm.positionReads;
    ASSERT_EQ(0, four.Poll());
    EXPECT_EQ(plain + 1, winmm.positionReads);
    EXPECT_EQ(0, winmm.positionExReads);
    EXPECT_TRUE(four.IsDown(4 + 0));
    EXPECT_FALSE(four.IsDown(4 + 1));
    EXPECT_TRUE(four.IsDown(4 + 3));
    EXPECT_FALSE(four.IsDown(4 + 4));

    ASSERT_EQ(0, twenty.Poll());
    EXPECT_EQ(1, winmm.positionExReads);
    EXPECT_EQ(52u, winmm.lastExSize);
    EXPECT_EQ(DWORD(JOY_RETURNALL), winmm.lastExFlags);
    EXPECT_TRUE(twenty.IsDown(4 + 15));
    // The button mask has 16 bits: button 16 and up never read as pressed.
    for (int button = 16; button < 20; ++button) EXPECT_FALSE(twenty.IsDown(static_cast<std::uint8_t>(4 + button)));
}

TEST_F(WinmmJoysticks, DirectionsFromTheLow16BitsAndAFailedReadIsAtRest) {
    winmm.deviceCount = 1;
    Plug(0);
    WinmmJoystick joystick(FakeWinmmApi());
    ASSERT_EQ(0, joystick.Open(0, false, true));
    // Freshly opened: at rest, so the first push is a new press.
    EXPECT_EQ(-1, joystick.FirstDown());
    winmm.devices[0].x = 0x10000 + 65535;
    winmm.devices[0].y = 0;
    ASSERT_EQ(0, joystick.Poll());
    EXPECT_TRUE(joystick.IsDown(3));
    EXPECT_TRUE(joystick.IsDown(0));
    EXPECT_EQ(0, joystick.FirstTriggered());
    winmm.devices[0].buttonMask = 1;
    winmm.devices[0].positionOk = false;
    EXPECT_EQ(2, joystick.Poll());
    EXPECT_EQ(-1, joystick.FirstDown());
    EXPECT_EQ(-1, joystick.FirstTriggered());
}

TEST(WinmmJoystick, WithoutAJoystickTheRealFunctionsOpenNothing) {
    ResetJoystickSlotTable();
    WinmmJoystick joystick;
    EXPECT_NE(0, joystick.Open(-1, false, true));
    EXPECT_FALSE(joystick.IsOpen());
    EXPECT_EQ(1, joystick.Poll());
    ResetJoystickSlotTable();
}

}  // namespace
