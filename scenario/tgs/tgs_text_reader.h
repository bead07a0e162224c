// A cursor over TGS text bounded by its module: fields are read by memcpy (code and operands sit
// at any address), and nothing is read at or past the end.
#pragma once

#include <cstdint>
#include <cstring>

struct TgsTextReader {
    std::uint8_t* p;
    std::uint8_t* end;

    bool Has(std::uint64_t bytes) const { return static_cast<std::uint64_t>(end - p) >= bytes; }
    bool U8(std::uint8_t& value) {
        if (!Has(1)) return false;
        value = *p++;
        return true;
    }
    bool U16(std::uint32_t& value) {
        if (!Has(2)) return false;
        value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
        p += 2;
        return true;
    }
    bool U32(std::uint32_t& value) {
        if (!Has(4)) return false;
        std::memcpy(&value, p, 4);
        p += 4;
        return true;
    }
    bool Skip(std::uint64_t bytes) {
        if (!Has(bytes)) return false;
        p += bytes;
        return true;
    }
};
