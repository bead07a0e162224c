#include "game/script/sob_exec_context.h"

#include "game/script/script_fault.h"

#include <cstdint>
#include <new>

#include "game/script/command_handler.h"
#include "game/script/script_address.h"
#include "game/script/templates/native_exit.h"

namespace {

// Where an operand names a word of memory. Scripts hold absolute addresses; 0 is what an operand
// that the linker never patched holds, so it is the one address refused.
std::uint32_t* WordAt(std::uint32_t address) { return PointerAt<std::uint32_t>(address); }

constexpr std::uint32_t kTableEnd = 0xFFFFFFFFu;
constexpr std::int32_t kSmallestInt = INT32_MIN;

}  // namespace

SobExecContext::~SobExecContext() {
    m_compiled.reset();
    m_stackRegion.Reset();
    delete[] m_stack;
}

int SobExecContext::AllocateStack(std::uint32_t words) {
    m_stackRegion.Reset();
    delete[] m_stack;
    m_stack = nullptr;
    m_stackWords = 0;
    m_stackPointer = nullptr;
    m_stackEnd = nullptr;
    if (words == 0) {
        return 1;
    }
    m_stack = new (std::nothrow) std::uint32_t[words]();
    if (!m_stack) {
        return 1;
    }
    m_stackWords = words;
    m_stackPointer = m_stack;
    m_stackEnd = m_stack + words;
    if (!m_stackRegion.Reset(m_stack, std::size_t{words} * sizeof(std::uint32_t), true)) {
        delete[] m_stack;
        m_stack = m_stackPointer = m_stackEnd = nullptr;
        m_stackWords = 0;
        return 1;
    }
    return 0;
}

int SobExecContext::SetPc(std::uint32_t address) {
    m_pc = address;
    return 0;
}

bool SobExecContext::PushWord(std::uint32_t value) {
    if (!m_stack || m_stackPointer >= m_stack + m_stackWords) {
        return false;
    }
    *m_stackPointer++ = value;
    return true;
}

bool SobExecContext::Pop(std::uint32_t& value) {
    if (!m_stack || m_stackPointer <= m_stack) {
        return false;
    }
    value = *--m_stackPointer;
    return true;
}

int SobExecContext::Push(std::uint32_t value) {
    return PushWord(value) ? 0 : 1;
}

int SobExecContext::PushZero() {
    return PushWord(0) ? 0 : 1;
}

int SobExecContext::PushReturn() {
    return PushWord(m_pc) ? 0 : 1;
}

int SobExecContext::PopReturn() {
    return Pop(m_pc) ? 0 : 1;
}

std::uint32_t SobExecContext::Call(std::uint32_t address) {
    SetPc(address);
    if (PushZero() != 0) {
        return kSobInvalidScript;
    }
    return Interpret();
}

std::uint32_t* SobExecContext::StackWordBelow(std::uint32_t byteOffset) const {
    if (!m_stack) {
        return nullptr;
    }
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(m_stack);
    const std::uintptr_t top = reinterpret_cast<std::uintptr_t>(m_stackPointer);
    const std::uintptr_t end = base + m_stackWords * sizeof(std::uint32_t);
    if (byteOffset % sizeof(std::uint32_t) != 0 || byteOffset > top - base) {
        return nullptr;
    }
    const std::uintptr_t word = top - byteOffset;
    if (word + sizeof(std::uint32_t) > end) {
        return nullptr;
    }
    return reinterpret_cast<std::uint32_t*>(word);
}

int SobExecContext::SetUseCompiled(std::uint32_t flag) {
    m_compiled.reset();
    m_useCompiled = false;
    if (flag == 0) {
        return 0;
    }
    std::unique_ptr<CompiledCode> code(new (std::nothrow) CompiledCode(BoundFields()));
    if (!code) {
        return 1;
    }
    if (code->Compile(0, 0) != 0) {
        return 2;
    }
    m_compiled = std::move(code);
    m_useCompiled = true;
    return 0;
}

BoundContextFields SobExecContext::BoundFields() const {
    return {AddressOf(&m_pc), AddressOf(&m_stackPointer), AddressOf(&m_accumulator), AddressOf(&m_stack),
            AddressOf(&m_stackEnd)};
}

bool SobExecContext::RunsNatively(const CompiledCode& owner) const {
    return m_useCompiled && m_compiled && owner.IsBoundTo(AddressOf(&m_pc));
}

