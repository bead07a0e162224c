// The ScreenBuffer table as a transition plug-in built elsewhere reaches it: by slot number on
// the ScreenBuffer part of a screen, __thiscall.
#include <gtest/gtest.h>

#include "framework/interfaces/deleting_destructor.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/support/recording_transition.h"
#include "tests/support/table_slots.h"

namespace {

using testsupport::CallSlot;

TEST(ScreenBufferLayout, SlotsAnswerInTheirOrder) {
    GdiScreen* screen = new GdiScreen();
    GdiScreen alternate;
    ASSERT_EQ(0, screen->Create(24, 16, 32, 2));
    ASSERT_EQ(0, alternate.Create(24, 16, 32, 1));
    ScreenBuffer* sb = screen;
    void* at = sb;
    EXPECT_EQ(kSurfaceGdiScreen, CallSlot<SurfaceKind>(at, 1));
    EXPECT_EQ(screen->GetImage(), CallSlot<Image*>(at, 2));
    EXPECT_EQ(screen->GetCanvas(), CallSlot<Canvas*>(at, 3));
    EXPECT_NE(nullptr, CallSlot<Canvas*>(at, 3));
    EXPECT_EQ(screen->GetOverlayList(), CallSlot<SpriteList*>(at, 4));
    EXPECT_NE(nullptr, CallSlot<SpriteList*>(at, 4));
    EXPECT_EQ(0, CallSlot<std::int32_t>(at, 21, static_cast<ScreenBuffer*>(&alternate)));
    EXPECT_EQ(static_cast<ScreenBuffer*>(&alternate), CallSlot<ScreenBuffer*>(at, 5));
    EXPECT_EQ(32, CallSlot<std::int32_t>(at, 7));
    EXPECT_TRUE(CallSlot<bool>(at, 8));                   // UsesCanvas
    EXPECT_TRUE(CallSlot<bool>(at, 10, false));           // SetUseCanvas answers the old flag
    EXPECT_FALSE(CallSlot<bool>(at, 8));
    EXPECT_EQ(screen->GetImage()->MemoryDc(), CallSlot<HDC>(at, 18));  // PresentSourceDC
    EXPECT_FALSE(CallSlot<bool>(at, 19));                 // InTransition

    auto* transition = new testsupport::RecordingTransition(0);
    EXPECT_EQ(0, CallSlot<std::int32_t>(at, 22, static_cast<TransCallback*>(transition),
                                        kTransitionPictures, true, false));
    EXPECT_TRUE(CallSlot<bool>(at, 19));
    EXPECT_EQ(static_cast<TransCallback*>(transition), CallSlot<TransCallback*>(at, 20));
    EXPECT_TRUE(CallSlot<bool>(at, 9));                   // SwapsAtEnd
    ASSERT_NE(nullptr, CallSlot<Image*>(at, 6));          // GetTransitionImage
    EXPECT_EQ(CallSlot<Image*>(at, 6)->MemoryDc(), CallSlot<HDC>(at, 18));
    CallSlot<void>(at, 23, false);                        // EndTransition
    EXPECT_FALSE(screen->InTransition());
    CallSlot<void>(at, 17);                               // ReleaseTransitionImage
    EXPECT_EQ(nullptr, screen->GetTransitionImage());

    EXPECT_EQ(0, CallSlot<std::int32_t>(at, 14, std::int32_t{8}));  // ChangeDepth
    EXPECT_EQ(8, screen->Depth());
    // Slot 0 on the ScreenBuffer part destroys and frees the whole screen.
    CallSlot<void*>(at, 0, xm::kDeleteMemory);
}

TEST(ScreenBufferLayout, KindsOfTheSoftwareScreens) {
    GdiScreen gdi;
    MemoryScreen memory;
    EXPECT_EQ(kSurfaceGdiScreen, static_cast<ScreenBuffer&>(gdi).Kind());
    EXPECT_EQ(kSurfaceGdiScreen, static_cast<Surface&>(gdi).Kind());
    EXPECT_EQ(kSurfaceMemoryScreen, static_cast<ScreenBuffer&>(memory).Kind());
    EXPECT_EQ(kSurfaceMemoryScreen, static_cast<Surface&>(memory).Kind());
}

}  // namespace
