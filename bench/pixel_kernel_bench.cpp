// Times the pixel-operation library's main row kernels in each processor form (portable, MMX,
// MMX-ext, SSE) on 800 x 600 and 1920 x 1080 ARGB pictures, and prints megapixels per second
// and the speed relative to a memcpy of the destination's bytes and to a plain 64-bit MMX
// load/store copy loop, both measured in the same run. The blends run on two sources: random
// words (alpha uniformly random) and rows shaped like sprites (45 % transparent, 45 % opaque,
// 10 % anti-aliased edge pixels). The extended-MMX alpha blend as it stood before its rows went
// two pairs per step runs beside them as the baseline. Each figure is the best of several runs;
// a form the slot does not have is shown as "-".
//
//   wine build/bench/pixel_kernel_bench.exe [runs]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench/baseline_kernels.h"
#include "bench/bench_timing.h"
#include "pixelops/interfaces/pixel_op_library.h"
#include "tests/pixelops/kernels/form_library.h"
#include "tests/support/sprite_rows.h"

using namespace pixelops;
using pixelopstest::LibraryFor;
using pixelopstest::LibraryPtr;

namespace {

const KernelForm kForms[] = {kFormPortable, kFormMmx, kFormMmxExt, kFormSse};
const char* const kFormNames[] = {"portable", "MMX", "MMX-ext", "SSE"};

struct Picture {
    std::int32_t width, height;
    std::vector<Pixel> src, dst;
    std::vector<Pixel> random, sprite;  // the two sources; src holds one of them
};

using Pass = std::function<void(const PixelOpLibrary&, Picture&)>;

struct Operation {
    const char* name;
    int word;  // the slot whose forms are compared
    Pass pass;
    bool spriteRows = false;
};

template <class Kernel>
Kernel Slot(const PixelOpLibrary& library, int word) {
    return reinterpret_cast<Kernel>(library.Word(word));
}

void Rows(const PixelOpLibrary& library, Picture& p, int word) {
    const auto kernel = Slot<RowKernel>(library, word);
    for (std::int32_t y = 0; y < p.height; ++y)
        kernel(&p.dst[y * p.width], &p.src[y * p.width], p.width);
}

void RowsWithOpacity(const PixelOpLibrary& library, Picture& p, int word, std::uint32_t opacity) {
    const auto kernel = Slot<RowKernelOpacity>(library, word);
    for (std::int32_t y = 0; y < p.height; ++y)
        kernel(&p.dst[y * p.width], &p.src[y * p.width], p.width, opacity);
}

void Fill(const PixelOpLibrary& library, Picture& p, int word) {
    const auto kernel = Slot<ValueKernel>(library, word);
    for (std::int32_t y = 0; y < p.height; ++y) kernel(&p.dst[y * p.width], p.width, 0x80402010u);
}

// One source pixel per destination pixel through the stretched copy (step 1.0).
void Copy(const PixelOpLibrary& library, Picture& p) {
    const auto kernel = Slot<StretchKernel>(library, 137);
    for (std::int32_t y = 0; y < p.height; ++y)
        kernel(&p.dst[y * p.width], p.width, &p.src[y * p.width], 0, 0x10000);
}

// The destination drawn from a source two thirds its size, two source rows per output row.
void BilinearStretch(const PixelOpLibrary& library, Picture& p) {
    const auto kernel = Slot<BilinearStretchKernel>(library, 138);
    const std::int32_t step = 0x10000 * 2 / 3;
    for (std::int32_t y = 0; y < p.height; ++y) {
        const std::int32_t sy = y * step;
        const Pixel* row0 = &p.src[(sy >> 16) * p.width];
        kernel(&p.dst[y * p.width], p.width, row0, row0 + p.width, (sy >> 8) & 0xFF, 0, step);
    }
}

// A 5 x 5 box: per output row one column-sum update and one sliding average, as the blur
// rectangle operation runs them.
void BoxBlur(const PixelOpLibrary& library, Picture& p) {
    const auto sums = Slot<BoxSum16Kernel>(library, 154);
    const auto average = Slot<BoxAverage16Kernel>(library, 158);
    static std::vector<std::uint16_t> columns;
    columns.assign(4 * (p.width + 8), 600);
    std::uint16_t* c = &columns[4 * 4];
    for (std::int32_t y = 2; y < p.height - 3; ++y) {
        sums(c, &p.src[(y + 3) * p.width], &p.src[(y - 2) * p.width], p.width);
        std::uint16_t running[4] = {3000, 3000, 3000, 3000};
        average(&p.dst[y * p.width], running, c + 4 * 3, c - 4 * 2, 25, p.width);
    }
}

// A pass of a plain row loop, timed like the kernels, in megapixels per second.
double RowLoopRate(int runs, Picture& p, const Pixel* src,
                   void (*loop)(Pixel*, const Pixel*, std::int32_t)) {
    const double seconds = bench::Best(runs, [&] {
        for (std::int32_t y = 0; y < p.height; ++y)
            loop(&p.dst[y * p.width], &src[y * p.width], p.width);
    });
    return static_cast<double>(p.width) * p.height / 1e6 / seconds;
}

void PrintRate(double rate, double copyRate, double loopRate) {
    std::printf("%8.0f %5.2f %5.2f", rate, rate / copyRate, rate / loopRate);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    LibraryPtr libraries[4];
    for (KernelForm form : kForms) libraries[form] = LibraryFor(form);

    const Operation operations[] = {
        {"alpha blend (27)", 27, [](auto& l, auto& p) { Rows(l, p, 27); }},
        {"  sprite rows", 27, [](auto& l, auto& p) { Rows(l, p, 27); }, true},
        {"alpha blend, opacity (29)", 29, [](auto& l, auto& p) { RowsWithOpacity(l, p, 29, 200); }},
        {"  sprite rows", 29, [](auto& l, auto& p) { RowsWithOpacity(l, p, 29, 200); }, true},
        {"constant-alpha blend (77)", 77, [](auto& l, auto& p) { RowsWithOpacity(l, p, 77, 128); }},
        {"  sprite rows", 77, [](auto& l, auto& p) { RowsWithOpacity(l, p, 77, 128); }, true},
        {"additive-alpha blend (36)", 36, [](auto& l, auto& p) { Rows(l, p, 36); }},
        {"  sprite rows", 36, [](auto& l, auto& p) { Rows(l, p, 36); }, true},
        {"fill (150)", 150, [](auto& l, auto& p) { Fill(l, p, 150); }},
        {"fill, large areas (151)", 151, [](auto& l, auto& p) { Fill(l, p, 151); }},
        {"copy (137, step 1)", 137, [](auto& l, auto& p) { Copy(l, p); }},
        {"bilinear stretch x1.5 (138)", 138, [](auto& l, auto& p) { BilinearStretch(l, p); }},
        {"box blur 5x5 (154+158)", 158, [](auto& l, auto& p) { BoxBlur(l, p); }},
        {"layer multiply (183)", 183, [](auto& l, auto& p) { Rows(l, p, 183); }},
    };
    constexpr int kOperations = sizeof operations / sizeof operations[0];

    const std::int32_t sizes[][2] = {{800, 600}, {1920, 1080}};
    for (const auto& size : sizes) {
        Picture picture{size[0], size[1], {}, {}, {}, {}};
        const std::size_t pixels = static_cast<std::size_t>(size[0]) * size[1];
        picture.random.resize(pixels);
        picture.dst.resize(pixels);
        std::uint32_t seed = 12345;
        for (Pixel& p : picture.random) {
            seed = seed * 1664525u + 1013904223u;
            p = seed;
        }
        testsupport::SpriteRowWriter writer(777, {45, 45, 64});
        for (std::int32_t y = 0; y < size[1]; ++y) {
            const std::vector<Pixel> row = writer.Row(size[0]);
            picture.sprite.insert(picture.sprite.end(), row.begin(), row.end());
        }
        picture.src = picture.random;
        const double megapixels = static_cast<double>(pixels) / 1e6;
        const double copyRate =
            bench::MemcpyRate(runs, picture.dst.data(), picture.src.data(), pixels);
        const double loopRate =
            RowLoopRate(runs, picture, picture.random.data(), bench::MmxCopyLoop);
        std::printf("\n%d x %d ARGB, best of %d runs; memcpy of the same bytes: %.0f MP/s, "
                    "64-bit MMX copy loop: %.0f MP/s (%.2f x memcpy)\n",
                    size[0], size[1], runs, copyRate, loopRate, loopRate / copyRate);
        std::printf("%-30s", "operation (slot)");
        for (const char* name : kFormNames) std::printf("%22s", name);
        std::printf("\n%-30s", "");
        for (int i = 0; i < 4; ++i) std::printf("%22s", "MP/s memcpy  loop");
        std::printf("\n");
        double rates[kOperations][4] = {};
        for (int o = 0; o < kOperations; ++o) {
            const Operation& op = operations[o];
            picture.src = op.spriteRows ? picture.sprite : picture.random;
            std::printf("%-30s", op.name);
            ::PixelOperation previous = nullptr;
            for (KernelForm form : kForms) {
                const PixelOpLibrary& library = *libraries[form];
                const ::PixelOperation kernel = library.Word(op.word);
                if (kernel == previous) {
                    std::printf("%22s", "-");
                    continue;
                }
                previous = kernel;
                const double seconds = bench::Best(runs, [&] { op.pass(library, picture); });
                rates[o][form] = megapixels / seconds;
                std::printf("  ");
                PrintRate(rates[o][form], copyRate, loopRate);
            }
            std::printf("\n");
        }
        const double oldRandom =
            RowLoopRate(runs, picture, picture.random.data(), bench::PreviousAlphaBlendMmxExt);
        const double oldSprite =
            RowLoopRate(runs, picture, picture.sprite.data(), bench::PreviousAlphaBlendMmxExt);
        std::printf("%-30s%46s", "previous MMX-ext alpha blend", "");
        PrintRate(oldRandom, copyRate, loopRate);
        std::printf("\n%-30s%46s", "  sprite rows", "");
        PrintRate(oldSprite, copyRate, loopRate);
        std::printf("\n");

        // The targets, from the figures above.
        auto rate = [&](int word, bool sprite, KernelForm form) {
            for (int o = 0; o < kOperations; ++o)
                if (operations[o].word == word && operations[o].spriteRows == sprite)
                    return rates[o][form];
            return 0.0;
        };
        const double newRandom = rate(27, false, kFormMmxExt);
        const double newSprite = rate(27, true, kFormMmxExt);
        std::printf("MMX-ext alpha blend, random rows: %.2f x the previous kernel (target 1.25)\n",
                    newRandom / oldRandom);
        std::printf("MMX-ext alpha blend, sprite rows: %.2f x its random-row speed (target 3)\n",
                    newSprite / newRandom);
        std::printf("step-1 copy (137), MMX: %.2f x memcpy (target 0.9)\n",
                    rate(137, false, kFormMmx) / copyRate);
        std::printf("fill 151 / fill 150, SSE: %.2f (target at least 1)\n",
                    rate(151, false, kFormSse) / rate(150, false, kFormSse));
    }
    return 0;
}
