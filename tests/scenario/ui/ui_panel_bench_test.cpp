// The panel on the UI bench with the game's part group: image-button sets loaded through the
// image-set loader, and the objects of the screen device's lists released while the panel's
// parts and the group use them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/data/qgm_image_set.h"
#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/text/font.h"
#include "scenario/ui/frame_button_part.h"
#include "scenario/ui/hit_rect_part.h"
#include "scenario/ui/text_button.h"
#include "scenario/ui/ui_panel.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/support/qgm_writer.h"
#include "tests/support/ui_bench.h"

namespace {

const char kGothic[] = "ＭＳ ゴシック";

class UiPanelBench : public testsupport::UiBench {
protected:
    void SetUp() override {
        UiBench::SetUp();
        panel.BindCanvas(&canvas);
        panel.SetGroup(&group);
    }
    void TearDown() override {
        panel.DeleteParts();
        UiBench::TearDown();
    }
    // A strip of two opaque 4 x 3 faces, red and green.
    void WriteStrip(const std::string& name) {
        testsupport::DibLayout layout;
        layout.bitCount = 32;
        layout.width = 8;
        const std::vector<std::uint32_t> row = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000,
                                                0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00};
        layout.rows = {row, row, row};
        WriteBmp(name, layout);
    }

    // Destroyed before the group and the canvas.
    UiPanel panel;
};

// Kind 3: a picture button of two faces.
testsupport::QgmFile FiveButtons() {
    testsupport::QgmFile file;
    for (int i = 0; i < 5; ++i) {
        testsupport::QgmPartEntry entry;
        entry.name = "_" + std::to_string(i) + ".bmp";
        entry.kind = 3;
        entry.x = static_cast<std::int16_t>(10 + 20 * i);
        entry.y = 30;
        entry.b5 = 255;
        entry.visible = i == 1 ? 0 : 1;
        file.Part(entry);
    }
    return file;
}

TEST_F(UiPanelBench, AnImageButtonSetLoadsIntoThePanelAndTheGroup) {
    for (int i = 0; i < 5; ++i) WriteStrip("set_" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(testsupport::WriteFile(Game("set.qgm"), FiveButtons().Bytes()));
    QgmPartGroup set;
    ASSERT_EQ(0, set.Load(&panel.QgmServices(), &group, "set.qgm", 20, false, false, nullptr));
    const std::vector<UiPart*> parts = panel.Parts();
    ASSERT_EQ(5u, parts.size());
    EXPECT_EQ(parts, group.Members());
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        auto* const button = static_cast<TextButton*>(parts[i]);
        EXPECT_EQ(kUiTextButton, button->TypeCode());
        EXPECT_EQ(20 + i, button->GetId());
        EXPECT_EQ(10 + 20 * i, button->GetX());
        EXPECT_EQ(4, button->GetWidth());
        EXPECT_EQ(i != 1, button->IsVisible());
    }
    Redraw();
    // Blended at full opacity: within a step of the face colour.
    EXPECT_TRUE(testsupport::Near(0xFF0000u, Pixel(11, 31), 1)) << std::hex << Pixel(11, 31);
    Turn(11, 31, {}, 2000);
    EXPECT_TRUE(testsupport::Near(0x00FF00u, Pixel(11, 31), 1)) << "the hover face " << std::hex << Pixel(11, 31);
    Turn(11, 31, {"click"}, 2100);
    Turn(11, 31, {}, 2200);
    EXPECT_EQ(20, group.ResultWord());
}

