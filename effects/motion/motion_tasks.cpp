#include "effects/motion/motion_tasks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "effects/motion/easing.h"
#include "effects/motion/motion_path.h"
#include "framework/util/arg_tokenizer.h"
#include "graphics/device/device_drawable.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/screen_core.h"

namespace {

// Keeps the arrays' byte sizes (16 and 1 per point) well inside the address space.
constexpr std::int32_t kMostPoints = 0x00FFFFFF;

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The number of "(" in the text; a lead byte takes the byte after it along, unless that is the
// terminator.
std::int32_t CountGroups(const char* text) {
    std::int32_t count = 0;
    for (const char* p = text; *p; ++p) {
        if (IsLeadByte(static_cast<unsigned char>(*p))) {
            if (p[1] == 0) break;
            ++p;
        } else if (*p == '(') {
            ++count;
        }
    }
    return count;
}

// Natural cubic spline over uniform knots: sigma_0 = sigma_m = 0.
std::vector<double> SplineSigmas(const std::vector<double>& p) {
    const std::size_t m = p.size() - 1;
    std::vector<double> sigma(p.size(), 0.0);
    if (m < 2) return sigma;
    std::vector<double> diagonal(m), rhs(m);
    for (std::size_t i = 1; i < m; ++i) {
        rhs[i] = p[i + 1] - 2.0 * p[i] + p[i - 1];
        diagonal[i] = i == 1 ? 4.0 : 4.0 - 1.0 / diagonal[i - 1];
        if (i > 1) rhs[i] -= rhs[i - 1] / diagonal[i - 1];
    }
    for (std::size_t i = m - 1; i >= 1; --i) sigma[i] = (rhs[i] - sigma[i + 1]) / diagonal[i];
    return sigma;
}

std::uint8_t TopByte(std::uint32_t colour) { return static_cast<std::uint8_t>(colour >> 24); }

}  // namespace

MotionTask::MotionTask(std::uint32_t segmentTime, std::uint32_t startDelay, bool showDuring,
                       double exponent, bool loop, std::uint8_t busyMode)
    : m_busyMode(busyMode), m_segmentTime(segmentTime), m_startDelay(startDelay),
      m_exponent(exponent), m_showDuring(showDuring ? 1 : 0), m_loop(loop ? 1 : 0) {}

MotionTask::~MotionTask() {
    if (m_busyMode == 2 && g_effectEndHook) g_effectEndHook();
}

bool MotionTask::Allocate(std::int32_t given) {
    if (given < 1 || given > kMostPoints) return false;
    try {
        std::vector<double> points(2 * static_cast<std::size_t>(given + 1), 0.0);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(given + 1), 0);
        m_points.swap(points);
        m_bytes.swap(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_pointCount = given + 1;
    return true;
}

std::int32_t MotionTask::ParseGroups(const char* text, std::int32_t minimum, bool realSecond) {
    if (m_running) return -1;
    if (!text) return 1;
    const std::int32_t count = CountGroups(text);
    if (count == 0 || count < minimum) return 2;
    if (!Allocate(count)) return 2;
    ArgTokenizer tokens(text);
    std::int32_t value = 0;
    double real = 0.0;
    for (std::int32_t i = 1; i <= count; ++i) {
        tokens.SkipSeparators();
        tokens.ReadInteger(&value);
        m_points[2 * i] = value;
        tokens.SkipSeparators();
        if (realSecond) {
            char word[32];
            const char* at = tokens.Cursor();
            if (tokens.ReadWord(word, sizeof(word)) == 0) {
                char* end = nullptr;
                const double read = std::strtod(word, &end);
                if (end != word) real = read;
            } else {
                tokens.SetCursor(at);
                tokens.SkipWord();
            }
            m_points[2 * i + 1] = real;
        } else {
            tokens.ReadInteger(&value);
            m_points[2 * i + 1] = value;
        }
        tokens.SkipSeparators();
        tokens.ReadInteger(&value);
        m_bytes[i] = static_cast<std::uint8_t>(value);
    }
    return 0;
}

std::int32_t MotionTask::SetWordPoints(std::int32_t count, const std::int32_t* words,
                                       std::int32_t minimum) {
    if (m_running) return -1;
    if (!words || count < 1 || count < minimum || !Allocate(count)) return 1;
    for (std::int32_t i = 1; i <= count; ++i) {
        m_points[2 * i] = words[3 * (i - 1)];
        m_points[2 * i + 1] = words[3 * (i - 1) + 1];
        m_bytes[i] = static_cast<std::uint8_t>(words[3 * (i - 1) + 2]);
    }
    return 0;
}

bool MotionTask::InMainList(Drawable* sprite) {
    SpriteList* list = sprite->List();
    Canvas* canvas = list ? list->GetCanvas() : nullptr;
    return canvas && &canvas->Sprites() == list;
}

std::int32_t MotionTask::Launch(TaskScheduler* scheduler) {
    if (m_segmentTime == 0) {
        ApplyFinal();
        return -2;
    }
    const std::uint64_t total = std::uint64_t{static_cast<std::uint32_t>(m_pointCount - 1)} * m_segmentTime;
    m_totalTime = total > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(total);
    m_first = 1;
    Prepare();
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) return 2;
    m_running = 1;
    if (!m_loop && m_busyMode == 1 && g_effectBeginHook) {
        g_effectBeginHook();
        m_busyMode = 2;
    }
    return 0;
}

