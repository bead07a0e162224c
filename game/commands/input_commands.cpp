#include "game/commands/input_commands.h"

#include <windows.h>

#include "framework/input/action_map.h"
#include "framework/input/input_manager.h"
#include "framework/input/joystick_device.h"
#include "framework/input/keyboard_device.h"
#include "framework/input/mouse_device.h"
#include "game/app/application.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/file_script_words.h"
#include "game/services/timer_array.h"

using command_args::Byte;
using command_args::Int;
using command_args::Result;

namespace {

#define INPUT_COMMAND(name, failure)                                         \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {                  \
        return GuardedCommand<name##Body, failure>(arguments);               \
    }

// The clock the running application keeps time with; the system's between applications.
class ApplicationClock : public Clock {
public:
    std::uint32_t Milliseconds() override { return Current().Milliseconds(); }
    std::int64_t CounterFrequency() override { return Current().CounterFrequency(); }
    std::int64_t Counter() override { return Current().Counter(); }

private:
    static Clock& Current() {
        Application* const app = Application::Current();
        return app != nullptr ? app->AppClock() : SystemClock();
    }
};

Application* App() { return Application::Current(); }

InputManager* Input() {
    Application* const app = App();
    return app != nullptr ? &app->Input() : nullptr;
}

ActionMap* Actions() {
    Application* const app = App();
    return app != nullptr ? app->Actions() : nullptr;
}

KeyboardDevice* Keyboard() {
    InputManager* const input = Input();
    return input != nullptr ? input->Keyboard() : nullptr;
}

MouseDevice* Mouse() {
    InputManager* const input = Input();
    return input != nullptr ? input->Mouse() : nullptr;
}

JoystickDevice* FirstJoystick() {
    InputManager* const input = Input();
    return input != nullptr ? input->GetJoystick(0) : nullptr;
}

std::uint32_t Flag(bool value) { return value ? 1u : 0u; }

// Out words: 0 is "not wanted"; any other word must name four writable bytes of script memory.
void CheckOut(std::uint32_t word) {
    if (word != 0 && !script_memory::IsWritable(word, sizeof(std::uint32_t))) file_script_words::Fault();
}
void PutOut(std::uint32_t word, std::int32_t value) {
    if (word != 0) script_memory::WriteWord(word, static_cast<std::uint32_t>(value));
}

std::uint16_t Stopwatch(std::uint32_t word) { return static_cast<std::uint16_t>(word & 0xFFFF); }

// ---- Time and stopwatches ----

std::uint32_t CmdGetTimeBody(std::uint32_t*) {
    Application* const app = App();
    return app != nullptr ? app->AppClock().Milliseconds() : SystemClock().Milliseconds();
}

std::uint32_t CmdGetLocalTimeBody(std::uint32_t* w) {
    for (int i = 0; i < 5; ++i) {
        if (w[i] == 0) file_script_words::Fault();
        CheckOut(w[i]);
    }
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    const WORD fields[5] = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
    for (int i = 0; i < 5; ++i) PutOut(w[i], fields[i]);
    return 0;
}

std::uint32_t CmdCreateTimersBody(std::uint32_t* w) { return Result(ScriptTimers().Create(Stopwatch(w[0]))); }
std::uint32_t CmdRestartTimerBody(std::uint32_t* w) {
    return static_cast<std::uint8_t>(ScriptTimers().Restart(Stopwatch(w[0])));
}
std::uint32_t CmdGetTimerElapsedBody(std::uint32_t* w) { return ScriptTimers().Elapsed(Stopwatch(w[0])); }
std::uint32_t CmdSetTimerElapsedBody(std::uint32_t* w) {
    ScriptTimers().SetElapsed(Stopwatch(w[0]), w[1]);
    return 0;
}
std::uint32_t CmdPauseTimerBody(std::uint32_t* w) {
    ScriptTimers().Pause(Stopwatch(w[0]));
    return 0;
}
std::uint32_t CmdResumeTimerBody(std::uint32_t* w) {
    ScriptTimers().Resume(Stopwatch(w[0]));
    return 0;
}
std::uint32_t CmdPauseAllTimersBody(std::uint32_t*) {
    ScriptTimers().PauseAll();
    return 0;
}
std::uint32_t CmdResumeAllTimersBody(std::uint32_t*) {
    ScriptTimers().ResumeAll();
    return 0;
}

// ---- Actions ----

