// "sp_parts" and its parts definitions on the linked memory screens, on the real scheduler over
// a fake clock. Definitions and part pictures are written by the tests and read through the
// file system from the game folder and from a QPK archive; the images and sprites of the parts
// come from a counting source that can fail the n-th creation.
#include "effects/objects/sprite_parts_effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/objects/sprite_loop_effect.h"
#include "effects/objects/sprite_panime_effect.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "tests/effects/screen_effect_fixture.h"
#include "tools/content/elg_writer.h"
#include "tests/support/image_buffer.h"
#include "tools/content/qpk_writer.h"

namespace effecttest {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Pixel (x, y) of part picture `id`: the colour bytes code the picture and the position.
std::uint32_t PartPixel(int id, std::int32_t x, std::int32_t y, std::uint32_t alpha) {
    return (alpha << 24) | (static_cast<std::uint32_t>(id) << 16) |
           (static_cast<std::uint32_t>(y) << 8) | static_cast<std::uint32_t>(x);
}

Bytes PartPicture(int id, std::uint16_t w, std::uint16_t h, std::int16_t ox, std::int16_t oy,
                  std::uint32_t alpha) {
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint32_t> alphas;
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            pixels.push_back(PartPixel(id, x, y, alpha));
            alphas.push_back(alpha);
        }
    }
    using testsupport::ElgStream;
    // Alpha 0: a 24-bit picture, which a sprite copies instead of blending.
    std::vector<ElgStream> streams = {ElgStream::Encode(ElgStream::kPixelCode, pixels, w)};
    if (alpha != 0) streams.push_back(ElgStream::Encode(ElgStream::kByteCode, alphas));
    return testsupport::ElgFile(alpha != 0 ? 32 : 24, w, h).Origin(ox, oy).Streams(streams).Bytes();
}

// The images and sprites the parts hold, counted; creation number `failAt` fails.
class CountingObjects final : public SpritePartsObjects {
public:
    Image* NewImage() override {
        if (Fails()) return nullptr;
        ++images;
        return SpritePartsObjects::NewImage();
    }
    void DeleteImage(Image* image) override {
        --images;
        SpritePartsObjects::DeleteImage(image);
    }
    Sprite* NewSprite() override {
        if (Fails()) return nullptr;
        ++sprites;
        return SpritePartsObjects::NewSprite();
    }
    void DeleteSprite(Sprite* sprite) override {
        --sprites;
        SpritePartsObjects::DeleteSprite(sprite);
    }

    int images = 0;
    int sprites = 0;
    int made = 0;
    int failAt = 0;

private:
    bool Fails() { return ++made == failAt; }
};

std::string Describe(const MotionRecord& r) {
    std::ostringstream out;
    switch (r.kind) {
    case kMotionKey:
        out << "key " << r.a << "," << r.b << " o" << int{r.byte} << " z" << r.zoom << " r"
            << r.rotation;
        if (r.bounceX || r.bounceY || r.bounceBaseX || r.bounceBaseY)
            out << " l" << r.bounceX << "," << r.bounceY << "," << r.bounceBaseX << ","
                << r.bounceBaseY;
        out << " #" << r.keyIndex;
        break;
    case kMotionDuration: out << "t " << r.a; break;
    case kMotionRandomDuration: out << "r " << r.a << " +" << r.b; break;
    case kMotionEasing:
        if (r.byte) out << "a " << r.zoom;
        else out << "a cos";
        break;
    case kMotionPriorityA: out << "f"; break;
    case kMotionPriorityB: out << "b"; break;
    case kMotionSplineOn: out << "s"; break;
    case kMotionSplineOff: out << "s 0"; break;
    case kMotionPivot: out << "c " << r.a << "," << r.b; break;
    default: out << "kind " << int{r.kind}; break;
    }
    return out.str();
}

std::vector<std::string> Records(const SpritePart& part) {
    std::vector<std::string> out;
    if (!part.m_records) return out;
    for (std::int32_t i = 0; i < part.m_recordCount; ++i) out.push_back(Describe(part.m_records[i]));
    return out;
}

std::vector<std::int32_t> Rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Answers no word: every text word is refused.
class RefusingWords final : public WithDeletingDestructor<RefusingWords, EffectWordResolver> {
public:
    Sprite* XM_METHOD ImageSprite(std::uint32_t) override { return nullptr; }
    ScreenBuffer* XM_METHOD ScreenBufferOf(std::uint32_t) override { return nullptr; }
    QadAnimation* XM_METHOD Animation(std::uint32_t) override { return nullptr; }
    const char* XM_METHOD Text(std::uint32_t) override { return nullptr; }
    void* XM_METHOD OutWord(std::uint32_t, std::uint32_t) override { return nullptr; }
};

struct Releaser {
    void operator()(EffectObject* effect) const { ReleaseObject(effect); }
};

// Lines joined with CR LF.
std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// How ReadLine splits a text: the number of lines it delivers.
std::int32_t LineCount(const std::string& text) {
    std::int32_t lines = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        ++lines;
        if (end == std::string::npos) break;
        at = end + 2;
    }
    return lines;
}

