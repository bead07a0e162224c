// GdiScreen and MemoryScreen outside transitions: creation, the dirty and whole presents to a
// device context, a window and DirectDraw surfaces (fake ones of any format, a real one), and
// through the canvas only the union of what moved.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/compose/pixel_format.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/rect_helpers.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/graphics/surfaces/screen_test_support.h"
#include "tests/support/fake_dd_surface.h"
#include "tests/support/win_test_env.h"
#include "tests/support/wine_direct_draw.h"

namespace {

using screentest::BlitRecorder;
using screentest::Covered;
using screentest::kSentinel;
using screentest::SentinelPicture;
using spritetest::ProbeDrawable;
using testsupport::FakeDdSurface;

TEST(GdiScreenCreate, CodesAndWhatEachModeMakes) {
    struct Case {
        std::int32_t width, height, depth, canvasMode;
        std::int32_t code;
        bool canvas, overlay;
    };
    const Case cases[] = {
        {32, 16, 32, 0, 0, false, false}, {32, 16, 8, 1, 0, true, false},
        {32, 16, 32, 2, 0, true, true},   {32, 16, 16, 0, 1, false, false},
        {0, 16, 32, 1, 1, false, false},  {32, -1, 32, 2, 1, false, false},
    };
    for (const Case& c : cases) {
        GdiScreen screen;
        EXPECT_EQ(c.code, screen.Create(c.width, c.height, c.depth, c.canvasMode)) << c.depth;
        EXPECT_EQ(c.canvas, screen.GetCanvas() != nullptr);
        EXPECT_EQ(c.overlay, screen.GetOverlayList() != nullptr);
        EXPECT_EQ(c.canvas, screen.UsesCanvas());
        if (c.code != 0) continue;
        EXPECT_EQ(c.width, screen.Width());
        EXPECT_EQ(c.depth, screen.Depth());
        EXPECT_EQ(0u, screen.GetImage()->GetPixel(c.width - 1, c.height - 1) & 0xFFFFFF);
        // In canvas mode the image records nothing itself: the canvas does.
        EXPECT_EQ(c.canvas, screen.GetImage()->GetDirtyRegion() == nullptr);
        if (c.overlay) EXPECT_EQ(screen.GetOverlayList(), screen.GetCanvas()->Overlay());
    }
    MemoryScreen memory;
    EXPECT_EQ(0, memory.CreateSimple(20, 10, 32, true));
    EXPECT_EQ(nullptr, memory.GetOverlayList());
    EXPECT_EQ(nullptr, memory.GetImage()->MemoryDc());
    EXPECT_EQ(nullptr, memory.GetImage()->GetDirtyRegion());
}

TEST(GdiScreenCreate, ChangeDepthKeepsTheSizeAndTheRecordingMode) {
    GdiScreen empty;
    EXPECT_EQ(1, empty.ChangeDepth(8));
    GdiScreen screen;
    ASSERT_EQ(0, screen.Create(30, 20, 32, 1));
    screen.SetUseCanvas(false);
    ASSERT_EQ(0, screen.ChangeDepth(8));
    EXPECT_EQ(8, screen.Depth());
    EXPECT_EQ(30, screen.Width());
    EXPECT_NE(nullptr, screen.GetImage()->GetDirtyRegion());
    EXPECT_EQ(screen.GetImage(), screen.GetCanvas()->Target());
    EXPECT_EQ(2, screen.ChangeDepth(16));
    EXPECT_EQ(nullptr, screen.GetImage()->Bits());
    EXPECT_EQ(nullptr, screen.GetCanvas());
}

class GdiPresentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, m_screen.Create(64, 48, 32, 0));
        ASSERT_TRUE(SentinelPicture(m_window, 64, 48));
        // The black of Create goes out first; the window is then the sentinel again.
        ASSERT_EQ(0, m_screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, true));
        ASSERT_TRUE(m_window.FillValue(kSentinel, nullptr));
    }
    // Draws two changes into the back buffer, as drawing code does.
    void DrawChanges() {
        m_screen.GetImage()->FillValue(0x112233, &m_first);
        m_screen.GetImage()->FillValue(0x445566, &m_second);
    }
    bool InChanges(LONG x, LONG y) const {
        const POINT p = {x, y};
        return PtInRect(&m_first, p) || PtInRect(&m_second, p);
    }

    GdiScreen m_screen;
    Image m_window;
    RECT m_first = {3, 5, 20, 9};
    RECT m_second = {40, 30, 41, 47};
};