bool Triggered(std::int32_t action) {
    ActionMap* const map = Actions();
    return map != nullptr && map->IsTriggered(action);
}
bool Held(std::int32_t action) {
    ActionMap* const map = Actions();
    return map != nullptr && map->IsHeld(action);
}

std::uint32_t CmdIsActionTriggeredBody(std::uint32_t* w) { return Flag(Triggered(Int(w[0]))); }
std::uint32_t CmdIsActionHeldBody(std::uint32_t* w) { return Flag(Held(Int(w[0]))); }

std::uint32_t CmdFirstTriggeredActionBody(std::uint32_t* w) {
    ActionMap* const map = Actions();
    return Result(map != nullptr ? map->FirstTriggered(Int(w[0]), Int(w[1])) : -1);
}
std::uint32_t CmdFirstHeldActionBody(std::uint32_t* w) {
    ActionMap* const map = Actions();
    return Result(map != nullptr ? map->FirstHeld(Int(w[0]), Int(w[1])) : -1);
}

std::uint32_t CmdAddActionBindingBody(std::uint32_t* w) {
    ActionMap* const map = Actions();
    return Result(map != nullptr ? map->AddBinding(Int(w[0]), Int(w[1]), Byte(w[2])) : 1);
}

std::uint32_t CmdRemoveActionBindingBody(std::uint32_t* w) {
    ActionMap* const map = Actions();
    if (map == nullptr) return 1;
    const std::int32_t action = Int(w[0]);
    const std::int32_t device = Int(w[1]);
    const std::int32_t code = Int(w[2]);
    // A negative device number would clear every device's bindings: only a device's own go.
    if (device < 0) return 2;
    if (code >= 0) return Result(map->RemoveBinding(action, device, code));
    for (;;) {
        std::uint8_t bound = 0;
        switch (map->GetBinding(action, device, 0, &bound, nullptr)) {
        case 0: break;
        case 1: return 1;
        case 3: return 2;
        default: return 0;  // none left on that device
        }
        if (map->RemoveBinding(action, device, bound) != 0) return 0;
    }
}

std::uint32_t CmdChangeActionBindingBody(std::uint32_t* w) {
    ActionMap* const map = Actions();
    return Result(map != nullptr ? map->ChangeBinding(Int(w[0]), Int(w[1]), Byte(w[3]), Int(w[2])) : 1);
}

template <std::int32_t Action>
std::uint32_t ActionDownBody(std::uint32_t*) {
    return Flag(Triggered(Action));
}
template <std::int32_t Action>
std::uint32_t ActionHeldBody(std::uint32_t*) {
    return Flag(Held(Action));
}

// ---- Keyboard ----

constexpr std::uint8_t kLeftShift = 42, kRightShift = 54, kLeftCtrl = 29, kRightCtrl = 157;

bool FastForwardIsCtrl() {
    Application* const app = App();
    return app != nullptr && app->AppCfg().bytes[130] == 1;
}

std::uint32_t FastForward(bool (KeyboardDevice::*query)(std::uint8_t)) {
    KeyboardDevice* const keyboard = Keyboard();
    if (keyboard == nullptr) return 0;
    const bool ctrl = FastForwardIsCtrl();
    return Flag((keyboard->*query)(ctrl ? kLeftCtrl : kLeftShift) ||
                (keyboard->*query)(ctrl ? kRightCtrl : kRightShift));
}

std::uint32_t CmdIsFastForwardKeyTriggeredBody(std::uint32_t*) { return FastForward(&KeyboardDevice::IsTriggered); }
std::uint32_t CmdIsFastForwardKeyDownBody(std::uint32_t*) { return FastForward(&KeyboardDevice::IsDown); }

std::uint32_t CmdIsKeyTriggeredBody(std::uint32_t* w) {
    KeyboardDevice* const keyboard = Keyboard();
    return Flag(keyboard != nullptr && keyboard->IsTriggered(Byte(w[0])));
}
std::uint32_t CmdIsKeyDownBody(std::uint32_t* w) {
    KeyboardDevice* const keyboard = Keyboard();
    return Flag(keyboard != nullptr && keyboard->IsDown(Byte(w[0])));
}
std::uint32_t CmdIsScrollLockOnBody(std::uint32_t*) {
    KeyboardDevice* const keyboard = Keyboard();
    return Flag(keyboard != nullptr && keyboard->ScrollLockState() != 0);
}
std::uint32_t CmdIsCapsLockOnBody(std::uint32_t*) {
    KeyboardDevice* const keyboard = Keyboard();
    return Flag(keyboard != nullptr && keyboard->CapsLockState() != 0);
}
std::uint32_t CmdIsNumLockOnBody(std::uint32_t*) {
    KeyboardDevice* const keyboard = Keyboard();
    return Flag(keyboard != nullptr && keyboard->NumLockState() != 0);
}
std::uint32_t CmdSetKeyRepeatFlagBody(std::uint32_t* w) {
    if (KeyboardDevice* keyboard = Keyboard()) keyboard->SetRepeatFlag(Byte(w[0]) != 0);
    return 0;
}
std::uint32_t CmdIsKeyRepeatedBody(std::uint32_t* w) {
    KeyboardDevice* const keyboard = Keyboard();
    return Flag(keyboard != nullptr && keyboard->IsRepeated(Byte(w[0])));
}

