#include "tests/support/dib_writer.h"

#include <cstring>

#include "tools/content/byte_words.h"

namespace testsupport {

Dib::Dib(const DibLayout& layout) {
    const std::int32_t height = static_cast<std::int32_t>(layout.rows.size());
    m_info.assign(sizeof(BITMAPINFOHEADER) + 4 * layout.palette.size(), 0);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = layout.width;
    header.biHeight = layout.topDown ? -height : height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(layout.bitCount);
    header.biCompression = layout.compression;
    header.biClrUsed = static_cast<DWORD>(layout.palette.size());
    std::memcpy(m_info.data(), &header, sizeof(header));
    for (size_t i = 0; i < layout.palette.size(); ++i) {
        PutWord(m_info, sizeof(header) + 4 * i, layout.palette[i]);
    }

    m_pitch = ((layout.width * layout.bitCount + 31) / 32) * 4;
    m_bits.assign(static_cast<size_t>(m_pitch) * height, 0);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::int32_t stored = layout.topDown ? y : height - 1 - y;
        std::uint8_t* row = m_bits.data() + static_cast<size_t>(stored) * m_pitch;
        for (std::int32_t x = 0; x < layout.width; ++x) {
            const std::uint32_t v = layout.rows[y][x];
            switch (layout.bitCount) {
                case 1:
                    row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = static_cast<std::uint8_t>(v);
                    break;
                case 16:
                    row[2 * x] = static_cast<std::uint8_t>(v);
                    row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    break;
                case 24:
                    row[3 * x] = static_cast<std::uint8_t>(v);
                    row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
                    break;
                case 32:
                    std::memcpy(row + 4 * x, &v, 4);
                    break;
                default:  // bit counts no reader takes: the bits stay zero
                    break;
            }
        }
    }
}

std::vector<std::uint8_t> BmpFile(const DibLayout& layout) {
    const Dib dib(layout);
    const std::size_t infoSize = sizeof(BITMAPINFOHEADER) + 4 * layout.palette.size();
    const std::size_t bitsSize = static_cast<std::size_t>(dib.Pitch()) * layout.rows.size();
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + infoSize);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + bitsSize);
    std::vector<std::uint8_t> out(reinterpret_cast<const std::uint8_t*>(&file),
                                  reinterpret_cast<const std::uint8_t*>(&file) + sizeof(file));
    const auto* info = reinterpret_cast<const std::uint8_t*>(dib.Info());
    out.insert(out.end(), info, info + infoSize);
    out.insert(out.end(), dib.Bits(), dib.Bits() + bitsSize);
    return out;
}

}  // namespace testsupport
