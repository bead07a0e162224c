#include "framework/images/image_loader_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/images/bmp_image_loader.h"
#include "framework/images/elg_image_loader.h"
#include "framework/interfaces/deleting_destructor.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tools/content/elg_writer.h"
#include "tests/support/encoder_output.h"
#include "tests/support/image_buffer.h"

using testsupport::ImageBuffer;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint32_t>;

constexpr std::int32_t kTestPluginType = 0x7E57;
constexpr std::int32_t kElgType = 1;
constexpr std::int32_t kBmpType = 2;

std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// A 3 x 2 picture and its files in three formats.
const Units kPicture = {0xFF102030, 0x80405060, 0x00708090, 0x11A0B0C0, 0x22D0E0F0, 0x33010203};

Bytes ElgFile() { return testsupport::EncodeElgPicture(32, 3, 2, kPicture); }

Bytes BmpFile() {
    Bytes file;
    BmpImageLoader writer;
    EXPECT_EQ(0, writer.Encode(1, kPicture.data(), 3, 2, 32, 12, testsupport::AppendToBytes, &file, nullptr, nullptr, nullptr));
    return file;
}

// The test plug-in's format: "TIMG", size, origin, extra data, pixels.
Bytes TimgFile(std::int16_t originX, std::int16_t originY, const Bytes& extra) {
    Bytes file = {'T', 'I', 'M', 'G', 3, 0, 2, 0,
                  static_cast<std::uint8_t>(originX), static_cast<std::uint8_t>(originX >> 8),
                  static_cast<std::uint8_t>(originY), static_cast<std::uint8_t>(originY >> 8),
                  static_cast<std::uint8_t>(extra.size()), 0, 0, 0};
    for (std::uint8_t byte : extra) file.push_back(byte);
    for (std::uint32_t p : kPicture) {
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(p >> (8 * i)));
    }
    return file;
}

class ImageLoaderHostTest : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        m_elg = new ElgImageLoader;
        m_bmp = new BmpImageLoader;
        ASSERT_EQ(0, m_host.RegisterBuiltin(m_elg, ElgImageLoader::kExtensions, ElgImageLoader::kTypeString,
                                            kElgType, nullptr, nullptr, nullptr));
        ASSERT_EQ(0, m_host.RegisterBuiltin(m_bmp, BmpImageLoader::kExtensions, BmpImageLoader::kTypeString,
                                            kBmpType, nullptr, nullptr, nullptr));
    }

    void LoadTestPlugin() {
        ASSERT_EQ(0, m_host.LoadPlugin((ProgramFolder() + "test_image.GLL").c_str()));
    }

    // Decodes `name` through DecodeByName into 32-bit pixels.
    std::int32_t DecodeByName(const char* name, Units* pixels, bool want8 = false) {
        ImageBuffer out;
        const std::int32_t code = m_host.DecodeByName(name, ImageBuffer::Allocate, ImageBuffer::Release, &out,
                                                      want8, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                      nullptr);
        if (code == 0) *pixels = out.Pixels();
        return code;
    }

    ImageLoaderHost m_host;
    ElgImageLoader* m_elg = nullptr;
    BmpImageLoader* m_bmp = nullptr;
};

