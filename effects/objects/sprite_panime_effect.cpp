#include "effects/objects/sprite_panime_effect.h"

#include <cmath>
#include <limits>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/motion/bounce.h"
#include "effects/motion/move_progress.h"
#include "effects/objects/subtractive_random.h"
#include "graphics/compose/math_tables.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"

namespace {

std::int32_t g_priorityA = 0;
std::int32_t g_priorityB = 0;

std::uint8_t Between(std::uint8_t from, std::uint8_t to, double t) {
    return static_cast<std::uint8_t>(
        SaturateToInt32((static_cast<double>(to) - from) * t + from));
}

template <class T>
void Put(std::int32_t word, T value) {
    if (void* out = EffectWords()->OutWord(static_cast<std::uint32_t>(word), sizeof(T)))
        *static_cast<T*>(out) = value;
}

}  // namespace

std::int32_t SpritePanimePriorityA() { return g_priorityA; }
std::int32_t SpritePanimePriorityB() { return g_priorityB; }

void SpritePanimeEffect::Start(std::uint32_t defaultDuration, bool loop) {
    m_index = 1;
    m_startRecord = 0;
    m_segmentRunning = false;
    m_carried = 0;
    m_duration = defaultDuration;
    m_loop = loop ? 1 : 0;
    m_exponent = 0.0;
    m_powerEasing = 1;
    m_spline = 0;
    m_stepValue[0] = 25;
    m_stepValue[1] = 50;
    m_priorityA = g_priorityA;
    m_priorityB = g_priorityB;
    if (g_mathTables) g_mathTables->BuildFloatCosTable();
}

std::int32_t SpritePanimeEffect::PrepareTransform() {
    m_transform = 0;
    m_sprite->SetPivot(-1, m_path.m_pivotX, m_path.m_pivotY);
    const double zoom = m_path.m_largestZoom;
    if (m_path.m_rotationUsed) {
        if (m_sprite->ReserveRotationCache(zoom) != 0) return 4;
    } else if (m_path.m_zoomUsed) {
        // A zoom from a script may be any size: a cache beyond the int32 range is refused
        // before anything is allocated.
        const double width = static_cast<double>(m_sprite->Width()) * zoom;
        const double height = static_cast<double>(m_sprite->Height()) * zoom;
        constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
        if (!(std::fabs(width) <= kLimit) || !(std::fabs(height) <= kLimit)) return 4;
        if (m_sprite->CreateCache(static_cast<std::int32_t>(width),
                                  static_cast<std::int32_t>(height)) != 0) {
            return 4;
        }
    } else {
        return 0;
    }
    m_transform = 1;
    return 0;
}

std::int32_t XM_METHOD SpritePanimeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer*,
                                                 const std::int32_t* params) {
    if (!scheduler || !params) return 1;
    Sprite* sprite = EffectWords()->ImageSprite(static_cast<std::uint32_t>(params[0]));
    if (!sprite) return 1;
    const char* text = EffectWords()->Text(static_cast<std::uint32_t>(params[1]));
    const auto duration = static_cast<std::uint32_t>(params[2]);
    m_path.m_defaultDuration = duration;
    if (m_path.Parse(text, sprite, nullptr) != 0) return 2;
    m_sprite = sprite;
    Start(duration, params[3] != 0);
    if (duration == 0) {
        // The end state at once, with its zoom and rotation; the sprite renders those itself.
        m_transform = m_path.m_zoomUsed || m_path.m_rotationUsed;
        Complete();
        return -1;
    }
    if (std::int32_t code = PrepareTransform()) return code;
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) return 3;
    if (params[4]) OnCreated();
    return 0;
}

std::int32_t SpritePanimeEffect::SetupFromRecords(Sprite* sprite,
                                                  std::unique_ptr<MotionRecord[]> records,
                                                  const PanimeRecordSetup& setup) {
    if (!sprite || !records || setup.count < 2 || records[0].kind != kMotionKey) return 1;
    if (m_path.SetRecords(std::move(records), setup.count, setup.keyCount, setup.spline) != 0)
        return 1;
    m_path.m_zoomUsed = setup.zoomUsed ? 1 : 0;
    m_path.m_rotationUsed = setup.rotationUsed ? 1 : 0;
    m_path.m_largestZoom = setup.largestZoom;
    m_path.m_pivotX = m_path.m_finalPivotX = setup.pivotX;
    m_path.m_pivotY = m_path.m_finalPivotY = setup.pivotY;
    m_path.m_defaultDuration = setup.defaultDuration;
    m_sprite = sprite;
    Start(setup.defaultDuration == 0 ? 1 : setup.defaultDuration, setup.loop);
    if (std::int32_t code = PrepareTransform()) return code;
    if (m_transform) {
        const MotionRecord& first = m_path.Records()[0];
        m_sprite->SetRotationZoom(SaturateToInt32(first.rotation * 512.0), first.zoom);
    }
    return 0;
}

