// MMX forms of the sixteen layer blend modes (words 171-234).
//
// The lanes carry a 7-bit weight (half the source alpha) with a divisor of 128, and the alpha
// byte is a fourth channel: the plain and opacity forms interpolate it like a colour. Overlay
// and hard light are computed rather than looked up, so they divide by 128 where the table
// divides by 255.
#include "pixelops/library/blend_tables.h"
#include "pixelops/kernels/mmx_lanes.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

enum LayerMode {
    kNormal = 0,
    kAdditive,
    kSubtractive,
    kMultiply,
    kScreen,
    kOverlay,
    kHardLight,
    kSoftLight,
    kColorDodge,
    kColorDodgePreAlpha,
    kColorBurn,
    kLighten,
    kDarken,
    kDifference,
    kDifferencePreAlpha,
    kExclusion,
};

__m64 Select(__m64 mask, __m64 yes, __m64 no) {
    return _mm_or_si64(_mm_and_si64(mask, yes), _mm_andnot_si64(mask, no));
}

// Overlay's two branches, the upper one when `high` is set in a lane.
__m64 OverlayLanes(__m64 s, __m64 d, __m64 high) {
    const __m64 lower = _mm_srli_pi16(_mm_mullo_pi16(s, d), 7);
    const __m64 upper = _mm_sub_pi16(_mm_add_pi16(_mm_add_pi16(s, s), _mm_add_pi16(d, d)),
                                     _mm_add_pi16(lower, Splat(255)));
    return Select(high, upper, lower);
}

__m64 TableLanes(const std::uint8_t* table, Pixel sp, Pixel dp) {
    int out[3];
    for (int c = 0; c < 3; ++c) {
        const int s = (sp >> (8 * c)) & 0xFF, d = (dp >> (8 * c)) & 0xFF;
        out[c] = table[s * 256 + d];
    }
    return Lanes(out[0], out[1], out[2], static_cast<int>(sp >> 24));
}

template <int Mode>
__m64 LaneFunction(__m64 s, __m64 d, Pixel sp, Pixel dp) {
    const __m64 ps = _mm_cvtsi32_si64(static_cast<int>(sp));
    const __m64 pd = _mm_cvtsi32_si64(static_cast<int>(dp));
    switch (Mode) {
        case kNormal:
            return s;
        case kAdditive:
            return Lo(_mm_adds_pu8(pd, ps));
        case kSubtractive:
            return Lo(_mm_subs_pu8(pd, _mm_xor_si64(ps, _mm_set1_pi32(-1))));
        case kMultiply:
            return _mm_srli_pi16(_mm_mullo_pi16(d, s), 8);
        case kScreen:
            return _mm_sub_pi16(_mm_add_pi16(d, s), _mm_srli_pi16(_mm_mullo_pi16(d, s), 8));
        case kOverlay:
            return OverlayLanes(s, d, _mm_cmpgt_pi16(d, Splat(127)));
        case kHardLight:
            return OverlayLanes(s, d, _mm_cmpgt_pi16(s, Splat(127)));
        case kSoftLight:
            return TableLanes(T_softlight, sp, dp);
        case kColorDodge:
            return TableLanes(T_dodge, sp, dp);
        case kColorBurn:
            return TableLanes(T_burn, sp, dp);
        case kLighten:
            return _mm_add_pi16(d, _mm_subs_pu16(s, d));
        case kDarken:
            return _mm_sub_pi16(d, _mm_subs_pu16(d, s));
        case kDifference:
            return _mm_or_si64(_mm_subs_pu16(d, s), _mm_subs_pu16(s, d));
        default:
            return _mm_sub_pi16(_mm_add_pi16(d, s), _mm_srli_pi16(_mm_mullo_pi16(s, d), 7));
    }
}

