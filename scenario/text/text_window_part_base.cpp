#include "scenario/text/text_window_part_base.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include "graphics/text/font.h"
#include "graphics/text/text_syntax.h"
#include "scenario/text/line_break_tables.h"
#include "framework/input/action_map.h"
#include "framework/input/mouse_device.h"
#include "scenario/ui/ui_part_group.h"

TextWindowPartBase::TextWindowPartBase() = default;

TextWindowPartBase::~TextWindowPartBase() {
    LeaveGroup();
    for (TextWindowItem* item : m_items) {
        delete item;
    }
}

const TextWindowItem* TextWindowPartBase::Item(std::int32_t index) const {
    if (index < 0 || index >= static_cast<std::int32_t>(m_items.size())) {
        return nullptr;
    }
    return m_items[index];
}

std::int32_t TextWindowPartBase::CharSize() const {
    return m_font != nullptr ? std::abs(m_font->logFont.lfHeight) : 0;
}

std::int32_t TextWindowPartBase::RubySize() const {
    return m_rubyFont != nullptr ? std::abs(m_rubyFont->logFont.lfHeight) : 0;
}

bool TextWindowPartBase::FontItalic() const {
    return m_font != nullptr && m_font->logFont.lfItalic != 0;
}

std::int32_t TextWindowPartBase::UpdateLineMetrics() {
    if (m_font == nullptr) {
        return 0;
    }
    std::int32_t height = CharSize();
    if (rubyBand && !m_vertical && m_rubyFont != nullptr) {
        height += RubySize() + rubyGap;
    }
    m_lineHeight = std::max(height, minLineHeight);
    m_linePitch = m_lineHeight + (m_vertical ? m_itemSpaceAfterX + m_itemSpaceBeforeX
                                             : m_itemSpaceAfterY + m_itemSpaceBeforeY);
    return m_linePitch;
}

std::int32_t TextWindowPartBase::GetLineBaseOffset() {
    return m_vertical ? m_itemSpaceBeforeX + m_lineHeight / 2 : m_itemSpaceBeforeY + m_lineHeight;
}

std::int32_t TextWindowPartBase::GetItemStartOffsetX() {
    return m_vertical ? m_itemSpaceAfterX - m_linePitch : -m_itemSpaceBeforeX;
}

std::int32_t TextWindowPartBase::GetItemStartOffsetY() {
    return -m_itemSpaceBeforeY;
}

bool TextWindowPartBase::UpdateWrapLimit() {
    if (m_font == nullptr) {
        return false;
    }
    const std::int32_t s = CharSize();
    m_wrapLimit = m_vertical ? m_height - wrapReserve * s - m_marginBottom
                             : m_width - wrapReserve * s - m_marginRight;
    return true;
}

void TextWindowPartBase::UpdateWrapLimitIfFont() {
    if (m_font != nullptr) {
        UpdateWrapLimit();
    }
}

bool TextWindowPartBase::NewLine() {
    const std::int32_t oldPitch = m_linePitch;
    const std::int32_t oldHeight = m_lineHeight;
    UpdateLineMetrics();
    const bool full =
        m_vertical ? m_marginLeft >= m_penX - lineGap - m_lineHeight - oldPitch
                   : m_height - m_marginBottom < m_penY + lineGap + oldPitch + m_lineHeight;
    if (full) {
        m_linePitch = oldPitch;
        m_lineHeight = oldHeight;
        return true;
    }
    if (m_itemOpen) {
        EndItemArea();
    }
    const std::int32_t oldPenX = m_penX;
    const std::int32_t oldPenY = m_penY;
    if (m_vertical) {
        m_penX -= m_linePitch + lineGap;
        m_penY = m_marginTop + m_indent;
        if (m_marginLeft >= oldPenX - 2 * m_linePitch - 2 * lineGap - m_lineHeight) {
            m_lastLine = 1;
        }
    } else {
        m_penY += m_linePitch + lineGap;
        m_penX = m_marginLeft + m_indent;
        if (m_height - m_marginBottom < oldPenY + m_lineHeight + 2 * lineGap + 2 * m_linePitch) {
            m_lastLine = 1;
        }
    }
    return false;
}

