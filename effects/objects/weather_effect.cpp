#include "effects/objects/weather_effect.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "effects/objects/subtractive_random.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

struct WeatherEffect::Traits {
    const char* name;
    const char* picture;  // printf form, or null for lines
    std::int32_t pictures;
    std::uint32_t kinds;
    std::int32_t frames;  // side by side in the picture; 0: the whole picture
    bool rises;
    bool unsignedPriority;
    double walk;
    double sideClamp;
    double accelerationClamp;
    double spawnChance;
};

namespace {


std::int32_t Truncate(double value) { return static_cast<std::int32_t>(value); }

// Rain drops: a line of kind k is (1 - 0.1k) x 200 pixels long (200, 180, ... 100), worked
// out in integers: in reals 0.6 x 200 truncates to 119. Lighter by kind.
std::int32_t RainLength(std::int32_t k) { return 200 - 20 * k; }
std::uint32_t RainColour(std::int32_t k) {
    return (static_cast<std::uint32_t>(130 - 20 * k) << 24) | (160u << 16) | (170u << 8) | 235u;
}

// Each particle takes two sprites per canvas-sized list; a count whose storage leaves the
// address space (count x size wraps in 32 bits) is refused before anything is made.
constexpr std::uint32_t kMaxParticleBytes = 0x40000000u;

}  // namespace

const WeatherEffect::Traits& WeatherEffect::Own() const {
    static const Traits table[] = {
        {"paper", "SYS\\PAPER_%d.ELG", 8, 8, 24, false, true, 0.6, 3.0, 0.5, 0.1},
        {"light", "SYS\\GR_LT%d.ELG", 3, 3, 5, true, false, 0.6, 5.0, 0.5, 0.1},
        {"snow", "SYS\\SNOW_%d.ELG", 5, 5, 0, false, false, 0.3, 1.5, 0.2, 0.002},
        {"rain", nullptr, 0, 6, 0, false, true, 0.0, 0.0, 0.0, 0.002},
    };
    return table[static_cast<int>(m_kind)];
}

const char* XM_METHOD WeatherEffect::Name() { return Own().name; }

double WeatherEffect::U() { return EffectRandom()->Next() * 1e-9; }

std::int32_t XM_METHOD WeatherEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                            const std::int32_t* params) {
    if (!EffectRandom() || !scheduler || !target || !params || params[0] < 1) return 1;
    Canvas* canvas0 = target->GetCanvas();
    ScreenBuffer* linked = target->GetAlternate();
    Canvas* canvas1 = linked ? linked->GetCanvas() : nullptr;
    if (!canvas0 || !canvas1) return 2;
    if (!target->GetImage() || !target->GetImage()->Bits()) return 4;
    const Traits& traits = Own();
    try {
        for (std::int32_t i = 0; i < traits.pictures; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, traits.picture, static_cast<int>(i));
            auto image = std::make_unique<Image>();
            if (image->Load(name, nullptr, 0, 0) != 0 || !image->Bits()) return 3;
            // The frames lie side by side: a picture narrower than their number has none.
            if (traits.frames != 0 && image->Width() < traits.frames) return 3;
            m_images.push_back(std::move(image));
        }
        m_target = target;
        m_speed = ReadEffectReal(params[4], 1.0);
        if (m_speed == 0.0) m_speed = 1.0;
        m_shown[0] = params[5] != 0;
        m_shown[1] = params[6] != 0;
        const std::int32_t code =
            Build(params[0], static_cast<std::uint32_t>(params[1]),
                  static_cast<std::uint32_t>(params[2]), params[3] != 0, canvas0, canvas1);
        if (code != 0) {
            m_particles.clear();
            return code;
        }
    } catch (const std::bad_alloc&) {
        m_particles.clear();
        return 4;
    } catch (const std::length_error&) {
        m_particles.clear();
        return 4;
    }
    m_stop = false;
    if (scheduler->Add(this, 80, 80, 0) != TaskScheduler::kAdded) {
        m_particles.clear();
        return 5;
    }
    if (params[3] == 0) Spawn(*m_particles[0], false);
    return 0;
}

