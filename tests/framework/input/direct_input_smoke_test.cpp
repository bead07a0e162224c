// The real DirectInput of the system: the keyboard is opened for a window in front and sees a
// key that SendInput presses by scan code; the mouse opens with relative axes.
#include <gtest/gtest.h>

#include <functional>

#include "framework/input/direct_input_holder.h"
#include "framework/input/direct_input_keyboard.h"
#include "framework/input/direct_input_mouse.h"
#include "tests/support/input_test_window.h"
#include "tests/support/win_test_env.h"

namespace {

void SendScanCode(WORD scanCode, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = scanCode;
    input.ki.dwFlags = KEYEVENTF_SCANCODE | (up ? KEYEVENTF_KEYUP : 0);
    SendInput(1, &input, sizeof(input));
}

// Polls with message pumping until `done` says so; false after `ms`.
bool PollUntil(KeyboardDevice& keyboard, const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        testsupport::PumpMessagesFor(10);
        keyboard.Poll();
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
    }
}

// A visible window in front and the system's DirectInput.
class DirectInputSmoke : public ::testing::Test {
protected:
    DirectInputSmoke() : window(true) { window.BringToFront(3000); }
    void SetUp() override { ASSERT_EQ(0, holder.Create(GetModuleHandleA(nullptr))); }

    testsupport::InputTestWindow window;
    DirectInputHolder holder;
};

TEST_F(DirectInputSmoke, TheKeyboardSeesAKeyPressedByScanCode) {
    DirectInputKeyboard keyboard;
    ASSERT_EQ(0, keyboard.Open(holder.Interface(), window.Handle()));
    EXPECT_GT(keyboard.KeyCount(), 0);
    keyboard.Acquire();

    SendScanCode(DIK_A, false);
    const bool sawDown = PollUntil(keyboard, [&] { return keyboard.IsDown(DIK_A); }, 10000);
    SendScanCode(DIK_A, true);
    ASSERT_TRUE(sawDown);
    EXPECT_TRUE(PollUntil(keyboard, [&] { return !keyboard.IsDown(DIK_A); }, 10000));
    keyboard.Release();
    EXPECT_EQ(0, keyboard.KeyCount());
}

TEST_F(DirectInputSmoke, TheMouseOpensWithRelativeAxes) {
    DirectInputMouse mouse;
    ASSERT_EQ(0, mouse.Open(holder.Interface(), window.Handle(), false));
    EXPECT_GE(mouse.AxisCount(), 2);
    EXPECT_GE(mouse.ButtonCount(), 2);
    EXPECT_NE(1, mouse.Poll());
    mouse.Release();
    EXPECT_EQ(0, mouse.AxisCount());
    EXPECT_EQ(1, mouse.Poll());
}

}  // namespace
