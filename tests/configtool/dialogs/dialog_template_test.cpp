// The built dialog template, read back from the program's resources: ids, styles, places and
// the Japanese texts exactly (a wrong code page at build time garbles them).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "configtool/resources/tunewell_resources.h"

namespace {

struct TemplateControl {
    DWORD style;
    int id;
    std::string className;
    std::string text;
    short x, y, cx, cy;
};

struct TemplateReader {
    const WORD* at;

    std::string TextOrOrdinal() {
        if (*at == 0xFFFF) {
            const WORD ordinal = at[1];
            at += 2;
            switch (ordinal) {
                case 0x80: return "Button";
                case 0x81: return "Edit";
                case 0x82: return "Static";
                case 0x85: return "ComboBox";
                default: return "#" + std::to_string(ordinal);
            }
        }
        std::wstring wide;
        while (*at) wide += static_cast<wchar_t>(*at++);
        ++at;
        char text[512] = "";
        WideCharToMultiByte(932, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
        return text;
    }
    void AlignToDword(const void* base) {
        const std::uintptr_t offset = reinterpret_cast<const char*>(at) - static_cast<const char*>(base);
        if (offset % 4) at += 1;
    }
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(DialogTemplateTest, Template101HasTheDialogsControlsExactly) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDD_CONFIG_MAIN), reinterpret_cast<LPCSTR>(RT_DIALOG));
    ASSERT_NE(nullptr, found);
    const void* base = LockResource(LoadResource(module, found));
    ASSERT_NE(nullptr, base);
    const DLGTEMPLATE* dialog = static_cast<const DLGTEMPLATE*>(base);
    ASSERT_NE(0xFFFF0001u, *static_cast<const DWORD*>(base)) << "an extended template";
    EXPECT_EQ(0x02CF0040u, dialog->style);
    EXPECT_EQ(50, dialog->x);
    EXPECT_EQ(52, dialog->y);
    EXPECT_EQ(333, dialog->cx);
    EXPECT_EQ(239, dialog->cy);
    ASSERT_EQ(17, dialog->cdit);
    TemplateReader reader{reinterpret_cast<const WORD*>(dialog + 1)};
    EXPECT_EQ("", reader.TextOrOrdinal());  // menu
    EXPECT_EQ("", reader.TextOrOrdinal());  // class
    EXPECT_EQ("", reader.TextOrOrdinal());  // caption
    EXPECT_EQ(9, *reader.at++);
    EXPECT_EQ("ＭＳ Ｐゴシック", reader.TextOrOrdinal());

    std::string rule;
    for (int i = 0; i < 18; ++i) rule += "─";
    const DWORD base_style = WS_CHILD | WS_VISIBLE;
    const TemplateControl expected[] = {
        {base_style, -1, "static", "設定項目", 5, 3, 29, 8},
        {base_style | WS_BORDER | WS_TABSTOP | TVS_HASLINES | TVS_SHOWSELALWAYS, IDC_ITEM_TREE, "systreeview32", "Tree1",
         4, 14, 195, 194},
        {base_style, IDC_VALUE_HEADING, "static", " 設定値\n" + rule, 204, 3, 127, 13},
        {base_style | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, IDC_CHOICE_COMBO, "combobox", "", 206, 20, 121, 79},
        {base_style | WS_BORDER | WS_TABSTOP, IDC_NUMBER_EDIT, "edit", "", 206, 20, 25, 13},
        {base_style, IDC_NUMBER_UNIT, "static", "", 233, 23, 91, 10},
        {base_style | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, IDC_TEXT_EDIT, "edit", "", 206, 20, 121, 13},
        {base_style | WS_BORDER | WS_TABSTOP | ES_CENTER, IDC_DIGIT_EDIT, "edit", "", 206, 20, 9, 13},
        {base_style | UDS_ARROWKEYS, IDC_DIGIT_SPIN, "msctls_updown32", "Spin2", 215, 19, 9, 13},
        {base_style, IDC_DIGIT_UNIT, "static", "", 228, 23, 100, 10},
        {base_style | WS_TABSTOP, IDC_RESET_ITEM, "button", "デフォルト設定に戻す", 207, 36, 75, 15},
        {base_style, IDC_DESCRIPTION_HEADING, "static", " 設定の説明\n" + rule, 204, 59, 127, 13},
        {base_style | ES_MULTILINE | ES_READONLY | ES_NOHIDESEL | ES_WANTRETURN, IDC_DESCRIPTION, "edit", "", 208,
         75, 117, 132},
        {base_style | SS_GRAYFRAME, IDC_SEPARATOR, "static", "", 2, 214, 326, 1},
        {base_style | WS_TABSTOP, IDC_RESET_ALL, "button", "全ての設定をデフォルトに戻す", 4, 220, 105, 15},
        {base_style | WS_TABSTOP, IDC_SAVE, "button", "設定を保存", 210, 220, 50, 15},
        {base_style | WS_TABSTOP, IDC_CANCEL, "button", "キャンセル", 267, 220, 50, 15},
    };
    for (const TemplateControl& want : expected) {
        reader.AlignToDword(base);
        const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(reader.at);
        reader.at = reinterpret_cast<const WORD*>(item + 1);
        // Class names compare without regard to case.
        const std::string className = Lower(reader.TextOrOrdinal());
        const std::string text = reader.TextOrOrdinal();
        const WORD extra = *reader.at++;
        reader.at = reinterpret_cast<const WORD*>(reinterpret_cast<const char*>(reader.at) + extra);
        const std::string what = "control " + std::to_string(want.id);
        EXPECT_EQ(want.id, static_cast<short>(item->id)) << what;
        EXPECT_EQ(want.style, item->style) << what;
        EXPECT_EQ(want.className, className) << what;
        EXPECT_EQ(want.text, text) << what;
        EXPECT_EQ(want.x, item->x) << what;
        EXPECT_EQ(want.y, item->y) << what;
        EXPECT_EQ(want.cx, item->cx) << what;
        EXPECT_EQ(want.cy, item->cy) << what;
    }
}

TEST(DialogTemplateTest, TheToolHasItsIcon) {
    EXPECT_NE(nullptr, FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TUNEWELL),
                                     reinterpret_cast<LPCSTR>(RT_GROUP_ICON)));
    EXPECT_NE(nullptr, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TUNEWELL)));
}

}  // namespace
