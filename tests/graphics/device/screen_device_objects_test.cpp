// The screen device's object lists: creation order and counts, the release codes, owner keys,
// DestroyAllObjects, the handle tables behind the lookup service, and what a released image or
// font leaves behind (nothing the lists can see may still point at it), all under a delete
// that poisons freed memory.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "graphics/device/screen_device.h"
#include "graphics/device/state_blocks.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/text/default_font.h"
#include "graphics/text/font.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/graphics/sprites/sprite_fixture.h"

namespace {

std::uint32_t W(const void* p) { return HandleTable<Surface>::WordOf(p); }

// Refuses the n-th allocation a create asks for (1-based) and counts them.
int g_allocations = 0;
int g_failAt = 0;
bool CountingGate() { return ++g_allocations != g_failAt; }

class ScreenDeviceObjects : public spritetest::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        g_allocations = 0;
        g_failAt = 0;
        ScreenObjectAllocationGate = CountingGate;
        DefaultFont = nullptr;
    }
    void TearDown() override {
        ScreenObjectAllocationGate = nullptr;
        DefaultFont = nullptr;
        LibraryTest::TearDown();
    }

    Image* NewImage(ScreenDevice& device, std::uint32_t fill = 0xFFFF0000) {
        Image* image = nullptr;
        EXPECT_EQ(0, device.CreateImage(&image, 16, 16, 32, 0));
        if (image) image->FillValue(fill, nullptr);
        return image;
    }
    RenderStateBlock* NewBlock(ScreenDevice& device) {
        RenderStateBlock* block = nullptr;
        EXPECT_EQ(0, device.CreateRenderStateBlock(&block));
        return block;
    }
    Sprite* NewSprite(ScreenDevice& device, Surface* image, std::int32_t x = 0, std::int32_t y = 0) {
        Sprite* sprite = nullptr;
        EXPECT_EQ(0, device.CreateSprite(&sprite, image, nullptr, x, y));
        return sprite;
    }

    testsupport::PoisonFreedMemory m_poison;
};

std::vector<const void*> Surfaces(ScreenDevice& device) {
    std::vector<const void*> out;
    device.ForEachSurface([&](Surface* s) { out.push_back(s); });
    return out;
}
std::vector<const void*> Drawables(ScreenDevice& device) {
    std::vector<const void*> out;
    device.ForEachDrawable([&](DeviceDrawable* d) { out.push_back(d); });
    return out;
}
std::vector<const void*> Sprites(ScreenDevice& device) {
    std::vector<const void*> out;
    device.ForEachSprite([&](Drawable* d) { out.push_back(d); });
    return out;
}

TEST_F(ScreenDeviceObjects, ListsKeepCreationOrderAndCounts) {
    ScreenDevice device;
    Image* a = NewImage(device);
    MemoryScreen* screen = nullptr;
    ASSERT_EQ(0, device.CreateGdiScreenSimple(&screen, 8, 8, 32, 1));
    Image* b = NewImage(device);
    RenderStateBlock* r = NewBlock(device);
    TextureStageBlock* t = nullptr;
    ASSERT_EQ(0, device.CreateTextureStageBlock(&t));
    Sprite* s = NewSprite(device, a);
    FillRectSprite* f = nullptr;
    ASSERT_EQ(0, device.CreateFillRectSprite(&f, 1, 2, 0x80FF0000, 4, 4));
    Sprite* c = nullptr;
    ASSERT_EQ(0, device.CloneSprite(&c, s));
    Font* font = nullptr;
    ASSERT_EQ(0, device.CreateGdiFont(&font, "Arial", 16));

    EXPECT_EQ((std::vector<const void*>{a, static_cast<Surface*>(screen), b}), Surfaces(device));
    EXPECT_EQ((std::vector<const void*>{r, t}), Drawables(device));
    EXPECT_EQ((std::vector<const void*>{s, f, c}), Sprites(device));
    EXPECT_EQ(3, device.SurfaceCount());
    EXPECT_EQ(2, device.DrawableCount());
    EXPECT_EQ(3, device.SpriteCount());
    EXPECT_EQ(1, device.FontCount());
    EXPECT_EQ(a, c->GetImage()) << "the clone shows the same picture";
}

