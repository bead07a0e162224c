// Sprites: their display states, setters, drawing routes, hit tests and shared caches.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "tests/graphics/image_pixels.h"
#include "tests/graphics/rect_helpers.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/support/test_pictures.h"

namespace {

using graphicstest::PixelsOf;
using graphicstest::RectText;
using graphicstest::SameRect;
using spritetest::LibraryTest;
using testsupport::MakePicture;

class SpriteTest : public LibraryTest {};

TEST_F(SpriteTest, StatesPlainStretchedRotatedAndBackToPlain) {
    Image image;
    ASSERT_TRUE(MakePicture(image, 40, 30, 32, 1));
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&image, nullptr, 10, 20));
    EXPECT_TRUE(SameRect(RECT{10, 20, 50, 50}, s.BoundsRef()));
    EXPECT_EQ(20, s.Pivot().x);
    EXPECT_EQ(15, s.Pivot().y);
    struct Step {
        const char* name;
        std::function<int(Sprite&)> change;
        int answer;
        RECT bounds;
        bool stretched;
        bool rotated;
        SIZE cacheSize;  // {0, 0}: the cache is not checked
    };
    const Step steps[] = {
        {"stretch to 80 x 15", [](Sprite& t) { return int{t.SetStretch(80, 15)}; }, 1,
         RECT{10, 20, 90, 35}, true, false, SIZE{80, 15}},
        {"the same stretch again", [](Sprite& t) { return int{t.SetStretch(80, 15)}; }, 0,
         RECT{10, 20, 90, 35}, true, false, SIZE{80, 15}},
        // Zoom 2 about the centre (20, 15): 80 x 60 with its corner at (-19, -14) from (x, y)
        // (-19.5 and -14.5 truncated toward zero).
        {"zoom 2 turns the stretch off", [](Sprite& t) { return t.SetRotationZoom(0, 2.0); }, 1,
         RECT{-9, 6, 71, 66}, false, true, SIZE{80, 60}},
        {"the same zoom again", [](Sprite& t) { return t.SetRotationZoom(0, 2.0); }, 0,
         RECT{-9, 6, 71, 66}, false, true, SIZE{80, 60}},
        {"a whole turn at zoom 1 is plain",
         [](Sprite& t) { return t.SetRotationZoom(512, 1.0); }, 1, RECT{10, 20, 50, 50}, false,
         false, SIZE{0, 0}},
        {"stretch (0, 5) keeps the width", [](Sprite& t) { return int{t.SetStretch(0, 5)}; }, 1,
         RECT{10, 20, 50, 25}, true, false, SIZE{40, 5}},
        {"stretch (0, 0) is plain", [](Sprite& t) { return int{t.SetStretch(0, 0)}; }, 1,
         RECT{10, 20, 50, 50}, false, false, SIZE{0, 0}},
        {"MoveBy(0, 0)", [](Sprite& t) { return int{t.MoveBy(0, 0)}; }, 0, RECT{10, 20, 50, 50},
         false, false, SIZE{0, 0}},
        {"MoveBy(3, -4)", [](Sprite& t) { return int{t.MoveBy(3, -4)}; }, 1,
         RECT{13, 16, 53, 46}, false, false, SIZE{0, 0}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        s.SetDirty(0);
        EXPECT_EQ(step.answer, step.change(s));
        EXPECT_EQ(step.answer != 0, s.IsDirty());
        EXPECT_TRUE(SameRect(step.bounds, s.BoundsRef())) << RectText(s.BoundsRef());
        EXPECT_EQ(step.stretched, s.Stretched());
        EXPECT_EQ(step.rotated, s.Rotated());
        if (step.cacheSize.cx != 0) {
            ASSERT_NE(nullptr, s.Cache());
            EXPECT_EQ(step.cacheSize.cx, const_cast<Image*>(s.Cache())->Width());
            EXPECT_EQ(step.cacheSize.cy, const_cast<Image*>(s.Cache())->Height());
        }
    }
}

