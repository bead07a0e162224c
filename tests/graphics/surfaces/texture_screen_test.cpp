// The texture screen on Wine's Direct3D textures: sizes and coordinates by the caps, the back
// buffer's kind, updates of changed rectangles and transition frames read back from the
// texture, Restore, and the Surface face walked by the pixel library.
#include "graphics/surfaces/texture_screen.h"

#include <gtest/gtest.h>

#include "graphics/compose/pixel_format.h"
#include "graphics/image/image.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/surfaces/direct_draw_screen.h"
#include "graphics/surfaces/gdi_screen.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/graphics/surfaces/texture_fixture.h"
#include "tests/support/recording_transition.h"

namespace {

using namespace ddimage;

constexpr std::uint32_t kPow2 = D3DPTEXTURECAPS_POW2;

using TextureScreenOnWine = TextureFixture;

class BackBufferSwitch {
public:
    explicit BackBufferSwitch(bool dib) : m_saved(DibBackBufferSwitch) { DibBackBufferSwitch = dib ? 1 : 0; }
    ~BackBufferSwitch() { DibBackBufferSwitch = m_saved; }

private:
    std::uint8_t m_saved;
};

TEST_F(TextureScreenOnWine, TheTextureIsRoundedForTheDeviceAndNeverShrunk) {
    Caps(kPow2);
    TextureScreen screen;
    ASSERT_EQ(0, screen.Create(kPixelFormatXrgb32, 640, 480, 32, 1, false));
    EXPECT_EQ(1024, screen.TextureWidth());
    EXPECT_EQ(512, screen.TextureHeight());
    EXPECT_EQ(640, screen.PictureWidth());
    EXPECT_EQ(480, screen.PictureHeight());
    EXPECT_EQ(0.5f / 1024, screen.U(0));
    EXPECT_EQ(639.5f / 1024, screen.U(639));
    EXPECT_EQ(479.5f / 512, screen.V(479));
    EXPECT_EQ(kSurfaceTextureScreen, screen.Kind());
    EXPECT_EQ(kSurfaceTextureScreen, static_cast<ScreenBuffer&>(screen).Kind());
    EXPECT_EQ(kSurfaceTextureScreen, static_cast<Texture&>(screen).Kind());
    // The Surface face is the back buffer's.
    Surface& face = static_cast<DirectDrawImage&>(screen);
    EXPECT_EQ(640, face.Width());
    EXPECT_EQ(480, face.Height());
    EXPECT_EQ(screen.GetImage()->Pitch(), face.Pitch());
    EXPECT_EQ(screen.GetImage()->Bits(), face.Bits());

    Caps(kPow2, 512);
    EXPECT_EQ(2, screen.Create(kPixelFormatXrgb32, 640, 480, 32, 1, false));
    EXPECT_EQ(nullptr, screen.GetSurface());
    EXPECT_EQ(3, screen.CreateTexture(kPixelFormatXrgb32, 640, 480, false));
    Caps(kPow2);
    EXPECT_EQ(2, screen.CreateTexture(kPixelFormatRgb24, 64, 64, false)) << "no 24-bit texture on Wine";
    CurrentDirect3DDevice = nullptr;
    EXPECT_EQ(1, screen.Create(kPixelFormatXrgb32, 64, 64, 32, 1, false));
    EXPECT_EQ(1, screen.UpdateSurface(false));
    CurrentDirect3DDevice = &m_d3d;
}

TEST_F(TextureScreenOnWine, AnArgbTextureKeepsAPlainBackBufferWhateverTheSwitch) {
    Caps(m_wineCaps);
    BackBufferSwitch dib(true);
    TextureScreen argb, xrgb;
    ASSERT_EQ(0, argb.Create(kPixelFormatArgb32, 16, 8, 32, 0, false));
    ASSERT_EQ(0, xrgb.Create(kPixelFormatXrgb32, 16, 8, 32, 0, false));
    EXPECT_EQ(nullptr, argb.GetImage()->MemoryDc());
    EXPECT_NE(nullptr, xrgb.GetImage()->MemoryDc());
    BackBufferSwitch plain(false);
    ASSERT_EQ(0, xrgb.ChangeDepth(8));
    EXPECT_EQ(nullptr, xrgb.GetImage()->MemoryDc());
    EXPECT_EQ(8, xrgb.Depth());
}

TEST_F(TextureScreenOnWine, ChangedRectanglesReachTheTexture) {
    Caps(kPow2);
    for (std::int32_t code : {kPixelFormatXrgb32, kPixelFormatArgb32}) {
        for (bool dib : {true, false}) {
            SCOPED_TRACE(testing::Message() << "code " << code << (dib ? " DIB" : " plain"));
            BackBufferSwitch useDib(dib);
            TextureScreen screen;
            ASSERT_EQ(0, screen.Create(code, 20, 10, 32, 0, false));
            ASSERT_EQ(32, screen.TextureWidth());
            EXPECT_EQ(0, screen.UpdateSurface(true));
            EXPECT_EQ(-1, screen.UpdateSurface(true));
            const RECT area = {3, 2, 7, 5};
            ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &area));
            EXPECT_EQ(0, screen.UpdateSurface(true));
            const Units texels = RawPixels(screen.GetSurface(), 32, 16);
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 20; ++x) {
                    const POINT p = {x, y};
                    ASSERT_EQ(PtInRect(&area, p) ? 0xFF8040u : 0u, texels[y * 32 + x] & 0x00FFFFFF) << x << "," << y;
                }
            EXPECT_EQ(-1, screen.UpdateSurface(true));
        }
    }
}

