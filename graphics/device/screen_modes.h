// The display-mode side of the screen device, kept free of DirectDraw objects so that it can be
// decided on records: one MonitorModeEntry per monitor with the full-screen mode found for the
// game, the choice of monitor and depth, and the letterbox geometry that fits the game picture
// into a display of another shape.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/display/display_device_list.h"
#include "framework/system/display_info.h"

struct MonitorModeEntry {
    HMONITOR monitor = nullptr;
    std::uint8_t currentDepth = 0;  // 0 = not recorded
    std::string deviceName;
    // On the primary monitor, when there is more than one, followed by " (Primary)".
    std::string description;
    GUID driverGuid = {};
    GUID deviceGuid = {};  // the first hardware-rasterising device of the driver, else zero
    std::uint32_t deviceRenderDepths = 0;
    // Bits 8..11: 32, 24, 16 and 8 bits per pixel offered at the mode (bit 8 + (4 - depth / 8)).
    std::uint32_t depthMask = 0;
    std::int32_t modeWidth = 0;  // 0, 0: no full-screen mode for the game
    std::int32_t modeHeight = 0;
    std::uint8_t modeIsGameSize = 0;
    std::uint8_t driverWindowed = 0;
    std::uint8_t has60Hz = 0;
};

// The depth bit of depthMask; 0 for depths other than 8, 16, 24 and 32.
std::uint32_t ModeDepthBit(std::uint32_t bitsPerPixel);

// Looks among the modes of the game's width for the full-screen mode: a height equal to
// aspectHeight wins at once, else the last mode of the game's height, else the last height seen.
// At that size the depth bits and the 60 Hz flag are collected into the entry; the mode size is
// stored only when a height and at least one depth were found.
void SearchGameMode(const std::vector<DisplayModeRecord>& modes, std::int32_t gameWidth, std::int32_t gameHeight,
                    std::int32_t aspectHeight, MonitorModeEntry& entry);

// The modes of a display device by name (EnumDisplaySettingsExA in the program).
using DisplayModeLister = std::vector<DisplayModeRecord> (*)(const char* deviceName);
std::vector<DisplayModeRecord> ListDisplaySettings(const char* deviceName);

// Builds one entry per monitor. Each monitor takes the driver whose monitor it is, else the
// first driver when that is the default one (no monitor); with no such driver the build fails.
// useDriverModes: the modes come from the driver's list, else from lister. 0, or -1 (no
// monitors, or a monitor without a driver; entries then empty).
std::int32_t BuildMonitorEntries(const std::vector<MonitorRecord>& monitors,
                                 const std::vector<DisplayAdapterRecord>& drivers, std::int32_t gameWidth,
                                 std::int32_t gameHeight, bool useDriverModes, DisplayModeLister lister,
                                 std::vector<MonitorModeEntry>& entries);

// Where the game picture lies on a display.
struct LetterboxGeometry {
    std::int32_t displayWidth = 0;
    std::int32_t displayHeight = 0;
    std::uint8_t letterbox = 0;
    RECT dest = {};  // left, top, width, height
    std::uint8_t bars = 0;
    RECT bar1 = {};
    RECT bar2 = {};
};

// The letterbox geometry of a display of width x height for the game. 0 set; -1 not needed
// (display size equals the game's: letterbox off); 1 a size not positive (nothing changes).
// Shapes are compared exactly (by cross products). With the same shape and allowSameShape the
// letterbox is turned off and 0 returned; without it the picture is scaled with no bars.
std::int32_t ComputeLetterbox(LetterboxGeometry& geometry, std::int32_t width, std::int32_t height,
                              std::int32_t gameWidth, std::int32_t gameHeight, bool allowSameShape);

// The size of the scaler's texture for a game picture on a device with these caps: rounded up
// to powers of two when the device asks for it or powerOfTwo is set, made square when the
// device asks for square textures, raised to the device's minimum. 0, or 5 when a side exceeds
// the device's maximum.
std::int32_t ScalerTextureSize(const D3DDEVICEDESC7& caps, std::int32_t gameWidth, std::int32_t gameHeight,
                               bool powerOfTwo, SIZE& size);

// The scaler's quad (x, y, z, rhw, u, v per corner, as a triangle strip): the destination at
// pixel centres (-0.5), the texture's game part (u up to gameWidth / textureWidth).
void MakeScalerQuad(float quad[4][6], std::int32_t destWidth, std::int32_t destHeight, std::int32_t gameWidth,
                    std::int32_t gameHeight, SIZE texture);