// Each kind's allocation code, and an initialisation's own code passed on with nothing left.
TEST_F(ScreenDeviceObjects, FailedCreationsLeaveNothing) {
    struct Case {
        const char* name;
        std::function<std::int32_t(ScreenDevice&, void**)> create;
        std::int32_t allocationCode;
    };
    const std::vector<Case> cases = {
        {"image", [](ScreenDevice& d, void** o) { return d.CreateImage(reinterpret_cast<Image**>(o), 4, 4, 32, 0); }, 4},
        {"loaded image", [](ScreenDevice& d, void** o) { return d.LoadImage(reinterpret_cast<Image**>(o), nullptr, nullptr, 0, 0); }, 6},
        {"copied image", [](ScreenDevice& d, void** o) { return d.CopyImage(reinterpret_cast<Image**>(o), nullptr, 0); }, 4},
        {"memory screen", [](ScreenDevice& d, void** o) { return d.CreateGdiScreenSimple(reinterpret_cast<MemoryScreen**>(o), 4, 4, 32, 0); }, 2},
        {"gdi screen", [](ScreenDevice& d, void** o) { return d.CreateGdiScreen(reinterpret_cast<GdiScreen**>(o), 4, 4, 32, 0); }, 2},
        {"video frame", [](ScreenDevice& d, void** o) { return d.CreateVideoFrameSurface(reinterpret_cast<VideoFrameSurface**>(o)); }, 1},
        {"render block", [](ScreenDevice& d, void** o) { return d.CreateRenderStateBlock(reinterpret_cast<RenderStateBlock**>(o)); }, 1},
        {"stage block", [](ScreenDevice& d, void** o) { return d.CreateTextureStageBlock(reinterpret_cast<TextureStageBlock**>(o)); }, 1},
        {"gdi font", [](ScreenDevice& d, void** o) { return d.CreateGdiFont(reinterpret_cast<Font**>(o), "Arial", 12); }, 2},
        {"fill rect", [](ScreenDevice& d, void** o) { return d.CreateFillRectSprite(reinterpret_cast<FillRectSprite**>(o), 0, 0, 0, 2, 2); }, 1},
        {"sprite", [](ScreenDevice& d, void** o) { return d.CreateSprite(reinterpret_cast<Sprite**>(o), nullptr, nullptr, 0, 0); }, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenDevice device;
        void* out = reinterpret_cast<void*>(1);
        g_allocations = 0;
        g_failAt = 1;
        EXPECT_EQ(c.allocationCode, c.create(device, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(0, device.SurfaceCount() + device.DrawableCount() + device.FontCount() + device.SpriteCount());
    }

    // Initialisations that fail: their own code, the object deleted, the lists unchanged.
    ScreenDevice device;
    g_failAt = 0;
    const std::size_t freedBefore = m_poison.FreedCount();
    Image* image = reinterpret_cast<Image*>(1);
    EXPECT_EQ(1, device.CreateImage(&image, 4, 4, 16, 0)) << "16 bits is not an image depth";
    EXPECT_EQ(nullptr, image);
    Sprite* sprite = reinterpret_cast<Sprite*>(1);
    EXPECT_EQ(1, device.CreateSprite(&sprite, nullptr, nullptr, 0, 0)) << "no image";
    EXPECT_EQ(nullptr, sprite);
    EXPECT_EQ(0, device.SurfaceCount() + device.SpriteCount());
    EXPECT_LE(freedBefore + 2, m_poison.FreedCount()) << "both half-made objects were deleted";
}

TEST_F(ScreenDeviceObjects, ReleaseCodes) {
    ScreenDevice device;
    Image* image = NewImage(device);
    RenderStateBlock* block = NewBlock(device);
    Sprite* sprite = NewSprite(device, image);
    Font* font = nullptr;
    ASSERT_EQ(0, device.CreateGdiFont(&font, "Arial", 12));

    EXPECT_EQ(1, device.ReleaseImage(nullptr));
    EXPECT_EQ(1, device.ReleaseDrawable(nullptr));
    EXPECT_EQ(1, device.ReleaseSprite(nullptr));
    Font* none = nullptr;
    EXPECT_EQ(1, device.ReleaseFont(&none));
    EXPECT_EQ(nullptr, none);

    // Ref forms clear only what they deleted.
    Drawable* spriteRef = sprite;
    EXPECT_EQ(0, device.ReleaseSpriteRef(&spriteRef));
    EXPECT_EQ(nullptr, spriteRef);
    spriteRef = sprite;
    EXPECT_EQ(2, device.ReleaseSpriteRef(&spriteRef)) << "released twice";
    EXPECT_EQ(sprite, spriteRef);

    Surface* imageRef = image;
    const std::size_t freed = m_poison.FreedCount();
    EXPECT_EQ(0, device.ReleaseImageRef(&imageRef));
    EXPECT_EQ(nullptr, imageRef);
    const std::size_t afterFirst = m_poison.FreedCount();
    EXPECT_LT(freed, afterFirst);
    imageRef = image;
    EXPECT_EQ(2, device.ReleaseImageRef(&imageRef));
    EXPECT_EQ(image, imageRef);
    EXPECT_EQ(afterFirst, m_poison.FreedCount()) << "a second release deletes nothing";

    EXPECT_EQ(0, device.ReleaseDrawable(block));
    EXPECT_EQ(2, device.ReleaseDrawable(block));

    Font* fontRef = font;
    EXPECT_EQ(0, device.ReleaseFont(&fontRef));
    EXPECT_EQ(nullptr, fontRef);
    fontRef = font;
    EXPECT_EQ(2, device.ReleaseFont(&fontRef));
    EXPECT_EQ(font, fontRef);
}

TEST_F(ScreenDeviceObjects, PinnedEntriesStayUntilTheDestructor) {
    testsupport::PoisonFreedMemory* poison = &m_poison;
    const void* pinnedAddress = nullptr;
    {
        ScreenDevice device;
        Image* pinned = NewImage(device);
        Image* other = NewImage(device);
        pinnedAddress = pinned;
        ASSERT_TRUE(device.Pin(W(pinned)));
        EXPECT_EQ(3, device.ReleaseImage(pinned));
        device.ReleaseDrawablesByOwner(0, 1);
        EXPECT_EQ((std::vector<const void*>{pinned}), Surfaces(device)) << "release by owner skips it";
        EXPECT_EQ(-1, poison->FreedAt(pinned));
        EXPECT_NE(-1, poison->FreedAt(other));
        device.DestroyAllObjects();
        EXPECT_EQ(1, device.SurfaceCount());
        EXPECT_EQ(pinned, device.FindImage(W(pinned)));
    }
    EXPECT_NE(-1, poison->FreedAt(pinnedAddress)) << "the destructor deletes it";
}

TEST_F(ScreenDeviceObjects, DestroyAllDeletesDrawablesThenSpritesThenSurfacesAndKeepsFonts) {
    ScreenDevice device;
    Image* image = NewImage(device);
    Sprite* sprite = NewSprite(device, image);
    RenderStateBlock* block = NewBlock(device);
    ASSERT_EQ(0, device.DrawingList().InsertAfterEquals(block, 5, 0));
    TextureStageBlock* stage = nullptr;
    ASSERT_EQ(0, device.CreateTextureStageBlock(&stage));
    Font* font = nullptr;
    ASSERT_EQ(0, device.CreateGdiFont(&font, "Arial", 12));

    device.DestroyAllObjects();

    const int blockAt = m_poison.FreedAt(block);
    const int stageAt = m_poison.FreedAt(stage);
    const int spriteAt = m_poison.FreedAt(sprite);
    const int imageAt = m_poison.FreedAt(image);
    ASSERT_NE(-1, blockAt);
    ASSERT_NE(-1, imageAt);
    EXPECT_LT(blockAt, stageAt) << "drawables in list order";
    EXPECT_LT(stageAt, spriteAt);
    EXPECT_LT(spriteAt, imageAt);
    EXPECT_EQ(0, device.SurfaceCount() + device.DrawableCount() + device.SpriteCount());
    EXPECT_EQ(1, device.FontCount());
    EXPECT_EQ(-1, m_poison.FreedAt(font));
    int listed = 0;
    device.DrawingList().ForEach([&](DeviceDrawable*, std::uint32_t, std::uint8_t) { ++listed; });
    EXPECT_EQ(0, listed);
}

// Drawables and surfaces under key K and another key; sprites likewise with invert 0 and 1.
TEST_F(ScreenDeviceObjects, ReleaseByOwnerKey) {
    const std::uint32_t K = 0x1234;
    struct Case {
        std::uint8_t flags;
        bool drawableK, drawableOther, surfaceK, surfaceOther;  // survivors
    };
    const Case cases[] = {
        {0, false, true, true, true},
        {1, false, true, false, true},
        {2, true, false, true, true},
        {3, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << int(c.flags));
        ScreenDevice device;
        device.objectOwnerKey = K;
        Image* surfaceK = NewImage(device);
        RenderStateBlock* drawableK = NewBlock(device);
        device.objectOwnerKey = 7;
        Image* surfaceOther = NewImage(device);
        RenderStateBlock* drawableOther = NewBlock(device);
        EXPECT_EQ(K, surfaceK->OwnerKey());
        EXPECT_EQ(K, drawableK->m_ownerKey);

        device.ReleaseDrawablesByOwner(K, c.flags);
        EXPECT_EQ(c.drawableK, device.FindDrawable(W(drawableK)) != nullptr);
        EXPECT_EQ(c.drawableOther, device.FindDrawable(W(drawableOther)) != nullptr);
        EXPECT_EQ(c.surfaceK, device.FindSurface(W(surfaceK)) != nullptr);
        EXPECT_EQ(c.surfaceOther, device.FindSurface(W(surfaceOther)) != nullptr);
        EXPECT_EQ(int(c.drawableK) + int(c.drawableOther), device.DrawableCount());
        EXPECT_EQ(int(c.surfaceK) + int(c.surfaceOther), device.SurfaceCount());
    }
    for (std::uint8_t invert : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "invert " << int(invert));
        ScreenDevice device;
        Image* image = NewImage(device);
        device.spriteOwnerKey = K;
        Sprite* spriteK = NewSprite(device, image);
        device.spriteOwnerKey = 9;
        FillRectSprite* other = nullptr;
        ASSERT_EQ(0, device.CreateFillRectSprite(&other, 0, 0, 0xFF000000, 2, 2));
        EXPECT_EQ(static_cast<std::int32_t>(K), spriteK->OwnerKey());
        device.ReleaseSpritesByOwner(K, invert);
        EXPECT_EQ(invert != 0, device.FindSprite(W(spriteK)) != nullptr);
        EXPECT_EQ(invert == 0, device.FindSpriteDrawable(W(other)) != nullptr);
        EXPECT_EQ(1, device.SpriteCount());
    }
}

// After every delete path the deleted objects' words find nothing and the others still resolve.
TEST_F(ScreenDeviceObjects, HandleTablesFollowEveryDeletePath) {
    struct Path {
        const char* name;
        std::function<void(ScreenDevice&, Image*, RenderStateBlock*, Sprite*, Font*)> release;
        bool image, block, sprite, font;  // deleted
    };
    const std::vector<Path> paths = {
        {"image", [](ScreenDevice& d, Image* i, RenderStateBlock*, Sprite*, Font*) { d.ReleaseImage(i); }, true, false, false, false},
        {"drawable", [](ScreenDevice& d, Image*, RenderStateBlock* b, Sprite*, Font*) { d.ReleaseDrawable(b); }, false, true, false, false},
        {"sprite", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite* s, Font*) { d.ReleaseSprite(s); }, false, false, true, false},
        {"font", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font* f) { d.ReleaseFont(&f); }, false, false, false, true},
        {"owner with surfaces", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.ReleaseDrawablesByOwner(0, 1); }, true, true, false, false},
        {"sprites by owner", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.ReleaseSpritesByOwner(0, 0); }, false, false, true, false},
        {"all fonts", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.ReleaseAllFonts(); }, false, false, false, true},
        {"all sprites", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.ReleaseAllSprites(); }, false, false, true, false},
        {"destroy all", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.DestroyAllObjects(); }, true, true, true, false},
    };
    for (const Path& p : paths) {
        SCOPED_TRACE(p.name);
        ScreenDevice device;
        Image* image = NewImage(device);
        MemoryScreen* keptScreen = nullptr;
        device.objectOwnerKey = 5;
        ASSERT_EQ(0, device.CreateGdiScreenSimple(&keptScreen, 8, 8, 32, 0));
        device.objectOwnerKey = 0;
        RenderStateBlock* block = NewBlock(device);
        Sprite* sprite = NewSprite(device, image);
        Font* font = nullptr;
        ASSERT_EQ(0, device.CreateGdiFont(&font, "Arial", 12));
        ASSERT_EQ(image, device.FindImage(W(image)));
        ASSERT_EQ(static_cast<Surface*>(image), device.FindSurface(W(image)));
        ASSERT_EQ(static_cast<ScreenBuffer*>(keptScreen), device.FindScreenBuffer(W(static_cast<Surface*>(keptScreen))));

        p.release(device, image, block, sprite, font);
        EXPECT_EQ(p.image, device.FindSurface(W(image)) == nullptr);
        EXPECT_EQ(p.image, device.FindImage(W(image)) == nullptr);
        EXPECT_EQ(p.block, device.FindDrawable(W(block)) == nullptr);
        EXPECT_EQ(p.sprite, device.FindSprite(W(sprite)) == nullptr);
        EXPECT_EQ(p.font, device.FindFont(W(font)) == nullptr);
        const bool screenGone = std::string(p.name) == "destroy all";
        EXPECT_EQ(screenGone, device.FindScreenBuffer(W(static_cast<Surface*>(keptScreen))) == nullptr);
    }
    ScreenDevice device;
    EXPECT_EQ(nullptr, device.FindSurface(0));
    EXPECT_EQ(nullptr, device.FindSurface(0x12345678)) << "a forged word";
}

