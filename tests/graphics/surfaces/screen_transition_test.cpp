// Screen transitions on GdiScreen with a recording transition: strips, the record handed to
// Draw in each mode, the begin codes, the end by Update or Status, hooks, swaps, retries, the
// sprites kept on top, and frames into a fake 5-6-5 surface.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/compose/pixel_format.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/graphics/surfaces/screen_test_support.h"
#include "tests/support/fake_dd_surface.h"
#include "tests/support/recording_transition.h"

namespace {

using spritetest::ProbeDrawable;
using testsupport::FakeDdSurface;
using testsupport::RecordingTransition;

class TransitionTest : public spritetest::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        g_stripRedraw = true;
    }
    void TearDown() override {
        g_stripRedraw = true;
        g_effectBeginHook = nullptr;
        g_effectEndHook = nullptr;
        LibraryTest::TearDown();
    }
    // This screen and its alternate, both with canvases, of the given size.
    void MakeScreens(std::int32_t width, std::int32_t height, std::int32_t depth = 32) {
        ASSERT_EQ(0, m_screen.Create(width, height, depth, 2));
        ASSERT_EQ(0, m_other.Create(width, height, depth, 2));
        ASSERT_EQ(0, m_screen.SetAlternate(&m_other));
        ASSERT_TRUE(screentest::SentinelPicture(m_window, width, height));
    }
    std::int32_t Frame() { return m_screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, true); }

    GdiScreen m_screen;
    GdiScreen m_other;
    Image m_window;
};

// count strips of height, then the rest.
std::vector<std::int32_t> Strips(std::int32_t height, int count, std::int32_t rest) {
    std::vector<std::int32_t> out(count, height);
    out.push_back(rest);
    return out;
}

TEST_F(TransitionTest, StripHeightsByScreenWidthWithAShortLastStrip) {
    struct Case {
        std::int32_t width;
        std::uint8_t kind;
        bool strips;
        std::vector<std::int32_t> heights;
    };
    const Case cases[] = {
        {39, 0, true, {128, 72}}, {40, 0, true, {64, 64, 64, 8}}, {79, 0, true, {64, 64, 64, 8}},
        {80, 0, true, {32, 32, 32, 32, 32, 32, 8}}, {159, 2, true, {32, 32, 32, 32, 32, 32, 8}},
        {160, 0, true, Strips(16, 12, 8)}, {319, 0, true, Strips(16, 12, 8)},
        {320, 0, true, std::vector<std::int32_t>(25, 8)},
        {320, 1, true, {200}}, {320, 3, true, {200}}, {320, 0, false, {200}},
    };
    for (const Case& c : cases) {
        GdiScreen screen, other;
        ASSERT_EQ(0, screen.Create(c.width, 200, 32, 1));
        ASSERT_EQ(0, other.Create(c.width, 200, 32, 1));
        ASSERT_EQ(0, screen.SetAlternate(&other));
        Image window;
        ASSERT_TRUE(screentest::SentinelPicture(window, c.width, 200));
        auto* t = new RecordingTransition(c.kind);
        ASSERT_EQ(0, screen.BeginTransition(t, kTransitionPictures, false, false));
        g_stripRedraw = c.strips;
        ASSERT_EQ(0, screen.Present(nullptr, window.MemoryDc(), nullptr, 0, true));
        g_stripRedraw = true;
        std::vector<std::int32_t> heights;
        std::int32_t y = 0;
        for (const TransitionBlit& b : t->blits) {
            heights.push_back(b.height);
            EXPECT_EQ(y, b.areaY) << c.width;
            EXPECT_EQ(c.width, b.width);
            y += b.height;
        }
        EXPECT_EQ(c.heights, heights) << "width " << c.width << " kind " << int(c.kind);
    }
}

