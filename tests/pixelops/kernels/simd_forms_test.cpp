// Every processor form, forced through a crafted processor record, against its portable kernel
// or, where its documented rule differs, against a scalar model of that rule: random rows of
// lengths 1 to 37 and 1000 from corner and random bytes, at unaligned starts, and for the row
// kernels also sprite-shaped rows of opaque and transparent runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/system/cpu_info.h"
#include "pixelops/library/cpu_features.h"
#include "pixelops/library/kernel_dispatch.h"
#include "pixelops/library/library_object.h"
#include "pixelops/library/simd_selection.h"
#include "tests/pixelops/kernels/form_library.h"
#include "tests/pixelops/kernels/kernel_reference.h"
#include "tests/pixelops/kernels/simd_models.h"
#include "tests/support/sprite_rows.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

enum class Shape {
    Row,
    RowOpacity,
    Stretch,
    StretchOpacity,
    Bilinear,
    BilinearOpacity,
    Affine,
    AffineOpacity,
    Crossfade,
    RuleTable,
    RuleLine,
    RuleSwitch,
    Value,
    ColourOpacity,
    LineDouble,
    LineDoubleBackward,
    AverageLines,
    Sum16,
    Sum32,
    Average16,
    Average32,
    Gamma,
};

// What the processor must offer for a form.
bool HardwareHas(KernelForm form) {
    static const std::uint32_t flags = [] {
        HardwareProcessorProbe probe;
        ProcessorIdentity identity{};
        return DetectCpuFeatures(probe, identity) ? identity.features : 0u;
    }();
    switch (form) {
        case kFormMmx:
            return (flags & kCpuMmx) != 0;
        case kFormMmxExt:
            return (flags & kCpuMmx) && (flags & kCpuMmxExt);
        case kFormSse:
            return (flags & kCpuMmx) && (flags & kCpuMmxExt) && (flags & kCpuSse);
        case kFormCmov:
            return (flags & kCpuCmov) != 0;
        default:
            return true;
    }
}

const char* FormName(KernelForm form) {
    static const char* const names[] = {"portable", "MMX", "MMX-ext", "SSE", "CMOV"};
    return names[form];
}

// A byte that is a corner value half of the time.
std::uint32_t MixedByte(Random& random) {
    return random.Below(2) ? static_cast<std::uint32_t>(kCorners[random.Below(6)])
                           : random.Next() & 0xFF;
}
Pixel MixedPixel(Random& random) {
    Pixel p = 0;
    for (int c = 0; c < 4; ++c) p |= MixedByte(random) << (8 * c);
    return p;
}

// Room with a 64-byte aligned base, a pixel offset into it and guard pixels after the row.
template <class T>
struct Buffer {
    std::vector<T> storage;
    T* data;
    Buffer(std::size_t count, int offset) : storage(count + 64 + 16) {
        std::uintptr_t base = reinterpret_cast<std::uintptr_t>(storage.data());
        base = (base + 63) & ~std::uintptr_t{63};
        data = reinterpret_cast<T*>(base) + offset;
    }
};

std::vector<int> Lengths() {
    std::vector<int> lengths;
    for (int n = 1; n <= 37; ++n) lengths.push_back(n);
    lengths.push_back(1000);
    return lengths;
}

struct Trial {
    int length;
    int dstOffset, srcOffset;
    std::uint32_t seed;
    // Row kernels only: the source is shaped like a sprite row, so whole groups of pixels are
    // opaque or transparent and the shortcuts meet every grouping and alignment.
    bool sprite;
};

std::vector<Trial> Trials() {
    std::vector<Trial> trials;
    std::uint32_t seed = 1;
    for (bool sprite : {false, true})
        for (int n : Lengths())
            for (int offsets = 0; offsets < 4; ++offsets)
                trials.push_back(Trial{n, offsets, (offsets * 3 + n) % 4, seed++, sprite});
    return trials;
}

// Kernels read only the opacity's low byte; the upper bytes carry noise now and then.
std::uint32_t OpacityFor(Random& random, std::uint32_t limit) {
    std::uint32_t v = random.Below(3) ? static_cast<std::uint32_t>(kCorners[random.Below(6)])
                                      : random.Next() & 0xFF;
    if (v > limit) v = limit;
    return random.Below(4) == 0 ? v | (random.Next() & 0xFFFFFF00) : v;
}

template <class T>
std::string FirstDifference(const T* expected, const T* actual, int count) {
    for (int i = 0; i < count; ++i)
        if (expected[i] != actual[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "at %d: expected %08X, got %08X", i,
                          static_cast<unsigned>(expected[i]), static_cast<unsigned>(actual[i]));
            return text;
        }
    return "";
}

struct FormCase {
    int word;
    KernelForm form;
    Shape shape;
};

template <class F>
F As(PixelOperation op) {
    return reinterpret_cast<F>(op);
}

// Runs the kernel and its reference on the same inputs; the first mismatch, or "".
class Checker {
public:
    Checker(const FormCase& c, PixelOperation kernel, PixelOperation reference)
        : m_case(c), m_kernel(kernel), m_reference(reference) {}

    std::string Run(const Trial& t) {
        std::string difference = Compare(t);
        if (difference.empty() && !FloatingPointUsable())
            difference = "the kernel left the MMX state set (no EMMS)";
        return difference;
    }

private:
    // x87 arithmetic right after the kernel: with the MMX state left set every register is
    // taken and the result is not a number.
    static bool FloatingPointUsable() {
        volatile double a = 1.5;
        const double r = a * 3.0 + 0.25;
        return r == 4.75;
    }

