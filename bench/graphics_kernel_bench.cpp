// Times the graphics core's main row kernels in their plain and MMX forms on an 800 x 600
// picture and prints megapixels per second and the speed relative to memcpy of the same bytes,
// measured first in the same run. Each figure is the best of several runs.
//
//   wine build/bin/graphics_kernel_bench.exe [runs]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/bench_timing.h"
#include "graphics/image/copy_kernels.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/mix_kernels.h"

namespace {

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;
constexpr std::int32_t kPixels = kWidth * kHeight;

struct Entry {
    const char* name;
    std::function<void()> plain;
    std::function<void()> mmx;  // empty when the kernel has one form
};

}  // namespace

int main(int argc, char** argv) {
    // At least one timed run, or every rate would come from the untimed start value.
    const int runs = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 20;
    std::vector<std::uint32_t> src(kPixels), dst(kPixels), work(kPixels);
    std::vector<std::uint8_t> mask(kPixels);
    std::uint32_t seed = 12345;
    for (std::int32_t i = 0; i < kPixels; ++i) {
        seed = seed * 1664525u + 1013904223u;
        src[i] = seed;
        dst[i] = seed ^ 0x5A5A5A5A;
        mask[i] = static_cast<std::uint8_t>(seed >> 11);
    }
    std::uint8_t identity[256];
    for (int i = 0; i < 256; ++i) identity[i] = static_cast<std::uint8_t>(i);
    std::uint32_t* d = work.data();
    const std::uint32_t* s = src.data();
    const std::uint8_t* m = mask.data();
    auto reset = [&] { std::memcpy(work.data(), dst.data(), kPixels * 4); };

    const double memcpyRate = bench::MemcpyRate(runs, d, s, kPixels);
    std::printf("%d x %d pixels, best of %d runs\n", kWidth, kHeight, runs);
    std::printf("%-22s %10.1f MP/s\n", "memcpy", memcpyRate);

    const Entry entries[] = {
        {"Copy", [&] { KernelCopy(d, s, 0, 0, kWidth, kHeight); },
         [&] { KernelCopyMmx(d, s, 0, 0, kWidth, kHeight); }},
        {"CopyColour", [&] { KernelCopyColour(d, s, 0, 0, kWidth, kHeight); },
         [&] { KernelCopyColourMmx(d, s, 0, 0, kWidth, kHeight); }},
        {"CopyAlpha", [&] { KernelCopyAlpha(d, s, 0, 0, kWidth, kHeight); },
         [&] { KernelCopyAlphaMmx(d, s, 0, 0, kWidth, kHeight); }},
        {"CopyKeyed", [&] { KernelCopyKeyed(d, s, 0, 0, kWidth, kHeight, 0x12345678); }, {}},
        {"AlphaBlend", [&] { KernelAlphaBlend(d, s, 0, 0, kWidth, kHeight); },
         [&] { KernelAlphaBlendMmx(d, s, 0, 0, kWidth, kHeight); }},
        {"FillColourKeepAlpha", [&] { KernelFillColourKeepAlpha(d, 0, kWidth, kHeight, 0x123456); },
         [&] { KernelFillColourKeepAlphaMmx(d, 0, kWidth, kHeight, 0x123456); }},
        {"Weights / Opacity",
         [&] { KernelBlendWeights(d, s, 0, 0, kWidth, kHeight, 0x7F7F7F, 0x808080); },
         [&] { KernelBlendOpacityMmx(d, s, 0, 0, kWidth, kHeight, 128); }},
        {"Average", [&] { KernelAverage(d, s, 0, 0, kWidth, kHeight); },
         [&] { KernelAverageMmx(d, s, 0, 0, kWidth, kHeight); }},
        {"AddSaturate", [&] { KernelAddSaturate(d, s, 0, 0, kWidth, kHeight); },
         [&] { KernelAddSaturateMmx(d, s, 0, 0, kWidth, kHeight); }},
        {"AlphaBlendTable", [&] { KernelAlphaBlendTable(d, s, 0, 0, kWidth, kHeight, identity); },
         [&] { KernelAlphaBlendTableMmx(d, s, 0, 0, kWidth, kHeight, identity); }},
        {"MaskBlendColour",
         [&] { KernelMaskBlendColour(d, m, 0, 0, kWidth, kHeight, 0x204060, identity); },
         [&] { KernelMaskBlendColourMmx(d, m, 0, 0, kWidth, kHeight, 0x204060, identity); }},
        {"Greyscale", [&] { KernelGreyscale(d, 0, kWidth, kHeight); },
         [&] { KernelGreyscaleMmx(d, 0, kWidth, kHeight); }},
        {"AddColour", [&] { KernelAddColour(d, 0, kWidth, kHeight, 0x102030); },
         [&] { KernelAddColourMmx(d, 0, kWidth, kHeight, 0x102030); }},
    };
    std::printf("%-22s %14s %9s %14s %9s\n", "kernel", "plain MP/s", "/memcpy", "MMX MP/s",
                "/memcpy");
    for (const Entry& e : entries) {
        reset();
        const double plainRate = kPixels / bench::Best(runs, e.plain) / 1e6;
        std::printf("%-22s %14.1f %8.0f%%", e.name, plainRate, 100.0 * plainRate / memcpyRate);
        if (e.mmx) {
            reset();
            const double mmxRate = kPixels / bench::Best(runs, e.mmx) / 1e6;
            std::printf(" %14.1f %8.0f%%", mmxRate, 100.0 * mmxRate / memcpyRate);
        }
        std::printf("\n");
    }
    return 0;
}
