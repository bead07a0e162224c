#include "game/commands/command_services.h"

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"

namespace {

class CoreSprites final : public SpriteOperations {
public:
    std::int32_t LoadImage(Image& image, const char* fileName) override {
        return image.Load(fileName, nullptr, 0, 0);
    }
    std::int32_t SetSpriteImage(Sprite& sprite, Surface* image, const RECT* source, std::int32_t x,
                                std::int32_t y) override {
        return sprite.SetImage(image, source, x, y);
    }
    std::int32_t AddToList(SpriteList& list, Drawable& drawable, std::uint32_t priority,
                           std::uint32_t tag) override {
        return list.Add(&drawable, priority, tag);
    }
};

}  // namespace

CommandServices& Services() {
    static CommandServices services{nullptr, nullptr, &CoreSpriteOperations(), nullptr, nullptr};
    return services;
}

SpriteOperations& CoreSpriteOperations() {
    static CoreSprites operations;
    return operations;
}
