#include "graphics/image/effect_kernels.h"

#include "graphics/compose/blend_tables.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/kernel_walk.h"
#include "graphics/image/over_math.h"
#include "graphics/image/pixel_math.h"

using namespace kernel_walk;
using namespace pixel_math;

namespace {

template <class Op>
struct SkipKeyed {
    Op op;
    std::uint32_t key;
    void operator()(std::uint32_t& d) const {
        if (d != key) op(d);
    }
};

struct AddColour {
    std::uint32_t colour;
    void operator()(std::uint32_t& d) const { d = AddScaled(d, colour, 256); }
};

struct SubColour {
    std::uint32_t colour;
    void operator()(std::uint32_t& d) const { d = SubScaled(d, colour, 256); }
};

struct Greyscale {
    void operator()(std::uint32_t& d) const {
        const std::uint32_t g = Grey(Channel(d, 2), Channel(d, 1), Channel(d, 0));
        d = (d & 0xFF000000) | g << 16 | g << 8 | g;
    }
};

struct ColourBalance {
    std::int32_t factor[3];  // blue, green, red
    std::int32_t offset[3];
    void operator()(std::uint32_t& d) const {
        std::uint32_t out = d & 0xFF000000;
        for (int k = 0; k < 3; ++k) {
            std::int32_t v =
                ((factor[k] * static_cast<std::int32_t>(Channel(d, k))) >> 7) + offset[k];
            v = v < 0 ? 0 : v > 255 ? 255 : v;
            out |= static_cast<std::uint32_t>(v) << (8 * k);
        }
        d = out;
    }
};

// A mask kernel: the 8-bit mask picks the weight through the level row.
template <class Combine>
void MaskRows(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
              std::int32_t maskSkip, std::int32_t width, std::int32_t height, std::uint32_t colour,
              const std::uint8_t* row, Combine combine) {
    Rows(dst, mask, dstSkip, maskSkip, width, height,
         [=](std::uint32_t& d, std::uint8_t m) { d = combine(d, colour, Weight(row[m])); });
}

// The box of one destination pixel, walked as a running sum along the row.
template <class Emit>
void BoxRows(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
             std::int32_t srcSkip, std::int32_t width, std::int32_t height, std::int32_t left,
             std::int32_t right, std::int32_t radius, Emit emit) {
    KERNEL_ASSERT_SIZE(width, height);
    const std::uint32_t scale = 65536u / static_cast<std::uint32_t>(2 * radius + 1);
    const std::int32_t first = -left;
    const std::int32_t lastIndex = width - 1 + right;
    auto at = [&](std::int32_t i) {
        return src[i < first ? first : i > lastIndex ? lastIndex : i];
    };
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint32_t sum[4] = {0, 0, 0, 0};
        for (std::int32_t i = -radius; i <= radius; ++i) {
            for (int k = 0; k < 4; ++k) sum[k] += Channel(at(i), k);
        }
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t average = 0;
            for (int k = 0; k < 4; ++k) average |= ((sum[k] * scale + 32768) >> 16) << (8 * k);
            emit(dst[x], average);
            const std::uint32_t leaving = at(x - radius), entering = at(x + radius + 1);
            for (int k = 0; k < 4; ++k) sum[k] += Channel(entering, k) - Channel(leaving, k);
        }
        dst = Advance(dst + width, dstSkip);
        src = Advance(src + width, srcSkip);
    }
}

template <class Pixel>
void BilinearPixels(std::uint32_t* dst, const Pixel* src, std::int32_t dstSkip,
                    std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                    const BilinearStep& step, const std::uint32_t* palette) {
    auto colour = [palette](Pixel p) {
        return palette ? palette[p] : static_cast<std::uint32_t>(p);
    };
    auto lerp = [](std::uint32_t a, std::uint32_t b, std::int32_t f) {
        std::uint32_t out = 0;
        for (int k = 0; k < 4; ++k) {
            const std::int32_t ac = static_cast<std::int32_t>(Channel(a, k));
            const std::int32_t diff = static_cast<std::int32_t>(Channel(b, k)) - ac;
            out |= static_cast<std::uint32_t>(ac + ((diff * f) >> 8)) << (8 * k);
        }
        return out;
    };
    BilinearRows(dst, src, dstSkip, srcPitch, width, height, step, [=](std::int32_t fy) {
        return [=](const Pixel* p, const Pixel* below, std::int32_t fx) {
            const std::uint32_t top = lerp(colour(p[0]), colour(p[1]), fx);
            const std::uint32_t bottom = lerp(colour(below[0]), colour(below[1]), fx);
            return lerp(top, bottom, fy);
        };
    });
}

}  // namespace

