#include "scenario/ui/select_list_part.h"

#include <algorithm>
#include <limits>
#include <new>

#include "framework/input/action_map.h"
#include "framework/input/keyboard_device.h"
#include "framework/input/mouse_device.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/font.h"
#include "scenario/ui/ui_part_group.h"

namespace {

constexpr std::int32_t kMarkCells = 4;
constexpr std::int32_t kTextIndent = 2;

void Fill(Image& image, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
          std::uint32_t value) {
    if (width <= 0 || height <= 0) return;
    const RECT rect = {left, top, left + width, top + height};
    image.FillValue(value, &rect);
}

}  // namespace

void SelectListPart::ScrollBarPart::OnFocus(UiPart*, bool forward) {
    UiPartGroup* const group = Group();
    if (!group) return;
    if ((forward ? group->FocusNext() : group->FocusPrevious()) != 0 && Group() && Group()->IsFocused(this)) {
        Group()->FocusPart(nullptr);
    }
}

void SelectListPart::Listener::ValueChanged(UiPart*, std::int32_t) { m_list.Redraw(); }

SelectListPart::SelectListPart() = default;

SelectListPart::~SelectListPart() {
    LeaveGroup();
    UiPart::LeaveGroup();
    Release();
}

std::int32_t SelectListPart::RowCount() const {
    if (m_texts) return m_texts->Count();
    return m_faces ? m_faces->Count() : 0;
}

std::int32_t SelectListPart::ScrollOffset() const {
    const std::int32_t value = const_cast<ScrollBarPart&>(m_slider).Value();
    return value < 0 ? 0 : value;
}

// --- Set-up ---

void SelectListPart::Release() {
    if (m_spriteList) m_sprite.Detach();
    m_sprite.Reset();
    m_image.Free();
    m_slider.Release();
    m_texts.reset();
    m_faces.reset();
    m_markImage.Free();
    m_flags.reset();
    m_markWidth = 0;
}

std::int32_t SelectListPart::Setup(SpriteList* list, std::int32_t priority, Font* font, std::int32_t height,
                                   std::int32_t width, std::int32_t x, std::int32_t y, const char* thumbFile,
                                   std::int32_t thumbStartCap, std::int32_t thumbEndCap, std::int32_t sliderLength,
                                   std::int32_t sliderX, std::int32_t sliderY, std::uint8_t blendMode,
                                   const char* markFile, std::int32_t spacing, std::int32_t tag) {
    if (!list || !font || width <= 0 || !thumbFile ||
        static_cast<std::int64_t>(sliderLength) < static_cast<std::int64_t>(thumbStartCap) + thumbEndCap + 1) {
        return 1;
    }
    // The pitch divides the pointer's row and the page step.
    const std::int32_t rowHeight = font->logFont.lfHeight < 0 ? -font->logFont.lfHeight : font->logFont.lfHeight;
    const std::int64_t pitch = static_cast<std::int64_t>(rowHeight) + spacing;
    if (pitch < 1 || pitch > std::numeric_limits<std::int32_t>::max()) return 1;
    if (list == m_spriteList) m_spriteList = nullptr;
    Release();
    m_spriteList = list;
    m_font = nullptr;
    std::int64_t imageWidth = width;
    if (markFile) {
        if (m_markImage.Load(markFile, nullptr, 0, 0) != 0) {
            Release();
            return 2;
        }
        m_flags.reset(new (std::nothrow) std::deque<std::uint8_t>);
        if (!m_flags) {
            Release();
            return -1;
        }
        m_markWidth = m_markImage.Width() / kMarkCells;
        imageWidth += m_markWidth;
    }
    m_rowHeight = rowHeight;
    m_spacing = spacing;
    const std::int64_t imageHeight = height < 0 ? -static_cast<std::int64_t>(height) * pitch - spacing : height;
    if (imageWidth > std::numeric_limits<std::int32_t>::max() || imageHeight <= 0 ||
        imageHeight > std::numeric_limits<std::int32_t>::max() ||
        m_image.Create(static_cast<std::int32_t>(imageWidth), static_cast<std::int32_t>(imageHeight), 32, 0) != 0) {
        Release();
        return 3;
    }
    m_image.FillValue(m_backColour, nullptr);
    if (m_sprite.SetImage(&m_image, nullptr, x, y) != 0) {
        Release();
        return -1;
    }
    m_sprite.SetBlendMode(2);
    m_slider.CreateFromImages(list, priority, sliderX, sliderY, 0, 0, thumbFile, thumbStartCap, thumbEndCap, nullptr,
                              0, 0, nullptr, nullptr, true, true, blendMode, 255, -1, -1, tag);
    m_slider.SetListener(&m_listener);
    m_slider.SetStep(static_cast<std::int32_t>(pitch));
    m_sliderLength = sliderLength;
    m_selected = -1;
    m_cursor = -1;
    m_savedCursor = -1;
    SetPriority(priority, tag, true);
    m_font = font;
    return 0;
}