std::int32_t TextWindowPartBase::NewLineIfWrapping() {
    return NewLine() ? autoWrap : 0;
}

void TextWindowPartBase::SetIndentHere() {
    m_indent = m_vertical ? m_penY - m_marginTop : m_penX - m_marginLeft;
}

bool TextWindowPartBase::SetRuby(const char* text) {
    if (m_rubyFont == nullptr) {
        return false;
    }
    m_pendingRuby = text;
    return true;
}

bool TextWindowPartBase::IsNoBreakOneByte(std::uint8_t c) {
    return InOneByteTable(kNoLineEndOpeningOneByte, m_previousChar[0]) ||
           InOneByteTable(kNoLineStartClosingOneByte, c) ||
           InOneByteTable(kNoLineStartSmallOneByte, c);
}

bool TextWindowPartBase::IsNoBreakTwoByte(std::uint16_t c) {
    const std::uint16_t previous =
        static_cast<std::uint16_t>(m_previousChar[0] | (m_previousChar[1] << 8));
    return InTwoByteTable(kNoLineEndOpeningTwoByte, previous) ||
           InTwoByteTable(kNoLineStartClosingTwoByte, c) ||
           InTwoByteTable(kNoLineStartSmallTwoByte, c);
}

// --- Items ---

void TextWindowPartBase::ClearItems() {
    if (Group() != nullptr && Group()->IsHovered(this)) {
        Group()->CloseTooltip();
    }
    m_tooltip = nullptr;
    for (TextWindowItem* item : m_items) {
        delete item;
    }
    m_items.clear();
    m_itemCount = 0;
    m_itemOpen = 0;
    m_areaOpen = 0;
    m_hoveredItem = -1;
}

std::int32_t TextWindowPartBase::AddItem(const TextWindowItemSetup& setup) {
    // The item map keeps item + 1 in a byte: item 255 would read as none.
    if (!m_itemsEnabled || m_itemOpen || m_itemCount >= kMaxItems) {
        return 1;
    }
    auto copy = [](const char* text) {
        return text != nullptr ? std::string(text) : std::string();
    };
    auto* item = new (std::nothrow) TextWindowItem;
    if (item == nullptr) {
        return 1;
    }
    item->name = copy(setup.name);
    item->value = setup.value;
    item->text = copy(setup.text);
    item->tooltip = copy(setup.tooltip);
    item->chosenFlag = setup.chosenFlag;
    item->hoverOnFlag = setup.hoverOnFlag;
    item->hoverOffFlag = setup.hoverOffFlag;
    item->highlightColour = setup.highlightColour;
    item->activateSoundName = copy(setup.activateSoundName);
    item->hoverSoundName = copy(setup.hoverSoundName);
    item->leaveSoundName = copy(setup.leaveSoundName);
    item->activateSound = item->activateSoundName.empty() ? setup.activateSound : 0;
    item->hoverSound = item->hoverSoundName.empty() ? setup.hoverSound : 0;
    item->leaveSound = item->leaveSoundName.empty() ? setup.leaveSound : 0;
    m_items.push_back(item);
    ++m_itemCount;
    m_itemOpen = 1;
    m_areaOpen = 0;
    return 0;
}

void TextWindowPartBase::BeginItemArea() {
    if (!m_itemsEnabled || m_areaOpen || m_items.empty()) {
        return;
    }
    TextWindowItemArea area;
    area.x = m_penX - m_itemSpaceBeforeX;
    if (m_vertical) {
        area.x -= 1 + m_lineHeight;
    }
    area.y = m_penY - m_itemSpaceBeforeY;
    m_items.back()->areas.push_back(area);
    m_areaOpen = 1;
}

