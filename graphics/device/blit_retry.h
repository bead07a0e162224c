// DirectDraw blits that a display still busy with an earlier blit would refuse: tried first
// without waiting, then once more with the wait flag, so that a busy display costs a wait and
// never a dropped drawable.
#pragma once

#include <windows.h>
#include <ddraw.h>

inline HRESULT BltFastRetrying(IDirectDrawSurface7* target, DWORD x, DWORD y, IDirectDrawSurface7* from, RECT* src,
                               DWORD flags) {
    const HRESULT result = target->BltFast(x, y, from, src, flags);
    if (result != DDERR_WASSTILLDRAWING) return result;
    return target->BltFast(x, y, from, src, flags | DDBLTFAST_WAIT);
}

inline HRESULT BltRetrying(IDirectDrawSurface7* target, RECT* dest, IDirectDrawSurface7* from, RECT* src,
                           DWORD flags) {
    const HRESULT result = target->Blt(dest, from, src, flags, nullptr);
    if (result != DDERR_WASSTILLDRAWING) return result;
    return target->Blt(dest, from, src, flags | DDBLT_WAIT, nullptr);
}
