// The rule the layer effects that draw into the canvas cache share: one cache per canvas. A
// second effect refuses with its own code while the first holds it; the end of the first drops
// it and the canvas shows its source again; an effect whose cache the canvas dropped draws
// nothing more, even into a cache another effect made since.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "effects/objects/bg_cross_effect.h"
#include "effects/objects/bg_haze_effect.h"
#include "effects/objects/bg_loop_effect.h"
#include "effects/objects/bg_panime_effect.h"
#include "effects/objects/bg_rast_effect.h"
#include "tests/effects/bg_cache_effect_fixture.h"

namespace bgtest {
namespace {

struct CacheUser {
    const char* name;
    std::function<EffectObject*()> make;
    std::vector<std::int32_t> words;
    std::int32_t inUseCode;
};

const std::vector<CacheUser>& Users() {
    static const std::vector<CacheUser> users = {
        {"bg_rast", [] { return new BgRastEffect; }, {4, 16, 1000, 0, 0, 0, 1, 0}, 3},
        {"bg_haze", [] { return new BgHazeEffect; },
         {TextWord("(1,0,3)"), 16, 1000, 0, 0, 0, 1, 0}, 3},
        {"bg_loop", [] { return new BgLoopEffect; }, {0, 1000, 0, 0}, 2},
        {"bg_cross", [] { return new BgCrossEffect; }, {1000, 0, 0, 0, 0}, 5},
        // Out to the right and back to the canvas's offset, looping in cache mode. Its script is
        // not read for a canvas that shows a cached copy: it refuses as a script that does not
        // parse.
        {"bg_panime", [] { return new BgPanimeEffect; },
         {TextWord("P9,3 P5,3"), 1000, 1, 0, 0, 1, 0}, 2},
    };
    return users;
}

class BgCacheRuleTest : public BgCacheEffectTest {};

TEST_F(BgCacheRuleTest, TheSecondUserRefusesAndTheFirstsEndShowsTheSource) {
    for (const CacheUser& first : Users()) {
        for (const CacheUser& second : Users()) {
            SCOPED_TRACE(std::string(first.name) + " then " + second.name);
            MakeScreens(kWide);
            ASSERT_EQ(0, Start(first.make(), first.words));
            EffectObject* running = m_handle;
            StepAt(0);
            StepAt(300);
            const std::vector<std::uint32_t> drawn = Shown(0);
            ASSERT_NE(Plain(0), drawn);
            EffectObject* refused = second.make();
            EXPECT_EQ(second.inUseCode,
                      refused->Setup(&m_scheduler, m_screen[0].get(), second.words.data()));
            ReleaseObject(refused);
            // The refusal left the first one's cache and drawing alone.
            ASSERT_NE(nullptr, CanvasOf(0)->Scaled());
            EXPECT_EQ(drawn, Shown(0));
            EXPECT_TRUE(m_scheduler.Cancel(running));
            EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
            EXPECT_EQ(Plain(0), Shown(0));
            m_scheduler.RunDue(m_clock.Milliseconds());
            // Now the second one may take it.
            ASSERT_EQ(0, Start(second.make(), second.words));
            StepAt(0);
            StepAt(300);
            EXPECT_NE(Plain(0), Shown(0));
        }
    }
}

TEST_F(BgCacheRuleTest, ACacheTheCanvasDroppedIsNeitherDrawnIntoNorDroppedLater) {
    for (const CacheUser& user : Users()) {
        SCOPED_TRACE(user.name);
        MakeScreens(kWide);
        ASSERT_EQ(0, Start(user.make(), user.words));
        EffectObject* stale = m_handle;
        StepAt(0);
        // Moving the source drops the cache; the effect's next draws do nothing.
        ASSERT_TRUE(CanvasOf(0)->SetSource(m_background[0].get(), m_layout.offsetX,
                                           m_layout.offsetY, true));
        StepAt(300);
        ASSERT_EQ(stale, m_handle);
        EXPECT_EQ(Plain(0), Shown(0));
        // A cache made by someone else meanwhile is not the effect's.
        ASSERT_EQ(0, CanvasOf(0)->CreateScaled(false));
        Image* other = CanvasOf(0)->MutableScaled();
        ASSERT_TRUE(other->FillValue(0xFF0000FFu, nullptr));
        StepAt(600);
        EXPECT_EQ(std::vector<std::uint32_t>(static_cast<std::size_t>(Width() * Height()),
                                             0xFF0000FFu),
                  Shown(0));
        stale->Finish();
        EXPECT_EQ(other, CanvasOf(0)->Scaled());
        m_scheduler.Clear();
        EXPECT_EQ(other, CanvasOf(0)->Scaled());
    }
}

}  // namespace
}  // namespace bgtest
