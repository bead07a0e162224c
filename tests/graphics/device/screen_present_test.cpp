// The screen device's presentation: the back-buffer present on fake surfaces one answer at a
// time, the window mode on Wine's DirectDraw with fake surfaces (switch failures, lost
// surfaces), and GDI presentation of the display canvas into a real window read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"
#include "tests/support/fake_dd_surface.h"
#include "tests/support/present_window.h"

namespace {

using testsupport::FakeDdSurface;

DDPIXELFORMAT Xrgb() { return testsupport::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0); }

struct PresentCase {
    const char* name;
    std::uint8_t displayState, presentWait, flipChain, gdiOverlay;
    std::vector<HRESULT> answers;
    std::int32_t result;
    // Per call: flip or blit and its flags.
    std::vector<std::pair<bool, DWORD>> calls;
};

TEST(ScreenPresentBackBuffer, EachAnswerOfTheFlipOrBlit) {
    const PresentCase cases[] = {
        {"window blit", 2, 0, 0, 0, {DD_OK}, 0, {{false, DDBLT_ASYNC}}},
        {"window lost", 2, 0, 0, 0, {DDERR_SURFACELOST}, 2, {{false, DDBLT_ASYNC}}},
        {"window busy then done", 2, 1, 0, 0, {DDERR_WASSTILLDRAWING, DD_OK}, 0,
         {{false, DDBLT_ASYNC}, {false, DDBLT_WAIT}}},
        {"window busy twice", 2, 0, 0, 0, {DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING}, 3,
         {{false, DDBLT_ASYNC}, {false, DDBLT_WAIT}}},
        {"window other failure", 2, 0, 0, 0, {DDERR_GENERIC}, 3, {{false, DDBLT_ASYNC}}},
        {"window busy then lost", 2, 0, 0, 0, {DDERR_WASSTILLDRAWING, DDERR_SURFACELOST}, 2,
         {{false, DDBLT_ASYNC}, {false, DDBLT_WAIT}}},
        {"full screen flip", 1, 2, 1, 0, {DD_OK}, 0, {{true, 0}}},
        {"full screen flip busy", 1, 2, 1, 0, {DDERR_WASSTILLDRAWING, DD_OK}, 0, {{true, 0}, {true, DDFLIP_WAIT}}},
        {"full screen flip failure", 1, 2, 1, 0, {DDERR_INVALIDOBJECT}, 3, {{true, 0}}},
        {"wait 1 blits", 1, 1, 1, 0, {DD_OK}, 0, {{false, DDBLT_ASYNC}}},
        {"overlay blits", 1, 2, 1, 1, {DD_OK}, 0, {{false, DDBLT_ASYNC}}},
        {"no chain blits", 1, 2, 0, 0, {DD_OK}, 0, {{false, DDBLT_ASYNC}}},
        {"no wait blits", 1, 0, 1, 0, {DDERR_SURFACELOST}, 2, {{false, DDBLT_ASYNC}}},
    };
    for (const PresentCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDdSurface primary(8, 8, Xrgb());
        FakeDdSurface back(8, 8, Xrgb());
        primary.presentAnswers = c.answers;
        ScreenDevice device;
        ASSERT_EQ(0, device.SetGameSize(8, 6));
        device.primarySurface = primary.Interface();
        device.backSurface = back.Interface();
        primary.references = back.references = 2;
        device.displayState = c.displayState;
        device.presentWait = c.presentWait;
        device.flipChain = c.flipChain;
        device.gdiOverlay = c.gdiOverlay;
        EXPECT_EQ(c.result, device.PresentBackBuffer());
        ASSERT_EQ(c.calls.size(), primary.presents.size());
        for (std::size_t i = 0; i < c.calls.size(); ++i) {
            EXPECT_EQ(c.calls[i].first, primary.presents[i].flip) << i;
            EXPECT_EQ(c.calls[i].second, primary.presents[i].flags) << i;
        }
    }
}

