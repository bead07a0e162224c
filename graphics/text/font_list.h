// FontList: the fonts installed on the system, as complete LOGFONTA records in GDI's order, so
// that an entry can be handed to a font unchanged. Scripts and the settings screens fill it for
// the main window's DC and offer the faces to the player.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Filter flags of Enumerate.
constexpr std::uint8_t kFontListTrueTypeOnly = 1;
constexpr std::uint8_t kFontListFixedPitchOnly = 2;
constexpr std::uint8_t kFontListNoVertical = 4;
constexpr std::uint8_t kFontListCharSetOnly = 8;

// Whether an enumerated (font, type) row is kept; faces beginning with "$" never are.
bool FontListAccepts(const LOGFONTA& font, DWORD fontType, std::uint8_t flags,
                     std::uint8_t charSet);

class FontList {
public:
    // Empties the list, enumerates every face of every character set on dc and keeps the
    // accepted ones; answers the count.
    std::int32_t Enumerate(HDC dc, std::uint8_t flags, std::uint8_t charSet);
    void Add(const LOGFONTA& font, DWORD fontType);

    std::int32_t Count() const { return static_cast<std::int32_t>(m_fonts.size()); }
    const LOGFONTA& At(std::int32_t i) const { return m_fonts[i]; }

private:
    std::vector<LOGFONTA> m_fonts;
    std::uint8_t m_flags = 0;
    std::uint8_t m_charSet = 0;
};
