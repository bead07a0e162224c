// Sprite lists: priority order, matching operations, removals, and changes made by drawables
// from inside the calls a walk makes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "tests/graphics/image_pixels.h"
#include "tests/graphics/rect_helpers.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/support/test_pictures.h"

namespace {

using graphicstest::PixelsOf;
using graphicstest::RegionRects;
using graphicstest::SameRect;
using spritetest::ProbeDrawable;

std::vector<Drawable*> Order(SpriteList& list) {
    std::vector<Drawable*> out;
    list.WalkFromHead([&](SpriteListNode& n) { out.push_back(n.drawable); });
    return out;
}

ProbeDrawable* Probe(std::vector<std::unique_ptr<ProbeDrawable>>& pool, RECT r = {0, 0, 4, 4},
                     std::uint32_t colour = 0xFF000000) {
    pool.push_back(std::make_unique<ProbeDrawable>(r, colour));
    return pool.back().get();
}

TEST(SpriteList, UnsignedPrioritiesAndTies) {
    std::vector<std::unique_ptr<ProbeDrawable>> pool;
    SpriteList list;
    ProbeDrawable* high = Probe(pool);
    ProbeDrawable* a = Probe(pool);
    ProbeDrawable* b = Probe(pool);
    ProbeDrawable* c = Probe(pool);
    ProbeDrawable* zero = Probe(pool);
    ASSERT_EQ(0, list.Add(high, 0x80000000u, 0));
    ASSERT_EQ(0, list.Add(a, 5, 0));
    ASSERT_EQ(0, list.Add(b, 5, 0));            // before the equal a
    ASSERT_EQ(0, list.AddAfterEquals(c, 5, 0)); // after both
    ASSERT_EQ(0, list.Add(zero, 0, 0));
    EXPECT_EQ((std::vector<Drawable*>{zero, b, a, c, high}), Order(list));
    EXPECT_TRUE(a->IsDirty());
    EXPECT_EQ(1, list.Add(nullptr, 0, 0));
    EXPECT_EQ(2, list.Add(a, 1, 0)) << "already listed";
    SpriteList other;
    EXPECT_EQ(2, other.Add(a, 1, 0)) << "listed elsewhere";

    EXPECT_TRUE(list.SetPriority(high, 5, false));
    EXPECT_EQ((std::vector<Drawable*>{zero, high, b, a, c}), Order(list));
    EXPECT_TRUE(list.SetPriorityAfterEquals(zero, 5, false));
    EXPECT_EQ((std::vector<Drawable*>{high, b, a, c, zero}), Order(list));
    c->SetDirty(0);
    EXPECT_TRUE(list.SetPriority(c, 5, true));
    EXPECT_FALSE(c->IsDirty()) << "skipSame leaves an equal priority alone";
    EXPECT_FALSE(other.SetPriority(c, 1, false));
}

TEST(SpriteList, MatchingRemovalAndVisibility) {
    struct Entry {
        std::uint32_t priority;
        std::uint32_t tag;
        std::int32_t owner;
    };
    const Entry entries[] = {{1, 10, 100}, {2, 10, 200}, {3, 20, 100}, {4, 20, 200}};
    auto Fill = [&](SpriteList& list, std::vector<std::unique_ptr<ProbeDrawable>>& pool) {
        for (const Entry& e : entries) {
            ProbeDrawable* p = Probe(pool);
            p->SetOwnerKey(e.owner);
            ASSERT_EQ(0, list.Add(p, e.priority, e.tag));
        }
    };
    struct Case {
        const char* name;
        std::function<void(SpriteList&)> act;
        std::vector<bool> remaining;
    };
    const Case cases[] = {
        {"tag 10", [](SpriteList& l) { l.RemoveMatching(10, -1, false); },
         {false, false, true, true}},
        {"tag 10 and owner 200", [](SpriteList& l) { l.RemoveMatching(10, 200, false); },
         {true, false, true, true}},
        {"tag other than 10, any owner", [](SpriteList& l) { l.RemoveMatching(10, -1, true); },
         {true, true, false, false}},
        {"both wildcards", [](SpriteList& l) { l.RemoveMatching(-1, -1, true); },
         {false, false, false, false}},
        {"owner other than 100, tag other than 20",
         [](SpriteList& l) { l.RemoveMatching(20, 100, true); }, {true, false, true, true}},
        {"priority 3", [](SpriteList& l) { l.RemoveByPriority(3, false); },
         {true, true, false, true}},
        {"priority other than 3", [](SpriteList& l) { l.RemoveByPriority(3, true); },
         {false, false, true, false}},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<ProbeDrawable>> pool;
        SpriteList list;
        Fill(list, pool);
        c.act(list);
        for (std::size_t i = 0; i < pool.size(); ++i)
            EXPECT_EQ(c.remaining[i], pool[i]->List() == &list) << c.name << ", entry " << i;
    }
    std::vector<std::unique_ptr<ProbeDrawable>> pool;
    SpriteList list;
    Fill(list, pool);
    list.SetVisibleMatching(0, -1, 20, -1, false);
    EXPECT_EQ((std::vector<bool>{true, true, false, false}),
              (std::vector<bool>{pool[0]->IsVisible(), pool[1]->IsVisible(), pool[2]->IsVisible(),
                                 pool[3]->IsVisible()}));
    list.SetVisibleMatching(0, 2, -1, 100, true);  // priority other than 2, owner other than 100
    EXPECT_TRUE(pool[0]->IsVisible());
    EXPECT_TRUE(pool[1]->IsVisible());
    list.SetVisibleMatching(0, 1, -1, 100, true);  // priority other than 1, owner other than 100
    EXPECT_FALSE(pool[1]->IsVisible());
}

class SpriteListOnCanvas : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testsupport::MakePicture(m_target, 64, 48, 32, 1));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_target, false));
    }
    Image m_target;
    Canvas m_canvas;
};

