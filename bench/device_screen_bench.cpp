// Times the presents of an 800 x 600 32-bit frame under Wine through each way a screen reaches
// the display, each beside the same raw API calls made without the screens' code:
//   - GdiScreen::Present to a window (raw: one BitBlt of the DIB section);
//   - DirectDrawScreen::UpdateSurface(0) with a DIB back buffer and with a plain one, then a Blt
//     of the surface to the primary surface clipped to the window (raw: GetDC, BitBlt, ReleaseDC,
//     or Lock, row copies, Unlock; then the Blt);
//   - TextureScreen::UpdateSurface(0), a quad drawn with the texture on a 3D surface, a Blt of
//     that surface to the primary (raw: Lock and row copies into the texture, the quad, the Blt);
//   - the lock path into a 5-6-5 surface of the display shim (raw: Lock, a 5-6-5 conversion
//     loop, Unlock);
// each also with one 64 x 64 rectangle drawn and presented alone (UpdateSurface(1)). Per path:
// frames per second, as a share of a memcpy of the frame measured in the same run, and the raw
// calls' frames per second.
//
//   wine build/bin/device_screen_bench.exe [runs]
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/bench_timing.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/device/direct3d_device.h"
#include "graphics/image/image.h"
#include "graphics/surfaces/direct_draw_screen.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/surfaces/texture_screen.h"
#include "tests/support/display_shim.h"
#include "tests/support/fake_dd_surface.h"
#include "tests/support/present_window.h"
#include "tests/support/wine_direct3d_setup.h"

namespace {

testsupport::WineDirect3DSetup g_wineSetup;

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;
constexpr std::int32_t kSquare = 64;
constexpr int kFrames = 10;

int g_runs = 3;
double g_memcpyFps = 0;

// Frames per second of `frame` called kFrames times a pass, best pass of g_runs.
double Fps(const std::function<void(int)>& frame) {
    const double seconds = bench::Best(g_runs, [&] {
        for (int i = 0; i < kFrames; ++i) frame(i);
    });
    return kFrames / seconds;
}

void Print(const char* path, const char* what, double ours, double raw) {
    std::printf("%-30s %-12s %8.1f fps (x%.3f memcpy)   raw calls %8.1f fps   ours/raw %.2f\n", path,
                what, ours, ours / g_memcpyFps, raw, ours / raw);
}

// A 64 x 64 square drawn at a place that moves each frame.
RECT Square(int frame) {
    const LONG x = (frame * 37) % (kWidth - kSquare);
    const LONG y = (frame * 23) % (kHeight - kSquare);
    return RECT{x, y, x + kSquare, y + kSquare};
}

void Paint(Image& image) {
    for (std::int32_t y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.Row(y));
        for (std::int32_t x = 0; x < kWidth; ++x) row[x] = static_cast<std::uint32_t>((x * 3) ^ (y * 5)) & 0x00FFFFFF;
    }
    image.MarkChanged(RECT{0, 0, kWidth, kHeight});
}

IDirectDrawSurface7* MakeSurface(IDirectDraw7* directDraw, DWORD caps, DWORD width, DWORD height) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | (caps & DDSCAPS_PRIMARYSURFACE ? 0 : DDSD_WIDTH | DDSD_HEIGHT);
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = caps;
    IDirectDrawSurface7* surface = nullptr;
    return directDraw->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

// Copies 32-bit rows of image into a locked surface.
void CopyRows(Image& image, const DDSURFACEDESC2& locked) {
    for (std::int32_t y = 0; y < kHeight; ++y)
        std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch, image.Row(y), kWidth * 4);
}

bool Lock(IDirectDrawSurface7* surface, DDSURFACEDESC2* locked) {
    std::memset(locked, 0, sizeof(*locked));
    locked->dwSize = sizeof(*locked);
    return surface->Lock(nullptr, locked, DDLOCK_WAIT, nullptr) == DD_OK;
}

