#include "tools/content/tob_writer.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "framework/archive/lzss_codec.h"
#include "tools/content/byte_words.h"

namespace testsupport {

TobCode TobCode::FromSob(const SobModule& module) {
    TobCode code;
    code.code = module.image;
    for (int list = 0; list < 5; ++list) code.fixups[list] = module.fixups[list];
    return code;
}

TobCondition TobCondition::Immediate(std::int32_t value) {
    TobCondition c;
    c.kind = 0;
    c.value = value;
    return c;
}

TobCondition TobCondition::Element(std::uint32_t array, std::uint32_t element) {
    TobCondition c;
    c.kind = 2;
    c.array = array;
    c.element = element;
    return c;
}

TobCondition TobCondition::Expression(const TobCode& code) {
    TobCondition c;
    c.kind = 3;
    c.code = code;
    return c;
}

TobOperand TobOperand::Number(std::int32_t value) {
    TobOperand o;
    o.form = kNumber;
    o.type = 2;
    o.value = value;
    return o;
}

TobOperand TobOperand::Value(std::int32_t value, std::uint8_t type) {
    TobOperand o;
    o.form = kValue;
    o.type = type;
    o.value = value;
    return o;
}

TobOperand TobOperand::String(const std::string& utf8, std::uint8_t type) {
    return RawString(ShiftJis(utf8), type);
}

TobOperand TobOperand::RawString(const std::vector<std::uint8_t>& bytes, std::uint8_t type) {
    TobOperand o;
    o.form = kString;
    o.type = type;
    o.text = bytes;
    return o;
}

TobOperand TobOperand::NullString(std::uint8_t type) {
    TobOperand o;
    o.form = kString;
    o.type = type;
    o.nullString = true;
    return o;
}

TobOperand TobOperand::Element(std::uint32_t array, std::uint32_t element, std::uint8_t type) {
    TobOperand o;
    o.form = kElement;
    o.type = type;
    o.array = array;
    o.element = element;
    return o;
}

TobOperand TobOperand::Expression(const TobCode& code, std::uint8_t type) {
    TobOperand o;
    o.form = kExpression;
    o.type = type;
    o.code = code;
    return o;
}

TobOperand TobOperand::LabelRef(const std::string& label) {
    TobOperand o;
    o.form = kLabel;
    o.type = 0xFF;
    o.label = label;
    return o;
}

TobOperand TobOperand::Offset(std::int32_t offset) {
    TobOperand o;
    o.form = kValue;
    o.type = 0xFF;
    o.value = offset;
    return o;
}

std::vector<std::uint8_t> ShiftJis(const std::string& utf8) {
    if (utf8.empty()) return {};
    // Literals of our own sources are compiled to Shift-JIS already, and those bytes are not
    // UTF-8: they pass through unchanged.
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
    if (wide <= 0) return std::vector<std::uint8_t>(utf8.begin(), utf8.end());
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], wide);
    const int bytes = WideCharToMultiByte(932, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(932, 0, text.data(), wide, reinterpret_cast<char*>(out.data()), bytes, nullptr, nullptr);
    return out;
}

TobWriter& TobWriter::Magic(const std::string& magic) {
    m_magic = magic;
    return *this;
}

TobWriter& TobWriter::Label(const std::string& name) { return LabelAt(name, TextOffset()); }

TobWriter& TobWriter::LabelAt(const std::string& name, std::uint32_t offset) {
    m_labels.emplace_back(name, offset);
    return *this;
}

TobWriter& TobWriter::Line() { return LineAt(TextOffset()); }

TobWriter& TobWriter::LineAt(std::uint32_t offset) {
    m_lines.push_back(offset);
    return *this;
}

TobWriter& TobWriter::Text(const std::string& utf8) { return Bytes(ShiftJis(utf8)); }

TobWriter& TobWriter::Bytes(const std::vector<std::uint8_t>& bytes) {
    m_text.insert(m_text.end(), bytes.begin(), bytes.end());
    return *this;
}

