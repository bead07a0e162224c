// Rows of 32-bit ARGB pixels shaped like the rows of drawn sprites: runs of fully transparent
// pixels (some all zero, some keeping a colour) and fully opaque ones, joined by anti-aliased
// edges of one to three partly transparent pixels. Header-only: the pixel benchmark uses it
// too. Deterministic for a seed.
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

struct SpriteRowShape {
    int transparentPercent;  // share of the pixels in transparent runs
    int opaquePercent;       // share in opaque runs; the rest are edge pixels
    int longestRun;          // runs of transparent or opaque pixels are 1 to this long
};

class SpriteRowWriter {
public:
    SpriteRowWriter(std::uint32_t seed, SpriteRowShape shape) : m_state(seed), m_shape(shape) {}

    std::vector<std::uint32_t> Row(int length) {
        std::vector<std::uint32_t> row;
        row.reserve(static_cast<std::size_t>(length));
        while (static_cast<int>(row.size()) < length) {
            // Runs are drawn so that each kind covers its share of the pixels: an edge is
            // two pixels on average, a run (longestRun + 1) / 2.
            const int meanRun = (m_shape.longestRun + 1) / 2;
            const int edgePercent = 100 - m_shape.transparentPercent - m_shape.opaquePercent;
            const int tWeight = m_shape.transparentPercent * 2, oWeight = m_shape.opaquePercent * 2;
            const int eWeight = edgePercent * meanRun;
            const int pick = Below(tWeight + oWeight + eWeight);
            if (pick < tWeight) {
                for (int n = 1 + Below(m_shape.longestRun); n > 0; --n)
                    row.push_back(Below(2) ? 0u : Next() & 0x00FFFFFFu);
            } else if (pick < tWeight + oWeight) {
                for (int n = 1 + Below(m_shape.longestRun); n > 0; --n)
                    row.push_back(Next() | 0xFF000000u);
            } else {
                for (int n = 1 + Below(3); n > 0; --n)
                    row.push_back((Next() & 0x00FFFFFFu) |
                                  static_cast<std::uint32_t>(1 + Below(254)) << 24);
            }
        }
        row.resize(static_cast<std::size_t>(length));
        return row;
    }

private:
    std::uint32_t Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state ^ (m_state >> 16);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

    std::uint32_t m_state;
    SpriteRowShape m_shape;
};

}  // namespace testsupport
