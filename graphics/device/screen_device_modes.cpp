// The screen device's display modes: monitors, the full-screen depth, letterbox geometry and
// the display-settings change made for full screen.
#include <cstring>

#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"

LONG(WINAPI* ScreenDisplaySettingsCall)(LPCSTR, DEVMODEA*, HWND, DWORD, LPVOID) = ChangeDisplaySettingsExA;

std::int32_t ClipperHolder::Attach(IDirectDraw7* directDraw, IDirectDrawSurface7* surface, HWND window) {
    Release();
    if (!directDraw || !surface || !window) return 1;
    IDirectDrawClipper* made = nullptr;
    if (FAILED(directDraw->CreateClipper(0, &made, nullptr)) || !made) return 2;
    if (FAILED(made->SetHWnd(0, window))) {
        made->Release();
        return 3;
    }
    if (FAILED(surface->SetClipper(made))) {
        made->Release();
        return 4;
    }
    m_clipper = made;
    return 0;
}

void ClipperHolder::Release() {
    if (m_clipper) m_clipper->Release();
    m_clipper = nullptr;
}

std::int32_t ScreenDevice::SetGameSize(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) return 1;
    gameRect = RECT{0, 0, width, height};
    return 0;
}

std::int32_t ScreenDevice::AttachGameImage(GdiScreen* image) {
    ScopedLock hold(m_lock);
    if (m_gameImage && m_gameImage != image) Unpin(HandleTable<Surface>::WordOf(static_cast<Surface*>(m_gameImage)));
    // Pins count, so the same canvas attached again keeps its one pin.
    const bool alreadyAttached = image && image == m_gameImage;
    m_gameImage = image;
    if (image) {
        if (!alreadyAttached) Pin(HandleTable<Surface>::WordOf(static_cast<Surface*>(image)));
        m_transferWhole = true;
        gameRect = RECT{0, 0, image->Width(), image->Height()};
    }
    return 0;
}

std::int32_t ScreenDevice::EnumDisplayModes(const std::vector<MonitorRecord>& displays, std::int32_t gameWidth,
                                            std::int32_t gameHeight, bool useModes) {
    EnumerateDrivers(false, useModes);
    return EnumDisplayModesFrom(displays, DisplayDeviceList(), gameWidth, gameHeight, useModes, ListDisplaySettings);
}

std::int32_t ScreenDevice::EnumDisplayModesFrom(const std::vector<MonitorRecord>& displays,
                                                const std::vector<DisplayAdapterRecord>& drivers,
                                                std::int32_t gameWidth, std::int32_t gameHeight, bool useModes,
                                                DisplayModeLister lister) {
    m_currentMonitor = nullptr;
    const std::int32_t result =
        BuildMonitorEntries(displays, drivers, gameWidth, gameHeight, useModes, lister, m_monitors);
    useDirectDrawModes = useModes ? 1 : 0;
    return result;
}

