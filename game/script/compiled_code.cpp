#include "game/script/compiled_code.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

#include "game/script/script_address.h"
#include "game/script/script_fault.h"
#include "game/script/templates/native_exit.h"

static_assert(SOB_FIRST_NATIVE_WORD == kTemplateCount, "a compiled opcode word is above every entry number");

namespace {

constexpr std::uint32_t kListEnd = 0xFFFFFFFFu;
constexpr std::uint32_t kDescriptorBits = kOperandCountMask | kOperandList;
// Native code larger than this is refused: no module comes near it, and sizes stay in range.
constexpr std::uint64_t kMaxNativeSize = 0x40000000;

// One classifier for checking a table, sizing and emitting, so that the passes never disagree.
enum class CodeKind { kByte, kCurrentWord, kNextWord, kField, kEnd, kInvalid };

CodeKind Classify(std::uint16_t code) {
    if (code <= kCodeLastByte) {
        return CodeKind::kByte;
    }
    switch (code & 0xFF00) {
    case kCodeCurrentWord:
        return CodeKind::kCurrentWord;
    case kCodeNextWord:
        return CodeKind::kNextWord;
    default:
        break;
    }
    if (code >= kCodePc && code <= kCodeResolveTarget) {
        return CodeKind::kField;
    }
    return code == kCodeEnd ? CodeKind::kEnd : CodeKind::kInvalid;
}

std::uint32_t EmittedBytes(CodeKind kind) {
    switch (kind) {
    case CodeKind::kByte:
        return 1;
    case CodeKind::kEnd:
        return 0;
    default:
        return 4;
    }
}

std::uint32_t ReadWord(std::uint32_t address) {
    std::uint32_t word;
    std::memcpy(&word, PointerAt<const void>(address), sizeof(word));
    return word;
}

void WriteWord(std::uint32_t address, std::uint32_t word) {
    std::memcpy(PointerAt<void>(address), &word, sizeof(word));
}

class VirtualMemory final : public ExecutableMemory {
public:
    void* Allocate(std::size_t bytes) override {
        return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    }
    void Free(void* block) override { VirtualFree(block, 0, MEM_RELEASE); }
};

ExecutableMemory* g_defaultMemory = nullptr;

// The codes with compiled ranges, for the interpreter's look-up. Only the thread that runs the
// scripts compiles and runs them.
std::vector<const CompiledCode*>& LiveCodes() {
    static std::vector<const CompiledCode*> codes;
    return codes;
}

thread_local std::exception_ptr t_handlerException;
thread_local bool t_handlerFault = false;

}  // namespace

bool TemplateTable::Valid() const {
    if (!m_checked) {
        Check();
        m_checked = true;
    }
    return m_valid;
}

void TemplateTable::Check() const {
    m_valid = false;
    if (!m_entries || m_count < kTemplateCount) {
        return;
    }
    for (std::uint32_t entry = 0; entry < kTemplateCount; ++entry) {
        const CodeTemplate& tmpl = m_entries[entry];
        if (!tmpl.codes || (tmpl.operands & ~kDescriptorBits) != 0) {
            return;
        }
        const std::uint32_t words = tmpl.operands & kOperandCountMask;
        std::uint32_t size = 0;
        bool ended = false;
        for (std::uint32_t i = 0; i < tmpl.length && !ended; ++i) {
            const std::uint16_t code = tmpl.codes[i];
            const CodeKind kind = Classify(code);
            const std::uint32_t word = code & 0xFFu;
            if (kind == CodeKind::kInvalid || (kind == CodeKind::kCurrentWord && word > words) ||
                (kind == CodeKind::kNextWord && word != 0)) {
                return;
            }
            ended = kind == CodeKind::kEnd;
            size += EmittedBytes(kind);
        }
        if (!ended) {
            return;
        }
        m_sizes[entry] = size;
    }
    m_valid = true;
}

const TemplateTable& SobTemplateTable() {
    static const TemplateTable table(kSobTemplates, kTemplateCount);
    return table;
}

ExecutableMemory& SystemExecutableMemory() {
    static VirtualMemory memory;
    return memory;
}

