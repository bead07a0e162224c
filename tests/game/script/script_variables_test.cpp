#include "game/script/script_engine.h"
#include "game/script/script_address.h"
#include "tests/game/script/script_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using gametest::NumberOf;
using gametest::ScriptGame;
using testsupport::AppendWord;
using testsupport::SobInitFile;
using testsupport::SobUserVar;

constexpr std::uint32_t kSize = 8;

// Nine variables of 8 bytes, entry = kind * 3 + class, each filled with the byte entry + 1.
SobUserVar EveryKindAndClass() {
    SobUserVar vars;
    for (std::uint8_t kind = 0; kind < 3; ++kind) {
        for (std::uint8_t cls = 0; cls < 3; ++cls) {
            vars.Add(kind, cls, kSize, std::vector<std::uint8_t>(kSize, static_cast<std::uint8_t>(kind * 3 + cls + 1)));
        }
    }
    return vars;
}

class ScriptVariables : public ::testing::Test {
protected:
    void SetUp() override {
        m_game.Write("USER_VAR.SOB", EveryKindAndClass().Bytes());
        CreateDirectoryA(m_game.Folder().File("SAVE").c_str(), nullptr);
    }

    // An engine with the variables (and the save and auto-save copies when asked).
    std::unique_ptr<ScriptEngine> Start(bool copies = true) {
        std::unique_ptr<ScriptEngine> engine(new ScriptEngine);
        EXPECT_EQ(0, engine->LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", nullptr, copies, copies));
        engine->SetSaveFolder(m_game.Folder().File("SAVE/").c_str());
        return engine;
    }

    static std::vector<std::uint8_t> Value(ScriptEngine& engine, std::uint32_t entry) {
        const std::uint8_t* data = engine.LiveVariables().Data(entry);
        return std::vector<std::uint8_t>(data, data + kSize);
    }
    static void Fill(ScriptEngine& engine, std::uint32_t entry, std::uint8_t byte) {
        std::memset(engine.LiveVariables().Data(entry), byte, kSize);
    }
    static void FillAll(ScriptEngine& engine, std::uint8_t byte) {
        for (std::uint32_t entry = 0; entry < 9; ++entry) {
            Fill(engine, entry, byte);
        }
    }
    // Entries whose value is the byte `byte` throughout.
    static std::set<std::uint32_t> Holding(ScriptEngine& engine, std::uint8_t byte) {
        std::set<std::uint32_t> entries;
        for (std::uint32_t entry = 0; entry < 9; ++entry) {
            if (Value(engine, entry) == std::vector<std::uint8_t>(kSize, byte)) {
                entries.insert(entry);
            }
        }
        return entries;
    }
    static std::set<std::uint32_t> Initial(ScriptEngine& engine) {
        std::set<std::uint32_t> entries;
        for (std::uint32_t entry = 0; entry < 9; ++entry) {
            if (Value(engine, entry) == std::vector<std::uint8_t>(kSize, static_cast<std::uint8_t>(entry + 1))) {
                entries.insert(entry);
            }
        }
        return entries;
    }

    ScriptGame m_game;
};

const std::set<std::uint32_t> kAll = {0, 1, 2, 3, 4, 5, 6, 7, 8};

struct SelectorCase {
    std::uint32_t classSelector;
    std::uint32_t typeSelector;
    std::set<std::uint32_t> touched;
};

// Entry = kind * 3 + class.
const SelectorCase kSelectorCases[] = {
    {0, 0, kAll},       {1, 0, {0, 3, 6}}, {2, 0, {1, 4, 7}}, {3, 0, {2, 5, 8}}, {4, 0, kAll},   {0, 1, {0, 1, 2}},
    {0, 2, {3, 4, 5}},  {0, 3, {6, 7, 8}}, {2, 2, {4}},       {3, 3, {8}},       {1, 1, {0}},    {0, 9, kAll},
};

TEST_F(ScriptVariables, ClearTouchesTheSelectedVariables) {
    for (const SelectorCase& row : kSelectorCases) {
        SCOPED_TRACE(testing::Message() << "class " << row.classSelector << " type " << row.typeSelector);
        auto engine = Start();
        EXPECT_EQ(0, engine->ClearVariables(row.classSelector, row.typeSelector));
        EXPECT_EQ(row.touched, Holding(*engine, 0));
    }
}

TEST_F(ScriptVariables, RestoreAndStoreTouchTheSelectedVariables) {
    for (const SelectorCase& row : kSelectorCases) {
        SCOPED_TRACE(testing::Message() << "class " << row.classSelector << " type " << row.typeSelector);
        auto engine = Start();
        FillAll(*engine, 0xEE);
        EXPECT_EQ(0, engine->RestoreFromSaveCopy(row.classSelector, row.typeSelector));
        EXPECT_EQ(row.touched, Initial(*engine));

        FillAll(*engine, 0x55);
        EXPECT_EQ(0, engine->StoreToAutoSaveCopy(row.classSelector, row.typeSelector));
        FillAll(*engine, 0x66);
        EXPECT_EQ(0, engine->RestoreFromAutoSaveCopy(0, 0));
        EXPECT_EQ(row.touched, Holding(*engine, 0x55));
    }
}

TEST_F(ScriptVariables, OperationsWithoutTheirCopy) {
    auto engine = Start(false);
    const std::uint32_t number = engine->LiveVariables().Entries()[0].address;
    EXPECT_EQ(1, engine->RestoreFromSaveCopy(0, 0));
    EXPECT_EQ(1, engine->StoreToAutoSaveCopy(0, 0));
    EXPECT_EQ(1, engine->RestoreFromAutoSaveCopy(0, 0));
    EXPECT_EQ(1, engine->StoreOneToAutoSaveCopy(number));
    EXPECT_EQ(1, engine->MarkVariable(number));
    EXPECT_EQ(0u, engine->SerializedVariablesSize(2, true));
    std::vector<std::uint8_t> block(100);
    std::uint8_t* cursor = block.data();
    EXPECT_EQ(2, engine->SerializeVariables(&cursor, 2, true));
    EXPECT_EQ(1, engine->SerializeVariables(nullptr, 2, false));
    EXPECT_EQ(0, engine->ClearVariables(0, 0));
}

TEST_F(ScriptVariables, SingleVariablesByAddress) {
    auto engine = Start();
    const std::vector<VariableEntry>& entries = engine->LiveVariables().Entries();
    // A text through a pointer is named by its pointer slot, the others by their bytes.
    EXPECT_EQ(4, engine->FindVariableIndex(entries[4].address));
    EXPECT_EQ(AddressOf(engine->LiveVariables().Data(1)), entries[1].address);
    EXPECT_NE(AddressOf(engine->LiveVariables().Data(4)), entries[4].address);
    EXPECT_EQ(-1, engine->FindVariableIndex(AddressOf(engine->LiveVariables().Data(4))));

    Fill(*engine, 4, 0x44);
    Fill(*engine, 7, 0x77);
    EXPECT_EQ(0, engine->StoreOneToAutoSaveCopy(entries[4].address));
    EXPECT_EQ(2, engine->StoreOneToAutoSaveCopy(entries[4].address + 1));
    FillAll(*engine, 0);
    engine->RestoreFromAutoSaveCopy(0, 0);
    EXPECT_EQ(std::set<std::uint32_t>{4}, Holding(*engine, 0x44));
    EXPECT_EQ(std::set<std::uint32_t>{}, Holding(*engine, 0x77));

    EXPECT_EQ(0, engine->MarkVariable(entries[7].address));
    EXPECT_EQ(0, engine->MarkVariable(entries[2].address));
    EXPECT_EQ(2, engine->MarkVariable(0));
    EXPECT_EQ((std::vector<std::uint32_t>{7, 2}), engine->MarkedVariables());
}

TEST_F(ScriptVariables, SerialisationRoundTripsPerSelector) {
    const struct {
        std::uint8_t selector;
        std::set<std::uint32_t> serialized;  // kinds 0 and 1 only
    } cases[] = {{0, {1, 4}}, {1, {2, 5}}, {2, {0, 1, 2, 3, 4, 5}}, {200, {0, 1, 2, 3, 4, 5}}};
    for (const auto& row : cases) {
        SCOPED_TRACE(static_cast<int>(row.selector));
        auto engine = Start();
        const std::uint32_t size = engine->SerializedVariablesSize(row.selector, false);
        EXPECT_EQ(1 + row.serialized.size() * (1 + kSize), size);
        std::vector<std::uint8_t> block(size + 4, 0xCC);
        std::uint8_t* cursor = block.data();
        EXPECT_EQ(0, engine->SerializeVariables(&cursor, row.selector, false));
        EXPECT_EQ(block.data() + size, cursor);
        EXPECT_EQ(row.selector, block[0]);

        FillAll(*engine, 0);
        const std::uint8_t* in = block.data();
        EXPECT_EQ(0, engine->DeserializeVariables(&in, block.data() + size));
        EXPECT_EQ(block.data() + size, in);
        EXPECT_EQ(row.serialized, Initial(*engine));
    }
}

TEST_F(ScriptVariables, DamagedSerialisedBlocksChangeNothing) {
    auto engine = Start();
    const std::uint32_t size = engine->SerializedVariablesSize(2, false);
    std::vector<std::uint8_t> good(size);
    std::uint8_t* cursor = good.data();
    engine->SerializeVariables(&cursor, 2, false);
    const struct {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    } cases[] = {
        {"a kind byte of the last variable differs", [&](std::vector<std::uint8_t>& b) { b[1 + 5 * (1 + kSize)] = 0; }},
        {"cut inside the last variable", [](std::vector<std::uint8_t>& b) { b.pop_back(); }},
        {"only the selector", [](std::vector<std::uint8_t>& b) { b.resize(1); }},
        {"empty", [](std::vector<std::uint8_t>& b) { b.clear(); }},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint8_t> block = good;
        row.damage(block);
        FillAll(*engine, 0x5A);
        const std::uint8_t* in = block.data();
        EXPECT_EQ(1, engine->DeserializeVariables(&in, block.data() + block.size()));
        EXPECT_EQ(kAll, Holding(*engine, 0x5A));
    }
}

TEST_F(ScriptVariables, FlagsOfTheCurrentModuleAndTheGlobalRecord) {
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"MAIN", 16, 8}, {"SUB", 16, 8}, {"GLOBAL", 8, 4}}));
    m_game.WriteModule("MAIN", "ret\n");
    m_game.WriteModule("SUB", "ret\n");
    auto engine = Start();
    EXPECT_FALSE(engine->TestReadFlag(3, false));  // no module yet
    engine->SetReadFlag(3, false);
    ASSERT_EQ(0, engine->LoadModule("MAIN", nullptr));
    engine->SetReadFlag(3, false);
    engine->SetChoiceFlag(2, true);
    engine->SetReadFlag(100, false);  // past the array: nothing
    EXPECT_TRUE(engine->TestReadFlag(3, false));
    EXPECT_FALSE(engine->TestReadFlag(3, true));
    EXPECT_TRUE(engine->TestChoiceFlag(2, true));
    EXPECT_FALSE(engine->TestChoiceFlag(2, false));
    ASSERT_EQ(0, engine->LoadModule("SUB", nullptr));
    EXPECT_FALSE(engine->TestReadFlag(3, false));
    engine->UnloadModule();
    EXPECT_TRUE(engine->TestReadFlag(3, false));
    EXPECT_EQ(1u, engine->FlagRecord(0).readFlags.CountSet());
}

