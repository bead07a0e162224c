#include "effects/objects/sprite_change_effect.h"

#include <algorithm>
#include <cmath>

#include "effects/interfaces/effect_word_resolver.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/surface.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"

namespace {

// The top-left corner of a width x height picture whose untransformed top-left lies at (x, y),
// zoomed and turned about the pivot. Where nothing is transformed (zoom 0 or the identity) the
// corner is the untransformed one.
QuadPoint TopLeft(std::int32_t x, std::int32_t y, std::int32_t angle, double zoom,
                  std::int32_t width, std::int32_t height, std::int32_t pivotX,
                  std::int32_t pivotY) {
    QuadPoint quad[4] = {{static_cast<double>(x), static_cast<double>(y)}, {}, {}, {}};
    std::int32_t w = 0, h = 0;
    if (!RotateQuad(quad, x, y, angle, zoom, width, height, pivotX, pivotY, &w, &h, nullptr,
                    nullptr)) {
        return QuadPoint{static_cast<double>(x), static_cast<double>(y)};
    }
    return quad[0];
}

std::int32_t Origin(Sprite* sprite, bool y) {
    Surface* image = sprite->GetImage();
    return y ? image->OriginY() : image->OriginX();
}

template <class T>
void Put(std::int32_t word, T value) {
    if (void* out = EffectWords()->OutWord(static_cast<std::uint32_t>(word), sizeof(T)))
        *static_cast<T*>(out) = value;
}

std::int32_t Trunc(double v) { return SaturateToInt32(v); }

}  // namespace

SpriteChangeEffect::SpriteChangeEffect() = default;

SpriteChangeEffect::~SpriteChangeEffect() {
    if (m_owned && m_old) {
        SurfaceDelete(m_old->GetImage());
        delete m_old;
    }
}

std::int32_t XM_METHOD SpriteChangeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                                 const std::int32_t* params) {
    if (!scheduler || !params) return 1;
    Sprite* fresh = EffectWords()->ImageSprite(static_cast<std::uint32_t>(params[0]));
    Sprite* old = EffectWords()->ImageSprite(static_cast<std::uint32_t>(params[1]));
    if (!fresh || !old || fresh == old || !fresh->GetImage() || !old->GetImage() ||
        fresh->Width() <= 0 || old->Width() <= 0 || fresh->Height() <= 0 || old->Height() <= 0) {
        return 1;
    }
    const SpriteList* list = fresh->List();
    const Canvas* canvas = list ? list->GetCanvas() : nullptr;
    if (!canvas || !canvas->Target() || params[3] < 0 || params[3] > 2) return 1;
    m_new = fresh;
    m_old = old;
    const std::int32_t x = fresh->X(), y = fresh->Y();
    const bool visible = fresh->IsVisible();
    std::int32_t code = Prepare(target, params);
    if (code == 0 && scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) code = 4;
    if (code != 0) {
        m_working.Clear();
        m_stretched.reset();
        fresh->SetPosition(x, y);
        fresh->SetVisible(visible ? 1 : 0);
        m_new = m_old = m_sprite = nullptr;
        return code;
    }
    m_owned = true;
    if (params[7]) OnCreated();
    return 0;
}

