#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/files/global_alloc_block.h"
#include "framework/plugins/spi_archive.h"
#include "tests/framework/plugins/spi_test_fixture.h"
#include "tests/support/spi_test_content.h"

namespace {

constexpr std::int32_t kTag = 40;
const char* const kArchivePlugins[] = {"test_spi_archive.SPI", "test_spi_archive_fixed.SPI"};

class SpiArchiveTest : public SpiTestBase {
protected:
    // Loads the plug-in and mounts a test archive beside the game's files: the mount's code.
    std::int32_t Mount(const char* plugin, Archive** archive = nullptr) {
        EXPECT_EQ(0, LoadPlugin(plugin));
        EXPECT_TRUE(testsupport::WriteFile(Game("pack.tsa"), std::string("TSPA test archive")));
        return m_vfs.MountArchive("pack.tsa", kTag, false, true, archive);
    }

    static std::string Name(std::uint32_t entry) {
        const spitest::SpiArchiveEntry e = spitest::SpiArchiveEntryAt(entry);
        std::string name = e.path + e.name;
        for (char& c : name) {
            if (c == '/') c = '\\';
        }
        return name;
    }
};

// An allocator that records the block it was handed and adopts it.
struct Adopted {
    void* offered = nullptr;
    std::uint32_t size = 0;
};
void* XM_CDECL AdoptBlock(std::uint32_t size, void* argument, void* block) {
    auto* adopted = static_cast<Adopted*>(argument);
    adopted->offered = block;
    adopted->size = size;
    return block;
}

TEST_F(SpiArchiveTest, EntriesLoadThroughTheFileSystemFromMoveableAndFixedBlocks) {
    for (const char* plugin : kArchivePlugins) {
        SCOPED_TRACE(plugin);
        Archive* archive = nullptr;
        ASSERT_EQ(0, Mount(plugin, &archive));
        EXPECT_EQ(spitest::SpiArchiveBytes(spitest::kBgEntry), Load("DATA\\bg01.bmp"));
        EXPECT_EQ(spitest::SpiArchiveBytes(spitest::kSizesDifferEntry), Load("packed/sizes.bin"));
        EXPECT_EQ(spitest::SpiArchiveBytes(70), Load("many\\FILE070.DAT"));

        Adopted adopted;
        ASSERT_EQ(0, archive->ExtractByName("data\\BG01.BMP", AdoptBlock, &adopted, nullptr, nullptr));
        ASSERT_NE(nullptr, adopted.offered);
        EXPECT_EQ(adopted.offered, GlobalHandle(adopted.offered)) << "a fixed block";
        EXPECT_EQ(spitest::SpiArchiveBytes(spitest::kBgEntry),
                  std::string(static_cast<const char*>(adopted.offered), adopted.size));
        EXPECT_EQ(nullptr, GlobalFree(adopted.offered));
        m_vfs.RemoveMount(nullptr, kTag, 0);
        m_vfs.UnloadAdlByType(kSpiArchiveType);
    }
}

struct NameCase {
    const char* what;
    const char* name;
    std::int32_t entry;  // -1: not found
};

TEST_F(SpiArchiveTest, NamesMatchUnderTheFoldingOfCaseAndCharacterForms) {
    Archive* archive = nullptr;
    ASSERT_EQ(0, Mount("test_spi_archive.SPI", &archive));
    const NameCase cases[] = {
        {"case", "DATA\\bg01.bmp", spitest::kBgEntry},
        {"the folder's '/' is stored as '\\'", "data/BG01.BMP", -1},
        {"full-width capital", "\x82\x60" "BC.TXT", spitest::kFullWidthEntry},
        {"full-width small finds the capital", "\x82\x81" "bc.txt", spitest::kFullWidthEntry},
        {"another full-width letter", "\x82\x61" "BC.TXT", -1},
        {"the same trail under another lead", "\x83\x60" "BC.TXT", -1},
        {"IBM capital one finds NEC one", "roman\\\xFA\x4A" ".dat", spitest::kNecNumeralEntry},
        {"NEC one finds itself", "ROMAN\\\x87\x54" ".DAT", spitest::kNecNumeralEntry},
        {"IBM small one finds NEC one", "roman\\\xFA\x40" ".dat", spitest::kNecNumeralEntry},
        {"IBM capital two finds small two", "roman\\\xFA\x4B" ".dat", spitest::kSmallNumeralEntry},
        {"NEC two finds small two", "roman\\\x87\x55" ".dat", spitest::kSmallNumeralEntry},
        {"NEC three is another numeral", "roman\\\x87\x56" ".dat", -1},
        {"a name past the 64 buckets", "MANY\\file075.dat", 75},
    };
    for (const NameCase& c : cases) {
        ArchiveEntryInfo* info = archive->FindEntry(c.name);
        EXPECT_EQ(c.entry >= 0, archive->Contains(c.name)) << c.what;
        EXPECT_EQ(c.entry, info ? info->index : -1) << c.what;
    }
    ASSERT_EQ(spitest::kArchiveEntryCount, archive->EntryCount());
    for (std::uint32_t i = 0; i < spitest::kArchiveEntryCount; ++i) {
        const ArchiveEntryInfo* info = archive->FindEntry(Name(i).c_str());
        ASSERT_NE(nullptr, info) << Name(i);
        EXPECT_EQ(static_cast<std::int32_t>(i), info->index);
    }
}

TEST_F(SpiArchiveTest, EntryInformationComesFromTheRecords) {
    Archive* archive = nullptr;
    ASSERT_EQ(0, Mount("test_spi_archive.SPI", &archive));
    const ArchiveEntryInfo* differ = archive->FindEntry("packed\\SIZES.BIN");
    ASSERT_NE(nullptr, differ);
    EXPECT_EQ(30u, differ->storedSize);
    EXPECT_EQ(50u, differ->unpackedSize);
    EXPECT_EQ(1, differ->hasUnpackedSize);
    EXPECT_EQ(8, differ->kind);
    EXPECT_EQ(0, differ->entryFlags);
    EXPECT_EQ(spitest::SpiArchivePosition(spitest::kSizesDifferEntry), differ->fileOffset);
    EXPECT_EQ(1000000000 + static_cast<std::int32_t>(spitest::kSizesDifferEntry), differ->timeStamp);
    EXPECT_EQ(0xC0DE0000u + spitest::kSizesDifferEntry, differ->crc);
    const ArchiveEntryInfo* same = archive->FindEntry("data\\BG01.BMP");
    ASSERT_NE(nullptr, same);
    EXPECT_EQ(0, same->hasUnpackedSize);
}

TEST_F(SpiArchiveTest, EntriesHaveNoStreamsSoTheFileSystemExtractsThemWhole) {
    Archive* archive = nullptr;
    ASSERT_EQ(0, Mount("test_spi_archive.SPI", &archive));
    std::int32_t code = 0;
    EXPECT_EQ(nullptr, archive->OpenStreamByName("data\\bg01.bmp", &code));
    EXPECT_EQ(-3, code);
    EXPECT_EQ(nullptr, archive->OpenStreamByName("data\\missing.bmp", &code));
    EXPECT_EQ(3, code);
    for (std::int32_t index : {0, 75}) {
        EXPECT_EQ(nullptr, archive->OpenStreamByIndex(index, &code));
        EXPECT_EQ(-3, code) << index;
    }
    for (std::int32_t index : {76, -1, INT32_MIN}) {
        EXPECT_EQ(nullptr, archive->OpenStreamByIndex(index, &code));
        EXPECT_EQ(3, code) << index;
    }
    EXPECT_EQ(spitest::SpiArchiveBytes(spitest::kBgEntry), Stream("data\\bg01.bmp", true));
    EXPECT_EQ("<code 3>", Stream("data\\bg01.bmp", false));
    EXPECT_EQ("<code 2>", Load("EMPTY.DAT")) << "an entry of size 0 cannot be extracted";
}

TEST_F(SpiArchiveTest, ExtractionByIndexAndToFilesChecksItsArguments) {
    Archive* archive = nullptr;
    ASSERT_EQ(0, Mount("test_spi_archive.SPI", &archive));
    GlobalBlock pair;
    ASSERT_EQ(0, archive->ExtractByIndex(spitest::kSizesDifferEntry, GlobalAllocBlock, &pair, nullptr, nullptr));
    EXPECT_EQ(spitest::SpiArchiveBytes(spitest::kSizesDifferEntry),
              std::string(static_cast<const char*>(pair.block), pair.size));
    GlobalFreeBlock(&pair);
    EXPECT_EQ(3, archive->ExtractByIndex(-1, GlobalAllocBlock, &pair, nullptr, nullptr));
    EXPECT_EQ(3, archive->ExtractByIndex(76, GlobalAllocBlock, &pair, nullptr, nullptr));
    EXPECT_EQ(3, archive->ExtractByName("nothing", GlobalAllocBlock, &pair, nullptr, nullptr));
    EXPECT_EQ(5, archive->ExtractByName("data\\bg01.bmp", nullptr, &pair, nullptr, nullptr));
    EXPECT_EQ(2, archive->ExtractByName("empty.dat", GlobalAllocBlock, &pair, nullptr, nullptr));

    ASSERT_TRUE(CreateDirectoryA(m_folder.File("out").c_str(), nullptr));
    // The plug-in names the file; only the target's folder counts.
    EXPECT_EQ(0, archive->ExtractToFileByName("DATA\\BG01.BMP", m_folder.File("out\\other.bin").c_str(),
                                              nullptr, nullptr));
    const std::vector<std::uint8_t> written = testsupport::ReadFile(m_folder.File("out\\BG01.BMP"));
    EXPECT_EQ(spitest::SpiArchiveBytes(spitest::kBgEntry), std::string(written.begin(), written.end()));
    EXPECT_FALSE(testsupport::FileExists(m_folder.File("out\\other.bin")));
    EXPECT_EQ(0, archive->ExtractToFileByIndex(70, m_folder.File("out\\x").c_str(), nullptr, nullptr));
    EXPECT_TRUE(testsupport::FileExists(m_folder.File("out\\FILE070.DAT")));
    EXPECT_EQ(3, archive->ExtractToFileByIndex(-5, m_folder.File("out\\x").c_str(), nullptr, nullptr));
    EXPECT_EQ(3, archive->ExtractToFileByName("nothing", m_folder.File("out\\x").c_str(), nullptr, nullptr));
    EXPECT_EQ(5, archive->ExtractToFileByName("data\\bg01.bmp", nullptr, nullptr, nullptr));
    EXPECT_EQ(5, archive->ExtractToFileByName("data\\bg01.bmp", std::string(300, 'x').c_str(), nullptr, nullptr));
    EXPECT_EQ(1, archive->ExtractToFileByName("data\\bg01.bmp", m_folder.File("no\\such\\x").c_str(), nullptr,
                                              nullptr));
}

void XM_CDECL CountProgress(std::int32_t, std::int32_t, void* argument) { ++*static_cast<int*>(argument); }

TEST_F(SpiArchiveTest, ProgressReachesTheHostFunction) {
    Archive* archive = nullptr;
    ASSERT_EQ(0, Mount("test_spi_archive.SPI", &archive));
    GlobalBlock pair;
    int calls = 0;
    ASSERT_EQ(0, archive->ExtractByName("data\\bg01.bmp", GlobalAllocBlock, &pair, CountProgress, &calls));
    GlobalFreeBlock(&pair);
    EXPECT_EQ(1, calls);
    ASSERT_EQ(0, archive->ExtractByName("data\\bg01.bmp", GlobalAllocBlock, &pair, nullptr, nullptr));
    GlobalFreeBlock(&pair);
}

TEST_F(SpiArchiveTest, TheEntryTableOptionBuildsATableThatEntryInfoAgreesWith) {
    for (std::int32_t withTable : {0, 1}) {
        SCOPED_TRACE(withTable);
        ASSERT_EQ(0, LoadPlugin("test_spi_archive.SPI"));
        // Set the way a script command sets it: through the file system, by the format's type.
        const std::int32_t option[2] = {0, withTable};
        ASSERT_EQ(0, m_vfs.FindAdlAssistFunc2(kSpiArchiveType)(option));
        ASSERT_TRUE(testsupport::WriteFile(Game("pack.tsa"), std::string("TSPA")));
        Archive* archive = nullptr;
        ASSERT_EQ(0, m_vfs.MountArchive("pack.tsa", kTag, false, true, &archive));
        ArchiveEntryTableItem* table = archive->EntryTable();
        EXPECT_EQ(withTable != 0, table != nullptr);
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(spitest::kArchiveEntryCount); ++i) {
            const char* name = nullptr;
            const ArchiveEntryInfo* info = archive->EntryInfo(i, &name);
            ASSERT_NE(nullptr, info) << i;
            EXPECT_EQ(i, info->index);
            EXPECT_EQ(Name(i), name);
            if (table) {
                EXPECT_EQ(info, table[i].info);
                EXPECT_STREQ(name, table[i].name);
            }
        }
        const char* name = "unchanged";
        EXPECT_EQ(nullptr, archive->EntryInfo(-1, &name));
        EXPECT_EQ(nullptr, archive->EntryInfo(76, &name));
        m_vfs.RemoveMount(nullptr, kTag, 0);
        m_vfs.UnloadAdlByType(kSpiArchiveType);
    }
    const std::int32_t other[2] = {1, 1};
    EXPECT_EQ(5, SpiSetOption(other));
    EXPECT_EQ(5, SpiSetOption(nullptr));
    EXPECT_EQ(0, SpiAssistFunc(0, 0));
    EXPECT_EQ(5, SpiAssistFunc(2, 1));
}

