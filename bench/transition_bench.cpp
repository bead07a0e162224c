// Times the eight built-in transitions full-screen at 800 x 600 through Update and Draw as the
// GDI screen's present calls them (trans on routines 71 and 79, scroll plain and fading): per
// frame the time, the frames per second, and the cost as a multiple of a memcpy of one frame
// measured in the same run; for kinds 0 and 2 also the frame drawn in the present's strips of
// 8 rows beside the whole draw. Each pass draws 20 frames spread over the duration; best of
// several passes. The pixel operations go through qmxgl.dll on the detected processor.
//
//   wine build/bin/transition_bench.exe [runs]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/library_bench_setup.h"
#include "effects/transitions/builtin_transitions.h"
#include "framework/files/path_utilities.h"
#include "framework/system/cpu_info.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/math_tables.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/gdi_screen.h"

namespace {

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;
constexpr std::int32_t kStripRows = 8;  // the present's strips at this width
constexpr int kFrames = 20;
constexpr std::uint32_t kDuration = 1000;

struct Run {
    const char* name;
    TransCreateFunc create;
    std::vector<std::int32_t> words;
};

void FillRandom(Image& image, std::uint32_t seed) {
    for (std::int32_t y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.Row(y));
        for (std::int32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = seed;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::RunsFromCommandLine(argc, argv, 3);
    bench::LibraryBench library("most transitions need it");
    if (!library.Loaded()) return 1;
    MathTables tables;
    g_mathTables = &tables;

    MemoryScreen screen;
    screen.CreateSimple(kWidth, kHeight, 32, false);
    Image from, to, target, rule;
    from.Create(kWidth, kHeight, 32, 0);
    to.Create(kWidth, kHeight, 32, 0);
    target.Create(kWidth, kHeight, 32, kImageDibSection);
    rule.Create(kWidth, kHeight, 8, 0);
    FillRandom(from, 1);
    FillRandom(to, 2);
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < kWidth; ++x)
            rule.Row(y)[x] = static_cast<std::uint8_t>((x + y) * 255 / (kWidth + kHeight));
    const std::int32_t ruleWord = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(&rule));

    const double memcpyRate = bench::MemcpyRate(runs, target.Bits(), from.Bits(),
                                                static_cast<std::size_t>(kWidth) * kHeight);
    const double memcpyFrame = kWidth * kHeight / (memcpyRate * 1e6);
    std::printf("memcpy of one %dx%d frame: %.3f ms (%.0f MP/s)\n\n", kWidth, kHeight,
                memcpyFrame * 1e3, memcpyRate);
    std::printf("%-16s %10s %8s %10s %12s %12s\n", "transition", "ms/frame", "fps", "x memcpy",
                "strips ms", "strips/whole");

    const Run list[] = {
        {"cross", &CreateCrossTransCallback, {kDuration}},
        {"rule", &CreateRuleTransCallback, {kDuration, ruleWord, 64}},
        {"scroll", &CreateScrollTransCallback, {kDuration, 0, 2, 0}},
        {"scroll fading", &CreateScrollTransCallback, {kDuration, 0, 3, 0}},
        {"wave", &CreateWaveTransCallback, {kDuration, 0, 40, 3000, 0, 0}},
        {"mosaic", &CreateMosaicTransCallback, {kDuration, 0, 32, 0}},
        {"rotaxis", &CreateRotAxisTransCallback, {kDuration, 0}},
        {"trans 71", &CreateTransTransCallback, {kDuration, 71, 0}},
        {"trans 79", &CreateTransTransCallback, {kDuration, 79, 0}},
        {"tone", &CreateToneTransCallback, {kDuration, static_cast<std::int32_t>(0x80336699), 0}},
    };
    for (const Run& run : list) {
        TransCallback* t = run.create(0);
        std::vector<std::int32_t> words = run.words;
        words.resize(8, 0);
        if (!t || t->Setup(&screen, words.data()) != 0) {
            std::printf("%-16s set-up refused\n", run.name);
            ReleaseObject(t);
            continue;
        }
        Image* second = t->Kind() >= 2 ? nullptr : &to;
        t->Update(0);
        auto frames = [&](bool strips) {
            for (int f = 0; f < kFrames; ++f) {
                t->Update(1 + f * (kDuration - 2) / kFrames);
                const std::int32_t rows = strips ? kStripRows : kHeight;
                for (std::int32_t top = 0; top < kHeight; top += rows) {
                    const std::int32_t h = top + rows > kHeight ? kHeight - top : rows;
                    const TransitionBlit b = {0, top, kWidth, h, &target, 0, top, &from, 0, top,
                                              second, 0, second ? top : 0};
                    t->Draw(&b);
                }
            }
        };
        const double whole = bench::Best(runs, [&] { frames(false); }) / kFrames;
        std::printf("%-16s %10.3f %8.0f %10.2f", run.name, whole * 1e3, 1.0 / whole,
                    whole / memcpyFrame);
        if (t->Kind() != 1) {
            const double strips = bench::Best(runs, [&] { frames(true); }) / kFrames;
            std::printf(" %12.3f %12.2f", strips * 1e3, strips / whole);
        }
        std::printf("\n");
        ReleaseObject(t);
    }
    g_mathTables = nullptr;
    return 0;
}
