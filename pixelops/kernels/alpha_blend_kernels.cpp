// Alpha, additive-alpha and constant-opacity row kernels in their plain, stretched and affine
// forms (words 27-92).
#include "pixelops/kernels/pixel_math.h"
#include "pixelops/kernels/row_kernels.h"

namespace pixelops {

namespace {

// The four variants of the alpha family, by weight w (source alpha, or opacity-scaled).
struct AlphaPlain {
    Pixel operator()(Pixel d, Pixel s, std::uint32_t w) const { return LerpColour(d, s, w); }
};
struct AlphaHold {
    Pixel operator()(Pixel d, Pixel s, std::uint32_t w) const {
        return LerpColour(d, s, w) | (d & 0xFF000000);
    }
};
struct AlphaOntoAlpha {
    Pixel operator()(Pixel d, Pixel s, std::uint32_t w) const { return OverAlpha(d, s, w); }
};
struct AlphaOntoAdditive {
    Pixel operator()(Pixel d, Pixel s, std::uint32_t w) const {
        return AdditiveOntoAdditive(d, Premultiply((s & 0x00FFFFFF) | (w << 24)));
    }
};

// Weight by source alpha, or by opacity times source alpha >> 8.
template <class Variant>
struct BySourceAlpha {
    Pixel operator()(Pixel d, Pixel s) const { return Variant()(d, s, Alpha(s)); }
};
template <class Variant>
struct BySourceAlphaOpacity {
    std::uint32_t op;
    Pixel operator()(Pixel d, Pixel s) const { return Variant()(d, s, (op * Alpha(s)) >> 8); }
};

// The additive-alpha variants on an already scaled source.
struct AdditivePlain {
    Pixel operator()(Pixel d, Pixel s) const { return AdditiveAlphaOver(d, s); }
};
struct AdditiveHold {
    Pixel operator()(Pixel d, Pixel s) const {
        return (AdditiveAlphaOver(d, s) & 0x00FFFFFF) | (d & 0xFF000000);
    }
};
struct AdditiveOnto {
    Pixel operator()(Pixel d, Pixel s) const { return AdditiveOntoAdditive(d, s); }
};
template <class Variant>
struct Scaled {
    std::uint32_t k;
    Pixel operator()(Pixel d, Pixel s) const { return Variant()(d, Scale4(s, k)); }
};

// Constant-opacity variants.
struct Opaque {
    Pixel operator()(Pixel, Pixel s) const { return s | 0xFF000000; }
};
struct ConstPlain {
    std::uint32_t op;
    Pixel operator()(Pixel d, Pixel s) const { return LerpColour(d, s, op); }
};
struct ConstHold {
    std::uint32_t op;
    Pixel operator()(Pixel d, Pixel s) const { return LerpColour(d, s, op) | (d & 0xFF000000); }
};
struct ConstOntoAlpha {
    std::uint32_t op;
    Pixel operator()(Pixel d, Pixel s) const { return OverAlpha(d, s, op); }
};
struct ConstOntoAdditive {
    std::uint32_t op;
    Pixel operator()(Pixel d, Pixel s) const {
        return AdditiveOntoAdditive(d, (s & 0x00FFFFFF) | (op << 24));
    }
};
struct WholeBlend {
    std::uint32_t w;
    Pixel operator()(Pixel d, Pixel s) const { return BlendArgb(d, s, w); }
};

std::uint32_t Low(std::uint32_t opacity) {
    return opacity & 0xFF;
}
std::uint32_t Widened(std::uint32_t opacity) {
    const std::uint32_t op = Low(opacity);
    return op + (op >> 7);
}

}  // namespace

// Plain forms.

void QMXGL_CALL AlphaBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    PlainLoop(dst, src, count, BySourceAlpha<AlphaPlain>());
}
void QMXGL_CALL AlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    PlainLoop(dst, src, count, BySourceAlpha<AlphaHold>());
}
void QMXGL_CALL AlphaBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                      std::uint32_t opacity) {
    PlainLoop(dst, src, count, BySourceAlphaOpacity<AlphaPlain>{Low(opacity)});
}
void QMXGL_CALL AlphaBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity) {
    PlainLoop(dst, src, count, BySourceAlphaOpacity<AlphaHold>{Low(opacity)});
}
void QMXGL_CALL AlphaBlendLineOntoAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    PlainLoop(dst, src, count, BySourceAlpha<AlphaOntoAlpha>());
}
void QMXGL_CALL AlphaBlendLineOntoAdditiveAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    PlainLoop(dst, src, count, BySourceAlpha<AlphaOntoAdditive>());
}
void QMXGL_CALL AlphaBlendLineOntoAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity) {
    PlainLoop(dst, src, count, BySourceAlphaOpacity<AlphaOntoAlpha>{Low(opacity)});
}
void QMXGL_CALL AlphaBlendLineOntoAdditiveAlphaOpacity(Pixel* dst, const Pixel* src,
                                                       std::int32_t count, std::uint32_t opacity) {
    PlainLoop(dst, src, count, BySourceAlphaOpacity<AlphaOntoAdditive>{Low(opacity)});
}

