// The scan conversion shared by the quadrilateral kernels (see quad_kernels.h), over a pixel
// rule op(destination pixel pointer, texel).
#pragma once

#include <algorithm>
#include <cstdint>

#include "graphics/image/quad_kernels.h"

namespace quad_scan {

constexpr int kFraction = 20;
constexpr std::int64_t kOne = std::int64_t{1} << kFraction;

inline std::int64_t Fixed(std::int64_t v) { return v * kOne; }

// The sign of a * b - c * d for factors below 2^33 in magnitude, whose products need up to 66
// bits: each product as a sign and a 128-bit magnitude.
struct Wide {
    bool negative;
    std::uint64_t hi, lo;
};
inline Wide Multiply(std::int64_t a, std::int64_t b) {
    const bool negative = (a < 0) != (b < 0) && a != 0 && b != 0;
    const std::uint64_t x = a < 0 ? 0 - static_cast<std::uint64_t>(a) : static_cast<std::uint64_t>(a);
    const std::uint64_t y = b < 0 ? 0 - static_cast<std::uint64_t>(b) : static_cast<std::uint64_t>(b);
    const std::uint64_t x0 = x & 0xFFFFFFFFu, x1 = x >> 32, y0 = y & 0xFFFFFFFFu, y1 = y >> 32;
    const std::uint64_t p00 = x0 * y0, p01 = x0 * y1, p10 = x1 * y0, p11 = x1 * y1;
    const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return Wide{negative, p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32),
                (middle << 32) | (p00 & 0xFFFFFFFFu)};
}
// -1, 0 or 1 as a * b - c * d.
inline int CrossSign(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
    const Wide l = Multiply(a, b), r = Multiply(c, d);
    auto magnitudeCompare = [](const Wide& x, const Wide& y) {
        if (x.hi != y.hi) return x.hi < y.hi ? -1 : 1;
        if (x.lo != y.lo) return x.lo < y.lo ? -1 : 1;
        return 0;
    };
    const bool lZero = l.hi == 0 && l.lo == 0, rZero = r.hi == 0 && r.lo == 0;
    const int ls = lZero ? 0 : (l.negative ? -1 : 1), rs = rZero ? 0 : (r.negative ? -1 : 1);
    if (ls != rs) return ls > rs ? 1 : -1;
    if (ls == 0) return 0;
    const int m = magnitudeCompare(l, r);
    return ls > 0 ? m : -m;
}

// Texture steps (subtracted once a row or pixel) round towards minus infinity, so that no
// walked coordinate falls below its exact value and the last step lands on its end texel:
// truncated, a rectangle drawn at its own size would show its next-to-last row twice.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline std::int64_t TextureSlope(std::int64_t difference, std::int64_t h) {
    return FloorDiv(Fixed(difference), h);
}

// One side of the quadrilateral: a path of corners from the top corner to the bottom one.
struct Side {
    std::int32_t path[4];
    std::int32_t count;
    std::int32_t segment;  // from path[segment] to path[segment + 1]
    std::int64_t endY;
    std::int64_t x, u, v;
    std::int64_t dx, du, dv;  // subtracted once a row
};

// Enters the first segment from `segment` on that spans rows; false when none is left. A
// segment of height 0 spans no row: its slopes are not used, and x carries on, except at the
// top, where the side starts at the corner that segment ends in.
inline bool Enter(Side& s, const POINT* dq, const POINT* sq) {
    while (s.segment + 1 < s.count) {
        const std::int32_t a = s.path[s.segment];
        const std::int32_t b = s.path[s.segment + 1];
        const std::int64_t h = std::int64_t{dq[b].y} - dq[a].y;
        s.endY = dq[b].y;
        if (h > 0) {
            s.dx = Fixed(std::int64_t{dq[a].x} - dq[b].x) / h;
            s.du = TextureSlope(std::int64_t{sq[a].x} - sq[b].x, h);
            s.dv = TextureSlope(std::int64_t{sq[a].y} - sq[b].y, h);
            s.u = Fixed(sq[a].x);
            s.v = Fixed(sq[a].y);
            return true;
        }
        if (s.segment == 0) s.x = Fixed(dq[b].x);
        ++s.segment;
    }
    return false;
}

