// Surface sprites and the transition sprite on Wine's DirectDraw surfaces (read back pixel by
// pixel), a target that reports a blit still in progress, and a recording stand-in for the
// transition routines.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/device/primitive_sprites.h"
#include "graphics/device/screen_device.h"
#include "graphics/device/surface_sprites.h"
#include "graphics/device/transition_effect_port.h"
#include "graphics/image/image.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "graphics/surfaces/direct_draw_screen.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"

namespace {

// Colour of picture pixel (x, y): never 0, so a drawn pixel shows on a black target.
std::uint32_t P(std::int32_t x, std::int32_t y) {
    return 0x00800000u | (static_cast<std::uint32_t>(y) << 8) | static_cast<std::uint32_t>(x);
}

// One call the transition routines received.
struct TransitionCall {
    std::int32_t index;
    Surface* destination;
    Surface* source;
    std::int32_t progress, x, y, mode;
    ScreenDevice* device;
    std::int32_t workPixel;  // pixel (0, 0) of the work picture when the call came
};
std::vector<TransitionCall> g_calls;
std::int32_t g_answer = 0;

std::int32_t RecordTransition(std::int32_t index, Surface* destination, Surface* source, std::int32_t progress,
                              std::int32_t x, std::int32_t y, std::int32_t mode, ScreenDevice* device) {
    std::int32_t work = -1;
    if (destination && destination->Kind() == kSurfaceDirectDrawImage) {
        auto* image = static_cast<DirectDrawImage*>(destination);
        work = image->GetPixel(0, 0);
        ddimage::PokePixel(image->GetSurface(), 0, 0, 0x00123456);
    }
    g_calls.push_back({index, destination, source, progress, x, y, mode, device, work});
    return g_answer;
}

// A back surface whose blits report the display still busy unless the caller waits.
class BusyTarget {
    void* const* m_table;

public:
    BusyTarget() {
        static void* table[40] = {};
        table[1] = reinterpret_cast<void*>(&AddRef);
        table[2] = reinterpret_cast<void*>(&Release);
        table[5] = reinterpret_cast<void*>(&Blt);
        table[7] = reinterpret_cast<void*>(&BltFast);
        m_table = table;
    }
    IDirectDrawSurface7* Interface() { return reinterpret_cast<IDirectDrawSurface7*>(this); }
    std::vector<DWORD> bltFlags;
    std::vector<DWORD> bltFastFlags;
    bool busy = true;

private:
    static ULONG __stdcall AddRef(BusyTarget*) { return 1; }
    static ULONG __stdcall Release(BusyTarget*) { return 1; }
    static HRESULT __stdcall Blt(BusyTarget* self, RECT*, IDirectDrawSurface7*, RECT*, DWORD flags, DDBLTFX*) {
        self->bltFlags.push_back(flags);
        return self->busy && !(flags & DDBLT_WAIT) ? DDERR_WASSTILLDRAWING : DD_OK;
    }
    static HRESULT __stdcall BltFast(BusyTarget* self, DWORD, DWORD, IDirectDrawSurface7*, RECT*, DWORD flags) {
        self->bltFastFlags.push_back(flags);
        return self->busy && !(flags & DDBLTFAST_WAIT) ? DDERR_WASSTILLDRAWING : DD_OK;
    }
};

class SurfaceSprites : public ddimage::DirectDrawImageFixture {
protected:
    void SetUp() override {
        DirectDrawImageFixture::SetUp();
        g_calls.clear();
        g_answer = 0;
        RunTransitionEffectPort = RecordTransition;
    }
    void TearDown() override {
        RunTransitionEffectPort = nullptr;
        DirectDrawImageFixture::TearDown();
    }

    // A picture whose pixel (x, y) is P(x, y).
    std::unique_ptr<DirectDrawImage> Picture(std::int32_t w, std::int32_t h) {
        auto image = std::make_unique<DirectDrawImage>(&m_device);
        EXPECT_EQ(0, image->Create(w, h, true, false, nullptr));
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x) ddimage::PokePixel(image->GetSurface(), x, y, P(x, y));
        return image;
    }
    std::unique_ptr<DirectDrawImage> Black(std::int32_t w, std::int32_t h) {
        auto image = std::make_unique<DirectDrawImage>(&m_device);
        EXPECT_EQ(0, image->Create(w, h, true, false, nullptr));
        EXPECT_EQ(0, image->FillColour(0, 0, 0));
        return image;
    }
    static std::uint32_t At(DirectDrawImage& image, std::int32_t x, std::int32_t y) {
        return static_cast<std::uint32_t>(image.GetPixel(x, y));
    }
};

