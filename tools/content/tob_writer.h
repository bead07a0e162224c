// TOB writer: compiled TGS scenario modules (.TOB), TGS_INIT.DAT and TEXT_LOG.DAT for tests and
// test games, written from the layouts alone (never through the program's readers). Every
// length, count, offset, skip and mark can be replaced to make broken files.
//
//     testsupport::TobWriter tob;
//     tob.Label("start");
//     tob.Text("こんにちは");                     // UTF-8, stored as Shift-JIS
//     tob.Instruction(8, TobCondition::Always(), {TobOperand::LabelRef("end")});
//     tob.Label("end");
//     std::vector<std::uint8_t> file = tob.Bytes();
//
// Readings shared with the program's reader (stated once here):
//  - a label's length byte counts its NUL, as the names of TGS_INIT.DAT and TEXT_LOG.DAT do;
//  - an inline string's 16-bit length counts its NUL, which is its last byte (length 0: null);
//  - fixup list 3 receives the named symbol's address, list 4 the function library's base +
//    index, as the SOB linker does;
//  - the length of a block's fixup part equals the bytes of its length word and lists;
//  - the text runs to the end of the file, whose last byte is 0.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/content/sob_assembler.h"

namespace testsupport {

// SOB byte code with its five fixup lists, as an expression or "[s" block carries it.
struct TobCode {
    std::vector<std::uint8_t> code;
    std::vector<SobFixup> fixups[5];
    std::uint8_t mark = 0;                 // the linked mark as written
    std::int64_t codeLengthField = -1;     // replaces the code length when >= 0
    std::int64_t fixupLengthField = -1;    // replaces the fixup part's length when >= 0

    // The instruction stream and fixups of an assembled module.
    static TobCode FromSob(const SobModule& module);
};

struct TobCondition {
    std::uint8_t kind = 1;  // 0 immediate, 1 always, 2 array element, 3 expression
    std::int32_t value = 0;
    std::uint32_t array = 0;
    std::uint32_t element = 0;
    TobCode code;

    static TobCondition Always() { return TobCondition(); }
    static TobCondition Immediate(std::int32_t value);
    static TobCondition Element(std::uint32_t array, std::uint32_t element);
    static TobCondition Expression(const TobCode& code);
};

struct TobOperand {
    enum Form { kOmitted, kNumber, kValue, kString, kElement, kExpression, kLabel };
    Form form = kOmitted;
    std::uint8_t type = 0;
    std::int32_t value = 0;
    std::vector<std::uint8_t> text;  // kString: the bytes without the NUL
    bool nullString = false;         // kString: length 0
    std::uint32_t array = 0;
    std::uint32_t element = 0;
    TobCode code;
    std::string label;               // kLabel: resolved when the file is built

    static TobOperand Omitted() { return TobOperand(); }
    static TobOperand Number(std::int32_t value);                       // type 2
    static TobOperand Value(std::int32_t value, std::uint8_t type = 1);  // source 0
    static TobOperand String(const std::string& utf8, std::uint8_t type = 1);
    static TobOperand RawString(const std::vector<std::uint8_t>& bytes, std::uint8_t type = 1);
    static TobOperand NullString(std::uint8_t type = 1);
    static TobOperand Element(std::uint32_t array, std::uint32_t element, std::uint8_t type = 1);
    static TobOperand Expression(const TobCode& code, std::uint8_t type = 1);
    static TobOperand LabelRef(const std::string& label);                // type 0xFF, source 0
    static TobOperand Offset(std::int32_t offset);                       // type 0xFF, a text offset
};

// UTF-8 as Shift-JIS (code page 932); text that is not UTF-8 (a literal compiled to Shift-JIS)
// is taken as it stands.
std::vector<std::uint8_t> ShiftJis(const std::string& utf8);

class TobWriter {
public:
    TobWriter& Magic(const std::string& magic);  // "TOB0" (default) or "TOB1", or anything

    // A named label at the current text offset.
    TobWriter& Label(const std::string& name);
    // A named label with a given offset (e.g. outside the text).
    TobWriter& LabelAt(const std::string& name, std::uint32_t offset);
    // The next line entry, at the current text offset.
    TobWriter& Line();
    TobWriter& LineAt(std::uint32_t offset);
    TobWriter& Text(const std::string& utf8);
    TobWriter& Bytes(const std::vector<std::uint8_t>& bytes);
    // An instruction; skip >= 0 replaces the default (past the instruction).
    TobWriter& Instruction(std::uint32_t opcode, const TobCondition& condition,
                           const std::vector<TobOperand>& operands, std::int64_t skip = -1);
    // An inline block of SOB code ("[s").
    TobWriter& Inline(const TobCode& code);

    // Offset of the next text byte.
    std::uint32_t TextOffset() const { return static_cast<std::uint32_t>(m_text.size()); }
    // Offset of a label; throws when it is unknown.
    std::uint32_t LabelOffset(const std::string& name) const;

    // Replacements of the header fields, for broken files.
    std::int64_t labelBlockLengthField = -1;
    std::int64_t labelCountField = -1;
    std::int64_t lineBlockLengthField = -1;
    std::int64_t lineCountField = -1;
    bool terminate = true;  // the text's final 0

    // The file. Throws std::invalid_argument for a label operand naming no label.
    std::vector<std::uint8_t> Bytes() const;
    // Where the text starts in the file.
    std::uint32_t TextStart() const;

private:
    struct Patch {
        std::uint32_t at;
        std::string label;
    };
    void AppendOperand(const TobOperand& operand);
    void AppendExpression(const TobCode& code);

    std::string m_magic = "TOB0";
    std::vector<std::pair<std::string, std::uint32_t>> m_labels;
    std::vector<std::uint32_t> m_lines;
    std::vector<std::uint8_t> m_text;
    std::vector<Patch> m_patches;
};

// TGS_INIT.DAT.
struct TgsInitEntry {
    std::string name;  // stored with its NUL
    std::uint32_t readFlags = 0;
    std::uint32_t choiceFlags = 0;
};
std::vector<std::uint8_t> TgsInitFile(const std::vector<TgsInitEntry>& entries, std::int64_t countField = -1);

// TEXT_LOG.DAT.
struct TextLogRecord {
    std::string name;
    std::uint32_t readBits = 0;
    std::vector<std::uint8_t> readBytes;
    std::uint32_t choiceBits = 0;
    std::vector<std::uint8_t> choiceBytes;
};
// Packed with LZSS when `pack` (and when packing pays), else stored.
std::vector<std::uint8_t> TextLogFile(const std::vector<TextLogRecord>& records, bool pack,
                                      const std::string& magic = "TSLG");

}  // namespace testsupport
