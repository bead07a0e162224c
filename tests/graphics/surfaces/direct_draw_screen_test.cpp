// The DirectDraw screen on Wine's DirectDraw and on 16- and 24-bit displays of the display shim:
// updates of changed rectangles and whole frames through the device context (DIB back buffer) and
// through a lock (plain back buffer), canvas results, transition frames, colour keys and Restore.
// Fake surfaces stand in where a lock must fail.
#include "graphics/surfaces/direct_draw_screen.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "graphics/compose/pixel_format.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"
#include "tests/support/recording_transition.h"

namespace {

using namespace ddimage;
using testsupport::RecordingTransition;

// Sets DibBackBufferSwitch for the life of the object.
class BackBufferSwitch {
public:
    explicit BackBufferSwitch(bool dib) : m_saved(DibBackBufferSwitch) { DibBackBufferSwitch = dib ? 1 : 0; }
    ~BackBufferSwitch() { DibBackBufferSwitch = m_saved; }

private:
    std::uint8_t m_saved;
};

// One pixel of a surface as Lock shows it, its bits outside the colour masks cleared (Wine's fills
// set the unused bit of 5-5-5); 0xFFFFFFFF when the lock fails.
std::uint32_t SurfacePixel(IDirectDrawSurface7* surface, int x, int y) {
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    if (surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return 0xFFFFFFFFu;
    const DWORD bytes = (locked.ddpfPixelFormat.dwRGBBitCount + 7) / 8;
    const auto* p = static_cast<const std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * bytes;
    std::uint32_t value = 0;
    for (DWORD i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    surface->Unlock(nullptr);
    const DDPIXELFORMAT& f = locked.ddpfPixelFormat;
    return bytes == 1 ? value : value & (f.dwRBitMask | f.dwGBitMask | f.dwBBitMask);
}

struct Display {
    const char* name;
    DDPIXELFORMAT format;
    std::uint8_t depth;
    std::int32_t formatCode;
    std::uint32_t orange;  // 0x00FF8040 in the display's pixels
    std::uint32_t key;     // the key (0xFF, 0x80, 0x08) packed
};

const Display kDisplays[] = {
    {"xRGB", Xrgb32(), 32, kPixelFormatXrgb32, 0xFF8040, 0xFF8008},
    {"5-6-5", Rgb565(), 16, kPixelFormatRgb565, 0xFC08, 0xFC01},
    {"5-5-5", Rgb555(), 16, kPixelFormatRgb555, 0x7E08, 0x7E01},
    {"24-bit", Rgb24(), 24, kPixelFormatRgb24, 0xFF8040, 0xFF8008},
};

using DirectDrawScreenOnWine = DirectDrawImageFixture;

// Every pixel of the screen's surface equals want(x, y).
template <class F>
void ExpectSurface(DirectDrawScreen& screen, F want) {
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x)
            ASSERT_EQ(want(x, y), SurfacePixel(screen.GetSurface(), x, y)) << "at " << x << "," << y;
}

TEST_F(DirectDrawScreenOnWine, ChangedRectanglesThenWholeFramesReachTheSurfaceInItsFormat) {
    for (const Display& d : kDisplays) {
        for (bool dib : {true, false}) {
            SCOPED_TRACE(testing::Message() << d.name << (dib ? " DIB back buffer" : " plain back buffer"));
            BackBufferSwitch useDib(dib);
            ShimmedDisplay display(m_device.DirectDraw(), d.format, d.depth);
            DirectDrawScreen screen;
            ASSERT_EQ(0, screen.Create(16, 8, 32, 0));
            EXPECT_EQ(d.formatCode, screen.FormatCode());
            EXPECT_EQ(dib, screen.GetImage()->MemoryDc() != nullptr);
            EXPECT_EQ(kSurfaceDirectDrawScreen, screen.Kind());
            EXPECT_EQ(16, screen.Width());
            ExpectSurface(screen, [](int, int) { return 0u; });
            // The black of Create is still to be presented once.
            EXPECT_EQ(0, screen.UpdateSurface(true));
            EXPECT_EQ(-1, screen.UpdateSurface(true));

            ASSERT_EQ(0, FillSurfaceRect(screen.GetSurface(), nullptr, 0x12, 0x34, 0x56, nullptr, 0));
            const std::uint32_t sentinel = SurfacePixel(screen.GetSurface(), 0, 0);
            const RECT first = {2, 1, 6, 4};
            const RECT second = {10, 5, 13, 8};
            ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &first));
            ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &second));
            auto inside = [&](int x, int y) {
                const POINT p = {x, y};
                return PtInRect(&first, p) || PtInRect(&second, p);
            };
            EXPECT_EQ(0, screen.UpdateSurface(true));
            ExpectSurface(screen, [&](int x, int y) { return inside(x, y) ? d.orange : sentinel; });
            EXPECT_EQ(-1, screen.UpdateSurface(true)) << "nothing drawn since";

