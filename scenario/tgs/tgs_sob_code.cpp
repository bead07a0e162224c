#include "scenario/tgs/tgs_frame.h"

namespace {

const char kCallFailed[] = "Call命令でスクリプトのロードに失敗";
const char kJumpFailed[] = "Jump命令でスクリプトのロードに失敗";
const char kJumpRefused[] = "システムスクリプト中でJump命令は使用できません";

}  // namespace

std::uint8_t* TgsFrame::RunInlineSystemScript(std::uint8_t* at) {
    CodeBlock block;
    if (!m_machine || !ParseBlock(at + 1, true, block) || !LinkBlock(block)) return Damaged();
    const std::uint32_t result = m_machine->Call(reinterpret_cast<std::uint32_t>(block.code));
    if (result == TgsSobMachine::kInvalid) return Damaged();
    if (result == TgsSobMachine::kYielded) {
        const std::int32_t outcome = RunSobCode(false, true);
        if (outcome == kTgsDamagedScript) return Damaged();
        if (outcome != 0) return nullptr;
    }
    return block.end;
}

std::int32_t TgsFrame::RunSobCode(bool allowJump, bool alreadyStarted) {
    if (!m_machine) return 1;
    std::uint32_t& request = m_host.RequestWord();
    std::uint32_t state = alreadyStarted ? static_cast<std::uint32_t>(TgsSobMachine::kYielded) : m_machine->Interpret();
    std::uint32_t depth = 0;
    // Modules a call loaded are freed again whatever ends the run.
    auto finish = [&](std::int32_t result) {
        for (; depth > 0; --depth) {
            m_host.UnloadSobModule();
            m_machine->PopReturn();
        }
        return result;
    };
    for (;;) {
        if (state == TgsSobMachine::kInvalid) {
            request = TgsHost::kRequestNone;
            return finish(kTgsDamagedScript);
        }
        const bool running = state == TgsSobMachine::kYielded;
        switch (request) {
        case TgsHost::kRequestNone:
            if (running) {
                if (m_host.RunFrame() == 0) return finish(-1);
            } else if (depth == 0) {
                return 0;
            } else {
                m_host.UnloadSobModule();
                --depth;
                if (m_machine->PopReturn() != 0) return finish(kTgsDamagedScript);
            }
            break;
        case TgsHost::kRequestCall:
            request = TgsHost::kRequestNone;
            if (m_machine->PushReturn() != 0) return finish(kTgsDamagedScript);
            if (m_host.LoadSobModule(nullptr, *m_machine) != 0) {
                m_host.ShowStopMessage(kCallFailed);
                m_machine->PopReturn();
                return finish(1);
            }
            ++depth;
            break;
        case TgsHost::kRequestJump:
            request = TgsHost::kRequestNone;
            if (!allowJump) {
                m_host.ShowStopMessage(kJumpRefused);
                return finish(3);
            }
            m_host.UnloadSobModule();
            if (m_host.LoadSobModule(nullptr, *m_machine) != 0) {
                m_host.ShowStopMessage(kJumpFailed);
                // The jump freed the module the run stood in: nothing is left to unload at its level.
                if (depth > 0) {
                    --depth;
                    m_machine->PopReturn();
                } else {
                    m_executor.sobModuleFreed = true;
                }
                return finish(2);
            }
            break;
        case TgsHost::kRequestQuit:
            request = TgsHost::kRequestNone;
            return finish(-1);
        default:
            // An unknown request is dropped; the code goes on as with none.
            request = TgsHost::kRequestNone;
            continue;
        }
        state = m_machine->Interpret();
    }
}

std::int32_t TgsFrame::RunSystemScript(const char* name) {
    if (!m_machine) return 1;
    m_machine->Reset();
    if (m_host.LoadSobModule(name, *m_machine) != 0) return 2;
    m_executor.sobModuleFreed = false;
    const std::int32_t result = RunSobCode(true, false);
    // A jump that failed to load freed the system script's module already.
    if (!m_executor.sobModuleFreed) m_host.UnloadSobModule();
    return result;
}
