// UiPartContent: what the commands use of the content of the panel's UI parts, by type, and
// UiPartLookup, the panel's table of live parts by the word scripts hold for them. UiPartType
// holds the fixed type codes every part reports (UiPart::TypeCode, scenario/ui/ui_part.h).
//
// The command routines switch on TypeCode and call only the operations of the types they
// serve; an operation a part's type does not have is never called. Parts are owned by the UI
// panel; the lookup is filled where the panel creates a part and emptied where it deletes one.
// Called on the thread that runs the script.
#pragma once

#include <cstdint>

class Drawable;

enum UiPartType : std::int32_t {
    kUiTextButton = 0,
    kUiCheck = 1,
    kUiFrameButton = 2,
    kUiTextBox = 3,
    kUiSlider = 4,
    kUiTextWindow = 5,
    kUiList = 6,
    kUiHitRect = 7,
    kUiImagePart = 8,
    kUiSelectList = 9,
    kUiHitMap = 10,
    kUiSobMessageWindow = 111,
};

class UiPartContent {
public:
    virtual ~UiPartContent() = default;

    virtual std::int32_t TypeCode() = 0;

    // Types 0, 1, 2, 3, 8, 9; and the text window's of 5 and 111.
    virtual Drawable* PartSprite() = 0;
    // Lists: row n, the header for -1, the footer for -2.
    virtual Drawable* RowObject(std::int32_t row) = 0;
    // Types 0, 1, 3, 5, 8, 9, 10, 111 (the text box's edited text, the text window's text).
    virtual char* TextBuffer() = 0;
    // Lists: the text of row n.
    virtual char* RowText(std::int32_t row) = 0;

    // Check part: sets the check state; the part's answer.
    virtual std::uint8_t SetCheckState(bool checked) = 0;
    virtual std::int32_t CheckState() = 0;
    virtual void SetText(const char* text) = 0;
    virtual void SetSliderValue(std::int32_t value) = 0;
    // Text windows: false when the window is full.
    virtual bool NewLine() = 0;
    virtual bool PutChar(std::uint8_t byte) = 0;
    // Select list: SelectListPart::Select; hit map: its selection.
    virtual void Select(std::int32_t row) = 0;
    // Types 3, 4, 6, 9, 10: the text box's state word, the slider's value, the selection.
    virtual std::int32_t ValueWord() = 0;
    // Types 0, 1, 4.
    virtual void SetTypeFlag(bool flag) = 0;
    // Types 1, 3, 5, 6, 10, 111.
    virtual void SetInputLock(bool locked) = 0;
};

class UiPartLookup {
public:
    virtual ~UiPartLookup() = default;
    // The live part a word names, or null.
    virtual UiPartContent* FindPart(std::uint32_t word) = 0;
};