TEST_F(SurfaceSprites, NaturalSizeIsClippedToTheArea) {
    auto picture = Picture(32, 8);
    auto target = Black(64, 16);
    SurfaceSprite sprite;
    ASSERT_EQ(0, sprite.SetUp(picture.get(), nullptr, -10, 2));
    const RECT area = {0, 0, 64, 16};
    ASSERT_EQ(0, sprite.Draw(target->GetSurface(), &area, nullptr));
    EXPECT_EQ(P(10, 0), At(*target, 0, 2)) << "the source is cut by what lies left of the area";
    EXPECT_EQ(P(31, 7), At(*target, 21, 9));
    EXPECT_EQ(0u, At(*target, 22, 2));
    EXPECT_EQ(0u, At(*target, 0, 1));
}

TEST_F(SurfaceSprites, OffsetScrollsTheWindowOverThePicture) {
    auto picture = Picture(64, 4);
    auto target = Black(64, 8);
    SurfaceSprite sprite;
    const RECT window = {0, 0, 32, 4};
    ASSERT_EQ(0, sprite.SetUp(picture.get(), &window, 0, 0));
    ASSERT_TRUE(sprite.SetSourceRect(8, 0, nullptr));
    const RECT area = {0, 0, 64, 8};
    ASSERT_EQ(0, sprite.Draw(target->GetSurface(), &area, nullptr));
    EXPECT_EQ(P(8, 0), At(*target, 0, 0));
    EXPECT_EQ(P(39, 3), At(*target, 31, 3));
    EXPECT_EQ(0u, At(*target, 32, 0));
}

TEST_F(SurfaceSprites, StretchedToTheGivenWidth) {
    auto picture = Picture(16, 4);
    auto target = Black(64, 8);
    SurfaceSprite sprite;
    ASSERT_EQ(0, sprite.SetUp(picture.get(), nullptr, 0, 0));
    sprite.SetSize(32, 0);
    RECT bounds;
    ASSERT_TRUE(sprite.GetBounds(&bounds));
    EXPECT_EQ(32, bounds.right);
    EXPECT_EQ(4, bounds.bottom);
    const RECT area = {0, 0, 64, 8};
    ASSERT_EQ(0, sprite.Draw(target->GetSurface(), &area, nullptr));
    EXPECT_EQ(P(0, 0), At(*target, 0, 0));
    EXPECT_EQ(P(15, 3), At(*target, 31, 3));
    EXPECT_EQ(0u, At(*target, 32, 0));
    EXPECT_EQ(0u, At(*target, 0, 4));
}

TEST_F(SurfaceSprites, KeyedPictureLeavesKeyPixelsAlone) {
    auto picture = Picture(8, 2);
    ASSERT_TRUE(ddimage::PokePixel(picture->GetSurface(), 3, 0, 0x00FF00FF));
    ASSERT_EQ(0, picture->SetColourKeyRgb(0xFF, 0x00, 0xFF));
    auto target = Black(8, 2);
    SurfaceSprite sprite;
    ASSERT_EQ(0, sprite.SetUp(picture.get(), nullptr, 0, 0));
    const RECT area = {0, 0, 8, 2};
    ASSERT_EQ(0, sprite.Draw(target->GetSurface(), &area, nullptr));
    EXPECT_EQ(0u, At(*target, 3, 0));
    EXPECT_EQ(P(4, 0), At(*target, 4, 0));

    EXPECT_TRUE(sprite.HitTest(4, 0, true));
    EXPECT_FALSE(sprite.HitTest(3, 0, true)) << "the key is not opaque";
    EXPECT_TRUE(sprite.HitTest(3, 0, false));
    EXPECT_FALSE(sprite.HitTest(8, 0, false)) << "right edge exclusive";
}

// The opaque test reads the pixel Draw shows: with the source rectangle at (16, 8), point (0, 0)
// is picture pixel (16, 8).
TEST_F(SurfaceSprites, OpaqueHitTestCountsTheSourceRectangleOrigin) {
    auto picture = Picture(32, 16);
    ASSERT_TRUE(ddimage::PokePixel(picture->GetSurface(), 16, 8, 0x00FF00FF));
    ASSERT_EQ(0, picture->SetColourKeyRgb(0xFF, 0x00, 0xFF));
    SurfaceSprite sprite;
    const RECT window = {16, 8, 32, 16};
    ASSERT_EQ(0, sprite.SetUp(picture.get(), &window, 0, 0));
    EXPECT_FALSE(sprite.HitTest(0, 0, true));
    EXPECT_TRUE(sprite.HitTest(1, 0, true));

    sprite.SetSize(32, 16);  // twice the source: local (2, 0) is source column 1
    EXPECT_FALSE(sprite.HitTest(1, 0, true));
    EXPECT_TRUE(sprite.HitTest(2, 0, true));
}

