// ScreenCore: the ScreenBuffer that every screen shares (back buffer, canvas, overlay list,
// transitions); ScreenSurface puts it beside a Surface whose pixel operations forward to the
// back-buffer image. GdiScreen and MemoryScreen build on ScreenSurface<ClippedSurface>, the
// DirectDraw and texture screens on their device bases.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include <ddraw.h>

#include "framework/interfaces/transition_plugin.h"
#include "graphics/image/clipped_surface.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"

class Canvas;
class SpriteList;

// Called when a transition that asked for it begins and ends; installed at start-up, null is
// skipped.
using EffectHook = void (*)();
extern EffectHook g_effectBeginHook;
extern EffectHook g_effectEndHook;

class ScreenCore : public ScreenBuffer {
public:
    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override = 0;
    SurfaceKind XM_METHOD Kind() override = 0;

    // ScreenBuffer.
    Image* XM_METHOD GetImage() override { return &m_image; }
    Canvas* XM_METHOD GetCanvas() override { return m_canvas.get(); }
    SpriteList* XM_METHOD GetOverlayList() override { return m_overlay.get(); }
    ScreenBuffer* XM_METHOD GetAlternate() override { return m_alternate; }
    Image* XM_METHOD GetTransitionImage() override { return m_transitionImage.get(); }
    std::int32_t XM_METHOD Depth() override { return m_image.Depth(); }
    bool XM_METHOD UsesCanvas() override { return m_useCanvas; }
    bool XM_METHOD SwapsAtEnd() override { return m_swapAtEnd; }
    bool XM_METHOD SetUseCanvas(bool flag) override;
    void XM_METHOD Invalidate(const RECT* rect) override;
    void XM_METHOD SetCanvasNoBackground(bool flag) override;
    void XM_METHOD SetCanvasSpritesHidden(bool hideOwn, bool hideOverlay) override;
    void XM_METHOD SwapCanvases(ScreenBuffer* other) override;
    void XM_METHOD ExchangeBackgrounds(ScreenBuffer* other) override;
    void XM_METHOD ReleaseTransitionImage() override { m_transitionImage.reset(); }
    HDC XM_METHOD PresentSourceDC() override;
    bool XM_METHOD InTransition() override { return m_transition != nullptr; }
    TransCallback* XM_METHOD GetTransition() override { return m_transition; }
    std::int32_t XM_METHOD SetAlternate(ScreenBuffer* screen) override;
    std::int32_t XM_METHOD BeginTransition(TransCallback* transition, TransitionMode mode,
                                           bool swapAtEnd, bool notifyHooks) override;
    void XM_METHOD EndTransition(bool swap) override;

    // 0; 1 the image cannot be made; 2 no memory for the canvas or overlay list; 3 the canvas
    // refused the image; 4 any other failure. canvasMode 0 none, 1 a canvas, 2 with an overlay.
    std::int32_t Create(std::int32_t width, std::int32_t height, std::int32_t depth,
                        std::int32_t canvasMode);
    // Ends a running transition (without swap) and frees everything Create made.
    void Release();

    TransitionMode Mode() const { return m_mode; }

protected:
    // imageFlags: how the back buffer is made; dibScreen: the image records changes itself
    // outside canvas mode.
    // Out of line: the members' destructors need the canvas and sprite-list types.
    ScreenCore(std::uint8_t imageFlags, bool dibScreen);
    ~ScreenCore();

