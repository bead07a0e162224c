// A game with save files: variables of every kind in every class, the test save services, the
// program's APP_CFG defaults and a synthetic 240 x 136 screen.
#pragma once

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/app/settings_records.h"
#include "game/script/script_engine.h"
#include "tests/game/save/save_test_services.h"
#include "tests/game/script/script_game.h"
#include "tools/content/save_file_builder.h"

namespace gametest {

// Entries: 0 kind 0 class 1 (64 bytes), 1 kind 1 class 1 (16), 2 kind 2 class 1 (8), 3 kind 0
// class 0 (8), 4 kind 0 class 2 (8). A snapshot holds entries 0 and 1.
inline testsupport::SobUserVar SaveGameVariables() {
    testsupport::SobUserVar vars;
    vars.Add(0, 1, 64);
    vars.AddText(1, 1, 16, "text");
    vars.AddText(2, 1, 8, "inarea");
    vars.Add(0, 0, 8);
    vars.Add(0, 2, 8);
    return vars;
}
constexpr std::uint32_t kSaveGameSizes[] = {64, 16, 8, 8, 8};

class SaveGame : public ::testing::Test {
protected:
    void SetUp() override {
        m_game.Write("USER_VAR.SOB", SaveGameVariables().Bytes());
        CreateDirectoryA(m_game.Folder().File("SAVE").c_str(), nullptr);
        m_engine = Start();
    }

    std::unique_ptr<ScriptEngine> Start() {
        std::unique_ptr<ScriptEngine> engine(new ScriptEngine);
        EXPECT_EQ(0, engine->LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", nullptr, true, true));
        engine->SetSaveFolder(SaveFolder().c_str());
        engine->SetSaveServices(&m_services);
        engine->SetAppCfg(m_appCfg.bytes);
        engine->SetSaveSource(m_screen.picture, "", "Title");
        return engine;
    }

    std::string SaveFolder() const { return m_game.Folder().File("SAVE\\"); }
    std::string SavePath(int bank, int slot) const {
        char name[32];
        wsprintfA(name, "DATA%02d%02d.SAV", bank, slot);
        return SaveFolder() + name;
    }

    std::vector<std::uint8_t> Value(std::uint32_t entry) {
        const std::uint8_t* data = m_engine->LiveVariables().Data(entry);
        return std::vector<std::uint8_t>(data, data + kSaveGameSizes[entry]);
    }
    void Fill(std::uint32_t entry, std::uint8_t byte) {
        std::memset(m_engine->LiveVariables().Data(entry), byte, kSaveGameSizes[entry]);
    }
    std::vector<std::vector<std::uint8_t>> AllValues() {
        std::vector<std::vector<std::uint8_t>> values;
        for (std::uint32_t entry = 0; entry < 5; ++entry) {
            values.push_back(Value(entry));
        }
        return values;
    }

    // The snapshot variables of the current values, as the builder writes them.
    std::vector<testsupport::SaveSnapshot::Variable> SnapshotVariables() {
        return {{0, Value(0)}, {1, Value(1)}};
    }

    ScriptGame m_game;
    TestSaveServices m_services;
    AppCfgBlock m_appCfg;
    TestPicture m_screen{240, 136};
    std::unique_ptr<ScriptEngine> m_engine;
};

}  // namespace gametest
