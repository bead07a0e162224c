#include "scenario/ui/list_part_base.h"

#include <new>

#include "framework/input/action_map.h"
#include "framework/input/mouse_device.h"
#include "framework/util/bit_array.h"
#include "scenario/ui/ui_part_group.h"

namespace {

// The Return action of the game's action map.
constexpr std::int32_t kActionReturn = 4;
// The cursor kinds the list asks for: plain, over a row, over a drag handle.
constexpr std::int32_t kCursorPlain = 0;
constexpr std::int32_t kCursorRow = 1;
constexpr std::int32_t kCursorDrag = 3;

std::string Copy(const char* text) { return text ? std::string(text) : std::string(); }

bool FarFrom(std::int32_t a, std::int32_t b, std::int32_t slack) {
    const std::int64_t d = static_cast<std::int64_t>(a) - b;
    return d > slack || d < -slack;
}

}  // namespace

ListPartBase::ListPartBase() = default;

ListPartBase::~ListPartBase() { LeaveGroup(); }

const ListRow* ListPartBase::Row(std::int32_t row) const { return ValidRow(row) ? m_rows[row].get() : nullptr; }

const char* ListPartBase::GetTooltip() {
    const ListRow* const row = Row(m_tooltipRow);
    return row && !row->tooltip.empty() ? row->tooltip.c_str() : nullptr;
}

std::int32_t ListPartBase::Update(std::uint32_t now) {
    m_now = now;
    return 0;
}

void ListPartBase::DropReferencesTo(const void* object) {
    UiPart::DropReferencesTo(object);
    if (!object) return;
    if (object == m_font) m_font = nullptr;
    if (object == m_flagArray) m_flagArray = nullptr;
}

// --- Settings ---

void ListPartBase::SetFlagTarget(BitArray* flagArray, std::int32_t flagBase, CallerWord flagOut) {
    m_flagArray = flagArray;
    m_flagBase = flagBase;
    m_flagOut = flagOut;
}

std::int32_t ListPartBase::CopyFlagTarget(ListPartBase* other) {
    if (!other) return 1;
    m_flagArray = other->m_flagArray;
    m_flagBase = other->m_flagBase;
    m_flagOut = other->m_flagOut;
    m_markRead = other->m_markRead;
    return 0;
}

void ListPartBase::SetSounds(const char* activateName, const char* enterName, const char* leaveName,
                             std::int32_t activateId, std::int32_t enterId, std::int32_t leaveId) {
    m_activateSound = Copy(activateName);
    m_enterSound = Copy(enterName);
    m_leaveSound = Copy(leaveName);
    m_activateSoundId = m_activateSound.empty() ? activateId : 0;
    m_enterSoundId = m_enterSound.empty() ? enterId : 0;
    m_leaveSoundId = m_leaveSound.empty() ? leaveId : 0;
}

void ListPartBase::SetTextColours(std::uint32_t normal, std::uint32_t read, std::uint32_t hover,
                                  std::uint32_t disabled) {
    m_textNormal = normal & 0xFFFFFF;
    m_textRead = read & 0xFFFFFF;
    m_textHover = hover & 0xFFFFFF;
    m_textDisabled = disabled & 0xFFFFFF;
}

void ListPartBase::SetEdgeColours(std::uint32_t normalText, std::uint32_t normalEdge, std::uint32_t readText,
                                  std::uint32_t readEdge, std::uint32_t hoverText, std::uint32_t hoverEdge,
                                  std::uint32_t disabledText, std::uint32_t disabledEdge) {
    m_edgeNormal[0] = normalText & 0xFFFFFF;
    m_edgeNormal[1] = normalEdge & 0xFFFFFF;
    m_edgeRead[0] = readText & 0xFFFFFF;
    m_edgeRead[1] = readEdge & 0xFFFFFF;
    m_edgeHover[0] = hoverText & 0xFFFFFF;
    m_edgeHover[1] = hoverEdge & 0xFFFFFF;
    m_edgeDisabled[0] = disabledText & 0xFFFFFF;
    m_edgeDisabled[1] = disabledEdge & 0xFFFFFF;
}

