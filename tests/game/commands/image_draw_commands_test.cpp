// The image drawing commands (317-401) on real images of a screen device: the argument forms as
// pure functions, each command against the same image operation called directly on a twin
// pair of coordinate-coded images, the rows' own answers, the library's blend modes, and the
// timed surface effects through the real factory on the fake clock.
#include "game/commands/image_draw_commands.h"

#include <windows.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "effects/surface/surface_effect.h"
#include "framework/images/bmp_image_loader.h"
#include "game/commands/image_draw_forms.h"
#include "game/commands/surface_resolution.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "tests/game/commands/device_command_fixture.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/graphics/poisoning_delete.h"

#include <gtest/gtest.h>

namespace {

using namespace image_draw_forms;
using testsupport::WordOf;

constexpr std::uint32_t W = 0xFFFF;  // the "whole" marker

// ---- Forms ----

TEST(ImageDrawForms, PointFormReadsNothingAfterAWholeMarker) {
    const std::uint32_t whole[] = {W, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5};
    const PointForm a = ReadPoint(whole);
    EXPECT_EQ(0, a.x);
    EXPECT_EQ(0, a.y);
    EXPECT_EQ(nullptr, a.SourceRect());

    const std::uint32_t wholeSource[] = {3, 4, W, 0xA5, 0xA5, 0xA5};
    const PointForm b = ReadPoint(wholeSource);
    EXPECT_EQ(3, b.x);
    EXPECT_EQ(4, b.y);
    EXPECT_EQ(nullptr, b.SourceRect());

    const std::uint32_t given[] = {0xFFFFFFFFu, 4, 1, 2, 5, W};
    const PointForm c = ReadPoint(given);
    EXPECT_EQ(-1, c.x) << "-1 is a coordinate, not the marker";
    ASSERT_NE(nullptr, c.SourceRect());
    EXPECT_EQ(1, c.source.left);
    EXPECT_EQ(static_cast<LONG>(W), c.source.bottom) << "65535 past the first word is a value";
}

TEST(ImageDrawForms, StretchFormReadsNothingAfterAWholeMarker) {
    const std::uint32_t whole[] = {W, 1, 2, 3, 4, 5, 6, 7};
    const StretchForm a = ReadStretch(whole);
    EXPECT_EQ(nullptr, a.Size());
    EXPECT_EQ(nullptr, a.SourceRect());

    const std::uint32_t sized[] = {1, 2, 30, W, W, 9, 9, 9};
    const StretchForm b = ReadStretch(sized);
    ASSERT_NE(nullptr, b.Size());
    EXPECT_EQ(30, b.size.cx);
    EXPECT_EQ(static_cast<LONG>(W), b.size.cy);
    EXPECT_EQ(nullptr, b.SourceRect());

    const std::uint32_t all[] = {1, 2, 30, 40, 5, 6, 7, 8};
    const StretchForm c = ReadStretch(all);
    ASSERT_NE(nullptr, c.SourceRect());
    EXPECT_EQ(8, c.source.bottom);
}

TEST(ImageDrawForms, RegionAndTheClipReadOnlyAfterAGivenSource) {
    const std::uint32_t noSource[] = {W, 0, 0, 0, 1, 2, 3, 4};
    const SourceAndClip a = ReadSourceThenClip(noSource);
    EXPECT_EQ(nullptr, a.source.Rect());
    EXPECT_EQ(nullptr, a.clip.Rect()) << "the clip is not read after a whole source";

    const std::uint32_t both[] = {1, 2, 3, 4, 5, 6, 7, 8};
    const SourceAndClip b = ReadSourceThenClip(both);
    ASSERT_NE(nullptr, b.clip.Rect());
    EXPECT_EQ(5, b.clip.rect.left);

    const std::uint32_t noClip[] = {1, 2, 3, 4, W, 6, 7, 8};
    EXPECT_EQ(nullptr, ReadSourceThenClip(noClip).clip.Rect());
}

TEST(ImageDrawForms, ColourTriplesMaskEachChannel) {
    EXPECT_EQ(0x00FF00FEu, PackColour(0x1FF, 0, 0x1FE));
    EXPECT_EQ(0x00123456u, PackColour(0x12, 0x34, 0x56));
    EXPECT_EQ(0x00FFFFFFu, PackColour(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF));
}

TEST(ImageDrawForms, OptionalPairsStopAtTheFirstAbsentOne) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> words;
        std::vector<std::int32_t> expected;
    };
    const Case cases[] = {
        {"all given", {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}},
        {"a later pair after an absent one is absent", {1, 2, W, 9, 3, 4}, {1, 2, 0, 0, 0, 0}},
        {"the first absent", {W, 1, 2, 3, 4, 5}, {0, 0, 0, 0, 0, 0}},
        {"65535 as a second word is a value", {1, W, 2, 3, W, 0}, {1, 0xFFFF, 2, 3, 0, 0}},
    };
    for (const Case& c : cases) {
        std::int32_t out[6];
        ReadOptionalPairs(c.words.data(), 3, out);
        EXPECT_EQ(c.expected, std::vector<std::int32_t>(out, out + 6)) << c.name;
    }
}

