// Writes archives of the trivial "TADL" format that the test ADL plug-in reads
// (tests/plugins/archive_plugins). Layout, little-endian:
//   "TADL", u32 entry count, then per entry: u8 name length, the name (lower-case, '\' between
//   folders), u8 packed flag, u32 size, u32 file offset of the data; then the data.
// A packed entry's bytes are stored XOR 0x5A: the plug-in refuses to stream it and extracts it
// whole, as archives do with compressed entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct TestArchiveEntry {
    std::string name;
    std::string content;
    bool packed = false;
};

std::vector<std::uint8_t> BuildTestArchive(const std::vector<TestArchiveEntry>& entries);

}  // namespace testsupport
