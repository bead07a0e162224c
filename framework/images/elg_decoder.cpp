#include "framework/images/elg_decoder.h"

#include <cstddef>

namespace {

// Where the units of a stream lie: rows of `width` units, row r at base + r × rowStep, units
// `unitStep` bytes apart inside a row. Walking a cursor costs no division; seeking does.
class UnitCursor {
public:
    UnitCursor(std::uint8_t* base, std::uint32_t width, std::ptrdiff_t rowStep,
               std::uint32_t unitStep)
        : m_base(base), m_rowStart(base), m_at(base), m_width(width), m_column(0),
          m_rowStep(rowStep), m_unitStep(unitStep) {}

    void Seek(std::uint32_t index) {
        m_column = index % m_width;
        m_rowStart = m_base + static_cast<std::ptrdiff_t>(index / m_width) * m_rowStep;
        m_at = m_rowStart + static_cast<std::ptrdiff_t>(m_column) * m_unitStep;
    }
    void Advance() {
        m_at += m_unitStep;
        if (++m_column == m_width) {
            m_column = 0;
            m_rowStart += m_rowStep;
            m_at = m_rowStart;
        }
    }
    std::uint8_t* At() const { return m_at; }
    std::uint32_t Column() const { return m_column; }

private:
    std::uint8_t* m_base;
    std::uint8_t* m_rowStart;
    std::uint8_t* m_at;
    std::uint32_t m_width;
    std::uint32_t m_column;
    std::ptrdiff_t m_rowStep;
    std::uint32_t m_unitStep;
};

// The output of one stream: every write is checked against the unit count, every copy against
// the units already written.
template <class Unit>
class UnitOutput {
public:
    UnitOutput(Unit unit, std::uint8_t* base, std::uint32_t width, std::uint32_t height,
               std::ptrdiff_t rowStep)
        : m_unit(unit), m_cursor(base, width, rowStep, Unit::kStep), m_width(width) {
        const std::uint64_t total = static_cast<std::uint64_t>(width) * height;
        m_total = total > 0xFFFFFFFFu ? 0 : static_cast<std::uint32_t>(total);
        m_valid = total <= 0xFFFFFFFFu;
    }

    bool Valid() const { return m_valid; }
    bool Full() const { return m_position == m_total; }
    bool Room(std::uint32_t count) const { return count <= m_total - m_position; }
    std::uint32_t Width() const { return m_width; }
    std::uint32_t Column() const { return m_cursor.Column(); }

    void Put(const std::uint8_t* value) {
        m_unit.Put(m_cursor.At(), value);
        m_cursor.Advance();
        ++m_position;
    }
    void Fill(const std::uint8_t* value, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) Put(value);
    }
    // Copies `count` units one at a time from `distance` units back, so a copy may repeat
    // what it has just written.
    bool Copy(std::uint32_t distance, std::uint32_t count) {
        if (distance == 0 || distance > m_position || !Room(count)) return false;
        UnitCursor from = m_cursor;
        from.Seek(m_position - distance);
        for (std::uint32_t i = 0; i < count; ++i) {
            m_unit.Copy(m_cursor.At(), from.At());
            m_cursor.Advance();
            from.Advance();
        }
        m_position += count;
        return true;
    }

private:
    Unit m_unit;
    UnitCursor m_cursor;
    std::uint32_t m_width;
    std::uint32_t m_total = 0;
    std::uint32_t m_position = 0;
    bool m_valid = false;
};

// Units of the byte code.
struct ByteUnit {
    static constexpr std::uint32_t kStep = 1;
    void Put(std::uint8_t* at, const std::uint8_t* value) const { *at = *value; }
    void Copy(std::uint8_t* at, const std::uint8_t* from) const { *at = *from; }
};

// The alpha byte of a 32-bit pixel (the cursor's base points at byte 3).
struct AlphaUnit {
    static constexpr std::uint32_t kStep = 4;
    void Put(std::uint8_t* at, const std::uint8_t* value) const { *at = *value; }
    void Copy(std::uint8_t* at, const std::uint8_t* from) const { *at = *from; }
};

struct Indexed32Unit {
    static constexpr std::uint32_t kStep = 4;
    void Put(std::uint8_t* at, const std::uint8_t* value) const {
        const std::uint32_t pixel = (palette[*value] & 0x00FFFFFFu) | alphaBits;
        at[0] = static_cast<std::uint8_t>(pixel);
        at[1] = static_cast<std::uint8_t>(pixel >> 8);
        at[2] = static_cast<std::uint8_t>(pixel >> 16);
        at[3] = static_cast<std::uint8_t>(pixel >> 24);
    }
    void Copy(std::uint8_t* at, const std::uint8_t* from) const {
        for (int i = 0; i < 4; ++i) at[i] = from[i];
    }
    const std::uint32_t* palette;
    std::uint32_t alphaBits;
};

