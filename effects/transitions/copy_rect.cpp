#include "effects/transitions/copy_rect.h"

#include "graphics/image/copy_kernels.h"
#include "graphics/image/image.h"
#include "graphics/image/kernel_form.h"

void CopyRectWithKernel(RowCopyKernel kernel, Image* dst, std::int32_t dstX, std::int32_t dstY,
                        Image* src, const RECT& srcRect) {
    const std::int32_t width = srcRect.right - srcRect.left;
    const std::int32_t height = srcRect.bottom - srcRect.top;
    // The kernels need at least one pixel.
    if (width <= 0 || height <= 0) return;
    std::uint8_t* to = dst->Bits() + dstY * dst->Pitch() + dstX * 4;
    const std::uint8_t* from = src->Bits() + srcRect.top * src->Pitch() + srcRect.left * 4;
    kernel(to, from, dst->Pitch() - width * 4, src->Pitch() - width * 4, width, height);
}

RowCopyKernel TransitionCopyKernel() { return UseMmxKernels() ? KernelCopyMmx : KernelCopy; }

void CopyRect(Image* dst, std::int32_t dstX, std::int32_t dstY, Image* src, const RECT& srcRect) {
    CopyRectWithKernel(TransitionCopyKernel(), dst, dstX, dstY, src, srcRect);
}