std::int32_t WeatherEffect::Build(std::int32_t count, std::uint32_t base, std::uint32_t spread,
                                  bool randomStart, Canvas* canvas0, Canvas* canvas1) {
    const Traits& traits = Own();
    const std::uint32_t each = m_kind == WeatherKind::Rain ? sizeof(RainDrop) : sizeof(WeatherParticle);
    if (static_cast<std::uint64_t>(count) * each > kMaxParticleBytes) return 4;
    m_particles.reserve(static_cast<std::size_t>(count));
    Canvas* canvases[2] = {canvas0, canvas1};
    SubtractiveRandom& random = *EffectRandom();
    const std::uint32_t divisor = traits.kinds - 1;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t k = static_cast<std::int32_t>(random.Next() % traits.kinds);
        const std::uint32_t priority =
            traits.unsignedPriority
                ? base + (static_cast<std::uint32_t>(k) * spread) / divisor
                : static_cast<std::uint32_t>(static_cast<std::int32_t>(base) +
                                             k * static_cast<std::int32_t>(spread) /
                                                 static_cast<std::int32_t>(divisor));
        std::unique_ptr<WeatherParticleBase> particle;
        if (m_kind == WeatherKind::Rain) {
            auto drop = std::make_unique<RainDrop>();
            drop->height = RainLength(k);
            for (int n = 0; n < 2; ++n) drop->line[n].Setup(1, drop->height, RainColour(k), 0, 0);
            particle = std::move(drop);
        } else {
            auto scrap = std::make_unique<WeatherParticle>();
            Image* image = m_images[static_cast<std::size_t>(k)].get();
            scrap->height = image->Height();
            scrap->frameWidth = traits.frames ? image->Width() / traits.frames : image->Width();
            const RECT source = {0, 0, scrap->frameWidth, image->Height()};
            for (int n = 0; n < 2; ++n)
                if (scrap->sprite[n].SetImage(image, &source, 0, 0) != 0) return 4;
            particle = std::move(scrap);
        }
        particle->kind = k;
        for (int n = 0; n < 2; ++n) {
            if (canvases[n]->Sprites().Add(&particle->Shape(n), priority, 0) != 0) return 4;
            particle->Shape(n).SetVisible(0);
        }
        WeatherParticleBase& p = *particle;
        m_particles.push_back(std::move(particle));
        switch (m_kind) {
            case WeatherKind::Paper:
                p.mainSpeed = random.Next() * 4e-9 + 0.8 * k + 7.9 + (k >= 4 ? 4.3 : 0.0);
                p.sideAcceleration = U();
                p.frame = static_cast<std::int32_t>(random.Next() % 24);
                ShowFrame(p);
                break;
            case WeatherKind::Light: {
                const double magnitude = random.Next() * 2e-10 + 0.8 * k + 1.9;
                p.sideSpeed = (random.Next() & 1) ? -magnitude : magnitude;
                p.mainSpeed = random.Next() * 2e-9 + 0.8 * k + 1.9;
                p.sideAcceleration = U();
                p.frame = static_cast<std::int32_t>(random.Next() % 5);
                ShowFrame(p);
                break;
            }
            case WeatherKind::Snow:
                p.mainSpeed = random.Next() * 6e-10 + 2.4 * k + 5.7;
                p.sideAcceleration = U();
                break;
            case WeatherKind::Rain:
                p.mainSpeed = 225.0 - 30.0 * k + random.Next() * 1.5e-8;
                break;
        }
        if (randomStart) Spawn(p, true);
    }
    return 0;
}

void WeatherEffect::Spawn(WeatherParticleBase& p, bool randomHeight) {
    Image* picture = m_target->GetImage();
    const double width = picture->Width();
    const double height = picture->Height();
    p.x = width * U();
    if (Own().rises) {
        p.y = height;
        if (randomHeight) p.y -= height * U();
    } else {
        p.y = -p.height;
        if (randomHeight) p.y += height * U();
    }
    p.active = true;
    PlaceShapes(p);
    ApplyShown(p);
    if (Own().frames != 0) {
        p.frame = static_cast<std::int32_t>(EffectRandom()->Next() % static_cast<std::uint32_t>(Own().frames));
        ShowFrame(p);
    }
    if (m_kind == WeatherKind::Light) p.phase = static_cast<std::uint16_t>(EffectRandom()->Next() % 510);
}

