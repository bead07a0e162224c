#include "scenario/ui/hit_map_part.h"

#include <new>

#include "framework/input/action_map.h"
#include "framework/input/mouse_device.h"
#include "scenario/ui/ui_part_group.h"

namespace {

// The Return action of the game's action map.
constexpr std::int32_t kActionReturn = 4;

std::string Copy(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

HitMapPart::HitMapPart() = default;

HitMapPart::~HitMapPart() {
    LeaveGroup();
    ClearRegions();
}

void HitMapPart::ClearRegions() {
    UiPartGroup* const group = Group();
    if (group && m_tooltipRegion >= 0 && group->IsHovered(this)) group->CloseTooltip();
    m_tooltipRegion = -1;
    m_currentRegion = -1;
    m_hitRegion = -1;
    m_pressState = 0;
    m_regions.reset();
    m_regionCount = 0;
}

std::int32_t HitMapPart::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
    return 0;
}

bool HitMapPart::ValidRegion(std::int32_t index) const {
    return m_regions && index >= 0 && index < m_regionCount;
}

bool HitMapPart::RegionEnabled(std::int32_t index) const {
    return ValidRegion(index) && m_regions[index].enabled;
}

HitMapRegionAction* HitMapPart::Action(std::int32_t index) const {
    return ValidRegion(index) ? m_regions[index].action.get() : nullptr;
}

const char* HitMapPart::GetTooltip() {
    const HitMapRegionAction* const action = Action(m_tooltipRegion);
    return action && !action->tooltip.empty() ? action->tooltip.c_str() : nullptr;
}

std::int32_t HitMapPart::Create(const char* fileName, std::uint8_t regionCount, std::int32_t x,
                                std::int32_t y, bool activatable, std::int32_t tag) {
    if (regionCount == 0) return 1;
    Image loaded;
    if (!fileName || loaded.LoadIndexed(fileName, nullptr, 0, 0) != 0 || loaded.Depth() != 8) return 2;
    std::unique_ptr<Region[]> regions(new (std::nothrow) Region[regionCount]);
    if (!regions) return 3;
    ClearRegions();
    m_image.Free();
    if (m_image.CopyFrom(&loaded, kImageLikeSource) != 0) return 3;
    m_regions = std::move(regions);
    m_regionCount = regionCount;
    m_x = x;
    m_y = y;
    m_activatable = activatable;
    SetTag(tag);
    return 0;
}

std::int32_t HitMapPart::SetRegionEnabled(std::int32_t index, bool enabled) {
    if (!m_regions) return 1;
    if (!ValidRegion(index)) return 2;
    m_regions[index].enabled = enabled;
    return 0;
}

void HitMapPart::ReleaseRegions() { ClearRegions(); }

std::int32_t HitMapPart::SetRegionAction(std::int32_t index, const char* text1, std::int32_t value,
                                         const char* text2, const char* tooltip,
                                         CallerWord activatedFlag, CallerWord hoverFlag,
                                         CallerWord leaveFlag) {
    if (!m_regions) return 1;
    if (!ValidRegion(index)) return 2;
    std::unique_ptr<HitMapRegionAction> action(new (std::nothrow) HitMapRegionAction);
    if (!action) return 3;
    action->text1 = Copy(text1);
    action->value = value;
    action->text2 = Copy(text2);
    action->tooltip = Copy(tooltip);
    action->activatedFlag = activatedFlag;
    action->hoverFlag = hoverFlag;
    action->leaveFlag = leaveFlag;
    // A shown tooltip of this region names the old text: it goes first.
    UiPartGroup* const group = Group();
    if (group && index == m_tooltipRegion && group->IsHovered(this)) group->CloseTooltip();
    m_regions[index].action = std::move(action);
    return 0;
}

void HitMapPart::SetSounds(const char* pressSound, const char* enterSound, const char* leaveSound,
                           std::int32_t pressSoundId, std::int32_t enterSoundId,
                           std::int32_t leaveSoundId) {
    m_pressSound = Copy(pressSound);
    m_enterSound = Copy(enterSound);
    m_leaveSound = Copy(leaveSound);
    m_pressSoundId = pressSoundId;
    m_enterSoundId = enterSoundId;
    m_leaveSoundId = leaveSoundId;
}

void HitMapPart::SetLocked(bool locked) { m_locked = locked; }

void HitMapPart::Play(const std::string& name, std::int32_t id, std::int32_t fallback) {
    UiPartGroup* const group = Group();
    if (!group) return;
    if (!name.empty()) {
        group->PlaySound(name.c_str(), id, 0, 0);
    } else {
        group->PlaySound(nullptr, id >= 0 ? id : fallback, 0, 0);
    }
}

bool HitMapPart::HitTest(std::int32_t x, std::int32_t y) {
    m_hitRegion = -1;
    if (!m_regions) return false;
    const std::uint32_t value = m_image.GetPixel(x - m_x, y - m_y);
    if (value >= m_regionCount || !m_regions[value].enabled) return false;
    m_hitRegion = static_cast<std::int32_t>(value);
    return true;
}

bool HitMapPart::EnterRegion(std::int32_t index) {
    if (!ValidRegion(index)) return false;
    m_pressState = 1;
    Play(m_enterSound, m_enterSoundId, kSoundEnter);
    if (const HitMapRegionAction* const action = Action(index)) {
        action->hoverFlag.Write(1);
        action->leaveFlag.Write(0);
    }
    m_tooltipRegion = index;
    return true;
}

bool HitMapPart::LeaveRegion(std::int32_t index) {
    m_pressState = 0;
    Play(m_leaveSound, m_leaveSoundId, kSoundLeave);
    if (const HitMapRegionAction* const action = Action(index)) {
        action->hoverFlag.Write(0);
        action->leaveFlag.Write(1);
    }
    m_tooltipRegion = -1;
    return true;
}

void HitMapPart::LeaveCurrent() {
    if (m_currentRegion < 0) return;
    UiPartGroup* const group = Group();
    if (group && GetTooltip()) group->RestartTooltip();
    const std::int32_t current = m_currentRegion;
    m_currentRegion = -1;
    LeaveRegion(current);
}

void HitMapPart::OnPointerMove(std::int32_t, std::int32_t) {
    if (m_locked || m_hitRegion == m_currentRegion) return;
    LeaveCurrent();
    if (m_hitRegion >= 0) {
        const std::int32_t region = m_hitRegion;
        m_currentRegion = EnterRegion(region) ? region : -1;
        // The new region's tooltip counts its delay from here.
        if (UiPartGroup* const group = Group()) {
            if (m_currentRegion >= 0 && GetTooltip() && group->IsHovered(this)) group->RestartTooltip();
        }
    }
}

void HitMapPart::OnPointerLeave() {
    if (m_locked) return;
    LeaveCurrent();
}

void HitMapPart::OnBlur(UiPart*) {
    if (m_locked) return;
    LeaveCurrent();
}

bool HitMapPart::OnPointer(std::int32_t, std::int32_t, MouseDevice* mouse) {
    if (!mouse) return false;
    if (m_pressState == 1) {
        if (!mouse->IsTriggered(0) || m_locked || m_currentRegion < 0) return false;
        m_pressState = 2;
        return true;
    }
    if (m_pressState == 2 && !mouse->IsDown(0)) {
        m_pressState = 1;
        FireRegion(m_currentRegion);
        return true;
    }
    return false;
}

bool HitMapPart::FireRegion(std::int32_t index) {
    if (!m_activatable) return false;
    UiPartGroup* const group = Group();
    const std::int32_t id = GetId();
    if (group && id >= 0) group->NotifyActivated(index >= 0 ? id + index : id);
    SetLocked(true);
    Play(m_pressSound, m_pressSoundId, kSoundActivate);
    const HitMapRegionAction* const action = Action(index);
    if (action) {
        action->activatedFlag.Write(1);
        if (group && Group() == group) {
            group->RunAction(action->text2.empty() ? nullptr : action->text2.c_str(),
                             action->text1.empty() ? nullptr : action->text1.c_str(), action->value);
        }
    }
    return true;
}

bool HitMapPart::HoverRegion(std::int32_t index) {
    UiPartGroup* const group = Group();
    const std::int32_t mode = group ? group->GetFocusPointerMode() : 0;
    // The keys take over from the pointer.
    if (group && group->IsHovered(this)) group->EndHover();
    if (mode == 2) LeaveCurrent();
    m_currentRegion = -1;
    if (!EnterRegion(index)) return false;
    m_currentRegion = index;
    if (mode == 2 && Group()) Group()->ParkCursor();
    return true;
}

std::int32_t HitMapPart::SelectRegion(std::int32_t index) {
    UiPartGroup* const group = Group();
    if (!group || !m_regions || m_locked || !ValidRegion(index)) return 1;
    if (!m_regions[index].enabled) return 2;
    if (!group->IsFocused(this)) {
        if (group->FocusPart(this) != 0 || !group->IsFocused(this)) return 1;
    }
    HoverRegion(index);
    return 0;
}

std::int32_t HitMapPart::NextEnabled(std::int32_t from, bool forward, bool inclusive) const {
    const std::int32_t step = forward ? 1 : -1;
    for (std::int32_t i = inclusive ? from : from + step; i >= 0 && i < m_regionCount; i += step) {
        if (RegionEnabled(i)) return i;
    }
    return -1;
}

void HitMapPart::OnFocus(UiPart*, bool forward) {
    if (!m_locked) {
        const std::int32_t region = NextEnabled(forward ? 0 : m_regionCount - 1, forward, true);
        if (region >= 0) {
            HoverRegion(region);
            return;
        }
    }
    UiPartGroup* const group = Group();
    if (!group) return;
    // The group answers -1 once every member of this chain was offered the focus.
    if ((forward ? group->FocusNext() : group->FocusPrevious()) == -1 && Group() == group &&
        group->IsFocused(this)) {
        group->FocusPart(nullptr);
    }
}

bool HitMapPart::OnKeys(ActionMap* actions) {
    UiPartGroup* const group = Group();
    if (m_locked || !group || !m_regions) return false;
    const std::int32_t navigation = group->ReadNavigation(actions);
    if (navigation == UiPartGroup::kNavigatePrevious || navigation == UiPartGroup::kNavigateNext) {
        const bool forward = navigation == UiPartGroup::kNavigateNext;
        const std::int32_t from = m_currentRegion >= 0 ? m_currentRegion : (forward ? -1 : m_regionCount);
        const std::int32_t region = NextEnabled(from, forward, false);
        if (region >= 0) {
            HoverRegion(region);
            return true;
        }
        if ((forward ? group->FocusNext() : group->FocusPrevious()) == 0) return true;
        // Nobody else takes the focus: the map wraps round to its first or last region.
        if (Group() == group && group->IsFocused(this)) OnFocus(this, forward);
        return true;
    }
    if (actions && actions->IsTriggered(kActionReturn) && m_pressState != 0 && m_currentRegion >= 0) {
        return FireRegion(m_currentRegion);
    }
    return false;
}