std::int32_t SelectListPart::AddItem(const char* text, const char* face, bool update) {
    if (!m_font) return 1;
    if (!m_texts && !m_faces) {
        if (text) m_texts.reset(new (std::nothrow) StringList);
        if (face) m_faces.reset(new (std::nothrow) StringList);
        if ((text && !m_texts) || (face && !m_faces)) return 2;
    }
    if (m_texts) {
        if (m_texts->Add(text ? text : "") != 0) return 2;
        if (m_flags) {
            try {
                m_flags->push_back(m_newRowFlag);
            } catch (const std::bad_alloc&) {
                return 2;
            }
        }
    }
    if (m_faces && m_faces->Add(face ? face : "") != 0) return 2;
    if (update) UpdateScrollRange();
    return 0;
}

void SelectListPart::UpdateScrollRange() {
    const std::int32_t count = RowCount();
    const std::int64_t range = count > 0 ? static_cast<std::int64_t>(count) * Pitch() - m_spacing : m_image.Height();
    m_slider.Setup(m_sliderLength,
                   static_cast<std::int32_t>(std::min<std::int64_t>(range, std::numeric_limits<std::int32_t>::max())),
                   m_image.Height(), 0, 0, 1);
    m_cursor = -1;
    m_savedCursor = -1;
    Redraw();
}

// --- Drawing ---

void SelectListPart::Redraw() {
    if (!m_font || !m_image.Bits()) return;
    m_image.FillValue(m_backColour, nullptr);
    const bool marks = HasMarks();
    const std::int32_t x0 = marks ? m_markWidth : 0;
    const std::int32_t textWidth = m_image.Width() - x0;
    const std::int32_t count = RowCount();
    const std::int64_t scroll = ScrollOffset();
    for (std::int32_t n = 0; n < count; ++n) {
        const std::int64_t top = static_cast<std::int64_t>(n) * Pitch() - scroll;
        if (top >= m_image.Height()) break;
        if (top <= -m_rowHeight) continue;
        const auto y = static_cast<std::int32_t>(top);
        if (n == m_selected) Fill(m_image, x0, y, textWidth, m_rowHeight, m_selectColour);
        if (marks && static_cast<std::size_t>(n) < m_flags->size()) {
            std::int32_t cell = (*m_flags)[static_cast<std::size_t>(n)] != 0 ? 2 : 0;
            if (m_cursor == n + count) ++cell;
            const RECT source = {cell * m_markWidth, 0, (cell + 1) * m_markWidth, m_markImage.Height()};
            m_image.Blit(&m_markImage, 0, y + ((m_rowHeight - m_markImage.Height()) >> 1), &source, false);
        }
        if (n == m_cursor) {
            Fill(m_image, x0, y, textWidth, 1, m_frameColour);
            Fill(m_image, x0, y + 1, 1, m_rowHeight - 1, m_frameColour);
            Fill(m_image, x0 + 1, y + m_rowHeight - 1, textWidth - 1, 1, m_frameColour);
            Fill(m_image, x0 + textWidth - 1, y + 1, 1, m_rowHeight - 2, m_frameColour);
        }
        if (m_faces) m_font->SetFace(m_faces->Get(n));
        const char* const text = m_texts ? m_texts->Get(n) : m_faces->Get(n);
        if (text && text[0] != '\0') m_image.DrawTextAntialias(x0 + kTextIndent, y, text, m_font);
    }
    m_sprite.InvalidateArea(RECT{0, 0, m_image.Width(), m_image.Height()});
}

// --- Rows ---