// Units of the pixel code: `value` points at blue, green, red.
struct Rgb32Unit {
    static constexpr std::uint32_t kStep = 4;
    void Put(std::uint8_t* at, const std::uint8_t* value) const {
        at[0] = value[0];
        at[1] = value[1];
        at[2] = value[2];
        at[3] = 0;
    }
    void Copy(std::uint8_t* at, const std::uint8_t* from) const {
        for (int i = 0; i < 4; ++i) at[i] = from[i];
    }
};

// Three colour bytes; kStep 3 for 24-bit rows, 4 for the colour of 32-bit DIB pixels.
template <std::uint32_t Step>
struct ColourUnit {
    static constexpr std::uint32_t kStep = Step;
    void Put(std::uint8_t* at, const std::uint8_t* value) const {
        at[0] = value[0];
        at[1] = value[1];
        at[2] = value[2];
    }
    void Copy(std::uint8_t* at, const std::uint8_t* from) const { Put(at, from); }
};

struct GrayUnit {
    static constexpr std::uint32_t kStep = 1;
    void Put(std::uint8_t* at, const std::uint8_t* value) const {
        *at = static_cast<std::uint8_t>((77u * value[2] + 150u * value[1] + 29u * value[0]) >> 8);
    }
    void Copy(std::uint8_t* at, const std::uint8_t* from) const { *at = *from; }
};

// The codes 0x80 to 0xFE of the byte code: copies of earlier bytes.
struct ByteCode {
    static constexpr std::uint32_t kUnitBytes = 1;
    static constexpr std::uint32_t kShortestRun = 3;

    template <class Out>
    static bool Copy(std::uint32_t b, const std::uint8_t*& s, std::size_t left, Out& out) {
        std::uint32_t n;
        std::uint32_t distance;
        if (b < 0x90) {
            if (left < 1) return false;
            n = (b & 0x0F) + 2;
            distance = s[0] + 2u;
            s += 1;
        } else if (b < 0xA0) {
            if (left < 2) return false;
            n = s[1] + 4u;
            distance = ((b & 0x0F) << 8) + s[0] + 3;
            s += 2;
        } else if (b < 0xC0) {
            if (left < 1) return false;
            n = b < 0xB0 ? 3 : 4;
            distance = ((b & 0x0F) << 8) + s[0] + 3;
            s += 1;
        } else if (b < 0xE0) {
            n = 1;
            distance = (b & 0x1F) + 1;
        } else {
            n = 2;
            distance = (b & 0x1F) + 2;
        }
        return out.Copy(distance, n);
    }
};

// The codes 0x80 to 0xFE of the pixel code: copies of earlier pixels, and single pixels from
// rows above.
struct PixelCode {
    static constexpr std::uint32_t kUnitBytes = 3;
    static constexpr std::uint32_t kShortestRun = 2;

    template <class Out>
    static bool Copy(std::uint32_t b, const std::uint8_t*& s, std::size_t left, Out& out) {
        if (b < 0xC0 || (b >= 0xCC && b < 0xD0)) {
            std::uint32_t n = 1;
            std::uint32_t distance;
            if (b < 0x90) {
                if (left < 1) return false;
                n = (b & 0x0F) + 1;
                distance = s[0] + 2u;
                s += 1;
            } else if (b < 0xA0) {
                if (left < 2) return false;
                n = s[1] + 1u;
                distance = ((b & 0x0F) << 8) + s[0] + 2;
                s += 2;
            } else if (b < 0xB0) {
                if (left < 3) return false;
                n = s[2] + 1u;
                distance = ((b & 0x0F) << 16) + (static_cast<std::uint32_t>(s[0]) << 8) + s[1] + 4098;
                s += 3;
            } else if (b < 0xB8) {
                distance = (b & 0x07) + 2;
            } else if (b < 0xC0) {
                if (left < 1) return false;
                distance = ((b & 0x07) << 8) + s[0] + 10;
                s += 1;
            } else {
                if (left < 1) return false;
                distance = ((b & 0x03) << 8) + s[0] + 2058;
                s += 1;
            }
            return out.Copy(distance, n);
        }
        // One pixel from k rows above, straight or one column to the left or right. A step
        // across the picture's left or right edge is refused rather than wrapped.
        std::uint32_t k;
        std::uint32_t kind;
        if (b < 0xD0) {
            if (left < 1) return false;
            k = ((b & 0x03) << 8) + s[0] + 16;
            kind = (b >> 2) & 0x03;
            s += 1;
        } else {
            k = (b & 0x0F) + 1;
            kind = (b >> 4) - 0x0D;
        }
        std::uint32_t distance = k * out.Width();
        if (kind == 1) {
            if (out.Column() == 0) return false;
            ++distance;
        } else if (kind == 2) {
            if (out.Column() + 1 >= out.Width()) return false;
            --distance;
        }
        return out.Copy(distance, 1);
    }
};