TEST_F(SpriteListOnCanvas, RemovingAddsTheLastRectangleOnlyWhenDrawn) {
    ProbeDrawable never(RECT{2, 2, 10, 10}, 0xFF0000FF);
    ProbeDrawable drawn(RECT{-4, 30, 20, 60}, 0xFF00FF00);
    ASSERT_EQ(0, m_canvas.Sprites().Add(&never, 1, 0));
    EXPECT_TRUE(m_canvas.Sprites().Remove(&never));
    EXPECT_EQ(0, m_canvas.Dirty().Count());
    EXPECT_EQ(nullptr, never.List());
    EXPECT_FALSE(m_canvas.Sprites().Remove(&never));

    ASSERT_EQ(0, m_canvas.Sprites().Add(&drawn, 1, 0));
    ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    EXPECT_TRUE(m_canvas.Sprites().Remove(&drawn));
    const auto rects = RegionRects(&m_canvas.Dirty());
    ASSERT_EQ(1u, rects.size());
    EXPECT_TRUE(SameRect(RECT{0, 30, 20, 48}, rects[0]));

    ASSERT_EQ(0, m_canvas.Sprites().Add(&drawn, 1, 0));
    ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    m_canvas.Sprites().Clear();
    EXPECT_EQ(0, m_canvas.Dirty().Count()) << "Clear invalidates nothing";
    EXPECT_EQ(nullptr, drawn.List());
}

// What a drawable may do from inside the calls a walk makes.
struct Mischief {
    const char* name;
    std::function<void(Canvas&, std::unique_ptr<ProbeDrawable>& self,
                       std::unique_ptr<ProbeDrawable>& other)>
        act;
};

const Mischief kMischief[] = {
    {"removes itself", [](Canvas& c, auto& self, auto&) { c.Sprites().Remove(self.get()); }},
    {"deletes itself", [](Canvas&, auto& self, auto&) { self.reset(); }},
    {"removes the other", [](Canvas& c, auto&, auto& other) { c.Sprites().Remove(other.get()); }},
    {"deletes the other", [](Canvas&, auto&, auto& other) { other.reset(); }},
    {"clears the list", [](Canvas& c, auto&, auto&) { c.Sprites().Clear(); }},
    {"reprioritises itself",
     [](Canvas& c, auto& self, auto&) { c.Sprites().SetPriority(self.get(), 0, false); }},
    {"invalidates a rectangle",
     [](Canvas& c, auto&, auto&) {
         const RECT r = {40, 40, 44, 44};
         c.InvalidateRect(&r);
     }},
};

