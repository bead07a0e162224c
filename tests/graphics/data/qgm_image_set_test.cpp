// Image-set files into canvases of sprites and panels of parts: every field of both entry
// forms, where the sprites go, the part factory table, group leaders and numbering, and what a
// failure leaves: nothing of the set, the canvas and the panel as they were, also for every cut
// length and for damaged copies. Pictures are ELG files in a game folder read through the
// virtual file system and the image-loader host; parts are made on a recording panel.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/files/path_utilities.h"
#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "graphics/compose/math_tables.h"
#include "graphics/data/qgm_image_set.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tools/content/elg_writer.h"
#include "tests/support/image_buffer.h"
#include "tests/support/qgm_writer.h"
#include "tests/support/recording_ui_panel.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::QgmFile;
using testsupport::QgmPartEntry;
using testsupport::QgmSpriteEntry;
using testsupport::RecordedPart;
using testsupport::RecordingUiPanel;

UiPartGroup* const kGroup = reinterpret_cast<UiPartGroup*>(0x5150);

class QgmImageSetTest : public VfsTestBase {
protected:
    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready());
        g_mathTables = &m_tables;
        VfsTestBase::SetUp();
        ASSERT_TRUE(CreateDirectoryA(Game("SYS").c_str(), nullptr));
        ASSERT_EQ(0, m_host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions,
                                            ElgImageLoader::kTypeString, 1, nullptr, nullptr, nullptr));
        g_imageLoaderHost = &m_host;
        Picture("SYS\\SET_BG.ELG", 8, 6, 24);
        Picture("SYS\\SET_I8.ELG", 3, 2, 8);
        Picture("SYS\\SET_A.ELG", 4, 3, 24);
        Picture("SYS\\SET_B.ELG", 5, 5, 32);
        Picture("SYS\\SET_C.ELG", 2, 7, 24);
    }
    void TearDown() override {
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
        VfsTestBase::TearDown();
        g_mathTables = nullptr;
        m_scope.reset();
    }

    void Write(const std::string& relative, const Bytes& bytes) {
        HANDLE file = CreateFileA(Game(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_EQ(bytes.size(), written);
    }
    void Picture(const std::string& relative, std::uint16_t w, std::uint16_t h, std::uint8_t depth) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h, 0x00336699);
        std::vector<std::uint32_t> palette;
        std::vector<std::uint8_t> indices;
        if (depth == 8) {
            palette.assign(256, 0x00112233);
            indices.assign(pixels.size(), 1);
        }
        Write(relative, testsupport::EncodeElgPicture(depth, w, h, pixels, palette, indices));
    }
    // Writes the set and loads it.
    std::int32_t LoadSprites(const Bytes& file, std::int32_t priority = 40, bool toOverlay = false,
                             bool indexed = false) {
        Write("SYS\\SET.GMP", file);
        return m_sprites.Load(&m_device, &m_canvas, "SYS/SET.GMP", priority, toOverlay, indexed);
    }
    std::int32_t LoadParts(const Bytes& file, std::int32_t firstId = 0, bool passThrough = false,
                           bool indexed = false, bool withDevice = true) {
        Write("SYS\\SET.GMP", file);
        return m_parts.Load(&m_panel, kGroup, "SYS/SET.GMP", firstId, passThrough, indexed,
                            withDevice ? &m_device : nullptr);
    }

    std::int32_t SurfaceCount() {
        std::int32_t n = 0;
        m_device.ForEachSurface([&](Surface*) { ++n; });
        return n;
    }
    std::int32_t SpriteCount() {
        std::int32_t n = 0;
        m_device.ForEachSprite([&](Drawable*) { ++n; });
        return n;
    }
    Surface* CanvasBackground() {
        Surface* image = nullptr;
        std::int32_t x = 0, y = 0;
        std::uint8_t r = 0, g = 0, b = 0;
        m_canvas.GetBackground(&image, &x, &y, &r, &g, &b);
        return image;
    }
    static std::vector<Drawable*> Listed(SpriteList& list) {
        std::vector<Drawable*> out;
        list.WalkFromHead([&](SpriteListNode& node) { out.push_back(node.drawable); });
        return out;
    }
    std::string Path(const std::string& relative) { return Game(relative); }

    // What a failed load must leave as it was.
    struct State {
        std::int32_t surfaces, sprites, listed, live;
        Surface* background;
        bool operator==(const State& o) const {
            return surfaces == o.surfaces && sprites == o.sprites && listed == o.listed && live == o.live &&
                   background == o.background;
        }
    };
    State Now() {
        return {SurfaceCount(), SpriteCount(), m_canvas.Sprites().Count(), m_panel.LiveCount(), CanvasBackground()};
    }
    // A background and a sprite that were there before the set.
    Image* Existing() {
        Image* image = nullptr;
        EXPECT_EQ(0, m_device.CreateImage(&image, 4, 4, 32, 0));
        m_canvas.SetSource(image, 0, 0, false);
        Sprite* sprite = nullptr;
        EXPECT_EQ(0, m_device.CreateSprite(&sprite, image, nullptr, 0, 0));
        EXPECT_EQ(0, m_canvas.Sprites().Add(sprite, 40, 0));
        return image;
    }

    MathTables m_tables;
    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    ImageLoaderHost m_host;
    ScreenDevice m_device;
    Canvas m_canvas;
    RecordingUiPanel m_panel{&m_canvas};
    QgmSpriteGroup m_sprites;
    QgmPartGroup m_parts;
};