TEST(ScreenPresentBackBuffer, LetterboxBlitGoesToTheDestination) {
    FakeDdSurface primary(8, 8, Xrgb());
    FakeDdSurface back(8, 8, Xrgb());
    primary.presentAnswers = {DD_OK};
    ScreenDevice device;
    ASSERT_EQ(0, device.SetGameSize(640, 480));
    ASSERT_EQ(0, device.SetLetterbox(1280, 1024, false));
    device.letterboxInUse = 1;
    device.displayState = 1;
    device.primarySurface = primary.Interface();
    device.backSurface = back.Interface();
    primary.references = back.references = 2;
    ASSERT_EQ(0, device.PresentBackBuffer());
    ASSERT_EQ(1u, primary.presents.size());
    const RECT& d = primary.presents[0].dest;
    EXPECT_EQ(0, d.left);
    EXPECT_EQ(32, d.top);
    EXPECT_EQ(1280, d.right);
    EXPECT_EQ(992, d.bottom);
    ScreenDevice none;
    EXPECT_EQ(1, none.PresentBackBuffer()) << "no back surface";
}

class ScreenWindowMode : public ddimage::DirectDrawImageFixture {
protected:
    testsupport::PresentWindow m_window{64, 48};
};

TEST_F(ScreenWindowMode, SurfacesOnTheWindowAndEachFailingStep) {
    ddimage::ShimmedDisplay display(m_device.DirectDraw(), Xrgb(), 32);
    display.ServeFakes();
    int calls = 0;
    int failAt = 0;
    display.shim.makeSurface = [inner = display.shim.makeSurface, &calls, &failAt](DDSURFACEDESC2* d,
                                                                                   IDirectDrawSurface7** out) {
        if (++calls == failAt) return static_cast<HRESULT>(DDERR_OUTOFMEMORY);
        return inner(d, out);
    };
    ScreenDevice device;
    device.AdoptDirectDraw(&display.shim, false);
    EXPECT_EQ(1, device.ChangeMode(m_window.Handle(), true, false, false)) << "no game size";
    ASSERT_EQ(0, device.SetGameSize(32, 24));
    for (int step : {1, 2}) {
        calls = 0;
        failAt = step;
        EXPECT_EQ(step == 1 ? 5 : 4, device.ChangeMode(m_window.Handle(), true, false, false)) << step;
        EXPECT_EQ(nullptr, device.backSurface);
        EXPECT_EQ(nullptr, device.primarySurface);
        EXPECT_EQ(1, device.RestoreLostSurfaces()) << "after a failed switch";
    }
    calls = 0;
    failAt = 0;
    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), true, false, false));
    EXPECT_EQ(2, device.displayState);
    EXPECT_EQ(1, device.GetPresentMode());
    EXPECT_EQ(kPixelFormatXrgb32, device.backFormat);
    EXPECT_EQ(32, device.displayDepth);
    EXPECT_NE(nullptr, device.clipper.Clipper());
    EXPECT_EQ(device.DirectDraw(), &display.shim) << "a handed-in object stays";
}

TEST_F(ScreenWindowMode, LostSurfacesAreRestoredOrMadeAnew) {
    ddimage::ShimmedDisplay display(m_device.DirectDraw(), Xrgb(), 32);
    display.ServeFakes();
    ScreenDevice device;
    device.AdoptDirectDraw(&display.shim, false);
    EXPECT_EQ(1, device.RestoreLostSurfaces()) << "no mode set";
    ASSERT_EQ(0, device.SetGameSize(32, 24));
    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), true, false, false));
    FakeDdSurface* back = display.fakes[0].get();
    EXPECT_EQ(0, device.RestoreLostSurfaces()) << "nothing lost";
    EXPECT_EQ(0, back->restores);

    back->lost = true;
    EXPECT_EQ(0, device.RestoreLostSurfaces());
    EXPECT_EQ(1, back->restores);
    EXPECT_EQ(back->Interface(), device.backSurface);

    back->lost = true;
    back->restoreAnswer = DDERR_GENERIC;
    const std::size_t before = display.fakes.size();
    EXPECT_EQ(0, device.RestoreLostSurfaces());
    EXPECT_EQ(before + 2, display.fakes.size()) << "back and primary made anew";
    EXPECT_NE(back->Interface(), device.backSurface);

    display.fakes.back()->lost = true;  // the new primary
    display.fakes.back()->restoreAnswer = DDERR_GENERIC;
    display.shim.failing = testsupport::DisplayShim::Call::kCreateSurface;
    display.shim.makeSurface = nullptr;
    EXPECT_EQ(2, device.RestoreLostSurfaces());
    EXPECT_EQ(nullptr, device.backSurface);
    EXPECT_EQ(1, device.RestoreLostSurfaces()) << "until the next switch";
}