bool SpritePanimeEffect::Advance() {
    if (++m_index < m_path.RecordCount()) return true;
    if (!m_loop) return false;
    m_index = 1;
    return true;
}

bool SpritePanimeEffect::FindSegment(std::uint32_t now) {
    const MotionRecord* records = m_path.Records();
    if (!records || m_index >= m_path.RecordCount()) return false;
    // A looping list without a key after record 0 would be read round for ever.
    for (std::int32_t read = 0; read < m_path.RecordCount(); ++read) {
        const MotionRecord& r = records[m_index];
        switch (r.kind) {
        case kMotionKey:
            m_segmentStart = now - m_carried;
            m_segmentRunning = true;
            return true;
        case kMotionDuration:
            m_duration = r.a == 0 ? 1 : static_cast<std::uint32_t>(r.a);
            break;
        case kMotionRandomDuration:
            if (SubtractiveRandom* random = EffectRandom()) {
                const std::uint32_t draw = random->Next();
                // "t500,499" gives a range of 0: the duration is then the minimum.
                const auto range = static_cast<std::uint32_t>(r.b);
                const std::uint32_t extra = range == 0 ? 0 : draw % range;
                m_duration = static_cast<std::uint32_t>(r.a) + extra;
                if (m_duration == 0) m_duration = 1;
            }
            break;
        case kMotionEasing:
            m_powerEasing = r.byte;
            m_exponent = r.zoom;
            break;
        case kMotionPriorityA:
            if (SpriteList* list = m_sprite->List())
                list->SetPriority(m_sprite, static_cast<std::uint32_t>(m_priorityA), false);
            break;
        case kMotionPriorityB:
            if (SpriteList* list = m_sprite->List())
                list->SetPriorityAfterEquals(m_sprite, static_cast<std::uint32_t>(m_priorityB),
                                             false);
            break;
        case kMotionSplineOn: m_spline = m_path.HasSpline() ? 1 : 0; break;
        case kMotionSplineOff: m_spline = 0; break;
        case kMotionMoveStep: m_stepValue[0] = r.a; break;
        case kMotionBounceStep: m_stepValue[1] = r.a; break;
        case kMotionPivot: m_sprite->SetPivot(-1, r.a, r.b); break;
        default: break;
        }
        if (!Advance()) return false;
    }
    return false;
}

std::int32_t XM_METHOD SpritePanimeEffect::Step(std::uint32_t now) {
    if (!m_sprite) return 1;
    for (;;) {
        if (!m_segmentRunning && !FindSegment(now)) {
            Complete();
            return 1;
        }
        const std::uint32_t elapsed = now - m_segmentStart;
        if (elapsed < m_duration) {
            Apply(m_index, MoveProgress(m_powerEasing != 0, m_exponent, elapsed, m_duration));
            return 0;
        }
        m_startRecord = m_index;
        m_segmentRunning = false;
        m_carried = elapsed - m_duration;
        if (!Advance()) {
            Complete();
            return 1;
        }
    }
}

void XM_METHOD SpritePanimeEffect::Apply(std::int32_t record, double t) {
    const MotionRecord* records = m_path.Records();
    if (!m_sprite || !records || record < 0 || record >= m_path.RecordCount()) return;
    const MotionRecord& from = records[m_startRecord];
    const MotionRecord& to = records[record];
    std::int32_t x = 0, y = 0;
    if (m_spline) m_path.SplinePoint(from, to, t, &x, &y);
    else m_path.LinearPoint(from, to, t, &x, &y);
    x = SaturateToInt32(std::int64_t{x} + MotionBounceOffset(to.bounceX, to.bounceBaseX, t));
    y = SaturateToInt32(std::int64_t{y} + MotionBounceOffset(to.bounceY, to.bounceBaseY, t));
    m_sprite->SetPosition(x, y);
    m_sprite->SetAlpha(Between(from.byte, to.byte, t));
    if (m_transform) {
        const double zoom = from.zoom + (to.zoom - from.zoom) * t;
        const double rotation = from.rotation + (to.rotation - from.rotation) * t;
        m_sprite->SetRotationZoom(SaturateToInt32(rotation * 512.0), zoom);
    }
}

