#include "scenario/ui/check_part_base.h"

#include <algorithm>
#include <new>

#include "framework/input/action_map.h"
#include "framework/input/mouse_device.h"
#include "scenario/ui/ui_part_group.h"

namespace {

constexpr std::int32_t kReturnAction = 4;

// Face index by kind and state, and the strip's face count without disabled faces.
constexpr std::uint8_t kFaces[CheckPartBase::kKinds][8] = {
    {0, 1, 2, 3, 4, 5, 6, 7},
    {0, 1, 1, 2, 3, 3, 4, 5},
    {0, 1, 2, 3, 3, 3, 4, 5},
    {0, 1, 1, 2, 2, 2, 3, 4},
};
constexpr std::int32_t kFaceCounts[CheckPartBase::kKinds] = {6, 4, 4, 3};

bool IsHoverOrPressed(std::uint8_t state) { return state == 1 || state == 2 || state == 4 || state == 5; }

}  // namespace

CheckPartBase::CheckPartBase() = default;

CheckPartBase::~CheckPartBase() {
    LeaveGroup();
    LeaveRadioGroup();
}

std::int32_t CheckPartBase::FaceIndex(std::uint8_t kind, std::uint8_t state, bool withDisabledFaces) {
    if (kind >= kKinds || state > kDisabledChecked) return 0;
    if (!withDisabledFaces && state == kDisabledUnchecked) state = kUnchecked;
    if (!withDisabledFaces && state == kDisabledChecked) state = kChecked;
    return kFaces[kind][state];
}

std::int32_t CheckPartBase::FaceCount(std::uint8_t kind, bool withDisabledFaces) {
    if (kind >= kKinds) return 0;
    return kFaceCounts[kind] + (withDisabledFaces ? 2 : 0);
}

std::int32_t CheckPartBase::FollowerCount() const {
    return m_followers ? static_cast<std::int32_t>(m_followers->size()) : 0;
}

CheckPartBase* CheckPartBase::Follower(std::int32_t index) const {
    if (!m_followers || index < 0 || index >= FollowerCount()) return nullptr;
    return (*m_followers)[static_cast<std::size_t>(index)];
}

CheckPartBase* CheckPartBase::MemberAt(std::int32_t index) { return index == 0 ? this : Follower(index - 1); }

std::vector<CheckPartBase*> CheckPartBase::Members() {
    std::vector<CheckPartBase*> members;
    members.push_back(this);
    if (m_followers) members.insert(members.end(), m_followers->begin(), m_followers->end());
    return members;
}

// --- State and faces ---

void CheckPartBase::SetState(std::uint8_t state) {
    if (state == m_state) return;
    m_state = state;
    m_output.Write(state >= kDisabledUnchecked ? 2 : (IsCheckedState(state) ? 1 : 0));
    ShowFace();
}

bool CheckPartBase::SetEnabled(bool enabled) {
    if (m_locked) return false;
    if (m_followers) {
        for (CheckPartBase* const follower : *m_followers) follower->SetEnabled(enabled);
    }
    if (!UiPart::SetEnabled(enabled)) return false;
    if (enabled) {
        if (m_state == kDisabledChecked) SetState(kChecked);
        if (m_state == kDisabledUnchecked) SetState(kUnchecked);
    } else {
        SetState(IsChecked() ? kDisabledChecked : kDisabledUnchecked);
    }
    return true;
}

// --- Radio groups ---

std::int32_t CheckPartBase::JoinAtCreation(CheckPartBase* leader) {
    if (!IsRadio()) {
        m_output.Write(0);
        return 0;
    }
    if (leader) {
        // Only a radio leader keeps a follower list; a check box or a follower leads nothing.
        if (!leader->IsLeader() || leader->AddFollower(this) != 0) return 1;
        m_leader = leader;
        m_output.Write(0);
        return 0;
    }
    m_followers.reset(new (std::nothrow) std::vector<CheckPartBase*>);
    if (!m_followers) return 2;
    m_selected = 0;
    SetState(kChecked);
    return 0;
}

