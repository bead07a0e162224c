#include "effects/objects/bg_blur_effect.h"

#include <cmath>
#include <cstring>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/motion/easing.h"
#include "effects/objects/layer_progress.h"
#include "graphics/compose/math_tables.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

namespace {

// A real held to the int32 range (NaN: 0), truncated.
std::int32_t ToInt32(double v) {
    if (!(v == v)) return 0;
    if (v <= -2147483648.0) return INT32_MIN;
    if (v >= 2147483647.0) return INT32_MAX;
    return static_cast<std::int32_t>(v);
}

// Turns as 512ths of a turn, negated (the view turns the other way from the picture). Only the
// low nine bits matter to a turn, so a value beyond the int32 range is first brought into it by
// whole turns.
std::int32_t TurnsToAngle(double turns) {
    double v = turns * -512.0;
    if (std::fabs(v) >= 2147483648.0) v = std::fmod(v, 512.0);
    return static_cast<std::int32_t>(v);
}

Surface* Background(Canvas* canvas) {
    Surface* source = nullptr;
    canvas->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
    return source;
}

void Put(std::int32_t word, std::int32_t value) {
    if (void* out = EffectWords()->OutWord(static_cast<std::uint32_t>(word), sizeof value))
        *static_cast<std::int32_t*>(out) = value;
}

double RealAt(const std::int32_t* words) {
    double v;
    std::memcpy(&v, words, sizeof v);
    return v;
}

// Shows BlurCompute's geometry: 0, or 4 for an empty source rectangle.
std::int32_t ApplyGeometry(Canvas* canvas, double turns, double zoom, std::int32_t a,
                           std::int32_t b, std::int32_t c, std::int32_t d) {
    if (turns != 0.0) {
        canvas->SetZoom(a, b, c, zoom);
        return 0;
    }
    if (c <= 0 || d <= 0) return 4;
    const RECT rect = {a, b, ToInt32(static_cast<double>(a) + c), ToInt32(static_cast<double>(b) + d)};
    canvas->SetSourceRect(0, 0, canvas->Target()->Width(), canvas->Target()->Height(), &rect);
    return 0;
}

}  // namespace

std::int32_t BlurCompute(Canvas* canvas, std::int32_t x, std::int32_t y, double zoom,
                         double turns, std::int32_t* a, std::int32_t* b, std::int32_t* c,
                         std::int32_t* d) {
    if (zoom == 0.0 || !std::isfinite(zoom) || !std::isfinite(turns)) return 1;
    if (!canvas || !canvas->Target()) return 2;
    Surface* source = Background(canvas);
    if (!source) return 2;
    if (!g_mathTables) return 3;
    if (!g_mathTables->BuildFloatCosTable()) return 4;
    std::int32_t r[4];
    if (turns == 0.0) {
        r[0] = ToInt32(x - x / zoom + 0.5);
        r[1] = ToInt32(y - y / zoom + 0.5);
        r[2] = ToInt32(source->Width() / zoom + 0.5);
        r[3] = ToInt32(source->Height() / zoom + 0.5);
    } else {
        const std::int32_t n = TurnsToAngle(turns);
        const double* cosTable = g_mathTables->CosFloat();
        const double co = cosTable[n & 511];
        const double si = cosTable[(n - 128) & 511];
        const POINT pivot = canvas->Pivot();
        const double dx = static_cast<double>(x) - pivot.x;
        const double dy = static_cast<double>(y) - pivot.y;
        r[0] = ToInt32(dx - zoom * (dy * si + dx * co));
        r[1] = ToInt32(dy + zoom * (dx * si - dy * co - 1.0));
        r[2] = n;
        r[3] = 0;
    }
    if (a) *a = r[0];
    if (b) *b = r[1];
    if (c) *c = r[2];
    if (d) *d = r[3];
    return 0;
}

std::int32_t XM_CDECL BlurAssist(const std::int32_t* words) {
    if (!words) return -1;
    ScreenBuffer* buffer = EffectWords()->ScreenBufferOf(static_cast<std::uint32_t>(words[0]));
    if (!buffer) return -1;
    Canvas* canvas = buffer->GetCanvas();
    const double zoom = RealAt(words + 3);
    const double turns = RealAt(words + 5);
    std::int32_t r[4];
    const std::int32_t code =
        BlurCompute(canvas, words[1], words[2], zoom, turns, &r[0], &r[1], &r[2], &r[3]);
    if (code != 0) return code;
    if (ApplyGeometry(canvas, turns, zoom, r[0], r[1], r[2], r[3]) != 0) return 4;
    for (int i = 0; i < 4; ++i) Put(words[7 + i], r[i]);
    return 0;
}

BgBlurEffect::~BgBlurEffect() { m_cache.Release(true); }

