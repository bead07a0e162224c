// ScriptObjectList: objects that scripts load through commands, held so that a script can
// release one by its word or all at once, and so that what is left is freed before the program
// ends. A member whose use count is above 0 is shared: releasing it lowers the count and leaves
// the object to its other holder; at 0 it is deleted. Either way the list forgets it.
//
// Members are found by word through the list's handle table, so a word that names no member (0,
// released, forged, another list's) is refused without being touched. Used on the thread that
// runs the script; the handle table itself may be read from any thread.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <new>

#include "framework/util/handle_table.h"

// The member's use count, or null for a kind that nobody else holds.
template <class T>
std::int32_t* ScriptUseCount(T& member) {
    return &member.refCount;
}

template <class T>
class ScriptObjectList {
public:
    ScriptObjectList() = default;
    ~ScriptObjectList() { Clear(); }
    ScriptObjectList(const ScriptObjectList&) = delete;
    ScriptObjectList& operator=(const ScriptObjectList&) = delete;

    // Creates a member and lets setUp load or set it up (0 success, else the loader's code).
    // On success appends it, writes its word into outHandle and returns 0. A failed set-up
    // deletes the member and returns its code, an exception gives -1, and a member that cannot
    // be allocated gives outOfMemory; the list is then unchanged. outHandle is 0 unless it
    // succeeds.
    template <class SetUp>
    std::int32_t Add(std::uint32_t* outHandle, SetUp setUp, std::int32_t outOfMemory = -1) {
        if (outHandle) *outHandle = 0;
        std::unique_ptr<T> member(new (std::nothrow) T());
        if (!member) return outOfMemory;
        try {
            const std::int32_t code = setUp(*member);
            if (code != 0) return code;
            m_members.push_back(member.get());
        } catch (...) {
            return -1;
        }
        const std::uint32_t word = HandleTable<T>::WordOf(member.get());
        try {
            m_table.Add(member.release());
        } catch (...) {
            delete m_members.back();
            m_members.pop_back();
            return -1;
        }
        if (outHandle) *outHandle = word;
        return 0;
    }

    // 1 for 0; 2 when no member has that word; else releases the member and returns 0.
    std::int32_t Remove(std::uint32_t word) {
        if (word == 0) return 1;
        T* const member = m_table.Find(word);
        if (!member) return 2;
        m_table.Remove(word);
        m_members.remove(member);
        Release(member);
        return 0;
    }

    void Clear() {
        std::list<T*> members;
        members.swap(m_members);
        m_table.Clear();
        for (T* const member : members) Release(member);
    }

    T* Find(std::uint32_t word) { return m_table.Find(word); }
    std::int32_t Count() const { return static_cast<std::int32_t>(m_members.size()); }

private:
    static void Release(T* member) {
        std::int32_t* const useCount = ScriptUseCount(*member);
        if (useCount && *useCount > 0) {
            --*useCount;
            return;
        }
        delete member;
    }

    std::list<T*> m_members;
    HandleTable<T> m_table;
};
