#include "scenario/ui/text_box_part_base.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/app/ime_context.h"
#include "framework/input/action_map.h"
#include "framework/input/mouse_device.h"
#include "game/interfaces/script_memory.h"
#include "graphics/text/font.h"
#include "scenario/ui/ime_mode_indicator_base.h"
#include "scenario/ui/ui_part_group.h"

namespace {

enum : std::uint8_t {
    kBackspace = 8,
    kTab = 9,
    kLineFeed = 10,
    kReturn = 13,
    kEscape = 27,
};

enum : std::uint8_t {
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkDelete = 0x2E,
};

// The text's cursor kinds: across and downwards.
constexpr std::int32_t kCursorText = 4;
constexpr std::int32_t kCursorVerticalText = 5;

// Scroll steps in characters.
constexpr std::int32_t kStepMove = 3;
constexpr std::int32_t kStepBackspace = 5;
constexpr std::int32_t kStepTyping = 1;

}  // namespace

// --- Shift-JIS stepping ---

bool IsShiftJisLead(std::uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

std::int32_t NextCharacter(const char* text, std::int32_t pos) {
    const auto byte = static_cast<std::uint8_t>(text[pos]);
    if (byte == 0) return pos;
    if (IsShiftJisLead(byte) && text[pos + 1] != 0) return pos + 2;
    return pos + 1;
}

std::int32_t PreviousCharacter(const char* text, std::int32_t pos) {
    if (pos <= 1) return 0;
    if (!IsShiftJisLead(static_cast<std::uint8_t>(text[pos - 2]))) return pos - 1;
    std::int32_t run = 0;
    for (std::int32_t i = pos - 2; i >= 0 && IsShiftJisLead(static_cast<std::uint8_t>(text[i])); --i) ++run;
    return (run & 1) ? pos - 2 : pos - 1;
}

std::int32_t WholeCharacterPrefix(const char* text, std::int32_t limit) {
    std::int32_t pos = 0;
    while (text[pos] != 0) {
        const bool lead = IsShiftJisLead(static_cast<std::uint8_t>(text[pos]));
        // A lead byte without its trail is half a pair, kept no more than one cut by the limit.
        if (lead && text[pos + 1] == 0) break;
        const std::int32_t next = pos + (lead ? 2 : 1);
        if (next > limit) break;
        pos = next;
    }
    return pos;
}

// --- CallerText ---

CallerText CallerText::Program(char* buffer) {
    CallerText text;
    text.m_buffer = buffer;
    return text;
}

CallerText CallerText::Script(ScriptMemory* memory, std::uint32_t address) {
    CallerText text;
    text.m_memory = memory;
    text.m_address = address;
    return text;
}

bool CallerText::Read(char* into, std::int32_t capacity) const {
    into[0] = 0;
    if (m_buffer) {
        std::int32_t n = 0;
        while (n < capacity && m_buffer[n] != 0) ++n;
        std::memcpy(into, m_buffer, static_cast<std::size_t>(n));
        into[n] = 0;
    } else if (m_memory) {
        // Byte by byte: the script's text may end anywhere in its memory.
        std::int32_t n = 0;
        for (; n < capacity; ++n) {
            const void* const byte = m_memory->WritableBytes(m_address + static_cast<std::uint32_t>(n), 1);
            if (!byte) return false;
            into[n] = *static_cast<const char*>(byte);
            if (into[n] == 0) break;
        }
        into[n] = 0;
    } else {
        return false;
    }
    into[WholeCharacterPrefix(into, capacity)] = 0;
    return true;
}

bool CallerText::Write(const char* text, std::int32_t length) const {
    char* target = m_buffer;
    if (!target && m_memory) {
        target = static_cast<char*>(m_memory->WritableBytes(m_address, static_cast<std::uint32_t>(length) + 1));
    }
    if (!target) return false;
    std::memcpy(target, text, static_cast<std::size_t>(length));
    target[length] = 0;
    return true;
}

// --- The box ---

TextBoxPartBase::TextBoxPartBase() = default;

TextBoxPartBase::~TextBoxPartBase() { LeaveGroup(); }

std::int32_t TextBoxPartBase::Length() const {
    return m_text ? static_cast<std::int32_t>(std::strlen(m_text.get())) : 0;
}

std::int32_t TextBoxPartBase::CharSize() const {
    if (!m_font) return 0;
    const std::int32_t height = m_font->logFont.lfHeight;
    return height < 0 ? -height : height;
}

bool TextBoxPartBase::Focused() const { return Group() && Group()->IsFocused(this); }

std::int32_t TextBoxPartBase::SetCapacity(std::int32_t bytes) {
    if (m_text || bytes < 0) return 1;
    m_capacity = bytes;
    return 0;
}

std::int32_t TextBoxPartBase::SetCompositionStyle(std::int32_t length, std::int32_t textColour,
                                                  std::int32_t backColour) {
    if (length > 0) m_compositionLength = length;
    if (textColour != -1) m_compositionTextColour = static_cast<std::uint32_t>(textColour) & 0xFFFFFF;
    if (backColour != -1) m_compositionBackColour = static_cast<std::uint32_t>(backColour) & 0xFFFFFF;
    return 0;
}

void TextBoxPartBase::SetImeIndicator(ImeModeIndicatorBase* indicator) { m_imeIndicator = indicator; }

std::int32_t TextBoxPartBase::Commit() {
    SetLocked(true);
    if (!m_output.IsSet() || !m_text) return 1;
    return m_output.Write(m_text.get(), Length()) ? 0 : 1;
}

void TextBoxPartBase::SetLocked(bool lock) {
    if ((m_locked != 0) == lock) return;
    m_locked = lock ? 1 : 0;
    if (lock && Focused()) Group()->FocusPart(nullptr);
}

std::int32_t TextBoxPartBase::Clear() {
    if (!m_text) return 1;
    m_text[0] = 0;
    m_caret = 0;
    m_caretLine = 0;
    m_caretColumn = 0;
    Redraw();
    // The caret shows (and blinks) only in a focused box.
    if (Focused()) ShowCaret();
    return 0;
}

std::int32_t TextBoxPartBase::SetText(const char* text) {
    if (!m_text || !text) return 1;
    const std::int32_t length = WholeCharacterPrefix(text, m_capacity);
    std::memmove(m_text.get(), text, static_cast<std::size_t>(length));
    m_text[length] = 0;
    m_caret = 0;
    m_caretLine = 0;
    m_caretColumn = 0;
    Redraw();
    if (Focused()) ShowCaret();
    return 0;
}

void TextBoxPartBase::DropReferencesTo(const void* object) {
    UiPart::DropReferencesTo(object);
    if (!object) return;
    if (object == m_font) {
        HideComposition();
        m_font = nullptr;
        Redraw();
    }
    if (object == m_imeIndicator) m_imeIndicator = nullptr;
}

// --- Layout and caret geometry ---

std::int32_t TextBoxPartBase::Measure(std::int32_t n) {
    if (!m_font || n <= 0) return 0;
    const std::string part(m_text.get(), static_cast<std::size_t>(n));
    std::int32_t size[2] = {0, 0};
    m_font->TextExtent(part.c_str(), size, nullptr, nullptr, false, nullptr);
    return size[0];
}

std::int32_t TextBoxPartBase::CaretOffset() { return Measure(m_caret) - Measure(m_caretColumn); }

void TextBoxPartBase::LayOut(bool cut) {
    if (!m_text || m_lineCount < 1 || !m_lineStarts) return;
    const char* const text = m_text.get();
    std::int32_t line = 0;
    std::int32_t column = 0;
    m_lineStarts[0] = 0;
    std::int32_t pos = 0;
    while (text[pos] != 0) {
        const std::int32_t next = NextCharacter(text, pos);
        if (text[pos] == kLineFeed || column + (next - pos) > m_columns) {
            const std::int32_t start = text[pos] == kLineFeed ? next : pos;
            if (line + 1 >= m_lineCount) {
                if (cut) m_text[pos] = 0;
                break;
            }
            m_lineStarts[++line] = start;
            column = 0;
            if (text[pos] == kLineFeed) {
                pos = next;
                continue;
            }
        }
        column += next - pos;
        pos = next;
    }
    m_usedLines = line + 1;
}

std::int32_t TextBoxPartBase::LocateCaret(std::int32_t pos) {
    LayOut(false);
    std::int32_t line = 0;
    while (line + 1 < m_usedLines && m_lineStarts[line + 1] <= pos) ++line;
    m_caretLine = line;
    m_caretColumn = pos - m_lineStarts[line];
    return pos;
}

void TextBoxPartBase::CaretGeometry(std::int32_t* cx, std::int32_t* cy) {
    const std::int32_t s = CharSize();
    std::int32_t along = 0;
    std::int32_t across = 0;
    if (m_lineCount == 0) {
        along = CaretOffset();
    } else {
        const char* const text = m_text.get();
        const std::int32_t start = m_lineStarts[m_caretLine];
        for (std::int32_t pos = start; pos < start + m_caretColumn && text[pos] != 0;) {
            const std::int32_t next = NextCharacter(text, pos);
            along += next - pos == 2 ? s : s / 2;
            pos = next;
        }
        across = m_caretLine * (s + m_lineSpacing);
    }
    if (!m_verticalWriting) {
        *cx = along;
        *cy = across;
    } else if (m_lineCount == 0) {
        *cx = 0;
        *cy = along;
    } else {
        *cx = (m_lineCount - m_caretLine - 1) * (s + m_lineSpacing);
        *cy = along;
    }
}

void TextBoxPartBase::ScrollToCaret(std::int32_t step) {
    if (!m_text) return;
    const char* const text = m_text.get();
    const std::int32_t length = Length();
    const std::int32_t before = m_caretColumn;
    const bool atEnd = m_caret == length;
    auto back = [&] {
        for (std::int32_t i = 0; i < step && m_caretColumn > 0; ++i) m_caretColumn = PreviousCharacter(text, m_caretColumn);
    };
    for (;;) {
        const std::int32_t offset = CaretOffset();
        if (m_caretColumn == 0 || !(offset < 0 || (atEnd && offset <= 0))) break;
        back();
    }
    const std::int32_t visible =
        (m_verticalWriting ? m_height : m_width) - 2 * m_margin - 2 * m_bordered;
    const std::int32_t last = length == 0 ? 0 : PreviousCharacter(text, length);
    while (CaretOffset() >= visible && m_caretColumn < last) {
        for (std::int32_t i = 0; i < step && m_caretColumn < last; ++i) m_caretColumn = NextCharacter(text, m_caretColumn);
    }
    if (m_caretColumn != before) Redraw();
}

// --- Editing ---

void TextBoxPartBase::EditAtCaret(Edit edit) {
    char* const text = m_text.get();
    const std::int32_t length = Length();
    std::int32_t from = m_caret;
    std::int32_t to = m_caret;
    if (edit == Edit::kBackspace) {
        if (m_caret == 0) return;
        from = PreviousCharacter(text, m_caret);
    } else {
        to = NextCharacter(text, m_caret);
        if (to == from) return;
    }
    std::memmove(text + from, text + to, static_cast<std::size_t>(length - to + 1));
    m_caret = from;
    if (m_lineCount > 0) {
        LocateCaret(m_caret);
    } else {
        ScrollToCaret(edit == Edit::kBackspace ? kStepBackspace : kStepTyping);
    }
    Redraw();
    ShowCaret();
}

void TextBoxPartBase::MoveCaretChar(bool forward) {
    const char* const text = m_text.get();
    m_caret = forward ? NextCharacter(text, m_caret) : PreviousCharacter(text, m_caret);
    if (m_lineCount > 0) {
        LocateCaret(m_caret);
    } else {
        ScrollToCaret(kStepMove);
    }
    ShowCaret();
}

void TextBoxPartBase::MoveCaretLine(bool down) {
    if (m_lineCount == 0) return;
    LocateCaret(m_caret);
    const std::int32_t target = m_caretLine + (down ? 1 : -1);
    if (target >= 0 && target < m_usedLines) {
        const char* const text = m_text.get();
        const std::int32_t start = m_lineStarts[target];
        const std::int32_t end = target + 1 < m_usedLines ? m_lineStarts[target + 1] : Length();
        std::int32_t pos = start;
        while (pos < end && text[pos] != kLineFeed) {
            const std::int32_t next = NextCharacter(text, pos);
            if (next - start > m_caretColumn || next > end) break;
            pos = next;
        }
        m_caret = pos;
        LocateCaret(m_caret);
    }
    ShowCaret();
}

void TextBoxPartBase::HideCursorForTyping() {
    UiPartGroup* const group = Group();
    if (!group || !group->IsHovered(this)) return;
    if (!m_cursorHidden) {
        m_cursorHidden = 1;
        group->SetCursorVisible(false);
    }
    group->CloseTooltip();
}

void TextBoxPartBase::ShowHiddenCursor() {
    if (!m_cursorHidden) return;
    m_cursorHidden = 0;
    if (Group()) Group()->SetCursorVisible(true);
}

bool TextBoxPartBase::OnText(const char* bytes, std::int32_t length) {
    if (!m_text || !m_font || m_locked || !bytes) return false;
    char* const text = m_text.get();
    std::int32_t lineFeeds = 0;
    for (std::int32_t i = 0; text[i] != 0; ++i) lineFeeds += text[i] == kLineFeed;
    bool inserted = false;
    bool returned = false;
    for (std::int32_t i = 0; i < length && !returned; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        const std::int32_t used = Length();
        // A block keeps a byte for each line's end; a line feed in the text has used its own.
        const std::int32_t room = m_lineCount > 0 ? m_capacity - m_lineCount + lineFeeds : m_capacity;
        if (byte == kBackspace) {
            EditAtCaret(Edit::kBackspace);
            continue;
        }
        if (byte == kTab || byte == kEscape || byte == 0) continue;
        if (byte == kReturn) {
            returned = true;
            break;
        }
        std::int32_t size = 1;
        if (byte == kLineFeed) {
            if (m_lineCount == 0) continue;
            LayOut(false);
            if (m_usedLines >= m_lineCount || used + 1 > m_capacity) continue;
        } else if (IsShiftJisLead(byte)) {
            if (i + 1 >= length || bytes[i + 1] == 0) break;
            size = 2;
        } else if (m_wideOnly) {
            continue;
        }
        if (byte != kLineFeed && used + size > room) break;
        std::memmove(text + m_caret + size, text + m_caret, static_cast<std::size_t>(used - m_caret + 1));
        text[m_caret] = static_cast<char>(byte);
        if (size == 2) text[m_caret + 1] = bytes[++i];
        m_caret += size;
        if (byte == kLineFeed) ++lineFeeds;
        inserted = true;
    }
    if (inserted) {
        if (m_lineCount > 0) {
            LocateCaret(m_caret);
        } else {
            ScrollToCaret(kStepTyping);
        }
        Redraw();
        ShowCaret();
        HideCursorForTyping();
    }
    if (returned && Group()) {
        if (Group()->FocusNext() != 0 && Group()) Group()->FocusPart(nullptr);
    }
    return true;
}

bool TextBoxPartBase::OnKeyCode(std::uint8_t code) {
    if (!m_text || !m_font || m_locked) return false;
    const bool multi = m_lineCount > 0;
    const std::uint8_t back = m_verticalWriting ? kVkUp : kVkLeft;
    const std::uint8_t forth = m_verticalWriting ? kVkDown : kVkRight;
    if (code == back || code == forth) {
        MoveCaretChar(code == forth);
    } else if (multi && (m_verticalWriting ? (code == kVkLeft || code == kVkRight) : (code == kVkUp || code == kVkDown))) {
        // Across: up goes to the line above; downwards: the first column is on the right.
        MoveCaretLine(m_verticalWriting ? code == kVkLeft : code == kVkDown);
    } else if (code == kVkEnd || code == kVkHome) {
        m_caret = code == kVkEnd ? Length() : 0;
        if (multi) {
            LocateCaret(m_caret);
        } else {
            ScrollToCaret(code == kVkEnd ? kStepTyping : kStepMove);
        }
        ShowCaret();
    } else if (code == kVkDelete) {
        EditAtCaret(Edit::kDelete);
    } else {
        return false;
    }
    HideCursorForTyping();
    return true;
}

// --- Pointer and focus ---

bool TextBoxPartBase::HitTest(std::int32_t x, std::int32_t y) {
    const auto dx = static_cast<std::uint32_t>(x - GetX());
    const auto dy = static_cast<std::uint32_t>(y - GetY());
    if (dx >= static_cast<std::uint32_t>(m_width) || dy >= static_cast<std::uint32_t>(m_height)) return false;
    UiPartGroup* const group = Group();
    if (!group) return true;
    group->SetCursorKind(m_verticalWriting ? kCursorVerticalText : kCursorText);
    if (m_focusOnHover && !m_locked && !group->IsFocused(this)) {
        m_focusByPointer = 1;
        group->FocusPart(this);
        if (Focused()) ShowCaret();
    }
    return true;
}

void TextBoxPartBase::OnPointerMove(std::int32_t, std::int32_t) { ShowHiddenCursor(); }

void TextBoxPartBase::OnPointerLeave() {
    if (m_focusByPointer) return;
    if (Group()) Group()->SetCursorKind(0);
    ShowHiddenCursor();
}

void TextBoxPartBase::PlaceCaretAtPointer(std::int32_t x, std::int32_t y) {
    const char* const text = m_text.get();
    const std::int32_t inset = m_bordered + m_margin;
    const std::int32_t s = CharSize();
    const std::int32_t px = std::max(0, std::min(x - inset, m_width - 2 * inset));
    const std::int32_t py = std::max(0, std::min(y - inset, m_height - 2 * inset));
    const std::int32_t along = m_verticalWriting ? py : px;
    if (m_lineCount == 0) {
        const std::int32_t scrolled = Measure(m_caretColumn);
        std::int32_t pos = m_caretColumn;
        while (text[pos] != 0) {
            const std::int32_t next = NextCharacter(text, pos);
            const std::int32_t left = Measure(pos) - scrolled;
            const std::int32_t right = Measure(next) - scrolled;
            if ((left + right) / 2 > along) break;
            pos = next;
        }
        m_caret = pos;
        return;
    }
    LayOut(false);
    const std::int32_t pitch = std::max(1, s + m_lineSpacing);
    std::int32_t line = m_verticalWriting ? m_lineCount - 1 - px / pitch : py / pitch;
    line = std::max(0, std::min(line, m_usedLines - 1));
    const std::int32_t start = m_lineStarts[line];
    const std::int32_t end = line + 1 < m_usedLines ? m_lineStarts[line + 1] : Length();
    std::int32_t pos = start;
    std::int32_t pen = 0;
    while (pos < end && text[pos] != 0 && text[pos] != kLineFeed) {
        const std::int32_t next = NextCharacter(text, pos);
        const std::int32_t w = next - pos == 2 ? s : s / 2;
        if (along <= pen + w / 2) break;
        pen += w;
        pos = next;
    }
    m_caret = pos;
    LocateCaret(pos);
}

bool TextBoxPartBase::OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) {
    if (m_locked || !mouse || !mouse->IsTriggered(0) || !m_text) return false;
    if (!Focused() && Group()) {
        m_focusByPointer = 1;
        Group()->FocusPart(this);
    }
    PlaceCaretAtPointer(x, y);
    ShowCaret();
    return true;
}

