// RenderClipped draws exactly what Render draws inside the clip rectangle and nothing outside
// it: random clips over every drawing state and blend mode of sprites and colour rectangles.
// On the library's detected kernels, whose processor forms may round a pixel by its place in a
// row, only the outside is checked.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "tests/graphics/rect_helpers.h"
#include "tests/graphics/sprites/sprite_fixture.h"
#include "tests/support/test_pictures.h"

namespace {

using graphicstest::RectText;
using spritetest::LibraryTest;
using testsupport::MakePicture;
using testsupport::PictureRandom;

class RenderClippedTest : public LibraryTest,
                          public ::testing::WithParamInterface<testsupport::PixelConfig> {
protected:
    // Checks one drawable against random clips on a copy of the base picture.
    void CheckClips(Drawable& d, const std::string& name, PictureRandom& random) {
        Image whole;
        ASSERT_EQ(0, whole.CopyFrom(&m_base, 0));
        d.Render(&whole, nullptr);
        for (int i = 0; i < 6; ++i) {
            RECT clip;
            clip.left = random.Below(64) - 8;
            clip.top = random.Below(56) - 8;
            clip.right = clip.left + random.Below(40);
            clip.bottom = clip.top + random.Below(40);
            Image clipped;
            ASSERT_EQ(0, clipped.CopyFrom(&m_base, 0));
            d.RenderClipped(&clipped, clip);
            for (int y = 0; y < m_base.Height(); ++y) {
                for (int x = 0; x < m_base.Width(); ++x) {
                    const bool inside =
                        x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                    if (inside && !m_exactInside) continue;
                    const std::uint32_t want = inside ? whole.GetPixel(x, y) : m_base.GetPixel(x, y);
                    if (clipped.GetPixel(x, y) != want) {
                        ADD_FAILURE() << name << ", clip " << RectText(clip) << ": pixel (" << x
                                      << ", " << y << ")" << (inside ? " inside" : " outside");
                        return;
                    }
                }
            }
        }
    }

    void SetUp() override {
        m_config = GetParam();
        m_exactInside = GetParam() == testsupport::PixelConfig::LibraryPortable;
        LibraryTest::SetUp();
        ASSERT_TRUE(MakePicture(m_base, 48, 40, 32, 100));
        ASSERT_TRUE(MakePicture(m_picture, 24, 20, 32, 101));
        ASSERT_TRUE(MakePicture(m_indexed, 24, 20, 8, 102));
    }

    Image m_base, m_picture, m_indexed;
    bool m_exactInside = true;
};

TEST_P(RenderClippedTest, SpritesInEveryStateAndMode) {
    PictureRandom random(7);
    struct State {
        const char* name;
        std::function<void(Sprite&)> shape;
    };
    const State states[] = {
        {"plain", [](Sprite&) {}},
        {"stretched", [](Sprite& s) { ASSERT_TRUE(s.SetStretch(37, 11)); }},
        {"stretched bilinear",
         [](Sprite& s) {
             s.SetFilter(1);
             ASSERT_TRUE(s.SetStretch(30, 29));
         }},
        {"rotated", [](Sprite& s) { ASSERT_EQ(1, s.SetRotationZoom(40, 1.3)); }},
        {"scrolled source", [](Sprite& s) { s.ScrollSource(5, -3); }},
    };
    for (const State& state : states) {
        for (std::uint8_t mode : {0, 2, 3, 5, 10, 17, 31}) {
            for (std::uint8_t alpha : {255, 128}) {
                Sprite s;
                ASSERT_EQ(0, s.SetImage(&m_picture, nullptr, 10, 8));
                state.shape(s);
                s.SetBlendMode(mode);
                s.SetAlpha(alpha);
                CheckClips(s, std::string(state.name) + " mode " + std::to_string(mode) +
                                  " alpha " + std::to_string(alpha),
                           random);
            }
        }
    }
    m_picture.SetColourKeyFromPixel(2, 2);
    for (std::uint8_t mode : {0, 2, 4, 5}) {
        for (std::uint8_t alpha : {255, 100}) {
            Sprite s;
            ASSERT_EQ(0, s.SetImage(&m_picture, nullptr, -6, 25));
            s.SetBlendMode(mode);
            s.SetAlpha(alpha);
            CheckClips(s, "keyed mode " + std::to_string(mode), random);
        }
    }
    Sprite s8;
    ASSERT_EQ(0, s8.SetImage(&m_indexed, nullptr, 30, -4));
    CheckClips(s8, "8-bit", random);
}

TEST_P(RenderClippedTest, ColourRectanglesInEveryMode) {
    PictureRandom random(8);
    for (std::uint8_t mode : {0, 1, 2, 3}) {
        for (std::uint32_t argb : {0xFFC08040u, 0x80C08040u, 0x01FFFFFFu}) {
            FillRectSprite f;
            f.Setup(30, 17, argb, 9, 12);
            f.SetBlendMode(mode);
            CheckClips(f, "mode " + std::to_string(mode) + " colour " + std::to_string(argb),
                       random);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Library, RenderClippedTest,
                         ::testing::Values(testsupport::PixelConfig::LibraryPortable,
                                           testsupport::PixelConfig::LibraryDetected),
                         testsupport::PixelConfigTestName);

}  // namespace