    std::string Compare(const Trial& t) {
        Random random(t.seed * 7919u + static_cast<std::uint32_t>(m_case.word));
        if (t.sprite && m_case.shape != Shape::Row && m_case.shape != Shape::RowOpacity) return "";
        switch (m_case.shape) {
            case Shape::Row:
            case Shape::RowOpacity:
                return Rows(t, random);
            case Shape::Stretch:
            case Shape::StretchOpacity:
                return Stretched(t, random);
            case Shape::Bilinear:
            case Shape::BilinearOpacity:
                return BilinearStretched(t, random);
            case Shape::Affine:
            case Shape::AffineOpacity:
                return Affine(t, random);
            case Shape::Crossfade:
                return Crossfades(t, random);
            case Shape::RuleTable:
                return RuleTables(random);
            case Shape::RuleLine:
            case Shape::RuleSwitch:
                return RuleLines(t, random);
            case Shape::LineDouble:
            case Shape::LineDoubleBackward:
                return LineDoubles(t, random);
            case Shape::AverageLines:
                return AveragedLines(t, random);
            case Shape::Value:
                return Values(t, random);
            case Shape::ColourOpacity:
                return Colours(t, random);
            case Shape::Sum16:
                return Sums<std::uint16_t, BoxSum16Kernel>(t, random);
            case Shape::Sum32:
                return Sums<std::uint32_t, BoxSum32Kernel>(t, random);
            case Shape::Average16:
                return Averages<std::uint16_t, BoxAverage16Kernel>(t, random, 255);
            case Shape::Average32:
                return Averages<std::uint32_t, BoxAverage32Kernel>(t, random, 0xFFFFFF);
            case Shape::Gamma:
                return Gammas(t, random);
            default:
                return "no checker for this shape";
        }
    }

    std::string Rows(const Trial& t, Random& random) {
        const int n = t.length;
        Buffer<Pixel> dstA(n, t.dstOffset), dstB(n, t.dstOffset), src(n, t.srcOffset);
        for (int i = 0; i < n + 16; ++i) {
            dstA.data[i] = dstB.data[i] = MixedPixel(random);
            src.data[i] = MixedPixel(random);
        }
        if (t.sprite) {
            testsupport::SpriteRowWriter writer(t.seed, {40, 40, 9});
            const std::vector<Pixel> sprite = writer.Row(n);
            std::copy(sprite.begin(), sprite.end(), src.data);
        }
        if (m_case.shape == Shape::Row) {
            As<RowKernel>(m_reference)(dstA.data, src.data, n);
            As<RowKernel>(m_kernel)(dstB.data, src.data, n);
        } else {
            const std::uint32_t op = OpacityFor(random, 255);
            As<RowKernelOpacity>(m_reference)(dstA.data, src.data, n, op);
            As<RowKernelOpacity>(m_kernel)(dstB.data, src.data, n, op);
        }
        return FirstDifference(dstA.data, dstB.data, n + 16);
    }

    // A 16.16 start and step that keep every sample (and its right neighbour) inside `size`.
    static void Walk(Random& random, int n, int size, std::int32_t& start, std::int32_t& step) {
        const std::int64_t limit = static_cast<std::int64_t>(size - 2) << 16;
        const std::int64_t from = random.Next() % limit, to = random.Next() % limit;
        start = static_cast<std::int32_t>(from);
        step = static_cast<std::int32_t>((to - from) / n);
        if (random.Below(4) == 0) step = static_cast<std::int32_t>(random.Next() % 0x20000);
        // Exactly one pixel, where the copies become block copies.
        if (random.Below(8) == 0) step = 0x10000;
        const std::int64_t last = from + static_cast<std::int64_t>(step) * (n - 1);
        if (last < 0 || last >= limit) step = 0;
    }

