// The game's four message dialogs (OK; OK with "do not show again"; yes/no; yes/no with "do not
// show again"), whose size may follow the text. They run on the window thread.
#pragma once

#include <windows.h>

#include <cstdint>

#include "game/dialogs/dialog_host.h"

enum : int {
    kMessageFrame = 1011,
    kMessageText = 1012,
    kMessageCheck = 1013,
};

// Runs the dialog of `kind` (0..3) owned by `owner`: -1 when it could not be shown (no text, an
// unknown kind, no template); else 1 for "はい" and 0 for "いいえ" or a close (kinds 2 and 3),
// 0 for kinds 0 and 1. Kinds 1 and 3 write the check box into `flag` (when given) as it
// changes; kind 3 answered "いいえ" leaves it 0. A null caption is the host's title.
std::int32_t RunMessageDialog(const DialogHost& host, HWND owner, std::uint8_t kind, const char* text,
                              const char* caption, std::uint8_t* flag, bool fit);

// How a message dialog grows to its text (in client pixels of the dialog).
struct MessageFit {
    // The text static's new place.
    RECT text = {};
    // Growth of the dialog; the buttons and check box move right by dx / 2 and down by dy.
    std::int32_t dx = 0;
    std::int32_t dy = 0;
};
// `text` is the static's rectangle as it stands.
MessageFit PlanMessageFit(const RECT& text, const TextExtent& extent);

// Fits an open message dialog to `text` (measured through the host).
void FitMessageDialog(const DialogHost& host, HWND dialog, const char* text, bool hasSecondButton, bool hasCheckBox);

// The 9-point "ＭＳ Ｐゴシック" measurement of a message text with its line breaks.
bool MeasureMessageText(HWND dialog, const char* text, TextExtent& extent);
