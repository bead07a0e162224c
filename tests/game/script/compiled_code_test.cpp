#include "game/script/compiled_code.h"
#include "game/script/script_address.h"
#include "tools/content/byte_words.h"
#include "tools/content/sob_assembler.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using testsupport::AssembleSob;
using testsupport::SobModule;

// Executable memory that counts what it hands out.
class CountingMemory final : public ExecutableMemory {
public:
    void* Allocate(std::size_t bytes) override {
        ++allocations;
        return SystemExecutableMemory().Allocate(bytes);
    }
    void Free(void* block) override {
        ++frees;
        SystemExecutableMemory().Free(block);
    }
    int Live() const { return allocations - frees; }

    int allocations = 0;
    int frees = 0;
};

// Context fields that are never run, only written into the code.
const BoundContextFields kFields = {0x11111110, 0x22222220, 0x33333330, 0x44444440, 0x55555550};

// The operand counts of the instructions, as the SOB format defines them (7 also has its list).
std::uint32_t OperandsOf(std::uint32_t opcode) {
    static const std::uint8_t kCounts[47] = {0, 0, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 2,
                                             3, 3, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3};
    return opcode == 7 ? kCounts[opcode] | kOperandList : kCounts[opcode];
}

// A literal template table: entry n emits the byte n, then the address of every word of its
// instruction and of the next instruction; the trampoline emits 0xCC and every field.
class LiteralTable {
public:
    LiteralTable() {
        for (std::uint32_t entry = 0; entry < kTemplateCount; ++entry) {
            std::vector<std::uint16_t>& codes = m_codes[entry];
            if (entry == kTrampolineEntry) {
                codes = {0xCC, kCodeCurrentWord, kCodeNextWord, kCodePc, kCodeStackPointer, kCodeAccumulator,
                         kCodeStackBase, kCodeStackEnd, kCodeInvokeCommand, kCodeRangeStart, kCodeRangeLength,
                         kCodeStarts, kCodeResolveTarget};
                m_entries[entry].operands = 0;
            } else {
                m_entries[entry].operands = OperandsOf(entry);
                codes.push_back(static_cast<std::uint16_t>(entry));
                for (std::uint32_t word = 0; word <= (OperandsOf(entry) & kOperandCountMask); ++word) {
                    codes.push_back(static_cast<std::uint16_t>(kCodeCurrentWord + word));
                }
                codes.push_back(kCodeNextWord);
            }
            codes.push_back(kCodeEnd);
        }
        Bind();
    }

    // Changes the codes of one entry (the stored length follows unless `length` is given).
    void SetCodes(std::uint32_t entry, std::vector<std::uint16_t> codes, std::int32_t length = -1) {
        m_codes[entry] = std::move(codes);
        Bind();
        if (length >= 0) {
            m_entries[entry].length = static_cast<std::uint32_t>(length);
        }
    }
    CodeTemplate& Entry(std::uint32_t entry) { return m_entries[entry]; }
    TemplateTable Table(std::size_t count = kTemplateCount) const { return TemplateTable(m_entries, count); }

    // The bytes the table makes of the trampoline for the range that `code` compiled.
    static std::vector<std::uint8_t> Trampoline(std::uint32_t start, std::uint32_t length, const CompiledCode& code) {
        std::vector<std::uint8_t> bytes = {0xCC};
        for (std::uint32_t word : {start, start, kFields.pc, kFields.stackPointer, kFields.accumulator,
                                   kFields.stackBase, kFields.stackEnd,
                                   AddressOf(reinterpret_cast<void*>(&SobInvokeCommand)), start, length,
                                   AddressOf(code.InstructionStarts()),
                                   AddressOf(reinterpret_cast<void*>(&SobResolveTarget))}) {
            testsupport::AppendWord(bytes, word);
        }
        return bytes;
    }

private:
    void Bind() {
        for (std::uint32_t entry = 0; entry < kTemplateCount; ++entry) {
            m_entries[entry].codes = m_codes[entry].data();
            m_entries[entry].length = static_cast<std::uint32_t>(m_codes[entry].size());
        }
    }

    std::vector<std::uint16_t> m_codes[kTemplateCount];
    CodeTemplate m_entries[kTemplateCount] = {};
};