TEST_F(ScriptVariables, WithoutFlagRecordsFlagsAnswerZero) {
    m_game.WriteModule("MAIN", "ret\n");
    auto engine = Start();
    ASSERT_EQ(0, engine->LoadModule("MAIN", nullptr));
    engine->SetReadFlag(1, false);
    engine->SetChoiceFlag(1, true);
    EXPECT_FALSE(engine->TestReadFlag(1, false));
    EXPECT_FALSE(engine->TestChoiceFlag(1, true));
    EXPECT_EQ(0, engine->ReadVariableGroups("TLOG.DAT"));
    EXPECT_EQ(2, engine->WriteVariableGroups("TLOG.DAT"));
}

// Sets flag bits by record: {record, read bits, choice bits}.
void SetFlags(ScriptEngine& engine, std::size_t record, std::vector<std::uint32_t> read, std::vector<std::uint32_t> choice) {
    for (std::uint32_t bit : read) {
        engine.FlagRecord(record).readFlags.Set(bit, true);
    }
    for (std::uint32_t bit : choice) {
        engine.FlagRecord(record).choiceFlags.Set(bit, true);
    }
}

std::vector<std::uint32_t> SetBits(const BitArray& bits) {
    std::vector<std::uint32_t> set;
    for (std::uint32_t i = 0; i < bits.BitCount(); ++i) {
        if (bits.Test(i)) {
            set.push_back(i);
        }
    }
    return set;
}