void QMXGL_CALL BlendColorUnderLine(Pixel* row, std::uint32_t colour, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        row[i] = LerpColour(colour, row[i], Alpha(row[i])) | 0xFF000000;
}

void QMXGL_CALL AdditiveAlphaBlendLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    PlainLoop(dst, src, count, AdditivePlain());
}
void QMXGL_CALL AdditiveAlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count) {
    PlainLoop(dst, src, count, AdditiveHold());
}
void QMXGL_CALL AdditiveAlphaBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                              std::uint32_t opacity) {
    PlainLoop(dst, src, count, Scaled<AdditivePlain>{Low(opacity)});
}
void QMXGL_CALL AdditiveAlphaBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                       std::int32_t count, std::uint32_t opacity) {
    PlainLoop(dst, src, count, Scaled<AdditiveHold>{Low(opacity)});
}
void QMXGL_CALL AdditiveAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, const Pixel* src,
                                                        std::int32_t count) {
    PlainLoop(dst, src, count, AdditiveOnto());
}
void QMXGL_CALL AdditiveAlphaBlendLineOntoAdditiveAlphaOpacity(Pixel* dst, const Pixel* src,
                                                               std::int32_t count,
                                                               std::uint32_t opacity) {
    PlainLoop(dst, src, count, Scaled<AdditiveOnto>{Low(opacity)});
}

void QMXGL_CALL ConvertAdditiveAlphaToAlphaLine(Pixel* row, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel p = row[i];
        const std::uint8_t* divide = T_div + Alpha(p) * 256;
        row[i] = MakePixel(divide[Channel(p, 0)], divide[Channel(p, 1)], divide[Channel(p, 2)],
                           Alpha(p));
    }
}
void QMXGL_CALL ConvertAlphaToAdditiveAlphaLine(Pixel* row, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) row[i] = Premultiply(row[i]);
}

// Stretched alpha forms.

void QMXGL_CALL StretchAlphaBlendLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                      std::int32_t x, std::int32_t step) {
    StretchLoop(dst, count, src, x, step, BySourceAlpha<AlphaPlain>());
}
void QMXGL_CALL StretchAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count, const Pixel* src,
                                               std::int32_t x, std::int32_t step) {
    StretchLoop(dst, count, src, x, step, BySourceAlpha<AlphaHold>());
}
void QMXGL_CALL StretchAlphaBlendLineOpacity(Pixel* dst, std::int32_t count, const Pixel* src,
                                             std::int32_t x, std::int32_t step,
                                             std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, BySourceAlphaOpacity<AlphaPlain>{Low(opacity)});
}
void QMXGL_CALL StretchAlphaBlendLineHoldAlphaOpacity(Pixel* dst, std::int32_t count,
                                                      const Pixel* src, std::int32_t x,
                                                      std::int32_t step, std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, BySourceAlphaOpacity<AlphaHold>{Low(opacity)});
}
void QMXGL_CALL StretchAlphaBlendLineOntoAlpha(Pixel* dst, std::int32_t count, const Pixel* src,
                                               std::int32_t x, std::int32_t step) {
    StretchLoop(dst, count, src, x, step, BySourceAlpha<AlphaOntoAlpha>());
}
void QMXGL_CALL StretchAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                       const Pixel* src, std::int32_t x,
                                                       std::int32_t step) {
    StretchLoop(dst, count, src, x, step, BySourceAlpha<AlphaOntoAdditive>());
}
void QMXGL_CALL StretchAlphaBlendLineOntoAlphaOpacity(Pixel* dst, std::int32_t count,
                                                      const Pixel* src, std::int32_t x,
                                                      std::int32_t step, std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, BySourceAlphaOpacity<AlphaOntoAlpha>{Low(opacity)});
}
void QMXGL_CALL StretchAlphaBlendLineOntoAdditiveAlphaOpacity(Pixel* dst, std::int32_t count,
                                                              const Pixel* src, std::int32_t x,
                                                              std::int32_t step,
                                                              std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, BySourceAlphaOpacity<AlphaOntoAdditive>{Low(opacity)});
}