TEST_F(TransitionTest, TheRecordWordsInEachMode) {
    MakeScreens(64, 40);
    Image background, otherBackground;
    ASSERT_EQ(0, background.Create(64, 40, 32, 0));
    ASSERT_EQ(0, otherBackground.Create(80, 50, 32, 0));
    m_screen.GetCanvas()->SetSource(&background, 0, 0, true);
    m_other.GetCanvas()->SetSource(&otherBackground, 0, 0, true);
    struct Case {
        TransitionMode mode;
        std::uint8_t kind;
        Image* first;
        Image* second;
    };
    const Case cases[] = {
        {kTransitionPictures, 0, m_screen.GetImage(), m_other.GetImage()},
        {kTransitionPictures, 2, m_screen.GetImage(), nullptr},
        {kTransitionScenes, 1, m_screen.GetImage(), m_other.GetImage()},
        {kTransitionBackgrounds, 0, &background, &otherBackground},
        {kTransitionBackgrounds, 3, &background, nullptr},
    };
    for (const Case& c : cases) {
        auto* t = new RecordingTransition(c.kind);
        ASSERT_EQ(0, m_screen.BeginTransition(t, c.mode, false, false)) << int(c.mode);
        ASSERT_EQ(0, Frame());
        ASSERT_FALSE(t->blits.empty());
        const TransitionBlit& b = t->blits.back();
        const std::int32_t y = b.areaY;
        EXPECT_EQ(m_screen.GetTransitionImage(), b.target);
        EXPECT_EQ(c.first, b.from) << int(c.mode) << " kind " << int(c.kind);
        EXPECT_EQ(c.second, b.to) << int(c.mode) << " kind " << int(c.kind);
        const std::int32_t words[] = {b.areaX, b.width, b.targetX, b.targetY, b.fromX, b.fromY,
                                      b.toX, b.toY};
        const std::int32_t expected[] = {0, 64, 0, y, 0, y, 0, y};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(expected[i], words[i]) << i;
        m_screen.EndTransition(false);
    }
}

TEST_F(TransitionTest, BeginCodes) {
    // Refused transitions stay with the caller.
    RecordingTransition kept(0);
    GdiScreen plain;
    ASSERT_EQ(0, plain.Create(32, 16, 32, 0));
    EXPECT_EQ(1, plain.BeginTransition(&kept, kTransitionPictures, false, false));
    MakeScreens(32, 16);
    GdiScreen lonely;
    ASSERT_EQ(0, lonely.Create(32, 16, 32, 1));
    EXPECT_EQ(2, lonely.BeginTransition(&kept, kTransitionPictures, false, false));
    GdiScreen noCanvas;
    ASSERT_EQ(0, noCanvas.Create(32, 16, 32, 0));
    ASSERT_EQ(0, lonely.SetAlternate(&noCanvas));
    EXPECT_EQ(3, lonely.BeginTransition(&kept, kTransitionScenes, false, false));
    EXPECT_EQ(0, lonely.BeginTransition(nullptr, kTransitionScenes, false, false));
    // Backgrounds: none, too small, of another depth, or on the other side missing.
    EXPECT_EQ(4, m_screen.BeginTransition(&kept, kTransitionBackgrounds, false, false));
    Image small, grey, fits;
    ASSERT_EQ(0, small.Create(31, 16, 32, 0));
    ASSERT_EQ(0, grey.Create(32, 16, 8, 0));
    ASSERT_EQ(0, fits.Create(32, 16, 32, 0));
    for (Image* wrong : {&small, &grey}) {
        m_screen.GetCanvas()->SetSource(wrong, 0, 0, false);
        EXPECT_EQ(4, m_screen.BeginTransition(&kept, kTransitionBackgrounds, false, false));
    }
    m_screen.GetCanvas()->SetSource(&fits, 0, 0, false);
    EXPECT_EQ(4, m_screen.BeginTransition(&kept, kTransitionBackgrounds, false, false));
    RecordingTransition single(2);
    EXPECT_EQ(0, m_screen.BeginTransition(&single, kTransitionBackgrounds, false, false));
    EXPECT_TRUE(m_screen.InTransition());
    single.AddHolder();  // the screen's release lowers the count instead of deleting
    m_screen.EndTransition(false);
    MemoryScreen memory;
    ASSERT_EQ(0, memory.CreateSimple(32, 16, 32, true));
    EXPECT_EQ(-1, memory.BeginTransition(&kept, kTransitionPictures, false, false));
}

