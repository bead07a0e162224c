// Files into images through the framework's image-loader host (ELG, BMP and the test GLL
// loader) on a game folder and a QPK archive, with the host's cache off and on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/images/bmp_image_loader.h"
#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "graphics/image/image.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/dib_writer.h"
#include "tools/content/elg_writer.h"
#include "tests/support/image_buffer.h"
#include "tools/content/qpk_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint32_t>;

std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// A picture of w x h pixels whose colour bytes code the position; alpha as given.
Units Picture(std::int32_t w, std::int32_t h, std::uint32_t alpha) {
    Units out;
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            out.push_back((alpha << 24) | (static_cast<std::uint32_t>(y * 16 + x) << 8) |
                          static_cast<std::uint32_t>(0x40 + x));
    return out;
}

// The 8-bit form: indices and a palette whose reserved bytes are 0.
Units GreenPalette() {
    Units palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = (i << 8) | (255 - i);
    return palette;
}
std::vector<std::uint8_t> Indices(std::int32_t w, std::int32_t h) {
    std::vector<std::uint8_t> out;
    for (std::int32_t i = 0; i < w * h; ++i) out.push_back(static_cast<std::uint8_t>(i * 3 + 1));
    return out;
}

Bytes ElgOf(std::uint8_t depth, std::int32_t w, std::int32_t h) {
    if (depth == 8)
        return testsupport::EncodeElgPicture(8, static_cast<std::uint16_t>(w),
                                             static_cast<std::uint16_t>(h), {}, GreenPalette(),
                                             Indices(w, h));
    return testsupport::EncodeElgPicture(depth, static_cast<std::uint16_t>(w),
                                         static_cast<std::uint16_t>(h),
                                         Picture(w, h, depth == 32 ? 0x9A : 0));
}

// The pixels a 32-bit image must hold after loading ElgOf(depth, w, h).
Units Loaded32(std::uint8_t depth, std::int32_t w, std::int32_t h) {
    if (depth != 8) return Picture(w, h, depth == 32 ? 0x9A : 0);
    Units out;
    const Units palette = GreenPalette();
    for (std::uint8_t i : Indices(w, h)) out.push_back(palette[i]);
    return out;
}

Units PixelsOf(Image& image) {
    Units out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) out.push_back(image.GetPixel(x, y));
    return out;
}

bool OnlyDirtyRect(const Image& image, RECT expected) {
    const DirtyRegion* region = image.GetDirtyRegion();
    if (!region || region->Count() != 1) return false;
    const RectNode* n = region->Head();
    return n->left == expected.left && n->top == expected.top && n->right == expected.right &&
           n->bottom == expected.bottom;
}

// An 8-bit BMP file whose header leaves the colour count 0: a full table of 256 entries.
Units FilePalette() {
    Units palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = (i << 16) | (((i * 7) & 0xFF) << 8) | (255 - i);
    return palette;
}
Bytes BmpWithoutColourCount(std::int32_t w, std::int32_t h) {
    testsupport::DibLayout layout;
    layout.width = w;
    layout.palette = FilePalette();
    for (std::int32_t y = 0; y < h; ++y) {
        layout.rows.emplace_back();
        for (std::int32_t x = 0; x < w; ++x)
            layout.rows.back().push_back(static_cast<std::uint32_t>((y * w + x) * 37 + 5) & 0xFF);
    }
    testsupport::Dib dib(layout);
    dib.MutableInfo()->bmiHeader.biClrUsed = 0;
    const std::uint32_t infoSize = sizeof(BITMAPINFOHEADER) + 256 * 4;
    const std::uint32_t bitsSize = static_cast<std::uint32_t>(dib.Pitch() * h);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + infoSize;
    file.bfSize = file.bfOffBits + bitsSize;
    Bytes out(reinterpret_cast<const std::uint8_t*>(&file),
              reinterpret_cast<const std::uint8_t*>(&file) + sizeof(file));
    const auto* info = reinterpret_cast<const std::uint8_t*>(dib.Info());
    out.insert(out.end(), info, info + infoSize);
    out.insert(out.end(), dib.Bits(), dib.Bits() + bitsSize);
    return out;
}

