#include "game/dialogs/settings_applies.h"

#include "framework/input/action_map.h"
#include "framework/sound/sound_manager.h"

namespace {

namespace O = SettingsOffsets;

constexpr std::int32_t kKeyboard = 0;
constexpr std::int32_t kMouse = 1;
constexpr std::int32_t kJoystick = 2;

bool HasBinding(ActionMap& map, std::int32_t action, std::int32_t device, std::uint8_t code) {
    const std::int32_t count = map.BindingCount(action, device);
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint8_t bound = 0;
        if (map.GetBinding(action, device, i, &bound, nullptr) == 0 && bound == code) return true;
    }
    return false;
}

// The player's binding of the action on the device is the one at `index` (after the defaults
// of actions 4 and 5): changed, removed, or added where there is none.
void ApplyOne(ActionMap& map, std::int32_t action, std::int32_t device, std::int32_t index, std::uint8_t code) {
    std::uint8_t bound = 0;
    if (map.GetBinding(action, device, index, &bound, nullptr) != 0) {
        if (code != 0 && !HasBinding(map, action, device, code)) map.AddBinding(action, device, code);
        return;
    }
    if (code == 0) map.RemoveBinding(action, device, bound);
    else if (code != bound) map.ChangeBinding(action, device, code, bound);
}

void ApplyMouse(ActionMap& map, std::int32_t& last, std::int32_t action, std::uint8_t code) {
    if (action == last) return;
    if (last != 0) map.RemoveBinding(last, kMouse, code);
    if (action != 0) map.AddBinding(action, kMouse, code);
    last = action;
}

}  // namespace

std::int32_t ReadInt32(const std::uint8_t* block, std::uint32_t offset) {
    return static_cast<std::int32_t>(block[offset] | (block[offset + 1] << 8) | (block[offset + 2] << 16) |
                                     (static_cast<std::uint32_t>(block[offset + 3]) << 24));
}

void WriteInt32(std::uint8_t* block, std::uint32_t offset, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t MouseChoiceAction(std::uint8_t choice) {
    static const std::int32_t kActions[] = {0, 12, 11, 6, 15, 7, 8};
    return choice < 7 ? kActions[choice] : 0;
}

void ApplyKeyboardBindings(ActionMap& map, const std::uint8_t* block) {
    ApplyOne(map, 4, kKeyboard, 2, block[O::kKeys]);
    ApplyOne(map, 5, kKeyboard, 1, block[O::kKeys + 1]);
    for (std::int32_t k = 2; k < kBoundActionCount; ++k)
        ApplyOne(map, kFirstBoundAction + k, kKeyboard, 0, block[O::kKeys + k]);
}

void ApplyPadAndMouseBindings(ActionMap& map, const std::uint8_t* block, AppliedMouseActions& applied) {
    for (std::int32_t k = 0; k < kBoundActionCount; ++k)
        ApplyOne(map, kFirstBoundAction + k, kJoystick, 0, block[O::kJoystickCodes + k]);
    ApplyMouse(map, applied.action[0], MouseChoiceAction(block[O::kRightButton]), 1);
    ApplyMouse(map, applied.action[1], MouseChoiceAction(block[O::kWheelButton]), 2);
    ApplyMouse(map, applied.action[2], block[O::kWheelUpRewinds] != 0 ? 18 : 14, 3);
    ApplyMouse(map, applied.action[3], block[O::kWheelDownNextPage] != 0 ? 19 : 0, 4);
}

bool ApplySoundSettings(SoundSettingsPort* port, const std::uint8_t* block) {
    if (port == nullptr) return false;
    port->SetMasterEnable(block[O::kSoundOn] != 0);
    port->SetMasterVolume(ReadInt32(block, O::kMasterVolume));
    port->SetBgmUserVolume(ReadInt32(block, O::kBgmVolume));
    port->SetBgmEnable(block[O::kBgmOn] != 0);
    port->SetGroup1Enable(block[O::kGroup1On] != 0);
    port->SetDefaultUserVolume(ReadInt32(block, O::kChannelVolume));
    port->StoreGroup2Enable(block[O::kGroup2On] != 0);
    port->SetGroup2DefaultUserVolume(ReadInt32(block, O::kGroup2Volume));
    port->SetGroup4DefaultUserVolume(256);
    port->SetGroup4Volume(ReadInt32(block, O::kGroup4Volume));
    port->StoreGroup4Enable(block[O::kGroup4On] != 0);
    return true;
}

// Switching sounds on or off re-applies every channel at once (looped ones restart, muted ones
// stop); volumes reach every channel, not only the long sounds.
void SoundManagerSettingsPort::SetMasterEnable(bool on) { m_manager.SetMasterEnable(on, false); }
void SoundManagerSettingsPort::SetMasterVolume(std::int32_t volume) { m_manager.SetMasterVolume(volume, false); }
void SoundManagerSettingsPort::SetBgmUserVolume(std::int32_t volume) { m_manager.SetBgmVolume(-1, volume, true); }
void SoundManagerSettingsPort::SetBgmEnable(bool on) { m_manager.SetBgmEnable(on, false); }
void SoundManagerSettingsPort::SetGroup1Enable(bool on) { m_manager.SetGroupEnable(on, 1, false, false); }
void SoundManagerSettingsPort::SetDefaultUserVolume(std::int32_t volume) {
    m_general = volume;
    m_manager.SetDefaultUserVolumes(m_general, m_group2, m_group4);
}
void SoundManagerSettingsPort::StoreGroup2Enable(bool on) { m_manager.StoreGroupEnable(on, 2); }
void SoundManagerSettingsPort::SetGroup2DefaultUserVolume(std::int32_t volume) {
    m_group2 = volume;
    m_manager.SetDefaultUserVolumes(m_general, m_group2, m_group4);
}
void SoundManagerSettingsPort::SetGroup4DefaultUserVolume(std::int32_t volume) {
    m_group4 = volume;
    m_manager.SetDefaultUserVolumes(m_general, m_group2, m_group4);
}
void SoundManagerSettingsPort::SetGroup4Volume(std::int32_t volume) { m_manager.SetGroup4Volume(volume); }
void SoundManagerSettingsPort::StoreGroup4Enable(bool on) { m_manager.StoreGroupEnable(on, 4); }