void ListPartBase::SetMargins(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    m_marginLeft = left;
    m_marginTop = top;
    m_marginRight = right;
    m_marginBottom = bottom;
}

void ListPartBase::SetTextOffset(std::int32_t x, std::int32_t y) {
    m_textOffsetX = x;
    m_textOffsetY = y;
}

void ListPartBase::SetPressedOffset(std::int32_t x, std::int32_t y) {
    m_pressedOffsetX = x;
    m_pressedOffsetY = y;
}

void ListPartBase::SetHighlight(std::uint8_t mode, std::uint32_t colour) {
    m_highlightMode = mode;
    m_highlightColour = colour;
}

void ListPartBase::EndDrag() { m_dragging = false; }

void ListPartBase::SetLocked(bool locked) { m_locked = locked; }

// --- Rows ---

std::int32_t ListPartBase::AddRow(const char* text, bool disabled, std::int32_t value, const char* text1,
                                  std::int32_t actionValue, const char* text2, const char* tooltip,
                                  CallerWord activatedOut, CallerWord enteredOut, CallerWord leftOut) {
    try {
        std::unique_ptr<ListRow> row(new ListRow);
        row->text = Copy(text);
        row->disabled = disabled;
        row->value = value;
        row->text1 = Copy(text1);
        row->actionValue = actionValue;
        row->text2 = Copy(text2);
        row->tooltip = Copy(tooltip);
        row->activatedOut = activatedOut;
        row->enteredOut = enteredOut;
        row->leftOut = leftOut;
        m_rows.push_back(std::move(row));
    } catch (const std::bad_alloc&) {
        return 5;
    }
    if (UiPartGroup* const group = Group()) group->GetCursorPos(&m_addPointerX, &m_addPointerY);
    m_hoverSuppressed = true;
    SetLocked(false);
    return 0;
}

void ListPartBase::ClearRows() {
    UiPartGroup* const group = Group();
    if (group && group->IsHovered(this)) group->EndHover();
    m_tooltipRow = -1;
    m_rows.clear();
    m_hoverRow = -1;
    m_pressState = kNone;
}

bool ListPartBase::RowTaken(std::int32_t row, std::int32_t value) const {
    if (!m_flagArray) return false;
    const std::int64_t bit = static_cast<std::int64_t>(value >= 0 ? value : row) + m_flagBase;
    return bit >= 0 && bit <= 0xFFFFFFFFll && m_flagArray->Test(static_cast<std::uint32_t>(bit));
}

void ListPartBase::Play(const std::string& name, std::int32_t id, std::int32_t fallback) {
    UiPartGroup* const group = Group();
    if (!group) return;
    if (id < 0) {
        group->PlaySound(nullptr, fallback, 0, 0);
    } else {
        group->PlaySound(name.empty() ? nullptr : name.c_str(), id, 0, 0);
    }
}

bool ListPartBase::EnterRow(std::int32_t row) {
    if (!ValidRow(row)) return false;
    SetRowState(row, kRowHover);
    Play(m_enterSound, m_enterSoundId, kSoundEnter);
    m_pressState = kHovered;
    if (const ListRow* const entered = Row(row)) {
        entered->enteredOut.Write(1);
        entered->leftOut.Write(0);
    }
    m_tooltipRow = row;
    return true;
}

void ListPartBase::LeaveRow(std::int32_t row) {
    SetRowState(row, kRowNormal);
    Play(m_leaveSound, m_leaveSoundId, kSoundLeave);
    m_pressState = kNone;
    if (const ListRow* const left = Row(row)) {
        left->enteredOut.Write(0);
        left->leftOut.Write(1);
    }
    m_tooltipRow = -1;
}

void ListPartBase::LeaveHoveredRow() {
    if (m_hoverRow < 0) return;
    UiPartGroup* const group = Group();
    // The row's tooltip goes with it; the next one counts its delay afresh.
    if (group && GetTooltip() && group->IsHovered(this)) group->RestartTooltip();
    const std::int32_t row = m_hoverRow;
    m_hoverRow = -1;
    LeaveRow(row);
}

