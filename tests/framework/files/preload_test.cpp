#include "framework/files/preload_slots.h"
#include "framework/files/preload_thread.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/files/path_utilities.h"
#include "framework/files/virtual_file_system.h"
#include "tests/support/file_tree_writer.h"
#include "tests/support/win_test_env.h"

namespace {

using testsupport::SeededBytes;

// Sizes of frames\f<k>.bin; other\f<k>.bin has the same sizes and other bytes.
const std::uint32_t kSizes[] = {1, 100, 4096, 70000, 3};
const char* const kNames[] = {"f0.bin", "f1.bin", "f2.bin", "f3.bin", "f4.bin"};

std::vector<std::uint8_t> Frame(int k) { return SeededBytes(10 + k, kSizes[k]); }
std::vector<std::uint8_t> OtherFrame(int k) { return SeededBytes(20 + k, kSizes[k]); }

// A folder of files made the base directory, read through a published file system.
class PreloadFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedBase = GetBaseDirectory();
        ASSERT_EQ(0, SetBaseDirectory(m_folder.Path().c_str()));
        for (int k = 0; k < 5; ++k) {
            ASSERT_TRUE(testsupport::WriteFile(m_folder.File("frames\\") + kNames[k], Frame(k)));
            ASSERT_TRUE(testsupport::WriteFile(m_folder.File("other\\") + kNames[k], OtherFrame(k)));
        }
        g_virtualFileSystem = &m_vfs;
    }
    void TearDown() override {
        g_virtualFileSystem = nullptr;
        SetBaseDirectory(m_savedBase.c_str());
    }

    static std::vector<std::uint8_t> Bytes(const void* data, std::uint32_t size) {
        const std::uint8_t* bytes = static_cast<const std::uint8_t*>(data);
        return data ? std::vector<std::uint8_t>(bytes, bytes + size) : std::vector<std::uint8_t>();
    }
    static std::vector<std::uint8_t> SlotBytes(PreloadSlots& slots, std::uint16_t i) {
        return Bytes(slots.Data(i), slots.Size(i));
    }
    static std::vector<std::uint8_t> SlotBytes(PreloadThread& thread, std::uint16_t i) {
        return Bytes(thread.SlotData(i), thread.SlotSize(i));
    }

    testsupport::TempFolder m_folder;
    VirtualFileSystem m_vfs;
    std::string m_savedBase;
};

const auto kAlways = [](std::uint16_t) { return true; };

// The slots and batches without the thread: the loader's step runs on the test's thread.
using PreloadSlotsTest = PreloadFolder;

TEST_F(PreloadSlotsTest, ABatchLoadsEachFileByteForByteIntoItsSlot) {
    PreloadSlots slots;
    slots.Allocate(6);
    slots.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(1, 4, kNames));
    EXPECT_TRUE(slots.BatchRunning());
    for (std::uint16_t i = 1; i <= 4; ++i) {
        EXPECT_TRUE(slots.IsBusy(i)) << i;
        EXPECT_EQ(nullptr, slots.Data(i)) << "slot " << i << " is still loading";
        EXPECT_EQ(0u, slots.Size(i)) << i;
    }
    slots.LoadBatch(kAlways);
    EXPECT_FALSE(slots.BatchRunning());
    for (std::uint16_t i = 1; i <= 4; ++i) {
        EXPECT_FALSE(slots.IsBusy(i)) << i;
        EXPECT_EQ(Frame(i - 1), SlotBytes(slots, i)) << "slot " << i;
    }
    EXPECT_EQ(nullptr, slots.Data(0));
    EXPECT_EQ(nullptr, slots.Data(5));
    EXPECT_EQ(nullptr, slots.Data(6)) << "beyond the slots";
}

