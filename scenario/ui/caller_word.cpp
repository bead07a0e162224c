#include "scenario/ui/caller_word.h"

#include <cstring>

#include "game/interfaces/script_memory.h"

CallerWord CallerWord::Program(std::int32_t* word) {
    CallerWord reference;
    reference.m_word = word;
    return reference;
}

CallerWord CallerWord::Script(ScriptMemory* memory, std::uint32_t address) {
    CallerWord reference;
    reference.m_memory = memory;
    reference.m_address = address;
    return reference;
}

bool CallerWord::Write(std::int32_t value) const {
    if (m_word) {
        *m_word = value;
        return true;
    }
    if (!m_memory) return false;
    void* const bytes = m_memory->WritableBytes(m_address, sizeof value);
    if (!bytes) return false;
    // Script words need not be aligned.
    std::memcpy(bytes, &value, sizeof value);
    return true;
}
