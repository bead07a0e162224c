// Crossfade (53), mosaics (68, 69) and invert (70) against per-pixel formulas, and in mode 2
// on the fake DirectDraw surface and once on a Wine offscreen surface.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "effects/transitions/transition_routines.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/image/image.h"
#include "graphics/surfaces/surface_effects.h"
#include "tests/effects/transitions/recording_surface_port.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/coded_picture.h"
#include "tests/support/fake_dd_surface.h"
#include "tests/support/wine_direct_draw.h"

namespace {

using testsupport::CodedPicture;
using testsupport::PixelAt;
using transtest::DirectDrawPicture;
using transtest::RecordingSurfacePort;

using Pixels = std::vector<std::uint32_t>;
Pixels PixelsOf(Image& image) {
    Pixels out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) out.push_back(PixelAt(image, x, y));
    return out;
}

constexpr std::int32_t kPhases[] = {1, 2, 64, 127, 128, 129, 192, 251, 252, 255};
// Inside, at negative offsets and past the edges of the 24 x 14 destination.
constexpr POINT kPlaces[] = {{3, 2}, {-4, -3}, {17, 10}};

// A 24 x 14 destination and a 13 x 7 source with alpha 0x80 (so that a blend shows).
void MakePictures(Image& destination, Image& source) {
    ASSERT_TRUE(CodedPicture(destination, 24, 14, 0x55));
    ASSERT_TRUE(CodedPicture(source, 13, 7, 0x80));
}

bool Drawn(std::int32_t x, std::int32_t y, POINT at) {
    return x >= at.x && x < at.x + 13 && y >= at.y && y < at.y + 7;
}

TEST(CrossfadeRoutine, CopyModeWeighsEachChannelByTheTablesAndKeepsAlpha) {
    testsupport::PixelConfigScope plain(testsupport::PixelConfig::PlainKernels);
    InitBlendTables();
    const auto& m = g_blendTables.multiply;
    for (std::int32_t p : kPhases) {
        for (POINT at : kPlaces) {
            Image destination, source, before;
            MakePictures(destination, source);
            MakePictures(before, source);
            ASSERT_EQ(0, RunTransitionEffect(53, &destination, &source, p, at.x, at.y, 0,
                                             nullptr));
            for (std::int32_t y = 0; y < 14; ++y) {
                for (std::int32_t x = 0; x < 24; ++x) {
                    const std::uint32_t d = PixelAt(before, x, y);
                    std::uint32_t want = d;
                    if (Drawn(x, y, at)) {
                        const std::uint32_t s = PixelAt(source, x - at.x, y - at.y);
                        want = d & 0xFF000000u;
                        for (int shift = 0; shift < 24; shift += 8) {
                            const std::uint32_t c = m[256 - p][(d >> shift) & 0xFF] +
                                                    m[p - 1][(s >> shift) & 0xFF];
                            want |= c << shift;
                        }
                    }
                    ASSERT_EQ(want, PixelAt(destination, x, y))
                        << "p " << p << " at " << at.x << "," << at.y << " pixel " << x << ","
                        << y;
                }
            }
        }
    }
}

TEST(CrossfadeRoutine, BlendModeIsTableBlendTypeZeroAtOneLessThanTheProgress) {
    for (std::int32_t p : kPhases) {
        for (POINT at : kPlaces) {
            Image destination, source, expected;
            MakePictures(destination, source);
            MakePictures(expected, source);
            expected.BlendTable(0, &source, static_cast<std::uint8_t>(p - 1), at.x, at.y,
                                nullptr);
            ASSERT_EQ(0, RunTransitionEffect(53, &destination, &source, p, at.x, at.y, 1,
                                             nullptr));
            EXPECT_EQ(PixelsOf(expected), PixelsOf(destination)) << "p " << p;
            if (p == 1) {
                Image untouched;
                MakePictures(untouched, source);
                EXPECT_EQ(PixelsOf(untouched), PixelsOf(destination));
            }
        }
    }
}

TEST(CrossfadeRoutine, Mode2DrawsOnlyTheWholeSourceAndOtherwiseAnswersMinusOne) {
    RecordingSurfacePort port;
    DirectDrawPicture destination, source;
    ASSERT_EQ(0, destination.Create(24, 14, 32, false));
    ASSERT_EQ(0, source.Create(13, 7, 32, false));
    EXPECT_EQ(-1, RunTransitionEffect(53, &destination, &source, 1, 0, 0, 0, nullptr));
    EXPECT_EQ(-1, RunTransitionEffect(53, &destination, &source, 255, 0, 0, 0, nullptr));
    EXPECT_EQ(0, RunTransitionEffect(53, &destination, &source, 0, 0, 0, 0, nullptr));
    EXPECT_TRUE(port.blits.empty());
    EXPECT_EQ(0, RunTransitionEffect(53, &destination, &source, 256, 2, 3, 0, nullptr));
    ASSERT_EQ(1u, port.blits.size());
    EXPECT_EQ(2, port.blits[0].x);
    EXPECT_EQ(13, port.blits[0].rect.right);
}