std::int32_t SpriteChangeEffect::Prepare(ScreenBuffer*, const std::int32_t* params) {
    Sprite* fresh = m_new;
    Sprite* old = m_old;
    Image* screen = fresh->List()->GetCanvas()->Target();
    const std::int32_t width = screen->Width(), height = screen->Height();
    fresh->SetVisible(0);
    m_mode = static_cast<std::uint8_t>(params[3]);
    m_scale = params[5] != 0 ? 1 : 0;
    const std::int32_t newOx = Origin(fresh, false), newOy = Origin(fresh, true);
    const std::int32_t oldOx = Origin(old, false), oldOy = Origin(old, true);
    m_alignment = POINT{width / 2 - newOx, height - newOy};
    const bool rotated = old->Rotated();
    m_angle = rotated ? old->Angle() : 0;
    m_zoom = rotated ? old->Zoom() : 1.0;
    m_pointX = oldOx + (rotated ? old->Pivot().x : 0);
    m_pointY = oldOy + (rotated ? old->Pivot().y : 0);
    bool plain = false;
    // The new sprite is rendered turned only once nothing can fail any more.
    bool renderNew = false;
    if (m_mode == 0) {
        if (old->Stretched()) return 2;
        fresh->SetPosition(old->X() + newOx - oldOx, old->Y() + newOy - oldOy);
        m_ratio = m_scale ? static_cast<double>(old->Width()) / fresh->Width() : 1.0;
        if (m_scale || rotated) {
            const QuadPoint q = TopLeft(newOx, newOy, m_angle, m_zoom * m_ratio, fresh->Width(),
                                        fresh->Height(), m_alignment.x, m_alignment.y);
            fresh->MoveBy(Trunc(m_pointX - q.x), Trunc(m_pointY - q.y));
            renderNew = true;
        }
        m_endOffset = POINT{0, 0};
        m_sprite = fresh;
    } else if (m_mode == 1) {
        m_ratio = m_scale ? static_cast<double>(fresh->Width()) / old->Width() : 1.0;
        m_endOffset = POINT{newOx - oldOx, newOy - oldOy};
        m_drift = POINT{0, 0};
        m_sprite = old;
    } else {
        if (std::int32_t code = PrepareWorkingPicture(width, height, params[4])) return code;
        plain = m_mode == 2 && !m_scale;
        m_sprite = m_working.WorkingSprite();
    }
    m_path.m_defaultDuration = static_cast<std::uint32_t>(params[6]);
    const char* text = EffectWords()->Text(static_cast<std::uint32_t>(params[2]));
    if (m_path.Parse(text, m_sprite, nullptr) != 0) return 3;
    if (m_scale) {
        m_path.m_zoomUsed = 1;
        m_path.m_largestZoom = std::max(m_path.m_largestZoom, m_ratio * m_path.m_largestZoom);
    }
    const std::int32_t last = m_path.m_lastKeyRecord;
    if (last >= 0 && last < m_path.RecordCount()) {
        const MotionRecord& f = m_path.Records()[last];
        const std::int32_t finalAngle = Trunc(f.rotation * 512.0);
        if ((m_mode == 1 && m_scale) || m_mode == 3) {
            const QuadPoint qOld =
                TopLeft(oldOx, oldOy, finalAngle, m_ratio * f.zoom, old->Width(), old->Height(),
                        m_path.m_finalPivotX, m_path.m_finalPivotY);
            const QuadPoint qNew = TopLeft(newOx, newOy, finalAngle, f.zoom, fresh->Width(),
                                           fresh->Height(), m_alignment.x, m_alignment.y);
            m_drift.x = Trunc(m_drift.x + qNew.x - qOld.x);
            m_drift.y = Trunc(m_drift.y + qNew.y - qOld.y);
            m_scale = 1;
        }
        // Any turn that is not a whole number of turns needs the rendered form, as does a zoom.
        if (plain && (f.zoom != 1.0 || (finalAngle & 511) != 0)) {
            m_scale = 1;
            m_ratio = 1.0;
        }
    }
    const std::uint32_t duration = params[6] == 0 ? 1 : static_cast<std::uint32_t>(params[6]);
    Start(duration, false);
    if (renderNew) fresh->SetRotationZoom(m_angle, m_zoom);
    if (PrepareTransform() != 0) return 5;
    if (m_scale) m_transform = 0;
    m_firstStep = true;
    return 0;
}

