// The script engine's side of the TGS frame's host interface: the link tables, the module
// loader and the request word of the engine, the application's frame function, return-to-title
// mark and save folder, the script memory, the atomic whole-file writer and the stop-icon box.
#pragma once

#include "game/interfaces/tgs_host.h"

class ScriptEngine;

class TgsEngineHost : public TgsHost {
public:
    explicit TgsEngineHost(ScriptEngine& engine) : m_engine(engine) {}

    std::uint32_t VariableCount() override;
    bool Variable(std::uint32_t index, std::uint32_t* address, std::uint32_t* bytes) override;
    std::uint32_t CommandCount() override;
    std::uint32_t CommandAddress(std::uint32_t index) override;
    std::uint32_t SymbolCount() override;
    std::uint32_t* Symbol(std::uint32_t index) override;
    std::uint32_t LibraryBase() override;
    std::uint32_t LibrarySize() override;
    std::uint32_t& RequestWord() override;
    std::unique_ptr<TgsSobMachine> CreateMachine(std::uint32_t words) override;
    int LoadSobModule(const char* name, TgsSobMachine& machine) override;
    void UnloadSobModule() override;
    std::uint32_t StartParameter(int index) override;
    int RunFrame() override;
    bool ReturnToTitlePending() override;
    std::string SaveFolder() override;
    ScriptMemory& Memory() override;
    bool IsReadable(std::uint32_t address, std::uint32_t size) override;
    bool TextLength(std::uint32_t address, std::size_t* length, std::size_t limit) override;
    void RegisterMemory(const void* start, std::size_t size, bool writable) override;
    void UnregisterMemory(const void* start) override;
    bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override;
    void ShowStopMessage(const char* text) override;

private:
    ScriptEngine& m_engine;
};
