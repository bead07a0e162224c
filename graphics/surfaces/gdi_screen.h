// GdiScreen: the default screen. Its back buffer is a DIB section with a dirty region; a
// present copies only the changed rectangles (or the whole frame) to the window by BitBlt, or
// converts them into DirectDraw surface memory. While a transition runs a present draws one
// transition frame instead, in horizontal strips, each copied out as soon as it is drawn.
//
// MemoryScreen: an off-screen screen in plain memory, without device context or dirty region;
// the other picture of another screen's transition, or a canvas target. It cannot run a
// transition itself.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "graphics/surfaces/screen_core.h"

class GdiScreen final : public WithDeletingDestructor<GdiScreen, ScreenSurface<ClippedSurface>> {
public:
    GdiScreen() : WithDeletingDestructor(kImageDibSection | kImageDirtyRegion, true) {}

    SurfaceKind XM_METHOD Kind() override { return kSurfaceGdiScreen; }
    std::int32_t XM_METHOD ChangeDepth(std::int32_t depth) override {
        return RecreateAtDepth(depth);
    }

    // window (or, when null, dc) receives the frame, unless surface is given: then the frame is
    // converted into it in formatCode. dirtyOnly: only what changed.
    // 0 presented, or one transition frame drawn (also the last: InTransition tells the end);
    // -1 nothing to present; 1 no device context; 2 the surface cannot be locked or the palette
    // cannot be made (a transition then goes on and is drawn again next time); 3 a format the
    // converters cannot write. In canvas mode outside transitions, the canvas's present result.
    std::int32_t Present(HWND window, HDC dc, IDirectDrawSurface7* surface,
                         std::int32_t formatCode, bool dirtyOnly);

private:
    std::int32_t PresentDirty(HWND window, HDC dc, IDirectDrawSurface7* surface,
                              std::int32_t formatCode);
    std::int32_t PresentWhole(HWND window, HDC dc, IDirectDrawSurface7* surface,
                              std::int32_t formatCode);
};

class MemoryScreen final : public WithDeletingDestructor<MemoryScreen, ScreenSurface<ClippedSurface>> {
public:
    MemoryScreen() : WithDeletingDestructor(0, false) {}

    SurfaceKind XM_METHOD Kind() override { return kSurfaceMemoryScreen; }
    std::int32_t XM_METHOD ChangeDepth(std::int32_t depth) override {
        return RecreateAtDepth(depth);
    }
    std::int32_t XM_METHOD BeginTransition(TransCallback*, TransitionMode, bool, bool) override {
        return -1;
    }

    // As Create, never with an overlay list.
    std::int32_t CreateSimple(std::int32_t width, std::int32_t height, std::int32_t depth,
                              bool withCanvas) {
        return Create(width, height, depth, withCanvas ? 1 : 0);
    }
};
