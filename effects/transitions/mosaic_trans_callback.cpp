#include <algorithm>

#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/copy_rect.h"
#include "effects/transitions/transition_draw.h"
#include "graphics/image/copy_kernels.h"
#include "graphics/image/image.h"

std::int32_t XM_METHOD MosaicTransCallback::Setup(ScreenBuffer* target,
                                                  const std::int32_t* params) {
    const std::int32_t code = CheckCommon(target, params, true);
    if (code != 0) return code;
    m_alignment = static_cast<std::uint8_t>(params[1]);
    if (m_alignment > 4) m_alignment = 0;
    const std::int32_t largest = std::clamp(params[2], 1, kLargestBlock);
    m_range = 2 * largest;
    m_keepAspect = params[3] != 0;
    Armed();
    return 0;
}

std::int32_t XM_METHOD MosaicTransCallback::Update(std::uint32_t now) {
    m_progress = static_cast<std::int32_t>(Advance(now, static_cast<std::uint32_t>(m_range)));
    return 0;
}

std::int32_t XM_METHOD MosaicTransCallback::Draw(const TransitionBlit* b) {
    const std::int32_t m = m_range / 2;
    const bool first = m_progress < m;
    const std::int32_t size = first ? m_progress : m_range - m_progress;
    Image* picture = first ? b->from : b->to;
    const std::int32_t px = first ? b->fromX : b->toX;
    const std::int32_t py = first ? b->fromY : b->toY;
    if (size < 2) {
        CopyRect(b->target, b->targetX, b->targetY, picture, RECT{px, py, px + b->width,
                                                                  py + b->height});
        return 0;
    }
    const std::int32_t w = b->width, h = b->height;
    std::int32_t bw = size, bh = size;
    if (m_keepAspect && w > 0 && h > 0) {
        if (w < h)
            bw = static_cast<std::int32_t>(std::max<std::int64_t>(2, std::int64_t{size} * w / h));
        else
            bh = static_cast<std::int32_t>(std::max<std::int64_t>(2, std::int64_t{size} * h / w));
    }
    std::int32_t firstW = 0, firstH = 0;
    switch (m_alignment) {
        case 0:
            firstW = bw < w ? ((w - bw) / 2) % bw : 0;
            firstH = bh < h ? ((h - bh) / 2) % bh : 0;
            break;
        case 2: firstW = w % bw; break;
        case 3: firstH = h % bh; break;
        case 4:
            firstW = w % bw;
            firstH = h % bh;
            break;
        default: break;
    }
    if (firstW == 0) firstW = bw;
    if (firstH == 0) firstH = bh;
    for (std::int32_t y = 0; y < h;) {
        const std::int32_t rows = std::min(y == 0 ? firstH : bh, h - y);
        for (std::int32_t x = 0; x < w;) {
            const std::int32_t columns = std::min(x == 0 ? firstW : bw, w - x);
            const std::uint32_t value =
                reinterpret_cast<const std::uint32_t*>(picture->Row(py + y))[px + x];
            auto* dst = reinterpret_cast<std::uint32_t*>(b->target->Row(b->targetY + y)) +
                        b->targetX + x;
            KernelFill32(dst, b->target->Pitch() - columns * 4, columns, rows, value);
            x += columns;
        }
        y += rows;
    }
    return 0;
}
