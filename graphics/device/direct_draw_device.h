// The lowest layer of the screen device: the IDirectDraw7 object, the chosen display driver and
// Direct3D device, the cooperative level and the display mode. The driver list itself is the
// framework's (framework/display/), which the configuration tool shares.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <string>

#include "framework/display/display_device_list.h"

class DirectDrawDevice {
public:
    DirectDrawDevice();
    virtual ~DirectDrawDevice();
    DirectDrawDevice(const DirectDrawDevice&) = delete;
    DirectDrawDevice& operator=(const DirectDrawDevice&) = delete;

    // 0 ok; 1 COM not ready; 2 no device could be chosen; 3 CoCreateInstance failed;
    // 4 Initialize failed.
    std::int32_t CreateDirectDraw(bool emulationOnly, bool useDirect3D, const GUID* driverGuid,
                                  const GUID* deviceGuid, std::uint32_t renderDepths, bool hardwareOnDefault,
                                  std::int32_t modeWidth, std::int32_t modeHeight, bool listModes,
                                  bool discardDriverList, bool considerSecondaryDrivers);
    void ReleaseDirectDraw();
    // 0 ok; 1 no object or a full-screen mode of that depth already set; 2 depth not offered;
    // 3 cooperative level refused; 4 mode refused.
    std::int32_t SetFullscreenMode(HWND window, std::int32_t width, std::int32_t height, std::uint8_t depth,
                                   bool prefer60Hz);
    // 0 ok; 1 no object; 2 windowed hardware required and the device is not on the default driver.
    std::int32_t SetWindowedMode(bool requireWindowedHardware);
    std::uint32_t GetFreeVideoMemory(bool refresh);

    // The framework's driver list under the device's own names.
    std::int32_t EnumerateDrivers(bool emulationOnly, bool withModes);
    bool ChooseDevice(GUID& driverGuid, GUID& deviceGuid, std::uint32_t& renderDepths, std::uint8_t& deviceKind,
                      std::uint8_t& hardwareOnDefault, bool considerSecondaryDrivers);
    void FreeDriverList();

    // Hands the device an object made elsewhere (adds a reference), as if CreateDirectDraw had
    // made it: the display shims of the tests.
    void AdoptDirectDraw(IDirectDraw7* directDraw, bool useDirect3D);

    IDirectDraw7* DirectDraw() const { return m_directDraw; }
    // "The device manages textures" is the DDCAPS2_CANMANAGETEXTURE bit of the hardware caps.
    bool ManagesTextures() const { return (m_hardwareCaps2 & DDCAPS2_CANMANAGETEXTURE) != 0; }

    bool m_comReady = false;
    IDirectDraw7* m_directDraw = nullptr;
    GUID m_driverGuid = {};
    GUID* m_driverGuidPtr = nullptr;
    GUID m_deviceGuid = {};
    GUID* m_deviceGuidPtr = nullptr;
    std::uint32_t m_deviceRenderDepths = 0;
    std::uint8_t m_deviceKind = 0;
    std::uint8_t m_hardwareOnDefaultDriver = 0;
    std::uint8_t m_useDirect3D = 0;
    std::uint8_t m_modeDepthMask = 0;  // bit (4 - depth / 8): 0 = 32, 1 = 24, 2 = 16, 3 = 8 bits
    std::uint8_t m_modeHas60Hz = 0;
    std::string m_driverDescription;
    std::string m_driverName;
    std::int64_t m_driverVersion = 0;
    std::uint32_t m_hardwareCaps = 0;
    std::uint32_t m_hardwareCaps2 = 0;
    std::uint32_t m_videoMemoryTotal = 0;
    std::uint32_t m_videoMemoryFree = 0;
    std::uint8_t m_displayModeState = 0;  // 1 full-screen mode set, 2 the desktop's
    std::uint8_t m_displayDepth = 0;
    std::uint8_t m_refreshRate = 0;
    std::uint8_t m_cooperativeLevel = 0;  // 0 none, 1 exclusive full screen, 2 normal

private:
    void ReadCaps();
    void TakeChoice(const DisplayDeviceChoice& choice);
};

// The device with which DirectDraw-backed surfaces are created; the screen device sets it.
extern DirectDrawDevice* CurrentDirectDrawDevice;