void XM_METHOD SpritePanimeEffect::Complete() {
    const MotionRecord* records = m_path.Records();
    const std::int32_t last = m_path.m_lastKeyRecord;
    if (!m_sprite || !records || last < 0 || last >= m_path.RecordCount()) return;
    if (SpriteList* list = m_sprite->List()) {
        if (m_path.m_finalPriority == 1)
            list->SetPriority(m_sprite, static_cast<std::uint32_t>(m_priorityA), false);
        else if (m_path.m_finalPriority == 2)
            list->SetPriorityAfterEquals(m_sprite, static_cast<std::uint32_t>(m_priorityB), false);
    }
    const MotionRecord& end = records[last];
    m_sprite->SetPosition(end.a, end.b);
    m_sprite->SetAlpha(end.byte);
    if (m_transform) {
        m_sprite->SetPivot(-1, m_path.m_finalPivotX, m_path.m_finalPivotY);
        m_sprite->SetRotationZoom(SaturateToInt32(end.rotation * 512.0), end.zoom);
    }
}

std::int32_t XM_METHOD SpritePanimeEffect::ChangeParams(const std::int32_t* params) {
    if (!params || params[0] != 0) return 1;
    m_loop = 0;
    return 0;
}

std::int32_t XM_METHOD SpritePanimeEffect::Control(const std::int32_t* arguments) {
    const MotionRecord* records = m_path.Records();
    if (!records || !arguments) return 1;
    const std::int32_t last = m_path.m_lastKeyRecord;
    const bool final = last >= 0 && last < m_path.RecordCount();
    const MotionRecord* end = final ? &records[last] : nullptr;
    Put<std::int32_t>(arguments[0], end ? end->a : 0);
    Put<std::int32_t>(arguments[1], end ? end->b : 0);
    Put<std::int32_t>(arguments[2], end ? end->byte : -1);
    Put<std::int32_t>(arguments[3], m_path.m_finalPriority);
    Put<float>(arguments[4], static_cast<float>(end ? end->zoom : 0.0));
    Put<float>(arguments[5], static_cast<float>(end ? end->rotation : 0.0));
    Put<std::int32_t>(arguments[6], m_path.m_finalPivotX);
    Put<std::int32_t>(arguments[7], m_path.m_finalPivotY);
    Put<float>(arguments[8], m_transform ? 1.0f : 0.0f);
    return 0;
}

std::int32_t XM_CDECL SpritePanimeAssist(const std::int32_t* words) {
    if (!words) return 1;
    if (words[0] == 0) {
        g_priorityA = words[1];
        g_priorityB = words[2];
        return 0;
    }
    Sprite* sprite = EffectWords()->ImageSprite(static_cast<std::uint32_t>(words[1]));
    if (!sprite) return 1;
    const char* text = EffectWords()->Text(static_cast<std::uint32_t>(words[2]));
    std::int32_t x = 0, y = 0, pivotX = 0, pivotY = 0;
    std::uint8_t opacity = 0, priority = 0;
    double zoom = 0.0, rotation = 0.0;
    const std::int32_t code = EvaluateMotionString(text, &x, &y, sprite, nullptr, &opacity,
                                                   &priority, &zoom, &rotation, &pivotX, &pivotY);
    if (code != 0) return code;
    sprite->SetPosition(x, y);
    sprite->SetAlpha(opacity);
    if (zoom != 0.0 || rotation != 0.0) {
        sprite->SetPivot(-1, pivotX, pivotY);
        sprite->SetRotationZoom(SaturateToInt32(rotation * 512.0),
                                zoom == 0.0 ? sprite->Zoom() : zoom);
    }
    Put<std::int32_t>(words[3], sprite->X());
    Put<std::int32_t>(words[4], sprite->Y());
    Put<std::int32_t>(words[5], opacity);
    Put<std::int32_t>(words[6], priority);
    Put<float>(words[7], static_cast<float>(zoom));
    Put<float>(words[8], static_cast<float>(rotation));
    Put<std::int32_t>(words[9], pivotX);
    Put<std::int32_t>(words[10], pivotY);
    return 0;
}