// Stretched additive-alpha forms.

void QMXGL_CALL StretchAdditiveAlphaBlendLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                              std::int32_t x, std::int32_t step) {
    StretchLoop(dst, count, src, x, step, AdditivePlain());
}
void QMXGL_CALL BilinearStretchAdditiveAlphaBlendLine(Pixel* dst, std::int32_t count,
                                                      const Pixel* row0, const Pixel* row1,
                                                      std::uint32_t fy, std::int32_t x,
                                                      std::int32_t step) {
    BilinearStretchLoop(dst, count, row0, row1, fy, x, step, AdditivePlain());
}
void QMXGL_CALL StretchAdditiveAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count,
                                                       const Pixel* src, std::int32_t x,
                                                       std::int32_t step) {
    StretchLoop(dst, count, src, x, step, AdditiveHold());
}
void QMXGL_CALL StretchAdditiveAlphaBlendLineOpacity(Pixel* dst, std::int32_t count,
                                                     const Pixel* src, std::int32_t x,
                                                     std::int32_t step, std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, Scaled<AdditivePlain>{Low(opacity)});
}
void QMXGL_CALL BilinearStretchAdditiveAlphaBlendLineOpacity(Pixel* dst, std::int32_t count,
                                                             const Pixel* row0, const Pixel* row1,
                                                             std::uint32_t fy, std::int32_t x,
                                                             std::int32_t step,
                                                             std::uint32_t opacity) {
    BilinearStretchLoop(dst, count, row0, row1, fy, x, step, Scaled<AdditivePlain>{Low(opacity)});
}
void QMXGL_CALL StretchAdditiveAlphaBlendLineHoldAlphaOpacity(Pixel* dst, std::int32_t count,
                                                              const Pixel* src, std::int32_t x,
                                                              std::int32_t step,
                                                              std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, Scaled<AdditiveHold>{Low(opacity)});
}
void QMXGL_CALL StretchAdditiveAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                               const Pixel* src, std::int32_t x,
                                                               std::int32_t step) {
    StretchLoop(dst, count, src, x, step, AdditiveOnto());
}
void QMXGL_CALL StretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity(
    Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t x, std::int32_t step,
    std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, Scaled<AdditiveOnto>{Low(opacity)});
}

// Affine alpha forms.

void QMXGL_CALL AffineAlphaBlendLine(Pixel* dst, std::int32_t count, const void* src,
                                     std::int32_t u, std::int32_t v, std::int32_t du,
                                     std::int32_t dv, std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, BySourceAlpha<AlphaPlain>());
}
void QMXGL_CALL AffineAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count, const void* src,
                                              std::int32_t u, std::int32_t v, std::int32_t du,
                                              std::int32_t dv, std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, BySourceAlpha<AlphaHold>());
}
void QMXGL_CALL AffineAlphaBlendLineOpacity(Pixel* dst, std::int32_t count, const void* src,
                                            std::int32_t u, std::int32_t v, std::int32_t du,
                                            std::int32_t dv, std::int32_t pitch,
                                            std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch,
               BySourceAlphaOpacity<AlphaPlain>{Low(opacity)});
}
void QMXGL_CALL AffineAlphaBlendLineHoldAlphaOpacity(Pixel* dst, std::int32_t count,
                                                     const void* src, std::int32_t u,
                                                     std::int32_t v, std::int32_t du,
                                                     std::int32_t dv, std::int32_t pitch,
                                                     std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, BySourceAlphaOpacity<AlphaHold>{Low(opacity)});
}
void QMXGL_CALL AffineAlphaBlendLineOntoAlpha(Pixel* dst, std::int32_t count, const void* src,
                                              std::int32_t u, std::int32_t v, std::int32_t du,
                                              std::int32_t dv, std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, BySourceAlpha<AlphaOntoAlpha>());
}
void QMXGL_CALL AffineAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                      const void* src, std::int32_t u,
                                                      std::int32_t v, std::int32_t du,
                                                      std::int32_t dv, std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, BySourceAlpha<AlphaOntoAdditive>());
}
void QMXGL_CALL AffineAlphaBlendLineOntoAlphaOpacity(Pixel* dst, std::int32_t count,
                                                     const void* src, std::int32_t u,
                                                     std::int32_t v, std::int32_t du,
                                                     std::int32_t dv, std::int32_t pitch,
                                                     std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch,
               BySourceAlphaOpacity<AlphaOntoAlpha>{Low(opacity)});
}
void QMXGL_CALL AffineAlphaBlendLineOntoAdditiveAlphaOpacity(Pixel* dst, std::int32_t count,
                                                             const void* src, std::int32_t u,
                                                             std::int32_t v, std::int32_t du,
                                                             std::int32_t dv, std::int32_t pitch,
                                                             std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch,
               BySourceAlphaOpacity<AlphaOntoAdditive>{Low(opacity)});
}

