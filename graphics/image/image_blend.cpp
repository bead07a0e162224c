// Blends of one picture into this image: by the source's alpha, alpha channels alone, colour or
// alpha bytes alone, constant opacity, per-channel weights, average / add / subtract, and the
// crossfade step.
#include <initializer_list>

#include "graphics/image/blend_draw.h"
#include "graphics/image/copy_kernels.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/mix_kernels.h"

std::int32_t LibraryBlend(Image& dest, const BlitSource& s, const BlendPlace& p,
                          std::int32_t mode, std::uint8_t opacity) {
    auto blend = BoundLibraryOp<pixelops::BlendRectOp>(pixelops::kWordBlendRect);
    if (!blend) return -1;
    const RECT wanted = WantedSourceRect(s.surface, p.sourceRect);
    Image copy;
    if (p.size && (p.size->cx != static_cast<std::int64_t>(wanted.right) - wanted.left ||
                   p.size->cy != static_cast<std::int64_t>(wanted.bottom) - wanted.top)) {
        const bool inside = LibraryCanStretch(s.surface, wanted);
        auto stretch =
            BoundLibraryOp<pixelops::StretchBlendRectOp>(pixelops::kWordStretchBlendRect);
        if (!inside || !stretch) return -1;
        Surface* source = LibrarySource(dest, s.surface, copy);
        if (!source) return 2;
        const std::int32_t destSize[2] = {p.size->cx, p.size->cy};
        RECT rect = wanted;
        ResetLastUpdated();
        const std::int32_t result = stretch(pixelops::StretchBlendParams{
            &dest, source, destSize, p.x, p.y, &rect, mode, 0, opacity, 0});
        RECT drawn;
        if (LastUpdated(&drawn)) dest.MarkChanged(drawn);
        return result == 0 || result == pixelops::kRectNothingVisible ? 0 : 2;
    }
    if (dest.ClipBlit(s.surface, p.x, p.y, &wanted, nullptr, nullptr, nullptr) != 0) return 0;
    Surface* source = LibrarySource(dest, s.surface, copy);
    if (!source) return 2;
    RECT rect = dest.BlitSourceRect();
    ResetLastUpdated();
    const std::int32_t result = blend(&dest, source, dest.BlitDestRect().left,
                                      dest.BlitDestRect().top, &rect, mode, opacity, 0);
    if (result != 0 && result != pixelops::kRectCopyNothingVisible &&
        result != pixelops::kRectNothingVisible) {
        return 2;
    }
    RECT drawn;
    if (LastUpdated(&drawn)) dest.MarkChanged(drawn);
    return 0;
}

namespace {

std::int32_t AlphaBlendAny(Image& dest, Surface* source, const BlendPlace& p) {
    BlitSource s;
    const std::int32_t check = Describe32(dest, source, true, s);
    if (check >= 0) return check;
    if (!p.mirror && !p.flip) {
        const std::int32_t result = LibraryBlend(dest, s, p, pixelops::BlendAlpha, 255);
        if (result >= 0) return result;
    }
    const bool mmx = UseMmxKernels();
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep* step) {
        if (step) {
            if (p.mirror) {
                (mmx ? KernelStretchAlphaBlendMirroredMmx : KernelStretchAlphaBlendMirrored)(
                    Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width, a.height, *step);
            } else {
                (mmx ? KernelStretchAlphaBlendMmx : KernelStretchAlphaBlend)(
                    Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width, a.height, *step);
            }
        } else if (p.mirror) {
            (mmx ? KernelAlphaBlendMirroredMmx : KernelAlphaBlendMirrored)(
                Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height);
        } else {
            (mmx ? KernelAlphaBlendMmx : KernelAlphaBlend)(Dst32(a), Src32(a), a.dstSkip,
                                                           a.srcSkip, a.width, a.height);
        }
    });
}

