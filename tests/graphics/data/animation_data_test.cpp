// QAG and QAD animation files and CellImage: the edge cases of sequences and ranges, the text
// pointers, files cut at every field boundary, fixed-seed damaged copies, a load on a second
// thread, and the cell strips.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "graphics/data/cell_image.h"
#include "graphics/data/qad_animation.h"
#include "graphics/data/qag_animation.h"
#include "graphics/sprites/sprite.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/animation_file_writer.h"
#include "tools/content/elg_writer.h"
#include "tests/support/image_buffer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::QadFrameSpec;
using testsupport::QagImageSpec;
using testsupport::QagItemSpec;

Bytes Elg(std::uint8_t depth, std::uint16_t w, std::uint16_t h, std::uint32_t colour) {
    return testsupport::EncodeElgPicture(depth, w, h, std::vector<std::uint32_t>(w * h, colour));
}

class AnimationDataTest : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        ASSERT_EQ(0, m_host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions,
                                            ElgImageLoader::kTypeString, 1, nullptr, nullptr,
                                            nullptr));
        g_imageLoaderHost = &m_host;
    }
    void TearDown() override {
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
        VfsTestBase::TearDown();
    }
    ImageLoaderHost m_host;
};

// Two pictures: a 32-bit one with alpha and a 24-bit one.
std::vector<QagImageSpec> TwoImages(std::int16_t firstKeyX, std::int16_t secondKeyX) {
    return {{Elg(32, 4, 3, 0x80102030), firstKeyX, 0}, {Elg(24, 2, 2, 0x00405060), secondKeyX, 1}};
}

TEST_F(AnimationDataTest, QagSequencesFromTheItemList) {
    struct Case {
        std::uint16_t sequences;
        std::vector<std::int32_t> images;
        std::int32_t code;
        std::vector<std::int32_t> starts;
    };
    const Case cases[] = {
        {2, {0, 1, -1, 1, -1}, 0, {0, 3}},
        {2, {0, -1}, 0, {0, 2}},  // the appended end item ends the second, empty sequence
        {2, {0, 1}, 6, {}},
        {1, {0, 1}, 0, {0}},      // closed by the appended end item
        {0, {0, -1}, 2, {}},
    };
    for (const Case& c : cases) {
        std::vector<QagItemSpec> items;
        for (std::int32_t image : c.images) items.push_back({image, 100, 3, -4});
        const auto file = testsupport::WriteQag(7, 9, c.sequences, 5, items, TwoImages(-1, -1));
        QagAnimation qag;
        ASSERT_EQ(c.code, qag.LoadFromMemory(file.bytes.data(), file.bytes.size(), false));
        if (c.code != 0) {
            EXPECT_EQ(0, qag.ItemCount());
            EXPECT_EQ(0, qag.ImageCount());
            continue;
        }
        std::vector<std::int32_t> starts;
        for (std::int32_t i = 0; i < qag.SequenceCount(); ++i) starts.push_back(qag.SequenceStart(i));
        EXPECT_EQ(c.starts, starts);
        EXPECT_EQ(static_cast<std::int32_t>(c.images.size()) + 1, qag.ItemCount());
        EXPECT_EQ(-1, qag.Item(qag.ItemCount() - 1).image);
        EXPECT_EQ(-4, qag.Item(0).y);
        EXPECT_EQ(7, qag.G0());
        EXPECT_EQ(9, qag.G1());
    }
}