bool ListPartBase::ActivateRow(std::int32_t row) {
    UiPartGroup* const group = Group();
    if (const ListRow* const taken = Row(row)) {
        const std::int32_t n = taken->value >= 0 ? taken->value : row;
        const std::int64_t bit = static_cast<std::int64_t>(n) + m_flagBase;
        if (m_flagArray && bit >= 0 && bit <= 0xFFFFFFFFll) m_flagArray->Set(static_cast<std::uint32_t>(bit), true);
        m_flagOut.Write(n);
    }
    const std::int32_t id = GetId();
    if (group && id >= 0) {
        const std::uint32_t reported = static_cast<std::uint32_t>(id) + static_cast<std::uint32_t>(row >= 0 ? row : 0);
        group->NotifyActivated(static_cast<std::int32_t>(reported));
    }
    SetLocked(true);
    Play(m_activateSound, m_activateSoundId, kSoundActivate);
    if (const ListRow* const taken = Row(row)) {
        taken->activatedOut.Write(1);
        const bool hasAction = !taken->text1.empty() || !taken->text2.empty() || taken->actionValue != 0;
        if (hasAction && group && Group() == group) {
            group->RunAction(taken->text2.empty() ? nullptr : taken->text2.c_str(),
                             taken->text1.empty() ? nullptr : taken->text1.c_str(), taken->actionValue);
        }
    }
    return true;
}

bool ListPartBase::FocusRow(std::int32_t row) {
    if (!ValidRow(row)) return false;
    UiPartGroup* const group = Group();
    const std::int32_t mode = group ? group->GetFocusPointerMode() : 0;
    if (mode == 1) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!GetRowPointerPosition(row, &x, &y)) return false;
        group->SetCursorPos(x, y);
        return true;
    }
    // The keys take over from the pointer; the row it hovered is left (its leave hook runs
    // through the group's hover end, or here when the pointer was not on the list).
    if (group && group->IsHovered(this)) group->EndHover();
    LeaveHoveredRow();
    if (!EnterRow(row)) return false;
    m_hoverRow = row;
    if (mode == 2 && Group()) Group()->ParkCursor();
    return true;
}

// --- Pointer ---

bool ListPartBase::HitTest(std::int32_t x, std::int32_t y) {
    UiPartGroup* const group = Group();
    if (m_dragging) {
        MouseDevice* const mouse = group ? group->GetMouse() : nullptr;
        if (mouse && mouse->IsDown(0)) {
            SetPosition(x - m_dragAnchorX, y - m_dragAnchorY);
            return true;
        }
        m_dragging = false;
    }
    const std::int32_t px = x - GetX();
    const std::int32_t py = y - GetY();
    if (m_dragAlpha != 0 && HitFrame(px, py)) {
        if (!m_locked) LeaveHoveredRow();
        if (group) group->SetCursorKind(kCursorDrag);
        return true;
    }
    if (m_locked) return false;
    if (m_hoverSuppressed && (FarFrom(x, m_addPointerX, kHoverSlack) || FarFrom(y, m_addPointerY, kHoverSlack))) {
        m_hoverSuppressed = false;
    }
    if (RowAt(px, py) < 0) return false;
    if (group) group->SetCursorKind(kCursorRow);
    return true;
}

void ListPartBase::OnPointerMove(std::int32_t x, std::int32_t y) {
    UiPartGroup* const group = Group();
    if (m_locked) {
        if (group && group->GetCursorKind() == kCursorRow) group->SetCursorKind(kCursorPlain);
        return;
    }
    if (m_dragAlpha != 0 && HitFrame(x, y)) return;
    const std::int32_t row = RowAt(x, y);
    if (row == m_hoverRow) return;
    LeaveHoveredRow();
    if (row >= 0) m_hoverRow = EnterRow(row) ? row : -1;
}