            EXPECT_EQ(0, screen.UpdateSurface(false));
            ExpectSurface(screen, [&](int x, int y) { return inside(x, y) ? d.orange : 0u; });
        }
    }
}

TEST_F(DirectDrawScreenOnWine, CreateAnswersItsCodesAndTheDisplaysAlphaIsDropped) {
    {
        ShimmedDisplay display(m_device.DirectDraw(), Argb1555(), 16);
        DirectDrawScreen screen;
        ASSERT_EQ(0, screen.Create(8, 4, 32, 2));
        EXPECT_EQ(kPixelFormatRgb555, screen.FormatCode());
        EXPECT_EQ(static_cast<DWORD>(DDSCAPS_OFFSCREENPLAIN), display.shim.lastCreate.ddsCaps.dwCaps);
        EXPECT_NE(nullptr, screen.GetCanvas());
        EXPECT_NE(nullptr, screen.GetOverlayList());
        display.shim.failing = testsupport::DisplayShim::Call::kCreateSurface;
        EXPECT_EQ(2, screen.Create(8, 4, 32, 0));
        EXPECT_EQ(nullptr, screen.GetSurface());
        EXPECT_EQ(nullptr, screen.GetImage()->Bits());
    }
    DirectDrawScreen screen;
    EXPECT_EQ(3, screen.Create(8, 4, 24, 0)) << "a back buffer of 24 bits";
    EXPECT_EQ(nullptr, screen.GetSurface());
    CurrentDirectDrawDevice = nullptr;
    EXPECT_EQ(1, screen.Create(8, 4, 32, 0));
    EXPECT_EQ(1, screen.UpdateSurface(false));
    EXPECT_EQ(0, screen.ClearColourKey()) << "no key, no surface";
    EXPECT_EQ(1, screen.SetColourKeyRgb(1, 2, 3));
    EXPECT_EQ(1, screen.ChangeDepth(8));
    EXPECT_EQ(0, screen.Restore(false));
}

TEST_F(DirectDrawScreenOnWine, KeysArePackedInTheSurfacesFormat) {
    for (const Display& d : kDisplays) {
        SCOPED_TRACE(d.name);
        ShimmedDisplay display(m_device.DirectDraw(), d.format, d.depth);
        DirectDrawScreen screen;
        ASSERT_EQ(0, screen.Create(8, 4, 32, 0));
        EXPECT_EQ(0, screen.ClearColourKey()) << "without a key";
        ASSERT_EQ(0, screen.SetColourKeyRgb(0xFF, 0x80, 0x08));
        EXPECT_EQ(static_cast<std::int32_t>(d.key), screen.ColourKey());
        EXPECT_EQ(d.key, SurfaceKey(screen.GetSurface()));
        ASSERT_EQ(0, screen.ClearColourKey());
        EXPECT_EQ(-1, screen.ColourKey());
        EXPECT_EQ(-1, SurfaceKey(screen.GetSurface()));

        ASSERT_TRUE(screen.GetImage()->SetPixel(3, 2, 0x00FF8008));
        ASSERT_EQ(0, screen.SetColourKeyFromPixel(3, 2));
        EXPECT_EQ(d.key, SurfaceKey(screen.GetSurface()));
        EXPECT_EQ(1, screen.SetColourKeyFromPixel(8, 2));
    }
    // An 8-bit back buffer's pixel gives its palette colour.
    DirectDrawScreen screen;
    ASSERT_EQ(0, screen.Create(8, 4, 8, 0));
    Image* image = screen.GetImage();
    ASSERT_EQ(0, image->SetPalette(nullptr, 256, 0));
    ASSERT_TRUE(image->SetPaletteEntry(5, 0x00FF8008, true));
    ASSERT_TRUE(image->SetPixel(3, 2, 5));
    ASSERT_EQ(0, screen.SetColourKeyFromPixel(3, 2));
    EXPECT_EQ(0xFF8008, screen.ColourKey());
}