TEST_F(ScreenWindowMode, CanvasInAWindowIsPresentedByGdi) {
    ScreenDevice device;
    GdiScreen* canvas = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreen(&canvas, 32, 24, 32, 0));
    ASSERT_EQ(0, device.AttachGameImage(canvas));
    device.hardwareCanvasMode = 2;  // DirectDraw only with the windowed flag
    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), true, false, false));
    EXPECT_EQ(0, device.GetPresentMode());
    EXPECT_EQ(nullptr, device.DirectDraw());
    EXPECT_EQ(0, device.RestoreLostSurfaces()) << "GDI presentation has nothing to lose";

    HDC dc = canvas->PresentSourceDC();
    ASSERT_NE(nullptr, dc);
    RECT all{0, 0, 32, 24};
    HBRUSH red = CreateSolidBrush(RGB(200, 10, 20));
    FillRect(dc, &all, red);
    DeleteObject(red);
    GdiFlush();
    ASSERT_TRUE(m_window.Fill(0x00FF00));
    ASSERT_EQ(0, device.Present());
    std::vector<std::uint32_t> pixels = m_window.ReadBack();
    ASSERT_EQ(64u * 48u, pixels.size());
    EXPECT_EQ(0xC80A14u, pixels[0] & 0xFFFFFF);
    EXPECT_EQ(0xC80A14u, pixels[23 * 64 + 31] & 0xFFFFFF);
    EXPECT_EQ(0x00FF00u, pixels[24 * 64 + 31] & 0xFFFFFF) << "below the game";
    EXPECT_EQ(0x00FF00u, pixels[32] & 0xFFFFFF) << "right of the game";

    // A repaint larger than the game touches only the game area.
    ASSERT_TRUE(m_window.Fill(0x0000FF));
    PAINTSTRUCT paint = {};
    paint.rcPaint = RECT{-5, -5, 64, 48};
    HDC windowDc = GetDC(m_window.Handle());
    EXPECT_EQ(S_OK, device.PresentRect(windowDc, paint));
    ReleaseDC(m_window.Handle(), windowDc);
    pixels = m_window.ReadBack();
    ASSERT_EQ(64u * 48u, pixels.size());
    EXPECT_EQ(0xC80A14u, pixels[0] & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, pixels[24 * 64] & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, pixels[63] & 0xFFFFFF);
}

}  // namespace

#include "framework/system/report_values.h"
#include "graphics/screen/game_screen_device.h"

namespace {

TEST(GameScreenDeviceSettings, ChoicesReachTheDeviceAndTheMonitorListing) {
    GameScreenDevice screen;
    ScreenDisplaySettings settings;
    settings.changeResolution = true;  // no mode of the game's width on this display
    settings.monitorChoice = 9;        // beyond the list: the first monitor
    settings.depth = 16;
    settings.enlargedMethod = 3;
    settings.methodAlsoInWindow = true;
    settings.powerOfTwoTextures = true;
    settings.smoothScaling = false;
    settings.transferThroughDc = true;
    screen.TakeDisplaySettings(settings);
    const ScreenDevice& d = screen.Device();
    EXPECT_EQ(3, d.hardwareCanvasMode);
    EXPECT_EQ(1, d.windowedHardwareCanvas);
    EXPECT_EQ(1, d.powerOfTwoTextures);
    EXPECT_EQ(0, d.smoothScaling);
    EXPECT_EQ(1, d.transferThroughDc);
    ASSERT_EQ(0, screen.EnumerateDisplayModes(40, 30)) << "the desktop serves full screen without a mode change";
    ASSERT_FALSE(d.Monitors().empty());
    EXPECT_EQ(&d.Monitors()[0], d.CurrentMonitor());
    EXPECT_EQ(0, d.changeModeForFullScreen);
    HDC desktop = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), d.fullScreenDepth) << "the desktop's depth, not the asked one";
    ReleaseDC(nullptr, desktop);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), d.displaySize.cx);
}

