// CallerWord: a 32-bit word a part writes later for whoever gave it (an item's chosen and hover
// flags). Either a word of the program, written directly, or a word of a script, named by its
// script address and written only while ScriptMemory still calls that address writable script
// memory; a write to an address that is no longer so is skipped. The program word and the
// script memory outlive the reference.
#pragma once

#include <cstdint>

class ScriptMemory;

class CallerWord {
public:
    // Refers to nothing; writes are skipped.
    CallerWord() = default;
    static CallerWord Program(std::int32_t* word);
    static CallerWord Script(ScriptMemory* memory, std::uint32_t address);

    // True when the value was written.
    bool Write(std::int32_t value) const;
    bool IsSet() const { return m_word != nullptr || m_memory != nullptr; }

private:
    std::int32_t* m_word = nullptr;
    ScriptMemory* m_memory = nullptr;
    std::uint32_t m_address = 0;
};