TEST_F(ImageLoaderHostTest, FindsLoadersByExtensionContentAndType) {
    LoadTestPlugin();
    ImageLoadObject* plugin = m_host.FindByType(kTestPluginType);
    ASSERT_NE(nullptr, plugin);
    struct ExtensionCase {
        const char* path;
        bool mustEncode;
        ImageLoadObject* expected;
    };
    const ExtensionCase byExtension[] = {
        {"cg\\bg01.elg", false, m_elg},
        {"C:\\GAME\\CG\\BG01.ELG", false, m_elg},
        {"title.Bmp", false, m_bmp},
        {"title.bmp", true, m_bmp},
        {"bg01.elg", true, nullptr},
        {"face.tim", false, plugin},
        {"face.timg", true, plugin},
        {"face.ti", false, nullptr},
        {"noextension", false, nullptr},
        {"dir.elg\\file", false, nullptr},
    };
    for (const auto& c : byExtension) {
        EXPECT_EQ(c.expected, m_host.FindByExtension(c.path, c.mustEncode)) << c.path;
    }
    const Bytes elg = ElgFile(), bmp = BmpFile(), timg = TimgFile(0, 0, {});
    EXPECT_EQ(m_elg, m_host.FindByContent(elg.data(), static_cast<std::uint32_t>(elg.size()), nullptr));
    EXPECT_EQ(m_bmp, m_host.FindByContent(bmp.data(), static_cast<std::uint32_t>(bmp.size()), nullptr));
    EXPECT_EQ(plugin, m_host.FindByContent(timg.data(), static_cast<std::uint32_t>(timg.size()), "x.elg"));
    const Bytes png = {0x89, 'P', 'N', 'G', 0, 0, 0, 0};
    EXPECT_EQ(nullptr, m_host.FindByContent(png.data(), 8, nullptr));
    EXPECT_EQ(m_bmp, m_host.FindByType(kBmpType));
    EXPECT_EQ(nullptr, m_host.FindByType(99));
}

TEST_F(ImageLoaderHostTest, PluginsLoadWithTheirExportsAndUnload) {
    LoadTestPlugin();
    const auto& records = m_host.Records();
    ASSERT_EQ(3u, records.size());
    const ImageLoaderRecord& record = records.back();
    EXPECT_EQ(kTestPluginType, record.type);
    EXPECT_EQ("Test image format", record.typeString);
    EXPECT_EQ((std::vector<std::string>{"TIM", "TIMG"}), record.extensions);
    EXPECT_NE(nullptr, record.library);
    EXPECT_NE(nullptr, record.assist);
    EXPECT_NE(nullptr, record.assist2);
    ASSERT_NE(nullptr, record.configDlg);
    EXPECT_EQ(8, record.configDlg(nullptr, 7)) << "the optional export is kept";
    EXPECT_EQ((std::vector<std::string>{"ELG"}), records[0].extensions);
    EXPECT_EQ("Bitmap format", records[1].typeString);

    m_host.Unload(kTestPluginType);
    EXPECT_EQ(2u, m_host.Records().size());
    EXPECT_EQ(nullptr, GetModuleHandleA((ProgramFolder() + "test_image.GLL").c_str()))
        << "the library is freed with its loader";

    EXPECT_EQ(3, m_host.LoadPlugin((ProgramFolder() + "test_image_no_assist2.GLL").c_str()));
    EXPECT_EQ(4, m_host.LoadPlugin((ProgramFolder() + "test_image_null_loader.GLL").c_str()));
    EXPECT_EQ(2, m_host.LoadPlugin((ProgramFolder() + "missing.GLL").c_str()));
    EXPECT_EQ(1, m_host.LoadPlugin(nullptr));
    EXPECT_EQ(2u, m_host.Records().size()) << "failures leave nothing loaded";
    for (const char* failed : {"test_image_no_assist2.GLL", "test_image_null_loader.GLL"}) {
        EXPECT_EQ(nullptr, GetModuleHandleA((ProgramFolder() + failed).c_str())) << failed;
    }
    EXPECT_EQ(1, m_host.RegisterBuiltin(nullptr, "X\0", "x", 5, nullptr, nullptr, nullptr));
}

TEST_F(ImageLoaderHostTest, ScanFolderCountsThePluginsThatFail) {
    const std::string plugins = Game("plugin\\");
    ASSERT_TRUE(CreateDirectoryA(plugins.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "test_image.GLL").c_str(), (plugins + "GOOD.GLL").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "test_image_no_assist2.GLL").c_str(),
                          (plugins + "NOASSIST.GLL").c_str(), FALSE));
    ASSERT_TRUE(testsupport::WriteFile(plugins + "README.TXT", std::string("not a plug-in")));
    EXPECT_EQ(1, m_host.ScanFolder("plugin"));
    EXPECT_NE(nullptr, m_host.FindByType(kTestPluginType));
    EXPECT_EQ(3u, m_host.Records().size());
    EXPECT_EQ(0, m_host.ScanFolder("empty"));
    m_host.UnloadAll();
    EXPECT_TRUE(m_host.Records().empty());
}

