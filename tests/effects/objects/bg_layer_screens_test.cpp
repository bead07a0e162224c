#include "effects/objects/bg_layer_screens.h"

#include <gtest/gtest.h>

#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/direct_draw_screen.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/surfaces/texture_screen.h"

namespace {

// Each screen class holds its buffer after its Surface side, so a buffer never lies at the
// screen's own address: the conversions must go through the classes both ways.
template <class Screen>
void ExpectBothWays(Screen& screen, SurfaceKind kind) {
    Surface* surface = &screen;
    ScreenBuffer* buffer = &screen;
    ASSERT_EQ(kind, surface->Kind());
    ASSERT_NE(static_cast<void*>(surface), static_cast<void*>(buffer));
    EXPECT_EQ(buffer, ScreenToScreenBuffer(surface));
    EXPECT_EQ(surface, ScreenBufferToScreen(buffer));
}

TEST(BgLayerScreens, EachScreenKindAndItsBufferFindEachOther) {
    DirectDrawScreen directDraw;
    TextureScreen texture;
    GdiScreen gdi;
    MemoryScreen memory;
    {
        SCOPED_TRACE("kind 7");
        ExpectBothWays(directDraw, kSurfaceDirectDrawScreen);
    }
    {
        SCOPED_TRACE("kind 8");
        ExpectBothWays(texture, kSurfaceTextureScreen);
    }
    {
        SCOPED_TRACE("kind 9");
        ExpectBothWays(gdi, kSurfaceGdiScreen);
    }
    {
        SCOPED_TRACE("kind 10");
        ExpectBothWays(memory, kSurfaceMemoryScreen);
    }
}

TEST(BgLayerScreens, NullAndOtherSurfacesHaveNoBuffer) {
    Image image;
    EXPECT_EQ(nullptr, ScreenToScreenBuffer(nullptr));
    EXPECT_EQ(nullptr, ScreenToScreenBuffer(&image));
    EXPECT_EQ(nullptr, ScreenBufferToScreen(nullptr));
}

}  // namespace