TEST(FilterRoutines, MosaicAndInvertInImageModesFollowTheirFormulas) {
    for (std::int32_t routine : {68, 69, 70}) {
        for (std::int32_t mode : {0, 1}) {
            for (std::int32_t p : kPhases) {
                for (POINT at : kPlaces) {
                    SCOPED_TRACE(testing::Message() << "routine " << routine << " mode " << mode
                                                    << " p " << p << " at " << at.x << ","
                                                    << at.y);
                    Image destination, source, expected;
                    MakePictures(destination, source);
                    MakePictures(expected, source);
                    if (mode == 0) {
                        expected.Blit(&source, at.x, at.y, nullptr, false);
                    } else {
                        expected.AlphaBlend(&source, at.x, at.y, nullptr, false);
                    }
                    const RECT drawn = {at.x, at.y, at.x + 13, at.y + 7};
                    if (routine == 70) {
                        // Colour bytes inverted, alpha kept.
                        for (std::int32_t y = 0; y < 14; ++y)
                            for (std::int32_t x = 0; x < 24; ++x)
                                if (Drawn(x, y, at))
                                    expected.SetPixel(x, y, PixelAt(expected, x, y) ^ 0xFFFFFFu);
                    } else if (p < 252) {
                        // Cells of ((255 - p) >> 2) + 1; from 252 on cells of 1 change nothing.
                        ASSERT_EQ(0, expected.Mosaic(((255 - p) >> 2) + 1, routine - 68, &drawn));
                    }
                    const std::int32_t result =
                        RunTransitionEffect(routine, &destination, &source, p, at.x, at.y, mode,
                                            nullptr);
                    EXPECT_EQ(0, result);
                    EXPECT_EQ(PixelsOf(expected), PixelsOf(destination));
                }
            }
        }
    }
}

TEST(FilterRoutines, ProgressAtOrBelowZeroDrawsNothingAndFrom256ThePlainSource) {
    for (std::int32_t routine : {53, 68, 69, 70}) {
        for (std::int32_t p : {-3, 0, 256, 300}) {
            Image destination, source, expected;
            MakePictures(destination, source);
            MakePictures(expected, source);
            if (p >= 256) expected.Blit(&source, -4, 3, nullptr, false);
            EXPECT_EQ(0, RunTransitionEffect(routine, &destination, &source, p, -4, 3, 0,
                                             nullptr));
            EXPECT_EQ(PixelsOf(expected), PixelsOf(destination)) << routine << " p " << p;
        }
    }
}

// Mode 2 on the fake surface: the destination clip (2, 1)-(20, 12) of a 24 x 14 target, the
// source drawn at (5, 4), so the filtered area is (5, 4)-(18, 11).
struct Mode2Rig {
    RecordingSurfacePort port;
    DirectDrawPicture destination, source;
    RECT area = {5, 4, 18, 11};
    Mode2Rig() {
        port.destinationClip = RECT{2, 1, 20, 12};
        EXPECT_EQ(0, destination.Create(24, 14, 32, false));
        // A 32-bit source: its format must not be taken for the target's.
        EXPECT_EQ(0, source.Create(13, 7, 32, false));
    }
    // Pixels of the area of the surface get values, the rest stays guard bytes.
    void Paint(testsupport::FakeDdSurface& surface) {
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x)
                surface.SetPixel32(x, y, static_cast<std::uint32_t>(x * 2654435761u + y * 40503u));
    }
};

DDPIXELFORMAT Format565() { return testsupport::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0); }