TEST_F(AnimationDataTest, QagKeysAndAlphaOfThePictures) {
    const std::vector<QagItemSpec> items = {{0, 50, 0, 0}, {1, 50, 0, 0}};
    const auto file = testsupport::WriteQag(0, 0, 1, 0, items, {{Elg(32, 4, 3, 0x80102030), -1, 0},
                                                                 {Elg(24, 2, 2, 0x00405060), -2, 0},
                                                                 {Elg(24, 2, 2, 0x00405060), 1, 1}});
    ASSERT_TRUE(testsupport::WriteFile(Game("anim.qag"), file.bytes));
    QagAnimation qag;
    ASSERT_EQ(0, qag.Load("anim.qag", false));
    ASSERT_EQ(3, qag.ImageCount());
    EXPECT_FALSE(qag.ImageAt(0).HasAlpha());  // -1 clears what the decoder set
    EXPECT_TRUE(qag.ImageAt(1).HasAlpha());   // -2 sets it
    EXPECT_EQ(0x80102030u, qag.ImageAt(0).GetPixel(3, 2));
    EXPECT_EQ(static_cast<std::int32_t>(qag.ImageAt(2).GetPixel(1, 1)), qag.ImageAt(2).ColourKey());
    ASSERT_EQ(0, qag.Load("anim.qag", true));
    EXPECT_EQ(8, qag.ImageAt(1).Depth());
    EXPECT_EQ(1, qag.Load("missing.qag", false));
    EXPECT_EQ(1, qag.Load(nullptr, false));
}

// The code a QAG load gives when the file ends right after field k (-1: before the first).
std::int32_t QagCutCode(int k, bool skip) {
    if (k < 0) return 2;              // the magic
    if (k == 6 && skip) return 4;     // the skipped bytes run past the end
    return 3;
}

TEST_F(AnimationDataTest, QagCutAtEveryFieldBoundaryOrWithHugeCounts) {
    const std::vector<QagItemSpec> items = {{0, 10, 1, 1}, {-1, 0, 0, 0}};
    const auto file = testsupport::WriteQag(1, 2, 1, 3, items, TwoImages(-1, 0));
    for (std::size_t k = 0; k + 1 < file.fieldEnds.size(); ++k) {
        const Bytes cut(file.bytes.begin(), file.bytes.begin() + file.fieldEnds[k]);
        QagAnimation qag;
        EXPECT_EQ(QagCutCode(static_cast<int>(k), true), qag.LoadFromMemory(cut.data(), cut.size(), false))
            << "cut after field " << k;
        EXPECT_EQ(0, qag.ItemCount());
        EXPECT_EQ(0, qag.ImageCount());
    }
    // Counts that would overflow 16 x count on i686, or ask for more than the file holds.
    const std::uint32_t itemCountAt = 20 + 3;
    const std::uint32_t imageCountAt = itemCountAt + 4 + 16 * 2;
    for (std::uint32_t at : {itemCountAt, imageCountAt}) {
        for (std::uint32_t count : {0x10000001u, 0x7FFFFFFFu, 0x80000000u, 40u}) {
            Bytes damaged = file.bytes;
            for (int i = 0; i < 4; ++i) damaged[at + i] = static_cast<std::uint8_t>(count >> (8 * i));
            QagAnimation qag;
            EXPECT_EQ(3, qag.LoadFromMemory(damaged.data(), damaged.size(), false)) << count;
        }
    }
    // A record pointing past the end, and a picture that does not decode.
    Bytes pastEnd = file.bytes;
    pastEnd[imageCountAt + 4 + 4] = 0xFF;
    pastEnd[imageCountAt + 4 + 5] = 0xFF;
    QagAnimation qag;
    EXPECT_EQ(4, qag.LoadFromMemory(pastEnd.data(), pastEnd.size(), false));
    const auto broken = testsupport::WriteQag(1, 2, 1, 0, items, {{Bytes{'X', 'Y', 'Z', 0}, -1, 0}});
    EXPECT_EQ(5, qag.LoadFromMemory(broken.bytes.data(), broken.bytes.size(), false));
}

