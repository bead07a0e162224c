#include "framework/plugins/spi_name_index.h"

#include "framework/files/shift_jis.h"

namespace {

constexpr unsigned char kNecLead = 0x87;
constexpr unsigned char kIbmLead = 0xFA;
constexpr unsigned char kFullWidthLead = 0x82;

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool InRange(unsigned char c, unsigned char low, unsigned char high) { return c >= low && c <= high; }

// A NEC Roman numeral one to ten is the IBM character ten below it.
bool IsNecRomanNumeral(unsigned char lead, unsigned char trail) {
    return lead == kNecLead && InRange(trail, 0x54, 0x5D);
}

void Mix(std::uint32_t& h, unsigned char c) {
    h += c;
    h += h << 10;
    h ^= h >> 6;
}

// The trail byte of a pair under lead `lead`, folded as equality folds it.
unsigned char FoldTrail(unsigned char lead, unsigned char trail) {
    if (lead == kFullWidthLead && InRange(trail, 0x60, 0x79)) return trail + 33;
    if (lead == kIbmLead && InRange(trail, 0x40, 0x49)) return trail + 10;
    return trail;
}

// A Roman numeral pair in its IBM capital form (lead 0x87 or 0xFA on entry).
void FoldRomanNumeral(unsigned char& lead, unsigned char& trail) {
    if (IsNecRomanNumeral(lead, trail)) {
        lead = kIbmLead;
        trail -= 10;
    } else if (lead == kIbmLead && InRange(trail, 0x40, 0x49)) {
        trail += 10;
    }
}

// An entry record goes with its last holder.
void ReleaseEntry(ArchiveEntryInfo* entry) {
    if (entry->holders > 0) --entry->holders;
    else delete entry;
}

}  // namespace

std::uint32_t SpiNameHash(const char* name) {
    std::uint32_t h = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(name);
    while (*p != 0) {
        const unsigned char lead = *p;
        if (!IsShiftJisLeadByte(lead)) {
            Mix(h, FoldAscii(lead));
            ++p;
            continue;
        }
        unsigned char trail = p[1];
        if (IsNecRomanNumeral(lead, trail)) {
            Mix(h, kIbmLead);
            Mix(h, trail - 10);
            p += 2;
            continue;
        }
        Mix(h, lead);
        if (trail == 0) break;
        if (InRange(trail, 0x60, 0x79)) trail += 33;
        else if (InRange(trail, 0x40, 0x49)) trail += 10;
        Mix(h, trail);
        p += 2;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h == 0 ? 0xFFFFFFFFu : h;
}

bool SpiNamesEqual(const char* a, const char* b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        unsigned char leadA = *p;
        unsigned char leadB = *q;
        const bool pairA = IsShiftJisLeadByte(leadA);
        const bool pairB = IsShiftJisLeadByte(leadB);
        if (!pairA && !pairB) {
            if (FoldAscii(leadA) != FoldAscii(leadB)) return false;
            if (leadA == 0) return true;
            ++p;
            ++q;
            continue;
        }
        if (!pairA || !pairB) return false;
        unsigned char trailA = p[1];
        unsigned char trailB = q[1];
        if (leadA == leadB) {
            if (FoldTrail(leadA, trailA) != FoldTrail(leadB, trailB)) return false;
            if (trailA == 0) return true;
        } else {
            const bool numeralLeads = (leadA == kNecLead || leadA == kIbmLead) &&
                                      (leadB == kNecLead || leadB == kIbmLead);
            if (!numeralLeads) return false;
            FoldRomanNumeral(leadA, trailA);
            FoldRomanNumeral(leadB, trailB);
            if (leadA != leadB || trailA != trailB) return false;
        }
        p += 2;
        q += 2;
    }
}

SpiNameIndex::SpiNameIndex() = default;

SpiNameIndex::~SpiNameIndex() { Clear(); }

SpiNameIndex::Node* SpiNameIndex::FindNode(const char* name, std::uint32_t hash) const {
    const Node* slot = &m_slots[hash & (kBuckets - 1)];
    if (slot->used && slot->hash == hash && SpiNamesEqual(slot->name.c_str(), name)) {
        return const_cast<Node*>(slot);
    }
    for (Node* node = slot->chainNext; node; node = node->chainNext) {
        if (node->hash == hash && SpiNamesEqual(node->name.c_str(), name)) return node;
    }
    return nullptr;
}

void SpiNameIndex::LinkFront(Node* node) {
    node->orderPrevious = nullptr;
    node->orderNext = m_orderHead;
    if (m_orderHead) m_orderHead->orderPrevious = node;
    m_orderHead = node;
}

void SpiNameIndex::Unlink(Node* node) {
    if (node->orderPrevious) node->orderPrevious->orderNext = node->orderNext;
    else m_orderHead = node->orderNext;
    if (node->orderNext) node->orderNext->orderPrevious = node->orderPrevious;
    node->orderPrevious = nullptr;
    node->orderNext = nullptr;
}

std::int32_t SpiNameIndex::Insert(const char* name, std::uint32_t hash, ArchiveEntryInfo* entry) {
    if (!entry || !name) return 1;
    if (Node* existing = FindNode(name, hash)) {
        Unlink(existing);
        LinkFront(existing);
        return -1;
    }
    Node* slot = &m_slots[hash & (kBuckets - 1)];
    Node* node = slot;
    if (slot->used) {
        node = new Node;
        node->chainNext = slot->chainNext;
    }
    try {
        node->name = name;
    } catch (...) {
        if (node != slot) delete node;
        throw;
    }
    if (node != slot) slot->chainNext = node;
    node->hash = hash;
    node->used = true;
    node->entry = entry;
    LinkFront(node);
    ++m_count;
    return 0;
}

ArchiveEntryInfo* SpiNameIndex::Find(const char* name, const char** outName) const {
    if (!name) return nullptr;
    const Node* node = FindNode(name, SpiNameHash(name));
    if (!node) return nullptr;
    if (outName) *outName = node->name.c_str();
    return node->entry;
}

ArchiveEntryInfo* SpiNameIndex::FindByIndex(std::int32_t index, const char** outName) const {
    for (const Node* node = m_orderHead; node; node = node->orderNext) {
        if (node->entry->index != index) continue;
        if (outName) *outName = node->name.c_str();
        return node->entry;
    }
    return nullptr;
}

void SpiNameIndex::Clear() {
    for (Node& slot : m_slots) {
        Node* chain = slot.chainNext;
        while (chain) {
            Node* next = chain->chainNext;
            ReleaseEntry(chain->entry);
            delete chain;
            chain = next;
        }
        if (slot.used) ReleaseEntry(slot.entry);
        slot = Node();
    }
    m_orderHead = nullptr;
    m_count = 0;
}