TEST_F(ScriptVariables, VariableGroupsRoundTripIntoAModuleListThatChanged) {
    // Large arrays pack with LZSS; the small ones of the second run are stored as they are.
    for (std::uint16_t bits : {std::uint16_t{16}, std::uint16_t{4000}}) {
        SCOPED_TRACE(bits);
        m_game.Write("SOB_INIT.DAT", SobInitFile({{"A", bits, 8}, {"B", 8, 8}, {"GLOBAL", 8, 8}}));
        {
            auto engine = Start();
            SetFlags(*engine, 0, {1, 15}, {7});
            SetFlags(*engine, 1, {0}, {3});
            SetFlags(*engine, 2, {5}, {6});
            engine->SetVariableGroupFileName("TLOG.DAT");
        }  // written when the engine goes
        const std::vector<std::uint8_t> file = testsupport::ReadFile(m_game.Folder().File("SAVE/TLOG.DAT"));
        ASSERT_GE(file.size(), 16u);
        EXPECT_EQ(0, std::memcmp(file.data(), "TLOG", 4));
        EXPECT_EQ(3u, testsupport::WordAt(file, 12));
        if (bits > 16) {
            EXPECT_NE(0u, testsupport::WordAt(file, 8));  // packed
        }

        m_game.Write("SOB_INIT.DAT", SobInitFile({{"A", bits, 8}, {"NEW", 8, 8}, {"B", 9, 8}, {"GLOBAL", 8, 8}}));
        auto engine = Start();
        EXPECT_EQ(0, engine->ReadVariableGroups("TLOG.DAT"));
        EXPECT_EQ((std::vector<std::uint32_t>{1, 15}), SetBits(engine->FlagRecord(0).readFlags));
        EXPECT_EQ((std::vector<std::uint32_t>{7}), SetBits(engine->FlagRecord(0).choiceFlags));
        EXPECT_EQ(0u, engine->FlagRecord(1).readFlags.CountSet() + engine->FlagRecord(1).choiceFlags.CountSet());
        EXPECT_EQ(0u, engine->FlagRecord(2).readFlags.CountSet());  // its size changed
        EXPECT_EQ((std::vector<std::uint32_t>{3}), SetBits(engine->FlagRecord(2).choiceFlags));
        EXPECT_EQ((std::vector<std::uint32_t>{5}), SetBits(engine->FlagRecord(3).readFlags));
    }
}