struct MountCase {
    const char* plugin;
    const char* content;
    std::int32_t code;
};

TEST_F(SpiArchiveTest, FailedMountsReportTheirCodes) {
    const MountCase cases[] = {
        {"test_spi_archive_duplicates.SPI", "TSPA", 10},
        {"test_spi_archive_info_fails.SPI", "TSPA", 1},
        {"test_spi_archive.SPI", "not an archive", 1},
    };
    for (const MountCase& c : cases) {
        ASSERT_EQ(0, LoadPlugin(c.plugin)) << c.plugin;
        ASSERT_TRUE(testsupport::WriteFile(Game("pack.tsa"), std::string(c.content)));
        const std::int32_t mounts = m_vfs.MountCount();
        EXPECT_EQ(c.code, m_vfs.MountArchive("pack.tsa", kTag, false, true, nullptr)) << c.plugin;
        EXPECT_EQ(mounts, m_vfs.MountCount()) << c.plugin;
        // The archive's file is not left open.
        EXPECT_TRUE(DeleteFileA(Game("pack.tsa").c_str())) << c.plugin;
        m_vfs.UnloadAdlByType(kSpiArchiveType);
    }
}

TEST_F(SpiArchiveTest, MalformedEntryListsAreReadWithinTheirBlocksAndFields) {
    Archive* archive = nullptr;
    ASSERT_EQ(0, Mount("test_spi_archive_no_end.SPI", &archive));
    EXPECT_EQ(spitest::kArchiveEntryCount, archive->EntryCount()) << "the list ends with its block";
    m_vfs.RemoveMount(nullptr, kTag, 0);
    m_vfs.UnloadAdlByType(kSpiArchiveType);

    ASSERT_EQ(0, Mount("test_spi_archive_unbounded.SPI", &archive));
    EXPECT_EQ(std::string(256, 'D'), m_vfs.Formats().back().typeString) << "the description ends with its buffer";
    const std::string longName = std::string(200, 'p') + std::string(200, 'n');
    const char* name = nullptr;
    const ArchiveEntryInfo* info = archive->EntryInfo(spitest::kBgEntry, &name);
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(longName, name) << "each name field ends with its 200 bytes";
    EXPECT_EQ(info, archive->FindEntry(longName.c_str()));
    EXPECT_EQ(spitest::kArchiveEntryCount, archive->EntryCount());
}

TEST_F(SpiArchiveTest, AMountedArchiveKeepsItsPluginLoadedAfterTheFormatIsUnloaded) {
    ASSERT_EQ(0, Mount("test_spi_archive.SPI"));
    m_vfs.UnloadAdlByType(kSpiArchiveType);
    EXPECT_TRUE(plugintest::IsModuleLoaded("test_spi_archive.SPI"));
    EXPECT_EQ(spitest::SpiArchiveBytes(spitest::kBgEntry), Load("data\\bg01.bmp"));
    m_vfs.RemoveMount(nullptr, kTag, 0);
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_spi_archive.SPI"));
}

}  // namespace
