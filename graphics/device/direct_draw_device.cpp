#include "graphics/device/direct_draw_device.h"

#include <d3d.h>

#include "framework/runtime/com_init.h"

DirectDrawDevice* CurrentDirectDrawDevice = nullptr;

namespace {

struct ModeScan {
    std::uint8_t mask = 0;
    std::uint8_t has60Hz = 0;
};

HRESULT WINAPI NoteMode(DDSURFACEDESC2* desc, void* context) {
    auto* scan = static_cast<ModeScan*>(context);
    const DWORD depth = desc->ddpfPixelFormat.dwRGBBitCount;
    if (depth == 8 || depth == 16 || depth == 24 || depth == 32) scan->mask |= 1u << (4 - depth / 8);
    if (desc->dwRefreshRate == 60) scan->has60Hz = 1;
    return DDENUMRET_OK;
}

bool IsWindowsNt5OrLaterOr9x() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS || version.dwMajorVersion >= 5;
}

}  // namespace

DirectDrawDevice::DirectDrawDevice() { m_comReady = ComInitForThread() == 0; }

DirectDrawDevice::~DirectDrawDevice() {
    ReleaseDirectDraw();
    if (m_comReady) ComUninitForThread();
    FreeDriverList();
}

void DirectDrawDevice::TakeChoice(const DisplayDeviceChoice& choice) {
    m_driverGuid = choice.adapter;
    m_driverGuidPtr = IsEqualGUID(choice.adapter, GUID{}) ? nullptr : &m_driverGuid;
    m_deviceGuid = choice.device;
    m_deviceGuidPtr = &m_deviceGuid;
    m_deviceRenderDepths = choice.renderBitDepths;
    m_deviceKind = static_cast<std::uint8_t>(choice.deviceClass);
    m_hardwareOnDefaultDriver = choice.flag;
}

std::int32_t DirectDrawDevice::CreateDirectDraw(bool emulationOnly, bool useDirect3D, const GUID* driverGuid,
                                                const GUID* deviceGuid, std::uint32_t renderDepths,
                                                bool hardwareOnDefault, std::int32_t modeWidth,
                                                std::int32_t modeHeight, bool listModes, bool discardDriverList,
                                                bool considerSecondaryDrivers) {
    if (!m_comReady) return 1;
    ReleaseDirectDraw();
    bool chosen = false;
    auto choose = [&]() {
        DisplayDeviceChoice choice = {};
        EnumerateDrivers(emulationOnly, listModes && !discardDriverList);
        const bool found = ChooseDisplayDevice(choice, considerSecondaryDrivers);
        if (found) TakeChoice(choice);
        if (discardDriverList) FreeDriverList();
        chosen = true;
        return found;
    };
    if (useDirect3D && driverGuid && deviceGuid && discardDriverList) {
        m_driverGuid = *driverGuid;
        m_driverGuidPtr = &m_driverGuid;
        m_deviceGuid = *deviceGuid;
        m_deviceGuidPtr = &m_deviceGuid;
        m_deviceRenderDepths = renderDepths;
        m_hardwareOnDefaultDriver = hardwareOnDefault ? 1 : 0;
        m_deviceKind = IsEqualGUID(*deviceGuid, IID_IDirect3DTnLHalDevice) ? 2 : IsEqualGUID(*deviceGuid, IID_IDirect3DHALDevice) ? 1 : 0;
        chosen = true;
    } else if (useDirect3D) {
        if (!choose()) return 2;
    } else {
        m_driverGuid = driverGuid ? *driverGuid : GUID{};
        m_driverGuidPtr = driverGuid ? &m_driverGuid : nullptr;
        m_deviceGuidPtr = nullptr;
    }
    if (FAILED(CoCreateInstance(CLSID_DirectDraw, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectDraw7,
                                reinterpret_cast<void**>(&m_directDraw)))) {
        m_directDraw = nullptr;
        return 3;
    }
    GUID* open = emulationOnly ? reinterpret_cast<GUID*>(DDCREATE_EMULATIONONLY) : m_driverGuidPtr;
    HRESULT initialised = m_directDraw->Initialize(open);
    if (FAILED(initialised) && useDirect3D && !chosen && choose())
        initialised = m_directDraw->Initialize(emulationOnly ? open : m_driverGuidPtr);
    if (FAILED(initialised)) return 4;
    m_useDirect3D = useDirect3D ? 1 : 0;
    if (modeWidth) {
        DDSURFACEDESC2 wanted = {};
        wanted.dwSize = sizeof(wanted);
        wanted.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
        wanted.dwWidth = static_cast<DWORD>(modeWidth);
        wanted.dwHeight = static_cast<DWORD>(modeHeight);
        ModeScan scan;
        m_directDraw->EnumDisplayModes(DDEDM_REFRESHRATES, &wanted, &scan, NoteMode);
        m_modeDepthMask = scan.mask;
        m_modeHas60Hz = scan.has60Hz;
        if (useDirect3D) m_modeDepthMask &= static_cast<std::uint8_t>(m_deviceRenderDepths >> 8);
    }
    ReadCaps();
    if (IsWindowsNt5OrLaterOr9x()) {
        DDDEVICEIDENTIFIER2 identifier = {};
        if (SUCCEEDED(m_directDraw->GetDeviceIdentifier(&identifier, 0))) {
            m_driverDescription = identifier.szDescription;
            m_driverName = identifier.szDriver;
            m_driverVersion = identifier.liDriverVersion.QuadPart;
        }
    }
    return 0;
}

