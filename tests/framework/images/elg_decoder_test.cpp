#include "framework/images/elg_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tools/content/elg_writer.h"

using testsupport::ElgStream;

namespace {

using Units = std::vector<std::uint32_t>;

// n units counting up from `first`.
Units Ramp(std::uint32_t first, std::uint32_t n, std::uint32_t step = 1) {
    Units out;
    for (std::uint32_t i = 0; i < n; ++i) out.push_back(first + i * step);
    return out;
}

Units Join(std::initializer_list<Units> parts) {
    Units out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Decodes a byte-code stream of exactly `expected.size()` units; "" when it is refused.
std::vector<std::uint8_t> DecodeBytes(const std::vector<std::uint8_t>& stream, std::size_t count,
                                      bool* refused) {
    std::vector<std::uint8_t> out(count);
    const std::uint8_t* end = stream.data() + stream.size();
    const std::uint8_t* after = ElgDecode(stream.data(), end, out.data(),
                                          static_cast<std::uint32_t>(count));
    *refused = after == nullptr;
    if (after) {
        EXPECT_EQ(end, after) << "the decoder stops right after the end code";
    }
    return out;
}

// Decodes a pixel-code stream into flat 32-bit pixels; each pixel's top byte must be 0.
Units DecodePixels(const std::vector<std::uint8_t>& stream, std::uint32_t width,
                   std::uint32_t height, bool* refused) {
    Units out(width * height, 0xEEEEEEEE);
    const std::uint8_t* end = stream.data() + stream.size();
    const std::uint8_t* after = ElgDecodeRgb32(stream.data(), end,
                                               reinterpret_cast<std::uint8_t*>(out.data()), width,
                                               height, static_cast<std::int32_t>(width * 4));
    *refused = after == nullptr;
    if (after) {
        EXPECT_EQ(end, after);
    }
    return out;
}

struct ByteCase {
    const char* name;
    ElgStream stream;
    Units expected;
};

TEST(ElgByteCode, EveryCodeDecodesToItsBytes) {
    const Units ramp40 = Ramp(10, 40);
    const ByteCase cases[] = {
        {"short literal of one byte", ElgStream(ElgStream::kByteCode).Literal({7}), {7}},
        {"short literal of 32 bytes", ElgStream(ElgStream::kByteCode).Literal(Ramp(0, 32)),
         Ramp(0, 32)},
        {"long literal of 33 bytes", ElgStream(ElgStream::kByteCode).Literal(Ramp(1, 33), true),
         Ramp(1, 33)},
        {"long literal of 300 bytes",
         ElgStream(ElgStream::kByteCode).Literal(Ramp(0, 300, 7), true),
         [] { Units u = Ramp(0, 300, 7); for (auto& x : u) x &= 0xFF; return u; }()},
        {"short fill: 0x40 is three bytes", ElgStream(ElgStream::kByteCode).Fill(9, 3), {9, 9, 9}},
        {"short fill of 34", ElgStream(ElgStream::kByteCode).Fill(4, 34), Units(34, 4)},
        {"long fill of 35", ElgStream(ElgStream::kByteCode).Fill(5, 35, true), Units(35, 5)},
        {"long fill of 600", ElgStream(ElgStream::kByteCode).Fill(6, 600, true), Units(600, 6)},
        {"copy 0x80 of 2 from 2",
         ElgStream(ElgStream::kByteCode).Literal({1, 2}).Copy(0x80, 2, 2), {1, 2, 1, 2}},
        {"copy 0x80 of 17 from 257",
         ElgStream(ElgStream::kByteCode).Literal(Ramp(0, 257, 3), true).Copy(0x80, 17, 257),
         [] { Units u = Ramp(0, 257, 3); for (auto& x : u) x &= 0xFF;
              Units all = u; all.insert(all.end(), u.begin(), u.begin() + 17); return all; }()},
        {"copy 0x90 of 259 from 3: a run pattern",
         ElgStream(ElgStream::kByteCode).Literal({1, 2, 3}).Copy(0x90, 259, 3),
         [] { Units u; for (int i = 0; i < 262; ++i) u.push_back(1 + i % 3); return u; }()},
        {"copy 0x90 from 4098",
         ElgStream(ElgStream::kByteCode).Fill(0, 4000, true).Literal(Ramp(1, 98), true)
             .Copy(0x90, 4, 4098).Literal({77}),
         Join({Units(4000, 0), Ramp(1, 98), Units(4, 0), {77}})},
        {"copy 0xA0: three bytes",
         ElgStream(ElgStream::kByteCode).Literal(ramp40, true).Copy(0xA0, 3, 40),
         Join({ramp40, Ramp(10, 3)})},
        {"copy 0xB0: four bytes",
         ElgStream(ElgStream::kByteCode).Literal(ramp40, true).Copy(0xB0, 4, 5),
         Join({ramp40, Ramp(45, 4)})},
        {"copy 0xC0: one byte from 1",
         ElgStream(ElgStream::kByteCode).Literal({3}).Copy(0xC0, 1, 1), {3, 3}},
        {"copy 0xC0: one byte from 32",
         ElgStream(ElgStream::kByteCode).Literal(Ramp(0, 32)).Copy(0xC0, 1, 32),
         Join({Ramp(0, 32), {0}})},
        {"copy 0xE0: two bytes from 2",
         ElgStream(ElgStream::kByteCode).Literal({5, 6}).Copy(0xE0, 2, 2), {5, 6, 5, 6}},
        {"copy 0xE0 from 32 (0xFE)",
         ElgStream(ElgStream::kByteCode).Literal(Ramp(0, 32)).Copy(0xE0, 2, 32),
         Join({Ramp(0, 32), {0, 1}})},
    };
    for (const auto& c : cases) {
        ElgStream stream = c.stream;
        stream.End();
        bool refused = false;
        const auto out = DecodeBytes(stream.Bytes(), c.expected.size(), &refused);
        ASSERT_FALSE(refused) << c.name;
        EXPECT_EQ(std::vector<std::uint8_t>(c.expected.begin(), c.expected.end()), out) << c.name;
    }
}

struct PixelCase {
    const char* name;
    std::uint32_t width;
    ElgStream stream;
    Units expected;
};

TEST(ElgPixelCode, EveryCodeDecodesToItsPixels) {
    const Units row4 = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    const Units wide = Ramp(0x010203, 4100, 0x000101);
    const PixelCase cases[] = {
        {"short literal", 2, ElgStream(ElgStream::kPixelCode).Literal({0x0000FF, 0xFF0000}),
         {0x0000FF, 0xFF0000}},
        {"long literal of 40", 40,
         ElgStream(ElgStream::kPixelCode).Literal(Ramp(0x100, 40, 0x10101), true),
         Ramp(0x100, 40, 0x10101)},
        {"short fill: 0x40 is two pixels", 2, ElgStream(ElgStream::kPixelCode).Fill(0xABCDEF, 2),
         {0xABCDEF, 0xABCDEF}},
        {"short fill of 33", 33, ElgStream(ElgStream::kPixelCode).Fill(0x010101, 33),
         Units(33, 0x010101)},
        {"long fill of 34", 34, ElgStream(ElgStream::kPixelCode).Fill(0x020202, 34, true),
         Units(34, 0x020202)},
        {"copy 0x80 of 3 from 2: repeats the last two", 5,
         ElgStream(ElgStream::kPixelCode).Literal({1, 2}).Copy(0x80, 3, 2), {1, 2, 1, 2, 1}},
        {"copy 0x90 of 256 from 4097", 4097 + 256,
         ElgStream(ElgStream::kPixelCode).Literal(Ramp(1, 4097), true).Copy(0x90, 256, 4097),
         Join({Ramp(1, 4097), Ramp(1, 256)})},
        {"copy 0xA0 from 4098", 4100,
         ElgStream(ElgStream::kPixelCode).Literal(Units(wide.begin(), wide.begin() + 4098), true)
             .Copy(0xA0, 2, 4098),
         Join({Units(wide.begin(), wide.begin() + 4098), Units(wide.begin(), wide.begin() + 2)})},
        {"copy 0xB0 from 9", 10,
         ElgStream(ElgStream::kPixelCode).Literal(Ramp(1, 9)).Copy(0xB0, 1, 9),
         Join({Ramp(1, 9), {1}})},
        {"copy 0xB8 from 10", 11,
         ElgStream(ElgStream::kPixelCode).Literal(Ramp(1, 10)).Copy(0xB8, 1, 10),
         Join({Ramp(1, 10), {1}})},
        {"copy 0xCC from 2058", 2059,
         ElgStream(ElgStream::kPixelCode).Literal(Ramp(5, 2058), true).Copy(0xCC, 1, 2058),
         Join({Ramp(5, 2058), {5}})},
        {"0xD0 at the start of the second row copies the pixel straight above", 4,
         ElgStream(ElgStream::kPixelCode).Literal(row4).Above(1, 0).Fill(0, 3), 
         Join({row4, {0x112233, 0, 0, 0}})},
        {"0xE0 copies the pixel above and to the left", 4,
         ElgStream(ElgStream::kPixelCode).Literal(row4).Literal({0}).Above(1, -1).Fill(0, 2),
         Join({row4, {0, 0x112233, 0, 0}})},
        {"0xF0 copies the pixel above and to the right", 4,
         ElgStream(ElgStream::kPixelCode).Literal(row4).Above(1, 1).Fill(0, 3),
         Join({row4, {0x445566, 0, 0, 0}})},
        {"0xDF reaches 16 rows up", 1,
         ElgStream(ElgStream::kPixelCode).Literal(Ramp(1, 16)).Above(16, 0),
         Join({Ramp(1, 16), {1}})},
        {"long forms 0xC0, 0xC4, 0xC8 reach 16 rows up", 3,
         ElgStream(ElgStream::kPixelCode).Literal(Ramp(1, 48), true).Literal({0})
             .Above(16, 0, true).Above(16, -1, true).Above(16, 1, true).Fill(0, 2),
         Join({Ramp(1, 48), {0, 2, 2, 5, 0, 0}})},
    };
    for (const auto& c : cases) {
        ElgStream stream = c.stream;
        stream.End();
        const auto height = static_cast<std::uint32_t>(c.expected.size() / c.width);
        ASSERT_EQ(c.expected.size(), c.width * height) << c.name;
        bool refused = false;
        const Units out = DecodePixels(stream.Bytes(), c.width, height, &refused);
        ASSERT_FALSE(refused) << c.name;
        EXPECT_EQ(c.expected, out) << c.name;
    }
}

// One stream through every pixel-code layout: the DIBs hold the rows bottom-up, the grey
// layouts the grey of each pixel, a wider stride the same pixels row by row.
TEST(ElgPixelCode, EveryLayoutHoldsTheSamePicture) {
    const std::uint32_t w = 5, h = 4;
    Units picture;
    for (std::uint32_t i = 0; i < w * h; ++i) picture.push_back((i * 0x3F1D27u) & 0xFFFFFF);
    for (std::uint32_t x = 0; x < w; ++x) picture[w + x] = picture[x];
    picture[3 * w + 2] = picture[2 * w + 1];
    const auto stream = ElgStream::Encode(ElgStream::kPixelCode, picture, w).Bytes();
    const std::uint8_t* end = stream.data() + stream.size();
    auto grey = [](std::uint32_t p) {
        return static_cast<std::uint8_t>((77 * (p >> 16 & 0xFF) + 150 * (p >> 8 & 0xFF) + 29 * (p & 0xFF)) >> 8);
    };

    bool refused = false;
    EXPECT_EQ(picture, DecodePixels(stream, w, h, &refused));

    const std::int32_t stride24 = 16;
    std::vector<std::uint8_t> dib24(stride24 * h, 0xEE);
    ASSERT_EQ(end, ElgDecodeRgb24Dib(stream.data(), end, dib24.data(), w, h, stride24));
    std::vector<std::uint32_t> dib32(w * h, 0x5A000000);
    ASSERT_EQ(end, ElgDecodeRgb32Dib(stream.data(), end, dib32.data(), w, h));
    std::vector<std::uint8_t> flatGrey(w * h);
    ASSERT_EQ(end, ElgDecodeGray(stream.data(), end, flatGrey.data(), w, h));
    const std::int32_t greyStride = 9;
    std::vector<std::uint8_t> greyRows(greyStride * h, 0xEE);
    ASSERT_EQ(end, ElgDecodeGrayRows(stream.data(), end, greyRows.data(), w, h, greyStride));

    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint32_t dibRow = h - 1 - y;
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t p = picture[y * w + x];
            const std::uint8_t* at = &dib24[dibRow * stride24 + x * 3];
            EXPECT_EQ(p, static_cast<std::uint32_t>(at[0] | at[1] << 8 | at[2] << 16));
            EXPECT_EQ(0x5A000000 | p, dib32[dibRow * w + x]) << "the alpha byte stays";
            EXPECT_EQ(grey(p), flatGrey[y * w + x]);
            EXPECT_EQ(grey(p), greyRows[y * greyStride + x]);
        }
        for (std::int32_t x = w * 3; x < stride24; ++x) EXPECT_EQ(0xEE, dib24[dibRow * stride24 + x]);
        for (std::int32_t x = w; x < greyStride; ++x) EXPECT_EQ(0xEE, greyRows[y * greyStride + x]);
    }
}

