#include "game/script/tgs_engine_host.h"

#include "game/app/application.h"
#include "game/script/script_engine.h"
#include "game/script/script_files.h"
#include "game/script/script_memory.h"

namespace {

class EngineMachine : public TgsSobMachine {
public:
    std::uint32_t Call(std::uint32_t address) override { return context.Call(address); }
    std::uint32_t Interpret() override { return context.Interpret(); }
    int PushReturn() override { return context.PushReturn(); }
    int PopReturn() override { return context.PopReturn(); }
    void Reset() override { context.ResetStack(); }

    SobExecContext context;
};

}  // namespace

std::uint32_t TgsEngineHost::VariableCount() {
    return static_cast<std::uint32_t>(m_engine.LiveVariables().Entries().size());
}

bool TgsEngineHost::Variable(std::uint32_t index, std::uint32_t* address, std::uint32_t* bytes) {
    const auto& entries = m_engine.LiveVariables().Entries();
    if (index >= entries.size()) return false;
    *address = entries[index].address;
    *bytes = entries[index].size;
    return true;
}

std::uint32_t TgsEngineHost::CommandCount() { return static_cast<std::uint32_t>(m_engine.Commands().size()); }

std::uint32_t TgsEngineHost::CommandAddress(std::uint32_t index) {
    return index < m_engine.Commands().size() ? reinterpret_cast<std::uint32_t>(m_engine.Commands()[index]) : 0;
}

std::uint32_t TgsEngineHost::SymbolCount() { return m_engine.NamedSymbolCount(); }

std::uint32_t* TgsEngineHost::Symbol(std::uint32_t index) { return m_engine.NamedSymbolAddress(index); }

std::uint32_t TgsEngineHost::LibraryBase() {
    return m_engine.HasLibrary() ? reinterpret_cast<std::uint32_t>(m_engine.LibraryCode()) : 0;
}

std::uint32_t TgsEngineHost::LibrarySize() { return m_engine.HasLibrary() ? m_engine.Module(0).imageSize : 0; }

std::uint32_t& TgsEngineHost::RequestWord() { return ModuleControl().action; }

std::unique_ptr<TgsSobMachine> TgsEngineHost::CreateMachine(std::uint32_t words) {
    std::unique_ptr<EngineMachine> machine(new EngineMachine);
    if (machine->context.AllocateStack(words) != 0) return nullptr;
    return machine;
}

int TgsEngineHost::LoadSobModule(const char* name, TgsSobMachine& machine) {
    return m_engine.LoadModule(name, &static_cast<EngineMachine&>(machine).context);
}

void TgsEngineHost::UnloadSobModule() { m_engine.UnloadModule(); }

std::uint32_t TgsEngineHost::StartParameter(int index) { return m_engine.TgsStartParameter(index); }

int TgsEngineHost::RunFrame() {
    Application* app = Application::Current();
    return app ? app->RunFrame() : 1;
}

bool TgsEngineHost::ReturnToTitlePending() {
    Application* app = Application::Current();
    return app && app->restartRequest != 0;
}

std::string TgsEngineHost::SaveFolder() { return m_engine.SaveFolder(); }

ScriptMemory& TgsEngineHost::Memory() { return ProgramScriptMemory(); }

bool TgsEngineHost::IsReadable(std::uint32_t address, std::uint32_t size) {
    return script_memory::IsReadable(address, size);
}

bool TgsEngineHost::TextLength(std::uint32_t address, std::size_t* length, std::size_t limit) {
    return script_memory::TextLength(address, length, limit);
}

void TgsEngineHost::RegisterMemory(const void* start, std::size_t size, bool writable) {
    script_memory::Register(start, size, writable);
}

void TgsEngineHost::UnregisterMemory(const void* start) { script_memory::Unregister(start); }

bool TgsEngineHost::WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return ::WriteWholeFile(path, bytes);
}

void TgsEngineHost::ShowStopMessage(const char* text) {
    if (Application* app = Application::Current()) app->RequestMessageBox(0, text, 4, nullptr);
}
