// CompiledCode: the template compiler that turns a range of SOB bytecode into native x86 code.
//
// Each instruction becomes a copy of its machine-code template with the holes filled in: the
// addresses of the instruction's own words and of the next instruction, and of the bound
// context's fields. The bytecode stays the program's data: operands are read from it, results
// written into it, and every opcode word of the range is replaced by the native address of its
// instruction's code, so a jump reaches native code through the bytecode address it names.
// The original opcodes are kept, so that a context that is not bound to the code (or that has
// handed over to its interpreter) can still interpret the range, and releasing the code puts them
// back.
//
// The native code of a block starts with the entry trampoline; a context calls its own (compiled
// from an empty range) to run native code from its pc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/script/command_handler.h"

constexpr std::size_t kTemplateCount = 48;      // opcodes 0-46 and the trampoline
constexpr std::uint32_t kTrampolineEntry = 47;  // also the first opcode that never compiles

// Template codes: a byte, or a hole that is filled with an address.
enum TemplateCode : std::uint16_t {
    kCodeLastByte = 0x00FF,
    kCodeCurrentWord = 0xFD00,  // + n: word n of this instruction (n <= its operand count)
    kCodeNextWord = 0xFE00,     // the next instruction (after the last one: the range's end)
    kCodePc = 0xFF00,
    kCodeStackPointer = 0xFF01,
    kCodeAccumulator = 0xFF02,
    kCodeStackBase = 0xFF03,      // the field that holds the stack's first word
    kCodeStackEnd = 0xFF04,       // the field that holds the address after the stack's last word
    kCodeInvokeCommand = 0xFF05,  // SobInvokeCommand
    kCodeRangeStart = 0xFF06,     // the compiled range's first byte
    kCodeRangeLength = 0xFF07,    // its length in bytes (a number, not an address)
    kCodeStarts = 0xFF08,         // the range's table of instruction starts (InstructionStarts)
    kCodeResolveTarget = 0xFF09,  // SobResolveTarget
    kCodeEnd = 0xFFFF,
};

// Operand descriptor: the number of operand words after the opcode word, and whether a list of
// words ending with -1 follows them.
constexpr std::uint32_t kOperandCountMask = 0xFF;
constexpr std::uint32_t kOperandList = 0x100;

struct CodeTemplate {
    const std::uint16_t* codes;  // ends with kCodeEnd within `length`
    std::uint32_t length;        // codes stored
    std::uint32_t operands;      // descriptor
};

// A table of templates, checked on first use: at least kTemplateCount entries, each with its
// end inside its stored codes, only known codes, and no hole past its instruction's words.
class TemplateTable {
public:
    TemplateTable(const CodeTemplate* entries, std::size_t count) : m_entries(entries), m_count(count) {}

    bool Valid() const;
    // Native bytes of an entry (valid tables only).
    std::uint32_t Size(std::uint32_t entry) const { return m_sizes[entry]; }
    const CodeTemplate& Entry(std::uint32_t entry) const { return m_entries[entry]; }

private:
    void Check() const;

    const CodeTemplate* m_entries;
    std::size_t m_count;
    mutable bool m_checked = false;
    mutable bool m_valid = false;
    mutable std::uint32_t m_sizes[kTemplateCount] = {};
};

// The templates assembled from templates/sob_templates.S.
extern const CodeTemplate kSobTemplates[kTemplateCount];
const TemplateTable& SobTemplateTable();

// Where native code lives: memory that may be executed. Tests count through their own.
class ExecutableMemory {
public:
    // Null when the memory cannot be had.
    virtual void* Allocate(std::size_t bytes) = 0;
    virtual void Free(void* block) = 0;

protected:
    ~ExecutableMemory() = default;
};

// VirtualAlloc'd pages that may be read, written and executed.
ExecutableMemory& SystemExecutableMemory();
// What CompiledCode allocates from unless told otherwise: the system's, or what a test put in
// its place (null puts the system's back). Returns the replaced one.
ExecutableMemory& DefaultExecutableMemory();
ExecutableMemory* ReplaceDefaultExecutableMemory(ExecutableMemory* memory);