TEST(ImageDrawForms, SurfaceEffectGroupPassesTheMarkerAndZerosWhenAbsent) {
    const std::uint32_t absent[] = {W, 7, 7, 7, 7, 7, 7, 7};
    const SurfaceEffectGroup a = ReadSurfaceEffectGroup(absent);
    EXPECT_EQ((std::vector<std::uint32_t>{W, 0, 0, 0, 0, 0, 0, 0}), std::vector<std::uint32_t>(a.values, a.values + 8));

    const std::uint32_t noRect[] = {5, 6, 0x12345, W, 9, 9, 9, 0x10002};
    const SurfaceEffectGroup b = ReadSurfaceEffectGroup(noRect);
    EXPECT_EQ((std::vector<std::uint32_t>{5, 6, 0x2345, 0xFFFFFFFFu, 0, 0, 0, 2}),
              std::vector<std::uint32_t>(b.values, b.values + 8));

    const std::uint32_t rect[] = {5, 6, 7, 0x10001, 2, 3, 4, 8};
    const SurfaceEffectGroup c = ReadSurfaceEffectGroup(rect);
    EXPECT_EQ((std::vector<std::uint32_t>{5, 6, 7, 1, 2, 3, 4, 8}), std::vector<std::uint32_t>(c.values, c.values + 8));
}

// ---- Commands on real images ----

std::uint32_t Coded(std::int32_t x, std::int32_t y, std::uint32_t salt) {
    return (0x40u + salt * 0x20u) << 24 | static_cast<std::uint32_t>(x * 16 + salt) << 16 |
           static_cast<std::uint32_t>(y * 20 + salt) << 8 | static_cast<std::uint32_t>((x * y + salt) & 0xFF);
}

void Code(Image& image, std::uint32_t salt) {
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        for (std::int32_t x = 0; x < image.Width(); ++x) image.SetPixel(x, y, Coded(x, y, salt));
    }
}

std::vector<std::uint8_t> Pixels(Image& image) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        const std::uint8_t* const row = image.Row(y);
        bytes.insert(bytes.end(), row, row + image.Width() * (image.Depth() / 8));
    }
    return bytes;
}

std::uint32_t FloatWord(float value) {
    std::uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

class ImageDrawCommands : public devicetest::DeviceCommandTest {
protected:
    void SetUp() override {
        DeviceCommandTest::SetUp();
        ASSERT_EQ(0, m_host.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions, BmpImageLoader::kTypeString, 1,
                                            nullptr, nullptr, nullptr));
        g_imageLoaderHost = &m_host;
        m_factory.SetScheduler(&m_scheduler);
        SetCurrentSurfaceEffectFactory(&m_factory);
    }
    void TearDown() override {
        SetCurrentSurfaceEffectFactory(nullptr);
        g_imageLoaderHost = nullptr;
        DeviceCommandTest::TearDown();
    }

    // A coded 32-bit image of the device and its word.
    Image* Coded32(std::int32_t width, std::int32_t height, std::uint32_t salt) {
        Image* const image = NewImage(width, height);
        Code(*image, salt);
        return image;
    }
    static std::uint32_t Word(Image* image) { return WordOf(static_cast<Surface*>(image)); }

    SurfaceEffectFactory m_factory{m_clock};
};

// Each two-image command against the image operation it names, made directly on a twin pair.
struct PairCase {
    const char* name;
    int opcode;
    std::function<std::vector<std::uint32_t>(std::uint32_t destination, std::uint32_t source)> words;
    std::function<std::int32_t(Image& destination, Surface* source)> direct;
};

