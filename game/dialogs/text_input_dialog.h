// The one-line text-input dialog that scripts open through menu command 40026, and its two
// pure parts: the check and cut of the answer, and the dialog's placement.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "game/app/application.h"
#include "game/dialogs/dialog_host.h"

enum : int {
    kTextInputField = 1012,
    kTextInputPrompt = 1014,
};

// A Shift-JIS lead byte.
inline bool IsShiftJisLead(std::uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The answer kept from `input` (what the field held): with `doubleByteOnly`, text that is not
// made only of two-byte characters (a single-byte character, or a lead byte without its partner
// at the end) gives an empty answer; a `maxLength` shorter than the input cuts it at that many
// bytes, and a two-byte character that the cut would split is left out whole.
std::string FilterTextInput(const std::string& input, bool doubleByteOnly, std::uint8_t maxLength);

// Where the dialog goes.
struct TextInputPlacement {
    // Screen position and size of the dialog window.
    POINT position = {};
    SIZE size = {};
    bool topmost = false;
};
// `window`: the template's window size; `parentWindow`: the parent's window rectangle and
// `parentClient`: its client origin on the screen (used only with `hasParent`); `fullScreen`:
// SM_CXFULLSCREEN and SM_CYFULLSCREEN.
TextInputPlacement PlaceTextInput(const TextInputRequest& request, SIZE window, bool hasParent, const RECT& parentWindow,
                                  POINT parentClient, SIZE fullScreen);

// Runs the dialog owned by `owner` with `initialText` (may be null) in its field; the answer goes
// into request.result. False when the dialog could not be made.
bool RunTextInputDialog(const DialogHost& host, HWND owner, TextInputRequest& request, const char* initialText);