// ---- Pointer and mouse ----

constexpr std::uint8_t kStandardShapes = 13;
constexpr std::uint8_t kProgramShapesEnd = 17;
// Shape 13 is the program's pointer resource 120.
constexpr std::uint16_t kShapeResourceOffset = 107;

std::uint32_t CmdSetCursorShapeBody(std::uint32_t* w) {
    Application* const app = App();
    MouseDevice* const mouse = Mouse();
    const std::uint8_t shape = Byte(w[0]);
    if (app == nullptr || mouse == nullptr || shape >= kProgramShapesEnd) return 0;
    if (shape < kStandardShapes) {
        mouse->SetCursorShape(shape, nullptr, 0);
    } else {
        mouse->SetCursorShape(shape, app->ModuleInstance(), static_cast<std::uint16_t>(shape + kShapeResourceOffset));
    }
    if (mouse->CursorSprite() != nullptr) mouse->SetCursorSprite(nullptr, 0, 0, false, 0, 0);
    return 0;
}

std::uint32_t CmdShowCursorBody(std::uint32_t* w) {
    Application* const app = App();
    MouseDevice* const mouse = Mouse();
    if (app != nullptr && mouse != nullptr && app->MainWindow().Exists()) {
        mouse->SetCursorVisible(w[0] != 0, app->MainWindow().Handle(), kMsgShowCursor);
    }
    return 0;
}

std::uint32_t CmdGetCursorPosBody(std::uint32_t* w) {
    CheckOut(w[0]);
    CheckOut(w[1]);
    Application* const app = App();
    const POINT point = app != nullptr ? app->gameCursor : POINT{-1, -1};
    PutOut(w[0], point.x);
    PutOut(w[1], point.y);
    return 0;
}

std::uint32_t CmdSetCursorPosBody(std::uint32_t* w) {
    if (Application* app = App()) app->SetGameCursorPos(Int(w[0]), Int(w[1]));
    return 0;
}

std::uint32_t CmdGetCursorEdgeBody(std::uint32_t*) {
    Application* const app = App();
    return app != nullptr ? app->edgeZone : 0;
}

template <std::uint8_t Button>
std::uint32_t ButtonDownBody(std::uint32_t*) {
    MouseDevice* const mouse = Mouse();
    return Flag(mouse != nullptr && mouse->IsTriggered(Button));
}
template <std::uint8_t Button>
std::uint32_t ButtonHeldBody(std::uint32_t*) {
    MouseDevice* const mouse = Mouse();
    return Flag(mouse != nullptr && mouse->IsDown(Button));
}

std::uint32_t Wheel(std::uint32_t out, std::uint8_t code) {
    CheckOut(out);
    MouseDevice* const mouse = Mouse();
    if (mouse == nullptr) return 0;
    PutOut(out, mouse->GetWheel());
    return Flag(mouse->IsDown(code));
}

std::uint32_t CmdIsWheelUpBody(std::uint32_t* w) { return Wheel(w[0], 3); }
std::uint32_t CmdIsWheelDownBody(std::uint32_t* w) { return Wheel(w[0], 4); }

// ---- First joystick ----

std::uint32_t CmdGetJoystickNameBody(std::uint32_t*) {
    JoystickDevice* const joystick = FirstJoystick();
    return joystick != nullptr ? command_args::HandleWord(joystick->Name().c_str()) : 0;
}
std::uint32_t CmdIsJoystickTriggeredBody(std::uint32_t* w) {
    JoystickDevice* const joystick = FirstJoystick();
    return Flag(joystick != nullptr && joystick->IsTriggered(Byte(w[0])));
}
std::uint32_t CmdIsJoystickDownBody(std::uint32_t* w) {
    JoystickDevice* const joystick = FirstJoystick();
    return Flag(joystick != nullptr && joystick->IsDown(Byte(w[0])));
}

}  // namespace

