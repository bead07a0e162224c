// Lists on the UI bench: the layout with and without header and footer, plain faces and the
// highlight box as exact pixels, faces from files cut into the cells given, the load codes,
// the "no mask" name, styling (the RedrawFaces table) and read marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/util/bit_array.h"
#include "tests/scenario/ui/list_part_fixture.h"

namespace listtest {
namespace {

const char* const kNoMask = ListPart::kNoMaskName;

TEST_F(ListPartTest, RowsStackAtTheStepAndCentreOnTheLine) {
    const struct {
        const char* name;
        std::int32_t header, footer;
        std::int32_t height, top;
        std::int32_t rows[3];
        std::int32_t footerY;
        // The row under the point 22 pixels below the first row's top (-1 none).
        std::int32_t rowAt22;
    } cases[] = {
        {"spacing between the rows", 0, 0, 68, 266, {266, 290, 314}, 0, -1},
        {"a footer: no spacing", 0, 10, 70, 265, {265, 285, 305}, 325, 1},
        {"a header: no spacing", 6, 0, 66, 267, {273, 293, 313}, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Make(100, 300, 80, 20, 4);
        if (c.header || c.footer) {
            ASSERT_EQ(0, list.SetPlainFaces(80, 20, c.header, c.footer));
        }
        for (int i = 0; i < 3; ++i) ASSERT_EQ(0, Add());
        EXPECT_EQ(c.height, list.GetHeight());
        EXPECT_EQ(80, list.GetWidth());
        EXPECT_EQ(100, list.GetX());
        EXPECT_EQ(c.top, list.GetY());
        for (int i = 0; i < 3; ++i) EXPECT_EQ(c.rows[i], list.RowSprite(i)->Y()) << i;
        if (c.header) {
            EXPECT_EQ(c.top, list.RowSprite(-1)->Y());
        }
        if (c.footer) {
            ASSERT_NE(nullptr, list.RowSprite(3));
            EXPECT_EQ(c.footerY, list.RowSprite(3)->Y());
        }
        // By the pointer: the hit test follows the same step.
        ASSERT_EQ(0, group.InsertPart(&list, -1));
        Turn(1000, 500);
        Turn(120, c.rows[0] + 22);
        EXPECT_EQ(c.rowAt22, list.HoverRow());
        Turn(120, c.rows[2] + 10);
        EXPECT_EQ(2, list.HoverRow());
        group.Clear();
        Turn(1000, 500);
        list.ReleaseFaces();
    }
}

TEST_F(ListPartTest, PlainFacesAndTheHighlightBoxAreExactPixels) {
    // Rows 30 x 12, margins 8, 2, 8, 2: the box covers x 8-21, y 2-9 of each hover cell.
    const struct {
        const char* name;
        std::uint8_t mode;
        std::uint32_t box;
    } cases[] = {
        {"mode 0: no box", 0, 0x60102030},
        {"mode 1: the colour with the style alpha", 1, 0x60000080},
        {"mode 2: the colour as given", 2, 0x80000080},
        {"mode 3: the inverse style colour with the style alpha", 3, 0x60EFDFCF},
    };
    Make(100, 300, 30, 12, 0);
    ASSERT_EQ(0, list.SetStyle(1, 0xFF102030, 0x60));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.ClearItems();
        list.SetHighlight(c.mode, 0x80000080);
        ASSERT_EQ(0, Add());
        Image* const image = list.RowImage(0);
        ASSERT_EQ(60, image->Width());
        ASSERT_EQ(12, image->Height());
        for (std::int32_t y = 0; y < 12; ++y) {
            for (std::int32_t x = 0; x < 60; ++x) {
                const bool inBox = x >= 38 && x < 52 && y >= 2 && y < 10;
                ASSERT_EQ(inBox ? c.box : 0x60102030u, image->GetPixel(x, y)) << x << "," << y;
            }
        }
    }
    // Two-cell rows have no cell for the pressed and disabled states.
    const std::int32_t shown[4] = {0, 1, 1, 0};
    for (std::int32_t state = 0; state < 4; ++state) {
        ASSERT_EQ(0, list.SetRowState(0, state));
        EXPECT_EQ(shown[state] * 30, list.RowSprite(0)->SourceRect().left) << "state " << state;
        EXPECT_EQ(30, list.RowSprite(0)->Width());
    }
    EXPECT_EQ(1, list.SetRowState(1, 0));
    EXPECT_EQ(1, list.SetRowState(-1, 0));
    // On the canvas: the normal cell over the background.
    Redraw();
    std::uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = (0x102030u >> shift) & 0xFF;
        const std::uint32_t d = (kBackground >> shift) & 0xFF;
        mixed |= ((s * 0x60 + d * (255 - 0x60)) / 255) << shift;
    }
    EXPECT_TRUE(testsupport::Near(mixed, Pixel(110, 300), 2)) << std::hex << Pixel(110, 300);
}

TEST_F(ListPartTest, EveryFaceIsCutIntoTheCellsGiven) {
    WriteBmp("face3.bmp", Strip(3, 10, 8));
    WriteBmp("face4.bmp", Strip(4, 10, 8));
    WriteBmp("head3.bmp", Strip(3, 10, 4));
    WriteBmp("head4.bmp", Strip(4, 10, 4));
    const struct {
        std::int32_t cells;
        bool pressed, disabled;
        const char* face;
        const char* header;
        // The cell each state shows.
        std::int32_t shown[4];
        std::int32_t disabledCellX;
    } cases[] = {
        {3, false, false, "face3.bmp", "head3.bmp", {0, 1, 1, 2}, 0},
        {4, true, false, "face4.bmp", "head4.bmp", {0, 1, 2, 3}, 0},
        {4, false, true, "face4.bmp", "head4.bmp", {0, 1, 1, 3}, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cells * 100 + c.pressed * 10 + c.disabled);
        Make(100, 300, 50, 20, 0);
        list.SetHighlight(0, 0);
        ASSERT_EQ(0, list.SetFacesFromFiles(c.cells, c.pressed, c.disabled, c.face, nullptr, nullptr, c.header,
                                            nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_EQ(0, Add());
        EXPECT_EQ(10, list.GetWidth());
        EXPECT_EQ(c.disabledCellX, list.DisabledCellX());
        EXPECT_EQ(10, list.RowSprite(0)->Width());
        EXPECT_EQ(10, list.RowSprite(-1)->Width()) << "the header's first cell";
        EXPECT_EQ(4 + 8, list.GetHeight());
        for (std::int32_t cell = 0; cell < c.cells; ++cell) {
            EXPECT_EQ(CellColour(cell), list.RowImage(0)->GetPixel(cell * 10 + 1, 1) & 0xFFFFFF) << cell;
        }
        for (std::int32_t state = 0; state < 4; ++state) {
            ASSERT_EQ(0, list.SetRowState(0, state));
            EXPECT_EQ(c.shown[state], ShownCell(0)) << "state " << state;
        }
        list.ReleaseFaces();
    }
}

TEST_F(ListPartTest, SetFacesFromFilesAcceptsOnlyTheCellsItCanCut) {
    WriteBmp("face.bmp", Strip(4, 10, 8));
    const struct {
        std::int32_t cells;
        bool pressed, disabled;
        bool named;
        std::int32_t code;
    } cases[] = {
        {0, false, false, true, 1},  {5, false, false, true, 1}, {-1, false, false, true, 1},
        {2, true, false, true, 1},   {2, false, true, true, 1},  {3, true, true, true, 1},
        {1, false, false, false, 1}, {1, false, false, true, 0}, {2, false, false, true, 0},
        {3, false, false, true, 0},  {3, true, false, true, 0},  {3, false, true, true, 0},
        {4, false, false, true, 0},  {4, true, false, true, 0},  {4, false, true, true, 0},
        {4, true, true, true, 0},
    };
    Make(100, 300, 50, 20, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.cells) + (c.pressed ? " pressed" : "") + (c.disabled ? " disabled" : ""));
        list.ReleaseFaces();
        EXPECT_EQ(c.code, list.SetFacesFromFiles(c.cells, c.pressed, c.disabled, c.named ? "face.bmp" : nullptr,
                                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                 nullptr));
        EXPECT_EQ(c.code == 0, list.RowFace() != nullptr);
        EXPECT_EQ(c.code == 0 ? c.cells : 1, list.Cells());
    }
}

TEST_F(ListPartTest, AMissingFileAnswersItsStepWithTheFacesReleased) {
    WriteBmp("face.bmp", Strip(2, 10, 8));
    WriteBmp("over.bmp", Mask(20, 8, 200));
    WriteBmp("plain.bmp", Mask(20, 8, 60));
    const char* const none = "none.bmp";
    // Row, header and footer names in SetFacesFromFiles' order.
    const struct {
        const char* name;
        const char* files[9];
        std::int32_t code;
    } cases[] = {
        {"row overlay mask", {"face.bmp", none, "plain.bmp"}, 2},
        {"row plain mask", {"face.bmp", "over.bmp", none}, 4},
        {"row face over masks", {none, "over.bmp", "plain.bmp"}, 6},
        {"row face alone", {none, nullptr, nullptr}, 8},
        {"header overlay mask", {"face.bmp", nullptr, nullptr, "face.bmp", none, nullptr}, 9},
        {"header plain mask", {"face.bmp", nullptr, nullptr, "face.bmp", "over.bmp", none}, 11},
        {"header face over a mask", {"face.bmp", nullptr, nullptr, none, kNoMask, nullptr}, 13},
        {"header face alone", {"face.bmp", nullptr, nullptr, none, nullptr, nullptr}, 15},
        {"footer overlay mask", {"face.bmp", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, none}, 16},
        {"footer plain mask", {"face.bmp", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, none}, 18},
        {"footer face over a mask", {"face.bmp", nullptr, nullptr, nullptr, nullptr, nullptr, none, nullptr, "plain.bmp"}, 20},
        {"footer face alone", {"face.bmp", nullptr, nullptr, nullptr, nullptr, nullptr, none, nullptr, nullptr}, 22},
        {"everything there", {"face.bmp", "over.bmp", "plain.bmp", "face.bmp", "over.bmp", "plain.bmp", "face.bmp",
                              "over.bmp", "plain.bmp"}, 0},
    };
    Make(100, 300, 50, 20, 0);
    ASSERT_EQ(0, Add("A"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0, list.SetFacesFromFiles(2, false, false, "face.bmp", nullptr, nullptr, "face.bmp", nullptr,
                                            nullptr, "face.bmp", nullptr, nullptr));
        const char* const* f = c.files;
        EXPECT_EQ(c.code, list.SetFacesFromFiles(2, false, false, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]));
        const bool kept = c.code == 0;
        EXPECT_EQ(kept, list.RowFace() != nullptr);
        EXPECT_EQ(kept, list.HeaderFace() != nullptr);
        EXPECT_EQ(kept, list.FooterFace() != nullptr);
        EXPECT_EQ(kept, list.RowSprite(-1) != nullptr);
        // The row follows the faces the list is left with.
        EXPECT_EQ(kept ? 10 : 50, list.GetWidth());
        EXPECT_EQ(kept ? 3 * 8 : 20, list.GetHeight());
    }
}