TEST_F(ScreenWindowMode, GameDeviceInAWindowWithACanvas) {
    GameScreenDevice screen;
    ASSERT_EQ(0, screen.CreateCanvas(32, 24, false));
    ASSERT_EQ(0, screen.ChangeMode(m_window.Handle(), false, 0, 0));
    EXPECT_FALSE(screen.IsFullScreen());
    EXPECT_EQ(2, screen.ScreenMode());
    ASSERT_TRUE(m_window.Fill(0x00FF00));
    EXPECT_EQ(0, screen.PresentGdi());
    std::vector<std::uint32_t> pixels = m_window.ReadBack();
    ASSERT_EQ(64u * 48u, pixels.size());
    EXPECT_EQ(0u, pixels[5 * 64 + 5] & 0xFFFFFF) << "the new canvas is black";
    EXPECT_EQ(0x00FF00u, pixels[30 * 64 + 40] & 0xFFFFFF);
    ReportScreenValues values;
    screen.FillReportValues(values);
    EXPECT_FALSE(values.hasDirectDraw);
    EXPECT_EQ(0, values.presentMode);
    EXPECT_EQ(2, values.screenMode);
    EXPECT_EQ(0, screen.RestoreLostSurfaces());
    // Script-wide releases leave the display canvas alone.
    screen.Device().DestroyAllObjects();
    EXPECT_EQ(1, screen.Device().SurfaceCount());
    EXPECT_EQ(0, screen.PresentGdi());
}

}  // namespace

namespace {

TEST_F(ScreenWindowMode, FullScreenLetterboxAndBack) {
    ddimage::ShimmedDisplay display(m_device.DirectDraw(), Xrgb(), 32);
    display.ServeFakes();
    ScreenDevice device;
    device.AdoptDirectDraw(&display.shim, false);
    ASSERT_EQ(0, device.SetGameSize(32, 24));
    ASSERT_EQ(0, device.SetLetterbox(64, 64, false));
    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), false, false, false));
    EXPECT_EQ(1, device.displayState);
    EXPECT_EQ(1, device.letterboxInUse);
    EXPECT_EQ(1, device.GetPresentMode());
    ASSERT_EQ(2u, display.fakes.size());
    FakeDdSurface* primary = display.fakes[1].get();
    EXPECT_EQ(3, primary->blts) << "both bars and the whole primary filled black";
    EXPECT_EQ(0u, primary->fillColour);
    primary->presentAnswers = {DD_OK};
    ASSERT_EQ(0, device.PresentBackBuffer());
    ASSERT_EQ(1u, primary->presents.size());
    EXPECT_EQ(8, primary->presents[0].dest.top);
    EXPECT_EQ(56, primary->presents[0].dest.bottom);
    EXPECT_EQ(64, primary->presents[0].dest.right);

    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), true, false, false));
    EXPECT_EQ(2, device.displayState);
    EXPECT_EQ(0, device.letterboxInUse);
}

TEST_F(ScreenWindowMode, FullScreenCanvasWithoutLetterboxUsesGdi) {
    ddimage::ShimmedDisplay display(m_device.DirectDraw(), Xrgb(), 32);
    display.ServeFakes();
    ScreenDevice device;
    device.AdoptDirectDraw(&display.shim, false);
    GdiScreen* canvas = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreen(&canvas, 32, 24, 32, 0));
    ASSERT_EQ(0, device.AttachGameImage(canvas));
    device.ClearLetterbox();
    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), false, false, false));
    EXPECT_EQ(1, device.displayState);
    EXPECT_EQ(0, device.GetPresentMode());
    EXPECT_TRUE(display.fakes.empty()) << "no surfaces";
    EXPECT_EQ(0, device.RestoreLostSurfaces());
}

}  // namespace

