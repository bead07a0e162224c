// TextBoxPartBase: the editing model of the text box (type 3), an editable Shift-JIS field for
// name entry and the like: one line that scrolls sideways, or a block of lines that wrap at a
// fixed column count, written across or (with a font at escapement 2700) downwards. It takes
// typed text and editing keys from the group (OnText, OnKeyCode), places the caret by the
// pointer, opens and closes the IME with the focus and shows the IME mode indicator while
// focused. TextBoxPart adds the images, sprites, drawing and the caret's blinking.
//
// Characters are whole Shift-JIS characters everywhere: the text never holds half a pair, a cut
// falls between characters, and stepping back reads nothing before the buffer.
//
// Borrowed: the font (a dropped font leaves the box drawing nothing and taking no text), the
// input context (the application's) and the indicator (the panel's, which detaches it from
// every box before it goes). The output is written later, for whoever gave it (CallerText).
// Used on the game thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "scenario/ui/ui_part.h"

class Font;
class ImeContext;
class ImeModeIndicatorBase;
class ScriptMemory;

// A text a part writes later for whoever gave it: a buffer of the program, or a script's bytes
// named by address and written only while ScriptMemory calls them writable script memory.
class CallerText {
public:
    CallerText() = default;
    // buffer holds at least the box's capacity + 1 bytes.
    static CallerText Program(char* buffer);
    static CallerText Script(ScriptMemory* memory, std::uint32_t address);

    bool IsSet() const { return m_buffer != nullptr || m_memory != nullptr; }
    // The text there now, at most `capacity` bytes, cut at a whole character; false when there
    // is nothing readable.
    bool Read(char* into, std::int32_t capacity) const;
    // The text and its terminator; false (nothing written) when they do not fit.
    bool Write(const char* text, std::int32_t length) const;

private:
    char* m_buffer = nullptr;
    ScriptMemory* m_memory = nullptr;
    std::uint32_t m_address = 0;
};

// Shift-JIS stepping over a NUL-terminated text.
bool IsShiftJisLead(std::uint8_t byte);
// The offset after the character at pos (pos at the end: pos).
std::int32_t NextCharacter(const char* text, std::int32_t pos);
// The offset of the character before pos: two bytes back when the run of lead-range bytes ending
// at pos - 2 is odd, else one; 0 from 0 and 1.
std::int32_t PreviousCharacter(const char* text, std::int32_t pos);
// The longest prefix of text of at most `limit` bytes that ends at a whole character (a lead
// byte that ends the text is no character).
std::int32_t WholeCharacterPrefix(const char* text, std::int32_t limit);

class TextBoxPartBase : public UiPart {
public:
    static constexpr std::int32_t kDefaultCapacity = 255;

    TextBoxPartBase();
    ~TextBoxPartBase() override;

    std::int32_t TypeCode() override { return kUiTextBox; }
    std::int32_t GetWidth() override { return m_width; }
    std::int32_t GetHeight() override { return m_height; }
    bool HitTest(std::int32_t x, std::int32_t y) override;
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerLeave() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    bool OnKeys(ActionMap* actions) override;
    bool OnKeyCode(std::uint8_t code) override;
    bool OnText(const char* text, std::int32_t length) override;
    void DropReferencesTo(const void* object) override;

    virtual void Release() = 0;
    virtual void Redraw() = 0;
    virtual void UpdateComposition() = 0;
    virtual void HideComposition() = 0;
    // 1 once the text buffer exists or below 0 (the old value kept); else stored, 0.
    virtual std::int32_t SetCapacity(std::int32_t bytes);
    // A length above 0 and colours other than -1 replace the current values; 0.
    virtual std::int32_t SetCompositionStyle(std::int32_t length, std::int32_t textColour, std::int32_t backColour);
    virtual void SetImeIndicator(ImeModeIndicatorBase* indicator);
    // Locks the box and copies the text out; 1 without an output.
    virtual std::int32_t Commit();
    // Locking a focused box clears the group's focus.
    virtual void SetLocked(bool lock);
    virtual std::int32_t Clear();
    // 1 before creation or null; else at most capacity bytes (a whole character), caret to the
    // start, 0.
    virtual std::int32_t SetText(const char* text);
    virtual void PlaceCaret() = 0;
    virtual void ShowCaret() = 0;
    virtual void HideCaret() = 0;

