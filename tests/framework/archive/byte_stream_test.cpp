#include "framework/archive/handle_stream.h"
#include "framework/archive/memory_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/table_slots.h"
#include "tests/support/win_test_env.h"

namespace {

using testsupport::CallSlot;

const char kContent[] = "0123456789abcdefghij";  // 20 bytes
constexpr std::uint32_t kContentSize = 20;

void* NewGlobalCopy(const void* data, std::uint32_t size) {
    void* block = GlobalAlloc(GMEM_FIXED, size);
    std::memcpy(block, data, size);
    return block;
}

struct StreamDeleter {
    void operator()(ByteStream* stream) const { ReleaseObject(stream); }
};
using StreamPtr = std::unique_ptr<ByteStream, StreamDeleter>;

// Both general streams over the same 20 bytes, so that one table checks both.
class ByteStreamKinds : public ::testing::TestWithParam<const char*> {
protected:
    StreamPtr Make() {
        if (std::string(GetParam()) == "memory") {
            auto* stream = new MemoryStream;
            EXPECT_EQ(0, stream->Attach(NewGlobalCopy(kContent, kContentSize), kContentSize));
            return StreamPtr(stream);
        }
        std::string path = m_folder.File("content.bin");
        EXPECT_TRUE(testsupport::WriteFile(path, std::string(kContent)));
        auto* stream = new HandleStream;
        EXPECT_EQ(0, stream->Attach(testsupport::OpenForReading(path)));
        return StreamPtr(stream);
    }

