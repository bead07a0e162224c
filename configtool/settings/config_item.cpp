#include "configtool/settings/config_item.h"

#include <cstdio>
#include <cstring>

#include "framework/files/shift_jis.h"

const std::string* ConfigItem::ChoiceAt(std::int32_t index) const {
    if (index < 0 || index >= ChoiceCount()) return nullptr;
    return &choices[static_cast<std::size_t>(index)];
}

bool IsChoiceType(std::uint8_t type) {
    return type == ConfigChoice || type == ConfigAdapter || type == ConfigDevice || type == ConfigScreenMode;
}

bool IsDeviceType(std::uint8_t type) { return type == ConfigAdapter || type == ConfigDevice; }

bool IsNumericType(std::uint8_t type) {
    return type == ConfigChoice || type == ConfigNumber || type == ConfigNumber2 || type == ConfigDigit;
}

std::string CutOnWholeCharacter(const std::string& text, std::size_t maxLength) {
    if (text.size() <= maxLength) return text;
    std::size_t end = 0;
    while (end < maxLength) {
        const std::size_t step = IsShiftJisLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + step > maxLength) break;
        end += step;
    }
    return text.substr(0, end);
}

std::string FormatItemText(const ConfigItem& item) {
    std::string label = item.name + " : ";
    if (IsChoiceType(item.type)) {
        if (const std::string* choice = item.ChoiceAt(item.value)) label += *choice;
    } else if (item.type == ConfigText) {
        label += item.text;
    } else {
        char number[16];
        std::snprintf(number, sizeof number, "%d ", static_cast<int>(item.value));
        label += number;
        if (!item.choices.empty()) label += item.choices[0];
    }
    return CutOnWholeCharacter(label, kConfigLabelCapacity - 1);
}

std::int32_t FormatItemText(const ConfigItem* item, char* buffer) {
    if (!item || !buffer) return 1;
    const std::string label = FormatItemText(*item);
    std::memcpy(buffer, label.c_str(), label.size() + 1);
    return 0;
}

bool ResetItemToDefault(ConfigItem& item) {
    if (item.type == ConfigText) {
        const std::string wanted = item.choices.empty() ? std::string() : item.choices[0];
        if (item.text == wanted) return false;
        item.text = wanted;
        return true;
    }
    if (item.value == item.defaultValue) return false;
    item.value = item.defaultValue;
    return true;
}
