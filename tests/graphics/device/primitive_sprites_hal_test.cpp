// Two primitives drawn by Wine's Direct3D device on a 3D-capable off-screen surface, read back
// (catches vertex-format and stride mistakes the recording device cannot see), and a texture of
// the screen device released by either face.
#include <gtest/gtest.h>

#include "graphics/compose/math_tables.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/device/screen_device.h"
#include "graphics/surfaces/texture_image.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/graphics/surfaces/texture_fixture.h"

namespace {

using ddimage::RawPixels;

class PrimitivesOnWine : public ddimage::TextureFixture {
protected:
    void ClearTarget() {
        DDBLTFX fx = {};
        fx.dwSize = sizeof(fx);
        fx.dwFillColor = 0;
        ASSERT_EQ(DD_OK, m_target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
    }
    std::int32_t DrawOne(DeviceDrawable& drawable) {
        IDirect3DDevice7* device = m_d3d.Device();
        if (FAILED(device->BeginScene())) return -1;
        const std::int32_t result = drawable.Draw(m_target, nullptr, &m_d3d);
        device->EndScene();
        return result;
    }
};

TEST_F(PrimitivesOnWine, HalfRedRectangleOverBlack) {
    ClearTarget();
    ColourRectSprite rect;
    ASSERT_EQ(0, rect.SetUp(8, 6, 0x80FF0000, 4, 2));
    ASSERT_EQ(0, DrawOne(rect));
    const ddimage::Units pixels = RawPixels(m_target, 32, 32);
    ASSERT_EQ(32u * 32u, pixels.size());
    const std::uint32_t inside = pixels[4 * 32 + 6] & 0xFFFFFF;
    EXPECT_NEAR(128, static_cast<int>(inside >> 16), 2);
    EXPECT_EQ(0u, inside & 0xFFFF);
    EXPECT_EQ(0u, pixels[1 * 32 + 6] & 0xFFFFFF) << "above";
    EXPECT_EQ(0u, pixels[4 * 32 + 12] & 0xFFFFFF) << "right of it";
    EXPECT_EQ(0u, pixels[8 * 32 + 6] & 0xFFFFFF) << "below";
}

TEST_F(PrimitivesOnWine, TexturedQuadShowsItsTexture) {
    Caps(m_wineCaps);
    ASSERT_TRUE(testsupport::WriteFile(Game("q.elg"), ddimage::ElgOf(24, 8, 8)));
    TextureImage texture;
    ASSERT_EQ(0, texture.Load(kPixelFormatXrgb32, "q.elg", nullptr, 0, false));
    ClearTarget();
    TexturedQuadSprite quad;
    ASSERT_EQ(0, quad.SetUp(&texture, nullptr, 3, 5));
    ASSERT_EQ(0, DrawOne(quad));
    const ddimage::Units pixels = RawPixels(m_target, 32, 32);
    const ddimage::Units picture = ddimage::Picture(8, 8);
    for (std::int32_t y : {0, 3, 7})
        for (std::int32_t x : {0, 4, 7})
            EXPECT_EQ(picture[y * 8 + x] & 0xFFFFFF, pixels[(5 + y) * 32 + 3 + x] & 0xFFFFFF) << x << "," << y;
    EXPECT_EQ(0u, pixels[5 * 32 + 11] & 0xFFFFFF);
}

}  // namespace

namespace {

// A texture made by the screen device is found and released by either of its faces, and the
// quad that showed it forgets it.
TEST_F(PrimitivesOnWine, TextureReleasedByEitherFace) {
    Caps(m_wineCaps);
    ASSERT_TRUE(testsupport::WriteFile(Game("q.elg"), ddimage::ElgOf(24, 8, 8)));
    testsupport::PoisonFreedMemory poison;
    for (bool byTextureFace : {true, false}) {
        SCOPED_TRACE(byTextureFace ? "texture face" : "surface face");
        ScreenDevice device;
        device.AdoptDirectDraw(m_d3d.DirectDraw(), true);
        device.m_displayDepth = 32;
        ASSERT_EQ(0, device.AdoptDevice(m_d3d.Device()));
        Texture* texture = nullptr;
        ASSERT_EQ(0, device.CreateTextureImage(&texture, kPixelFormatXrgb32, "q.elg", nullptr, 0, 0));
        Surface* surface = static_cast<TextureImage*>(texture);
        const std::uint32_t textureWord = HandleTable<Surface>::WordOf(texture);
        const std::uint32_t surfaceWord = HandleTable<Surface>::WordOf(surface);
        ASSERT_NE(textureWord, surfaceWord) << "the two faces differ";
        EXPECT_EQ(surface, device.FindSurface(textureWord));
        EXPECT_EQ(surface, device.FindSurface(surfaceWord));
        EXPECT_EQ(texture, device.FindTexture(textureWord));
        EXPECT_EQ(texture, device.FindTexture(surfaceWord));
        TexturedQuadSprite* quad = nullptr;
        ASSERT_EQ(0, device.CreateTexturedQuad(&quad, texture, nullptr, 0, 0));

        EXPECT_EQ(0, device.ReleaseImage(byTextureFace ? static_cast<const void*>(texture) : surface));
        EXPECT_NE(-1, poison.FreedAt(static_cast<TextureImage*>(texture))) << "the object is deleted";
        EXPECT_EQ(nullptr, device.FindSurface(textureWord));
        EXPECT_EQ(nullptr, device.FindSurface(surfaceWord));
        EXPECT_EQ(nullptr, device.FindTexture(textureWord));
        EXPECT_EQ(2, device.ReleaseImage(texture)) << "gone";
        EXPECT_FALSE(quad->IsEnabled());
        EXPECT_EQ(nullptr, quad->GetTexture());
        EXPECT_EQ(0, quad->Draw(nullptr, nullptr, &device));
        device.DestroyAllObjects();
        device.ReleaseDevice();
        device.ReleaseDirectDraw();
    }
}

}  // namespace