static void AppendFixups(std::vector<std::uint8_t>& out, const TobCode& code, bool wide) {
    std::size_t entries = 0;
    for (const auto& list : code.fixups) entries += list.size();
    const std::size_t lengthWord = wide ? 4 : 2;
    const std::size_t countWord = wide ? 4 : 1;
    const std::size_t length = lengthWord + 5 * countWord + 8 * entries;
    const std::uint32_t field =
        static_cast<std::uint32_t>(code.fixupLengthField >= 0 ? code.fixupLengthField : static_cast<std::int64_t>(length));
    if (wide) {
        AppendWord(out, field);
    } else {
        AppendHalf(out, field);
    }
    for (const auto& list : code.fixups) {
        if (wide) {
            AppendWord(out, static_cast<std::uint32_t>(list.size()));
        } else {
            out.push_back(static_cast<std::uint8_t>(list.size()));
        }
        for (const SobFixup& fixup : list) {
            AppendWord(out, fixup.at);
            AppendWord(out, fixup.value);
        }
    }
}

void TobWriter::AppendExpression(const TobCode& code) {
    AppendHalf(m_text, static_cast<std::uint32_t>(code.codeLengthField >= 0 ? code.codeLengthField
                                                                           : static_cast<std::int64_t>(code.code.size())));
    m_text.insert(m_text.end(), code.code.begin(), code.code.end());
    m_text.push_back(code.mark);
    AppendFixups(m_text, code, false);
}

void TobWriter::AppendOperand(const TobOperand& operand) {
    m_text.push_back(operand.type);
    switch (operand.form) {
    case TobOperand::kOmitted: break;
    case TobOperand::kNumber: AppendWord(m_text, static_cast<std::uint32_t>(operand.value)); break;
    case TobOperand::kValue:
        m_text.push_back(0);
        AppendWord(m_text, static_cast<std::uint32_t>(operand.value));
        break;
    case TobOperand::kLabel:
        m_text.push_back(0);
        m_patches.push_back({TextOffset(), operand.label});
        AppendWord(m_text, 0);
        break;
    case TobOperand::kString:
        m_text.push_back(1);
        if (operand.nullString) {
            AppendHalf(m_text, 0);
        } else {
            AppendHalf(m_text, static_cast<std::uint32_t>(operand.text.size() + 1));
            m_text.insert(m_text.end(), operand.text.begin(), operand.text.end());
            m_text.push_back(0);
        }
        break;
    case TobOperand::kElement:
        m_text.push_back(2);
        AppendWord(m_text, operand.array);
        AppendWord(m_text, operand.element);
        break;
    case TobOperand::kExpression:
        m_text.push_back(3);
        AppendExpression(operand.code);
        break;
    }
}

TobWriter& TobWriter::Instruction(std::uint32_t opcode, const TobCondition& condition,
                                  const std::vector<TobOperand>& operands, std::int64_t skip) {
    m_text.push_back('[');
    m_text.push_back(' ');
    AppendWord(m_text, opcode);
    m_text.push_back(condition.kind);
    switch (condition.kind) {
    case 0: AppendWord(m_text, static_cast<std::uint32_t>(condition.value)); break;
    case 2:
        AppendWord(m_text, condition.array);
        AppendWord(m_text, condition.element);
        break;
    case 3: AppendExpression(condition.code); break;
    default: break;
    }
    const std::uint32_t skipAt = TextOffset();
    AppendWord(m_text, 0);
    m_text.push_back(static_cast<std::uint8_t>(operands.size()));
    for (const TobOperand& operand : operands) AppendOperand(operand);
    PutWord(m_text, skipAt, static_cast<std::uint32_t>(skip >= 0 ? skip : static_cast<std::int64_t>(TextOffset() - skipAt)));
    return *this;
}

TobWriter& TobWriter::Inline(const TobCode& code) {
    m_text.push_back('[');
    m_text.push_back('s');
    AppendWord(m_text, static_cast<std::uint32_t>(code.codeLengthField >= 0 ? code.codeLengthField
                                                                           : static_cast<std::int64_t>(code.code.size())));
    m_text.insert(m_text.end(), code.code.begin(), code.code.end());
    m_text.push_back(code.mark);
    AppendFixups(m_text, code, true);
    return *this;
}

std::uint32_t TobWriter::LabelOffset(const std::string& name) const {
    for (const auto& label : m_labels) {
        if (label.first == name) return label.second;
    }
    throw std::invalid_argument("unknown TOB label: " + name);
}

