#include "framework/images/bmp_image_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/content/byte_words.h"
#include "tests/support/encoder_output.h"
#include "tests/support/image_buffer.h"
#include "tests/support/win_test_env.h"

using testsupport::AppendHalf;
using testsupport::AppendToBytes;
using testsupport::AppendWord;
using testsupport::DibPixels;
using testsupport::ImageBuffer;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint32_t>;

// A hand-made BMP file: headers, the masks of bit-field files, the colour table, the data.
struct BmpLayout {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t depth = 24;
    std::uint32_t compression = BI_RGB;
    std::uint32_t colourCount = 0;  // biClrUsed
    std::uint32_t importantCount = 0;  // biClrImportant
    Units palette;                  // entries written
    Units masks;                    // red, green, blue
    Bytes data;
    std::uint32_t infoSize = 40;
};

Bytes MakeBmp(const BmpLayout& s) {
    const auto offBits = static_cast<std::uint32_t>(54 + 4 * s.masks.size() + 4 * s.palette.size());
    Bytes out = {'B', 'M'};
    AppendWord(out, static_cast<std::uint32_t>(offBits + s.data.size()));
    AppendWord(out, 0);
    AppendWord(out, offBits);
    AppendWord(out, s.infoSize);
    AppendWord(out, static_cast<std::uint32_t>(s.width));
    AppendWord(out, static_cast<std::uint32_t>(s.height));
    AppendHalf(out, 1);
    AppendHalf(out, s.depth);
    AppendWord(out, s.compression);
    AppendWord(out, static_cast<std::uint32_t>(s.data.size()));
    AppendWord(out, 2835);
    AppendWord(out, 2835);
    AppendWord(out, s.colourCount);
    AppendWord(out, s.importantCount);
    for (std::uint32_t m : s.masks) AppendWord(out, m);
    for (std::uint32_t p : s.palette) AppendWord(out, p);
    out.insert(out.end(), s.data.begin(), s.data.end());
    return out;
}

// Decodes into 32-bit pixels through the callback path; the code, and the pixels on success.
std::int32_t DecodeArgb(const Bytes& file, Units* pixels, bool want8 = false, ImageBuffer* used = nullptr) {
    // The data ends at an unreadable page, so that any read beyond it faults.
    const testsupport::GuardedBytes data(file);
    BmpImageLoader loader;
    ImageBuffer out;
    const std::int32_t code = loader.DecodeWithCallbacks(data.Data(), data.Size(),
                                                         ImageBuffer::Allocate, &out, want8,
                                                         ImageBuffer::Progress, &out);
    if (code == 0 && pixels) *pixels = out.Pixels();
    if (used) *used = out;
    return code;
}

// Decodes into blocks; the code, the header and the DIB pixels on success.
std::int32_t DecodeDib(const Bytes& file, BITMAPINFOHEADER* header, Units* pixels, Units* colours = nullptr) {
    const testsupport::GuardedBytes data(file);
    BmpImageLoader loader;
    HGLOBAL info = nullptr, bits = nullptr;
    const std::int32_t code = loader.DecodeToBuffers(data.Data(), data.Size(), &info, &bits,
                                                     nullptr, nullptr);
    if (code != 0) {
        EXPECT_EQ(nullptr, info);
        return code;
    }
    const auto* bmi = static_cast<const BITMAPINFO*>(info);
    if (header) *header = bmi->bmiHeader;
    if (pixels) *pixels = DibPixels(bmi, static_cast<const std::uint8_t*>(bits));
    if (colours) {
        const auto* table = reinterpret_cast<const std::uint32_t*>(bmi->bmiColors);
        colours->assign(table, table + bmi->bmiHeader.biClrUsed);
    }
    GlobalFree(info);
    GlobalFree(bits);
    return code;
}

// ---- The ImageMagick samples ----

// The folder of the test program.
std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string SamplePath(const std::string& name) { return ProgramFolder() + "bmp_samples\\" + name; }