// A variable-group file written by hand, stored unpacked: {name with its length byte, arrays}.
struct TlogRecord {
    std::string name;
    std::uint32_t readBits, readLength;
    std::uint32_t choiceBits, choiceLength;
    std::uint8_t fill;
};

std::vector<std::uint8_t> TlogFile(const std::vector<TlogRecord>& records, std::int64_t countField = -1,
                                   std::int64_t storedField = -1, std::int64_t unpackedField = 0) {
    std::vector<std::uint8_t> block;
    for (const TlogRecord& record : records) {
        block.push_back(static_cast<std::uint8_t>(record.name.size()));
        block.insert(block.end(), record.name.begin(), record.name.end());
        AppendWord(block, record.readBits);
        AppendWord(block, record.readLength);
        block.insert(block.end(), std::min<std::uint32_t>(record.readLength, 64), record.fill);
        AppendWord(block, record.choiceBits);
        AppendWord(block, record.choiceLength);
        block.insert(block.end(), std::min<std::uint32_t>(record.choiceLength, 64), record.fill);
    }
    std::vector<std::uint8_t> file = {'T', 'L', 'O', 'G'};
    AppendWord(file, storedField >= 0 ? static_cast<std::uint32_t>(storedField) : static_cast<std::uint32_t>(block.size()));
    AppendWord(file, static_cast<std::uint32_t>(unpackedField));
    AppendWord(file, countField >= 0 ? static_cast<std::uint32_t>(countField) : static_cast<std::uint32_t>(records.size()));
    file.insert(file.end(), block.begin(), block.end());
    return file;
}

