// The process-wide list of display drivers (DirectDraw adapters) with their display modes and
// Direct3D devices, and the choice of the device to render with. The game's DirectDraw device
// and the configuration tool both read it; whoever enumerates frees it again (the next
// enumeration frees the previous list). COM must be initialised on the calling thread.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdint>
#include <string>
#include <vector>

struct DisplayModeRecord {
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bitsPerPixel;
    std::uint32_t refreshRate;
};

struct DisplayDeviceRecord {
    GUID id;
    std::string name;
    std::uint32_t renderBitDepths;  // the DDBD flags of the device description
    bool hardware;                  // D3DDEVCAPS_HWRASTERIZATION
    D3DDEVICEDESC7 description = {};
};

struct DisplayAdapterRecord {
    GUID id;  // all zero for the primary display driver
    std::string description;
    std::string driverName;
    std::uint8_t flag;  // 1 for the primary driver whose hardware can render in a window
    std::vector<DisplayDeviceRecord> devices;  // in enumeration order
    HMONITOR monitor = nullptr;
    DDCAPS hardwareCaps = {};
    DDCAPS emulationCaps = {};
    std::vector<DisplayModeRecord> modes = {};

    // The GUID to open the driver with: null for the primary display driver.
    const GUID* GuidOrNull() const;
};

// The adapter and device chosen by default.
struct DisplayDeviceChoice {
    GUID adapter;
    GUID device;
    std::uint32_t renderBitDepths;
    std::int32_t deviceClass;  // 2 T&L HAL, 1 other hardware, 0 software or reference
    std::uint8_t flag;         // the hardware device belongs to the primary driver
};

// The list filled by the last enumeration.
const std::vector<DisplayAdapterRecord>& DisplayDeviceList();

// Rebuilds the list: 0 when it holds a driver, -1 when none could be opened, 1 ddraw.dll
// missing, 2 DirectDrawCreateEx missing, 3 DirectDrawEnumerateExA missing.
std::int32_t EnumerateDisplayDevices(bool emulationOnly, bool withModes);

// T&L HAL before HAL before software before the reference rasteriser, the last of a class
// winning; with considerSecondaryDrivers the hardware devices of drivers other than the
// windowed primary count as HAL candidates. False on an empty list or without a device.
bool ChooseDisplayDevice(const std::vector<DisplayAdapterRecord>& adapters, bool considerSecondaryDrivers,
                         DisplayDeviceChoice& out);
bool ChooseDisplayDevice(DisplayDeviceChoice& out, bool considerSecondaryDrivers);

void FreeDisplayDeviceList();
