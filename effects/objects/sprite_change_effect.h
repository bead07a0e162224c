// SpriteChangeEffect ("sp_change"): replaces an old sprite by a new one while the picture
// follows a motion string. Mode 0 moves the new sprite; mode 1 moves the old one and shows the
// new one at the end; mode 2 moves a working picture that holds both while the old picture
// cross-fades into the new one (the effect turns it into mode 3 when the new picture is the
// narrower one under the scale flag, and fades the other way). With the scale flag the change
// also morphs between the two pictures' widths.
//
// Setup words: 0 the new sprite (an image sprite in a sprite list whose canvas has a target),
// 1 the old sprite, 2 the motion string, 3 the mode (0 to 2), 4 the working sprite's priority,
// 5 the scale flag, 6 the default segment duration in ms, 7 count in the busy counter. Answers
// 1 (no scheduler, a missing or unsuitable sprite: no picture or an empty source rectangle, or a
// mode above 2, which only the effect itself sets), 2 (the old sprite is stretched, modes 0 and
// 2), 3 (the string does not parse), 4 (the scheduler refused), 5 (a working, stretched or
// transform picture cannot be made), else 0. After 0 the effect owns the old sprite and its
// image and deletes the image, then the sprite, when it goes; after any other answer they stay
// with the caller, the new sprite keeps its place and visibility, and nothing the effect made is
// left in a list.
//
// ChangeParams as "sp_panime" (the change never loops). Control as "sp_panime", with the end
// offsets added to the final x and y and the alignment point reported as the final pivot.
#pragma once

#include <memory>

#include "effects/objects/cross_fade_picture.h"
#include "effects/objects/sprite_panime_effect.h"

class Image;

class SpriteChangeEffect
    : public WithDeletingDestructor<SpriteChangeEffect, SpritePanimeEffect> {
public:
    static constexpr const char* kName = "sp_change";

    SpriteChangeEffect();
    ~SpriteChangeEffect();

    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    const char* XM_METHOD Name() override { return kName; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    std::int32_t XM_METHOD Control(const std::int32_t* arguments) override;
    void XM_METHOD Complete() override;
    void XM_METHOD Apply(std::int32_t record, double t) override;

    std::uint8_t Mode() const { return m_mode; }
    bool Scaled() const { return m_scale != 0; }
    double Ratio() const { return m_ratio; }
    POINT Alignment() const { return m_alignment; }
    POINT Drift() const { return m_drift; }
    POINT EndOffset() const { return m_endOffset; }
    Sprite* WorkingSprite() const { return m_working.WorkingSprite(); }
    Image* WorkingImage() const { return m_working.WorkingImage(); }
    const Image* StretchedImage() const { return m_stretched.get(); }

private:
    std::int32_t Prepare(ScreenBuffer* target, const std::int32_t* params);
    std::int32_t PrepareWorkingPicture(std::int32_t screenWidth, std::int32_t screenHeight,
                                       std::int32_t priority);
    double Progress() const;

    Sprite* m_old = nullptr;
    Sprite* m_new = nullptr;
    bool m_owned = false;
    bool m_completed = false;
    std::uint8_t m_mode = 0;
    std::uint8_t m_scale = 0;
    double m_ratio = 1.0;
    POINT m_alignment = {};
    POINT m_drift = {};
    POINT m_endOffset = {};
    bool m_firstStep = true;
    std::uint32_t m_start = 0;
    std::uint32_t m_elapsed = 0;
    // The rotation and zoom of the old sprite, and the point P it turns about.
    std::int32_t m_angle = 0;
    double m_zoom = 1.0;
    double m_pointX = 0.0;
    double m_pointY = 0.0;
    // Declared before the working picture, which may show it: goes last.
    std::unique_ptr<Image> m_stretched;
    CrossFadePicture m_working;
};