TEST_F(GdiPresentTest, OnlyTheChangedRectanglesReachTheDeviceContext) {
    EXPECT_EQ(-1, m_screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, true));
    DrawChanges();
    BlitRecorder recorder;
    ASSERT_EQ(0, m_screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, true));
    EXPECT_EQ(Covered({m_first, m_second}), Covered(recorder.blits));
    for (LONG y = 0; y < 48; ++y)
        for (LONG x = 0; x < 64; ++x)
            ASSERT_EQ(InChanges(x, y) ? m_screen.GetImage()->GetPixel(x, y) : kSentinel,
                      m_window.GetPixel(x, y))
                << x << "," << y;
    EXPECT_EQ(0, m_screen.GetImage()->GetDirtyRegion()->Count());
    EXPECT_FALSE(m_screen.GetImage()->Modified());
    // A static frame copies nothing.
    recorder.blits.clear();
    EXPECT_EQ(-1, m_screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, true));
    EXPECT_TRUE(recorder.blits.empty());
}

TEST_F(GdiPresentTest, WholeFramesAndTheDeviceContextRules) {
    DrawChanges();
    EXPECT_EQ(1, m_screen.Present(nullptr, nullptr, nullptr, 0, true));
    EXPECT_EQ(1, m_screen.Present(nullptr, nullptr, nullptr, 0, false));
    // Refused presents keep what changed.
    EXPECT_TRUE(m_screen.GetImage()->Modified());
    ASSERT_EQ(0, m_screen.Present(nullptr, m_window.MemoryDc(), nullptr, 0, false));
    for (LONG y = 0; y < 48; ++y)
        for (LONG x = 0; x < 64; ++x)
            ASSERT_EQ(m_screen.GetImage()->GetPixel(x, y), m_window.GetPixel(x, y));
    testsupport::MessageWindow window;
    ASSERT_NE(nullptr, window.Handle());
    EXPECT_EQ(0, m_screen.Present(window.Handle(), nullptr, nullptr, 0, true));
    EXPECT_FALSE(m_screen.GetImage()->Modified());
    EXPECT_EQ(0, m_screen.Present(window.Handle(), nullptr, nullptr, 0, false));
}

TEST_F(GdiPresentTest, DirtyRectanglesIntoAFakeSurfaceUnderOneLock) {
    FakeDdSurface surface(64, 48, testsupport::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0));
    m_screen.GetImage()->FillValue(0x00FFFFFF, &m_first);
    surface.failLock = true;
    EXPECT_EQ(2, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatRgb565, true));
    EXPECT_TRUE(m_screen.GetImage()->Modified());
    surface.failLock = false;
    m_screen.GetImage()->FillValue(0x00808080, &m_second);
    surface.lockCalls = 0;
    ASSERT_EQ(0, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatRgb565, true));
    EXPECT_EQ(1, surface.lockCalls);
    EXPECT_EQ(surface.locks, surface.unlocks);
    EXPECT_EQ(0xFFFFu, surface.Pixel32(3, 5));
    EXPECT_EQ(0x8410u, surface.Pixel32(40, 46));
    EXPECT_EQ(0xCDCDu, surface.Pixel32(2, 5));
    EXPECT_EQ(0xCDCDu, surface.Pixel32(41, 30));
    EXPECT_FALSE(m_screen.GetImage()->Modified());
    EXPECT_EQ(3, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatOther, false));
}

TEST_F(GdiPresentTest, AFakeSurfaceSmallerThanTheBackBufferIsWrittenOnlyInside) {
    FakeDdSurface surface(30, 20, testsupport::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0));
    EXPECT_EQ(0, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatXrgb32, false));
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{0, 0, 30, 20}));
    EXPECT_EQ(0u, surface.Pixel32(29, 19));
    m_screen.GetImage()->FillValue(0x00ABCDEF, nullptr);
    EXPECT_EQ(0, m_screen.Present(nullptr, nullptr, surface.Interface(), kPixelFormatXrgb32, true));
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{0, 0, 30, 20}));
    EXPECT_EQ(0x00ABCDEFu, surface.Pixel32(29, 19));
}

