#include "effects/objects/bg_panime_effect.h"

#include <algorithm>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/motion/bounce.h"
#include "effects/motion/move_progress.h"
#include "graphics/compose/math_tables.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

namespace {

constexpr std::uint8_t kCacheBit = 1;
constexpr std::uint8_t kSnapshot = 2;

void PutWord(std::int32_t word, std::int32_t value) {
    if (void* out = EffectWords()->OutWord(static_cast<std::uint32_t>(word), sizeof(value)))
        *static_cast<std::int32_t*>(out) = value;
}

// Moves the canvas's source to (x, y), redrawing only when that changes anything.
void PlaceSource(Canvas* canvas, std::int32_t x, std::int32_t y) {
    Surface* source = nullptr;
    std::int32_t oldX = 0, oldY = 0;
    canvas->GetBackground(&source, &oldX, &oldY, nullptr, nullptr, nullptr);
    if (!source || (oldX == x && oldY == y)) return;
    canvas->SetSource(source, x, y, true);
}

}  // namespace

BgPanimeEffect::~BgPanimeEffect() { RestoreCanvas(); }

std::int32_t XM_METHOD BgPanimeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                             const std::int32_t* params) {
    if (!scheduler || !target || !params) return 1;
    Canvas* canvas = target->GetCanvas();
    if (!canvas) return 1;
    const char* text = EffectWords()->Text(static_cast<std::uint32_t>(params[0]));
    if (m_path.Parse(text, nullptr, canvas) != 0) return 2;
    RestoreCanvas();
    m_canvas = canvas;
    m_mode = 0;
    m_hideOverlay = params[4] != 0 ? 1 : 0;
    if (params[2] != kOffsetOnly) {
        if (params[3] != 0) {
            Image* view = canvas->Target();
            auto snapshot = std::make_unique<Image>();
            if (!view || snapshot->Create(view->Width(), view->Height(), view->Depth(), 0) != 0 ||
                canvas->Render(snapshot.get(), 0, 0, m_hideOverlay != 0) != 0) {
                m_canvas = nullptr;
                return 4;
            }
            m_snapshot = std::move(snapshot);
            m_mode = kSnapshot;
        }
        if (params[2] != 0) {
            if (m_cache.Take(canvas, 5, 5) != 0) {
                m_snapshot.reset();
                m_mode = 0;
                m_canvas = nullptr;
                return 5;
            }
            m_mode |= kCacheBit;
        }
    } else {
        m_hideOverlay = 0;
    }
    m_index = 1;
    m_startRecord = 0;
    m_moveRunning = false;
    m_carried = 0;
    m_duration = static_cast<std::uint32_t>(params[1]);
    if (m_duration == 0) {
        ApplyEnd();
        return -1;
    }
    m_loop = params[5] != 0 ? 1 : 0;
    m_powerEasing = 1;
    m_exponent = 0.0;
    m_spline = 0;
    m_stepValue[0] = 25;
    m_stepValue[1] = 50;
    if (g_mathTables) g_mathTables->BuildFloatCosTable();
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        // A refused effect leaves the canvas alone, also when its holder finishes it later.
        m_cache.Release(false);
        m_snapshot.reset();
        m_mode = 0;
        m_canvas = nullptr;
        return 2;
    }
    if (m_mode >= kSnapshot) {
        canvas->SetHideSprites(true);
        if (m_hideOverlay) canvas->SetHideOverlay(true);
        if (!(m_mode & kCacheBit)) {
            std::int32_t x = 0, y = 0;
            canvas->GetBackground(&m_savedSource, &x, &y, nullptr, nullptr, nullptr);
            canvas->SetSource(m_snapshot.get(), 0, 0, true);
        }
        canvas->InvalidateAll();
    }
    // The cache shows the start position until the first step moves it.
    if (m_mode & kCacheBit) Show(m_path.Records()[0].a, m_path.Records()[0].b);
    if (params[6] != 0) OnCreated();
    return 0;
}

bool BgPanimeEffect::Advance() {
    if (++m_index < m_path.RecordCount()) return true;
    if (!m_loop) return false;
    m_index = 1;
    return true;
}

bool BgPanimeEffect::FindMove(std::uint32_t now) {
    const MotionRecord* records = m_path.Records();
    if (!records || m_index >= m_path.RecordCount()) return false;
    // A looping script without a move after its first command would be read round for ever.
    for (std::int32_t read = 0; read < m_path.RecordCount(); ++read) {
        const MotionRecord& r = records[m_index];
        switch (r.kind) {
        case kMotionKey:
            m_moveStart = now - m_carried;
            m_moveRunning = true;
            return true;
        case kMotionDuration: m_duration = r.a == 0 ? 1 : static_cast<std::uint32_t>(r.a); break;
        case kMotionEasing:
            m_powerEasing = r.byte;
            m_exponent = r.zoom;
            break;
        case kMotionSplineOn: m_spline = m_path.HasSpline() ? 1 : 0; break;
        case kMotionSplineOff: m_spline = 0; break;
        // The parser has already applied these step changes to the positions.
        case kMotionMoveStep: m_stepValue[0] = r.a; break;
        case kMotionBounceStep: m_stepValue[1] = r.a; break;
        default: break;
        }
        if (!Advance()) return false;
    }
    return false;
}

