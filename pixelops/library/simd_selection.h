// The processor-dependent choice of kernel forms.
//
// The choice depends on CpuFeatureFlags alone and is made once per library object, after every
// slot has been pointed at its portable kernel: MMX forms need MMX, MMX-ext forms MMX and
// MMX-ext, the SSE box-blur averages SSE, MMX-ext and MMX, the SSE fills SSE alone, the CMOV key
// kernel CMOV alone; a more capable applicable form wins.
#pragma once

#include <cstdint>

#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {

enum KernelForm : std::uint8_t {
    kFormPortable = 0,
    kFormMmx,
    kFormMmxExt,
    kFormSse,
    kFormCmov,
};

// The form a slot takes, and the slot whose kernel of that form serves it (slots 112 and 116
// use the MMX forms of 111 and 115).
struct KernelChoice {
    KernelForm form;
    std::int16_t sourceWord;
};

// The choice for every slot (index = word - 27) under `flags`.
void PlanKernelForms(std::uint32_t flags, KernelChoice plan[kKernelSlotCount]);

// The processor-specific kernel of `form` for `word`, or null when this build carries none.
PixelOperation SimdKernel(int word, KernelForm form);

// Replaces slots by the forms PlanKernelForms picks for CpuFeatureFlags.
void SelectSimdKernels();

}  // namespace pixelops