void MotionTask::ApplyFinal() {
    ApplyLast();
    if (m_showDuring) ShowTarget(false);
    m_running = 0;
}

std::uint8_t MotionTask::OpacityAt(std::int32_t s, double f) const {
    const double from = m_bytes[s];
    return static_cast<std::uint8_t>(m_bytes[s] + SaturateToInt32((m_bytes[s + 1] - from) * f));
}

std::int32_t XM_METHOD MotionTask::Step(std::uint32_t now) {
    if (m_first) {
        m_startTime = now;
        m_first = 0;
    }
    if (m_startDelay) {
        if (now - m_startTime < m_startDelay) return 0;
        m_startTime = now;
        m_startDelay = 0;
        if (m_showDuring) ShowTarget(true);
    }
    std::uint32_t t = now - m_startTime;
    if (t >= m_totalTime) {
        if (!m_loop) {
            ApplyFinal();
            return 1;
        }
        m_startTime = now;
        t = 0;
    }
    const double total = m_totalTime;
    t = static_cast<std::uint32_t>(std::trunc(total * EaseFraction(t / total, m_exponent)));
    std::int32_t s = static_cast<std::int32_t>(t / m_segmentTime);
    double f = static_cast<double>(t % m_segmentTime) / m_segmentTime;
    if (s >= m_pointCount - 1) {  // only at the very end of an eased motion
        s = m_pointCount - 2;
        f = 1.0;
    }
    ApplyAt(s, f);
    return 0;
}

void XM_METHOD MotionTask::Finish() {
    if (m_running) ApplyFinal();
}

void XM_METHOD MotionTask::Pause(std::uint32_t now) {
    if (PauseCount() == 0) m_pausedAt = now;
    ScheduledTask::Pause(now);
}

void XM_METHOD MotionTask::Resume(std::uint32_t now) {
    if (PauseCount() == 1) m_startTime += now - m_pausedAt;
    ScheduledTask::Resume(now);
}

// PathMotion

PathMotion::PathMotion(std::uint32_t segmentTime, std::uint32_t startDelay, bool showDuring,
                       double exponent, std::uint8_t mode, bool spline, bool loop,
                       std::uint8_t busyMode)
    : WithDeletingDestructor(segmentTime, startDelay, showDuring, exponent, loop, busyMode),
      m_mode(mode), m_spline(spline ? 1 : 0) {}

std::int32_t XM_METHOD PathMotion::Kind() {
    return m_object ? kPathMotionOnObject : kPathMotionOnSprite + m_mainListFlag;
}

std::int32_t PathMotion::Parse(const char* text) {
    return ParseGroups(text, m_spline ? 2 : 1, false);
}