template <int Mode, bool Opacity, bool Hold>
__m64 LayerPixel(Pixel sp, Pixel dp, std::uint32_t op) {
    const __m64 s = Lo(_mm_cvtsi32_si64(static_cast<int>(sp)));
    const __m64 d = Lo(_mm_cvtsi32_si64(static_cast<int>(dp)));
    int w = static_cast<int>(sp >> 25);
    if (Opacity) w = static_cast<int>((static_cast<std::uint32_t>(w) * (op & 0xFF)) >> 8);
    const __m64 weights = Lanes(w, w, w, Hold ? 0 : w);
    if (Mode == kColorDodgePreAlpha || Mode == kDifferencePreAlpha) {
        const __m64 p = _mm_srli_pi16(_mm_mullo_pi16(s, weights), 7);
        if (Mode == kDifferencePreAlpha)
            return _mm_or_si64(_mm_subs_pu16(d, p), _mm_subs_pu16(p, d));
        const Pixel pp = static_cast<Pixel>(_mm_cvtsi64_si32(_mm_packs_pu16(p, p)));
        int out[3];
        for (int c = 0; c < 3; ++c)
            out[c] = T_dodge[((pp >> (8 * c)) & 0xFF) * 256 + ((dp >> (8 * c)) & 0xFF)];
        return Lanes(out[0], out[1], out[2], static_cast<int>(Hold ? dp >> 24 : pp >> 24));
    }
    const __m64 f = LaneFunction<Mode>(s, d, sp, dp);
    return _mm_add_pi16(d, _mm_srai_pi16(_mm_mullo_pi16(_mm_sub_pi16(f, d), weights), 7));
}

template <int Mode, bool Opacity, bool Hold>
void LayerLine(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t op) {
    if (count <= 0) return;
    auto single = [&](std::int32_t i) {
        const __m64 r = LayerPixel<Mode, Opacity, Hold>(src[i], dst[i], op);
        Store1(dst + i, _mm_packs_pu16(r, r));
    };
    std::int32_t i = 0;
    if (count > 4 && (reinterpret_cast<std::uintptr_t>(src) & 7) != 0) single(i++);
    for (; count - i > 4; i += 4) {
        for (int pair = 0; pair < 4; pair += 2) {
            const __m64 a = LayerPixel<Mode, Opacity, Hold>(src[i + pair], dst[i + pair], op);
            const __m64 b =
                LayerPixel<Mode, Opacity, Hold>(src[i + pair + 1], dst[i + pair + 1], op);
            Store2(dst + i + pair, _mm_packs_pu16(a, b));
        }
    }
    for (; i < count; ++i) single(i);
    _mm_empty();
}

template <int Mode>
void QMXGL_CALL Plain(Pixel* dst, const Pixel* src, std::int32_t count) {
    LayerLine<Mode, false, false>(dst, src, count, 0);
}
template <int Mode>
void QMXGL_CALL WithOpacity(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t op) {
    LayerLine<Mode, true, false>(dst, src, count, op);
}
template <int Mode>
void QMXGL_CALL Hold(Pixel* dst, const Pixel* src, std::int32_t count) {
    LayerLine<Mode, false, true>(dst, src, count, 0);
}
template <int Mode>
void QMXGL_CALL HoldOpacity(Pixel* dst, const Pixel* src, std::int32_t count, std::uint32_t op) {
    LayerLine<Mode, true, true>(dst, src, count, op);
}

template <int Mode>
void AddMode(SimdKernelEntry* out) {
    const int word = 171 + 4 * Mode;
    out[0] = Entry(word, kFormMmx, &Plain<Mode>);
    out[1] = Entry(word + 1, kFormMmx, &WithOpacity<Mode>);
    out[2] = Entry(word + 2, kFormMmx, &Hold<Mode>);
    out[3] = Entry(word + 3, kFormMmx, &HoldOpacity<Mode>);
}

template <int... Modes>
struct ModeList {
    static void Fill(SimdKernelEntry* out) {
        int i = 0;
        ((AddMode<Modes>(out + 4 * i++)), ...);
    }
};

struct LayerTable {
    SimdKernelEntry entries[64];
    LayerTable() { ModeList<0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15>::Fill(entries); }
};

}  // namespace

SimdKernelGroup LayerModeMmxKernels() {
    static const LayerTable table;
    return SimdKernelGroup{table.entries, 64};
}

}  // namespace pixelops
