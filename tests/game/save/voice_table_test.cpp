#include <gtest/gtest.h>

#include "game/script/script_start.h"
#include "game/script/voice_table.h"
#include "tests/game/script/script_game.h"
#include "tests/support/image_buffer.h"
#include "tools/content/byte_words.h"
#include "tools/content/voice_table_writer.h"

namespace {

using gametest::ScriptGame;
using testsupport::VoiceInf;
using testsupport::VoiceInfVoice;

VoiceInf ThreeVoices() {
    VoiceInf file;
    file.folder = "VOICE";
    VoiceInfVoice none;
    none.fileName = "V_AKI";
    none.names = {"aki", "Akiko"};
    VoiceInfVoice empty;
    empty.fileName = "V_BEN";
    empty.secondLength = 1;
    empty.names = {"ben"};
    VoiceInfVoice second;
    second.fileName = "V_CHO";
    second.secondText = "ab";  // e = 3
    second.names = {"cho", "C", "\x82\xA0\x82\xA2"};
    file.voices = {none, empty, second};
    return file;
}

TEST(VoiceTable, NamesFindTheirVoices) {
    const std::vector<std::uint8_t> bytes = ThreeVoices().Bytes();
    VoiceTable table;
    ASSERT_EQ(kVoiceTableLoaded, ParseVoiceTable(bytes.data(), bytes.size(), table));
    EXPECT_STREQ("VOICE", table.folder);
    ASSERT_EQ(3u, table.voices.size());
    ASSERT_EQ(6u, table.names.size());
    const struct {
        const char* name;
        std::int32_t voice;
    } names[] = {{"aki", 0}, {"AKIKO", 0}, {"ben", 1}, {"cho", 2}, {"c", 2}, {"\x82\xA0\x82\xA2", 2}, {"dan", -1}};
    for (const auto& row : names) {
        EXPECT_EQ(row.voice, table.FindVoice(row.name)) << row.name;
    }
    const struct {
        const char* fileName;
        bool hasSecond;
        const char* second;
        std::uint8_t marker;
    } voices[] = {{"V_AKI", false, "", 0}, {"V_BEN", false, "", 1}, {"V_CHO", true, "ab", 1}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(voices[i].fileName, table.voices[i].fileName);
        EXPECT_EQ(voices[i].hasSecond, table.voices[i].hasSecondText);
        EXPECT_EQ(voices[i].second, table.voices[i].secondText);
        EXPECT_EQ(voices[i].marker, table.voices[i].marker);
        EXPECT_EQ(256, table.voices[i].volume);
        EXPECT_EQ(1, table.voices[i].enabled);
    }
}

TEST(VoiceTable, NoVoicesKeepsTheFolderText) {
    VoiceInf file;
    file.folder = "VOX";
    const std::vector<std::uint8_t> bytes = file.Bytes();
    VoiceTable table;
    ASSERT_EQ(kVoiceTableLoaded, ParseVoiceTable(bytes.data(), bytes.size(), table));
    EXPECT_STREQ("VOX", table.folder);
    EXPECT_TRUE(table.voices.empty());
    EXPECT_TRUE(table.names.empty());
}

TEST(VoiceTable, FilesThatDisagreeWithThemselvesAreRefused) {
    auto with = [](auto change) {
        VoiceInf file = ThreeVoices();
        change(file);
        return file.Bytes();
    };
    std::vector<std::uint8_t> cut = ThreeVoices().Bytes();
    cut.pop_back();
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"name count above the sum", with([](VoiceInf& f) { f.nameCountField = 7; })},
        {"name count below the sum", with([](VoiceInf& f) { f.nameCountField = 5; })},
        {"a voice's count past the name count", with([](VoiceInf& f) { f.voices[0].nameCountField = 5; })},
        {"folder text of 8 characters", with([](VoiceInf& f) { f.folder = "VOICES_8"; })},
        {"folder length past the end", with([](VoiceInf& f) { f.folderLengthField = 255; })},
        {"more voices than the file holds", with([](VoiceInf& f) { f.voiceCountField = 4; })},
        {"a huge voice count", with([](VoiceInf& f) { f.voiceCountField = 0x7FFFFFFF; })},
        {"a huge name count", with([](VoiceInf& f) { f.nameCountField = 0xFFFFFFFF; })},
        {"a file name without its zero", with([](VoiceInf& f) { f.voices[1].fileNameLengthField = 5; })},
        {"names without their zero", with([](VoiceInf& f) { f.voices[2].terminateNames = false; })},
        {"second text past the end", with([](VoiceInf& f) { f.voices[2].secondLength = 200; })},
        {"cut by a byte", cut},
        {"empty", {}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        VoiceTable table;
        EXPECT_EQ(kVoiceTableDamaged, ParseVoiceTable(row.file.data(), row.file.size(), table));
        EXPECT_TRUE(table.voices.empty());
        EXPECT_TRUE(table.names.empty());
        EXPECT_STREQ("", table.folder);
    }
}

