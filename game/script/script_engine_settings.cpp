// ScriptEngine's settings operations: the player's APP_CFG.DAT message and hint settings applied
// to what shows the messages.
#include <cstring>

#include "framework/util/little_endian.h"
#include "game/interfaces/settings_files.h"
#include "game/script/script_engine.h"

namespace {

// APP_CFG.DAT block offsets.
constexpr std::uint32_t kListOption = 4;
constexpr std::uint32_t kShowHints = 16;
constexpr std::uint32_t kHintDelay = 20;  // u32
constexpr std::uint32_t kHistoryPages = 29;
constexpr std::uint32_t kFontLevel = 68;  // used doubled
constexpr std::uint32_t kFontShadow = 69;
constexpr std::uint32_t kFontDecoration = 70;
constexpr std::uint32_t kFontBold = 71;
constexpr std::uint32_t kTextColourFirst = 73;
constexpr std::uint32_t kTextColourSecond = 74;
constexpr std::uint32_t kTextColour = 76;  // u32

constexpr std::int32_t kDecorationOffset = 2;
constexpr std::int32_t kBoldWeightAbove = 699;

void ApplyTextColours(SettingsTextPart& part, const std::uint8_t* appCfg) {
    part.SetTextColours(appCfg[kTextColourFirst], LittleEndian::Load32(appCfg + kTextColour),
                        appCfg[kTextColourSecond]);
}

void ApplyFont(SettingsFont& font, const std::uint8_t* appCfg) {
    font.SetDecoration(appCfg[kFontDecoration], kDecorationOffset, kDecorationOffset);
    font.SetShadow(appCfg[kFontShadow]);
    font.SetLevel(appCfg[kFontLevel] * 2u);
    // The face field holds its terminator; one that lacks it ends at the field's end.
    char face[SettingsFiles::AppCfg::kFontFaceSize + 1] = {};
    std::memcpy(face, appCfg + SettingsFiles::AppCfg::kFontFace, SettingsFiles::AppCfg::kFontFaceSize);
    const bool bold = appCfg[kFontBold] != 0;
    const char* current = font.Face();
    const bool sameFace = current && std::strcmp(current, face) == 0;
    if (!sameFace || bold != (font.Weight() > kBoldWeightAbove)) font.SetFont(font.Size(), bold, face);
}

}  // namespace

std::uint32_t ScriptEngine::ApplyMessageSettings(bool onlyIfChanged, bool clearMark, SettingsTextPart* window,
                                                 SettingsTextPart* list, SettingsFont* font, bool applyFont,
                                                 bool applyHistory) {
    if (m_settings.scenarioFrame) {
        return m_settings.scenarioFrame->ApplyUserSettings(onlyIfChanged, clearMark, window, list, font, applyFont,
                                                           applyHistory);
    }
    const std::uint8_t mark = m_settings.settingsChanged ? *m_settings.settingsChanged : 0;
    if (onlyIfChanged && mark == 0) return 0;
    if (const std::uint8_t* appCfg = m_settings.appCfg) {
        if (window) {
            const std::int32_t type = window->TypeCode();
            if (type == SettingsTextPart::kTextWindow || type == SettingsTextPart::kSobMessageWindow) {
                ApplyTextColours(*window, appCfg);
            }
        }
        if (list && list->TypeCode() == SettingsTextPart::kList) {
            ApplyTextColours(*list, appCfg);
            list->SetListOption(appCfg[kListOption]);
        }
        if (applyFont) {
            SettingsFont* target = font ? font : m_settings.defaultFont;
            if (target && target->IsAntialiased()) ApplyFont(*target, appCfg);
        }
        if (applyHistory && m_settings.history) {
            const std::uint32_t pages = appCfg[kHistoryPages] ? appCfg[kHistoryPages] + 1u : 0u;
            if (m_settings.history->Pages() != pages) m_settings.history->SetPages(pages);
        }
    }
    if (clearMark && m_settings.settingsChanged) *m_settings.settingsChanged = 0;
    return mark;
}

void ScriptEngine::ApplyHintSettings() {
    if (!m_settings.tooltips || !m_settings.appCfg) return;
    m_settings.tooltips->SetTooltipTiming(m_settings.appCfg[kShowHints] != 0,
                                          LittleEndian::Load32(m_settings.appCfg + kHintDelay), 0);
}
