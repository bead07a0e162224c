#include "tests/support/display_shim.h"

namespace testsupport {

DisplayShim::DisplayShim(IDirectDraw7* real, const DDPIXELFORMAT& format)
    : displayFormat(format), m_real(real) {
    m_real->AddRef();
}

DisplayShim::~DisplayShim() { m_real->Release(); }

HRESULT DisplayShim::QueryInterface(REFIID riid, void** out) {
    if (IsEqualGUID(riid, IID_IDirectDraw7) || IsEqualGUID(riid, IID_IUnknown)) {
        *out = this;
        AddRef();
        return S_OK;
    }
    // Other faces (Direct3D) are the real object's.
    return m_real->QueryInterface(riid, out);
}

ULONG DisplayShim::AddRef() { return static_cast<ULONG>(++references); }
ULONG DisplayShim::Release() { return static_cast<ULONG>(--references); }

HRESULT DisplayShim::Compact() { return m_real->Compact(); }
HRESULT DisplayShim::CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) {
    return m_real->CreateClipper(flags, out, outer);
}
HRESULT DisplayShim::CreatePalette(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out,
                                   IUnknown* outer) {
    return m_real->CreatePalette(flags, table, out, outer);
}

HRESULT DisplayShim::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* out, IUnknown* outer) {
    ++creates;
    if (failing == Call::kCreateSurface) return DDERR_GENERIC;
    DDSURFACEDESC2 asked = *desc;
    if (!(asked.dwFlags & DDSD_PIXELFORMAT) && !(asked.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE)) {
        asked.dwFlags |= DDSD_PIXELFORMAT;
        asked.ddpfPixelFormat = displayFormat;
    }
    lastCreate = asked;
    if (makeSurface) return makeSurface(&asked, out);
    return m_real->CreateSurface(&asked, out, outer);
}

HRESULT DisplayShim::DuplicateSurface(LPDIRECTDRAWSURFACE7 surface, LPDIRECTDRAWSURFACE7* out) {
    return m_real->DuplicateSurface(surface, out);
}
HRESULT DisplayShim::EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context,
                                      LPDDENUMMODESCALLBACK2 callback) {
    return m_real->EnumDisplayModes(flags, desc, context, callback);
}
HRESULT DisplayShim::EnumSurfaces(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context,
                                  LPDDENUMSURFACESCALLBACK7 callback) {
    return m_real->EnumSurfaces(flags, desc, context, callback);
}
HRESULT DisplayShim::FlipToGDISurface() { return m_real->FlipToGDISurface(); }

HRESULT DisplayShim::GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) {
    if (failing == Call::kGetCaps) return DDERR_GENERIC;
    const HRESULT result = m_real->GetCaps(driverCaps, emulationCaps);
    if (SUCCEEDED(result) && driverCaps) driverCaps->dwCaps2 |= addedCaps2;
    return result;
}

HRESULT DisplayShim::GetDisplayMode(LPDDSURFACEDESC2 desc) {
    if (failing == Call::kGetDisplayMode) return DDERR_GENERIC;
    const HRESULT result = m_real->GetDisplayMode(desc);
    if (SUCCEEDED(result)) {
        desc->ddpfPixelFormat = displayFormat;
        desc->lPitch = static_cast<LONG>(desc->dwWidth * ((displayFormat.dwRGBBitCount + 7) / 8));
    }
    return result;
}

HRESULT DisplayShim::GetFourCCCodes(LPDWORD count, LPDWORD codes) { return m_real->GetFourCCCodes(count, codes); }
HRESULT DisplayShim::GetGDISurface(LPDIRECTDRAWSURFACE7* out) { return m_real->GetGDISurface(out); }
HRESULT DisplayShim::GetMonitorFrequency(LPDWORD frequency) { return m_real->GetMonitorFrequency(frequency); }
HRESULT DisplayShim::GetScanLine(LPDWORD line) { return m_real->GetScanLine(line); }
HRESULT DisplayShim::GetVerticalBlankStatus(WINBOOL* inBlank) {
    if (blankStatus < 0) return m_real->GetVerticalBlankStatus(inBlank);
    *inBlank = blankStatus;
    return DD_OK;
}
HRESULT DisplayShim::Initialize(GUID* guid) { return m_real->Initialize(guid); }
HRESULT DisplayShim::RestoreDisplayMode() { return m_real->RestoreDisplayMode(); }

HRESULT DisplayShim::SetCooperativeLevel(HWND window, DWORD flags) {
    if (failing == Call::kSetCooperativeLevel) return DDERR_GENERIC;
    return m_real->SetCooperativeLevel(window, flags);
}

HRESULT DisplayShim::SetDisplayMode(DWORD width, DWORD height, DWORD bitCount, DWORD refreshRate, DWORD flags) {
    return m_real->SetDisplayMode(width, height, bitCount, refreshRate, flags);
}
HRESULT DisplayShim::WaitForVerticalBlank(DWORD flags, HANDLE event) {
    ++blankWaits;
    if (blankStatus >= 0) return DD_OK;
    return m_real->WaitForVerticalBlank(flags, event);
}
HRESULT DisplayShim::GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) {
    return m_real->GetAvailableVidMem(caps, total, free);
}
HRESULT DisplayShim::GetSurfaceFromDC(HDC dc, LPDIRECTDRAWSURFACE7* out) { return m_real->GetSurfaceFromDC(dc, out); }
HRESULT DisplayShim::RestoreAllSurfaces() { return m_real->RestoreAllSurfaces(); }
HRESULT DisplayShim::TestCooperativeLevel() { return m_real->TestCooperativeLevel(); }
HRESULT DisplayShim::GetDeviceIdentifier(LPDDDEVICEIDENTIFIER2 identifier, DWORD flags) {
    return m_real->GetDeviceIdentifier(identifier, flags);
}
HRESULT DisplayShim::StartModeTest(LPSIZE modes, DWORD count, DWORD flags) { return m_real->StartModeTest(modes, count, flags); }
HRESULT DisplayShim::EvaluateMode(DWORD flags, DWORD* timeout) { return m_real->EvaluateMode(flags, timeout); }

}  // namespace testsupport