// Every loading case runs in the four kernel and library configurations.
class ImageLoadTest : public VfsTestBase,
                      public ::testing::WithParamInterface<testsupport::PixelConfig> {
protected:
    void SetUp() override {
        // First: the configuration finds the library beside the program, then the game folder
        // becomes the base directory.
        m_scope = std::make_unique<testsupport::PixelConfigScope>(GetParam());
        ASSERT_TRUE(m_scope->Ready());
        VfsTestBase::SetUp();
        ASSERT_EQ(0, m_host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions,
                                            ElgImageLoader::kTypeString, 1, nullptr, nullptr,
                                            nullptr));
        ASSERT_EQ(0, m_host.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions,
                                            BmpImageLoader::kTypeString, 2, nullptr, nullptr,
                                            nullptr));
        ASSERT_EQ(0, m_host.LoadPlugin((ProgramFolder() + "test_image.GLL").c_str()));
        g_imageLoaderHost = &m_host;
    }
    void TearDown() override {
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
        VfsTestBase::TearDown();
        m_scope.reset();
    }
    void Cache(bool on) { m_host.SetCacheLimit(on ? 16 : 0); }

    ImageLoaderHost m_host;
    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
};

TEST_P(ImageLoadTest, ElgPicturesOfEveryDepthFromFoldersAndArchives) {
    const std::vector<testsupport::ElgExtraBlock> blocks = {{0x41, {1, 2, 3}}};
    const Bytes withOrigin = testsupport::ElgFile(24, 2, 1)
                                 .Origin(5, -3)
                                 .ExtraBlocks(blocks)
                                 .Streams({testsupport::ElgStream::Encode(
                                     testsupport::ElgStream::kPixelCode, {0x102030, 0x405060}, 2)})
                                 .Bytes();
    testsupport::QpkWriter archive;
    for (std::uint8_t depth : {8, 24, 32}) {
        const Bytes file = ElgOf(depth, 5, 3);
        const std::string name = "cg\\d" + std::to_string(depth) + ".elg";
        ASSERT_TRUE(testsupport::WriteFile(Game(name), file));
        archive.Add("pack\\d" + std::to_string(depth) + ".elg", file);
    }
    archive.Add("pack\\origin.elg", withOrigin);
    archive.Write(Game("DATA.QPK"));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 0, false, true, nullptr));

    for (bool cache : {false, true}) {
        Cache(cache);
        for (const char* folder : {"cg\\d", "pack\\d"}) {
            for (std::uint8_t depth : {8, 24, 32}) {
                const std::string name = folder + std::to_string(depth) + ".elg";
                // Loaded twice: with the cache on the second load is a hit.
                for (int round = 0; round < 2; ++round) {
                    Image image;
                    ASSERT_EQ(0, image.Load(name.c_str(), nullptr, 0, kImageDirtyRegion))
                        << name << (cache ? " cached" : "");
                    EXPECT_EQ(Loaded32(depth, 5, 3), PixelsOf(image)) << name;
                    EXPECT_EQ(depth == 32, image.HasAlpha()) << name;
                    EXPECT_TRUE(OnlyDirtyRect(image, RECT{0, 0, 5, 3}));
                    EXPECT_TRUE(image.Modified());
                }
            }
        }
        EXPECT_EQ(cache ? 6u : 0u, m_host.Cache().Count());

        Image image;
        ASSERT_EQ(0, image.Load("pack\\origin.elg", nullptr, 0, 0));
        EXPECT_EQ(5, image.OriginX());
        EXPECT_EQ(-3, image.OriginY());
        const Bytes extra = testsupport::ElgFile::ExtraData(blocks);
        ASSERT_EQ(static_cast<std::int32_t>(extra.size()), image.ExtraDataSize());
        EXPECT_EQ(0, std::memcmp(extra.data(), image.ExtraData(), extra.size()));
    }
}

TEST_P(ImageLoadTest, ACacheHitShowsTheCachedPicture) {
    Cache(true);
    ASSERT_TRUE(testsupport::WriteFile(Game("hit.elg"), ElgOf(24, 4, 2)));
    Image first, second;
    ASSERT_EQ(0, first.Load("hit.elg", nullptr, 0, 0));
    ASSERT_TRUE(testsupport::WriteFile(Game("hit.elg"), ElgOf(32, 4, 2)));
    ASSERT_EQ(0, second.Load("hit.elg", nullptr, 0, 0));
    EXPECT_EQ(PixelsOf(first), PixelsOf(second));
    EXPECT_FALSE(second.HasAlpha());
}

