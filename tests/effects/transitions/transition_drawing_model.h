// A model of the wipe, shape, dissolve and moving-cell transition routines: for a routine, a
// source size, a progress and a position, the ordered list of pieces (source rectangle and
// destination point) it draws, written from the routines' descriptions; and a painter that
// draws a piece pixel by pixel, clipped as the drawing primitives clip.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "graphics/image/image.h"
#include "tests/support/random_models.h"

namespace transtest {

struct ModelPiece {
    RECT rect;
    POINT at;
};
using PieceList = std::vector<ModelPiece>;

// Everything a routine reads besides its arguments.
struct ModelWorld {
    const std::int32_t* cosine = nullptr;          // MathTables' fixed cosines, or null
    const std::uint8_t* table = nullptr;           // the 256 fixed random bytes
    testsupport::SubtractiveModel* random = nullptr;  // stands for TransitionRandom
};

namespace model_detail {

inline std::int64_t Isqrt(std::int64_t v) {
    if (v <= 0) return 0;
    std::int64_t r = 0;
    while ((r + 1) * (r + 1) <= v) ++r;
    return r;
}
// floor(2 sqrt(v)).
inline std::int64_t TwiceSqrt(std::int64_t v) { return Isqrt(4 * v); }

class Builder {
public:
    Builder(std::int32_t w, std::int32_t h) : m_w(w), m_h(h) {}
    // Pieces that are empty or wholly outside the source are not drawn.
    void Add(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b, std::int64_t ax,
             std::int64_t ay) {
        if (l >= r || t >= b || r <= 0 || b <= 0 || l >= m_w || t >= m_h) return;
        pieces.push_back(ModelPiece{RECT{LONG(l), LONG(t), LONG(r), LONG(b)}, POINT{LONG(ax), LONG(ay)}});
    }
    // In place.
    void Own(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b, std::int64_t x,
             std::int64_t y) {
        Add(l, t, r, b, x + l, y + t);
    }
    PieceList pieces;

private:
    std::int64_t m_w, m_h;
};

}  // namespace model_detail

// The pieces of routine `index` (one of 0, 1, 4-22, 27-52, 54-67, 83-86) at progress 1..255.
inline PieceList ModelRoutinePieces(std::int32_t index, std::int32_t W, std::int32_t H,
                                    std::int32_t p, std::int32_t X, std::int32_t Y,
                                    const ModelWorld& world) {
    using model_detail::Isqrt;
    using model_detail::TwiceSqrt;
    model_detail::Builder out(W, H);
    const std::int64_t w = W, h = H;
    auto cosAt = [&](std::int64_t k) -> std::int64_t { return world.cosine[k & 511]; };
    auto sinAt = [&](std::int64_t k) -> std::int64_t { return world.cosine[(k - 128) & 511]; };
    auto T = [&](std::int64_t i) -> std::int64_t { return world.table[i % 256]; };
    auto nextByte = [&]() -> std::int64_t { return world.random->Next() & 0xFF; };
    auto cells = [&](std::int64_t cw, std::int64_t ch, auto visit) {
        for (std::int64_t cy = 0; cy < h; cy += ch)
            for (std::int64_t cx = 0; cx < w; cx += cw)
                visit(cx, cy, std::min(cw, w - cx), std::min(ch, h - cy));
    };

    switch (index) {
        case 0:
            for (std::int64_t i = 0; i < w; ++i) out.Add(i, 0, i + 1, h, X + w - 1 - i, Y);
            break;
        case 1:
            for (std::int64_t i = 0; i < h; ++i) out.Add(0, i, w, i + 1, X, Y + h - 1 - i);
            break;
        case 4:
            for (std::int64_t r = 0; r < h; ++r) {
                const std::int64_t v = world.random->Next(), s = 256 - p;
                out.Add(0, r, w, r + 1, X + (v % s) - (s >> 1), Y + r);
            }
            break;
        case 5: {
            const std::int64_t jr = p < 128 ? 10 : p < 200 ? 6 : p < 230 ? 4 : 2;
            cells(4, 2, [&](std::int64_t cx, std::int64_t cy, std::int64_t cw, std::int64_t ch) {
                if (nextByte() <= p) {
                    out.Own(cx, cy, cx + cw, cy + ch, X, Y);
                    return;
                }
                std::int64_t ox = world.random->Next() % jr;
                std::int64_t oy = world.random->Next() % jr;
                if (cx + ox + cw > w) ox = 0;
                if (cy + oy + ch > h) oy = 0;
                out.Add(cx + ox, cy + oy, cx + ox + cw, cy + oy + ch, X + cx, Y + cy);
            });
            break;
        }
        case 6: case 7: case 8: case 9: case 10:
            cells(4, 2, [&](std::int64_t cx, std::int64_t cy, std::int64_t cw, std::int64_t ch) {
                const std::int64_t thresholds[5] = {
                    p, (256 * (h - 1 - cy)) / h + 2 * p - 256, (cy * 256) / h + 2 * p - 256,
                    (256 * (w - 1 - cx)) / w + 2 * p - 256, (cx * 256) / w + 2 * p - 256};
                if (nextByte() <= thresholds[index - 6]) out.Own(cx, cy, cx + cw, cy + ch, X, Y);
            });
            break;
        case 11: case 12: case 13: case 14: case 15: {
            const std::int64_t s = (p * std::max(w, h)) >> 8;
            const bool right = index == 13 || index == 15, bottom = index == 14 || index == 15;
            std::int64_t l = right ? std::max<std::int64_t>(0, w - s) : 0;
            std::int64_t t = bottom ? std::max<std::int64_t>(0, h - s) : 0;
            if (index == 11) {
                l = std::max<std::int64_t>(0, (w >> 1) - (s >> 1));
                t = std::max<std::int64_t>(0, (h >> 1) - (s >> 1));
            }
            out.Own(l, t, l + std::min(s, w - l), t + std::min(s, h - t), X, Y);
            break;
        }
        case 16: case 17: {
            const std::int64_t len = index == 16 ? w : h, lines = index == 16 ? h : w;
            const std::int64_t a = (p * len) >> 8;
            for (std::int64_t i = 0; i < lines; ++i) {
                const std::int64_t from = i % 2 == 0 ? 0 : std::max<std::int64_t>(0, len - a - 1);
                const std::int64_t to = i % 2 == 0 ? std::min(a, len) : len;
                if (index == 16) out.Own(from, i, to, i + 1, X, Y);
                else out.Own(i, from, i + 1, to, X, Y);
            }
            break;
        }
        case 18: case 19: {
            const std::int64_t len = index == 18 ? w : h, lines = index == 18 ? h : w;
            auto line = [&](std::int64_t i, std::int64_t from, std::int64_t to) {
                if (i >= lines) return;
                if (index == 18) out.Own(from, i, to, i + 1, X, Y);
                else out.Own(i, from, i + 1, to, X, Y);
            };
            const std::int64_t b = (p * len) >> 7;
            for (std::int64_t k = 0; k < lines; k += 4) {
                line(k, 0, std::min(b, len));
                line(k + 2, std::max<std::int64_t>(0, len - b - 1), len);
            }
            if (p > 128) {
                const std::int64_t c = (len * (p - 128)) >> 7;
                for (std::int64_t k = 0; k < lines; k += 4) {
                    line(k + 1, 0, std::min(c, len));
                    line(k + 3, std::max<std::int64_t>(0, len - c - 1), len);
                }
            }
            break;
        }
        case 20:
            cells(2, 2, [&](std::int64_t cx, std::int64_t cy, std::int64_t cw, std::int64_t ch) {
                const std::int64_t b = nextByte();
                const std::int64_t dist = Isqrt((2 * cy - h) * (2 * cy - h) + (2 * cx - w) * (2 * cx - w));
                if (((p * (w + h)) >> 8) - dist >= b) out.Own(cx, cy, cx + cw, cy + ch, X, Y);
            });
            break;
        case 21: case 22: {
            const std::int64_t a = (p * h) >> 8;
            const std::int64_t o[6] = {-(w / 9), w / 9, -((2 * w) / 9), (2 * w) / 9, -(w / 3), w / 3};
            if (index == 21) {
                out.Own(0, 0, w, std::min(a, h), X, Y);
                for (int k = 0; k < 6; ++k)
                    if (a + k >= 0 && a + k < h) out.Add(0, a + k, w, a + k + 1, X + o[k], Y + a + k);
            } else {
                const std::int64_t t = std::max<std::int64_t>(0, h - a);
                out.Own(0, t, w, t + std::min(a, h - t), X, Y);
                for (int k = 0; k < 6; ++k) {
                    const std::int64_t r = h - a - 1 - k;
                    if (r >= 0 && r < h) out.Add(0, r, w, r + 1, X + o[k], Y + r);
                }
            }
            break;
        }
        case 27: case 28: {
            const std::int64_t D = (TwiceSqrt((w * w) / 4 + h * h) * p) >> 8;
            const std::int64_t r2 = (D * D) / 4;
            for (std::int64_t j = 0; j < (D >> 1); ++j) {
                const std::int64_t c = TwiceSqrt(r2 - j * j);
                std::int64_t row = index == 27 ? j : h - j;
                if (row >= h) continue;
                row = std::max<std::int64_t>(row, 0);  // rows above the picture land on row 0
                const std::int64_t l = std::max<std::int64_t>(0, (w >> 1) - (c >> 1));
                out.Add(l, row, l + std::min(c, w - l), row + 1, X + l, Y + row);
            }
            break;
        }
        case 29: case 30: case 31: {
            const std::int64_t D = index == 31 ? (p * (w + h)) >> 8
                                               : (p * TwiceSqrt(w * w + (h * h) / 4)) >> 8;
            for (std::int64_t i = (h >> 1) - (D >> 1); i < (h >> 1) + (D >> 1); ++i) {
                if (i >= h) continue;
                const std::int64_t row = std::max<std::int64_t>(i, 0);
                const std::int64_t d = i - (h >> 1);
                std::int64_t l, r;
                if (index == 31) {
                    const std::int64_t c = TwiceSqrt((D * D) / 4 - d * d);
                    l = std::max<std::int64_t>(0, (w >> 1) - (c >> 1));
                    r = l + std::min(c, w - l);
                } else {
                    const std::int64_t half = Isqrt((D * D) / 4 - d * d);
                    l = index == 29 ? 0 : std::max<std::int64_t>(0, w - half);
                    r = index == 29 ? std::min(w, half) : l + std::min(half, w - l);
                }
                out.Add(l, row, r, row + 1, X + l, Y + row);
            }
            break;
        }
        case 32: case 33: case 34: {
            const std::int64_t g = 4 << (index - 32), s = p >> (6 - (index - 32));
            if (s == 0) break;
            for (std::int64_t cy = 0; cy < h; cy += g)
                for (std::int64_t cx = 0; cx < w; cx += g)
                    out.Own(cx, cy, cx + std::min(s, w - cx), cy + std::min(s, h - cy), X, Y);
            break;
        }
        case 35: case 36: case 37: case 38: case 39: case 40: case 41: case 42: {
            const bool columns = index <= 38, forward = index % 2 == 1;
            const std::int64_t P = (index - 35) % 4 < 2 ? 8 : 16;
            const std::int64_t t = P == 8 ? p >> 5 : p >> 4;
            for (std::int64_t c = 0; c < (columns ? w : h); ++c) {
                if (t < (forward ? c % P : P - 1 - c % P)) continue;
                if (columns) out.Own(c, 0, c + 1, h, X, Y);
                else out.Own(0, c, w, c + 1, X, Y);
            }
            break;
        }
        case 43: case 44: {
            const std::int64_t P = index == 43 ? 8 : 16;
            const std::int64_t L = index == 43 ? p >> 5 : p >> 4;
            for (std::int64_t row = 0; row < h; ++row) {
                const std::int64_t s = row % (P - 1);  // the source row's shift
                for (std::int64_t k = 0; k * P - s < w; ++k) {
                    const std::int64_t start = k * P - s;
                    const std::int64_t l = std::max<std::int64_t>(0, start);
                    out.Own(l, row, std::min(start + L, w), row + 1, X, Y);
                }
            }
            break;
        }
        case 45: case 46: case 47: case 48: case 49: case 50: case 51: case 52: {
            static const int kIn[4][4] = {{0, 1, 2, 3}, {11, 12, 13, 4}, {10, 15, 14, 5}, {9, 8, 7, 6}};
            static const int kOut[4][4] = {{6, 7, 8, 9}, {5, 0, 1, 10}, {4, 3, 2, 11}, {15, 14, 13, 12}};
            const std::int64_t c = std::int64_t{1} << ((index - 45) / 2);
            const auto& order = index % 2 == 1 ? kIn : kOut;
            cells(c, c, [&](std::int64_t cx, std::int64_t cy, std::int64_t cw, std::int64_t ch) {
                if ((p >> 4) >= order[(cy / c) & 3][(cx / c) & 3]) out.Own(cx, cy, cx + cw, cy + ch, X, Y);
            });
            break;
        }
        case 54: case 55: case 56: case 57: case 58: case 59: case 60: case 61: case 62: case 63:
        case 66: case 67: {
            const std::int64_t R = (w + h) - (((w + h) * p) >> 8);
            const std::int64_t theta = 2 * (256 - p);
            std::int64_t cw = 4, ch = 2;
            if (index == 56 || index == 60) cw = ch = 2;
            if (index == 61 || index == 63 || index == 66 || index == 67) cw = ch = 4;
            if (index == 62) cw = ch = 8;
            cells(cw, ch, [&](std::int64_t cx, std::int64_t cy, std::int64_t sw, std::int64_t sh) {
                const std::int64_t dx = cx - w / 2, dy = cy - h / 2;
                const std::int64_t len = Isqrt(dx * dx + dy * dy);
                const std::int64_t nx = len == 0 ? dx : (dx * 256) / len;
                const std::int64_t ny = len == 0 ? dy : (dy * 256) / len;
                std::int64_t ax = X + cx, ay = Y + cy;
                if (index == 54) {
                    ax += (R * T(cx + cy)) >> 8;
                    ay += (R * T(cx + cy + 1)) >> 8;
                } else if (index >= 55 && index <= 57) {
                    const std::int64_t k = cy / 2;
                    std::int64_t ox = (nx * T(26 * k + cx) * R) >> 16;
                    std::int64_t oy = (T(1 + 38 * k + cx) * ny * R) >> 16;
                    if (index == 57) {
                        const std::int64_t phi = (-2 * p) & 511;
                        ox = (ox * cosAt(phi)) >> 16;
                        oy = (oy * sinAt(phi)) >> 16;
                    }
                    ax += ox;
                    ay += oy;
                } else if (index == 58) {
                    const std::int64_t ux = len == 0 ? dx : ((sinAt(theta) * (dx * 256)) >> 16) / len;
                    const std::int64_t uy = len == 0 ? dy : ((cosAt(theta) * (dy * 256)) >> 16) / len;
                    ax += (ux * R) >> 8;
                    ay += (uy * R) >> 8;
                } else if (index == 59) {
                    ax += ((dx * cosAt((theta >> 2) & 511)) * R) >> 24;
                    ay += ((dy * sinAt(theta)) * R) >> 24;
                } else if (index >= 60 && index <= 63) {
                    ax = X + w / 2 + ((cosAt(theta) * dx) >> 16) - ((dy * sinAt(theta)) >> 16);
                    ay = Y + h / 2 + ((dy * cosAt(theta)) >> 16) + ((sinAt(theta) * dx) >> 16);
                    if (index == 63) {
                        const std::int64_t k = cy / 4;
                        ax += (((nx * T(52 * k + cx) * R) >> 16) * cosAt(theta)) >> 16;
                        ay += (((ny * T(1 + 76 * k + cx) * R) >> 16) * sinAt(theta)) >> 16;
                    }
                } else if (index == 66) {
                    const std::int64_t k = cy >> 2, d = (p >> 1) + 1;
                    ax += (T(13 * k + (cx >> 2)) - 128) / d;
                    ay += (T(19 * k + (cx >> 2)) - 128) / d;
                } else {
                    const std::int64_t k = cy >> 2;
                    ax += ((256 - p) * (T(13 * k + (cx >> 2)) - 128)) >> 11;
                    ay += ((256 - p) * T(19 * k + (cx >> 2))) >> 11;
                }
                out.Add(cx, cy, cx + sw, cy + sh, ax, ay);
            });
            break;
        }
        case 64: case 65: {
            const std::int64_t c = index == 64 ? 8 : 16;
            for (std::int64_t cy = 0; cy < h; cy += c)
                for (std::int64_t cx = 0; cx < w; cx += c) {
                    const std::int64_t k = cy / c;
                    const std::int64_t t = p + (T((index == 64 ? 104 : 208) * k + (cx >> 3)) >> 1);
                    std::int64_t n = index == 64 ? (t >> 4) - 8 : (t >> 3) - 16;
                    if (n <= 0) continue;
                    n = std::min(n, c);
                    out.Add(cx, cy, cx + std::min(c, w - cx), cy + std::min(n, h - cy), X + cx,
                            Y + cy + c - n);
                }
            break;
        }
        case 83: case 84: {
            const std::int64_t cx = w >> 1, cy = h >> 1, P = std::max(cx, cy);
            const std::int64_t R = ((P + 1) << 16) / world.cosine[448];
            const std::int64_t phi = p >> 1;
            const std::int64_t L = (R * cosAt(phi)) >> 16, M = (R * sinAt(phi)) >> 16;
            auto piece = [&](std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
                r = std::min(r, w);
                b = std::min(b, h);
                l = std::max<std::int64_t>(l, 0);
                t = std::max<std::int64_t>(t, 0);
                out.Own(l, t, r, b, X, Y);
            };
            const bool cw = index == 83;
            if (R * sinAt(phi) > 65535)
                for (std::int64_t i = 0; i < M; ++i) {
                    const std::int64_t v = (i * L) / M;
                    piece(cx + v, cw ? cy + i : cy - i, cx + L, (cw ? cy + i : cy - i) + 1);
                    piece(cx - L, cw ? cy - i : cy + i, cx - v, (cw ? cy - i : cy + i) + 1);
                    if (cw) {
                        piece(cx - i, cy + v, cx - i + 1, cy + L);
                        piece(cx + i, cy - L, cx + i + 1, cy - v);
                    } else {
                        piece(cx - i, cy - L, cx - i + 1, cy - v);
                        piece(cx + i, cy + v, cx + i + 1, cy + L);
                    }
                }
            if (L < M) {
                if (cw) {
                    piece(cx + L, cy, 2 * cx, cy + M + 1);
                    piece(0, cy - M, cx - L, cy + 1);
                    piece(0, cy + L, cx + 1, 2 * cy);
                    piece(cx, 0, 2 * cx + 1, cy - L);
                } else {
                    piece(cx + L, cy - M, 2 * cx, cy + 1);
                    piece(0, cy, cx - L, cy + M + 1);
                    piece(0, 0, cx + 1, cy - L);
                    piece(cx, cy + L, 2 * cx + 1, 2 * cy);
                }
            }
            break;
        }
        case 85: {
            const std::int64_t half = w >> 1, a = (half * p) >> 8;
            out.Add(half - a, 0, half, h, X, Y);
            out.Add(half, 0, half + a, h, X + w - a, Y);
            break;
        }
        case 86: {
            const std::int64_t half = h >> 1, a = (half * p) >> 8;
            out.Add(0, half - a, w, half, X, Y);
            out.Add(0, half, w, half + a, X, Y + h - a);
            break;
        }
        default:
            break;
    }
    return out.pieces;
}

// The alpha blend of one 32-bit pixel: colour channels s x A + d x (255 - A), each >> 8, with
// A = 256 for an opaque source and a destination weight of 256 for a transparent one; alpha 0.
inline std::uint32_t ModelBlend(std::uint32_t d, std::uint32_t s) {
    const std::uint32_t alpha = s >> 24;
    const std::uint32_t a = alpha == 255 ? 256 : alpha;
    const std::uint32_t b = alpha == 0 ? 256 : 255 - alpha;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t sc = s >> shift & 0xFF, dc = d >> shift & 0xFF;
        out |= ((sc * a >> 8) + (dc * b >> 8)) << shift;
    }
    return out;
}