// The Setup words of an effect.
struct Options {
    const char* file = "SYS\\T.TXT";
    std::int32_t x = 0, y = 0, priority = 100;
    bool loop = false;
    double scale = 1.0;
    bool count = false, paint = false, twins = false, show0 = true, show1 = true;
};

class SpritePartsTest : public ScreenEffectTest {
protected:
    void SetUp() override {
        ScreenEffectTest::SetUp();
        m_previous = InstallPartsObjects(&m_objects);
        // A 10 x 10 part with its origin at (2, 3), a 16 x 4 strip for the loops, a 6 x 4 part
        // without alpha for the painting, and a foreign sprite in each list.
        WriteFile("SYS\\P10.ELG", PartPicture(1, 10, 10, 2, 3, 0x90));
        WriteFile("SYS\\STRIP.ELG", PartPicture(2, 16, 4, 1, 1, 0xFF));
        WriteFile("SYS\\OPAQUE.ELG", PartPicture(3, 6, 4, 0, 0, 0));
        ASSERT_EQ(0, m_foreignImage.Create(4, 4, 32, 0));
        for (int n = 0; n < 2; ++n) {
            ASSERT_EQ(0, m_foreign[n].SetImage(&m_foreignImage, nullptr, 1, 1));
            ASSERT_EQ(0, CanvasOf(n)->Sprites().Add(&m_foreign[n], 5, 0));
        }
    }
    void TearDown() override {
        m_loaded.reset();
        ScreenEffectTest::TearDown();
        InstallPartsObjects(m_previous);
    }