void TextBoxPartBase::PassFocusOn(bool forward) {
    UiPartGroup* const group = Group();
    if (!group) return;
    if ((forward ? group->FocusNext() : group->FocusPrevious()) != 0 && Group()) Group()->FocusPart(nullptr);
}

void TextBoxPartBase::OnFocus(UiPart*, bool forward) {
    UiPartGroup* const group = Group();
    if (!group) return;
    if (m_locked) {
        PassFocusOn(forward);
        return;
    }
    if ((m_imeOnFocus || m_wideOnly) && m_imeContext && !m_imeContext->IsOpen()) group->SetImeOpen(true);
    if (m_imeIndicator) {
        m_imeIndicator->Update();
        m_imeIndicator->SetVisible(true);
    }
    if (m_focusByPointer) {
        m_focusByPointer = 0;
        return;
    }
    const std::int32_t mode = group->GetFocusPointerMode();
    if (mode == 1) {
        if (m_verticalWriting) {
            group->SetCursorPos(GetX() + m_width / 2, GetY() + m_bordered);
        } else {
            group->SetCursorPos(GetX() + m_bordered, GetY() + m_height / 2);
        }
    } else if (mode == 2) {
        group->ParkCursor();
    }
    ShowCaret();
}

void TextBoxPartBase::OnBlur(UiPart*) {
    if (m_imeIndicator) m_imeIndicator->SetVisible(false);
    HideComposition();
    if ((m_imeOnFocus || m_wideOnly) && m_imeContext && m_imeContext->IsOpen() && Group()) Group()->SetImeOpen(false);
    HideCaret();
    ShowHiddenCursor();
}

bool TextBoxPartBase::OnKeys(ActionMap* actions) {
    if (m_imeIndicator) m_imeIndicator->Update();
    UpdateComposition();
    if (!actions) return false;
    const bool multi = m_lineCount > 0;
    bool consumed = false;
    for (std::int32_t action = 0; action < 4; ++action) {
        const bool alongLine = m_verticalWriting ? action < 2 : action >= 2;
        if ((alongLine || multi) && actions->IsTriggered(action)) consumed = true;
    }
    return consumed;
}