TEST_F(ImageDrawCommands, TwoImageCommandsMakeTheImageCallWithTheirForms) {
    const RECT src{1, 1, 5, 4};
    const SIZE size{6, 5};
    auto point = [](std::vector<std::uint32_t> v) {
        for (std::uint32_t w : {2u, 3u, 1u, 1u, 5u, 4u}) v.push_back(w);
        return v;
    };
    auto stretch = [](std::vector<std::uint32_t> v) {
        for (std::uint32_t w : {2u, 3u, 6u, 5u, 1u, 1u, 5u, 4u}) v.push_back(w);
        return v;
    };
    const std::vector<PairCase> cases = {
        {"blit", 333, [&](auto d, auto s) { return point({d, s}); },
         [&](Image& i, Surface* s) { return i.Blit(s, 2, 3, &src, false); }},
        {"blit, x 65535 ignores a valid source rectangle", 333, [](auto d, auto s) { return std::vector<std::uint32_t>{d, s, W, 3, 1, 1, 5, 4}; },
         [](Image& i, Surface* s) { return i.Blit(s, 0, 0, nullptr, false); }},
        {"stretch blit", 334, [&](auto d, auto s) { return stretch({d, s}); },
         [&](Image& i, Surface* s) { return i.StretchBlit(s, &size, 2, 3, &src, false); }},
        {"stretch blit, whole", 334, [](auto d, auto s) { return std::vector<std::uint32_t>{d, s, W, 9, 9, 9, 9, 9, 9, 9}; },
         [](Image& i, Surface* s) { return i.StretchBlit(s, nullptr, 0, 0, nullptr, false); }},
        {"mirrored", 335, [&](auto d, auto s) { return point({d, s, 2}); },
         [&](Image& i, Surface* s) { return i.BlitMirrored(s, 2, 2, 3, &src); }},
        {"stretch mirrored", 336, [&](auto d, auto s) { return stretch({d, s, 1}); },
         [&](Image& i, Surface* s) { return i.StretchBlitMirrored(s, 1, &size, 2, 3, &src); }},
        {"alpha blend", 337, [&](auto d, auto s) { return point({d, s}); },
         [&](Image& i, Surface* s) { return i.AlphaBlend(s, 2, 3, &src, false); }},
        {"stretch alpha blend", 338, [&](auto d, auto s) { return stretch({d, s}); },
         [&](Image& i, Surface* s) { return i.StretchAlphaBlend(s, &size, 2, 3, &src, false); }},
        {"alpha blend mirrored", 339, [&](auto d, auto s) { return point({d, s, 0}); },
         [&](Image& i, Surface* s) { return i.AlphaBlendMirrored(s, 0, 2, 3, &src); }},
        {"stretch alpha blend mirrored", 340, [&](auto d, auto s) { return stretch({d, s, 1}); },
         [&](Image& i, Surface* s) { return i.StretchAlphaBlendMirrored(s, 1, &size, 2, 3, &src); }},
        {"copy keyed", 345, [&](auto d, auto s) { return point({d, s}); },
         [&](Image& i, Surface* s) { return i.CopyColour(s, 2, 3, &src); }},
        {"stretch copy colour", 346, [&](auto d, auto s) { return stretch({d, s}); },
         [&](Image& i, Surface* s) { return i.StretchCopyColour(s, &size, 2, 3, &src); }},
        {"copy converting depth, upside down", 344, [&](auto d, auto s) { return stretch({d, s, 1}); },
         [&](Image& i, Surface* s) { return i.CopyConvertDepth(static_cast<Image*>(s), 1, &size, 2, 3, &src); }},
        {"copy alpha", 347, [&](auto d, auto s) { return point({d, s}); },
         [&](Image& i, Surface* s) { return i.CopyAlpha(s, 2, 3, &src); }},
        {"stretch copy alpha", 348, [&](auto d, auto s) { return stretch({d, s}); },
         [&](Image& i, Surface* s) { return i.StretchCopyAlpha(s, &size, 2, 3, &src); }},
        {"weighted", 357, [&](auto d, auto s) { return point({d, s, 0x140}); },
         [&](Image& i, Surface* s) { return i.BlendWeighted(s, 0x40, 2, 3, &src); }},
        {"stretch weighted", 358, [&](auto d, auto s) { return stretch({d, s, 0x90}); },
         [&](Image& i, Surface* s) { return i.StretchBlendWeighted(s, 0x90, &size, 2, 3, &src); }},
        {"weighted table, channels masked", 359, [&](auto d, auto s) { return point({d, s, 0x110, 0x20, 0x30, 0x40, 0x150, 0x60}); },
         [&](Image& i, Surface* s) { return i.BlendChannelWeights(s, 0x102030, 0x405060, 2, 3, &src); }},
        {"stretch weighted table", 360, [&](auto d, auto s) { return stretch({d, s, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60}); },
         [&](Image& i, Surface* s) { return i.StretchBlendChannelWeights(s, 0x102030, 0x405060, &size, 2, 3, &src); }},
        {"blend mode", 361, [&](auto d, auto s) { return point({1, d, s}); },
         [&](Image& i, Surface* s) { return i.BlendMode(1, s, 2, 3, &src); }},
        {"stretch blend mode", 362, [&](auto d, auto s) { return stretch({2, d, s}); },
         [&](Image& i, Surface* s) { return i.StretchBlendMode(2, s, &size, 2, 3, &src); }},
        {"opacity A", 363, [&](auto d, auto s) { return point({d, s, 0x80}); },
         [&](Image& i, Surface* s) { return i.BlitOpacityA(s, 0x80, 2, 3, &src); }},
        {"opacity B", 364, [&](auto d, auto s) { return point({d, s, 0x70}); },
         [&](Image& i, Surface* s) { return i.BlitOpacityB(s, 0x70, 2, 3, &src); }},
        {"blend table", 365, [&](auto d, auto s) { return point({1, d, s, 0xC0}); },
         [&](Image& i, Surface* s) { return i.BlendTable(1, s, 0xC0, 2, 3, &src); }},
        {"stretch blend table", 366, [&](auto d, auto s) { return stretch({0, d, s, 0xC0}); },
         [&](Image& i, Surface* s) { return i.StretchBlendTable(0, s, 0xC0, &size, 2, 3, &src); }},
        {"blend opacity", 367, [&](auto d, auto s) { return point({d, s, 0xA0}); },
         [&](Image& i, Surface* s) { return i.BlendOpacity(s, 0xA0, 2, 3, &src); }},
        {"stretch blend opacity", 368, [&](auto d, auto s) { return stretch({d, s, 0xA0}); },
         [&](Image& i, Surface* s) { return i.StretchBlendOpacity(s, 0xA0, &size, 2, 3, &src); }},
        {"rule blend plane without a rule", 369, [](auto d, auto s) { return std::vector<std::uint32_t>{d, s, 0, 0xFF, 200, 64, 2, 3, 1, 1, 5, 4}; },
         [&](Image& i, Surface* s) { return i.RuleBlendPlane(s, nullptr, 0xFF, 200, 64, 2, 3, &src); }},
        {"opacity C", 371, [&](auto d, auto s) { return point({d, s, 2, 0xC0}); },
         [&](Image& i, Surface* s) { return i.BlitOpacityC(s, 2, 0xC0, 2, 3, &src); }},
        {"opacity D", 372, [&](auto d, auto s) { return point({d, s, 1, 0xC0}); },
         [&](Image& i, Surface* s) { return i.BlitOpacityD(s, 1, 0xC0, 2, 3, &src); }},
        {"rect to quad, whole source, clip not read", 374,
         [](auto d, auto s) { return std::vector<std::uint32_t>{d, s, 1, 1, 9, 2, 2, 8, 10, 9, W, 0, 0, 0, 1, 1, 2, 2}; },
         [](Image& i, Surface* s) {
             const POINT q[4] = {{1, 1}, {9, 2}, {2, 8}, {10, 9}};
             return i.BlitRectToQuad(s, q, nullptr, nullptr);
         }},
        {"rect to quad with source and clip", 374,
         [](auto d, auto s) { return std::vector<std::uint32_t>{d, s, 1, 1, 9, 2, 2, 8, 10, 9, 0, 0, 6, 5, 2, 2, 8, 7}; },
         [](Image& i, Surface* s) {
             const POINT q[4] = {{1, 1}, {9, 2}, {2, 8}, {10, 9}};
             const RECT r{0, 0, 6, 5}, c{2, 2, 8, 7};
             return i.BlitRectToQuad(s, q, &r, &c);
         }},
        {"quad to rect", 375,
         [](auto d, auto s) { return std::vector<std::uint32_t>{d, s, 0, 0, 7, 0, 0, 5, 7, 5, 1, 1, 12, 10, W, 0, 0, 0}; },
         [](Image& i, Surface* s) {
             const POINT q[4] = {{0, 0}, {7, 0}, {0, 5}, {7, 5}};
             const RECT r{1, 1, 12, 10};
             return i.BlitQuadToRect(s, q, &r, nullptr);
         }},
        {"rotate zoom", 376, [](auto d, auto s) { return std::vector<std::uint32_t>{d, s, 4, 8, 6, 64, 0x18000, W, 0, 0, 0}; },
         [](Image& i, Surface* s) { return i.BlitRotateZoom(s, 4, 8, 6, 64, 0x18000, nullptr, nullptr); }},
        {"blend rotate zoom", 377, [](auto d, auto s) { return std::vector<std::uint32_t>{d, s, 0, 3, 2, 32, 0x10000, 0xC0, 0, 0, 8, 6, W, 0, 0, 0}; },
         [](Image& i, Surface* s) {
             const RECT r{0, 0, 8, 6};
             return i.BlendRotateZoom(s, 0, 3, 2, 32, 0x10000, 0xC0, &r, nullptr);
         }},
        {"library blend rect", 390, [&](auto d, auto s) { return point({d, s, 3, 0xC0, 0}); },
         [&](Image& i, Surface* s) { return i.BlendRect(s, 3, 0xC0, 0, 2, 3, &src); }},
        {"library stretch blend rect", 391, [&](auto d, auto s) { return stretch({d, s, 0, 1, 0xFF, 1}); },
         [&](Image& i, Surface* s) { return i.StretchBlendRect(s, 1, 0, 0xFF, 1, &size, 2, 3, &src); }},
        {"affine, single-precision words", 392,
         [](auto d, auto s) {
             return std::vector<std::uint32_t>{d, s, FloatWord(1.5f), FloatWord(1.0f), FloatWord(9.0f), FloatWord(2.0f),
                                               FloatWord(2.0f), FloatWord(7.25f), 0, 0, 0xFF, 0, 0, 0, W, 0, 0, 0, W, 0, 0, 0};
         },
         [](Image& i, Surface* s) {
             const pixelops::AffineBlendPoints p{1.5, 1.0, 9.0, 2.0, 2.0, 7.25};
             return i.AffineBlendRect(s, &p, nullptr, 0, 0, 0xFF, 0, 0, 0, nullptr);
         }},
        {"affine matrix, 16.16 words", 393,
         [](auto d, auto s) {
             return std::vector<std::uint32_t>{d, s, 0x10000, 0, 0x8000, 0x18000, 0x18000, 0x30000, 0, 0, 0xFF, 0, 0, 0, W, 0, 0, 0, W, 0, 0, 0};
         },
         [](Image& i, Surface* s) {
             const double m[6] = {1.0, 0.0, 0.5, 1.5, 1.5, 3.0};
             return i.AffineBlendRectMatrix(s, m, nullptr, 0, 0, 0xFF, 0, 0, 0, nullptr);
         }},
    };
    for (const PairCase& c : cases) {
        Image* const dest = Coded32(16, 12, 1);
        Image* const source = Coded32(8, 6, 2);
        Image* const twinDest = Coded32(16, 12, 1);
        Image* const twinSource = Coded32(8, 6, 2);
        const std::vector<std::uint8_t> before = Pixels(*dest);
        const std::int32_t result = Call(c.opcode, c.words(Word(dest), Word(source)));
        const std::int32_t expected = c.direct(*twinDest, twinSource);
        EXPECT_EQ(expected, result) << c.name;
        EXPECT_EQ(0, expected) << c.name << ": the row should draw";
        EXPECT_EQ(Pixels(*twinDest), Pixels(*dest)) << c.name;
        EXPECT_NE(before, Pixels(*dest)) << c.name << ": nothing was drawn";
        EXPECT_EQ(-1, Call(c.opcode, c.words(Word(dest), 0x1234))) << c.name << ": a forged source";
        EXPECT_EQ(-1, Call(c.opcode, c.words(0, Word(source)))) << c.name << ": no destination";
    }
}

