#include "scenario/ui/ui_part.h"

#include <cstring>
#include <new>

#include "scenario/ui/ui_part_group.h"

UiPart::UiPart()
    : m_enabled(true), m_group(nullptr), m_neighbours{}, m_tag(0), m_id(-1) {}

UiPart::~UiPart() {
    DropTooltip();
    LeaveGroup();
}

void UiPart::LeaveGroup() {
    if (m_group) m_group->RemovePart(this);
}

bool UiPart::SetEnabled(bool enabled) {
    if (enabled == m_enabled) return false;
    if (!enabled && m_group) {
        // Clearing the focus ends the hover as well; the second check covers a hover alone.
        if (m_group->IsFocused(this)) m_group->FocusPart(nullptr);
        if (m_group && m_group->IsHovered(this)) m_group->EndHover();
    }
    m_enabled = enabled;
    return true;
}

void UiPart::DropTooltip() {
    if (!m_tooltip) return;
    if (m_group && m_group->IsHovered(this)) m_group->CloseTooltip();
    m_tooltip.reset();
}

void UiPart::SetTooltip(const char* text) {
    DropTooltip();
    if (!text || text[0] == '\0') return;
    const std::size_t size = std::strlen(text) + 1;
    m_tooltip.reset(new (std::nothrow) char[size]);
    if (m_tooltip) std::memcpy(m_tooltip.get(), text, size);
}

void UiPart::OnPointerMove(std::int32_t, std::int32_t) {}
void UiPart::OnPointerEnter() {}
void UiPart::OnPointerLeave() {}
bool UiPart::OnPointer(std::int32_t, std::int32_t, MouseDevice*) { return false; }
void UiPart::OnFocus(UiPart*, bool) {}
void UiPart::OnBlur(UiPart*) {}
bool UiPart::OnKeys(ActionMap*) { return false; }
bool UiPart::OnKeyCode(std::uint8_t) { return false; }
bool UiPart::OnText(const char*, std::int32_t) { return false; }
std::int32_t UiPart::Update(std::uint32_t) { return 0; }
bool UiPart::IsEnabled() { return m_enabled; }
const char* UiPart::GetTooltip() { return m_tooltip.get(); }
std::int32_t UiPart::GetTag() { return m_tag; }
void UiPart::SetId(std::int32_t id) { m_id = id; }
std::int32_t UiPart::GetId() { return m_id; }

void UiPart::DropReferencesTo(const void* object) {
    for (UiPart*& neighbour : m_neighbours) {
        if (neighbour == object) neighbour = nullptr;
    }
}

void UiPart::SetNeighbours(UiPart* left, UiPart* right, UiPart* up, UiPart* down) {
    m_neighbours[kUp] = up;
    m_neighbours[kDown] = down;
    m_neighbours[kLeft] = left;
    m_neighbours[kRight] = right;
}

UiPart* UiPart::Neighbour(std::int32_t direction) const {
    return direction >= 0 && direction < 4 ? m_neighbours[direction] : nullptr;
}
