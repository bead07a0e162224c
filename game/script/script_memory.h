// Script memory: the memory a script may name by address. Commands that take raw addresses
// (destinations, byte-copy sources, texts, argument lists) look the address up here and stay
// inside the region they find: a word naming memory the program does not hand to scripts is a
// bad word, not a crash.
//
// A region is registered by its owner and dropped before the memory goes: module images and the
// function library (the linker), the machine's stacks (`lea` yields stack addresses), the live
// variable area, the blocks the scripts allocate, a few fields the program hands out for
// writing, loaded file data. Regions do not overlap; registering a start again replaces the old
// region. The set is shared by every thread that runs scripts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/interfaces/script_memory.h"

struct ScriptMemoryRegion {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;  // after the last byte
    bool writable = false;
};

namespace script_memory {

// False without memory for the entry (nothing registered); an empty region is not registered.
bool Register(const void* start, std::size_t size, bool writable);
void Unregister(const void* start);

// The region holding `address`; false when it lies in none.
bool Lookup(std::uint32_t address, ScriptMemoryRegion* region);

// Writable bytes from `address` to the end of its region; 0 when it lies in no writable region.
std::size_t WritableRoom(std::uint32_t address);
// Whether [address, address + size) lies in one writable region (size 0: address in one).
bool IsWritable(std::uint32_t address, std::size_t size);
// Whether [address, address + size) lies in one region (size 0: address in one).
bool IsReadable(std::uint32_t address, std::size_t size);
// Bytes that may be read from `address`: to its region's end, or when it lies in no region the
// committed readable pages from it, at most `limit`.
std::size_t ReadableExtent(std::uint32_t address, std::size_t limit);

// The words of an argument block from word `first` on that lie in the memory the block starts
// in (its region, or the committed readable pages when it lies in none), at most `limit`.
std::size_t ArgumentWords(const std::uint32_t* block, std::size_t first, std::size_t limit);

// The length of the text at `address`: read to its terminator inside its region, or for a text
// in no region (strings the program hands out) over committed readable pages only. False for 0,
// for a text without a terminator there, or one longer than `limit` bytes.
bool TextLength(std::uint32_t address, std::size_t* length, std::size_t limit = 0x7FFFFFFF);
// The same for a text of 16-bit characters; the length counts characters.
bool WideTextLength(std::uint32_t address, std::size_t* length, std::size_t limit = 0x3FFFFFFF);

// A checked 32-bit out word: false, nothing written, when the 4 bytes are not writable script
// memory.
bool WriteWord(std::uint32_t address, std::uint32_t value);

}  // namespace script_memory

// The check the scenario's objects ask before writing a word back for a script, answered from
// the regions above.
ScriptMemory& ProgramScriptMemory();

// A registration held for the life of its memory: registers on construction (or Reset), drops
// on destruction.
class ScriptMemoryRegistration {
public:
    ScriptMemoryRegistration() = default;
    ScriptMemoryRegistration(const void* start, std::size_t size, bool writable) { Reset(start, size, writable); }
    ~ScriptMemoryRegistration() { Reset(); }
    ScriptMemoryRegistration(const ScriptMemoryRegistration&) = delete;
    ScriptMemoryRegistration& operator=(const ScriptMemoryRegistration&) = delete;
    ScriptMemoryRegistration(ScriptMemoryRegistration&& other) noexcept : m_start(other.m_start) {
        other.m_start = nullptr;
    }
    ScriptMemoryRegistration& operator=(ScriptMemoryRegistration&& other) noexcept {
        if (this != &other) {
            Reset();
            m_start = other.m_start;
            other.m_start = nullptr;
        }
        return *this;
    }

    // Drops the old region; registers the new one unless size is 0. False when that failed.
    bool Reset(const void* start = nullptr, std::size_t size = 0, bool writable = false);
    bool Registered() const { return m_start != nullptr; }

private:
    const void* m_start = nullptr;
};
