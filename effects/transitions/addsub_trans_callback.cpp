#include "effects/transitions/copy_rect.h"
#include "effects/transitions/screen_filters.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/kernel_form.h"

std::int32_t XM_METHOD AddSubTransCallback::Setup(ScreenBuffer* target,
                                                  const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    m_mode = static_cast<std::uint8_t>(params[1]);
    m_progress = 0;
    Armed();
    return 0;
}

std::int32_t XM_METHOD AddSubTransCallback::Update(std::uint32_t now) {
    m_progress = static_cast<std::uint8_t>(Advance(now, 255));
    return 0;
}

std::int32_t XM_METHOD AddSubTransCallback::Draw(const TransitionBlit* b) {
    if (m_progress == 255) {
        CopyRect(b->target, b->targetX, b->targetY, b->to, ToArea(*b));
        return 0;
    }
    const bool incoming = (m_mode & 1) != 0;
    const std::uint32_t level = incoming ? 255u - m_progress : m_progress;
    CopyRect(b->target, b->targetX, b->targetY, incoming ? b->to : b->from,
             incoming ? ToArea(*b) : FromArea(*b));
    if (level == 0 || b->width <= 0 || b->height <= 0) return 0;
    const std::uint32_t grey = level * 0x010101u;
    auto* first = reinterpret_cast<std::uint32_t*>(b->target->Row(b->targetY)) + b->targetX;
    const std::int32_t skip = b->target->Pitch() - b->width * 4;
    const bool mmx = UseMmxKernels();
    if (m_mode >= 2)
        (mmx ? KernelSubColourMmx : KernelSubColour)(first, skip, b->width, b->height, grey);
    else
        (mmx ? KernelAddColourMmx : KernelAddColour)(first, skip, b->width, b->height, grey);
    return 0;
}