TEST_F(TransitionTest, ANonzeroUpdateEndsWithoutDrawingAndStatusEndsAfterDrawing) {
    MakeScreens(200, 32);  // two strips of 16 rows a frame
    bool deleted = false;
    auto* t = new RecordingTransition(0, &deleted);
    t->updates = {0, 5};
    t->AddHolder();  // kept alive past the end, to be read
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionPictures, false, false));
    ASSERT_EQ(0, Frame());
    EXPECT_EQ(2u, t->blits.size());
    EXPECT_EQ(0, Frame());
    EXPECT_FALSE(m_screen.InTransition());
    EXPECT_EQ(2u, t->blits.size());
    EXPECT_EQ(0, t->ExtraHolders());  // the screen released its hold
    EXPECT_FALSE(deleted);
    ReleaseObject(t);
    EXPECT_TRUE(deleted);

    t = new RecordingTransition(0);
    t->statuses = {0, 7};
    t->AddHolder();
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionPictures, false, false));
    ASSERT_EQ(0, Frame());
    EXPECT_TRUE(m_screen.InTransition());
    ASSERT_EQ(0, Frame());
    EXPECT_EQ(4u, t->blits.size());  // the last frame is drawn, then it ends
    EXPECT_FALSE(m_screen.InTransition());
    ReleaseObject(t);
}

int g_begins = 0;
int g_ends = 0;

TEST_F(TransitionTest, HooksRunOnceEachWayAndOnlyWhenAsked) {
    MakeScreens(32, 16);
    g_begins = g_ends = 0;
    g_effectBeginHook = [] { ++g_begins; };
    g_effectEndHook = [] { ++g_ends; };
    ASSERT_EQ(0, m_screen.BeginTransition(new RecordingTransition(0), kTransitionPictures, false,
                                          true));
    EXPECT_EQ(1, g_begins);
    EXPECT_EQ(0, g_ends);
    // A new transition ends the running one first.
    ASSERT_EQ(0, m_screen.BeginTransition(new RecordingTransition(0), kTransitionPictures, false,
                                          false));
    EXPECT_EQ(1, g_begins);
    EXPECT_EQ(1, g_ends);
    m_screen.EndTransition(false);
    EXPECT_EQ(1, g_ends);
    g_effectBeginHook = nullptr;  // null hooks are skipped
    ASSERT_EQ(0, m_screen.BeginTransition(new RecordingTransition(0), kTransitionPictures, false,
                                          true));
    m_screen.EndTransition(false);
    EXPECT_EQ(2, g_ends);
}

TEST_F(TransitionTest, SwapAtEndKeepsEachScreensOverlayList) {
    MakeScreens(32, 16);
    Canvas* mine = m_screen.GetCanvas();
    Canvas* theirs = m_other.GetCanvas();
    auto* t = new RecordingTransition(0);
    t->statuses = {1};
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionScenes, true, false));
    ASSERT_EQ(0, Frame());
    EXPECT_FALSE(m_screen.InTransition());
    EXPECT_EQ(theirs, m_screen.GetCanvas());
    EXPECT_EQ(mine, m_other.GetCanvas());
    EXPECT_EQ(m_screen.GetOverlayList(), m_screen.GetCanvas()->Overlay());
    EXPECT_EQ(m_other.GetOverlayList(), m_other.GetCanvas()->Overlay());
    EXPECT_EQ(m_screen.GetImage(), m_screen.GetCanvas()->Target());
    EXPECT_EQ(m_other.GetImage(), m_other.GetCanvas()->Target());
}