std::int32_t XM_METHOD BgBlurEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                           const std::int32_t* params) {
    if (!g_mathTables || !g_mathTables->BuildFloatCosTable()) return 1;
    if (!scheduler || !target || !params || !target->GetCanvas()) return 2;
    if (!CurrentPixelOpLibrary()) return 9;
    m_canvas = target->GetCanvas();
    const bool path = EffectWords()->Text(static_cast<std::uint32_t>(params[0])) != nullptr;
    const std::int32_t formCode = path ? SetupPath(params) : SetupCentre(params);
    if (formCode != 0) return formCode;
    const std::int32_t k = path ? 2 : 7;
    m_duration = static_cast<std::uint32_t>(params[k]);
    m_alpha = static_cast<std::uint8_t>(params[k + 1]);
    m_exponent = ReadEffectReal(params[k + 2], 0.0);
    m_direct = params[k + 6] != 0;
    m_blend = static_cast<std::uint8_t>(params[k + 7]);
    m_keepGeometry = params[k + 9] != 0;
    const std::int32_t pictureCode = SetupPicture(params, k);
    if (pictureCode != 0) return pictureCode;
    if (!m_direct) {
        const std::int32_t cacheCode = m_cache.Take(m_canvas, 8, 8);
        if (cacheCode != 0) return cacheCode;
    }
    // Queued before anything is drawn, so that a refusal leaves the canvas as it was; the
    // scheduler steps it only later.
    m_started = false;
    if (scheduler->Add(this, static_cast<std::uint32_t>(params[k + 8]), 0, 0) !=
        TaskScheduler::kAdded) {
        m_cache.Release(true);
        return 8;
    }
    if (m_direct) {
        m_canvas->DropScaled();
    } else {
        Image* cache = m_cache.Get();
        cache->FillValue(m_canvas->Colour(), nullptr);
        if (m_alpha < 255 && m_notIdentity)
            Draw(0.0, 255);
        else
            cache->Blit(m_picture, 0, 0, nullptr, false);
    }
    Draw(0.0, m_alpha);
    OnCreated();
    return 0;
}

std::int32_t BgBlurEffect::SetupCentre(const std::int32_t* params) {
    m_x = params[1];
    m_y = params[2];
    m_startZoom = ReadEffectReal(params[3], 1.0);
    const double startTurns = ReadEffectReal(params[4], 0.0);
    m_endZoom = ReadEffectReal(params[5], 1.0);
    m_endTurns = ReadEffectReal(params[6], 0.0);
    if (!std::isfinite(m_startZoom) || !std::isfinite(m_endZoom) ||
        !std::isfinite(startTurns) || !std::isfinite(m_endTurns))
        return 3;
    m_startAngle = TurnsToAngle(startTurns);
    m_endAngle = TurnsToAngle(m_endTurns);
    m_form = m_startAngle == 0 && m_endAngle == 0 ? Form::ZoomOnly : Form::Rotation;
    m_notIdentity = m_startAngle != 0 || m_startZoom != 1.0;
    return 0;
}

std::int32_t BgBlurEffect::SetupPath(const std::int32_t* params) {
    std::vector<BlurPoint> points;
    const char* text = EffectWords()->Text(static_cast<std::uint32_t>(params[0]));
    if (BlurPrepare(text, &points) < 1) return 3;
    for (const BlurPoint& p : points)
        if (!std::isfinite(p.zoom)) return 3;
    m_points = std::move(points);
    const BlurPoint& last = m_points.back();
    m_x = static_cast<std::int32_t>(last.x);
    m_y = static_cast<std::int32_t>(last.y);
    m_endZoom = last.zoom;
    m_endTurns = 0.0;
    m_form = Form::PathLinear;
    if (params[1] && m_points.size() > 2) {
        m_form = Form::PathSpline;
        for (const BlurPoint& p : m_points) {
            m_xs.push_back(p.x);
            m_ys.push_back(p.y);
        }
        m_secondX = SplineSecondDerivatives(m_xs);
        m_secondY = SplineSecondDerivatives(m_ys);
    }
    m_notIdentity = m_points.front().zoom != 1.0;
    return 0;
}

std::int32_t BgBlurEffect::SetupPicture(const std::int32_t* params, std::int32_t k) {
    const char* file = EffectWords()->Text(static_cast<std::uint32_t>(params[k + 3]));
    const bool flipX = params[k + 4] != 0;
    const bool flipY = params[k + 5] != 0;
    Surface* background = Background(m_canvas);
    if (m_direct) {
        auto* image = dynamic_cast<Image*>(background);
        if (!file && !background) return 5;
        if (!image || !image->Bits() || image->Depth() != 32) return 7;
        m_directTarget = image;
        m_keepGeometry = false;
    }
    if (file) {
        if (m_own.Load(file, nullptr, 0, 0) != 0 || !m_own.Bits()) return 4;
        if (m_own.Depth() != 32 && m_own.ConvertDepth(32) != 0) return 4;
        m_keepGeometry = false;
        m_picture = &m_own;
        m_pictureAlpha = m_own.HasAlpha();
    } else {
        if (!background) return 5;
        const auto* image = dynamic_cast<const Image*>(background);
        m_pictureAlpha = image && image->HasAlpha();
        if (flipX || flipY || m_direct) {
            if (m_own.Create(background->Width(), background->Height(), 32, 0) != 0 ||
                m_own.Blit(background, 0, 0, nullptr, false) != 0)
                return 6;
            m_own.SetHasAlpha(m_pictureAlpha);
            m_picture = &m_own;
            m_keepGeometry = false;
        } else {
            m_picture = background;
        }
    }
    if (flipX) m_own.FlipHorizontal(nullptr);
    if (flipY) m_own.FlipVertical(nullptr);
    return 0;
}

