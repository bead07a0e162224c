// DeviceReportValues: the values of the application and of its devices that the system report
// and the start-up log print, gathered by their owner (the application) into one plain record,
// so that the report needs none of the devices themselves.
//
// Each field says where its value comes from; zero-initialised means "nothing set up yet"
// (no DirectDraw, no primary surface, no joystick, an empty sound-device list).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// From the application description and the player settings.
struct ReportApplicationValues {
    std::uint8_t versionMajor = 0;
    std::uint8_t versionMinor = 0;
    // Printed in hexadecimal after the minor version when not 0.
    std::uint8_t versionLetter = 0;
    std::string productName;
    // Each printed on a line of its own when not empty.
    std::string notice;
    std::string webAddress;
    // The player's Direct3D setting.
    bool direct3DSetting = false;
    // 0 DirectInput, 1 Windows API, 2 window messages.
    std::uint8_t inputMethod = 0;
};

// From the screen device.
struct ReportScreenValues {
    bool hasDirectDraw = false;
    // Bytes; 0 when the device does not know it. Free is the device's query at report time.
    std::uint32_t totalVideoMemory = 0;
    std::uint32_t freeVideoMemory = 0;
    bool presentationSet = false;
    // 0 GDI, 1 DirectDraw, 2 Direct3D.
    std::uint8_t presentMode = 0;
    std::string adapterDescription;
    std::string driverFile;
    // Driver version, high and low words of the identifier.
    std::uint32_t driverVersionHigh = 0;
    std::uint32_t driverVersionLow = 0;
    // DDCAPS dwCaps.
    std::uint32_t driverCaps = 0;
    bool hasPrimarySurface = false;
    std::uint32_t primaryCaps = 0;
    std::uint32_t backCaps = 0;
    // Direct3D device kind: 0 HEL, 1 HAL, 2 T&L.
    std::uint8_t direct3DKind = 0;
    // 0 off, else the VSync variant + 1.
    std::uint8_t vsyncMode = 0;
    // A full-screen display mode is set.
    bool fullScreenModeHeld = false;
    // 1 full screen, 2 window.
    std::uint8_t screenMode = 2;
    // The full-screen mode uses a monitor record: its name; its size below, else the mode's.
    bool usesMonitorRecord = false;
    std::string monitorName;
    std::uint32_t fullScreenWidth = 0;
    std::uint32_t fullScreenHeight = 0;
    std::uint32_t fullScreenDepth = 0;
    // Pixel format of the primary surface.
    std::uint32_t pixelDepth = 0;
    std::uint32_t pixelFormatCode = 0;
    std::uint32_t redBits = 0;
    std::uint32_t greenBits = 0;
    std::uint32_t blueBits = 0;
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    // Direct3D device capabilities.
    bool alphaBlending = false;
    bool gouraudAlpha = false;
    bool alphaTest = false;
    bool hiddenSurfaceRemoval = false;
    std::uint32_t textureStages = 0;
    std::uint32_t minTextureWidth = 0;
    std::uint32_t minTextureHeight = 0;
    std::uint32_t maxTextureWidth = 0;
    std::uint32_t maxTextureHeight = 0;
    std::uint32_t textureCaps = 0;
    std::uint32_t textureOpCaps = 0;
    std::uint32_t sourceBlendCaps = 0;
    std::uint32_t destBlendCaps = 0;
    // Supported texture formats: 0x4 RGB555, 0x8 RGB565, 0x40 ARGB1555, 0x80 ARGB4444,
    // 0x10 RGB888, 0x20 XRGB8888, 0x100 ARGB8888.
    std::uint32_t textureFormats = 0;
    // The texture of the Direct3D presentation.
    std::uint32_t presentTextureWidth = 0;
    std::uint32_t presentTextureHeight = 0;
    std::uint32_t presentTextureFormat = 0;
    bool directBlit = false;
};

// One DirectSound output device, in the order the enumeration lists them.
struct ReportSoundOutput {
    // False for the primary sound driver, which has no GUID of its own.
    bool hasGuid = false;
    std::string description;
    std::string module;
};

// From the sound device and the output-device list.
struct ReportSoundValues {
    bool hasDirectSound = false;
    std::vector<ReportSoundOutput> outputs;
};

// From the input manager.
struct ReportInputValues {
    std::uint32_t keyboardKeys = 0;
    std::uint32_t mouseAxes = 0;
    std::uint32_t mouseButtons = 0;
    bool hasJoystick = false;
    std::uint32_t joystickNumber = 0;
    std::string joystickName;
    std::uint32_t joystickAxes = 0;
    std::uint32_t joystickButtons = 0;
};

struct DeviceReportValues {
    ReportApplicationValues application;
    ReportScreenValues screen;
    ReportSoundValues sound;
    ReportInputValues input;
    // Fills the output-device list; the detailed report calls it when the list is empty.
    // May be left empty.
    std::function<void(std::vector<ReportSoundOutput>&)> fillSoundOutputs;
};