TEST_F(PreloadSlotsTest, TheNamesAreCopiedWhenTheBatchIsClaimed) {
    PreloadSlots slots;
    slots.Allocate(3);
    slots.SetDirectory(m_folder.File("frames\\").c_str());
    char names[3][16];
    const char* pointers[3];
    for (int k = 0; k < 3; ++k) {
        std::strcpy(names[k], kNames[k]);
        pointers[k] = names[k];
    }
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 3, pointers));
    // The script changes its texts at once.
    std::strcpy(names[0], "f4.bin");
    std::strcpy(names[1], "missing.bin");
    std::memset(names[2], 'x', sizeof names[2]);
    slots.LoadBatch(kAlways);
    for (std::uint16_t i = 0; i < 3; ++i) EXPECT_EQ(Frame(i), SlotBytes(slots, i)) << "slot " << i;
}

TEST_F(PreloadSlotsTest, AClaimWhileABatchRunsIsRefusedAndChangesNothing) {
    PreloadSlots slots;
    slots.Allocate(4);
    slots.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 2, kNames));
    const char* const later[] = {"f2.bin", "f3.bin"};
    EXPECT_EQ(PreloadSlots::kBatchRunning, slots.Claim(2, 2, later));
    EXPECT_EQ(PreloadSlots::kBatchRunning, slots.Claim(0, 2, later));
    EXPECT_FALSE(slots.IsBusy(2));
    EXPECT_FALSE(slots.IsBusy(3));
    slots.LoadBatch(kAlways);
    EXPECT_EQ(Frame(0), SlotBytes(slots, 0));
    EXPECT_EQ(Frame(1), SlotBytes(slots, 1));
    EXPECT_EQ(nullptr, slots.Data(2));
    EXPECT_EQ(nullptr, slots.Data(3));
    // Once it has ended, the next batch is taken.
    EXPECT_EQ(PreloadSlots::kClaimed, slots.Claim(2, 2, later));
    slots.LoadBatch(kAlways);
    EXPECT_EQ(Frame(3), SlotBytes(slots, 3));
}

TEST_F(PreloadSlotsTest, ABadRangeIsRefused) {
    struct Case {
        const char* name;
        std::uint16_t slotCount;
        std::uint16_t first;
        std::uint16_t count;
        bool names;
    };
    const Case cases[] = {
        {"no slots", 0, 0, 1, true},
        {"count 0", 4, 0, 0, true},
        {"one past the end", 4, 2, 3, true},
        {"first at the end", 4, 4, 1, true},
        {"first + count past 16 bits", 4, 0xFFFF, 2, true},
        {"no names", 4, 0, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PreloadSlots slots;
        slots.Allocate(c.slotCount);
        const char* const names[] = {"f0.bin", "f1.bin", "f2.bin"};
        EXPECT_EQ(PreloadSlots::kBadRange, slots.Claim(c.first, c.count, c.names ? names : nullptr));
        EXPECT_FALSE(slots.BatchRunning());
        for (std::uint16_t i = 0; i < c.slotCount; ++i) EXPECT_FALSE(slots.IsBusy(i)) << i;
    }
}

TEST_F(PreloadSlotsTest, CountingReleasesTheFinishedSlotsOfItsRangeAndCountsTheBusyOnes) {
    PreloadSlots slots;
    EXPECT_EQ(-1, slots.CountLoaded(0, 1)) << "no slots";
    slots.Allocate(5);
    slots.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 4, kNames));
    EXPECT_EQ(4, slots.CountLoaded(0, 5));
    std::vector<std::int32_t> countsAtSlot2;
    slots.LoadBatch([&](std::uint16_t slot) {
        if (slot == 2) {
            // The game thread looks while slots 2 and 3 are still to come.
            EXPECT_EQ(Frame(1), SlotBytes(slots, 1));
            countsAtSlot2.push_back(slots.CountLoaded(3, 100));
            countsAtSlot2.push_back(slots.CountLoaded(1, 2));
            countsAtSlot2.push_back(slots.CountLoaded(0, 5));
            EXPECT_EQ(nullptr, slots.Data(0)) << "counted: released";
            EXPECT_EQ(nullptr, slots.Data(1));
        }
        return true;
    });
    EXPECT_EQ((std::vector<std::int32_t>{1, 1, 2}), countsAtSlot2);
    EXPECT_EQ(Frame(2), SlotBytes(slots, 2)) << "not counted since it finished";
    EXPECT_EQ(0, slots.CountLoaded(3, 1));
    EXPECT_EQ(nullptr, slots.Data(3));
    EXPECT_EQ(Frame(2), SlotBytes(slots, 2)) << "outside the range";
    EXPECT_EQ(0, slots.CountLoaded(7, 2)) << "beyond the slots";
}

