// BgRotEffect ("bg_rot"): turns and zooms a canvas's background about its pivot, from the turn
// it shows now (or none) to an end turn, over a duration.
//
// Setup words: 0 end x, 1 end y (the view's offset), 2 end angle (512ths of a turn), 3 end zoom
// text (null: 1.0), 4 easing exponent text (null: linear), 5 duration in ms. Answers 1 (no
// scheduler or canvas, or an end zoom that is 0 or not finite), 2 (no background image), 3 (the
// scheduler refused it), -1 (a duration of 0: the end turn is shown at once and the effect is
// not scheduled), else 0. The effect counts itself into the busy counter; Finish shows the end.
#pragma once

#include <cstdint>

#include "effects/objects/effect_base.h"

class Canvas;

// A turn of the background as Canvas::SetZoom takes it.
struct LayerTurn {
    std::int32_t x;
    std::int32_t y;
    std::int32_t angle;
    double zoom;
};

class BgRotEffect : public WithDeletingDestructor<BgRotEffect, EffectBase> {
public:
    static constexpr const char* kName = "bg_rot";

    std::int32_t XM_METHOD Kind() override { return 14000; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { Show(m_end); }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 0; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;

    const LayerTurn& StartTurn() const { return m_start; }
    const LayerTurn& EndTurn() const { return m_end; }

private:
    void Show(const LayerTurn& turn);

    Canvas* m_canvas = nullptr;
    LayerTurn m_start = {0, 0, 0, 1.0};
    LayerTurn m_end = {0, 0, 0, 1.0};
    std::uint32_t m_duration = 0;
    std::uint32_t m_startTime = 0;
    bool m_started = false;
    double m_exponent = 0.0;
};
