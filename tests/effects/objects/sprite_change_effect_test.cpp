// "sp_change" on the real scheduler over a fake clock: the old and the new sprite in the list of
// a real canvas drawing into a 320 x 240 picture, with pictures 200 and 100 pixels wide.
#include "effects/objects/sprite_change_effect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "effects/objects/cross_fade_picture.h"
#include "effects/objects/subtractive_random.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "tests/effects/sprite_effect_fixture.h"

namespace {

using effecttest::Word;

class SpriteChangeTest : public effecttest::SpriteFadeTestBase {
protected:
    void SetUp() override {
        SpriteFadeTestBase::SetUp();
        ASSERT_EQ(0, m_area.Create(320, 240, 32, 0));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_area, false));
        m_newImage = Picture(2, 100, 20);
        SetOrigin(*m_newImage, 50, 20);
        ASSERT_EQ(0, m_new.SetImage(m_newImage.get(), nullptr, 0, 0));
        ASSERT_EQ(0, m_canvas.Sprites().Add(&m_new, 20, 0));
        m_new.SetVisible(1);
    }
    void TearDown() override {
        SpriteFadeTestBase::TearDown();
        m_canvas.Sprites().Clear();
    }
    static void SetOrigin(Surface& image, std::int32_t x, std::int32_t y) {
        image.SetOriginX(x);
        image.SetOriginY(y);
    }
    // An old sprite (the effect takes it over) with a w x 20 picture at (60, 100).
    Sprite* MakeOld(std::int32_t width, std::int32_t ox, std::int32_t oy,
                    effecttest::DeletionLog* log = nullptr) {
        Sprite* old = log ? new effecttest::CountedSprite(*log) : new Sprite;
        PixelBuffer* image = log ? static_cast<PixelBuffer*>(new effecttest::CountedPicture(*log))
                                 : static_cast<PixelBuffer*>(new Image);
        EXPECT_EQ(0, image->Create(width, 20, 32, 0));
        effecttest::FillCoded(*image, 1);
        SetOrigin(*image, ox, oy);
        EXPECT_EQ(0, old->SetImage(image, nullptr, 60, 100));
        old->SetVisible(1);
        EXPECT_EQ(0, m_canvas.Sprites().Add(old, 10, 0));
        return old;
    }
    static void Release(Sprite* old) {
        SurfaceDelete(old->GetImage());
        delete old;
    }
    std::int32_t Start(Sprite* old, const char* text, std::int32_t mode, bool scale,
                       std::int32_t duration = 1000, SpriteChangeEffect** out = nullptr) {
        auto* effect = new SpriteChangeEffect;
        const std::int32_t words[] = {Word(&m_new), Word(old), Word(text), mode, 30,
                                      scale ? 1 : 0, duration, 0};
        const std::int32_t code = effect->Setup(&m_scheduler, nullptr, words);
        if (code != 0) ReleaseObject(effect);
        else if (out) *out = effect;
        return code;
    }
    static std::uint32_t PixelOf(Image* image, std::int32_t x, std::int32_t y) {
        return reinterpret_cast<const std::uint32_t*>(image->Row(y))[x];
    }

    Image m_area;
    Canvas m_canvas;
    std::unique_ptr<Image> m_newImage;
    Sprite m_new;
};