// Both entry forms with every field; the sprites go into the canvas's own list after the one
// already at their priority, in file order; the background becomes the canvas's.
TEST_F(QgmImageSetTest, SpriteSetEntriesOfBothFormsWithEveryField) {
    Existing();
    Drawable* before = Listed(m_canvas.Sprites())[0];
    const Bytes file = QgmFile()
                           .Background("_BG.ELG")
                           .Sprite({"_A.ELG", 0, 5, -3, 200, 1})
                           .Sprite({"_B.ELG", 1, -7, 9, 17, 0, 2, 1, 7})
                           .Sprite({"_C.ELG", 0, 300, -300, 0, 1})
                           .Bytes();
    ASSERT_EQ(5u + 7 + 2 + (1 + 6 + 7) + (1 + 6 + 12) + (1 + 6 + 7), file.size());
    ASSERT_EQ(0, LoadSprites(file));

    ASSERT_EQ(3, m_sprites.Count());
    EXPECT_EQ(m_sprites.Background(), CanvasBackground());
    EXPECT_EQ(8, m_sprites.Background()->Width());
    const struct {
        std::int32_t imageW, imageH, x, y;
        std::uint8_t alpha;
        bool visible;
        RECT shown;
        std::uint8_t flag;
    } want[] = {{4, 3, 5, -3, 200, true, {0, 0, 4, 3}, 1},
                {5, 5, -7, 9, 17, false, {0, 0, 2, 1}, 7},
                {2, 7, 300, -300, 0, true, {0, 0, 2, 7}, 1}};
    for (std::int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const auto& w = want[i];
        EXPECT_EQ(w.imageW, m_sprites.ImageAt(i)->Width());
        EXPECT_EQ(w.imageH, m_sprites.ImageAt(i)->Height());
        Sprite* s = m_sprites.SpriteAt(i);
        EXPECT_EQ(w.x, s->X());
        EXPECT_EQ(w.y, s->Y());
        EXPECT_EQ(w.alpha, s->Alpha());
        EXPECT_EQ(w.visible, s->IsVisible());
        EXPECT_TRUE(EqualRect(&w.shown, &s->SourceRect()));
        EXPECT_EQ(w.shown.right, m_sprites.Info(i).width);
        EXPECT_EQ(w.shown.bottom, m_sprites.Info(i).height);
        EXPECT_EQ(w.flag, m_sprites.Info(i).flag);
        EXPECT_EQ(40u, m_canvas.Sprites().Find(s)->priority);
        EXPECT_EQ(0u, m_canvas.Sprites().Find(s)->tag);
    }
    const std::vector<Drawable*> order = {before, m_sprites.SpriteAt(0), m_sprites.SpriteAt(1), m_sprites.SpriteAt(2)};
    EXPECT_EQ(order, Listed(m_canvas.Sprites()));
    EXPECT_EQ(1 + 4, SurfaceCount());
    EXPECT_EQ(1 + 3, SpriteCount());

    // Release forgets the set; the device keeps its objects.
    m_sprites.Release();
    EXPECT_EQ(0, m_sprites.Count());
    EXPECT_EQ(nullptr, m_sprites.Background());
    EXPECT_EQ(1 + 4, SurfaceCount());
}

