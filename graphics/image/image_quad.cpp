// Quadrilateral mapping and the rotate-and-zoom blits built on it.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "graphics/compose/blend_tables.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/blend_draw.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/quad_kernels.h"

namespace {

// The rows the kernels read: the source's own, or those of a copy when an image maps onto
// itself, so that the result equals drawing from what was there before.
class QuadRows {
public:
    // False without memory.
    bool Build(const BlitSource& s, std::int32_t height, bool copy) {
        const std::uint8_t* bits = s.bits;
        const std::size_t bytes = static_cast<std::size_t>(s.pitch) * height;
        if (copy) {
            m_copy.reset(new (std::nothrow) std::uint8_t[bytes]);
            if (!m_copy) return false;
            std::memcpy(m_copy.get(), s.bits, bytes);
            bits = m_copy.get();
        }
        m_rows.reset(new (std::nothrow) const std::uint8_t*[height > 0 ? height : 1]);
        if (!m_rows) return false;
        for (std::int32_t y = 0; y < height; ++y)
            m_rows[y] = bits + static_cast<std::ptrdiff_t>(y) * s.pitch;
        return true;
    }
    const std::uint8_t* const* Rows() const { return m_rows.get(); }

private:
    std::unique_ptr<std::uint8_t[]> m_copy;
    std::unique_ptr<const std::uint8_t*[]> m_rows;
};

void RectQuad(const RECT& r, POINT* quad) {
    quad[0] = POINT{r.left, r.top};
    quad[1] = POINT{r.right - 1, r.top};
    quad[2] = POINT{r.left, r.bottom - 1};
    quad[3] = POINT{r.right - 1, r.bottom - 1};
}

bool FitsInt32(std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

}  // namespace

std::int32_t Image::DrawQuad(Surface* source, const POINT* dstQuad, const POINT* srcQuad,
                             const RECT* clip, std::uint8_t edgeMode, bool blend,
                             std::uint8_t opacity) {
    BlitSource s;
    if (!m_bits || !DescribeSource(source, false, s) || !dstQuad || !srcQuad) return 1;
    if (m_depth != 32 || s.depth != 32) return 2;
    // A given clip rectangle is kept within this image's.
    RECT area = *ClipRectPtr();
    if (clip && !ClipToClipRect(&(area = *clip))) return 0;
    QuadRows rows;
    if (!rows.Build(s, source->Height(), s.bits == m_bits)) return 2;
    const QuadTarget target = {m_bits, m_pitch};
    QuadSource from = {rows.Rows(), {}};
    source->GetClipRect(&from.clip);
    if (blend) {
        (UseMmxKernels() ? KernelQuadMapBlendMmx : KernelQuadMapBlend)(
            target, from, dstQuad, srcQuad, area, edgeMode, g_blendTables.multiply[opacity]);
    } else if (s.key != -1) {
        KernelQuadMapKeyed(target, from, dstQuad, srcQuad, area, edgeMode,
                           static_cast<std::uint32_t>(s.key));
    } else {
        KernelQuadMap(target, from, dstQuad, srcQuad, area, edgeMode);
    }
    RECT box = {dstQuad[0].x, dstQuad[0].y, dstQuad[0].x, dstQuad[0].y};
    for (int i = 1; i < 4; ++i) {
        box.left = std::min(box.left, dstQuad[i].x);
        box.top = std::min(box.top, dstQuad[i].y);
        box.right = std::max(box.right, dstQuad[i].x);
        box.bottom = std::max(box.bottom, dstQuad[i].y);
    }
    if (!IntersectRect(&box, &box, &area)) return 0;
    MarkChanged(box);
    return 0;
}

std::int32_t Image::QuadMap(Surface* source, const POINT* dstQuad, const POINT* srcQuad,
                            const RECT* clip, std::uint8_t edgeMode) {
    return DrawQuad(source, dstQuad, srcQuad, clip, edgeMode, false, 0);
}

std::int32_t Image::QuadMapBlend(Surface* source, const POINT* dstQuad, const POINT* srcQuad,
                                 std::uint8_t opacity, const RECT* clip, std::uint8_t edgeMode) {
    return DrawQuad(source, dstQuad, srcQuad, clip, edgeMode, true, opacity);
}

std::int32_t Image::BlitRectToQuad(Surface* source, const POINT* dstQuad, const RECT* sourceRect,
                                   const RECT* clip) {
    if (!source) return 1;
    POINT srcQuad[4];
    RectQuad(WantedSourceRect(source, sourceRect), srcQuad);
    return QuadMap(source, dstQuad, srcQuad, clip, 0);
}

std::int32_t Image::BlitQuadToRect(Surface* source, const POINT* srcQuad, const RECT* destRect,
                                   const RECT* clip) {
    if (!source) return 1;
    const RECT r = destRect ? *destRect : *ClipRectPtr();
    POINT dstQuad[4];
    RectQuad(r, dstQuad);
    return QuadMap(source, dstQuad, srcQuad, clip, 1);
}

std::int32_t Image::RotateZoom(Surface* source, std::uint8_t anchor, std::int32_t x,
                               std::int32_t y, std::int32_t angle, std::int32_t zoom,
                               const RECT* sourceRect, const RECT* clip, bool blend,
                               std::uint8_t opacity) {
    BlitSource s;
    if (!g_mathTables || !m_bits || !DescribeSource(source, false, s)) return 1;
    // Anchors beyond the centre have no offset to take.
    if (anchor > 4) return 1;
    // Checked for both: the library would read an 8-bit picture as 32-bit pixels.
    if (m_depth != 32 || s.depth != 32) return 2;
    const std::int64_t width =
        sourceRect ? std::int64_t{sourceRect->right} - sourceRect->left : source->Width();
    const std::int64_t height =
        sourceRect ? std::int64_t{sourceRect->bottom} - sourceRect->top : source->Height();
    const std::int64_t w = (width * zoom) >> 16;
    const std::int64_t h = (height * zoom) >> 16;
    if (!FitsInt32(w) || !FitsInt32(h) || !FitsInt32(x + w) || !FitsInt32(y + h)) return 1;
    const std::int64_t ox[5] = {0, w, 0, w, w >> 1};
    const std::int64_t oy[5] = {0, 0, h, h, h >> 1};
    const std::int64_t px = x + ox[anchor];
    const std::int64_t py = y + oy[anchor];
    const std::int64_t cornerX[4] = {x, x + w, x, x + w};
    const std::int64_t cornerY[4] = {y, y, y + h, y + h};
    const std::int32_t turn = (-angle) & 511;
    const std::int32_t quarter = (-angle - 128) & 511;

    const bool integerPath =
        !CurrentPixelOpLibrary() || (!blend && s.key != -1);
    if (integerPath) {
        const std::int32_t* cosFixed = g_mathTables->CosFixed();
        const std::int64_t cA = cosFixed[turn];
        const std::int64_t sA = cosFixed[quarter];
        POINT quad[4];
        for (int i = 0; i < 4; ++i) {
            const std::int64_t dx = cornerX[i] - px;
            const std::int64_t dy = cornerY[i] - py;
            const std::int64_t qx = px + ((dx * cA - dy * sA) >> 16);
            const std::int64_t qy = py + ((dy * cA + dx * sA) >> 16);
            if (!FitsInt32(qx) || !FitsInt32(qy)) return 1;
            quad[i] = POINT{static_cast<LONG>(qx), static_cast<LONG>(qy)};
        }
        if (!blend) return BlitRectToQuad(source, quad, sourceRect, clip);
        POINT srcQuad[4];
        RectQuad(WantedSourceRect(source, sourceRect), srcQuad);
        return QuadMapBlend(source, quad, srcQuad, opacity, clip, 0);
    }

    if (!g_mathTables->BuildFloatCosTable()) return 2;
    auto affine = BoundLibraryOp<pixelops::AffineBlendRectOp>(pixelops::kWordAffineBlendRect);
    if (!affine) return 2;
    const double cA = g_mathTables->CosFloat()[turn];
    const double sA = g_mathTables->CosFloat()[quarter];
    double points[6];
    for (int i = 0; i < 3; ++i) {
        const double dx = static_cast<double>(cornerX[i] - px);
        const double dy = static_cast<double>(cornerY[i] - py);
        points[2 * i] = static_cast<double>(px) + (dx * cA - dy * sA);
        points[2 * i + 1] = static_cast<double>(py) + (dy * cA + dx * sA);
    }
    const pixelops::AffineBlendPoints corners = {points[0], points[1], points[2],
                                                 points[3], points[4], points[5]};
    // The library clips to the clip rectangle it is given, kept within this image's.
    RECT area = *ClipRectPtr();
    if (clip && !ClipToClipRect(&(area = *clip))) return 0;
    Image copy;
    Surface* from = LibrarySource(*this, source, copy);
    if (!from) return 2;
    ResetLastUpdated();
    const std::int32_t result =
        affine(this, from, &corners, sourceRect,
               blend ? pixelops::BlendAlpha : pixelops::BlendCopy, 0, blend ? opacity : 255, 0,
               0, 0, &area);
    if (result != 0 && result != pixelops::kAffineOutsideClip &&
        result != pixelops::kRectCopyNothingVisible) {
        return 2;
    }
    RECT drawn;
    if (LastUpdated(&drawn)) MarkChanged(drawn);
    return 0;
}

std::int32_t Image::BlitRotateZoom(Surface* source, std::uint8_t anchor, std::int32_t x,
                                   std::int32_t y, std::int32_t angle, std::int32_t zoom,
                                   const RECT* sourceRect, const RECT* clip) {
    return RotateZoom(source, anchor, x, y, angle, zoom, sourceRect, clip, false, 255);
}

std::int32_t Image::BlendRotateZoom(Surface* source, std::uint8_t anchor, std::int32_t x,
                                    std::int32_t y, std::int32_t angle, std::int32_t zoom,
                                    std::uint8_t opacity, const RECT* sourceRect,
                                    const RECT* clip) {
    return RotateZoom(source, anchor, x, y, angle, zoom, sourceRect, clip, true, opacity);
}
