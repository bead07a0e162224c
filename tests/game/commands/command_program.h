// SOB programs that call commands: a helper emits one command call (opcode, argument words,
// texts, buffers, the variable that takes the result), and the program runs in the script engine
// over a temporary game folder's real virtual file system. Variable 0 takes the result of each
// call unless a call names another.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/script/script_engine.h"
#include "tests/game/script/script_game.h"
#include "tools/content/sob_assembler.h"

namespace cmdtest {

// An assembler operand for a word: a number, "var:N" (the address of variable N), a label.
inline std::string Num(std::int64_t value) { return std::to_string(value); }
inline std::string Var(std::uint32_t entry) { return "var:" + std::to_string(entry); }

// A .text line for any bytes.
inline std::string TextLine(const std::string& bytes) {
    std::string line = ".text \"";
    for (const unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            line += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\x%02X", c);
            line += escape;
        }
    }
    return line + "\"\n";
}

class CommandProgram {
public:
    CommandProgram() { m_vars.AddNumber(0); }

    std::uint32_t Number(std::int32_t initial = 0) { return m_vars.AddNumber(0, initial); }
    // A block variable of `size` bytes, starting with `initial` (the rest 0).
    std::uint32_t Buffer(std::uint32_t size, const std::string& initial = "") {
        return m_vars.Add(0, 0, size, std::vector<std::uint8_t>(initial.begin(), initial.end()));
    }
    // A variable of storage kind `kind` (0 in the area, 1 a text through a pointer, 2 a text in the
    // area) and scope class `scope`, `size` bytes starting with `initial`.
    std::uint32_t Variable(std::uint8_t kind, std::uint8_t scope, const std::string& initial, std::uint32_t size = 8) {
        return m_vars.Add(kind, scope, size, std::vector<std::uint8_t>(initial.begin(), initial.end()));
    }
    // A text in the module's image; its label as an operand.
    std::string Text(const std::string& bytes) {
        const std::string label = "text" + std::to_string(m_serial++);
        m_tail += label + ": " + TextLine(bytes);
        return label;
    }
    // One command call whose result goes to variable `result`.
    void Call(int opcode, const std::vector<std::string>& words, std::uint32_t result = 0) {
        const std::string label = "args" + std::to_string(m_serial++);
        m_code += "cmd cmd:" + std::to_string(opcode) + ", " + label + ", " + Var(result) + "\n";
        m_tail += label + ": .word " + (words.empty() ? std::string("0") : Join(words)) + "\n";
    }
    // Any instruction lines.
    void Code(const std::string& lines) { m_code += lines; }

    std::string Source() const { return m_code + "ret\n.tail\n" + m_tail + ".endtail\n"; }
    const testsupport::SobUserVar& Variables() const { return m_vars; }

private:
    static std::string Join(const std::vector<std::string>& words) {
        std::string joined;
        for (const std::string& word : words) joined += (joined.empty() ? "" : ", ") + word;
        return joined;
    }

    testsupport::SobUserVar m_vars;
    std::string m_code;
    std::string m_tail;
    int m_serial = 0;
};

// A program run: the game folder, the engine, and what its step ended with.
class ProgramRun {
public:
    // `copies`: the engine keeps the save copy and the choice copy of the variables.
    explicit ProgramRun(const CommandProgram& program, bool copies = true) {
        m_game.Write("USER_VAR.SOB", program.Variables().Bytes());
        m_game.WriteModule("MAIN", program.Source());
        m_engine = std::make_unique<ScriptEngine>();
        m_loaded = m_engine->LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB",
                                           copies, copies) == 0 &&
                   m_engine->LoadModule("MAIN", nullptr) == 0;
    }

    // The step's result: kStepEnded when the program ran to its end, kStepInvalidScript after a
    // script fault; -1 when it did not load.
    int Run() { return m_loaded ? m_engine->Step() : -1; }

    std::int32_t Number(std::uint32_t entry) { return gametest::NumberOf(*m_engine, entry); }
    std::uint8_t* Data(std::uint32_t entry) { return m_engine->LiveVariables().Data(entry); }
    std::string Text(std::uint32_t entry) { return reinterpret_cast<const char*>(Data(entry)); }
    std::string Bytes(std::uint32_t entry, std::size_t count) {
        return std::string(reinterpret_cast<const char*>(Data(entry)), count);
    }
    ScriptEngine& Engine() { return *m_engine; }
    gametest::ScriptGame& Game() { return m_game; }

private:
    gametest::ScriptGame m_game;
    std::unique_ptr<ScriptEngine> m_engine;
    bool m_loaded = false;
};

}  // namespace cmdtest
