#include "tests/support/test_archive_writer.h"

#include "tools/content/byte_words.h"

namespace testsupport {

std::vector<std::uint8_t> BuildTestArchive(const std::vector<TestArchiveEntry>& entries) {
    std::uint32_t indexSize = 8;
    for (const TestArchiveEntry& entry : entries) {
        indexSize += 1 + static_cast<std::uint32_t>(entry.name.size()) + 1 + 8;
    }
    std::vector<std::uint8_t> out = {'T', 'A', 'D', 'L'};
    AppendWord(out, static_cast<std::uint32_t>(entries.size()));
    std::uint32_t offset = indexSize;
    for (const TestArchiveEntry& entry : entries) {
        out.push_back(static_cast<std::uint8_t>(entry.name.size()));
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.push_back(entry.packed ? 1 : 0);
        AppendWord(out, static_cast<std::uint32_t>(entry.content.size()));
        AppendWord(out, offset);
        offset += static_cast<std::uint32_t>(entry.content.size());
    }
    for (const TestArchiveEntry& entry : entries) {
        for (char c : entry.content) {
            const std::uint8_t byte = static_cast<std::uint8_t>(c);
            out.push_back(entry.packed ? static_cast<std::uint8_t>(byte ^ 0x5A) : byte);
        }
    }
    return out;
}

}  // namespace testsupport
