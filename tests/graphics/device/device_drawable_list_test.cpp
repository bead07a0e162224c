#include "graphics/device/device_drawable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "graphics/device/direct3d_device.h"
#include "graphics/device/state_blocks.h"
#include "tests/support/fake_direct3d_device.h"

namespace {

using testsupport::DeviceCall;
using testsupport::LoggingDirect3DDevice;
using testsupport::Render;
using testsupport::Stage;

// A drawable that notes its draws and restores in a shared log under its name.
class NamedDrawable final : public StateBlockDrawable {
public:
    NamedDrawable(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_log(log) {}
    DeviceDrawableKind Kind() const override { return kDrawableColourRect; }
    std::int32_t Draw(IDirectDrawSurface7*, const RECT*, Direct3DDevice*) override {
        m_log->push_back("draw " + m_name);
        return drawResult;
    }
    std::int32_t RestoreContent() override {
        m_log->push_back("restore " + m_name);
        return restoreResult;
    }
    const std::string& Name() const { return m_name; }
    std::int32_t drawResult = 0;
    std::int32_t restoreResult = 0;

private:
    std::string m_name;
    std::vector<std::string>* m_log;
};

std::string Order(const DeviceDrawableList& list) {
    std::string order;
    list.ForEach([&](DeviceDrawable* d, std::uint32_t, std::uint8_t) {
        order += (order.empty() ? "" : " ") + static_cast<NamedDrawable*>(d)->Name();
    });
    return order;
}

class DrawableListTest : public ::testing::Test {
protected:
    NamedDrawable* Make(const char* name) {
        m_drawables.emplace_back(new NamedDrawable(name, &m_log));
        return m_drawables.back().get();
    }
    // a, b, c inserted at the priorities given, in that order.
    void MakeThree(std::uint32_t pa, std::uint32_t pb, std::uint32_t pc) {
        m_list.InsertAfterEquals(Make("a"), pa, 0);
        m_list.InsertAfterEquals(Make("b"), pb, 0);
        m_list.InsertAfterEquals(Make("c"), pc, 0);
    }
    std::vector<std::string> m_log;
    std::vector<std::unique_ptr<NamedDrawable>> m_drawables;
    DeviceDrawableList m_list;  // declared last: cleared before the drawables go
};

TEST_F(DrawableListTest, EqualPrioritiesGoAfterOrBeforeEachOther) {
    struct Case {
        const char* name;
        bool before;  // the third insert goes before its equals
        const char* order;
    } cases[] = {{"after", false, "first third second"}, {"before", true, "third first second"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceDrawableList list;
        NamedDrawable first("first", &m_log), second("second", &m_log), third("third", &m_log);
        ASSERT_EQ(list.InsertAfterEquals(&first, 5, 0), 0);
        ASSERT_EQ(list.InsertAfterEquals(&second, 3, 0), 0);
        ASSERT_EQ(c.before ? list.InsertBeforeEquals(&third, 5, 0) : list.InsertAfterEquals(&third, 5, 0), 0);
        EXPECT_EQ(Order(list), c.order);
        list.Clear();
    }
}

TEST_F(DrawableListTest, TheHighestUnsignedPriorityComesFirstAndInsertsAreChecked) {
    NamedDrawable* low = Make("low");
    NamedDrawable* top = Make("top");
    ASSERT_EQ(m_list.InsertAfterEquals(low, 0x7FFFFFFF, 0), 0);
    ASSERT_EQ(m_list.InsertAfterEquals(top, 0xFFFFFFFF, 0), 0);
    EXPECT_EQ(Order(m_list), "top low");
    EXPECT_EQ(m_list.InsertBeforeEquals(top, 1, 0), 2);
    DeviceDrawableList other;
    EXPECT_EQ(other.InsertAfterEquals(top, 1, 0), 2);
    EXPECT_EQ(m_list.InsertAfterEquals(nullptr, 1, 0), 1);
    EXPECT_EQ(Order(m_list), "top low");
}

TEST_F(DrawableListTest, ReprioritiseMovesBehindOrBeforeItsNewEquals) {
    MakeThree(7, 7, 2);
    NamedDrawable* a = m_drawables[0].get();
    NamedDrawable* c = m_drawables[2].get();
    EXPECT_FALSE(m_list.ReprioritiseAfter(a, 7, true));
    EXPECT_EQ(Order(m_list), "a b c");
    EXPECT_TRUE(m_list.ReprioritiseAfter(a, 7, false));
    EXPECT_EQ(Order(m_list), "b a c");
    EXPECT_TRUE(m_list.ReprioritiseBefore(c, 7, true));
    EXPECT_EQ(Order(m_list), "c b a");
    EXPECT_TRUE(m_list.ReprioritiseAfter(c, 1, true));
    EXPECT_EQ(Order(m_list), "b a c");
    NamedDrawable outside("outside", &m_log);
    EXPECT_FALSE(m_list.ReprioritiseAfter(&outside, 9, false));
    EXPECT_FALSE(m_list.ReprioritiseBefore(nullptr, 9, false));
}

TEST_F(DrawableListTest, EnablingAndRemovingByPriorityAndGroup) {
    struct Placed {
        const char* name;
        std::uint32_t priority;
        std::uint8_t group;
    };
    const Placed placed[] = {{"p7g1", 7, 1}, {"p7g2", 7, 2}, {"p5g2", 5, 2}, {"p3g1", 3, 1}};
    struct EnableCase {
        const char* name;
        bool enabled;
        std::int64_t priority;
        std::int32_t group;
        const char* disabled;  // the drawables left disabled, in list order
    } enableCases[] = {{"group 2 off", false, -1, 2, "p7g2 p5g2"},
                       {"priority 7 off", false, 7, -1, "p7g1 p7g2"},
                       {"priority 7 of group 1 off", false, 7, 1, "p7g1"},
                       {"the low byte of the group counts", false, -1, 0x101, "p7g1 p3g1"},
                       {"all off", false, -1, -1, "p7g1 p7g2 p5g2 p3g1"},
                       {"nothing matches", false, 6, -1, ""}};
    auto fill = [&](DeviceDrawableList& list, std::vector<std::unique_ptr<NamedDrawable>>& ds) {
        for (const Placed& p : placed) {
            ds.emplace_back(new NamedDrawable(p.name, &m_log));
            list.InsertAfterEquals(ds.back().get(), p.priority, p.group);
        }
    };
    for (const EnableCase& c : enableCases) {
        SCOPED_TRACE(c.name);
        DeviceDrawableList list;
        std::vector<std::unique_ptr<NamedDrawable>> ds;
        fill(list, ds);
        list.SetEnabled(c.enabled, c.priority, c.group);
        std::string disabled;
        for (auto& d : ds) {
            if (!d->IsEnabled()) disabled += (disabled.empty() ? "" : " ") + d->Name();
        }
        EXPECT_EQ(disabled, c.disabled);
        list.SetEnabled(true, -1, -1);
        for (auto& d : ds) EXPECT_TRUE(d->IsEnabled());
        list.Clear();
    }
    struct RemoveCase {
        const char* name;
        int how;  // 0 priority, 1 group, 2 one drawable (the second)
        std::uint32_t value;
        const char* left;
    } removeCases[] = {{"priority 7", 0, 7, "p5g2 p3g1"}, {"priority 6", 0, 6, "p7g1 p7g2 p5g2 p3g1"},
                       {"group 1", 1, 1, "p7g2 p5g2"},    {"group 2", 1, 2, "p7g1 p3g1"},
                       {"one", 2, 0, "p7g1 p5g2 p3g1"}};
    for (const RemoveCase& c : removeCases) {
        SCOPED_TRACE(c.name);
        DeviceDrawableList list;
        std::vector<std::unique_ptr<NamedDrawable>> ds;
        fill(list, ds);
        if (c.how == 0) list.RemovePriority(c.value);
        if (c.how == 1) list.RemoveGroup(static_cast<std::uint8_t>(c.value));
        if (c.how == 2) list.Remove(ds[1].get());
        EXPECT_EQ(Order(list), c.left);
        std::size_t listed = 0;
        for (auto& d : ds) listed += d->m_list == &list;
        EXPECT_EQ(listed, std::count(c.left, c.left + std::string(c.left).size(), ' ') + (c.left[0] ? 1u : 0u));
        list.Clear();
    }
}

TEST_F(DrawableListTest, DeletingAListedDrawableUnlinksIt) {
    NamedDrawable* a = Make("a");
    auto* doomed = new NamedDrawable("doomed", &m_log);
    NamedDrawable* c = Make("c");
    m_list.InsertAfterEquals(a, 3, 0);
    m_list.InsertAfterEquals(doomed, 2, 0);
    m_list.InsertAfterEquals(c, 1, 0);
    delete doomed;
    EXPECT_EQ(Order(m_list), "a c");
    m_list.Clear();
    EXPECT_EQ(a->m_list, nullptr);
    EXPECT_EQ(Order(m_list), "");
}

TEST_F(DrawableListTest, DrawStopsAtTheFirstNonzeroAndBracketsTheScene) {
    LoggingDirect3DDevice log;
    Direct3DDevice device;
    ASSERT_EQ(device.AdoptDevice(log.Interface()), 0);
    RECT area = {0, 0, 64, 64};
    EXPECT_EQ(m_list.Draw(nullptr, &area, &device), 0);
    EXPECT_EQ(log.calls.size(), 2u);  // an empty list still begins and ends the scene
    MakeThree(3, 2, 1);
    NamedDrawable* b = m_drawables[1].get();
    b->drawResult = 3;
    log.calls.clear();
    EXPECT_EQ(m_list.Draw(nullptr, &area, &device), 3);
    EXPECT_EQ(m_log, (std::vector<std::string>{"draw a", "draw b"}));
    ASSERT_EQ(log.calls.size(), 2u);
    EXPECT_EQ(log.calls[0].what, DeviceCall::kBeginScene);
    EXPECT_EQ(log.calls[1].what, DeviceCall::kEndScene);
    log.refuseBeginScene = true;
    m_log.clear();
    EXPECT_EQ(m_list.Draw(nullptr, &area, &device), -1);
    EXPECT_TRUE(m_log.empty());
    // Without a Direct3D device the drawables still draw.
    b->drawResult = 0;
    EXPECT_EQ(m_list.Draw(nullptr, &area, nullptr), 0);
    EXPECT_EQ(m_log, (std::vector<std::string>{"draw a", "draw b", "draw c"}));
    device.ReleaseDevice();
}

// Each drawable rebuilds even after an earlier one failed; the first failure is answered.
TEST_F(DrawableListTest, RestoreAllGoesOnPastAFailingDrawable) {
    MakeThree(3, 2, 1);
    NamedDrawable* b = m_drawables[1].get();
    NamedDrawable* c = m_drawables[2].get();
    b->restoreResult = 1;
    c->restoreResult = 4;
    EXPECT_EQ(m_list.RestoreAll(), 1);
    EXPECT_EQ(m_log, (std::vector<std::string>{"restore a", "restore b", "restore c"}));
    b->restoreResult = c->restoreResult = 0;
    EXPECT_EQ(m_list.RestoreAll(), 0);
}

TEST(StateBlocks, AllLeaveSendsNothingAndEachValueReachesItsSetterInOrder) {
    LoggingDirect3DDevice log;
    Direct3DDevice device;
    ASSERT_EQ(device.AdoptDevice(log.Interface()), 0);
    RenderStateBlock render;
    TextureStageBlock stage;
    EXPECT_EQ(render.Draw(nullptr, nullptr, &device), 0);
    EXPECT_EQ(stage.Draw(nullptr, nullptr, &device), 0);
    EXPECT_TRUE(log.calls.empty());
    for (int i = 0; i < 9; ++i) render.m_values[i] = static_cast<std::uint8_t>(10 + i);
    for (int i = 0; i < 9; ++i) stage.m_values[i] = static_cast<std::uint8_t>(30 + i);
    stage.m_textureFactor = 0x11223344;
    EXPECT_EQ(render.Draw(nullptr, nullptr, &device), 0);
    EXPECT_EQ(stage.Draw(nullptr, nullptr, &device), 0);
    const std::vector<DeviceCall> expected = {
        Render(D3DRENDERSTATE_CULLMODE, 10),        Render(D3DRENDERSTATE_SHADEMODE, 11),
        Render(D3DRENDERSTATE_COLORKEYENABLE, 12),  Render(D3DRENDERSTATE_ALPHABLENDENABLE, 13),
        Render(D3DRENDERSTATE_SRCBLEND, 14),        Render(D3DRENDERSTATE_DESTBLEND, 15),
        Render(D3DRENDERSTATE_ALPHATESTENABLE, 16), Render(D3DRENDERSTATE_ALPHAREF, 17),
        Render(D3DRENDERSTATE_ALPHAFUNC, 18),       Render(D3DRENDERSTATE_ALPHABLENDENABLE, 30),
        Render(D3DRENDERSTATE_SRCBLEND, 31),        Render(D3DRENDERSTATE_DESTBLEND, 32),
        Stage(D3DTSS_COLOROP, 33),                  Stage(D3DTSS_COLORARG1, 34),
        Stage(D3DTSS_COLORARG2, 35),                Stage(D3DTSS_ALPHAOP, 36),
        Stage(D3DTSS_ALPHAARG1, 37),                Stage(D3DTSS_ALPHAARG2, 38),
        Render(D3DRENDERSTATE_TEXTUREFACTOR, 0x11223344)};
    EXPECT_EQ(log.calls, expected);
    // Repeating a block costs nothing; ALPHAREF 0 on a fresh cache sends nothing either.
    log.calls.clear();
    EXPECT_EQ(stage.Draw(nullptr, nullptr, &device), 0);
    LoggingDirect3DDevice freshLog;
    Direct3DDevice fresh;
    ASSERT_EQ(fresh.AdoptDevice(freshLog.Interface()), 0);
    RenderStateBlock alphaRef;
    alphaRef.m_values[7] = 0;
    EXPECT_EQ(alphaRef.Draw(nullptr, nullptr, &fresh), 0);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_TRUE(freshLog.calls.empty());
    // A disabled block does nothing; without a device a block answers 1.
    render.SetEnabled(false);
    EXPECT_EQ(render.Draw(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(stage.Draw(nullptr, nullptr, nullptr), 1);
    // A device without Direct3D: every setter answers 1 and the frame goes on.
    Direct3DDevice noDirect3D;
    EXPECT_EQ(stage.Draw(nullptr, nullptr, &noDirect3D), 0);
    EXPECT_EQ(render.Kind(), kDrawableRenderStateBlock);
    EXPECT_EQ(stage.Kind(), kDrawableTextureStageBlock);
    RECT bounds;
    EXPECT_FALSE(stage.GetBounds(&bounds));
    device.ReleaseDevice();
    fresh.ReleaseDevice();
}

}  // namespace