TEST_F(QgmImageSetTest, SpritesGoToTheOverlayOnlyWhenTheCanvasHasOne) {
    const Bytes file = QgmFile().Sprite({"_A.ELG"}).Sprite({"_C.ELG"}).Bytes();
    ASSERT_EQ(0, LoadSprites(file, 7, true));
    EXPECT_EQ(2, m_sprites.Count());
    EXPECT_EQ(0, m_canvas.Sprites().Count());

    SpriteList overlay;
    m_canvas.AttachOverlay(&overlay);
    ASSERT_EQ(0, LoadSprites(file, 7, true));
    EXPECT_EQ((std::vector<Drawable*>{m_sprites.SpriteAt(0), m_sprites.SpriteAt(1)}), Listed(overlay));
    EXPECT_EQ(0, m_canvas.Sprites().Count());
    m_canvas.AttachOverlay(nullptr);
}

TEST_F(QgmImageSetTest, IndexedTakesOnlyTheBackgroundAsAPaletteImage) {
    const Bytes file = QgmFile().Background("_I8.ELG").Sprite({"_I8.ELG"}).Bytes();
    ASSERT_EQ(0, LoadSprites(file, 0, false, true));
    EXPECT_EQ(8, m_sprites.Background()->Depth());
    EXPECT_EQ(32, m_sprites.ImageAt(0)->Depth());
    ASSERT_EQ(0, LoadSprites(file, 0, false, false));
    EXPECT_EQ(32, m_sprites.Background()->Depth());
}

TEST_F(QgmImageSetTest, NoBackgroundLeavesTheCanvasAloneAndNoEntriesGiveAnEmptySet) {
    Image* old = Existing();
    ASSERT_EQ(0, LoadSprites(QgmFile().Bytes()));
    EXPECT_EQ(0, m_sprites.Count());
    EXPECT_EQ(nullptr, m_sprites.Background());
    EXPECT_EQ(old, CanvasBackground());
    ASSERT_EQ(0, LoadParts(QgmFile().Bytes()));
    EXPECT_EQ(0, m_parts.Count());
    EXPECT_EQ(old, CanvasBackground());
}

