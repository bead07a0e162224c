#include "tests/pixelops/kernels/simd_models.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "pixelops/library/blend_tables.h"
#include "pixelops/library/simd_selection.h"
#include "tests/pixelops/kernels/kernel_reference.h"

using namespace pixelops;

namespace pixelopstest {

namespace {

int FloorDiv(int n, int d) {
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}
int Sat(int v) {
    return v < 0 ? 0 : v > 255 ? 255 : v;
}
template <class F>
Pixel Lanes4(Pixel d, Pixel s, F f) {
    return Make(f(Ch(d, 0), Ch(s, 0), 0), f(Ch(d, 1), Ch(s, 1), 1), f(Ch(d, 2), Ch(s, 2), 2),
                f(Ch(d, 3), Ch(s, 3), 3));
}

// ---- Layer modes: 7-bit weight, alpha as a fourth lane.

int LayerLane(int mode, int s, int d, int lane, Pixel sp, Pixel dp) {
    const int sd = s * d;
    switch (mode) {
        case 0:
            return s;
        case 1:
            return std::min(255, d + s);
        case 2:
            return std::max(0, d + s - 255);
        case 3:
            return sd / 256;
        case 4:
            return d + s - sd / 256;
        case 5:
            return d < 128 ? sd / 128 : 2 * s + 2 * d - sd / 128 - 255;
        case 6:
            return s < 128 ? sd / 128 : 2 * s + 2 * d - sd / 128 - 255;
        case 7:
        case 8:
        case 10: {
            if (lane == 3) return A(sp);
            const std::uint8_t* t = mode == 7 ? T_softlight : mode == 8 ? T_dodge : T_burn;
            return t[Ch(sp, lane) * 256 + Ch(dp, lane)];
        }
        case 11:
            return std::max(s, d);
        case 12:
            return std::min(s, d);
        case 13:
            return std::abs(d - s);
        default:
            return d + s - sd / 128;
    }
}

template <int Mode, bool Opacity, bool Hold>
void LayerModel(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t op) {
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel sp = src[i], dp = dst[i];
        int w = A(sp) / 2;
        if (Opacity) w = w * static_cast<int>(op & 0xFF) / 256;
        int out[4];
        for (int lane = 0; lane < 4; ++lane) {
            const int wl = Hold && lane == 3 ? 0 : w;
            const int s = Ch(sp, lane), d = Ch(dp, lane);
            if (Mode == 9 || Mode == 14) {
                const int p = s * wl / 128;
                if (Mode == 14)
                    out[lane] = std::abs(d - p);
                else if (lane == 3)
                    out[lane] = Hold ? d : p;
                else
                    out[lane] = T_dodge[p * 256 + d];
                continue;
            }
            const int f = LayerLane(Mode, s, d, lane, sp, dp);
            out[lane] = Sat(d + FloorDiv((f - d) * wl, 128));
        }
        dst[i] = Make(out[0], out[1], out[2], out[3]);
    }
}

template <int Mode>
void QMXGL_CALL LayerPlain(Pixel* d, const Pixel* s, std::int32_t n) {
    LayerModel<Mode, false, false>(d, s, n, 0);
}
template <int Mode>
void QMXGL_CALL LayerOpacity(Pixel* d, const Pixel* s, std::int32_t n, std::uint32_t op) {
    LayerModel<Mode, true, false>(d, s, n, op);
}
template <int Mode>
void QMXGL_CALL LayerHold(Pixel* d, const Pixel* s, std::int32_t n) {
    LayerModel<Mode, false, true>(d, s, n, 0);
}
template <int Mode>
void QMXGL_CALL LayerHoldOpacity(Pixel* d, const Pixel* s, std::int32_t n, std::uint32_t op) {
    LayerModel<Mode, true, true>(d, s, n, op);
}

using ModelMap = std::map<std::pair<int, int>, PixelOperation>;

template <class F>
PixelOperation Op(F f) {
    return reinterpret_cast<PixelOperation>(f);
}

template <int Mode>
void AddLayer(ModelMap& m) {
    const int word = 171 + 4 * Mode;
    m[{word, kFormMmx}] = Op(&LayerPlain<Mode>);
    m[{word + 1, kFormMmx}] = Op(&LayerOpacity<Mode>);
    m[{word + 2, kFormMmx}] = Op(&LayerHold<Mode>);
    m[{word + 3, kFormMmx}] = Op(&LayerHoldOpacity<Mode>);
}

template <int... Modes>
void AddLayers(ModelMap& m) {
    (AddLayer<Modes>(m), ...);
}

// ---- Arithmetic: the alpha lane computed like a colour.

void QMXGL_CALL MulModel(Pixel* dst, const Pixel* src, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = Lanes4(dst[i], src[i], [](int d, int s, int) { return d * s / 256; });
}
void QMXGL_CALL MulOpacityModel(Pixel* dst, const Pixel* src, std::int32_t n, std::uint32_t op) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = Lanes4(dst[i], src[i], [op](int d, int s, int) {
            return d * (255 - (255 - s) * static_cast<int>(op & 0xFF) / 256) / 256;
        });
}
void QMXGL_CALL ScreenModel(Pixel* dst, const Pixel* src, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = Lanes4(dst[i], src[i],
                        [](int d, int s, int) { return 255 - (255 - d) * (255 - s) / 256; });
}
void QMXGL_CALL ScreenOpacityModel(Pixel* dst, const Pixel* src, std::int32_t n, std::uint32_t op) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = Lanes4(dst[i], src[i], [op](int d, int s, int) {
            return 255 - (255 - d) * (255 - s * static_cast<int>(op & 0xFF) / 256) / 256;
        });
}

