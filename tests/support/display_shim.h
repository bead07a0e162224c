// A display seen through an IDirectDraw7 that forwards to a real one (Wine's): it reports a
// chosen display format, gives every surface asked for without a pixel format that format, can
// add hardware caps, can fail one chosen call, and remembers the last surface asked for. Wine's
// DirectDraw makes surfaces of 5-5-5, 5-6-5, 24-bit, ARGB 1-5-5-5 and 8-bit formats on its 32-bit
// display, so the display formats a player's machine may have are tried on real surfaces.
//
// makeSurface, when set, answers CreateSurface instead of the real object (with the format
// already filled in): tests that need surfaces they can lose or make busy hand out fakes.
//
// The shim lives on the test's stack: its references are counted but never free it; it holds
// one reference to the real object until it is destroyed.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <functional>

namespace testsupport {

class DisplayShim final : public IDirectDraw7 {
public:
    enum class Call { kNone, kCreateSurface, kGetCaps, kGetDisplayMode, kSetCooperativeLevel };

    DisplayShim(IDirectDraw7* real, const DDPIXELFORMAT& displayFormat);
    ~DisplayShim();
    DisplayShim(const DisplayShim&) = delete;
    DisplayShim& operator=(const DisplayShim&) = delete;

    DDPIXELFORMAT displayFormat;
    // This call answers DDERR_GENERIC without reaching the real object.
    Call failing = Call::kNone;
    // Added to the hardware caps' dwCaps2 (e.g. DDCAPS2_CANMANAGETEXTURE).
    DWORD addedCaps2 = 0;
    std::function<HRESULT(DDSURFACEDESC2* desc, IDirectDrawSurface7** out)> makeSurface;
    // What the last CreateSurface was asked, after the shim filled in the format.
    DDSURFACEDESC2 lastCreate = {};
    int creates = 0;
    // 0 or 1: GetVerticalBlankStatus answers this and WaitForVerticalBlank returns at once,
    // without the real object; -1 forwards both.
    int blankStatus = -1;
    int blankWaits = 0;
    long references = 1;

    STDMETHOD_(HRESULT, QueryInterface)(REFIID riid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(Compact)() override;
    STDMETHOD(CreateClipper)(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) override;
    STDMETHOD(CreatePalette)(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out,
                             IUnknown* outer) override;
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* out, IUnknown* outer) override;
    STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE7 surface, LPDIRECTDRAWSURFACE7* out) override;
    STDMETHOD(EnumDisplayModes)(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context,
                                LPDDENUMMODESCALLBACK2 callback) override;
    STDMETHOD(EnumSurfaces)(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context,
                            LPDDENUMSURFACESCALLBACK7 callback) override;
    STDMETHOD(FlipToGDISurface)() override;
    STDMETHOD(GetCaps)(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) override;
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC2 desc) override;
    STDMETHOD(GetFourCCCodes)(LPDWORD count, LPDWORD codes) override;
    STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE7* out) override;
    STDMETHOD(GetMonitorFrequency)(LPDWORD frequency) override;
    STDMETHOD(GetScanLine)(LPDWORD line) override;
    STDMETHOD(GetVerticalBlankStatus)(WINBOOL* inBlank) override;
    STDMETHOD(Initialize)(GUID* guid) override;
    STDMETHOD(RestoreDisplayMode)() override;
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override;
    STDMETHOD(SetDisplayMode)(DWORD width, DWORD height, DWORD bitCount, DWORD refreshRate,
                              DWORD flags) override;
    STDMETHOD(WaitForVerticalBlank)(DWORD flags, HANDLE event) override;
    STDMETHOD(GetAvailableVidMem)(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) override;
    STDMETHOD(GetSurfaceFromDC)(HDC dc, LPDIRECTDRAWSURFACE7* out) override;
    STDMETHOD(RestoreAllSurfaces)() override;
    STDMETHOD(TestCooperativeLevel)() override;
    STDMETHOD(GetDeviceIdentifier)(LPDDDEVICEIDENTIFIER2 identifier, DWORD flags) override;
    STDMETHOD(StartModeTest)(LPSIZE modes, DWORD count, DWORD flags) override;
    STDMETHOD(EvaluateMode)(DWORD flags, DWORD* timeout) override;

private:
    IDirectDraw7* m_real;
};

}  // namespace testsupport
