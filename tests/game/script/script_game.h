// A test game for the script machine: SCRIPT\ files assembled by the SOB assembler, loaded
// through the virtual file system.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "framework/files/path_utilities.h"
#include "framework/archive/qpk_archive_format.h"
#include "framework/files/virtual_file_system.h"
#include "game/script/script_engine.h"
#include "tools/content/qpk_writer.h"
#include "tools/content/sob_assembler.h"
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

// Lines that call command `opcode` with the module name `name` as its argument. The argument
// block and the name go to the end of the image, so that the instruction stream compiles.
inline std::string ModuleCommand(int opcode, const std::string& name) {
    static int serial = 0;
    const std::string n = std::to_string(serial++);
    return "cmd cmd:" + std::to_string(opcode) + ", ma" + n + ", mr" + n + "\n.tail\nma" + n + ": .word mn" + n +
           "\nmr" + n + ": .word 0\nmn" + n + ": .text \"" + name + "\"\n.endtail\n";
}

// A game folder made the base directory, with a virtual file system that knows QPK archives,
// published as the program's file system. Script files go to game\SCRIPT\ as plain files, or
// with `archive` into game\DATA.QPK (packed where that pays), mounted at the game folder.
class ScriptGame {
public:
    explicit ScriptGame(bool archive = false) : m_archive(archive) {
        m_savedBase = GetBaseDirectory();
        SetBaseDirectory(m_folder.File("game\\").c_str());
        CreateDirectoryA(m_folder.File("game").c_str(), nullptr);
        CreateDirectoryA(m_folder.File("game\\SCRIPT").c_str(), nullptr);
        m_vfs.RegisterBuiltinDecoder(new QpkArchiveFormat, QpkArchiveFormat::kExtensions, QpkArchiveFormat::kTypeString,
                                     0, QpkAssistFunc, QpkSetOption, nullptr);
        g_virtualFileSystem = &m_vfs;
    }
    ~ScriptGame() {
        g_virtualFileSystem = nullptr;
        m_vfs.RemoveAllMounts();
        SetBaseDirectory(m_savedBase.c_str());
    }
    ScriptGame(const ScriptGame&) = delete;
    ScriptGame& operator=(const ScriptGame&) = delete;

    // Writes SCRIPT\<name>; into the archive, which is then written and mounted again.
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        if (!m_archive) {
            testsupport::WriteFile(m_folder.File("game\\SCRIPT\\" + name), bytes);
            return;
        }
        m_entries[name] = bytes;
        m_vfs.RemoveAllMounts();
        testsupport::QpkWriter writer;
        for (const auto& [entry, content] : m_entries) {
            writer.Add("script\\" + entry, content, testsupport::QpkEntryOptions{true});
        }
        writer.Write(m_folder.File("game\\DATA.QPK"));
        m_vfs.MountArchive("DATA.QPK", 1, false, true, nullptr);
    }
    void WriteModule(const std::string& name, const std::string& source) {
        Write(name + ".SOB", testsupport::AssembleSob(source).Sob0());
    }
    const testsupport::TempFolder& Folder() const { return m_folder; }
    VirtualFileSystem& FileSystem() { return m_vfs; }

private:
    testsupport::TempFolder m_folder;
    VirtualFileSystem m_vfs;
    std::string m_savedBase;
    bool m_archive;
    std::map<std::string, std::vector<std::uint8_t>> m_entries;
};

inline std::int32_t NumberOf(ScriptCore& core, std::uint32_t entry) {
    std::int32_t value;
    std::memcpy(&value, core.LiveVariables().Data(entry), sizeof(value));
    return value;
}

}  // namespace gametest
