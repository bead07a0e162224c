#include <cstdio>
#include <cstring>

#include "scenario/tgs/tgs_frame.h"
#include "scenario/tgs/tgs_text_reader.h"

namespace {

enum : std::uint32_t { kOpCall = 7, kOpJump = 8, kOpReturn = 9, kOpLoad = 10, kOpUnload = 11 };

const char* StringOf(const std::uint32_t* operand) {
    return TgsIsString(operand[0]) ? reinterpret_cast<const char*>(operand[1]) : nullptr;
}

}  // namespace

void TgsFrame::SetOpHandler(std::uint32_t opcode, TgsOpHandler handler) {
    if (opcode < kOpcodeCount) m_handlers[opcode] = std::move(handler);
}

std::uint8_t* TgsFrame::ExecuteInstruction(std::uint8_t* at) {
    TgsModule* const module = m_modules.current;
    if (!module) return Damaged();
    TgsTextReader reader{at + 1, module->TextEnd()};
    std::uint32_t opcode = 0;
    std::uint8_t kind = 0;
    if (!reader.U32(opcode) || opcode >= kOpcodeCount || !reader.U8(kind)) return Damaged();

    std::uint32_t value = 1;
    switch (kind) {
    case 0:
        if (!reader.U32(value)) return Damaged();
        break;
    case 1: break;
    case 2: {
        std::uint32_t array = 0;
        std::uint32_t element = 0;
        if (!reader.U32(array) || !reader.U32(element) || !ReadElement(array, element, value)) return Damaged();
        break;
    }
    case 3: {
        CodeBlock block;
        if (!ParseBlock(reader.p, false, block)) return Damaged();
        if (!Evaluate(block, value)) return nullptr;
        reader.p = block.end;
        break;
    }
    default: return Damaged();
    }
    std::uint8_t* const skipField = reader.p;
    std::uint32_t skip = 0;
    if (!reader.U32(skip)) return Damaged();
    const bool runs = opcode == 0 ? value == 0 : value != 0;
    if (!runs) {
        if (skip >= static_cast<std::uint32_t>(module->TextEnd() - skipField)) return Damaged();
        return skipField + skip;
    }

    std::uint8_t count = 0;
    if (!reader.U8(count)) return Damaged();
    const std::uint32_t base = m_operands.top;
    if (2u * count > TgsOperandArea::kWords - base) return Damaged();
    std::uint32_t* const operands = m_operands.words + base;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t* const operand = operands + 2 * i;
        std::uint8_t type = 0;
        if (!reader.U8(type)) return Damaged();
        operand[0] = 0;
        operand[1] = 0;
        if (type == 0) continue;
        if (type == 2) {
            if (!reader.U32(operand[1])) return Damaged();
            continue;
        }
        operand[0] = type;
        std::uint8_t source = 0;
        if (!reader.U8(source)) return Damaged();
        switch (source) {
        case 0:
            if (!reader.U32(operand[1])) return Damaged();
            break;
        case 1: {
            std::uint32_t length = 0;
            if (!reader.U16(length)) return Damaged();
            operand[0] = type | 2u;
            if (length == 0) break;
            if (!reader.Has(length) || reader.p[length - 1] != 0) return Damaged();
            operand[1] = reinterpret_cast<std::uint32_t>(reader.p);
            reader.Skip(length);
            break;
        }
        case 2: {
            std::uint32_t array = 0;
            std::uint32_t element = 0;
            if (!reader.U32(array) || !reader.U32(element) || !ReadElement(array, element, operand[1])) {
                return Damaged();
            }
            break;
        }
        case 3: {
            CodeBlock block;
            if (!ParseBlock(reader.p, false, block)) return Damaged();
            if (!Evaluate(block, operand[1])) return nullptr;
            reader.p = block.end;
            break;
        }
        default: return Damaged();
        }
    }
    m_operands.top = base + 2u * count;
    std::uint8_t* next = reader.p;
    static const std::uint32_t kOmitted[2] = {0, 0};
    auto operandAt = [&](std::uint32_t i) { return i < count ? operands + 2 * i : kOmitted; };

    if (opcode >= 12) {
        m_executor.result = static_cast<std::int32_t>(opcode);
        m_executor.operandCount = count;
        const std::uint32_t chain = m_executor.skipChain;
        const std::int32_t result = m_handlers[opcode] ? m_handlers[opcode](*this, operands) : 0;
        m_executor.result = result;
        if (m_executor.skipChain == chain) m_executor.skipChain = 0;
        if (result != 0) return nullptr;
        m_operands.top = base;
        return next;
    }

    m_executor.result = 0;
    const std::uint32_t* const first = operandAt(0);
    switch (opcode) {
    case 0:
    case 1:
    case 2:
    case 3:
        if (first[1] >= module->textSize) return Damaged();
        next = module->Text() + first[1];
        break;
    case 4: break;
    case 5: {
        char digits[16];
        const int length = std::snprintf(digits, sizeof digits, "%d", static_cast<std::int32_t>(first[1]));
        const std::uint32_t room = 4 * (TgsOperandArea::kWords - m_operands.top);
        if (static_cast<std::uint32_t>(length) + 1 > room) return Damaged();
        char* const text = reinterpret_cast<char*>(m_operands.words + m_operands.top);
        std::memcpy(text, digits, static_cast<std::size_t>(length) + 1);
        m_executor.pendingText = text;
        break;
    }
    case 6:
        if (StringOf(first)) m_executor.pendingText = StringOf(first);
        break;
    case kOpCall:
    case kOpJump:
    case kOpReturn: {
        const char* moduleText = StringOf(operandAt(1));
        const bool hasModule = moduleText && *moduleText;
        if (hasModule) m_executor.moduleName = moduleText;
        if (hasModule || opcode == kOpReturn) m_scenario.readFlagNumber = -1;
        bool hasLabel = false;
        std::int32_t offset = static_cast<std::int32_t>(first[1]);
        if (TgsIsLabel(first[0])) {
            if (opcode == kOpReturn && offset == 0) offset = -1;
        } else if (TgsIsString(first[0])) {
            const char* label = StringOf(first);
            offset = 0;
            if (label && *label) {
                m_executor.labelName = label;
                hasLabel = true;
            }
        }
        const std::string* moduleName = hasModule ? &m_executor.moduleName : nullptr;
        const std::string* labelName = hasLabel ? &m_executor.labelName : nullptr;
        m_modules.pc = next;
        std::uint8_t* target = nullptr;
        TgsMove move = opcode == kOpCall   ? Call(moduleName, labelName, offset, target)
                       : opcode == kOpJump ? Jump(moduleName, labelName, offset, target)
                                           : Return(moduleName, labelName, offset, target);
        if (move == TgsMove::kDamaged) return Damaged();
        if (move == TgsMove::kFailed) {
            m_executor.result = opcode == kOpReturn ? 0x7FFFFFFF : 0;
            return nullptr;
        }
        next = target;
        break;
    }
    case kOpLoad:
        if (StringOf(first)) LoadModule(StringOf(first));
        break;
    case kOpUnload: UnloadModule(StringOf(first)); break;
    default: break;
    }
    m_operands.top = base;
    return next;
}

std::int32_t TgsFrame::RunOpInText(std::uint32_t opcode, std::uint32_t* operands) {
    if (opcode >= kOpcodeCount) return kTgsDamagedScript;
    m_executor.inText = true;
    const std::int32_t result = m_handlers[opcode] ? m_handlers[opcode](*this, operands) : 0;
    m_executor.result = result;
    if (std::uint32_t* symbol = m_host.Symbol(0)) *symbol = static_cast<std::uint32_t>(result);
    m_executor.inText = false;
    return result;
}
