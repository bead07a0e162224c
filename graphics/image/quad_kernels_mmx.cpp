// The MMX form of the quadrilateral blend: the colour lanes blended by the texel's weight.
#include "graphics/image/mmx_helpers.h"
#include "graphics/image/quad_kernels.h"
#include "graphics/image/quad_scan.h"

void KernelQuadMapBlendMmx(const QuadTarget& dst, const QuadSource& src, const POINT* dstQuad,
                           const POINT* srcQuad, const RECT& clip, std::uint8_t edgeMode,
                           const std::uint8_t* row) {
    quad_scan::Scan(dst, src, dstQuad, srcQuad, clip, edgeMode,
                    [row](std::uint32_t* d, std::uint32_t texel) {
                        const int m = row[texel >> 24];
                        const __m64 w = mmx::ColourWeight(m ? m + 1 : 0);
                        *d = mmx::Pack(mmx::Lerp(mmx::Unpack(*d), mmx::Unpack(texel), w));
                    });
    _mm_empty();
}
