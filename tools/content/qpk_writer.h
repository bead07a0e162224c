// Writes QPK archives for tests and for the sample game.
//
//     testsupport::QpkWriter writer;
//     writer.Add("script\\main.sob", mainBytes, QpkEntryOptions{/*compress=*/true});
//     writer.Add("bgm\\title.ogg", music);
//     writer.Write(folder.File("SCRIPT.QPK"));
//
// The archive's keys derive from its file name (the name part without folder and extension),
// so an archive must be read under the file name it was written for. By default an archive is
// named (16-bit trie links), records carry the unpacked size, and nothing is scrambled beyond
// the index. Entry contents are whole: each one must begin with the prefix, which the archive
// stores once. Names are stored lower-cased; '\' separates folders inside the archive.
// Misuse (a duplicate name, content without the prefix, a link or length that does not fit the
// chosen layout) throws std::invalid_argument.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// How one entry is stored.
struct QpkEntryOptions {
    // Store the entry as LZSS data when that makes it smaller (needs the second size).
    bool compress = false;
    // Scramble every byte of the entry (nonzero entry flags).
    bool scramble = false;
};

class QpkWriter {
public:
    // Where the fields of the plain index lie, for tests that break them on purpose.
    struct IndexLayout {
        std::uint32_t prefixLengthOffset;  // the byte P; the prefix follows it
        std::uint32_t linkWidthOffset;     // named archives: the link width byte, then T
        std::uint32_t trieOffset;
        std::uint32_t trieLength;
        std::uint32_t recordsOffset;
        std::uint32_t recordSize;          // 9, or 13 with the second size
    };
    // Changes the plain index and descriptor (flags << 24 | n) before they are scrambled.
    using IndexEditor = std::function<void(std::vector<std::uint8_t>& index, std::uint32_t& descriptor,
                                           const IndexLayout& layout)>;

    QpkWriter& BlockLayout(bool on = true);
    QpkWriter& Named(bool on = true);
    QpkWriter& WideLinks(bool on = true);
    QpkWriter& HeadScrambled(bool on = true);
    QpkWriter& SecondSize(bool on = true);
    QpkWriter& Prefix(const std::string& prefix);
    // The host words that the reader must be given (QpkSetOption option 1) to open the archive.
    QpkWriter& HostWords(std::uint32_t first, std::uint32_t second);

    // Adds an entry with its whole content; returns its entry index. Unnamed archives ignore
    // the name (the reader calls entry i "%06d.DAT").
    std::uint32_t Add(const std::string& name, const std::vector<std::uint8_t>& content,
                      QpkEntryOptions options = QpkEntryOptions());
    std::uint32_t Add(const std::string& name, const std::string& content,
                      QpkEntryOptions options = QpkEntryOptions());

    // The archive as it is to be stored under `fileName`.
    std::vector<std::uint8_t> Build(const std::string& fileName, const IndexEditor& edit = nullptr) const;
    // Builds for the path's file name and writes the file; false when it cannot be written.
    bool Write(const std::string& path, const IndexEditor& edit = nullptr) const;

private:
    struct Entry {
        std::string name;
        std::vector<std::uint8_t> content;
        QpkEntryOptions options;
    };

    std::vector<std::uint8_t> BuildTrie() const;

    bool m_blockLayout = false;
    bool m_named = true;
    bool m_wideLinks = false;
    bool m_headScrambled = false;
    bool m_secondSize = true;
    std::string m_prefix;
    std::uint32_t m_hostWords[2] = {0, 0};
    std::vector<Entry> m_entries;
};

}  // namespace testsupport
