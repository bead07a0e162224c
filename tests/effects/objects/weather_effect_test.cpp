#include "effects/objects/weather_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/effects/screen_effect_fixture.h"

namespace effecttest {
namespace {

struct Pictures {
    const char* form;
    int count;
    std::uint16_t width;
    std::uint16_t height;
};

class WeatherTest : public ScreenEffectTest {
protected:
    void SetUp() override {
        ScreenEffectTest::SetUp();
        // Paper: 24 frames of 2 pixels; light: 5 frames of 2; snow: whole 3 x 3 pictures.
        WritePictures({"SYS\\PAPER_%d.ELG", 8, 48, 4});
        WritePictures({"SYS\\GR_LT%d.ELG", 3, 10, 3});
        WritePictures({"SYS\\SNOW_%d.ELG", 5, 3, 3});
    }
    void WritePictures(const Pictures& p) {
        for (int i = 0; i < p.count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, p.form, i);
            WritePicture(name, p.width, p.height,
                         std::vector<std::uint32_t>(p.width * p.height, 0xFF808080u + i));
        }
    }
    // A new effect, released with ReleaseObject unless a scheduler took it.
    static WeatherEffect* Make(WeatherKind kind) {
        switch (kind) {
            case WeatherKind::Paper: return new PaperEffect;
            case WeatherKind::Light: return new LightEffect;
            case WeatherKind::Snow: return new SnowEffect;
            default: return new RainEffect;
        }
    }
    // Sets an effect up on screen 0; on success the scheduler owns it and m_handle names it.
    WeatherEffect* Start(WeatherKind kind, std::int32_t count, bool randomStart,
                         const char* speed = nullptr, bool show0 = true, bool show1 = true) {
        WeatherEffect* effect = Make(kind);
        const std::int32_t code = effect->SetupV(&m_scheduler, &m_screen[0], count, 100, 50,
                                                 randomStart ? 1 : 0, TextWord(speed),
                                                 show0 ? 1 : 0, show1 ? 1 : 0);
        EXPECT_EQ(0, code);
        if (code != 0) {
            ReleaseObject(effect);
            return nullptr;
        }
        m_handle = effect;
        effect->SetOwner(&m_handle);
        return effect;
    }
    void NextStep() {
        m_now += 80;
        m_clock.SetMs(m_now);
        m_scheduler.RunDue(m_now);
    }
    static int VisibleIn(WeatherEffect& effect, int n) {
        int visible = 0;
        for (std::int32_t i = 0; i < effect.ParticleCount(); ++i)
            visible += effect.Particle(i).Shape(n).IsVisible() ? 1 : 0;
        return visible;
    }
    void ExpectListsEmpty() {
        for (int n = 0; n < 2; ++n) EXPECT_EQ(0, CanvasOf(n)->Sprites().Count());
    }

