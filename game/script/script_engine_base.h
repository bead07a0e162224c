// ScriptEngineBase: the module-control layer of the script machine. Commands 0-2 ask for a
// module call, a module jump or the end of the script; ScriptEngineBase::Step runs the
// interpreter and carries out what they asked once the module has stopped or returned.
#pragma once

#include <cstdint>

#include "game/script/script_core.h"
#include "game/script/voice_table.h"

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
std::uint32_t XM_CDECL CmdCallModule(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdJumpModule(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdEndScript(std::uint32_t* arguments);

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
    ~ScriptEngineBase() override;

    // Loads SCRIPT\<name>.SOB; name null = the pending module name. A name that is empty or too
    // long for the path is reported as a missing file.
    int LoadModule(const char* name, SobExecContext* context) override;
    int Step();
    // Empties the stack, forgets the calls and frees every module but the function library;
    // MAIN then sees `bootFlag` in "ScriptBootFlg".
    void ResetModules(std::int32_t bootFlag);

    std::int32_t ScriptBootFlg() const { return static_cast<std::int32_t>(m_scriptBootFlg); }

    // Reads the voice table (SCRIPT\VOICEINF.DAT at the start) through the virtual file system,
    // freeing the previous one first. A missing or damaged file leaves the table empty and the
    // scripts go on without voices; the result tells which (see VoiceTableResult).
    int LoadVoiceTable(const char* path);
    VoiceTable& Voices() { return m_voices; }

    // The persistent variable file in the save folder: the voice states and the class-2 variables.
    void SetPersistentFileName(const char* name) { m_persistentFileName = name ? name : ""; }
    // 0; 1 no name; 2 no memory; 3 the file cannot be created.
    int WritePersistentFile(const char* name);
    // 0; 1 no name or no file; 2 damaged (nothing changes). The voice fields are restored only
    // when the file holds as many voices as the table.
    int ReadPersistentFile(const char* name);
    // Writes the persistent file and the variable-group file, whichever has a name: the first
    // failure, else 0; 2 when neither has a name.
    int WritePersistentData();

    // Script-named variable files in the save folder. numberVariable and textVariable are the
    // addresses of a number variable and a text variable stored in the file's header (0: none).
    // 0; 1 number variable not a number, 2 text variable not a text through a pointer, 3 no such
    // variable; -1 when both are absent.
    int FindVariableSizes(std::uint32_t numberVariable, std::uint32_t textVariable, std::uint32_t& numberSize,
                          std::uint32_t& textSize);
    // 0; 1 no name or the file cannot be created; 2 no variable selected; 3 no memory; 4 the
    // header variables are not usable.
    int WriteVariableFile(const char* name, std::uint8_t selector, std::uint32_t numberVariable,
                          std::uint32_t textVariable, bool fromAutoSave);
    // 0; 1 no file; 2 a field is empty or the file is damaged; 3 the header variables are not
    // usable or a stored field is larger than its variable.
    int ReadVariableFileHeader(const char* name, std::uint32_t numberVariable, std::uint32_t textVariable);
    // 0; 1 no file; 2 damaged, a wrong checksum or variables that do not match (nothing changes).
    int ReadVariableFile(const char* name);

protected:
    // Runs before the modules are reset.
    virtual void BeforeReset() {}

private:
    std::uint32_t m_scriptBootFlg = 0;
    std::uint32_t m_retAppProc = 0;
    std::string m_persistentFileName;
    VoiceTable m_voices;
};
