#include "effects/objects/noise_effect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/effects/screen_effect_fixture.h"

namespace effecttest {
namespace {

// The grain: 5 x 3 numbered pixels, a ring of 15, smaller than the 32 x 24 screens.
constexpr std::uint16_t kNoiseWidth = 5;
constexpr std::uint16_t kNoiseHeight = 3;

std::uint32_t GrainPixel(std::uint32_t i) { return 0xFF000000u | (0x0A0B00u + i); }

class NoiseTest : public ScreenEffectTest {
protected:
    void SetUp() override {
        ScreenEffectTest::SetUp();
        std::vector<std::uint32_t> grain;
        for (std::uint32_t i = 0; i < kNoiseWidth * kNoiseHeight; ++i) grain.push_back(GrainPixel(i));
        WritePicture("SYS\\NOISE.ELG", kNoiseWidth, kNoiseHeight, grain);
    }

    NoiseEffect* Start(std::int32_t opacity, std::int32_t priority, bool show0, bool show1) {
        auto* noise = new NoiseEffect;
        const std::int32_t code =
            noise->SetupV(&m_scheduler, &m_screen[0], opacity, priority, show0 ? 1 : 0, show1 ? 1 : 0);
        EXPECT_EQ(0, code);
        if (code != 0) {
            ReleaseObject(noise);
            return nullptr;
        }
        m_handle = noise;
        noise->SetOwner(&m_handle);
        return noise;
    }
    // The working image the ring gives from the twin generator's next start.
    std::vector<std::uint32_t> NextExpected() {
        const std::uint32_t ring = kNoiseWidth * kNoiseHeight;
        const std::uint32_t start = m_twin.Next() % ring;
        std::vector<std::uint32_t> pixels;
        for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(kWidth * kHeight); ++i)
            pixels.push_back(GrainPixel((start + i) % ring));
        return pixels;
    }
    static std::vector<std::uint32_t> Pixels(const Image& shown) {
        Image& image = const_cast<Image&>(shown);  // rows are read only
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < image.Height(); ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(image.Row(y));
            pixels.insert(pixels.end(), row, row + image.Width());
        }
        return pixels;
    }
    void RunAt(std::uint32_t now) {
        m_clock.SetMs(now);
        m_scheduler.RunDue(now);
    }

    EffectObject* m_handle = nullptr;
};

TEST_F(NoiseTest, TheRingFromANewStartEvery100Ms) {
    NoiseEffect* noise = Start(255, 7, true, true);
    ASSERT_NE(nullptr, noise);
    EXPECT_EQ(0, m_hooks.started);  // the noise is never counted
    std::vector<std::uint32_t> expected = NextExpected();
    EXPECT_EQ(expected, Pixels(noise->Working()));
    // Opaque sprites over both canvases show the working image.
    EXPECT_EQ(expected, Rendered(0));
    EXPECT_EQ(expected, Rendered(1));
    for (int n = 0; n < 2; ++n) EXPECT_EQ(1, CanvasOf(n)->Sprites().Count());

    RunAt(99);
    EXPECT_EQ(expected, Pixels(noise->Working()));
    for (std::uint32_t t : {100u, 200u, 300u}) {
        RunAt(t);
        expected = NextExpected();
        EXPECT_EQ(expected, Pixels(noise->Working()));
        EXPECT_EQ(expected, Rendered(1));
    }
    EXPECT_EQ(m_random.Index(), m_twin.Index());

    EXPECT_TRUE(m_scheduler.Cancel(noise));
    RunAt(400);
    EXPECT_EQ(nullptr, m_handle);
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(0, CanvasOf(n)->Sprites().Count());
        EXPECT_EQ(Shifted(n, 50, 30), Rendered(n));
    }
}

