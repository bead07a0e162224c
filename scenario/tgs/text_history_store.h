// TextHistoryStore: the TGS frame's record of what the player has seen, a ring of entries of
// three kinds: text lines (with speaker and voice), choice lists (with the choice taken) and
// scene snapshots (background and visible sprites at a voiced line). The history screen reads
// it; the frame state saves and loads it. Its capacity is the player's history setting plus one
// (0 switches the history off); when the ring is full a new entry takes the oldest one's place.
//
// Every entry gets the next sequence number (from 0), so callers address entries across the
// wrap. Texts are copied in and cut where they enter at a whole Shift-JIS character, so that
// their one-byte lengths in the saved form never wrap: names, voices and image names at 254
// bytes, choice texts at 253.
//
// Loading parses into a new ring and takes effect only whole: damaged data changes nothing
// (ParseSaved and CommitParsed let the frame state and the save file restore several parts
// all or nothing). The table keeps the order deleting destructor, SaveSize, Save, Load. Used on
// the script thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/interfaces/cross_module.h"

class ByteCursor;

// The background layer's fields that a snapshot keeps: saved as 44 bytes, colour at 0, frozen
// 4, filter 5, (6 and 7 unused), flipH 8, flipV 9, letterbox 10, blur 11, x 12, y 16, rect 20
// (left, top, right, bottom), zoom 36 (a 32-bit real), angle 40.
struct HistoryLayerFields {
    static constexpr std::uint32_t kSavedSize = 44;
    std::uint32_t colour = 0;
    std::uint8_t frozen = 0;
    std::uint8_t filter = 0;
    std::uint8_t flipH = 0;
    std::uint8_t flipV = 0;
    std::uint8_t letterbox = 0;
    std::uint8_t blur = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t rect[4] = {-1, 0, 0, 0};
    float zoom = 0.0f;
    std::int32_t angle = 0;

    void Write(std::uint8_t (&out)[kSavedSize]) const;
    static HistoryLayerFields Read(const std::uint8_t (&in)[kSavedSize]);
    bool operator==(const HistoryLayerFields& o) const;
};

// A sprite slot's fields that a snapshot keeps: saved as 28 bytes, filter at 0, (1-3 unused),
// flipH 4, flipV 5, blur 6, (7 unused), alpha 8, (9-11 unused), the four effect-state words at
// 12 (zoom as a 32-bit real, angle, pivot x, pivot y).
struct HistorySlotFields {
    static constexpr std::uint32_t kSavedSize = 28;
    std::uint8_t filter = 0;
    std::uint8_t flipH = 0;
    std::uint8_t flipV = 0;
    std::uint8_t blur = 0;
    std::uint8_t alpha = 255;
    std::uint32_t effectState[4] = {};

    void Write(std::uint8_t (&out)[kSavedSize]) const;
    static HistorySlotFields Read(const std::uint8_t (&in)[kSavedSize]);
    bool operator==(const HistorySlotFields& o) const;
};

// What the frame hands over of its background layer and of each sprite slot for a snapshot.
struct HistoryBackground {
    const char* name = nullptr;  // null: none
    HistoryLayerFields fields;
};
struct HistorySlot {
    const char* name = nullptr;  // null or empty: the slot holds no image
    bool positionValid = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t anchorX = 0;
    std::int32_t anchorY = 0;
    std::uint32_t priority = 0;  // the slot's z
    HistorySlotFields fields;
};

// One entry of the store.
struct HistoryChoice {
    std::uint8_t flag;  // 1 enabled, 0 disabled by op 19
    std::string text;
};
struct HistorySnapshotSlot {
    std::string name;
    std::int32_t x;  // the sprite's top-left corner
    std::int32_t y;
    HistorySlotFields fields;
};
struct HistoryEntry {
    std::uint8_t kind = 0;  // TextHistoryStore::kTextLine, kChoiceList, kSceneSnapshot
    std::uint32_t sequence = 0;
    // Text line.
    bool hasName = false;
    std::string name;
    bool hasVoice = false;
    std::string voice;
    // The message's bytes (its embedded commands included) and its two closing zeros, which
    // message.size() counts as the saved length does.
    std::string message;
    std::int32_t height = 0;
    std::uint8_t page = 0;
    // Choice list.
    std::vector<HistoryChoice> choices;
    std::int32_t taken = -1;
    // Scene snapshot (the background name as a text line's name).
    HistoryLayerFields layer;
    std::vector<HistorySnapshotSlot> slots;
};

class TextHistoryStore final {
public:
    enum : std::uint8_t { kTextLine = 0, kChoiceList = 1, kSceneSnapshot = 2 };
    // Cut lengths of the texts (bytes without their NUL).
    static constexpr std::uint32_t kMaxNameBytes = 254;
    static constexpr std::uint32_t kMaxChoiceBytes = 253;
    // Slots per group of a snapshot: group 0 (z base 20000), 1 (10000), 2 (30000).
    static constexpr std::int32_t kGroup0Slots = 5;
    static constexpr std::int32_t kGroup1Slots = 3;
    static constexpr std::int32_t kGroup2Slots = 3;