// A range of bytecode in memory of its own, ending where a page that may not be touched begins:
// a read past the range faults.
class GuardedRange {
public:
    explicit GuardedRange(const std::vector<std::uint8_t>& bytes) {
        const std::size_t pages = bytes.size() / kPage + 1;
        m_block = static_cast<std::uint8_t*>(
            VirtualAlloc(nullptr, (pages + 1) * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_block + pages * kPage, kPage, PAGE_NOACCESS, &old);
        m_start = m_block + pages * kPage - bytes.size();
        std::memcpy(m_start, bytes.data(), bytes.size());
        m_size = bytes.size();
    }
    ~GuardedRange() { VirtualFree(m_block, 0, MEM_RELEASE); }
    GuardedRange(const GuardedRange&) = delete;
    GuardedRange& operator=(const GuardedRange&) = delete;

    std::uint32_t Start() const { return AddressOf(m_start); }
    std::vector<std::uint8_t> Bytes() const { return std::vector<std::uint8_t>(m_start, m_start + m_size); }

private:
    static constexpr std::size_t kPage = 4096;
    std::uint8_t* m_block = nullptr;
    std::uint8_t* m_start = nullptr;
    std::size_t m_size = 0;
};

// Offsets of the instructions of a well-formed stream.
std::vector<std::uint32_t> InstructionOffsets(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t at = 0; at < bytes.size();) {
        offsets.push_back(at);
        const std::uint32_t opcode = testsupport::WordAt(bytes, at);
        at += 4 * (1 + (OperandsOf(opcode) & kOperandCountMask));
        if (OperandsOf(opcode) & kOperandList) {
            while (testsupport::WordAt(bytes, at) != 0xFFFFFFFFu) {
                at += 4;
            }
            at += 4;
        }
    }
    return offsets;
}

const char kStream[] =
    "first: mov 7, out\n"
    "cmd 0x1234, out, out\n"
    "jtab 2, first, last\n"
    "stop\n"
    "last: retv 3\n"
    ".data\n"
    "out: .word 0\n";

TEST(CompiledCode, EachInstructionIsItsTemplateWithTheHolesFilled) {
    const SobModule module = AssembleSob(kStream);
    const std::vector<std::uint8_t> stream(module.image.begin(), module.image.begin() + module.instructionSize);
    GuardedRange range(stream);
    LiteralTable literal;
    const TemplateTable table = literal.Table();
    CountingMemory memory;
    CompiledCode code(kFields, table, memory);
    ASSERT_EQ(0, code.Compile(range.Start(), module.instructionSize));

    ASSERT_NE(nullptr, code.InstructionStarts());
    std::vector<std::uint8_t> expected = LiteralTable::Trampoline(range.Start(), module.instructionSize, code);
    std::vector<std::uint32_t> nativeOffsets;
    const std::vector<std::uint32_t> offsets = InstructionOffsets(stream);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const std::uint32_t at = range.Start() + offsets[i];
        const std::uint32_t next = i + 1 < offsets.size() ? range.Start() + offsets[i + 1]
                                                          : range.Start() + module.instructionSize;
        const std::uint32_t opcode = testsupport::WordAt(stream, offsets[i]);
        nativeOffsets.push_back(static_cast<std::uint32_t>(expected.size()));
        expected.push_back(static_cast<std::uint8_t>(opcode));
        for (std::uint32_t word = 0; word <= (OperandsOf(opcode) & kOperandCountMask); ++word) {
            testsupport::AppendWord(expected, at + 4 * word);
        }
        testsupport::AppendWord(expected, next);
    }
    ASSERT_EQ(expected.size(), code.NativeSize());
    EXPECT_EQ(expected, std::vector<std::uint8_t>(code.NativeCode(), code.NativeCode() + code.NativeSize()));

    // Each opcode word now holds its native address; operands and lists are as they were.
    std::vector<std::uint8_t> patched = stream;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        testsupport::PutWord(patched, offsets[i], AddressOf(code.NativeCode() + nativeOffsets[i]));
    }
    EXPECT_EQ(patched, range.Bytes());
    // The table of instruction starts holds the same addresses, and 0 for every other word.
    std::vector<std::uint32_t> starts(module.instructionSize / 4);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        starts[offsets[i] / 4] = AddressOf(code.NativeCode() + nativeOffsets[i]);
    }
    EXPECT_EQ(starts, std::vector<std::uint32_t>(code.InstructionStarts(), code.InstructionStarts() + starts.size()));
    const CompiledCode* owner = nullptr;
    const CompiledCode::Instruction* found = CompiledCode::Find(range.Start() + offsets[2], &owner);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(&code, owner);
    EXPECT_EQ(7u, found->opcode);
    EXPECT_EQ(nullptr, CompiledCode::Find(range.Start() + offsets[2] + 4, &owner));

    // Compiling again releases the old code and puts the opcodes back first, so the same range
    // compiles to the same bytes.
    const std::uint8_t* const first = code.NativeCode();
    ASSERT_EQ(0, code.Compile(range.Start(), module.instructionSize));
    EXPECT_EQ(2, memory.allocations);
    EXPECT_EQ(1, memory.Live());
    EXPECT_EQ(expected.size(), code.NativeSize());
    if (code.NativeCode() == first) {
        EXPECT_EQ(expected, std::vector<std::uint8_t>(code.NativeCode(), code.NativeCode() + code.NativeSize()));
    }
    code.Release();
    EXPECT_EQ(0, memory.Live());
    EXPECT_EQ(stream, range.Bytes());
    EXPECT_EQ(nullptr, CompiledCode::Find(range.Start(), &owner));
}