TEST_F(PreloadSlotsTest, ABatchStoppedBetweenFilesEndsWithItsOtherSlotsEmpty) {
    PreloadSlots slots;
    slots.Allocate(4);
    slots.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 4, kNames));
    std::vector<std::uint16_t> asked;
    slots.LoadBatch([&](std::uint16_t slot) {
        asked.push_back(slot);
        return slot < 2;
    });
    EXPECT_EQ((std::vector<std::uint16_t>{0, 1, 2}), asked);
    EXPECT_FALSE(slots.BatchRunning());
    EXPECT_EQ(Frame(1), SlotBytes(slots, 1));
    for (std::uint16_t i = 2; i < 4; ++i) {
        EXPECT_FALSE(slots.IsBusy(i)) << i;
        EXPECT_EQ(nullptr, slots.Data(i)) << i;
    }
    EXPECT_EQ(0, slots.CountLoaded(0, 4));
}

TEST_F(PreloadSlotsTest, NamesAreTakenInTheFolderAsItIsWritten) {
    const std::string frames = m_folder.File("frames");
    const std::string backslashed = frames + "\\";
    const std::string slashed = frames + "/";
    const std::string absolute = frames + "\\f3.bin";
    struct Case {
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {frames.c_str(), "f3.bin"},
        {backslashed.c_str(), "f3.bin"},
        {slashed.c_str(), "f3.bin"},
        {"frames", "f3.bin"},  // resolved against the base directory
        {nullptr, absolute.c_str()},
        {"", absolute.c_str()},
        {nullptr, "frames\\f3.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder ? c.folder : "(null)") + " + " + c.name);
        PreloadSlots slots;
        slots.Allocate(1);
        slots.SetDirectory(c.folder);
        ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 1, &c.name));
        slots.LoadBatch(kAlways);
        EXPECT_EQ(Frame(3), SlotBytes(slots, 0));
    }
}

TEST_F(PreloadSlotsTest, AMissingOrNullNameFinishesItsSlotEmpty) {
    PreloadSlots slots;
    slots.Allocate(4);
    slots.SetDirectory(m_folder.File("frames").c_str());
    const char* const names[] = {"f0.bin", "missing.bin", nullptr, "f4.bin"};
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 4, names));
    slots.LoadBatch(kAlways);
    EXPECT_EQ(Frame(0), SlotBytes(slots, 0));
    for (std::uint16_t i = 1; i <= 2; ++i) {
        EXPECT_FALSE(slots.IsBusy(i)) << i;
        EXPECT_EQ(nullptr, slots.Data(i)) << i;
        EXPECT_EQ(0u, slots.Size(i)) << i;
    }
    EXPECT_EQ(Frame(4), SlotBytes(slots, 3));
}

TEST_F(PreloadSlotsTest, AllocatingReplacesTheSlotsWithEmptyOnes) {
    PreloadSlots slots;
    slots.Allocate(2);
    slots.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadSlots::kClaimed, slots.Claim(0, 2, kNames));
    slots.LoadBatch(kAlways);
    slots.Allocate(3);
    EXPECT_EQ(3, slots.Count());
    for (std::uint16_t i = 0; i < 3; ++i) EXPECT_EQ(nullptr, slots.Data(i)) << i;
    slots.Allocate(0);
    EXPECT_EQ(0, slots.Count());
    EXPECT_EQ(-1, slots.CountLoaded(0, 1));
}

