#include "framework/images/elg_image_loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tools/content/elg_writer.h"
#include "tests/support/image_buffer.h"

using testsupport::DibPixels;
using testsupport::ElgExtraBlock;
using testsupport::ElgFile;
using testsupport::ElgStream;
using testsupport::ImageBuffer;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint32_t>;

constexpr std::uint16_t kW = 6, kH = 4;

// A picture with runs, repeats and rows like the row above, so the encoder uses many codes.
Units Picture() {
    Units p(kW * kH);
    for (std::uint32_t i = 0; i < p.size(); ++i) p[i] = ((i * 0x9E3779B1u) & 0xFFFFFF) | ((i * 37) & 0xFF) << 24;
    for (std::uint32_t x = 0; x < kW; ++x) p[kW + x] = p[x];
    p[2 * kW + 1] = p[2 * kW + 2] = p[2 * kW + 3] = 0x80123456;
    return p;
}

// An 8-bit picture: indices into a palette whose fourth bytes are not zero.
Units Palette() {
    Units table;
    for (std::uint32_t i = 0; i < 256; ++i) table.push_back(0x11000000 | (i * 0x050301));
    return table;
}
std::vector<std::uint8_t> Indices() {
    std::vector<std::uint8_t> out;
    for (std::uint32_t i = 0; i < kW * kH; ++i) out.push_back(static_cast<std::uint8_t>((i * 7) % 11));
    return out;
}

std::uint8_t Grey(std::uint32_t p) {
    return static_cast<std::uint8_t>((77 * (p >> 16 & 0xFF) + 150 * (p >> 8 & 0xFF) + 29 * (p & 0xFF)) >> 8);
}

Bytes FileOfDepth(std::uint8_t depth) {
    return testsupport::EncodeElgPicture(depth, kW, kH, Picture(), Palette(), Indices());
}

struct Decoded {
    std::int32_t code;
    Units pixels;          // DIB pixels, top row first
    BITMAPINFOHEADER header;
    Units colours;         // the colour table of an 8-bit DIB
};

Decoded DecodeBlocks(ElgImageLoader& loader, const Bytes& file) {
    HGLOBAL info = nullptr, bits = nullptr;
    Decoded d{};
    d.code = loader.DecodeToBuffers(file.data(), static_cast<std::uint32_t>(file.size()), &info,
                                    &bits, nullptr, nullptr);
    if (d.code != 0) {
        EXPECT_EQ(nullptr, info);
        return d;
    }
    const auto* bmi = static_cast<const BITMAPINFO*>(info);
    d.header = bmi->bmiHeader;
    d.pixels = DibPixels(bmi, static_cast<const std::uint8_t*>(bits));
    if (d.header.biBitCount == 8) {
        const auto* table = reinterpret_cast<const std::uint32_t*>(bmi->bmiColors);
        d.colours.assign(table, table + 256);
    }
    GlobalFree(info);
    GlobalFree(bits);
    return d;
}

TEST(ElgImageLoader, EveryDepthDecodesIntoBlocks) {
    const Units picture = Picture();
    ElgImageLoader loader;
    for (std::uint8_t depth : {8, 24, 32}) {
        SCOPED_TRACE(static_cast<int>(depth));
        const Decoded d = DecodeBlocks(loader, FileOfDepth(depth));
        ASSERT_EQ(0, d.code);
        EXPECT_EQ(40u, d.header.biSize);
        EXPECT_EQ(kW, d.header.biWidth);
        EXPECT_EQ(kH, d.header.biHeight) << "bottom-up";
        EXPECT_EQ(1, d.header.biPlanes);
        EXPECT_EQ(depth, d.header.biBitCount);
        const std::uint32_t stride = ((kW * depth / 8) + 3) & ~3u;
        EXPECT_EQ(stride * kH, d.header.biSizeImage);
        EXPECT_EQ(static_cast<std::int32_t>(stride), loader.Stride());
        EXPECT_EQ((depth == 8 ? 1064u : 44u) + stride * kH, loader.TotalSize());
        Units expected;
        for (std::uint32_t i = 0; i < picture.size(); ++i) {
            if (depth == 8) expected.push_back(Indices()[i]);
            if (depth == 24) expected.push_back(picture[i] & 0xFFFFFF);
            if (depth == 32) expected.push_back(picture[i]);
        }
        EXPECT_EQ(expected, d.pixels);
        if (depth == 8) {
            EXPECT_EQ(256u, d.header.biClrUsed);
            EXPECT_EQ(Palette(), d.colours);
        }
    }
}