TEST_F(SpriteListOnCanvas, DrawablesMayChangeTheListDuringEveryWalk) {
    enum Hook { kGetBounds, kSetDirty, kRenderClipped };
    for (Hook hook : {kGetBounds, kSetDirty, kRenderClipped}) {
        for (const Mischief& m : kMischief) {
            SCOPED_TRACE(std::string(m.name) + " in hook " + std::to_string(hook));
            m_canvas.Sprites().Clear();
            m_canvas.InvalidateAll();
            ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
            auto self = std::make_unique<ProbeDrawable>(RECT{0, 0, 30, 20}, 0xFF112233);
            auto other = std::make_unique<ProbeDrawable>(RECT{10, 5, 50, 40}, 0xFF445566);
            auto bystander = std::make_unique<ProbeDrawable>(RECT{5, 30, 15, 45}, 0xFF778899);
            ASSERT_EQ(0, m_canvas.Sprites().Add(other.get(), 1, 0));
            ASSERT_EQ(0, m_canvas.Sprites().Add(self.get(), 2, 0));
            ASSERT_EQ(0, m_canvas.Sprites().Add(bystander.get(), 3, 0));
            bool done = false;
            std::function<void()> once = [&] {
                if (done) return;
                done = true;
                m.act(m_canvas, self, other);
            };
            ProbeDrawable* s = self.get();
            if (hook == kGetBounds) s->onGetBounds = once;
            if (hook == kSetDirty) s->onSetDirty = once;
            if (hook == kRenderClipped) s->onRenderClipped = once;
            ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
            EXPECT_TRUE(done);
            // Whatever was added meanwhile is painted by the next frame, after which nothing
            // is left; the list holds exactly the drawables still listed.
            m_canvas.Redraw(nullptr, nullptr, 0, 0);
            EXPECT_EQ(-1, m_canvas.Redraw(nullptr, nullptr, 0, 0));
            int listed = 0;
            for (ProbeDrawable* p : {self.get(), other.get(), bystander.get()})
                listed += p && p->List() == &m_canvas.Sprites();
            EXPECT_EQ(listed, m_canvas.Sprites().Count());
            if (self) self->onGetBounds = self->onSetDirty = self->onRenderClipped = nullptr;
        }
    }
}

TEST_F(SpriteListOnCanvas, AnInvalidationDuringRedrawStaysForTheNextFrame) {
    ProbeDrawable p(RECT{0, 0, 8, 8}, 0xFF010203);
    ASSERT_EQ(0, m_canvas.Sprites().Add(&p, 1, 0));
    p.onRenderClipped = [&] {
        const RECT r = {50, 40, 60, 46};
        m_canvas.InvalidateRect(&r);
        p.onRenderClipped = nullptr;
    };
    ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    const auto left = RegionRects(&m_canvas.Dirty());
    ASSERT_EQ(1u, left.size());
    EXPECT_TRUE(SameRect(RECT{50, 40, 60, 46}, left[0]));
    DirtyRegion out;
    ASSERT_EQ(0, m_canvas.Redraw(&out, nullptr, 0, 0));
    EXPECT_EQ(1, out.Count());
}

TEST_F(SpriteListOnCanvas, AnOverlayDestroyedFirstDetachesItself) {
    ProbeDrawable p(RECT{0, 0, 8, 8}, 0xFF010203);
    {
        SpriteList overlay;
        m_canvas.AttachOverlay(&overlay);
        EXPECT_EQ(&m_canvas, overlay.GetCanvas());
        ASSERT_EQ(0, overlay.Add(&p, 1, 0));
        ASSERT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));
    }
    EXPECT_EQ(nullptr, m_canvas.Overlay());
    EXPECT_EQ(nullptr, p.List());
    EXPECT_EQ(0, m_canvas.InvalidateAll());
    EXPECT_EQ(0, m_canvas.Redraw(nullptr, nullptr, 0, 0));

    SpriteList survivor;
    {
        Canvas shortLived;
        shortLived.AttachOverlay(&survivor);
        m_canvas.AttachOverlay(&survivor);
        EXPECT_EQ(nullptr, shortLived.Overlay()) << "one canvas at a time";
        EXPECT_EQ(&m_canvas, survivor.GetCanvas());
        shortLived.AttachOverlay(&survivor);
        EXPECT_EQ(nullptr, m_canvas.Overlay());
    }
    EXPECT_EQ(nullptr, survivor.GetCanvas());
    EXPECT_FALSE(survivor.InvalidateRect(nullptr));
}

}  // namespace
