// The script variables: one area of bytes laid out by the variable module, the entries that
// describe each variable in it, and the pointer slots of the texts held through a pointer. The
// script core keeps a live table and, when asked, a save copy and an auto-save copy built alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What a variable holds.
enum VariableKind : std::uint8_t {
    kVariableInArea = 0,       // a number or fixed block held in the area
    kVariableTextPointer = 1,  // a text buffer reached through a pointer slot
    kVariableTextInArea = 2,   // a text held in the area
};

struct VariableEntry {
    // The variable in the area, or for kVariableTextPointer the address of its pointer slot.
    std::uint32_t address;
    std::uint8_t kind;
    std::uint8_t attribute;  // class: 0 ordinary, 1 kept in save files, 2 persistent
    std::uint32_t size;      // bytes (for kVariableTextPointer, of its text buffer)
};

struct VariableDefinition {
    std::uint8_t kind;
    std::uint8_t attribute;
    std::uint32_t offset;
    std::uint32_t size;
};

struct AreaRelocation {
    std::uint32_t at;      // area offset of a 32-bit word
    std::uint32_t target;  // area offset the word must point to
};

class VariableTable {
public:
    // Copies the area, builds the entries and pointer slots and applies the relocations. The
    // definitions and relocations have been checked against the area by the caller.
    void Build(const std::uint8_t* area, std::uint32_t areaSize, const std::vector<VariableDefinition>& definitions,
               const std::vector<AreaRelocation>& relocations);

    const std::vector<VariableEntry>& Entries() const { return m_entries; }
    // The bytes a variable's value lives in: the area, or the text buffer its slot points at.
    std::uint8_t* Data(std::uint32_t entry) const;
    std::uint8_t* Area() { return reinterpret_cast<std::uint8_t*>(m_area.data()); }
    std::size_t AreaSize() const { return m_area.size() * sizeof(std::uint32_t); }
    const std::uint32_t* PointerSlots() const { return m_pointerSlots.data(); }
    std::size_t PointerSlotCount() const { return m_pointerSlots.size(); }

private:
    // Words, so that the area and its numbers are aligned for the scripts.
    std::vector<std::uint32_t> m_area;
    std::vector<VariableEntry> m_entries;
    std::vector<std::uint32_t> m_pointerSlots;
};