// Each failure answers its code, and the previous set, canvas, lists and device stay as they
// were (the previous set is forgotten: Load releases it first).
TEST_F(QgmImageSetTest, SpriteSetFailuresAnswerTheirCodeAndChangeNothing) {
    Existing();
    ASSERT_EQ(0, LoadSprites(QgmFile().Sprite({"_A.ELG"}).Bytes()));
    const struct {
        const char* what;
        Bytes file;
        std::int32_t code;
    } cases[] = {
        {"bad magic", QgmFile().Magic(std::string("QGM\1", 4)).Bytes(), 3},
        {"lower-case magic", QgmFile().Magic(std::string("qgm\0", 4)).Bytes(), 3},
        {"missing background", QgmFile().Background("_NONE.ELG").Sprite({"_A.ELG"}).Bytes(), 4},
        {"missing picture at entry 3 of 5",
         QgmFile().Background("_BG.ELG").Sprite({"_A.ELG"}).Sprite({"_B.ELG", 1, 0, 0, 9, 1, 2, 2, 0})
             .Sprite({"_NONE.ELG"}).Sprite({"_C.ELG"}).Sprite({"_A.ELG"}).Bytes(), 5},
        {"a name ending early at a zero byte", QgmFile().Sprite({std::string("_A.ELG\0X", 8)}).Bytes(), 0},
        {"an empty file", Bytes{}, 6},
        {"a count beyond the entries", QgmFile().Count(3).Sprite({"_A.ELG"}).Sprite({"_C.ELG"}).Bytes(), 6},
        {"a name running past the end", QgmFile().Count(1).Raw({200, '_', 'A'}).Bytes(), 6},
        {"a background name running past the end", QgmFile().Magic(std::string("QGM\0\x09_BG", 8)).Bytes(), 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(0, LoadSprites(QgmFile().Sprite({"_A.ELG"}).Bytes()));
        m_sprites.Release();
        const State before = Now();
        EXPECT_EQ(c.code, LoadSprites(c.file));
        if (c.code == 0) {
            EXPECT_EQ(1, m_sprites.Count());
            continue;
        }
        EXPECT_EQ(0, m_sprites.Count());
        EXPECT_EQ(nullptr, m_sprites.Background());
        EXPECT_TRUE(before == Now());
    }
    EXPECT_EQ(1, m_sprites.Load(nullptr, &m_canvas, "SYS/SET.GMP", 0, false, false));
    EXPECT_EQ(1, m_sprites.Load(&m_device, nullptr, "SYS/SET.GMP", 0, false, false));
    EXPECT_EQ(1, m_sprites.Load(&m_device, &m_canvas, nullptr, 0, false, false));
    EXPECT_EQ(2, m_sprites.Load(&m_device, &m_canvas, "SYS/NONE.GMP", 0, false, false));
}

// A file cut anywhere is refused with the overrun code before anything is made.
TEST_F(QgmImageSetTest, EveryCutLengthIsRefusedAsAnOverrun) {
    Existing();
    const Bytes sprites = QgmFile()
                              .Background("_BG.ELG")
                              .Sprite({"_A.ELG", 0, 1, 2, 3, 1})
                              .Sprite({"_B.ELG", 1, 4, 5, 6, 1, 2, 2, 9})
                              .Bytes();
    const Bytes parts = QgmFile()
                            .Background("_BG.ELG")
                            .Part({"_A.ELG", 4, 1, 2, 3, 1, 10, 11, 8})
                            .Part({"_B.ELG", 6, 4, 5, 6, 1, 12, 13, 6})
                            .Bytes();
    const State before = Now();
    for (std::size_t length = 0; length < sprites.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(QgmSpriteGroup::kTruncated, LoadSprites(Bytes(sprites.begin(), sprites.begin() + length)));
        ASSERT_TRUE(before == Now());
    }
    for (std::size_t length = 0; length < parts.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(QgmPartGroup::kTruncated, LoadParts(Bytes(parts.begin(), parts.begin() + length)));
        ASSERT_TRUE(before == Now());
        ASSERT_EQ(0, m_panel.Asked());
    }
    EXPECT_EQ(0, LoadSprites(sprites));
    EXPECT_EQ(0, LoadParts(parts));
}

// A name that makes the picture's path longer than a path can be fails as that picture.
TEST_F(QgmImageSetTest, APicturePathLongerThanAPathFailsAsThatPicture) {
    const std::size_t stem = Path("SYS\\SET").size();
    ASSERT_LT(stem, 250u);
    const std::string tooLong(kPathCapacity - stem, 'x');  // stem + name = 260 characters
    const State before = Now();
    EXPECT_EQ(4, LoadSprites(QgmFile().Background(tooLong).Bytes()));
    EXPECT_EQ(5, LoadSprites(QgmFile().Sprite({"_A.ELG"}).Sprite({tooLong}).Bytes()));
    EXPECT_EQ(4, LoadParts(QgmFile().Background(tooLong).Bytes()));
    EXPECT_EQ(7, LoadParts(QgmFile().Part({"_A.ELG", 3}).Part({tooLong, 3}).Bytes()));
    EXPECT_EQ(1, m_panel.Asked());
    EXPECT_TRUE(before == Now());
}

// Damaged copies of both forms, the same on every run: each load succeeds or answers a code,
// and a refused one leaves everything as it was.
TEST_F(QgmImageSetTest, RandomlyDamagedSetsLoadOrChangeNothing) {
    const Bytes sprites = QgmFile()
                              .Background("_BG.ELG")
                              .Sprite({"_A.ELG", 0, 1, 2, 3, 1})
                              .Sprite({"_B.ELG", 1, 4, 5, 6, 1, 2, 2, 9})
                              .Sprite({"_C.ELG", 0, -1, -2, 255, 0})
                              .Bytes();
    const Bytes parts = QgmFile()
                            .Background("_BG.ELG")
                            .Part({"_A.ELG", 4, 1, 2, 3, 1, 10, 11, 8})
                            .Part({"_B.ELG", 6, 4, 5, 6, 1, 12, 13, 6})
                            .Part({"_C.ELG", 6, 7, 8, 9, 0, 14, 15, 1})
                            .Bytes();
    for (const Bytes& damaged : testsupport::MutatedCopies(sprites, 0x961, 150)) {
        SCOPED_TRACE(testing::Message() << "sprite set of " << damaged.size() << " bytes");
        const State before = Now();
        const std::int32_t code = LoadSprites(damaged);
        if (code != 0) {
            // -1: a sized rectangle outside the picture.
            EXPECT_TRUE(code == -1 || (code >= 2 && code <= 6)) << code;
            EXPECT_TRUE(before == Now());
            EXPECT_EQ(0, m_sprites.Count());
        } else {
            EXPECT_EQ(before.sprites + m_sprites.Count(), SpriteCount());
        }
    }
    for (const Bytes& damaged : testsupport::MutatedCopies(parts, 0x962, 150)) {
        SCOPED_TRACE(testing::Message() << "part set of " << damaged.size() << " bytes");
        const State before = Now();
        const std::int32_t code = LoadParts(damaged);
        if (code != 0) {
            EXPECT_TRUE(code >= 2 && code <= 13 && code != 5) << code;
            EXPECT_TRUE(before == Now());
            EXPECT_EQ(0, m_parts.Count());
        } else {
            EXPECT_EQ(before.live + m_parts.Count(), m_panel.LiveCount());
        }
    }
}

// --- Part sets ---

TEST_F(QgmImageSetTest, FactoryTableByKindAndOptionByte) {
    struct Row {
        std::uint8_t kind = 0, b11 = 0;
        bool valid = false, checkPart = false, option = false;
        std::int32_t variant = 0, type = 0;
        bool grouped = false;
        std::int32_t error = 0;
    };
    const Row rows[] = {
        {0, 4, false},
        {1, 4, true, false, true, 1, 0, false, 6},   {1, 3, true, false, false, 1, 0, false, 6},
        {2, 4, true, false, true, 1, 0, false, 6},   {2, 0, true, false, false, 1, 0, false, 6},
        {3, 3, true, false, true, 0, 0, false, 7},   {3, 4, true, false, false, 0, 0, false, 7},
        {4, 8, true, true, true, 0, 0, false, 8},    {4, 6, true, true, false, 0, 0, false, 8},
        {5, 8, true, true, true, 0, 1, false, 9},    {5, 5, true, true, false, 0, 1, false, 9},
        {6, 6, true, true, true, 0, 2, true, 10},    {6, 8, true, true, false, 0, 2, true, 10},
        {8, 6, true, true, true, 0, 2, true, 10},    {8, 5, true, true, false, 0, 2, true, 10},
        {7, 5, true, true, true, 0, 3, true, 11},    {7, 6, true, true, false, 0, 3, true, 11},
        {9, 5, true, true, true, 0, 3, true, 11},    {9, 255, true, true, false, 0, 3, true, 11},
        {10, 5, false},
        {255, 5, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "kind " << int(r.kind) << ", b11 " << int(r.b11));
        QgmPartGroup::PartFactory f{};
        ASSERT_EQ(r.valid, QgmPartGroup::PartFactoryOf(r.kind, r.b11, &f));
        const std::int32_t before = m_panel.LiveCount();
        const std::int32_t code = LoadParts(QgmFile().Part({"_A.ELG", 3}).Part({"_C.ELG", r.kind, 0, 0, 0, 1, 0, 0, r.b11}).Bytes());
        if (!r.valid) {
            EXPECT_EQ(QgmPartGroup::kBadKind, code);
            EXPECT_EQ(before, m_panel.LiveCount());
            continue;
        }
        EXPECT_EQ(r.checkPart, f.checkPart);
        EXPECT_EQ(r.option, f.option);
        EXPECT_EQ(r.grouped, f.grouped);
        EXPECT_EQ(r.error, f.error);
        ASSERT_EQ(0, code);
        const RecordedPart& made = *m_panel.Parts().back();
        EXPECT_EQ(r.checkPart, made.checkPart);
        EXPECT_EQ(r.option, made.option);
        if (r.checkPart)
            EXPECT_EQ(r.type, made.type);
        else
            EXPECT_EQ(r.variant, made.variant);
        // The panel refusing this entry's part gives the kind's code and removes the first.
        const std::int32_t live = m_panel.LiveCount();
        m_panel.RefuseAt(m_panel.Asked() + 2, -2);
        EXPECT_EQ(r.error, LoadParts(QgmFile().Part({"_A.ELG", 3}).Part({"_C.ELG", r.kind, 0, 0, 0, 1, 0, 0, r.b11}).Bytes()));
        EXPECT_EQ(live, m_panel.LiveCount());
        EXPECT_EQ(0, m_parts.Count());
        m_panel.RefuseAt(0, 0);
    }
}

TEST_F(QgmImageSetTest, PartSetEntriesWithEveryFieldNumberedFromTheFirstId) {
    const Bytes file = QgmFile()
                           .Background("_BG.ELG")
                           .Part({"_A.ELG", 1, -5, 6, 77, 1, 30, 20, 4})
                           .Part({"_B.ELG", 5, 300, -2, 250, 0, -1, 9, 8})
                           .Bytes();
    for (bool indexed : {false, true}) {
        for (std::int32_t firstId : {7, 0, -1}) {
            SCOPED_TRACE(testing::Message() << "indexed " << indexed << ", first id " << firstId);
            const std::size_t first = m_panel.Parts().size();
            ASSERT_EQ(0, LoadParts(file, firstId, indexed, indexed));
            ASSERT_EQ(2, m_parts.Count());
            EXPECT_EQ(m_parts.Background(), CanvasBackground());
            EXPECT_EQ(indexed ? 8 : 32, m_parts.Background()->Depth());
            const RecordedPart& a = *m_panel.Parts()[first];
            const RecordedPart& b = *m_panel.Parts()[first + 1];
            EXPECT_EQ(reinterpret_cast<UiPart*>(const_cast<RecordedPart*>(&a)), m_parts.PartAt(0));
            EXPECT_EQ(Path("SYS\\SET_A.ELG"), a.path);
            EXPECT_EQ(Path("SYS\\SET_B.ELG"), b.path);
            EXPECT_FALSE(a.checkPart);
            EXPECT_TRUE(b.checkPart);
            EXPECT_EQ(-5, a.x);
            EXPECT_EQ(6, a.y);
            EXPECT_EQ(300, b.x);
            EXPECT_EQ(-2, b.y);
            EXPECT_EQ(77, a.b5);
            EXPECT_EQ(250, b.b5);
            EXPECT_EQ(-1, b.leader);
            for (const RecordedPart* p : {&a, &b}) {
                EXPECT_EQ(indexed ? 0 : 2, p->style);
                EXPECT_EQ(indexed ? 0xFF00u : 0xFFFFFFFFu, p->colour);
                EXPECT_EQ(-1, p->minusOne);
                EXPECT_EQ(indexed, p->passThrough);
                EXPECT_EQ(kGroup, p->group);
                EXPECT_LT(p->insertIndex, 0);
            }
            EXPECT_EQ(1, a.visible);
            EXPECT_EQ(0, b.visible);
            EXPECT_EQ(firstId < 0 ? -1000 : firstId, a.id);
            EXPECT_EQ(firstId < 0 ? -1000 : firstId + 1, b.id);
            EXPECT_EQ(30, m_parts.Info(0).width);
            EXPECT_EQ(20, m_parts.Info(0).height);
            EXPECT_EQ(4, m_parts.Info(0).flag);
            EXPECT_EQ(-1, m_parts.Info(1).width);
            EXPECT_EQ(9, m_parts.Info(1).height);
            EXPECT_EQ(8, m_parts.Info(1).flag);
        }
    }
}

// A run of entries of one grouped kind is one group led by its first part.
TEST_F(QgmImageSetTest, RunsOfOneGroupedKindFormOneGroup) {
    const struct {
        std::vector<std::uint8_t> kinds;
        std::vector<std::int32_t> leaders;  // index of each part's leader within the set, -1 none
    } cases[] = {
        {{6, 6, 7, 6}, {-1, 0, -1, -1}},
        {{7, 7, 7, 9, 9}, {-1, 0, 0, -1, 3}},
        {{6, 1, 6, 8, 8}, {-1, -1, -1, -1, 3}},
        {{4, 4, 5}, {-1, -1, -1}},
    };
    for (const auto& c : cases) {
        QgmFile file;
        for (std::uint8_t kind : c.kinds) file.Part({"_A.ELG", kind});
        const std::int32_t first = static_cast<std::int32_t>(m_panel.Parts().size());
        ASSERT_EQ(0, LoadParts(file.Bytes()));
        for (std::size_t i = 0; i < c.kinds.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "kind " << int(c.kinds[i]) << " at " << i);
            const RecordedPart& p = *m_panel.Parts()[first + i];
            EXPECT_EQ(c.leaders[i] < 0 ? -1 : first + c.leaders[i], p.leader);
        }
    }
}