// Affine additive-alpha forms.

void QMXGL_CALL AffineAdditiveAlphaBlendLine(Pixel* dst, std::int32_t count, const void* src,
                                             std::int32_t u, std::int32_t v, std::int32_t du,
                                             std::int32_t dv, std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, AdditivePlain());
}
void QMXGL_CALL BilinearAffineAdditiveAlphaBlendLine(Pixel* dst, std::int32_t count,
                                                     const void* src, std::int32_t u,
                                                     std::int32_t v, std::int32_t du,
                                                     std::int32_t dv, std::int32_t pitch) {
    BilinearAffineLoop(dst, count, src, u, v, du, dv, pitch, AdditivePlain());
}
void QMXGL_CALL AffineAdditiveAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count,
                                                      const void* src, std::int32_t u,
                                                      std::int32_t v, std::int32_t du,
                                                      std::int32_t dv, std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, AdditiveHold());
}
void QMXGL_CALL AffineAdditiveAlphaBlendLineOpacity(Pixel* dst, std::int32_t count, const void* src,
                                                    std::int32_t u, std::int32_t v, std::int32_t du,
                                                    std::int32_t dv, std::int32_t pitch,
                                                    std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, Scaled<AdditivePlain>{Low(opacity)});
}
void QMXGL_CALL BilinearAffineAdditiveAlphaBlendLineOpacity(Pixel* dst, std::int32_t count,
                                                            const void* src, std::int32_t u,
                                                            std::int32_t v, std::int32_t du,
                                                            std::int32_t dv, std::int32_t pitch,
                                                            std::uint32_t opacity) {
    BilinearAffineLoop(dst, count, src, u, v, du, dv, pitch,
                       Scaled<AdditivePlain>{Widened(opacity)});
}
void QMXGL_CALL AffineAdditiveAlphaBlendLineHoldAlphaOpacity(Pixel* dst, std::int32_t count,
                                                             const void* src, std::int32_t u,
                                                             std::int32_t v, std::int32_t du,
                                                             std::int32_t dv, std::int32_t pitch,
                                                             std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, Scaled<AdditiveHold>{Low(opacity)});
}
void QMXGL_CALL AffineAdditiveAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                              const void* src, std::int32_t u,
                                                              std::int32_t v, std::int32_t du,
                                                              std::int32_t dv, std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, AdditiveOnto());
}
void QMXGL_CALL AffineAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity(
    Pixel* dst, std::int32_t count, const void* src, std::int32_t u, std::int32_t v,
    std::int32_t du, std::int32_t dv, std::int32_t pitch, std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, Scaled<AdditiveOnto>{Low(opacity)});
}

// Constant-opacity family.

