#include "graphics/image/plane_kernels.h"

#include "graphics/image/kernel_walk.h"

using namespace kernel_walk;

namespace {

template <class Op>
void SteppedRows(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                 std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                 std::int32_t pixelStep, Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            op(*dst++, *src);
            src += pixelStep;
        }
        dst += dstSkip;
        src += srcSkip;
    }
}

}  // namespace

void KernelPlaneCopy(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                     std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                     std::int32_t pixelStep) {
    SteppedRows(dst, src, dstSkip, srcSkip, width, height, pixelStep, CopyPixel<std::uint8_t>{});
}

void KernelPlaneCopyKeyed(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                          std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                          std::int32_t pixelStep, std::uint32_t key) {
    SteppedRows(dst, src, dstSkip, srcSkip, width, height, pixelStep,
                CopyPixelKeyed<std::uint8_t>{static_cast<std::uint8_t>(key)});
}

void KernelPlaneStretch(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                        std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                        const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, CopyPixel<std::uint8_t>{});
}

void KernelPlaneStretchKeyed(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                             std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                             const StretchStep& step, std::uint32_t key) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step,
                CopyPixelKeyed<std::uint8_t>{static_cast<std::uint8_t>(key)});
}

void KernelPlaneStretchMirrored(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                                std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                                const StretchStep& step) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, CopyPixel<std::uint8_t>{});
}

void KernelPlaneStretchMirroredKeyed(std::uint8_t* dst, const std::uint8_t* src,
                                     std::int32_t dstSkip, std::int32_t srcPitch,
                                     std::int32_t width, std::int32_t height,
                                     const StretchStep& step, std::uint32_t key) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step,
                        CopyPixelKeyed<std::uint8_t>{static_cast<std::uint8_t>(key)});
}

void KernelPlaneBilinear(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                         std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                         const BilinearStep& step) {
    auto lerp = [](std::int32_t a, std::int32_t b, std::int32_t f) {
        // Arithmetic shift: the floor of a negative difference.
        return a + (((b - a) * f) >> 8);
    };
    BilinearRows(dst, src, dstSkip, srcPitch, width, height, step, [=](std::int32_t fy) {
        return [=](const std::uint8_t* p, const std::uint8_t* below, std::int32_t fx) {
            const std::int32_t top = lerp(p[0], p[1], fx);
            const std::int32_t bottom = lerp(below[0], below[1], fx);
            return static_cast<std::uint8_t>(lerp(top, bottom, fy));
        };
    });
}

std::int32_t KernelPlaneBlur3x3(std::uint8_t* plane, std::int32_t pitch, std::int32_t width,
                                std::int32_t height) {
    if (width < 4 || height < 4) return 1;
    return Blur3x3Rows(plane, pitch, width, height,
                       [](const std::uint8_t* above, const std::uint8_t* current,
                          const std::uint8_t* below, std::int32_t x, std::int32_t last) {
                           int shift = 0;
                           const std::uint32_t sum = BlurStencil(
                               above, current, below, x, last,
                               [](std::uint8_t p) { return static_cast<std::uint32_t>(p); },
                               shift);
                           return static_cast<std::uint8_t>(sum >> shift);
                       });
}

void KernelPlaneMosaic(std::uint8_t* plane, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, std::int32_t cellSize, std::int32_t alignment) {
    MosaicCells(plane, pitch, width, height, cellSize, alignment);
}

// Every output byte lies in a block that has already been summed, so the plane can be
// rewritten in place from the top left.
void ReducePlane4x4(std::uint8_t* plane, std::int32_t pitch, std::int32_t width,
                    std::int32_t height) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t v = 0;
            for (std::int32_t by = 0; by < 4; ++by) {
                const std::uint8_t* p =
                    plane + static_cast<std::int64_t>(4 * y + by) * pitch + 4 * x;
                v = static_cast<std::uint8_t>(v + p[0] + p[1] + p[2] + p[3]);
            }
            plane[static_cast<std::int64_t>(y) * pitch + x] =
                static_cast<std::uint8_t>(v | ((v >> 3) & 7));
        }
    }
}

void WriteAlphaPlane(std::uint32_t formatCode, std::uint8_t* surfaceBits, std::int32_t x,
                     std::int32_t y, std::int32_t width, std::int32_t height,
                     std::int32_t surfacePitch, const std::uint8_t* plane, std::int32_t planeX,
                     std::int32_t planeY, std::int32_t planePitch) {
    if (formatCode != 64 && formatCode != 128 && formatCode != 256) return;
    for (std::int32_t row = 0; row < height; ++row) {
        const std::uint8_t* in =
            plane + static_cast<std::int64_t>(planeY + row) * planePitch + planeX;
        std::uint8_t* out = surfaceBits + static_cast<std::int64_t>(y + row) * surfacePitch;
        for (std::int32_t i = 0; i < width; ++i) {
            const std::uint8_t s = in[i];
            if (formatCode == 256) {
                out[4 * (x + i) + 3] = s;
            } else {
                std::uint8_t& high = out[2 * (x + i) + 1];
                high = formatCode == 64 ? static_cast<std::uint8_t>((high & 0x7F) | (s & 0x80))
                                        : static_cast<std::uint8_t>((high & 0x0F) | (s & 0xF0));
            }
        }
    }
}
