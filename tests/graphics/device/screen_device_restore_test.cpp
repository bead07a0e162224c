// RestoreObjects after a lost display, on DirectDraw pictures whose surfaces come from the fake
// display: one surface that cannot be made again must not leave the others broken.
#include <gtest/gtest.h>

#include "graphics/device/screen_device.h"
#include "graphics/device/state_blocks.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"

namespace {

using ddimage::ShimmedDisplay;

class ScreenDeviceRestore : public ddimage::DirectDrawImageFixture {};

TEST_F(ScreenDeviceRestore, EverySurfaceIsRestoredWhenOneFails) {
    ShimmedDisplay display(m_device.DirectDraw(), ddimage::Xrgb32(), 32);
    display.ServeFakes();
    int calls = 0;
    int failAt = 0;
    display.shim.makeSurface = [inner = display.shim.makeSurface, &calls, &failAt](DDSURFACEDESC2* d,
                                                                                   IDirectDrawSurface7** out) {
        if (++calls == failAt) return static_cast<HRESULT>(DDERR_OUTOFMEMORY);
        return inner(d, out);
    };
    {
        ScreenDevice device;
        device.AdoptDirectDraw(&display.shim, false);
        device.m_displayDepth = 32;
        DirectDrawImage* images[3] = {};
        for (DirectDrawImage*& image : images) ASSERT_EQ(0, device.CreateDirectDrawImage(&image, 8, 8, 1));
        IDirectDrawSurface7* before[3];
        for (int i = 0; i < 3; ++i) before[i] = images[i]->GetSurface();
        RenderStateBlock* block = nullptr;
        ASSERT_EQ(0, device.CreateRenderStateBlock(&block));
        ASSERT_EQ(0, device.DrawingList().InsertAfterEquals(block, 1, 0));

        calls = 0;
        failAt = 2;
        EXPECT_EQ(3, device.RestoreObjects(false)) << "the second picture's code: its surface cannot be made";
        EXPECT_EQ(3, calls) << "the third picture was restored as well";
        EXPECT_NE(nullptr, images[0]->GetSurface());
        EXPECT_NE(before[0], images[0]->GetSurface());
        EXPECT_EQ(nullptr, images[1]->GetSurface());
        EXPECT_NE(nullptr, images[2]->GetSurface());
        EXPECT_NE(before[2], images[2]->GetSurface());

        failAt = 0;
        EXPECT_EQ(0, device.RestoreObjects(false));
        device.ReleaseDirectDraw();
    }
    display.DropReleased();
}

}  // namespace