// ---- Unstretched blends: four-lane interpolation, pair shortcuts.

bool Aligned8(const void* p) {
    return (reinterpret_cast<std::uintptr_t>(p) & 7) == 0;
}
Pixel Interp4(Pixel d, Pixel s, int w) {
    return Lanes4(d, s, [w](int dc, int sc, int) { return dc + FloorDiv((sc - dc) * w, 256); });
}
// Premultiplied source over any destination: every lane min(255, d - floor(d sa / 256) + s).
Pixel AdditiveRule(Pixel d, Pixel s) {
    const int sa = A(s);
    return Lanes4(d, s,
                  [sa](int dc, int sc, int) { return std::min(255, dc - dc * sa / 256 + sc); });
}

void QMXGL_CALL AlphaBlendModel(Pixel* dst, const Pixel* src, std::int32_t n) {
    std::int32_t i = 0;
    auto single = [&](std::int32_t k) {
        dst[k] = A(src[k]) == 255 ? src[k] : Interp4(dst[k], src[k], A(src[k]));
    };
    if (n > 4) {
        if (!Aligned8(dst)) single(i++);
        for (; n - i > 4; i += 2) {
            const int a0 = A(src[i]), a1 = A(src[i + 1]);
            if (a0 == 255 && a1 == 255) {
                dst[i] = src[i];
                dst[i + 1] = src[i + 1];
            } else if (a0 != 0 || a1 != 0) {
                dst[i] = Interp4(dst[i], src[i], a0);
                dst[i + 1] = Interp4(dst[i + 1], src[i + 1], a1);
            }
        }
    }
    for (; i < n; ++i) single(i);
}

// Above two pixels: one to align dst, pairs while more than two remain, then singles.
template <class Pair, class Single>
void PairWalkModel(Pixel* dst, std::int32_t n, Pair pair, Single single) {
    std::int32_t i = 0;
    if (n > 2) {
        if (!Aligned8(dst)) single(i++);
        for (; n - i > 2; i += 2) pair(i);
    }
    for (; i < n; ++i) single(i);
}

void QMXGL_CALL AlphaBlendOpacityModel(Pixel* dst, const Pixel* src, std::int32_t n,
                                       std::uint32_t op) {
    op &= 0xFF;
    PairWalkModel(
        dst, n,
        [&](std::int32_t i) {
            for (int k = i; k < i + 2; ++k)
                dst[k] = Interp4(dst[k], src[k], A(src[k]) * static_cast<int>(op & 0xFF) / 256);
        },
        [&](std::int32_t i) {
            const int w = static_cast<int>(static_cast<std::uint64_t>(src[i]) * op >> 32);
            dst[i] = Interp4(dst[i], src[i], w);
        });
}

void QMXGL_CALL ConstAlphaModel(Pixel* dst, const Pixel* src, std::int32_t n, std::uint32_t op) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = Interp4(dst[i], src[i], static_cast<int>(op & 0xFF));
}

