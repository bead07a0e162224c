#include "effects/objects/bg_zoom_effect.h"

#include <cmath>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/objects/layer_progress.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

namespace {

constexpr double kLargestSize = 2147483647.0;

// One side of the zoom's rectangle: its size from the target's side and the zoom, its start
// centred on c and moved inside a background side of `source`.
void Side(std::int64_t target, double zoom, std::int64_t c, std::int64_t source,
          std::int32_t* start, std::int32_t* size) {
    double real = static_cast<double>(target) / zoom;
    if (!(real >= 1.0)) real = 1.0;
    if (real > kLargestSize) real = kLargestSize;
    std::int64_t w = static_cast<std::int64_t>(real);
    std::int64_t s = c - w / 2;
    if (s < 0) {
        s = 0;
        if (source < w) w = source;
    } else if (s + w > source) {
        s = source - w;
        if (s < 0) {
            s = 0;
            w = source;
        }
    }
    *start = static_cast<std::int32_t>(s);
    *size = static_cast<std::int32_t>(w);
}

bool ZoomRefused(double zoom) { return !std::isfinite(zoom) || !(zoom > 0.0); }

void Put(std::int32_t word, std::int32_t value) {
    if (void* out = EffectWords()->OutWord(static_cast<std::uint32_t>(word), sizeof value))
        *static_cast<std::int32_t*>(out) = value;
}

// Left, top, right, bottom; the far edges held to the int32 range.
RECT Edges(const ZoomRect& r) {
    return RECT{r.left, r.top, LayerBetween(std::int64_t{r.left} + r.width, 0, 0.0),
                LayerBetween(std::int64_t{r.top} + r.height, 0, 0.0)};
}

void ShowRect(Canvas* canvas, const RECT& rect) {
    Image* target = canvas->Target();
    canvas->SetSourceRect(0, 0, target->Width(), target->Height(), &rect);
}

}  // namespace

std::int32_t ComputeZoomRect(Canvas* canvas, std::int32_t cx, std::int32_t cy, double zoom,
                             ZoomRect* out) {
    if (ZoomRefused(zoom)) return 1;
    if (!canvas || !canvas->Target() || !out) return 2;
    Surface* source = nullptr;
    canvas->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!source) return 2;
    ZoomRect r;
    Side(canvas->Target()->Width(), zoom, cx, source->Width(), &r.left, &r.width);
    Side(canvas->Target()->Height(), zoom, cy, source->Height(), &r.top, &r.height);
    *out = r;
    return 0;
}

std::int32_t XM_CDECL BgZoomAssist(const std::int32_t* words) {
    if (!words) return -1;
    ScreenBuffer* buffer = EffectWords()->ScreenBufferOf(static_cast<std::uint32_t>(words[0]));
    if (!buffer) return -1;
    Canvas* canvas = buffer->GetCanvas();
    const double zoom = ReadEffectReal(words[3], 1.0);
    if (!canvas || ZoomRefused(zoom)) return 1;
    ZoomRect rect;
    if (ComputeZoomRect(canvas, words[1], words[2], zoom, &rect) != 0) return 2;
    ShowRect(canvas, Edges(rect));
    Put(words[4], rect.left);
    Put(words[5], rect.top);
    Put(words[6], rect.width);
    Put(words[7], rect.height);
    return 0;
}

std::int32_t XM_METHOD BgZoomEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                           const std::int32_t* params) {
    if (!scheduler || !target || !params) return 1;
    Canvas* canvas = target->GetCanvas();
    const double zoom = ReadEffectReal(params[2], 1.0);
    if (!canvas || ZoomRefused(zoom)) return 1;
    ZoomRect end;
    if (ComputeZoomRect(canvas, params[0], params[1], zoom, &end) != 0) return 2;
    m_canvas = canvas;
    m_targetWidth = canvas->Target()->Width();
    m_targetHeight = canvas->Target()->Height();
    m_end = end;
    if (canvas->ShowsSourceRect()) {
        const RECT& r = canvas->ShownSourceRect();
        m_start = ZoomRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    } else {
        std::int32_t x = 0;
        std::int32_t y = 0;
        canvas->GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
        m_start = ZoomRect{x, y, m_targetWidth, m_targetHeight};
    }
    m_duration = static_cast<std::uint32_t>(params[4]);
    if (m_duration == 0) {
        Show(Edges(m_end));
        return -1;
    }
    m_exponent = ReadEffectReal(params[3], 0.0);
    m_started = false;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) return 3;
    OnCreated();
    return 0;
}

std::int32_t XM_METHOD BgZoomEffect::Step(std::uint32_t now) {
    if (!m_started) {
        m_started = true;
        m_startTime = now;
    }
    const std::uint32_t t = now - m_startTime;
    if (t >= m_duration) {
        Show(Edges(m_end));
        return 1;
    }
    double f = LayerProgress(t, m_duration, m_exponent);
    if (f >= 0.999 && f <= 1.001) f = 1.0;
    const RECT start = Edges(m_start);
    const RECT end = Edges(m_end);
    const std::int32_t left = LayerBetween(m_start.left, m_end.left, f);
    const std::int32_t top = LayerBetween(m_start.top, m_end.top, f);
    const std::int32_t right = LayerBetween(start.right, end.right, f);
    const std::int32_t bottom = LayerBetween(start.bottom, end.bottom, f);
    Show(RECT{left, top, right, bottom});
    return 0;
}

void BgZoomEffect::Show(const RECT& rect) {
    if (m_canvas && m_canvas->Target()) ShowRect(m_canvas, rect);
}

std::int32_t XM_METHOD BgZoomEffect::Control(const std::int32_t* arguments) {
    if (!arguments) return 0;
    Put(arguments[0], m_end.left);
    Put(arguments[1], m_end.top);
    Put(arguments[2], m_end.width);
    Put(arguments[3], m_end.height);
    return 0;
}

void XM_METHOD BgZoomEffect::Finish() { Show(Edges(m_end)); }
