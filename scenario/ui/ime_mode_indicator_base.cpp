#include "scenario/ui/ime_mode_indicator_base.h"

ImeModeIndicatorBase::ImeModeIndicatorBase() = default;

ImeModeIndicatorBase::~ImeModeIndicatorBase() = default;

std::int32_t ImeModeIndicatorBase::SetColours(std::int32_t textColour, std::int32_t effectColour) {
    if (textColour != -1) m_textColour = static_cast<std::uint32_t>(textColour) & 0xFFFFFF;
    if (effectColour != -1) m_effectColour = static_cast<std::uint32_t>(effectColour) & 0xFFFFFF;
    m_redrawNeeded = 1;
    return 0;
}

void ImeModeIndicatorBase::SetRightAligned(bool rightAligned) {
    m_rightAligned = rightAligned ? 1 : 0;
    m_redrawNeeded = 1;
}

std::string ImeModeIndicatorBase::Labels(bool open, std::uint32_t conversion, std::uint32_t sentence) {
    if (!open || (conversion & kNoConversion)) return "英数";
    std::string labels;
    if (conversion & kRoman) labels += "Ｒ";
    labels += (conversion & kFullShape) ? "全" : "半";
    labels += (conversion & kKatakana) ? "カ" : ((conversion & kNative) ? "ひ" : "英");
    if (sentence & kPhrasePredict) {
        labels += "連";
    } else if (sentence & kPluralClause) {
        labels += "複";
    } else if (sentence & kSingleConvert) {
        labels += "単";
    } else if (sentence & kAutomatic) {
        labels += "自";
    }
    return labels;
}
