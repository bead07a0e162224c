// The canvas: strips, empty redraws, whole renders, backgrounds without the library, and the
// presents to device contexts and surface memory.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "graphics/compose/pixel_format.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "tests/graphics/image_pixels.h"
#include "tests/graphics/rect_helpers.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/support/fake_dd_surface.h"
#include "tests/support/test_pictures.h"
#include "tests/support/win_test_env.h"
#include "tests/support/wine_direct_draw.h"

namespace {

using graphicstest::PixelsOf;
using graphicstest::RegionRects;
using graphicstest::SameRect;
using spritetest::LibraryTest;
using spritetest::ProbeDrawable;
using testsupport::FakeDdSurface;
using testsupport::MakePicture;

std::vector<LONG> StripHeights(const ProbeDrawable& p) {
    std::vector<LONG> heights;
    for (const RECT& r : p.clips) heights.push_back(r.bottom - r.top);
    return heights;
}

TEST(CanvasStrips, HeightsByTheDirtyRectanglesWidth) {
    Image target;
    ASSERT_TRUE(MakePicture(target, 400, 300, 32, 1));
    struct Case {
        const char* name;
        RECT dirty;
        bool strips;
        std::vector<LONG> heights;
    };
    const Case cases[] = {
        {"30 x 300", RECT{0, 0, 30, 300}, true, {128, 128, 44}},
        {"79 x 150", RECT{10, 0, 89, 150}, true, {64, 64, 22}},
        {"159 x 40", RECT{0, 0, 159, 40}, true, {32, 8}},
        {"319 x 20", RECT{0, 0, 319, 20}, true, {16, 4}},
        {"400 x 20", RECT{0, 0, 400, 20}, true, {8, 8, 4}},
        {"400 x 20, strips off", RECT{0, 0, 400, 20}, false, {20}},
    };
    for (const Case& c : cases) {
        g_stripRedraw = c.strips;
        Canvas canvas;
        ASSERT_EQ(0, canvas.SetTarget(&target, false));
        ProbeDrawable probe(RECT{0, 0, 400, 300}, 0xFF000000);
        ASSERT_EQ(0, canvas.Sprites().Add(&probe, 0, 0));
        ASSERT_EQ(0, canvas.Redraw(nullptr, nullptr, 0, 0));
        probe.clips.clear();
        ASSERT_TRUE(canvas.InvalidateRect(&c.dirty));
        ASSERT_EQ(0, canvas.Redraw(nullptr, nullptr, 0, 0));
        EXPECT_EQ(c.heights, StripHeights(probe)) << c.name;
        canvas.Sprites().Clear();
    }
    g_stripRedraw = true;
}

class CanvasTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_TRUE(MakePicture(m_target, 64, 48, 32, 2, kImageDibSection));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_target, false));
        m_canvas.SetBackgroundColour(0x00336699, false);
    }

    Image m_target;
    Canvas m_canvas;
};

TEST_F(CanvasTest, NothingDirtyDrawsNothing) {
    ProbeDrawable probe(RECT{0, 0, 20, 20}, 0xFF0000FF);
    ASSERT_EQ(0, m_canvas.Sprites().Add(&probe, 0, 0));
    ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    const auto before = PixelsOf(m_target);
    const int calls = probe.renders + probe.renderClipped + probe.getBounds;
    DirtyRegion out;
    EXPECT_EQ(-1, m_canvas.Redraw(&out, nullptr, 0, 0));
    EXPECT_EQ(before, PixelsOf(m_target));
    EXPECT_EQ(calls, probe.renders + probe.renderClipped + probe.getBounds);
    EXPECT_EQ(0, out.Count());
}