std::int32_t PathMotion::SetPoints(std::int32_t count, const std::int32_t* words) {
    return SetWordPoints(count, words, m_spline ? 2 : 1);
}

std::int32_t PathMotion::StartOnObject(TaskScheduler* scheduler, DeviceDrawable* object) {
    if (m_running) return -1;
    if (!scheduler || !object || m_pointCount < 2) return 1;
    const DeviceDrawableKind kind = object->Kind();
    if (kind == kDrawableRenderStateBlock || kind == kDrawableTextureStageBlock) return 2;
    m_object = object;
    m_sprite = nullptr;
    m_applyAlpha = kind >= kDrawableTexturedQuad ? 1 : 0;
    // The colour word of quads, rectangles and triangles is their vertices' diffuse colour.
    switch (kind) {
    case kDrawableTexturedQuad:
    case kDrawableTexturedQuadEx:
        m_bytes[0] = TopByte(static_cast<TexturedQuadSprite*>(object)->Vertices()[0].diffuse);
        break;
    case kDrawableColourRect:
        m_bytes[0] = TopByte(static_cast<ColourRectSprite*>(object)->Vertices()[0].diffuse);
        break;
    case kDrawablePolygon:
    case kDrawableTriangle: {
        auto* shape = static_cast<ScaledShape*>(object);
        m_bytes[0] = shape->Count() > 0 && shape->Vertices() ? TopByte(shape->Vertices()[0].diffuse) : 0;
        break;
    }
    default:
        break;
    }
    m_points[0] = object->GetX();
    m_points[1] = object->GetY();
    return Launch(scheduler);
}

std::int32_t PathMotion::StartOnSprite(TaskScheduler* scheduler, Drawable* sprite) {
    if (m_running) return -1;
    if (!scheduler || !sprite || m_pointCount < 2) return 1;
    if (m_mode == 2 && sprite->Kind() != 0) return 2;
    m_sprite = sprite;
    m_object = nullptr;
    m_mainListFlag = InMainList(sprite) ? 1 : 0;
    m_applyAlpha = 1;
    m_bytes[0] = sprite->Alpha();
    if (m_mode == 2) {
        const RECT& source = static_cast<Sprite*>(sprite)->SourceRect();
        m_points[0] = source.left;
        m_points[1] = source.top;
    } else {
        m_points[0] = sprite->X();
        m_points[1] = sprite->Y();
    }
    return Launch(scheduler);
}

void XM_METHOD PathMotion::Prepare() {
    m_splineX.clear();
    m_splineY.clear();
    if (!m_spline || m_mode == 0) return;
    std::vector<double> xs(m_pointCount), ys(m_pointCount);
    for (std::int32_t i = 0; i < m_pointCount; ++i) {
        xs[i] = First(i);
        ys[i] = Second(i);
    }
    m_splineX = SplineSigmas(xs);
    m_splineY = SplineSigmas(ys);
}

void PathMotion::Place(double x, double y, std::uint8_t opacity) {
    const std::int32_t ix = SaturateToInt32(x), iy = SaturateToInt32(y);
    if (m_object) {
        if (m_mode != 0) m_object->SetPosition(ix, iy);
        if (!m_applyAlpha) return;
        switch (m_object->Kind()) {
        case kDrawableTexturedQuad:
        case kDrawableTexturedQuadEx:
            static_cast<TexturedQuadSprite*>(m_object)->SetAlphaAll(opacity);
            break;
        case kDrawableColourRect:
            static_cast<ColourRectSprite*>(m_object)->SetAlphaAll(opacity);
            break;
        case kDrawablePolygon:
        case kDrawableTriangle:
            static_cast<ScaledShape*>(m_object)->SetAlphaAll(opacity);
            break;
        default:
            break;
        }
        return;
    }
    if (m_mode == 1) m_sprite->SetPosition(ix, iy);
    if (m_mode == 2) static_cast<Sprite*>(m_sprite)->ScrollSource(ix, iy);
    if (m_applyAlpha) m_sprite->SetAlpha(opacity);
}

