#include "scenario/ui/string_list.h"

#include <cstring>
#include <new>

std::int32_t StringList::Add(const char* text) {
    if (!text) return 1;
    const std::size_t size = std::strlen(text) + 1;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[size]);
    if (!copy) return 2;
    std::memcpy(copy.get(), text, size);
    try {
        m_items.push_back(std::move(copy));
    } catch (const std::bad_alloc&) {
        return 2;
    }
    return 0;
}

const char* StringList::Get(std::int32_t n) const {
    if (n < 0 || n >= Count()) return nullptr;
    return m_items[static_cast<std::size_t>(n)].get();
}