TEST_F(ScriptVariables, DamagedVariableGroupFilesChangeNoFlag) {
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"A", 16, 8}, {"GLOBAL", 8, 8}}));
    const std::string a("A\0", 2);
    const std::string global("GLOBAL\0", 7);
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        int expected;
    } cases[] = {
        {"intact", TlogFile({{a, 16, 2, 8, 1, 0xFF}, {global, 8, 1, 8, 1, 0xFF}}), 0},
        {"wrong magic", [&] { auto f = TlogFile({{a, 16, 2, 8, 1, 0xFF}}); f[0] = 'X'; return f; }(), 2},
        {"more records than the block holds", TlogFile({{a, 16, 2, 8, 1, 0xFF}}, 2), 2},
        {"an array longer than the block", TlogFile({{a, 16, 2, 8, 0x7FFFFFF0, 0xFF}}), 2},
        {"a byte length that does not fit the bit count", TlogFile({{a, 16, 3, 8, 1, 0xFF}}), 2},
        {"a name without its zero", TlogFile({{"A", 16, 2, 8, 1, 0xFF}}), 2},
        {"a name length past the block", [&] { auto f = TlogFile({{a, 16, 2, 8, 1, 0xFF}}); f[16] = 0xF0; return f; }(), 2},
        {"stored length past the file", TlogFile({{a, 16, 2, 8, 1, 0xFF}}, -1, 1000), 2},
        {"a packed block that ends early", TlogFile({{a, 16, 2, 8, 1, 0xFF}}, -1, -1, 5000), 2},
        {"bytes after the last record", TlogFile({{a, 16, 2, 8, 1, 0xFF}}, 0), 2},
        {"a file shorter than its header", {'T', 'L', 'O', 'G', 1}, 2},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        testsupport::WriteFile(m_game.Folder().File("SAVE/TLOG.DAT"), row.file);
        auto engine = Start();
        SetFlags(*engine, 0, {4}, {});
        EXPECT_EQ(row.expected, engine->ReadVariableGroups("TLOG.DAT"));
        EXPECT_EQ(row.expected == 0 ? 16u : 1u, engine->FlagRecord(0).readFlags.CountSet());
    }
    auto engine = Start();
    EXPECT_EQ(1, engine->ReadVariableGroups("MISSING.DAT"));
    EXPECT_EQ(1, engine->ReadVariableGroups(nullptr));
    EXPECT_EQ(1, engine->WriteVariableGroups(nullptr));
}

