// "sp_fade" and "sp_cfade" on the real scheduler over a fake clock, with real sprites in the
// sprite list of a memory screen's canvas.
#include "effects/objects/sprite_fade_effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "effects/objects/cross_fade_picture.h"
#include "graphics/image/image.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "tests/effects/busy_hooks.h"
#include "tests/effects/sprite_effect_fixture.h"

namespace {

using effecttest::Word;

class SpriteFadeTest : public effecttest::SpriteFadeTestBase {
protected:
    void SetUp() override {
        SpriteFadeTestBase::SetUp();
        m_image = Picture(1, 8, 8);
        for (Sprite& sprite : m_sprites) {
            ASSERT_EQ(0, sprite.SetImage(m_image.get(), nullptr, 10, 20));
            ASSERT_EQ(0, List().Add(&sprite, 10, 0));
        }
    }
    void TearDown() override {
        SpriteFadeTestBase::TearDown();
        List().Clear();
    }
    // A new effect with `count` entries, joined to the scheduler.
    SpriteFadeEffect* Make(std::int32_t count, std::int32_t autoFinish = 0,
                           std::int32_t counted = 0) {
        auto* effect = new SpriteFadeEffect;
        const std::int32_t words[] = {count, autoFinish, counted};
        EXPECT_EQ(0, effect->Setup(&m_scheduler, nullptr, words));
        return effect;
    }
    static void Show(Sprite& sprite, bool visible, std::uint8_t alpha) {
        sprite.SetVisible(visible ? 1 : 0);
        sprite.SetAlpha(alpha);
    }

