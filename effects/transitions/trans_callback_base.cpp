#include "effects/transitions/trans_callback_base.h"

#include <cstdarg>

#include "effects/objects/effect_base.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/interfaces/screen_buffer.h"

std::uint32_t ClockProgress(std::uint32_t elapsed, std::uint32_t range, std::uint32_t duration) {
    if (duration == 0) return range;
    const std::uint64_t progress = static_cast<std::uint64_t>(elapsed) * range / duration;
    return progress > range ? range : static_cast<std::uint32_t>(progress);
}

std::int32_t XM_CDECL TransCallbackBase::SetupV(ScreenBuffer* target, ...) {
    va_list words;
    va_start(words, target);
    // The variable arguments are the parameter words, laid out as an array on the stack.
    const std::int32_t* params = reinterpret_cast<const std::int32_t*>(words);
    va_end(words);
    return Setup(target, params);
}

std::int32_t TransCallbackBase::CheckCommon(ScreenBuffer* target, const std::int32_t* params,
                                            bool durationNeeded) {
    if (!params || !target) return kTransSetupBadParameters;
    if (durationNeeded && params[0] == 0) return kTransSetupBadParameters;
    if (target->Depth() != 32) return kTransSetupBadTarget;
    m_duration = static_cast<std::uint32_t>(params[0]);
    return kTransSetupOk;
}

bool TransCallbackBase::StartIfFirst(std::uint32_t now) {
    if (!m_firstFrame) return false;
    m_firstFrame = false;
    m_startTime = now;
    return true;
}

std::uint32_t TransCallbackBase::Advance(std::uint32_t now, std::uint32_t range) {
    if (StartIfFirst(now)) return 0;
    return ClockProgress(Elapsed(now), range, m_duration);
}

double ReadParameterReal(std::int32_t word, double absent) {
    const char* text =
        reinterpret_cast<const char*>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(word)));
    if (!text) return absent;
    while (*text == ' ' || *text == '\t') ++text;
    return ReadEffectReal(static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(text)), absent);
}
