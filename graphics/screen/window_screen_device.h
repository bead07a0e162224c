// WindowScreenDevice: the screen device of a game that runs in a window through GDI only. It
// has no DirectDraw or Direct3D device: its display canvas is a game-size 32-bit DIB section,
// cleared to black, that PresentGdi and the window's repaint copy to the client area. Display
// modes are the desktop's; asking for full screen fails, so the game stays in its window.
#pragma once

#include <windows.h>

#include "framework/app/screen_port.h"
#include "graphics/screen/screen_frame.h"

class WindowScreenDevice : public ScreenPort, public ScreenFrame {
public:
    WindowScreenDevice() = default;
    ~WindowScreenDevice() override;
    WindowScreenDevice(const WindowScreenDevice&) = delete;
    WindowScreenDevice& operator=(const WindowScreenDevice&) = delete;

    // ScreenPort.
    bool IsFullScreen() override { return false; }
    bool IsLetterbox() override { return false; }
    bool ScalesGameArea() override { return false; }
    bool ScalesWindow() override { return false; }
    bool HasDirect3DDevice() override { return false; }
    bool HasMovieSurface() override { return false; }
    bool HasPrimarySurface() override { return false; }
    bool IsEmulated() override { return false; }
    bool HoldsExclusiveLevel() override { return false; }
    bool FullScreenModeHeld() override { return false; }
    std::uint8_t ScreenMode() override { return 2; }
    POINT DisplayOrigin() override;
    SIZE DisplaySize() override;
    SIZE DisplayModeSize() override;
    SIZE LetterboxDisplaySize() override { return m_size; }
    RECT GameArea() override;
    SIZE ScaledClientSize() override { return m_size; }
    bool LetterboxBars(RECT[2]) override { return false; }
    std::uint32_t FullScreenDepth() override { return 32; }
    std::int32_t EnumerateDisplayModes(std::int32_t width, std::int32_t height) override;
    std::int32_t CreateCanvas(std::int32_t width, std::int32_t height, bool secondKind) override;
    void SetGameSize(std::int32_t width, std::int32_t height) override;
    std::int32_t ChangeMode(HWND window, bool fullScreen, std::uint8_t displayChoice,
                            std::uint8_t depthBuffer) override;
    std::int32_t SetFullscreenMode(std::int32_t, std::int32_t) override { return 1; }
    std::int32_t SetWindowedMode() override { return 0; }
    void ClearAcceleratedChoices() override {}
    void SetPresentationOption(std::uint8_t) override {}
    void PresentRect(const RECT& rect) override;
    std::int32_t RestoreLostSurfaces() override { return 0; }
    void BeginGdiOverlay() override {}
    void EndGdiOverlay() override {}
    void Release() override;
    void FillReportValues(ReportScreenValues& values) override;

    // ScreenFrame.
    std::int32_t PresentGdi() override;
    void Present() override {}
    void DrawDeviceDrawables() override {}
    void UpdatePixelFormat() override {}
    std::uint8_t VSyncMode() override { return 0; }
    void SetVSyncMode(std::uint8_t) override {}
    bool HasHardwareVSync() override { return false; }
    std::uint32_t FullScreenRefreshRate() override { return 0; }
    void SetPrefer60Hz(bool) override {}

    // The canvas's pixels (0x00RRGGBB, top row first), null before CreateCanvas.
    const std::uint32_t* CanvasPixels() const { return m_pixels; }

private:
    void Copy(HDC target, const RECT& rect);

    HWND m_window = nullptr;
    SIZE m_size = {640, 480};
    HDC m_canvasDc = nullptr;
    HBITMAP m_canvas = nullptr;
    HGDIOBJ m_previousBitmap = nullptr;
    std::uint32_t* m_pixels = nullptr;
};
