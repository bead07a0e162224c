// Box-blur sum and average kernels and the gamma kernels (words 154-161, 167-170).
#include "pixelops/library/blend_tables.h"
#include "pixelops/kernels/pixel_math.h"
#include "pixelops/kernels/row_kernels.h"

namespace pixelops {

namespace {

// The four counters a pixel adds to its column: plain, or with colour weighted by alpha.
void PlainCounts(Pixel p, std::uint32_t out[4]) {
    for (int c = 0; c < 4; ++c) out[c] = Channel(p, c);
}

void AlphaWeightedCounts(Pixel p, std::uint32_t out[4]) {
    const std::uint32_t a = Alpha(p);
    const std::uint32_t w = a + (a >> 7);
    for (int c = 0; c < 3; ++c) out[c] = (Channel(p, c) * w) >> 8;
    out[3] = a;
}

template <class Sum>
void AddSubSums(Sum* sums, const Pixel* entering, const Pixel* leaving, std::int32_t count,
                void (*counts)(Pixel, std::uint32_t*)) {
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t in[4], out[4];
        counts(entering[i], in);
        counts(leaving[i], out);
        for (int c = 0; c < 4; ++c)
            sums[4 * i + c] = static_cast<Sum>(sums[4 * i + c] + in[c] - out[c]);
    }
}

// Writes one averaged pixel per column, then moves the running sums one column on.
template <class Sum, class Divide>
void Average(Pixel* dst, Sum* running, const Sum* entering, const Sum* leaving, std::int32_t count,
             bool withAlpha, Divide divide) {
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t avg[4];
        for (int c = 0; c < 4; ++c) avg[c] = divide(running[c]) & 0xFF;
        if (withAlpha) {
            const std::uint8_t* back = T_div + avg[3] * 256;
            for (int c = 0; c < 3; ++c) avg[c] = back[avg[c]];
        }
        dst[i] = MakePixel(avg[0], avg[1], avg[2], avg[3]);
        for (int c = 0; c < 4; ++c)
            running[c] = static_cast<Sum>(running[c] + entering[4 * i + c] - leaving[4 * i + c]);
    }
}

void Average16(Pixel* dst, std::uint16_t* running, const std::uint16_t* entering,
               const std::uint16_t* leaving, std::int32_t area, std::int32_t count,
               bool withAlpha) {
    if (area <= 0) return;
    const std::uint32_t half = static_cast<std::uint32_t>(area) >> 1;
    const std::uint32_t reciprocal = 65536u / static_cast<std::uint32_t>(area);
    Average(dst, running, entering, leaving, count, withAlpha,
            [half, reciprocal](std::uint32_t sum) { return ((sum + half) * reciprocal) >> 16; });
}

void Average32(Pixel* dst, std::uint32_t* running, const std::uint32_t* entering,
               const std::uint32_t* leaving, std::int32_t area, std::int32_t count,
               bool withAlpha) {
    if (area <= 0) return;
    const std::uint64_t a = static_cast<std::uint64_t>(area);
    Average(dst, running, entering, leaving, count, withAlpha,
            [a](std::uint32_t sum) { return static_cast<std::uint32_t>((sum + (a >> 1)) / a); });
}

void FillGammaChannel(std::uint8_t* out, const GammaChannel& channel) {
    const double exponent = 1.0 / static_cast<double>(channel.gamma);
    const double span = static_cast<double>(channel.ceiling) - static_cast<double>(channel.floor);
    for (int i = 0; i < 256; ++i) {
        const double value = span * PowDouble(i / 255.0, exponent) + channel.floor + 0.5;
        // Limited before the conversion: a record with a gamma of 0 or below, or a range far
        // outside 0-255, must not reach an undefined float-to-integer conversion.
        int level = 0;
        if (value >= 255.0)
            level = 255;
        else if (value > 0.0)
            level = static_cast<int>(value);
        out[i] = static_cast<std::uint8_t>(level);
    }
}