Pixel OntoAlphaModelPixel(Pixel d, Pixel s, bool paired) {
    const int sa = A(s), da = A(d);
    const int alpha =
        paired ? 255 - (255 - sa) * (255 - da) / 256 : 255 - (255 - sa) * (255 - da) / 255;
    return RefLerp(d, s, RefWeight(sa, da), alpha);
}
void QMXGL_CALL AlphaBlendOntoAlphaModel(Pixel* dst, const Pixel* src, std::int32_t n) {
    std::int32_t i = 0;
    for (; n - i >= 2; i += 2) {
        const int a0 = A(src[i]), a1 = A(src[i + 1]);
        if (a0 == 255 && a1 == 255) {
            dst[i] = src[i];
            dst[i + 1] = src[i + 1];
        } else if (a0 != 0 || a1 != 0) {
            dst[i] = OntoAlphaModelPixel(dst[i], src[i], true);
            dst[i + 1] = OntoAlphaModelPixel(dst[i + 1], src[i + 1], true);
        }
    }
    if (i < n) dst[i] = OntoAlphaModelPixel(dst[i], src[i], false);
}

void QMXGL_CALL AdditiveModel(Pixel* dst, const Pixel* src, std::int32_t n) {
    PairWalkModel(
        dst, n,
        [&](std::int32_t i) {
            if (src[i] == 0 && src[i + 1] == 0) return;
            const bool opaque = A(src[i]) == 255 && A(src[i + 1]) == 255;
            for (int k = i; k < i + 2; ++k) dst[k] = opaque ? src[k] : AdditiveRule(dst[k], src[k]);
        },
        [&](std::int32_t i) { dst[i] = AdditiveRule(dst[i], src[i]); });
}
void QMXGL_CALL AdditiveHoldModel(Pixel* dst, const Pixel* src, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = (AdditiveRule(dst[i], src[i]) & 0x00FFFFFF) | (dst[i] & 0xFF000000);
}
void QMXGL_CALL AdditiveOpacityModel(Pixel* dst, const Pixel* src, std::int32_t n,
                                     std::uint32_t op) {
    op &= 0xFF;
    const int o = static_cast<int>(op + (op >> 7));
    for (std::int32_t i = 0; i < n; ++i) dst[i] = AdditiveRule(dst[i], RefScale4(src[i], o));
}

// ---- Constant colour, key colour and the 32-bit box-blur averages.

void QMXGL_CALL ColourOntoAlphaModel(Pixel* row, std::int32_t n, std::uint32_t colour,
                                     std::uint32_t opacity) {
    const int o = static_cast<int>(opacity & 0xFF);
    for (std::int32_t i = 0; i < n; ++i)
        row[i] = RefLerp(row[i], colour, RefWeight(o, A(row[i])), RefOverAlpha(o, A(row[i])));
}
void QMXGL_CALL ColourOntoAdditiveModel(Pixel* row, std::int32_t n, std::uint32_t colour,
                                        std::uint32_t opacity) {
    opacity &= 0xFF;
    const int o = static_cast<int>(opacity + (opacity >> 7));
    const Pixel c = (colour & 0x00FFFFFF) | 0xFF000000;
    for (std::int32_t i = 0; i < n; ++i)
        row[i] = Lanes4(row[i], c, [o](int d, int cc, int lane) {
            return std::min(255, d - d * o / 256 + (lane == 3 ? o : cc * o / 256));
        });
}
void QMXGL_CALL KeyModel(Pixel* row, std::int32_t n, std::uint32_t key) {
    for (std::int32_t i = 0; i < n; ++i) {
        const Pixel c = row[i] & 0x00FFFFFF;
        row[i] = c == (key & 0x00FFFFFF) ? c : c | 0xFF000000;
    }
}