    // The colour 0x00RRGGBB of a back-buffer pixel, its palette entry at 8 bits (the grey ramp
    // without a palette); -1 outside the back buffer.
    std::int32_t BackBufferColour(std::int32_t x, std::int32_t y);
    // How later Creates make the back buffer (kImageDibSection, kImageDirtyRegion).
    void SetImageFlags(std::uint8_t flags) { m_imageFlags = flags; }
    // Brings the back buffer into a DirectDraw surface for the screens shown through one: the
    // next transition frame while a transition runs; in canvas mode the canvas's present (its
    // -1, nothing to present, becomes 0, another result r becomes r + 1); else the changed
    // rectangles (dirtyOnly) or the whole frame, by BitBlt into the surface's device context
    // when the back buffer is a DIB section, or converted into the locked surface (one lock a
    // frame) in formatCode (defined beside the GDI screen's presents). 0; -1 nothing changed (dirtyOnly); 2 the surface's device context
    // or lock cannot be had, or no palette for an 8-bit back buffer (the changes are kept);
    // 3 the device context cannot be released, or a format without converter.
    std::int32_t UpdateDeviceSurface(IDirectDrawSurface7* surface, std::int32_t formatCode,
                                     bool dirtyOnly);
    // Re-creates the back buffer at another depth: 0; 1 not created; 2 cannot (released).
    std::int32_t RecreateAtDepth(std::int32_t depth);
    // The two pictures a transition frame blends in the running mode (second null for kinds 2
    // and up), after redrawing the canvases that mode needs.
    void TransitionSources(Image** first, Image** second);
    // Draws the sprites that stay on top during the transition into the transition image.
    void DrawTransitionSprites(const RECT& clip);
    // Draws one transition frame in strips, each copied out as soon as it is drawn: by BitBlt to
    // window (or, when null, dc; or, when dcSurface is given, that surface's device context), or
    // converted into surface in formatCode. 0 drawn (also the last frame: InTransition tells the
    // end); 1 no device context of the window; 2 the surface's lock or device context cannot be
    // had, or the palette cannot be made; 3 a format the converters cannot write. On a failure
    // the transition goes on and is drawn again next time.
    std::int32_t TransitionFrame(HWND window, HDC dc, IDirectDrawSurface7* dcSurface,
                                 IDirectDrawSurface7* surface, std::int32_t formatCode);
    // A background that a Backgrounds transition may hand over: an image of this depth, at least
    // this screen's size; else null.
    Image* UsableBackground(Canvas* canvas);

    Image m_image;
    std::unique_ptr<Canvas> m_canvas;
    std::unique_ptr<SpriteList> m_overlay;
    bool m_useCanvas = false;
    ScreenBuffer* m_alternate = nullptr;
    std::unique_ptr<Image> m_transitionImage;
    TransCallback* m_transition = nullptr;
    TransitionMode m_mode = kTransitionPictures;
    bool m_swapAtEnd = false;
    bool m_notifyHooks = false;

private:
    std::uint8_t m_imageFlags;
    bool m_dibScreen;
};

// The Surface face of a screen over one of the surface bases (ClippedSurface for the software
// screens, the device bases for the screens shown through DirectDraw): its geometry and pixels
// are the back buffer's, so that code walking the face (the library's rectangle operations)
// stays within the back buffer.
template <class SurfaceBase>
class ScreenSurface : public SurfaceBase, public ScreenCore {
public:
    // Both bases name slot 0 and Kind; one override serves each.
    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override = 0;
    SurfaceKind XM_METHOD Kind() override = 0;

    std::int32_t XM_METHOD Width() override { return m_image.Width(); }
    std::int32_t XM_METHOD Height() override { return m_image.Height(); }
    std::int32_t XM_METHOD Pitch() override { return m_image.Pitch(); }
    RECT* XM_METHOD GetRect(RECT* out) override { return m_image.GetClipRect(out); }
    std::uint8_t* XM_METHOD Bits() override { return m_image.Bits(); }
    std::uint8_t* XM_METHOD Row(std::int32_t y) override { return m_image.Row(y); }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) override {
        return m_image.SetColourKeyRgb(r, g, b);
    }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override {
        return m_image.SetColourKeyFromPixel(x, y);
    }
    std::int32_t XM_METHOD ColourKey() override { return m_image.ColourKey(); }
    std::int32_t XM_METHOD ClearColourKey() override { return m_image.ClearColourKey(); }
    // The back buffer is never lost.
    std::int32_t XM_METHOD Restore(bool) override { return 0; }

protected:
    template <class... Args>
    ScreenSurface(std::uint8_t imageFlags, bool dibScreen, Args... baseArguments)
        : SurfaceBase(baseArguments...), ScreenCore(imageFlags, dibScreen) {}
    ~ScreenSurface() = default;
};