void ListPartBase::OnPointerLeave() {
    m_dragging = false;
    if (!m_locked) LeaveHoveredRow();
    if (UiPartGroup* const group = Group()) group->SetCursorKind(kCursorPlain);
}

bool ListPartBase::OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) {
    if (!mouse) return false;
    // A drag starts with a press on a handle of the frame and lasts while the button is held.
    if (m_dragAlpha != 0 && mouse->IsTriggered(0) && HitFrame(x, y)) {
        m_dragAnchorX = x;
        m_dragAnchorY = y;
        m_dragging = true;
        return true;
    }
    if (m_pressState == kHovered && mouse->IsTriggered(0) && !m_locked && !m_hoverSuppressed && m_hoverRow >= 0) {
        SetRowState(m_hoverRow, kRowPressed);
        m_pressState = kPressed;
        m_keyReleaseTime = 0;
        return true;
    }
    if (m_pressState == kPressed && m_keyReleaseTime == 0 && !mouse->IsDown(0)) {
        m_pressState = kHovered;
        SetRowState(m_hoverRow, kRowHover);
        ActivateRow(m_hoverRow);
        return true;
    }
    return false;
}

// --- Focus and keys ---

void ListPartBase::OnFocus(UiPart*, bool forward) {
    if (!m_rows.empty() && !m_locked) {
        const std::int32_t count = RowCount();
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t row = forward ? i : count - 1 - i;
            if (Selectable(row)) {
                FocusRow(row);
                return;
            }
        }
    }
    UiPartGroup* const group = Group();
    if (!group) return;
    // Nothing here can hold the focus: it moves on, and when nobody takes it, it goes.
    if ((forward ? group->FocusNext() : group->FocusPrevious()) != 0 && Group() == group && group->IsFocused(this)) {
        group->FocusPart(nullptr);
    }
}

void ListPartBase::OnBlur(UiPart*) {
    m_dragging = false;
    if (!m_locked) LeaveHoveredRow();
    UiPartGroup* const group = Group();
    if (group && group->GetCursorKind() != kCursorPlain) group->SetCursorKind(kCursorPlain);
}

bool ListPartBase::OnKeys(ActionMap* actions) {
    UiPartGroup* const group = Group();
    if (m_locked || !group) return false;
    const std::int32_t navigation = group->ReadNavigation(actions);
    if (navigation == UiPartGroup::kNavigatePrevious || navigation == UiPartGroup::kNavigateNext) {
        const bool forward = navigation == UiPartGroup::kNavigateNext;
        m_hoverSuppressed = false;
        const bool canStep = forward ? m_hoverRow >= 0 && m_hoverRow < RowCount() - 1 : m_hoverRow > 0;
        if (canStep) {
            for (std::int32_t row = m_hoverRow + (forward ? 1 : -1); ValidRow(row); row += forward ? 1 : -1) {
                if (!Selectable(row)) continue;
                if (FocusRow(row)) return true;
                break;
            }
        }
        // Past the ends the focus moves to the next part; when nobody takes it, the list wraps
        // round to its first or last row.
        if ((forward ? group->FocusNext() : group->FocusPrevious()) != 0 && Group() == group &&
            group->IsFocused(this)) {
            OnFocus(nullptr, forward);
        }
        return true;
    }
    if (m_hoverRow < 0) return false;
    if (m_pressState == kHovered) {
        m_keyReleaseTime = 0;
        if (!actions || !actions->IsTriggered(kActionReturn)) return false;
        if (m_hasPressedCell) {
            SetRowState(m_hoverRow, kRowPressed);
            m_pressState = kPressed;
            m_keyReleaseTime = m_now + kKeyPressMs;
        } else {
            ActivateRow(m_hoverRow);
        }
        return true;
    }
    if (m_pressState == kPressed) {
        if (m_keyReleaseTime != 0 && m_now > m_keyReleaseTime) {
            m_pressState = kHovered;
            m_keyReleaseTime = 0;
            SetRowState(m_hoverRow, kRowHover);
            ActivateRow(m_hoverRow);
        }
        return true;
    }
    m_keyReleaseTime = 0;
    return false;
}
