// ImagePart: the UI part that shows one image of its own through one sprite (type 8); the base
// of the select list. Position, size, visibility and alpha are the sprite's; the hit test counts
// the sprite's pixels that are not transparent. The sprite list is borrowed: a dropped list
// takes the sprite out. Used on the game thread only.
#pragma once

#include <cstdint>

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "scenario/ui/ui_part.h"

class SpriteList;

class ImagePart : public UiPart {
public:
    ImagePart();
    ~ImagePart() override;

    std::int32_t TypeCode() override { return kUiImagePart; }
    std::int32_t GetX() override { return m_sprite.X(); }
    std::int32_t GetY() override { return m_sprite.Y(); }
    std::int32_t GetWidth() override { return m_sprite.Width(); }
    std::int32_t GetHeight() override { return m_sprite.Height(); }
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    // Hiding the focused part clears the focus; the hover ends whenever it is on the part.
    void SetVisible(bool visible) override;
    bool IsVisible() override { return m_sprite.IsVisible(); }
    // 1 without a sprite list; the first time the sprite goes in with the tag.
    std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) override;
    std::int32_t GetPriority() override { return m_priority; }
    void SetAlpha(std::uint8_t alpha) override { m_sprite.SetAlpha(alpha); }
    std::uint8_t GetAlpha() override { return m_sprite.Alpha(); }
    bool HitTest(std::int32_t x, std::int32_t y) override { return m_sprite.HitTest(x, y, true); }
    // Focus pointer mode 1 moves the pointer to the centre, mode 2 parks it.
    void OnFocus(UiPart* previous, bool forward) override;
    void DropReferencesTo(const void* object) override;

    Sprite& PartSprite() { return m_sprite; }
    Image& PartImage() { return m_image; }
    SpriteList* List() const { return m_spriteList; }

protected:
    SpriteList* m_spriteList = nullptr;
    std::int32_t m_priority = 0;
    std::int32_t m_tag = 0;
    Image m_image;
    Sprite m_sprite;
};