inline void Step(Side& s, std::int64_t rows) {
    s.x -= rows * s.dx;
    s.u -= rows * s.du;
    s.v -= rows * s.dv;
}

template <class Op>
void Scan(const QuadTarget& dst, const QuadSource& src, const POINT* dq, const POINT* sq,
          const RECT& clip, std::uint8_t edgeMode, Op op) {
    QuadVertex sorted[4];
    for (std::int32_t i = 0; i < 4; ++i) sorted[i] = QuadVertex{i, dq[i].x, dq[i].y};
    std::sort(sorted, sorted + 4, [](const QuadVertex& a, const QuadVertex& b) {
        return CompareQuadVertex(a, b) < 0;
    });
    const std::int32_t t = sorted[0].corner;
    const std::int32_t p = QuadCornerTable[t][0];
    const std::int32_t q = QuadCornerTable[t][1];
    const std::int32_t o = QuadCornerTable[t][2];
    const int cross = CrossSign(std::int64_t{dq[p].y} - dq[t].y, std::int64_t{dq[q].x} - dq[t].x,
                                std::int64_t{dq[q].y} - dq[t].y, std::int64_t{dq[p].x} - dq[t].x);
    const std::int32_t leftNeighbour = cross < 0 ? q : p;
    const std::int32_t second = sorted[1].corner;
    // The opposite corner second highest: a crossed or folded shape, not drawn.
    if (second != p && second != q) return;
    const std::int32_t other = second == p ? q : p;

    Side viaSecond = {{t, second, o, 0}, 3, 0, 0, 0, 0, 0, 0, 0, 0};
    if (o == sorted[2].corner) viaSecond.path[viaSecond.count++] = other;
    Side direct = {{t, other, 0, 0}, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    if (other == sorted[2].corner) direct.path[direct.count++] = o;
    Side& left = second == leftNeighbour ? viaSecond : direct;
    Side& right = second == leftNeighbour ? direct : viaSecond;
    left.x = right.x = Fixed(dq[t].x);
    if (!Enter(left, dq, sq) || !Enter(right, dq, sq)) return;

    const std::int64_t bottom = std::min<std::int64_t>(sorted[3].y, clip.bottom);
    std::int64_t y = sorted[0].y;
    while (y < bottom) {
        if (y >= left.endY && (++left.segment, !Enter(left, dq, sq))) return;
        if (y >= right.endY && (++right.segment, !Enter(right, dq, sq))) return;
        if (y < clip.top) {
            // Rows above the clip: all their steps at once, up to the next segment change.
            const std::int64_t rows =
                std::min<std::int64_t>({std::int64_t{clip.top}, left.endY, right.endY}) - y;
            Step(left, rows);
            Step(right, rows);
            y += rows;
            continue;
        }
        Step(left, 1);
        Step(right, 1);
        const std::int64_t xl = left.x >> kFraction;
        const std::int64_t n = (right.x >> kFraction) - xl;
        const std::int64_t start = std::max<std::int64_t>(xl, clip.left);
        const std::int64_t end = std::min<std::int64_t>(xl + n, clip.right);
        if (n > 0 && start < end) {
            std::int64_t du = 0, dv = 0;
            if (n > 1) {
                // The 2^20 of the fixed-point dividend and divisor cancel exactly.
                const std::int64_t steps = edgeMode == 0 ? n - 1 : n;
                du = FloorDiv(left.u - right.u, steps);
                dv = FloorDiv(left.v - right.v, steps);
            }
            // Pixels left of the clip: their steps at once.
            std::int64_t u = left.u - (start - xl) * du;
            std::int64_t v = left.v - (start - xl) * dv;
            auto* row = reinterpret_cast<std::uint32_t*>(dst.bits + y * dst.pitch);
            for (std::int64_t x = start; x < end; ++x, u -= du, v -= dv) {
                const std::int64_t tx = u >> kFraction;
                const std::int64_t ty = v >> kFraction;
                if (tx < src.clip.left || tx >= src.clip.right || ty < src.clip.top ||
                    ty >= src.clip.bottom) {
                    continue;
                }
                op(row + x, reinterpret_cast<const std::uint32_t*>(src.rows[ty])[tx]);
            }
        }
        ++y;
    }
}

}  // namespace quad_scan