    std::string Stretched(const Trial& t, Random& random) {
        const int n = t.length, size = n / 2 + 8;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset), src(size, t.srcOffset);
        for (int i = 0; i < n + 16; ++i) a.data[i] = b.data[i] = MixedPixel(random);
        for (int i = 0; i < size; ++i) src.data[i] = MixedPixel(random);
        std::int32_t x, step;
        Walk(random, n, size, x, step);
        if (m_case.shape == Shape::Stretch) {
            As<StretchKernel>(m_reference)(a.data, n, src.data, x, step);
            As<StretchKernel>(m_kernel)(b.data, n, src.data, x, step);
        } else {
            const std::uint32_t op = OpacityFor(random, 255);
            As<StretchKernelOpacity>(m_reference)(a.data, n, src.data, x, step, op);
            As<StretchKernelOpacity>(m_kernel)(b.data, n, src.data, x, step, op);
        }
        return FirstDifference(a.data, b.data, n + 16);
    }

    std::string BilinearStretched(const Trial& t, Random& random) {
        const int n = t.length, size = n / 2 + 8;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset), row0(size, t.srcOffset), row1(size, 0);
        for (int i = 0; i < n + 16; ++i) a.data[i] = b.data[i] = MixedPixel(random);
        for (int i = 0; i < size; ++i) {
            row0.data[i] = MixedPixel(random);
            row1.data[i] = MixedPixel(random);
        }
        std::int32_t x, step;
        Walk(random, n, size, x, step);
        const std::uint32_t fy = MixedByte(random);
        if (m_case.shape == Shape::Bilinear) {
            As<BilinearStretchKernel>(m_reference)(a.data, n, row0.data, row1.data, fy, x, step);
            As<BilinearStretchKernel>(m_kernel)(b.data, n, row0.data, row1.data, fy, x, step);
        } else {
            const std::uint32_t op = OpacityFor(random, 255);
            As<BilinearStretchKernelOpacity>(m_reference)(a.data, n, row0.data, row1.data, fy, x,
                                                          step, op);
            As<BilinearStretchKernelOpacity>(m_kernel)(b.data, n, row0.data, row1.data, fy, x, step,
                                                       op);
        }
        return FirstDifference(a.data, b.data, n + 16);
    }

    std::string Affine(const Trial& t, Random& random) {
        const int n = t.length, width = 24, height = 20, pitch = width * 4 + 8;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset), src(pitch * height / 4, t.srcOffset);
        for (int i = 0; i < n + 16; ++i) a.data[i] = b.data[i] = MixedPixel(random);
        for (int i = 0; i < pitch * height / 4; ++i) src.data[i] = MixedPixel(random);
        std::int32_t u, du, v, dv;
        Walk(random, n, width, u, du);
        Walk(random, n, height, v, dv);
        if (m_case.shape == Shape::Affine) {
            As<AffineKernel>(m_reference)(a.data, n, src.data, u, v, du, dv, pitch);
            As<AffineKernel>(m_kernel)(b.data, n, src.data, u, v, du, dv, pitch);
        } else {
            const std::uint32_t op = OpacityFor(random, 255);
            As<AffineKernelOpacity>(m_reference)(a.data, n, src.data, u, v, du, dv, pitch, op);
            As<AffineKernelOpacity>(m_kernel)(b.data, n, src.data, u, v, du, dv, pitch, op);
        }
        return FirstDifference(a.data, b.data, n + 16);
    }

    std::string Crossfades(const Trial& t, Random& random) {
        const int n = t.length;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset), s1(n, t.srcOffset), s2(n, 3);
        for (int i = 0; i < n + 16; ++i) {
            a.data[i] = b.data[i] = MixedPixel(random);
            s1.data[i] = MixedPixel(random);
            s2.data[i] = MixedPixel(random);
        }
        const std::uint32_t ratio = random.Below(4) == 0 ? 256 : OpacityFor(random, 255) & 0xFF;
        As<CrossfadeKernel>(m_reference)(a.data, s1.data, s2.data, n, ratio);
        As<CrossfadeKernel>(m_kernel)(b.data, s1.data, s2.data, n, ratio);
        return FirstDifference(a.data, b.data, n + 16);
    }

    static void RulePhase(Random& random, std::int32_t& phase, std::int32_t& vague) {
        vague = random.Below(3) == 0 ? random.Below(3) : random.Below(600);
        phase = random.Below(256 + 2 * vague) - vague / 2;
    }

    // Any vague width a script may pass, with the threshold the rectangle operation forms from
    // it and a phase byte.
    static void ScriptRulePhase(Random& random, std::int32_t& phase, std::int32_t& vague) {
        vague = static_cast<std::int32_t>(random.Next());
        const std::int64_t threshold =
            (std::int64_t{1 + random.Below(254)} * (std::int64_t{vague} + 256)) >> 8;
        phase = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(threshold, INT32_MIN, INT32_MAX));
    }

    std::string RuleTables(Random& random) {
        std::int32_t phase, vague;
        if (random.Below(4) == 0)
            ScriptRulePhase(random, phase, vague);
        else
            RulePhase(random, phase, vague);
        std::int32_t a[256], b[256];
        for (int i = 0; i < 256; ++i) a[i] = b[i] = static_cast<std::int32_t>(random.Next());
        As<RuleTableKernel>(m_reference)(a, phase, vague);
        As<RuleTableKernel>(m_kernel)(b, phase, vague);
        std::string difference = FirstDifference(a, b, 256);
        if (!difference.empty())
            difference +=
                " (phase " + std::to_string(phase) + ", vague " + std::to_string(vague) + ")";
        return difference;
    }

    // The table comes from the form's own builder format; copyFirstFrom = phase and
    // copySecondBelow = phase - vague, as the rectangle operation passes them.
    std::string RuleLines(const Trial& t, Random& random) {
        const int n = t.length;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset), s1(n, t.srcOffset), s2(n, 1);
        Buffer<std::uint8_t> rule(n, t.srcOffset);
        for (int i = 0; i < n + 16; ++i) {
            a.data[i] = b.data[i] = MixedPixel(random);
            s1.data[i] = MixedPixel(random);
            s2.data[i] = MixedPixel(random);
            rule.data[i] = static_cast<std::uint8_t>(MixedByte(random));
        }
        std::int32_t phase, vague;
        RulePhase(random, phase, vague);
        std::int32_t table[256];
        ModelMmxRuleTable(table, phase, vague);
        if (m_case.shape == Shape::RuleLine) {
            As<RuleLineKernel>(m_reference)(a.data, s1.data, s2.data, rule.data, table, n);
            As<RuleLineKernel>(m_kernel)(b.data, s1.data, s2.data, rule.data, table, n);
        } else {
            As<RuleLineSwitchKernel>(m_reference)(a.data, s1.data, s2.data, rule.data, table, n,
                                                  phase, phase - vague);
            As<RuleLineSwitchKernel>(m_kernel)(b.data, s1.data, s2.data, rule.data, table, n, phase,
                                               phase - vague);
        }
        return FirstDifference(a.data, b.data, n + 16);
    }

    // The backward form walks its source toward lower addresses from the pointer it is given.
    std::string LineDoubles(const Trial& t, Random& random) {
        const int n = t.length, size = n / 2 + 2;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset), src(size, t.srcOffset);
        for (int i = 0; i < n + 16; ++i) a.data[i] = b.data[i] = MixedPixel(random);
        for (int i = 0; i < size; ++i) src.data[i] = MixedPixel(random);
        const Pixel* start = m_case.shape == Shape::LineDouble ? src.data : src.data + size - 1;
        As<LineDoubleKernel>(m_reference)(a.data, n, start);
        As<LineDoubleKernel>(m_kernel)(b.data, n, start);
        return FirstDifference(a.data, b.data, n + 16);
    }

    std::string AveragedLines(const Trial& t, Random& random) {
        const int n = t.length;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset), s1(n, t.srcOffset), s2(n, 2);
        for (int i = 0; i < n + 16; ++i) {
            a.data[i] = b.data[i] = MixedPixel(random);
            s1.data[i] = MixedPixel(random);
            s2.data[i] = MixedPixel(random);
        }
        As<AverageLinesKernel>(m_reference)(a.data, n, s1.data, s2.data);
        As<AverageLinesKernel>(m_kernel)(b.data, n, s1.data, s2.data);
        return FirstDifference(a.data, b.data, n + 16);
    }

    // Fills and the key colour: some pixels carry the key's colour bytes.
    std::string Values(const Trial& t, Random& random) {
        const int n = t.length;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset);
        std::uint32_t value = MixedPixel(random);
        if (random.Below(2)) value = (value & 0x00FFFFFF) | (random.Below(2) ? 0xFF000000 : 0);
        for (int i = 0; i < n + 16; ++i) {
            Pixel p = MixedPixel(random);
            if (random.Below(3) == 0) p = (value & 0x00FFFFFF) | (p & 0xFF000000);
            a.data[i] = b.data[i] = p;
        }
        As<ValueKernel>(m_reference)(a.data, n, value);
        As<ValueKernel>(m_kernel)(b.data, n, value);
        return FirstDifference(a.data, b.data, n + 16);
    }

    // The additive-alpha form takes opacities up to 254 only.
    std::string Colours(const Trial& t, Random& random) {
        const int n = t.length;
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset);
        for (int i = 0; i < n + 16; ++i) a.data[i] = b.data[i] = MixedPixel(random);
        const std::uint32_t colour = MixedPixel(random);
        const std::uint32_t op = OpacityFor(random, m_case.word == 107 ? 254 : 255);
        As<ColourOpacityKernel>(m_reference)(a.data, n, colour, op);
        As<ColourOpacityKernel>(m_kernel)(b.data, n, colour, op);
        return FirstDifference(a.data, b.data, n + 16);
    }

    // Column sums that stay within their 16-bit range while a line enters and one leaves.
    template <class Sum, class Kernel>
    std::string Sums(const Trial& t, Random& random) {
        const int n = t.length;
        Buffer<Pixel> in(n, t.srcOffset), out(n, t.dstOffset);
        Buffer<Sum> a(4 * n, 0), b(4 * n, 0);
        for (int i = 0; i < n + 16; ++i) {
            in.data[i] = MixedPixel(random);
            out.data[i] = MixedPixel(random);
        }
        for (int i = 0; i < 4 * n + 16; ++i)
            a.data[i] = b.data[i] = static_cast<Sum>(255 + random.Next() % (65025 - 510));
        As<Kernel>(m_reference)(a.data, in.data, out.data, n);
        As<Kernel>(m_kernel)(b.data, in.data, out.data, n);
        return FirstDifference(a.data, b.data, 4 * n + 16);
    }

    // A running sum that walks through valid box sums (at most 255 per pixel of the area).
    template <class Sum, class Kernel>
    std::string Averages(const Trial& t, Random& random, int maxArea) {
        const int n = t.length;
        static const int kAreas[] = {1, 3, 5, 9, 15, 25, 125, 127, 129, 225, 255};
        int area = kAreas[random.Below(sizeof kAreas / sizeof kAreas[0])];
        if (maxArea > 255 && random.Below(2)) area = 2 * random.Below(maxArea / 2) + 1;
        const std::uint32_t top = 255u * static_cast<std::uint32_t>(area);
        auto valid = [&] {
            const std::uint32_t v =
                random.Below(4) == 0 ? (random.Below(2) ? top : 0) : random.Next() % (top + 1);
            return v;
        };
        Sum runA[4], runB[4];
        Buffer<Sum> in(4 * n, 0), out(4 * n, 0);
        for (int c = 0; c < 4; ++c) runA[c] = runB[c] = static_cast<Sum>(valid());
        Sum current[4] = {runA[0], runA[1], runA[2], runA[3]};
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 4; ++c) {
                const Sum next = static_cast<Sum>(valid());
                const Sum leaving = static_cast<Sum>(random.Next() % 200);
                in.data[4 * i + c] = static_cast<Sum>(next - current[c] + leaving);
                out.data[4 * i + c] = leaving;
                current[c] = next;
            }
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset);
        for (int i = 0; i < n + 16; ++i) a.data[i] = b.data[i] = MixedPixel(random);
        As<Kernel>(m_reference)(a.data, runA, in.data, out.data, area, n);
        As<Kernel>(m_kernel)(b.data, runB, in.data, out.data, area, n);
        std::string difference = FirstDifference(a.data, b.data, n + 16);
        if (difference.empty()) difference = FirstDifference(runA, runB, 4);
        if (!difference.empty()) difference += " (area " + std::to_string(area) + ")";
        return difference;
    }

    std::string Gammas(const Trial& t, Random& random) {
        const int n = t.length;
        std::uint8_t table[768];
        for (std::uint8_t& entry : table) entry = static_cast<std::uint8_t>(MixedByte(random));
        Buffer<Pixel> a(n, t.dstOffset), b(n, t.dstOffset);
        for (int i = 0; i < n + 16; ++i) {
            Pixel p = MixedPixel(random);
            if (random.Below(6) == 0) p = 0;
            a.data[i] = b.data[i] = p;
        }
        As<GammaLineKernel>(m_reference)(a.data, n, table);
        As<GammaLineKernel>(m_kernel)(b.data, n, table);
        return FirstDifference(a.data, b.data, n + 16);
    }

    FormCase m_case;
    PixelOperation m_kernel;
    PixelOperation m_reference;
};

