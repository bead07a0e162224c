#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/copy_rect.h"
#include "effects/transitions/transition_draw.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

std::int32_t XM_METHOD ToneTransCallback::Setup(ScreenBuffer* target,
                                                const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    if (!PixelLibraryLoaded()) return kTransSetupNoTable;
    m_colour = static_cast<std::uint32_t>(params[1]);
    m_reverse = params[2] != 0;
    Armed();
    return 0;
}

std::int32_t XM_METHOD ToneTransCallback::Update(std::uint32_t now) {
    const std::uint32_t p = Advance(now, 255);
    m_progress = static_cast<std::uint8_t>(m_reverse ? 255 - p : p);
    return 0;
}

std::int32_t XM_METHOD ToneTransCallback::Draw(const TransitionBlit* b) {
    auto fillArgb = BoundLibraryOp<pixelops::FillRectArgbOp>(pixelops::kWordFillRectArgb);
    auto fillColour = BoundLibraryOp<pixelops::FillRectColorOp>(pixelops::kWordFillRectColor);
    if (!fillArgb || !fillColour) return 5;
    const RECT area = TargetArea(*b);
    if (m_progress == 255) return fillArgb(b->target, m_colour, &area) ? 0 : 5;
    CopyRect(b->target, b->targetX, b->targetY, b->from, FromArea(*b));
    if (m_progress == 0) return 0;
    return fillColour(b->target, m_colour, m_progress, &area) ? 0 : 5;
}