TEST_F(TransitionTest, AFailedLockOrDeviceContextIsRetriedAtTheNextPresent) {
    MakeScreens(64, 32);
    FakeDdSurface surface(64, 32, testsupport::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0));
    auto* t = new RecordingTransition(0);
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionPictures, false, false));
    surface.failLock = true;
    EXPECT_EQ(2, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatRgb565, true));
    EXPECT_TRUE(m_screen.InTransition());
    EXPECT_EQ(1, m_screen.Present(nullptr, nullptr, nullptr, 0, true));
    EXPECT_TRUE(m_screen.InTransition());
    EXPECT_TRUE(t->blits.empty());
    surface.failLock = false;
    t->fill = true;
    t->fillValue = 0x00FFFFFF;
    surface.lockCalls = 0;
    EXPECT_EQ(0, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatRgb565, true));
    EXPECT_EQ(1, surface.lockCalls);
    EXPECT_EQ(surface.locks, surface.unlocks);
    EXPECT_EQ(1u, t->blits.size());  // 64 wide: one strip of 64 rows
    EXPECT_EQ(0xFFFFu, surface.Pixel32(0, 0));
    EXPECT_EQ(0xFFFFu, surface.Pixel32(63, 31));
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{0, 0, 64, 32}));
}

TEST_F(TransitionTest, FramesIntoASurfaceSmallerThanTheScreenStayInside) {
    MakeScreens(64, 32);
    FakeDdSurface surface(40, 20, testsupport::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0));
    auto* t = new RecordingTransition(0);
    t->fill = true;
    t->fillValue = 0x00808080;
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionPictures, false, false));
    EXPECT_EQ(0, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatRgb565, true));
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{0, 0, 40, 20}));
    EXPECT_EQ(0x8410u, surface.Pixel32(39, 19));
}

TEST_F(TransitionTest, EightBitFramesReachTheSurfaceThroughTheBackBuffersPalette) {
    MakeScreens(64, 32, 8);
    std::uint32_t palette[256];
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = 0x00FFFFFF - i * 0x010101;
    ASSERT_EQ(0, m_screen.GetImage()->SetPalette(palette, 256, 0));
    FakeDdSurface surface(64, 32, testsupport::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0));
    auto* t = new RecordingTransition(0);
    t->fill = true;
    t->fillValue = 0x7F;  // entry 0x7F: 0x808080
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionPictures, false, false));
    ASSERT_EQ(0, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatRgb565, true));
    EXPECT_EQ(0x8410u, surface.Pixel32(0, 0));
    EXPECT_EQ(0x8410u, surface.Pixel32(63, 31));
}

TEST_F(TransitionTest, OverlaySpritesStayOnTopDrawnTailToHead) {
    MakeScreens(64, 48);
    ProbeDrawable back(RECT{0, 0, 30, 30}, 0xFF0000FF);
    ProbeDrawable front(RECT{10, 10, 40, 40}, 0xFFFF0000);
    // The smallest priority is drawn last, on top.
    ASSERT_EQ(0, m_screen.GetOverlayList()->Add(&front, 1, 0));
    ASSERT_EQ(0, m_screen.GetOverlayList()->Add(&back, 2, 0));
    auto* t = new RecordingTransition(0);
    t->fill = true;
    t->fillValue = 0x00123456;
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionPictures, false, false));
    ASSERT_EQ(0, Frame());
    EXPECT_EQ(0xFF0000u, m_window.GetPixel(20, 20) & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, m_window.GetPixel(5, 5) & 0xFFFFFF);
    EXPECT_EQ(0x123456u, m_window.GetPixel(50, 45) & 0xFFFFFF);
    EXPECT_FALSE(front.clips.empty());
    m_screen.GetCanvas()->SetHideOverlay(true);
    front.clips.clear();
    ASSERT_EQ(0, Frame());
    EXPECT_TRUE(front.clips.empty());
    EXPECT_EQ(0x123456u, m_window.GetPixel(20, 20) & 0xFFFFFF);
    m_screen.EndTransition(false);
    m_screen.GetOverlayList()->Remove(&front);
    m_screen.GetOverlayList()->Remove(&back);
}

