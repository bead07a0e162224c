#include "tests/pixelops/simd_models.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "pixelops/blend_tables.h"
#include "pixelops/simd_selection.h"
#include "tests/pixelops/kernel_reference.h"

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
    case 0: return s;
    case 1: return std::min(255, d + s);
    case 2: return std::max(0, d + s - 255);
    case 3: return sd / 256;
    case 4: return d + s - sd / 256;
    case 5: return d < 128 ? sd / 128 : 2 * s + 2 * d - sd / 128 - 255;
    case 6: return s < 128 ? sd / 128 : 2 * s + 2 * d - sd / 128 - 255;
    case 7:
    case 8:
    case 10: {
        if (lane == 3) return A(sp);
        const std::uint8_t* t = mode == 7 ? T_softlight : mode == 8 ? T_dodge : T_burn;
        return t[Ch(sp, lane) * 256 + Ch(dp, lane)];
    }
    case 11: return std::max(s, d);
    case 12: return std::min(s, d);
    case 13: return std::abs(d - s);
    default: return d + s - sd / 128;
    }
}

template <int Mode, bool Opacity, bool Hold>
void LayerModel(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t op) {
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel sp = src[i], dp = dst[i];
        int w = A(sp) / 2;
        if (Opacity) w = w * static_cast<int>(op) / 256;
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
            return d * (255 - (255 - s) * static_cast<int>(op) / 256) / 256;
        });
}
void QMXGL_CALL ScreenModel(Pixel* dst, const Pixel* src, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = Lanes4(dst[i], src[i],
                        [](int d, int s, int) { return 255 - (255 - d) * (255 - s) / 256; });
}
void QMXGL_CALL ScreenOpacityModel(Pixel* dst, const Pixel* src, std::int32_t n,
                                   std::uint32_t op) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = Lanes4(dst[i], src[i], [op](int d, int s, int) {
            return 255 - (255 - d) * (255 - s * static_cast<int>(op) / 256) / 256;
        });
}

ModelMap BuildModels() {
    ModelMap m;
    AddLayers<0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15>(m);
    m[{117, kFormMmx}] = Op(&MulModel);
    m[{119, kFormMmx}] = Op(&MulOpacityModel);
    m[{133, kFormMmx}] = Op(&ScreenModel);
    m[{135, kFormMmx}] = Op(&ScreenOpacityModel);
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
    for (int i = 0; i < 256; ++i) {
        int p;
        if (i < phase - vague)
            p = 255;
        else if (i >= phase)
            p = 0;
        else
            p = 255 - 255 * (i - phase + vague) / vague;
        p = Sat(p);
        entries[i] = static_cast<std::int16_t>((255 - p) * 128);
    }
}

}  // namespace pixelopstest
