// FakeTgsHost: the script machine and application as the TGS frame sees them, in memory. A few
// variables (arrays of words), a recording command, named symbol 0, a small library, files in
// a map (also what the frame writes), a frame function that answers 1 a set number of times, and
// a SOB machine that runs a tiny code of its own: words {op, a, b} read unaligned,
//   0 return   1 [b] = a   2 [b] = [a]   3 yield   4 request word = a (name in b's text, or none)
//   5 invalid  6 call the command at address a
// Fixups of SOB blocks patch these words exactly as they patch real SOB code.
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/interfaces/script_memory.h"
#include "game/interfaces/tgs_host.h"
#include "scenario/tgs/tgs_script.h"

namespace testsupport {

class FakeTgsHost : public TgsHost, public ScriptMemory {
public:
    // Words of a fake SOB instruction.
    static std::vector<std::uint8_t> Op(std::uint32_t op, std::uint32_t a = 0, std::uint32_t b = 0) {
        std::vector<std::uint8_t> out;
        for (std::uint32_t word : {op, a, b}) {
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
        }
        return out;
    }

    class Machine : public TgsSobMachine {
    public:
        explicit Machine(FakeTgsHost& host) : m_host(host) {}
        std::uint32_t Call(std::uint32_t address) override {
            m_pc = address;
            ++m_host.calls;
            return Interpret();
        }
        std::uint32_t Interpret() override {
            if (m_host.inert) return kReturned;
            for (int steps = 0; steps < 1000; ++steps) {
                std::uint32_t w[3];
                std::memcpy(w, reinterpret_cast<const void*>(m_pc), 12);
                m_pc += 12;
                switch (w[0]) {
                case 0: return kReturned;
                case 1: std::memcpy(reinterpret_cast<void*>(w[2]), &w[1], 4); break;
                case 2: std::memcpy(reinterpret_cast<void*>(w[2]), reinterpret_cast<const void*>(w[1]), 4); break;
                case 3: return kYielded;
                case 4:
                    m_host.request = w[1];
                    m_host.requestName = w[2] ? reinterpret_cast<const char*>(w[2]) : "";
                    break;
                case 6: reinterpret_cast<std::uint32_t (*)(std::uint32_t*)>(w[1])(nullptr); break;
                default: return kInvalid;
                }
            }
            return kInvalid;
        }
        int PushReturn() override {
            m_stack.push_back(m_pc);
            return 0;
        }
        int PopReturn() override {
            if (m_stack.empty()) return 1;
            m_pc = m_stack.back();
            m_stack.pop_back();
            return 0;
        }
        void Reset() override { m_stack.clear(); }
        void SetPc(std::uint32_t pc) { m_pc = pc; }

    private:
        FakeTgsHost& m_host;
        std::uint32_t m_pc = 0;
        std::vector<std::uint32_t> m_stack;
    };

    FakeTgsHost() {
        arrays.assign(3, std::vector<std::uint32_t>(4, 0));
        library.assign(64, 0);
        s_commandCount = 0;
    }

    static std::uint32_t RecordingCommand(std::uint32_t*) {
        ++s_commandCount;
        return 0;
    }
    static int CommandCalls() { return s_commandCount; }