void DirectDrawDevice::AdoptDirectDraw(IDirectDraw7* directDraw, bool useDirect3D) {
    ReleaseDirectDraw();
    directDraw->AddRef();
    m_directDraw = directDraw;
    m_useDirect3D = useDirect3D ? 1 : 0;
    ReadCaps();
}

void DirectDrawDevice::ReadCaps() {
    DDCAPS caps = {};
    caps.dwSize = sizeof(caps);
    if (FAILED(m_directDraw->GetCaps(&caps, nullptr))) return;
    m_hardwareCaps = caps.dwCaps;
    m_hardwareCaps2 = caps.dwCaps2;
    m_videoMemoryTotal = caps.dwVidMemTotal;
    m_videoMemoryFree = caps.dwVidMemFree;
}

void DirectDrawDevice::ReleaseDirectDraw() {
    SetWindowedMode(false);
    if (m_directDraw) m_directDraw->Release();
    m_directDraw = nullptr;
    m_cooperativeLevel = 0;
}

std::int32_t DirectDrawDevice::SetFullscreenMode(HWND window, std::int32_t width, std::int32_t height,
                                                 std::uint8_t depth, bool prefer60Hz) {
    if (!m_directDraw) return 1;
    if (m_displayModeState == 1 && m_displayDepth == depth) return 1;
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return 2;
    if (!(m_modeDepthMask & (1u << (4 - depth / 8)))) return 2;
    if (m_cooperativeLevel != 1) {
        if (FAILED(m_directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN))) return 3;
        m_cooperativeLevel = 1;
    }
    bool set = false;
    if (prefer60Hz && m_modeHas60Hz) {
        set = SUCCEEDED(m_directDraw->SetDisplayMode(width, height, depth, 60, 0));
        if (set) m_refreshRate = 60;
    }
    if (!set) {
        if (FAILED(m_directDraw->SetDisplayMode(width, height, depth, 0, 0))) return 4;
        m_refreshRate = 0;
    }
    m_displayModeState = 1;
    m_displayDepth = depth;
    return 0;
}

std::int32_t DirectDrawDevice::SetWindowedMode(bool requireWindowedHardware) {
    if (!m_directDraw) return 1;
    if (requireWindowedHardware && !m_hardwareOnDefaultDriver) return 2;
    if (m_cooperativeLevel != 2) {
        m_directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
        m_cooperativeLevel = 2;
    }
    if (m_displayModeState == 1) m_directDraw->RestoreDisplayMode();
    m_displayModeState = 2;
    m_refreshRate = 0;
    return 0;
}

std::uint32_t DirectDrawDevice::GetFreeVideoMemory(bool refresh) {
    if (!refresh) return m_videoMemoryFree;
    if (!m_directDraw) return 0;
    ReadCaps();
    return m_videoMemoryFree;
}

std::int32_t DirectDrawDevice::EnumerateDrivers(bool emulationOnly, bool withModes) {
    return EnumerateDisplayDevices(emulationOnly, withModes);
}

bool DirectDrawDevice::ChooseDevice(GUID& driverGuid, GUID& deviceGuid, std::uint32_t& renderDepths,
                                    std::uint8_t& deviceKind, std::uint8_t& hardwareOnDefault,
                                    bool considerSecondaryDrivers) {
    DisplayDeviceChoice choice = {};
    if (!ChooseDisplayDevice(choice, considerSecondaryDrivers)) return false;
    driverGuid = choice.adapter;
    deviceGuid = choice.device;
    renderDepths = choice.renderBitDepths;
    deviceKind = static_cast<std::uint8_t>(choice.deviceClass);
    hardwareOnDefault = choice.flag;
    return true;
}

void DirectDrawDevice::FreeDriverList() { FreeDisplayDeviceList(); }