    void WriteFile(const std::string& name, const Bytes& bytes) {
        ASSERT_TRUE(CreateDirectoryA(Game("SYS").c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(testsupport::WriteFile(Game(name), bytes));
    }
    void WriteText(const std::string& name, const std::string& text) {
        WriteFile(name, Bytes(text.begin(), text.end()));
    }

    struct Read {
        std::int32_t code;
        std::int32_t line;
    };
    // Reads text as SYS\T.TXT into a new bare effect, kept in m_loaded.
    Read Load(const std::string& text, bool loop = false, double scale = 1.0, bool twins = false,
              std::int32_t x = 0, std::int32_t y = 0) {
        WriteText("SYS\\T.TXT", text);
        m_loaded.reset(new SpritePartsEffect);
        Read read = {0, -99};
        read.code = m_loaded->LoadDefinition("SYS\\T.TXT", CanvasOf(0), x, y, 100, loop, scale,
                                             twins ? CanvasOf(1) : nullptr, &read.line);
        return read;
    }

    // Sets an effect up on screen 0; on success the scheduler owns it and m_running names it.
    std::int32_t Start(const Options& o, ScreenBuffer* target = nullptr) {
        auto* effect = new SpritePartsEffect;
        std::uint32_t halves[2];
        std::memcpy(halves, &o.scale, sizeof halves);
        const std::int32_t words[] = {TextWord(o.file), o.x, o.y, o.priority, o.loop,
                                      static_cast<std::int32_t>(halves[0]),
                                      static_cast<std::int32_t>(halves[1]), o.count, o.paint,
                                      o.twins, o.show0, o.show1};
        const std::int32_t code = effect->Setup(&m_scheduler, target ? target : &m_screen[0],
                                                words);
        if (code != 0) {
            ReleaseObject(effect);
            return code;
        }
        m_running = effect;
        effect->SetOwner(&m_running);
        return 0;
    }
    std::int32_t Start(const std::string& text, const Options& o = Options()) {
        WriteText("SYS\\T.TXT", text);
        return Start(o);
    }
    std::int32_t Change(std::int32_t w0, std::int32_t w1 = 0, std::int32_t w2 = 0) {
        const std::int32_t words[] = {w0, w1, w2};
        return m_running->ChangeParams(words);
    }
    void At(std::uint32_t ms) {
        m_clock.SetMs(ms);
        m_scheduler.RunDue(ms);
    }
    const Sprite& PartSprite(std::int32_t part, int n) { return *m_running->Part(part).m_sprite[n]; }

    // Only the foreign sprites are in the lists, and no image or sprite of a part is left.
    void ExpectNothingLeft() {
        for (int n = 0; n < 2; ++n) {
            EXPECT_EQ(1, CanvasOf(n)->Sprites().Count()) << "canvas " << n;
            EXPECT_NE(nullptr, CanvasOf(n)->Sprites().Find(&m_foreign[n]));
        }
        EXPECT_EQ(0, m_objects.images);
        EXPECT_EQ(0, m_objects.sprites);
    }

    CountingObjects m_objects;
    SpritePartsObjects* m_previous = nullptr;
    Image m_foreignImage;
    Sprite m_foreign[2];
    std::unique_ptr<SpritePartsEffect, Releaser> m_loaded;
    SpritePartsEffect* m_running = nullptr;
};

TEST_F(SpritePartsTest, BrokenDefinitionsAnswerTheirCodeAndLineAndKeepNothing) {
    const std::string longLine = "// " + std::string(1030, 'x');
    const std::string hugeReal(400, '9');
    struct Case {
        const char* name;
        std::string text;
        std::int32_t code, line;
    };
    const Case cases[] = {
        {"a first line 't 500'", Lines({"t 500", "* P10.ELG", "0"}), 4, 1},
        {"a bounce before any part", Lines({"// note", "l 1", "* P10.ELG", "0"}), 4, 2},
        {"a key line before any part", Lines({"", "10, 20", "* P10.ELG", "0"}), 5, 2},
        {"no part", Lines({"// only a note", "", "   "}), 6, 3},
        {"an empty file", "", 6, 0},
        {"an animated part without key lines",
         Lines({"* P10.ELG", "0", "* P10.ELG", "t 5"}), 7, 3},
        {"key lines only inside a block the loop flag leaves out",
         Lines({"* P10.ELG", "#s", "0", "#e"}), 7, 1},
        {"'r' without its maximum", Lines({"* P10.ELG", "0", "r 500", "5"}), 8, 3},
        {"'t' without a number", Lines({"* P10.ELG", "0", "t", "5"}), 8, 3},
        {"'t' run together with its number", Lines({"* P10.ELG", "0", "t500", "5"}), 8, 3},
        {"'t 0'", Lines({"* P10.ELG", "0", "t 0", "5"}), 9, 3},
        {"a command before the part's first key", Lines({"* P10.ELG", "s", "0", "5"}), 10, 2},
        {"a missing part picture", Lines({"* P10.ELG", "0", "* NONE.ELG", "1"}), 3, 3},
        {"a part line without a name", Lines({"* P10.ELG", "0", "*", "1"}), 3, 3},
        {"a loop window longer than the picture", Lines({"* P10.ELG", "0", "$ STRIP.ELG, 0, 0, 17"}), 3, 3},
        {"a line of more than 1023 characters mid-file",
         Lines({"* P10.ELG", "0", longLine, "5"}), -1, 3},
        {"a 400-digit zoom", Lines({"* P10.ELG", "0", "5, 5, 255, " + hugeReal}), -1, 3},
        {"a 400-digit rotation", Lines({"* P10.ELG", "0", "5, 5, 255, 1, " + hugeReal, "6"}), -1, 3},
        {"a 400-digit exponent", Lines({"* P10.ELG", "0", "a " + hugeReal, "6"}), -1, 3},
    };
    for (bool twins : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (twins ? ", with twins" : ""));
            const Read read = Load(c.text, false, 1.0, twins);
            EXPECT_EQ(c.code, read.code);
            EXPECT_EQ(c.line, read.line);
            EXPECT_EQ(0, m_loaded->PartCount());
            ExpectNothingLeft();
        }
    }
    // A definition that cannot be read at all.
    m_loaded.reset(new SpritePartsEffect);
    std::int32_t line = -5;
    EXPECT_EQ(2, m_loaded->LoadDefinition("SYS\\ABSENT.TXT", CanvasOf(0), 0, 0, 1, false, 1.0,
                                          nullptr, &line));
    EXPECT_EQ(0, line);
    EXPECT_EQ(1, m_loaded->LoadDefinition("SYS\\T.TXT", nullptr, 0, 0, 1, false, 1.0, nullptr,
                                          nullptr));
    // Through Setup every definition failure is 3, and the lists stay as they were.
    EXPECT_EQ(3, Start(Lines({"* P10.ELG", "0", "t 0", "5"})));
    ExpectNothingLeft();
}

TEST_F(SpritePartsTest, KeyLinesCarryEmptyFieldsAndCommandsBecomeRecords) {
    // Origin (2, 3) and the offsets (100, 200) are added to every given position.
    const Read read = Load(Lines({
                               "// a figure",
                               "  * P10.ELG",
                               "10, 20, 128",
                               ", 40",
                               "time 500",
                               "\ta 2.5",
                               "a",
                               "r 100, 300",
                               "r 500, 499",
                               "b",
                               "f",
                               "s",
                               "s 0",
                               ",,,2",
                               "l 4, -6, 1",
                               "0x10, 0b11, 7, 0, 0.25",
                           }),
                           false, 1.0, false, 100, 200);
    ASSERT_EQ(0, read.code);
    EXPECT_EQ(16, read.line);
    ASSERT_EQ(1, m_loaded->PartCount());
    const SpritePart& part = m_loaded->Part(0);
    EXPECT_EQ((std::vector<std::string>{
                  "key 112,223 o128 z1 r0 #0",
                  "key 112,243 o128 z1 r0 #1",
                  "t 500",
                  "a 2.5",
                  "a cos",
                  "r 100 +201",
                  "r 500 +0",
                  "b",
                  "f",
                  "s",
                  "s 0",
                  "key 112,243 o128 z2 r0 #2",
                  "key 118,206 o7 z1 r0.25 l4,-6,1,0 #3",
              }),
              Records(part));
    EXPECT_EQ(4, part.m_keyCount);
    EXPECT_TRUE(part.m_splineUsed);
    EXPECT_TRUE(part.m_zoomUsed);
    EXPECT_TRUE(part.m_rotationUsed);
    EXPECT_EQ(2.0, part.m_largestZoom);
    EXPECT_EQ(5, part.m_pivotX) << "the centre, as no 'c' came";
    EXPECT_EQ(5, part.m_pivotY);
    // The first key placed the sprite.
    const Sprite& sprite = *part.m_sprite[0];
    EXPECT_EQ(112, sprite.X());
    EXPECT_EQ(223, sprite.Y());
    EXPECT_EQ(128, sprite.Alpha());
    EXPECT_EQ(1, sprite.Filter());
    EXPECT_EQ(nullptr, part.m_sprite[1]);
    const SpriteListNode* node = CanvasOf(0)->Sprites().Find(&sprite);
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(100u, node->priority);
}