// Draws a piece pixel by pixel as the primitives do: a pixel is drawn when its source pixel
// lies inside the source and its destination inside the destination; mode 0 copies (a keyed
// source leaves its key pixels out), mode 1 blends.
inline void PaintPiece(std::vector<std::uint32_t>& dst, std::int32_t dw, std::int32_t dh,
                       const std::vector<std::uint32_t>& src, std::int32_t sw, std::int32_t sh,
                       std::int64_t key, std::int32_t mode, const ModelPiece& piece) {
    for (std::int32_t sy = piece.rect.top; sy < piece.rect.bottom; ++sy)
        for (std::int32_t sx = piece.rect.left; sx < piece.rect.right; ++sx) {
            if (sx < 0 || sy < 0 || sx >= sw || sy >= sh) continue;
            const std::int64_t tx = piece.at.x + (sx - piece.rect.left);
            const std::int64_t ty = piece.at.y + (sy - piece.rect.top);
            if (tx < 0 || ty < 0 || tx >= dw || ty >= dh) continue;
            std::uint32_t& d = dst[ty * dw + tx];
            const std::uint32_t s = src[sy * sw + sx];
            if (mode == 1) d = ModelBlend(d, s);
            else if (key < 0 || s != static_cast<std::uint32_t>(key)) d = s;
        }
}

}  // namespace transtest