// A plain-text PPM (0xRRGGBB values) or PGM (grey values) picture.
struct Netpbm {
    std::int32_t width = 0, height = 0;
    Units values;
};

Netpbm ReadNetpbm(const std::string& name) {
    std::ifstream in(SamplePath(name));
    Netpbm p;
    std::string magic;
    int maxValue = 0;
    in >> magic >> p.width >> p.height >> maxValue;
    EXPECT_TRUE(in && (magic == "P3" || magic == "P2")) << name;
    const int channels = magic == "P3" ? 3 : 1;
    for (std::int32_t i = 0; i < p.width * p.height; ++i) {
        std::uint32_t value = 0;
        for (int c = 0; c < channels; ++c) {
            int v = 0;
            in >> v;
            value = value << 8 | static_cast<std::uint32_t>(v);
        }
        p.values.push_back(value);
    }
    EXPECT_TRUE(in) << name;
    return p;
}

struct SampleCase {
    const char* file;
    const char* picture;
    std::uint16_t depth;
    std::uint32_t compression;
};

const SampleCase kSamples[] = {
    {"bmp1.bmp", "two.ppm", 1, BI_RGB},
    {"bmp4.bmp", "twelve.ppm", 4, BI_RGB},
    {"bmp8.bmp", "forty.ppm", 8, BI_RGB},
    {"rle8.bmp", "forty.ppm", 8, BI_RLE8},
    {"bmp24.bmp", "rgb.ppm", 24, BI_RGB},
    {"bmp32.bmp", "rgb.ppm", 32, BI_RGB},
};

