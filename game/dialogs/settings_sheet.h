// The settings property sheet (menu commands 40005 and 40006): four pages (keyboard, mouse and
// joystick, other, window) that edit APP_CFG.DAT's input and miscellaneous fields. Each page
// keeps working copies until OK; OK applies every page that was made, Cancel discards them
// (the movie volume the other page tried goes back), and the sheet's restore-defaults button
// changes only the current page. It runs on the window thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/dialog_host.h"

// A page's private input device, polled on the page's timer: the first code newly down since
// the last poll, or -1.
class SettingsPageDevice {
public:
    virtual ~SettingsPageDevice() = default;
    virtual std::int32_t PollFirstPressed() = 0;
};

// Control ids of the sheet and its pages.
enum : int {
    kSheetRestoreDefaults = 1201,
    kPageTrackVolume = 1051,
    kPageTrackHintDelay = 1052,
    kPageTrackHistory = 1053,
    kPageFirstField = 1054,  // 1054..1067: actions 4..17; on the other page 1054..1056 values
    kPageCheck1068 = 1068,
    kPageCheck1069 = 1069,
    kPageCheck1070 = 1070,
    kPageModifierLabel = 1071,
    kPageRadioFirst = 1072,
    kPageRadioSecond = 1073,
    kPageCombo1074 = 1074,
    kPageCombo1075 = 1075,
    kPageCommentFromText = 1101,
    kPageHistoryAntialias = 1102,
    kPageHideFrame = 1103,
    kPagePlayMovies = 1104,
    kPageMovieWindow = 1105,
    kPageShowHints = 1106,
    kPageChangeResolution = 1110,  // 1110..1118 on the window page
};

// Sent to the current page by the restore-defaults button.
enum : UINT { kMsgSettingsPageRestoreDefaults = 0x900A };

struct SettingsSheetContext {
    const DialogHost* host = nullptr;
    // APP_CFG.DAT's block (196 bytes).
    std::uint8_t* block = nullptr;
    // The keyboard page's keyboard and the mouse page's joystick (opened); a null result: the
    // page works without capture.
    std::function<std::unique_ptr<SettingsPageDevice>()> makeKeyboard;
    std::function<std::unique_ptr<SettingsPageDevice>()> makeJoystick;
    // Whether Delete is down now (the mouse page empties a field with it).
    std::function<bool()> deleteDown;
    // The binding applies on OK (the caller holds its input lock).
    std::function<void()> applyKeyboardBindings;
    std::function<void()> applyPadAndMouseBindings;
    // The current script movie's volume (0..256); null: no movie.
    std::function<void(std::int32_t volume)> setMovieVolume;
    // USER.CFG's load-DirectShow-plug-ins option.
    bool directShowPlugins = true;
    // The monitor names of the display list.
    std::vector<std::string> monitors;
    // Windows major version 6: the window page's defaults change resolution without DirectDraw
    // and pick the drawing method automatically.
    bool windowsMajor6 = false;
    // The window page's OK: APP_CFG offsets 160..164 to the screen device's enlarged-drawing
    // options, and offset 155 to the full-screen topmost flag.
    std::function<void(std::uint8_t method, const std::uint8_t flags[4])> applyEnlargedDrawing;
    std::function<void(bool topmost)> setFullScreenTopmost;

    // Set while the sheet runs.
    HWND sheet = nullptr;
    bool prepared = false;
    bool applied = false;
    bool hintsChanged = false;
};

// Runs the sheet owned by `owner`, starting on the page shown last (offset 2): PropertySheet's
// result, -1 when it could not be made. The three flags are cleared first.
INT_PTR RunSettingsSheet(SettingsSheetContext& context, HWND owner);

// The key's name for the keyboard page (empty: a key that cannot be assigned); codes 0..211.
const char* KeyName(std::int32_t code);