void KernelAddColour(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                     std::uint32_t colour) {
    Rect(dst, skip, width, height, AddColour{colour});
}

void KernelAddColourKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                          std::int32_t height, std::uint32_t colour, std::uint32_t key) {
    Rect(dst, skip, width, height, SkipKeyed<AddColour>{{colour}, key});
}

void KernelSubColour(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                     std::uint32_t colour) {
    Rect(dst, skip, width, height, SubColour{colour});
}

void KernelSubColourKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                          std::int32_t height, std::uint32_t colour, std::uint32_t key) {
    Rect(dst, skip, width, height, SkipKeyed<SubColour>{{colour}, key});
}

void KernelGreyscale(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                     std::int32_t height) {
    Rect(dst, skip, width, height, Greyscale{});
}

void KernelGreyscaleKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                          std::int32_t height, std::uint32_t key) {
    Rect(dst, skip, width, height, SkipKeyed<Greyscale>{{}, key});
}

void KernelColourBalance(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                         std::int32_t height, std::int32_t rFactor, std::int32_t gFactor,
                         std::int32_t bFactor, std::int32_t rOffset, std::int32_t gOffset,
                         std::int32_t bOffset) {
    Rect(dst, skip, width, height,
         ColourBalance{{bFactor, gFactor, rFactor}, {bOffset, gOffset, rOffset}});
}

void KernelColourBalanceKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                              std::int32_t height, std::int32_t rFactor, std::int32_t gFactor,
                              std::int32_t bFactor, std::int32_t rOffset, std::int32_t gOffset,
                              std::int32_t bOffset, std::uint32_t key) {
    Rect(dst, skip, width, height,
         SkipKeyed<ColourBalance>{{{bFactor, gFactor, rFactor}, {bOffset, gOffset, rOffset}}, key});
}

void KernelInvert(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                  std::int32_t mode) {
    const std::uint32_t mask = InvertMask(mode);
    Rect(dst, skip, width, height, [mask](std::uint32_t& d) { d ^= mask; });
}

void KernelInvertKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                       std::int32_t height, std::int32_t mode, std::uint32_t key) {
    const std::uint32_t mask = InvertMask(mode);
    Rect(dst, skip, width, height, [mask, key](std::uint32_t& d) {
        if (d != key) d ^= mask;
    });
}

std::int32_t KernelBlur3x3(std::uint32_t* dst, std::int32_t skip, std::int32_t pitch,
                           std::int32_t width, std::int32_t height, std::int32_t mode) {
    if (width < 4 || height < 4 || skip % 4 != 0 || pitch % 4 != 0) return 1;
    const bool fast = mode == 0 || mode == 1;
    const std::uint32_t roundUp = mode == 1 ? 7 : 0;
    return Blur3x3Rows(dst, pitch, width, height,
                       [fast, roundUp](const std::uint32_t* above, const std::uint32_t* current,
                                       const std::uint32_t* below, std::int32_t x,
                                       std::int32_t last) {
                           std::uint32_t out = 0;
                           for (int k = 0; k < 3; ++k) {
                               int shift = 0;
                               // The fast modes add the channels with their low three bits
                               // cleared, so that every stencil sum fits its byte; the exact
                               // mode uses the whole bytes.
                               const std::uint32_t sum = BlurStencil(
                                   above, current, below, x, last,
                                   [k, fast](std::uint32_t p) {
                                       return fast ? Channel(p, k) & 0xF8 : Channel(p, k);
                                   },
                                   shift);
                               out |= ((sum >> shift) + (fast ? roundUp : 0)) << (8 * k);
                           }
                           return out;
                       });
}

void KernelMosaic(std::uint32_t* dst, std::int32_t skip, std::int32_t pitch, std::int32_t width,
                  std::int32_t height, std::int32_t cellSize, std::int32_t alignment) {
    MosaicCells(dst, pitch, width, height, cellSize, alignment);
}

