#include "scenario/ui/slider_part_base.h"

#include <algorithm>
#include <limits>

#include "framework/input/action_map.h"
#include "framework/input/keyboard_device.h"
#include "framework/input/mouse_device.h"
#include "scenario/ui/slider_arrow_button.h"
#include "scenario/ui/ui_part_group.h"

namespace {

enum Sound : std::int32_t { kPress = 0, kEnter = 1, kLeave = 2 };
constexpr std::int32_t kDefaultSounds[3] = {UiPart::kSoundActivate, UiPart::kSoundEnter, UiPart::kSoundLeave};

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(
        std::max<std::int64_t>(value, std::numeric_limits<std::int32_t>::min()),
        std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

SliderPartBase::SliderPartBase() = default;

SliderPartBase::~SliderPartBase() {
    // The derived slider has left its group while whole; what is left of one leaves in the base.
    ReleaseCapture();
    DeleteArrows();
}

// --- Arrows ---

std::int32_t SliderPartBase::ArrowLength(const SliderArrowButton* arrow) const {
    if (!arrow) return 0;
    auto* const button = const_cast<SliderArrowButton*>(arrow);
    return m_vertical ? button->GetHeight() : button->GetWidth();
}

void SliderPartBase::AdoptArrow(SliderArrowButton* arrow, bool increment) {
    (increment ? m_incArrow : m_decArrow) = arrow;
    if (arrow && m_registry) m_registry->EnterArrow(arrow);
}

void SliderPartBase::DeleteArrows() {
    for (SliderArrowButton** slot : {&m_decArrow, &m_incArrow}) {
        SliderArrowButton* const arrow = *slot;
        if (!arrow) continue;
        *slot = nullptr;
        if (m_registry) m_registry->ForgetArrow(arrow);
        delete arrow;
    }
}

void SliderPartBase::UpdateArrows() {
    // A disabled slider keeps its arrows disabled.
    if (!IsEnabled()) return;
    bool dec = true;
    bool inc = true;
    if (m_thumbPos <= 0 && m_value <= 0) {
        dec = false;
    } else if (m_value >= m_maxValue) {
        inc = false;
    }
    if (m_decArrow) m_decArrow->SetEnabled(dec);
    if (m_incArrow) m_incArrow->SetEnabled(inc);
}

// --- Value and thumb ---

void SliderPartBase::Changed() {
    if (m_listener) m_listener->ValueChanged(this, m_value);
}

std::int32_t SliderPartBase::MoveValueTo(std::int64_t value) {
    if (m_value < 0) return 1;
    const std::int32_t v = static_cast<std::int32_t>(std::min<std::int64_t>(std::max<std::int64_t>(value, 0), m_maxValue));
    if (v == m_value) return -1;
    m_thumbPos = static_cast<std::int32_t>(static_cast<std::int64_t>(v) * m_maxThumbPos / m_maxValue);
    PlaceThumb();
    m_value = v;
    Changed();
    UpdateArrows();
    return 0;
}

std::int32_t SliderPartBase::MoveThumbTo(std::int64_t pos) {
    if (m_value < 0) return 1;
    const std::int32_t p = static_cast<std::int32_t>(std::min<std::int64_t>(std::max<std::int64_t>(pos, 0), m_maxThumbPos));
    if (p == m_thumbPos) return -1;
    m_thumbPos = p;
    PlaceThumb();
    const std::int32_t v = static_cast<std::int32_t>(static_cast<std::int64_t>(p) * m_maxValue / m_maxThumbPos);
    if (v != m_value) {
        m_value = v;
        Changed();
    }
    UpdateArrows();
    return 0;
}

std::int32_t SliderPartBase::SetValue(std::int32_t value) { return MoveValueTo(value); }

std::int32_t SliderPartBase::SetThumbPos(std::int32_t pos) { return MoveThumbTo(pos); }

std::int32_t SliderPartBase::StepBy(bool forward) {
    if (m_thumbPos < 0) {
        if (forward && m_listener) m_listener->StepPastEnd(this);
        return -1;
    }
    std::int32_t value = m_value;
    if (forward) {
        if (m_value >= m_maxValue) {
            if (m_listener) m_listener->StepPastEnd(this);
        } else {
            value = m_value + 1;
        }
    } else if (m_value > 0) {
        value = m_value - 1;
    }
    const std::int32_t thumbPos = static_cast<std::int32_t>(static_cast<std::int64_t>(value) * m_maxThumbPos / m_maxValue);
    if (thumbPos != m_thumbPos) {
        m_thumbPos = thumbPos;
        PlaceThumb();
    }
    if (value != m_value) {
        m_value = value;
        Changed();
    }
    UpdateArrows();
    return 0;
}

void SliderPartBase::StepOnce(bool forward) {
    if (m_step > 0) {
        SetValue(Clamp32(static_cast<std::int64_t>(m_value) + (forward ? m_step : -static_cast<std::int64_t>(m_step))));
    } else if (m_step < 0) {
        const std::int64_t size = -static_cast<std::int64_t>(m_step);
        SetThumbPos(Clamp32(static_cast<std::int64_t>(m_thumbPos) + (forward ? size : -size)));
    } else {
        StepBy(forward);
    }
}

// --- Sounds and capture ---

void SliderPartBase::SetSounds(const char* pressSound, const char* enterSound, const char* leaveSound,
                               std::int32_t pressSoundId, std::int32_t enterSoundId, std::int32_t leaveSoundId) {
    const char* const names[3] = {pressSound, enterSound, leaveSound};
    const std::int32_t ids[3] = {pressSoundId, enterSoundId, leaveSoundId};
    for (int i = 0; i < 3; ++i) {
        const bool named = names[i] && names[i][0] != '\0';
        m_sounds[i] = named ? names[i] : "";
        m_soundIds[i] = named ? 0 : ids[i];
    }
}

void SliderPartBase::PlayTrackSound(std::int32_t which) {
    UiPartGroup* const group = Group();
    if (!group) return;
    if (m_soundIds[which] >= 0) {
        group->PlaySound(m_sounds[which].empty() ? nullptr : m_sounds[which].c_str(), m_soundIds[which], 0, 0);
    } else {
        group->PlaySound(nullptr, kDefaultSounds[which], 0, 0);
    }
}

void SliderPartBase::TakeCapture() {
    UiPartGroup* const group = Group();
    if (!group) return;
    group->SetPointerCaptured(true);
    m_capturedPointer = 1;
}

void SliderPartBase::ReleaseCapture() {
    if (!m_capturedPointer) return;
    m_capturedPointer = 0;
    if (UiPartGroup* const group = Group()) group->ReleasePointerCapture();
}

// --- Input ---

bool SliderPartBase::SetEnabled(bool enabled) {
    if (m_decArrow) m_decArrow->SetEnabled(enabled);
    if (m_incArrow) m_incArrow->SetEnabled(enabled);
    if (!UiPart::SetEnabled(enabled)) return false;
    SetPartState(kTrack, enabled ? kNormal : kDisabled);
    // Enabled again at either end: that end's arrow stays disabled.
    if (enabled && m_value >= 0) UpdateArrows();
    return true;
}

void SliderPartBase::OnPointerMove(std::int32_t, std::int32_t) {
    if (m_state != kNormal) return;
    SetPartState(kTrack, kHover);
    PlayTrackSound(kEnter);
}

void SliderPartBase::OnPointerLeave() {
    ReleaseCapture();
    if (m_state != kHover && m_state != kPressed) return;
    SetPartState(kTrack, kNormal);
    PlayTrackSound(kLeave);
}

bool SliderPartBase::OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) {
    if (!mouse) return false;
    const std::int32_t pos = m_vertical ? y : x;
    const std::int32_t thumbStart = m_thumbPos + TrackOffset();
    if (m_state == kHover && mouse->IsTriggered(0)) {
        m_dragAnchor = pos;
        if (pos < thumbStart) {
            m_pageDirection = -1;
        } else if (pos >= thumbStart + m_thumbLength) {
            m_pageDirection = 1;
        } else {
            m_pageDirection = 0;
            if (m_clickMode == 0) TakeCapture();
        }
        PlayTrackSound(kPress);
        if (m_clickMode == 1 || m_clickMode == 2) {
            SetThumbPos(Clamp32(static_cast<std::int64_t>(pos) - TrackOffset() - m_thumbLength / 2));
            if (m_clickMode == 1 && m_pageDirection != 0) return true;
            m_pageDirection = 0;
            TakeCapture();
            SetPartState(kTrack, kPressed);
            return true;
        }
        if (m_pageDirection == 0) {
            SetPartState(kTrack, kPressed);
            return true;
        }
        if (SetThumbPos(Clamp32(static_cast<std::int64_t>(m_thumbPos) + m_pageDirection * static_cast<std::int64_t>(m_thumbLength))) == 0) {
            m_repeatDeadline = m_now + kFirstRepeatMs;
            SetPartState(kTrack, kPressed);
            return true;
        }
        // The thumb stands at the end already: the turn goes on to the wheel.
    } else if (m_state == kPressed) {
        std::int32_t pointerX = -1;
        std::int32_t pointerY = -1;
        if (Group()) Group()->GetCursorPos(&pointerX, &pointerY);
        if (mouse->IsDown(0)) {
            if (m_pageDirection != 0) {
                if (m_now < m_repeatDeadline) return true;
                const bool moved =
                    SetThumbPos(Clamp32(static_cast<std::int64_t>(m_thumbPos) + m_pageDirection * static_cast<std::int64_t>(m_thumbLength))) == 0;
                const std::int32_t start = m_thumbPos + TrackOffset();
                const bool beyond = m_pageDirection < 0 ? pos < start : pos >= start + m_thumbLength;
                if (moved && beyond) {
                    PlayTrackSound(kPress);
                    m_repeatDeadline = m_now + kRepeatMs;
                } else {
                    SetPartState(kTrack, HitTestTrack(pointerX, pointerY) ? kHover : kNormal);
                }
                return true;
            }
            if (SetThumbPos(Clamp32(static_cast<std::int64_t>(m_thumbPos) - m_dragAnchor + pos)) == 0) m_dragAnchor = pos;
            return true;
        }
        SetPartState(kTrack, HitTestTrack(pointerX, pointerY) ? kHover : kNormal);
        ReleaseCapture();
        return true;
    }
    if (mouse->IsDown(3)) {
        StepOnce(false);
        return true;
    }
    if (mouse->IsDown(4)) {
        StepOnce(true);
        return true;
    }
    return false;
}

bool SliderPartBase::OnKeys(ActionMap* actions) {
    if (!actions) return false;
    if (actions->IsTriggered(m_vertical ? 0 : 2)) {
        StepOnce(false);
        return true;
    }
    if (actions->IsTriggered(m_vertical ? 1 : 3)) {
        StepOnce(true);
        return true;
    }
    if (m_pageUpAction != 0 && actions->IsTriggered(m_pageUpAction)) {
        SetThumbPos(Clamp32(static_cast<std::int64_t>(m_thumbPos) - m_thumbLength));
        return true;
    }
    if (m_pageDownAction != 0 && actions->IsTriggered(m_pageDownAction)) {
        SetThumbPos(Clamp32(static_cast<std::int64_t>(m_thumbPos) + m_thumbLength));
        return true;
    }
    KeyboardDevice* const keyboard = Group() ? Group()->GetKeyboard() : nullptr;
    if (!keyboard) return false;
    if (keyboard->IsTriggered(kKeyHome)) {
        SetThumbPos(0);
        return true;
    }
    if (keyboard->IsTriggered(kKeyEnd)) {
        SetThumbPos(m_maxThumbPos);
        return true;
    }
    return false;
}

void SliderPartBase::OnFocus(UiPart*, bool) {
    UiPartGroup* const group = Group();
    if (!group) return;
    const std::int32_t mode = group->GetFocusPointerMode();
    if (mode == 1) {
        const std::int32_t dec = ArrowLength(m_decArrow);
        group->SetCursorPos(m_x + (m_vertical ? 0 : dec) + m_width / 2, m_y + (m_vertical ? dec : 0) + m_height / 2);
        return;
    }
    if (m_state == kNormal) {
        SetPartState(kTrack, kHover);
        PlayTrackSound(kEnter);
    }
    if (mode == 2 && Group()) Group()->ParkCursor();
}

void SliderPartBase::OnBlur(UiPart*) {
    if (m_state == kHover || m_state == kPressed) SetPartState(kTrack, kNormal);
}

std::int32_t SliderPartBase::Update(std::uint32_t now) {
    m_now = now;
    return 0;
}

void SliderPartBase::DropReferencesTo(const void* object) {
    UiPart::DropReferencesTo(object);
    if (m_decArrow) m_decArrow->DropReferencesTo(object);
    if (m_incArrow) m_incArrow->DropReferencesTo(object);
}

// --- Groups ---

std::int32_t SliderPartBase::JoinGroup(UiPartGroup* group, std::int32_t index) {
    if (!group) return 1;
    if (Group()) return -1;
    std::int32_t at = index;
    const bool decJoined = m_decArrow && group->InsertPart(m_decArrow, at) == 0;
    if (decJoined && at >= 0) ++at;
    const std::int32_t result = group->InsertPart(this, at);
    if (result != 0) {
        if (decJoined) group->RemovePart(m_decArrow);
        return result;
    }
    if (at >= 0) ++at;
    if (m_incArrow) group->InsertPart(m_incArrow, at);
    return 0;
}

bool SliderPartBase::LeaveGroup() {
    UiPartGroup* const group = Group();
    if (!group) return false;
    if (m_decArrow && m_decArrow->Group() == group) group->RemovePart(m_decArrow);
    group->RemovePart(this);
    if (m_incArrow && m_incArrow->Group() == group) group->RemovePart(m_incArrow);
    return true;
}
