// Times the eight built-in transitions and the six screen filters full-screen at 800 x 600 and
// 1024 x 576 through Update and Draw as the GDI screen's present calls them (trans on routines
// 71 and 79, scroll plain and fading, ripple in each row form): per frame the time, the frames
// per second, and the cost as a multiple of a memcpy of one frame measured in the same run; for
// kinds 0 and 2 also the frame drawn in the present's strips of 8 rows beside the whole draw.
// Each pass draws 20 frames spread over the duration; best of several passes. Then the ripple
// tables' build time at 128 rings and height 127 and at the defaults, and the set-up of a
// second ripple of the same key (which builds nothing). The pixel operations go through
// qmxgl.dll on the detected processor.
//
// Then every routine 0-86 of the transition table at 800 x 600, in drawing modes 0 and 1, over
// the progress values 1, 1 + step, ... up to 255 (step 8 by default: 32 frames a routine and
// mode; --step 1 walks 1-255 in full): per routine and mode the frames per second, the cost of a
// frame as a multiple of the memcpy of one frame, the pieces drawn per frame and the time per
// piece. The pieces are counted by running the routine at the same progress values in mode 2
// against a port that only counts the blits it is asked for (crossfade, mosaics and invert
// count as one piece: they hand the whole picture to one image operation). One pass a routine
// and mode unless runs asks for more (the best is kept).
//
//   wine build/bin/transition_bench.exe [runs] [--step N] [--routines]
//
// --routines: only the routine table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/library_bench_setup.h"
#include "effects/objects/subtractive_random.h"
#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/ripple_rows.h"
#include "effects/transitions/ripple_table.h"
#include "effects/transitions/screen_filters.h"
#include "effects/transitions/transition_routines.h"
#include "effects/transitions/transition_surface_port.h"
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

struct Size {
    std::int32_t width, height;
};
constexpr Size kSizes[] = {{800, 600}, {1024, 576}};
constexpr std::int32_t kStripRows = 8;  // the present's strips at this width
constexpr int kFrames = 20;
constexpr std::uint32_t kDuration = 1000;

struct Run {
    const char* name;
    TransCreateFunc create;
    std::vector<std::int32_t> words;
    int rippleForm;  // ripple: 0 plain, 1 MMX, 2 extended MMX; -1 the others
};

void FillRandom(Image& image, std::uint32_t seed) {
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.Row(y));
        for (std::int32_t x = 0; x < image.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = seed;
        }
    }
}

// Counts the blits the routines ask for in mode 2 and draws nothing.
class PieceCountingPort : public TransitionSurfacePort {
public:
    IDirectDrawSurface7* TargetSurface(Surface*, ScreenDevice*, RECT* clip) override {
        *clip = m_clip;
        return reinterpret_cast<IDirectDrawSurface7*>(0x1000);
    }
    IDirectDrawSurface7* SourceSurface(Surface*) override {
        return reinterpret_cast<IDirectDrawSurface7*>(0x2000);
    }
    std::int32_t BltFastClipped(IDirectDrawSurface7*, IDirectDrawSurface7*, std::int32_t,
                                std::int32_t, const RECT*, const RECT*, std::int32_t) override {
        ++pieces;
        return 0;
    }
    std::int32_t BltClipped(IDirectDrawSurface7*, IDirectDrawSurface7*, const SIZE*,
                            std::int32_t, std::int32_t, const RECT*, const RECT*,
                            std::int32_t) override {
        ++pieces;
        return 0;
    }
    void SetClip(const RECT& clip) { m_clip = clip; }

    std::int64_t pieces = 0;

private:
    RECT m_clip = {0, 0, 0, 0};
};

// The routines that hand the whole picture to one image operation (and, in mode 2, work on the
// locked target, which the counting port has none of).
bool WholePictureRoutine(std::int32_t index) {
    return index == 53 || index == 68 || index == 69 || index == 70;
}

