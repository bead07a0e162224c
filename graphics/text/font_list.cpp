#include "graphics/text/font_list.h"

#include <cstring>

namespace {

int CALLBACK CollectFont(const LOGFONTA* font, const TEXTMETRICA*, DWORD fontType,
                         LPARAM list) {
    reinterpret_cast<FontList*>(list)->Add(*font, fontType);
    return 1;
}

}  // namespace

bool FontListAccepts(const LOGFONTA& font, DWORD fontType, std::uint8_t flags,
                     std::uint8_t charSet) {
    if ((flags & kFontListTrueTypeOnly) && !(fontType & TRUETYPE_FONTTYPE)) {
        return false;
    }
    if ((flags & kFontListFixedPitchOnly) && !(font.lfPitchAndFamily & FIXED_PITCH)) {
        return false;
    }
    if ((flags & kFontListNoVertical) && font.lfFaceName[0] == '@') {
        return false;
    }
    if (font.lfFaceName[0] == '$') {
        return false;
    }
    if ((flags & kFontListCharSetOnly) && font.lfCharSet != charSet) {
        return false;
    }
    return true;
}

void FontList::Add(const LOGFONTA& font, DWORD fontType) {
    if (FontListAccepts(font, fontType, m_flags, m_charSet)) {
        m_fonts.push_back(font);
    }
}

std::int32_t FontList::Enumerate(HDC dc, std::uint8_t flags, std::uint8_t charSet) {
    m_fonts.clear();
    m_flags = flags;
    m_charSet = charSet;
    LOGFONTA all;
    std::memset(&all, 0, sizeof(all));
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &all, reinterpret_cast<FONTENUMPROCA>(CollectFont),
                        reinterpret_cast<LPARAM>(this), 0);
    return Count();
}