TEST_F(AnimationDataTest, QagDamagedCopiesFailCleanlyOrLoadConsistently) {
    const std::vector<QagItemSpec> items = {{0, 10, 1, 1}, {1, 20, 2, 2}, {-1, 0, 0, 0}, {0, 5, 0, 0}};
    const auto file = testsupport::WriteQag(1, 2, 2, 2, items, TwoImages(-2, 0));
    std::uint32_t seed = 0x9A61;
    for (int round = 0; round < 2; ++round) {
        for (const Bytes& damaged : testsupport::MutatedCopies(file.bytes, seed++, 150)) {
            const testsupport::GuardedBytes data(damaged);
            QagAnimation qag;
            const std::int32_t code = qag.LoadFromMemory(data.Data(), data.Size(), false);
            if (code != 0) {
                EXPECT_TRUE(code >= 2 && code <= 6) << code;
                EXPECT_EQ(0, qag.ItemCount());
                EXPECT_EQ(0, qag.ImageCount());
                continue;
            }
            for (std::int32_t i = 0; i < qag.SequenceCount(); ++i)
                EXPECT_LE(qag.SequenceStart(i), qag.ItemCount());
            for (std::int32_t i = 0; i < qag.ImageCount(); ++i)
                EXPECT_NE(nullptr, qag.ImageAt(i).Bits());
        }
    }
}

DWORD WINAPI LoadOnThread(void* context) {
    auto* job = static_cast<std::pair<QagAnimation*, std::int32_t>*>(context);
    job->second = job->first->Load("threaded.qag", false);
    return 0;
}

