// Device drawables that show DirectDraw-backed pictures with blits only, so they draw whenever
// the display has a back surface, with or without Direct3D:
// - SurfaceSprite shows a rectangle of a picture at its natural size (BltFast) or stretched
//   (Blt), keyed when the picture has a colour key;
// - SurfaceSpriteEx shows a DirectDrawScreen, bringing its surface up to date before each draw;
// - TransitionSprite shows a picture through a transition routine at a progress scripts set:
//   without a work picture the routine draws straight onto the display, with one the routine
//   draws into it and the sprite blits it like a surface sprite.
//
// Pictures are not owned. A blit the display answers with DDERR_WASSTILLDRAWING is tried once
// more, waiting. Routine numbers are 0..86; another number is refused by SetUp with 4, and a
// routine that answers -1 (no such routine) is a failure (4) of SetProgress and Draw.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "graphics/device/device_drawable.h"

class Surface;

// The DirectDraw surface of a DirectDraw-backed picture, or null (none, or another kind).
IDirectDrawSurface7* DirectDrawSurfaceOf(Surface* surface);

// What the surface sprite and the transition sprite share: a source rectangle of a picture,
// scrolled by an offset, blitted at a position and size.
class BlitDrawable : public DeviceDrawable {
public:
    std::int32_t GetX() const override { return m_x; }
    std::int32_t GetY() const override { return m_y; }
    void SetPosition(std::int32_t x, std::int32_t y) override;
    void SetSize(std::int32_t width, std::int32_t height) override;
    void SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) override;
    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    bool Overlaps(DeviceDrawable* other) override;

    const RECT& SourceRect() const { return m_sourceRect; }
    POINT SourceOffset() const { return m_sourceOffset; }
    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }

protected:
    // The bounds of a source picture shown at (x, y); false without a usable picture.
    bool BoundsOf(Surface* picture, RECT* out) const;
    // The hit test on a picture: bounds, then with opaqueOnly the colour key of a keyed
    // DirectDraw image at the pixel drawn there.
    bool HitTestOn(Surface* picture, std::int32_t px, std::int32_t py, bool opaqueOnly);
    // Steps 2 to 5 of a surface sprite's draw: 0 drawn or nothing visible; 2 Blt or 3 BltFast
    // refused.
    std::int32_t BlitPicture(Surface* picture, IDirectDrawSurface7* target, const RECT* area);
    // Offset, rectangle and the stored offset as SetSourceRect gives them; false without a
    // usable picture.
    bool StoreSourceRect(Surface* picture, std::int32_t offsetX, std::int32_t offsetY, const RECT* rect);
    void ClearPlacement();

    RECT m_sourceRect = {0, 0, 0, 0};
    POINT m_sourceOffset = {0, 0};
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

class SurfaceSprite : public BlitDrawable {
public:
    SurfaceSprite() = default;

    DeviceDrawableKind Kind() const override { return kDrawableSurfaceSprite; }
    bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) override;
    bool GetBounds(RECT* out) override { return BoundsOf(m_image, out); }
    // 0 drawn, disabled or nothing visible; 1 no target, area or usable picture; 2 Blt refused;
    // 3 BltFast refused.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;
    std::int32_t RestoreContent() override { return 0; }
    bool ForgetSurface(const Surface* surface, const Texture* texture) override;

    // Image null, offset, position and size 0.
    virtual void Clear();
    // 0; 1 an unusable picture. sourceRect null: the whole picture.
    virtual std::int32_t SetUp(Surface* image, const RECT* sourceRect, std::int32_t x, std::int32_t y);
    // 0; 1 an unusable picture. The rectangles stay.
    virtual std::int32_t SetImage(Surface* image);

    bool SetSourceRect(std::int32_t offsetX, std::int32_t offsetY, const RECT* rect) {
        return StoreSourceRect(m_image, offsetX, offsetY, rect);
    }
    Surface* Image() const { return m_image; }

protected:
    virtual bool Accepts(Surface* image) const;

    Surface* m_image = nullptr;
};

class SurfaceSpriteEx final : public SurfaceSprite {
public:
    DeviceDrawableKind Kind() const override { return kDrawableSurfaceSpriteEx; }
    // As SurfaceSprite's, the DirectDraw screen's surface first brought up to date.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;

protected:
    // DirectDraw screens only.
    bool Accepts(Surface* image) const override;
};

class ScreenDevice;

class TransitionSprite final : public BlitDrawable {
public:
    // Routine numbers the transition routines know.
    static constexpr std::int32_t kRoutineCount = 87;
    // SetUp's code for a routine number outside 0..86, also SetProgress's and Draw's for a
    // routine that answers -1.
    static constexpr std::int32_t kBadRoutine = 4;

    explicit TransitionSprite(ScreenDevice* device = nullptr) : m_device(device) {}

    DeviceDrawableKind Kind() const override { return kDrawableTransitionSprite; }
    bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) override;
    bool GetBounds(RECT* out) override;
    // 0; 1 no target surface, area or usable picture; 2 an unusable work picture; without one
    // the routine's code + 1; with one as SurfaceSprite's.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;
    // SetProgress again at the stored progress when there is a usable work picture: 0, or 1.
    std::int32_t RestoreContent() override;
    bool ForgetSurface(const Surface* surface, const Texture* texture) override;

    // 0; 1 unusable target; 2 unusable source; 3 the first step failed; 4 a routine outside
    // 0..86. Every failure leaves the sprite cleared.
    std::int32_t SetUp(Surface* source, Surface* target, std::int32_t routine, std::int32_t x, std::int32_t y,
                       std::int32_t progress, std::int32_t param1, std::int32_t param2);
    // 0; 1 no target; 4 no such routine; otherwise the routine's code + 1 (the progress then
    // stays as it was).
    std::int32_t SetProgress(std::int32_t progress);
    // 0; 1 no target yet, or an unusable source.
    std::int32_t SetSource(Surface* source);
    // 0; 1 no target yet, or an unusable new one.
    std::int32_t SetTarget(Surface* target);
    bool SetSourceRect(std::int32_t offsetX, std::int32_t offsetY, const RECT* rect) {
        return StoreSourceRect(m_source, offsetX, offsetY, rect);
    }
    void Clear();
    // Stores the routine the next SetProgress and Draw run; false (nothing changes) outside 0..86.
    bool SetRoutine(std::uint32_t routine);
    // The two words handed to the routine with each run. Adding wraps around.
    void SetParams(std::int32_t param1, std::int32_t param2);
    void AddParams(std::int32_t delta1, std::int32_t delta2);

    Surface* Source() const { return m_source; }
    Surface* Target() const { return m_target; }
    std::int32_t Routine() const { return m_routine; }
    std::int32_t Progress() const { return m_progress; }
    std::int32_t Param1() const { return m_param1; }
    std::int32_t Param2() const { return m_param2; }

private:
    ScreenDevice* m_device;
    Surface* m_source = nullptr;
    Surface* m_target = nullptr;
    std::int32_t m_routine = 0;
    std::int32_t m_progress = 0;
    std::int32_t m_param1 = 0;
    std::int32_t m_param2 = 0;
};