TEST(ElgByteCode, EveryLayoutHoldsTheSameBytes) {
    const std::uint32_t w = 3, h = 3;
    const Units values = {1, 2, 3, 1, 2, 3, 9, 9, 9};
    const auto stream = ElgStream::Encode(ElgStream::kByteCode, values).Bytes();
    const std::uint8_t* end = stream.data() + stream.size();

    const std::int32_t stride = 4;
    std::vector<std::uint8_t> rows(stride * h, 0xEE), dib(stride * h, 0xEE);
    ASSERT_EQ(end, ElgDecodeRows(stream.data(), end, rows.data(), w, h, stride));
    ASSERT_EQ(end, ElgDecodeIndexedDib(stream.data(), end, dib.data(), w, h, stride));
    Units palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = 0xAB000000 | i * 0x010101;
    Units indexed(w * h), alpha(w * h, 0x00123456), alphaDib(w * h, 0x00123456);
    ASSERT_EQ(end, ElgDecodeIndexed32(stream.data(), end, indexed.data(), w * h, palette.data(), 0x80));
    ASSERT_EQ(end, ElgDecodeAlpha(stream.data(), end, alpha.data(), w * h));
    ASSERT_EQ(end, ElgDecodeAlphaDib(stream.data(), end, alphaDib.data(), w, h));
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t v = values[y * w + x];
            EXPECT_EQ(v, rows[y * stride + x]);
            EXPECT_EQ(v, dib[(h - 1 - y) * stride + x]);
            EXPECT_EQ(0x80000000 | v * 0x010101, indexed[y * w + x]);
            EXPECT_EQ(v << 24 | 0x123456, alpha[y * w + x]);
            EXPECT_EQ(v << 24 | 0x123456, alphaDib[(h - 1 - y) * w + x]);
        }
        EXPECT_EQ(0xEE, rows[y * stride + 3]);
        EXPECT_EQ(0xEE, dib[y * stride + 3]);
    }
}