TEST_F(TextureScreenOnWine, TransitionFramesReachTheTexture) {
    Caps(kPow2);
    for (bool dib : {true, false}) {
        SCOPED_TRACE(dib ? "DIB" : "plain");
        BackBufferSwitch useDib(dib);
        TextureScreen screen;
        ASSERT_EQ(0, screen.Create(kPixelFormatXrgb32, 20, 10, 32, 1, false));
        MemoryScreen other;
        ASSERT_EQ(0, other.CreateSimple(20, 10, 32, false));
        ASSERT_EQ(0, screen.SetAlternate(&other));
        auto* transition = new testsupport::RecordingTransition(2);
        transition->fill = true;
        transition->fillValue = 0x00FF8040;
        ASSERT_EQ(0, screen.BeginTransition(transition, kTransitionPictures, false, false));
        EXPECT_EQ(0, screen.UpdateSurface(true));
        const Units texels = RawPixels(screen.GetSurface(), 32, 16);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) ASSERT_EQ(0xFF8040u, texels[y * 32 + x] & 0x00FFFFFF) << x << "," << y;
        screen.EndTransition(false);
    }
}

TEST_F(TextureScreenOnWine, RestoreRebuildsTheTextureFromTheBackBufferWithItsKey) {
    Caps(kPow2);
    TextureScreen screen;
    EXPECT_EQ(0, screen.Restore(false)) << "nothing to restore";
    ASSERT_EQ(0, screen.Create(kPixelFormatXrgb32, 20, 10, 32, 0, false));
    const RECT area = {1, 1, 3, 3};
    ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &area));
    ASSERT_TRUE(screen.GetImage()->SetPixel(5, 5, 0x00102030));
    ASSERT_EQ(0, screen.SetColourKeyFromPixel(5, 5));
    EXPECT_EQ(0x102030, screen.ColourKey());
    EXPECT_EQ(1, screen.SetColourKeyFromPixel(20, 5));
    ASSERT_EQ(0, screen.SetColourKeyFromPixel(5, 5));
    IDirectDrawSurface7* before = screen.GetSurface();
    EXPECT_EQ(0, screen.Restore(true));
    EXPECT_EQ(before, screen.GetSurface());
    ASSERT_EQ(0, screen.Restore(false));
    EXPECT_EQ(32, screen.TextureWidth());
    EXPECT_EQ(0x102030, screen.ColourKey());
    EXPECT_EQ(0x102030, SurfaceKey(screen.GetSurface()));
    const Units texels = RawPixels(screen.GetSurface(), 32, 16);
    EXPECT_EQ(0xFF8040u, texels[2 * 32 + 2] & 0x00FFFFFF);
    EXPECT_EQ(0u, texels[0] & 0x00FFFFFF);
}