std::int32_t SpriteChangeEffect::PrepareWorkingPicture(std::int32_t width, std::int32_t height,
                                                       std::int32_t priority) {
    Sprite* fresh = m_new;
    Sprite* old = m_old;
    Surface* a = old->GetImage();
    Surface* b = fresh->GetImage();
    m_ratio = 1.0;
    if (m_scale) {
        const bool newNarrower = b->Width() < a->Width();
        Surface* narrow = newNarrower ? b : a;
        Surface* wide = newNarrower ? a : b;
        const double r = static_cast<double>(wide->Width()) / narrow->Width();
        const double stretchedHeight = narrow->Height() * r;
        if (!(stretchedHeight >= 1.0 && stretchedHeight < 0x7FFFFFFF)) return 5;
        m_stretched = MakeEffectImage(wide->Width(), static_cast<std::int32_t>(stretchedHeight));
        if (!m_stretched) return 5;
        const SIZE size = {m_stretched->Width(), m_stretched->Height()};
        m_stretched->StretchBlendRect(narrow, 0, 1, 255, 0, &size, 0, 0, nullptr);
        m_stretched->SetHasAlpha(true);
        m_stretched->SetOriginX(Trunc(width / 2 - r * (width / 2 - narrow->OriginX())));
        m_stretched->SetOriginY(wide->OriginY());
        a = m_stretched.get();
        b = wide;
        m_ratio = static_cast<double>(narrow->Width()) / wide->Width();
        if (newNarrower) m_mode = 3;
    }
    const RECT ra = {a->OriginX(), a->OriginY(), a->OriginX() + a->Width(),
                     a->OriginY() + a->Height()};
    const RECT rb = {b->OriginX(), b->OriginY(), b->OriginX() + b->Width(),
                     b->OriginY() + b->Height()};
    const RECT u = {std::min(ra.left, rb.left), std::min(ra.top, rb.top),
                    std::max(ra.right, rb.right), std::max(ra.bottom, rb.bottom)};
    RECT inA = ra, inB = rb;
    OffsetRect(&inA, -u.left, -u.top);
    OffsetRect(&inB, -u.left, -u.top);
    const std::int32_t oldOx = Origin(old, false), oldOy = Origin(old, true);
    PicturePart partA{a, RECT{0, 0, a->Width(), a->Height()}};
    PicturePart partB{b, RECT{0, 0, b->Width(), b->Height()}};
    if (!m_working.Create(partA, partB, inA, inB, u.right - u.left, u.bottom - u.top, u.left,
                          u.top, fresh->List(), static_cast<std::uint32_t>(priority),
                          old->X() + u.left - oldOx, old->Y() + u.top - oldOy)) {
        return 5;
    }
    Sprite* working = m_working.WorkingSprite();
    if (m_mode == 3) {
        if (old->Stretched()) return 2;
        working->SetRotationZoom(m_angle, m_zoom);
        m_drift = POINT{rb.left - u.left, rb.top - u.top};
    }
    if (m_mode == 3 || m_scale || old->Rotated() || old->Stretched()) {
        if (old->Stretched()) return 2;
        const POINT at = m_scale ? POINT{u.left, u.top} : POINT{a->OriginX(), a->OriginY()};
        const QuadPoint q = TopLeft(at.x, at.y, m_angle, m_zoom * m_ratio, working->Width(),
                                    working->Height(), width / 2 - at.x, height - at.y);
        working->MoveBy(Trunc(m_pointX - q.x), Trunc(m_pointY - q.y));
        working->SetRotationZoom(m_angle, m_zoom);
        m_scale = 1;
    }
    m_endOffset = POINT{fresh->GetImage()->OriginX() - u.left, fresh->GetImage()->OriginY() - u.top};
    return 0;
}

double SpriteChangeEffect::Progress() const {
    // A total of 0, or random segments that outrun the nominal total, end at 1.
    if (m_path.m_totalTime == 0) return 1.0;
    const double t = static_cast<double>(m_elapsed) / m_path.m_totalTime;
    return t > 1.0 ? 1.0 : t;
}