std::int32_t CopyAlphaChannelAny(Image& dest, Surface* source, const BlendPlace& p) {
    BlitSource s;
    if (!dest.Bits() || !DescribeSource(source, true, s)) return 1;
    const bool toAlpha = dest.Depth() == 32 && s.depth == 8;
    const bool toMask = dest.Depth() == 8 && s.depth == 32;
    if (!toAlpha && !toMask) return 2;
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep* step) {
        if (toAlpha) {
            auto* dst = Dst32(a);
            if (step) {
                (p.mirror ? KernelStretchMaskToAlphaMirrored : KernelStretchMaskToAlpha)(
                    dst, a.src, a.dstSkip, a.srcPitch, a.width, a.height, *step);
            } else {
                (p.mirror ? KernelMaskToAlphaMirrored : KernelMaskToAlpha)(
                    dst, a.src, a.dstSkip, a.srcSkip, a.width, a.height);
            }
            return;
        }
        auto* dst = static_cast<std::uint8_t*>(a.dst);
        if (step) {
            (p.mirror ? KernelStretchAlphaToMaskMirrored : KernelStretchAlphaToMask)(
                dst, Src32(a), a.dstSkip, a.srcPitch, a.width, a.height, *step);
        } else {
            (p.mirror ? KernelAlphaToMaskMirrored : KernelAlphaToMask)(
                dst, Src32(a), a.dstSkip, a.srcSkip, a.width, a.height);
        }
    });
}

// Keyed or plain, stretched or not, plain or MMX: the four forms of a mix kernel family.
struct MixFamily {
    void (*plain)(std::uint32_t*, const std::uint32_t*, std::int32_t, std::int32_t, std::int32_t,
                  std::int32_t);
    void (*stretch)(std::uint32_t*, const std::uint32_t*, std::int32_t, std::int32_t,
                    std::int32_t, std::int32_t, const StretchStep&);
    void (*keyed)(std::uint32_t*, const std::uint32_t*, std::int32_t, std::int32_t, std::int32_t,
                  std::int32_t, std::uint32_t);
    void (*stretchKeyed)(std::uint32_t*, const std::uint32_t*, std::int32_t, std::int32_t,
                         std::int32_t, std::int32_t, const StretchStep&, std::uint32_t);
};

void RunMix(const MixFamily& f, const KernelArgs& a, const StretchStep* step, std::int32_t key) {
    const std::uint32_t k = static_cast<std::uint32_t>(key);
    if (step) {
        if (key != -1 && f.stretchKeyed) {
            f.stretchKeyed(Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width, a.height, *step, k);
        } else {
            f.stretch(Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width, a.height, *step);
        }
    } else if (key != -1 && f.keyed) {
        f.keyed(Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height, k);
    } else {
        f.plain(Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height);
    }
}

void CopyColourPlain(std::uint32_t* d, const std::uint32_t* s, std::int32_t ds, std::int32_t ss,
                     std::int32_t w, std::int32_t h) {
    KernelCopyColour(d, s, ds, ss, w, h);
}
void CopyColourMmx(std::uint32_t* d, const std::uint32_t* s, std::int32_t ds, std::int32_t ss,
                   std::int32_t w, std::int32_t h) {
    KernelCopyColourMmx(d, s, ds, ss, w, h);
}
void CopyAlphaPlain(std::uint32_t* d, const std::uint32_t* s, std::int32_t ds, std::int32_t ss,
                    std::int32_t w, std::int32_t h) {
    KernelCopyAlpha(d, s, ds, ss, w, h);
}
void CopyAlphaMmx(std::uint32_t* d, const std::uint32_t* s, std::int32_t ds, std::int32_t ss,
                  std::int32_t w, std::int32_t h) {
    KernelCopyAlphaMmx(d, s, ds, ss, w, h);
}

const MixFamily kCopyColour[2] = {
    {CopyColourPlain, KernelStretchCopyColour, KernelCopyColourKeyed, KernelStretchCopyColourKeyed},
    {CopyColourMmx, KernelStretchCopyColourMmx, KernelCopyColourKeyedMmx,
     KernelStretchCopyColourKeyedMmx}};
const MixFamily kCopyAlpha[2] = {{CopyAlphaPlain, KernelStretchCopyAlpha, nullptr, nullptr},
                                 {CopyAlphaMmx, KernelStretchCopyAlphaMmx, nullptr, nullptr}};