bool CheckPartBase::SetChecked(bool check) {
    if (IsChecked() == check) return false;
    const bool disabled = m_state >= kDisabledUnchecked;
    if (!m_followers && !m_leader) {
        SetState(check ? (disabled ? kDisabledChecked : kChecked) : (disabled ? kDisabledUnchecked : kUnchecked));
        return true;
    }
    CheckPartBase* const head = Head();
    if (!head->m_followers) return false;
    std::int32_t own = 0;
    if (m_leader) {
        const auto& list = *head->m_followers;
        own = static_cast<std::int32_t>(std::find(list.begin(), list.end(), this) - list.begin()) + 1;
    }
    const std::int32_t members = head->FollowerCount() + 1;
    head->SelectIndex(check ? own : (own + 1) % members);
    return true;
}

std::int32_t CheckPartBase::SelectIndex(std::int32_t index) {
    if (m_leader) return m_leader->SelectIndex(index);
    if (!m_followers) return 1;
    if (index == m_selected) return 0;
    // A script word: neither past the followers nor below the leader.
    if (index < 0 || index > FollowerCount()) return 2;
    // By the leader's face: a committed group keeps its enabled faces.
    const bool enabled = m_state < kDisabledUnchecked;
    if (CheckPartBase* const old = MemberAt(m_selected)) old->SetState(enabled ? kUnchecked : kDisabledUnchecked);
    m_selected = index;
    if (CheckPartBase* const now = MemberAt(index)) now->SetState(enabled ? kChecked : kDisabledChecked);
    return 0;
}

std::int32_t CheckPartBase::Select(CheckPartBase* part) {
    if (!m_followers || !part) return 1;
    if (CheckPartBase* const old = MemberAt(m_selected)) {
        if (old != part) old->SetState(kUnchecked);
    }
    const auto found = std::find(m_followers->begin(), m_followers->end(), part);
    m_selected = found == m_followers->end() ? 0 : static_cast<std::int32_t>(found - m_followers->begin()) + 1;
    return 0;
}

bool CheckPartBase::IsSelected(CheckPartBase* part) {
    if (!m_followers) return false;
    return MemberAt(m_selected) == part;
}

std::int32_t CheckPartBase::AddFollower(CheckPartBase* part) {
    if (!part) return 1;
    if (!m_followers) return 2;
    if (std::find(m_followers->begin(), m_followers->end(), part) != m_followers->end()) return 2;
    try {
        m_followers->push_back(part);
    } catch (const std::bad_alloc&) {
        return 2;
    }
    return 0;
}

std::int32_t CheckPartBase::RemoveFollower(CheckPartBase* part) {
    if (!part) return 1;
    if (!m_followers) return 2;
    const auto found = std::find(m_followers->begin(), m_followers->end(), part);
    if (found == m_followers->end()) return 2;
    const std::int32_t position = static_cast<std::int32_t>(found - m_followers->begin()) + 1;
    m_followers->erase(found);
    if (position == m_selected) {
        m_selected = 0;
        SetState(m_state >= kDisabledUnchecked ? kDisabledChecked : kChecked);
    } else if (position < m_selected) {
        --m_selected;
    }
    return 0;
}

void CheckPartBase::LeaveRadioGroup() {
    if (m_followers) {
        std::unique_ptr<std::vector<CheckPartBase*>> followers = std::move(m_followers);
        for (CheckPartBase* const follower : *followers) follower->ClearLeader();
    }
    if (m_leader) {
        CheckPartBase* const leader = m_leader;
        m_leader = nullptr;
        leader->RemoveFollower(this);
    }
    m_selected = 0;
}

void CheckPartBase::ClearLeader() { m_leader = nullptr; }

std::int32_t CheckPartBase::Commit() {
    if (m_leader) return m_leader->Commit();
    SetLocked(true);
    if (IsRadio()) {
        for (CheckPartBase* const member : Members()) member->m_output.Write(m_selected);
    }
    return 0;
}

void CheckPartBase::SetLocked(bool lock) {
    if (m_leader) {
        m_leader->SetLocked(lock);
        return;
    }
    if ((m_locked != 0) == lock) return;
    std::vector<CheckPartBase*> members = Members();
    // Followers first, the leader last.
    std::rotate(members.begin(), members.begin() + 1, members.end());
    for (CheckPartBase* const member : members) {
        if (!lock || !m_followers) {
            member->m_locked = lock ? 1 : 0;
            member->UiPart::SetEnabled(!lock && member->m_state < kDisabledUnchecked);
            continue;
        }
        if (UiPartGroup* const group = member->Group()) {
            if (group->IsFocused(member)) group->FocusPart(nullptr);
            if (member->Group() && member->Group()->IsHovered(member)) member->Group()->EndHover();
        }
        member->m_locked = 1;
        member->UiPart::SetEnabled(false);
    }
}