TEST_F(ImageLoaderHostTest, DecodesFromMemoryByContentIntoEveryOutput) {
    LoadTestPlugin();
    const Bytes extra = {9, 8, 7};
    struct Source {
        const char* name;
        Bytes file;
        Units argb;
        std::int32_t originX, originY;
        Bytes extra;
    };
    Units opaque;
    for (std::uint32_t p : kPicture) opaque.push_back(p);
    const Source sources[] = {
        {"ELG", ElgFile(), kPicture, 0, 0, {}},
        {"BMP", BmpFile(), kPicture, 0, 0, {}},
        {"plug-in format through the buffer path", TimgFile(-5, 12, extra), kPicture, -5, 12, extra},
    };
    for (const auto& s : sources) {
        SCOPED_TRACE(s.name);
        for (bool want8 : {false, true}) {
            ImageBuffer out;
            std::int32_t x = 99, y = 99;
            void* extraOut = nullptr;
            std::uint32_t extraSize = 0;
            ASSERT_EQ(0, m_host.DecodeWithCallbacks(s.file.data(), static_cast<std::uint32_t>(s.file.size()),
                                                    ImageBuffer::Allocate, ImageBuffer::Release, &out, want8,
                                                    nullptr, nullptr, nullptr, &x, &y, &extraOut, &extraSize));
            Units expected;
            for (std::uint32_t p : s.argb) {
                expected.push_back(want8 ? (77 * (p >> 16 & 0xFF) + 150 * (p >> 8 & 0xFF) + 29 * (p & 0xFF)) >> 8 : p);
            }
            EXPECT_EQ(expected, out.Pixels());
            EXPECT_EQ(1, out.hasAlpha);
            EXPECT_EQ(0, out.releases);
            EXPECT_EQ(s.originX, x);
            EXPECT_EQ(s.originY, y);
            ASSERT_EQ(s.extra.size(), extraSize);
            if (extraSize) {
                EXPECT_EQ(0, std::memcmp(s.extra.data(), extraOut, extraSize));
                GlobalFree(extraOut);
            }
        }
        DecodedImage* image = m_host.DecodeFromMemory(s.file.data(), static_cast<std::uint32_t>(s.file.size()),
                                                      nullptr, nullptr);
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(3, image->Width());
        EXPECT_EQ(2, image->Height());
        EXPECT_EQ(32, image->BitCount());
        EXPECT_EQ(s.originX, image->OriginX());
        EXPECT_EQ(s.extra.size(), image->ExtraDataSize());
        EXPECT_EQ(s.argb, testsupport::DibPixels(image->Info(), image->Bits()));
        ReleaseObject(image);
    }

    const Bytes unknown = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    ImageBuffer out;
    EXPECT_EQ(1, m_host.DecodeWithCallbacks(unknown.data(), 8, ImageBuffer::Allocate, ImageBuffer::Release,
                                            &out, false, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr));
    EXPECT_EQ(nullptr, m_host.DecodeFromMemory(unknown.data(), 8, nullptr, nullptr));

    // A failed decode after the allocation has called release.
    Bytes broken = ElgFile();
    broken.resize(broken.size() - 2);
    EXPECT_EQ(1, m_host.DecodeWithCallbacks(broken.data(), static_cast<std::uint32_t>(broken.size()),
                                            ImageBuffer::Allocate, ImageBuffer::Release, &out, false, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, out.allocations);
    EXPECT_EQ(1, out.releases);
    ImageBuffer noMemory;
    noMemory.failAllocation = true;
    const Bytes timg = TimgFile(0, 0, {});
    EXPECT_EQ(1, m_host.DecodeWithCallbacks(timg.data(), static_cast<std::uint32_t>(timg.size()),
                                            ImageBuffer::Allocate, ImageBuffer::Release, &noMemory, false,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, noMemory.releases);
}

TEST_F(ImageLoaderHostTest, DecodesFilesByNameThroughTheFileSystem) {
    LoadTestPlugin();
    ASSERT_TRUE(testsupport::WriteFile(Game("cg\\pic.elg"), ElgFile()));
    ASSERT_TRUE(testsupport::WriteFile(Game("cg\\pic.bmp"), BmpFile()));
    ASSERT_TRUE(testsupport::WriteFile(Game("cg\\pic.tim"), TimgFile(0, 0, {})));
    ASSERT_TRUE(testsupport::WriteFile(Game("cg\\misnamed.elg"), BmpFile()));
    ASSERT_TRUE(testsupport::WriteFile(Game("cg\\noise.elg"), std::string("ELG noise, not a picture")));
    testsupport::QpkWriter archive;
    archive.Add("cg\\packed.elg", ElgFile());
    archive.Write(Game("DATA.QPK"));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 0, false, true, nullptr));

    for (const char* name : {"cg\\pic.elg", "CG/PIC.BMP", "cg\\pic.tim", "cg\\misnamed.elg", "cg\\packed.elg"}) {
        Units pixels;
        ASSERT_EQ(0, DecodeByName(name, &pixels)) << name;
        EXPECT_EQ(kPicture, pixels) << name;
    }
    Units pixels;
    EXPECT_EQ(-3, DecodeByName("cg\\missing.elg", &pixels));
    EXPECT_EQ(1, DecodeByName("cg\\noise.elg", &pixels));
}

