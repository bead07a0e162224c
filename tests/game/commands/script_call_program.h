// Script programs for command tests: SOB source made of command calls (opcode, argument words,
// texts and buffers, result word), assembled and run by the script engine in a test game whose
// folder is the base directory. Results go to number variables or to labelled words and
// buffers of the module image, which the test reads after the run.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/script/script_engine.h"
#include "tests/game/script/script_game.h"
#include "tools/content/sob_assembler.h"

namespace commandtest {

class CallProgram {
public:
    // A terminated text in the image; its label.
    std::string Text(const std::string& bytes) {
        const std::string label = NewLabel("t");
        m_tail += label + ": .text \"" + Escape(bytes) + "\"\n";
        return label;
    }
    // `size` zero bytes in the image (rounded up to 4); its label.
    std::string Buffer(std::size_t size) {
        const std::string label = NewLabel("b");
        m_tail += label + ": .space " + std::to_string(size) + "\n";
        return label;
    }
    // A word holding `value` (a number or another operand); its label.
    std::string Word(const std::string& value) {
        const std::string label = NewLabel("w");
        m_tail += label + ": .word " + value + "\n";
        return label;
    }
    // Data placed after everything else: the last bytes of the image.
    void Last(const std::string& lines) { m_last += lines; }

    // One command call; `result` is the operand the result goes to (var:N or a label), none or
    // "0" for a result that is not wanted. Each word is an operand: a number, a label, label+N, var:N;
    // "@x" is the word stored at operand x when the call runs (a handle an earlier call left in
    // a variable), copied into the block just before the call as compiled scripts pass values.
    CallProgram& Call(int opcode, const std::vector<std::string>& words, const std::string& result = "") {
        const std::string block = NewLabel("a");
        std::string resultOperand = result;
        if (resultOperand.empty() || resultOperand == "0") resultOperand = Word("0");
        std::string list;
        for (std::size_t i = 0; i < words.size(); ++i) {
            std::string word = words[i];
            if (!word.empty() && word[0] == '@') {
                m_lines += "copy " + word.substr(1) + ", " + block + "+" + std::to_string(4 * i) + "\n";
                word = "0";
            }
            list += (list.empty() ? "" : ", ") + word;
        }
        m_lines += "cmd cmd:" + std::to_string(opcode) + ", " + block + ", " + resultOperand + "\n";
        m_tail += block + ": .word " + (list.empty() ? "0" : list) + "\n";
        return *this;
    }
    // Extra instructions between calls.
    CallProgram& Line(const std::string& line) {
        m_lines += line + "\n";
        return *this;
    }

    std::string Source() const { return m_lines + "ret\n.tail\n" + m_tail + m_last + ".endtail\n"; }

private:
    std::string NewLabel(const char* kind) { return std::string("L") + kind + std::to_string(m_serial++); }
    static std::string Escape(const std::string& bytes) {
        std::string out;
        for (char c : bytes) {
            if (c == '\\' || c == '"') {
                out += '\\';
                out += c;
            } else if (c == '\n') {
                out += "\\n";
            } else {
                out += c;
            }
        }
        return out;
    }

    std::string m_lines;
    std::string m_tail;
    std::string m_last;
    int m_serial = 0;
};

// A test game with `numbers` number variables (var:0..numbers-1, all 0) that runs one program
// as MAIN.
class ProgramRun {
public:
    explicit ProgramRun(int numbers = 24) {
        testsupport::SobUserVar vars;
        for (int i = 0; i < numbers; ++i) vars.AddNumber(0);
        m_game.Write("USER_VAR.SOB", vars.Bytes());
        m_game.Write("SOB_INIT.DAT", testsupport::SobInitFile({{"MAIN", 8, 8}}));
    }

    // Assembles and runs the program to its end; the last step result (kStepEnded when it ran
    // through, kStepInvalidScript when a command raised the script fault).
    int Run(const CallProgram& program) {
        m_module = testsupport::AssembleSob(program.Source());
        m_game.Write("MAIN.SOB", m_module.Sob0());
        m_engine = std::make_unique<ScriptEngine>();
        if (m_engine->LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true,
                                    true) != 0 ||
            m_engine->LoadModule("MAIN", nullptr) != 0) {
            return -1;
        }
        m_image = m_engine->CurrentCode();
        int step = kStepYielded;
        for (int i = 0; i < 64 && step == kStepYielded; ++i) step = m_engine->Step();
        return step;
    }

    std::int32_t Var(std::uint32_t entry) { return gametest::NumberOf(*m_engine, entry); }
    // The bytes at a label of the image after the run.
    const std::uint8_t* At(const std::string& label) const { return m_image + m_module.Label(label); }
    std::string TextAt(const std::string& label) const { return reinterpret_cast<const char*>(At(label)); }
    std::uint32_t WordAt(const std::string& label) const {
        std::uint32_t word;
        std::memcpy(&word, At(label), sizeof word);
        return word;
    }
    std::uint32_t AddressOf(const std::string& label) const {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(At(label)));
    }

    gametest::ScriptGame& Game() { return m_game; }
    // A file of the game folder.
    std::string File(const std::string& relative) const { return m_game.Folder().File("game\\" + relative); }
    ScriptEngine& Engine() { return *m_engine; }

private:
    gametest::ScriptGame m_game;
    testsupport::SobModule m_module;
    std::unique_ptr<ScriptEngine> m_engine;
    std::uint8_t* m_image = nullptr;
};

}  // namespace commandtest
