#include "game/script/script_engine.h"

#include "scenario/tgs/tgs_frame.h"

#include "framework/runtime/timer_resolution.h"
#include "game/script/command_table.h"
#include "effects/objects/subtractive_random.h"
#include "effects/transitions/screen_filters.h"

ScriptEngine* ScriptEngine::s_current = nullptr;

ScriptEngine::ScriptEngine(TaskScheduler* soundFadeScheduler) {
    s_current = this;
    SetSaveServices(nullptr);
    m_soundManager.SetFadeScheduler(soundFadeScheduler);
    ScriptRandom().Seed(CurrentTimeMs());
    for (std::size_t opcode = kModuleControlCommandCount; opcode < kCommandCount; ++opcode) {
        AddCommand(kCommandTable[opcode].handler);
    }
    RegisterScriptEffects();
}

ScriptEngine::~ScriptEngine() {
    // The frame goes first: it writes its text log and frees its modules while the engine it
    // uses is whole.
    if (TgsFrame::Current() && &TgsFrame::Current()->Host() == &m_tgsHost) TgsFrame::DestroyFrame();
    if (s_current == this) s_current = nullptr;
}

void ScriptEngine::RegisterScriptEffects() {
    // The filters themselves are registered at start-up; they draw from the engine's generator.
    SetQuakeTransRandom(&ScriptRandom());
    SetZoomFlipTransRandom(&ScriptRandom());
    m_bootNumber = 1;
}

int ScriptEngine::RestartMain(std::uint32_t argument) {
    const std::int32_t boot = m_bootNumber;
    ResetModules(argument != 0 ? boot : -boot);
    return LoadModule("MAIN", nullptr) == kModuleLoaded ? 0 : 1;
}
