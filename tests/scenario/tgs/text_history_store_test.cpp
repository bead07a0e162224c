// The text history store: the ring and its resizing, the choice protocol and the taken choice
// by sequence number, texts cut at a whole character at every length around the limits,
// snapshots in drawing order with their field images at their offsets, saving a range, and
// loading whole or not at all (hand-built records, every cut length, fixed-seed damaged copies).
#include "scenario/tgs/text_history_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "framework/util/byte_cursor.h"
#include "tests/support/text_history_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::TextHistoryWriter;

constexpr std::uint32_t kAll = 0xFFFFFFFFu;

Bytes SaveRange(TextHistoryStore& store, std::uint32_t first = 0, std::uint32_t last = kAll) {
    Bytes out(store.SaveSize(first, last));
    ByteCursor cursor(static_cast<void*>(out.data()), out.size());
    EXPECT_EQ(0, store.Save(&cursor, first, last));
    EXPECT_EQ(0u, cursor.Remaining()) << "SaveSize is exactly what Save writes";
    return out;
}

std::int32_t LoadBytes(TextHistoryStore& store, const Bytes& bytes, std::int32_t keep = 1,
                       std::size_t* left = nullptr) {
    ByteCursor cursor(static_cast<const void*>(bytes.data()), bytes.size());
    const std::int32_t code = store.Load(&cursor, keep);
    if (left) *left = cursor.Remaining();
    return code;
}

void AddLine(TextHistoryStore& store, const std::string& text, const char* name = nullptr,
             const char* voice = nullptr) {
    ASSERT_EQ(0, store.AddTextLine(text.c_str(), static_cast<std::uint32_t>(text.size()), 20,
                                   name, voice, 1));
}

// The message of a text line without its two closing zeros.
std::string Message(const HistoryEntry* e) {
    if (!e || e->message.size() < 2) return "<none>";
    return e->message.substr(0, e->message.size() - 2);
}

// A ring of capacity 4 that has wrapped, holding every kind (sequences 2..5).
void FillMixed(TextHistoryStore& store) {
    store.Resize(4);
    AddLine(store, "zero");
    AddLine(store, "one", "Aoi");
    AddLine(store, "two \x82\xa0", "Aoi", "v_001");
    ASSERT_EQ(0, store.BeginChoiceList(2));
    ASSERT_EQ(0, store.AddChoice("go left", 1));
    ASSERT_EQ(0, store.AddChoice("go right", 0));
    std::uint32_t sequence = 0;
    ASSERT_EQ(0, store.EndChoiceList(&sequence));
    ASSERT_TRUE(store.SetTakenChoice(sequence, 1));
    HistoryBackground background;
    background.name = "BG01";
    background.fields.colour = 0x112233;
    HistorySlot slots[3];
    slots[1].name = "CH_A";
    slots[1].positionValid = true;
    slots[1].x = 600;
    slots[1].anchorX = 100;
    ASSERT_EQ(0, store.AddSceneSnapshot(&background, nullptr, slots, nullptr));
    AddLine(store, "", nullptr, "v_002");
}

TEST(TextHistoryStore, AFullRingKeepsTheNewestEntries) {
    TextHistoryStore store;
    store.Resize(3);
    for (int i = 1; i <= 5; ++i) AddLine(store, "line " + std::to_string(i));
    ASSERT_EQ(3, store.Count());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ("line " + std::to_string(i + 3), Message(store.Entry(i)));
        EXPECT_EQ(static_cast<std::uint32_t>(i + 2), store.Entry(i)->sequence);
    }
    EXPECT_EQ(nullptr, store.Entry(3));
    EXPECT_EQ(nullptr, store.Entry(-1));
}