TEST(BmpImageMagick, EverySampleDecodesToItsPicture) {
    const Netpbm alpha = ReadNetpbm("alpha.pgm");
    for (const auto& c : kSamples) {
        SCOPED_TRACE(c.file);
        const Bytes file = testsupport::ReadFile(SamplePath(c.file));
        ASSERT_GT(file.size(), 54u) << "made by tests/support/make_bmp_samples.sh";
        BITMAPINFOHEADER fileHeader;
        std::memcpy(&fileHeader, file.data() + 14, 40);
        ASSERT_EQ(c.depth, fileHeader.biBitCount) << "ImageMagick wrote another depth";
        ASSERT_EQ(c.compression, fileHeader.biCompression);
        const Netpbm picture = ReadNetpbm(c.picture);

        Units expected = picture.values;
        if (c.depth == 32) {
            for (std::size_t i = 0; i < expected.size(); ++i) expected[i] |= alpha.values[i] << 24;
        }
        Units pixels;
        ImageBuffer used;
        ASSERT_EQ(0, DecodeArgb(file, &pixels, false, &used));
        EXPECT_EQ(picture.width, used.width);
        EXPECT_EQ(picture.height, used.height);
        EXPECT_EQ(c.depth == 32 ? 1 : 0, used.hasAlpha);
        EXPECT_EQ(expected, pixels);

        // The blocks hold the same picture bottom-up, uncompressed; palettised files keep
        // their colour table and indices.
        BITMAPINFOHEADER header;
        Units dib, colours;
        ASSERT_EQ(0, DecodeDib(file, &header, &dib, &colours));
        EXPECT_EQ(c.depth, header.biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
        EXPECT_EQ(picture.height, header.biHeight);
        for (std::size_t i = 0; i < dib.size(); ++i) {
            const std::uint32_t colour = c.depth <= 8 ? colours.at(dib[i]) & 0xFFFFFF : dib[i];
            ASSERT_EQ(expected[i], colour) << "pixel " << i;
        }

        // 8-bit output: the palette and the indices, or grey.
        Units eight;
        ASSERT_EQ(0, DecodeArgb(file, &eight, true, &used));
        EXPECT_EQ(c.depth <= 8, used.paletteAsked);
        for (std::size_t i = 0; i < eight.size(); ++i) {
            const std::uint32_t p = picture.values[i];
            const std::uint32_t grey = (77 * (p >> 16) + 150 * (p >> 8 & 0xFF) + 29 * (p & 0xFF)) >> 8;
            const std::uint32_t got = c.depth <= 8 ? used.palette[eight[i]] & 0xFFFFFF : eight[i];
            ASSERT_EQ(c.depth <= 8 ? p : grey, got) << "pixel " << i;
        }
    }
}

// Writes the BMP files that tests/support/check_bmp_readback.sh hands to ImageMagick (into the
// folder SORAHANE_BMP_EXPORT names, else a temporary one) and reads each back with our loader.
TEST(BmpImageMagick, ExportForImageMagick) {
    testsupport::TempFolder temp;
    const char* exportFolder = std::getenv("SORAHANE_BMP_EXPORT");
    const std::string folder = exportFolder ? std::string(exportFolder) + "\\" : temp.Path();
    const Netpbm rgb = ReadNetpbm("rgb.ppm");
    const Netpbm alpha = ReadNetpbm("alpha.pgm");
    const Netpbm forty = ReadNetpbm("forty.ppm");
    const Netpbm twelve = ReadNetpbm("twelve.ppm");
    const std::int32_t w = rgb.width, h = rgb.height;

    Units argb(rgb.values);
    for (std::size_t i = 0; i < argb.size(); ++i) argb[i] |= alpha.values[i] << 24;
    Bytes rgb24;
    for (std::uint32_t p : rgb.values) {
        rgb24.push_back(static_cast<std::uint8_t>(p));
        rgb24.push_back(static_cast<std::uint8_t>(p >> 8));
        rgb24.push_back(static_cast<std::uint8_t>(p >> 16));
    }
    Units palette;
    Bytes indices;
    for (std::uint32_t p : forty.values) {
        std::size_t i = 0;
        while (i < palette.size() && palette[i] != p) ++i;
        if (i == palette.size()) palette.push_back(p);
        indices.push_back(static_cast<std::uint8_t>(i));
    }
    palette.resize(256, 0);
    // Rows bottom-up for the negative height, with a wider stride.
    const std::int32_t wideStride = twelve.width * 4 + 8;
    Bytes bottomUp(static_cast<std::size_t>(wideStride) * twelve.height, 0xEE);
    for (std::int32_t y = 0; y < twelve.height; ++y) {
        std::memcpy(&bottomUp[static_cast<std::size_t>((twelve.height - 1 - y) * wideStride)],
                    &twelve.values[static_cast<std::size_t>(y * twelve.width)], twelve.width * 4);
    }

    struct Export {
        const char* name;
        std::int32_t mode;
        const void* pixels;
        std::int32_t height;
        std::int32_t depth;
        std::int32_t stride;
        const std::uint32_t* palette;
        Units expected;  // 32-bit decode of the written file
    };
    Units alphaGrey, opaque24, colours40;
    for (std::uint32_t a : alpha.values) alphaGrey.push_back(a * 0x010101);
    for (std::uint32_t p : rgb.values) opaque24.push_back(p);
    for (std::uint32_t p : forty.values) colours40.push_back(p);
    const Export exports[] = {
        {"rgb_mode0.bmp", 0, rgb24.data(), h, 24, w * 3, nullptr, opaque24},
        {"rgba_mode0.bmp", 0, argb.data(), h, 32, w * 4, nullptr, opaque24},
        {"rgba_mode1.bmp", 1, argb.data(), h, 32, w * 4, nullptr, argb},
        {"alpha_mode2.bmp", 2, argb.data(), h, 32, w * 4, nullptr, alphaGrey},
        {"forty_palette.bmp", 0, indices.data(), forty.height, 8, forty.width, palette.data(), colours40},
        {"twelve_negative_height.bmp", 0, bottomUp.data(), -twelve.height, 32, wideStride, nullptr, twelve.values},
    };
    BmpImageLoader writer;
    for (const auto& e : exports) {
        SCOPED_TRACE(e.name);
        Bytes file;
        const std::int32_t width = e.depth == 8 ? forty.width : (e.height < 0 ? twelve.width : w);
        ASSERT_EQ(0, writer.Encode(e.mode, e.pixels, width, e.height, e.depth, e.stride, AppendToBytes, &file,
                                   e.palette, nullptr, nullptr));
        ASSERT_TRUE(testsupport::WriteFile(folder + e.name, file));
        Units back;
        ASSERT_EQ(0, DecodeArgb(file, &back));
        EXPECT_EQ(e.expected, back);
    }
}

// ---- Hand-made files ----

TEST(BmpImageLoader, VariantsImageMagickDoesNotWrite) {
    // RLE4: a run alternating two nibbles, a literal of three pixels (two bytes, padded to an
    // even count), end of line, and a run that starts on a low nibble.
    BmpLayout rle4;
    rle4.width = 6;
    rle4.height = 2;
    rle4.depth = 4;
    rle4.compression = BI_RLE4;
    rle4.palette = Units(16);
    for (std::uint32_t i = 0; i < 16; ++i) rle4.palette[i] = i * 0x00101010;
    rle4.data = {0x03, 0x12, 0x00, 0x03, 0x34, 0x50, 0x00, 0x00,
                 0x01, 0x77, 0x05, 0xAB, 0x00, 0x01};
    BITMAPINFOHEADER header;
    Units pixels, colours;
    ASSERT_EQ(0, DecodeDib(MakeBmp(rle4), &header, &pixels, &colours));
    EXPECT_EQ((Units{7, 0xA, 0xB, 0xA, 0xB, 0xA, 1, 2, 1, 3, 4, 5}), pixels) << "bottom line first in the file";
    EXPECT_EQ(16u, colours.size());

    // RLE8 with a delta code is refused with 2; the same picture without the delta decodes.
    BmpLayout rle8;
    rle8.width = 4;
    rle8.height = 2;
    rle8.depth = 8;
    rle8.compression = BI_RLE8;
    rle8.colourCount = 4;
    rle8.palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
    rle8.data = {0x04, 0x01, 0x00, 0x00, 0x00, 0x04, 1, 2, 3, 0, 0x00, 0x01};
    ASSERT_EQ(0, DecodeDib(MakeBmp(rle8), &header, &pixels));
    EXPECT_EQ((Units{1, 2, 3, 0, 1, 1, 1, 1}), pixels);
    BmpLayout delta = rle8;
    delta.data = {0x02, 0x01, 0x00, 0x02, 0x01, 0x01, 0x00, 0x01};
    EXPECT_EQ(2, DecodeDib(MakeBmp(delta), &header, &pixels));
    EXPECT_EQ(2, DecodeArgb(MakeBmp(delta), &pixels));

    // 16-bit bit fields 5-6-5: red and blue in steps of 8, green in steps of 4, output 24 bits.
    BmpLayout fields;
    fields.width = 3;
    fields.height = 1;
    fields.depth = 16;
    fields.compression = BI_BITFIELDS;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.data = {0x1F, 0x00, 0xE0, 0x07, 0x21, 0x08, 0, 0};
    ASSERT_EQ(0, DecodeDib(MakeBmp(fields), &header, &pixels));
    EXPECT_EQ(24, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    EXPECT_EQ((Units{0x0000F8, 0x00FC00, 0x080408}), pixels);
    ImageBuffer used;
    ASSERT_EQ(0, DecodeArgb(MakeBmp(fields), &pixels, false, &used));
    EXPECT_EQ(0, used.hasAlpha);
    EXPECT_EQ((Units{0x0000F8, 0x00FC00, 0x080408}), pixels) << "alpha 0";

    // 32-bit bit fields with the channels in other places.
    fields.depth = 32;
    fields.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    fields.data = {0x11, 0x22, 0x33, 0x44, 0xAA, 0xBB, 0xCC, 0xDD, 0, 0, 0, 0};
    ASSERT_EQ(0, DecodeDib(MakeBmp(fields), &header, &pixels));
    EXPECT_EQ((Units{0x112233, 0xAABBCC, 0}), pixels);

    // A 4-bit file with biClrUsed 0 gets a 16-entry colour table.
    BmpLayout four;
    four.width = 2;
    four.depth = 4;
    four.palette = Units(16, 0x123456);
    four.data = {0xF0, 0, 0, 0};
    ASSERT_EQ(0, DecodeDib(MakeBmp(four), &header, &pixels, &colours));
    EXPECT_EQ(16u, header.biClrUsed);
    EXPECT_EQ(16u, colours.size());

    // A 24-bit file may carry a colour table for palette devices: its pixels start after it,
    // and the decoded header, whose block holds no table, counts no colours.
    BmpLayout hinted;
    hinted.width = 1;
    hinted.colourCount = 2;
    hinted.importantCount = 2;
    hinted.palette = {0x111111, 0x222222};
    hinted.data = {0x30, 0x20, 0x10, 0};
    ASSERT_EQ(0, DecodeDib(MakeBmp(hinted), &header, &pixels));
    EXPECT_EQ(0u, header.biClrUsed);
    EXPECT_EQ(0u, header.biClrImportant);
    EXPECT_EQ(Units{0x102030}, pixels);

    // A top-down file comes out bottom-up like every other.
    BmpLayout topDown;
    topDown.width = 1;
    topDown.height = -2;
    topDown.data = {1, 2, 3, 0, 4, 5, 6, 0};
    ASSERT_EQ(0, DecodeDib(MakeBmp(topDown), &header, &pixels));
    EXPECT_EQ(2, header.biHeight);
    EXPECT_EQ((Units{0x030201, 0x060504}), pixels);
    ASSERT_EQ(0, DecodeArgb(MakeBmp(topDown), &pixels));
    EXPECT_EQ((Units{0x030201, 0x060504}), pixels);
}

struct BrokenBmp {
    const char* name;
    Bytes file;
    std::int32_t code;
};

TEST(BmpImageLoader, TruncatedAndCorruptedFilesFailCleanly) {
    BmpLayout eight;
    eight.width = 3;
    eight.height = 2;
    eight.depth = 8;
    eight.colourCount = 2;
    eight.palette = {0x000000, 0xFFFFFF};
    eight.data = {0, 1, 0, 0, 1, 0, 1, 0};
    BmpLayout rle = eight;
    rle.compression = BI_RLE8;
    rle.data = {0x03, 0x01, 0x00, 0x00, 0x03, 0x00, 0x00, 0x01};
    ASSERT_EQ(0, DecodeDib(MakeBmp(eight), nullptr, nullptr));
    ASSERT_EQ(0, DecodeDib(MakeBmp(rle), nullptr, nullptr));

    std::vector<BrokenBmp> cases;
    auto variant = [&](const char* name, BmpLayout layout, std::int32_t code) {
        cases.push_back({name, MakeBmp(layout), code});
    };
    BmpLayout s = eight;
    s.colourCount = 300;
    s.palette = Units(300);
    variant("biClrUsed above 256", s, 3);
    s = eight;
    s.depth = 4;
    s.colourCount = 17;
    s.palette = Units(17);
    variant("more colours than 4 bits index", s, 3);
    s = eight;
    s.colourCount = 200;
    variant("colour table beyond the file", s, 3);
    s = eight;
    s.data.pop_back();
    variant("pixel data one byte short", s, 3);
    s = eight;
    s.height = 0x7FFF;
    variant("far more rows than data", s, 3);
    s = eight;
    s.width = 0x10000;
    s.height = 0x10000;
    variant("width x height x 4 beyond 32 bits", s, 6);
    s = eight;
    s.width = 0x7FFFFFFF;
    s.height = 1;
    variant("row size beyond 32 bits", s, 6);
    s = eight;
    s.width = 0;
    variant("no width", s, 3);
    s = eight;
    s.width = -3;
    variant("negative width", s, 3);
    s = eight;
    s.height = 0;
    variant("no height", s, 3);
    s = eight;
    s.depth = 7;
    variant("depth 7", s, 3);
    s = eight;
    s.compression = 5;
    variant("unknown compression", s, 3);
    s = rle;
    s.depth = 4;
    s.colourCount = 2;
    variant("RLE8 at 4 bits", s, 3);
    s = rle;
    s.height = -2;
    variant("top-down RLE", s, 3);
    s = rle;
    s.data = {0x05, 0x01, 0x00, 0x01};
    variant("RLE run past the end of its padded row", s, 3);
    s = rle;
    s.data = {0x00, 0x05, 1, 1, 1, 1, 1, 0, 0x00, 0x01};
    variant("RLE literal past the end of its padded row", s, 3);
    s = rle;
    s.data = {0x03, 0x01, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x01};
    variant("RLE rows past the last row", s, 3);
    s = rle;
    s.data = {0x00, 0x03, 1, 0};
    variant("RLE literal past the end of the data", s, 3);
    s = rle;
    s.data = {0x03, 0x01, 0x00, 0x00, 0x03, 0x00};
    variant("RLE without end of bitmap", s, 3);
    s = rle;
    s.data = {0x03, 0x01, 0x00};
    variant("RLE code cut in half", s, 3);
    s = eight;
    s.compression = BI_BITFIELDS;
    variant("bit fields at 8 bits", s, 3);
    s = eight;
    s.depth = 16;
    s.compression = BI_BITFIELDS;
    s.palette.clear();
    s.colourCount = 0;
    s.data = {};
    variant("bit fields without masks", s, 3);
    s = eight;
    s.infoSize = 124;
    variant("a larger header", s, 1);
    Bytes notBmp = MakeBmp(eight);
    notBmp[1] = 'A';
    cases.push_back({"not BM", notBmp, 1});
    Bytes farOffset = MakeBmp(eight);
    farOffset[10] = 0xF0;
    farOffset[11] = 0xFF;
    cases.push_back({"pixel offset beyond the file", farOffset, 3});
    for (const BmpLayout* whole : {&eight, &rle}) {
        const Bytes file = MakeBmp(*whole);
        for (std::size_t n = 18; n < file.size(); ++n) {
            cases.push_back({"shortened", Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)), 3});
        }
    }

    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << ", " << c.file.size() << " bytes");
        EXPECT_EQ(c.code, DecodeDib(c.file, nullptr, nullptr));
        for (bool want8 : {false, true}) {
            ImageBuffer used;
            EXPECT_EQ(c.code, DecodeArgb(c.file, nullptr, want8, &used));
            EXPECT_EQ(0, used.allocations) << "nothing is allocated for a broken file";
        }
    }
}