const MixFamily kBlendModes[3][2] = {
    {{KernelAverage, KernelStretchAverage, KernelAverageKeyed, KernelStretchAverageKeyed},
     {KernelAverageMmx, KernelStretchAverageMmx, KernelAverageKeyedMmx,
      KernelStretchAverageKeyedMmx}},
    {{KernelAddSaturate, KernelStretchAddSaturate, KernelAddSaturateKeyed,
      KernelStretchAddSaturateKeyed},
     {KernelAddSaturateMmx, KernelStretchAddSaturateMmx, KernelAddSaturateKeyedMmx,
      KernelStretchAddSaturateKeyedMmx}},
    {{KernelSubSaturate, KernelStretchSubSaturate, KernelSubSaturateKeyed,
      KernelStretchSubSaturateKeyed},
     {KernelSubSaturateMmx, KernelStretchSubSaturateMmx, KernelSubSaturateKeyedMmx,
      KernelStretchSubSaturateKeyedMmx}},
};

std::int32_t MixAny(Image& dest, Surface* source, const BlendPlace& p, const MixFamily* family,
                    bool honourKey) {
    BlitSource s;
    const std::int32_t check = Describe32(dest, source, !honourKey, s);
    if (check >= 0) return check;
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep* step) {
        if (family) RunMix(family[UseMmxKernels() ? 1 : 0], a, step, s.key);
    });
}

std::int32_t BlendWeightedAny(Image& dest, Surface* source, std::uint8_t opacity,
                              const BlendPlace& p) {
    BlitSource s;
    const std::int32_t check = Describe32(dest, source, false, s);
    if (check >= 0) return check;
    // Nothing to draw; the library would draw nothing and report an earlier call's rectangle.
    if (opacity == 0) return 0;
    if (s.key == -1) {
        const std::int32_t result = LibraryBlend(dest, s, p, pixelops::BlendCopy, opacity);
        if (result >= 0) return result;
    }
    const std::uint32_t k = static_cast<std::uint32_t>(s.key);
    const bool keyed = s.key != -1;
    if (UseMmxKernels()) {
        return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep* step) {
            if (step) {
                if (keyed) {
                    KernelStretchBlendOpacityKeyedMmx(Dst32(a), Src32(a), a.dstSkip, a.srcPitch,
                                                      a.width, a.height, *step, opacity, k);
                } else {
                    KernelStretchBlendOpacityMmx(Dst32(a), Src32(a), a.dstSkip, a.srcPitch,
                                                 a.width, a.height, *step, opacity);
                }
            } else if (keyed) {
                KernelBlendOpacityKeyedMmx(Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width,
                                           a.height, opacity, k);
            } else {
                KernelBlendOpacityMmx(Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height,
                                      opacity);
            }
        });
    }
    const std::uint32_t sw = opacity * 0x010101u;
    const std::uint32_t dw = (255u - opacity) * 0x010101u;
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep* step) {
        if (step) {
            if (keyed) {
                KernelStretchBlendWeightsKeyed(Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width,
                                               a.height, *step, dw, sw, k);
            } else {
                KernelStretchBlendWeights(Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width,
                                          a.height, *step, dw, sw);
            }
        } else if (keyed) {
            KernelBlendWeightsKeyed(Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height,
                                    dw, sw, k);
        } else {
            KernelBlendWeights(Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height, dw,
                               sw);
        }
    });
}

// The stretched MMX weights: the smaller weight of each channel one higher, so that weights
// adding up to 255 add up to 256 and a full blend reaches its end.
void RaiseSmallerWeights(std::uint32_t& dw, std::uint32_t& sw) {
    if (dw == 0x00FFFFFFu || sw == 0x00FFFFFFu || dw == 0) return;
    auto raise = [](std::uint32_t& word, int shift) {
        if (((word >> shift) & 0xFF) != 0xFF) word += 1u << shift;
    };
    raise(dw <= sw ? dw : sw, 16);
    for (int shift : {8, 0}) {
        const std::uint32_t d = (dw >> shift) & 0xFF;
        const std::uint32_t s = (sw >> shift) & 0xFF;
        raise(d <= s ? dw : sw, shift);
    }
}

