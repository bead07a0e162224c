// ScriptEngine: the script machine of one run, with the game's commands in its command table.
// The application creates it when the scripts start and deletes it at the end of the run.
//
// The engine owns the game's sound manager; whoever makes the engine hands in the scheduler that
// runs the sound fades (the application's first scheduler). The settings operations reach the
// message settings and their targets through SettingsServices, which the engine's owner fills.
//
// Not in the program yet: the SOB message text, the effect and
// transition registration, the handlers of commands 3-808 other than the do-nothing one (they
// answer kCommandNotBuilt), and ending the application's pending v-sync and precise-wait
// requests at a restart.
#pragma once

#include <cstdint>

#include "framework/sound/sound_manager.h"
#include "game/script/script_engine_base.h"
#include "game/interfaces/script_settings_targets.h"

class TaskScheduler;

class ScriptEngine : public ScriptEngineBase {
public:
    explicit ScriptEngine(TaskScheduler* soundFadeScheduler = nullptr);

    // Starts MAIN again: "ScriptBootFlg" becomes +boot number when `argument` is non-zero and
    // -boot number when it is 0 (a return to the title). 0, or 1 when MAIN does not load.
    int RestartMain(std::uint32_t argument);
    void RegisterScriptEffects();

    // The player's message settings from APP_CFG.DAT, applied to a message window part (types 5
    // and 111), a list part (type 6), the given font (or, with none given, the global text font;
    // anti-aliased fonts only) with applyFont and the message history with applyHistory. With a
    // scenario frame the frame does all of it and its result is returned. Otherwise the result is
    // the settings-changed mark as it was on entry; with onlyIfChanged and the mark clear nothing
    // happens. clearMark clears the mark at the end.
    std::uint32_t ApplyMessageSettings(bool onlyIfChanged, bool clearMark, SettingsTextPart* window,
                                       SettingsTextPart* list, SettingsFont* font, bool applyFont, bool applyHistory);
    // The pop-up hints of the UI part group: shown or not, and their delay.
    void ApplyHintSettings();
    ScriptSettingsServices& SettingsServices() { return m_settings; }

    std::uint16_t BootNumber() const { return m_bootNumber; }
    SoundManager& Sound() { return m_soundManager; }

private:
    SoundManager m_soundManager;
    ScriptSettingsServices m_settings;
    std::uint16_t m_bootNumber = 1;
};