void TextWindowPartBase::EndItemArea() {
    if (!m_areaOpen || m_items.empty() || m_items.back()->areas.empty()) {
        m_areaOpen = 0;
        return;
    }
    TextWindowItemArea& area = m_items.back()->areas.back();
    // The drawn stretch is measured from where the pen stood, so an area with nothing drawn
    // stays empty whatever the spacing.
    const std::int32_t slant = FontItalic() ? CharSize() / 4 : 0;
    if (m_vertical) {
        const std::int32_t drawn = m_penY - (area.y + m_itemSpaceBeforeY) + slant;
        area.width = m_linePitch;
        area.height = drawn < 1 ? 0 : drawn + m_itemSpaceBeforeY + m_itemSpaceAfterY;
    } else {
        const std::int32_t drawn = m_penX - (area.x + m_itemSpaceBeforeX) + slant;
        area.width = drawn < 1 ? 0 : drawn + m_itemSpaceBeforeX + m_itemSpaceAfterX;
        area.height = m_linePitch;
    }
    MarkItemArea(area.x, area.y, area.width, area.height);
    m_areaOpen = 0;
}

void TextWindowPartBase::CloseItem() {
    if (!m_itemOpen) {
        return;
    }
    m_itemOpen = 0;
    EndItemArea();
    m_items.back()->enabled = 1;
    if (Group() != nullptr) {
        Group()->GetCursorPos(&m_pointerX, &m_pointerY);
    }
    m_hoverSuppressed = 1;
    m_locked = 0;
}

bool TextWindowPartBase::ItemSelectable(std::int32_t index) const {
    return index >= 0 && index < static_cast<std::int32_t>(m_items.size()) &&
           m_items[index]->enabled;
}

void TextWindowPartBase::PlayItemSound(const std::string& name, std::int32_t number,
                                       std::int32_t fallback) {
    if (Group() == nullptr) {
        return;
    }
    if (!name.empty()) {
        Group()->PlaySound(name.c_str(), number, 0, 0);
    } else {
        Group()->PlaySound(nullptr, number >= 0 ? number : fallback, 0, 0);
    }
}

bool TextWindowPartBase::HighlightItem(std::int32_t index) {
    if (!ItemSelectable(index)) {
        return false;
    }
    TextWindowItem* item = m_items[index];
    item->hoverOnFlag.Write(1);
    item->hoverOffFlag.Write(0);
    PlayItemSound(item->hoverSoundName, item->hoverSound, -3);
    if (!item->tooltip.empty()) {
        m_tooltip = item->tooltip.c_str();
    }
    ShowItemHighlight(index, true);
    return true;
}

void TextWindowPartBase::UnhighlightItem(std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(m_items.size())) {
        return;
    }
    TextWindowItem* item = m_items[index];
    item->hoverOnFlag.Write(0);
    item->hoverOffFlag.Write(1);
    PlayItemSound(item->leaveSoundName, item->leaveSound, -2);
    m_tooltip = nullptr;
    ShowItemHighlight(m_hoveredItem, false);
}

void TextWindowPartBase::DropHover() {
    if (m_hoveredItem < 0) {
        return;
    }
    if (Group() != nullptr && Group()->IsHovered(this)) {
        Group()->CloseTooltip();
    }
    UnhighlightItem(m_hoveredItem);
    m_hoveredItem = -1;
}

bool TextWindowPartBase::ActivateItem(std::int32_t index) {
    const std::int32_t id = GetId();
    if (index == -1) {
        if (Group() != nullptr && id >= 0) {
            Group()->NotifyActivated(id);
        }
        return false;
    }
    if (!ItemSelectable(index)) {
        return false;
    }
    TextWindowItem* item = m_items[index];
    if (Group() != nullptr && id >= 0) {
        Group()->NotifyActivated(id + index);
    }
    SetLocked(true);
    PlayItemSound(item->activateSoundName, item->activateSound, -4);
    item->chosenFlag.Write(1);
    if (Group() != nullptr && (!item->text.empty() || !item->name.empty() || item->value != 0)) {
        Group()->RunAction(item->text.empty() ? nullptr : item->text.c_str(),
                             item->name.empty() ? nullptr : item->name.c_str(), item->value);
    }
    return true;
}

bool TextWindowPartBase::SelectItem(std::int32_t index) {
    if (!ItemSelectable(index)) {
        return false;
    }
    UiPartGroup* const group = Group();
    const std::int32_t mode = group != nullptr ? group->GetFocusPointerMode() : 0;
    if (mode == 1) {
        const TextWindowItemArea* first =
            m_items[index]->areas.empty() ? nullptr : &m_items[index]->areas.front();
        if (first != nullptr) {
            group->SetCursorPos(GetX() + first->x + first->width / 2,
                                GetY() + first->y + first->height / 2);
        }
        return true;
    }
    if (group != nullptr) {
        group->EndHover();
    }
    DropHover();
    m_hoveredItem = HighlightItem(index) ? index : -1;
    if (mode == 2 && Group() != nullptr) {
        Group()->ParkCursor();
    }
    return true;
}

