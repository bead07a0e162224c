// CheckPart: the check box or radio member scripts put on the screen (type 1), one sprite showing
// one face of a horizontal strip loaded from a picture file (owned) or taken from an image object
// a script holds (borrowed). A leader's placement, visibility, priority and alpha carry its
// followers.
//
// Borrowed objects scripts may release (the image object, the sprite list) are forgotten through
// DropReferencesTo before they go: a dropped image object resets the sprite, a dropped list takes
// the sprite out.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "scenario/ui/check_part_base.h"

class SpriteList;

class CheckPart : public CheckPartBase {
public:
    CheckPart();
    ~CheckPart() override;

    std::int32_t GetX() override { return m_sprite.X(); }
    std::int32_t GetY() override { return m_sprite.Y(); }
    // 1 without a face.
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override { return m_sprite.IsVisible(); }
    std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) override;
    std::int32_t GetPriority() override { return m_priority; }
    void SetAlpha(std::uint8_t alpha) override;
    std::uint8_t GetAlpha() override { return m_sprite.Alpha(); }
    void DropReferencesTo(const void* object) override;

    void Release() override;
    bool HitTestShape(std::int32_t x, std::int32_t y) override;

    // As the image button's: 1 no list, no image, an image without pixels, a kind above 3 or a
    // leader that leads no radio group; 2 the strip is narrower than its faces or the sprite
    // refused it; 0 made, the output written (see CheckPartBase).
    virtual std::int32_t CreateFromImage(SpriteList* list, std::int32_t priority, const CallerWord& output,
                                         Image* image, std::uint8_t kind, bool withDisabledFaces,
                                         CheckPart* leader, std::int32_t x, std::int32_t y, std::uint8_t blendMode,
                                         std::uint8_t alpha, std::int32_t tag);
    // Colour key: keyY >= 0 the pixel (keyX, keyY) when it lies in the strip, else none; keyY
    // negative and keyX not -1: keyX as 0xRRGGBB; else none. 1 as above or no name; 2 the load
    // failed; 0 made.
    virtual std::int32_t CreateFromFile(SpriteList* list, std::int32_t priority, const CallerWord& output,
                                        const char* fileName, std::uint8_t kind, bool withDisabledFaces,
                                        CheckPart* leader, std::int32_t x, std::int32_t y, std::uint8_t blendMode,
                                        std::uint8_t alpha, std::int32_t keyX, std::int32_t keyY, std::int32_t tag);

    Sprite& PartSprite() { return m_sprite; }
    // The strip the sprite shows: the owned one or the image object.
    Image* FaceImage();
    SpriteList* List() const { return m_spriteList; }
    const char* FileName() const { return m_fileName.empty() ? nullptr : m_fileName.c_str(); }

protected:
    void ShowFace() override;

private:
    // Creation's shared steps once the strip is there: kind, faces, sprite, group. The strip
    // is released again on failure.
    std::int32_t Finish(Image* strip, const CallerWord& output, std::uint8_t kind, bool withDisabledFaces,
                        CheckPart* leader, std::int32_t x, std::int32_t y, std::uint8_t blendMode,
                        std::uint8_t alpha, std::int32_t priority, std::int32_t tag);
    void TakeList(SpriteList* list);

    SpriteList* m_spriteList = nullptr;
    std::int32_t m_priority = 0;
    std::string m_fileName;
    Image m_image;
    Image* m_externalImage = nullptr;
    Sprite m_sprite;
};
