// Starting the scripts of a run: creates the script engine, loads the init files and MAIN.
// Application::StartScripts hands over what the engine needs of it through ScriptStartHost.
// Not in the program yet: the command globals with the sound settings, and the
// frame function that the application sets once this succeeds.
#pragma once

#include <memory>

#include "game/script/script_engine.h"

class ScriptStartHost {
public:
    // The folder the game's variable files live in, ending with '\'.
    virtual const char* SaveFolder() = 0;
    // Shows a message with the stop icon.
    virtual void ShowStopMessage(const char* text) = 0;
    // Whether the player's settings ask for compiled script code (USER.CFG block 3 byte 0).
    virtual bool UseCompiledScripts() = 0;
    // The scheduler the engine's music and channel fades run on; it must outlive the engine.
    virtual TaskScheduler* SoundFadeScheduler() { return nullptr; }

protected:
    ~ScriptStartHost() = default;
};

// 0; 1 no memory for the engine; 2 the init files failed; 3 MAIN is missing; 4 MAIN is not a
// module or has no flag record; 5 MAIN does not link; a higher value is another load code + 2.
// A failure has shown its message; the engine stays for the application to delete.
int StartScriptEngine(ScriptStartHost& host, std::unique_ptr<ScriptEngine>& engine);
