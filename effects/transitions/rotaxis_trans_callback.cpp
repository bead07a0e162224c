#include <algorithm>

#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/copy_rect.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

std::int32_t XM_METHOD RotAxisTransCallback::Setup(ScreenBuffer* target,
                                                   const std::int32_t* params) {
    if (!g_mathTables || !g_mathTables->BuildFloatCosTable()) return kTransSetupNoTable;
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    if (!PixelLibraryLoaded()) return kTransSetupNoTable;
    m_axis = std::min<std::uint8_t>(static_cast<std::uint8_t>(params[1]), 3);
    Armed();
    return 0;
}

std::int32_t XM_METHOD RotAxisTransCallback::Update(std::uint32_t now) {
    m_progress = static_cast<std::int32_t>(Advance(now, 256));
    return 0;
}

void RotAxisTransCallback::ProjectCorners(std::int32_t a, std::uint8_t axis, std::int32_t width,
                                          std::int32_t height, POINT* corners) {
    const double* table = g_mathTables->CosFloat();
    const double c = table[a & 511], s = table[(a - 128) & 511];
    const double unit[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
    for (int i = 0; i < 4; ++i) {
        double x = unit[i][0], y = unit[i][1], z = 0;
        switch (axis) {
            case 0: z = -x * s; x *= c; break;
            case 1: z = x * s; x *= c; break;
            case 2: z = y * s; y *= c; break;
            default: z = -y * s; y *= c; break;
        }
        corners[i].x = static_cast<LONG>((width >> 1) * (2 * x / (z + 2) + 1));
        corners[i].y = static_cast<LONG>((height >> 1) * (1 - 2 * y / (z + 2)));
    }
}

std::int32_t XM_METHOD RotAxisTransCallback::Draw(const TransitionBlit* b) {
    if (b->target->Kind() != kSurfacePixelBuffer) return 1;
    auto fill = BoundLibraryOp<pixelops::FillRectArgbOp>(pixelops::kWordFillRectArgb);
    if (!fill) return 5;
    // The unturned page is the area itself; the projection halves the size by a shift and
    // would leave odd sizes a pixel short.
    if (m_progress == 0 || m_progress == 256) {
        Image* picture = m_progress == 0 ? b->from : b->to;
        CopyRect(b->target, b->targetX, b->targetY, picture,
                 m_progress == 0 ? FromArea(*b) : ToArea(*b));
        return 0;
    }
    const std::int32_t a = m_progress > 128 ? m_progress + 256 : m_progress;
    POINT quad[4];
    ProjectCorners(a, m_axis, b->width, b->height, quad);
    for (POINT& corner : quad) {
        corner.x += b->targetX;
        corner.y += b->targetY;
    }
    const std::int32_t left = b->targetX, top = b->targetY;
    const std::int32_t right = left + b->width, bottom = top + b->height;
    const std::int32_t quadTop = std::max(quad[0].y, quad[1].y);
    const std::int32_t quadBottom = std::min(quad[2].y, quad[3].y);
    const RECT bands[4] = {{left, top, right, quadTop},
                           {left, quadBottom, right, bottom},
                           {left, quadTop, quad[0].x, quadBottom},
                           {quad[1].x, quadTop, right, quadBottom}};
    for (const RECT& band : bands)
        if (band.left < band.right && band.top < band.bottom) fill(b->target, 0, &band);
    Image* picture = m_progress <= 128 ? b->from : b->to;
    const RECT source = m_progress <= 128 ? FromArea(*b) : ToArea(*b);
    const RECT clip = TargetArea(*b);
    return b->target->BlitRectToQuad(picture, quad, &source, &clip) == 0 ? 0 : 5;
}