std::int32_t ScreenDevice::SelectMonitor(bool stretchToMode, HMONITOR monitor, std::int32_t index,
                                         std::uint8_t depth, const std::vector<MonitorRecord>* displays) {
    if (m_monitors.empty()) return 1;
    const MonitorModeEntry* entry = nullptr;
    if (monitor) {
        for (const MonitorModeEntry& e : m_monitors) {
            if (e.monitor == monitor) entry = &e;
        }
    }
    if (!entry) {
        entry = index >= 0 && index < static_cast<std::int32_t>(m_monitors.size()) ? &m_monitors[index]
                                                                                    : &m_monitors[0];
    }
    if (entry != m_currentMonitor) {
        m_currentMonitor = entry;
        m_modeDepthMask = static_cast<std::uint8_t>((entry->depthMask >> 8) & 0x0F);
        m_modeHas60Hz = entry->has60Hz;
    }
    const bool changesMode = stretchToMode && entry->modeWidth != 0;
    changeModeForFullScreen = changesMode ? 1 : 0;

    std::uint8_t chosen = 0;
    if (changesMode && depth != 0) {
        chosen = depth;
        if ((entry->depthMask & ModeDepthBit(depth)) == 0) {
            if (entry->depthMask & ModeDepthBit(32)) chosen = 32;
            else if (entry->depthMask & ModeDepthBit(24)) chosen = 24;
            else if (entry->depthMask & ModeDepthBit(16)) chosen = 16;
            else return 3;
        }
    } else {
        chosen = entry->currentDepth;
        if (chosen == 0) {
            HDC screen = GetDC(nullptr);
            chosen = static_cast<std::uint8_t>(screen ? GetDeviceCaps(screen, BITSPIXEL) : 0);
            if (screen) ReleaseDC(nullptr, screen);
        }
    }
    fullScreenDepth = chosen;
    if (displays) monitorHandle = entry->monitor;

    std::int32_t width = 0;
    std::int32_t height = 0;
    if (changesMode) {
        if (entry->modeIsGameSize) {
            ClearLetterbox();
            return 0;
        }
        width = entry->modeWidth;
        height = entry->modeHeight;
    } else {
        const MonitorRecord* record = nullptr;
        if (displays) {
            for (const MonitorRecord& r : *displays) {
                if (r.monitor == entry->monitor) record = &r;
            }
        }
        if (record) {
            width = record->rect.right - record->rect.left;
            height = record->rect.bottom - record->rect.top;
        } else {
            width = GetSystemMetrics(SM_CXSCREEN);
            height = GetSystemMetrics(SM_CYSCREEN);
        }
    }
    return SetLetterbox(width, height, false) > 0 ? 4 : 0;
}

std::int32_t ScreenDevice::SetLetterbox(std::int32_t width, std::int32_t height, bool allowSameShape) {
    LetterboxGeometry g;
    const std::int32_t result =
        ComputeLetterbox(g, width, height, gameRect.right - gameRect.left, gameRect.bottom - gameRect.top,
                         allowSameShape);
    if (result == 1) return 1;
    displaySize = SIZE{g.displayWidth, g.displayHeight};
    letterbox = g.letterbox;
    letterboxDest = g.dest;
    letterboxBars = g.bars;
    bar1 = g.bar1;
    bar2 = g.bar2;
    return result;
}

void ScreenDevice::ClearLetterbox() {
    displaySize = SIZE{gameRect.right - gameRect.left, gameRect.bottom - gameRect.top};
    letterbox = 0;
    letterboxBars = 0;
}

std::int32_t ScreenDevice::ChangeDisplaySettings(std::int32_t width, std::int32_t height, const char* deviceName) {
    RestoreDisplaySettings();
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof(mode));
    mode.dmSize = 156;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LPCSTR name = deviceName && deviceName[0] ? deviceName : nullptr;
    DEVMODEA before;
    std::memset(&before, 0, sizeof(before));
    before.dmSize = sizeof(before);
    const bool haveBefore = EnumDisplaySettingsExA(name, ENUM_CURRENT_SETTINGS, &before, 0) != FALSE;
    if (ScreenDisplaySettingsCall(name, &mode, nullptr, CDS_FULLSCREEN, nullptr) != DISP_CHANGE_SUCCESSFUL) return 1;
    m_changedDeviceName = name ? name : "";
    m_displayChanged = true;
    m_haveModeBefore = haveBefore;
    if (haveBefore) {
        m_modeBefore = before;
        m_modeBefore.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL | DM_DISPLAYFREQUENCY;
    }
    return 0;
}

std::int32_t ScreenDevice::RestoreDisplaySettings() {
    if (!m_displayChanged) return 1;
    const LPCSTR name = m_changedDeviceName.empty() ? nullptr : m_changedDeviceName.c_str();
    if (!m_haveModeBefore ||
        ScreenDisplaySettingsCall(name, &m_modeBefore, nullptr, 0, nullptr) != DISP_CHANGE_SUCCESSFUL)
        ScreenDisplaySettingsCall(name, nullptr, nullptr, 0, nullptr);
    m_haveModeBefore = false;
    m_displayChanged = false;
    m_changedDeviceName.clear();
    return 0;
}

std::uint8_t ScreenDevice::GetPresentMode() const {
    if (scalerTexture) return 2;
    return backSurface ? 1 : 0;
}
