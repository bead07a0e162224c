// SOB assembler: writes compiled script files (modules "SOB0", the function library "SOB2", the
// variable module "SOB1" and SOB_INIT.DAT) from small readable descriptions, for tests and test
// games. Every field stays reachable so that tests can break a file on purpose.
//
// Module source, one statement per line, ';' starts a comment:
//   name:                label at the current offset (an instruction may follow on the line)
//   mnemonic op, op...   an instruction (table below); `op N, w...` writes opcode N and the words
//   .data                the instruction stream ends here (X); without it X is the whole image
//   .word v, v...        data words
//   .text "..."          a zero-terminated byte string (\" \\ \n \0 \xHH escapes), padded to 4 bytes
//   .space n             n zero bytes, padded to 4
//   .tail / .endtail     the lines between go to the very end of the image, after everything
//                        else: data that a helper's lines keep out of the instruction stream
// Operand values: an integer (decimal, -N, 0xN), `label` or `label+N`/`label-N` (internal fixup:
// the address of that image offset), `var:N` (variable entry N), `cmd:N` (command N), `sym:N`
// (named symbol N), `lib:N` (N bytes into the function library).
//
// Mnemonics (a, b, c are the operands; [x] a memory word, S(k) the stack word k bytes below the
// stack pointer):
//    0 stop           1 ret            2 retv a         3 sta a ([a]=acc)  4 call a
//    5 cmd a, b, c    6 jmp a          7 jtab a, t1, t2... (the -1 end is appended)
//    8 push a         9 pushm a       10 pop a         11 addsp a        12 subsp a
//   13 add           14 sub           15 mul           16 div            17 rem
//   18 mod           19 and           20 or            21 xor   (a, b, c: [c] = a op b)
//   22 not a, b      23 lnot a, b     24 sar a, b, c   25 shl a, b, c
//   26 inc a         27 dec a         28 incs a        29 decs a         30 jz a, b
//   31 mov a, b ([b]=a)               32 copy a, b ([b]=[a])             33 stptr a, b ([[b]]=a)
//   34 sets a, b (S(b)=a)             35 gets a, b ([b]=S(a))            36 copys a, b (S(b)=[a])
//   37 movs a, b (S(b)=S(a))          38 getsptr a, b ([b]=[S(a)])       39 copyptr a, b ([b]=[[a]])
//   40 lea a, b ([b]=sp-a)
//   41 lt  42 le  43 gt  44 ge  45 eq  46 ne (a, b, c: [c] = 1 when a op b)
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/content/byte_words.h"

namespace testsupport {

// The fixup lists of a module, in file order.
enum SobFixupKind { kSobFixVariable = 0, kSobFixCommand, kSobFixSymbol, kSobFixLibrary, kSobFixInternal };

struct SobFixup {
    std::uint32_t at;     // byte offset of the patched word in the image
    std::uint32_t value;  // entry, opcode, symbol number or byte offset
};

struct SobModule {
    std::vector<std::uint8_t> image;
    std::uint32_t instructionSize = 0;
    std::vector<SobFixup> fixups[5];
    std::uint32_t terminator = 0;
    // Written in place of the true sizes when set (>= 0), to make broken files.
    std::int64_t fixupSectionSizeField = -1;
    std::int64_t imageSizeField = -1;
    std::map<std::string, std::uint32_t> labels;

    // Offset of a label; throws when it is unknown.
    std::uint32_t Label(const std::string& name) const;
    // The module body: fixup section size, fixup lists, terminator, X, S, image.
    std::vector<std::uint8_t> Body() const;
    std::vector<std::uint8_t> Sob0() const;  // "SOB0" + body
    std::vector<std::uint8_t> Sob2() const;  // "SOB2" + body
};

// Assembles a module; throws std::invalid_argument naming the line of a mistake.
SobModule AssembleSob(const std::string& source);

// The variable module: an area, definitions over it and pointer relocations inside it.
struct SobVariableDefinition {
    std::uint8_t kind;       // 0 number or block, 1 text through a pointer, 2 text in the area
    std::uint8_t attribute;  // class: 0 ordinary, 1 saved, 2 persistent
    std::uint32_t offset;
    std::uint32_t size;
};

struct SobUserVar {
    std::vector<std::uint8_t> area;
    std::vector<SobVariableDefinition> definitions;
    std::vector<SobFixup> relocations;  // area word at `at` = area address + `value`
    std::uint32_t terminator = 0;
    std::int64_t areaSizeField = -1;
    std::int64_t definitionCountField = -1;
    std::int64_t relocationCountField = -1;

    // Appends a variable of `size` bytes (the area grows by size rounded up to 4) holding
    // `initial` at its start; returns its entry number.
    std::uint32_t Add(std::uint8_t kind, std::uint8_t attribute, std::uint32_t size,
                      const std::vector<std::uint8_t>& initial = {});
    std::uint32_t AddNumber(std::uint8_t attribute, std::int32_t initial = 0);
    std::uint32_t AddText(std::uint8_t kind, std::uint8_t attribute, std::uint32_t size, const std::string& initial = "");
    std::vector<std::uint8_t> Bytes() const;  // "SOB1" file
};

struct SobInitRecord {
    std::string name;
    std::uint16_t readFlags;
    std::uint16_t choiceFlags;
    bool terminated = true;  // false: the name's zero is left out of the record
};

// SOB_INIT.DAT; `countField` >= 0 replaces the true record count.
std::vector<std::uint8_t> SobInitFile(const std::vector<SobInitRecord>& records, std::int32_t countField = -1);

}  // namespace testsupport
