// The canvas's main property: after every Redraw the target equals a fresh Render of the same
// state (on the library's portable kernels: the processor forms may round a pixel differently
// by its place in a row), and the rectangles Redraw reports cover exactly what the script changed. A seeded
// random script moves, fades, hides, reorders, reshapes, turns, adds and removes drawables in
// both lists, changes pictures and backgrounds, with strips and coalescing each on and off.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/sprites/canvas.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "tests/graphics/image_pixels.h"
#include "tests/graphics/rect_helpers.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/support/test_pictures.h"

namespace {

using graphicstest::PixelsOf;
using graphicstest::RegionRects;
using spritetest::LibraryTest;
using spritetest::ProbeDrawable;
using testsupport::MakePicture;
using testsupport::PaintPicture;
using testsupport::PictureRandom;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// Which target pixels the script changed.
class AreaMask {
public:
    AreaMask() : m_cells(kWidth * kHeight, false) {}
    void Add(const RECT& r) {
        for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, kHeight); ++y)
            for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, kWidth); ++x)
                m_cells[y * kWidth + x] = true;
    }
    void AddAll() { Add(RECT{0, 0, kWidth, kHeight}); }
    bool operator==(const AreaMask& o) const { return m_cells == o.m_cells; }
    int Count() const {
        int n = 0;
        for (bool b : m_cells) n += b;
        return n;
    }

private:
    std::vector<bool> m_cells;
};

struct Switches {
    bool strips;
    bool coalesce;
};

class CanvasGoldenTest : public LibraryTest, public ::testing::WithParamInterface<Switches> {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        g_stripRedraw = GetParam().strips;
        g_coalesceDirty = GetParam().coalesce;
    }
    void TearDown() override {
        g_stripRedraw = true;
        g_coalesceDirty = true;
        LibraryTest::TearDown();
    }
};

// Where a listed drawable was last drawn, as the canvas should remember it.
struct Tracked {
    Drawable* drawable;
    bool listed = false;
    bool inOverlay = false;
    bool hasLast = false;
    RECT last = {0, 0, 0, 0};
};

RECT Clipped(const RECT& r) {
    return RECT{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0),
                std::min<LONG>(r.right, kWidth), std::min<LONG>(r.bottom, kHeight)};
}

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

