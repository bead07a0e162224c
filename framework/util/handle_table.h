// HandleTable: the live objects of one family, keyed by the 32-bit word that scripts hold for
// them (the object's address, so saved data and scripts that compare words keep working).
//
// Owners add an object where they create it and take it out wherever they destroy it (one, all
// of an owner key, all); commands turn a word into a pointer only through Find, so a word that
// names no live object of the family (0, released, forged, another family's) finds nothing and
// is never dereferenced. Each family keeps its own table, typed as the family's interface: for a
// class with several bases the stored pointer is the family's side of the object.
//
// Safe to use from any thread: every operation takes the table's lock.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "framework/runtime/recursive_lock.h"

template <class T>
class HandleTable {
public:
    HandleTable() = default;
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // The word under which scripts know an object.
    static std::uint32_t WordOf(const void* object) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
    }

    // Enters object under its own address; a later Add of the same word replaces the entry (a
    // new object at a freed address).
    void Add(T* object, std::uint32_t ownerKey = 0) { AddAs(WordOf(object), object, ownerKey); }
    // For an object whose family side sits at another address than the word handed out.
    void AddAs(std::uint32_t word, T* object, std::uint32_t ownerKey = 0) {
        if (word == 0 || object == nullptr) return;
        ScopedLock hold(m_lock);
        m_entries[word] = Entry{object, ownerKey};
    }
    // False when the word was not in the table.
    bool Remove(std::uint32_t word) {
        ScopedLock hold(m_lock);
        return m_entries.erase(word) != 0;
    }
    bool Remove(const void* object) { return Remove(WordOf(object)); }
    // Every entry whose owner key matches, or with invert every other one.
    void RemoveOwner(std::uint32_t ownerKey, bool invert = false) {
        ScopedLock hold(m_lock);
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if ((it->second.ownerKey == ownerKey) != invert) {
                it = m_entries.erase(it);
            } else {
                ++it;
            }
        }
    }
    void Clear() {
        ScopedLock hold(m_lock);
        m_entries.clear();
    }

    // The live object a word names, or null.
    T* Find(std::uint32_t word) {
        if (word == 0) return nullptr;
        ScopedLock hold(m_lock);
        const auto it = m_entries.find(word);
        return it == m_entries.end() ? nullptr : it->second.object;
    }
    std::size_t Size() {
        ScopedLock hold(m_lock);
        return m_entries.size();
    }

private:
    struct Entry {
        T* object;
        std::uint32_t ownerKey;
    };

    RecursiveLock m_lock;
    std::unordered_map<std::uint32_t, Entry> m_entries;
};
