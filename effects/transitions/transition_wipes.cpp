// Wipes: mirrors (0, 1), combs (16-19), ragged wipes (21, 22), blinds (35-42), slanted blinds
// (43, 44) and sliding halves (85, 86). Their pieces follow from the progress alone.
#include <algorithm>

#include "effects/transitions/transition_families.h"

namespace {

using transition_pieces::Draw;

void Mirror(RoutineCanvas& c, bool columns, std::int32_t x, std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    if (columns) {
        for (std::int32_t i = 0; i < w; ++i) Draw(c, RECT{i, 0, i + 1, h}, x + w - 1 - i, y);
    } else {
        for (std::int32_t i = 0; i < h; ++i) Draw(c, RECT{0, i, w, i + 1}, x, y + h - 1 - i);
    }
}

// One line of a comb: columns [from, to) of row `line` (or rows of column `line`), in place.
void CombLine(RoutineCanvas& c, bool rows, std::int32_t line, std::int32_t from, std::int32_t to,
              std::int32_t x, std::int32_t y) {
    const RECT r = rows ? RECT{from, line, to, line + 1} : RECT{line, from, line + 1, to};
    Draw(c, r, x + r.left, y + r.top);
}

// 16 and 17: even lines grow from the leading edge, odd ones (one longer) from the far edge.
void Comb(RoutineCanvas& c, bool rows, std::int32_t p, std::int32_t x, std::int32_t y) {
    const std::int32_t along = rows ? c.SourceWidth() : c.SourceHeight();
    const std::int32_t lines = rows ? c.SourceHeight() : c.SourceWidth();
    const std::int32_t a = p * along >> 8;
    for (std::int32_t i = 0; i < lines; i += 2) {
        CombLine(c, rows, i, 0, std::min(a, along), x, y);
        if (i + 1 < lines) CombLine(c, rows, i + 1, std::max(0, along - a - 1), along, x, y);
    }
}

// 18 and 19: lines 4k and 4k + 2 in the first half, 4k + 1 and 4k + 3 in the second.
void TwoPhaseComb(RoutineCanvas& c, bool rows, std::int32_t p, std::int32_t x, std::int32_t y) {
    const std::int32_t along = rows ? c.SourceWidth() : c.SourceHeight();
    const std::int32_t lines = rows ? c.SourceHeight() : c.SourceWidth();
    auto phase = [&](std::int32_t b, std::int32_t first) {
        for (std::int32_t k = 0; k < lines; k += 4) {
            if (k + first < lines) CombLine(c, rows, k + first, 0, std::min(b, along), x, y);
            if (k + first + 2 < lines)
                CombLine(c, rows, k + first + 2, std::max(0, along - b - 1), along, x, y);
        }
    };
    phase(p * along >> 7, 0);
    if (p > 128) phase(along * (p - 128) >> 7, 1);
}

void RaggedWipe(RoutineCanvas& c, bool downward, std::int32_t p, std::int32_t x, std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    const std::int32_t a = p * h >> 8;
    const std::int32_t offsets[6] = {-(w / 9), w / 9, -(2 * w / 9), 2 * w / 9, -(w / 3), w / 3};
    if (downward) {
        Draw(c, RECT{0, 0, w, std::min(a, h)}, x, y);
        for (std::int32_t k = 0; k < 6; ++k) {
            const std::int32_t row = a + k;
            if (row >= 0 && row < h) Draw(c, RECT{0, row, w, row + 1}, x + offsets[k], y + row);
        }
    } else {
        const std::int32_t t = std::max(0, h - a);
        Draw(c, RECT{0, t, w, t + std::min(a, h - t)}, x, y + t);
        for (std::int32_t k = 0; k < 6; ++k) {
            const std::int32_t row = h - a - 1 - k;
            if (row >= 0 && row < h) Draw(c, RECT{0, row, w, row + 1}, x + offsets[k], y + row);
        }
    }
}

// 35-42: one-pixel lines; a line is drawn once the step t reaches its place in the period.
void Blinds(RoutineCanvas& c, bool columns, std::int32_t period, bool forward, std::int32_t p,
            std::int32_t x, std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    const std::int32_t t = period == 8 ? p >> 5 : p >> 4;
    const std::int32_t lines = columns ? w : h;
    for (std::int32_t i = 0; i < lines; ++i) {
        const std::int32_t place = forward ? i % period : period - 1 - i % period;
        if (t < place) continue;
        if (columns)
            Draw(c, RECT{i, 0, i + 1, h}, x + i, y);
        else
            Draw(c, RECT{0, i, w, i + 1}, x, y + i);
    }
}

// 43 and 44: segments of length L every period, each row shifted by its row's remainder mod
// period - 1. The shift is taken from the source row, so the pattern moves with the picture
// wherever it is drawn (not from the destination row, which would make it depend on y).
void SlantedBlinds(RoutineCanvas& c, std::int32_t period, std::int32_t p, std::int32_t x,
                   std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    const std::int32_t length = period == 8 ? p >> 5 : p >> 4;
    if (length <= 0) return;
    for (std::int32_t row = 0; row < h; ++row) {
        const std::int32_t shift = row % (period - 1);
        for (std::int32_t start = -shift; start < w; start += period) {
            const std::int32_t left = std::max(start, 0);
            const std::int32_t right = std::min(start + length, w);
            Draw(c, RECT{left, row, right, row + 1}, x + left, y + row);
        }
    }
}

void SlidingHalves(RoutineCanvas& c, bool horizontal, std::int32_t p, std::int32_t x,
                   std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    const std::int32_t half = horizontal ? w >> 1 : h >> 1;
    const std::int32_t a = half * p >> 8;
    if (horizontal) {
        Draw(c, RECT{half - a, 0, half, h}, x, y);
        Draw(c, RECT{half, 0, half + a, h}, x + w - a, y);
    } else {
        Draw(c, RECT{0, half - a, w, half}, x, y);
        Draw(c, RECT{0, half, w, half + a}, x, y + h - a);
    }
}

template <std::int32_t kIndex>
std::int32_t Routine(Surface* destination, Surface* source, std::int32_t p, std::int32_t x,
                     std::int32_t y, std::int32_t mode, ScreenDevice* device) {
    RoutineCanvas c;
    std::int32_t result;
    if (!c.Begin(destination, source, p, x, y, mode, device, &result)) return result;
    switch (kIndex) {
        case 0: Mirror(c, true, x, y); break;
        case 1: Mirror(c, false, x, y); break;
        case 16: Comb(c, true, p, x, y); break;
        case 17: Comb(c, false, p, x, y); break;
        case 18: TwoPhaseComb(c, true, p, x, y); break;
        case 19: TwoPhaseComb(c, false, p, x, y); break;
        case 21: RaggedWipe(c, true, p, x, y); break;
        case 22: RaggedWipe(c, false, p, x, y); break;
        case 35: case 36: case 37: case 38:
            Blinds(c, true, kIndex < 37 ? 8 : 16, kIndex % 2 == 1, p, x, y);
            break;
        case 39: case 40: case 41: case 42:
            Blinds(c, false, kIndex < 41 ? 8 : 16, kIndex % 2 == 1, p, x, y);
            break;
        case 43: SlantedBlinds(c, 8, p, x, y); break;
        case 44: SlantedBlinds(c, 16, p, x, y); break;
        case 85: SlidingHalves(c, true, p, x, y); break;
        case 86: SlidingHalves(c, false, p, x, y); break;
        default: break;
    }
    return 0;
}

}  // namespace

TransitionRoutineFunc WipeRoutine(std::int32_t index) {
    switch (index) {
        case 0: return &Routine<0>;
        case 1: return &Routine<1>;
        case 16: return &Routine<16>;
        case 17: return &Routine<17>;
        case 18: return &Routine<18>;
        case 19: return &Routine<19>;
        case 21: return &Routine<21>;
        case 22: return &Routine<22>;
        case 35: return &Routine<35>;
        case 36: return &Routine<36>;
        case 37: return &Routine<37>;
        case 38: return &Routine<38>;
        case 39: return &Routine<39>;
        case 40: return &Routine<40>;
        case 41: return &Routine<41>;
        case 42: return &Routine<42>;
        case 43: return &Routine<43>;
        case 44: return &Routine<44>;
        case 85: return &Routine<85>;
        case 86: return &Routine<86>;
        default: return nullptr;
    }
}
