// BgZoomEffect ("bg_zoom"): moves the part of a canvas's background that the canvas shows, from
// the rectangle it shows now to the one a zoom about a point asks for, over a duration.
//
// Setup words: 0 centre x, 1 centre y, 2 zoom text (null: 1.0), 3 easing exponent text (null:
// linear), 4 duration in ms. Answers 1 (no scheduler or canvas, or a zoom that is not a finite
// number above 0), 2 (no background or target image), 3 (the scheduler refused it), -1 (a
// duration of 0: the end rectangle is shown at once and the effect is not scheduled), else 0.
// The effect counts itself into the busy counter. Control takes four out-words (null skipped):
// the end rectangle's left, top, width and height. Finish shows the end rectangle.
#pragma once

#include <cstdarg>
#include <cstdint>

#include <windows.h>

#include "effects/objects/effect_base.h"

class Canvas;

// A background rectangle as the zoom works with it.
struct ZoomRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t width;
    std::int32_t height;
};

// The rectangle of the canvas's background that a zoom about (cx, cy) shows: the target's size
// divided by the zoom, centred on the point and moved inside the background (a background
// smaller than the rectangle is shown whole along that side). Worked out in 64 bits with the
// size held to [1, 2^31 - 1], so any zoom gives a defined rectangle. 0; 1 a zoom that is not a
// finite number above 0 (out unchanged); 2 no canvas, background or target.
std::int32_t ComputeZoomRect(Canvas* canvas, std::int32_t cx, std::int32_t cy, double zoom,
                             ZoomRect* out);

// Words: 0 screen, 1 x, 2 y, 3 zoom text, 4-7 out-words for left, top, width and height. Shows
// the zoom's rectangle at once. 0; -1 the screen has no buffer; 1 a zoom that is not a finite
// number above 0, or no canvas; 2 no background or target. Nothing changes on failure.
std::int32_t XM_CDECL BgZoomAssist(const std::int32_t* words);

class BgZoomEffect : public WithDeletingDestructor<BgZoomEffect, EffectBase> {
public:
    static constexpr const char* kName = "bg_zoom";

    std::int32_t XM_METHOD Kind() override { return 14000; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override;
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 0; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    std::int32_t XM_METHOD Control(const std::int32_t* arguments) override;
    std::int32_t XM_CDECL ControlV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = Control(WordsFrom(rest));
        va_end(rest);
        return result;
    }

    const ZoomRect& StartRect() const { return m_start; }
    const ZoomRect& EndRect() const { return m_end; }

private:
    void Show(const RECT& rect);

    Canvas* m_canvas = nullptr;
    std::int32_t m_targetWidth = 0;
    std::int32_t m_targetHeight = 0;
    ZoomRect m_start = {};
    ZoomRect m_end = {};
    std::uint32_t m_duration = 0;
    std::uint32_t m_startTime = 0;
    bool m_started = false;
    double m_exponent = 0.0;
};
