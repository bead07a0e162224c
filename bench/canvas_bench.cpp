// Times the canvas: a background image and N sprites of 64 x 64 with alpha, drawn through
// qmxgl.dll, on 800 x 600 and 1920 x 1080 targets, with k of the sprites moving each frame.
// Each line prints the frames per second, the frame time as a share of a full repaint of the
// same canvas measured in the same run, the dirty rectangles per frame, and the pixels actually
// repainted per frame (from Redraw's output region) beside those of a full repaint. With k = 0
// nothing is repainted; with k = 1 at most the two areas of the moving sprite.
//
//   wine build/bin/canvas_bench.exe [runs]
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
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"

namespace {

constexpr std::int32_t kSpriteSize = 64;
constexpr int kFrames = 20;

std::uint32_t Next(std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed;
}

long long RegionArea(const DirtyRegion& region) {
    long long area = 0;
    if (region.Count() == 0) return 0;
    const RectNode* node = region.Head();
    do {
        area += static_cast<long long>(node->right - node->left) * (node->bottom - node->top);
        node = node->next;
    } while (node != region.Head());
    return area;
}

void CanvasFigures(int runs, std::int32_t width, std::int32_t height, std::int32_t count) {
    Image target, background, picture;
    target.Create(width, height, 32, 0);
    background.Create(width, height, 32, 0);
    picture.Create(kSpriteSize, kSpriteSize, 32, 0);
    std::uint32_t seed = 12345;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            background.SetPixel(x, y, 0xFF000000u | (Next(seed) >> 8));
    for (std::int32_t y = 0; y < kSpriteSize; ++y)
        for (std::int32_t x = 0; x < kSpriteSize; ++x)
            picture.SetPixel(x, y, (static_cast<std::uint32_t>(x * 4) << 24) | (Next(seed) >> 8));
    picture.SetHasAlpha(true);

    Canvas canvas;
    canvas.SetTarget(&target, false);
    canvas.SetSource(&background, 0, 0, true);
    std::vector<std::unique_ptr<Sprite>> sprites;
    for (std::int32_t i = 0; i < count; ++i) {
        sprites.push_back(std::make_unique<Sprite>());
        sprites.back()->SetImage(&picture, nullptr,
                                 static_cast<std::int32_t>(Next(seed) % (width - kSpriteSize)),
                                 static_cast<std::int32_t>(Next(seed) % (height - kSpriteSize)));
        canvas.Sprites().Add(sprites.back().get(), static_cast<std::uint32_t>(i), 0);
    }
    canvas.Redraw(nullptr, nullptr, 0, 0);

    const double full = bench::Best(runs, [&] {
        canvas.InvalidateAll();
        canvas.Redraw(nullptr, nullptr, 0, 0);
    });
    const long long fullPixels = static_cast<long long>(width) * height;
    std::printf("%4d x %-4d  N %4d  full repaint  %8.1f fps  (reference)   %9lld pixels\n",
                width, height, count, 1.0 / full, fullPixels);

    for (int k : {0, 1, 10}) {
        long long rects = 0, pixels = 0;
        int frame = 0;
        const double seconds = bench::Best(runs, [&] {
            rects = pixels = 0;
            for (int f = 0; f < kFrames; ++f, ++frame) {
                for (int j = 0; j < k; ++j) {
                    Sprite& s = *sprites[static_cast<std::size_t>((frame * 7 + j * 13) % count)];
                    const std::int32_t x = s.X() + 3 > width - kSpriteSize ? 0 : s.X() + 3;
                    const std::int32_t y = s.Y() + 2 > height - kSpriteSize ? 0 : s.Y() + 2;
                    s.SetPosition(x, y);
                }
                DirtyRegion out;
                canvas.Redraw(&out, nullptr, 0, 0);
                rects += out.Count();
                pixels += RegionArea(out);
            }
        });
        const double frameSeconds = seconds / kFrames;
        std::printf(
            "%4d x %-4d  N %4d  k %2d        %8.1f fps  (x%7.4f full)  %9lld pixels (x%.4f full)  "
            "%5.1f rects\n",
            width, height, count, k, 1.0 / frameSeconds, frameSeconds / full, pixels / kFrames,
            static_cast<double>(pixels) / kFrames / fullPixels,
            static_cast<double>(rects) / kFrames);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::RunsFromCommandLine(argc, argv, 3);
    bench::LibraryBench library("sprites cannot be drawn without it");
    if (!library.Loaded()) return 1;
    for (const auto& size : {std::pair<int, int>{800, 600}, std::pair<int, int>{1920, 1080}})
        for (std::int32_t count : {100, 1000}) CanvasFigures(runs, size.first, size.second, count);
    return 0;
}