// Streams that do not fit their picture are refused, and nothing outside the output changes.
struct BrokenCase {
    const char* name;
    ElgStream::Code code;
    std::uint32_t width, height;
    std::vector<std::uint8_t> stream;
};

TEST(ElgStreams, BrokenStreamsAreRefusedWithinTheirBounds) {
    const BrokenCase cases[] = {
        {"literal past the last unit", ElgStream::kByteCode, 2, 1, {0x02, 1, 2, 3, 0xFF}},
        {"fill past the last unit", ElgStream::kByteCode, 2, 1, {0x40, 7, 0xFF}},
        {"long fill past the last unit", ElgStream::kByteCode, 40, 1, {0x60, 6, 7, 0xFF}},
        {"copy past the last unit", ElgStream::kByteCode, 3, 1, {0x00, 1, 0xE0, 0xFF}},
        {"copy before the first unit", ElgStream::kByteCode, 4, 1, {0x00, 1, 0xC1, 0x01, 1, 2, 0xFF}},
        {"copy at the very start", ElgStream::kByteCode, 1, 1, {0xC0, 0xFF}},
        {"long copy reaching before the start", ElgStream::kByteCode, 20, 1,
         {0x09, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x90, 8, 6, 0xFF}},
        {"missing end code", ElgStream::kByteCode, 2, 1, {0x01, 1, 2}},
        {"end code before the output is full", ElgStream::kByteCode, 3, 1, {0x01, 1, 2, 0xFF}},
        {"literal cut off by the end of the data", ElgStream::kByteCode, 4, 1, {0x03, 1, 2}},
        {"long literal's count cut off", ElgStream::kByteCode, 40, 1, {0x20}},
        {"copy's distance cut off", ElgStream::kByteCode, 4, 1, {0x01, 1, 2, 0x80}},
        {"empty stream", ElgStream::kByteCode, 1, 1, {}},
        {"pixel literal past the last unit", ElgStream::kPixelCode, 1, 1, {0x01, 1, 2, 3, 4, 5, 6, 0xFF}},
        {"pixel literal cut inside a pixel", ElgStream::kPixelCode, 1, 1, {0x00, 1, 2}},
        {"pixel fill past the last unit", ElgStream::kPixelCode, 3, 1, {0x42, 1, 2, 3, 0xFF}},
        {"pixel fill's colour cut off", ElgStream::kPixelCode, 2, 1, {0x40, 1, 2}},
        {"pixel copy before the first unit", ElgStream::kPixelCode, 3, 1, {0x00, 1, 2, 3, 0xB0, 0x40, 0, 0, 0, 0xFF}},
        {"far pixel copy before the first unit", ElgStream::kPixelCode, 3, 1,
         {0x00, 1, 2, 3, 0xA0, 0, 0, 1, 0x40, 0, 0, 0, 0xFF}},
        {"rows above the first row", ElgStream::kPixelCode, 2, 2, {0x01, 1, 1, 1, 2, 2, 2, 0xD1, 0x40, 0, 0, 0, 0xFF}},
        {"dx -1 in the first column", ElgStream::kPixelCode, 2, 2, {0x01, 1, 1, 1, 2, 2, 2, 0xE0, 0x00, 0, 0, 0, 0xFF}},
        {"dx +1 in the last column", ElgStream::kPixelCode, 2, 2,
         {0x01, 1, 1, 1, 2, 2, 2, 0x00, 3, 3, 3, 0xF0, 0xFF}},
        {"dx +1 on a picture one pixel wide", ElgStream::kPixelCode, 1, 2, {0x00, 1, 1, 1, 0xF0, 0xFF}},
        {"long rows-above form before the start", ElgStream::kPixelCode, 1, 20,
         [] {
             std::vector<std::uint8_t> bytes = {0x0E};
             bytes.insert(bytes.end(), 15 * 3, 1);
             bytes.insert(bytes.end(), {0xC0, 0x00, 0xFF});
             return bytes;
         }()},
        {"pixel stream without end code", ElgStream::kPixelCode, 1, 1, {0x00, 1, 2, 3}},
    };
    const std::uint32_t kGuard = 16;
    for (const auto& c : cases) {
        const std::uint32_t count = c.width * c.height;
        const std::uint8_t* begin = c.stream.empty() ? reinterpret_cast<const std::uint8_t*>("")
                                                     : c.stream.data();
        const std::uint8_t* end = begin + c.stream.size();
        std::vector<std::uint8_t> out(count * 4 + 2 * kGuard, 0xCD);
        const std::uint8_t* after;
        if (c.code == ElgStream::kByteCode) {
            after = ElgDecode(begin, end, out.data() + kGuard, count);
        } else {
            after = ElgDecodeRgb32(begin, end, out.data() + kGuard, c.width, c.height,
                                   static_cast<std::int32_t>(c.width * 4));
        }
        EXPECT_EQ(nullptr, after) << c.name;
        const std::uint32_t used = c.code == ElgStream::kByteCode ? count : count * 4;
        for (std::uint32_t i = 0; i < kGuard; ++i) {
            EXPECT_EQ(0xCD, out[i]) << c.name;
            EXPECT_EQ(0xCD, out[kGuard + used + i]) << c.name;
        }
    }
}

