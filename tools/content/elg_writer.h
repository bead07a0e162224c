// Writes ELG pictures for tests and the sample game: streams built code by code (every code of both stream codes,
// each in the form the test names), whole pictures encoded by a simple greedy encoder, and
// files with any of the header forms and an extra-block list.
//
//     testsupport::ElgStream pixels(testsupport::ElgStream::kPixelCode);
//     pixels.Literal({0x0000FF, 0x00FF00}).Fill(0x123456, 5).Above(1, -1).End();
//     auto file = testsupport::ElgFile(24, 7, 1).Streams({pixels}).Bytes();
//
// Pixels are 0x00RRGGBB (stored blue, green, red); the byte code's units are bytes. Asking for
// a code with values its form cannot hold throws std::invalid_argument.
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

class ElgStream {
public:
    enum Code { kByteCode, kPixelCode };
    explicit ElgStream(Code code) : m_code(code) {}

    // Literal units: the short form (up to 32 units) unless `longForm`.
    ElgStream& Literal(const std::vector<std::uint32_t>& units, bool longForm = false);
    // `count` times one unit: the short form when it fits and `longForm` is not set.
    ElgStream& Fill(std::uint32_t unit, std::uint32_t count, bool longForm = false);
    // Copies. Byte code forms: 0x80 (count 2-17, distance 2-257), 0x90 (count 4-259,
    // distance 3-4098), 0xA0 (count 3) and 0xB0 (count 4, distance 3-4098), 0xC0 (count 1,
    // distance 1-32), 0xE0 (count 2, distance 2-32). Pixel code forms: 0x80 (count 1-16,
    // distance 2-257), 0x90 (count 1-256, distance 2-4097), 0xA0 (count 1-256, distance
    // 4098-1052673), 0xB0 (count 1, distance 2-9), 0xB8 (count 1, distance 10-2057), 0xCC
    // (count 1, distance 2058-3081).
    ElgStream& Copy(std::uint8_t form, std::uint32_t count, std::uint32_t distance);
    // Pixel code: one pixel from `rows` rows above, dx -1, 0 or +1 (short form 1-16 rows, or
    // 1-15 with dx +1, whose 16th code is the end code; long form 16-1039 rows).
    ElgStream& Above(std::uint32_t rows, std::int32_t dx, bool longForm = false);
    ElgStream& Raw(const std::vector<std::uint8_t>& bytes);
    ElgStream& End();

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

    // A whole stream (end code included) for `units`, chosen greedily among literals, fills,
    // copies and (pixel code, with the picture's width) references to the row above.
    static ElgStream Encode(Code code, const std::vector<std::uint32_t>& units,
                            std::uint32_t width = 0);

private:
    void PutUnit(std::uint32_t unit);

    Code m_code;
    std::vector<std::uint8_t> m_bytes;
};

// One extra block: its marker byte and its content (the length word is written before it).
struct ElgExtraBlock {
    std::uint8_t marker;
    std::vector<std::uint8_t> content;
};

class ElgFile {
public:
    // depth 8, 24 or 32 (any byte may be given, to build broken files).
    ElgFile(std::uint8_t depth, std::uint16_t width, std::uint16_t height)
        : m_depth(depth), m_width(width), m_height(height) {}

    // Header form with an origin: depth code 1, or 2 with the extra blocks.
    ElgFile& Origin(std::int16_t x, std::int16_t y);
    ElgFile& ExtraBlocks(const std::vector<ElgExtraBlock>& blocks);
    ElgFile& Streams(const std::vector<ElgStream>& streams);

    std::vector<std::uint8_t> Bytes() const;

    // The extra data a loader must report for the blocks: every marker and block.
    static std::vector<std::uint8_t> ExtraData(const std::vector<ElgExtraBlock>& blocks);

private:
    std::uint8_t m_depth;
    std::uint16_t m_width;
    std::uint16_t m_height;
    int m_form = 0;  // 0 plain, 1 origin, 2 origin and extra blocks
    std::int16_t m_originX = 0;
    std::int16_t m_originY = 0;
    std::vector<ElgExtraBlock> m_blocks;
    std::vector<std::uint8_t> m_streams;
};

// A whole picture encoded with ElgStream::Encode: `pixels` are 0xAARRGGBB top row first; depth
// 8 takes `palette` (0xAARRGGBB entries, padded to 256) and `indices`.
std::vector<std::uint8_t> EncodeElgPicture(std::uint8_t depth, std::uint16_t width,
                                           std::uint16_t height,
                                           const std::vector<std::uint32_t>& pixels,
                                           const std::vector<std::uint32_t>& palette = {},
                                           const std::vector<std::uint8_t>& indices = {});

}  // namespace testsupport