// Both codes: 0x00 to 0x3F give units literally, 0x40 to 0x7F repeat one unit, 0xFF ends the
// stream; Code reads the copy codes and gives the size of a unit in the stream.
template <class Code, class Out>
const std::uint8_t* RunCode(const std::uint8_t* s, const std::uint8_t* end, Out& out) {
    constexpr std::uint32_t kUnit = Code::kUnitBytes;
    if (!out.Valid() || !s) return nullptr;
    for (;;) {
        if (s >= end) return nullptr;
        const std::uint32_t b = *s++;
        const std::size_t left = static_cast<std::size_t>(end - s);
        if (b < 0x40) {
            std::uint32_t n;
            if (b < 0x20) {
                n = (b & 0x1F) + 1;
            } else {
                if (left < 1) return nullptr;
                n = ((b & 0x1F) << 8) + s[0] + 33;
                ++s;
            }
            if (static_cast<std::size_t>(end - s) / kUnit < n || !out.Room(n)) return nullptr;
            for (std::uint32_t i = 0; i < n; ++i, s += kUnit) out.Put(s);
        } else if (b < 0x80) {
            std::uint32_t n;
            const std::uint8_t* value;
            if (b < 0x60) {
                if (left < kUnit) return nullptr;
                n = (b & 0x1F) + Code::kShortestRun;
                value = s;
                s += kUnit;
            } else {
                if (left < kUnit + 1) return nullptr;
                n = ((b & 0x1F) << 8) + s[0] + Code::kShortestRun + 32;
                value = s + 1;
                s += kUnit + 1;
            }
            if (!out.Room(n)) return nullptr;
            out.Fill(value, n);
        } else if (b == 0xFF) {
            return out.Full() ? s : nullptr;
        } else if (!Code::Copy(b, s, left, out)) {
            return nullptr;
        }
    }
}

// A bottom-up buffer's first stream row is its last buffer row.
std::uint8_t* LastRow(std::uint8_t* bits, std::uint32_t height, std::int32_t stride) {
    return height == 0 ? bits : bits + static_cast<std::ptrdiff_t>(height - 1) * stride;
}

std::uint32_t ReadU16(const std::uint8_t* p) { return p[0] | (static_cast<std::uint32_t>(p[1]) << 8); }
std::int32_t ReadS16(const std::uint8_t* p) { return static_cast<std::int16_t>(ReadU16(p)); }

}  // namespace

