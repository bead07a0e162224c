#include "effects/transitions/trans_callback_base.h"

#include <gtest/gtest.h>

#include <vector>

#include "effects/transitions/copy_rect.h"
#include "graphics/image/copy_kernels.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/support/coded_picture.h"

namespace {

using testsupport::CodedPicture;
using testsupport::PixelAt;

// The smallest built-in: keeps the words it is set up with and runs the clock over range 256.
class ProbeTransition : public TransCallbackClass<ProbeTransition> {
public:
    static constexpr std::uint8_t kKind = 0;
    static constexpr const char* kName = "probe";
    std::int32_t XM_METHOD Update(std::uint32_t now) override {
        progress = Advance(now, 256);
        return 0;
    }
    std::int32_t XM_METHOD Status() override { return progress == 256 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit*) override { return 0; }
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override {
        const std::int32_t code = CheckCommon(target, params, true);
        if (code != 0) return code;
        words.assign(params, params + 3);
        Armed();
        return 0;
    }

    std::uint32_t progress = 0;
    std::vector<std::int32_t> words;
};

struct ClockCase {
    const char* name;
    std::uint32_t elapsed, range, duration, expected;
};

TEST(TransitionClock, ProgressIsElapsedTimesRangeOverDurationCappedAtTheRange) {
    const std::uint32_t fiveHours = 5u * 3600u * 1000u;
    const ClockCase cases[] = {
        {"start", 0, 255, 1000, 0},
        {"half", 500, 255, 1000, 127},
        {"end", 1000, 255, 1000, 255},
        {"past the end", 1001, 256, 1000, 256},
        // 18 000 000 x 255 passes 2^32: a 32-bit product would give 14 here.
        {"long duration, product above 32 bits", 18000000, 255, 20000000, 229},
        // Resumed five hours later: a 32-bit product would wrap to a middle frame.
        {"five hours after the start", fiveHours, 255, 3000, 255},
        {"five hours, range 256", fiveHours, 256, 3000, 256},
        {"duration 0", 0, 255, 0, 255},
    };
    for (const ClockCase& c : cases)
        EXPECT_EQ(ClockProgress(c.elapsed, c.range, c.duration), c.expected) << c.name;
}

class TransitionBaseTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(screen.CreateSimple(16, 8, 32, false), 0); }
    MemoryScreen screen;
};

TEST_F(TransitionBaseTest, SetupCodesAreReturnedInTheirOrder) {
    MemoryScreen paletted;
    ASSERT_EQ(paletted.CreateSimple(16, 8, 8, false), 0);
    const std::int32_t good[] = {100, 0, 0};
    const std::int32_t noDuration[] = {0, 0, 0};
    struct Case {
        const char* name;
        ScreenBuffer* target;
        const std::int32_t* words;
        std::int32_t expected;
    } cases[] = {
        {"no block", &screen, nullptr, 1},
        {"no target", nullptr, good, 1},
        {"duration 0", &screen, noDuration, 1},
        {"duration 0 before depth", &paletted, noDuration, 1},
        {"8-bit target", &paletted, good, 2},
        {"good", &screen, good, 0},
    };
    for (const Case& c : cases) {
        ProbeTransition probe;
        EXPECT_EQ(probe.Setup(c.target, c.words), c.expected) << c.name;
        EXPECT_EQ(probe.FirstFrame(), c.expected == 0) << c.name;
    }
}

TEST_F(TransitionBaseTest, SetupVHandsOnTheVariableArgumentsAsTheWordsAndControlIsReserved) {
    ProbeTransition probe;
    TransCallback& callback = probe;
    ASSERT_EQ(callback.SetupV(&screen, 250, -7, 0x12345678), 0);
    EXPECT_EQ(probe.words, (std::vector<std::int32_t>{250, -7, 0x12345678}));
    EXPECT_EQ(probe.Duration(), 250u);
    EXPECT_EQ(callback.Control(1, 2), -2);
    EXPECT_EQ(callback.ControlV(1, 2, 3), -2);
}

