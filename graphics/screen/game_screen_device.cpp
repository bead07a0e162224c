#include "graphics/screen/game_screen_device.h"

#include "framework/display/display_device_list.h"
#include "framework/system/display_info.h"
#include "framework/system/report_values.h"
#include "graphics/surfaces/gdi_screen.h"

bool GameScreenDevice::FullScreenModeHeld() {
    return m_device.DisplaySettingsChanged() || m_device.m_displayModeState == 1;
}

SIZE GameScreenDevice::DisplaySize() {
    if (m_device.displaySize.cx > 0) return m_device.displaySize;
    return SIZE{m_device.gameRect.right, m_device.gameRect.bottom};
}

SIZE GameScreenDevice::DisplayModeSize() {
    return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT GameScreenDevice::GameArea() {
    if (!m_device.letterboxInUse) return m_device.gameRect;
    const RECT& d = m_device.letterboxDest;
    return RECT{d.left, d.top, d.left + d.right, d.top + d.bottom};
}

SIZE GameScreenDevice::ScaledClientSize() { return SIZE{m_device.gameRect.right, m_device.gameRect.bottom}; }

bool GameScreenDevice::LetterboxBars(RECT bars[2]) {
    if (!m_device.letterboxInUse || !m_device.letterboxBars) return false;
    bars[0] = m_device.bar1;
    bars[1] = m_device.bar2;
    return true;
}

void GameScreenDevice::TakeDisplaySettings(const ScreenDisplaySettings& settings) {
    m_settings = settings;
    m_device.hardwareCanvasMode = settings.enlargedMethod;
    m_device.windowedHardwareCanvas = settings.methodAlsoInWindow ? 1 : 0;
    m_device.powerOfTwoTextures = settings.powerOfTwoTextures ? 1 : 0;
    m_device.smoothScaling = settings.smoothScaling ? 1 : 0;
    m_device.transferThroughDc = settings.transferThroughDc ? 1 : 0;
}

std::int32_t GameScreenDevice::EnumerateDisplayModes(std::int32_t width, std::int32_t height) {
    m_device.SetGameSize(width, height);
    DisplayInfo displays;
    const std::vector<MonitorRecord>& monitors = displays.Monitors();
    if (m_device.EnumDisplayModes(monitors, width, height, m_settings.throughDirectDraw) != 0) return 1;
    HMONITOR monitor = nullptr;
    std::int32_t index = 0;
    if (m_settings.monitorChoice != 0) {
        index = m_settings.monitorChoice - 1;
    } else {
        monitor = MonitorFromRect(&m_settings.windowRect, MONITOR_DEFAULTTONEAREST);
    }
    return m_device.SelectMonitor(m_settings.changeResolution, monitor, index, m_settings.depth, &monitors) != 0
               ? 1
               : 0;
}

std::int32_t GameScreenDevice::CreateCanvas(std::int32_t width, std::int32_t height, bool) {
    GdiScreen* canvas = nullptr;
    if (m_device.CreateGdiScreen(&canvas, width, height, 32, 0) != 0) return 1;
    m_device.AttachGameImage(canvas);
    return 0;
}

std::int32_t GameScreenDevice::ChangeMode(HWND window, bool fullScreen, std::uint8_t, std::uint8_t depthBuffer) {
    return m_device.ChangeMode(window, !fullScreen, false, depthBuffer != 0);
}

std::int32_t GameScreenDevice::SetFullscreenMode(std::int32_t width, std::int32_t height) {
    if (!m_device.changeModeForFullScreen) return 0;
    const MonitorModeEntry* monitor = m_device.CurrentMonitor();
    return m_device.ChangeDisplaySettings(width, height, monitor ? monitor->deviceName.c_str() : nullptr);
}

std::int32_t GameScreenDevice::SetWindowedMode() {
    m_device.RestoreDisplaySettings();
    return 0;
}

void GameScreenDevice::PresentRect(const RECT& rect) {
    if (!m_device.window) return;
    HDC dc = GetDC(m_device.window);
    if (!dc) return;
    PAINTSTRUCT paint = {};
    paint.rcPaint = rect;
    m_device.PresentRect(dc, paint);
    ReleaseDC(m_device.window, dc);
}

std::int32_t GameScreenDevice::PresentGdi() {
    if (m_device.GameImage()) {
        const std::int32_t r = m_device.Present();
        return r == 1 || r == 2 ? 2 : r == 0 ? 0 : 1;
    }
    const std::int32_t r = m_device.PresentBackBuffer();
    m_device.ClearBackSurface();
    return r == 2 ? 2 : r == 0 ? 0 : 1;
}

void GameScreenDevice::UpdatePixelFormat() {
    if (m_device.backSurface) {
        m_device.backFormat = ClassifyPixelFormat(m_device.backSurface, &m_device.backPixelFormat, nullptr);
    }
}

void GameScreenDevice::FillReportValues(ReportScreenValues& values) {
    values.hasDirectDraw = m_device.DirectDraw() != nullptr;
    values.totalVideoMemory = m_device.m_videoMemoryTotal;
    values.freeVideoMemory = m_device.DirectDraw() ? m_device.GetFreeVideoMemory(true) : 0;
    values.presentationSet = true;
    values.presentMode = m_device.GetPresentMode() == 0 ? 0 : 1;
    values.adapterDescription = m_device.m_driverDescription;
    values.driverFile = m_device.m_driverName;
    values.driverVersionHigh = static_cast<std::uint32_t>(m_device.m_driverVersion >> 32);
    values.driverVersionLow = static_cast<std::uint32_t>(m_device.m_driverVersion);
    values.driverCaps = m_device.m_hardwareCaps;
    values.hasPrimarySurface = m_device.primarySurface != nullptr;
    values.primaryCaps = m_device.primaryCaps;
    values.backCaps = m_device.backCaps;
    values.vsyncMode = m_device.presentWait;
    values.fullScreenModeHeld = FullScreenModeHeld();
    values.screenMode = ScreenMode();
    const MonitorModeEntry* monitor = m_device.CurrentMonitor();
    values.usesMonitorRecord = monitor != nullptr;
    if (monitor) values.monitorName = monitor->description;
    values.fullScreenWidth = static_cast<std::uint32_t>(DisplaySize().cx);
    values.fullScreenHeight = static_cast<std::uint32_t>(DisplaySize().cy);
    values.fullScreenDepth = m_device.fullScreenDepth;
    values.pixelDepth = m_device.displayDepth;
    values.pixelFormatCode = static_cast<std::uint32_t>(m_device.backFormat);
}

const GUID* GameScreenDevice::PrimaryDisplayId() {
    // Enumeration lists the primary display's driver first.
    const std::vector<DisplayAdapterRecord>& adapters = DisplayDeviceList();
    return adapters.empty() ? nullptr : &adapters.front().id;
}