TEST_P(ImageLoadTest, IndexedLoadsKeepThePalette) {
    ASSERT_TRUE(testsupport::WriteFile(Game("i.elg"), ElgOf(8, 6, 2)));
    for (bool cache : {false, true}) {
        Cache(cache);
        Image image;
        ASSERT_EQ(0, image.LoadIndexed("i.elg", nullptr, 0, kImageDibSection)) << cache;
        ASSERT_EQ(8, image.Depth());
        ASSERT_NE(nullptr, image.Palette());
        const Units palette = GreenPalette();
        const auto indices = Indices(6, 2);
        for (std::int32_t i = 0; i < 12; ++i) {
            EXPECT_EQ(indices[i], image.GetPixel(i % 6, i / 6)) << cache;
            EXPECT_EQ(palette[indices[i]], image.Palette()[indices[i]] & 0x00FFFFFFu) << cache;
        }
    }
}

TEST_P(ImageLoadTest, LoadsFromMemoryAndThroughPlugins) {
    const Bytes file = ElgOf(32, 3, 3);
    Image image;
    ASSERT_EQ(0, image.Load(nullptr, file.data(), static_cast<std::int32_t>(file.size()), 0));
    EXPECT_EQ(Loaded32(32, 3, 3), PixelsOf(image));
    // The test plug-in's format: TIMG, size, origin, extra data, pixels.
    Bytes timg = {'T', 'I', 'M', 'G', 2, 0, 1, 0, 7, 0, 0xFE, 0xFF, 2, 0, 0, 0, 0xAB, 0xCD};
    for (std::uint32_t p : {0x11223344u, 0x55667788u})
        for (int i = 0; i < 4; ++i) timg.push_back(static_cast<std::uint8_t>(p >> (8 * i)));
    for (bool cache : {false, true}) {
        Cache(cache);
        ASSERT_TRUE(testsupport::WriteFile(Game("p.tim"), timg));
        Image fromPlugin;
        ASSERT_EQ(0, fromPlugin.Load("p.tim", nullptr, 0, 0)) << cache;
        EXPECT_EQ((Units{0x11223344u, 0x55667788u}), PixelsOf(fromPlugin));
        EXPECT_EQ(7, fromPlugin.OriginX());
        EXPECT_EQ(-2, fromPlugin.OriginY());
        ASSERT_EQ(2, fromPlugin.ExtraDataSize());
        EXPECT_EQ(0xAB, static_cast<const std::uint8_t*>(fromPlugin.ExtraData())[0]);
    }
}

TEST_P(ImageLoadTest, FailuresLeaveTheImageAsItWas) {
    Image image;
    ASSERT_EQ(0, image.Create(4, 4, 32, 0));
    image.FillValue(0x01020304u, nullptr);
    Cache(true);
    EXPECT_EQ(4, image.Load("missing.elg", nullptr, 0, 0));
    EXPECT_EQ(2, image.Decode("missing.elg", nullptr, 0, 0, 0, false));
    Cache(false);
    EXPECT_NE(0, image.Load("missing.elg", nullptr, 0, 0));
    EXPECT_EQ(2, image.Decode(nullptr, nullptr, 0, 0, 0, false));
    g_imageLoaderHost = nullptr;
    EXPECT_EQ(1, image.Load("x.elg", nullptr, 0, 0));
    EXPECT_EQ(3, image.Decode("x.elg", nullptr, 0, 0, 0, false));
    EXPECT_EQ(1, image.SaveFile("x.bmp", 0, 0));
    g_imageLoaderHost = &m_host;
    EXPECT_EQ(4, image.Width());
    EXPECT_EQ(0x01020304u, image.GetPixel(3, 3));
    Image empty;
    EXPECT_EQ(-4, empty.SaveFile("x.bmp", 0, 0));
    EXPECT_EQ(1, empty.Decode("x.elg", nullptr, 0, 0, 0, false));
}