    std::uint32_t VariableCount() override { return static_cast<std::uint32_t>(arrays.size()); }
    bool Variable(std::uint32_t index, std::uint32_t* address, std::uint32_t* bytes) override {
        if (index >= arrays.size()) return false;
        *address = reinterpret_cast<std::uint32_t>(arrays[index].data());
        *bytes = static_cast<std::uint32_t>(arrays[index].size() * 4);
        return true;
    }
    std::uint32_t CommandCount() override { return 2; }
    std::uint32_t CommandAddress(std::uint32_t) override { return reinterpret_cast<std::uint32_t>(&RecordingCommand); }
    std::uint32_t SymbolCount() override { return 2; }
    std::uint32_t* Symbol(std::uint32_t index) override { return index < 2 ? &symbols[index] : nullptr; }
    std::uint32_t LibraryBase() override { return reinterpret_cast<std::uint32_t>(library.data()); }
    std::uint32_t LibrarySize() override { return static_cast<std::uint32_t>(library.size()); }
    std::uint32_t& RequestWord() override { return request; }
    std::unique_ptr<TgsSobMachine> CreateMachine(std::uint32_t) override {
        return std::unique_ptr<TgsSobMachine>(new Machine(*this));
    }
    int LoadSobModule(const char* name, TgsSobMachine& machine) override {
        const std::string wanted = name ? name : requestName;
        loads.push_back(wanted);
        auto found = sobModules.find(wanted);
        if (found == sobModules.end()) return 1;
        static_cast<Machine&>(machine).SetPc(reinterpret_cast<std::uint32_t>(found->second.data()));
        ++loadedSob;
        return 0;
    }
    void UnloadSobModule() override {
        --loadedSob;
        ++unloads;
    }
    std::uint32_t StartParameter(int index) override { return index >= 0 && index < 6 ? startParameters[index] : 0; }
    int RunFrame() override {
        ++frames;
        return frames <= framesBeforeQuit ? 1 : 0;
    }
    bool ReturnToTitlePending() override { return returnToTitle; }
    std::string SaveFolder() override { return "SAVE\\"; }
    ScriptMemory& Memory() override { return *this; }
    void* WritableBytes(std::uint32_t address, std::uint32_t size) override {
        for (const auto& region : regions) {
            if (address >= region.first && address + size <= region.first + region.second) {
                return reinterpret_cast<void*>(address);
            }
        }
        for (auto& array : arrays) {
            const std::uint32_t start = reinterpret_cast<std::uint32_t>(array.data());
            if (address >= start && address + size <= start + array.size() * 4) return reinterpret_cast<void*>(address);
        }
        return nullptr;
    }
    bool IsReadable(std::uint32_t address, std::uint32_t size) override { return WritableBytes(address, size) != nullptr; }
    bool TextLength(std::uint32_t address, std::size_t* length, std::size_t limit) override {
        for (const auto& region : regions) {
            if (address >= region.first && address < region.first + region.second) {
                const char* text = reinterpret_cast<const char*>(address);
                const std::size_t room = region.first + region.second - address;
                for (std::size_t i = 0; i < room && i <= limit; ++i) {
                    if (text[i] == 0) {
                        *length = i;
                        return true;
                    }
                }
            }
        }
        return false;
    }
    void RegisterMemory(const void* start, std::size_t size, bool) override {
        regions[reinterpret_cast<std::uint32_t>(start)] = static_cast<std::uint32_t>(size);
    }
    void UnregisterMemory(const void* start) override { regions.erase(reinterpret_cast<std::uint32_t>(start)); }
    bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
        if (refuseWrites) return false;
        files[path] = bytes;
        ++writes;
        return true;
    }
    void ShowStopMessage(const char* text) override { messages.push_back(text); }

    // The module loader's file source over `files` (copies, which the loader owns).
    TgsFileSource Files() {
        return [this](const std::string& path, TgsFileImage& image) {
            // File names are case-blind, as on the player's disk.
            auto found = files.begin();
            while (found != files.end() && UpperCaseSjis(found->first) != UpperCaseSjis(path)) ++found;
            if (found == files.end()) return false;
            auto bytes = std::make_shared<std::vector<std::uint8_t>>(found->second);
            image.keeper = bytes;
            image.data = bytes->data();
            image.size = static_cast<std::uint32_t>(bytes->size());
            return true;
        };
    }

    std::vector<std::vector<std::uint32_t>> arrays;
    std::uint32_t symbols[2] = {0, 0};
    std::vector<std::uint8_t> library;
    std::uint32_t request = 0;
    std::string requestName;
    std::map<std::string, std::vector<std::uint8_t>> sobModules;
    std::vector<std::string> loads;
    int loadedSob = 0;
    int unloads = 0;
    int calls = 0;
    std::uint32_t startParameters[6] = {};
    int frames = 0;
    int framesBeforeQuit = 1000;
    bool returnToTitle = false;
    bool refuseWrites = false;
    bool inert = false;  // the machine runs no code (for damaged texts)
    int writes = 0;
    std::map<std::uint32_t, std::uint32_t> regions;
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::vector<std::string> messages;

private:
    static int s_commandCount;
};

inline int FakeTgsHost::s_commandCount = 0;

}  // namespace testsupport