TEST_F(ImageDrawCommands, CrossfadeAndRuleTransitionPassTheirPairsInOrder) {
    Image* const images[2][4] = {{Coded32(12, 8, 1), Coded32(12, 8, 2), Coded32(12, 8, 3), Coded32(12, 8, 4)},
                                 {Coded32(12, 8, 1), Coded32(12, 8, 2), Coded32(12, 8, 3), Coded32(12, 8, 4)}};
    // (2, 1), (65535, 5): the second pair and all after it are zeros.
    const std::int32_t a = Call(400, {Word(images[0][0]), Word(images[0][1]), Word(images[0][2]), 0x80, 0, 2, 1, W, 5, 3, 3, 1, 1});
    EXPECT_EQ(images[1][0]->Crossfade(images[1][1], images[1][2], 0x80, 0, 2, 1, 0, 0, 0, 0, 0, 0), a);
    EXPECT_EQ(Pixels(*images[1][0]), Pixels(*images[0][0]));

    const std::int32_t b = Call(401, {Word(images[0][0]), Word(images[0][1]), Word(images[0][2]), Word(images[0][3]), 0x90,
                                      16, 0, 1, 1, 8, 6, 1, 0, W, 0, 4, 4});
    EXPECT_EQ(images[1][0]->RuleTransition(images[1][1], images[1][2], images[1][3], 0x90, 16, 0, 1, 1, 8, 6, 1, 0, 0, 0, 0, 0), b);
    EXPECT_EQ(Pixels(*images[1][0]), Pixels(*images[0][0]));

    EXPECT_EQ(-1, Call(400, {Word(images[0][0]), Word(images[0][1]), 0x4321, 0x80, 0, W}));
    EXPECT_EQ(-1, Call(401, {Word(images[0][0]), Word(images[0][1]), Word(images[0][2]), 0, 0x80, 16, 0, W}));
}