TEST_F(ListPartTest, TheNoMaskNameIsNeverReadAndGivesAFaceOfItsOwn) {
    testsupport::DibLayout picture;
    picture.bitCount = 32;
    picture.width = 12;
    picture.rows.assign(6, std::vector<std::uint32_t>(12, 0xC0000000u | CellColour(0)));
    WriteBmp("face.bmp", picture);
    Make(100, 300, 50, 20, 0);
    list.SetHighlight(0, 0);
    // Alone it names no file.
    EXPECT_EQ(1, list.SetFacesFromFiles(1, false, false, nullptr, kNoMask, kNoMask, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, nullptr));
    // A header of "no mask" names only is no header.
    ASSERT_EQ(0, list.SetFacesFromFiles(1, false, false, "face.bmp", kNoMask, nullptr, nullptr, kNoMask, kNoMask,
                                        kNoMask, nullptr, kNoMask));
    EXPECT_EQ(nullptr, list.HeaderFace());
    EXPECT_EQ(nullptr, list.FooterFace());
    Image* const face = list.RowFace();
    ASSERT_NE(nullptr, face);
    EXPECT_EQ(12, face->Width()) << "the file's size";
    EXPECT_TRUE(face->HasAlpha());
    // The picture copied into the face, its alpha scaled by the style alpha (128).
    const std::uint32_t loaded = face->GetPixel(3, 3);
    EXPECT_EQ(CellColour(0), loaded & 0xFFFFFF);
    ASSERT_EQ(0, Add());
    EXPECT_EQ(loaded, list.RowImage(0)->GetPixel(3, 3));
    EXPECT_EQ(loaded, list.RowImage(0)->GetPixel(15, 3)) << "a one-cell face fills both cells";
    EXPECT_EQ(24, list.RowImage(0)->Width());
    // The style alpha scales the picture's again when it changes.
    const std::uint32_t before = loaded >> 24;
    ASSERT_EQ(0, list.SetStyle(1, 0, 255));
    EXPECT_EQ(0xC0000000u | CellColour(0), face->GetPixel(3, 3));
    EXPECT_EQ(Scaled(0xC0, 128), before);
}