TEST_F(SpriteTest, SetImageCasesAndSetterAnswers) {
    Image image;
    ASSERT_TRUE(MakePicture(image, 16, 8, 32, 2));
    Image empty;
    Sprite s;
    EXPECT_EQ(1, s.SetImage(nullptr, nullptr, 0, 0));
    EXPECT_EQ(1, s.SetImage(&empty, nullptr, 0, 0));
    const RECT outside = {20, 0, 30, 8};
    EXPECT_EQ(3, s.SetImage(&image, &outside, 0, 0));
    EXPECT_EQ(nullptr, s.GetImage());
    const RECT part = {-4, 2, 10, 20};
    ASSERT_EQ(0, s.SetImage(&image, &part, 5, 6));
    EXPECT_TRUE(SameRect(RECT{0, 2, 10, 8}, s.SourceRect()));
    EXPECT_EQ(0, s.BlendMode());
    image.SetHasAlpha(true);
    ASSERT_EQ(0, s.SetImage(&image, nullptr, 0, 0));
    EXPECT_EQ(2, s.BlendMode()) << "an image with alpha blends by it";

    s.SetDirty(0);
    EXPECT_EQ(1, s.SetBlendMode(32));
    EXPECT_EQ(2, s.BlendMode());
    EXPECT_FALSE(s.IsDirty());
    EXPECT_EQ(0, s.SetBlendMode(31));
    EXPECT_EQ(31, s.BlendMode());
    EXPECT_TRUE(s.IsDirty());

    EXPECT_TRUE(s.SetFilter(0x13));
    EXPECT_FALSE(s.SetFilter(0x13)) << "unchanged";
    EXPECT_FALSE(s.SetFilter(0x04));
    EXPECT_FALSE(s.SetFilter(0x23));
    EXPECT_EQ(0x13, s.Filter());

    Image indexed;
    ASSERT_TRUE(MakePicture(indexed, 8, 8, 8, 3));
    Sprite s8;
    ASSERT_EQ(0, s8.SetImage(&indexed, nullptr, 0, 0));
    EXPECT_EQ(0, s8.SetRotationZoom(64, 1.0)) << "only 32-bit pictures turn";
    EXPECT_FALSE(s8.Rotated());

    UnloadLibrary();
    Sprite late;
    EXPECT_EQ(2, late.SetImage(&image, nullptr, 0, 0));
}

TEST_F(SpriteTest, ZoomTwoRendersAPictureOfTwiceTheSize) {
    Image image;
    ASSERT_TRUE(MakePicture(image, 10, 6, 32, 4));
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&image, nullptr, 0, 0));
    ASSERT_EQ(1, s.SetRotationZoom(0, 2.0));
    EXPECT_EQ(20, s.RotatedSize().cx);
    EXPECT_EQ(12, s.RotatedSize().cy);
    // Nearest sampling at zoom 2: each source pixel covers a 2 x 2 block.
    Image* cache = const_cast<Image*>(s.Cache());
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(image.GetPixel(x / 2, y / 2), cache->GetPixel(x, y)) << x << "," << y;
}