TEST_F(UiPanelBench, ASetFailingAtItsThirdEntryLeavesPanelAndGroupAsBefore) {
    UiPart* before = nullptr;
    ASSERT_EQ(0, panel.NewHitRectPart(&before, 0, 0, 10, 10, -1, -1, true, true));
    ASSERT_EQ(0, group.InsertPart(before, -1));
    for (int i : {0, 1, 3, 4}) WriteStrip("set_" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(testsupport::WriteFile(Game("set.qgm"), FiveButtons().Bytes()));
    QgmPartGroup set;
    EXPECT_EQ(7, set.Load(&panel.QgmServices(), &group, "set.qgm", 20, false, false, nullptr))
        << "kind 3's code";
    EXPECT_EQ(std::vector<UiPart*>{before}, panel.Parts());
    EXPECT_EQ(std::vector<UiPart*>{before}, group.Members());
    EXPECT_EQ(0, canvas.Sprites().Count());
}

TEST_F(UiPanelBench, ASetMakesCheckPartsAndRollsBackOneThatFails) {
    WriteStrip("set_0.bmp");
    testsupport::QgmPartEntry entry;
    entry.name = "_0.bmp";
    entry.kind = 4;
    ASSERT_TRUE(testsupport::WriteFile(Game("set.qgm"), testsupport::QgmFile().Part(entry).Bytes()));
    QgmPartGroup set;
    ASSERT_EQ(0, set.Load(&panel.QgmServices(), &group, "set.qgm", 0, false, false, nullptr));
    ASSERT_EQ(1u, panel.Parts().size());
    EXPECT_EQ(kUiCheck, panel.Parts()[0]->TypeCode());
    ASSERT_EQ(0, panel.RemovePart(panel.Parts()[0]));
    // A check box of kind 0 needs six faces: a strip of four pixels cannot hold them.
    testsupport::DibLayout narrow;
    narrow.bitCount = 32;
    narrow.width = 4;
    narrow.rows = {{0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000}};
    WriteBmp("set_0.bmp", narrow);
    EXPECT_EQ(8, set.Load(&panel.QgmServices(), &group, "set.qgm", 0, false, false, nullptr));
    EXPECT_TRUE(panel.Parts().empty());
    EXPECT_TRUE(group.Members().empty());
}

// Every object the panel's parts and the group borrow goes through the screen device's release
// paths while in use; the deletion notice reaches the panel, which tells its parts and the group.
TEST_F(UiPanelBench, ReleasedObjectsOfTheListsLeaveNothingBehind) {
    ScreenDevice device;
    panel.SetObjectLookup(&device);
    device.AddDeletionListener(&panel);
    MemoryScreen* screen = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreenSimple(&screen, 256, 128, 32, 1));
    Font* captionFont = nullptr;
    Font* tooltipFont = nullptr;
    ASSERT_EQ(0, device.CreateAntialiasFont(&captionFont, kGothic, 16));
    ASSERT_EQ(0, device.CreateAntialiasFont(&tooltipFont, kGothic, 12));
    Image* strip = nullptr;
    ASSERT_EQ(0, device.CreateImage(&strip, 20, 8, 32, 0));
    panel.BindCanvas(screen->GetCanvas());
    group.BindCanvas(screen->GetCanvas());
    group.SetTooltipFont(tooltipFont);
    group.SetTooltipTiming(true, 0, 0);

    UiPart* captioned = nullptr;
    UiPart* borrowed = nullptr;
    UiPart* frame = nullptr;
    UiPart* rect = nullptr;
    ASSERT_EQ(0, panel.NewTextButton(&captioned, 10, 10, 0, 0, true, "A", captionFont, 0));
    ASSERT_EQ(0, panel.NewImageObjectButton(&borrowed, 100, 10, strip, false, false, 0, 255, 0));
    ASSERT_EQ(0, panel.NewFrameButtonPart(&frame, 200, 10, 30, 20, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0));
    ASSERT_EQ(0, panel.NewHitRectPart(&rect, 10, 60, 30, 20, -1, -1, true, true));
    for (UiPart* part : {captioned, borrowed, frame, rect}) ASSERT_EQ(0, group.InsertPart(part, -1));
    captioned->SetTooltip("tip");
    Turn(12, 12, {}, 2000);
    Turn(12, 12, {}, 2100);
    ASSERT_TRUE(group.TooltipShown());

    testsupport::PoisonFreedMemory poison;
    ASSERT_EQ(0, device.ReleaseFont(&captionFont));
    ASSERT_EQ(0, device.ReleaseFont(&tooltipFont));
    EXPECT_EQ(nullptr, group.TooltipFont());
    EXPECT_EQ(2, static_cast<TextButton*>(captioned)->SetCaption("B")) << "no font to draw it with";
    ASSERT_EQ(0, device.ReleaseImage(strip));
    EXPECT_EQ(nullptr, static_cast<TextButton*>(borrowed)->ExternalImage());
    ASSERT_EQ(0, device.ReleaseImage(screen));
    EXPECT_EQ(nullptr, panel.BoundCanvas());
    EXPECT_EQ(nullptr, group.Display());

    // Hover, press, draw, move and place every part, then delete them all.
    for (const POINT& at : {POINT{12, 12}, POINT{102, 12}, POINT{205, 15}, POINT{12, 62}}) {
        Turn(at.x, at.y, {}, 3000);
        Turn(at.x, at.y, {"click"}, 3200);
        Turn(at.x, at.y, {}, 3400);
    }
    for (UiPart* part : {captioned, borrowed, frame}) {
        part->SetPosition(1, 1);
        EXPECT_EQ(1, part->SetPriority(3, 0, true)) << "no list: placement answers 1";
    }
    EXPECT_EQ(1, static_cast<TextButton*>(captioned)->MoveToSpriteList(nullptr));
    panel.DeleteParts();
    EXPECT_TRUE(group.Members().empty());
    device.RemoveDeletionListener(&panel);
}

}  // namespace
