// FrameButtonPart: the frame button scripts lay over pictures or list rows (type 2), a coloured
// rectangle (usually translucent) whose colour follows the button state.
//
// The sprite list is borrowed: DropReferencesTo takes the rectangle out of a dying list, after
// which placement answers 1 until MoveToSpriteList.
#pragma once

#include <cstdint>

#include "graphics/sprites/fill_rect_sprite.h"
#include "scenario/ui/frame_button_part_base.h"

class SpriteList;

class FrameButtonPart : public FrameButtonPartBase {
public:
    FrameButtonPart();
    ~FrameButtonPart() override;

    std::int32_t GetX() override { return m_rect.X(); }
    std::int32_t GetY() override { return m_rect.Y(); }
    // 1 before creation.
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override { return m_rect.IsVisible(); }
    std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) override;
    std::int32_t GetPriority() override { return m_priority; }
    void SetAlpha(std::uint8_t alpha) override { m_rect.SetAlpha(alpha); }
    std::uint8_t GetAlpha() override { return m_rect.Alpha(); }
    void DropReferencesTo(const void* object) override;

    void Release() override;
    void SetState(std::uint8_t state) override;

    // 1 the button has no list, list is null or the rectangle is in no list; else 0. A button
    // whose list was dropped goes into the new one.
    virtual std::int32_t MoveToSpriteList(SpriteList* list);
    // Colours 0xAARRGGBB; -1 keeps the current one. 1 no list or a size of 0 or less; 2 the
    // rectangle could not be set up; 0 made.
    virtual std::int32_t Create(SpriteList* list, std::int32_t priority, std::int32_t x, std::int32_t y,
                                std::int32_t width, std::int32_t height, std::uint32_t colour,
                                std::uint32_t hoverColour, std::uint32_t pressedColour, std::int32_t tag);
    // 1 before creation; a size of 0 or less keeps that one; 0.
    virtual std::int32_t SetSize(std::int32_t width, std::int32_t height);

    FillRectSprite& Rectangle() { return m_rect; }
    SpriteList* List() const { return m_spriteList; }

private:
    SpriteList* m_spriteList = nullptr;
    std::int32_t m_priority = 0;
    std::int32_t m_tag = 0;
    bool m_listDropped = false;
    FillRectSprite m_rect;
};
