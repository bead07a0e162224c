// NoiseEffect ("noise"): lays a flickering grain over the target screen's canvas and its linked
// screen's canvas. The grain picture SYS\NOISE.ELG is read as one ring of pixels; every 100 ms
// a new random start is drawn and a working image the size of the target's picture is filled
// from the ring row after row (wrapping at the ring's end), and two sprites show it, one in each
// canvas's sprite list.
//
// Parameter words: 0 opacity (low byte), 1 priority in the sprite lists, 2 show on canvas 0,
// 3 show on canvas 1. ChangeParams: word 0 shows or hides the sprite on the target's canvas,
// word 1 the one on the linked screen's canvas, wherever the two sprites sit after canvases
// were swapped. The noise runs until it is cancelled; Finish hides its sprites, and deleting
// it takes them out of their lists.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "effects/objects/effect_base.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"

class NoiseEffect final : public WithDeletingDestructor<NoiseEffect, EffectBase> {
public:
    static constexpr const char* kName = "noise";
    static constexpr const char* kPicture = "SYS\\NOISE.ELG";

    std::int32_t XM_METHOD Kind() override { return 14003; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override;
    const char* XM_METHOD Name() override { return kName; }
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

    const Image& Working() const { return m_working; }
    const Sprite& SpriteOf(int n) const { return m_sprite[n]; }

private:
    void Render();

    ScreenBuffer* m_target = nullptr;
    // The images come before the sprites, which must go first.
    Image m_noise;
    Image m_working;
    Sprite m_sprite[2];
    bool m_shown[2] = {false, false};
};