void KernelScaleColour(std::uint32_t* dst, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, std::uint8_t level) {
    const std::uint8_t* row = g_blendTables.multiply[level];
    Rect(dst, pitch - 4 * width, width, height, [row](std::uint32_t& d) {
        d = (d & 0xFF000000) | static_cast<std::uint32_t>(row[Channel(d, 2)]) << 16 |
            static_cast<std::uint32_t>(row[Channel(d, 1)]) << 8 | row[Channel(d, 0)];
    });
}

namespace {

// M[255 - a][c] + M[colour byte][a]: the colour's products are fixed before the loop.
struct BlendConstant {
    const std::uint8_t* keep;
    std::uint32_t add[3];
    BlendConstant(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b)
        : keep(g_blendTables.multiply[255 - a]),
          add{g_blendTables.multiply[b][a], g_blendTables.multiply[g][a],
              g_blendTables.multiply[r][a]} {}
    void operator()(std::uint32_t& d) const {
        std::uint32_t out = d & 0xFF000000;
        for (int k = 0; k < 3; ++k) out |= ((keep[Channel(d, k)] + add[k]) & 0xFF) << (8 * k);
        d = out;
    }
};

}  // namespace

void KernelBlendColour(std::uint32_t* dst, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, std::uint8_t a, std::uint8_t r, std::uint8_t g,
                       std::uint8_t b) {
    Rect(dst, pitch - 4 * width, width, height, BlendConstant(a, r, g, b));
}

void KernelBlendColourKeyed(std::uint32_t* dst, std::int32_t pitch, std::int32_t width,
                            std::int32_t height, std::uint8_t a, std::uint8_t r, std::uint8_t g,
                            std::uint8_t b, std::uint32_t key) {
    Rect(dst, pitch - 4 * width, width, height,
         SkipKeyed<BlendConstant>{BlendConstant(a, r, g, b), key});
}

void KernelMaskBlendColour(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                           std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                           std::uint32_t colour, const std::uint8_t* row) {
    MaskRows(dst, mask, dstSkip, maskSkip, width, height, colour, row, BlendColour);
}

void KernelMaskAddColour(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                         std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                         std::uint32_t colour, const std::uint8_t* row) {
    MaskRows(dst, mask, dstSkip, maskSkip, width, height, colour, row, AddScaled);
}

void KernelMaskSubColour(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                         std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                         std::uint32_t colour, const std::uint8_t* row) {
    MaskRows(dst, mask, dstSkip, maskSkip, width, height, colour, row, SubScaled);
}

void KernelAddOpacity(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                      std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                      std::uint8_t opacity) {
    const std::int32_t w = Weight(opacity);
    Rows(dst, src, dstSkip, srcSkip, width, height,
         [w](std::uint32_t& d, std::uint32_t s) { d = AddScaled(d, s, w); });
}

void KernelSubOpacity(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                      std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                      std::uint8_t opacity) {
    const std::int32_t w = Weight(opacity);
    Rows(dst, src, dstSkip, srcSkip, width, height,
         [w](std::uint32_t& d, std::uint32_t s) { d = SubScaled(d, s, w); });
}

#define EFFECT_DEFINE_TABLE_KERNEL(name, combine)                                                  \
    void Kernel##name(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,          \
                      std::int32_t srcSkip, std::int32_t width, std::int32_t height,               \
                      const std::uint8_t* row) {                                                   \
        Rows(dst, src, dstSkip, srcSkip, width, height, [row](std::uint32_t& d, std::uint32_t s) { \
            d = combine(d, s, Weight(row[s >> 24]));                                               \
        });                                                                                        \
    }                                                                                              \
    void KernelStretch##name(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,   \
                             std::int32_t srcPitch, std::int32_t width, std::int32_t height,       \
                             const StretchStep& step, const std::uint8_t* row) {                   \
        StretchRows(dst, src, dstSkip, srcPitch, width, height, step,                              \
                    [row](std::uint32_t& d, std::uint32_t s) {                                     \
                        d = combine(d, s, Weight(row[s >> 24]));                                   \
                    });                                                                            \
    }

EFFECT_DEFINE_TABLE_KERNEL(AlphaBlendTable, BlendColour)
EFFECT_DEFINE_TABLE_KERNEL(AddBlendTable, AddScaled)
EFFECT_DEFINE_TABLE_KERNEL(SubBlendTable, SubScaled)

void KernelBlendOpacityOverAlpha(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                 std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                                 const std::uint8_t* row) {
    Rows(dst, src, dstSkip, srcSkip, width, height,
         [row](std::uint32_t& d, std::uint32_t s) { d = over_math::Over(d, s, row[s >> 24]); });
}