namespace {

TEST_F(ScreenWindowMode, CanvasThroughTheBackSurface) {
    ddimage::ShimmedDisplay display(m_device.DirectDraw(), Xrgb(), 32);
    display.ServeFakes();
    ScreenDevice device;
    device.AdoptDirectDraw(&display.shim, false);
    GdiScreen* canvas = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreen(&canvas, 32, 24, 32, 0));
    ASSERT_EQ(0, device.AttachGameImage(canvas));
    device.hardwareCanvasMode = 2;
    device.windowedHardwareCanvas = 1;
    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), true, false, false));
    ASSERT_EQ(1, device.GetPresentMode());
    FakeDdSurface* back = display.fakes[0].get();
    FakeDdSurface* primary = display.fakes[1].get();

    primary->presentAnswers = {DD_OK, DD_OK};
    ASSERT_EQ(0, device.Present());
    ASSERT_EQ(1u, primary->presents.size()) << "the whole canvas, then the blit";
    EXPECT_EQ(DWORD{DDBLT_ASYNC}, primary->presents[0].flags);
    EXPECT_GT(back->locks, 0);
    // The new canvas's own dirty area may still go out once; after that nothing changes.
    ASSERT_EQ(0, device.Present());
    const std::size_t settled = primary->presents.size();
    ASSERT_EQ(0, device.Present());
    EXPECT_EQ(settled, primary->presents.size()) << "nothing changed: nothing blitted";

    device.AttachGameImage(canvas);  // marks the canvas whole again
    primary->presentAnswers = {DDERR_SURFACELOST};
    EXPECT_EQ(0, device.Present());
    EXPECT_EQ(1, primary->restores);
    EXPECT_EQ(1, back->restores);
    primary->presentAnswers = {DDERR_GENERIC};
    EXPECT_EQ(4, device.Present()) << "the lost frame's whole canvas is transferred again";
    EXPECT_EQ(settled + 2, primary->presents.size());
}

}  // namespace

namespace {

TEST_F(ScreenWindowMode, FullScreenRepaintMovesBelowTheWindowMenu) {
    FakeDdSurface primary(8, 8, Xrgb());
    FakeDdSurface back(8, 8, Xrgb());
    primary.presentAnswers = {DD_OK, DD_OK};
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "Game");
    ASSERT_TRUE(SetMenu(m_window.Handle(), menu));
    {
        ScreenDevice device;
        ASSERT_EQ(0, device.SetGameSize(32, 24));
        device.window = m_window.Handle();
        device.displayState = 1;
        device.primarySurface = primary.Interface();
        device.backSurface = back.Interface();
        primary.references = back.references = 2;
        PAINTSTRUCT paint = {};
        paint.rcPaint = RECT{-4, 2, 100, 10};
        ASSERT_EQ(S_OK, device.PresentRect(nullptr, paint));
        SetMenu(m_window.Handle(), nullptr);
        ASSERT_EQ(S_OK, device.PresentRect(nullptr, paint));
    }
    DestroyMenu(menu);
    ASSERT_EQ(2u, primary.presents.size());
    const int menuHeight = GetSystemMetrics(SM_CYMENU);
    const RECT& moved = primary.presents[0].dest;
    EXPECT_EQ(0, moved.left);
    EXPECT_EQ(32, moved.right) << "clipped to the game";
    EXPECT_EQ(2 + menuHeight, moved.top);
    EXPECT_EQ(10 + menuHeight, moved.bottom);
    EXPECT_EQ(DWORD{DDBLT_WAIT}, primary.presents[0].flags);
    EXPECT_EQ(2, primary.presents[1].dest.top) << "no menu: not moved";
}

}  // namespace

namespace {

// A display canvas presented through the back surface's device context, on fake surfaces.
struct CanvasByDc {
    ddimage::ShimmedDisplay display;
    ScreenDevice device;
    FakeDdSurface* back = nullptr;
    FakeDdSurface* primary = nullptr;

