// What the list tests share: the UI bench with a font, a list on the canvas's sprite list, and
// small pictures (faces cut into cells of distinct colours, 8-bit masks) as files and as image
// objects.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/compose/blend_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/list_part.h"
#include "tests/support/ui_bench.h"

namespace listtest {

inline const char kGothic[] = "ＭＳ ゴシック";

// Cell k of a face strip: a colour of its own.
inline std::uint32_t CellColour(std::int32_t cell) { return 0x100000u * static_cast<std::uint32_t>(cell + 1) + 0x2040u; }

// A 24-bit strip of `cells` cells, each w x h in its CellColour.
inline testsupport::DibLayout Strip(std::int32_t cells, std::int32_t w, std::int32_t h) {
    testsupport::DibLayout layout;
    layout.bitCount = 24;
    layout.width = cells * w;
    for (std::int32_t y = 0; y < h; ++y) {
        std::vector<std::uint32_t> row;
        for (std::int32_t x = 0; x < cells * w; ++x) row.push_back(CellColour(x / w));
        layout.rows.push_back(row);
    }
    return layout;
}

// An 8-bit picture of one value with a grey palette.
inline testsupport::DibLayout Mask(std::int32_t w, std::int32_t h, std::uint32_t value) {
    testsupport::DibLayout layout;
    layout.bitCount = 8;
    layout.width = w;
    layout.rows.assign(h, std::vector<std::uint32_t>(w, value));
    for (std::uint32_t i = 0; i < 256; ++i) layout.palette.push_back(i * 0x010101u);
    return layout;
}

// The alpha the list's alpha scaling gives a mask value.
inline std::uint32_t Scaled(std::uint32_t value, std::uint8_t alpha) {
    return alpha == 255 ? value : g_blendTables.multiply[alpha][value];
}

class ListPartTest : public testsupport::UiBench {
protected:
    void SetUp() override {
        UiBench::SetUp();
        ASSERT_EQ(0, font.SetFont(16, false, 0, kGothic));
    }

    // The list on the canvas at priority 10: plain rows w x h, centred on centreY.
    void Make(std::int32_t x, std::int32_t centreY, std::int32_t w, std::int32_t h, std::int32_t spacing) {
        ASSERT_EQ(0, list.Create(&canvas.Sprites(), 10, x, centreY, w, h, spacing, &font, 0));
    }
    // A row without action and words; the text empty unless given.
    std::int32_t Add(const char* text = "", bool disabled = false, std::int32_t value = -1) {
        return list.AddItem(text, nullptr, disabled, value, nullptr, -1, nullptr, CallerWord(), CallerWord(),
                            CallerWord());
    }
    // The list as the group's member, and a first pointer turn far from it.
    void Join() {
        ASSERT_EQ(0, group.InsertPart(&list, -1));
        Turn(1000, 500);
    }
    // The cell a row's sprite shows.
    std::int32_t ShownCell(std::int32_t row) {
        Sprite* const sprite = list.RowSprite(row);
        return sprite && list.GetWidth() > 0 ? sprite->SourceRect().left / list.GetWidth() : -1;
    }
    // An image object of one value: an index (8-bit) or a 0xAARRGGBB word (32-bit).
    static void Fill(Image& image, std::int32_t w, std::int32_t h, std::uint8_t depth, std::uint32_t value) {
        ASSERT_EQ(0, image.Create(w, h, depth, 0));
        if (depth == 8) {
            image.FillRect(static_cast<std::int32_t>(value), 0, 0, nullptr);
        } else {
            image.FillValue(value, nullptr);
        }
    }

    AntialiasFont font;
    ListPart list;
};

}  // namespace listtest