TEST_F(ListPartTest, RedrawFacesTable) {
    Image overlayMask;
    Image plainMask;
    Image overlay;
    Fill(overlayMask, 4, 4, 8, 200);
    Fill(plainMask, 4, 4, 8, 60);
    Fill(overlay, 4, 4, 32, 0x00000000);
    overlay.SetPixel(1, 1, 0xFFAABBCC);
    struct Row {
        const char* name;
        bool withOverlayMask, withPlainMask, withOverlay;
        std::uint8_t mode;
        std::uint32_t colour;
        std::uint8_t alpha;
        std::uint32_t at00, at11;
    };
    const Row rows[] = {
        {"overlay mask in the colour", true, false, false, 1, 0x112233, 255, 0xC8112233u, 0xC8112233u},
        {"overlay mask under the overlay", true, false, true, 1, 0x112233, 255, 0xC8112233u, 0xAABBCCu},
        {"overlay mask scaled by the alpha", true, false, false, 1, 0x112233, 128, Scaled(200, 128) << 24 | 0x112233u,
         Scaled(200, 128) << 24 | 0x112233u},
        {"plain mask while the mode is clear", true, true, true, 0, 0x445566, 255, 0x3C445566u, 0x3C445566u},
        {"the overlay scaled without an overlay mask", false, true, true, 1, 0x445566, 128, 0u,
         Scaled(255, 128) << 24 | 0xAABBCCu},
        {"a face used as it is", false, false, true, 1, 0x445566, 128, 0u, 0xFFAABBCCu},
    };
    Make(100, 300, 50, 20, 0);
    list.SetHighlight(0, 0);
    list.SetMargins(0, 0, 0, 0);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        list.ClearItems();
        list.ReleaseFaces();
        list.SetStyle(r.mode, r.colour, r.alpha);
        ASSERT_EQ(0, list.SetFacesFromImages(1, false, false, r.withOverlay ? &overlay : nullptr,
                                             r.withOverlayMask ? &overlayMask : nullptr,
                                             r.withPlainMask ? &plainMask : nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, nullptr));
        ASSERT_EQ(0, Add());
        for (const Image* image : {list.RowFace(), list.RowImage(0)}) {
            EXPECT_EQ(r.at00, image->GetPixel(0, 0));
            // The overlay is blended at full opacity: within one step of its colour.
            const std::uint32_t at11 = image->GetPixel(1, 1);
            for (int shift : {0, 8, 16, 24}) {
                if (shift == 24 && r.at11 <= 0xFFFFFFu) continue;
                EXPECT_NEAR(static_cast<int>((at11 >> shift) & 0xFF), static_cast<int>((r.at11 >> shift) & 0xFF), 1)
                    << std::hex << at11;
            }
        }
    }
    // What each change redraws, from an overlay mask in mode 1 with a plain mask beside it.
    list.ClearItems();
    list.SetStyle(1, 0x112233, 255);
    ASSERT_EQ(0, list.SetFacesFromImages(1, false, false, nullptr, &overlayMask, &plainMask, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr));
    ASSERT_EQ(0, Add());
    const struct {
        const char* name;
        std::uint8_t mode;
        std::uint32_t colour;
        std::uint8_t alpha;
        std::int32_t code;
        std::uint32_t pixel;
    } changes[] = {
        {"nothing changed", 1, 0xFF112233, 255, -1, 0xC8112233u},
        {"the colour alone keeps the alpha", 1, 0x010203, 255, 0, 0xC8010203u},
        {"the alpha scales the mask", 1, 0x010203, 128, 0, Scaled(200, 128) << 24 | 0x010203u},
        {"the mode takes the plain mask", 0, 0x010203, 128, 0, Scaled(60, 128) << 24 | 0x010203u},
        {"the colour alone in the plain mode", 0, 0x405060, 128, 0, Scaled(60, 128) << 24 | 0x405060u},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.code, list.SetStyle(c.mode, c.colour, c.alpha));
        EXPECT_EQ(c.pixel, list.RowFace()->GetPixel(2, 2));
        EXPECT_EQ(c.pixel, list.RowImage(0)->GetPixel(2, 2));
    }
}