TEST(CompiledCode, AnEmptyRangeGivesOnlyTheTrampoline) {
    LiteralTable literal;
    const TemplateTable table = literal.Table();
    CountingMemory memory;
    CompiledCode code(kFields, table, memory);
    ASSERT_EQ(0, code.Compile(0, 0));
    EXPECT_EQ(nullptr, code.InstructionStarts());
    EXPECT_EQ(LiteralTable::Trampoline(0, 0, code), std::vector<std::uint8_t>(code.NativeCode(), code.NativeCode() + code.NativeSize()));
    EXPECT_EQ(1, memory.Live());
}

TEST(CompiledCode, MalformedTablesAreRefusedBeforeAnyAllocation) {
    const struct {
        const char* name;
        std::function<void(LiteralTable&)> damage;
        std::size_t count;
    } cases[] = {
        {"an end code past the stored length", [](LiteralTable& t) { t.SetCodes(31, {0x90, kCodeEnd}, 1); }, 48},
        {"no end code at all", [](LiteralTable& t) { t.SetCodes(31, {0x90, 0x90}); }, 48},
        {"a code above the bytes", [](LiteralTable& t) { t.SetCodes(13, {0x0100, kCodeEnd}); }, 48},
        {"the highest code below the holes", [](LiteralTable& t) { t.SetCodes(13, {0xFCFF, kCodeEnd}); }, 48},
        {"an unknown field", [](LiteralTable& t) { t.SetCodes(13, {0xFF0A, kCodeEnd}); }, 48},
        {"the code below the end", [](LiteralTable& t) { t.SetCodes(13, {0xFFFE, kCodeEnd}); }, 48},
        {"a word past the instruction's operands", [](LiteralTable& t) {
             t.SetCodes(31, {static_cast<std::uint16_t>(kCodeCurrentWord + 3), kCodeEnd}); }, 48},
        {"a word of the trampoline's instruction", [](LiteralTable& t) {
             t.SetCodes(47, {static_cast<std::uint16_t>(kCodeCurrentWord + 1), kCodeEnd}); }, 48},
        {"a word of the next instruction after its opcode", [](LiteralTable& t) {
             t.SetCodes(0, {static_cast<std::uint16_t>(kCodeNextWord + 1), kCodeEnd}); }, 48},
        {"an unknown operand descriptor bit", [](LiteralTable& t) { t.Entry(8).operands = 0x201; }, 48},
        {"an entry without codes", [](LiteralTable& t) { t.Entry(46).codes = nullptr; }, 48},
        {"47 entries", [](LiteralTable&) {}, 47},
    };
    const SobModule module = AssembleSob(kStream);
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        LiteralTable literal;
        row.damage(literal);
        const TemplateTable table = literal.Table(row.count);
        std::vector<std::uint8_t> stream(module.image.begin(), module.image.begin() + module.instructionSize);
        GuardedRange range(stream);
        CountingMemory memory;
        CompiledCode code(kFields, table, memory);
        EXPECT_EQ(1, code.Compile(range.Start(), module.instructionSize));
        EXPECT_EQ(1, code.Compile(0, 0));
        EXPECT_EQ(0, memory.allocations);
        EXPECT_EQ(nullptr, code.NativeCode());
        EXPECT_EQ(stream, range.Bytes());
    }
}