ExecutableMemory& DefaultExecutableMemory() {
    return g_defaultMemory ? *g_defaultMemory : SystemExecutableMemory();
}

ExecutableMemory* ReplaceDefaultExecutableMemory(ExecutableMemory* memory) {
    ExecutableMemory* const previous = g_defaultMemory;
    g_defaultMemory = memory;
    return previous;
}

extern "C" std::uint64_t XM_CDECL SobInvokeCommand(CommandHandler handler, std::uint32_t* arguments) {
    try {
        TakeScriptFault();
        const std::uint32_t result = handler(arguments);
        if (TakeScriptFault()) {
            // Leaves the native code the way a throwing handler does, pc at the command.
            t_handlerFault = true;
            return std::uint64_t{1} << 32;
        }
        return result;
    } catch (...) {
        t_handlerException = std::current_exception();
        return std::uint64_t{1} << 32;
    }
}

extern "C" std::uint32_t XM_CDECL SobResolveTarget(std::uint32_t target, std::uint32_t pcField) noexcept {
    const CompiledCode* owner = nullptr;
    const CompiledCode::Instruction* found = CompiledCode::Find(target, &owner);
    if (!found || !owner->IsBoundTo(pcField)) {
        return 0;
    }
    return AddressOf(owner->NativeCode() + found->nativeOffset);
}

bool TakeHandlerFault() {
    const bool faulted = t_handlerFault;
    t_handlerFault = false;
    return faulted;
}

void RethrowHandlerException() {
    std::exception_ptr exception = t_handlerException;
    t_handlerException = nullptr;
    std::rethrow_exception(exception);
}

CompiledCode::CompiledCode(const BoundContextFields& fields, const TemplateTable& table, ExecutableMemory& memory)
    : m_fields(fields), m_table(table), m_memory(memory) {}

CompiledCode::~CompiledCode() {
    Release();
}

std::uint32_t CompiledCode::NextInstruction(std::uint32_t at, std::uint32_t end) const {
    if (end - at < 4) {
        return 0;
    }
    const std::uint32_t opcode = ReadWord(at);
    if (opcode >= kTrampolineEntry) {
        return 0;
    }
    const std::uint32_t descriptor = m_table.Entry(opcode).operands;
    const std::uint32_t words = 1 + (descriptor & kOperandCountMask);
    if ((end - at) / 4 < words) {
        return 0;
    }
    std::uint32_t next = at + words * 4;
    if ((descriptor & kOperandList) != 0) {
        for (;;) {
            if (next == end) {
                return 0;
            }
            const std::uint32_t word = ReadWord(next);
            next += 4;
            if (word == kListEnd) {
                break;
            }
        }
    }
    return next;
}

void CompiledCode::Emit(std::uint32_t entry, std::uint32_t current, std::uint32_t next, std::uint8_t*& out) const {
    const std::uint16_t* code = m_table.Entry(entry).codes;
    for (;; ++code) {
        std::uint32_t hole = 0;
        switch (Classify(*code)) {
        case CodeKind::kByte:
            *out++ = static_cast<std::uint8_t>(*code);
            continue;
        case CodeKind::kCurrentWord:
            hole = current + 4 * (*code & 0xFFu);
            break;
        case CodeKind::kNextWord:
            hole = next;
            break;
        case CodeKind::kField:
            switch (*code) {
            case kCodePc: hole = m_fields.pc; break;
            case kCodeStackPointer: hole = m_fields.stackPointer; break;
            case kCodeAccumulator: hole = m_fields.accumulator; break;
            case kCodeStackBase: hole = m_fields.stackBase; break;
            case kCodeStackEnd: hole = m_fields.stackEnd; break;
            case kCodeInvokeCommand: hole = AddressOf(reinterpret_cast<void*>(&SobInvokeCommand)); break;
            case kCodeRangeStart: hole = m_start; break;
            case kCodeRangeLength: hole = m_length; break;
            case kCodeStarts: hole = StartsAddress(); break;
            default: hole = AddressOf(reinterpret_cast<void*>(&SobResolveTarget)); break;
            }
            break;
        default:  // the end; the table was checked, so nothing else is here
            return;
        }
        std::memcpy(out, &hole, sizeof(hole));
        out += sizeof(hole);
    }
}

