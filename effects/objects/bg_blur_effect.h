// BgBlurEffect ("bg_blur"): draws a picture again and again over itself while its zoom and
// turn grow about a point (centre form) or while it follows a path of points (path form),
// each drawing blended over the last at the effect's opacity: a zoom or motion blur. It draws
// into the canvas's cache (the canvas's scaled copy, which it takes only when no one else
// holds it) or, in direct mode, into the canvas's background picture itself.
//
// Setup words, centre form (word 0 null): 1 x, 2 y, 3 start zoom text (1.0), 4 start angle text
// in turns (0), 5 end zoom text (1.0), 6 end angle text (0); path form: 0 the path text (see
// BlurPrepare), 1 spline. Then from k = 7 (centre) or 2 (path): k duration, k+1 opacity (low
// byte), k+2 easing exponent text, k+3 picture file (null: the canvas's background), k+4 flip
// left-right, k+5 flip top-bottom, k+6 direct, k+7 the blend byte, k+8 start delay in ms, k+9
// keep the end geometry. Answers 0 or: 1 no MathTables or no memory for its float cosine table;
// 2 no scheduler or canvas; 3 a path of fewer than two points, or a zoom or angle that is not
// finite; 4 the picture file cannot be loaded; 5 no picture (no file and no background); 6 the
// copy for flipping or direct drawing cannot be made; 7 direct mode without a 32-bit background
// image; 8 the cache is in use or cannot be made, or the scheduler refused the effect; 9 the
// pixel-operation library is not loaded. A refused Setup leaves the canvas as it was. The
// effect counts itself into the busy counter.
//
// Each drawing goes through the library (the graphics core's wrappers): a stretch blend for a
// zoom or path position, an affine matrix blend for a turn, with blend mode 2 for a picture
// with alpha (else 0), the opacity, and the blend byte in the filter argument. A drawing whose
// geometry equals the last is skipped; one that finds the library, the cache or its background
// gone draws nothing. At the end the cache is dropped, so the canvas shows its background again,
// or, with keep-geometry, shows the end geometry through BlurCompute; in direct mode the
// drawing stays in the background picture.
#pragma once

#include <cstdint>
#include <vector>

#include "effects/objects/bg_layer_cache.h"
#include "effects/objects/blur_path.h"
#include "effects/objects/effect_base.h"
#include "graphics/image/image.h"

class Canvas;

// The geometry that shows a zoom and turn about (x, y) through the canvas's own view. angle 0
// (turns): a source rectangle a, b, c (width), d (height) for Canvas::SetSourceRect; otherwise
// the offset a, b and angle c (512ths of a turn, d 0) for Canvas::SetZoom. Results are held
// to the int32 range. 0; 1 a zoom of 0, or a zoom or angle that is not finite; 2 no canvas,
// background or target; 3 no MathTables; 4 its float cosine table cannot be built.
std::int32_t BlurCompute(Canvas* canvas, std::int32_t x, std::int32_t y, double zoom,
                         double turns, std::int32_t* a, std::int32_t* b, std::int32_t* c,
                         std::int32_t* d);

// Words: 0 screen, 1 x, 2 y, 3-4 zoom (a 64-bit real), 5-6 angle in turns (a 64-bit real), 7-10
// out-words for a, b, c, d. Shows BlurCompute's geometry at once. 0; -1 the screen has no
// buffer; BlurCompute's code; 4 also for an empty rectangle. Nothing changes on failure.
std::int32_t XM_CDECL BlurAssist(const std::int32_t* words);

class BgBlurEffect : public WithDeletingDestructor<BgBlurEffect, EffectBase> {
public:
    static constexpr const char* kName = "bg_blur";

    ~BgBlurEffect();

    std::int32_t XM_METHOD Kind() override { return 14000; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { EndGeometry(); }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 0; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;

private:
    enum class Form { Rotation, ZoomOnly, PathLinear, PathSpline };

    std::int32_t SetupCentre(const std::int32_t* params);
    std::int32_t SetupPath(const std::int32_t* params);
    std::int32_t SetupPicture(const std::int32_t* params, std::int32_t k);
    void Draw(double f, std::uint8_t opacity);
    void DrawPoint(Image* into, double x, double y, double z, std::uint8_t opacity);
    void DrawTurn(Image* into, double f, std::uint8_t opacity);
    // The picture to draw, null once the canvas's background it was has gone.
    Surface* Picture() const;
    Image* Destination();
    bool SameAsLast(double a, double b, double c, double d);
    void EndGeometry();

    Canvas* m_canvas = nullptr;
    Image m_own;
    Surface* m_picture = nullptr;
    bool m_pictureAlpha = false;
    Image* m_directTarget = nullptr;
    BgLayerCache m_cache;
    Form m_form = Form::ZoomOnly;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    double m_startZoom = 1.0;
    double m_endZoom = 1.0;
    std::int32_t m_startAngle = 0;
    std::int32_t m_endAngle = 0;
    double m_endTurns = 0.0;
    std::vector<BlurPoint> m_points;
    std::vector<double> m_xs;
    std::vector<double> m_ys;
    std::vector<double> m_secondX;
    std::vector<double> m_secondY;
    bool m_notIdentity = true;
    std::uint32_t m_duration = 0;
    std::uint8_t m_alpha = 255;
    double m_exponent = 0.0;
    bool m_direct = false;
    std::uint8_t m_blend = 0;
    bool m_keepGeometry = false;
    std::uint32_t m_startTime = 0;
    bool m_started = false;
    bool m_drawn = false;
    double m_last[4] = {};
    bool m_ended = false;
};
