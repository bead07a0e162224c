// What the animation-file loaders share: the whole file loaded through the file system, and the
// check that a count read from the file fits in what is left of it before anything is made.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/files/file_stream.h"
#include "framework/util/byte_cursor.h"

// Loads path whole and hands its bytes to parse(data, size); 1 when the file cannot be loaded,
// else parse's result.
template <class Parse>
std::int32_t ParseWholeFile(const char* path, Parse parse) {
    if (!path) return 1;
    FileStream stream;
    if (stream.LoadFile(path) != 0) return 1;
    return parse(static_cast<const std::uint8_t*>(stream.Data()), stream.Size());
}

// True when count records of recordSize bytes fit in what the cursor has left (a negative count
// never fits).
inline bool RecordsFit(const ByteCursor& in, std::int32_t count, std::size_t recordSize) {
    return count >= 0 && static_cast<std::size_t>(count) <= in.Remaining() / recordSize;
}