TEST_F(ImageLoaderHostTest, CacheReturnsTheSamePictureUntilEvicted) {
    LoadTestPlugin();
    ASSERT_TRUE(testsupport::WriteFile(Game("cg\\pic.elg"), ElgFile()));
    ASSERT_TRUE(testsupport::WriteFile(Game("cg\\face.tim"), TimgFile(2, 3, {1, 2})));

    // The cache is off until a limit is set: every decode is a new picture.
    DecodedImage* first = m_host.DecodeByNameCached("cg\\pic.elg");
    DecodedImage* second = m_host.DecodeByNameCached("cg\\pic.elg");
    ASSERT_NE(nullptr, first);
    EXPECT_NE(first, second);
    ReleaseObject(first);
    ReleaseObject(second);
    EXPECT_EQ(1, m_host.Preload("cg\\pic.elg"));

    m_host.SetCacheLimit(4);
    first = m_host.DecodeByNameCached("cg\\pic.elg");
    second = m_host.DecodeByNameCached("CG\\PIC.ELG");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second) << "names differing in case are one entry";
    EXPECT_EQ(kPicture, testsupport::DibPixels(first->Info(), first->Bits()));
    ReleaseObject(first);
    ReleaseObject(second);
    EXPECT_EQ(1u, m_host.Cache().Count());
    EXPECT_EQ(nullptr, m_host.DecodeByNameCached("cg\\missing.elg"));

    EXPECT_EQ(0, m_host.Preload("cg\\face.tim"));
    EXPECT_EQ(2, m_host.Preload("cg\\missing.tim"));
    DecodedImage* face = m_host.CacheLookup(Game("cg\\face.tim").c_str());
    ASSERT_NE(nullptr, face) << "cached under the resolved path";
    EXPECT_EQ(2, face->OriginX());
    EXPECT_EQ(2u, face->ExtraDataSize());
    ReleaseObject(face);

    // Decoding with callbacks and a cache name caches the picture and hands out a copy of
    // its extra data.
    const Bytes timg = TimgFile(0, 0, {5, 6, 7});
    ImageBuffer out;
    void* extra = nullptr;
    std::uint32_t extraSize = 0;
    ASSERT_EQ(0, m_host.DecodeWithCallbacks(timg.data(), static_cast<std::uint32_t>(timg.size()),
                                            ImageBuffer::Allocate, ImageBuffer::Release, &out, false, nullptr,
                                            nullptr, "Memory.TIM", nullptr, nullptr, &extra, &extraSize));
    ASSERT_EQ(3u, extraSize);
    DecodedImage* memory = m_host.CacheLookup("memory.tim");
    ASSERT_NE(nullptr, memory);
    EXPECT_NE(extra, memory->TakeExtraData(false));
    EXPECT_EQ(0, std::memcmp(extra, memory->TakeExtraData(false), 3));
    GlobalFree(extra);
    ReleaseObject(memory);
    EXPECT_EQ(3u, m_host.Cache().Count());

    // Limit 0 releases every cached picture; later decodes are not cached.
    m_host.SetCacheLimit(0);
    EXPECT_EQ(0u, m_host.Cache().Count());
    EXPECT_EQ(0u, m_host.Cache().TotalBytes());
    first = m_host.DecodeByNameCached("cg\\pic.elg");
    second = m_host.DecodeByNameCached("cg\\pic.elg");
    EXPECT_NE(first, second);
    ReleaseObject(first);
    ReleaseObject(second);
}

