// MMX forms of the fills, the constant-colour blends and the additive-alpha gamma line
// (words 105, 106, 107, 150, 152, 170).
#include "pixelops/library/blend_tables.h"
#include "pixelops/kernels/mmx_lanes.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

// Single pixels up to a 64-byte boundary, whole 64-byte blocks, then single pixels.
template <class Block, class One>
void BlockWalk(Pixel* row, std::int32_t count, Block block, One one) {
    std::int32_t i = 0;
    for (; i < count && (reinterpret_cast<std::uintptr_t>(row + i) & 63) != 0; ++i) one(row + i);
    for (; count - i >= 16; i += 16) block(row + i);
    for (; i < count; ++i) one(row + i);
    _mm_empty();
}

void QMXGL_CALL FillArgbLineMmx(Pixel* row, std::int32_t count, std::uint32_t value) {
    const __m64 v = _mm_set1_pi32(static_cast<int>(value));
    BlockWalk(
        row, count,
        [v](Pixel* p) {
            __m64* q = reinterpret_cast<__m64*>(p);
            q[0] = v, q[1] = v, q[2] = v, q[3] = v, q[4] = v, q[5] = v, q[6] = v, q[7] = v;
        },
        [value](Pixel* p) { *p = value; });
}

void QMXGL_CALL FillColorLineMmx(Pixel* row, std::int32_t count, std::uint32_t colour) {
    const __m64 c = _mm_set1_pi32(static_cast<int>(colour & 0x00FFFFFF));
    const __m64 keep = _mm_set1_pi32(static_cast<int>(0xFF000000));
    BlockWalk(
        row, count,
        [c, keep](Pixel* p) {
            __m64* q = reinterpret_cast<__m64*>(p);
            for (int k = 0; k < 8; ++k) q[k] = _mm_or_si64(_mm_and_si64(q[k], keep), c);
        },
        [colour](Pixel* p) { *p = (*p & 0xFF000000) | (colour & 0x00FFFFFF); });
}

// Above two pixels: one to bring the row to 8 bytes, pairs while more than two remain, then
// single pixels. `lanes` maps one pixel's lanes.
template <class LaneOp>
void ColourWalk(Pixel* row, std::int32_t count, LaneOp lanes) {
    if (count <= 0) return;
    auto single = [&](Pixel* p) {
        const __m64 r = lanes(Lo(Load1(p)), *p);
        Store1(p, Pack(r, r));
    };
    std::int32_t i = 0;
    if (count > 2) {
        if ((reinterpret_cast<std::uintptr_t>(row) & 7) != 0) single(row + i++);
        for (; count - i > 2; i += 2) {
            const __m64 d = Load2(row + i);
            Store2(row + i, Pack(lanes(Lo(d), row[i]), lanes(Hi(d), row[i + 1])));
        }
    }
    for (; i < count; ++i) single(row + i);
    _mm_empty();
}

int Byte(std::uint32_t v, int index) {
    return static_cast<int>((v >> (8 * index)) & 0xFF);
}

void QMXGL_CALL ConstColorAlphaBlendLineMmx(Pixel* row, std::int32_t count, std::uint32_t colour,
                                            std::uint32_t opacity) {
    const int o = static_cast<int>(opacity & 0xFF);
    // d (255 - o) + c o stays below 65536; the alpha lane is d times 256, shifted back.
    const __m64 weights = Lanes(255 - o, 255 - o, 255 - o, 256);
    const __m64 term = Lanes(Byte(colour, 0) * o, Byte(colour, 1) * o, Byte(colour, 2) * o, 0);
    ColourWalk(row, count, [=](__m64 d, Pixel) {
        return _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(d, weights), term), 8);
    });
}