TEST_F(ListPartTest, SetStyleWithTheSameValuesRedrawsNothing) {
    Make(100, 300, 30, 12, 0);
    ASSERT_EQ(0, Add());
    EXPECT_EQ(0x80000000u, list.RowImage(0)->GetPixel(0, 0)) << "colour 0, alpha 128";
    list.RowImage(0)->SetPixel(0, 0, 0x12345678);
    EXPECT_EQ(-1, list.SetStyle(1, 0xAB000000, 128)) << "the colour counts by its low 24 bits";
    EXPECT_EQ(0x12345678u, list.RowImage(0)->GetPixel(0, 0));
    EXPECT_EQ(0, list.SetStyle(0, 0, 128)) << "the mode changed";
    EXPECT_EQ(0, list.SetStyle(0, 0x203040, 128));
    EXPECT_EQ(0x80203040u, list.RowImage(0)->GetPixel(0, 0));
}

TEST_F(ListPartTest, TakenRowsShowTheReadMarkInTheReadColour) {
    testsupport::DibLayout mark;
    mark.bitCount = 24;
    mark.width = 3;
    mark.rows.assign(3, std::vector<std::uint32_t>(3, 0xFF0000));
    WriteBmp("mark.bmp", mark);
    EXPECT_EQ(1, list.SetReadMarkImage("none.bmp"));
    EXPECT_EQ(nullptr, list.ReadMark());
    ASSERT_EQ(0, list.SetReadMarkImage("mark.bmp"));
    BitArray flags;
    ASSERT_EQ(0, flags.Create(64));
    flags.Set(40 + 7, true);
    flags.Set(40 + 2, true);
    Make(100, 300, 60, 24, 0);
    list.SetHighlight(0, 0);
    list.SetTextColours(0xFFFFFF, 0x00FF00, 0xFFFF00, 0x808080);
    list.SetFlagTarget(&flags, 40, CallerWord());
    // Rows 0 (value 7: taken), 1 (its index: not taken), 2 (its index: taken).
    ASSERT_EQ(0, Add("あ", false, 7));
    ASSERT_EQ(0, Add("あ"));
    ASSERT_EQ(0, Add("あ"));
    const bool taken[] = {true, false, true};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        Image* const image = list.RowImage(row);
        EXPECT_EQ(taken[row], (image->GetPixel(1, 1) & 0xFFFFFF) == 0xFF0000u);
        // Cell 0's text in the read or the normal colour, as the same font draws it.
        Image expected;
        ASSERT_EQ(0, expected.Create(60, 24, 32, 0));
        expected.FillValue(0x80000000u, nullptr);
        if (taken[row]) expected.Blit(list.ReadMark(), 0, 0, nullptr, false);
        const std::uint8_t redBlue = taken[row] ? 0x00 : 0xFF;
        font.colour[0] = redBlue;
        font.colour[2] = redBlue;
        font.DrawText(&expected, 10, 4, "あ", nullptr, nullptr);
        std::int32_t different = 0;
        for (std::int32_t y = 0; y < 24; ++y)
            for (std::int32_t x = 0; x < 60; ++x) different += expected.GetPixel(x, y) != image->GetPixel(x, y);
        EXPECT_EQ(0, different);
        font.colour[0] = font.colour[1] = font.colour[2] = 0xFF;
    }
    // Without the switch no row is read.
    list.SetMarkRead(false);
    ASSERT_EQ(0, Add("あ", false, 7));
    EXPECT_NE(0xFF0000u, list.RowImage(3)->GetPixel(1, 1) & 0xFFFFFF);
}

}  // namespace
}  // namespace listtest