TEST_F(SurfaceSprites, BusyDisplayIsWaitedForOnce) {
    auto picture = Picture(8, 8);
    BusyTarget target;
    SurfaceSprite sprite;
    ASSERT_EQ(0, sprite.SetUp(picture.get(), nullptr, 0, 0));
    const RECT area = {0, 0, 64, 64};
    EXPECT_EQ(0, sprite.Draw(target.Interface(), &area, nullptr));
    ASSERT_EQ(2u, target.bltFastFlags.size());
    EXPECT_EQ(DWORD{DDBLTFAST_NOCOLORKEY}, target.bltFastFlags[0]);
    EXPECT_EQ(DWORD{DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT}, target.bltFastFlags[1]);

    sprite.SetSize(16, 16);
    EXPECT_EQ(0, sprite.Draw(target.Interface(), &area, nullptr));
    ASSERT_EQ(2u, target.bltFlags.size());
    EXPECT_EQ(DWORD{DDBLT_WAIT}, target.bltFlags[1]);

    BusyTarget idle;
    idle.busy = false;
    EXPECT_EQ(0, sprite.Draw(idle.Interface(), &area, nullptr));
    EXPECT_EQ(1u, idle.bltFlags.size()) << "no second try when the first went through";
}

TEST_F(SurfaceSprites, UnusablePicturesAndDisabledSprites) {
    auto picture = Picture(8, 8);
    auto target = Black(8, 8);
    const RECT area = {0, 0, 8, 8};
    SurfaceSprite sprite;
    EXPECT_EQ(1, sprite.SetUp(nullptr, nullptr, 0, 0));
    Image software;
    ASSERT_EQ(0, software.Create(8, 8, 32, 0));
    EXPECT_EQ(1, sprite.SetUp(&software, nullptr, 0, 0)) << "not DirectDraw-backed";
    EXPECT_EQ(1, sprite.Draw(target->GetSurface(), &area, nullptr));
    RECT bounds;
    EXPECT_FALSE(sprite.GetBounds(&bounds));
    ASSERT_EQ(0, sprite.SetUp(picture.get(), nullptr, 0, 0));
    EXPECT_EQ(1, sprite.Draw(nullptr, &area, nullptr));
    EXPECT_EQ(1, sprite.Draw(target->GetSurface(), nullptr, nullptr));
    sprite.SetEnabled(false);
    EXPECT_EQ(0, sprite.Draw(target->GetSurface(), &area, nullptr));
    EXPECT_EQ(0u, At(*target, 0, 0));

    SurfaceSpriteEx ex;
    EXPECT_EQ(1, ex.SetUp(picture.get(), nullptr, 0, 0)) << "DirectDraw screens only";
    EXPECT_EQ(1, ex.SetImage(picture.get()));
}

TEST_F(SurfaceSprites, ExBringsTheScreenUpToDateBeforeDrawing) {
    DirectDrawScreen screen;
    ASSERT_EQ(0, screen.Create(8, 4, 32, 0));
    screen.GetImage()->FillValue(0x0000AA00, nullptr);
    screen.Invalidate(nullptr);
    auto target = Black(8, 4);
    SurfaceSpriteEx ex;
    ASSERT_EQ(0, ex.SetUp(&screen, nullptr, 0, 0));
    EXPECT_EQ(kDrawableSurfaceSpriteEx, ex.Kind());
    const RECT area = {0, 0, 8, 4};
    ASSERT_EQ(0, ex.Draw(target->GetSurface(), &area, nullptr));
    EXPECT_EQ(0x0000AA00u, At(*target, 7, 3));
}