TEST_P(ImageLoadTest, DecodeDrawsIntoThePictureItHas) {
    const Bytes wide = ElgOf(32, 100, 100);
    ASSERT_TRUE(testsupport::WriteFile(Game("big.elg"), wide));
    const Units picture = Loaded32(32, 100, 100);
    for (bool cache : {false, true}) {
        Cache(cache);
        Image image;
        ASSERT_EQ(0, image.Create(100, 100, 32, kImageDirtyRegion));
        image.FillValue(0x0F0F0F0Fu, nullptr);
        image.GetDirtyRegion()->Clear();
        ASSERT_EQ(0, image.Decode("big.elg", nullptr, 0, -50, -50, false)) << cache;
        EXPECT_TRUE(OnlyDirtyRect(image, RECT{0, 0, 50, 50}));
        for (std::int32_t y = 0; y < 100; y += 7) {
            for (std::int32_t x = 0; x < 100; x += 7) {
                const std::uint32_t expected =
                    x < 50 && y < 50 ? picture[(y + 50) * 100 + x + 50] : 0x0F0F0F0Fu;
                ASSERT_EQ(expected, image.GetPixel(x, y)) << x << ", " << y;
            }
        }
        EXPECT_EQ(-1, image.Decode("big.elg", nullptr, 0, 200, 0, false));
        // At (1, 0) the direct path does not fit: the loader draws it, and it is cached.
        ASSERT_EQ(0, image.Decode("big.elg", nullptr, 0, 1, 0, false));
        EXPECT_EQ(picture[0], image.GetPixel(1, 0));
        EXPECT_EQ(picture[98], image.GetPixel(99, 0));
        EXPECT_EQ(cache ? 1u : 0u, m_host.Cache().Count());
    }
}

TEST_P(ImageLoadTest, TheDirectElgPathWritesOnlyThePicturesRows) {
    const Bytes shorter = ElgOf(24, 6, 2);
    for (std::uint8_t depth : {32, 8}) {
        Image image;
        ASSERT_EQ(0, image.Create(6, 5, depth, kImageDirtyRegion));
        if (depth == 8) image.SetPalette(nullptr, 0, 0);
        image.FillRect(9, 9, 9, nullptr);
        image.GetDirtyRegion()->Clear();
        ASSERT_EQ(0, image.Decode(nullptr, shorter.data(), static_cast<std::int32_t>(shorter.size()),
                                  0, 0, false));
        EXPECT_TRUE(OnlyDirtyRect(image, RECT{0, 0, 6, 2}));
        const Units picture = Loaded32(24, 6, 2);
        for (std::int32_t x = 0; x < 6; ++x) {
            const std::uint32_t p = picture[6 + x];
            const std::uint32_t grey =
                (77 * ((p >> 16) & 0xFF) + 150 * ((p >> 8) & 0xFF) + 29 * (p & 0xFF)) >> 8;
            EXPECT_EQ(depth == 32 ? p : grey, image.GetPixel(x, 1));
            EXPECT_EQ(depth == 32 ? 0x00090909u : 9u, image.GetPixel(x, 2));
        }
    }
    // 8-bit pictures into 8-bit images: the palette only with keepPalette.
    const Bytes indexed = ElgOf(8, 6, 2);
    for (bool keep : {false, true}) {
        Image image;
        ASSERT_EQ(0, image.Create(6, 2, 8, kImageDibSection));
        image.SetPalette(nullptr, 0, 0);
        ASSERT_EQ(0, image.Decode(nullptr, indexed.data(), static_cast<std::int32_t>(indexed.size()),
                                  0, 0, keep));
        EXPECT_EQ(keep ? GreenPalette()[4] : 0x00040404u, image.Palette()[4] & 0x00FFFFFFu);
        EXPECT_EQ(Indices(6, 2)[7], image.GetPixel(1, 1));
    }
}

