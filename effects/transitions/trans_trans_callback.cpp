#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/copy_rect.h"
#include "effects/transitions/transition_draw.h"
#include "effects/transitions/transition_routines.h"
#include "graphics/image/image.h"

std::int32_t XM_METHOD TransTransCallback::Setup(ScreenBuffer* target,
                                                 const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    // The whole word: a byte would turn 300 into routine 44.
    m_routine = params[1];
    m_reverse = params[2] != 0;
    Armed();
    return 0;
}

std::int32_t XM_METHOD TransTransCallback::Update(std::uint32_t now) {
    const std::int32_t p = static_cast<std::int32_t>(Advance(now, 256));
    m_progress = m_reverse ? 256 - p : p;
    return 0;
}

std::int32_t XM_METHOD TransTransCallback::Draw(const TransitionBlit* b) {
    CopyRect(b->target, b->targetX, b->targetY, b->from, FromArea(*b));
    if (static_cast<std::uint32_t>(m_routine) >= kTransitionRoutineCount) return 5;
    return RunTransitionEffect(m_routine, b->target, b->to, m_progress, b->areaX, b->areaY,
                               kDrawCopy, nullptr) == 0
               ? 0
               : 5;
}
