// Textures lost to the exclusive full-screen level: the suite changes the display's level, so
// CTest runs it alone (SERIAL_SUITES in the CMake file).
#include <gtest/gtest.h>

#include "graphics/compose/pixel_format.h"
#include "graphics/surfaces/texture_image.h"
#include "graphics/surfaces/texture_screen.h"
#include "tests/graphics/surfaces/texture_fixture.h"

namespace {

using namespace ddimage;

class TextureFullScreen : public TextureFixture {
protected:
    void SetUp() override {
        TextureFixture::SetUp();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TextureFullScreenTest";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, windowClass.lpszClassName, "full screen", WS_POPUP, 0, 0, 64, 64, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(m_window, nullptr);
    }
    void TearDown() override {
        TextureFixture::TearDown();
        DestroyWindow(m_window);
    }
    // Takes the exclusive level and gives it back: every surface made before is lost.
    void LoseEverything() {
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        ASSERT_EQ(0, m_d3d.SetFullscreenMode(m_window, width, height, 32, true));
        ASSERT_EQ(0, m_d3d.SetWindowedMode(false));
    }
    HWND m_window = nullptr;
};

TEST_F(TextureFullScreen, LostTexturesComeBackFromTheirFileAndTheirBackBuffer) {
    Caps(m_wineCaps);
    ASSERT_TRUE(testsupport::WriteFile(Game("t.elg"), ElgOf(24, 6, 4)));
    TextureImage picture;
    ASSERT_EQ(0, picture.Load(kPixelFormatXrgb32, "t.elg", nullptr, 0, false));
    ASSERT_EQ(0, picture.SetColourKeyRgb(0x20, 0x40, 0x80));
    Units before;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) before.push_back(static_cast<std::uint32_t>(picture.GetPixel(x, y)));
    TextureScreen screen;
    ASSERT_EQ(0, screen.Create(kPixelFormatXrgb32, 20, 10, 32, 0, false));
    const RECT area = {1, 1, 3, 3};
    ASSERT_TRUE(screen.GetImage()->FillRect(0xFF, 0x80, 0x40, &area));

    LoseEverything();
    ASSERT_EQ(DDERR_SURFACELOST, picture.GetSurface()->IsLost());
    ASSERT_EQ(DDERR_SURFACELOST, screen.GetSurface()->IsLost());
    EXPECT_EQ(2, screen.UpdateSurface(false)) << "a lost texture is reported";

    ASSERT_EQ(0, picture.Restore(true));
    EXPECT_EQ(DD_OK, picture.GetSurface()->IsLost());
    Units after;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) after.push_back(static_cast<std::uint32_t>(picture.GetPixel(x, y)));
    EXPECT_EQ(before, after);
    EXPECT_EQ(0x204080, SurfaceKey(picture.GetSurface()));

    ASSERT_EQ(0, screen.Restore(true));
    EXPECT_EQ(DD_OK, screen.GetSurface()->IsLost());
    const Units texels = RawPixels(screen.GetSurface(), 20, 10);
    EXPECT_EQ(0xFF8040u, texels[2 * 20 + 2] & 0x00FFFFFF);
    EXPECT_EQ(0u, texels[0] & 0x00FFFFFF);
}

}  // namespace
