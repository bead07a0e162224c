// SOB snippets linked into a bare script core, and the tables of instruction and fault cases
// that the interpreter's tests check and the compiled-code tests run again, compiled.
#pragma once

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "game/script/compiled_code.h"
#include "game/script/script_address.h"
#include "game/script/script_core.h"
#include "game/script/script_fault.h"
#include "game/script/sob_exec_context.h"
#include "tools/content/sob_assembler.h"

namespace sobtest {

// Command 0 of the test core: w0 + w1.
inline std::uint32_t XM_CDECL AddArguments(std::uint32_t* arguments) {
    return arguments[0] + arguments[1];
}

// Command 1 of the test core: rewrites the result operand of the instruction that called it,
// whose address is w0, to w1.
inline std::uint32_t XM_CDECL RedirectResult(std::uint32_t* arguments) {
    *PointerAt<std::uint32_t>(arguments[0]) = arguments[1];
    return 5;
}

// Command 2 of the test core: throws, as a handler written in C++ may.
inline std::uint32_t XM_CDECL ThrowFromCommand(std::uint32_t* /*arguments*/) {
    throw std::runtime_error("thrown by a command");
}

// Command 3 of the test core: raises the script fault, as a handler given a word that names no
// live object does.
inline std::uint32_t XM_CDECL FaultFromCommand(std::uint32_t* /*arguments*/) {
    RaiseScriptFault();
    return 9;
}

// A snippet linked into a bare core, so that labels become addresses and commands resolve.
class Snippet {
public:
    explicit Snippet(const std::string& source) : m_module(testsupport::AssembleSob(source)) {
        m_core.AddCommand(AddArguments);
        m_core.AddCommand(RedirectResult);
        m_core.AddCommand(ThrowFromCommand);
        m_core.AddCommand(FaultFromCommand);
        const std::vector<std::uint8_t> body = m_module.Body();
        m_linked = m_core.LinkModule(body.data(), body.size(), -1, false) == 0;
        m_context = &m_core.Context();
        if (m_linked) {
            m_pristine.assign(Image(), Image() + m_module.image.size());
        }
    }

    bool Linked() const { return m_linked; }
    SobExecContext& Context() { return *m_context; }
    std::uint8_t* Image() { return m_core.Module(m_core.ModuleCount() - 1).ImageBytes(); }

    // A word written in a row: a number, a label (its address), or "stack:N" (the address of
    // stack word N counted from the bottom).
    std::uint32_t Resolve(const std::string& text) {
        if (text.rfind("stack:", 0) == 0) {
            const auto index = std::strtoul(text.c_str() + 6, nullptr, 10);
            return AddressOf(m_context->StackBase() + index);
        }
        char* end = nullptr;
        const long long value = std::strtoll(text.c_str(), &end, 0);
        if (*end == '\0') {
            return static_cast<std::uint32_t>(value);
        }
        return AddressOf(Image() + m_module.Label(text));
    }
    std::uint32_t WordAtLabel(const std::string& label) {
        std::uint32_t value;
        std::memcpy(&value, Image() + m_module.Label(label), sizeof(value));
        return value;
    }
    void Start(const std::vector<std::string>& stack, std::uint32_t accumulator) {
        m_context->ResetStack();
        for (const std::string& word : stack) {
            m_context->Push(Resolve(word));
        }
        m_context->SetAccumulator(accumulator);
        m_context->SetPc(AddressOf(Image()));
    }
    std::vector<std::uint32_t> Stack() const {
        return std::vector<std::uint32_t>(m_context->StackBase(), m_context->StackBase() + m_context->StackDepth());
    }

    // How a run executes the snippet: by the interpreter; compiled, with the context running
    // native code; compiled, with the interpreter running the compiled range by its kept opcodes.
    enum class Mode { kInterpreted, kCompiled, kCompiledByInterpreter };

    // Everything a run leaves behind; the image with the opcodes back where compiling put them.
    struct RunState {
        std::uint32_t result = 0;
        bool threw = false;
        std::uint32_t pc = 0;
        std::uint32_t accumulator = 0;
        std::vector<std::uint32_t> stack;
        std::vector<std::uint8_t> image;
        std::uint32_t nativeEntries = 0;

