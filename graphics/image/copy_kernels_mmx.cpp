// MMX forms of the copy, colour, alpha-copy, alpha-blend and fill kernels.
#include <mmintrin.h>

#include "graphics/image/copy_kernels.h"
#include "graphics/image/kernel_walk.h"
#include "graphics/image/mmx_helpers.h"

using namespace kernel_walk;
using namespace mmx;

namespace {

struct Copy {
    __m64 operator()(__m64, __m64 s) const { return s; }
};

struct CopyColour {
    __m64 alpha = Splat(0xFF000000);
    __m64 operator()(__m64 d, __m64 s) const {
        return _mm_or_si64(_mm_and_si64(d, alpha), _mm_andnot_si64(alpha, s));
    }
};

struct CopyAlpha {
    __m64 alpha = Splat(0xFF000000);
    __m64 operator()(__m64 d, __m64 s) const {
        return _mm_or_si64(_mm_and_si64(s, alpha), _mm_andnot_si64(alpha, d));
    }
};

// Two pixels compared with the key at once; lanes equal to it keep the destination.
struct CopyColourKeyed {
    __m64 alpha;
    __m64 key;
    __m64 operator()(__m64 d, __m64 s) const {
        const __m64 keep = _mm_cmpeq_pi32(s, key);
        const __m64 colour = _mm_or_si64(_mm_and_si64(d, alpha), _mm_andnot_si64(alpha, s));
        return _mm_or_si64(_mm_and_si64(keep, d), _mm_andnot_si64(keep, colour));
    }
};

// Four 16-bit lanes per pixel; the destination weight is 256 - a.
struct AlphaBlend {
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        const std::uint32_t alpha = s >> 24;
        const int a = alpha == 255 ? 256 : static_cast<int>(alpha);
        const __m64 sw = _mm_srli_pi16(_mm_mullo_pi16(Unpack(s), ColourWeight(a)), 8);
        const __m64 dw = _mm_srli_pi16(_mm_mullo_pi16(Unpack(d), ColourWeight(256 - a)), 8);
        d = Pack(_mm_add_pi16(sw, dw));
    }
};

}  // namespace

void KernelCopyMmx(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                   std::int32_t width, std::int32_t height) {
    RowsBy4(static_cast<std::uint32_t*>(dst), static_cast<const std::uint32_t*>(src), dstSkip,
            srcSkip, width, height, Copy{});
}

void KernelStretchCopyMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                          std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                          const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, OnePixel<Copy>{});
    _mm_empty();
}

// Pairs are read backwards and their halves swapped.
void KernelCopyMirroredMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                           std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        if (width & 1) *dst++ = *--src;
        for (std::int32_t n = width >> 1; n > 0; --n) {
            src -= 2;
            const __m64 v = Load2(src);
            Store2(dst, _mm_unpacklo_pi32(_mm_unpackhi_pi32(v, v), v));
            dst += 2;
        }
        dst = Advance(dst, dstSkip);
        src = Advance(src, srcSkip);
    }
    _mm_empty();
}

void KernelStretchCopyMirroredMmx(std::uint32_t* dst, const std::uint32_t* src,
                                  std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width,
                                  std::int32_t height, const StretchStep& step) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, OnePixel<Copy>{});
    _mm_empty();
}

void KernelAlphaBlendMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                         std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    Rows(dst, src, dstSkip, srcSkip, width, height, AlphaBlend{});
    _mm_empty();
}

void KernelStretchAlphaBlendMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                                const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, AlphaBlend{});
    _mm_empty();
}

void KernelAlphaBlendMirroredMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                 std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    MirroredRows(dst, src, dstSkip, srcSkip, width, height, AlphaBlend{});
    _mm_empty();
}

void KernelStretchAlphaBlendMirroredMmx(std::uint32_t* dst, const std::uint32_t* src,
                                        std::int32_t dstSkip, std::int32_t srcPitch,
                                        std::int32_t width, std::int32_t height,
                                        const StretchStep& step) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, AlphaBlend{});
    _mm_empty();
}

void KernelCopyColourMmx(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                         std::int32_t width, std::int32_t height) {
    RowsBy4(static_cast<std::uint32_t*>(dst), static_cast<const std::uint32_t*>(src), dstSkip,
            srcSkip, width, height, CopyColour{});
}

void KernelStretchCopyColourMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                                const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, OnePixel<CopyColour>{});
    _mm_empty();
}

void KernelCopyColourKeyedMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                              std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                              std::uint32_t key) {
    RowsBy4(dst, src, dstSkip, srcSkip, width, height,
            CopyColourKeyed{Splat(0xFF000000), Splat(key)});
}

void KernelStretchCopyColourKeyedMmx(std::uint32_t* dst, const std::uint32_t* src,
                                     std::int32_t dstSkip, std::int32_t srcPitch,
                                     std::int32_t width, std::int32_t height,
                                     const StretchStep& step, std::uint32_t key) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step,
                OnePixel<CopyColourKeyed>{{Splat(0xFF000000), Splat(key)}});
    _mm_empty();
}

void KernelCopyAlphaMmx(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                        std::int32_t width, std::int32_t height) {
    RowsBy4(static_cast<std::uint32_t*>(dst), static_cast<const std::uint32_t*>(src), dstSkip,
            srcSkip, width, height, CopyAlpha{});
}

void KernelStretchCopyAlphaMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                               std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                               const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, OnePixel<CopyAlpha>{});
    _mm_empty();
}

// One, two and four pixels by the low three bits of the width, then eight a step.
void KernelFillColourKeepAlphaMmx(std::uint32_t* dst, std::int32_t dstSkip, std::int32_t width,
                                  std::int32_t height, std::uint32_t value) {
    KERNEL_ASSERT_SIZE(width, height);
    const __m64 alpha = Splat(0xFF000000);
    const __m64 colour = Splat(value);
    auto fill = [&](std::uint32_t* p) {
        Store2(p, _mm_or_si64(_mm_and_si64(Load2(p), alpha), colour));
    };
    for (std::int32_t y = 0; y < height; ++y) {
        if (width & 1) {
            Store1(dst, _mm_or_si64(_mm_and_si64(Load1(dst), alpha), colour));
            ++dst;
        }
        if (width & 2) {
            fill(dst);
            dst += 2;
        }
        if (width & 4) {
            fill(dst);
            fill(dst + 2);
            dst += 4;
        }
        for (std::int32_t n = width >> 3; n > 0; --n) {
            fill(dst);
            fill(dst + 2);
            fill(dst + 4);
            fill(dst + 6);
            dst += 8;
        }
        dst = Advance(dst, dstSkip);
    }
    _mm_empty();
}
