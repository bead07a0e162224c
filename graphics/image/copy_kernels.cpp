#include "graphics/image/copy_kernels.h"

#include "graphics/compose/blend_tables.h"
#include "graphics/image/kernel_walk.h"

using namespace kernel_walk;

namespace {

struct Palette {
    const std::uint32_t* palette;
    void operator()(std::uint32_t& d, std::uint8_t s) const { d = palette[s]; }
};

struct PaletteKeyed {
    const std::uint32_t* palette;
    std::uint8_t transparent;
    void operator()(std::uint32_t& d, std::uint8_t s) const {
        if (s != transparent) d = palette[s];
    }
};

// Blue and red share one multiply, green has its own; each channel's quotient is truncated on
// its own, and since the two weights never add up to more than 256 no channel can overflow.
struct AlphaBlend {
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        const std::uint32_t alpha = s >> 24;
        const std::uint32_t a = alpha == 255 ? 256 : alpha;
        const std::uint32_t b = alpha == 0 ? 256 : 255 - alpha;
        const std::uint32_t rb =
            (((s & 0x00FF00FF) * a) >> 8 & 0x00FF00FF) + (((d & 0x00FF00FF) * b) >> 8 & 0x00FF00FF);
        const std::uint32_t g =
            (((s & 0x0000FF00) * a) >> 8 & 0x0000FF00) + (((d & 0x0000FF00) * b) >> 8 & 0x0000FF00);
        d = rb | g;
    }
};

struct MaskToAlpha {
    void operator()(std::uint32_t& d, std::uint8_t m) const {
        d = (d & 0x00FFFFFF) | static_cast<std::uint32_t>(m) << 24;
    }
};

struct AlphaToMask {
    void operator()(std::uint8_t& d, std::uint32_t s) const {
        d = static_cast<std::uint8_t>(s >> 24);
    }
};

struct CopyColour {
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        d = (d & 0xFF000000) | (s & 0x00FFFFFF);
    }
};

struct CopyColourKeyed {
    std::uint32_t key;
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        if (s != key) d = (d & 0xFF000000) | (s & 0x00FFFFFF);
    }
};

struct CopyAlpha {
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        d = (s & 0xFF000000) | (d & 0x00FFFFFF);
    }
};

}  // namespace

void KernelCopy(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                std::int32_t width, std::int32_t height) {
    Rows(static_cast<std::uint32_t*>(dst), static_cast<const std::uint32_t*>(src), dstSkip, srcSkip,
         width, height, CopyPixel<std::uint32_t>{});
}

void KernelStretchCopy(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                       std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                       const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, CopyPixel<std::uint32_t>{});
}

void KernelCopyMirrored(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                        std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    MirroredRows(dst, src, dstSkip, srcSkip, width, height, CopyPixel<std::uint32_t>{});
}

void KernelStretchCopyMirrored(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                               std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                               const StretchStep& step) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, CopyPixel<std::uint32_t>{});
}

void KernelCopyKeyed(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                     std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                     std::uint32_t key) {
    Rows(dst, src, dstSkip, srcSkip, width, height, CopyPixelKeyed<std::uint32_t>{key});
}

void KernelStretchCopyKeyed(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                            std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                            const StretchStep& step, std::uint32_t key) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, CopyPixelKeyed<std::uint32_t>{key});
}

void KernelCopyMirroredKeyed(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                             std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                             std::uint32_t key) {
    MirroredRows(dst, src, dstSkip, srcSkip, width, height, CopyPixelKeyed<std::uint32_t>{key});
}

void KernelStretchCopyMirroredKeyed(std::uint32_t* dst, const std::uint32_t* src,
                                    std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width,
                                    std::int32_t height, const StretchStep& step,
                                    std::uint32_t key) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, CopyPixelKeyed<std::uint32_t>{key});
}

void KernelCopyPalette(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                       std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                       const std::uint32_t* palette) {
    Rows(dst, src, dstSkip, srcSkip, width, height, Palette{palette});
}

void KernelStretchCopyPalette(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                              std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                              const StretchStep& step, const std::uint32_t* palette) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, Palette{palette});
}

void KernelCopyPaletteMirrored(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                               std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                               const std::uint32_t* palette) {
    MirroredRows(dst, src, dstSkip, srcSkip, width, height, Palette{palette});
}

void KernelStretchCopyPaletteMirrored(std::uint32_t* dst, const std::uint8_t* src,
                                      std::int32_t dstSkip, std::int32_t srcPitch,
                                      std::int32_t width, std::int32_t height,
                                      const StretchStep& step, const std::uint32_t* palette) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, Palette{palette});
}

void KernelCopyPaletteKeyed(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                            std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                            const std::uint32_t* palette, std::uint32_t transparentIndex) {
    Rows(dst, src, dstSkip, srcSkip, width, height,
         PaletteKeyed{palette, static_cast<std::uint8_t>(transparentIndex)});
}

void KernelStretchCopyPaletteKeyed(std::uint32_t* dst, const std::uint8_t* src,
                                   std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width,
                                   std::int32_t height, const StretchStep& step,
                                   const std::uint32_t* palette, std::uint32_t transparentIndex) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step,
                PaletteKeyed{palette, static_cast<std::uint8_t>(transparentIndex)});
}

