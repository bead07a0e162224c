// ListPartBase: the behaviour of the choice list (part type 6), a vertical stack of text rows.
// It holds the rows, hovers them by the pointer or the keys, presses and activates them, and
// reports an activation: the bit of the row's value (or index) plus the flag base in the flag
// array, the value in the flag word, the part's id plus the row index to the group, the
// activation sound, the row's action and its activated word. An activation locks the list
// (no hover, press, keys or row focus) until rows are added again or a script unlocks it. Rows
// added under a resting pointer are not hovered until it moves more than 3 pixels. A list with
// a drag alpha is moved by dragging its frame with the first button held.
//
// The faces, the drawing and the layout come from ListPart. The row words (activated, entered,
// left) and the flag word are written-later words (CallerWord). The font and the flag array
// are borrowed; whoever deletes one calls DropReferencesTo first.
//
// Times of a turn are the ones the group's per-frame update hands the list (Update).
// Used on the game thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "scenario/ui/caller_word.h"
#include "scenario/ui/ui_part.h"

class BitArray;
class Font;

// One row of a list, owned by the list.
struct ListRow {
    std::string text;
    bool disabled = false;
    // Reported on activation; a negative value stands for the row index.
    std::int32_t value = -1;
    std::string text1;
    std::int32_t actionValue = -1;
    std::string text2;
    std::string tooltip;
    CallerWord activatedOut;
    CallerWord enteredOut;
    CallerWord leftOut;
};

class ListPartBase : public UiPart {
public:
    static constexpr std::int32_t kTypeCode = 6;
    // How long a row pressed by Return shows its pressed cell.
    static constexpr std::uint32_t kKeyPressMs = 100;
    // The pointer must move further than this (in x or in y) before new rows hover.
    static constexpr std::int32_t kHoverSlack = 3;
    // pressState values.
    enum PressState : std::uint8_t { kNone = 0, kHovered = 1, kPressed = 2 };
    // SetRowState's states.
    enum RowState : std::int32_t { kRowNormal = 0, kRowHover = 1, kRowPressed = 2, kRowDisabled = 3 };

    ListPartBase();
    ~ListPartBase() override;

    std::int32_t TypeCode() override { return kTypeCode; }
    std::int32_t GetWidth() override { return m_rowWidth; }
    std::int32_t GetHeight() override { return m_totalHeight; }
    bool HitTest(std::int32_t x, std::int32_t y) override;
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerLeave() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    bool OnKeys(ActionMap* actions) override;
    // Keeps the time of the turn; 0.
    std::int32_t Update(std::uint32_t now) override;
    // The hovered row's tooltip, or null.
    const char* GetTooltip() override;
    // A dropped font leaves rows drawn without text; a dropped flag array is forgotten.
    void DropReferencesTo(const void* object) override;

    // --- Faces, drawing and layout (ListPart) ---
    virtual void ClearItems() = 0;
    // 0; 1 without sprite list, font or text; 2, 3, 4 the row image could not be made; 5 the
    // row could not be recorded; -1 any other failure.
    virtual std::int32_t AddItem(const char* text, const char* tooltip, bool disabled, std::int32_t value,
                                 const char* text1, std::int32_t actionValue, const char* text2,
                                 CallerWord activatedOut, CallerWord enteredOut, CallerWord leftOut) = 0;
    // States 0 normal, 1 hover, 2 pressed, 3 disabled: 0; 1 a bad row.
    virtual std::int32_t SetRowState(std::int32_t row, std::int32_t state) = 0;
    // Where the pointer goes for a row focused by the keys; false for a bad row.
    virtual bool GetRowPointerPosition(std::int32_t row, std::int32_t* x, std::int32_t* y) = 0;
    // Part-relative: whether the point is a drag handle of the frame.
    virtual bool HitFrame(std::int32_t x, std::int32_t y) = 0;
    // Part-relative: the selectable row under the point, or -1.
    virtual std::int32_t RowAt(std::int32_t x, std::int32_t y) = 0;

