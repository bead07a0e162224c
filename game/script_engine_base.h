// ScriptEngineBase: the module-control layer of the script machine. Commands 0-2 ask for a
// module call, a module jump or the end of the script; ScriptEngineBase::Step runs the
// interpreter and carries out what they asked once the module has stopped or returned.
#pragma once

#include <cstdint>

#include "game/script_core.h"

enum ModuleAction : std::uint32_t {
    kModuleActionNone = 0,
    kModuleActionJump = 1,
    kModuleActionCall = 2,
    kModuleActionEnd = 3,
};

// The program's one module-control state, set by commands 0-2 and consumed by the next step.
struct ModuleControlState {
    static constexpr std::size_t kNameSize = 260;

    std::uint32_t action;
    char name[kNameSize];     // empty when the command's name did not fit
    std::uint32_t callDepth;  // module calls that have not returned
};

ModuleControlState& ModuleControl();

// w0: the module name (a text address). Each returns 0.
std::uint32_t CmdCallModule(std::uint32_t* arguments);
std::uint32_t CmdJumpModule(std::uint32_t* arguments);
std::uint32_t CmdEndScript(std::uint32_t* arguments);

enum StepResult : int {
    kStepEnded = 0,
    kStepYielded = 1,  // a frame is due
    kStepInvalidScript = 2,
    kStepJumpFailed = 3,
    kStepCallFailed = 4,
};

class ScriptEngineBase : public ScriptCore {
public:
    // A module name of this many characters still fits "SCRIPT\<name>.SOB" in the path buffer.
    static constexpr std::size_t kMaxModuleNameLength = 52;

    ScriptEngineBase();

    // Loads SCRIPT\<name>.SOB; name null = the pending module name. A name that is empty or too
    // long for the path is reported as a missing file.
    int LoadModule(const char* name, SobExecContext* context) override;
    int Step();
    // Empties the stack, forgets the calls and frees every module but the function library;
    // MAIN then sees `bootFlag` in "ScriptBootFlg".
    void ResetModules(std::int32_t bootFlag);

    std::int32_t ScriptBootFlg() const { return static_cast<std::int32_t>(m_scriptBootFlg); }

protected:
    // Runs before the modules are reset.
    virtual void BeforeReset() {}

private:
    std::uint32_t m_scriptBootFlg = 0;
    std::uint32_t m_retAppProc = 0;
};