    testsupport::TempFolder m_folder;
};

struct SeekCase {
    const char* what;
    std::function<std::int32_t(ByteStream&)> seek;
    std::uint32_t position;
};

TEST_P(ByteStreamKinds, SeeksClampToTheContentAndReadsFollowThePosition) {
    const SeekCase cases[] = {
        {"set inside", [](ByteStream& s) { return s.SeekSet(7); }, 7},
        {"set past the end stops at the size", [](ByteStream& s) { return s.SeekSet(1000); }, 20},
        {"forward past the end stops at the size",
         [](ByteStream& s) { s.SeekSet(15); return s.SeekCur(10); }, 20},
        {"backward past the start stops at 0",
         [](ByteStream& s) { s.SeekSet(5); return s.SeekCur(-10); }, 0},
        {"backward inside", [](ByteStream& s) { s.SeekSet(12); return s.SeekCur(-4); }, 8},
        {"end minus a distance", [](ByteStream& s) { return s.SeekEnd(3); }, 17},
        {"end minus more than the size gives 0",
         [](ByteStream& s) { s.SeekSet(9); return s.SeekEnd(21); }, 0},
        {"end itself", [](ByteStream& s) { return s.SeekEnd(0); }, 20},
    };
    for (const SeekCase& c : cases) {
        SCOPED_TRACE(c.what);
        StreamPtr stream = Make();
        ASSERT_EQ(kContentSize, stream->Size());
        EXPECT_EQ(0, c.seek(*stream));
        EXPECT_EQ(c.position, stream->Tell());
        EXPECT_EQ(c.position == kContentSize, stream->IsEof());
        // The file pointer follows the recorded position: the next read starts there.
        char buffer[32] = {};
        std::uint32_t read = stream->Read(buffer, sizeof buffer);
        EXPECT_EQ(kContentSize - c.position, read);
        EXPECT_EQ(std::string(kContent + c.position), std::string(buffer, read));
        EXPECT_EQ(kContentSize, stream->Tell());
    }
}

TEST_P(ByteStreamKinds, ReadAtTheEndDeliversNothingAndStays) {
    StreamPtr stream = Make();
    char buffer[8];
    ASSERT_EQ(0, stream->SeekEnd(0));
    EXPECT_TRUE(stream->IsEof());
    EXPECT_EQ(0u, stream->Read(buffer, sizeof buffer));
    EXPECT_EQ(kContentSize, stream->Tell());
    EXPECT_EQ(0u, stream->Read(nullptr, 4));
}

TEST_P(ByteStreamKinds, ExtraHolderSurvivesOneRelease) {
    StreamPtr stream = Make();
    stream->AddHolder();
    ReleaseObject(stream.get());
    EXPECT_EQ(0, stream->ExtraHolders());
    char buffer[4];
    EXPECT_EQ(4u, stream->Read(buffer, 4));
    EXPECT_EQ(0, std::memcmp(buffer, "0123", 4));
}

INSTANTIATE_TEST_SUITE_P(Both, ByteStreamKinds, ::testing::Values("memory", "handle"));

TEST(MemoryStream, DetachWithReleaseHandsTheBlockOver) {
    void* block = NewGlobalCopy(kContent, kContentSize);
    {
        MemoryStream stream;
        ASSERT_EQ(0, stream.Attach(block, kContentSize));
        EXPECT_EQ(block, stream.Detach(0));
        EXPECT_EQ(block, stream.Detach(1));
        char buffer[4];
        EXPECT_EQ(0u, stream.Read(buffer, 4));
        EXPECT_EQ(1, stream.SeekSet(0));
        EXPECT_EQ(1, stream.SeekCur(1));
        EXPECT_EQ(1, stream.SeekEnd(0));
        EXPECT_EQ(kContentSize, stream.Size());
        EXPECT_EQ(nullptr, stream.Detach(1));
    }
    // The stream is gone without freeing the block: it is still ours to free.
    EXPECT_EQ(0, std::memcmp(block, kContent, kContentSize));
    EXPECT_EQ(nullptr, GlobalFree(block));
}

TEST(MemoryStream, SecondAttachIsRefused) {
    MemoryStream stream;
    void* first = NewGlobalCopy(kContent, kContentSize);
    void* second = NewGlobalCopy(kContent, 4);
    EXPECT_EQ(0, stream.Attach(first, kContentSize));
    EXPECT_EQ(10, stream.Attach(second, 4));
    EXPECT_EQ(kContentSize, stream.Size());
    GlobalFree(second);
}

TEST(HandleStream, WithoutHandleSeeksFailWithTwoAndReadsNothing) {
    HandleStream stream;
    char buffer[4];
    EXPECT_EQ(2, stream.SeekSet(0));
    EXPECT_EQ(2, stream.SeekCur(0));
    EXPECT_EQ(2, stream.SeekEnd(0));
    EXPECT_EQ(0u, stream.Read(buffer, 4));
    EXPECT_EQ(nullptr, stream.Detach(1));
}

TEST(HandleStream, SecondAttachLeavesTheNewHandleWithTheCaller) {
    testsupport::TempFolder folder;
    std::string path = folder.File("a.bin");
    ASSERT_TRUE(testsupport::WriteFile(path, std::string(kContent)));
    auto open = [&] { return testsupport::OpenForReading(path); };
    HANDLE second = open();
    {
        HandleStream stream;
        ASSERT_EQ(0, stream.Attach(open()));
        EXPECT_EQ(10, stream.Attach(second));
    }
    DWORD size = GetFileSize(second, nullptr);
    EXPECT_EQ(kContentSize, size);
    EXPECT_TRUE(CloseHandle(second));
}

TEST(ByteStream, TableAndHolderCountKeepTheSharedLayout) {
    auto* stream = new MemoryStream;
    ASSERT_EQ(0, stream->Attach(NewGlobalCopy(kContent, kContentSize), kContentSize));
    void* object = static_cast<ByteStream*>(stream);
    stream->AddHolder();
    EXPECT_EQ(1, reinterpret_cast<std::int32_t*>(object)[1]);
    EXPECT_EQ(kContentSize, CallSlot<std::uint32_t>(object, 1));
    EXPECT_EQ(0, CallSlot<std::int32_t>(object, 4, 5u));
    EXPECT_EQ(5u, CallSlot<std::uint32_t>(object, 2));
    EXPECT_EQ(0, CallSlot<std::int32_t>(object, 5, -1));
    EXPECT_EQ(0, CallSlot<std::int32_t>(object, 6, 0u));
    EXPECT_TRUE(CallSlot<bool>(object, 3));
    EXPECT_EQ(0, CallSlot<std::int32_t>(object, 4, 2u));
    char buffer[3] = {};
    EXPECT_EQ(3u, (CallSlot<std::uint32_t, void*, std::uint32_t>(object, 7, buffer, 3u)));
    EXPECT_EQ(0, std::memcmp(buffer, "234", 3));
    void* block = CallSlot<void*, std::uint8_t>(object, 8, std::uint8_t{0});
    EXPECT_NE(nullptr, block);
    // Slot 0 is the one deleting destructor.
    CallSlot<void*, std::uint32_t>(object, 0, xm::kDeleteMemory);
}

}  // namespace