void QMXGL_CALL CopyOpaqueLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    PlainLoop(dst, src, count, Opaque());
}
void QMXGL_CALL ConstAlphaBlendLine(Pixel* dst, const Pixel* src, std::int32_t count,
                                    std::uint32_t opacity) {
    PlainLoop(dst, src, count, ConstPlain{Low(opacity)});
}
void QMXGL_CALL ConstAlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity) {
    PlainLoop(dst, src, count, ConstHold{Low(opacity)});
}
void QMXGL_CALL ConstAlphaBlendLineOntoAlpha(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity) {
    PlainLoop(dst, src, count, ConstOntoAlpha{Low(opacity)});
}
void QMXGL_CALL ConstAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, const Pixel* src,
                                                     std::int32_t count, std::uint32_t opacity) {
    PlainLoop(dst, src, count, ConstOntoAdditive{Low(opacity)});
}
void QMXGL_CALL StretchCopyOpaqueLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                      std::int32_t x, std::int32_t step) {
    StretchLoop(dst, count, src, x, step, Opaque());
}
void QMXGL_CALL StretchConstAlphaBlendLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                           std::int32_t x, std::int32_t step,
                                           std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, ConstPlain{Low(opacity)});
}
void QMXGL_CALL BilinearStretchConstAlphaBlendLine(Pixel* dst, std::int32_t count,
                                                   const Pixel* row0, const Pixel* row1,
                                                   std::uint32_t fy, std::int32_t x,
                                                   std::int32_t step, std::uint32_t opacity) {
    BilinearStretchLoop(dst, count, row0, row1, fy, x, step, WholeBlend{Low(opacity)});
}
void QMXGL_CALL StretchConstAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count,
                                                    const Pixel* src, std::int32_t x,
                                                    std::int32_t step, std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, ConstHold{Low(opacity)});
}
void QMXGL_CALL StretchConstAlphaBlendLineOntoAlpha(Pixel* dst, std::int32_t count,
                                                    const Pixel* src, std::int32_t x,
                                                    std::int32_t step, std::uint32_t opacity) {
    // Unlike the plain form, the source alpha takes part here.
    const std::uint32_t op = Low(opacity);
    const std::uint32_t k = op > 128 ? op + 1 : op;
    StretchLoop(dst, count, src, x, step,
                [k](Pixel d, Pixel s) { return OverAlpha(d, s, (Alpha(s) * k) >> 8); });
}
void QMXGL_CALL StretchConstAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                            const Pixel* src, std::int32_t x,
                                                            std::int32_t step,
                                                            std::uint32_t opacity) {
    StretchLoop(dst, count, src, x, step, ConstOntoAdditive{Low(opacity)});
}
void QMXGL_CALL AffineCopyOpaqueLine(Pixel* dst, std::int32_t count, const void* src,
                                     std::int32_t u, std::int32_t v, std::int32_t du,
                                     std::int32_t dv, std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, Opaque());
}
void QMXGL_CALL AffineConstAlphaBlendLine(Pixel* dst, std::int32_t count, const void* src,
                                          std::int32_t u, std::int32_t v, std::int32_t du,
                                          std::int32_t dv, std::int32_t pitch,
                                          std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, ConstPlain{Low(opacity)});
}
void QMXGL_CALL BilinearAffineConstAlphaBlendLine(Pixel* dst, std::int32_t count, const void* src,
                                                  std::int32_t u, std::int32_t v, std::int32_t du,
                                                  std::int32_t dv, std::int32_t pitch,
                                                  std::uint32_t opacity) {
    BilinearAffineLoop(dst, count, src, u, v, du, dv, pitch, WholeBlend{Widened(opacity)});
}
void QMXGL_CALL AffineConstAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count, const void* src,
                                                   std::int32_t u, std::int32_t v, std::int32_t du,
                                                   std::int32_t dv, std::int32_t pitch,
                                                   std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, ConstHold{Low(opacity)});
}
void QMXGL_CALL AffineConstAlphaBlendLineOntoAlpha(Pixel* dst, std::int32_t count, const void* src,
                                                   std::int32_t u, std::int32_t v, std::int32_t du,
                                                   std::int32_t dv, std::int32_t pitch,
                                                   std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, ConstOntoAlpha{Low(opacity)});
}
void QMXGL_CALL AffineConstAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                           const void* src, std::int32_t u,
                                                           std::int32_t v, std::int32_t du,
                                                           std::int32_t dv, std::int32_t pitch,
                                                           std::uint32_t opacity) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, ConstOntoAdditive{Low(opacity)});
}

}  // namespace pixelops
