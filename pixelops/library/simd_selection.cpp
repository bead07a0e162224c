#include "pixelops/library/simd_selection.h"

#include <initializer_list>

#include "pixelops/library/cpu_features.h"
#include "pixelops/library/kernel_dispatch.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

enum FormMask : std::uint8_t {
    kHasMmx = 1,
    kHasMmxExt = 2,
    kHasSse = 4,
    kHasCmov = 8,
};

struct FormRange {
    std::int16_t first;
    std::int16_t last;
    std::uint8_t forms;
};

// The slots that have processor-specific forms; every other slot stays portable.
constexpr FormRange kForms[] = {
    {27, 29, kHasMmx | kHasMmxExt},
    {31, 31, kHasMmx | kHasMmxExt},
    {36, 38, kHasMmx | kHasMmxExt},
    {40, 40, kHasMmx | kHasMmxExt},
    {44, 44, kHasMmx},
    {52, 53, kHasMmx},
    {56, 56, kHasMmx},
    {69, 69, kHasMmx},
    {72, 72, kHasMmx},
    {77, 77, kHasMmx | kHasMmxExt},
    {82, 83, kHasMmx},
    {88, 89, kHasMmx},
    {93, 93, kHasMmx | kHasMmxExt},
    {96, 96, kHasMmx},
    {99, 100, kHasMmx | kHasMmxExt},
    {105, 107, kHasMmx},
    {109, 120, kHasMmx},
    {125, 126, kHasMmx},
    {129, 130, kHasMmx},
    {133, 141, kHasMmx},
    {143, 144, kHasMmx},
    {146, 146, kHasCmov},
    {150, 150, kHasMmx | kHasSse},
    {151, 151, kHasSse},
    {152, 152, kHasMmx},
    {154, 157, kHasMmx | kHasMmxExt},
    {158, 159, kHasMmx | kHasMmxExt | kHasSse},
    {160, 161, kHasMmx | kHasMmxExt},
    {170, 170, kHasMmx},
    {171, 234, kHasMmx},
};

}  // namespace

void PlanKernelForms(std::uint32_t flags, KernelChoice plan[kKernelSlotCount]) {
    const bool mmx = (flags & kCpuMmx) != 0;
    const bool mmxExt = mmx && (flags & kCpuMmxExt) != 0;
    const bool sse = (flags & kCpuSse) != 0;
    const bool cmov = (flags & kCpuCmov) != 0;
    for (int i = 0; i < kKernelSlotCount; ++i)
        plan[i] = KernelChoice{kFormPortable, static_cast<std::int16_t>(kFirstKernelWord + i)};
    for (const FormRange& range : kForms) {
        for (int word = range.first; word <= range.last; ++word) {
            KernelChoice& choice = plan[word - kFirstKernelWord];
            if (mmx && (range.forms & kHasMmx)) choice.form = kFormMmx;
            if (mmxExt && (range.forms & kHasMmxExt)) choice.form = kFormMmxExt;
            // The fills need SSE alone; the box-blur averages build on the MMX-ext forms.
            const bool sseApplies =
                (range.forms & kHasMmx) && (range.forms & kHasMmxExt) ? sse && mmxExt : sse;
            if ((range.forms & kHasSse) && sseApplies) choice.form = kFormSse;
            if (cmov && (range.forms & kHasCmov)) choice.form = kFormCmov;
        }
    }
    // The hold-alpha opacity add and subtract share the MMX form of their opacity neighbour.
    for (int word : {112, 116}) {
        KernelChoice& choice = plan[word - kFirstKernelWord];
        if (choice.form == kFormMmx) choice.sourceWord = static_cast<std::int16_t>(word - 1);
    }
}

PixelOperation SimdKernel(int word, KernelForm form) {
    static const SimdKernelGroup groups[] = {
        LayerModeMmxKernels(),
        ArithmeticMmxKernels(),
        BlendMmxKernels(),
        FillGammaMmxKernels(),
        BoxBlurMmxKernels(),
        TransitionMmxKernels(),
        ResampleMmxKernels(),
        SseKernels(),
        CmovKernels(),
    };
    for (const SimdKernelGroup& group : groups)
        for (int i = 0; i < group.count; ++i)
            if (group.entries[i].word == word && group.entries[i].form == form)
                return group.entries[i].kernel;
    return nullptr;
}

void SelectSimdKernels() {
    KernelChoice plan[kKernelSlotCount];
    PlanKernelForms(CpuFeatureFlags, plan);
    for (int i = 0; i < kKernelSlotCount; ++i) {
        if (plan[i].form == kFormPortable) continue;
        if (PixelOperation kernel = SimdKernel(plan[i].sourceWord, plan[i].form))
            KernelDispatch[i] = kernel;
    }
}

}  // namespace pixelops