TEST_F(GdiPresentTest, IntoARealDirectDrawSurface) {
    testsupport::OffscreenDirectDraw dd(64, 48, 32, 0xFF0000, 0xFF00, 0xFF);
    ASSERT_TRUE(dd.Ready());
    m_screen.GetImage()->FillValue(0x80010203, nullptr);
    ASSERT_EQ(0, m_screen.Present(nullptr, nullptr, dd.Surface(), kPixelFormatXrgb32, false));
    DrawChanges();
    ASSERT_EQ(0, m_screen.Present(nullptr, nullptr, dd.Surface(), kPixelFormatXrgb32, true));
    int wrong = 0;
    ASSERT_TRUE(dd.ForEachPixel([&](DWORD x, DWORD y, const std::uint8_t* p) {
        const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        const std::uint32_t expected = m_screen.GetImage()->GetPixel(x, y) & 0xFFFFFF;
        if (v != expected) ++wrong;
    }));
    EXPECT_EQ(0, wrong);
}

// Canvas mode: presents go through the canvas; what reaches the device context is the union of
// where a moving drawable was and where it is.
class CanvasPresentTest : public spritetest::LibraryTest {};

TEST_F(CanvasPresentTest, AStaticFrameCopiesNothingAndAMoveCopiesOldAndNewPlace) {
    GdiScreen screen;
    ASSERT_EQ(0, screen.Create(160, 120, 32, 2));
    screen.GetCanvas()->SetBackgroundColour(0x203040, false);
    ProbeDrawable probe(RECT{10, 12, 42, 36}, 0xFFAA0000);
    ASSERT_EQ(0, screen.GetCanvas()->Sprites().Add(&probe, 1, 0));
    Image window;
    ASSERT_TRUE(SentinelPicture(window, 160, 120));
    ASSERT_EQ(0, screen.Present(nullptr, window.MemoryDc(), nullptr, 0, false));
    BlitRecorder recorder;
    EXPECT_EQ(-1, screen.Present(nullptr, window.MemoryDc(), nullptr, 0, true));
    EXPECT_TRUE(recorder.blits.empty());
    ASSERT_TRUE(probe.SetPosition(25, 30));
    ASSERT_EQ(0, screen.Present(nullptr, window.MemoryDc(), nullptr, 0, true));
    EXPECT_EQ(Covered({RECT{10, 12, 42, 36}, RECT{25, 30, 57, 54}}), Covered(recorder.blits));
    EXPECT_EQ(0xAA0000u, window.GetPixel(56, 53) & 0xFFFFFF);
    EXPECT_EQ(0x203040u, window.GetPixel(10, 12) & 0xFFFFFF);
    // A whole present copies all of it again.
    recorder.blits.clear();
    ASSERT_EQ(0, screen.Present(nullptr, window.MemoryDc(), nullptr, 0, false));
    EXPECT_EQ(160u * 120u, Covered(recorder.blits).size());
}

TEST(ScreenInvalidate, CanvasModeGoesToTheCanvasElseToTheImage) {
    GdiScreen screen;
    ASSERT_EQ(0, screen.Create(40, 30, 32, 1));
    screen.GetCanvas()->ResetDirty();
    const RECT r = {1, 2, 5, 6};
    screen.Invalidate(&r);
    EXPECT_EQ(1, screen.GetCanvas()->Dirty().Count());
    EXPECT_EQ(nullptr, screen.GetImage()->GetDirtyRegion());
    screen.SetUseCanvas(false);
    screen.GetImage()->GetDirtyRegion()->Clear();
    screen.Invalidate(nullptr);
    ASSERT_EQ(1, screen.GetImage()->GetDirtyRegion()->Count());
    EXPECT_TRUE(graphicstest::SameRect(RECT{0, 0, 40, 30},
                                       screen.GetImage()->GetDirtyRegion()->Bounds()));
    EXPECT_TRUE(screen.GetImage()->Modified());
    MemoryScreen memory;
    ASSERT_EQ(0, memory.CreateSimple(40, 30, 32, false));
    memory.Invalidate(nullptr);  // records nothing, has nothing to record into
    EXPECT_EQ(nullptr, memory.GetImage()->GetDirtyRegion());
}

}  // namespace