TEST_F(SpriteChangeTest, TheFiveChangesRunToTheirEndStates) {
    struct Case {
        const char* name;
        std::int32_t oldWidth, oldOx, oldOy;
        std::int32_t newOx, newOy;
        std::int32_t mode;
        bool scale, stretchedOld;
        std::uint8_t runMode;
        double midZoom;  // of the moving sprite at 500 ms (0: not rendered by the change)
        bool oldShowsMid;
        // The new sprite: the final key + the new origin less the working picture's left and
        // top (the old origin outside the working modes); the stretched new picture of the
        // mode 3 case has its origin at 160 - 2 x (160 - 50).
        std::int32_t endX, endY;
        double endZoom;
    };
    const Case cases[] = {
        {"mode 1: the old sprite moves, the new one shows at the end", 200, 100, 20, 50, 20, 1,
         false, false, 1, 0.0, true, 10 + 50 - 100, 50, 1.0},
        {"mode 2 to a half-wide picture runs as mode 3 and shrinks to 0.5", 200, 100, 20, 50, 20,
         2, true, false, 3, 0.75, false, 10 + 50 - (160 - 2 * (160 - 50)), 50, 1.0},
        {"mode 2 with pictures apart keeps both whole", 200, 0, 0, 300, 0, 2, false, false, 2, 0.0,
         false, 10 + 300 - 0, 50, 1.0},
        {"mode 0 from 200 to 100 wide starts at zoom 2", 200, 100, 20, 50, 20, 0, true, false, 0, 1.5,
         false, 10, 50, 1.0},
        {"mode 1 with a stretched old sprite is accepted", 200, 100, 20, 50, 20, 1, false, true,
         1, 0.0, true, 10 + 50 - 100, 50, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_clock.SetMs(kStart);
        SetOrigin(*m_newImage, c.newOx, c.newOy);
        m_new.SetRotationZoom(0, 1.0);
        m_new.SetVisible(1);
        Sprite* old = MakeOld(c.oldWidth, c.oldOx, c.oldOy);
        if (c.stretchedOld) ASSERT_TRUE(old->SetStretch(150, 20));
        SpriteChangeEffect* effect = nullptr;
        ASSERT_EQ(0, Start(old, "P10,50", c.mode, c.scale, 1000, &effect));
        EXPECT_EQ(c.runMode, effect->Mode());
        EXPECT_FALSE(m_new.IsVisible());
        At(0);
        At(500);
        EXPECT_EQ(c.oldShowsMid, old->IsVisible());
        Sprite* moving = c.mode == 0 ? &m_new : c.mode == 1 ? old : effect->WorkingSprite();
        EXPECT_EQ(c.mode == 0, m_new.IsVisible());
        if (c.midZoom != 0.0) EXPECT_DOUBLE_EQ(c.midZoom, moving->Zoom());
        if (c.runMode >= 2) EXPECT_TRUE(effect->WorkingSprite()->IsVisible());
        At(1000);
        EXPECT_EQ(0, m_scheduler.TaskCount());
        EXPECT_TRUE(m_new.IsVisible());
        EXPECT_EQ(c.endX, m_new.X());
        EXPECT_EQ(c.endY, m_new.Y());
        EXPECT_DOUBLE_EQ(c.endZoom, m_new.Rotated() ? m_new.Zoom() : 1.0);
        EXPECT_EQ(0, m_new.Rotated() ? m_new.Angle() & 511 : 0);
    }
}

TEST_F(SpriteChangeTest, TheWorkingPictureFadesTheOldIntoTheNew) {
    // Apart: A at (0, 0) and B at (300, 0) of the working picture.
    SetOrigin(*m_newImage, 300, 0);
    Sprite* old = MakeOld(200, 0, 0);
    SpriteChangeEffect* effect = nullptr;
    ASSERT_EQ(0, Start(old, "P10,50", 2, false, 1000, &effect));
    Image* working = effect->WorkingImage();
    ASSERT_EQ(400, working->Width());
    EXPECT_EQ(effecttest::Coded(1, 5, 5), PixelOf(working, 5, 5));
    EXPECT_EQ(0u, PixelOf(working, 350, 5)) << "nothing of the new picture yet";
    EXPECT_EQ(0u, PixelOf(working, 250, 5)) << "between the two";
    At(0);
    At(502);  // b = 128
    auto one = [](std::uint32_t value) {
        auto image = std::make_unique<Image>();
        EXPECT_EQ(0, image->Create(1, 1, 32, 0));
        image->SetPixel(0, 0, value);
        image->SetHasAlpha(true);
        return image;
    };
    auto faded = one(effecttest::Coded(1, 5, 5));
    faded->AlphaLevel(127, nullptr);
    EXPECT_EQ(PixelOf(faded.get(), 0, 0), PixelOf(working, 5, 5));
    auto blended = one(0);
    auto source = one(effecttest::Coded(2, 50, 5));
    blended->BlendOpacity(source.get(), 128, 0, 0, nullptr);
    EXPECT_EQ(PixelOf(blended.get(), 0, 0), PixelOf(working, 350, 5));
    EXPECT_EQ(0u, PixelOf(working, 250, 5));
}

TEST_F(SpriteChangeTest, AStretchedOldSpriteIsRefusedInModes0And2) {
    for (std::int32_t mode : {0, 2}) {
        for (bool scale : {false, true}) {
            SCOPED_TRACE(mode * 10 + scale);
            effecttest::DeletionLog log;
            Sprite* old = MakeOld(200, 100, 20, &log);
            ASSERT_TRUE(old->SetStretch(150, 20));
            const std::int32_t listed = m_canvas.Sprites().Count();
            m_new.SetPosition(7, 8);
            EXPECT_EQ(2, Start(old, "P10,50", mode, scale));
            EXPECT_EQ(listed, m_canvas.Sprites().Count());
            EXPECT_TRUE(m_new.IsVisible());
            EXPECT_EQ(7, m_new.X());
            EXPECT_EQ(8, m_new.Y());
            EXPECT_TRUE(log.entries.empty());
            Release(old);
        }
    }
}

TEST_F(SpriteChangeTest, RefusedWordsAndModes) {
    Sprite* old = MakeOld(200, 100, 20);
    Sprite unlisted;
    ASSERT_EQ(0, unlisted.SetImage(m_newImage.get(), nullptr, 0, 0));
    struct Case {
        const char* name;
        const void* fresh;
        const void* oldWord;
        std::int32_t mode;
        const char* text;
        std::int32_t code;
    };
    const Case cases[] = {
        {"no old sprite", &m_new, nullptr, 0, "P1,1", 1},
        {"a new sprite in no list", &unlisted, old, 0, "P1,1", 1},
        {"mode 3 from a caller", &m_new, old, 3, "P1,1", 1},
        {"mode 9", &m_new, old, 9, "P1,1", 1},
        {"a negative mode", &m_new, old, -1, "P1,1", 1},
        {"a string that does not parse", &m_new, old, 1, "P1 x", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* effect = new SpriteChangeEffect;
        const std::int32_t words[] = {Word(c.fresh), Word(c.oldWord), Word(c.text), c.mode, 30,
                                      0, 1000, 0};
        EXPECT_EQ(c.code, effect->Setup(&m_scheduler, nullptr, words));
        ReleaseObject(effect);
        EXPECT_TRUE(old->IsVisible());
    }
    Release(old);
}

TEST_F(SpriteChangeTest, AQuarterTurnAtTheEndIsRendered) {
    for (const char* text : {"P10,50 R0.25", "P10,50 R0.5", "P10,50 Z2"}) {
        SCOPED_TRACE(text);
        SetOrigin(*m_newImage, 50, 20);
        Sprite* old = MakeOld(200, 100, 20);
        SpriteChangeEffect* effect = nullptr;
        ASSERT_EQ(0, Start(old, text, 2, false, 1000, &effect));
        EXPECT_TRUE(effect->Scaled()) << "the plain variant gives way to the rendered one";
        EXPECT_DOUBLE_EQ(1.0, effect->Ratio());
        m_scheduler.Clear();
    }
    Sprite* old = MakeOld(200, 100, 20);
    SpriteChangeEffect* effect = nullptr;
    ASSERT_EQ(0, Start(old, "P10,50 R1", 2, false, 1000, &effect));
    EXPECT_FALSE(effect->Scaled()) << "a whole turn stays plain";
}

TEST_F(SpriteChangeTest, ATotalTimeOfZeroShowsTheEndPicture) {
    SetOrigin(*m_newImage, 300, 0);
    Sprite* old = MakeOld(200, 0, 0);
    SpriteChangeEffect* effect = nullptr;
    ASSERT_EQ(0, Start(old, "P10,50", 2, false, 0, &effect));
    At(0);
    Image blended, source;
    ASSERT_EQ(0, blended.Create(1, 1, 32, 0));
    ASSERT_EQ(0, source.Create(1, 1, 32, 0));
    blended.SetPixel(0, 0, 0);
    source.SetPixel(0, 0, effecttest::Coded(2, 50, 5));
    source.SetHasAlpha(true);
    blended.BlendOpacity(&source, 255, 0, 0, nullptr);
    EXPECT_EQ(PixelOf(&blended, 0, 0), PixelOf(effect->WorkingImage(), 350, 5))
        << "t = 1: the new picture at full opacity";
    EXPECT_EQ(0u, PixelOf(effect->WorkingImage(), 5, 5) >> 24) << "the old one gone";
}

TEST_F(SpriteChangeTest, RandomSegmentsThatOutrunTheTotalHoldTheEndOpacity) {
    SubtractiveRandom random;
    random.Seed(44);
    SetEffectRandom(&random);
    SetOrigin(*m_newImage, 300, 0);
    Sprite* old = MakeOld(200, 0, 0);
    SpriteChangeEffect* effect = nullptr;
    // The nominal total counts each "t" segment by its minimum.
    ASSERT_EQ(0, Start(old, "t100,900 P10,50", 2, false, 100, &effect));
    At(0);
    At(150);
    ASSERT_EQ(1, m_scheduler.TaskCount()) << "the drawn segment outlasts its minimum";
    EXPECT_EQ(0u, PixelOf(effect->WorkingImage(), 5, 5) >> 24)
        << "past the nominal total the old picture stays gone";
    SetEffectRandom(nullptr);
}

TEST_F(SpriteChangeTest, NoTransformLeavesTheNewSpriteOnTheOldOne) {
    // Mode 0 with the scale flag between equally wide pictures, the new origin at (0, 0):
    // nothing is zoomed or turned, so the new sprite moves by P - Q with Q its own top-left.
    SetOrigin(*m_newImage, 0, 0);
    Sprite* old = MakeOld(100, 30, 12);
    ASSERT_EQ(0, Start(old, "P10,50", 0, true));
    EXPECT_EQ(60, m_new.X());
    EXPECT_EQ(100, m_new.Y());
}

TEST_F(SpriteChangeTest, ARotatedOldSpriteTurnsTheNewOne) {
    Sprite* old = MakeOld(200, 100, 20);
    ASSERT_EQ(1, old->SetRotationZoom(128, 1.5));
    {
        SCOPED_TRACE("a string that does not parse leaves the new sprite unturned");
        EXPECT_EQ(3, Start(old, "P1 x", 0, false));
        EXPECT_FALSE(m_new.Rotated());
    }
    ASSERT_EQ(0, Start(old, "P10,50", 0, false));
    EXPECT_TRUE(m_new.Rotated());
    EXPECT_EQ(128, m_new.Angle());
    EXPECT_DOUBLE_EQ(1.5, m_new.Zoom());
}

TEST_F(SpriteChangeTest, ControlReportsTheEndOffsetsAndTheAlignmentPoint) {
    Sprite* old = MakeOld(200, 100, 20);
    SpriteChangeEffect* effect = nullptr;
    ASSERT_EQ(0, Start(old, "P10,50", 1, false, 1000, &effect));
    std::int32_t x = 0, y = 0, opacity = 0, priority = 0, pivotX = 0, pivotY = 0;
    float zoom = 0, angle = 0, transform = 0;
    EXPECT_EQ(0, effect->ControlV(Word(&x), Word(&y), Word(&opacity), Word(&priority),
                                  Word(&zoom), Word(&angle), Word(&pivotX), Word(&pivotY),
                                  Word(&transform)));
    EXPECT_EQ(10 + 50 - 100, x);
    EXPECT_EQ(50, y);
    EXPECT_EQ(320 / 2 - 50, pivotX);
    EXPECT_EQ(240 - 20, pivotY);
}

int g_creations = 0;
int g_failAt = 0;
bool CountingGate() { return ++g_creations != g_failAt; }

TEST_F(SpriteChangeTest, PicturesThatCannotBeMadeAnswer5AndLeaveTheOldSprite) {
    const EffectCreationGate saved = SetEffectCreationGate(&CountingGate);
    for (int failAt : {1, 2, 3}) {
        SCOPED_TRACE(failAt);
        g_creations = 0;
        g_failAt = failAt;
        effecttest::DeletionLog log;
        Sprite* old = MakeOld(200, 100, 20, &log);
        const std::int32_t listed = m_canvas.Sprites().Count();
        m_new.SetPosition(7, 8);
        EXPECT_EQ(5, Start(old, "P10,50", 2, true));
        EXPECT_EQ(listed, m_canvas.Sprites().Count());
        EXPECT_TRUE(log.entries.empty());
        EXPECT_TRUE(m_new.IsVisible());
        EXPECT_EQ(7, m_new.X());
        Release(old);
    }
    SetEffectCreationGate(saved);
}

TEST_F(SpriteChangeTest, TheEffectDeletesTheOldImageThenTheOldSprite) {
    effecttest::DeletionLog log;
    Sprite* old = MakeOld(200, 100, 20, &log);
    ASSERT_EQ(0, Start(old, "P10,50", 1, false));
    At(0);
    EXPECT_TRUE(log.entries.empty());
    At(1000);
    EXPECT_EQ((std::vector<std::string>{"image", "sprite"}), log.entries);
}

}  // namespace