TEST(BmpImageLoader, ArgumentsAndProgress) {
    BmpImageLoader loader;
    BmpLayout s;
    s.width = 2;
    s.height = 3;
    s.data = Bytes(24, 7);
    const Bytes file = MakeBmp(s);
    const auto size = static_cast<std::uint32_t>(file.size());
    HGLOBAL info = nullptr;
    EXPECT_TRUE(loader.IsSupported(file.data(), 2, nullptr));
    EXPECT_FALSE(loader.IsSupported(file.data(), 1, nullptr));
    EXPECT_TRUE(loader.CanEncode());
    EXPECT_EQ(3, loader.DecodeToBuffers(nullptr, size, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(4, loader.DecodeToBuffers(file.data(), size, &info, nullptr, nullptr, nullptr));
    EXPECT_EQ(4, loader.DecodeWithCallbacks(file.data(), size, nullptr, nullptr, 0, nullptr, nullptr));

    ImageBuffer progress;
    EXPECT_EQ(0, loader.DecodeToBuffers(file.data(), size, nullptr, nullptr, ImageBuffer::Progress, &progress));
    EXPECT_EQ((std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 3}, {3, 3}}), progress.progress);
    EXPECT_EQ(44u + 8 * 3, loader.TotalSize());
    EXPECT_EQ(8, loader.Stride());
    ImageBuffer cancel;
    cancel.cancelAtCall = 1;
    EXPECT_EQ(-1, loader.DecodeWithCallbacks(file.data(), size, ImageBuffer::Allocate, &cancel, 0,
                                             ImageBuffer::Progress, &cancel));
    EXPECT_EQ(0, cancel.allocations);
    EXPECT_EQ(2u, cancel.progress.size());
    ImageBuffer noMemory;
    noMemory.failAllocation = true;
    EXPECT_EQ(6, loader.DecodeWithCallbacks(file.data(), size, ImageBuffer::Allocate, &noMemory, 0,
                                            nullptr, nullptr));
}

