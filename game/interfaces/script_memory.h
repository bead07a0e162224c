// ScriptMemory: the running scenario's check that a script address names memory a script may
// write. Objects that write a word back for a script later (a UI part's chosen and hover flags)
// keep the address and ask again before every write, since the script may have freed that
// memory since it handed the address over. The scenario implements it; the pointer handed to
// the writers stays valid while they live. Used on the game thread.
#pragma once

#include <cstdint>

class ScriptMemory {
public:
    virtual ~ScriptMemory() = default;
    // The bytes at [address, address + size) when all of them are writable script memory now,
    // else null.
    virtual void* WritableBytes(std::uint32_t address, std::uint32_t size) = 0;
};