// A sprite of a keyed picture draws with the image operation its blend mode and alpha name.
TEST_F(SpriteTest, KeyedPicturesAreRoutedByBlendModeAndAlpha) {
    Image picture;
    ASSERT_TRUE(MakePicture(picture, 12, 10, 32, 5));
    picture.SetColourKeyFromPixel(3, 3);
    using Op = std::function<std::int32_t(Image&, Image&)>;
    struct Case {
        const char* name;
        std::uint8_t mode;
        std::uint8_t alpha;
        int result;
        Op op;  // null: nothing drawn
    };
    const RECT src = {0, 0, 12, 10};
    const Case cases[] = {
        {"copy", 0, 255, 0, [&](Image& t, Image& p) { return t.Blit(&p, 4, 3, &src, false); }},
        {"copy at 100", 0, 100, 0,
         [&](Image& t, Image& p) { return t.BlendWeighted(&p, 100, 4, 3, &src); }},
        {"alpha", 2, 255, 0,
         [&](Image& t, Image& p) { return t.AlphaBlend(&p, 4, 3, &src, false); }},
        {"alpha at 100", 2, 100, 0,
         [&](Image& t, Image& p) { return t.BlendTable(0, &p, 100, 4, 3, &src); }},
        {"add", 4, 255, 0, [&](Image& t, Image& p) { return t.BlendMode(1, &p, 4, 3, &src); }},
        {"add at 100", 4, 100, 0,
         [&](Image& t, Image& p) { return t.BlitOpacityA(&p, 100, 4, 3, &src); }},
        {"subtract", 5, 255, 0,
         [&](Image& t, Image& p) { return t.BlendMode(2, &p, 4, 3, &src); }},
        {"subtract at 100", 5, 100, 0,
         [&](Image& t, Image& p) { return t.BlitOpacityB(&p, 100, 4, 3, &src); }},
        {"mode 1 draws nothing", 1, 255, 2, nullptr},
        {"mode 3 draws nothing", 3, 255, 2, nullptr},
        {"mode 6 draws nothing", 6, 100, 2, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image target, expected;
        ASSERT_TRUE(MakePicture(target, 24, 20, 32, 6));
        ASSERT_TRUE(MakePicture(expected, 24, 20, 32, 6));
        if (c.op) ASSERT_EQ(0, c.op(expected, picture));
        Sprite s;
        ASSERT_EQ(0, s.SetImage(&picture, nullptr, 4, 3));
        s.SetBlendMode(c.mode);
        s.SetAlpha(c.alpha);
        EXPECT_EQ(c.result, s.Render(&target, nullptr));
        EXPECT_EQ(PixelsOf(expected), PixelsOf(target));
    }
}

TEST_F(SpriteTest, IndexedPicturesAreAlwaysCopied) {
    Image picture;
    ASSERT_TRUE(MakePicture(picture, 8, 8, 8, 7));
    Image target, expected;
    ASSERT_TRUE(MakePicture(target, 16, 16, 32, 8));
    ASSERT_TRUE(MakePicture(expected, 16, 16, 32, 8));
    ASSERT_EQ(0, expected.Blit(&picture, 2, 2, nullptr, false));
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&picture, nullptr, 2, 2));
    s.SetBlendMode(2);
    s.SetAlpha(90);
    RECT drawn;
    EXPECT_EQ(0, s.Render(&target, &drawn));
    EXPECT_TRUE(SameRect(RECT{2, 2, 10, 10}, drawn));
    EXPECT_EQ(PixelsOf(expected), PixelsOf(target));
}

TEST_F(SpriteTest, HiddenOrTransparentSpritesDrawAndReportNothing) {
    Image picture, target;
    ASSERT_TRUE(MakePicture(picture, 8, 8, 32, 9));
    ASSERT_TRUE(MakePicture(target, 16, 16, 32, 10));
    const auto before = PixelsOf(target);
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&picture, nullptr, 0, 0));
    RECT out = {7, 7, 7, 7};
    s.SetAlpha(0);
    EXPECT_EQ(0, s.Render(&target, &out));
    s.SetAlpha(255);
    s.SetVisible(0);
    EXPECT_EQ(0, s.Render(&target, &out));
    EXPECT_EQ(7, out.left);
    EXPECT_EQ(before, PixelsOf(target));
    s.SetVisible(1);
    s.SetPosition(20, 20);
    EXPECT_EQ(0, s.Render(&target, &out));
    EXPECT_EQ(-1, out.left) << "wholly off the target";
}