int CompiledCode::Compile(std::uint32_t start, std::uint32_t length) {
    Release();
    if (!m_table.Valid()) {
        return 1;
    }
    if (start % 4 != 0 || length % 4 != 0 || (start == 0 && length != 0) ||
        std::uint64_t{start} + length > 0xFFFFFFFFu) {
        return 1;
    }
    const std::uint32_t end = start + length;
    std::uint64_t total = m_table.Size(kTrampolineEntry);
    std::size_t count = 0;
    for (std::uint32_t at = start; at != end; ++count) {
        const std::uint32_t next = NextInstruction(at, end);
        if (next == 0) {
            return 1;
        }
        total += m_table.Size(ReadWord(at));
        at = next;
    }
    if (total > kMaxNativeSize) {
        return 1;
    }
    std::vector<Instruction> instructions;
    try {
        instructions.reserve(count);
        // Released code leaves the table's memory behind, so a range compiled again gets the same.
        m_starts.assign(length / 4, 0);
        LiveCodes().reserve(LiveCodes().size() + 1);
    } catch (const std::bad_alloc&) {
        m_starts.clear();
        return 1;
    }
    // A block is never empty, so that every native address lies inside memory of its own.
    const std::size_t size = std::max<std::size_t>(static_cast<std::size_t>(total), 1);
    std::uint8_t* const native = static_cast<std::uint8_t*>(m_memory.Allocate(size));
    if (!native) {
        m_starts.clear();
        return 1;
    }
    // Nothing fails from here on; everything is emitted before the range changes, so a failure
    // up to here has left it untouched.
    m_start = start;
    m_length = length;
    std::uint8_t* out = native;
    Emit(kTrampolineEntry, start, start, out);
    for (std::uint32_t at = start; at != end;) {
        const std::uint32_t next = NextInstruction(at, end);
        instructions.push_back({at - start, static_cast<std::uint32_t>(out - native), ReadWord(at)});
        m_starts[(at - start) / 4] = AddressOf(out);
        Emit(instructions.back().opcode, at, next, out);
        at = next;
    }
    for (const Instruction& instruction : instructions) {
        WriteWord(start + instruction.offset, AddressOf(native + instruction.nativeOffset));
    }
    FlushInstructionCache(GetCurrentProcess(), native, size);
    m_native = native;
    m_nativeSize = size;
    m_instructions = std::move(instructions);
    LiveCodes().push_back(this);
    return 0;
}

void CompiledCode::Release() {
    if (!m_native) {
        return;
    }
    std::vector<const CompiledCode*>& live = LiveCodes();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    for (const Instruction& instruction : m_instructions) {
        const std::uint32_t word = m_start + instruction.offset;
        if (ReadWord(word) == AddressOf(m_native + instruction.nativeOffset)) {
            WriteWord(word, instruction.opcode);
        }
    }
    m_instructions.clear();
    m_starts.clear();
    m_memory.Free(m_native);
    m_native = nullptr;
    m_nativeSize = 0;
    m_start = 0;
    m_length = 0;
}

std::uint32_t CompiledCode::StartsAddress() const {
    return m_starts.empty() ? 0 : AddressOf(m_starts.data());
}

CompiledCode::Entry CompiledCode::EntryPoint() const {
    return reinterpret_cast<Entry>(const_cast<std::uint8_t*>(m_native));
}

const CompiledCode::Instruction* CompiledCode::Find(std::uint32_t address, const CompiledCode** owner) {
    for (const CompiledCode* code : LiveCodes()) {
        if (address - code->m_start >= code->m_length) {
            continue;
        }
        const std::uint32_t offset = address - code->m_start;
        const auto found = std::lower_bound(code->m_instructions.begin(), code->m_instructions.end(), offset,
                                            [](const Instruction& i, std::uint32_t o) { return i.offset < o; });
        if (found == code->m_instructions.end() || found->offset != offset ||
            ReadWord(address) != AddressOf(code->m_native + found->nativeOffset)) {
            return nullptr;
        }
        *owner = code;
        return &*found;
    }
    return nullptr;
}
