// Builds argument blocks for command handlers and calls handlers by opcode through the program's
// command table, as a script's command call does. Header-only: the table lives in the game
// library, which only the game's tests link.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "game/script/command_table.h"

namespace testsupport {

class ArgBlock {
public:
    ArgBlock& Word(std::uint32_t word) {
        m_words.push_back(word);
        return *this;
    }
    ArgBlock& Int(std::int32_t value) { return Word(static_cast<std::uint32_t>(value)); }
    // A text word: the address of a copy the block keeps alive.
    ArgBlock& Text(const std::string& text) {
        m_texts.push_back(text);
        return Pointer(m_texts.back().c_str());
    }
    // An out-parameter or any other address.
    ArgBlock& Pointer(const void* address) {
        return Word(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)));
    }
    // An optional group left out: its first word 65535, the rest filled with noise that must not
    // be read.
    ArgBlock& AbsentGroup(std::size_t words) {
        Word(0xFFFF);
        for (std::size_t i = 1; i < words; ++i) Word(0xA5A5A5A5u);
        return *this;
    }
    ArgBlock& Rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
        return Int(left).Int(top).Int(right).Int(bottom);
    }

    std::uint32_t* Words() { return m_words.data(); }
    std::size_t Size() const { return m_words.size(); }

private:
    std::vector<std::uint32_t> m_words;
    std::deque<std::string> m_texts;
};

// Calls the handler of an opcode with the block, as the command call does.
inline std::uint32_t CallCommand(std::size_t opcode, ArgBlock& block) {
    return kCommandTable[opcode].handler(block.Words());
}

}  // namespace testsupport