std::vector<FormCase> AllCases() {
    std::vector<FormCase> cases;
    auto add = [&](int first, int last, std::vector<KernelForm> forms, Shape shape) {
        for (int word = first; word <= last; ++word)
            for (KernelForm form : forms) cases.push_back(FormCase{word, form, shape});
    };
    // Layer modes: plain and hold-alpha forms take no opacity.
    for (int word = 171; word <= 234; ++word)
        cases.push_back(
            FormCase{word, kFormMmx, (word - 171) % 2 ? Shape::RowOpacity : Shape::Row});
    const std::vector<KernelForm> both = {kFormMmx, kFormMmxExt};
    add(27, 28, both, Shape::Row);
    add(29, 29, both, Shape::RowOpacity);
    add(31, 31, both, Shape::Row);
    add(36, 37, both, Shape::Row);
    add(38, 38, both, Shape::RowOpacity);
    add(40, 40, both, Shape::Row);
    add(77, 77, both, Shape::RowOpacity);
    add(44, 44, {kFormMmx}, Shape::Stretch);
    add(52, 52, {kFormMmx}, Shape::Stretch);
    add(53, 53, {kFormMmx}, Shape::Bilinear);
    add(56, 56, {kFormMmx}, Shape::BilinearOpacity);
    add(69, 69, {kFormMmx}, Shape::Affine);
    add(72, 72, {kFormMmx}, Shape::AffineOpacity);
    add(82, 82, {kFormMmx}, Shape::StretchOpacity);
    add(83, 83, {kFormMmx}, Shape::BilinearOpacity);
    add(88, 89, {kFormMmx}, Shape::AffineOpacity);
    add(93, 93, both, Shape::Crossfade);
    add(96, 96, {kFormMmx}, Shape::RuleTable);
    add(99, 99, both, Shape::RuleLine);
    add(100, 100, both, Shape::RuleSwitch);
    add(137, 137, {kFormMmx}, Shape::Stretch);
    add(138, 138, {kFormMmx}, Shape::Bilinear);
    add(139, 139, {kFormMmx}, Shape::LineDouble);
    add(140, 140, {kFormMmx}, Shape::LineDoubleBackward);
    add(141, 141, {kFormMmx}, Shape::AverageLines);
    add(143, 144, {kFormMmx}, Shape::Affine);
    add(105, 107, {kFormMmx}, Shape::ColourOpacity);
    add(146, 146, {kFormCmov}, Shape::Value);
    add(150, 150, {kFormMmx, kFormSse}, Shape::Value);
    add(151, 151, {kFormSse}, Shape::Value);
    add(152, 152, {kFormMmx}, Shape::Value);
    add(154, 155, both, Shape::Sum16);
    add(156, 157, both, Shape::Sum32);
    add(158, 159, {kFormMmx, kFormMmxExt, kFormSse}, Shape::Average16);
    add(160, 161, both, Shape::Average32);
    add(170, 170, {kFormMmx}, Shape::Gamma);
    add(109, 110, {kFormMmx}, Shape::Row);
    add(111, 112, {kFormMmx}, Shape::RowOpacity);
    add(113, 114, {kFormMmx}, Shape::Row);
    add(115, 116, {kFormMmx}, Shape::RowOpacity);
    add(117, 118, {kFormMmx}, Shape::Row);
    add(119, 120, {kFormMmx}, Shape::RowOpacity);
    add(125, 126, {kFormMmx}, Shape::Row);
    add(129, 130, {kFormMmx}, Shape::Row);
    add(133, 134, {kFormMmx}, Shape::Row);
    add(135, 136, {kFormMmx}, Shape::RowOpacity);
    return cases;
}

}  // namespace

