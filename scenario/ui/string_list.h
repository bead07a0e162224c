// StringList: an owned list of string copies in the order they were added, for the rows of a
// select list. Used on the game thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

class StringList {
public:
    StringList() = default;
    StringList(const StringList&) = delete;
    StringList& operator=(const StringList&) = delete;

    // Appends a copy: 0; 1 null text; 2 out of memory (nothing added).
    std::int32_t Add(const char* text);
    // String n, or null out of range.
    const char* Get(std::int32_t n) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(m_items.size()); }
    void Clear() { m_items.clear(); }

private:
    std::deque<std::unique_ptr<char[]>> m_items;
};