// The pixel tested is the one shown at the point, wherever the source rectangle starts.
TEST_F(SpriteTest, HitTestReadsThePixelShown) {
    Image picture;
    ASSERT_EQ(0, picture.Create(6, 6, 32, 0));
    picture.FillValue(0xFF102030, nullptr);
    picture.SetPixel(3, 2, 0x00FFFFFF);  // transparent
    picture.SetPixel(4, 4, 0xFF00FF00);  // later the key
    Sprite s;
    const RECT source = {2, 2, 6, 6};
    ASSERT_EQ(0, s.SetImage(&picture, &source, 10, 10));
    struct Case {
        const char* name;
        int x, y;
        bool opaqueOnly;
        bool hit;
    };
    const Case unkeyed[] = {
        {"picture (3, 2) has alpha 0", 11, 10, true, false},
        {"picture (2, 2) is opaque", 10, 10, true, true},
        {"any point inside without opaqueOnly", 11, 10, false, true},
        {"right edge is outside", 14, 10, false, false},
        {"left of the sprite", 9, 10, false, false},
    };
    for (const Case& c : unkeyed) EXPECT_EQ(c.hit, s.HitTest(c.x, c.y, c.opaqueOnly)) << c.name;
    picture.SetColourKeyFromPixel(4, 4);
    EXPECT_FALSE(s.HitTest(12, 12, true)) << "the key colour is a hole";
    EXPECT_TRUE(s.HitTest(11, 10, true)) << "with a key, alpha plays no part";

    // Stretched: the cache is read.
    picture.ClearColourKey();
    ASSERT_TRUE(s.SetStretch(8, 8));
    EXPECT_FALSE(s.HitTest(12, 10, true));
    EXPECT_FALSE(s.HitTest(13, 11, true));
    EXPECT_TRUE(s.HitTest(10, 10, true));

    Image indexed;
    ASSERT_TRUE(MakePicture(indexed, 4, 4, 8, 11));
    Sprite s8;
    ASSERT_EQ(0, s8.SetImage(&indexed, nullptr, 0, 0));
    EXPECT_TRUE(s8.HitTest(1, 1, true)) << "8-bit without key";
    indexed.SetColourKeyFromPixel(1, 1);
    EXPECT_FALSE(s8.HitTest(1, 1, true));
}

// A sprite showing another's cache keeps drawing the same picture whatever the owner does
// with its cache afterwards.
TEST_F(SpriteTest, ABorrowedCacheOutlivesWhatTheOwnerDoes) {
    Image picture;
    ASSERT_TRUE(MakePicture(picture, 20, 16, 32, 12));
    struct Case {
        const char* name;
        std::function<void(std::unique_ptr<Sprite>&)> act;
    };
    const Case cases[] = {
        {"owner drops its cache", [](std::unique_ptr<Sprite>& o) { o->DropCache(); }},
        {"owner stretches again", [](std::unique_ptr<Sprite>& o) { o->SetStretch(50, 9); }},
        {"owner renders again", [](std::unique_ptr<Sprite>& o) { o->SetFilter(1); }},
        {"owner turns", [](std::unique_ptr<Sprite>& o) { o->SetRotationZoom(64, 1.0); }},
        {"owner resets", [](std::unique_ptr<Sprite>& o) { o->Reset(); }},
        {"owner deleted", [](std::unique_ptr<Sprite>& o) { o.reset(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto owner = std::make_unique<Sprite>();
        ASSERT_EQ(0, owner->SetImage(&picture, nullptr, 0, 0));
        ASSERT_TRUE(owner->SetStretch(30, 24));
        Sprite borrower;
        ASSERT_EQ(0, borrower.ShareFrom(owner.get()));
        EXPECT_TRUE(borrower.CacheBorrowed());
        Image before, after;
        ASSERT_TRUE(MakePicture(before, 32, 32, 32, 13));
        ASSERT_TRUE(MakePicture(after, 32, 32, 32, 13));
        ASSERT_EQ(0, borrower.Render(&before, nullptr));
        c.act(owner);
        ASSERT_EQ(0, borrower.Render(&after, nullptr));
        EXPECT_EQ(PixelsOf(before), PixelsOf(after));
        EXPECT_FALSE(borrower.SetStretch(10, 10)) << "a borrower does not render";
    }
}

TEST_F(SpriteTest, CopyingOrSharingItselfChangesNothing) {
    Image picture;
    ASSERT_TRUE(MakePicture(picture, 20, 16, 32, 14));
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&picture, nullptr, 3, 4));
    ASSERT_TRUE(s.SetStretch(40, 8));
    const Image* cache = s.Cache();
    s.SetDirty(0);
    EXPECT_EQ(0, s.CopyFrom(&s));
    EXPECT_EQ(0, s.ShareFrom(&s));
    EXPECT_EQ(cache, s.Cache());
    EXPECT_FALSE(s.CacheBorrowed());
    EXPECT_FALSE(s.IsDirty());
    EXPECT_TRUE(SameRect(RECT{3, 4, 43, 12}, s.BoundsRef()));

    Sprite copy;
    ASSERT_EQ(0, copy.CopyFrom(&s));
    ASSERT_NE(nullptr, copy.Cache());
    EXPECT_NE(cache, copy.Cache()) << "a copy owns its own cache";
    EXPECT_FALSE(copy.CacheBorrowed());
    EXPECT_FALSE(copy.IsDirty());
}

// The library's BlendRect cuts the rectangle it is given to the target; a sprite partly off the
// target must not lose that part of its source for later draws.
TEST_F(SpriteTest, DrawingPartlyOffTheTargetKeepsTheSource) {
    Image picture;
    ASSERT_TRUE(MakePicture(picture, 20, 20, 32, 15));
    Image target, later, expected;
    ASSERT_TRUE(MakePicture(target, 32, 32, 32, 16));
    ASSERT_TRUE(MakePicture(later, 32, 32, 32, 16));
    ASSERT_TRUE(MakePicture(expected, 32, 32, 32, 16));
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&picture, nullptr, -10, -5));
    ASSERT_EQ(0, s.Render(&target, nullptr));
    EXPECT_TRUE(SameRect(RECT{0, 0, 20, 20}, s.SourceRect()));
    s.SetPosition(4, 4);
    ASSERT_EQ(0, s.Render(&later, nullptr));
    Sprite fresh;
    ASSERT_EQ(0, fresh.SetImage(&picture, nullptr, 4, 4));
    ASSERT_EQ(0, fresh.Render(&expected, nullptr));
    EXPECT_EQ(PixelsOf(expected), PixelsOf(later));
}

