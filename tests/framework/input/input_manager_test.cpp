#include "framework/input/input_manager.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>

#include "framework/input/direct_input_keyboard.h"
#include "framework/input/joystick_slot_table.h"
#include "framework/input/message_keyboard.h"
#include "framework/input/message_mouse.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_direct_input.h"
#include "tests/support/fake_input_platform.h"
#include "tests/support/fake_pointer_sprite.h"
#include "tests/support/fake_winmm_joystick.h"

using testsupport::FakeClock;
using testsupport::FakeDirectInput;
using testsupport::FakeDirectInputDevice;
using testsupport::FakeInputPlatform;
using testsupport::FakePointerSprite;
using testsupport::FakeWinmmApi;
using testsupport::TheFakeWinmm;

namespace {

class InputManagerTest : public ::testing::Test {
protected:
    InputManagerTest() : manager(platform, clock, FakeWinmmApi()) {
        ResetJoystickSlotTable();
        TheFakeWinmm().Reset();
        keyboardDevice.buttons = 128;
        keyboardDevice.SetKeys({});
        mouseDevice.buttons = 3;
        mouseDevice.axes = 3;
        mouseDevice.SetMouse(0);
        input.AddDevice(GUID_SysKeyboard, &keyboardDevice);
        input.AddDevice(GUID_SysMouse, &mouseDevice);
    }
    ~InputManagerTest() override { ResetJoystickSlotTable(); }

    // A winmm joystick at slot 0 with 4 buttons, pushed up.
    void PlugWinmmJoystick() {
        TheFakeWinmm().deviceCount = 1;
        TheFakeWinmm().devices[0].capsOk = true;
        TheFakeWinmm().devices[0].y = 0;
        TheFakeWinmm().devices[0].buttonMask = 1;
    }

    FakeInputPlatform platform;
    FakeClock clock;
    FakeDirectInput input;
    FakeDirectInputDevice keyboardDevice;
    FakeDirectInputDevice mouseDevice;
    InputManager manager;
};

TEST_F(InputManagerTest, CreateDevicesWithoutDirectInput) {
    struct Case {
        std::uint8_t keyboardKind, mouseKind;
        std::int32_t code;
        bool keyboard, mouse;
        DeviceKind madeKeyboard, madeMouse;
    } cases[] = {
        {1, 1, 0, true, true, DeviceKind::WindowsApi, DeviceKind::WindowsApi},
        {2, 2, 0, true, true, DeviceKind::WindowMessages, DeviceKind::WindowMessages},
        {3, 1, 0, true, true, DeviceKind::WindowsApiSubset, DeviceKind::WindowsApi},
        {3, 2, 0, true, true, DeviceKind::WindowsApiSubset, DeviceKind::WindowMessages},
        {4, 1, 1, false, false, {}, {}},
        {0, 1, 1, false, false, {}, {}},
        {1, 3, 2, true, false, DeviceKind::WindowsApi, {}},
        {2, 0, 2, true, false, DeviceKind::WindowMessages, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.keyboardKind) << ", " << int(c.mouseKind));
        EXPECT_EQ(c.code, manager.CreateDevices(nullptr, c.keyboardKind, c.mouseKind));
        ASSERT_EQ(c.keyboard, manager.Keyboard() != nullptr);
        ASSERT_EQ(c.mouse, manager.Mouse() != nullptr);
        if (c.keyboard) {
            EXPECT_EQ(c.madeKeyboard, manager.Keyboard()->DeviceKind());
        }
        if (c.mouse) {
            EXPECT_EQ(c.madeMouse, manager.Mouse()->DeviceKind());
        }
    }
}

TEST_F(InputManagerTest, CreateDevicesWithDirectInput) {
    manager.AttachDirectInput(&input);
    EXPECT_EQ(2, input.references);
    // The kinds do not matter with DirectInput.
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 9, 9));
    ASSERT_NE(nullptr, manager.Keyboard());
    EXPECT_EQ(DeviceKind::DirectInput, manager.Keyboard()->DeviceKind());
    EXPECT_EQ(128, manager.Keyboard()->KeyCount());
    EXPECT_EQ(DeviceKind::DirectInput, manager.Mouse()->DeviceKind());
    EXPECT_EQ(3, manager.Mouse()->ButtonCount());
    EXPECT_EQ(3, manager.Mouse()->AxisCount());
    EXPECT_EQ(DWORD(DIPROPAXISMODE_REL), mouseDevice.axisMode);
    EXPECT_EQ(&c_dfDIKeyboard, keyboardDevice.dataFormat);
    EXPECT_EQ(&c_dfDIMouse, mouseDevice.dataFormat);
    EXPECT_EQ(DWORD(DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), keyboardDevice.cooperativeFlags);
    EXPECT_EQ(1, keyboardDevice.acquires);
    manager.ReleaseDevices();
    EXPECT_EQ(1, keyboardDevice.references);
    EXPECT_EQ(1, mouseDevice.references);
    manager.AttachDirectInput(nullptr);
    EXPECT_EQ(1, input.references);
}