TEST_F(CanvasTest, InvalidateAllRepaintsTheWholeTargetOnce) {
    ProbeDrawable probe(RECT{-10, -10, 100, 100}, 0xFF0000FF);
    ASSERT_EQ(0, m_canvas.Sprites().Add(&probe, 0, 0));
    ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    probe.clips.clear();
    ASSERT_EQ(0, m_canvas.InvalidateAll());
    DirtyRegion out;
    ASSERT_EQ(0, m_canvas.Redraw(&out, nullptr, 5, -3));
    long area = 0;
    for (const RECT& r : probe.clips) area += (r.right - r.left) * (r.bottom - r.top);
    EXPECT_EQ(64 * 48, area);
    // Reported moved by (5, -3) and cut to the target.
    const auto rects = RegionRects(&out);
    ASSERT_EQ(1u, rects.size());
    EXPECT_TRUE(SameRect(RECT{5, 0, 64, 45}, rects[0]));
}

TEST_F(CanvasTest, ATransparentDrawableIsNotDrawnButItsBoundsAreRepainted) {
    ProbeDrawable probe(RECT{4, 4, 12, 12}, 0xFF0000FF);
    ASSERT_EQ(0, m_canvas.Sprites().Add(&probe, 0, 0));
    probe.SetAlpha(0);
    DirtyRegion out;
    ASSERT_EQ(0, m_canvas.Redraw(&out, nullptr, 0, 0));
    EXPECT_EQ(0, probe.renderClipped);
    const auto rects = RegionRects(&out);
    ASSERT_EQ(1u, rects.size());
    EXPECT_TRUE(SameRect(RECT{4, 4, 12, 12}, rects[0]));
    EXPECT_EQ(0x00336699u, m_target.GetPixel(5, 5));
}

TEST_F(CanvasTest, RenderChecksAndOwnerFilters) {
    Image other;
    ASSERT_TRUE(MakePicture(other, 32, 48, 32, 3));
    EXPECT_EQ(2, m_canvas.Render(&other, 0, 0, true));
    EXPECT_EQ(1, m_canvas.Render(nullptr, 0, 0, true));
    Canvas noTarget;
    Image same;
    ASSERT_TRUE(MakePicture(same, 64, 48, 32, 4));
    EXPECT_EQ(2, noTarget.Render(&same, 0, 0, true));

    ProbeDrawable mine(RECT{0, 0, 8, 8}, 0xFF0000FF), theirs(RECT{8, 0, 16, 8}, 0xFFFF0000);
    mine.SetOwnerKey(7);
    theirs.SetOwnerKey(9);
    ASSERT_EQ(0, m_canvas.Sprites().Add(&mine, 0, 0));
    ASSERT_EQ(0, m_canvas.Sprites().Add(&theirs, 0, 0));
    struct Case {
        std::int32_t filter;
        bool mineDrawn, theirsDrawn;
    };
    for (const Case& c : {Case{0, true, true}, Case{1, true, false}, Case{2, false, true},
                          Case{3, false, false}}) {
        ASSERT_EQ(0, m_canvas.Render(&same, c.filter, 7, true));
        EXPECT_EQ(c.mineDrawn, same.GetPixel(1, 1) == 0xFF0000FFu) << c.filter;
        EXPECT_EQ(c.theirsDrawn, same.GetPixel(9, 1) == 0xFFFF0000u) << c.filter;
    }
    EXPECT_TRUE(mine.IsDirty()) << "Render leaves the dirty flags alone";
}

// Without the library the scaled background takes its failure path: the colour.
TEST_F(CanvasTest, ScaledBackgroundsWithoutTheLibraryShowTheColour) {
    Image background;
    ASSERT_TRUE(MakePicture(background, 40, 30, 32, 5));
    m_canvas.SetSource(&background, 0, 0, false);
    UnloadLibrary();
    ASSERT_TRUE(m_canvas.SetSourceRect(0, 0, 60, 48, nullptr));
    ASSERT_NE(nullptr, m_canvas.Scaled());
    ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    EXPECT_EQ(0x00336699u, m_target.GetPixel(10, 10));
    EXPECT_EQ(1, m_canvas.SetZoom(3, 3, 64, 1.5));
    ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    EXPECT_EQ(0x00336699u, m_target.GetPixel(30, 20));
}

