// Text and image buttons on the UI bench: the drawn faces against their layout, captions, the
// face each state shows, picture-file and image-object strips with their colour keys, rebuilding
// in place, and the button behaviour by pointer and keys.
#include "scenario/ui/text_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "tests/support/ui_bench.h"
#include "tests/support/ui_test_group.h"

namespace {

const char kGothic[] = "ＭＳ ゴシック";
constexpr std::uint32_t kFace = 0xd4d0c8;
constexpr std::uint32_t kLight = 0xF0EFEC;
constexpr std::uint32_t kDark = 0x6A6864;
constexpr std::uint32_t kDarkest = 0x353432;
constexpr std::uint32_t kWash = 0x400080ff;

// The hover and pressed wash: each channel (wash x opacity + pixel x (255 - opacity)) >> 8.
std::uint32_t Washed(std::uint32_t pixel) {
    const std::uint32_t op = kWash >> 24;
    std::uint32_t out = pixel & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = (kWash >> shift) & 0xFF;
        const std::uint32_t d = (pixel >> shift) & 0xFF;
        out |= ((s * op + d * (255 - op)) >> 8) << shift;
    }
    return out;
}

// Pixel (x, y) of face k of a drawn button without caption, W x H: a raised bevel (outer top
// and left light, outer bottom and right darkest, inner bottom and right dark) on the normal,
// hover and disabled faces, the hover interior washed inside a one-pixel margin; the pressed
// face with a black outer edge, a dark inner top and left, its content one pixel right and
// down and washed inside that.
std::uint32_t DrawnFacePixel(std::int32_t k, std::int32_t x, std::int32_t y, std::int32_t W, std::int32_t H) {
    const std::uint32_t first = k == 2 ? 0 : kLight;
    const std::uint32_t second = k == 2 ? 0 : kDarkest;
    if (y == H - 1 || x == W - 1) return second;
    if (y == 0 || x == 0) return first;
    if (y == H - 2 || x == W - 2) return kDark;
    if (k == 1 && x >= 2 && x <= W - 4 && y >= 2 && y <= H - 4) return Washed(kFace);
    if (k == 2) {
        if (y == 1 || x == 1) return kDark;
        if (x >= 3 && x <= W - 4 && y >= 3 && y <= H - 4) return Washed(kFace);
    }
    return kFace;
}

class TextButtonTest : public testsupport::UiBench {
protected:
    // A strip of `faces` faces of 10 x 6 in colours 0x100000 x (i + 1), a 24-bit BMP; pixel
    // (0, 0) is magenta.
    void WriteStrip(const std::string& name, std::int32_t faces) {
        testsupport::DibLayout layout;
        layout.bitCount = 24;
        layout.width = faces * 10;
        for (std::int32_t y = 0; y < 6; ++y) {
            std::vector<std::uint32_t> row;
            for (std::int32_t x = 0; x < faces * 10; ++x) row.push_back(FaceColour(x / 10));
            layout.rows.push_back(row);
        }
        layout.rows[0][0] = 0xFF00FF;
        WriteBmp(name, layout);
    }
    static std::uint32_t FaceColour(std::int32_t face) { return 0x100000u * static_cast<std::uint32_t>(face + 1) + 0x40; }

    // The face the sprite shows, by its source rectangle.
    static std::int32_t ShownFace(TextButton& button) {
        return button.ButtonSprite().SourceRect().left / button.GetWidth();
    }

    SpriteList& List() { return canvas.Sprites(); }
    testsupport::Journal journal;
};

TEST_F(TextButtonTest, DrawnFacesMatchTheirLayout) {
    TextButton button;
    ASSERT_EQ(0, button.Create(&List(), 10, nullptr, nullptr, 100, 100, 20, 12, true, 3));
    Image* strip = button.FaceImage();
    ASSERT_NE(nullptr, strip);
    ASSERT_EQ(80, strip->Width());
    ASSERT_EQ(12, strip->Height());
    std::int32_t wrong = 0;
    for (std::int32_t k = 0; k < 4; ++k) {
        for (std::int32_t y = 0; y < 12; ++y) {
            for (std::int32_t x = 0; x < 20; ++x) {
                const std::uint32_t expected = DrawnFacePixel(k, x, y, 20, 12);
                const std::uint32_t got = strip->GetPixel(k * 20 + x, y);
                if (got != expected && ++wrong <= 5) {
                    ADD_FAILURE() << "face " << k << " pixel " << x << "," << y << std::hex << " got " << got
                                  << " expected " << expected;
                }
            }
        }
    }
    EXPECT_EQ(0, wrong);
    EXPECT_EQ(20, button.GetWidth());
    EXPECT_EQ(12, button.GetHeight());
    EXPECT_TRUE(button.RectHit());
    // On the canvas: the normal face, then the disabled one.
    Redraw();
    EXPECT_EQ(kLight, Pixel(100, 100));
    EXPECT_EQ(kFace, Pixel(105, 105));
    EXPECT_TRUE(button.SetEnabled(false));
    EXPECT_EQ(3, ShownFace(button));
    Redraw();
    EXPECT_EQ(kFace, Pixel(105, 105));
}