    CanvasByDc(IDirectDraw7* real, HWND window) : display(real, Xrgb(), 32) {
        display.ServeFakes();
        device.AdoptDirectDraw(&display.shim, false);
        GdiScreen* canvas = nullptr;
        EXPECT_EQ(0, device.CreateGdiScreen(&canvas, 32, 24, 32, 0));
        EXPECT_EQ(0, device.AttachGameImage(canvas));
        device.hardwareCanvasMode = 2;
        device.windowedHardwareCanvas = 1;
        device.transferThroughDc = 1;
        EXPECT_EQ(0, device.ChangeMode(window, true, false, false));
        back = display.fakes[0].get();
        primary = display.fakes[1].get();
    }
};

TEST_F(ScreenWindowMode, CanvasThroughTheBackSurfacesDeviceContext) {
    struct Row {
        const char* name;
        std::vector<HRESULT> dcAnswers;
        std::int32_t result;
        int restores;
        bool blitted;
    };
    const Row rows[] = {
        {"device context at once", {DD_OK}, 0, 0, true},
        {"lost, restored, whole canvas", {DDERR_SURFACELOST, DD_OK}, 0, 1, true},
        {"wrong mode, restored", {DDERR_WRONGMODE, DD_OK}, 0, 1, true},
        {"lost twice", {DDERR_SURFACELOST, DDERR_SURFACELOST}, 2, 1, false},
        {"other failure", {DDERR_GENERIC}, 2, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CanvasByDc c(m_device.DirectDraw(), m_window.Handle());
        // The first frames go out whole (the new canvas's own dirty area may follow once); then
        // nothing changes.
        c.back->dcAnswers = {DD_OK, DD_OK, DD_OK};
        c.primary->presentAnswers = {DD_OK, DD_OK};
        for (int i = 0; i < 3; ++i) ASSERT_EQ(0, c.device.Present()) << i;
        const std::size_t settled = c.primary->presents.size();
        c.back->dcAnswers = row.dcAnswers;
        c.primary->presentAnswers = {DD_OK};
        EXPECT_EQ(row.result, c.device.Present());
        EXPECT_EQ(row.restores, c.back->restores);
        const bool lostFirst = row.dcAnswers.size() > 1;
        // Only a restored surface sends the unchanged canvas again.
        EXPECT_EQ(row.blitted && lostFirst ? settled + 1 : settled, c.primary->presents.size());
    }
}

TEST_F(ScreenWindowMode, VerticalBlankWaitOnlyOutsideTheBlank) {
    for (const int inBlank : {0, 1}) {
        SCOPED_TRACE(inBlank ? "in the blank" : "outside the blank");
        ddimage::ShimmedDisplay display(m_device.DirectDraw(), Xrgb(), 32);
        display.ServeFakes();
        display.shim.blankStatus = inBlank;
        ScreenDevice device;
        device.AdoptDirectDraw(&display.shim, false);
        ASSERT_EQ(0, device.SetGameSize(32, 24));
        ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), true, false, false));
        FakeDdSurface* primary = display.fakes[1].get();
        primary->presentAnswers = {DD_OK, DD_OK};
        ASSERT_EQ(0, device.PresentBackBuffer());
        EXPECT_EQ(0, display.shim.blankWaits) << "presentWait 0 never waits";
        device.presentWait = 1;
        ASSERT_EQ(0, device.PresentBackBuffer());
        EXPECT_EQ(inBlank ? 0 : 1, display.shim.blankWaits);
    }
}

TEST_F(ScreenWindowMode, StretchTestOnlyOnceAndNotBelowSixteenBits) {
    ddimage::ShimmedDisplay display(m_device.DirectDraw(), testsupport::RgbFormat(8, 0, 0, 0, 0), 8);
    display.ServeFakes();
    ScreenDevice device;
    device.AdoptDirectDraw(&display.shim, false);
    EXPECT_FALSE(device.TestStretchFiltering());
    EXPECT_EQ(1, device.stretchFilterResult);
    EXPECT_EQ(2u, display.fakes.size());
    EXPECT_EQ(0, display.fakes[0]->blts) << "8 bits a pixel: no stripes";
    EXPECT_EQ(0, display.fakes[0]->references);
    EXPECT_EQ(0, display.fakes[1]->references);
    EXPECT_FALSE(device.TestStretchFiltering());
    EXPECT_EQ(2u, display.fakes.size()) << "tested once";
}

}  // namespace

