#include "scenario/ui/frame_button_part.h"

#include "graphics/sprites/sprite_list.h"
#include "scenario/ui/ui_part_group.h"

FrameButtonPart::FrameButtonPart() = default;

FrameButtonPart::~FrameButtonPart() {
    // Leaves while whole, so the group's last calls reach this type's handlers.
    LeaveGroup();
    Release();
    m_rect.Detach();
}

std::int32_t FrameButtonPart::SetPosition(std::int32_t x, std::int32_t y) {
    if (m_width <= 0) return 1;
    m_rect.SetPosition(x, y);
    return 0;
}

void FrameButtonPart::SetVisible(bool visible) {
    UiPartGroup* const group = Group();
    if (!visible && group && group->IsFocused(this)) group->FocusPart(nullptr);
    if (!visible && Group() && Group()->IsHovered(this)) Group()->EndHover();
    m_rect.SetVisible(visible ? 1 : 0);
}

std::int32_t FrameButtonPart::SetPriority(std::int32_t priority, std::int32_t tag, bool) {
    if (!m_spriteList) return 1;
    m_priority = priority;
    if (!m_rect.List()) {
        if (m_width <= 0) return 1;
        m_tag = tag;
        SetTag(tag);
        m_spriteList->Add(&m_rect, static_cast<std::uint32_t>(priority), static_cast<std::uint32_t>(tag));
    } else {
        m_spriteList->SetPriority(&m_rect, static_cast<std::uint32_t>(priority), false);
    }
    return 0;
}

std::int32_t FrameButtonPart::MoveToSpriteList(SpriteList* list) {
    if (!list) return 1;
    if (!m_listDropped && (!m_spriteList || !m_rect.List())) return 1;
    m_rect.Detach();
    m_spriteList = list;
    m_listDropped = false;
    list->Add(&m_rect, static_cast<std::uint32_t>(m_priority), static_cast<std::uint32_t>(m_tag));
    return 0;
}

void FrameButtonPart::DropReferencesTo(const void* object) {
    UiPart::DropReferencesTo(object);
    if (object && object == m_spriteList) {
        m_listDropped = m_rect.List() != nullptr;
        m_rect.Detach();
        m_spriteList = nullptr;
    }
}

void FrameButtonPart::Release() {
    if (m_spriteList) m_rect.Detach();
    m_width = 0;
}

void FrameButtonPart::SetState(std::uint8_t state) {
    m_state = state;
    m_rect.SetColourAlpha(StateColour(state));
}

std::int32_t FrameButtonPart::Create(SpriteList* list, std::int32_t priority, std::int32_t x, std::int32_t y,
                                     std::int32_t width, std::int32_t height, std::uint32_t colour,
                                     std::uint32_t hoverColour, std::uint32_t pressedColour, std::int32_t tag) {
    if (!list || width <= 0 || height <= 0) return 1;
    m_listDropped = false;
    if (list == m_spriteList) m_spriteList = nullptr;
    Release();
    m_spriteList = list;
    constexpr std::uint32_t kKeep = 0xFFFFFFFFu;
    if (colour != kKeep) m_colour = colour;
    if (hoverColour != kKeep) m_hoverColour = hoverColour;
    if (pressedColour != kKeep) m_pressedColour = pressedColour;
    if (m_rect.Setup(width, height, m_colour, x, y) != 0) {
        Release();
        return 2;
    }
    m_width = width;
    m_height = height;
    SetState(kNormal);
    SetPriority(priority, tag, true);
    return 0;
}

std::int32_t FrameButtonPart::SetSize(std::int32_t width, std::int32_t height) {
    if (m_width <= 0) return 1;
    if (width > 0) m_width = width;
    if (height > 0) m_height = height;
    m_rect.SetBaseSize(m_width, m_height);
    return 0;
}