    const char* Text() const { return m_text.get(); }
    char* TextBuffer() { return m_text.get(); }
    std::int32_t Length() const;
    std::int32_t Capacity() const { return m_capacity; }
    std::int32_t Caret() const { return m_caret; }
    std::int32_t CaretLine() const { return m_caretLine; }
    // Multi-line: the caret's offset in its line; single-line: the first shown byte.
    std::int32_t CaretColumn() const { return m_caretColumn; }
    std::int32_t Columns() const { return m_columns; }
    std::int32_t LineCount() const { return m_lineCount; }
    std::int32_t UsedLines() const { return m_usedLines; }
    bool VerticalWriting() const { return m_verticalWriting != 0; }
    bool Locked() const { return m_locked != 0; }
    bool CursorHidden() const { return m_cursorHidden != 0; }
    Font* BoxFont() const { return m_font; }
    ImeModeIndicatorBase* Indicator() const { return m_imeIndicator; }
    void SetBackColour(std::uint32_t colour) { m_backColour = colour; }
    void SetTextColour(std::uint32_t colour) { m_textColour = colour & 0xFFFFFF; }
    void SetWideOnly(bool wideOnly) { m_wideOnly = wideOnly ? 1 : 0; }
    void SetFocusOnHover(bool focusOnHover) { m_focusOnHover = focusOnHover ? 1 : 0; }
    void SetImeOnFocus(bool imeOnFocus) { m_imeOnFocus = imeOnFocus ? 1 : 0; }
    // Single-line: the caret's distance from the first shown character, in pixels.
    std::int32_t CaretOffset();

protected:
    // |font size|: the character height; one-byte characters are half as wide in a block.
    std::int32_t CharSize() const;
    // The width the font gives the first n bytes.
    std::int32_t Measure(std::int32_t n);
    // Lays the lines out: line starts and used lines; with cut, text past the last line goes.
    void LayOut(bool cut);
    // Multi-line: caret line and column for pos; pos.
    std::int32_t LocateCaret(std::int32_t pos);
    // Single-line: moves the first shown character by `step` characters until the caret shows.
    void ScrollToCaret(std::int32_t step);
    // The caret's pixel offset from the text origin.
    void CaretGeometry(std::int32_t* cx, std::int32_t* cy);
    // Whether the caret shows in a group's focus.
    bool Focused() const;

    ImeContext* m_imeContext = nullptr;
    std::int32_t m_lastCompositionStart = 0;
    std::int32_t m_lastCompositionEnd = 0;
    std::int32_t m_compositionLength = 16;
    std::uint32_t m_compositionTextColour = 0x0000ff;
    std::uint32_t m_compositionBackColour = 0xffffff;
    ImeModeIndicatorBase* m_imeIndicator = nullptr;
    Font* m_font = nullptr;
    CallerText m_output;
    std::unique_ptr<char[]> m_text;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_margin = 0;
    std::int32_t m_textX = 0;
    std::int32_t m_textY = 0;
    std::int32_t m_lineCount = 0;
    std::int32_t m_lineSpacing = 0;
    std::int32_t m_columns = 0;
    std::unique_ptr<std::int32_t[]> m_lineStarts;
    std::int32_t m_usedLines = 0;
    std::int32_t m_caretLine = 0;
    std::int32_t m_caret = 0;
    std::int32_t m_caretColumn = 0;
    std::uint32_t m_backColour = 0xc0c0dcc0;
    std::uint32_t m_textColour = 0;
    std::int32_t m_capacity = kDefaultCapacity;
    std::uint8_t m_bordered = 0;
    std::uint8_t m_verticalWriting = 0;
    std::uint8_t m_wideOnly = 0;
    std::uint8_t m_focusOnHover = 1;
    std::uint8_t m_imeOnFocus = 0;
    std::uint8_t m_locked = 0;
    std::uint8_t m_focusByPointer = 0;
    std::uint8_t m_cursorHidden = 0;

private:
    enum class Edit { kBackspace, kDelete };
    void EditAtCaret(Edit edit);
    void MoveCaretChar(bool forward);
    void MoveCaretLine(bool down);
    // After a typed edit: the pointer cursor and the tooltip go while the box is hovered.
    void HideCursorForTyping();
    void ShowHiddenCursor();
    // Focus passes on from a box that cannot take it.
    void PassFocusOn(bool forward);
    void PlaceCaretAtPointer(std::int32_t x, std::int32_t y);
};
