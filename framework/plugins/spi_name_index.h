// SpiNameIndex: the entries of an SPI archive by name, in 64 hash buckets.
//
// Names compare without regard to case and to the forms that Shift-JIS gives one character:
// full-width capital Latin letters equal their small forms, and the Roman numerals one to ten
// equal each other in their NEC (0x8754..0x875D) and IBM (0xFA4A..0xFA53, small 0xFA40..0xFA49)
// encodings. The hash folds at least as much as the comparison, so equal names always share a
// bucket. The index owns its name copies and its entry records.
#pragma once

#include <cstdint>
#include <string>

#include "framework/interfaces/archive_interfaces.h"

std::uint32_t SpiNameHash(const char* name);
bool SpiNamesEqual(const char* a, const char* b);

class SpiNameIndex {
public:
    SpiNameIndex();
    ~SpiNameIndex();
    SpiNameIndex(const SpiNameIndex&) = delete;
    SpiNameIndex& operator=(const SpiNameIndex&) = delete;

    // 0 inserted (the index owns `entry` from now on); 1 null entry; -1 the name is already
    // there (that node moves to the front of the order, `entry` stays the caller's).
    std::int32_t Insert(const char* name, std::uint32_t hash, ArchiveEntryInfo* entry);
    // The entry stored under the name, or null; `outName` receives the stored name.
    ArchiveEntryInfo* Find(const char* name, const char** outName = nullptr) const;
    // The entry whose index field is `index`, walking the order, or null.
    ArchiveEntryInfo* FindByIndex(std::int32_t index, const char** outName) const;
    std::uint32_t Count() const { return m_count; }
    // Removes every node, releasing its entry.
    void Clear();

private:
    static constexpr std::uint32_t kBuckets = 64;

    struct Node {
        std::uint32_t hash = 0;
        bool used = false;
        std::string name;
        ArchiveEntryInfo* entry = nullptr;
        Node* chainNext = nullptr;
        Node* orderPrevious = nullptr;
        Node* orderNext = nullptr;
    };

    Node* FindNode(const char* name, std::uint32_t hash) const;
    void LinkFront(Node* node);
    void Unlink(Node* node);

    Node m_slots[kBuckets];
    Node* m_orderHead = nullptr;
    std::uint32_t m_count = 0;
};