    std::unique_ptr<Image> m_image;
    Sprite m_sprites[2];
};

TEST_F(SpriteFadeTest, FadesRunForTheirShareOfTheDurationAndEndInPlace) {
    struct Case {
        const char* name;
        bool visible;
        std::uint8_t alpha;
        bool fadeIn;
        std::uint32_t duration;
        std::uint32_t mid;  // ms after the first step
        std::uint8_t midAlpha;
        std::uint32_t end;  // the first step at which the fade is over
        bool endVisible;
    };
    const Case cases[] = {
        {"out from 128 over 1000 ms lasts 501 ms", true, 128, false, 1000, 250, 64, 501, false},
        {"in from hidden starts at 0", false, 200, true, 1000, 500, 127, 1000, true},
        {"in from 255 ends at its first timed step", true, 255, true, 1000, 0, 255, 1, true},
        {"a duration of 0 counts as 1 ms", true, 0, true, 0, 0, 0, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_clock.SetMs(kStart);
        Sprite& sprite = m_sprites[0];
        Show(sprite, c.visible, c.alpha);
        SpriteFadeEffect* effect = Make(1);
        ASSERT_EQ(0, effect->SetSprite(0, &sprite, c.fadeIn, c.duration, 0, false, 0, 0, 0.0));
        EXPECT_EQ(c.visible ? c.alpha : 0, sprite.Alpha());
        At(0);
        EXPECT_TRUE(sprite.IsVisible()) << "shown at its first step";
        if (c.mid != 0) {
            At(c.mid);
            EXPECT_EQ(c.midAlpha, sprite.Alpha());
        }
        if (c.end > 1) {
            At(c.end - 1);
            EXPECT_EQ(1, effect->ControlV(0));
            EXPECT_TRUE(sprite.IsVisible()) << "not over one ms early";
            if (c.fadeIn) EXPECT_NE(255, sprite.Alpha());
        }
        At(c.end);
        EXPECT_EQ(c.endVisible, sprite.IsVisible());
        EXPECT_EQ(255, sprite.Alpha());
        At(c.end + 1);
        EXPECT_EQ(0, effect->ControlV(0)) << "the step after the last fade stops it";
        EXPECT_EQ(1, m_scheduler.TaskCount()) << "it lives until cancelled";
        m_scheduler.Clear();
    }
}

TEST_F(SpriteFadeTest, ADelayKeepsTheSpriteHiddenAndShiftsTheFade) {
    Sprite& sprite = m_sprites[0];
    Show(sprite, false, 255);
    Make(1);
    SpriteFadeEffect* effect = static_cast<SpriteFadeEffect*>(m_scheduler.FindByKind(14001));
    ASSERT_EQ(0, effect->SetSprite(0, &sprite, true, 100, 300, false, 0, 0, 0.0));
    At(0);
    At(300);
    EXPECT_FALSE(sprite.IsVisible());
    At(350);
    EXPECT_TRUE(sprite.IsVisible());
    EXPECT_EQ(127, sprite.Alpha());
    At(400);
    EXPECT_EQ(255, sprite.Alpha());
}

TEST_F(SpriteFadeTest, TheMoveFollowsTheEasingExponent) {
    struct Case {
        double exponent;
        std::int32_t x, y;  // at a quarter of the time, from (0, 40) to (100, 0)
    };
    const Case cases[] = {{0.0, 25, 30}, {2.0, 6, 37}, {-2.0, 43, 22}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exponent);
        m_clock.SetMs(kStart);
        Sprite& sprite = m_sprites[0];
        Show(sprite, false, 0);
        sprite.SetPosition(0, 40);
        SpriteFadeEffect* effect = Make(1);
        ASSERT_EQ(0, effect->SetSprite(0, &sprite, true, 1000, 0, true, 100, 0, c.exponent));
        At(0);
        At(250);
        EXPECT_EQ(c.x, sprite.X());
        EXPECT_EQ(c.y, sprite.Y());
        At(1000);
        EXPECT_EQ(100, sprite.X());
        EXPECT_EQ(0, sprite.Y());
        m_scheduler.Clear();
    }
}

TEST_F(SpriteFadeTest, ChangeParamsModesAndControl) {
    struct Case {
        std::int32_t mode;
        bool visibleAfter;  // fade in / out over 100 ms
    };
    for (const Case c : {Case{1, true}, Case{2, false}, Case{7, false}}) {
        SCOPED_TRACE(c.mode);
        m_clock.SetMs(kStart);
        Sprite& sprite = m_sprites[0];
        Show(sprite, c.mode != 1, 255);
        SpriteFadeEffect* effect = Make(2);
        EXPECT_EQ(0, effect->ControlV(0));
        EXPECT_EQ(0, effect->ChangeParamsV(c.mode, 1, Word(&sprite), 100, 0, 1, 3, 4, 0));
        EXPECT_EQ(1, effect->ControlV(0));
        At(0);
        At(100);
        EXPECT_EQ(c.visibleAfter, sprite.IsVisible());
        EXPECT_EQ(3, sprite.X());
        At(101);
        EXPECT_EQ(0, effect->ControlV(0));
        m_scheduler.Clear();
    }
    for (std::int32_t mode : {0, -5}) {
        SCOPED_TRACE(mode);
        Sprite& sprite = m_sprites[0];
        Show(sprite, true, 200);
        sprite.SetPosition(0, 0);
        SpriteFadeEffect* effect = Make(2);
        ASSERT_EQ(0, effect->ChangeParamsV(2, 0, Word(&sprite), 1000, 0, 1, 7, 8, 0));
        At(0);
        EXPECT_EQ(0, effect->ChangeParamsV(mode, 0, 0, 0, 0, 0, 0, 0, 0));
        EXPECT_FALSE(sprite.IsVisible());
        EXPECT_EQ(255, sprite.Alpha());
        EXPECT_EQ(7, sprite.X());
        EXPECT_EQ(0, effect->ControlV(0));
        m_scheduler.Clear();
    }
    SpriteFadeEffect* effect = Make(2);
    FillRectSprite box;
    EXPECT_EQ(1, effect->ChangeParamsV(1, 0, Word(&box), 100, 0, 0, 0, 0, 0))
        << "a word that names no image sprite";
}

TEST_F(SpriteFadeTest, BadEntryIndexesChangeNothing) {
    SpriteFadeEffect* effect = Make(2);
    Sprite& sprite = m_sprites[0];
    Show(sprite, false, 90);
    for (std::int32_t n : {-1, 2, 0x7FFFFFFF}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(1, effect->SetSprite(n, &sprite, true, 100, 0, false, 0, 0, 0.0));
    }
    EXPECT_EQ(1, effect->SetSprite(0, nullptr, true, 100, 0, false, 0, 0, 0.0));
    EXPECT_EQ(90, sprite.Alpha());
    EXPECT_EQ(0, effect->ControlV(0));
}

TEST_F(SpriteFadeTest, ACountThatCannotBeSizedKeepsTheOldEntries) {
    SpriteFadeEffect* effect = Make(2);
    for (std::int32_t count : {0x7FFFFFFF, 0x10000000}) {
        const std::int32_t words[] = {count, 0, 0};
        EXPECT_EQ(-1, effect->Setup(&m_scheduler, nullptr, words));
    }
    const std::int32_t none[] = {0, 0, 0};
    EXPECT_EQ(1, effect->Setup(&m_scheduler, nullptr, none));
    EXPECT_EQ(2, effect->EntryCount());
    EXPECT_EQ(0, effect->SetSprite(1, &m_sprites[1], true, 100, 0, false, 0, 0, 0.0));
}

TEST_F(SpriteFadeTest, AutoFinishEndsOnlyAfterTheLastFade) {
    Sprite& sprite = m_sprites[0];
    Show(sprite, false, 0);
    SpriteFadeEffect* effect = Make(1, 1);
    ASSERT_EQ(0, effect->SetSprite(0, &sprite, true, 200, 0, false, 0, 0, 0.0));
    At(0);
    At(1);
    At(100);
    EXPECT_EQ(1, m_scheduler.TaskCount());
    EXPECT_EQ(127, sprite.Alpha());
    At(200);
    EXPECT_EQ(1, m_scheduler.TaskCount());
    At(201);
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_TRUE(sprite.IsVisible());
    EXPECT_EQ(255, sprite.Alpha());
}

TEST_F(SpriteFadeTest, ACountedEffectCallsEachHookOnce) {
    effecttest::BusyHooks hooks;
    SpriteFadeEffect* effect = Make(2, 0, 1);
    EXPECT_EQ(0, hooks.started);
    ASSERT_EQ(0, effect->SetSprite(0, &m_sprites[0], false, 100, 0, false, 0, 0, 0.0));
    ASSERT_EQ(0, effect->SetSprite(1, &m_sprites[1], false, 300, 0, false, 0, 0, 0.0));
    EXPECT_EQ(1, hooks.started);
    At(0);
    At(100);
    At(300);
    EXPECT_EQ(0, hooks.ended) << "not before the step after the last fade";
    At(301);
    At(400);
    EXPECT_EQ(1, hooks.started);
    EXPECT_EQ(1, hooks.ended);
    // A second round, ended by going away mid-fade.
    Show(m_sprites[0], true, 255);
    ASSERT_EQ(0, effect->SetSprite(0, &m_sprites[0], false, 100, 0, false, 0, 0, 0.0));
    EXPECT_EQ(2, hooks.started);
    At(450);
    m_scheduler.Clear();
    EXPECT_EQ(2, hooks.ended);
}

// --- sp_cfade ---

class CrossFadeTest : public effecttest::SpriteFadeTestBase {
protected:
    void SetUp() override {
        SpriteFadeTestBase::SetUp();
        m_newImage = Picture(2, 12, 12);
    }
    void TearDown() override {
        SpriteFadeTestBase::TearDown();
        List().Clear();
    }
    // An old sprite on the heap (the effect takes it over), in the list at priority 10.
    Sprite* MakeOld(effecttest::DeletionLog* log, bool withImage, std::int32_t x, std::int32_t y) {
        Sprite* old = log ? new effecttest::CountedSprite(*log) : new Sprite;
        if (withImage) {
            auto* image = log ? static_cast<PixelBuffer*>(new effecttest::CountedPicture(*log))
                              : static_cast<PixelBuffer*>(new Image);
            EXPECT_EQ(0, image->Create(20, 12, 32, 0));
            effecttest::FillCoded(*image, 1);
            EXPECT_EQ(0, old->SetImage(image, nullptr, x, y));
        }
        old->SetVisible(1);
        EXPECT_EQ(0, List().Add(old, 10, 0));
        return old;
    }
    static void Release(Sprite* old) {
        SurfaceDelete(old->GetImage());
        delete old;
    }
    std::int32_t Start(const void* freshWord, Sprite* old, std::int32_t duration,
                       ScreenBuffer* target, SpriteCrossFadeEffect** out = nullptr) {
        auto* effect = new SpriteCrossFadeEffect;
        const std::int32_t words[] = {Word(freshWord), Word(old), 30, duration, 0};
        const std::int32_t code = effect->Setup(&m_scheduler, target, words);
        if (code != 0) ReleaseObject(effect);
        else if (out) *out = effect;
        return code;
    }