TEST_F(InputManagerTest, DirectInputOpenFailuresReleaseEverything) {
    struct Case {
        const char* what;
        FakeDirectInputDevice* device;
        HRESULT FakeDirectInputDevice::*step;
        std::int32_t code;
    } cases[] = {
        {"keyboard data format", &keyboardDevice, &FakeDirectInputDevice::setDataFormatResult, 4},
        {"keyboard cooperative level", &keyboardDevice,
         &FakeDirectInputDevice::setCooperativeLevelResult, 4},
        {"mouse data format", &mouseDevice, &FakeDirectInputDevice::setDataFormatResult, 5},
        {"mouse axis mode", &mouseDevice, &FakeDirectInputDevice::setPropertyResult, 5},
    };
    manager.AttachDirectInput(&input);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.device->*c.step = E_FAIL;
        EXPECT_EQ(c.code, manager.CreateDevices(nullptr, 1, 1));
        EXPECT_EQ(nullptr, manager.Keyboard());
        EXPECT_EQ(nullptr, manager.Mouse());
        EXPECT_EQ(1, keyboardDevice.references);
        EXPECT_EQ(1, mouseDevice.references);
        c.device->*c.step = DI_OK;
    }
    FakeDirectInput empty;
    manager.AttachDirectInput(&empty);
    EXPECT_EQ(4, manager.CreateDevices(nullptr, 1, 1));
}

TEST_F(InputManagerTest, InitDirectInputCodes) {
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    EXPECT_EQ(0, manager.InitDirectInput(false, GetModuleHandleA(nullptr)));
    EXPECT_EQ(nullptr, manager.DirectInput());
    // Every call starts afresh: the devices are gone.
    EXPECT_EQ(nullptr, manager.Keyboard());
    EXPECT_EQ(nullptr, manager.Mouse());
    EXPECT_EQ(1, manager.InitDirectInput(true, nullptr));
    EXPECT_EQ(nullptr, manager.DirectInput());
    // The real DirectInput of the system.
    ASSERT_EQ(0, manager.InitDirectInput(true, GetModuleHandleA(nullptr)));
    EXPECT_NE(nullptr, manager.DirectInput());
    EXPECT_EQ(0, manager.InitDirectInput(false, nullptr));
    EXPECT_EQ(nullptr, manager.DirectInput());
}

TEST_F(InputManagerTest, InitDirectInputFailsWhereCOMCannotBeEntered) {
    // A thread already in the multithreaded apartment cannot enter the single-threaded one.
    std::int32_t code = -1;
    std::thread other([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        InputManager own(platform, clock, FakeWinmmApi());
        code = own.InitDirectInput(true, GetModuleHandleA(nullptr));
        CoUninitialize();
    });
    other.join();
    EXPECT_EQ(3, code);
}

TEST_F(InputManagerTest, InactivePollChangesNoStateButPlacesThePointer) {
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    POINT point = {40, 30};
    manager.Mouse()->SetGamePoint(&point);
    FakePointerSprite sprite;
    ASSERT_EQ(0, manager.Mouse()->SetCursorSprite(&sprite, 0, 0, false, 4, 4));
    platform.Press('A');
    platform.Press(VK_LBUTTON);
    manager.Poll();
    EXPECT_FALSE(manager.IsActive());
    EXPECT_FALSE(manager.Keyboard()->IsDown(DIK_A));
    EXPECT_FALSE(manager.Mouse()->IsDown(0));
    EXPECT_EQ(36, sprite.position.x);
    EXPECT_EQ(26, sprite.position.y);

    manager.AcquireAll();
    point = {50, 50};
    manager.Poll();
    EXPECT_TRUE(manager.Keyboard()->IsDown(DIK_A));
    EXPECT_TRUE(manager.Mouse()->IsDown(0));
    EXPECT_EQ(46, sprite.position.x);
}

