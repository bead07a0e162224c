// Drawables destroyed while a screen transition runs, whether they sit in the screen's overlay
// list, its canvas's own list or the other screen's overlay: each leaves its list at once, the
// transition and the presents after it never reach it again, and the place it was shown is
// repainted. A destroyed drawable's memory is kept and holds a marker drawable that counts every
// call still made through an old pointer, so a dangling reference shows as a count, not as luck.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/graphics/surfaces/screen_test_support.h"
#include "tests/support/recording_transition.h"

namespace {

using spritetest::ProbeDrawable;
using testsupport::RecordingTransition;

constexpr std::uint32_t kBackground = 0x00203040;

// Counts every call made into it; put where a destroyed drawable was.
class Marker : public Drawable {
public:
    explicit Marker(int* calls) : m_calls(calls) {}

    bool IsVisible() const override { return Touch(false); }
    void SetVisible(std::uint8_t) override { Touch(false); }
    bool IsDirty() const override { return Touch(false); }
    void SetDirty(std::uint8_t) override { Touch(false); }
    std::int32_t X() const override { return Touch(0); }
    std::int32_t Y() const override { return Touch(0); }
    std::uint8_t BlendMode() const override { return Touch(std::uint8_t{0}); }
    std::uint8_t Alpha() const override { return Touch(std::uint8_t{0}); }
    std::int32_t Width() const override { return Touch(0); }
    std::int32_t Height() const override { return Touch(0); }
    std::int32_t Kind() const override { return Touch(3); }
    std::int32_t SetBlendMode(std::uint8_t) override { return Touch(0); }
    std::int32_t SetAlpha(std::uint8_t) override { return Touch(0); }
    bool SetPosition(std::int32_t, std::int32_t) override { return Touch(false); }
    bool MoveBy(std::int32_t, std::int32_t) override { return Touch(false); }
    bool SetSize(std::int32_t, std::int32_t) override { return Touch(false); }
    bool SetSizeAndPosition(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {
        return Touch(false);
    }
    bool InvalidateArea(const RECT&) override { return Touch(false); }
    bool HitTest(std::int32_t, std::int32_t, bool) override { return Touch(false); }
    bool Overlaps(Drawable*) override { return Touch(false); }
    const RECT& BoundsRef() const override {
        Touch(0);
        return m_bounds;
    }
    void GetBounds(RECT* out) override { *out = Touch(m_bounds); }
    std::int32_t DrawKeepDirty(Image*) override { return Touch(0); }
    std::int32_t Render(Image*, RECT*) override { return Touch(1); }
    void RenderClipped(Image*, const RECT&) override { Touch(0); }
    void Reset() override { Touch(0); }

protected:
    void UpdateBounds() override { Touch(0); }
    bool ShowsSomething() const override { return Touch(false); }

private:
    template <class T>
    T Touch(T value) const {
        ++*m_calls;
        return value;
    }
    int* m_calls;
};

// Storage for one drawable of type T that outlives it: Kill destroys the drawable and leaves a
// Marker in its memory.
template <class T>
class Grave {
public:
    template <class... Args>
    explicit Grave(Args&&... args) {
        m_live = new (m_storage) T(std::forward<Args>(args)...);
    }
    ~Grave() {
        if (m_live) m_live->~T();
        if (m_marker) m_marker->~Marker();
    }
    Grave(const Grave&) = delete;
    Grave& operator=(const Grave&) = delete;

