#include "game/commands/window_commands.h"

#include <windows.h>

#include "framework/system/cpu_info.h"
#include "game/app/application.h"
#include "game/commands/app_routines.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/interfaces/settings_files.h"
#include "game/script/script_engine.h"

const char kScreenModeProbeFailed[] = "画面モード変更設定に失敗";

WindowCommandSources& WindowCommandSourcesRef() {
    static WindowCommandSources sources;
    return sources;
}

namespace {

using command_args::Bool;
using command_args::Byte;
using command_args::Int;
using command_args::Result;

// Bits of FrameworkApp::windowFlags.
constexpr std::uint8_t kSystemKeyBits = 0x03;
constexpr std::uint8_t kSwitchingEnabled = 0x04;
constexpr std::uint8_t kModeSwitched = 0x08;

std::uint8_t Policy(Application& app) { return app.AppSys().bytes[SettingsFiles::AppSys::kScreenModePolicy]; }

void SetMaximiseBox(HWND window, bool on) {
    if (window == nullptr) return;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    style = on ? (style | WS_MAXIMIZEBOX) : (style & ~WS_MAXIMIZEBOX);
    SetWindowLongA(window, GWL_STYLE, style);
    SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
}

std::uint32_t SetWindowFeature(std::uint32_t* a) {
    Application* const app = Application::Current();
    if (!app) return 0;
    if (a[0] == 0) {
        const std::uint8_t policy = Policy(*app);
        if (policy == 0) return 0;
        const bool on = a[1] != 0;
        HWND window = app->MainWindow().Handle();
        HMENU menu = window != nullptr ? GetMenu(window) : nullptr;
        if (menu != nullptr) {
            ::EnableMenuItem(menu, kCmdScreenMode, MF_BYCOMMAND | (on ? MF_ENABLED : MF_DISABLED | MF_GRAYED));
            DrawMenuBar(window);
        }
        if (policy == 2) {
            SetMaximiseBox(app->MainWindow().Handle(), on);
            SetMaximiseBox(app->MenuWindow().Handle(), on);
        }
        app->windowFlags = on ? (app->windowFlags | kSwitchingEnabled) : (app->windowFlags & ~kSwitchingEnabled);
    } else if (a[0] == 1) {
        app->windowFlags = static_cast<std::uint8_t>((app->windowFlags & ~kSystemKeyBits) | (a[1] & kSystemKeyBits));
        if (a[1] != 0) app->InstallKeyboardHook();
        else app->RemoveKeyboardHook();
    }
    return 0;
}

std::uint32_t GetSystemInfo(std::uint32_t* a) {
    Application* const app = Application::Current();
    const WindowCommandSources& sources = WindowCommandSourcesRef();
    const std::uint32_t index = a[0];
    switch (index) {
    case 0: case 1: case 2: case 3: case 14: case 15: case 16: case 17: case 18: case 19: case 20: case 22:
        return sources.deviceValue ? sources.deviceValue(index) : 0;
    case 7: return g_cpuInfo.mmx;
    case 8: return g_cpuInfo.mmxExt;
    default: break;
    }
    if (!app) return 0;
    switch (index) {
    case 4: return app->Settings().block1[kInputMethod];
    case 5: return Result(app->FrameRate().MeasuredRate());
    case 6: return app->Input().JoystickCount() > 0 ? 1 : 0;
    case 9: return app->Settings().screenMode == 0 ? 0 : app->Settings().screenMode - 1u;
    case 10: return app->Settings().colourDepth;
    case 11: return app->System().IsNtFamily() ? 0 : 1;
    case 12: return app->System().IsNtFamily() ? 1 : 0;
    case 13: return app->System().IsXpOrLater() ? 1 : 0;
    case 21: return app->PixelOps() != nullptr ? 1 : 0;
    default: return 0;
    }
}

std::uint32_t ApplyTextSettings(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    if (!engine) return 0;
    const WindowCommandSources& sources = WindowCommandSourcesRef();
    SettingsTextPart* const window =
        Int(a[2]) != -1 && sources.textPart ? sources.textPart(a[2]) : nullptr;
    SettingsTextPart* const list = sources.textPart ? sources.textPart(a[3]) : nullptr;
    SettingsFont* const font = sources.font ? sources.font(a[4]) : nullptr;
    return engine->ApplyMessageSettings(Bool(a[0]), Bool(a[1]), window, list, font, Bool(a[5]), Bool(a[6]));
}

std::uint32_t SwitchScreenMode(std::uint32_t* a) {
    Application* const app = Application::Current();
    if (!app) return 1;
    const std::int32_t request = Int(a[0]);
    const std::uint8_t policy = Policy(*app);
    if (policy == 0 || (app->windowFlags & kSwitchingEnabled) == 0 || (request >= 3 && policy == 1)) return 1;
    PlayerSettings& settings = app->Settings();
    const std::uint8_t oldMode = settings.screenMode;
    const std::uint8_t oldDepth = settings.colourDepth;
    const bool fullScreen = request < 3;
    std::uint8_t depth = oldDepth;
    if (fullScreen) {
        const std::uint8_t wanted = request < 0 ? 0 : static_cast<std::uint8_t>((request + 2) * 8);
        if (app->ProbeScreenMode(app->MainWindow().Handle(), wanted) != 0) {
            app->RequestMessageBox(0, kScreenModeProbeFailed, 4, nullptr);
            settings.screenMode = oldMode;
            settings.colourDepth = oldDepth;
            return 2;
        }
        depth = static_cast<std::uint8_t>(app->System().BitsPerPixel());
    }
    const std::uint8_t mode = fullScreen ? 1 : 2;
    settings.screenMode = mode;
    settings.colourDepth = depth;
    if (app->RequestScreenModeSwitch(mode, depth, kSwitchIfChanged) != 0) {
        settings.screenMode = oldMode;
        settings.colourDepth = oldDepth;
        app->fatalError = 2;
        return 3;
    }
    if (!fullScreen) {
        HWND window = app->MainWindow().Handle();
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        ScreenPort* const screen = app->Screen();
        const LONG gameWidth = screen && screen->ScalesWindow() ? screen->ScaledClientSize().cx : app->gameWidth;
        if (window != nullptr && work.right - work.left == gameWidth) {
            RECT outer = {};
            GetWindowRect(window, &outer);
            const LONG width = outer.right - outer.left;
            const LONG height = outer.bottom - outer.top;
            const LONG workHeight = work.bottom - work.top;
            const LONG x = work.left + (work.right - work.left - width) / 2;
            const LONG y = height < workHeight ? work.top + (workHeight - height) / 2 : work.top;
            SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
    }
    app->ApplyFrameTiming(-1);
    return 0;
}

std::uint32_t SetFrameYield(std::uint32_t* a) {
    if (Application* app = Application::Current()) app->shortVSyncSleep = a[0] & 1;
    return 0;
}

template <std::int32_t (Application::*Operation)()>
std::uint32_t AppCall(std::uint32_t*) {
    Application* const app = Application::Current();
    return app ? Result((app->*Operation)()) : 0;
}

std::uint32_t BusyEnter(std::uint32_t*) { return Result(BusyCounterEnter()); }
std::uint32_t BusyLeave(std::uint32_t*) { return Result(BusyCounterLeave()); }

std::uint32_t ApplyFrameTiming(std::uint32_t* a) {
    if (Application* app = Application::Current()) app->ApplyFrameTiming(Int(a[0]));
    return 0;
}

std::uint32_t GetFrameRate(std::uint32_t*) {
    Application* const app = Application::Current();
    return app ? Result(app->FrameRate().MeasuredRate()) : 0;
}

std::uint32_t SetFrameSkip(std::uint32_t* a) {
    if (Application* app = Application::Current()) app->FrameRate().SetSkipEnabled((a[0] & 1) != 0);
    return 0;
}

std::uint32_t PostWindowRequest(std::uint32_t* a) {
    return Result(PostMenuCommand(Byte(a[0]), Byte(a[1]) != 0, 0));
}

std::uint32_t GetOpenDialogKind(std::uint32_t*) {
    Application* const app = Application::Current();
    return app ? app->modalState : 0;
}

std::uint32_t TakeScreenModeChanged(std::uint32_t*) {
    Application* const app = Application::Current();
    if (!app) return 0;
    const bool switched = (app->windowFlags & kModeSwitched) != 0;
    app->windowFlags &= ~kModeSwitched;
    return switched ? 1 : 0;
}

}  // namespace

std::uint32_t XM_CDECL CmdSetWindowFeature(std::uint32_t* a) { return GuardedCommand<SetWindowFeature, 0>(a); }
std::uint32_t XM_CDECL CmdGetSystemInfo(std::uint32_t* a) { return GuardedCommand<GetSystemInfo, 0>(a); }
std::uint32_t XM_CDECL CmdApplyTextSettings(std::uint32_t* a) { return GuardedCommand<ApplyTextSettings, 0>(a); }
std::uint32_t XM_CDECL CmdSwitchScreenMode(std::uint32_t* a) { return GuardedCommand<SwitchScreenMode, 3>(a); }
std::uint32_t XM_CDECL CmdSetFrameYield(std::uint32_t* a) { return GuardedCommand<SetFrameYield, 0>(a); }
std::uint32_t XM_CDECL CmdBeginForcedVSync(std::uint32_t* a) {
    return GuardedCommand<AppCall<&Application::ForceVSyncBegin>, 0>(a);
}
std::uint32_t XM_CDECL CmdEndForcedVSync(std::uint32_t* a) {
    return GuardedCommand<AppCall<&Application::ForceVSyncEnd>, 0>(a);
}
std::uint32_t XM_CDECL CmdBeginPreciseWaitSuspension(std::uint32_t* a) {
    return GuardedCommand<AppCall<&Application::SuspendPreciseWaitBegin>, 0>(a);
}
std::uint32_t XM_CDECL CmdEndPreciseWaitSuspension(std::uint32_t* a) {
    return GuardedCommand<AppCall<&Application::SuspendPreciseWaitEnd>, 0>(a);
}
std::uint32_t XM_CDECL CmdBusyEnter(std::uint32_t* a) { return GuardedCommand<BusyEnter, 0>(a); }
std::uint32_t XM_CDECL CmdBusyLeave(std::uint32_t* a) { return GuardedCommand<BusyLeave, 0>(a); }
std::uint32_t XM_CDECL CmdApplyFrameTiming(std::uint32_t* a) { return GuardedCommand<ApplyFrameTiming, 0>(a); }
std::uint32_t XM_CDECL CmdGetFrameRate(std::uint32_t* a) { return GuardedCommand<GetFrameRate, 0>(a); }
std::uint32_t XM_CDECL CmdSetFrameSkip(std::uint32_t* a) { return GuardedCommand<SetFrameSkip, 0>(a); }
std::uint32_t XM_CDECL CmdPostWindowRequest(std::uint32_t* a) { return GuardedCommand<PostWindowRequest, 0>(a); }
std::uint32_t XM_CDECL CmdGetOpenDialogKind(std::uint32_t* a) { return GuardedCommand<GetOpenDialogKind, 0>(a); }
std::uint32_t XM_CDECL CmdTakeScreenModeChanged(std::uint32_t* a) {
    return GuardedCommand<TakeScreenModeChanged, 0>(a);
}
