#include "tools/content/sob_assembler.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {
namespace {

struct Mnemonic {
    const char* name;
    std::uint32_t opcode;
    int operands;  // -1: the table jump
};

const Mnemonic kMnemonics[] = {
    {"stop", 0, 0},    {"ret", 1, 0},      {"retv", 2, 1},    {"sta", 3, 1},      {"call", 4, 1},
    {"cmd", 5, 3},     {"jmp", 6, 1},      {"jtab", 7, -1},   {"push", 8, 1},     {"pushm", 9, 1},
    {"pop", 10, 1},    {"addsp", 11, 1},   {"subsp", 12, 1},  {"add", 13, 3},     {"sub", 14, 3},
    {"mul", 15, 3},    {"div", 16, 3},     {"rem", 17, 3},    {"mod", 18, 3},     {"and", 19, 3},
    {"or", 20, 3},     {"xor", 21, 3},     {"not", 22, 2},    {"lnot", 23, 2},    {"sar", 24, 3},
    {"shl", 25, 3},    {"inc", 26, 1},     {"dec", 27, 1},    {"incs", 28, 1},    {"decs", 29, 1},
    {"jz", 30, 2},     {"mov", 31, 2},     {"copy", 32, 2},   {"stptr", 33, 2},   {"sets", 34, 2},
    {"gets", 35, 2},   {"copys", 36, 2},   {"movs", 37, 2},   {"getsptr", 38, 2}, {"copyptr", 39, 2},
    {"lea", 40, 2},    {"lt", 41, 3},      {"le", 42, 3},     {"gt", 43, 3},      {"ge", 44, 3},
    {"eq", 45, 3},     {"ne", 46, 3},
};

// A word whose value is known only after every label is placed.
struct PendingWord {
    std::uint32_t at;
    std::string text;
    int line;
};

[[noreturn]] void Fail(int line, const std::string& what) {
    throw std::invalid_argument("SOB source line " + std::to_string(line) + ": " + what);
}

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// Cuts a ';' comment that is not inside a quoted text.
std::string StripComment(const std::string& line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && quoted) {
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ';' && !quoted) {
            return line.substr(0, i);
        }
    }
    return line;
}

std::vector<std::string> SplitOperands(const std::string& text) {
    std::vector<std::string> parts;
    std::string current;
    for (char ch : text) {
        if (ch == ',' || std::isspace(static_cast<unsigned char>(ch))) {
            if (!current.empty()) {
                parts.push_back(current);
                current.clear();
            }
        } else {
            current += ch;
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    return parts;
}

bool ParseInteger(const std::string& text, std::uint32_t& value) {
    if (text.empty()) {
        return false;
    }
    const char* begin = text.c_str();
    char* end = nullptr;
    const bool negative = text[0] == '-';
    const unsigned long long magnitude = std::strtoull(begin + (negative ? 1 : 0), &end, 0);
    if (*end != '\0' || end == begin + (negative ? 1 : 0)) {
        return false;
    }
    value = static_cast<std::uint32_t>(negative ? 0ull - magnitude : magnitude);
    return true;
}

void PadToWord(std::vector<std::uint8_t>& bytes) {
    while (bytes.size() % 4 != 0) {
        bytes.push_back(0);
    }
}

std::string ParseText(const std::string& text, int line) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        Fail(line, "a text must be in double quotes");
    }
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\\' && i + 2 < text.size()) {
            const char escaped = text[++i];
            if (escaped == 'x' && i + 3 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
                ch = static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                ch = escaped == 'n' ? '\n' : escaped == '0' ? '\0' : escaped;
            }
        }
        out += ch;
    }
    return out;
}

void ResolveWord(SobModule& module, const PendingWord& word) {
    std::uint32_t value = 0;
    if (ParseInteger(word.text, value)) {
        PutWord(module.image, word.at, value);
        return;
    }
    const std::size_t colon = word.text.find(':');
    if (colon != std::string::npos) {
        const std::string kind = word.text.substr(0, colon);
        if (!ParseInteger(word.text.substr(colon + 1), value)) {
            Fail(word.line, "bad number in " + word.text);
        }
        SobFixupKind list;
        if (kind == "var") {
            list = kSobFixVariable;
        } else if (kind == "cmd") {
            list = kSobFixCommand;
        } else if (kind == "sym") {
            list = kSobFixSymbol;
        } else if (kind == "lib") {
            list = kSobFixLibrary;
        } else {
            Fail(word.line, "unknown fixup kind " + kind);
        }
        module.fixups[list].push_back({word.at, value});
        return;
    }
    std::size_t sign = word.text.find_first_of("+-");
    const std::string name = word.text.substr(0, sign);
    std::uint32_t offset = 0;
    if (sign != std::string::npos) {
        if (!ParseInteger(word.text.substr(sign + 1), offset)) {
            Fail(word.line, "bad offset in " + word.text);
        }
        if (word.text[sign] == '-') {
            offset = 0u - offset;
        }
    }
    const auto found = module.labels.find(name);
    if (found == module.labels.end()) {
        Fail(word.line, "unknown label " + name);
    }
    module.fixups[kSobFixInternal].push_back({word.at, found->second + offset});
}

}  // namespace

