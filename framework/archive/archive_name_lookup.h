// Name lookup in the name trie of an archive index.
//
// A node is a byte child count c followed by c records; a record is one name byte and a link
// (16-bit, or 32-bit with wide links). For a nonzero name byte the child node starts at the end
// of the record plus the link; for the byte 0 (end of name) the link is the entry index.
#pragma once

#include <cstdint>

// Returns the entry index stored for `name`, or -1. Casing 0 looks the name up unchanged,
// 1 upper-cased, any other value lower-cased. Every node and link is checked against
// `trieLength`: a trie that points outside itself finds nothing. A null trie or name gives -1.
std::int32_t ArchiveNameLookup(const std::uint8_t* trie, std::uint32_t trieLength, bool wideLinks,
                               const char* name, int casing);

// Reads a 16- or 32-bit little-endian trie link.
inline std::uint32_t ArchiveTrieLink(const std::uint8_t* p, bool wideLinks) {
    std::uint32_t link = p[0] | (p[1] << 8);
    if (wideLinks) link |= (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return link;
}