void KernelStretchBlendOpacityOverAlpha(std::uint32_t* dst, const std::uint32_t* src,
                                        std::int32_t dstSkip, std::int32_t srcPitch,
                                        std::int32_t width, std::int32_t height,
                                        const StretchStep& step, const std::uint8_t* row) {
    StretchRows(
        dst, src, dstSkip, srcPitch, width, height, step,
        [row](std::uint32_t& d, std::uint32_t s) { d = over_math::Over(d, s, row[s >> 24]); });
}

void KernelMaskColourOverAlpha(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                               std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                               std::uint32_t colour, const std::uint8_t* row) {
    Rows(dst, mask, dstSkip, maskSkip, width, height,
         [=](std::uint32_t& d, std::uint8_t m) { d = over_math::Over(d, colour, row[m]); });
}

void KernelRuleBlend(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                     std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                     const std::uint8_t* rule, std::int32_t rulePitch, const std::uint8_t* table) {
    RuleRows(dst, src, dstSkip, srcSkip, width, height, rule, rulePitch,
             [table](std::uint32_t d, std::uint32_t s, const std::uint8_t* ruleRow,
                       std::int32_t x) {
                 const std::uint8_t a = g_blendTables.multiply[table[ruleRow[x]]][s >> 24];
                 return BlendColour(d, s, Weight(a));
             });
}

void KernelRuleBlendPlane(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                          std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                          const std::uint8_t* rule, std::int32_t rulePitch,
                          const std::uint8_t* table) {
    RuleRows(dst, src, dstSkip, srcSkip, width, height, rule, rulePitch,
             [table](std::uint32_t d, std::uint32_t s, const std::uint8_t* ruleRow,
                       std::int32_t x) {
                 const std::uint8_t v = ruleRow ? ruleRow[x] : static_cast<std::uint8_t>(s >> 24);
                 return BlendColour(d, s, Weight(table[v]));
             });
}

void KernelBoxAverageRows(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                          std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                          std::int32_t left, std::int32_t right, std::int32_t radius) {
    BoxRows(dst, src, dstSkip, srcSkip, width, height, left, right, radius,
            [](std::uint32_t& d, std::uint32_t average) { d = average; });
}

void KernelBoxAverageRowsOpacity(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                 std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                                 std::int32_t left, std::int32_t right, std::int32_t radius,
                                 std::uint8_t opacity) {
    const std::int32_t w = Weight(opacity);
    BoxRows(dst, src, dstSkip, srcSkip, width, height, left, right, radius,
            [w](std::uint32_t& d, std::uint32_t average) { d = BlendColour(d, average, w); });
}

void KernelBoxAverageRowsAlpha(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                               std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                               std::int32_t left, std::int32_t right, std::int32_t radius,
                               const std::uint8_t* row) {
    BoxRows(dst, src, dstSkip, srcSkip, width, height, left, right, radius,
            [row](std::uint32_t& d, std::uint32_t average) {
                d = BlendColour(d, average, Weight(row[average >> 24]));
            });
}

void KernelBilinear(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                    std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                    const BilinearStep& step) {
    BilinearPixels(dst, src, dstSkip, srcPitch, width, height, step, nullptr);
}

void KernelBilinearPalette(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                           std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                           const std::uint32_t* palette, const BilinearStep& step) {
    BilinearPixels(dst, src, dstSkip, srcPitch, width, height, step, palette);
}

namespace {

// Where a mask drawn at (x, y) lies on the destination; false when it lies wholly outside.
struct GlyphClip {
    std::int32_t left, top, right, bottom;
};

bool ClipGlyph(std::int32_t x, std::int32_t y, std::int32_t dstWidth, std::int32_t dstHeight,
               std::int32_t maskWidth, std::int32_t maskHeight, GlyphClip& clip) {
    clip.left = x < 0 ? 0 : x;
    clip.top = y < 0 ? 0 : y;
    clip.right = x + maskWidth < dstWidth ? x + maskWidth : dstWidth;
    clip.bottom = y + maskHeight < dstHeight ? y + maskHeight : dstHeight;
    return clip.left < clip.right && clip.top < clip.bottom;
}

}  // namespace