std::uint32_t SobModule::Label(const std::string& name) const {
    const auto found = labels.find(name);
    if (found == labels.end()) {
        throw std::invalid_argument("unknown label " + name);
    }
    return found->second;
}

std::vector<std::uint8_t> SobModule::Body() const {
    std::vector<std::uint8_t> section;
    for (const auto& list : fixups) {
        AppendWord(section, static_cast<std::uint32_t>(list.size()));
        for (const SobFixup& fixup : list) {
            AppendWord(section, fixup.at);
            AppendWord(section, fixup.value);
        }
    }
    AppendWord(section, terminator);
    std::vector<std::uint8_t> body;
    AppendWord(body, fixupSectionSizeField >= 0 ? static_cast<std::uint32_t>(fixupSectionSizeField)
                                                : static_cast<std::uint32_t>(section.size()));
    body.insert(body.end(), section.begin(), section.end());
    AppendWord(body, instructionSize);
    AppendWord(body, imageSizeField >= 0 ? static_cast<std::uint32_t>(imageSizeField)
                                         : static_cast<std::uint32_t>(image.size()));
    body.insert(body.end(), image.begin(), image.end());
    return body;
}

std::vector<std::uint8_t> SobModule::Sob0() const {
    std::vector<std::uint8_t> file = {'S', 'O', 'B', '0'};
    const std::vector<std::uint8_t> body = Body();
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<std::uint8_t> SobModule::Sob2() const {
    std::vector<std::uint8_t> file = Sob0();
    file[3] = '2';
    return file;
}

SobModule AssembleSob(const std::string& source) {
    SobModule module;
    std::vector<PendingWord> pending;
    bool dataStarted = false;
    // While a tail is open the image being written is the tail, and `tail` holds the image.
    std::vector<std::uint8_t> tail;
    bool inTail = false;
    std::vector<std::string> tailLabels;
    std::vector<std::size_t> tailWords;
    std::size_t position = 0;
    int lineNumber = 0;
    auto emit = [&](const std::string& text, int line) {
        if (inTail) {
            tailWords.push_back(pending.size());
        }
        pending.push_back({static_cast<std::uint32_t>(module.image.size()), text, line});
        AppendWord(module.image, 0);
    };
    while (position <= source.size()) {
        std::size_t end = source.find('\n', position);
        if (end == std::string::npos) {
            end = source.size();
        }
        ++lineNumber;
        std::string line = Trim(StripComment(source.substr(position, end - position)));
        position = end + 1;
        // Labels first; "name:" but not "var:3" (which has something right after the colon).
        for (;;) {
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos || (colon + 1 < line.size() && !std::isspace(static_cast<unsigned char>(line[colon + 1])))) {
                break;
            }
            const std::string label = Trim(line.substr(0, colon));
            if (label.empty() || label.find_first_of(" \t\"") != std::string::npos) {
                break;
            }
            if (!module.labels.emplace(label, static_cast<std::uint32_t>(module.image.size())).second) {
                Fail(lineNumber, "label defined twice: " + label);
            }
            if (inTail) {
                tailLabels.push_back(label);
            }
            line = Trim(line.substr(colon + 1));
        }
        if (line.empty()) {
            continue;
        }
        const std::size_t space = line.find_first_of(" \t");
        const std::string head = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : Trim(line.substr(space));
        if (head == ".tail" || head == ".endtail") {
            if (inTail == (head == ".tail")) {
                Fail(lineNumber, head + " out of place");
            }
            std::swap(module.image, tail);
            inTail = !inTail;
        } else if (head == ".data") {
            if (inTail) {
                Fail(lineNumber, ".data inside a tail");
            }
            if (!dataStarted) {
                module.instructionSize = static_cast<std::uint32_t>(module.image.size());
                dataStarted = true;
            }
        } else if (head == ".word") {
            for (const std::string& operand : SplitOperands(rest)) {
                emit(operand, lineNumber);
            }
        } else if (head == ".text") {
            const std::string text = ParseText(rest, lineNumber);
            module.image.insert(module.image.end(), text.begin(), text.end());
            module.image.push_back(0);
            PadToWord(module.image);
        } else if (head == ".space") {
            std::uint32_t count = 0;
            if (!ParseInteger(rest, count)) {
                Fail(lineNumber, "bad size");
            }
            module.image.resize(module.image.size() + count, 0);
            PadToWord(module.image);
        } else if (head == "op") {
            const std::vector<std::string> operands = SplitOperands(rest);
            if (operands.empty()) {
                Fail(lineNumber, "op needs an opcode");
            }
            for (const std::string& operand : operands) {
                emit(operand, lineNumber);
            }
        } else {
            const Mnemonic* found = nullptr;
            for (const Mnemonic& mnemonic : kMnemonics) {
                if (head == mnemonic.name) {
                    found = &mnemonic;
                }
            }
            if (!found) {
                Fail(lineNumber, "unknown mnemonic " + head);
            }
            const std::vector<std::string> operands = SplitOperands(rest);
            if (found->operands >= 0 ? operands.size() != static_cast<std::size_t>(found->operands) : operands.empty()) {
                Fail(lineNumber, std::string("wrong operand count for ") + found->name);
            }
            AppendWord(module.image, found->opcode);
            for (const std::string& operand : operands) {
                emit(operand, lineNumber);
            }
            if (found->operands < 0) {
                AppendWord(module.image, 0xFFFFFFFFu);
            }
        }
    }
    if (inTail) {
        Fail(lineNumber, ".tail without .endtail");
    }
    if (!dataStarted) {
        module.instructionSize = static_cast<std::uint32_t>(module.image.size());
    }
    const std::uint32_t tailStart = static_cast<std::uint32_t>(module.image.size());
    module.image.insert(module.image.end(), tail.begin(), tail.end());
    for (const std::string& label : tailLabels) {
        module.labels[label] += tailStart;
    }
    for (std::size_t index : tailWords) {
        pending[index].at += tailStart;
    }
    for (const PendingWord& word : pending) {
        ResolveWord(module, word);
    }
    return module;
}