TEST_F(TextButtonTest, DrawnButtonsWithoutFontNeedEightPixels) {
    const struct {
        const char* name;
        bool list;
        std::int32_t width;
        std::int32_t height;
        std::int32_t result;
    } cases[] = {
        {"no list", false, 20, 12, 1}, {"7 wide", true, 7, 12, 1}, {"7 high", true, 20, 7, 1},
        {"width 0", true, 0, 12, 1},   {"8 x 8", true, 8, 8, 0},
    };
    for (const auto& c : cases) {
        TextButton button;
        EXPECT_EQ(c.result, button.Create(c.list ? &List() : nullptr, 0, nullptr, nullptr, 0, 0, c.width, c.height,
                                          false, 0))
            << c.name;
        EXPECT_EQ(c.result == 0, button.ButtonSprite().List() == &List()) << c.name;
    }
}

TEST_F(TextButtonTest, ACaptionSizesAndCentresTheButton) {
    AntialiasFont font;
    ASSERT_EQ(0, font.SetFont(16, false, 0, kGothic));
    std::int32_t size[2] = {0, 0};
    font.TextExtent("OK", size, nullptr, nullptr, true, nullptr);
    RECT bounds;
    font.GetRotatedTextBounds(&bounds, 0, 0, size[0], size[1]);
    const std::int32_t tw = bounds.right - bounds.left;
    const std::int32_t th = bounds.bottom - bounds.top;
    TextButton button;
    ASSERT_EQ(0, button.Create(&List(), 0, "OK", &font, 50, 60, 0, 0, false, 0));
    EXPECT_EQ(tw + 8, button.GetWidth());
    EXPECT_EQ(th + 8, button.GetHeight());
    EXPECT_STREQ("OK", button.Caption());
    // The interior of the normal face is the face colour everywhere but in the centred box.
    Image* strip = button.FaceImage();
    bool textDrawn = false;
    std::int32_t strayPixels = 0;
    for (std::int32_t y = 1; y < button.GetHeight() - 2; ++y) {
        for (std::int32_t x = 1; x < button.GetWidth() - 2; ++x) {
            const bool inBox = x >= 4 && x < 4 + tw && y >= 4 && y < 4 + th;
            const bool face = (strip->GetPixel(x, y) & 0xFFFFFF) == kFace;
            if (inBox && !face) textDrawn = true;
            if (!inBox && !face) ++strayPixels;
        }
    }
    EXPECT_TRUE(textDrawn);
    EXPECT_EQ(0, strayPixels);
    // The font's colours are as they were after the disabled face.
    TextButton disabled;
    ASSERT_EQ(0, disabled.Create(&List(), 0, "OK", &font, 50, 100, 0, 0, true, 0));
    EXPECT_EQ(255, font.colour[0]);
    EXPECT_EQ(0, font.effect);
}

TEST_F(TextButtonTest, AFaceColourWithHalfAlphaMakesTheButtonHalfTransparent) {
    TextButton button;
    button.SetFaceColour(0x80000000u | kFace);
    ASSERT_EQ(0, button.Create(&List(), 0, nullptr, nullptr, 200, 200, 20, 12, false, 0));
    EXPECT_EQ(128, button.GetAlpha());
    Redraw();
    // Half the face over half the background.
    std::uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        mixed |= ((((kFace >> shift) & 0xFF) + ((kBackground >> shift) & 0xFF)) / 2) << shift;
    }
    EXPECT_TRUE(testsupport::Near(mixed, Pixel(205, 205), 2)) << std::hex << Pixel(205, 205);
}

