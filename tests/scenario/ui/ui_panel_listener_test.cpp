// The panel hears of every listed object before the screen device deletes it, and nothing it
// or its parts hold may point at the object afterwards: every release below runs under a
// delete that poisons freed memory, and the parts are then hovered, drawn, moved and deleted.
#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/text/font.h"
#include "scenario/text/text_window_part.h"
#include "scenario/ui/hit_map_part.h"
#include "scenario/ui/ui_panel.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/scenario/ui/ui_panel_fixture.h"

namespace {

class UiPanelListenerTest : public paneltest::UiPanelTest {
protected:
    void SetUp() override {
        UiPanelTest::SetUp();
        ASSERT_EQ(0, device.CreateGdiScreenSimple(&screen, 64, 64, 32, 1));
        ASSERT_NE(nullptr, screen->GetCanvas());
        ASSERT_EQ(0, device.CreateAntialiasFont(&deviceFont, paneltest::kGothic, 16));
        panel.SetObjectLookup(&device);
        device.AddDeletionListener(&panel);
        panel.BindCanvas(screen->GetCanvas());
    }
    void TearDown() override {
        panel.DeleteParts();
        device.RemoveDeletionListener(&panel);
        UiPanelTest::TearDown();
    }

    testsupport::PoisonFreedMemory poison;
    ScreenDevice device;
    MemoryScreen* screen = nullptr;
    Font* deviceFont = nullptr;
};

TEST_F(UiPanelListenerTest, ReleasedFontsAndScreensLeaveNothingBehind) {
    UiPart* part = nullptr;
    ASSERT_EQ(0, panel.NewTextWindowPart(&part, 0, 0, 32, 16, deviceFont, nullptr, nullptr, nullptr, nullptr, 3));
    auto* const window = static_cast<TextWindowPart*>(part);
    ASSERT_EQ(0, panel.NewHitMapPart(&part, "map.bmp", 4, 0, 20, true));
    auto* const map = static_cast<HitMapPart*>(part);
    ASSERT_EQ(0, map->SetRegionEnabled(0, true));
    ASSERT_EQ(0, scene.group.InsertPart(window, -1));
    ASSERT_EQ(0, scene.group.InsertPart(map, -1));
    ASSERT_EQ(1, screen->GetCanvas()->Sprites().Count());

    ASSERT_EQ(0, device.ReleaseFont(&deviceFont));
    const char* text = "A";
    window->PutChar(&text);  // draws nothing without its font

    ASSERT_EQ(0, device.ReleaseImage(screen));
    EXPECT_EQ(nullptr, panel.BoundCanvas());
    EXPECT_EQ(nullptr, panel.PartSpriteList());
    EXPECT_EQ(nullptr, panel.SecondList());
    EXPECT_EQ(1, window->SetPriority(4, 0, true)) << "placement without a list";
    EXPECT_EQ(0, window->SetPosition(5, 5));
    window->SetVisible(false);
    window->SetVisible(true);
    scene.group.Turn(2, 2, {}, 1000);
    scene.group.Turn(0, 20, {"click"}, 1010);
    scene.group.Turn(0, 20, {}, 1020);
    EXPECT_EQ(nullptr, panel.NewTextWindowPart(&part, 0, 0, 8, 8, &font, nullptr, nullptr, nullptr, nullptr, 0) == 0
                           ? part
                           : nullptr)
        << "no list to place a new window in";
    panel.DeleteParts();
    EXPECT_TRUE(scene.group.Members().empty());
}

TEST_F(UiPanelListenerTest, AnotherScreensDeathKeepsTheBinding) {
    MemoryScreen* other = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreenSimple(&other, 8, 8, 32, 1));
    UiPart* part = nullptr;
    ASSERT_EQ(0, panel.NewTextWindowPart(&part, 0, 0, 32, 16, &font, nullptr, nullptr, nullptr, nullptr, 3));
    ASSERT_EQ(0, device.ReleaseImage(other));
    EXPECT_EQ(screen->GetCanvas(), panel.BoundCanvas());
    EXPECT_EQ(0, part->SetPriority(5, 0, true));
}

}  // namespace
