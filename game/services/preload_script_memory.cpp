#include "game/services/preload_script_memory.h"

#include <new>

bool PreloadScriptMemory::Allocated(std::uint16_t count) {
    Freed();
    m_regions.reset(new (std::nothrow) ScriptMemoryRegistration[count]);
    if (!m_regions) return false;
    m_count = count;
    return true;
}

void PreloadScriptMemory::Loaded(std::uint16_t slot, const void* data, std::uint32_t size) {
    if (slot < m_count) m_regions[slot].Reset(data, size, true);
}

void PreloadScriptMemory::Released(std::uint16_t slot) {
    if (slot < m_count) m_regions[slot].Reset();
}

void PreloadScriptMemory::Freed() {
    m_regions.reset();
    m_count = 0;
}
