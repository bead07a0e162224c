// DirectDrawScreen: a screen whose shown picture is an off-screen DirectDraw surface in the
// display's format. Frames are composed in the software back buffer and brought into the surface
// by UpdateSurface, which the device drawable showing the surface calls (with dirtyOnly) before
// it blits the surface, with the surface's colour key when one is set.
//
// The back buffer is a DIB section (updates then go through the surface's device context) when
// DibBackBufferSwitch is set, else plain memory (updates lock the surface and convert). It is
// never lost; the surface may be, and Restore rebuilds it from the back buffer with its key.
//
// Used under the screen device's lock.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "graphics/surfaces/device_surface.h"
#include "graphics/surfaces/screen_core.h"

// Whether the device screens compose in a DIB section (1, the default) or in plain memory;
// set at start-up from the settings.
extern std::uint8_t DibBackBufferSwitch;

class DirectDrawScreen final
    : public WithDeletingDestructor<DirectDrawScreen, ScreenSurface<DeviceSurface>> {
public:
    DirectDrawScreen();
    ~DirectDrawScreen();
    DirectDrawScreen(const DirectDrawScreen&) = delete;
    DirectDrawScreen& operator=(const DirectDrawScreen&) = delete;

    SurfaceKind XM_METHOD Kind() override { return kSurfaceDirectDrawScreen; }
    // The key is set on the DirectDraw surface, packed in its format. 0; 1 no surface; 2 the
    // surface's format is not recognised; 3 DirectDraw refused the key.
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) override;
    // The back buffer's pixel (its palette colour at 8 bits) as the key: 0; 1 no surface or a
    // point outside the back buffer; else SetColourKeyRgb's codes.
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override;
    // The packed key, -1 none.
    std::int32_t XM_METHOD ColourKey() override { return m_colourKey; }
    // 0 (also without a key, with or without a surface); 1 no surface; 2 refused.
    std::int32_t XM_METHOD ClearColourKey() override;
    // Makes the surface again from the back buffer (only when it reports itself lost, if asked):
    // 0; 1 the surface cannot be made again; 2 the back buffer cannot be copied into it; 3 the
    // key cannot be set again.
    std::int32_t XM_METHOD Restore(bool onlyIfLost) override;
    bool XM_METHOD SetClipRect(const RECT* rect) override { return m_image.SetClipRect(rect); }
    RECT* XM_METHOD GetClipRect(RECT* out) override { return m_image.GetClipRect(out); }
    const RECT* XM_METHOD ClipRectPtr() override { return m_image.ClipRectPtr(); }
    bool XM_METHOD ClipToClipRect(RECT* rect) override { return m_image.ClipToClipRect(rect); }
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return m_surface; }

    // 0; 1 no surface; 2 the back buffer cannot be made (everything is then released).
    std::int32_t XM_METHOD ChangeDepth(std::int32_t depth) override;

    // 0; 1 no DirectDraw device is current; 2 the surface cannot be made; 3 the back buffer
    // cannot be made; 4 no memory for the canvas or the overlay list; 5 the canvas refused the
    // back buffer; 6 any other failure (everything is then released). canvasMode 0 none, 1 a
    // canvas, 2 with an overlay list.
    std::int32_t Create(std::int32_t width, std::int32_t height, std::int32_t depth,
                        std::int32_t canvasMode);
    // 0; -1 nothing changed (dirtyOnly); 1 no surface; 2 the surface's device context or lock
    // cannot be had (the changes are kept); 3 the device context cannot be released, or a
    // format without converter; in canvas mode the canvas's result r as r + 1 (its -1 as 0).
    // While a transition runs, one transition frame is drawn into the surface.
    std::int32_t UpdateSurface(bool dirtyOnly);
    // Releases the surface and everything Create made.
    void ReleaseAll();

    std::int32_t FormatCode() const { return m_formatCode; }

private:
    // A new surface of the display's format (the old one released with its key): 0 or 2.
    std::int32_t CreateSurface(std::int32_t width, std::int32_t height);
    void ReleaseSurface();

    IDirectDrawSurface7* m_surface = nullptr;
    std::int32_t m_formatCode = 0;
    // The key's colour (0x00RRGGBB), kept beside the packed key so that Restore packs it again
    // in the new surface's format.
    std::int32_t m_keyRgb = -1;
};