TEST_F(TextButtonTest, EachStateShowsItsFace) {
    WriteStrip("two.bmp", 2);
    WriteStrip("three.bmp", 3);
    WriteStrip("four.bmp", 4);
    const struct {
        const char* file;
        bool disabledFace;
        bool pressedFace;
        std::int32_t faces[4];  // by state 0, 1, 2, 3
    } cases[] = {
        {"two.bmp", false, false, {0, 1, 1, 0}},
        {"three.bmp", false, true, {0, 1, 2, 0}},
        {"three.bmp", true, false, {0, 1, 1, 2}},
        {"four.bmp", true, true, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        TextButton button;
        ASSERT_EQ(0, button.CreateFromFile(&List(), 0, c.file, c.disabledFace, c.pressedFace, 300, 300, 0, 255, -1,
                                           -1, 0))
            << c.file;
        EXPECT_EQ(10, button.GetWidth()) << c.file;
        EXPECT_EQ(6, button.GetHeight()) << c.file;
        for (std::uint8_t state = 0; state < 4; ++state) {
            button.SetState(state);
            EXPECT_EQ(c.faces[state], ShownFace(button)) << c.file << " state " << int(state);
            Redraw();
            EXPECT_EQ(FaceColour(c.faces[state]), Pixel(305, 303)) << c.file << " state " << int(state);
        }
    }
}

TEST_F(TextButtonTest, PictureButtonsTakeTheirColourKey) {
    WriteStrip("keyed.bmp", 2);
    const struct {
        const char* name;
        std::int32_t keyX;
        std::int32_t keyY;
        std::uint8_t blendMode;
        std::int32_t key;
        bool rectHit;
    } cases[] = {
        {"the pixel (0, 0)", 0, 0, 0, 0xFF00FF, false},
        {"a key value", 0x00FF00, -1, 0, 0x00FF00, false},
        {"no key, copied", -1, -1, 0, -1, true},
        {"no key, blended", -1, -1, 2, -1, false},
        {"a key pixel below the strip", 0, 6, 0, -1, true},
        {"a key pixel right of the strip", 20, 0, 0, -1, true},
    };
    for (const auto& c : cases) {
        TextButton button;
        ASSERT_EQ(0, button.CreateFromFile(&List(), 0, "keyed.bmp", false, false, 0, 0, c.blendMode, 255, c.keyX,
                                           c.keyY, 0))
            << c.name;
        EXPECT_EQ(c.key, button.FaceImage()->ColourKey() == -1 ? -1 : button.FaceImage()->ColourKey() & 0xFFFFFF)
            << c.name;
        EXPECT_EQ(c.rectHit, button.RectHit()) << c.name;
    }
    TextButton missing;
    EXPECT_EQ(1, missing.CreateFromFile(&List(), 0, nullptr, false, false, 0, 0, 0, 255, -1, -1, 0));
    EXPECT_EQ(1, missing.CreateFromFile(nullptr, 0, "keyed.bmp", false, false, 0, 0, 0, 255, -1, -1, 0));
    EXPECT_EQ(2, missing.CreateFromFile(&List(), 0, "absent.bmp", false, false, 0, 0, 0, 255, -1, -1, 0));
    EXPECT_EQ(nullptr, missing.ButtonSprite().List());
}

TEST_F(TextButtonTest, ImageObjectButtonsBorrowTheirStrip) {
    Image strip;
    ASSERT_EQ(0, strip.Create(30, 6, 32, 0));
    strip.FillValue(0x00123456, nullptr);
    TextButton button;
    EXPECT_EQ(1, button.CreateFromImage(&List(), 0, nullptr, false, true, 0, 0, 0, 255, 0));
    Image empty;
    EXPECT_EQ(1, button.CreateFromImage(&List(), 0, &empty, false, true, 0, 0, 0, 255, 0));
    ASSERT_EQ(0, button.CreateFromImage(&List(), 0, &strip, false, true, 400, 10, 0, 255, 4));
    EXPECT_EQ(&strip, button.FaceImage());
    EXPECT_EQ(10, button.GetWidth());
    EXPECT_TRUE(button.RectHit());
    EXPECT_EQ(4, List().Find(&button.ButtonSprite())->tag);
    Redraw();
    EXPECT_EQ(0x123456u, Pixel(405, 12));
}

TEST_F(TextButtonTest, CaptionsAndPictureFilesRebuildInPlace) {
    TextButton drawn;
    ASSERT_EQ(0, drawn.Create(&List(), 7, "A", nullptr, 30, 40, 20, 12, false, 2));
    ASSERT_EQ(0, drawn.SetPosition(35, 45));
    EXPECT_EQ(1, drawn.SetCaption(nullptr));
    ASSERT_EQ(0, drawn.SetCaption("B"));
    EXPECT_STREQ("B", drawn.Caption());
    EXPECT_EQ(35, drawn.GetX());
    EXPECT_EQ(45, drawn.GetY());
    EXPECT_EQ(20, drawn.GetWidth());
    EXPECT_EQ(1, List().Count());
    EXPECT_EQ(2, List().Find(&drawn.ButtonSprite())->tag);
    EXPECT_EQ(7u, List().Find(&drawn.ButtonSprite())->priority);

    WriteStrip("first.bmp", 2);
    WriteStrip("second.bmp", 3);
    TextButton picture;
    ASSERT_EQ(0, picture.CreateFromFile(&List(), 5, "first.bmp", true, false, 60, 70, 0, 255, 0, 0, 1));
    EXPECT_EQ(1, picture.SetImageFile(nullptr));
    EXPECT_EQ(2, picture.SetImageFile("absent.bmp"));
    ASSERT_EQ(0, picture.CreateFromFile(&List(), 5, "first.bmp", true, false, 60, 70, 0, 255, 0, 0, 1));
    ASSERT_EQ(0, picture.SetImageFile("second.bmp"));
    EXPECT_STREQ("second.bmp", picture.FileName());
    EXPECT_EQ(60, picture.GetX());
    EXPECT_EQ(10, picture.GetWidth()) << "three faces: normal, hover, disabled";
    EXPECT_EQ(0xFF00FF, picture.FaceImage()->ColourKey() & 0xFFFFFF) << "the key pixel kept";
}

TEST_F(TextButtonTest, MoveToSpriteListKeepsPriorityAndTag) {
    SpriteList other;
    TextButton button;
    EXPECT_EQ(1, button.MoveToSpriteList(&other)) << "not made";
    ASSERT_EQ(0, button.Create(&List(), 9, nullptr, nullptr, 0, 0, 10, 10, false, 6));
    EXPECT_EQ(1, button.MoveToSpriteList(nullptr));
    ASSERT_EQ(0, button.MoveToSpriteList(&other));
    EXPECT_EQ(&other, button.ButtonSprite().List());
    EXPECT_EQ(0, List().Count());
    EXPECT_EQ(9u, other.Find(&button.ButtonSprite())->priority);
    EXPECT_EQ(6u, other.Find(&button.ButtonSprite())->tag);
    button.Release();
}

// --- Behaviour ---

class ButtonInteractionTest : public TextButtonTest {
protected:
    void SetUp() override {
        TextButtonTest::SetUp();
        EnableSound();
        ASSERT_EQ(0, button.Create(&List(), 0, nullptr, nullptr, 100, 100, 20, 12, true, 0));
        button.SetId(7);
        ButtonActionSetup setup;
        setup.activatedFlag = CallerWord::Program(&activated);
        setup.hoverFlag = CallerWord::Program(&hovered);
        setup.leaveFlag = CallerWord::Program(&left);
        ASSERT_TRUE(button.SetAction(setup));
        ASSERT_EQ(0, group.InsertPart(&button, -1));
        Turn(500, 500, {}, 1000);
        TakePlaying();
    }

    TextButton button;
    std::int32_t activated = 0;
    std::int32_t hovered = 0;
    std::int32_t left = 0;
};

TEST_F(ButtonInteractionTest, PointerPressAndReleaseOverTheButtonActivatesIt) {
    Turn(105, 105);
    EXPECT_EQ(1, ShownFace(button));
    EXPECT_EQ(1, hovered);
    EXPECT_EQ(0, left);
    EXPECT_EQ((std::vector<std::int32_t>{6}), TakePlaying()) << "the enter sound";
    Redraw();
    EXPECT_EQ(kLight, Pixel(100, 100));
    EXPECT_EQ(1, Turn(105, 105, {"press"}));
    EXPECT_EQ(2, ShownFace(button));
    Redraw();
    EXPECT_EQ(0u, Pixel(100, 100)) << "the pressed face's black edge";
    EXPECT_EQ(1, Turn(105, 105, {"release"}));
    EXPECT_EQ(1, ShownFace(button));
    EXPECT_EQ(7, group.ResultWord());
    EXPECT_EQ(1, activated);
    EXPECT_EQ((std::vector<std::int32_t>{5}), TakePlaying()) << "the activate sound";
}

TEST_F(ButtonInteractionTest, APressThatLeavesTheButtonDoesNotActivateIt) {
    Turn(105, 105);
    Turn(105, 105, {"press"});
    TakePlaying();
    Turn(300, 300);
    EXPECT_EQ(0, ShownFace(button));
    EXPECT_EQ(0, hovered);
    EXPECT_EQ(1, left);
    EXPECT_EQ((std::vector<std::int32_t>{7}), TakePlaying()) << "the leave sound";
    Turn(106, 106);
    EXPECT_EQ(1, ShownFace(button)) << "back while held: the hover face only";
    Turn(106, 106, {"release"});
    EXPECT_EQ(1, ShownFace(button));
    EXPECT_EQ(-1, group.ResultWord());
    EXPECT_EQ(0, activated);
}

TEST_F(ButtonInteractionTest, ReturnShowsThePressedFaceForMoreThan100Ms) {
    ASSERT_EQ(0, group.FocusPart(&button));
    EXPECT_EQ(1, ShownFace(button));
    std::int32_t x = 0;
    std::int32_t y = 0;
    group.GetCursorPos(&x, &y);
    EXPECT_EQ(kWidth - 1, x) << "focus parks the pointer";
    EXPECT_EQ(2, Turn(x, y, {"enter"}, 5000));
    EXPECT_EQ(2, ShownFace(button));
    EXPECT_EQ(2, Turn(x, y, {}, 5100));
    EXPECT_EQ(2, ShownFace(button));
    EXPECT_EQ(-1, group.ResultWord());
    EXPECT_EQ(2, Turn(x, y, {}, 5101));
    EXPECT_EQ(1, ShownFace(button));
    EXPECT_EQ(7, group.ResultWord());
}

TEST_F(ButtonInteractionTest, ReturnWithoutAPressedFaceActivatesAtOnce) {
    WriteStrip("two.bmp", 2);
    TextButton flat;
    ASSERT_EQ(0, flat.CreateFromFile(&List(), 0, "two.bmp", false, false, 200, 200, 0, 255, -1, -1, 0));
    flat.SetId(9);
    ASSERT_EQ(0, group.InsertPart(&flat, -1));
    ASSERT_EQ(0, group.FocusPart(&flat));
    EXPECT_EQ(2, Turn(kWidth - 1, kHeight - 1, {"enter"}, 6000));
    EXPECT_EQ(9, group.ResultWord());
    EXPECT_EQ(1, ShownFace(flat));
}

TEST_F(ButtonInteractionTest, ADisabledButtonShowsItsDisabledFaceAndIsNeverHovered) {
    button.SetEnabled(false);
    EXPECT_EQ(3, ShownFace(button));
    Turn(105, 105);
    Turn(105, 105, {"click"});
    EXPECT_EQ(3, ShownFace(button));
    EXPECT_EQ(nullptr, group.HoveredPart());
    EXPECT_EQ(0, hovered);
    EXPECT_TRUE(TakePlaying().empty());
    button.SetEnabled(true);
    EXPECT_EQ(0, ShownFace(button));
    EXPECT_TRUE(group.IsButtonUnderPointer(105, 105));
    EXPECT_FALSE(group.IsButtonUnderPointer(125, 105));
}

// RunAction goes to the group only when the record has a text or a value.
TEST(ButtonFire, RunsTheActionOnlyWithATextOrAValue) {
    testsupport::Journal journal;
    testsupport::UiTestGroup group(journal);
    TextButton button;
    button.SetId(3);
    ASSERT_EQ(0, group.InsertPart(&button, -1));
    const struct {
        const char* name;
        bool action;
        const char* text1;
        const char* text2;
        std::int32_t value;
        std::vector<std::string> journal;
    } cases[] = {
        {"no record", false, nullptr, nullptr, 0, {"group.activated 3", "group.sound - -4"}},
        {"no text or value", true, nullptr, nullptr, 0, {"group.activated 3", "group.sound - -4"}},
        {"a value", true, nullptr, nullptr, 5, {"group.activated 3", "group.sound - -4", "group.action - - 5"}},
        {"two texts", true, "one", "two", 0,
         {"group.activated 3", "group.sound - -4", "group.action two one 0"}},
    };
    for (const auto& c : cases) {
        button.ReleaseAction();
        if (c.action) {
            ButtonActionSetup setup;
            setup.text1 = c.text1;
            setup.text2 = c.text2;
            setup.value = c.value;
            ASSERT_TRUE(button.SetAction(setup));
        }
        journal.clear();
        EXPECT_TRUE(button.Fire()) << c.name;
        EXPECT_EQ(c.journal, journal) << c.name;
    }
    group.RemovePart(&button);
    EXPECT_FALSE(button.Fire()) << "without a group";
}

// Named sounds are played by name with id 0; the others by number, or the group's default.
TEST(ButtonSounds, NamedSoundsTakeIdZeroAndTheOthersTheirNumberOrTheDefault) {
    testsupport::Journal journal;
    testsupport::UiTestGroup group(journal);
    TextButton button;
    ASSERT_EQ(0, group.InsertPart(&button, -1));
    ButtonActionSetup setup;
    setup.enterSound = "hover.tsn";
    setup.enterSoundId = 12;
    setup.leaveSoundId = 4;
    setup.activateSound = "";
    ASSERT_TRUE(button.SetAction(setup));
    button.OnPointerMove(0, 0);
    button.OnPointerLeave();
    button.SetState(TextButtonPartBase::kHover);
    button.Fire();
    EXPECT_EQ((std::vector<std::string>{"group.sound hover.tsn 0", "group.sound - 4", "group.sound - -4"}), journal);
}

// Focus by keys: in pointer mode 1 the pointer goes to the centre and nothing else happens; in
// the other modes the button shows its hover, mode 2 parks the pointer, and a blur is silent.
TEST(ButtonFocus, FocusPointerModes) {
    testsupport::PixelConfigScope pixels(testsupport::PixelConfig::LibraryPortable);
    ASSERT_TRUE(pixels.Ready());
    const struct {
        std::int32_t mode;
        std::uint8_t state;
        std::vector<std::string> journal;
    } cases[] = {
        {0, TextButtonPartBase::kHover, {"group.sound - -3"}},
        {1, TextButtonPartBase::kNormal, {"group.setcursor 10,5"}},
        {2, TextButtonPartBase::kHover, {"group.sound - -3", "group.setcursor 641,480"}},
    };
    for (const auto& c : cases) {
        testsupport::Journal journal;
        testsupport::UiTestGroup group(journal);
        SpriteList list;
        TextButton button;
        ASSERT_EQ(0, button.Create(&list, 0, nullptr, nullptr, 0, 0, 20, 10, false, 0));
        ASSERT_EQ(0, group.InsertPart(&button, -1));
        group.focusPointerMode = c.mode;
        ASSERT_EQ(0, group.FocusPart(&button));
        EXPECT_EQ(c.state, button.State()) << c.mode;
        EXPECT_EQ(c.journal, journal) << c.mode;
        journal.clear();
        group.FocusPart(nullptr);
        EXPECT_EQ(TextButtonPartBase::kNormal, button.State()) << c.mode;
        EXPECT_TRUE(journal.empty()) << c.mode;
        button.Release();
    }
}

// --- Objects scripts release ---

TEST_F(TextButtonTest, DroppedFontsImagesAndListsAreForgotten) {
    AntialiasFont font;
    ASSERT_EQ(0, font.SetFont(16, false, 0, kGothic));
    TextButton captioned;
    ASSERT_EQ(0, captioned.Create(&List(), 0, "A", &font, 10, 10, 0, 0, false, 0));
    captioned.DropReferencesTo(&font);
    EXPECT_EQ(nullptr, captioned.CaptionFont());
    EXPECT_EQ(2, captioned.SetCaption("B"));
    EXPECT_STREQ("A", captioned.Caption()) << "the faces stay";

    Image strip;
    ASSERT_EQ(0, strip.Create(20, 6, 32, 0));
    TextButton borrowed;
    ASSERT_EQ(0, borrowed.CreateFromImage(&List(), 0, &strip, false, false, 200, 10, 0, 255, 0));
    ASSERT_EQ(0, group.InsertPart(&borrowed, -1));
    borrowed.DropReferencesTo(&strip);
    EXPECT_EQ(nullptr, borrowed.ExternalImage());
    EXPECT_EQ(nullptr, borrowed.ButtonSprite().GetImage());
    Turn(205, 12);
    Turn(205, 12, {"click"});
    EXPECT_EQ(1, borrowed.SetPosition(0, 0));
    Redraw();

    captioned.DropReferencesTo(&List());
    EXPECT_EQ(nullptr, captioned.ButtonSprite().List());
    EXPECT_EQ(1, captioned.SetPriority(3, 0, true));
    SpriteList other;
    ASSERT_EQ(0, captioned.MoveToSpriteList(&other));
    EXPECT_EQ(&other, captioned.ButtonSprite().List());
    EXPECT_EQ(0, captioned.SetPriority(3, 0, true));
    captioned.Release();
}

}  // namespace
