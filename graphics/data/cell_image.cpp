#include "graphics/data/cell_image.h"

#include <algorithm>
#include <new>

#include "graphics/image/pixel_buffer.h"
#include "graphics/sprites/sprite.h"

namespace {

// Bits per pixel of a picture: the software ones know theirs, anything else counts as 32.
std::uint8_t DepthOf(Surface* surface) {
    const auto* buffer = dynamic_cast<const PixelBuffer*>(surface);
    return buffer ? buffer->Depth() : 32;
}

}  // namespace

Surface* CellImage::Strip() { return m_borrowed ? m_borrowed : &m_image; }

std::int32_t CellImage::Load(const char* path, std::int32_t cellCount, std::int32_t frameTime,
                             Sprite* sprite, Surface* targetImage, std::int32_t x,
                             std::int32_t y, std::uint8_t playMode, std::int32_t state,
                             std::uint8_t flag, bool indexed, std::int32_t colourKey) {
    if (!path || frameTime == 0) return 1;
    Release();
    const std::int32_t loaded = indexed ? m_image.LoadIndexed(path, nullptr, 0, 0)
                                        : m_image.Load(path, nullptr, 0, 0);
    if (loaded != 0 || !m_image.Bits()) {
        m_image.Free();
        return 2;
    }
    if (colourKey != -1)
        m_image.SetColourKeyRgb((colourKey >> 16) & 0xFF, (colourKey >> 8) & 0xFF,
                                colourKey & 0xFF);
    return Setup(cellCount, frameTime, sprite, targetImage, x, y, playMode, state, flag);
}

std::int32_t CellImage::Attach(Surface* strip, std::int32_t cellCount, std::int32_t frameTime,
                               Sprite* sprite, Surface* targetImage, std::int32_t x,
                               std::int32_t y, std::uint8_t playMode, std::int32_t state,
                               std::uint8_t flag) {
    if (!strip || frameTime == 0) return 1;
    m_borrowed = strip;
    return Setup(cellCount, frameTime, sprite, targetImage, x, y, playMode, state, flag);
}

std::int32_t CellImage::Setup(std::int32_t cellCount, std::int32_t frameTime, Sprite* sprite,
                              Surface* targetImage, std::int32_t x, std::int32_t y,
                              std::uint8_t playMode, std::int32_t state, std::uint8_t flag) {
    Surface* strip = Strip();
    // A cell must be at least one pixel wide: no division by zero, no empty cells.
    if (cellCount <= 0 || cellCount > strip->Width()) return 1;
    if (sprite) {
        if (!sprite->GetImage()) return 3;
        m_target = sprite->GetImage();
        AddTarget(sprite);
    } else {
        if (!targetImage) return 1;
        m_target = targetImage;
    }
    m_drawMode = strip->ColourKey() != -1 ? 2 : flag;
    m_cellCount = cellCount;
    m_frameTime = frameTime;
    m_playMode = playMode;
    m_state = state;
    m_cellWidth = strip->Width() / cellCount;
    if (x == 0xFFFF) {
        m_x = strip->OriginX();
        m_y = strip->OriginY();
    } else {
        m_x = x;
        m_y = y;
    }
    m_scratch.reset();
    if (state == 2 || flag) {
        std::unique_ptr<Image> scratch(new (std::nothrow) Image());
        if (!scratch || scratch->Create(m_cellWidth, strip->Height(), DepthOf(m_target), 0) != 0)
            return 4;
        m_scratch = std::move(scratch);
    }
    return 0;
}

std::int32_t CellImage::SwapImage(Surface* strip) {
    if (!m_borrowed || !strip) return 1;
    if (strip->Width() != m_borrowed->Width() || strip->Height() != m_borrowed->Height() ||
        DepthOf(strip) != DepthOf(m_borrowed))
        return 2;
    m_borrowed = strip;
    return 0;
}

void CellImage::AddTarget(Sprite* sprite) {
    if (!sprite || std::find(m_targets.begin(), m_targets.end(), sprite) != m_targets.end())
        return;
    m_targets.push_back(sprite);
}

void CellImage::RemoveTarget(Sprite* sprite) {
    const auto at = std::find(m_targets.begin(), m_targets.end(), sprite);
    if (at != m_targets.end()) m_targets.erase(at);
}

void CellImage::Release() {
    m_image.Free();
    m_borrowed = nullptr;
    m_target = nullptr;
    m_scratch.reset();
    m_targets.clear();
}