    EffectObject* m_handle = nullptr;
    std::uint32_t m_now = 0;
};

const char* KindName(WeatherKind kind) {
    switch (kind) {
        case WeatherKind::Paper: return "paper";
        case WeatherKind::Light: return "light";
        case WeatherKind::Snow: return "snow";
        default: return "rain";
    }
}

constexpr WeatherKind kKinds[] = {WeatherKind::Paper, WeatherKind::Light, WeatherKind::Snow,
                                  WeatherKind::Rain};

TEST_F(WeatherTest, WithoutRandomStartOneParticleEntersAtOnce) {
    for (WeatherKind kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        WeatherEffect* effect = Start(kind, 12, false);
        ASSERT_NE(nullptr, effect);
        for (int n = 0; n < 2; ++n) {
            EXPECT_EQ(12, CanvasOf(n)->Sprites().Count());
            EXPECT_EQ(1, VisibleIn(*effect, n));
        }
        EXPECT_EQ(0, m_hooks.started);  // weather is never counted
        m_scheduler.Cancel(effect);
        NextStep();
        EXPECT_EQ(nullptr, m_handle);
        ExpectListsEmpty();
    }
}

TEST_F(WeatherTest, SpawnRates) {
    struct Case {
        WeatherKind kind;
        std::int32_t count;
        double rate;
    } cases[] = {{WeatherKind::Paper, 200, 0.1},
                 {WeatherKind::Light, 200, 0.1},
                 {WeatherKind::Snow, 200, 0.002},
                 {WeatherKind::Rain, 200, 0.002}};
    for (const Case& c : cases) {
        SCOPED_TRACE(KindName(c.kind));
        WeatherEffect* effect = Start(c.kind, c.count, false);
        ASSERT_NE(nullptr, effect);
        std::int64_t waiting = 0;
        std::int64_t entered = 0;
        for (int step = 0; step < 2000; ++step) {
            std::vector<bool> before;
            for (std::int32_t i = 0; i < effect->ParticleCount(); ++i)
                before.push_back(effect->Particle(i).active);
            NextStep();
            for (std::int32_t i = 0; i < effect->ParticleCount(); ++i) {
                if (before[i]) continue;
                ++waiting;
                entered += effect->Particle(i).active ? 1 : 0;
            }
        }
        ASSERT_GT(waiting, 0);
        EXPECT_NEAR(c.rate, static_cast<double>(entered) / waiting, c.rate * 0.3)
            << entered << " of " << waiting;
        m_scheduler.Cancel(effect);
        NextStep();
    }
}

TEST_F(WeatherTest, SpeedFactor) {
    // One step of lights from the same seed: the first step's drift is the starting side
    // speed and the rise the main speed, both drawn before any step, so runs compare particle
    // by particle while neither left the screen.
    auto run = [this](const char* speed) {
        m_random.Seed(kSeed);
        WeatherEffect* effect = Start(WeatherKind::Light, 30, true, speed);
        std::vector<std::pair<double, double>> moves;
        std::vector<std::pair<double, double>> from;
        for (std::int32_t i = 0; i < effect->ParticleCount(); ++i)
            from.push_back({effect->Particle(i).x, effect->Particle(i).y});
        NextStep();
        for (std::int32_t i = 0; i < effect->ParticleCount(); ++i) {
            const WeatherParticleBase& p = effect->Particle(i);
            // A light that left came back at the bottom: no move to compare.
            const bool stayed = p.y < from[i].second;
            moves.push_back(stayed ? std::make_pair(p.x - from[i].first, p.y - from[i].second)
                                   : std::make_pair(double{NAN}, double{NAN}));
        }
        m_scheduler.Cancel(effect);
        NextStep();
        return moves;
    };
    const auto plain = run(nullptr);
    const auto zero = run("0");
    const auto one = run("1");
    const auto twice = run("2");
    const auto slow = run("0.01");
    int compared = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        SCOPED_TRACE(i);
        if (std::isnan(plain[i].first)) continue;
        EXPECT_DOUBLE_EQ(plain[i].first, zero[i].first);
        EXPECT_DOUBLE_EQ(plain[i].second, one[i].second);
        EXPECT_LE(plain[i].second, -1.0);
        // The slowest factor still moves a whole pixel.
        EXPECT_DOUBLE_EQ(-1.0, slow[i].second);
        EXPECT_NE(0.0, plain[i].first);
        if (std::isnan(twice[i].first)) continue;
        EXPECT_NEAR(2 * plain[i].first, twice[i].first, 1e-9);
        EXPECT_NEAR(2 * plain[i].second, twice[i].second, 1e-9);
        ++compared;
    }
    EXPECT_GT(compared, 5);
}

