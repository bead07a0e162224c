// What the game's own dialogs take from the program: where their templates are, the caption of
// a dialog without its own, the cursor-placement option, how a dialog is centred, and how a
// message text is measured. The application fills it; tests inject the measurement.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// A message text measured with its line breaks.
struct TextExtent {
    std::int32_t lines = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct DialogHost {
    // The module holding the dialog templates; null: the program.
    HINSTANCE instance = nullptr;
    // The application title: the caption of every dialog without its own.
    std::string title;
    // Put the mouse cursor on the default button when a dialog opens.
    bool placeCursor = false;
    // Centres a dialog; null: on its owner's window, else on the work area.
    std::function<void(HWND dialog)> center;
    // Measures a message text in the message font; false when the font cannot be made. Null:
    // the dialog's own GDI measurement.
    std::function<bool(HWND dialog, const char* text, TextExtent& extent)> measure;

    HINSTANCE Instance() const { return instance != nullptr ? instance : GetModuleHandleA(nullptr); }
    void Center(HWND dialog) const;
    const char* CaptionOr(const char* caption) const { return caption != nullptr ? caption : title.c_str(); }
};

// Resource ids of the game's dialogs, pictures and cursors.
enum : int {
    kDlgVersion = 105,
    kDlgMessageOk = 106,
    kDlgMessageOkCheck = 107,
    kDlgMessageYesNo = 108,
    kDlgMessageYesNoCheck = 109,
    kDlgTextInput = 110,
    kCursorLink = 120,
    kBitmapVersion = 130,
    kDlgPageKeyboard = 135,
    kDlgPageMouse = 136,
    kDlgPageOther = 137,
    kDlgPageWindow = 138,
};