void XM_METHOD PathMotion::ApplyAt(std::int32_t s, double f) {
    double x, y;
    if (!m_splineX.empty()) {
        auto along = [f](double p0, double p1, const std::vector<double>& sigma, std::int32_t k) {
            return p0 + f * (p1 - p0 - (2.0 * sigma[k] + sigma[k + 1])) + 3.0 * sigma[k] * f * f +
                   (sigma[k + 1] - sigma[k]) * f * f * f;
        };
        x = along(First(s), First(s + 1), m_splineX, s);
        y = along(Second(s), Second(s + 1), m_splineY, s);
    } else {
        x = First(s) + (First(s + 1) - First(s)) * f;
        y = Second(s) + (Second(s + 1) - Second(s)) * f;
    }
    Place(x, y, OpacityAt(s, f));
}

void XM_METHOD PathMotion::ApplyLast() {
    const std::int32_t last = m_pointCount - 1;
    if (last < 0 || (!m_object && !m_sprite)) return;
    Place(First(last), Second(last), Byte(last));
}

void XM_METHOD PathMotion::ShowTarget(bool visible) {
    if (m_object) m_object->SetEnabled(visible);
    else if (m_sprite) m_sprite->SetVisible(visible ? 1 : 0);
}

// TrackMotion

TrackMotion::TrackMotion(std::uint32_t segmentTime, std::uint32_t startDelay, bool showDuring,
                         double exponent, std::uint8_t horizontalAnchor,
                         std::uint8_t verticalAnchor, bool fixedBase, bool applyAlpha, bool loop,
                         std::uint8_t busyMode)
    : WithDeletingDestructor(segmentTime, startDelay, showDuring, exponent, loop, busyMode),
      m_horizontalAnchor(horizontalAnchor), m_verticalAnchor(verticalAnchor),
      m_applyAlpha(applyAlpha ? 1 : 0), m_fixedBase(fixedBase ? 1 : 0) {}

std::int32_t XM_METHOD TrackMotion::Kind() {
    return kTrackMotionOnSprite + m_mainListFlag;
}

std::int32_t TrackMotion::Parse(const char* text) { return ParseGroups(text, 1, false); }

std::int32_t TrackMotion::SetPoints(std::int32_t count, const std::int32_t* words) {
    return SetWordPoints(count, words, 1);
}

std::int32_t TrackMotion::Start(TaskScheduler* scheduler, Drawable* sprite) {
    if (m_running) return -1;
    if (!scheduler || !sprite || m_pointCount < 2) return 1;
    m_sprite = sprite;
    m_mainListFlag = InMainList(sprite) ? 1 : 0;
    const RECT& bounds = sprite->BoundsRef();
    m_points[0] = static_cast<double>(bounds.right) - bounds.left;
    m_points[1] = static_cast<double>(bounds.bottom) - bounds.top;
    m_bytes[0] = sprite->Alpha();
    m_startX = sprite->X();
    m_startY = sprite->Y();
    m_offsetX = m_offsetY = 0;
    m_largestWidth = m_largestHeight = 0;
    for (std::int32_t i = 0; i < m_pointCount; ++i) {
        m_largestWidth = std::max(m_largestWidth, SaturateToInt32(First(i)));
        m_largestHeight = std::max(m_largestHeight, SaturateToInt32(Second(i)));
    }
    if (sprite->Kind() == 0 && m_segmentTime != 0 &&
        static_cast<Sprite*>(sprite)->CreateCache(m_largestWidth, m_largestHeight) != 0) {
        return 2;
    }
    return Launch(scheduler);
}