// ---- The writer ----

struct Written {
    Bytes file;
    std::int32_t code;
};

TEST(BmpImageLoader, EncodeModesAndRowOrder) {
    // 3 x 2, top-down source rows.
    const Units source = {0x80FF0000, 0x4000FF00, 0x000000FF, 0xFF010203, 0x7F040506, 0x01070809};
    BmpImageLoader writer;
    struct ModeCase {
        const char* name;
        std::int32_t mode;
        std::uint16_t depth;
        std::uint32_t rowSize;
        Units expected;  // decoded back to 32 bits
    };
    const ModeCase modes[] = {
        {"mode 0 drops alpha: 24 bits, rows of width x 3 rounded up", 0, 24, 12,
         {0xFF0000, 0x00FF00, 0x0000FF, 0x010203, 0x040506, 0x070809}},
        {"mode 1 keeps 32 bits", 1, 32, 12, source},
        {"mode 2 writes alpha as grey", 2, 8, 4,
         {0x808080, 0x404040, 0x000000, 0xFFFFFF, 0x7F7F7F, 0x010101}},
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(m.name);
        Bytes file;
        ASSERT_EQ(0, writer.Encode(m.mode, source.data(), 3, 2, 32, 12, AppendToBytes, &file, nullptr, nullptr, nullptr));
        BITMAPINFOHEADER header;
        std::memcpy(&header, file.data() + 14, 40);
        EXPECT_EQ(m.depth, header.biBitCount);
        EXPECT_EQ(2, header.biHeight);
        EXPECT_EQ(m.rowSize * 2, header.biSizeImage);
        const std::uint32_t offBits = file[10] | file[11] << 8;
        EXPECT_EQ(54u + (m.depth == 8 ? 1024u : 0u), offBits);
        EXPECT_EQ(offBits + m.rowSize * 2, file.size());
        Units back;
        ASSERT_EQ(0, DecodeArgb(file, &back));
        if (m.depth == 32) {
            EXPECT_EQ(m.expected, back);
        } else {
            Units opaque;
            for (std::uint32_t p : back) opaque.push_back(p & 0xFFFFFF);
            EXPECT_EQ(m.expected, opaque) << "upright in a bottom-up file";
        }
    }

    // A negative height takes the source bottom-up.
    Bytes upright, flipped;
    const Units bottomUp = {source[3], source[4], source[5], source[0], source[1], source[2]};
    ASSERT_EQ(0, writer.Encode(1, source.data(), 3, 2, 32, 12, AppendToBytes, &upright, nullptr, nullptr, nullptr));
    ASSERT_EQ(0, writer.Encode(1, bottomUp.data(), 3, -2, 32, 12, AppendToBytes, &flipped, nullptr, nullptr, nullptr));
    EXPECT_EQ(upright, flipped);

    // An 8-bit source without a palette gets a grey ramp.
    const Bytes indices = {0, 100, 255};
    Bytes grey;
    ASSERT_EQ(0, writer.Encode(0, indices.data(), 3, 1, 8, 3, AppendToBytes, &grey, nullptr, nullptr, nullptr));
    Units back;
    ASSERT_EQ(0, DecodeArgb(grey, &back));
    EXPECT_EQ((Units{0x000000, 0x646464, 0xFFFFFF}), back);
}