bool DrawGlyphMask(std::int32_t x, std::int32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                   std::uint8_t* dstBits, std::int32_t dstWidth, std::int32_t dstHeight,
                   std::int32_t dstPitch, const std::uint8_t* maskBits, std::int32_t maskWidth,
                   std::int32_t maskHeight, std::int32_t maskPitch) {
    GlyphClip clip;
    if (!ClipGlyph(x, y, dstWidth, dstHeight, maskWidth, maskHeight, clip)) return false;
    const std::uint32_t colour =
        static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b;
    for (std::int32_t row = clip.top; row < clip.bottom; ++row) {
        std::uint32_t* out = reinterpret_cast<std::uint32_t*>(dstBits + row * dstPitch);
        const std::uint8_t* in = maskBits + (row - y) * maskPitch - x;
        for (std::int32_t col = clip.left; col < clip.right; ++col) {
            if (in[col]) out[col] = (out[col] & 0xFF000000) | colour;
        }
    }
    return true;
}

bool DrawGlyphMaskAntialiased(std::int32_t x, std::int32_t y, std::uint8_t r, std::uint8_t g,
                              std::uint8_t b, std::uint8_t* dstBits, std::int32_t dstWidth,
                              std::int32_t dstHeight, std::int32_t dstPitch,
                              const std::uint8_t* maskBits, std::int32_t maskWidth,
                              std::int32_t maskHeight, std::int32_t maskPitch) {
    GlyphClip clip;
    if (!ClipGlyph(x, y, dstWidth, dstHeight, maskWidth, maskHeight, clip)) return false;
    const std::uint32_t colour =
        static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b;
    const std::int32_t width = clip.right - clip.left;
    const std::int32_t height = clip.bottom - clip.top;
    std::uint32_t* out =
        reinterpret_cast<std::uint32_t*>(dstBits + clip.top * dstPitch) + clip.left;
    const std::uint8_t* in = maskBits + (clip.top - y) * maskPitch + (clip.left - x);
    if (UseMmxKernels()) {
        static const std::uint8_t* identity = [] {
            static std::uint8_t row[256];
            for (int i = 0; i < 256; ++i) row[i] = static_cast<std::uint8_t>(i);
            return row;
        }();
        KernelMaskBlendColourMmx(out, in, dstPitch - 4 * width, maskPitch - width, width, height,
                                 colour, identity);
        return true;
    }
    Rows(out, in, dstPitch - 4 * width, maskPitch - width, width, height,
         [colour](std::uint32_t& d, std::uint8_t m) {
             if (m == 0) return;
             std::uint32_t result = d & 0xFF000000;
             for (int k = 0; k < 3; ++k) {
                 result |=
                     static_cast<std::uint32_t>(g_blendTables.multiply[Channel(colour, k)][m] +
                                                g_blendTables.multiply[255 - m][Channel(d, k)])
                     << (8 * k);
             }
             d = result;
         });
    return true;
}

std::int32_t ConvertArgbToFormat(std::uint32_t format, std::uint8_t* dstBits, std::int32_t x,
                                 std::int32_t y, std::int32_t width, std::int32_t height,
                                 std::int32_t dstPitch, const std::uint8_t* srcBits,
                                 std::int32_t srcX, std::int32_t srcY, std::int32_t srcPitch) {
    if (format != 64 && format != 128 && format != 256) return 1;
    // The 16-bit forms keep the top alphaBits of alpha and the top bits of each colour byte.
    const int bits = format == 64 ? 5 : 4;
    const int alphaBits = format == 64 ? 1 : 4;
    const int drop = 8 - bits;
    for (std::int32_t row = 0; row < height; ++row) {
        const std::uint32_t* in =
            reinterpret_cast<const std::uint32_t*>(srcBits + (srcY + row) * srcPitch) + srcX;
        std::uint8_t* outRow = dstBits + (y + row) * dstPitch;
        if (format == 256) {
            std::uint32_t* out = reinterpret_cast<std::uint32_t*>(outRow) + x;
            for (std::int32_t i = 0; i < width; ++i) out[i] = in[i];
            continue;
        }
        std::uint16_t* out = reinterpret_cast<std::uint16_t*>(outRow) + x;
        for (std::int32_t i = 0; i < width; ++i) {
            const std::uint32_t p = in[i];
            out[i] = static_cast<std::uint16_t>(
                (p >> (32 - alphaBits)) << (3 * bits) | (Channel(p, 2) >> drop) << (2 * bits) |
                (Channel(p, 1) >> drop) << bits | Channel(p, 0) >> drop);
        }
    }
    return 0;
}