std::int32_t BlendChannelWeightsAny(Image& dest, Surface* source, std::uint32_t dw,
                                    std::uint32_t sw, const BlendPlace& p) {
    BlitSource s;
    const std::int32_t check = Describe32(dest, source, false, s);
    if (check >= 0) return check;
    if (sw == 0) return 0;
    const bool mmx = UseMmxKernels();
    if (mmx && p.size) RaiseSmallerWeights(dw, sw);
    const std::uint32_t k = static_cast<std::uint32_t>(s.key);
    const bool keyed = s.key != -1;
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep* step) {
        if (step) {
            if (keyed) {
                (mmx ? KernelStretchBlendWeightsKeyedMmx : KernelStretchBlendWeightsKeyed)(
                    Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width, a.height, *step, dw, sw,
                    k);
            } else {
                (mmx ? KernelStretchBlendWeightsMmx : KernelStretchBlendWeights)(
                    Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width, a.height, *step, dw, sw);
            }
        } else if (keyed) {
            (mmx ? KernelBlendWeightsKeyedMmx : KernelBlendWeightsKeyed)(
                Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height, dw, sw, k);
        } else {
            (mmx ? KernelBlendWeightsMmx : KernelBlendWeights)(Dst32(a), Src32(a), a.dstSkip,
                                                               a.srcSkip, a.width, a.height, dw,
                                                               sw);
        }
    });
}

}  // namespace

std::int32_t Image::AlphaBlend(Surface* source, std::int32_t x, std::int32_t y,
                               const RECT* sourceRect, bool flip) {
    return AlphaBlendAny(*this, source, BlendPlace{nullptr, x, y, sourceRect, false, flip});
}

std::int32_t Image::StretchAlphaBlend(Surface* source, const SIZE* size, std::int32_t x,
                                      std::int32_t y, const RECT* sourceRect, bool flip) {
    const SIZE whole = WholeOr(*this, size);
    return AlphaBlendAny(*this, source, BlendPlace{&whole, x, y, sourceRect, false, flip});
}

std::int32_t Image::AlphaBlendMirrored(Surface* source, std::uint8_t mode, std::int32_t x,
                                       std::int32_t y, const RECT* sourceRect) {
    return AlphaBlendAny(*this, source, BlendPlace{nullptr, x, y, sourceRect, mode != 1, mode != 0});
}

std::int32_t Image::StretchAlphaBlendMirrored(Surface* source, std::uint8_t mode,
                                              const SIZE* size, std::int32_t x, std::int32_t y,
                                              const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return AlphaBlendAny(*this, source, BlendPlace{&whole, x, y, sourceRect, mode != 1, mode != 0});
}

std::int32_t Image::CopyAlphaChannel(Surface* source, std::int32_t x, std::int32_t y,
                                     const RECT* sourceRect, bool flip) {
    return CopyAlphaChannelAny(*this, source, BlendPlace{nullptr, x, y, sourceRect, false, flip});
}

std::int32_t Image::StretchCopyAlphaChannel(Surface* source, const SIZE* size, std::int32_t x,
                                            std::int32_t y, const RECT* sourceRect, bool flip) {
    const SIZE whole = WholeOr(*this, size);
    return CopyAlphaChannelAny(*this, source, BlendPlace{&whole, x, y, sourceRect, false, flip});
}

std::int32_t Image::CopyAlphaChannelMirrored(Surface* source, std::uint8_t mode, std::int32_t x,
                                             std::int32_t y, const RECT* sourceRect) {
    return CopyAlphaChannelAny(*this, source,
                               BlendPlace{nullptr, x, y, sourceRect, mode != 1, mode != 0});
}

std::int32_t Image::StretchCopyAlphaChannelMirrored(Surface* source, std::uint8_t mode,
                                                    const SIZE* size, std::int32_t x,
                                                    std::int32_t y, const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return CopyAlphaChannelAny(*this, source,
                               BlendPlace{&whole, x, y, sourceRect, mode != 1, mode != 0});
}

std::int32_t Image::CopyColour(Surface* source, std::int32_t x, std::int32_t y,
                               const RECT* sourceRect) {
    return MixAny(*this, source, BlendPlace{nullptr, x, y, sourceRect, false, false}, kCopyColour,
                  true);
}