TEST_F(ScriptVariables, PersistentFileKeepsClassTwoVariables) {
    {
        auto engine = Start();
        Fill(*engine, 2, 0x22);
        Fill(*engine, 5, 0x25);
        Fill(*engine, 1, 0x21);
        engine->SetPersistentFileName("PERSIST.DAT");
    }  // written when the engine goes
    auto engine = Start();
    EXPECT_EQ(0, engine->ReadPersistentFile("PERSIST.DAT"));
    EXPECT_EQ(std::set<std::uint32_t>{2}, Holding(*engine, 0x22));
    EXPECT_EQ(std::set<std::uint32_t>{5}, Holding(*engine, 0x25));
    EXPECT_EQ((std::set<std::uint32_t>{0, 1, 3, 4, 6, 7, 8}), Initial(*engine));
    EXPECT_EQ(1, engine->ReadPersistentFile("MISSING.DAT"));
    EXPECT_EQ(1, engine->ReadPersistentFile(nullptr));
}

TEST_F(ScriptVariables, PersistentFileOfAnotherVoiceCountStillRestoresVariables) {
    auto engine = Start();
    std::vector<std::uint8_t> variables(engine->SerializedVariablesSize(1, false));
    std::uint8_t* cursor = variables.data();
    Fill(*engine, 2, 0x42);
    engine->SerializeVariables(&cursor, 1, false);
    auto persistentFile = [&](std::uint32_t voices, std::uint32_t voicesPresent, std::size_t cut) {
        std::vector<std::uint8_t> block;
        AppendWord(block, voices);
        block.insert(block.end(), voicesPresent * 6, 0x11);
        block.insert(block.end(), variables.begin(), variables.end() - cut);
        std::vector<std::uint8_t> file;
        AppendWord(file, static_cast<std::uint32_t>(block.size()));
        AppendWord(file, 0);
        file.insert(file.end(), block.begin(), block.end());
        return file;
    };
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        int expected;
    } cases[] = {
        {"three voices", persistentFile(3, 3, 0), 0},
        {"variables cut short", persistentFile(3, 3, 1), 2},
        {"more voices than the block holds", persistentFile(1000, 3, 0), 2},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        testsupport::WriteFile(m_game.Folder().File("SAVE/PERSIST.DAT"), row.file);
        Fill(*engine, 2, 0);
        EXPECT_EQ(row.expected, engine->ReadPersistentFile("PERSIST.DAT"));
        EXPECT_EQ(row.expected == 0 ? std::set<std::uint32_t>{2} : std::set<std::uint32_t>{}, Holding(*engine, 0x42));
    }
}

TEST_F(ScriptVariables, WritePersistentDataWritesWhatHasAName) {
    const struct {
        const char* persistent;
        const char* groups;
        int expected;
    } cases[] = {{nullptr, nullptr, 2}, {"P.DAT", nullptr, 0}, {nullptr, "G.DAT", 2}, {"P.DAT", "G.DAT", 2}};
    // Without flag records the variable-group file cannot be written (2).
    for (const auto& row : cases) {
        auto engine = Start();
        engine->SetPersistentFileName(row.persistent);
        engine->SetVariableGroupFileName(row.groups);
        EXPECT_EQ(row.expected, engine->WritePersistentData());
    }
    m_game.Write("SOB_INIT.DAT", SobInitFile({{"GLOBAL", 8, 8}}));
    auto engine = Start();
    engine->SetPersistentFileName("P.DAT");
    engine->SetVariableGroupFileName("G.DAT");
    EXPECT_EQ(0, engine->WritePersistentData());
    EXPECT_TRUE(testsupport::FileExists(m_game.Folder().File("SAVE/G.DAT")));
    EXPECT_TRUE(testsupport::FileExists(m_game.Folder().File("SAVE/P.DAT")));
}

class ScriptVariableFiles : public ScriptVariables {
protected:
    void SetUp() override {
        SobUserVar vars = EveryKindAndClass();
        m_number = vars.AddNumber(0, 1234);
        m_text = vars.AddText(1, 0, 8, "chapter");
        m_game.Write("USER_VAR.SOB", vars.Bytes());
        CreateDirectoryA(m_game.Folder().File("SAVE").c_str(), nullptr);
    }
    std::uint32_t Address(ScriptEngine& engine, std::uint32_t entry) {
        return engine.LiveVariables().Entries()[entry].address;
    }
    std::string Text(ScriptEngine& engine) {
        return reinterpret_cast<const char*>(engine.LiveVariables().Data(m_text));
    }

