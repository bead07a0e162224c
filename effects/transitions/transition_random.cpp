#include "effects/transitions/transition_random.h"

#include <memory>
#include <new>

#include "framework/runtime/clock.h"

namespace {

Clock* g_seedClock = nullptr;

std::uint32_t SeedTime() { return (g_seedClock ? *g_seedClock : SystemClock()).Milliseconds(); }

std::unique_ptr<std::uint8_t[]>& TableHolder() {
    static std::unique_ptr<std::uint8_t[]> table;
    return table;
}

}  // namespace

void SetTransitionRandomClock(Clock* clock) { g_seedClock = clock; }

SubtractiveRandom& TransitionRandom() {
    static SubtractiveRandom generator = [] {
        SubtractiveRandom seeded;
        seeded.Seed(SeedTime());
        return seeded;
    }();
    return generator;
}

bool EnsureTransitionRandomTable() {
    std::unique_ptr<std::uint8_t[]>& table = TableHolder();
    if (table) return true;
    table.reset(new (std::nothrow) std::uint8_t[256]);
    if (!table) return false;
    SubtractiveRandom& random = TransitionRandom();
    random.Seed(0);
    for (int i = 0; i < 256; ++i) table[i] = static_cast<std::uint8_t>(random.Next());
    random.Seed(SeedTime());
    return true;
}

const std::uint8_t* TransitionRandomTable() { return TableHolder().get(); }

void ReleaseTransitionRandomTable() { TableHolder().reset(); }