TEST(TextHistoryStore, ResizingKeepsTheNewestInOrder) {
    struct Case {
        const char* name;
        int capacity;
        int added;
        int newCapacity;
        std::vector<int> kept;
    };
    const Case cases[] = {
        {"10 entries into 4", 10, 10, 4, {7, 8, 9, 10}},
        {"a wrapped ring into 3", 5, 8, 3, {6, 7, 8}},
        {"a wrapped ring into more room", 3, 5, 6, {3, 4, 5}},
        {"0 frees everything", 3, 2, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextHistoryStore store;
        store.Resize(c.capacity);
        for (int i = 1; i <= c.added; ++i) AddLine(store, std::to_string(i));
        store.Resize(c.newCapacity);
        EXPECT_EQ(c.newCapacity, store.Capacity());
        ASSERT_EQ(static_cast<int>(c.kept.size()), store.Count());
        for (std::size_t i = 0; i < c.kept.size(); ++i)
            EXPECT_EQ(std::to_string(c.kept[i]), Message(store.Entry(static_cast<int>(i))));
        // The next entry goes after the kept ones.
        if (c.newCapacity > 0) {
            AddLine(store, "next");
            EXPECT_EQ("next", Message(store.Entry(store.Count() - 1)));
        } else {
            EXPECT_EQ(2, store.AddTextLine("x", 1, 0, nullptr, nullptr, 0));
        }
    }
}

TEST(TextHistoryStore, ChoiceProtocolCodes) {
    TextHistoryStore off;
    EXPECT_EQ(2, off.BeginChoiceList(2)) << "capacity 0";
    TextHistoryStore store;
    store.Resize(4);
    std::uint32_t sequence = 99;
    EXPECT_EQ(1, store.BeginChoiceList(0));
    EXPECT_EQ(2, store.AddChoice("a", 1)) << "no list open";
    EXPECT_EQ(1, store.EndChoiceList(&sequence)) << "no list open";
    ASSERT_EQ(0, store.BeginChoiceList(2));
    EXPECT_EQ(3, store.BeginChoiceList(1)) << "nested";
    EXPECT_EQ(1, store.EndChoiceList(&sequence)) << "no choice added";
    EXPECT_EQ(0, store.Count()) << "an empty list does not enter";
    EXPECT_FALSE(store.ChoiceListOpen());
    ASSERT_EQ(0, store.BeginChoiceList(2));
    EXPECT_EQ(1, store.AddChoice(nullptr, 1));
    EXPECT_EQ(0, store.AddChoice("a", 1));
    EXPECT_EQ(0, store.AddChoice("b", 0));
    EXPECT_EQ(3, store.AddChoice("c", 1)) << "full";
    ASSERT_EQ(0, store.EndChoiceList(&sequence));
    EXPECT_EQ(0u, sequence);
    const HistoryEntry* e = store.Entry(0);
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(2u, e->choices.size());
    EXPECT_EQ("b", e->choices[1].text);
    EXPECT_EQ(0, e->choices[1].flag);
    EXPECT_EQ(-1, e->taken);
}

TEST(TextHistoryStore, TheTakenChoiceGoesByNumberAndOnlyToAnEntryStillThere) {
    struct Case {
        const char* name;
        void (*between)(TextHistoryStore&);
        bool recorded;
    };
    const Case cases[] = {
        {"the list still there", [](TextHistoryStore&) {}, true},
        {"resized away", [](TextHistoryStore& s) {
             AddLine(s, "after");
             s.Resize(1);
         }, false},
        {"cleared", [](TextHistoryStore& s) { s.Clear(); }, false},
        {"its place reused", [](TextHistoryStore& s) {
             AddLine(s, "a");
             AddLine(s, "b");
             AddLine(s, "c");
         }, false},
        {"a load since, whose entry has the same number",
         [](TextHistoryStore& s) {
             const Bytes saved =
                 TextHistoryWriter().TextLine(nullptr, nullptr, "x", 0, 0).ChoiceList(-1, {{1, "p"}, {1, "q"}}).Bytes();
             ASSERT_EQ(0, LoadBytes(s, saved));
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextHistoryStore store;
        store.Resize(3);
        AddLine(store, "before");
        ASSERT_EQ(0, store.BeginChoiceList(2));
        ASSERT_EQ(0, store.AddChoice("p", 1));
        ASSERT_EQ(0, store.AddChoice("q", 1));
        std::uint32_t sequence = 0;
        ASSERT_EQ(0, store.EndChoiceList(&sequence));
        ASSERT_EQ(1u, sequence);
        c.between(store);
        EXPECT_EQ(c.recorded, store.SetTakenChoice(sequence, 1));
        for (int i = 0; i < store.Count(); ++i) {
            const HistoryEntry* e = store.Entry(i);
            if (e->kind == TextHistoryStore::kChoiceList) {
                EXPECT_EQ(c.recorded ? 1 : -1, e->taken);
            }
        }
    }
    TextHistoryStore store;
    store.Resize(2);
    ASSERT_EQ(0, store.BeginChoiceList(2));
    ASSERT_EQ(0, store.AddChoice("p", 1));
    std::uint32_t sequence = 0;
    ASSERT_EQ(0, store.EndChoiceList(&sequence));
    EXPECT_FALSE(store.SetTakenChoice(sequence, 1)) << "only one choice";
    EXPECT_FALSE(store.SetTakenChoice(sequence + 1, 0)) << "another number";
    EXPECT_TRUE(store.SetTakenChoice(sequence, 0));
}

// A text of `length` bytes: ASCII, or one ASCII byte and then two-byte characters (so that the
// limit falls in the middle of one at every other length).
std::string LongText(std::size_t length, bool shiftJis) {
    if (!shiftJis) return std::string(length, 'a');
    std::string text = "a";
    while (text.size() + 2 <= length) text += "\x82\xa0";
    return text;
}

TEST(TextHistoryStore, LongTextsAreCutAtAWholeCharacterAndStillSaveAndLoad) {
    for (bool shiftJis : {false, true}) {
        // Every length around both limits, and 300 bytes (a TOB string may hold more than 255).
        std::vector<std::size_t> lengths = {300};
        for (std::size_t length = 249; length <= 259; ++length) lengths.push_back(length);
        for (std::size_t length : lengths) {
            SCOPED_TRACE(std::to_string(length) + (shiftJis ? " Shift-JIS" : " ASCII"));
            const std::string text = LongText(length, shiftJis);
            TextHistoryStore store;
            store.Resize(4);
            AddLine(store, "m", text.c_str(), text.c_str());
            ASSERT_EQ(0, store.BeginChoiceList(1));
            ASSERT_EQ(0, store.AddChoice(text.c_str(), 1));
            ASSERT_EQ(0, store.EndChoiceList(nullptr));
            HistoryBackground background;
            background.name = text.c_str();
            ASSERT_EQ(0, store.AddSceneSnapshot(&background, nullptr, nullptr, nullptr));
            auto whole = [&](std::size_t limit) {
                std::size_t cut = std::min(text.size(), limit);
                if (shiftJis && cut < text.size() && cut % 2 == 0) --cut;  // inside a character
                return text.substr(0, cut);
            };
            EXPECT_EQ(whole(254), store.Entry(0)->name);
            EXPECT_EQ(whole(254), store.Entry(0)->voice);
            EXPECT_EQ(whole(253), store.Entry(1)->choices[0].text);
            EXPECT_EQ(whole(254), store.Entry(2)->name);
            const Bytes saved = SaveRange(store);
            // The name's length byte holds its length + 1 without wrapping.
            EXPECT_EQ(whole(254).size() + 1, saved[5]);
            TextHistoryStore loaded;
            loaded.Resize(4);
            ASSERT_EQ(0, LoadBytes(loaded, saved));
            EXPECT_EQ(saved, SaveRange(loaded));
        }
    }
}

TEST(TextHistoryStore, SnapshotsKeepTheVisibleSlotsInDrawingOrder) {
    TextHistoryStore store;
    store.Resize(2);
    HistorySlot group0[5], group1[3], group2[3];
    auto slot = [](HistorySlot& s, const char* name, bool valid, std::uint32_t z) {
        s.name = name;
        s.positionValid = valid;
        s.priority = z;
        s.x = 512 + static_cast<std::int32_t>(z % 1000);
        s.y = 576;
        s.anchorX = 500;
        s.anchorY = 570;
    };
    slot(group0[0], "G0_A", true, 20000);
    slot(group0[1], "", true, 20400);
    slot(group0[2], "G0_C", true, 20200);
    slot(group0[3], "G0_D", false, 20300);
    slot(group0[4], "G0_E", true, 20100);
    slot(group1[0], "G1_A", true, 10100);
    slot(group1[1], "G1_B", true, 10200);
    slot(group1[2], nullptr, true, 10000);
    slot(group2[0], "G2_A", true, 30000);
    slot(group2[1], "G2_B", true, 30200);
    slot(group2[2], "G2_C", true, 30100);
    HistoryBackground background;
    ASSERT_EQ(1, store.AddSceneSnapshot(nullptr, group0, group1, group2));
    ASSERT_EQ(0, store.AddSceneSnapshot(&background, group0, group1, group2));
    const HistoryEntry* e = store.Entry(0);
    ASSERT_NE(nullptr, e);
    EXPECT_FALSE(e->hasName);
    std::vector<std::string> names;
    for (const HistorySnapshotSlot& s : e->slots) names.push_back(s.name);
    EXPECT_EQ((std::vector<std::string>{"G2_B", "G2_C", "G2_A", "G0_C", "G0_E", "G0_A", "G1_B",
                                        "G1_A"}),
              names);
    EXPECT_EQ(512 + 200 - 500, e->slots[0].x) << "the sprite's corner: x - anchorX";
    EXPECT_EQ(6, e->slots[0].y);
    TextHistoryStore off;
    EXPECT_EQ(2, off.AddSceneSnapshot(&background, group0, group1, group2));
}

TEST(TextHistoryStore, FieldImagesLieAtTheirOffsets) {
    TextHistoryStore store;
    store.Resize(1);
    HistoryBackground background;
    background.name = "BG";
    HistoryLayerFields& f = background.fields;
    f.colour = 0x00A1B2C3;
    f.frozen = 1;
    f.filter = 2;
    f.flipH = 3;
    f.flipV = 4;
    f.letterbox = 5;
    f.blur = 6;
    f.x = -7;
    f.y = 8;
    f.rect[0] = 9;
    f.rect[1] = 10;
    f.rect[2] = 11;
    f.rect[3] = -12;
    f.zoom = 1.5f;
    f.angle = 256;
    HistorySlot slots[3];
    slots[0].name = "S";
    slots[0].positionValid = true;
    slots[0].x = 40;
    slots[0].y = 50;
    slots[0].fields.filter = 1;
    slots[0].fields.flipH = 2;
    slots[0].fields.flipV = 3;
    slots[0].fields.blur = 4;
    slots[0].fields.alpha = 128;
    slots[0].fields.effectState[0] = 0x3F800000;  // 1.0f
    slots[0].fields.effectState[1] = 7;
    slots[0].fields.effectState[2] = 0xFFFFFFFE;
    slots[0].fields.effectState[3] = 9;
    ASSERT_EQ(0, store.AddSceneSnapshot(&background, nullptr, nullptr, slots));

    Bytes layer(44, 0);
    TextHistoryWriter::PutU32(layer, 0, 0x00A1B2C3);
    layer[4] = 1;
    layer[5] = 2;
    layer[8] = 3;
    layer[9] = 4;
    layer[10] = 5;
    layer[11] = 6;
    TextHistoryWriter::PutU32(layer, 12, static_cast<std::uint32_t>(-7));
    TextHistoryWriter::PutU32(layer, 16, 8);
    TextHistoryWriter::PutU32(layer, 20, 9);
    TextHistoryWriter::PutU32(layer, 24, 10);
    TextHistoryWriter::PutU32(layer, 28, 11);
    TextHistoryWriter::PutU32(layer, 32, static_cast<std::uint32_t>(-12));
    TextHistoryWriter::PutU32(layer, 36, 0x3FC00000);  // 1.5f
    TextHistoryWriter::PutU32(layer, 40, 256);
    Bytes slot(28, 0);
    slot[0] = 1;
    slot[4] = 2;
    slot[5] = 3;
    slot[6] = 4;
    slot[8] = 128;
    TextHistoryWriter::PutU32(slot, 12, 0x3F800000);
    TextHistoryWriter::PutU32(slot, 16, 7);
    TextHistoryWriter::PutU32(slot, 20, 0xFFFFFFFE);
    TextHistoryWriter::PutU32(slot, 24, 9);
    const Bytes expected = TextHistoryWriter().Snapshot("BG", layer, {{"S", 40, 50, slot}}).Bytes();
    EXPECT_EQ(expected, SaveRange(store));

    TextHistoryStore loaded;
    loaded.Resize(1);
    ASSERT_EQ(0, LoadBytes(loaded, expected));
    EXPECT_TRUE(loaded.Entry(0)->layer == f);
    EXPECT_TRUE(loaded.Entry(0)->slots[0].fields == slots[0].fields);
}

TEST(TextHistoryStore, SavingARangeWritesItsEntriesOldestFirst) {
    TextHistoryStore store;
    FillMixed(store);  // sequences 2..5 left of 0..5
    ASSERT_EQ(4, store.Count());
    EXPECT_EQ(2u, store.Entry(0)->sequence);
    const Bytes all = SaveRange(store);
    const Bytes expected =
        TextHistoryWriter()
            .TextLine("Aoi", "v_001", "two \x82\xa0", 20, 1)
            .ChoiceList(1, {{1, "go left"}, {0, "go right"}})
            .Snapshot("BG01",
                      [] {
                          Bytes layer(44, 0);
                          TextHistoryWriter::PutU32(layer, 0, 0x112233);
                          TextHistoryWriter::PutU32(layer, 20, static_cast<std::uint32_t>(-1));
                          return layer;
                      }(),
                      {{"CH_A", 500, 0, [] {
                            Bytes slot(28, 0);
                            slot[8] = 255;
                            return slot;
                        }()}})
            .TextLine(nullptr, "v_002", "", 20, 1)
            .Bytes();
    EXPECT_EQ(expected, all);

    // Entries 3-5 of the ring: three entries, oldest first.
    const Bytes part = SaveRange(store, 3, 5);
    ASSERT_GE(part.size(), 4u);
    EXPECT_EQ(3, part[0]);
    TextHistoryStore loaded;
    loaded.Resize(8);
    ASSERT_EQ(0, LoadBytes(loaded, part));
    ASSERT_EQ(3, loaded.Count());
    EXPECT_EQ(TextHistoryStore::kChoiceList, loaded.Entry(0)->kind);
    EXPECT_EQ(TextHistoryStore::kSceneSnapshot, loaded.Entry(1)->kind);
    EXPECT_EQ("v_002", loaded.Entry(2)->voice);
    EXPECT_EQ(0u, loaded.Entry(0)->sequence) << "numbered from 0 again";
    EXPECT_EQ(4u, SaveRange(store, 6, 9).size()) << "no entry in the range";
}

TEST(TextHistoryStore, LoadingWithoutKeepConsumesTheBytesAndEmpties) {
    TextHistoryStore source;
    FillMixed(source);
    const Bytes saved = SaveRange(source);
    TextHistoryStore store;
    FillMixed(store);
    std::size_t left = 99;
    ASSERT_EQ(0, LoadBytes(store, saved, 0, &left));
    EXPECT_EQ(0u, left);
    EXPECT_EQ(0, store.Count());
    EXPECT_EQ(0u, store.NextSequence());
    EXPECT_EQ(4, store.Capacity());
    TextHistoryStore off;
    ASSERT_EQ(0, LoadBytes(off, saved, 1, &left)) << "capacity 0 only skips";
    EXPECT_EQ(0u, left);
    EXPECT_EQ(0, off.Count());
}

TEST(TextHistoryStore, DamagedRecordsChangeNothing) {
    const Bytes good = TextHistoryWriter().TextLine("n", "v", "ok", 1, 2).Bytes();
    struct Case {
        const char* name;
        Bytes bytes;
        std::int32_t code;
    };
    const Case cases[] = {
        {"an unknown kind", TextHistoryWriter().CountOneMore().Raw({3, 0, 0}).Bytes(), 2},
        {"a count past the data", TextHistoryWriter().CountOneMore().CountOneMore().TextLine(nullptr, nullptr, "a", 0, 0).Bytes(), 3},
        {"a name length past the end", TextHistoryWriter().CountOneMore().Raw({0, 9, 'a', 0}).Bytes(), 3},
        {"a name without its zero", TextHistoryWriter().CountOneMore().Raw({0, 2, 'a', 'b', 0, 3, 0, 0, 0, 'x', 0, 0, 0, 0, 0, 0, 0}).Bytes(), 3},
        {"a message length past the end", TextHistoryWriter().CountOneMore().Raw({0, 0, 0, 200, 0, 0, 0, 'x', 0, 0}).Bytes(), 3},
        {"a message without its two zeros", TextHistoryWriter().CountOneMore().Raw({0, 0, 0, 3, 0, 0, 0, 'x', 'y', 0, 0, 0, 0, 0, 0}).Bytes(), 3},
        {"a message shorter than its zeros", TextHistoryWriter().CountOneMore().Raw({0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}).Bytes(), 3},
        {"a choice text without its zero", TextHistoryWriter().CountOneMore().Raw({1, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 3, 1, 'a', 'b'}).Bytes(), 3},
        {"a taken choice outside the list", TextHistoryWriter().ChoiceList(2, {{1, "a"}, {1, "b"}}).Bytes(), 3},
        {"a snapshot slot without a name", [] {
             Bytes record = {2, 0};
             record.resize(2 + 44, 0);
             record.push_back(1);  // one slot
             record.push_back(0);  // its name absent
             record.resize(record.size() + 36, 0);
             return TextHistoryWriter().CountOneMore().Raw(record).Bytes();
         }(), 3},
        {"a cut record after a good one", [&] {
             Bytes b = TextHistoryWriter().CountOneMore().CountOneMore().Raw({0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).Bytes();
             b.insert(b.end(), good.begin() + 4, good.end() - 1);
             return b;
         }(), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextHistoryStore store;
        FillMixed(store);
        const Bytes before = SaveRange(store);
        const std::uint32_t next = store.NextSequence();
        std::size_t left = 0;
        EXPECT_EQ(c.code, LoadBytes(store, c.bytes, 1, &left));
        if (c.code != 0) {
            EXPECT_EQ(c.bytes.size(), left) << "the cursor stays";
            EXPECT_EQ(before, SaveRange(store));
            EXPECT_EQ(next, store.NextSequence());
        }
    }
    TextHistoryStore store;
    EXPECT_EQ(1, store.Load(nullptr, 1));
    ByteCursor cursor(static_cast<const void*>(good.data()), good.size());
    EXPECT_EQ(1, store.Save(&cursor, 0, kAll)) << "no array";
    EXPECT_EQ(1, store.Save(nullptr, 0, kAll));
}

TEST(TextHistoryStore, EveryCutOfASavedRingIsRefusedWhole) {
    TextHistoryStore source;
    FillMixed(source);
    const Bytes saved = SaveRange(source);
    TextHistoryStore store;
    store.Resize(3);
    AddLine(store, "mine");
    const Bytes before = SaveRange(store);
    for (std::size_t cut = 0; cut < saved.size(); ++cut) {
        SCOPED_TRACE(cut);
        const Bytes part(saved.begin(), saved.begin() + cut);
        std::size_t left = 0;
        ASSERT_EQ(3, LoadBytes(store, part, 1, &left));
        EXPECT_EQ(cut, left);
        ASSERT_EQ(before, SaveRange(store));
    }
    ASSERT_EQ(0, LoadBytes(store, saved));
    EXPECT_EQ(3, store.Count()) << "the newest three of four";
}

TEST(TextHistoryStore, FixedSeedDamagedCopiesLoadWholeOrNotAtAll) {
    TextHistoryStore source;
    FillMixed(source);
    const Bytes saved = SaveRange(source);
    std::mt19937 random(53);
    int refused = 0;
    for (int copy = 0; copy < 600; ++copy) {
        Bytes damaged = saved;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i)
            damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        if (random() % 4 == 0) damaged.resize(random() % damaged.size());
        TextHistoryStore store;
        store.Resize(5);
        AddLine(store, "mine");
        const Bytes before = SaveRange(store);
        const std::int32_t code = LoadBytes(store, damaged);
        ASSERT_TRUE(code == 0 || code == 2 || code == 3) << "copy " << copy << " code " << code;
        if (code != 0) {
            ++refused;
            ASSERT_EQ(before, SaveRange(store)) << "copy " << copy;
            continue;
        }
        // What loaded saves and loads again to the same bytes.
        const Bytes again = SaveRange(store);
        TextHistoryStore other;
        other.Resize(5);
        ASSERT_EQ(0, LoadBytes(other, again)) << "copy " << copy;
        ASSERT_EQ(again, SaveRange(other)) << "copy " << copy;
    }
    EXPECT_GT(refused, 100);
}

}  // namespace
