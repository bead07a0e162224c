// The weather effects "paper", "light", "snow" and "rain": particles that fall (light: rise)
// across the target screen, each drawn twice, once in the target's canvas and once in the
// linked screen's canvas, shown on either by a flag per canvas. Paper scraps tumble through 24
// frames laid side by side in their picture, lights flicker through 5 frames and a saw-tooth
// opacity, snow flakes drift, rain drops are one-pixel lines. All draw from the shared
// generator.
//
// Parameter words: 0 number of particles (at least 1), 1 base priority, 2 priority spread
// (kind k lies at base + k x spread / (kinds - 1)), 3 random start (particles spread over the
// screen at once; 0: they enter one by one at the edge), 4 the address of the speed factor's
// decimal text (null or 0: 1), 5 show on canvas 0, 6 show on canvas 1. ChangeParams: word 0 = 0
// asks the effect to stop (no particle re-enters, the effect ends by itself once all have
// left); else words 1 and 2 show or hide the particles on the target's canvas and on the linked
// screen's canvas, wherever their sprites sit after canvases were swapped.
//
// Setup: 1 missing generator, scheduler, target or parameters, or fewer than 1 particle; 2 no
// canvas on the target or its linked screen; 3 a picture is missing, or a paper or light
// picture is narrower than its frames (24 or 5, one pixel each at least); 4 a particle count
// that cannot be held, or no memory (the sprite lists are then untouched); 5 the scheduler
// refused the effect.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <vector>

#include "effects/objects/effect_base.h"
#include "graphics/image/image.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"

class Canvas;

enum class WeatherKind : std::uint8_t { Paper, Light, Snow, Rain };

// One particle: its two shapes (canvas 0's and canvas 1's) and its motion.
class WeatherParticleBase {
public:
    virtual ~WeatherParticleBase() = default;
    virtual Drawable& Shape(int n) = 0;

    std::int32_t kind = 0;
    std::int32_t height = 0;  // the picture's height, or the line's length
    std::int32_t frame = 0;
    std::int32_t frameWidth = 0;
    double sideSpeed = 0.0;
    double mainSpeed = 0.0;
    double sideAcceleration = 0.0;
    double x = 0.0;
    double y = 0.0;
    bool active = false;
    std::uint16_t phase = 0;  // light: 0..509
};

// Paper, light and snow: two sprites showing the same picture.
class WeatherParticle final : public WeatherParticleBase {
public:
    Drawable& Shape(int n) override { return sprite[n]; }
    Sprite sprite[2];
};

// Rain: two one-pixel-wide lines.
class RainDrop final : public WeatherParticleBase {
public:
    Drawable& Shape(int n) override { return line[n]; }
    FillRectSprite line[2];
};

class WeatherEffect : public EffectBase {
public:
    explicit WeatherEffect(WeatherKind kind) : m_kind(kind) {}

    std::int32_t XM_METHOD Kind() override { return 14003; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { m_particles.clear(); }
    const char* XM_METHOD Name() override;
    std::uint8_t XM_METHOD Category() override { return 3; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    std::int32_t XM_METHOD ChangeParams(const std::int32_t* params) override;
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = ChangeParams(WordsFrom(rest));
        va_end(rest);
        return result;
    }

    std::int32_t ParticleCount() const { return static_cast<std::int32_t>(m_particles.size()); }
    // For inspection.
    WeatherParticleBase& Particle(std::int32_t i) { return *m_particles[i]; }

protected:
    ~WeatherEffect() = default;

private:
    struct Traits;
    const Traits& Own() const;
    double U();
    std::int32_t Build(std::int32_t count, std::uint32_t base, std::uint32_t spread,
                       bool randomStart, Canvas* canvas0, Canvas* canvas1);
    void Spawn(WeatherParticleBase& p, bool randomHeight);
    // 1 when the particle is (now) inactive while stopping.
    int StepParticle(WeatherParticleBase& p, bool stopping);
    void PlaceShapes(WeatherParticleBase& p);
    void ShowFrame(WeatherParticleBase& p);
    void ApplyShown(WeatherParticleBase& p);

    WeatherKind m_kind;
    ScreenBuffer* m_target = nullptr;
    std::vector<std::unique_ptr<Image>> m_images;
    // After the images: the particles' sprites go first.
    std::vector<std::unique_ptr<WeatherParticleBase>> m_particles;
    double m_speed = 1.0;
    bool m_shown[2] = {false, false};
    bool m_stop = false;
};

template <WeatherKind K>
class WeatherEffectOf final : public WithDeletingDestructor<WeatherEffectOf<K>, WeatherEffect> {
public:
    WeatherEffectOf() : WithDeletingDestructor<WeatherEffectOf<K>, WeatherEffect>(K) {}
};

using PaperEffect = WeatherEffectOf<WeatherKind::Paper>;
using LightEffect = WeatherEffectOf<WeatherKind::Light>;
using SnowEffect = WeatherEffectOf<WeatherKind::Snow>;
using RainEffect = WeatherEffectOf<WeatherKind::Rain>;