TEST_F(WeatherTest, RainLinesByKind) {
    WeatherEffect* effect = Start(WeatherKind::Rain, 60, true);
    ASSERT_NE(nullptr, effect);
    const std::int32_t lengths[6] = {200, 180, 160, 140, 120, 100};
    const std::uint8_t alphas[6] = {130, 110, 90, 70, 50, 30};
    bool seen[6] = {};
    std::vector<double> xs;
    for (std::int32_t i = 0; i < effect->ParticleCount(); ++i) {
        auto& drop = static_cast<RainDrop&>(effect->Particle(i));
        ASSERT_GE(drop.kind, 0);
        ASSERT_LT(drop.kind, 6);
        seen[drop.kind] = true;
        for (int n = 0; n < 2; ++n) {
            EXPECT_EQ(1, drop.line[n].Width());
            EXPECT_EQ(lengths[drop.kind], drop.line[n].Height());
            EXPECT_EQ(0xA0AAEBu, drop.line[n].Colour());
            EXPECT_EQ(alphas[drop.kind], drop.line[n].Alpha());
        }
        xs.push_back(drop.x);
    }
    for (bool s : seen) EXPECT_TRUE(s);
    // Drops fall straight down (re-entering ones start anywhere again).
    NextStep();
    for (std::int32_t i = 0; i < effect->ParticleCount(); ++i) {
        const WeatherParticleBase& drop = effect->Particle(i);
        // A drop that re-entered starts above the top edge at a new place.
        if (drop.y >= 0) {
            EXPECT_EQ(xs[i], drop.x);
        }
    }
}

TEST_F(WeatherTest, AfterAStopRequestTheParticlesLeaveAndTheEffectEnds) {
    for (WeatherKind kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        WeatherEffect* effect = Start(kind, 10, true);
        ASSERT_NE(nullptr, effect);
        NextStep();
        EXPECT_EQ(0, effect->ChangeParamsV(0));
        int steps = 0;
        std::vector<double> last;
        for (std::int32_t i = 0; i < effect->ParticleCount(); ++i) last.push_back(effect->Particle(i).y);
        while (m_handle && steps < 200) {
            NextStep();
            ++steps;
            if (!m_handle) break;
            for (std::int32_t i = 0; i < effect->ParticleCount(); ++i) {
                const WeatherParticleBase& p = effect->Particle(i);
                if (!p.active) continue;
                // Nobody re-enters: every active particle keeps going its way.
                if (kind == WeatherKind::Light) {
                    EXPECT_LT(p.y, last[i]);
                } else {
                    EXPECT_GT(p.y, last[i]);
                }
                last[i] = p.y;
            }
        }
        EXPECT_EQ(nullptr, m_handle) << "still running after " << steps << " steps";
        ExpectListsEmpty();
    }
}

TEST_F(WeatherTest, CanvasOneHidesAloneAlsoAfterASwap) {
    WeatherEffect* effect = Start(WeatherKind::Paper, 10, true);
    ASSERT_NE(nullptr, effect);
    EXPECT_EQ(0, effect->ChangeParamsV(1, 1, 0));
    for (int step = 0; step < 3; ++step) {
        NextStep();
        int active = 0;
        for (std::int32_t i = 0; i < effect->ParticleCount(); ++i) active += effect->Particle(i).active;
        EXPECT_EQ(active, VisibleIn(*effect, 0));
        EXPECT_EQ(0, VisibleIn(*effect, 1));
    }
    m_screen[0].SwapCanvases(&m_screen[1]);
    EXPECT_EQ(0, effect->ChangeParamsV(1, 1, 0));
    NextStep();
    int active = 0;
    for (std::int32_t i = 0; i < effect->ParticleCount(); ++i) active += effect->Particle(i).active;
    // The second sprites now sit in the target's canvas.
    EXPECT_EQ(&m_screen[0].GetCanvas()->Sprites(), effect->Particle(0).Shape(1).List());
    EXPECT_EQ(active, VisibleIn(*effect, 1));
    EXPECT_EQ(0, VisibleIn(*effect, 0));
}