TEST_F(QgmImageSetTest, PartSetFailuresRemoveThePartsMadeAndChangeNothing) {
    Existing();
    const struct {
        const char* what;
        Bytes file;
        std::int32_t refuseAt;
        bool insertFails;
        bool withDevice;
        std::int32_t code;
    } cases[] = {
        {"kind 0 after two parts", QgmFile().Part({"_A.ELG", 1}).Part({"_A.ELG", 4}).Part({"_A.ELG", 0}).Bytes(), 0, false, true, 12},
        {"kind 10 after two parts", QgmFile().Part({"_A.ELG", 6}).Part({"_A.ELG", 6}).Part({"_A.ELG", 10}).Bytes(), 0, false, true, 12},
        {"the panel refuses entry 3 of 5",
         QgmFile().Background("_BG.ELG").Part({"_A.ELG", 1}).Part({"_A.ELG", 2}).Part({"_A.ELG", 7})
             .Part({"_A.ELG", 3}).Part({"_A.ELG", 4}).Bytes(), 3, false, true, 11},
        {"a background without a screen device", QgmFile().Background("_BG.ELG").Part({"_A.ELG", 1}).Bytes(), 0, false, false, 5},
        {"a missing background", QgmFile().Background("_NONE.ELG").Part({"_A.ELG", 1}).Bytes(), 0, false, true, 4},
        {"bad magic", QgmFile().Magic("QGMX").Bytes(), 0, false, true, 3},
        {"the group refuses a part", QgmFile().Background("_BG.ELG").Part({"_A.ELG", 1}).Part({"_A.ELG", 1}).Bytes(), 0, true, true, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const State before = Now();
        const std::int32_t asked = m_panel.Asked();
        if (c.refuseAt) m_panel.RefuseAt(asked + c.refuseAt, 1);
        if (c.insertFails) m_panel.RefuseInsert(3);
        EXPECT_EQ(c.code, LoadParts(c.file, 0, false, false, c.withDevice));
        EXPECT_TRUE(before == Now());
        EXPECT_EQ(0, m_parts.Count());
        EXPECT_EQ(nullptr, m_parts.Background());
        m_panel.RefuseAt(0, 0);
        m_panel.RefuseInsert(0);
    }
    EXPECT_EQ(0, LoadParts(QgmFile().Part({"_A.ELG", 1}).Bytes(), 0, false, false, false));
    EXPECT_EQ(1, m_parts.Load(nullptr, kGroup, "SYS/SET.GMP", 0, false, false, &m_device));
    EXPECT_EQ(1, m_parts.Load(&m_panel, nullptr, "SYS/SET.GMP", 0, false, false, &m_device));
    EXPECT_EQ(1, m_parts.Load(&m_panel, kGroup, nullptr, 0, false, false, &m_device));
    EXPECT_EQ(2, m_parts.Load(&m_panel, kGroup, "SYS/NONE.GMP", 0, false, false, &m_device));
}

}  // namespace