// A file system that records the names it is asked to resolve and to load.
class RecordingFileSystem : public VirtualFileSystem {
public:
    std::int32_t LocateFile(char* outPath, const char* name, WIN32_FIND_DATAA* outData) override {
        located.push_back(name);
        return VirtualFileSystem::LocateFile(outPath, name, outData);
    }
    std::int32_t LoadFile(const char* name, ArchiveAllocator allocator, ArchiveReleaser release,
                          void* argument, char* outPath) override {
        loaded.push_back(name);
        return VirtualFileSystem::LoadFile(name, allocator, release, argument, outPath);
    }
    std::vector<std::string> located;
    std::vector<std::string> loaded;
};

TEST_F(ImageLoaderHostTest, CachedDecodeLoadsThePathItFoundWithoutResolvingTheNameAgain) {
    ASSERT_TRUE(testsupport::WriteFile(Game("cg\\pic.elg"), ElgFile()));
    RecordingFileSystem files;
    g_virtualFileSystem = &files;
    m_host.SetCacheLimit(4);
    DecodedImage* image = m_host.DecodeByNameCached("cg\\pic.elg");
    g_virtualFileSystem = &m_vfs;
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(kPicture, testsupport::DibPixels(image->Info(), image->Bits()));
    ReleaseObject(image);
    EXPECT_EQ(std::vector<std::string>{"cg\\pic.elg"}, files.located);
    EXPECT_EQ(std::vector<std::string>{Game("cg\\pic.elg")}, files.loaded)
        << "the located path is loaded, not the name resolved a second time";
}

TEST_F(ImageLoaderHostTest, EncodesThroughTheLoaderOfTheTypeOrExtension) {
    LoadTestPlugin();
    EXPECT_EQ(0, m_host.Encode("saved.bmp", 1, kPicture.data(), 3, 2, 32, 12, nullptr, 0, nullptr, nullptr));
    Units pixels;
    ASSERT_EQ(0, DecodeByName("saved.bmp", &pixels));
    EXPECT_EQ(kPicture, pixels);

    EXPECT_EQ(0, m_host.Encode("saved.dat", 0, kPicture.data(), 3, 2, 32, 12, nullptr, kTestPluginType,
                               nullptr, nullptr));
    EXPECT_EQ(TimgFile(0, 0, {}), testsupport::ReadFile(Game("saved.dat")));

    EXPECT_EQ(1, m_host.Encode("saved.elg", 0, kPicture.data(), 3, 2, 32, 12, nullptr, 0, nullptr, nullptr))
        << "the ELG loader does not encode";
    EXPECT_EQ(1, m_host.Encode("saved.bmp", 0, kPicture.data(), 3, 2, 32, 12, nullptr, 99, nullptr, nullptr));
    EXPECT_EQ(-3, m_host.Encode("no\\such\\folder\\x.bmp", 0, kPicture.data(), 3, 2, 32, 12, nullptr, 0,
                                nullptr, nullptr));
    EXPECT_EQ(2, m_host.Encode("failed.bmp", 1, kPicture.data(), 3, 2, 24, 9, nullptr, 0, nullptr, nullptr));
    EXPECT_FALSE(testsupport::FileExists(Game("failed.bmp"))) << "a failed encode leaves no file";
}

