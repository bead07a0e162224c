#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/files/virtual_file_system.h"
#include "framework/plugins/spi_plugin_loader.h"
#include "tests/framework/plugins/spi_test_fixture.h"

namespace {

class SpiPluginLoaderTest : public SpiTestBase {};

struct LoadCase {
    const char* what;
    const char* plugin;
    std::uint8_t archiveAllowed;
    std::uint8_t imageAllowed;
    std::int32_t code;
};

TEST_F(SpiPluginLoaderTest, LoadCodesLeaveTheHostsAsTheyWereOnFailure) {
    const LoadCase cases[] = {
        {"no GetPluginInfo", "test_spi_image_no_info.SPI", 1, 1, 3},
        {"an API version of no known kind", "test_spi_image_unknown_api.SPI", 1, 1, 4},
        {"an image plug-in where images are not allowed", "test_spi_image.SPI", 1, 0, -1},
        {"an archive plug-in where archives are not allowed", "test_spi_archive.SPI", 0, 1, -1},
        {"an image plug-in without GetPicture", "test_spi_image_no_picture.SPI", 1, 1, 5},
        {"a missing file", "test_spi_missing.SPI", 1, 1, 2},
    };
    const std::size_t formats = m_vfs.Formats().size();
    for (const LoadCase& c : cases) {
        EXPECT_EQ(c.code, SpiLoadPlugin(plugintest::BinaryFile(c.plugin).c_str(), c.archiveAllowed,
                                        c.imageAllowed))
            << c.what;
        EXPECT_FALSE(plugintest::IsModuleLoaded(c.plugin)) << c.what << ": the DLL is unloaded again";
        EXPECT_TRUE(m_images.Records().empty()) << c.what;
        EXPECT_EQ(formats, m_vfs.Formats().size()) << c.what;
    }
    ASSERT_TRUE(testsupport::WriteFile(Game("broken.SPI"), std::string("MZ not a DLL")));
    EXPECT_EQ(2, SpiLoadPlugin("broken.SPI", 1, 1)) << "a relative path resolves in the game folder";
    EXPECT_EQ(1, SpiLoadPlugin(nullptr, 1, 1)) << "a path that does not resolve";
    EXPECT_EQ(1, SpiLoadPlugin(std::string(300, 'x').c_str(), 1, 1));
}

TEST_F(SpiPluginLoaderTest, AnImagePluginBecomesALoaderOfType5UntilItsTypeIsUnloaded) {
    ASSERT_EQ(0, LoadPlugin("test_spi_image.SPI"));
    ASSERT_EQ(1u, m_images.Records().size());
    const ImageLoaderRecord& record = m_images.Records()[0];
    EXPECT_EQ(kSpiImageType, record.type);
    EXPECT_EQ("Test SPI picture", record.typeString);
    EXPECT_EQ((std::vector<std::string>{"TSP", "TSQ"}), record.extensions);
    EXPECT_EQ(nullptr, record.library) << "the adapter, not the host, holds the library";
    ASSERT_NE(nullptr, record.configDlg);
    EXPECT_EQ(8, record.configDlg(nullptr, 7)) << "the plug-in's dialog, called the host's way";
    EXPECT_TRUE(plugintest::IsModuleLoaded("test_spi_image.SPI"));
    m_images.Unload(kSpiImageType);
    EXPECT_TRUE(m_images.Records().empty());
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_spi_image.SPI"));
}

TEST_F(SpiPluginLoaderTest, AnArchivePluginBecomesAFormatOfType3UntilItsTypeIsUnloaded) {
    const std::size_t before = m_vfs.Formats().size();
    ASSERT_EQ(0, LoadPlugin("test_spi_archive.SPI"));
    const std::vector<ArchiveFormatRecord> formats = m_vfs.Formats();
    ASSERT_EQ(before + 1, formats.size());
    const ArchiveFormatRecord& record = formats.back();
    EXPECT_EQ(kSpiArchiveType, record.type);
    EXPECT_STREQ("Test SPI archive", record.typeString);
    EXPECT_EQ(std::vector<std::string>{"TSA"}, record.extensions);
    EXPECT_EQ(nullptr, record.library);
    ASSERT_NE(nullptr, record.configDlg);
    EXPECT_EQ(9, record.configDlg(nullptr, 7));
    EXPECT_EQ(SpiSetOption, m_vfs.FindAdlAssistFunc2(kSpiArchiveType));
    m_vfs.UnloadAdlByType(kSpiArchiveType);
    EXPECT_EQ(before, m_vfs.Formats().size());
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_spi_archive.SPI"));
}

TEST_F(SpiPluginLoaderTest, WithoutItsHostAPluginDoesNotLoad) {
    g_imageLoaderHost = nullptr;
    EXPECT_EQ(5, LoadPlugin("test_spi_image.SPI"));
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_spi_image.SPI"));
    g_virtualFileSystem = nullptr;
    EXPECT_EQ(5, LoadPlugin("test_spi_archive.SPI"));
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_spi_archive.SPI"));
}

// A file system that refuses every format, deleting the decoder as the real one does when it
// cannot keep it.
class RefusingFileSystem : public VirtualFileSystem {
public:
    std::int32_t RegisterBuiltinDecoder(ArchiveDecoder* decoder, const char*, const char*,
                                        std::int32_t, AdlAssistFunc, AdlAssistFunc2,
                                        AdlConfigDlgFunc) override {
        DeleteDecoder(decoder);
        ++refused;
        return 2;
    }
    int refused = 0;
};

TEST_F(SpiPluginLoaderTest, AHostThatRefusesTheAdapterHasDeletedItAndTheLibraryIsFreedOnce) {
    RefusingFileSystem refusing;
    g_virtualFileSystem = &refusing;
    EXPECT_EQ(5, LoadPlugin("test_spi_archive.SPI"));
    EXPECT_EQ(1, refusing.refused);
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_spi_archive.SPI"));
    // Had the library been freed twice, the reference that the test takes here would be gone.
    HMODULE held = LoadLibraryA(plugintest::BinaryFile("test_spi_archive.SPI").c_str());
    ASSERT_NE(nullptr, held);
    EXPECT_EQ(5, LoadPlugin("test_spi_archive.SPI"));
    EXPECT_TRUE(plugintest::IsModuleLoaded("test_spi_archive.SPI"));
    FreeLibrary(held);
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_spi_archive.SPI"));
}

TEST_F(SpiPluginLoaderTest, ScanLoadsEverySpiOfTheFolderAndCountsTheFailures) {
    testsupport::TempFolder plugins;
    for (const char* name : {"test_spi_image.SPI", "test_spi_archive.SPI", "test_spi_image_no_info.SPI",
                             "test_spi_image_unknown_api.SPI"}) {
        ASSERT_TRUE(plugintest::CopyPlugin(name, plugins.File(name)));
    }
    ASSERT_TRUE(testsupport::WriteFile(plugins.File("readme.txt"), std::string("not a plug-in")));
    const std::size_t formats = m_vfs.Formats().size();
    EXPECT_EQ(2, SpiScanFolder(plugins.Path().c_str(), 1, 1));
    EXPECT_EQ(1u, m_images.Records().size());
    EXPECT_EQ(formats + 1, m_vfs.Formats().size());
    m_images.Unload(kSpiImageType);
    m_vfs.UnloadAdlByType(kSpiArchiveType);
    EXPECT_EQ(3, SpiScanFolder(plugins.Path().c_str(), 0, 1)) << "the archive plug-in is not allowed";
    m_images.Unload(kSpiImageType);
    EXPECT_EQ(-1, SpiScanFolder(std::string(300, 'f').c_str(), 1, 1));
    EXPECT_EQ(0, SpiScanFolder(m_folder.Path().c_str(), 1, 1)) << "a folder without plug-ins";
}

struct FilterCase {
    const char* filter;
    std::string extensions;
};

TEST(SpiFilterTest, FiltersBecomeUpperCaseExtensionLists) {
    const FilterCase cases[] = {
        {"*.bmp;*.dib", std::string("BMP\0DIB\0\0", 9)},
        {"*.jpg;*.jpeg", std::string("JPG\0JPEG\0\0", 10)},
        {"*.tar.gz", std::string("TARGZ\0\0", 7)},
        // The trail byte of the two-byte character lies in 'a'..'z' and stays as it is.
        {"*.\x83" "a", std::string("\x83" "a\0\0", 4)},
        {"*.x1;", std::string("X1\0\0\0", 5)},
        {"", std::string("\0\0", 2)},
    };
    for (const FilterCase& c : cases) {
        EXPECT_EQ(c.extensions, SpiFilterToExtensions(c.filter)) << c.filter;
    }
}

}  // namespace
