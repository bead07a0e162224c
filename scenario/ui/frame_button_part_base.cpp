#include "scenario/ui/frame_button_part_base.h"

#include "framework/input/action_map.h"
#include "framework/input/mouse_device.h"
#include "scenario/ui/ui_part_group.h"

namespace {

constexpr std::int32_t kReturnAction = 4;

}  // namespace

FrameButtonPartBase::FrameButtonPartBase() = default;

FrameButtonPartBase::~FrameButtonPartBase() { LeaveGroup(); }

std::uint32_t FrameButtonPartBase::StateColour(std::uint8_t state) const {
    switch (state) {
    case kHover: return m_hoverColour;
    case kPressed: return m_pressedColour;
    default: return m_colour;
    }
}

bool FrameButtonPartBase::SetEnabled(bool enabled) {
    if (!UiPart::SetEnabled(enabled)) return false;
    SetState(kNormal);
    return true;
}

bool FrameButtonPartBase::HitTest(std::int32_t x, std::int32_t y) {
    const auto dx = static_cast<std::uint32_t>(x - GetX());
    const auto dy = static_cast<std::uint32_t>(y - GetY());
    return dx < static_cast<std::uint32_t>(m_width) && dy < static_cast<std::uint32_t>(m_height);
}

void FrameButtonPartBase::OnPointerMove(std::int32_t, std::int32_t) {
    if (m_state != kNormal) return;
    SetState(kHover);
    ButtonHovered(*this, m_action.get());
}

void FrameButtonPartBase::OnPointerLeave() {
    if (m_state != kHover && m_state != kPressed) return;
    SetState(kNormal);
    ButtonLeft(*this, m_action.get(), true);
}

bool FrameButtonPartBase::OnPointer(std::int32_t, std::int32_t, MouseDevice* mouse) {
    if (!mouse) return false;
    if (m_state == kHover && mouse->IsTriggered(0)) {
        SetState(kPressed);
        m_keyDeadline = 0;
        return true;
    }
    if (m_state == kPressed && m_keyDeadline == 0 && !mouse->IsDown(0)) {
        SetState(kHover);
        Fire();
        return true;
    }
    return false;
}

bool FrameButtonPartBase::OnKeys(ActionMap* actions) {
    if (m_state == kHover) {
        m_keyDeadline = 0;
        if (actions && actions->IsTriggered(kReturnAction)) {
            SetState(kPressed);
            m_keyDeadline = m_now + kKeyPressMs;
        }
        return true;
    }
    if (m_state == kPressed) {
        if (m_keyDeadline != 0 && m_now > m_keyDeadline) {
            SetState(kHover);
            m_keyDeadline = 0;
            Fire();
        }
        return true;
    }
    m_keyDeadline = 0;
    return false;
}

void FrameButtonPartBase::OnFocus(UiPart*, bool) {
    UiPartGroup* const group = Group();
    if (!group) return;
    const std::int32_t mode = group->GetFocusPointerMode();
    if (mode == 1) {
        group->SetCursorPos(GetX() + m_width / 2, GetY() + m_height / 2);
        return;
    }
    if (m_state == kNormal) {
        SetState(kHover);
        ButtonHovered(*this, m_action.get());
    }
    if (mode == 2 && Group()) Group()->ParkCursor();
}

void FrameButtonPartBase::OnBlur(UiPart*) {
    if (m_state != kHover && m_state != kPressed) return;
    SetState(kNormal);
    ButtonLeft(*this, m_action.get(), false);
}

std::int32_t FrameButtonPartBase::Update(std::uint32_t now) {
    m_now = now;
    return 0;
}

void FrameButtonPartBase::ReleaseAction() { m_action.reset(); }

bool FrameButtonPartBase::SetAction(const ButtonActionSetup& setup) {
    m_action.reset(NewButtonAction(setup));
    return m_action != nullptr;
}

bool FrameButtonPartBase::Fire() { return FireButton(*this, m_action.get()); }
