// Times the graphics core's main row kernels in their plain and MMX forms on an 800 x 600
// picture and prints megapixels per second and the speed relative to memcpy of the same bytes,
// measured first in the same run. Each figure is the best of several runs.
//
// Then the image operations on 800 x 600 and 1920 x 1080 images (Image::Blit, keyed, stretched
// by 1.5, the alpha blend, the constant-opacity blend at 128, the alpha blend stretched by 1.5,
// FillValue) on the plain and MMX kernels and through qmxgl.dll loaded from the
// program's folder as the game loads it, each beside its row kernel run directly on the same
// pixels: the image figure should stay within a few per cent of the kernel's, since clipping
// and dispatch cost once per call.
//
//   wine build/bin/graphics_kernel_bench.exe [runs]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/bench_timing.h"
#include "framework/system/cpu_info.h"
#include "framework/files/path_utilities.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/image/copy_kernels.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/image.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/mix_kernels.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

namespace {

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;
constexpr std::int32_t kPixels = kWidth * kHeight;

struct Entry {
    const char* name;
    std::function<void()> plain;
    std::function<void()> mmx;  // empty when the kernel has one form
};

// One image operation beside its row kernel on the same pixels.
struct ImageEntry {
    const char* name;
    KernelForm form;
    bool library;
    std::function<void()> image;
    std::function<void()> kernel;  // empty: no kernel of its own (the library's operations)
};

void ImageFigures(int runs, std::int32_t width, std::int32_t height) {
    const std::int32_t pixels = width * height;
    Image source, dest, small;
    source.Create(width, height, 32, 0);
    dest.Create(width, height, 32, 0);
    const std::int32_t smallW = width * 2 / 3, smallH = height * 2 / 3;
    small.Create(smallW, smallH, 32, 0);
    std::uint32_t seed = 777;
    for (std::int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(source.Row(y));
        for (std::int32_t x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = seed;
        }
    }
    small.Blit(&source, 0, 0, nullptr, false);
    Image keyed;
    keyed.CopyFrom(&source, 0);
    keyed.SetColourKeyFromPixel(0, 0);
    auto* d = reinterpret_cast<std::uint32_t*>(dest.Bits());
    const auto* s = reinterpret_cast<const std::uint32_t*>(source.Bits());
    const auto* sm = reinterpret_cast<const std::uint32_t*>(small.Bits());
    const std::uint32_t key = static_cast<std::uint32_t>(keyed.ColourKey());
    const SIZE size = {width, height};
    StretchStep step = {-width - 1, smallW % width, width, smallW / width,
                        -height - 1, smallH % height, height, smallH / height};
    RECT all = {0, 0, width, height};

    auto copyRect = [&] {
        auto op = reinterpret_cast<pixelops::CopyRectOp>(g_pixelOpTable.Word(pixelops::kWordCopyRect));
        op(&dest, &source, 0, 0, &all, pixelops::kCopyPixels);
    };
    auto fillRect = [&] {
        auto op = reinterpret_cast<pixelops::FillRectArgbOp>(g_pixelOpTable.Word(pixelops::kWordFillRectArgb));
        op(&dest, 0x80402010u, nullptr);
    };
    const ImageEntry entries[] = {
        {"Blit", KernelForm::Plain, false, [&] { dest.Blit(&source, 0, 0, nullptr, false); },
         [&] { KernelCopy(d, s, 0, 0, width, height); }},
        {"Blit", KernelForm::Mmx, false, [&] { dest.Blit(&source, 0, 0, nullptr, false); },
         [&] { KernelCopyMmx(d, s, 0, 0, width, height); }},
        {"Blit keyed", KernelForm::Plain, false, [&] { dest.Blit(&keyed, 0, 0, nullptr, false); },
         [&] { KernelCopyKeyed(d, s, 0, 0, width, height, key); }},
        {"Blit keyed", KernelForm::Mmx, false, [&] { dest.Blit(&keyed, 0, 0, nullptr, false); },
         [&] { KernelCopyKeyed(d, s, 0, 0, width, height, key); }},
        {"qmxgl CopyRect", KernelForm::Detected, true, copyRect, {}},
        {"StretchBlit x1.5", KernelForm::Plain, false,
         [&] { dest.StretchBlit(&small, &size, 0, 0, nullptr, false); },
         [&] { KernelStretchCopy(d, sm, 0, small.Pitch(), width, height, step); }},
        {"StretchBlit x1.5", KernelForm::Mmx, false,
         [&] { dest.StretchBlit(&small, &size, 0, 0, nullptr, false); },
         [&] { KernelStretchCopyMmx(d, sm, 0, small.Pitch(), width, height, step); }},
        {"StretchBlit x1.5", KernelForm::Detected, true,
         [&] { dest.StretchBlit(&small, &size, 0, 0, nullptr, false); }, {}},
        {"AlphaBlend", KernelForm::Plain, false,
         [&] { dest.AlphaBlend(&source, 0, 0, nullptr, false); },
         [&] { KernelAlphaBlend(d, s, 0, 0, width, height); }},
        {"AlphaBlend", KernelForm::Mmx, false,
         [&] { dest.AlphaBlend(&source, 0, 0, nullptr, false); },
         [&] { KernelAlphaBlendMmx(d, s, 0, 0, width, height); }},
        {"AlphaBlend", KernelForm::Detected, true,
         [&] { dest.AlphaBlend(&source, 0, 0, nullptr, false); }, {}},
        {"BlendWeighted 128", KernelForm::Plain, false,
         [&] { dest.BlendWeighted(&source, 128, 0, 0, nullptr); },
         [&] { KernelBlendWeights(d, s, 0, 0, width, height, 0x7F7F7F, 0x808080); }},
        {"BlendWeighted 128", KernelForm::Mmx, false,
         [&] { dest.BlendWeighted(&source, 128, 0, 0, nullptr); },
         [&] { KernelBlendOpacityMmx(d, s, 0, 0, width, height, 128); }},
        {"BlendWeighted 128", KernelForm::Detected, true,
         [&] { dest.BlendWeighted(&source, 128, 0, 0, nullptr); }, {}},
        {"StretchAlpha x1.5", KernelForm::Plain, false,
         [&] { dest.StretchAlphaBlend(&small, &size, 0, 0, nullptr, false); },
         [&] { KernelStretchAlphaBlend(d, sm, 0, small.Pitch(), width, height, step); }},
        {"StretchAlpha x1.5", KernelForm::Mmx, false,
         [&] { dest.StretchAlphaBlend(&small, &size, 0, 0, nullptr, false); },
         [&] { KernelStretchAlphaBlendMmx(d, sm, 0, small.Pitch(), width, height, step); }},
        {"StretchAlpha x1.5", KernelForm::Detected, true,
         [&] { dest.StretchAlphaBlend(&small, &size, 0, 0, nullptr, false); }, {}},
        {"FillValue", KernelForm::Plain, false, [&] { dest.FillValue(0x80402010u, nullptr); },
         [&] { KernelFill32(d, 0, width, height, 0x80402010u); }},
        {"FillValue", KernelForm::Detected, true, [&] { dest.FillValue(0x80402010u, nullptr); },
         fillRect},
    };

    const double memcpyRate = bench::MemcpyRate(runs, d, s, pixels);
    std::printf("\nImage operations on %d x %d, memcpy %.1f MP/s\n", width, height, memcpyRate);
    std::printf("%-18s %-8s %12s %9s %12s %9s\n", "operation", "kernels", "image MP/s", "/memcpy",
                "kernel MP/s", "image/k");
    DetectProcessor();
    PixelOpLibraryLoader loader("qmxgl.dll", &g_cpuInfo);
    for (const ImageEntry& e : entries) {
        if (e.library && !loader.Module()) {
            std::printf("%-18s %-8s   (qmxgl.dll did not load)\n", e.name, "qmxgl");
            continue;
        }
        ForceKernelForm(e.form);
        SetCurrentPixelOpLibrary(e.library ? &loader : nullptr);
        const char* form = e.library ? "qmxgl" : e.form == KernelForm::Mmx ? "MMX" : "plain";
        const double imageRate = pixels / bench::Best(runs, e.image) / 1e6;
        std::printf("%-18s %-8s %12.1f %8.0f%%", e.name, form, imageRate,
                    100.0 * imageRate / memcpyRate);
        if (e.kernel) {
            const double kernelRate = pixels / bench::Best(runs, e.kernel) / 1e6;
            std::printf(" %12.1f %8.0f%%", kernelRate, 100.0 * imageRate / kernelRate);
        }
        std::printf("\n");
    }
    SetCurrentPixelOpLibrary(nullptr);
    ForceKernelForm(KernelForm::Detected);
}

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
    SetBaseDirectoryFromModule(nullptr);
    ImageFigures(runs, 800, 600);
    ImageFigures(runs, 1920, 1080);
    return 0;
}
