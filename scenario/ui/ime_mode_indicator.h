// ImeModeIndicator: the IME mode indicator drawn into an image of its own and shown by a sprite
// in a sprite list (hidden until a focused text box shows it). Right-aligned, the row of labels
// ends at x and grows to the left.
#pragma once

#include <cstdint>

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "scenario/ui/ime_mode_indicator_base.h"

class ImeModeIndicator : public ImeModeIndicatorBase {
public:
    ImeModeIndicator();
    ~ImeModeIndicator() override;

    void Release() override;
    std::int32_t GetX() override { return m_sprite.X(); }
    std::int32_t GetY() override { return m_sprite.Y(); }
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool visible) override { m_sprite.SetVisible(visible ? 1 : 0); }
    bool IsVisible() override { return m_sprite.IsVisible(); }
    void Update() override;
    std::int32_t Create(SpriteList* list, ImeContext* context, Font* font, std::int32_t x, std::int32_t y,
                        bool rightAligned, std::int32_t tag) override;

    // A sprite list about to go: the sprite leaves it.
    void DropList(const SpriteList* list);

    Sprite& IndicatorSprite() { return m_sprite; }
    Image& IndicatorImage() { return m_image; }

private:
    // The outline width of the font (0 for fonts without one).
    std::int32_t Edge() const;

    SpriteList* m_spriteList = nullptr;
    Image m_image;
    Sprite m_sprite;
    std::int32_t m_tag = 0;
};