// A built-in loader without a callback decode whose every picture is a 1-bit one of the given
// size, its bits left as the allocation found them.
class OneBitLoader final : public WithDeletingDestructor<OneBitLoader, ImageLoadObject> {
public:
    OneBitLoader(std::int32_t width, std::int32_t height) : m_width(width), m_height(height) {}
    bool XM_METHOD IsSupported(const void*, std::uint32_t, const char*) override { return true; }
    std::int32_t XM_METHOD DecodeWithCallbacks(const void*, std::uint32_t, GllAllocator, void*,
                                               std::uint8_t, GllProgress, void*) override {
        return kGllNotOffered;
    }
    std::int32_t XM_METHOD DecodeToBuffers(const void*, std::uint32_t, HGLOBAL* outInfo,
                                           HGLOBAL* outBits, GllProgress, void*) override {
        const std::uint32_t stride = ((static_cast<std::uint32_t>(m_width) + 31) / 32) * 4;
        *outInfo = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 48);
        *outBits = GlobalAlloc(GMEM_FIXED, stride * static_cast<std::uint32_t>(m_height));
        if (!*outInfo || !*outBits) return kGllOutOfMemory;
        auto* header = static_cast<BITMAPINFOHEADER*>(*outInfo);
        header->biSize = 40;
        header->biWidth = m_width;
        header->biHeight = m_height;
        header->biPlanes = 1;
        header->biBitCount = 1;
        header->biClrUsed = 2;
        return 0;
    }
    std::int32_t XM_METHOD Encode(std::int32_t, const void*, std::int32_t, std::int32_t, std::int32_t,
                                  std::int32_t, GllWriter, void*, const std::uint32_t*, GllProgress,
                                  void*) override {
        return kGllNotOffered;
    }

private:
    std::int32_t m_width;
    std::int32_t m_height;
};

// A picture whose 32-bit pixels would take more than 2 GB, though its own 1-bit blocks take
// 64 MB, is refused before the allocator is asked for a size its arithmetic cannot hold; its
// 8-bit pixels fit and are asked for.
TEST(ImageLoaderHost, BufferPathRefusesPicturesTooLargeForTheAllocator) {
    ImageLoaderHost host;
    ASSERT_EQ(0, host.RegisterBuiltin(new OneBitLoader(32768, 16385), "ONE\0", "one bit", 9,
                                      nullptr, nullptr, nullptr));
    const std::uint8_t data[4] = {};
    ImageBuffer out;
    out.failAllocation = true;
    EXPECT_EQ(1, host.DecodeWithCallbacks(data, 4, ImageBuffer::Allocate, ImageBuffer::Release, &out,
                                          false, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr));
    EXPECT_EQ(0, out.allocations);
    EXPECT_EQ(1, out.releases);

    ImageBuffer eight;
    eight.failAllocation = true;
    EXPECT_EQ(1, host.DecodeWithCallbacks(data, 4, ImageBuffer::Allocate, ImageBuffer::Release, &eight,
                                          true, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr));
    EXPECT_EQ(1, eight.allocations);
    EXPECT_EQ(16385, eight.height);
}

// ---- The cache on its own ----

// A picture whose two blocks together take about `bytes` bytes.
DecodedImage* PictureOfSize(std::uint32_t bytes) {
    HGLOBAL info = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 40);
    auto* header = static_cast<BITMAPINFOHEADER*>(info);
    header->biSize = 40;
    header->biWidth = 1;
    header->biHeight = static_cast<LONG>((bytes - 40) / 4);
    header->biPlanes = 1;
    header->biBitCount = 32;
    HGLOBAL bits = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes - 40);
    return DecodedImage::Create(info, bits);
}

