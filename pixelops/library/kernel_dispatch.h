// The process-wide kernel slots: one pointer per row-kernel word (27-234), in word order.
//
// Rectangle operations call row kernels only through these pointers; each new library object
// receives a copy of them in its words 27-234.
#pragma once

#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {

extern PixelOperation KernelDispatch[kKernelSlotCount];

// The portable kernel of every slot (slot 98 shares 97's builder, slot 151 150's fill).
extern const PixelOperation kPortableKernels[kKernelSlotCount];

inline PixelOperation& KernelSlot(int word) {
    return KernelDispatch[word - kFirstKernelWord];
}

// Points every slot at its portable kernel and builds the shared tables.
void InitPortableKernels();

}  // namespace pixelops