std::uint32_t TobWriter::TextStart() const {
    std::uint32_t labels = 8;
    for (const auto& label : m_labels) labels += 1 + static_cast<std::uint32_t>(label.first.size()) + 1 + 4;
    return 4 + labels + 8 + 4 * static_cast<std::uint32_t>(m_lines.size());
}

std::vector<std::uint8_t> TobWriter::Bytes() const {
    std::vector<std::uint8_t> out(m_magic.begin(), m_magic.end());
    std::vector<std::uint8_t> labels;
    for (const auto& label : m_labels) {
        labels.push_back(static_cast<std::uint8_t>(label.first.size() + 1));
        labels.insert(labels.end(), label.first.begin(), label.first.end());
        labels.push_back(0);
        AppendWord(labels, label.second);
    }
    const std::uint32_t labelLength = 8 + static_cast<std::uint32_t>(labels.size());
    AppendWord(out, static_cast<std::uint32_t>(labelBlockLengthField >= 0 ? labelBlockLengthField : labelLength));
    AppendWord(out, static_cast<std::uint32_t>(labelCountField >= 0 ? labelCountField
                                                                    : static_cast<std::int64_t>(m_labels.size())));
    out.insert(out.end(), labels.begin(), labels.end());
    const std::uint32_t lineLength = 8 + 4 * static_cast<std::uint32_t>(m_lines.size());
    AppendWord(out, static_cast<std::uint32_t>(lineBlockLengthField >= 0 ? lineBlockLengthField : lineLength));
    AppendWord(out, static_cast<std::uint32_t>(lineCountField >= 0 ? lineCountField
                                                                   : static_cast<std::int64_t>(m_lines.size())));
    for (std::uint32_t line : m_lines) AppendWord(out, line);
    std::vector<std::uint8_t> text = m_text;
    for (const Patch& patch : m_patches) PutWord(text, patch.at, LabelOffset(patch.label));
    out.insert(out.end(), text.begin(), text.end());
    if (terminate) out.push_back(0);
    return out;
}

std::vector<std::uint8_t> TgsInitFile(const std::vector<TgsInitEntry>& entries, std::int64_t countField) {
    std::vector<std::uint8_t> out;
    AppendWord(out, static_cast<std::uint32_t>(countField >= 0 ? countField : static_cast<std::int64_t>(entries.size())));
    for (const TgsInitEntry& entry : entries) {
        out.push_back(static_cast<std::uint8_t>(entry.name.size() + 1));
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.push_back(0);
        AppendWord(out, entry.readFlags);
        AppendWord(out, entry.choiceFlags);
    }
    return out;
}

std::vector<std::uint8_t> TextLogFile(const std::vector<TextLogRecord>& records, bool pack, const std::string& magic) {
    std::vector<std::uint8_t> data;
    for (const TextLogRecord& record : records) {
        data.push_back(static_cast<std::uint8_t>(record.name.size() + 1));
        data.insert(data.end(), record.name.begin(), record.name.end());
        data.push_back(0);
        AppendWord(data, record.readBits);
        AppendWord(data, static_cast<std::uint32_t>(record.readBytes.size()));
        data.insert(data.end(), record.readBytes.begin(), record.readBytes.end());
        AppendWord(data, record.choiceBits);
        AppendWord(data, static_cast<std::uint32_t>(record.choiceBytes.size()));
        data.insert(data.end(), record.choiceBytes.begin(), record.choiceBytes.end());
    }
    std::vector<std::uint8_t> stored = data;
    std::uint32_t unpacked = 0;
    if (pack && !data.empty()) {
        std::unique_ptr<LzssCodec> codec(new LzssCodec);
        std::uint8_t* packed = nullptr;
        std::uint32_t packedSize = 0;
        if (codec->Encode(data.data(), &packed, static_cast<std::uint32_t>(data.size()), &packedSize, true) ==
            LzssCodec::kDone) {
            stored.assign(packed, packed + packedSize);
            unpacked = static_cast<std::uint32_t>(data.size());
            std::free(packed);
        }
    }
    std::vector<std::uint8_t> out(magic.begin(), magic.end());
    AppendWord(out, static_cast<std::uint32_t>(stored.size()));
    AppendWord(out, unpacked);
    AppendWord(out, static_cast<std::uint32_t>(records.size()));
    out.insert(out.end(), stored.begin(), stored.end());
    return out;
}

}  // namespace testsupport