TEST(ElgImageLoader, EveryDepthDecodesIntoEveryCallbackOutput) {
    const Units picture = Picture();
    const Units palette = Palette();
    const auto indices = Indices();
    ElgImageLoader loader;
    for (std::uint8_t depth : {8, 24, 32}) {
        for (bool want8 : {false, true}) {
            for (std::int32_t extra : {0, 3}) {
                SCOPED_TRACE(testing::Message() << "depth " << int(depth) << " want8 " << want8
                                                << " extra stride " << extra);
                const Bytes file = FileOfDepth(depth);
                ImageBuffer out;
                out.extraStride = want8 ? extra : 0;
                ASSERT_EQ(0, loader.DecodeWithCallbacks(file.data(), static_cast<std::uint32_t>(file.size()),
                                                        ImageBuffer::Allocate, &out, want8,
                                                        ImageBuffer::Progress, &out));
                EXPECT_EQ(1, out.allocations);
                EXPECT_EQ(want8 ? 8 : 32, out.bitsPerPixel);
                EXPECT_EQ(depth == 32 ? 1 : 0, out.hasAlpha);
                EXPECT_EQ(want8 && depth == 8, out.paletteAsked);
                Units expected;
                for (std::uint32_t i = 0; i < picture.size(); ++i) {
                    if (!want8) {
                        if (depth == 8) expected.push_back(palette[indices[i]] & 0xFFFFFF);
                        if (depth == 24) expected.push_back(picture[i] & 0xFFFFFF);
                        if (depth == 32) expected.push_back(picture[i]);
                    } else {
                        expected.push_back(depth == 8 ? indices[i] : Grey(picture[i]));
                    }
                }
                EXPECT_EQ(expected, out.Pixels());
                if (want8 && depth == 8) {
                    EXPECT_EQ(palette, Units(out.palette, out.palette + 256));
                }
                if (want8 && extra) {
                    for (std::int32_t y = 0; y < kH; ++y) EXPECT_EQ(0xCD, out.memory[y * out.stride + kW]);
                }
                const std::vector<std::pair<std::int32_t, std::int32_t>> calls = {{0, kH}, {kH, kH}};
                EXPECT_EQ(calls, out.progress);
            }
        }
    }
}

TEST(ElgImageLoader, OnePixelFileOfTheSmallestForm) {
    const Bytes file = {'E', 'L', 'G', 24, 1, 0, 1, 0, 0x00, 0x10, 0x20, 0x30, 0xFF};
    ElgImageLoader loader;
    EXPECT_TRUE(loader.IsSupported(file.data(), static_cast<std::uint32_t>(file.size()), nullptr));
    const Decoded d = DecodeBlocks(loader, file);
    ASSERT_EQ(0, d.code);
    EXPECT_EQ(Units{0x302010}, d.pixels);
    ImageBuffer out;
    ASSERT_EQ(0, loader.DecodeWithCallbacks(file.data(), static_cast<std::uint32_t>(file.size()),
                                            ImageBuffer::Allocate, &out, 0, nullptr, nullptr));
    EXPECT_EQ(0x00302010u, out.Pixel32(0, 0)) << "alpha 0";
}