// The fault this guards: the Surface face gave the texture's width, height and pitch with the
// back buffer's pixels, so the library's rectangle operations walked the back buffer with the
// texture's (longer) rows.
TEST_F(TextureScreenOnWine, TheLibraryFillsThroughTheSurfaceFaceWithinTheBackBuffer) {
    testsupport::PixelConfigScope library(testsupport::PixelConfig::LibraryPortable);
    ASSERT_TRUE(library.Ready());
    Caps(kPow2);
    BackBufferSwitch plain(false);
    TextureScreen screen;
    ASSERT_EQ(0, screen.Create(kPixelFormatXrgb32, 20, 10, 32, 0, false));
    ASSERT_EQ(32, screen.TextureWidth());
    auto fill = reinterpret_cast<pixelops::FillRectArgbOp>(g_pixelOpTable.Word(pixelops::kWordFillRectArgb));
    ASSERT_NE(nullptr, fill);
    Surface* face = static_cast<DirectDrawImage*>(&screen);
    fill(face, 0xFF00FF00, nullptr);  // the clip rectangle: the whole back buffer
    const RECT corner = {16, 8, 20, 10};
    fill(face, 0xFF0000FF, &corner);
    Image* image = screen.GetImage();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const POINT p = {x, y};
            ASSERT_EQ(PtInRect(&corner, p) ? 0x0000FFu : 0x00FF00u, image->GetPixel(x, y) & 0x00FFFFFF) << x << "," << y;
        }
}

// Images read the DirectDraw and texture screens from their back buffers (kinds 7 and 8: drawn
// but not yet brought into the surface) and texture pictures from the texture (kind 2).
TEST_F(TextureScreenOnWine, ImagesReadScreensFromTheirBackBuffersAndTexturesFromTheTexture) {
    Caps(kPow2);
    DirectDrawScreen ddScreen;
    ASSERT_EQ(0, ddScreen.Create(20, 10, 32, 0));
    TextureScreen texScreen;
    ASSERT_EQ(0, texScreen.Create(kPixelFormatXrgb32, 20, 10, 32, 0, false));
    const RECT area = {2, 1, 6, 4};
    ASSERT_TRUE(ddScreen.GetImage()->FillRect(0x12, 0x34, 0x56, &area));
    ASSERT_TRUE(texScreen.GetImage()->FillRect(0x12, 0x34, 0x56, &area));
    const Bytes data = ElgOf(24, 6, 4);
    TextureImage picture;
    ASSERT_EQ(0, picture.Load(kPixelFormatXrgb32, nullptr, data.data(), static_cast<std::uint32_t>(data.size()), false));

    struct Case {
        const char* name;
        Surface* source;
        std::uint32_t (*want)(TextureImage&, int, int);
    };
    auto screenColour = [](TextureImage&, int x, int y) -> std::uint32_t {
        return x >= 2 && x < 6 && y >= 1 && y < 4 ? 0x123456u : 0u;
    };
    auto textureColour = [](TextureImage& t, int x, int y) -> std::uint32_t {
        return static_cast<std::uint32_t>(t.GetPixel(x, y));
    };
    const Case cases[] = {
        {"DirectDraw screen", static_cast<DeviceSurface*>(&ddScreen), screenColour},
        {"texture screen", static_cast<DirectDrawImage*>(&texScreen), screenColour},
        {"texture picture", static_cast<DirectDrawImage*>(&picture), textureColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        ASSERT_EQ(0, image.Create(6, 4, 32, kImageDibSection));
        ASSERT_TRUE(image.FillValue(0x00C0FFEE, nullptr));
        const RECT from = {0, 0, 6, 4};
        ASSERT_EQ(0, image.BltFromSurface(c.source, 0, 0, &from));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) EXPECT_EQ(c.want(picture, x, y), image.GetPixel(x, y) & 0x00FFFFFF) << x << "," << y;
        const SIZE twice = {12, 8};
        Image stretched;
        ASSERT_EQ(0, stretched.Create(12, 8, 32, kImageDibSection));
        ASSERT_EQ(0, stretched.StretchFromSurface(c.source, &twice, 0, 0, &from));
        if (c.source != static_cast<DirectDrawImage*>(&picture)) {
            EXPECT_EQ(0x123456u, stretched.GetPixel(5, 3) & 0x00FFFFFF);
            EXPECT_EQ(0u, stretched.GetPixel(1, 1) & 0x00FFFFFF);
        }
    }
}

}  // namespace
