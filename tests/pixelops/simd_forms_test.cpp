// Every processor form, forced through a crafted processor record, against its portable kernel
// or, where its documented rule differs, against a scalar model of that rule: random rows of
// lengths 1 to 37 and 1000 from corner and random bytes, at unaligned starts.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/cpu_info.h"
#include "pixelops/cpu_features.h"
#include "pixelops/kernel_dispatch.h"
#include "pixelops/library_object.h"
#include "pixelops/simd_selection.h"
#include "tests/pixelops/kernel_reference.h"
#include "tests/pixelops/simd_models.h"

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

// What the processor must offer for a form, and the record that forces it.
bool HardwareHas(KernelForm form) {
    static const std::uint32_t flags = [] {
        HardwareProcessorProbe probe;
        ProcessorIdentity identity{};
        return DetectCpuFeatures(probe, identity) ? identity.features : 0u;
    }();
    switch (form) {
    case kFormMmx: return (flags & kCpuMmx) != 0;
    case kFormMmxExt: return (flags & kCpuMmx) && (flags & kCpuMmxExt);
    case kFormSse: return (flags & kCpuMmx) && (flags & kCpuMmxExt) && (flags & kCpuSse);
    case kFormCmov: return (flags & kCpuCmov) != 0;
    default: return true;
    }
}

CpuInfoRecord RecordFor(KernelForm form) {
    CpuInfoRecord record = {};
    record.fpu = 1;
    if (form == kFormMmx || form == kFormMmxExt || form == kFormSse) record.mmx = 1;
    if (form == kFormMmxExt || form == kFormSse) record.mmxExt = 1;
    if (form == kFormSse) record.sse = 1;
    if (form == kFormCmov) record.cmov = 1;
    return record;
}

struct LibraryDeleter {
    void operator()(PixelOpLibrary* library) const { PixelOpLibraryDelete(library); }
};
using LibraryPtr = std::unique_ptr<PixelOpLibrary, LibraryDeleter>;

// A library object whose kernels were chosen for exactly `form`.
LibraryPtr LibraryFor(KernelForm form) {
    CpuFeatureFlags = 0;
    const CpuInfoRecord record = RecordFor(form);
    HardwareProcessorProbe probe;
    return LibraryPtr(CreatePixelOpLibrary(&record, probe));
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
};

std::vector<Trial> Trials() {
    std::vector<Trial> trials;
    std::uint32_t seed = 1;
    for (int n : Lengths())
        for (int offsets = 0; offsets < 4; ++offsets)
            trials.push_back(Trial{n, offsets, (offsets * 3 + n) % 4, seed++});
    return trials;
}

std::uint32_t OpacityFor(Random& random, std::uint32_t limit) {
    const std::uint32_t v = random.Below(3) ? static_cast<std::uint32_t>(kCorners[random.Below(6)])
                                            : random.Next() & 0xFF;
    return v > limit ? limit : v;
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
        Random random(t.seed * 7919u + static_cast<std::uint32_t>(m_case.word));
        switch (m_case.shape) {
        case Shape::Row:
        case Shape::RowOpacity: return Rows(t, random);
        default: return "no checker for this shape";
        }
    }

private:
    std::string Rows(const Trial& t, Random& random) {
        const int n = t.length;
        Buffer<Pixel> dstA(n, t.dstOffset), dstB(n, t.dstOffset), src(n, t.srcOffset);
        for (int i = 0; i < n + 16; ++i) {
            dstA.data[i] = dstB.data[i] = MixedPixel(random);
            src.data[i] = MixedPixel(random);
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
        cases.push_back(FormCase{word, kFormMmx, (word - 171) % 2 ? Shape::RowOpacity : Shape::Row});
    const std::vector<KernelForm> both = {kFormMmx, kFormMmxExt};
    add(27, 28, both, Shape::Row);
    add(29, 29, both, Shape::RowOpacity);
    add(31, 31, both, Shape::Row);
    add(36, 37, both, Shape::Row);
    add(38, 38, both, Shape::RowOpacity);
    add(40, 40, both, Shape::Row);
    add(77, 77, both, Shape::RowOpacity);
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

TEST(SimdForms, EveryFormMatchesItsPortableKernelOrDocumentedRule) {
    const std::vector<Trial> trials = Trials();
    for (KernelForm form : {kFormMmx, kFormMmxExt, kFormSse, kFormCmov}) {
        if (!HardwareHas(form)) {
            ADD_FAILURE() << "this processor lacks the " << FormName(form) << " form's instructions";
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
                    ADD_FAILURE() << "length " << t.length << ", offsets " << t.dstOffset << "/"
                                  << t.srcOffset << ": " << difference;
                    break;
                }
            }
        }
    }
}