std::int32_t XM_METHOD BgPanimeEffect::Step(std::uint32_t now) {
    if (!m_canvas) return 1;
    for (;;) {
        if (!m_moveRunning && !FindMove(now)) {
            ApplyEnd();
            return 1;
        }
        const std::uint32_t elapsed = now - m_moveStart;
        if (elapsed < m_duration) {
            const double p = MoveProgress(m_powerEasing != 0, m_exponent, elapsed, m_duration);
            const MotionRecord& from = m_path.Records()[m_startRecord];
            const MotionRecord& to = m_path.Records()[m_index];
            std::int32_t x = 0, y = 0;
            if (m_spline) m_path.SplinePoint(from, to, p, &x, &y);
            else m_path.LinearPoint(from, to, p, &x, &y);
            x = SaturateToInt32(std::int64_t{x} + MotionBounceOffset(to.bounceX, to.bounceBaseX, p));
            y = SaturateToInt32(std::int64_t{y} + MotionBounceOffset(to.bounceY, to.bounceBaseY, p));
            Show(x, y);
            return 0;
        }
        m_startRecord = m_index;
        m_moveRunning = false;
        m_carried = elapsed - m_duration;
        if (!Advance()) {
            ApplyEnd();
            return 1;
        }
    }
}

void BgPanimeEffect::Show(std::int32_t x, std::int32_t y) {
    if (!(m_mode & kCacheBit)) {
        PlaceSource(m_canvas, x, y);
        return;
    }
    Surface* picture = m_snapshot.get();
    if (m_mode != (kSnapshot | kCacheBit))
        m_canvas->GetBackground(&picture, nullptr, nullptr, nullptr, nullptr, nullptr);
    DrawCache(picture, x, y);
}

void BgPanimeEffect::DrawCache(Surface* picture, std::int32_t x, std::int32_t y) {
    // The cache is read from the canvas at each draw: once it has gone, nothing is drawn.
    Image* cache = m_cache.Get();
    if (!cache || !picture) return;
    const std::int64_t width = cache->Width();
    const std::int64_t height = cache->Height();
    // The picture's (x, y) lands on the cache's top-left; what it does not cover is filled.
    const std::int64_t left = std::clamp<std::int64_t>(-std::int64_t{x}, 0, width);
    const std::int64_t top = std::clamp<std::int64_t>(-std::int64_t{y}, 0, height);
    const std::int64_t right = std::clamp<std::int64_t>(std::int64_t{picture->Width()} - x, 0, width);
    const std::int64_t bottom = std::clamp<std::int64_t>(std::int64_t{picture->Height()} - y, 0, height);
    const std::uint32_t fill = m_canvas->Colour();
    if (left >= right || top >= bottom) {
        cache->FillValue(fill, nullptr);
    } else {
        const auto l = static_cast<LONG>(left), t = static_cast<LONG>(top);
        const auto r = static_cast<LONG>(right), b = static_cast<LONG>(bottom);
        const auto w = static_cast<LONG>(width), h = static_cast<LONG>(height);
        const RECT bands[4] = {{0, 0, w, t}, {0, b, w, h}, {0, t, l, b}, {r, t, w, b}};
        for (const RECT& band : bands)
            if (band.left < band.right && band.top < band.bottom) cache->FillValue(fill, &band);
        const RECT from = {static_cast<LONG>(left + x), static_cast<LONG>(top + y),
                           static_cast<LONG>(right + x), static_cast<LONG>(bottom + y)};
        cache->Blit(picture, l, t, &from, false);
    }
    m_canvas->InvalidateAll();
}

void BgPanimeEffect::RestoreCanvas() {
    if (!m_canvas || m_mode == 0) return;
    m_canvas->SetHideSprites(false);
    if (m_hideOverlay) m_canvas->SetHideOverlay(false);
    if (m_mode == kSnapshot) m_canvas->SetSource(m_savedSource, 0, 0, true);
    m_savedSource = nullptr;
    m_cache.Release(false);
    m_snapshot.reset();
    m_canvas->InvalidateAll();
    m_mode = 0;
}

void BgPanimeEffect::ApplyEnd() {
    if (!m_canvas) return;
    RestoreCanvas();
    const std::int32_t last = m_path.m_lastKeyRecord;
    if (last >= 0 && last < m_path.RecordCount()) {
        const MotionRecord& end = m_path.Records()[last];
        PlaceSource(m_canvas, end.a, end.b);
    }
}

std::int32_t XM_METHOD BgPanimeEffect::Control(const std::int32_t* arguments) {
    if (!m_path.Records() || !arguments) return 1;
    const std::int32_t last = m_path.m_lastKeyRecord;
    if (last < 0 || last >= m_path.RecordCount()) return 2;
    const MotionRecord& end = m_path.Records()[last];
    PutWord(arguments[0], end.a);
    PutWord(arguments[1], end.b);
    return 0;
}

std::int32_t XM_CDECL PanimeAssist(const std::int32_t* words) {
    if (!words) return -1;
    ScreenBuffer* buffer = EffectWords()->ScreenBufferOf(static_cast<std::uint32_t>(words[0]));
    Canvas* canvas = buffer ? buffer->GetCanvas() : nullptr;
    if (!canvas) return -1;
    const char* text = EffectWords()->Text(static_cast<std::uint32_t>(words[1]));
    std::int32_t x = 0, y = 0;
    const std::int32_t code = EvaluateMotionString(text, &x, &y, nullptr, canvas, nullptr, nullptr,
                                                   nullptr, nullptr, nullptr, nullptr);
    if (code != 0) return code;
    PlaceSource(canvas, x, y);
    PutWord(words[2], x);
    PutWord(words[3], y);
    return 0;
}