        bool operator==(const RunState& other) const {
            return result == other.result && threw == other.threw && pc == other.pc &&
                   accumulator == other.accumulator && stack == other.stack && image == other.image;
        }
    };

    // The instructions compiled bound to the context, or null when they do not compile. With a
    // label, only the instructions before it are compiled.
    std::unique_ptr<CompiledCode> Compile(const char* endLabel = nullptr) {
        auto code = std::make_unique<CompiledCode>(m_context->BoundFields());
        const std::uint32_t length = endLabel ? m_module.Label(endLabel) : m_module.instructionSize;
        return code->Compile(AddressOf(Image()), length) == 0 ? std::move(code) : nullptr;
    }
    // Start, with the context running native code and the instructions compiled for it.
    std::unique_ptr<CompiledCode> StartCompiled(const std::vector<std::string>& stack, std::uint32_t accumulator) {
        Start(stack, accumulator);
        return m_context->SetUseCompiled(1) == 0 ? Compile() : nullptr;
    }

    // Runs the image as linked from its start; nullopt when the compiled modes cannot compile it.
    // The compiled modes compile only the instructions before `endLabel` when it is given.
    std::optional<RunState> Run(const std::vector<std::string>& stack, std::uint32_t accumulator, Mode mode,
                                const char* endLabel = nullptr) {
        std::memcpy(Image(), m_pristine.data(), m_pristine.size());
        m_context->SetUseCompiled(mode == Mode::kCompiled ? 1 : 0);
        Start(stack, accumulator);
        std::unique_ptr<CompiledCode> code;
        if (mode != Mode::kInterpreted && !(code = Compile(endLabel))) {
            return std::nullopt;
        }
        RunState state;
        const std::uint32_t entriesBefore = m_context->NativeEntries();
        try {
            state.result = m_context->Interpret();
        } catch (const std::runtime_error&) {
            state.threw = true;
        }
        state.nativeEntries = m_context->NativeEntries() - entriesBefore;
        code.reset();
        m_context->SetUseCompiled(0);
        state.pc = m_context->Pc();
        state.accumulator = m_context->Accumulator();
        state.stack = Stack();
        state.image.assign(Image(), Image() + m_pristine.size());
        return state;
    }

