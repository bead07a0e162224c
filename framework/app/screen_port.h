// ScreenPort: what the application asks of the screen device (display modes, presentation,
// the GDI overlay for boxes and menus, lost surfaces). The graphics side implements it; the
// application never sees more of the device than this.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

struct ReportScreenValues;

// The player's display choices, handed to the screen device at start-up before the display
// modes are listed and the first mode is set.
struct ScreenDisplaySettings {
    // Full screen changes the display resolution.
    bool changeResolution = false;
    // Resolutions are changed through DirectDraw (exclusive mode).
    bool throughDirectDraw = false;
    // 0 the monitor of the window rectangle below, n the n-th monitor.
    std::uint8_t monitorChoice = 0;
    RECT windowRect = {0, 0, 0, 0};
    // Bits per pixel of a full-screen mode change; 0 the monitor's own.
    std::uint8_t depth = 0;
    // Drawing when enlarged: 1 automatic, 2 DirectDraw, 3 Direct3D.
    std::uint8_t enlargedMethod = 1;
    bool methodAlsoInWindow = false;
    bool powerOfTwoTextures = false;
    bool smoothScaling = true;
    bool transferThroughDc = false;
};

class ScreenPort {
public:
    virtual ~ScreenPort() = default;

    // States.
    virtual bool IsFullScreen() = 0;
    virtual bool IsLetterbox() = 0;
    // The game area is drawn scaled in full-screen letterbox mode.
    virtual bool ScalesGameArea() = 0;
    virtual bool ScalesWindow() = 0;
    virtual bool HasDirect3DDevice() = 0;
    virtual bool HasMovieSurface() = 0;
    virtual bool HasPrimarySurface() = 0;
    virtual bool IsEmulated() = 0;
    virtual bool HoldsExclusiveLevel() = 0;
    // A full-screen display mode is set (the desktop mode was changed).
    virtual bool FullScreenModeHeld() = 0;
    // 1 full screen, 2 window.
    virtual std::uint8_t ScreenMode() = 0;

    // Geometry: the display's origin and size on the desktop, the display mode's size, the
    // display size of the letterbox mode, the game area inside the display (letterbox), the
    // scaled client size (window scaling) and the two letterbox bars.
    virtual POINT DisplayOrigin() = 0;
    virtual SIZE DisplaySize() = 0;
    virtual SIZE DisplayModeSize() = 0;
    virtual SIZE LetterboxDisplaySize() = 0;
    virtual RECT GameArea() = 0;
    virtual SIZE ScaledClientSize() = 0;
    // False when no bars are shown.
    virtual bool LetterboxBars(RECT bars[2]) = 0;
    virtual std::uint32_t FullScreenDepth() = 0;

    // Stored for the mode calls that follow; a device without such choices ignores them.
    virtual void TakeDisplaySettings(const ScreenDisplaySettings&) {}
    // Mode calls. 0 success, else the device's failure code.
    virtual std::int32_t EnumerateDisplayModes(std::int32_t gameWidth, std::int32_t gameHeight) = 0;
    virtual std::int32_t CreateCanvas(std::int32_t width, std::int32_t height, bool secondKind) = 0;
    virtual void SetGameSize(std::int32_t width, std::int32_t height) = 0;
    virtual std::int32_t ChangeMode(HWND window, bool fullScreen, std::uint8_t displayChoice,
                                    std::uint8_t depthBuffer) = 0;
    virtual std::int32_t SetFullscreenMode(std::int32_t width, std::int32_t height) = 0;
    virtual std::int32_t SetWindowedMode() = 0;
    // Drops the two accelerated-drawing choices (after a failed start in Direct3D).
    virtual void ClearAcceleratedChoices() = 0;
    virtual void SetPresentationOption(std::uint8_t option) = 0;

    // Presentation.
    virtual void PresentRect(const RECT& rect) = 0;
    // 0 or 1 fine; above 1 the surfaces are gone.
    virtual std::int32_t RestoreLostSurfaces() = 0;
    virtual void BeginGdiOverlay() = 0;
    virtual void EndGdiOverlay() = 0;
    // Direct3D device, surfaces, DirectDraw.
    virtual void Release() = 0;

    // What the window movie hands its DLL when the device holds the display exclusively: the
    // identifier of the display device opened (null: the primary driver), the DirectDraw object,
    // the primary surface, and the identifier display enumeration recorded for the primary
    // display (null when none). A device without DirectDraw answers null throughout.
    virtual const GUID* DisplayDeviceId() { return nullptr; }
    virtual IDirectDraw7* DirectDrawObject() { return nullptr; }
    virtual IDirectDrawSurface7* PrimarySurfaceObject() { return nullptr; }
    virtual const GUID* PrimaryDisplayId() { return nullptr; }
    virtual void FillReportValues(ReportScreenValues& values) = 0;
};