TEST(ImageCache, EvictsTheLeastRecentlyUsedBeyondItsLimit) {
    ImageCache cache;
    DecodedImage* a = PictureOfSize(1000);
    DecodedImage* b = PictureOfSize(1000);
    DecodedImage* c = PictureOfSize(1000);
    DecodedImage* d = PictureOfSize(1000);
    const std::uint32_t size = a->TotalSize();
    ASSERT_GE(size, 1000u);
    EXPECT_EQ(2, cache.Insert(a, "a")) << "off until a limit is set";
    cache.SetLimit(3 * size);
    EXPECT_EQ(0, cache.Insert(a, "a"));
    EXPECT_EQ(0, cache.Insert(b, "b"));
    EXPECT_EQ(0, cache.Insert(c, "c"));
    EXPECT_EQ(-1, cache.Insert(d, "A")) << "a present key keeps its first picture";
    DecodedImage* hit = cache.Lookup("a");
    EXPECT_EQ(a, hit);
    ReleaseObject(hit);
    EXPECT_EQ(0, cache.Insert(d, "d"));
    EXPECT_EQ(nullptr, cache.Lookup("b")) << "the least recently used goes first";
    EXPECT_EQ(3u, cache.Count());
    EXPECT_EQ(3ull * size, cache.TotalBytes());
    cache.SetLimit(size);
    EXPECT_EQ(1u, cache.Count());
    hit = cache.Lookup("d");
    EXPECT_EQ(d, hit) << "a lower limit evicts from the back";
    ReleaseObject(hit);
    EXPECT_EQ(1, cache.Insert(nullptr, "x"));
    EXPECT_EQ(1, cache.Insert(a, nullptr));
    for (DecodedImage* image : {a, b, c, d}) ReleaseObject(image);
}

TEST(ImageCache, APictureLargerThanTheLimitStaysAloneUntilTheNextInsertion) {
    ImageCache cache;
    DecodedImage* small1 = PictureOfSize(1000);
    DecodedImage* small2 = PictureOfSize(1000);
    DecodedImage* large = PictureOfSize(4000);
    cache.SetLimit(3000);
    cache.Insert(small1, "s1");
    cache.Insert(large, "large");
    EXPECT_EQ(1u, cache.Count());
    DecodedImage* hit = cache.Lookup("large");
    EXPECT_EQ(large, hit);
    ReleaseObject(hit);
    cache.Insert(small2, "s2");
    EXPECT_EQ(nullptr, cache.Lookup("large"));
    EXPECT_EQ(1u, cache.Count());
    for (DecodedImage* image : {small1, small2, large}) ReleaseObject(image);
}

TEST(ImageCache, ChainedBucketsKeepEveryKey) {
    ImageCache cache;
    cache.SetLimit(1 << 30);
    std::vector<DecodedImage*> images;
    for (int i = 0; i < 200; ++i) {
        images.push_back(PictureOfSize(100));
        ASSERT_EQ(0, cache.Insert(images.back(), ("cg\\bg" + std::to_string(i) + ".elg").c_str()));
    }
    for (int i = 0; i < 200; i += 7) {
        DecodedImage* hit = cache.Lookup(("CG\\BG" + std::to_string(i) + ".ELG").c_str());
        EXPECT_EQ(images[static_cast<std::size_t>(i)], hit) << i;
        ReleaseObject(hit);
    }
    cache.SetLimit(100 * images[0]->TotalSize());
    EXPECT_EQ(100u, cache.Count());
    DecodedImage* newest = cache.Lookup("cg\\bg199.elg");
    EXPECT_EQ(images.back(), newest);
    ReleaseObject(newest);
    for (DecodedImage* image : images) ReleaseObject(image);
}

