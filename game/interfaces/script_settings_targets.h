// What the script's settings operations (ScriptEngine::ApplyMessageSettings and
// ScriptEngine::ApplyHintSettings) set: the scenario frame, message-window and list parts, the
// anti-aliased fonts, the SOB message text's history and the UI part group. Those belong to the
// scenario presentation and the graphics core, which are not in the program yet; the operations
// reach them through the few calls named here. The scenario code implements its own (it may
// include this folder); the fonts, which the graphics core keeps apart from the game, come in
// through an adapter of the game's. The engine does not own what the pointers name. All are
// used on the game thread.
#pragma once

#include <cstdint>

class SettingsTextPart;
class SettingsFont;

// The TGS scenario frame, which applies the settings to its own windows, font and history.
class SettingsScenarioFrame {
public:
    virtual ~SettingsScenarioFrame() = default;
    // With the choices of ScriptEngine::ApplyMessageSettings; its result is that operation's.
    virtual std::uint32_t ApplyUserSettings(bool onlyIfChanged, bool clearMark, SettingsTextPart* window,
                                            SettingsTextPart* list, SettingsFont* font, bool applyFont,
                                            bool applyHistory) = 0;
};

// A UI part that shows message text.
class SettingsTextPart {
public:
    // The UI part type codes that take the settings.
    enum : std::int32_t { kTextWindow = 5, kList = 6, kSobMessageWindow = 111 };

    virtual ~SettingsTextPart() = default;
    virtual std::int32_t TypeCode() = 0;
    // The message text colour settings: the two setting bytes and the colour (0xRRGGBB).
    virtual void SetTextColours(std::uint8_t first, std::uint32_t colour, std::uint8_t second) = 0;
    // Lists: the message-list option.
    virtual void SetListOption(std::uint8_t option) = 0;
};

// A font as the message settings see it.
class SettingsFont {
public:
    virtual ~SettingsFont() = default;
    virtual bool IsAntialiased() = 0;
    // The decoration mode byte (0 none, 1 shadow, 2 outline) and the decoration's offsets.
    virtual void SetDecoration(std::uint8_t mode, std::int32_t dx, std::int32_t dy) = 0;
    // The shadow setting, applied with the font's current values.
    virtual void SetShadow(std::uint8_t setting) = 0;
    virtual void SetLevel(std::uint32_t level) = 0;
    virtual const char* Face() = 0;
    // GDI weight: bold above 699.
    virtual std::int32_t Weight() = 0;
    virtual std::int32_t Size() = 0;
    virtual void SetFont(std::int32_t size, bool bold, const char* face) = 0;
};

// The history of the SOB message text.
class SettingsHistory {
public:
    virtual ~SettingsHistory() = default;
    virtual std::uint32_t Pages() = 0;
    // Clears and resizes the history.
    virtual void SetPages(std::uint32_t pages) = 0;
};

// The UI part group's pop-up hints.
class SettingsTooltips {
public:
    virtual ~SettingsTooltips() = default;
    virtual void SetTooltipTiming(bool enabled, std::uint32_t delayMs, std::uint32_t durationMs) = 0;
};

// Where the settings operations find their values and targets; any may be absent.
struct ScriptSettingsServices {
    // APP_CFG.DAT's block (SettingsFiles::kAppCfgBlockSize bytes).
    const std::uint8_t* appCfg = nullptr;
    // Set by the settings sheet when it applies a page.
    std::uint8_t* settingsChanged = nullptr;
    // While a TGS frame exists.
    SettingsScenarioFrame* scenarioFrame = nullptr;
    // The global text font, used when no font is given.
    SettingsFont* defaultFont = nullptr;
    SettingsHistory* history = nullptr;
    SettingsTooltips* tooltips = nullptr;
};
