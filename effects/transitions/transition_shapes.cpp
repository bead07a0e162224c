// Shapes: boxes (11-15), discs (27-31), grid squares (32-34) and the four-blade sweeps (83, 84).
#include <algorithm>

#include "effects/transitions/transition_families.h"
#include "graphics/compose/math_tables.h"

namespace {

using transition_pieces::Draw;
using transition_pieces::Root;

void Box(RoutineCanvas& c, std::int32_t index, std::int32_t p, std::int32_t x, std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    const std::int32_t s = p * std::max(w, h) >> 8;
    std::int32_t left, top;
    switch (index) {
        case 11:
            left = std::max(0, (w >> 1) - (s >> 1));
            top = std::max(0, (h >> 1) - (s >> 1));
            break;
        case 12: left = 0; top = 0; break;
        case 13: left = std::max(0, w - s); top = 0; break;
        case 14: left = 0; top = std::max(0, h - s); break;
        default: left = std::max(0, w - s); top = std::max(0, h - s); break;
    }
    Draw(c, RECT{left, top, left + std::min(s, w - left), top + std::min(s, h - top)}, x + left,
         y + top);
}

// One disc row: a chord of width `chord` centred on the source's middle column (or, with
// fromLeft/fromRight, a half chord against that edge). A row above the picture is drawn as row 0
// and one at or below its bottom draws nothing.
enum class ChordPlace { Centre, Left, Right };
void DiscRow(RoutineCanvas& c, std::int32_t row, std::int32_t chord, ChordPlace place,
             std::int32_t x, std::int32_t y) {
    const std::int32_t w = c.SourceWidth();
    if (row >= c.SourceHeight()) return;
    row = std::max(row, 0);
    std::int32_t left, right;
    switch (place) {
        case ChordPlace::Centre:
            left = std::max(0, (w >> 1) - (chord >> 1));
            right = left + std::min(chord, w - left);
            break;
        case ChordPlace::Left:
            left = 0;
            right = std::min(w, chord);
            break;
        default:
            left = std::max(0, w - chord);
            right = left + std::min(chord, w - left);
            break;
    }
    Draw(c, RECT{left, row, right, row + 1}, x + left, y + row);
}

void Disc(RoutineCanvas& c, std::int32_t index, std::int32_t p, std::int32_t x, std::int32_t y) {
    const std::int64_t w = c.SourceWidth(), h = c.SourceHeight();
    if (index == 27 || index == 28) {
        // floor(2 sqrt(v)) is floor(sqrt(4v)).
        const std::int64_t d = static_cast<std::int64_t>(Root(4 * ((w * w) / 4 + h * h))) * p >> 8;
        const std::int64_t r2 = (d * d) / 4;
        const std::int32_t m = static_cast<std::int32_t>(d >> 1);
        for (std::int32_t j = 0; j < m; ++j) {
            const std::int32_t chord = Root(4 * (r2 - static_cast<std::int64_t>(j) * j));
            DiscRow(c, index == 27 ? j : static_cast<std::int32_t>(h) - j, chord,
                    ChordPlace::Centre, x, y);
        }
        return;
    }
    std::int64_t d;
    if (index == 31)
        d = (p * (w + h)) >> 8;
    else
        d = (p * static_cast<std::int64_t>(Root(4 * (w * w + (h * h) / 4)))) >> 8;
    const std::int64_t r2 = (d * d) / 4;
    const std::int32_t middle = static_cast<std::int32_t>(h >> 1);
    const std::int32_t half = static_cast<std::int32_t>(d >> 1);
    for (std::int32_t i = middle - half; i < middle + half; ++i) {
        const std::int64_t off = i - middle;
        if (index == 31)
            DiscRow(c, i, Root(4 * (r2 - off * off)), ChordPlace::Centre, x, y);
        else
            DiscRow(c, i, Root(r2 - off * off), index == 29 ? ChordPlace::Left : ChordPlace::Right,
                    x, y);
    }
}

void GridSquares(RoutineCanvas& c, std::int32_t cell, std::int32_t side, std::int32_t x,
                 std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    if (side <= 0) return;
    for (std::int32_t cy = 0; cy < h; cy += cell)
        for (std::int32_t cx = 0; cx < w; cx += cell)
            Draw(c, RECT{cx, cy, cx + std::min(side, w - cx), cy + std::min(side, h - cy)},
                 x + cx, y + cy);
}

// A sweep piece in place, cut to the source first (a cut left or top edge moves the
// destination with it).
void SweepPiece(RoutineCanvas& c, RECT r, std::int32_t x, std::int32_t y) {
    r.right = std::min<LONG>(r.right, c.SourceWidth());
    r.bottom = std::min<LONG>(r.bottom, c.SourceHeight());
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    Draw(c, r, x + r.left, y + r.top);
}

std::int32_t Sweep(RoutineCanvas& c, bool clockwise, std::int32_t p, std::int32_t x,
                   std::int32_t y) {
    if (!g_mathTables) return 1;
    const std::int32_t* cosine = g_mathTables->CosFixed();
    const std::int32_t cx = c.SourceWidth() >> 1, cy = c.SourceHeight() >> 1;
    const std::int64_t reach = std::max(cx, cy);
    const std::int64_t radius = ((reach + 1) << 16) / cosine[448];
    const std::int32_t phi = p >> 1;
    const std::int64_t sinePart = radius * cosine[(phi - 128) & 511];
    const std::int32_t l = static_cast<std::int32_t>(radius * cosine[phi] >> 16);
    const std::int32_t m = static_cast<std::int32_t>(sinePart >> 16);
    if (sinePart > 65535) {
        for (std::int32_t i = 0; i < m; ++i) {
            const std::int32_t v = static_cast<std::int32_t>(static_cast<std::int64_t>(i) * l / m);
            if (clockwise) {
                SweepPiece(c, RECT{cx + v, cy + i, cx + l, cy + i + 1}, x, y);
                SweepPiece(c, RECT{cx - l, cy - i, cx - v, cy - i + 1}, x, y);
                SweepPiece(c, RECT{cx - i, cy + v, cx - i + 1, cy + l}, x, y);
                SweepPiece(c, RECT{cx + i, cy - l, cx + i + 1, cy - v}, x, y);
            } else {
                SweepPiece(c, RECT{cx + v, cy - i, cx + l, cy - i + 1}, x, y);
                SweepPiece(c, RECT{cx - l, cy + i, cx - v, cy + i + 1}, x, y);
                SweepPiece(c, RECT{cx - i, cy - l, cx - i + 1, cy - v}, x, y);
                SweepPiece(c, RECT{cx + i, cy + v, cx + i + 1, cy + l}, x, y);
            }
        }
    }
    if (l < m) {
        if (clockwise) {
            SweepPiece(c, RECT{cx + l, cy, 2 * cx, cy + m + 1}, x, y);
            SweepPiece(c, RECT{0, cy - m, cx - l, cy + 1}, x, y);
            SweepPiece(c, RECT{0, cy + l, cx + 1, 2 * cy}, x, y);
            SweepPiece(c, RECT{cx, 0, 2 * cx + 1, cy - l}, x, y);
        } else {
            SweepPiece(c, RECT{cx + l, cy - m, 2 * cx, cy + 1}, x, y);
            SweepPiece(c, RECT{0, cy, cx - l, cy + m + 1}, x, y);
            SweepPiece(c, RECT{0, 0, cx + 1, cy - l}, x, y);
            SweepPiece(c, RECT{cx, cy + l, 2 * cx + 1, 2 * cy}, x, y);
        }
    }
    return 0;
}

template <std::int32_t kIndex>
std::int32_t Routine(Surface* destination, Surface* source, std::int32_t p, std::int32_t x,
                     std::int32_t y, std::int32_t mode, ScreenDevice* device) {
    RoutineCanvas c;
    std::int32_t result;
    if (!c.Begin(destination, source, p, x, y, mode, device, &result)) return result;
    if (kIndex >= 11 && kIndex <= 15) Box(c, kIndex, p, x, y);
    if (kIndex >= 27 && kIndex <= 31) Disc(c, kIndex, p, x, y);
    if (kIndex == 32) GridSquares(c, 4, p >> 6, x, y);
    if (kIndex == 33) GridSquares(c, 8, p >> 5, x, y);
    if (kIndex == 34) GridSquares(c, 16, p >> 4, x, y);
    if (kIndex == 83 || kIndex == 84) return Sweep(c, kIndex == 83, p, x, y);
    return 0;
}

}  // namespace

TransitionRoutineFunc ShapeRoutine(std::int32_t index) {
    switch (index) {
        case 11: return &Routine<11>;
        case 12: return &Routine<12>;
        case 13: return &Routine<13>;
        case 14: return &Routine<14>;
        case 15: return &Routine<15>;
        case 27: return &Routine<27>;
        case 28: return &Routine<28>;
        case 29: return &Routine<29>;
        case 30: return &Routine<30>;
        case 31: return &Routine<31>;
        case 32: return &Routine<32>;
        case 33: return &Routine<33>;
        case 34: return &Routine<34>;
        case 83: return &Routine<83>;
        case 84: return &Routine<84>;
        default: return nullptr;
    }
}