void KernelCopyPaletteMirroredKeyed(std::uint32_t* dst, const std::uint8_t* src,
                                    std::int32_t dstSkip, std::int32_t srcSkip, std::int32_t width,
                                    std::int32_t height, const std::uint32_t* palette,
                                    std::uint32_t transparentIndex) {
    MirroredRows(dst, src, dstSkip, srcSkip, width, height,
                 PaletteKeyed{palette, static_cast<std::uint8_t>(transparentIndex)});
}

void KernelStretchCopyPaletteMirroredKeyed(std::uint32_t* dst, const std::uint8_t* src,
                                           std::int32_t dstSkip, std::int32_t srcPitch,
                                           std::int32_t width, std::int32_t height,
                                           const StretchStep& step, const std::uint32_t* palette,
                                           std::uint32_t transparentIndex) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step,
                        PaletteKeyed{palette, static_cast<std::uint8_t>(transparentIndex)});
}

void KernelAlphaBlend(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                      std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    Rows(dst, src, dstSkip, srcSkip, width, height, AlphaBlend{});
}

void KernelStretchAlphaBlend(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                             std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                             const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, AlphaBlend{});
}

void KernelAlphaBlendMirrored(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                              std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    MirroredRows(dst, src, dstSkip, srcSkip, width, height, AlphaBlend{});
}

void KernelStretchAlphaBlendMirrored(std::uint32_t* dst, const std::uint32_t* src,
                                     std::int32_t dstSkip, std::int32_t srcPitch,
                                     std::int32_t width, std::int32_t height,
                                     const StretchStep& step) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, AlphaBlend{});
}

void KernelMaskToAlpha(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                       std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    Rows(dst, src, dstSkip, srcSkip, width, height, MaskToAlpha{});
}

void KernelStretchMaskToAlpha(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                              std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                              const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, MaskToAlpha{});
}

void KernelMaskToAlphaMirrored(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                               std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    MirroredRows(dst, src, dstSkip, srcSkip, width, height, MaskToAlpha{});
}

void KernelStretchMaskToAlphaMirrored(std::uint32_t* dst, const std::uint8_t* src,
                                      std::int32_t dstSkip, std::int32_t srcPitch,
                                      std::int32_t width, std::int32_t height,
                                      const StretchStep& step) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, MaskToAlpha{});
}

void KernelMaskToAlphaScreen(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                             std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    Rows(dst, src, dstSkip, srcSkip, width, height, [](std::uint32_t& d, std::uint8_t m) {
        d = (d & 0x00FFFFFF) | static_cast<std::uint32_t>(g_blendTables.screen[d >> 24][m]) << 24;
    });
}

void KernelAlphaToMask(std::uint8_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                       std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    Rows(dst, src, dstSkip, srcSkip, width, height, AlphaToMask{});
}

void KernelStretchAlphaToMask(std::uint8_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                              std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                              const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, AlphaToMask{});
}

void KernelAlphaToMaskMirrored(std::uint8_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                               std::int32_t srcSkip, std::int32_t width, std::int32_t height) {
    MirroredRows(dst, src, dstSkip, srcSkip, width, height, AlphaToMask{});
}

void KernelStretchAlphaToMaskMirrored(std::uint8_t* dst, const std::uint32_t* src,
                                      std::int32_t dstSkip, std::int32_t srcPitch,
                                      std::int32_t width, std::int32_t height,
                                      const StretchStep& step) {
    StretchMirroredRows(dst, src, dstSkip, srcPitch, width, height, step, AlphaToMask{});
}

void KernelCopyColour(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                      std::int32_t width, std::int32_t height) {
    Rows(static_cast<std::uint32_t*>(dst), static_cast<const std::uint32_t*>(src), dstSkip, srcSkip,
         width, height, CopyColour{});
}

void KernelStretchCopyColour(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                             std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                             const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, CopyColour{});
}

void KernelCopyColourKeyed(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                           std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                           std::uint32_t key) {
    Rows(dst, src, dstSkip, srcSkip, width, height, CopyColourKeyed{key});
}

void KernelStretchCopyColourKeyed(std::uint32_t* dst, const std::uint32_t* src,
                                  std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width,
                                  std::int32_t height, const StretchStep& step, std::uint32_t key) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, CopyColourKeyed{key});
}

void KernelCopyAlpha(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                     std::int32_t width, std::int32_t height) {
    Rows(static_cast<std::uint32_t*>(dst), static_cast<const std::uint32_t*>(src), dstSkip, srcSkip,
         width, height, CopyAlpha{});
}

void KernelStretchCopyAlpha(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                            std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                            const StretchStep& step) {
    StretchRows(dst, src, dstSkip, srcPitch, width, height, step, CopyAlpha{});
}

void KernelFill32(std::uint32_t* dst, std::int32_t dstSkip, std::int32_t width, std::int32_t height,
                  std::uint32_t value) {
    Rect(dst, dstSkip, width, height, [value](std::uint32_t& d) { d = value; });
}

void KernelFillColourKeepAlpha(std::uint32_t* dst, std::int32_t dstSkip, std::int32_t width,
                               std::int32_t height, std::uint32_t value) {
    Rect(dst, dstSkip, width, height, [value](std::uint32_t& d) { d = (d & 0xFF000000) | value; });
}
