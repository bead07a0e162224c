#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/plugins/spi_image_decoder.h"
#include "tests/framework/plugins/spi_test_fixture.h"
#include "tests/support/image_buffer.h"
#include "tests/support/spi_test_content.h"

using testsupport::ImageBuffer;

namespace {

using Bytes = std::vector<std::uint8_t>;

// 3 x 2 pixels 0xRRGGBB, top row first.
const std::vector<std::uint32_t> kRgb = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x010203};

const char* const kImagePlugins[] = {"test_spi_image.SPI", "test_spi_image_fixed.SPI"};

template <class F>
F PluginExport(const char* plugin, const char* name) {
    HMODULE module = GetModuleHandleA(plugin);
    return module ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

class SpiImageDecoderTest : public SpiTestBase {
protected:
    // What the plug-in's IsSupported saw last: its file name and head.
    std::string LastName(Bytes* head) {
        auto last = PluginExport<int (*)(char*, int, std::uint8_t*)>("test_spi_image.SPI", "TestLastIsSupported");
        char name[MAX_PATH] = "";
        head->assign(kSpiHeadSize, 0xEE);
        if (last) last(name, sizeof name, head->data());
        return name;
    }

    int LastProgressResult() {
        auto last = PluginExport<int (*)()>("test_spi_image.SPI", "TestLastProgressResult");
        return last ? last() : -100;
    }

    // A picture of black pixels at any bit count.
    static Bytes Picture(std::int32_t width, std::int32_t height, std::uint16_t bitCount) {
        const std::size_t pixels = bitCount == 24 ? static_cast<std::size_t>(width) * height : 0;
        return spitest::MakeSpiPicture(width, height, std::vector<std::uint32_t>(pixels), bitCount);
    }

    std::int32_t DecodeKept(const Bytes& file) {
        return ImageAdapter()->DecodeToBuffers(file.data(), static_cast<std::uint32_t>(file.size()), nullptr,
                                               nullptr, nullptr, nullptr);
    }
};

TEST_F(SpiImageDecoderTest, PicturesDecodeThroughTheHostWithExactPixels) {
    for (const char* plugin : kImagePlugins) {
        SCOPED_TRACE(plugin);
        ASSERT_EQ(0, LoadPlugin(plugin));
        ASSERT_TRUE(testsupport::WriteFile(Game("pic.tsp"), spitest::MakeSpiPicture(3, 2, kRgb)));
        ASSERT_TRUE(testsupport::WriteFile(Game("pic.bin"), spitest::MakeSpiPicture(3, 2, kRgb)));
        for (const char* name : {"pic.tsp", "PIC.BIN"}) {
            ImageBuffer out;
            ASSERT_EQ(0, m_images.DecodeByName(name, ImageBuffer::Allocate, ImageBuffer::Release, &out, false,
                                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))
                << name;
            ASSERT_EQ(3, out.width);
            ASSERT_EQ(2, out.height);
            for (std::int32_t i = 0; i < 6; ++i) {
                EXPECT_EQ(kRgb[i], out.Pixel32(i % 3, i / 3) & 0xFFFFFF) << name << " pixel " << i;
            }
        }
        m_images.Unload(kSpiImageType);
    }
}

TEST_F(SpiImageDecoderTest, BlocksAreHandedOutFixedWhateverKindThePluginMade) {
    const Bytes file = spitest::MakeSpiPicture(3, 2, kRgb);
    for (const char* plugin : kImagePlugins) {
        SCOPED_TRACE(plugin);
        ASSERT_EQ(0, LoadPlugin(plugin));
        HGLOBAL info = nullptr;
        HGLOBAL bits = nullptr;
        ASSERT_EQ(0, ImageAdapter()->DecodeToBuffers(file.data(), static_cast<std::uint32_t>(file.size()), &info,
                                                     &bits, nullptr, nullptr));
        ASSERT_NE(nullptr, info);
        ASSERT_NE(nullptr, bits);
        EXPECT_EQ(info, GlobalHandle(info));
        EXPECT_EQ(bits, GlobalHandle(bits));
        EXPECT_EQ(kRgb, testsupport::DibPixels(static_cast<const BITMAPINFO*>(info),
                                               static_cast<const std::uint8_t*>(bits)));
        EXPECT_EQ(12, ImageAdapter()->Stride());
        EXPECT_EQ(GlobalSize(info) + GlobalSize(bits), ImageAdapter()->TotalSize());
        EXPECT_EQ(nullptr, GlobalFree(info));
        EXPECT_EQ(nullptr, GlobalFree(bits));
        m_images.Unload(kSpiImageType);
    }
}

TEST_F(SpiImageDecoderTest, IsSupportedGetsAtLeast2048BytesAndANameAlways) {
    ASSERT_EQ(0, LoadPlugin("test_spi_image.SPI"));
    SpiImageDecoder* adapter = ImageAdapter();
    Bytes hundred = spitest::MakeSpiPicture(3, 2, kRgb);
    hundred.resize(100, 0x77);
    // The plug-in reads 2048 bytes: past a 100-byte file it would fault on the guard page.
    const testsupport::GuardedBytes guarded(hundred);
    EXPECT_TRUE(adapter->IsSupported(guarded.Data(), guarded.Size(), "pic.tsp"));
    Bytes head;
    EXPECT_EQ("pic.tsp", LastName(&head));
    EXPECT_TRUE(std::equal(hundred.begin(), hundred.end(), head.begin()));
    EXPECT_EQ(Bytes(kSpiHeadSize - 100, 0), Bytes(head.begin() + 100, head.end()));

    Bytes large(3000, 0x5A);
    std::memcpy(large.data(), "TSPI", 4);
    EXPECT_TRUE(adapter->IsSupported(large.data(), static_cast<std::uint32_t>(large.size()), nullptr));
    EXPECT_EQ("", LastName(&head)) << "a null name arrives as an empty one";
    EXPECT_EQ(Bytes(large.begin(), large.begin() + kSpiHeadSize), head);

    EXPECT_FALSE(adapter->IsSupported(nullptr, 0, "empty"));
    LastName(&head);
    EXPECT_EQ(Bytes(kSpiHeadSize, 0), head);
}

TEST_F(SpiImageDecoderTest, RowStrideFollowsTheBitCount) {
    ASSERT_EQ(0, LoadPlugin("test_spi_image.SPI"));
    const std::uint16_t bitCounts[] = {1, 2, 4, 5, 8, 12, 15, 16, 17, 24, 31, 32};
    struct Row {
        std::int32_t width;
        std::int32_t strides[12];
    };
    const Row rows[] = {
        {1, {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}},
        {3, {4, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12}},
        {33, {8, 12, 20, 24, 36, 52, 64, 68, 68, 100, 100, 132}},
    };
    for (const Row& row : rows) {
        for (int k = 0; k < 12; ++k) {
            const Bytes file = Picture(row.width, 3, bitCounts[k]);
            ASSERT_EQ(0, DecodeKept(file)) << row.width << " x " << bitCounts[k];
            EXPECT_EQ(row.strides[k], ImageAdapter()->Stride()) << row.width << " x " << bitCounts[k];
        }
    }
    // Every bit count from 1 to 32 at odd widths fits the rows the plug-in made.
    for (std::uint16_t bits = 1; bits <= 32; ++bits) {
        for (std::int32_t width : {1, 3, 5, 7, 9, 33}) {
            EXPECT_EQ(0, DecodeKept(Picture(width, 2, bits))) << width << " x " << bits;
        }
    }
}

TEST_F(SpiImageDecoderTest, FailuresAndMissingDataGiveTheirCodes) {
    ASSERT_EQ(0, LoadPlugin("test_spi_image.SPI"));
    SpiImageDecoder* adapter = ImageAdapter();
    const Bytes good = spitest::MakeSpiPicture(3, 2, kRgb);
    EXPECT_EQ(1, DecodeKept(spitest::MakeSpiPicture(3, 2, kRgb, 24, spitest::kPictureFails)));
    EXPECT_EQ(1, DecodeKept(Bytes(64, 'x'))) << "not the plug-in's format";
    EXPECT_EQ(4, adapter->DecodeToBuffers(nullptr, 100, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(4, adapter->DecodeToBuffers(good.data(), 0, nullptr, nullptr, nullptr, nullptr));
    HGLOBAL info = nullptr;
    EXPECT_EQ(4, adapter->DecodeToBuffers(good.data(), static_cast<std::uint32_t>(good.size()), &info, nullptr,
                                          nullptr, nullptr))
        << "one out without the other";
    EXPECT_EQ(-2, adapter->DecodeWithCallbacks(good.data(), static_cast<std::uint32_t>(good.size()),
                                               ImageBuffer::Allocate, nullptr, 0, nullptr, nullptr));
    EXPECT_FALSE(adapter->CanEncode());
}

TEST_F(SpiImageDecoderTest, ProgressReachesTheHostFunctionAndIsZeroWithoutOne) {
    ASSERT_EQ(0, LoadPlugin("test_spi_image.SPI"));
    const Bytes file = spitest::MakeSpiPicture(3, 2, kRgb);
    ImageBuffer progress;
    progress.cancelAtCall = 2;
    ASSERT_EQ(0, ImageAdapter()->DecodeToBuffers(file.data(), static_cast<std::uint32_t>(file.size()), nullptr,
                                                 nullptr, ImageBuffer::Progress, &progress));
    EXPECT_EQ((std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 2}, {2, 2}}), progress.progress);
    EXPECT_EQ(1, LastProgressResult()) << "the host function's answer goes back to the plug-in";
    ASSERT_EQ(0, DecodeKept(file));
    EXPECT_EQ(0, LastProgressResult());
}

TEST_F(SpiImageDecoderTest, BlocksThatDoNotHoldThePictureAreRefused) {
    ASSERT_EQ(0, LoadPlugin("test_spi_image.SPI"));
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"bits block one byte short", spitest::MakeSpiPicture(3, 2, kRgb, 24, spitest::kPictureShortBits)},
        {"stride beyond 31 bits", spitest::MakeSpiPicture(0x7FFFFFFF, 1, {}, 32, spitest::kPictureHeaderOnly)},
        // 0x20000001 x 8 bits wraps to 8 in 32-bit arithmetic, which 4 bytes would seem to hold.
        {"width x bits past 32 bits", spitest::MakeSpiPicture(0x20000001, 1, {}, 8, spitest::kPictureHeaderOnly)},
        {"rows beyond the block", spitest::MakeSpiPicture(1, 100000, {}, 32, spitest::kPictureHeaderOnly)},
    };
    for (const Case& c : cases) {
        HGLOBAL info = nullptr;
        HGLOBAL bits = nullptr;
        EXPECT_EQ(1, ImageAdapter()->DecodeToBuffers(c.file.data(), static_cast<std::uint32_t>(c.file.size()),
                                                     &info, &bits, nullptr, nullptr))
            << c.what;
        EXPECT_EQ(nullptr, info) << c.what;
        EXPECT_EQ(nullptr, bits) << c.what;
    }
    m_images.Unload(kSpiImageType);

    ASSERT_EQ(0, LoadPlugin("test_spi_image_short_info.SPI"));
    EXPECT_EQ(1, DecodeKept(spitest::MakeSpiPicture(3, 2, kRgb))) << "info block shorter than its header";
    m_images.Unload(kSpiImageType);
}

