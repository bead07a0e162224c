// A test game on disk for the script machine: writes SCRIPT\ files assembled by the SOB assembler
// into a temporary folder and runs the engine there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "game/script_engine.h"
#include "tests/support/sob_assembler.h"
#include "tests/support/win_test_env.h"

namespace gametest {

// Script lines that append digit k to the number variable `entry` (value = value * 10 + k), the
// way compiled scripts pass values: by storing them into the operands of later instructions.
inline std::string Trace(int k, int entry = 0) {
    static int serial = 0;
    const std::string n = std::to_string(serial++);
    const std::string v = "var:" + std::to_string(entry);
    return "copy " + v + ", tm" + n + "+4\ntm" + n + ": mul 0, 10, " + v + "\ncopy " + v + ", ta" + n +
           "+4\nta" + n + ": add 0, " + std::to_string(k) + ", " + v + "\n";
}

// Lines that call command `opcode` with the module name `name` as its argument.
inline std::string ModuleCommand(int opcode, const std::string& name) {
    static int serial = 0;
    const std::string n = std::to_string(serial++);
    return "cmd cmd:" + std::to_string(opcode) + ", ma" + n + ", mr" + n + "\njmp mj" + n + "\nma" + n + ": .word mn" +
           n + "\nmr" + n + ": .word 0\nmn" + n + ": .text \"" + name + "\"\nmj" + n + ":\n";
}

class ScriptGame {
public:
    ScriptGame() {
        char current[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, current);
        m_previous = current;
        CreateDirectoryA(m_folder.File("SCRIPT").c_str(), nullptr);
        SetCurrentDirectoryA(m_folder.Path().c_str());
    }
    ~ScriptGame() { SetCurrentDirectoryA(m_previous.c_str()); }

    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        testsupport::WriteFile(m_folder.File("SCRIPT/" + name), bytes);
    }
    void WriteModule(const std::string& name, const std::string& source) {
        Write(name + ".SOB", testsupport::AssembleSob(source).Sob0());
    }
    const testsupport::TempFolder& Folder() const { return m_folder; }

private:
    testsupport::TempFolder m_folder;
    std::string m_previous;
};

inline std::int32_t NumberOf(ScriptCore& core, std::uint32_t entry) {
    std::int32_t value;
    std::memcpy(&value, core.LiveVariables().Data(entry), sizeof(value));
    return value;
}

}  // namespace gametest
