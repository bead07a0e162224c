#include "effects/interfaces/effect_word_resolver.h"

#include "effects/objects/bg_layer_screens.h"
#include "framework/interfaces/deleting_destructor.h"
#include "graphics/interfaces/surface.h"
#include "graphics/sprites/sprite.h"

namespace {

class TrustingWordResolver final
    : public WithDeletingDestructor<TrustingWordResolver, EffectWordResolver> {
public:
    Sprite* XM_METHOD ImageSprite(std::uint32_t word) override {
        auto* drawable = reinterpret_cast<Drawable*>(static_cast<std::uintptr_t>(word));
        return drawable && drawable->Kind() == 0 ? static_cast<Sprite*>(drawable) : nullptr;
    }
    ScreenBuffer* XM_METHOD ScreenBufferOf(std::uint32_t word) override {
        return ScreenToScreenBuffer(reinterpret_cast<Surface*>(static_cast<std::uintptr_t>(word)));
    }
    QadAnimation* XM_METHOD Animation(std::uint32_t word) override {
        return reinterpret_cast<QadAnimation*>(static_cast<std::uintptr_t>(word));
    }
    const char* XM_METHOD Text(std::uint32_t word) override {
        return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(word));
    }
    void* XM_METHOD OutWord(std::uint32_t word, std::uint32_t) override {
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(word));
    }
};

TrustingWordResolver g_trusting;
EffectWordResolver* g_installed = &g_trusting;

}  // namespace

EffectWordResolver* EffectWords() { return g_installed; }

EffectWordResolver* InstallEffectWordResolver(EffectWordResolver* resolver) {
    EffectWordResolver* previous = g_installed;
    g_installed = resolver ? resolver : &g_trusting;
    return previous;
}