TEST(ElgImageLoader, OriginAndExtraDataOfTheExtendedHeaders) {
    const std::vector<ElgExtraBlock> blocks = {{3, {1, 2, 3, 4, 5}}, {9, {0xAA}}};
    const ElgStream pixels = ElgStream::Encode(ElgStream::kPixelCode, Picture(), kW);
    const Bytes withOrigin = ElgFile(24, kW, kH).Origin(-7, 300).Streams({pixels}).Bytes();
    const Bytes withBlocks = ElgFile(24, kW, kH).Origin(5, -6).ExtraBlocks(blocks).Streams({pixels}).Bytes();
    const Bytes emptyList = ElgFile(24, kW, kH).Origin(1, 2).ExtraBlocks({}).Streams({pixels}).Bytes();
    const Bytes plain = ElgFile(24, kW, kH).Streams({pixels}).Bytes();

    ElgImageLoader loader;
    const Decoded reference = DecodeBlocks(loader, plain);
    ASSERT_EQ(0, reference.code);
    EXPECT_EQ(0, loader.OriginX());
    EXPECT_EQ(nullptr, loader.TakeExtraData(0));

    Decoded d = DecodeBlocks(loader, withOrigin);
    ASSERT_EQ(0, d.code);
    EXPECT_EQ(reference.pixels, d.pixels) << "the same image with an origin";
    EXPECT_EQ(-7, loader.OriginX());
    EXPECT_EQ(300, loader.OriginY());
    EXPECT_EQ(0u, loader.ExtraDataSize()) << "only the block-list form carries extra data";

    d = DecodeBlocks(loader, withBlocks);
    ASSERT_EQ(0, d.code);
    EXPECT_EQ(reference.pixels, d.pixels);
    EXPECT_EQ(5, loader.OriginX());
    EXPECT_EQ(-6, loader.OriginY());
    const Bytes expectedExtra = ElgFile::ExtraData(blocks);
    ASSERT_EQ(expectedExtra.size(), loader.ExtraDataSize());
    void* kept = loader.TakeExtraData(0);
    EXPECT_EQ(0, std::memcmp(expectedExtra.data(), kept, expectedExtra.size()));
    void* taken = loader.TakeExtraData(1);
    EXPECT_EQ(kept, taken);
    EXPECT_EQ(nullptr, loader.TakeExtraData(0)) << "the caller owns it now";
    GlobalFree(taken);

    ImageBuffer out;
    ASSERT_EQ(0, loader.DecodeWithCallbacks(withBlocks.data(), static_cast<std::uint32_t>(withBlocks.size()),
                                            ImageBuffer::Allocate, &out, 0, nullptr, nullptr));
    EXPECT_EQ(expectedExtra.size(), loader.ExtraDataSize()) << "the callback path reads them too";

    d = DecodeBlocks(loader, emptyList);
    ASSERT_EQ(0, d.code);
    EXPECT_EQ(reference.pixels, d.pixels);
    EXPECT_EQ(0u, loader.ExtraDataSize()) << "an empty block list gives none";
    EXPECT_EQ(1, loader.OriginX());
}

