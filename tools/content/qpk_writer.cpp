#include "tools/content/qpk_writer.h"

#include <windows.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

#include "framework/archive/lzss_codec.h"
#include "framework/archive/qpk_archive.h"
#include "framework/archive/qpk_scrambler.h"
#include "tools/content/byte_words.h"
#include "tools/content/content_files.h"

namespace testsupport {

namespace {

std::string LowerCase(std::string name) {
    if (!name.empty()) CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

struct TrieNode {
    bool ends = false;
    std::uint32_t entry = 0;
    std::map<std::uint8_t, std::unique_ptr<TrieNode>> children;
};

// Lays a node out as its count and records, followed by its children's subtrees in order.
void WriteNode(const TrieNode& node, bool wide, std::vector<std::uint8_t>& out) {
    const std::size_t recordSize = wide ? 5 : 3;
    const std::size_t count = node.children.size() + (node.ends ? 1 : 0);
    if (count > 255) throw std::invalid_argument("QpkWriter: more than 255 branches in one trie node");
    const std::size_t start = out.size();
    out.push_back(static_cast<std::uint8_t>(count));
    out.resize(start + 1 + count * recordSize, 0);
    auto putLink = [&](std::size_t record, std::uint8_t byte, std::uint64_t link) {
        if (link > (wide ? 0xFFFFFFFFull : 0xFFFFull))
            throw std::invalid_argument("QpkWriter: trie link does not fit the link width");
        std::size_t at = start + 1 + record * recordSize;
        out[at] = byte;
        for (std::size_t i = 0; i + 1 < recordSize; ++i) out[at + 1 + i] = static_cast<std::uint8_t>(link >> (8 * i));
    };
    std::size_t record = 0;
    if (node.ends) putLink(record++, 0, node.entry);
    for (const auto& child : node.children) {
        std::size_t recordEnd = start + 1 + (record + 1) * recordSize;
        std::size_t childStart = out.size();
        WriteNode(*child.second, wide, out);
        putLink(record++, child.first, childStart - recordEnd);
    }
}

}  // namespace

QpkWriter& QpkWriter::BlockLayout(bool on) { m_blockLayout = on; return *this; }
QpkWriter& QpkWriter::Named(bool on) { m_named = on; return *this; }
QpkWriter& QpkWriter::WideLinks(bool on) { m_wideLinks = on; return *this; }
QpkWriter& QpkWriter::HeadScrambled(bool on) { m_headScrambled = on; return *this; }
QpkWriter& QpkWriter::SecondSize(bool on) { m_secondSize = on; return *this; }
QpkWriter& QpkWriter::Prefix(const std::string& prefix) {
    if (prefix.size() > 255) throw std::invalid_argument("QpkWriter: prefix longer than 255 bytes");
    m_prefix = prefix;
    return *this;
}
QpkWriter& QpkWriter::HostWords(std::uint32_t first, std::uint32_t second) {
    m_hostWords[0] = first;
    m_hostWords[1] = second;
    return *this;
}

std::uint32_t QpkWriter::Add(const std::string& name, const std::vector<std::uint8_t>& content,
                             QpkEntryOptions options) {
    m_entries.push_back({name, content, options});
    return static_cast<std::uint32_t>(m_entries.size() - 1);
}

std::uint32_t QpkWriter::Add(const std::string& name, const std::string& content, QpkEntryOptions options) {
    return Add(name, std::vector<std::uint8_t>(content.begin(), content.end()), options);
}

std::vector<std::uint8_t> QpkWriter::BuildTrie() const {
    TrieNode root;
    std::set<std::string> seen;
    for (std::uint32_t i = 0; i < m_entries.size(); ++i) {
        std::string name = LowerCase(m_entries[i].name);
        if (name.empty() || !seen.insert(name).second)
            throw std::invalid_argument("QpkWriter: empty or duplicate entry name " + name);
        TrieNode* node = &root;
        for (char c : name) {
            auto& child = node->children[static_cast<std::uint8_t>(c)];
            if (!child) child = std::make_unique<TrieNode>();
            node = child.get();
        }
        node->ends = true;
        node->entry = i;
    }
    std::vector<std::uint8_t> trie;
    WriteNode(root, m_wideLinks, trie);
    return trie;
}

std::vector<std::uint8_t> QpkWriter::Build(const std::string& fileName, const IndexEditor& edit) const {
    const QpkNameKey key = QpkScrambler::MakeNameKey(QpkScrambler::KeyName(fileName.c_str()));
    const std::uint32_t entryKey = QpkScrambler::EntryKey(key, m_hostWords[0]);
    const std::uint32_t prefixLength = static_cast<std::uint32_t>(m_prefix.size());

    // Entry data as stored: head scrambled, then bytes scrambled, then compressed.
    struct Stored {
        std::vector<std::uint8_t> bytes;
        std::uint32_t storedSize;
        std::uint32_t unpackedSize;
        std::uint8_t flags;
    };
    std::vector<Stored> stored;
    for (const Entry& entry : m_entries) {
        if (entry.content.size() < prefixLength ||
            !std::equal(m_prefix.begin(), m_prefix.end(), entry.content.begin(),
                        [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }))
            throw std::invalid_argument("QpkWriter: entry " + entry.name + " does not begin with the prefix");
        if (entry.options.compress && !m_secondSize)
            throw std::invalid_argument("QpkWriter: compressed entries need the second size");
        Stored s;
        s.bytes.assign(entry.content.begin() + prefixLength, entry.content.end());
        const std::uint32_t body = static_cast<std::uint32_t>(s.bytes.size());
        s.unpackedSize = static_cast<std::uint32_t>(entry.content.size());
        s.storedSize = s.unpackedSize;
        s.flags = entry.options.scramble ? 1 : 0;
        if (m_headScrambled && body > 3) {
            std::uint32_t words = body / 4 < QpkScrambler::kHeadWords ? body / 4 : QpkScrambler::kHeadWords;
            QpkScrambler::ScrambleHead(s.bytes.data(), words, entryKey);
        }
        if (entry.options.scramble) QpkScrambler::ScrambleBytes(s.bytes.data(), body);
        if (entry.options.compress) {
            auto codec = std::make_unique<LzssCodec>();
            std::uint8_t* packed = nullptr;
            std::uint32_t packedSize = 0;
            if (codec->Encode(s.bytes.data(), &packed, body, &packedSize, true) == LzssCodec::kDone) {
                s.bytes.assign(packed, packed + packedSize);
                s.storedSize = packedSize;
                std::free(packed);
            }
        }
        stored.push_back(std::move(s));
    }

    IndexLayout layout = {};
    std::vector<std::uint8_t> trie = m_named ? BuildTrie() : std::vector<std::uint8_t>();
    const std::uint32_t count = static_cast<std::uint32_t>(m_entries.size());
    layout.prefixLengthOffset = 4;
    std::uint32_t pos = 5 + prefixLength;
    if (m_named) {
        layout.linkWidthOffset = pos;
        layout.trieOffset = pos + 5;
        layout.trieLength = static_cast<std::uint32_t>(trie.size());
        pos = layout.trieOffset + layout.trieLength;
    }
    layout.recordsOffset = pos;
    layout.recordSize = m_secondSize ? 13 : 9;
    std::uint32_t indexLength = pos + count * layout.recordSize;
    std::uint32_t n = indexLength;
    if (m_blockLayout) {
        n = (indexLength + 8 + kQpkBlockSize - 1) / kQpkBlockSize;
        indexLength = n * kQpkBlockSize - 8;
    }
    if (n > 0xFFFFFF) throw std::invalid_argument("QpkWriter: index too long for its descriptor");

    std::vector<std::uint8_t> index(indexLength, 0);
    PutWord(index, 0, count);
    index[4] = static_cast<std::uint8_t>(prefixLength);
    std::copy(m_prefix.begin(), m_prefix.end(), index.begin() + 5);
    if (m_named) {
        index[layout.linkWidthOffset] = m_wideLinks ? 1 : 0;
        PutWord(index, layout.linkWidthOffset + 1, layout.trieLength);
        std::copy(trie.begin(), trie.end(), index.begin() + layout.trieOffset);
    }

    std::vector<std::uint8_t> data;
    const std::uint32_t dataStart = 8 + indexLength;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (m_blockLayout) data.resize((data.size() + kQpkBlockSize - 1) / kQpkBlockSize * kQpkBlockSize, 0);
        const std::uint32_t offset = dataStart + static_cast<std::uint32_t>(data.size());
        const std::size_t at = layout.recordsOffset + static_cast<std::size_t>(i) * layout.recordSize;
        index[at] = stored[i].flags;
        PutWord(index, at + 1, m_blockLayout ? offset / kQpkBlockSize : offset);
        PutWord(index, at + 5, stored[i].storedSize);
        // The format's convention: 0 when the unpacked size equals the stored size.
        if (m_secondSize)
            PutWord(index, at + 9, stored[i].unpackedSize == stored[i].storedSize ? 0 : stored[i].unpackedSize);
        data.insert(data.end(), stored[i].bytes.begin(), stored[i].bytes.end());
    }

    std::uint32_t flags = (m_blockLayout ? kQpkBlockLayout : 0) | (m_named ? kQpkNamed : 0) |
                          (m_headScrambled ? kQpkHeadScrambled : 0) | (m_secondSize ? kQpkSecondSize : 0);
    std::uint32_t descriptor = flags << 24 | n;
    if (edit) edit(index, descriptor, layout);

    std::vector<std::uint8_t> archive = {'Q', 'P', 'K', '1', 0, 0, 0, 0};
    PutWord(archive, 4, descriptor ^ QpkScrambler::DescriptorMask(key, m_hostWords[1]));
    QpkScrambler::ScrambleIndex(index.data(), static_cast<std::uint32_t>(index.size()),
                                QpkScrambler::IndexKey(key, m_hostWords[1]));
    archive.insert(archive.end(), index.begin(), index.end());
    archive.insert(archive.end(), data.begin(), data.end());
    return archive;
}

bool QpkWriter::Write(const std::string& path, const IndexEditor& edit) const {
    return WriteFile(path, Build(path, edit));
}

}  // namespace testsupport