TEST_F(NoiseTest, OpacityPriorityAndShownCanvases) {
    NoiseEffect* noise = Start(0x180, 42, false, true);  // only the low byte counts
    ASSERT_NE(nullptr, noise);
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(0x80, noise->SpriteOf(n).Alpha());
        const SpriteListNode* node = CanvasOf(n)->Sprites().Find(&noise->SpriteOf(n));
        ASSERT_NE(nullptr, node);
    }
    EXPECT_FALSE(noise->SpriteOf(0).IsVisible());
    EXPECT_TRUE(noise->SpriteOf(1).IsVisible());
    EXPECT_EQ(Shifted(0, 50, 30), Rendered(0));
    EXPECT_NE(Shifted(1, 50, 30), Rendered(1));
    // Finish hides what was shown.
    noise->Finish();
    EXPECT_FALSE(noise->SpriteOf(1).IsVisible());
}

TEST_F(NoiseTest, ChangeParamsFindsTheTargetsCanvasAfterASwap) {
    NoiseEffect* noise = Start(255, 7, true, true);
    ASSERT_NE(nullptr, noise);
    struct Case {
        bool swapped;
        std::int32_t show0;
        std::int32_t show1;
    } cases[] = {{false, 0, 1}, {false, 1, 0}, {true, 0, 1}, {true, 1, 0}, {true, 1, 1}};
    bool swapped = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.swapped ? "swapped" : "as set up") + " " +
                     std::to_string(c.show0) + std::to_string(c.show1));
        if (c.swapped != swapped) {
            m_screen[0].SwapCanvases(&m_screen[1]);
            swapped = c.swapped;
        }
        EXPECT_EQ(0, noise->ChangeParamsV(c.show0, c.show1));
        // Whichever sprite sits in the target's canvas follows word 0.
        const Sprite& onTarget = noise->SpriteOf(swapped ? 1 : 0);
        const Sprite& onLinked = noise->SpriteOf(swapped ? 0 : 1);
        ASSERT_EQ(&m_screen[0].GetCanvas()->Sprites(), onTarget.List());
        EXPECT_EQ(c.show0 != 0, onTarget.IsVisible());
        EXPECT_EQ(c.show1 != 0, onLinked.IsVisible());
    }
    EXPECT_EQ(-2, noise->Control(nullptr));
}

TEST_F(NoiseTest, SetupRefusalsLeaveTheListsEmpty) {
    MemoryScreen bare;
    ASSERT_EQ(0, bare.CreateSimple(kWidth, kHeight, 32, false));
    MemoryScreen withCanvas;
    ASSERT_EQ(0, withCanvas.CreateSimple(kWidth, kHeight, 32, true));
    ASSERT_EQ(0, bare.SetAlternate(&m_screen[1]));
    ASSERT_EQ(0, withCanvas.SetAlternate(&bare));
    const std::int32_t words[4] = {255, 7, 1, 1};
    struct Case {
        const char* what;
        bool random;
        ScreenBuffer* target;
        const std::int32_t* params;
        const char* picture;
        std::int32_t code;
    } cases[] = {
        {"no generator", false, &m_screen[0], words, nullptr, 1},
        {"no parameter block", true, &m_screen[0], nullptr, nullptr, 1},
        {"no target", true, nullptr, words, nullptr, 1},
        {"target without a canvas", true, &bare, words, nullptr, 2},
        {"linked screen without a canvas", true, &withCanvas, words, nullptr, 2},
        {"no grain picture", true, &m_screen[0], words, "SYS\\NOISE.ELG", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetEffectRandom(c.random ? &m_random : nullptr);
        if (c.picture) ASSERT_TRUE(DeleteFileA(Game(c.picture).c_str()));
        auto* noise = new NoiseEffect;
        EXPECT_EQ(c.code, noise->Setup(&m_scheduler, c.target, c.params));
        for (int n = 0; n < 2; ++n) EXPECT_EQ(0, CanvasOf(n)->Sprites().Count());
        EXPECT_EQ(0, withCanvas.GetCanvas()->Sprites().Count());
        ReleaseObject(noise);
        EXPECT_EQ(0, m_scheduler.TaskCount());
    }
}

}  // namespace
}  // namespace effecttest
