// CellImage: a horizontal strip of equal-width cells (loaded from a file or borrowed), the place
// on a target image where one cell is shown, and the sprites to invalidate after a cell is
// drawn. The strip-animation and lip-sync tasks draw its cells; it only holds them.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "graphics/image/image.h"

class Sprite;

class CellImage {
public:
    CellImage() = default;
    ~CellImage() { Release(); }
    CellImage(const CellImage&) = delete;
    CellImage& operator=(const CellImage&) = delete;

    // 1 no path, frameTime 0, or a bad cellCount; 2 the strip cannot be loaded; else Setup's
    // result. colourKey 0x00RRGGBB, -1 none.
    std::int32_t Load(const char* path, std::int32_t cellCount, std::int32_t frameTime,
                      Sprite* sprite, Surface* targetImage, std::int32_t x, std::int32_t y,
                      std::uint8_t playMode, std::int32_t state, std::uint8_t flag, bool indexed,
                      std::int32_t colourKey);
    // Borrows strip. 1 no strip or frameTime 0; else Setup's result.
    std::int32_t Attach(Surface* strip, std::int32_t cellCount, std::int32_t frameTime,
                        Sprite* sprite, Surface* targetImage, std::int32_t x, std::int32_t y,
                        std::uint8_t playMode, std::int32_t state, std::uint8_t flag);
    // 0; 1 no target, or cellCount 0 or less or above the strip's width; 3 a sprite without
    // image; 4 the scratch image cannot be made. x 0xFFFF: the strip's own origin.
    std::int32_t Setup(std::int32_t cellCount, std::int32_t frameTime, Sprite* sprite,
                       Surface* targetImage, std::int32_t x, std::int32_t y,
                       std::uint8_t playMode, std::int32_t state, std::uint8_t flag);
    // Replaces the borrowed strip by one of the same size and depth. 0; 1 nothing borrowed or
    // strip null; 2 another size or depth (the old strip stays).
    std::int32_t SwapImage(Surface* strip);
    // Where the next cell is drawn on the target (the tasks move the strip; nothing is redrawn).
    void SetPosition(std::int32_t x, std::int32_t y) {
        m_x = x;
        m_y = y;
    }
    void AddTarget(Sprite* sprite);
    void RemoveTarget(Sprite* sprite);
    void Release();

    // The strip shown: the borrowed one when set.
    Surface* Strip();
    std::int32_t CellCount() const { return m_cellCount; }
    std::int32_t FrameTime() const { return m_frameTime; }
    std::uint8_t PlayMode() const { return m_playMode; }
    std::uint8_t DrawMode() const { return m_drawMode; }
    Surface* Target() const { return m_target; }
    std::int32_t X() const { return m_x; }
    std::int32_t Y() const { return m_y; }
    std::int32_t State() const { return m_state; }
    std::int32_t CellWidth() const { return m_cellWidth; }
    Image* Scratch() const { return m_scratch.get(); }
    const std::deque<Sprite*>& Targets() const { return m_targets; }

    // Raised by other holders (the tasks that draw the cells); the script's list lowers it
    // instead of deleting the object while it is above 0.
    std::int32_t refCount = 0;

private:
    Image m_image;
    Surface* m_borrowed = nullptr;
    std::int32_t m_cellCount = 0;
    std::int32_t m_frameTime = 0;
    std::uint8_t m_playMode = 0;
    std::uint8_t m_drawMode = 0;
    Surface* m_target = nullptr;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_state = 1;
    std::int32_t m_cellWidth = 0;
    std::unique_ptr<Image> m_scratch;
    std::deque<Sprite*> m_targets;
};
