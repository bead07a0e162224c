// ConfigItem: one settings item of a settings description, the place of its value in one of the
// six settings records, its choices and its current value.
//
// Items are owned by the tool's item list in description order; an item's index in that list is
// what its tree item carries. Nothing here touches windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum EConfigItemType : std::uint8_t {
    ConfigChoice = 0,      // value = choice index
    ConfigNumber = 1,      // value; choice 0 is the unit label
    ConfigNumber2 = 2,     // as ConfigNumber
    ConfigText = 3,        // text; choice 0 is the default string
    ConfigDigit = 4,       // value 0-9; choice 0 is the unit label
    ConfigAdapter = 5,     // value = adapter index; choices built at run time
    ConfigDevice = 6,      // value = device index of the chosen adapter
    ConfigScreenMode = 7,  // value 0-3
};
constexpr std::uint8_t kConfigItemTypeCount = 8;

// The text of a ConfigText item holds at most this many characters (a 260-byte buffer).
constexpr std::uint32_t kConfigTextMaxLength = 259;
// Tree labels are made in a buffer of this many bytes, the NUL included.
constexpr std::uint32_t kConfigLabelCapacity = 256;

// Developer states of an item.
enum EConfigTreeState : std::uint8_t {
    kHiddenFromPlayers = 0,
    kShownToPlayers = 1,
    kFixedHidden = 2,
};

struct ConfigItem {
    std::uint8_t record = 0;
    std::uint8_t treeState = kHiddenFromPlayers;
    std::uint32_t offset = 0;
    std::uint8_t width = 0;
    std::string name;
    std::uint8_t type = ConfigChoice;
    std::int32_t defaultValue = 0;
    std::vector<std::string> choices;
    bool hasDescription = false;
    std::string description;
    std::int32_t value = 0;
    std::string text;  // ConfigText only

    std::int32_t ChoiceCount() const { return static_cast<std::int32_t>(choices.size()); }
    // The choice at `index`, or null when there is none (an out-of-range value shows no choice).
    const std::string* ChoiceAt(std::int32_t index) const;
    // The item key by which override files name items.
    bool MatchesKey(std::uint8_t keyRecord, std::uint32_t keyOffset, std::uint8_t keyWidth,
                    std::uint8_t keyType) const {
        return record == keyRecord && offset == keyOffset && width == keyWidth && type == keyType;
    }
};

// True for the types whose editor is the drop-down list.
bool IsChoiceType(std::uint8_t type);
// True for the adapter and device items, whose choices come from the display-device list.
bool IsDeviceType(std::uint8_t type);
// True for the types whose value is a number in the item's record bytes.
bool IsNumericType(std::uint8_t type);

// The item's tree label, at most kConfigLabelCapacity - 1 bytes, cut on a whole character.
std::string FormatItemText(const ConfigItem& item);
// The label into a kConfigLabelCapacity-byte buffer: 1 when the item or buffer is null, else 0.
std::int32_t FormatItemText(const ConfigItem* item, char* buffer);
// Sets the value (or text) back to the default; true when it changed.
bool ResetItemToDefault(ConfigItem& item);

// `text` cut to at most `maxLength` bytes without splitting a Shift-JIS pair.
std::string CutOnWholeCharacter(const std::string& text, std::size_t maxLength);
