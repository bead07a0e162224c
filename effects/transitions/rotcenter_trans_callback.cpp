#include "effects/transitions/copy_rect.h"
#include "effects/transitions/screen_filters.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/compose/math_tables.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

std::int32_t XM_METHOD RotCenterTransCallback::Setup(ScreenBuffer* target,
                                                     const std::int32_t* params) {
    if (!g_mathTables || !g_mathTables->BuildFloatCosTable()) return kTransSetupNoTable;
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    if (!PixelLibraryLoaded()) return kTransSetupNoTable;
    m_mode = static_cast<std::uint8_t>(params[1]);
    m_filter = static_cast<std::uint8_t>(params[2]);
    m_progress = 0;
    m_previous = -1;
    Armed();
    return 0;
}

std::int32_t XM_METHOD RotCenterTransCallback::Update(std::uint32_t now) {
    m_progress = static_cast<std::int32_t>(Advance(now, 512));
    return 0;
}

void RotCenterTransCallback::TurnedCorners(std::int32_t a, std::int32_t x, std::int32_t y,
                                           std::int32_t width, std::int32_t height,
                                           double corners[6]) {
    const double* table = g_mathTables->CosFloat();
    const double c = table[a & 511], s = table[(a - 128) & 511];
    const std::int32_t f = width * a >> 9, l = height * a >> 9;
    const std::int32_t left = x + (width - f) / 2, top = y + (height - l) / 2;
    const double cx = x + (width - f) / 2 + f / 2, cy = y + (height - l) / 2 + l / 2;
    // The rectangle is given by its pixel edges; the library places the source's outer corners
    // by pixel centres, half a pixel further in. So full size at angle 0 is the identity.
    const double edges[3][2] = {{double(left), double(top)},
                                {double(left + f), double(top)},
                                {double(left), double(top + l)}};
    for (int i = 0; i < 3; ++i) {
        const double dx = edges[i][0] - cx, dy = edges[i][1] - cy;
        corners[2 * i] = dx * c - dy * s + cx - 0.5;
        corners[2 * i + 1] = dx * s + dy * c + cy - 0.5;
    }
}

std::int32_t XM_METHOD RotCenterTransCallback::Draw(const TransitionBlit* b) {
    auto affine = BoundLibraryOp<pixelops::AffineBlendRectOp>(pixelops::kWordAffineBlendRect);
    if (!affine) return 5;
    const bool out = m_mode == 1;
    Image* spinning = out ? b->from : b->to;
    Image* background = out ? b->to : b->from;
    const RECT spinningArea = out ? FromArea(*b) : ToArea(*b);
    const std::int32_t a = out ? 512 - m_progress : m_progress;
    bool trails = false;
    if (m_mode == 2) {
        if (m_progress == m_previous) return 0;
        trails = m_previous != -1 && m_progress != 512;
        m_previous = m_progress;
    }
    // A whole turn at full size is the picture itself.
    if (a == 512) {
        CopyRect(b->target, b->targetX, b->targetY, spinning, spinningArea);
        return 0;
    }
    if (!trails) CopyRect(b->target, b->targetX, b->targetY, background,
                          out ? ToArea(*b) : FromArea(*b));
    const std::int32_t f = b->width * a >> 9, l = b->height * a >> 9;
    if (f <= 1 || l <= 1) return 0;
    double c[6];
    TurnedCorners(a, b->targetX, b->targetY, b->width, b->height, c);
    const pixelops::AffineBlendPoints points{c[0], c[1], c[2], c[3], c[4], c[5]};
    const RECT clip = TargetArea(*b);
    const std::int32_t result = affine(b->target, spinning, &points, &spinningArea, 0, m_filter,
                                       trails ? 16 : 255, 0, 0, 0, &clip);
    return result == pixelops::kRectDone || result == pixelops::kRectNothingVisible ||
                   result == pixelops::kRectCopyNothingVisible ||
                   result == pixelops::kAffineOutsideClip
               ? 0
               : 5;
}