TEST(ImageCache, NameHashTakesBytesAsSigned) {
    EXPECT_EQ(0xFFFFFFFFu, NameHash(""));
    EXPECT_EQ(0xCA2E9442u, NameHash("a"));
    EXPECT_EQ(0xF8EA5483u, NameHash("c:\\game\\bg01.elg"));
    EXPECT_EQ(0x7CDA3A06u, NameHash("\x83\x65\x83\x58\x83\x67"));
}

TEST(ImageLoaderHost, AutomaticCacheLimitFollowsTheMemory) {
    constexpr std::uint64_t MB = 1024 * 1024;
    struct LimitCase {
        std::int32_t megabytes;
        std::uint64_t ram;
        std::uint64_t limit;
    };
    const LimitCase cases[] = {
        {-1, 96 * MB, 0},         {-1, 96 * MB + 1, 10 * MB}, {-1, 128 * MB, 10 * MB},
        {-1, 129 * MB, 20 * MB},  {-1, 192 * MB, 20 * MB},    {-1, 256 * MB, 30 * MB},
        {-1, 257 * MB, 64 * MB},  {-1, 512 * MB, 64 * MB},    {-1, 2048 * MB, 80 * MB},
        {0, 2048 * MB, 0},        {100, 2048 * MB, 100 * MB}, {100, 128 * MB, 64 * MB},
        {0x7FFFFFFF, 4096 * MB, 2048 * MB},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.limit, ImageLoaderHost::ChooseCacheLimit(c.megabytes, c.ram))
            << c.megabytes << " MB with " << c.ram / MB << " MB of memory";
    }
}

}  // namespace

namespace {

// Blocks from a plug-in are checked before anything reads them through their header.
TEST(DecodedImage, RefusesBlocksThatDoNotHoldWhatTheHeaderSays) {
    struct BlockCase {
        const char* name;
        std::int32_t width, height;
        std::uint16_t depth;
        std::uint32_t compression, colours, infoSize, bitsSize, headerSize;
        bool accepted;
    };
    const BlockCase cases[] = {
        {"32 bits, exact", 3, 2, 32, BI_RGB, 0, 40, 24, 40, true},
        {"top-down 24 bits with padded rows", 3, -2, 24, BI_RGB, 0, 40, 24, 40, true},
        {"8 bits with a short table", 3, 2, 8, BI_RGB, 4, 56, 8, 40, true},
        {"bits block one row short", 3, 2, 32, BI_RGB, 0, 40, 12, 40, false},
        {"row padding missing", 3, 2, 24, BI_RGB, 0, 40, 18, 40, false},
        {"colour table beyond the info block", 3, 2, 8, BI_RGB, 256, 40 + 255 * 4, 8, 40, false},
        {"more colours than 8 bits index", 3, 2, 8, BI_RGB, 300, 40 + 300 * 4, 8, 40, false},
        {"compressed bits", 3, 2, 8, BI_RLE8, 0, 40 + 1024, 8, 40, false},
        {"a larger header", 3, 2, 32, BI_RGB, 0, 124, 24, 124, false},
        {"no width", 0, 2, 32, BI_RGB, 0, 40, 24, 40, false},
        {"depth 12", 3, 2, 12, BI_RGB, 0, 40, 24, 40, false},
    };
    for (const auto& c : cases) {
        HGLOBAL info = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, c.infoSize);
        auto* header = static_cast<BITMAPINFOHEADER*>(info);
        header->biSize = c.headerSize;
        header->biWidth = c.width;
        header->biHeight = c.height;
        header->biPlanes = 1;
        header->biBitCount = c.depth;
        header->biCompression = c.compression;
        header->biClrUsed = c.colours;
        HGLOBAL bits = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, c.bitsSize);
        DecodedImage* image = DecodedImage::Create(info, bits);
        EXPECT_EQ(c.accepted, image != nullptr) << c.name;
        if (image) {
            EXPECT_EQ(2, image->Height()) << c.name;
            EXPECT_EQ(c.infoSize + c.bitsSize, image->TotalSize()) << c.name;
        }
        ReleaseObject(image);
    }
}

}  // namespace
