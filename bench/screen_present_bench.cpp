// Times the screen device presenting the sample game's display canvas (800 x 600, 32 bits) to a
// window on the display, frame limit off: the frame's list draw and present, through GDI and
// through DirectDraw (the canvas transferred into the back surface, blitted to the primary).
// Per case it prints frames per second and the pixels reaching the window (GDI) or the primary
// (DirectDraw) per frame, for a static frame (nothing changed: 0 pixels) and for one 64 x 64
// sprite moving 3 pixels right and 2 down each frame, and the time of a frame as a multiple of a
// memcpy of one 800 x 600 frame measured in the same run. Best of several runs of 50 frames.
//
//   wine build/bin/screen_present_bench.exe [runs]
#include <cstdint>
#include <cstdio>
#include <memory>

#include "bench/bench_timing.h"
#include "bench/library_bench_setup.h"
#include "graphics/compose/gdi_blit.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/support/present_window.h"
#include "tests/support/wine_direct3d_setup.h"

namespace {

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;
constexpr std::int32_t kSpriteSize = 64;
constexpr int kFrames = 50;

testsupport::WineDirect3DSetup g_direct3DSetup;

long long g_windowPixels = 0;
double g_memcpyFrame = 0;  // seconds for a memcpy of one frame

BOOL WINAPI CountingBitBlt(HDC dc, int x, int y, int w, int h, HDC source, int sx, int sy, DWORD rop) {
    if (WindowFromDC(dc) != nullptr) g_windowPixels += static_cast<long long>(w) * h;
    return BitBlt(dc, x, y, w, h, source, sx, sy, rop);
}

void Figures(int runs, HWND window, bool directDraw, Image& picture) {
    const char* name = directDraw ? "DirectDraw blit" : "GDI";
    ScreenDevice device;
    GdiScreen* canvas = nullptr;
    if (device.CreateGdiScreen(&canvas, kWidth, kHeight, 32, 1) != 0 || device.AttachGameImage(canvas) != 0) {
        std::printf("%s: the canvas cannot be made\n", name);
        return;
    }
    device.hardwareCanvasMode = directDraw ? 2 : 0;
    device.windowedHardwareCanvas = directDraw ? 1 : 0;
    if (device.ChangeMode(window, true, false, false) != 0 || (device.GetPresentMode() != 0) != directDraw) {
        std::printf("%s: the mode cannot be set\n", name);
        return;
    }
    Sprite sprite;
    sprite.SetImage(&picture, nullptr, 100, 100);
    canvas->GetCanvas()->Sprites().Add(&sprite, 1, 0);
    const auto frame = [&] {
        device.DrawList();
        device.Present();
    };
    frame();
    frame();
    const auto pass = [&](bool move) {
        g_windowPixels = 0;
        device.primaryBlitPixels = 0;
        for (int f = 0; f < kFrames; ++f) {
            if (move) {
                const std::int32_t x = sprite.X() + 3 > kWidth - kSpriteSize ? 0 : sprite.X() + 3;
                const std::int32_t y = sprite.Y() + 2 > kHeight - kSpriteSize ? 0 : sprite.Y() + 2;
                sprite.SetPosition(x, y);
            }
            frame();
        }
    };
    for (const bool move : {false, true}) {
        const double seconds = bench::Best(runs, [&] { pass(move); });
        const long long pixels = directDraw ? static_cast<long long>(device.primaryBlitPixels) : g_windowPixels;
        std::printf("%-16s %-22s %8.1f fps  %9.0f px per frame  %8.3f x memcpy\n", name,
                    move ? "one moving sprite" : "static frame", kFrames / seconds,
                    static_cast<double>(pixels) / kFrames, seconds / kFrames / g_memcpyFrame);
    }
    canvas->GetCanvas()->Sprites().Remove(&sprite);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::RunsFromCommandLine(argc, argv, 3);
    bench::LibraryBench library("the sprite cannot be drawn without it");
    if (!library.Loaded()) return 1;
    Image picture;
    picture.Create(kSpriteSize, kSpriteSize, 32, 0);
    for (std::int32_t y = 0; y < kSpriteSize; ++y)
        for (std::int32_t x = 0; x < kSpriteSize; ++x)
            picture.SetPixel(x, y, 0xFF000000u | static_cast<std::uint32_t>(x * 4 << 16 | y * 4 << 8 | 0x40));
    testsupport::PresentWindow window(kWidth, kHeight);
    if (!window.Handle()) {
        std::printf("no window to present to\n");
        return 1;
    }
    {
        std::unique_ptr<std::uint32_t[]> from(new std::uint32_t[kWidth * kHeight]());
        std::unique_ptr<std::uint32_t[]> to(new std::uint32_t[kWidth * kHeight]());
        const double rate = bench::MemcpyRate(runs, to.get(), from.get(), kWidth * kHeight);
        g_memcpyFrame = kWidth * kHeight / (rate * 1e6);
        std::printf("memcpy of one %d x %d frame: %.3f ms\n", kWidth, kHeight, g_memcpyFrame * 1e3);
    }
    g_gdiBitBlt = &CountingBitBlt;
    for (const bool directDraw : {false, true}) Figures(runs, window.Handle(), directDraw, picture);
    g_gdiBitBlt = &BitBlt;
    return 0;
}
