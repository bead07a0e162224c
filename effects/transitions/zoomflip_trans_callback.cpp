#include <algorithm>

#include "effects/transitions/copy_rect.h"
#include "effects/transitions/screen_filters.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/interfaces/screen_buffer.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

namespace {

// Stretches a rectangle of a picture to (width, height) at (x, y) of the target; a size of 0
// draws nothing. False when the library refused the call.
bool Stretch(pixelops::StretchBlendRectOp stretch, Image* target, Image* picture,
             const RECT& source, std::int32_t x, std::int32_t y, std::int32_t width,
             std::int32_t height, std::uint8_t filter, std::int32_t opacity) {
    if (width <= 0 || height <= 0) return true;
    const std::int32_t size[2] = {width, height};
    const std::int32_t result = stretch(pixelops::StretchBlendParams{
        target, picture, size, x, y, &source, 0, filter, opacity, 0});
    return result == pixelops::kRectDone || result == pixelops::kRectNothingVisible;
}

// The centred part of relative size z / 256 of a width x height area at (x, y); at least one
// pixel either way, so that the smallest zoom still draws.
RECT Centred(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
             std::int32_t z) {
    const std::int32_t w = std::max(1, static_cast<std::int32_t>(std::int64_t{width} * z >> 8));
    const std::int32_t h = std::max(1, static_cast<std::int32_t>(std::int64_t{height} * z >> 8));
    const std::int32_t left = x + ((width - w) >> 1), top = y + ((height - h) >> 1);
    return RECT{left, top, left + w, top + h};
}

}  // namespace

std::int32_t XM_METHOD ZoomFlipTransCallback::Setup(ScreenBuffer* target,
                                                    const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    const std::uint8_t mode = static_cast<std::uint8_t>(params[1]);
    // No drawing is defined above 6: the frames would show whatever the target held.
    if (mode > 6) return kTransSetupBadParameters;
    Image* back = target->GetImage();
    if (!back) return kTransSetupBadTarget;
    if (!PixelLibraryLoaded()) return kTransSetupNoTable;
    m_mode = mode;
    m_filter = static_cast<std::uint8_t>(params[2]);
    switch (mode) {
        case 0: case 2: m_range = back->Width(); break;
        case 1: case 3: m_range = back->Height(); break;
        case 6: m_range = 256; break;
        default: m_range = 512; break;
    }
    m_progress = 0;
    m_previous = -1;
    Armed();
    return 0;
}

std::int32_t XM_METHOD ZoomFlipTransCallback::Update(std::uint32_t now) {
    m_progress = static_cast<std::int32_t>(Advance(now, static_cast<std::uint32_t>(m_range)));
    return 0;
}

std::int32_t XM_METHOD ZoomFlipTransCallback::Draw(const TransitionBlit* b) {
    auto stretch =
        BoundLibraryOp<pixelops::StretchBlendRectOp>(pixelops::kWordStretchBlendRect);
    if (!stretch) return 5;
    const std::int32_t w = b->width, h = b->height, x = b->targetX, y = b->targetY;
    const std::int32_t p = m_progress;
    const RECT from = FromArea(*b), to = ToArea(*b);
    bool ok = true;
    auto draw = [&](Image* picture, const RECT& source, std::int32_t dx, std::int32_t dy,
                    std::int32_t dw, std::int32_t dh, std::int32_t opacity) {
        ok = Stretch(stretch, b->target, picture, source, x + dx, y + dy, dw, dh, m_filter,
                     opacity) && ok;
    };
    switch (m_mode) {
        case 0:
            draw(b->to, to, 0, 0, p, h, 255);
            draw(b->from, from, p, 0, w - p, h, 255);
            break;
        case 1:
            draw(b->to, to, 0, 0, w, p, 255);
            draw(b->from, from, 0, p, w, h - p, 255);
            break;
        case 2:
            draw(b->from, from, 0, 0, w - p, h, 255);
            draw(b->to, to, w - p, 0, p, h, 255);
            break;
        case 3:
            draw(b->from, from, 0, 0, w, h - p, 255);
            draw(b->to, to, 0, h - p, w, p, 255);
            break;
        case 6: {
            if (p < 255) CopyRect(b->target, x, y, b->from, from);
            // Nothing of the new picture yet at 0.
            if (p == 0) break;
            const RECT source = Centred(b->toX, b->toY, w, h, p);
            draw(b->to, source, 0, 0, w, h, p < 255 ? p : 255);
            break;
        }
        default: {
            if (m_mode == 5) {
                if (p == m_previous) return 0;
            }
            const bool first = p <= 256;
            const std::int32_t z = first ? (p == 256 ? 1 : 256 - p) : p - 256;
            const std::int32_t opacity = m_mode == 5 && m_previous != -1 && z != 256 ? 8 : 255;
            m_previous = p;
            const RECT source = first ? Centred(b->fromX, b->fromY, w, h, z)
                                      : Centred(b->toX, b->toY, w, h, z);
            draw(first ? b->from : b->to, source, 0, 0, w, h, opacity);
            break;
        }
    }
    return ok ? 0 : 5;
}