template <bool WithAlpha>
void QMXGL_CALL Average32Model(Pixel* dst, std::uint32_t* running, const std::uint32_t* in,
                               const std::uint32_t* out, std::int32_t area, std::int32_t n) {
    if (area <= 0) return;
    const std::uint64_t a = static_cast<std::uint64_t>(area);
    const std::uint64_t r = (std::uint64_t{1} << 32) / a;
    for (std::int32_t i = 0; i < n; ++i) {
        int avg[4];
        for (int c = 0; c < 4; ++c) {
            const std::uint64_t v = running[c] + a / 2;
            avg[c] = static_cast<int>((area == 1 ? v : (v * r) >> 32) & 0xFF);
        }
        if (WithAlpha)
            for (int c = 0; c < 3; ++c) avg[c] = T_div[avg[3] * 256 + avg[c]];
        dst[i] = Make(avg[0], avg[1], avg[2], avg[3]);
        for (int c = 0; c < 4; ++c) running[c] += in[4 * i + c] - out[4 * i + c];
    }
}

// ---- Resampling: alpha as a fourth lane, the additive lane rule, the raw affine fraction.

std::uint32_t Whole(std::int32_t position) {
    return static_cast<std::uint32_t>(position) >> 16;
}
int Frac(std::int32_t position) {
    return static_cast<int>((static_cast<std::uint32_t>(position) >> 8) & 0xFF);
}
int Widen(int f) {
    return f + (f >> 7);
}
Pixel StretchSample(const Pixel* row0, const Pixel* row1, std::uint32_t fy, std::int32_t x) {
    const std::uint32_t k = Whole(x);
    const int fx = Frac(x);
    return RefBlendArgb(RefBlendArgb(row0[k], row0[k + 1], fx),
                        RefBlendArgb(row1[k], row1[k + 1], fx), Widen(static_cast<int>(fy & 0xFF)));
}
// The MMX affine sample: horizontal fraction as it stands, vertical widened.
Pixel AffineRawSample(const void* src, std::int32_t u, std::int32_t v, std::int32_t pitch) {
    const auto* row =
        static_cast<const std::uint8_t*>(src) + static_cast<std::int32_t>(Whole(v)) * pitch;
    const Pixel* top = reinterpret_cast<const Pixel*>(row) + Whole(u);
    const Pixel* bottom = reinterpret_cast<const Pixel*>(row + pitch) + Whole(u);
    const int fx = Frac(u);
    return RefBlendArgb(RefBlendArgb(top[0], top[1], fx), RefBlendArgb(bottom[0], bottom[1], fx),
                        Widen(Frac(v)));
}
Pixel AffineNearest(const void* src, std::int32_t u, std::int32_t v, std::int32_t pitch) {
    const auto* row =
        static_cast<const std::uint8_t*>(src) + static_cast<std::int32_t>(Whole(v)) * pitch;
    return reinterpret_cast<const Pixel*>(row)[Whole(u)];
}