    T* Get() const { return m_live; }
    // The address the drawable had, alive or not.
    const Drawable* Address() const { return reinterpret_cast<const Drawable*>(m_storage); }
    void Kill() {
        m_live->~T();
        m_live = nullptr;
        m_marker = new (m_storage) Marker(&m_callsAfterDeath);
    }
    bool Dead() const { return m_marker != nullptr; }
    int CallsAfterDeath() const { return m_callsAfterDeath; }

private:
    alignas(16) unsigned char m_storage[std::max(sizeof(T), sizeof(Marker))];
    T* m_live = nullptr;
    Marker* m_marker = nullptr;
    int m_callsAfterDeath = 0;
};

class OverlayLifetimeTest : public spritetest::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(0, m_screen.Create(96, 64, 32, 2));
        ASSERT_EQ(0, m_other.Create(96, 64, 32, 2));
        ASSERT_EQ(0, m_screen.SetAlternate(&m_other));
        for (Image* background : {&m_background, &m_otherBackground}) {
            ASSERT_EQ(0, background->Create(96, 64, 32, 0));
            ASSERT_TRUE(background->FillValue(kBackground, nullptr));
        }
        m_screen.GetCanvas()->SetSource(&m_background, 0, 0, true);
        m_other.GetCanvas()->SetSource(&m_otherBackground, 0, 0, true);
        ASSERT_TRUE(screentest::SentinelPicture(m_window, 96, 64));
        ASSERT_TRUE(screentest::SentinelPicture(m_otherWindow, 96, 64));
    }
    std::int32_t Present(GdiScreen& screen, Image& window, bool dirtyOnly) {
        return screen.Present(nullptr, window.MemoryDc(), nullptr, 0, dirtyOnly);
    }

    GdiScreen m_screen;
    GdiScreen m_other;
    Image m_background;
    Image m_otherBackground;
    Image m_window;
    Image m_otherWindow;
};

enum class Where { ScreenOverlay, OwnList, OtherOverlay };
// Between two frames, or from inside a frame: while the list holding the killer is drawn (the
// overlay on top of the transition frame, or the own list as a canvas is redrawn, where a
// Scenes transition has detached the overlay from the canvas for the time).
enum class When { BetweenFrames, FromTheVictimsList, FromTheOverlay, FromTheOwnList };