TEST(BmpImageLoader, EncodeRefusesBadArgumentsAndStopsOnCancel) {
    const Units source(12, 0xFF112233);
    BmpImageLoader writer;
    Bytes file;
    EXPECT_EQ(3, writer.Encode(0, nullptr, 3, 2, 32, 12, AppendToBytes, &file, nullptr, nullptr, nullptr));
    EXPECT_EQ(3, writer.Encode(0, source.data(), 3, 2, 16, 12, AppendToBytes, &file, nullptr, nullptr, nullptr));
    EXPECT_EQ(3, writer.Encode(0, source.data(), 3, 2, 7, 12, AppendToBytes, &file, nullptr, nullptr, nullptr));
    EXPECT_EQ(4, writer.Encode(0, source.data(), 3, 2, 32, 12, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(2, writer.Encode(1, source.data(), 3, 2, 24, 12, AppendToBytes, &file, nullptr, nullptr, nullptr));
    EXPECT_EQ(2, writer.Encode(3, source.data(), 3, 2, 32, 12, AppendToBytes, &file, nullptr, nullptr, nullptr));
    EXPECT_EQ(3, writer.Encode(1, source.data(), 3, 2, 32, 8, AppendToBytes, &file, nullptr, nullptr, nullptr))
        << "a stride shorter than a row of pixels";
    EXPECT_EQ(3, writer.Encode(1, source.data(), 0, 2, 32, 12, AppendToBytes, &file, nullptr, nullptr, nullptr));
    EXPECT_EQ(6, writer.Encode(1, source.data(), 0x10000, 0x10000, 32, 0x40000, AppendToBytes, &file, nullptr,
                               nullptr, nullptr));
    EXPECT_TRUE(file.empty()) << "nothing is written for refused arguments";

    ImageBuffer cancel;
    cancel.cancelAtCall = 2;
    EXPECT_EQ(-1, writer.Encode(1, source.data(), 3, 2, 32, 12, AppendToBytes, &file, nullptr,
                                ImageBuffer::Progress, &cancel));
    EXPECT_EQ((std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 2}, {1, 2}, {2, 2}}), cancel.progress);
    EXPECT_EQ(54u + 12, file.size()) << "stopped after the first row";

    const GllWriter full = [](const void*, std::uint32_t count, void*) -> std::uint32_t { return count / 2; };
    EXPECT_EQ(3, writer.Encode(1, source.data(), 3, 2, 32, 12, full, nullptr, nullptr, nullptr, nullptr))
        << "a short write is a failure";
}

}  // namespace