TEST_F(SurfaceSprites, TransitionWithAWorkPictureStepsInSetProgress) {
    auto work = Black(8, 8);
    ASSERT_EQ(0, work->FillColour(0x11, 0x22, 0x33));
    auto shown = Picture(8, 8);
    TransitionSprite sprite;
    ASSERT_EQ(0, sprite.SetUp(work.get(), shown.get(), 12, 5, 6, 40, 7, 9));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(12, g_calls[0].index);
    EXPECT_EQ(work.get(), static_cast<DirectDrawImage*>(g_calls[0].destination));
    EXPECT_EQ(shown.get(), static_cast<DirectDrawImage*>(g_calls[0].source));
    EXPECT_EQ(40, g_calls[0].progress);
    EXPECT_EQ(7, g_calls[0].x);
    EXPECT_EQ(9, g_calls[0].y);
    EXPECT_EQ(0, g_calls[0].mode);
    EXPECT_EQ(nullptr, g_calls[0].device);

    ASSERT_EQ(0, sprite.SetProgress(60));
    EXPECT_EQ(0x112233, g_calls[1].workPixel) << "the fill colour is laid again before each step";
    EXPECT_EQ(60, sprite.Progress());
    ASSERT_EQ(0, sprite.RestoreContent());
    EXPECT_EQ(60, g_calls[2].progress);
    EXPECT_EQ(0x112233, g_calls[2].workPixel);

    g_answer = 5;
    EXPECT_EQ(6, sprite.SetProgress(70));
    EXPECT_EQ(60, sprite.Progress()) << "a failed step keeps the progress";
    EXPECT_EQ(1, sprite.RestoreContent());
    g_answer = -1;
    EXPECT_EQ(TransitionSprite::kBadRoutine, sprite.SetProgress(70)) << "no such routine is a failure";
    EXPECT_EQ(60, sprite.Progress());

    g_answer = 0;
    auto target = Black(16, 16);
    const RECT area = {0, 0, 16, 16};
    ASSERT_EQ(0, sprite.Draw(target->GetSurface(), &area, nullptr));
    EXPECT_EQ(0x112233u, At(*target, 6, 7)) << "the work picture blitted at (5, 6)";
}

TEST_F(SurfaceSprites, TransitionWithoutAWorkPictureDrawsInDraw) {
    auto shown = Picture(8, 8);
    auto target = Black(8, 8);
    ScreenDevice device;
    TransitionSprite sprite(&device);
    ASSERT_EQ(0, sprite.SetUp(nullptr, shown.get(), 3, 10, 20, 50, 0, 0));
    EXPECT_TRUE(g_calls.empty());
    RECT bounds;
    ASSERT_TRUE(sprite.GetBounds(&bounds));
    EXPECT_EQ(18, bounds.right);
    const RECT area = {0, 0, 8, 8};
    ASSERT_EQ(0, sprite.Draw(target->GetSurface(), &area, &device));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(nullptr, g_calls[0].destination);
    EXPECT_EQ(shown.get(), static_cast<DirectDrawImage*>(g_calls[0].source));
    EXPECT_EQ(50, g_calls[0].progress);
    EXPECT_EQ(10, g_calls[0].x);
    EXPECT_EQ(20, g_calls[0].y);
    EXPECT_EQ(0, g_calls[0].mode);
    EXPECT_EQ(&device, g_calls[0].device);
    g_answer = 2;
    EXPECT_EQ(3, sprite.Draw(target->GetSurface(), &area, &device));
    g_answer = -1;
    EXPECT_EQ(TransitionSprite::kBadRoutine, sprite.Draw(target->GetSurface(), &area, &device));
}

