// One writable script-memory region with guard bytes before and after it, for the tests that
// feed commands hostile words: a command that writes outside script memory spoils a guard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game/script/script_memory.h"

namespace commandtest {

class GuardedRegion {
public:
    static constexpr std::size_t kGuard = 64;
    static constexpr std::size_t kSize = 512;
    static constexpr std::uint8_t kGuardByte = 0xCD;

    GuardedRegion() : m_bytes(2 * kGuard + kSize, kGuardByte) {
        std::memset(Bytes(), 0, kSize);
        m_registration.Reset(Bytes(), kSize, true);
    }
    std::uint8_t* Bytes() { return m_bytes.data() + kGuard; }
    bool GuardsIntact() const {
        for (std::size_t i = 0; i < m_bytes.size(); ++i) {
            if ((i < kGuard || i >= kGuard + kSize) && m_bytes[i] != kGuardByte) return false;
        }
        return true;
    }

private:
    std::vector<std::uint8_t> m_bytes;
    ScriptMemoryRegistration m_registration;
};

}  // namespace commandtest
