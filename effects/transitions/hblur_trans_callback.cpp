#include "effects/transitions/copy_rect.h"
#include "effects/transitions/screen_filters.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/image/effect_kernels.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

std::int32_t XM_METHOD HBlurTransCallback::Setup(ScreenBuffer* target,
                                                 const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    const std::uint8_t mode = static_cast<std::uint8_t>(params[1]);
    // The crossfade form's level-0 frames crossfade through the library.
    if (mode != 0 && !PixelLibraryLoaded()) return kTransSetupNoTable;
    std::uint8_t radius = static_cast<std::uint8_t>(params[2]);
    if (radius == 0) radius = 1;
    if (radius > 127) radius = 127;
    m_mode = mode;
    m_radius = radius;
    m_range = mode == 0 ? 2 * radius + 1 : 255;
    m_progress = 0;
    Armed();
    return 0;
}

std::int32_t XM_METHOD HBlurTransCallback::Update(std::uint32_t now) {
    m_progress = static_cast<std::int32_t>(Advance(now, static_cast<std::uint32_t>(m_range)));
    return 0;
}

std::int32_t XM_METHOD HBlurTransCallback::Draw(const TransitionBlit* b) {
    if (b->width <= 0 || b->height <= 0) return 0;
    const std::int32_t p = m_progress;
    auto* dst = reinterpret_cast<std::uint32_t*>(b->target->Row(b->targetY)) + b->targetX;
    const std::int32_t dstSkip = b->target->Pitch() - b->width * 4;
    // The source pixels that exist left and right of the area's rows, for the box's edges.
    auto rows = [&](Image* picture, std::int32_t px, std::int32_t py) {
        return reinterpret_cast<const std::uint32_t*>(picture->Row(py)) + px;
    };
    if (m_mode == 0) {
        const bool first = p <= m_radius;
        const std::int32_t level = first ? p : m_range - p;
        Image* picture = first ? b->from : b->to;
        const std::int32_t px = first ? b->fromX : b->toX, py = first ? b->fromY : b->toY;
        if (level == 0) {
            CopyRect(b->target, b->targetX, b->targetY, picture,
                     RECT{px, py, px + b->width, py + b->height});
            return 0;
        }
        KernelBoxAverageRows(dst, rows(picture, px, py), dstSkip,
                             picture->Pitch() - b->width * 4, b->width, b->height, px,
                             picture->Width() - px - b->width, level);
        return 0;
    }
    auto crossfade = BoundLibraryOp<pixelops::CrossfadeRectOp>(pixelops::kWordCrossfadeRect);
    if (!crossfade) return 5;
    const std::int32_t level = m_radius * (p < 128 ? p : 255 - p) / 127;
    if (level == 0) {
        return crossfade(b->target, b->from, b->to, static_cast<std::uint32_t>(p), 0, b->targetX,
                         b->targetY, b->width, b->height, b->fromX, b->fromY, b->toX,
                         b->toY) == 0
                   ? 0
                   : 5;
    }
    CopyRect(b->target, b->targetX, b->targetY, b->from, FromArea(*b));
    KernelBoxAverageRowsOpacity(dst, rows(b->to, b->toX, b->toY), dstSkip,
                                b->to->Pitch() - b->width * 4, b->width, b->height, b->toX,
                                b->to->Width() - b->toX - b->width, level,
                                static_cast<std::uint8_t>(p));
    return 0;
}