TEST_F(InputManagerTest, UnacquireAllMakesHeldKeysReadReleased) {
    PlugWinmmJoystick();
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    ASSERT_EQ(0, manager.CreateJoystick(-1, nullptr));
    manager.AcquireAll();
    platform.Press(VK_SPACE);
    platform.Press(VK_RBUTTON);
    manager.Poll();
    ASSERT_TRUE(manager.Keyboard()->IsDown(DIK_SPACE));
    ASSERT_TRUE(manager.Mouse()->IsDown(1));
    ASSERT_TRUE(manager.GetJoystick(0)->IsDown(0));
    manager.UnacquireAll();
    EXPECT_FALSE(manager.IsActive());
    EXPECT_FALSE(manager.Keyboard()->IsDown(DIK_SPACE));
    EXPECT_FALSE(manager.Mouse()->IsDown(1));
    EXPECT_EQ(-1, manager.GetJoystick(0)->FirstDown());
}

TEST_F(InputManagerTest, AcquireAllRefreshesTheLockKeys) {
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    platform.toggled[VK_CAPITAL] = true;
    platform.toggled[VK_NUMLOCK] = true;
    manager.AcquireAll();
    EXPECT_EQ(1, manager.Keyboard()->CapsLockState());
    EXPECT_EQ(1, manager.Keyboard()->NumLockState());
    EXPECT_EQ(0, manager.Keyboard()->ScrollLockState());
}