const std::uint8_t* ElgDecode(const std::uint8_t* stream, const std::uint8_t* end,
                              std::uint8_t* destination, std::uint32_t count) {
    UnitOutput<ByteUnit> out(ByteUnit(), destination, count, 1, 0);
    return RunCode<ByteCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeRows(const std::uint8_t* stream, const std::uint8_t* end,
                                  std::uint8_t* destination, std::uint32_t width,
                                  std::uint32_t height, std::int32_t stride) {
    UnitOutput<ByteUnit> out(ByteUnit(), destination, width, height, stride);
    return RunCode<ByteCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeIndexedDib(const std::uint8_t* stream, const std::uint8_t* end,
                                        std::uint8_t* bits, std::uint32_t width,
                                        std::uint32_t height, std::int32_t stride) {
    UnitOutput<ByteUnit> out(ByteUnit(), LastRow(bits, height, stride), width, height, -stride);
    return RunCode<ByteCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeIndexed32(const std::uint8_t* stream, const std::uint8_t* end,
                                       std::uint32_t* destination, std::uint32_t count,
                                       const std::uint32_t* palette, std::uint8_t alpha) {
    const Indexed32Unit unit{palette, static_cast<std::uint32_t>(alpha) << 24};
    UnitOutput<Indexed32Unit> out(unit, reinterpret_cast<std::uint8_t*>(destination), count, 1, 0);
    return RunCode<ByteCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeAlpha(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint32_t* destination, std::uint32_t count) {
    UnitOutput<AlphaUnit> out(AlphaUnit(), reinterpret_cast<std::uint8_t*>(destination) + 3, count,
                              1, 0);
    return RunCode<ByteCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeAlphaDib(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint32_t* bits, std::uint32_t width,
                                      std::uint32_t height) {
    const std::int32_t stride = static_cast<std::int32_t>(width * 4);
    std::uint8_t* last = LastRow(reinterpret_cast<std::uint8_t*>(bits), height, stride);
    UnitOutput<AlphaUnit> out(AlphaUnit(), last + 3, width, height, -stride);
    return RunCode<ByteCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeRgb32(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint8_t* destination, std::uint32_t width,
                                   std::uint32_t height, std::int32_t stride) {
    UnitOutput<Rgb32Unit> out(Rgb32Unit(), destination, width, height, stride);
    return RunCode<PixelCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeRgb24Dib(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint8_t* bits, std::uint32_t width,
                                      std::uint32_t height, std::int32_t stride) {
    UnitOutput<ColourUnit<3>> out(ColourUnit<3>(), LastRow(bits, height, stride), width, height,
                                  -stride);
    return RunCode<PixelCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeRgb32Dib(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint32_t* bits, std::uint32_t width,
                                      std::uint32_t height) {
    const std::int32_t stride = static_cast<std::int32_t>(width * 4);
    std::uint8_t* last = LastRow(reinterpret_cast<std::uint8_t*>(bits), height, stride);
    UnitOutput<ColourUnit<4>> out(ColourUnit<4>(), last, width, height, -stride);
    return RunCode<PixelCode>(stream, end, out);
}

const std::uint8_t* ElgDecodeGray(const std::uint8_t* stream, const std::uint8_t* end,
                                  std::uint8_t* destination, std::uint32_t width,
                                  std::uint32_t height) {
    return ElgDecodeGrayRows(stream, end, destination, width, height,
                             static_cast<std::int32_t>(width));
}

const std::uint8_t* ElgDecodeGrayRows(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint8_t* destination, std::uint32_t width,
                                      std::uint32_t height, std::int32_t stride) {
    UnitOutput<GrayUnit> out(GrayUnit(), destination, width, height, stride);
    return RunCode<PixelCode>(stream, end, out);
}

std::int32_t ElgReadHeader(const std::uint8_t* data, std::uint32_t size, ElgHeader* header) {
    if (!data || size < 3 || data[0] != 'E' || data[1] != 'L' || data[2] != 'G') return 1;
    if (size < 4) return 3;
    ElgHeader h;
    const std::uint8_t code = data[3];
    if (code == 8 || code == 24 || code == 32) {
        if (size < 8) return 3;
        h.depth = code;
        h.width = ReadU16(data + 4);
        h.height = ReadU16(data + 6);
        h.streamOffset = 8;
    } else if (code == 1) {
        if (size < 13) return 3;
        h.depth = data[4];
        h.originX = ReadS16(data + 5);
        h.originY = ReadS16(data + 7);
        h.width = ReadU16(data + 9);
        h.height = ReadU16(data + 11);
        h.streamOffset = 13;
    } else if (code == 2) {
        if (size < 14) return 3;
        h.depth = data[4];
        h.width = ReadU16(data + 5);
        h.height = ReadU16(data + 7);
        h.originX = ReadS16(data + 9);
        h.originY = ReadS16(data + 11);
        // Marker, block, marker, block, ... 0. Each block's length word counts the block
        // itself, so it is at least 4; every block and the marker after it must lie inside the
        // data.
        std::uint32_t at = 13;
        while (data[at] != 0) {
            const std::uint32_t blockAt = at + 1;
            if (size - blockAt < 4) return 3;
            const std::uint32_t length = data[blockAt] | (static_cast<std::uint32_t>(data[blockAt + 1]) << 8) |
                                         (static_cast<std::uint32_t>(data[blockAt + 2]) << 16) |
                                         (static_cast<std::uint32_t>(data[blockAt + 3]) << 24);
            if (length < 4 || length >= size - blockAt) return 3;
            at = blockAt + length;
        }
        if (at > 13) {
            h.extraData = data + 13;
            h.extraSize = at - 13;
        }
        h.streamOffset = at + 1;
    } else {
        return 3;
    }
    if (h.depth != 8 && h.depth != 24 && h.depth != 32) return 3;
    *header = h;
    return 0;
}

bool ElgStreamsCanFill(const ElgHeader& header, std::uint32_t size) {
    // No code yields more units per stream byte than the byte code's long fill (8226 units from
    // three bytes).
    constexpr std::uint64_t kMostUnitsPerByte = 8226 / 3;
    const std::uint64_t units = static_cast<std::uint64_t>(header.width) * header.height;
    return units <= static_cast<std::uint64_t>(size - header.streamOffset) * kMostUnitsPerByte;
}