TEST_F(OverlayLifetimeTest, ADrawableDestroyedMidTransitionLeavesItsListAndIsNeverReachedAgain) {
    struct Case {
        const char* name;
        TransitionMode mode;
        std::uint8_t kind;
        Where where;
        When when;
        // FromTheVictimsList: the killer is drawn before the victim in the walk (it dies ahead of
        // the walk), else after it (it dies behind).
        bool killAhead;
        bool swapAtEnd;
    };
    const Case cases[] = {
        {"pictures, overlay, between frames", kTransitionPictures, 0, Where::ScreenOverlay,
         When::BetweenFrames, false, false},
        {"pictures, overlay, ahead of the overlay walk", kTransitionPictures, 0,
         Where::ScreenOverlay, When::FromTheVictimsList, true, false},
        {"pictures, overlay, behind the overlay walk", kTransitionPictures, 2,
         Where::ScreenOverlay, When::FromTheVictimsList, false, false},
        {"scenes, overlay, between frames, swapped", kTransitionScenes, 0, Where::ScreenOverlay,
         When::BetweenFrames, false, true},
        {"scenes, overlay, ahead of the overlay walk, swapped", kTransitionScenes, 0,
         Where::ScreenOverlay, When::FromTheVictimsList, true, true},
        {"scenes, overlay, while the own list is redrawn", kTransitionScenes, 0,
         Where::ScreenOverlay, When::FromTheOwnList, false, false},
        {"scenes, own list, between frames, swapped", kTransitionScenes, 0, Where::OwnList,
         When::BetweenFrames, false, true},
        {"scenes, own list, behind its redraw walk", kTransitionScenes, 1, Where::OwnList,
         When::FromTheVictimsList, false, false},
        {"scenes, the other screen's overlay, between frames, swapped", kTransitionScenes, 0,
         Where::OtherOverlay, When::BetweenFrames, false, true},
        {"scenes, the other screen's overlay, while its own list is redrawn, swapped",
         kTransitionScenes, 0, Where::OtherOverlay, When::FromTheOwnList, false, true},
        {"backgrounds, overlay, ahead of the overlay walk, swapped", kTransitionBackgrounds, 0,
         Where::ScreenOverlay, When::FromTheVictimsList, true, true},
        {"backgrounds, overlay, from the own list drawn on top", kTransitionBackgrounds, 2,
         Where::ScreenOverlay, When::FromTheOwnList, false, false},
        {"backgrounds, own list, from the overlay", kTransitionBackgrounds, 0, Where::OwnList,
         When::FromTheOverlay, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GdiScreen& owner = c.where == Where::OtherOverlay ? m_other : m_screen;
        SpriteList* victimList = c.where == Where::OwnList ? &owner.GetCanvas()->Sprites()
                                                           : owner.GetOverlayList();
        SpriteList* killerList = c.where == Where::OwnList ? owner.GetOverlayList()
                                                           : &owner.GetCanvas()->Sprites();
        // Lists are drawn tail to head: below, the victim, above.
        Grave<ProbeDrawable> victim(RECT{30, 20, 50, 40}, 0xFFFF0000);
        ProbeDrawable above(RECT{0, 0, 10, 10}, 0xFF00FF00);
        ProbeDrawable below(RECT{80, 50, 90, 60}, 0xFF0000FF);
        ProbeDrawable elsewhere(RECT{60, 0, 70, 10}, 0xFF00FFFF);
        ASSERT_EQ(0, victimList->Add(&above, 1, 0));
        ASSERT_EQ(0, victimList->Add(victim.Get(), 2, 0));
        ASSERT_EQ(0, victimList->Add(&below, 3, 0));
        ASSERT_EQ(0, killerList->Add(&elsewhere, 1, 0));
        ASSERT_EQ(0, Present(m_screen, m_window, false));
        ASSERT_EQ(0, Present(m_other, m_otherWindow, false));
        ASSERT_EQ(0xFF0000u, owner.GetImage()->GetPixel(40, 30) & 0xFFFFFF);

        auto* t = new RecordingTransition(c.kind);
        t->statuses = {0, 0, 0, 1};
        ASSERT_EQ(0, m_screen.BeginTransition(t, c.mode, c.swapAtEnd, false));
        ASSERT_EQ(0, Present(m_screen, m_window, true));
        const auto kill = [&victim] {
            if (!victim.Dead()) victim.Kill();
        };
        switch (c.when) {
        case When::BetweenFrames:
            victim.Kill();
            break;
        case When::FromTheVictimsList:
            (c.killAhead ? below : above).onRenderClipped = kill;
            // A canvas redraws only what changed.
            above.MoveBy(1, 0);
            break;
        case When::FromTheOverlay:
        case When::FromTheOwnList:
            elsewhere.onRenderClipped = kill;
            elsewhere.MoveBy(1, 0);
            break;
        }
        while (m_screen.InTransition()) ASSERT_EQ(0, Present(m_screen, m_window, true));
        EXPECT_TRUE(victim.Dead()) << "no frame called the killer";
        EXPECT_EQ(0, victim.CallsAfterDeath());
        EXPECT_EQ(nullptr, victimList->Find(victim.Address()));
        EXPECT_EQ(2, victimList->Count());
        EXPECT_EQ(m_screen.GetOverlayList(), m_screen.GetCanvas()->Overlay());
        EXPECT_EQ(m_other.GetOverlayList(), m_other.GetCanvas()->Overlay());

        // The screen whose canvas now draws the victim's list shows where it was repainted.
        above.onRenderClipped = below.onRenderClipped = elsewhere.onRenderClipped = nullptr;
        const auto draws = [victimList](GdiScreen& s) {
            return s.GetOverlayList() == victimList || &s.GetCanvas()->Sprites() == victimList;
        };
        GdiScreen& shower = draws(m_screen) ? m_screen : m_other;
        Image& showerWindow = &shower == &m_screen ? m_window : m_otherWindow;
        Present(m_screen, m_window, true);
        Present(m_other, m_otherWindow, true);
        EXPECT_EQ(0, victim.CallsAfterDeath());
        EXPECT_EQ(kBackground, shower.GetImage()->GetPixel(40, 30) & 0xFFFFFF);
        EXPECT_EQ(kBackground, showerWindow.GetPixel(40, 30) & 0xFFFFFF);

        victimList->Remove(&above);
        victimList->Remove(&below);
        elsewhere.Detach();
        // Back to the starting state for the next case.
        if (c.swapAtEnd && c.mode == kTransitionScenes) m_screen.SwapCanvases(&m_other);
    }
}

// A real sprite through the library, in the overlay, destroyed between transition frames.
TEST_F(OverlayLifetimeTest, ALibrarySpriteDestroyedMidTransition) {
    Image picture;
    ASSERT_EQ(0, picture.Create(16, 16, 32, 0));
    ASSERT_TRUE(picture.FillValue(0x80FF8000, nullptr));
    picture.SetHasAlpha(true);
    Grave<Sprite> victim;
    ASSERT_EQ(0, victim.Get()->SetImage(&picture, nullptr, 40, 30));
    Sprite kept;
    ASSERT_EQ(0, kept.SetImage(&picture, nullptr, 4, 4));
    ASSERT_EQ(0, m_screen.GetOverlayList()->Add(victim.Get(), 2, 0));
    ASSERT_EQ(0, m_screen.GetOverlayList()->Add(&kept, 1, 0));
    ASSERT_EQ(0, Present(m_screen, m_window, false));
    ASSERT_NE(kBackground, m_window.GetPixel(45, 35) & 0xFFFFFF);
    auto* t = new RecordingTransition(0);
    t->statuses = {0, 0, 1};
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionScenes, false, false));
    ASSERT_EQ(0, Present(m_screen, m_window, true));
    victim.Kill();
    while (m_screen.InTransition()) ASSERT_EQ(0, Present(m_screen, m_window, true));
    ASSERT_EQ(0, Present(m_screen, m_window, true));
    EXPECT_EQ(0, victim.CallsAfterDeath());
    EXPECT_EQ(1, m_screen.GetOverlayList()->Count());
    EXPECT_EQ(kBackground, m_window.GetPixel(45, 35) & 0xFFFFFF);
    EXPECT_NE(kBackground, m_window.GetPixel(8, 8) & 0xFFFFFF);
}