// A quad over the whole 3D surface showing texture with the texel range given.
void DrawQuad(Direct3DDevice& device, IDirectDrawSurface7* texture, float uMax, float vMax) {
    IDirect3DDevice7* d3d = device.Device();
    D3DTLVERTEX v[4];
    const float x[4] = {0, kWidth, 0, kWidth}, y[4] = {0, 0, kHeight, kHeight};
    for (int i = 0; i < 4; ++i) {
        v[i] = D3DTLVERTEX{};
        v[i].sx = x[i] - 0.5f;
        v[i].sy = y[i] - 0.5f;
        v[i].rhw = 1.0f;
        v[i].color = 0xFFFFFFFF;
        v[i].tu = x[i] ? uMax : 0.0f;
        v[i].tv = y[i] ? vMax : 0.0f;
    }
    d3d->BeginScene();
    d3d->SetTexture(0, texture);
    d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0);
    d3d->SetTexture(0, nullptr);
    d3d->EndScene();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_runs = std::max(1, std::atoi(argv[1]));
    std::vector<std::uint32_t> from(kWidth * kHeight, 0x123456), to(kWidth * kHeight);
    g_memcpyFps = bench::MemcpyRate(g_runs * 4, to.data(), from.data(), from.size()) * 1e6 / (kWidth * kHeight);
    std::printf("800 x 600 x 32-bit frame; memcpy of the frame: %.1f fps; best of %d passes of %d frames\n\n",
                g_memcpyFps, g_runs, kFrames);

    testsupport::PresentWindow window(kWidth, kHeight);
    HWND handle = window.Handle();

    // --- GDI screen to the window ---
    {
        GdiScreen screen;
        if (screen.Create(kWidth, kHeight, 32, 0) != 0) return 1;
        Paint(*screen.GetImage());
        const double ours = Fps([&](int) { screen.Present(handle, nullptr, nullptr, 0, false); });
        const double raw = Fps([&](int) {
            HDC dc = GetDC(handle);
            BitBlt(dc, 0, 0, kWidth, kHeight, screen.GetImage()->MemoryDc(), 0, 0, SRCCOPY);
            ReleaseDC(handle, dc);
        });
        Print("GdiScreen::Present", "whole frame", ours, raw);
        const double dirty = Fps([&](int i) {
            const RECT r = Square(i);
            screen.GetImage()->FillRect(i & 0xFF, 0x40, 0x80, &r);
            screen.Present(handle, nullptr, nullptr, 0, true);
        });
        const double rawDirty = Fps([&](int i) {
            const RECT r = Square(i);
            HDC dc = GetDC(handle);
            BitBlt(dc, r.left, r.top, kSquare, kSquare, screen.GetImage()->MemoryDc(), r.left, r.top, SRCCOPY);
            ReleaseDC(handle, dc);
        });
        Print("GdiScreen::Present", "64 x 64", dirty, rawDirty);
    }

    Direct3DDevice device;
    if (device.CreateDirectDraw(false, true, nullptr, nullptr, 0, false, 0, 0, false, true, false) != 0 ||
        device.SetWindowedMode(false) != 0) {
        std::printf("no DirectDraw\n");
        return 1;
    }
    device.m_displayDepth = 32;
    CurrentDirectDrawDevice = &device;
    IDirectDraw7* directDraw = device.DirectDraw();
    IDirectDrawSurface7* primary = MakeSurface(directDraw, DDSCAPS_PRIMARYSURFACE, 0, 0);
    IDirectDrawClipper* clipper = nullptr;
    if (!primary || directDraw->CreateClipper(0, &clipper, nullptr) != DD_OK) {
        std::printf("no primary surface\n");
        return 1;
    }
    clipper->SetHWnd(0, handle);
    primary->SetClipper(clipper);
    POINT corner = {0, 0};
    ClientToScreen(handle, &corner);
    RECT onScreen = {corner.x, corner.y, corner.x + kWidth, corner.y + kHeight};
    auto toPrimary = [&](IDirectDrawSurface7* surface) { primary->Blt(&onScreen, surface, nullptr, DDBLT_WAIT, nullptr); };

    // --- DirectDraw screen, both back buffers ---
    for (std::uint8_t dib : {std::uint8_t{1}, std::uint8_t{0}}) {
        DibBackBufferSwitch = dib;
        DirectDrawScreen screen;
        if (screen.Create(kWidth, kHeight, 32, 0) != 0) return 1;
        Paint(*screen.GetImage());
        IDirectDrawSurface7* surface = screen.GetSurface();
        Image& image = *screen.GetImage();
        const char* path = dib ? "DirectDrawScreen (DIB)" : "DirectDrawScreen (plain)";
        const double ours = Fps([&](int) {
            screen.UpdateSurface(false);
            toPrimary(surface);
        });
        auto rawCopy = [&](const RECT& r) {
            if (dib) {
                HDC dc = nullptr;
                if (surface->GetDC(&dc) != DD_OK) return;
                BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, image.MemoryDc(), r.left, r.top, SRCCOPY);
                surface->ReleaseDC(dc);
            } else {
                DDSURFACEDESC2 locked;
                if (!Lock(surface, &locked)) return;
                for (LONG y = r.top; y < r.bottom; ++y)
                    std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + r.left * 4,
                                image.Row(y) + r.left * 4, (r.right - r.left) * 4);
                surface->Unlock(nullptr);
            }
        };
        const double raw = Fps([&](int) {
            rawCopy(RECT{0, 0, kWidth, kHeight});
            toPrimary(surface);
        });
        Print(path, "whole frame", ours, raw);
        const double dirty = Fps([&](int i) {
            const RECT r = Square(i);
            image.FillRect(i & 0xFF, 0x40, 0x80, &r);
            screen.UpdateSurface(true);
            toPrimary(surface);
        });
        const double rawDirty = Fps([&](int i) {
            rawCopy(Square(i));
            toPrimary(surface);
        });
        Print(path, "64 x 64", dirty, rawDirty);
    }
    DibBackBufferSwitch = 1;

    // --- Texture screen through a quad ---
    {
        IDirectDrawSurface7* target = MakeSurface(directDraw, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, kWidth, kHeight);
        const RECT viewport = {0, 0, kWidth, kHeight};
        if (!target || device.CreateDevice(target, &viewport, false) < 0 || !device.Device()) {
            std::printf("no Direct3D device\n");
            return 1;
        }
        CurrentDirect3DDevice = &device;
        TextureScreen screen;
        if (screen.Create(kPixelFormatXrgb32, kWidth, kHeight, 32, 0, false) != 0) {
            std::printf("no texture screen\n");
            return 1;
        }
        Paint(*screen.GetImage());
        Image& image = *screen.GetImage();
        IDirectDrawSurface7* texture = screen.GetSurface();
        const float uMax = static_cast<float>(kWidth) / screen.TextureWidth();
        const float vMax = static_cast<float>(kHeight) / screen.TextureHeight();
        const double ours = Fps([&](int) {
            screen.UpdateSurface(false);
            DrawQuad(device, texture, uMax, vMax);
            toPrimary(target);
        });
        const double raw = Fps([&](int) {
            DDSURFACEDESC2 locked;
            if (Lock(texture, &locked)) {
                CopyRows(image, locked);
                texture->Unlock(nullptr);
            }
            DrawQuad(device, texture, uMax, vMax);
            toPrimary(target);
        });
        Print("TextureScreen + quad", "whole frame", ours, raw);
        const double dirty = Fps([&](int i) {
            const RECT r = Square(i);
            image.FillRect(i & 0xFF, 0x40, 0x80, &r);
            screen.UpdateSurface(true);
            DrawQuad(device, texture, uMax, vMax);
            toPrimary(target);
        });
        const double rawDirty = Fps([&](int i) {
            const RECT r = Square(i);
            DDSURFACEDESC2 locked;
            if (Lock(texture, &locked)) {
                for (LONG y = r.top; y < r.bottom; ++y)
                    std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + r.left * 4,
                                image.Row(y) + r.left * 4, kSquare * 4);
                texture->Unlock(nullptr);
            }
            DrawQuad(device, texture, uMax, vMax);
            toPrimary(target);
        });
        Print("TextureScreen + quad", "64 x 64", dirty, rawDirty);
        screen.ReleaseAll();
        CurrentDirect3DDevice = nullptr;
        device.ReleaseDevice();
        target->Release();
    }

    // --- Lock path into a 5-6-5 surface ---
    {
        testsupport::DisplayShim shim(directDraw, testsupport::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0));
        DirectDrawDevice shimmed;
        shimmed.AdoptDirectDraw(&shim, false);
        shimmed.m_displayDepth = 16;
        CurrentDirectDrawDevice = &shimmed;
        DibBackBufferSwitch = 0;
        {
            DirectDrawScreen screen;
            if (screen.Create(kWidth, kHeight, 32, 0) != 0) return 1;
            Paint(*screen.GetImage());
            Image& image = *screen.GetImage();
            IDirectDrawSurface7* surface = screen.GetSurface();
            const double ours = Fps([&](int) { screen.UpdateSurface(false); });
            const double raw = Fps([&](int) {
                DDSURFACEDESC2 locked;
                if (!Lock(surface, &locked)) return;
                for (std::int32_t y = 0; y < kHeight; ++y) {
                    const auto* in = reinterpret_cast<const std::uint32_t*>(image.Row(y));
                    auto* out = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(locked.lpSurface) +
                                                                 y * locked.lPitch);
                    for (std::int32_t x = 0; x < kWidth; ++x) {
                        const std::uint32_t p = in[x];
                        out[x] = static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x1F));
                    }
                }
                surface->Unlock(nullptr);
            });
            Print("DirectDrawScreen lock, 5-6-5", "whole frame", ours, raw);
        }
        DibBackBufferSwitch = 1;
        CurrentDirectDrawDevice = &device;
        shimmed.ReleaseDirectDraw();
    }

    primary->SetClipper(nullptr);
    clipper->Release();
    primary->Release();
    CurrentDirectDrawDevice = nullptr;
    device.ReleaseDirectDraw();
    return 0;
}
