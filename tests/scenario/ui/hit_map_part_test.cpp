#include "scenario/ui/hit_map_part.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/images/bmp_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/scenario/ui/ui_scene.h"
#include "tests/support/dib_writer.h"
#include "tools/content/content_files.h"

using testsupport::Journal;
using testsupport::UiScene;

namespace {

// The index picture of the maps: an 8 x 2 strip of regions 0, 1, 2, 3 two pixels wide each,
// over a row of 255 (no region).
testsupport::DibLayout StripLayout() {
    testsupport::DibLayout layout;
    layout.bitCount = 8;
    layout.width = 8;
    layout.rows = {{0, 0, 1, 1, 2, 2, 3, 3}, {255, 255, 255, 255, 255, 255, 255, 255}};
    for (std::uint32_t i = 0; i < 256; ++i) layout.palette.push_back(i * 0x010101u);
    return layout;
}

class HitMapTest : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        ASSERT_EQ(0, m_host.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions,
                                            BmpImageLoader::kTypeString, 1, nullptr, nullptr, nullptr));
        g_imageLoaderHost = &m_host;
        ASSERT_TRUE(testsupport::WriteFile(Game("map.bmp"), testsupport::BmpFile(StripLayout())));
    }
    void TearDown() override {
        map.reset();
        other.reset();
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
        VfsTestBase::TearDown();
    }

    // A map at (100, 100) with regions 0-3, region 2 disabled, in the group with id 10.
    void MakeMap() {
        map = std::make_unique<HitMapPart>();
        ASSERT_EQ(0, map->Create("map.bmp", 4, 100, 100, true, 0));
        for (std::int32_t region : {0, 1, 3}) ASSERT_EQ(0, map->SetRegionEnabled(region, true));
        map->SetId(10);
        ASSERT_EQ(0, scene.group.InsertPart(map.get(), -1));
    }
    // A second map below the first, region 0 enabled.
    void MakeOther() {
        other = std::make_unique<HitMapPart>();
        ASSERT_EQ(0, other->Create("map.bmp", 1, 100, 200, true, 0));
        ASSERT_EQ(0, other->SetRegionEnabled(0, true));
        ASSERT_EQ(0, scene.group.InsertPart(other.get(), -1));
    }
    std::int32_t Turn(std::int32_t x, std::int32_t y, const std::vector<std::string>& keys = {}) {
        return scene.group.Turn(x, y, keys, now += 10);
    }

    ImageLoaderHost m_host;
    UiScene scene;
    std::unique_ptr<HitMapPart> map;
    std::unique_ptr<HitMapPart> other;
    std::uint32_t now = 1000;
};