TEST_F(TransitionTest, TheAlternateCannotBeDroppedOrChangedWhileATransitionRuns) {
    MakeScreens(32, 16);
    GdiScreen wider;
    ASSERT_EQ(0, wider.Create(33, 16, 32, 1));
    EXPECT_EQ(1, m_screen.SetAlternate(&wider));
    EXPECT_EQ(&m_other, m_screen.GetAlternate());
    ASSERT_EQ(0, m_screen.BeginTransition(new RecordingTransition(0), kTransitionPictures, false,
                                          false));
    EXPECT_EQ(1, m_screen.SetAlternate(nullptr));
    EXPECT_EQ(0, Frame());
    m_screen.EndTransition(false);
    EXPECT_EQ(0, m_screen.SetAlternate(nullptr));
    EXPECT_EQ(nullptr, m_screen.GetAlternate());
}

TEST_F(TransitionTest, WhatTheEndMarksChanged) {
    MakeScreens(32, 16);
    m_screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, true);
    ASSERT_EQ(0, m_screen.BeginTransition(new RecordingTransition(0), kTransitionPictures, false,
                                          false));
    m_screen.EndTransition(false);
    EXPECT_EQ(0, m_screen.GetCanvas()->Dirty().Count());
    ASSERT_EQ(0, m_screen.BeginTransition(new RecordingTransition(0), kTransitionScenes, false,
                                          false));
    m_screen.EndTransition(false);
    EXPECT_EQ(1, m_screen.GetCanvas()->Dirty().Count());
}

TEST_F(TransitionTest, AfterScenesWithoutSwapTheAlternateShowsItsOverlayAgain) {
    MakeScreens(32, 16);
    ProbeDrawable sprite(RECT{4, 4, 12, 12}, 0xFF00FF00);
    ASSERT_EQ(0, m_other.GetOverlayList()->Add(&sprite, 1, 0));
    Image otherWindow;
    ASSERT_TRUE(screentest::SentinelPicture(otherWindow, 32, 16));
    m_other.Present(nullptr, otherWindow.MemoryDc(), nullptr, 0, true);
    ASSERT_EQ(0x00FF00u, otherWindow.GetPixel(6, 6) & 0xFFFFFF);
    auto* t = new RecordingTransition(0);
    t->statuses = {0, 1};
    ASSERT_EQ(0, m_screen.BeginTransition(t, kTransitionScenes, false, false));
    ASSERT_EQ(0, Frame());
    ASSERT_EQ(0, Frame());
    ASSERT_FALSE(m_screen.InTransition());
    // A fresh window: only what the alternate's next present copies shows.
    ASSERT_TRUE(screentest::SentinelPicture(otherWindow, 32, 16));
    m_other.Present(nullptr, otherWindow.MemoryDc(), nullptr, 0, true);
    EXPECT_EQ(0x00FF00u, otherWindow.GetPixel(6, 6) & 0xFFFFFF);
    EXPECT_EQ(otherWindow.GetPixel(20, 2), m_other.GetImage()->GetPixel(20, 2));
    m_other.GetOverlayList()->Remove(&sprite);
}

TEST_F(TransitionTest, ADepthChangeEndsARunningTransitionFirst) {
    MakeScreens(32, 16);
    int ends = 0;
    static int* s_ends;
    s_ends = &ends;
    g_effectEndHook = [] { ++*s_ends; };
    ASSERT_EQ(0, m_screen.BeginTransition(new RecordingTransition(0), kTransitionPictures, false,
                                          true));
    ASSERT_EQ(0, Frame());
    ASSERT_EQ(0, m_screen.ChangeDepth(32));
    EXPECT_FALSE(m_screen.InTransition());
    EXPECT_EQ(1, ends);
    // The next present draws no frame through the dropped transition image.
    Frame();
    ASSERT_EQ(0, m_screen.BeginTransition(new RecordingTransition(0), kTransitionPictures, false,
                                          false));
    EXPECT_EQ(0, Frame());
    m_screen.EndTransition(false);
}

}  // namespace