void QMXGL_CALL StretchAlphaModel(Pixel* dst, std::int32_t n, const Pixel* src, std::int32_t x,
                                  std::int32_t step) {
    for (std::int32_t i = 0; i < n; ++i, x += step)
        dst[i] = Interp4(dst[i], src[Whole(x)], A(src[Whole(x)]));
}
void QMXGL_CALL StretchAdditiveModel(Pixel* dst, std::int32_t n, const Pixel* src, std::int32_t x,
                                     std::int32_t step) {
    for (std::int32_t i = 0; i < n; ++i, x += step) dst[i] = AdditiveRule(dst[i], src[Whole(x)]);
}
void QMXGL_CALL StretchConstModel(Pixel* dst, std::int32_t n, const Pixel* src, std::int32_t x,
                                  std::int32_t step, std::uint32_t op) {
    for (std::int32_t i = 0; i < n; ++i, x += step)
        dst[i] = Interp4(dst[i], src[Whole(x)], static_cast<int>(op & 0xFF));
}
void QMXGL_CALL BilinearAdditiveModel(Pixel* dst, std::int32_t n, const Pixel* r0, const Pixel* r1,
                                      std::uint32_t fy, std::int32_t x, std::int32_t step) {
    for (std::int32_t i = 0; i < n; ++i, x += step)
        dst[i] = AdditiveRule(dst[i], StretchSample(r0, r1, fy, x));
}
void QMXGL_CALL BilinearAdditiveOpacityModel(Pixel* dst, std::int32_t n, const Pixel* r0,
                                             const Pixel* r1, std::uint32_t fy, std::int32_t x,
                                             std::int32_t step, std::uint32_t op) {
    const int o = Widen(static_cast<int>(op & 0xFF));
    for (std::int32_t i = 0; i < n; ++i, x += step)
        dst[i] = AdditiveRule(dst[i], RefScale4(StretchSample(r0, r1, fy, x), o));
}
void QMXGL_CALL BilinearConstModel(Pixel* dst, std::int32_t n, const Pixel* r0, const Pixel* r1,
                                   std::uint32_t fy, std::int32_t x, std::int32_t step,
                                   std::uint32_t op) {
    const int o = Widen(static_cast<int>(op & 0xFF));
    for (std::int32_t i = 0; i < n; ++i, x += step)
        dst[i] = RefBlendArgb(dst[i], StretchSample(r0, r1, fy, x), o);
}
void QMXGL_CALL AffineConstModel(Pixel* dst, std::int32_t n, const void* src, std::int32_t u,
                                 std::int32_t v, std::int32_t du, std::int32_t dv,
                                 std::int32_t pitch, std::uint32_t op) {
    for (std::int32_t i = 0; i < n; ++i, u += du, v += dv)
        dst[i] = Interp4(dst[i], AffineNearest(src, u, v, pitch), static_cast<int>(op & 0xFF));
}
void QMXGL_CALL BilinearAffineCopyModel(Pixel* dst, std::int32_t n, const void* src, std::int32_t u,
                                        std::int32_t v, std::int32_t du, std::int32_t dv,
                                        std::int32_t pitch) {
    for (std::int32_t i = 0; i < n; ++i, u += du, v += dv)
        dst[i] = AffineRawSample(src, u, v, pitch);
}
void QMXGL_CALL BilinearAffineConstModel(Pixel* dst, std::int32_t n, const void* src,
                                         std::int32_t u, std::int32_t v, std::int32_t du,
                                         std::int32_t dv, std::int32_t pitch, std::uint32_t op) {
    const int o = Widen(static_cast<int>(op & 0xFF));
    for (std::int32_t i = 0; i < n; ++i, u += du, v += dv)
        dst[i] = RefBlendArgb(dst[i], AffineRawSample(src, u, v, pitch), o);
}
void QMXGL_CALL BilinearAffineAdditiveModel(Pixel* dst, std::int32_t n, const void* src,
                                            std::int32_t u, std::int32_t v, std::int32_t du,
                                            std::int32_t dv, std::int32_t pitch) {
    for (std::int32_t i = 0; i < n; ++i, u += du, v += dv)
        dst[i] = AdditiveRule(dst[i], AffineRawSample(src, u, v, pitch));
}
void QMXGL_CALL BilinearAffineAdditiveOpacityModel(Pixel* dst, std::int32_t n, const void* src,
                                                   std::int32_t u, std::int32_t v, std::int32_t du,
                                                   std::int32_t dv, std::int32_t pitch,
                                                   std::uint32_t op) {
    const int o = Widen(static_cast<int>(op & 0xFF));
    for (std::int32_t i = 0; i < n; ++i, u += du, v += dv)
        dst[i] = AdditiveRule(dst[i], RefScale4(AffineRawSample(src, u, v, pitch), o));
}

// ---- Transitions: all four bytes; the rule blend rounds to even steps from src2.

void QMXGL_CALL CrossfadeModel(Pixel* dst, const Pixel* a, const Pixel* b, std::int32_t n,
                               std::uint32_t ratio) {
    for (std::int32_t i = 0; i < n; ++i) dst[i] = RefBlendArgb(a[i], b[i], static_cast<int>(ratio));
}
Pixel RuleBlend(Pixel a, Pixel b, int w) {
    return Lanes4(a, b, [w](int first, int second, int) {
        const int t = (first - second) * w;
        return Sat(second + 2 * (t >= 0 ? t / 65536 : -((-t + 65535) / 65536)));
    });
}
void QMXGL_CALL RuleLineModel(Pixel* dst, const Pixel* a, const Pixel* b, const std::uint8_t* rule,
                              const std::int32_t* table, std::int32_t n) {
    const auto* w = reinterpret_cast<const std::int16_t*>(table);
    for (std::int32_t i = 0; i < n; ++i) dst[i] = RuleBlend(a[i], b[i], w[rule[i]]);
}
void QMXGL_CALL RuleSwitchModel(Pixel* dst, const Pixel* a, const Pixel* b,
                                const std::uint8_t* rule, const std::int32_t* table, std::int32_t n,
                                std::int32_t first, std::int32_t second) {
    const auto* w = reinterpret_cast<const std::int16_t*>(table);
    std::int32_t i = 0;
    for (; n - i >= 2; i += 2) {
        const int r0 = rule[i], r1 = rule[i + 1];
        for (int k = i; k < i + 2; ++k) {
            if (r0 >= first && r1 >= first)
                dst[k] = a[k];
            else if (r0 < second && r1 < second)
                dst[k] = b[k];
            else
                dst[k] = RuleBlend(a[k], b[k], w[rule[k]]);
        }
    }
    if (i < n) dst[i] = RuleBlend(a[i], b[i], w[rule[i]]);
}

