// Free-form drawing of a source quadrilateral onto a destination quadrilateral, interpolated
// along scanlines, and the scan conversion the four kernels share.
//
// Quadrilaterals list their corners top-left, top-right, bottom-left, bottom-right; edges run
// 0-1, 0-2, 1-3 and 2-3. Edge positions and texture coordinates are 12.20 fixed point held in
// 64 bits, so corners anywhere in the 32-bit range step without overflow. Each of the rows from
// the top corner's down to (not including) the bottom corner's is drawn with the edge values
// one step further down; a span covers the columns from the left edge up to, not including, the
// right edge's. Rows and columns before the clip rectangle are skipped in one step.
#pragma once

#include <windows.h>

#include <cstdint>

// Per corner: its two neighbours, then the opposite corner.
extern const std::uint8_t QuadCornerTable[4][3];

struct QuadVertex {
    std::int32_t corner;
    std::int32_t x;
    std::int32_t y;
};

// Orders by y, then by x: negative, zero or positive.
std::int64_t CompareQuadVertex(const QuadVertex& a, const QuadVertex& b);

struct QuadTarget {
    std::uint8_t* bits;  // 32-bit pixels
    std::int32_t pitch;
};

struct QuadSource {
    const std::uint8_t* const* rows;  // one pointer per row
    RECT clip;                        // texels outside it are never read
};

// Edge mode 0: the last pixel of a span takes the right edge's texture coordinates; mode 1:
// one step short. clip must lie inside the destination.
void KernelQuadMap(const QuadTarget& dst, const QuadSource& src, const POINT* dstQuad,
                   const POINT* srcQuad, const RECT& clip, std::uint8_t edgeMode);
// Skips texels equal to the key in all 32 bits.
void KernelQuadMapKeyed(const QuadTarget& dst, const QuadSource& src, const POINT* dstQuad,
                        const POINT* srcQuad, const RECT& clip, std::uint8_t edgeMode,
                        std::uint32_t key);
// Blends the colour towards the texel by w(row[texel alpha]) (row: the multiply row of an
// opacity), the destination alpha kept. Both forms give the same pixels.
void KernelQuadMapBlend(const QuadTarget& dst, const QuadSource& src, const POINT* dstQuad,
                        const POINT* srcQuad, const RECT& clip, std::uint8_t edgeMode,
                        const std::uint8_t* row);
void KernelQuadMapBlendMmx(const QuadTarget& dst, const QuadSource& src, const POINT* dstQuad,
                           const POINT* srcQuad, const RECT& clip, std::uint8_t edgeMode,
                           const std::uint8_t* row);