// --- Strings placed as a whole ---

std::int32_t TextWindowPartBase::DrawAlignedString(const char* text, std::int32_t alignment) {
    if (m_font == nullptr || text == nullptr) {
        return 1;
    }
    std::int32_t size[2] = {0, 0};
    m_font->TextExtent(text, size, nullptr, nullptr, true, nullptr);
    RECT bounds;
    m_font->GetRotatedTextBounds(&bounds, 0, 0, size[0], size[1]);
    const std::int32_t textWidth = bounds.right - bounds.left;
    const std::int32_t textHeight = bounds.bottom - bounds.top;
    const std::int32_t free = m_width - m_marginLeft - m_marginRight + m_itemSpaceBeforeX +
                              m_itemSpaceAfterX - textWidth;
    const std::int32_t freeY = m_height - m_marginTop - m_marginBottom + m_itemSpaceBeforeY +
                               m_itemSpaceAfterY - textHeight;
    std::int32_t x = -1;
    std::int32_t y = -1;
    if (!m_vertical) {
        switch (alignment) {
        case 0: x = free / 2; y = freeY / 2; break;
        case 1: x = free / 2; break;
        case 2: x = 0; break;
        case 3: x = free; break;
        default: return 1;
        }
    } else {
        switch (alignment) {
        case 0: x = free / 2 - m_itemSpaceAfterX - bounds.left + 1; y = freeY / 2; break;
        case 1: y = freeY / 2; break;
        case 2: y = 0; break;
        case 3: y = freeY; break;
        default: return 1;
        }
    }
    return DrawString(text, x, y, true);
}

std::int32_t TextWindowPartBase::DrawSpreadString(const char* text,
                                                  const TextWindowItemArea& rect) {
    if (m_font == nullptr || text == nullptr) {
        return 1;
    }
    const std::int32_t n = CountTextChars(text);
    std::int32_t size[2] = {0, 0};
    m_font->TextExtent(text, size, nullptr, nullptr, true, nullptr);
    RECT bounds;
    m_font->GetRotatedTextBounds(&bounds, 0, 0, size[0], size[1]);
    const std::int32_t textWidth = bounds.right - bounds.left;
    const std::int32_t textHeight = bounds.bottom - bounds.top;
    std::int32_t length;
    std::int32_t extent;
    if (m_vertical) {
        length = rect.height + m_itemSpaceBeforeY + m_itemSpaceAfterY;
        extent = textHeight;
        MoveTo((rect.width + m_itemSpaceBeforeX + m_itemSpaceAfterX - textWidth) / 2 -
                   m_itemSpaceAfterX - bounds.left + 1,
               rect.y);
    } else {
        length = rect.width + m_itemSpaceBeforeX + m_itemSpaceAfterX;
        extent = textWidth;
        MoveTo(rect.x, (rect.height + m_itemSpaceBeforeY + m_itemSpaceAfterY - textHeight) / 2);
    }
    if (m_itemOpen) {
        BeginItemArea();
    }
    const std::int32_t gap = (length - extent) / (n + 1);
    const std::int32_t rest = ((length - extent) % (n + 1)) / 2;
    std::int32_t& pen = m_vertical ? m_penY : m_penX;
    pen += rest;
    std::int32_t result = 0;
    while (*text != 0) {
        pen += gap;
        result = PutChar(&text);
        if (result == 1) {
            return 1;
        }
    }
    pen += gap + rest;
    return 0;
}

// --- Pointer, keys and focus ---

