// The application description (QL_APP.SYS) and the player settings (USER.CFG) as the framework
// reads them: only the fields that start-up, the window handlers and the start-up log use. The
// game's start-up fills them from the files; the defaults are what a game without files gets.
#pragma once

#include <cstdint>

struct AppDescription {
    std::int32_t gameWidth = 640;
    std::int32_t gameHeight = 480;
    // WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX.
    std::uint32_t style = 0xCA0000;
    std::uint32_t exStyle = 0;
    std::uint16_t iconId = 0;
    std::uint16_t menuId = 0;
    std::uint16_t acceleratorId = 0;
    std::uint8_t singleInstance = 1;
    // 0 window only, 1 full screen only, 2 both.
    std::uint8_t screenMode = 2;
    // 1: the start-up log goes into the current folder.
    std::uint8_t saveFolderMode = 1;
    // 0 no menu in full screen, 1 a menu strip with a frame, 2 a bare popup strip.
    std::uint8_t menuBarMode = 1;
    std::uint8_t versionMajor = 1;
    std::uint8_t versionMinor = 0;
    std::uint8_t versionLetter = 0;
};

// Positions inside the first settings block.
enum SettingsByte : std::uint8_t {
    kThreadedMode = 0,
    kAllowCmov = 1,
    kAllowMmx = 2,
    kAllowSse = 3,
    kAllowSse2 = 4,
    kDisplayCanvas = 5,
    kDirect3DDetail = 10,
    kDepthBuffer = 11,
    kDisplayChoice = 12,
    kMinimiseInBackground = 13,
    kWriteStartupLog = 14,
    kMeasureClock = 15,
    kInputMethod = 16,
    kJoysticks = 17,
    kPresentationOption = 23,
    kSuspendScreenSaver = 24,
    kSuspendPowerSaving = 25,
    kKeepAwake = 26,
};

struct PlayerSettings {
    std::uint8_t block1[27] = {0, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 1,
                               0, 0, 2, 1, 1, 0, 1, 2, 1, 1, 0, 0, 0};
    // 0 as the description, 1 full screen, 2 window.
    std::uint8_t screenMode = 0;
    std::uint8_t colourDepth = 3;
    std::int32_t windowX = -1;
    std::int32_t windowY = -1;
    std::uint8_t placeCursorAfterSwitch = 1;
    std::uint16_t menuRevealDelay = 0;
    std::uint8_t repaintWhileInactive = 0;
};
