// Per-channel reference formulas for the row kernels, written from the formulas alone (plain
// integers, floor division, no packed arithmetic), and the pixel rows they are tried on.
#pragma once

#include <cstdint>
#include <vector>

#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelopstest {

using pixelops::Pixel;

extern const int kCorners[6];  // 0, 1, 127, 128, 254, 255

inline int Ch(Pixel p, int index) {
    return static_cast<int>((p >> (8 * index)) & 0xFF);
}
inline int A(Pixel p) {
    return Ch(p, 3);
}
inline Pixel Make(int b, int g, int r, int a) {
    return static_cast<Pixel>(b) | (static_cast<Pixel>(g) << 8) | (static_cast<Pixel>(r) << 16) |
           (static_cast<Pixel>(a) << 24);
}
inline int FloorDiv256(int n) {
    return n >= 0 ? n / 256 : -((-n + 255) / 256);
}
inline int Lerp1(int x, int y, int w) {
    return x + FloorDiv256((y - x) * w);
}
inline int Min255(int v) {
    return v > 255 ? 255 : v;
}

// Colour channels from f(channel of d, channel of s), alpha given.
template <class F>
Pixel PerColour(Pixel d, Pixel s, F f, int alpha) {
    return Make(f(Ch(d, 0), Ch(s, 0)), f(Ch(d, 1), Ch(s, 1)), f(Ch(d, 2), Ch(s, 2)), alpha);
}

Pixel RefLerp(Pixel x, Pixel y, int w, int alpha);
Pixel RefBlendArgb(Pixel x, Pixel y, int w);
Pixel RefScale4(Pixel p, int k);
Pixel RefPremultiply(Pixel p);
Pixel RefAdditiveOver(Pixel d, Pixel s);  // result alpha = sa
Pixel RefAdditiveOntoAdditive(Pixel d, Pixel s);
int RefWeight(int s, int d);  // the IEEE-double weight table
int RefOverAlpha(int s, int d);
Pixel RefOntoAlpha(Pixel d, Pixel s, int a);

// Deterministic pseudo-random numbers (fixed seed per generator).
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(seed) {}
    std::uint32_t Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state ^ (m_state >> 16);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
    Pixel NextPixel() { return Next(); }

private:
    std::uint32_t m_state;
};

// Rows of corner values: every combination of (d channel 0, s channel 0, sa, da) from the
// corner set, with the other channels cycling through it.
void CornerRows(std::vector<Pixel>& d, std::vector<Pixel>& s);

}  // namespace pixelopstest
