#include "tools/content/elg_writer.h"

#include <algorithm>
#include <stdexcept>

#include "tools/content/byte_words.h"

namespace testsupport {

namespace {

void Require(bool condition, const char* what) {
    if (!condition) throw std::invalid_argument(what);
}

}  // namespace

void ElgStream::PutUnit(std::uint32_t unit) {
    if (m_code == kByteCode) {
        m_bytes.push_back(static_cast<std::uint8_t>(unit));
    } else {
        m_bytes.push_back(static_cast<std::uint8_t>(unit));
        m_bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
        m_bytes.push_back(static_cast<std::uint8_t>(unit >> 16));
    }
}

ElgStream& ElgStream::Literal(const std::vector<std::uint32_t>& units, bool longForm) {
    const auto n = static_cast<std::uint32_t>(units.size());
    if (!longForm) {
        Require(n >= 1 && n <= 32, "short literal holds 1-32 units");
        m_bytes.push_back(static_cast<std::uint8_t>(n - 1));
    } else {
        Require(n >= 33 && n <= 33 + 0x1FFF, "long literal holds 33-8224 units");
        m_bytes.push_back(static_cast<std::uint8_t>(0x20 | ((n - 33) >> 8)));
        m_bytes.push_back(static_cast<std::uint8_t>(n - 33));
    }
    for (std::uint32_t unit : units) PutUnit(unit);
    return *this;
}

ElgStream& ElgStream::Fill(std::uint32_t unit, std::uint32_t count, bool longForm) {
    // Byte fills start at 3 units, pixel fills at 2.
    const std::uint32_t shortBase = m_code == kByteCode ? 3 : 2;
    const std::uint32_t longBase = shortBase + 32;
    if (!longForm && count < longBase) {
        Require(count >= shortBase, "fill too short");
        m_bytes.push_back(static_cast<std::uint8_t>(0x40 | (count - shortBase)));
    } else {
        Require(count >= longBase && count <= longBase + 0x1FFF, "long fill out of range");
        m_bytes.push_back(static_cast<std::uint8_t>(0x60 | ((count - longBase) >> 8)));
        m_bytes.push_back(static_cast<std::uint8_t>(count - longBase));
    }
    PutUnit(unit);
    return *this;
}

ElgStream& ElgStream::Copy(std::uint8_t form, std::uint32_t count, std::uint32_t distance) {
    auto push = [this](std::uint32_t byte) { m_bytes.push_back(static_cast<std::uint8_t>(byte)); };
    if (m_code == kByteCode) {
        switch (form) {
        case 0x80:
            Require(count >= 2 && count <= 17 && distance >= 2 && distance <= 257, "byte copy 0x80");
            push(0x80 | (count - 2));
            push(distance - 2);
            break;
        case 0x90:
            Require(count >= 4 && count <= 259 && distance >= 3 && distance <= 4098, "byte copy 0x90");
            push(0x90 | ((distance - 3) >> 8));
            push(distance - 3);
            push(count - 4);
            break;
        case 0xA0:
        case 0xB0:
            Require(count == (form == 0xA0 ? 3u : 4u) && distance >= 3 && distance <= 4098,
                    "byte copy 0xA0/0xB0");
            push(form | ((distance - 3) >> 8));
            push(distance - 3);
            break;
        case 0xC0:
            Require(count == 1 && distance >= 1 && distance <= 32, "byte copy 0xC0");
            push(0xC0 | (distance - 1));
            break;
        case 0xE0:
            Require(count == 2 && distance >= 2 && distance <= 32, "byte copy 0xE0");
            push(0xE0 | (distance - 2));
            break;
        default:
            Require(false, "no such byte copy form");
        }
        return *this;
    }
    switch (form) {
    case 0x80:
        Require(count >= 1 && count <= 16 && distance >= 2 && distance <= 257, "pixel copy 0x80");
        push(0x80 | (count - 1));
        push(distance - 2);
        break;
    case 0x90:
        Require(count >= 1 && count <= 256 && distance >= 2 && distance <= 4097, "pixel copy 0x90");
        push(0x90 | ((distance - 2) >> 8));
        push(distance - 2);
        push(count - 1);
        break;
    case 0xA0:
        Require(count >= 1 && count <= 256 && distance >= 4098 && distance <= 4098 + 0xFFFFF,
                "pixel copy 0xA0");
        push(0xA0 | ((distance - 4098) >> 16));
        push((distance - 4098) >> 8);
        push(distance - 4098);
        push(count - 1);
        break;
    case 0xB0:
        Require(count == 1 && distance >= 2 && distance <= 9, "pixel copy 0xB0");
        push(0xB0 | (distance - 2));
        break;
    case 0xB8:
        Require(count == 1 && distance >= 10 && distance <= 2057, "pixel copy 0xB8");
        push(0xB8 | ((distance - 10) >> 8));
        push(distance - 10);
        break;
    case 0xCC:
        Require(count == 1 && distance >= 2058 && distance <= 3081, "pixel copy 0xCC");
        push(0xCC | ((distance - 2058) >> 8));
        push(distance - 2058);
        break;
    default:
        Require(false, "no such pixel copy form");
    }
    return *this;
}

ElgStream& ElgStream::Above(std::uint32_t rows, std::int32_t dx, bool longForm) {
    Require(m_code == kPixelCode, "rows above belong to the pixel code");
    Require(dx >= -1 && dx <= 1, "dx is -1, 0 or +1");
    const std::uint32_t kind = dx == 0 ? 0 : (dx < 0 ? 1 : 2);
    if (!longForm) {
        Require(rows >= 1 && rows <= (kind == 2 ? 15u : 16u), "short form: 1-16 rows");
        m_bytes.push_back(static_cast<std::uint8_t>(0xD0 + kind * 0x10 + (rows - 1)));
    } else {
        Require(rows >= 16 && rows <= 16 + 0x3FF, "long form: 16-1039 rows");
        m_bytes.push_back(static_cast<std::uint8_t>(0xC0 | (kind << 2) | ((rows - 16) >> 8)));
        m_bytes.push_back(static_cast<std::uint8_t>(rows - 16));
    }
    return *this;
}

ElgStream& ElgStream::Raw(const std::vector<std::uint8_t>& bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

ElgStream& ElgStream::End() {
    m_bytes.push_back(0xFF);
    return *this;
}

ElgStream ElgStream::Encode(Code code, const std::vector<std::uint32_t>& input,
                            std::uint32_t width) {
    ElgStream stream(code);
    std::vector<std::uint32_t> units = input;
    if (code == kPixelCode) {
        for (auto& unit : units) unit &= 0x00FFFFFF;
    } else {
        for (auto& unit : units) unit &= 0xFF;
    }
    const std::size_t total = units.size();
    std::vector<std::uint32_t> pending;
    auto flush = [&]() {
        std::size_t at = 0;
        while (at < pending.size()) {
            const std::size_t n = std::min<std::size_t>(pending.size() - at, 8224);
            std::vector<std::uint32_t> part(pending.begin() + at, pending.begin() + at + n);
            if (n <= 32) {
                stream.Literal(part);
            } else {
                stream.Literal(part, true);
            }
            at += n;
        }
        pending.clear();
    };
    const bool bytes = code == kByteCode;
    std::size_t i = 0;
    while (i < total) {
        std::size_t run = 1;
        while (i + run < total && units[i + run] == units[i] && run < 8225) ++run;
        if (run >= (bytes ? 3u : 2u)) {
            flush();
            stream.Fill(units[i], static_cast<std::uint32_t>(run));
            i += run;
            continue;
        }
        if (!bytes && width > 0 && i >= width && units[i] == units[i - width]) {
            flush();
            stream.Above(1, 0);
            ++i;
            continue;
        }
        // The longest earlier match within the reach of the copy forms.
        const std::size_t minDistance = bytes ? 1 : 2;
        const std::size_t maxDistance = std::min<std::size_t>(i, bytes ? 4098 : 4097);
        const std::size_t maxCount = bytes ? 259 : 256;
        std::size_t bestCount = 0;
        std::size_t bestDistance = 0;
        for (std::size_t d = minDistance; d <= maxDistance; ++d) {
            std::size_t n = 0;
            while (i + n < total && n < maxCount && units[i + n] == units[i + n - d]) ++n;
            if (n > bestCount) {
                bestCount = n;
                bestDistance = d;
            }
        }
        const auto n = static_cast<std::uint32_t>(bestCount);
        const auto d = static_cast<std::uint32_t>(bestDistance);
        std::uint8_t form = 0;
        std::uint32_t take = n;
        if (bytes) {
            if (n >= 4 && d >= 3) {
                form = 0x90;
            } else if (n >= 2 && d >= 2 && d <= 257) {
                take = std::min<std::uint32_t>(n, 17);
                form = take == 2 && d <= 32 ? 0xE0 : 0x80;
            } else if (n >= 1 && d <= 32) {
                take = 1;
                form = 0xC0;
            }
        } else if (n >= 1) {
            if (n == 1 && d <= 9) {
                form = 0xB0;
            } else if (n <= 16 && d <= 257) {
                form = 0x80;
            } else {
                form = 0x90;
            }
        }
        if (form == 0) {
            pending.push_back(units[i]);
            ++i;
            continue;
        }
        flush();
        stream.Copy(form, take, d);
        i += take;
    }
    flush();
    stream.End();
    return stream;
}

ElgFile& ElgFile::Origin(std::int16_t x, std::int16_t y) {
    if (m_form == 0) m_form = 1;
    m_originX = x;
    m_originY = y;
    return *this;
}

ElgFile& ElgFile::ExtraBlocks(const std::vector<ElgExtraBlock>& blocks) {
    m_form = 2;
    m_blocks = blocks;
    return *this;
}

ElgFile& ElgFile::Streams(const std::vector<ElgStream>& streams) {
    m_streams.clear();
    for (const auto& stream : streams) {
        m_streams.insert(m_streams.end(), stream.Bytes().begin(), stream.Bytes().end());
    }
    return *this;
}

std::vector<std::uint8_t> ElgFile::ExtraData(const std::vector<ElgExtraBlock>& blocks) {
    std::vector<std::uint8_t> out;
    for (const auto& block : blocks) {
        Require(block.marker != 0, "a block's marker is nonzero");
        out.push_back(block.marker);
        AppendWord(out, static_cast<std::uint32_t>(block.content.size() + 4));
        out.insert(out.end(), block.content.begin(), block.content.end());
    }
    return out;
}

std::vector<std::uint8_t> ElgFile::Bytes() const {
    std::vector<std::uint8_t> out = {'E', 'L', 'G'};
    if (m_form == 0) {
        out.push_back(m_depth);
        AppendHalf(out, m_width);
        AppendHalf(out, m_height);
    } else if (m_form == 1) {
        out.push_back(1);
        out.push_back(m_depth);
        AppendHalf(out, static_cast<std::uint16_t>(m_originX));
        AppendHalf(out, static_cast<std::uint16_t>(m_originY));
        AppendHalf(out, m_width);
        AppendHalf(out, m_height);
    } else {
        out.push_back(2);
        out.push_back(m_depth);
        AppendHalf(out, m_width);
        AppendHalf(out, m_height);
        AppendHalf(out, static_cast<std::uint16_t>(m_originX));
        AppendHalf(out, static_cast<std::uint16_t>(m_originY));
        const auto extra = ExtraData(m_blocks);
        out.insert(out.end(), extra.begin(), extra.end());
        out.push_back(0);
    }
    out.insert(out.end(), m_streams.begin(), m_streams.end());
    return out;
}

std::vector<std::uint8_t> EncodeElgPicture(std::uint8_t depth, std::uint16_t width,
                                           std::uint16_t height,
                                           const std::vector<std::uint32_t>& pixels,
                                           const std::vector<std::uint32_t>& palette,
                                           const std::vector<std::uint8_t>& indices) {
    std::vector<ElgStream> streams;
    if (depth == 8) {
        std::vector<std::uint32_t> table;
        for (std::size_t i = 0; i < 256; ++i) {
            const std::uint32_t entry = i < palette.size() ? palette[i] : 0;
            for (int b = 0; b < 4; ++b) table.push_back((entry >> (8 * b)) & 0xFF);
        }
        streams.push_back(ElgStream::Encode(ElgStream::kByteCode, table));
        streams.push_back(ElgStream::Encode(ElgStream::kByteCode,
                                            std::vector<std::uint32_t>(indices.begin(), indices.end())));
    } else {
        streams.push_back(ElgStream::Encode(ElgStream::kPixelCode, pixels, width));
        if (depth == 32) {
            std::vector<std::uint32_t> alpha;
            for (std::uint32_t pixel : pixels) alpha.push_back(pixel >> 24);
            streams.push_back(ElgStream::Encode(ElgStream::kByteCode, alpha));
        }
    }
    return ElgFile(depth, width, height).Streams(streams).Bytes();
}

}  // namespace testsupport
