// Dissolves: row jitter (4), cell shimmer (5), random cell dissolves (6-10), the radial dissolve
// (20) and the spiral dissolves (45-52). The random ones draw from TransitionRandom, one value
// per row or cell (and two more for an unsettled shimmer cell) whether or not it is drawn.
#include <algorithm>

#include "effects/transitions/transition_families.h"
#include "effects/transitions/transition_random.h"

namespace {

using transition_pieces::Draw;
using transition_pieces::Root;

std::int32_t RandomByte() { return static_cast<std::int32_t>(TransitionRandom().Next() & 0xFF); }

// Calls visit(cx, cy, cell rectangle) for every cell, rows of cells outer.
template <class Visit>
void ForEachCell(RoutineCanvas& c, std::int32_t cw, std::int32_t ch, Visit visit) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    for (std::int32_t cy = 0; cy < h; cy += ch)
        for (std::int32_t cx = 0; cx < w; cx += cw)
            visit(cx, cy, RECT{cx, cy, cx + std::min(cw, w - cx), cy + std::min(ch, h - cy)});
}

void RowJitter(RoutineCanvas& c, std::int32_t p, std::int32_t x, std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    const std::uint32_t s = static_cast<std::uint32_t>(256 - p);
    for (std::int32_t row = 0; row < h; ++row) {
        const std::int32_t ox =
            static_cast<std::int32_t>(TransitionRandom().Next() % s) - static_cast<std::int32_t>(s >> 1);
        Draw(c, RECT{0, row, w, row + 1}, x + ox, y + row);
    }
}

void Shimmer(RoutineCanvas& c, std::int32_t p, std::int32_t x, std::int32_t y) {
    const std::uint32_t range = p < 128 ? 10 : p < 200 ? 6 : p < 230 ? 4 : 2;
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    ForEachCell(c, 4, 2, [&](std::int32_t cx, std::int32_t cy, RECT cell) {
        if (RandomByte() <= p) {
            Draw(c, cell, x + cx, y + cy);
            return;
        }
        std::int32_t ox = static_cast<std::int32_t>(TransitionRandom().Next() % range);
        std::int32_t oy = static_cast<std::int32_t>(TransitionRandom().Next() % range);
        if (cx + ox + (cell.right - cell.left) > w) ox = 0;
        if (cy + oy + (cell.bottom - cell.top) > h) oy = 0;
        Draw(c, RECT{cell.left + ox, cell.top + oy, cell.right + ox, cell.bottom + oy}, x + cx,
             y + cy);
    });
}

void CellDissolve(RoutineCanvas& c, std::int32_t index, std::int32_t p, std::int32_t x,
                  std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    ForEachCell(c, 4, 2, [&](std::int32_t cx, std::int32_t cy, RECT cell) {
        std::int32_t threshold;
        switch (index) {
            case 6: threshold = p; break;
            case 7: threshold = 256 * (h - 1 - cy) / h + 2 * p - 256; break;
            case 8: threshold = cy * 256 / h + 2 * p - 256; break;
            case 9: threshold = 256 * (w - 1 - cx) / w + 2 * p - 256; break;
            default: threshold = cx * 256 / w + 2 * p - 256; break;
        }
        if (RandomByte() <= threshold) Draw(c, cell, x + cx, y + cy);
    });
}

void RadialDissolve(RoutineCanvas& c, std::int32_t p, std::int32_t x, std::int32_t y) {
    const std::int32_t w = c.SourceWidth(), h = c.SourceHeight();
    const std::int32_t reach = p * (w + h) >> 8;
    ForEachCell(c, 2, 2, [&](std::int32_t cx, std::int32_t cy, RECT cell) {
        const std::int64_t ry = 2 * cy - h, rx = 2 * cx - w;
        const std::int32_t b = RandomByte();
        if (reach - Root(ry * ry + rx * rx) >= b) Draw(c, cell, x + cx, y + cy);
    });
}

constexpr std::uint8_t kSpiralInward[4][4] = {
    {0, 1, 2, 3}, {11, 12, 13, 4}, {10, 15, 14, 5}, {9, 8, 7, 6}};
constexpr std::uint8_t kSpiralOutward[4][4] = {
    {6, 7, 8, 9}, {5, 0, 1, 10}, {4, 3, 2, 11}, {15, 14, 13, 12}};

void Spiral(RoutineCanvas& c, std::int32_t cell, bool inward, std::int32_t p, std::int32_t x,
            std::int32_t y) {
    const auto& order = inward ? kSpiralInward : kSpiralOutward;
    const std::int32_t step = p >> 4;
    ForEachCell(c, cell, cell, [&](std::int32_t cx, std::int32_t cy, RECT r) {
        if (step >= order[(cy / cell) & 3][(cx / cell) & 3]) Draw(c, r, x + cx, y + cy);
    });
}

template <std::int32_t kIndex>
std::int32_t Routine(Surface* destination, Surface* source, std::int32_t p, std::int32_t x,
                     std::int32_t y, std::int32_t mode, ScreenDevice* device) {
    RoutineCanvas c;
    std::int32_t result;
    if (!c.Begin(destination, source, p, x, y, mode, device, &result)) return result;
    if (kIndex == 4) RowJitter(c, p, x, y);
    if (kIndex == 5) Shimmer(c, p, x, y);
    if (kIndex >= 6 && kIndex <= 10) CellDissolve(c, kIndex, p, x, y);
    if (kIndex == 20) RadialDissolve(c, p, x, y);
    if (kIndex >= 45 && kIndex <= 52)
        Spiral(c, 1 << ((kIndex - 45) / 2), kIndex % 2 == 1, p, x, y);
    return 0;
}

}  // namespace

TransitionRoutineFunc DissolveRoutine(std::int32_t index) {
    switch (index) {
        case 4: return &Routine<4>;
        case 5: return &Routine<5>;
        case 6: return &Routine<6>;
        case 7: return &Routine<7>;
        case 8: return &Routine<8>;
        case 9: return &Routine<9>;
        case 10: return &Routine<10>;
        case 20: return &Routine<20>;
        case 45: return &Routine<45>;
        case 46: return &Routine<46>;
        case 47: return &Routine<47>;
        case 48: return &Routine<48>;
        case 49: return &Routine<49>;
        case 50: return &Routine<50>;
        case 51: return &Routine<51>;
        case 52: return &Routine<52>;
        default: return nullptr;
    }
}
