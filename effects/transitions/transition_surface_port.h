// TransitionSurfacePort: how the transition routines reach DirectDraw in drawing mode 2: the
// surface they draw on with its clip rectangle, a source's surface, and the two clipped blits.
// The graphics core's DirectDraw images install the port; without one, mode 2 finds no target
// surface and the routines answer 1 without drawing. Used from the drawing thread only.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

class Surface;
class ScreenDevice;

class TransitionSurfacePort {
public:
    virtual ~TransitionSurfacePort() = default;

    // With a device its back buffer and, in *clip, its screen rectangle; without one the
    // destination's own surface and clip rectangle. Null when there is none.
    virtual IDirectDrawSurface7* TargetSurface(Surface* destination, ScreenDevice* device,
                                               RECT* clip) = 0;
    virtual IDirectDrawSurface7* SourceSurface(Surface* source) = 0;
    // 0 done, 1 bad argument, 2 refused. key -1: none.
    virtual std::int32_t BltFastClipped(IDirectDrawSurface7* target, IDirectDrawSurface7* source,
                                        std::int32_t x, std::int32_t y, const RECT* rect,
                                        const RECT* clip, std::int32_t key) = 0;
    virtual std::int32_t BltClipped(IDirectDrawSurface7* target, IDirectDrawSurface7* source,
                                    const SIZE* size, std::int32_t x, std::int32_t y,
                                    const RECT* rect, const RECT* clip, std::int32_t key) = 0;
};

// null: none.
void SetTransitionSurfacePort(TransitionSurfacePort* port);
TransitionSurfacePort* CurrentTransitionSurfacePort();