TEST(SimdForms, TheTableCoversEveryFormTheSelectionCanInstall) {
    const std::vector<FormCase> cases = AllCases();
    const std::uint32_t mmx = kCpuMmx, ext = kCpuMmxExt, sse = kCpuSse, cmov = kCpuCmov;
    for (std::uint32_t flags : {mmx, mmx | ext, mmx | ext | sse, cmov}) {
        KernelChoice plan[kKernelSlotCount];
        PlanKernelForms(flags, plan);
        for (int i = 0; i < kKernelSlotCount; ++i) {
            if (plan[i].form == kFormPortable) continue;
            const int word = kFirstKernelWord + i;
            const bool covered = std::any_of(cases.begin(), cases.end(), [&](const FormCase& c) {
                return c.word == word && c.form == plan[i].form;
            });
            EXPECT_TRUE(covered) << "word " << word << " in its " << FormName(plan[i].form)
                                 << " form";
        }
    }
}

TEST(SimdForms, EveryFormMatchesItsPortableKernelOrDocumentedRule) {
    const std::vector<Trial> trials = Trials();
    for (KernelForm form : {kFormMmx, kFormMmxExt, kFormSse, kFormCmov}) {
        if (!HardwareHas(form)) {
            std::printf("this processor lacks the %s instructions: forms not run\n",
                        FormName(form));
            continue;
        }
        LibraryPtr library = LibraryFor(form);
        ASSERT_NE(nullptr, library);
        for (const FormCase& c : AllCases()) {
            if (c.form != form) continue;
            const PixelOperation kernel = library->Word(c.word);
            SCOPED_TRACE(::testing::Message() << "word " << c.word << ", " << FormName(form));
            ASSERT_NE(kPortableKernels[c.word - kFirstKernelWord], kernel);
            PixelOperation reference = SimdModel(c.word, form);
            if (!reference) reference = kPortableKernels[c.word - kFirstKernelWord];
            Checker checker(c, kernel, reference);
            for (const Trial& t : trials) {
                const std::string difference = checker.Run(t);
                if (!difference.empty()) {
                    ADD_FAILURE() << (t.sprite ? "sprite row, " : "") << "length " << t.length
                                  << ", offsets " << t.dstOffset << "/" << t.srcOffset << ": "
                                  << difference;
                    break;
                }
            }
        }
    }
}

