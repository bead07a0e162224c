// The three operations that turn APP_CFG.DAT's input and sound fields into live state: the
// keyboard codes, and the joystick and mouse choices, go to the action map; the sound switches
// and volumes go to the sound manager. Start-up applies the bindings once after the default
// bindings exist, the script start applies the sound, and the settings sheet applies the
// bindings again on OK. The callers hold the application's input lock around the binding
// applies.
#pragma once

#include <cstdint>

class ActionMap;
class SoundManager;

// APP_CFG.DAT offsets of the input and sound fields.
namespace SettingsOffsets {
constexpr std::uint32_t kConfirmWeb = 0;
constexpr std::uint32_t kDetailedReport = 1;
constexpr std::uint32_t kLastPage = 2;
constexpr std::uint32_t kHideFrameAtBottom = 10;
constexpr std::uint32_t kShowHints = 16;
constexpr std::uint32_t kHintDelay = 20;  // int32
constexpr std::uint32_t kHistoryPages = 29;
constexpr std::uint32_t kSaveHistory = 30;
constexpr std::uint32_t kSoundOn = 82;
constexpr std::uint32_t kBgmOn = 83;
constexpr std::uint32_t kGroup1On = 84;
constexpr std::uint32_t kGroup2On = 85;
constexpr std::uint32_t kGroup4On = 86;
constexpr std::uint32_t kMasterVolume = 88;     // int32
constexpr std::uint32_t kBgmVolume = 92;        // int32
constexpr std::uint32_t kChannelVolume = 96;    // int32
constexpr std::uint32_t kGroup2Volume = 100;    // int32
constexpr std::uint32_t kGroup4Volume = 104;    // int32
constexpr std::uint32_t kKeys = 114;            // 16 codes, actions 4..19
constexpr std::uint32_t kFastForwardKey = 130;
constexpr std::uint32_t kKeepUnreadSlow = 131;
constexpr std::uint32_t kUseJoystick = 132;
constexpr std::uint32_t kJoystickCodes = 133;   // 16 codes, actions 4..19
constexpr std::uint32_t kRightButton = 149;
constexpr std::uint32_t kWheelUpRewinds = 150;
constexpr std::uint32_t kRightClickEndsAuto = 151;
constexpr std::uint32_t kWheelButton = 152;
constexpr std::uint32_t kWheelDownNextPage = 153;
constexpr std::uint32_t kChangeResolution = 154;
constexpr std::uint32_t kTopmost = 155;
constexpr std::uint32_t kResolutionThroughDirectDraw = 156;
constexpr std::uint32_t kMonitor = 157;
constexpr std::uint32_t kStartWindowed = 158;
constexpr std::uint32_t kSaveWindowPosition = 159;
constexpr std::uint32_t kEnlargedMethod = 160;
constexpr std::uint32_t kEnlargedFlags = 161;   // 4 bytes
constexpr std::uint32_t kPlayMovies = 166;
constexpr std::uint32_t kMovieWindow = 167;
constexpr std::uint32_t kMovieVolume = 168;     // int32
constexpr std::uint32_t kCommentFromText = 180;
constexpr std::uint32_t kHistoryAntialias = 190;
}  // namespace SettingsOffsets

std::int32_t ReadInt32(const std::uint8_t* block, std::uint32_t offset);
void WriteInt32(std::uint8_t* block, std::uint32_t offset, std::int32_t value);

// The first action the block's 16 codes feed, and the number of actions on the pages.
constexpr std::int32_t kFirstBoundAction = 4;
constexpr std::int32_t kBoundActionCount = 16;
constexpr std::int32_t kPageActionCount = 14;

// The action a mouse-button choice (0..6) stands for: 0 none, else 12, 11, 6, 15, 7, 8.
std::int32_t MouseChoiceAction(std::uint8_t choice);

// The keyboard codes of actions 4..19 (offsets 114..129). Actions 4 and 5 keep the default
// bindings start-up gave them (two and one) and the player's key is the binding after those;
// when that binding is missing (a script removed a default) the key is added unless the action
// already has it.
void ApplyKeyboardBindings(ActionMap& map, const std::uint8_t* block);

// The actions the mouse's four codes were bound to by the last apply (0 none), for the whole
// run: right button, wheel button, wheel up, wheel down.
struct AppliedMouseActions {
    std::int32_t action[4] = {};
};

// The joystick codes of actions 4..19 on joystick 0 (device 2), then the mouse: the right and
// wheel buttons by their choices, the wheel up to action 14 or 18, the wheel down to 19 or
// nothing. Joystick polling itself (offset 132) is the caller's.
void ApplyPadAndMouseBindings(ActionMap& map, const std::uint8_t* block, AppliedMouseActions& applied);

// The sound calls of the settings, in their order; the game's one goes to the SoundManager.
class SoundSettingsPort {
public:
    virtual ~SoundSettingsPort() = default;
    virtual void SetMasterEnable(bool on) = 0;
    virtual void SetMasterVolume(std::int32_t volume) = 0;
    // The track volume stays as it is.
    virtual void SetBgmUserVolume(std::int32_t volume) = 0;
    // Without restarting the music.
    virtual void SetBgmEnable(bool on) = 0;
    virtual void SetGroup1Enable(bool on) = 0;
    virtual void SetDefaultUserVolume(std::int32_t volume) = 0;
    // Stored; applied when channels next play.
    virtual void StoreGroup2Enable(bool on) = 0;
    virtual void SetGroup2DefaultUserVolume(std::int32_t volume) = 0;
    virtual void SetGroup4DefaultUserVolume(std::int32_t volume) = 0;
    virtual void SetGroup4Volume(std::int32_t volume) = 0;
    virtual void StoreGroup4Enable(bool on) = 0;
};

// Over a SoundManager.
class SoundManagerSettingsPort : public SoundSettingsPort {
public:
    explicit SoundManagerSettingsPort(SoundManager& manager) : m_manager(manager) {}
    void SetMasterEnable(bool on) override;
    void SetMasterVolume(std::int32_t volume) override;
    void SetBgmUserVolume(std::int32_t volume) override;
    void SetBgmEnable(bool on) override;
    void SetGroup1Enable(bool on) override;
    void SetDefaultUserVolume(std::int32_t volume) override;
    void StoreGroup2Enable(bool on) override;
    void SetGroup2DefaultUserVolume(std::int32_t volume) override;
    void SetGroup4DefaultUserVolume(std::int32_t volume) override;
    void SetGroup4Volume(std::int32_t volume) override;
    void StoreGroup4Enable(bool on) override;

private:
    SoundManager& m_manager;
    std::int32_t m_general = 256;
    std::int32_t m_group2 = -1;
    std::int32_t m_group4 = -1;
};

// Applies offsets 82..107 in order; false without a port (no script engine or sound manager).
bool ApplySoundSettings(SoundSettingsPort* port, const std::uint8_t* block);