TEST_F(ImageDrawCommands, OneImageCommandsAnswerTheirRows) {
    Image* const image = Coded32(8, 6, 1);
    const std::uint32_t word = Word(image);
    EXPECT_EQ(1, Call(327, {word, 2, 3, 0x11223344}));
    EXPECT_EQ(0x11223344, Call(328, {word, 2, 3}));
    EXPECT_EQ(0, Call(327, {word, 8, 3, 0}));
    EXPECT_EQ(-1, Call(328, {0x5555, 2, 3}));
    EXPECT_EQ(1, Call(323, {word, 0xAABBCCDD, 1, 1, 3, 2}));
    EXPECT_EQ(static_cast<std::int32_t>(0xAABBCCDD), Call(328, {word, 1, 1}));
    EXPECT_EQ(static_cast<std::int32_t>(Coded(3, 1, 1)), Call(328, {word, 3, 1})) << "the region's right edge is exclusive";
    EXPECT_EQ(0, Call(330, {word, 0})) << "no second image";
    EXPECT_EQ(-2, Call(320, {0x777, 0, 0, 0, 0}));
    EXPECT_EQ(-2, Call(321, {0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(0, Call(326, {word, 0x7F}));
    EXPECT_EQ(0x7F, static_cast<std::uint32_t>(Call(328, {word, 5, 5})) >> 24);
    EXPECT_EQ(1, Call(326, {0x777, 0x7F}));
}

TEST_F(ImageDrawCommands, DrawWithDirtyRectsTakesTheStretchForm) {
    Image* dest = nullptr;
    Image* twin = nullptr;
    ASSERT_EQ(0, m_device.CreateImage(&dest, 8, 6, 32, kImageDirtyRegion));
    ASSERT_EQ(0, m_device.CreateImage(&twin, 8, 6, 32, kImageDirtyRegion));
    Image* const source = Coded32(8, 6, 5);
    for (Image* image : {dest, twin}) {
        Code(*image, 4);
        ASSERT_NE(nullptr, image->GetDirtyRegion());
        image->GetDirtyRegion()->Clear();
        image->MarkChanged(RECT{3, 3, 6, 5});
    }
    EXPECT_EQ(0, Call(373, {Word(dest), Word(source), 2, 3, 6, 5, 1, 1, 5, 4}));
    const RECT src{1, 1, 5, 4};
    const SIZE size{6, 5};
    EXPECT_EQ(0, twin->DrawWithDirtyRects(source, &size, 2, 3, &src));
    EXPECT_EQ(Pixels(*twin), Pixels(*dest));
    EXPECT_NE(Pixels(*Coded32(8, 6, 4)), Pixels(*dest)) << "the dirty rectangle was drawn";
}

TEST_F(ImageDrawCommands, TransformColoursPacksItsTwoColoursAndAnswersMinus2WithoutAnImage) {
    Image* const image = Coded32(8, 6, 3);
    Image* const twin = Coded32(8, 6, 3);
    EXPECT_EQ(0, Call(383, {Word(image), 1, 0x110, 0x20, 0x130, 0x40, 0x50, 0x160, 1, 1, 6, 4}));
    const RECT rect{1, 1, 6, 4};
    EXPECT_EQ(0, twin->TransformBlit(1, 0x102030, 0x405060, &rect));
    EXPECT_EQ(Pixels(*twin), Pixels(*image));
    EXPECT_EQ(3, Call(383, {Word(image), 2, 0, 0, 0, 0, 0, 0, W, 0, 0, 0}));
    EXPECT_EQ(-2, Call(383, {0x777, 0, 0, 0, 0, 0, 0, 0, W, 0, 0, 0}));
}

TEST_F(ImageDrawCommands, SetAllAlphaOnAnEightBitImageAnswers2AndChangesNothing) {
    Image* image = nullptr;
    ASSERT_EQ(0, m_device.CreateImage(&image, 8, 4, 8, 0));
    image->FillRect(7, 0, 0, nullptr);
    const std::vector<std::uint8_t> before = Pixels(*image);
    EXPECT_EQ(2, Call(326, {Word(image), 0x10}));
    EXPECT_EQ(before, Pixels(*image));
}

TEST_F(ImageDrawCommands, PaletteColourTriplesAreMaskedPerChannel) {
    Image* image = nullptr;
    ASSERT_EQ(0, m_device.CreateImage(&image, 4, 4, 8, 0));
    ASSERT_EQ(0, image->SetPalette(nullptr, 256, 0));
    ASSERT_EQ(1, Call(331, {Word(image), 5, 0x1FF, 0, 0x1FE, 1}));
    EXPECT_EQ(0x00FF00FEu, image->Palette()[5]) << "red must not spill into alpha nor blue into green";
    EXPECT_EQ(5, Call(329, {Word(image), 0xFF, 0, 0xFE}));
    ASSERT_EQ(1, Call(332, {Word(image), 0x101, 0x102, 0x103, 0}));
    EXPECT_EQ(0x00010203u, image->Palette()[200]);
}

TEST_F(ImageDrawCommands, ConvertDepthServesOnlySoftwareImagesWhileFillsReachAScreensBackBuffer) {
    MemoryScreen* const screen = NewScreen(8, 6);
    const std::uint32_t word = WordOf(static_cast<Surface*>(screen));
    EXPECT_EQ(-1, Call(317, {word, 8}));
    EXPECT_EQ(0, Call(319, {word}));
    ASSERT_EQ(1, Call(322, {word, 1, 1, 4, 3, 0x12, 0x34, 0x56}));
    Image* const backBuffer = ImageOfSurface(word);
    ASSERT_NE(nullptr, backBuffer);
    EXPECT_EQ(0x123456u, backBuffer->GetPixel(2, 2) & 0xFFFFFF);
    EXPECT_EQ(0, Call(317, {Word(Coded32(4, 4, 1)), 8}));
}

TEST_F(ImageDrawCommands, FromSurfaceLooksTheSourceUpAndRefusesAForgedWord) {
    Image* dest = nullptr;
    ASSERT_EQ(0, m_device.CreateImage(&dest, 8, 6, 32, kImageDibSection));
    Image* const source = Coded32(4, 4, 3);
    EXPECT_EQ(-1, Call(349, {Word(dest), 0x00401000, W}));
    EXPECT_EQ(-1, Call(350, {Word(dest), Word(dest) + 4, W}));
    EXPECT_EQ(0, Call(349, {Word(dest), Word(source), 1, 1, W}));
    EXPECT_EQ(Coded(0, 0, 3) & 0xFFFFFF, dest->GetPixel(1, 1) & 0xFFFFFF);
}

TEST_F(ImageDrawCommands, SaveImageWritesABmpThatLoadsBack) {
    char folder[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(MAX_PATH, folder));
    const std::string path = std::string(folder) + "\\image_draw_318.bmp";
    DeleteFileA(path.c_str());
    Image* const image = Coded32(5, 3, 2);
    ASSERT_EQ(0, Call(318, {Word(image), Text(path), 0, 0}));
    Image loaded;
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(0, loaded.Load(nullptr, bytes.data(), static_cast<std::int32_t>(bytes.size()), 0));
    ASSERT_EQ(5, loaded.Width());
    for (std::int32_t y = 0; y < 3; ++y) {
        for (std::int32_t x = 0; x < 5; ++x) EXPECT_EQ(Coded(x, y, 2) & 0xFFFFFF, loaded.GetPixel(x, y) & 0xFFFFFF);
    }
    DeleteFileA(path.c_str());
    EXPECT_EQ(1, Call(318, {Word(image), 0, 0, 0}));
}

TEST_F(ImageDrawCommands, LibraryBlendModesAbove31AreRefused) {
    for (std::uint32_t mode = 0; mode <= 33; ++mode) {
        Image* const dest = Coded32(8, 6, 1);
        Image* const source = Coded32(8, 6, 2);
        const std::int32_t result = Call(390, {Word(dest), Word(source), mode, 0xFF, 0, 0, 0, W});
        if (mode < 32) {
            EXPECT_EQ(0, result) << mode;
        } else {
            EXPECT_EQ(3, result) << mode;
        }
    }
}

TEST_F(ImageDrawCommands, AffineNumbersThatAreNotFiniteDrawNothing) {
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float value : bad) {
        for (int at = 0; at < 6; ++at) {
            Image* const dest = Coded32(8, 6, 1);
            Image* const source = Coded32(8, 6, 2);
            const std::vector<std::uint8_t> before = Pixels(*dest);
            std::vector<std::uint32_t> words = {Word(dest), Word(source), FloatWord(0.0f), FloatWord(0.0f), FloatWord(7.0f),
                                                FloatWord(0.0f), FloatWord(0.0f), FloatWord(5.0f), 0, 0, 0xFF, 0, 0, 0,
                                                W, 0, 0, 0, W, 0, 0, 0};
            words[2 + at] = FloatWord(value);
            EXPECT_EQ(1, Call(392, words)) << at;
            EXPECT_EQ(before, Pixels(*dest)) << at;
        }
    }
}

// ---- Timed surface effects ----

TEST_F(ImageDrawCommands, SurfaceEffectsResolveTheirImagesAndPassTheGroup) {
    Image* const target = Coded32(16, 8, 1);
    Image* const source = Coded32(16, 8, 2);
    const std::uint32_t fade = Call(386, {0, 100, Word(target), 0, W, 7, 7, 7, 7, 7, 7, 7});
    ASSERT_NE(0u, fade) << "a source word of 0 makes a one-image effect";
    EXPECT_EQ(0, Call(386, {2, 100, Word(target), 0x2345, W}));
    EXPECT_EQ(0, Call(386, {0, 100, 0x2345, 0, W}));
    EXPECT_EQ(0, Call(386, {22, 100, Word(target), 0, W}));

    const std::uint32_t absent = Call(386, {2, 100, Word(target), Word(source), W, 9, 9, 9, 9, 9, 9, 9});
    ASSERT_NE(0u, absent);
    const auto* marked = reinterpret_cast<const SurfaceEffect*>(static_cast<std::uintptr_t>(absent));
    EXPECT_EQ(0, marked->DestX()) << "the absent group's marker";
    EXPECT_EQ(0, marked->DestY()) << "zeros after the marker, not the noise";
    EXPECT_EQ(0, marked->Mode());
    EXPECT_EQ(0, marked->SourceRect().right);
    EXPECT_EQ(0, marked->SourceRect().bottom);
    EXPECT_EQ(0, Call(388, {absent}));

    // At (0, 0), mode 0, no rectangle (the whole source).
    const std::uint32_t reveal = Call(386, {2, 100, Word(target), Word(source), 0, 0, 0, W, 9, 9, 9, 0});
    ASSERT_NE(0u, reveal);
    const auto* effect = reinterpret_cast<const SurfaceEffect*>(static_cast<std::uintptr_t>(reveal));
    EXPECT_EQ(16, effect->SourceRect().right);
    EXPECT_EQ(8, effect->SourceRect().bottom);

    const std::vector<std::uint8_t> before = Pixels(*target);
    EXPECT_EQ(1, Call(389, {reveal}));
    EXPECT_EQ(0, Call(387, {reveal}));
    m_clock.AdvanceMs(10);
    m_scheduler.RunDue(m_clock.Milliseconds());
    EXPECT_NE(before, Pixels(*target)) << "finished: the end state is drawn";
    m_clock.AdvanceMs(200);
    m_scheduler.RunDue(m_clock.Milliseconds());
    EXPECT_EQ(0, Call(389, {reveal})) << "ended";
    EXPECT_EQ(m_factory.Finish(effect), Call(387, {reveal}));
    EXPECT_EQ(m_factory.Cancel(effect), Call(388, {reveal}));
}

TEST_F(ImageDrawCommands, ReleasingAnImageCancelsItsSurfaceEffectBeforeItGoes) {
    testsupport::PoisonFreedMemory poison;
    Image* const target = Coded32(16, 8, 1);
    Image* const source = Coded32(16, 8, 2);
    const std::uint32_t reveal = Call(386, {3, 1000, Word(target), Word(source), W});
    ASSERT_NE(0u, reveal);
    m_clock.AdvanceMs(100);
    m_scheduler.RunDue(m_clock.Milliseconds());
    const std::uint32_t variable = Out(4);
    std::uint32_t sourceWord = Word(source);
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(variable)), &sourceWord, 4);
    ASSERT_EQ(0, Call(243, {variable}));
    EXPECT_EQ(nullptr, CommandTasks().FindTask(reveal)) << "the effect was left running on a freed image";
    m_clock.AdvanceMs(2000);
    m_scheduler.RunDue(m_clock.Milliseconds());
    EXPECT_EQ(0, Call(389, {reveal}));
}

