// Image operations built from the copy blits: the depth-converting copy, the copy limited to the
// dirty rectangles, and the recolouring through a colour ramp.
#include <vector>

#include "framework/images/grey_level.h"
#include "graphics/compose/gradient_table.h"
#include "graphics/image/image.h"
#include "graphics/image/pixel_area.h"

std::int32_t Image::CopyConvertDepth(Image* source, std::uint32_t option, const SIZE* size,
                                     std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    if (!m_bits || !source || !source->Bits()) return 1;
    const bool flip = (option & 1) != 0;
    if (m_depth != 8 || source->Depth() != 32) {
        return StretchBlit(source, size, x, y, sourceRect, flip);
    }
    // 32 bits into 8: a grey copy of the source, drawn index for index.
    Image grey;
    if (grey.CopyFrom(source, 0) != 0 || grey.ConvertDepth(8) != 0) return 2;
    return StretchBlit(&grey, size, x, y, sourceRect, flip);
}

std::int32_t Image::DrawWithDirtyRects(Surface* source, const SIZE* size, std::int32_t x,
                                       std::int32_t y, const RECT* sourceRect) {
    if (!m_bits) return 1;
    if (!source || !source->Bits()) return 1;
    std::vector<RECT> rects;
    if (m_dirtyRegion && m_dirtyRegion->Count() > 0) {
        const RectNode* const head = m_dirtyRegion->Head();
        const RectNode* node = head;
        do {
            rects.push_back(RECT{node->left, node->top, node->right, node->bottom});
            node = node->next;
        } while (node && node != head);
    }
    RECT savedClip;
    GetClipRect(&savedClip);
    std::int32_t result = 0;
    for (const RECT& dirty : rects) {
        RECT part;
        if (!IntersectRects(&part, dirty, savedClip)) continue;
        if (!SetClipRect(&part)) continue;
        const std::int32_t drawn = StretchBlit(source, size, x, y, sourceRect, false);
        if (drawn != 0) {
            result = drawn;
            break;
        }
    }
    m_clipRect = savedClip;
    return result;
}

std::int32_t Image::TransformBlit(std::uint8_t mode, std::uint32_t colour1,
                                  std::uint32_t colour2, const RECT* rect) {
    if (!m_bits) return 1;
    if (m_depth != 32) return 2;
    if (mode > 1) return 3;
    RECT area;
    if (!ClipToOperation(rect, &area)) return 0;
    GradientTable ramp;
    if (ramp.Build(256, static_cast<std::int32_t>(colour1 & 0xFFFFFF),
                   static_cast<std::int32_t>(colour2 & 0xFFFFFF), 32) != 0) {
        return 2;
    }
    const auto* const entries = static_cast<const std::uint32_t*>(ramp.Entries());
    const PixelArea32 a(*this, area);
    const bool keyed = m_colourKey != -1;
    const std::uint32_t key = static_cast<std::uint32_t>(m_colourKey);
    std::uint32_t* row = a.first;
    for (std::int32_t j = 0; j < a.height; ++j) {
        for (std::int32_t i = 0; i < a.width; ++i) {
            const std::uint32_t p = row[i];
            if (keyed && p == key) continue;
            std::uint32_t level = pixel_math::Grey((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            if (mode == 1) level = 255 - level;
            row[i] = (p & 0xFF000000u) | (entries[level] & 0xFFFFFFu);
        }
        row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(row) + a.pitch);
    }
    MarkChanged(area);
    return 0;
}