TimerArray& ScriptTimers() {
    static ApplicationClock clock;
    static TimerArray timers(clock);
    return timers;
}

INPUT_COMMAND(CmdGetTime, 0)
INPUT_COMMAND(CmdGetLocalTime, 0)
INPUT_COMMAND(CmdCreateTimers, 2)
INPUT_COMMAND(CmdRestartTimer, 0)
INPUT_COMMAND(CmdGetTimerElapsed, 0)
INPUT_COMMAND(CmdSetTimerElapsed, 0)
INPUT_COMMAND(CmdPauseTimer, 0)
INPUT_COMMAND(CmdResumeTimer, 0)
INPUT_COMMAND(CmdPauseAllTimers, 0)
INPUT_COMMAND(CmdResumeAllTimers, 0)

INPUT_COMMAND(CmdIsActionTriggered, 0)
INPUT_COMMAND(CmdIsActionHeld, 0)
INPUT_COMMAND(CmdFirstTriggeredAction, -1)
INPUT_COMMAND(CmdFirstHeldAction, -1)
INPUT_COMMAND(CmdAddActionBinding, 1)
INPUT_COMMAND(CmdRemoveActionBinding, 1)
INPUT_COMMAND(CmdChangeActionBinding, 1)

#define ACTION_TEST(name, body, action)                                      \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {                  \
        return GuardedCommand<body<action>, 0>(arguments);                   \
    }
ACTION_TEST(CmdIsKeyAction4Down, ActionDownBody, 4)
ACTION_TEST(CmdIsKeyAction5Down, ActionDownBody, 5)
ACTION_TEST(CmdIsKeyAction0Down, ActionDownBody, 0)
ACTION_TEST(CmdIsKeyAction1Down, ActionDownBody, 1)
ACTION_TEST(CmdIsKeyAction2Down, ActionDownBody, 2)
ACTION_TEST(CmdIsKeyAction3Down, ActionDownBody, 3)
ACTION_TEST(CmdIsKeyAction4Held, ActionHeldBody, 4)
ACTION_TEST(CmdIsKeyAction5Held, ActionHeldBody, 5)
ACTION_TEST(CmdIsKeyAction0Held, ActionHeldBody, 0)
ACTION_TEST(CmdIsKeyAction1Held, ActionHeldBody, 1)
ACTION_TEST(CmdIsKeyAction2Held, ActionHeldBody, 2)
ACTION_TEST(CmdIsKeyAction3Held, ActionHeldBody, 3)
ACTION_TEST(CmdIsMouseButton0Down, ButtonDownBody, 0)
ACTION_TEST(CmdIsMouseButton1Down, ButtonDownBody, 1)
ACTION_TEST(CmdIsMouseButton2Down, ButtonDownBody, 2)
ACTION_TEST(CmdIsMouseButton0Held, ButtonHeldBody, 0)
ACTION_TEST(CmdIsMouseButton1Held, ButtonHeldBody, 1)
ACTION_TEST(CmdIsMouseButton2Held, ButtonHeldBody, 2)

INPUT_COMMAND(CmdIsFastForwardKeyTriggered, 0)
INPUT_COMMAND(CmdIsFastForwardKeyDown, 0)
INPUT_COMMAND(CmdIsKeyTriggered, 0)
INPUT_COMMAND(CmdIsKeyDown, 0)
INPUT_COMMAND(CmdIsScrollLockOn, 0)
INPUT_COMMAND(CmdIsCapsLockOn, 0)
INPUT_COMMAND(CmdIsNumLockOn, 0)
INPUT_COMMAND(CmdSetKeyRepeatFlag, 0)
INPUT_COMMAND(CmdIsKeyRepeated, 0)

INPUT_COMMAND(CmdSetCursorShape, 0)
INPUT_COMMAND(CmdShowCursor, 0)
INPUT_COMMAND(CmdGetCursorPos, 0)
INPUT_COMMAND(CmdSetCursorPos, 0)
INPUT_COMMAND(CmdGetCursorEdge, 0)
INPUT_COMMAND(CmdIsWheelUp, 0)
INPUT_COMMAND(CmdIsWheelDown, 0)

INPUT_COMMAND(CmdGetJoystickName, 0)
INPUT_COMMAND(CmdIsJoystickTriggered, 0)
INPUT_COMMAND(CmdIsJoystickDown, 0)