Surface* BgBlurEffect::Picture() const {
    if (m_picture == &m_own) return m_picture;
    return m_canvas && Background(m_canvas) == m_picture ? m_picture : nullptr;
}

Image* BgBlurEffect::Destination() {
    if (!m_direct) return m_cache.Get();
    return m_canvas && Background(m_canvas) == m_directTarget ? m_directTarget : nullptr;
}

bool BgBlurEffect::SameAsLast(double a, double b, double c, double d) {
    const double now[4] = {a, b, c, d};
    if (m_drawn && std::memcmp(now, m_last, sizeof now) == 0) return true;
    std::memcpy(m_last, now, sizeof now);
    m_drawn = true;
    return false;
}

void BgBlurEffect::Draw(double f, std::uint8_t opacity) {
    Image* into = Destination();
    if (!into || !Picture() || !CurrentPixelOpLibrary()) return;
    switch (m_form) {
    case Form::Rotation:
        DrawTurn(into, f, opacity);
        break;
    case Form::ZoomOnly:
        DrawPoint(into, m_x, m_y, m_startZoom + f * (m_endZoom - m_startZoom), opacity);
        break;
    case Form::PathLinear:
    case Form::PathSpline: {
        std::size_t i;
        double u;
        BlurSegment(m_points.size(), f, &i, &u);
        const BlurPoint& p = m_points[i];
        const BlurPoint& q = m_points[i + 1];
        const double zoom = p.zoom + u * (q.zoom - p.zoom);
        if (m_form == Form::PathSpline)
            DrawPoint(into, SplineAt(m_xs, m_secondX, i, u), SplineAt(m_ys, m_secondY, i, u), zoom,
                      opacity);
        else
            DrawPoint(into, p.x + u * (q.x - p.x), p.y + u * (q.y - p.y), zoom, opacity);
        break;
    }
    }
}

void BgBlurEffect::DrawPoint(Image* into, double x, double y, double z, std::uint8_t opacity) {
    Surface* picture = Picture();
    const SIZE size = {ToInt32(z * picture->Width() + 0.5), ToInt32(z * picture->Height() + 0.5)};
    const std::int32_t px = ToInt32(x - z * x + 0.5);
    const std::int32_t py = ToInt32(y - z * y + 0.5);
    if (SameAsLast(px, py, size.cx, size.cy)) return;
    into->StretchBlendRect(picture, m_pictureAlpha ? 2 : 0, m_blend, opacity, 0, &size, px, py,
                           nullptr);
    m_canvas->InvalidateAll();
}

void BgBlurEffect::DrawTurn(Image* into, double f, std::uint8_t opacity) {
    const std::int32_t a = LayerBetween(m_startAngle, m_endAngle, f);
    const double z = m_startZoom + f * (m_endZoom - m_startZoom);
    if (SameAsLast(a, z, 0.0, 0.0)) return;
    const double* cosTable = g_mathTables->CosFloat();
    const double c = cosTable[a & 511];
    const double s = cosTable[(a - 128) & 511];
    const double x = m_x;
    const double y = m_y;
    const double matrix[6] = {z * c, -z * s, z * s, z * c, x - z * (s * y + c * x),
                              y + z * (s * x - c * y)};
    into->AffineBlendRectMatrix(Picture(), matrix, nullptr, m_pictureAlpha ? 2 : 0, m_blend,
                                opacity, 0, 0, 0, nullptr);
    m_canvas->InvalidateAll();
}

std::int32_t XM_METHOD BgBlurEffect::Step(std::uint32_t now) {
    if (!m_started) {
        m_started = true;
        m_startTime = now;
    }
    const std::uint32_t t = now - m_startTime;
    if (m_alpha != 255 && t <= 15) return 0;
    if (t < m_duration) {
        Draw(EaseFraction(static_cast<double>(t) / m_duration, m_exponent), m_alpha);
        return 0;
    }
    if (!m_keepGeometry) Draw(1.0, m_alpha);
    EndGeometry();
    return 1;
}

void BgBlurEffect::EndGeometry() {
    if (m_ended || !m_canvas) return;
    m_ended = true;
    if (m_direct) return;
    m_cache.Release(true);
    if (!m_keepGeometry) return;
    std::int32_t r[4];
    if (BlurCompute(m_canvas, m_x, m_y, m_endZoom, m_endTurns, &r[0], &r[1], &r[2], &r[3]) == 0)
        ApplyGeometry(m_canvas, m_endTurns, m_endZoom, r[0], r[1], r[2], r[3]);
}