#include <atomic>
#include <thread>

namespace {

TEST_F(ScreenWindowMode, WindowThreadRepaintsWhileAnotherThreadPresents) {
    ScreenDevice device;
    GdiScreen* canvas = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreen(&canvas, 32, 24, 32, 0));
    ASSERT_EQ(0, device.AttachGameImage(canvas));
    ASSERT_EQ(0, device.ChangeMode(m_window.Handle(), true, false, false));
    HDC canvasDc = canvas->PresentSourceDC();
    ASSERT_NE(nullptr, canvasDc);
    const int frames = 3000;
    auto colourOf = [](int frame) { return static_cast<std::uint32_t>((frame * 2654435761u) & 0xFFFFFF); };
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::thread presenter([&] {
        for (int frame = 0; frame < frames; ++frame) {
            const std::uint32_t c = colourOf(frame);
            HBRUSH brush = CreateSolidBrush(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
            RECT all{0, 0, 32, 24};
            FillRect(canvasDc, &all, brush);
            DeleteObject(brush);
            GdiFlush();
            device.AttachGameImage(canvas);  // the whole canvas goes out
            if (device.Present() != 0) ++failures;
        }
        done = true;
    });
    int repaints = 0;
    while (!done) {
        HDC windowDc = GetDC(m_window.Handle());
        PAINTSTRUCT paint = {};
        paint.rcPaint = RECT{0, 0, 64, 48};
        if (device.PresentRect(windowDc, paint) != S_OK) ++failures;
        ReleaseDC(m_window.Handle(), windowDc);
        ++repaints;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    presenter.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_GT(repaints, 0);
    const std::vector<std::uint32_t> pixels = m_window.ReadBack();
    ASSERT_EQ(64u * 48u, pixels.size());
    const std::uint32_t last = colourOf(frames - 1);
    for (const int at : {0, 5 * 64 + 5, 23 * 64 + 31}) EXPECT_EQ(last, pixels[at] & 0xFFFFFF) << at;
}

}  // namespace

namespace {

TEST_F(ScreenWindowMode, FullScreenScalerSurfacesRetriedOnceWithoutDirect3DCaps) {
    for (const bool secondFails : {false, true}) {
        SCOPED_TRACE(secondFails ? "the retry fails too" : "the retry succeeds");
        ddimage::ShimmedDisplay display(m_device.DirectDraw(), Xrgb(), 32);
        display.ServeFakes();
        std::vector<DWORD> askedCaps;
        display.shim.makeSurface = [inner = display.shim.makeSurface, &askedCaps, secondFails](
                                       DDSURFACEDESC2* d, IDirectDrawSurface7** out) {
            askedCaps.push_back(d->ddsCaps.dwCaps);
            if (askedCaps.size() == 1 || (secondFails && askedCaps.size() == 2))
                return static_cast<HRESULT>(DDERR_OUTOFMEMORY);
            return inner(d, out);
        };
        ScreenDevice device;
        device.AdoptDirectDraw(&display.shim, false);
        GdiScreen* canvas = nullptr;
        ASSERT_EQ(0, device.CreateGdiScreen(&canvas, 32, 24, 32, 0));
        ASSERT_EQ(0, device.AttachGameImage(canvas));
        ASSERT_EQ(0, device.SetLetterbox(64, 64, false));
        device.hardwareCanvasMode = 3;
        EXPECT_EQ(secondFails ? 5 : 0, device.ChangeMode(m_window.Handle(), false, false, false));
        ASSERT_GE(askedCaps.size(), 2u);
        EXPECT_NE(0u, askedCaps[0] & DDSCAPS_3DDEVICE) << "first with Direct3D caps";
        EXPECT_EQ(0u, askedCaps[1] & DDSCAPS_3DDEVICE) << "then without";
        EXPECT_EQ(secondFails ? 2u : 3u, askedCaps.size()) << "one retry only";
        EXPECT_EQ(0, device.hardwareCanvasMode);
        EXPECT_EQ(secondFails ? 0 : 1, device.GetPresentMode());
    }
}

}  // namespace
