// Presents into a real, visible window on the test display, read back from the window's own
// pixels: only what changed is copied there (the sentinel colour stays everywhere else), for the
// back buffer's dirty rectangles, for a canvas's moving drawable, and for a whole frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/graphics/surfaces/screen_test_support.h"
#include "tests/support/present_window.h"

namespace {

using screentest::BlitRecorder;
using screentest::Covered;
using screentest::kSentinel;
using spritetest::ProbeDrawable;
using testsupport::PresentWindow;

constexpr std::int32_t kWidth = 96;
constexpr std::int32_t kHeight = 64;

bool Inside(const std::vector<RECT>& rects, LONG x, LONG y) {
    const POINT p = {x, y};
    for (const RECT& r : rects)
        if (PtInRect(&r, p)) return true;
    return false;
}

// Each window pixel against the back buffer inside `changed` and the sentinel outside; the
// number of pixels that differ.
int WrongPixels(PresentWindow& window, Image* back, const std::vector<RECT>& changed) {
    const std::vector<std::uint32_t> pixels = window.ReadBack();
    EXPECT_EQ(static_cast<std::size_t>(kWidth * kHeight), pixels.size());
    if (pixels.size() != static_cast<std::size_t>(kWidth * kHeight)) return -1;
    int wrong = 0;
    for (LONG y = 0; y < kHeight; ++y) {
        for (LONG x = 0; x < kWidth; ++x) {
            const std::uint32_t expected =
                Inside(changed, x, y) ? back->GetPixel(x, y) & 0xFFFFFF : kSentinel;
            if (pixels[static_cast<std::size_t>(y * kWidth + x)] != expected) {
                if (wrong == 0)
                    ADD_FAILURE() << "first wrong pixel at " << x << "," << y << ": "
                                  << std::hex << pixels[static_cast<std::size_t>(y * kWidth + x)]
                                  << " instead of " << expected;
                ++wrong;
            }
        }
    }
    return wrong;
}

class WindowPresentTest : public spritetest::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_NE(nullptr, m_window.Handle());
        // What the window shows before the test's present must read back as it was drawn.
        ASSERT_TRUE(m_window.Fill(kSentinel));
        const std::vector<std::uint32_t> before = m_window.ReadBack();
        ASSERT_EQ(static_cast<std::size_t>(kWidth * kHeight), before.size());
        for (std::uint32_t p : before) ASSERT_EQ(kSentinel, p);
    }

    PresentWindow m_window{kWidth, kHeight};
};

TEST_F(WindowPresentTest, OnlyTheBackBuffersChangedRectanglesReachTheWindow) {
    GdiScreen screen;
    ASSERT_EQ(0, screen.Create(kWidth, kHeight, 32, 0));
    screen.GetImage()->GetDirtyRegion()->Clear();
    screen.GetImage()->SetModified(false);
    const std::vector<RECT> changed = {RECT{3, 5, 20, 9}, RECT{40, 30, 41, 63},
                                       RECT{90, 0, 96, 64}};
    screen.GetImage()->FillValue(0x00112233, &changed[0]);
    screen.GetImage()->FillValue(0x00445566, &changed[1]);
    screen.GetImage()->FillValue(0x00778899, &changed[2]);
    ASSERT_EQ(0, screen.Present(m_window.Handle(), nullptr, nullptr, 0, true));
    EXPECT_EQ(0, WrongPixels(m_window, screen.GetImage(), changed));
    EXPECT_FALSE(screen.GetImage()->Modified());
    // Nothing changed since: nothing more is copied.
    ASSERT_TRUE(m_window.Fill(kSentinel));
    EXPECT_EQ(-1, screen.Present(m_window.Handle(), nullptr, nullptr, 0, true));
    EXPECT_EQ(0, WrongPixels(m_window, screen.GetImage(), {}));
    // A whole frame covers the window.
    ASSERT_EQ(0, screen.Present(m_window.Handle(), nullptr, nullptr, 0, false));
    EXPECT_EQ(0, WrongPixels(m_window, screen.GetImage(), {RECT{0, 0, kWidth, kHeight}}));
}

TEST_F(WindowPresentTest, ACanvasMoveReachesTheWindowAtTheOldAndNewPlaceOnly) {
    GdiScreen screen;
    ASSERT_EQ(0, screen.Create(kWidth, kHeight, 32, 2));
    screen.GetCanvas()->SetBackgroundColour(0x00203040, false);
    ProbeDrawable own(RECT{10, 12, 42, 36}, 0xFFAA0000);
    ProbeDrawable overlay(RECT{60, 40, 70, 50}, 0xFF00AA00);
    ASSERT_EQ(0, screen.GetCanvas()->Sprites().Add(&own, 1, 0));
    ASSERT_EQ(0, screen.GetOverlayList()->Add(&overlay, 1, 0));
    // The first frame goes elsewhere; the window then sees only what the moves change.
    Image elsewhere;
    ASSERT_TRUE(screentest::SentinelPicture(elsewhere, kWidth, kHeight));
    ASSERT_EQ(0, screen.Present(nullptr, elsewhere.MemoryDc(), nullptr, 0, false));
    ASSERT_TRUE(own.SetPosition(25, 30));
    ASSERT_TRUE(overlay.SetPosition(80, 2));
    BlitRecorder recorder;
    ASSERT_EQ(0, screen.Present(m_window.Handle(), nullptr, nullptr, 0, true));
    const std::vector<RECT> changed = {RECT{10, 12, 42, 36}, RECT{25, 30, 57, 54},
                                       RECT{60, 40, 70, 50}, RECT{80, 2, 90, 12}};
    EXPECT_EQ(Covered(changed), Covered(recorder.blits));
    EXPECT_EQ(0, WrongPixels(m_window, screen.GetImage(), changed));
    const std::vector<std::uint32_t> pixels = m_window.ReadBack();
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(0xAA0000u, pixels[53 * kWidth + 56]);  // the drawable's new place
    EXPECT_EQ(0x203040u, pixels[12 * kWidth + 10]);  // the background where it was
    EXPECT_EQ(0x00AA00u, pixels[2 * kWidth + 80]);
}

}  // namespace