// --- Pointer and keys ---

bool CheckPartBase::HitTest(std::int32_t x, std::int32_t y) {
    if (m_locked) return false;
    if (IsRadio() && (m_leader || m_followers) && Head()->IsSelected(this)) return false;
    if (!m_rectHit) return HitTestShape(x, y);
    const auto dx = static_cast<std::uint32_t>(x - GetX());
    const auto dy = static_cast<std::uint32_t>(y - GetY());
    return dx < static_cast<std::uint32_t>(m_width) && dy < static_cast<std::uint32_t>(m_height);
}

void CheckPartBase::Hovered() { ButtonHovered(*this, m_action.get()); }

void CheckPartBase::Left(bool sound) { ButtonLeft(*this, m_action.get(), sound); }

void CheckPartBase::OnPointerMove(std::int32_t, std::int32_t) {
    if (m_state != kUnchecked && m_state != kChecked) return;
    SetState(m_state == kChecked ? kCheckedHover : kUncheckedHover);
    Hovered();
}

void CheckPartBase::OnPointerLeave() {
    if (!IsHoverOrPressed(m_state)) return;
    SetState(m_state >= kChecked ? kChecked : kUnchecked);
    Left(true);
}

void CheckPartBase::OnBlur(UiPart*) {
    if (!IsHoverOrPressed(m_state)) return;
    SetState(m_state >= kChecked ? kChecked : kUnchecked);
    Left(false);
}

bool CheckPartBase::OnPointer(std::int32_t, std::int32_t, MouseDevice* mouse) {
    if (!mouse) return false;
    if ((m_state == kUncheckedHover || m_state == kCheckedHover) && mouse->IsTriggered(0)) {
        SetState(m_state + 1);
        m_keyDeadline = 0;
        return true;
    }
    if ((m_state == kUncheckedPressed || m_state == kCheckedPressed) && m_keyDeadline == 0 && !mouse->IsDown(0)) {
        Toggle(true);
        return true;
    }
    return false;
}

bool CheckPartBase::OnKeys(ActionMap* actions) {
    if (m_state == kUncheckedHover || m_state == kCheckedHover) {
        m_keyDeadline = 0;
        if (!actions || !actions->IsTriggered(kReturnAction)) return false;
        if (m_kind == 1 || m_kind == 3) {
            Toggle(false);
        } else {
            SetState(m_state + 1);
            m_keyDeadline = m_now + kKeyPressMs;
        }
        return true;
    }
    if (m_state == kUncheckedPressed || m_state == kCheckedPressed) {
        if (m_keyDeadline != 0 && m_now > m_keyDeadline) {
            m_keyDeadline = 0;
            Toggle(false);
        }
        return true;
    }
    m_keyDeadline = 0;
    return false;
}

void CheckPartBase::OnFocus(UiPart*, bool forward) {
    UiPartGroup* const group = Group();
    if (!group) return;
    const bool selectedMember = IsRadio() && (m_leader || m_followers) && Head()->IsSelected(this);
    if (m_locked || selectedMember) {
        if ((forward ? group->FocusNext() : group->FocusPrevious()) != 0 && Group()) Group()->FocusPart(nullptr);
        return;
    }
    const std::int32_t mode = group->GetFocusPointerMode();
    if (mode == 1) {
        group->SetCursorPos(GetX() + m_width / 2, GetY() + m_height / 2);
        return;
    }
    if (m_state == kUnchecked || m_state == kChecked) {
        SetState(m_state + 1);
        Hovered();
    }
    if (mode == 2 && Group()) Group()->ParkCursor();
}

std::int32_t CheckPartBase::Update(std::uint32_t now) {
    m_now = now;
    return 0;
}

void CheckPartBase::Toggle(bool endHover) {
    if (!IsRadio()) {
        SetState(m_state == kUncheckedHover || m_state == kUncheckedPressed ? kCheckedHover : kUncheckedHover);
    } else {
        SetState(kChecked);
        Head()->Select(this);
        if (endHover && Group()) Group()->EndHover();
    }
    Fire();
}

bool CheckPartBase::Fire() { return FireButton(*this, m_action.get()); }

void CheckPartBase::ReleaseAction() { m_action.reset(); }

bool CheckPartBase::SetAction(const ButtonActionSetup& setup) {
    m_action.reset(NewButtonAction(setup));
    return m_action != nullptr;
}
