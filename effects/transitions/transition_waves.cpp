// The transitions that bend the source with the cosine table: sine stretches (2 rows, 3
// columns) and row waves (23 to 26). Without published MathTables they answer 1 (after the
// whole-image shortcut, which needs no table).
#include <cstdint>

#include "effects/transitions/routine_skeleton.h"
#include "effects/transitions/transition_routines.h"
#include "graphics/compose/math_tables.h"

namespace {

// 1 + g (256 - p) / 256 / 65536 for g = 2 cos[angle]: the stretch factor of one line.
double StretchFactor(const std::int32_t* cos, std::int64_t line, std::int64_t lines,
                     std::int32_t progress) {
    const std::int32_t g = 2 * cos[((256 * line) / lines - 128) & 511];
    return g * ((256 - progress) / 256.0) / 65536 + 1;
}

}  // namespace

std::int32_t SineStretchRoutine(Surface* destination, Surface* source, std::int32_t progress,
                                std::int32_t x, std::int32_t y, std::int32_t mode,
                                ScreenDevice* device, bool columns) {
    RoutineCanvas canvas;
    std::int32_t result;
    if (!canvas.Begin(destination, source, progress, x, y, mode, device, &result)) return result;
    if (!g_mathTables) return 1;
    const std::int32_t* cos = g_mathTables->CosFixed();
    const std::int32_t w = canvas.SourceWidth(), h = canvas.SourceHeight();
    if (!columns) {
        if (h <= 0) return 0;
        for (std::int32_t r = 0; r < h; ++r) {
            const double f = StretchFactor(cos, r, h, progress);
            const SIZE size = {static_cast<LONG>(f * w), 1};
            const auto shift = static_cast<std::int32_t>((f - 1) * (w >> 1));
            canvas.Stretched(RECT{0, r, w, r + 1}, size, x - shift, y + r);
        }
    } else {
        if (w <= 0) return 0;
        for (std::int32_t c = 0; c < w; ++c) {
            const double f = StretchFactor(cos, c, w, progress);
            const SIZE size = {1, static_cast<LONG>(f * h)};
            const auto shift = static_cast<std::int32_t>((f - 1) * (h >> 1));
            canvas.Stretched(RECT{c, 0, c + 1, h}, size, x + c, y - shift);
        }
    }
    return 0;
}

// period 512: o = (cos[r + phase] (255 - p) 2) >> 16; period 64: o = (cos[8r + phase]
// (255 - p)) >> 16; phase 256 gives the opposite sign.
std::int32_t RowWaveRoutine(Surface* destination, Surface* source, std::int32_t progress,
                            std::int32_t x, std::int32_t y, std::int32_t mode,
                            ScreenDevice* device, bool shortPeriod, bool opposite) {
    RoutineCanvas canvas;
    std::int32_t result;
    if (!canvas.Begin(destination, source, progress, x, y, mode, device, &result)) return result;
    if (!g_mathTables) return 1;
    const std::int32_t* cos = g_mathTables->CosFixed();
    const std::int32_t w = canvas.SourceWidth(), h = canvas.SourceHeight();
    const std::int32_t phase = opposite ? -256 : 0;
    const std::int64_t amplitude = shortPeriod ? 255 - progress : (255 - progress) * 2;
    for (std::int32_t r = 0; r < h; ++r) {
        const std::int32_t angle = ((shortPeriod ? 8 * r : r) + phase) & 511;
        const auto o = static_cast<std::int32_t>((cos[angle] * amplitude) >> 16);
        canvas.Piece(RECT{0, r, w, r + 1}, x + o, y + r);
    }
    return 0;
}
