#include "game/script/script_engine_base.h"

#include <cstdio>
#include <cstring>

#include "game/script/command_table.h"
#include "game/script/script_address.h"

namespace {

std::uint32_t SetPendingModule(std::uint32_t action, std::uint32_t* arguments) {
    ModuleControlState& control = ModuleControl();
    control.action = action;
    control.name[0] = '\0';
    const char* name = arguments ? PointerAt<const char>(arguments[0]) : nullptr;
    if (name) {
        const std::size_t length = strnlen(name, ModuleControlState::kNameSize);
        // A name that does not fit is kept empty, so that loading it fails instead of loading
        // a module of a cut name.
        if (length < ModuleControlState::kNameSize) {
            std::memcpy(control.name, name, length + 1);
        }
    }
    return 0;
}

}  // namespace

ModuleControlState& ModuleControl() {
    static ModuleControlState state;
    return state;
}

std::uint32_t XM_CDECL CmdCallModule(std::uint32_t* arguments) {
    return SetPendingModule(kModuleActionCall, arguments);
}

std::uint32_t XM_CDECL CmdJumpModule(std::uint32_t* arguments) {
    return SetPendingModule(kModuleActionJump, arguments);
}

std::uint32_t XM_CDECL CmdEndScript(std::uint32_t* /*arguments*/) {
    ModuleControl().action = kModuleActionEnd;
    return 0;
}

ScriptEngineBase::ScriptEngineBase() {
    ModuleControl().action = kModuleActionNone;
    ModuleControl().callDepth = 0;
    for (std::size_t opcode = 0; opcode < kModuleControlCommandCount; ++opcode) {
        AddCommand(kCommandTable[opcode].handler);
    }
    AddNamedSymbol("ScriptBootFlg", &m_scriptBootFlg);
    AddNamedSymbol("retAppProc", &m_retAppProc);
}

int ScriptEngineBase::LoadModule(const char* name, SobExecContext* context) {
    if (!name) {
        name = ModuleControl().name;
    }
    const std::size_t length = strnlen(name, kMaxModuleNameLength + 1);
    if (length == 0 || length > kMaxModuleNameLength) {
        return kModuleFileMissing;
    }
    char path[64];
    std::snprintf(path, sizeof(path), "SCRIPT\\%s.SOB", name);
    return ScriptCore::LoadModule(path, context);
}

int ScriptEngineBase::Step() {
    ModuleControlState& control = ModuleControl();
    SobExecContext& context = Context();
    for (;;) {
        const std::uint32_t result = context.Interpret();
        if (result == kSobInvalidScript) {
            return kStepInvalidScript;
        }
        switch (control.action) {
        case kModuleActionNone:
            if (result != kSobReturned) {
                return static_cast<int>(result);
            }
            if (control.callDepth == 0) {
                return kStepEnded;
            }
            --control.callDepth;
            UnloadModule();
            if (context.PopReturn() != 0) {
                return kStepInvalidScript;
            }
            break;
        case kModuleActionJump:
            // A jump must be followed by the return to the module's mark.
            if (result != kSobReturned) {
                return kStepInvalidScript;
            }
            UnloadModule();
            if (LoadModule(nullptr, nullptr) != kModuleLoaded) {
                // The pc pointed into the module just freed: a further step must not run it.
                context.SetPc(0);
                return kStepJumpFailed;
            }
            control.action = kModuleActionNone;
            break;
        case kModuleActionCall:
            // A call must be followed by a stop, where the caller resumes.
            if (result == kSobReturned) {
                return kStepInvalidScript;
            }
            if (context.PushReturn() != 0) {
                return kStepInvalidScript;
            }
            if (LoadModule(nullptr, nullptr) != kModuleLoaded) {
                context.PopReturn();
                control.action = kModuleActionNone;
                return kStepCallFailed;
            }
            ++control.callDepth;
            control.action = kModuleActionNone;
            break;
        case kModuleActionEnd:
            return kStepEnded;
        default:
            control.action = kModuleActionNone;
            break;
        }
    }
}

void ScriptEngineBase::ResetModules(std::int32_t bootFlag) {
    BeforeReset();
    m_scriptBootFlg = static_cast<std::uint32_t>(bootFlag);
    Context().ResetStack();
    // Until MAIN loads again nothing is left to run: a step before that reports an invalid script.
    Context().SetPc(0);
    ModuleControl().callDepth = 0;
    // A command of the abandoned run must not act on the new one.
    ModuleControl().action = kModuleActionNone;
    PopModulesTo(HasLibrary() ? 1 : 0);
}