// Without the library a sprite takes the failure path instead of calling a stale table.
TEST_F(SpriteTest, AfterTheLibraryIsUnloadedDrawingFailsCleanly) {
    Image picture, target;
    ASSERT_TRUE(MakePicture(picture, 10, 10, 32, 17));
    ASSERT_TRUE(MakePicture(target, 16, 16, 32, 18));
    Sprite plain, stretched;
    ASSERT_EQ(0, plain.SetImage(&picture, nullptr, 2, 2));
    ASSERT_EQ(0, stretched.SetImage(&picture, nullptr, 0, 0));
    ASSERT_TRUE(stretched.SetStretch(12, 12));
    UnloadLibrary();
    const auto before = PixelsOf(target);
    EXPECT_EQ(3, plain.Render(&target, nullptr));
    EXPECT_EQ(3, stretched.Render(&target, nullptr));
    plain.RenderClipped(&target, RECT{0, 0, 16, 16});
    EXPECT_EQ(before, PixelsOf(target));
    EXPECT_FALSE(stretched.SetStretch(14, 14));
    EXPECT_EQ(12, stretched.Stretch().cx);
}

TEST_F(SpriteTest, ZoomsThatCannotBeDrawnAreRefusedAndChangeNothing) {
    Image picture;
    ASSERT_TRUE(MakePicture(picture, 16, 16, 32, 19));
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&picture, nullptr, 5, 5));
    ASSERT_EQ(1, s.SetRotationZoom(64, 1.5));
    const RECT bounds = s.BoundsRef();
    const Image* cache = s.Cache();
    const double inf = std::numeric_limits<double>::infinity();
    for (double zoom : {inf, -inf, std::numeric_limits<double>::quiet_NaN(), 1e9, 3e7}) {
        SCOPED_TRACE(zoom);
        s.SetDirty(0);
        EXPECT_EQ(0, s.SetRotationZoom(100, zoom));
        EXPECT_EQ(64, s.Angle());
        EXPECT_EQ(1.5, s.Zoom());
        EXPECT_TRUE(SameRect(bounds, s.BoundsRef()));
        EXPECT_EQ(cache, s.Cache());
        EXPECT_FALSE(s.IsDirty());
        EXPECT_NE(0, s.ReserveRotationCache(zoom));
    }
}

TEST_F(SpriteTest, PositionsSaturateInsteadOfWrapping) {
    Image picture;
    ASSERT_TRUE(MakePicture(picture, 16, 16, 32, 20));
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&picture, nullptr, INT_MAX - 5, INT_MIN + 3));
    EXPECT_EQ(INT_MAX, s.BoundsRef().right);
    ASSERT_TRUE(s.MoveBy(100, -100));
    EXPECT_EQ(INT_MAX, s.X());
    EXPECT_EQ(INT_MIN, s.Y());
    EXPECT_LE(s.BoundsRef().left, s.BoundsRef().right);
    EXPECT_LE(s.BoundsRef().top, s.BoundsRef().bottom);
    Image target;
    ASSERT_TRUE(MakePicture(target, 8, 8, 32, 21));
    const auto before = PixelsOf(target);
    RECT out;
    EXPECT_EQ(0, s.Render(&target, &out));
    EXPECT_EQ(-1, out.left);
    EXPECT_EQ(before, PixelsOf(target));
}

}  // namespace