bool TextWindowPartBase::HitTest(std::int32_t x, std::int32_t y) {
    UiPartGroup* const group = Group();
    if (m_dragging) {
        MouseDevice* const mouse = group != nullptr ? group->GetMouse() : nullptr;
        if (mouse != nullptr && mouse->IsDown(0)) {
            SetPosition(x - m_dragOffsetX, y - m_dragOffsetY);
            return true;
        }
        m_dragging = 0;
    }
    const std::int32_t localX = x - GetX();
    const std::int32_t localY = y - GetY();
    if (dragAlphaThreshold != 0 && HitTestFrame(localX, localY)) {
        if (!m_locked) {
            DropHover();
        }
        if (group != nullptr) {
            group->SetCursorKind(3);
        }
        return true;
    }
    if (m_locked) {
        return false;
    }
    if (m_hoverSuppressed &&
        (std::abs(x - m_pointerX) > 3 || std::abs(y - m_pointerY) > 3)) {
        m_hoverSuppressed = 0;
    }
    if (ItemSelectable(ItemAtPoint(localX, localY))) {
        if (group != nullptr) {
            group->SetCursorKind(1);
        }
        return true;
    }
    return false;
}

void TextWindowPartBase::OnPointerMove(std::int32_t x, std::int32_t y) {
    if (m_locked) {
        if (Group() != nullptr && Group()->GetCursorKind() == 1) {
            Group()->SetCursorKind(0);
        }
        return;
    }
    if (dragAlphaThreshold != 0 && HitTestFrame(x, y)) {
        return;
    }
    const std::int32_t item = ItemAtPoint(x, y);
    if (item == m_hoveredItem) {
        return;
    }
    DropHover();
    m_hoveredItem = HighlightItem(item) ? item : -1;
}

void TextWindowPartBase::OnPointerLeave() {
    m_dragging = 0;
    if (!m_locked) {
        DropHover();
    }
    if (Group() != nullptr) {
        Group()->SetCursorKind(0);
    }
}

bool TextWindowPartBase::OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) {
    if (mouse == nullptr || !mouse->IsTriggered(0)) {
        return false;
    }
    if (!m_locked && !m_hoverSuppressed && m_hoveredItem >= 0) {
        return ActivateItem(m_hoveredItem);
    }
    if (dragAlphaThreshold != 0 && HitTestFrame(x, y)) {
        m_dragging = 1;
        m_dragOffsetX = x;
        m_dragOffsetY = y;
    }
    return false;
}

void TextWindowPartBase::PassFocus(bool forward) {
    UiPartGroup* const group = Group();
    if (group == nullptr) {
        return;
    }
    // The group answers -1 once every member of this chain was offered the focus: nobody
    // takes it, so it goes.
    if ((forward ? group->FocusNext() : group->FocusPrevious()) == -1 && Group() == group &&
        group->IsFocused(this)) {
        group->FocusPart(nullptr);
    }
}

void TextWindowPartBase::OnFocus(UiPart* previous, bool forward) {
    if (m_itemOpen || m_locked || m_items.empty() ||
        !SelectItem(forward ? 0 : static_cast<std::int32_t>(m_items.size()) - 1)) {
        PassFocus(forward);
    }
}

void TextWindowPartBase::OnBlur(UiPart* next) {
    m_dragging = 0;
    if (!m_locked) {
        DropHover();
    }
    if (Group() != nullptr && Group()->GetCursorKind() != 0) {
        Group()->SetCursorKind(0);
    }
}

bool TextWindowPartBase::OnKeys(ActionMap* actions) {
    if (actions == nullptr || m_itemOpen || m_locked || m_items.empty()) {
        return false;
    }
    if (actions->IsTriggered(4)) {
        return m_hoveredItem >= 0 && ActivateItem(m_hoveredItem);
    }
    bool forward;
    if (actions->IsTriggered(0) || actions->IsTriggered(2)) {
        forward = false;
    } else if (actions->IsTriggered(1) || actions->IsTriggered(3)) {
        forward = true;
    } else {
        return false;
    }
    const auto count = static_cast<std::int32_t>(m_items.size());
    std::int32_t next = m_hoveredItem < 0 ? (forward ? 0 : count - 1)
                                          : m_hoveredItem + (forward ? 1 : -1);
    if (next < 0 || next >= count) {
        UiPartGroup* const group = Group();
        if (group != nullptr && (forward ? group->FocusNext() : group->FocusPrevious()) == 0) {
            return true;
        }
        next = forward ? 0 : count - 1;
    }
    return SelectItem(next);
}
