#include "game/commands/number_commands.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "effects/objects/subtractive_random.h"
#include "framework/runtime/recursive_lock.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/services/mt19937.h"
#include "game/script/script_address.h"
#include "game/script/script_memory.h"
#include "graphics/compose/math_tables.h"

namespace {

using command_args::Int;
using command_args::Result;

struct BadWord {};

const std::int32_t* CosineTable() {
    if (g_mathTables) return g_mathTables->CosFixed();
    // Before the application publishes its tables (and in tests) the commands keep their own.
    static const MathTables own;
    return own.CosFixed();
}

std::int32_t CosineOf(std::uint32_t angle) { return CosineTable()[angle & 511u]; }
std::int32_t SineOf(std::uint32_t angle) { return CosineTable()[(angle - 128u) & 511u]; }

std::uint32_t Sine(std::uint32_t* a) { return Result(SineOf(a[0])); }
std::uint32_t Cosine(std::uint32_t* a) { return Result(CosineOf(a[0])); }

// (value x radius) >> 16 on 64 bits, so that no product overflows; the sum wraps as words do.
std::uint32_t Offset(std::int32_t value, std::int32_t radius) {
    return static_cast<std::uint32_t>((std::int64_t{value} * radius) >> 16);
}

std::uint32_t PointOnCircle(std::uint32_t* a) {
    const std::uint32_t x = a[2] + Offset(CosineOf(a[0]), Int(a[1]));
    const std::uint32_t y = a[3] - Offset(SineOf(a[0]), Int(a[1]));
    // An out word is 0 when the value is not wanted; any other must be writable script memory.
    for (const std::uint32_t out : {a[4], a[5]}) {
        if (out != 0 && !script_memory::IsWritable(out, 4)) throw BadWord{};
    }
    if (a[4] != 0) script_memory::WriteWord(a[4], x);
    if (a[5] != 0) script_memory::WriteWord(a[5], y);
    return 0;
}

std::uint32_t Random(std::uint32_t* a) {
    if (a[0] == 0) return 0;
    return ScriptRandom().Next() % a[0];
}

std::uint32_t SeedRandom(std::uint32_t* a) {
    ScriptRandom().Seed(a[0]);
    return 0;
}

std::uint32_t SystemTicks() { return GetTickCount(); }

struct MtState {
    RecursiveLock lock;
    std::unique_ptr<Mt19937> generator;
    std::uint32_t (*ticks)() = SystemTicks;
};

MtState& Mt() {
    static MtState* state = new MtState;
    return *state;
}

std::uint32_t RandomMt(std::uint32_t* a) {
    MtState& mt = Mt();
    ScopedLock hold(mt.lock);
    if (!mt.generator) {
        mt.generator.reset(new (std::nothrow) Mt19937);
        if (!mt.generator) return Result(-1);
        mt.generator->Seed(mt.ticks());
    }
    if (a[0] == 0) return 0;
    return mt.generator->Next() % a[0];
}

std::uint32_t SeedRandomMt(std::uint32_t* a) {
    MtState& mt = Mt();
    ScopedLock hold(mt.lock);
    if (!mt.generator) {
        mt.generator.reset(new (std::nothrow) Mt19937);
        if (!mt.generator) return 0;
    }
    mt.generator->Seed(a[0]);
    return 1;
}

float FloatOf(std::uint32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof(value));
    return value;
}

std::uint32_t WordOf(float value) {
    std::uint32_t word;
    std::memcpy(&word, &value, sizeof(word));
    return word;
}

std::uint32_t AddFloat(std::uint32_t* a) { return WordOf(FloatOf(a[0]) + FloatOf(a[1])); }
std::uint32_t SubtractFloat(std::uint32_t* a) { return WordOf(FloatOf(a[0]) - FloatOf(a[1])); }
std::uint32_t MultiplyFloat(std::uint32_t* a) { return WordOf(FloatOf(a[0]) * FloatOf(a[1])); }
std::uint32_t DivideFloat(std::uint32_t* a) { return WordOf(FloatOf(a[0]) / FloatOf(a[1])); }

// The first index of the largest (or smallest) value; the n values follow the count and must
// lie in the block's memory.
template <bool Largest>
std::uint32_t IndexOfExtreme(std::uint32_t* a) {
    const std::int32_t count = Int(a[0]);
    if (count <= 1) return 0;
    if (script_memory::ArgumentWords(a, 1, static_cast<std::uint32_t>(count)) < static_cast<std::uint32_t>(count)) {
        throw BadWord{};
    }
    std::int32_t best = 0;
    for (std::int32_t i = 1; i < count; ++i) {
        const std::int32_t value = Int(a[1 + i]);
        const std::int32_t held = Int(a[1 + best]);
        if (Largest ? value > held : value < held) best = i;
    }
    return Result(best);
}

}  // namespace

std::uint32_t XM_CDECL CmdSine(std::uint32_t* a) { return GuardedCommand<Sine, 0>(a); }
std::uint32_t XM_CDECL CmdCosine(std::uint32_t* a) { return GuardedCommand<Cosine, 0>(a); }
std::uint32_t XM_CDECL CmdPointOnCircle(std::uint32_t* a) {
    return GuardedCommand<PointOnCircle, kFailWithScriptFault>(a);
}
std::uint32_t XM_CDECL CmdRandom(std::uint32_t* a) { return GuardedCommand<Random, 0>(a); }
std::uint32_t XM_CDECL CmdSeedRandom(std::uint32_t* a) { return GuardedCommand<SeedRandom, 0>(a); }
std::uint32_t XM_CDECL CmdRandomMt(std::uint32_t* a) { return GuardedCommand<RandomMt, -1>(a); }
std::uint32_t XM_CDECL CmdSeedRandomMt(std::uint32_t* a) { return GuardedCommand<SeedRandomMt, 0>(a); }
std::uint32_t XM_CDECL CmdAddFloat(std::uint32_t* a) { return GuardedCommand<AddFloat, 0>(a); }
std::uint32_t XM_CDECL CmdSubtractFloat(std::uint32_t* a) { return GuardedCommand<SubtractFloat, 0>(a); }
std::uint32_t XM_CDECL CmdMultiplyFloat(std::uint32_t* a) { return GuardedCommand<MultiplyFloat, 0>(a); }
std::uint32_t XM_CDECL CmdDivideFloat(std::uint32_t* a) { return GuardedCommand<DivideFloat, 0>(a); }
std::uint32_t XM_CDECL CmdIndexOfMaximum(std::uint32_t* a) {
    return GuardedCommand<IndexOfExtreme<true>, kFailWithScriptFault>(a);
}
std::uint32_t XM_CDECL CmdIndexOfMinimum(std::uint32_t* a) {
    return GuardedCommand<IndexOfExtreme<false>, kFailWithScriptFault>(a);
}

void SetRandomMtTickSource(std::uint32_t (*ticks)()) {
    MtState& mt = Mt();
    ScopedLock hold(mt.lock);
    mt.ticks = ticks ? ticks : SystemTicks;
}

void DropRandomMt() {
    MtState& mt = Mt();
    ScopedLock hold(mt.lock);
    mt.generator.reset();
}
