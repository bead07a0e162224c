#include "framework/archive/archive_name_lookup.h"

#include <windows.h>

#include <string>

std::int32_t ArchiveNameLookup(const std::uint8_t* trie, std::uint32_t trieLength, bool wideLinks,
                               const char* name, int casing) {
    if (!trie || !name) return -1;
    std::string key(name);
    if (casing != 0 && !key.empty()) {
        if (casing == 1)
            CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
        else
            CharLowerBuffA(&key[0], static_cast<DWORD>(key.size()));
    }
    const std::uint64_t recordSize = wideLinks ? 5 : 3;
    std::uint64_t node = 0;
    // c_str() ends with the 0 that the end-of-name record carries.
    for (const char* p = key.c_str();; ++p) {
        if (node >= trieLength) return -1;
        const std::uint64_t records = node + 1;
        const std::uint64_t count = trie[node];
        if (records + count * recordSize > trieLength) return -1;
        const std::uint8_t want = static_cast<std::uint8_t>(*p);
        std::uint64_t next = trieLength;
        for (std::uint64_t j = 0; j < count; ++j) {
            const std::uint8_t* record = trie + records + j * recordSize;
            if (record[0] != want) continue;
            std::uint32_t link = ArchiveTrieLink(record + 1, wideLinks);
            // An entry index that does not fit the result would read as a negative index.
            if (want == 0) return link <= 0x7FFFFFFFu ? static_cast<std::int32_t>(link) : -1;
            next = records + (j + 1) * recordSize + link;
            break;
        }
        if (next >= trieLength) return -1;
        node = next;
    }
}
