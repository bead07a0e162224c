// The processor-specific kernel forms, each group compiled with only the instruction set it
// needs. Every group lists its kernels by word and form; SimdKernel looks them up.
#pragma once

#include <cstdint>

#include "pixelops/interfaces/pixel_op_library.h"
#include "pixelops/library/simd_selection.h"

namespace pixelops {

struct SimdKernelEntry {
    std::int16_t word;
    KernelForm form;
    PixelOperation kernel;
};

struct SimdKernelGroup {
    const SimdKernelEntry* entries;
    int count;
};

template <class Kernel>
inline SimdKernelEntry Entry(int word, KernelForm form, Kernel kernel) {
    return SimdKernelEntry{static_cast<std::int16_t>(word), form,
                           reinterpret_cast<PixelOperation>(kernel)};
}

SimdKernelGroup LayerModeMmxKernels();
SimdKernelGroup ArithmeticMmxKernels();
SimdKernelGroup BlendMmxKernels();
SimdKernelGroup TransitionMmxKernels();
SimdKernelGroup ResampleMmxKernels();
SimdKernelGroup FillGammaMmxKernels();
SimdKernelGroup BoxBlurMmxKernels();
SimdKernelGroup SseKernels();
SimdKernelGroup CmovKernels();

}  // namespace pixelops
