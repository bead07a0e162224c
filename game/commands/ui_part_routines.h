// The UI-part routines shared by the UI-part commands and the system menu. Each serves the part
// types listed with it and gives its failure value for a word that names no live part and for
// a part of another type.
#pragma once

#include <cstdint>

class Drawable;

// Types 0, 1, 2, 3, 8, 9: the part's sprite; 5, 111: the text window's; 6: row n, the header for
// -1, the footer for -2. Else null.
Drawable* GetPartSprite(std::uint32_t part, std::int32_t row);
// Types 0, 1, 3, 5, 8, 9, 10, 111: the part's text buffer; 6: the text of row n. Else null.
char* GetPartText(std::uint32_t part, std::int32_t row);
// 1: check state (boolean), the part's answer as a byte; 3: text box text; 4: slider value; 5,
// 111: the string fed to the text window (CR, LF or a CR LF pair starts one new line; stops when
// the window is full), 0; 9, 10: the selection, 0. Else -1.
std::int32_t SetPartContent(std::uint32_t part, std::uint32_t value);
// 1: 1 when the check state is 3 or more and not 6; 3, 4, 6, 9, 10: the value word. Else -1.
std::int32_t GetPartState(std::uint32_t part);
// 0, 1, 4: the type's flag; 0. Else -1.
std::int32_t SetPartFlag(std::uint32_t part, std::uint32_t flag);
// 1, 3, 5, 6, 10, 111: the type's lock; 0. Else -1.
std::int32_t SetPartInputLock(std::uint32_t part, std::uint32_t flag);
