#include "scenario/ui/image_part.h"

#include "graphics/sprites/sprite_list.h"
#include "scenario/ui/ui_part_group.h"

ImagePart::ImagePart() = default;

ImagePart::~ImagePart() {
    UiPart::LeaveGroup();
    m_sprite.Detach();
}

std::int32_t ImagePart::SetPosition(std::int32_t x, std::int32_t y) {
    m_sprite.SetPosition(x, y);
    return 0;
}

void ImagePart::SetVisible(bool visible) {
    if (!visible && Group() && Group()->IsFocused(this)) Group()->FocusPart(nullptr);
    if (Group() && Group()->IsHovered(this)) Group()->EndHover();
    m_sprite.SetVisible(visible ? 1 : 0);
}

std::int32_t ImagePart::SetPriority(std::int32_t priority, std::int32_t tag, bool) {
    if (!m_spriteList) return 1;
    m_priority = priority;
    if (!m_sprite.List()) {
        if (!m_sprite.GetImage()) return 1;
        m_tag = tag;
        SetTag(tag);
        m_spriteList->Add(&m_sprite, static_cast<std::uint32_t>(priority), static_cast<std::uint32_t>(tag));
    } else {
        m_spriteList->SetPriority(&m_sprite, static_cast<std::uint32_t>(priority), false);
    }
    return 0;
}

void ImagePart::OnFocus(UiPart*, bool) {
    UiPartGroup* const group = Group();
    if (!group) return;
    const std::int32_t mode = group->GetFocusPointerMode();
    if (mode == 1) group->SetCursorPos(GetX() + GetWidth() / 2, GetY() + GetHeight() / 2);
    if (mode == 2) group->ParkCursor();
}

void ImagePart::DropReferencesTo(const void* object) {
    UiPart::DropReferencesTo(object);
    if (object && object == m_spriteList) {
        m_sprite.Detach();
        m_spriteList = nullptr;
    }
}