std::uint32_t SobExecContext::Interpret() {
    // Set when native code has handed over: the instruction at pc is interpreted even when it
    // is compiled, since its native code has just refused it.
    bool handedOver = false;
    for (;;) {
        std::uint32_t* const instruction = WordAt(m_pc);
        if (!instruction) {
            return kSobInvalidScript;
        }
        std::uint32_t opcode = instruction[0];
        if (opcode > 46) {
            const CompiledCode* owner = nullptr;
            const CompiledCode::Instruction* compiled = CompiledCode::Find(m_pc, &owner);
            if (!compiled) {
                return kSobInvalidScript;
            }
            if (!handedOver && RunsNatively(*owner)) {
                ++m_nativeEntries;
                const std::uint32_t result = m_compiled->EntryPoint()();
                if (result == SOB_NATIVE_HAND_OVER) {
                    handedOver = true;
                    continue;
                }
                if (result == SOB_NATIVE_HANDLER_THREW) {
                    if (TakeHandlerFault()) {
                        return kSobInvalidScript;
                    }
                    RethrowHandlerException();
                }
                return result;
            }
            opcode = compiled->opcode;
        }
        handedOver = false;
        // Stop and return are one word long: the word after them may lie past the image.
        const std::uint32_t a = opcode <= 1 ? 0 : instruction[1];
        const std::uint32_t* const operands = instruction + 1;
        // Operand words are fetched lazily per instruction: only the words an instruction has
        // belong to it, and a later instruction's operands may have been rewritten meanwhile.
        auto b = [&] { return operands[1]; };
        auto c = [&] { return operands[2]; };
        auto next = [&](std::uint32_t words) { m_pc = AddressOf(instruction + words); };
        // A store through an operand address; false when the address is 0.
        auto store = [](std::uint32_t address, std::uint32_t value) {
            std::uint32_t* word = WordAt(address);
            if (!word) {
                return false;
            }
            *word = value;
            return true;
        };
        auto load = [](std::uint32_t address, std::uint32_t& value) {
            const std::uint32_t* word = WordAt(address);
            if (!word) {
                return false;
            }
            value = *word;
            return true;
        };

        switch (opcode) {
        case 0:  // stop
            next(1);
            return kSobYielded;
        case 1: {  // return
            std::uint32_t target;
            if (!Pop(target)) {
                return kSobInvalidScript;
            }
            if (target == 0) {
                next(1);
                return kSobReturned;
            }
            m_pc = target;
            break;
        }
        case 2: {  // return with value
            std::uint32_t target;
            if (!Pop(target)) {
                return kSobInvalidScript;
            }
            if (target == 0) {
                next(2);
                return kSobReturned;
            }
            m_accumulator = a;
            m_pc = target;
            break;
        }
        case 3:
            if (!store(a, m_accumulator)) {
                return kSobInvalidScript;
            }
            next(2);
            break;
        case 4:  // call
            if (!PushWord(AddressOf(instruction + 2))) {
                return kSobInvalidScript;
            }
            m_pc = a;
            break;
        case 5: {  // command call
            const CommandHandler handler = reinterpret_cast<CommandHandler>(static_cast<std::uintptr_t>(a));
            if (!handler || !WordAt(c())) {
                return kSobInvalidScript;
            }
            TakeScriptFault();
            const std::uint32_t result = handler(WordAt(b()));
            if (TakeScriptFault()) {
                return kSobInvalidScript;
            }
            // The handler may have rewritten this instruction's result operand: read it again.
            if (!store(c(), result)) {
                return kSobInvalidScript;
            }
            next(4);
            break;
        }
        case 6:
            m_pc = a;
            break;
        case 7: {  // table jump: entry a (counting from 1) of the table after a
            if (a == 0) {
                return kSobInvalidScript;
            }
            for (std::uint32_t i = 1; i <= a; ++i) {
                if (operands[i] == kTableEnd) {
                    return kSobInvalidScript;
                }
            }
            m_pc = operands[a];
            break;
        }
        case 8:
            if (!PushWord(a)) {
                return kSobInvalidScript;
            }
            next(2);
            break;
        case 9: {
            std::uint32_t value;
            if (!load(a, value) || !PushWord(value)) {
                return kSobInvalidScript;
            }
            next(2);
            break;
        }
        case 10: {
            std::uint32_t value;
            if (!WordAt(a) || !Pop(value)) {
                return kSobInvalidScript;
            }
            store(a, value);
            next(2);
            break;
        }
        case 11:
        case 12: {
            // Stack pointer += a (11) or -= a (12) bytes in 32-bit arithmetic: a negative a
            // moves it the other way.
            const std::int64_t bytes = opcode == 11 ? std::int64_t{static_cast<std::int32_t>(a)}
                                                    : -std::int64_t{static_cast<std::int32_t>(a)};
            const std::int64_t depth = std::int64_t{StackDepth()} + bytes / 4;
            if (bytes % 4 != 0 || depth < 0 || depth > std::int64_t{m_stackWords}) {
                return kSobInvalidScript;
            }
            m_stackPointer = m_stack + depth;
            next(2);
            break;
        }
        case 13:
        case 14:
        case 15:
        case 16:
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
        case 24:
        case 25:
        case 41:
        case 42:
        case 43:
        case 44:
        case 45:
        case 46: {
            const std::uint32_t bv = b();
            const std::int32_t sa = static_cast<std::int32_t>(a);
            const std::int32_t sb = static_cast<std::int32_t>(bv);
            if ((opcode >= 16 && opcode <= 18) && (sb == 0 || (sa == kSmallestInt && sb == -1))) {
                return kSobInvalidScript;
            }
            std::uint32_t result = 0;
            switch (opcode) {
            case 13: result = a + bv; break;
            case 14: result = a - bv; break;
            case 15: result = a * bv; break;
            case 16: result = static_cast<std::uint32_t>(sa / sb); break;
            case 17: result = static_cast<std::uint32_t>(sa % sb); break;
            case 18: {
                const std::int32_t r = sa % sb;
                result = r < 0 ? static_cast<std::uint32_t>(r) + bv : static_cast<std::uint32_t>(r);
                break;
            }
            case 19: result = a & bv; break;
            case 20: result = a | bv; break;
            case 21: result = a ^ bv; break;
            case 24: result = static_cast<std::uint32_t>(sa >> (bv & 31)); break;
            case 25: result = a << (bv & 31); break;
            case 41: result = sa < sb; break;
            case 42: result = sa <= sb; break;
            case 43: result = sa > sb; break;
            case 44: result = sa >= sb; break;
            case 45: result = a == bv; break;
            default: result = a != bv; break;
            }
            if (!store(c(), result)) {
                return kSobInvalidScript;
            }
            next(4);
            break;
        }
        case 22:
        case 23:
            if (!store(b(), opcode == 22 ? ~a : (a == 0 ? 1u : 0u))) {
                return kSobInvalidScript;
            }
            next(3);
            break;
        case 26:
        case 27: {
            std::uint32_t value;
            if (!load(a, value)) {
                return kSobInvalidScript;
            }
            store(a, opcode == 26 ? value + 1 : value - 1);
            next(2);
            break;
        }
        case 28:
        case 29: {
            std::uint32_t* word = StackWordBelow(a);
            if (!word) {
                return kSobInvalidScript;
            }
            *word = opcode == 28 ? *word + 1 : *word - 1;
            next(2);
            break;
        }
        case 30:
            if (a == 0) {
                m_pc = b();
            } else {
                next(3);
            }
            break;
        case 31:
            if (!store(b(), a)) {
                return kSobInvalidScript;
            }
            next(3);
            break;
        case 32:
        case 39: {  // [b] = [a]; [b] = [[a]]
            std::uint32_t value;
            if (!load(a, value) || (opcode == 39 && !load(value, value)) || !store(b(), value)) {
                return kSobInvalidScript;
            }
            next(3);
            break;
        }
        case 33: {  // [[b]] = a
            std::uint32_t pointer;
            if (!load(b(), pointer) || !store(pointer, a)) {
                return kSobInvalidScript;
            }
            next(3);
            break;
        }
        case 34:
        case 36:
        case 37: {  // S(b) = a; S(b) = [a]; S(b) = S(a)
            std::uint32_t* target = StackWordBelow(b());
            std::uint32_t value = a;
            if (!target) {
                return kSobInvalidScript;
            }
            if (opcode == 36 && !load(a, value)) {
                return kSobInvalidScript;
            }
            if (opcode == 37) {
                const std::uint32_t* source = StackWordBelow(a);
                if (!source) {
                    return kSobInvalidScript;
                }
                value = *source;
            }
            *target = value;
            next(3);
            break;
        }
        case 35:
        case 38: {  // [b] = S(a); [b] = [S(a)]
            const std::uint32_t* source = StackWordBelow(a);
            std::uint32_t value;
            if (!source) {
                return kSobInvalidScript;
            }
            value = *source;
            if ((opcode == 38 && !load(value, value)) || !store(b(), value)) {
                return kSobInvalidScript;
            }
            next(3);
            break;
        }
        case 40:
            if (!store(b(), AddressOf(m_stackPointer) - a)) {
                return kSobInvalidScript;
            }
            next(3);
            break;
        default:
            return kSobInvalidScript;
        }
    }
}
