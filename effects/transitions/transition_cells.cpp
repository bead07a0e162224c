// Moving cells: displaced cells (54-59, 63, 66, 67), rotated cells (60-62) and falling blocks
// (64, 65). Every product of a displacement or a rotation is taken in 64 bits: on a
// screen-sized picture sin x (dx x 256) and its kin pass 2^31 long before the edge.
#include <algorithm>

#include "effects/transitions/transition_families.h"
#include "effects/transitions/transition_random.h"
#include "graphics/compose/math_tables.h"

namespace {

using transition_pieces::Draw;
using transition_pieces::Root;

// A landing point, worked out in 64 bits, back in the primitives' 32.
std::int32_t Narrow(std::int64_t v) { return static_cast<std::int32_t>(v); }

struct CellGeometry {
    std::int32_t w, h, p;
    std::int64_t remaining;  // R
    const std::uint8_t* table;
    const std::int32_t* cosine;  // null without MathTables

    std::int64_t T(std::int64_t i) const { return table[static_cast<std::uint32_t>(i) & 255]; }
    std::int64_t Cos(std::int32_t k) const { return cosine[k & 511]; }
    std::int64_t Sin(std::int32_t k) const { return cosine[(k - 128) & 511]; }
    std::int32_t Turn() const { return 2 * (256 - p); }
};

struct Ray {
    std::int64_t dx, dy, len, nx, ny;
};

Ray RayOf(const CellGeometry& g, std::int32_t cx, std::int32_t cy) {
    Ray r;
    r.dx = cx - g.w / 2;
    r.dy = cy - g.h / 2;
    r.len = Root(r.dx * r.dx + r.dy * r.dy);
    r.nx = r.len ? r.dx * 256 / r.len : r.dx;
    r.ny = r.len ? r.dy * 256 / r.len : r.dy;
    return r;
}

// The offset of routine 55 (and 56, 57): pushed out along the ray by a random share of R.
void Explosion(const CellGeometry& g, const Ray& r, std::int32_t cx, std::int32_t k,
               std::int64_t* ox, std::int64_t* oy) {
    *ox = (r.nx * g.T(26 * k + cx) * g.remaining) >> 16;
    *oy = (g.T(1 + 38 * k + cx) * r.ny * g.remaining) >> 16;
}

// The cell corner turned about the centre by the turn of progress p.
void Turned(const CellGeometry& g, const Ray& r, std::int64_t* tx, std::int64_t* ty) {
    const std::int32_t theta = g.Turn();
    *tx = ((g.Cos(theta) * r.dx) >> 16) - ((r.dy * g.Sin(theta)) >> 16);
    *ty = ((r.dy * g.Cos(theta)) >> 16) + ((g.Sin(theta) * r.dx) >> 16);
}

void DrawCells(RoutineCanvas& c, std::int32_t index, const CellGeometry& g, std::int32_t x,
               std::int32_t y) {
    std::int32_t cw, ch;
    switch (index) {
        case 54: case 55: case 57: case 58: case 59: cw = 4; ch = 2; break;
        case 56: case 60: cw = 2; ch = 2; break;
        case 62: cw = 8; ch = 8; break;
        default: cw = 4; ch = 4; break;
    }
    for (std::int32_t cy = 0; cy < g.h; cy += ch)
        for (std::int32_t cx = 0; cx < g.w; cx += cw) {
            const RECT cell = {cx, cy, cx + std::min(cw, g.w - cx), cy + std::min(ch, g.h - cy)};
            const Ray r = RayOf(g, cx, cy);
            const std::int32_t theta = g.Turn();
            std::int64_t ox = 0, oy = 0;
            std::int64_t px = x + cx, py = y + cy;  // where the cell lands before its offset
            switch (index) {
                case 54:
                    ox = (g.remaining * g.T(cx + cy)) >> 8;
                    oy = (g.remaining * g.T(cx + cy + 1)) >> 8;
                    break;
                case 55: case 56:
                    Explosion(g, r, cx, cy / 2, &ox, &oy);
                    break;
                case 57: {
                    Explosion(g, r, cx, cy / 2, &ox, &oy);
                    const std::int32_t phi = (-2 * g.p) & 511;
                    ox = (ox * g.Cos(phi)) >> 16;
                    oy = (oy * g.Sin(phi)) >> 16;
                    break;
                }
                case 58: {
                    std::int64_t ux = r.dx, uy = r.dy;
                    if (r.len) {
                        ux = ((g.Sin(theta) * (r.dx * 256)) >> 16) / r.len;
                        uy = ((g.Cos(theta) * (r.dy * 256)) >> 16) / r.len;
                    }
                    ox = (ux * g.remaining) >> 8;
                    oy = (uy * g.remaining) >> 8;
                    break;
                }
                case 59:
                    ox = ((r.dx * g.Cos((theta >> 2) & 511)) * g.remaining) >> 24;
                    oy = ((r.dy * g.Sin(theta)) * g.remaining) >> 24;
                    break;
                case 60: case 61: case 62: case 63: {
                    std::int64_t tx, ty;
                    Turned(g, r, &tx, &ty);
                    px = x + g.w / 2 + tx;
                    py = y + g.h / 2 + ty;
                    if (index == 63) {
                        const std::int32_t k = cy / 4;
                        ox = (((r.nx * g.T(52 * k + cx) * g.remaining) >> 16) * g.Cos(theta)) >> 16;
                        oy = (((r.ny * g.T(1 + 76 * k + cx) * g.remaining) >> 16) * g.Sin(theta)) >>
                             16;
                    }
                    break;
                }
                case 66: {
                    const std::int32_t k = cy >> 2;
                    const std::int64_t d = (g.p >> 1) + 1;
                    ox = (g.T(13 * k + (cx >> 2)) - 128) / d;
                    oy = (g.T(19 * k + (cx >> 2)) - 128) / d;
                    break;
                }
                case 67: {
                    const std::int32_t k = cy >> 2;
                    ox = ((256 - g.p) * (g.T(13 * k + (cx >> 2)) - 128)) >> 11;
                    oy = ((256 - g.p) * g.T(19 * k + (cx >> 2))) >> 11;
                    break;
                }
                default:
                    break;
            }
            Draw(c, cell, Narrow(px + ox), Narrow(py + oy));
        }
}

void FallingBlocks(RoutineCanvas& c, const CellGeometry& g, std::int32_t block, std::int32_t x,
                   std::int32_t y) {
    for (std::int32_t cy = 0; cy < g.h; cy += block)
        for (std::int32_t cx = 0; cx < g.w; cx += block) {
            const std::int32_t k = cy / block;
            std::int32_t n;
            if (block == 8)
                n = ((g.p + static_cast<std::int32_t>(g.T(104 * k + (cx >> 3)) >> 1)) >> 4) - 8;
            else
                n = ((g.p + static_cast<std::int32_t>(g.T(208 * k + (cx >> 3)) >> 1)) >> 3) - 16;
            if (n <= 0) continue;
            n = std::min(n, block);
            Draw(c, RECT{cx, cy, cx + std::min(block, g.w - cx), cy + std::min(n, g.h - cy)},
                 x + cx, y + cy + block - n);
        }
}

template <std::int32_t kIndex>
std::int32_t Routine(Surface* destination, Surface* source, std::int32_t p, std::int32_t x,
                     std::int32_t y, std::int32_t mode, ScreenDevice* device) {
    constexpr bool kUsesTable = (kIndex >= 54 && kIndex <= 57) || kIndex >= 63;
    if (kUsesTable && !EnsureTransitionRandomTable()) return 1;
    RoutineCanvas c;
    std::int32_t result;
    if (!c.Begin(destination, source, p, x, y, mode, device, &result)) return result;
    CellGeometry g;
    g.w = c.SourceWidth();
    g.h = c.SourceHeight();
    g.p = p;
    g.remaining = static_cast<std::int64_t>(g.w + g.h) - ((static_cast<std::int64_t>(g.w + g.h) * p) >> 8);
    g.table = TransitionRandomTable();
    g.cosine = g_mathTables ? g_mathTables->CosFixed() : nullptr;
    if (kIndex >= 57 && kIndex <= 63 && !g.cosine) return 1;
    if (kIndex == 64 || kIndex == 65)
        FallingBlocks(c, g, kIndex == 64 ? 8 : 16, x, y);
    else
        DrawCells(c, kIndex, g, x, y);
    return 0;
}

}  // namespace

TransitionRoutineFunc CellRoutine(std::int32_t index) {
    switch (index) {
        case 54: return &Routine<54>;
        case 55: return &Routine<55>;
        case 56: return &Routine<56>;
        case 57: return &Routine<57>;
        case 58: return &Routine<58>;
        case 59: return &Routine<59>;
        case 60: return &Routine<60>;
        case 61: return &Routine<61>;
        case 62: return &Routine<62>;
        case 63: return &Routine<63>;
        case 64: return &Routine<64>;
        case 65: return &Routine<65>;
        case 66: return &Routine<66>;
        case 67: return &Routine<67>;
        default: return nullptr;
    }
}