bool SelectListPart::ScrollToRow(std::int32_t cursor) {
    const std::int32_t count = RowCount();
    // A mark's cursor scrolls to its row.
    const std::int32_t row = cursor >= count ? cursor - count : cursor;
    const std::int64_t top = static_cast<std::int64_t>(row) * Pitch();
    const std::int64_t scroll = ScrollOffset();
    const std::int32_t height = m_image.Height();
    if (top - scroll >= 0 && top + m_rowHeight - scroll <= height) {
        Redraw();
        return true;
    }
    const std::int64_t target = top - scroll < 0 ? top : top + m_rowHeight - height;
    const std::int64_t clamped = std::min<std::int64_t>(std::max<std::int64_t>(target, 0), std::numeric_limits<std::int32_t>::max());
    if (m_slider.SetValue(static_cast<std::int32_t>(clamped)) == 0) return false;
    Redraw();
    return true;
}

std::int32_t SelectListPart::Select(std::int32_t row) {
    if (!m_font) return 1;
    if (row >= RowCount()) row = -1;
    m_selected = row;
    if (row < 0 || !ScrollToRow(row)) Redraw();
    return 0;
}

std::int32_t SelectListPart::SetItemFlag(std::int32_t row, std::uint8_t flag, bool redraw) {
    if (!m_font || !m_texts || !m_flags) return 1;
    if (row < 0 || row >= m_texts->Count() || static_cast<std::size_t>(row) >= m_flags->size()) return 2;
    (*m_flags)[static_cast<std::size_t>(row)] = flag;
    if (redraw) Redraw();
    return 0;
}

std::uint8_t SelectListPart::GetItemFlag(std::int32_t row) const {
    if (!m_flags || row < 0 || static_cast<std::size_t>(row) >= m_flags->size()) return 0;
    return (*m_flags)[static_cast<std::size_t>(row)];
}

void SelectListPart::Notify() {
    if (Group() && GetId() >= 0) Group()->NotifyActivated(GetId());
}

void SelectListPart::Activate(std::int32_t cursor) {
    const std::int32_t count = RowCount();
    if (m_texts && m_flags && cursor >= count) {
        const std::int32_t row = cursor - count;
        if (row < count && static_cast<std::size_t>(row) < m_flags->size()) {
            std::uint8_t& flag = (*m_flags)[static_cast<std::size_t>(row)];
            flag = flag == 0 ? 1 : 0;
            Notify();
            Redraw();
        }
        return;
    }
    if (cursor >= 0 && cursor < count && cursor != m_selected) {
        m_selected = cursor;
        Notify();
        Redraw();
    }
}

void SelectListPart::SetCursor(std::int32_t cursor) {
    if (cursor == m_cursor) return;
    m_cursor = cursor;
    Redraw();
}

// --- Pointer and keys ---

bool SelectListPart::HitTest(std::int32_t x, std::int32_t y) {
    const auto dx = static_cast<std::uint32_t>(x - GetX());
    const auto dy = static_cast<std::uint32_t>(y - GetY());
    return dx < static_cast<std::uint32_t>(GetWidth()) && dy < static_cast<std::uint32_t>(GetHeight());
}

void SelectListPart::OnPointerMove(std::int32_t x, std::int32_t y) {
    const std::int32_t count = RowCount();
    if (count == 0) {
        SetCursor(-1);
        return;
    }
    const std::int64_t row = (static_cast<std::int64_t>(y) + ScrollOffset()) / Pitch();
    std::int32_t cursor = -1;
    if (row >= 0 && row < count) {
        cursor = static_cast<std::int32_t>(row);
        if (x < m_markWidth) cursor += count;
    }
    SetCursor(cursor);
}

void SelectListPart::OnPointerEnter() {
    if (Group() && !Group()->IsFocused(this)) Group()->FocusPart(this);
}

bool SelectListPart::OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) {
    if (!mouse) return false;
    if (mouse->IsTriggered(0)) {
        Activate(m_cursor);
        return true;
    }
    if (mouse->IsDown(3) || mouse->IsDown(4)) return m_slider.OnPointer(x, y, mouse);
    return false;
}

void SelectListPart::OnFocus(UiPart*, bool) {
    if (m_savedCursor >= 0) SetCursor(m_savedCursor);
}

void SelectListPart::OnBlur(UiPart*) {
    m_savedCursor = m_cursor;
    if (m_savedCursor >= 0) SetCursor(-1);
}