std::int32_t XM_METHOD SpriteChangeEffect::Step(std::uint32_t now) {
    if (!m_owned) return 1;
    if (m_firstStep) {
        m_firstStep = false;
        m_start = now;
        if (m_mode == 0) {
            m_old->SetVisible(0);
            m_new->SetVisible(1);
        } else if (m_mode >= 2) {
            m_old->SetVisible(0);
            m_working.WorkingSprite()->SetVisible(1);
        }
    }
    m_elapsed = now - m_start;
    return SpritePanimeEffect::Step(now);
}

void XM_METHOD SpriteChangeEffect::Apply(std::int32_t record, double a) {
    const double t = Progress();
    bool redrawn = false;
    if (m_mode >= 2) {
        auto b = static_cast<std::uint8_t>(t * 255.0);
        if (m_mode == 3) b = static_cast<std::uint8_t>(255 - b);
        redrawn = m_working.Render(b);
    }
    SpritePanimeEffect::Apply(record, a);
    if (!m_scale || !m_sprite) return;
    const double s = m_ratio;
    double d = 1.0;
    switch (m_mode) {
    case 0: d = s >= 1.0 ? (s - 1.0) * (1.0 - t) + 1.0 : (1.0 - s) * t + s; break;
    case 1: d = s >= 1.0 ? (s - 1.0) * t + 1.0 : 1.0 - (1.0 - s) * t; break;
    case 2: d = (1.0 - s) * t + s; break;
    default: d = (1.0 - s) * (1.0 - t) + s; break;
    }
    const MotionRecord* records = m_path.Records();
    const MotionRecord& from = records[m_startRecord];
    const MotionRecord& to = records[record];
    const double rotation = from.rotation + (to.rotation - from.rotation) * a;
    const double zoom = from.zoom + (to.zoom - from.zoom) * a;
    if (m_sprite->SetRotationZoom(Trunc(rotation * 512.0), d * zoom) == 0 && redrawn)
        m_sprite->RefreshCache(true);
    if (m_mode == 1 || m_mode == 3) {
        m_sprite->SetPosition(Trunc(m_sprite->X() + m_drift.x * t),
                              Trunc(m_sprite->Y() + m_drift.y * t));
    }
}

void XM_METHOD SpriteChangeEffect::Complete() {
    if (!m_owned || m_completed) return;
    m_completed = true;
    if (m_mode != 0) {
        m_sprite->SetVisible(0);
        if (Sprite* working = m_working.WorkingSprite()) working->SetVisible(0);
        m_new->SetVisible(1);
        m_sprite = m_new;
    }
    const std::int32_t last = m_path.m_lastKeyRecord;
    if (last >= 0 && last < m_path.RecordCount()) {
        MotionRecord& f = m_path.MutableRecords()[last];
        f.a = SaturatingAdd(f.a, m_endOffset.x);
        f.b = SaturatingAdd(f.b, m_endOffset.y);
        if (m_scale) {
            m_path.m_finalPivotX = m_alignment.x;
            m_path.m_finalPivotY = m_alignment.y;
            m_transform = 1;
        }
    }
    SpritePanimeEffect::Complete();
}

std::int32_t XM_METHOD SpriteChangeEffect::Control(const std::int32_t* arguments) {
    const std::int32_t code = SpritePanimeEffect::Control(arguments);
    if (code != 0) return code;
    const std::int32_t last = m_path.m_lastKeyRecord;
    if (last >= 0 && last < m_path.RecordCount()) {
        // Once completed, the final key already holds the offsets.
        const MotionRecord& f = m_path.Records()[last];
        Put<std::int32_t>(arguments[0], m_completed ? f.a : SaturatingAdd(f.a, m_endOffset.x));
        Put<std::int32_t>(arguments[1], m_completed ? f.b : SaturatingAdd(f.b, m_endOffset.y));
    }
    Put<std::int32_t>(arguments[6], m_alignment.x);
    Put<std::int32_t>(arguments[7], m_alignment.y);
    return 0;
}