// Damaged copies of every depth and compression, the same on every run: each decode fails
// with a code or gives a picture, and none reads past the data or writes past its output.
TEST(BmpImageLoader, RandomlyDamagedFilesNeverReadOutsideTheirData) {
    std::vector<Bytes> files;
    for (const auto& c : kSamples) files.push_back(testsupport::ReadFile(SamplePath(c.file)));
    BmpLayout rle4;
    rle4.width = 6;
    rle4.height = 2;
    rle4.depth = 4;
    rle4.compression = BI_RLE4;
    rle4.palette = Units(16, 0x102030);
    rle4.data = {0x03, 0x12, 0x00, 0x03, 0x34, 0x50, 0x00, 0x00, 0x01, 0x77, 0x05, 0xAB, 0x00, 0x01};
    files.push_back(MakeBmp(rle4));
    BmpLayout fields;
    fields.width = 3;
    fields.height = 2;
    fields.depth = 16;
    fields.compression = BI_BITFIELDS;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.data = {0x1F, 0x00, 0xE0, 0x07, 0x21, 0x08, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0};
    files.push_back(MakeBmp(fields));
    BmpImageLoader loader;
    std::uint32_t seed = 100;
    for (const Bytes& file : files) {
        ASSERT_GT(file.size(), 54u) << "made by tests/support/make_bmp_samples.sh";
        for (const Bytes& damaged : testsupport::MutatedCopies(file, seed++, 400)) {
            SCOPED_TRACE(testing::Message() << "file " << seed - 100 << ", " << damaged.size() << " bytes");
            testsupport::ExpectDamagedFileHandled(loader, damaged);
        }
    }
}
