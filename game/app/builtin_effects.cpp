// The built-in transition and layer-effect table.
#include "game/app/builtin_effects.h"

#include <memory>
#include <new>
#include <utility>

#include "effects/objects/bg_anime_effect.h"
#include "effects/objects/bg_blur_effect.h"
#include "effects/objects/bg_cross_effect.h"
#include "effects/objects/bg_haze_effect.h"
#include "effects/objects/bg_loop_effect.h"
#include "effects/objects/bg_panime_effect.h"
#include "effects/objects/bg_rast_effect.h"
#include "effects/objects/bg_rot_effect.h"
#include "effects/objects/bg_zoom_effect.h"
#include "effects/objects/sprite_panime_effect.h"
#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/screen_filters.h"
#include "framework/files/preload_thread.h"
#include "framework/plugins/effect_registry.h"
#include "framework/plugins/transition_registry.h"

namespace {

EffectObject* XM_CDECL EffectNotBuilt(std::int32_t) { return nullptr; }

EffectObject* XM_CDECL CreateBgZoom(std::int32_t) { return new (std::nothrow) BgZoomEffect; }
EffectObject* XM_CDECL CreateBgRot(std::int32_t) { return new (std::nothrow) BgRotEffect; }
EffectObject* XM_CDECL CreateBgBlur(std::int32_t) { return new (std::nothrow) BgBlurEffect; }
EffectObject* XM_CDECL CreateBgRast(std::int32_t) { return new (std::nothrow) BgRastEffect; }
EffectObject* XM_CDECL CreateBgHaze(std::int32_t) { return new (std::nothrow) BgHazeEffect; }
EffectObject* XM_CDECL CreateBgLoop(std::int32_t) { return new (std::nothrow) BgLoopEffect; }
EffectObject* XM_CDECL CreateBgCross(std::int32_t) { return new (std::nothrow) BgCrossEffect; }

EffectObject* XM_CDECL CreateSpritePanime(std::int32_t) {
    return new (std::nothrow) SpritePanimeEffect;
}

EffectObject* XM_CDECL CreateBgPanime(std::int32_t) { return new (std::nothrow) BgPanimeEffect; }

EffectObject* XM_CDECL CreateBgAnime(std::int32_t) {
    std::unique_ptr<PreloadThread> preload(new (std::nothrow) PreloadThread);
    if (!preload) return nullptr;
    return new (std::nothrow) BgAnimeEffect(std::move(preload));
}

// The adapters: a caller passes its arguments on the stack, cdecl; the first one's address is
// the start of the list.
std::int32_t XM_CDECL ZoomAdapter(std::int32_t first, ...) { return BgZoomAssist(&first); }
std::int32_t XM_CDECL BlurAdapter(std::int32_t first, ...) { return BlurAssist(&first); }
std::int32_t XM_CDECL PanimeAdapter(std::int32_t first, ...) { return PanimeAssist(&first); }
std::int32_t XM_CDECL SpritePanimeAdapter(std::int32_t first, ...) {
    return SpritePanimeAssist(&first);
}
std::int32_t XM_CDECL AnimeAdapter(std::int32_t first, ...) { return SetAnimeCatchUp(&first); }

EffectAssistFunc AsAssist(std::int32_t(XM_CDECL* adapter)(std::int32_t, ...)) {
    return reinterpret_cast<EffectAssistFunc>(adapter);
}

}  // namespace

const BuiltinEffect kBuiltinEffects[kBuiltinEffectCount] = {
    {"bg_zoom", 0, CreateBgZoom, AsAssist(ZoomAdapter), BgZoomAssist},
    {"bg_rot", 0, CreateBgRot, nullptr, nullptr},
    {"bg_blur", 0, CreateBgBlur, AsAssist(BlurAdapter), BlurAssist},
    {"bg_rast", 0, CreateBgRast, nullptr, nullptr},
    {"bg_haze", 0, CreateBgHaze, nullptr, nullptr},
    {"bg_loop", 0, CreateBgLoop, nullptr, nullptr},
    {"bg_cross", 0, CreateBgCross, nullptr, nullptr},
    {"bg_panime", 0, CreateBgPanime, AsAssist(PanimeAdapter), PanimeAssist},
    {"sp_panime", 1, CreateSpritePanime, AsAssist(SpritePanimeAdapter), SpritePanimeAssist},
    {"bg_anime", 0, CreateBgAnime, AsAssist(AnimeAdapter), SetAnimeCatchUp},
};

void RegisterBuiltinEffects(TransitionRegistry& transitions, EffectRegistry& effects) {
    RegisterBuiltinTransitions(transitions);
    RegisterScreenFilters(transitions);
    for (const BuiltinEffect& e : kBuiltinEffects)
        effects.RegisterBuiltin(e.create, e.name, e.category, e.adapter,
                                reinterpret_cast<EffectAssistFunc>(e.listAssist), 0);
}