void TrackMotion::Place(std::int32_t w, std::int32_t h, std::uint8_t opacity) {
    auto offset = [](std::uint8_t anchor, double first, std::int32_t now) -> std::int32_t {
        const std::int64_t change = std::int64_t{SaturateToInt32(first)} - now;
        if (anchor == 1) return SaturateToInt32(change >> 1);
        if (anchor == 2) return SaturateToInt32(change);
        return 0;
    };
    const std::int32_t dx = offset(m_horizontalAnchor, First(0), w);
    const std::int32_t dy = offset(m_verticalAnchor, Second(0), h);
    std::int64_t baseX = m_startX, baseY = m_startY;
    if (!m_fixedBase) {
        baseX = std::int64_t{m_sprite->X()} - m_offsetX;
        baseY = std::int64_t{m_sprite->Y()} - m_offsetY;
    }
    m_offsetX = dx;
    m_offsetY = dy;
    m_sprite->SetSizeAndPosition(w, h, SaturateToInt32(baseX + dx), SaturateToInt32(baseY + dy));
    if (m_applyAlpha) m_sprite->SetAlpha(opacity);
}

void XM_METHOD TrackMotion::ApplyAt(std::int32_t s, double f) {
    Place(SaturateToInt32(First(s) + (First(s + 1) - First(s)) * f),
          SaturateToInt32(Second(s) + (Second(s + 1) - Second(s)) * f), OpacityAt(s, f));
}

void XM_METHOD TrackMotion::ApplyLast() {
    const std::int32_t last = m_pointCount - 1;
    if (last < 0 || !m_sprite) return;
    Place(SaturateToInt32(First(last)), SaturateToInt32(Second(last)), Byte(last));
}

void XM_METHOD TrackMotion::ShowTarget(bool visible) {
    if (m_sprite) m_sprite->SetVisible(visible ? 1 : 0);
}

// ValueMotion

ValueMotion::ValueMotion(std::uint32_t segmentTime, std::uint32_t startDelay, bool showDuring,
                         double exponent, bool zoomFlag, bool applyAlpha, bool loop,
                         std::uint8_t busyMode)
    : WithDeletingDestructor(segmentTime, startDelay, showDuring, exponent, loop, busyMode),
      m_zoomFlag(zoomFlag ? 1 : 0), m_applyAlpha(applyAlpha ? 1 : 0) {}

std::int32_t XM_METHOD ValueMotion::Kind() {
    return kValueMotionOnSprite + m_mainListFlag;
}

std::int32_t ValueMotion::Parse(const char* text) { return ParseGroups(text, 1, true); }

std::int32_t ValueMotion::Start(TaskScheduler* scheduler, Drawable* sprite) {
    if (m_running) return -1;
    if (!scheduler || !sprite || m_pointCount < 2) return 1;
    if (sprite->Kind() != 0) return 2;
    auto* image = static_cast<Sprite*>(sprite);
    m_sprite = sprite;
    m_mainListFlag = InMainList(sprite) ? 1 : 0;
    m_points[0] = image->Angle();
    m_points[1] = image->Zoom();
    m_bytes[0] = sprite->Alpha();
    double zoom = Second(0);
    if (m_zoomFlag) {
        for (std::int32_t i = 1; i < m_pointCount; ++i) zoom = std::max(zoom, Second(i));
    }
    if (m_segmentTime != 0 && image->ReserveRotationCache(zoom) != 0) return 2;
    return Launch(scheduler);
}

void ValueMotion::Place(std::int32_t angle, double zoom, std::uint8_t opacity) {
    static_cast<Sprite*>(m_sprite)->SetRotationZoom(angle, zoom);
    if (m_applyAlpha) m_sprite->SetAlpha(opacity);
}

void XM_METHOD ValueMotion::ApplyAt(std::int32_t s, double f) {
    const double zoom = m_zoomFlag ? Second(s) + f * (Second(s + 1) - Second(s)) : Second(0);
    Place(SaturateToInt32(First(s) + (First(s + 1) - First(s)) * f), zoom, OpacityAt(s, f));
}

void XM_METHOD ValueMotion::ApplyLast() {
    const std::int32_t last = m_pointCount - 1;
    if (last < 0 || !m_sprite) return;
    Place(SaturateToInt32(First(last)), m_zoomFlag ? Second(last) : Second(0), Byte(last));
}

void XM_METHOD ValueMotion::ShowTarget(bool visible) {
    if (m_sprite) m_sprite->SetVisible(visible ? 1 : 0);
}