TEST(CompiledCode, RangesThatDoNotHoldWholeInstructionsAreRefused) {
    const struct {
        const char* name;
        std::string source;
        std::int32_t cut;      // bytes of the stream left out of the range
        std::uint32_t offset;  // bytes that the range starts late
        std::uint32_t trim;    // bytes that the range stops short of the stream's end
    } cases[] = {
        {"opcode 47", "mov 1, 0\nop 47\nret\n", 0, 0, 0},
        {"opcode 48", "mov 1, 0\nop 48\nret\n", 0, 0, 0},
        {"opcode -1", "op 0xFFFFFFFF\n", 0, 0, 0},
        {"operands cut", "mov 1, 0\nadd 1, 2, 3\n", 4, 0, 0},
        {"a length that is not whole words", "mov 1, 0\nret\n", 2, 0, 0},
        {"a table without its end", "jtab 1, 0, 0\n", 4, 0, 0},
        {"a misaligned start", "ret\nret\nret\n", 0, 2, 2},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const SobModule module = AssembleSob(row.source);
        const std::vector<std::uint8_t> stream(module.image.begin(), module.image.end() - row.cut);
        GuardedRange range(stream);
        CountingMemory memory;
        CompiledCode code(kFields, SobTemplateTable(), memory);
        const std::uint32_t length = static_cast<std::uint32_t>(stream.size()) - row.offset - row.trim;
        EXPECT_EQ(1, code.Compile(range.Start() + row.offset, length));
        EXPECT_EQ(0, memory.allocations);
        EXPECT_EQ(stream, range.Bytes());
    }
    CountingMemory memory;
    CompiledCode code(kFields, SobTemplateTable(), memory);
    EXPECT_EQ(1, code.Compile(0, 4)) << "a range at address 0";
    EXPECT_EQ(1, code.Compile(0xFFFFFFF0u, 0x20)) << "a range past the end of the address space";
    EXPECT_EQ(0, memory.allocations);
}

TEST(CompiledCode, TheAssembledTemplatesFormAValidTable) {
    ASSERT_TRUE(SobTemplateTable().Valid());
    for (std::uint32_t opcode = 0; opcode < kTrampolineEntry; ++opcode) {
        EXPECT_EQ(OperandsOf(opcode), kSobTemplates[opcode].operands) << opcode;
        EXPECT_GT(SobTemplateTable().Size(opcode), 0u) << opcode;
    }
    EXPECT_EQ(0u, kSobTemplates[kTrampolineEntry].operands);
}

// Mutants of a module that uses every instruction, compiled against the end of readable memory.
// The compiler must answer 0 or 1 without reading past the range; a refused mutant is left as it
// was with no memory held, an accepted one has every opcode word pointing into its native code.
TEST(CompiledCode, MutatedModulesCompileOrAreRefusedWithoutFaults) {
    std::string source;
    for (std::uint32_t opcode = 0; opcode < kTrampolineEntry; ++opcode) {
        source += "op " + std::to_string(opcode);
        for (std::uint32_t word = 0; word < (OperandsOf(opcode) & kOperandCountMask); ++word) {
            source += ", " + std::to_string(word + 1);
        }
        source += opcode == 7 ? ", 1, 2, -1\n" : "\n";
    }
    const SobModule module = AssembleSob(source);
    const std::vector<std::uint8_t> original(module.image.begin(), module.image.end());
    const std::vector<std::uint32_t> offsets = InstructionOffsets(original);
    std::mt19937 random(20251210);
    int accepted = 0;
    for (int round = 0; round < 600; ++round) {
        std::vector<std::uint8_t> bytes = original;
        const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        switch (round % 4) {
        case 0:  // random words
            for (int i = 0; i < 3; ++i) {
                testsupport::PutWord(bytes, 4 * pick(bytes.size() / 4), random());
            }
            break;
        case 1: {  // an opcode word set to 0-50 or -1
            const std::uint32_t value = pick(52);
            testsupport::PutWord(bytes, offsets[pick(offsets.size())], value == 51 ? 0xFFFFFFFFu : value);
            break;
        }
        case 2:  // the table's end removed
            for (std::size_t at = 0; at < bytes.size(); at += 4) {
                if (testsupport::WordAt(bytes, at) == 0xFFFFFFFFu) {
                    testsupport::PutWord(bytes, at, random());
                }
            }
            break;
        default:  // cut short, mostly by whole words; a range cut by bytes starts misaligned
            bytes.resize(round % 8 == 3 ? 4 * pick(bytes.size() / 4) : pick(bytes.size()));
            break;
        }
        GuardedRange range(bytes);
        CountingMemory memory;
        CompiledCode code(kFields, SobTemplateTable(), memory);
        const std::uint32_t length = static_cast<std::uint32_t>(bytes.size()) & ~3u;
        const int result = code.Compile(range.Start(), length);
        ASSERT_TRUE(result == 0 || result == 1) << round;
        if (result == 1) {
            EXPECT_EQ(bytes, range.Bytes()) << round;
            EXPECT_EQ(0, memory.Live()) << round;
            continue;
        }
        ++accepted;
        const std::vector<std::uint8_t> compiled = range.Bytes();
        const std::vector<std::uint8_t> stream(bytes.begin(), bytes.begin() + length);
        for (std::uint32_t at : InstructionOffsets(stream)) {
            const std::uint32_t word = testsupport::WordAt(compiled, at);
            EXPECT_GE(word, AddressOf(code.NativeCode())) << round;
            EXPECT_LT(word, AddressOf(code.NativeCode() + code.NativeSize())) << round;
        }
    }
    EXPECT_GT(accepted, 0);
}

}  // namespace
