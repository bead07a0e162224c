#include "scenario/ui/hit_rect_part.h"

#include "framework/input/action_map.h"
#include "framework/input/mouse_device.h"
#include "scenario/ui/ui_part_group.h"

namespace {

// The Return action of the game's action map.
constexpr std::int32_t kActionReturn = 4;

}  // namespace

HitRectPart::HitRectPart() = default;

HitRectPart::~HitRectPart() { LeaveGroup(); }

std::int32_t HitRectPart::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
    return 0;
}

std::int32_t HitRectPart::Create(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                 std::int32_t focusX, std::int32_t focusY, bool pointerActive,
                                 bool activatable, std::int32_t tag) {
    if (width <= 0 || height <= 0) return 1;
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
    if (focusX < 0 || focusY < 0) {
        // Arithmetic halving, as the script's numbers are signed.
        focusX = x + (width >> 1);
        focusY = y + (height >> 1);
    }
    m_focusX = focusX;
    m_focusY = focusY;
    m_pointerActive = pointerActive;
    m_activatable = activatable;
    SetTag(tag);
    return 0;
}

void HitRectPart::SetFocusPoint(std::int32_t x, std::int32_t y) {
    m_focusX = x;
    m_focusY = y;
}

bool HitRectPart::HitTest(std::int32_t x, std::int32_t y) {
    if (!m_pointerActive) return false;
    return static_cast<std::uint32_t>(x - m_x) < static_cast<std::uint32_t>(m_width) &&
           static_cast<std::uint32_t>(y - m_y) < static_cast<std::uint32_t>(m_height);
}

void HitRectPart::Hover() {
    if (m_hovered) return;
    m_hovered = true;
    ButtonHovered(*this, m_action.get());
}

void HitRectPart::OnPointerMove(std::int32_t, std::int32_t) { Hover(); }

void HitRectPart::OnPointerLeave() {
    if (!m_hovered) return;
    m_hovered = false;
    ButtonLeft(*this, m_action.get(), true);
}

void HitRectPart::OnBlur(UiPart*) {
    if (!m_hovered) return;
    m_hovered = false;
    ButtonLeft(*this, m_action.get(), false);
}

bool HitRectPart::OnPointer(std::int32_t, std::int32_t, MouseDevice* mouse) {
    if (!m_hovered || !mouse || !mouse->IsTriggered(0)) return false;
    return Fire();
}

bool HitRectPart::OnKeys(ActionMap* actions) {
    if (!m_hovered || !actions || !actions->IsTriggered(kActionReturn)) return false;
    Fire();
    return true;
}

void HitRectPart::OnFocus(UiPart*, bool) {
    UiPartGroup* const group = Group();
    const std::int32_t mode = group ? group->GetFocusPointerMode() : 0;
    if (mode == 1) {
        group->SetCursorPos(m_focusX, m_focusY);
        return;
    }
    Hover();
    if (mode == 2 && Group()) Group()->ParkCursor();
}

void HitRectPart::ReleaseAction() { m_action.reset(); }

bool HitRectPart::SetAction(const ButtonActionSetup& setup) {
    m_action.reset(NewButtonAction(setup));
    return m_action != nullptr;
}

bool HitRectPart::Fire() {
    if (!Group() || !m_activatable) return false;
    return FireButton(*this, m_action.get());
}