// The loader thread, held at one slot until the test lets it go (or, with holdUntilStop, until
// it is asked to stop).
class GatedPreload : public PreloadThread {
public:
    explicit GatedPreload(std::uint16_t gateSlot, bool holdUntilStop = false)
        : m_gateSlot(gateSlot), m_holdUntilStop(holdUntilStop) {}
    ~GatedPreload() override {
        Release();
        StopAndFree();
        CloseHandle(m_entered);
        CloseHandle(m_release);
    }
    // True once the loader waits at the gate.
    bool WaitEntered() { return WaitForSingleObject(m_entered, INFINITE) == WAIT_OBJECT_0; }
    void Release() { SetEvent(m_release); }
    HANDLE ReleaseEvent() const { return m_release; }
    // The slots the loader came to; read after the batch has ended.
    const std::vector<std::uint16_t>& Reached() const { return m_reached; }

protected:
    void BeforeLoad(std::uint16_t slot) override {
        m_reached.push_back(slot);
        if (slot != m_gateSlot) return;
        SetEvent(m_entered);
        if (m_holdUntilStop) {
            WaitStop(INFINITE);
        } else {
            WaitForSingleObject(m_release, INFINITE);
        }
    }

private:
    HANDLE m_entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE m_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::uint16_t m_gateSlot;
    bool m_holdUntilStop;
    std::vector<std::uint16_t> m_reached;
};

DWORD WINAPI SetEventProc(LPVOID event) {
    SetEvent(static_cast<HANDLE>(event));
    return 0;
}

// The loader on its own thread.
using PreloadThreadTest = PreloadFolder;

TEST_F(PreloadThreadTest, QueuedFilesArriveInTheBackground) {
    PreloadThread preload;
    EXPECT_EQ(PreloadThread::kBadRange, preload.Queue(0, 1, kNames)) << "no slots";
    EXPECT_EQ(0, preload.AllocateSlots(5));
    preload.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadThread::kQueued, preload.Queue(0, 5, kNames));
    EXPECT_EQ(1, preload.WaitIdle());
    for (std::uint16_t i = 0; i < 5; ++i) EXPECT_EQ(Frame(i), SlotBytes(preload, i)) << "slot " << i;
    EXPECT_EQ(0, preload.WaitIdle()) << "no batch";
    // A second batch on the same object.
    preload.SetDirectory(m_folder.File("other").c_str());
    ASSERT_EQ(PreloadThread::kQueued, preload.Queue(1, 2, kNames));
    EXPECT_EQ(1, preload.WaitIdle());
    EXPECT_EQ(OtherFrame(0), SlotBytes(preload, 1));
    EXPECT_EQ(OtherFrame(1), SlotBytes(preload, 2));
    EXPECT_EQ(Frame(0), SlotBytes(preload, 0));
}

TEST_F(PreloadThreadTest, QueuingWhileABatchIsHeldIsRefusedAndChangesNothing) {
    GatedPreload preload(0);
    preload.AllocateSlots(4);
    preload.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadThread::kQueued, preload.Queue(0, 2, kNames));
    ASSERT_TRUE(preload.WaitEntered());
    EXPECT_EQ(nullptr, preload.SlotData(0)) << "busy";
    EXPECT_EQ(0u, preload.SlotSize(1));
    const char* const later[] = {"f2.bin", "f3.bin"};
    EXPECT_EQ(PreloadThread::kBatchRunning, preload.Queue(2, 2, later));
    EXPECT_EQ(PreloadThread::kBatchRunning, preload.Queue(0, 1, later));
    EXPECT_EQ(2, preload.CountLoaded(0, 4)) << "slots 2 and 3 were not queued";
    preload.Release();
    EXPECT_EQ(1, preload.WaitIdle());
    EXPECT_EQ(Frame(0), SlotBytes(preload, 0));
    EXPECT_EQ(Frame(1), SlotBytes(preload, 1));
    EXPECT_EQ(nullptr, preload.SlotData(2));
    EXPECT_EQ(nullptr, preload.SlotData(3));
}