TEST_F(CanvasTest, ZoomsThatCannotBeDrawnChangeNothing) {
    Image background;
    ASSERT_TRUE(MakePicture(background, 40, 30, 32, 6));
    m_canvas.SetSource(&background, 0, 0, false);
    ASSERT_EQ(1, m_canvas.SetZoom(2, 2, 64, 1.5));
    ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    const Image* scaled = m_canvas.Scaled();
    ASSERT_NE(nullptr, scaled);
    for (double zoom : {std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN(), 1e9}) {
        EXPECT_EQ(0, m_canvas.SetZoom(2, 2, 100, zoom)) << zoom;
        EXPECT_EQ(scaled, m_canvas.Scaled());
        EXPECT_EQ(0, m_canvas.Dirty().Count());
    }
    EXPECT_EQ(1, m_canvas.SetZoom(0, 0, 0, 1.0)) << "the identity drops the copy";
    EXPECT_EQ(nullptr, m_canvas.Scaled());
}

TEST_F(CanvasTest, PresentToDcCopiesTheRepaintedRectangles) {
    Image window;
    ASSERT_TRUE(MakePicture(window, 80, 60, 32, 7, kImageDibSection));
    ProbeDrawable probe(RECT{10, 10, 30, 20}, 0xFF00FF00);
    ASSERT_EQ(0, m_canvas.Sprites().Add(&probe, 0, 0));
    ASSERT_EQ(0, m_canvas.PresentToDc(nullptr, window.MemoryDc(), nullptr, 7, 5));
    GdiFlush();
    // Only the drawable's rectangle was dirty: it lands at (x + left, y + top).
    EXPECT_EQ(0x00FF00u, window.GetPixel(17, 15) & 0xFFFFFF);
    EXPECT_EQ(0x00FF00u, window.GetPixel(36, 24) & 0xFFFFFF);
    Image untouched;
    ASSERT_TRUE(MakePicture(untouched, 80, 60, 32, 7));
    EXPECT_EQ(untouched.GetPixel(16, 15), window.GetPixel(16, 15));
    EXPECT_EQ(untouched.GetPixel(37, 24), window.GetPixel(37, 24));
    EXPECT_EQ(-1, m_canvas.PresentToDc(nullptr, window.MemoryDc(), nullptr, 7, 5));

    testsupport::MessageWindow messageWindow;
    ASSERT_NE(nullptr, messageWindow.Handle());
    ASSERT_EQ(0, m_canvas.InvalidateAll());
    EXPECT_EQ(0, m_canvas.PresentToDc(messageWindow.Handle(), nullptr, nullptr, 0, 0));
    EXPECT_EQ(0, m_canvas.Dirty().Count());
}

TEST_F(CanvasTest, PresentToDcWithoutAMemoryDcIsRefusedAndKeepsTheRegion) {
    Image heap;
    ASSERT_TRUE(MakePicture(heap, 64, 48, 32, 8));
    Canvas canvas;
    ASSERT_EQ(0, canvas.SetTarget(&heap, true));
    Image window;
    ASSERT_TRUE(MakePicture(window, 64, 48, 32, 9, kImageDibSection));
    EXPECT_EQ(1, canvas.PresentToDc(nullptr, window.MemoryDc(), nullptr, 0, 0));
    EXPECT_EQ(1, canvas.Dirty().Count());
    ASSERT_EQ(0, m_canvas.InvalidateAll());
    EXPECT_EQ(1, m_canvas.PresentToDc(nullptr, nullptr, nullptr, 0, 0)) << "no device context";
    EXPECT_EQ(1, m_canvas.Dirty().Count());
}