TEST_F(WeatherTest, LightRisesAndFlickers) {
    WeatherEffect* effect = Start(WeatherKind::Light, 1, true);
    ASSERT_NE(nullptr, effect);
    WeatherParticleBase& light = effect->Particle(0);
    ASSERT_TRUE(light.active);
    light.y = kHeight - 1;
    light.phase = 500;
    double y = light.y;
    for (std::uint8_t alpha : {254, 222, 190}) {
        NextStep();
        EXPECT_LT(light.y, y);
        y = light.y;
        EXPECT_EQ(alpha, light.Shape(0).Alpha());
        EXPECT_EQ(alpha, light.Shape(1).Alpha());
    }
}

TEST_F(WeatherTest, SetupRefusalsLeaveTheListsUntouched) {
    MemoryScreen bare;
    ASSERT_EQ(0, bare.CreateSimple(kWidth, kHeight, 32, false));
    MemoryScreen withCanvas;
    ASSERT_EQ(0, withCanvas.CreateSimple(kWidth, kHeight, 32, true));
    ASSERT_EQ(0, bare.SetAlternate(&m_screen[1]));
    ASSERT_EQ(0, withCanvas.SetAlternate(&bare));
    struct Case {
        const char* what;
        WeatherKind kind;
        ScreenBuffer* target;
        bool params;
        std::int32_t count;
        std::int32_t code;
    } cases[] = {
        {"no parameter block", WeatherKind::Paper, &m_screen[0], false, 5, 1},
        {"no particles", WeatherKind::Snow, &m_screen[0], true, 0, 1},
        {"target without a canvas", WeatherKind::Rain, &bare, true, 5, 2},
        {"linked screen without a canvas", WeatherKind::Paper, &withCanvas, true, 5, 2},
        {"a count whose size wraps", WeatherKind::Paper, &m_screen[0], true, 0x7FFFFFFF, 4},
        {"a count whose size wraps (rain)", WeatherKind::Rain, &m_screen[0], true, 0x7FFFFFFF, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WeatherEffect* effect = Make(c.kind);
        const std::int32_t words[7] = {c.count, 100, 50, 1, 0, 1, 1};
        EXPECT_EQ(c.code, effect->Setup(&m_scheduler, c.target, c.params ? words : nullptr));
        ExpectListsEmpty();
        EXPECT_EQ(0, withCanvas.GetCanvas()->Sprites().Count());
        ReleaseObject(effect);
        EXPECT_EQ(0, m_scheduler.TaskCount());
    }

    // Pictures: a missing one, and pictures narrower than their frames.
    struct PictureCase {
        const char* what;
        WeatherKind kind;
        Pictures pictures;
        bool remove;
    } pictureCases[] = {
        {"paper picture missing", WeatherKind::Paper, {"SYS\\PAPER_%d.ELG", 8, 48, 4}, true},
        {"paper narrower than 24", WeatherKind::Paper, {"SYS\\PAPER_%d.ELG", 8, 23, 4}, false},
        {"light narrower than 5", WeatherKind::Light, {"SYS\\GR_LT%d.ELG", 3, 4, 3}, false},
        {"snow picture missing", WeatherKind::Snow, {"SYS\\SNOW_%d.ELG", 5, 3, 3}, true},
    };
    for (const PictureCase& c : pictureCases) {
        SCOPED_TRACE(c.what);
        WritePictures(c.pictures);
        if (c.remove) {
            char name[32];
            std::snprintf(name, sizeof name, c.pictures.form, c.pictures.count - 1);
            ASSERT_TRUE(DeleteFileA(Game(name).c_str()));
        }
        WeatherEffect* effect = Make(c.kind);
        const std::int32_t words[7] = {5, 100, 50, 1, 0, 1, 1};
        EXPECT_EQ(3, effect->Setup(&m_scheduler, &m_screen[0], words));
        ExpectListsEmpty();
        ReleaseObject(effect);
    }
}

}  // namespace
}  // namespace effecttest
