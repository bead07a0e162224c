#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

std::int32_t XM_METHOD RuleTransCallback::Setup(ScreenBuffer* target,
                                                const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    Image* rule = reinterpret_cast<Image*>(static_cast<std::intptr_t>(params[1]));
    Image* back = target->GetImage();
    // The rule is read at the area's own position, so it must cover the whole back buffer.
    if (!rule || !rule->Bits() || rule->Depth() != 8 || !back || rule->Width() < back->Width() ||
        rule->Height() < back->Height())
        return kTransSetupBadTarget;
    if (!PixelLibraryLoaded()) return kTransSetupNoTable;
    m_rule = rule;
    m_vagueness = params[2];
    Armed();
    return 0;
}

std::int32_t XM_METHOD RuleTransCallback::Update(std::uint32_t now) {
    m_progress = static_cast<std::uint8_t>(Advance(now, 255));
    return 0;
}

std::int32_t XM_METHOD RuleTransCallback::Draw(const TransitionBlit* b) {
    auto wipe =
        BoundLibraryOp<pixelops::RuleTransitionRectOp>(pixelops::kWordRuleTransitionRect);
    if (!wipe) return 5;
    return wipe(b->target, b->from, b->to, m_rule, m_progress, m_vagueness, 0, b->targetX,
                b->targetY, b->width, b->height, b->fromX, b->fromY, b->toX, b->toY, b->areaX,
                b->areaY) == 0
               ? 0
               : 5;
}