std::int32_t Image::StretchCopyColour(Surface* source, const SIZE* size, std::int32_t x,
                                      std::int32_t y, const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return MixAny(*this, source, BlendPlace{&whole, x, y, sourceRect, false, false}, kCopyColour,
                  true);
}

std::int32_t Image::CopyAlpha(Surface* source, std::int32_t x, std::int32_t y,
                              const RECT* sourceRect) {
    return MixAny(*this, source, BlendPlace{nullptr, x, y, sourceRect, false, false}, kCopyAlpha,
                  false);
}

std::int32_t Image::StretchCopyAlpha(Surface* source, const SIZE* size, std::int32_t x,
                                     std::int32_t y, const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return MixAny(*this, source, BlendPlace{&whole, x, y, sourceRect, false, false}, kCopyAlpha,
                  false);
}

std::int32_t Image::BlendWeighted(Surface* source, std::uint8_t opacity, std::int32_t x,
                                  std::int32_t y, const RECT* sourceRect) {
    return BlendWeightedAny(*this, source, opacity,
                            BlendPlace{nullptr, x, y, sourceRect, false, false});
}

std::int32_t Image::StretchBlendWeighted(Surface* source, std::uint8_t opacity, const SIZE* size,
                                         std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return BlendWeightedAny(*this, source, opacity,
                            BlendPlace{&whole, x, y, sourceRect, false, false});
}

std::int32_t Image::BlendChannelWeights(Surface* source, std::uint32_t destWeights,
                                        std::uint32_t sourceWeights, std::int32_t x,
                                        std::int32_t y, const RECT* sourceRect) {
    return BlendChannelWeightsAny(*this, source, destWeights, sourceWeights,
                                  BlendPlace{nullptr, x, y, sourceRect, false, false});
}

std::int32_t Image::StretchBlendChannelWeights(Surface* source, std::uint32_t destWeights,
                                               std::uint32_t sourceWeights, const SIZE* size,
                                               std::int32_t x, std::int32_t y,
                                               const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return BlendChannelWeightsAny(*this, source, destWeights, sourceWeights,
                                  BlendPlace{&whole, x, y, sourceRect, false, false});
}

std::int32_t Image::BlendMode(std::uint8_t type, Surface* source, std::int32_t x, std::int32_t y,
                              const RECT* sourceRect) {
    return MixAny(*this, source, BlendPlace{nullptr, x, y, sourceRect, false, false},
                  type < 3 ? kBlendModes[type] : nullptr, true);
}

std::int32_t Image::StretchBlendMode(std::uint8_t type, Surface* source, const SIZE* size,
                                     std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return MixAny(*this, source, BlendPlace{&whole, x, y, sourceRect, false, false},
                  type < 3 ? kBlendModes[type] : nullptr, true);
}

std::int32_t Image::CrossfadeOver(Surface* source, std::uint8_t opacity, std::int32_t x,
                                  std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    const std::int32_t check = Describe32(*this, source, true, s);
    if (check >= 0) return check;
    if (opacity == 0) return 0;
    if (opacity == 255) return Blit(source, x, y, sourceRect, false);
    return DrawBlended(*this, s, BlendPlace{nullptr, x, y, sourceRect, false, false},
                       [&](const KernelArgs& a, const StretchStep*) {
                           KernelCrossfadeOver(Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width,
                                               a.height, opacity);
                       });
}

void SetAllAlpha(Surface* surface, std::uint8_t alpha) {
    if (!surface) return;
    std::uint8_t* bits = surface->Bits();
    if (!bits) return;
    // Only 32-bit pixel rows have alpha bytes; rows may be padded beyond the width.
    if (surface->Kind() == kSurfacePixelBuffer && static_cast<PixelBuffer*>(surface)->Depth() != 32)
        return;
    const std::int32_t width = surface->Width();
    const std::int32_t height = surface->Height();
    const std::int32_t pitch = surface->Pitch();
    for (std::int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(bits + static_cast<std::ptrdiff_t>(y) * pitch);
        for (std::int32_t x = 0; x < width; ++x)
            row[x] = (row[x] & 0x00FFFFFFu) | (static_cast<std::uint32_t>(alpha) << 24);
    }
}