    ScriptCore& Core() { return m_core; }
    const testsupport::SobModule& Module() const { return m_module; }

private:
    testsupport::SobModule m_module;
    ScriptCore m_core;
    SobExecContext* m_context = nullptr;
    bool m_linked = false;
    std::vector<std::uint8_t> m_pristine;
};

// Executable memory that is never there.
class NoExecutableMemory final : public ExecutableMemory {
public:
    void* Allocate(std::size_t) override { return nullptr; }
    void Free(void*) override {}
};

struct InstructionCase {
    const char* name;
    const char* source;
    std::vector<std::string> stack;  // pushed before the run, bottom first
    std::uint32_t accumulator;
    std::uint32_t result;
    std::vector<std::pair<std::string, std::string>> memory;  // label -> expected word
    std::vector<std::string> expectedStack;
    std::uint32_t expectedAccumulator;
    const char* pcLabel;  // where pc must stand afterwards, or null
};

// Data after the instructions: a module's instruction stream holds only instructions.
inline const std::string kOut = "\n.data\nout: .word 0\nout2: .word 0\nout3: .word 0\nval: .word 33\n";

inline const InstructionCase kInstructionCases[] = {
    {"0 stop yields with pc after it", "stop\nafter: mov 1, out\nret", {"0"}, 0, kSobYielded, {{"out", "0"}}, {"0"}, 0, "after"},
    {"1 return to an address, then to the mark", "ret\nstop\nback: mov 5, out\nret", {"0", "back"}, 0, kSobReturned,
     {{"out", "5"}}, {}, 0, nullptr},
    {"2 return with value sets the accumulator, not at the mark", "retv 7\nback: sta out\nretv 9", {"0", "back"}, 0,
     kSobReturned, {{"out", "7"}}, {}, 7, nullptr},
    {"3 store the accumulator", "sta out\nret", {"0"}, 42, kSobReturned, {{"out", "42"}}, {}, 42, nullptr},
    {"4 call pushes the next instruction", "call sub\nmov 1, out2\nret\nsub: mov 3, out\nret", {"0"}, 0, kSobReturned,
     {{"out", "3"}, {"out2", "1"}}, {}, 0, nullptr},
    {"5 command call stores the handler's result", "cmd cmd:0, args, out\nret\n.data\nargs: .word 20, 22", {"0"}, 0,
     kSobReturned, {{"out", "42"}}, {}, 0, nullptr},
    {"5 command that rewrites its own result operand", "first: cmd cmd:1, args, out\nret\n.data\nargs: .word first+12, out2",
     {"0"}, 0, kSobReturned, {{"out", "0"}, {"out2", "5"}}, {}, 0, nullptr},
    {"6 jump", "jmp there\nmov 1, out\nthere: ret", {"0"}, 0, kSobReturned, {{"out", "0"}}, {}, 0, nullptr},
    {"7 table jump takes entry a counting from 1",
     "jtab 2, t1, t2, t3\nt1: mov 1, out\nret\nt2: mov 2, out\nret\nt3: mov 3, out\nret", {"0"}, 0, kSobReturned,
     {{"out", "2"}}, {}, 0, nullptr},
    {"8 push a value", "push -5\nstop", {"0"}, 0, kSobYielded, {}, {"0", "-5"}, 0, nullptr},
    {"9 push a memory word", "pushm val\nstop", {"0"}, 0, kSobYielded, {}, {"0", "33"}, 0, nullptr},
    {"10 pop into memory", "pop out\nret", {"0", "9"}, 0, kSobReturned, {{"out", "9"}}, {}, 0, nullptr},
    {"11 raise the stack pointer by bytes", "addsp 8\nstop", {"0"}, 0, kSobYielded, {}, {"0", "0", "0"}, 0, nullptr},
    {"12 lower the stack pointer by bytes", "subsp 8\nret", {"0", "1", "2"}, 0, kSobReturned, {}, {}, 0, nullptr},
    {"11 with a negative count lowers the stack pointer", "addsp -8\nret", {"0", "1", "2"}, 0, kSobReturned, {}, {},
     0, nullptr},
    {"12 with a negative count raises the stack pointer", "subsp -4\nstop", {"0", "7"}, 0, kSobYielded, {},
     {"0", "7", "0"}, 0, nullptr},
    {"13 add wraps", "add 40, 2, out\nadd 0x7FFFFFFF, 1, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "42"}, {"out2", "0x80000000"}}, {}, 0, nullptr},
    {"14 subtract", "sub 2, 44, out\nsub 0x80000000, 1, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "-42"}, {"out2", "0x7FFFFFFF"}}, {}, 0, nullptr},
    {"15 multiply keeps the low half", "mul -6, 7, out\nmul 0x10001, 0x10000, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "-42"}, {"out2", "0x10000"}}, {}, 0, nullptr},
    {"16 divide truncates toward 0", "div -7, 2, out\ndiv 7, -2, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "-3"}, {"out2", "-3"}}, {}, 0, nullptr},
    {"17 remainder has the sign of a", "rem -7, 3, out\nrem 7, -3, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "-1"}, {"out2", "1"}}, {}, 0, nullptr},
    {"18 modulo adds b to a negative remainder", "mod -7, 3, out\nmod 7, 3, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "2"}, {"out2", "1"}}, {}, 0, nullptr},
    {"19 and", "and 0xF0F0, 0xFF00, out\nret", {"0"}, 0, kSobReturned, {{"out", "0xF000"}}, {}, 0, nullptr},
    {"20 or", "or 0xF0F0, 0xFF00, out\nret", {"0"}, 0, kSobReturned, {{"out", "0xFFF0"}}, {}, 0, nullptr},
    {"21 xor", "xor 0xF0F0, 0xFF00, out\nret", {"0"}, 0, kSobReturned, {{"out", "0x0FF0"}}, {}, 0, nullptr},
    {"22 bitwise not", "not 0x0F, out\nret", {"0"}, 0, kSobReturned, {{"out", "0xFFFFFFF0"}}, {}, 0, nullptr},
    {"23 logical not", "lnot 0, out\nlnot 5, out2\nret", {"0"}, 0, kSobReturned, {{"out", "1"}, {"out2", "0"}}, {}, 0,
     nullptr},
    {"24 arithmetic right shift, count modulo 32", "sar -8, 33, out\nsar -8, 2, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "-4"}, {"out2", "-2"}}, {}, 0, nullptr},
    {"25 left shift, count modulo 32", "shl 3, 33, out\nshl 1, 31, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "6"}, {"out2", "0x80000000"}}, {}, 0, nullptr},
    {"26 increment memory", "inc val\nret", {"0"}, 0, kSobReturned, {{"val", "34"}}, {}, 0, nullptr},
    {"27 decrement memory", "dec val\nret", {"0"}, 0, kSobReturned, {{"val", "32"}}, {}, 0, nullptr},
    {"28 increment a stack word", "incs 8\nstop", {"0", "5", "7"}, 0, kSobYielded, {}, {"0", "6", "7"}, 0, nullptr},
    {"29 decrement a stack word", "decs 4\nstop", {"0", "5", "7"}, 0, kSobYielded, {}, {"0", "5", "6"}, 0, nullptr},
    {"30 jump when zero, else go on", "jz 0, skip\nmov 1, out\nskip: jz 1, out3\nmov 2, out2\nret", {"0"}, 0,
     kSobReturned, {{"out", "0"}, {"out2", "2"}}, {}, 0, nullptr},
    {"31 store a value", "mov -1, out\nret", {"0"}, 0, kSobReturned, {{"out", "-1"}}, {}, 0, nullptr},
    {"32 copy memory", "copy val, out\nret", {"0"}, 0, kSobReturned, {{"out", "33"}}, {}, 0, nullptr},
    {"33 store through a pointer", "stptr 7, ptr\nret\n.data\nptr: .word out", {"0"}, 0, kSobReturned, {{"out", "7"}}, {}, 0,
     nullptr},
    {"34 store a value in a stack word", "sets 9, 8\nstop", {"0", "1", "2"}, 0, kSobYielded, {}, {"0", "9", "2"}, 0,
     nullptr},
    {"35 load a stack word", "gets 8, out\nstop", {"0", "1", "2"}, 0, kSobYielded, {{"out", "1"}}, {"0", "1", "2"}, 0,
     nullptr},
    {"36 store memory in a stack word", "copys val, 4\nstop", {"0", "1"}, 0, kSobYielded, {}, {"0", "33"}, 0, nullptr},
    {"37 copy a stack word", "movs 8, 4\nstop", {"0", "1", "2"}, 0, kSobYielded, {}, {"0", "1", "1"}, 0, nullptr},
    {"38 load through a stack word", "getsptr 4, out\nstop", {"0", "val"}, 0, kSobYielded, {{"out", "33"}},
     {"0", "val"}, 0, nullptr},
    {"39 load through a memory pointer", "copyptr ptr, out\nret\n.data\nptr: .word val", {"0"}, 0, kSobReturned,
     {{"out", "33"}}, {}, 0, nullptr},
    {"40 address of a stack word", "lea 4, out\nstop", {"0", "1"}, 0, kSobYielded, {{"out", "stack:1"}}, {"0", "1"}, 0,
     nullptr},
    {"41 less than is signed", "lt -1, 1, out\nlt 1, -1, out2\nlt 1, 1, out3\nret", {"0"}, 0, kSobReturned,
     {{"out", "1"}, {"out2", "0"}, {"out3", "0"}}, {}, 0, nullptr},
    {"42 less or equal", "le 1, 1, out\nle 2, 1, out2\nle -2, 1, out3\nret", {"0"}, 0, kSobReturned,
     {{"out", "1"}, {"out2", "0"}, {"out3", "1"}}, {}, 0, nullptr},
    {"43 greater than", "gt 1, -1, out\ngt 1, 1, out2\nret", {"0"}, 0, kSobReturned, {{"out", "1"}, {"out2", "0"}}, {},
     0, nullptr},
    {"44 greater or equal", "ge -1, -1, out\nge -2, -1, out2\nret", {"0"}, 0, kSobReturned,
     {{"out", "1"}, {"out2", "0"}}, {}, 0, nullptr},
    {"45 equal", "eq 5, 5, out\neq 5, 6, out2\nret", {"0"}, 0, kSobReturned, {{"out", "1"}, {"out2", "0"}}, {}, 0,
     nullptr},
    {"46 not equal", "ne 5, 5, out\nne 5, 6, out2\nret", {"0"}, 0, kSobReturned, {{"out", "0"}, {"out2", "1"}}, {}, 0,
     nullptr},
    {"an earlier instruction rewrites a later operand", "mov 99, later+4\nlater: mov 0, out\nret", {"0"}, 0,
     kSobReturned, {{"out", "99"}}, {}, 0, nullptr},
    {"a computed value reaches a later instruction through its operand",
     "add 2, 3, target+4\ntarget: add 0, 10, out\nret", {"0"}, 0, kSobReturned, {{"out", "15"}}, {}, 0, nullptr},
};

struct FaultCase {
    const char* name;
    const char* source;
    std::vector<std::string> stack;
    bool compiles = true;  // false: an opcode that the compiler refuses
};

inline const FaultCase kFaultCases[] = {
    {"division by zero", "div 7, 0, out\nret", {"0"}},
    {"smallest integer divided by -1", "div 0x80000000, -1, out\nret", {"0"}},
    {"remainder by zero", "rem 7, 0, out\nret", {"0"}},
    {"remainder of the smallest integer by -1", "rem 0x80000000, -1, out\nret", {"0"}},
    {"modulo by zero", "mod 7, 0, out\nret", {"0"}},
    {"opcode 47", "op 47\nret", {"0"}, false},
    {"opcode 0xFFFFFFFF", "op 0xFFFFFFFF\nret", {"0"}, false},
    {"pushing past the stack", "loop: push 1\njmp loop", {"0"}},
    {"calling past the stack", "loop: call loop", {"0"}},
    {"raising the stack pointer past the stack", "addsp 0x10000\nret", {"0"}},
    {"a stack pointer move that is not whole words", "addsp 2\nret", {"0"}},
    {"lowering the stack pointer below the stack", "subsp 12\nret", {"0", "1"}},
    {"a negative raise below the stack", "addsp -12\nret", {"0", "1"}},
    {"a negative lowering past the stack", "subsp -0x10000\nret", {"0"}},
    {"a return on an empty stack", "ret", {}},
    {"a return with value on an empty stack", "retv 1", {}},
    {"a pop on an empty stack", "pop out\nret", {}},
    {"table index 0", "jtab 0, t\nt: ret", {"0"}},
    {"table index past the table", "jtab 3, t, t\nt: ret", {"0"}},
    {"an empty table", "jtab 1\nret", {"0"}},
    {"an empty table with index -1, closing the instructions", "jtab -1", {"0"}},
    {"a stack word below the stack", "gets 12, out\nret", {"0", "1"}},
    {"a stack word that is not whole words", "incs 2\nret", {"0", "1"}},
    {"a store to address 0", "mov 1, 0\nret", {"0"}},
    {"a load from address 0", "copy 0, out\nret", {"0"}},
    {"a command that was never linked", "cmd 0, args, out\nret\n.data\nargs: .word 0", {"0"}},
    {"a command that rewrites its result operand to 0", "first: cmd cmd:1, args, out\nret\n.data\nargs: .word first+12, 0",
     {"0"}},
    {"a jump to address 0", "jmp 0", {"0"}},
    // A target inside an instruction whose word is 48 or more: an operand, never native code.
    {"a jump to an operand that holds a number", "jmp mid+4\nmid: mov 0x12345678, out2\nret", {"0"}},
    {"a jump to an operand that holds a data address", "jmp mid+4\nmid: mov out2, out3\nret", {"0"}},
    {"a jump to a table entry", "jmp t+8\nt: jtab 1, done\ndone: ret", {"0"}},
};

}  // namespace sobtest