TEST(ElgImageLoader, ArgumentsAndProgress) {
    ElgImageLoader loader;
    const Bytes file = FileOfDepth(24);
    const auto size = static_cast<std::uint32_t>(file.size());
    HGLOBAL info = nullptr;
    EXPECT_EQ(3, loader.DecodeToBuffers(nullptr, size, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(4, loader.DecodeToBuffers(file.data(), size, &info, nullptr, nullptr, nullptr));
    EXPECT_EQ(3, loader.DecodeWithCallbacks(nullptr, size, ImageBuffer::Allocate, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(4, loader.DecodeWithCallbacks(file.data(), size, nullptr, nullptr, 0, nullptr, nullptr));
    const Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(1, loader.DecodeToBuffers(bmp.data(), 10, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(-2, loader.Encode(0, file.data(), 1, 1, 32, 4, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(loader.CanEncode());

    // With both outs null the blocks stay with the loader.
    ImageBuffer progress;
    EXPECT_EQ(0, loader.DecodeToBuffers(file.data(), size, nullptr, nullptr, ImageBuffer::Progress, &progress));
    const std::vector<std::pair<std::int32_t, std::int32_t>> calls = {{0, kH}, {kH, kH}};
    EXPECT_EQ(calls, progress.progress);

    ImageBuffer cancel;
    cancel.cancelAtCall = 1;
    EXPECT_EQ(-1, loader.DecodeToBuffers(file.data(), size, nullptr, nullptr, ImageBuffer::Progress, &cancel));
    EXPECT_EQ(calls, cancel.progress) << "the last call comes after a failure too";
    cancel.progress.clear();
    EXPECT_EQ(-1, loader.DecodeWithCallbacks(file.data(), size, ImageBuffer::Allocate, &cancel, 0,
                                             ImageBuffer::Progress, &cancel));
    EXPECT_EQ(0, cancel.allocations);

    ImageBuffer noMemory;
    noMemory.failAllocation = true;
    EXPECT_EQ(6, loader.DecodeWithCallbacks(file.data(), size, ImageBuffer::Allocate, &noMemory, 0,
                                            nullptr, nullptr));

    // 32-bit output must lie row after row; a gap between rows is refused, not overrun.
    ImageBuffer gaps;
    gaps.extraStride = 4;
    EXPECT_EQ(4, loader.DecodeWithCallbacks(file.data(), size, ImageBuffer::Allocate, &gaps, 0,
                                            nullptr, nullptr));
    ImageBuffer narrow;
    narrow.extraStride = -1;
    EXPECT_EQ(4, loader.DecodeWithCallbacks(file.data(), size, ImageBuffer::Allocate, &narrow, 1,
                                            nullptr, nullptr));
}

TEST(ElgImageLoader, IsSupportedNeedsTheShortestWholeHeader) {
    ElgImageLoader loader;
    const Bytes file = FileOfDepth(8);
    EXPECT_TRUE(loader.IsSupported(file.data(), 8, nullptr));
    EXPECT_FALSE(loader.IsSupported(file.data(), 7, nullptr));
    EXPECT_FALSE(loader.IsSupported(file.data(), 4, nullptr));
    EXPECT_FALSE(loader.IsSupported(nullptr, 8, nullptr));
    const Bytes other = {'E', 'L', 'F', 24, 1, 0, 1, 0};
    EXPECT_FALSE(loader.IsSupported(other.data(), 8, nullptr));
}

// Every shortened file and a set of damaged ones fail with a code through both paths; the
// loader holds nothing afterwards and reads nothing outside the data.
TEST(ElgImageLoader, TruncatedAndCorruptedFilesFailCleanly) {
    ElgImageLoader loader;
    struct Damaged {
        const char* name;
        Bytes file;
        std::int32_t code;
        // Grey output does not read the alpha stream of a 32-bit picture.
        bool greyDecodes = false;
    };
    std::vector<Damaged> cases;
    for (std::uint8_t depth : {8, 24, 32}) {
        const Bytes whole = testsupport::EncodeElgPicture(depth, kW, kH, Picture(), Palette(), Indices());
        const std::size_t colourEnd = 8 + ElgStream::Encode(ElgStream::kPixelCode, Picture(), kW).Bytes().size();
        for (std::size_t n = 3; n < whole.size(); ++n) {
            cases.push_back({"shortened", Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)), 3,
                             depth == 32 && n >= colourEnd});
        }
        Bytes overlong = whole;
        overlong[4] = kW - 1;  // one pixel fewer per row than the streams hold
        cases.push_back({"streams longer than the picture", overlong, 3});
        Bytes taller = whole;
        taller[6] = kH + 1;
        cases.push_back({"streams shorter than the picture", taller, 3});
    }
    const ElgStream pixels = ElgStream::Encode(ElgStream::kPixelCode, Picture(), kW);
    const Bytes blocks = ElgFile(24, kW, kH).Origin(0, 0).ExtraBlocks({{1, {1, 2, 3}}}).Streams({pixels}).Bytes();
    for (std::size_t n = 13; n < 22; ++n) {
        cases.push_back({"block list cut short", Bytes(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(n)), 3});
    }
    Bytes longBlock = blocks;
    longBlock[14] = 0xF0;
    cases.push_back({"block length beyond the data", longBlock, 3});
    Bytes depth16 = FileOfDepth(24);
    depth16[3] = 16;
    cases.push_back({"depth 16", depth16, 3});
    cases.push_back({"huge picture with a one-pixel stream",
                     {'E', 'L', 'G', 32, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 1, 2, 3, 0xFF, 0x00, 9, 0xFF}, 6});

    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << ", " << c.file.size() << " bytes");
        // The data ends at an unreadable page, so that any read beyond it faults.
        const testsupport::GuardedBytes data(c.file);
        const std::uint8_t* block = data.Data();
        const std::uint32_t size = data.Size();
        HGLOBAL info = nullptr, bits = nullptr;
        EXPECT_EQ(c.code, loader.DecodeToBuffers(block, size, &info, &bits, nullptr, nullptr));
        EXPECT_EQ(nullptr, info);
        EXPECT_EQ(0u, loader.ExtraDataSize());
        for (bool want8 : {false, true}) {
            ImageBuffer out;
            const std::int32_t code = loader.DecodeWithCallbacks(block, size, ImageBuffer::Allocate, &out,
                                                                 want8, nullptr, nullptr);
            EXPECT_EQ(want8 && c.greyDecodes ? 0 : c.code, code);
        }
    }
}

}  // namespace

// A header claiming far more pixels than its streams could produce, even as the longest
// fills, is refused before a buffer of that size is asked for.
TEST(ElgImageLoader, PictureLargerThanItsStreamsCanFillIsRefusedBeforeAllocating) {
    ElgImageLoader loader;
    const ElgStream fill = ElgStream(ElgStream::kPixelCode).Fill(0x123456, 8225, true).End();
    const Bytes fits = ElgFile(24, 8225, 1).Streams({fill}).Bytes();
    ImageBuffer out;
    ASSERT_EQ(0, loader.DecodeWithCallbacks(fits.data(), static_cast<std::uint32_t>(fits.size()),
                                            ImageBuffer::Allocate, &out, 0, nullptr, nullptr));
    EXPECT_EQ(Units(8225, 0x123456), out.Pixels());

    const Bytes huge = ElgFile(24, 20000, 20000).Streams({fill}).Bytes();
    const auto size = static_cast<std::uint32_t>(huge.size());
    for (std::uint8_t want8 : {0, 1}) {
        ImageBuffer refused;
        EXPECT_EQ(3, loader.DecodeWithCallbacks(huge.data(), size, ImageBuffer::Allocate, &refused,
                                                want8, nullptr, nullptr));
        EXPECT_EQ(0, refused.allocations);
    }
    HGLOBAL info = nullptr, bits = nullptr;
    EXPECT_EQ(3, loader.DecodeToBuffers(huge.data(), size, &info, &bits, nullptr, nullptr));
    EXPECT_EQ(nullptr, info);
}

// Damaged copies of every depth and header form, the same on every run: each decode fails with
// a code or gives a picture, and none reads past the data or writes past its output.
TEST(ElgImageLoader, RandomlyDamagedFilesNeverReadOutsideTheirData) {
    std::vector<Bytes> files;
    for (std::uint8_t depth : {8, 24, 32}) files.push_back(FileOfDepth(depth));
    std::vector<std::uint32_t> alpha;
    for (std::uint32_t p : Picture()) alpha.push_back(p >> 24);
    const ElgStream pixels = ElgStream::Encode(ElgStream::kPixelCode, Picture(), kW);
    const ElgStream alphas = ElgStream::Encode(ElgStream::kByteCode, alpha);
    files.push_back(ElgFile(24, kW, kH).Origin(-3, 5).Streams({pixels}).Bytes());
    files.push_back(ElgFile(32, kW, kH).Origin(2, -1).ExtraBlocks({{1, {1, 2, 3}}, {7, {}}})
                        .Streams({pixels, alphas}).Bytes());
    ElgImageLoader loader;
    std::uint32_t seed = 1;
    for (const Bytes& file : files) {
        for (const Bytes& damaged : testsupport::MutatedCopies(file, seed++, 400)) {
            SCOPED_TRACE(testing::Message() << "file " << seed - 1 << ", " << damaged.size() << " bytes");
            testsupport::ExpectDamagedFileHandled(loader, damaged);
        }
    }
}
