// The time and input commands (opcodes 541-579, 581-595): the program's clock and the local
// time, the scripts' stopwatches, the application's action map, the raw keyboard, mouse and
// first joystick as the frame function last polled them, and the pointer (shape, visibility,
// position in game coordinates, edge zone). The handlers read what the input manager polled;
// they never poll themselves.
//
// Script words: stopwatch numbers are the low 16 bits of their word, key and button codes the
// low byte. Out words (542, 582, 591, 592) are 32-bit words written only inside memory the
// script may write: 0 means "not wanted" (542 needs all five), any other word outside script
// memory raises the script fault before anything is written. Without an application, or
// before its devices exist, the queries answer 0 (553 and 554: -1) and the setters do nothing.
//
// Choices of this program where the commands leave room:
// - 556 with a negative code removes every binding the action has on that device (0; 1 action
//   out of range or no map, 2 no such device); another code removes the first binding with
//   that code's low byte. A negative device number is no device (2): it never clears the
//   bindings of every device.
// - 557 takes (action, device, old code, new code); the old code may be negative (any binding
//   of that device).
// - 570 and 571: APP_CFG.DAT's fast-forward byte 1 selects the Ctrl keys, any other value the
//   Shift keys.
// - 579: shapes 0-12 are the standard pointers and 13-16 the program's pointers 120-123, each
//   dropping an active pointer sprite; 17-255 name no pointer of the program and change nothing.
// - 593 hands out the address of the joystick's name, which lives as long as the joystick.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

class TimerArray;

// The scripts' stopwatches. They read the running application's clock (the system's without
// one), so that they keep time with the frames.
TimerArray& ScriptTimers();

// Time and stopwatches.
std::uint32_t XM_CDECL CmdGetTime(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetLocalTime(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTimers(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRestartTimer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetTimerElapsed(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTimerElapsed(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPauseTimer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdResumeTimer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPauseAllTimers(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdResumeAllTimers(std::uint32_t* arguments);

// Actions.
std::uint32_t XM_CDECL CmdIsActionTriggered(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsActionHeld(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFirstTriggeredAction(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFirstHeldAction(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAddActionBinding(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveActionBinding(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdChangeActionBinding(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction4Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction5Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction0Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction1Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction2Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction3Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction4Held(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction5Held(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction0Held(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction1Held(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction2Held(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyAction3Held(std::uint32_t* arguments);

// Keyboard.
std::uint32_t XM_CDECL CmdIsFastForwardKeyTriggered(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsFastForwardKeyDown(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyTriggered(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyDown(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsScrollLockOn(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsCapsLockOn(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsNumLockOn(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetKeyRepeatFlag(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsKeyRepeated(std::uint32_t* arguments);

// Pointer and mouse.
std::uint32_t XM_CDECL CmdSetCursorShape(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdShowCursor(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetCursorPos(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCursorPos(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetCursorEdge(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsMouseButton0Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsMouseButton1Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsMouseButton2Down(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsMouseButton0Held(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsMouseButton1Held(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsMouseButton2Held(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsWheelUp(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsWheelDown(std::uint32_t* arguments);

// First joystick.
std::uint32_t XM_CDECL CmdGetJoystickName(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsJoystickTriggered(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsJoystickDown(std::uint32_t* arguments);