TEST(VoiceTable, MutatedFilesLoadOrAreRefusedWithinTheirBytes) {
    const std::vector<std::uint8_t> file = ThreeVoices().Bytes();
    for (const std::vector<std::uint8_t>& mutated : testsupport::MutatedCopies(file, 111, 400)) {
        const testsupport::GuardedBytes guarded(mutated);
        VoiceTable table;
        const int result = ParseVoiceTable(guarded.Data(), guarded.Size(), table);
        ASSERT_TRUE(result == kVoiceTableLoaded || result == kVoiceTableDamaged);
        if (result == kVoiceTableDamaged) {
            ASSERT_TRUE(table.voices.empty() && table.names.empty());
        } else {
            for (const VoiceName& name : table.names) {
                ASSERT_LT(name.voice, table.voices.size());
            }
        }
    }
}

class VoiceStartHost : public ScriptStartHost {
public:
    const char* SaveFolder() override { return "C:\\SAVE\\"; }
    void ShowStopMessage(const char*) override {}
    bool UseCompiledScripts() override { return false; }
};

TEST(VoiceTable, TheScriptStartLoadsItAndGoesOnWithoutIt) {
    VoiceInf damaged = ThreeVoices();
    damaged.nameCountField = 2;
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        std::size_t voices;
        int reload;
    } cases[] = {
        {"loaded", ThreeVoices().Bytes(), 3, kVoiceTableLoaded},
        {"damaged", damaged.Bytes(), 0, kVoiceTableDamaged},
        {"missing", {}, 0, kVoiceTableMissing},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        ScriptGame game;
        game.WriteModule("MAIN", "ret\n");
        if (!row.file.empty()) {
            game.Write("VOICEINF.DAT", row.file);
        }
        VoiceStartHost host;
        std::unique_ptr<ScriptEngine> engine;
        ASSERT_EQ(0, StartScriptEngine(host, engine));
        EXPECT_EQ(row.voices, engine->Voices().voices.size());
        EXPECT_EQ(row.reload, engine->LoadVoiceTable("SCRIPT\\VOICEINF.DAT"));
        EXPECT_EQ(row.voices, engine->Voices().voices.size());
    }
}

// A persistent file keeps each voice's volume, enabled and marker; one written with another
// number of voices restores the variables but leaves the voices as they are.
TEST(VoiceTable, VoiceFieldsPersistForTheSameTable) {
    auto voices = [](int count) {
        VoiceInf file;
        file.folder = "V";
        for (int i = 0; i < count; ++i) {
            VoiceInfVoice voice;
            voice.fileName = "F" + std::to_string(i);
            voice.names = {"N" + std::to_string(i)};
            file.voices.push_back(voice);
        }
        return file.Bytes();
    };
    const struct {
        const char* name;
        int written;
        int read;
        bool voicesRestored;
    } cases[] = {{"120 and 120", 120, 120, true}, {"120 read with 121", 120, 121, false}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        ScriptGame game;
        testsupport::SobUserVar vars;
        vars.AddNumber(2, 5);
        game.Write("USER_VAR.SOB", vars.Bytes());
        CreateDirectoryA(game.Folder().File("SAVE").c_str(), nullptr);
        auto start = [&](int count) {
            game.Write("VOICEINF.DAT", voices(count));
            std::unique_ptr<ScriptEngine> engine(new ScriptEngine);
            EXPECT_EQ(0, engine->LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", nullptr, false, false));
            engine->SetSaveFolder(game.Folder().File("SAVE\\").c_str());
            EXPECT_EQ(0, engine->LoadVoiceTable("SCRIPT\\VOICEINF.DAT"));
            return engine;
        };
        {
            auto engine = start(row.written);
            VoiceEntry& voice = engine->Voices().voices[7];
            voice.volume = 100;
            voice.enabled = 0;
            voice.marker = 1;
            *reinterpret_cast<std::int32_t*>(engine->LiveVariables().Data(0)) = 1234;
            ASSERT_EQ(0, engine->WritePersistentFile("PERSIST.DAT"));
        }
        auto engine = start(row.read);
        ASSERT_EQ(0, engine->ReadPersistentFile("PERSIST.DAT"));
        EXPECT_EQ(1234, gametest::NumberOf(*engine, 0));
        const VoiceEntry& voice = engine->Voices().voices[7];
        EXPECT_EQ(row.voicesRestored ? 100 : 256, voice.volume);
        EXPECT_EQ(row.voicesRestored ? 0 : 1, voice.enabled);
        EXPECT_EQ(row.voicesRestored ? 1 : 0, voice.marker);
        EXPECT_EQ(256, engine->Voices().voices[6].volume);
    }
}

}  // namespace