    std::uint32_t m_number = 0;
    std::uint32_t m_text = 0;
};

TEST_F(ScriptVariableFiles, RoundTripWithHeader) {
    auto engine = Start();
    Fill(*engine, 1, 0x31);
    Fill(*engine, 4, 0x34);
    Fill(*engine, 7, 0x37);  // kind 2 is never written
    ASSERT_EQ(0, engine->WriteVariableFile("VAR.DAT", 0, Address(*engine, m_number), Address(*engine, m_text), false));
    FillAll(*engine, 0);
    std::memcpy(engine->LiveVariables().Data(m_number), "\0\0\0\0", 4);
    std::strcpy(reinterpret_cast<char*>(engine->LiveVariables().Data(m_text)), "x");

    EXPECT_EQ(0, engine->ReadVariableFileHeader("VAR.DAT", Address(*engine, m_number), Address(*engine, m_text)));
    EXPECT_EQ(1234, NumberOf(*engine, m_number));
    EXPECT_EQ("chapter", Text(*engine));
    EXPECT_EQ(0, engine->ReadVariableFile("VAR.DAT"));
    EXPECT_EQ(std::set<std::uint32_t>{1}, Holding(*engine, 0x31));
    EXPECT_EQ(std::set<std::uint32_t>{4}, Holding(*engine, 0x34));
    EXPECT_EQ(std::set<std::uint32_t>{}, Holding(*engine, 0x37));
}

TEST_F(ScriptVariableFiles, FromTheAutoSaveCopyAndWithoutHeader) {
    auto engine = Start();
    Fill(*engine, 1, 0x51);
    engine->StoreToAutoSaveCopy(0, 0);
    Fill(*engine, 1, 0x52);
    ASSERT_EQ(0, engine->WriteVariableFile("VAR.DAT", 0, 0, 0, true));
    Fill(*engine, 1, 0);
    EXPECT_EQ(0, engine->ReadVariableFile("VAR.DAT"));
    EXPECT_EQ(std::set<std::uint32_t>{1}, Holding(*engine, 0x51));
    // The header holds empty fields: reading them into variables is refused.
    EXPECT_EQ(2, engine->ReadVariableFileHeader("VAR.DAT", Address(*engine, m_number), 0));
    EXPECT_EQ(0, engine->ReadVariableFileHeader("VAR.DAT", 0, 0));
}

TEST_F(ScriptVariableFiles, ResultsOfWritingAndHeaderSizes) {
    auto engine = Start();
    const std::uint32_t number = Address(*engine, m_number);
    const std::uint32_t text = Address(*engine, m_text);
    const std::uint32_t areaText = Address(*engine, 6);
    std::uint32_t numberSize = 0;
    std::uint32_t textSize = 0;
    EXPECT_EQ(0, engine->FindVariableSizes(number, text, numberSize, textSize));
    EXPECT_EQ(4u, numberSize);
    EXPECT_EQ(8u, textSize);  // "chapter" and its zero
    EXPECT_EQ(-1, engine->FindVariableSizes(0, 0, numberSize, textSize));
    EXPECT_EQ(1, engine->FindVariableSizes(text, 0, numberSize, textSize));
    EXPECT_EQ(2, engine->FindVariableSizes(0, areaText, numberSize, textSize));
    EXPECT_EQ(3, engine->FindVariableSizes(number + 1, 0, numberSize, textSize));

    EXPECT_EQ(1, engine->WriteVariableFile(nullptr, 0, 0, 0, false));
    EXPECT_EQ(4, engine->WriteVariableFile("V.DAT", 0, text, 0, false));
    ScriptEngine withoutVariables;
    withoutVariables.SetSaveFolder(m_game.Folder().File("SAVE/").c_str());
    EXPECT_EQ(2, withoutVariables.WriteVariableFile("V.DAT", 0, 0, 0, false));
    EXPECT_EQ(1, engine->WriteVariableFile("NOFOLDER\\V.DAT", 0, 0, 0, false));
    EXPECT_EQ(3, engine->ReadVariableFileHeader("V.DAT", text, 0));
    EXPECT_EQ(1, engine->ReadVariableFileHeader("MISSING.DAT", number, text));
    EXPECT_EQ(1, engine->ReadVariableFile("MISSING.DAT"));
}

