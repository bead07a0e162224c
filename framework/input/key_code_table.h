// KeyCodeTable: the keys that the Windows-API and window-message keyboards know, as pairs of a
// DirectInput key code (the code every keyboard reports) and a virtual-key code (what
// GetAsyncKeyState and WM_KEYDOWN speak).
//
// Row 0 pairs DIK_NOCONVERT with 0x1B, the virtual key of Escape (row 35): a polled keyboard
// therefore reports Escape under both codes, and scripts that test either code for Escape
// rely on it. Where the table is inverted (virtual key to DirectInput code), later rows win.
#pragma once

#include <cstddef>
#include <cstdint>

struct KeyCodePair {
    std::uint8_t directInputCode;
    std::uint8_t virtualKey;
};

constexpr std::size_t kKeyCodeTableRows = 104;
extern const KeyCodePair KeyCodeTable[kKeyCodeTableRows];

// The rows (indices into KeyCodeTable) that the subset keyboard polls: arrows, keypad digits
// and Enter, Insert to Page Down, Escape, F1-F12, Z X C, Backspace, Enter, Shift, Ctrl, Alt,
// Tab and Space.
constexpr std::size_t kAsyncKeySubsetRows = 47;
extern const std::uint8_t AsyncKeySubset[kAsyncKeySubsetRows];
