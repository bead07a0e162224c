// The quadrilateral kernels: copy, keyed copy and blend by the texel's alpha.
#include "graphics/image/quad_kernels.h"

#include "graphics/image/pixel_math.h"
#include "graphics/image/quad_scan.h"

const std::uint8_t QuadCornerTable[4][3] = {{1, 2, 3}, {0, 3, 2}, {0, 3, 1}, {1, 2, 0}};

std::int64_t CompareQuadVertex(const QuadVertex& a, const QuadVertex& b) {
    if (a.y != b.y) return std::int64_t{a.y} - b.y;
    return std::int64_t{a.x} - b.x;
}

void KernelQuadMap(const QuadTarget& dst, const QuadSource& src, const POINT* dstQuad,
                   const POINT* srcQuad, const RECT& clip, std::uint8_t edgeMode) {
    quad_scan::Scan(dst, src, dstQuad, srcQuad, clip, edgeMode,
                    [](std::uint32_t* d, std::uint32_t texel) { *d = texel; });
}

void KernelQuadMapKeyed(const QuadTarget& dst, const QuadSource& src, const POINT* dstQuad,
                        const POINT* srcQuad, const RECT& clip, std::uint8_t edgeMode,
                        std::uint32_t key) {
    quad_scan::Scan(dst, src, dstQuad, srcQuad, clip, edgeMode,
                    [key](std::uint32_t* d, std::uint32_t texel) {
                        if (texel != key) *d = texel;
                    });
}

void KernelQuadMapBlend(const QuadTarget& dst, const QuadSource& src, const POINT* dstQuad,
                        const POINT* srcQuad, const RECT& clip, std::uint8_t edgeMode,
                        const std::uint8_t* row) {
    quad_scan::Scan(dst, src, dstQuad, srcQuad, clip, edgeMode,
                    [row](std::uint32_t* d, std::uint32_t texel) {
                        const std::int32_t m = row[texel >> 24];
                        *d = pixel_math::BlendColour(*d, texel, m ? m + 1 : 0);
                    });
}