TEST_F(SurfaceSprites, TransitionSetUpFailuresLeaveTheSpriteCleared) {
    auto work = Black(8, 8);
    auto shown = Picture(8, 8);
    Image software;
    ASSERT_EQ(0, software.Create(8, 8, 32, 0));
    struct Case {
        const char* name;
        Surface* source;
        Surface* target;
        std::int32_t routine;
        std::int32_t answer;
        std::int32_t code;
    };
    const Case cases[] = {
        {"no target", work.get(), nullptr, 0, 0, 1},
        {"software target", work.get(), &software, 0, 0, 1},
        {"software source", &software, shown.get(), 0, 0, 2},
        {"first step fails", work.get(), shown.get(), 0, 1, 3},
        {"routine 87", work.get(), shown.get(), 87, 0, 4},
        {"routine -1", nullptr, shown.get(), -1, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TransitionSprite sprite;
        ASSERT_EQ(0, sprite.SetUp(work.get(), shown.get(), 1, 2, 3, 4, 0, 0));
        g_answer = c.answer;
        EXPECT_EQ(c.code, sprite.SetUp(c.source, c.target, c.routine, 5, 6, 7, 0, 0));
        g_answer = 0;
        EXPECT_EQ(nullptr, sprite.Source());
        EXPECT_EQ(nullptr, sprite.Target());
        EXPECT_EQ(0, sprite.GetX());
        EXPECT_EQ(1, sprite.SetProgress(1));
    }
}

// A released picture shown by a surface sprite and by transition sprites (as work picture and
// as the picture shown): each forgets it and draws nothing, under the poisoning delete.
TEST_F(SurfaceSprites, ReleasedPictureIsForgottenByTheDrawables) {
    testsupport::PoisonFreedMemory poison;
    ScreenDevice device;
    device.AdoptDirectDraw(m_device.DirectDraw(), false);
    device.m_displayDepth = 32;
    DirectDrawImage* image = nullptr;
    ASSERT_EQ(0, device.CreateDirectDrawImage(&image, 8, 8, 1));
    DirectDrawImage* other = nullptr;
    ASSERT_EQ(0, device.CreateDirectDrawImage(&other, 8, 8, 1));
    SurfaceSprite* sprite = nullptr;
    ASSERT_EQ(0, device.CreateSurfaceSprite(&sprite, image, nullptr, 0, 0));
    TransitionSprite* asWork = nullptr;
    ASSERT_EQ(0, device.CreateTransitionSprite(&asWork, image, other, 1, 0, 0, 0));
    TransitionSprite* asShown = nullptr;
    ASSERT_EQ(0, device.CreateTransitionSprite(&asShown, nullptr, image, 1, 0, 0, 0));
    TransitionSprite* unrelated = nullptr;
    ASSERT_EQ(0, device.CreateTransitionSprite(&unrelated, nullptr, other, 1, 0, 0, 0));
    DeviceDrawable* drawables[] = {sprite, asWork, asShown, unrelated};
    for (std::uint32_t i = 0; i < 4; ++i) ASSERT_EQ(0, device.DrawingList().InsertAfterEquals(drawables[i], i, 0));

    ASSERT_EQ(0, device.ReleaseImage(image));
    ASSERT_NE(-1, poison.FreedAt(image));
    auto target = Black(8, 8);
    const RECT area = {0, 0, 8, 8};
    g_calls.clear();
    for (DeviceDrawable* d : {static_cast<DeviceDrawable*>(sprite), static_cast<DeviceDrawable*>(asWork),
                              static_cast<DeviceDrawable*>(asShown)}) {
        EXPECT_FALSE(d->IsEnabled());
        EXPECT_EQ(0, d->Draw(target->GetSurface(), &area, &device));
        RECT bounds;
        EXPECT_FALSE(d->GetBounds(&bounds));
        EXPECT_EQ(0, d->RestoreContent());
    }
    EXPECT_TRUE(g_calls.empty());
    EXPECT_TRUE(unrelated->IsEnabled());
    EXPECT_EQ(0, device.RestoreObjects(false));
    EXPECT_EQ(0, device.ReleaseImage(other));
    EXPECT_FALSE(unrelated->IsEnabled());
    device.DestroyAllObjects();
    device.ReleaseDirectDraw();
}

// Without a Direct3D device a colour rectangle draws nothing and lets the frame go on: the
// surface sprite after it in the list still draws.
TEST_F(SurfaceSprites, PrimitiveWithoutDirect3DLetsTheNextDrawableDraw) {
    ScreenDevice device;
    device.AdoptDirectDraw(m_device.DirectDraw(), false);
    device.m_displayDepth = 32;
    auto picture = Picture(8, 8);
    ColourRectSprite* rect = nullptr;
    ASSERT_EQ(0, device.CreateColourRect(&rect, 8, 8, 0xFFFFFFFF, 0, 0));
    SurfaceSprite* sprite = nullptr;
    ASSERT_EQ(0, device.CreateSurfaceSprite(&sprite, picture.get(), nullptr, 0, 0));
    ASSERT_EQ(0, device.DrawingList().InsertAfterEquals(rect, 2, 0));
    ASSERT_EQ(0, device.DrawingList().InsertAfterEquals(sprite, 1, 0));
    auto target = Black(8, 8);
    const RECT area = {0, 0, 8, 8};
    EXPECT_EQ(0, device.DrawingList().Draw(target->GetSurface(), &area, &device));
    EXPECT_EQ(P(7, 7), At(*target, 7, 7));
    device.DestroyAllObjects();
    device.ReleaseDirectDraw();
}

}  // namespace
