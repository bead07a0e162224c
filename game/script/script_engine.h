// ScriptEngine: the script machine of one run, with the game's commands in its command table.
// The application creates it when the scripts start and deletes it at the end of the run.
//
// Not in the program yet: the engine's sound manager and SOB message text, the effect and
// transition registration, the handlers of commands 3-808 other than the do-nothing one (they
// answer kCommandNotBuilt), and ending the application's pending v-sync and precise-wait
// requests at a restart.
#pragma once

#include <cstdint>

#include "game/script/script_engine_base.h"

class ScriptEngine : public ScriptEngineBase {
public:
    ScriptEngine();

    // Starts MAIN again: "ScriptBootFlg" becomes +boot number when `argument` is non-zero and
    // -boot number when it is 0 (a return to the title). 0, or 1 when MAIN does not load.
    int RestartMain(std::uint32_t argument);
    void RegisterScriptEffects();

    std::uint16_t BootNumber() const { return m_bootNumber; }

private:
    std::uint16_t m_bootNumber = 1;
};
