// The background layer effects' benchmark (see bg_effect_bench.h).
//
//   wine build/bin/bg_effect_bench.exe [runs] [name-filter]
//
// A name filter keeps the rows whose names contain it.
#include "bench/bg_effect_bench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bench/bench_timing.h"
#include "bench/library_bench_setup.h"
#include "graphics/sprites/canvas.h"

namespace bgbench {
namespace {

constexpr int kFrames = 30;

std::vector<Row>& Rows() {
    static std::vector<Row> rows;
    return rows;
}

void FillNoise(Image& image, std::uint32_t seed) {
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.Row(y));
        for (std::int32_t x = 0; x < image.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = 0xFF000000u | (seed >> 8);
        }
    }
}

// Seconds of one memcpy of an 800 x 600 32-bit frame, best of runs.
double MemcpyFrame(int runs) {
    std::vector<std::uint32_t> from(static_cast<std::size_t>(kWidth) * kHeight, 0x12345678u);
    std::vector<std::uint32_t> to(from.size());
    return bench::Best(runs * 4, [&] {
        std::memcpy(to.data(), from.data(), from.size() * 4);
    });
}

void RunRow(const Row& row, int runs, double memcpySeconds) {
    Scene scene;
    if (!scene.ready) {
        std::printf("%-34s  the screens could not be made\n", row.name.c_str());
        return;
    }
    if (row.prepare && !row.prepare(scene)) {
        std::printf("%-34s  skipped (preparation failed)\n", row.name.c_str());
        return;
    }
    EffectObject* effect = row.create();
    EffectObject* handle = effect;
    effect->SetOwner(&handle);
    const std::vector<std::int32_t> words = row.words(scene);
    const std::int32_t code = effect->Setup(&scene.scheduler, &scene.screen[0], words.data());
    if (code != 0) {
        std::printf("%-34s  Setup refused with %d\n", row.name.c_str(), code);
        ReleaseObject(effect);
        return;
    }
    Canvas* canvas = scene.CanvasOf(0);
    auto frame = [&] {
        scene.clock.AdvanceMs(kFrameMs);
        scene.scheduler.RunDue(scene.clock.Milliseconds());
        canvas->Redraw(nullptr, nullptr, 0, 0);
    };
    frame();  // the first step starts the effect's clock
    const double seconds = bench::Best(runs, [&] {
        for (int f = 0; f < kFrames; ++f) frame();
    });
    const double perFrame = seconds / kFrames;
    std::printf("%-34s  %8.1f fps  %7.2f memcpy%s\n", row.name.c_str(), 1.0 / perFrame,
                perFrame / memcpySeconds, handle ? "" : "  (ended while timed)");
}

// The reference: the canvas repainted whole each frame with no effect.
void RunRepaint(int runs, double memcpySeconds) {
    Scene scene;
    if (!scene.ready) return;
    Canvas* canvas = scene.CanvasOf(0);
    const double seconds = bench::Best(runs, [&] {
        for (int f = 0; f < kFrames; ++f) {
            canvas->InvalidateAll();
            canvas->Redraw(nullptr, nullptr, 0, 0);
        }
    });
    const double perFrame = seconds / kFrames;
    std::printf("%-34s  %8.1f fps  %7.2f memcpy\n", "(full repaint, no effect)", 1.0 / perFrame,
                perFrame / memcpySeconds);
}

}  // namespace

Scene::Scene() {
    g_mathTables = &tables;
    for (int n = 0; n < 2; ++n) {
        if (background[n].Create(kWidth + 224, kHeight + 168, 32, 0) != 0) return;
        FillNoise(background[n], 12345u + static_cast<std::uint32_t>(n));
        if (screen[n].CreateSimple(kWidth, kHeight, 32, true) != 0) return;
        if (!CanvasOf(n)->SetSource(&background[n], 0, 0, true)) return;
        CanvasOf(n)->Redraw(nullptr, nullptr, 0, 0);
    }
    ready = screen[0].SetAlternate(&screen[1]) == 0;
}

Scene::~Scene() {
    // Effects keep raw pointers into the screens.
    scheduler.Clear();
    g_mathTables = nullptr;
}

RowAdder::RowAdder(std::vector<Row> rows) {
    for (Row& row : rows) Rows().push_back(std::move(row));
}

}  // namespace bgbench

int main(int argc, char** argv) {
    const int runs = bench::RunsFromCommandLine(argc, argv, 3);
    const char* filter = argc > 2 ? argv[2] : nullptr;
    bench::LibraryBench library("the effects cannot be measured without it");
    if (!library.Loaded()) return 1;
    auto& rows = bgbench::Rows();
    std::stable_sort(rows.begin(), rows.end(),
                     [](const bgbench::Row& a, const bgbench::Row& b) { return a.name < b.name; });
    const double memcpySeconds = bgbench::MemcpyFrame(runs);
    std::printf("%d x %d, 32 bits; memcpy of one frame %.3f ms (%.1f per second)\n",
                bgbench::kWidth, bgbench::kHeight, memcpySeconds * 1e3, 1.0 / memcpySeconds);
    bgbench::RunRepaint(runs, memcpySeconds);
    for (const bgbench::Row& row : rows) {
        if (filter && row.name.find(filter) == std::string::npos) continue;
        bgbench::RunRow(row, runs, memcpySeconds);
    }
    return 0;
}
