#include "effects/register_effects.h"

#include <new>

#include "effects/objects/noise_effect.h"
#include "effects/objects/quake_effect.h"
#include "effects/objects/sprite_change_effect.h"
#include "effects/objects/sprite_fade_effect.h"
#include "effects/objects/sprite_gradient_fade_effect.h"
#include "effects/objects/sprite_loop_effect.h"
#include "effects/objects/sprite_parts_effect.h"
#include "effects/objects/staff_roll_effect.h"
#include "effects/objects/weather_effect.h"
#include "framework/plugins/effect_registry.h"

namespace {

// Built-in create functions ignore the entry's argument; null when memory runs out.
template <class Effect>
EffectObject* XM_CDECL Create(std::int32_t) {
    return new (std::nothrow) Effect;
}

struct Entry {
    const char* name;
    EffectCreateFunc create;
    std::uint8_t category;
};

const Entry kEntries[] = {
    {QuakeEffect::kName, &Create<QuakeEffect>, 3},
    {NoiseEffect::kName, &Create<NoiseEffect>, 3},
    {SpriteCrossFadeEffect::kName, &Create<SpriteCrossFadeEffect>, 1},
    {SpriteChangeEffect::kName, &Create<SpriteChangeEffect>, 1},
    {SpritePartsEffect::kName, &Create<SpritePartsEffect>, 1},
    {SpriteFadeEffect::kName, &Create<SpriteFadeEffect>, 1},
    {SpriteGradientFadeEffect::kName, &Create<SpriteGradientFadeEffect>, 1},
    {SpriteLoopEffect::kName, &Create<SpriteLoopEffect>, 1},
    {StaffRollEffect::kName, &Create<StaffRollEffect>, 2},
    {"paper", &Create<PaperEffect>, 3},
    {"light", &Create<LightEffect>, 3},
    {"snow", &Create<SnowEffect>, 3},
    {"rain", &Create<RainEffect>, 3},
};

}  // namespace

std::int32_t RegisterNamedEffects(EffectRegistry& registry) {
    for (const Entry& entry : kEntries) {
        const std::int32_t code =
            registry.RegisterBuiltin(entry.create, entry.name, entry.category, nullptr, nullptr, 0);
        if (code != 0) return code;
    }
    return 0;
}
