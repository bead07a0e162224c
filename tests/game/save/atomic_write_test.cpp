#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "game/app/settings_records.h"
#include "game/script/script_files.h"
#include "tests/game/save/save_test_game.h"

namespace {

using gametest::SaveGame;
using testsupport::ReadFile;

// Steps that fail at one point: after `k` bytes of the write (the bytes before it reach the
// file), at the flush or at the rename.
class FailingSteps : public WholeFileSteps {
public:
    enum Point { kWrite, kFlush, kRename };
    FailingSteps(Point point, std::uint32_t k = 0) : m_point(point), m_k(k) { SetWholeFileSteps(this); }
    ~FailingSteps() override { SetWholeFileSteps(nullptr); }

    bool Write(void* file, const std::uint8_t* bytes, std::uint32_t size) override {
        if (m_point != kWrite || size <= m_k) {
            return WholeFileSteps::Write(file, bytes, size);
        }
        WholeFileSteps::Write(file, bytes, m_k);
        return false;
    }
    bool Flush(void* file) override { return m_point != kFlush && WholeFileSteps::Flush(file); }
    bool Replace(const char* temporary, const char* target) override {
        return m_point != kRename && WholeFileSteps::Replace(temporary, target);
    }

private:
    Point m_point;
    std::uint32_t m_k;
};

std::set<std::string> FilesIn(const std::string& folder, const char* pattern = "*") {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.insert(data.cFileName);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

class AtomicWrites : public SaveGame {
protected:
    void SetUp() override {
        SaveGame::SetUp();
        m_game.Write("SOB_INIT.DAT", testsupport::SobInitFile({{"MAIN", 16, 8}, {"GLOBAL", 16, 8}}));
        m_engine = Start();
    }

    // Writes a first file with `write`, changes the game, then fails the second write at every
    // point given: the first file stays byte for byte, the folder holds no other file, and the
    // failure is reported. Without a fault the second write replaces the file whole.
    void ExpectOldFileSurvives(const char* name, const std::function<bool()>& write,
                               const std::vector<std::uint32_t>& cuts) {
        SCOPED_TRACE(name);
        const std::string path = SaveFolder() + name;
        ASSERT_TRUE(write());
        const std::vector<std::uint8_t> old = ReadFile(path);
        const std::set<std::string> files = FilesIn(SaveFolder());
        // Each call changes the game anew, so that every file's new bytes differ from its old.
        ++m_round;
        Fill(0, static_cast<std::uint8_t>(0x60 + m_round));
        Fill(4, static_cast<std::uint8_t>(0x60 + m_round));
        m_engine->FlagRecord(1).readFlags.Set(m_round, true);
        std::vector<std::pair<FailingSteps::Point, std::uint32_t>> faults;
        for (std::uint32_t k : cuts) {
            faults.push_back({FailingSteps::kWrite, k});
        }
        faults.push_back({FailingSteps::kFlush, 0});
        faults.push_back({FailingSteps::kRename, 0});
        bool allKept = true;
        for (const auto& [point, k] : faults) {
            FailingSteps steps(point, k);
            const bool written = write();
            if (written || ReadFile(path) != old || FilesIn(SaveFolder()) != files) {
                allKept = false;
                ADD_FAILURE() << "fault at point " << point << " after " << k << " bytes";
                break;
            }
        }
        EXPECT_TRUE(allKept);
        ASSERT_TRUE(write());
        const std::vector<std::uint8_t> now = ReadFile(path);
        EXPECT_NE(old, now);
        EXPECT_EQ(files, FilesIn(SaveFolder()));
    }

    static std::vector<std::uint32_t> EveryByte(std::size_t size) {
        std::vector<std::uint32_t> cuts;
        for (std::uint32_t k = 0; k < size; ++k) {
            cuts.push_back(k);
        }
        return cuts;
    }
    std::size_t SizeOf(const char* name) { return ReadFile(SaveFolder() + name).size(); }

    std::uint32_t m_round = 0;
};

TEST_F(AtomicWrites, SmallFilesSurviveAFaultAtEveryByte) {
    ASSERT_EQ(0, m_engine->WritePersistentFile("PERSIST.DAT"));
    ExpectOldFileSurvives("PERSIST.DAT", [&] { return m_engine->WritePersistentFile("PERSIST.DAT") == 0; },
                          EveryByte(SizeOf("PERSIST.DAT")));
    ASSERT_EQ(0, m_engine->WriteVariableGroups("TLOG.DAT"));
    ExpectOldFileSurvives("TLOG.DAT", [&] { return m_engine->WriteVariableGroups("TLOG.DAT") == 0; },
                          EveryByte(SizeOf("TLOG.DAT")));
    ASSERT_EQ(0, m_engine->WriteVariableFile("VARS.DAT", 2, 0, 0, false));
    ExpectOldFileSurvives("VARS.DAT", [&] { return m_engine->WriteVariableFile("VARS.DAT", 2, 0, 0, false) == 0; },
                          EveryByte(SizeOf("VARS.DAT")));
}

TEST_F(AtomicWrites, SettingsFilesSurviveAFaultAtEveryByte) {
    AppCfgBlock block;
    ExpectOldFileSurvives("APP_CFG.DAT", [&] {
        ++block.bytes[0];
        return WriteWholeFile(SaveFolder() + "APP_CFG.DAT", BuildAppCfgFile(block));
    }, EveryByte(BuildAppCfgFile(block).size()));
    UserCfgRecords records;
    ExpectOldFileSurvives("USER.CFG", [&] {
        ++records.block1[0];
        return WriteWholeFile(SaveFolder() + "USER.CFG", BuildUserCfgFile(records));
    }, EveryByte(BuildUserCfgFile(records).size()));
}

TEST_F(AtomicWrites, SaveFilesSurviveFaults) {
    const std::vector<std::uint32_t> cuts = {0, 1, 4, 8, 24486, 24690};
    ExpectOldFileSurvives("DATA0102.SAV", [&] { return m_engine->WriteSaveFile(1, 2) == 0; }, cuts);
    int comment = 0;
    ExpectOldFileSurvives("DATA0102.SAV", [&] {
        return m_engine->Saves().RewriteSaveComment(1, 2, std::to_string(++comment).c_str()) == 0;
    }, cuts);
    ASSERT_EQ(0, m_engine->WriteSaveFile(3, 3));
    ExpectOldFileSurvives("DATA0404.SAV", [&] {
        std::swap(m_appCfg.bytes[30], m_appCfg.bytes[31]);
        return m_engine->WriteSaveFile(3, 3) == 0 && m_engine->Saves().CopySaveFile(3, 3, 4, 4) == 0;
    }, cuts);
    // A failing quick save moves no rotation.
    m_appCfg.bytes[177] = 6;
    {
        FailingSteps steps(FailingSteps::kRename);
        EXPECT_EQ(5, m_engine->WriteSaveFile(10, -1));
    }
    EXPECT_EQ(6, m_appCfg.bytes[177]);
    EXPECT_FALSE(testsupport::FileExists(SavePath(10, 6)));
    EXPECT_EQ((std::set<std::string>{"DATA0102.SAV", "DATA0303.SAV", "DATA0404.SAV"}), FilesIn(SaveFolder(), "*.SAV"));
}

TEST(WholeFileTemporaryNames, NoReaderLooksForThem) {
    testsupport::TempFolder folder;
    // The temporary file exists only while the write runs: seen from the rename step.
    class Watching : public WholeFileSteps {
    public:
        bool Replace(const char* temporary, const char* target) override {
            seen = temporary;
            return WholeFileSteps::Replace(temporary, target);
        }
        std::string seen;
    } steps;
    SetWholeFileSteps(&steps);
    const bool written = WriteWholeFile(folder.File("DATA0000.SAV"), std::vector<std::uint8_t>(10, 1));
    SetWholeFileSteps(nullptr);
    ASSERT_TRUE(written);
    const std::string name = steps.seen.substr(steps.seen.find_last_of('\\') + 1);
    EXPECT_EQ(folder.Path(), steps.seen.substr(0, steps.seen.size() - name.size()));
    EXPECT_EQ(0, lstrcmpiA(name.substr(name.size() - 4).c_str(), ".tmp")) << name;
    EXPECT_EQ("~wr", name.substr(0, 3));
    EXPECT_EQ(std::vector<std::uint8_t>(10, 1), ReadFile(folder.File("DATA0000.SAV")));
}

}  // namespace