Pixel MapThroughTable(Pixel p, const std::uint8_t* table) {
    return MakePixel(table[Channel(p, 0)], table[256 + Channel(p, 1)], table[512 + Channel(p, 2)],
                     Alpha(p));
}

}  // namespace

void QMXGL_CALL BoxBlurAddSubSum16Line(std::uint16_t* sums, const Pixel* entering,
                                       const Pixel* leaving, std::int32_t count) {
    AddSubSums(sums, entering, leaving, count, PlainCounts);
}
void QMXGL_CALL BoxBlurAddSubSum16LineWithAlpha(std::uint16_t* sums, const Pixel* entering,
                                                const Pixel* leaving, std::int32_t count) {
    AddSubSums(sums, entering, leaving, count, AlphaWeightedCounts);
}
void QMXGL_CALL BoxBlurAddSubSum32Line(std::uint32_t* sums, const Pixel* entering,
                                       const Pixel* leaving, std::int32_t count) {
    AddSubSums(sums, entering, leaving, count, PlainCounts);
}
void QMXGL_CALL BoxBlurAddSubSum32LineWithAlpha(std::uint32_t* sums, const Pixel* entering,
                                                const Pixel* leaving, std::int32_t count) {
    AddSubSums(sums, entering, leaving, count, AlphaWeightedCounts);
}

void QMXGL_CALL BoxBlurAverage16Line(Pixel* dst, std::uint16_t* running,
                                     const std::uint16_t* entering, const std::uint16_t* leaving,
                                     std::int32_t area, std::int32_t count) {
    Average16(dst, running, entering, leaving, area, count, false);
}
void QMXGL_CALL BoxBlurAverage16LineWithAlpha(Pixel* dst, std::uint16_t* running,
                                              const std::uint16_t* entering,
                                              const std::uint16_t* leaving, std::int32_t area,
                                              std::int32_t count) {
    Average16(dst, running, entering, leaving, area, count, true);
}
void QMXGL_CALL BoxBlurAverage32Line(Pixel* dst, std::uint32_t* running,
                                     const std::uint32_t* entering, const std::uint32_t* leaving,
                                     std::int32_t area, std::int32_t count) {
    Average32(dst, running, entering, leaving, area, count, false);
}
void QMXGL_CALL BoxBlurAverage32LineWithAlpha(Pixel* dst, std::uint32_t* running,
                                              const std::uint32_t* entering,
                                              const std::uint32_t* leaving, std::int32_t area,
                                              std::int32_t count) {
    Average32(dst, running, entering, leaving, area, count, true);
}

void QMXGL_CALL InitGammaTable(std::uint8_t* table, const GammaRecord* record) {
    X87DoublePrecision precision;
    FillGammaChannel(table + 512, record->red);
    FillGammaChannel(table + 256, record->green);
    FillGammaChannel(table, record->blue);
}

void QMXGL_CALL ReleaseGammaTable(std::uint8_t*) {}

void QMXGL_CALL ApplyGammaLine(Pixel* row, std::int32_t count, const std::uint8_t* table) {
    for (std::int32_t i = 0; i < count; ++i)
        if (Alpha(row[i]) != 0) row[i] = MapThroughTable(row[i], table);
}

void QMXGL_CALL ApplyGammaLineAdditiveAlpha(Pixel* row, std::int32_t count,
                                            const std::uint8_t* table) {
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel p = row[i];
        if (p == 0) continue;
        const std::uint32_t a = Alpha(p);
        if (a == 255) {
            row[i] = MapThroughTable(p, table);
            continue;
        }
        const std::uint32_t f = a + (a >> 7);
        std::uint32_t out[3];
        for (int c = 0; c < 3; ++c) {
            const std::uint8_t* part = table + 256 * c;
            const std::uint32_t v = Channel(p, c);
            if (v > a) {
                out[c] = ((f * part[255]) >> 8) + (v - a);
            } else {
                // The straight colour of a premultiplied byte not above its alpha: 255 v / a.
                out[c] = (f * part[T_div[a * 256 + v]]) >> 8;
            }
        }
        row[i] = MakePixel(out[0], out[1], out[2], a);
    }
}

}  // namespace pixelops
