// Times the presents of an 800 x 600 32-bit GdiScreen in canvas mode: a static background image
// and 1, 4 or 16 sprites of 64 x 64 with alpha (drawn through qmxgl.dll), all moving 3 pixels
// right and 2 down each frame, presented with only what changed to a visible window on the
// display and to a memory DC. Per frame it prints the BitBlt calls, the pixels they copy as a
// share of the whole frame, and the frame time in milliseconds, as a share of a 60 Hz frame and
// as a multiple of a whole-frame present of the same scene measured in the same run (the
// reference); a static frame (nothing moved) is timed beside them. 20 frames a pass.
//
//   wine build/bin/screen_bench.exe [runs]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/library_bench_setup.h"
#include "framework/files/path_utilities.h"
#include "framework/system/cpu_info.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/gdi_blit.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/support/present_window.h"

namespace {

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;
constexpr std::int32_t kSpriteSize = 64;
constexpr int kFrames = 20;
constexpr double kFrame60Hz = 1.0 / 60.0;

std::uint32_t Next(std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed;
}

// The BitBlt calls of the presents and the pixels they copy, counted on the way to BitBlt.
long long g_blits = 0;
long long g_blitPixels = 0;

BOOL WINAPI CountingBitBlt(HDC dc, int x, int y, int w, int h, HDC source, int sx, int sy,
                           DWORD rop) {
    ++g_blits;
    g_blitPixels += static_cast<long long>(w) * h;
    return BitBlt(dc, x, y, w, h, source, sx, sy, rop);
}

struct Target {
    const char* name;
    HWND window;
    HDC dc;
};

struct Scene {
    GdiScreen screen;
    std::vector<std::unique_ptr<Sprite>> sprites;

    void MoveAll() {
        for (auto& s : sprites) {
            const std::int32_t x = s->X() + 3 > kWidth - kSpriteSize ? 0 : s->X() + 3;
            const std::int32_t y = s->Y() + 2 > kHeight - kSpriteSize ? 0 : s->Y() + 2;
            s->SetPosition(x, y);
        }
    }
};

void PrintLine(const Target& target, std::int32_t count, const char* what, double seconds,
               double reference) {
    const double frame = seconds / kFrames;
    const double blits = static_cast<double>(g_blits) / kFrames;
    const double pixels = static_cast<double>(g_blitPixels) / kFrames;
    std::printf("%-9s N %2d  %-12s %6.1f BitBlt  %8.0f px (x%.4f frame)  %8.2f ms  "
                "(x%.3f of 60 Hz)",
                target.name, count, what, blits, pixels,
                pixels / (static_cast<double>(kWidth) * kHeight), frame * 1e3,
                frame / kFrame60Hz);
    if (reference > 0)
        std::printf("  x%.4f whole\n", seconds / reference);
    else
        std::printf("  (reference)\n");
}

void ScreenFigures(int runs, const Target& target, std::int32_t count, Image& background,
                   Image& picture) {
    Scene scene;
    if (scene.screen.Create(kWidth, kHeight, 32, 2) != 0) {
        std::printf("the screen cannot be made\n");
        return;
    }
    Canvas* canvas = scene.screen.GetCanvas();
    canvas->SetSource(&background, 0, 0, true);
    std::uint32_t seed = 777u + static_cast<std::uint32_t>(count);
    for (std::int32_t i = 0; i < count; ++i) {
        scene.sprites.push_back(std::make_unique<Sprite>());
        scene.sprites.back()->SetImage(
            &picture, nullptr, static_cast<std::int32_t>(Next(seed) % (kWidth - kSpriteSize)),
            static_cast<std::int32_t>(Next(seed) % (kHeight - kSpriteSize)));
        canvas->Sprites().Add(scene.sprites.back().get(), static_cast<std::uint32_t>(i), 0);
    }
    const auto present = [&](bool dirtyOnly) {
        scene.screen.Present(target.window, target.dc, nullptr, 0, dirtyOnly);
    };
    present(false);

    const auto frames = [&](bool move, bool dirtyOnly) {
        g_blits = g_blitPixels = 0;
        for (int f = 0; f < kFrames; ++f) {
            if (move) scene.MoveAll();
            present(dirtyOnly);
        }
    };
    // Each pass ends with the counts of its own frames.
    const double whole = bench::Best(runs, [&] { frames(false, false); });
    PrintLine(target, count, "whole frame", whole, 0);
    const double still = bench::Best(runs, [&] { frames(false, true); });
    PrintLine(target, count, "static", still, whole);
    const double moving = bench::Best(runs, [&] { frames(true, true); });
    PrintLine(target, count, "all moving", moving, whole);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::RunsFromCommandLine(argc, argv, 3);
    bench::LibraryBench library("sprites cannot be drawn without it");
    if (!library.Loaded()) return 1;

    Image background, picture, memory;
    background.Create(kWidth, kHeight, 32, 0);
    picture.Create(kSpriteSize, kSpriteSize, 32, 0);
    memory.Create(kWidth, kHeight, 32, kImageDibSection);
    std::uint32_t seed = 12345;
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < kWidth; ++x)
            background.SetPixel(x, y, 0xFF000000u | (Next(seed) >> 8));
    for (std::int32_t y = 0; y < kSpriteSize; ++y)
        for (std::int32_t x = 0; x < kSpriteSize; ++x)
            picture.SetPixel(x, y, (static_cast<std::uint32_t>(x * 4) << 24) | (Next(seed) >> 8));
    picture.SetHasAlpha(true);

    testsupport::PresentWindow window(kWidth, kHeight);
    if (!window.Handle() || !memory.MemoryDc()) {
        std::printf("no window or memory DC to present to\n");
        return 1;
    }
    g_gdiBitBlt = &CountingBitBlt;
    const Target targets[] = {{"window", window.Handle(), nullptr},
                              {"memory DC", nullptr, memory.MemoryDc()}};
    for (const Target& target : targets)
        for (std::int32_t count : {1, 4, 16}) ScreenFigures(runs, target, count, background, picture);
    g_gdiBitBlt = &BitBlt;
    return 0;
}
