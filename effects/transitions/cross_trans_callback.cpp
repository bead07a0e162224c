#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/transition_draw.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

std::int32_t XM_METHOD CrossTransCallback::Setup(ScreenBuffer* target,
                                                 const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    if (!PixelLibraryLoaded()) return kTransSetupNoTable;
    Armed();
    return 0;
}

std::int32_t XM_METHOD CrossTransCallback::Update(std::uint32_t now) {
    m_progress = static_cast<std::uint8_t>(Advance(now, 255));
    return 0;
}

std::int32_t XM_METHOD CrossTransCallback::Draw(const TransitionBlit* b) {
    auto crossfade =
        BoundLibraryOp<pixelops::CrossfadeRectOp>(pixelops::kWordCrossfadeRect);
    if (!crossfade) return 5;
    return crossfade(b->target, b->from, b->to, m_progress, 0, b->targetX, b->targetY, b->width,
                     b->height, b->fromX, b->fromY, b->toX, b->toY) == 0
               ? 0
               : 5;
}