namespace {

// A row of pixels 8-byte aligned (or 4 past it), so that pairing is known.
struct Row {
    alignas(8) Pixel storage[16];
    Pixel* data;
    explicit Row(std::initializer_list<Pixel> pixels, bool odd = false)
        : storage{}, data(storage + (odd ? 1 : 0)) {
        std::copy(pixels.begin(), pixels.end(), data);
    }
    std::vector<Pixel> Take(int n) const { return std::vector<Pixel>(data, data + n); }
};

struct NamedCase {
    const char* name;
    int word;
    KernelForm form;
    std::function<std::vector<Pixel>(PixelOperation)> run;
    std::vector<Pixel> expected;
};

std::vector<Pixel> PlainRow(PixelOperation k, std::initializer_list<Pixel> d,
                            std::initializer_list<Pixel> s) {
    Row dst(d), src(s);
    As<RowKernel>(k)(dst.data, src.data, static_cast<std::int32_t>(d.size()));
    return dst.Take(static_cast<int>(d.size()));
}
std::vector<Pixel> OpacityRow(PixelOperation k, std::initializer_list<Pixel> d,
                              std::initializer_list<Pixel> s, std::uint32_t op) {
    Row dst(d), src(s);
    As<RowKernelOpacity>(k)(dst.data, src.data, static_cast<std::int32_t>(d.size()), op);
    return dst.Take(static_cast<int>(d.size()));
}
// One bilinear stretched pixel over a zero destination, sampled where every neighbour is
// `colour` (so the sample is `colour` whatever the fractions).
std::vector<Pixel> BilinearOpacityRow(PixelOperation k, Pixel colour, std::uint32_t op) {
    const Pixel row0[2] = {colour, colour}, row1[2] = {colour, colour};
    Pixel dst = 0;
    As<BilinearStretchKernelOpacity>(k)(&dst, 1, row0, row1, 0x80, 0x8000, 0x10000, op);
    return {dst};
}
// The 16-bit average of one pixel from a running sum, and the running sum afterwards.
std::vector<Pixel> Average16Of(PixelOperation k, std::uint16_t sum, std::uint16_t alphaSum,
                               std::int32_t area, std::int32_t count) {
    std::uint16_t running[4] = {sum, sum, sum, alphaSum};
    const std::uint16_t in[4] = {5, 5, 5, 5}, out[4] = {2, 2, 2, 2};
    Pixel dst = 0xDEADBEEF;
    As<BoxAverage16Kernel>(k)(&dst, running, in, out, area, count);
    return {dst, static_cast<Pixel>(running[0]), static_cast<Pixel>(running[3])};
}
std::vector<Pixel> Average32Of(PixelOperation k, std::uint32_t sum, std::int32_t area) {
    std::uint32_t running[4] = {sum, sum, sum, sum};
    const std::uint32_t in[4] = {}, out[4] = {};
    Pixel dst = 0;
    As<BoxAverage32Kernel>(k)(&dst, running, in, out, area, 1);
    return {dst};
}

std::vector<NamedCase> NamedCases() {
    const Pixel white = 0xFFFFFFFF, black = 0xFF000000;
    return {
        // Layer modes: half the source alpha as weight, alpha as a fourth lane.
        {"layer normal: opaque white over transparent black",
         171,
         kFormMmx,
         [=](PixelOperation k) { return PlainRow(k, {0}, {white}); },
         {0xFDFDFDFD}},
        {"layer normal: opaque black over opaque white",
         171,
         kFormMmx,
         [=](PixelOperation k) { return PlainRow(k, {white}, {black}); },
         {0xFF010101}},
        {"layer normal, opacity 255",
         172,
         kFormMmx,
         [=](PixelOperation k) { return OpacityRow(k, {0}, {white}, 255); },
         {0xFBFBFBFB}},
        {"layer normal, source alpha 254",
         171,
         kFormMmx,
         [=](PixelOperation k) { return PlainRow(k, {0}, {0xFEFFFFFF}); },
         {0xFCFDFDFD}},
        {"layer overlay saturates 257 back to 255",
         191,
         kFormMmx,
         [=](PixelOperation k) { return PlainRow(k, {white}, {white}); },
         {white}},
        {"layer difference pre-alpha",
         227,
         kFormMmx,
         [=](PixelOperation k) { return PlainRow(k, {0x80102030}, {0xFF808080}); },
         {0x7D6F5F4F}},
        // Transitions.
        {"rule switch: a pair at or above copyFirstFrom is copied",
         100,
         kFormMmx,
         [=](PixelOperation k) {
             std::int32_t table[256];
             ModelMmxRuleTable(table, 200, 190);
             Row dst({0, 0}), a({0x11223344, 0x55667788}), b({white, white});
             const std::uint8_t rule[2] = {200, 255};
             As<RuleLineSwitchKernel>(k)(dst.data, a.data, b.data, rule, table, 2, 200, 10);
             return dst.Take(2);
         },
         {0x11223344, 0x55667788}},
        {"rule switch: a mixed pair is blended",
         100,
         kFormMmx,
         [=](PixelOperation k) {
             std::int32_t table[256];
             ModelMmxRuleTable(table, 200, 190);
             Row dst({0, 0}), a({white, white}), b({0, 0x11223344});
             const std::uint8_t rule[2] = {255, 0};
             As<RuleLineSwitchKernel>(k)(dst.data, a.data, b.data, rule, table, 2, 200, 10);
             return dst.Take(2);
         },
         {0xFEFEFEFE, 0x11223344}},
        {"crossfade interpolates alpha",
         93,
         kFormMmx,
         [=](PixelOperation k) {
             Row dst({0}), a({0x00000000}), b({0xFF000000});
             As<CrossfadeKernel>(k)(dst.data, a.data, b.data, 1, 128);
             return dst.Take(1);
         },
         {0x7F000000}},
        // Unstretched blends: pairs and singles.
        {"alpha blend: a mixed pair blends its opaque pixel, singles copy",
         27,
         kFormMmx,
         [=](PixelOperation k) {
             return PlainRow(k, {0, 0, 0, 0, 0, 0},
                             {white, 0x64FFFFFF, white, white, white, white});
         },
         {0xFEFEFEFE, 0x27636363, white, white, white, white}},
        {"alpha blend: three pixels are all singles",
         27,
         kFormMmx,
         [=](PixelOperation k) {
             return PlainRow(k, {0, 0, 0}, {white, 0, white});
         },
         {white, 0, white}},
        // Column 0 of T_weight is 255: over alpha 0 the colour moves nearly all the way.
        {"onto alpha: transparent over transparent, paired and alone",
         31,
         kFormMmx,
         [=](PixelOperation k) {
             return PlainRow(k, {0, 0, 0}, {0x00102030, 0x80FFFFFF, 0});
         },
         {0x010F1F2F, 0x81FEFEFE, 0}},
        {"opacity: a single pixel's weight includes its colour bytes",
         29,
         kFormMmx,
         [=](PixelOperation k) { return OpacityRow(k, {white}, {0x01500000}, 200); },
         {0xFEFEFEFE}},
        {"opacity: the same pixel in a pair has weight 0",
         29,
         kFormMmx,
         [=](PixelOperation k) {
             return OpacityRow(k, {white, white, white, white}, {0x01500000, 0x01500000, 0, 0},
                               200);
         },
         {white, white, white, white}},
        {"additive: a zero source leaves an opaque white pixel",
         36,
         kFormMmx,
         [=](PixelOperation k) { return PlainRow(k, {white}, {0}); },
         {white}},
        {"additive with opacity 255 adds the source unscaled",
         38,
         kFormMmx,
         [=](PixelOperation k) { return OpacityRow(k, {0}, {0x80402010}, 255); },
         {0x80402010}},
        // Resampling.
        {"bilinear affine: the horizontal fraction unwidened",
         144,
         kFormMmx,
         [=](PixelOperation k) {
             const Pixel src[4] = {black, white, black, white};
             Pixel dst = 0;
             As<AffineKernel>(k)(&dst, 1, src, 0x8000, 0, 0, 0, 8);
             return std::vector<Pixel>{dst};
         },
         {0xFF7F7F7F}},
        {"line doubling to four pixels",
         139,
         kFormMmx,
         [=](PixelOperation k) {
             const Pixel src[3] = {0x00000000, 0x02020202, 0x04040404};
             Pixel dst[4] = {};
             As<LineDoubleKernel>(k)(dst, 4, src);
             return std::vector<Pixel>(dst, dst + 4);
         },
         {0x00000000, 0x01010101, 0x02020202, 0x02020202}},
        // Word 83: the portable kernel blends by the opacity as given, the MMX form by the
        // widened opacity, so at 255 only the MMX form reaches the sample.
        {"bilinear stretched constant alpha at 255: portable stops one step short",
         83,
         kFormPortable,
         [=](PixelOperation k) { return BilinearOpacityRow(k, white, 255); },
         {0xFEFEFEFE}},
        {"bilinear stretched constant alpha at 255: MMX reaches the sample",
         83,
         kFormMmx,
         [=](PixelOperation k) { return BilinearOpacityRow(k, white, 255); },
         {white}},
        {"bilinear stretched constant alpha at 128: MMX weighs 129",
         83,
         kFormMmx,
         [=](PixelOperation k) { return BilinearOpacityRow(k, white, 128); },
         {0x80808080}},
        {"bilinear stretched constant alpha at 128: portable weighs 128",
         83,
         kFormPortable,
         [=](PixelOperation k) { return BilinearOpacityRow(k, white, 128); },
         {0x7F7F7F7F}},
        {"stretched constant alpha interpolates alpha",
         82,
         kFormMmx,
         [=](PixelOperation k) {
             const Pixel src[1] = {0x00000000};
             Pixel dst = 0xFF000000;
             As<StretchKernelOpacity>(k)(&dst, 1, src, 0, 0x10000, 128);
             return std::vector<Pixel>{dst};
         },
         {0x7F000000}},
        // Arithmetic.
        {"screen of two transparent pixels gives alpha 1",
         133,
         kFormMmx,
         [=](PixelOperation k) { return PlainRow(k, {0}, {0}); },
         {0x01010101}},
        {"multiply hold alpha keeps the alpha under a transparent source",
         118,
         kFormMmx,
         [=](PixelOperation k) { return PlainRow(k, {0x7FFFFFFF}, {0x00FFFFFF}); },
         {0x7FFEFEFE}},
        {"subtract: white leaves, black clears the alpha too",
         113,
         kFormMmx,
         [=](PixelOperation k) {
             return PlainRow(k, {0x80402010, 0x80402010}, {white, 0});
         },
         {0x80402010, 0}},
        // Fills, colours, key colour, gamma.
        {"key colour ignores the key's top byte",
         146,
         kFormCmov,
         [=](PixelOperation k) {
             Row row({0x1200FF00, 0x1200FF01});
             As<ValueKernel>(k)(row.data, 2, 0xFF00FF00);
             return row.Take(2);
         },
         {0x0000FF00, 0xFF00FF01}},
        {"colour onto alpha takes its alpha from the table",
         106,
         kFormMmx,
         [=](PixelOperation k) {
             Row row({0});
             As<ColourOpacityKernel>(k)(row.data, 1, 0xFFFFFF, 128);
             return row.Take(1);
         },
         {0x80FEFEFE}},
        {"additive gamma leaves the colour of alpha 0",
         170,
         kFormMmx,
         [=](PixelOperation k) {
             std::uint8_t table[768];
             for (int i = 0; i < 768; ++i) table[i] = static_cast<std::uint8_t>(255 - i % 256);
             Row row({0x00102030});
             As<GammaLineKernel>(k)(row.data, 1, table);
             return row.Take(1);
         },
         {0x00102030}},
        {"fill 20 pixels from 4 bytes past a 64-byte boundary", 150, kFormSse,
         [=](PixelOperation k) {
             alignas(64) Pixel row[32] = {};
             As<ValueKernel>(k)(row + 1, 20, 0x12345678);
             return std::vector<Pixel>(row, row + 22);
         },
         [] {
             std::vector<Pixel> v(22, 0x12345678);
             v.front() = v.back() = 0;
             return v;
         }()},
        {"large fill of a row wide enough to stream, from 4 bytes past a 64-byte boundary", 151,
         kFormSse,
         [=](PixelOperation k) {
             std::vector<Pixel> row(1200 + 16, 0);
             Pixel* start = reinterpret_cast<Pixel*>(
                 (reinterpret_cast<std::uintptr_t>(row.data()) + 63) & ~std::uintptr_t{63});
             As<ValueKernel>(k)(start + 1, 1100, 0x12345678);
             return std::vector<Pixel>(start, start + 1102);
         },
         [] {
             std::vector<Pixel> v(1102, 0x12345678);
             v.front() = v.back() = 0;
             return v;
         }()},
        // Box blur.
        {"16-bit average of area 3",
         158,
         kFormMmx,
         [=](PixelOperation k) { return Average16Of(k, 765, 765, 3, 1); },
         {white, 768, 768}},
        {"16-bit average of area 3, SSE",
         158,
         kFormSse,
         [=](PixelOperation k) { return Average16Of(k, 765, 765, 3, 1); },
         {white, 768, 768}},
        {"with alpha: alpha average 0 gives colour 0",
         159,
         kFormSse,
         [=](PixelOperation k) { return Average16Of(k, 40, 0, 9, 1); },
         {0, 43, 3}},
        {"length 0 leaves the running sum",
         158,
         kFormMmxExt,
         [=](PixelOperation k) { return Average16Of(k, 765, 765, 3, 0); },
         {0xDEADBEEF, 765, 765}},
        {"32-bit reciprocal falls one short",
         160,
         kFormMmx,
         [=](PixelOperation k) { return Average32Of(k, 1502, 1001); },
         {0x01010101}},
        {"area 1 averages to the sum (16-bit, MMX)",
         158,
         kFormMmx,
         [=](PixelOperation k) { return Average16Of(k, 200, 201, 1, 1); },
         {0xC9C8C8C8, 203, 204}},
        {"area 1 averages to the sum (16-bit, SSE)",
         159,
         kFormSse,
         [=](PixelOperation k) { return Average16Of(k, 200, 201, 1, 1); },
         {0xC9FDFDFD, 203, 204}},
        {"area 1 averages to the sum (32-bit)",
         161,
         kFormMmxExt,
         [=](PixelOperation k) { return Average32Of(k, 77, 1); },
         {0x4DFFFFFF}},
    };
}

}  // namespace

