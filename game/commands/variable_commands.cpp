#include "game/commands/variable_commands.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/script_string_writer.h"
#include "game/script/script_engine.h"

std::function<void()>& TgsVariableGroupSaver() {
    static std::function<void()> saver;
    return saver;
}

namespace {

using command_args::Result;

// The core's class selectors for a command's scope selector.
struct ClassSelectors {
    std::uint32_t classes[2];
    int count;
};

ClassSelectors ForScope(std::uint32_t scope) {
    switch (scope) {
    case 1: return {{1, 0}, 1};
    case 2: return {{2, 0}, 1};
    case 3: return {{1, 2}, 2};
    default: return {{0, 0}, 1};
    }
}

template <int (ScriptCore::*Operation)(std::uint32_t, std::uint32_t)>
std::uint32_t OverSelected(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    if (!engine) return 0;
    const ClassSelectors selectors = ForScope(a[0]);
    for (int i = 0; i < selectors.count; ++i) (engine->*Operation)(selectors.classes[i], a[1]);
    return 0;
}

std::uint32_t RestoreOne(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    if (!engine) return 1;
    return Result(engine->RestoreOneFromAutoSaveCopy(a[0]));
}

// A file name word: null stays null (the command's default), a bad word is no name, and so is
// a name that with the save folder would not fit a path (260 characters with the terminator).
bool NameOf(std::uint32_t word, std::string& name, bool& isNull) {
    isNull = word == 0;
    if (isNull) return true;
    ScriptEngine* const engine = ScriptEngine::Current();
    return ReadScriptText(word, &name) && engine && engine->SaveFolder().size() + name.size() < MAX_PATH;
}

std::uint32_t WriteFile(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    std::string name;
    bool isNull = false;
    if (!engine || !NameOf(a[0], name, isNull) || isNull) return 1;
    // Scope class 1 is serialised by selector 0.
    return Result(engine->WriteVariableFile(name.c_str(), 0, a[1], a[2], command_args::Bool(a[3])));
}

std::uint32_t ReadHeader(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    std::string name;
    bool isNull = false;
    if (!engine || !NameOf(a[0], name, isNull)) return 1;
    const char* const file = isNull ? engine->VariableGroupFileName().c_str() : name.c_str();
    return Result(engine->ReadVariableFileHeader(file, a[1], a[2]));
}

std::uint32_t ReadVariables(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    std::string name;
    bool isNull = false;
    if (!engine || !NameOf(a[0], name, isNull)) return 1;
    return Result(engine->ReadVariableFile(isNull ? engine->VariableGroupFileName().c_str() : name.c_str()));
}

std::uint32_t SetGroupFile(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    std::string name;
    bool isNull = false;
    if (!engine) return 0;
    if (!NameOf(a[0], name, isNull)) throw std::invalid_argument("bad name word");
    engine->SetVariableGroupFileName(isNull ? nullptr : name.c_str());
    return 0;
}

std::uint32_t SaveGroups(std::uint32_t*) {
    if (TgsVariableGroupSaver()) TgsVariableGroupSaver()();
    ScriptEngine* const engine = ScriptEngine::Current();
    return engine ? Result(engine->WritePersistentData()) : 2;
}

std::uint32_t LoadGroups(std::uint32_t*) {
    ScriptEngine* const engine = ScriptEngine::Current();
    return engine ? Result(engine->ReadVariableGroups(engine->VariableGroupFileName().c_str())) : 1;
}

}  // namespace

std::uint32_t XM_CDECL CmdRestoreVariablesFromSaveState(std::uint32_t* a) {
    return GuardedCommand<OverSelected<&ScriptCore::RestoreFromSaveCopy>, 0>(a);
}
std::uint32_t XM_CDECL CmdClearVariables(std::uint32_t* a) {
    return GuardedCommand<OverSelected<&ScriptCore::ClearVariables>, 0>(a);
}
std::uint32_t XM_CDECL CmdStoreVariablesInChoiceState(std::uint32_t* a) {
    return GuardedCommand<OverSelected<&ScriptCore::StoreToAutoSaveCopy>, 0>(a);
}
std::uint32_t XM_CDECL CmdRestoreVariablesFromChoiceState(std::uint32_t* a) {
    return GuardedCommand<OverSelected<&ScriptCore::RestoreFromAutoSaveCopy>, 0>(a);
}
std::uint32_t XM_CDECL CmdRestoreVariableFromChoiceState(std::uint32_t* a) { return GuardedCommand<RestoreOne, 2>(a); }
std::uint32_t XM_CDECL CmdWriteVariableFile(std::uint32_t* a) { return GuardedCommand<WriteFile, 1>(a); }
std::uint32_t XM_CDECL CmdReadVariableFile(std::uint32_t* a) { return GuardedCommand<ReadHeader, 1>(a); }
std::uint32_t XM_CDECL CmdReadVariableFileVariables(std::uint32_t* a) { return GuardedCommand<ReadVariables, 1>(a); }
std::uint32_t XM_CDECL CmdSetVariableGroupFile(std::uint32_t* a) {
    return GuardedCommand<SetGroupFile, kFailWithScriptFault>(a);
}
std::uint32_t XM_CDECL CmdSaveVariableGroups(std::uint32_t* a) { return GuardedCommand<SaveGroups, 1>(a); }
std::uint32_t XM_CDECL CmdLoadVariableGroups(std::uint32_t* a) { return GuardedCommand<LoadGroups, 1>(a); }