    // --- Rows and behaviour ---
    // Ends the group's hover on this part, forgets the tooltip and deletes every row.
    virtual void ClearRows();
    // Where activation records the choice; the array is borrowed.
    virtual void SetFlagTarget(BitArray* flagArray, std::int32_t flagBase, CallerWord flagOut);
    // Copies the other list's flag target and read-mark switch; 1 for null, else 0.
    virtual std::int32_t CopyFlagTarget(ListPartBase* other);
    // Null or empty names leave none; a named sound plays with id 0.
    virtual void SetSounds(const char* activateName, const char* enterName, const char* leaveName,
                           std::int32_t activateId, std::int32_t enterId, std::int32_t leaveId);
    // 0xRRGGBB each.
    virtual void SetTextColours(std::uint32_t normal, std::uint32_t read, std::uint32_t hover,
                                std::uint32_t disabled);
    // (text, edge) pairs for a font that draws an edge.
    virtual void SetEdgeColours(std::uint32_t normalText, std::uint32_t normalEdge, std::uint32_t readText,
                                std::uint32_t readEdge, std::uint32_t hoverText, std::uint32_t hoverEdge,
                                std::uint32_t disabledText, std::uint32_t disabledEdge);
    virtual void SetMargins(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    virtual void EndDrag();
    virtual void SetLocked(bool locked);
    // Appends a row with copies of the texts (an empty text leaves none); unlocks the list and
    // suppresses hover until the pointer moves. 0; 5 without memory.
    virtual std::int32_t AddRow(const char* text, bool disabled, std::int32_t value, const char* text1,
                                std::int32_t actionValue, const char* text2, const char* tooltip,
                                CallerWord activatedOut, CallerWord enteredOut, CallerWord leftOut);
    virtual bool ActivateRow(std::int32_t row);
    virtual bool FocusRow(std::int32_t row);
    virtual bool EnterRow(std::int32_t row);
    virtual void LeaveRow(std::int32_t row);

    // --- Settings scripts set directly ---
    void SetFont(Font* font) { m_font = font; }
    void SetTextOffset(std::int32_t x, std::int32_t y);
    void SetPressedOffset(std::int32_t x, std::int32_t y);
    // Mode 0 none, 1 the colour with the style alpha, 2 the colour as given, 3 the inverse of
    // the style colour with the style alpha.
    void SetHighlight(std::uint8_t mode, std::uint32_t colour);
    void SetDragAlpha(std::uint8_t alpha) { m_dragAlpha = alpha; }
    void SetMarkRead(bool markRead) { m_markRead = markRead; }

    std::int32_t RowCount() const { return static_cast<std::int32_t>(m_rows.size()); }
    // Null for a bad row.
    const ListRow* Row(std::int32_t row) const;
    std::int32_t HoverRow() const { return m_hoverRow; }
    std::uint8_t PressStateValue() const { return m_pressState; }
    bool Locked() const { return m_locked; }
    bool HoverSuppressed() const { return m_hoverSuppressed; }
    bool Dragging() const { return m_dragging; }
    std::uint32_t KeyReleaseTime() const { return m_keyReleaseTime; }
    Font* RowFont() const { return m_font; }
    BitArray* FlagArray() const { return m_flagArray; }
    std::int32_t FlagBase() const { return m_flagBase; }
    bool MarkRead() const { return m_markRead; }

protected:
    bool ValidRow(std::int32_t row) const { return row >= 0 && row < RowCount(); }
    bool Selectable(std::int32_t row) const { return ValidRow(row) && !m_rows[row]->disabled; }
    // The row's bit in the flag array: its value, or its index for a negative value, plus the
    // flag base. False when it is not set (or there is no array).
    bool RowTaken(std::int32_t row, std::int32_t value) const;
    // Leaves the hovered row (hiding its tooltip first); nothing when none is hovered.
    void LeaveHoveredRow();
    // Play a row sound: by its id, or the group's default when the id is negative.
    void Play(const std::string& name, std::int32_t id, std::int32_t fallback);

    Font* m_font = nullptr;
    std::int32_t m_x = 0;
    std::int32_t m_centreY = 0;
    std::int32_t m_spacing = 0;
    std::int32_t m_rowWidth = 0;
    std::int32_t m_totalHeight = 0;
    bool m_markRead = true;
    std::uint8_t m_dragAlpha = 0;
    std::uint32_t m_styleColour = 0;
    std::uint8_t m_styleAlpha = 128;
    bool m_overlayMode = true;
    std::int32_t m_marginLeft = 8;
    std::int32_t m_marginTop = 2;
    std::int32_t m_marginRight = 8;
    std::int32_t m_marginBottom = 2;
    std::int32_t m_textOffsetX = 2;
    std::int32_t m_textOffsetY = 2;
    std::int32_t m_pressedOffsetX = 0;
    std::int32_t m_pressedOffsetY = 0;
    bool m_hasPressedCell = false;
    bool m_hasDisabledCell = false;
    std::uint8_t m_highlightMode = 1;
    std::uint32_t m_highlightColour = 0x80000080;
    std::uint32_t m_textNormal = 0xFFFFFF;
    std::uint32_t m_textRead = 0x8FDFDF;
    std::uint32_t m_textHover = 0xFFF000;
    std::uint32_t m_textDisabled = 0x909090;
    // (text, edge) pairs.
    std::uint32_t m_edgeNormal[2] = {0xFFEB00, 0xFF4646};
    std::uint32_t m_edgeRead[2] = {0x00FFEB, 0x26DD26};
    std::uint32_t m_edgeHover[2] = {0xFFFF46, 0xFF9292};
    std::uint32_t m_edgeDisabled[2] = {0xB0B0B0, 0x595959};
    std::deque<std::unique_ptr<ListRow>> m_rows;

private:
    BitArray* m_flagArray = nullptr;
    std::int32_t m_flagBase = 0;
    CallerWord m_flagOut;
    bool m_dragging = false;
    bool m_locked = false;
    bool m_hoverSuppressed = false;
    std::int32_t m_dragAnchorX = 0;
    std::int32_t m_dragAnchorY = 0;
    std::int32_t m_hoverRow = -1;
    std::uint8_t m_pressState = kNone;
    std::int32_t m_addPointerX = 0;
    std::int32_t m_addPointerY = 0;
    std::uint32_t m_keyReleaseTime = 0;
    std::uint32_t m_now = 0;
    // The hovered row's tooltip is read from the row itself, by index.
    std::int32_t m_tooltipRow = -1;
    std::string m_activateSound;
    std::string m_enterSound;
    std::string m_leaveSound;
    std::int32_t m_activateSoundId = -1;
    std::int32_t m_enterSoundId = -1;
    std::int32_t m_leaveSoundId = -1;
};