TEST_F(ImageDrawCommands, ReleasingEveryObjectCancelsSurfaceEffectsFirst) {
    testsupport::PoisonFreedMemory poison;
    Image* const target = Coded32(16, 8, 1);
    const std::uint32_t fade = Call(386, {0, 1000, Word(target), 0, W});
    ASSERT_NE(0u, fade);
    ASSERT_EQ(0, Call(200, {}));
    m_clock.AdvanceMs(500);
    m_scheduler.RunDue(m_clock.Milliseconds());
    EXPECT_EQ(0, Call(389, {fade}));
    EXPECT_EQ(0, CommandTasks().LiveCount());
}

// A script draws through the commands as a game would: images made by 231, filled, keyed,
// blitted and blended, read back into variables, saved as a BMP, and a timed effect started.
TEST_F(ImageDrawCommands, AScriptDrawsThroughTheCommands) {
    commandtest::ProgramRun run;
    commandtest::CallProgram p;
    p.Call(231, {"8", "4", "32", "0"}, "var:0");
    p.Call(231, {"4", "2", "32", "0"}, "var:1");
    p.Call(322, {"@var:0", "0", "0", "8", "4", "0x1FF", "0x20", "0x1FE"}, "var:2");
    p.Call(323, {"@var:1", "0x80102030", "65535", "0", "0", "0"}, "var:3");
    p.Call(333, {"@var:0", "@var:1", "2", "1", "65535", "0", "0", "0"}, "var:4");
    p.Call(328, {"@var:0", "3", "2"}, "var:5");
    p.Call(328, {"@var:0", "0", "0"}, "var:6");
    p.Call(337, {"@var:0", "@var:1", "65535", "9", "9", "9", "9", "9"}, "var:7");
    p.Call(328, {"@var:0", "0", "0"}, "var:8");
    p.Call(318, {"@var:0", p.Text("drawn.bmp"), "0", "0"}, "var:9");
    p.Call(386, {"0", "500", "@var:0", "0", "65535"}, "var:10");
    p.Call(389, {"@var:10"}, "var:11");
    p.Call(326, {"@var:0", "0x40"}, "var:12");
    p.Call(328, {"@var:0", "7", "3"}, "var:13");
    ASSERT_EQ(kStepEnded, run.Run(p));
    EXPECT_EQ(1, run.Var(2));
    EXPECT_EQ(1, run.Var(3));
    EXPECT_EQ(0, run.Var(4));
    EXPECT_EQ(0x102030u, static_cast<std::uint32_t>(run.Var(5)) & 0xFFFFFF) << "the blit at (2, 1)";
    EXPECT_EQ(0x00FF20FEu, static_cast<std::uint32_t>(run.Var(6)) & 0xFFFFFF) << "the fill's channels masked";
    EXPECT_EQ(0, run.Var(7));
    EXPECT_NE(run.Var(6), run.Var(8)) << "the alpha blend at (0, 0) mixed the colours";
    EXPECT_EQ(0, run.Var(9));
    EXPECT_NE(0, run.Var(10));
    EXPECT_EQ(1, run.Var(11));
    EXPECT_EQ(0, run.Var(12));
    EXPECT_EQ(0x40u, static_cast<std::uint32_t>(run.Var(13)) >> 24);
    std::ifstream file(run.File("drawn.bmp"), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Image loaded;
    ASSERT_EQ(0, loaded.Load(nullptr, bytes.data(), static_cast<std::int32_t>(bytes.size()), 0));
    EXPECT_EQ(8, loaded.Width());
    EXPECT_EQ(0x102030u, loaded.GetPixel(3, 2) & 0xFFFFFF);
}

}  // namespace