TEST_F(DirectDrawScreenOnWine, CanvasResultsComeBackOneHigherAndNothingToPresentAsZero) {
    for (bool dib : {true, false}) {
        SCOPED_TRACE(dib ? "DIB" : "plain");
        BackBufferSwitch useDib(dib);
        DirectDrawScreen screen;
        ASSERT_EQ(0, screen.Create(16, 8, 32, 1));
        ASSERT_TRUE(screen.UsesCanvas());
        EXPECT_EQ(0, screen.UpdateSurface(true));
        EXPECT_EQ(0, screen.UpdateSurface(true)) << "the canvas's -1";
        EXPECT_EQ(0, screen.UpdateSurface(false));
    }
    // A canvas that cannot reach a fake surface (no device context, or a lock refused) answers 1.
    for (bool dib : {true, false}) {
        SCOPED_TRACE(dib ? "DIB on a fake" : "plain on a fake");
        BackBufferSwitch useDib(dib);
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        display.ServeFakes();
        DirectDrawScreen screen;
        ASSERT_EQ(0, screen.Create(16, 8, 32, 1));
        display.LastFake()->failLock = true;
        EXPECT_EQ(2, screen.UpdateSurface(false));
    }
}

// One lock a frame; a lock that fails (a busy or lost surface) reports 2 and keeps the changes
// for the next update. The fault this guards: the whole-frame update answered 0 whatever the
// copy gave, so a lost surface reported success.
TEST_F(DirectDrawScreenOnWine, LockFailuresAreReportedAndKeepTheChanges) {
    BackBufferSwitch plain(false);
    ShimmedDisplay display(m_device.DirectDraw(), Rgb565(), 16);
    display.ServeFakes();
    DirectDrawScreen screen;
    ASSERT_EQ(0, screen.Create(16, 8, 32, 0));
    testsupport::FakeDdSurface* fake = display.LastFake();
    ASSERT_EQ(0, screen.UpdateSurface(false));
    const RECT first = {2, 1, 6, 4};
    const RECT second = {10, 5, 13, 8};
    ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &first));
    ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &second));

    fake->failLock = true;
    EXPECT_EQ(2, screen.UpdateSurface(true));
    EXPECT_EQ(2, screen.UpdateSurface(false));
    fake->failLock = false;
    fake->lost = true;
    EXPECT_EQ(2, screen.UpdateSurface(false));
    EXPECT_EQ(2, screen.UpdateSurface(true));
    fake->lost = false;

    const int locksBefore = fake->lockCalls;
    EXPECT_EQ(0, screen.UpdateSurface(true));
    EXPECT_EQ(locksBefore + 1, fake->lockCalls) << "one lock for both rectangles";
    EXPECT_EQ(0xFC08u, fake->Pixel32(2, 1));
    EXPECT_EQ(0xFC08u, fake->Pixel32(12, 7));
    EXPECT_EQ(0u, fake->Pixel32(7, 1));
    EXPECT_EQ(-1, screen.UpdateSurface(true));
    EXPECT_TRUE(fake->OnlyPixelsWritten());

    // Restore cannot copy the back buffer into a new surface that cannot be locked.
    display.shim.makeSurface = [&display](DDSURFACEDESC2* desc, IDirectDrawSurface7** out) -> HRESULT {
        display.fakes.push_back(std::make_unique<testsupport::FakeDdSurface>(
            static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight), desc->ddpfPixelFormat));
        display.fakes.back()->failLock = true;
        *out = display.fakes.back()->Interface();
        return DD_OK;
    };
    EXPECT_EQ(2, screen.Restore(false));
}

