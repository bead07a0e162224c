#include "graphics/compose/pixel_op_library_loader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/system/cpu_info.h"
#include "framework/files/path_utilities.h"
#include "graphics/image/copy_kernels.h"
#include "tests/support/win_test_env.h"

namespace {

// The test programs and the DLLs they load share one folder, the base folder here.
class PixelOpLibraryLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, SetBaseDirectoryFromModule(nullptr));
        SetCurrentPixelOpLibrary(nullptr);
    }
    void TearDown() override { SetCurrentPixelOpLibrary(nullptr); }

    template <class Proc>
    static Proc Export(HMODULE module, const char* name) {
        return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

TEST_F(PixelOpLibraryLoaderTest, WithoutAUsableLibraryNothingStaysLoaded) {
    testsupport::TempFolder folder;
    const std::string notALibrary = folder.File("qmxgl.dll");
    ASSERT_TRUE(testsupport::WriteFile(notALibrary, std::string("MZ but nothing more")));
    struct Case {
        const char* what;
        std::string path;
    };
    const Case cases[] = {
        {"no library file", "no_such_qmxgl.dll"},
        {"a file that does not load", notALibrary},
        {"GetLibrary answers null", "fake_qmxgl_null.dll"},
        {"no qmxglConfig export", "fake_qmxgl_no_config.dll"},
    };
    CpuInfoRecord record = {};
    record.mmx = 1;
    for (const Case& c : cases) {
        PixelOpLibraryLoader loader(c.path.c_str(), &record);
        EXPECT_EQ(nullptr, loader.Module()) << c.what;
        EXPECT_EQ(nullptr, loader.Library()) << c.what;
        SetCurrentPixelOpLibrary(&loader);
        EXPECT_EQ(nullptr, CurrentPixelOpLibrary()) << c.what;
    }
    EXPECT_EQ(nullptr, GetModuleHandleA("fake_qmxgl_null.dll"));
    EXPECT_EQ(nullptr, GetModuleHandleA("fake_qmxgl_no_config.dll"));
}

TEST_F(PixelOpLibraryLoaderTest, CopyRoutinesFollowTheRecordsMmxByte) {
    CpuInfoRecord plain = {};
    CpuInfoRecord mmx = {};
    mmx.mmx = 1;
    struct Case {
        const char* what;
        const CpuInfoRecord* record;
        HostCopyRoutine pixels, colour, alpha;
    };
    const Case cases[] = {
        {"without MMX", &plain, KernelCopy, KernelCopyColour, KernelCopyAlpha},
        {"with MMX", &mmx, KernelCopyMmx, KernelCopyColourMmx, KernelCopyAlphaMmx},
        {"without a record", nullptr, KernelCopy, KernelCopyColour, KernelCopyAlpha},
    };
    for (const Case& c : cases) {
        PixelOpLibraryLoader loader("fake_qmxgl.dll", c.record);
        ASSERT_NE(nullptr, loader.Module()) << c.what;
        using RoutinesProc = const HostCopyRoutines*(QMXGL_CALL*)();
        using RecordProc = const CpuInfoRecord*(QMXGL_CALL*)();
        const HostCopyRoutines* routines =
            Export<RoutinesProc>(loader.Module(), "FakeConfiguredRoutines")();
        EXPECT_EQ(0, routines->version) << c.what;
        EXPECT_EQ(c.pixels, routines->copyPixels) << c.what;
        EXPECT_EQ(c.colour, routines->copyColor) << c.what;
        EXPECT_EQ(c.alpha, routines->copyAlpha) << c.what;
        EXPECT_EQ(c.record, Export<RecordProc>(loader.Module(), "FakeLastRecord")()) << c.what;
    }
}

TEST_F(PixelOpLibraryLoaderTest, LoadedLibraryFillsTheTableAndUnloadsInOrder) {
    std::int32_t deletions = 0;
    {
        PixelOpLibraryLoader loader("fake_qmxgl.dll", nullptr);
        ASSERT_NE(nullptr, loader.Module());
        ASSERT_NE(nullptr, loader.Library());
        Export<void(QMXGL_CALL*)(std::int32_t*)>(loader.Module(), "FakeCountDeletions")(&deletions);

        EXPECT_EQ(loader.Library()->m_lastUpdatedRect, g_pixelOpTable.lastUpdatedRect);
        for (int word = kFirstOperationWord; word < kPixelOpWordCount; ++word) {
            ASSERT_EQ(reinterpret_cast<PixelOperation>(static_cast<std::uintptr_t>(0x1000 + word)),
                      g_pixelOpTable.Word(word))
                << "word " << word;
        }
        SetCurrentPixelOpLibrary(&loader);
        EXPECT_EQ(&loader, CurrentPixelOpLibrary());
        EXPECT_EQ(0, deletions);
    }
    // The object was deleted through its own destructor before the library went away.
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(nullptr, GetModuleHandleA("fake_qmxgl.dll"));
    EXPECT_EQ(nullptr, CurrentPixelOpLibrary());
}

TEST_F(PixelOpLibraryLoaderTest, EachObjectIsDeletedBeforeItsLibraryGoesInEitherOrder) {
    for (const bool firstGoesFirst : {true, false}) {
        SCOPED_TRACE(firstGoesFirst ? "first loader first" : "second loader first");
        std::int32_t deletions = 0;
        auto first = std::make_unique<PixelOpLibraryLoader>("fake_qmxgl.dll", nullptr);
        auto second = std::make_unique<PixelOpLibraryLoader>("fake_qmxgl.dll", nullptr);
        ASSERT_NE(nullptr, first->Module());
        ASSERT_NE(nullptr, second->Module());
        ASSERT_NE(first->Library(), second->Library());
        Export<void(QMXGL_CALL*)(std::int32_t*)>(first->Module(), "FakeCountDeletions")(&deletions);
        SetCurrentPixelOpLibrary(first.get());

        (firstGoesFirst ? first : second).reset();
        EXPECT_EQ(1, deletions);
        EXPECT_NE(nullptr, GetModuleHandleA("fake_qmxgl.dll"));
        EXPECT_EQ(firstGoesFirst ? nullptr : first.get(), CurrentPixelOpLibrary());
        (firstGoesFirst ? second : first).reset();
        EXPECT_EQ(2, deletions);
        EXPECT_EQ(nullptr, GetModuleHandleA("fake_qmxgl.dll"));
        EXPECT_EQ(nullptr, CurrentPixelOpLibrary());
    }
}

// A second library loaded and unloaded while the first is current must not leave its words,
// which point into a module that is gone, in the table the program calls through.
TEST_F(PixelOpLibraryLoaderTest, TheTableHoldsTheCurrentLibrarysWords) {
    PixelOpLibraryLoader current("fake_qmxgl.dll", nullptr);
    ASSERT_NE(nullptr, current.Module());
    SetCurrentPixelOpLibrary(&current);
    auto expectCurrentWords = [&] {
        EXPECT_EQ(current.Library()->m_lastUpdatedRect, g_pixelOpTable.lastUpdatedRect);
        for (int word = kFirstOperationWord; word < kPixelOpWordCount; ++word) {
            ASSERT_EQ(current.Library()->Word(word), g_pixelOpTable.Word(word)) << "word " << word;
        }
    };
    {
        DetectProcessor();
        PixelOpLibraryLoader other("qmxgl.dll", &g_cpuInfo);
        ASSERT_NE(nullptr, other.Module());
        SetCurrentPixelOpLibrary(&current);
        expectCurrentWords();
    }
    EXPECT_EQ(&current, CurrentPixelOpLibrary());
    expectCurrentWords();
}

TEST_F(PixelOpLibraryLoaderTest, TheRealLibraryRunsThroughTheTable) {
    DetectProcessor();
    PixelOpLibraryLoader loader("qmxgl.dll", &g_cpuInfo);
    ASSERT_NE(nullptr, loader.Module());
    SetCurrentPixelOpLibrary(&loader);
    ASSERT_EQ(&loader, CurrentPixelOpLibrary());
    for (int word = kFirstOperationWord; word < kPixelOpWordCount; ++word) {
        ASSERT_EQ(loader.Library()->Word(word), g_pixelOpTable.Word(word)) << "word " << word;
    }
    // Word 150 fills a row with a value.
    std::uint32_t row[5] = {1, 2, 3, 4, 5};
    const auto fill = reinterpret_cast<pixelops::ValueKernel>(g_pixelOpTable.Word(150));
    fill(row + 1, 3, 0xDEADBEEF);
    EXPECT_EQ(1u, row[0]);
    EXPECT_EQ(0xDEADBEEFu, row[1]);
    EXPECT_EQ(0xDEADBEEFu, row[3]);
    EXPECT_EQ(5u, row[4]);
}

}  // namespace