TEST(FilterRoutines, Mode2MosaicWorksInTheLockedTargetsOwnFormatAndWaitsForTheBlit) {
    for (std::int32_t routine : {68, 69}) {
        for (std::int32_t p : {1, 128, 251}) {
            Mode2Rig rig;
            testsupport::FakeDdSurface target(24, 14, Format565()), model(24, 14, Format565());
            rig.Paint(target);
            rig.Paint(model);
            // The blit of the whole source is still pending: only a waiting lock succeeds.
            target.stillDrawing = true;
            rig.port.target = target.Interface();
            ASSERT_EQ(0, RunTransitionEffect(routine, &rig.destination, &rig.source, p, 5, 4, 0,
                                             nullptr));
            ASSERT_EQ(1u, rig.port.blits.size());  // the whole source first
            EXPECT_EQ(13, rig.port.blits[0].rect.right);
            EXPECT_EQ(1, target.locks);
            EXPECT_EQ(1, target.unlocks);
            EXPECT_TRUE(target.OnlyAreaWritten(rig.area));
            DDSURFACEDESC2 desc = {};
            desc.dwSize = sizeof(desc);
            ASSERT_EQ(DD_OK, model.Interface()->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
            RECT clip = rig.port.destinationClip;
            const RECT drawn = {5, 4, 18, 11};
            ASSERT_EQ(0, MosaicSurfaceMemory(kPixelFormatRgb565,
                                             static_cast<std::uint8_t*>(desc.lpSurface),
                                             desc.lPitch, &drawn, &clip, ((255 - p) >> 2) + 1,
                                             static_cast<std::uint8_t>(routine - 68)));
            for (LONG y = 0; y < 14; ++y)
                for (LONG x = 0; x < 24; ++x)
                    ASSERT_EQ(model.Pixel32(x, y), target.Pixel32(x, y))
                        << routine << " p " << p << " pixel " << x << "," << y;
        }
    }
}

TEST(FilterRoutines, Mode2InvertFlipsTheColourBitsOfTheLockedFormat) {
    struct Case {
        DDPIXELFORMAT format;
        std::uint32_t colourBits;
    } cases[] = {{Format565(), 0xFFFF},
                 {testsupport::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), 0xFFFFFF}};
    for (const Case& c : cases) {
        Mode2Rig rig;
        testsupport::FakeDdSurface target(24, 14, c.format);
        rig.Paint(target);
        testsupport::FakeDdSurface before(24, 14, c.format);
        rig.Paint(before);
        rig.port.target = target.Interface();
        ASSERT_EQ(0, RunTransitionEffect(70, &rig.destination, &rig.source, 128, 5, 4, 2,
                                         nullptr));
        EXPECT_TRUE(target.OnlyAreaWritten(rig.area));
        for (LONG y = rig.area.top; y < rig.area.bottom; ++y)
            for (LONG x = rig.area.left; x < rig.area.right; ++x)
                ASSERT_EQ(before.Pixel32(x, y) ^ c.colourBits, target.Pixel32(x, y));
    }
}

TEST(FilterRoutines, Mode2LockAndUnlockFailuresAnswerThreeAndFour) {
    for (std::int32_t routine : {68, 69, 70}) {
        Mode2Rig rig;
        testsupport::FakeDdSurface target(24, 14, Format565());
        rig.port.target = target.Interface();
        target.failLock = true;
        EXPECT_EQ(3, RunTransitionEffect(routine, &rig.destination, &rig.source, 100, 5, 4, 0,
                                         nullptr));
        EXPECT_EQ(0, target.unlocks);
        target.failLock = false;
        target.failUnlock = true;
        EXPECT_EQ(4, RunTransitionEffect(routine, &rig.destination, &rig.source, 100, 5, 4, 0,
                                         nullptr));
        EXPECT_TRUE(target.OnlyPixelsWritten());
    }
}

TEST(FilterRoutines, Mode2MosaicOnAWineOffscreenSurface) {
    testsupport::OffscreenDirectDraw wine(24, 14, 16, 0xF800, 0x07E0, 0x001F);
    ASSERT_TRUE(wine.Ready());
    Mode2Rig rig;
    testsupport::FakeDdSurface model(24, 14, Format565());
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(DD_OK, wine.Surface()->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    for (LONG y = 0; y < 14; ++y)
        for (LONG x = 0; x < 24; ++x) {
            const auto v = static_cast<std::uint16_t>(x * 2654435761u + y * 40503u);
            reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                             y * desc.lPitch)[x] = v;
            model.SetPixel32(x, y, v);
        }
    ASSERT_EQ(DD_OK, wine.Surface()->Unlock(nullptr));
    rig.port.target = wine.Surface();
    ASSERT_EQ(0, RunTransitionEffect(68, &rig.destination, &rig.source, 200, 5, 4, 0, nullptr));
    DDSURFACEDESC2 modelDesc = {};
    modelDesc.dwSize = sizeof(modelDesc);
    ASSERT_EQ(DD_OK, model.Interface()->Lock(nullptr, &modelDesc, DDLOCK_WAIT, nullptr));
    RECT clip = rig.port.destinationClip;
    const RECT drawn = {5, 4, 18, 11};
    ASSERT_EQ(0, MosaicSurfaceMemory(kPixelFormatRgb565,
                                     static_cast<std::uint8_t*>(modelDesc.lpSurface),
                                     modelDesc.lPitch, &drawn, &clip, ((255 - 200) >> 2) + 1, 0));
    bool same = true;
    ASSERT_TRUE(wine.ForEachPixel([&](DWORD x, DWORD y, const std::uint8_t* bytes) {
        const std::uint32_t v = bytes[0] | bytes[1] << 8;
        if (v != model.Pixel32(x, y)) same = false;
    }));
    EXPECT_TRUE(same);
}

}  // namespace