TEST_F(SpritePartsTest, ThePivotAndEveryPositionFollowTheScale) {
    struct Case {
        const char* name;
        double scale;
        std::int32_t width, height, originX, originY;
        std::vector<std::string> records;
        std::int32_t pivotX, pivotY;
    };
    const std::vector<std::string> text = {"* P10.ELG", "10, 20", "c 5, 7", "l 4, 6, -2, -4",
                                           "0, 0, 255, 2", "c , 9", "1, 1"};
    const Case cases[] = {
        {"scale 2: the pivot (5, 7) becomes (10, 14)", 2.0, 20, 20, 4, 6,
         {"key 24,46 o255 z1 r0 #0", "c 10,14", "key 4,6 o255 z2 r0 l8,12,-4,-8 #1", "c 10,18",
          "key 6,8 o255 z2 r0 #2"},
         10, 14},
        {"scale 0.5: a 10 x 10 picture becomes 8 x 8 and every value is halved", 0.5, 8, 8, 1, 1,
         {"key 6,11 o255 z1 r0 #0", "c 2,3", "key 1,1 o255 z2 r0 l2,3,-1,-2 #1", "c 2,4",
          "key 1,1 o255 z2 r0 #2"},
         2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Read read = Load(Lines(text), false, c.scale);
        ASSERT_EQ(0, read.code);
        const SpritePart& part = m_loaded->Part(0);
        EXPECT_EQ(c.width, part.m_image->Width());
        EXPECT_EQ(c.height, part.m_image->Height());
        EXPECT_EQ(c.originX, part.m_image->OriginX());
        EXPECT_EQ(c.originY, part.m_image->OriginY());
        EXPECT_TRUE(part.m_image->HasAlpha());
        EXPECT_EQ(c.records, Records(part));
        EXPECT_EQ(c.pivotX, part.m_pivotX) << "the pivot of the zoomed key";
        EXPECT_EQ(c.pivotY, part.m_pivotY);
        EXPECT_EQ(c.width / 2, part.m_sprite[0]->Pivot().x) << "placed about the centre";
        EXPECT_EQ(c.width, part.m_sprite[0]->Width());
    }
    // Scale 2 stretches the picture: pixel (2x + 1, 2y + 1) shows the source's (x, y).
    ASSERT_EQ(0, Load(Lines(text), false, 2.0).code);
    Image* big = m_loaded->Part(0).m_image;
    EXPECT_EQ(PartPixel(1, 3, 4, 0x90), big->GetPixel(7, 9));
    EXPECT_EQ(PartPixel(1, 9, 9, 0x90), big->GetPixel(19, 19));
}

TEST_F(SpritePartsTest, AStillPartShowsItsKeysZoomAndRotation) {
    Options o;
    o.twins = true;
    ASSERT_EQ(0, Start(Lines({"* P10.ELG", "1, 1, 200, 2, 0.25"}), o));
    EXPECT_EQ(SpritePartsEffect::kStatic, m_running->PartState(0));
    for (int n = 0; n < 2; ++n) {
        SCOPED_TRACE(n);
        const Sprite& sprite = PartSprite(0, n);
        EXPECT_EQ(2.0, sprite.Zoom());
        EXPECT_EQ(128, sprite.Angle()) << "a quarter turn";
        EXPECT_EQ(5, sprite.Pivot().x) << "about the centre";
        EXPECT_EQ(5, sprite.Pivot().y);
        EXPECT_EQ(200, sprite.Alpha());
        EXPECT_NE(nullptr, sprite.Cache());
    }
    EXPECT_EQ(PartSprite(0, 0).Cache(), PartSprite(0, 1).Cache()) << "the twin shows the same";
}

TEST_F(SpritePartsTest, BlocksNotesAndPartKinds) {
    const std::vector<std::string> text = {
        "* P10.ELG", "0", "#s", "t 100", "5", "#e", "9", "#n", "t 7", "77",
        "* P10.ELG", "3, 4, 66",
        "$ STRIP.ELG",
        "0, 0", "t 5",  // a looped part's own lines count for nothing
        "$ STRIP.ELG, 3, 4, 8, 128, 1, 500",
    };
    struct Case {
        bool loop;
        std::vector<std::string> first;
    };
    const Case cases[] = {
        {false, {"key 12,23 o255 z1 r0 #0", "key 21,23 o255 z1 r0 #1"}},
        {true,
         {"key 12,23 o255 z1 r0 #0", "t 100", "key 17,23 o255 z1 r0 #1",
          "key 21,23 o255 z1 r0 #2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loop ? "loop flag on" : "loop flag off");
        ASSERT_EQ(0, Load(Lines(text), c.loop, 1.0, true, 10, 20).code);
        ASSERT_EQ(4, m_loaded->PartCount());
        EXPECT_EQ(c.first, Records(m_loaded->Part(0))) << "'#n' ends the part's lines";

        const SpritePart& still = m_loaded->Part(1);
        EXPECT_EQ(1, still.m_recordCount) << "one key line";
        EXPECT_EQ(nullptr, still.m_records);
        for (int n = 0; n < 2; ++n) {
            EXPECT_EQ(15, still.m_sprite[n]->X()) << "the twin copied the placement";
            EXPECT_EQ(27, still.m_sprite[n]->Y());
            EXPECT_EQ(66, still.m_sprite[n]->Alpha());
        }

        // Defaults: at the origin, the whole strip, opaque, horizontal; then given values.
        const SpritePart& plain = m_loaded->Part(2);
        const SpritePart& given = m_loaded->Part(3);
        EXPECT_EQ(-1, plain.m_recordCount);
        for (int n = 0; n < 2; ++n) {
            ASSERT_NE(nullptr, plain.m_loop[n]);
            const Sprite& a = plain.m_loop[n]->SpriteOf(0);
            EXPECT_EQ(11, a.X());
            EXPECT_EQ(21, a.Y());
            EXPECT_EQ((std::vector<std::int32_t>{0, 0, 16, 4}), Rect(a.SourceRect()));
            EXPECT_EQ(255, a.Alpha());
            EXPECT_EQ(&CanvasOf(n)->Sprites(), a.List());
            const Sprite& b = given.m_loop[n]->SpriteOf(0);
            EXPECT_EQ(14, b.X());
            EXPECT_EQ(25, b.Y());
            EXPECT_EQ((std::vector<std::int32_t>{0, 0, 8, 4}), Rect(b.SourceRect()));
            EXPECT_EQ(128, b.Alpha());
        }
        // Each part a step in front of the one before.
        const std::uint32_t priorities[] = {100, 99, 98, 97};
        const Drawable* first[] = {m_loaded->Part(0).m_sprite[0], still.m_sprite[0],
                                   &plain.m_loop[0]->SpriteOf(0), &given.m_loop[0]->SpriteOf(0)};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(priorities[i], CanvasOf(0)->Sprites().Find(first[i])->priority) << i;
    }
}

TEST_F(SpritePartsTest, TheMotionPlaysToItsLastKeyAndThePartsGo) {
    effecttest::BusyHooks hooks;
    Options o;
    o.twins = true;
    o.count = true;
    o.x = 1;
    ASSERT_EQ(0, Start(Lines({"* P10.ELG", "0, 0", "t 500", "40, 0, 55", "t 500", "40, 20"}), o));
    EXPECT_EQ(1, hooks.started);
    EXPECT_EQ(2, CanvasOf(0)->Sprites().Count());
    EXPECT_EQ(2, CanvasOf(1)->Sprites().Count());
    EXPECT_EQ(SpritePartsEffect::kAnimating, m_running->PartState(0));
    At(1000);
    EXPECT_EQ(3, PartSprite(0, 0).X());
    At(1250);
    EXPECT_EQ(23, PartSprite(0, 0).X());
    EXPECT_EQ(155, PartSprite(0, 0).Alpha());
    for (const Sprite* s : {&PartSprite(0, 0), &PartSprite(0, 1)}) {
        EXPECT_EQ(23, s->X()) << "the twin follows";
        EXPECT_EQ(3, s->Y());
        EXPECT_EQ(155, s->Alpha());
        EXPECT_TRUE(s->IsVisible());
    }
    At(1500);
    EXPECT_EQ(43, PartSprite(0, 0).X()) << "the second key, reached after 't 500'";
    EXPECT_EQ(3, PartSprite(0, 1).Y());
    EXPECT_EQ(55, PartSprite(0, 1).Alpha());
    At(1999);
    EXPECT_NE(nullptr, m_running);
    At(2000);
    EXPECT_EQ(nullptr, m_running) << "the last key ended the effect";
    EXPECT_EQ(1, hooks.ended);
    ExpectNothingLeft();
}

TEST_F(SpritePartsTest, TheTwinKeepsTheLayerTheMotionMovesItsSpriteTo) {
    Options o;
    o.twins = true;
    o.priority = 50;
    // Two parts: priority A is 50 - 2.
    ASSERT_EQ(0, Start(Lines({"* P10.ELG", "0", "f", "t 100", "5", "* P10.ELG", "0"}), o));
    for (int n = 0; n < 2; ++n)
        EXPECT_EQ(50u, CanvasOf(n)->Sprites().Find(&PartSprite(0, n))->priority);
    At(0);  // the key's place is unchanged: only the layer moved
    for (int n = 0; n < 2; ++n)
        EXPECT_EQ(48u, CanvasOf(n)->Sprites().Find(&PartSprite(0, n))->priority) << n;
}

TEST_F(SpritePartsTest, ARandomRangeOfZeroRunsTheMinimum) {
    ASSERT_EQ(0, Start(Lines({"* P10.ELG", "0", "r 500, 499", "100"})));
    At(0);
    At(250);
    EXPECT_EQ(52, PartSprite(0, 0).X());
    At(499);
    ASSERT_NE(nullptr, m_running);
    At(500);
    EXPECT_EQ(nullptr, m_running);
}

TEST_F(SpritePartsTest, StaticPartsStayUntilStopped) {
    const std::string still = Lines({"* OPAQUE.ELG", "2, 3"});
    // Commands, but a single key: nowhere to go.
    const std::string nowhere = Lines({"* OPAQUE.ELG", "2, 3", "t 100", "f"});
    struct Case {
        const std::string* figure;
        bool paint;
    };
    const Case cases[] = {{&still, false}, {&still, true}, {&nowhere, false}, {&nowhere, true}};
    std::uint32_t base = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.figure + (c.paint ? "painting" : "sprites"));
        base += 10000;
        m_background[0].SetPixel(62, 38, BackgroundPixel(0, 62, 38));
        Options o;
        o.paint = c.paint;
        o.x = 60;
        o.y = 35;
        ASSERT_EQ(0, Start(*c.figure, o));
        EXPECT_EQ(SpritePartsEffect::kStatic, m_running->PartState(0));
        At(base);
        At(base + 5000);
        ASSERT_NE(nullptr, m_running) << "shown, not ended before it was seen";
        EXPECT_TRUE(PartSprite(0, 0).IsVisible());
        EXPECT_EQ(62, PartSprite(0, 0).X());
        if (c.paint) {
            EXPECT_EQ(PartPixel(3, 0, 0, 0), m_background[0].GetPixel(62, 38) & 0xFFFFFF);
        }
        EXPECT_EQ(0, Change(0));
        At(base + 5001);
        EXPECT_EQ(nullptr, m_running) << "a stop ends it";
        ExpectNothingLeft();
    }
}

TEST_F(SpritePartsTest, PaintingModePaintsTheBackgroundWithinTheScreen) {
    Options o;
    o.paint = true;
    o.twins = true;
    o.show1 = false;
    o.x = 50;
    o.y = 30;
    // The background shows from (50, 30): the first part lands at screen (12, 8), the second
    // at (28, 21), partly beyond the 32 x 24 screen.
    ASSERT_EQ(0, Start(Lines({"* OPAQUE.ELG", "12, 8", "* OPAQUE.ELG", "28, 21"}), o));
    EXPECT_EQ(1, CanvasOf(0)->Sprites().Count()) << "the parts live offscreen";
    ASSERT_NE(nullptr, m_running->Offscreen(0));
    ASSERT_NE(nullptr, m_running->Offscreen(1));
    for (int n = 0; n < 2; ++n) CanvasOf(n)->ResetDirty();
    At(0);
    for (std::int32_t y = 36; y < 60; ++y) {
        for (std::int32_t x = 58; x < 90; ++x) {
            const bool first = x >= 62 && x < 68 && y >= 38 && y < 42;
            const bool second = x >= 78 && x < 84 && y >= 51 && y < 55;
            std::uint32_t expected = BackgroundPixel(0, x, y) & 0xFFFFFF;
            if (first) expected = PartPixel(3, x - 62, y - 38, 0) & 0xFFFFFF;
            if (second) expected = PartPixel(3, x - 78, y - 51, 0) & 0xFFFFFF;
            ASSERT_EQ(expected, m_background[0].GetPixel(x, y) & 0xFFFFFF) << x << "," << y;
        }
    }
    for (std::int32_t y = 0; y < m_background[1].Height(); ++y)
        for (std::int32_t x = 0; x < m_background[1].Width(); ++x)
            ASSERT_EQ(BackgroundPixel(1, x, y), m_background[1].GetPixel(x, y))
                << "canvas 1 is not shown";
    // The screen repaints what was painted, cut to the screen.
    std::vector<RECT> dirty;
    const DirtyRegion& region = CanvasOf(0)->Dirty();
    const RectNode* node = region.Head();
    for (std::int32_t i = 0; i < region.Count(); ++i, node = node->next)
        dirty.push_back(RECT{node->left, node->top, node->right, node->bottom});
    std::vector<bool> marked(kWidth * kHeight, false);
    for (const RECT& r : dirty) {
        ASSERT_GE(r.left, 0);
        ASSERT_GE(r.top, 0);
        ASSERT_LE(r.right, kWidth);
        ASSERT_LE(r.bottom, kHeight);
        for (std::int32_t y = r.top; y < r.bottom; ++y)
            for (std::int32_t x = r.left; x < r.right; ++x) marked[y * kWidth + x] = true;
    }
    // Both parts, the second cut at the screen's edge.
    for (const RECT& part : {RECT{12, 8, 18, 12}, RECT{28, 21, 32, 24}})
        for (std::int32_t y = part.top; y < part.bottom; ++y)
            for (std::int32_t x = part.left; x < part.right; ++x)
                EXPECT_TRUE(marked[y * kWidth + x]) << x << "," << y;
}

TEST_F(SpritePartsTest, ChangeParamsStopsShowsAndEnables) {
    Options o;
    o.twins = true;
    o.loop = true;
    ASSERT_EQ(0, Start(Lines({"* P10.ELG", "0", "t 500", "40", "* P10.ELG", "5",
                              "$ STRIP.ELG, 0, 0, 8, 255, 0, 400"}),
                       o));
    At(0);
    // 1: the show flags for both canvases.
    EXPECT_EQ(0, Change(1, 0, 1));
    EXPECT_FALSE(m_running->Shows(0));
    for (std::int32_t part : {0, 1}) {
        EXPECT_FALSE(PartSprite(part, 0).IsVisible());
        EXPECT_TRUE(PartSprite(part, 1).IsVisible());
    }
    EXPECT_FALSE(m_running->Part(2).m_loop[0]->SpriteOf(0).IsVisible());
    EXPECT_TRUE(m_running->Part(2).m_loop[1]->SpriteOf(0).IsVisible());
    At(250);
    EXPECT_TRUE(PartSprite(0, 1).IsVisible()) << "the twin stays shown while it moves";
    EXPECT_EQ(22, PartSprite(0, 1).X());
    EXPECT_EQ(0, Change(1, 1, 1));
    // 2: disable and enable a part.
    EXPECT_EQ(0, Change(2, 1, 0));
    EXPECT_FALSE(PartSprite(1, 0).IsVisible());
    EXPECT_FALSE(PartSprite(1, 1).IsVisible());
    EXPECT_EQ(0, Change(1, 1, 1));
    EXPECT_FALSE(PartSprite(1, 0).IsVisible()) << "a disabled part stays hidden";
    EXPECT_EQ(0, Change(2, 1, 1));
    EXPECT_TRUE(PartSprite(1, 0).IsVisible());
    EXPECT_EQ(0, Change(2, 2, 0));
    EXPECT_FALSE(m_running->Part(2).m_loop[0]->SpriteOf(0).IsVisible());
    EXPECT_EQ(1, Change(2, -1, 0));
    EXPECT_EQ(1, Change(2, 3, 0));
    EXPECT_EQ(1, Change(3));
    EXPECT_EQ(-2, m_running->ControlV(0));
    // 0: the motion ends after its pass, the loop at the end of its cycle, the still part at
    // once.
    At(700);
    EXPECT_EQ(0, Change(0));
    At(799);
    EXPECT_EQ(SpritePartsEffect::kLooped, m_running->PartState(2)) << "its cycle runs to 800";
    At(800);
    EXPECT_EQ(SpritePartsEffect::kFinished, m_running->PartState(2));
    At(999);
    ASSERT_NE(nullptr, m_running) << "the motion's pass runs to 1000";
    EXPECT_EQ(SpritePartsEffect::kAnimating, m_running->PartState(0));
    At(1000);
    EXPECT_EQ(nullptr, m_running);
    ExpectNothingLeft();

    // Without canvas 1 the visibility words are refused.
    ASSERT_EQ(0, Start(Lines({"* P10.ELG", "0"})));
    EXPECT_EQ(2, Change(1, 1, 1));
    EXPECT_EQ(0, Change(2, 0, 0));
    EXPECT_FALSE(PartSprite(0, 0).IsVisible());
}

TEST_F(SpritePartsTest, SetupRefusesBadWordsAndKeepsNothing) {
    WriteText("SYS\\T.TXT", Lines({"* P10.ELG", "0", "t 100", "5"}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double scale : {nan, inf, -inf, 0.0, -1.0, 1e9, 1e6}) {
        SCOPED_TRACE(scale);
        Options o;
        o.scale = scale;
        EXPECT_EQ(1, Start(o));
        ExpectNothingLeft();
    }
    Options noFile;
    noFile.file = nullptr;
    EXPECT_EQ(1, Start(noFile));
    RefusingWords refusing;
    EffectWordResolver* previous = InstallEffectWordResolver(&refusing);
    EXPECT_EQ(1, Start(Options())) << "the name word goes through the resolver";
    InstallEffectWordResolver(previous);
    Options twins;
    twins.twins = true;
    EXPECT_EQ(2, Start(twins, &m_screen[1])) << "screen 1 has no linked screen";
    auto* effect = new SpritePartsEffect;
    const std::int32_t words[12] = {TextWord("SYS\\T.TXT")};
    EXPECT_EQ(1, effect->Setup(nullptr, &m_screen[0], words));
    EXPECT_EQ(1, effect->Setup(&m_scheduler, nullptr, words));
    ReleaseObject(effect);
    // A zoom whose cache cannot exist: the part's motion cannot be set up.
    EXPECT_EQ(4, Start(Lines({"* P10.ELG", "0", "1, 1, 255, " + std::string(300, '9')})));
    EXPECT_EQ(4, Start(Lines({"* P10.ELG", "0", "1, 1, 255, 1, 0.5", "* P10.ELG", "0",
                              "1, 1, 255, " + std::string(300, '9') + ", 0.5"})));
    ExpectNothingLeft();
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(SpritePartsTest, AFailedCreationLeavesNothingBehind) {
    WriteText("SYS\\T.TXT", Lines({"* P10.ELG", "0", "t 100", "5", "* P10.ELG", "3",
                                   "$ STRIP.ELG"}));
    Options o;
    o.twins = true;
    o.scale = 0.5;
    int failures = 0;
    for (int n = 1; n < 50; ++n) {
        SCOPED_TRACE(n);
        m_objects.made = 0;
        m_objects.failAt = n;
        const std::int32_t code = Start(o);
        if (code == 0) break;
        ++failures;
        EXPECT_EQ(3, code);
        ExpectNothingLeft();
    }
    // Three parts, each a loaded and a scaled image, and four sprites.
    EXPECT_EQ(10, failures);
    ASSERT_NE(nullptr, m_running);
    EXPECT_EQ(3, m_objects.images);
    EXPECT_EQ(4, m_objects.sprites);
    m_objects.failAt = 0;
    m_scheduler.Clear();
    EXPECT_EQ(nullptr, m_running);
    ExpectNothingLeft();
}

TEST_F(SpritePartsTest, DefinitionsAndPartsFromAnArchive) {
    testsupport::QpkWriter archive;
    archive.Add("pack\\figure.txt", Lines({"* FACE.ELG", "1, 2", "t 100", "3, 4"}));
    archive.Add("pack\\face.elg", PartPicture(4, 6, 6, 1, 1, 0xFF));
    ASSERT_TRUE(archive.Write(Game("DATA.QPK")));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 0, false, true, nullptr));
    for (const char* file : {"PACK\\FIGURE.TXT", "pack/figure.txt"}) {
        SCOPED_TRACE(file);
        Options o;
        o.file = file;
        ASSERT_EQ(0, Start(o));
        EXPECT_EQ(2, PartSprite(0, 0).X());
        EXPECT_EQ(3, PartSprite(0, 0).Y());
        EXPECT_EQ(PartPixel(4, 5, 5, 0xFF),
                  static_cast<Image*>(PartSprite(0, 0).GetImage())->GetPixel(5, 5));
        m_scheduler.Clear();
    }
    // A definition without a folder takes the names as they stand.
    WriteText("ROOT.TXT", Lines({"* SYS\\P10.ELG", "0"}));
    Options root;
    root.file = "ROOT.TXT";
    EXPECT_EQ(0, Start(root));
}

TEST_F(SpritePartsTest, DamagedDefinitionsFailWithACodeOrLoad) {
    const std::string valid = Lines({
        "// figure", "* P10.ELG", "10, 20, 200", "c 3, 4", "a 1.5", "t 300", ", 40, , 1.5, 0.25",
        "l 2, 2", "r 100, 200", "s", "b", "5, 5", "#s", "f", "t 50", "#e", "$ STRIP.ELG, 1, 2, 8",
        "* P10.ELG", "0x10, 0b101", "#n", "a",
    });
    std::vector<std::string> texts;
    for (std::size_t at = valid.find("\r\n"); at != std::string::npos;
         at = valid.find("\r\n", at + 2)) {
        texts.push_back(valid.substr(0, at + 2));
        texts.push_back(valid.substr(0, at));
    }
    for (const Bytes& copy : testsupport::MutatedCopies(Bytes(valid.begin(), valid.end()), 4404, 300))
        texts.emplace_back(copy.begin(), copy.end());
    const std::vector<std::int32_t> listed = {0, 3, 4, 5, 6, 7, 8, 9, 10, -1};
    int loaded = 0;
    std::uint32_t now = 1000;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        for (bool loop : {false, true}) {
            const Read read = Load(texts[i], loop, 1.0, true);
            ASSERT_NE(listed.end(), std::find(listed.begin(), listed.end(), read.code))
                << read.code;
            if (read.code == 0 || read.code == 6) {
                EXPECT_EQ(LineCount(texts[i]), read.line);
            } else {
                EXPECT_GE(read.line, 1);
                EXPECT_LE(read.line, LineCount(texts[i]));
            }
            if (read.code != 0) {
                ExpectNothingLeft();
                continue;
            }
            ++loaded;
            m_loaded.reset();
            ExpectNothingLeft();
            // What loads also plays.
            Options o;
            o.loop = loop;
            o.twins = true;
            const std::int32_t code = Start(o);
            EXPECT_TRUE(code == 0 || code == 4) << code;
            for (std::uint32_t ms : {0u, 120u, 400u}) At(now + ms);
            now += 1000;
            m_scheduler.Clear();
            ExpectNothingLeft();
        }
    }
    EXPECT_GT(loaded, 20);
}

}  // namespace
}  // namespace effecttest
