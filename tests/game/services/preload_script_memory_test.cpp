#include "game/services/preload_script_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/files/preload_slots.h"
#include "framework/files/virtual_file_system.h"
#include "game/script/script_memory.h"
#include "tests/support/file_tree_writer.h"
#include "tests/support/win_test_env.h"

namespace {

const std::uint32_t kSizes[] = {1, 100, 4096};
const char* const kNames[] = {"f0.bin", "f1.bin", "f2.bin"};

// A folder of files made the base directory, read through a published file system.
class PreloadScriptMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedBase = GetBaseDirectory();
        ASSERT_EQ(0, SetBaseDirectory(m_folder.Path().c_str()));
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(testsupport::WriteFile(m_folder.File("frames\\") + kNames[k],
                                               testsupport::SeededBytes(10 + k, kSizes[k])));
        }
        g_virtualFileSystem = &m_vfs;
    }
    void TearDown() override {
        g_virtualFileSystem = nullptr;
        SetBaseDirectory(m_savedBase.c_str());
    }

    testsupport::TempFolder m_folder;
    VirtualFileSystem m_vfs;
    std::string m_savedBase;
};

std::uint32_t Word(const void* data) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(data)); }

// The loader's step runs on the test's thread.
TEST_F(PreloadScriptMemoryTest, AFinishedSlotsDataIsScriptMemoryUntilItCanGo) {
    const auto always = [](std::uint16_t) { return true; };
    PreloadScriptMemory memory;
    PreloadSlots slots(&memory);
    slots.Allocate(3);
    slots.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 2, kNames + 1));
    slots.LoadBatch(always);
    const std::uint32_t first = Word(slots.Data(0));
    const std::uint32_t second = Word(slots.Data(1));
    ASSERT_NE(0u, first);
    EXPECT_TRUE(script_memory::IsWritable(first, kSizes[1]));
    EXPECT_FALSE(script_memory::IsReadable(first, kSizes[1] + 1)) << "not past the data";
    EXPECT_TRUE(script_memory::IsReadable(second, kSizes[2]));
    EXPECT_EQ(0, slots.CountLoaded(0, 1));
    EXPECT_FALSE(script_memory::IsReadable(first, 1)) << "counted: the data went";
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(1, 1, kNames));
    EXPECT_FALSE(script_memory::IsReadable(second, 1)) << "queued again";
    slots.LoadBatch(always);
    const std::uint32_t again = Word(slots.Data(1));
    EXPECT_TRUE(script_memory::IsReadable(again, kSizes[0]));
    slots.Allocate(2);
    EXPECT_FALSE(script_memory::IsReadable(again, 1)) << "replaced";
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 1, kNames));
    slots.LoadBatch(always);
    const std::uint32_t last = Word(slots.Data(0));
    EXPECT_TRUE(script_memory::IsReadable(last, kSizes[0]));
    slots.Free();
    EXPECT_FALSE(script_memory::IsReadable(last, 1)) << "freed";
}

}  // namespace
