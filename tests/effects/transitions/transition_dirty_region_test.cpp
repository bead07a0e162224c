// The one-pixel and one-line routines (0-4, 16-19, 27-31, 35-46) draw hundreds of pieces a
// frame: the target's dirty region gets one rectangle for the frame rather than one per piece
// (a region of one rectangle per row grows with the pieces and makes every further piece
// dearer), and that rectangle still holds every pixel the frame changed. The same holds for
// every other routine of the table, including those that work on the drawn picture.
#include <gtest/gtest.h>

#include <cstdint>

#include "effects/transitions/transition_routines.h"
#include "graphics/compose/dirty_region.h"
#include "tests/effects/transitions/transition_fixture.h"

namespace transtest {
namespace {

class TransitionPieceCostTest : public TransitionFixture {};

TEST_F(TransitionPieceCostTest, EachFrameAddsOneDirtyRectangleHoldingEveryChangedPixel) {
    Make(64, 48);
    struct Place {
        std::int32_t x, y;
    };
    for (std::int32_t index = 0; index < kTransitionRoutineCount; ++index) {
        const TransitionRoutineFunc routine = TransitionRoutineAt(index);
        for (std::int32_t mode : {kDrawCopy, kDrawAlphaBlend}) {
            for (std::int32_t p : {1, 100, 129, 255}) {
                for (Place at : {Place{0, 0}, Place{-5, 9}}) {
                    SCOPED_TRACE(testing::Message() << "routine " << index << " mode " << mode
                                                    << " p " << p << " at " << at.x << ","
                                                    << at.y);
                    Image target;
                    ASSERT_EQ(target.Create(64, 48, 32, kImageDirtyRegion), 0);
                    DirtyRegion* region = target.GetDirtyRegion();
                    ASSERT_NE(region, nullptr);
                    for (std::int32_t y = 0; y < 48; ++y)
                        for (std::int32_t x = 0; x < 64; ++x)
                            reinterpret_cast<std::uint32_t*>(target.Row(y))[x] = kSentinel;
                    routine(&target, &m_to, p, at.x, at.y, mode, nullptr);
                    ASSERT_LE(region->Count(), 1);
                    RECT box = {0, 0, 0, 0};
                    if (region->Count() == 1) {
                        const RectNode* node = region->Head();
                        box = RECT{node->left, node->top, node->right, node->bottom};
                    }
                    for (std::int32_t y = 0; y < 48; ++y) {
                        for (std::int32_t x = 0; x < 64; ++x) {
                            if (testsupport::PixelAt(target, x, y) == kSentinel) continue;
                            ASSERT_TRUE(x >= box.left && x < box.right && y >= box.top &&
                                        y < box.bottom)
                                << "changed pixel " << x << "," << y << " outside the region";
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace transtest
