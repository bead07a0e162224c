// BgPanimeEffect ("bg_panime"): moves the view of a canvas's background along a motion script.
// The script's key positions are source offsets, reached one after another in moves of the
// current duration, straight or along the script's spline, eased, with hops. The view is either
// the canvas's source offset, or, in cache mode, a copy of the picture into the canvas cache
// with the uncovered part in the canvas's fill colour. A snapshot mode first renders the canvas
// (sprites included) into a picture of its own and moves that, with the sprite lists hidden.
//
// Setup words: 0 the script, 1 the move duration (0: the end position at once, answering -1),
// 2 the cache flag (0xFFFF: source offset only, whatever words 3-5 say), 3 the snapshot flag,
// 4 hide the canvas's overlay list too, 5 loop, 6 count the effect in the busy counter.
// Answers 0; 1 no scheduler or canvas; 2 the script does not parse for the canvas, or the
// scheduler refused it; 4 the snapshot could not be made; 5 the cache could not be made (also
// when another effect uses it). A refused Setup leaves the canvas as it was.
// Control (out x, out y): the script's end position; 1 without a script, 2 without an end key.
// The end (the end of the script without loop, Finish, a duration of 0) gives the canvas back
// its lists, source and cache and puts the source at the end position.
//
// PanimeAssist (screen, script, out x, out y): puts the script's end position on the screen's
// canvas at once and writes it to the outs that are not null; -1 for a word that names no screen
// with a canvas, else the script's code.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>

#include "effects/motion/motion_path.h"
#include "effects/objects/bg_layer_cache.h"
#include "effects/objects/effect_base.h"
#include "graphics/image/image.h"

class Canvas;
class Surface;

class BgPanimeEffect : public WithDeletingDestructor<BgPanimeEffect, EffectBase> {
public:
    static constexpr const char* kName = "bg_panime";
    static constexpr std::int32_t kOffsetOnly = 0xFFFF;

    BgPanimeEffect() = default;
    ~BgPanimeEffect();

    std::int32_t XM_METHOD Kind() override { return 14000; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { ApplyEnd(); }
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

    std::uint8_t Mode() const { return m_mode; }
    const MotionPath& Path() const { return m_path; }

private:
    // Reads commands from the current one up to the next move. False when the script ended.
    bool FindMove(std::uint32_t now);
    // Past the last command: back to command 1 when looping; false when the script ended.
    bool Advance();
    void Show(std::int32_t x, std::int32_t y);
    void DrawCache(Surface* picture, std::int32_t x, std::int32_t y);
    // Gives the canvas back what the modes took (lists, source, cache).
    void RestoreCanvas();
    void ApplyEnd();

    MotionPath m_path;
    Canvas* m_canvas = nullptr;
    std::int32_t m_index = 1;
    std::int32_t m_startRecord = 0;
    bool m_moveRunning = false;
    std::uint32_t m_moveStart = 0;
    std::uint32_t m_carried = 0;
    std::uint32_t m_duration = 1;
    std::uint8_t m_mode = 0;
    std::unique_ptr<Image> m_snapshot;
    Surface* m_savedSource = nullptr;
    BgLayerCache m_cache;
    std::uint8_t m_hideOverlay = 0;
    std::uint8_t m_loop = 0;
    std::uint8_t m_powerEasing = 1;
    double m_exponent = 0.0;
    std::uint8_t m_spline = 0;
    std::int32_t m_stepValue[2] = {25, 50};
};

std::int32_t XM_CDECL PanimeAssist(const std::int32_t* words);