TEST_F(CanvasTest, PresentToSurfaceStaysInsideTheSurface) {
    FakeDdSurface surface(40, 30, testsupport::RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, 0));
    ASSERT_EQ(0, m_canvas.InvalidateAll());

    EXPECT_EQ(3, m_canvas.PresentToSurface(surface.Interface(), kPixelFormatPalette8, 0, 0));
    EXPECT_EQ(0, surface.lockCalls) << "refused before locking";
    EXPECT_EQ(1, m_canvas.Dirty().Count());

    surface.failLock = true;
    EXPECT_EQ(1, m_canvas.PresentToSurface(surface.Interface(), kPixelFormatXrgb32, 6, 4));
    EXPECT_EQ(1, m_canvas.Dirty().Count()) << "kept for the next present";
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{0, 0, 0, 0}));

    surface.failLock = false;
    ASSERT_EQ(0, m_canvas.PresentToSurface(surface.Interface(), kPixelFormatXrgb32, 6, 4));
    EXPECT_EQ(0, m_canvas.Dirty().Count());
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{6, 4, 40, 30}));
    EXPECT_EQ(0x336699u, surface.Pixel32(6, 4));
    EXPECT_EQ(0x336699u, surface.Pixel32(39, 29));
    EXPECT_EQ(1, surface.unlocks);
    EXPECT_EQ(-1, m_canvas.PresentToSurface(surface.Interface(), kPixelFormatXrgb32, 6, 4));
}

TEST_F(CanvasTest, AnIndexedTargetIsPresentedThroughTheGreyPalette) {
    Image indexed;
    ASSERT_EQ(0, indexed.Create(16, 8, 8, 0));
    Canvas canvas;
    ASSERT_EQ(0, canvas.SetTarget(&indexed, true));
    canvas.SetBackgroundColour(0x00401020, true);  // an 8-bit target is filled with the red byte
    FakeDdSurface surface(16, 8, testsupport::RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, 0));
    ASSERT_EQ(0, canvas.PresentToSurface(surface.Interface(), kPixelFormatXrgb32, 0, 0));
    ASSERT_NE(nullptr, indexed.Palette());
    EXPECT_EQ(0x40u, indexed.GetPixel(3, 3));
    EXPECT_EQ(0x404040u, surface.Pixel32(3, 3));
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{0, 0, 16, 8}));
}

// Into a real Wine DirectDraw surface, smaller than the target, in its own 5-6-5 format.
TEST_F(CanvasTest, PresentToAWineDirectDrawSurface) {
    testsupport::OffscreenDirectDraw direct(40, 30, 16, 0xF800, 0x07E0, 0x001F);
    ASSERT_TRUE(direct.Ready());
    ASSERT_TRUE(direct.ForEachPixel(
        [](DWORD, DWORD, std::uint8_t* p) { *reinterpret_cast<std::uint16_t*>(p) = 0xABCD; }));
    Image background;
    ASSERT_TRUE(MakePicture(background, 64, 48, 32, 10));
    m_canvas.SetSource(&background, 0, 0, true);
    const std::int32_t format = ClassifyPixelFormat(direct.Surface(), nullptr, nullptr);
    ASSERT_EQ(kPixelFormatRgb565, format);
    ASSERT_EQ(0, m_canvas.PresentToSurface(direct.Surface(), format, 6, 4));
    int wrong = 0;
    ASSERT_TRUE(direct.ForEachPixel([&](DWORD x, DWORD y, std::uint8_t* p) {
        const std::uint16_t got = *reinterpret_cast<std::uint16_t*>(p);
        std::uint16_t want = 0xABCD;
        if (x >= 6 && y >= 4) {
            const std::uint32_t c = background.GetPixel(x - 6, y - 4);
            want = static_cast<std::uint16_t>(((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) |
                                              ((c >> 3) & 0x001F));
        }
        wrong += got != want;
    }));
    EXPECT_EQ(0, wrong);

    // The surface's own device context.
    ASSERT_EQ(0, m_canvas.InvalidateAll());
    EXPECT_EQ(0, m_canvas.PresentToDc(nullptr, nullptr, direct.Surface(), 0, 0));
    EXPECT_EQ(0, m_canvas.Dirty().Count());
}

}  // namespace