    // A ring parsed from saved bytes, not yet in effect.
    class Parsed {
    public:
        Parsed() = default;

    private:
        friend class TextHistoryStore;
        std::vector<std::unique_ptr<HistoryEntry>> m_entries;
        std::int32_t m_count = 0;
        std::int32_t m_head = 0;
        std::uint32_t m_nextSequence = 0;
        bool m_kept = false;
        bool m_valid = false;
    };

    TextHistoryStore() = default;
    ~TextHistoryStore() = default;
    TextHistoryStore(const TextHistoryStore&) = delete;
    TextHistoryStore& operator=(const TextHistoryStore&) = delete;

    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags);
    // Exactly the bytes Save writes for the entries numbered firstSeq..lastSeq.
    virtual std::uint32_t XM_METHOD SaveSize(std::uint32_t firstSeq, std::uint32_t lastSeq);
    // The entries numbered firstSeq..lastSeq, oldest first. 0; 1 no cursor or no array; 2 the
    // cursor's room ran out (what fitted is written).
    virtual std::int32_t XM_METHOD Save(ByteCursor* cursor, std::uint32_t firstSeq,
                                        std::uint32_t lastSeq);
    // Replaces the entries by the saved ones (numbered from 0 again; with keep clear, or at
    // capacity 0, the bytes are only consumed and the store ends empty). 0; 1 no cursor; 2 an
    // unknown kind; 3 a cut record, a length past the end, a message without its two closing
    // zeros, a name, voice or choice text without its zero, or a taken choice outside the list.
    // On failure the store and the cursor are unchanged.
    virtual std::int32_t XM_METHOD Load(ByteCursor* cursor, std::int32_t keep);

    // Load in two halves: ParseSaved reads and checks (the cursor moves on only on success,
    // the store is untouched); CommitParsed puts a successfully parsed ring in effect.
    std::int32_t ParseSaved(ByteCursor* cursor, bool keep, Parsed* out) const;
    void CommitParsed(Parsed&& parsed);

    // Keeps the newest entries that fit, oldest first; 0 or less frees everything.
    void Resize(std::int32_t capacity);
    // 0; 1 no bytes; 2 capacity 0. length: the message's bytes without closing zeros.
    std::int32_t AddTextLine(const char* bytes, std::uint32_t length, std::int32_t height,
                             const char* name, const char* voice, std::uint8_t page);
    // 0; 1 n < 1; 2 capacity 0; 3 another list is open.
    std::int32_t BeginChoiceList(std::int32_t n);
    // 0; 1 no text; 2 no list open; 3 the list is full.
    std::int32_t AddChoice(const char* text, std::uint8_t flag);
    // Closes the open list and enters it. 0, with the entry's sequence number in outSequence
    // (for SetTakenChoice); 1 no choice was added (nothing enters; the list is closed) or no
    // list is open.
    std::int32_t EndChoiceList(std::uint32_t* outSequence);
    // Records the choice taken in the list EndChoiceList last numbered. Nothing happens when
    // that entry is gone (resized away, cleared, its place reused, a Load since), when sequence
    // names another entry, or for n outside -1 .. count - 1. True when recorded.
    bool SetTakenChoice(std::uint32_t sequence, std::int32_t n);
    // 0; 1 no background; 2 capacity 0. The groups hold kGroup0Slots, kGroup1Slots and
    // kGroup2Slots slots (a null group counts as empty). The slots with an image and a valid
    // position are kept, group 2 first, then group 0, then group 1, each by priority, largest
    // (drawn first) first.
    std::int32_t AddSceneSnapshot(const HistoryBackground* background, const HistorySlot* group0,
                                  const HistorySlot* group1, const HistorySlot* group2);

    // The i-th entry from the oldest, or null outside 0 .. Count() - 1.
    const HistoryEntry* Entry(std::int32_t i) const;
    std::int32_t Count() const { return m_count; }
    std::int32_t Capacity() const { return static_cast<std::int32_t>(m_entries.size()); }
    // The number the next entry gets.
    std::uint32_t NextSequence() const { return m_nextSequence; }
    bool ChoiceListOpen() const { return m_openChoices != nullptr; }

    // Frees every entry and keeps the array; Release frees the array too.
    void Clear();
    void Release();

private:
    HistoryEntry& NewEntry(std::uint8_t kind);
    HistoryEntry* FindSequence(std::uint32_t sequence) const;

    std::vector<std::unique_ptr<HistoryEntry>> m_entries;
    std::int32_t m_count = 0;
    std::int32_t m_head = 0;
    std::uint32_t m_nextSequence = 0;
    std::unique_ptr<HistoryEntry> m_openChoices;
    std::int32_t m_openChoiceLimit = 0;
    bool m_awaitingChoice = false;
    std::uint32_t m_awaitedSequence = 0;
};