TEST_P(ImageLoadTest, BrokenElgStreamsAnswerFiveAndStayInTheImage) {
    const Bytes file = ElgOf(32, 8, 8);
    const auto copies = testsupport::MutatedCopies(file, 29, 300);
    int broken = 0;
    for (const Bytes& copy : copies) {
        testsupport::GuardedBytes guarded(copy);
        for (std::uint8_t depth : {32, 8}) {
            Image image;
            ASSERT_EQ(0, image.Create(8, 8, depth, 0));
            const std::int32_t r = image.Decode(nullptr, guarded.Data(),
                                                static_cast<std::int32_t>(guarded.Size()), 0, 0, true);
            EXPECT_TRUE(r == 0 || r == 3 || r == 5 || r == -1 || (r == 2 && copy.empty())) << r;
            broken += r == 5;
            EXPECT_EQ(8, image.Width());
            EXPECT_EQ(depth, image.Depth());
        }
    }
    EXPECT_GT(broken, 0);
    // A cut stream: what was decoded stays and is marked.
    Bytes cut(file.begin(), file.end() - 12);
    Image image;
    ASSERT_EQ(0, image.Create(8, 8, 32, kImageDirtyRegion));
    EXPECT_EQ(5, image.Decode(nullptr, cut.data(), static_cast<std::int32_t>(cut.size()), 0, 0, false));
    EXPECT_TRUE(OnlyDirtyRect(image, RECT{0, 0, 8, 8}));
}

TEST_P(ImageLoadTest, SavedBitmapsLoadBackUnchanged) {
    Image image;
    ASSERT_EQ(0, image.Create(5, 3, 32, 0));
    for (std::int32_t i = 0; i < 15; ++i)
        image.SetPixel(i % 5, i / 5, 0x80000000u | static_cast<std::uint32_t>(i * 0x010305));
    ASSERT_EQ(0, image.SaveFile(Game("out.bmp").c_str(), 0, 0));
    Image back;
    ASSERT_EQ(0, back.Load("out.bmp", nullptr, 0, 0));
    // The bitmap keeps the colours; its alpha is the BMP loader's business.
    for (std::int32_t i = 0; i < 15; ++i)
        EXPECT_EQ(image.GetPixel(i % 5, i / 5) & 0x00FFFFFFu, back.GetPixel(i % 5, i / 5) & 0x00FFFFFFu);

    Image indexed;
    ASSERT_EQ(0, indexed.Create(5, 3, 8, 0));
    const Units palette = GreenPalette();
    indexed.SetPalette(palette.data(), 256, 0);
    for (std::int32_t i = 0; i < 15; ++i) indexed.SetPixel(i % 5, i / 5, static_cast<std::uint32_t>(i * 11));
    ASSERT_EQ(0, indexed.SaveFile(Game("out8.bmp").c_str(), 0, 0));
    for (bool cache : {false, true}) {
        Cache(cache);
        Image again;
        ASSERT_EQ(0, again.LoadIndexed("out8.bmp", nullptr, 0, 0));
        EXPECT_EQ(PixelsOf(indexed), PixelsOf(again));
        ASSERT_NE(nullptr, again.Palette());
        EXPECT_EQ(palette[44], again.Palette()[44] & 0x00FFFFFFu);
    }
}

TEST_P(ImageLoadTest, AColourCountOfZeroBringsTheWholeColourTable) {
    const Bytes file = BmpWithoutColourCount(6, 2);
    const Units palette = FilePalette();
    Image decoded;
    ASSERT_EQ(0, decoded.Create(6, 2, 8, kImageDibSection | kImageDirtyRegion));
    decoded.SetPalette(nullptr, 0, 0);
    ASSERT_EQ(0, decoded.Decode(nullptr, file.data(), static_cast<std::int32_t>(file.size()), 0, 0,
                                true));
    ASSERT_TRUE(testsupport::WriteFile(Game("full.bmp"), file));
    Image loaded;
    ASSERT_EQ(0, loaded.LoadIndexed("full.bmp", nullptr, 0, 0));
    for (Image* image : {&decoded, &loaded}) {
        const char* what = image == &decoded ? "Decode" : "LoadIndexed";
        ASSERT_NE(nullptr, image->Palette()) << what;
        for (std::uint32_t i : {0u, 1u, 100u, 200u, 255u})
            EXPECT_EQ(palette[i], image->Palette()[i] & 0x00FFFFFFu) << what << ", entry " << i;
        for (std::int32_t k = 0; k < 12; ++k)
            EXPECT_EQ(static_cast<std::uint32_t>(k * 37 + 5) & 0xFF, image->GetPixel(k % 6, k / 6))
                << what;
    }
    EXPECT_TRUE(OnlyDirtyRect(decoded, RECT{0, 0, 6, 2}));
}

INSTANTIATE_TEST_SUITE_P(Configurations, ImageLoadTest,
                         ::testing::ValuesIn(testsupport::kPixelConfigs),
                         testsupport::PixelConfigTestName);

}  // namespace