// The fields of the context that compiled code is bound to, by address.
struct BoundContextFields {
    std::uint32_t pc;
    std::uint32_t stackPointer;
    std::uint32_t accumulator;
    std::uint32_t stackBase;
    std::uint32_t stackEnd;
};

// Calls a command handler for compiled code. A C++ exception must not unwind through native
// code: it is caught here, returned as a non-zero high word, and kept for TakeHandlerException.
extern "C" std::uint64_t XM_CDECL SobInvokeCommand(CommandHandler handler, std::uint32_t* arguments);
// True (once) when the handler SobInvokeCommand called last on this thread raised the script
// fault: the native code left as for a throw, and the run ends as an invalid script.
bool TakeHandlerFault();
// Throws the exception that SobInvokeCommand caught last on this thread.
[[noreturn]] void RethrowHandlerException();
// Where compiled code bound to the context whose pc field is `pcField` goes on for a transfer to
// `target`: the native address of the compiled instruction that starts there, or 0 when there is
// none (not an instruction start, not compiled, its opcode word rewritten, or bound to another
// context); native code then hands over to the interpreter.
extern "C" std::uint32_t XM_CDECL SobResolveTarget(std::uint32_t target, std::uint32_t pcField) noexcept;

class CompiledCode {
public:
    // One instruction of a compiled range.
    struct Instruction {
        std::uint32_t offset;        // bytes from the range's start
        std::uint32_t nativeOffset;  // bytes from the native block's start
        std::uint32_t opcode;        // what the opcode word held
    };

    explicit CompiledCode(const BoundContextFields& fields, const TemplateTable& table = SobTemplateTable(),
                          ExecutableMemory& memory = DefaultExecutableMemory());
    ~CompiledCode();
    CompiledCode(const CompiledCode&) = delete;
    CompiledCode& operator=(const CompiledCode&) = delete;

    // Compiles the bytes [start, start + length): 0, or 1 when the table is malformed, the range
    // is misaligned, an instruction does not end inside it, an opcode is above 46, or no memory
    // can be had. Earlier code is released first; a failure leaves the range as it was.
    int Compile(std::uint32_t start, std::uint32_t length);
    // Frees the native code and puts the original opcodes back where the words still hold ours.
    void Release();

    // The trampoline: called as a cdecl function, it runs native code from the bound pc and
    // returns one of the SOB_NATIVE_* results.
    using Entry = std::uint32_t(XM_CDECL*)();
    Entry EntryPoint() const;
    const std::uint8_t* NativeCode() const { return m_native; }
    std::size_t NativeSize() const { return m_nativeSize; }
    // One word per word of the range: the native address of the instruction that starts there,
    // else 0. A transfer checks its target here before it jumps, so that a target inside an
    // instruction (an operand word that happens to be 48 or more) is never taken for native code.
    // Null for an empty range.
    const std::uint32_t* InstructionStarts() const { return m_starts.empty() ? nullptr : m_starts.data(); }
    bool IsBoundTo(std::uint32_t pcAddress) const { return m_fields.pc == pcAddress; }

    // The instruction that starts at `address` in a live compiled range and whose opcode word
    // still holds its native address, or null; `owner` is the code it belongs to. Used only
    // where an opcode word is not an instruction.
    static const Instruction* Find(std::uint32_t address, const CompiledCode** owner);

private:
    // The next instruction after `at`, or 0 when the instruction at `at` does not end inside the
    // range or does not compile.
    std::uint32_t NextInstruction(std::uint32_t at, std::uint32_t end) const;
    void Emit(std::uint32_t entry, std::uint32_t current, std::uint32_t next, std::uint8_t*& out) const;
    std::uint32_t StartsAddress() const;

    BoundContextFields m_fields;
    const TemplateTable& m_table;
    ExecutableMemory& m_memory;
    std::uint8_t* m_native = nullptr;
    std::size_t m_nativeSize = 0;
    std::uint32_t m_start = 0;
    std::uint32_t m_length = 0;
    std::vector<Instruction> m_instructions;
    std::vector<std::uint32_t> m_starts;
};