struct HeaderCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::int32_t code;
};

TEST(ElgHeader, EveryFormIsReadAndBrokenOnesAreRefused) {
    using testsupport::ElgExtraBlock;
    using testsupport::ElgFile;
    const std::vector<ElgExtraBlock> blocks = {{1, {9, 8, 7}}, {5, {}}};
    const auto withBlocks = ElgFile(24, 3, 2).Origin(-4, 7).ExtraBlocks(blocks).Bytes();
    ElgHeader h;
    ASSERT_EQ(0, ElgReadHeader(withBlocks.data(), static_cast<std::uint32_t>(withBlocks.size()), &h));
    EXPECT_EQ(24u, h.depth);
    EXPECT_EQ(3u, h.width);
    EXPECT_EQ(2u, h.height);
    EXPECT_EQ(-4, h.originX);
    EXPECT_EQ(7, h.originY);
    EXPECT_EQ(ElgFile::ExtraData(blocks),
              std::vector<std::uint8_t>(h.extraData, h.extraData + h.extraSize));
    EXPECT_EQ(withBlocks.size(), h.streamOffset);

    const auto withOrigin = ElgFile(8, 300, 2).Origin(-1, -32768).Bytes();
    ASSERT_EQ(0, ElgReadHeader(withOrigin.data(), static_cast<std::uint32_t>(withOrigin.size()), &h));
    EXPECT_EQ(300u, h.width);
    EXPECT_EQ(-1, h.originX);
    EXPECT_EQ(-32768, h.originY);
    EXPECT_EQ(0u, h.extraSize);
    EXPECT_EQ(13u, h.streamOffset);

    const auto emptyList = ElgFile(32, 1, 1).ExtraBlocks({}).Bytes();
    ASSERT_EQ(0, ElgReadHeader(emptyList.data(), static_cast<std::uint32_t>(emptyList.size()), &h));
    EXPECT_EQ(nullptr, h.extraData) << "an empty block list gives no extra data";
    EXPECT_EQ(14u, h.streamOffset);

    const HeaderCase broken[] = {
        {"not ELG", {'E', 'L', 'F', 24, 1, 0, 1, 0}, 1},
        {"magic alone", {'E', 'L', 'G'}, 3},
        {"plain header cut short", {'E', 'L', 'G', 24, 1, 0, 1}, 3},
        {"origin header cut short", {'E', 'L', 'G', 1, 24, 0, 0, 0, 0, 1, 0, 1}, 3},
        {"block-list header without its list", {'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0}, 3},
        {"block length word cut off", {'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 1, 8, 0}, 3},
        {"block longer than the data", {'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 1, 9, 0, 0, 0, 1, 2, 3, 4, 0}, 3},
        {"block shorter than its length word", {'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 1, 3, 0, 0, 0, 0}, 3},
        {"block length near 4 GB", {'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0xFC, 0xFF, 0xFF, 0xFF, 0}, 3},
        {"block list without its final marker", {'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 1, 4, 0, 0, 0}, 3},
        {"depth 16", {'E', 'L', 'G', 16, 1, 0, 1, 0}, 3},
        {"depth code 1 with depth 16", {'E', 'L', 'G', 1, 16, 0, 0, 0, 0, 1, 0, 1, 0}, 3},
        {"depth code 3", {'E', 'L', 'G', 3, 24, 0, 0, 0, 0, 1, 0, 1, 0}, 3},
    };
    for (const auto& c : broken) {
        EXPECT_EQ(c.code, ElgReadHeader(c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size()), &h))
            << c.name;
    }
}

}  // namespace
