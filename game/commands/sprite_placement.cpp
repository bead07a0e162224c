#include "game/commands/sprite_placement.h"

#include <functional>

#include "game/commands/command_args.h"
#include "game/commands/command_services.h"
#include "game/commands/surface_resolution.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/graphics_object_lookup.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"

namespace {

enum : std::int32_t { kPlaced = 0, kMissing = 1, kNotLoaded = 2, kRefused = 3 };

// The back buffer to list on; false when a back buffer is given that names no live screen.
bool FindTarget(std::uint32_t backBufferWord, ScreenBuffer** target) {
    if (backBufferWord == 0) {
        *target = Services().graphics->GameScreen();
        return true;
    }
    *target = BackBufferOfScreen(backBufferWord);
    return *target != nullptr;
}

std::int32_t Place(Sprite& sprite, Surface* image, ScreenBuffer* target,
                   const SpritePlacement& placement, const std::function<void()>& keyAndAlpha) {
    SpriteOperations& operations = *Services().sprites;
    RECT source{placement.srcLeft, placement.srcTop, placement.srcRight, placement.srcBottom};
    const RECT* const sourcePtr = placement.srcLeft >= 0 ? &source : nullptr;
    if (operations.SetSpriteImage(sprite, image, sourcePtr, placement.x, placement.y) != 0) {
        return kRefused;
    }
    keyAndAlpha();
    if (placement.priority >= 0 && target) {
        SpriteList* list = nullptr;
        if (placement.useExtraList) {
            list = target->GetOverlayList();
        } else if (Canvas* const canvas = target->GetCanvas()) {
            list = &canvas->Sprites();
        }
        if (list) {
            operations.AddToList(*list, sprite, static_cast<std::uint32_t>(placement.priority),
                                 Services().graphics->SpriteOwnerKey());
        }
    }
    sprite.SetVisible(placement.visible ? 1 : 0);
    return kPlaced;
}

}  // namespace

std::int32_t SetSpriteImageFromFile(std::uint32_t spriteWord, std::uint32_t imageWord,
                                    const char* fileName, std::int32_t keyX, std::int32_t keyY,
                                    const SpritePlacement& placement) {
    GraphicsObjectLookup* const lookup = Services().graphics;
    if (!lookup) return kMissing;
    Sprite* const sprite = lookup->FindSprite(spriteWord);
    Image* const image = lookup->FindImage(imageWord);
    ScreenBuffer* target = nullptr;
    if (!sprite || !image || !FindTarget(placement.backBuffer, &target)) return kMissing;
    if (Services().sprites->LoadImage(*image, fileName) != 0) return kNotLoaded;
    return Place(*sprite, image, target, placement, [&] {
        if (keyX >= 0) {
            image->SetColourKeyFromPixel(keyX, keyY);
        } else if (keyX < -1) {
            sprite->SetBlendMode(2);
            sprite->SetAlpha(static_cast<std::uint8_t>(keyY));
        }
    });
}

std::int32_t SetSpriteImage(std::uint32_t spriteWord, std::uint32_t imageWord,
                            std::uint32_t blendMode, std::uint32_t alpha,
                            const SpritePlacement& placement) {
    GraphicsObjectLookup* const lookup = Services().graphics;
    if (!lookup) return kMissing;
    Sprite* const sprite = lookup->FindSprite(spriteWord);
    Surface* const image = lookup->FindSurface(imageWord);
    ScreenBuffer* target = nullptr;
    if (!sprite || !image || !FindTarget(placement.backBuffer, &target)) return kMissing;
    return Place(*sprite, image, target, placement, [&] {
        const std::uint8_t mode = command_args::Byte(blendMode);
        if (mode != 0) {
            sprite->SetBlendMode(mode);
            sprite->SetAlpha(command_args::Byte(alpha));
        }
    });
}
