// The CMOV form of the key-colour kernel (word 146): the transparent or opaque result is
// picked with a conditional move, so the loop has no data-dependent branch.
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

// Matching ignores the key's top byte: a pixel whose colour equals the key's colour bytes
// becomes transparent, every other pixel opaque.
void QMXGL_CALL KeyColorToAlphaLineCmov(Pixel* row, std::int32_t count, std::uint32_t key) {
    const std::uint32_t k = (key & 0x00FFFFFF) | 0xFF000000;
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t colour = row[i] & 0x00FFFFFF;
        std::uint32_t opaque = colour | 0xFF000000;
        __asm__(
            "cmpl %2, %1\n\t"
            "cmovne %1, %0"
            : "+r"(colour)
            : "r"(opaque), "r"(k)
            : "cc");
        row[i] = colour;
    }
}

}  // namespace

SimdKernelGroup CmovKernels() {
    static const SimdKernelEntry entries[] = {
        Entry(146, kFormCmov, &KeyColorToAlphaLineCmov),
    };
    return SimdKernelGroup{entries, 1};
}

}  // namespace pixelops