ModelMap BuildModels() {
    ModelMap m;
    AddLayers<0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15>(m);
    m[{117, kFormMmx}] = Op(&MulModel);
    m[{119, kFormMmx}] = Op(&MulOpacityModel);
    m[{133, kFormMmx}] = Op(&ScreenModel);
    m[{135, kFormMmx}] = Op(&ScreenOpacityModel);
    m[{106, kFormMmx}] = Op(&ColourOntoAlphaModel);
    m[{107, kFormMmx}] = Op(&ColourOntoAdditiveModel);
    m[{146, kFormCmov}] = Op(&KeyModel);
    m[{160, kFormMmx}] = Op(&Average32Model<false>);
    m[{161, kFormMmx}] = Op(&Average32Model<true>);
    m[{44, kFormMmx}] = Op(&StretchAlphaModel);
    m[{52, kFormMmx}] = Op(&StretchAdditiveModel);
    m[{53, kFormMmx}] = Op(&BilinearAdditiveModel);
    m[{56, kFormMmx}] = Op(&BilinearAdditiveOpacityModel);
    m[{69, kFormMmx}] = Op(&BilinearAffineAdditiveModel);
    m[{72, kFormMmx}] = Op(&BilinearAffineAdditiveOpacityModel);
    m[{82, kFormMmx}] = Op(&StretchConstModel);
    m[{83, kFormMmx}] = Op(&BilinearConstModel);
    m[{88, kFormMmx}] = Op(&AffineConstModel);
    m[{89, kFormMmx}] = Op(&BilinearAffineConstModel);
    m[{144, kFormMmx}] = Op(&BilinearAffineCopyModel);
    m[{93, kFormMmx}] = Op(&CrossfadeModel);
    m[{96, kFormMmx}] = Op(&ModelMmxRuleTable);
    m[{99, kFormMmx}] = Op(&RuleLineModel);
    m[{100, kFormMmx}] = Op(&RuleSwitchModel);
    m[{27, kFormMmx}] = Op(&AlphaBlendModel);
    m[{29, kFormMmx}] = Op(&AlphaBlendOpacityModel);
    m[{31, kFormMmx}] = Op(&AlphaBlendOntoAlphaModel);
    m[{77, kFormMmx}] = Op(&ConstAlphaModel);
    m[{36, kFormMmx}] = Op(&AdditiveModel);
    m[{37, kFormMmx}] = Op(&AdditiveHoldModel);
    m[{38, kFormMmx}] = Op(&AdditiveOpacityModel);
    m[{40, kFormMmx}] = Op(&AdditiveModel);
    return m;
}

}  // namespace

PixelOperation SimdModel(int word, int form) {
    static const ModelMap models = BuildModels();
    auto it = models.find({word, form});
    if (it == models.end() && form == kFormMmxExt) it = models.find({word, kFormMmx});
    return it == models.end() ? nullptr : it->second;
}

void QMXGL_CALL ModelMmxRuleTable(std::int32_t* table, std::int32_t phase, std::int32_t vague) {
    std::int16_t* entries = reinterpret_cast<std::int16_t*>(table);
    // The portable table's entries, in 64 bits since a script's vague width may be any number.
    const std::int64_t bandStart = std::int64_t{phase} - vague;
    for (int i = 0; i < 256; ++i) {
        std::int64_t p;
        if (i < bandStart)
            p = 255;
        else if (i >= phase)
            p = 0;
        else
            p = 255 - (i - bandStart) * 255 / vague;
        p = std::clamp<std::int64_t>(p, 0, 255);
        entries[i] = static_cast<std::int16_t>((255 - p) * 128);
    }
}

}  // namespace pixelopstest