TEST_F(DirectDrawScreenOnWine, TransitionFramesReachTheSurfaceBothWays) {
    for (bool dib : {true, false}) {
        for (std::uint8_t depth : {std::uint8_t{32}, std::uint8_t{8}}) {
            SCOPED_TRACE(testing::Message() << (dib ? "DIB " : "plain ") << int(depth));
            BackBufferSwitch useDib(dib);
            DirectDrawScreen screen;
            ASSERT_EQ(0, screen.Create(16, 8, depth, 1));
            MemoryScreen other;
            ASSERT_EQ(0, other.CreateSimple(16, 8, depth, false));
            ASSERT_EQ(0, screen.SetAlternate(&other));
            auto* transition = new RecordingTransition(2);
            transition->fill = true;
            // An index on 8 bits: the back buffer's default palette is the grey ramp.
            transition->fillValue = depth == 8 ? 200 : 0x00FF8040;
            ASSERT_EQ(0, screen.BeginTransition(transition, kTransitionPictures, false, false));
            EXPECT_EQ(0, screen.UpdateSurface(true));
            EXPECT_FALSE(transition->blits.empty());
            const std::uint32_t want = depth == 8 ? 0xC8C8C8u : 0xFF8040u;
            ExpectSurface(screen, [&](int, int) { return want; });
            screen.EndTransition(false);
        }
    }
}

TEST_F(DirectDrawScreenOnWine, RestoreLeavesAnIntactSurfaceAndRebuildsWithTheKeysColour) {
    ShimmedDisplay display(m_device.DirectDraw(), Rgb565(), 16);
    DirectDrawScreen screen;
    ASSERT_EQ(0, screen.Create(8, 4, 32, 0));
    const RECT area = {1, 1, 3, 3};
    ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &area));
    ASSERT_EQ(0, screen.SetColourKeyRgb(0xFF, 0x80, 0x08));
    IDirectDrawSurface7* before = screen.GetSurface();
    EXPECT_EQ(0, screen.Restore(true));
    EXPECT_EQ(before, screen.GetSurface()) << "intact: left alone";
    // Rebuilt: the key is packed again from its colour (reading the packed 0xFC01 as a colour
    // would give 0x0000 at 5-6-5), and the whole back buffer is copied in.
    EXPECT_EQ(0, screen.Restore(false));
    EXPECT_EQ(0xFC01, screen.ColourKey());
    EXPECT_EQ(0xFC01, SurfaceKey(screen.GetSurface()));
    EXPECT_EQ(0xFC08u, SurfacePixel(screen.GetSurface(), 2, 2));
    EXPECT_EQ(0u, SurfacePixel(screen.GetSurface(), 0, 0));
}

TEST_F(DirectDrawScreenOnWine, ChangeDepthKeepsTheSurface) {
    BackBufferSwitch plain(false);
    DirectDrawScreen screen;
    ASSERT_EQ(0, screen.Create(8, 4, 32, 1));
    IDirectDrawSurface7* surface = screen.GetSurface();
    ASSERT_EQ(0, screen.ChangeDepth(8));
    EXPECT_EQ(8, screen.Depth());
    EXPECT_EQ(nullptr, screen.GetImage()->MemoryDc());
    EXPECT_EQ(surface, screen.GetSurface());
    EXPECT_EQ(2, screen.ChangeDepth(24));
    EXPECT_EQ(nullptr, screen.GetSurface()) << "everything released";
    EXPECT_EQ(nullptr, screen.GetImage()->Bits());
}

// The fault this guards: a transition frame that could not reach the surface answered 0.
TEST_F(DirectDrawScreenOnWine, AFailedTransitionFrameIsReportedAndDrawnAgainNextTime) {
    for (bool dib : {true, false}) {
        SCOPED_TRACE(dib ? "DIB: the fake has no device context" : "plain: the lock fails");
        BackBufferSwitch useDib(dib);
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        display.ServeFakes();
        DirectDrawScreen screen;
        ASSERT_EQ(0, screen.Create(16, 8, 32, 1));
        testsupport::FakeDdSurface* fake = display.LastFake();
        MemoryScreen other;
        ASSERT_EQ(0, other.CreateSimple(16, 8, 32, false));
        ASSERT_EQ(0, screen.SetAlternate(&other));
        auto* transition = new RecordingTransition(2);
        transition->fill = true;
        transition->fillValue = 0x00FF8040;
        ASSERT_EQ(0, screen.BeginTransition(transition, kTransitionPictures, false, false));
        fake->failLock = true;
        EXPECT_EQ(2, screen.UpdateSurface(true));
        EXPECT_TRUE(screen.InTransition());
        if (!dib) {
            fake->failLock = false;
            EXPECT_EQ(0, screen.UpdateSurface(true));
            EXPECT_EQ(0xFF8040u, fake->Pixel32(15, 7) & 0x00FFFFFF);
        }
        screen.EndTransition(false);
    }
}

}  // namespace
