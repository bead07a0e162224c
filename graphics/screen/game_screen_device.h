// GameScreenDevice: the game program's display device. It answers the framework's ScreenPort and
// the frames' ScreenFrame with a ScreenDevice: a window or full screen, presentation of the
// display canvas by GDI (or DirectDraw when a hardware canvas mode asks for it in full screen
// with letterbox), or of the back surface by blit or flip.
//
// How the two interfaces map onto the device: PresentGdi is ScreenDevice::Present with a display
// canvas, else ScreenDevice::PresentBackBuffer then ClearBackSurface; DrawDeviceDrawables draws
// the device's list onto the back surface over the game area (nothing without one);
// UpdatePixelFormat re-reads the back surface's format; window scaling is never done; the
// emulation flag is DirectDraw's DDCAPS_NOHARDWARE; the one-step Direct3D Present exists only
// with a Direct3D device, which no mode switch makes, so it does nothing.
#pragma once

#include <windows.h>

#include "framework/app/screen_port.h"
#include "graphics/device/screen_device.h"
#include "graphics/screen/screen_frame.h"

class GameScreenDevice : public ScreenPort, public ScreenFrame {
public:
    GameScreenDevice() = default;
    ~GameScreenDevice() override = default;
    GameScreenDevice(const GameScreenDevice&) = delete;
    GameScreenDevice& operator=(const GameScreenDevice&) = delete;

    ScreenDevice& Device() { return m_device; }

    // ScreenPort.
    bool IsFullScreen() override { return m_device.displayState != 2; }
    bool IsLetterbox() override { return m_device.letterboxInUse != 0; }
    bool ScalesGameArea() override { return m_device.letterboxInUse != 0 && m_device.GetPresentMode() != 0; }
    bool ScalesWindow() override { return false; }
    bool HasDirect3DDevice() override { return m_device.Device() != nullptr; }
    bool HasMovieSurface() override { return false; }
    bool HasPrimarySurface() override { return m_device.primarySurface != nullptr; }
    bool IsEmulated() override { return m_device.NoHardware(); }
    bool HoldsExclusiveLevel() override { return m_device.m_cooperativeLevel == 1; }
    const GUID* DisplayDeviceId() override { return m_device.m_driverGuidPtr; }
    IDirectDraw7* DirectDrawObject() override { return m_device.DirectDraw(); }
    IDirectDrawSurface7* PrimarySurfaceObject() override { return m_device.primarySurface; }
    const GUID* PrimaryDisplayId() override;
    bool FullScreenModeHeld() override;
    std::uint8_t ScreenMode() override { return m_device.displayState == 2 ? 2 : 1; }
    POINT DisplayOrigin() override { return m_device.monitorOrigin; }
    SIZE DisplaySize() override;
    SIZE DisplayModeSize() override;
    SIZE LetterboxDisplaySize() override { return DisplaySize(); }
    RECT GameArea() override;
    SIZE ScaledClientSize() override;
    bool LetterboxBars(RECT bars[2]) override;
    std::uint32_t FullScreenDepth() override { return m_device.fullScreenDepth; }
    // Copies the choices into the device's public settings (the enlarged-drawing method becomes
    // hardwareCanvasMode) and keeps the resolution, monitor and depth choices for the listing.
    void TakeDisplaySettings(const ScreenDisplaySettings& settings) override;
    // Lists the monitors' modes (through DirectDraw when chosen) and selects the chosen monitor
    // (the n-th, else the one holding the window rectangle) with the chosen depth.
    std::int32_t EnumerateDisplayModes(std::int32_t width, std::int32_t height) override;
    std::int32_t CreateCanvas(std::int32_t width, std::int32_t height, bool secondKind) override;
    void SetGameSize(std::int32_t width, std::int32_t height) override { m_device.SetGameSize(width, height); }
    std::int32_t ChangeMode(HWND window, bool fullScreen, std::uint8_t displayChoice,
                            std::uint8_t depthBuffer) override;
    std::int32_t SetFullscreenMode(std::int32_t width, std::int32_t height) override;
    std::int32_t SetWindowedMode() override;
    void ClearAcceleratedChoices() override { m_device.hardwareCanvasMode = 0; }
    void SetPresentationOption(std::uint8_t option) override { m_device.hardwareCanvasMode = option; }
    void PresentRect(const RECT& rect) override;
    std::int32_t RestoreLostSurfaces() override { return m_device.RestoreLostSurfaces(); }
    void BeginGdiOverlay() override { m_device.BeginGdiOverlay(); }
    void EndGdiOverlay() override { m_device.EndGdiOverlay(); }
    void Release() override { m_device.ReleaseSurfaces(); }
    void FillReportValues(ReportScreenValues& values) override;

    // ScreenFrame.
    std::int32_t PresentGdi() override;
    void Present() override {}
    void DrawDeviceDrawables() override { m_device.DrawList(); }
    void UpdatePixelFormat() override;
    std::uint8_t VSyncMode() override { return m_device.presentWait; }
    void SetVSyncMode(std::uint8_t mode) override { m_device.presentWait = mode; }
    bool HasHardwareVSync() override { return m_device.DirectDraw() != nullptr && !m_device.NoHardware(); }
    std::uint32_t FullScreenRefreshRate() override { return m_device.m_refreshRate; }
    void SetPrefer60Hz(bool on) override { m_device.prefer60Hz = on ? 1 : 0; }

private:
    ScreenDevice m_device;
    ScreenDisplaySettings m_settings;
};
