// SobExecContext: one SOB bytecode machine (program counter, upward-growing word stack,
// accumulator). The script core runs the modules on its own context; the scenario machine keeps
// contexts of its own with the same instruction set.
//
// Operands are 32-bit values or absolute addresses that the linker wrote into the image, and the
// script compiler passes values between instructions by storing into the operand words of later
// instructions, so every operand is read from the image when its instruction runs.
#pragma once

#include <cstdint>
#include <memory>

#include "game/script/compiled_code.h"
#include "game/script/script_memory.h"

// Results of SobExecContext::Interpret.
enum SobRunResult : std::uint32_t {
    kSobReturned = 0,       // a return found the 0 mark
    kSobYielded = 1,        // a stop instruction yielded; pc is after it
    kSobInvalidScript = 2,  // the script faulted; pc is at the faulting instruction
};

class SobExecContext {
public:
    SobExecContext() = default;
    virtual ~SobExecContext();
    SobExecContext(const SobExecContext&) = delete;
    SobExecContext& operator=(const SobExecContext&) = delete;

    // Frees the old stack and makes an empty one of `words` words: 0, or 1 without memory.
    int AllocateStack(std::uint32_t words);
    int SetPc(std::uint32_t address);
    // Each returns 0, or 1 when the stack would overflow (push) or is empty (pop).
    int Push(std::uint32_t value);
    int PushZero();
    int PushReturn();
    int PopReturn();
    // pc = address, push the 0 mark, interpret.
    std::uint32_t Call(std::uint32_t address);
    // Runs from pc until a stop or a return to the 0 mark. Compiled instructions run as native
    // code when they are bound to this context and it runs compiled code; otherwise, and from
    // where native code hands over, they are interpreted by their original opcodes.
    std::uint32_t Interpret();

    // Switches compiled execution off (0) or on: 0; 1 no memory for the compiled code; 2 its
    // entry trampoline does not compile. A failure leaves the context interpreting.
    int SetUseCompiled(std::uint32_t flag);
    bool UsesCompiled() const { return m_useCompiled; }
    // How often Interpret has entered native code, to see where compiled runs hand over.
    std::uint32_t NativeEntries() const { return m_nativeEntries; }
    // The fields that native code bound to this context reads and writes.
    BoundContextFields BoundFields() const;

    // Empties the stack without freeing it.
    void ResetStack() { m_stackPointer = m_stack; }

    std::uint32_t Pc() const { return m_pc; }
    std::uint32_t Accumulator() const { return m_accumulator; }
    void SetAccumulator(std::uint32_t value) { m_accumulator = value; }
    const std::uint32_t* StackBase() const { return m_stack; }
    // Words on the stack, bottom first.
    std::uint32_t StackDepth() const { return static_cast<std::uint32_t>(m_stackPointer - m_stack); }

private:
    bool PushWord(std::uint32_t value);
    bool Pop(std::uint32_t& value);
    // The stack word `byteOffset` bytes below the stack pointer, or null outside the stack.
    std::uint32_t* StackWordBelow(std::uint32_t byteOffset) const;

    // Whether native code bound to this context may run the instruction at pc.
    bool RunsNatively(const CompiledCode& owner) const;

    std::uint32_t* m_stack = nullptr;
    std::uint32_t m_stackWords = 0;
    std::uint32_t m_pc = 0;
    std::uint32_t* m_stackPointer = nullptr;
    std::uint32_t m_accumulator = 0;
    std::uint32_t* m_stackEnd = nullptr;  // after the last stack word, for native bounds checks
    ScriptMemoryRegistration m_stackRegion;  // `lea` hands scripts stack addresses
    std::unique_ptr<CompiledCode> m_compiled;  // the entry trampoline
    bool m_useCompiled = false;
    std::uint32_t m_nativeEntries = 0;
};