int WeatherEffect::StepParticle(WeatherParticleBase& p, bool stopping) {
    const Traits& traits = Own();
    if (!p.active) {
        if (stopping) return 1;
        if (U() < traits.spawnChance) Spawn(p, false);
        return 0;
    }
    Image* picture = m_target->GetImage();
    const double width = picture->Width();
    const double height = picture->Height();
    const double fall = std::max(1.0, m_speed * p.mainSpeed);
    if (m_kind == WeatherKind::Rain) {
        p.y += fall;
    } else {
        p.x += m_speed * p.sideSpeed;
        // Lights rise: the same move upwards.
        p.y += traits.rises ? -fall : fall;
        p.sideSpeed += p.sideAcceleration;
        p.sideAcceleration += (U() - 0.5) * traits.walk;
        p.sideSpeed = std::clamp(p.sideSpeed, -traits.sideClamp, traits.sideClamp);
        p.sideAcceleration =
            std::clamp(p.sideAcceleration, -traits.accelerationClamp, traits.accelerationClamp);
    }
    const bool left = traits.rises ? p.y < -p.height : p.y >= height;
    if (left) {
        if (!stopping) {
            p.x = width * U();
            if (m_kind == WeatherKind::Rain)
                p.y = -(p.height * U());
            else
                p.y = traits.rises ? height : -p.height;
        } else {
            p.active = false;
            ApplyShown(p);
        }
    }
    PlaceShapes(p);
    if (stopping) return p.active ? 0 : 1;
    if (traits.frames != 0) {
        p.frame = (p.frame + 1) % traits.frames;
        ShowFrame(p);
    }
    if (m_kind == WeatherKind::Light) {
        p.phase = static_cast<std::uint16_t>(p.phase + 32);
        if (p.phase >= 510) p.phase = 0;
        for (int n = 0; n < 2; ++n) p.Shape(n).SetAlpha(static_cast<std::uint8_t>(510 - p.phase));
    }
    return 0;
}

std::int32_t XM_METHOD WeatherEffect::Step(std::uint32_t) {
    bool allDone = true;
    for (auto& particle : m_particles)
        if (StepParticle(*particle, m_stop) == 0) allDone = false;
    return m_stop && allDone ? 1 : 0;
}

std::int32_t XM_METHOD WeatherEffect::ChangeParams(const std::int32_t* params) {
    if (!params) return -1;
    if (params[0] == 0) {
        m_stop = true;
        return 0;
    }
    // After a swap of the canvases the particles' second sprites sit in the target's canvas.
    Canvas* canvas0 = m_target ? m_target->GetCanvas() : nullptr;
    const bool swapped = canvas0 && !m_particles.empty() &&
                         m_particles.front()->Shape(1).List() == &canvas0->Sprites();
    m_shown[swapped ? 1 : 0] = params[1] != 0;
    m_shown[swapped ? 0 : 1] = params[2] != 0;
    for (auto& particle : m_particles) ApplyShown(*particle);
    return 0;
}

void WeatherEffect::PlaceShapes(WeatherParticleBase& p) {
    for (int n = 0; n < 2; ++n) p.Shape(n).SetPosition(Truncate(p.x), Truncate(p.y));
}

void WeatherEffect::ShowFrame(WeatherParticleBase& p) {
    auto& scrap = static_cast<WeatherParticle&>(p);
    for (int n = 0; n < 2; ++n) scrap.sprite[n].ScrollSource(p.frame * p.frameWidth, 0);
}

void WeatherEffect::ApplyShown(WeatherParticleBase& p) {
    for (int n = 0; n < 2; ++n) p.Shape(n).SetVisible(p.active && m_shown[n] ? 1 : 0);
}