TEST(SimdForms, DocumentedCases) {
    for (const NamedCase& c : NamedCases()) {
        if (!HardwareHas(c.form)) continue;
        LibraryPtr library = LibraryFor(c.form);
        ASSERT_NE(nullptr, library);
        EXPECT_EQ(c.expected, c.run(library->Word(c.word))) << c.name;
    }
}

namespace {

// Rows of 4-byte-offset-known pixels through both blend forms: the blends take two pairs per
// step, and the pairing must stay that of one pair per step (an opaque pixel beside a
// non-opaque one is blended by 255, not copied).
struct PairRuleCase {
    const char* name;
    int word;
    bool odd;  // dst 4 bytes past an 8-byte boundary
    std::vector<Pixel> dst, src, expected;
};

std::vector<PairRuleCase> PairRuleCases() {
    const Pixel W = 0xFFFFFFFF, H = 0x64FFFFFF, B = 0xFF000000;
    // Over 0: white by 255 gives FE; alpha-100 white gives colour 99, alpha 39.
    const Pixel W255 = 0xFEFEFEFE, H100 = 0x27636363;
    // Opaque black added over white: 255 - 254 + 0 in each colour byte.
    const Pixel BOverW = 0xFF010101;
    const std::vector<Pixel> zero12(12, 0);
    return {
        {"alpha blend: an opaque pair copied beside a mixed one in the same step", 27, false,
         zero12, {W, W, W, H, H, H, W, W, W, W, W, W},
         {W, W, W255, H100, H100, H100, W, W, W, W, W, W}},
        {"alpha blend: after the aligning single pixel, a whole opaque step and a mixed one",
         27, true, zero12, {H, W, W, W, W, W, H, W, W, W, W, W},
         {H100, W, W, W, W, W255, H100, W, W, W, W, W}},
        {"alpha blend: the pair after the last four-pixel step", 27, false,
         std::vector<Pixel>(9, 0), {W, W, W, W, H, W, W, H, W},
         {W, W, W, W, H100, W255, W, H100, W}},
        {"additive: an opaque pair copied, a zero word beside an opaque one added", 36, false,
         std::vector<Pixel>(8, W), {B, B, 0, B, B, B, B, 0},
         {B, B, W, BOverW, B, B, BOverW, W}},
        {"additive onto additive alpha: the same pairing", 40, false,
         std::vector<Pixel>(8, W), {B, 0, B, B, 0, 0, B, B},
         {BOverW, W, B, B, W, W, BOverW, BOverW}},
    };
}

}  // namespace

TEST(SimdForms, TwoPairStepsKeepThePairRule) {
    for (KernelForm form : {kFormMmx, kFormMmxExt}) {
        if (!HardwareHas(form)) continue;
        LibraryPtr library = LibraryFor(form);
        ASSERT_NE(nullptr, library);
        for (const PairRuleCase& c : PairRuleCases()) {
            alignas(8) Pixel dst[16] = {};
            Pixel* row = dst + (c.odd ? 1 : 0);
            std::copy(c.dst.begin(), c.dst.end(), row);
            const auto n = static_cast<std::int32_t>(c.src.size());
            As<RowKernel>(library->Word(c.word))(row, c.src.data(), n);
            EXPECT_EQ(c.expected, std::vector<Pixel>(row, row + n))
                << c.name << " (" << FormName(form) << ")";
        }
    }
}
