#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/copy_rect.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

namespace {

// A decimal text read as a real number; null or no number: 0.
double ReadReal(const char* text) { return text ? std::strtod(text, nullptr) : 0.0; }

// Where the picture lies, and the part of the area it covers in screen coordinates.
bool Placed(std::int32_t ox, std::int32_t oy, std::int32_t w, std::int32_t h,
            const TransitionBlit& b, RECT* out) {
    out->left = std::max(ox, b.areaX);
    out->top = std::max(oy, b.areaY);
    out->right = std::min(ox + w, b.areaX + b.width);
    out->bottom = std::min(oy + h, b.areaY + b.height);
    return out->left < out->right && out->top < out->bottom;
}

}  // namespace

std::int32_t XM_METHOD ScrollTransCallback::Setup(ScreenBuffer* target,
                                                  const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    Image* back = target->GetImage();
    if (!back) return kTransSetupBadTarget;
    const std::uint8_t direction = static_cast<std::uint8_t>(params[1]);
    const std::uint32_t style = static_cast<std::uint32_t>(params[2]);
    bool fade = true;
    std::uint8_t slide = 0;
    if (style <= 2) {
        slide = static_cast<std::uint8_t>(style);
        fade = false;
    } else if (style == 4) {
        slide = 1;
    }
    if (fade && !PixelLibraryLoaded()) return kTransSetupNoTable;
    m_direction = direction;
    m_slideStyle = slide;
    m_fade = fade;
    m_range = (direction == 0 || direction == 2) ? back->Width() : back->Height();
    m_exponent = ReadReal(reinterpret_cast<const char*>(static_cast<std::intptr_t>(params[3])));
    Armed();
    return 0;
}

std::int32_t XM_METHOD ScrollTransCallback::Update(std::uint32_t now) {
    if (StartIfFirst(now)) {
        m_progress = 0;
        m_fadeOpacity = m_slideStyle == 1 ? 255 : 0;
        return 0;
    }
    std::uint32_t t = Elapsed(now);
    if (t >= m_duration) {
        t = m_duration;
    } else if (m_exponent != 0) {
        const double d = m_duration, x = t / d;
        const double eased = m_exponent < 0 ? d * (1 - std::pow(1 - x, -m_exponent))
                                            : d * std::pow(x, m_exponent);
        t = static_cast<std::uint32_t>(std::clamp(eased, 0.0, d));
    }
    m_progress = static_cast<std::int32_t>(
        ClockProgress(t, static_cast<std::uint32_t>(m_range), m_duration));
    if (m_fade) {
        const std::uint8_t opacity = static_cast<std::uint8_t>(ClockProgress(t, 255, m_duration));
        m_fadeOpacity = m_slideStyle == 1 ? 255 - opacity : opacity;
    }
    return 0;
}

std::int32_t XM_METHOD ScrollTransCallback::Draw(const TransitionBlit* b) {
    const std::int32_t w = b->from->Width(), h = b->from->Height(), p = m_progress;
    POINT from = {0, 0}, to = {0, 0};
    // Where each picture lies: the to picture slides in, the from picture slides out, or both.
    POINT in, out;
    switch (m_direction) {
        case 0: in = {p - w, 0}; out = {p, 0}; break;
        case 1: in = {0, p - h}; out = {0, p}; break;
        case 2: in = {w - p, 0}; out = {-p, 0}; break;
        default: in = {0, h - p}; out = {0, -p}; break;
    }
    if (m_slideStyle != 1) to = in;
    if (m_slideStyle != 0) from = out;
    Image* lower = m_slideStyle == 1 ? b->to : b->from;
    Image* upper = m_slideStyle == 1 ? b->from : b->to;
    const POINT lowerAt = m_slideStyle == 1 ? to : from;
    const POINT upperAt = m_slideStyle == 1 ? from : to;
    auto copy = [&](Image* picture, POINT at) {
        RECT r;
        if (!Placed(at.x, at.y, w, h, *b, &r)) return;
        CopyRect(b->target, b->targetX + r.left - b->areaX, b->targetY + r.top - b->areaY,
                 picture, RECT{r.left - at.x, r.top - at.y, r.right - at.x, r.bottom - at.y});
    };
    if (!m_fade) {
        copy(lower, lowerAt);
        copy(upper, upperAt);
        return 0;
    }
    auto blend = BoundLibraryOp<pixelops::BlendRectOp>(pixelops::kWordBlendRect);
    if (!blend) return 5;
    copy(lower, lowerAt);
    RECT r;
    if (Placed(upperAt.x, upperAt.y, w, h, *b, &r)) {
        RECT source = {r.left - upperAt.x, r.top - upperAt.y, r.right - upperAt.x,
                       r.bottom - upperAt.y};
        blend(b->target, upper, b->targetX + r.left - b->areaX, b->targetY + r.top - b->areaY,
              &source, 0, m_fadeOpacity, 0);
    }
    return 0;
}