std::uint32_t SobUserVar::Add(std::uint8_t kind, std::uint8_t attribute, std::uint32_t size,
                              const std::vector<std::uint8_t>& initial) {
    const std::uint32_t offset = static_cast<std::uint32_t>(area.size());
    area.resize(offset + ((size + 3) & ~3u), 0);
    for (std::size_t i = 0; i < initial.size() && i < size; ++i) {
        area[offset + i] = initial[i];
    }
    definitions.push_back({kind, attribute, offset, size});
    return static_cast<std::uint32_t>(definitions.size() - 1);
}

std::uint32_t SobUserVar::AddNumber(std::uint8_t attribute, std::int32_t initial) {
    std::vector<std::uint8_t> bytes;
    AppendWord(bytes, static_cast<std::uint32_t>(initial));
    return Add(0, attribute, 4, bytes);
}

std::uint32_t SobUserVar::AddText(std::uint8_t kind, std::uint8_t attribute, std::uint32_t size,
                                  const std::string& initial) {
    return Add(kind, attribute, size, std::vector<std::uint8_t>(initial.begin(), initial.end()));
}

std::vector<std::uint8_t> SobUserVar::Bytes() const {
    std::vector<std::uint8_t> file = {'S', 'O', 'B', '1'};
    AppendWord(file, areaSizeField >= 0 ? static_cast<std::uint32_t>(areaSizeField) : static_cast<std::uint32_t>(area.size()));
    file.insert(file.end(), area.begin(), area.end());
    AppendWord(file, definitionCountField >= 0 ? static_cast<std::uint32_t>(definitionCountField)
                                               : static_cast<std::uint32_t>(definitions.size()));
    for (const SobVariableDefinition& definition : definitions) {
        file.push_back(definition.kind);
        file.push_back(definition.attribute);
        AppendWord(file, definition.offset);
        AppendWord(file, definition.size);
    }
    AppendWord(file, relocationCountField >= 0 ? static_cast<std::uint32_t>(relocationCountField)
                                               : static_cast<std::uint32_t>(relocations.size()));
    for (const SobFixup& relocation : relocations) {
        AppendWord(file, relocation.at);
        AppendWord(file, relocation.value);
    }
    AppendWord(file, terminator);
    return file;
}

std::vector<std::uint8_t> SobInitFile(const std::vector<SobInitRecord>& records, std::int32_t countField) {
    std::vector<std::uint8_t> file;
    const std::uint32_t count = countField >= 0 ? static_cast<std::uint32_t>(countField) : static_cast<std::uint32_t>(records.size());
    AppendHalf(file, count);
    for (const SobInitRecord& record : records) {
        file.push_back(static_cast<std::uint8_t>(record.name.size() + (record.terminated ? 1 : 0)));
        file.insert(file.end(), record.name.begin(), record.name.end());
        if (record.terminated) {
            file.push_back(0);
        }
        AppendHalf(file, record.readFlags);
        AppendHalf(file, record.choiceFlags);
    }
    return file;
}

}  // namespace testsupport
