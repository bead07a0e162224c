#include <cstring>
#include <vector>

#include "scenario/tgs/tgs_frame.h"

namespace {

void AppendWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::int32_t TgsFrame::EncodeInstruction(std::uint32_t opcode, const std::uint32_t* operands, std::uint32_t count) {
    if (!operands && count != 0) return 1;
    const std::uint32_t room = TgsExecutorState::kOutputSize - m_executor.outputLength;
    std::vector<std::uint8_t> command = {0x00, '[', 0, 0, 0, 0};
    AppendWord(command, opcode);
    AppendWord(command, count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t type = operands[2 * i];
        const std::uint32_t value = operands[2 * i + 1];
        command.push_back(static_cast<std::uint8_t>(type));
        if (!TgsIsString(type)) {
            AppendWord(command, value);
            continue;
        }
        if (value == 0) {
            AppendWord(command, 0);
            continue;
        }
        const char* text = reinterpret_cast<const char*>(value);
        const std::size_t length = strnlen(text, room);
        if (length >= room) return 2;
        AppendWord(command, static_cast<std::uint32_t>(length + 1));
        command.insert(command.end(), text, text + length + 1);
    }
    const std::uint32_t length = static_cast<std::uint32_t>(command.size() - 2);
    std::memcpy(command.data() + 2, &length, 4);
    return AppendOutput(command.data(), static_cast<std::uint32_t>(command.size())) ? 0 : 2;
}

std::int32_t TgsFrame::DecodeInstruction(const std::uint8_t*& cursor, const std::uint8_t* end, std::uint32_t* opcode,
                                         std::uint32_t* operands, std::uint32_t operandWords, std::uint32_t* count) {
    if (!cursor || !opcode || !count || end - cursor < 14 || cursor[0] != 0x00 || cursor[1] != '[') return 1;
    std::uint32_t length = 0;
    std::memcpy(&length, cursor + 2, 4);
    if (length < 12 || length > static_cast<std::uint32_t>(end - cursor - 2)) return 1;
    const std::uint8_t* p = cursor + 6;
    const std::uint8_t* const stop = cursor + 2 + length;
    std::uint32_t code = 0;
    std::uint32_t n = 0;
    std::memcpy(&code, p, 4);
    std::memcpy(&n, p + 4, 4);
    p += 8;
    if (n > operandWords / 2 || (n != 0 && !operands)) return 1;
    char* strings = reinterpret_cast<char*>(operands + 2 * n);
    std::uint32_t stringRoom = 4 * (operandWords - 2 * n);
    std::vector<std::uint32_t> decoded(2 * n);
    std::vector<char> texts;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> textOperands;  // operand, offset in texts
    for (std::uint32_t i = 0; i < n; ++i) {
        if (stop - p < 5) return 1;
        const std::uint32_t type = *p++;
        std::uint32_t value = 0;
        std::memcpy(&value, p, 4);
        p += 4;
        decoded[2 * i] = type;
        decoded[2 * i + 1] = value;
        if (!TgsIsString(type) || value == 0) continue;
        if (static_cast<std::uint32_t>(stop - p) < value || p[value - 1] != 0) return 1;
        textOperands.emplace_back(i, static_cast<std::uint32_t>(texts.size()));
        texts.insert(texts.end(), p, p + value);
        p += value;
    }
    if (p != stop || texts.size() > stringRoom) return 1;
    if (!texts.empty()) std::memcpy(strings, texts.data(), texts.size());
    for (const auto& text : textOperands) decoded[2 * text.first + 1] = reinterpret_cast<std::uint32_t>(strings + text.second);
    if (n != 0) std::memcpy(operands, decoded.data(), 8 * n);
    *opcode = code;
    *count = n;
    cursor = stop;
    return 0;
}