namespace {

using graphicstest::PixelsOf;
using graphicstest::RegionRects;
using graphicstest::SameRect;
using testsupport::MakePicture;

class SpriteSourceTest : public spritetest::LibraryTest {};

TEST_F(SpriteSourceTest, SourceRectanglesAndScrolls) {
    Image picture;
    ASSERT_TRUE(MakePicture(picture, 32, 24, 32, 30));
    Sprite s;
    ASSERT_EQ(0, s.SetImage(&picture, nullptr, 10, 10));
    ASSERT_EQ(1, s.SetRotationZoom(0, 2.0));
    const RECT part = {4, 4, 20, 12};
    EXPECT_EQ(0, s.SetSourceRect(&part));
    EXPECT_TRUE(SameRect(part, s.SourceRect()));
    EXPECT_EQ(8, s.Pivot().x) << "the centre of the new source";
    EXPECT_EQ(32, s.RotatedSize().cx) << "the rotated picture follows the new source";
    EXPECT_EQ(16, s.RotatedSize().cy);
    EXPECT_EQ(0, s.SetSourceRect(&part)) << "unchanged";
    const RECT outside = {40, 0, 50, 10};
    EXPECT_EQ(2, s.SetSourceRect(&outside));
    EXPECT_TRUE(SameRect(part, s.SourceRect()));

    Sprite plain;
    ASSERT_EQ(0, plain.SetImage(&picture, &part, 0, 0));
    plain.SetDirty(0);
    EXPECT_EQ(0, plain.ScrollSource(3, 2));
    EXPECT_TRUE(SameRect(RECT{7, 6, 23, 14}, plain.SourceRect()));
    EXPECT_TRUE(SameRect(RECT{0, 0, 16, 8}, plain.BoundsRef())) << "the bounds stay";
    EXPECT_TRUE(plain.IsDirty());
    EXPECT_EQ(0, plain.ScrollSource(1, 0));
    EXPECT_TRUE(SameRect(RECT{5, 4, 21, 12}, plain.SourceRect())) << "by the change of scroll";

    Sprite borrower;
    ASSERT_EQ(0, borrower.ShareFrom(&s));
    EXPECT_EQ(1, borrower.SetSourceRect(nullptr));
    EXPECT_EQ(1, borrower.ScrollSource(1, 1));
    EXPECT_FALSE(borrower.SetPivot(0, 0, 0));
}

TEST_F(SpriteSourceTest, InvalidatedAreasReachTheCanvas) {
    Image picture, target;
    ASSERT_TRUE(MakePicture(picture, 32, 24, 32, 31));
    ASSERT_TRUE(MakePicture(target, 64, 48, 32, 32));
    Canvas canvas;
    ASSERT_EQ(0, canvas.SetTarget(&target, false));
    Sprite s;
    const RECT part = {4, 4, 20, 12};
    ASSERT_EQ(0, s.SetImage(&picture, &part, 30, 30));
    EXPECT_FALSE(s.InvalidateArea(RECT{0, 0, 8, 8})) << "not in a list";
    ASSERT_EQ(0, canvas.Sprites().Add(&s, 0, 0));
    ASSERT_EQ(0, canvas.Redraw(nullptr, nullptr, 0, 0));
    // Image (6, 5)-(10, 8) shows at the sprite's corner plus its offset into the source.
    EXPECT_TRUE(s.InvalidateArea(RECT{6, 5, 10, 8}));
    auto rects = RegionRects(&canvas.Dirty());
    ASSERT_EQ(1u, rects.size());
    EXPECT_TRUE(SameRect(RECT{32, 31, 36, 34}, rects[0]));
    EXPECT_FALSE(s.InvalidateArea(RECT{20, 0, 30, 10})) << "right of the source";
    EXPECT_FALSE(s.InvalidateArea(RECT{-5, -5, 0, 0}));
}

}  // namespace
