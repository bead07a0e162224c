#include "game/script/script_fault.h"

namespace {
thread_local bool t_scriptFault = false;
}

void RaiseScriptFault() { t_scriptFault = true; }

bool TakeScriptFault() {
    const bool raised = t_scriptFault;
    t_scriptFault = false;
    return raised;
}