TEST_F(HitMapTest, CreateCodes) {
    ASSERT_TRUE(testsupport::WriteFile(Game("broken.bmp"), std::vector<std::uint8_t>{'B', 'M', 1, 2}));
    const struct {
        const char* what;
        const char* name;
        std::uint8_t count;
        std::int32_t code;
    } cases[] = {
        {"no regions", "map.bmp", 0, 1},
        {"no such file", "none.bmp", 4, 2},
        {"no name", nullptr, 4, 2},
        {"a broken picture", "broken.bmp", 4, 2},
        {"made", "map.bmp", 4, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HitMapPart part;
        EXPECT_EQ(c.code, part.Create(c.name, c.count, 5, 6, true, 7));
        EXPECT_EQ(c.code == 0 ? 4 : 0, part.RegionCount());
        EXPECT_EQ(c.code == 0 ? 8 : 0, part.GetWidth());
        EXPECT_EQ(c.code == 0 ? 7 : 0, part.GetTag());
    }
}

TEST_F(HitMapTest, RegionsStartDisabledAndIndexesOutsideTheCountAreRefused) {
    HitMapPart part;
    EXPECT_EQ(1, part.SetRegionEnabled(0, true));
    EXPECT_EQ(1, part.SetRegionAction(0, "a", 0, nullptr, nullptr, {}, {}, {}));
    ASSERT_EQ(0, part.Create("map.bmp", 4, 0, 0, true, 0));
    EXPECT_FALSE(part.HitTest(0, 0));
    for (std::int32_t index : {4, 255, -1, -100}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(2, part.SetRegionEnabled(index, true));
        EXPECT_EQ(2, part.SetRegionAction(index, "a", 0, nullptr, "tip", {}, {}, {}));
    }
    EXPECT_EQ(0, part.SetRegionEnabled(3, true));
    EXPECT_TRUE(part.HitTest(6, 0));
    EXPECT_FALSE(part.HitTest(6, 1)) << "pixel value 255 names no region";
    EXPECT_FALSE(part.HitTest(8, 0)) << "outside the picture";
}

TEST_F(HitMapTest, TheDisabledRegionActsAsEmptySpace) {
    MakeMap();
    map->SetSounds("", "in", "", -1, 7, -1);
    std::int32_t hover1 = -5;
    std::int32_t leave1 = -5;
    ASSERT_EQ(0, map->SetRegionAction(1, nullptr, 0, nullptr, nullptr, {}, CallerWord::Program(&hover1),
                                      CallerWord::Program(&leave1)));
    Turn(102, 100);
    EXPECT_EQ(1, map->CurrentRegion());
    EXPECT_EQ((Journal{"group.sound in 7"}), scene.TakeGroup());
    EXPECT_EQ(1, hover1);
    EXPECT_EQ(0, leave1);

    Turn(104, 100);  // region 2, disabled
    EXPECT_EQ(-1, map->CurrentRegion());
    EXPECT_EQ("null", scene.Hovered());
    EXPECT_EQ((Journal{"group.sound - -2"}), scene.TakeGroup());
    EXPECT_EQ(0, hover1);
    EXPECT_EQ(1, leave1);

    Turn(106, 100);
    EXPECT_EQ(3, map->CurrentRegion());
    EXPECT_EQ((Journal{"group.sound in 7"}), scene.TakeGroup());
}

TEST_F(HitMapTest, AFiredRegionNotifiesIdPlusIndexAndLocksTheMap) {
    MakeMap();
    std::int32_t activated = 0;
    ASSERT_EQ(0, map->SetRegionAction(3, "label", 42, "file", nullptr, CallerWord::Program(&activated), {}, {}));
    Turn(106, 100);
    scene.Take();
    EXPECT_EQ(1, Turn(106, 100, {"click"})) << "the press is consumed";
    EXPECT_EQ((Journal{}), scene.TakeGroup()) << "a hit map fires on release";
    EXPECT_EQ(1, Turn(106, 100));
    EXPECT_EQ((Journal{"group.activated 13", "group.sound - -4", "group.action file label 42"}), scene.TakeGroup());
    EXPECT_EQ(1, activated);
    EXPECT_TRUE(map->Locked());

    // Locked: the pointer moves over other regions without effect.
    Turn(100, 100);
    Turn(102, 100, {"click"});
    Turn(102, 100);
    EXPECT_EQ((Journal{}), scene.TakeGroup());
    EXPECT_EQ(3, map->CurrentRegion());

    map->SetLocked(false);
    Turn(101, 100);
    EXPECT_EQ(0, map->CurrentRegion());
    EXPECT_EQ((Journal{"group.sound - -2", "group.sound - -3"}), scene.TakeGroup());
}

TEST_F(HitMapTest, ANotActivatableMapHoversButNeverNotifies) {
    map = std::make_unique<HitMapPart>();
    ASSERT_EQ(0, map->Create("map.bmp", 4, 100, 100, false, 0));
    ASSERT_EQ(0, map->SetRegionEnabled(0, true));
    map->SetId(10);
    ASSERT_EQ(0, scene.group.InsertPart(map.get(), -1));
    Turn(100, 100);
    Turn(100, 100, {"click"});
    Turn(100, 100);
    EXPECT_EQ((Journal{"group.sound - -3"}), scene.TakeGroup());
    EXPECT_FALSE(map->Locked());
}

TEST_F(HitMapTest, KeysSkipTheDisabledRegionAndPassTheFocusOn) {
    MakeMap();
    MakeOther();
    ASSERT_EQ(0, scene.group.FocusPart(map.get()));
    EXPECT_EQ(0, map->CurrentRegion()) << "focus from the front takes the first enabled region";
    const struct {
        const char* key;
        HitMapPart* focused;
        std::int32_t region;
    } steps[] = {
        {"down", map.get(), 1}, {"tab", map.get(), 3}, {"down", other.get(), -1},
        {"down", map.get(), 0},  // the other map has nothing after its one region
        {"up", other.get(), -1},  // before the first region: the previous part, wrapping
        {"up", map.get(), 3},     // backwards into the map: its last enabled region
        {"left", map.get(), 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.key);
        Turn(0, 0, {step.key});
        EXPECT_EQ(step.focused, scene.group.FocusedPart());
        EXPECT_EQ(step.region, map->CurrentRegion());
    }
    scene.Take();
    EXPECT_EQ(2, Turn(0, 0, {"enter"}));
    EXPECT_EQ((Journal{"group.activated 11", "group.sound - -4"}), scene.TakeGroup());
    EXPECT_TRUE(map->Locked());
}

TEST_F(HitMapTest, WithNoOtherPartTheKeysWrapRoundTheMap) {
    MakeMap();
    ASSERT_EQ(0, map->SelectRegion(3));
    Turn(0, 0, {"down"});
    EXPECT_EQ(map.get(), scene.group.FocusedPart());
    EXPECT_EQ(0, map->CurrentRegion());
    Turn(0, 0, {"up"});
    EXPECT_EQ(3, map->CurrentRegion());
}

TEST_F(HitMapTest, SelectRegionCodes) {
    HitMapPart loose;
    ASSERT_EQ(0, loose.Create("map.bmp", 4, 0, 0, true, 0));
    EXPECT_EQ(1, loose.SelectRegion(0)) << "no group";
    MakeMap();
    const struct {
        const char* what;
        std::int32_t index;
        bool locked;
        std::int32_t code;
    } cases[] = {
        {"past the count", 4, false, 1}, {"negative", -1, false, 1}, {"locked", 0, true, 1},
        {"disabled", 2, false, 2},       {"selected", 3, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        map->SetLocked(c.locked);
        EXPECT_EQ(c.code, map->SelectRegion(c.index));
        EXPECT_EQ(c.code == 0 ? map.get() : nullptr, scene.group.FocusedPart());
        EXPECT_EQ(c.code == 0 ? c.index : -1, map->CurrentRegion());
    }
}

TEST_F(HitMapTest, ARegionTooltipShowsTheDelayAfterEnteringThatRegion) {
    MakeMap();
    scene.group.SetTooltipTiming(true, 500, 0);
    ASSERT_EQ(0, map->SetRegionAction(1, nullptr, 0, nullptr, "one", {}, {}, {}));
    ASSERT_EQ(0, map->SetRegionAction(3, nullptr, 0, nullptr, "three", {}, {}, {}));
    now = 1000;
    scene.group.Turn(102, 100, {}, now);
    scene.Take();
    scene.group.Turn(102, 100, {}, 1499);
    EXPECT_EQ((Journal{}), scene.TakeGroup());
    scene.group.Turn(102, 100, {}, 1500);
    EXPECT_EQ((Journal{"group.tooltip one 102,100"}), scene.TakeGroup());

    scene.group.Turn(106, 100, {}, 2000);
    EXPECT_EQ((Journal{"group.hide", "group.sound - -2", "group.sound - -3"}), scene.TakeGroup());
    scene.group.Turn(106, 100, {}, 2499);
    EXPECT_EQ((Journal{}), scene.TakeGroup());
    scene.group.Turn(106, 100, {}, 2500);
    EXPECT_EQ((Journal{"group.tooltip three 106,100"}), scene.TakeGroup());

    // Replacing the shown region's record hides the tooltip that showed its old text.
    ASSERT_EQ(0, map->SetRegionAction(3, nullptr, 0, nullptr, "new", {}, {}, {}));
    EXPECT_EQ((Journal{"group.hide"}), scene.TakeGroup());
    EXPECT_STREQ("new", map->GetTooltip());
}

TEST_F(HitMapTest, ReleasingTheRegionsLeavesNoCurrentRegionOrTooltip) {
    MakeMap();
    ASSERT_EQ(0, map->SetRegionAction(1, nullptr, 0, nullptr, "one", {}, {}, {}));
    Turn(102, 100);
    ASSERT_STREQ("one", map->GetTooltip());
    map->ReleaseRegions();
    EXPECT_EQ(nullptr, map->GetTooltip());
    EXPECT_EQ(-1, map->CurrentRegion());
    EXPECT_EQ(0, map->RegionCount());
    Turn(103, 100);
    EXPECT_EQ("null", scene.Hovered());
}

}  // namespace
