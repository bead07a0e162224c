// Times the pixel-operation library's main row kernels in each processor form (portable, MMX,
// MMX-ext, SSE) on 800 x 600 and 1920 x 1080 ARGB pictures, and prints megapixels per second
// and the speed relative to a memcpy of the destination's bytes measured in the same run.
// Each figure is the best of several runs; a form the slot does not have is shown as "-".
//
//   wine build/bench/pixel_kernel_bench.exe [runs]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench/bench_timing.h"
#include "pixelops/interfaces/pixel_op_library.h"
#include "tests/pixelops/kernels/form_library.h"

using namespace pixelops;
using pixelopstest::LibraryFor;
using pixelopstest::LibraryPtr;

namespace {

const KernelForm kForms[] = {kFormPortable, kFormMmx, kFormMmxExt, kFormSse};
const char* const kFormNames[] = {"portable", "MMX", "MMX-ext", "SSE"};

struct Picture {
    std::int32_t width, height;
    std::vector<Pixel> src, dst;
};

using Pass = std::function<void(const PixelOpLibrary&, Picture&)>;

struct Operation {
    const char* name;
    int word;  // the slot whose forms are compared
    Pass pass;
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

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    LibraryPtr libraries[4];
    for (KernelForm form : kForms) libraries[form] = LibraryFor(form);

    const Operation operations[] = {
        {"alpha blend (27)", 27, [](auto& l, auto& p) { Rows(l, p, 27); }},
        {"constant-alpha blend (77)", 77, [](auto& l, auto& p) { RowsWithOpacity(l, p, 77, 128); }},
        {"additive-alpha blend (36)", 36, [](auto& l, auto& p) { Rows(l, p, 36); }},
        {"fill (150)", 150, [](auto& l, auto& p) { Fill(l, p, 150); }},
        {"fill, large areas (151)", 151, [](auto& l, auto& p) { Fill(l, p, 151); }},
        {"copy (137, step 1)", 137, [](auto& l, auto& p) { Copy(l, p); }},
        {"bilinear stretch x1.5 (138)", 138, [](auto& l, auto& p) { BilinearStretch(l, p); }},
        {"box blur 5x5 (154+158)", 158, [](auto& l, auto& p) { BoxBlur(l, p); }},
        {"layer multiply (183)", 183, [](auto& l, auto& p) { Rows(l, p, 183); }},
    };

    const std::int32_t sizes[][2] = {{800, 600}, {1920, 1080}};
    for (const auto& size : sizes) {
        Picture picture{size[0], size[1], {}, {}};
        const std::size_t pixels = static_cast<std::size_t>(size[0]) * size[1];
        picture.src.resize(pixels);
        picture.dst.resize(pixels);
        std::uint32_t seed = 12345;
        for (Pixel& p : picture.src) {
            seed = seed * 1664525u + 1013904223u;
            p = seed;
        }
        const double megapixels = static_cast<double>(pixels) / 1e6;
        const double copyRate =
            bench::MemcpyRate(runs, picture.dst.data(), picture.src.data(), pixels);
        std::printf("\n%d x %d ARGB, best of %d runs; memcpy of the same bytes: %.0f MP/s\n",
                    size[0], size[1], runs, copyRate);
        std::printf("%-30s", "operation (slot)");
        for (const char* name : kFormNames) std::printf("%20s", name);
        std::printf("\n%-30s", "");
        for (int i = 0; i < 4; ++i) std::printf("%20s", "MP/s  x memcpy");
        std::printf("\n");
        for (const Operation& op : operations) {
            std::printf("%-30s", op.name);
            ::PixelOperation previous = nullptr;
            for (KernelForm form : kForms) {
                const PixelOpLibrary& library = *libraries[form];
                const ::PixelOperation kernel = library.Word(op.word);
                if (kernel == previous) {
                    std::printf("%20s", "-");
                    continue;
                }
                previous = kernel;
                const double seconds = bench::Best(runs, [&] { op.pass(library, picture); });
                const double rate = megapixels / seconds;
                std::printf("%13.0f %6.2f", rate, rate / copyRate);
            }
            std::printf("\n");
        }
    }
    return 0;
}