TEST_F(PreloadThreadTest, NamesOverwrittenRightAfterQueuingDoNotReachTheLoader) {
    GatedPreload preload(0);
    preload.AllocateSlots(3);
    preload.SetDirectory(m_folder.File("frames").c_str());
    char names[3][16];
    const char* pointers[3];
    for (int k = 0; k < 3; ++k) {
        std::strcpy(names[k], kNames[k]);
        pointers[k] = names[k];
    }
    ASSERT_EQ(PreloadThread::kQueued, preload.Queue(0, 3, pointers));
    for (int k = 0; k < 3; ++k) std::strcpy(names[k], "f4.bin");
    preload.Release();
    EXPECT_EQ(1, preload.WaitIdle());
    for (std::uint16_t i = 0; i < 3; ++i) EXPECT_EQ(Frame(i), SlotBytes(preload, i)) << "slot " << i;
}

TEST_F(PreloadThreadTest, StopAndFreeInTheMiddleOfABatchJoinsTheLoader) {
    GatedPreload preload(1, true);
    preload.AllocateSlots(3);
    preload.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadThread::kQueued, preload.Queue(0, 3, kNames));
    ASSERT_TRUE(preload.WaitEntered());
    preload.StopAndFree();
    EXPECT_EQ(nullptr, preload.Handle()) << "joined";
    EXPECT_EQ((std::vector<std::uint16_t>{0, 1}), preload.Reached()) << "no file after the stop";
    EXPECT_EQ(-1, preload.CountLoaded(0, 3)) << "freed";
    EXPECT_EQ(nullptr, preload.SlotData(0));
    EXPECT_EQ(0, preload.WaitIdle());
}

TEST_F(PreloadThreadTest, SetDirectoryWaitsForTheRunningBatch) {
    GatedPreload preload(0);
    preload.AllocateSlots(3);
    preload.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadThread::kQueued, preload.Queue(0, 3, kNames));
    ASSERT_TRUE(preload.WaitEntered());
    // The gate opens from a third thread while this one is changing the folder.
    HANDLE opener = CreateThread(nullptr, 0, &SetEventProc, preload.ReleaseEvent(), 0, nullptr);
    ASSERT_NE(nullptr, opener);
    preload.SetDirectory(m_folder.File("other").c_str());
    for (std::uint16_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Frame(i), SlotBytes(preload, i)) << "slot " << i << " finished before SetDirectory returned";
    }
    EXPECT_EQ(0, preload.WaitIdle());
    WaitForSingleObject(opener, INFINITE);
    CloseHandle(opener);
    ASSERT_EQ(PreloadThread::kQueued, preload.Queue(0, 1, kNames));
    EXPECT_EQ(1, preload.WaitIdle());
    EXPECT_EQ(OtherFrame(0), SlotBytes(preload, 0));
}

TEST_F(PreloadThreadTest, AllocatingAgainStopsTheBatchAndGivesEmptySlots) {
    GatedPreload preload(0, true);
    preload.AllocateSlots(2);
    preload.SetDirectory(m_folder.File("frames").c_str());
    ASSERT_EQ(PreloadThread::kQueued, preload.Queue(0, 2, kNames));
    ASSERT_TRUE(preload.WaitEntered());
    EXPECT_EQ(0, preload.AllocateSlots(3));
    EXPECT_EQ(0, preload.WaitIdle());
    for (std::uint16_t i = 0; i < 3; ++i) EXPECT_EQ(nullptr, preload.SlotData(i)) << i;
    EXPECT_EQ(0, preload.CountLoaded(0, 3)) << "three finished, empty slots";
}

}  // namespace