TEST_F(SpiImageDecoderTest, DamagedPicturesFailCleanlyOrDecodeConsistently) {
    ASSERT_EQ(0, LoadPlugin("test_spi_image.SPI"));
    const Bytes file = spitest::MakeSpiPicture(3, 2, kRgb);
    for (const Bytes& damaged : testsupport::MutatedCopies(file, 0x5B1, 200)) {
        const testsupport::GuardedBytes data(damaged);
        HGLOBAL info = nullptr;
        HGLOBAL bits = nullptr;
        if (ImageAdapter()->DecodeToBuffers(data.Data(), data.Size(), &info, &bits, nullptr, nullptr) != 0) {
            EXPECT_EQ(nullptr, info);
            EXPECT_EQ(nullptr, bits);
            continue;
        }
        const auto* header = static_cast<const BITMAPINFOHEADER*>(info);
        ASSERT_GE(GlobalSize(info), sizeof(BITMAPINFOHEADER));
        const std::uint64_t rows = header->biHeight < 0 ? -static_cast<std::int64_t>(header->biHeight) : header->biHeight;
        EXPECT_LE(static_cast<std::uint64_t>(ImageAdapter()->Stride()) * rows, GlobalSize(bits));
        GlobalFree(info);
        GlobalFree(bits);
        // The host's own checks take the blocks from here.
        ReleaseObject(m_images.DecodeFromMemory(data.Data(), data.Size(), ImageAdapter(), "damaged.tsp"));
    }
}

}  // namespace