// Records each notice and whether the object could still be found when it came.
class RecordingDeletionListener : public ObjectDeletionListener {
public:
    explicit RecordingDeletionListener(ScreenDevice* device) : m_device(device) {}
    void OnObjectDeleting(ListedObjectFamily family, const void* object, const void*) override {
        const std::uint32_t word = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
        bool found = false;
        switch (family) {
        case ListedObjectFamily::kSurface: found = m_device->FindSurface(word) != nullptr; break;
        case ListedObjectFamily::kDrawable: found = m_device->FindDrawable(word) != nullptr; break;
        case ListedObjectFamily::kFont: found = m_device->FindFont(word) != nullptr; break;
        case ListedObjectFamily::kSprite: found = m_device->FindSpriteDrawable(word) != nullptr; break;
        }
        notices.push_back({family, object, found});
    }
    struct Notice {
        ListedObjectFamily family;
        const void* object;
        bool stillListed;
    };
    std::vector<Notice> notices;
    int CountFor(const void* object) const {
        int n = 0;
        for (const Notice& x : notices) n += x.object == object && x.stillListed;
        return n;
    }

private:
    ScreenDevice* m_device;
};

// Every delete path, the destructor included, tells the listeners once per object, while the
// object is still whole and listed; a removed listener hears nothing more.
TEST_F(ScreenDeviceObjects, DeletionNoticeComesOnceBeforeEveryDeletePath) {
    struct Path {
        const char* name;
        std::function<void(ScreenDevice&, Image*, RenderStateBlock*, Sprite*, Font*)> release;
        int image, block, sprite, font;  // notices expected
    };
    const std::vector<Path> paths = {
        {"image", [](ScreenDevice& d, Image* i, RenderStateBlock*, Sprite*, Font*) { d.ReleaseImage(i); }, 1, 0, 0, 0},
        {"drawable", [](ScreenDevice& d, Image*, RenderStateBlock* b, Sprite*, Font*) { d.ReleaseDrawable(b); }, 0, 1, 0, 0},
        {"sprite", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite* s, Font*) { d.ReleaseSprite(s); }, 0, 0, 1, 0},
        {"font", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font* f) { d.ReleaseFont(&f); }, 0, 0, 0, 1},
        {"owner with surfaces", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.ReleaseDrawablesByOwner(0, 1); }, 1, 1, 0, 0},
        {"sprites by owner", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.ReleaseSpritesByOwner(0, 0); }, 0, 0, 1, 0},
        {"all fonts", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.ReleaseAllFonts(); }, 0, 0, 0, 1},
        {"all sprites", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.ReleaseAllSprites(); }, 0, 0, 1, 0},
        {"destroy all", [](ScreenDevice& d, Image*, RenderStateBlock*, Sprite*, Font*) { d.DestroyAllObjects(); }, 1, 1, 1, 0},
        {"refused: pinned image", [](ScreenDevice& d, Image* i, RenderStateBlock*, Sprite*, Font*) { d.Pin(W(i)); d.ReleaseImage(i); }, 0, 0, 0, 0},
    };
    for (const Path& p : paths) {
        SCOPED_TRACE(p.name);
        auto device = std::make_unique<ScreenDevice>();
        RecordingDeletionListener listener(device.get());
        RecordingDeletionListener removed(device.get());
        device->AddDeletionListener(&listener);
        device->AddDeletionListener(&listener);  // once only
        device->AddDeletionListener(&removed);
        device->RemoveDeletionListener(&removed);
        Image* image = NewImage(*device);
        RenderStateBlock* block = NewBlock(*device);
        Sprite* sprite = NewSprite(*device, image);
        Font* font = nullptr;
        ASSERT_EQ(0, device->CreateGdiFont(&font, "Arial", 12));

        p.release(*device, image, block, sprite, font);
        EXPECT_EQ(p.image, listener.CountFor(image));
        EXPECT_EQ(p.block, listener.CountFor(block));
        EXPECT_EQ(p.sprite, listener.CountFor(sprite));
        EXPECT_EQ(p.font, listener.CountFor(font));
        EXPECT_EQ(static_cast<std::size_t>(p.image + p.block + p.sprite + p.font), listener.notices.size());
        EXPECT_TRUE(removed.notices.empty());

        // The destructor tells of what is left, pinned entries too.
        listener.notices.clear();
        device.reset();
        EXPECT_EQ(1 - p.image, listener.CountFor(image));
        EXPECT_EQ(1 - p.block, listener.CountFor(block));
        EXPECT_EQ(1 - p.sprite, listener.CountFor(sprite));
        EXPECT_EQ(1 - p.font, listener.CountFor(font));
    }
}

