// The objects buttons and the group borrow, released while they are in use: each holder is told
// first (as the object lists' deletion notice tells it), the object is freed under poisoning, and
// hovering, pressing, drawing, moving, rebuilding and deleting the parts afterwards stay clean.
#include <gtest/gtest.h>

#include <memory>

#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/frame_button_part.h"
#include "scenario/ui/text_button.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/support/ui_bench.h"

namespace {

const char kGothic[] = "ＭＳ ゴシック";

class ButtonReleaseTest : public testsupport::UiBench {};

TEST_F(ButtonReleaseTest, PartsAndGroupStayCleanAfterTheirFontsImagesAndListsGo) {
    auto* font = new AntialiasFont;
    ASSERT_EQ(0, font->SetFont(16, false, 0, kGothic));
    auto* strip = new Image;
    ASSERT_EQ(0, strip->Create(20, 8, 32, 0));
    auto* list = new SpriteList;
    auto captioned = std::make_unique<TextButton>();
    auto borrowed = std::make_unique<TextButton>();
    auto frame = std::make_unique<FrameButtonPart>();
    ASSERT_EQ(0, captioned->Create(&canvas.Sprites(), 0, "A", font, 10, 10, 0, 0, true, 0));
    ASSERT_EQ(0, borrowed->CreateFromImage(&canvas.Sprites(), 0, strip, false, false, 100, 10, 0, 255, 0));
    ASSERT_EQ(0, frame->Create(list, 0, 200, 10, 30, 20, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0));
    for (UiPart* part : {static_cast<UiPart*>(captioned.get()), static_cast<UiPart*>(borrowed.get()),
                         static_cast<UiPart*>(frame.get())}) {
        ASSERT_EQ(0, group.InsertPart(part, -1));
    }
    group.SetTooltipFont(font);
    captioned->SetTooltip("tip");
    group.SetTooltipTiming(true, 0, 0);
    Turn(12, 12, {}, 2000);
    Turn(12, 12, {}, 2100);
    ASSERT_TRUE(group.TooltipShown());

    {
        testsupport::PoisonFreedMemory poison;
        for (const void* object : {static_cast<const void*>(font), static_cast<const void*>(strip),
                                   static_cast<const void*>(list)}) {
            captioned->DropReferencesTo(object);
            borrowed->DropReferencesTo(object);
            frame->DropReferencesTo(object);
            group.DropReferencesTo(object);
        }
        delete font;
        delete strip;
        delete list;

        // Hover and press each, redraw, move, rebuild.
        for (const POINT& at : {POINT{12, 12}, POINT{102, 12}, POINT{205, 15}}) {
            Turn(at.x, at.y, {}, 3000);
            Turn(at.x, at.y, {"click"}, 3200);
            Turn(at.x + 1, at.y + 1, {}, 3400);
        }
        group.DrawTooltip("tip", 10, 10);
        EXPECT_EQ(2, captioned->SetCaption("B"));
        EXPECT_EQ(0, captioned->SetPosition(20, 20));
        EXPECT_EQ(1, borrowed->SetPosition(20, 20));
        EXPECT_EQ(1, frame->SetPriority(3, 0, true));
        EXPECT_EQ(0, frame->SetPosition(20, 20));
        Redraw();
        captioned.reset();
        borrowed.reset();
        frame.reset();
        Turn(30, 30, {}, 3600);
        EXPECT_TRUE(group.Members().empty());
    }
}

}  // namespace