bool SelectListPart::OnKeys(ActionMap* actions) {
    if (!m_texts && !m_faces) return false;
    const std::int32_t count = RowCount();
    const std::int32_t last = count - 1;
    auto newly = [actions](std::uint8_t action) { return actions && action != 0 && actions->IsTriggered(action); };
    auto moveTo = [this](std::int64_t cursor) {
        m_cursor = static_cast<std::int32_t>(cursor);
        ScrollToRow(m_cursor);
        return true;
    };
    // A page is what fits between the spacings; never negative, so the cursor stays in range.
    const std::int32_t page = std::max((m_image.Height() - m_spacing) / Pitch(), 0);
    if (actions && actions->IsTriggered(0)) {
        if (count == 0) return true;
        const std::int32_t row = m_cursor >= count ? m_cursor - count : m_cursor;
        return moveTo(std::max(row - 1, 0));
    }
    if (actions && actions->IsTriggered(1)) {
        if (count == 0) return true;
        const std::int32_t row = m_cursor >= count ? m_cursor - count : m_cursor;
        return moveTo(row < last ? row + 1 : row);
    }
    if (actions && actions->IsTriggered(4)) {
        Activate(m_cursor);
        return true;
    }
    // Page keys move a cursor on a mark as a number, not as its row.
    if (newly(m_pageUpAction)) {
        if (count == 0) return true;
        return moveTo(std::max<std::int64_t>(static_cast<std::int64_t>(m_cursor) - page, 0));
    }
    if (newly(m_pageDownAction)) {
        if (count == 0) return true;
        return moveTo(std::min<std::int64_t>(static_cast<std::int64_t>(m_cursor) + page, last));
    }
    KeyboardDevice* const keyboard = Group() ? Group()->GetKeyboard() : nullptr;
    if (!keyboard) return false;
    const bool home = keyboard->IsTriggered(kKeyHome);
    if (home || keyboard->IsTriggered(kKeyEnd)) {
        if (count == 0) return true;
        m_cursor = home ? 0 : last;
        // The listener redraws when the thumb moves; else the new cursor is drawn here.
        if (m_slider.SetThumbPos(home ? 0 : m_slider.MaxThumbPos()) != 0) Redraw();
        return true;
    }
    if (keyboard->IsTriggered(kKeySpace)) {
        if (m_texts && m_flags && m_cursor >= 0) Activate(m_cursor < count ? m_cursor + count : m_cursor);
        return true;
    }
    return false;
}

// --- Placement ---

std::int32_t SelectListPart::SetPosition(std::int32_t x, std::int32_t y) {
    const std::int32_t dx = x - GetX();
    const std::int32_t dy = y - GetY();
    m_slider.SetPosition(m_slider.GetX() + dx, m_slider.GetY() + dy);
    return ImagePart::SetPosition(x, y);
}

void SelectListPart::SetVisible(bool visible) {
    m_slider.SetVisible(visible);
    ImagePart::SetVisible(visible);
}

bool SelectListPart::SetEnabled(bool enabled) {
    m_slider.SetEnabled(enabled);
    return ImagePart::SetEnabled(enabled);
}

void SelectListPart::SetAlpha(std::uint8_t alpha) {
    m_slider.SetAlpha(alpha);
    ImagePart::SetAlpha(alpha);
}

void SelectListPart::DropReferencesTo(const void* object) {
    m_slider.DropReferencesTo(object);
    ImagePart::DropReferencesTo(object);
    if (object && object == m_font) m_font = nullptr;
}

// --- Groups ---

std::int32_t SelectListPart::JoinGroup(UiPartGroup* group, std::int32_t index) {
    if (!group) return 1;
    if (Group()) return -1;
    std::int32_t result = 0;
    if (index < 0) {
        result = group->InsertPart(this, -1);
        if (result == 0) group->InsertPart(&m_slider, -1);
    } else {
        group->InsertPart(&m_slider, -1);
        result = group->InsertPart(this, index);
        if (result != 0 && m_slider.Group() == group) group->RemovePart(&m_slider);
    }
    return result;
}

bool SelectListPart::LeaveGroup() {
    UiPartGroup* const group = Group();
    if (!group) return false;
    if (m_slider.Group() == group) group->RemovePart(&m_slider);
    group->RemovePart(this);
    return true;
}