// Pins count: an object lent out twice stays listed until both holders let it go.
TEST_F(ScreenDeviceObjects, PinsCountPerHolder) {
    ScreenDevice device;
    Image* image = NewImage(device);
    EXPECT_FALSE(device.IsPinned(W(image)));
    ASSERT_TRUE(device.Pin(W(image)));
    ASSERT_TRUE(device.Pin(W(image)));
    ASSERT_TRUE(device.Unpin(W(image)));
    EXPECT_TRUE(device.IsPinned(W(image)));
    EXPECT_EQ(3, device.ReleaseImage(image)) << "one pin is still on";
    ASSERT_TRUE(device.Unpin(W(image)));
    ASSERT_TRUE(device.Unpin(W(image))) << "unpinning an unpinned object changes nothing";
    EXPECT_FALSE(device.IsPinned(W(image)));
    ASSERT_TRUE(device.Pin(W(image)));
    ASSERT_TRUE(device.Unpin(W(image)));
    EXPECT_EQ(0, device.ReleaseImage(image)) << "no pin was left over from the extra unpin";
    EXPECT_FALSE(device.Pin(W(image))) << "a released word names nothing";
    EXPECT_FALSE(device.IsPinned(0));
}

// Image I is a sprite's picture on a canvas and that canvas's background; font F is the
// default font. Every path that deletes them leaves the canvas, the drawing list and the
// restore pass running clean, and the sprite's old area shows the background colour.
TEST_F(ScreenDeviceObjects, ReleasedImageAndFontLeaveNothingPointingAtThem) {
    const std::vector<std::string> paths = {"ReleaseImage", "ReleaseImageRef", "by owner", "destroy all"};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        ScreenDevice device;
        MemoryScreen* screen = nullptr;
        device.objectOwnerKey = 1;
        ASSERT_EQ(0, device.CreateGdiScreenSimple(&screen, 32, 32, 32, 1));
        ASSERT_TRUE(device.Pin(W(static_cast<Surface*>(screen))));
        device.objectOwnerKey = 2;
        Image* image = NewImage(device, 0xFFFF0000);
        Canvas* canvas = screen->GetCanvas();
        ASSERT_NE(nullptr, canvas);
        canvas->SetBackgroundColour(0x00336699, false);
        ASSERT_TRUE(canvas->SetSource(image, 0, 0, false));
        Sprite* sprite = NewSprite(device, image, 20, 20);
        device.spriteOwnerKey = 0;
        ASSERT_EQ(0, canvas->Sprites().Add(sprite, 1, 0));
        RenderStateBlock* block = NewBlock(device);
        ASSERT_EQ(0, device.DrawingList().InsertAfterEquals(block, 1, 0));
        ASSERT_EQ(0, canvas->InvalidateAll());
        ASSERT_EQ(0, canvas->Redraw(nullptr, nullptr, 0, 0));
        ASSERT_EQ(0xFFFF0000u, screen->GetImage()->GetPixel(25, 25) | 0xFF000000u);

        if (path == "ReleaseImage") {
            EXPECT_EQ(0, device.ReleaseImage(image));
        } else if (path == "ReleaseImageRef") {
            Surface* ref = image;
            EXPECT_EQ(0, device.ReleaseImageRef(&ref));
        } else if (path == "by owner") {
            device.ReleaseDrawablesByOwner(2, 1);
        } else {
            device.DestroyAllObjects();
        }
        ASSERT_NE(-1, m_poison.FreedAt(image));

        Surface* background = reinterpret_cast<Surface*>(1);
        canvas->GetBackground(&background, nullptr, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(nullptr, background);
        canvas->InvalidateAll();
        EXPECT_EQ(0, canvas->Redraw(nullptr, nullptr, 0, 0));
        device.DrawingList().Draw(nullptr, nullptr, &device);
        EXPECT_EQ(0, device.RestoreObjects(false));
        EXPECT_EQ(0x336699u, screen->GetImage()->GetPixel(25, 25) & 0xFFFFFFu);
        if (m_poison.FreedAt(sprite) == -1) EXPECT_EQ(nullptr, sprite->GetImage());
    }

    for (const std::string& path : {"ReleaseFont", "ReleaseAllFonts", "destructor"}) {
        SCOPED_TRACE(path);
        Font* kept = nullptr;
        {
            ScreenDevice device;
            Font* font = nullptr;
            ASSERT_EQ(0, device.CreateGdiFont(&font, "Arial", 12));
            DefaultFont = font;
            if (path == "ReleaseFont") {
                EXPECT_EQ(0, device.ReleaseFont(&font));
            } else if (path == "ReleaseAllFonts") {
                device.ReleaseAllFonts();
            }
            if (path != "destructor") EXPECT_EQ(nullptr, DefaultFont);
            ASSERT_EQ(0, device.CreateGdiFont(&kept, "Arial", 12));
            DefaultFont = kept;
            if (path != "destructor") {
                Font* other = nullptr;
                ASSERT_EQ(0, device.CreateGdiFont(&other, "Arial", 14));
                EXPECT_EQ(0, device.ReleaseFont(&other));
                EXPECT_EQ(kept, DefaultFont) << "another font leaves it";
            }
        }
        EXPECT_EQ(nullptr, DefaultFont);
    }
}

TEST_F(ScreenDeviceObjects, RestoreOnEmptyListsAnswersTheStatePass) {
    ScreenDevice device;
    EXPECT_EQ(0, device.RestoreObjects(true));
}

}  // namespace