    std::unique_ptr<Image> m_newImage;
    Sprite m_new;
};

TEST_F(CrossFadeTest, SetupCodesAndModes) {
    MemoryScreen bare;
    FillRectSprite box;
    struct Case {
        const char* name;
        POINT oldAt, newAt;
        bool oldImage, newImage, newListed;
        ScreenBuffer* target;
        bool freshIsBox;
        std::int32_t code;
        bool combined;
    };
    ScreenBuffer* screen = &m_screen;
    const Case cases[] = {
        {"overlapping", {4, 4}, {14, 8}, true, true, true, screen, false, 0, true},
        {"touching", {4, 4}, {24, 4}, true, true, true, screen, false, 0, false},
        {"apart", {4, 4}, {40, 30}, true, true, true, screen, false, 0, false},
        {"only the new picture", {4, 4}, {14, 8}, false, true, true, screen, false, 0, false},
        {"only the old picture", {4, 4}, {14, 8}, true, false, true, screen, false, 0, false},
        {"no picture", {4, 4}, {14, 8}, false, false, true, screen, false, 3, false},
        {"old off the target", {70, 4}, {60, 8}, true, true, true, screen, false, 0, false},
        {"new sprite in no list", {4, 4}, {14, 8}, true, true, false, screen, false, 4, false},
        {"no target", {4, 4}, {14, 8}, true, true, true, nullptr, false, 4, false},
        {"target without image", {4, 4}, {14, 8}, true, true, true, &bare, false, 5, false},
        {"new word not a sprite", {4, 4}, {14, 8}, true, true, true, screen, true, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_clock.SetMs(kStart);
        m_new.Reset();
        List().Clear();
        Sprite* old = MakeOld(nullptr, c.oldImage, c.oldAt.x, c.oldAt.y);
        if (c.newImage) ASSERT_EQ(0, m_new.SetImage(m_newImage.get(), nullptr, c.newAt.x, c.newAt.y));
        m_new.SetVisible(1);
        if (c.newListed) ASSERT_EQ(0, List().Add(&m_new, 20, 0));
        const std::int32_t listed = List().Count();
        SpriteCrossFadeEffect* effect = nullptr;
        const void* fresh = c.freshIsBox ? static_cast<const void*>(&box) : &m_new;
        EXPECT_EQ(c.code, Start(fresh, old, 100, c.target, &effect));
        if (c.code != 0) {
            EXPECT_EQ(listed, List().Count()) << "nothing is left in the list";
            EXPECT_TRUE(m_new.IsVisible()) << "a refused setup changes nothing";
            Release(old);
            continue;
        }
        EXPECT_EQ(c.combined, effect->Combined());
        EXPECT_EQ(listed + (c.combined ? 1 : 0), List().Count());
        EXPECT_FALSE(m_new.IsVisible());
        At(0);
        At(50);
        if (c.combined) {
            EXPECT_FALSE(old->IsVisible());
            EXPECT_TRUE(effect->Working().WorkingSprite()->IsVisible());
        } else {
            if (c.newImage) EXPECT_EQ(127, m_new.Alpha());
            if (c.oldImage && c.oldAt.x < 64) EXPECT_EQ(128, old->Alpha());
        }
        At(100);
        EXPECT_EQ(0, m_scheduler.TaskCount()) << "over after its duration; it took the old sprite";
        if (c.newImage) {
            EXPECT_TRUE(m_new.IsVisible());
            EXPECT_EQ(255, m_new.Alpha());
        }
    }
}

// Whether point (x, y) lies in r.
bool In(const RECT& r, std::int32_t x, std::int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

TEST(CrossFadeBands, UnionAndOldOnlyListsOverRandomPairs) {
    std::mt19937 random(44);
    std::uniform_int_distribution<int> coordinate(0, 24);
    int overlapping = 0;
    for (int round = 0; round < 400; ++round) {
        RECT o, n;
        for (RECT* r : {&o, &n}) {
            int a = coordinate(random), b = coordinate(random), c = coordinate(random),
                d = coordinate(random);
            if (a == b) ++b;
            if (c == d) ++d;
            *r = RECT{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
        }
        const bool overlap =
            o.left < n.right && n.left < o.right && o.top < n.bottom && n.top < o.bottom;
        if (!overlap) continue;
        ++overlapping;
        const RECT u = {std::min(o.left, n.left), std::min(o.top, n.top),
                        std::max(o.right, n.right), std::max(o.bottom, n.bottom)};
        const CrossFadeBands bands = BuildCrossFadeBands(o, n);
        ASSERT_LE(bands.unionCount, 3);
        ASSERT_LE(bands.oldOnlyCount, 4);
        for (int y = -1; y <= 26; ++y) {
            for (int x = -1; x <= 26; ++x) {
                int inUnion = 0, inOldOnly = 0;
                for (int i = 0; i < bands.unionCount; ++i) inUnion += In(bands.unionRects[i], x, y);
                for (int i = 0; i < bands.oldOnlyCount; ++i) inOldOnly += In(bands.oldOnly[i], x, y);
                ASSERT_LE(inUnion, 1) << "union rectangles overlap at " << x << "," << y;
                if (inUnion) ASSERT_TRUE(In(u, x, y));
                if (In(o, x, y) || In(n, x, y)) ASSERT_EQ(1, inUnion) << x << "," << y;
                ASSERT_EQ(In(o, x, y) && !In(n, x, y) ? 1 : 0, inOldOnly) << x << "," << y;
            }
        }
    }
    EXPECT_GT(overlapping, 50) << "the run must exercise the overlapping pairs";
}

// The working picture at opacity b against a model that applies clear, copy, AlphaLevel and
// BlendOpacity to each pixel by itself.
TEST_F(CrossFadeTest, CombinedPixelsMatchThePerPixelModel) {
    std::unique_ptr<Image> a = Picture(1, 20, 12);
    std::unique_ptr<Image> b = Picture(2, 12, 14);
    const RECT rectA = {0, 3, 20, 15};
    const RECT rectB = {6, 0, 18, 14};  // inside A's columns: A shows on both sides
    CrossFadePicture working;
    PicturePart partA{a.get(), RECT{0, 0, 20, 12}};
    PicturePart partB{b.get(), RECT{0, 0, 12, 14}};
    ASSERT_TRUE(working.Create(partA, partB, rectA, rectB, 20, 15, 0, 0, &List(), 30, 0, 0));
    auto one = [](std::uint32_t value) {
        auto image = std::make_unique<Image>();
        EXPECT_EQ(0, image->Create(1, 1, 32, 0));
        image->SetPixel(0, 0, value);
        image->SetHasAlpha(true);
        return image;
    };
    for (int level : {128, 255, 0}) {
        SCOPED_TRACE(level);
        const auto opacity = static_cast<std::uint8_t>(level);
        EXPECT_TRUE(working.Render(opacity));
        for (std::int32_t y = 0; y < 15; ++y) {
            for (std::int32_t x = 0; x < 20; ++x) {
                const bool inA = In(rectA, x, y), inB = In(rectB, x, y);
                std::uint32_t expected = 0;
                if (inA) {
                    auto pixel = one(effecttest::Coded(1, x - rectA.left, y - rectA.top));
                    if (!inB) pixel->AlphaLevel(static_cast<std::uint16_t>(255 - opacity), nullptr);
                    if (inB) {
                        auto source = one(effecttest::Coded(2, x - rectB.left, y - rectB.top));
                        pixel->BlendOpacity(source.get(), opacity, 0, 0, nullptr);
                    }
                    expected = reinterpret_cast<const std::uint32_t*>(pixel->Row(0))[0];
                } else if (inB) {
                    auto pixel = one(0);
                    auto source = one(effecttest::Coded(2, x - rectB.left, y - rectB.top));
                    pixel->BlendOpacity(source.get(), opacity, 0, 0, nullptr);
                    expected = reinterpret_cast<const std::uint32_t*>(pixel->Row(0))[0];
                }
                ASSERT_EQ(expected,
                          reinterpret_cast<const std::uint32_t*>(working.WorkingImage()->Row(y))[x])
                    << x << "," << y;
            }
        }
    }
    EXPECT_FALSE(working.Render(0)) << "the same opacity again draws nothing";
}

TEST_F(CrossFadeTest, TheEffectDrawsItsWorkingPictureFromTheClippedSprites) {
    // The old sprite is cut by the screen's left edge: its picture starts 3 columns in.
    Sprite* old = MakeOld(nullptr, true, -3, 10);
    ASSERT_EQ(0, m_new.SetImage(m_newImage.get(), nullptr, 8, 4));
    ASSERT_EQ(0, List().Add(&m_new, 20, 0));
    SpriteCrossFadeEffect* effect = nullptr;
    ASSERT_EQ(0, Start(&m_new, old, 1000, &m_screen, &effect));
    ASSERT_TRUE(effect->Combined());
    Sprite* working = effect->Working().WorkingSprite();
    EXPECT_EQ(0, working->X());
    EXPECT_EQ(4, working->Y());
    Image* image = effect->Working().WorkingImage();
    ASSERT_EQ(20, image->Width());
    ASSERT_EQ(18, image->Height());
    auto at = [&](std::int32_t x, std::int32_t y) {
        return reinterpret_cast<const std::uint32_t*>(image->Row(y))[x];
    };
    EXPECT_EQ(effecttest::Coded(1, 3, 0), at(0, 6));
    EXPECT_EQ(0u, at(0, 0)) << "above the old picture, left of the new one";
    At(0);
    At(502);  // b = 128
    EXPECT_NE(effecttest::Coded(1, 3, 0), at(0, 6)) << "the old-only part fades";
    EXPECT_EQ(1, m_scheduler.TaskCount());
}

TEST_F(CrossFadeTest, ATransformedOldSpriteGivesItsRenderedPicture) {
    struct Case {
        const char* name;
        bool stretch;
    };
    for (const Case c : {Case{"stretched to 40 x 12", true}, Case{"a quarter turn", false}}) {
        SCOPED_TRACE(c.name);
        m_clock.SetMs(kStart);
        List().Clear();
        m_new.Reset();
        Sprite* old = MakeOld(nullptr, true, 4, 4);
        if (c.stretch) ASSERT_TRUE(old->SetStretch(40, 12));
        else ASSERT_EQ(1, old->SetRotationZoom(128, 1.0));
        RECT bounds;
        old->GetBounds(&bounds);
        ASSERT_EQ(0, m_new.SetImage(m_newImage.get(), nullptr, bounds.right - 4, bounds.bottom - 4));
        ASSERT_EQ(0, List().Add(&m_new, 20, 0));
        SpriteCrossFadeEffect* effect = nullptr;
        ASSERT_EQ(0, Start(&m_new, old, 100, &m_screen, &effect));
        ASSERT_TRUE(effect->Combined());
        Image* working = effect->Working().WorkingImage();
        auto* cache = const_cast<Image*>(old->Cache());
        ASSERT_NE(nullptr, cache);
        EXPECT_EQ(bounds.right - bounds.left + 8, working->Width());
        for (std::int32_t y = 0; y < bounds.bottom - bounds.top - 4; y += 3) {
            for (std::int32_t x = 0; x < bounds.right - bounds.left; x += 3) {
                ASSERT_EQ(reinterpret_cast<const std::uint32_t*>(cache->Row(y))[x],
                          reinterpret_cast<const std::uint32_t*>(working->Row(y))[x])
                    << x << "," << y;
            }
        }
        m_scheduler.Clear();
    }
}

TEST_F(CrossFadeTest, DurationZeroRunsAsOneMillisecond) {
    Sprite* old = MakeOld(nullptr, true, 4, 4);
    ASSERT_EQ(0, m_new.SetImage(m_newImage.get(), nullptr, 30, 30));
    ASSERT_EQ(0, List().Add(&m_new, 20, 0));
    ASSERT_EQ(0, Start(&m_new, old, 0, &m_screen));
    At(0);
    EXPECT_TRUE(m_new.IsVisible());
    EXPECT_EQ(0, m_new.Alpha()) << "the first step draws the start state";
    EXPECT_EQ(1, m_scheduler.TaskCount());
    At(1);
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(255, m_new.Alpha());
}

TEST_F(CrossFadeTest, OwnershipOfTheOldSpriteAndItsImage) {
    ASSERT_EQ(0, m_new.SetImage(m_newImage.get(), nullptr, 14, 8));
    ASSERT_EQ(0, List().Add(&m_new, 20, 0));
    {
        SCOPED_TRACE("after success the effect deletes the image, then the sprite");
        effecttest::DeletionLog log;
        Sprite* old = MakeOld(&log, true, 4, 4);
        ASSERT_EQ(0, Start(&m_new, old, 100, &m_screen));
        At(0);
        EXPECT_TRUE(log.entries.empty());
        At(100);
        EXPECT_EQ((std::vector<std::string>{"image", "sprite"}), log.entries);
    }
    {
        SCOPED_TRACE("a refusal deletes nothing of the caller's");
        effecttest::DeletionLog log;
        Sprite* old = MakeOld(&log, true, 4, 4);
        EXPECT_EQ(4, Start(&m_new, old, 100, nullptr));
        EXPECT_TRUE(log.entries.empty());
        Release(old);
    }
}

int g_creations = 0;
int g_failAt = 0;
bool CountingGate() { return ++g_creations != g_failAt; }

TEST_F(CrossFadeTest, AWorkingImageOrSpriteThatCannotBeMadeAnswers7) {
    ASSERT_EQ(0, m_new.SetImage(m_newImage.get(), nullptr, 14, 8));
    ASSERT_EQ(0, List().Add(&m_new, 20, 0));
    m_new.SetVisible(1);
    const EffectCreationGate saved = SetEffectCreationGate(&CountingGate);
    for (int failAt : {1, 2}) {
        SCOPED_TRACE(failAt);
        g_creations = 0;
        g_failAt = failAt;
        effecttest::DeletionLog log;
        Sprite* old = MakeOld(&log, true, 4, 4);
        const std::int32_t listed = List().Count();
        EXPECT_EQ(7, Start(&m_new, old, 100, &m_screen));
        EXPECT_EQ(listed, List().Count());
        EXPECT_TRUE(log.entries.empty());
        EXPECT_TRUE(m_new.IsVisible());
        EXPECT_TRUE(old->IsVisible());
        EXPECT_EQ(0, m_scheduler.TaskCount());
        Release(old);
    }
    SetEffectCreationGate(saved);
}

}  // namespace