// Every routine of the table at 800 x 600 in modes 0 and 1 over the progress values 1, 1 + step,
// ... up to 255.
void RoutineTable(int runs, std::int32_t step) {
    constexpr std::int32_t kWidth = 800, kHeight = 600;
    Image from, to, target;
    from.Create(kWidth, kHeight, 32, 0);
    to.Create(kWidth, kHeight, 32, 0);
    target.Create(kWidth, kHeight, 32, 0);
    FillRandom(from, 3);
    FillRandom(to, 4);
    // FillRandom spreads the source's alpha over 0-255, so mode 1 blends rather than copies.
    const double memcpyRate = bench::MemcpyRate(runs, target.Bits(), from.Bits(),
                                                static_cast<std::size_t>(kWidth) * kHeight);
    const double memcpyFrame = kWidth * kHeight / (memcpyRate * 1e6);
    std::vector<std::int32_t> progress;
    for (std::int32_t p = 1; p <= 255; p += step) progress.push_back(p);
    const double frames = static_cast<double>(progress.size());

    std::printf("transition routines at %dx%d, progress 1 to 255 step %d (%d frames a routine "
                "and mode); memcpy of one frame %.3f ms\n\n",
                kWidth, kHeight, step, static_cast<int>(progress.size()), memcpyFrame * 1e3);
    std::printf("%-7s %9s | %9s %8s %9s | %9s %8s %9s\n", "", "", "mode 0", "", "", "mode 1", "",
                "");
    std::printf("%-7s %9s | %9s %8s %9s | %9s %8s %9s\n", "routine", "pieces/f", "fps",
                "x memcpy", "ns/piece", "fps", "x memcpy", "ns/piece");
    PieceCountingPort port;
    port.SetClip(RECT{0, 0, kWidth, kHeight});
    const double start = bench::Seconds();
    for (std::int32_t index = 0; index < kTransitionRoutineCount; ++index) {
        const TransitionRoutineFunc routine = TransitionRoutineAt(index);
        double piecesPerFrame = 1.0;
        if (!WholePictureRoutine(index)) {
            SetTransitionSurfacePort(&port);
            port.pieces = 0;
            for (std::int32_t p : progress) routine(&target, &to, p, 0, 0, kDrawDirectDraw, nullptr);
            SetTransitionSurfacePort(nullptr);
            piecesPerFrame = static_cast<double>(port.pieces) / frames;
        }
        std::printf("%-7d %9.1f", index, piecesPerFrame);
        for (std::int32_t mode : {kDrawCopy, kDrawAlphaBlend}) {
            double best = 1e30;
            for (int r = 0; r < runs; ++r) {
                target.Blit(&from, 0, 0, nullptr, false);
                const double t0 = bench::Seconds();
                for (std::int32_t p : progress) routine(&target, &to, p, 0, 0, mode, nullptr);
                const double elapsed = bench::Seconds() - t0;
                if (elapsed < best) best = elapsed;
            }
            const double frame = best / frames;
            std::printf(" | %9.0f %8.2f", 1.0 / frame, frame / memcpyFrame);
            if (piecesPerFrame > 0) std::printf(" %9.0f", frame / piecesPerFrame * 1e9);
            else std::printf(" %9s", "-");
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("\nroutine table measured in %.1f s\n", bench::Seconds() - start);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 0;
    std::int32_t step = 8;
    bool routinesOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--routines") == 0) {
            routinesOnly = true;
        } else if (std::strcmp(argv[i], "--step") == 0 && i + 1 < argc) {
            step = std::atoi(argv[++i]);
            if (step < 1 || step > 255) step = 8;
        } else if (runs == 0) {
            runs = std::atoi(argv[i]);
        }
    }
    bench::LibraryBench library("most transitions need it");
    if (!library.Loaded()) return 1;
    MathTables tables;
    g_mathTables = &tables;
    if (routinesOnly) {
        RoutineTable(runs > 0 ? runs : 1, step);
        g_mathTables = nullptr;
        return 0;
    }
    if (runs <= 0) runs = 3;
    SubtractiveRandom random;
    random.Seed(1);
    SetQuakeTransRandom(&random);
    const CpuInfoRecord detected = g_cpuInfo;

    for (const Size& size : kSizes) {
        const std::int32_t kWidth = size.width, kHeight = size.height;
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
        const std::int32_t ruleWord =
            static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(&rule));

        const double memcpyRate = bench::MemcpyRate(runs, target.Bits(), from.Bits(),
                                                    static_cast<std::size_t>(kWidth) * kHeight);
        const double memcpyFrame = kWidth * kHeight / (memcpyRate * 1e6);
        std::printf("memcpy of one %dx%d frame: %.3f ms (%.0f MP/s)\n\n", kWidth, kHeight,
                    memcpyFrame * 1e3, memcpyRate);
        std::printf("%-18s %10s %8s %10s %12s %12s\n", "transition", "ms/frame", "fps",
                    "x memcpy", "strips ms", "strips/whole");

        const std::int32_t kDur = static_cast<std::int32_t>(kDuration);
        const Run list[] = {
            {"cross", &CreateCrossTransCallback, {kDur}, -1},
            {"rule", &CreateRuleTransCallback, {kDur, ruleWord, 64}, -1},
            {"scroll", &CreateScrollTransCallback, {kDur, 0, 2, 0}, -1},
            {"scroll fading", &CreateScrollTransCallback, {kDur, 0, 3, 0}, -1},
            {"wave", &CreateWaveTransCallback, {kDur, 0, 40, 3000, 0, 0}, -1},
            {"mosaic", &CreateMosaicTransCallback, {kDur, 0, 32, 0}, -1},
            {"rotaxis", &CreateRotAxisTransCallback, {kDur, 0}, -1},
            {"trans 71", &CreateTransTransCallback, {kDur, 71, 0}, -1},
            {"trans 79", &CreateTransTransCallback, {kDur, 79, 0}, -1},
            {"tone", &CreateToneTransCallback, {kDur, static_cast<std::int32_t>(0x80336699), 0},
             -1},
            {"quake filling", &CreateQuakeTransCallback, {8, 12, 6, kDur, 0, 1}, -1},
            {"zoomflip 0", &CreateZoomFlipTransCallback, {kDur, 0, 0}, -1},
            {"zoomflip 4", &CreateZoomFlipTransCallback, {kDur, 4, 1}, -1},
            {"zoomflip 6", &CreateZoomFlipTransCallback, {kDur, 6, 0}, -1},
            {"rotcenter", &CreateRotCenterTransCallback, {kDur, 0, 0}, -1},
            {"addsub", &CreateAddSubTransCallback, {kDur, 0}, -1},
            {"hblur 0", &CreateHBlurTransCallback, {kDur, 0, 8}, -1},
            {"hblur 1", &CreateHBlurTransCallback, {kDur, 1, 8}, -1},
            {"ripple plain", &CreateRippleTransCallback, {kDur, -1, -1, 0, 0, 0, 0}, 0},
            {"ripple mmx", &CreateRippleTransCallback, {kDur, -1, -1, 0, 0, 0, 0}, 1},
            {"ripple extended", &CreateRippleTransCallback, {kDur, -1, -1, 0, 0, 0, 0}, 2},
        };
        for (const Run& run : list) {
            if (run.rippleForm >= 0) {
                g_cpuInfo.mmx = run.rippleForm >= 1;
                g_cpuInfo.mmxExt = run.rippleForm == 2;
                g_cpuInfo.amdMmxExt = 0;
                SelectRippleBlendVariant();
                g_cpuInfo = detected;
            }
            TransCallback* t = run.create(0);
            std::vector<std::int32_t> words = run.words;
            words.resize(8, 0);
            if (!t || t->Setup(&screen, words.data()) != 0) {
                std::printf("%-18s set-up refused\n", run.name);
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
                        const TransitionBlit b = {0,     top, kWidth, h,      &target, 0,
                                                  top,   &from, 0,    top,    second,  0,
                                                  second ? top : 0};
                        t->Draw(&b);
                    }
                }
            };
            const double whole = bench::Best(runs, [&] { frames(false); }) / kFrames;
            std::printf("%-18s %10.3f %8.0f %10.2f", run.name, whole * 1e3, 1.0 / whole,
                        whole / memcpyFrame);
            if (t->Kind() != 1) {
                const double strips = bench::Best(runs, [&] { frames(true); }) / kFrames;
                std::printf(" %12.3f %12.2f", strips * 1e3, strips / whole);
            }
            std::printf("\n");
            ReleaseObject(t);
        }

        // The ripple tables: a build from an empty cache, then a second ripple of that key.
        const struct {
            const char* name;
            std::vector<std::int32_t> words;
        } builds[] = {{"128 rings, height 127", {kDur, -1, -1, 128, 0, 0, 127}},
                      {"defaults", {kDur, -1, -1, 0, 0, 0, 0}}};
        for (const auto& build : builds) {
            std::vector<std::int32_t> words = build.words;
            words.resize(8, 0);
            const double built = bench::Best(runs, [&] {
                RippleReleaseTables();
                TransCallback* t = CreateRippleTransCallback(0);
                t->Setup(&screen, words.data());
                ReleaseObject(t);
            });
            TransCallback* held = CreateRippleTransCallback(0);
            held->Setup(&screen, words.data());
            const double again = bench::Best(runs, [&] {
                TransCallback* t = CreateRippleTransCallback(0);
                t->Setup(&screen, words.data());
                ReleaseObject(t);
            });
            ReleaseObject(held);
            std::printf("ripple table, %-22s built in %8.2f ms; same key again %8.4f ms\n",
                        build.name, built * 1e3, again * 1e3);
        }
        RippleReleaseTables();
        std::printf("\n");
    }
    g_cpuInfo = detected;
    SetQuakeTransRandom(nullptr);
    RoutineTable(1, step);
    g_mathTables = nullptr;
    return 0;
}
