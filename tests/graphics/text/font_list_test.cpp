#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "graphics/text/font_list.h"

namespace {

LOGFONTA Face(const char* name, BYTE charSet, BYTE pitch) {
    LOGFONTA f;
    std::memset(&f, 0, sizeof(f));
    std::strcpy(f.lfFaceName, name);
    f.lfCharSet = charSet;
    f.lfPitchAndFamily = pitch;
    return f;
}

TEST(FontList, FilterTable) {
    struct Case {
        const char* name;
        LOGFONTA font;
        DWORD type;
        std::uint8_t flags;
        bool kept;
    } const cases[] = {
        {"no flags keep anything", Face("Bitmap", 0, VARIABLE_PITCH), RASTER_FONTTYPE, 0, true},
        {"truetype only drops raster", Face("Bitmap", 0, 0), RASTER_FONTTYPE, 1, false},
        {"truetype only keeps truetype", Face("T", 0, 0), TRUETYPE_FONTTYPE, 1, true},
        {"fixed pitch only", Face("P", 128, VARIABLE_PITCH), TRUETYPE_FONTTYPE, 2, false},
        {"fixed pitch kept", Face("F", 128, FIXED_PITCH), TRUETYPE_FONTTYPE, 2, true},
        {"vertical faces dropped", Face("@V", 128, FIXED_PITCH), TRUETYPE_FONTTYPE, 4, false},
        {"vertical faces kept without 4", Face("@V", 128, FIXED_PITCH), TRUETYPE_FONTTYPE, 8, true},
        {"dollar faces never", Face("$Hidden", 128, 0), TRUETYPE_FONTTYPE, 0, false},
        {"other character set", Face("W", 0, 0), TRUETYPE_FONTTYPE, 8, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FontListAccepts(c.font, c.type, c.flags, 128), c.kept) << c.name;
    }
}

std::multiset<std::string> Names(const FontList& list) {
    std::multiset<std::string> names;
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        names.insert(list.At(i).lfFaceName);
    }
    return names;
}

TEST(FontList, EnumeratesWineFaces) {
    HDC dc = GetDC(nullptr);
    FontList list;
    const std::int32_t count = list.Enumerate(dc, 8, SHIFTJIS_CHARSET);
    EXPECT_EQ(count, list.Count());
    const auto japanese = Names(list);
    for (const char* name : {"ＭＳ ゴシック", "@ＭＳ ゴシック", "ＭＳ Ｐゴシック", "@ＭＳ Ｐゴシック",
                             "ＭＳ 明朝", "@ＭＳ 明朝", "ＭＳ Ｐ明朝", "@ＭＳ Ｐ明朝"}) {
        EXPECT_EQ(japanese.count(name), 1u) << name;
    }
    for (const auto& name : japanese) {
        EXPECT_EQ(japanese.count(name), 1u) << name << " listed more than once";
    }
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.At(i).lfCharSet, SHIFTJIS_CHARSET);
    }

    list.Enumerate(dc, 8 | 2, SHIFTJIS_CHARSET);
    const auto fixed = Names(list);
    EXPECT_EQ(fixed.count("ＭＳ ゴシック"), 1u);
    EXPECT_EQ(fixed.count("ＭＳ Ｐゴシック"), 0u);

    list.Enumerate(dc, 8 | 4, SHIFTJIS_CHARSET);
    for (const auto& name : Names(list)) {
        EXPECT_NE(name[0], '@') << name;
    }
    // Every character set: faces come more than once, and enumerating again replaces.
    const std::int32_t all = list.Enumerate(dc, 0, 0);
    EXPECT_GT(all, count);
    EXPECT_EQ(list.Enumerate(dc, 8, SHIFTJIS_CHARSET), count);
    ReleaseDC(nullptr, dc);
}

}  // namespace
