#include "scenario/tgs/text_history_store.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "framework/files/shift_jis.h"
#include "framework/util/byte_cursor.h"

namespace {

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint32_t GetU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}
std::uint32_t FloatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
float BitsFloat(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The longest start of text, at most `limit` bytes, that ends on a whole Shift-JIS character.
std::string CutAtCharacter(const char* text, std::uint32_t limit) {
    const std::size_t length = std::strlen(text);
    std::size_t end = 0;
    while (end < length) {
        const std::size_t width =
            IsShiftJisLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < length ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return std::string(text, end);
}

// A name field: byte (length + 1) and the bytes with their NUL, or byte 0 without a name.
std::uint32_t NameSize(bool present, const std::string& name) {
    return present ? static_cast<std::uint32_t>(name.size()) + 1 : 0;
}
bool WriteName(ByteCursor& out, bool present, const std::string& name) {
    if (!present) return out.WriteU8(0);
    return out.WriteU8(static_cast<std::uint8_t>(name.size() + 1)) &&
           out.WriteBytes(name.c_str(), name.size() + 1);
}
// 0, or 3 for a cut field or bytes without their closing zero.
std::int32_t ReadName(ByteCursor& in, bool* present, std::string* name) {
    std::uint8_t size = 0;
    if (!in.ReadU8(size)) return 3;
    *present = size != 0;
    name->clear();
    if (size == 0) return 0;
    if (size > in.Remaining() || in.Position()[size - 1] != 0) return 3;
    name->assign(reinterpret_cast<const char*>(in.Position()), size - 1);
    in.Skip(size);
    return 0;
}

std::uint32_t EntrySize(const HistoryEntry& e) {
    switch (e.kind) {
        case TextHistoryStore::kTextLine:
            return 12 + NameSize(e.hasName, e.name) + NameSize(e.hasVoice, e.voice) +
                   static_cast<std::uint32_t>(e.message.size());
        case TextHistoryStore::kChoiceList: {
            std::uint32_t size = 9;
            for (const HistoryChoice& c : e.choices) size += static_cast<std::uint32_t>(c.text.size()) + 3;
            return size;
        }
        default: {
            std::uint32_t size = 47 + NameSize(e.hasName, e.name);
            for (const HistorySnapshotSlot& s : e.slots) size += static_cast<std::uint32_t>(s.name.size()) + 38;
            return size;
        }
    }
}

bool WriteEntry(ByteCursor& out, const HistoryEntry& e) {
    if (!out.WriteU8(e.kind)) return false;
    switch (e.kind) {
        case TextHistoryStore::kTextLine:
            return WriteName(out, e.hasName, e.name) && WriteName(out, e.hasVoice, e.voice) &&
                   out.WriteU32(static_cast<std::uint32_t>(e.message.size())) &&
                   out.WriteBytes(e.message.data(), e.message.size()) && out.WriteI32(e.height) &&
                   out.WriteU8(e.page);
        case TextHistoryStore::kChoiceList:
            if (!out.WriteU32(static_cast<std::uint32_t>(e.choices.size())) || !out.WriteI32(e.taken))
                return false;
            for (const HistoryChoice& c : e.choices) {
                if (!out.WriteU8(static_cast<std::uint8_t>(c.text.size() + 2)) || !out.WriteU8(c.flag) ||
                    !out.WriteBytes(c.text.c_str(), c.text.size() + 1))
                    return false;
            }
            return true;
        default: {
            std::uint8_t layer[HistoryLayerFields::kSavedSize];
            e.layer.Write(layer);
            if (!WriteName(out, e.hasName, e.name) || !out.WriteBytes(layer, sizeof layer) ||
                !out.WriteU8(static_cast<std::uint8_t>(e.slots.size())))
                return false;
            for (const HistorySnapshotSlot& s : e.slots) {
                std::uint8_t fields[HistorySlotFields::kSavedSize];
                s.fields.Write(fields);
                if (!WriteName(out, true, s.name) || !out.WriteI32(s.x) || !out.WriteI32(s.y) ||
                    !out.WriteBytes(fields, sizeof fields))
                    return false;
            }
            return true;
        }
    }
}

// 0, 2 an unknown kind, 3 damaged.
std::int32_t ReadEntry(ByteCursor& in, HistoryEntry* e) {
    if (!in.ReadU8(e->kind)) return 3;
    switch (e->kind) {
        case TextHistoryStore::kTextLine: {
            std::uint32_t length = 0;
            if (ReadName(in, &e->hasName, &e->name) != 0 || ReadName(in, &e->hasVoice, &e->voice) != 0 ||
                !in.ReadU32(length) || length < 2 || length > in.Remaining())
                return 3;
            const std::uint8_t* bytes = in.Position();
            if (bytes[length - 1] != 0 || bytes[length - 2] != 0) return 3;
            e->message.assign(reinterpret_cast<const char*>(bytes), length);
            in.Skip(length);
            return in.ReadI32(e->height) && in.ReadU8(e->page) ? 0 : 3;
        }
        case TextHistoryStore::kChoiceList: {
            std::uint32_t count = 0;
            if (!in.ReadU32(count) || !in.ReadI32(e->taken)) return 3;
            // Every choice takes at least three bytes: no count runs past the data.
            if (count > in.Remaining() / 3) return 3;
            if (e->taken < -1 || e->taken >= static_cast<std::int32_t>(count)) return 3;
            e->choices.resize(count);
            for (HistoryChoice& c : e->choices) {
                std::uint8_t size = 0;
                if (!in.ReadU8(size) || size < 2 || size > in.Remaining()) return 3;
                const std::uint8_t* bytes = in.Position();
                if (bytes[size - 1] != 0) return 3;
                c.flag = bytes[0];
                c.text.assign(reinterpret_cast<const char*>(bytes + 1), size - 2u);
                in.Skip(size);
            }
            return 0;
        }
        case TextHistoryStore::kSceneSnapshot: {
            std::uint8_t layer[HistoryLayerFields::kSavedSize];
            std::uint8_t count = 0;
            if (ReadName(in, &e->hasName, &e->name) != 0 || !in.ReadBytes(layer, sizeof layer) ||
                !in.ReadU8(count))
                return 3;
            e->layer = HistoryLayerFields::Read(layer);
            e->slots.resize(count);
            for (HistorySnapshotSlot& s : e->slots) {
                bool present = false;
                std::uint8_t fields[HistorySlotFields::kSavedSize];
                if (ReadName(in, &present, &s.name) != 0 || !present || !in.ReadI32(s.x) ||
                    !in.ReadI32(s.y) || !in.ReadBytes(fields, sizeof fields))
                    return 3;
                s.fields = HistorySlotFields::Read(fields);
            }
            return 0;
        }
        default:
            return 2;
    }
}

}  // namespace

void HistoryLayerFields::Write(std::uint8_t (&out)[kSavedSize]) const {
    std::memset(out, 0, kSavedSize);
    PutU32(out + 0, colour);
    out[4] = frozen;
    out[5] = filter;
    out[8] = flipH;
    out[9] = flipV;
    out[10] = letterbox;
    out[11] = blur;
    PutU32(out + 12, static_cast<std::uint32_t>(x));
    PutU32(out + 16, static_cast<std::uint32_t>(y));
    for (int i = 0; i < 4; ++i) PutU32(out + 20 + 4 * i, static_cast<std::uint32_t>(rect[i]));
    PutU32(out + 36, FloatBits(zoom));
    PutU32(out + 40, static_cast<std::uint32_t>(angle));
}

HistoryLayerFields HistoryLayerFields::Read(const std::uint8_t (&in)[kSavedSize]) {
    HistoryLayerFields f;
    f.colour = GetU32(in + 0);
    f.frozen = in[4];
    f.filter = in[5];
    f.flipH = in[8];
    f.flipV = in[9];
    f.letterbox = in[10];
    f.blur = in[11];
    f.x = static_cast<std::int32_t>(GetU32(in + 12));
    f.y = static_cast<std::int32_t>(GetU32(in + 16));
    for (int i = 0; i < 4; ++i) f.rect[i] = static_cast<std::int32_t>(GetU32(in + 20 + 4 * i));
    f.zoom = BitsFloat(GetU32(in + 36));
    f.angle = static_cast<std::int32_t>(GetU32(in + 40));
    return f;
}

bool HistoryLayerFields::operator==(const HistoryLayerFields& o) const {
    return colour == o.colour && frozen == o.frozen && filter == o.filter && flipH == o.flipH &&
           flipV == o.flipV && letterbox == o.letterbox && blur == o.blur && x == o.x && y == o.y &&
           std::equal(rect, rect + 4, o.rect) && FloatBits(zoom) == FloatBits(o.zoom) &&
           angle == o.angle;
}

void HistorySlotFields::Write(std::uint8_t (&out)[kSavedSize]) const {
    std::memset(out, 0, kSavedSize);
    out[0] = filter;
    out[4] = flipH;
    out[5] = flipV;
    out[6] = blur;
    out[8] = alpha;
    for (int i = 0; i < 4; ++i) PutU32(out + 12 + 4 * i, effectState[i]);
}

HistorySlotFields HistorySlotFields::Read(const std::uint8_t (&in)[kSavedSize]) {
    HistorySlotFields f;
    f.filter = in[0];
    f.flipH = in[4];
    f.flipV = in[5];
    f.blur = in[6];
    f.alpha = in[8];
    for (int i = 0; i < 4; ++i) f.effectState[i] = GetU32(in + 12 + 4 * i);
    return f;
}

bool HistorySlotFields::operator==(const HistorySlotFields& o) const {
    return filter == o.filter && flipH == o.flipH && flipV == o.flipV && blur == o.blur &&
           alpha == o.alpha && std::equal(effectState, effectState + 4, o.effectState);
}

void* XM_METHOD TextHistoryStore::DeletingDestructor(std::uint32_t flags) {
    this->~TextHistoryStore();
    if (flags & xm::kDeleteMemory) ::operator delete(this);
    return this;
}

const HistoryEntry* TextHistoryStore::Entry(std::int32_t i) const {
    if (i < 0 || i >= m_count) return nullptr;
    return m_entries[(m_head + i) % Capacity()].get();
}

HistoryEntry* TextHistoryStore::FindSequence(std::uint32_t sequence) const {
    for (std::int32_t i = 0; i < m_count; ++i) {
        HistoryEntry* e = m_entries[(m_head + i) % Capacity()].get();
        if (e->sequence == sequence) return e;
    }
    return nullptr;
}

HistoryEntry& TextHistoryStore::NewEntry(std::uint8_t kind) {
    std::unique_ptr<HistoryEntry> fresh(new HistoryEntry);
    fresh->kind = kind;
    fresh->sequence = m_nextSequence++;
    HistoryEntry& made = *fresh;
    if (m_count == Capacity()) {
        m_entries[m_head] = std::move(fresh);
        m_head = (m_head + 1) % Capacity();
    } else {
        m_entries[m_count++] = std::move(fresh);
    }
    return made;
}

void TextHistoryStore::Resize(std::int32_t capacity) {
    if (capacity <= 0) {
        Release();
        return;
    }
    std::vector<std::unique_ptr<HistoryEntry>> resized(static_cast<std::size_t>(capacity));
    const std::int32_t kept = std::min(m_count, capacity);
    for (std::int32_t i = 0; i < kept; ++i) {
        const std::int32_t from = (m_head + m_count - kept + i) % Capacity();
        resized[i] = std::move(m_entries[from]);
    }
    m_entries.swap(resized);
    m_count = kept;
    m_head = 0;
}

std::int32_t TextHistoryStore::AddTextLine(const char* bytes, std::uint32_t length,
                                           std::int32_t height, const char* name,
                                           const char* voice, std::uint8_t page) {
    if (!bytes) return 1;
    if (Capacity() == 0) return 2;
    HistoryEntry& e = NewEntry(kTextLine);
    e.hasName = name != nullptr;
    if (name) e.name = CutAtCharacter(name, kMaxNameBytes);
    e.hasVoice = voice != nullptr;
    if (voice) e.voice = CutAtCharacter(voice, kMaxNameBytes);
    e.message.assign(bytes, length);
    e.message.append(2, '\0');
    e.height = height;
    e.page = page;
    return 0;
}

std::int32_t TextHistoryStore::BeginChoiceList(std::int32_t n) {
    if (n < 1) return 1;
    if (Capacity() == 0) return 2;
    if (m_openChoices) return 3;
    m_openChoices.reset(new HistoryEntry);
    m_openChoices->kind = kChoiceList;
    m_openChoiceLimit = n;
    return 0;
}

std::int32_t TextHistoryStore::AddChoice(const char* text, std::uint8_t flag) {
    if (!text) return 1;
    if (!m_openChoices) return 2;
    if (static_cast<std::int32_t>(m_openChoices->choices.size()) >= m_openChoiceLimit) return 3;
    m_openChoices->choices.push_back({flag, CutAtCharacter(text, kMaxChoiceBytes)});
    return 0;
}

std::int32_t TextHistoryStore::EndChoiceList(std::uint32_t* outSequence) {
    std::unique_ptr<HistoryEntry> open = std::move(m_openChoices);
    if (!open || open->choices.empty() || Capacity() == 0) return 1;
    HistoryEntry& e = NewEntry(kChoiceList);
    e.choices = std::move(open->choices);
    m_awaitingChoice = true;
    m_awaitedSequence = e.sequence;
    if (outSequence) *outSequence = e.sequence;
    return 0;
}

bool TextHistoryStore::SetTakenChoice(std::uint32_t sequence, std::int32_t n) {
    if (!m_awaitingChoice || sequence != m_awaitedSequence) return false;
    HistoryEntry* e = FindSequence(sequence);
    if (!e || e->kind != kChoiceList) return false;
    if (n < -1 || n >= static_cast<std::int32_t>(e->choices.size())) return false;
    e->taken = n;
    return true;
}

std::int32_t TextHistoryStore::AddSceneSnapshot(const HistoryBackground* background,
                                                const HistorySlot* group0,
                                                const HistorySlot* group1,
                                                const HistorySlot* group2) {
    if (!background) return 1;
    if (Capacity() == 0) return 2;
    std::vector<HistorySnapshotSlot> slots;
    // The back group first, then the middle one, then the front one: the order they are drawn.
    const struct {
        const HistorySlot* slots;
        std::int32_t count;
    } groups[] = {{group2, kGroup2Slots}, {group0, kGroup0Slots}, {group1, kGroup1Slots}};
    for (const auto& group : groups) {
        if (!group.slots) continue;
        std::vector<const HistorySlot*> shown;
        for (std::int32_t i = 0; i < group.count; ++i) {
            const HistorySlot& s = group.slots[i];
            if (s.name && s.name[0] && s.positionValid) shown.push_back(&s);
        }
        std::stable_sort(shown.begin(), shown.end(), [](const HistorySlot* a, const HistorySlot* b) {
            return a->priority > b->priority;
        });
        for (const HistorySlot* s : shown)
            slots.push_back({CutAtCharacter(s->name, kMaxNameBytes), s->x - s->anchorX,
                             s->y - s->anchorY, s->fields});
    }
    HistoryEntry& e = NewEntry(kSceneSnapshot);
    e.hasName = background->name != nullptr;
    if (background->name) e.name = CutAtCharacter(background->name, kMaxNameBytes);
    e.layer = background->fields;
    e.slots = std::move(slots);
    return 0;
}

std::uint32_t XM_METHOD TextHistoryStore::SaveSize(std::uint32_t firstSeq, std::uint32_t lastSeq) {
    std::uint32_t size = 4;
    for (std::int32_t i = 0; i < m_count; ++i) {
        const HistoryEntry& e = *Entry(i);
        if (e.sequence >= firstSeq && e.sequence <= lastSeq) size += EntrySize(e);
    }
    return size;
}

std::int32_t XM_METHOD TextHistoryStore::Save(ByteCursor* cursor, std::uint32_t firstSeq,
                                              std::uint32_t lastSeq) {
    if (!cursor || m_entries.empty()) return 1;
    std::uint32_t count = 0;
    for (std::int32_t i = 0; i < m_count; ++i) {
        const std::uint32_t seq = Entry(i)->sequence;
        if (seq >= firstSeq && seq <= lastSeq) ++count;
    }
    if (!cursor->WriteU32(count)) return 2;
    for (std::int32_t i = 0; i < m_count; ++i) {
        const HistoryEntry& e = *Entry(i);
        if (e.sequence < firstSeq || e.sequence > lastSeq) continue;
        if (!WriteEntry(*cursor, e)) return 2;
    }
    return 0;
}

std::int32_t TextHistoryStore::ParseSaved(ByteCursor* cursor, bool keep, Parsed* out) const {
    if (!cursor || !out) return 1;
    ByteCursor in = *cursor;
    Parsed parsed;
    const bool kept = keep && Capacity() != 0;
    parsed.m_kept = kept;
    if (kept) parsed.m_entries.resize(m_entries.size());
    std::uint32_t count = 0;
    if (!in.ReadU32(count) || count > in.Remaining()) return 3;
    const std::int32_t capacity = static_cast<std::int32_t>(parsed.m_entries.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<HistoryEntry> e(new HistoryEntry);
        const std::int32_t code = ReadEntry(in, e.get());
        if (code != 0) return code;
        if (!kept) continue;
        e->sequence = parsed.m_nextSequence++;
        if (parsed.m_count == capacity) {
            parsed.m_entries[parsed.m_head] = std::move(e);
            parsed.m_head = (parsed.m_head + 1) % capacity;
        } else {
            parsed.m_entries[parsed.m_count++] = std::move(e);
        }
    }
    parsed.m_valid = true;
    *cursor = in;
    *out = std::move(parsed);
    return 0;
}

void TextHistoryStore::CommitParsed(Parsed&& parsed) {
    if (!parsed.m_valid) return;
    if (parsed.m_kept) {
        m_entries = std::move(parsed.m_entries);
    } else {
        // Parsed without keeping: the array stays, emptied.
        for (auto& e : m_entries) e.reset();
    }
    m_count = parsed.m_count;
    m_head = parsed.m_head;
    m_nextSequence = parsed.m_nextSequence;
    m_openChoices.reset();
    m_awaitingChoice = false;
    parsed.m_valid = false;
}

std::int32_t XM_METHOD TextHistoryStore::Load(ByteCursor* cursor, std::int32_t keep) {
    Parsed parsed;
    const std::int32_t code = ParseSaved(cursor, keep != 0, &parsed);
    if (code == 0) CommitParsed(std::move(parsed));
    return code;
}

void TextHistoryStore::Clear() {
    for (auto& e : m_entries) e.reset();
    m_count = 0;
    m_head = 0;
    m_openChoices.reset();
    m_awaitingChoice = false;
}

void TextHistoryStore::Release() {
    Clear();
    m_entries.clear();
    m_entries.shrink_to_fit();
}
