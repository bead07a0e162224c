#include "game/script/variable_table.h"

#include <cstring>

#include "game/script/script_address.h"

void VariableTable::Build(const std::uint8_t* area, std::uint32_t areaSize,
                          const std::vector<VariableDefinition>& definitions,
                          const std::vector<AreaRelocation>& relocations) {
    m_area.assign((static_cast<std::size_t>(areaSize) + 3) / 4, 0);
    if (areaSize != 0) {
        std::memcpy(m_area.data(), area, areaSize);
    }
    std::uint8_t* const base = Area();
    m_entries.clear();
    m_pointerSlots.clear();
    for (const VariableDefinition& definition : definitions) {
        VariableEntry entry{AddressOf(base + definition.offset), definition.kind, definition.attribute, definition.size};
        if (definition.kind == kVariableTextPointer) {
            m_pointerSlots.push_back(entry.address);
        }
        m_entries.push_back(entry);
    }
    // The slots are final only now: entries point at them once the vector stops growing.
    std::size_t slot = 0;
    for (VariableEntry& entry : m_entries) {
        if (entry.kind == kVariableTextPointer) {
            entry.address = AddressOf(&m_pointerSlots[slot++]);
        }
    }
    for (const AreaRelocation& relocation : relocations) {
        const std::uint32_t target = AddressOf(base + relocation.target);
        std::memcpy(base + relocation.at, &target, sizeof(target));
    }
}

std::uint8_t* VariableTable::Data(std::uint32_t entry) const {
    const VariableEntry& variable = m_entries[entry];
    std::uint32_t address = variable.address;
    if (variable.kind == kVariableTextPointer) {
        address = *PointerAt<const std::uint32_t>(address);
    }
    return PointerAt<std::uint8_t>(address);
}