TEST_P(CanvasGoldenTest, RedrawEqualsAFreshRenderAndReportsWhatChanged) {
    Image target, alphaPicture, keyedPicture, indexedPicture, background, bigBackground;
    ASSERT_TRUE(MakePicture(target, kWidth, kHeight, 32, 1));
    ASSERT_TRUE(MakePicture(alphaPicture, 20, 16, 32, 2, kImageDirtyRegion));
    alphaPicture.SetHasAlpha(true);
    ASSERT_TRUE(MakePicture(keyedPicture, 12, 12, 32, 3));
    keyedPicture.SetColourKeyFromPixel(5, 5);
    ASSERT_TRUE(MakePicture(indexedPicture, 10, 14, 8, 4));
    ASSERT_TRUE(MakePicture(background, 80, 60, 32, 5));
    SetAllAlpha(&background, 255);
    ASSERT_TRUE(MakePicture(bigBackground, 50, 40, 32, 6));

    Canvas canvas;
    SpriteList overlay;
    canvas.AttachOverlay(&overlay);
    ASSERT_EQ(0, canvas.SetTarget(&target, true));
    canvas.SetSource(&background, 8, 6, true);

    std::vector<std::unique_ptr<Sprite>> sprites;
    Surface* pictures[] = {&alphaPicture, &keyedPicture, &indexedPicture, &alphaPicture,
                           &alphaPicture, &keyedPicture};
    for (Surface* p : pictures) {
        sprites.push_back(std::make_unique<Sprite>());
        ASSERT_EQ(0, sprites.back()->SetImage(p, nullptr, 5, 5));
    }
    FillRectSprite panel, flash;
    panel.Setup(30, 20, 0x80204080, 10, 10);
    flash.Setup(12, 40, 0xFF808080, 40, 2);
    flash.SetBlendMode(2);
    ProbeDrawable probe(RECT{50, 30, 58, 44}, 0xFF00FF00);

    std::vector<Tracked> tracked;
    for (auto& s : sprites) tracked.push_back(Tracked{s.get()});
    tracked.push_back(Tracked{&panel});
    tracked.push_back(Tracked{&flash});
    tracked.push_back(Tracked{&probe});

    // The first Redraw after the set-up paints everything.
    ASSERT_EQ(0, canvas.Redraw(nullptr, nullptr, 0, 0));

    PictureRandom random(GetParam().strips * 2 + GetParam().coalesce + 11);
    for (int step = 0; step < 160; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        AreaMask changed;
        Tracked& t = tracked[random.Below(static_cast<std::int32_t>(tracked.size()))];
        Sprite* sprite = t.drawable->Kind() == 0 ? static_cast<Sprite*>(t.drawable) : nullptr;
        FillRectSprite* fill =
            t.drawable->Kind() == 1 ? static_cast<FillRectSprite*>(t.drawable) : nullptr;
        const int action = random.Below(16);
        switch (action) {
            case 0:
            case 1:
                t.drawable->SetPosition(random.Below(90) - 20, random.Below(70) - 16);
                break;
            case 2: t.drawable->SetAlpha(static_cast<std::uint8_t>(random.Below(3) * 127)); break;
            case 3: t.drawable->SetVisible(static_cast<std::uint8_t>(random.Below(2))); break;
            case 4:
                if (t.listed)
                    (t.inOverlay ? overlay : canvas.Sprites())
                        .SetPriority(t.drawable, random.Next() >> random.Below(32), false);
                break;
            case 5: {
                static const std::uint8_t kModes[] = {0, 2, 4, 5, 9, 16, 3};
                t.drawable->SetBlendMode(kModes[random.Below(7)]);
                break;
            }
            case 6:
                if (sprite)
                    sprite->SetStretch(random.Below(3) == 0 ? 0 : random.Below(40),
                                       random.Below(3) == 0 ? 0 : random.Below(40));
                else if (fill)
                    fill->SetSize(random.Below(40), random.Below(30));
                break;
            case 7:
                if (sprite)
                    sprite->SetRotationZoom(random.Below(600),
                                            random.Below(4) == 0 ? 1.0 : 0.5 + random.Below(15) / 10.0);
                else if (fill)
                    fill->SetColourAlpha(random.Next());
                break;
            case 8: {
                // The picture changes; every listed sprite showing it is told.
                const RECT area = {random.Below(20), random.Below(16), random.Below(24),
                                   random.Below(20)};
                alphaPicture.FillValue(random.Next(), &area);
                for (auto& s : sprites) {
                    if (s->GetImage() != &alphaPicture || !s->List()) continue;
                    if (!s->Rotated() && !s->Stretched()) {
                        RECT part;
                        const RECT shown = {area.left, area.top, std::min<LONG>(area.right, 20),
                                            std::min<LONG>(area.bottom, 16)};
                        if (IntersectRects(&part, shown, s->SourceRect())) {
                            const LONG dx = s->BoundsRef().left - s->SourceRect().left;
                            const LONG dy = s->BoundsRef().top - s->SourceRect().top;
                            changed.Add(RECT{part.left + dx, part.top + dy, part.right + dx,
                                             part.bottom + dy});
                        }
                    }
                    s->RefreshCache(false);
                }
                alphaPicture.GetDirtyRegion()->Clear();
                break;
            }
            case 9:
            case 10:
                if (!t.listed) {
                    t.inOverlay = random.Below(3) == 0;
                    SpriteList& list = t.inOverlay ? overlay : canvas.Sprites();
                    const std::uint32_t priority = random.Next() >> random.Below(32);
                    if (random.Below(2))
                        ASSERT_EQ(0, list.Add(t.drawable, priority, 0));
                    else
                        ASSERT_EQ(0, list.AddAfterEquals(t.drawable, priority, 0));
                    t.listed = true;
                    t.hasLast = false;
                }
                break;
            case 11:
                if (t.listed) {
                    ASSERT_TRUE((t.inOverlay ? overlay : canvas.Sprites()).Remove(t.drawable));
                    if (t.hasLast) changed.Add(t.last);
                    t.listed = false;
                    t.hasLast = false;
                }
                break;
            case 12: {
                const int kind = random.Below(5);
                bool repaint = true;
                if (kind == 0) {
                    canvas.SetSource(&background, random.Below(17), random.Below(13), true);
                } else if (kind == 1) {
                    canvas.SetBackgroundColour(random.Next() & 0xFFFFFF, true);
                } else if (kind == 2) {
                    repaint = canvas.SetSourceRect(random.Below(10) - 5, random.Below(10) - 5,
                                                   40 + random.Below(40), 30 + random.Below(30),
                                                   nullptr);
                } else if (kind == 3) {
                    repaint = canvas.SetZoom(random.Below(10), random.Below(10),
                                             random.Below(512),
                                             0.5 + random.Below(20) / 10.0) == 1;
                } else {
                    // A background smaller than the target, scaled up to cover it.
                    const RECT part = {0, 0, 40, 30};
                    canvas.SetSource(&bigBackground, 0, 0, false);
                    canvas.SetSourceRect(0, 0, kWidth, kHeight, &part);
                }
                if (!repaint) break;
                // Every background change repaints the whole target; visible drawables are
                // drawn anew.
                changed.AddAll();
                for (Tracked& u : tracked)
                    if (u.listed && u.drawable->IsVisible() && u.drawable->Alpha() != 0)
                        u.hasLast = false;
                break;
            }
            case 13: {
                const RECT r = {random.Below(80) - 8, random.Below(60) - 6, random.Below(80),
                                random.Below(60)};
                if (canvas.InvalidateRect(&r)) changed.Add(r);
                break;
            }
            case 14:
                if (sprite) sprite->SetFilter(static_cast<std::uint8_t>(random.Below(2)));
                break;
            default: break;  // nothing changes
        }
        // What the canvas collects: each dirty listed drawable's last and new clipped bounds.
        for (Tracked& u : tracked) {
            if (!u.listed || !u.drawable->IsDirty()) continue;
            if (u.hasLast) changed.Add(u.last);
            const RECT now = Clipped(u.drawable->BoundsRef());
            u.hasLast = !Empty(now);
            if (u.hasLast) {
                u.last = now;
                changed.Add(now);
            }
        }

        const auto before = PixelsOf(target);
        const int rendersBefore = probe.renders + probe.renderClipped;
        DirtyRegion out;
        const std::int32_t result = canvas.Redraw(&out, nullptr, 0, 0);
        AreaMask reported;
        for (const RECT& r : RegionRects(&out)) reported.Add(r);
        ASSERT_TRUE(reported == changed)
            << "reported " << reported.Count() << " pixels, changed " << changed.Count()
            << ", action " << action;
        if (changed.Count() == 0) {
            ASSERT_EQ(-1, result);
            ASSERT_EQ(before, PixelsOf(target));
            ASSERT_EQ(rendersBefore, probe.renders + probe.renderClipped);
        } else {
            ASSERT_EQ(0, result);
        }
        EXPECT_EQ(0, canvas.Dirty().Count());

        Image fresh;
        ASSERT_TRUE(MakePicture(fresh, kWidth, kHeight, 32, 99));
        ASSERT_EQ(0, canvas.Render(&fresh, 0, 0, true));
        const auto want = PixelsOf(fresh);
        const auto got = PixelsOf(target);
        for (std::size_t i = 0; i < want.size(); ++i)
            ASSERT_EQ(want[i], got[i]) << "pixel (" << i % kWidth << ", " << i / kWidth
                                       << "), action " << action;
    }
}

INSTANTIATE_TEST_SUITE_P(Switches, CanvasGoldenTest,
                         ::testing::Values(Switches{true, true}, Switches{true, false},
                                           Switches{false, true}, Switches{false, false}),
                         [](const ::testing::TestParamInfo<Switches>& info) {
                             return std::string(info.param.strips ? "Strips" : "Whole") +
                                    (info.param.coalesce ? "Coalesced" : "AsCollected");
                         });

}  // namespace
