// ScreenFrame: what the game's frame functions ask of the screen device once per frame, beside
// the application's ScreenPort: present the finished frame, restore lost surfaces, draw the
// device-drawable list onto the display canvas and keep the VSync mode. The screen device
// implements both; the game never sees more of it than these two. All calls come from the
// thread that runs the frames (under the framework's screen lock in the threaded mode).
#pragma once

#include <cstdint>

class ScreenFrame {
public:
    virtual ~ScreenFrame() = default;
    // Copies the display canvas to the window (GDI path): 0 done, 1 nothing to present,
    // 2 the surfaces were lost.
    virtual std::int32_t PresentGdi() = 0;
    // The Direct3D path: draws and presents in one step.
    virtual void Present() = 0;
    virtual void DrawDeviceDrawables() = 0;
    virtual void UpdatePixelFormat() = 0;
    // 0 no VSync, else the variant + 1.
    virtual std::uint8_t VSyncMode() = 0;
    virtual void SetVSyncMode(std::uint8_t mode) = 0;
    // The DirectDraw device can wait for the vertical blank (its caps lack DDCAPS_NOHARDWARE).
    virtual bool HasHardwareVSync() = 0;
    // The refresh rate of the full-screen display mode, 0 when unknown.
    virtual std::uint32_t FullScreenRefreshRate() = 0;
    // Asks for full-screen display modes at 60 Hz.
    virtual void SetPrefer60Hz(bool on) = 0;
};
