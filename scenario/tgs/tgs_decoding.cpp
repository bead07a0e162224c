#include "scenario/tgs/tgs_frame.h"
#include "scenario/tgs/tgs_text_reader.h"

std::uint8_t* TgsFrame::TextEnd() const { return m_modules.current ? m_modules.current->TextEnd() : nullptr; }

std::uint8_t* TgsFrame::Damaged() {
    m_executor.damaged = true;
    m_executor.result = kTgsDamagedScript;
    return nullptr;
}

bool TgsFrame::ParseBlock(std::uint8_t* at, bool wide, CodeBlock& block) {
    TgsTextReader reader{at, TextEnd()};
    std::uint32_t codeLength = 0;
    if (!(wide ? reader.U32(codeLength) : reader.U16(codeLength))) return false;
    block.code = reader.p;
    block.codeLength = codeLength;
    if (!reader.Skip(codeLength)) return false;
    block.mark = reader.p;
    if (!reader.Skip(1)) return false;
    std::uint8_t* const fixupStart = reader.p;
    std::uint32_t fixupLength = 0;
    if (!(wide ? reader.U32(fixupLength) : reader.U16(fixupLength))) return false;
    block.fixups = reader.p;
    std::uint64_t parsed = wide ? 4 : 2;
    for (int list = 0; list < 5; ++list) {
        std::uint32_t count = 0;
        if (wide) {
            if (!reader.U32(count)) return false;
        } else {
            std::uint8_t narrow = 0;
            if (!reader.U8(narrow)) return false;
            count = narrow;
        }
        if (!reader.Skip(8ull * count)) return false;
        parsed += (wide ? 4 : 1) + 8ull * count;
    }
    // The fixup part's length counts its own word and the lists, and nothing else.
    if (parsed != fixupLength || reader.p != fixupStart + fixupLength) return false;
    block.end = reader.p;
    block.wide = wide;
    return true;
}

bool TgsFrame::LinkBlock(const CodeBlock& block) {
    TgsModule* module = m_modules.current;
    const std::uint32_t at = static_cast<std::uint32_t>(block.code - module->Text());
    if (*block.mark == 1 && module->linkedBlocks.count(at) != 0) return true;
    // A mark other than 0 that this frame did not set is not a linked block: the file is damaged.
    if (*block.mark != 0) return false;
    TgsHost& host = m_host;
    const std::uint64_t limits[5] = {host.VariableCount(), host.CommandCount(), host.SymbolCount(),
                                     host.LibraryBase() ? host.LibrarySize() + 1ull : 0ull,
                                     block.codeLength + 1ull};
    // Every entry is checked before anything is patched.
    for (int pass = 0; pass < 2; ++pass) {
        TgsTextReader reader{block.fixups, block.end};
        for (int list = 0; list < 5; ++list) {
            std::uint32_t count = 0;
            if (block.wide) {
                reader.U32(count);
            } else {
                std::uint8_t narrow = 0;
                reader.U8(narrow);
                count = narrow;
            }
            for (std::uint32_t i = 0; i < count; ++i) {
                std::uint32_t offset = 0;
                std::uint32_t index = 0;
                reader.U32(offset);
                reader.U32(index);
                if (pass == 0) {
                    if (offset > block.codeLength || block.codeLength - offset < 4 || index >= limits[list]) return false;
                    continue;
                }
                std::uint32_t word = 0;
                switch (list) {
                case 0: {
                    std::uint32_t bytes = 0;
                    if (!host.Variable(index, &word, &bytes)) return false;
                    break;
                }
                case 1: word = host.CommandAddress(index); break;
                case 2: word = reinterpret_cast<std::uint32_t>(host.Symbol(index)); break;
                case 3: word = host.LibraryBase() + index; break;
                default: word = reinterpret_cast<std::uint32_t>(block.code) + index; break;
                }
                std::memcpy(block.code + offset, &word, 4);
            }
        }
    }
    *block.mark = 1;
    module->linkedBlocks.insert(at);
    return true;
}

bool TgsFrame::Evaluate(const CodeBlock& block, std::uint32_t& value) {
    if (!m_machine) {
        Damaged();
        return false;
    }
    if (!LinkBlock(block)) {
        Damaged();
        return false;
    }
    const std::uint32_t result = m_machine->Call(reinterpret_cast<std::uint32_t>(block.code));
    if (result == TgsSobMachine::kInvalid) {
        Damaged();
        return false;
    }
    // Code that yields runs on as an inline block does, with the frame function between turns.
    if (result == TgsSobMachine::kYielded) {
        const std::int32_t outcome = RunSobCode(false, true);
        if (outcome == kTgsDamagedScript) {
            Damaged();
            return false;
        }
        if (outcome != 0) {
            m_executor.result = -1;
            return false;
        }
    }
    const std::uint32_t* symbol = m_host.Symbol(0);
    value = symbol ? *symbol : 0;
    return true;
}

bool TgsFrame::ReadElement(std::uint32_t array, std::uint32_t element, std::uint32_t& value) {
    std::uint32_t address = 0;
    std::uint32_t bytes = 0;
    if (!m_host.Variable(array, &address, &bytes) || element >= bytes / 4) return false;
    std::memcpy(&value, reinterpret_cast<const void*>(address + 4 * element), 4);
    return true;
}