TEST_F(InputManagerTest, ALostDirectInputDeviceIsAcquiredAgainAndReadsReleased) {
    manager.AttachDirectInput(&input);
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    manager.AcquireAll();
    keyboardDevice.SetKeys({DIK_A});
    mouseDevice.SetMouse(120, {0});
    manager.Poll();
    manager.Poll();
    ASSERT_TRUE(manager.Keyboard()->IsDown(DIK_A));
    ASSERT_TRUE(manager.Mouse()->IsDown(0));
    struct Case {
        HRESULT failure;
        bool reacquired;
    } cases[] = {{DIERR_INPUTLOST, true}, {DIERR_NOTACQUIRED, true}, {E_FAIL, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        const int keyboardAcquires = keyboardDevice.acquires;
        const int mouseAcquires = mouseDevice.acquires;
        keyboardDevice.stateResult = c.failure;
        mouseDevice.stateResult = c.failure;
        EXPECT_EQ(2, manager.Keyboard()->Poll());
        EXPECT_EQ(2, manager.Mouse()->Poll());
        EXPECT_EQ(keyboardAcquires + (c.reacquired ? 1 : 0), keyboardDevice.acquires);
        EXPECT_EQ(mouseAcquires + (c.reacquired ? 1 : 0), mouseDevice.acquires);
        EXPECT_EQ(-1, manager.Keyboard()->FirstDown());
        EXPECT_EQ(-1, manager.Keyboard()->FirstTriggered());
        EXPECT_EQ(-1, manager.Mouse()->FirstDown());
        EXPECT_EQ(0, manager.Mouse()->GetWheel());
        keyboardDevice.stateResult = DI_OK;
        mouseDevice.stateResult = DI_OK;
        // A later poll that succeeds sees the key again, newly pressed.
        manager.Poll();
        EXPECT_TRUE(manager.Keyboard()->IsTriggered(DIK_A));
    }
    EXPECT_EQ(256u, keyboardDevice.lastStateSize);
    EXPECT_EQ(16u, mouseDevice.lastStateSize);
    manager.ReleaseDevices();
    DirectInputKeyboard closed(platform);
    EXPECT_EQ(1, closed.Poll());
}

TEST_F(InputManagerTest, JoystickPollingOffClearsJoysticks) {
    PlugWinmmJoystick();
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    ASSERT_EQ(0, manager.CreateJoystick(-1, nullptr));
    EXPECT_EQ(nullptr, manager.GetJoystick(1));
    EXPECT_EQ(nullptr, manager.GetJoystick(-1));
    manager.AcquireAll();
    manager.Poll();
    JoystickDevice* joystick = manager.GetJoystick(0);
    ASSERT_TRUE(joystick->IsDown(0));
    ASSERT_TRUE(joystick->IsDown(4));
    manager.SetJoystickPolling(false);
    EXPECT_FALSE(manager.JoystickPolling());
    EXPECT_EQ(-1, joystick->FirstDown());
    const int reads = TheFakeWinmm().positionReads;
    manager.Poll();
    EXPECT_EQ(reads, TheFakeWinmm().positionReads);
    EXPECT_EQ(-1, joystick->FirstDown());
    manager.SetJoystickPolling(true);
    manager.Poll();
    EXPECT_TRUE(joystick->IsDown(0));
}

TEST_F(InputManagerTest, CreateJoystickCodes) {
    // No joystick at all: winmm 2, DirectInput 1; nothing is added.
    EXPECT_EQ(2, manager.CreateJoystick(-1, nullptr));
    EXPECT_EQ(0, manager.JoystickCount());
    manager.AttachDirectInput(&input);
    EXPECT_EQ(1, manager.CreateJoystick(-1, nullptr));
    FakeDirectInputDevice pad;
    pad.buttons = 4;
    input.AddJoystick(&pad);
    ResetJoystickSlotTable();
    EXPECT_EQ(0, manager.CreateJoystick(-1, nullptr));
    EXPECT_EQ(1, manager.JoystickCount());
    manager.ReleaseDevices();
    EXPECT_EQ(0, manager.JoystickCount());
    EXPECT_EQ(1, pad.references);
}

TEST_F(InputManagerTest, WithoutAJoystickTheRealFunctionsAddNothing) {
    InputManager real(platform, clock);
    EXPECT_EQ(2, real.CreateJoystick(-1, nullptr));
    EXPECT_EQ(0, real.JoystickCount());
    EXPECT_EQ(nullptr, real.GetJoystick(0));
}

TEST_F(InputManagerTest, FeedsReachOnlyTheMessageKinds) {
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    EXPECT_FALSE(manager.OnKeyDown('A', 0));
    EXPECT_FALSE(manager.OnKeyUp('A', 0));
    EXPECT_FALSE(manager.OnLeftButtonDown());
    EXPECT_TRUE(manager.OnMouseWheel(MAKEWPARAM(0, 120)));
    // A polled keyboard still follows the lock keys through the feed.
    platform.toggled[VK_CAPITAL] = true;
    manager.OnKeyDown(VK_CAPITAL, 0);
    EXPECT_EQ(1, manager.Keyboard()->CapsLockState());

    ASSERT_EQ(0, manager.CreateDevices(nullptr, 2, 2));
    manager.AcquireAll();
    EXPECT_TRUE(manager.OnKeyDown('A', 0));
    EXPECT_TRUE(manager.OnRightButtonDown());
    EXPECT_TRUE(manager.OnMiddleButtonDown());
    EXPECT_TRUE(manager.OnLeftButtonDown());
    manager.Poll();
    EXPECT_TRUE(manager.Keyboard()->IsTriggered(DIK_A));
    EXPECT_EQ(0, manager.Mouse()->FirstTriggered());
    EXPECT_TRUE(manager.Mouse()->IsDown(1));
    EXPECT_TRUE(manager.Mouse()->IsDown(2));
    EXPECT_TRUE(manager.OnKeyUp('A', 0));
    EXPECT_TRUE(manager.OnLeftButtonUp());
    EXPECT_TRUE(manager.OnRightButtonUp());
    EXPECT_TRUE(manager.OnMiddleButtonUp());
    manager.Poll();
    EXPECT_EQ(-1, manager.Keyboard()->FirstDown());
    EXPECT_EQ(-1, manager.Mouse()->FirstDown());

    manager.AttachDirectInput(&input);
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 2, 2));
    EXPECT_FALSE(manager.OnMouseWheel(MAKEWPARAM(0, 120)));
    EXPECT_FALSE(manager.OnKeyDown('A', 0));
    manager.ReleaseDevices();
    EXPECT_FALSE(manager.OnMouseWheel(MAKEWPARAM(0, 120)));
    EXPECT_FALSE(manager.OnKeyDown('A', 0));
}

TEST_F(InputManagerTest, ActionMapsComeAndGoWithTheDevices) {
    ActionMap* map = nullptr;
    EXPECT_EQ(2, manager.CreateActionMap(0, &map));
    EXPECT_EQ(nullptr, map);
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    ASSERT_EQ(0, manager.CreateActionMap(20, &map));
    ASSERT_NE(nullptr, map);
    EXPECT_EQ(20u, map->ActionCount());
    EXPECT_EQ(0, map->AddBinding(4, 0, DIK_RETURN));
    // Making the devices again deletes the maps first: a new map starts empty.
    ASSERT_EQ(0, manager.CreateDevices(nullptr, 1, 1));
    ASSERT_EQ(0, manager.CreateActionMap(20, &map));
    EXPECT_EQ(0, map->BindingCount(4, -1));
}

}  // namespace