TEST_F(AnimationDataTest, AQagLoadOnASecondThreadGivesTheSameResult) {
    const std::vector<QagItemSpec> items = {{0, 10, 1, 1}, {1, 20, 2, 2}};
    const auto file = testsupport::WriteQag(4, 5, 1, 0, items, TwoImages(-2, 0));
    ASSERT_TRUE(testsupport::WriteFile(Game("threaded.qag"), file.bytes));
    QagAnimation first, second;
    std::pair<QagAnimation*, std::int32_t> job(&second, -99);
    HANDLE thread = CreateThread(nullptr, 0, &LoadOnThread, &job, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    const std::int32_t code = first.Load("threaded.qag", false);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(0, code);
    EXPECT_EQ(code, job.second);
    ASSERT_EQ(first.ImageCount(), second.ImageCount());
    for (std::int32_t i = 0; i < first.ImageCount(); ++i)
        EXPECT_EQ(first.ImageAt(i).GetPixel(1, 1), second.ImageAt(i).GetPixel(1, 1));
    EXPECT_EQ(first.ItemCount(), second.ItemCount());
}

const std::uint16_t kTwoRanges[6] = {1, 2, 3, 2, 4, 5};

// Frames [p, p, end, p, end]; the picture frames name "a" and "bc" in the text block.
testsupport::AnimationFile TwoRangeQad(std::uint32_t lastPictureText = 2,
                                       std::uint32_t controlText = 0) {
    const std::vector<QadFrameSpec> frames = {
        {0, 40, 1, 2, 0}, {1, 40, 3, 4, 2}, {-1, 0, 0, 0, controlText},
        {0, 40, 5, 6, lastPictureText}, {-1, -3, 0, 0, 0}};
    return testsupport::WriteQad(kTwoRanges, {'a', 0, 'b', 'c'}, frames,
                                 {{Elg(24, 2, 2, 0x102030), 11, 12}, {Bytes{1, 2, 3}, 13, 14}});
}

TEST_F(AnimationDataTest, QadRangesAndTheirLookups) {
    const auto file = TwoRangeQad();
    QadAnimation qad;
    ASSERT_EQ(0, qad.LoadFromMemory(file.bytes.data(), file.bytes.size()));
    EXPECT_EQ(6, qad.FrameCount());
    EXPECT_EQ(3, qad.LongestRange());
    EXPECT_EQ(0, qad.RangeFirstFrame(0));
    EXPECT_EQ(3, qad.RangeFirstFrame(1));
    EXPECT_EQ(-1, qad.RangeFirstFrame(2));
    EXPECT_EQ(2, qad.RangeLastFrame(0));
    EXPECT_EQ(5, qad.RangeLastFrame(1));  // the appended end record
    EXPECT_EQ(-1, qad.RangeLastFrame(-1));
    std::int32_t offset = -7;
    EXPECT_EQ(1, qad.FindRange(4, &offset));
    EXPECT_EQ(1, offset);
    EXPECT_EQ(0, qad.FindRange(2, &offset));
    EXPECT_EQ(2, offset);
    EXPECT_EQ(-1, qad.FindRange(6, &offset));
    EXPECT_STREQ("a", qad.Frame(0).text);
    EXPECT_STREQ("bc", qad.Frame(1).text);  // the kept block ends with a zero
    EXPECT_EQ(2, qad.PictureCount());
    EXPECT_EQ(13, qad.Picture(1).p0);
    EXPECT_EQ(14, qad.Picture(1).p1);
    EXPECT_EQ(Bytes({1, 2, 3}), qad.Picture(1).data);
    EXPECT_EQ(4, qad.Header(4));
    EXPECT_EQ(-1, qad.Frame(5).picture);

    // Commands 1 and 2 do not end a range.
    const std::vector<QadFrameSpec> frames = {{0, 40, 0, 0, 0}, {-1, 1, 0, 0, 0}, {-1, 2, 0, 0, 0},
                                              {-1, 0, 0, 0, 0}};
    const auto commands = testsupport::WriteQad(kTwoRanges, {'x', 0}, frames, {});
    ASSERT_EQ(0, qad.LoadFromMemory(commands.bytes.data(), commands.bytes.size()));
    EXPECT_EQ(4, qad.RangeFirstFrame(1));
    EXPECT_EQ(4, qad.LongestRange());
    const std::uint16_t three[6] = {0, 0, 0, 3, 0, 0};
    const auto few = testsupport::WriteQad(three, {'x', 0}, frames, {});
    EXPECT_EQ(10, qad.LoadFromMemory(few.bytes.data(), few.bytes.size()));
    EXPECT_EQ(-1, qad.FindRange(0, nullptr));
}

TEST_F(AnimationDataTest, QadTextOffsetsOutsideTheBlock) {
    QadAnimation qad;
    for (std::uint32_t offset : {4u, 5u, 0xFFFFFFFFu}) {
        const auto picture = TwoRangeQad(offset);
        EXPECT_EQ(5, qad.LoadFromMemory(picture.bytes.data(), picture.bytes.size())) << offset;
        EXPECT_EQ(0, qad.FrameCount());
        const auto control = TwoRangeQad(2, offset);
        ASSERT_EQ(0, qad.LoadFromMemory(control.bytes.data(), control.bytes.size())) << offset;
        EXPECT_EQ(nullptr, qad.Frame(2).text);
    }
}

// The code a QAD load gives when the file ends right after field k of TwoRangeQad. The picture
// count is first checked against the bytes left (6 at least a record): too few give 6 at once.
std::int32_t QadCutCode(int k, const testsupport::AnimationFile& file) {
    static const std::int32_t kNextField[] = {
        2,                 // magic
        3, 3, 3, 3, 3, 3,  // header words
        4, 4,              // text size, text
        5,                 // frame count
    };
    const int next = k + 1;
    if (next < 10) return kNextField[next];
    if (next < 10 + 5 * 5) return 5;  // the frames' fields
    if (next == 35) return 6;         // picture count
    if (file.fieldEnds[k] - file.fieldEnds[35] < 2 * 6) return 6;
    static const std::int32_t kPictureField[] = {6, 7, 8, 9};
    return kPictureField[(next - 36) % 4];
}

TEST_F(AnimationDataTest, QadCutAtEveryFieldBoundary) {
    const auto file = TwoRangeQad();
    ASSERT_EQ(36u + 8u, file.fieldEnds.size());
    QadAnimation qad;
    EXPECT_EQ(2, qad.LoadFromMemory(file.bytes.data(), 0));
    for (std::size_t k = 0; k + 1 < file.fieldEnds.size(); ++k) {
        const Bytes cut(file.bytes.begin(), file.bytes.begin() + file.fieldEnds[k]);
        EXPECT_EQ(QadCutCode(static_cast<int>(k), file), qad.LoadFromMemory(cut.data(), cut.size()))
            << "cut after field " << k;
        EXPECT_EQ(0, qad.FrameCount());
        EXPECT_EQ(0, qad.PictureCount());
        EXPECT_TRUE(qad.Text().empty());
    }
    for (std::uint32_t count : {0x10000001u, 0x7FFFFFFFu, 0x80000000u}) {
        Bytes damaged = file.bytes;
        const std::uint32_t frameCountAt = 20 + 4;
        for (int i = 0; i < 4; ++i) damaged[frameCountAt + i] = static_cast<std::uint8_t>(count >> (8 * i));
        EXPECT_EQ(5, qad.LoadFromMemory(damaged.data(), damaged.size())) << count;
        Bytes text = file.bytes;
        for (int i = 0; i < 4; ++i) text[16 + i] = static_cast<std::uint8_t>(count >> (8 * i));
        EXPECT_EQ(4, qad.LoadFromMemory(text.data(), text.size())) << count;
    }
}

TEST_F(AnimationDataTest, QadDamagedCopiesFailCleanlyOrLoadConsistently) {
    const auto file = TwoRangeQad();
    std::uint32_t seed = 0x0AD1;
    for (int round = 0; round < 2; ++round) {
        for (const Bytes& damaged : testsupport::MutatedCopies(file.bytes, seed++, 200)) {
            const testsupport::GuardedBytes data(damaged);
            QadAnimation qad;
            const std::int32_t code = qad.LoadFromMemory(data.Data(), data.Size());
            if (code != 0) {
                EXPECT_TRUE(code >= 2 && code <= 10) << code;
                EXPECT_EQ(0, qad.FrameCount());
                continue;
            }
            const char* begin = qad.Text().data();
            const char* end = begin + qad.Text().size();
            for (std::int32_t i = 0; i < qad.FrameCount(); ++i) {
                const QadFrame& f = qad.Frame(i);
                if (f.picture >= 0) ASSERT_NE(nullptr, f.text);
                if (f.text) EXPECT_TRUE(f.text >= begin && f.text < end);
            }
            for (std::int32_t r = 0; r < qad.RangeCount(); ++r) {
                EXPECT_LT(qad.RangeLastFrame(r), qad.FrameCount());
                EXPECT_LE(qad.RangeFirstFrame(r), qad.RangeLastFrame(r) + 1);
            }
            EXPECT_EQ('\0', qad.Text().back());
        }
    }
}

TEST_F(AnimationDataTest, CellImageSetupAndStrips) {
    Image target, strip100, strip102, grey;
    ASSERT_EQ(0, target.Create(50, 40, 32, 0));
    ASSERT_EQ(0, strip100.Create(100, 10, 32, 0));
    ASSERT_EQ(0, strip102.Create(102, 10, 32, 0));
    ASSERT_EQ(0, grey.Create(100, 10, 8, 0));
    struct Case {
        Image* strip;
        std::int32_t cellCount;
        std::int32_t frameTime;
        std::int32_t code;
        std::int32_t cellWidth;
    };
    const Case cases[] = {
        {&strip100, 4, 50, 0, 25}, {&strip102, 4, 50, 0, 25}, {&strip100, 100, 50, 0, 1},
        {&strip100, 0, 50, 1, 0},  {&strip100, -2, 50, 1, 0}, {&strip100, 101, 50, 1, 0},
        {&strip100, 4, 0, 1, 0},   {nullptr, 4, 50, 1, 0},
    };
    for (const Case& c : cases) {
        CellImage cells;
        EXPECT_EQ(c.code, cells.Attach(c.strip, c.cellCount, c.frameTime, nullptr, &target, 3, 4,
                                       1, 0, 0))
            << c.cellCount;
        if (c.code == 0) EXPECT_EQ(c.cellWidth, cells.CellWidth());
    }
    CellImage cells;
    strip100.SetOriginX(7);
    strip100.SetOriginY(8);
    ASSERT_EQ(0, cells.Attach(&strip100, 4, 50, nullptr, &target, 0xFFFF, 0, 1, 2, 0));
    EXPECT_EQ(7, cells.X());
    EXPECT_EQ(8, cells.Y());
    ASSERT_NE(nullptr, cells.Scratch());  // state 2 keeps what lies under the cell
    EXPECT_EQ(25, cells.Scratch()->Width());
    EXPECT_EQ(32, cells.Scratch()->Depth());
    EXPECT_EQ(2, cells.SwapImage(&grey));
    EXPECT_EQ(&strip100, cells.Strip());
    EXPECT_EQ(2, cells.SwapImage(&strip102));
    Image same;
    ASSERT_EQ(0, same.Create(100, 10, 32, 0));
    EXPECT_EQ(0, cells.SwapImage(&same));
    EXPECT_EQ(&same, cells.Strip());
    EXPECT_EQ(1, cells.SwapImage(nullptr));

    // Sprites take pictures only with the library bound.
    testsupport::PixelConfigScope library(testsupport::PixelConfig::LibraryPortable);
    ASSERT_TRUE(library.Ready());
    Sprite withImage, empty;
    ASSERT_EQ(0, withImage.SetImage(&target, nullptr, 0, 0));
    EXPECT_EQ(3, cells.Attach(&strip100, 4, 50, &empty, nullptr, 0, 0, 0, 0, 0));
    ASSERT_EQ(0, cells.Attach(&strip100, 4, 50, &withImage, nullptr, 0, 0, 0, 0, 0));
    EXPECT_EQ(&target, cells.Target());
    cells.AddTarget(&withImage);
    cells.AddTarget(&empty);
    cells.AddTarget(nullptr);
    EXPECT_EQ(2u, cells.Targets().size());
    cells.RemoveTarget(&withImage);
    ASSERT_EQ(1u, cells.Targets().size());
    EXPECT_EQ(&empty, cells.Targets().front());
    strip100.SetColourKeyRgb(1, 2, 3);
    ASSERT_EQ(0, cells.Attach(&strip100, 4, 50, nullptr, &target, 0, 0, 0, 0, 1));
    EXPECT_EQ(2, cells.DrawMode());
    cells.Release();
    EXPECT_EQ(nullptr, cells.Target());
    EXPECT_TRUE(cells.Targets().empty());
}

TEST_F(AnimationDataTest, CellImageLoadsAStripWithAColourKey) {
    ASSERT_TRUE(testsupport::WriteFile(Game("strip.elg"), Elg(24, 8, 2, 0x00102030)));
    Image target;
    ASSERT_EQ(0, target.Create(20, 20, 32, 0));
    CellImage cells;
    EXPECT_EQ(2, cells.Load("none.elg", 2, 50, nullptr, &target, 0, 0, 0, 0, 0, false, -1));
    EXPECT_EQ(1, cells.Load(nullptr, 2, 50, nullptr, &target, 0, 0, 0, 0, 0, false, -1));
    ASSERT_EQ(0, cells.Load("strip.elg", 2, 50, nullptr, &target, 0, 0, 0, 0, 0, false, 0x102030));
    EXPECT_EQ(4, cells.CellWidth());
    EXPECT_EQ(2, cells.DrawMode());
    EXPECT_NE(-1, cells.Strip()->ColourKey());
    ASSERT_EQ(0, cells.Load("strip.elg", 2, 50, nullptr, &target, 0, 0, 0, 0, 1, true, -1));
    EXPECT_EQ(1, cells.DrawMode());
    ASSERT_NE(nullptr, cells.Scratch());
}

}  // namespace