void QMXGL_CALL ConstColorAlphaBlendLineOntoAlphaMmx(Pixel* row, std::int32_t count,
                                                     std::uint32_t colour, std::uint32_t opacity) {
    if (count <= 0) return;
    const std::uint32_t o = opacity & 0xFF;
    const __m64 c = Lo(_mm_cvtsi32_si64(static_cast<int>(colour)));
    auto lanes = [&](__m64 d, Pixel p) {
        const std::uint32_t index = o * 256 + (p >> 24);
        const int w = T_weight[index];
        const __m64 mixed = _mm_and_si64(Interpolate(d, c, Splat(w)), Const(kColourLanes));
        return _mm_or_si64(mixed, Lanes(0, 0, 0, T_alpha[index]));
    };
    std::int32_t i = 0;
    for (; count - i >= 2; i += 2) {
        const __m64 d = Load2(row + i);
        Store2(row + i, Pack(lanes(Lo(d), row[i]), lanes(Hi(d), row[i + 1])));
    }
    if (i < count) {
        const __m64 r = lanes(Lo(Load1(row + i)), row[i]);
        Store1(row + i, Pack(r, r));
    }
    _mm_empty();
}

// The opacity widened to 0..256 scales both the destination and the colour; the alpha lane
// adds the widened opacity itself.
void QMXGL_CALL ConstColorAlphaBlendLineOntoAdditiveAlphaMmx(Pixel* row, std::int32_t count,
                                                             std::uint32_t colour,
                                                             std::uint32_t opacity) {
    opacity &= 0xFF;
    const int o = static_cast<int>(opacity + (opacity >> 7));
    const __m64 w = Splat(o);
    const __m64 term = Lanes((Byte(colour, 0) * o) >> 8, (Byte(colour, 1) * o) >> 8,
                             (Byte(colour, 2) * o) >> 8, o);
    ColourWalk(row, count, [=](__m64 d, Pixel) {
        return _mm_add_pi16(_mm_sub_pi16(d, ScaleDown(d, w)), term);
    });
}

// The straight colour of a premultiplied byte not above its alpha comes from T_div: no 16-bit
// reciprocal gives 255 c / a exactly for every c and a.
void QMXGL_CALL ApplyGammaLineAdditiveAlphaMmx(Pixel* row, std::int32_t count,
                                               const std::uint8_t* table) {
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel p = row[i];
        const int a = static_cast<int>(p >> 24);
        if (a == 255) {
            row[i] = static_cast<Pixel>(table[Byte(p, 0)]) |
                     (static_cast<Pixel>(table[256 + Byte(p, 1)]) << 8) |
                     (static_cast<Pixel>(table[512 + Byte(p, 2)]) << 16) | 0xFF000000u;
            continue;
        }
        if (p == 0) continue;
        int g[3];
        for (int c = 0; c < 3; ++c) {
            const int v = Byte(p, c);
            g[c] = table[256 * c + (v > a ? 255 : T_div[a * 256 + v])];
        }
        const __m64 lanes = Lo(Load1(row + i));
        const __m64 excess = _mm_and_si64(_mm_subs_pu16(lanes, Splat(a)), Const(kColourLanes));
        const __m64 scaled = ScaleDown(Lanes(g[0], g[1], g[2], 0), Splat(a + (a >> 7)));
        const __m64 alpha = Lanes(0, 0, 0, a);
        const __m64 r = _mm_or_si64(_mm_add_pi16(scaled, excess), alpha);
        Store1(row + i, Pack(r, r));
    }
    _mm_empty();
}

}  // namespace

SimdKernelGroup FillGammaMmxKernels() {
    static const SimdKernelEntry entries[] = {
        Entry(105, kFormMmx, &ConstColorAlphaBlendLineMmx),
        Entry(106, kFormMmx, &ConstColorAlphaBlendLineOntoAlphaMmx),
        Entry(107, kFormMmx, &ConstColorAlphaBlendLineOntoAdditiveAlphaMmx),
        Entry(150, kFormMmx, &FillArgbLineMmx),
        Entry(152, kFormMmx, &FillColorLineMmx),
        Entry(170, kFormMmx, &ApplyGammaLineAdditiveAlphaMmx),
    };
    return SimdKernelGroup{entries, static_cast<int>(sizeof entries / sizeof entries[0])};
}

}  // namespace pixelops