TEST_F(TransitionBaseTest, DurationOneShowsStartThenEndThenEnds) {
    ProbeTransition probe;
    const std::int32_t words[] = {1, 0, 0};
    ASSERT_EQ(probe.Setup(&screen, words), 0);
    probe.Update(5000);
    EXPECT_EQ(probe.progress, 0u);
    EXPECT_EQ(probe.Status(), 0);
    probe.Update(5000);  // the same time again: still the start
    EXPECT_EQ(probe.Status(), 0);
    probe.Update(5001);
    EXPECT_EQ(probe.progress, 256u);
    EXPECT_EQ(probe.Status(), -1);
}

TEST_F(TransitionBaseTest, TheClockRunsThroughTheWrapOfTheMillisecondCounter) {
    ProbeTransition probe;
    const std::int32_t words[] = {1024, 0, 0};
    ASSERT_EQ(probe.Setup(&screen, words), 0);
    probe.Update(0xFFFFFF00u);
    probe.Update(0x100u);  // 512 ms later
    EXPECT_EQ(probe.progress, 128u);
}

TEST_F(TransitionBaseTest, ResumedFiveHoursLaterShowsTheEndFrameThenEnds) {
    ProbeTransition probe;
    const std::int32_t words[] = {3000, 0, 0};
    ASSERT_EQ(probe.Setup(&screen, words), 0);
    probe.Update(1000);
    probe.Update(1000 + 17000000u);  // 17 000 000 x 256 wraps 32 bits to a middle frame
    EXPECT_EQ(probe.progress, 256u);
    EXPECT_EQ(probe.Status(), -1);
}

// What a copy of the rectangle must leave: the source pixels at the destination position, the
// rest of the destination untouched.
std::vector<std::uint32_t> CopyModel(Image& dst, std::int32_t dx, std::int32_t dy, Image& src,
                                     const RECT& r) {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < dst.Height(); ++y)
        for (std::int32_t x = 0; x < dst.Width(); ++x) {
            const std::int32_t sx = x - dx + r.left, sy = y - dy + r.top;
            const bool inside = sx >= r.left && sx < r.right && sy >= r.top && sy < r.bottom;
            out.push_back(inside ? PixelAt(src, sx, sy) : PixelAt(dst, x, y));
        }
    return out;
}

std::vector<std::uint32_t> Pixels(Image& image) {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) out.push_back(PixelAt(image, x, y));
    return out;
}

TEST(CopyRectWithKernel, BothKernelsCopyASubRectangleBetweenPicturesOfOtherWidths) {
    const RECT inner = {3, 2, 12, 6};  // 9 x 4 out of a 13 x 7 source
    for (RowCopyKernel kernel : {&KernelCopy, &KernelCopyMmx}) {
        Image src, dst;
        ASSERT_TRUE(CodedPicture(src, 13, 7, 0xFF));
        ASSERT_TRUE(CodedPicture(dst, 16, 8, 0x11));
        const std::vector<std::uint32_t> expected = CopyModel(dst, 5, 3, src, inner);
        CopyRectWithKernel(kernel, &dst, 5, 3, &src, inner);
        EXPECT_EQ(Pixels(dst), expected);
    }
}

TEST(CopyRectWithKernel, AnEmptyRectangleCopiesNothing) {
    Image src, dst;
    ASSERT_TRUE(CodedPicture(src, 13, 7, 0xFF));
    ASSERT_TRUE(CodedPicture(dst, 16, 8, 0x11));
    const std::vector<std::uint32_t> before = Pixels(dst);
    CopyRectWithKernel(&KernelCopy, &dst, 0, 0, &src, RECT{4, 2, 4, 6});
    CopyRectWithKernel(&KernelCopy, &dst, 0, 0, &src, RECT{4, 2, 8, 1});
    EXPECT_EQ(Pixels(dst), before);
}

}  // namespace
