// Window, screen-mode, frame and system commands (opcodes 3, 6, 12-25, 38) over the application.
// Without an application each answers 0 (13: 1, as when switching is not allowed).
#pragma once

#include <cstdint>
#include <functional>

#include "framework/interfaces/cross_module.h"

class SettingsFont;
class SettingsTextPart;

// What the commands read from parts the program does not hold yet: the screen device's values
// of 6 (indexes 0-3, 14-20 and 22), and the message window, list part and font that 12 names
// by handle word (null: none such live). Empty members answer 0 / null.
struct WindowCommandSources {
    std::function<std::uint32_t(std::uint32_t index)> deviceValue;
    std::function<SettingsTextPart*(std::uint32_t word)> textPart;
    std::function<SettingsFont*(std::uint32_t word)> font;
};
WindowCommandSources& WindowCommandSourcesRef();

// The message box text of a failed probe before a switch to full screen (13).
extern const char kScreenModeProbeFailed[];

std::uint32_t XM_CDECL CmdSetWindowFeature(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSystemInfo(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdApplyTextSettings(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSwitchScreenMode(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFrameYield(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBeginForcedVSync(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdEndForcedVSync(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBeginPreciseWaitSuspension(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdEndPreciseWaitSuspension(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBusyEnter(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBusyLeave(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdApplyFrameTiming(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetFrameRate(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFrameSkip(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPostWindowRequest(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetOpenDialogKind(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdTakeScreenModeChanged(std::uint32_t* arguments);