// The screen goes first, in the middle of a transition: its sprites are left outside any list
// and their later destruction touches nothing of it.
TEST_F(OverlayLifetimeTest, AScreenReleasedMidTransitionLetsGoOfItsSprites) {
    ProbeDrawable own(RECT{0, 0, 8, 8}, 0xFF00FF00);
    auto victim = std::make_unique<ProbeDrawable>(RECT{30, 20, 50, 40}, 0xFFFF0000);
    ProbeDrawable otherOverlay(RECT{10, 10, 20, 20}, 0xFF0000FF);
    {
        GdiScreen screen;
        ASSERT_EQ(0, screen.Create(96, 64, 32, 2));
        ASSERT_EQ(0, screen.SetAlternate(&m_other));
        ASSERT_EQ(0, screen.GetCanvas()->Sprites().Add(&own, 1, 0));
        ASSERT_EQ(0, screen.GetOverlayList()->Add(victim.get(), 1, 0));
        ASSERT_EQ(0, m_other.GetOverlayList()->Add(&otherOverlay, 1, 0));
        ASSERT_EQ(0, screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, false));
        ASSERT_EQ(0, screen.BeginTransition(new RecordingTransition(0), kTransitionScenes, true,
                                            false));
        ASSERT_EQ(0, screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, true));
    }
    EXPECT_EQ(nullptr, own.List());
    EXPECT_EQ(nullptr, victim->List());
    victim.reset();
    EXPECT_EQ(m_other.GetOverlayList(), otherOverlay.List());
    EXPECT_EQ(m_other.GetOverlayList(), m_other.GetCanvas()->Overlay());
    EXPECT_EQ(0, Present(m_other, m_otherWindow, false));
    m_other.GetOverlayList()->Remove(&otherOverlay);
}

}  // namespace