TEST_F(ScriptVariableFiles, DamagedFilesChangeNothing) {
    auto engine = Start();
    const std::uint32_t number = Address(*engine, m_number);
    const std::uint32_t text = Address(*engine, m_text);
    FillAll(*engine, 0x70);
    ASSERT_EQ(0, engine->WriteVariableFile("GOOD.DAT", 2, number, text, false));
    const std::vector<std::uint8_t> good = testsupport::ReadFile(m_game.Folder().File("SAVE/GOOD.DAT"));
    // Offsets: stored length 0, unpacked length 4, number size 8, number 12, text size 16, text 20,
    // selector 28, checksum 29, block 30.
    ASSERT_EQ(8u, testsupport::WordAt(good, 16));
    const struct {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        int variables;  // ReadVariableFile
        int header;     // ReadVariableFileHeader
    } cases[] = {
        {"intact", [](std::vector<std::uint8_t>&) {}, 0, 0},
        {"checksum changed", [](std::vector<std::uint8_t>& f) { f[29] ^= 1; }, 2, 0},
        {"a block byte changed", [](std::vector<std::uint8_t>& f) { f[31] ^= 1; }, 2, 0},
        {"a kind byte changed with the checksum",
         [](std::vector<std::uint8_t>& f) {
             f[29] = static_cast<std::uint8_t>(f[29] + 2 - f[30]);
             f[30] = 2;
         },
         2, 0},
        {"block cut short", [](std::vector<std::uint8_t>& f) { f.pop_back(); }, 2, 2},
        {"stored length past the file", [](std::vector<std::uint8_t>& f) { f[2] = 1; }, 2, 2},
        {"header text longer than the variable's buffer",
         [](std::vector<std::uint8_t>& f) {
             f[16] = 12;
             f.insert(f.begin() + 28, {'e', 'r', 's', 0});
             f[27] = 'h';
         },
         0, 3},
        {"header number larger than the variable",
         [](std::vector<std::uint8_t>& f) {
             f[8] = 8;
             f.insert(f.begin() + 16, 4, 0);
         },
         0, 3},
        {"header text size past the file", [](std::vector<std::uint8_t>& f) { f[19] = 0x10; }, 2, 2},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint8_t> file = good;
        row.damage(file);
        testsupport::WriteFile(m_game.Folder().File("SAVE/BAD.DAT"), file);
        FillAll(*engine, 0x0A);
        std::memset(engine->LiveVariables().Data(m_number), 0x0A, 4);
        std::memset(engine->LiveVariables().Data(m_text), 0x0A, 8);
        EXPECT_EQ(row.header, engine->ReadVariableFileHeader("BAD.DAT", number, text));
        const std::uint8_t* numberBytes = engine->LiveVariables().Data(m_number);
        const std::uint8_t* textBytes = engine->LiveVariables().Data(m_text);
        if (row.header != 0) {
            EXPECT_EQ(std::vector<std::uint8_t>(4, 0x0A), std::vector<std::uint8_t>(numberBytes, numberBytes + 4));
            EXPECT_EQ(std::vector<std::uint8_t>(8, 0x0A), std::vector<std::uint8_t>(textBytes, textBytes + 8));
        }
        EXPECT_EQ(row.variables, engine->ReadVariableFile("BAD.DAT"));
        const std::set<std::uint32_t> restored = row.variables == 0 ? std::set<std::uint32_t>{0, 1, 2, 3, 4, 5}
                                                                      : std::set<std::uint32_t>{};
        EXPECT_EQ(restored, Holding(*engine, 0x70));
    }
}

}  // namespace
