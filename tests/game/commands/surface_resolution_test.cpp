#include "game/commands/surface_resolution.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/command_doubles.h"

namespace {

using namespace testsupport;

struct Resolved {
    Image* image;
    ScreenBuffer* backBuffer;
    Canvas* canvas;
};

class SurfaceResolution : public ::testing::Test {
protected:
    SurfaceResolution() : m_scope(&m_objects, nullptr, nullptr, nullptr) {}

    Resolved Resolve(std::uint32_t word) {
        return {ImageOfSurface(word), BackBufferOfScreen(word), CanvasOfScreen(word)};
    }

    FakeGraphicsObjects m_objects;
    Image m_image;       // kind 4
    Image m_backImage;   // a screen's drawing target
    Canvas m_canvas;
    SpriteList m_overlay;
    ServicesScope m_scope;
};

TEST_F(SurfaceResolution, PlainSurfacesResolveToNothingButTheSoftwareImage) {
    for (int kind : {0, 1, 2, 3, 5, 6}) {
        SCOPED_TRACE(kind);
        FakeSurface surface(static_cast<SurfaceKind>(kind));
        m_objects.AddSurface(surface);
        const Resolved r = Resolve(WordOf(&surface));
        EXPECT_EQ(nullptr, r.image);
        EXPECT_EQ(nullptr, r.backBuffer);
        EXPECT_EQ(nullptr, r.canvas);
        m_objects.Remove(WordOf(&surface));
    }
    m_objects.AddImage(m_image);
    EXPECT_EQ(&m_image, ImageOfSurface(WordOf(&m_image)));
    EXPECT_EQ(nullptr, BackBufferOfScreen(WordOf(&m_image)));

    // A kind-4 surface that is not an image (a bare pixel buffer) draws nothing.
    FakeSurface buffer(kSurfacePixelBuffer);
    m_objects.AddSurface(buffer);
    EXPECT_EQ(nullptr, ImageOfSurface(WordOf(&buffer)));
}

TEST_F(SurfaceResolution, ScreensResolveThroughTheirBackBuffer) {
    for (int kind : {7, 9, 10}) {
        SCOPED_TRACE(kind);
        FakeScreen screen(static_cast<SurfaceKind>(kind), &m_backImage, &m_canvas, &m_overlay);
        m_objects.AddScreen(screen);
        const std::uint32_t word = WordOf(static_cast<FakeSurface*>(&screen));
        const Resolved r = Resolve(word);
        EXPECT_EQ(&m_backImage, r.image);
        EXPECT_EQ(static_cast<ScreenBuffer*>(&screen), r.backBuffer);
        EXPECT_EQ(&m_canvas, r.canvas);
        m_objects.Remove(word);
    }
}

// Kind 8 keeps its back buffer elsewhere in the object: the word still reaches it.
TEST_F(SurfaceResolution, TheTextureScreenResolvesToItsOwnBackBuffer) {
    FakeTextureScreen screen(&m_backImage, &m_canvas, nullptr);
    m_objects.AddScreen(screen);
    const Resolved r = Resolve(WordOf(&screen));
    EXPECT_EQ(&m_backImage, r.image);
    EXPECT_EQ(&screen.buffer, r.backBuffer);
    EXPECT_EQ(&m_canvas, r.canvas);
}

TEST_F(SurfaceResolution, AScreenWithoutCanvasGivesNoCanvasButItsBackBuffer) {
    FakeScreen screen(kSurfaceGdiScreen, &m_backImage, nullptr, nullptr);
    m_objects.AddScreen(screen);
    const std::uint32_t word = WordOf(static_cast<FakeSurface*>(&screen));
    EXPECT_EQ(nullptr, CanvasOfScreen(word));
    Canvas* canvas = &m_canvas;
    EXPECT_EQ(static_cast<ScreenBuffer*>(&screen), CanvasAndBackBufferOfScreen(word, &canvas));
    EXPECT_EQ(nullptr, canvas);
}

TEST_F(SurfaceResolution, CanvasAndBackBufferLeavesTheOutWordAloneForOtherKinds) {
    FakeScreen screen(kSurfaceDirectDrawScreen, &m_backImage, &m_canvas, nullptr);
    FakeSurface image(kSurfaceTextureImage);
    m_objects.AddScreen(screen);
    m_objects.AddSurface(image);
    Canvas* canvas = nullptr;
    EXPECT_EQ(static_cast<ScreenBuffer*>(&screen),
              CanvasAndBackBufferOfScreen(WordOf(static_cast<FakeSurface*>(&screen)), &canvas));
    EXPECT_EQ(&m_canvas, canvas);
    Canvas* untouched = reinterpret_cast<Canvas*>(0x1234);
    EXPECT_EQ(nullptr, CanvasAndBackBufferOfScreen(WordOf(&image), &untouched));
    EXPECT_EQ(reinterpret_cast<Canvas*>(0x1234), untouched);
}

}  // namespace
